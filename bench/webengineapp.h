#pragma once

#include "browser/harbrowscheme.h"

#include <QCoreApplication>

// Before QApplication: offscreen unless a display is asked for, and what main()
// settles for the web engine.
inline void prepareWebEngineBenchmark()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    HarbrowScheme::registerScheme();
}

#include "app/commandline.h"
#include "app/harbrowapp.h"
#include "browser/harbrowscheme.h"

int main(int argc, char *argv[])
{
    if (const auto exitCode = CommandLine::answer(argc, argv))
        return *exitCode;

    // The web engine wants both settled before the application object exists.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    HarbrowScheme::registerScheme();

    return HarbrowApp::run(argc, argv);
}

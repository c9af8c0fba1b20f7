#pragma once

#include "import/readers/importrow.h"

#include <QCoreApplication>
#include <QString>

#include <memory>

class QProgressDialog;
class QWidget;

// A progress dialog with Cancel for one piece of long import work. It shows
// only once the work has taken a moment, and tells the work when to stop.
class ImportProgress final
{
    Q_DECLARE_TR_FUNCTIONS(ImportProgress)

public:
    ImportProgress(QWidget *parent, const QString &label);
    ~ImportProgress();
    Q_DISABLE_COPY_MOVE(ImportProgress)

    // Moves the bar (total 0: no known end); false once Cancel was pressed.
    bool step(qint64 done, qint64 total);
    ReadProgress callback();
    bool wasCancelled() const;

    // How long work runs before the dialog shows; tests make it show at once.
    static void setShowDelay(int milliseconds);

private:
    std::unique_ptr<QProgressDialog> m_dialog;
    int m_shown = -1;
};

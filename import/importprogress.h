#pragma once

#include "import/readers/importrow.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QString>

#include <memory>

class QProgressDialog;
class QWidget;

// A progress dialog with Cancel for one piece of long import work. It shows
// only once the work has taken a moment, and tells the work when to stop. It
// shows only while the work steps on, never by a timer of its own, so it can
// not come up over a question the work asks meanwhile.
class ImportProgress final
{
    Q_DECLARE_TR_FUNCTIONS(ImportProgress)

public:
    // Keeps the box out of the way of a question while it lives: hidden, and
    // back afterwards if it was up. A null progress is left alone.
    class Aside final
    {
    public:
        explicit Aside(ImportProgress *progress);
        ~Aside();
        Q_DISABLE_COPY_MOVE(Aside)

    private:
        ImportProgress *m_progress;
        bool m_wasShown = false;
    };

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
    void showWhenDue();

    std::unique_ptr<QProgressDialog> m_dialog;
    QElapsedTimer m_clock;
    int m_shown = -1;
    int m_asides = 0;
};

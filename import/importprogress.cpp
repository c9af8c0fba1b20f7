#include "import/importprogress.h"

#include <QProgressDialog>

#include <limits>

namespace {

int showDelay = 400;
constexpr int Steps = 1000;

} // namespace

ImportProgress::ImportProgress(QWidget *parent, const QString &label)
    : m_dialog(std::make_unique<QProgressDialog>(label, tr("Cancel"), 0, Steps, parent))
{
    m_dialog->setWindowTitle(tr("Import Favorites"));
    m_dialog->setWindowModality(Qt::WindowModal);
    // The box's own timer would show it in the middle of a question.
    m_dialog->setMinimumDuration(std::numeric_limits<int>::max());
    m_dialog->setAutoClose(false);
    m_dialog->setAutoReset(false);
    m_dialog->setValue(0);
    m_clock.start();
}

ImportProgress::~ImportProgress() = default;

void ImportProgress::setShowDelay(int milliseconds)
{
    showDelay = milliseconds;
}

bool ImportProgress::step(qint64 done, qint64 total)
{
    // Each change of the bar lets events in (Cancel among them): change it
    // only when it visibly moves.
    const int value = total > 0 ? int(std::min(done, total) * (Steps - 1) / total) : done % Steps;
    if (value != m_shown) {
        m_shown = value;
        m_dialog->setValue(value);
    }
    showWhenDue();
    return !m_dialog->wasCanceled();
}

void ImportProgress::showWhenDue()
{
    if (m_asides > 0 || m_dialog->isVisible() || m_clock.elapsed() < showDelay)
        return;
    // Shown by its own slot, the box lets events in (Cancel among them) as it moves.
    QMetaObject::invokeMethod(m_dialog.get(), "forceShow");
}

ImportProgress::Aside::Aside(ImportProgress *progress) : m_progress(progress)
{
    if (!m_progress)
        return;
    ++m_progress->m_asides;
    m_wasShown = m_progress->m_dialog->isVisible();
    if (m_wasShown)
        m_progress->m_dialog->hide();
}

ImportProgress::Aside::~Aside()
{
    if (!m_progress)
        return;
    --m_progress->m_asides;
    if (m_wasShown)
        m_progress->m_dialog->show();
}

ReadProgress ImportProgress::callback()
{
    return [this](qint64 done, qint64 total) { return step(done, total); };
}

bool ImportProgress::wasCancelled() const
{
    return m_dialog->wasCanceled();
}

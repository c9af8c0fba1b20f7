#include "import/importprogress.h"

#include <QProgressDialog>

namespace {

int showDelay = 400;
constexpr int Steps = 1000;

} // namespace

ImportProgress::ImportProgress(QWidget *parent, const QString &label)
    : m_dialog(std::make_unique<QProgressDialog>(label, tr("Cancel"), 0, Steps, parent))
{
    m_dialog->setWindowTitle(tr("Import Favorites"));
    m_dialog->setWindowModality(Qt::WindowModal);
    m_dialog->setMinimumDuration(showDelay);
    m_dialog->setAutoClose(false);
    m_dialog->setAutoReset(false);
    m_dialog->setValue(0);
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
    return !m_dialog->wasCanceled();
}

ReadProgress ImportProgress::callback()
{
    return [this](qint64 done, qint64 total) { return step(done, total); };
}

bool ImportProgress::wasCancelled() const
{
    return m_dialog->wasCanceled();
}

#include "browser/downloadprogress.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QWebEngineDownloadRequest>
#include <QWebEngineProfile>

namespace {

QString askForLocation(QWidget *parent, const QString &proposed)
{
    return QFileDialog::getSaveFileName(parent, DownloadProgress::tr("Save File"), proposed);
}

DownloadProgress::SaveLocationChooser &chooser()
{
    static DownloadProgress::SaveLocationChooser instance = askForLocation;
    return instance;
}

} // namespace

DownloadProgress::DownloadProgress(QWebEngineProfile *profile, QWidget *parent)
    : QWidget(parent), m_label(new QLabel(this)), m_bar(new QProgressBar(this))
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_label);
    layout->addWidget(m_bar);
    m_bar->setMaximumWidth(160);
    hide();
    connect(profile, &QWebEngineProfile::downloadRequested, this, &DownloadProgress::takeRequest);
}

// A half-written file left behind at exit would look like a finished one.
DownloadProgress::~DownloadProgress()
{
    for (const QPointer<QWebEngineDownloadRequest> &request : std::as_const(m_running)) {
        if (request && !request->isFinished())
            request->cancel();
    }
}

int DownloadProgress::runningCount() const
{
    return int(std::count_if(m_running.cbegin(), m_running.cend(), [](const auto &request) {
        return request && !request->isFinished();
    }));
}

void DownloadProgress::setSaveLocationChooser(SaveLocationChooser chooser)
{
    ::chooser() = chooser ? std::move(chooser) : askForLocation;
}

void DownloadProgress::takeRequest(QWebEngineDownloadRequest *request)
{
    if (request->state() != QWebEngineDownloadRequest::DownloadRequested)
        return;
    const QString proposed =
        QDir(request->downloadDirectory()).filePath(request->downloadFileName());
    const QString chosen = chooser()(window(), proposed);
    if (chosen.isEmpty()) {
        request->cancel();
        return;
    }
    const QFileInfo target(chosen);
    request->setDownloadDirectory(target.absolutePath());
    request->setDownloadFileName(target.fileName());
    m_running.append(request);
    connect(request, &QWebEngineDownloadRequest::receivedBytesChanged, this,
            &DownloadProgress::showProgress);
    connect(request, &QWebEngineDownloadRequest::isFinishedChanged, this,
            &DownloadProgress::showProgress);
    request->accept();
    showProgress();
}

// One line for all running downloads: the latest one's name and the bytes of all.
void DownloadProgress::showProgress()
{
    m_running.removeIf([](const QPointer<QWebEngineDownloadRequest> &request) {
        return !request || request->isFinished();
    });
    if (m_running.isEmpty()) {
        hide();
        return;
    }
    qint64 received = 0;
    qint64 total = 0;
    for (const QPointer<QWebEngineDownloadRequest> &request : std::as_const(m_running)) {
        received += request->receivedBytes();
        total += qMax<qint64>(request->totalBytes(), 0);
    }
    const QString name = m_running.constLast()->downloadFileName();
    m_label->setText(m_running.size() == 1
                         ? tr("Downloading %1").arg(name)
                         : tr("Downloading %1 and %n more", nullptr, int(m_running.size() - 1))
                               .arg(name));
    m_bar->setRange(0, total > 0 ? 1000 : 0); // unknown size: a busy bar
    if (total > 0)
        m_bar->setValue(int(received * 1000 / total));
    show();
}

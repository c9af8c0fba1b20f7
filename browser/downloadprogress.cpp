#include "browser/downloadprogress.h"

#include "browser/downloadline.h"

#include <QDir>
#include <QFile>
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
    : QWidget(parent), m_label(new QLabel(this)), m_bar(new QProgressBar(this)),
      m_lastEnded(new DownloadLine(this))
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_lastEnded);
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
    // An interruption the engine could resume is not "finished": it ends here.
    const auto ended = [this, request] {
        noteEnd(request);
        showProgress();
    };
    connect(request, &QWebEngineDownloadRequest::isFinishedChanged, this, ended);
    connect(request, &QWebEngineDownloadRequest::stateChanged, this, ended);
    request->accept();
    showProgress();
}

// A half-written file under the chosen name would pass for the whole one.
void DownloadProgress::noteEnd(QWebEngineDownloadRequest *request)
{
    const auto state = request->state();
    if (!request->isFinished() && state != QWebEngineDownloadRequest::DownloadInterrupted)
        return;
    if (request->property("harbrowEnded").toBool())
        return; // told once, e.g. an interruption that is then cancelled
    request->setProperty("harbrowEnded", true);
    const QString path = QDir(request->downloadDirectory()).filePath(request->downloadFileName());
    if (state == QWebEngineDownloadRequest::DownloadCompleted) {
        m_lastEnded->showFinished(path);
        return;
    }
    const QString reason = state == QWebEngineDownloadRequest::DownloadCancelled
                               ? tr("cancelled")
                               : request->interruptReasonString();
    if (!request->isFinished())
        request->cancel();
    QFile::remove(path);
    m_lastEnded->showFailed(request->downloadFileName(), reason);
}

// One line for all running downloads: the latest one's name and the bytes of all.
void DownloadProgress::showProgress()
{
    m_running.removeIf([](const QPointer<QWebEngineDownloadRequest> &request) {
        return !request || request->isFinished()
               || request->state() == QWebEngineDownloadRequest::DownloadInterrupted;
    });
    m_label->setVisible(!m_running.isEmpty());
    m_bar->setVisible(!m_running.isEmpty());
    if (m_running.isEmpty()) {
        setVisible(m_lastEnded->isVisibleTo(this));
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

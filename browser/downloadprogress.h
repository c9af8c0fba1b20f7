#pragma once

#include <QList>
#include <QPointer>
#include <QWidget>

#include <functional>

class DownloadLine;
class QLabel;
class QProgressBar;
class QWebEngineDownloadRequest;
class QWebEngineProfile;

// Takes the profile's downloads: asks where each goes, shows how far the
// running ones are and how the last one ended, and cancels whatever still
// runs when it is destroyed. A download that does not finish leaves no file
// under the chosen name.
class DownloadProgress final : public QWidget
{
    Q_OBJECT

public:
    // Returns the chosen file for a proposed one, or empty to cancel.
    using SaveLocationChooser = std::function<QString(QWidget *parent, const QString &proposed)>;

    DownloadProgress(QWebEngineProfile *profile, QWidget *parent = nullptr);
    ~DownloadProgress() override;
    Q_DISABLE_COPY_MOVE(DownloadProgress)

    int runningCount() const;
    DownloadLine *lastEnded() const { return m_lastEnded; }
    // Test seam: replaces the file dialog.
    static void setSaveLocationChooser(SaveLocationChooser chooser);

private:
    void takeRequest(QWebEngineDownloadRequest *request);
    void showProgress();
    void noteEnd(QWebEngineDownloadRequest *request);

    QLabel *m_label;
    QProgressBar *m_bar;
    DownloadLine *m_lastEnded;
    QList<QPointer<QWebEngineDownloadRequest>> m_running;
};

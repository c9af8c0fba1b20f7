#pragma once

#include <QList>
#include <QPointer>
#include <QWidget>

#include <functional>

class QLabel;
class QProgressBar;
class QWebEngineDownloadRequest;
class QWebEngineProfile;

// Takes the profile's downloads: asks where each goes, shows how far the
// running ones are, and cancels whatever still runs when it is destroyed.
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
    // Test seam: replaces the file dialog.
    static void setSaveLocationChooser(SaveLocationChooser chooser);

private:
    void takeRequest(QWebEngineDownloadRequest *request);
    void showProgress();

    QLabel *m_label;
    QProgressBar *m_bar;
    QList<QPointer<QWebEngineDownloadRequest>> m_running;
};

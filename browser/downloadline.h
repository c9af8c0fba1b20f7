#pragma once

#include <QString>
#include <QWidget>

class QLabel;
class QPushButton;

// How the last download ended, in one line: a finished one with "Open" and
// "Show in folder", a failed or interrupted one with the engine's reason.
class DownloadLine final : public QWidget
{
    Q_OBJECT

public:
    explicit DownloadLine(QWidget *parent = nullptr);
    ~DownloadLine() override;
    Q_DISABLE_COPY_MOVE(DownloadLine)

    QString text() const;
    QPushButton *openButton() const { return m_open; }
    QPushButton *showInFolderButton() const { return m_showInFolder; }

public slots:
    void showFinished(const QString &filePath);
    void showFailed(const QString &fileName, const QString &reason);

private:
    void openFile();
    void showFolder();

    QLabel *m_label;
    QPushButton *m_open;
    QPushButton *m_showInFolder;
    QString m_filePath;
};

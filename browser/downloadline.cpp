#include "browser/downloadline.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QUrl>

DownloadLine::DownloadLine(QWidget *parent)
    : QWidget(parent), m_label(new QLabel(this)), m_open(new QPushButton(tr("Open"), this)),
      m_showInFolder(new QPushButton(tr("Show in folder"), this))
{
    setObjectName(QStringLiteral("downloadLine"));
    m_label->setTextFormat(Qt::PlainText);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_label);
    layout->addWidget(m_open);
    layout->addWidget(m_showInFolder);
    for (QPushButton *button : {m_open, m_showInFolder})
        button->setAutoDefault(false);
    connect(m_open, &QPushButton::clicked, this, &DownloadLine::openFile);
    connect(m_showInFolder, &QPushButton::clicked, this, &DownloadLine::showFolder);
    hide();
}

DownloadLine::~DownloadLine() = default;

QString DownloadLine::text() const
{
    return m_label->text();
}

void DownloadLine::showFinished(const QString &filePath)
{
    m_filePath = filePath;
    m_label->setText(tr("Downloaded %1").arg(QFileInfo(filePath).fileName()));
    m_label->setToolTip(filePath);
    m_open->show();
    m_showInFolder->show();
    show();
}

void DownloadLine::showFailed(const QString &fileName, const QString &reason)
{
    m_filePath.clear();
    m_label->setText(tr("Download of %1 failed: %2").arg(fileName, reason));
    m_label->setToolTip(QString());
    m_open->hide();
    m_showInFolder->hide();
    show();
}

void DownloadLine::openFile()
{
    if (!m_filePath.isEmpty())
        QDesktopServices::openUrl(QUrl::fromLocalFile(m_filePath));
}

void DownloadLine::showFolder()
{
    if (!m_filePath.isEmpty())
        QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(m_filePath).absolutePath()));
}

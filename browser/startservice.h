#pragma once

#include <QWebEngineUrlSchemeHandler>

class BrowserOwner;

// Serves Harbrow's own pages: the start page, built from the bookmarks at the
// moment it is asked for, and the help page. Anything else is not found.
class StartService final : public QWebEngineUrlSchemeHandler
{
    Q_OBJECT

public:
    explicit StartService(BrowserOwner *owner, QObject *parent = nullptr);
    ~StartService() override;
    Q_DISABLE_COPY_MOVE(StartService)

    void requestStarted(QWebEngineUrlRequestJob *job) override;

    static QByteArray helpPage();

private:
    BrowserOwner *m_owner;
};

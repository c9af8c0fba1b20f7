#pragma once

#include "browser/starttiles.h"

#include <QWebEngineUrlSchemeHandler>

class BrowserOwner;

// Serves Harbrow's own pages: the start page, built from the bookmarks at the
// moment it is asked for, and the help page. Anything else is not found. The
// tiles are kept from one page to the next and follow the store's changes.
class StartService final : public QWebEngineUrlSchemeHandler
{
    Q_OBJECT

public:
    explicit StartService(BrowserOwner *owner, QObject *parent = nullptr);
    ~StartService() override;
    Q_DISABLE_COPY_MOVE(StartService)

    void requestStarted(QWebEngineUrlRequestJob *job) override;

    static QByteArray helpPage();

    // The tiles the start page shows if it is asked for now.
    StartTiles::Best currentTiles();

private:
    BrowserOwner *m_owner;
    StartTiles m_tiles;
};

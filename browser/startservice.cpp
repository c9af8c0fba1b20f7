#include "browser/startservice.h"

#include "browser/blockedpage.h"
#include "browser/browserowner.h"
#include "browser/browserresources.h"
#include "browser/harbrowscheme.h"
#include "browser/startpagehtml.h"

#include <QBuffer>
#include <QWebEngineUrlRequestJob>

StartService::StartService(BrowserOwner *owner, QObject *parent)
    : QWebEngineUrlSchemeHandler(parent), m_owner(owner), m_tiles(StartPageHtml::MaxTiles)
{
}

StartService::~StartService() = default;

void StartService::requestStarted(QWebEngineUrlRequestJob *job)
{
    if (job->requestMethod() != "GET") {
        job->fail(QWebEngineUrlRequestJob::RequestDenied);
        return;
    }
    const QUrl url = job->requestUrl();
    QByteArray body;
    if (HarbrowScheme::isStartAddress(url))
        body = StartPageHtml::page(currentTiles());
    else if (HarbrowScheme::isHelpAddress(url))
        body = helpPage();
    else if (BlockedPage::isAddress(url))
        body = BlockedPage::html(url);
    if (body.isEmpty()) {
        job->fail(QWebEngineUrlRequestJob::UrlNotFound);
        return;
    }
    // The job owns the buffer and reads it after this returns.
    auto *buffer = new QBuffer(job);
    buffer->setData(body);
    job->reply("text/html;charset=utf-8", buffer);
}

StartTiles::Best StartService::currentTiles()
{
    BookmarkStore *store = m_owner ? m_owner->bookmarkStore() : nullptr;
    return store ? m_tiles.best(*store) : StartTiles::Best();
}

QByteArray StartService::helpPage()
{
    QByteArray page = BrowserResources::helpPage();
    return page.replace("@STYLE@", BrowserResources::startStyle());
}

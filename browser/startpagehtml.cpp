#include "browser/startpagehtml.h"

#include "browser/browserresources.h"
#include "browser/harbrowscheme.h"
#include "store/bookmarkstore.h"

#include <QCoreApplication>
#include <QUrl>

namespace {

// Part of the bookmarks page's rule: an address without a known scheme is a web address.
QString openableAddress(const QString &address)
{
    for (const char *scheme : {"http:", "https:", "ftp:", "file:"}) {
        if (address.startsWith(QLatin1String(scheme), Qt::CaseInsensitive))
            return address;
    }
    return QStringLiteral("http://") + address;
}

QString tr(const char *text)
{
    return QCoreApplication::translate("StartPageHtml", text);
}

QString tile(const CurrentBookmark &bookmark)
{
    const QString address = openableAddress(bookmark.address.trimmed());
    const QString host = QUrl(address).host();
    const QString title = bookmark.title.trimmed().isEmpty() ? address : bookmark.title;
    const QString stars = QString(bookmark.rating, QChar(0x2605));
    return QStringLiteral("<a class=\"tile\" href=\"%1\"><span class=\"title\">%2</span>"
                          "<span class=\"host\">%3</span><span class=\"stars\">%4</span></a>\n")
        .arg(address.toHtmlEscaped(), title.toHtmlEscaped(), host.toHtmlEscaped(), stars);
}

} // namespace

QList<CurrentBookmark> StartPageHtml::bestRated(BookmarkStore &store, int limit, bool *whole)
{
    const StartTiles::Best best = StartTiles(limit).best(store);
    if (whole)
        *whole = !best.unread;
    return best.tiles;
}

QByteArray StartPageHtml::page(BookmarkStore *store)
{
    return page(store ? StartTiles(MaxTiles).best(*store) : StartTiles::Best());
}

QByteArray StartPageHtml::page(const QList<CurrentBookmark> &tiles, bool unread)
{
    return page(StartTiles::Best{tiles, int(tiles.size()), unread});
}

QByteArray StartPageHtml::page(const StartTiles::Best &best)
{
    const QList<CurrentBookmark> &tiles = best.tiles;
    const bool unread = best.unread;
    QString html;
    html.reserve(4096 + int(tiles.size()) * 256);
    html += QStringLiteral("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\">"
                           "<meta name=\"viewport\" content=\"width=device-width\">"
                           "<title>%1</title><style>")
                .arg(tr("Harbrow"));
    html += QString::fromUtf8(BrowserResources::startStyle());
    html += QStringLiteral("</style></head><body>\n<header><h1>%1</h1><p class=\"promise\">%2</p>"
                           "</header>\n<main>\n")
                .arg(tr("Harbrow"), tr("Your bookmarks and your browsing stay on this computer, "
                                       "and nowhere else."));
    if (unread) {
        html += QStringLiteral("<p class=\"empty\">%1</p>\n")
                    .arg(tr("Your bookmarks could not be read just now. Open this page again "
                            "to try once more."));
    } else if (tiles.isEmpty()) {
        html += QStringLiteral("<p class=\"empty\">%1</p>\n")
                    .arg(tr("Rate a bookmark with four or five stars in the Favorites tab, and "
                            "it will wait for you here."));
    } else {
        html += QStringLiteral("<h2>%1</h2>\n<nav class=\"tiles\">\n").arg(tr("Your best bookmarks"));
        for (const CurrentBookmark &bookmark : tiles)
            html += tile(bookmark);
        html += QStringLiteral("</nav>\n");
        if (best.total > tiles.size())
            html += QStringLiteral("<p class=\"more\"><a href=\"%1\">%2</a></p>\n")
                        .arg(HarbrowScheme::favouritesAddress().toString(),
                             tr("Show all %1").arg(best.total));
    }
    html += QStringLiteral("</main>\n<footer><a href=\"%1\">%2</a> &middot; <a href=\"%1#privacy\">"
                           "%3</a> &middot; <a href=\"%1#keys\">%4</a></footer>\n</body></html>\n")
                .arg(HarbrowScheme::helpAddress().toString(), tr("How Harbrow works"),
                     tr("What Harbrow deletes"), tr("Keyboard shortcuts"));
    return html.toUtf8();
}

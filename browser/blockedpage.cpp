#include "browser/blockedpage.h"

#include "browser/harbrowscheme.h"

#include <QCoreApplication>
#include <QUrlQuery>

namespace {

QString text(const char *source)
{
    return QCoreApplication::translate("BlockedPage", source);
}

QUrl harbrowAddress(const char *path, const QUrlQuery &query = {})
{
    QUrl url;
    url.setScheme(QLatin1String(HarbrowScheme::Name));
    url.setHost(QLatin1String(HarbrowScheme::Host));
    url.setPath(QLatin1String(path));
    url.setQuery(query);
    return url;
}

bool isHarbrow(const QUrl &url, const char *path)
{
    return url.scheme() == QLatin1String(HarbrowScheme::Name)
        && url.path() == QLatin1String(path);
}

} // namespace

QUrl BlockedPage::address(const QUrl &blocked, const QString &rule, const QString &list)
{
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("url"), QString::fromUtf8(blocked.toEncoded()));
    query.addQueryItem(QStringLiteral("rule"), rule);
    query.addQueryItem(QStringLiteral("list"), list);
    return harbrowAddress(Path, query);
}

bool BlockedPage::isAddress(const QUrl &url)
{
    return isHarbrow(url, Path) || isHarbrow(url, BackPath) || isHarbrow(url, OpenPath);
}

QUrl BlockedPage::openTarget(const QUrl &url)
{
    if (!isHarbrow(url, OpenPath))
        return {};
    return QUrl::fromEncoded(
        QUrlQuery(url).queryItemValue(QStringLiteral("url"), QUrl::FullyDecoded).toUtf8());
}

bool BlockedPage::isBack(const QUrl &url)
{
    return isHarbrow(url, BackPath);
}

QByteArray BlockedPage::html(const QUrl &url)
{
    const QUrlQuery query(url);
    const QString target = query.queryItemValue(QStringLiteral("url"), QUrl::FullyDecoded);
    const QString rule = query.queryItemValue(QStringLiteral("rule"), QUrl::FullyDecoded);
    const QString list = query.queryItemValue(QStringLiteral("list"), QUrl::FullyDecoded);
    QUrlQuery open;
    open.addQueryItem(QStringLiteral("url"), target);
    const QString host = QUrl::fromEncoded(target.toUtf8()).host();
    const QString page =
        QStringLiteral("<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>%1</title>"
                       "<style>body{font-family:sans-serif;margin:3em;max-width:40em}"
                       "code{background:#eee;padding:2px 4px}a{margin-right:2em}</style></head>"
                       "<body><h1>%1</h1><p id=\"host\">%2</p><p>%3 <code id=\"rule\">%4</code></p>"
                       "<p>%5 <span id=\"list\">%6</span></p><p><a id=\"back\" href=\"%7\">%8</a>"
                       "<a id=\"open\" href=\"%9\">%10</a></p></body></html>")
            .arg(text("Blocked page").toHtmlEscaped(), host.toHtmlEscaped(),
                 text("Rule:").toHtmlEscaped(), rule.toHtmlEscaped(),
                 text("List:").toHtmlEscaped(), list.toHtmlEscaped(),
                 harbrowAddress(BackPath).toString(QUrl::FullyEncoded).toHtmlEscaped(),
                 text("Go back").toHtmlEscaped(),
                 harbrowAddress(OpenPath, open).toString(QUrl::FullyEncoded).toHtmlEscaped(),
                 text("Open anyway").toHtmlEscaped());
    return page.toUtf8();
}

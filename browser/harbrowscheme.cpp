#include "browser/harbrowscheme.h"

#include <QWebEngineUrlScheme>

void HarbrowScheme::registerScheme()
{
    if (QWebEngineUrlScheme::schemeByName(Name).name() == Name)
        return;
    QWebEngineUrlScheme scheme(Name);
    scheme.setSyntax(QWebEngineUrlScheme::Syntax::Host);
    // Local: pages of the outside world can neither link to nor embed it.
    scheme.setFlags(QWebEngineUrlScheme::SecureScheme | QWebEngineUrlScheme::LocalScheme);
    QWebEngineUrlScheme::registerScheme(scheme);
}

QUrl HarbrowScheme::startAddress()
{
    QUrl url;
    url.setScheme(QLatin1String(Name));
    url.setHost(QLatin1String(Host));
    url.setPath(QLatin1String(StartPath));
    url.setQuery(QLatin1String(StartQuery));
    return url;
}

QUrl HarbrowScheme::helpAddress()
{
    QUrl url;
    url.setScheme(QLatin1String(Name));
    url.setHost(QLatin1String(Host));
    url.setPath(QLatin1String(HelpPath));
    return url;
}

QUrl HarbrowScheme::favouritesAddress()
{
    QUrl url = helpAddress();
    url.setPath(QLatin1String(FavouritesPath));
    return url;
}

bool HarbrowScheme::isFavouritesAddress(const QUrl &url)
{
    return url.scheme() == QLatin1String(Name) && url.path() == QLatin1String(FavouritesPath);
}

bool HarbrowScheme::isStartAddress(const QUrl &url)
{
    return url.scheme() == QLatin1String(Name) && url.path() == QLatin1String(StartPath);
}

bool HarbrowScheme::isHelpAddress(const QUrl &url)
{
    return url.scheme() == QLatin1String(Name) && url.path() == QLatin1String(HelpPath);
}

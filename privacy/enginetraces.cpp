#include "privacy/enginetraces.h"

#include "privacy/settings/privacyoptions.h"

#include <QWebEngineCookieStore>
#include <QWebEngineProfile>

void deleteUrlCacheEntries(QWebEngineProfile *profile, const PrivacyOptions &options)
{
    if (!profile)
        return;
    if (options.deleteHistoryOnExit)
        profile->clearAllVisitedLinks();
    if (options.deleteCookiesOnExit)
        profile->cookieStore()->deleteAllCookies();
}

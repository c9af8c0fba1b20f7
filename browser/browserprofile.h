#pragma once

#include "privacy/settings/privacyoptions.h"

#include <QString>

#include <memory>

class QWebEngineProfile;

// The one web profile of the program. Everything the engine keeps lives below
// storagePath() (cookies, site storage, visited links) and cachePath() (HTTP
// and code caches), so the trace removal finds it there. What the options
// remove anyway is not written at all, as far as the engine allows: with all
// three removals on the profile is off the record, otherwise cookies and the
// HTTP cache they remove stay in memory. Create it before the first page and
// reset it after the last one.
class BrowserProfile final
{
public:
    explicit BrowserProfile(const PrivacyOptions &options = {});
    ~BrowserProfile();
    Q_DISABLE_COPY_MOVE(BrowserProfile)

    QWebEngineProfile *profile() const { return m_profile.get(); }
    bool isOffTheRecord() const;

    // $XDG_DATA_HOME/k-vane/Harbrow and $XDG_CACHE_HOME/k-vane/Harbrow, made 0700.
    static QString storagePath();
    static QString cachePath();

private:
    std::unique_ptr<QWebEngineProfile> m_profile;
};

#pragma once

#include <QString>

#include <memory>

class QWebEngineProfile;

// The one persistent web profile of the program. Everything the engine keeps
// lives below storagePath() (cookies, site storage, visited links) and
// cachePath() (HTTP and code caches), so the trace removal at exit finds it
// there. Create it before the first page and reset it after the last one.
class BrowserProfile final
{
public:
    BrowserProfile();
    ~BrowserProfile();
    Q_DISABLE_COPY_MOVE(BrowserProfile)

    QWebEngineProfile *profile() const { return m_profile.get(); }

    // $XDG_DATA_HOME/k-vane/Harbrow and $XDG_CACHE_HOME/k-vane/Harbrow, made 0700.
    static QString storagePath();
    static QString cachePath();

private:
    std::unique_ptr<QWebEngineProfile> m_profile;
};

#pragma once

#include "privacy/traces/tracewalk.h"

enum class TraceCategory { Cache, History, Cookies };

// Where the browser profile keeps each category of traces, in place of the
// per-user shell folders "Cache", "History" and "Cookies". The engine keeps
// cookies, site storage and history side by side in its storage folder, so
// each category there is a set of entries, and no category reaches another's:
//   cache:   everything in the cache folder, and the engine's shader and code
//            caches in the storage folder;
//   history: the visited-links record and the history and icon databases;
//   cookies: everything else in the storage folder: cookies, local and session
//            storage, IndexedDB, service workers, quota and network state, and
//            the preferences file with the salt that media device ids are made
//            from, which would let a site know the user again like a cookie.
class TraceFolders final
{
public:
    TraceFolders(const QString &storagePath, const QString &cachePath);

    QList<TraceFolder> folders(TraceCategory category) const;
    QStringList roots() const { return {m_storagePath, m_cachePath}; }

    static const QStringList &historyEntries();
    static const QStringList &cacheEntries();
    // Entries the engine keeps open until the process ends (the GPU shader cache).
    static const QStringList &processLifetimeEntries();

private:
    bool cacheIsSeparate() const;

    QString m_storagePath;
    QString m_cachePath;
};

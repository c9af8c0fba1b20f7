#include "privacy/traces/tracefolders.h"

#include <QDir>

TraceFolders::TraceFolders(const QString &storagePath, const QString &cachePath)
    : m_storagePath(storagePath), m_cachePath(cachePath)
{
}

const QStringList &TraceFolders::historyEntries()
{
    static const QStringList names{
        QStringLiteral("Visited Links"),
        QStringLiteral("History"),
        QStringLiteral("History-journal"),
        QStringLiteral("Favicons"),
        QStringLiteral("Favicons-journal"),
        QStringLiteral("Top Sites"),
        QStringLiteral("Top Sites-journal"),
        QStringLiteral("Network Action Predictor"),
        QStringLiteral("Network Action Predictor-journal"),
    };
    return names;
}

const QStringList &TraceFolders::cacheEntries()
{
    static const QStringList names{
        QStringLiteral("Cache"),         QStringLiteral("Code Cache"),
        QStringLiteral("GPUCache"),      QStringLiteral("GrShaderCache"),
        QStringLiteral("ShaderCache"),   QStringLiteral("DawnCache"),
    };
    return names;
}

const QStringList &TraceFolders::processLifetimeEntries()
{
    static const QStringList names{QStringLiteral("GPUCache"), QStringLiteral("GrShaderCache"),
                                   QStringLiteral("ShaderCache")};
    return names;
}

// With one folder for both (the data and cache homes set alike), the cache may
// take only its own entries from it.
bool TraceFolders::cacheIsSeparate() const
{
    return QDir::cleanPath(m_cachePath) != QDir::cleanPath(m_storagePath);
}

QList<TraceFolder> TraceFolders::folders(TraceCategory category) const
{
    using Select = TraceFolder::Select;
    switch (category) {
    case TraceCategory::Cache:
        if (!cacheIsSeparate())
            return {{m_storagePath, Select::Only, cacheEntries()}};
        return {{m_cachePath, Select::All, {}}, {m_storagePath, Select::Only, cacheEntries()}};
    case TraceCategory::History:
        return {{m_storagePath, Select::Only, historyEntries()}};
    case TraceCategory::Cookies:
        return {{m_storagePath, Select::AllBut, historyEntries() + cacheEntries()}};
    }
    return {};
}

#include "store/hive/hivereadahead.h"

#include "store/hive/hivereading.h"

#include <QFile>

#include <sqlite3.h>

HiveReadAhead::HiveReadAhead(const QString &path, const QString &key,
                             const QList<QByteArray> &prefixes)
    : m_key(key), m_prefixes(prefixes), m_read(std::size_t(prefixes.size()))
{
    for (auto &promise : m_read)
        m_results.push_back(promise.get_future());
    m_thread = std::thread(&HiveReadAhead::readAll, this, QFile::encodeName(path));
}

HiveReadAhead::~HiveReadAhead()
{
    m_stop = true;
    m_thread.join();
}

std::optional<HiveReadAhead::Rows> HiveReadAhead::take(const QString &key, const QByteArray &prefix)
{
    if (key.compare(m_key, Qt::CaseInsensitive) != 0)
        return std::nullopt;
    for (qsizetype i = 0; i < m_prefixes.size(); ++i) {
        auto &result = m_results[std::size_t(i)];
        if (result.valid() && prefix.compare(m_prefixes[i], Qt::CaseInsensitive) == 0)
            return result.get();
    }
    return std::nullopt;
}

// Every prefix gets an answer, read or not, so that no take waits in vain.
void HiveReadAhead::readAll(const QByteArray &file)
{
    sqlite3 *db = HiveReading::openStoppable(file, m_stop, nullptr);
    // Mapped, the pages cost no copy each; a read-only connection that lives
    // for these reads need not fear the file changing under the map.
    if (db)
        sqlite3_exec(db, "PRAGMA mmap_size=268435456", nullptr, nullptr, nullptr);
    for (qsizetype i = 0; i < m_prefixes.size(); ++i)
        m_read[std::size_t(i)].set_value(db ? read(db, m_prefixes[i]) : std::nullopt);
    sqlite3_close(db);
}

std::optional<HiveReadAhead::Rows> HiveReadAhead::read(sqlite3 *db, const QByteArray &prefix) const
{
    if (prefix.isEmpty() || m_stop)
        return std::nullopt;
    const QByteArray after = HiveReading::upperBound(prefix);
    const QByteArray key = m_key.toUtf8();
    sqlite3_stmt *stmt = nullptr;
    int step = SQLITE_ERROR;
    Rows rows;
    // The same rows, in the same order, as the hive's own read by prefix.
    if (sqlite3_prepare_v2(db, HiveReading::PrefixedSql, -1, &stmt, nullptr) == SQLITE_OK) {
        sqlite3_bind_text(stmt, 1, key.constData(), int(key.size()), SQLITE_STATIC);
        sqlite3_bind_text(stmt, 2, prefix.constData(), int(prefix.size()), SQLITE_STATIC);
        sqlite3_bind_text(stmt, 3, after.constData(), int(after.size()), SQLITE_STATIC);
        while ((step = sqlite3_step(stmt)) == SQLITE_ROW)
            rows.append(sqlite3_column_int64(stmt, 0), HiveReading::column(stmt, 1),
                        HiveReading::column(stmt, 2));
    }
    sqlite3_finalize(stmt);
    if (step != SQLITE_DONE)
        return std::nullopt;
    return rows;
}

#include "store/hive/hivereadahead.h"

#include "store/hive/hivereading.h"

#include <QFile>

#include <sqlite3.h>

namespace {

QByteArray viewed(sqlite3_stmt *stmt, int column)
{
    return QByteArray(static_cast<const char *>(sqlite3_column_blob(stmt, column)),
                      sqlite3_column_bytes(stmt, column));
}

} // namespace

HiveReadAhead::HiveReadAhead(const QString &path, const QString &key, const QByteArray &prefix)
    : m_key(key), m_prefix(prefix),
      m_result(std::async(std::launch::async, &HiveReadAhead::read, this, QFile::encodeName(path)))
{
}

HiveReadAhead::~HiveReadAhead()
{
    m_stop = true;
    if (m_result.valid())
        m_result.wait();
}

std::optional<HiveReadAhead::Rows> HiveReadAhead::take(const QString &key, const QByteArray &prefix)
{
    if (!m_result.valid() || key.compare(m_key, Qt::CaseInsensitive) != 0 ||
        prefix.compare(m_prefix, Qt::CaseInsensitive) != 0)
        return std::nullopt;
    return m_result.get();
}

std::optional<HiveReadAhead::Rows> HiveReadAhead::read(const QByteArray &file) const
{
    if (m_prefix.isEmpty())
        return std::nullopt;
    sqlite3 *db = HiveReading::openStoppable(file, m_stop, nullptr);
    if (!db)
        return std::nullopt;
    // Mapped, the pages cost no copy each; a read-only connection that lives
    // for one read need not fear the file changing under the map.
    sqlite3_exec(db, "PRAGMA mmap_size=268435456", nullptr, nullptr, nullptr);
    const QByteArray after = HiveReading::upperBound(m_prefix);
    const QByteArray key = m_key.toUtf8();
    sqlite3_stmt *stmt = nullptr;
    int step = SQLITE_ERROR;
    Rows rows;
    // The same rows, in the same order, as the hive's own read by prefix.
    if (sqlite3_prepare_v2(db, HiveReading::PrefixedSql, -1, &stmt, nullptr) == SQLITE_OK) {
        sqlite3_bind_text(stmt, 1, key.constData(), int(key.size()), SQLITE_STATIC);
        sqlite3_bind_text(stmt, 2, m_prefix.constData(), int(m_prefix.size()), SQLITE_STATIC);
        sqlite3_bind_text(stmt, 3, after.constData(), int(after.size()), SQLITE_STATIC);
        while ((step = sqlite3_step(stmt)) == SQLITE_ROW)
            rows.push_back({sqlite3_column_int64(stmt, 0), viewed(stmt, 1), viewed(stmt, 2)});
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    if (step != SQLITE_DONE)
        return std::nullopt;
    return rows;
}

#include "store/hive/hivereadahead.h"

#include <QFile>

#include <sqlite3.h>

namespace {

// The same rows, in the same order, as the hive's own read by prefix.
constexpr const char *PrefixedSql =
    "SELECT seq, name, data FROM hive_values WHERE key = ?1 AND name >= ?2 AND name < ?3";

QByteArray viewed(sqlite3_stmt *stmt, int column)
{
    return QByteArray(static_cast<const char *>(sqlite3_column_blob(stmt, column)),
                      sqlite3_column_bytes(stmt, column));
}

} // namespace

HiveReadAhead::HiveReadAhead(const QString &path, const QString &key,
                             const QList<QByteArray> &prefixes)
    : m_key(key), m_prefixes(prefixes), m_promises(prefixes.size())
{
    for (auto &promise : m_promises)
        m_results.push_back(promise.get_future());
    m_thread = std::async(std::launch::async, &HiveReadAhead::run, this, QFile::encodeName(path));
}

HiveReadAhead::~HiveReadAhead()
{
    m_stop = true;
    if (m_thread.valid())
        m_thread.wait();
}

std::optional<HiveReadAhead::Rows> HiveReadAhead::take(const QString &key, const QByteArray &prefix)
{
    if (key.compare(m_key, Qt::CaseInsensitive) != 0)
        return std::nullopt;
    for (qsizetype i = 0; i < m_prefixes.size(); ++i)
        if (m_results[i].valid() && m_prefixes[i].compare(prefix, Qt::CaseInsensitive) == 0)
            return m_results[i].get();
    return std::nullopt;
}

void HiveReadAhead::run(const QByteArray &file)
{
    sqlite3 *db = nullptr;
    const bool opened =
        sqlite3_open_v2(file.constData(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX,
                        nullptr) == SQLITE_OK;
    if (opened)
        sqlite3_progress_handler(
            db, 1000,
            [](void *stop) { return static_cast<std::atomic<bool> *>(stop)->load() ? 1 : 0; },
            &m_stop);
    // Mapped, the pages cost no copy each; a read-only connection that lives
    // for one read need not fear the file changing under the map.
    if (opened)
        sqlite3_exec(db, "PRAGMA mmap_size=268435456", nullptr, nullptr, nullptr);
    // One read transaction, so that every prefix sees the file at one moment.
    const bool reading =
        opened && sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr) == SQLITE_OK;
    for (qsizetype i = 0; i < m_prefixes.size(); ++i) {
        Rows rows;
        if (reading && readPrefix(db, m_prefixes[i], rows))
            m_promises[i].set_value(std::move(rows));
        else
            m_promises[i].set_value(std::nullopt);
    }
    sqlite3_close(db);
}

bool HiveReadAhead::readPrefix(sqlite3 *db, const QByteArray &prefix, Rows &rows)
{
    if (prefix.isEmpty() || m_stop)
        return false;
    QByteArray after = prefix;
    after.back() = char(after.back() + 1);
    const QByteArray key = m_key.toUtf8();
    sqlite3_stmt *stmt = nullptr;
    if (sqlite3_prepare_v2(db, PrefixedSql, -1, &stmt, nullptr) != SQLITE_OK) {
        sqlite3_finalize(stmt);
        return false;
    }
    sqlite3_bind_text(stmt, 1, key.constData(), int(key.size()), SQLITE_STATIC);
    sqlite3_bind_text(stmt, 2, prefix.constData(), int(prefix.size()), SQLITE_STATIC);
    sqlite3_bind_text(stmt, 3, after.constData(), int(after.size()), SQLITE_STATIC);
    int step;
    while ((step = sqlite3_step(stmt)) == SQLITE_ROW)
        rows.push_back({sqlite3_column_int64(stmt, 0), viewed(stmt, 1), viewed(stmt, 2)});
    sqlite3_finalize(stmt);
    return step == SQLITE_DONE;
}

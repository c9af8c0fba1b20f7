#include "store/hive/hivereading.h"

#include <sqlite3.h>

namespace HiveReading {

QByteArray upperBound(const QByteArray &prefix)
{
    QByteArray after = prefix;
    after.back() = char(after.back() + 1);
    return after;
}

QByteArrayView column(sqlite3_stmt *stmt, int column)
{
    // The blob first: asking for the size then cannot convert it.
    const auto *bytes = static_cast<const char *>(sqlite3_column_blob(stmt, column));
    return QByteArrayView(bytes, sqlite3_column_bytes(stmt, column));
}

sqlite3 *openStoppable(const QByteArray &file, const std::atomic<bool> &stop, QString *error)
{
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(file.constData(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX,
                        nullptr) != SQLITE_OK) {
        if (error)
            *error = QString::fromUtf8(sqlite3_errmsg(db));
        sqlite3_close(db);
        return nullptr;
    }
    sqlite3_busy_timeout(db, 2000);
    // These connections read each page about once: a page cache would only hold
    // memory while start-up is at its peak.
    sqlite3_exec(db, "PRAGMA cache_size=-512", nullptr, nullptr, nullptr);
    sqlite3_progress_handler(
        db, 1000,
        [](void *flag) { return static_cast<const std::atomic<bool> *>(flag)->load() ? 1 : 0; },
        const_cast<std::atomic<bool> *>(&stop));
    return db;
}

} // namespace HiveReading

#include "store/hive/hivereading.h"

#include <sqlite3.h>

namespace HiveReading {

QByteArray upperBound(const QByteArray &prefix)
{
    QByteArray after = prefix;
    after.back() = char(after.back() + 1);
    return after;
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
    sqlite3_progress_handler(
        db, 1000,
        [](void *flag) { return static_cast<const std::atomic<bool> *>(flag)->load() ? 1 : 0; },
        const_cast<std::atomic<bool> *>(&stop));
    return db;
}

} // namespace HiveReading

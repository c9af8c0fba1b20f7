#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <atomic>

struct sqlite3;
struct sqlite3_stmt;

// What every reader of a hive file shares, on the hive's own connection or on
// one of a thread of its own.
namespace HiveReading {

// The values of a key whose names lie between a prefix and its upper bound:
// in the (key, name) index's order, without a sort.
inline constexpr char PrefixedSql[] =
    "SELECT seq, name, data FROM hive_values WHERE key = ?1 AND name >= ?2 AND name < ?3";

// Every name of a key, from the (key, name) index without touching the rows.
inline constexpr char NamesSql[] = "SELECT seq, name FROM hive_values WHERE key = ?1";

// Every name that begins with the prefix sorts between it and the prefix with
// its last byte one higher, under the column's case folding too. The prefix
// must not be empty.
QByteArray upperBound(const QByteArray &prefix);

// A column's bytes, valid until the statement steps on.
QByteArrayView column(sqlite3_stmt *stmt, int column);

// A read-only connection for one thread, whose statements give up once stop is
// set. Null when the file cannot be opened; error then says why.
sqlite3 *openStoppable(const QByteArray &file, const std::atomic<bool> &stop, QString *error);

} // namespace HiveReading

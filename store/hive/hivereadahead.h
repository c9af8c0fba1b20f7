#pragma once

#include "store/hive/packedrows.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <atomic>
#include <future>
#include <optional>
#include <thread>
#include <vector>

struct sqlite3;

// The values of one key whose names begin with one of a few prefixes, read in
// turn on a connection and a thread of their own while the caller does other
// work.
class HiveReadAhead final
{
public:
    using Rows = PackedRows;

    HiveReadAhead(const QString &path, const QString &key, const QList<QByteArray> &prefixes);
    // Stops a read still going and waits for its thread.
    ~HiveReadAhead();
    Q_DISABLE_COPY_MOVE(HiveReadAhead)

    // The values read, once, for this key and one of the prefixes: waits for
    // them, not for the prefixes read after. Nothing when asked for others,
    // taken already or not readable.
    std::optional<Rows> take(const QString &key, const QByteArray &prefix);

private:
    void readAll(const QByteArray &file);
    std::optional<Rows> read(sqlite3 *db, const QByteArray &prefix) const;

    const QString m_key;
    const QList<QByteArray> m_prefixes;
    std::vector<std::promise<std::optional<Rows>>> m_read; // one per prefix
    std::vector<std::future<std::optional<Rows>>> m_results;
    std::atomic<bool> m_stop{false};
    std::thread m_thread; // last: starts once the rest is in place
};

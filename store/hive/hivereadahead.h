#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <atomic>
#include <future>
#include <optional>
#include <vector>

// Values of one key read on a connection and a thread of their own, those whose
// names begin with each of a few prefixes, one prefix after the other: the
// caller can take the first prefix's values while the next are being read.
// All of them come from one read of the file, as it was when reading began.
class HiveReadAhead final
{
public:
    struct Row
    {
        qint64 place;
        QByteArray name;
        QByteArray data;
    };
    using Rows = std::vector<Row>;

    HiveReadAhead(const QString &path, const QString &key, const QList<QByteArray> &prefixes);
    // Stops a read still going and waits for its thread.
    ~HiveReadAhead();
    Q_DISABLE_COPY_MOVE(HiveReadAhead)

    // The values read for this key and prefix, once: waits for them. Nothing
    // when they were not asked for, were taken already or could not be read.
    std::optional<Rows> take(const QString &key, const QByteArray &prefix);

private:
    void run(const QByteArray &file);
    bool readPrefix(struct sqlite3 *db, const QByteArray &prefix, Rows &rows);

    const QString m_key;
    const QList<QByteArray> m_prefixes;
    std::vector<std::promise<std::optional<Rows>>> m_promises;
    std::vector<std::future<std::optional<Rows>>> m_results;
    std::atomic<bool> m_stop{false};
    std::future<void> m_thread;
};

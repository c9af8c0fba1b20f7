#pragma once

#include <QByteArray>
#include <QString>

#include <atomic>
#include <future>
#include <optional>
#include <vector>

// The values of one key whose names begin with a prefix, read on a connection
// and a thread of their own while the caller does other work.
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

    HiveReadAhead(const QString &path, const QString &key, const QByteArray &prefix);
    // Stops a read still going and waits for its thread.
    ~HiveReadAhead();
    Q_DISABLE_COPY_MOVE(HiveReadAhead)

    // The values read, once, for this key and prefix only: waits for them.
    // Nothing when asked for others, taken already or not readable.
    std::optional<Rows> take(const QString &key, const QByteArray &prefix);

private:
    std::optional<Rows> read(const QByteArray &file) const;

    const QString m_key;
    const QByteArray m_prefix;
    std::atomic<bool> m_stop{false};
    std::future<std::optional<Rows>> m_result;
};

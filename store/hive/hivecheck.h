#pragma once

#include <QString>

#include <atomic>
#include <future>

// A whole-file check of a hive file (every page read once) that runs on a
// connection and a thread of its own, so that start-up need not wait for it.
// Whoever is about to write asks damage(), which waits for the answer.
class HiveCheck final
{
public:
    explicit HiveCheck(const QString &path);
    // Stops a check still running and waits for its thread.
    ~HiveCheck();
    Q_DISABLE_COPY_MOVE(HiveCheck)

    bool isDone() const;
    // Empty when the file is sound; otherwise what is wrong with it. Waits.
    QString damage();

private:
    static QString run(const QByteArray &file, const std::atomic<bool> &stop);

    std::atomic<bool> m_stop{false};
    std::future<QString> m_result;
    QString m_damage;
    bool m_answered = false;
};

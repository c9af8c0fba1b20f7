#pragma once

#include "store/hive/hive.h"
#include "store/hive/packedrows.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <memory>

class QThread;

// Every value name of one key, read on a connection and a thread of their own
// that run only while the processor has nothing else to do: what a first
// walk over a large key's names would cost is paid while the user looks.
// Nothing here waits for that thread but the destructor.
class HiveNamesAhead final
{
public:
    HiveNamesAhead(const QString &path, const QString &key);
    // Stops a read still going and waits for its thread.
    ~HiveNamesAhead();
    Q_DISABLE_COPY_MOVE(HiveNamesAhead)

    // Visits the names read, as the hive's own walk would, once and for this
    // key only. False, having visited nothing, when the read has not finished
    // (it is stopped: on a busy machine a thread of idle priority may take
    // long to finish), failed, was taken already or was of another key.
    bool visit(const QString &key, const Hive::NameVisitor &visit);
    // Asks the read to stop without waiting for it.
    void stop() { m_stop = true; }
    bool isFinished() const { return m_finished; }
    // Whether its thread has yet to end: until then it must not be destroyed
    // where waiting would hold up the user.
    bool isRunning() const;

private:
    void read(const QByteArray &file);

    const QString m_key;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_finished{false}; // the names below are whole and no longer written
    bool m_taken = false;
    PackedRows m_names; // packed: a key of many names may wait long to be asked for
    std::unique_ptr<QThread> m_thread;
};

#pragma once

#include "store/hive/hive.h"
#include "store/hive/memoryhive.h"

#include <QList>

#include <memory>

// A hive that passes every call on to another (or to its own memory hive), but
// fails the Nth set, delete, rename, transaction begin or commit (counted from 1;
// 0 never fails), or every write while failWrites is set, as a full disk or a
// locked file would: the failed call changes nothing. failWriteAt counts every
// kind of write together, failReadAt every read: a failing read hands over
// half of what it found and then reports the failure, as a read cut short does.
class FailingHive final : public Hive
{
public:
    FailingHive() : m_own(std::make_unique<MemoryHive>()), m_inner(*m_own) {}
    explicit FailingHive(Hive &inner) : m_inner(inner) {}

    int failSetAt = 0;
    int failDeleteAt = 0;
    int failRenameAt = 0;
    int failBeginAt = 0;
    int failCommitAt = 0;
    int failWriteAt = 0;
    int failReadAt = 0;
    bool failWrites = false;
    QList<QByteArray> writtenNames; // every value name a set was asked for
    int valuesVisited = 0;          // values handed to visitValues' visitors
    int writes() const { return m_writes; }
    int reads() const { return m_reads; }
    // Whether a failure was injected since counting (re)started.
    bool injected() const { return m_injected; }
    // Counts calls from here on.
    void restartCounting()
    {
        m_sets = m_deletes = m_renames = m_begins = m_commits = m_writes = m_reads = 0;
        m_injected = false;
    }

    bool createKey(const QString &key) override { return m_inner.createKey(key); }
    Lookup readValue(const QString &key, const QByteArray &name) override
    {
        return readFails() ? Lookup() : m_inner.readValue(key, name);
    }
    bool setValue(const QString &key, const QByteArray &name, const QByteArray &data) override
    {
        writtenNames.append(name);
        return !fails(m_sets, failSetAt) && m_inner.setValue(key, name, data);
    }
    bool insertValue(const QString &key, const QByteArray &name, const QByteArray &data) override
    {
        writtenNames.append(name);
        return !fails(m_sets, failSetAt) && m_inner.insertValue(key, name, data);
    }
    bool deleteValue(const QString &key, const QByteArray &name) override
    {
        return !fails(m_deletes, failDeleteAt) && m_inner.deleteValue(key, name);
    }
    bool renameValue(const QString &key, const QByteArray &from, const QByteArray &to) override
    {
        return !fails(m_renames, failRenameAt) && m_inner.renameValue(key, from, to);
    }
    bool visitValues(const QString &key, const ValueVisitor &visit) override
    {
        const bool failing = readFails();
        int left = failing ? half(key) : -1;
        const bool whole = m_inner.visitValues(key, [&](QByteArrayView name, QByteArrayView data) {
            ++valuesVisited;
            return left-- != 0 && visit(name, data);
        });
        return whole && !failing;
    }
    bool visitValueNames(const QString &key, const NameVisitor &visit) override
    {
        const bool failing = readFails();
        int left = failing ? half(key) : -1;
        const bool whole = m_inner.visitValueNames(key, [&](qint64 place, QByteArrayView name) {
            if (left-- != 0)
                visit(place, name);
        });
        return whole && !failing;
    }
    bool visitValuesWithPrefix(const QString &key, const QByteArray &prefix,
                               const PlacedValueVisitor &visit) override
    {
        const bool failing = readFails();
        int left = failing ? half(key) : -1;
        const bool whole = m_inner.visitValuesWithPrefix(
            key, prefix, [&](qint64 place, QByteArrayView name, QByteArrayView data) {
                if (left-- != 0)
                    visit(place, name, data);
            });
        return whole && !failing;
    }
    void flush() override { m_inner.flush(); }
    void close() override { m_inner.close(); }
    bool beginTransaction() override
    {
        return !due(m_begins, failBeginAt) && !dueWrite() && m_inner.beginTransaction();
    }
    // A failed commit rolls back, as SQLite does when the disk is full.
    bool commitTransaction() override
    {
        if (!fails(m_commits, failCommitAt))
            return m_inner.commitTransaction();
        m_inner.rollbackTransaction();
        return false;
    }
    void rollbackTransaction() override { m_inner.rollbackTransaction(); }
    bool isInTransaction() const override { return m_inner.isInTransaction(); }
    HiveError lastError() const override
    {
        if (!m_injected && !failWrites)
            return m_inner.lastError();
        return {HiveError::Full, 13, QStringLiteral("database or disk is full")};
    }

private:
    bool due(int &count, int failAt)
    {
        const bool now = ++count == failAt;
        m_injected = m_injected || now;
        return now;
    }
    bool dueWrite() { return due(m_writes, failWriteAt); }
    bool fails(int &count, int failAt)
    {
        const bool own = due(count, failAt);
        return dueWrite() || own || failWrites;
    }
    bool readFails() { return due(m_reads, failReadAt); }
    int half(const QString &key)
    {
        int count = 0;
        m_inner.visitValueNames(key, [&count](qint64, QByteArrayView) { ++count; });
        return count / 2;
    }

    std::unique_ptr<MemoryHive> m_own;
    Hive &m_inner;
    int m_sets = 0;
    int m_deletes = 0;
    int m_renames = 0;
    int m_begins = 0;
    int m_commits = 0;
    int m_writes = 0;
    int m_reads = 0;
    bool m_injected = false;
};

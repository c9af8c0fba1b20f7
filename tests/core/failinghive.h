#pragma once

#include "store/hive/hive.h"
#include "store/hive/memoryhive.h"

#include <QList>

#include <memory>

// A hive that passes every call on to another (or to its own memory hive), but
// fails the Nth set, delete, rename, transaction begin or commit (counted from 1;
// 0 never fails), or every write while failWrites is set, as a full disk or a
// locked file would: the failed call changes nothing.
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
    bool failWrites = false;
    QList<QByteArray> writtenNames; // every value name a set was asked for
    int valuesVisited = 0;          // values handed to visitValues' visitors
    // Counts calls from here on.
    void restartCounting() { m_sets = m_deletes = m_renames = m_begins = m_commits = 0; }

    bool createKey(const QString &key) override { return m_inner.createKey(key); }
    std::optional<QByteArray> queryValue(const QString &key, const QByteArray &name) override
    {
        return m_inner.queryValue(key, name);
    }
    bool setValue(const QString &key, const QByteArray &name, const QByteArray &data) override
    {
        writtenNames.append(name);
        return !fails(m_sets, failSetAt) && m_inner.setValue(key, name, data);
    }
    bool deleteValue(const QString &key, const QByteArray &name) override
    {
        return !fails(m_deletes, failDeleteAt) && m_inner.deleteValue(key, name);
    }
    bool renameValue(const QString &key, const QByteArray &from, const QByteArray &to) override
    {
        return !fails(m_renames, failRenameAt) && m_inner.renameValue(key, from, to);
    }
    void visitValues(const QString &key, const ValueVisitor &visit) override
    {
        m_inner.visitValues(key, [this, &visit](QByteArrayView name, QByteArrayView data) {
            ++valuesVisited;
            return visit(name, data);
        });
    }
    void visitValueNames(const QString &key, const NameVisitor &visit) override
    {
        m_inner.visitValueNames(key, visit);
    }
    void visitValuesWithPrefix(const QString &key, const QByteArray &prefix,
                               const PlacedValueVisitor &visit) override
    {
        m_inner.visitValuesWithPrefix(key, prefix, visit);
    }
    void flush() override { m_inner.flush(); }
    void close() override { m_inner.close(); }
    bool beginTransaction() override
    {
        return !due(m_begins, failBeginAt) && m_inner.beginTransaction();
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

private:
    static bool due(int &count, int failAt) { return ++count == failAt; }
    bool fails(int &count, int failAt) { return due(count, failAt) || failWrites; }

    std::unique_ptr<MemoryHive> m_own;
    Hive &m_inner;
    int m_sets = 0;
    int m_deletes = 0;
    int m_renames = 0;
    int m_begins = 0;
    int m_commits = 0;
};

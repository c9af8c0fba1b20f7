#pragma once

#include "store/hive/memoryhive.h"

// A hive in memory that records the names of the values set, and whose
// writes can all be made to fail, as on a full or read-only disk.
class RecordingHive final : public Hive
{
public:
    bool failWrites = false;
    QList<QByteArray> writtenNames;

    bool createKey(const QString &key) override { return m_hive.createKey(key); }
    std::optional<QByteArray> queryValue(const QString &key, const QByteArray &name) override
    {
        return m_hive.queryValue(key, name);
    }
    bool setValue(const QString &key, const QByteArray &name, const QByteArray &data) override
    {
        writtenNames.append(name);
        return !failWrites && m_hive.setValue(key, name, data);
    }
    bool deleteValue(const QString &key, const QByteArray &name) override
    {
        return !failWrites && m_hive.deleteValue(key, name);
    }
    bool renameValue(const QString &key, const QByteArray &from, const QByteArray &to) override
    {
        return !failWrites && m_hive.renameValue(key, from, to);
    }
    void visitValues(const QString &key, const ValueVisitor &visit) override
    {
        m_hive.visitValues(key, visit);
    }
    void flush() override {}
    void close() override {}
    bool beginTransaction() override { return m_hive.beginTransaction(); }
    bool commitTransaction() override { return !failWrites && m_hive.commitTransaction(); }
    void rollbackTransaction() override { m_hive.rollbackTransaction(); }

private:
    MemoryHive m_hive;
};

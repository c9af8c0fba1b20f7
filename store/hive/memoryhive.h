#pragma once

#include "store/hive/hive.h"

#include <QHash>
#include <map>

// A hive that lives in memory only: for tests, and for running on when the
// user's hive file cannot be used.
class MemoryHive final : public Hive
{
public:
    MemoryHive() = default;
    Q_DISABLE_COPY_MOVE(MemoryHive)

    bool createKey(const QString &key) override;
    Lookup readValue(const QString &key, const QByteArray &name) override;
    bool setValue(const QString &key, const QByteArray &name, const QByteArray &data) override;
    bool insertValue(const QString &key, const QByteArray &name, const QByteArray &data) override;
    bool deleteValue(const QString &key, const QByteArray &name) override;
    bool renameValue(const QString &key, const QByteArray &from, const QByteArray &to) override;
    bool visitValues(const QString &key, const ValueVisitor &visit) override;
    bool visitValueNames(const QString &key, const NameVisitor &visit) override;
    // Every name: a superset is allowed, and it keeps the readers' sorting-out tested.
    std::optional<bool> visitOddValueNames(const QString &key, const NameVisitor &visit) override;
    bool visitValuesWithPrefix(const QString &key, const QByteArray &prefix,
                               const PlacedValueVisitor &visit) override;
    void flush() override {}
    void close() override {}
    bool beginTransaction() override;
    bool commitTransaction() override;
    void rollbackTransaction() override;
    bool isInTransaction() const override { return m_depth > 0; }

private:
    struct Key
    {
        std::map<qint64, HiveValue> bySeq;
        QHash<QByteArray, qint64> seqOfName; // lower-cased name
    };
    using Keys = QHash<QString, Key>;        // lower-cased path

    Key *findKey(const QString &key);

    Keys m_keys;
    Keys m_saved; // the state before the outermost open transaction
    qint64 m_nextSeq = 1;
    int m_depth = 0;
    bool m_doomed = false; // an inner transaction rolled back
};

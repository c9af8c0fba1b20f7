#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>
#include <optional>
#include <utility>

// One named text value under a key, as enumerated.
struct HiveValue
{
    QByteArray name;
    QByteArray data;
};

// Why the last call that failed did, as the hive's engine told it: its own
// code and text, and what that means for the person whose change it was.
struct HiveError
{
    enum Kind { None, Full, ReadOnly, Locked, Damaged, Other };
    Kind kind = None;
    int code = 0;
    QString text;
};

// A persistent store of named text values under keys, with a stable enumeration
// order (order of first writing). Key paths and value names compare without case.
class Hive
{
public:
    virtual ~Hive() = default;

    // Creates the key when it is missing; false when the store cannot.
    virtual bool createKey(const QString &key) = 0;
    // The value, none when it is missing, or none at all when the read failed.
    using Lookup = std::optional<std::optional<QByteArray>>;
    virtual Lookup readValue(const QString &key, const QByteArray &name) = 0;
    // The value, none when it is missing or cannot be read.
    std::optional<QByteArray> queryValue(const QString &key, const QByteArray &name);
    // Overwriting keeps the value's place in the enumeration order.
    virtual bool setValue(const QString &key, const QByteArray &name, const QByteArray &data) = 0;
    // A new value only: false, changing nothing, when the name is taken.
    virtual bool insertValue(const QString &key, const QByteArray &name,
                             const QByteArray &data) = 0;
    virtual bool deleteValue(const QString &key, const QByteArray &name) = 0;
    // Gives a value a new name, keeping its data and its place; false when the
    // value is missing or the new name is taken.
    virtual bool renameValue(const QString &key, const QByteArray &from, const QByteArray &to) = 0;
    // Every reader below returns false when the read failed part way: what it
    // visited then is not all there is.
    //
    // Visits the values of a key in enumeration order, without copying them,
    // until visit returns false.
    using ValueVisitor = std::function<bool(QByteArrayView name, QByteArrayView data)>;
    virtual bool visitValues(const QString &key, const ValueVisitor &visit) = 0;
    // None when the read failed.
    std::optional<QList<HiveValue>> readValues(const QString &key);
    // Empty as well when the read failed: for tests and settings only.
    QList<HiveValue> enumerateValues(const QString &key);
    // The same with each value's place in the enumeration order (a number that
    // grows with every new value and stays with it through overwrites and
    // renames), so that values read at different times can be put in order.
    using NameVisitor = std::function<void(qint64 place, QByteArrayView name)>;
    using PlacedValueVisitor =
        std::function<void(qint64 place, QByteArrayView name, QByteArrayView data)>;
    // Every value name of a key, in no particular order, without reading the data.
    virtual bool visitValueNames(const QString &key, const NameVisitor &visit) = 0;
    // The values whose names begin with prefix (compared without case), in no
    // particular order. The prefix must not be empty.
    virtual bool visitValuesWithPrefix(const QString &key, const QByteArray &prefix,
                                       const PlacedValueVisitor &visit) = 0;
    // The names a reader by prefix would miss, so that a large key need not be
    // walked whole: every name of the key except those beginning "gr" (without
    // case) and plain "ur<number>-<number>" names (each number without a leading
    // zero, at most nine digits), perhaps with others, in no particular order.
    // None, having visited nothing, when the hive cannot tell them apart;
    // false when the read failed.
    virtual std::optional<bool> visitOddValueNames(const QString &key, const NameVisitor &visit);
    // Whether any value name of a key begins with prefix (compared without
    // case), where the hive can tell without walking the key; nothing where it
    // cannot. The prefix must not be empty.
    virtual std::optional<bool> hasValuesWithPrefix(const QString &key, const QByteArray &prefix);
    // A hint that visitValuesWithPrefix will soon be asked for these prefixes
    // of a key, in this order: a hive may read the values meanwhile, as long as
    // what each visit then sees is what it would have read itself.
    virtual void readAhead(const QString &key, const QList<QByteArray> &prefixes);
    // A hint that visitValueNames may later be asked for a key: a hive may read
    // the names meanwhile, on the same terms.
    virtual void readNamesAhead(const QString &key);
    virtual void flush() = 0;
    virtual void close() = 0;

    // Changes between begin and commit land together or not at all. Nested calls
    // join the outermost transaction. A begin that fails (the file is locked or
    // cannot be written) opens nothing: the caller must write nothing then.
    virtual bool beginTransaction() = 0;
    virtual bool commitTransaction() = 0;
    virtual void rollbackTransaction() = 0;
    // Whether a transaction is open: between user actions there must be none,
    // or what they change waits, unsaved, for its commit.
    virtual bool isInTransaction() const = 0;

    // What went wrong in the last call that failed.
    virtual HiveError lastError() const { return {}; }

protected:
    Hive() = default;
};

// Groups several changes into one atomic write; rolls back unless committed.
// Check isOpen() before writing: a transaction that could not begin holds
// nothing, and its commit fails.
class HiveTransaction final
{
public:
    explicit HiveTransaction(Hive *hive) : m_hive(hive && hive->beginTransaction() ? hive : nullptr)
    {
    }
    ~HiveTransaction()
    {
        if (m_hive)
            m_hive->rollbackTransaction();
    }
    bool isOpen() const { return m_hive != nullptr; }
    bool commit()
    {
        Hive *hive = std::exchange(m_hive, nullptr);
        return hive ? hive->commitTransaction() : false;
    }
    HiveTransaction(const HiveTransaction &) = delete;
    HiveTransaction &operator=(const HiveTransaction &) = delete;

private:
    Hive *m_hive;
};

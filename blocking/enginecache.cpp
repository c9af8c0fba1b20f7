#include "blocking/enginecache.h"

#include "blocking/filterengine.h"

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>
#include <cstring>
#include <type_traits>

namespace {

constexpr char Magic[8] = {'H', 'B', 'L', 'K', 'E', 'N', 'G', '1'};
constexpr quint32 Version = 1;

quint64 checksum(const char *data, qsizetype size)
{
    quint64 hash = 0x9e3779b97f4a7c15ull ^ quint64(size);
    qsizetype at = 0;
    for (; at + 8 <= size; at += 8) {
        quint64 word;
        std::memcpy(&word, data + at, 8);
        hash = (hash ^ word) * 0x100000001b3ull;
        hash ^= hash >> 29;
    }
    for (; at < size; ++at)
        hash = (hash ^ quint8(data[at])) * 0x100000001b3ull;
    return hash;
}

QByteArray listKey(const QList<FilterListFile> &lists)
{
    QByteArray key;
    QDataStream out(&key, QIODevice::WriteOnly);
    for (const FilterListFile &list : lists)
        out << list.name << list.path << list.size << list.modified;
    return key;
}

class Writer
{
public:
    template<typename T>
    void add(const std::vector<T> &items)
    {
        static_assert(std::is_trivially_copyable_v<T>);
        addSize(items.size());
        bytes.append(reinterpret_cast<const char *>(items.data()), qsizetype(items.size() * sizeof(T)));
    }
    void add(const std::string &text)
    {
        addSize(text.size());
        bytes.append(text.data(), qsizetype(text.size()));
    }
    void add(const RuleSet &set)
    {
        for (const TokenIndex *index : {&set.byToken, &set.byDomain}) {
            add(index->starts());
            add(index->keys());
            add(index->rules());
        }
        add(set.anywhere);
    }
    void addSize(quint64 size) { bytes.append(reinterpret_cast<const char *>(&size), sizeof size); }

    QByteArray bytes;
};

class Reader
{
public:
    explicit Reader(QByteArrayView bytes) : m_bytes(bytes) {}

    bool failed() const { return m_failed; }

    template<typename T>
    std::vector<T> vector()
    {
        const quint64 count = size();
        std::vector<T> items;
        if (m_failed || count > quint64(m_bytes.size() - m_at) / sizeof(T)) {
            m_failed = true;
            return items;
        }
        if (count == 0)
            return items; // no storage to copy into
        items.resize(count);
        std::memcpy(items.data(), m_bytes.data() + m_at, count * sizeof(T));
        m_at += qsizetype(count * sizeof(T));
        return items;
    }
    std::string text()
    {
        const std::vector<char> chars = vector<char>();
        return std::string(chars.begin(), chars.end());
    }
    RuleSet ruleSet()
    {
        RuleSet set;
        set.byToken = tokenIndex();
        set.byDomain = tokenIndex();
        set.anywhere = vector<quint32>();
        return set;
    }
    TokenIndex tokenIndex()
    {
        auto starts = vector<quint32>();
        auto keys = vector<quint32>();
        return TokenIndex(std::move(starts), std::move(keys), vector<quint32>());
    }
    quint64 size()
    {
        quint64 value = 0;
        if (m_at + qsizetype(sizeof value) > m_bytes.size()) {
            m_failed = true;
            return 0;
        }
        std::memcpy(&value, m_bytes.data() + m_at, sizeof value);
        m_at += sizeof value;
        return value;
    }
    QByteArrayView rest() const { return m_bytes.sliced(m_at); }

private:
    QByteArrayView m_bytes;
    qsizetype m_at = 0;
    bool m_failed = false;
};

bool setIsSound(const RuleSet &set, quint32 rules)
{
    return set.byToken.isSound(rules) && set.byDomain.isSound(rules)
        && std::all_of(set.anywhere.begin(), set.anywhere.end(), [rules](quint32 id) { return id < rules; });
}

// Every offset a rule holds must land inside the arrays read with it.
bool isSound(const EngineData &data)
{
    const auto rules = quint32(data.rules.size());
    for (const FilterRule &rule : data.rules) {
        if (quint64(rule.text) + rule.textLength > data.text.size()
            || quint64(rule.pattern) + rule.patternLength > data.text.size()
            || rule.domainList > data.domainLists.size() || rule.list >= data.lists.size())
            return false;
    }
    for (const DomainList &list : data.domainLists) {
        if (quint64(list.start) + list.includes + list.excludes > data.domains.size())
            return false;
    }
    return setIsSound(data.blocks, rules) && setIsSound(data.important, rules)
        && setIsSound(data.exceptions, rules) && setIsSound(data.pageExceptions, rules);
}

} // namespace

QString EngineCache::folder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation)
        + QStringLiteral("/k-vane/Harbrow-blocking");
}

QString EngineCache::filePath(const QString &folder)
{
    return folder + QStringLiteral("/engine.bin");
}

QByteArray EngineCache::serialize(const FilterEngine &engine, const QList<FilterListFile> &lists)
{
    const EngineData &data = engine.data();
    Writer payload;
    payload.add(data.rules);
    payload.add(data.text);
    payload.add(data.domains);
    payload.add(data.domainLists);
    for (const RuleSet *set : {&data.blocks, &data.important, &data.exceptions, &data.pageExceptions})
        payload.add(*set);
    QByteArray names;
    QDataStream out(&names, QIODevice::WriteOnly);
    out << data.lists << data.counts.rules << data.counts.cosmetic << data.counts.unsupported;
    payload.add(std::string(names.constData(), size_t(names.size())));

    Writer file;
    file.bytes.append(Magic, sizeof Magic);
    file.addSize(Version);
    const QByteArray key = listKey(lists);
    file.add(std::string(key.constData(), size_t(key.size())));
    file.addSize(checksum(payload.bytes.constData(), payload.bytes.size()));
    file.bytes.append(payload.bytes);
    return file.bytes;
}

std::optional<FilterEngine> EngineCache::deserialize(const QByteArray &bytes,
                                                     const QList<FilterListFile> &lists)
{
    if (bytes.size() < qsizetype(sizeof Magic) || std::memcmp(bytes.constData(), Magic, sizeof Magic) != 0)
        return std::nullopt;
    Reader header(QByteArrayView(bytes).sliced(sizeof Magic));
    const QByteArray key = listKey(lists);
    if (header.size() != Version || header.text() != key.toStdString())
        return std::nullopt;
    const quint64 sum = header.size();
    const QByteArrayView payload = header.rest();
    if (header.failed() || sum != checksum(payload.data(), payload.size()))
        return std::nullopt;

    Reader in(payload);
    EngineData data;
    data.rules = in.vector<FilterRule>();
    data.text = in.text();
    data.domains = in.vector<quint32>();
    data.domainLists = in.vector<DomainList>();
    data.blocks = in.ruleSet();
    data.important = in.ruleSet();
    data.exceptions = in.ruleSet();
    data.pageExceptions = in.ruleSet();
    const std::string names = in.text();
    QDataStream counts(QByteArray::fromRawData(names.data(), qsizetype(names.size())));
    counts >> data.lists >> data.counts.rules >> data.counts.cosmetic >> data.counts.unsupported;
    if (in.failed() || counts.status() != QDataStream::Ok || !isSound(data))
        return std::nullopt;
    return FilterEngine(std::move(data));
}

bool EngineCache::save(const QString &path, const FilterEngine &engine,
                       const QList<FilterListFile> &lists)
{
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(serialize(engine, lists)) >= 0
        && file.commit();
}

std::optional<FilterEngine> EngineCache::load(const QString &path, const QList<FilterListFile> &lists)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return deserialize(file.readAll(), lists);
}

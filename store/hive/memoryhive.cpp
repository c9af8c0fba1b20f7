#include "store/hive/memoryhive.h"

MemoryHive::Key *MemoryHive::findKey(const QString &key)
{
    auto it = m_keys.find(key.toLower());
    return it == m_keys.end() ? nullptr : &it.value();
}

bool MemoryHive::createKey(const QString &key)
{
    m_keys[key.toLower()];
    return true;
}

Hive::Lookup MemoryHive::readValue(const QString &key, const QByteArray &name)
{
    Key *k = findKey(key);
    if (!k)
        return std::optional<QByteArray>();
    auto seq = k->seqOfName.constFind(name.toLower());
    if (seq == k->seqOfName.cend())
        return std::optional<QByteArray>();
    return std::optional<QByteArray>(k->bySeq.at(*seq).data);
}

bool MemoryHive::insertValue(const QString &key, const QByteArray &name, const QByteArray &data)
{
    Key *k = findKey(key);
    return k && !k->seqOfName.contains(name.toLower()) && setValue(key, name, data);
}

bool MemoryHive::setValue(const QString &key, const QByteArray &name, const QByteArray &data)
{
    Key *k = findKey(key);
    if (!k)
        return false;
    const QByteArray folded = name.toLower();
    auto seq = k->seqOfName.constFind(folded);
    if (seq != k->seqOfName.cend()) {
        k->bySeq[*seq].data = data;
        return true;
    }
    k->seqOfName.insert(folded, m_nextSeq);
    k->bySeq.emplace(m_nextSeq++, HiveValue{name, data});
    return true;
}

bool MemoryHive::deleteValue(const QString &key, const QByteArray &name)
{
    Key *k = findKey(key);
    if (!k)
        return false;
    auto seq = k->seqOfName.find(name.toLower());
    if (seq == k->seqOfName.end())
        return false;
    k->bySeq.erase(*seq);
    k->seqOfName.erase(seq);
    return true;
}

bool MemoryHive::renameValue(const QString &key, const QByteArray &from, const QByteArray &to)
{
    Key *k = findKey(key);
    if (!k || k->seqOfName.contains(to.toLower()))
        return false;
    auto seq = k->seqOfName.find(from.toLower());
    if (seq == k->seqOfName.end())
        return false;
    const qint64 kept = *seq;
    k->seqOfName.erase(seq);
    k->seqOfName.insert(to.toLower(), kept);
    k->bySeq[kept].name = to;
    return true;
}

bool MemoryHive::visitValues(const QString &key, const ValueVisitor &visit)
{
    if (Key *k = findKey(key))
        for (const auto &[seq, value] : k->bySeq)
            if (!visit(value.name, value.data))
                break;
    return true;
}

bool MemoryHive::visitValueNames(const QString &key, const NameVisitor &visit)
{
    if (Key *k = findKey(key))
        for (const auto &[seq, value] : k->bySeq)
            visit(seq, value.name);
    return true;
}

std::optional<bool> MemoryHive::visitOddValueNames(const QString &key, const NameVisitor &visit)
{
    return visitValueNames(key, visit);
}

bool MemoryHive::visitValuesWithPrefix(const QString &key, const QByteArray &prefix,
                                       const PlacedValueVisitor &visit)
{
    if (Key *k = findKey(key); k && !prefix.isEmpty())
        for (const auto &[seq, value] : k->bySeq)
            if (value.name.startsWith(prefix) || value.name.toLower().startsWith(prefix.toLower()))
                visit(seq, value.name, value.data);
    return true;
}

bool MemoryHive::beginTransaction()
{
    if (m_depth++ == 0)
        m_saved = m_keys;
    return true;
}

bool MemoryHive::commitTransaction()
{
    if (m_depth == 0)
        return false;
    if (--m_depth > 0)
        return !m_doomed;
    const bool committed = !m_doomed;
    if (!committed)
        m_keys = std::move(m_saved);
    m_saved.clear();
    m_doomed = false;
    return committed;
}

// As with the file: an inner rollback dooms the outermost transaction.
void MemoryHive::rollbackTransaction()
{
    if (m_depth == 0)
        return;
    m_doomed = true;
    if (--m_depth > 0)
        return;
    m_keys = std::move(m_saved);
    m_saved.clear();
    m_doomed = false;
}

#include "store/hive/hive.h"

std::optional<QByteArray> Hive::queryValue(const QString &key, const QByteArray &name)
{
    return readValue(key, name).value_or(std::nullopt);
}

std::optional<QList<HiveValue>> Hive::readValues(const QString &key)
{
    QList<HiveValue> values;
    const bool whole = visitValues(key, [&values](QByteArrayView name, QByteArrayView data) {
        values.append(HiveValue{name.toByteArray(), data.toByteArray()});
        return true;
    });
    if (!whole)
        return std::nullopt;
    return values;
}

QList<HiveValue> Hive::enumerateValues(const QString &key)
{
    return readValues(key).value_or(QList<HiveValue>());
}

std::optional<bool> Hive::visitOddValueNames(const QString &, const NameVisitor &)
{
    return std::nullopt;
}

std::optional<bool> Hive::hasValuesWithPrefix(const QString &, const QByteArray &)
{
    return std::nullopt;
}

void Hive::readAhead(const QString &, const QList<QByteArray> &) {}

void Hive::readNamesAhead(const QString &)
{
}

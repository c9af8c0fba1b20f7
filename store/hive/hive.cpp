#include "store/hive/hive.h"

QList<HiveValue> Hive::enumerateValues(const QString &key)
{
    QList<HiveValue> values;
    visitValues(key, [&values](QByteArrayView name, QByteArrayView data) {
        values.append(HiveValue{name.toByteArray(), data.toByteArray()});
        return true;
    });
    return values;
}

bool Hive::visitOddValueNames(const QString &, const NameVisitor &)
{
    return false;
}

std::optional<bool> Hive::hasValuesWithPrefix(const QString &, const QByteArray &)
{
    return std::nullopt;
}

void Hive::readAhead(const QString &, const QList<QByteArray> &) {}

void Hive::readNamesAhead(const QString &)
{
}

#include "store/storedtext.h"

#include <limits>

namespace StoredText {

QString leftCharacters(const QString &text, qsizetype n)
{
    qsizetype units = 0;
    for (qsizetype chars = 0; chars < n && units < text.size(); ++chars)
        units += (text.at(units).isHighSurrogate() && units + 1 < text.size()) ? 2 : 1;
    return text.left(units);
}

QByteArray line(const QString &text, char lineFeedStandIn)
{
    QByteArray bytes = text.toUtf8();
    bytes.removeIf([](char c) { return c == '\0'; });
    bytes.replace('\n', lineFeedStandIn);
    return bytes;
}

int leadingInt(QByteArrayView text)
{
    qsizetype i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    qint64 value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > std::numeric_limits<int>::max())
            return negative ? std::numeric_limits<int>::min() : std::numeric_limits<int>::max();
    }
    return int(negative ? -value : value);
}

std::optional<int> plainNumber(QByteArrayView text)
{
    if (text.isEmpty() || text.size() > 10 || (text.size() > 1 && text[0] == '0'))
        return std::nullopt;
    qint64 value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value > std::numeric_limits<int>::max())
        return std::nullopt;
    return int(value);
}

bool isPlainNumber(QByteArrayView text)
{
    return plainNumber(text).has_value();
}

} // namespace StoredText

#include "privacy/settings/privacyoptions.h"

#include "store/hive/hive.h"

#include <climits>

namespace {

bool isBlank(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

void readOption(Hive *hive, const char *name, int &field)
{
    if (const std::optional<QByteArray> text = hive->queryValue(PrivacyStore::KeyPath, name))
        field = optionValueFromText(*text);
}

} // namespace

int optionValueFromText(QByteArrayView text)
{
    text = text.first(qMin(text.size(), PrivacyStore::MaxValueLength));
    if (const qsizetype nul = text.indexOf('\0'); nul >= 0)
        text = text.first(nul);

    qsizetype at = 0;
    while (at < text.size() && isBlank(text[at]))
        ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-'))
        negative = text[at++] == '-';

    // Saturates instead of overflowing: a huge number still reads as on.
    qint64 value = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at)
        value = qMin<qint64>(value * 10 + (text[at] - '0'), qint64(INT_MAX) + 1);
    if (negative)
        return int(qMax<qint64>(-value, INT_MIN));
    return int(qMin<qint64>(value, INT_MAX));
}

void loadPrivacyOptions(Hive *hive, PrivacyOptions &options)
{
    if (!hive || !hive->createKey(PrivacyStore::KeyPath))
        return;
    readOption(hive, PrivacyStore::PopupFlag, options.popupFlag);
    readOption(hive, PrivacyStore::DeleteCookies, options.deleteCookiesOnExit);
    readOption(hive, PrivacyStore::DeleteHistory, options.deleteHistoryOnExit);
    readOption(hive, PrivacyStore::DeleteCache, options.deleteCacheOnExit);
    readOption(hive, PrivacyStore::BlockTrackers, options.blockTrackers);
}

bool writeOptionValue(Hive *hive, const QByteArray &value, const QByteArray &name)
{
    return hive && hive->createKey(PrivacyStore::KeyPath)
        && hive->setValue(PrivacyStore::KeyPath, name, value);
}

bool writePrivacyOptions(Hive *hive, const PrivacyOptions &options)
{
    bool stored = writeOptionValue(hive, QByteArray::number(options.popupFlag),
                                   PrivacyStore::PopupFlag);
    stored &= writeOptionValue(hive, QByteArray::number(options.deleteCookiesOnExit),
                               PrivacyStore::DeleteCookies);
    stored &= writeOptionValue(hive, QByteArray::number(options.deleteHistoryOnExit),
                               PrivacyStore::DeleteHistory);
    stored &= writeOptionValue(hive, QByteArray::number(options.deleteCacheOnExit),
                               PrivacyStore::DeleteCache);
    return stored;
}

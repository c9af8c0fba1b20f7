#pragma once

#include <QByteArray>
#include <QByteArrayView>

class Hive;

// The four privacy switches the main window holds; non-zero means on.
struct PrivacyOptions
{
    int popupFlag = 0;
    int deleteCookiesOnExit = 0;
    int deleteHistoryOnExit = 0;
    int deleteCacheOnExit = 0;
    int blockTrackers = 1; // on unless the user turned it off
};

namespace PrivacyStore {
inline constexpr char KeyPath[] = "Software\\k-vane\\store";
inline constexpr char PopupFlag[] = "flagReset";
inline constexpr char DeleteCookies[] = "flagCook";
inline constexpr char DeleteHistory[] = "flagHistory";
inline constexpr char DeleteCache[] = "flagCache";
inline constexpr char BlockTrackers[] = "flagBlocking";
// Stored text is read up to this many bytes, as into a fixed buffer.
inline constexpr qsizetype MaxValueLength = 1023;
} // namespace PrivacyStore

// Reads the stored switches in the order flagReset, flagCook, flagHistory,
// flagCache, creating the key when it is missing. A value that is missing or
// cannot be read leaves its field as it was.
void loadPrivacyOptions(Hive *hive, PrivacyOptions &options);

// Stores one value as text under the options key; false when it was not stored.
bool writeOptionValue(Hive *hive, const QByteArray &value, const QByteArray &name);

// Writes all four switches as decimal text in the load order; false when any
// of them was not stored (the others are still written).
bool writePrivacyOptions(Hive *hive, const PrivacyOptions &options);

// atoi rules: leading blanks, an optional sign, then decimal digits; anything
// else gives 0. Only the first MaxValueLength bytes count, and a NUL ends the text.
int optionValueFromText(QByteArrayView text);

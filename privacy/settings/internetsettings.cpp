#include "privacy/settings/internetsettings.h"

#include "privacy/settings/privacyoptions.h"
#include "store/hive/hive.h"

namespace {

void readFlag(Hive *hive, const char *name, bool &flag)
{
    if (const std::optional<QByteArray> text = hive->queryValue(PrivacyStore::KeyPath, name))
        flag = optionValueFromText(*text) != 0;
}

} // namespace

InternetSettings InternetSettings::load(Hive *hive)
{
    InternetSettings settings;
    if (!hive)
        return settings;
    if (const std::optional<QByteArray> home =
            hive->queryValue(PrivacyStore::KeyPath, InternetStore::HomePage))
        settings.homePage = QString::fromUtf8(*home).trimmed();
    readFlag(hive, InternetStore::JavaScript, settings.javaScript);
    readFlag(hive, InternetStore::Images, settings.images);
    readFlag(hive, InternetStore::DoNotTrack, settings.doNotTrack);
    return settings;
}

bool InternetSettings::save(Hive *hive) const
{
    const auto flag = [](bool on) { return QByteArray(on ? "1" : "0"); };
    bool stored = writeOptionValue(hive, homePage.trimmed().toUtf8(), InternetStore::HomePage);
    stored &= writeOptionValue(hive, flag(javaScript), InternetStore::JavaScript);
    stored &= writeOptionValue(hive, flag(images), InternetStore::Images);
    stored &= writeOptionValue(hive, flag(doNotTrack), InternetStore::DoNotTrack);
    return stored;
}

#pragma once

#include <QString>

class Hive;

// The web engine's own settings, stored beside the privacy options. Every page
// reads them again on its next navigation.
struct InternetSettings
{
    QString homePage; // empty: the start page
    bool javaScript = true;
    bool images = true;
    bool doNotTrack = false;

    // Missing or unreadable values keep their defaults.
    static InternetSettings load(Hive *hive);
    // False when any value was not stored.
    bool save(Hive *hive) const;

    friend bool operator==(const InternetSettings &, const InternetSettings &) = default;
};

namespace InternetStore {
inline constexpr char HomePage[] = "homePage";
inline constexpr char JavaScript[] = "flagJavaScript";
inline constexpr char Images[] = "flagImages";
inline constexpr char DoNotTrack[] = "flagDoNotTrack";
} // namespace InternetStore

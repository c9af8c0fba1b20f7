#pragma once

#include <QDir>
#include <QString>
#include <QStringList>

// Where today's browsers keep the bookmarks of their profiles on this system,
// in one place. Each function takes the home folder, so tests can build one.
namespace BrowserProfiles {

// Folders holding Firefox profiles: ~/.mozilla/firefox, and the same below
// Firefox's snap and flatpak homes.
QStringList firefoxProfileRoots(const QString &home = QDir::homePath());

// Folders holding Chromium-family profiles: ~/.config/chromium and
// ~/.config/google-chrome, the snap home of Chromium and the flatpak homes of
// Chromium and Chrome.
QStringList chromiumProfileRoots(const QString &home = QDir::homePath());

// The "places.sqlite" of every Firefox profile found (one folder level below
// each root), sorted within each root; missing roots are skipped.
QStringList firefoxPlacesFiles(const QString &home = QDir::homePath());

// The "Bookmarks" file of every Chromium-family profile found ("Default",
// "Profile 1", ...), the same way.
QStringList chromiumBookmarkFiles(const QString &home = QDir::homePath());

} // namespace BrowserProfiles

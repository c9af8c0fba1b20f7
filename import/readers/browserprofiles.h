#pragma once

#include <QDir>
#include <QList>
#include <QString>
#include <QStringList>

// Where today's browsers keep the bookmarks of their profiles on this system,
// in one place. Each function takes the home folder (and the XDG config
// folder, empty for its default below home), so tests can build one.
namespace BrowserProfiles {

// One profile's bookmark file, by the name the person gave the profile.
struct Profile
{
    QString name;
    QString file;
    bool operator==(const Profile &) const = default;
};

// Folders holding Firefox profiles: $XDG_CONFIG_HOME/mozilla/firefox,
// ~/.mozilla/firefox, and both forms of each below Firefox's snap and
// flatpak homes.
QStringList
firefoxProfileRoots(const QString &home = QDir::homePath(),
                    const QString &configHome = qEnvironmentVariable("XDG_CONFIG_HOME"));

// Folders holding Chromium-family profiles: ~/.config/chromium and
// ~/.config/google-chrome, the snap home of Chromium and the flatpak homes of
// Chromium and Chrome.
QStringList
chromiumProfileRoots(const QString &home = QDir::homePath(),
                     const QString &configHome = qEnvironmentVariable("XDG_CONFIG_HOME"));

// The "places.sqlite" of every Firefox profile found: in each root, the
// profiles of its profiles.ini by their names, the one an installation or
// the file marks as default first; where a root has no profiles.ini, every
// profile folder one level below it, by folder name.
QList<Profile> firefoxProfiles(const QString &home = QDir::homePath(),
                               const QString &configHome = qEnvironmentVariable("XDG_CONFIG_HOME"));

// The "Bookmarks" file of every Chromium-family profile found, named as its
// "Local State" names it ("Default", "Profile 1", ... where it does not), the
// one last used first.
QList<Profile>
chromiumProfiles(const QString &home = QDir::homePath(),
                 const QString &configHome = qEnvironmentVariable("XDG_CONFIG_HOME"));

// Only the files of the above.
QStringList firefoxPlacesFiles(const QString &home = QDir::homePath(),
                               const QString &configHome = qEnvironmentVariable("XDG_CONFIG_HOME"));
QStringList
chromiumBookmarkFiles(const QString &home = QDir::homePath(),
                      const QString &configHome = qEnvironmentVariable("XDG_CONFIG_HOME"));

} // namespace BrowserProfiles

#include "import/readers/browserprofiles.h"

#include "import/readers/regularfile.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSettings>

#include <algorithm>
#include <utility>

namespace {

// Local State and profiles.ini are small; anything bigger is not one.
constexpr qint64 IndexLimit = 4 * 1024 * 1024;

QString configOf(const QString &home, const QString &configHome)
{
    return configHome.isEmpty() ? QDir(home).filePath(QStringLiteral(".config")) : configHome;
}

// The file in each profile folder one level below root, by folder name.
QList<BrowserProfiles::Profile> scanFolders(const QString &root, const QString &fileName)
{
    QList<BrowserProfiles::Profile> found;
    const QDir dir(root);
    const QStringList profiles =
        dir.entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString &profile : profiles) {
        const QFileInfo file(dir.filePath(profile + QLatin1Char('/') + fileName));
        if (file.isFile())
            found.append({profile, file.filePath()});
    }
    return found;
}

// The profile folders that an installation of Firefox uses by default, as
// installs.ini and the [Install...] groups of profiles.ini name them.
QStringList installDefaults(const QString &root)
{
    QStringList defaults;
    for (const QString &name : {QStringLiteral("installs.ini"), QStringLiteral("profiles.ini")}) {
        const QString path = QDir(root).filePath(name);
        if (!QFileInfo(path).isFile())
            continue;
        QSettings ini(path, QSettings::IniFormat);
        for (const QString &group : ini.childGroups()) {
            if (name == u"profiles.ini" && !group.startsWith(QLatin1String("Install")))
                continue;
            const QString folder = ini.value(group + QLatin1String("/Default")).toString();
            if (!folder.isEmpty() && !defaults.contains(folder))
                defaults.append(folder);
        }
    }
    return defaults;
}

QList<BrowserProfiles::Profile> firefoxRootProfiles(const QString &root)
{
    const QString index = QDir(root).filePath(QStringLiteral("profiles.ini"));
    if (!QFileInfo(index).isFile() || QFileInfo(index).size() > IndexLimit)
        return scanFolders(root, QStringLiteral("places.sqlite"));
    const QStringList defaults = installDefaults(root);
    QSettings ini(index, QSettings::IniFormat);
    // The installations' defaults in their order, then the file's default, then the rest.
    QList<std::pair<qsizetype, BrowserProfiles::Profile>> ranked;
    QStringList groups = ini.childGroups();
    // Profile10 after Profile9: by the number, as Firefox writes them.
    std::stable_sort(groups.begin(), groups.end(), [](const QString &a, const QString &b) {
        return a.mid(7).toInt() < b.mid(7).toInt();
    });
    for (const QString &group : std::as_const(groups)) {
        if (!group.startsWith(QLatin1String("Profile")))
            continue;
        ini.beginGroup(group);
        const QString folder = ini.value(QStringLiteral("Path")).toString();
        const bool relative = ini.value(QStringLiteral("IsRelative"), 1).toInt() != 0;
        QString name = ini.value(QStringLiteral("Name")).toString();
        const bool isDefault = ini.value(QStringLiteral("Default")).toInt() == 1;
        ini.endGroup();
        if (folder.isEmpty())
            continue;
        const QString profile = relative ? QDir(root).filePath(folder) : folder;
        const QFileInfo places(QDir(profile).filePath(QStringLiteral("places.sqlite")));
        if (!places.isFile())
            continue;
        if (name.isEmpty())
            name = QFileInfo(profile).fileName();
        qsizetype rank = defaults.indexOf(folder);
        if (rank < 0)
            rank = defaults.size() + (isDefault ? 0 : 1);
        ranked.append({rank, {name, places.filePath()}});
    }
    std::stable_sort(ranked.begin(), ranked.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first; });
    QList<BrowserProfiles::Profile> profiles;
    for (const auto &each : std::as_const(ranked))
        profiles.append(each.second);
    return profiles;
}

QList<BrowserProfiles::Profile> chromiumRootProfiles(const QString &root)
{
    const auto text =
        RegularFile::read(QDir(root).filePath(QStringLiteral("Local State")), IndexLimit);
    const QJsonObject profile =
        text ? QJsonDocument::fromJson(*text).object().value(QLatin1String("profile")).toObject()
             : QJsonObject();
    const QJsonObject cache = profile.value(QLatin1String("info_cache")).toObject();
    if (cache.isEmpty())
        return scanFolders(root, QStringLiteral("Bookmarks"));
    // The profile Chromium opens by default first, then the person's order.
    QStringList folders;
    const QString lastUsed = profile.value(QLatin1String("last_used")).toString();
    if (cache.contains(lastUsed))
        folders.append(lastUsed);
    for (const QJsonValue &folder : profile.value(QLatin1String("profiles_order")).toArray())
        if (cache.contains(folder.toString()) && !folders.contains(folder.toString()))
            folders.append(folder.toString());
    for (const QString &folder : cache.keys())
        if (!folders.contains(folder))
            folders.append(folder);
    QList<BrowserProfiles::Profile> found;
    for (const QString &folder : std::as_const(folders)) {
        const QFileInfo bookmarks(QDir(root).filePath(folder + QLatin1String("/Bookmarks")));
        if (!bookmarks.isFile())
            continue;
        QString name = cache.value(folder).toObject().value(QLatin1String("name")).toString();
        found.append({name.isEmpty() ? folder : name, bookmarks.filePath()});
    }
    return found;
}

QStringList filesOf(const QList<BrowserProfiles::Profile> &profiles)
{
    QStringList files;
    for (const BrowserProfiles::Profile &profile : profiles)
        files.append(profile.file);
    return files;
}

} // namespace

namespace BrowserProfiles {

QStringList firefoxProfileRoots(const QString &home, const QString &configHome)
{
    const QDir dir(home);
    const QString firefox = QStringLiteral("mozilla/firefox");
    return {QDir(configOf(home, configHome)).filePath(firefox),
            dir.filePath(QStringLiteral(".mozilla/firefox")),
            dir.filePath(QStringLiteral("snap/firefox/common/.config/mozilla/firefox")),
            dir.filePath(QStringLiteral("snap/firefox/common/.mozilla/firefox")),
            dir.filePath(QStringLiteral(".var/app/org.mozilla.firefox/config/mozilla/firefox")),
            dir.filePath(QStringLiteral(".var/app/org.mozilla.firefox/.mozilla/firefox"))};
}

QStringList chromiumProfileRoots(const QString &home, const QString &configHome)
{
    const QDir dir(home);
    const QDir config(configOf(home, configHome));
    return {config.filePath(QStringLiteral("chromium")),
            config.filePath(QStringLiteral("google-chrome")),
            dir.filePath(QStringLiteral("snap/chromium/common/chromium")),
            dir.filePath(QStringLiteral(".var/app/org.chromium.Chromium/config/chromium")),
            dir.filePath(QStringLiteral(".var/app/com.google.Chrome/config/google-chrome"))};
}

QList<Profile> firefoxProfiles(const QString &home, const QString &configHome)
{
    QList<Profile> found;
    QStringList seen;
    for (const QString &root : firefoxProfileRoots(home, configHome)) {
        for (const Profile &profile : firefoxRootProfiles(root)) {
            // A root reached twice (a link, or XDG_CONFIG_HOME set to ~/.mozilla's
            // parent) lists its profiles once.
            const QString canonical = QFileInfo(profile.file).canonicalFilePath();
            if (!seen.contains(canonical)) {
                seen.append(canonical);
                found.append(profile);
            }
        }
    }
    return found;
}

QList<Profile> chromiumProfiles(const QString &home, const QString &configHome)
{
    QList<Profile> found;
    for (const QString &root : chromiumProfileRoots(home, configHome))
        found += chromiumRootProfiles(root);
    return found;
}

QStringList firefoxPlacesFiles(const QString &home, const QString &configHome)
{
    return filesOf(firefoxProfiles(home, configHome));
}

QStringList chromiumBookmarkFiles(const QString &home, const QString &configHome)
{
    return filesOf(chromiumProfiles(home, configHome));
}

} // namespace BrowserProfiles

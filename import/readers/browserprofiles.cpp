#include "import/readers/browserprofiles.h"

#include <QFileInfo>

namespace {

QStringList inProfiles(const QStringList &roots, const QString &fileName)
{
    QStringList found;
    for (const QString &root : roots) {
        const QDir dir(root);
        const QStringList profiles =
            dir.entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
        for (const QString &profile : profiles) {
            const QFileInfo file(dir.filePath(profile + QLatin1Char('/') + fileName));
            if (file.isFile())
                found.append(file.filePath());
        }
    }
    return found;
}

} // namespace

namespace BrowserProfiles {

QStringList firefoxProfileRoots(const QString &home)
{
    const QDir dir(home);
    return {dir.filePath(QStringLiteral(".mozilla/firefox")),
            dir.filePath(QStringLiteral("snap/firefox/common/.mozilla/firefox")),
            dir.filePath(QStringLiteral(".var/app/org.mozilla.firefox/.mozilla/firefox"))};
}

QStringList chromiumProfileRoots(const QString &home)
{
    const QDir dir(home);
    return {dir.filePath(QStringLiteral(".config/chromium")),
            dir.filePath(QStringLiteral(".config/google-chrome")),
            dir.filePath(QStringLiteral("snap/chromium/common/chromium")),
            dir.filePath(QStringLiteral(".var/app/org.chromium.Chromium/config/chromium")),
            dir.filePath(QStringLiteral(".var/app/com.google.Chrome/config/google-chrome"))};
}

QStringList firefoxPlacesFiles(const QString &home)
{
    return inProfiles(firefoxProfileRoots(home), QStringLiteral("places.sqlite"));
}

QStringList chromiumBookmarkFiles(const QString &home)
{
    return inProfiles(chromiumProfileRoots(home), QStringLiteral("Bookmarks"));
}

} // namespace BrowserProfiles

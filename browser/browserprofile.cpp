#include "browser/browserprofile.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QWebEngineProfile>

namespace {

constexpr QFileDevice::Permissions OwnerOnly =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;

// base/k-vane/Harbrow, each level this call creates (and the last one always)
// readable by the owner alone: browsing traces are nobody else's business.
QString privateFolder(QStandardPaths::StandardLocation base)
{
    QString path = QStandardPaths::writableLocation(base);
    for (const char *level : {"k-vane", "Harbrow"}) {
        path += QLatin1Char('/') + QLatin1String(level);
        QDir dir(path);
        if (!dir.exists() && dir.mkpath(QStringLiteral(".")))
            QFile::setPermissions(path, OwnerOnly);
    }
    QFile::setPermissions(path, OwnerOnly);
    return path;
}

} // namespace

// The engine writes its first preferences below the application's data folder,
// which for Harbrow (organisation k-vane, application Harbrow) is storagePath() itself.
BrowserProfile::BrowserProfile()
    : m_profile(std::make_unique<QWebEngineProfile>(QStringLiteral("Harbrow")))
{
    m_profile->setPersistentStoragePath(storagePath());
    m_profile->setCachePath(cachePath());
    m_profile->setHttpCacheType(QWebEngineProfile::DiskHttpCache);
    m_profile->setPersistentCookiesPolicy(QWebEngineProfile::AllowPersistentCookies);
    m_profile->setSpellCheckEnabled(false);
}

BrowserProfile::~BrowserProfile() = default;

QString BrowserProfile::storagePath()
{
    return privateFolder(QStandardPaths::GenericDataLocation);
}

QString BrowserProfile::cachePath()
{
    return privateFolder(QStandardPaths::GenericCacheLocation);
}

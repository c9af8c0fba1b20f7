#include "browser/browserprofile.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QWebEngineProfile>
#include <QWebEngineSettings>

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

bool removesEverything(const PrivacyOptions &options)
{
    return options.deleteCookiesOnExit && options.deleteHistoryOnExit
           && options.deleteCacheOnExit;
}

// A profile without a storage name is off the record.
std::unique_ptr<QWebEngineProfile> makeProfile(const PrivacyOptions &options)
{
    if (removesEverything(options))
        return std::make_unique<QWebEngineProfile>();
    return std::make_unique<QWebEngineProfile>(QStringLiteral("Harbrow"));
}

} // namespace

// The engine writes its first preferences below the application's data folder,
// which for Harbrow (organisation k-vane, application Harbrow) is storagePath() itself.
BrowserProfile::BrowserProfile(const PrivacyOptions &options) : m_profile(makeProfile(options))
{
    m_profile->setSpellCheckEnabled(false);
    // A local file a page opens reads no other local file and nothing remote.
    m_profile->settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
    m_profile->settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    if (m_profile->isOffTheRecord())
        return;
    m_profile->setPersistentStoragePath(storagePath());
    m_profile->setCachePath(cachePath());
    m_profile->setHttpCacheType(options.deleteCacheOnExit ? QWebEngineProfile::MemoryHttpCache
                                                          : QWebEngineProfile::DiskHttpCache);
    m_profile->setPersistentCookiesPolicy(options.deleteCookiesOnExit
                                              ? QWebEngineProfile::NoPersistentCookies
                                              : QWebEngineProfile::AllowPersistentCookies);
}

bool BrowserProfile::isOffTheRecord() const
{
    return m_profile->isOffTheRecord();
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

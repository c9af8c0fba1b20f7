#include "privacy/enginesettings.h"

#include <QWebEngineProfile>
#include <QWebEngineSettings>

EngineSettings::EngineSettings(Hive *hive, QWebEngineProfile *profile)
    : QWebEngineUrlRequestInterceptor(profile), m_hive(hive), m_profile(profile)
{
    refresh();
    m_profile->setUrlRequestInterceptor(this);
}

EngineSettings::~EngineSettings() = default;

void EngineSettings::refresh()
{
    m_settings = InternetSettings::load(m_hive);
    QWebEngineSettings *settings = m_profile->settings();
    settings->setAttribute(QWebEngineSettings::JavascriptEnabled, m_settings.javaScript);
    settings->setAttribute(QWebEngineSettings::AutoLoadImages, m_settings.images);
}

// Runs on the user-interface thread (Qt 6), before the request leaves.
void EngineSettings::interceptRequest(QWebEngineUrlRequestInfo &info)
{
    if (info.resourceType() == QWebEngineUrlRequestInfo::ResourceTypeMainFrame)
        refresh();
    if (m_settings.doNotTrack)
        info.setHttpHeader("DNT", "1");
}

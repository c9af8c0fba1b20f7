#pragma once

#include "privacy/settings/internetsettings.h"

#include <QWebEngineUrlRequestInterceptor>

class Hive;
class QWebEngineProfile;

// Puts the stored Internet options into effect on the profile: JavaScript and
// pictures are read again from the hive at every page navigation, and every
// request carries the "Do Not Track" header while that option is on. Belongs
// to the profile it serves.
class EngineSettings final : public QWebEngineUrlRequestInterceptor
{
    Q_OBJECT

public:
    EngineSettings(Hive *hive, QWebEngineProfile *profile);
    ~EngineSettings() override;
    Q_DISABLE_COPY_MOVE(EngineSettings)

    void interceptRequest(QWebEngineUrlRequestInfo &info) override;

    // Reads the options again and applies them to the profile's settings.
    void refresh();
    const InternetSettings &settings() const { return m_settings; }

private:
    Hive *m_hive;
    QWebEngineProfile *m_profile;
    InternetSettings m_settings;
};

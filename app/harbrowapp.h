#pragma once

#include "privacy/settings/privacyoptions.h"

#include <QApplication>
#include <QPointer>
#include <QStringList>

#include <functional>
#include <memory>

class MainWindow;
class UserHive;

// The application object: runs the start-up sequence.
class HarbrowApp final : public QApplication
{
    Q_OBJECT

public:
    HarbrowApp(int &argc, char **argv);
    ~HarbrowApp() override;

    static HarbrowApp *instance();

    // The whole program: the application object with beforeStart called on it,
    // InitInstance, and once the object (and with it the web engine) is gone, the
    // traces the engine may have written last. Returns the exit code.
    static int run(int &argc, char **argv,
                   const std::function<void(HarbrowApp &)> &beforeStart = {});

    // Opens the user's hive, greets a first run, then runs the main window until
    // it closes. Always returns false: there is no event loop after it.
    bool InitInstance();

    int exitCode() const { return m_exitCode; }

    // Web addresses to open once the window is up (from the command line).
    void setStartAddresses(const QStringList &addresses) { m_startAddresses = addresses; }

private:
    void warnOfLaterDamage(QWidget *window);
    void openAddresses(const QStringList &addresses);

    std::unique_ptr<UserHive> m_userHive;
    QStringList m_startAddresses;
    QPointer<MainWindow> m_mainWindow;
    int m_exitCode = 0;
    PrivacyOptions m_privacyOptionsAtExit;
};

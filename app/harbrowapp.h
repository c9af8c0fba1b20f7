#pragma once

#include "privacy/settings/privacyoptions.h"

#include <QApplication>
#include <QStringList>

#include <functional>
#include <memory>

class MainWindow;
class QuitSignalWatcher;
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
    // traces the engine may have written last. The hive, and with it the claim
    // to be the one instance, is held until that removal is done. Returns the
    // exit code.
    static int run(int &argc, char **argv,
                   const std::function<void(HarbrowApp &)> &beforeStart = {});

    // Opens the user's hive, greets a first run, then runs the main window until
    // it closes. Always returns false: there is no event loop after it.
    bool InitInstance();

    int exitCode() const { return m_exitCode; }

    // Web addresses to open once the window is up (from the command line).
    void setStartAddresses(const QStringList &addresses) { m_startAddresses = addresses; }

    // Ends the run as File > Exit does: dialogs open on top are dismissed, then
    // the main window is closed. For a signal or the desktop session ending.
    void endAsExit();

protected:
    bool event(QEvent *event) override;

private:
    void warnOfLaterDamage(QWidget *window);
    bool refuseUnwritableFolder();
    void refuseToRunUnlocked(const QString &folder);
    void removeLeftTraces();
    void openAddresses(const QStringList &addresses);

    std::unique_ptr<UserHive> m_userHive;
    QuitSignalWatcher *m_quitSignals;
    MainWindow *m_mainWindow = nullptr;
    QStringList m_startAddresses;
    bool m_ending = false;
    bool m_holdHiveToTheEnd = false;
    int m_exitCode = 0;
    PrivacyOptions m_privacyOptionsAtExit;
};

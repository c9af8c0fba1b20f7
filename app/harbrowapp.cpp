#include "app/harbrowapp.h"

#include "app/instancehandover.h"
#include "app/mainwindow.h"
#include "app/welcomedialog.h"
#include "browser/browserprofile.h"
#include "controls/prompts.h"
#include "privacy/traces/tracefolders.h"
#include "privacy/traces/traceremoval.h"
#include "store/bookmarkstore.h"
#include "store/hive/hive.h"
#include "store/hive/userhive.h"

#include <QDir>
#include <QTimer>

#include <utility>

HarbrowApp::HarbrowApp(int &argc, char **argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("Harbrow"));
    setOrganizationName(QStringLiteral("k-vane"));
    setApplicationVersion(QStringLiteral(HARBROW_VERSION));
    setWindowIcon(QIcon(QStringLiteral(":/icons/harbrow.svg")));
}

HarbrowApp::~HarbrowApp() = default;

// The file's pages are checked from the first tick after the window comes up,
// so that the two do not share the processor; damage found then is told once,
// and from then on the file refuses every change.
void HarbrowApp::warnOfLaterDamage(QWidget *window)
{
    auto *poll = new QTimer(window);
    poll->setInterval(50);
    connect(poll, &QTimer::timeout, window, [this, window, poll] {
        m_userHive->startCheck();
        if (m_userHive->isChecking())
            return;
        poll->stop();
        if (!m_userHive->damageFound())
            return;
        Prompts::instance().inform(
            window, QMessageBox::Warning, tr("Harbrow"),
            tr("Your bookmarks file is damaged, so Harbrow will not change it: your bookmarks "
               "are shown as far as they could be read, but no change can be saved this "
               "time.\n\n%1\n\nThe file has not been changed:\n%2")
                .arg(m_userHive->errorString(), QDir::toNativeSeparators(m_userHive->path())));
    });
    poll->start();
}

HarbrowApp *HarbrowApp::instance()
{
    return qobject_cast<HarbrowApp *>(QCoreApplication::instance());
}

int HarbrowApp::run(int &argc, char **argv,
                    const std::function<void(HarbrowApp &)> &beforeStart)
{
    int exitCode = 0;
    PrivacyOptions atExit;
    {
        HarbrowApp app(argc, argv);
        if (beforeStart)
            beforeStart(app);
        app.InitInstance();
        exitCode = app.exitCode();
        atExit = app.m_privacyOptionsAtExit;
    }
    // The engine's threads stop only with the application object, and work it
    // had queued may have written again after the window removed the traces.
    removeTraces(atExit, TraceFolders(BrowserProfile::storagePath(), BrowserProfile::cachePath()));
    return exitCode;
}

// Addresses that come before the window wait for it.
void HarbrowApp::openAddresses(const QStringList &addresses)
{
    if (m_mainWindow)
        m_mainWindow->openAddresses(addresses);
    else
        m_startAddresses += addresses;
}

bool HarbrowApp::InitInstance()
{
    m_userHive = std::make_unique<UserHive>();
    switch (m_userHive->open()) {
    case UserHive::Status::AlreadyRunning:
        // The running instance opens them: this one never writes to its hive.
        if (!m_startAddresses.isEmpty()
            && InstanceHandOver::handOver(m_userHive->path(), m_startAddresses)) {
            m_exitCode = 0;
            return false;
        }
        Prompts::instance().inform(nullptr, QMessageBox::Information, tr("Harbrow"),
                                   tr("Harbrow is already running."));
        m_exitCode = 1;
        return false;
    case UserHive::Status::Damaged:
        Prompts::instance().inform(
            nullptr, QMessageBox::Warning, tr("Harbrow"),
            tr("Your bookmarks file cannot be used, so Harbrow starts with an empty collection "
               "this time and changes will not be kept.\n\n%1\n\nThe file has not been changed:\n%2")
                .arg(m_userHive->errorString(), QDir::toNativeSeparators(m_userHive->path())));
        // As the message says: no welcome and no default collection, the
        // user's own collection is still in the file.
        BookmarkStore::markFirstRunDone(m_userHive->hive());
        break;
    case UserHive::Status::Opened:
        break;
    }
    Hive *hive = m_userHive->hive();
    InstanceHandOver handOver(m_userHive->path());
    connect(&handOver, &InstanceHandOver::addressesReceived, this, &HarbrowApp::openAddresses);
    handOver.listen();
    if (BookmarkStore::isFirstRun(hive)) {
        WelcomeDialog welcome;
        welcome.exec();
    }
    {
        MainWindow mainWindow(hive);
        m_mainWindow = &mainWindow;
        warnOfLaterDamage(&mainWindow);
        // Once the window is up, when the modal run has started.
        QTimer::singleShot(0, &mainWindow,
                           [this] { openAddresses(std::exchange(m_startAddresses, {})); });
        mainWindow.exec();
        m_privacyOptionsAtExit = mainWindow.privacyOptions();
    }
    m_userHive.reset();
    return false;
}

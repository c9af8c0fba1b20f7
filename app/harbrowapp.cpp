#include "app/harbrowapp.h"

#include "app/instancehandover.h"
#include "app/mainwindow.h"
#include "app/quitsignalwatcher.h"
#include "app/welcomedialog.h"
#include "browser/browserprofile.h"
#include "controls/prompts.h"
#include "import/readers/placescopy.h"
#include "privacy/traces/tracefolders.h"
#include "privacy/traces/traceremoval.h"
#include "store/bookmarkstore.h"
#include "store/hive/hive.h"
#include "store/hive/userhive.h"

#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QTimer>

#include <utility>

namespace {

// Whether a folder could be written in, or made where it is missing, without
// making anything yet.
bool canWriteIn(const QString &folder)
{
    QFileInfo info(folder);
    while (!info.exists() && !info.isRoot() && !info.absolutePath().isEmpty()) {
        if (info.isSymLink())
            return false; // a dangling link would be made through
        info.setFile(info.absolutePath());
    }
    return info.isDir() && info.isWritable();
}

TraceFolders browserTraceFolders()
{
    return TraceFolders(BrowserProfile::storagePath(), BrowserProfile::cachePath());
}

} // namespace

HarbrowApp::HarbrowApp(int &argc, char **argv)
    : QApplication(argc, argv), m_quitSignals(new QuitSignalWatcher(this))
{
    setApplicationName(QStringLiteral("Harbrow"));
    setOrganizationName(QStringLiteral("k-vane"));
    setApplicationVersion(QStringLiteral(HARBROW_VERSION));
    setWindowIcon(QIcon(QStringLiteral(":/icons/harbrow.svg")));
    connect(m_quitSignals, &QuitSignalWatcher::quitRequested, this, &HarbrowApp::endAsExit);
    // The session may not come back to ask again: what is private goes now.
    connect(this, &QGuiApplication::commitDataRequest, this, &HarbrowApp::endAsExit);
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
    std::unique_ptr<UserHive> held;
    {
        HarbrowApp app(argc, argv);
        if (beforeStart)
            beforeStart(app);
        app.m_holdHiveToTheEnd = true;
        app.InitInstance();
        exitCode = app.exitCode();
        atExit = app.m_privacyOptionsAtExit;
        held = std::move(app.m_userHive);
    }
    // The engine's threads stop only with the application object, and work it
    // had queued may have written again after the window removed the traces.
    if (held)
        removeTraces(atExit, browserTraceFolders());
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

// A session ending (or the platform asking the program to quit) ends it as Exit.
bool HarbrowApp::event(QEvent *event)
{
    if (event->type() == QEvent::Quit) {
        endAsExit();
        return true;
    }
    return QApplication::event(event);
}

void HarbrowApp::endAsExit()
{
    m_ending = true;
    // A question or dialog on top is left unanswered, as a closed window would be.
    for (int tries = 0; tries < 16; ++tries) {
        QWidget *modal = activeModalWidget();
        if (!modal || modal == m_mainWindow)
            break;
        if (auto *dialog = qobject_cast<QDialog *>(modal))
            dialog->reject();
        else
            modal->close();
    }
    if (m_mainWindow)
        m_mainWindow->accept();
}

// Without a lock two instances would remove each other's open files; a
// folder that cannot take one is not changed in any other way either.
bool HarbrowApp::refuseUnwritableFolder()
{
    const QString folder = QFileInfo(UserHive::defaultPath()).absolutePath();
    if (canWriteIn(folder))
        return false;
    refuseToRunUnlocked(folder);
    return true;
}

void HarbrowApp::refuseToRunUnlocked(const QString &folder)
{
    Prompts::instance().inform(
        nullptr, QMessageBox::Critical, tr("Harbrow"),
        tr("Harbrow cannot write in its folder, so it cannot make sure that it runs only "
           "once, and it ends without changing anything:\n%1")
            .arg(QDir::toNativeSeparators(folder)));
    m_exitCode = 1;
}

// Whatever a crash or a kill left behind goes before the engine opens the profile.
void HarbrowApp::removeLeftTraces()
{
    PrivacyOptions options;
    loadPrivacyOptions(m_userHive->hive(), options);
    removeTraces(options, browserTraceFolders());
    PlacesCopy::sweep(); // another browser's history, if a crash cut an import short
}

bool HarbrowApp::InitInstance()
{
    m_ending = false;
    if (refuseUnwritableFolder())
        return false;
    m_userHive = std::make_unique<UserHive>();
    switch (m_userHive->open()) {
    case UserHive::Status::AlreadyRunning:
        // The running instance opens them: this one never writes to its hive.
        if (!m_startAddresses.isEmpty()
            && InstanceHandOver::handOver(m_userHive->path(), m_startAddresses)) {
            m_userHive.reset(); // the traces are the running instance's
            m_exitCode = 0;
            return false;
        }
        Prompts::instance().inform(nullptr, QMessageBox::Information, tr("Harbrow"),
                                   tr("Harbrow is already running."));
        m_userHive.reset(); // the traces are the running instance's
        m_exitCode = 1;
        return false;
    case UserHive::Status::Unlocked:
        refuseToRunUnlocked(QFileInfo(m_userHive->path()).absolutePath());
        m_userHive.reset();
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
    removeLeftTraces();
    Hive *hive = m_userHive->hive();
    InstanceHandOver handOver(m_userHive->path());
    connect(&handOver, &InstanceHandOver::addressesReceived, this, &HarbrowApp::openAddresses);
    handOver.listen();
    if (BookmarkStore::isFirstRun(hive)) {
        WelcomeDialog welcome;
        welcome.exec();
    }
    if (!m_ending) {
        MainWindow mainWindow(hive);
        m_mainWindow = &mainWindow;
        warnOfLaterDamage(&mainWindow);
        // Once the window is up, when the modal run has started.
        QTimer::singleShot(0, &mainWindow,
                           [this] { openAddresses(std::exchange(m_startAddresses, {})); });
        if (!m_ending)
            mainWindow.exec();
        m_mainWindow = nullptr;
        m_privacyOptionsAtExit = mainWindow.privacyOptions();
    }
    if (!m_holdHiveToTheEnd)
        m_userHive.reset();
    return false;
}

#include "app/harbrowapp.h"
#include "app/mainwindow.h"
#include "app/welcomedialog.h"
#include "controls/prompts.h"
#include "store/bookmarkstore.h"
#include "store/hive/memoryhive.h"
#include "store/hive/userhive.h"

#include "webtesting.h"

#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <functional>

// Runs the real start-up against the test's own hive (its XDG_CONFIG_HOME is a
// fresh temporary folder) and closes every window it brings up, noting which.
class TestShellStartup : public QObject
{
    Q_OBJECT

    enum class WelcomeEnd { Ok, Escape, Close };

    QStringList m_shown;
    WelcomeEnd m_welcomeEnd = WelcomeEnd::Ok;
    QTimer m_closer;
    // How the main window is ended; closing it unless set.
    std::function<void(MainWindow *)> m_endMainWindow;
    int m_mainResult = -1;

    void closeWhatIsShown();
    QStringList runStartUp();

private slots:
    void initTestCase();
    void init();
    void welcomeOnlyOnTheFirstStart_data();
    void welcomeOnlyOnTheFirstStart();
    void firstRunIsDecidedByTheStore();
    void damagedHiveIsNoFirstRun();
    void everyEndingIsAnExit_data();
    void everyEndingIsAnExit();
    void anUnwritableFolderIsToldAndNothingChanges();
};

void TestShellStartup::initTestCase()
{
    m_closer.setInterval(10);
    connect(&m_closer, &QTimer::timeout, this, &TestShellStartup::closeWhatIsShown);
}

void TestShellStartup::init()
{
    QFile::remove(UserHive::defaultPath());
    QFile::remove(UserHive::defaultPath() + QStringLiteral("-wal"));
    QFile::remove(UserHive::defaultPath() + QStringLiteral("-shm"));
}

void TestShellStartup::closeWhatIsShown()
{
    QWidget *modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible())
        return;
    if (auto *welcome = qobject_cast<WelcomeDialog *>(modal)) {
        m_shown.append(QStringLiteral("welcome"));
        switch (m_welcomeEnd) {
        case WelcomeEnd::Ok:
            QTest::mouseClick(welcome->findChild<QPushButton *>(), Qt::LeftButton);
            break;
        case WelcomeEnd::Escape:
            QTest::keyClick(welcome, Qt::Key_Escape);
            break;
        case WelcomeEnd::Close:
            welcome->close();
            break;
        }
    } else if (auto *main = qobject_cast<MainWindow *>(modal)) {
        if (m_shown.contains(QStringLiteral("main window")))
            return; // still ending
        m_shown.append(QStringLiteral("main window"));
        connect(main, &QDialog::finished, this, [this](int result) { m_mainResult = result; });
        if (m_endMainWindow)
            m_endMainWindow(main);
        else
            main->close();
    }
}

QStringList TestShellStartup::runStartUp()
{
    m_shown.clear();
    m_closer.start();
    const bool result = HarbrowApp::instance()->InitInstance();
    m_closer.stop();
    if (result)
        return {QStringLiteral("InitInstance returned true")};
    return m_shown;
}

void TestShellStartup::welcomeOnlyOnTheFirstStart_data()
{
    QTest::addColumn<int>("welcomeEnd");
    QTest::newRow("welcome closed with OK") << int(WelcomeEnd::Ok);
    QTest::newRow("welcome closed with Escape") << int(WelcomeEnd::Escape);
    QTest::newRow("welcome window closed") << int(WelcomeEnd::Close);
}

void TestShellStartup::welcomeOnlyOnTheFirstStart()
{
    QFETCH(int, welcomeEnd);
    m_welcomeEnd = WelcomeEnd(welcomeEnd);

    QCOMPARE(runStartUp(), QStringList({"welcome", "main window"}));
    QVERIFY(QFile::exists(UserHive::defaultPath()));
    QCOMPARE(runStartUp(), QStringList({"main window"}));
    QCOMPARE(runStartUp(), QStringList({"main window"}));
}

void TestShellStartup::firstRunIsDecidedByTheStore()
{
    MemoryHive hive;
    QVERIFY(BookmarkStore::isFirstRun(&hive));
    {
        MainWindow window(&hive);
        QVERIFY(!BookmarkStore::isFirstRun(&hive));
    }
    QVERIFY(!BookmarkStore::isFirstRun(&hive));
    QVERIFY(BookmarkStore::isFirstRun(nullptr));
}

// The warning says the collection starts empty: so it must, without a welcome.
void TestShellStartup::damagedHiveIsNoFirstRun()
{
    QFile file(UserHive::defaultPath());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("<html>not a hive</html>\n");
    file.close();
    Prompts::instance().queueAnswer(QMessageBox::Ok);
    QCOMPARE(runStartUp(), QStringList({"main window"}));
    const QStringList asked = Prompts::instance().takeAsked();
    QCOMPARE(asked.size(), 1);
    QVERIFY(asked.first().contains(QStringLiteral("empty collection")));
}

void TestShellStartup::everyEndingIsAnExit_data()
{
    QTest::addColumn<int>("signalNumber"); // 0: the session ends
    QTest::newRow("session ends") << 0;
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGINT") << int(SIGINT);
    QTest::newRow("SIGHUP") << int(SIGHUP);
}

// As File > Exit: the window accepted, from under an open question too.
void TestShellStartup::everyEndingIsAnExit()
{
    QFETCH(int, signalNumber);
    m_mainResult = -1;
    m_endMainWindow = [signalNumber](MainWindow *main) {
        QTimer::singleShot(0, main, [main, signalNumber] {
            QTimer::singleShot(50, main, [signalNumber] {
                if (signalNumber) {
                    std::raise(signalNumber);
                } else {
                    QEvent quit(QEvent::Quit);
                    QCoreApplication::sendEvent(QCoreApplication::instance(), &quit);
                }
            });
            Prompts::instance().ask(main, QMessageBox::Question, QStringLiteral("Question"),
                                    QStringLiteral("Left open"), QMessageBox::Yes | QMessageBox::No);
        });
    };
    QCOMPARE(runStartUp(), QStringList({"welcome", "main window"}));
    m_endMainWindow = {};
    QCOMPARE(m_mainResult, int(QDialog::Accepted));
}

// Harbrow's folder cannot be made (a file stands in its way): said, and nothing made.
void TestShellStartup::anUnwritableFolderIsToldAndNothingChanges()
{
    QTemporaryDir dir;
    const QString blocked = dir.filePath(QStringLiteral("config"));
    QVERIFY(QFile(blocked).open(QIODevice::WriteOnly));
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(blocked));
    Prompts::instance().takeAsked();
    Prompts::instance().queueAnswer(QMessageBox::Ok);
    const QStringList shown = runStartUp();
    qputenv("XDG_CONFIG_HOME", saved);
    QCOMPARE(shown, QStringList());
    QCOMPARE(HarbrowApp::instance()->exitCode(), 1);
    const QStringList asked = Prompts::instance().takeAsked();
    QCOMPARE(asked.size(), 1);
    QVERIFY2(asked.first().contains(blocked + QStringLiteral("/k-vane")), qPrintable(asked.first()));
    QVERIFY(QFileInfo(blocked).isFile());
    QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList({"config"}));
}

// The real application object, so the test has its own main.
int main(int argc, char *argv[])
{
    initWebEngineTests();
    HarbrowApp app(argc, argv);
    TestShellStartup test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_shell_startup.moc"

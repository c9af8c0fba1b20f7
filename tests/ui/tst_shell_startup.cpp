#include "app/harbrowapp.h"
#include "app/mainwindow.h"
#include "app/welcomedialog.h"
#include "controls/prompts.h"
#include "store/bookmarkstore.h"
#include "store/hive/memoryhive.h"
#include "store/hive/userhive.h"

#include "webtesting.h"

#include <QPushButton>
#include <QtTest>

// Runs the real start-up against the test's own hive (its XDG_CONFIG_HOME is a
// fresh temporary folder) and closes every window it brings up, noting which.
class TestShellStartup : public QObject
{
    Q_OBJECT

    enum class WelcomeEnd { Ok, Escape, Close };

    QStringList m_shown;
    WelcomeEnd m_welcomeEnd = WelcomeEnd::Ok;
    QTimer m_closer;

    void closeWhatIsShown();
    QStringList runStartUp();

private slots:
    void initTestCase();
    void init();
    void welcomeOnlyOnTheFirstStart_data();
    void welcomeOnlyOnTheFirstStart();
    void firstRunIsDecidedByTheStore();
    void damagedHiveIsNoFirstRun();
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
        m_shown.append(QStringLiteral("main window"));
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

// The real application object, so the test has its own main.
int main(int argc, char *argv[])
{
    initWebEngineTests();
    HarbrowApp app(argc, argv);
    TestShellStartup test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_shell_startup.moc"

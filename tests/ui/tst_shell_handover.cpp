#include "app/commandline.h"
#include "app/harbrowapp.h"
#include "app/instancehandover.h"
#include "app/mainwindow.h"
#include "app/vxmaintabctrl.h"
#include "app/welcomedialog.h"
#include "browser/browserpage.h"
#include "localhttpserver.h"
#include "store/hive/userhive.h"
#include "webtesting.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QtTest>

// The program's command line, and a second start handing its addresses to the
// running window: the real program started as a second process, over a real socket.
class TestHandOver : public QObject
{
    Q_OBJECT

    struct Run
    {
        int exitCode = -1;
        QString out;
        QString err;
    };

    // Runs a program while this process goes on answering, as the running window must.
    static Run run(const QString &program, const QStringList &arguments,
                   const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment())
    {
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(program, arguments);
        Run result;
        if (!process.waitForStarted(10000)
            || !QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, 30000)) {
            process.kill();
            process.waitForFinished();
            result.err = QStringLiteral("did not finish");
            return result;
        }
        result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
        result.out = QString::fromLocal8Bit(process.readAllStandardOutput());
        result.err = QString::fromLocal8Bit(process.readAllStandardError());
        return result;
    }

    QString secondStarts(MainWindow *window);
    static QString installDesktopEntry();

    LocalHttpServer m_server;

private slots:
    void initTestCase();
    void commandLine_data();
    void commandLine();
    void addressesAsGiven_data();
    void addressesAsGiven();
    void secondStartsHandOverToTheRunningWindow();
};

void TestHandOver::initTestCase()
{
    QVERIFY(m_server.isListening());
    for (const char *page : {"first", "second", "third", "fourth"})
        m_server.setPage(QStringLiteral("/") + QLatin1String(page), QLatin1String(page));
}

void TestHandOver::commandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QStringList>("err"); // each is said on standard error

    const QStringList unknown{QStringLiteral("unknown option"), QStringLiteral("Usage: harbrow")};
    QTest::newRow("unknown long option")
        << QStringList{"--bogus"} << 2 << QString() << (unknown + QStringList{"--bogus"});
    QTest::newRow("unknown short option after an address")
        << QStringList{"http://127.0.0.1:9/", "-z"} << 2 << QString() << (unknown + QStringList{"-z"});
    QTest::newRow("another scheme is refused")
        << QStringList{"ftp://files.example/", "--version"} << 0 << "Harbrow "
        << QStringList{"ftp://files.example/", "http, https and file"};
    QTest::newRow("help names the addresses") << QStringList{"-h"} << 0 << "[URL...]" << QStringList{};
}

void TestHandOver::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, out);
    QFETCH(QStringList, err);
    const Run result = run(QStringLiteral(HARBROW_BINARY), arguments);
    QCOMPARE(result.exitCode, exitCode);
    QVERIFY2(out.isEmpty() ? result.out.isEmpty() : result.out.contains(out), qPrintable(result.out));
    for (const QString &said : err)
        QVERIFY2(result.err.contains(said), qPrintable(result.err));
}

void TestHandOver::addressesAsGiven_data()
{
    QTest::addColumn<QString>("given");
    QTest::addColumn<QString>("opened"); // empty: refused
    QTest::newRow("a host") << "example.org" << "http://example.org";
    QTest::newRow("https") << "https://example.org/a b" << "https://example.org/a%20b";
    QTest::newRow("a local file") << "/tmp" << "file:///tmp";
    QTest::newRow("script") << "javascript:alert(1)" << "";
    QTest::newRow("ftp") << "ftp://files.example/" << "";
    QTest::newRow("mail") << "mailto:someone@example.org" << "";
    QTest::newRow("the program's own pages") << "harbrow://home/help.html" << "";
}

void TestHandOver::addressesAsGiven()
{
    QFETCH(QString, given);
    QFETCH(QString, opened);
    QCOMPARE(CommandLine::openableAddress(given).toString(QUrl::FullyEncoded), opened);
}

// The desktop entry as shipped, pointing at the program built, made the default
// browser in this test's own data and configuration folders.
QString TestHandOver::installDesktopEntry()
{
    QFile shipped(QStringLiteral(DESKTOP_FILE));
    if (!shipped.open(QIODevice::ReadOnly))
        return QStringLiteral("cannot read ") + shipped.fileName();
    QString entry = QString::fromUtf8(shipped.readAll());
    entry.replace(QRegularExpression(QStringLiteral("^Exec=harbrow "), QRegularExpression::MultilineOption),
                  QStringLiteral("Exec=%1 ").arg(QStringLiteral(HARBROW_BINARY)));
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    QDir().mkpath(data + QStringLiteral("/applications"));
    QFile installed(data + QStringLiteral("/applications/org.kvane.Harbrow.desktop"));
    QFile defaults(config + QStringLiteral("/mimeapps.list"));
    if (!installed.open(QIODevice::WriteOnly) || !defaults.open(QIODevice::WriteOnly))
        return QStringLiteral("cannot install the desktop entry");
    installed.write(entry.toUtf8());
    defaults.write("[Default Applications]\nx-scheme-handler/http=org.kvane.Harbrow.desktop\n"
                   "x-scheme-handler/https=org.kvane.Harbrow.desktop\n");
    return {};
}

// Runs inside the window's modal run; says what went wrong, if anything.
QString TestHandOver::secondStarts(MainWindow *window)
{
    CWebCommercial *view = window->browserPage()->view();
    const auto shows = [&](const QString &path) {
        return QTest::qWaitFor([&] { return view->url().path() == path && !view->Busy(); }, 20000)
            && window->tabs()->currentIndex() == MainWindow::BrowserPage;
    };
    if (!shows(QStringLiteral("/first")))
        return QStringLiteral("the first start's address was not opened: ") + view->url().toString();

    const QFileDevice::Permissions others = QFileDevice::ReadGroup | QFileDevice::WriteGroup
                                          | QFileDevice::ReadOther | QFileDevice::WriteOther;
    const QString socket = InstanceHandOver::socketPath(UserHive::defaultPath());
    if (!QFile::exists(socket) || (QFile::permissions(socket) & others))
        return QStringLiteral("the socket is not there for its user alone: ") + socket;

    window->selectPage(MainWindow::FavouritesPage);
    Run second = run(QStringLiteral(HARBROW_BINARY),
                     {m_server.url(QStringLiteral("/second")).toString(),
                      m_server.url(QStringLiteral("/third")).toString()});
    if (second.exitCode != 0)
        return QStringLiteral("the second start ended with %1: %2").arg(second.exitCode).arg(second.err);
    if (!shows(QStringLiteral("/second")))
        return QStringLiteral("the handed-over address was not opened: ") + view->url().toString();
    if (window->browserPage()->addressBox()->findText(m_server.url(QStringLiteral("/third")).toString()) < 0)
        return QStringLiteral("the other address is not in the address box");

    const QString installed = installDesktopEntry();
    if (!installed.isEmpty())
        return installed;
    const QString xdgOpen = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (xdgOpen.isEmpty())
        return QStringLiteral("xdg-open is not installed (xdg-utils)");
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), QStringLiteral(":0")); // xdg-open asks for one
    environment.remove(QStringLiteral("XDG_CURRENT_DESKTOP"));
    environment.remove(QStringLiteral("BROWSER"));
    window->selectPage(MainWindow::HomePage);
    const Run opened = run(xdgOpen, {m_server.url(QStringLiteral("/fourth")).toString()}, environment);
    if (opened.exitCode != 0)
        return QStringLiteral("xdg-open ended with %1: %2").arg(opened.exitCode).arg(opened.err);
    if (!shows(QStringLiteral("/fourth")))
        return QStringLiteral("xdg-open's address was not opened: ") + view->url().toString();
    return {};
}

void TestHandOver::secondStartsHandOverToTheRunningWindow()
{
    HarbrowApp *app = HarbrowApp::instance();
    app->setStartAddresses({m_server.url(QStringLiteral("/first")).toString()});
    QString failure = QStringLiteral("the window never came up");
    bool started = false;
    QTimer driver;
    connect(&driver, &QTimer::timeout, this, [&] {
        QWidget *modal = QApplication::activeModalWidget();
        if (auto *welcome = qobject_cast<WelcomeDialog *>(modal)) {
            QTest::mouseClick(welcome->findChild<QPushButton *>(), Qt::LeftButton);
        } else if (auto *window = qobject_cast<MainWindow *>(modal); window && !started) {
            started = true;
            failure = secondStarts(window);
            window->close();
        }
    });
    driver.start(20);
    app->InitInstance();
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
    QCOMPARE(app->exitCode(), 0);
}

int main(int argc, char *argv[])
{
    initWebEngineTests();
    HarbrowApp app(argc, argv);
    TestHandOver test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_shell_handover.moc"

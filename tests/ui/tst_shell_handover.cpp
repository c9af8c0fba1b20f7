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
        if (!QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, 30000)) {
            process.kill();
            process.waitForFinished();
            return {-1, {}, QStringLiteral("did not finish")};
        }
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2,
                QString::fromLocal8Bit(process.readAllStandardOutput()),
                QString::fromLocal8Bit(process.readAllStandardError())};
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
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    QFile installed(data + QStringLiteral("/applications/org.kvane.Harbrow.desktop"));
    QFile defaults(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
                   + QStringLiteral("/mimeapps.list"));
    if (!QDir().mkpath(data + QStringLiteral("/applications")) || !shipped.open(QIODevice::ReadOnly)
        || !installed.open(QIODevice::WriteOnly) || !defaults.open(QIODevice::WriteOnly))
        return QStringLiteral("cannot install the desktop entry");
    installed.write(shipped.readAll().replace("\nExec=harbrow ", "\nExec=" HARBROW_BINARY " "));
    defaults.write("[Default Applications]\nx-scheme-handler/http=org.kvane.Harbrow.desktop\n");
    return {};
}

// Runs inside the window's modal run; says what went wrong, if anything.
QString TestHandOver::secondStarts(MainWindow *window)
{
    CWebCommercial *view = window->browserPage()->view();
    const auto shown = [&](const char *path) {
        const bool ok = QTest::qWaitFor([&] { return view->url().path() == path && !view->Busy(); }, 20000)
                     && window->tabs()->currentIndex() == MainWindow::BrowserPage;
        return ok ? QString() : QStringLiteral("%1 is not shown but %2").arg(path, view->url().toString());
    };
    const QString socket = InstanceHandOver::socketPath(UserHive::defaultPath());
    if (!QFile::exists(socket) || (QFile::permissions(socket) & (QFile::ReadGroup | QFile::ReadOther)))
        return QStringLiteral("the socket is not there for its user alone: ") + socket;
    if (const QString fault = shown("/first"); !fault.isEmpty())
        return fault;

    window->selectPage(MainWindow::FavouritesPage);
    const Run second = run(QStringLiteral(HARBROW_BINARY),
                           {m_server.url("/second").toString(), m_server.url("/third").toString()});
    if (second.exitCode != 0)
        return QStringLiteral("the second start ended with %1: %2").arg(second.exitCode).arg(second.err);
    if (const QString fault = shown("/second"); !fault.isEmpty())
        return fault;
    if (window->browserPage()->addressBox()->findText(m_server.url("/third").toString()) < 0)
        return QStringLiteral("the other address is not in the address box");

    // xdg-open wants a display to look for the default browser at all.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), QStringLiteral(":0"));
    environment.remove(QStringLiteral("XDG_CURRENT_DESKTOP"));
    environment.remove(QStringLiteral("BROWSER"));
    window->selectPage(MainWindow::HomePage);
    if (const QString fault = installDesktopEntry(); !fault.isEmpty())
        return fault;
    const Run opened = run(QStringLiteral("xdg-open"), {m_server.url("/fourth").toString()}, environment);
    if (opened.exitCode != 0)
        return QStringLiteral("xdg-open (xdg-utils) ended with %1: %2").arg(opened.exitCode).arg(opened.err);
    return shown("/fourth");
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

// Real runs of the program against pages of a local server: a lasting cookie,
// localStorage, IndexedDB and a cacheable image, each carrying a marker. Each
// run is a child process (the program as main() starts it, driven by typing
// an address), looked at while the page is open and again after it ended by
// File > Exit, SIGTERM or SIGKILL.
#include "app/harbrowapp.h"
#include "app/mainwindow.h"
#include "app/welcomedialog.h"
#include "browser/browserpage.h"
#include "localhttpserver.h"
#include "privacy/settings/privacyoptions.h"
#include "res/ids.h"
#include "store/hive/sqlitehive.h"
#include "webtesting.h"

#include <QComboBox>
#include <QDeadlineTimer>
#include <QDirIterator>
#include <QLineEdit>
#include <QMenuBar>
#include <QProcess>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QUuid>
#include <QtTest>

#include <csignal>
#include <functional>
#include <cstdio>
#include <unistd.h>

namespace {

constexpr char AddressVariable[] = "HARBROW_TEST_ADDRESS";
constexpr char TitleLine[] = "final title: ";
const QByteArray HostName = "127.0.0.1";

QAction *exitAction(MainWindow *window)
{
    for (QAction *menu : window->menuBar()->actions()) {
        for (QAction *action : menu->menu()->actions()) {
            if (action->data().toInt() == Ids::Exit)
                return action;
        }
    }
    return nullptr;
}

// The child: one run of the program. Types the address into the browser
// page, waits until the page's title says it has finished, says so, then
// waits for "exit" on its input to choose File > Exit (or for a signal).
// Typing is tried again while the start page's own loading still changes the
// address box under it.
int runProgramOnce(int argc, char **argv)
{
    const QUrl address(qEnvironmentVariable(AddressVariable));
    QString finalTitle;
    QDeadlineTimer retypeAt;
    bool typed = false;
    const auto drive = [&](QTimer *driver) {
        QWidget *modal = QApplication::activeModalWidget();
        if (auto *welcome = qobject_cast<WelcomeDialog *>(modal)) {
            welcome->accept();
            return;
        }
        auto *window = qobject_cast<MainWindow *>(modal);
        if (!window || !window->isActiveWindow() || !window->browserPage())
            return;
        BrowserPage *browser = window->browserPage();
        if (!browser->isVisible()) {
            QTest::keyClick(window, Qt::Key_2, Qt::AltModifier);
            return;
        }
        const bool arrived = browser->view()->url().host() == address.host();
        if (!arrived && (!typed || retypeAt.hasExpired())) {
            QLineEdit *edit = browser->addressBox()->lineEdit();
            QTest::mouseClick(edit, Qt::LeftButton);
            QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(edit, address.toString());
            QTest::keyClick(edit, Qt::Key_Return);
            typed = true;
            retypeAt.setRemainingTime(5000);
            return;
        }
        const QString title = browser->view()->title();
        if (arrived && (title.startsWith(u"stored") || title.startsWith(u"found")
                        || title.contains(u"failed"))) {
            finalTitle = title;
            driver->stop();
            std::printf("%s%s\n", TitleLine, qPrintable(finalTitle));
            std::fflush(stdout);
            auto *input = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, window);
            QObject::connect(input, &QSocketNotifier::activated, window, [window, input] {
                char line[16] = {};
                if (::read(STDIN_FILENO, line, sizeof line - 1) <= 0 || qstrncmp(line, "exit", 4) == 0) {
                    input->setEnabled(false);
                    exitAction(window)->trigger();
                }
            });
        }
    };
    const int exitCode = HarbrowApp::run(argc, argv, [&](HarbrowApp &app) {
        auto *driver = new QTimer(&app);
        QObject::connect(driver, &QTimer::timeout, driver, [&, driver] { drive(driver); });
        driver->start(50);
        QTimer::singleShot(60000, &app, [] {
            if (QWidget *modal = QApplication::activeModalWidget())
                qobject_cast<QDialog *>(modal)->reject();
        });
    });
    return finalTitle.isEmpty() ? 2 : exitCode;
}

const QByteArray Png = QByteArray::fromBase64(
    "iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mNkYPhfDwAChwGA60e6kgAAAABJRU5ErkJggg==");

struct Markers
{
    QByteArray cookie = "ck" + QUuid::createUuid().toByteArray(QUuid::Id128);
    QByteArray local = "ls" + QUuid::createUuid().toByteArray(QUuid::Id128);
    QByteArray indexed = "db" + QUuid::createUuid().toByteArray(QUuid::Id128);
    QByteArray image = "im" + QUuid::createUuid().toByteArray(QUuid::Id128);
    QList<QByteArray> all() const { return {cookie, local, indexed, image}; }
};

void servePages(LocalHttpServer &server, const Markers &markers)
{
    LocalHttpServer::Response store;
    // The page names the other markers: only the image goes to the cache.
    store.headers = {{"Content-Type", "text/html"}, {"Cache-Control", "no-store"},
                     {"Set-Cookie", "trace=" + markers.cookie + "; Max-Age=86400; Path=/"}};
    store.body = "<html><head><title>storing</title></head><body><img id=pic src='/pic.png'>"
                 "<script>"
                 "localStorage.setItem('trace', '" + markers.local + "');"
                 "var pending = 2;"
                 "function one() { if (--pending == 0) document.title = 'stored'; }"
                 "var pic = document.getElementById('pic');"
                 "if (pic.complete) one(); else pic.onload = one;"
                 "pic.onerror = function() { document.title = 'image failed'; };"
                 "var open = indexedDB.open('traces', 1);"
                 "open.onupgradeneeded = function(e) { e.target.result.createObjectStore('s'); };"
                 "open.onerror = function() { document.title = 'indexeddb failed'; };"
                 "open.onsuccess = function(e) { var db = e.target.result;"
                 "  var t = db.transaction('s', 'readwrite');"
                 "  t.objectStore('s').put('" + markers.indexed + "', 'k');"
                 "  t.oncomplete = function() { db.close(); one(); }; };"
                 "</script></body></html>";
    server.setResponse(QStringLiteral("/store"), store);

    LocalHttpServer::Response check;
    check.headers = {{"Content-Type", "text/html"}};
    check.body = "<html><head><title>checking</title></head><body><script>"
                 "var found = 'cookie=' + document.cookie + ';ls=' + localStorage.getItem('trace');"
                 "function finish(text) { var img = new Image();"
                 "  img.onload = function() { document.title = 'found ' + text; };"
                 "  img.onerror = function() { document.title = 'image failed'; };"
                 "  img.src = '/pic.png'; }"
                 "var open = indexedDB.open('traces', 1);"
                 "open.onupgradeneeded = function(e) { e.target.result.createObjectStore('s'); };"
                 "open.onsuccess = function(e) { var db = e.target.result;"
                 "  var get = db.transaction('s').objectStore('s').get('k');"
                 "  get.onsuccess = function() { finish(found + ';idb=' + get.result); }; };"
                 "</script></body></html>";
    server.setResponse(QStringLiteral("/check"), check);

    LocalHttpServer::Response picture;
    picture.headers = {{"Content-Type", "image/png"}, {"Cache-Control", "max-age=86400"}};
    picture.body = Png + markers.image; // a decoder stops at the image's end
    server.setResponse(QStringLiteral("/pic.png"), picture);
}

QByteArray utf16(const QByteArray &text)
{
    const QString string = QString::fromLatin1(text);
    return QByteArray(reinterpret_cast<const char *>(string.utf16()), string.size() * 2);
}

// Files below the folders holding the text, in UTF-8 or UTF-16.
QStringList filesHolding(const QStringList &folders, const QByteArray &text)
{
    QStringList found;
    for (const QString &folder : folders) {
        QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            QFile file(it.next());
            if (!file.open(QIODevice::ReadOnly))
                continue;
            const QByteArray content = file.readAll();
            if (content.contains(text) || content.contains(utf16(text)))
                found << file.fileName();
        }
    }
    return found;
}

enum class Ending { Exit, Terminate, Kill };

struct Options
{
    bool cookies = false;
    bool history = false;
    bool cache = false;
};

bool storeOptions(const QString &config, const Options &options)
{
    SqliteHive hive;
    if (hive.open(config + QStringLiteral("/hive.sqlite3")) != SqliteHive::OpenResult::Opened)
        return false;
    const bool stored = writeOptionValue(&hive, options.cookies ? "1" : "0", PrivacyStore::DeleteCookies)
                        && writeOptionValue(&hive, options.history ? "1" : "0", PrivacyStore::DeleteHistory)
                        && writeOptionValue(&hive, options.cache ? "1" : "0", PrivacyStore::DeleteCache);
    hive.close();
    return stored;
}

} // namespace

class TestPrivacyEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(m_server.isListening()); }
    void tracesAfterTheProgramEnds_data();
    void tracesAfterTheProgramEnds();
    void leftoversOfAKillGoBeforeThePageOpens();

private:
    // Runs the program once in a child process on the given home and ends it
    // as told once its page is done; whileOpen runs before that ending. The
    // final title, or what went wrong.
    QString runProgram(const QString &home, const QString &path, Ending ending = Ending::Exit,
                       const std::function<void()> &whileOpen = {});

    LocalHttpServer m_server;
};

QString TestPrivacyEndToEnd::runProgram(const QString &home, const QString &path, Ending ending,
                                        const std::function<void()> &whileOpen)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/config"));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/data"));
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), home + QStringLiteral("/cache"));
    environment.insert(QString::fromLatin1(AddressVariable), m_server.url(path).toString());

    QProcess program;
    program.setProcessEnvironment(environment);
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    program.start(QCoreApplication::applicationFilePath(), {});
    // Wait with the event loop running: the server lives in this process.
    QByteArray output;
    QString title;
    const bool done = QTest::qWaitFor([&] {
        output += program.readAllStandardOutput();
        const qsizetype at = output.indexOf(TitleLine);
        if (at >= 0 && output.indexOf('\n', at) > at)
            title = QString::fromUtf8(output.mid(at + qstrlen(TitleLine)).split('\n').first());
        return !title.isEmpty() || program.state() == QProcess::NotRunning;
    }, 90000);
    if (done && !title.isEmpty()) {
        if (whileOpen)
            whileOpen();
        if (ending == Ending::Exit)
            program.write("exit\n");
        else if (ending == Ending::Terminate)
            ::kill(pid_t(program.processId()), SIGTERM);
        else
            program.kill();
    }
    const bool ended = QTest::qWaitFor([&] { return program.state() == QProcess::NotRunning; }, 30000);
    if (!ended) {
        program.kill();
        program.waitForFinished();
        return QStringLiteral("did not end");
    }
    if (title.isEmpty())
        return QStringLiteral("no title, exit code %1").arg(program.exitCode());
    if (ending != Ending::Kill && (program.exitStatus() != QProcess::NormalExit || program.exitCode() != 0))
        return QStringLiteral("ended badly, exit code %1").arg(program.exitCode());
    return title;
}

void TestPrivacyEndToEnd::tracesAfterTheProgramEnds_data()
{
    QTest::addColumn<bool>("cookies");
    QTest::addColumn<bool>("history");
    QTest::addColumn<bool>("cache");
    QTest::addColumn<int>("ending");

    QTest::newRow("all options on, Exit") << true << true << true << int(Ending::Exit);
    QTest::newRow("all options on, SIGTERM") << true << true << true << int(Ending::Terminate);
    QTest::newRow("all options on, SIGKILL") << true << true << true << int(Ending::Kill);
    QTest::newRow("all options off, Exit") << false << false << false << int(Ending::Exit);
    QTest::newRow("all options off, SIGTERM") << false << false << false << int(Ending::Terminate);
    QTest::newRow("cookies only, SIGTERM") << true << false << false << int(Ending::Terminate);
}

// Each marker is on disk exactly when its category is kept; with everything
// removed, not even the host's name is.
void TestPrivacyEndToEnd::tracesAfterTheProgramEnds()
{
    QFETCH(bool, cookies);
    QFETCH(bool, history);
    QFETCH(bool, cache);
    QFETCH(int, ending);
    const bool all = cookies && history && cache;
    QTemporaryDir home;
    const QString config = home.filePath(QStringLiteral("config/k-vane"));
    QVERIFY(QDir().mkpath(config));
    QVERIFY(storeOptions(config, {cookies, history, cache}));
    const Markers markers;
    servePages(m_server, markers);
    m_server.clearRequests();
    const QStringList folders{home.filePath(QStringLiteral("data/k-vane/Harbrow")),
                              home.filePath(QStringLiteral("cache/k-vane/Harbrow"))};
    // Per marker: kept after the end, and never written while open (what the
    // engine can hold in memory: cookies and the HTTP cache, all on the record).
    struct Trace
    {
        QByteArray marker;
        bool kept;
        bool memoryOnly;
    };
    const QList<Trace> traces{{markers.cookie, !cookies, cookies},
                              {markers.local, !cookies, all},
                              {markers.indexed, !cookies, all},
                              {markers.image, !cache, cache},
                              {HostName, !all, all}};
    const auto check = [&](const char *when, bool whileOpen) {
        for (const Trace &trace : traces) {
            const QStringList holding = filesHolding(folders, trace.marker);
            if (whileOpen ? trace.memoryOnly : !trace.kept)
                QVERIFY2(holding.isEmpty(), qPrintable(when + (" " + trace.marker) + " in " + holding.join(u", ")));
            else if (!whileOpen)
                QVERIFY2(!holding.isEmpty(), qPrintable(when + (" lost " + trace.marker)));
        }
    };

    QCOMPARE(runProgram(home.path(), QStringLiteral("/store"), Ending(ending),
                        [&] { check("while open:", true); }),
             QStringLiteral("stored"));
    QCOMPARE(m_server.requestCount(QStringLiteral("/pic.png")), 1);
    check("after the end:", false);
    if (all && Ending(ending) != Ending::Kill)
        QCOMPARE(filesHolding(folders, QByteArray()), QStringList()); // nothing at all

    const QString found = runProgram(home.path(), QStringLiteral("/check"), Ending::Exit,
                                     [&] { check("while open again:", true); });
    check("after the next run:", false);
    if (cookies) {
        QCOMPARE(found, QStringLiteral("found cookie=;ls=null;idb=undefined"));
    } else {
        QCOMPARE(found, QStringLiteral("found cookie=trace=%1;ls=%2;idb=%3")
                            .arg(QString::fromLatin1(markers.cookie),
                                 QString::fromLatin1(markers.local),
                                 QString::fromLatin1(markers.indexed)));
    }
    QCOMPARE(m_server.requestCount(QStringLiteral("/pic.png")), cache ? 2 : 1); // 1: from the cache
}

// What a killed run of a disk profile left goes at the next start, before any
// page: nothing of it is found while that run is open.
void TestPrivacyEndToEnd::leftoversOfAKillGoBeforeThePageOpens()
{
    QTemporaryDir home;
    const QString config = home.filePath(QStringLiteral("config/k-vane"));
    QVERIFY(QDir().mkpath(config));
    QVERIFY(storeOptions(config, {true, true, true}));
    const QByteArray marker = "left" + QUuid::createUuid().toByteArray(QUuid::Id128);
    const QStringList folders{home.filePath(QStringLiteral("data/k-vane/Harbrow")),
                              home.filePath(QStringLiteral("cache/k-vane/Harbrow"))};
    for (const QString &file : {folders[0] + "/Cookies", folders[0] + "/Local Storage/leveldb/000003.log",
                                folders[0] + "/History", folders[1] + "/Cache/Cache_Data/f_000001"}) {
        QVERIFY(QDir().mkpath(QFileInfo(file).absolutePath()));
        QFile left(file);
        QVERIFY(left.open(QIODevice::WriteOnly));
        left.write("127.0.0.1 " + marker);
    }
    servePages(m_server, Markers());
    QStringList holding{QStringLiteral("not looked")};
    QCOMPARE(runProgram(home.path(), QStringLiteral("/store"), Ending::Exit,
                        [&] { holding = filesHolding(folders, marker); }),
             QStringLiteral("stored"));
    QCOMPARE(holding, QStringList());
}

int main(int argc, char **argv)
{
    initWebEngineTests();
    if (qEnvironmentVariableIsSet(AddressVariable))
        return runProgramOnce(argc, argv);
    QApplication app(argc, argv);
    TestPrivacyEndToEnd test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_privacy_endtoend.moc"

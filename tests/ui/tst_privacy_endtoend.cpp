// Real runs of the program against pages of a local server: a lasting cookie,
// localStorage, IndexedDB and a cacheable image, each carrying a marker. Each
// run is a child process (the program as main() starts it, driven by typing
// an address and choosing File > Exit), so the files are looked at only after
// the program has ended.
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
#include <QTemporaryDir>
#include <QUuid>
#include <QtTest>

#include <cstdio>

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
// page, waits until the page's title says it has finished, then File > Exit.
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
            exitAction(window)->trigger();
        }
    };
    HarbrowApp::run(argc, argv, [&](HarbrowApp &app) {
        auto *driver = new QTimer(&app);
        QObject::connect(driver, &QTimer::timeout, driver, [&, driver] { drive(driver); });
        driver->start(50);
        QTimer::singleShot(60000, &app, [] {
            if (QWidget *modal = QApplication::activeModalWidget())
                qobject_cast<QDialog *>(modal)->reject();
        });
    });
    std::printf("%s%s\n", TitleLine, qPrintable(finalTitle));
    return finalTitle.isEmpty() ? 2 : 0;
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
    store.headers = {{"Content-Type", "text/html"},
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

} // namespace

class TestPrivacyEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(m_server.isListening()); }
    void tracesAfterTheProgramEnds_data();
    void tracesAfterTheProgramEnds();

private:
    // Runs the program once in a child process on the given home; its final title.
    QString runProgram(const QString &home, const QString &path);

    LocalHttpServer m_server;
};

QString TestPrivacyEndToEnd::runProgram(const QString &home, const QString &path)
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
    if (!QTest::qWaitFor([&] { return program.state() == QProcess::NotRunning; }, 90000)) {
        program.kill();
        program.waitForFinished();
        return QStringLiteral("timed out");
    }
    for (const QByteArray &line : program.readAllStandardOutput().split('\n')) {
        if (line.startsWith(TitleLine))
            return QString::fromUtf8(line.mid(qstrlen(TitleLine)));
    }
    return QStringLiteral("no title, exit code %1").arg(program.exitCode());
}

void TestPrivacyEndToEnd::tracesAfterTheProgramEnds_data()
{
    QTest::addColumn<bool>("remove");
    QTest::newRow("all options on") << true;
    QTest::newRow("all options off") << false;
}

void TestPrivacyEndToEnd::tracesAfterTheProgramEnds()
{
    QFETCH(bool, remove);
    QTemporaryDir home;
    const QString config = home.filePath(QStringLiteral("config/k-vane"));
    QVERIFY(QDir().mkpath(config));
    {
        SqliteHive hive;
        QCOMPARE(hive.open(config + QStringLiteral("/hive.sqlite3")), SqliteHive::OpenResult::Opened);
        for (const char *name : {PrivacyStore::DeleteCookies, PrivacyStore::DeleteHistory,
                                 PrivacyStore::DeleteCache})
            QVERIFY(writeOptionValue(&hive, remove ? "1" : "0", name));
        hive.close();
    }
    const Markers markers;
    servePages(m_server, markers);
    m_server.clearRequests();
    const QStringList folders{home.filePath(QStringLiteral("data/k-vane/Harbrow")),
                              home.filePath(QStringLiteral("cache/k-vane/Harbrow"))};

    QCOMPARE(runProgram(home.path(), QStringLiteral("/store")), QStringLiteral("stored"));
    QCOMPARE(m_server.requestCount(QStringLiteral("/pic.png")), 1);

    for (const QByteArray &marker : markers.all() + QList<QByteArray>{HostName}) {
        const QStringList holding = filesHolding(folders, marker);
        if (remove)
            QVERIFY2(holding.isEmpty(), qPrintable(marker + " left in " + holding.join(u", ")));
        else
            QVERIFY2(!holding.isEmpty(), marker.constData());
    }

    if (remove)
        QCOMPARE(filesHolding(folders, QByteArray()), QStringList()); // nothing at all

    const QString found = runProgram(home.path(), QStringLiteral("/check"));
    if (remove) {
        QCOMPARE(found, QStringLiteral("found cookie=;ls=null;idb=undefined"));
        QCOMPARE(m_server.requestCount(QStringLiteral("/pic.png")), 2);
    } else {
        QCOMPARE(found, QStringLiteral("found cookie=trace=%1;ls=%2;idb=%3")
                            .arg(QString::fromLatin1(markers.cookie),
                                 QString::fromLatin1(markers.local),
                                 QString::fromLatin1(markers.indexed)));
        QCOMPARE(m_server.requestCount(QStringLiteral("/pic.png")), 1); // from the cache
    }
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

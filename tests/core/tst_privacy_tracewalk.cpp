#include "privacy/settings/privacyoptions.h"
#include "privacy/traces/openfiles.h"
#include "privacy/traces/tracefolders.h"
#include "privacy/traces/traceremoval.h"
#include "privacy/traces/tracewalk.h"

#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

void makeFiles(const QString &root, const QStringList &files)
{
    for (const QString &relative : files) {
        const QString path = root + u'/' + relative;
        QVERIFY(QDir().mkpath(QFileInfo(path).path()));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("trace");
    }
}

// Every entry below root, dot entries included, relative and sorted.
QStringList entriesBelow(const QString &root)
{
    QStringList found;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        found << QDir(root).relativeFilePath(it.next());
    found.sort();
    return found;
}

TraceFolder whole(const QString &path)
{
    return {path, TraceFolder::Select::All, {}};
}

QStringList relative(const QString &root, const QList<QByteArray> &paths)
{
    QStringList names;
    for (const QByteArray &path : paths)
        names << QDir(root).relativeFilePath(TraceWalk::pathText(path));
    return names;
}

} // namespace

class TestPrivacyTraceWalk : public QObject
{
    Q_OBJECT

private slots:
    void dotEntriesAndTheirFoldersSurvive();
    void nestedFoldersGoDeepestFirst_data();
    void nestedFoldersGoDeepestFirst();
    void linksAreRemovedAsLinksNeverFollowed();
    void aFolderSwappedForALinkAfterTheWalkRedirectsNothing();
    void pathsBeyondEveryLimitAreRemovedWhole();
    void onlyTheCategoriesSwitchedOnAreTouched_data();
    void onlyTheCategoriesSwitchedOnAreTouched();
    void aFolderThatCannotBeWalkedSkipsOnlyItsCategory_data();
    void aFolderThatCannotBeWalkedSkipsOnlyItsCategory();
    void oneFolderForDataAndCacheKeepsCategoriesApart();
    void theWaitForClosedFilesSeesOnlyTheFoldersAndEnds();
};

void TestPrivacyTraceWalk::dotEntriesAndTheirFoldersSurvive()
{
    QTemporaryDir dir;
    const QString cookies = dir.filePath(QStringLiteral("cookies"));
    makeFiles(cookies, {"site/.keep", "site/cookie.txt", ".hidden/inside.txt", ".top", "plain"});

    TraceWalk walk;
    walk.collectFolderContents(whole(cookies));
    walk.removeCollected();

    QCOMPARE(entriesBelow(cookies),
             QStringList({".hidden", ".hidden/inside.txt", ".top", "site", "site/.keep"}));
}

void TestPrivacyTraceWalk::nestedFoldersGoDeepestFirst_data()
{
    QTest::addColumn<QString>("suffix");
    QTest::newRow("plain") << QString();
    QTest::newRow("trailing separator") << QStringLiteral("/");
}

void TestPrivacyTraceWalk::nestedFoldersGoDeepestFirst()
{
    QFETCH(QString, suffix);
    QTemporaryDir dir;
    const QString history = dir.filePath(QStringLiteral("history"));
    makeFiles(history, {"a/b/c/deep.txt", "a/b/mid.txt", "a/top.txt"});

    TraceWalk walk;
    walk.collectFolderContents(whole(history + suffix));

    QStringList files = relative(history, walk.files());
    files.sort();
    QCOMPARE(files, QStringList({"a/b/c/deep.txt", "a/b/mid.txt", "a/top.txt"}));
    QCOMPARE(relative(history, walk.directories()), QStringList({"a/b/c", "a/b", "a"}));
    QVERIFY(!walk.files().first().contains("//"));

    walk.removeCollected();
    QVERIFY(QFileInfo(history).isDir());
    QCOMPARE(entriesBelow(history), QStringList());
}

void TestPrivacyTraceWalk::linksAreRemovedAsLinksNeverFollowed()
{
    QTemporaryDir dir;
    const QString outside = dir.filePath(QStringLiteral("outside"));
    const QString cookies = dir.filePath(QStringLiteral("cookies"));
    makeFiles(outside, {"precious.txt", "sub/precious.txt"});
    makeFiles(cookies, {"site/cookie.txt"});
    QVERIFY(QFile::link(outside, cookies + QStringLiteral("/linked folder")));
    QVERIFY(QFile::link(outside + QStringLiteral("/precious.txt"),
                        cookies + QStringLiteral("/site/linked file")));
    QVERIFY(QFile::link(outside + QStringLiteral("/sub"), cookies + QStringLiteral("/site/sub")));
    QVERIFY(QFile::link(dir.filePath(QStringLiteral("gone")), cookies + QStringLiteral("/dangling")));

    TraceWalk walk;
    walk.collectFolderContents(whole(cookies));
    for (const QByteArray &path : walk.files() + walk.directories())
        QVERIFY2(!TraceWalk::pathText(path).startsWith(outside), path);
    walk.removeCollected();

    QCOMPARE(entriesBelow(cookies), QStringList());
    QCOMPARE(entriesBelow(outside), QStringList({"precious.txt", "sub", "sub/precious.txt"}));
}

// Between the walk and the deletion a folder is renamed and a link to an
// outside folder with the same names put in its place: the deletion still
// takes what was found, in the folder where it now is, and nothing outside.
void TestPrivacyTraceWalk::aFolderSwappedForALinkAfterTheWalkRedirectsNothing()
{
    QTemporaryDir dir;
    const QString outside = dir.filePath(QStringLiteral("outside"));
    const QString cookies = dir.filePath(QStringLiteral("cookies"));
    makeFiles(outside, {"site/cookie.txt", "site/deep/cookie.txt"});
    makeFiles(cookies, {"site/cookie.txt", "site/deep/cookie.txt"});

    TraceWalk walk;
    walk.collectFolderContents(whole(cookies));
    QVERIFY(QDir(cookies).rename(QStringLiteral("site"), QStringLiteral("moved")));
    QVERIFY(QFile::link(outside + QStringLiteral("/site"), cookies + QStringLiteral("/site")));
    walk.removeCollected();

    QCOMPARE(entriesBelow(outside), QStringList({"site", "site/cookie.txt", "site/deep",
                                                 "site/deep/cookie.txt"}));
    QCOMPARE(entriesBelow(cookies), QStringList({"moved", "site"})); // emptied, and the link
}

// Far beyond MAX_PATH and PATH_MAX: made and checked through folder handles.
void TestPrivacyTraceWalk::pathsBeyondEveryLimitAreRemovedWhole()
{
    QTemporaryDir dir;
    const QString cache = dir.filePath(QStringLiteral("cache"));
    QVERIFY(QDir().mkpath(cache));
    const QByteArray part(200, 'p');
    int handle = ::open(QFile::encodeName(cache).constData(), O_RDONLY | O_DIRECTORY);
    QVERIFY(handle >= 0);
    for (int depth = 0; depth < 30; ++depth) { // about 6,000 bytes deep
        QCOMPARE(::mkdirat(handle, part.constData(), 0700), 0);
        const int next = ::openat(handle, part.constData(), O_RDONLY | O_DIRECTORY);
        ::close(handle);
        QVERIFY(next >= 0);
        handle = next;
    }
    const int file = ::openat(handle, "deep.txt", O_WRONLY | O_CREAT, 0600);
    QVERIFY(file >= 0);
    ::close(file);
    ::close(handle);
    // A sibling whose name a cut path would point at must stay.
    makeFiles(cache, {"keep/.x"});

    TraceWalk walk;
    walk.collectFolderContents(whole(cache));
    QCOMPARE(walk.files().size(), 1);
    QVERIFY(walk.files().first().size() > 6000);
    walk.removeCollected();

    QCOMPARE(entriesBelow(cache), QStringList({"keep", "keep/.x"}));
}

void TestPrivacyTraceWalk::onlyTheCategoriesSwitchedOnAreTouched_data()
{
    QTest::addColumn<bool>("cache");
    QTest::addColumn<bool>("history");
    QTest::addColumn<bool>("cookies");
    QTest::newRow("none") << false << false << false;
    QTest::newRow("cache") << true << false << false;
    QTest::newRow("history") << false << true << false;
    QTest::newRow("cookies") << false << false << true;
    QTest::newRow("all") << true << true << true;
}

void TestPrivacyTraceWalk::onlyTheCategoriesSwitchedOnAreTouched()
{
    QFETCH(bool, cache);
    QFETCH(bool, history);
    QFETCH(bool, cookies);

    QTemporaryDir dir;
    const QString data = dir.filePath(QStringLiteral("data"));
    const QString cached = dir.filePath(QStringLiteral("cache"));
    const QStringList cacheFiles{"cache:Cache/Cache_Data/f1", "cache:Code Cache/js/x",
                                 "data:GPUCache/index"};
    const QStringList historyFiles{"data:Visited Links", "data:History", "data:Favicons-journal"};
    const QStringList cookieFiles{"data:Cookies", "data:Local Storage/leveldb/000003.log",
                                  "data:IndexedDB/http_h_1.indexeddb.leveldb/LOG",
                                  "data:Service Worker/ScriptCache/index",
                                  "data:WebStorage/QuotaManager", "data:Network Persistent State",
                                  "data:user_prefs.json", "data:QtWebEngine/Harbrow/user_prefs.json"};
    const auto place = [&](const QString &tagged) {
        const QString root = tagged.startsWith(u"cache:") ? cached : data;
        return root + u'/' + tagged.section(u':', 1);
    };
    for (const QString &tagged : cacheFiles + historyFiles + cookieFiles)
        makeFiles(QFileInfo(place(tagged)).path(), {QFileInfo(place(tagged)).fileName()});

    PrivacyOptions options;
    options.deleteCacheOnExit = cache;
    options.deleteHistoryOnExit = history;
    options.deleteCookiesOnExit = cookies;
    removeTracesOnExit(options, TraceFolders(data, cached));

    const auto check = [&](const QStringList &files, bool removed) {
        for (const QString &tagged : files)
            QVERIFY2(QFileInfo::exists(place(tagged)) != removed, qPrintable(tagged));
    };
    check(cacheFiles, cache);
    check(historyFiles, history);
    check(cookieFiles, cookies);
    QVERIFY(QFileInfo(data).isDir() && QFileInfo(cached).isDir());
    if (cookies)
        QVERIFY(!QFileInfo::exists(data + QStringLiteral("/Local Storage")));
}

void TestPrivacyTraceWalk::aFolderThatCannotBeWalkedSkipsOnlyItsCategory_data()
{
    QTest::addColumn<QString>("cacheState");
    QTest::newRow("missing") << QStringLiteral("missing");
    QTest::newRow("a file, not a folder") << QStringLiteral("file");
    QTest::newRow("empty") << QStringLiteral("empty");
    QTest::newRow("empty path") << QStringLiteral("unset");
}

void TestPrivacyTraceWalk::aFolderThatCannotBeWalkedSkipsOnlyItsCategory()
{
    QFETCH(QString, cacheState);
    QTemporaryDir dir;
    const QString data = dir.filePath(QStringLiteral("data"));
    QString cached = dir.filePath(QStringLiteral("cache"));
    makeFiles(data, {"Cookies", "Visited Links"});
    if (cacheState == u"file")
        makeFiles(dir.path(), {"cache"});
    else if (cacheState == u"empty")
        QVERIFY(QDir().mkpath(cached));
    else if (cacheState == u"unset")
        cached.clear();

    removeTracesOnExit({0, 1, 1, 1}, TraceFolders(data, cached));

    QCOMPARE(entriesBelow(data), QStringList());
    QCOMPARE(QFileInfo(cached).isFile(), cacheState == u"file");
}

void TestPrivacyTraceWalk::oneFolderForDataAndCacheKeepsCategoriesApart()
{
    QTemporaryDir dir;
    makeFiles(dir.path(), {"Cache/Cache_Data/f1", "Cookies", "Visited Links"});

    removeTracesOnExit({0, 0, 0, 1}, TraceFolders(dir.path(), dir.path() + u'/'));

    QCOMPARE(entriesBelow(dir.path()), QStringList({"Cookies", "Visited Links"}));
}

// The run waits for the engine to close its files; a file held open for the
// process's life (the shader cache) must not hold it up.
void TestPrivacyTraceWalk::theWaitForClosedFilesSeesOnlyTheFoldersAndEnds()
{
    QTemporaryDir dir;
    const QString data = dir.filePath(QStringLiteral("data"));
    makeFiles(data, {"Local Storage/leveldb/LOG", "GPUCache/index"});
    makeFiles(dir.path(), {"elsewhere"});
    QFile log(data + QStringLiteral("/Local Storage/leveldb/LOG"));
    QFile shaders(data + QStringLiteral("/GPUCache/index"));
    QFile elsewhere(dir.filePath(QStringLiteral("elsewhere")));
    QVERIFY(log.open(QIODevice::ReadOnly) && shaders.open(QIODevice::ReadOnly)
            && elsewhere.open(QIODevice::ReadOnly));

    const QStringList ignoring{QStringLiteral("GPUCache")};
    QCOMPARE(OpenFiles::below({data + u'/'}, ignoring), QStringList({log.fileName()}));
    QElapsedTimer clock;
    clock.start();
    QVERIFY(!OpenFiles::waitUntilClosed({data}, ignoring, 100));
    QVERIFY(clock.elapsed() < 2000);

    log.close();
    QVERIFY(OpenFiles::waitUntilClosed({data}, ignoring, 100));
    QVERIFY(OpenFiles::waitUntilClosed({QString()}, {}, 0));

    // A file the engine opens only after a lull still holds up a wait with quiet time.
    std::atomic<bool> closedAgain = false;
    std::thread late([&] {
        QThread::msleep(20);
        QFile file(log.fileName());
        if (file.open(QIODevice::ReadOnly))
            QThread::msleep(50);
        closedAgain = true;
    });
    const bool ended = OpenFiles::waitUntilClosed({data}, ignoring, 5000, 1000);
    const bool closedBeforeTheEnd = closedAgain;
    late.join();
    QVERIFY(ended);
    QVERIFY(closedBeforeTheEnd);
}

QTEST_GUILESS_MAIN(TestPrivacyTraceWalk)
#include "tst_privacy_tracewalk.moc"

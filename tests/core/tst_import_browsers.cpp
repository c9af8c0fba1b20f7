#include "import/readers/bookmarkfilereader.h"
#include "import/readers/browserprofiles.h"
#include "import/readers/chromiumbookmarksreader.h"
#include "import/readers/firefoxplacesreader.h"
#include "import/readers/placescopy.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>

namespace {

const QString Top = QStringLiteral("Firefox");

QStringList describe(const ImportReadResult &result)
{
    const ImportRows &rows = result.rows;
    QStringList lines;
    for (const ImportRow &row : rows)
        lines << row.title + '|' + row.address + '|' + row.label + '|' + result.folders.path(row.folder);
    return lines;
}

QByteArray fileHash(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

QString writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

// A connection to a places.sqlite the test builds, with the tables and
// columns Firefox has; kept open when the test plays a running Firefox.
class Places final
{
public:
    explicit Places(const QString &path)
    {
        QDir().mkpath(QFileInfo(path).path());
        if (sqlite3_open(QFile::encodeName(path).constData(), &m_db) != SQLITE_OK)
            qFatal("cannot open %s", qPrintable(path));
        exec("PRAGMA journal_mode=WAL");
        exec("PRAGMA wal_autocheckpoint=0");
        exec("CREATE TABLE IF NOT EXISTS moz_places (id INTEGER PRIMARY KEY, url LONGVARCHAR, "
             "title LONGVARCHAR, rev_host LONGVARCHAR, visit_count INTEGER DEFAULT 0, "
             "hidden INTEGER DEFAULT 0 NOT NULL, typed INTEGER DEFAULT 0 NOT NULL, "
             "frecency INTEGER DEFAULT -1 NOT NULL, last_visit_date INTEGER, guid TEXT, "
             "foreign_count INTEGER DEFAULT 0 NOT NULL, url_hash INTEGER DEFAULT 0 NOT NULL)");
        exec("CREATE TABLE IF NOT EXISTS moz_bookmarks (id INTEGER PRIMARY KEY, type INTEGER, "
             "fk INTEGER DEFAULT NULL, parent INTEGER, position INTEGER, title LONGVARCHAR, "
             "keyword_id INTEGER, folder_type TEXT, dateAdded INTEGER, lastModified INTEGER, "
             "guid TEXT, syncStatus INTEGER NOT NULL DEFAULT 0, "
             "syncChangeCounter INTEGER NOT NULL DEFAULT 1)");
        exec("CREATE INDEX IF NOT EXISTS moz_bookmarks_parentindex ON moz_bookmarks (parent, position)");
    }
    ~Places() { sqlite3_close(m_db); }
    Q_DISABLE_COPY_MOVE(Places)

    bool exec(const QByteArray &sql)
    {
        return sqlite3_exec(m_db, sql.constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    }

    void roots()
    {
        exec("INSERT INTO moz_bookmarks (id, type, parent, position, title, guid) VALUES "
             "(1, 2, 0, 0, '', 'root________'), (2, 2, 1, 0, 'menu', 'menu________'), "
             "(3, 2, 1, 1, 'toolbar', 'toolbar_____'), (4, 2, 1, 2, 'tags', 'tags________'), "
             "(5, 2, 1, 3, 'unfiled', 'unfiled_____'), (6, 2, 1, 4, 'mobile', 'mobile______')");
    }

    void place(int id, const QByteArray &url)
    {
        exec("INSERT INTO moz_places (id, url) VALUES (" + QByteArray::number(id) + ", '" + url + "')");
    }

    // type 1 bookmark, 2 folder, 3 separator; a null title when title is null.
    void item(int id, int type, int fk, int parent, int position, const QByteArray &title)
    {
        exec("INSERT INTO moz_bookmarks (id, type, fk, parent, position, title) VALUES ("
             + QByteArray::number(id) + ", " + QByteArray::number(type) + ", "
             + (fk ? QByteArray::number(fk) : QByteArray("NULL")) + ", " + QByteArray::number(parent)
             + ", " + QByteArray::number(position) + ", "
             + (title.isNull() ? QByteArray("NULL") : "'" + title + "'") + ")");
    }

private:
    sqlite3 *m_db = nullptr;
};

void fillProfile(Places &places)
{
    places.roots();
    places.place(1, "https://menu.example/");
    places.place(2, "https://untitled.example/");
    places.place(3, "place:sort=8&maxResults=10");
    places.place(4, "https://tool.example/?a=1&b=2");
    places.place(5, "https://unfiled.example/");
    places.place(6, "https://mobile.example/");
    // Positions, not ids, give the order.
    places.item(10, 1, 1, 2, 2, "Menu item");
    places.item(11, 2, 0, 2, 0, "Sub");
    places.item(12, 1, 2, 11, 0, QByteArray());
    places.item(13, 3, 0, 2, 1, "");
    places.item(14, 1, 3, 2, 3, "Most Visited");
    places.item(15, 1, 4, 3, 0, QString("Ünïcode &amp; 日本").toUtf8());
    places.item(16, 2, 0, 4, 0, "a tag");
    places.item(17, 1, 4, 16, 0, QByteArray());
    places.item(18, 1, 5, 5, 0, "Unfiled");
    places.item(19, 1, 6, 6, 0, "");
    places.item(20, 2, 0, 11, 1, "Deeper");
    places.item(21, 1, 1, 20, 0, "Deep");
}

const QStringList ProfileRows{
    "https://untitled.example/|https://untitled.example/|Sub|\\Sub",
    "Deep|https://menu.example/|Deeper|\\Sub\\Deeper",
    "Menu item|https://menu.example/|Firefox|",
    QString("Ünïcode &amp; 日本|https://tool.example/?a=1&b=2|Bookmarks Toolbar|\\Bookmarks Toolbar"),
    "Unfiled|https://unfiled.example/|Other Bookmarks|\\Other Bookmarks",
    "https://mobile.example/|https://mobile.example/|Mobile Bookmarks|\\Mobile Bookmarks"};

} // namespace

class TestImportBrowsers final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void firefoxProfile();
    void firefoxRunningKeepsItsLock();
    void firefoxBadDatabase_data();
    void firefoxBadDatabase();
    void chromiumFile_data();
    void chromiumFile();
    void chromiumBadFile_data();
    void chromiumBadFile();
    void profileSearch();
    void profilesByName_data();
    void profilesByName();
    void chromiumProfileNames();

private:
    QTemporaryDir m_dir;
};

void TestImportBrowsers::firefoxProfile()
{
    const QString path = m_dir.filePath("profile/places.sqlite");
    {
        Places places(path);
        fillProfile(places);
    }
    const auto result = FirefoxPlacesReader::readPlaces(path, Top);
    QCOMPARE(result.error, QString());
    QCOMPARE(describe(result), ProfileRows);
    // The copy went into the owner's own cache folder and is gone again.
    const QFileInfo cache(PlacesCopy::cacheFolder());
    QCOMPARE(cache.permissions() & 0x7777, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                               | QFile::ReadUser | QFile::WriteUser | QFile::ExeUser);
    QCOMPARE(QDir(cache.filePath()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
    // What a crash left there is swept.
    QVERIFY(QDir().mkpath(cache.filePath() + "/places-left/x"));
    PlacesCopy::sweep();
    QCOMPARE(QDir(cache.filePath()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
}

// A running Firefox holds its database exclusively and has recent changes only
// in its write-ahead log: the read sees them, and leaves lock and files alone.
void TestImportBrowsers::firefoxRunningKeepsItsLock()
{
    const QString path = m_dir.filePath("running/places.sqlite");
    Places firefox(path);
    fillProfile(firefox);
    QVERIFY(firefox.exec("PRAGMA locking_mode=EXCLUSIVE"));
    firefox.place(7, "https://fresh.example/");
    firefox.item(22, 1, 7, 2, 4, "Fresh");
    QVERIFY(QFileInfo(path + "-wal").size() > 0);
    const QByteArray before = fileHash(path) + fileHash(path + "-wal");

    const auto result = FirefoxPlacesReader::readPlaces(path, Top);
    QCOMPARE(result.error, QString());
    QStringList rows = ProfileRows;
    rows.insert(3, "Fresh|https://fresh.example/|Firefox|");
    QCOMPARE(describe(result), rows);
    QCOMPARE(fileHash(path) + fileHash(path + "-wal"), before);
    // Firefox can still write.
    QVERIFY(firefox.exec("INSERT INTO moz_places (id, url) VALUES (8, 'https://later.example/')"));
}

void TestImportBrowsers::firefoxBadDatabase_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("deleted profile") << "missing";
    QTest::newRow("not a database") << "garbage";
    QTest::newRow("cut short") << "truncated";
    QTest::newRow("no bookmark tables") << "empty";
    QTest::newRow("a folder, not a file") << "folder";
}

void TestImportBrowsers::firefoxBadDatabase()
{
    QFETCH(QString, kind);
    const QString path = m_dir.filePath("bad-" + kind + "/places.sqlite");
    QDir().mkpath(QFileInfo(path).path());
    if (kind == "garbage") {
        writeFile(path, QByteArray(8192, 'x'));
    } else if (kind == "truncated") {
        {
            Places places(path);
            fillProfile(places);
            places.exec("BEGIN");
            for (int i = 100; i < 3000; ++i) {
                places.place(i, "https://filler.example/" + QByteArray::number(i));
                places.item(i, 1, i, 2, i, "Filler " + QByteArray::number(i));
            }
            places.exec("COMMIT");
        }
        QFile file(path);
        QVERIFY(file.resize(file.size() / 2));
    } else if (kind == "empty") {
        sqlite3 *db = nullptr;
        sqlite3_open(QFile::encodeName(path).constData(), &db);
        sqlite3_exec(db, "CREATE TABLE other (x)", nullptr, nullptr, nullptr);
        sqlite3_close(db);
    } else if (kind == "folder") {
        QVERIFY(QDir().mkpath(path));
    }
    const QByteArray before = fileHash(path);

    const auto result = FirefoxPlacesReader::readPlaces(path, Top);
    QVERIFY(!result.error.isEmpty());
    QVERIFY(result.error.contains(QDir::toNativeSeparators(path)));
    QVERIFY(result.rows.isEmpty());
    QCOMPARE(fileHash(path), before);
}

void TestImportBrowsers::chromiumFile_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QStringList>("rows");

    // As Chromium writes it, extra fields and all.
    QTest::newRow("chromium")
        << QByteArray(R"({
   "checksum": "0123456789abcdef",
   "roots": {
      "bookmark_bar": {
         "children": [ {
            "date_added": "13300000000000000", "guid": "a", "id": "5",
            "meta_info": { "power_bookmark_meta": "" },
            "name": "Chromium & co", "type": "url", "url": "https://c.example/?a=1&b=2"
         }, {
            "children": [ { "id": "7", "name": "", "type": "url", "url": "https://untitled.example/" },
                          { "children": [ { "name": "Deep", "type": "url", "url": "https://deep.example/" } ],
                            "name": "Deeper", "type": "folder" } ],
            "date_added": "13300000000000001", "id": "6", "name": "Sub", "type": "folder"
         } ],
         "date_added": "13300000000000000", "id": "1", "name": "Bookmarks bar", "type": "folder"
      },
      "other": {
         "children": [ { "name": "Other", "type": "url", "url": "https://o.example/" },
                       { "name": "No address", "type": "url", "url": "" } ],
         "id": "2", "name": "Other bookmarks", "type": "folder"
      },
      "synced": {
         "children": [ { "name": "Ünïcode 日本", "type": "url", "url": "https://m.example/ü" } ],
         "id": "3", "name": "Mobile bookmarks", "type": "folder"
      }
   },
   "version": 1
})")
        << QStringList{"Chromium & co|https://c.example/?a=1&b=2|Bookmarks bar|\\Bookmarks bar",
                       "https://untitled.example/|https://untitled.example/|Sub|\\Bookmarks bar\\Sub",
                       "Deep|https://deep.example/|Deeper|\\Bookmarks bar\\Sub\\Deeper",
                       "Other|https://o.example/|Chromium / Chrome|",
                       QString("Ünïcode 日本|https://m.example/ü|Mobile bookmarks|\\Mobile bookmarks")};
    QTest::newRow("roots without names or children")
        << QByteArray(R"({"roots": {"bookmark_bar": {"children": [{"name": "B", "type": "url",
                         "url": "https://b.example/"}]}, "other": {}, "synced": 5}})")
        << QStringList{"B|https://b.example/|Bookmarks bar|\\Bookmarks bar"};
}

void TestImportBrowsers::chromiumFile()
{
    QFETCH(QByteArray, json);
    QFETCH(QStringList, rows);
    const QString path = writeFile(m_dir.filePath("chromium/Default/Bookmarks"), json);
    const auto result = ChromiumBookmarksReader::readBookmarks(path, "Chromium / Chrome");
    QCOMPARE(result.error, QString());
    QCOMPARE(describe(result), rows);
}

void TestImportBrowsers::chromiumBadFile_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::newRow("cut short") << QByteArray(R"({"roots": {"bookmark_bar": {"children": [)");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("no roots") << QByteArray(R"({"version": 1})");
    QTest::newRow("an array") << QByteArray("[1, 2]");
    QTest::newRow("too deep") << QByteArray(20000, '[') + QByteArray(20000, ']');
    QTest::newRow("deleted profile") << QByteArray("missing");
}

void TestImportBrowsers::chromiumBadFile()
{
    QFETCH(QByteArray, json);
    const QString path = m_dir.filePath("chromium-bad/" + QString(QTest::currentDataTag()) + "/Bookmarks");
    if (json != "missing")
        writeFile(path, json);
    const auto result = ChromiumBookmarksReader::readBookmarks(path, "Chromium / Chrome");
    QVERIFY(!result.error.isEmpty());
    QVERIFY(result.error.contains(QDir::toNativeSeparators(path)));
    QVERIFY(result.rows.isEmpty());
}

void TestImportBrowsers::profileSearch()
{
    const QString home = m_dir.filePath("home");
    const QStringList firefox{
        home + "/.mozilla/firefox/abcd.default-release/places.sqlite",
        home + "/.mozilla/firefox/efgh.work/places.sqlite",
        home + "/snap/firefox/common/.mozilla/firefox/snap.default/places.sqlite",
        home + "/.var/app/org.mozilla.firefox/.mozilla/firefox/flat.default/places.sqlite"};
    const QStringList chromium{
        home + "/.config/chromium/Default/Bookmarks",
        home + "/.config/google-chrome/Default/Bookmarks",
        home + "/.config/google-chrome/Profile 1/Bookmarks",
        home + "/snap/chromium/common/chromium/Default/Bookmarks",
        home + "/.var/app/org.chromium.Chromium/config/chromium/Default/Bookmarks",
        home + "/.var/app/com.google.Chrome/config/google-chrome/Default/Bookmarks"};
    for (const QString &path : firefox + chromium)
        writeFile(path, "x");
    // Profiles without bookmarks, and other folders, give nothing.
    QVERIFY(QDir().mkpath(home + "/.mozilla/firefox/Crash Reports"));
    QVERIFY(QDir().mkpath(home + "/.config/chromium/System Profile"));
    writeFile(home + "/.config/chromium/Local State", "{}");

    QCOMPARE(BrowserProfiles::firefoxPlacesFiles(home, {}), firefox);
    QCOMPARE(BrowserProfiles::chromiumBookmarkFiles(home, {}), chromium);
    QCOMPARE(BrowserProfiles::firefoxPlacesFiles(m_dir.filePath("nobody"), {}), QStringList());
}

// Each root as Firefox lays it out: profiles.ini names the profiles (by a
// relative or an absolute Path), installs.ini the one an installation uses.
void TestImportBrowsers::profilesByName_data()
{
    QTest::addColumn<QString>("root"); // below home; XDG roots through configHome
    QTest::addColumn<QString>("configHome");
    QTest::newRow("xdg default") << ".config/mozilla/firefox" << QString();
    QTest::newRow("xdg set") << "xdg/mozilla/firefox" << "xdg";
    QTest::newRow("classic") << ".mozilla/firefox" << QString();
    QTest::newRow("snap") << "snap/firefox/common/.mozilla/firefox" << QString();
    QTest::newRow("snap xdg") << "snap/firefox/common/.config/mozilla/firefox" << QString();
    QTest::newRow("flatpak") << ".var/app/org.mozilla.firefox/.mozilla/firefox" << QString();
    QTest::newRow("flatpak xdg") << ".var/app/org.mozilla.firefox/config/mozilla/firefox" << QString();
}

void TestImportBrowsers::profilesByName()
{
    QFETCH(QString, root);
    QFETCH(QString, configHome);
    const QString home = m_dir.filePath("names-" + QString(QTest::currentDataTag()).replace(' ', '-'));
    const QString dir = home + '/' + root;
    const QString elsewhere = home + "/elsewhere/abs.profile";
    writeFile(dir + "/Profiles/a1.default/places.sqlite", "x");
    writeFile(dir + "/b2.work/places.sqlite", "x");
    writeFile(elsewhere + "/places.sqlite", "x");
    writeFile(dir + "/Profiles/c3.gone/prefs.js", "x");
    writeFile(dir + "/profiles.ini",
              "[General]\nStartWithLastProfile=1\nVersion=2\n\n"
              "[Profile2]\nName=Ohne Lesezeichen\nIsRelative=1\nPath=Profiles/c3.gone\n\n"
              "[Profile1]\nName=Travail \xc3\xa9t\xc3\xa9\nIsRelative=1\nPath=b2.work\nDefault=1\n\n"
              "[Profile0]\nName=default\nIsRelative=1\nPath=Profiles/a1.default\n\n"
              "[Profile10]\nName=Absolute\nIsRelative=0\nPath=" + elsewhere.toUtf8() + "\n\n"
              "[Install4F96D1932A9F858E]\nDefault=" + elsewhere.toUtf8() + "\nLocked=1\n");
    writeFile(dir + "/installs.ini", "[4F96D1932A9F858E]\nDefault=" + elsewhere.toUtf8() + "\n");
    const QList<BrowserProfiles::Profile> expected{
        {"Absolute", elsewhere + "/places.sqlite"},
        {QString::fromUtf8("Travail \xc3\xa9t\xc3\xa9"), dir + "/b2.work/places.sqlite"},
        {"default", dir + "/Profiles/a1.default/places.sqlite"}};
    QCOMPARE(BrowserProfiles::firefoxProfiles(home, configHome.isEmpty() ? QString() : home + '/' + configHome),
             expected);
    // The bookmark file search looks in the same root.
    writeFile(dir + "/b2.work/bookmarks.html", "x");
    QStringList found;
    for (const QString &folder : BookmarkFileReader::mozillaProfileFolders(
             home, configHome.isEmpty() ? QString() : home + '/' + configHome))
        BookmarkFileReader::findBookmarkFiles(folder, found);
    QCOMPARE(found, QStringList(dir + "/b2.work/bookmarks.html"));
}

void TestImportBrowsers::chromiumProfileNames()
{
    const QString home = m_dir.filePath("chromium-names");
    const QString root = home + "/.config/google-chrome";
    for (const char *profile : {"Default", "Profile 1", "Profile 2"})
        writeFile(root + '/' + profile + "/Bookmarks", "{}");
    writeFile(root + "/Local State",
              R"({"profile":{"last_used":"Profile 2","profiles_order":["Profile 1","Default"],)"
              R"("info_cache":{"Default":{"name":"Person 1"},"Profile 1":{"name":"Work"},)"
              R"("Profile 2":{},"Profile 3":{"name":"No bookmarks"}}}})");
    // The one last used first, then the order the person gave them.
    const QList<BrowserProfiles::Profile> expected{{"Profile 2", root + "/Profile 2/Bookmarks"},
                                                   {"Work", root + "/Profile 1/Bookmarks"},
                                                   {"Person 1", root + "/Default/Bookmarks"}};
    QCOMPARE(BrowserProfiles::chromiumProfiles(home, {}), expected);
}

QTEST_GUILESS_MAIN(TestImportBrowsers)
#include "tst_import_browsers.moc"

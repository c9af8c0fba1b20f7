#include "import/readers/importfoldermaker.h"
#include "failinghive.h"
#include "storesnapshot.h"

#include "store/bookmarkstore.h"
#include "store/hive/sqlitehive.h"
#include "store/productsite.h"

#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>

class TestBookmarkStore final : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void firstStartWritesDefaultSet();
    void laterStartLoadsWithoutWriting();
    void nextIdsFollowHighestLoaded();
    void changesAreWrittenThrough();
    void moveRenamesTheValue();
    void moveNeverOverwritesAnotherBookmark();
    void deleteFolderRemovesSubtree();
    void scansFollowListOrder();
    void tagsNameOneBookmark();
    void tagsNameTheirLastTaker_data();
    void tagsNameTheirLastTaker();
    void folderNames_data();
    void folderNames();
    void parentLoopsEndEveryWalk();
    void folderCannotMoveIntoItsOwnSubtree();
    void idsAtTheLimitAreRefused();
    void oddValuesAreReadSafely_data();
    void oddValuesAreReadSafely();
    void storedLinesStaySeparate();
    void unusualValueNamesKeepTheirData();
    void failedWritesChangeNothing_data();
    void failedWritesChangeNothing();
    void failedFirstRunWritesNothing();
    void lockedFileFailsWholeTransactions();
    void firstRunIsOnlyRead();
    void folderLooksUpById();
    void foldersAreReadOnFirstUse_data();
    void foldersAreReadOnFirstUse();

private:
    std::unique_ptr<SqliteHive> openHive();
    void putPlain(const QByteArray &name, const QByteArray &plain);
    void verifyFileMatches(BookmarkStore &store);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<SqliteHive> m_hive;
};

std::unique_ptr<SqliteHive> TestBookmarkStore::openHive()
{
    auto hive = std::make_unique<SqliteHive>();
    if (hive->open(m_dir->filePath("hive.sqlite3")) != SqliteHive::OpenResult::Opened)
        qFatal("cannot open the test hive");
    return hive;
}

void TestBookmarkStore::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_hive = openHive();
}

void TestBookmarkStore::cleanup()
{
    m_hive.reset();
    m_dir.reset();
}

// Writes a value as an earlier run (or a damaged file) left it; marks the
// first run as done so no default set joins it.
void TestBookmarkStore::putPlain(const QByteArray &name, const QByteArray &plain)
{
    m_hive->createKey(BookmarkStore::KeyPath);
    m_hive->setValue(BookmarkStore::KeyPath, "INI", "YES");
    m_hive->setValue(BookmarkStore::KeyPath, name, bookmarkCipherEncipher(plain));
}

// A fresh store on the same file must hold exactly what this one holds.
void TestBookmarkStore::verifyFileMatches(BookmarkStore &store)
{
    auto other = openHive();
    BookmarkStore reopened(other.get());
    QCOMPARE(storeSnapshot(reopened), storeSnapshot(store));
}

void TestBookmarkStore::firstStartWritesDefaultSet()
{
    BookmarkStore store(m_hive.get());
    const auto values = plainValues(*m_hive);
    QCOMPARE(values.value("INI"), QByteArray("YES"));
    QCOMPARE(values.value("gr2"), QByteArray("News"));
    QCOMPARE(values.value("gr3"), QByteArray("Programmers"));
    QCOMPARE(values.value("gr4"), QByteArray("Software"));
    const QByteArray home = QByteArray(ProductSite::HomePage) + "\nHarbrow Home site\n\n\n5";
    QCOMPARE(values.value("ur0-2"), home);
    for (const char *name : {"ur2-3", "ur3-4", "ur4-5", "ur4-6", "ur4-7"}) {
        const QList<QByteArray> lines = values.value(name).split('\n');
        QCOMPARE(lines.size(), 5);
        QVERIFY(lines[0].startsWith("http://"));
        QCOMPARE(lines[1], lines[0]);
        QCOMPARE(lines[4], QByteArray("5"));
    }
    QCOMPARE(values.size(), 10);
    QCOMPARE(store.bookmarkCount(), 6);
    QCOMPARE(store.folderCount(), 3);

    QCOMPARE(store.addFolder("Mine", 0), 101);
    store.addBookmark({"http://a.example", "A", {}, {}, 3, "101"});
    QCOMPARE(store.currentBookmark().id, 1001);
    QCOMPARE(store.currentBookmark().folderName, QStringLiteral("Mine"));
}

void TestBookmarkStore::laterStartLoadsWithoutWriting()
{
    QStringList first;
    {
        BookmarkStore store(m_hive.get());
        first = storeSnapshot(store);
    }
    const auto before = plainValues(*m_hive);
    BookmarkStore again(m_hive.get());
    QCOMPARE(storeSnapshot(again), first);
    QCOMPARE(plainValues(*m_hive), before);
}

void TestBookmarkStore::nextIdsFollowHighestLoaded()
{
    putPlain("ur5-1500", "http://x\nx\n\n\n1");
    putPlain("gr250", "Far");
    BookmarkStore store(m_hive.get());
    QCOMPARE(store.addFolder("Next", 0), 251);
    store.addBookmark({"http://y", "y", {}, {}, 0, "0"});
    QCOMPARE(store.currentBookmark().id, 1501);
}

void TestBookmarkStore::changesAreWrittenThrough()
{
    BookmarkStore store(m_hive.get());
    const int folder = store.addFolder("Reading", 0);
    const int position = store.addBookmark({"http://r.example", "R", "line one\tline two", {}, 4,
                                            QString::number(folder)});
    QCOMPARE(position, store.bookmarkCount() - 1);
    const int id = store.currentBookmark().id;
    store.setCurrentBookmarkTag("101-0");
    verifyFileMatches(store);

    QVERIFY(store.updateBookmarkById({"http://r2.example", "R2", {}, {}, 2, QString::number(id)}));
    verifyFileMatches(store);
    QVERIFY(store.updateBookmarkByTag({"http://r3.example", "R3", "c", {}, 1, "101-0"}));
    QCOMPARE(store.currentBookmark().address, QStringLiteral("http://r3.example"));
    verifyFileMatches(store);
    QVERIFY(store.setBookmarkTitle(id, "Renamed"));
    QVERIFY(store.selectBookmarkById(QString::number(id)));
    QCOMPARE(store.currentBookmark().title, QStringLiteral("Renamed"));
    QCOMPARE(store.currentBookmark().comments, QStringLiteral("c"));
    verifyFileMatches(store);
    QVERIFY(store.renameFolder(folder, "Later"));
    verifyFileMatches(store);
    QVERIFY(store.deleteBookmarkByTag("101-0"));
    QVERIFY(!store.selectBookmarkById(QString::number(id)));
    verifyFileMatches(store);
    QVERIFY(!store.deleteBookmarkById(id));
    QVERIFY(!store.updateBookmarkByTag({"x", "x", {}, {}, 0, "no-such-tag"}));
}

void TestBookmarkStore::moveRenamesTheValue()
{
    BookmarkStore store(m_hive.get());
    store.addBookmark({"http://one", "one", {}, {}, 1, "0"});
    store.addBookmark({"http://two", "two", "note", {}, 2, "0"});
    const int folder = store.addFolder("Target", 0);
    const QByteArray data = plainValues(*m_hive).value("ur0-1002");

    QVERIFY(store.moveBookmarkById(1002, folder));
    const auto values = plainValues(*m_hive);
    QVERIFY(!values.contains("ur0-1002"));
    QCOMPARE(values.value("ur101-1002"), data);
    QVERIFY(store.selectBookmarkById("1002"));
    QCOMPARE(store.currentBookmark().folderName, QStringLiteral("Target"));
    verifyFileMatches(store);

    store.beginBookmarkScan("101");
    QVERIFY(store.nextBookmark());
    store.setCurrentBookmarkTag("101-0");
    QVERIFY(store.moveBookmarkByTag("101-0", 0));
    QVERIFY(!store.selectBookmarkByTag("101-0")); // the move clears the tag
    QVERIFY(plainValues(*m_hive).contains("ur0-1002"));
    verifyFileMatches(store);
}

void TestBookmarkStore::moveNeverOverwritesAnotherBookmark()
{
    putPlain("ur0-1005", "http://first\nfirst\n\n\n0");
    putPlain("ur101-1005", "http://second\nsecond\n\n\n0");
    putPlain("gr101", "Box");
    BookmarkStore store(m_hive.get());
    QVERIFY(!store.moveBookmarkById(1005, 101));
    const auto values = plainValues(*m_hive);
    QVERIFY(values.value("ur0-1005").startsWith("http://first"));
    QVERIFY(values.value("ur101-1005").startsWith("http://second"));
}

void TestBookmarkStore::deleteFolderRemovesSubtree()
{
    BookmarkStore store(m_hive.get());
    const int a = store.addFolder("A", 0);
    const int b = store.addFolder("B", a);
    const int c = store.addFolder("C", b);
    const int keep = store.addFolder("Keep", 0);
    for (int folder : {a, b, c, b, keep})
        store.addBookmark({"http://x", "x", {}, {}, 0, QString::number(folder)});
    const int before = store.bookmarkCount();

    QVERIFY(store.deleteFolder(QString::number(a)));
    QCOMPARE(store.bookmarkCount(), before - 4);
    QCOMPARE(store.folderCount(), 4); // the three defaults and Keep
    const auto values = plainValues(*m_hive);
    for (const QByteArray &name : values.keys()) {
        QVERIFY2(!name.startsWith("ur" + QByteArray::number(a) + '-'), name);
        QVERIFY2(!name.startsWith("ur" + QByteArray::number(c) + '-'), name);
    }
    QVERIFY(!values.contains("gr" + QByteArray::number(b)));
    store.beginBookmarkScan(QString::number(keep));
    QVERIFY(store.nextBookmark());
    verifyFileMatches(store);
    QVERIFY(!store.deleteFolder(QString::number(a)));
}

void TestBookmarkStore::scansFollowListOrder()
{
    BookmarkStore store(m_hive.get());
    store.addBookmark({"http://late", "late", {}, {}, 0, "0"});
    QStringList top, minusOne, all;
    store.beginBookmarkScan("0");
    while (store.nextBookmark())
        top << store.currentBookmark().title;
    store.beginBookmarkScan("-1");
    while (store.nextBookmark())
        minusOne << store.currentBookmark().title;
    QCOMPARE(top, (QStringList{"Harbrow Home site", "late"}));
    QCOMPARE(minusOne, top);
    QVERIFY(!store.nextBookmark());

    store.endBookmarkScan();
    while (store.nextBookmark())
        all << QString::number(store.currentBookmark().id);
    QCOMPARE(all, (QStringList{"2", "3", "4", "5", "6", "7", "1001"}));

    store.beginBookmarkScan("4");
    QVERIFY(store.nextBookmark());
    QVERIFY(store.deleteBookmarkById(6)); // a change during a scan keeps its place
    QVERIFY(store.nextBookmark());
    QCOMPARE(store.currentBookmark().id, 7);
    QVERIFY(!store.nextBookmark());
}

void TestBookmarkStore::tagsNameOneBookmark()
{
    BookmarkStore store(m_hive.get());
    store.beginBookmarkScan("4");
    QVERIFY(store.nextBookmark());
    store.setCurrentBookmarkTag("4-0");
    QVERIFY(store.nextBookmark());
    store.setCurrentBookmarkTag("4-1");
    // The first bookmark leaves the folder behind the list's back (by id) and
    // the folder is listed again: its row 0 is now another bookmark.
    QVERIFY(store.moveBookmarkById(5, 0));
    store.beginBookmarkScan("4");
    QVERIFY(store.nextBookmark());
    store.setCurrentBookmarkTag("4-0");
    QVERIFY(store.selectBookmarkByTag("4-0"));
    QCOMPARE(store.currentBookmark().id, 6);
    QVERIFY(store.deleteBookmarkByTag("4-0"));
    QVERIFY(store.selectBookmarkById("5")); // untouched
    QVERIFY(!store.selectBookmarkByTag("4-0"));
    QVERIFY(!store.selectBookmarkByTag("4-1")); // 6 gave it up when it took "4-0"
}

void TestBookmarkStore::tagsNameTheirLastTaker_data()
{
    // "list X _ Y/Z" tags folder 4's rows in their order ("_" leaves one as it
    // is, "Y/Z" tags it twice); "tag 1=X" tags a row picked by id, as found
    // bookmarks are listed, without a scan.
    // Rows are named by their place in the folder's first listing; "-": none.
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("named");
    QTest::newRow("listed once") << QStringList{"list X Y"} << QStringList{"X=0", "Y=1"};
    QTest::newRow("one tag handed out twice in a listing")
        << QStringList{"list X X"} << QStringList{"X=1"};
    QTest::newRow("listed again, tags swapped")
        << QStringList{"list X Y", "list Y X"} << QStringList{"X=1", "Y=0"};
    QTest::newRow("looked up, then swapped")
        << QStringList{"list X Y", "find X", "list Y X"} << QStringList{"X=1", "Y=0"};
    QTest::newRow("taken by a row further down")
        << QStringList{"list X Y", "list _ _ X"} << QStringList{"X=2", "Y=1"};
    QTest::newRow("taken, then taken back")
        << QStringList{"list X", "list _ X", "list X"} << QStringList{"X=0"};
    QTest::newRow("its taker tagged again in the same listing")
        << QStringList{"list X X/Y"} << QStringList{"X=-", "Y=1"};
    QTest::newRow("its taker tagged again")
        << QStringList{"list X", "list _ X", "list _ Y"} << QStringList{"X=-", "Y=1"};
    QTest::newRow("found twice, tags swapped")
        << QStringList{"tag 0=X 1=Y", "tag 0=Y 1=X"} << QStringList{"X=1", "Y=0"};
    QTest::newRow("a tagged bookmark deleted")
        << QStringList{"list X Y", "delete 0"} << QStringList{"X=-", "Y=1"};
    QTest::newRow("a bookmark added beside")
        << QStringList{"list X Y", "add"} << QStringList{"X=0", "Y=1"};
    QTest::newRow("the first row moved away, the folder listed again")
        << QStringList{"list X Y", "move 0", "list X"} << QStringList{"X=1", "Y=-"};
}

// Tags wait to be indexed until they are looked up; what they name then is
// what each would have named had it been indexed at once.
void TestBookmarkStore::tagsNameTheirLastTaker()
{
    QFETCH(QStringList, steps);
    QFETCH(QStringList, named);
    BookmarkStore store(m_hive.get());
    QList<int> ids;
    store.beginBookmarkScan("4");
    while (store.nextBookmark())
        ids << store.currentBookmark().id;
    QVERIFY(ids.size() >= 3);
    for (const QString &step : steps) {
        const QStringList words = step.split(u' ');
        const int row = words.value(1).toInt();
        if (words[0] == u"list") {
            store.beginBookmarkScan("4");
            for (const QString &tags : words.mid(1)) {
                QVERIFY(store.nextBookmark());
                for (const QString &tag : tags.split(u'/'))
                    if (tag != u"_")
                        store.setCurrentBookmarkTag(tag);
            }
        } else if (words[0] == u"tag") {
            for (const QString &pick : words.mid(1)) {
                const QStringList rowAndTag = pick.split(u'=');
                QVERIFY(store.selectBookmarkById(QString::number(ids[rowAndTag[0].toInt()])));
                store.setCurrentBookmarkTag(rowAndTag[1]);
            }
        } else if (words[0] == u"find") {
            QVERIFY(store.selectBookmarkByTag(words[1]));
        } else if (words[0] == u"delete") {
            QVERIFY(store.deleteBookmarkById(ids[row]));
        } else if (words[0] == u"move") {
            QVERIFY(store.moveBookmarkById(ids[row], 0));
        } else if (words[0] == u"add") {
            QVERIFY(store.addBookmark({"http://added.example", "Added", {}, {}, 0, "4"}) >= 0);
        }
    }
    for (const QString &expected : named) {
        const QStringList parts = expected.split(u'=');
        const bool found = store.selectBookmarkByTag(parts[0]);
        QVERIFY2(found == (parts[1] != u"-"), qPrintable(expected));
        if (found)
            QCOMPARE(store.currentBookmark().id, ids[parts[1].toInt()]);
    }
}

void TestBookmarkStore::folderNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("parent");
    QTest::addColumn<bool>("taken");

    QTest::newRow("favorites in any case") << "fAvOrItEs" << "0" << true;
    QTest::newRow("favorites under a folder") << "FAVORITES" << "2" << true;
    QTest::newRow("same name other case") << "news" << "0" << true;
    QTest::newRow("same name elsewhere") << "News" << "3" << false;
    QTest::newRow("new name") << "Recipes" << "0" << false;
    QTest::newRow("accented case fold") << QString::fromUtf8("ÉTÉ") << "0" << true;
}

void TestBookmarkStore::folderNames()
{
    QFETCH(QString, name);
    QFETCH(QString, parent);
    QFETCH(bool, taken);
    BookmarkStore store(m_hive.get());
    store.addFolder(QString::fromUtf8("été"), 0);
    QCOMPARE(store.isFolderNameTaken(name, parent), taken);
}

void TestBookmarkStore::parentLoopsEndEveryWalk()
{
    putPlain("gr101", "Loop A\n102");
    putPlain("gr102", "Loop B\n101");
    putPlain("gr103", "Self\n103");
    putPlain("gr104", "Orphan\n999");
    putPlain("ur101-1001", "http://a\na\n\n\n1");
    putPlain("ur102-1002", "http://b\nb\n\n\n2");
    putPlain("ur103-1003", "http://c\nc\n\n\n3");
    BookmarkStore store(m_hive.get());

    QList<int> top;
    for (const FolderRecord &folder : store.childFolders(0))
        top << folder.id;
    QCOMPARE(top, (QList<int>{101, 103, 104}));
    QCOMPARE(store.childFolders(101).value(0).id, 102);
    QCOMPARE(store.bookmarkCount(), 3);

    FolderPathResult path = ensureFolderPath(store, "\\Loop A\\Loop B", "http://b");
    QCOMPARE(path.folderId, QStringLiteral("102"));
    QVERIFY(path.duplicate);

    QVERIFY(store.deleteFolder("103"));
    QVERIFY(store.deleteFolder("102"));
    QCOMPARE(store.bookmarkCount(), 1);
    QCOMPARE(store.folderCount(), 2);
}

void TestBookmarkStore::folderCannotMoveIntoItsOwnSubtree()
{
    BookmarkStore store(m_hive.get());
    const int a = store.addFolder("A", 0);
    const int b = store.addFolder("B", a);
    const auto before = plainValues(*m_hive);
    QVERIFY(!store.setFolderParent(a, b));
    QVERIFY(!store.setFolderParent(a, a));
    QCOMPARE(plainValues(*m_hive), before);
    QVERIFY(store.setFolderParent(b, 0));
    QVERIFY(store.setFolderParent(a, b));
    verifyFileMatches(store);
}

void TestBookmarkStore::idsAtTheLimitAreRefused()
{
    putPlain("ur0-2147483647", "http://max\nmax\n\n\n0");
    putPlain("gr2147483647", "Max");
    BookmarkStore store(m_hive.get());
    const auto before = plainValues(*m_hive);
    QCOMPARE(store.addBookmark({"http://new", "new", {}, {}, 0, "0"}), -1);
    QCOMPARE(store.addFolder("New", 0), -1);
    QCOMPARE(plainValues(*m_hive), before);
    QCOMPARE(store.bookmarkCount(), 1);
}

void TestBookmarkStore::oddValuesAreReadSafely_data()
{
    QTest::addColumn<QByteArray>("plain");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("comments");
    QTest::addColumn<int>("rating");

    const QByteArray longComment(3000, 'c');
    QTest::newRow("longer than the read buffer")
        << "http://l\nl\n" + longComment + "\n\n4" << "http://l" << "l" << QString(longComment) << 4;
    QTest::newRow("address only") << QByteArray("http://only") << "http://only" << "" << "" << 0;
    QTest::newRow("two lines") << QByteArray("http://two\nTwo") << "http://two" << "Two" << "" << 0;
    QTest::newRow("rating too high") << QByteArray("a\nb\nc\nd\n9") << "a" << "b" << "c" << 5;
    QTest::newRow("rating negative") << QByteArray("a\nb\nc\nd\n-2") << "a" << "b" << "c" << 0;
    QTest::newRow("rating not a number") << QByteArray("a\nb\nc\nd\nx") << "a" << "b" << "c" << 0;
}

void TestBookmarkStore::oddValuesAreReadSafely()
{
    QFETCH(QByteArray, plain);
    putPlain("ur0-1001", plain);
    BookmarkStore store(m_hive.get());
    QVERIFY(store.selectBookmarkById("1001"));
    const CurrentBookmark &b = store.currentBookmark();
    QTEST(b.address, "address");
    QTEST(b.title, "title");
    QTEST(b.comments, "comments");
    QTEST(b.rating, "rating");
}

void TestBookmarkStore::storedLinesStaySeparate()
{
    BookmarkStore store(m_hive.get());
    store.addBookmark({"http://a\nb", "two\nlines", "one\r\ntwo", QString("x") + QChar(0) + "y", 7,
                       "0"});
    QCOMPARE(plainValues(*m_hive).value("ur0-1001"),
             QByteArray("http://a b\ntwo lines\none\r\ttwo\nxy\n5"));
    const int folder = store.addFolder("bad\nname", 0);
    QCOMPARE(plainValues(*m_hive).value("gr" + QByteArray::number(folder)),
             QByteArray("bad name\n0"));
    verifyFileMatches(store);
}

// Names written by other tools or older versions: found where the name says,
// and moved or deleted under their own name, never a guessed one.
void TestBookmarkStore::unusualValueNamesKeepTheirData()
{
    putPlain("gr5", "Five");
    putPlain("ur5-0012", "http://lead\nleading zero id\n\n\n1");
    putPlain("ur05-13", "http://odd\nleading zero folder\n\n\n2");
    putPlain("xur5-14", "http://x\nprefixed\n\n\n3");
    putPlain("ur5", "http://n\nno dash\n\n\n4");
    BookmarkStore store(m_hive.get());
    QCOMPARE(store.bookmarkCount(), 3); // the one without a dash can never be listed

    QStringList five;
    store.beginBookmarkScan("5");
    while (store.nextBookmark())
        five << store.currentBookmark().title;
    QCOMPARE(five, (QStringList{"leading zero id", "prefixed"}));
    store.beginBookmarkScan("05");
    QVERIFY(store.nextBookmark());
    QCOMPARE(store.currentBookmark().folderName, QStringLiteral("Five"));

    QVERIFY(store.selectBookmarkById("0012"));
    QVERIFY(!store.selectBookmarkById("12"));
    QVERIFY(store.selectBookmarkById("13"));
    QVERIFY(store.moveBookmarkById(13, 0));
    QVERIFY(store.deleteBookmarkById(14));
    const auto values = plainValues(*m_hive);
    QVERIFY(!values.contains("ur05-13"));
    QVERIFY(values.value("ur0-13").startsWith("http://odd"));
    QVERIFY(!values.contains("xur5-14"));
    QVERIFY(values.contains("ur5-0012"));
    QVERIFY(values.contains("ur5"));
    QCOMPARE(store.addFolder("Next", 0), 101);
    store.addBookmark({"http://n", "n", {}, {}, 0, "0"});
    QCOMPARE(store.currentBookmark().id, 1001);
    verifyFileMatches(store);
}

using StoreOperation = std::function<bool(BookmarkStore &)>;
Q_DECLARE_METATYPE(StoreOperation)

void TestBookmarkStore::failedWritesChangeNothing_data()
{
    QTest::addColumn<StoreOperation>("operation");
    QTest::addColumn<int>("failSet");
    QTest::addColumn<int>("failDelete");
    QTest::addColumn<int>("failRename");
    QTest::addColumn<int>("failBegin");

    const BookmarkRecord changed{"http://changed", "Changed", "c", {}, 2, {}};
    auto row = [](const char *name, StoreOperation op, int set, int del, int rename, int begin) {
        QTest::newRow(name) << op << set << del << rename << begin;
    };
    row("addBookmark", [](BookmarkStore &s) {
        return s.addBookmark({"http://n", "n", {}, {}, 1, "101"}) >= 0;
    }, 1, 0, 0, 0);
    row("updateBookmarkById", [changed](BookmarkStore &s) {
        BookmarkRecord r = changed;
        r.folderOrKey = "1001";
        return s.updateBookmarkById(r);
    }, 1, 0, 0, 0);
    row("updateBookmarkByTag", [changed](BookmarkStore &s) {
        BookmarkRecord r = changed;
        r.folderOrKey = "4-0";
        return s.updateBookmarkByTag(r);
    }, 1, 0, 0, 0);
    row("setBookmarkTitle", [](BookmarkStore &s) { return s.setBookmarkTitle(1001, "T"); },
        1, 0, 0, 0);
    row("deleteBookmarkById", [](BookmarkStore &s) { return s.deleteBookmarkById(1001); },
        0, 1, 0, 0);
    row("deleteBookmarkByTag", [](BookmarkStore &s) { return s.deleteBookmarkByTag("4-0"); },
        0, 1, 0, 0);
    row("move: rename, then begin", [](BookmarkStore &s) { return s.moveBookmarkById(1001, 0); },
        0, 0, 1, 1);
    row("move: rename, then delete", [](BookmarkStore &s) { return s.moveBookmarkById(1001, 0); },
        0, 1, 1, 0);
    row("move: rename, then write", [](BookmarkStore &s) { return s.moveBookmarkById(1001, 0); },
        1, 0, 1, 0);
    row("moveBookmarkByTag", [](BookmarkStore &s) { return s.moveBookmarkByTag("4-0", 101); },
        1, 0, 1, 0);
    row("addFolder", [](BookmarkStore &s) { return s.addFolder("New", 101) >= 0; }, 1, 0, 0, 0);
    row("renameFolder", [](BookmarkStore &s) { return s.renameFolder(101, "Crate"); }, 1, 0, 0, 0);
    row("setFolderParent", [](BookmarkStore &s) { return s.setFolderParent(102, 0); }, 1, 0, 0, 0);
    row("deleteFolder: begin", [](BookmarkStore &s) { return s.deleteFolder("101"); }, 0, 0, 0, 1);
    row("deleteFolder: first delete", [](BookmarkStore &s) { return s.deleteFolder("101"); },
        0, 1, 0, 0);
    row("deleteFolder: last delete", [](BookmarkStore &s) { return s.deleteFolder("101"); },
        0, 4, 0, 0);
    row("ensureFolderPath", [](BookmarkStore &s) {
        return !ensureFolderPath(s, "\\Box\\Deeper", "http://x").failed;
    }, 1, 0, 0, 0);
}

// The call fails, memory is as before, and the file holds what memory holds.
void TestBookmarkStore::failedWritesChangeNothing()
{
    QFETCH(StoreOperation, operation);
    {
        BookmarkStore setUp(m_hive.get());
        setUp.addFolder("Box", 0);
        setUp.addFolder("Inner", 101);
        setUp.addBookmark({"http://a", "a", {}, {}, 1, "101"});
        setUp.addBookmark({"http://b", "b", {}, {}, 1, "102"});
    }
    FailingHive failing(*m_hive);
    BookmarkStore store(&failing);
    store.beginBookmarkScan("4");
    QVERIFY(store.nextBookmark());
    store.setCurrentBookmarkTag("4-0");
    const QStringList before = storeSnapshot(store);

    QFETCH(int, failSet);
    QFETCH(int, failDelete);
    QFETCH(int, failRename);
    QFETCH(int, failBegin);
    failing.failSetAt = failSet;
    failing.failDeleteAt = failDelete;
    failing.failRenameAt = failRename;
    failing.failBeginAt = failBegin;
    failing.restartCounting();
    QVERIFY(!operation(store));
    QCOMPARE(storeSnapshot(store), before);
    verifyFileMatches(store);
}

void TestBookmarkStore::failedFirstRunWritesNothing()
{
    {
        FailingHive failing(*m_hive);
        failing.failSetAt = 5;
        BookmarkStore store(&failing);
        QCOMPARE(store.bookmarkCount(), 0);
        QCOMPARE(store.folderCount(), 0);
    }
    QVERIFY(BookmarkStore::isFirstRun(m_hive.get()));
    QVERIFY(plainValues(*m_hive).isEmpty());
    BookmarkStore again(m_hive.get()); // the next start tries again
    QCOMPARE(again.bookmarkCount(), 6);
}

// While another connection holds the write lock, a transaction fails as a whole
// and single writes fail, and neither changes memory.
void TestBookmarkStore::lockedFileFailsWholeTransactions()
{
    {
        BookmarkStore setUp(m_hive.get());
    }
    auto other = openHive();
    other->setBusyTimeout(0);
    BookmarkStore store(other.get());
    const QStringList before = storeSnapshot(store);
    QVERIFY(m_hive->beginTransaction());
    QVERIFY(m_hive->setValue(BookmarkStore::KeyPath, "INI", "YES"));

    QVERIFY(!store.deleteFolder("4"));
    QVERIFY(store.addBookmark({"http://n", "n", {}, {}, 0, "0"}) < 0);
    QVERIFY(!store.moveBookmarkById(5, 0));
    QCOMPARE(storeSnapshot(store), before);

    m_hive->rollbackTransaction();
    verifyFileMatches(store);
    QVERIFY(store.deleteFolder("4"));
    verifyFileMatches(store);
}

// Asking creates nothing; a stand-in for a damaged file marked done starts empty.
void TestBookmarkStore::firstRunIsOnlyRead()
{
    QVERIFY(BookmarkStore::isFirstRun(m_hive.get()));
    QVERIFY(BookmarkStore::isFirstRun(nullptr));
    QVERIFY(!m_hive->setValue(BookmarkStore::KeyPath, "probe", "x")); // no key was made
    QVERIFY(BookmarkStore::markFirstRunDone(m_hive.get()));
    QVERIFY(!BookmarkStore::isFirstRun(m_hive.get()));
    BookmarkStore store(m_hive.get());
    QCOMPARE(store.bookmarkCount(), 0);
    QCOMPARE(store.folderCount(), 0);
}

void TestBookmarkStore::folderLooksUpById()
{
    BookmarkStore store(m_hive.get());
    const int box = store.addFolder("Box", 3);
    QCOMPARE(store.folder(box)->parentId, 3);
    QCOMPARE(store.folder(4)->name, QStringLiteral("Software"));
    QVERIFY(!store.folder(0));
    QVERIFY(!store.folder(999));
    QVERIFY(!store.setFolderParent(box, 999)); // it would vanish from every tree
}

using StoreQuestion = std::function<QString(BookmarkStore &)>;
Q_DECLARE_METATYPE(StoreQuestion)

static QString titlesOf(BookmarkStore &store, const QString &folderId)
{
    QStringList titles;
    store.beginBookmarkScan(folderId);
    while (store.nextBookmark())
        titles << store.currentBookmark().title;
    store.endBookmarkScan();
    return titles.join(' ');
}

// "1" or "0" for each folder, whether it holds bookmarks.
static QString holding(BookmarkStore &store, std::initializer_list<int> folderIds)
{
    QStringList held;
    for (int id : folderIds)
        held << QString::number(store.hasBookmarks(id));
    return held.join(' ');
}

static QString allTitles(BookmarkStore &store)
{
    QStringList titles;
    store.visitBookmarks([&titles](const BookmarkStore::StoredBookmark &bookmark) {
        titles << QString::fromUtf8(bookmark.title);
    });
    return titles.join(' ');
}

// A store just loaded holds no folder's bookmarks yet; whatever is asked first
// must answer as if it held them all.
void TestBookmarkStore::foldersAreReadOnFirstUse_data()
{
    QTest::addColumn<StoreQuestion>("question");
    QTest::addColumn<QString>("answer");

    QTest::newRow("count before any read") << StoreQuestion([](BookmarkStore &store) {
        return QString::number(store.bookmarkCount());
    }) << "5";
    QTest::newRow("holding bookmarks, unread") << StoreQuestion([](BookmarkStore &store) {
        return holding(store, {101, 102});
    }) << "1 0";
    QTest::newRow("holding bookmarks: one moved into an empty unread folder")
        << StoreQuestion([](BookmarkStore &store) {
               store.moveBookmarkById(1003, 102);
               return holding(store, {102, 0});
           }) << "1 1";
    QTest::newRow("holding bookmarks: a folder read, then emptied")
        << StoreQuestion([](BookmarkStore &store) {
               titlesOf(store, "-1");
               store.deleteBookmarkById(1003);
               store.deleteBookmarkById(1005);
               return holding(store, {0, 101});
           }) << "0 1";
    QTest::newRow("an id's first in list order, its folder read last")
        << StoreQuestion([](BookmarkStore &store) {
               titlesOf(store, "101");
               store.selectBookmarkById("1005");
               return store.currentBookmark().title;
           }) << "first";
    QTest::newRow("list order whatever the folders' reading order")
        << StoreQuestion([](BookmarkStore &store) {
               titlesOf(store, "101");
               return allTitles(store);
           }) << "b1 first second b2 top";
    QTest::newRow("added to an unread folder: last in it")
        << StoreQuestion([](BookmarkStore &store) {
               store.addBookmark({"http://n", "new", {}, {}, 0, "101"});
               return titlesOf(store, "101");
           }) << "b1 second b2 new";
    QTest::newRow("an unread folder deleted with its bookmarks")
        << StoreQuestion([](BookmarkStore &store) {
               store.deleteFolder("101");
               return QStringLiteral("%1: %2").arg(store.bookmarkCount()).arg(allTitles(store));
           }) << "2: first top";
    QTest::newRow("moved into an unread folder") << StoreQuestion([](BookmarkStore &store) {
        store.moveBookmarkById(1003, 102);
        return titlesOf(store, "102") + '|' + titlesOf(store, "-1");
    }) << "top|first";
}

void TestBookmarkStore::foldersAreReadOnFirstUse()
{
    QFETCH(StoreQuestion, question);
    QFETCH(QString, answer);
    putPlain("gr101", "Box");
    putPlain("gr102", "Empty");
    putPlain("ur101-1001", "http://b1\nb1\n\n\n0");
    putPlain("ur0-1005", "http://first\nfirst\n\n\n0");
    putPlain("ur101-1005", "http://second\nsecond\n\n\n0");
    putPlain("ur101-1002", "http://b2\nb2\n\n\n0");
    putPlain("ur0-1003", "http://top\ntop\n\n\n0");
    BookmarkStore store(m_hive.get());
    QCOMPARE(question(store), answer);
    verifyFileMatches(store);
}

QTEST_APPLESS_MAIN(TestBookmarkStore)
#include "tst_bookmarkstore.moc"

#include "import/readers/importfoldermaker.h"
#include "store/bookmarkstore.h"
#include "store/hive/memoryhive.h"
#include "storesnapshot.h"

#include <QTest>

class TestImportFolderMaker final : public QObject
{
    Q_OBJECT

private slots:
    void ensureFolderPathBuildsAndFinds();
    void ensureFolderPathCutsLongNames();
    void deepSourceMadeOnce();
};

void TestImportFolderMaker::ensureFolderPathBuildsAndFinds()
{
    MemoryHive hive;
    BookmarkStore store(&hive);
    FolderPathResult top = ensureFolderPath(store, "", "http://www.w3.org");
    QCOMPARE(top.folderId, QStringLiteral("0"));
    QVERIFY(!top.duplicate);

    const int folders = store.folderCount();
    FolderPathResult tech = ensureFolderPath(store, "\\news\\Tech", "http://t");
    QCOMPARE(store.folderCount(), folders + 1); // "news" found as News
    QCOMPARE(store.findFolder("Tech", 2), tech.folderId.toInt());
    store.addBookmark({"http://t", "t", {}, {}, 0, tech.folderId});
    const int id = store.currentBookmark().id;

    FolderPathResult again = ensureFolderPath(store, "\\News\\TECH", "http://t");
    QCOMPARE(again.folderId, tech.folderId);
    QVERIFY(again.duplicate);
    QCOMPARE(again.duplicateId, QString::number(id));
    QVERIFY(!ensureFolderPath(store, "\\News\\Tech", "HTTP://T").duplicate);
    QCOMPARE(store.folderCount(), folders + 1);
    BookmarkStore reloaded(&hive);
    QCOMPARE(storeSnapshot(reloaded), storeSnapshot(store));
}

void TestImportFolderMaker::ensureFolderPathCutsLongNames()
{
    MemoryHive hive;
    BookmarkStore store(&hive);
    // 99 plain letters, then characters of two, three and four UTF-8 bytes.
    const QString longName = QString(99, 'a') + QString::fromUtf8("é€😀") + "tail";
    FolderPathResult first = ensureFolderPath(store, "\\Root\\" + longName, "http://x");
    store.selectFolderAt(store.folderCount() - 1);
    QCOMPARE(store.currentFolder().name, QString(99, 'a') + QString::fromUtf8("é"));
    const QByteArray stored = plainValues(hive).value("gr" + first.folderId.toUtf8());
    QVERIFY(QString::fromUtf8(stored).startsWith(store.currentFolder().name));

    const QString emoji = QString(99, 'b') + QString::fromUtf8("😀😀");
    ensureFolderPath(store, "\\Root\\" + emoji, "http://x");
    store.selectFolderAt(store.folderCount() - 1);
    QCOMPARE(store.currentFolder().name, QString(99, 'b') + QString::fromUtf8("😀"));

    // A second import of the same long path must find the cut name again.
    const int folders = store.folderCount();
    QCOMPARE(ensureFolderPath(store, "\\Root\\" + longName, "http://x").folderId, first.folderId);
    QCOMPARE(store.folderCount(), folders);
}

// A chain as deep as a source may keep, asked for from its deepest folder
// first: each folder is made once, below its own parent; namesakes in other
// parents stay apart and nameless folders add no level.
void TestImportFolderMaker::deepSourceMadeOnce()
{
    MemoryHive hive;
    QVERIFY(BookmarkStore::markFirstRunDone(&hive));
    BookmarkStore store(&hive);
    ImportFolders folders;
    int deepest = ImportFolders::Top;
    for (int i = 0; i < ImportFolders::MaxDepth; ++i)
        deepest = folders.add(deepest, QStringLiteral("Same"));
    const int other = folders.add(ImportFolders::Top, QStringLiteral("Other"));
    const int same = folders.add(other, QStringLiteral("Same"));
    const int nameless = folders.add(same, QStringLiteral("  "));
    ImportFolderMaker maker(store, folders);
    const int id = maker.storeFolder(deepest);
    QVERIFY(id > 0);
    QCOMPARE(maker.storeFolder(deepest), id);
    QCOMPARE(store.folderCount(), ImportFolders::MaxDepth);
    int depth = 0;
    for (int f = id; f != 0; f = store.folder(f)->parentId)
        ++depth;
    QCOMPARE(depth, ImportFolders::MaxDepth);
    QCOMPARE(maker.storeFolder(nameless), maker.storeFolder(same));
    QCOMPARE(store.folderCount(), ImportFolders::MaxDepth + 2);
    QCOMPARE(store.folder(maker.storeFolder(same))->parentId, maker.storeFolder(other));
}

QTEST_GUILESS_MAIN(TestImportFolderMaker)
#include "tst_import_foldermaker.moc"

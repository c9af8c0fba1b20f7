#include "import/readers/importfoldermaker.h"
#include "failinghive.h"
#include "storesnapshot.h"

#include "store/bookmarkstore.h"
#include "store/hive/memoryhive.h"

#include <QTest>

// Batches of changes, as the import writes them.
class TestImportStoreBatch final : public QObject
{
    Q_OBJECT

private slots:
    void failedCommitLeavesMemoryAsTheHive();
    void failedWriteInsideBatchKeepsTheRest();
};

namespace {

BookmarkRecord row(int i, const QString &folderId)
{
    return {QStringLiteral("http://%1.example/").arg(i), QStringLiteral("Row %1").arg(i), {}, {},
            0, folderId};
}

} // namespace

void TestImportStoreBatch::failedCommitLeavesMemoryAsTheHive()
{
    MemoryHive inner;
    FailingHive hive(inner);
    BookmarkStore store(&hive);
    QVERIFY(store.addBookmark(row(0, "0")) >= 0);
    const QStringList before = storeSnapshot(store);

    hive.restartCounting();
    hive.failCommitAt = 1;
    QVERIFY(store.beginBatch());
    const FolderPathResult folder = ensureFolderPath(store, QStringLiteral("\\New\\Deeper"), {});
    QVERIFY(!folder.failed);
    for (int i = 1; i <= 5; ++i)
        QVERIFY(store.addBookmark(row(i, folder.folderId)) >= 0);
    QVERIFY(!store.commitBatch());

    QCOMPARE(storeSnapshot(store), before);
    BookmarkStore fresh(&inner);
    QCOMPARE(storeSnapshot(fresh), before);
    QCOMPARE(store.findFolder(QStringLiteral("New"), 0), -1);
    // The ids of the dropped batch are free again and a new add lands on file.
    QVERIFY(store.addBookmark(row(6, "0")) >= 0);
    BookmarkStore after(&inner);
    QCOMPARE(storeSnapshot(store), storeSnapshot(after));
}

void TestImportStoreBatch::failedWriteInsideBatchKeepsTheRest()
{
    MemoryHive inner;
    FailingHive hive(inner);
    BookmarkStore store(&hive);
    hive.restartCounting();
    hive.failSetAt = 3;
    QVERIFY(store.beginBatch());
    int failed = 0;
    for (int i = 0; i < 5; ++i)
        failed += store.addBookmark(row(i, "0")) == BookmarkStore::WriteFailed;
    QCOMPARE(failed, 1);
    QVERIFY(store.commitBatch());
    BookmarkStore fresh(&inner);
    QCOMPARE(storeSnapshot(store), storeSnapshot(fresh));
}

QTEST_GUILESS_MAIN(TestImportStoreBatch)
#include "tst_import_storebatch.moc"

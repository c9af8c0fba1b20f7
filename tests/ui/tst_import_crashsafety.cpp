#include "import/bookmarkimporter.h"
#include "store/bookmarkstore.h"
#include "store/hive/sqlitehive.h"

#include <QCoreApplication>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

namespace {

// Forty folders \\Imported\\F0 to F39, the first row of each making it.
const ImportFolders &importFolders()
{
    static const ImportFolders folders = [] {
        ImportFolders made;
        const int imported = made.add(ImportFolders::Top, QStringLiteral("Imported"));
        for (int i = 0; i < 40; ++i)
            made.add(imported, QStringLiteral("F%1").arg(i));
        return made;
    }();
    return folders;
}

ImportRow importRow(int i)
{
    ImportRow row;
    row.title = QStringLiteral("Row %1").arg(i);
    row.address = QStringLiteral("http://%1.example/").arg(i);
    row.folder = 2 + i % 40;
    return row;
}

// The child: imports rows without end until it is killed.
int runImporter(const char *path)
{
    SqliteHive hive;
    if (hive.open(QString::fromLocal8Bit(path)) != SqliteHive::OpenResult::Opened)
        return 2;
    BookmarkStore store(&hive);
    BookmarkImporter importer(store, [] { return false; });
    importer.beginSource(importFolders());
    for (int i = 0; i < 10000000; ++i) {
        if (!importer.importRow(importRow(i)))
            return 3;
    }
    return 0;
}

const char *self = nullptr;

} // namespace

class TestImportCrashSafety final : public QObject
{
    Q_OBJECT

private slots:
    void killedImportKeepsWholeChunks_data();
    void killedImportKeepsWholeChunks();
};

void TestImportCrashSafety::killedImportKeepsWholeChunks_data()
{
    QTest::addColumn<int>("delayMs");
    QRandomGenerator random = QRandomGenerator::securelySeeded();
    for (int round = 0; round < 3; ++round) {
        const int delay = random.bounded(300, 1500);
        QTest::addRow("kill after %d ms", delay) << delay;
    }
}

void TestImportCrashSafety::killedImportKeepsWholeChunks()
{
    QFETCH(int, delayMs);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("hive.sqlite3"));
    {
        // No first-run collection: the store holds only what the import wrote.
        SqliteHive hive;
        QCOMPARE(hive.open(path), SqliteHive::OpenResult::Opened);
        QVERIFY(BookmarkStore::markFirstRunDone(&hive));
    }
    QProcess importer;
    importer.start(QString::fromLocal8Bit(self), {QStringLiteral("importer"), path});
    QVERIFY(importer.waitForStarted());
    QThread::msleep(delayMs);
    importer.kill();
    QVERIFY(importer.waitForFinished());

    SqliteHive hive;
    QCOMPARE(hive.open(path), SqliteHive::OpenResult::Opened);
    BookmarkStore store(&hive);
    const int count = store.bookmarkCount();
    QCOMPARE(count % BookmarkImporter::ChunkSize, 0);
    // Rows 0 .. count-1, each whole and in the folder its path names.
    QVector<bool> seen(count);
    store.endBookmarkScan();
    while (store.nextBookmark()) {
        const CurrentBookmark &b = store.currentBookmark();
        const int i = b.title.mid(4).toInt();
        QVERIFY(i >= 0 && i < count && !seen[i]);
        seen[i] = true;
        const ImportRow expected = importRow(i);
        QCOMPARE(b.address, expected.address);
        QCOMPARE(b.folderName, QStringLiteral("F%1").arg(i % 40));
    }
    qInfo("%d bookmarks had been committed", count);
}

int main(int argc, char *argv[])
{
    if (argc == 3 && qstrcmp(argv[1], "importer") == 0)
        return runImporter(argv[2]);
    self = argv[0];
    QCoreApplication app(argc, argv);
    TestImportCrashSafety test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_import_crashsafety.moc"

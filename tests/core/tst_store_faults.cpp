#include "failinghive.h"
#include "storesnapshot.h"

#include "import/readers/importfoldermaker.h"
#include "store/bookmarkstore.h"
#include "store/hive/memoryhive.h"
#include "store/hive/sqlitehive.h"

#include <QTemporaryDir>
#include <QTest>

#include <functional>

// Fault injection as SQLite tests itself: one session through the store, run
// once for every write (and, apart, every read) it makes, failing exactly
// that one. The call that met the fault must say so, the hive must hold what
// it held before that call, and memory must equal a fresh load of the hive.
class TestStoreFaults final : public QObject
{
    Q_OBJECT

private slots:
    void everyFaultLeavesMemoryAsTheHive_data();
    void everyFaultLeavesMemoryAsTheHive();
    void failedLoadRefusesWrites();
};

namespace {

BookmarkRecord row(const QString &name, const QString &folderId)
{
    return {QStringLiteral("http://%1.example/").arg(name), name, {}, {}, 0, folderId};
}

struct Seeded
{
    int work = 0;
    int old = 0;
    int top = 0; // a bookmark at the top level
};

// A collection whose folders are read only when first used, so that the
// session's own reads reach the hive.
Seeded seed(Hive &hive)
{
    BookmarkStore store(&hive);
    Seeded ids;
    ids.work = store.addFolder(QStringLiteral("Work"), 0);
    ids.old = store.addFolder(QStringLiteral("Old"), 0);
    store.addBookmark(row(QStringLiteral("top"), QStringLiteral("0")));
    ids.top = store.currentBookmarkId();
    for (const QString &name : {QStringLiteral("w1"), QStringLiteral("w2")})
        store.addBookmark(row(name, QString::number(ids.work)));
    for (const QString &name : {QStringLiteral("o1"), QStringLiteral("o2")})
        store.addBookmark(row(name, QString::number(ids.old)));
    return ids;
}

bool importBatch(BookmarkStore &store, const QString &path, const QStringList &names)
{
    if (!store.beginBatch())
        return false;
    bool written = true;
    for (const QString &name : names) {
        const FolderPathResult folder = ensureFolderPath(store, path, name);
        written = !folder.failed && store.addBookmark(row(name, folder.folderId)) >= 0;
        if (!written)
            break;
    }
    // As the import does: what was written before a failure is still committed.
    return store.commitBatch() && written;
}

struct Step
{
    const char *name;
    std::function<bool(BookmarkStore &)> run;
    bool batch = false;
};

QList<Step> session(const Seeded &ids)
{
    const QString work = QString::number(ids.work);
    const auto none = [](const BookmarkStore::StoredBookmark &) { return true; };
    return {
        {"start page", [none](BookmarkStore &s) { return s.streamBookmarks(none); }},
        {"list a folder",
         [work](BookmarkStore &s) {
             s.beginBookmarkScan(work);
             while (s.nextBookmark()) {
             }
             return !s.scanFailed();
         }},
        {"add", [](BookmarkStore &s) { return s.addBookmark(row("new", "0")) >= 0; }},
        {"edit",
         [ids](BookmarkStore &s) {
             BookmarkRecord edited = row("edited", QString::number(ids.top));
             return s.updateBookmarkById(edited);
         }},
        {"move", [ids](BookmarkStore &s) { return s.moveBookmarkById(ids.top, ids.work); }},
        {"rename", [ids](BookmarkStore &s) { return s.renameFolder(ids.work, "Job"); }},
        {"delete folder", [ids](BookmarkStore &s) { return s.deleteFolder(QString::number(ids.old)); }},
        {"import to the top",
         [](BookmarkStore &s) { return importBatch(s, "\\", {"i1", "i2", "i3"}); }, true},
        {"import to a folder",
         [](BookmarkStore &s) { return importBatch(s, "\\Imported\\Sub", {"f1", "f2"}); }, true},
        {"add after", [work](BookmarkStore &s) { return s.addBookmark(row("last", work)) >= 0; }},
        {"export", [](BookmarkStore &s) { return s.visitBookmarks([](const auto &) {}); }},
    };
}

// The hive under test: in memory, or a file.
struct Subject
{
    explicit Subject(bool file)
    {
        if (!file) {
            hive = std::make_unique<MemoryHive>();
            return;
        }
        auto sqlite = std::make_unique<SqliteHive>();
        sqlite->open(dir.filePath(QStringLiteral("hive.sqlite3")));
        hive = std::move(sqlite);
    }
    QTemporaryDir dir;
    std::unique_ptr<Hive> hive;
};

enum class Fault { Write, Read };

// Runs the session failing the nth fault; false when the session made fewer.
bool runFailing(bool file, int fault, int n, int *made = nullptr)
{
    Subject subject(file);
    Hive &inner = *subject.hive;
    const Seeded ids = seed(inner);
    FailingHive hive(inner);
    BookmarkStore store(&hive);
    hive.restartCounting();
    (fault == int(Fault::Write) ? hive.failWriteAt : hive.failReadAt) = n;
    bool met = false;
    for (const Step &step : session(ids)) {
        const auto before = plainValues(inner);
        const bool done = step.run(store);
        if (hive.injected() && !met) {
            met = true;
            // A read may be tried again within the call, and then it succeeds.
            if (fault == int(Fault::Write) || !done)
                [&] {
                    QVERIFY2(!done, step.name);
                    if (!step.batch)
                        QCOMPARE(plainValues(inner), before);
                }();
        } else {
            [&] { QVERIFY2(done, step.name); }();
        }
        if (QTest::currentTestFailed())
            return false;
        [&] { QVERIFY2(!inner.isInTransaction(), step.name); }();
    }
    if (made)
        *made = fault == int(Fault::Write) ? hive.writes() : hive.reads();
    hive.failWriteAt = hive.failReadAt = 0;
    BookmarkStore fresh(&inner);
    [&] { QCOMPARE(storeSnapshot(store), storeSnapshot(fresh)); }();
    return met;
}

} // namespace

void TestStoreFaults::everyFaultLeavesMemoryAsTheHive_data()
{
    QTest::addColumn<bool>("file");
    QTest::addColumn<int>("fault");
    QTest::newRow("memory, writes") << false << int(Fault::Write);
    QTest::newRow("memory, reads") << false << int(Fault::Read);
    QTest::newRow("file, writes") << true << int(Fault::Write);
    QTest::newRow("file, reads") << true << int(Fault::Read);
}

void TestStoreFaults::everyFaultLeavesMemoryAsTheHive()
{
    QFETCH(bool, file);
    QFETCH(int, fault);
    int made = 0;
    QVERIFY(!runFailing(file, fault, 0, &made));
    QVERIFY2(made > 4, qPrintable(QString::number(made)));
    for (int n = 1; n <= made; ++n) {
        const bool met = runFailing(file, fault, n);
        if (QTest::currentTestFailed())
            qWarning("failing the fault numbered %d", n);
        QVERIFY(!QTest::currentTestFailed());
        QVERIFY(met);
    }
}

// A store that could not read the hive holds nothing and writes nothing, so
// that nothing it writes can land on what it never saw.
void TestStoreFaults::failedLoadRefusesWrites()
{
    MemoryHive inner;
    seed(inner);
    const auto before = plainValues(inner);
    // The first read asks whether this is a first run, the second reads the folders.
    for (int n = 1; n <= 2; ++n) {
        FailingHive hive(inner);
        hive.failReadAt = n;
        BookmarkStore store(&hive);
        QVERIFY(hive.injected());
        QCOMPARE(plainValues(inner), before); // no default collection over it
        if (n == 2) {
            QCOMPARE(store.addBookmark(row("new", "0")), BookmarkStore::WriteFailed);
            QCOMPARE(store.addFolder("New", 0), BookmarkStore::WriteFailed);
            QCOMPARE(plainValues(inner), before);
        }
    }
}

QTEST_GUILESS_MAIN(TestStoreFaults)
#include "tst_store_faults.moc"

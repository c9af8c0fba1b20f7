// The bookmark store on a real hive file of 100,000 bookmarks in 5,000 folders,
// each figure beside the floor it is held to, measured in the same run.
#include "ratioreporter.h"

#include "import/readers/importfoldermaker.h"
#include "store/bookmarkcipher.h"
#include "store/bookmarkstore.h"
#include "store/hive/memoryhive.h"
#include "store/hive/sqlitehive.h"

#include <QTemporaryDir>

#include <malloc.h>
#include <memory>
#include <random>
#include <sqlite3.h>

namespace {

constexpr int Bookmarks = 100000;
constexpr int Folders = 5000;
constexpr int BigFolderSize = 10000;
constexpr int BigFolder = 101;

struct Collection
{
    qint64 plainBytes = 0;
};

// Folder 101 ("Big", top level) holds 10,000 bookmarks; the rest are spread over
// a tree of 5,000 folders.
Collection writeCollection(Hive &hive, int bookmarks, int folders)
{
    Collection collection;
    std::mt19937 random(7);
    const QString key = BookmarkStore::KeyPath;
    auto put = [&](const QByteArray &name, const QByteArray &plain) {
        collection.plainBytes += name.size() + plain.size();
        hive.setValue(key, name, bookmarkCipherEncipher(plain));
    };
    HiveTransaction transaction(&hive);
    hive.createKey(key);
    hive.setValue(key, "INI", "YES");
    for (int i = 0; i < folders; ++i) {
        const int id = 101 + i;
        const int parent = i < 50 ? 0 : 101 + int(random() % unsigned(i));
        put("gr" + QByteArray::number(id),
            (id == BigFolder ? QByteArray("Big") : "Folder " + QByteArray::number(id)) + '\n'
                + QByteArray::number(parent));
    }
    for (int i = 0; i < bookmarks; ++i) {
        const int id = 1001 + i;
        const int folder = i < BigFolderSize ? BigFolder : 102 + int(random() % unsigned(folders - 1));
        const QByteArray n = QByteArray::number(i);
        const QByteArray comments = i % 2 ? "Read this again when there is time " + n : QByteArray();
        put("ur" + QByteArray::number(folder) + '-' + QByteArray::number(id),
            "http://www.example-" + n + ".com/articles/page-" + n + ".html\nAn example page, number "
                + n + '\n' + comments + "\n\n" + QByteArray::number(i % 6));
    }
    transaction.commit();
    return collection;
}

struct FileFixture
{
    QTemporaryDir dir;
    QString path;
    Collection collection;
    std::unique_ptr<SqliteHive> hive;
    std::unique_ptr<BookmarkStore> store;

    FileFixture()
    {
        path = dir.filePath("hive.sqlite3");
        SqliteHive writer;
        writer.open(path);
        collection = writeCollection(writer, Bookmarks, Folders);
        writer.close();
        hive = std::make_unique<SqliteHive>();
        hive->open(path);
        store = std::make_unique<BookmarkStore>(hive.get());
    }
};

FileFixture &file()
{
    static FileFixture fixture;
    return fixture;
}

struct MemoryFixture
{
    MemoryHive hive;
    std::unique_ptr<BookmarkStore> store;
    explicit MemoryFixture(int bookmarks)
    {
        writeCollection(hive, bookmarks, Folders);
        store = std::make_unique<BookmarkStore>(&hive);
    }
};

BookmarkStore &memoryStore(int bookmarks)
{
    static std::map<int, std::unique_ptr<MemoryFixture>> fixtures;
    auto &fixture = fixtures[bookmarks];
    if (!fixture)
        fixture = std::make_unique<MemoryFixture>(bookmarks);
    return *fixture->store;
}

// ---- loading

void BM_LoadStore(benchmark::State &state)
{
    const QString path = file().path;
    for (auto _ : state) {
        auto hive = std::make_unique<SqliteHive>();
        hive->open(path, SqliteHive::Check::Header);
        auto store = std::make_unique<BookmarkStore>(hive.get());
        benchmark::DoNotOptimize(store->bookmarkCount());
        state.PauseTiming(); // freeing the store is not loading it
        store.reset();
        hive.reset();
        state.ResumeTiming();
    }
}

// Start-up reads every page once before trusting the file; shown on its own.
void BM_StartupIntegrityCheck(benchmark::State &state)
{
    const QString path = file().path;
    for (auto _ : state) {
        SqliteHive hive;
        benchmark::DoNotOptimize(hive.open(path, SqliteHive::Check::Full));
    }
}

void BM_Floor_ReadEveryRow(benchmark::State &state)
{
    const QByteArray path = file().path.toLocal8Bit();
    const QByteArray key = BookmarkStore::KeyPath.toUtf8();
    for (auto _ : state) {
        sqlite3 *db = nullptr;
        sqlite3_open_v2(path.constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
        sqlite3_stmt *stmt = nullptr;
        sqlite3_prepare_v2(db, "SELECT name, data FROM hive_values WHERE +key = ?1 ORDER BY seq", -1,
                           &stmt, nullptr);
        sqlite3_bind_text(stmt, 1, key.constData(), int(key.size()), SQLITE_STATIC);
        qint64 bytes = 0;
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            benchmark::DoNotOptimize(sqlite3_column_blob(stmt, 0));
            benchmark::DoNotOptimize(sqlite3_column_blob(stmt, 1));
            bytes += sqlite3_column_bytes(stmt, 1);
        }
        benchmark::DoNotOptimize(bytes);
        sqlite3_finalize(stmt);
        sqlite3_close(db);
    }
}

// ---- write-through changes

void BM_Floor_SingleRowWrite(benchmark::State &state)
{
    FileFixture &f = file();
    sqlite3 *db = nullptr;
    sqlite3_open_v2(f.path.toLocal8Bit().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_exec(db, "PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL", nullptr, nullptr, nullptr);
    sqlite3_stmt *stmt = nullptr;
    sqlite3_prepare_v2(db, "UPDATE hive_values SET data = ?1 WHERE key = ?2 AND name = ?3", -1,
                       &stmt, nullptr);
    const QByteArray key = BookmarkStore::KeyPath.toUtf8();
    int i = 0;
    for (auto _ : state) {
        const QByteArray data = bookmarkCipherEncipher(
            "http://www.example-1.com/articles/page-1.html\nAn example page, number "
            + QByteArray::number(++i) + "\n\n\n3");
        sqlite3_bind_blob(stmt, 1, data.constData(), int(data.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(stmt, 2, key.constData(), int(key.size()), SQLITE_STATIC);
        sqlite3_bind_text(stmt, 3, "ur101-1002", -1, SQLITE_STATIC);
        sqlite3_step(stmt);
        sqlite3_reset(stmt);
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
}

BookmarkRecord sample(int i, const QString &folderOrKey)
{
    return {QStringLiteral("http://www.bench-%1.example/").arg(i),
            QStringLiteral("Bench page %1").arg(i), {}, {}, i % 6, folderOrKey};
}

void BM_AddBookmark(benchmark::State &state)
{
    BookmarkStore &store = *file().store;
    int i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(store.addBookmark(sample(++i, QStringLiteral("102"))));
}

void BM_UpdateBookmarkByTag(benchmark::State &state)
{
    BookmarkStore &store = *file().store;
    store.selectBookmarkById(QStringLiteral("50000"));
    store.setCurrentBookmarkTag(QStringLiteral("bench-u"));
    int i = 0;
    for (auto _ : state)
        store.updateBookmarkByTag(sample(++i, QStringLiteral("bench-u")));
}

void BM_MoveBookmarkByTag(benchmark::State &state)
{
    BookmarkStore &store = *file().store;
    int i = 0;
    for (auto _ : state) {
        store.selectBookmarkById(QStringLiteral("60000"));
        store.setCurrentBookmarkTag(QStringLiteral("bench-m"));
        store.moveBookmarkByTag(QStringLiteral("bench-m"), ++i % 2 ? 103 : 104);
    }
}

void BM_DeleteBookmarkByTag(benchmark::State &state)
{
    BookmarkStore &store = *file().store;
    int i = 0;
    for (auto _ : state) {
        state.PauseTiming();
        store.addBookmark(sample(++i, QStringLiteral("105")));
        store.setCurrentBookmarkTag(QStringLiteral("bench-d"));
        state.ResumeTiming();
        store.deleteBookmarkByTag(QStringLiteral("bench-d"));
    }
}

void BM_RenameFolder(benchmark::State &state)
{
    BookmarkStore &store = *file().store;
    int i = 0;
    for (auto _ : state)
        store.renameFolder(106, QStringLiteral("Renamed %1").arg(++i));
}

// ---- work in proportion to the folder

void BM_FolderScan(benchmark::State &state)
{
    BookmarkStore &store = memoryStore(int(state.range(0)));
    for (auto _ : state) {
        int count = 0;
        store.beginBookmarkScan(QString::number(BigFolder));
        while (store.nextBookmark())
            ++count;
        store.endBookmarkScan();
        benchmark::DoNotOptimize(count);
    }
}

void BM_EnsureFolderPath(benchmark::State &state)
{
    BookmarkStore &store = memoryStore(int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(
            ensureFolderPath(store, QStringLiteral("Favorites\\Big"), QStringLiteral("http://absent")));
}

void reportMemory()
{
    FileFixture &f = file();
    malloc_trim(0);
    const size_t before = mallinfo2().uordblks;
    auto hive = std::make_unique<SqliteHive>();
    hive->open(f.path);
    auto store = std::make_unique<BookmarkStore>(hive.get());
    hive->close();
    malloc_trim(0);
    const double bytes = double(mallinfo2().uordblks - before);
    const double plain = double(f.collection.plainBytes);
    std::printf("memory of the loaded store: %.1f MB for %.1f MB of plain text: %.2fx (limit 3.0x) %s\n\n",
                bytes / 1e6, plain / 1e6, bytes / plain, bytes / plain <= 3.0 ? "ok" : "OVER");
}

} // namespace

BENCHMARK(BM_Floor_ReadEveryRow)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadStore)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StartupIntegrityCheck)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Floor_SingleRowWrite)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AddBookmark)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_UpdateBookmarkByTag)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MoveBookmarkByTag)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DeleteBookmarkByTag)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RenameFolder)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FolderScan)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EnsureFolderPath)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMicrosecond);

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    reportMemory();
    RatioReporter reporter({
        {"BM_LoadStore", "BM_Floor_ReadEveryRow", 3.0},
        {"BM_AddBookmark", "BM_Floor_SingleRowWrite", 2.0},
        {"BM_UpdateBookmarkByTag", "BM_Floor_SingleRowWrite", 2.0},
        {"BM_MoveBookmarkByTag", "BM_Floor_SingleRowWrite", 2.0},
        {"BM_DeleteBookmarkByTag", "BM_Floor_SingleRowWrite", 2.0},
        {"BM_RenameFolder", "BM_Floor_SingleRowWrite", 2.0},
        {"BM_FolderScan/1000000", "BM_FolderScan/100000", 2.0},
        {"BM_EnsureFolderPath/1000000", "BM_EnsureFolderPath/100000", 2.0},
    });
    benchmark::RunSpecifiedBenchmarks(&reporter);
    return 0;
}

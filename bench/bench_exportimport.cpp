// Export of a 100,000-bookmark store to a bookmark file, and the read of a
// 100,000-bookmark Firefox places.sqlite, each beside the floor it is held to,
// measured in the same run.
#include "ratioreporter.h"

#include "import/readers/bookmarkfilewriter.h"
#include "import/readers/firefoxplacesreader.h"
#include "store/bookmarkcipher.h"
#include "store/bookmarkstore.h"
#include "store/hive/memoryhive.h"

#include <QFile>
#include <QTemporaryDir>

#include <array>
#include <memory>
#include <random>
#include <sqlite3.h>

namespace {

constexpr int Bookmarks = 100000;
constexpr int Folders = 5000;

// ---- export

struct StoreFixture
{
    MemoryHive hive;
    std::unique_ptr<BookmarkStore> store;
    QTemporaryDir dir;
    QByteArray text;

    StoreFixture()
    {
        std::mt19937 random(7);
        const QString key = BookmarkStore::KeyPath;
        auto put = [&](const QByteArray &name, const QByteArray &plain) {
            hive.setValue(key, name, bookmarkCipherEncipher(plain));
        };
        hive.createKey(key);
        hive.setValue(key, "INI", "YES");
        for (int i = 0; i < Folders; ++i) {
            const int parent = i < 50 ? 0 : 101 + int(random() % unsigned(i));
            put("gr" + QByteArray::number(101 + i),
                "Folder & " + QByteArray::number(i) + '\n' + QByteArray::number(parent));
        }
        for (int i = 0; i < Bookmarks; ++i) {
            const QByteArray n = QByteArray::number(i);
            const QByteArray comments = i % 2 ? "Read <this> again\twhen there is time " + n : QByteArray();
            put("ur" + QByteArray::number(101 + int(random() % unsigned(Folders))) + '-'
                    + QByteArray::number(1001 + i),
                "http://www.example-" + n + ".com/articles/page-" + n + ".html?a=1&b=2\nAn example "
                    "page & more, number " + n + '\n' + comments + "\n\n" + QByteArray::number(i % 6));
        }
        store = std::make_unique<BookmarkStore>(&hive);
        text = BookmarkFileWriter::bookmarkFileText(*store);
    }
};

StoreFixture &storeFixture()
{
    static StoreFixture fixture;
    return fixture;
}

void BM_Floor_WriteText(benchmark::State &state)
{
    StoreFixture &fixture = storeFixture();
    const QString path = fixture.dir.filePath("floor.html");
    for (auto _ : state) {
        QFile file(path);
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        benchmark::DoNotOptimize(file.write(fixture.text));
        file.close();
    }
    state.SetBytesProcessed(state.iterations() * fixture.text.size());
}

// The text alone, without the file.
void BM_ExportText(benchmark::State &state)
{
    StoreFixture &fixture = storeFixture();
    for (auto _ : state)
        benchmark::DoNotOptimize(BookmarkFileWriter::bookmarkFileText(*fixture.store));
}

// Only handing over every bookmark: what any export costs before writing a byte.
void BM_VisitBookmarks(benchmark::State &state)
{
    StoreFixture &fixture = storeFixture();
    for (auto _ : state) {
        qsizetype bytes = 0;
        fixture.store->visitBookmarks([&bytes](const BookmarkStore::StoredBookmark &bookmark) {
            bytes += bookmark.address.size() + bookmark.title.size() + bookmark.comments.size();
        });
        benchmark::DoNotOptimize(bytes);
    }
}

void BM_ExportBookmarks(benchmark::State &state)
{
    StoreFixture &fixture = storeFixture();
    const QString path = fixture.dir.filePath("export.html");
    for (auto _ : state) {
        if (!BookmarkFileWriter::exportBookmarks(*fixture.store, path).isEmpty())
            state.SkipWithError("export failed");
    }
    state.SetBytesProcessed(state.iterations() * fixture.text.size());
}

// ---- Firefox

struct PlacesFixture
{
    QTemporaryDir dir;
    QString path;

    PlacesFixture() : path(dir.filePath("places.sqlite"))
    {
        sqlite3 *db = nullptr;
        sqlite3_open(QFile::encodeName(path).constData(), &db);
        auto exec = [db](const char *sql) { sqlite3_exec(db, sql, nullptr, nullptr, nullptr); };
        exec("PRAGMA journal_mode=WAL");
        exec("CREATE TABLE moz_places (id INTEGER PRIMARY KEY, url LONGVARCHAR, title LONGVARCHAR, "
             "rev_host LONGVARCHAR, visit_count INTEGER DEFAULT 0, frecency INTEGER DEFAULT -1, "
             "last_visit_date INTEGER, guid TEXT)");
        exec("CREATE TABLE moz_bookmarks (id INTEGER PRIMARY KEY, type INTEGER, fk INTEGER DEFAULT "
             "NULL, parent INTEGER, position INTEGER, title LONGVARCHAR, keyword_id INTEGER, "
             "folder_type TEXT, dateAdded INTEGER, lastModified INTEGER, guid TEXT)");
        exec("CREATE INDEX moz_bookmarks_parentindex ON moz_bookmarks (parent, position)");
        exec("BEGIN");
        exec("INSERT INTO moz_bookmarks (id, type, parent, position, title, guid) VALUES "
             "(1, 2, 0, 0, '', 'root________'), (2, 2, 1, 0, 'menu', 'menu________'), "
             "(3, 2, 1, 1, 'toolbar', 'toolbar_____'), (4, 2, 1, 2, 'tags', 'tags________'), "
             "(5, 2, 1, 3, 'unfiled', 'unfiled_____'), (6, 2, 1, 4, 'mobile', 'mobile______')");
        std::mt19937 random(7);
        sqlite3_stmt *folder = nullptr;
        sqlite3_prepare_v2(db, "INSERT INTO moz_bookmarks (id, type, parent, position, title) "
                               "VALUES (?, 2, ?, ?, ?)", -1, &folder, nullptr);
        constexpr int FirstFolder = 100;
        for (int i = 0; i < Folders; ++i) {
            const int parent = i < 50 ? std::array{2, 3, 5, 6}[i % 4] : FirstFolder + int(random() % unsigned(i));
            const QByteArray title = "Folder " + QByteArray::number(i);
            sqlite3_bind_int(folder, 1, FirstFolder + i);
            sqlite3_bind_int(folder, 2, parent);
            sqlite3_bind_int(folder, 3, 1000000 + i);
            sqlite3_bind_text(folder, 4, title.constData(), int(title.size()), SQLITE_TRANSIENT);
            sqlite3_step(folder);
            sqlite3_reset(folder);
        }
        sqlite3_finalize(folder);
        sqlite3_stmt *place = nullptr;
        sqlite3_prepare_v2(db, "INSERT INTO moz_places (id, url, title) VALUES (?, ?, ?)", -1,
                           &place, nullptr);
        sqlite3_stmt *bookmark = nullptr;
        sqlite3_prepare_v2(db, "INSERT INTO moz_bookmarks (type, fk, parent, position, title) "
                               "VALUES (1, ?, ?, ?, ?)", -1, &bookmark, nullptr);
        for (int i = 0; i < Bookmarks; ++i) {
            const QByteArray n = QByteArray::number(i);
            const QByteArray url = "http://www.example-" + n + ".com/articles/page-" + n + ".html";
            const QByteArray title = "An example page, number " + n;
            sqlite3_bind_int(place, 1, i + 1);
            sqlite3_bind_text(place, 2, url.constData(), int(url.size()), SQLITE_TRANSIENT);
            sqlite3_bind_text(place, 3, title.constData(), int(title.size()), SQLITE_TRANSIENT);
            sqlite3_step(place);
            sqlite3_reset(place);
            sqlite3_bind_int(bookmark, 1, i + 1);
            sqlite3_bind_int(bookmark, 2, FirstFolder + int(random() % unsigned(Folders)));
            sqlite3_bind_int(bookmark, 3, i);
            sqlite3_bind_text(bookmark, 4, title.constData(), int(title.size()), SQLITE_TRANSIENT);
            sqlite3_step(bookmark);
            sqlite3_reset(bookmark);
        }
        sqlite3_finalize(place);
        sqlite3_finalize(bookmark);
        exec("COMMIT");
        exec("PRAGMA wal_checkpoint(TRUNCATE)");
        sqlite3_close(db);
    }
};

PlacesFixture &placesFixture()
{
    static PlacesFixture fixture;
    return fixture;
}

// The same rows, in the same order, read with SQLite and nothing else.
void BM_Floor_SqliteRows(benchmark::State &state)
{
    const QByteArray path = QFile::encodeName(placesFixture().path);
    for (auto _ : state) {
        sqlite3 *db = nullptr;
        sqlite3_open_v2(path.constData(), &db, SQLITE_OPEN_READONLY, nullptr);
        sqlite3_stmt *rows = nullptr;
        sqlite3_prepare_v2(db,
                           "SELECT b.id, b.parent, b.type, b.title, p.url, b.guid FROM moz_bookmarks b "
                           "LEFT JOIN moz_places p ON p.id = b.fk ORDER BY b.parent, b.position, b.id",
                           -1, &rows, nullptr);
        qint64 bytes = 0;
        while (sqlite3_step(rows) == SQLITE_ROW) {
            bytes += sqlite3_column_int64(rows, 0) + sqlite3_column_int64(rows, 1)
                     + sqlite3_column_int(rows, 2);
            for (int column : {3, 4, 5}) {
                benchmark::DoNotOptimize(sqlite3_column_text(rows, column));
                bytes += sqlite3_column_bytes(rows, column);
            }
        }
        benchmark::DoNotOptimize(bytes);
        sqlite3_finalize(rows);
        sqlite3_close(db);
    }
}

void BM_FirefoxImport(benchmark::State &state)
{
    const QString path = placesFixture().path;
    qsizetype rows = 0;
    for (auto _ : state) {
        const ImportReadResult result = FirefoxPlacesReader::readPlaces(path, QStringLiteral("Firefox"));
        if (!result.error.isEmpty())
            state.SkipWithError("read failed");
        rows = result.rows.size();
    }
    state.counters["rows"] = double(rows);
}

} // namespace

BENCHMARK(BM_Floor_WriteText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_VisitBookmarks)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportBookmarks)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Floor_SqliteRows)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FirefoxImport)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter({
        {"BM_ExportBookmarks", "BM_Floor_WriteText", 3.0},
        {"BM_FirefoxImport", "BM_Floor_SqliteRows", 3.0},
    });
    benchmark::RunSpecifiedBenchmarks(&reporter);
    return 0;
}

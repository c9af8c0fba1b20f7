// The import of a 100,000-bookmark file (gen_netscape.py 100000 42), each figure
// beside the floor it is held to, measured in the same run: the parse against
// reading the file and counting its bookmarks with memmem, the same bookmarks
// nested 10,000 deep against the same at the top level (peak_x_file: the
// parse's peak memory over the file's size), the decoding of the fields
// against their UTF-8 conversion alone, the import list
// against a bare QTreeWidget, and the import into a store of 100,000 bookmarks
// against inserting the same rows into SQLite in one transaction.
#include "importbench.h"
#include "ratioreporter.h"

#include "import/bookmarkimporter.h"
#include "import/readers/bookmarkfilereader.h"
#include "import/readers/bookmarkfilewriter.h"
#include "import/readers/htmltext.h"
#include "store/bookmarkcipher.h"
#include "store/bookmarkstore.h"
#include "store/hive/sqlitehive.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTreeWidget>

#include <cstring>
#include <ctime>
#include <malloc.h>
#include <memory>
#include <sqlite3.h>

namespace {

using namespace ImportBench;

constexpr int StoreFolders = 5000;

// The same file with every folder taken out and its bookmarks (descriptions
// and all) put inside one folder: the folder's end is as far away from every
// bookmark as it can be.
const QString &oneFolderFile()
{
    static const QString path = [] {
        QFile in(bookmarkFile());
        if (!in.open(QIODevice::ReadOnly))
            qFatal("cannot read the generated file");
        QByteArray out = "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<DL><p>\n    <DT><H3>One</H3>\n"
                         "    <DL><p>\n";
        bool inList = false;
        while (!in.atEnd()) {
            const QByteArray line = in.readLine();
            inList |= line.startsWith("<DL><p>");
            if (inList && !line.contains("<DT><H3") && !line.contains("<DL><p>")
                && !line.contains("</DL>"))
                out += line;
        }
        out += "    </DL><p>\n</DL>\n";
        const QString made = workDir().filePath(QStringLiteral("onefolder.html"));
        QFile file(made);
        if (!file.open(QIODevice::WriteOnly) || file.write(out) != out.size())
            qFatal("cannot write the one-folder file");
        return made;
    }();
    return path;
}

const ImportReadResult &parsedFile()
{
    static const ImportReadResult result =
        BookmarkFileReader::parseBookmarkFile(bookmarkFile(), QStringLiteral("NN Bookmarks"));
    return result;
}

const ImportRows &parsedRows()
{
    return parsedFile().rows;
}

// The generated file's bookmarks (descriptions and all), without indents,
// either all at the top level or ten to a folder in folders nested 10,000 deep.
QString restacked(const QString &name, int levels)
{
    QFile in(bookmarkFile());
    if (!in.open(QIODevice::ReadOnly))
        qFatal("cannot read the generated file");
    QList<QByteArray> bookmarks;
    while (!in.atEnd()) {
        const QByteArray line = in.readLine().trimmed() + '\n';
        if (line.startsWith("<DT><A"))
            bookmarks.append(line);
        else if (line.startsWith("<DD>") && !bookmarks.isEmpty())
            bookmarks.last() += line;
    }
    QByteArray out = "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<DL><p>\n";
    const qsizetype perLevel = levels > 0 ? bookmarks.size() / levels : bookmarks.size();
    for (qsizetype i = 0; i < bookmarks.size(); ++i) {
        if (levels > 0 && i % perLevel == 0 && i / perLevel < levels)
            out += "<DT><H3>Level " + QByteArray::number(i / perLevel) + "</H3>\n<DL><p>\n";
        out += bookmarks[i];
    }
    for (int i = 0; i < levels; ++i)
        out += "</DL><p>\n";
    out += "</DL>\n";
    const QString made = workDir().filePath(name);
    QFile file(made);
    if (!file.open(QIODevice::WriteOnly) || file.write(out) != out.size())
        qFatal("cannot write %s", qPrintable(made));
    return made;
}

constexpr int DeepLevels = 10000;

const QString &deepFile()
{
    static const QString path = restacked(QStringLiteral("deep.html"), DeepLevels);
    return path;
}

const QString &flatFile()
{
    static const QString path = restacked(QStringLiteral("flat.html"), 0);
    return path;
}

qint64 statusKilobytes(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qsizetype(std::strlen(field))).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

// The most memory the parse of path took beyond what the process held before,
// as a multiple of the file's size: the kernel's high-water mark, reset first.
double peakOverFileSize(const QString &path)
{
    malloc_trim(0);
    QFile reset(QStringLiteral("/proc/self/clear_refs"));
    if (!reset.open(QIODevice::WriteOnly) || reset.write("5") != 1)
        return -1;
    reset.close();
    const qint64 before = statusKilobytes("VmRSS:");
    {
        const auto result = BookmarkFileReader::parseBookmarkFile(path, QStringLiteral("NN Bookmarks"));
        benchmark::DoNotOptimize(result.rows.data());
    }
    const qint64 peak = statusKilobytes("VmHWM:");
    return double(peak - before) * 1024 / double(QFileInfo(path).size());
}

// ---- parsing

// Freeing what an iteration made is not reading: it happens with the clock
// stopped, and the heap is tidied before the next iteration starts.
void freeUntimed(benchmark::State &state, auto &made)
{
    state.PauseTiming();
    made = {};
    malloc_trim(0);
    state.ResumeTiming();
}

void floorReadAndCount(benchmark::State &state, const QString &path)
{
    for (auto _ : state) {
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        QByteArray text = file.readAll();
        const char *at = text.constData();
        const char *end = at + text.size();
        qint64 count = 0;
        while (const void *hit = memmem(at, size_t(end - at), "<DT><A HREF=", 12)) {
            ++count;
            at = static_cast<const char *>(hit) + 12;
        }
        benchmark::DoNotOptimize(count);
        freeUntimed(state, text);
    }
}

void parse(benchmark::State &state, const QString &path)
{
    state.counters["peak_x_file"] = peakOverFileSize(path);
    for (auto _ : state) {
        auto result = BookmarkFileReader::parseBookmarkFile(path, QStringLiteral("NN Bookmarks"));
        if (result.rows.size() != Bookmarks)
            state.SkipWithError("wrong row count");
        benchmark::DoNotOptimize(result.rows.data());
        freeUntimed(state, result.rows);
    }
}

void BM_Floor_ReadAndCount(benchmark::State &state)
{
    floorReadAndCount(state, bookmarkFile());
}

void BM_ParseBookmarkFile(benchmark::State &state)
{
    parse(state, bookmarkFile());
}

void BM_Floor_ReadAndCountOneFolder(benchmark::State &state)
{
    floorReadAndCount(state, oneFolderFile());
}

void BM_ParseOneFolderFile(benchmark::State &state)
{
    parse(state, oneFolderFile());
}

void BM_ParseFlatFile(benchmark::State &state)
{
    parse(state, flatFile());
}

void BM_ParseDeepFile(benchmark::State &state)
{
    parse(state, deepFile());
}

// What decoding adds: each row's fields as the file writes them, turned into
// text with the decoding and, as the floor, by UTF-8 conversion alone.
const QList<QByteArray> &fieldTexts()
{
    static const QList<QByteArray> texts = [] {
        QList<QByteArray> made;
        for (const ImportRow &row : parsedRows()) {
            for (const QString *field : {&row.title, &row.address, &row.comment}) {
                QByteArray escaped;
                BookmarkFileWriter::appendEscaped(escaped, *field);
                made.append(escaped);
            }
        }
        return made;
    }();
    return texts;
}

void BM_Floor_Utf8Fields(benchmark::State &state)
{
    fieldTexts();
    for (auto _ : state)
        for (const QByteArray &text : fieldTexts())
            benchmark::DoNotOptimize(QString::fromUtf8(text));
}

void BM_DecodeFields(benchmark::State &state)
{
    for (auto _ : state)
        for (const QByteArray &text : fieldTexts())
            benchmark::DoNotOptimize(HtmlText::decode(text));
}

// ---- the import list

void BM_Floor_FillBareTree(benchmark::State &state)
{
    const ImportRows &rows = parsedRows();
    QTreeWidget tree;
    tree.setColumnCount(3);
    for (auto _ : state) {
        QList<QTreeWidgetItem *> items;
        items.reserve(rows.size());
        for (const ImportRow &row : rows)
            items.append(new QTreeWidgetItem({row.title, row.address, row.label}));
        tree.addTopLevelItems(items);
        state.PauseTiming();
        tree.clear();
        state.ResumeTiming();
    }
}

void BM_FillImportList(benchmark::State &state)
{
    BenchPage page(nullptr);
    ImportFavoritesDialog dialog(page, nullptr);
    for (auto _ : state) {
        dialog.fillList(ImportFavoritesDialog::BookmarkFileTab, parsedRows());
        state.PauseTiming();
        dialog.fillList(ImportFavoritesDialog::BookmarkFileTab, {});
        state.ResumeTiming();
    }
}

// ---- the import into the store

// A hive file holding 100,000 bookmarks in 5,000 folders, written once.
const QString &baseHive()
{
    static const QString path = [] {
        const QString made = workDir().filePath(QStringLiteral("base.sqlite3"));
        SqliteHive hive;
        hive.open(made);
        const QString key = BookmarkStore::KeyPath;
        HiveTransaction transaction(&hive);
        hive.createKey(key);
        hive.setValue(key, "INI", "YES");
        for (int i = 0; i < StoreFolders; ++i)
            hive.setValue(key, "gr" + QByteArray::number(101 + i),
                          bookmarkCipherEncipher("Folder " + QByteArray::number(i) + "\n"
                                                 + QByteArray::number(i < 50 ? 0 : 101 + i % 50)));
        for (int i = 0; i < Bookmarks; ++i) {
            const QByteArray n = QByteArray::number(i);
            hive.setValue(key,
                          "ur" + QByteArray::number(101 + i % StoreFolders) + '-'
                              + QByteArray::number(1001 + i),
                          bookmarkCipherEncipher("http://www.example-" + n + ".com/page-" + n
                                                 + ".html\nAn example page " + n + "\n\n\n3"));
        }
        transaction.commit();
        hive.close();
        return made;
    }();
    return path;
}

QString freshHiveCopy()
{
    const QString copy = workDir().filePath(QStringLiteral("import.sqlite3"));
    for (const char *suffix : {"", "-wal", "-shm"})
        QFile::remove(copy + QLatin1String(suffix));
    if (!QFile::copy(baseHive(), copy))
        qFatal("cannot copy the hive");
    return copy;
}

void BM_Floor_SqliteInsertOneTransaction(benchmark::State &state)
{
    const ImportRows &rows = parsedRows();
    QList<QByteArray> names;
    QList<QByteArray> values;
    for (qsizetype i = 0; i < rows.size(); ++i) {
        names.append("ur" + QByteArray::number(200000 + i % 5000) + '-'
                     + QByteArray::number(200001 + i));
        values.append(rows[i].address.toUtf8() + '\n' + rows[i].title.left(100).toUtf8()
                      + "\n\n\n0");
    }
    const QByteArray key = BookmarkStore::KeyPath.toUtf8();
    for (auto _ : state) {
        state.PauseTiming();
        const QByteArray path = freshHiveCopy().toLocal8Bit();
        sqlite3 *db = nullptr;
        sqlite3_open_v2(path.constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
        sqlite3_exec(db, "PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL", nullptr, nullptr,
                     nullptr);
        state.ResumeTiming();
        sqlite3_stmt *stmt = nullptr;
        sqlite3_prepare_v2(db, "INSERT INTO hive_values(key, name, type, data) VALUES(?1, ?2, 1, ?3)",
                           -1, &stmt, nullptr);
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        for (qsizetype i = 0; i < names.size(); ++i) {
            sqlite3_bind_text(stmt, 1, key.constData(), int(key.size()), SQLITE_STATIC);
            sqlite3_bind_text(stmt, 2, names[i].constData(), int(names[i].size()), SQLITE_STATIC);
            sqlite3_bind_blob(stmt, 3, values[i].constData(), int(values[i].size()), SQLITE_STATIC);
            if (sqlite3_step(stmt) != SQLITE_DONE)
                state.SkipWithError("insert failed");
            sqlite3_reset(stmt);
        }
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_finalize(stmt);
        state.PauseTiming();
        sqlite3_close(db);
        state.ResumeTiming();
    }
}

void BM_ImportIntoStore(benchmark::State &state)
{
    const ImportRows &rows = parsedRows();
    for (auto _ : state) {
        state.PauseTiming();
        auto hive = std::make_unique<SqliteHive>();
        hive->open(freshHiveCopy(), SqliteHive::Check::Header);
        auto store = std::make_unique<BookmarkStore>(hive.get());
        state.ResumeTiming();
        BookmarkImporter importer(*store, [] { return false; });
        importer.beginSource(parsedFile().folders);
        for (const ImportRow &row : rows) {
            if (!importer.importRow(row))
                state.SkipWithError("import failed");
        }
        if (!importer.finish())
            state.SkipWithError("commit failed");
        state.PauseTiming();
        store.reset();
        hive.reset();
        state.ResumeTiming();
    }
}

// The whole import as a person does it: the dialog opens, the file is chosen
// with Browse, everything is selected and imported.
void reportWholeImport()
{
    qputenv("USERPROFILE", workDir().filePath(QStringLiteral("nobody")).toUtf8());
    SqliteHive hive;
    hive.open(freshHiveCopy(), SqliteHive::Check::Header);
    BookmarkStore store(&hive);
    BenchPage page(&store);
    QElapsedTimer timer;
    timer.start();
    const std::clock_t cpuStart = std::clock();
    ImportFavoritesDialog dialog(page, &hive);
    importWholeFile(dialog, bookmarkFile());
    std::printf("whole import of %d bookmarks, dialog included: %.2f s, %.2f s of CPU (%d "
                "imported; well under 15.8 s wanted)\n\n",
                Bookmarks, double(timer.elapsed()) / 1000,
                double(std::clock() - cpuStart) / CLOCKS_PER_SEC, dialog.importedCount());
}

} // namespace

BENCHMARK(BM_Floor_ReadAndCount)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseBookmarkFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Floor_ReadAndCountOneFolder)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseOneFolderFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseFlatFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseDeepFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Floor_Utf8Fields)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeFields)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Floor_FillBareTree)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FillImportList)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Floor_SqliteInsertOneTransaction)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ImportIntoStore)->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RatioReporter reporter({
        {"BM_ParseBookmarkFile", "BM_Floor_ReadAndCount", 5.0},
        {"BM_ParseOneFolderFile", "BM_Floor_ReadAndCountOneFolder", 5.0},
        {"BM_ParseDeepFile", "BM_ParseFlatFile", 5.0},
        {"BM_FillImportList", "BM_Floor_FillBareTree", 3.0},
        {"BM_ImportIntoStore/iterations:3", "BM_Floor_SqliteInsertOneTransaction/iterations:3", 3.0},
    });
    benchmark::RunSpecifiedBenchmarks(&reporter);
    if (!qEnvironmentVariableIsSet("HARBROW_BENCH_QUICK"))
        reportWholeImport();
    benchmark::Shutdown();
    return 0;
}

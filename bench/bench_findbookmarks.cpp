// Finding as one types on a store of 100,000 bookmarks in a real hive file: one
// keystroke's search and list fill, beside one plain scan of every bookmark plus
// a bare list fill of as many rows as were found, measured in the same run.
#include "ratioreporter.h"

#include "organiser/bookmarklist.h"
#include "organiser/bookmarkspage.h"
#include "organiser/findfield.h"
#include "store/bookmarkstore.h"
#include "store/hive/sqlitehive.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <memory>

namespace {

constexpr int StoreSize = 100000;
constexpr int Folders = 100;
const char *const Searches[] = {"number 12", "7", "Über"};

QString title(int i)
{
    return i % 50 == 0 ? QStringLiteral("Überblick, Seite %1").arg(i)
                       : QStringLiteral("An example page, number %1").arg(i);
}

QString address(int i)
{
    return QStringLiteral("http://www.example-%1.com/articles/page.html").arg(i);
}

struct Fixture
{
    QTemporaryDir dir;
    SqliteHive hive;
    std::unique_ptr<BookmarkStore> store;
    std::unique_ptr<BookmarksPage> page;

    Fixture()
    {
        hive.open(dir.filePath("hive.sqlite3"));
        {
            BookmarkStore store(&hive);
            QStringList folders;
            for (int f = 0; f < Folders; ++f)
                folders << QString::number(store.addFolder(QStringLiteral("Folder %1").arg(f), 0));
            HiveTransaction all(&hive);
            for (int i = 0; i < StoreSize; ++i)
                store.addBookmark({address(i), title(i), QStringLiteral("Some notes"), {}, i % 6,
                                   folders.at(i % Folders)});
            all.commit();
        }
        store = std::make_unique<BookmarkStore>(&hive);
        page = std::make_unique<BookmarksPage>(*store);
        page->resize(900, 600);
    }
};

// Made on first use and ended before the application, which its page needs.
std::unique_ptr<Fixture> theFixture;

Fixture &fixture()
{
    if (!theFixture)
        theFixture = std::make_unique<Fixture>();
    return *theFixture;
}

// How many bookmarks a search finds, for the floor's list fill.
int foundCount(const char *search)
{
    BookmarksPage &page = *fixture().page;
    page.findField()->setText(QString::fromUtf8(search));
    const int count = page.bookmarkList()->rowCount();
    page.findField()->clear();
    return count;
}

void BM_Floor_ScanAllAndFillBareList(benchmark::State &state)
{
    BookmarkStore &store = *fixture().store;
    const int rows = foundCount(Searches[state.range(0)]);
    QTreeWidget list;
    list.setColumnCount(3);
    for (auto _ : state) {
        store.endBookmarkScan();
        qsizetype seen = 0;
        while (store.nextBookmark())
            seen += store.currentBookmark().title.size();
        benchmark::DoNotOptimize(seen);
        list.clear();
        QList<QTreeWidgetItem *> items;
        items.reserve(rows);
        for (int i = 0; i < rows; ++i)
            items.append(new QTreeWidgetItem({title(i), address(i), QString::number(i % 6)}));
        list.addTopLevelItems(items);
    }
    state.counters["rows"] = rows;
}

void BM_FindKeystroke(benchmark::State &state)
{
    BookmarksPage &page = *fixture().page;
    const QString search = QString::fromUtf8(Searches[state.range(0)]);
    for (auto _ : state) {
        page.findField()->setText(search);
        benchmark::DoNotOptimize(page.bookmarkList()->rowCount());
        state.PauseTiming();
        {
            const QSignalBlocker quiet(page.findField());
            page.findField()->clear();
        }
        state.ResumeTiming();
    }
    state.counters["rows"] = page.bookmarkList()->rowCount();
}

} // namespace

BENCHMARK(BM_Floor_ScanAllAndFillBareList)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindKeystroke)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter({
        {"BM_FindKeystroke/0", "BM_Floor_ScanAllAndFillBareList/0", 2.0},
        {"BM_FindKeystroke/1", "BM_Floor_ScanAllAndFillBareList/1", 2.0},
        {"BM_FindKeystroke/2", "BM_Floor_ScanAllAndFillBareList/2", 2.0},
    });
    benchmark::RunSpecifiedBenchmarks(&reporter);
    theFixture.reset();
    return 0;
}

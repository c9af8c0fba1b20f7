// The bookmarks page on a folder of 10,000 bookmarks in a real hive file, each
// figure beside the floor it is held to, measured in the same run.
#include "ratioreporter.h"

#include "controls/prompts.h"
#include "organiser/bookmarklist.h"
#include "organiser/bookmarkspage.h"
#include "organiser/foldertree.h"
#include "store/bookmarkcipher.h"
#include "store/bookmarkstore.h"
#include "store/hive/sqlitehive.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <memory>

namespace {

constexpr int FolderSize = 10000;
constexpr int Deleted = 1000;

QString title(int i)
{
    return QStringLiteral("An example page, number %1").arg(i);
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
    QTreeWidgetItem *big = nullptr;

    Fixture()
    {
        hive.open(dir.filePath("hive.sqlite3"));
        {
            BookmarkStore store(&hive);
            const QString folder = QString::number(store.addFolder("Big", 0));
            HiveTransaction all(&hive);
            for (int i = 0; i < FolderSize; ++i)
                store.addBookmark({address(i), title(i), {}, {}, i % 6, folder});
            all.commit();
        }
        store = std::make_unique<BookmarkStore>(&hive);
        page = std::make_unique<BookmarksPage>(*store);
        page->resize(900, 600);
        big = page->folderTree()->findItems("Big", Qt::MatchExactly | Qt::MatchRecursive).value(0);
        page->folderTree()->setCurrentItem(big);
    }
};

Fixture &fixture()
{
    static Fixture f;
    return f;
}

void BM_Floor_InsertRowsIntoBareList(benchmark::State &state)
{
    QTreeWidget list;
    list.setColumnCount(3);
    for (auto _ : state) {
        list.clear();
        QList<QTreeWidgetItem *> rows;
        rows.reserve(FolderSize);
        for (int i = 0; i < FolderSize; ++i)
            rows.append(new QTreeWidgetItem({title(i), address(i), QString::number(i % 6)}));
        list.addTopLevelItems(rows);
    }
}

void BM_OpenFolderOf10000(benchmark::State &state)
{
    BookmarksPage &page = *fixture().page;
    for (auto _ : state) {
        page.fillList();
        benchmark::DoNotOptimize(page.bookmarkList()->rowCount());
    }
}

void BM_Floor_1000SingleRowHiveDeletes(benchmark::State &state)
{
    Fixture &f = fixture();
    const QString key = BookmarkStore::KeyPath;
    for (auto _ : state) {
        state.PauseTiming();
        for (int i = 0; i < Deleted; ++i)
            f.hive.setValue(key, "floor" + QByteArray::number(i), bookmarkCipherEncipher("x\ny\n\n\n0"));
        state.ResumeTiming();
        for (int i = 0; i < Deleted; ++i)
            f.hive.deleteValue(key, "floor" + QByteArray::number(i));
    }
}

void BM_Delete1000SelectedRows(benchmark::State &state)
{
    Fixture &f = fixture();
    BookmarkList *list = f.page->bookmarkList();
    Prompts::instance().setAnswerAll(true, QMessageBox::Yes);
    for (auto _ : state) {
        state.PauseTiming();
        if (list->rowCount() < FolderSize) {
            const QString folder = QString::number(f.page->selectedFolderId());
            for (int i = list->rowCount(); i < FolderSize; ++i)
                f.page->store().addBookmark({address(i), title(i), {}, {}, i % 6, folder});
            f.page->fillList();
        }
        list->clearSelection();
        for (int i = 0; i < Deleted; ++i)
            list->setRowSelected(i * 7, true);
        list->setFocus();
        state.ResumeTiming();
        f.page->deleteSelection();
    }
    Prompts::instance().setAnswerAll(false);
}

} // namespace

BENCHMARK(BM_Floor_InsertRowsIntoBareList)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenFolderOf10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Floor_1000SingleRowHiveDeletes)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_Delete1000SelectedRows)->Unit(benchmark::kMillisecond)->Iterations(5);

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter({
        {"BM_OpenFolderOf10000", "BM_Floor_InsertRowsIntoBareList", 3.0},
        {"BM_Delete1000SelectedRows/iterations:5", "BM_Floor_1000SingleRowHiveDeletes/iterations:5", 2.0},
    });
    benchmark::RunSpecifiedBenchmarks(&reporter);
    return 0;
}

// The embedded browser: start-up to a painted main window with the start page
// loaded, against a bare web view showing the same HTML from memory; the same
// start-up off the record (all three removals on), against the disk profile,
// and with the start-up sweep of left traces (nothing to remove) before it,
// against the same start-up without; and serving the start page for a big
// store, against one plain scan of that store.
#include "app/mainwindow.h"
#include "browser/cwebcommercial.h"
#include "browser/harbrowscheme.h"
#include "browser/startpage.h"
#include "browser/startpagehtml.h"
#include "browser/browserprofile.h"
#include "eventwait.h"
#include "privacy/settings/privacyoptions.h"
#include "privacy/traces/tracefolders.h"
#include "privacy/traces/traceremoval.h"
#include "ratioreporter.h"
#include "webengineapp.h"
#include "store/bookmarkstore.h"
#include "store/hive/memoryhive.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QWindow>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <map>
#include <memory>

namespace {

constexpr int BigStore = 100000;

// Ratings drawn evenly from 0 to topRating.
std::unique_ptr<BookmarkStore> makeBigStore(MemoryHive &hive, int topRating)
{
    hive.createKey(BookmarkStore::KeyPath);
    hive.setValue(BookmarkStore::KeyPath, "INI", "YES");
    auto made = std::make_unique<BookmarkStore>(&hive);
    QRandomGenerator random(126);
    for (int i = 0; i < BigStore; ++i) {
        made->addBookmark({QStringLiteral("http://site%1.example.org/page").arg(i),
                           QStringLiteral("Bookmark number %1 <with> & text").arg(i),
                           QStringLiteral("comments"), {}, int(random.bounded(topRating + 1)),
                           QString::number(0)});
    }
    return made;
}

BookmarkStore &bigStore(int topRating = 5)
{
    static std::map<int, std::pair<MemoryHive, std::unique_ptr<BookmarkStore>>> stores;
    auto &[hive, store] = stores[topRating];
    if (!store)
        store = makeBigStore(hive, topRating);
    return *store;
}

void BM_Floor_PlainScanOfAllBookmarks(benchmark::State &state)
{
    BookmarkStore &store = bigStore();
    for (auto _ : state) {
        int seen = 0;
        store.endBookmarkScan();
        while (store.nextBookmark())
            seen += store.currentBookmark().rating;
        benchmark::DoNotOptimize(seen);
    }
}
BENCHMARK(BM_Floor_PlainScanOfAllBookmarks)->Unit(benchmark::kMillisecond);

// A page asked for afresh: every bookmark is read once, fives or not.
void BM_ServeStartPageFor100000(benchmark::State &state)
{
    BookmarkStore &store = bigStore(int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(StartPageHtml::page(&store));
}
BENCHMARK(BM_ServeStartPageFor100000)->ArgName("top")->Arg(5)->Arg(4)->Unit(benchmark::kMillisecond);

// Home brought forward after one bookmark was renamed: the tiles kept from the
// last showing look again only at the folder that changed. Here that folder is
// the whole collection, so it costs what a first page costs, and no more.
void BM_StartTilesAfterOneRename(benchmark::State &state)
{
    BookmarkStore &store = bigStore();
    StartTiles tiles(StartPageHtml::MaxTiles);
    tiles.best(store);
    store.selectBookmarkAt(BigStore / 2);
    const int id = store.currentBookmarkId();
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        store.setBookmarkTitle(id, QStringLiteral("Renamed %1").arg(++round));
        state.ResumeTiming();
        benchmark::DoNotOptimize(tiles.best(store));
    }
}
BENCHMARK(BM_StartTilesAfterOneRename)->Unit(benchmark::kMillisecond);

// The same with nothing changed: what each showing of Home costs.
void BM_StartTilesUnchanged(benchmark::State &state)
{
    BookmarkStore &store = bigStore();
    StartTiles tiles(StartPageHtml::MaxTiles);
    tiles.best(store);
    for (auto _ : state)
        benchmark::DoNotOptimize(tiles.best(store));
}
BENCHMARK(BM_StartTilesUnchanged)->Unit(benchmark::kMicrosecond);

// Shown, exposed, painted once, and the page's document loaded.
bool waitShownAndLoaded(QWidget *window, QWebEnginePage *page, const std::function<bool()> &loaded)
{
    bool finished = false;
    QObject::connect(page, &QWebEnginePage::loadFinished, window, [&finished] { finished = true; });
    window->show();
    if (!waitFor([window] { return window->windowHandle() && window->windowHandle()->isExposed(); }))
        return false;
    window->repaint();
    return waitFor([&] { return finished || loaded(); });
}

void BM_Floor_BareViewWithStartHtml(benchmark::State &state)
{
    MemoryHive hive;
    const QByteArray html = [&] {
        BookmarkStore store(&hive); // the first-run bookmarks, as the main window shows them
        return StartPageHtml::page(&store);
    }();
    for (auto _ : state) {
        QWebEngineView view;
        view.resize(700, 510);
        view.setHtml(QString::fromUtf8(html), HarbrowScheme::startAddress());
        if (!waitShownAndLoaded(&view, view.page(), [] { return false; }))
            state.SkipWithError("the bare view did not load");
        state.PauseTiming();
        view.close();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_Floor_BareViewWithStartHtml)->Unit(benchmark::kMillisecond)->Iterations(24)->UseRealTime();

PrivacyOptions allRemoved()
{
    PrivacyOptions options;
    options.deleteCookiesOnExit = options.deleteHistoryOnExit = options.deleteCacheOnExit = 1;
    return options;
}

// Arg 1: all three removals on (the profile off the record); arg 2: the same,
// with the start-up sweep first, over folders with nothing to remove.
void BM_StartUpToLoadedStartPage(benchmark::State &state)
{
    MemoryHive hive;
    const PrivacyOptions options = state.range(0) ? allRemoved() : PrivacyOptions();
    writePrivacyOptions(&hive, options);
    const TraceFolders folders(BrowserProfile::storagePath(), BrowserProfile::cachePath());
    for (auto _ : state) {
        if (state.range(0) == 2)
            removeTraces(options, folders);
        auto window = std::make_unique<MainWindow>(&hive);
        StartPage *start = window->startPage();
        if (!waitShownAndLoaded(window.get(), start->view()->page(),
                                [start] { return start->firstPageLoaded(); }))
            state.SkipWithError("the start page did not load");
        state.PauseTiming();
        window.reset();
        if (state.range(0)) // a disk run before must not leave the sweep work
            removeTraces(allRemoved(), folders);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StartUpToLoadedStartPage)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->Iterations(24)->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    prepareWebEngineBenchmark();
    // The profile's folders are the benchmark's own, never the user's.
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.filePath(QStringLiteral("data"))));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(home.filePath(QStringLiteral("cache"))));
    QApplication app(argc, argv);
    // The engine's one-time start belongs to neither side: pay it before measuring.
    {
        QWebEngineView warmUp;
        warmUp.setHtml(QStringLiteral("<p>warm</p>"));
        waitShownAndLoaded(&warmUp, warmUp.page(), [] { return false; });
    }
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter({
        {"BM_StartUpToLoadedStartPage/0/iterations:24/real_time",
         "BM_Floor_BareViewWithStartHtml/iterations:24/real_time", 1.5},
        {"BM_StartUpToLoadedStartPage/1/iterations:24/real_time",
         "BM_StartUpToLoadedStartPage/0/iterations:24/real_time", 1.1},
        {"BM_StartUpToLoadedStartPage/2/iterations:24/real_time",
         "BM_StartUpToLoadedStartPage/1/iterations:24/real_time", 1.05},
        {"BM_ServeStartPageFor100000/top:5", "BM_Floor_PlainScanOfAllBookmarks", 2.0},
        {"BM_ServeStartPageFor100000/top:4", "BM_Floor_PlainScanOfAllBookmarks", 2.0},
    });
    benchmark::RunSpecifiedBenchmarks(&reporter);
    return 0;
}

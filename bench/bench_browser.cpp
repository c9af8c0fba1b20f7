// The embedded browser: start-up to a painted main window with the start page
// loaded, against a bare web view showing the same HTML from memory; the same
// start-up off the record (all three removals on), against the disk profile,
// and with the start-up sweep of left traces (nothing to remove) before it,
// against the same start-up without; the same start-up with blocking of
// trackers off, against on with the compiled lists cached; a page of 400 images,
// 300 of them blocked by the lists, through a proxy that answers each a few
// milliseconds late, with blocking on against off; and serving the start page
// for a big store, against one plain scan of that store.
#include "app/mainwindow.h"
#include "blocking/blockingloader.h"
#include "blocking/enginecache.h"
#include "browser/blockinginterceptor.h"
#include "browser/cwebcommercial.h"
#include "browser/harbrowscheme.h"
#include "browser/startpage.h"
#include "browser/startpagehtml.h"
#include "browser/browserprofile.h"
#include "delayinghttpproxy.h"
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
#include <QWebEngineProfile>
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
// with the start-up sweep first, over folders with nothing to remove; arg 3:
// blocking of trackers off (arg 0 has it on, its compiled lists cached).
void BM_StartUpToLoadedStartPage(benchmark::State &state)
{
    MemoryHive hive;
    const PrivacyOptions options = state.range(0) == 1 || state.range(0) == 2 ? allRemoved() : PrivacyOptions();
    writePrivacyOptions(&hive, options);
    writeOptionValue(&hive, state.range(0) == 3 ? "0" : "1", PrivacyStore::BlockTrackers);
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
        if (state.range(0) == 1 || state.range(0) == 2) // a disk run before must not leave the sweep work
            removeTraces(allRemoved(), folders);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StartUpToLoadedStartPage)->Arg(0)->Arg(1)->Arg(2)->Arg(3)->Unit(benchmark::kMillisecond)->Iterations(24)->UseRealTime();

DelayingHttpProxy *proxy = nullptr; // made in main(), before the engine reads its flags
const QByteArray NewsPage = "http://news.bench.test/page.html";

// Addresses on made-up hosts that the lists block as images on the news page:
// paths of the lists' own rules.
QList<QByteArray> blockedImages(const FilterEngine &engine, int count)
{
    QList<QByteArray> found;
    for (const FilterListFile &list : FilterLists::find()) {
        QFile file(list.path);
        if (!file.open(QIODevice::ReadOnly))
            continue;
        while (!file.atEnd() && found.size() < count) {
            QByteArray rule = file.readLine().trimmed();
            if (!rule.startsWith('/') || rule.contains('*') || rule.contains('$') || rule.contains('#')
                || rule.contains('|'))
                continue;
            rule.replace('^', '/');
            const QByteArray url = "http://cdn" + QByteArray::number(found.size()) + ".adnet.test" + rule
                + (rule.endsWith('/') ? "x.gif" : "");
            const std::string address = url.toStdString();
            if (engine.decide({address, NewsPage.toStdString(), ResourceType::Image}).blocked)
                found.append(url);
        }
    }
    return found;
}

// A news page with 100 images of its own and 300 the lists block, one in four its own.
QByteArray newsPageHtml(const QList<QByteArray> &blocked)
{
    QByteArray html = "<!DOCTYPE html><html><head><title>News</title></head><body>";
    for (int i = 0; i < 400; ++i) {
        const QByteArray src = i % 4 == 0
            ? "http://static.news.bench.test/photos/" + QByteArray::number(i) + ".gif"
            : blocked.value(i - i / 4 - 1);
        html += "<img src=\"" + src + "\">";
    }
    return html + "</body></html>";
}

// Arg 0: blocking off, 1: on. Counts what the proxy served per load.
void BM_PageOf400Images(benchmark::State &state)
{
    MemoryHive hive;
    QWebEngineProfile profile; // off the record: nothing kept between loads
    auto *blocking = new BlockingInterceptor(&hive, &profile);
    blocking->setEnabled(state.range(0) != 0);
    const std::shared_ptr<const FilterEngine> engine = blocking->loader()->engine();
    if (!engine) {
        state.SkipWithError("no lists of trackers and ads");
        return;
    }
    const QList<QByteArray> blocked = blockedImages(*engine, 300);
    if (blocked.size() < 300) {
        state.SkipWithError("the lists block fewer than 300 of the made-up addresses");
        return;
    }
    proxy->setPage(NewsPage, newsPageHtml(blocked));
    QWebEnginePage page(&profile);
    const int before = proxy->served();
    for (auto _ : state) {
        bool finished = false;
        const QMetaObject::Connection done = QObject::connect(
            &page, &QWebEnginePage::loadFinished, [&finished] { finished = true; });
        page.load(QUrl(QString::fromLatin1(NewsPage)));
        if (!waitFor([&finished] { return finished; }))
            state.SkipWithError("the page did not load");
        QObject::disconnect(done);
    }
    state.counters["fetched_per_load"] = double(proxy->served() - before) / double(state.iterations());
}
BENCHMARK(BM_PageOf400Images)->ArgName("blocking")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(12)->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    prepareWebEngineBenchmark();
    // The profile's folders are the benchmark's own, never the user's.
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.filePath(QStringLiteral("data"))));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(home.filePath(QStringLiteral("cache"))));
    QApplication app(argc, argv);
    // Made-up hosts reach the local proxy: nothing goes to the internet. Read
    // when the engine starts, so in time before the warm-up.
    DelayingHttpProxy delaying(3);
    proxy = &delaying;
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", qgetenv("QTWEBENGINE_CHROMIUM_FLAGS")
                                              + " --proxy-server=http://127.0.0.1:"
                                              + QByteArray::number(delaying.port()));
    // Start-up with blocking on meets the lists compiled and cached, as after the first run.
    bool cached = false;
    BlockingLoader::make(FilterLists::find(), EngineCache::filePath(), &cached);
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
        {"BM_PageOf400Images/blocking:1/iterations:12/real_time",
         "BM_PageOf400Images/blocking:0/iterations:12/real_time", 1.0},
        {"BM_ServeStartPageFor100000/top:5", "BM_Floor_PlainScanOfAllBookmarks", 2.0},
        {"BM_ServeStartPageFor100000/top:4", "BM_Floor_PlainScanOfAllBookmarks", 2.0},
    });
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const std::string on = "BM_StartUpToLoadedStartPage/0/iterations:24/real_time";
    const std::string off = "BM_StartUpToLoadedStartPage/3/iterations:24/real_time";
    if (reporter.has(on) && reporter.has(off)) {
        const double more = reporter.time(on) - reporter.time(off); // both in milliseconds
        std::printf("start-up with blocking on (lists cached) against off: %+.1f ms (limit +20 ms) %s\n",
                    more, more <= 20 ? "ok" : "OVER");
    }
    return 0;
}

// Network blocking: a decision per request over 100,000+ addresses made from the
// lists' own hosts and paths mixed with plain ones (median and 99th percentile,
// each decision timed alone), parsing both lists, and the engine's memory
// against the lists' text.
#include "blocking/blockingloader.h"
#include "blocking/enginecache.h"
#include "blocking/filterengine.h"
#include "blocking/filterenginebuilder.h"
#include "blocking/sitedomain.h"

#include <benchmark/benchmark.h>

#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int Requests = 120000;
const char ListFolder[] = "/usr/share/chromium/extensions/ublock-origin/assets/thirdparties/easylist/";

struct Lists
{
    QByteArray easyList;
    QByteArray easyPrivacy;

    Lists()
    {
        easyList = read("easylist.txt");
        easyPrivacy = read("easyprivacy.txt");
    }

    static QByteArray read(const char *name)
    {
        QFile file(QString::fromLatin1(ListFolder) + QLatin1String(name));
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "cannot read %s%s\n", ListFolder, name);
            std::exit(1);
        }
        return file.readAll();
    }

    FilterEngine build() const
    {
        FilterEngineBuilder builder;
        builder.addList(QStringLiteral("EasyList"), easyList);
        builder.addList(QStringLiteral("EasyPrivacy"), easyPrivacy);
        return builder.build();
    }
};

const Lists &lists()
{
    static const Lists all;
    return all;
}

// Hosts from ||host^ rules and path pieces from plain rules, to build addresses from.
void harvest(const QByteArray &text, std::vector<std::string> &hosts, std::vector<std::string> &paths)
{
    for (const QByteArray &line : text.split('\n')) {
        const QByteArray rule = line.trimmed();
        if (rule.isEmpty() || rule.startsWith('!') || rule.contains('#') || rule.startsWith("@@"))
            continue;
        const QByteArray pattern = rule.left(rule.indexOf('$') < 0 ? rule.size() : rule.indexOf('$'));
        if (pattern.contains(QByteArrayLiteral("*")) || (pattern.startsWith('/') && pattern.endsWith('/')))
            continue;
        if (pattern.startsWith("||")) {
            const qsizetype end = pattern.indexOf('^');
            const QByteArray host = pattern.mid(2, end < 0 ? -1 : end - 2);
            if (!host.contains('/'))
                hosts.push_back(host.toStdString());
        } else if (pattern.startsWith('/') || pattern.startsWith('-') || pattern.startsWith('.')) {
            QByteArray path = pattern;
            path.replace('^', '/');
            paths.push_back(path.toStdString());
        }
    }
}

struct Sample
{
    std::vector<std::string> urls;
    std::vector<std::string> pages;
    std::vector<QByteArray> pageSites; // worked out once per page, as the browser does
    std::vector<ResourceType> types;

    BlockRequest request(size_t i) const
    {
        const QByteArray &site = pageSites[i % pages.size()];
        return {urls[i], pages[i % pages.size()], types[i],
                std::string_view(site.constData(), size_t(site.size()))};
    }
};

const Sample &sample()
{
    static const Sample made = [] {
        std::vector<std::string> hosts, paths;
        harvest(lists().easyList, hosts, paths);
        harvest(lists().easyPrivacy, hosts, paths);
        std::mt19937 random(38);
        const auto pick = [&random](const std::vector<std::string> &from) -> const std::string & {
            return from[random() % from.size()];
        };
        const ResourceType types[] = {ResourceType::Script, ResourceType::Image,
                                      ResourceType::Stylesheet, ResourceType::XmlHttpRequest,
                                      ResourceType::Subdocument, ResourceType::Font,
                                      ResourceType::Ping, ResourceType::Media};
        Sample s;
        for (int i = 0; i < 400; ++i) {
            s.pages.push_back("https://www.news-site-" + std::to_string(i) + ".com/articles/"
                              + std::to_string(i * 7919) + "/story.html");
            s.pageSites.push_back(SiteDomain::registrableDomain(
                "www.news-site-" + std::to_string(i) + ".com"));
        }
        for (int i = 0; i < Requests; ++i) {
            const std::string n = std::to_string(random() % 100000);
            switch (i % 4) {
            case 0: // a listed tracker or ad host
                s.urls.push_back("https://" + pick(hosts) + "/collect?id=" + n + "&v=2");
                break;
            case 1: // a listed path on some host
                s.urls.push_back("https://cdn" + std::to_string(i % 50) + ".example.net" + pick(paths)
                                 + "x.js?cb=" + n);
                break;
            default: // the page's own files
                s.urls.push_back("https://static.news-site-" + std::to_string(i % 400)
                                 + ".com/assets/v" + n + "/images/photo-" + n + ".jpg?w=640");
            }
            s.types.push_back(types[random() % std::size(types)]);
        }
        return s;
    }();
    return made;
}

void decisions(benchmark::State &state)
{
    const FilterEngine engine = lists().build();
    const Sample &s = sample();
    std::vector<double> nanos(s.urls.size());
    size_t blocked = 0;
    for (auto _ : state) {
        blocked = 0;
        for (size_t i = 0; i < s.urls.size(); ++i) {
            const BlockRequest request = s.request(i);
            const auto start = std::chrono::steady_clock::now();
            const BlockVerdict verdict = engine.decide(request);
            const auto end = std::chrono::steady_clock::now();
            benchmark::DoNotOptimize(verdict);
            blocked += verdict.blocked;
            nanos[i] = std::chrono::duration<double, std::nano>(end - start).count();
        }
    }
    std::sort(nanos.begin(), nanos.end());
    const double median = nanos[nanos.size() / 2];
    const double p99 = nanos[nanos.size() * 99 / 100];
    state.counters["requests"] = double(s.urls.size());
    state.counters["blocked"] = double(blocked);
    state.counters["median_ns"] = median;
    state.counters["p99_ns"] = p99;
    std::printf("decision: median %.0f ns (limit 1000) %s, 99th percentile %.0f ns (limit 10000) %s,"
                " %zu of %zu blocked\n",
                median, median <= 1000 ? "ok" : "OVER", p99, p99 <= 10000 ? "ok" : "OVER", blocked,
                s.urls.size());
}

void parseBothLists(benchmark::State &state)
{
    const Lists &text = lists();
    for (auto _ : state) {
        FilterEngine engine = text.build();
        benchmark::DoNotOptimize(engine);
    }
}

void engineMemory(benchmark::State &state)
{
    const double textBytes = double(lists().easyList.size() + lists().easyPrivacy.size());
    size_t used = 0;
    FilterCounts counts;
    for (auto _ : state) {
        const FilterEngine engine = lists().build();
        used = engine.memoryUsage();
        counts = engine.counts();
    }
    state.counters["engine_bytes"] = double(used);
    state.counters["list_bytes"] = textBytes;
    state.counters["ratio"] = double(used) / textBytes;
    std::printf("memory: engine %zu bytes for %.0f bytes of lists, %.2fx (limit 2x) %s;"
                " %u rules, %u cosmetic and %u unsupported skipped\n",
                used, textBytes, double(used) / textBytes, used <= 2 * textBytes ? "ok" : "OVER",
                counts.rules, counts.cosmetic, counts.unsupported);
}

// A start with unchanged lists: the compiled engine read back from its file.
void loadCached(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = EngineCache::filePath(dir.path());
    const QList<FilterListFile> files = FilterLists::find();
    EngineCache::save(path, lists().build(), files);
    for (auto _ : state) {
        std::optional<FilterEngine> engine = EngineCache::load(path, files);
        if (!engine)
            state.SkipWithError("the cache was not read back");
        benchmark::DoNotOptimize(engine);
    }
}

// What a start with blocking on adds to the main thread before the window
// shows: finding the lists and starting the thread that reads the cache.
void startOnMainThread(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = EngineCache::filePath(dir.path());
    EngineCache::save(path, lists().build(), FilterLists::find());
    for (auto _ : state) {
        BlockingLoader loader(FilterLists::find(), path);
        loader.start();
        state.PauseTiming();
        benchmark::DoNotOptimize(loader.engine());
        state.ResumeTiming();
    }
}

} // namespace

BENCHMARK(startOnMainThread)->Unit(benchmark::kMillisecond);
BENCHMARK(loadCached)->Unit(benchmark::kMillisecond);
BENCHMARK(decisions)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(parseBothLists)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(engineMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();

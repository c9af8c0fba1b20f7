// Sorting the bookmark list against the floor of filling it.
//
// Each sort benchmark fills 10,000 rows the way the bookmarks page does (one row
// appended at a time, three cells and the row number), then sorts them. The
// fill is timed in the same iterations, so "x_fill" is sort time over fill time
// measured side by side; it should stay at or below 2. "cmp_per_nlogn" is the
// number of row comparisons over n log2 n.

#include "organiser/sortablelist.h"
#include "organiser/starratingdelegate.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QRandomGenerator>

#include <chrono>
#include <cmath>

namespace {

constexpr int Rows = 10000;

struct Row
{
    QString title;
    QString address;
    QString rating;
};

const QList<Row> &rows()
{
    static const QList<Row> data = [] {
        static const char *const words[] = {"news",  "Weather", "mail", "Recipes",
                                            "forum", "Maps",    "shop", "Travel",
                                            "wiki",  "Music",   "bank", "Photos"};
        QRandomGenerator generator(2026);
        QList<Row> made;
        made.reserve(Rows);
        for (int i = 0; i < Rows; ++i) {
            const QString word = QLatin1String(words[generator.bounded(12)]);
            const int site = int(generator.bounded(100000));
            made.append({QStringLiteral("%1 site %2").arg(word).arg(site),
                         QStringLiteral("http://www.%1%2.example/").arg(word.toLower()).arg(site),
                         QString::number(generator.bounded(6))});
        }
        return made;
    }();
    return data;
}

void fill(SortableList &list)
{
    const QList<Row> &data = rows();
    for (int i = 0; i < data.size(); ++i) {
        auto *item = new QTreeWidgetItem(&list);
        item->setText(0, data[i].title);
        item->setText(1, data[i].address);
        item->setText(2, data[i].rating);
        item->setData(0, Qt::UserRole, i);
    }
}

struct PageList
{
    PageList()
    {
        list.setHeaderLabels({"Title", "Web address", "Star rating"});
        list.setItemDelegateForColumn(2, &stars);
        list.resize(600, 400);
        list.show();
        QCoreApplication::processEvents();
    }
    StarRatingDelegate stars;
    SortableList list;
};

double seconds(std::chrono::steady_clock::duration duration)
{
    return std::chrono::duration<double>(duration).count();
}

void BM_FillUnsorted(benchmark::State &state)
{
    PageList page;
    for (auto _ : state) {
        state.PauseTiming();
        page.list.clear();
        state.ResumeTiming();
        fill(page.list);
    }
    state.counters["rows"] = Rows;
}

void sortBenchmark(benchmark::State &state, int column, bool ascending)
{
    PageList page;
    double fillTime = 0;
    double sortTime = 0;
    qint64 comparisons = 0;
    for (auto _ : state) {
        state.PauseTiming();
        page.list.clear();
        const auto fillStart = std::chrono::steady_clock::now();
        fill(page.list);
        fillTime += seconds(std::chrono::steady_clock::now() - fillStart);
        state.ResumeTiming();

        const auto sortStart = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(page.list.sortRows(column, ascending));
        sortTime += seconds(std::chrono::steady_clock::now() - sortStart);
        comparisons = page.list.lastComparisonCount();
    }
    state.counters["x_fill"] = sortTime / fillTime;
    state.counters["comparisons"] = double(comparisons);
    state.counters["cmp_per_nlogn"] = double(comparisons) / (Rows * std::log2(double(Rows)));
}

void BM_SortByTitle(benchmark::State &state)
{
    sortBenchmark(state, 0, true);
}

void BM_SortByRating(benchmark::State &state)
{
    sortBenchmark(state, 2, false);
}

BENCHMARK(BM_FillUnsorted)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortByTitle)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortByRating)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

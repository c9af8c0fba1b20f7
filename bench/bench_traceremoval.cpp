// Trace removal at exit (the walk and the deletion, not the wait for the engine)
// over a profile of 20,000 files in 2,000 folders, against `rm -rf` of the same
// contents in the same run.
#include "privacy/settings/privacyoptions.h"
#include "privacy/traces/tracefolders.h"
#include "privacy/traces/traceremoval.h"
#include "ratioreporter.h"

#include <QByteArray>
#include <QDir>
#include <QTemporaryDir>

#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int TopFolders = 40;
constexpr int SubFoldersEach = 49; // 40 + 40 * 49 = 2,000 folders
constexpr int FilesPerFolder = 10; // 20,000 files

void writeFiles(const QByteArray &folder)
{
    static const QByteArray content(200, 'x');
    for (int f = 0; f < FilesPerFolder; ++f) {
        const QByteArray path = folder + "/f_" + QByteArray::number(f) + ".dat";
        const int file = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (file >= 0) {
            [[maybe_unused]] auto written = ::write(file, content.constData(), content.size());
            ::close(file);
        }
    }
}

// A cache folder shaped like the engine's: many folders, small files.
void makeProfile(const QByteArray &root)
{
    for (int t = 0; t < TopFolders; ++t) {
        const QByteArray top = root + "/entry_" + QByteArray::number(t);
        ::mkdir(top.constData(), 0700);
        writeFiles(top);
        for (int s = 0; s < SubFoldersEach; ++s) {
            const QByteArray sub = top + "/part_" + QByteArray::number(s);
            ::mkdir(sub.constData(), 0700);
            writeFiles(sub);
        }
    }
}

void BM_Floor_RmRf(benchmark::State &state)
{
    QTemporaryDir dir;
    const QByteArray root = QFile::encodeName(dir.path());
    const std::string command = "rm -rf '" + root.toStdString() + "'/*";
    for (auto _ : state) {
        state.PauseTiming();
        makeProfile(root);
        state.ResumeTiming();
        if (std::system(command.c_str()) != 0)
            state.SkipWithError("rm -rf failed");
    }
}

void BM_RemoveTraces(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString cache = dir.filePath(QStringLiteral("cache"));
    const QString data = dir.filePath(QStringLiteral("data"));
    QDir().mkpath(cache);
    QDir().mkpath(data);
    PrivacyOptions options;
    options.deleteCacheOnExit = 1;
    for (auto _ : state) {
        state.PauseTiming();
        makeProfile(QFile::encodeName(cache));
        state.ResumeTiming();
        removeTraces(options, TraceFolders(data, cache));
        state.PauseTiming();
        if (!QDir(cache).isEmpty())
            state.SkipWithError("traces left behind");
        state.ResumeTiming();
    }
}

} // namespace

BENCHMARK(BM_Floor_RmRf)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_RemoveTraces)->Unit(benchmark::kMillisecond)->Iterations(5);

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter({{"BM_RemoveTraces/iterations:5", "BM_Floor_RmRf/iterations:5", 1.5}});
    benchmark::RunSpecifiedBenchmarks(&reporter);
    return 0;
}

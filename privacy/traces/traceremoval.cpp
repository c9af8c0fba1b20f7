#include "privacy/traces/traceremoval.h"

#include "privacy/settings/privacyoptions.h"
#include "privacy/traces/openfiles.h"
#include "privacy/traces/tracefolders.h"

namespace {

// The engine closes its databases on threads of its own shortly after its
// profile is deleted; a file deleted while open could be written again. Work
// it queued at start-up may open a file only after a lull, hence the quiet time.
constexpr int EngineCloseTimeoutMs = 3000;
constexpr int EngineQuietMs = 150;

bool anyOn(const PrivacyOptions &options)
{
    return options.deleteCacheOnExit || options.deleteHistoryOnExit
           || options.deleteCookiesOnExit;
}

// Hands every place where a category keeps its traces to the walk.
void collectShellFolder(TraceWalk &walk, const TraceFolders &folders, TraceCategory category)
{
    for (const TraceFolder &folder : folders.folders(category))
        walk.collectFolderContents(folder);
}

} // namespace

void removeTracesOnExit(const PrivacyOptions &options, const TraceFolders &folders)
{
    if (!anyOn(options))
        return;
    OpenFiles::waitUntilClosed(folders.roots(), TraceFolders::processLifetimeEntries(),
                               EngineCloseTimeoutMs, EngineQuietMs);
    removeTraces(options, folders);
}

void removeTraces(const PrivacyOptions &options, const TraceFolders &folders)
{
    if (!anyOn(options))
        return;
    TraceWalk walk;
    if (options.deleteCacheOnExit)
        collectShellFolder(walk, folders, TraceCategory::Cache);
    if (options.deleteHistoryOnExit)
        collectShellFolder(walk, folders, TraceCategory::History);
    if (options.deleteCookiesOnExit)
        collectShellFolder(walk, folders, TraceCategory::Cookies);
    walk.removeCollected();
}

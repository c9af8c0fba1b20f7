#pragma once

struct PrivacyOptions;
class TraceFolders;

// The run at exit, once the browser profile is gone: waits (briefly) until the
// engine has closed its files, then collects the categories switched on, in
// the order cache, history, cookies, and deletes what was collected. Silent.
void removeTracesOnExit(const PrivacyOptions &options, const TraceFolders &folders);

// The same collection and deletion without any wait, for when the engine's
// threads have already stopped.
void removeTraces(const PrivacyOptions &options, const TraceFolders &folders);

#pragma once

struct PrivacyOptions;
class QWebEngineProfile;

// The engine's own clearing of the categories that share its storage folder:
// the visited-links record (history), then the cookie store (cookies). It
// stands in for the URL cache step and must run while the profile still
// lives, before the files are removed. The HTTP cache has a folder of its own,
// removed whole; clearing it here would only make the engine open a shader
// cache that outlives the removal.
void deleteUrlCacheEntries(QWebEngineProfile *profile, const PrivacyOptions &options);

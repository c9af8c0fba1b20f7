#pragma once

#include "blocking/filterlists.h"

#include <QByteArray>

#include <optional>

class FilterEngine;

// The compiled engine on disk, so that a start with unchanged lists need not
// parse them again. The file names the lists' sizes and times it was made
// from and carries a checksum; anything that does not fit is not used.
namespace EngineCache {

// $XDG_CACHE_HOME/k-vane/Harbrow-blocking: beside the web engine's cache folder,
// which the trace removal empties, not inside it.
QString folder();
QString filePath(const QString &folder = EngineCache::folder());

QByteArray serialize(const FilterEngine &engine, const QList<FilterListFile> &lists);
// Nothing when the bytes are damaged or were made from other lists.
std::optional<FilterEngine> deserialize(const QByteArray &bytes, const QList<FilterListFile> &lists);

bool save(const QString &path, const FilterEngine &engine, const QList<FilterListFile> &lists);
std::optional<FilterEngine> load(const QString &path, const QList<FilterListFile> &lists);

} // namespace EngineCache

#pragma once

#include <QtGlobal>

namespace FileLimits {

// Import files are read whole: anything larger is refused rather than
// exhausting memory.
inline constexpr qint64 MaxReadSize = qint64(256) * 1024 * 1024;

} // namespace FileLimits

#pragma once

#include <QIcon>

// Icons of the shell. The bundled resources live in a static library, so they
// are registered here, by code every icon user links.
namespace AppIcons {

// The application icon (also the window icon).
QIcon application();
// The desktop theme's icon, or the bundled drawing at fallbackPath.
QIcon themed(const QString &themeName, const QString &fallbackPath);

} // namespace AppIcons

#include "app/appicons.h"

// Outside any namespace, as the resource initialiser's declaration requires.
static bool registerBundledResources()
{
    Q_INIT_RESOURCE(harbrow);
    return true;
}

namespace {
// Before main(), so that even the application object finds its icon.
const bool resourcesRegistered = registerBundledResources();
} // namespace

namespace AppIcons {

QIcon application()
{
    Q_UNUSED(resourcesRegistered)
    return QIcon(QStringLiteral(":/icons/harbrow.svg"));
}

QIcon themed(const QString &themeName, const QString &fallbackPath)
{
    Q_UNUSED(resourcesRegistered)
    return QIcon::fromTheme(themeName, QIcon(fallbackPath));
}

} // namespace AppIcons

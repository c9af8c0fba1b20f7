#include "browser/browserresources.h"

#include <QFile>

// Outside any namespace, as the resource initialiser's declaration requires.
static bool registerBrowserResources()
{
    Q_INIT_RESOURCE(browser);
    return true;
}

namespace {

const bool resourcesRegistered = registerBrowserResources();

constexpr const char *ImageNames[] = {"back", "forward", "stop",   "refresh",
                                      "go",   "addfavourite", "home"};

QByteArray readResource(const QString &path)
{
    Q_UNUSED(resourcesRegistered)
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

namespace BrowserResources {

QIcon toolImage(int index)
{
    Q_UNUSED(resourcesRegistered)
    if (index < 0 || index >= int(std::size(ImageNames)))
        return {};
    const QString base = QStringLiteral(":/icons/browser/%1").arg(QLatin1String(ImageNames[index]));
    QIcon icon;
    icon.addFile(base + QStringLiteral(".svg"), QSize(), QIcon::Normal);
    icon.addFile(base + QStringLiteral("-disabled.svg"), QSize(), QIcon::Disabled);
    return icon;
}

QByteArray helpPage()
{
    return readResource(QStringLiteral(":/browser/help.html"));
}

QByteArray startStyle()
{
    return readResource(QStringLiteral(":/browser/start.css"));
}

} // namespace BrowserResources

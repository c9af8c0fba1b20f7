#include "organiser/organiserpictures.h"

#include <QPainter>
#include <QSvgRenderer>

#include <algorithm>
#include <mutex>

// Resources compiled into a static library are only linked in when referenced.
static void initOrganiserResources()
{
    Q_INIT_RESOURCE(organiser);
}

QString OrganiserPictures::path(const char *name)
{
    static std::once_flag once;
    std::call_once(once, initOrganiserResources);
    return QStringLiteral(":/icons/organiser/") + QLatin1String(name);
}

QIcon OrganiserPictures::folderClosed()
{
    return QIcon(path("folder-closed.svg"));
}

QIcon OrganiserPictures::folderOpen()
{
    return QIcon(path("folder-open.svg"));
}

QIcon OrganiserPictures::bookmark()
{
    return QIcon(path("bookmark.svg"));
}

QString OrganiserPictures::starStripPath()
{
    return path("starstrip.svg");
}

QIcon OrganiserPictures::rating(int stars)
{
    static const char *const names[] = {"rating0.svg", "rating1.svg", "rating2.svg",
                                        "rating3.svg", "rating4.svg", "rating5.svg"};
    return QIcon(path(names[std::clamp(stars, 0, 5)]));
}

QPixmap OrganiserPictures::render(const QString &path, QSize logicalSize, qreal devicePixelRatio)
{
    QPixmap pixmap(logicalSize * devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QSvgRenderer renderer(path);
    QPainter painter(&pixmap);
    renderer.render(&painter);
    painter.end();
    pixmap.setDevicePixelRatio(devicePixelRatio);
    return pixmap;
}

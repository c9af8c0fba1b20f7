#pragma once

#include <QIcon>
#include <QPixmap>

// The organiser's own pictures, drawn from the bundled SVG files.
class OrganiserPictures final
{
public:
    static QIcon folderClosed();
    static QIcon folderOpen();
    static QIcon bookmark();
    static QString folderClosedPath() { return path("folder-closed.svg"); }
    static QString folderOpenPath() { return path("folder-open.svg"); }
    // Five 7 x 7 stars side by side (35 x 7), for the rating column.
    static QString starStripPath();
    // The picture for a rating 0..5; 0 is "not set". Out-of-range values are clamped.
    static QIcon rating(int stars);
    static QSize ratingSize() { return {70, 14}; }

    // Renders an SVG at a logical size for a device pixel ratio, so it stays sharp.
    static QPixmap render(const QString &path, QSize logicalSize, qreal devicePixelRatio);

private:
    static QString path(const char *name);
};

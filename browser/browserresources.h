#pragma once

#include <QByteArray>
#include <QIcon>

// The browser's bundled files: the toolbar images and the pages Harbrow serves.
namespace BrowserResources {

// The toolbar image of the image index (0 Back, 1 Forward, 2 Stop, 3 Refresh,
// 4 Go, 5 Add Favourites, 6 Home), with its own picture for the disabled state.
QIcon toolImage(int index);
QByteArray helpPage();
QByteArray startStyle();

} // namespace BrowserResources

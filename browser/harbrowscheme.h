#pragma once

#include <QByteArray>
#include <QUrl>

// Harbrow's own URL scheme: the start page and the help page are served from
// inside the program, so they work offline and tell no server anything.
class HarbrowScheme final
{
public:
    static constexpr char Name[] = "harbrow";
    static constexpr char Host[] = "home";
    static constexpr char StartPath[] = "/cgi-bin/total/in.cgi";
    static constexpr char StartQuery[] = "id=126";
    static constexpr char HelpPath[] = "/help.html";
    static constexpr char FavouritesPath[] = "/favorites";

    // Must run in main() before the application object exists.
    static void registerScheme();

    static QUrl startAddress();
    static QUrl helpAddress();
    static bool isStartAddress(const QUrl &url);
    static bool isHelpAddress(const QUrl &url);
    // Not a page: the start page's way to the Favorites tab.
    static QUrl favouritesAddress();
    static bool isFavouritesAddress(const QUrl &url);

    HarbrowScheme() = delete;
};

#pragma once

#include "browser/starttiles.h"
#include "store/bookmarkrecord.h"

#include <QByteArray>
#include <QList>

class BookmarkStore;

// The start page's document: Harbrow's name and promise, the best-rated
// bookmarks as tiles, and the way to the help page. Every text from the store
// is escaped before it goes into the HTML.
class StartPageHtml final
{
public:
    static constexpr int MaxTiles = 24;
    static constexpr int LowestTileRating = StartTiles::LowestRating;

    // The bookmarks rated 4 or 5, fives before fours, each by title; at most
    // limit of them. One pass over the store.
    static QList<CurrentBookmark> bestRated(BookmarkStore &store, int limit = MaxTiles);
    // The page for these bookmarks; store may be null (no tiles).
    static QByteArray page(BookmarkStore *store);
    static QByteArray page(const QList<CurrentBookmark> &tiles);
    // The page for these tiles, with the way to all of them when there are more.
    static QByteArray page(const StartTiles::Best &best);

    StartPageHtml() = delete;
};

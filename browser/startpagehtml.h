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
    // limit of them. One pass over the store; whole, when given, is set false
    // when the store could not be read to the end.
    static QList<CurrentBookmark> bestRated(BookmarkStore &store, int limit = MaxTiles,
                                            bool *whole = nullptr);
    // The page for these bookmarks; store may be null (no tiles).
    static QByteArray page(BookmarkStore *store);
    // unread: the bookmarks could not be read, so the page says so.
    static QByteArray page(const QList<CurrentBookmark> &tiles, bool unread = false);
    // The page for these tiles, with the way to all of them when there are more.
    static QByteArray page(const StartTiles::Best &best);

    StartPageHtml() = delete;
};

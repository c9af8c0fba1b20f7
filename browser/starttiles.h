#pragma once

#include "store/bookmarkrecord.h"

#include <QHash>
#include <QList>

class BookmarkStore;

// The start page's tiles: the bookmarks rated 4 or 5, best first and then by
// title. Kept between pages, so that a change in the collection costs a fresh
// look at the folders it touched, not at the whole collection.
class StartTiles final
{
public:
    static constexpr int LowestRating = 4;

    struct Best
    {
        QList<CurrentBookmark> tiles; // at most the limit asked for
        int total = 0;                // every bookmark rated 4 or 5
        bool unread = false;          // the store could not be read: no tiles are known
        bool operator==(const Best &other) const;
    };

    explicit StartTiles(int limit);

    // The tiles as the store holds them now.
    Best best(BookmarkStore &store);

    // Whether a comes before b on the page.
    static bool before(const CurrentBookmark &a, const CurrentBookmark &b);

private:
    bool readAll(BookmarkStore &store);
    bool readFolder(BookmarkStore &store, int folderId);
    void keepBest(QList<CurrentBookmark> &tiles) const;

    int m_limit;
    const BookmarkStore *m_store = nullptr;
    quint64 m_seen = 0;
    // Each folder's best, at most the limit of them, and how many it holds in all.
    QHash<int, QList<CurrentBookmark>> m_best;
    QHash<int, int> m_counts;
};

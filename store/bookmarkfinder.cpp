#include "store/bookmarkfinder.h"

#include "store/bookmarkstore.h"
#include "store/foldedmatcher.h"

QList<int> BookmarkFinder::find(const BookmarkStore &store, const QString &search)
{
    QList<int> found;
    const FoldedMatcher matcher(search);
    if (matcher.isEmpty())
        return found;
    int position = 0;
    store.visitBookmarks([&](const BookmarkStore::StoredBookmark &bookmark) {
        if (matcher.matches(bookmark.title, bookmark.address, bookmark.comments))
            found.append(position);
        ++position;
    });
    return found;
}

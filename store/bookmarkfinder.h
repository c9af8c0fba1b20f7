#pragma once

#include <QList>
#include <QString>

class BookmarkStore;

// Finds bookmarks across all folders by what the user types (see FoldedMatcher).
namespace BookmarkFinder {

// The list positions of the bookmarks that answer the search, in list order,
// for BookmarkStore::selectBookmarkAt. Nothing for a search without words.
QList<int> find(const BookmarkStore &store, const QString &search);

} // namespace BookmarkFinder

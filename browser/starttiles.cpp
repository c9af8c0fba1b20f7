#include "browser/starttiles.h"

#include "store/bookmarkstore.h"

#include <QCollator>

#include <algorithm>

namespace {

QString shownTitle(const CurrentBookmark &bookmark)
{
    return bookmark.title.trimmed().isEmpty() ? bookmark.address : bookmark.title;
}

const QCollator &titleOrder()
{
    static const QCollator collator = [] {
        QCollator c;
        c.setCaseSensitivity(Qt::CaseInsensitive);
        c.setNumericMode(true);
        return c;
    }();
    return collator;
}

bool isTile(int rating)
{
    return rating >= StartTiles::LowestRating;
}

} // namespace

bool StartTiles::Best::operator==(const Best &other) const
{
    if (total != other.total || unread != other.unread || tiles.size() != other.tiles.size())
        return false;
    for (qsizetype i = 0; i < tiles.size(); ++i) {
        const CurrentBookmark &a = tiles.at(i);
        const CurrentBookmark &b = other.tiles.at(i);
        if (a.title != b.title || a.address != b.address || a.rating != b.rating)
            return false;
    }
    return true;
}

StartTiles::StartTiles(int limit) : m_limit(limit) {}

bool StartTiles::before(const CurrentBookmark &a, const CurrentBookmark &b)
{
    if (a.rating != b.rating)
        return a.rating > b.rating;
    return titleOrder().compare(shownTitle(a), shownTitle(b)) < 0;
}

// Store order stays among equals, so the page does not shuffle from one showing to the next.
void StartTiles::keepBest(QList<CurrentBookmark> &tiles) const
{
    std::stable_sort(tiles.begin(), tiles.end(), before);
    if (tiles.size() > m_limit)
        tiles.resize(m_limit);
}

// One pass; no folder keeps more than the page can show. False when the
// store could not be read to the end: nothing is kept then.
bool StartTiles::readAll(BookmarkStore &store)
{
    m_best.clear();
    m_counts.clear();
    const bool whole = store.streamBookmarks([this](const BookmarkStore::StoredBookmark &stored) {
        if (!isTile(stored.rating))
            return true;
        ++m_counts[stored.folderId];
        CurrentBookmark tile;
        tile.address = QString::fromUtf8(stored.address);
        tile.title = QString::fromUtf8(stored.title);
        tile.rating = stored.rating;
        tile.folderId = stored.folderId;
        QList<CurrentBookmark> &tiles = m_best[stored.folderId];
        tiles.append(tile);
        if (tiles.size() >= 2 * m_limit)
            keepBest(tiles);
        return true;
    });
    if (!whole) {
        m_best.clear();
        m_counts.clear();
        return false;
    }
    for (QList<CurrentBookmark> &tiles : m_best)
        keepBest(tiles);
    return true;
}

// False, reading nothing, when the folder holds most of the collection: one
// pass over all of it converts less than a scan of the folder.
bool StartTiles::readFolder(BookmarkStore &store, int folderId)
{
    QList<CurrentBookmark> tiles;
    int count = 0;
    store.beginBookmarkScan(QString::number(folderId));
    for (bool first = true; store.nextBookmark(); first = false) {
        if (first && store.scanLength() * 2 > store.bookmarkCount()) {
            store.endBookmarkScan();
            return false;
        }
        const CurrentBookmark &bookmark = store.currentBookmark();
        if (!isTile(bookmark.rating))
            continue;
        ++count;
        tiles.append(bookmark);
        if (tiles.size() >= 2 * m_limit)
            keepBest(tiles);
    }
    store.endBookmarkScan();
    if (store.scanFailed())
        return false; // the whole pass then tells whether the store can be read
    keepBest(tiles);
    if (count == 0) {
        m_best.remove(folderId);
        m_counts.remove(folderId);
        return true;
    }
    m_best.insert(folderId, tiles);
    m_counts.insert(folderId, count);
    return true;
}

StartTiles::Best StartTiles::best(BookmarkStore &store)
{
    std::optional<QList<int>> changed =
        m_store == &store ? store.foldersChangedSince(m_seen) : std::nullopt;
    m_store = &store;
    m_seen = store.changeCount();
    if (changed && !std::all_of(changed->cbegin(), changed->cend(),
                                [&](int folderId) { return readFolder(store, folderId); }))
        changed.reset();
    if (!changed) {
        if (!readAll(store)) {
            m_store = nullptr; // read it all again next time
            Best unread;
            unread.unread = true;
            return unread;
        }
    } else if (!changed->isEmpty()) {
        // A deleted folder's subfolders go with it without being counted as changed.
        const QList<int> folders = m_best.keys();
        for (int folderId : folders) {
            if (folderId != 0 && !store.folder(folderId)) {
                m_best.remove(folderId);
                m_counts.remove(folderId);
            }
        }
    }
    Best result;
    // Folders in id order, so that equals keep one order however the hash lies.
    QList<int> folders = m_best.keys();
    std::sort(folders.begin(), folders.end());
    for (int folderId : folders) {
        result.tiles.append(m_best.value(folderId));
        result.total += m_counts.value(folderId);
    }
    keepBest(result.tiles);
    return result;
}

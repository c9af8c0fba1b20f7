#pragma once

#include "store/bookmarkentry.h"

#include <QByteArray>
#include <QHash>
#include <QSet>

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

// The bookmarks in memory: in list order, by folder and by id. Tags are
// indexed apart (TagIndex).
class BookmarkIndex final
{
public:
    using List = std::vector<BookmarkEntry *>; // in list order
    struct IdEntry
    {
        int id;
        BookmarkEntry *bookmark;
    };
    using IdList = std::vector<IdEntry>;

    // Appends and lists a bookmark; oddName is its value name when that is not
    // of the usual form.
    BookmarkEntry *append(int folderId, bool oddFolder, int id, QByteArray plain,
                          const QByteArray &oddName, qint64 seq);
    // While loading, bookmarks come in list order, and the id index is sorted
    // once at the end (sortIds, or placeLoaded for a part read later).
    void beginLoad() { m_loading = true; }
    void endLoad() { m_loading = false; }
    void sortIds();
    // Puts the bookmarks appended since these sizes in their places; returns
    // how many there were.
    std::size_t placeLoaded(std::size_t firstNew, std::size_t firstNewId);

    void index(BookmarkEntry *bookmark);
    void unindex(BookmarkEntry *bookmark);
    // Drops it from memory; the tag index must have let it go first.
    void forget(BookmarkEntry *bookmark);
    void forget(const QSet<BookmarkEntry *> &bookmarks);

    // Only what memory holds, for a folder's id text.
    const List *listedIn(QByteArrayView folderText) const;
    std::pair<IdList::const_iterator, IdList::const_iterator> sameId(int id) const;

    const std::vector<std::unique_ptr<BookmarkEntry>> &all() const { return m_bookmarks; }
    std::size_t size() const { return m_bookmarks.size(); }
    std::size_t idCount() const { return m_idIndex.size(); }
    BookmarkEntry *at(std::size_t position) const { return m_bookmarks[position].get(); }
    BookmarkEntry *withSeq(qint64 seq) const;
    BookmarkEntry *after(qint64 seq) const;

    QByteArray valueName(const BookmarkEntry *bookmark) const;
    bool hasOddName(const BookmarkEntry *bookmark) const { return m_oddNames.contains(bookmark); }
    void setOddName(const BookmarkEntry *bookmark, const QByteArray &name);
    void dropOddName(const BookmarkEntry *bookmark) { m_oddNames.remove(bookmark); }
    const QHash<const BookmarkEntry *, QByteArray> &oddNames() const { return m_oddNames; }

    int highestId() const { return m_highestId; }
    void noteId(int id) { m_highestId = std::max(m_highestId, id); }

    void clear();
    void check() const;

private:
    static bool idBefore(const IdEntry &a, const IdEntry &b);
    List &folderList(const BookmarkEntry *bookmark);
    void dropFolderListIfEmpty(const BookmarkEntry *bookmark);
    void addToIdIndex(BookmarkEntry *bookmark);
    void removeFromIdIndex(BookmarkEntry *bookmark);

    std::vector<std::unique_ptr<BookmarkEntry>> m_bookmarks; // in list order
    QHash<int, List> m_inFolder;           // by folder id
    QHash<QByteArray, List> m_inOddFolder; // folder id texts not plain numbers
    List *m_lastList = nullptr;            // in m_inFolder, until it is erased from
    int m_lastListId = 0;
    IdList m_idIndex; // sorted by id, then list order
    bool m_idIndexSorted = true;
    bool m_loading = false;
    QHash<const BookmarkEntry *, QByteArray> m_oddNames; // value names not of the usual form
    int m_highestId = 1000;
};

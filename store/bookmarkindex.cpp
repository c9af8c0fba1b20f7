#include "store/bookmarkindex.h"

#include "store/bookmarkvalue.h"
#include "store/seqorder.h"
#include "store/storedtext.h"

using namespace BookmarkValue;

BookmarkEntry *BookmarkIndex::append(int folderId, bool oddFolder, int id, QByteArray plain,
                                     const QByteArray &oddName, qint64 seq)
{
    auto bookmark = std::make_unique<BookmarkEntry>();
    bookmark->seq = seq;
    bookmark->plain = std::move(plain);
    bookmark->id = id;
    bookmark->folderId = folderId;
    bookmark->oddFolder = oddFolder;
    BookmarkEntry *added = bookmark.get();
    m_bookmarks.push_back(std::move(bookmark));
    if (!oddName.isEmpty())
        m_oddNames.insert(added, oddName);
    index(added);
    noteId(id);
    return added;
}

void BookmarkIndex::sortIds()
{
    if (!m_idIndexSorted)
        std::sort(m_idIndex.begin(), m_idIndex.end(), idBefore);
    m_idIndexSorted = true;
}

// Bookmarks just read were appended in the order the hive handed them over:
// each list gets them in its own order among those it held.
std::size_t BookmarkIndex::placeLoaded(std::size_t firstNew, std::size_t firstNewId)
{
    const std::size_t read = m_bookmarks.size() - firstNew;
    if (read == 0)
        return 0;
    const auto bySeq = SeqOrder::before;
    const auto newOnes = m_bookmarks.begin() + qsizetype(firstNew);
    if (!std::is_sorted(newOnes, m_bookmarks.end(), bySeq))
        std::sort(newOnes, m_bookmarks.end(), bySeq);
    // A folder list may have held a bookmark read at once, with a later place.
    QSet<List *> lists;
    for (auto at = newOnes; at != m_bookmarks.end(); ++at)
        lists.insert(&folderList(at->get()));
    for (List *list : std::as_const(lists))
        if (!std::is_sorted(list->begin(), list->end(), bySeq))
            std::sort(list->begin(), list->end(), bySeq);
    std::inplace_merge(m_bookmarks.begin(), newOnes, m_bookmarks.end(), bySeq);
    std::sort(m_idIndex.begin() + qsizetype(firstNewId), m_idIndex.end(), idBefore);
    std::inplace_merge(m_idIndex.begin(), m_idIndex.begin() + qsizetype(firstNewId),
                       m_idIndex.end(), idBefore);
    m_idIndexSorted = true;
    return read;
}

BookmarkIndex::List &BookmarkIndex::folderList(const BookmarkEntry *bookmark)
{
    if (!bookmark->oddFolder) {
        // Neighbours in the list mostly share a folder: the last list found is kept
        // until the hash changes shape.
        if (!m_lastList || m_lastListId != bookmark->folderId) {
            m_lastList = &m_inFolder[bookmark->folderId];
            m_lastListId = bookmark->folderId;
        }
        return *m_lastList;
    }
    return m_inOddFolder[splitName(m_oddNames.value(bookmark))->folder.toByteArray()];
}

void BookmarkIndex::dropFolderListIfEmpty(const BookmarkEntry *bookmark)
{
    if (!bookmark->oddFolder) {
        auto list = m_inFolder.find(bookmark->folderId);
        if (list != m_inFolder.end() && list->empty()) {
            m_inFolder.erase(list);
            m_lastList = nullptr;
        }
        return;
    }
    const QByteArray text = splitName(m_oddNames.value(bookmark))->folder.toByteArray();
    auto list = m_inOddFolder.find(text);
    if (list != m_inOddFolder.end() && list->empty())
        m_inOddFolder.erase(list);
}

const BookmarkIndex::List *BookmarkIndex::listedIn(QByteArrayView folderText) const
{
    if (StoredText::isPlainNumber(folderText)) {
        auto list = m_inFolder.constFind(StoredText::leadingInt(folderText));
        return list == m_inFolder.cend() ? nullptr : &*list;
    }
    auto list = m_inOddFolder.constFind(folderText.toByteArray());
    return list == m_inOddFolder.cend() ? nullptr : &*list;
}

void BookmarkIndex::index(BookmarkEntry *bookmark)
{
    List &folder = folderList(bookmark);
    // Loading appends in list order; asking the last entry would only cost a
    // cache miss per bookmark.
    if (m_loading || folder.empty() || folder.back()->seq < bookmark->seq)
        folder.push_back(bookmark);
    else
        folder.insert(SeqOrder::position(folder, bookmark), bookmark);
    if (!m_oddNames.contains(bookmark))
        addToIdIndex(bookmark);
}

void BookmarkIndex::unindex(BookmarkEntry *bookmark)
{
    List &folder = folderList(bookmark);
    auto at = SeqOrder::position(folder, bookmark);
    if (at != folder.end() && *at == bookmark)
        folder.erase(at);
    dropFolderListIfEmpty(bookmark);
    removeFromIdIndex(bookmark);
}

void BookmarkIndex::forget(const QSet<BookmarkEntry *> &bookmarks)
{
    for (BookmarkEntry *bookmark : bookmarks) {
        unindex(bookmark);
        m_oddNames.remove(bookmark);
    }
    std::erase_if(m_bookmarks, [&](const auto &b) { return bookmarks.contains(b.get()); });
}

// One bookmark: the list is in seq order, so its entry is found without a walk.
void BookmarkIndex::forget(BookmarkEntry *bookmark)
{
    unindex(bookmark);
    m_oddNames.remove(bookmark);
    auto at = SeqOrder::position(m_bookmarks, bookmark);
    if (at == m_bookmarks.end() || at->get() != bookmark)
        at = std::find_if(m_bookmarks.begin(), m_bookmarks.end(),
                          [&](const auto &entry) { return entry.get() == bookmark; });
    if (at != m_bookmarks.end())
        m_bookmarks.erase(at);
}

// Ids are unique but in a damaged hive; among equal ids, list order decides.
bool BookmarkIndex::idBefore(const IdEntry &a, const IdEntry &b)
{
    return a.id != b.id ? a.id < b.id : a.bookmark->seq < b.bookmark->seq;
}

// New ids are the highest, so the index grows at its end; loading sorts once at
// the end if the hive's order was not the ids' order.
void BookmarkIndex::addToIdIndex(BookmarkEntry *bookmark)
{
    const IdEntry entry{bookmark->id, bookmark};
    if (m_idIndex.empty() || idBefore(m_idIndex.back(), entry) || m_loading) {
        m_idIndexSorted =
            m_idIndexSorted && (m_idIndex.empty() || idBefore(m_idIndex.back(), entry));
        m_idIndex.push_back(entry);
        return;
    }
    m_idIndex.insert(std::lower_bound(m_idIndex.begin(), m_idIndex.end(), entry, idBefore), entry);
}

void BookmarkIndex::removeFromIdIndex(BookmarkEntry *bookmark)
{
    const IdEntry entry{bookmark->id, bookmark};
    auto at = std::lower_bound(m_idIndex.begin(), m_idIndex.end(), entry, idBefore);
    if (at != m_idIndex.end() && at->bookmark == bookmark)
        m_idIndex.erase(at);
}

std::pair<BookmarkIndex::IdList::const_iterator, BookmarkIndex::IdList::const_iterator>
BookmarkIndex::sameId(int id) const
{
    struct ById
    {
        bool operator()(const IdEntry &e, int id) const { return e.id < id; }
        bool operator()(int id, const IdEntry &e) const { return id < e.id; }
    };
    return std::equal_range(m_idIndex.cbegin(), m_idIndex.cend(), id, ById());
}

BookmarkEntry *BookmarkIndex::withSeq(qint64 seq) const
{
    auto at = std::lower_bound(m_bookmarks.begin(), m_bookmarks.end(), seq,
                               [](const auto &entry, qint64 s) { return entry->seq < s; });
    return at != m_bookmarks.end() && (*at)->seq == seq ? at->get() : nullptr;
}

BookmarkEntry *BookmarkIndex::after(qint64 seq) const
{
    auto at = SeqOrder::after(m_bookmarks, seq);
    return at == m_bookmarks.end() ? nullptr : at->get();
}

QByteArray BookmarkIndex::valueName(const BookmarkEntry *bookmark) const
{
    const auto odd = m_oddNames.constFind(bookmark);
    if (odd != m_oddNames.cend())
        return *odd;
    return bookmarkName(bookmark->folderId, QByteArray::number(bookmark->id));
}

void BookmarkIndex::setOddName(const BookmarkEntry *bookmark, const QByteArray &name)
{
    m_oddNames[bookmark] = name;
}

void BookmarkIndex::clear()
{
    m_lastList = nullptr;
    m_lastListId = 0;
    m_inFolder.clear();
    m_inOddFolder.clear();
    m_idIndex = {};
    m_idIndexSorted = true;
    m_loading = false;
    m_oddNames.clear();
    m_bookmarks.clear();
    m_highestId = 1000;
}

// The indexes agree with the lists they index: checked in debug builds, where
// the collection is small enough for a walk.
void BookmarkIndex::check() const
{
#ifndef QT_NO_DEBUG
    if (m_bookmarks.size() > 20000)
        return;
    const auto bySeq = SeqOrder::before;
    Q_ASSERT(std::is_sorted(m_bookmarks.begin(), m_bookmarks.end(), bySeq));
    Q_ASSERT(std::is_sorted(m_idIndex.begin(), m_idIndex.end(), idBefore));
    std::size_t listed = 0;
    for (auto list = m_inFolder.cbegin(); list != m_inFolder.cend(); ++list) {
        Q_ASSERT(std::is_sorted(list->begin(), list->end(), bySeq));
        for (const BookmarkEntry *bookmark : *list)
            Q_ASSERT(!bookmark->oddFolder && bookmark->folderId == list.key());
        listed += list->size();
    }
    for (const List &list : m_inOddFolder)
        listed += list.size();
    Q_ASSERT(listed == m_bookmarks.size());
    Q_ASSERT(m_idIndex.size() + std::size_t(m_oddNames.size()) == listed);
    Q_ASSERT(!m_lastList || m_lastList == &*m_inFolder.constFind(m_lastListId));
#endif
}

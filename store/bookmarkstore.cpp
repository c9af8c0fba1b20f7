#include "store/bookmarkstore.h"

#include "store/bookmarkcipher.h"
#include "store/bookmarkvalue.h"
#include "store/defaultcollection.h"
#include "store/hive/hive.h"
#include "store/storedtext.h"

#include <QSet>

#include <algorithm>
#include <limits>
#include <optional>

const QString BookmarkStore::KeyPath = QStringLiteral("Software\\k-vane\\Harbrow\\Bookmarks");

struct BookmarkStore::Bookmark
{
    qint64 seq;
    QByteArray plain; // address, title, comments, reserved, rating: one per line
    QString tag;
    int id;
    int folderId;
    bool oddFolder; // the folder id text is not a plain number: see m_oddNames
    bool tagWaiting = false; // its tag is not in the index yet: see m_tagsToIndex
};

struct BookmarkStore::Folder
{
    qint64 seq;
    QByteArray valueName;
    QString name;
    int id;
    int parentId;
    enum Walk : quint8 { Unseen, OnPath, Done } walk = Unseen; // while parent loops are mended
};

using namespace BookmarkValue;

namespace {

constexpr int MaxId = std::numeric_limits<int>::max();

template<typename List, typename Item>
auto seqPosition(List &list, const Item *item)
{
    return std::lower_bound(list.begin(), list.end(), item->seq,
                            [](const auto &entry, qint64 seq) { return entry->seq < seq; });
}

template<typename List>
auto afterSeq(const List &list, qint64 seq)
{
    return std::upper_bound(list.begin(), list.end(), seq,
                            [](qint64 s, const auto &entry) { return s < entry->seq; });
}

} // namespace

BookmarkStore::BookmarkStore(Hive *hive) : m_hive(hive)
{
    m_keyOpen = m_hive && m_hive->createKey(KeyPath);
    m_allRead = !m_keyOpen; // nothing to read
    if (!m_keyOpen)
        return;
    // A first run whose collection cannot be written starts empty; the next
    // start tries again.
    if (isFirstRun(m_hive))
        DefaultCollection::write(*m_hive, KeyPath);
    load();
}

BookmarkStore::~BookmarkStore() = default;

bool BookmarkStore::isFirstRun(Hive *hive)
{
    return !hive || !hive->queryValue(KeyPath, "INI").has_value();
}

void BookmarkStore::readAhead(Hive *hive)
{
    if (hive)
        hive->readAhead(KeyPath, {"gr", bookmarkName(0, {})});
}

bool BookmarkStore::markFirstRunDone(Hive *hive)
{
    return hive && hive->createKey(KeyPath) && hive->setValue(KeyPath, "INI", "YES");
}

// A bookmark read when its folder is first used: "ur<folder>-<id>", both
// written plainly, as the folder's own reads ask for them. Other names (and
// any that also name a folder) are read at once.
struct BookmarkStore::LaterName
{
    int folderId;
    int id;
};

// Digits and a dash cannot hold "gr": the two numbers say it all.
std::optional<BookmarkStore::LaterName> BookmarkStore::laterName(QByteArrayView name)
{
    if (!name.startsWith("ur"))
        return std::nullopt;
    const qsizetype dash = name.indexOf('-', 2);
    if (dash < 0)
        return std::nullopt;
    const std::optional<int> folder = StoredText::plainNumber(name.sliced(2, dash - 2));
    const std::optional<int> id =
        folder ? StoredText::plainNumber(name.sliced(dash + 1)) : std::nullopt;
    if (!id)
        return std::nullopt;
    return LaterName{*folder, *id};
}

namespace {

// Values the store reads at once: folders, and bookmarks not named the usual way.
bool readAtOnce(QByteArrayView name, bool usual)
{
    return !usual && (name.contains("gr") || name.contains("ur"));
}

// The names a read of the "gr" prefix returns: their first two letters are
// "gr" without case.
bool inFolderRange(QByteArrayView name)
{
    return name.size() >= 2 && (name[0] | 0x20) == 'g' && (name[1] | 0x20) == 'r';
}

} // namespace

void BookmarkStore::load()
{
    // Folders are most of what is read now: one read for all of them.
    struct ReadNow
    {
        qint64 seq;
        QByteArray name;
        std::optional<QByteArray> plain; // none yet for the odd names
    };
    std::vector<ReadNow> now;
    m_hive->visitValuesWithPrefix(KeyPath, "gr", [&now](qint64 seq, QByteArrayView name,
                                                        QByteArrayView data) {
        if (readAtOnce(name, laterName(name).has_value()))
            now.push_back({seq, name.toByteArray(), bookmarkCipherDecipher(data)});
    });
    // The rest of what is read now: where the hive keeps the odd names apart,
    // the usual ones wait until something needs them all (learnNames).
    const auto takeOdd = [&now](qint64 seq, QByteArrayView name) {
        if (!inFolderRange(name) && readAtOnce(name, laterName(name).has_value()))
            now.push_back({seq, name.toByteArray(), std::nullopt});
    };
    m_namesKnown = !m_hive->visitOddValueNames(KeyPath, takeOdd);
    if (m_namesKnown) {
        m_hive->visitValueNames(KeyPath, [this, &takeOdd](qint64 seq, QByteArrayView name) {
            m_nextSeq = std::max(m_nextSeq, seq + 1);
            if (const std::optional<LaterName> later = laterName(name))
                noteUnread(*later);
            else
                takeOdd(seq, name);
        });
        m_unreadIdsSorted = false; // on the first lookup by id
    }
    std::sort(now.begin(), now.end(), [](const auto &a, const auto &b) { return a.seq < b.seq; });
    m_foldersById.reserve(qsizetype(now.size()));
    m_loading = true;
    for (ReadNow &value : now) {
        if (!value.plain) {
            const std::optional<QByteArray> data = m_hive->queryValue(KeyPath, value.name);
            if (!data)
                continue;
            value.plain = bookmarkCipherDecipher(*data);
        }
        if (value.name.contains("gr"))
            loadFolder(value.name, *value.plain, value.seq);
        if (value.name.contains("ur"))
            loadBookmark(value.name, *value.plain, value.seq);
    }
    m_loading = false;
    if (!m_idIndexSorted)
        std::sort(m_idIndex.begin(), m_idIndex.end(), idBefore);
    m_idIndexSorted = true;
    m_allRead = m_namesKnown && m_unreadCount == 0;
    // The first addition or lookup by id then finds them read.
    if (!m_namesKnown)
        m_hive->readNamesAhead(KeyPath);
    mendParentLoops();
    for (const auto &folder : m_folders)
        m_childFolders[folder->parentId].push_back(folder.get());
}

// Every name, for what only all of them tell: the highest id and place in use,
// and which bookmarks are still unread. What has been read since the load (and
// only that can have changed) is left out.
void BookmarkStore::learnNames() const
{
    if (m_namesKnown)
        return;
    auto *self = const_cast<BookmarkStore *>(this);
    self->m_namesKnown = true;
    m_hive->visitValueNames(KeyPath, [self](qint64 seq, QByteArrayView name) {
        self->m_nextSeq = std::max(self->m_nextSeq, seq + 1);
        const std::optional<LaterName> later = laterName(name);
        if (!later)
            return;
        self->m_highestBookmarkId = std::max(self->m_highestBookmarkId, later->id);
        if (!self->m_allRead && !self->m_readFolders.contains(later->folderId))
            self->noteUnread(*later);
    });
    self->m_unreadIdsSorted = false;
    self->m_allRead = m_allRead || m_unreadCount == 0;
}

void BookmarkStore::noteUnread(const LaterName &name)
{
    m_highestBookmarkId = std::max(m_highestBookmarkId, name.id);
    m_unreadIds.push_back({name.id, name.folderId});
    // The index hands the names over sorted, so a folder's come together.
    if (m_unreadIds.size() < 2 || m_unreadIds[m_unreadIds.size() - 2].folderId != name.folderId)
        m_foldersWithUnread.insert(name.folderId);
    ++m_unreadCount;
}

// Reading is no change: the store holds the same collection before and after,
// so the readers below count as const.
void BookmarkStore::loadFolderBookmarks(int folderId) const
{
    if (m_allRead || m_readFolders.contains(folderId))
        return;
    auto *self = const_cast<BookmarkStore *>(this);
    self->m_readFolders.insert(folderId);
    // Before the names are known, every folder may hold unread bookmarks.
    if (!self->m_foldersWithUnread.remove(folderId) && m_namesKnown)
        return;
    const std::size_t firstNew = m_bookmarks.size();
    const std::size_t firstNewId = m_idIndex.size();
    self->m_loading = true;
    m_hive->visitValuesWithPrefix(KeyPath, bookmarkName(folderId, {}),
                                  [self, folderId](qint64 seq, QByteArrayView name,
                                                   QByteArrayView data) {
                                      const auto later = laterName(name);
                                      if (later && later->folderId == folderId)
                                          self->loadBookmark(*later, bookmarkCipherDecipher(data),
                                                             seq);
                                  });
    self->m_loading = false;
    self->placeLoaded(firstNew, firstNewId);
}

void BookmarkStore::loadAll() const
{
    learnNames();
    if (m_allRead)
        return;
    auto *self = const_cast<BookmarkStore *>(this);
    const std::size_t firstNew = m_bookmarks.size();
    const std::size_t firstNewId = m_idIndex.size();
    self->m_loading = true;
    m_hive->visitValuesWithPrefix(KeyPath, "ur", [self](qint64 seq, QByteArrayView name,
                                                        QByteArrayView data) {
        const std::optional<LaterName> later = laterName(name);
        if (later && !self->m_readFolders.contains(later->folderId))
            self->loadBookmark(*later, bookmarkCipherDecipher(data), seq);
    });
    self->m_loading = false;
    self->placeLoaded(firstNew, firstNewId);
    self->m_allRead = true;
    self->m_readFolders.clear();
    self->m_foldersWithUnread.clear();
    self->m_unreadIds = {};
    self->m_unreadCount = 0;
}

// Bookmarks just read were appended in the order the hive handed them over:
// each list gets them in its own order among those it held.
void BookmarkStore::placeLoaded(std::size_t firstNew, std::size_t firstNewId)
{
    const std::size_t read = m_bookmarks.size() - firstNew;
    m_unreadCount = std::max(0, m_unreadCount - int(read));
    if (read == 0)
        return;
    const auto bySeq = [](const auto &a, const auto &b) { return a->seq < b->seq; };
    const auto newOnes = m_bookmarks.begin() + qsizetype(firstNew);
    if (!std::is_sorted(newOnes, m_bookmarks.end(), bySeq))
        std::sort(newOnes, m_bookmarks.end(), bySeq);
    // A folder list may have held a bookmark read at once, with a later place.
    QSet<BookmarkList *> lists;
    for (auto at = newOnes; at != m_bookmarks.end(); ++at)
        lists.insert(&folderList(at->get()));
    for (BookmarkList *list : std::as_const(lists))
        if (!std::is_sorted(list->begin(), list->end(), bySeq))
            std::sort(list->begin(), list->end(), bySeq);
    std::inplace_merge(m_bookmarks.begin(), newOnes, m_bookmarks.end(), bySeq);
    std::sort(m_idIndex.begin() + qsizetype(firstNewId), m_idIndex.end(), idBefore);
    std::inplace_merge(m_idIndex.begin(), m_idIndex.begin() + qsizetype(firstNewId),
                       m_idIndex.end(), idBefore);
    m_idIndexSorted = true;
}

// Forgets everything in memory and loads it again from the hive.
void BookmarkStore::reload()
{
    m_bookmarks.clear();
    m_bookmarksInFolder.clear();
    m_bookmarksInOddFolder.clear();
    m_idIndex.clear();
    m_idIndexSorted = true;
    m_bookmarksByTag.clear();
    m_tagsToIndex.clear();
    m_oddNames.clear();
    m_nextSeq = 0;
    m_allRead = false;
    m_readFolders.clear();
    m_foldersWithUnread.clear();
    m_unreadIds.clear();
    m_unreadIdsSorted = true;
    m_unreadCount = 0;
    m_folders.clear();
    m_foldersById.clear();
    m_childFolders.clear();
    m_current = {};
    m_currentPlain.clear();
    m_currentDecoded = true;
    m_currentFolder = {};
    m_folderCursor = -1;
    m_highestFolderId = 100;
    m_highestBookmarkId = 1000;
    m_cursor = -1;
    m_filter.clear();
    m_filtered = false;
    m_reloadedAt = ++m_changes;
    m_changedAt.clear();
    load();
}

void BookmarkStore::touch(int folderId)
{
    m_changedAt.insert(folderId, ++m_changes);
}

std::optional<QList<int>> BookmarkStore::foldersChangedSince(quint64 since) const
{
    if (m_reloadedAt > since)
        return std::nullopt;
    QList<int> folders;
    for (auto it = m_changedAt.cbegin(); it != m_changedAt.cend(); ++it)
        if (it.value() > since)
            folders.append(it.key());
    return folders;
}

bool BookmarkStore::hasChildFolders(int folderId) const
{
    return m_childFolders.contains(std::max(folderId, 0));
}

bool BookmarkStore::hasBookmarks(int folderId) const
{
    folderId = std::max(folderId, 0);
    const BookmarkList *listed = listedIn(QByteArray::number(folderId));
    if (listed && !listed->empty())
        return true;
    if (!m_namesKnown) {
        // A folder read holds what is listed; one not read yet, what the hive
        // names under it, which a hive may tell without every name learned.
        if (m_readFolders.contains(folderId))
            return false;
        if (const auto named = m_hive->hasValuesWithPrefix(KeyPath, bookmarkName(folderId, {})))
            return *named;
    }
    learnNames();
    return m_foldersWithUnread.contains(folderId);
}

int BookmarkStore::bookmarkCount() const
{
    learnNames();
    return int(m_bookmarks.size()) + m_unreadCount;
}

bool BookmarkStore::beginBatch()
{
    return m_keyOpen && m_hive->beginTransaction();
}

bool BookmarkStore::commitBatch()
{
    if (m_hive->commitTransaction())
        return true;
    // The hive dropped the batch, so memory drops it too.
    reload();
    return false;
}

void BookmarkStore::loadFolder(const QByteArray &name, const QByteArray &plain, qint64 seq)
{
    const int id =
        StoredText::leadingInt(QByteArrayView(name).sliced(std::min<qsizetype>(2, name.size())));
    if (id <= 0)
        return; // not a folder we could ever name; left as it is in the hive
    FolderFields fields = splitFolder(plain);
    auto folder = std::make_unique<Folder>();
    folder->seq = seq;
    folder->valueName = name; // shared, not copied
    folder->name = std::move(fields.name);
    folder->id = id;
    folder->parentId = fields.parentId;
    m_foldersById.insert(id, folder.get());
    m_folders.push_back(std::move(folder));
    m_highestFolderId = std::max(m_highestFolderId, id);
    m_nextSeq = std::max(m_nextSeq, seq + 1); // a new folder goes after every one read
}

void BookmarkStore::loadBookmark(QByteArrayView name, QByteArray plain, qint64 seq)
{
    const std::optional<NameParts> parts = splitName(name);
    if (!parts)
        return; // no folder could ever list it; left as it is in the hive
    const int id = StoredText::leadingInt(parts->id);
    appendBookmark(StoredText::leadingInt(parts->folder), !StoredText::isPlainNumber(parts->folder),
                   id, std::move(plain), parts->usual ? QByteArray() : name.toByteArray(), seq);
    m_highestBookmarkId = std::max(m_highestBookmarkId, id);
}

// A name already taken apart: most of a large folder's, read when it is first used.
void BookmarkStore::loadBookmark(const LaterName &name, QByteArray plain, qint64 seq)
{
    appendBookmark(name.folderId, false, name.id, std::move(plain), {}, seq);
    m_highestBookmarkId = std::max(m_highestBookmarkId, name.id);
}

// A damaged hive may hold folders whose parent chain loops, or whose parent is
// missing; each loop's first folder in list order, and each orphan, is taken as
// top-level so that every walk ends and every folder can be seen.
void BookmarkStore::mendParentLoops()
{
    for (const auto &folder : m_folders)
        folder->walk = Folder::Unseen;
    std::vector<Folder *> path;
    for (const auto &start : m_folders) {
        path.clear();
        Folder *folder = start.get();
        while (folder && folder->walk == Folder::Unseen) {
            folder->walk = Folder::OnPath;
            path.push_back(folder);
            Folder *parent = folder->parentId == 0 ? nullptr : folderWithId(folder->parentId);
            if (!parent)
                folder->parentId = 0; // its parent is gone: show it at the top
            folder = parent;
        }
        if (folder && folder->walk == Folder::OnPath) {
            auto loop = std::find(path.begin(), path.end(), folder);
            Folder *entry = *std::min_element(loop, path.end(), [](auto *a, auto *b) {
                return a->seq < b->seq;
            });
            entry->parentId = 0;
        }
        for (Folder *visited : path)
            visited->walk = Folder::Done;
    }
}

// ---- bookmarks: lists and indexes

template<typename Hash, typename Key>
static auto *firstInListOrder(const Hash &hash, const Key &key)
{
    typename Hash::mapped_type first = nullptr;
    for (auto [it, end] = hash.equal_range(key); it != end; ++it)
        if (!first || (*it)->seq < first->seq)
            first = *it;
    return first;
}

BookmarkStore::Bookmark *BookmarkStore::appendBookmark(int folderId, bool oddFolder, int id,
                                                       QByteArray plain, QByteArray oddName,
                                                       qint64 seq)
{
    auto bookmark = std::make_unique<Bookmark>();
    bookmark->seq = seq;
    bookmark->plain = std::move(plain);
    bookmark->id = id;
    bookmark->folderId = folderId;
    bookmark->oddFolder = oddFolder;
    Bookmark *added = bookmark.get();
    m_bookmarks.push_back(std::move(bookmark));
    if (!oddName.isEmpty())
        m_oddNames.insert(added, oddName);
    indexBookmark(added);
    return added;
}

BookmarkStore::BookmarkList &BookmarkStore::folderList(const Bookmark *bookmark)
{
    if (!bookmark->oddFolder) {
        // Neighbours in the list mostly share a folder: the last list found is kept
        // until the hash changes shape.
        if (!m_lastList || m_lastListId != bookmark->folderId) {
            m_lastList = &m_bookmarksInFolder[bookmark->folderId];
            m_lastListId = bookmark->folderId;
        }
        return *m_lastList;
    }
    return m_bookmarksInOddFolder[splitName(m_oddNames.value(bookmark))->folder.toByteArray()];
}

void BookmarkStore::dropFolderListIfEmpty(const Bookmark *bookmark)
{
    if (!bookmark->oddFolder) {
        auto list = m_bookmarksInFolder.find(bookmark->folderId);
        if (list != m_bookmarksInFolder.end() && list->empty()) {
            m_bookmarksInFolder.erase(list);
            m_lastList = nullptr;
        }
        return;
    }
    const QByteArray text = splitName(m_oddNames.value(bookmark))->folder.toByteArray();
    auto list = m_bookmarksInOddFolder.find(text);
    if (list != m_bookmarksInOddFolder.end() && list->empty())
        m_bookmarksInOddFolder.erase(list);
}

const BookmarkStore::BookmarkList *BookmarkStore::bookmarksIn(QByteArrayView folderText) const
{
    if (StoredText::isPlainNumber(folderText))
        loadFolderBookmarks(StoredText::leadingInt(folderText));
    return listedIn(folderText);
}

// Only what memory holds.
const BookmarkStore::BookmarkList *BookmarkStore::listedIn(QByteArrayView folderText) const
{
    if (StoredText::isPlainNumber(folderText)) {
        auto list = m_bookmarksInFolder.constFind(StoredText::leadingInt(folderText));
        return list == m_bookmarksInFolder.cend() ? nullptr : &*list;
    }
    auto list = m_bookmarksInOddFolder.constFind(folderText.toByteArray());
    return list == m_bookmarksInOddFolder.cend() ? nullptr : &*list;
}

void BookmarkStore::indexBookmark(Bookmark *bookmark)
{
    BookmarkList &folder = folderList(bookmark);
    // Loading appends in list order; asking the last entry would only cost a
    // cache miss per bookmark.
    if (m_loading || folder.empty() || folder.back()->seq < bookmark->seq)
        folder.push_back(bookmark);
    else
        folder.insert(seqPosition(folder, bookmark), bookmark);
    if (!m_oddNames.contains(bookmark))
        addToIdIndex(bookmark);
    if (!bookmark->tag.isEmpty()) {
        indexTags();
        m_bookmarksByTag.insert(bookmark->tag, bookmark);
    }
}

void BookmarkStore::unindexBookmark(Bookmark *bookmark)
{
    BookmarkList &folder = folderList(bookmark);
    auto at = seqPosition(folder, bookmark);
    if (at != folder.end() && *at == bookmark)
        folder.erase(at);
    dropFolderListIfEmpty(bookmark);
    removeFromIdIndex(bookmark);
    indexTags(); // no tag waits on a bookmark about to go
    if (!bookmark->tag.isEmpty())
        m_bookmarksByTag.remove(bookmark->tag);
}

// Ids are unique but in a damaged hive; among equal ids, list order decides.
bool BookmarkStore::idBefore(const IdEntry &a, const IdEntry &b)
{
    return a.id != b.id ? a.id < b.id : a.bookmark->seq < b.bookmark->seq;
}

// New ids are the highest, so the index grows at its end; loading sorts once at
// the end if the hive's order was not the ids' order.
void BookmarkStore::addToIdIndex(Bookmark *bookmark)
{
    const IdEntry entry{bookmark->id, bookmark};
    if (m_idIndex.empty() || idBefore(m_idIndex.back(), entry) || m_loading) {
        m_idIndexSorted = m_idIndexSorted && (m_idIndex.empty() || idBefore(m_idIndex.back(), entry));
        m_idIndex.push_back(entry);
        return;
    }
    m_idIndex.insert(std::lower_bound(m_idIndex.begin(), m_idIndex.end(), entry, idBefore), entry);
}

void BookmarkStore::removeFromIdIndex(Bookmark *bookmark)
{
    const IdEntry entry{bookmark->id, bookmark};
    auto at = std::lower_bound(m_idIndex.begin(), m_idIndex.end(), entry, idBefore);
    if (at != m_idIndex.end() && at->bookmark == bookmark)
        m_idIndex.erase(at);
}

std::pair<BookmarkStore::IdIndex::const_iterator, BookmarkStore::IdIndex::const_iterator>
BookmarkStore::sameId(int id) const
{
    struct ById
    {
        bool operator()(const IdEntry &e, int id) const { return e.id < id; }
        bool operator()(int id, const IdEntry &e) const { return id < e.id; }
    };
    return std::equal_range(m_idIndex.cbegin(), m_idIndex.cend(), id, ById());
}

// A tag names one bookmark: a row's tag left on a bookmark that has since left
// the folder must never answer for the row that carries it now. A listing tags
// every row and most are never looked up, so the tags it hands out wait, in
// order, until the next lookup or listing indexes them.
void BookmarkStore::setTag(Bookmark *bookmark, const QString &tag)
{
    // Tagged again before a lookup: a new listing (found bookmarks list without
    // a scan), so the last one's tags go in first and none waits twice.
    if (bookmark->tagWaiting)
        indexTags();
    // A folder listed again hands out the same tags; with tags waiting, one of
    // them may be this bookmark's, taken from it.
    if (bookmark->tag == tag && m_tagsToIndex.empty())
        return;
    if (!bookmark->tag.isEmpty()) {
        const auto held = m_bookmarksByTag.constFind(bookmark->tag);
        if (held != m_bookmarksByTag.cend() && *held == bookmark)
            m_bookmarksByTag.erase(held);
    }
    bookmark->tag = tag;
    if (!tag.isEmpty()) {
        bookmark->tagWaiting = true;
        m_tagsToIndex.push_back(bookmark);
    }
}

// The index as if every waiting tag had been indexed when it was handed out:
// each takes its tag from the bookmark that held it.
void BookmarkStore::indexTags() const
{
    if (m_tagsToIndex.empty())
        return;
    m_bookmarksByTag.reserve(m_bookmarksByTag.size() + qsizetype(m_tagsToIndex.size()));
    for (Bookmark *bookmark : m_tagsToIndex) {
        bookmark->tagWaiting = false;
        Bookmark *&holder = m_bookmarksByTag[bookmark->tag];
        if (holder && holder != bookmark)
            holder->tag.clear();
        holder = bookmark;
    }
    m_tagsToIndex = {};
}

QByteArray BookmarkStore::valueName(const Bookmark *bookmark) const
{
    const auto odd = m_oddNames.constFind(bookmark);
    if (odd != m_oddNames.cend())
        return *odd;
    return bookmarkName(bookmark->folderId, QByteArray::number(bookmark->id));
}


BookmarkStore::Bookmark *BookmarkStore::bookmarkWithId(int id) const
{
    return bookmarkWithIdText(QByteArray::number(id));
}

BookmarkStore::Bookmark *BookmarkStore::bookmarkWithIdText(const QByteArray &idText) const
{
    const int id = StoredText::leadingInt(idText);
    Bookmark *found = nullptr;
    if (StoredText::isPlainNumber(idText)) {
        // Every bookmark with the id must be in memory for the first to be found.
        learnNames();
        const auto byId = [](const UnreadId &a, const UnreadId &b) { return a.id < b.id; };
        if (!m_unreadIdsSorted)
            std::sort(m_unreadIds.begin(), m_unreadIds.end(), byId);
        m_unreadIdsSorted = true;
        const auto [from, to] =
            std::equal_range(m_unreadIds.cbegin(), m_unreadIds.cend(), UnreadId{id, 0}, byId);
        for (auto unread = from; unread != to; ++unread)
            loadFolderBookmarks(unread->folderId);
        auto [first, end] = sameId(id);
        found = first == end ? nullptr : first->bookmark;
    }
    for (auto odd = m_oddNames.cbegin(); odd != m_oddNames.cend(); ++odd) {
        auto *bookmark = const_cast<Bookmark *>(odd.key());
        if (splitName(*odd)->id == idText && (!found || bookmark->seq < found->seq))
            found = bookmark;
    }
    return found;
}

BookmarkStore::Bookmark *BookmarkStore::bookmarkWithTag(const QString &tag) const
{
    indexTags();
    if (!tag.isEmpty())
        return m_bookmarksByTag.value(tag);
    loadAll();
    for (const auto &bookmark : m_bookmarks)
        if (bookmark->tag.isEmpty())
            return bookmark.get();
    return nullptr;
}

BookmarkStore::Bookmark *BookmarkStore::bookmarkAtCursor() const
{
    if (m_cursorBookmark && m_cursorBookmark->seq == m_cursor)
        return m_cursorBookmark;
    auto at = std::lower_bound(m_bookmarks.begin(), m_bookmarks.end(), m_cursor,
                               [](const auto &entry, qint64 seq) { return entry->seq < seq; });
    return at != m_bookmarks.end() && (*at)->seq == m_cursor ? at->get() : nullptr;
}

qsizetype BookmarkStore::positionOf(const Bookmark *bookmark) const
{
    return seqPosition(m_bookmarks, bookmark) - m_bookmarks.begin();
}

// The texts are converted when first asked for, from the data as it was made
// current: a scan that only lists (or only counts) converts none.
const CurrentBookmark &BookmarkStore::currentBookmark() const
{
    if (!m_currentDecoded) {
        const Lines lines = splitLines(m_currentPlain);
        m_current.address = QString::fromUtf8(lines.field[0]);
        m_current.title = QString::fromUtf8(lines.field[1]);
        m_current.comments = QString::fromUtf8(lines.field[2]);
        m_current.reserved = QString::fromUtf8(lines.field[3]);
        m_current.rating = clampRating(StoredText::leadingInt(lines.rest));
        m_currentDecoded = true;
    }
    return m_current;
}

BookmarkFields BookmarkStore::currentFields() const
{
    return BookmarkFields(m_currentPlain);
}

void BookmarkStore::makeCurrent(const Bookmark *bookmark)
{
    m_cursor = bookmark->seq;
    m_cursorBookmark = const_cast<Bookmark *>(bookmark);
    m_currentPlain = bookmark->plain;
    m_currentDecoded = false;
    // A scan stays in one folder: its name is looked up once.
    if (!m_currentFolderNameKnown || m_current.folderId != bookmark->folderId) {
        const Folder *folder = folderWithId(bookmark->folderId);
        m_current.folderName = folder ? folder->name : QString();
        m_currentFolderNameKnown = true;
    }
    m_current.id = bookmark->id;
    m_current.folderId = bookmark->folderId;
}

void BookmarkStore::streamBookmarks(const std::function<bool(const StoredBookmark &)> &visit) const
{
    if (m_allRead) {
        visitReadBookmarks(visit);
        return;
    }
    // The hive holds all that memory does: every change is written through.
    m_hive->visitValues(KeyPath, [&visit](QByteArrayView name, QByteArrayView data) {
        const std::optional<NameParts> parts =
            name.contains("ur") ? splitName(name) : std::nullopt;
        if (!parts)
            return true;
        const QByteArray plain = bookmarkCipherDecipher(data);
        const Lines lines = splitLines(plain);
        return visit({lines.field[0], lines.field[1], lines.field[2],
                      clampRating(StoredText::leadingInt(lines.rest)),
                      StoredText::leadingInt(parts->folder)});
    });
}

void BookmarkStore::visitBookmarks(const std::function<void(const StoredBookmark &)> &visit) const
{
    loadAll();
    visitReadBookmarks([&visit](const StoredBookmark &bookmark) {
        visit(bookmark);
        return true;
    });
}

void BookmarkStore::visitReadBookmarks(
    const std::function<bool(const StoredBookmark &)> &visit) const
{
    for (const auto &bookmark : m_bookmarks) {
        const Lines lines = splitLines(bookmark->plain);
        if (!visit({lines.field[0], lines.field[1], lines.field[2],
                    clampRating(StoredText::leadingInt(lines.rest)), bookmark->folderId}))
            return;
    }
}

// ---- bookmarks: scans and selection

void BookmarkStore::beginBookmarkScan(const QString &folderId)
{
    indexTags(); // only the last listing's tags wait
    m_cursor = -1;
    m_filter = folderId == u"-1" ? QByteArray("0") : folderId.toUtf8();
    m_filtered = true;
}

bool BookmarkStore::nextBookmark()
{
    const Bookmark *next = nullptr;
    if (!m_filtered) {
        loadAll();
        auto at = afterSeq(m_bookmarks, m_cursor);
        next = at == m_bookmarks.end() ? nullptr : at->get();
    } else if (const BookmarkList *folder = bookmarksIn(m_filter)) {
        // A scan steps through one list: the place after the last step is tried
        // before a search, and kept only while the cursor still stands before it.
        std::size_t at = m_scanPlace;
        if (at == 0 || at > folder->size() || (*folder)[at - 1]->seq != m_cursor)
            at = std::size_t(afterSeq(*folder, m_cursor) - folder->begin());
        next = at < folder->size() ? (*folder)[at] : nullptr;
        m_scanPlace = at + 1;
    }
    if (!next) {
        m_cursor = std::numeric_limits<qint64>::max();
        return false;
    }
    makeCurrent(next);
    return true;
}

qsizetype BookmarkStore::scanLength() const
{
    if (!m_filtered)
        return bookmarkCount();
    const BookmarkList *folder = listedIn(m_filter);
    return folder ? qsizetype(folder->size()) : 0;
}

void BookmarkStore::endBookmarkScan()
{
    m_cursor = -1;
    m_filter.clear();
    m_filtered = false;
}

bool BookmarkStore::selectBookmarkById(const QString &id)
{
    const Bookmark *bookmark = bookmarkWithIdText(id.toUtf8());
    if (bookmark)
        makeCurrent(bookmark);
    return bookmark;
}

bool BookmarkStore::selectBookmarkByTag(const QString &tag)
{
    const Bookmark *bookmark = bookmarkWithTag(tag);
    if (bookmark)
        makeCurrent(bookmark);
    return bookmark;
}

bool BookmarkStore::selectBookmarkAt(int position)
{
    if (position < 0 || position >= bookmarkCount())
        return false;
    loadAll();
    makeCurrent(m_bookmarks[position].get());
    return true;
}

void BookmarkStore::setCurrentBookmarkTag(const QString &tag)
{
    Bookmark *bookmark = bookmarkAtCursor();
    if (!bookmark)
        return;
    // The first row of a folder's listing tagged: a listing tags every row, so
    // room for them all at once rather than by doubling.
    if (m_filtered && m_scanPlace == 1)
        if (const BookmarkList *folder = listedIn(m_filter))
            m_tagsToIndex.reserve(m_tagsToIndex.size() + folder->size());
    setTag(bookmark, tag);
}

// ---- bookmarks: changes

// Every change below reaches the hive first and memory only once the hive has
// taken it, so that a failed write leaves both as they were.

bool BookmarkStore::writeBookmark(Bookmark *bookmark, QByteArray plain)
{
    if (!m_keyOpen || !m_hive->setValue(KeyPath, valueName(bookmark), bookmarkCipherEncipher(plain)))
        return false;
    bookmark->plain = std::move(plain);
    touch(bookmark->folderId);
    return true;
}

int BookmarkStore::addBookmark(const BookmarkRecord &record)
{
    if (!m_keyOpen)
        return WriteFailed;
    learnNames(); // the highest id and place in use
    if (m_highestBookmarkId >= MaxId)
        return -1;
    const int id = m_highestBookmarkId + 1;
    const int folderId = std::max(0, StoredText::leadingInt(record.folderOrKey.toUtf8()));
    loadFolderBookmarks(folderId); // so that the new one lands after those the folder holds
    QByteArray plain = composePlain(record);
    if (!m_hive->setValue(KeyPath, bookmarkName(folderId, QByteArray::number(id)),
                          bookmarkCipherEncipher(plain)))
        return WriteFailed;
    m_highestBookmarkId = id;
    touch(folderId);
    Bookmark *bookmark = appendBookmark(folderId, false, id, std::move(plain), {}, m_nextSeq++);
    makeCurrent(bookmark);
    return bookmarkCount() - 1;
}

bool BookmarkStore::updateBookmark(Bookmark *bookmark, const BookmarkRecord &record)
{
    if (!bookmark)
        return false;
    const bool written = writeBookmark(bookmark, composePlain(record));
    makeCurrent(bookmark);
    return written;
}

bool BookmarkStore::updateBookmarkById(const BookmarkRecord &record)
{
    return updateBookmark(bookmarkWithIdText(record.folderOrKey.toUtf8()), record);
}

bool BookmarkStore::updateBookmarkByTag(const BookmarkRecord &record)
{
    return updateBookmark(bookmarkWithTag(record.folderOrKey), record);
}

bool BookmarkStore::setBookmarkTitle(int id, const QString &title)
{
    Bookmark *bookmark = bookmarkWithId(id);
    return bookmark && writeBookmark(bookmark, withTitle(bookmark->plain, title));
}

// A value already gone from the hive counts as deleted: memory may follow.
bool BookmarkStore::deleteValue(const QByteArray &name)
{
    return m_keyOpen
        && (m_hive->deleteValue(KeyPath, name) || !m_hive->queryValue(KeyPath, name).has_value());
}

void BookmarkStore::forgetBookmarks(const QSet<Bookmark *> &bookmarks)
{
    if (bookmarks.contains(m_cursorBookmark))
        m_cursorBookmark = nullptr;
    for (Bookmark *bookmark : bookmarks) {
        unindexBookmark(bookmark);
        m_oddNames.remove(bookmark);
    }
    std::erase_if(m_bookmarks, [&](const auto &b) { return bookmarks.contains(b.get()); });
}

// One bookmark: the list is in seq order, so its entry is found without a walk.
void BookmarkStore::forgetBookmark(Bookmark *bookmark)
{
    if (m_cursorBookmark == bookmark)
        m_cursorBookmark = nullptr;
    unindexBookmark(bookmark);
    m_oddNames.remove(bookmark);
    auto at = seqPosition(m_bookmarks, bookmark);
    if (at == m_bookmarks.end() || at->get() != bookmark)
        at = std::find_if(m_bookmarks.begin(), m_bookmarks.end(),
                          [&](const auto &entry) { return entry.get() == bookmark; });
    if (at != m_bookmarks.end())
        m_bookmarks.erase(at);
}

bool BookmarkStore::removeBookmark(Bookmark *bookmark)
{
    if (!bookmark || !deleteValue(valueName(bookmark)))
        return false;
    touch(bookmark->folderId);
    forgetBookmark(bookmark);
    return true;
}

bool BookmarkStore::deleteBookmarkById(int id)
{
    return removeBookmark(bookmarkWithId(id));
}

bool BookmarkStore::deleteBookmarkByTag(const QString &tag)
{
    return removeBookmark(bookmarkWithTag(tag));
}

// Renamed in place, a value keeps its place in the hive's order as in the list.
// Where the hive cannot rename, the value is written anew under the new name,
// but never over another value that already has it.
bool BookmarkStore::renameValue(const QByteArray &from, const QByteArray &to,
                                const QByteArray &plain)
{
    if (m_hive->renameValue(KeyPath, from, to))
        return true;
    if (m_hive->queryValue(KeyPath, to).has_value())
        return false;
    HiveTransaction transaction(m_hive);
    return transaction.isOpen() && deleteValue(from)
        && m_hive->setValue(KeyPath, to, bookmarkCipherEncipher(plain)) && transaction.commit();
}

bool BookmarkStore::moveBookmark(Bookmark *bookmark, int folderId)
{
    if (!bookmark)
        return false;
    const int target = std::max(folderId, 0);
    if (!bookmark->oddFolder && bookmark->folderId == target)
        return true;
    loadFolderBookmarks(target); // its bookmarks decide whether the new name is free
    for (auto [other, end] = sameId(bookmark->id); other != end; ++other)
        if (other->bookmark != bookmark && !other->bookmark->oddFolder
            && other->bookmark->folderId == target)
            return false; // the new value name is taken: writing it would lose that bookmark
    if (!m_keyOpen)
        return false;
    const QByteArray oldName = valueName(bookmark);
    const bool oddName = m_oddNames.contains(bookmark);
    const QByteArray idText =
        oddName ? splitName(oldName)->id.toByteArray() : QByteArray::number(bookmark->id);
    const QByteArray newName = bookmarkName(target, idText);
    if (!renameValue(oldName, newName, bookmark->plain))
        return false;
    unindexBookmark(bookmark);
    touch(bookmark->folderId);
    touch(target);
    bookmark->folderId = target;
    bookmark->oddFolder = false;
    if (oddName && StoredText::isPlainNumber(idText))
        m_oddNames.remove(bookmark);
    else if (oddName)
        m_oddNames[bookmark] = newName;
    indexBookmark(bookmark);
    return true;
}

bool BookmarkStore::moveBookmarkById(int id, int folderId)
{
    return moveBookmark(bookmarkWithId(id), folderId);
}

bool BookmarkStore::moveBookmarkByTag(const QString &tag, int folderId)
{
    Bookmark *bookmark = bookmarkWithTag(tag);
    if (bookmark)
        setTag(bookmark, {});
    return moveBookmark(bookmark, folderId);
}

// ---- folders

BookmarkStore::Folder *BookmarkStore::folderWithId(int id) const
{
    return firstInListOrder(m_foldersById, id);
}

qsizetype BookmarkStore::folderPosition(const Folder *folder) const
{
    return seqPosition(m_folders, folder) - m_folders.begin();
}

void BookmarkStore::makeFolderCurrent(const Folder *folder)
{
    m_currentFolder = FolderRecord{folder->id, folder->name, folder->parentId};
}

bool BookmarkStore::nextFolder()
{
    if (m_folderCursor + 1 >= int(m_folders.size())) {
        m_folderCursor = int(m_folders.size());
        return false;
    }
    makeFolderCurrent(m_folders[++m_folderCursor].get());
    return true;
}

bool BookmarkStore::selectFolderAt(int index)
{
    if (index < 0 || index >= int(m_folders.size()))
        return false;
    m_folderCursor = index;
    makeFolderCurrent(m_folders[index].get());
    return true;
}

std::optional<FolderRecord> BookmarkStore::folder(int id) const
{
    const Folder *found = folderWithId(id);
    if (!found)
        return std::nullopt;
    return FolderRecord{found->id, found->name, found->parentId};
}

QList<FolderRecord> BookmarkStore::childFolders(int parentId) const
{
    QList<FolderRecord> children;
    for (const Folder *folder : m_childFolders.value(parentId))
        children.append(FolderRecord{folder->id, folder->name, folder->parentId});
    return children;
}

int BookmarkStore::findFolder(const QString &name, int parentId) const
{
    const auto children = m_childFolders.constFind(std::max(parentId, 0));
    if (children == m_childFolders.cend())
        return -1;
    const QString wanted = name.trimmed();
    for (const Folder *folder : *children)
        if (folder->name.trimmed().compare(wanted, Qt::CaseInsensitive) == 0)
            return folder->id;
    return -1;
}

bool BookmarkStore::isFolderNameTaken(const QString &name, const QString &parentId) const
{
    return findFolder(name, StoredText::leadingInt(parentId.toUtf8())) != -1
        || name.trimmed().compare(QLatin1String("Favorites"), Qt::CaseInsensitive) == 0;
}

// Blanks around a folder name are no part of it: "News " is "News".
static QString storedFolderName(const QString &name)
{
    return QString::fromUtf8(StoredText::line(name.trimmed()));
}

bool BookmarkStore::writeFolder(const QByteArray &valueName, const QString &name, int parentId)
{
    return m_keyOpen
        && m_hive->setValue(KeyPath, valueName, bookmarkCipherEncipher(folderPlain(name, parentId)));
}

int BookmarkStore::addFolder(const QString &name, int parentId)
{
    if (!m_keyOpen)
        return WriteFailed;
    if (m_highestFolderId >= MaxId)
        return -1;
    auto folder = std::make_unique<Folder>();
    folder->id = m_highestFolderId + 1;
    folder->valueName = BookmarkValue::folderName(folder->id);
    folder->name = storedFolderName(name);
    folder->parentId = std::max(parentId, 0);
    if (!writeFolder(folder->valueName, folder->name, folder->parentId))
        return WriteFailed;
    m_highestFolderId = folder->id;
    folder->seq = m_nextSeq++;
    Folder *added = folder.get();
    m_folders.push_back(std::move(folder));
    m_foldersById.insert(added->id, added);
    m_childFolders[added->parentId].push_back(added);
    touch(added->parentId);
    m_currentFolderNameKnown = false;
    return added->id;
}

bool BookmarkStore::renameFolder(int folderId, const QString &name)
{
    Folder *folder = folderWithId(folderId);
    if (!folder)
        return false;
    QString stored = storedFolderName(name);
    if (!writeFolder(folder->valueName, stored, folder->parentId))
        return false;
    folder->name = std::move(stored);
    touch(folder->parentId);
    m_currentFolderNameKnown = false;
    return true;
}

bool BookmarkStore::isInSubtree(int folderId, int rootId) const
{
    for (std::size_t steps = 0; folderId != 0 && steps <= m_folders.size(); ++steps) {
        if (folderId == rootId)
            return true;
        const Folder *folder = folderWithId(folderId);
        if (!folder)
            return false;
        folderId = folder->parentId;
    }
    return false;
}

void BookmarkStore::unlinkChild(Folder *folder)
{
    auto siblings = m_childFolders.find(folder->parentId);
    if (siblings == m_childFolders.end())
        return;
    auto at = seqPosition(*siblings, folder);
    if (at != siblings->end() && *at == folder)
        siblings->erase(at);
    if (siblings->empty())
        m_childFolders.erase(siblings);
}

bool BookmarkStore::setFolderParent(int folderId, int parentId)
{
    parentId = std::max(parentId, 0);
    Folder *folder = folderWithId(folderId);
    if (!folder || isInSubtree(parentId, folderId))
        return false; // a folder cannot go inside itself
    if (parentId != 0 && !folderWithId(parentId))
        return false; // nor under a folder that is not there: it would vanish from every tree
    if (!writeFolder(folder->valueName, folder->name, parentId))
        return false;
    unlinkChild(folder);
    touch(folder->parentId);
    touch(parentId);
    folder->parentId = parentId;
    auto &siblings = m_childFolders[parentId];
    siblings.insert(seqPosition(siblings, folder), folder);
    return true;
}

// The folder and every folder below it, each once even in a damaged hive.
std::vector<BookmarkStore::Folder *> BookmarkStore::subtree(Folder *root) const
{
    std::vector<Folder *> folders{root};
    QSet<const Folder *> seen{root};
    for (std::size_t next = 0; next < folders.size(); ++next) {
        for (Folder *child : m_childFolders.value(folders[next]->id)) {
            if (!seen.contains(child)) {
                seen.insert(child);
                folders.push_back(child);
            }
        }
    }
    return folders;
}

void BookmarkStore::forgetFolder(Folder *folder)
{
    unlinkChild(folder);
    m_childFolders.remove(folder->id);
    m_foldersById.remove(folder->id, folder);
    m_folders.erase(m_folders.begin() + folderPosition(folder));
}

// The whole subtree leaves the hive in one transaction, and memory only after
// it has committed.
bool BookmarkStore::deleteFolder(const QString &folderId)
{
    Folder *root = folderWithId(StoredText::leadingInt(folderId.toUtf8()));
    if (!root || !m_keyOpen)
        return false;
    const std::vector<Folder *> folders = subtree(root);
    QSet<Bookmark *> bookmarks;
    for (const Folder *folder : folders)
        if (const BookmarkList *listed = bookmarksIn(QByteArrayView(folder->valueName).sliced(2)))
            bookmarks.unite(QSet<Bookmark *>(listed->begin(), listed->end()));
    {
        HiveTransaction transaction(m_hive);
        if (!transaction.isOpen())
            return false;
        for (const Bookmark *bookmark : std::as_const(bookmarks))
            if (!deleteValue(valueName(bookmark)))
                return false;
        for (const Folder *folder : folders)
            if (!deleteValue(folder->valueName))
                return false;
        if (!transaction.commit())
            return false;
    }
    touch(root->parentId);
    forgetBookmarks(bookmarks);
    for (auto it = folders.rbegin(); it != folders.rend(); ++it)
        forgetFolder(*it);
    m_currentFolderNameKnown = false;
    return true;
}


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
    bool oddFolder; // the folder id text is not a plain number: see m_memory->oddNames
    bool tagWaiting = false; // its tag is not in the index yet: see m_memory->tagsToIndex
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

class BookmarkStore::ActionEnd final
{
public:
    explicit ActionEnd(const BookmarkStore *store)
#ifndef QT_NO_DEBUG
        : m_store(store), m_open(store->inTransaction())
#endif
    {
        Q_UNUSED(store)
    }
    ~ActionEnd()
    {
#ifndef QT_NO_DEBUG
        Q_ASSERT_X(m_open || m_store->m_batches > 0 || !m_store->inTransaction(), "BookmarkStore",
                   "a change left a write transaction open");
#endif
    }
    Q_DISABLE_COPY_MOVE(ActionEnd)

private:
#ifndef QT_NO_DEBUG
    const BookmarkStore *m_store;
    bool m_open;
#endif
};

struct BookmarkStore::Memory
{
    std::vector<std::unique_ptr<Bookmark>> bookmarks;
    QHash<int, BookmarkList> bookmarksInFolder;           // by folder id
    QHash<QByteArray, BookmarkList> bookmarksInOddFolder; // folder id texts not plain numbers
    BookmarkList *lastList = nullptr; // in bookmarksInFolder, until it is erased from
    int lastListId = 0;
    IdIndex idIndex; // sorted by id, then list order
    bool idIndexSorted = true;
    bool loading = false;
    QHash<QString, Bookmark *> bookmarksByTag; // a tag names one bookmark
    std::vector<Bookmark *> tagsToIndex;       // tagged since the last lookup or listing
    QHash<const Bookmark *, QByteArray> oddNames; // value names not of the usual form
    qint64 nextSeq = 0;

    // Bookmarks still only in the hive: those of folders not yet asked for.
    struct UnreadId
    {
        int id;
        int folderId;
    };
    bool allRead = false;
    bool namesKnown = true; // the unread ids and counts, the highest id and place
    QSet<int> readFolders;            // folders whose bookmarks are all in memory
    QSet<int> foldersWithUnread;      // folders with bookmarks not yet read
    std::vector<UnreadId> unreadIds; // entries of folders read since are stale
    bool unreadIdsSorted = true;     // by id
    int unreadCount = 0;

    std::vector<std::unique_ptr<Folder>> folders;
    QMultiHash<int, Folder *> foldersById;
    QHash<int, std::vector<Folder *>> childFolders; // by parent id, in list order

    CurrentBookmark current;
    QByteArray currentPlain;             // current's texts, as stored
    bool currentDecoded = true;  // current holds them converted
    bool currentFolderNameKnown = false; // current.folderName names current.folderId
    FolderRecord currentFolder;
    int folderCursor = -1;
    int highestFolderId = 100;
    int highestBookmarkId = 1000;
    qint64 cursor = -1;  // list order key of the cursor's bookmark
    Bookmark *cursorBookmark = nullptr; // the cursor's bookmark, while it exists
    std::size_t scanPlace = 0;          // in the scanned list, after the last step
    QByteArray filter;   // folder id text of the scan; empty scans all
    bool filtered = false;
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

BookmarkStore::BookmarkStore(Hive *hive) : m_hive(hive), m_memory(std::make_unique<Memory>())
{
    m_keyOpen = m_hive && m_hive->createKey(KeyPath);
    m_memory->allRead = !m_keyOpen; // nothing to read
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
    if (!hive)
        return true;
    // A file that cannot be read is no first run: the default collection must
    // never be written over what it may hold.
    const Hive::Lookup done = hive->readValue(KeyPath, "INI");
    return done && !*done;
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

// A read that fails leaves the store empty and refusing every write: what it
// would write could not be set against what the hive holds.
void BookmarkStore::load()
{
    if (readAll())
        return;
    m_memory = std::make_unique<Memory>();
    m_memory->allRead = true;
    m_keyOpen = false;
}

bool BookmarkStore::readAll()
{
    // Folders are most of what is read now: one read for all of them.
    struct ReadNow
    {
        qint64 seq;
        QByteArray name;
        std::optional<QByteArray> plain; // none yet for the odd names
    };
    std::vector<ReadNow> now;
    const bool folders = m_hive->visitValuesWithPrefix(
        KeyPath, "gr", [&now](qint64 seq, QByteArrayView name, QByteArrayView data) {
            if (readAtOnce(name, laterName(name).has_value()))
                now.push_back({seq, name.toByteArray(), bookmarkCipherDecipher(data)});
        });
    if (!folders)
        return false;
    // The rest of what is read now: where the hive keeps the odd names apart,
    // the usual ones wait until something needs them all (learnNames).
    const auto takeOdd = [&now](qint64 seq, QByteArrayView name) {
        if (!inFolderRange(name) && readAtOnce(name, laterName(name).has_value()))
            now.push_back({seq, name.toByteArray(), std::nullopt});
    };
    const std::optional<bool> odd = m_hive->visitOddValueNames(KeyPath, takeOdd);
    if (odd == false)
        return false;
    m_memory->namesKnown = !odd;
    if (m_memory->namesKnown) {
        const bool named =
            m_hive->visitValueNames(KeyPath, [this, &takeOdd](qint64 seq, QByteArrayView name) {
                m_memory->nextSeq = std::max(m_memory->nextSeq, seq + 1);
                if (const std::optional<LaterName> later = laterName(name))
                    noteUnread(*later);
                else
                    takeOdd(seq, name);
            });
        if (!named)
            return false;
        m_memory->unreadIdsSorted = false; // on the first lookup by id
    }
    std::sort(now.begin(), now.end(), [](const auto &a, const auto &b) { return a.seq < b.seq; });
    m_memory->foldersById.reserve(qsizetype(now.size()));
    m_memory->loading = true;
    for (ReadNow &value : now) {
        if (!value.plain) {
            const Hive::Lookup data = m_hive->readValue(KeyPath, value.name);
            if (!data)
                return false;
            if (!*data)
                continue; // gone since its name was read
            value.plain = bookmarkCipherDecipher(**data);
        }
        if (value.name.contains("gr"))
            loadFolder(value.name, *value.plain, value.seq);
        if (value.name.contains("ur"))
            loadBookmark(value.name, *value.plain, value.seq);
    }
    m_memory->loading = false;
    if (!m_memory->idIndexSorted)
        std::sort(m_memory->idIndex.begin(), m_memory->idIndex.end(), idBefore);
    m_memory->idIndexSorted = true;
    m_memory->allRead = m_memory->namesKnown && m_memory->unreadCount == 0;
    // The first addition or lookup by id then finds them read.
    if (!m_memory->namesKnown)
        m_hive->readNamesAhead(KeyPath);
    mendParentLoops();
    for (const auto &folder : m_memory->folders)
        m_memory->childFolders[folder->parentId].push_back(folder.get());
    checkIndexes();
    return true;
}

// Every name, for what only all of them tell: the highest id and place in use,
// and which bookmarks are still unread. What has been read since the load (and
// only that can have changed) is left out.
// Only a whole read counts: the highest id taken from part of the names could
// give a new bookmark the name of one already there.
bool BookmarkStore::learnNames() const
{
    Memory &memory = *m_memory;
    if (memory.namesKnown)
        return true;
    qint64 nextSeq = memory.nextSeq;
    std::vector<std::pair<qint64, LaterName>> later;
    const bool whole = m_hive->visitValueNames(KeyPath, [&](qint64 seq, QByteArrayView name) {
        nextSeq = std::max(nextSeq, seq + 1);
        if (const std::optional<LaterName> parts = laterName(name))
            later.emplace_back(seq, *parts);
    });
    if (!whole)
        return false;
    auto *self = const_cast<BookmarkStore *>(this);
    memory.namesKnown = true;
    memory.nextSeq = nextSeq;
    for (const auto &[seq, name] : later) {
        memory.highestBookmarkId = std::max(memory.highestBookmarkId, name.id);
        if (!memory.allRead && !memory.readFolders.contains(name.folderId))
            self->noteUnread(name);
    }
    memory.unreadIdsSorted = false;
    memory.allRead = memory.allRead || memory.unreadCount == 0;
    return true;
}

void BookmarkStore::noteUnread(const LaterName &name)
{
    m_memory->highestBookmarkId = std::max(m_memory->highestBookmarkId, name.id);
    m_memory->unreadIds.push_back({name.id, name.folderId});
    // The index hands the names over sorted, so a folder's come together.
    if (m_memory->unreadIds.size() < 2 || m_memory->unreadIds[m_memory->unreadIds.size() - 2].folderId != name.folderId)
        m_memory->foldersWithUnread.insert(name.folderId);
    ++m_memory->unreadCount;
}

// Reading is no change: the store holds the same collection before and after,
// so the readers below count as const.
// Bookmarks read by prefix are taken into memory only once the read is whole:
// a read cut short leaves memory as it was, to be tried again.
struct BookmarkStore::ReadBookmark
{
    LaterName name;
    QByteArray plain;
    qint64 seq;
};

bool BookmarkStore::readBookmarks(const QByteArray &prefix,
                                  const std::function<bool(const LaterName &)> &wanted,
                                  std::vector<ReadBookmark> &read) const
{
    return m_hive->visitValuesWithPrefix(
        KeyPath, prefix, [&](qint64 seq, QByteArrayView name, QByteArrayView data) {
            const std::optional<LaterName> later = laterName(name);
            if (later && wanted(*later))
                read.push_back({*later, bookmarkCipherDecipher(data), seq});
        });
}

void BookmarkStore::takeRead(std::vector<ReadBookmark> &read)
{
    const std::size_t firstNew = m_memory->bookmarks.size();
    const std::size_t firstNewId = m_memory->idIndex.size();
    m_memory->loading = true;
    for (ReadBookmark &bookmark : read)
        loadBookmark(bookmark.name, std::move(bookmark.plain), bookmark.seq);
    m_memory->loading = false;
    placeLoaded(firstNew, firstNewId);
    checkIndexes();
}

bool BookmarkStore::loadFolderBookmarks(int folderId) const
{
    Memory &memory = *m_memory;
    if (memory.allRead || memory.readFolders.contains(folderId))
        return true;
    // Before the names are known, every folder may hold unread bookmarks.
    if (memory.namesKnown && !memory.foldersWithUnread.contains(folderId)) {
        memory.readFolders.insert(folderId);
        return true;
    }
    std::vector<ReadBookmark> read;
    if (!readBookmarks(bookmarkName(folderId, {}),
                       [folderId](const LaterName &name) { return name.folderId == folderId; },
                       read))
        return false;
    memory.readFolders.insert(folderId);
    memory.foldersWithUnread.remove(folderId);
    const_cast<BookmarkStore *>(this)->takeRead(read);
    return true;
}

bool BookmarkStore::loadAll() const
{
    if (!learnNames())
        return false;
    if (m_memory->allRead)
        return true;
    auto *self = const_cast<BookmarkStore *>(this);
    std::vector<ReadBookmark> read;
    if (!readBookmarks("ur",
                       [self](const LaterName &name) {
                           return !self->m_memory->readFolders.contains(name.folderId);
                       },
                       read))
        return false;
    self->takeRead(read);
    self->m_memory->allRead = true;
    self->m_memory->readFolders.clear();
    self->m_memory->foldersWithUnread.clear();
    self->m_memory->unreadIds = {};
    self->m_memory->unreadCount = 0;
    return true;
}

// Bookmarks just read were appended in the order the hive handed them over:
// each list gets them in its own order among those it held.
void BookmarkStore::placeLoaded(std::size_t firstNew, std::size_t firstNewId)
{
    const std::size_t read = m_memory->bookmarks.size() - firstNew;
    m_memory->unreadCount = std::max(0, m_memory->unreadCount - int(read));
    if (read == 0)
        return;
    const auto bySeq = [](const auto &a, const auto &b) { return a->seq < b->seq; };
    const auto newOnes = m_memory->bookmarks.begin() + qsizetype(firstNew);
    if (!std::is_sorted(newOnes, m_memory->bookmarks.end(), bySeq))
        std::sort(newOnes, m_memory->bookmarks.end(), bySeq);
    // A folder list may have held a bookmark read at once, with a later place.
    QSet<BookmarkList *> lists;
    for (auto at = newOnes; at != m_memory->bookmarks.end(); ++at)
        lists.insert(&folderList(at->get()));
    for (BookmarkList *list : std::as_const(lists))
        if (!std::is_sorted(list->begin(), list->end(), bySeq))
            std::sort(list->begin(), list->end(), bySeq);
    std::inplace_merge(m_memory->bookmarks.begin(), newOnes, m_memory->bookmarks.end(), bySeq);
    std::sort(m_memory->idIndex.begin() + qsizetype(firstNewId), m_memory->idIndex.end(), idBefore);
    std::inplace_merge(m_memory->idIndex.begin(), m_memory->idIndex.begin() + qsizetype(firstNewId),
                       m_memory->idIndex.end(), idBefore);
    m_memory->idIndexSorted = true;
}

// Forgets everything in memory and loads it again from the hive.
void BookmarkStore::reload()
{
    m_memory = std::make_unique<Memory>();
    m_reloadedAt = ++m_changes;
    m_changedAt.clear();
    load();
}

// The indexes agree with the lists they index: checked in debug builds after
// every load and change, where the collection is small enough for a walk.
void BookmarkStore::checkIndexes() const
{
#ifndef QT_NO_DEBUG
    const Memory &memory = *m_memory;
    if (memory.bookmarks.size() > 20000)
        return;
    const auto bySeq = [](const auto &a, const auto &b) { return a->seq < b->seq; };
    Q_ASSERT(std::is_sorted(memory.bookmarks.begin(), memory.bookmarks.end(), bySeq));
    Q_ASSERT(std::is_sorted(memory.idIndex.begin(), memory.idIndex.end(), idBefore));
    std::size_t listed = 0;
    for (auto list = memory.bookmarksInFolder.cbegin(); list != memory.bookmarksInFolder.cend();
         ++list) {
        Q_ASSERT(std::is_sorted(list->begin(), list->end(), bySeq));
        for (const Bookmark *bookmark : *list)
            Q_ASSERT(!bookmark->oddFolder && bookmark->folderId == list.key());
        listed += list->size();
    }
    for (const BookmarkList &list : memory.bookmarksInOddFolder)
        listed += list.size();
    Q_ASSERT(listed == memory.bookmarks.size());
    Q_ASSERT(memory.idIndex.size() + std::size_t(memory.oddNames.size()) == listed);
    Q_ASSERT(!memory.lastList
             || memory.lastList == &*memory.bookmarksInFolder.constFind(memory.lastListId));
    for (auto tagged = memory.bookmarksByTag.cbegin(); tagged != memory.bookmarksByTag.cend();
         ++tagged)
        Q_ASSERT(tagged.value()->tag == tagged.key() || tagged.value()->tagWaiting);
    Q_ASSERT(!memory.cursorBookmark
             || seqPosition(memory.bookmarks, memory.cursorBookmark)->get()
                 == memory.cursorBookmark);
    Q_ASSERT(qsizetype(memory.folders.size()) == memory.foldersById.size());
    std::size_t children = 0;
    for (const auto &siblings : memory.childFolders)
        children += siblings.size();
    Q_ASSERT(children == memory.folders.size());
#endif
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
    return m_memory->childFolders.contains(std::max(folderId, 0));
}

bool BookmarkStore::hasBookmarks(int folderId) const
{
    folderId = std::max(folderId, 0);
    const BookmarkList *listed = listedIn(QByteArray::number(folderId));
    if (listed && !listed->empty())
        return true;
    if (!m_memory->namesKnown) {
        // A folder read holds what is listed; one not read yet, what the hive
        // names under it, which a hive may tell without every name learned.
        if (m_memory->readFolders.contains(folderId))
            return false;
        if (const auto named = m_hive->hasValuesWithPrefix(KeyPath, bookmarkName(folderId, {})))
            return *named;
    }
    learnNames();
    return m_memory->foldersWithUnread.contains(folderId);
}

int BookmarkStore::bookmarkCount() const
{
    learnNames();
    return int(m_memory->bookmarks.size()) + m_memory->unreadCount;
}

HiveError BookmarkStore::lastError() const
{
    return m_hive ? m_hive->lastError() : HiveError{HiveError::Other, 0, {}};
}

bool BookmarkStore::inTransaction() const
{
    return m_hive && m_hive->isInTransaction();
}

bool BookmarkStore::beginBatch()
{
    if (!m_keyOpen || !m_hive->beginTransaction())
        return false;
    ++m_batches;
    return true;
}

bool BookmarkStore::commitBatch()
{
    if (m_batches == 0)
        return false; // none open: nothing to commit, and the hive's own must stay
    --m_batches;
    const ActionEnd end(this);
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
    m_memory->foldersById.insert(id, folder.get());
    m_memory->folders.push_back(std::move(folder));
    m_memory->highestFolderId = std::max(m_memory->highestFolderId, id);
    m_memory->nextSeq = std::max(m_memory->nextSeq, seq + 1); // a new folder goes after every one read
}

void BookmarkStore::loadBookmark(QByteArrayView name, QByteArray plain, qint64 seq)
{
    const std::optional<NameParts> parts = splitName(name);
    if (!parts)
        return; // no folder could ever list it; left as it is in the hive
    const int id = StoredText::leadingInt(parts->id);
    appendBookmark(StoredText::leadingInt(parts->folder), !StoredText::isPlainNumber(parts->folder),
                   id, std::move(plain), parts->usual ? QByteArray() : name.toByteArray(), seq);
    m_memory->highestBookmarkId = std::max(m_memory->highestBookmarkId, id);
}

// A name already taken apart: most of a large folder's, read when it is first used.
void BookmarkStore::loadBookmark(const LaterName &name, QByteArray plain, qint64 seq)
{
    appendBookmark(name.folderId, false, name.id, std::move(plain), {}, seq);
    m_memory->highestBookmarkId = std::max(m_memory->highestBookmarkId, name.id);
}

// A damaged hive may hold folders whose parent chain loops, or whose parent is
// missing; each loop's first folder in list order, and each orphan, is taken as
// top-level so that every walk ends and every folder can be seen.
void BookmarkStore::mendParentLoops()
{
    for (const auto &folder : m_memory->folders)
        folder->walk = Folder::Unseen;
    std::vector<Folder *> path;
    for (const auto &start : m_memory->folders) {
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
    m_memory->bookmarks.push_back(std::move(bookmark));
    if (!oddName.isEmpty())
        m_memory->oddNames.insert(added, oddName);
    indexBookmark(added);
    return added;
}

BookmarkStore::BookmarkList &BookmarkStore::folderList(const Bookmark *bookmark)
{
    if (!bookmark->oddFolder) {
        // Neighbours in the list mostly share a folder: the last list found is kept
        // until the hash changes shape.
        if (!m_memory->lastList || m_memory->lastListId != bookmark->folderId) {
            m_memory->lastList = &m_memory->bookmarksInFolder[bookmark->folderId];
            m_memory->lastListId = bookmark->folderId;
        }
        return *m_memory->lastList;
    }
    return m_memory->bookmarksInOddFolder[splitName(m_memory->oddNames.value(bookmark))->folder.toByteArray()];
}

void BookmarkStore::dropFolderListIfEmpty(const Bookmark *bookmark)
{
    if (!bookmark->oddFolder) {
        auto list = m_memory->bookmarksInFolder.find(bookmark->folderId);
        if (list != m_memory->bookmarksInFolder.end() && list->empty()) {
            m_memory->bookmarksInFolder.erase(list);
            m_memory->lastList = nullptr;
        }
        return;
    }
    const QByteArray text = splitName(m_memory->oddNames.value(bookmark))->folder.toByteArray();
    auto list = m_memory->bookmarksInOddFolder.find(text);
    if (list != m_memory->bookmarksInOddFolder.end() && list->empty())
        m_memory->bookmarksInOddFolder.erase(list);
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
        auto list = m_memory->bookmarksInFolder.constFind(StoredText::leadingInt(folderText));
        return list == m_memory->bookmarksInFolder.cend() ? nullptr : &*list;
    }
    auto list = m_memory->bookmarksInOddFolder.constFind(folderText.toByteArray());
    return list == m_memory->bookmarksInOddFolder.cend() ? nullptr : &*list;
}

void BookmarkStore::indexBookmark(Bookmark *bookmark)
{
    BookmarkList &folder = folderList(bookmark);
    // Loading appends in list order; asking the last entry would only cost a
    // cache miss per bookmark.
    if (m_memory->loading || folder.empty() || folder.back()->seq < bookmark->seq)
        folder.push_back(bookmark);
    else
        folder.insert(seqPosition(folder, bookmark), bookmark);
    if (!m_memory->oddNames.contains(bookmark))
        addToIdIndex(bookmark);
    if (!bookmark->tag.isEmpty()) {
        indexTags();
        m_memory->bookmarksByTag.insert(bookmark->tag, bookmark);
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
        m_memory->bookmarksByTag.remove(bookmark->tag);
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
    if (m_memory->idIndex.empty() || idBefore(m_memory->idIndex.back(), entry) || m_memory->loading) {
        m_memory->idIndexSorted = m_memory->idIndexSorted && (m_memory->idIndex.empty() || idBefore(m_memory->idIndex.back(), entry));
        m_memory->idIndex.push_back(entry);
        return;
    }
    m_memory->idIndex.insert(std::lower_bound(m_memory->idIndex.begin(), m_memory->idIndex.end(), entry, idBefore), entry);
}

void BookmarkStore::removeFromIdIndex(Bookmark *bookmark)
{
    const IdEntry entry{bookmark->id, bookmark};
    auto at = std::lower_bound(m_memory->idIndex.begin(), m_memory->idIndex.end(), entry, idBefore);
    if (at != m_memory->idIndex.end() && at->bookmark == bookmark)
        m_memory->idIndex.erase(at);
}

std::pair<BookmarkStore::IdIndex::const_iterator, BookmarkStore::IdIndex::const_iterator>
BookmarkStore::sameId(int id) const
{
    struct ById
    {
        bool operator()(const IdEntry &e, int id) const { return e.id < id; }
        bool operator()(int id, const IdEntry &e) const { return id < e.id; }
    };
    return std::equal_range(m_memory->idIndex.cbegin(), m_memory->idIndex.cend(), id, ById());
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
    if (bookmark->tag == tag && m_memory->tagsToIndex.empty())
        return;
    if (!bookmark->tag.isEmpty()) {
        const auto held = m_memory->bookmarksByTag.constFind(bookmark->tag);
        if (held != m_memory->bookmarksByTag.cend() && *held == bookmark)
            m_memory->bookmarksByTag.erase(held);
    }
    bookmark->tag = tag;
    if (!tag.isEmpty()) {
        bookmark->tagWaiting = true;
        m_memory->tagsToIndex.push_back(bookmark);
    }
}

// The index as if every waiting tag had been indexed when it was handed out:
// each takes its tag from the bookmark that held it.
void BookmarkStore::indexTags() const
{
    if (m_memory->tagsToIndex.empty())
        return;
    m_memory->bookmarksByTag.reserve(m_memory->bookmarksByTag.size() + qsizetype(m_memory->tagsToIndex.size()));
    for (Bookmark *bookmark : m_memory->tagsToIndex) {
        bookmark->tagWaiting = false;
        Bookmark *&holder = m_memory->bookmarksByTag[bookmark->tag];
        if (holder && holder != bookmark)
            holder->tag.clear();
        holder = bookmark;
    }
    m_memory->tagsToIndex = {};
}

QByteArray BookmarkStore::valueName(const Bookmark *bookmark) const
{
    const auto odd = m_memory->oddNames.constFind(bookmark);
    if (odd != m_memory->oddNames.cend())
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
        const auto byId = [](const Memory::UnreadId &a, const Memory::UnreadId &b) { return a.id < b.id; };
        if (!m_memory->unreadIdsSorted)
            std::sort(m_memory->unreadIds.begin(), m_memory->unreadIds.end(), byId);
        m_memory->unreadIdsSorted = true;
        const auto [from, to] =
            std::equal_range(m_memory->unreadIds.cbegin(), m_memory->unreadIds.cend(), Memory::UnreadId{id, 0}, byId);
        for (auto unread = from; unread != to; ++unread)
            loadFolderBookmarks(unread->folderId);
        auto [first, end] = sameId(id);
        found = first == end ? nullptr : first->bookmark;
    }
    for (auto odd = m_memory->oddNames.cbegin(); odd != m_memory->oddNames.cend(); ++odd) {
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
        return m_memory->bookmarksByTag.value(tag);
    loadAll();
    for (const auto &bookmark : m_memory->bookmarks)
        if (bookmark->tag.isEmpty())
            return bookmark.get();
    return nullptr;
}

BookmarkStore::Bookmark *BookmarkStore::bookmarkAtCursor() const
{
    if (m_memory->cursorBookmark && m_memory->cursorBookmark->seq == m_memory->cursor)
        return m_memory->cursorBookmark;
    auto at = std::lower_bound(m_memory->bookmarks.begin(), m_memory->bookmarks.end(), m_memory->cursor,
                               [](const auto &entry, qint64 seq) { return entry->seq < seq; });
    return at != m_memory->bookmarks.end() && (*at)->seq == m_memory->cursor ? at->get() : nullptr;
}

qsizetype BookmarkStore::positionOf(const Bookmark *bookmark) const
{
    return seqPosition(m_memory->bookmarks, bookmark) - m_memory->bookmarks.begin();
}

// The texts are converted when first asked for, from the data as it was made
// current: a scan that only lists (or only counts) converts none.
const CurrentBookmark &BookmarkStore::currentBookmark() const
{
    if (!m_memory->currentDecoded) {
        const Lines lines = splitLines(m_memory->currentPlain);
        m_memory->current.address = QString::fromUtf8(lines.field[0]);
        m_memory->current.title = QString::fromUtf8(lines.field[1]);
        m_memory->current.comments = QString::fromUtf8(lines.field[2]);
        m_memory->current.reserved = QString::fromUtf8(lines.field[3]);
        m_memory->current.rating = clampRating(StoredText::leadingInt(lines.rest));
        m_memory->currentDecoded = true;
    }
    return m_memory->current;
}

BookmarkFields BookmarkStore::currentFields() const
{
    return BookmarkFields(m_memory->currentPlain);
}

void BookmarkStore::makeCurrent(const Bookmark *bookmark)
{
    m_memory->cursor = bookmark->seq;
    m_memory->cursorBookmark = const_cast<Bookmark *>(bookmark);
    m_memory->currentPlain = bookmark->plain;
    m_memory->currentDecoded = false;
    // A scan stays in one folder: its name is looked up once.
    if (!m_memory->currentFolderNameKnown || m_memory->current.folderId != bookmark->folderId) {
        const Folder *folder = folderWithId(bookmark->folderId);
        m_memory->current.folderName = folder ? folder->name : QString();
        m_memory->currentFolderNameKnown = true;
    }
    m_memory->current.id = bookmark->id;
    m_memory->current.folderId = bookmark->folderId;
}

bool BookmarkStore::streamBookmarks(const std::function<bool(const StoredBookmark &)> &visit) const
{
    if (m_memory->allRead) {
        visitReadBookmarks(visit);
        return true;
    }
    // The hive holds all that memory does: every change is written through.
    return m_hive->visitValues(KeyPath, [&visit](QByteArrayView name, QByteArrayView data) {
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

bool BookmarkStore::visitBookmarks(const std::function<void(const StoredBookmark &)> &visit) const
{
    if (!loadAll())
        return false;
    visitReadBookmarks([&visit](const StoredBookmark &bookmark) {
        visit(bookmark);
        return true;
    });
    return true;
}

void BookmarkStore::visitReadBookmarks(
    const std::function<bool(const StoredBookmark &)> &visit) const
{
    for (const auto &bookmark : m_memory->bookmarks) {
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
    m_memory->cursor = -1;
    m_memory->filter = folderId == u"-1" ? QByteArray("0") : folderId.toUtf8();
    m_memory->filtered = true;
}

bool BookmarkStore::nextBookmark()
{
    const Bookmark *next = nullptr;
    if (!m_memory->filtered) {
        loadAll();
        auto at = afterSeq(m_memory->bookmarks, m_memory->cursor);
        next = at == m_memory->bookmarks.end() ? nullptr : at->get();
    } else if (const BookmarkList *folder = bookmarksIn(m_memory->filter)) {
        // A scan steps through one list: the place after the last step is tried
        // before a search, and kept only while the cursor still stands before it.
        std::size_t at = m_memory->scanPlace;
        if (at == 0 || at > folder->size() || (*folder)[at - 1]->seq != m_memory->cursor)
            at = std::size_t(afterSeq(*folder, m_memory->cursor) - folder->begin());
        next = at < folder->size() ? (*folder)[at] : nullptr;
        m_memory->scanPlace = at + 1;
    }
    if (!next) {
        m_memory->cursor = std::numeric_limits<qint64>::max();
        return false;
    }
    makeCurrent(next);
    return true;
}

qsizetype BookmarkStore::scanLength() const
{
    if (!m_memory->filtered)
        return bookmarkCount();
    const BookmarkList *folder = listedIn(m_memory->filter);
    return folder ? qsizetype(folder->size()) : 0;
}

void BookmarkStore::endBookmarkScan()
{
    m_memory->cursor = -1;
    m_memory->filter.clear();
    m_memory->filtered = false;
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
    makeCurrent(m_memory->bookmarks[position].get());
    return true;
}

void BookmarkStore::setCurrentBookmarkTag(const QString &tag)
{
    Bookmark *bookmark = bookmarkAtCursor();
    if (!bookmark)
        return;
    // The first row of a folder's listing tagged: a listing tags every row, so
    // room for them all at once rather than by doubling.
    if (m_memory->filtered && m_memory->scanPlace == 1)
        if (const BookmarkList *folder = listedIn(m_memory->filter))
            m_memory->tagsToIndex.reserve(m_memory->tagsToIndex.size() + folder->size());
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
    checkIndexes();
    return true;
}

int BookmarkStore::addBookmark(const BookmarkRecord &record)
{
    const ActionEnd end(this);
    if (!m_keyOpen)
        return WriteFailed;
    if (!learnNames()) // the highest id and place in use
        return WriteFailed;
    if (m_memory->highestBookmarkId >= MaxId)
        return -1;
    const int id = m_memory->highestBookmarkId + 1;
    const int folderId = std::max(0, StoredText::leadingInt(record.folderOrKey.toUtf8()));
    // So that the new one lands after those the folder holds.
    if (!loadFolderBookmarks(folderId))
        return WriteFailed;
    QByteArray plain = composePlain(record);
    if (!m_hive->insertValue(KeyPath, bookmarkName(folderId, QByteArray::number(id)),
                             bookmarkCipherEncipher(plain)))
        return WriteFailed;
    m_memory->highestBookmarkId = id;
    touch(folderId);
    Bookmark *bookmark =
        appendBookmark(folderId, false, id, std::move(plain), {}, m_memory->nextSeq++);
    makeCurrent(bookmark);
    checkIndexes();
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
    const ActionEnd end(this);
    return updateBookmark(bookmarkWithIdText(record.folderOrKey.toUtf8()), record);
}

bool BookmarkStore::updateBookmarkByTag(const BookmarkRecord &record)
{
    const ActionEnd end(this);
    return updateBookmark(bookmarkWithTag(record.folderOrKey), record);
}

bool BookmarkStore::setBookmarkTitle(int id, const QString &title)
{
    const ActionEnd end(this);
    Bookmark *bookmark = bookmarkWithId(id);
    return bookmark && writeBookmark(bookmark, withTitle(bookmark->plain, title));
}

// A value already gone from the hive counts as deleted: memory may follow.
// One that cannot be looked up may still be there.
bool BookmarkStore::deleteValue(const QByteArray &name)
{
    if (!m_keyOpen)
        return false;
    if (m_hive->deleteValue(KeyPath, name))
        return true;
    const Hive::Lookup left = m_hive->readValue(KeyPath, name);
    return left && !*left;
}

void BookmarkStore::forgetBookmarks(const QSet<Bookmark *> &bookmarks)
{
    if (bookmarks.contains(m_memory->cursorBookmark))
        m_memory->cursorBookmark = nullptr;
    for (Bookmark *bookmark : bookmarks) {
        unindexBookmark(bookmark);
        m_memory->oddNames.remove(bookmark);
    }
    std::erase_if(m_memory->bookmarks, [&](const auto &b) { return bookmarks.contains(b.get()); });
}

// One bookmark: the list is in seq order, so its entry is found without a walk.
void BookmarkStore::forgetBookmark(Bookmark *bookmark)
{
    if (m_memory->cursorBookmark == bookmark)
        m_memory->cursorBookmark = nullptr;
    unindexBookmark(bookmark);
    m_memory->oddNames.remove(bookmark);
    auto at = seqPosition(m_memory->bookmarks, bookmark);
    if (at == m_memory->bookmarks.end() || at->get() != bookmark)
        at = std::find_if(m_memory->bookmarks.begin(), m_memory->bookmarks.end(),
                          [&](const auto &entry) { return entry.get() == bookmark; });
    if (at != m_memory->bookmarks.end())
        m_memory->bookmarks.erase(at);
}

bool BookmarkStore::removeBookmark(Bookmark *bookmark)
{
    if (!bookmark || !deleteValue(valueName(bookmark)))
        return false;
    touch(bookmark->folderId);
    forgetBookmark(bookmark);
    checkIndexes();
    return true;
}

bool BookmarkStore::deleteBookmarkById(int id)
{
    const ActionEnd end(this);
    return removeBookmark(bookmarkWithId(id));
}

bool BookmarkStore::deleteBookmarkByTag(const QString &tag)
{
    const ActionEnd end(this);
    return removeBookmark(bookmarkWithTag(tag));
}

// Renamed in place, a value keeps its place in the hive's order as in the list.
// Where the hive cannot rename (and no failure of the file's was the reason), the value is written anew under the new name,
// but never over another value that already has it.
bool BookmarkStore::renameValue(const QByteArray &from, const QByteArray &to,
                                const QByteArray &plain)
{
    if (m_hive->renameValue(KeyPath, from, to))
        return true;
    if (m_hive->lastError().kind != HiveError::None)
        return false; // the file refused it: another way would fare no better
    const Hive::Lookup taken = m_hive->readValue(KeyPath, to);
    if (!taken || *taken)
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
    if (!loadFolderBookmarks(target)) // its bookmarks decide whether the new name is free
        return false;
    for (auto [other, end] = sameId(bookmark->id); other != end; ++other)
        if (other->bookmark != bookmark && !other->bookmark->oddFolder
            && other->bookmark->folderId == target)
            return false; // the new value name is taken: writing it would lose that bookmark
    if (!m_keyOpen)
        return false;
    const QByteArray oldName = valueName(bookmark);
    const bool oddName = m_memory->oddNames.contains(bookmark);
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
        m_memory->oddNames.remove(bookmark);
    else if (oddName)
        m_memory->oddNames[bookmark] = newName;
    indexBookmark(bookmark);
    checkIndexes();
    return true;
}

bool BookmarkStore::moveBookmarkById(int id, int folderId)
{
    const ActionEnd end(this);
    return moveBookmark(bookmarkWithId(id), folderId);
}

bool BookmarkStore::moveBookmarkByTag(const QString &tag, int folderId)
{
    const ActionEnd end(this);
    Bookmark *bookmark = bookmarkWithTag(tag);
    if (bookmark)
        setTag(bookmark, {});
    return moveBookmark(bookmark, folderId);
}

// ---- folders

BookmarkStore::Folder *BookmarkStore::folderWithId(int id) const
{
    return firstInListOrder(m_memory->foldersById, id);
}

qsizetype BookmarkStore::folderPosition(const Folder *folder) const
{
    return seqPosition(m_memory->folders, folder) - m_memory->folders.begin();
}

void BookmarkStore::makeFolderCurrent(const Folder *folder)
{
    m_memory->currentFolder = FolderRecord{folder->id, folder->name, folder->parentId};
}

void BookmarkStore::resetFolderScan()
{
    m_memory->folderCursor = -1;
}

int BookmarkStore::folderCursor() const
{
    return m_memory->folderCursor;
}

const FolderRecord &BookmarkStore::currentFolder() const
{
    return m_memory->currentFolder;
}

int BookmarkStore::folderCount() const
{
    return int(m_memory->folders.size());
}

int BookmarkStore::currentBookmarkId() const
{
    return m_memory->current.id;
}

bool BookmarkStore::nextFolder()
{
    if (m_memory->folderCursor + 1 >= int(m_memory->folders.size())) {
        m_memory->folderCursor = int(m_memory->folders.size());
        return false;
    }
    makeFolderCurrent(m_memory->folders[++m_memory->folderCursor].get());
    return true;
}

bool BookmarkStore::selectFolderAt(int index)
{
    if (index < 0 || index >= int(m_memory->folders.size()))
        return false;
    m_memory->folderCursor = index;
    makeFolderCurrent(m_memory->folders[index].get());
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
    for (const Folder *folder : m_memory->childFolders.value(parentId))
        children.append(FolderRecord{folder->id, folder->name, folder->parentId});
    return children;
}

int BookmarkStore::findFolder(const QString &name, int parentId) const
{
    const auto children = m_memory->childFolders.constFind(std::max(parentId, 0));
    if (children == m_memory->childFolders.cend())
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
    const ActionEnd end(this);
    if (!m_keyOpen)
        return WriteFailed;
    if (m_memory->highestFolderId >= MaxId)
        return -1;
    auto folder = std::make_unique<Folder>();
    folder->id = m_memory->highestFolderId + 1;
    folder->valueName = BookmarkValue::folderName(folder->id);
    folder->name = storedFolderName(name);
    folder->parentId = std::max(parentId, 0);
    if (!m_hive->insertValue(KeyPath, folder->valueName,
                             bookmarkCipherEncipher(folderPlain(folder->name, folder->parentId))))
        return WriteFailed;
    m_memory->highestFolderId = folder->id;
    folder->seq = m_memory->nextSeq++;
    Folder *added = folder.get();
    m_memory->folders.push_back(std::move(folder));
    m_memory->foldersById.insert(added->id, added);
    m_memory->childFolders[added->parentId].push_back(added);
    touch(added->parentId);
    m_memory->currentFolderNameKnown = false;
    checkIndexes();
    return added->id;
}

bool BookmarkStore::renameFolder(int folderId, const QString &name)
{
    const ActionEnd end(this);
    Folder *folder = folderWithId(folderId);
    if (!folder)
        return false;
    QString stored = storedFolderName(name);
    if (!writeFolder(folder->valueName, stored, folder->parentId))
        return false;
    folder->name = std::move(stored);
    touch(folder->parentId);
    m_memory->currentFolderNameKnown = false;
    return true;
}

bool BookmarkStore::isInSubtree(int folderId, int rootId) const
{
    for (std::size_t steps = 0; folderId != 0 && steps <= m_memory->folders.size(); ++steps) {
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
    auto siblings = m_memory->childFolders.find(folder->parentId);
    if (siblings == m_memory->childFolders.end())
        return;
    auto at = seqPosition(*siblings, folder);
    if (at != siblings->end() && *at == folder)
        siblings->erase(at);
    if (siblings->empty())
        m_memory->childFolders.erase(siblings);
}

bool BookmarkStore::setFolderParent(int folderId, int parentId)
{
    const ActionEnd end(this);
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
    auto &siblings = m_memory->childFolders[parentId];
    siblings.insert(seqPosition(siblings, folder), folder);
    return true;
}

// The folder and every folder below it, each once even in a damaged hive.
std::vector<BookmarkStore::Folder *> BookmarkStore::subtree(Folder *root) const
{
    std::vector<Folder *> folders{root};
    QSet<const Folder *> seen{root};
    for (std::size_t next = 0; next < folders.size(); ++next) {
        for (Folder *child : m_memory->childFolders.value(folders[next]->id)) {
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
    m_memory->childFolders.remove(folder->id);
    m_memory->foldersById.remove(folder->id, folder);
    m_memory->folders.erase(m_memory->folders.begin() + folderPosition(folder));
}

// The whole subtree leaves the hive in one transaction, and memory only after
// it has committed.
bool BookmarkStore::deleteFolder(const QString &folderId)
{
    const ActionEnd end(this);
    Folder *root = folderWithId(StoredText::leadingInt(folderId.toUtf8()));
    if (!root || !m_keyOpen)
        return false;
    const std::vector<Folder *> folders = subtree(root);
    QSet<Bookmark *> bookmarks;
    for (const Folder *folder : folders) {
        const QByteArrayView idText = QByteArrayView(folder->valueName).sliced(2);
        // Bookmarks left unread would stay in the hive, in a folder gone.
        if (StoredText::isPlainNumber(idText)
            && !loadFolderBookmarks(StoredText::leadingInt(idText)))
            return false;
        if (const BookmarkList *listed = listedIn(idText))
            bookmarks.unite(QSet<Bookmark *>(listed->begin(), listed->end()));
    }
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
    m_memory->currentFolderNameKnown = false;
    checkIndexes();
    return true;
}


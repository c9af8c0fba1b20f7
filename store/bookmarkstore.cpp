#include "store/bookmarkstore.h"

#include "store/bookmarkcipher.h"
#include "store/bookmarkindex.h"
#include "store/bookmarkvalue.h"
#include "store/defaultcollection.h"
#include "store/folderindex.h"
#include "store/hive/hive.h"
#include "store/hivereader.h"
#include "store/scancursor.h"
#include "store/seqorder.h"
#include "store/storedtext.h"
#include "store/tagindex.h"

#include <QSet>

#include <algorithm>
#include <limits>
#include <optional>

const QString BookmarkStore::KeyPath = QStringLiteral("Software\\k-vane\\Harbrow\\Bookmarks");

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
    explicit Memory(Hive *hive) : reader(hive, KeyPath, bookmarks, folders) {}
    Q_DISABLE_COPY_MOVE(Memory)

    void clear()
    {
        cursor.clear();
        tags.clear();
        bookmarks.clear();
        folders.clear();
        reader.clear();
    }

    BookmarkIndex bookmarks;
    TagIndex tags;
    FolderIndex folders;
    ScanCursor cursor;
    HiveReader reader; // reads into the bookmarks and folders above
};

using namespace BookmarkValue;

namespace {

constexpr int MaxId = std::numeric_limits<int>::max();

} // namespace

BookmarkStore::BookmarkStore(Hive *hive) : m_hive(hive), m_memory(std::make_unique<Memory>(hive))
{
    m_keyOpen = m_hive && m_hive->createKey(KeyPath);
    if (!m_keyOpen) {
        m_memory->reader.markAllRead(); // nothing to read
        return;
    }
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

// A read that fails leaves the store empty and refusing every write: what it
// would write could not be set against what the hive holds.
void BookmarkStore::load()
{
    if (m_memory->reader.readAll()) {
        checkIndexes();
        return;
    }
    m_memory->clear();
    m_memory->reader.markAllRead();
    m_keyOpen = false;
}

// Forgets everything in memory and loads it again from the hive.
void BookmarkStore::reload()
{
    m_memory = std::make_unique<Memory>(m_hive);
    m_reloadedAt = ++m_changes;
    m_changedAt.clear();
    load();
}

// The indexes agree with what they index: checked in debug builds after every
// load and change, where the collection is small enough for a walk.
void BookmarkStore::checkIndexes() const
{
#ifndef QT_NO_DEBUG
    const Memory &memory = *m_memory;
    if (memory.bookmarks.size() > 20000)
        return;
    memory.bookmarks.check();
    memory.tags.check();
    memory.folders.check();
    const BookmarkEntry *held = memory.cursor.heldBookmark();
    Q_ASSERT(!held || memory.bookmarks.withSeq(held->seq) == held);
#endif
}

bool BookmarkStore::loadFolderBookmarks(int folderId) const
{
    return m_memory->reader.readFolder(folderId);
}

bool BookmarkStore::loadAll() const
{
    return m_memory->reader.readEverything();
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
    return m_memory->folders.hasChildren(std::max(folderId, 0));
}

bool BookmarkStore::hasBookmarks(int folderId) const
{
    folderId = std::max(folderId, 0);
    const BookmarkIndex::List *listed =
        m_memory->bookmarks.listedIn(QByteArray::number(folderId));
    if (listed && !listed->empty())
        return true;
    return m_memory->reader.hasUnread(folderId);
}

int BookmarkStore::bookmarkCount() const
{
    m_memory->reader.learnNames();
    return int(m_memory->bookmarks.size()) + m_memory->reader.unreadCount();
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

// ---- bookmarks: lists and lookups

const std::vector<BookmarkEntry *> *BookmarkStore::bookmarksIn(QByteArrayView folderText) const
{
    if (StoredText::isPlainNumber(folderText))
        loadFolderBookmarks(StoredText::leadingInt(folderText));
    return m_memory->bookmarks.listedIn(folderText);
}

void BookmarkStore::index(BookmarkEntry *bookmark)
{
    m_memory->bookmarks.index(bookmark);
    m_memory->tags.add(bookmark);
}

void BookmarkStore::unindex(BookmarkEntry *bookmark)
{
    m_memory->bookmarks.unindex(bookmark);
    m_memory->tags.remove(bookmark);
}

BookmarkEntry *BookmarkStore::bookmarkWithId(int id) const
{
    return bookmarkWithIdText(QByteArray::number(id));
}

BookmarkEntry *BookmarkStore::bookmarkWithIdText(const QByteArray &idText) const
{
    const BookmarkIndex &bookmarks = m_memory->bookmarks;
    const int id = StoredText::leadingInt(idText);
    BookmarkEntry *found = nullptr;
    if (StoredText::isPlainNumber(idText)) {
        // Every bookmark with the id must be in memory for the first to be found.
        m_memory->reader.learnNames();
        m_memory->reader.readWithId(id);
        auto [first, end] = bookmarks.sameId(id);
        found = first == end ? nullptr : first->bookmark;
    }
    for (auto odd = bookmarks.oddNames().cbegin(); odd != bookmarks.oddNames().cend(); ++odd) {
        auto *bookmark = const_cast<BookmarkEntry *>(odd.key());
        if (splitName(*odd)->id == idText && (!found || bookmark->seq < found->seq))
            found = bookmark;
    }
    return found;
}

BookmarkEntry *BookmarkStore::bookmarkWithTag(const QString &tag) const
{
    if (!tag.isEmpty())
        return m_memory->tags.find(tag);
    m_memory->tags.flush();
    loadAll();
    for (const auto &bookmark : m_memory->bookmarks.all())
        if (bookmark->tag.isEmpty())
            return bookmark.get();
    return nullptr;
}

BookmarkEntry *BookmarkStore::bookmarkAtCursor() const
{
    if (BookmarkEntry *held = m_memory->cursor.cachedBookmark())
        return held;
    return m_memory->bookmarks.withSeq(m_memory->cursor.position());
}

const CurrentBookmark &BookmarkStore::currentBookmark() const
{
    return m_memory->cursor.current();
}

BookmarkFields BookmarkStore::currentFields() const
{
    return m_memory->cursor.fields();
}

int BookmarkStore::currentBookmarkId() const
{
    return m_memory->cursor.currentId();
}

void BookmarkStore::makeCurrent(const BookmarkEntry *bookmark)
{
    m_memory->cursor.makeCurrent(bookmark, m_memory->folders);
}

bool BookmarkStore::streamBookmarks(const std::function<bool(const StoredBookmark &)> &visit) const
{
    if (m_memory->reader.allRead()) {
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
    for (const auto &bookmark : m_memory->bookmarks.all()) {
        const Lines lines = splitLines(bookmark->plain);
        if (!visit({lines.field[0], lines.field[1], lines.field[2],
                    clampRating(StoredText::leadingInt(lines.rest)), bookmark->folderId}))
            return;
    }
}

// ---- bookmarks: scans and selection

void BookmarkStore::beginBookmarkScan(const QString &folderId)
{
    m_memory->tags.flush(); // only the last listing's tags wait
    m_memory->cursor.begin(folderId);
}

bool BookmarkStore::nextBookmark()
{
    ScanCursor &cursor = m_memory->cursor;
    const BookmarkEntry *next = nullptr;
    const QByteArray &filter = cursor.filter();
    const bool read = !cursor.filtered() ? loadAll()
        : !StoredText::isPlainNumber(filter) || loadFolderBookmarks(StoredText::leadingInt(filter));
    cursor.setFailed(!read);
    if (!read) {
        cursor.finish();
        return false;
    }
    if (!cursor.filtered()) {
        next = m_memory->bookmarks.after(cursor.position());
    } else if (const BookmarkIndex::List *folder = m_memory->bookmarks.listedIn(filter)) {
        // A scan steps through one list: the place after the last step is tried
        // before a search, and kept only while the cursor still stands before it.
        std::size_t at = cursor.place();
        if (at == 0 || at > folder->size() || (*folder)[at - 1]->seq != cursor.position())
            at = std::size_t(SeqOrder::after(*folder, cursor.position()) - folder->begin());
        next = at < folder->size() ? (*folder)[at] : nullptr;
        cursor.setPlace(at + 1);
    }
    if (!next) {
        cursor.finish();
        return false;
    }
    makeCurrent(next);
    return true;
}

qsizetype BookmarkStore::scanLength() const
{
    if (!m_memory->cursor.filtered())
        return bookmarkCount();
    const BookmarkIndex::List *folder = m_memory->bookmarks.listedIn(m_memory->cursor.filter());
    return folder ? qsizetype(folder->size()) : 0;
}

bool BookmarkStore::scanFailed() const
{
    return m_memory->cursor.failed();
}

void BookmarkStore::endBookmarkScan()
{
    m_memory->cursor.end();
}

bool BookmarkStore::selectBookmarkById(const QString &id)
{
    const BookmarkEntry *bookmark = bookmarkWithIdText(id.toUtf8());
    if (bookmark)
        makeCurrent(bookmark);
    return bookmark;
}

bool BookmarkStore::selectBookmarkByTag(const QString &tag)
{
    const BookmarkEntry *bookmark = bookmarkWithTag(tag);
    if (bookmark)
        makeCurrent(bookmark);
    return bookmark;
}

bool BookmarkStore::selectBookmarkAt(int position)
{
    if (position < 0 || position >= bookmarkCount())
        return false;
    loadAll();
    makeCurrent(m_memory->bookmarks.at(std::size_t(position)));
    return true;
}

void BookmarkStore::setCurrentBookmarkTag(const QString &tag)
{
    BookmarkEntry *bookmark = bookmarkAtCursor();
    if (!bookmark)
        return;
    // The first row of a folder's listing tagged: a listing tags every row, so
    // room for them all at once rather than by doubling.
    const ScanCursor &cursor = m_memory->cursor;
    if (cursor.filtered() && cursor.place() == 1)
        if (const BookmarkIndex::List *folder = m_memory->bookmarks.listedIn(cursor.filter()))
            m_memory->tags.reserve(folder->size());
    m_memory->tags.set(bookmark, tag);
}

// ---- bookmarks: changes

// Every change below reaches the hive first and memory only once the hive has
// taken it, so that a failed write leaves both as they were.

bool BookmarkStore::writeBookmark(BookmarkEntry *bookmark, QByteArray plain)
{
    if (!m_keyOpen
        || !m_hive->setValue(KeyPath, m_memory->bookmarks.valueName(bookmark),
                             bookmarkCipherEncipher(plain)))
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
    if (!m_memory->reader.learnNames()) // the highest id and place in use
        return WriteFailed;
    if (m_memory->bookmarks.highestId() >= MaxId)
        return -1;
    const int id = m_memory->bookmarks.highestId() + 1;
    const int folderId = std::max(0, StoredText::leadingInt(record.folderOrKey.toUtf8()));
    // So that the new one lands after those the folder holds.
    if (!loadFolderBookmarks(folderId))
        return WriteFailed;
    QByteArray plain = composePlain(record);
    if (!m_hive->insertValue(KeyPath, bookmarkName(folderId, QByteArray::number(id)),
                             bookmarkCipherEncipher(plain)))
        return WriteFailed;
    touch(folderId);
    BookmarkEntry *bookmark = m_memory->bookmarks.append(folderId, false, id, std::move(plain),
                                                         {}, m_memory->reader.takeSeq());
    makeCurrent(bookmark);
    checkIndexes();
    return bookmarkCount() - 1;
}

bool BookmarkStore::updateBookmark(BookmarkEntry *bookmark, const BookmarkRecord &record)
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
    BookmarkEntry *bookmark = bookmarkWithId(id);
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

void BookmarkStore::forgetBookmarks(const QSet<BookmarkEntry *> &bookmarks)
{
    for (BookmarkEntry *bookmark : bookmarks) {
        m_memory->cursor.forget(bookmark);
        m_memory->tags.remove(bookmark);
    }
    m_memory->bookmarks.forget(bookmarks);
}

void BookmarkStore::forgetBookmark(BookmarkEntry *bookmark)
{
    m_memory->cursor.forget(bookmark);
    m_memory->tags.remove(bookmark);
    m_memory->bookmarks.forget(bookmark);
}

bool BookmarkStore::removeBookmark(BookmarkEntry *bookmark)
{
    if (!bookmark || !deleteValue(m_memory->bookmarks.valueName(bookmark)))
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

bool BookmarkStore::moveBookmark(BookmarkEntry *bookmark, int folderId)
{
    if (!bookmark)
        return false;
    BookmarkIndex &bookmarks = m_memory->bookmarks;
    const int target = std::max(folderId, 0);
    if (!bookmark->oddFolder && bookmark->folderId == target)
        return true;
    if (!loadFolderBookmarks(target)) // its bookmarks decide whether the new name is free
        return false;
    for (auto [other, end] = bookmarks.sameId(bookmark->id); other != end; ++other)
        if (other->bookmark != bookmark && !other->bookmark->oddFolder
            && other->bookmark->folderId == target)
            return false; // the new value name is taken: writing it would lose that bookmark
    if (!m_keyOpen)
        return false;
    const QByteArray oldName = bookmarks.valueName(bookmark);
    const bool oddName = bookmarks.hasOddName(bookmark);
    const QByteArray idText =
        oddName ? splitName(oldName)->id.toByteArray() : QByteArray::number(bookmark->id);
    const QByteArray newName = bookmarkName(target, idText);
    if (!renameValue(oldName, newName, bookmark->plain))
        return false;
    unindex(bookmark);
    touch(bookmark->folderId);
    touch(target);
    bookmark->folderId = target;
    bookmark->oddFolder = false;
    if (oddName && StoredText::isPlainNumber(idText))
        bookmarks.dropOddName(bookmark);
    else if (oddName)
        bookmarks.setOddName(bookmark, newName);
    index(bookmark);
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
    BookmarkEntry *bookmark = bookmarkWithTag(tag);
    if (bookmark)
        m_memory->tags.set(bookmark, {});
    return moveBookmark(bookmark, folderId);
}

// ---- folders

void BookmarkStore::makeFolderCurrent(const FolderEntry *folder)
{
    m_memory->cursor.makeFolderCurrent(FolderRecord{folder->id, folder->name, folder->parentId});
}

void BookmarkStore::resetFolderScan()
{
    m_memory->cursor.setFolderCursor(-1);
}

int BookmarkStore::folderCursor() const
{
    return m_memory->cursor.folderCursor();
}

const FolderRecord &BookmarkStore::currentFolder() const
{
    return m_memory->cursor.currentFolder();
}

int BookmarkStore::folderCount() const
{
    return m_memory->folders.size();
}

bool BookmarkStore::nextFolder()
{
    const int next = m_memory->cursor.folderCursor() + 1;
    if (next >= m_memory->folders.size()) {
        m_memory->cursor.setFolderCursor(m_memory->folders.size());
        return false;
    }
    m_memory->cursor.setFolderCursor(next);
    makeFolderCurrent(m_memory->folders.at(next));
    return true;
}

bool BookmarkStore::selectFolderAt(int index)
{
    if (index < 0 || index >= m_memory->folders.size())
        return false;
    m_memory->cursor.setFolderCursor(index);
    makeFolderCurrent(m_memory->folders.at(index));
    return true;
}

std::optional<FolderRecord> BookmarkStore::folder(int id) const
{
    const FolderEntry *found = m_memory->folders.withId(id);
    if (!found)
        return std::nullopt;
    return FolderRecord{found->id, found->name, found->parentId};
}

QList<FolderRecord> BookmarkStore::childFolders(int parentId) const
{
    QList<FolderRecord> children;
    for (const FolderEntry *folder : m_memory->folders.children(parentId))
        children.append(FolderRecord{folder->id, folder->name, folder->parentId});
    return children;
}

int BookmarkStore::findFolder(const QString &name, int parentId) const
{
    return m_memory->folders.findChild(name, std::max(parentId, 0));
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
    FolderIndex &folders = m_memory->folders;
    if (folders.highestId() >= MaxId)
        return -1;
    auto folder = std::make_unique<FolderEntry>();
    folder->id = folders.highestId() + 1;
    folder->valueName = BookmarkValue::folderName(folder->id);
    folder->name = storedFolderName(name);
    folder->parentId = std::max(parentId, 0);
    if (!m_hive->insertValue(KeyPath, folder->valueName,
                             bookmarkCipherEncipher(folderPlain(folder->name, folder->parentId))))
        return WriteFailed;
    folder->seq = m_memory->reader.takeSeq();
    const FolderEntry *added = folders.add(std::move(folder));
    touch(added->parentId);
    m_memory->cursor.folderNamesChanged();
    checkIndexes();
    return added->id;
}

bool BookmarkStore::renameFolder(int folderId, const QString &name)
{
    const ActionEnd end(this);
    FolderEntry *folder = m_memory->folders.withId(folderId);
    if (!folder)
        return false;
    QString stored = storedFolderName(name);
    if (!writeFolder(folder->valueName, stored, folder->parentId))
        return false;
    folder->name = std::move(stored);
    touch(folder->parentId);
    m_memory->cursor.folderNamesChanged();
    return true;
}

bool BookmarkStore::setFolderParent(int folderId, int parentId)
{
    const ActionEnd end(this);
    FolderIndex &folders = m_memory->folders;
    parentId = std::max(parentId, 0);
    FolderEntry *folder = folders.withId(folderId);
    if (!folder || folders.isInSubtree(parentId, folderId))
        return false; // a folder cannot go inside itself
    if (parentId != 0 && !folders.withId(parentId))
        return false; // nor under a folder that is not there: it would vanish from every tree
    if (!writeFolder(folder->valueName, folder->name, parentId))
        return false;
    touch(folder->parentId);
    touch(parentId);
    folders.setParent(folder, parentId);
    return true;
}

// The whole subtree leaves the hive in one transaction, and memory only after
// it has committed.
bool BookmarkStore::deleteFolder(const QString &folderId)
{
    const ActionEnd end(this);
    FolderIndex &folderIndex = m_memory->folders;
    FolderEntry *root = folderIndex.withId(StoredText::leadingInt(folderId.toUtf8()));
    if (!root || !m_keyOpen)
        return false;
    const std::vector<FolderEntry *> folders = folderIndex.subtree(root);
    QSet<BookmarkEntry *> bookmarks;
    for (const FolderEntry *folder : folders) {
        const QByteArrayView idText = QByteArrayView(folder->valueName).sliced(2);
        // Bookmarks left unread would stay in the hive, in a folder gone.
        if (StoredText::isPlainNumber(idText)
            && !loadFolderBookmarks(StoredText::leadingInt(idText)))
            return false;
        if (const BookmarkIndex::List *listed = m_memory->bookmarks.listedIn(idText))
            bookmarks.unite(QSet<BookmarkEntry *>(listed->begin(), listed->end()));
    }
    {
        HiveTransaction transaction(m_hive);
        if (!transaction.isOpen())
            return false;
        for (const BookmarkEntry *bookmark : std::as_const(bookmarks))
            if (!deleteValue(m_memory->bookmarks.valueName(bookmark)))
                return false;
        for (const FolderEntry *folder : folders)
            if (!deleteValue(folder->valueName))
                return false;
        if (!transaction.commit())
            return false;
    }
    touch(root->parentId);
    forgetBookmarks(bookmarks);
    for (auto it = folders.rbegin(); it != folders.rend(); ++it)
        folderIndex.forget(*it);
    m_memory->cursor.folderNamesChanged();
    checkIndexes();
    return true;
}

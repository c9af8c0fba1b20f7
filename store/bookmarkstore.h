#pragma once

#include "store/bookmarkfields.h"
#include "store/bookmarkrecord.h"
#include "store/folderrecord.h"
#include "store/hive/hive.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QMultiHash>
#include <QSet>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>


// Every bookmark and folder, in the hive and, as far as they are used, in
// memory. Each folder and bookmark is one enciphered value; every change is
// written through before the call returns, and changes memory only when the
// hive took it: a call that fails has changed neither. Bookmarks keep the
// hive's order (that of first writing); scans and first-match lookups follow it.
//
// Folders are read at once; a folder's bookmarks when something first asks
// for that folder, so that a large collection costs memory and start-up time
// for what is shown, not for what it holds. Whatever asks for every bookmark
// (a walk over all, a place in the whole list) reads them all once. Where the
// hive lists odd names apart, even the bookmarks' names wait until an addition,
// a count or a lookup by id needs them.
class BookmarkStore final
{
public:
    static const QString KeyPath;
    // What addBookmark and addFolder return when the hive refused the write.
    static constexpr int WriteFailed = -2;

    // Loads the store; on the very first run writes the default collection.
    explicit BookmarkStore(Hive *hive);
    ~BookmarkStore();
    Q_DISABLE_COPY_MOVE(BookmarkStore)

    // Whether no store has ever been loaded from this hive. Only reads.
    static bool isFirstRun(Hive *hive);
    // Marks the first run as over, so that a store loaded from this hive starts
    // with what it holds and no default collection (a stand-in for a damaged file).
    static bool markFirstRunDone(Hive *hive);
    // Lets the hive read what a store loaded from it reads first, the folders
    // and then the top level's bookmarks, while the caller does other work.
    static void readAhead(Hive *hive);

    // Bookmark scans and selection; results land in currentBookmark().
    void beginBookmarkScan(const QString &folderId);
    bool nextBookmark();
    void endBookmarkScan();
    // How many bookmarks the scan lists at most, once it has listed the first.
    qsizetype scanLength() const;
    bool selectBookmarkById(const QString &id);
    bool selectBookmarkByTag(const QString &tag);
    // The bookmark at this place in list order, as visitBookmarks meets them.
    bool selectBookmarkAt(int position);
    void setCurrentBookmarkTag(const QString &tag);
    const CurrentBookmark &currentBookmark() const;
    // The current bookmark's listed texts, converted only when asked for.
    BookmarkFields currentFields() const;
    int currentBookmarkId() const; // converts nothing

    // Bookmark changes. addBookmark returns the new list position (the last),
    // -1 when no id is left, or WriteFailed.
    int addBookmark(const BookmarkRecord &record);
    bool updateBookmarkById(const BookmarkRecord &record);
    bool updateBookmarkByTag(const BookmarkRecord &record);
    bool setBookmarkTitle(int id, const QString &title);
    bool deleteBookmarkById(int id);
    bool deleteBookmarkByTag(const QString &tag);
    bool moveBookmarkById(int id, int folderId);
    bool moveBookmarkByTag(const QString &tag, int folderId);

    // Folder walk; results land in currentFolder().
    void resetFolderScan();
    bool nextFolder();
    int folderCursor() const;
    bool selectFolderAt(int index);
    const FolderRecord &currentFolder() const;

    // The direct subfolders of a folder, in list order.
    QList<FolderRecord> childFolders(int parentId) const;

    // The folder with this id (the first in list order), if there is one.
    std::optional<FolderRecord> folder(int id) const;

    // Folder lookups and changes. addFolder returns the new id, -1 when no id
    // is left, or WriteFailed.
    int findFolder(const QString &name, int parentId) const;
    bool isFolderNameTaken(const QString &name, const QString &parentId) const;
    int addFolder(const QString &name, int parentId);
    bool renameFolder(int folderId, const QString &name);
    bool setFolderParent(int folderId, int parentId);
    bool deleteFolder(const QString &folderId);

    // Groups the changes that follow into one transaction until commitBatch, so
    // that many bookmarks cost one disk sync. A crash keeps every committed
    // batch whole and nothing of the open one.
    bool beginBatch();
    // False when the batch could not be written: the store then holds again
    // exactly what the hive holds.
    bool commitBatch();

    // Whether a folder holds any subfolder, or any bookmark ("-1" or 0: the top level).
    bool hasChildFolders(int folderId) const;
    bool hasBookmarks(int folderId) const;

    // Changes counted so that a view refreshes only the folders that changed:
    // remember changeCount() after a fill, and later ask which folders' direct
    // contents (subfolders, bookmarks, their names) changed since. None when
    // everything may have changed (the store was loaded again).
    quint64 changeCount() const { return m_changes; }
    std::optional<QList<int>> foldersChangedSince(quint64 since) const;

    int bookmarkCount() const;

    // Why the hive refused the last write that failed.
    HiveError lastError() const;

    // Reads every bookmark not yet in memory: before work on the whole
    // collection, which then needs no further reads. False when the hive
    // could not be read: memory then holds what it held.
    bool loadAll() const;

    // One bookmark as it is held: UTF-8, line breaks in the comments as TABs.
    // The views last until the store next changes.
    struct StoredBookmark
    {
        QByteArrayView address;
        QByteArrayView title;
        QByteArrayView comments;
        int rating = 0;
        int folderId = 0;
    };
    // Every bookmark in list order, without the text conversions of a scan;
    // the scan cursor and the current bookmark stay as they are. Reads them all
    // into memory first; false, having visited none, when they cannot be read.
    bool visitBookmarks(const std::function<void(const StoredBookmark &)> &visit) const;
    // The same for a single look at the bookmarks, until visit returns false:
    // what is not in memory is read from the hive and not kept. The views last
    // only for one call of visit. False when the read failed part way: what
    // was visited then is not all there is.
    bool streamBookmarks(const std::function<bool(const StoredBookmark &)> &visit) const;
    int folderCount() const;

private:
    struct Bookmark;
    struct IdEntry
    {
        int id;
        Bookmark *bookmark;
    };
    struct Folder;
    using BookmarkList = std::vector<Bookmark *>; // in list order
    using IdIndex = std::vector<IdEntry>;

    // In debug builds, at the end of every change: a transaction opened by it
    // (not by a batch, nor by the caller) is closed again, or what follows
    // would wait unsaved for a commit that never comes.
    class ActionEnd;
    bool inTransaction() const;
    void load();
    bool readAll();
    void reload();
    void checkIndexes() const;
    void loadFolder(const QByteArray &name, const QByteArray &plain, qint64 seq);
    void loadBookmark(QByteArrayView name, QByteArray plain, qint64 seq);
    struct LaterName;
    void loadBookmark(const LaterName &name, QByteArray plain, qint64 seq);
    static std::optional<LaterName> laterName(QByteArrayView name);
    void noteUnread(const LaterName &name);
    bool learnNames() const;
    void visitReadBookmarks(const std::function<bool(const StoredBookmark &)> &visit) const;
    struct ReadBookmark;
    bool readBookmarks(const QByteArray &prefix,
                       const std::function<bool(const LaterName &)> &wanted,
                       std::vector<ReadBookmark> &read) const;
    void takeRead(std::vector<ReadBookmark> &read);
    bool loadFolderBookmarks(int folderId) const;
    void placeLoaded(std::size_t firstNew, std::size_t firstNewId);
    void mendParentLoops();

    Bookmark *appendBookmark(int folderId, bool oddFolder, int id, QByteArray plain,
                             QByteArray oddName, qint64 seq);
    BookmarkList &folderList(const Bookmark *bookmark);
    void dropFolderListIfEmpty(const Bookmark *bookmark);
    const BookmarkList *bookmarksIn(QByteArrayView folderText) const;
    const BookmarkList *listedIn(QByteArrayView folderText) const;
    void indexBookmark(Bookmark *bookmark);
    void unindexBookmark(Bookmark *bookmark);
    static bool idBefore(const IdEntry &a, const IdEntry &b);
    void addToIdIndex(Bookmark *bookmark);
    void removeFromIdIndex(Bookmark *bookmark);
    std::pair<IdIndex::const_iterator, IdIndex::const_iterator> sameId(int id) const;
    void setTag(Bookmark *bookmark, const QString &tag);
    void indexTags() const;
    QByteArray valueName(const Bookmark *bookmark) const;
    Bookmark *bookmarkWithId(int id) const;
    Bookmark *bookmarkWithIdText(const QByteArray &idText) const;
    Bookmark *bookmarkWithTag(const QString &tag) const;
    Bookmark *bookmarkAtCursor() const;
    qsizetype positionOf(const Bookmark *bookmark) const;
    void makeCurrent(const Bookmark *bookmark);
    bool deleteValue(const QByteArray &name);
    bool renameValue(const QByteArray &from, const QByteArray &to, const QByteArray &plain);
    bool writeBookmark(Bookmark *bookmark, QByteArray plain);
    void forgetBookmarks(const QSet<Bookmark *> &bookmarks);
    void forgetBookmark(Bookmark *bookmark);
    bool updateBookmark(Bookmark *bookmark, const BookmarkRecord &record);
    bool removeBookmark(Bookmark *bookmark);
    bool moveBookmark(Bookmark *bookmark, int folderId);

    void touch(int folderId);

    Folder *folderWithId(int id) const;
    qsizetype folderPosition(const Folder *folder) const;
    void makeFolderCurrent(const Folder *folder);
    bool writeFolder(const QByteArray &valueName, const QString &name, int parentId);
    bool isInSubtree(int folderId, int rootId) const;
    std::vector<Folder *> subtree(Folder *root) const;
    void forgetFolder(Folder *folder);
    void unlinkChild(Folder *folder);

    Hive *m_hive;
    bool m_keyOpen = false;
    int m_batches = 0; // open batches

    // Everything a load builds, in one piece: a reload replaces it whole, so
    // that no list, cursor or cached pointer outlives what it points into.
    struct Memory;
    std::unique_ptr<Memory> m_memory;

    quint64 m_changes = 0;
    quint64 m_reloadedAt = 0;
    QHash<int, quint64> m_changedAt; // by folder id: the change count of its last change

};

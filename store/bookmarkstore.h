#pragma once

#include "store/bookmarkfields.h"
#include "store/bookmarkrecord.h"
#include "store/folderrecord.h"
#include "store/hive/hive.h"
#include "store/hive/transactionwatch.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

struct BookmarkEntry;
struct FolderEntry;


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
    // Whether the last scan ended because the hive could not be read: what
    // it listed then is not all the folder holds.
    bool scanFailed() const;
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
    // In debug builds, at the end of every change: a transaction opened by it
    // (not by a batch, nor by the caller) is closed again, or what follows
    // would wait unsaved for a commit that never comes.
    class ActionEnd;
    bool inTransaction() const;
    void load();
    void reload();
    void checkIndexes() const;
    bool loadFolderBookmarks(int folderId) const;
    void visitReadBookmarks(const std::function<bool(const StoredBookmark &)> &visit) const;

    const std::vector<BookmarkEntry *> *bookmarksIn(QByteArrayView folderText) const;
    void index(BookmarkEntry *bookmark);
    void unindex(BookmarkEntry *bookmark);
    BookmarkEntry *bookmarkWithId(int id) const;
    BookmarkEntry *bookmarkWithIdText(const QByteArray &idText) const;
    BookmarkEntry *bookmarkWithTag(const QString &tag) const;
    BookmarkEntry *bookmarkAtCursor() const;
    void makeCurrent(const BookmarkEntry *bookmark);
    bool deleteValue(const QByteArray &name);
    bool renameValue(const QByteArray &from, const QByteArray &to, const QByteArray &plain);
    bool writeBookmark(BookmarkEntry *bookmark, QByteArray plain);
    void forgetBookmarks(const QSet<BookmarkEntry *> &bookmarks);
    void forgetBookmark(BookmarkEntry *bookmark);
    bool updateBookmark(BookmarkEntry *bookmark, const BookmarkRecord &record);
    bool removeBookmark(BookmarkEntry *bookmark);
    bool moveBookmark(BookmarkEntry *bookmark, int folderId);

    void touch(int folderId);

    void makeFolderCurrent(const FolderEntry *folder);
    bool writeFolder(const QByteArray &valueName, const QString &name, int parentId);

    Hive *m_hive;
    TransactionWatch m_transactionWatch{m_hive};
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

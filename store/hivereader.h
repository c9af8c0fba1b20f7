#pragma once

#include <QByteArray>
#include <QSet>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

class BookmarkIndex;
class FolderIndex;
class Hive;

// Reads the store's values from the hive into the indexes, and keeps track of
// what is still only in the hive. Folders are read at once; a folder's
// bookmarks when something first asks for that folder. Reading is no change to
// the collection, so the store calls these from its const members too.
class HiveReader final
{
public:
    HiveReader(Hive *hive, const QString &key, BookmarkIndex &bookmarks, FolderIndex &folders);

    // The load: the folders and whatever else cannot wait. False when the hive
    // could not be read.
    bool readAll();
    // Every name, for what only all of them tell: the highest id and place in
    // use, and which bookmarks are still unread.
    bool learnNames();
    // A folder's bookmarks, if they are not in memory yet.
    bool readFolder(int folderId);
    // Every bookmark not yet in memory.
    bool readEverything();
    // Every folder holding an unread bookmark with this id; needs the names.
    void readWithId(int id);

    bool allRead() const { return m_allRead; }
    bool namesKnown() const { return m_namesKnown; }
    // Whether the hive holds bookmarks of the folder that memory does not.
    bool hasUnread(int folderId);
    int unreadCount() const { return m_unreadCount; }
    // The place in the hive's order for a new value.
    qint64 takeSeq() { return m_nextSeq++; }
    // Nothing is left to read: the hive is not there, or could not be read.
    void markAllRead() { m_allRead = true; }

    void clear();

private:
    struct LaterName
    {
        int folderId;
        int id;
    };
    struct ReadBookmark
    {
        LaterName name;
        QByteArray plain;
        qint64 seq;
    };
    struct UnreadId
    {
        int id;
        int folderId;
    };
    static std::optional<LaterName> laterName(QByteArrayView name);
    void noteUnread(const LaterName &name);
    void loadBookmark(QByteArrayView name, QByteArray plain, qint64 seq);
    bool readBookmarks(const QByteArray &prefix,
                       const std::function<bool(const LaterName &)> &wanted,
                       std::vector<ReadBookmark> &read) const;
    void takeRead(std::vector<ReadBookmark> &read);

    Hive *m_hive;
    QString m_key;
    BookmarkIndex &m_bookmarks;
    FolderIndex &m_folders;

    qint64 m_nextSeq = 0;
    bool m_allRead = false;
    bool m_namesKnown = true;        // the unread ids and counts, the highest id and place
    QSet<int> m_readFolders;         // folders whose bookmarks are all in memory
    QSet<int> m_foldersWithUnread;   // folders with bookmarks not yet read
    std::vector<UnreadId> m_unreadIds; // entries of folders read since are stale
    bool m_unreadIdsSorted = true;   // by id
    int m_unreadCount = 0;
};

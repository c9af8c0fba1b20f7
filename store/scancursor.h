#pragma once

#include "store/bookmarkfields.h"
#include "store/bookmarkrecord.h"
#include "store/folderrecord.h"

#include <QByteArray>
#include <QString>

#include <limits>

struct BookmarkEntry;
class FolderIndex;

// Where a bookmark scan and a folder walk stand, and what they made current.
class ScanCursor final
{
public:
    // A scan of one folder (by its id text; "-1" is the top level), or of all
    // when none was begun.
    void begin(const QString &folderId);
    void end();
    bool filtered() const { return m_filtered; }
    const QByteArray &filter() const { return m_filter; }
    // The list order key of the cursor's bookmark; -1 before the first.
    qint64 position() const { return m_cursor; }
    void finish() { m_cursor = std::numeric_limits<qint64>::max(); }
    // Whether the last step stopped because the bookmarks could not be read,
    // not at their end.
    void setFailed(bool failed) { m_failed = failed; }
    bool failed() const { return m_failed; }
    // In the scanned list, after the last step.
    std::size_t place() const { return m_scanPlace; }
    void setPlace(std::size_t place) { m_scanPlace = place; }

    void makeCurrent(const BookmarkEntry *bookmark, const FolderIndex &folders);
    // The cursor's bookmark, while it is still the one the cursor names.
    BookmarkEntry *cachedBookmark() const;
    const BookmarkEntry *heldBookmark() const { return m_cursorBookmark; } // for checks
    // The bookmark goes from memory: the cursor keeps its place, not the pointer.
    void forget(const BookmarkEntry *bookmark);
    void folderNamesChanged() { m_folderNameKnown = false; }
    const CurrentBookmark &current() const;
    BookmarkFields fields() const { return BookmarkFields(m_currentPlain); }
    int currentId() const { return m_current.id; }

    int folderCursor() const { return m_folderCursor; }
    void setFolderCursor(int cursor) { m_folderCursor = cursor; }
    void makeFolderCurrent(const FolderRecord &folder) { m_currentFolder = folder; }
    const FolderRecord &currentFolder() const { return m_currentFolder; }

    void clear();

private:
    mutable CurrentBookmark m_current;
    QByteArray m_currentPlain;            // current's texts, as stored
    mutable bool m_currentDecoded = true; // m_current holds them converted
    bool m_folderNameKnown = false;       // current.folderName names current.folderId
    FolderRecord m_currentFolder;
    int m_folderCursor = -1;
    qint64 m_cursor = -1;                   // list order key of the cursor's bookmark
    BookmarkEntry *m_cursorBookmark = nullptr; // the cursor's bookmark, while it exists
    std::size_t m_scanPlace = 0;
    QByteArray m_filter; // folder id text of the scan; empty scans all
    bool m_filtered = false;
    bool m_failed = false;
};

#include "store/scancursor.h"

#include "store/bookmarkentry.h"
#include "store/bookmarkvalue.h"
#include "store/folderindex.h"
#include "store/storedtext.h"

void ScanCursor::begin(const QString &folderId)
{
    m_cursor = -1;
    m_filter = folderId == u"-1" ? QByteArray("0") : folderId.toUtf8();
    m_filtered = true;
}

void ScanCursor::end()
{
    m_cursor = -1;
    m_filter.clear();
    m_filtered = false;
}

void ScanCursor::makeCurrent(const BookmarkEntry *bookmark, const FolderIndex &folders)
{
    m_cursor = bookmark->seq;
    m_cursorBookmark = const_cast<BookmarkEntry *>(bookmark);
    m_currentPlain = bookmark->plain;
    m_currentDecoded = false;
    // A scan stays in one folder: its name is looked up once.
    if (!m_folderNameKnown || m_current.folderId != bookmark->folderId) {
        const FolderEntry *folder = folders.withId(bookmark->folderId);
        m_current.folderName = folder ? folder->name : QString();
        m_folderNameKnown = true;
    }
    m_current.id = bookmark->id;
    m_current.folderId = bookmark->folderId;
}

BookmarkEntry *ScanCursor::cachedBookmark() const
{
    return m_cursorBookmark && m_cursorBookmark->seq == m_cursor ? m_cursorBookmark : nullptr;
}

void ScanCursor::forget(const BookmarkEntry *bookmark)
{
    if (m_cursorBookmark == bookmark)
        m_cursorBookmark = nullptr;
}

// The texts are converted when first asked for, from the data as it was made
// current: a scan that only lists (or only counts) converts none.
const CurrentBookmark &ScanCursor::current() const
{
    if (!m_currentDecoded) {
        const BookmarkValue::Lines lines = BookmarkValue::splitLines(m_currentPlain);
        m_current.address = QString::fromUtf8(lines.field[0]);
        m_current.title = QString::fromUtf8(lines.field[1]);
        m_current.comments = QString::fromUtf8(lines.field[2]);
        m_current.reserved = QString::fromUtf8(lines.field[3]);
        m_current.rating = BookmarkValue::clampRating(StoredText::leadingInt(lines.rest));
        m_currentDecoded = true;
    }
    return m_current;
}

void ScanCursor::clear()
{
    *this = ScanCursor();
}

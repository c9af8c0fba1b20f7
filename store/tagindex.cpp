#include "store/tagindex.h"

#include "store/bookmarkentry.h"

// A row's tag left on a bookmark that has since left the folder must never
// answer for the row that carries it now.
void TagIndex::set(BookmarkEntry *bookmark, const QString &tag)
{
    // Tagged again before a lookup: a new listing (found bookmarks list without
    // a scan), so the last one's tags go in first and none waits twice.
    if (bookmark->tagWaiting)
        flush();
    // A folder listed again hands out the same tags; with tags waiting, one of
    // them may be this bookmark's, taken from it.
    if (bookmark->tag == tag && m_waiting.empty())
        return;
    if (!bookmark->tag.isEmpty()) {
        const auto held = m_byTag.constFind(bookmark->tag);
        if (held != m_byTag.cend() && *held == bookmark)
            m_byTag.erase(held);
    }
    bookmark->tag = tag;
    if (!tag.isEmpty()) {
        bookmark->tagWaiting = true;
        m_waiting.push_back(bookmark);
    }
}

// Each waiting tag takes its tag from the bookmark that held it.
void TagIndex::flush()
{
    if (m_waiting.empty())
        return;
    m_byTag.reserve(m_byTag.size() + qsizetype(m_waiting.size()));
    for (BookmarkEntry *bookmark : m_waiting) {
        bookmark->tagWaiting = false;
        BookmarkEntry *&holder = m_byTag[bookmark->tag];
        if (holder && holder != bookmark)
            holder->tag.clear();
        holder = bookmark;
    }
    m_waiting = {};
}

void TagIndex::add(BookmarkEntry *bookmark)
{
    if (bookmark->tag.isEmpty())
        return;
    flush();
    m_byTag.insert(bookmark->tag, bookmark);
}

void TagIndex::remove(BookmarkEntry *bookmark)
{
    flush(); // no tag waits on a bookmark about to go
    if (!bookmark->tag.isEmpty())
        m_byTag.remove(bookmark->tag);
}

BookmarkEntry *TagIndex::find(const QString &tag)
{
    flush();
    return m_byTag.value(tag);
}

void TagIndex::reserve(std::size_t more)
{
    m_waiting.reserve(m_waiting.size() + more);
}

void TagIndex::clear()
{
    m_byTag.clear();
    m_waiting = {};
}

void TagIndex::check() const
{
#ifndef QT_NO_DEBUG
    for (auto tagged = m_byTag.cbegin(); tagged != m_byTag.cend(); ++tagged)
        Q_ASSERT(tagged.value()->tag == tagged.key() || tagged.value()->tagWaiting);
#endif
}

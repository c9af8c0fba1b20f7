#pragma once

#include <QHash>
#include <QString>

#include <vector>

struct BookmarkEntry;

// The tags a listing hands out, each naming one bookmark. A listing tags every
// row and most are never looked up, so the tags it hands out wait, in order,
// until the next lookup or listing indexes them.
class TagIndex final
{
public:
    void set(BookmarkEntry *bookmark, const QString &tag);
    // Takes in every waiting tag, as if each had been indexed when handed out.
    void flush();
    void add(BookmarkEntry *bookmark);
    void remove(BookmarkEntry *bookmark);
    BookmarkEntry *find(const QString &tag);
    // Room for this many more tags to wait.
    void reserve(std::size_t more);
    void clear();
    void check() const;

private:
    QHash<QString, BookmarkEntry *> m_byTag; // a tag names one bookmark
    std::vector<BookmarkEntry *> m_waiting;  // tagged since the last lookup or listing
};

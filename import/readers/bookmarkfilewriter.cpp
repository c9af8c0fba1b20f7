#include "import/readers/bookmarkfilewriter.h"

#include "store/bookmarkstore.h"

#include <QHash>
#include <QSaveFile>
#include <QSet>

#include <vector>

namespace {

using FolderBookmarks = QHash<int, std::vector<CurrentBookmark>>;

class Writer final
{
public:
    explicit Writer(BookmarkStore &store) : m_store(store) {}

    QByteArray run()
    {
        collectBookmarks();
        m_out.reserve(m_textSize + 64 * m_store.folderCount() + 256);
        m_out += "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n"
                 "<!-- This is an automatically generated file.\n"
                 "     It will be read and overwritten.\n"
                 "     DO NOT EDIT! -->\n"
                 "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">\n"
                 "<TITLE>Bookmarks</TITLE>\n"
                 "<H1>Bookmarks</H1>\n"
                 "<DL><p>\n";
        m_visited.insert(0);
        writeFolderContents(0, 1);
        // Bookmarks whose folder no walk reaches would otherwise be lost.
        for (auto group = m_bookmarks.cbegin(); group != m_bookmarks.cend(); ++group) {
            if (!m_visited.contains(group.key()))
                writeBookmarks(group.value(), 1);
        }
        m_out += "</DL><p>\n";
        return std::move(m_out);
    }

private:
    void collectBookmarks()
    {
        m_store.endBookmarkScan();
        while (m_store.nextBookmark()) {
            const CurrentBookmark &bookmark = m_store.currentBookmark();
            m_textSize += 40 + 3 * (bookmark.address.size() + bookmark.title.size())
                          + bookmark.comments.size();
            m_bookmarks[bookmark.folderId].push_back(bookmark);
        }
        m_store.endBookmarkScan();
    }

    void indent(int depth) { m_out.append(4 * depth, ' '); }

    void writeFolderContents(int folderId, int depth)
    {
        for (const FolderRecord &folder : m_store.childFolders(folderId)) {
            if (m_visited.contains(folder.id))
                continue; // a damaged hive's loop: each folder once
            m_visited.insert(folder.id);
            indent(depth);
            m_out += "<DT><H3>";
            BookmarkFileWriter::appendEscaped(m_out, folder.name);
            m_out += "</H3>\n";
            indent(depth);
            m_out += "<DL><p>\n";
            writeFolderContents(folder.id, depth + 1);
            indent(depth);
            m_out += "</DL><p>\n";
        }
        writeBookmarks(m_bookmarks.value(folderId), depth);
    }

    void writeBookmarks(const std::vector<CurrentBookmark> &bookmarks, int depth)
    {
        for (const CurrentBookmark &bookmark : bookmarks) {
            indent(depth);
            m_out += "<DT><A HREF=\"";
            BookmarkFileWriter::appendEscapedAddress(m_out, bookmark.address);
            m_out += '"';
            if (bookmark.rating > 0) {
                m_out += " RATING=\"";
                m_out += QByteArray::number(bookmark.rating);
                m_out += '"';
            }
            m_out += '>';
            BookmarkFileWriter::appendEscaped(m_out, bookmark.title);
            m_out += "</A>\n";
            if (!bookmark.comments.isEmpty()) {
                indent(depth);
                m_out += "<DD>";
                // The store holds the comments' line breaks as TABs.
                QString comments = bookmark.comments;
                comments.replace(QLatin1Char('\t'), QLatin1Char('\n'));
                BookmarkFileWriter::appendEscaped(m_out, comments);
                m_out += '\n';
            }
        }
    }

    BookmarkStore &m_store;
    FolderBookmarks m_bookmarks;
    QSet<int> m_visited;
    qsizetype m_textSize = 0;
    QByteArray m_out;
};

} // namespace

// Text between tags needs only these three: quotes and apostrophes stay
// readable for readers that keep entities as text.
void BookmarkFileWriter::appendEscaped(QByteArray &out, QStringView text)
{
    const QByteArray utf8 = text.toUtf8();
    for (const char c : utf8) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        default: out += c; break;
        }
    }
}

void BookmarkFileWriter::appendEscapedAddress(QByteArray &out, QStringView address)
{
    // Characters that cannot stand in an address anyway and would end the
    // attribute or the tag are percent-encoded; everything else, '&' included,
    // stays as it is, so the address reads back exactly.
    const QByteArray utf8 = address.toUtf8();
    for (const char c : utf8) {
        switch (c) {
        case '"': out += "%22"; break;
        case '<': out += "%3C"; break;
        case '>': out += "%3E"; break;
        case '\n': out += "%0A"; break;
        case '\r': out += "%0D"; break;
        default: out += c; break;
        }
    }
}

QByteArray BookmarkFileWriter::bookmarkFileText(BookmarkStore &store)
{
    return Writer(store).run();
}

QString BookmarkFileWriter::writeFile(const QString &path, const QByteArray &text)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    if (file.write(text) != text.size()) {
        const QString error = file.errorString();
        file.cancelWriting();
        return error;
    }
    if (!file.commit())
        return file.errorString();
    return {};
}

QString BookmarkFileWriter::exportBookmarks(BookmarkStore &store, const QString &path)
{
    return writeFile(path, bookmarkFileText(store));
}

#include "import/readers/bookmarkfilewriter.h"

#include "store/bookmarkstore.h"

#include <QBuffer>
#include <QHash>
#include <QSaveFile>

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>
#include <vector>

namespace {

// Which bytes a text may hold that need replacing, as a table for a fast scan.
using Specials = std::array<bool, 256>;

constexpr Specials specials(std::string_view bytes)
{
    Specials table{};
    for (const char c : bytes)
        table[static_cast<unsigned char>(c)] = true;
    return table;
}

// Text between tags needs only these three: quotes and apostrophes stay
// readable for readers that keep entities as text. TABs (the store's line
// breaks in comments) are special so that comments can turn them back.
constexpr Specials TextSpecials = specials("&<>\t");

std::string_view textReplacement(char c)
{
    switch (c) {
    case '&': return "&amp;";
    case '<': return "&lt;";
    case '>': return "&gt;";
    default: return "\t";
    }
}

// Characters that cannot stand in an address anyway and would end the
// attribute or the tag are percent-encoded; everything else, '&' included,
// stays as it is, so the address reads back exactly.
constexpr Specials AddressSpecials = specials("\"<>\n\r");

std::string_view addressReplacement(char c)
{
    switch (c) {
    case '"': return "%22";
    case '<': return "%3C";
    case '>': return "%3E";
    case '\n': return "%0A";
    default: return "%0D";
    }
}

// Copies UTF-8 text to at, each special byte replaced; returns the new end.
// There must be room for five bytes per byte of text.
template<typename Replacement>
char *escapeInto(char *at, QByteArrayView text, const Specials &special, Replacement replacement)
{
    for (const char c : text) {
        if (special[static_cast<unsigned char>(c)]) {
            const std::string_view replaced = replacement(c);
            std::memcpy(at, replaced.data(), replaced.size());
            at += replaced.size();
        } else {
            *at++ = c;
        }
    }
    return at;
}

template<typename Replacement>
void appendEscaped(QByteArray &out, QByteArrayView text, const Specials &special,
                   Replacement replacement)
{
    const qsizetype before = out.size();
    out.resize(before + 5 * text.size());
    out.resize(escapeInto(out.data() + before, text, special, replacement) - out.constData());
}

class Writer final
{
public:
    explicit Writer(BookmarkStore &store) : m_store(store) {}

    // Writes the whole file to device in pieces; returns whether every piece
    // was taken.
    bool write(QIODevice &device)
    {
        planFolders();
        m_store.visitBookmarks([this](const BookmarkStore::StoredBookmark &bookmark) {
            if (m_depth.contains(bookmark.folderId))
                m_bookmarks[bookmark.folderId].push_back(bookmark);
            else
                m_orphans.push_back(bookmark);
        });
        QByteArray out =
            "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n"
            "<!-- This is an automatically generated file.\n"
            "     It will be read and overwritten.\n"
            "     DO NOT EDIT! -->\n"
            "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">\n"
            "<TITLE>Bookmarks</TITLE>\n"
            "<H1>Bookmarks</H1>\n"
            "<DL><p>\n";
        out.reserve(FlushSize + 4096);
        auto flush = [&device, &out] {
            const bool written = device.write(out) == out.size();
            out.resize(0);
            return written;
        };
        for (const Step &step : std::as_const(m_plan)) {
            if (step.kind == Step::Open) {
                indent(out, step.depth);
                out += "<DT><H3>";
                BookmarkFileWriter::appendEscaped(out, step.name);
                out += "</H3>\n";
                indent(out, step.depth);
                out += "<DL><p>\n";
                continue;
            }
            const auto bookmarks = m_bookmarks.constFind(step.folderId);
            if (bookmarks != m_bookmarks.cend()) {
                const int depth = m_depth.value(step.folderId);
                for (const BookmarkStore::StoredBookmark &bookmark : *bookmarks) {
                    render(out, bookmark, depth);
                    if (out.size() >= FlushSize && !flush())
                        return false;
                }
            }
            if (step.folderId != 0) {
                indent(out, step.depth);
                out += "</DL><p>\n";
            }
        }
        // Bookmarks whose folder no walk reaches would otherwise be lost.
        for (const BookmarkStore::StoredBookmark &bookmark : m_orphans) {
            render(out, bookmark, 1);
            if (out.size() >= FlushSize && !flush())
                return false;
        }
        out += "</DL><p>\n";
        return flush();
    }

private:
    // The folder tree as it will be written: a folder opens, its subfolders
    // follow, then its bookmarks and its end. Each folder once, even in a
    // damaged hive's loop.
    struct Step
    {
        enum Kind { Open, Close } kind;
        int folderId;
        int depth;
        QString name;
    };

    // Depth first without recursion: a damaged hive may nest folders deeply.
    void planFolders()
    {
        struct Level
        {
            int folderId;
            QList<FolderRecord> children;
            qsizetype next;
        };
        m_depth.insert(0, 1);
        std::vector<Level> stack{{0, m_store.childFolders(0), 0}};
        while (!stack.empty()) {
            Level &level = stack.back();
            const int depth = int(stack.size());
            if (level.next >= level.children.size()) {
                m_plan.append({Step::Close, level.folderId, depth - 1, {}});
                stack.pop_back();
                continue;
            }
            const FolderRecord folder = level.children.at(level.next++);
            if (m_depth.contains(folder.id))
                continue;
            m_depth.insert(folder.id, depth + 1);
            m_plan.append({Step::Open, folder.id, depth, folder.name});
            stack.push_back({folder.id, m_store.childFolders(folder.id), 0});
        }
    }

    static void indent(QByteArray &out, int depth) { out.append(4 * depth, ' '); }

    // One bookmark at the end of out, written straight into room made for
    // the longest text it could become.
    static void render(QByteArray &out, const BookmarkStore::StoredBookmark &bookmark, int depth)
    {
        const qsizetype before = out.size();
        out.resize(before + 64 + 8 * depth + 3 * bookmark.address.size()
                   + 5 * (bookmark.title.size() + bookmark.comments.size()));
        char *at = out.data() + before;
        auto put = [&at](std::string_view text) {
            std::memcpy(at, text.data(), text.size());
            at += text.size();
        };
        std::memset(at, ' ', 4 * depth);
        at += 4 * depth;
        put("<DT><A HREF=\"");
        at = escapeInto(at, bookmark.address, AddressSpecials, addressReplacement);
        put("\"");
        if (bookmark.rating > 0) {
            put(" RATING=\"");
            *at++ = char('0' + std::clamp(bookmark.rating, 0, 9));
            put("\"");
        }
        put(">");
        at = escapeInto(at, bookmark.title, TextSpecials, textReplacement);
        put("</A>\n");
        if (!bookmark.comments.isEmpty()) {
            std::memset(at, ' ', 4 * depth);
            at += 4 * depth;
            put("<DD>");
            at = escapeInto(at, bookmark.comments, TextSpecials, [](char c) {
                return c == '\t' ? std::string_view("\n") : textReplacement(c);
            });
            put("\n");
        }
        out.resize(at - out.constData());
    }

    BookmarkStore &m_store;
    QList<Step> m_plan;
    QHash<int, int> m_depth; // of the bookmarks of each folder written
    static constexpr qsizetype FlushSize = 64 * 1024;
    QHash<int, std::vector<BookmarkStore::StoredBookmark>> m_bookmarks; // by folder id
    std::vector<BookmarkStore::StoredBookmark> m_orphans;
};

} // namespace

void BookmarkFileWriter::appendEscaped(QByteArray &out, QByteArrayView utf8, char tabAs)
{
    const char tab[1] = {tabAs};
    ::appendEscaped(out, utf8, TextSpecials, [&tab](char c) {
        return c == '\t' ? std::string_view(tab, 1) : textReplacement(c);
    });
}

void BookmarkFileWriter::appendEscaped(QByteArray &out, QStringView text)
{
    appendEscaped(out, text.toUtf8());
}

void BookmarkFileWriter::appendEscapedAddress(QByteArray &out, QByteArrayView utf8)
{
    ::appendEscaped(out, utf8, AddressSpecials, addressReplacement);
}

void BookmarkFileWriter::appendEscapedAddress(QByteArray &out, QStringView address)
{
    appendEscapedAddress(out, address.toUtf8());
}

QByteArray BookmarkFileWriter::bookmarkFileText(BookmarkStore &store)
{
    QByteArray text;
    QBuffer buffer(&text);
    buffer.open(QIODevice::WriteOnly);
    Writer(store).write(buffer);
    return text;
}

QString BookmarkFileWriter::exportBookmarks(BookmarkStore &store, const QString &path)
{
    // Straight into the file: the text of a large store is never whole in memory.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    if (!Writer(store).write(file)) {
        const QString error = file.errorString();
        file.cancelWriting();
        return error;
    }
    if (!file.commit())
        return file.errorString();
    return {};
}

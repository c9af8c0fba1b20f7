#include "import/readers/bookmarkfilewriter.h"

#include "store/bookmarkstore.h"

#include <QHash>
#include <QSaveFile>

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <string_view>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// Which bytes a text may hold that need replacing.
struct Specials
{
    static constexpr quint64 Ones = 0x0101010101010101ULL;
    static constexpr quint64 Highs = 0x8080808080808080ULL;

    std::array<bool, 256> table{};
    std::array<char, 8> bytes{};
    int count = 0;

    bool has(char c) const { return table[static_cast<unsigned char>(c)]; }

    // Whether any byte of the word is special; exact, never a false alarm.
    bool inWord(quint64 word) const
    {
        quint64 found = 0;
        for (int i = 0; i < count; ++i) {
            const quint64 x = word ^ (Ones * static_cast<unsigned char>(bytes[i]));
            found |= (x - Ones) & ~x & Highs;
        }
        return found != 0;
    }
};

constexpr Specials specials(std::string_view bytes)
{
    Specials set;
    for (const char c : bytes) {
        set.table[static_cast<unsigned char>(c)] = true;
        set.bytes[set.count++] = c;
    }
    return set;
}

// The first special byte in [from, end), or end. Most texts hold none, so
// they are scanned sixteen (or eight) bytes at a time.
const char *findSpecial(const char *from, const char *const end, const Specials &special)
{
#if defined(__SSE2__)
    __m128i wanted[8];
    for (int i = 0; i < special.count; ++i)
        wanted[i] = _mm_set1_epi8(special.bytes[i]);
    // One bit for each special byte of the sixteen at at.
    const auto hits = [&](const char *at) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i *>(at));
        __m128i found = _mm_cmpeq_epi8(chunk, wanted[0]);
        for (int i = 1; i < special.count; ++i)
            found = _mm_or_si128(found, _mm_cmpeq_epi8(chunk, wanted[i]));
        return unsigned(_mm_movemask_epi8(found));
    };
    const bool longText = end - from >= 16;
    for (; end - from >= 16; from += 16) {
        if (const unsigned mask = hits(from))
            return from + std::countr_zero(mask);
    }
    // The last few bytes of a long text: the sixteen that end it, less those seen.
    if (longText && from < end) {
        const unsigned mask = hits(end - 16) >> (16 - (end - from));
        return mask ? from + std::countr_zero(mask) : end;
    }
#else
    for (; end - from >= 8; from += 8) {
        quint64 word;
        std::memcpy(&word, from, 8);
        if (special.inWord(word))
            break;
    }
#endif
    while (from < end && !special.has(*from))
        ++from;
    return from;
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

// An address is attribute text: what would end the attribute or the tag, and
// '&', are written as references, so that a reader that decodes them gets the
// address back byte for byte. Line breaks cannot stand in an address anyway.
constexpr Specials AddressSpecials = specials("\"<>&\n\r");

std::string_view addressReplacement(char c)
{
    switch (c) {
    case '"': return "&quot;";
    case '<': return "&lt;";
    case '>': return "&gt;";
    case '&': return "&amp;";
    case '\n': return "%0A";
    default: return "%0D";
    }
}

// Copies UTF-8 text to at, each special byte replaced; returns the new end.
// There must be room for six bytes per byte of text.
template<typename Replacement>
char *escapeInto(char *at, QByteArrayView text, const Specials &special, Replacement replacement)
{
    const char *from = text.data();
    const char *const end = from + text.size();
    while (true) {
        const char *const found = findSpecial(from, end, special);
        std::memcpy(at, from, size_t(found - from));
        at += found - from;
        if (found == end)
            return at;
        const std::string_view replaced = replacement(*found);
        std::memcpy(at, replaced.data(), replaced.size());
        at += replaced.size();
        from = found + 1;
    }
}

// The length of text once escapeInto has replaced its special bytes.
template<typename Replacement>
qsizetype escapedSize(QByteArrayView text, const Specials &special, Replacement replacement)
{
    qsizetype size = text.size();
    const char *const end = text.data() + text.size();
    for (const char *found = findSpecial(text.data(), end, special); found != end;
         found = findSpecial(found + 1, end, special))
        size += qsizetype(replacement(*found).size()) - 1;
    return size;
}

template<typename Replacement>
void appendEscaped(QByteArray &out, QByteArrayView text, const Specials &special,
                   Replacement replacement)
{
    const qsizetype before = out.size();
    out.resize(before + 6 * text.size());
    out.resize(escapeInto(out.data() + before, text, special, replacement) - out.constData());
}

std::string_view commentReplacement(char c)
{
    return c == '\t' ? std::string_view("\n") : textReplacement(c);
}

constexpr std::string_view Prologue =
    "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n"
    "<!-- This is an automatically generated file.\n"
    "     It will be read and overwritten.\n"
    "     DO NOT EDIT! -->\n"
    "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">\n"
    "<TITLE>Bookmarks</TITLE>\n"
    "<H1>Bookmarks</H1>\n"
    "<DL><p>\n";
constexpr std::string_view ListEnd = "</DL><p>\n";
constexpr std::string_view FolderStart = "<DT><H3>";
constexpr std::string_view FolderEnd = "</H3>\n";
constexpr std::string_view ListStart = "<DL><p>\n";
constexpr std::string_view BookmarkStart = "<DT><A HREF=\"";
constexpr std::string_view AddressEnd = "\"";
constexpr std::string_view RatingStart = " RATING=\"";
constexpr std::string_view RatingEnd = "\"";
constexpr std::string_view TagEnd = ">";
constexpr std::string_view BookmarkEnd = "</A>\n";
constexpr std::string_view CommentStart = "<DD>";
constexpr std::string_view CommentEnd = "\n";

char *put(char *at, std::string_view text)
{
    std::memcpy(at, text.data(), text.size());
    return at + qsizetype(text.size());
}

// Four bytes at a time: a call to memset costs more than these few spaces.
char *indent(char *at, int depth)
{
    for (int i = 0; i < depth; ++i, at += 4)
        std::memcpy(at, "    ", 4);
    return at;
}

// One bookmark as the measuring pass found it: the escaped size of its
// address, title and comments, so that the writing pass copies a field that
// needs no escaping as it stands.
struct MeasuredBookmark
{
    BookmarkStore::StoredBookmark fields;
    std::array<qsizetype, 3> escaped;

    explicit MeasuredBookmark(const BookmarkStore::StoredBookmark &bookmark)
        : fields(bookmark),
          escaped{escapedSize(bookmark.address, AddressSpecials, addressReplacement),
                  escapedSize(bookmark.title, TextSpecials, textReplacement),
                  escapedSize(bookmark.comments, TextSpecials, commentReplacement)}
    {
    }

    qsizetype size(int depth) const
    {
        qsizetype size = 4 * depth + BookmarkStart.size() + escaped[0] + AddressEnd.size()
                         + TagEnd.size() + escaped[1] + BookmarkEnd.size();
        if (fields.rating > 0)
            size += RatingStart.size() + 1 + RatingEnd.size();
        if (!fields.comments.isEmpty())
            size += 4 * depth + CommentStart.size() + escaped[2] + CommentEnd.size();
        return size;
    }
};

template<typename Replacement>
char *putField(char *at, QByteArrayView text, qsizetype escaped, const Specials &special,
               Replacement replacement)
{
    if (escaped != text.size())
        return escapeInto(at, text, special, replacement);
    std::memcpy(at, text.data(), size_t(text.size()));
    return at + text.size();
}

// Writes exactly bookmark.size(depth) bytes.
char *renderBookmark(char *at, const MeasuredBookmark &bookmark, int depth)
{
    const BookmarkStore::StoredBookmark &fields = bookmark.fields;
    at = indent(at, depth);
    at = put(at, BookmarkStart);
    at = putField(at, fields.address, bookmark.escaped[0], AddressSpecials, addressReplacement);
    at = put(at, AddressEnd);
    if (fields.rating > 0) {
        at = put(at, RatingStart);
        *at++ = char('0' + std::clamp(fields.rating, 0, 9));
        at = put(at, RatingEnd);
    }
    at = put(at, TagEnd);
    at = putField(at, fields.title, bookmark.escaped[1], TextSpecials, textReplacement);
    at = put(at, BookmarkEnd);
    if (!fields.comments.isEmpty()) {
        at = indent(at, depth);
        at = put(at, CommentStart);
        at = putField(at, fields.comments, bookmark.escaped[2], TextSpecials, commentReplacement);
        at = put(at, CommentEnd);
    }
    return at;
}

// The file is laid out before a byte is written: one pass over the bookmarks
// measures each folder's part, a second writes every bookmark straight into
// its place. Both passes take the bookmarks in the store's own order, which
// keeps the reads of a large store sequential; the folders are written in
// tree order around them.
class Writer final
{
public:
    explicit Writer(BookmarkStore &store) : m_store(store) {}

    // The whole file, or nothing if the parts did not come out the size they
    // were measured (which would be a fault here, never a half-right file).
    QByteArray text()
    {
        planFolders();
        // The views stay valid for both passes: nothing changes the store meanwhile.
        std::vector<std::pair<Part *, MeasuredBookmark>> bookmarks;
        bookmarks.reserve(size_t(m_store.bookmarkCount()));
        const bool read = m_store.visitBookmarks(
            [this, &bookmarks](const BookmarkStore::StoredBookmark &bookmark) {
                Part &part = partOf(bookmark.folderId);
                const auto &[_, measured] =
                    bookmarks.emplace_back(&part, MeasuredBookmark(bookmark));
                part.size += measured.size(part.depth);
            });
        if (!read)
            return {}; // never a file missing what could not be read
        QByteArray out(layOut(), Qt::Uninitialized);
        char *const base = out.data();
        put(base, Prologue);
        for (const Step &step : std::as_const(m_plan))
            writeStep(base, step);
        put(base + m_orphans.start + m_orphans.size, ListEnd);
        for (const auto &[part, bookmark] : bookmarks)
            part->written = renderBookmark(base + part->written, bookmark, part->depth) - base;
        for (const Part &part : std::as_const(m_parts)) {
            if (part.written != part.start + part.size)
                return {};
        }
        if (m_orphans.written != m_orphans.start + m_orphans.size)
            return {};
        return out;
    }

private:
    // Where the bookmarks of one folder go.
    struct Part
    {
        int depth = 1;
        qsizetype size = 0;
        qsizetype start = 0;
        qsizetype written = 0;
    };

    // The folder tree in file order: a folder opens, its subfolders follow,
    // then its bookmarks and its end. Each folder once, even in a damaged
    // hive's loop.
    struct Step
    {
        enum Kind { Open, Close } kind;
        int folderId;
        int depth;
        QByteArray name;
        qsizetype offset = 0;
    };

    Part &partOf(int folderId)
    {
        const auto part = m_parts.find(folderId);
        // Bookmarks whose folder no walk reaches would otherwise be lost.
        return part == m_parts.end() ? m_orphans : *part;
    }

    // Depth first without recursion: a damaged hive may nest folders deeply.
    void planFolders()
    {
        struct Level
        {
            int folderId;
            QList<FolderRecord> children;
            qsizetype next;
        };
        m_parts.insert(0, Part{});
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
            if (m_parts.contains(folder.id))
                continue;
            m_parts.insert(folder.id, Part{depth + 1});
            m_plan.append({Step::Open, folder.id, depth, folder.name.toUtf8()});
            stack.push_back({folder.id, m_store.childFolders(folder.id), 0});
        }
    }

    static qsizetype headerSize(const Step &step)
    {
        return 8 * step.depth + FolderStart.size()
               + escapedSize(step.name, TextSpecials, textReplacement) + FolderEnd.size()
               + ListStart.size();
    }

    // Gives every step and part its offset; returns the file's size.
    qsizetype layOut()
    {
        qsizetype offset = Prologue.size();
        for (Step &step : m_plan) {
            if (step.kind == Step::Open) {
                step.offset = offset;
                offset += headerSize(step);
                continue;
            }
            Part &part = m_parts[step.folderId];
            part.start = part.written = offset;
            offset += part.size;
            step.offset = offset;
            if (step.folderId != 0)
                offset += 4 * step.depth + ListEnd.size();
        }
        m_orphans.start = m_orphans.written = offset;
        return offset + m_orphans.size + ListEnd.size();
    }

    static void writeStep(char *base, const Step &step)
    {
        char *at = base + step.offset;
        if (step.kind == Step::Open) {
            at = indent(at, step.depth);
            at = put(at, FolderStart);
            at = escapeInto(at, step.name, TextSpecials, textReplacement);
            at = put(at, FolderEnd);
            at = indent(at, step.depth);
            put(at, ListStart);
        } else if (step.folderId != 0) {
            put(indent(at, step.depth), ListEnd);
        }
    }

    BookmarkStore &m_store;
    QList<Step> m_plan;
    QHash<int, Part> m_parts; // by folder id, for every folder written
    Part m_orphans;
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
    return Writer(store).text();
}

QString BookmarkFileWriter::exportBookmarks(BookmarkStore &store, const QString &path)
{
    if (!store.loadAll())
        return tr("Your bookmarks could not be read from their file.");
    const QByteArray text = bookmarkFileText(store);
    if (text.isEmpty())
        return tr("The bookmarks could not be put into the file's form.");
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

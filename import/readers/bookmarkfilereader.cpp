#include "import/readers/bookmarkfilereader.h"

#include "import/readers/browserprofiles.h"
#include "import/readers/filelimits.h"
#include "import/readers/htmltext.h"
#include "import/readers/regularfile.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <cstring>
#include <string_view>
#include <sys/mman.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

constexpr std::string_view FolderMarker = "<DT><H3";
constexpr std::string_view FolderNameEnd = "</H3>";
constexpr std::string_view ListEnd = "</DL><p>";
constexpr std::string_view BookmarkMarker = "<DT><A HREF=";
constexpr std::string_view TitleEnd = "</A>";
constexpr std::string_view TagEnd = ">";
constexpr std::string_view Quote = "\"";
constexpr std::string_view CommentMarker = "<DD>";

qsizetype findIn(QByteArrayView text, std::string_view needle, qsizetype from)
{
    if (from < 0 || from > text.size() || needle.empty())
        return -1;
    // The markers are short and their first bytes rare enough: look for the
    // first byte and compare the rest, which beats a general search's set-up
    // when the next match is a line away.
    const char *const begin = text.data();
    const char *at = begin + from;
    const char *const last = begin + text.size() - qsizetype(needle.size());
    const size_t rest = needle.size() - 1;
    while (at <= last) {
        at = static_cast<const char *>(std::memchr(at, needle.front(), size_t(last - at + 1)));
        if (!at)
            return -1;
        if (rest == 0 ||
            (at[1] == needle[1] && std::memcmp(at + 2, needle.data() + 2, rest - 1) == 0))
            return at - begin;
        ++at;
    }
    return -1;
}

// The next occurrence of one marker at or after a position. It remembers the
// last answer, so that asking again from a later position searches only once
// that position has passed the occurrence: each marker is sought across the
// text about once, however far apart its occurrences are.
class MarkerFinder final
{
public:
    MarkerFinder(QByteArrayView text, std::string_view needle) : m_text(text), m_needle(needle) {}

    qsizetype next(qsizetype from)
    {
        if (m_searchedFrom < 0 || from < m_searchedFrom || (m_found >= 0 && m_found < from)) {
            m_searchedFrom = from;
            m_found = findIn(m_text, m_needle, from);
        }
        return m_found;
    }

private:
    QByteArrayView m_text;
    std::string_view m_needle;
    qsizetype m_searchedFrom = -1;
    qsizetype m_found = -1;
};

// The decoded text from begin up to end, or empty when either is missing.
QString piece(QByteArrayView text, qsizetype begin, qsizetype end)
{
    if (begin < 0 || end < 0 || end <= begin)
        return {};
    return HtmlText::decode(text.sliced(begin, end - begin));
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

} // namespace

// The text of a file being scanned, in pages of its own, so that the part
// the scan has passed can be given back while the rows grow: the file and
// its rows are never held whole at the same time.
class ScanBuffer final
{
public:
    explicit ScanBuffer(qsizetype size) : m_size(std::max<qsizetype>(size, 1))
    {
        void *mapped = ::mmap(nullptr, size_t(m_size), PROT_READ | PROT_WRITE,
                              MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        m_data = mapped == MAP_FAILED ? nullptr : static_cast<char *>(mapped);
    }
    ~ScanBuffer()
    {
        if (m_data)
            ::munmap(m_data, size_t(m_size));
    }
    Q_DISABLE_COPY_MOVE(ScanBuffer)

    char *data() const { return m_data; }

    // Gives back the whole pages before offset, less a margin: nothing there
    // is read again (the markers are only ever sought onwards).
    void releaseBefore(qsizetype offset)
    {
        static const qsizetype page = ::sysconf(_SC_PAGESIZE);
        constexpr qsizetype Margin = 1024 * 1024;
        const qsizetype upTo = (offset - Margin) / page * page;
        if (upTo - m_released < Margin)
            return;
        ::madvise(m_data + m_released, size_t(upTo - m_released), MADV_DONTNEED);
        m_released = upTo;
    }

private:
    qsizetype m_size;
    char *m_data = nullptr;
    qsizetype m_released = 0;
};

namespace {

class Scanner final
{
public:
    Scanner(QByteArrayView text, const QString &topLabel, ImportReadResult &result,
            ScanBuffer *buffer)
        : m_text(text), m_topLabel(topLabel), m_result(result), m_buffer(buffer),
          m_folders(text, FolderMarker), m_folderEnds(text, FolderNameEnd),
          m_listEnds(text, ListEnd), m_bookmarks(text, BookmarkMarker), m_titleEnds(text, TitleEnd),
          m_tagEnds(text, TagEnd), m_quotes(text, Quote)
    {
    }

    // Returns false when progress cancelled the scan.
    bool run(const ReadProgress &progress)
    {
        qsizetype position = 0;
        int steps = 0;
        while (true) {
            if (++steps % 4096 == 0) {
                if (progress && !progress(position, m_text.size()))
                    return false;
                if (m_buffer)
                    m_buffer->releaseBefore(position);
            }
            const qsizetype h = m_folders.next(position);
            const qsizetype d = m_listEnds.next(position);
            const qsizetype a = m_bookmarks.next(position);
            if (h < 0 && a < 0)
                return true;
            if (d >= 0 && (h < 0 || d < h) && (a < 0 || d < a)) {
                if (m_stack.empty())
                    return true;
                m_stack.pop_back();
                position = d + 1;
            } else if (h >= 0 && (a < 0 || h < a)) {
                openFolder(h);
                position = h + 1;
            } else {
                m_result.rows.append(bookmarkAt(a));
                position = a + 1;
            }
        }
    }

private:
    int currentFolder() const { return m_stack.empty() ? ImportFolders::Top : m_stack.back(); }

    void openFolder(qsizetype h)
    {
        const qsizetype nameStart = m_tagEnds.next(h + qsizetype(FolderMarker.size()));
        const QString name =
            piece(m_text, nameStart < 0 ? -1 : nameStart + 1, m_folderEnds.next(h));
        // Past the deepest level kept, the stack still grows (one number a
        // level) so that every end of list closes what it should.
        m_stack.push_back(m_result.folders.add(currentFolder(), name));
    }

    ImportRow bookmarkAt(qsizetype a)
    {
        const qsizetype open = m_quotes.next(a);
        const qsizetype close = open < 0 ? -1 : m_quotes.next(open + 1);
        const qsizetype titleStart = m_tagEnds.next(a + qsizetype(BookmarkMarker.size()));
        const qsizetype titleEnd = titleStart < 0 ? -1 : m_titleEnds.next(titleStart + 1);
        const int folder = currentFolder();
        if (m_stack.size() > std::size_t(ImportFolders::MaxDepth))
            ++m_result.placedAtMaxDepth;
        ImportRow row;
        row.title = piece(m_text, titleStart < 0 ? -1 : titleStart + 1, titleEnd);
        row.address = piece(m_text, open < 0 ? -1 : open + 1, close);
        row.label = folder == ImportFolders::Top ? m_topLabel : m_result.folders.name(folder);
        row.folder = folder;
        row.sourceBegin = qint32(a);
        row.sourceEnd = qint32(titleEnd >= 0 ? titleEnd + qsizetype(TitleEnd.size())
                                             : a + qsizetype(BookmarkMarker.size()));
        readComment(row);
        return row;
    }

    // A "<DD>" right after the bookmark (blanks between) is its description:
    // the text up to the next tag, without the blanks that end it.
    void readComment(ImportRow &row)
    {
        qsizetype at = row.sourceEnd;
        while (at < m_text.size() && isBlank(m_text[at]))
            ++at;
        if (!m_text.sliced(at).startsWith(CommentMarker))
            return;
        const qsizetype start = at + qsizetype(CommentMarker.size());
        const qsizetype tag = m_text.sliced(start).indexOf('<');
        qsizetype end = tag < 0 ? m_text.size() : start + tag;
        while (end > start && isBlank(m_text[end - 1]))
            --end;
        QByteArray comment = m_text.sliced(start, end - start).toByteArray();
        comment.replace("\r\n", "\n");
        row.comment = HtmlText::decode(comment);
        row.sourceEnd = qint32(end);
    }

    QByteArrayView m_text;
    QString m_topLabel;
    ImportReadResult &m_result;
    ScanBuffer *m_buffer;
    std::vector<int> m_stack; // the open folders, outermost first
    MarkerFinder m_folders;
    MarkerFinder m_folderEnds;
    MarkerFinder m_listEnds;
    MarkerFinder m_bookmarks;
    MarkerFinder m_titleEnds;
    MarkerFinder m_tagEnds;
    MarkerFinder m_quotes;
};

// The range to delete for one element: with the blanks and line end around
// it when nothing else shares its lines, else the element alone.
std::pair<qsizetype, qsizetype> removalRange(QByteArrayView text, qsizetype begin, qsizetype end)
{
    qsizetype lineStart = begin;
    while (lineStart > 0 && (text[lineStart - 1] == ' ' || text[lineStart - 1] == '\t'))
        --lineStart;
    qsizetype lineEnd = end;
    while (lineEnd < text.size() && (text[lineEnd] == ' ' || text[lineEnd] == '\t'))
        ++lineEnd;
    const bool startsLine = lineStart == 0 || text[lineStart - 1] == '\n';
    const bool endsLine = lineEnd == text.size() || text[lineEnd] == '\r' || text[lineEnd] == '\n';
    if (lineEnd < text.size() && text[lineEnd] == '\r')
        ++lineEnd;
    if (lineEnd < text.size() && text[lineEnd] == '\n')
        ++lineEnd;
    if (startsLine && endsLine)
        return {lineStart, lineEnd};
    return {begin, end};
}

QString joinPath(const QString &folder, const QString &name)
{
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

} // namespace

void BookmarkFileReader::findBookmarkFiles(const QString &folder, QStringList &candidates)
{
    QDirIterator entries(folder,
                         QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    while (entries.hasNext()) {
        entries.next();
        const QFileInfo entry = entries.fileInfo();
        const QString name = entry.fileName();
        // Linked folders are not entered: they may lead back up the tree.
        if (entry.isDir() && !entry.isSymLink()) {
            if (!name.startsWith(QLatin1Char('.')))
                findBookmarkFiles(joinPath(folder, name), candidates);
            continue;
        }
        // A FIFO or device of that name would hang whoever opens it.
        if (!entry.isFile())
            continue;
        const QString lower = name.toLower();
        if (lower == QLatin1String("bookmark.htm") || lower == QLatin1String("bookmarks.html"))
            candidates.append(joinPath(folder, name));
    }
}

QStringList BookmarkFileReader::mozillaProfileFolders(const QString &home,
                                                      const QString &configHome)
{
    // Where Firefox, Netscape and their kin keep profiles on a desktop system:
    // the classic dot folders and today's XDG one, and Firefox's homes as a
    // snap and as a flatpak in both forms.
    const QString config =
        configHome.isEmpty() ? joinPath(home, QStringLiteral(".config")) : configHome;
    QStringList folders{joinPath(home, QStringLiteral(".mozilla")),
                        joinPath(home, QStringLiteral(".netscape")),
                        joinPath(config, QStringLiteral("mozilla"))};
    for (const QString &firefox : BrowserProfiles::firefoxProfileRoots(home, configHome)) {
        // The roots end in mozilla/firefox; the whole mozilla folder is searched.
        const QString mozilla = QFileInfo(firefox).path();
        if (!folders.contains(mozilla))
            folders.append(mozilla);
    }
    return folders;
}

QStringList BookmarkFileReader::collectBookmarkFileCandidates(const QString &favoritesFolder)
{
    QStringList candidates;
    QString folder = favoritesFolder;
    folder.replace(QLatin1String("Favorites"), QLatin1String("mozilla"));
    findBookmarkFiles(folder, candidates);
    folder.replace(QLatin1String("mozilla"), QLatin1String("application data"));
    findBookmarkFiles(folder, candidates);
    for (const QString &profiles :
         mozillaProfileFolders(QDir::homePath(), qEnvironmentVariable("XDG_CONFIG_HOME")))
        findBookmarkFiles(profiles, candidates);
    return candidates;
}

QString BookmarkFileReader::tooLargeMessage(const QString &path)
{
    return tr("The file %1 is larger than %2 MB and cannot be imported.")
        .arg(QDir::toNativeSeparators(path))
        .arg(FileLimits::MaxReadSize / (1024 * 1024));
}

ImportReadResult BookmarkFileReader::parseBookmarkFile(const QString &path, const QString &topLabel,
                                                       const ReadProgress &progress)
{
    ImportReadResult result;
    QFile file;
    if (!RegularFile::open(file, path, &result.error))
        return result;
    const qint64 size = file.size();
    if (size > FileLimits::MaxReadSize) {
        result.tooLarge = true;
        result.error = tooLargeMessage(path);
        return result;
    }
    // Read in slices so that a long read can be followed and cancelled; the
    // parse makes up the second half of the work.
    ScanBuffer buffer(size);
    if (!buffer.data()) {
        result.error = tr("There is not enough memory to read the file.");
        return result;
    }
    constexpr qint64 Slice = 4 * 1024 * 1024;
    qint64 done = 0;
    while (done < size) {
        const qint64 got = file.read(buffer.data() + done, std::min(Slice, size - done));
        if (got <= 0)
            break;
        done += got;
        if (progress && !progress(done, 2 * size)) {
            result.cancelled = true;
            return result;
        }
    }
    if (file.error() != QFileDevice::NoError) {
        result.error = file.errorString();
        return result;
    }
    const QByteArrayView text(buffer.data(), done);
    // Taken before the scan gives the text back.
    const FileSnapshot source = FileSnapshot::of(path, text);
    const ReadProgress parsed =
        progress ? ReadProgress([&](qint64 at, qint64) { return progress(size + at, 2 * size); })
                 : ReadProgress();
    result = scan(text, topLabel, parsed, &buffer);
    if (!result.cancelled)
        result.source = source;
    return result;
}

ImportReadResult BookmarkFileReader::parseBookmarkText(QByteArrayView text, const QString &topLabel,
                                                       const ReadProgress &progress)
{
    return scan(text, topLabel, progress, nullptr);
}

ImportReadResult BookmarkFileReader::scan(QByteArrayView text, const QString &topLabel,
                                          const ReadProgress &progress, ScanBuffer *buffer)
{
    ImportReadResult result;
    // Counted first, so that the rows take no more room than they need.
    qsizetype markers = 0;
    for (qsizetype at = findIn(text, BookmarkMarker, 0); at >= 0;
         at = findIn(text, BookmarkMarker, at + qsizetype(BookmarkMarker.size())))
        ++markers;
    result.rows.reserve(markers);
    if (!Scanner(text, topLabel, result, buffer).run(progress))
        return ImportReadResult::cancelledRead();
    return result;
}

QByteArray BookmarkFileReader::withoutElements(QByteArrayView text, const ImportRows &rows)
{
    std::vector<std::pair<qsizetype, qsizetype>> ranges;
    for (const ImportRow &row : rows) {
        if (row.sourceBegin >= 0 && row.sourceBegin < row.sourceEnd && row.sourceEnd <= text.size())
            ranges.push_back(removalRange(text, row.sourceBegin, row.sourceEnd));
    }
    std::sort(ranges.begin(), ranges.end());
    QByteArray kept;
    kept.reserve(text.size());
    qsizetype from = 0;
    for (const auto &[begin, end] : ranges) {
        // Overlaps only come from rows that were not read from this text.
        if (begin >= from) {
            kept.append(text.sliced(from, begin - from));
            from = end;
        } else {
            from = std::max(from, end);
        }
    }
    kept.append(text.sliced(from));
    return kept;
}

QString BookmarkFileReader::removeImportedBookmarks(const QString &path, const FileSnapshot &read,
                                                    const ImportRows &rows)
{
    QString error;
    const auto text = RegularFile::read(path, FileLimits::MaxReadSize, &error);
    if (!text)
        return error;
    if (!read.isValid() || FileSnapshot::of(path, *text) != read)
        return tr("the file has changed since it was read, so nothing was removed from it.");
    const QByteArray kept = withoutElements(*text, rows);
    if (kept.size() == text->size())
        return {};
    // A new file renamed over the old one: a crash or a full disk never leaves
    // half a file behind.
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly))
        return out.errorString();
    // QSaveFile gives the new file the old one's permissions.
    if (out.write(kept) != kept.size() || !out.commit())
        return out.errorString();
    return {};
}

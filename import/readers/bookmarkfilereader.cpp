#include "import/readers/bookmarkfilereader.h"

#include "import/readers/filelimits.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>
#include <QSet>

#include <algorithm>
#include <cstring>
#include <string_view>

namespace {

constexpr std::string_view FolderMarker = "<DT><H3";
constexpr std::string_view FolderNameEnd = "</H3>";
constexpr std::string_view ListEnd = "</DL><p>";
constexpr std::string_view BookmarkMarker = "<DT><A HREF=";
constexpr std::string_view TitleEnd = "</A>";
constexpr std::string_view TagEnd = ">";
constexpr std::string_view Quote = "\"";

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
        if (rest == 0 || (at[1] == needle[1] && std::memcmp(at + 2, needle.data() + 2, rest - 1) == 0))
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

// The text from begin up to end, or empty when either is missing.
QString piece(QByteArrayView text, qsizetype begin, qsizetype end)
{
    if (begin < 0 || end < 0 || end <= begin)
        return {};
    return QString::fromUtf8(text.sliced(begin, end - begin));
}

class Scanner final
{
public:
    Scanner(QByteArrayView text, const QString &topLabel)
        : m_text(text), m_topLabel(topLabel), m_label(topLabel), m_folders(text, FolderMarker),
          m_folderEnds(text, FolderNameEnd), m_listEnds(text, ListEnd),
          m_bookmarks(text, BookmarkMarker), m_titleEnds(text, TitleEnd), m_tagEnds(text, TagEnd),
          m_quotes(text, Quote)
    {
    }

    // Returns false when progress cancelled the scan.
    bool run(ImportRows &rows, const ReadProgress &progress)
    {
        qsizetype position = 0;
        int steps = 0;
        while (true) {
            if (progress && ++steps % 4096 == 0 && !progress(position, m_text.size()))
                return false;
            const qsizetype h = m_folders.next(position);
            const qsizetype d = m_listEnds.next(position);
            const qsizetype a = m_bookmarks.next(position);
            if (h < 0 && a < 0)
                return true;
            if (d >= 0 && (h < 0 || d < h) && (a < 0 || d < a)) {
                if (m_stack.isEmpty())
                    return true;
                closeFolder();
                position = d + 1;
            } else if (h >= 0 && (a < 0 || h < a)) {
                openFolder(h);
                position = h + 1;
            } else {
                rows.append(bookmarkAt(a));
                position = a + 1;
            }
        }
    }

private:
    void openFolder(qsizetype h)
    {
        const qsizetype nameStart = m_tagEnds.next(h + qsizetype(FolderMarker.size()));
        const QString name =
            piece(m_text, nameStart < 0 ? -1 : nameStart + 1, m_folderEnds.next(h));
        m_stack.append(name);
        m_path += QLatin1Char('\\') + name;
        m_label = name;
    }

    void closeFolder()
    {
        m_path.chop(m_stack.takeLast().size() + 1);
        m_label = m_stack.isEmpty() ? m_topLabel : m_stack.last();
    }

    ImportRow bookmarkAt(qsizetype a)
    {
        const qsizetype open = m_quotes.next(a);
        const qsizetype close = open < 0 ? -1 : m_quotes.next(open + 1);
        const qsizetype titleStart = m_tagEnds.next(a + qsizetype(BookmarkMarker.size()));
        const qsizetype titleEnd = titleStart < 0 ? -1 : m_titleEnds.next(titleStart + 1);
        return ImportRow{piece(m_text, titleStart < 0 ? -1 : titleStart + 1, titleEnd),
                         piece(m_text, open < 0 ? -1 : open + 1, close), m_label, m_path, {}};
    }

    QByteArrayView m_text;
    QString m_topLabel;
    QString m_label;
    QStringList m_stack;
    QString m_path;
    MarkerFinder m_folders;
    MarkerFinder m_folderEnds;
    MarkerFinder m_listEnds;
    MarkerFinder m_bookmarks;
    MarkerFinder m_titleEnds;
    MarkerFinder m_tagEnds;
    MarkerFinder m_quotes;
};

QString joinPath(const QString &folder, const QString &name)
{
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

} // namespace

void BookmarkFileReader::findBookmarkFiles(const QString &folder, QStringList &candidates)
{
    QDirIterator entries(folder, QDir::AllEntries | QDir::Hidden | QDir::System
                                     | QDir::NoDotAndDotDot);
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
        const QString lower = name.toLower();
        if (lower == QLatin1String("bookmark.htm") || lower == QLatin1String("bookmarks.html"))
            candidates.append(joinPath(folder, name));
    }
}

QStringList BookmarkFileReader::mozillaProfileFolders()
{
    // Where Firefox, Netscape and their kin keep profiles on a desktop system:
    // the classic dot folders, and Firefox's homes as a snap and as a flatpak.
    const QString home = QDir::homePath();
    return {joinPath(home, QStringLiteral(".mozilla")), joinPath(home, QStringLiteral(".netscape")),
            joinPath(home, QStringLiteral("snap/firefox/common/.mozilla")),
            joinPath(home, QStringLiteral(".var/app/org.mozilla.firefox/.mozilla"))};
}

QStringList BookmarkFileReader::collectBookmarkFileCandidates(const QString &favoritesFolder)
{
    QStringList candidates;
    QString folder = favoritesFolder;
    folder.replace(QLatin1String("Favorites"), QLatin1String("mozilla"));
    findBookmarkFiles(folder, candidates);
    folder.replace(QLatin1String("mozilla"), QLatin1String("application data"));
    findBookmarkFiles(folder, candidates);
    for (const QString &profiles : mozillaProfileFolders())
        findBookmarkFiles(profiles, candidates);
    return candidates;
}

QString BookmarkFileReader::tooLargeMessage(const QString &path)
{
    return tr("The file %1 is larger than %2 MB and cannot be imported.")
        .arg(QDir::toNativeSeparators(path))
        .arg(FileLimits::MaxReadSize / (1024 * 1024));
}

BookmarkFileReader::ReadResult BookmarkFileReader::parseBookmarkFile(const QString &path,
                                                                     const QString &topLabel,
                                                                     const ReadProgress &progress)
{
    ReadResult result;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.error = file.errorString();
        return result;
    }
    const qint64 size = file.size();
    if (size > FileLimits::MaxReadSize) {
        result.tooLarge = true;
        result.error = tooLargeMessage(path);
        return result;
    }
    // Read in slices so that a long read can be followed and cancelled; the
    // parse makes up the second half of the work.
    QByteArray text(size, Qt::Uninitialized);
    constexpr qint64 Slice = 4 * 1024 * 1024;
    qint64 done = 0;
    while (done < size) {
        const qint64 got = file.read(text.data() + done, std::min(Slice, size - done));
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
    text.truncate(done);
    const ReadProgress parsed = progress ? ReadProgress([&](qint64 at, qint64) {
        return progress(size + at, 2 * size);
    })
                                         : ReadProgress();
    result.rows = parseBookmarkText(text, topLabel, parsed, &result.cancelled);
    return result;
}

ImportRows BookmarkFileReader::parseBookmarkText(QByteArrayView text, const QString &topLabel,
                                                 const ReadProgress &progress, bool *cancelled)
{
    ImportRows rows;
    const bool finished = Scanner(text, topLabel).run(rows, progress);
    if (cancelled)
        *cancelled = !finished;
    if (!finished)
        rows.clear();
    return rows;
}

QByteArray BookmarkFileReader::withoutBookmarkLines(const QByteArray &text,
                                                    const QStringList &addresses)
{
    // Each bookmark line once, by its quoted address (the first quoted value
    // after the marker), in file order; the same line text counts once.
    QHash<QByteArray, QList<QByteArrayView>> linesByAddress;
    QSet<QByteArrayView> seenLines;
    const QByteArrayView all(text);
    for (qsizetype start = 0; start < all.size();) {
        const qsizetype feed = all.indexOf('\n', start);
        if (feed < 0)
            break; // a line without its line feed is never removed
        const QByteArrayView line = all.sliced(start, feed + 1 - start);
        start = feed + 1;
        const qsizetype marker = findIn(line, BookmarkMarker, 0);
        const qsizetype open = marker < 0 ? -1 : line.indexOf('"', marker);
        const qsizetype close = open < 0 ? -1 : line.indexOf('"', open + 1);
        if (close < 0 || seenLines.contains(line))
            continue;
        seenLines.insert(line);
        linesByAddress[line.sliced(open + 1, close - open - 1).toByteArray()].append(line);
    }
    QSet<QByteArrayView> doomed;
    for (const QString &address : addresses) {
        QList<QByteArrayView> &lines = linesByAddress[address.toUtf8()];
        if (!lines.isEmpty())
            doomed.insert(lines.takeFirst());
    }
    if (doomed.isEmpty())
        return text;
    QByteArray kept;
    kept.reserve(text.size());
    for (qsizetype start = 0; start < all.size();) {
        qsizetype feed = all.indexOf('\n', start);
        const qsizetype end = feed < 0 ? all.size() : feed + 1;
        const QByteArrayView line = all.sliced(start, end - start);
        if (feed < 0 || !doomed.contains(line))
            kept.append(line);
        start = end;
    }
    return kept;
}

QString BookmarkFileReader::removeImportedBookmarks(const QString &path,
                                                    const QStringList &addresses)
{
    QFile file(path);
    if (file.size() > FileLimits::MaxReadSize)
        return tooLargeMessage(path);
    if (!file.open(QIODevice::ReadOnly))
        return file.errorString();
    const QByteArray text = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return file.errorString();
    file.close();
    const QByteArray kept = withoutBookmarkLines(text, addresses);
    if (kept.size() == text.size())
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

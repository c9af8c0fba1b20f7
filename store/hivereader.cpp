#include "store/hivereader.h"

#include "store/bookmarkcipher.h"
#include "store/bookmarkindex.h"
#include "store/bookmarkvalue.h"
#include "store/folderindex.h"
#include "store/hive/hive.h"
#include "store/storedtext.h"

#include <algorithm>

using namespace BookmarkValue;

namespace {

// Values the store reads at once: folders, and bookmarks not named the usual way.
bool readAtOnce(QByteArrayView name, bool usual)
{
    return !usual && (name.contains("gr") || name.contains("ur"));
}

// The names a read of the "gr" prefix returns: their first two letters are
// "gr" without case.
bool inFolderRange(QByteArrayView name)
{
    return name.size() >= 2 && (name[0] | 0x20) == 'g' && (name[1] | 0x20) == 'r';
}

} // namespace

HiveReader::HiveReader(Hive *hive, const QString &key, BookmarkIndex &bookmarks,
                       FolderIndex &folders)
    : m_hive(hive), m_key(key), m_bookmarks(bookmarks), m_folders(folders)
{
}

// A bookmark read when its folder is first used: "ur<folder>-<id>", both
// written plainly, as the folder's own reads ask for them. Other names (and
// any that also name a folder) are read at once.
// Digits and a dash cannot hold "gr": the two numbers say it all.
std::optional<HiveReader::LaterName> HiveReader::laterName(QByteArrayView name)
{
    if (!name.startsWith("ur"))
        return std::nullopt;
    const qsizetype dash = name.indexOf('-', 2);
    if (dash < 0)
        return std::nullopt;
    const std::optional<int> folder = StoredText::plainNumber(name.sliced(2, dash - 2));
    const std::optional<int> id =
        folder ? StoredText::plainNumber(name.sliced(dash + 1)) : std::nullopt;
    if (!id)
        return std::nullopt;
    return LaterName{*folder, *id};
}

bool HiveReader::readAll()
{
    // Folders are most of what is read now: one read for all of them.
    struct ReadNow
    {
        qint64 seq;
        QByteArray name;
        std::optional<QByteArray> plain; // none yet for the odd names
    };
    std::vector<ReadNow> now;
    const bool folders = m_hive->visitValuesWithPrefix(
        m_key, "gr", [&now](qint64 seq, QByteArrayView name, QByteArrayView data) {
            if (readAtOnce(name, laterName(name).has_value()))
                now.push_back({seq, name.toByteArray(), bookmarkCipherDecipher(data)});
        });
    if (!folders)
        return false;
    // The rest of what is read now: where the hive keeps the odd names apart,
    // the usual ones wait until something needs them all (learnNames).
    const auto takeOdd = [&now](qint64 seq, QByteArrayView name) {
        if (!inFolderRange(name) && readAtOnce(name, laterName(name).has_value()))
            now.push_back({seq, name.toByteArray(), std::nullopt});
    };
    const std::optional<bool> odd = m_hive->visitOddValueNames(m_key, takeOdd);
    if (odd == false)
        return false;
    m_namesKnown = !odd;
    if (m_namesKnown) {
        const bool named =
            m_hive->visitValueNames(m_key, [this, &takeOdd](qint64 seq, QByteArrayView name) {
                m_nextSeq = std::max(m_nextSeq, seq + 1);
                if (const std::optional<LaterName> later = laterName(name))
                    noteUnread(*later);
                else
                    takeOdd(seq, name);
            });
        if (!named)
            return false;
        m_unreadIdsSorted = false; // on the first lookup by id
    }
    std::sort(now.begin(), now.end(), [](const auto &a, const auto &b) { return a.seq < b.seq; });
    m_folders.reserve(qsizetype(now.size()));
    m_bookmarks.beginLoad();
    for (ReadNow &value : now) {
        if (!value.plain) {
            const Hive::Lookup data = m_hive->readValue(m_key, value.name);
            if (!data)
                return false;
            if (!*data)
                continue; // gone since its name was read
            value.plain = bookmarkCipherDecipher(**data);
        }
        // A new folder goes after every one read.
        if (value.name.contains("gr") && m_folders.load(value.name, *value.plain, value.seq))
            m_nextSeq = std::max(m_nextSeq, value.seq + 1);
        if (value.name.contains("ur"))
            loadBookmark(value.name, *value.plain, value.seq);
    }
    m_bookmarks.endLoad();
    m_bookmarks.sortIds();
    m_allRead = m_namesKnown && m_unreadCount == 0;
    // The first addition or lookup by id then finds them read.
    if (!m_namesKnown)
        m_hive->readNamesAhead(m_key);
    m_folders.finishLoad();
    return true;
}

void HiveReader::loadBookmark(QByteArrayView name, QByteArray plain, qint64 seq)
{
    const std::optional<NameParts> parts = splitName(name);
    if (!parts)
        return; // no folder could ever list it; left as it is in the hive
    m_bookmarks.append(StoredText::leadingInt(parts->folder),
                       !StoredText::isPlainNumber(parts->folder),
                       StoredText::leadingInt(parts->id), std::move(plain),
                       parts->usual ? QByteArray() : name.toByteArray(), seq);
}

// What has been read since the load (and only that can have changed) is left
// out. Only a whole read counts: the highest id taken from part of the names
// could give a new bookmark the name of one already there.
bool HiveReader::learnNames()
{
    if (m_namesKnown)
        return true;
    qint64 nextSeq = m_nextSeq;
    std::vector<std::pair<qint64, LaterName>> later;
    const bool whole = m_hive->visitValueNames(m_key, [&](qint64 seq, QByteArrayView name) {
        nextSeq = std::max(nextSeq, seq + 1);
        if (const std::optional<LaterName> parts = laterName(name))
            later.emplace_back(seq, *parts);
    });
    if (!whole)
        return false;
    m_namesKnown = true;
    m_nextSeq = nextSeq;
    for (const auto &[seq, name] : later) {
        m_bookmarks.noteId(name.id);
        if (!m_allRead && !m_readFolders.contains(name.folderId))
            noteUnread(name);
    }
    m_unreadIdsSorted = false;
    m_allRead = m_allRead || m_unreadCount == 0;
    return true;
}

void HiveReader::noteUnread(const LaterName &name)
{
    m_bookmarks.noteId(name.id);
    m_unreadIds.push_back({name.id, name.folderId});
    // The index hands the names over sorted, so a folder's come together.
    if (m_unreadIds.size() < 2 || m_unreadIds[m_unreadIds.size() - 2].folderId != name.folderId)
        m_foldersWithUnread.insert(name.folderId);
    ++m_unreadCount;
}

// Bookmarks read by prefix are taken into memory only once the read is whole:
// a read cut short leaves memory as it was, to be tried again.
bool HiveReader::readBookmarks(const QByteArray &prefix,
                               const std::function<bool(const LaterName &)> &wanted,
                               std::vector<ReadBookmark> &read) const
{
    return m_hive->visitValuesWithPrefix(
        m_key, prefix, [&](qint64 seq, QByteArrayView name, QByteArrayView data) {
            const std::optional<LaterName> later = laterName(name);
            if (later && wanted(*later))
                read.push_back({*later, bookmarkCipherDecipher(data), seq});
        });
}

// A name already taken apart: most of a large folder's, read when it is first used.
void HiveReader::takeRead(std::vector<ReadBookmark> &read)
{
    const std::size_t firstNew = m_bookmarks.size();
    const std::size_t firstNewId = m_bookmarks.idCount();
    m_bookmarks.beginLoad();
    for (ReadBookmark &bookmark : read)
        m_bookmarks.append(bookmark.name.folderId, false, bookmark.name.id,
                           std::move(bookmark.plain), {}, bookmark.seq);
    m_bookmarks.endLoad();
    const std::size_t placed = m_bookmarks.placeLoaded(firstNew, firstNewId);
    m_unreadCount = std::max(0, m_unreadCount - int(placed));
    m_bookmarks.check();
}

bool HiveReader::readFolder(int folderId)
{
    if (m_allRead || m_readFolders.contains(folderId))
        return true;
    // Before the names are known, every folder may hold unread bookmarks.
    if (m_namesKnown && !m_foldersWithUnread.contains(folderId)) {
        m_readFolders.insert(folderId);
        return true;
    }
    std::vector<ReadBookmark> read;
    if (!readBookmarks(bookmarkName(folderId, {}),
                       [folderId](const LaterName &name) { return name.folderId == folderId; },
                       read))
        return false;
    m_readFolders.insert(folderId);
    m_foldersWithUnread.remove(folderId);
    takeRead(read);
    return true;
}

bool HiveReader::readEverything()
{
    if (!learnNames())
        return false;
    if (m_allRead)
        return true;
    std::vector<ReadBookmark> read;
    if (!readBookmarks(
            "ur",
            [this](const LaterName &name) { return !m_readFolders.contains(name.folderId); },
            read))
        return false;
    takeRead(read);
    m_allRead = true;
    m_readFolders.clear();
    m_foldersWithUnread.clear();
    m_unreadIds = {};
    m_unreadCount = 0;
    return true;
}

void HiveReader::readWithId(int id)
{
    const auto byId = [](const UnreadId &a, const UnreadId &b) { return a.id < b.id; };
    if (!m_unreadIdsSorted)
        std::sort(m_unreadIds.begin(), m_unreadIds.end(), byId);
    m_unreadIdsSorted = true;
    const auto [from, to] =
        std::equal_range(m_unreadIds.cbegin(), m_unreadIds.cend(), UnreadId{id, 0}, byId);
    for (auto unread = from; unread != to; ++unread)
        readFolder(unread->folderId);
}

bool HiveReader::hasUnread(int folderId)
{
    if (!m_namesKnown) {
        // A folder read holds what is listed; one not read yet, what the hive
        // names under it, which a hive may tell without every name learned.
        if (m_readFolders.contains(folderId))
            return false;
        if (const auto named = m_hive->hasValuesWithPrefix(m_key, bookmarkName(folderId, {})))
            return *named;
    }
    learnNames();
    return m_foldersWithUnread.contains(folderId);
}

void HiveReader::clear()
{
    m_nextSeq = 0;
    m_allRead = false;
    m_namesKnown = true;
    m_readFolders.clear();
    m_foldersWithUnread.clear();
    m_unreadIds = {};
    m_unreadIdsSorted = true;
    m_unreadCount = 0;
}

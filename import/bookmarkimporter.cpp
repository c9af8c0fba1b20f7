#include "import/bookmarkimporter.h"

#include "store/bookmarkstore.h"
#include "store/storedtext.h"

#include <utility>

BookmarkImporter::BookmarkImporter(BookmarkStore &store, OverwriteQuestion overwrite)
    : m_store(store), m_overwrite(std::move(overwrite))
{
}

BookmarkImporter::~BookmarkImporter()
{
    finish();
}

void BookmarkImporter::beginSource(const ImportFolders &folders)
{
    m_folders = &folders;
    m_maker.reset();
}

bool BookmarkImporter::ensureOpen()
{
    if (m_inChunk == ChunkSize && !finish())
        return false;
    if (!m_open) {
        if (!m_store.beginBatch())
            return false;
        m_open = true;
    }
    ++m_inChunk;
    if (!m_maker)
        m_maker.emplace(m_store, *m_folders);
    return true;
}

bool BookmarkImporter::importRow(const ImportRow &row)
{
    if (!ensureOpen())
        return false;
    bool failed = false;
    const Target target = targetOf(row, failed);
    if (failed)
        return false;
    // The store holds a comment's line breaks as TABs.
    QString comments = row.comment;
    comments.replace(QLatin1String("\r\n"), QLatin1String("\t"))
        .replace(QLatin1Char('\n'), QLatin1Char('\t'))
        .replace(QLatin1Char('\r'), QLatin1Char('\t'));
    BookmarkRecord record{row.address, StoredText::leftCharacters(row.title, TitleLimit),
                          comments,    {},
                          0,           target.folderId};
    if (!target.duplicateId.isEmpty()) {
        const std::optional<bool> overwrite = mayOverwrite();
        if (!overwrite)
            return false;
        if (!*overwrite)
            return true;
        record.folderOrKey = target.duplicateId;
        if (!m_store.updateBookmarkById(record))
            return false;
    } else {
        if (m_store.addBookmark(record) < 0)
            return false;
        // Read when its target was looked up, so taken from what is kept.
        m_addressesInFolder[target.folderId].insert(m_store.currentBookmark().address,
                                                    QString::number(m_store.currentBookmark().id));
    }
    ++m_inChunkImported;
    return true;
}

// Asked once per import. The question waits for the person, so what came
// before it is committed first: nothing waits unsaved with it, and a crash
// meanwhile loses none of it. None when that commit failed.
std::optional<bool> BookmarkImporter::mayOverwrite()
{
    if (!m_overwriteAnswer) {
        if (!finish())
            return std::nullopt;
        m_overwriteAnswer = m_overwrite && m_overwrite();
        if (!ensureOpen()) // the row asked about goes into the next chunk
            return std::nullopt;
    }
    return m_overwriteAnswer;
}

bool BookmarkImporter::makeEmptyFolders(const ImportRows &rows)
{
    // A folder holds something when a row lies in it or in any folder below.
    std::vector<bool> holds(std::size_t(m_folders->count()), false);
    for (const ImportRow &row : rows)
        for (int f = row.folder; f > ImportFolders::Top && !holds[std::size_t(f)];
             f = m_folders->parent(f))
            holds[std::size_t(f)] = true;
    for (int f = 1; f < m_folders->count(); ++f) {
        if (holds[std::size_t(f)])
            continue;
        if (!ensureOpen() || m_maker->storeFolder(f) < 0)
            return false;
    }
    return true;
}

// The folder a row goes into (created when missing) and the bookmark there
// that already has its address.
BookmarkImporter::Target BookmarkImporter::targetOf(const ImportRow &row, bool &failed)
{
    Target target;
    const int folderId = m_maker->storeFolder(row.folder);
    if (folderId < 0) {
        failed = true;
        return target;
    }
    target.folderId = QString::number(folderId);
    const QHash<QString, QString> *addresses = addressesIn(target.folderId);
    if (!addresses) {
        failed = true; // a duplicate unread would be added twice
        return target;
    }
    target.duplicateId = addresses->value(QString::fromUtf8(StoredText::line(row.address)));
    return target;
}

QHash<QString, QString> *BookmarkImporter::addressesIn(const QString &folderId)
{
    auto found = m_addressesInFolder.find(folderId);
    if (found != m_addressesInFolder.end())
        return &*found;
    QHash<QString, QString> addresses;
    m_store.beginBookmarkScan(folderId);
    while (m_store.nextBookmark()) {
        const CurrentBookmark &bookmark = m_store.currentBookmark();
        if (!addresses.contains(bookmark.address))
            addresses.insert(bookmark.address, QString::number(bookmark.id));
    }
    m_store.endBookmarkScan();
    if (m_store.scanFailed())
        return nullptr;
    return &m_addressesInFolder.insert(folderId, std::move(addresses)).value();
}

bool BookmarkImporter::finish()
{
    if (!m_open)
        return true;
    m_open = false;
    m_inChunk = 0;
    // A chunk the file refused was not imported, however many rows it held.
    const int chunk = std::exchange(m_inChunkImported, 0);
    if (!m_store.commitBatch())
        return false;
    m_imported += chunk;
    return true;
}

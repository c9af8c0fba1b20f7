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

bool BookmarkImporter::importRow(const ImportRow &row)
{
    if (m_inChunk == ChunkSize && !finish())
        return false;
    if (!m_open) {
        if (!m_store.beginBatch())
            return false;
        m_open = true;
    }
    ++m_inChunk;
    bool failed = false;
    const Target target = targetOf(row, failed);
    if (failed)
        return false;
    BookmarkRecord record{row.address, StoredText::leftCharacters(row.title, TitleLimit), {}, {},
                          0, target.folderId};
    if (!target.duplicateId.isEmpty()) {
        if (!m_overwrite || !m_overwrite())
            return true;
        record.folderOrKey = target.duplicateId;
        if (!m_store.updateBookmarkById(record))
            return false;
    } else {
        if (m_store.addBookmark(record) < 0)
            return false;
        addressesIn(target.folderId)
            .insert(m_store.currentBookmark().address, QString::number(m_store.currentBookmark().id));
    }
    ++m_inChunkImported;
    return true;
}

// The folder a row goes into (created when missing) and the bookmark there
// that already has its address, as the store's ensureFolderPath finds them.
BookmarkImporter::Target BookmarkImporter::targetOf(const ImportRow &row, bool &failed)
{
    Target target;
    auto known = m_folderOfPath.constFind(row.folderPath);
    if (known == m_folderOfPath.cend()) {
        const FolderPathResult found = m_store.ensureFolderPath(row.folderPath, row.address);
        if (found.failed) {
            failed = true;
            return target;
        }
        known = m_folderOfPath.insert(row.folderPath, found.folderId);
    }
    target.folderId = *known;
    const QString stored = QString::fromUtf8(StoredText::line(row.address));
    target.duplicateId = addressesIn(target.folderId).value(stored);
    return target;
}

QHash<QString, QString> &BookmarkImporter::addressesIn(const QString &folderId)
{
    auto found = m_addressesInFolder.find(folderId);
    if (found != m_addressesInFolder.end())
        return *found;
    QHash<QString, QString> &addresses = m_addressesInFolder[folderId];
    m_store.beginBookmarkScan(folderId);
    while (m_store.nextBookmark()) {
        const CurrentBookmark &bookmark = m_store.currentBookmark();
        if (!addresses.contains(bookmark.address))
            addresses.insert(bookmark.address, QString::number(bookmark.id));
    }
    m_store.endBookmarkScan();
    return addresses;
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

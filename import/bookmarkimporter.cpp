#include "import/bookmarkimporter.h"

#include "store/bookmarkstore.h"
#include "store/storedtext.h"

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
    const FolderPathResult target = m_store.ensureFolderPath(row.folderPath, row.address);
    if (target.failed)
        return false;
    BookmarkRecord record{row.address, StoredText::leftCharacters(row.title, TitleLimit), {}, {},
                          0, target.folderId};
    if (target.duplicate) {
        if (!m_overwrite || !m_overwrite())
            return true;
        record.folderOrKey = target.duplicateId;
        if (!m_store.updateBookmarkById(record))
            return false;
    } else if (m_store.addBookmark(record) < 0) {
        return false;
    }
    ++m_imported;
    return true;
}

bool BookmarkImporter::finish()
{
    if (!m_open)
        return true;
    m_open = false;
    m_inChunk = 0;
    return m_store.commitBatch();
}

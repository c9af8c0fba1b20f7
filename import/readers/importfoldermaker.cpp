#include "import/readers/importfoldermaker.h"

#include "store/bookmarkstore.h"
#include "store/storedtext.h"

ImportFolderMaker::ImportFolderMaker(BookmarkStore &store, const ImportFolders &folders)
    : m_store(store), m_folders(folders), m_made(std::size_t(folders.count()), -1)
{
    m_made[ImportFolders::Top] = 0;
}

int ImportFolderMaker::storeFolder(int folder)
{
    if (folder < 0 || folder >= m_folders.count())
        return 0;
    // The folders not yet looked up, from this one outwards; then inwards again.
    std::vector<int> missing;
    for (int f = folder; m_made[std::size_t(f)] < 0; f = m_folders.parent(f))
        missing.push_back(f);
    for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
        const int parentId = m_made[std::size_t(m_folders.parent(*it))];
        const int id = makeOne(*it, parentId);
        if (id < 0)
            return -1;
        m_made[std::size_t(*it)] = id;
    }
    return m_made[std::size_t(folder)];
}

int ImportFolderMaker::makeOne(int folder, int parentId)
{
    const QString name = StoredText::leftCharacters(m_folders.name(folder).trimmed(), NameLimit);
    // A nameless folder adds no level: its contents go where it stands.
    if (name.isEmpty())
        return parentId;
    const int id = m_store.findFolder(name, parentId);
    return id != -1 ? id : m_store.addFolder(name, parentId);
}

FolderPathResult ensureFolderPath(BookmarkStore &store, const QString &path, const QString &address)
{
    ImportFolders folders;
    const int folder = folders.addPath(path);
    ImportFolderMaker maker(store, folders);
    FolderPathResult result;
    const int id = maker.storeFolder(folder);
    if (id < 0) {
        result.failed = true;
        return result;
    }
    result.folderId = QString::number(id);
    const QString wanted = QString::fromUtf8(StoredText::line(address));
    store.beginBookmarkScan(result.folderId);
    while (store.nextBookmark()) {
        if (store.currentBookmark().address == wanted) {
            result.duplicate = true;
            result.duplicateId = QString::number(store.currentBookmark().id);
            break;
        }
    }
    store.endBookmarkScan();
    result.failed = store.scanFailed(); // a duplicate unread would be added twice
    return result;
}

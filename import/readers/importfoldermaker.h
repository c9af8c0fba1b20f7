#pragma once

#include "import/readers/importfolders.h"
#include "store/folderrecord.h"

#include <QString>

#include <vector>

class BookmarkStore;

// Finds or makes, in the store, the folders of one import source. Each
// source folder costs one lookup (and one write when missing) however deep
// it lies: a folder's parent is always found before it and then remembered.
// Names are looked up as they would be stored, so a second import finds them.
class ImportFolderMaker final
{
public:
    static constexpr int NameLimit = 100;

    ImportFolderMaker(BookmarkStore &store, const ImportFolders &folders);

    // The store id of a source folder, made with its missing parents; -1 when
    // a write failed (then nothing should be added).
    int storeFolder(int folder);

private:
    int makeOne(int folder, int parentId);

    BookmarkStore &m_store;
    const ImportFolders &m_folders;
    std::vector<int> m_made; // store id per source folder; -1 while not looked up
};

// The folder of a \A\B path in the store, made where missing, and the bookmark
// there that already has address: what an import of one row needs.
FolderPathResult ensureFolderPath(BookmarkStore &store, const QString &path, const QString &address);

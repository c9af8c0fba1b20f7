// Stored values of any name and content, as loading meets them in the user's hive:
// through the value-name parsing, the cipher and the folder tree.
#include "store/bookmarkstore.h"
#include "store/hive/memoryhive.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    MemoryHive hive;
    hive.createKey(BookmarkStore::KeyPath);
    hive.setValue(BookmarkStore::KeyPath, "INI", "1"); // no default collection
    while (input.remaining_bytes() > 0) {
        const std::string name = input.ConsumeRandomLengthString(48);
        const std::string value = input.ConsumeRandomLengthString(512);
        if (name.empty())
            continue;
        hive.setValue(BookmarkStore::KeyPath, QByteArray::fromStdString(name),
                      QByteArray::fromStdString(value));
    }

    BookmarkStore store(&hive);
    // Whatever was loaded can be walked, found and changed like any other bookmark.
    for (store.resetFolderScan(); store.nextFolder();) {
        const int id = store.currentFolder().id;
        store.childFolders(id);
        store.beginBookmarkScan(QString::number(id));
        while (store.nextBookmark())
            store.currentBookmark();
    }
    int seen = 0;
    for (store.endBookmarkScan(); store.nextBookmark();)
        ++seen;
    if (seen != store.bookmarkCount())
        std::abort();
    BookmarkRecord added;
    added.address = QStringLiteral("http://example.org/");
    added.title = QStringLiteral("added");
    const int row = store.addBookmark(added);
    if (row == BookmarkStore::WriteFailed)
        std::abort();
    return 0;
}

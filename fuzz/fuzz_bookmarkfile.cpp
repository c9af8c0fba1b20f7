// The bookmark file scanner and the element removal on any bytes at all.
#include "import/readers/bookmarkfilereader.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray text(reinterpret_cast<const char *>(data), qsizetype(size));
    const ImportReadResult read = BookmarkFileReader::parseBookmarkText(text, QStringLiteral("NN"));
    for (const ImportRow &row : read.rows) {
        // Every piece of a row is a piece of the text, decoding only shortens
        // it, and the row's element lies within the text.
        if (row.title.size() > text.size() || row.address.size() > text.size()
            || row.sourceBegin < 0 || row.sourceEnd > text.size() || row.sourceBegin >= row.sourceEnd
            || row.folder < 0 || row.folder >= read.folders.count()
            || read.folders.depth(row.folder) > ImportFolders::MaxDepth)
            std::abort();
    }
    // Removing every row takes bytes away, and never adds any.
    const QByteArray kept = BookmarkFileReader::withoutElements(text, read.rows);
    if (kept.size() > text.size() || (!read.rows.isEmpty() && kept.size() == text.size()))
        std::abort();
    // The rest of the text still scans.
    BookmarkFileReader::parseBookmarkText(kept, QStringLiteral("NN"));
    return 0;
}

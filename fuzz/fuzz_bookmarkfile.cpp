// The bookmark file scanner and the line removal on any bytes at all.
#include "import/readers/bookmarkfilereader.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray text(reinterpret_cast<const char *>(data), qsizetype(size));
    const ImportRows rows = BookmarkFileReader::parseBookmarkText(text, QStringLiteral("NN"));
    QStringList addresses;
    for (const ImportRow &row : rows) {
        // Every piece of a row is a piece of the text, so none is longer.
        if (row.title.size() > text.size() || row.address.size() > text.size())
            std::abort();
        addresses << row.address;
    }
    const QByteArray kept = BookmarkFileReader::withoutBookmarkLines(text, addresses);
    if (kept.size() > text.size())
        std::abort();
    // The rest of the text still scans.
    BookmarkFileReader::parseBookmarkText(kept, QStringLiteral("NN"));
    return 0;
}

// Shortcut files of any content, read from disk the way the folder walk reads them.
#include "import/readers/favoritesreader.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir dir;
    static const QString path = dir.filePath(QStringLiteral("Fuzzed.url"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        std::abort();
    file.write(reinterpret_cast<const char *>(data), qint64(size));
    file.close();
    const auto row = FavoritesReader::readUrlFile(QStringLiteral("Fuzzed.url"), path,
                                                  QStringLiteral("IE"));
    const auto address = FavoritesReader::urlFileAddress(
        QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size)));
    // The file and the bytes give the same answer.
    if (row.has_value() != address.has_value())
        std::abort();
    if (row && (row->title != QLatin1String("Fuzzed") || row->folder != ImportFolders::Top))
        std::abort();
    return 0;
}

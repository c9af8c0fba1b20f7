#include "import/readers/favoritesreader.h"

#include "import/readers/filelimits.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

namespace FavoritesReader {

namespace {

QString joinPath(const QString &folder, const QString &name)
{
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

struct Walk
{
    QString root;
    const ReadProgress &progress;
    ImportRows rows;
    qint64 filesSeen = 0;
    bool cancelled = false;

    void read(const QString &path, const QString &label)
    {
        QDirIterator entries(path, QDir::AllEntries | QDir::Hidden | QDir::System
                                       | QDir::NoDotAndDotDot);
        while (!cancelled && entries.hasNext()) {
            entries.next();
            const QFileInfo entry = entries.fileInfo();
            const QString name = entry.fileName();
            if (entry.isDir()) {
                // A linked folder may lead back up the tree: never follow one.
                if (!name.startsWith(QLatin1Char('.')) && !entry.isSymLink())
                    read(joinPath(path, name), name);
                continue;
            }
            if (name.right(4).toLower() == QLatin1String(".url")) {
                if (auto row = readUrlFile(name, joinPath(path, name), label, root))
                    rows.append(std::move(*row));
            }
            if (progress && !progress(++filesSeen, 0))
                cancelled = true;
        }
    }
};

} // namespace

QString defaultFavoritesFolder()
{
    QString base = qEnvironmentVariable("USERPROFILE");
    if (base.isEmpty())
        base = qEnvironmentVariable("windir");
    if (base.isEmpty())
        base = QDir::homePath();
    return joinPath(QDir::fromNativeSeparators(base), QStringLiteral("Favorites"));
}

ImportRows readFavoritesFolder(const QString &root, const QString &label,
                               const ReadProgress &progress, bool *cancelled)
{
    Walk walk{QDir::cleanPath(root), progress, {}};
    if (QFileInfo(walk.root).isDir())
        walk.read(walk.root, label);
    if (cancelled)
        *cancelled = walk.cancelled;
    if (walk.cancelled)
        walk.rows.clear();
    return walk.rows;
}

std::optional<QByteArrayView> urlFileAddress(QByteArrayView text)
{
    // The text ends at its first NUL, as a C string would.
    if (const qsizetype nul = text.indexOf('\0'); nul >= 0)
        text = text.first(nul);
    const qsizetype key = text.indexOf("URL=");
    if (key < 0)
        return std::nullopt;
    const qsizetype end = text.indexOf('\r', key);
    if (end < 0)
        return std::nullopt;
    return text.sliced(key + 4, end - key - 4);
}

std::optional<ImportRow> readUrlFile(const QString &name, const QString &filePath,
                                     const QString &label, const QString &root)
{
    QFile file(filePath);
    if (file.size() > FileLimits::MaxReadSize || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray text = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    const auto address = urlFileAddress(text);
    if (!address)
        return std::nullopt;
    return ImportRow{name.chopped(4), QString::fromUtf8(*address), label,
                     folderPathOf(filePath, root), filePath};
}

QString folderPathOf(const QString &filePath, const QString &root)
{
    QString rest = filePath.startsWith(root) ? filePath.mid(root.size()) : filePath;
    if (!rest.startsWith(QLatin1Char('/')))
        rest.prepend(QLatin1Char('/'));
    rest.truncate(rest.lastIndexOf(QLatin1Char('/')));
    return rest.replace(QLatin1Char('/'), QLatin1Char('\\'));
}

int removeImportedFavorites(const ImportRows &rows)
{
    int removed = 0;
    for (const ImportRow &row : rows) {
        if (!row.sourcePath.isEmpty() && QFile::remove(row.sourcePath))
            ++removed;
    }
    return removed;
}

} // namespace FavoritesReader

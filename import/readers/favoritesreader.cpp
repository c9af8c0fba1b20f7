#include "import/readers/favoritesreader.h"

#include "import/readers/filelimits.h"
#include "import/readers/regularfile.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstring>

namespace FavoritesReader {

namespace {

QString joinPath(const QString &folder, const QString &name)
{
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

quint64 digest(QByteArrayView content)
{
    const QByteArray sha = QCryptographicHash::hash(content, QCryptographicHash::Sha256);
    quint64 first;
    std::memcpy(&first, sha.constData(), sizeof first);
    return first;
}

QString tr(const char *text)
{
    return QCoreApplication::translate("FavoritesReader", text);
}

// Depth first without recursion: a hostile tree cannot exhaust the stack.
struct Walk
{
    const ReadProgress &progress;
    ImportReadResult result;
    qint64 filesSeen = 0;

    struct Level
    {
        QString path;
        int folder;
        qsizetype depth; // counted on past ImportFolders::MaxDepth
    };

    void run(const QString &root, const QString &topLabel)
    {
        std::vector<Level> pending{{root, ImportFolders::Top, 0}};
        while (!pending.empty()) {
            const Level level = std::move(pending.back());
            pending.pop_back();
            if (!readFolder(level, topLabel, pending))
                return;
        }
    }

    // Lists one folder's shortcuts and puts its subfolders on pending, the
    // first to be read last on.
    bool readFolder(const Level &level, const QString &topLabel, std::vector<Level> &pending)
    {
        const QDir dir(level.path);
        const QFileInfoList entries =
            dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                              QDir::Name | QDir::IgnoreCase);
        const QString label =
            level.folder == ImportFolders::Top ? topLabel : result.folders.name(level.folder);
        std::vector<Level> subfolders;
        for (const QFileInfo &entry : entries) {
            const QString name = entry.fileName();
            if (entry.isDir()) {
                // A linked folder may lead back up the tree: never follow one.
                if (!name.startsWith(QLatin1Char('.')) && !entry.isSymLink())
                    subfolders.push_back({entry.filePath(), -1, level.depth + 1});
                continue;
            }
            if (entry.isFile() && name.right(4).toLower() == QLatin1String(".url")) {
                if (auto row = readUrlFile(name, entry.filePath(), label, level.folder)) {
                    result.placedAtMaxDepth += level.depth > ImportFolders::MaxDepth;
                    result.rows.append(std::move(*row));
                }
            }
            if (progress && !progress(++filesSeen, 0)) {
                result = ImportReadResult::cancelledRead();
                return false;
            }
        }
        for (Level &sub : subfolders)
            sub.folder = result.folders.add(level.folder, QFileInfo(sub.path).fileName());
        pending.insert(pending.end(), std::make_move_iterator(subfolders.rbegin()),
                       std::make_move_iterator(subfolders.rend()));
        return true;
    }
};

// One line without its line end, and where the next begins.
QByteArrayView nextLine(QByteArrayView text, qsizetype &at)
{
    const qsizetype start = at;
    while (at < text.size() && text[at] != '\r' && text[at] != '\n')
        ++at;
    const QByteArrayView line = text.sliced(start, at - start);
    if (at < text.size() && text[at] == '\r')
        ++at;
    if (at < text.size() && text[at] == '\n')
        ++at;
    return line;
}

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

ImportReadResult readFavoritesFolder(const QString &root, const QString &label,
                                     const ReadProgress &progress)
{
    Walk walk{progress, {}};
    const QString cleaned = QDir::cleanPath(root);
    if (QFileInfo(cleaned).isDir())
        walk.run(cleaned, label);
    return std::move(walk.result);
}

std::optional<QByteArrayView> urlFileAddress(QByteArrayView text)
{
    // The text ends at its first NUL, as a C string would.
    if (const qsizetype nul = text.indexOf('\0'); nul >= 0)
        text = text.first(nul);
    bool inShortcut = false;
    for (qsizetype at = 0; at < text.size();) {
        const QByteArrayView line = nextLine(text, at);
        if (line.startsWith('[')) {
            inShortcut = line.trimmed().compare("[InternetShortcut]", Qt::CaseInsensitive) == 0;
        } else if (inShortcut && line.startsWith("URL=")) {
            return line.sliced(4);
        }
    }
    return std::nullopt;
}

std::optional<ImportRow> readUrlFile(const QString &name, const QString &filePath,
                                     const QString &label, int folder)
{
    const auto text = RegularFile::read(filePath, FileLimits::MaxReadSize);
    if (!text)
        return std::nullopt;
    const auto address = urlFileAddress(*text);
    if (!address)
        return std::nullopt;
    ImportRow row;
    row.title = name.chopped(4);
    row.address = QString::fromUtf8(*address);
    row.label = label;
    row.folder = folder;
    row.sourcePath = filePath;
    row.sourceDigest = digest(*text);
    return row;
}

Removal removeImportedFavorites(const ImportRows &rows)
{
    Removal removal;
    for (const ImportRow &row : rows) {
        if (row.sourcePath.isEmpty())
            continue;
        const QFileInfo file(row.sourcePath);
        QString why;
        if (file.isSymLink() || !file.isFile()) {
            why = tr("it is no longer the file that was read");
        } else if (const auto text =
                       RegularFile::read(row.sourcePath, FileLimits::MaxReadSize, &why);
                   text && digest(*text) != row.sourceDigest) {
            why = tr("it has changed since it was read");
        } else if (text) {
            QFile remove(row.sourcePath);
            if (remove.remove()) {
                ++removal.removed;
                continue;
            }
            why = remove.errorString();
        }
        removal.failed.append(QDir::toNativeSeparators(row.sourcePath) + QLatin1String(": ") + why);
    }
    return removal;
}

} // namespace FavoritesReader

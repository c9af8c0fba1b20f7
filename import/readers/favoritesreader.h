#pragma once

#include "import/readers/importreadresult.h"

#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <optional>

// Reads a Favorites folder: a tree of folders holding one ".url" shortcut file
// per favourite.
namespace FavoritesReader {

// USERPROFILE, else windir, else the home folder, with "Favorites" appended.
QString defaultFavoritesFolder();

// Every shortcut below root: within each folder its shortcuts by name, then
// its subfolders by name. Files directly in root carry label; the others the
// name of the folder that holds them. Every folder is listed, empty ones too.
// No rows when root is missing or progress cancels the walk (then cancelled is set).
ImportReadResult readFavoritesFolder(const QString &root, const QString &label,
                                     const ReadProgress &progress = {});

// One shortcut as a row in folder, or nothing when the file is no regular
// file, cannot be read or holds no usable "URL=" line.
std::optional<ImportRow> readUrlFile(const QString &name, const QString &filePath,
                                     const QString &label, int folder = ImportFolders::Top);

// The address of a shortcut's text: the first "URL=" line of its
// [InternetShortcut] section. Lines may end in CR LF, LF or CR.
std::optional<QByteArrayView> urlFileAddress(QByteArrayView text);

// What removing the shortcut files of imported rows did.
struct Removal
{
    int removed = 0;
    QStringList failed; // the files left, each with why
};

// Deletes the shortcut files of these rows, each only while it is still a
// regular file (no link) holding what was read.
Removal removeImportedFavorites(const ImportRows &rows);

} // namespace FavoritesReader

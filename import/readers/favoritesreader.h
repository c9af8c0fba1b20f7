#pragma once

#include "import/readers/importrow.h"

#include <QByteArrayView>
#include <QString>

#include <optional>

// Reads a Favorites folder: a tree of folders holding one ".url" shortcut file
// per favourite.
namespace FavoritesReader {

// USERPROFILE, else windir, else the home folder, with "Favorites" appended.
QString defaultFavoritesFolder();

// Every shortcut below root, in listing order. Files directly in root carry
// label; the others the name of the folder that holds them. Empty when root is
// missing or progress cancels the walk (then cancelled is set, when given).
ImportRows readFavoritesFolder(const QString &root, const QString &label,
                               const ReadProgress &progress = {}, bool *cancelled = nullptr);

// One shortcut as a row, or nothing when the file cannot be read or holds no
// usable "URL=" line.
std::optional<ImportRow> readUrlFile(const QString &name, const QString &filePath,
                                     const QString &label, const QString &root);

// The address of a shortcut's text: from the first "URL=" up to the carriage
// return after it.
std::optional<QByteArrayView> urlFileAddress(QByteArrayView text);

// The folder path of a file below root: \Links\Sub, or empty directly in root.
QString folderPathOf(const QString &filePath, const QString &root);

// Deletes the shortcut files of these rows; returns how many were deleted.
int removeImportedFavorites(const ImportRows &rows);

} // namespace FavoritesReader

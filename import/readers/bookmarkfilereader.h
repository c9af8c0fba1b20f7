#pragma once

#include "import/readers/filesnapshot.h"
#include "import/readers/importreadresult.h"

#include <QByteArrayView>
#include <QCoreApplication>
#include <QDir>
#include <QString>
#include <QStringList>

// Finds and reads the HTML bookmark files of Netscape and Mozilla browsers. The
// file is scanned as plain text for fixed, case-sensitive markers; titles,
// addresses, folder names and descriptions are decoded as HTML text.
class BookmarkFileReader final
{
    Q_DECLARE_TR_FUNCTIONS(BookmarkFileReader)

public:
    // Appends every "bookmarks.html" and "bookmark.htm" below folder (any case).
    static void findBookmarkFiles(const QString &folder, QStringList &candidates);

    // Searches the profile folders derived from the Favorites folder, then the
    // folders where Mozilla-family browsers keep profiles here.
    static QStringList collectBookmarkFileCandidates(const QString &favoritesFolder);
    static QStringList mozillaProfileFolders(const QString &home = QDir::homePath(),
                                             const QString &configHome = {});

    // One row per bookmark of the file, and every folder, empty ones too.
    // Bookmarks outside every folder carry topLabel. Files over
    // FileLimits::MaxReadSize and anything but a regular file are refused.
    static ImportReadResult parseBookmarkFile(const QString &path, const QString &topLabel,
                                              const ReadProgress &progress = {});
    // The scan itself; progress counts positions in the text.
    static ImportReadResult parseBookmarkText(QByteArrayView text, const QString &topLabel,
                                              const ReadProgress &progress = {});

    // Deletes the elements of these rows (their byte ranges) from the file,
    // keeping every other byte; a row alone on its lines takes those lines
    // with it. Nothing is removed when the file is no longer what was read.
    // The file is replaced whole, so on any failure it stays as it was;
    // returns the error, if any.
    static QString removeImportedBookmarks(const QString &path, const FileSnapshot &read,
                                           const ImportRows &rows);
    static QByteArray withoutElements(QByteArrayView text, const ImportRows &rows);

    static QString tooLargeMessage(const QString &path);
};

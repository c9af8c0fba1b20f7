#pragma once

#include "import/readers/importrow.h"

#include <QByteArrayView>
#include <QCoreApplication>
#include <QString>
#include <QStringList>

// Finds and reads the HTML bookmark files of Netscape and Mozilla browsers. The
// file is scanned as plain text for fixed, case-sensitive markers; texts are
// taken exactly as they stand.
class BookmarkFileReader final
{
    Q_DECLARE_TR_FUNCTIONS(BookmarkFileReader)

public:
    struct ReadResult
    {
        ImportRows rows;
        QString error; // set when the file was refused or could not be read
        bool tooLarge = false;
        bool cancelled = false;
    };

    // Appends every "bookmarks.html" and "bookmark.htm" below folder (any case).
    static void findBookmarkFiles(const QString &folder, QStringList &candidates);

    // Searches the profile folders derived from the Favorites folder, then the
    // folders where Mozilla-family browsers keep profiles here.
    static QStringList collectBookmarkFileCandidates(const QString &favoritesFolder);
    static QStringList mozillaProfileFolders();

    // One row per bookmark of the file. Bookmarks outside every folder carry
    // topLabel. Files over FileLimits::MaxReadSize are refused.
    static ReadResult parseBookmarkFile(const QString &path, const QString &topLabel,
                                        const ReadProgress &progress = {});
    // The scan itself; progress counts positions in the text.
    static ImportRows parseBookmarkText(QByteArrayView text, const QString &topLabel,
                                        const ReadProgress &progress = {},
                                        bool *cancelled = nullptr);

    // Deletes the lines of the bookmarks with these addresses from the file,
    // every identical copy of such a line included. The file is replaced
    // whole, so on any failure it stays as it was; returns the error, if any.
    static QString removeImportedBookmarks(const QString &path, const QStringList &addresses);
    static QByteArray withoutBookmarkLines(const QByteArray &text, const QStringList &addresses);

    static QString tooLargeMessage(const QString &path);
};

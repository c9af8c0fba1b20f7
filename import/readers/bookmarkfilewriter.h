#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QCoreApplication>
#include <QString>
#include <QStringView>

class BookmarkStore;

// Writes every folder and bookmark of a store as a Netscape bookmark file, the
// form Firefox and Chromium both import. Titles, folder names and comments are
// HTML-escaped; addresses are written as they stand, as Firefox writes them,
// with only the characters that would end the attribute percent-encoded. The
// star rating goes into a RATING attribute, which other browsers ignore.
class BookmarkFileWriter final
{
    Q_DECLARE_TR_FUNCTIONS(BookmarkFileWriter)

public:
    // The whole file. Folders come before the bookmarks of their parent;
    // bookmarks whose folder is gone are written at the top level.
    static QByteArray bookmarkFileText(BookmarkStore &store);

    // Replaces the file at path whole, so a failed write leaves what was there;
    // returns the error, or an empty text when the file was written.
    static QString exportBookmarks(BookmarkStore &store, const QString &path);

    // tabAs stands for each TAB: the store keeps line breaks in comments as TABs.
    static void appendEscaped(QByteArray &out, QByteArrayView utf8, char tabAs = '\t');
    static void appendEscaped(QByteArray &out, QStringView text);
    static void appendEscapedAddress(QByteArray &out, QByteArrayView utf8);
    static void appendEscapedAddress(QByteArray &out, QStringView address);
};

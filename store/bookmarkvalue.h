#pragma once

#include "store/bookmarkrecord.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

// How a bookmark or a folder is written as one value: its value name and its
// plain text, before the cipher.
namespace BookmarkValue {

inline constexpr char LineFeed = '\n';

// The lines of a bookmark's plain data; missing lines are empty.
struct Lines
{
    QByteArrayView field[4]; // address, title, comments, reserved
    QByteArrayView rest;     // the rating
};
Lines splitLines(QByteArrayView plain);

int clampRating(int rating);

// address, title, comments (line feeds as TABs), reserved and rating, one per line.
QByteArray composePlain(const BookmarkRecord &record);

// The plain data with its title line replaced and every other line kept.
QByteArray withTitle(const QByteArray &plain, const QString &title);

// The folder id text and the id text of a bookmark value name, "ur<folder>-<id>".
struct NameParts
{
    QByteArrayView folder;
    QByteArrayView id;
    bool usual; // both plain numbers, nothing before "ur"
};
std::optional<NameParts> splitName(QByteArrayView name);

QByteArray bookmarkName(int folderId, QByteArrayView idText);
QByteArray folderName(int folderId);

// A folder's plain data: its name, a line feed and its parent id.
QByteArray folderPlain(const QString &name, int parentId);

struct FolderFields
{
    QString name;
    int parentId = 0;
};
// A value without a line feed is a folder at the top level.
FolderFields splitFolder(const QByteArray &plain);

} // namespace BookmarkValue

#pragma once

#include <QString>

// One bookmark as callers hand it to the store. Line breaks in the comments are
// held as TABs. folderOrKey is the receiving folder's id on add, and the
// bookmark's id or tag on update.
struct BookmarkRecord
{
    QString address;
    QString title;
    QString comments;
    QString reserved;
    int rating = 0; // 0 = not set, 1..5 stars
    QString folderOrKey;
};

// The bookmark that the last scan step or selection made current.
struct CurrentBookmark
{
    QString folderName; // empty at the top level
    int rating = 0;
    QString comments;
    QString reserved;
    QString title;
    QString address;
    int id = 0;
    int folderId = 0;
};

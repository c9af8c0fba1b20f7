#pragma once

#include <QByteArray>
#include <QString>

// One bookmark as memory holds it: its texts as stored, and where it is listed.
struct BookmarkEntry
{
    qint64 seq; // its place in the hive's order
    QByteArray plain; // address, title, comments, reserved, rating: one per line
    QString tag;
    int id;
    int folderId;
    bool oddFolder; // the folder id text is not a plain number: see BookmarkIndex::oddName
    bool tagWaiting = false; // its tag is not in the index yet: see TagIndex
};

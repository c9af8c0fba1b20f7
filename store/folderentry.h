#pragma once

#include <QByteArray>
#include <QString>

// One folder as memory holds it.
struct FolderEntry
{
    qint64 seq; // its place in the hive's order
    QByteArray valueName;
    QString name;
    int id;
    int parentId;
    enum Walk : quint8 { Unseen, OnPath, Done } walk = Unseen; // while parent loops are mended
};

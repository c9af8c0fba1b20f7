#pragma once

#include "store/bookmarkcipher.h"
#include "store/bookmarkstore.h"
#include "store/hive/hive.h"

#include <QMap>
#include <QStringList>

// What a store holds, as sorted text lines, so that two stores (one in memory,
// one reopened from the file) can be compared whole.
inline QStringList storeSnapshot(BookmarkStore &store)
{
    QStringList lines;
    store.endBookmarkScan();
    while (store.nextBookmark()) {
        const CurrentBookmark &b = store.currentBookmark();
        lines << QStringLiteral("ur%1-%2 %3|%4|%5|%6|%7")
                     .arg(b.folderId)
                     .arg(b.id)
                     .arg(b.address, b.title, b.comments, b.reserved)
                     .arg(b.rating);
    }
    store.endBookmarkScan();
    store.resetFolderScan();
    while (store.nextFolder()) {
        const FolderRecord &f = store.currentFolder();
        lines << QStringLiteral("gr%1 %2|%3").arg(f.id).arg(f.name).arg(f.parentId);
    }
    lines.sort();
    return lines;
}

// The deciphered values of the bookmark key, by value name.
inline QMap<QByteArray, QByteArray> plainValues(Hive &hive)
{
    QMap<QByteArray, QByteArray> values;
    for (const HiveValue &value : hive.enumerateValues(BookmarkStore::KeyPath))
        values.insert(value.name, value.name == "INI" ? value.data
                                                      : bookmarkCipherDecipher(value.data));
    return values;
}

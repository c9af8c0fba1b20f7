#pragma once

#include "import/readers/importfolders.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>

// One line of an import list, as a reader found it.
struct ImportRow
{
    QString title;
    QString address;
    QString label;   // the "Folder" column: the name of the folder that holds it
    QString comment; // line breaks as they stand in the source
    int folder = ImportFolders::Top; // in the source's ImportFolders; decides the target folder
    // A bookmark file's row: the bytes of its own element, comment included.
    qint64 sourceBegin = -1;
    qint64 sourceEnd = -1;
    QString sourcePath;      // the shortcut file a favourite came from; empty otherwise
    QByteArray sourceDigest; // that file's content as read
};

Q_DECLARE_TYPEINFO(ImportRow, Q_RELOCATABLE_TYPE);

using ImportRows = QList<ImportRow>;

// Told how far a long read has got; returning false cancels the read.
using ReadProgress = std::function<bool(qint64 done, qint64 total)>;

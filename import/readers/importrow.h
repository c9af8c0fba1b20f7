#pragma once

#include <QList>
#include <QString>

#include <functional>

// One line of an import list, as a reader found it.
struct ImportRow
{
    QString title;
    QString address;
    QString label;      // the "Folder" column: the name of the folder that holds it
    QString folderPath; // \A\B, or empty for the top level; decides the target folder
    QString sourcePath; // the shortcut file a favourite came from; empty otherwise
};

Q_DECLARE_TYPEINFO(ImportRow, Q_RELOCATABLE_TYPE);

using ImportRows = QList<ImportRow>;

// Told how far a long read has got; returning false cancels the read.
using ReadProgress = std::function<bool(qint64 done, qint64 total)>;

#pragma once

#include <QString>

// One folder; id 0 is the implicit top level "Favorites" and is never stored.
struct FolderRecord
{
    int id = 0;
    QString name;
    int parentId = 0;
};

// What ensureFolderPath found for an imported bookmark.
struct FolderPathResult
{
    QString folderId;      // "0" for the top level
    bool duplicate = false; // the folder already holds this address
    QString duplicateId;   // that bookmark's id, when duplicate
    bool failed = false;   // a missing folder could not be written: add nothing
};

#pragma once

#include "import/readers/filesnapshot.h"
#include "import/readers/importfolders.h"
#include "import/readers/importrow.h"

#include <QString>

// What reading one import source gave: its rows and folders, or why there are none.
struct ImportReadResult
{
    ImportRows rows;
    ImportFolders folders;
    QString error; // set when the source could not be read; rows is then empty
    bool tooLarge = false;
    bool cancelled = false;
    // Bookmarks nested deeper than ImportFolders::MaxDepth, placed at that depth.
    qsizetype placedAtMaxDepth = 0;
    // The bookmark file as read, for Remove on import.
    FileSnapshot source;

    static ImportReadResult cancelledRead()
    {
        ImportReadResult result;
        result.cancelled = true;
        return result;
    }
};

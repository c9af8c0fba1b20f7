#pragma once

#include <QStringList>

// What an import that went through left undone besides the bookmarks
// themselves: the person is told all of it in one message at its end.
struct ImportOutcome
{
    static constexpr int DepthLimit = 256; // the deepest nesting the readers keep

    // Checked ".url" files that Remove on import could not delete.
    QStringList unremovedFiles;
    bool recentLocationsSaved = true;
    // Bookmarks nested deeper than the readers keep, placed at their deepest folder.
    qsizetype placedAtDepthLimit = 0;
};

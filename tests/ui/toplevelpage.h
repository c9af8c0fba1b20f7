#pragma once

#include "organiser/bookmarkpageaccess.h"

// The bookmarks page as the import dialog sees it, at the top level; the
// store is the subclass's. The import tests and benchmarks share it.
class TopLevelPage : public BookmarkPageAccess
{
public:
    int selectedFolderId() const override { return 0; }
    QString selectedFolderName() const override { return {}; }
    void setEditedBookmark(const BookmarkRecord &) override {}
    QString folderName() const override { return {}; }
    void setFolderName(const QString &) override {}
    void setMoveTarget(int) override {}
};

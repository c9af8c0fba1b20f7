#pragma once

#include <QtGlobal>

class BookmarkStore;
class QString;
struct BookmarkRecord;

// What the bookmark, move and folder name dialogs need from the page that runs
// them. The bookmarks page implements it. A dialog reads through it while it
// runs and writes its result into it just before it closes with OK; it never
// keeps the store or writes to it.
class BookmarkPageAccess
{
public:
    virtual ~BookmarkPageAccess() = default;

    // The one bookmark store. The edit dialog reads the current bookmark from it
    // (the caller makes the bookmark current first); the folder dialogs read the
    // folders and ask isFolderNameTaken.
    virtual BookmarkStore &store() = 0;

    // The folder selected in the page's folder tree: its id (0 for "Favorites")
    // and its label as shown.
    virtual int selectedFolderId() const = 0;
    virtual QString selectedFolderName() const = 0;

    // Bookmark dialog, on OK: address, title, comments (line feeds held as TABs)
    // and rating 0..5. reserved and folderOrKey are left empty for the page.
    virtual void setEditedBookmark(const BookmarkRecord &fields) = 0;

    // Folder name dialog: the name it starts from when renaming, and on OK the
    // name entered.
    virtual QString folderName() const = 0;
    virtual void setFolderName(const QString &name) = 0;

    // Move dialog, on OK: the chosen folder id, 0 for "Favorites".
    virtual void setMoveTarget(int folderId) = 0;

protected:
    BookmarkPageAccess() = default;
    BookmarkPageAccess(const BookmarkPageAccess &) = default;
    BookmarkPageAccess &operator=(const BookmarkPageAccess &) = default;
};

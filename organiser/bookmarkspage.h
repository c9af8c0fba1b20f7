#pragma once

#include "organiser/bookmarklistmodel.h"
#include "organiser/bookmarkpageaccess.h"
#include "store/bookmarkrecord.h"

#include <QHash>
#include <QIcon>
#include <QWidget>

#include <functional>
#include <memory>

class BookmarkList;
class FindField;
class FolderTree;
class LazyFill;
class Hive;
class QAction;
class QMenu;
class QTreeWidgetItem;
class SplitterBar;

// The user's bookmarks: the folder tree on the left and the bookmarks of the
// selected folder on the right, best rated first. The page writes every change
// through the store at once; the store belongs to whoever made the page and
// must outlive it.
class BookmarksPage final : public QWidget, public BookmarkPageAccess
{
    Q_OBJECT

public:
    // The rows answer their texts in this order.
    enum Column {
        TitleColumn = BookmarkListModel::TitleColumn,
        AddressColumn = BookmarkListModel::AddressColumn,
        RatingColumn = BookmarkListModel::RatingColumn
    };
    // A row's number when it was listed: with the folder id, the bookmark's tag.
    static constexpr int RowRole = BookmarkListModel::NumberRole;

    explicit BookmarksPage(BookmarkStore &store, QWidget *parent = nullptr);
    ~BookmarksPage() override;
    Q_DISABLE_COPY_MOVE(BookmarksPage)

    BookmarkStore &store() override;
    int selectedFolderId() const override;
    QString selectedFolderName() const override;
    void setEditedBookmark(const BookmarkRecord &fields) override;
    QString folderName() const override;
    void setFolderName(const QString &name) override;
    void setMoveTarget(int folderId) override;
    // What the bookmark dialog handed over last.
    const BookmarkRecord &editedBookmark() const { return m_edited; }

    // Both views are filled when first needed: on the first show or the first
    // call that works on them.
    FolderTree *folderTree();
    BookmarkList *bookmarkList();
    FindField *findField() const { return m_findField; }
    // Whether the list shows what the find field found rather than a folder.
    bool isFinding() const;
    // The context menus' actions, by command id.
    QAction *action(int commandId) const { return m_actions.value(commandId); }
    QString rowTag(int row) const;

public slots:
    // Title and address prefill the dialog when the title is not empty.
    void addBookmark(const QString &title = {}, const QString &address = {});
    void editBookmark();
    // Deletes the selected folder when the tree was used last, else the selected rows.
    void deleteSelection();
    void openSelection();
    void moveToFolder();
    void selectAllRows();
    void reloadFolders();
    // Runs the import dialog; its recent locations live in recentLocations.
    void importBookmarks(Hive *recentLocations);
    void addFolder();
    void renameFolder();
    void deleteFolder();
    void fillList();
    void startFinding();
    // Empties the find field and shows the open folder again.
    void stopFinding();

signals:
    // Bookmarks or folders changed: other views of them should refill.
    void bookmarksChanged();
    void openAddressRequested(const QString &address);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void createViews();
    void createActions();
    void fillOnce();
    QAction *makeAction(int commandId, const QString &text, const std::function<void()> &run);
    void fillTree();
    void selectFolder(int folderId);
    BookmarkListModel::Row makeRow(const QString &tagPrefix);
    QString tagPrefix() const;
    static QString tag(const QString &prefix, int number);
    void showRows(std::vector<BookmarkListModel::Row> rows);
    QList<int> selectedRows() const;
    QTreeWidgetItem *selectedFolderItem() const;
    bool isDeletableFolder(const QTreeWidgetItem *item) const;
    bool updateButtons();
    void deleteBookmarks();
    void showListMenu(const QPoint &pos);
    void showFolderMenu(const QPoint &pos);
    void takeDrop(QTreeWidgetItem *dragged, QTreeWidgetItem *target, bool folderDrop);
    bool moveSelectedRows(int folderId);
    void showNewRow(BookmarkListModel::Row row);
    void reload();
    void removeRows(const QList<int> &rows);
    void noteFocus(QWidget *now);
    void createFindField();
    void fillFoundList();

    BookmarkStore &m_store;
    FolderTree *m_tree = nullptr;
    LazyFill *m_fill = nullptr;
    SplitterBar *m_splitter = nullptr;
    BookmarkList *m_list = nullptr;
    FindField *m_findField = nullptr;
    QMenu *m_listMenu = nullptr;
    QMenu *m_folderMenu = nullptr;
    QHash<int, QAction *> m_actions;
    QIcon m_rowIcon; // one icon shared by every row

    BookmarkRecord m_edited;
    QString m_folderName;
    int m_moveTarget = 0;
    int m_nextRow = 0;          // row numbers stay unique until the next fill
    quint64 m_listedAt = 0;     // the store's change count when the list was filled
    bool m_treeUsedLast = false; // the tree had the focus after the list did
    bool m_backTabToFind = false; // the list took the focus by Tab from the find field
    bool m_filled = false;
};

#pragma once

#include "organiser/bookmarkpageaccess.h"
#include "organiser/lazyfill.h"
#include "store/bookmarkrecord.h"

#include <QHash>
#include <QPersistentModelIndex>
#include <QWidget>

#include <vector>

class BookmarkFields;
class FolderTree;
class QAction;
class QMenu;
class QPushButton;
class QTreeWidgetItem;

// Folders and their bookmarks in one tree, to arrange: create, rename in place,
// delete, edit and drag. It works on the store it is given, which must outlive
// it, and asks for the other views to be refreshed after every change.
class OrganizePage final : public QWidget, public BookmarkPageAccess
{
    Q_OBJECT

public:
    static constexpr int FolderImage = 0;
    static constexpr int BookmarkImage = 2;

    explicit OrganizePage(BookmarkStore &store, QWidget *parent = nullptr);
    ~OrganizePage() override;
    Q_DISABLE_COPY_MOVE(OrganizePage)

    // What the bookmark dialog reaches while it edits a bookmark from here.
    BookmarkStore &store() override { return m_store; }
    int selectedFolderId() const override;
    QString selectedFolderName() const override;
    void setEditedBookmark(const BookmarkRecord &fields) override { m_edited = fields; }
    QString folderName() const override { return {}; }
    void setFolderName(const QString &) override {}
    void setMoveTarget(int) override {}

    FolderTree *tree();
    QAction *action(int commandId) const { return m_actions.value(commandId); }
    QPushButton *createButton() const { return m_create; }
    QPushButton *renameButton() const { return m_rename; }
    QPushButton *deleteButton() const { return m_delete; }

    // "New Folder" and the first number that makes the name free under the parent.
    QString freeFolderName(int parentId) const;

public slots:
    void rebuild();
    void createFolder();
    void renameItem();
    void deleteItem();
    void editBookmark();

signals:
    // The collection changed here: the bookmarks page should reload.
    void bookmarksChanged();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void createControls();
    void createMenu();
    void fillOnce();
    QList<LazyFill::Entry> contentsOf(int folderId);
    QTreeWidgetItem *insert(const QString &label, int image, QTreeWidgetItem *parent, int id);
    void startLabelEdit(QTreeWidgetItem *item);
    void finishLabelEdit(const QModelIndex &index, const QString &typed);
    bool isFolderNameTaken(const QString &name, const QTreeWidgetItem *item) const;
    void openOnly(QTreeWidgetItem *current);
    std::vector<QTreeWidgetItem *> openFolders() const;
    void openAfterPress();
    void keepInPlace(const QTreeWidgetItem *item, int top);
    void reload();
    static QString label(const BookmarkFields &bookmark);
    void showMenu(const QPoint &pos);
    void takeDrop(QTreeWidgetItem *dragged, QTreeWidgetItem *target, bool folderDrop);
    static bool isBookmark(const QTreeWidgetItem *item);
    static int parentIdOf(const QTreeWidgetItem *item);

    BookmarkStore &m_store;
    BookmarkRecord m_edited;
    FolderTree *m_tree = nullptr;
    LazyFill *m_fill = nullptr;
    bool m_filled = false; // the tree has been filled once
    bool m_pressing = false;       // a mouse press is being handled by the tree
    bool m_openAfterPress = false; // that press made another item current
    Qt::MouseButton m_pressedButton = Qt::NoButton;
    QPushButton *m_create = nullptr;
    QPushButton *m_rename = nullptr;
    QPushButton *m_delete = nullptr;
    QMenu *m_menu = nullptr;
    QHash<int, QAction *> m_actions;
    QPersistentModelIndex m_rightClicked;
    QPersistentModelIndex m_openedFor; // the row openOnly last opened the way to
};

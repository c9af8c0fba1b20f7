#pragma once

#include "organiser/foldertreeitem.h"

#include <QBasicTimer>
#include <QIcon>
#include <QPersistentModelIndex>
#include <QPointer>
#include <QTreeWidget>

#include <memory>

class LazyFill;
class QMimeData;

// A tree of bookmark folders that is a drag source for folders and a drop
// target for folders and bookmarks. Only drags that started in this program
// are taken: the folder-drag and bookmark-drag flags of DragState say so.
// The tree moves its own items; what a drop means for the store is left to
// whoever handles itemDropped.
class FolderTree final : public QTreeWidget
{
    Q_OBJECT

public:
    static constexpr int EdgeZone = 10;        // pixels from an edge that scroll
    static constexpr int ScrollInterval = 100; // ms between scroll steps while hovering there
    static constexpr int ExpandDelay = 700;    // ms a drag rests on a closed folder before it opens

    explicit FolderTree(QWidget *parent = nullptr);
    Q_DISABLE_COPY_MOVE(FolderTree)

    // Pictures by image index: 0 closed folder, 1 open folder, 2 bookmark,
    // 3 selected bookmark, unless replaced.
    void setPictures(const QList<QIcon> &pictures);
    QIcon picture(int image) const;

    // Inserts an item under parent (top level when null), after `after`
    // (as the last child when null).
    FolderTreeItem *insertItem(const QString &label, int image, int selectedImage,
                               QTreeWidgetItem *parent = nullptr, QTreeWidgetItem *after = nullptr,
                               int id = 0);

    // What makes a folder's items when they were left to be made on demand,
    // if anything does; fillChildren is called before the tree looks into a
    // folder or opens it.
    void setLazyFill(LazyFill *fill);
    LazyFill *lazyFill() const;
    void fillChildren(QTreeWidgetItem *item);

    QTreeWidgetItem *dropHighlightedItem() const;
    // The copy that the last folder drop into this tree made, while it exists.
    QTreeWidgetItem *droppedItem() const;

    // A folder drag from this tree: selects and marks the item, makes this tree
    // the drag's source and sets the folder-drag flag; returns the drag's data,
    // or null when the item cannot be dragged (none, or the top level itself).
    // endFolderDrag clears the flag and the mark. startDrag runs both around
    // the drag loop; tests call them around simulated drag events.
    std::unique_ptr<QMimeData> beginFolderDrag(QTreeWidgetItem *item);
    void endFolderDrag();

signals:
    // A drop was taken. For bookmarks dragged is null. For a folder, the tree
    // has already copied dragged with its subtree under target (null: the top
    // level), and deletes dragged from its tree right after this signal.
    void itemDropped(QTreeWidgetItem *dragged, QTreeWidgetItem *target, bool folderDrop);

protected:
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void drawRow(QPainter *painter, const QStyleOptionViewItem &option,
                 const QModelIndex &index) const override;
    void timerEvent(QTimerEvent *event) override;

private:
    struct Verdict
    {
        QTreeWidgetItem *hit = nullptr;
        bool allowed = false;
        bool highlight = false;
    };

    static bool isOurDrag(const QMimeData *data);
    static bool isFolderDrag();
    static Qt::DropAction actionFor(Qt::KeyboardModifiers modifiers);
    static QTreeWidgetItem *draggedFolder();
    static bool isSameFolder(const QTreeWidgetItem *a, const QTreeWidgetItem *b);
    static bool isInsideOf(const QTreeWidgetItem *item, const QTreeWidgetItem *folder);

    Verdict judge(QPoint pos) const;
    Qt::DropAction dragOver(QDropEvent *event);
    void hover(QTreeWidgetItem *item);
    void cancelExpand();
    void expandHovered();
    void scrollNearEdges(QPoint pos);
    void setDropHighlight(QTreeWidgetItem *item);
    QRect rowRect(const QModelIndex &index) const;
    void collapseAutoExpanded();
    void endHover();
    bool dropFolder(QTreeWidgetItem *dragged, QTreeWidgetItem *target);
    bool hasChildLabelled(QTreeWidgetItem *parent, const QString &label) const;
    QTreeWidgetItem *copySubtree(const QTreeWidgetItem *source, QTreeWidgetItem *parent);

    QPointer<QObject> m_lazyFill; // a LazyFill
    QList<QIcon> m_pictures;
    QList<QPersistentModelIndex> m_autoExpanded; // in the order they were expanded
    QPersistentModelIndex m_dropHighlight;
    QPersistentModelIndex m_droppedItem;
    QBasicTimer m_scrollTimer;
    QBasicTimer m_expandTimer;
    QPersistentModelIndex m_expandPending; // the closed folder the drag rests on
    QPoint m_lastDragPos;
};

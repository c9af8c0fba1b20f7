#include "organiser/foldertree.h"

#include "organiser/dragstate.h"
#include "organiser/lazyfill.h"
#include "organiser/organiserpictures.h"

#include <QDrag>
#include <QDragEnterEvent>
#include <QMimeData>
#include <QScrollBar>
#include <QTimerEvent>

#include <utility>
#include <vector>

FolderTree::FolderTree(QWidget *parent) : QTreeWidget(parent)
{
    setHeaderHidden(true);
    setColumnCount(1);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDropIndicatorShown(false);
    // Every row is one line beside a picture of the view's icon size: a layout
    // need not measure each of a large folder's rows.
    setUniformRowHeights(true);
    // A folder passed over on the way to another stays closed.
    setAutoExpandDelay(ExpandDelay);
    // Near the edges a drag scrolls by the drag handlers; the view's own
    // scrolling only brings the current row into sight.
    m_pictures = {OrganiserPictures::folderClosed(), OrganiserPictures::folderOpen(),
                  OrganiserPictures::bookmark(), OrganiserPictures::bookmark()};
}

void FolderTree::setPictures(const QList<QIcon> &pictures)
{
    m_pictures = pictures;
    viewport()->update();
}

QIcon FolderTree::picture(int image) const
{
    return image >= 0 && image < m_pictures.size() ? m_pictures.at(image) : QIcon();
}

FolderTreeItem *FolderTree::insertItem(const QString &label, int image, int selectedImage,
                                       QTreeWidgetItem *parent, QTreeWidgetItem *after, int id)
{
    auto item = std::make_unique<FolderTreeItem>(label, image, selectedImage, id);
    QTreeWidgetItem *under = parent ? parent : invisibleRootItem();
    const int afterIndex = after ? under->indexOfChild(after) : -1;
    const int at = afterIndex < 0 ? under->childCount() : afterIndex + 1;
    under->insertChild(at, item.get());
    return item.release();
}

void FolderTree::setLazyFill(LazyFill *fill)
{
    m_lazyFill = fill;
}

LazyFill *FolderTree::lazyFill() const
{
    return static_cast<LazyFill *>(m_lazyFill.data());
}

void FolderTree::fillChildren(QTreeWidgetItem *item)
{
    if (LazyFill *fill = lazyFill())
        fill->ensureFilled(item);
}

QTreeWidgetItem *FolderTree::dropHighlightedItem() const
{
    return itemFromIndex(m_dropHighlight);
}

QTreeWidgetItem *FolderTree::droppedItem() const
{
    return itemFromIndex(m_droppedItem);
}

std::unique_ptr<QMimeData> FolderTree::beginFolderDrag(QTreeWidgetItem *item)
{
    if (!item || item->treeWidget() != this)
        return nullptr;
    // The top level "Favorites" stands for the whole collection and stays put.
    if (!item->parent() && FolderTreeItem::isFolder(item) && FolderTreeItem::id(item) == 0)
        return nullptr;
    setCurrentItem(item);
    setDropHighlight(item);
    DragState::setSourceTree(this);
    DragState::setFolderDragging(true);
    return DragState::folderPayload(FolderTreeItem::id(item));
}

void FolderTree::endFolderDrag()
{
    DragState::setFolderDragging(false);
    setDropHighlight(nullptr);
    if (DragState::sourceTree() == this)
        DragState::setSourceTree(nullptr);
}

void FolderTree::startDrag(Qt::DropActions)
{
    QTreeWidgetItem *item = currentItem();
    std::unique_ptr<QMimeData> data = beginFolderDrag(item);
    if (!data)
        return;
    auto *drag = new QDrag(this);
    drag->setPixmap(item->icon(0).pixmap(iconSize()));
    drag->setMimeData(data.release());
    const QPointer<FolderTree> guard(this);
    drag->exec(Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, Qt::CopyAction);
    DragState::setFolderDragging(false);
    if (guard)
        endFolderDrag();
}

bool FolderTree::isOurDrag(const QMimeData *data)
{
    return DragState::isOurs(data);
}

bool FolderTree::isFolderDrag()
{
    return DragState::folderDragging();
}

Qt::DropAction FolderTree::actionFor(Qt::KeyboardModifiers modifiers)
{
    return modifiers & Qt::ShiftModifier ? Qt::MoveAction : Qt::CopyAction;
}

QTreeWidgetItem *FolderTree::draggedFolder()
{
    const FolderTree *source = DragState::sourceTree();
    return source ? source->currentItem() : nullptr;
}

// Two trees can show the same folders (the bookmarks page and the Organize
// page), so across trees a folder is known by its id.
bool FolderTree::isSameFolder(const QTreeWidgetItem *a, const QTreeWidgetItem *b)
{
    if (a == b)
        return true;
    return a && b && a->treeWidget() != b->treeWidget() && FolderTreeItem::isFolder(a) &&
           FolderTreeItem::isFolder(b) && FolderTreeItem::id(a) == FolderTreeItem::id(b);
}

// Whether item lies below folder (not at it).
bool FolderTree::isInsideOf(const QTreeWidgetItem *item, const QTreeWidgetItem *folder)
{
    for (const QTreeWidgetItem *up = item->parent(); up; up = up->parent())
        if (isSameFolder(up, folder))
            return true;
    return false;
}

FolderTree::Verdict FolderTree::judge(QPoint pos) const
{
    Verdict verdict;
    verdict.hit = itemAt(pos);
    verdict.highlight = verdict.hit != nullptr;
    verdict.allowed = verdict.hit != nullptr;
    if (!isFolderDrag())
        return verdict;
    const QTreeWidgetItem *dragged = draggedFolder();
    if (!dragged || !verdict.hit || isSameFolder(dragged, verdict.hit))
        verdict.allowed = false;
    if (verdict.hit && ((!FolderTreeItem::isFolder(verdict.hit) && verdict.hit->parent()) ||
                        (dragged && isInsideOf(verdict.hit, dragged))))
        verdict.allowed = verdict.highlight = false;
    return verdict;
}

Qt::DropAction FolderTree::dragOver(QDropEvent *event)
{
    m_lastDragPos = event->position().toPoint();
    const Verdict verdict = judge(m_lastDragPos);
    if (verdict.highlight) {
        hover(verdict.hit);
    } else {
        cancelExpand();
        setDropHighlight(nullptr);
    }
    scrollNearEdges(m_lastDragPos);
    return verdict.allowed ? actionFor(event->modifiers()) : Qt::IgnoreAction;
}

void FolderTree::dragEnterEvent(QDragEnterEvent *event)
{
    if (!isOurDrag(event->mimeData())) {
        event->ignore();
        return;
    }
    m_autoExpanded.clear();
    dragOver(event);
    // Taken even where this point refuses, so that the moves that follow are seen.
    event->setDropAction(actionFor(event->modifiers()));
    event->accept();
}

void FolderTree::dragMoveEvent(QDragMoveEvent *event)
{
    if (!isOurDrag(event->mimeData())) {
        event->ignore();
        return;
    }
    const Qt::DropAction action = dragOver(event);
    if (action == Qt::IgnoreAction) {
        event->ignore();
        return;
    }
    event->setDropAction(action);
    event->accept();
}

void FolderTree::dragLeaveEvent(QDragLeaveEvent *event)
{
    endHover();
    event->accept();
}

void FolderTree::dropEvent(QDropEvent *event)
{
    m_scrollTimer.stop();
    const Verdict verdict =
        isOurDrag(event->mimeData()) ? judge(event->position().toPoint()) : Verdict{};
    bool done = verdict.allowed;
    if (done && isFolderDrag()) {
        done = dropFolder(draggedFolder(), verdict.hit);
    } else if (done) {
        emit itemDropped(nullptr, verdict.hit, false);
        endHover();
    }
    if (!done) {
        endHover();
        event->ignore();
        return;
    }
    event->setDropAction(actionFor(event->modifiers()));
    event->accept();
}

bool FolderTree::dropFolder(QTreeWidgetItem *dragged, QTreeWidgetItem *target)
{
    auto *source = qobject_cast<FolderTree *>(dragged->treeWidget());
    if (!source)
        return false;
    // A bookmark at the top level of a tree without a root stands for the top level.
    if (!FolderTreeItem::isFolder(target) && !target->parent())
        target = nullptr;
    fillChildren(target); // the name check and the copy need the target's children
    if (hasChildLabelled(target, dragged->text(0)))
        return false;

    const QPersistentModelIndex draggedIndex(source->indexFromItem(dragged));
    m_droppedItem = QPersistentModelIndex(indexFromItem(copySubtree(dragged, target)));
    emit itemDropped(dragged, target, true);
    // The handler may have refilled either tree; touch only what still exists.
    if (draggedIndex.isValid())
        delete source->itemFromIndex(draggedIndex);
    endHover();
    if (QTreeWidgetItem *copy = droppedItem()) {
        setCurrentItem(copy);
        scrollToItem(copy);
    }
    return true;
}

bool FolderTree::hasChildLabelled(QTreeWidgetItem *parent, const QString &label) const
{
    const QTreeWidgetItem *under = parent ? parent : invisibleRootItem();
    for (int i = 0; i < under->childCount(); ++i)
        if (under->child(i)->text(0).compare(label, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

QTreeWidgetItem *FolderTree::copySubtree(const QTreeWidgetItem *source, QTreeWidgetItem *parent)
{
    auto copyOf = [](const QTreeWidgetItem *item) {
        auto copy = std::make_unique<FolderTreeItem>(item->text(0), FolderTreeItem::image(item),
                                                     FolderTreeItem::selectedImage(item),
                                                     FolderTreeItem::id(item));
        // Children not made yet are made for the copy when it is opened.
        copy->setData(0, FolderTreeItem::UnfilledRole, item->data(0, FolderTreeItem::UnfilledRole));
        copy->setChildIndicatorPolicy(item->childIndicatorPolicy());
        return copy;
    };
    // Built off the tree, then attached once; a stack keeps deep trees off the call stack.
    auto root = copyOf(source);
    std::vector<std::pair<const QTreeWidgetItem *, QTreeWidgetItem *>> pending{
        {source, root.get()}};
    while (!pending.empty()) {
        const auto [from, to] = pending.back();
        pending.pop_back();
        for (int i = 0; i < from->childCount(); ++i) {
            auto child = copyOf(from->child(i));
            pending.emplace_back(from->child(i), child.get());
            to->addChild(child.release());
        }
    }
    QTreeWidgetItem *copy = root.get();
    (parent ? parent : invisibleRootItem())->addChild(root.release());
    return copy;
}

// The folder under the drag opens once the drag has rested on it for the delay.
void FolderTree::hover(QTreeWidgetItem *item)
{
    setDropHighlight(item);
    const QPersistentModelIndex index(indexFromItem(item));
    if (item->isExpanded()) {
        cancelExpand();
    } else if (index != m_expandPending) {
        m_expandPending = index;
        m_expandTimer.start(autoExpandDelay(), this);
    }
}

void FolderTree::cancelExpand()
{
    m_expandTimer.stop();
    m_expandPending = QPersistentModelIndex();
}

void FolderTree::expandHovered()
{
    QTreeWidgetItem *item = itemFromIndex(m_expandPending);
    cancelExpand();
    if (!item || item->isExpanded() || !DragState::anyDragging() || itemAt(m_lastDragPos) != item)
        return;
    fillChildren(item);
    m_autoExpanded.append(QPersistentModelIndex(indexFromItem(item)));
    item->setExpanded(true);
}

void FolderTree::scrollNearEdges(QPoint pos)
{
    const QRect area = viewport()->rect();
    bool nearEdge = false;
    if (pos.y() >= area.height() - EdgeZone) {
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        nearEdge = true;
    } else if (pos.y() < EdgeZone) {
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
        nearEdge = true;
    }
    if (pos.x() < EdgeZone) {
        horizontalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
        nearEdge = true;
    } else if (pos.x() >= area.width() - EdgeZone) {
        horizontalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        nearEdge = true;
    }
    // Qt reports a drag only when the mouse moves; keep scrolling while it rests there.
    if (nearEdge)
        m_scrollTimer.start(ScrollInterval, this);
    else
        m_scrollTimer.stop();
}

void FolderTree::timerEvent(QTimerEvent *event)
{
    if (event->timerId() == m_expandTimer.timerId()) {
        expandHovered();
        return;
    }
    if (event->timerId() != m_scrollTimer.timerId()) {
        QTreeWidget::timerEvent(event);
        return;
    }
    if (!DragState::anyDragging()) {
        m_scrollTimer.stop();
        return;
    }
    scrollNearEdges(m_lastDragPos);
    // The rows moved under the pointer: the highlight follows, or goes where
    // the row now under it refuses, never staying on a row scrolled away.
    const Verdict verdict = judge(m_lastDragPos);
    if (verdict.highlight) {
        hover(verdict.hit);
    } else {
        cancelExpand();
        setDropHighlight(nullptr);
    }
}

void FolderTree::setDropHighlight(QTreeWidgetItem *item)
{
    const QModelIndex old = m_dropHighlight;
    m_dropHighlight = item ? QPersistentModelIndex(indexFromItem(item)) : QPersistentModelIndex();
    if (old.isValid())
        viewport()->update(rowRect(old));
    if (m_dropHighlight.isValid())
        viewport()->update(rowRect(m_dropHighlight));
}

// The mark lights the whole row, branch included, which the item's own
// rectangle leaves out: repainting only that left the branch of a row passed
// over lit.
QRect FolderTree::rowRect(const QModelIndex &index) const
{
    const QRect item = visualRect(index);
    return QRect(0, item.top(), viewport()->width(), item.height());
}

void FolderTree::collapseAutoExpanded()
{
    for (auto it = m_autoExpanded.crbegin(); it != m_autoExpanded.crend(); ++it)
        if (QTreeWidgetItem *item = itemFromIndex(*it))
            item->setExpanded(false);
    m_autoExpanded.clear();
}

void FolderTree::endHover()
{
    m_scrollTimer.stop();
    cancelExpand();
    collapseAutoExpanded();
    setDropHighlight(nullptr);
}

void FolderTree::drawRow(QPainter *painter, const QStyleOptionViewItem &option,
                         const QModelIndex &index) const
{
    if (m_dropHighlight.isValid() && index.siblingAtColumn(0) == m_dropHighlight) {
        QStyleOptionViewItem highlighted = option;
        highlighted.state |= QStyle::State_Selected | QStyle::State_Active;
        QTreeWidget::drawRow(painter, highlighted, index);
        return;
    }
    QTreeWidget::drawRow(painter, option, index);
}

#include "organiser/lazyfill.h"

#include "organiser/foldertree.h"
#include "organiser/foldertreeitem.h"
#include "store/bookmarkstore.h"

#include <QHash>
#include <QScrollBar>
#include <QTreeWidgetItemIterator>

namespace {

constexpr int FolderImage = 0;
constexpr int BookmarkImage = 2;

} // namespace

LazyFill::LazyFill(FolderTree *tree, BookmarkStore &store, Shows shows, Lister lister)
    : QObject(tree), m_tree(tree), m_store(store), m_shows(shows), m_lister(std::move(lister))
{
    connect(m_tree, &QTreeWidget::itemExpanded, this, &LazyFill::ensureFilled);
    m_tree->setLazyFill(this);
}

QTreeWidgetItem *LazyFill::topItem() const
{
    if (m_rootLabel.isEmpty())
        return m_tree->invisibleRootItem();
    return m_tree->topLevelItem(0);
}

// Folders and bookmarks can share a number, so the kind is part of the key.
qint64 LazyFill::key(const QTreeWidgetItem *item)
{
    return qint64(FolderTreeItem::id(item)) * 2 + (FolderTreeItem::isFolder(item) ? 0 : 1);
}

qint64 LazyFill::key(const Entry &entry)
{
    return qint64(entry.id) * 2 + (entry.folder ? 0 : 1);
}

bool LazyFill::isFilled(const QTreeWidgetItem *item)
{
    return !item->data(0, FolderTreeItem::UnfilledRole).toBool();
}

bool LazyFill::hasChildren(int folderId) const
{
    return m_store.hasChildFolders(folderId)
        || (m_shows == Shows::FoldersAndBookmarks && m_store.hasBookmarks(folderId));
}

// An unfilled folder shows its arrow only when there is something behind it.
void LazyFill::showArrow(QTreeWidgetItem *item, bool hasChildren)
{
    item->setData(0, FolderTreeItem::UnfilledRole, hasChildren);
    item->setChildIndicatorPolicy(hasChildren ? QTreeWidgetItem::ShowIndicator
                                              : QTreeWidgetItem::DontShowIndicatorWhenChildless);
}

QTreeWidgetItem *LazyFill::makeItem(const Entry &entry, QTreeWidgetItem *parent, int at)
{
    const int image = entry.folder ? FolderImage : BookmarkImage;
    auto item = std::make_unique<FolderTreeItem>(entry.label, image, image + 1, entry.id);
    if (entry.folder)
        showArrow(item.get(), hasChildren(entry.id));
    QTreeWidgetItem *made = item.get();
    parent->insertChild(at, item.release());
    return made;
}

void LazyFill::fill(QTreeWidgetItem *item)
{
    showArrow(item, false);
    const QList<Entry> entries = m_lister(item == m_tree->invisibleRootItem() ? 0
                                                                             : FolderTreeItem::id(item));
    // Made off the tree and attached at once: one insertion for the whole folder.
    QList<QTreeWidgetItem *> made;
    made.reserve(entries.size());
    for (const Entry &entry : entries) {
        const int image = entry.folder ? FolderImage : BookmarkImage;
        auto child = std::make_unique<FolderTreeItem>(entry.label, image, image + 1, entry.id);
        if (entry.folder)
            showArrow(child.get(), hasChildren(entry.id));
        made.append(child.release());
    }
    item->addChildren(made);
}

void LazyFill::ensureFilled(QTreeWidgetItem *item)
{
    if (item && !isFilled(item))
        fill(item);
}

void LazyFill::rebuild()
{
    const State state = capture();
    {
        const QSignalBlocker quiet(m_tree);
        m_tree->clear();
        if (!m_rootLabel.isEmpty())
            m_tree->insertItem(m_rootLabel, FolderImage, FolderImage + 1, nullptr, nullptr, 0);
        m_seen = m_store.changeCount();
        m_built = true;
        fill(topItem());
        restore(state);
    }
}

bool LazyFill::refresh()
{
    const std::optional<QList<int>> changed = m_store.foldersChangedSince(m_seen);
    if (!changed || !m_built) {
        rebuild();
        return true;
    }
    m_seen = m_store.changeCount();
    bool shownDifferently = false;
    const QSignalBlocker quiet(m_tree);
    for (int folderId : *changed)
        shownDifferently |= refreshFolder(folderId);
    return shownDifferently;
}

bool LazyFill::refreshFolder(int folderId)
{
    QTreeWidgetItem *item = folderItem(folderId, false);
    if (!item)
        return false; // not shown: it is filled from the store when it is
    if (isFilled(item))
        return refreshChildren(item, folderId);
    showArrow(item, hasChildren(folderId));
    return false;
}

// Brings item's children in line with the store: what went is deleted, what
// came is inserted where it belongs, and whatever stayed keeps its own state.
bool LazyFill::refreshChildren(QTreeWidgetItem *item, int folderId)
{
    const QList<Entry> entries = m_lister(folderId);
    QSet<qint64> wanted;
    wanted.reserve(entries.size());
    for (const Entry &entry : entries)
        wanted.insert(key(entry));
    bool changed = false;
    for (int i = item->childCount() - 1; i >= 0; --i) {
        if (!wanted.contains(key(item->child(i)))) {
            delete item->child(i);
            changed = true;
        }
    }
    QHash<qint64, QTreeWidgetItem *> existing;
    existing.reserve(item->childCount());
    for (int i = 0; i < item->childCount(); ++i)
        existing.insert(key(item->child(i)), item->child(i));
    for (int i = 0; i < entries.size(); ++i) {
        const Entry &entry = entries.at(i);
        QTreeWidgetItem *at = item->child(i);
        if (!at || key(at) != key(entry)) {
            changed = true;
            at = existing.value(key(entry));
            if (at) {
                // Moved among its siblings: the item goes along with its own children.
                const bool open = at->isExpanded();
                item->insertChild(i, item->takeChild(item->indexOfChild(at)));
                at->setExpanded(open);
            } else {
                makeItem(entry, item, i);
                continue;
            }
        }
        if (at->text(0) != entry.label) {
            at->setText(0, entry.label);
            changed = true;
        }
        if (entry.folder && !isFilled(at))
            showArrow(at, hasChildren(entry.id));
    }
    return changed;
}

QTreeWidgetItem *LazyFill::childWithKey(const QTreeWidgetItem *item, qint64 wanted)
{
    for (int i = 0; i < item->childCount(); ++i)
        if (key(item->child(i)) == wanted)
            return item->child(i);
    return nullptr;
}

QTreeWidgetItem *LazyFill::folderItem(int folderId, bool reveal)
{
    QList<int> path; // from the folder up to, not including, the top level
    for (int id = folderId; id > 0 && path.size() <= m_store.folderCount();) {
        path.prepend(id);
        const std::optional<FolderRecord> folder = m_store.folder(id);
        if (!folder)
            return nullptr;
        id = folder->parentId;
    }
    QTreeWidgetItem *item = topItem();
    for (int id : std::as_const(path)) {
        if (!item)
            return nullptr;
        if (reveal)
            ensureFilled(item);
        else if (!isFilled(item))
            return nullptr;
        item = childWithKey(item, qint64(id) * 2);
    }
    return item;
}

LazyFill::State LazyFill::capture() const
{
    State state;
    for (QTreeWidgetItemIterator it(m_tree); *it; ++it)
        if ((*it)->isExpanded() && FolderTreeItem::isFolder(*it))
            state.expanded.insert(FolderTreeItem::id(*it));
    for (const QTreeWidgetItem *up = m_tree->currentItem(); up; up = up->parent())
        state.current.prepend(key(up));
    state.scroll = m_tree->verticalScrollBar()->value();
    return state;
}

void LazyFill::reopen(QTreeWidgetItem *item, const QSet<int> &expanded)
{
    for (int i = 0; i < item->childCount(); ++i) {
        QTreeWidgetItem *child = item->child(i);
        if (FolderTreeItem::isFolder(child) && expanded.contains(FolderTreeItem::id(child))) {
            ensureFilled(child);
            child->setExpanded(true);
            reopen(child, expanded);
        }
    }
}

void LazyFill::restore(const State &state)
{
    reopen(m_tree->invisibleRootItem(), state.expanded);
    QTreeWidgetItem *current = nullptr;
    QTreeWidgetItem *item = m_tree->invisibleRootItem();
    for (qint64 wanted : state.current) {
        ensureFilled(item);
        item = childWithKey(item, wanted);
        if (!item)
            break;
        current = item;
    }
    if (current)
        m_tree->setCurrentItem(current);
    m_tree->verticalScrollBar()->setValue(state.scroll);
}

#include "organiser/organizepage.h"

#include "controls/prompts.h"
#include "organiser/bookmarkdialog.h"
#include "organiser/foldertree.h"
#include "organiser/foldertreeitem.h"
#include "organiser/labeleditdelegate.h"
#include "organiser/savefailure.h"
#include "res/ids.h"
#include "store/bookmarkstore.h"

#include <QBoxLayout>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QSet>
#include <QTimer>
#include <QTreeWidgetItemIterator>

#include <utility>
#include <vector>

OrganizePage::OrganizePage(BookmarkStore &store, QWidget *parent)
    : QWidget(parent), m_store(store)
{
    createControls();
    createMenu();
}

OrganizePage::~OrganizePage() = default;

void OrganizePage::createControls()
{
    m_tree = new FolderTree(this);
    m_tree->setHeaderHidden(true);
    m_tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_tree->setContextMenuPolicy(Qt::CustomContextMenu);
    m_tree->installEventFilter(this);
    // One folder open at a time, rows lit under the mouse, the whole row selected.
    m_tree->setMouseTracking(true);
    m_tree->viewport()->setAttribute(Qt::WA_Hover);
    m_tree->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_tree->setAllColumnsShowFocus(true);
    connect(m_tree, &QTreeWidget::currentItemChanged, this, &OrganizePage::openOnly);
    // Opened by anything but openOnly: the open folders must be looked for.
    connect(m_tree, &QTreeView::expanded, this, [this] { m_openedFor = QPersistentModelIndex(); });
    m_tree->viewport()->installEventFilter(this);
    // A right press waits for its menu, which finds its row where the press found it.
    connect(m_tree, &QAbstractItemView::pressed, this, [this] {
        if (m_pressedButton != Qt::RightButton)
            openAfterPress();
    });
    m_fill = new LazyFill(m_tree, m_store, LazyFill::Shows::FoldersAndBookmarks,
                          [this](int folderId) { return contentsOf(folderId); });
    auto *labels = new LabelEditDelegate(m_tree);
    m_tree->setItemDelegate(labels);
    connect(labels, &LabelEditDelegate::labelEdited, this, &OrganizePage::finishLabelEdit);
    connect(m_tree, &FolderTree::itemDropped, this, &OrganizePage::takeDrop);
    connect(m_tree, &QWidget::customContextMenuRequested, this, &OrganizePage::showMenu);

    m_create = new QPushButton(tr("&Create Folder"), this);
    m_rename = new QPushButton(tr("&Rename"), this);
    m_delete = new QPushButton(tr("&Delete"), this);
    connect(m_create, &QPushButton::clicked, this, &OrganizePage::createFolder);
    connect(m_rename, &QPushButton::clicked, this, &OrganizePage::renameItem);
    connect(m_delete, &QPushButton::clicked, this, &OrganizePage::deleteItem);

    auto *buttons = new QVBoxLayout;
    for (QPushButton *button : {m_create, m_rename, m_delete}) {
        button->setAutoDefault(false);
        buttons->addWidget(button);
    }
    buttons->addStretch();
    auto *layout = new QHBoxLayout(this);
    layout->addWidget(m_tree, 1);
    layout->addLayout(buttons);
}

void OrganizePage::createMenu()
{
    m_menu = new QMenu(this);
    auto add = [this](int id, const QString &text, void (OrganizePage::*slot)()) {
        QAction *action = m_menu->addAction(text, this, slot);
        action->setData(id);
        m_actions.insert(id, action);
    };
    add(Ids::OrganizeCreateFolder, tr("Create new Folder"), &OrganizePage::createFolder);
    add(Ids::OrganizeDelete, tr("Delete"), &OrganizePage::deleteItem);
    add(Ids::OrganizeRename, tr("Rename"), &OrganizePage::renameItem);
    add(Ids::OrganizeEdit, tr("Edit"), &OrganizePage::editBookmark);
}

// The folder of the current item: the folder itself, or a bookmark's folder.
int OrganizePage::selectedFolderId() const
{
    const QTreeWidgetItem *item = m_tree->currentItem();
    if (!item)
        return 0;
    return isBookmark(item) ? parentIdOf(item) : FolderTreeItem::id(item);
}

QString OrganizePage::selectedFolderName() const
{
    const int id = selectedFolderId();
    const std::optional<FolderRecord> folder = m_store.folder(id);
    return folder ? folder->name : tr("Favorites");
}

// Taken by a sibling, or "Favorites"; the folder's own name in other letters is free.
bool OrganizePage::isFolderNameTaken(const QString &name, const QTreeWidgetItem *item) const
{
    if (name.compare(QLatin1String("Favorites"), Qt::CaseInsensitive) == 0)
        return true;
    const int found = m_store.findFolder(name, parentIdOf(item));
    return found != -1 && found != FolderTreeItem::id(item);
}

bool OrganizePage::isBookmark(const QTreeWidgetItem *item)
{
    return item && !FolderTreeItem::isFolder(item);
}

int OrganizePage::parentIdOf(const QTreeWidgetItem *item)
{
    return item && item->parent() ? FolderTreeItem::id(item->parent()) : 0;
}

QTreeWidgetItem *OrganizePage::insert(const QString &label, int image, QTreeWidgetItem *parent,
                                      int id)
{
    return m_tree->insertItem(label, image, image + 1, parent, nullptr, id);
}

// ---- filling

FolderTree *OrganizePage::tree()
{
    fillOnce();
    return m_tree;
}

// The tree is filled when first needed, not at start-up: a large collection's
// top level costs time and memory that a session which never organises never
// has to spend.
void OrganizePage::fillOnce()
{
    if (m_filled)
        return;
    m_filled = true;
    m_fill->rebuild();
    // The first item selected and closed: nothing of it is opened on the way.
    if (QTreeWidgetItem *first = m_tree->topLevelItem(0)) {
        const QSignalBlocker quiet(m_tree);
        m_tree->setCurrentItem(first);
        first->setExpanded(false);
    }
}

void OrganizePage::showEvent(QShowEvent *event)
{
    fillOnce();
    QWidget::showEvent(event);
}

// Only what changed is shown anew; folders are filled as they are opened.
// Before the first fill there is nothing to refresh: the fill reads the store.
void OrganizePage::rebuild()
{
    if (m_filled)
        m_fill->refresh();
}

// Folders first, then the folder's own bookmarks.
QList<LazyFill::Entry> OrganizePage::contentsOf(int folderId)
{
    QList<LazyFill::Entry> entries;
    for (const FolderRecord &folder : m_store.childFolders(folderId))
        entries.append({folder.id, folder.name, true});
    const qsizetype folders = entries.size();
    m_store.beginBookmarkScan(folderId == 0 ? QStringLiteral("-1") : QString::number(folderId));
    while (m_store.nextBookmark())
        entries.append({m_store.currentBookmarkId(), label(m_store.currentFields()), false});
    if (m_store.scanFailed()) {
        entries.resize(folders);
        // Told once the expansion that asked is over, not in its middle.
        QTimer::singleShot(0, this, [this, why = m_store.lastError()] {
            SaveFailure::warnUnread(this, why);
        });
    }
    return entries;
}

// A bookmark without a title is shown by its address; what is stored stays.
QString OrganizePage::label(const BookmarkFields &bookmark)
{
    const QString title = bookmark.title();
    return title.isEmpty() ? bookmark.address() : title;
}

// A selected folder opens, and every folder that is not on its way up closes.
// Only folders are asked whether they are open: the view answers that through a
// lookup that costs far more than the item's own picture, and bookmarks never
// open (at the top of a large collection, 17 ms a selection rather than 1).
void OrganizePage::openOnly(QTreeWidgetItem *current)
{
    if (!current)
        return;
    // A click selects the row under the pointer once it made the row current:
    // folders closed before that would slide another row under the pointer.
    if (m_pressing) {
        m_openAfterPress = true;
        return;
    }
    QSet<const QTreeWidgetItem *> keep;
    for (const QTreeWidgetItem *up = current; up; up = up->parent())
        keep.insert(up);
    std::vector<QTreeWidgetItem *> closing = openFolders();
    std::erase_if(closing, [&keep](const QTreeWidgetItem *open) { return keep.contains(open); });
    // Where it stands costs a layout of the tree: asked only when rows may move.
    const int top = closing.empty() ? 0 : m_tree->visualItemRect(current).top();
    for (QTreeWidgetItem *item : closing)
        item->setExpanded(false);
    if (!isBookmark(current))
        current->setExpanded(true);
    if (!closing.empty())
        keepInPlace(current, top);
    m_openedFor = m_tree->indexFromItem(current);
}

// Since the last openOnly, where nothing else opened a folder, only the folders
// on the way to the row it opened can be open: a large tree need not be walked.
std::vector<QTreeWidgetItem *> OrganizePage::openFolders() const
{
    std::vector<QTreeWidgetItem *> open;
    if (QTreeWidgetItem *last =
            m_openedFor.isValid() ? m_tree->itemFromIndex(m_openedFor) : nullptr) {
        for (QTreeWidgetItem *up = last; up; up = up->parent())
            if (!isBookmark(up) && up->isExpanded())
                open.push_back(up);
        return open;
    }
    for (QTreeWidgetItemIterator it(m_tree); *it; ++it)
        if (!isBookmark(*it) && (*it)->isExpanded())
            open.push_back(*it);
    return open;
}

// Folders closed above a row move it up: the view follows, as far as it can,
// so that a row the user saw stays where it was. A row out of sight is left to
// the view, which brings the current row into sight.
void OrganizePage::keepInPlace(const QTreeWidgetItem *item, int top)
{
    const QRect now = m_tree->visualItemRect(item);
    const QRect seen = m_tree->viewport()->rect();
    if (now.isEmpty() || now.top() == top || top < seen.top() || top >= seen.bottom())
        return;
    const bool perPixel = m_tree->verticalScrollMode() == QAbstractItemView::ScrollPerPixel;
    QScrollBar *bar = m_tree->verticalScrollBar();
    bar->setValue(bar->value() + (now.top() - top) / (perPixel ? 1 : now.height()));
}

// After the tree's own handling of a press, after a right press's menu found its
// row, or at the release.
void OrganizePage::openAfterPress()
{
    m_pressing = false;
    if (std::exchange(m_openAfterPress, false))
        openOnly(m_tree->currentItem());
}

void OrganizePage::reload()
{
    m_fill->rebuild();
    if (QTreeWidgetItem *first = m_tree->topLevelItem(0))
        m_tree->setCurrentItem(first);
}

// ---- commands

QString OrganizePage::freeFolderName(int parentId) const
{
    const QString parent = QString::number(parentId);
    for (int n = 1;; ++n) {
        const QString name = QStringLiteral("New Folder") + QString::number(n);
        if (!m_store.isFolderNameTaken(name, parent))
            return name;
    }
}

// Inside the selected folder when it is open, else beside the selected item;
// at the top level when nothing is selected (an empty collection).
void OrganizePage::createFolder()
{
    fillOnce();
    QTreeWidgetItem *selected = m_tree->currentItem();
    QTreeWidgetItem *parent = nullptr;
    if (selected)
        parent = !isBookmark(selected) && selected->isExpanded() ? selected : selected->parent();
    const int parentId = parent ? FolderTreeItem::id(parent) : 0;
    m_tree->fillChildren(parent); // before the store has the new folder, or it shows twice
    const QString name = freeFolderName(parentId);
    const int id = m_store.addFolder(name, parentId);
    if (id == BookmarkStore::WriteFailed) {
        SaveFailure::warn(this, tr("The folder could not be created."), m_store.lastError());
        reload();
    } else if (id >= 0) {
        QTreeWidgetItem *item = insert(name, FolderImage, parent, id);
        m_tree->setFocus();
        m_tree->setCurrentItem(item);
        startLabelEdit(item);
    }
    emit bookmarksChanged();
}

void OrganizePage::renameItem()
{
    fillOnce();
    if (QTreeWidgetItem *item = m_tree->currentItem()) {
        m_tree->setFocus();
        startLabelEdit(item);
    }
}

void OrganizePage::startLabelEdit(QTreeWidgetItem *item)
{
    item->setFlags(item->flags() | Qt::ItemIsEditable);
    m_tree->editItem(item);
}

void OrganizePage::finishLabelEdit(const QModelIndex &index, const QString &typed)
{
    QTreeWidgetItem *item = m_tree->itemFromIndex(index);
    if (!item)
        return;
    item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    // Blanks around a folder name are no part of it.
    const QString text = isBookmark(item) ? typed : typed.trimmed();
    if (!text.isEmpty() && text != item->text(0)) {
        const int id = FolderTreeItem::id(item);
        // Folder names must differ from their siblings'; bookmark titles need not.
        if (!isBookmark(item) && isFolderNameTaken(text, item)) {
            Prompts::instance().inform(
                this, QMessageBox::NoIcon, tr("Cannot rename New Folder"),
                tr("A folder with the same name already exists.\nPlease specify a different name."));
            QTimer::singleShot(0, this, [this, index = QPersistentModelIndex(index)] {
                if (QTreeWidgetItem *again = m_tree->itemFromIndex(index))
                    startLabelEdit(again);
            });
            return;
        }
        const bool written = isBookmark(item) ? m_store.setBookmarkTitle(id, text)
                                              : m_store.renameFolder(id, text);
        if (!written) {
            SaveFailure::warn(this, isBookmark(item) ? tr("The bookmark could not be renamed.")
                                                     : tr("The folder could not be renamed."), m_store.lastError());
            reload();
            emit bookmarksChanged();
            return;
        }
        item->setText(0, text);
    }
    emit bookmarksChanged();
}

void OrganizePage::deleteItem()
{
    fillOnce();
    QTreeWidgetItem *item = m_tree->currentItem();
    if (item) {
        const bool bookmark = isBookmark(item);
        const auto answer = Prompts::instance().ask(
            this, QMessageBox::Question,
            bookmark ? tr("Deleting bookmark") : tr("Deleting folder"),
            bookmark ? tr("Do you want to delete selected bookmark?")
                     : tr("Do you want to delete current folder?"),
            QMessageBox::Yes | QMessageBox::No);
        if (answer != QMessageBox::Yes)
            return;
        const int id = FolderTreeItem::id(item);
        const bool deleted = bookmark ? m_store.deleteBookmarkById(id)
                                      : m_store.deleteFolder(QString::number(id));
        if (deleted) {
            delete item;
        } else {
            SaveFailure::warn(this, bookmark ? tr("The bookmark could not be deleted.")
                                             : tr("The folder could not be deleted."), m_store.lastError());
            reload();
        }
        m_tree->setFocus();
    }
    emit bookmarksChanged();
}

void OrganizePage::editBookmark()
{
    fillOnce();
    QTreeWidgetItem *item = m_tree->itemFromIndex(m_rightClicked);
    if (!isBookmark(item))
        return;
    const int id = FolderTreeItem::id(item);
    BookmarkStore &store = m_store;
    if (store.selectBookmarkById(QString::number(id))) {
        BookmarkDialog dialog(*this, BookmarkDialog::Mode::Edit, this);
        if (dialog.exec() == QDialog::Accepted) {
            BookmarkRecord record = m_edited;
            record.folderOrKey = QString::number(id);
            if (store.updateBookmarkById(record)) {
                item->setText(0, label(store.currentFields()));
            } else {
                SaveFailure::warn(this, tr("The bookmark could not be changed."), m_store.lastError());
                reload();
            }
        }
    }
    emit bookmarksChanged();
}

// ---- menu, keys and drops

void OrganizePage::showMenu(const QPoint &pos)
{
    QTreeWidgetItem *item = m_tree->itemAt(pos);
    if (!item)
        return;
    m_rightClicked = m_tree->indexFromItem(item);
    m_tree->setCurrentItem(item);
    openAfterPress();
    m_actions.value(Ids::OrganizeEdit)->setEnabled(isBookmark(item));
    m_menu->popup(m_tree->viewport()->mapToGlobal(pos));
}

void OrganizePage::takeDrop(QTreeWidgetItem *dragged, QTreeWidgetItem *target, bool)
{
    if (!dragged)
        return;
    const int targetId = target ? FolderTreeItem::id(target) : 0;
    const int id = FolderTreeItem::id(dragged);
    const bool moved = isBookmark(dragged) ? m_store.moveBookmarkById(id, targetId)
                                           : m_store.setFolderParent(id, targetId);
    if (!moved) {
        // The tree has moved its item already: the reload puts it back, once
        // the tree is done with the drop.
        SaveFailure::warn(this, isBookmark(dragged) ? tr("The bookmark could not be moved.")
                                                    : tr("The folder could not be moved."), m_store.lastError());
        QMetaObject::invokeMethod(this, &OrganizePage::reload, Qt::QueuedConnection);
    }
    emit bookmarksChanged();
}

bool OrganizePage::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_tree->viewport()) {
        if (event->type() == QEvent::MouseButtonPress) {
            m_pressing = true;
            m_pressedButton = static_cast<QMouseEvent *>(event)->button();
        } else if (event->type() == QEvent::MouseButtonRelease) {
            // Where a right click's menu comes with the release, it comes
            // after this: it finds its row first.
            QMetaObject::invokeMethod(this, &OrganizePage::openAfterPress, Qt::QueuedConnection);
        }
        return QWidget::eventFilter(watched, event);
    }
    // Keys typed into a label editor go to the editor, not here.
    if (watched == m_tree && event->type() == QEvent::KeyPress) {
        switch (static_cast<QKeyEvent *>(event)->key()) {
        case Qt::Key_Delete:
            deleteItem();
            return true;
        case Qt::Key_F2:
            renameItem();
            return true;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

// A page given the focus hands it on. Not a focus proxy: Tab from a proxy
// leaves its whole parent, so the other controls of the page would be skipped.
void OrganizePage::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    m_tree->setFocus(event->reason());
}

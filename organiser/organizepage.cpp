#include "organiser/organizepage.h"

#include "controls/prompts.h"
#include "organiser/bookmarkdialog.h"
#include "organiser/foldertree.h"
#include "organiser/foldertreeitem.h"
#include "organiser/labeleditdelegate.h"
#include "res/ids.h"
#include "store/bookmarkstore.h"

#include <QBoxLayout>
#include <QKeyEvent>
#include <QMenu>
#include <QPushButton>
#include <QTimer>

OrganizePage::OrganizePage(BookmarkStore &store, QWidget *parent)
    : QWidget(parent), m_store(store)
{
    createControls();
    createMenu();
    setFocusProxy(m_tree); // a page given the focus starts in its tree
    rebuild();
    if (QTreeWidgetItem *first = m_tree->topLevelItem(0)) {
        m_tree->setCurrentItem(first);
        first->setExpanded(false);
    }
}

OrganizePage::~OrganizePage() = default;

void OrganizePage::createControls()
{
    m_tree = new FolderTree(this);
    m_tree->setHeaderHidden(true);
    m_tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_tree->setContextMenuPolicy(Qt::CustomContextMenu);
    m_tree->installEventFilter(this);
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

void OrganizePage::rebuild()
{
    const QSignalBlocker quiet(m_tree);
    m_tree->clear();
    fill(0, nullptr);
}

// Folders first, each with its contents, then the folder's own bookmarks.
void OrganizePage::fill(int parentId, QTreeWidgetItem *parentItem)
{
    BookmarkStore &store = m_store;
    for (const FolderRecord &folder : store.childFolders(parentId))
        fill(folder.id, insert(folder.name, FolderImage, parentItem, folder.id));
    store.beginBookmarkScan(parentId == 0 ? QStringLiteral("-1") : QString::number(parentId));
    while (store.nextBookmark())
        insert(store.currentBookmark().title, BookmarkImage, parentItem,
               store.currentBookmark().id);
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

void OrganizePage::createFolder()
{
    if (QTreeWidgetItem *selected = m_tree->currentItem()) {
        QTreeWidgetItem *parent = !isBookmark(selected) && selected->isExpanded()
                                    ? selected : selected->parent();
        const int parentId = parent ? FolderTreeItem::id(parent) : 0;
        const QString name = freeFolderName(parentId);
        const int id = m_store.addFolder(name, parentId);
        if (id >= 0) {
            QTreeWidgetItem *item = insert(name, FolderImage, parent, id);
            m_tree->setFocus();
            m_tree->setCurrentItem(item);
            startLabelEdit(item);
        }
    }
    emit bookmarksChanged();
}

void OrganizePage::renameItem()
{
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

void OrganizePage::finishLabelEdit(const QModelIndex &index, const QString &text)
{
    QTreeWidgetItem *item = m_tree->itemFromIndex(index);
    if (!item)
        return;
    item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    if (!text.isEmpty() && text != item->text(0)) {
        const int id = FolderTreeItem::id(item);
        // Folder names must differ from their siblings'; bookmark titles need not.
        if (!isBookmark(item)
            && m_store.isFolderNameTaken(text, QString::number(parentIdOf(item)))) {
            Prompts::instance().inform(
                this, QMessageBox::NoIcon, tr("Cannot rename New Folder"),
                tr("A folder with the same name already exists.\nPlease specify a different name."));
            QTimer::singleShot(0, this, [this, index = QPersistentModelIndex(index)] {
                if (QTreeWidgetItem *again = m_tree->itemFromIndex(index))
                    startLabelEdit(again);
            });
            return;
        }
        item->setText(0, text);
        if (isBookmark(item))
            m_store.setBookmarkTitle(id, text);
        else
            m_store.renameFolder(id, text);
    }
    emit bookmarksChanged();
}

void OrganizePage::deleteItem()
{
    QTreeWidgetItem *item = m_tree->currentItem();
    if (item) {
        const bool bookmark = isBookmark(item);
        const auto answer = Prompts::instance().ask(
            this, QMessageBox::Question,
            bookmark ? tr("Deleting bookmark") : tr("Deleting folder"),
            bookmark ? tr("Do you want to delete selected bookmark?")
                     : tr("Do you want to delete current folder?"),
            QMessageBox::Yes | QMessageBox::No);
        if (answer == QMessageBox::No)
            return;
        const int id = FolderTreeItem::id(item);
        if (bookmark)
            m_store.deleteBookmarkById(id);
        else
            m_store.deleteFolder(QString::number(id));
        delete item;
        m_tree->setFocus();
    }
    emit bookmarksChanged();
}

void OrganizePage::editBookmark()
{
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
            store.updateBookmarkById(record);
            item->setText(0, store.currentBookmark().title);
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
    if (!moved)
        QMetaObject::invokeMethod(this, &OrganizePage::rebuild, Qt::QueuedConnection);
    emit bookmarksChanged();
}

bool OrganizePage::eventFilter(QObject *watched, QEvent *event)
{
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

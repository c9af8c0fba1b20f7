#include "organiser/bookmarkspage.h"

#include "controls/prompts.h"
#include "controls/splitterbar.h"
#include "import/importfavoritesdialog.h"
#include "organiser/bookmarkdialog.h"
#include "organiser/bookmarklist.h"
#include "organiser/findfield.h"
#include "organiser/foldernamedialog.h"
#include "organiser/foldertree.h"
#include "organiser/foldertreeitem.h"
#include "organiser/lazyfill.h"
#include "organiser/movetofolderdialog.h"
#include "organiser/organiserpictures.h"
#include "organiser/savefailure.h"
#include "organiser/starratingdelegate.h"
#include "res/ids.h"
#include "store/bookmarkfinder.h"
#include "store/bookmarkstore.h"
#include "store/productsite.h"

#include <QApplication>
#include <QHeaderView>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMenu>

#include <algorithm>
#include <charconv>
#include <iterator>

namespace {

constexpr int InitialTreeWidth = 180;
constexpr int BarWidth = 5;
constexpr int MinimumPaneWidth = 50;
constexpr int OpenWithoutAsking = 3;
const QString ProtectedLabel = QStringLiteral("Favorites");

// A menu entry with the key that does the same in the view: shown, not bound,
// since the views' own key handling does the work.
QString withKey(const QString &text, int key)
{
    return text + QLatin1Char('\t') + QKeySequence(key).toString(QKeySequence::NativeText);
}

bool hasKnownScheme(const QString &address)
{
    qsizetype start = 0;
    while (start < address.size() && address.at(start).isSpace())
        ++start;
    const QString copy = address.mid(start).toLower();
    for (const char *scheme : {"http:", "https:", "ftp:", "file:"})
        if (copy.startsWith(QLatin1String(scheme)))
            return true;
    return false;
}

} // namespace

BookmarksPage::BookmarksPage(BookmarkStore &store, QWidget *parent)
    : QWidget(parent), m_store(store),
      m_rowIcon(OrganiserPictures::bookmark())
{
    createViews();
    createActions();
    m_list->setFocus();
    connect(qApp, &QApplication::focusChanged, this,
            [this](QWidget *, QWidget *now) { noteFocus(now); });
}

// The focus tracker must not run while the base class takes the focus away.
BookmarksPage::~BookmarksPage()
{
    disconnect(qApp, &QApplication::focusChanged, this, nullptr);
}

void BookmarksPage::createViews()
{
    m_tree = new FolderTree(this);
    m_tree->setHeaderHidden(true);
    m_tree->setContextMenuPolicy(Qt::CustomContextMenu);
    m_tree->installEventFilter(this);
    m_fill = new LazyFill(m_tree, m_store, LazyFill::Shows::Folders, [this](int folderId) {
        QList<LazyFill::Entry> entries;
        for (const FolderRecord &folder : m_store.childFolders(folderId))
            entries.append({folder.id, folder.name, true});
        return entries;
    });
    m_fill->setRootLabel(tr("Favorites"));

    m_list = new BookmarkList(m_rowIcon, this);
    m_list->setHeaderLabels({tr("Title"), tr("Web address"), tr("Star rating")});
    m_list->setColumnWidth(TitleColumn, 150);
    m_list->setColumnWidth(AddressColumn, 230);
    m_list->setColumnWidth(RatingColumn, 60);
    m_list->setItemDelegateForColumn(RatingColumn, new StarRatingDelegate(m_list));
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    m_list->installEventFilter(this);
    // Rows go onto a folder of the tree by drag and drop; the list takes no drops.
    m_list->setDragEnabled(true);
    m_list->setDragDropMode(QAbstractItemView::DragOnly);

    m_splitter = new SplitterBar(this);
    m_splitter->setMinimumWidths(MinimumPaneWidth, MinimumPaneWidth);
    m_splitter->addLeftPane(m_tree);
    m_splitter->addRightPane(m_list);
    createFindField();
    m_tree->setGeometry(0, 0, InitialTreeWidth, height());
    m_splitter->setGeometry(InitialTreeWidth + 1, 0, BarWidth, height());
    m_list->setGeometry(InitialTreeWidth + BarWidth + 2, 0, 400, height());

    connect(m_tree, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem *current) {
        if (current)
            fillList();
    });
    connect(m_tree, &FolderTree::itemDropped, this, &BookmarksPage::takeDrop);
    connect(m_tree, &QWidget::customContextMenuRequested, this, &BookmarksPage::showFolderMenu);
    connect(m_list, &QAbstractItemView::doubleClicked, this, &BookmarksPage::openSelection);
    connect(m_list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &BookmarksPage::updateButtons);
    connect(m_list, &QWidget::customContextMenuRequested, this, &BookmarksPage::showListMenu);
}

QAction *BookmarksPage::makeAction(int commandId, const QString &text,
                                   const std::function<void()> &run)
{
    auto *action = new QAction(text, this);
    action->setData(commandId);
    connect(action, &QAction::triggered, this, run);
    m_actions.insert(commandId, action);
    return action;
}

void BookmarksPage::createActions()
{
    QAction *add = makeAction(Ids::ListAdd, tr("Add"), [this] { addBookmark(); });
    add->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_D));
    add->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    add->setShortcutVisibleInContextMenu(true);
    addAction(add);

    m_listMenu = new QMenu(this);
    m_listMenu->addAction(
        makeAction(Ids::ListGo, withKey(tr("Go"), Qt::Key_Return), [this] { openSelection(); }));
    m_listMenu->addSeparator();
    m_listMenu->addAction(add);
    m_listMenu->addAction(makeAction(Ids::ListDelete, withKey(tr("Delete"), Qt::Key_Delete),
                                     [this] { deleteBookmarks(); }));
    m_listMenu->addSeparator();
    m_listMenu->addAction(makeAction(Ids::ListMoveTo, tr("Move To"), [this] { moveToFolder(); }));
    m_listMenu->addSeparator();
    m_listMenu->addAction(
        makeAction(Ids::ListSelectAll, tr("Select All"), [this] { selectAllRows(); }));
    m_listMenu->addSeparator();
    m_listMenu->addAction(
        makeAction(Ids::ListProperties, tr("Properties"), [this] { editBookmark(); }));

    m_folderMenu = new QMenu(this);
    m_folderMenu->addAction(makeAction(Ids::FolderAdd, withKey(tr("Add folder"), Qt::Key_Insert),
                                       [this] { addFolder(); }));
    m_folderMenu->addAction(makeAction(Ids::FolderDelete,
                                       withKey(tr("Delete folder"), Qt::Key_Delete),
                                       [this] { deleteFolder(); }));
    m_folderMenu->addAction(makeAction(Ids::FolderRename, withKey(tr("Rename folder"), Qt::Key_F2),
                                       [this] { renameFolder(); }));
}

// ---- what the dialogs reach

BookmarkStore &BookmarksPage::store()
{
    return m_store;
}

int BookmarksPage::selectedFolderId() const
{
    const QTreeWidgetItem *item = selectedFolderItem();
    return item ? FolderTreeItem::id(item) : 0;
}

QString BookmarksPage::selectedFolderName() const
{
    const QTreeWidgetItem *item = selectedFolderItem();
    return item ? item->text(0) : QString();
}

void BookmarksPage::setEditedBookmark(const BookmarkRecord &fields)
{
    m_edited = fields;
}

QString BookmarksPage::folderName() const
{
    return m_folderName;
}

void BookmarksPage::setFolderName(const QString &name)
{
    m_folderName = name;
}

void BookmarksPage::setMoveTarget(int folderId)
{
    m_moveTarget = folderId;
}

// ---- filling the views

FolderTree *BookmarksPage::folderTree()
{
    fillOnce();
    return m_tree;
}

BookmarkList *BookmarksPage::bookmarkList()
{
    fillOnce();
    return m_list;
}

// Not at start-up: the program opens on another tab, and a large collection's
// list costs time and memory that a session which never opens it need not spend.
void BookmarksPage::fillOnce()
{
    if (m_filled)
        return;
    m_filled = true;
    fillTree();
    fillList();
}

void BookmarksPage::showEvent(QShowEvent *event)
{
    fillOnce();
    QWidget::showEvent(event);
}

// The first fill opens the top level; later ones keep what the user opened.
void BookmarksPage::fillTree()
{
    const bool first = m_tree->topLevelItemCount() == 0;
    m_fill->rebuild();
    QTreeWidgetItem *root = m_fill->topItem();
    const QSignalBlocker quiet(m_tree);
    if (first)
        root->setExpanded(true);
    if (first || !m_tree->currentItem())
        m_tree->setCurrentItem(root);
}

// Selects a folder's item, opening the way to it, without refilling the list.
void BookmarksPage::selectFolder(int folderId)
{
    QTreeWidgetItem *item = m_fill->folderItem(folderId, true);
    const QSignalBlocker quiet(m_tree);
    m_tree->setCurrentItem(item ? item : m_fill->topItem());
}

QString BookmarksPage::rowTag(int row) const
{
    return tag(tagPrefix(), m_list->number(row));
}

// In one allocation: a listing tags thousands of rows.
QString BookmarksPage::tag(const QString &prefix, int number)
{
    char digits[12];
    const auto written = std::to_chars(std::begin(digits), std::end(digits), number);
    QString tag;
    tag.reserve(prefix.size() + (written.ptr - digits));
    tag += prefix;
    tag += QLatin1StringView(digits, written.ptr);
    return tag;
}

// The folder's part of every row tag: its id and "-".
QString BookmarksPage::tagPrefix() const
{
    return QString::number(selectedFolderId()) + QLatin1Char('-');
}

// A row for the store's current bookmark, which takes the row's tag.
BookmarkListModel::Row BookmarksPage::makeRow(const QString &tagPrefix)
{
    BookmarkListModel::Row row{m_store.currentFields(), m_nextRow, {}};
    m_store.setCurrentBookmarkTag(tag(tagPrefix, m_nextRow++));
    return row;
}

void BookmarksPage::fillList()
{
    if (!m_filled) {
        fillOnce();
        return;
    }
    m_listedAt = m_store.changeCount();
    if (isFinding()) {
        fillFoundList();
        return;
    }
    m_nextRow = 0;
    const QString prefix = tagPrefix();
    m_store.beginBookmarkScan(QString::number(selectedFolderId()));
    std::vector<BookmarkListModel::Row> rows;
    while (m_store.nextBookmark()) {
        if (rows.empty())
            rows.reserve(std::size_t(m_store.scanLength()));
        rows.push_back(makeRow(prefix));
    }
    if (m_store.scanFailed()) {
        showRows({});
        SaveFailure::warnUnread(this, m_store.lastError());
        return;
    }
    showRows(std::move(rows));
}

// Rows in the list's default order, best rated first, with the first one selected.
void BookmarksPage::showRows(std::vector<BookmarkListModel::Row> rows)
{
    const bool any = !rows.empty();
    m_list->setSortedRows(std::move(rows), RatingColumn, false);
    if (any)
        m_list->setCurrentRow(0);
    updateButtons();
}

QList<int> BookmarksPage::selectedRows() const
{
    return m_list->selectedRows();
}

QTreeWidgetItem *BookmarksPage::selectedFolderItem() const
{
    return m_tree->currentItem();
}

bool BookmarksPage::isDeletableFolder(const QTreeWidgetItem *item) const
{
    return item && item->parent(); // anything but the root
}

bool BookmarksPage::updateButtons()
{
    const bool rowsSelected = m_list->selectionModel()->hasSelection();
    for (int id : {Ids::ListGo, Ids::ListDelete, Ids::ListMoveTo, Ids::ListProperties})
        m_actions.value(id)->setEnabled(rowsSelected);
    return rowsSelected;
}

// ---- bookmark commands

void BookmarksPage::addBookmark(const QString &title, const QString &address)
{
    fillOnce();
    BookmarkDialog dialog(*this, BookmarkDialog::Mode::Add, this);
    if (!title.isEmpty())
        dialog.setPrefill(address, title);
    if (dialog.exec() == QDialog::Accepted) {
        BookmarkRecord record = m_edited;
        record.folderOrKey = QString::number(selectedFolderId());
        const int added = m_store.addBookmark(record);
        if (added == BookmarkStore::WriteFailed) {
            SaveFailure::warn(this, tr("The bookmark could not be added."), m_store.lastError());
            reload();
        } else if (added < 0) {
            Prompts::instance().inform(this, QMessageBox::Warning, tr("Adding bookmark"),
                                       tr("No more bookmarks can be added to this collection."));
        } else {
            showNewRow(makeRow(tagPrefix()));
        }
    }
    emit bookmarksChanged();
}

void BookmarksPage::editBookmark()
{
    fillOnce();
    const QList<int> rows = selectedRows();
    if (rows.isEmpty())
        return;
    const int row = rows.first();
    const QString tag = rowTag(row);
    if (m_store.selectBookmarkByTag(tag)) {
        BookmarkDialog dialog(*this, BookmarkDialog::Mode::Edit, this);
        if (dialog.exec() == QDialog::Accepted) {
            BookmarkRecord record = m_edited;
            record.folderOrKey = tag;
            if (m_store.updateBookmarkByTag(record)) {
                m_list->setRowFields(row, m_store.currentFields());
            } else {
                SaveFailure::warn(this, tr("The bookmark could not be changed."), m_store.lastError());
                reload();
            }
        }
    }
    emit bookmarksChanged();
}

void BookmarksPage::deleteSelection()
{
    fillOnce();
    if (m_tree->hasFocus() || m_treeUsedLast) {
        if (isDeletableFolder(selectedFolderItem()))
            deleteFolder();
        return;
    }
    deleteBookmarks();
}

void BookmarksPage::deleteBookmarks()
{
    const QList<int> rows = selectedRows();
    if (rows.isEmpty())
        return;
    const QString question = rows.size() < 2 ? tr("Do you want to delete your bookmark '%1'?")
                                                   .arg(m_list->text(rows.first(), TitleColumn))
                                             : tr("Do you want to delete selected favorites?");
    const QString title = rows.size() < 2 ? tr("Deleting bookmark") : tr("Deleting bookmarks");
    if (Prompts::instance().ask(this, QMessageBox::Question, title, question,
                                QMessageBox::Yes | QMessageBox::No)
        != QMessageBox::Yes)
        return;
    QList<int> deleted;
    for (int row : rows) {
        // The product's own home page stays, without a word.
        if (m_list->text(row, AddressColumn)
                .compare(QLatin1String(ProductSite::HomePage), Qt::CaseInsensitive) == 0)
            continue;
        if (!m_store.deleteBookmarkByTag(rowTag(row))) {
            SaveFailure::warn(
                this,
                tr("The bookmark '%1' could not be deleted.").arg(m_list->text(row, TitleColumn)), m_store.lastError());
            reload();
            emit bookmarksChanged();
            return;
        }
        deleted.append(row);
    }
    removeRows(deleted);
    emit bookmarksChanged();
}

void BookmarksPage::openSelection()
{
    fillOnce();
    const QList<int> rows = selectedRows();
    if (rows.size() > OpenWithoutAsking
        && Prompts::instance().ask(
               this, QMessageBox::Question, tr("Opening Favorites"),
               tr("Are you sure you wish to open so many Browser windows at once? This may slow "
                  "your PC down considerably"),
               QMessageBox::Yes | QMessageBox::No)
               != QMessageBox::Yes)
        return;
    for (int row : rows) {
        const QString address = m_list->text(row, AddressColumn);
        emit openAddressRequested(hasKnownScheme(address) ? address
                                                          : QStringLiteral("http://") + address);
    }
}

// False, after one warning and a reload, when a row could not be moved.
bool BookmarksPage::moveSelectedRows(int folderId)
{
    const QList<int> rows = selectedRows();
    QList<int> moved;
    for (int row : rows) {
        if (!m_store.moveBookmarkByTag(rowTag(row), folderId)) {
            SaveFailure::warn(
                this,
                tr("The bookmark '%1' could not be moved.").arg(m_list->text(row, TitleColumn)), m_store.lastError());
            reload();
            return false;
        }
        moved.append(row);
    }
    removeRows(moved);
    return true;
}

void BookmarksPage::removeRows(const QList<int> &rows)
{
    m_list->removeRows(rows);
    updateButtons();
}

void BookmarksPage::moveToFolder()
{
    fillOnce();
    // Counted in the store: the tree holds only the folders opened so far.
    const int folders = m_store.folderCount();
    const QTreeWidgetItem *selected = selectedFolderItem();
    if (folders == 0 || (folders == 1 && selected && selected->parent()))
        return; // there is no other folder to move to
    MoveToFolderDialog dialog(*this, this);
    if (dialog.exec() == QDialog::Accepted && moveSelectedRows(m_moveTarget))
        fillList();
    emit bookmarksChanged();
}

// A new row is where the user can see it: selected alone, and scrolled to.
void BookmarksPage::showNewRow(BookmarkListModel::Row row)
{
    m_list->appendRow(std::move(row));
    const int last = m_list->rowCount() - 1;
    m_list->clearSelection();
    m_list->setCurrentRow(last);
    m_list->scrollToRow(last);
}

// After a change the store refused: the views show again what the store holds,
// in the folder that was shown.
void BookmarksPage::reload()
{
    const int shown = selectedFolderId();
    fillTree();
    selectFolder(shown);
    fillList();
}

void BookmarksPage::selectAllRows()
{
    fillOnce();
    m_list->selectAll();
    updateButtons();
}

// Only the folders that changed are shown anew, and the list only when its
// folder changed or went; what was open and selected stays so.
void BookmarksPage::reloadFolders()
{
    if (!m_filled)
        return; // the first fill reads the store as it is then
    const std::optional<QList<int>> changed = m_store.foldersChangedSince(m_listedAt);
    const QTreeWidgetItem *before = m_tree->currentItem();
    const int shown = selectedFolderId();
    m_fill->refresh();
    if (!m_tree->currentItem()) {
        const QSignalBlocker quiet(m_tree);
        m_tree->setCurrentItem(m_fill->topItem());
    }
    if (!changed || changed->contains(shown) || m_tree->currentItem() != before
        || selectedFolderId() != shown || (isFinding() && !changed->isEmpty()))
        fillList();
    // Refreshed from the Organize page, the page is hidden: the focus stays there.
    if (isVisible())
        m_list->setFocus();
    updateButtons();
}

// The view is reloaded whatever the dialog ended with: a cancelled import may
// have added bookmarks before it stopped.
void BookmarksPage::importBookmarks(Hive *recentLocations)
{
    fillOnce();
    ImportFavoritesDialog dialog(*this, recentLocations, this);
    dialog.exec();
    reloadFolders();
    emit bookmarksChanged();
}

// ---- folder commands

void BookmarksPage::addFolder()
{
    fillOnce();
    QTreeWidgetItem *parentItem = selectedFolderItem();
    if (!parentItem)
        return;
    m_tree->fillChildren(parentItem); // before the store has the new folder, or it shows twice
    FolderNameDialog dialog(*this, FolderNameDialog::Mode::Add, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const int id = m_store.addFolder(m_folderName, selectedFolderId());
    if (id == BookmarkStore::WriteFailed) {
        SaveFailure::warn(this, tr("The folder could not be added."), m_store.lastError());
        reload();
        return;
    }
    if (id < 0) {
        Prompts::instance().inform(this, QMessageBox::Warning, tr("Adding folder"),
                                   tr("No more folders can be added to this collection."));
        return;
    }
    m_tree->insertItem(m_folderName, 0, 1, parentItem, nullptr, id);
    parentItem->setExpanded(true);
    fillList();
    emit bookmarksChanged();
}

void BookmarksPage::renameFolder()
{
    fillOnce();
    QTreeWidgetItem *item = selectedFolderItem();
    if (!isDeletableFolder(item))
        return;
    m_folderName = item->text(0);
    FolderNameDialog dialog(*this, FolderNameDialog::Mode::Edit, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (!m_store.renameFolder(FolderTreeItem::id(item), m_folderName)) {
        SaveFailure::warn(this, tr("The folder could not be renamed."), m_store.lastError());
        reload();
        return;
    }
    item->setText(0, m_folderName);
    fillList();
    emit bookmarksChanged();
}

void BookmarksPage::deleteFolder()
{
    fillOnce();
    QTreeWidgetItem *item = selectedFolderItem();
    if (!isDeletableFolder(item))
        return;
    if (Prompts::instance().ask(this, QMessageBox::Question, tr("Deleting folder"),
                                tr("Do you want to delete folder '%1'?").arg(item->text(0)),
                                QMessageBox::Yes | QMessageBox::No)
        != QMessageBox::Yes)
        return;
    if (!m_store.deleteFolder(QString::number(FolderTreeItem::id(item)))) {
        SaveFailure::warn(this, tr("The folder '%1' could not be deleted.").arg(item->text(0)), m_store.lastError());
        reload();
        return;
    }
    {
        const QSignalBlocker quiet(m_tree); // one fill below, for whichever folder is current now
        delete item;
    }
    fillList();
    emit bookmarksChanged();
}

// ---- menus, keys and drops

void BookmarksPage::showListMenu(const QPoint &pos)
{
    updateButtons();
    m_listMenu->popup(m_list->viewport()->mapToGlobal(pos));
}

void BookmarksPage::showFolderMenu(const QPoint &pos)
{
    QTreeWidgetItem *item = m_tree->itemAt(pos);
    if (!item)
        return;
    const bool named = item->text(0) == ProtectedLabel;
    m_actions.value(Ids::FolderDelete)->setEnabled(!named);
    m_actions.value(Ids::FolderRename)->setEnabled(!named);
    m_tree->setCurrentItem(item);
    m_folderMenu->popup(m_tree->viewport()->mapToGlobal(pos));
}

void BookmarksPage::takeDrop(QTreeWidgetItem *dragged, QTreeWidgetItem *target, bool folderDrop)
{
    const int targetId = target ? FolderTreeItem::id(target) : 0;
    if (folderDrop) {
        if (!m_store.setFolderParent(FolderTreeItem::id(dragged), targetId)) {
            // The tree has moved its item already: the reload puts it back,
            // once the tree is done with the drop.
            SaveFailure::warn(this, tr("The folder could not be moved."), m_store.lastError());
            QMetaObject::invokeMethod(this, &BookmarksPage::reload, Qt::QueuedConnection);
        }
    } else {
        const int shownId = selectedFolderId();
        if (moveSelectedRows(targetId) && (shownId == 0 || targetId == shownId || isFinding()))
            fillList();
        updateButtons();
    }
    emit bookmarksChanged();
}

void BookmarksPage::noteFocus(QWidget *now)
{
    if (now == m_tree)
        m_treeUsedLast = true;
    else if (now == m_list)
        m_treeUsedLast = false;
}

bool BookmarksPage::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_list && event->type() == QEvent::FocusOut)
        m_backTabToFind = false;
    if (event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    const auto *keyEvent = static_cast<QKeyEvent *>(event);
    const int key = keyEvent->key();
    const bool menuKey = key == Qt::Key_Menu
                      || (key == Qt::Key_F10 && keyEvent->modifiers() == Qt::ShiftModifier);
    if (menuKey && (watched == m_list || watched == m_tree)) {
        // The menu of the item with the focus, where that item is.
        auto *view = static_cast<QAbstractItemView *>(watched);
        if (const QModelIndex current = view->currentIndex(); current.isValid()) {
            const QPoint at = view->visualRect(current).center();
            watched == m_list ? showListMenu(at) : showFolderMenu(at);
        }
        return true;
    }
    if (watched == m_list) {
        if (key == Qt::Key_Escape && isFinding()) {
            stopFinding();
            return true;
        }
        if (key == Qt::Key_Delete && updateButtons()) {
            deleteBookmarks();
            return true;
        }
        if (key == Qt::Key_Insert) {
            addBookmark();
            return true;
        }
        if (key == Qt::Key_Backtab && m_backTabToFind) {
            m_findField->setFocus(Qt::BacktabFocusReason);
            return true;
        }
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && updateButtons()) {
            openSelection();
            return true;
        }
    } else if (watched == m_tree) {
        if (key == Qt::Key_Delete && isDeletableFolder(selectedFolderItem())) {
            deleteFolder();
            return true;
        }
        if (key == Qt::Key_F2 && isDeletableFolder(selectedFolderItem())) {
            renameFolder();
            return true;
        }
        if (key == Qt::Key_Insert) {
            addFolder();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

// Both panes stay inside the page at every size: when the page narrows, the
// bar is pulled back so that the list keeps its minimum width and stays reachable.
void BookmarksPage::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    const int h = height();
    const int bar = m_splitter->width();
    const int lowest = MinimumPaneWidth + 1;
    const int highest = width() - bar - 2 - MinimumPaneWidth;
    const int barX = highest >= lowest ? std::clamp(m_splitter->x(), lowest, highest)
                                       : std::max(1, (width() - bar) / 2);
    m_tree->setGeometry(0, 0, barX - 1, h);
    m_splitter->setGeometry(barX, 0, bar, h);
    const int listX = barX + bar + 1;
    const int findHeight = m_findField->sizeHint().height();
    m_findField->setGeometry(listX, 0, std::max(0, width() - listX), findHeight);
    m_list->setGeometry(listX, findHeight, std::max(0, width() - listX), std::max(0, h - findHeight));
}

// A page given the focus hands it on. Not a focus proxy: Tab from a proxy
// leaves its whole parent, so the other controls of the page would be skipped.
void BookmarksPage::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    m_list->setFocus(event->reason());
}

// ---- finding bookmarks across folders

// The field sits above the list and follows it when the bar moves.
void BookmarksPage::createFindField()
{
    m_findField = new FindField(this);
    m_splitter->addRightPane(m_findField);
    // Picking a folder ends the search before the folder fills.
    connect(m_tree, &QTreeWidget::currentItemChanged, this, [this] {
        const QSignalBlocker quiet(m_findField);
        m_findField->clear();
    });
    connect(m_findField, &QLineEdit::textChanged, this, &BookmarksPage::fillList);
    connect(m_findField, &FindField::escapePressed, this, &BookmarksPage::stopFinding);
    connect(m_findField, &QLineEdit::returnPressed, this, [this] {
        if (updateButtons())
            openSelection();
    });
    connect(m_findField, &FindField::downPressed, this, [this] { m_list->setFocus(); });
    connect(m_findField, &FindField::tabPressed, this, [this] {
        m_list->setFocus(Qt::TabFocusReason);
        m_backTabToFind = true;
    });

    auto *find = new QAction(tr("Find"), this);
    find->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    find->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(find, &QAction::triggered, this, &BookmarksPage::startFinding);
    addAction(find);
}

bool BookmarksPage::isFinding() const
{
    return m_findField && !m_findField->text().trimmed().isEmpty();
}

void BookmarksPage::startFinding()
{
    fillOnce();
    m_findField->setFocus(Qt::ShortcutFocusReason);
    m_findField->selectAll();
}

void BookmarksPage::stopFinding()
{
    fillOnce();
    const bool wasFinding = isFinding();
    {
        const QSignalBlocker quiet(m_findField);
        m_findField->clear();
    }
    if (wasFinding)
        fillList();
    m_list->setFocus();
}

// Found bookmarks are rows like any other, tagged under the open folder, so
// that every command of the list works on them; their folder shows on hover.
void BookmarksPage::fillFoundList()
{
    m_nextRow = 0;
    const QString prefix = tagPrefix();
    const QList<int> found = BookmarkFinder::find(m_store, m_findField->text());
    std::vector<BookmarkListModel::Row> rows;
    rows.reserve(std::size_t(found.size()));
    QHash<int, QString> folderTips; // one shared text per folder, not one per row
    for (int position : found) {
        if (!m_store.selectBookmarkAt(position))
            continue;
        const CurrentBookmark &bookmark = m_store.currentBookmark();
        BookmarkListModel::Row row = makeRow(prefix);
        QString &tip = folderTips[bookmark.folderId];
        if (tip.isEmpty())
            tip = tr("In folder: %1")
                      .arg(bookmark.folderName.isEmpty() ? tr("Favorites") : bookmark.folderName);
        row.tip = tip;
        rows.push_back(std::move(row));
    }
    showRows(std::move(rows));
}

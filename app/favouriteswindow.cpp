#include "app/favouriteswindow.h"

#include "app/appicons.h"
#include "app/vxmaintabctrl.h"
#include "organiser/bookmarklist.h"
#include "organiser/bookmarkspage.h"
#include "organiser/organizepage.h"
#include "res/ids.h"
#include "store/bookmarkstore.h"

#include <QAction>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

struct ToolCommand
{
    int id;
    const char *text;
    const char *toolTip;
    const char *themeIcon;
    const char *fallbackIcon;
    int minimumWidth; // 0: not on the toolbar
};

// " Add" (a bookmark) and "Add " (a folder) differ only by the blank.
constexpr ToolCommand Commands[] = {
    {Ids::AddBookmark, QT_TRANSLATE_NOOP("FavouritesWindow", " Add"),
     QT_TRANSLATE_NOOP("FavouritesWindow", "Add a bookmark"), "bookmark-new",
     ":/icons/bookmark-add.svg", 70},
    {Ids::EditBookmark, QT_TRANSLATE_NOOP("FavouritesWindow", "Edit"),
     QT_TRANSLATE_NOOP("FavouritesWindow", "Edit the selected bookmark"), "document-edit",
     ":/icons/bookmark-edit.svg", 0},
    {Ids::DeleteBookmark, QT_TRANSLATE_NOOP("FavouritesWindow", "Delete"),
     QT_TRANSLATE_NOOP("FavouritesWindow", "Delete the selected bookmarks"), "edit-delete",
     ":/icons/delete.svg", 80},
    {Ids::ImportBookmarks, QT_TRANSLATE_NOOP("FavouritesWindow", "Import"),
     QT_TRANSLATE_NOOP("FavouritesWindow", "Import bookmarks from other browsers"),
     "document-import", ":/icons/import.svg", 80},
    {Ids::AddFolder, QT_TRANSLATE_NOOP("FavouritesWindow", "Add "),
     QT_TRANSLATE_NOOP("FavouritesWindow", "Add a folder"), "folder-new", ":/icons/folder-add.svg",
     70},
    {Ids::RemoveFolder, QT_TRANSLATE_NOOP("FavouritesWindow", "Remove"),
     QT_TRANSLATE_NOOP("FavouritesWindow", "Remove the selected folder"), "folder-remove",
     ":/icons/folder-remove.svg", 90},
    {Ids::GoToBookmark, QT_TRANSLATE_NOOP("FavouritesWindow", "Go"),
     QT_TRANSLATE_NOOP("FavouritesWindow", "Open the selected bookmarks in the browser"), "go-jump",
     ":/icons/go.svg", 60},
    {Ids::GoHome, QT_TRANSLATE_NOOP("FavouritesWindow", "Home"),
     QT_TRANSLATE_NOOP("FavouritesWindow", "Open the home page in the browser"), "go-home",
     ":/icons/home.svg", 70},
};

// Toolbar order; 0 is a separator.
constexpr int ToolBarLayout[] = {Ids::AddBookmark,
                                 Ids::DeleteBookmark,
                                 Ids::ImportBookmarks,
                                 0,
                                 Ids::AddFolder,
                                 Ids::RemoveFolder,
                                 0,
                                 Ids::GoToBookmark,
                                 Ids::GoHome};

constexpr int BookmarkSet[] = {Ids::AddBookmark, Ids::EditBookmark, Ids::DeleteBookmark,
                               Ids::GoToBookmark, Ids::ImportBookmarks};
constexpr int OrganizeSet[] = {Ids::RemoveFolder, Ids::AddFolder};

constexpr int ToolIconSize = 32;

} // namespace

FavouritesWindow::FavouritesWindow(Hive *hive, QWidget *parent)
    : QWidget(parent), m_hive(hive), m_tabs(new VXMainTabCtrl(this)), m_toolBar(new QToolBar(this))
{
    setMinimumSize(MinimumWidth, MinimumHeight);
    createActions();
    createToolBar();
    // Loaded once the tool bar stands: its pictures take about as long as
    // reading the folders ahead still needs on a large collection.
    m_store = std::make_unique<BookmarkStore>(hive);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(m_toolBar);
    layout->addWidget(m_tabs, 1);

    createPages();
    connectPages();
    setFocusProxy(m_tabs->selectedPage());
    connect(m_tabs, &QTabWidget::currentChanged, this, &FavouritesWindow::followSelectedTab);
}

// The pages hold the store by reference: they go first.
FavouritesWindow::~FavouritesWindow()
{
    m_tabs->destroyPages();
}

QAction *FavouritesWindow::action(int commandId) const
{
    return m_actions.value(commandId);
}

BookmarksPage *FavouritesWindow::bookmarksPage() const
{
    return m_bookmarksPage;
}

OrganizePage *FavouritesWindow::organizePage() const
{
    return m_organizePage;
}

void FavouritesWindow::createActions()
{
    for (const ToolCommand &command : Commands) {
        auto *action = new QAction(this);
        const QString text = tr(command.text);
        action->setText(text);
        action->setIconText(text); // keeps the blanks that tell the two "Add"s apart
        action->setToolTip(tr(command.toolTip));
        action->setIcon(AppIcons::themed(QString::fromLatin1(command.themeIcon),
                                         QString::fromLatin1(command.fallbackIcon)));
        action->setData(command.id);
        m_actions.insert(command.id, action);
    }
    enableButtonSet(false);
}

void FavouritesWindow::createToolBar()
{
    m_toolBar->setObjectName(QStringLiteral("favouritesToolBar"));
    m_toolBar->setMovable(false);
    m_toolBar->setFloatable(false);
    m_toolBar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_toolBar->setIconSize(QSize(ToolIconSize, ToolIconSize));
    for (int id : ToolBarLayout) {
        if (id == 0) {
            m_toolBar->addSeparator();
            continue;
        }
        m_toolBar->addAction(action(id));
    }
    for (const ToolCommand &command : Commands) {
        if (QWidget *button = m_toolBar->widgetForAction(action(command.id)))
            button->setMinimumWidth(command.minimumWidth);
    }
}

void FavouritesWindow::createPages()
{
    m_bookmarksPage = new BookmarksPage(*m_store);
    m_tabs->addPage(m_bookmarksPage, tr("Favorites"), true);
    m_organizePage = new OrganizePage(*m_store);
    m_tabs->addPage(m_organizePage, tr("Organize"), false);
}

// The one place where the window's commands meet the pages. The actions are
// the window's, the pages are its children: every connection ends with them.
void FavouritesWindow::connectPages()
{
    BookmarksPage *bookmarks = m_bookmarksPage;
    OrganizePage *organize = m_organizePage;
    connect(action(Ids::AddBookmark), &QAction::triggered, this,
            [this] { offerBookmark(QString(), QString()); });
    connect(action(Ids::EditBookmark), &QAction::triggered, bookmarks,
            &BookmarksPage::editBookmark);
    connect(action(Ids::DeleteBookmark), &QAction::triggered, bookmarks,
            &BookmarksPage::deleteSelection);
    connect(action(Ids::ImportBookmarks), &QAction::triggered, bookmarks,
            [this, bookmarks] { bookmarks->importBookmarks(m_hive); });
    connect(action(Ids::GoToBookmark), &QAction::triggered, bookmarks,
            &BookmarksPage::openSelection);
    connect(action(Ids::AddFolder), &QAction::triggered, organize, &OrganizePage::createFolder);
    connect(action(Ids::RemoveFolder), &QAction::triggered, organize, &OrganizePage::deleteItem);
    connect(action(Ids::GoHome), &QAction::triggered, this, &FavouritesWindow::goHome);

    connect(bookmarks, &BookmarksPage::bookmarksChanged, this,
            &FavouritesWindow::refreshOrganizeTree);
    connect(organize, &OrganizePage::bookmarksChanged, this,
            &FavouritesWindow::refreshBookmarksPage);
    connect(bookmarks, &BookmarksPage::openAddressRequested, this,
            &FavouritesWindow::openAddressRequested);
}

void FavouritesWindow::offerBookmark(const QString &title, const QString &address)
{
    if (m_bookmarksPage)
        m_bookmarksPage->addBookmark(title, address);
}

void FavouritesWindow::refreshOrganizeTree()
{
    if (m_organizePage)
        m_organizePage->rebuild();
}

void FavouritesWindow::refreshBookmarksPage()
{
    if (m_bookmarksPage)
        m_bookmarksPage->reloadFolders();
}

void FavouritesWindow::repaintBookmarkList()
{
    if (m_bookmarksPage)
        m_bookmarksPage->bookmarkList()->viewport()->update();
}

void FavouritesWindow::goHome()
{
    emit homeRequested();
}

void FavouritesWindow::followSelectedTab(int index)
{
    // Focus given to the window goes on into the page in front, so that the
    // page's keys (Ctrl+D, Delete, Enter, F2) work as soon as the tab is shown.
    setFocusProxy(m_tabs->selectedPage());
    if (index == 0 && m_organizeMode) {
        m_organizeMode = false;
        enableButtonSet(false);
    } else if (index == 1 && !m_organizeMode) {
        m_organizeMode = true;
        enableButtonSet(true);
    }
}

void FavouritesWindow::enableButtonSet(bool organize)
{
    for (int id : BookmarkSet)
        action(id)->setEnabled(!organize);
    for (int id : OrganizeSet)
        action(id)->setEnabled(organize);
}

void FavouritesWindow::keyPressEvent(QKeyEvent *event)
{
    const bool enterOrEscape = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter ||
                               event->key() == Qt::Key_Escape;
    if (enterOrEscape && event->modifiers().testFlag(Qt::AltModifier)) {
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void FavouritesWindow::closeEvent(QCloseEvent *event)
{
    m_tabs->destroyPages();
    QWidget::closeEvent(event);
}

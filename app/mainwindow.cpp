#include "app/mainwindow.h"

#include "app/aboutdialog.h"
#include "app/appicons.h"
#include "app/favouriteswindow.h"
#include "app/vxmaintabctrl.h"
#include "browser/blockingindicator.h"
#include "browser/blockinginterceptor.h"
#include "browser/browserpage.h"
#include "browser/cwebcommercial.h"
#include "browser/browserprofile.h"
#include "browser/harbrowscheme.h"
#include "browser/startpage.h"
#include "controls/prompts.h"
#include "import/bookmarkexport.h"
#include "organiser/bookmarkspage.h"
#include "privacy/enginesettings.h"
#include "privacy/enginetraces.h"
#include "privacy/optionsdialog.h"
#include "privacy/traces/tracefolders.h"
#include "privacy/traces/traceremoval.h"
#include "res/ids.h"
#include "store/bookmarkstore.h"

#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QShortcut>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

// The folders are read while the rest of the window is built.
Hive *readingAhead(Hive *hive)
{
    BookmarkStore::readAhead(hive);
    return hive;
}

// Read before anything else of the window is set up, the browser profile included.
PrivacyOptions loadedOptions(Hive *hive)
{
    PrivacyOptions options;
    loadPrivacyOptions(hive, options);
    return options;
}

} // namespace

MainWindow::MainWindow(Hive *hive, QWidget *parent)
    : QDialog(parent), m_hive(readingAhead(hive)), m_privacyOptions(loadedOptions(hive)),
      m_browserProfile(std::make_unique<BrowserProfile>(m_privacyOptions)), m_menuBar(new QMenuBar(this)),
      m_tabs(new VXMainTabCtrl(this))
{
    setWindowTitle(tr("Harbrow"));
    setWindowIcon(AppIcons::application());
    // A dialog for the modal run, framed like a main window (minimise, maximise).
    setWindowFlags(Qt::Window);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setMenuBar(m_menuBar);
    layout->addWidget(m_tabs);

    // Owned by the profile; in force before the first page navigates.
    new EngineSettings(hive, m_browserProfile->profile());
    m_blocking = new BlockingInterceptor(hive, m_browserProfile->profile());
    m_blocking->setEnabled(m_privacyOptions.blockTrackers != 0);
    createMenus();
    createPages(hive);
    createTabShortcuts();
    connect(m_tabs, &VXTabCtrl::tabClicked, this, &MainWindow::repaintBookmarkListIfShown);

    move(10, 10);
    resize(700, 510);
}

// Pages go before the profile, and the profile before anything that cleans
// up after the engine: it has closed every file it keeps only once it is gone.
MainWindow::~MainWindow()
{
    destroyPages();
    deleteUrlCacheEntries(m_browserProfile->profile(), m_privacyOptions);
    m_browserProfile.reset();
    removeTracesOnExit();
}

FavouritesWindow *MainWindow::favouritesWindow() const
{
    return m_favouritesWindow;
}

StartPage *MainWindow::startPage() const
{
    return m_startPage;
}

::BrowserPage *MainWindow::browserPage() const
{
    return m_browserPage;
}

void MainWindow::createMenus()
{
    QMenu *file = m_menuBar->addMenu(tr("&File"));
    QAction *options = file->addAction(tr("&Options"), this, &MainWindow::onOptions);
    options->setData(Ids::Options);
    QAction *exportBookmarks =
        file->addAction(tr("&Export Bookmarks..."), this, &MainWindow::exportBookmarks);
    exportBookmarks->setData(Ids::ExportBookmarks);
    file->addSeparator();
    QAction *exit = file->addAction(tr("E&xit"), this, &QDialog::accept);
    exit->setData(Ids::Exit);
    exit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    exit->setShortcutContext(Qt::WindowShortcut);
    exit->setShortcutVisibleInContextMenu(true);

    QMenu *help = m_menuBar->addMenu(tr("&Help"));
    QAction *helpOnWeb = help->addAction(tr("Help on &Web"), this, &MainWindow::openHelpOnWeb);
    helpOnWeb->setData(Ids::HelpOnWeb);
    QAction *about = help->addAction(tr("&About"), this, &MainWindow::showAbout);
    about->setData(Ids::About);
}

// Alt+1, Alt+2 and Alt+3 bring the three tabs forward from anywhere in the
// window; Ctrl+Tab inside the favourites window only turns its own tabs.
void MainWindow::createTabShortcuts()
{
    for (int page : {HomePage, BrowserPage, FavouritesPage}) {
        auto *shortcut = new QShortcut(QKeySequence(Qt::ALT | Qt::Key(Qt::Key_1 + page)), this);
        connect(shortcut, &QShortcut::activated, this, [this, page] { selectPage(page); });
    }
}

// The browser page comes first: the start page hands its pop-ups to it.
void MainWindow::createPages(Hive *hive)
{
    QWebEngineProfile *profile = m_browserProfile->profile();
    m_browserPage = new ::BrowserPage(this, profile);
    m_browserPage->setObjectName(QStringLiteral("browserPage"));
    m_favouritesWindow = new FavouritesWindow(hive, this);
    connect(m_favouritesWindow, &FavouritesWindow::openAddressRequested, this,
            &MainWindow::navigateBrowser);
    // The browser's own BeforeNavigate2 brings the "Browser" tab forward afterwards.
    connect(m_favouritesWindow, &FavouritesWindow::homeRequested, this, [this] {
        goHome();
        selectPage(FavouritesPage);
    });
    m_startPage = new StartPage(this, profile);
    m_startPage->setObjectName(QStringLiteral("startPage"));
    connect(m_startPage, &StartPage::firstDocumentLoaded, m_browserPage, &::BrowserPage::loadHome);

    m_tabs->addPage(m_startPage, tr("Home"), true);
    m_browserPage->toolBar()->addWidget(new BlockingIndicator(m_blocking, m_browserPage->view()));
    m_tabs->addPage(m_browserPage, tr("Browser"), false);
    m_tabs->addPage(m_favouritesWindow, tr("Favorites"), false);
}

void MainWindow::selectPage(int index)
{
    QWidget *page = nullptr;
    QWidget *focus = nullptr;
    switch (index) {
    case HomePage:
        page = m_startPage;
        focus = this;
        break;
    case BrowserPage:
        page = focus = m_browserPage;
        break;
    case FavouritesPage:
        page = focus = m_favouritesWindow;
        break;
    default:
        page = focus = m_startPage;
        break;
    }
    if (!page || m_tabs->indexOf(page) < 0)
        return;
    m_tabs->setCurrentWidget(page);
    focus->setFocus(Qt::OtherFocusReason);
    if (index == FavouritesPage)
        page->update();
}

void MainWindow::navigateBrowser(const QString &url)
{
    if (m_browserPage)
        m_browserPage->Navigate(url);
}

void MainWindow::navigateBrowser2(const QVariant &url)
{
    if (m_browserPage)
        m_browserPage->Navigate2(url);
}

void MainWindow::openAddresses(const QStringList &addresses)
{
    if (addresses.isEmpty() || !m_browserPage)
        return;
    for (const QString &address : addresses.mid(1))
        m_browserPage->rememberAddress(address);
    m_browserPage->Navigate(addresses.first());
    selectPage(BrowserPage);
    setWindowState(windowState() & ~Qt::WindowMinimized);
    raise();
    activateWindow();
}

void MainWindow::goHome()
{
    if (m_browserPage)
        m_browserPage->GoHome();
}

void MainWindow::offerBookmark(const QString &title, const QString &address)
{
    if (m_favouritesWindow)
        m_favouritesWindow->offerBookmark(title, address);
}

QWebEnginePage *MainWindow::browserApplication() const
{
    return m_browserPage ? m_browserPage->popupTarget() : nullptr;
}

BookmarkStore *MainWindow::bookmarkStore() const
{
    BookmarksPage *bookmarks = m_favouritesWindow ? m_favouritesWindow->bookmarksPage() : nullptr;
    return bookmarks ? &bookmarks->store() : nullptr;
}

void MainWindow::done(int result)
{
    destroyPages();
    QDialog::done(result);
}

// Escape must not end the application; only "Exit" and closing the window do.
void MainWindow::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void MainWindow::onOptions()
{
    OptionsDialog dialog(m_hive, this);
    dialog.setOptions(m_privacyOptions);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const PrivacyOptions chosen = dialog.options();
    // Blocking is kept apart from the four switches, and only once it is changed.
    const bool blockingKept = chosen.blockTrackers == m_privacyOptions.blockTrackers
        || writeOptionValue(m_hive, QByteArray::number(chosen.blockTrackers),
                            PrivacyStore::BlockTrackers);
    if (!writePrivacyOptions(m_hive, chosen) || !blockingKept) {
        Prompts::instance().inform(this, QMessageBox::Warning, tr("Options"),
                                   tr("The options could not be saved. They apply until "
                                      "Harbrow ends."));
    }
    m_privacyOptions = chosen;
    m_blocking->setEnabled(chosen.blockTrackers != 0);
}

void MainWindow::exportBookmarks()
{
    if (BookmarkStore *store = bookmarkStore())
        BookmarkExport::run(this, *store);
}

void MainWindow::openHelpOnWeb()
{
    if (m_startPage)
        m_startPage->navigateStart(HarbrowScheme::helpAddress().toString());
}

void MainWindow::showAbout()
{
    AboutDialog about(this);
    about.exec();
}

void MainWindow::repaintBookmarkListIfShown(int tab)
{
    if (tab == FavouritesPage && m_favouritesWindow)
        m_favouritesWindow->repaintBookmarkList();
}

QUrl MainWindow::homeAddress() const
{
    const QString home = InternetSettings::load(m_hive).homePage;
    return home.isEmpty() ? QUrl() : QUrl::fromUserInput(home);
}

void MainWindow::removeTracesOnExit()
{
    ::removeTracesOnExit(m_privacyOptions,
                         TraceFolders(BrowserProfile::storagePath(), BrowserProfile::cachePath()));
}

void MainWindow::destroyPages()
{
    delete m_browserPage.data();
    delete m_favouritesWindow.data();
    delete m_startPage.data();
}

#include "app/mainwindow.h"

#include "app/aboutdialog.h"
#include "app/appicons.h"
#include "app/favouriteswindow.h"
#include "app/vxmaintabctrl.h"
#include "controls/prompts.h"
#include "privacy/optionsdialog.h"
#include "privacy/traces/tracefolders.h"
#include "privacy/traces/traceremoval.h"
#include "res/ids.h"

#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QShortcut>
#include <QStandardPaths>
#include <QVBoxLayout>

MainWindow::MainWindow(Hive *hive, QWidget *parent)
    : QDialog(parent), m_hive(hive), m_menuBar(new QMenuBar(this)), m_tabs(new VXMainTabCtrl(this))
{
    loadPrivacyOptions(m_hive, m_privacyOptions);
    setWindowTitle(tr("Harbrow"));
    setWindowIcon(AppIcons::application());
    // A dialog for the modal run, framed like a main window (minimise, maximise).
    setWindowFlags(Qt::Window);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setMenuBar(m_menuBar);
    layout->addWidget(m_tabs);

    createMenus();
    createPages(hive);
    createTabShortcuts();
    connect(m_tabs, &VXTabCtrl::tabClicked, this, &MainWindow::repaintBookmarkListIfShown);

    move(10, 10);
    resize(700, 510);
}

// Pages go before anything that cleans up after them.
MainWindow::~MainWindow()
{
    destroyPages();
    removeTracesOnExit();
}

FavouritesWindow *MainWindow::favouritesWindow() const
{
    return m_favouritesWindow;
}

void MainWindow::createMenus()
{
    QMenu *file = m_menuBar->addMenu(tr("&File"));
    QAction *options = file->addAction(tr("&Options"), this, &MainWindow::showOptions);
    options->setData(Ids::Options);
    QAction *exit = file->addAction(tr("E&xit"), this, &QDialog::accept);
    exit->setData(Ids::Exit);

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

// Start and browser pages are empty until they are built; the tab indexes stay fixed.
void MainWindow::createPages(Hive *hive)
{
    m_browserPage = new QWidget;
    m_browserPage->setObjectName(QStringLiteral("browserPage"));
    m_favouritesWindow = new FavouritesWindow(hive, this);
    m_startPage = new QWidget;
    m_startPage->setObjectName(QStringLiteral("startPage"));

    m_tabs->addPage(m_startPage, tr("Home"), true);
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
    Q_UNUSED(url)
}

void MainWindow::navigateBrowser2(const QVariant &url)
{
    Q_UNUSED(url)
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

void MainWindow::showOptions()
{
    OptionsDialog dialog(m_hive, this);
    dialog.setOptions(m_privacyOptions);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const PrivacyOptions chosen = dialog.options();
    if (!writePrivacyOptions(m_hive, chosen)) {
        Prompts::instance().inform(this, QMessageBox::Warning, tr("Options"),
                                   tr("The options could not be saved. They apply until "
                                      "Harbrow ends."));
    }
    m_privacyOptions = chosen;
}

void MainWindow::openHelpOnWeb() {}

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

void MainWindow::removeTracesOnExit()
{
    const QString home = QStringLiteral("/k-vane/Harbrow");
    ::removeTracesOnExit(
        m_privacyOptions,
        TraceFolders(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + home,
                     QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + home));
}

void MainWindow::destroyPages()
{
    delete m_browserPage.data();
    delete m_favouritesWindow.data();
    delete m_startPage.data();
}

#include "app/favouriteswindow.h"
#include "app/mainwindow.h"
#include "app/vxmaintabctrl.h"
#include "organiser/bookmarkdialog.h"
#include "organiser/bookmarklist.h"
#include "organiser/bookmarkspage.h"
#include "organiser/foldernamedialog.h"
#include "organiser/foldertree.h"
#include "organiser/organizepage.h"
#include "pagetesting.h"
#include "res/ids.h"
#include "store/hive/memoryhive.h"

#include "webtesting.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabBar>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QtTest>

// A parent that records every key press reaching it from its children.
class KeyRecorder : public QWidget
{
public:
    QList<QKeyCombination> keys;

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        // Presses of the modifier keys themselves do not count.
        if (event->key() != Qt::Key_Alt && event->key() != Qt::Key_Shift &&
            event->key() != Qt::Key_Control && event->key() != Qt::Key_Meta)
            keys.append(event->keyCombination());
    }
};

// Counts the show events of the widgets it watches.
class ShowCounter : public QObject
{
public:
    int shows = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        shows += event->type() == QEvent::Show;
        return false;
    }
};

class TestShellFavourites : public QObject
{
    Q_OBJECT

public:
    static void initMain() { initWebEngineTests(); }

private:
    MemoryHive m_hive;

    static void clickTab(FavouritesWindow &window, int index)
    {
        QTabBar *bar = window.tabs()->tabBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
    }
    static void clickCommand(FavouritesWindow &window, int commandId)
    {
        QWidget *button = window.toolBar()->widgetForAction(window.action(commandId));
        QVERIFY(button);
        QTest::mouseClick(button, Qt::LeftButton);
    }
    static QList<int> enabledCommands(const FavouritesWindow &window)
    {
        QList<int> enabled;
        for (int id :
             {Ids::AddBookmark, Ids::EditBookmark, Ids::DeleteBookmark, Ids::ImportBookmarks,
              Ids::AddFolder, Ids::RemoveFolder, Ids::GoToBookmark, Ids::GoHome}) {
            if (window.action(id)->isEnabled())
                enabled.append(id);
        }
        return enabled;
    }
    static const QList<int> &bookmarkSet()
    {
        static const QList<int> set = {Ids::AddBookmark,     Ids::EditBookmark, Ids::DeleteBookmark,
                                       Ids::ImportBookmarks, Ids::GoToBookmark, Ids::GoHome};
        return set;
    }
    static const QList<int> &organizeSet()
    {
        static const QList<int> set = {Ids::AddFolder, Ids::RemoveFolder, Ids::GoHome};
        return set;
    }

private slots:
    void toolbarEntries_data();
    void toolbarEntries();
    void toolbarOrder();
    void startsWithTheBookmarksPageInFront();
    void organizeTabSwapsTheButtonSets();
    void disabledButtonsDoNothing();
    void addOffersAnEmptyBookmark();
    void offerBookmarkAddsToBothPages();
    void goOpensTheSelectedBookmark();
    void deleteRemovesTheSelectedBookmark();
    void organizeButtonsWorkOnTheOrganizePage();
    void eachPageRefreshesTheOther();
    void homeSelectsTheFavouritesPage();
    void tabVisitsTreeListAndTabs();
    void ctrlDAddsOnceTheTabIsClicked();
    void altEnterAndAltEscapeAreSwallowed();
    void closingDestroysBothPages();
    void pagesOwnTheStore();
};

void TestShellFavourites::toolbarEntries_data()
{
    QTest::addColumn<int>("commandId");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<int>("minimumWidth");

    QTest::newRow("Add bookmark") << Ids::AddBookmark << " Add" << true << 70;
    QTest::newRow("Delete") << Ids::DeleteBookmark << "Delete" << true << 80;
    QTest::newRow("Import") << Ids::ImportBookmarks << "Import" << true << 80;
    QTest::newRow("Add folder") << Ids::AddFolder << "Add " << false << 70;
    QTest::newRow("Remove") << Ids::RemoveFolder << "Remove" << false << 90;
    QTest::newRow("Go") << Ids::GoToBookmark << "Go" << true << 60;
    QTest::newRow("Home") << Ids::GoHome << "Home" << true << 70;
}

void TestShellFavourites::toolbarEntries()
{
    QFETCH(int, commandId);
    QFETCH(QString, text);
    QFETCH(bool, enabled);
    QFETCH(int, minimumWidth);

    FavouritesWindow window(&m_hive, nullptr);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QAction *action = window.action(commandId);
    QVERIFY(action);
    QCOMPARE(action->data().toInt(), commandId);
    auto *button = qobject_cast<QToolButton *>(window.toolBar()->widgetForAction(action));
    QVERIFY(button);
    QCOMPARE(button->text(), text);
    QCOMPARE(button->isEnabled(), enabled);
    QVERIFY(button->width() >= minimumWidth);
    QCOMPARE(button->toolButtonStyle(), Qt::ToolButtonTextBesideIcon);
    QVERIFY(!action->icon().isNull());
    QCOMPARE(window.toolBar()->iconSize(), QSize(32, 32));
}

void TestShellFavourites::toolbarOrder()
{
    FavouritesWindow window(&m_hive, nullptr);
    QList<int> order;
    for (QAction *action : window.toolBar()->actions())
        order.append(action->isSeparator() ? 0 : action->data().toInt());
    QCOMPARE(order,
             QList<int>({Ids::AddBookmark, Ids::DeleteBookmark, Ids::ImportBookmarks, 0,
                         Ids::AddFolder, Ids::RemoveFolder, 0, Ids::GoToBookmark, Ids::GoHome}));
}

void TestShellFavourites::startsWithTheBookmarksPageInFront()
{
    FavouritesWindow window(&m_hive, nullptr);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.tabs()->count(), 2);
    QCOMPARE(window.tabs()->tabText(0), QStringLiteral("Favorites"));
    QCOMPARE(window.tabs()->tabText(1), QStringLiteral("Organize"));
    QCOMPARE(window.tabs()->currentIndex(), 0);
    QVERIFY(window.bookmarksPage()->isVisible());
    QVERIFY(!window.organizePage()->isVisible());
    QVERIFY(!window.isOrganizeMode());
    QCOMPARE(enabledCommands(window), bookmarkSet());
}

void TestShellFavourites::organizeTabSwapsTheButtonSets()
{
    FavouritesWindow window(&m_hive, nullptr);
    window.resize(700, 400);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    clickTab(window, 1);
    QCOMPARE(enabledCommands(window), organizeSet());
    QVERIFY(window.isOrganizeMode());
    QVERIFY(window.organizePage()->isVisible());

    clickTab(window, 1);
    QCOMPARE(enabledCommands(window), organizeSet());

    clickTab(window, 0);
    QCOMPARE(enabledCommands(window), bookmarkSet());
    QVERIFY(!window.isOrganizeMode());

    clickTab(window, 0);
    QCOMPARE(enabledCommands(window), bookmarkSet());
}

void TestShellFavourites::disabledButtonsDoNothing()
{
    TestHive file;
    FavouritesWindow window(file.hive(), nullptr);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const int folders = file.folderNamesOnFile(0).size();
    clickCommand(window, Ids::AddFolder);
    QCOMPARE(file.folderNamesOnFile(0).size(), folders);
}

void TestShellFavourites::addOffersAnEmptyBookmark()
{
    FavouritesWindow window(&m_hive, nullptr);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    bool shown = false;
    whenShown<BookmarkDialog>([&](BookmarkDialog *dialog) {
        shown = true;
        QCOMPARE(dialog->titleEdit()->text(), QString());
        QCOMPARE(dialog->addressEdit()->text(), QStringLiteral("http://"));
        dialog->reject();
    });
    clickCommand(window, Ids::AddBookmark);
    QVERIFY(shown);
}

// The browser's "Add to Favorites" route: the bookmark lands in the list, on
// file and in the Organize tree.
void TestShellFavourites::offerBookmarkAddsToBothPages()
{
    TestHive file;
    FavouritesWindow window(file.hive(), nullptr);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const int rows = window.bookmarksPage()->bookmarkList()->rowCount();
    whenShown<BookmarkDialog>([](BookmarkDialog *dialog) {
        QCOMPARE(dialog->titleEdit()->text(), QStringLiteral("Harbrow help"));
        QCOMPARE(dialog->addressEdit()->text(), QStringLiteral("http://www.harbrow.org/help.html"));
        QTest::mouseClick(dialog->okButton(), Qt::LeftButton);
    });
    window.offerBookmark(QStringLiteral("Harbrow help"),
                         QStringLiteral("http://www.harbrow.org/help.html"));
    QCOMPARE(window.bookmarksPage()->bookmarkList()->rowCount(), rows + 1);
    QVERIFY(file.titlesOnFile(0).contains(QStringLiteral("Harbrow help")));
    QCOMPARE(window.organizePage()
                 ->tree()
                 ->findItems(QStringLiteral("Harbrow help"), Qt::MatchExactly)
                 .size(),
             1);
}

void TestShellFavourites::goOpensTheSelectedBookmark()
{
    FavouritesWindow window(&m_hive, nullptr);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    BookmarkList *list = window.bookmarksPage()->bookmarkList();
    QVERIFY(list->rowCount() > 0);
    list->setCurrentRow(0);
    QSignalSpy opened(&window, &FavouritesWindow::openAddressRequested);
    clickCommand(window, Ids::GoToBookmark);
    QCOMPARE(opened.count(), 1);
    QCOMPARE(opened.constFirst().at(0).toString(), list->text(0, 1));
}

void TestShellFavourites::deleteRemovesTheSelectedBookmark()
{
    TestHive file;
    FavouritesWindow window(file.hive(), nullptr);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    BookmarksPage *page = window.bookmarksPage();
    // A folder of its own, so that the home-page bookmark is not the one chosen.
    page->folderTree()->setCurrentItem(page->folderTree()->topLevelItem(0)->child(0));
    BookmarkList *list = page->bookmarkList();
    QVERIFY(list->rowCount() > 0);
    const QString title = list->text(0, 0);
    const int folderId = page->selectedFolderId();
    list->setFocus();
    list->setCurrentRow(0);
    answer({QMessageBox::Yes});
    clickCommand(window, Ids::DeleteBookmark);
    QVERIFY(!file.titlesOnFile(folderId).contains(title));
    fillWholeTree(window.organizePage()->tree());
    QVERIFY(window.organizePage()->tree()->findItems(title, Qt::MatchExactly | Qt::MatchRecursive)
                .isEmpty());
}

void TestShellFavourites::organizeButtonsWorkOnTheOrganizePage()
{
    TestHive file;
    FavouritesWindow window(file.hive(), nullptr);
    window.resize(700, 400);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    clickTab(window, 1);
    FolderTree *tree = window.organizePage()->tree();
    tree->setCurrentItem(tree->topLevelItem(0));
    const QStringList before = file.folderNamesOnFile(0);

    clickCommand(window, Ids::AddFolder);
    QCOMPARE(file.folderNamesOnFile(0).size(), before.size() + 1);
    QVERIFY(file.folderNamesOnFile(0).contains(QStringLiteral("New Folder1")));
    // The refresh of the bookmarks page must not end the in-place rename.
    QWidget *editor = QApplication::focusWidget();
    QVERIFY(qobject_cast<QLineEdit *>(editor) && tree->isAncestorOf(editor));
    QTest::keyClick(editor, Qt::Key_Escape);

    const auto created = tree->findItems(QStringLiteral("New Folder1"), Qt::MatchExactly);
    QCOMPARE(created.size(), 1);
    tree->setCurrentItem(created.constFirst());
    answer({QMessageBox::Yes});
    clickCommand(window, Ids::RemoveFolder);
    QCOMPARE(file.folderNamesOnFile(0), before);
}

void TestShellFavourites::eachPageRefreshesTheOther()
{
    TestHive file;
    FavouritesWindow window(file.hive(), nullptr);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    BookmarksPage *bookmarks = window.bookmarksPage();
    FolderTree *organizeTree = window.organizePage()->tree();

    bookmarks->folderTree()->setCurrentItem(bookmarks->folderTree()->topLevelItem(0));
    whenShown<FolderNameDialog>([](FolderNameDialog *dialog) {
        QTest::keyClicks(dialog->nameEdit(), "Recipes");
        QTest::mouseClick(dialog->okButton(), Qt::LeftButton);
    });
    bookmarks->addFolder();
    QCOMPARE(organizeTree->findItems(QStringLiteral("Recipes"), Qt::MatchExactly).size(), 1);

    // The refresh keeps the selection: with none, the delete only refreshes.
    organizeTree->setCurrentItem(nullptr);
    window.organizePage()->deleteItem(); // nothing selected: only the refresh
    organizeTree->setCurrentItem(
        organizeTree->findItems(QStringLiteral("Recipes"), Qt::MatchExactly).constFirst());
    answer({QMessageBox::Yes});
    window.organizePage()->deleteItem();
    fillWholeTree(bookmarks->folderTree());
    QVERIFY(bookmarks->folderTree()
                ->findItems(QStringLiteral("Recipes"), Qt::MatchExactly | Qt::MatchRecursive)
                .isEmpty());
}

void TestShellFavourites::homeSelectsTheFavouritesPage()
{
    MainWindow main(&m_hive);
    main.show();
    QVERIFY(QTest::qWaitForWindowActive(&main));
    FavouritesWindow *window = main.favouritesWindow();
    main.selectPage(2);
    QSignalSpy home(window, &FavouritesWindow::homeRequested);
    clickCommand(*window, Ids::GoHome);
    QCOMPARE(home.count(), 1);
    QCOMPARE(main.tabs()->currentIndex(), 2);
    QVERIFY(window->isAncestorOf(QApplication::focusWidget()));
}

// Tab runs tree, list, main tabs, inner tabs and round; Shift+Tab the other way.
void TestShellFavourites::tabVisitsTreeListAndTabs()
{
    MainWindow main(&m_hive);
    main.show();
    QVERIFY(QTest::qWaitForWindowActive(&main));
    main.selectPage(MainWindow::FavouritesPage);
    FavouritesWindow *window = main.favouritesWindow();
    BookmarksPage *page = window->bookmarksPage();
    QCOMPARE(QApplication::focusWidget(), page->bookmarkList());
    const QList<QWidget *> forward{page->bookmarkList(), main.tabs()->tabBar(),
                                   window->tabs()->tabBar(), page->folderTree(),
                                   page->bookmarkList()};
    for (qsizetype i = 1; i < forward.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), forward[i]);
    }
    for (qsizetype i = forward.size() - 2; i >= 0; --i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(QApplication::focusWidget(), forward[i]);
    }
}

// A click on the main window's "Favorites" tab leaves the keyboard in the
// bookmarks page, so its keys work without a further click.
void TestShellFavourites::ctrlDAddsOnceTheTabIsClicked()
{
    MainWindow main(&m_hive);
    main.show();
    QVERIFY(QTest::qWaitForWindowActive(&main));
    QTabBar *bar = main.tabs()->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(MainWindow::FavouritesPage).center());
    QTRY_VERIFY(main.favouritesWindow()->isAncestorOf(QApplication::focusWidget()));
    bool shown = false;
    whenShown<BookmarkDialog>([&](BookmarkDialog *dialog) {
        shown = true;
        dialog->reject();
    });
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_D, Qt::ControlModifier);
    QVERIFY(shown);
}

void TestShellFavourites::altEnterAndAltEscapeAreSwallowed()
{
    KeyRecorder outside;
    auto *layout = new QVBoxLayout(&outside);
    auto *window = new FavouritesWindow(&m_hive, &outside);
    layout->addWidget(window);
    outside.show();
    QVERIFY(QTest::qWaitForWindowActive(&outside));
    // A toolbar button: outside the inner tab control, which stops these keys itself.
    QWidget *focus = window->toolBar()->widgetForAction(window->action(Ids::GoToBookmark));
    focus->setFocus();
    QCOMPARE(QApplication::focusWidget(), focus);

    QTest::keyClick(focus, Qt::Key_Return, Qt::AltModifier);
    QTest::keyClick(focus, Qt::Key_Enter, Qt::AltModifier | Qt::KeypadModifier);
    QTest::keyClick(focus, Qt::Key_Escape, Qt::AltModifier);
    QVERIFY(outside.keys.isEmpty());
    // Other keys still reach the window around it.
    QTest::keyClick(focus, Qt::Key_F5);
    QCOMPARE(outside.keys.size(), 1);
}

void TestShellFavourites::closingDestroysBothPages()
{
    FavouritesWindow window(&m_hive, nullptr);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QPointer<QWidget> bookmarks = window.bookmarksPage();
    QPointer<QWidget> organize = window.organizePage();
    QStringList destroyed;
    connect(bookmarks, &QObject::destroyed, this, [&] { destroyed.append("bookmarks"); });
    connect(organize, &QObject::destroyed, this, [&] { destroyed.append("organize"); });
    // Taking the front page away must not show, and so fill, the other one.
    ShowCounter organizeShown;
    organize->installEventFilter(&organizeShown);
    window.close();
    QCOMPARE(destroyed, QStringList({"bookmarks", "organize"}));
    QCOMPARE(organizeShown.shows, 0);
    QVERIFY(!window.bookmarksPage());
    // Whatever still calls in finds no page and does nothing.
    window.repaintBookmarkList();
    window.refreshBookmarksPage();
}

void TestShellFavourites::pagesOwnTheStore()
{
    MemoryHive hive;
    FavouritesWindow window(&hive, nullptr);
    QVERIFY(
        hive.queryValue(QStringLiteral("Software\\k-vane\\Harbrow\\Bookmarks"), "INI").has_value());
}

QTEST_MAIN(TestShellFavourites)
#include "tst_shell_favourites.moc"

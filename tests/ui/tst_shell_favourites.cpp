#include "app/bookmarkspageplaceholder.h"
#include "app/favouriteswindow.h"
#include "app/mainwindow.h"
#include "app/organizepageplaceholder.h"
#include "app/vxmaintabctrl.h"
#include "res/ids.h"
#include "store/hive/memoryhive.h"

#include <QLineEdit>
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

class TestShellFavourites : public QObject
{
    Q_OBJECT

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
    void toolbarButtonsReachThePages_data();
    void toolbarButtonsReachThePages();
    void addOffersAnEmptyBookmark();
    void offerBookmarkPassesTitleAndAddress();
    void homeSelectsTheFavouritesPage();
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

void TestShellFavourites::toolbarButtonsReachThePages_data()
{
    QTest::addColumn<int>("commandId");
    QTest::addColumn<bool>("organize");
    QTest::addColumn<QByteArray>("signal");

    QTest::newRow("Delete") << Ids::DeleteBookmark << false
                            << QByteArray(SIGNAL(deleteBookmarksRequested()));
    QTest::newRow("Import") << Ids::ImportBookmarks << false
                            << QByteArray(SIGNAL(importRequested()));
    QTest::newRow("Go") << Ids::GoToBookmark << false
                        << QByteArray(SIGNAL(openBookmarksRequested()));
    QTest::newRow("Add folder") << Ids::AddFolder << true
                                << QByteArray(SIGNAL(createFolderRequested()));
    QTest::newRow("Remove folder")
        << Ids::RemoveFolder << true << QByteArray(SIGNAL(removeFolderRequested()));
    QTest::newRow("Home") << Ids::GoHome << false << QByteArray(SIGNAL(homeRequested()));
}

void TestShellFavourites::toolbarButtonsReachThePages()
{
    QFETCH(int, commandId);
    QFETCH(bool, organize);
    QFETCH(QByteArray, signal);

    FavouritesWindow window(&m_hive, nullptr);
    window.resize(700, 400);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QSignalSpy wanted(&window, signal.constData());
    QSignalSpy folder(&window, &FavouritesWindow::createFolderRequested);
    QSignalSpy bookmark(&window, &FavouritesWindow::addBookmarkRequested);

    // A disabled button does nothing.
    if (organize)
        clickCommand(window, commandId);
    QCOMPARE(wanted.count(), 0);

    if (organize)
        clickTab(window, 1);
    clickCommand(window, commandId);
    QCOMPARE(wanted.count(), 1);
    // Only the one command went out.
    QCOMPARE(folder.count() + bookmark.count(), commandId == Ids::AddFolder ? 1 : 0);
}

void TestShellFavourites::addOffersAnEmptyBookmark()
{
    FavouritesWindow window(&m_hive, nullptr);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QSignalSpy offered(&window, &FavouritesWindow::addBookmarkRequested);
    QSignalSpy folder(&window, &FavouritesWindow::createFolderRequested);
    clickCommand(window, Ids::AddBookmark);
    QCOMPARE(offered.count(), 1);
    QCOMPARE(offered.constFirst().at(0).toString(), QString());
    QCOMPARE(offered.constFirst().at(1).toString(), QString());
    QCOMPARE(folder.count(), 0);
}

void TestShellFavourites::offerBookmarkPassesTitleAndAddress()
{
    FavouritesWindow window(&m_hive, nullptr);
    QSignalSpy offered(&window, &FavouritesWindow::addBookmarkRequested);
    window.offerBookmark(QStringLiteral("Harbrow help"),
                         QStringLiteral("http://www.harbrow.org/help.html"));
    QCOMPARE(offered.count(), 1);
    QCOMPARE(offered.constFirst().at(0).toString(), QStringLiteral("Harbrow help"));
    QCOMPARE(offered.constFirst().at(1).toString(),
             QStringLiteral("http://www.harbrow.org/help.html"));
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
    QCOMPARE(QApplication::focusWidget(), window);
}

void TestShellFavourites::altEnterAndAltEscapeAreSwallowed()
{
    KeyRecorder outside;
    auto *layout = new QVBoxLayout(&outside);
    auto *window = new FavouritesWindow(&m_hive, nullptr, &outside);
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
    window.close();
    QCOMPARE(destroyed, QStringList({"bookmarks", "organize"}));
    QVERIFY(!window.bookmarksPage());
    // Whatever still calls in finds no page and does nothing.
    window.repaintBookmarkList();
    window.refreshBookmarksPage();
}

void TestShellFavourites::pagesOwnTheStore()
{
    MemoryHive hive;
    FavouritesWindow window(&hive, nullptr);
    QVERIFY(window.bookmarksPage()->store());
    QVERIFY(
        hive.queryValue(QStringLiteral("Software\\k-vane\\Harbrow\\Bookmarks"), "INI").has_value());
}

QTEST_MAIN(TestShellFavourites)
#include "tst_shell_favourites.moc"

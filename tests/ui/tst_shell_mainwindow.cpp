#include "app/aboutdialog.h"
#include "app/favouriteswindow.h"
#include "app/mainwindow.h"
#include "app/vxmaintabctrl.h"
#include "organiser/bookmarklist.h"
#include "organiser/bookmarkspage.h"
#include "res/ids.h"
#include "store/hive/memoryhive.h"

#include "webtesting.h"

#include <QMenu>
#include <QMenuBar>
#include <QTabBar>
#include <QToolBar>
#include <QtTest>

// Counts the paint events a widget receives.
class PaintCounter : public QObject
{
public:
    int paints = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return QObject::eventFilter(watched, event);
    }
};

class TestShellMainWindow : public QObject
{
    Q_OBJECT

public:
    static void initMain() { initWebEngineTests(); }

private:
    static void showAndActivate(MainWindow &window)
    {
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
    }
    static void clickTab(MainWindow &window, int index)
    {
        QTabBar *bar = window.tabs()->tabBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
    }
    static QAction *menuAction(MainWindow &window, int commandId)
    {
        for (QAction *menu : window.menuBar()->actions()) {
            for (QAction *action : menu->menu()->actions()) {
                if (action->data().toInt() == commandId)
                    return action;
            }
        }
        return nullptr;
    }

private slots:
    void startsAtItsPlaceWithHomeInFront();
    void menusCarryTheirCommands_data();
    void menusCarryTheirCommands();
    void menusOpenFromTheMenuBar();
    void altDigitsSelectTheTabs();
    void selectPage_data();
    void selectPage();
    void favoritesTabClickRepaintsTheBookmarkList();
    void shutdownDestroysPagesFirst_data();
    void shutdownDestroysPagesFirst();
    void enterAndEscapeNeverCloseTheWindow_data();
    void enterAndEscapeNeverCloseTheWindow();
    void aboutRunsFromTheHelpMenu();
    void favouritesPageKeepsItsMinimumSize();
};

void TestShellMainWindow::startsAtItsPlaceWithHomeInFront()
{
    MemoryHive hive;
    MainWindow window(&hive);
    showAndActivate(window);

    QCOMPARE(window.windowTitle(), QStringLiteral("Harbrow"));
    QCOMPARE(window.pos(), QPoint(10, 10));
    QCOMPARE(window.size(), QSize(700, 510));
    QCOMPARE(window.tabs()->count(), 3);
    QCOMPARE(window.tabs()->tabText(0), QStringLiteral("Home"));
    QCOMPARE(window.tabs()->tabText(1), QStringLiteral("Browser"));
    QCOMPARE(window.tabs()->tabText(2), QStringLiteral("Favorites"));
    QCOMPARE(window.tabs()->currentIndex(), 0);
    QVERIFY(window.startPage()->isVisible());
    QVERIFY(!window.browserPage()->isVisible());
    QVERIFY(!window.favouritesWindow()->isVisible());
    QCOMPARE(window.tabs()->widget(2), window.favouritesWindow());
}

void TestShellMainWindow::menusCarryTheirCommands_data()
{
    QTest::addColumn<int>("menu");
    QTest::addColumn<QString>("menuText");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("commandId");

    QTest::newRow("Options") << 0 << "File" << 0 << "Options" << Ids::Options;
    QTest::newRow("Export Bookmarks")
        << 0 << "File" << 1 << "Export Bookmarks..." << Ids::ExportBookmarks;
    QTest::newRow("Exit") << 0 << "File" << 3 << "Exit" << Ids::Exit; // after a separator
    QTest::newRow("Help on Web") << 1 << "Help" << 0 << "Help on Web" << Ids::HelpOnWeb;
    QTest::newRow("About") << 1 << "Help" << 1 << "About" << Ids::About;
}

void TestShellMainWindow::menusCarryTheirCommands()
{
    QFETCH(int, menu);
    QFETCH(QString, menuText);
    QFETCH(int, position);
    QFETCH(QString, text);
    QFETCH(int, commandId);

    MemoryHive hive;
    MainWindow window(&hive);
    const QList<QAction *> menus = window.menuBar()->actions();
    QCOMPARE(menus.size(), 2);
    QCOMPARE(menus.at(menu)->text().remove(QLatin1Char('&')), menuText);
    const QList<QAction *> items = menus.at(menu)->menu()->actions();
    QCOMPARE(items.size(), menu == 0 ? 4 : 2);
    QCOMPARE(items.at(position)->text().remove(QLatin1Char('&')), text);
    QCOMPARE(items.at(position)->data().toInt(), commandId);
    if (commandId == Ids::Exit) // shown beside the entry, and working
        QCOMPARE(items.at(position)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
}

void TestShellMainWindow::menusOpenFromTheMenuBar()
{
    MemoryHive hive;
    MainWindow window(&hive);
    showAndActivate(window);
    for (QAction *entry : window.menuBar()->actions()) {
        QTest::mouseClick(window.menuBar(), Qt::LeftButton, {},
                          window.menuBar()->actionGeometry(entry).center());
        QTRY_VERIFY(entry->menu()->isVisible());
        QTest::keyClick(entry->menu(), Qt::Key_Escape);
        QTRY_VERIFY(!entry->menu()->isVisible());
    }
    QVERIFY(window.isVisible());
}

void TestShellMainWindow::altDigitsSelectTheTabs()
{
    MemoryHive hive;
    MainWindow window(&hive);
    showAndActivate(window);
    for (int tab : {2, 1, 0, 2}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(Qt::Key_1 + tab), Qt::AltModifier);
        QCOMPARE(window.tabs()->currentIndex(), tab);
    }
    // From inside the favourites window too, where Ctrl+Tab stays with the inner tabs.
    QVERIFY(window.favouritesWindow()->isAncestorOf(QApplication::focusWidget()));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_1, Qt::AltModifier);
    QCOMPARE(window.tabs()->currentIndex(), 0);
}

void TestShellMainWindow::selectPage_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("expectedTab");
    QTest::addColumn<QString>("expectedFocus");

    QTest::newRow("0: Home, focus on the window") << 0 << 0 << "window";
    QTest::newRow("1: Browser") << 1 << 1 << "browser";
    QTest::newRow("2: Favorites, focus on into the bookmark list") << 2 << 2 << "bookmark list";
    QTest::newRow("7: Home, focus on the page") << 7 << 0 << "start";
    QTest::newRow("-1: Home, focus on the page") << -1 << 0 << "start";
}

void TestShellMainWindow::selectPage()
{
    QFETCH(int, index);
    QFETCH(int, expectedTab);
    QFETCH(QString, expectedFocus);

    MemoryHive hive;
    MainWindow window(&hive);
    showAndActivate(window);
    const QHash<QString, QWidget *> widgets = {{"window", &window},
                                               {"start", window.startPage()},
                                               {"browser", window.browserPage()},
                                               {"bookmark list", window.favouritesWindow()->bookmarksPage()->bookmarkList()}};
    // Start from another page than the one asked for.
    window.selectPage(index == 1 ? 2 : 1);

    window.selectPage(index);
    QCOMPARE(window.tabs()->currentIndex(), expectedTab);
    QWidget *shown = window.tabs()->widget(expectedTab);
    QVERIFY(shown->isVisible());
    for (int tab = 0; tab < window.tabs()->count(); ++tab) {
        if (tab != expectedTab)
            QVERIFY(!window.tabs()->widget(tab)->isVisible());
    }
    QCOMPARE(QApplication::focusWidget(), widgets.value(expectedFocus));
}

// Clicking the tab that is already in front changes nothing else, so only the
// window's own repaint request can bring a paint event to the list.
void TestShellMainWindow::favoritesTabClickRepaintsTheBookmarkList()
{
    MemoryHive hive;
    MainWindow window(&hive);
    showAndActivate(window);
    QWidget *list = window.favouritesWindow()->bookmarksPage()->bookmarkList()->viewport();
    PaintCounter counter;
    list->installEventFilter(&counter);

    clickTab(window, 2);
    QTRY_VERIFY(counter.paints > 0);
    QTest::qWait(50);
    counter.paints = 0;
    clickTab(window, 2);
    QTRY_VERIFY(counter.paints > 0);

    counter.paints = 0;
    clickTab(window, 1);
    QTest::qWait(50);
    QCOMPARE(counter.paints, 0);
}

void TestShellMainWindow::shutdownDestroysPagesFirst_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("expectedResult");

    QTest::newRow("closing the window") << "close" << int(QDialog::Rejected);
    QTest::newRow("File > Exit") << "exit" << int(QDialog::Accepted);
    QTest::newRow("Ctrl+Q") << "ctrl+q" << int(QDialog::Accepted);
}

void TestShellMainWindow::shutdownDestroysPagesFirst()
{
    QFETCH(QString, how);
    QFETCH(int, expectedResult);

    QStringList destroyed; // outlives the window that reports into it
    MemoryHive hive;
    auto window = std::make_unique<MainWindow>(&hive);
    auto record = [&destroyed, this](QObject *object, const QString &name) {
        connect(object, &QObject::destroyed, this, [&destroyed, name] { destroyed.append(name); });
    };
    record(window->browserPage(), QStringLiteral("browser"));
    record(window->favouritesWindow(), QStringLiteral("favourites"));
    record(window->favouritesWindow()->bookmarksPage(), QStringLiteral("bookmarks"));
    record(window->startPage(), QStringLiteral("start"));
    record(window.get(), QStringLiteral("main window"));
    QAction *exit = menuAction(*window, Ids::Exit);
    QVERIFY(exit);

    bool shortcutMissed = false;
    QTimer::singleShot(0, window.get(), [&] {
        if (how == QLatin1String("close"))
            window->close();
        else if (how == QLatin1String("ctrl+q")) {
            shortcutMissed = !QTest::qWaitForWindowActive(window.get());
            QTest::keyClick(window.get(), Qt::Key_Q, Qt::ControlModifier);
            if (window->isVisible()) { // never hang: fail below instead
                shortcutMissed = true;
                window->close();
            }
        } else
            exit->trigger();
    });
    const int result = window->exec();
    QVERIFY(!shortcutMissed);

    QCOMPARE(result, expectedResult);
    // Every page is gone while the window still exists; the favourites window
    // ends its pages before the store it lends them.
    QCOMPARE(destroyed, QStringList({"browser", "bookmarks", "favourites", "start"}));
    window.reset();
    QCOMPARE(destroyed.constLast(), QStringLiteral("main window"));
}

void TestShellMainWindow::enterAndEscapeNeverCloseTheWindow_data()
{
    QTest::addColumn<QString>("focus");
    QTest::addColumn<int>("key");

    for (const char *focus : {"window", "tab bar", "toolbar button", "inner tab bar"}) {
        QTest::addRow("%s, Return", focus) << focus << int(Qt::Key_Return);
        QTest::addRow("%s, Escape", focus) << focus << int(Qt::Key_Escape);
    }
}

void TestShellMainWindow::enterAndEscapeNeverCloseTheWindow()
{
    QFETCH(QString, focus);
    QFETCH(int, key);

    MemoryHive hive;
    MainWindow window(&hive);
    showAndActivate(window);
    QSignalSpy finished(&window, &QDialog::finished);
    QWidget *target = &window;
    FavouritesWindow *favourites = window.favouritesWindow();
    if (focus == QLatin1String("tab bar")) {
        target = window.tabs()->tabBar();
    } else if (focus == QLatin1String("toolbar button")) {
        window.selectPage(2);
        target = favourites->toolBar()->widgetForAction(favourites->action(Ids::GoToBookmark));
    } else if (focus == QLatin1String("inner tab bar")) {
        window.selectPage(2);
        target = favourites->tabs()->tabBar();
    }
    target->setFocus();
    QCOMPARE(QApplication::focusWidget(), target);

    QTest::keyClick(target, Qt::Key(key));
    QTest::qWait(20);
    QVERIFY(window.isVisible());
    QCOMPARE(finished.count(), 0);
    QCOMPARE(window.tabs()->count(), 3);
}

void TestShellMainWindow::aboutRunsFromTheHelpMenu()
{
    MemoryHive hive;
    MainWindow window(&hive);
    showAndActivate(window);
    QString shownTitle;
    bool wasModal = false;
    QTimer::singleShot(0, this, [&] {
        auto *about = qobject_cast<AboutDialog *>(QApplication::activeModalWidget());
        if (!about)
            return;
        shownTitle = about->windowTitle();
        wasModal = about->isModal();
        QTest::keyClick(about, Qt::Key_Escape);
    });
    menuAction(window, Ids::About)->trigger();

    QCOMPARE(shownTitle, QStringLiteral("About Harbrow v1.0"));
    QVERIFY(wasModal);
    QVERIFY(window.isVisible());
}

void TestShellMainWindow::favouritesPageKeepsItsMinimumSize()
{
    MemoryHive hive;
    MainWindow window(&hive);
    showAndActivate(window);
    window.selectPage(2);
    window.resize(300, 200);
    QApplication::processEvents();
    QVERIFY(window.width() > 300);
    QVERIFY(window.favouritesWindow()->width() >= FavouritesWindow::MinimumWidth);
    QVERIFY(window.favouritesWindow()->height() >= FavouritesWindow::MinimumHeight);
}

QTEST_MAIN(TestShellMainWindow)
#include "tst_shell_mainwindow.moc"

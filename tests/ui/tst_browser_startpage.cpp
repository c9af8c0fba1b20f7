#include "app/favouriteswindow.h"
#include "app/mainwindow.h"
#include "app/vxmaintabctrl.h"
#include "browser/browserprofile.h"
#include "browser/startpage.h"
#include "browser/startpagehtml.h"
#include "browser/startservice.h"
#include "browser/browserhost.h"
#include "core/failinghive.h"
#include "localhttpserver.h"
#include "res/ids.h"
#include "store/bookmarkstore.h"
#include "store/hive/memoryhive.h"
#include "webtesting.h"

#include <QMenuBar>
#include <QWebEngineProfile>
#include <QtTest>

#include <memory>

namespace {

// A store without the first-run bookmarks, holding (title, rating) in order.
std::unique_ptr<BookmarkStore> storeWith(MemoryHive &hive, const QList<QPair<QString, int>> &bookmarks,
                                         const QString &address = QStringLiteral("http://example.org/"))
{
    hive.createKey(BookmarkStore::KeyPath);
    hive.setValue(BookmarkStore::KeyPath, "INI", "YES");
    auto store = std::make_unique<BookmarkStore>(&hive);
    for (const auto &[title, rating] : bookmarks)
        store->addBookmark({address + title, title, {}, {}, rating, QStringLiteral("0")});
    return store;
}

} // namespace

// One start page over a fresh profile, with the given bookmarks behind it.
struct Fixture
{
    explicit Fixture(BookmarkStore *store)
    {
        owner.store = store;
        page = new StartPage(&owner, profile.profile());
        page->resize(700, 450);
    }
    ~Fixture() { delete page; } // pages go before their profile

    bool showLoaded()
    {
        QSignalSpy finished(page->view()->page(), &QWebEnginePage::loadFinished);
        page->show();
        return QTest::qWaitForWindowExposed(page) && (page->firstPageLoaded() || finished.wait(15000));
    }

    BrowserProfile profile;
    FakeBrowserOwner owner;
    StartPage *page;
};

class TestStartPage : public QObject
{
    Q_OBJECT

public:
    static void initMain() { initWebEngineTests(); }

private slots:
    void bestRated_data();
    void bestRated();
    void tileClickOpensInTheBrowserTab();
    void textsAreEscaped();
    void noContextMenu();
    void helpBeforeTheFirstDocumentStaysHome();
    void popupsGoToTheBrowserOnlyOnceLoaded();
    void unknownPathIsNotFound();
    void helpOnWebOpensInTheBrowserTab();
    void homeFollowsTheCollection();
    void helpSaysWhatHomeShows_data();
    void helpSaysWhatHomeShows();
};

void TestStartPage::bestRated_data()
{
    QTest::addColumn<QList<int>>("ratings");  // bookmark i is titled "b<i>"
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("none good enough") << QList<int>{0, 1, 2, 3} << QStringList{};
    QTest::newRow("fives before fours")
        << QList<int>{4, 5, 3, 4, 5} << QStringList{"b1", "b4", "b0", "b3"};
    QList<int> many(30, 4);
    many.append(QList<int>(30, 5));
    QStringList fives;
    for (int i = 30; i < 54; ++i)
        fives << QStringLiteral("b%1").arg(i);
    QTest::newRow("at most 24, late fives push fours out") << many << fives;
    QList<int> mixed(10, 4);
    mixed.append(QList<int>(20, 5));
    QStringList mixedExpected;
    for (int i = 10; i < 30; ++i)
        mixedExpected << QStringLiteral("b%1").arg(i);
    for (int i = 0; i < 4; ++i)
        mixedExpected << QStringLiteral("b%1").arg(i);
    QTest::newRow("fours fill up to 24, numbers in titles counted") << mixed << mixedExpected;
}

void TestStartPage::bestRated()
{
    QFETCH(QList<int>, ratings);
    QFETCH(QStringList, expected);

    QList<QPair<QString, int>> bookmarks;
    for (int i = 0; i < ratings.size(); ++i)
        bookmarks.append({QStringLiteral("b%1").arg(i), ratings.at(i)});
    MemoryHive hive;
    auto store = storeWith(hive, bookmarks);
    QStringList titles;
    for (const CurrentBookmark &bookmark : StartPageHtml::bestRated(*store))
        titles << bookmark.title;
    QCOMPARE(titles, expected);

    // A store just loaded has read no folder's bookmarks yet: the hive answers, once each.
    FailingHive counted(hive);
    BookmarkStore loaded(&counted);
    titles.clear();
    counted.valuesVisited = 0;
    for (const CurrentBookmark &bookmark : StartPageHtml::bestRated(loaded))
        titles << bookmark.title;
    QCOMPARE(titles, expected);
    const int read = counted.valuesVisited;
    counted.valuesVisited = 0;
    counted.enumerateValues(BookmarkStore::KeyPath);
    QCOMPARE(read, counted.valuesVisited);
}

// The start page keeps its document; the link goes to the browser page.
void TestStartPage::tileClickOpensInTheBrowserTab()
{
    MemoryHive hive;
    auto store = storeWith(hive, {{QStringLiteral("target"), 5}}, QStringLiteral("127.0.0.1:9/"));
    Fixture fixture(store.get());
    QVERIFY(fixture.showLoaded());
    CWebCommercial *view = fixture.page->view();
    const QUrl start = view->url();
    QVERIFY(HarbrowScheme::isStartAddress(start));
    // The start-up load came after the window: a tab chosen meanwhile stays chosen.
    QCOMPARE(fixture.owner.selected, QList<int>());

    QTest::mouseClick(viewInput(view), Qt::LeftButton, {}, elementCentre(view, QStringLiteral("a.tile")));
    QTRY_COMPARE(fixture.owner.handedOn.size(), 1);
    QCOMPARE(fixture.owner.handedOn.first(), QUrl(QStringLiteral("http://127.0.0.1:9/target")));
    QTest::qWait(200);
    QCOMPARE(view->url(), start);
    QCOMPARE(evaluate(view, QStringLiteral("document.querySelectorAll('a.tile').length")).toInt(), 1);
    QVERIFY(!fixture.owner.selected.contains(1)); // the browser page brings its own tab forward
}

void TestStartPage::textsAreEscaped()
{
    MemoryHive hive;
    const QString hostile = QStringLiteral("<script>document.title='owned'</script><b>bold</b>");
    auto store = storeWith(hive, {{hostile, 5}}, QStringLiteral("http://x.example/\"onmouseover=\"alert(1)"));
    Fixture fixture(store.get());
    QVERIFY(fixture.showLoaded());
    CWebCommercial *view = fixture.page->view();

    QCOMPARE(evaluate(view, QStringLiteral("document.querySelector('.title').textContent")).toString(), hostile);
    QCOMPARE(evaluate(view, QStringLiteral("document.querySelectorAll('script, b').length")).toInt(), 0);
    QCOMPARE(evaluate(view, QStringLiteral("document.querySelector('a.tile').hasAttribute('onmouseover')")).toBool(),
             false);
    QCOMPARE(view->title(), QStringLiteral("Harbrow"));
}

void TestStartPage::noContextMenu()
{
    MemoryHive hive;
    auto store = storeWith(hive, {{QStringLiteral("tile"), 5}});
    Fixture fixture(store.get());
    QVERIFY(fixture.showLoaded());
    CWebCommercial *view = fixture.page->view();
    for (const QString &where : {QStringLiteral("a.tile"), QStringLiteral("h1")}) {
        QTest::mouseClick(viewInput(view), Qt::RightButton, {}, elementCentre(view, where));
        QTest::qWait(300); // a menu would be up by now
        QVERIFY(!visibleMenu());
    }
    QVERIFY(view->host() && !view->host()->showsContextMenu());
}

void TestStartPage::helpBeforeTheFirstDocumentStaysHome()
{
    Fixture fixture(nullptr);
    CWebCommercial *view = fixture.page->view();
    QVERIFY(!fixture.page->firstPageLoaded());
    fixture.page->navigateStart(HarbrowScheme::helpAddress().toString());
    QTRY_VERIFY_WITH_TIMEOUT(HarbrowScheme::isHelpAddress(view->url()) && !view->Busy(), 15000);
    QCOMPARE(fixture.owner.handedOn, QList<QUrl>());
    QVERIFY(!fixture.owner.selected.isEmpty());
    QVERIFY(std::all_of(fixture.owner.selected.cbegin(), fixture.owner.selected.cend(),
                        [](int index) { return index == 0; }));
    QVERIFY(evaluate(view, QStringLiteral("document.body.innerText")).toString().contains(
        QStringLiteral("Keyboard shortcuts")));
}

// Once the start page stands, its pop-ups go where the owner says and it keeps its document.
void TestStartPage::popupsGoToTheBrowserOnlyOnceLoaded()
{
    LocalHttpServer server;
    server.setPage(QStringLiteral("/popup"), QStringLiteral("The pop-up"));
    Fixture fixture(nullptr);
    CWebCommercial *elsewhere = new CWebCommercial(fixture.profile.profile(), fixture.page);
    elsewhere->hide();
    fixture.owner.application = elsewhere->page();

    QVERIFY(fixture.showLoaded());
    evaluate(fixture.page->view(), QStringLiteral("window.open('%1')").arg(server.url("/popup").toString()));
    QTRY_COMPARE_WITH_TIMEOUT(elsewhere->url().path(), QStringLiteral("/popup"), 10000);
    QVERIFY(HarbrowScheme::isStartAddress(fixture.page->view()->url()));
}

void TestStartPage::unknownPathIsNotFound()
{
    Fixture fixture(nullptr);
    QVERIFY(fixture.showLoaded());
    CWebCommercial probe(fixture.profile.profile());
    QSignalSpy finished(probe.page(), &QWebEnginePage::loadFinished);
    probe.load(QUrl(QStringLiteral("harbrow://home/secret.txt")));
    QVERIFY(finished.wait(10000));
    QCOMPARE(finished.first().first().toBool(), false);
}

// After the first document, "Help on Web" ends in the "Browser" tab.
void TestStartPage::helpOnWebOpensInTheBrowserTab()
{
    MemoryHive hive;
    MainWindow window(&hive);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTRY_VERIFY_WITH_TIMEOUT(window.startPage()->firstPageLoaded(), 15000);
    CWebCommercial *browser = window.browserPage()->view();
    QTRY_VERIFY_WITH_TIMEOUT(browser->Document() && !browser->Busy(), 15000);
    QCOMPARE(window.tabs()->currentIndex(), int(MainWindow::HomePage));

    QAction *help = nullptr;
    for (QAction *menu : window.menuBar()->actions()) {
        for (QAction *entry : menu->menu()->actions()) {
            if (entry->data().toInt() == Ids::HelpOnWeb)
                help = entry;
        }
    }
    QVERIFY(help);
    help->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(HarbrowScheme::isHelpAddress(browser->url()) && !browser->Busy(), 15000);
    QCOMPARE(window.tabs()->currentIndex(), int(MainWindow::BrowserPage));
    QVERIFY(HarbrowScheme::isStartAddress(window.startPage()->view()->url()));
}

namespace {

QStringList tileTitles(CWebCommercial *view)
{
    return evaluate(view, QStringLiteral("Array.from(document.querySelectorAll('.tile .title'))"
                                         ".map(function(e){return e.textContent;}).join('|')"))
        .toString()
        .split(QLatin1Char('|'), Qt::SkipEmptyParts);
}

} // namespace

// Renamed and re-rated bookmarks are on the page when it next comes forward or
// is reloaded, and a change in one folder does not read the others again.
void TestStartPage::homeFollowsTheCollection()
{
    MemoryHive hive;
    {
        auto store = storeWith(hive, {{QStringLiteral("Zeta"), 5}, {QStringLiteral("alpha"), 5},
                                      {QStringLiteral("Mid"), 3}});
        const QString folder = QString::number(store->addFolder(QStringLiteral("F"), 0));
        for (int i = 0; i < 30; ++i)
            store->addBookmark({QStringLiteral("http://f.example/%1").arg(i),
                                QStringLiteral("f%1").arg(i), {}, {}, 4, folder});
    }
    FailingHive counted(hive);
    BookmarkStore store(&counted);
    Fixture fixture(&store);
    QVERIFY(fixture.showLoaded());
    CWebCommercial *view = fixture.page->view();
    QStringList titles = tileTitles(view);
    QCOMPARE(titles.size(), StartPageHtml::MaxTiles);
    QCOMPARE(titles.mid(0, 4), QStringList({"alpha", "Zeta", "f0", "f1"}));
    QCOMPARE(evaluate(view, QStringLiteral("document.querySelector('.more a').textContent")).toString(),
             QStringLiteral("Show all 32"));

    QVERIFY(store.setBookmarkTitle(1001, QStringLiteral("Able")));
    QVERIFY(store.updateBookmarkById({QStringLiteral("http://example.org/Mid"), QStringLiteral("Mid"),
                                      {}, {}, 5, QStringLiteral("1003")}));
    counted.valuesVisited = 0;
    QVERIFY(loadAndWait(view, [&] {
        fixture.page->hide();
        fixture.page->show();
    }));
    titles = tileTitles(view);
    QCOMPARE(titles.mid(0, 4), QStringList({"Able", "alpha", "Mid", "f0"}));
    QCOMPARE(counted.valuesVisited, 0);

    QVERIFY(store.updateBookmarkById({QStringLiteral("http://example.org/Mid"), QStringLiteral("Mid"),
                                      {}, {}, 1, QStringLiteral("1003")}));
    QApplication::setActiveWindow(fixture.page);
    fixture.page->setFocus();
    QTRY_VERIFY(fixture.page->hasFocus());
    QVERIFY(loadAndWait(view, [&] { QTest::keyClick(fixture.page, Qt::Key_F5); }));
    QCOMPARE(tileTitles(view).mid(0, 3), QStringList({"Able", "alpha", "f0"}));
    QCOMPARE(counted.valuesVisited, 0);

    // Unchanged, the page is not loaded again; "Show all" leads to the Favorites tab.
    QSignalSpy started(view->page(), &QWebEnginePage::loadStarted);
    fixture.page->hide();
    fixture.page->show();
    QTest::qWait(300);
    QCOMPARE(started.count(), 0);
    evaluate(view, QStringLiteral("document.querySelector('.more a').scrollIntoView()"));
    QTest::mouseClick(viewInput(view), Qt::LeftButton, {}, elementCentre(view, QStringLiteral(".more a")));
    QTRY_VERIFY(fixture.owner.selected.contains(2));
    QVERIFY(HarbrowScheme::isStartAddress(view->url()));
    QCOMPARE(fixture.owner.handedOn, QList<QUrl>());
}

void TestStartPage::helpSaysWhatHomeShows_data()
{
    QTest::addColumn<QString>("phrase");
    QTest::newRow("tiles") << "first every bookmark with five stars, then those with four";
    QTest::newRow("tile order") << "each group in order of title";
    QTest::newRow("tile limit") << "Up to 24 tiles are shown";
    QTest::newRow("kept current") << "the next time you bring it forward";
    QTest::newRow("list order") << "shows your best-rated bookmarks first";
    QTest::newRow("insert key") << "Insert in the bookmark list\tadd a bookmark";
}

void TestStartPage::helpSaysWhatHomeShows()
{
    QFETCH(QString, phrase);
    BrowserProfile profile;
    StartService service(nullptr);
    profile.profile()->installUrlSchemeHandler(HarbrowScheme::Name, &service);
    CWebCommercial view(profile.profile());
    QVERIFY(loadAndWait(&view, [&] { view.Navigate(HarbrowScheme::helpAddress().toString()); }));
    const QString text = evaluate(&view, QStringLiteral("document.body.innerText")).toString();
    QVERIFY2(text.simplified().contains(phrase) || text.contains(phrase), qPrintable(text));
}

QTEST_MAIN(TestStartPage)
#include "tst_browser_startpage.moc"

#include "app/favouriteswindow.h"
#include "app/mainwindow.h"
#include "app/vxmaintabctrl.h"
#include "browser/browserpage.h"
#include "browser/browserprofile.h"
#include "browser/downloadline.h"
#include "browser/downloadprogress.h"
#include "browser/popupnotice.h"
#include "browser/securitymark.h"
#include "browser/startservice.h"
#include "controls/prompts.h"
#include "localhttpserver.h"
#include "organiser/bookmarklist.h"
#include "organiser/bookmarkspage.h"
#include "res/ids.h"
#include "store/bookmarkstore.h"
#include "store/hive/memoryhive.h"
#include "testcertificate.h"
#include "webtesting.h"

#include <QAccessible>
#include <QCheckBox>
#include <QDesktopServices>
#include <QPushButton>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QSslKey>
#include <QTemporaryDir>
#include <QWebEngineDownloadRequest>
#include <QToolBar>
#include <QWebEngineHistory>
#include <QWebEngineProfile>
#include <QVBoxLayout>
#include <QtTest>

#include <memory>

#include <csignal>

// One browser page in a dialog of its own, over a fresh profile.
struct Fixture
{
    explicit Fixture(int popupFlag = 0, bool serveHome = true) : service(&owner)
    {
        if (serveHome)
            profile.profile()->installUrlSchemeHandler(HarbrowScheme::Name, &service);
        owner.flag = popupFlag;
        auto *layout = new QVBoxLayout(&window);
        page = new BrowserPage(&owner, profile.profile(), &window);
        layout->addWidget(page);
        window.resize(700, 500);
    }
    ~Fixture() { delete page; } // pages go before their profile

    bool show()
    {
        window.show();
        return QTest::qWaitForWindowExposed(&window);
    }
    bool load(const QUrl &url)
    {
        return loadAndWait(page->view(), [&] { page->Navigate(url.toString()); });
    }
    QWidget *button(int commandId) { return page->toolBar()->widgetForAction(page->action(commandId)); }

    BrowserProfile profile;
    FakeBrowserOwner owner;
    StartService service;
    QDialog window;
    BrowserPage *page;
};

// Takes what the desktop would open, so a test sees it instead.
class OpenedUrls final : public QObject
{
    Q_OBJECT

public:
    OpenedUrls() { QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "open"); }
    ~OpenedUrls() override { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }
    QList<QUrl> urls;

public slots:
    void open(const QUrl &url) { urls.append(url); }
};

class TestBrowserPage : public QObject
{
    Q_OBJECT

public:
    static void initMain() { initWebEngineTests(); }

private slots:
    void initTestCase();
    void toolbarAsBuilt_data();
    void toolbarAsBuilt();
    void startsHomeWithoutBringingItsTabForward_data();
    void startsHomeWithoutBringingItsTabForward();
    void backAndForwardFollowTheHistory();
    void addressHistoryKeepsEachAddressOnce();
    void captionFollowsTheTitle();
    void popups_data();
    void popups();
    void popupsStayInTheirPlace_data();
    void popupsStayInTheirPlace();
    void localFilesReadNothingElse();
    void aStoppedPageSaysSoAndReloads();
    void windowCloseIsRefused();
    void enterNavigatesOnlyFromTheAddressBox_data();
    void enterNavigatesOnlyFromTheAddressBox();
    void contextMenuLacksTheWaysOut();
    void addFavouritesOffersTitleThenAddress_data();
    void addFavouritesOffersTitleThenAddress();
    void keysOfAnyBrowser();
    void permissionRequestsAreRefused();
    void failedLoadShowsAnErrorPage();
    void downloadsAskWhereToSave_data();
    void downloadsAskWhereToSave();
    void downloadInFlightIsCancelledWithThePage();
    void anInterruptedDownloadSaysWhyAndLeavesNoFile();
    void certificateErrorsAskTheUser_data();
    void certificateErrorsAskTheUser();
    void bookmarkOpensInTheBrowserTab();
    void reloadAfterAPostAsksFirst();

private:
    LocalHttpServer m_server;
};

void TestBrowserPage::initTestCase()
{
    QVERIFY(m_server.isListening());
    m_server.setPage(QStringLiteral("/a"), QStringLiteral("Page A"), QStringLiteral("<p>A</p>"));
    m_server.setPage(QStringLiteral("/A"), QStringLiteral("Page A again"));
    m_server.setPage(QStringLiteral("/b"), QStringLiteral("Page B"));
    m_server.setPage(QStringLiteral("/popup"), QStringLiteral("The pop-up"));
    m_server.setPage(QStringLiteral("/opener"), QStringLiteral("Opener"),
                     QStringLiteral("<button id='open' onclick=\"window.open('/popup')\" "
                                    "style='width:200px;height:80px'>open</button>"));
    m_server.setPage(QStringLiteral("/auto"), QStringLiteral("Opens alone"),
                     QStringLiteral("<script>window.open('/popup');</script>"));
    m_server.setPage(QStringLiteral("/blank"), QStringLiteral("New window link"),
                     QStringLiteral("<a id='l' href='/b' target='_blank' style='display:block;"
                                    "width:300px;height:100px'>to B</a>"));
    m_server.setPage(QStringLiteral("/tofile"), QStringLiteral("Opens a file"),
                     QStringLiteral("<script>window.open('file:///etc/hostname');</script>"));
    m_server.setPage(QStringLiteral("/steers"), QStringLiteral("Steers its pop-up"),
                     QStringLiteral("<script>var w = window.open('/popup');"
                                    "setTimeout(function() { try { w.location = '/b'; } "
                                    "catch (e) {} }, 1500);</script>"));
    m_server.setPage(QStringLiteral("/closer"), QStringLiteral("Closer"),
                     QStringLiteral("<p>This page asks to close its window.</p>"));
    m_server.setPage(QStringLiteral("/link"), QStringLiteral("Links"),
                     QStringLiteral("<a id='l' href='/b' style='display:block;width:300px;"
                                    "height:100px'>to B</a>"));
    m_server.setPage(QStringLiteral("/form"), QStringLiteral("Form"),
                     QStringLiteral("<form method='post' action='/done'><input name='q' value='1'>"
                                    "</form>"));
    m_server.setPage(QStringLiteral("/done"), QStringLiteral("Sent"));
    m_server.setPage(QStringLiteral("/notify"), QStringLiteral("Asking"),
                     QStringLiteral("<script>Notification.requestPermission().then("
                                    "function(r){document.title=r;});</script>"));
}

void TestBrowserPage::toolbarAsBuilt_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("commandId");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<int>("width");

    QTest::newRow("Back") << 0 << Ids::BrowserBack << "Back " << false << 70;
    QTest::newRow("Forward") << 1 << Ids::BrowserForward << "Forward" << false << 85;
    QTest::newRow("Stop") << 3 << Ids::BrowserStop << "Stop " << true << 70;
    QTest::newRow("Refresh") << 4 << Ids::BrowserRefresh << "Refresh" << true << 85;
    QTest::newRow("Go") << 6 << Ids::BrowserGo << "Go " << true << 60;
    QTest::newRow("Home") << 7 << Ids::BrowserHome << "Home" << true << 70;
    QTest::newRow("Add Favourites") << 9 << Ids::AddBookmark << "Add Favourites" << true << 120;
}

void TestBrowserPage::toolbarAsBuilt()
{
    QFETCH(int, position);
    QFETCH(int, commandId);
    QFETCH(QString, text);
    QFETCH(bool, enabled);
    QFETCH(int, width);

    Fixture fixture;
    const QList<QAction *> actions = fixture.page->toolBar()->actions();
    QCOMPARE(actions.size(), 10);
    for (int separator : {2, 5, 8})
        QVERIFY(actions.at(separator)->isSeparator());
    QAction *action = actions.at(position);
    QCOMPARE(action->data().toInt(), commandId);
    QCOMPARE(action->iconText(), text);
    QCOMPARE(action->isEnabled(), enabled);
    QVERIFY(!action->icon().isNull());
    QVERIFY(fixture.button(commandId)->minimumWidth() >= width);
    QCOMPARE(fixture.page->allowPopupsBox()->text(), QStringLiteral("Allow PopUp windows"));
}

// The home navigation of start-up must not pull the "Browser" tab in front, not
// even when it ends on the engine's error page; it waits for the first showing
// when nothing else calls for it.
void TestBrowserPage::startsHomeWithoutBringingItsTabForward_data()
{
    QTest::addColumn<bool>("served");
    QTest::newRow("home served") << true;
    QTest::newRow("home failing") << false;
}

void TestBrowserPage::startsHomeWithoutBringingItsTabForward()
{
    QFETCH(bool, served);

    Fixture fixture(0, served);
    CWebCommercial *view = fixture.page->view();
    QSignalSpy finished(view->page(), &QWebEnginePage::loadFinished);
    QVERIFY(!finished.wait(300));
    QVERIFY(fixture.show());
    QVERIFY(finished.wait(15000));
    QCOMPARE(finished.first().first().toBool(), served);
    QTRY_VERIFY(view->Document() && !view->Busy());
    if (served)
        QVERIFY(HarbrowScheme::isStartAddress(view->url()));
    QTest::qWait(200); // whatever the engine still does for that document
    QCOMPARE(fixture.owner.selected, QList<int>{0});

    QVERIFY(fixture.load(m_server.url(QStringLiteral("/a"))));
    QCOMPARE(fixture.owner.selected, (QList<int>{0, 1}));
}

void TestBrowserPage::backAndForwardFollowTheHistory()
{
    Fixture fixture;
    QVERIFY(fixture.show());
    QWidget *back = fixture.button(Ids::BrowserBack);
    QWidget *forward = fixture.button(Ids::BrowserForward);
    QVERIFY(fixture.load(m_server.url(QStringLiteral("/a"))));
    QVERIFY(fixture.load(m_server.url(QStringLiteral("/b"))));
    QTRY_VERIFY(back->isEnabled());
    QVERIFY(!forward->isEnabled());

    QVERIFY(loadAndWait(fixture.page->view(), [&] { QTest::mouseClick(back, Qt::LeftButton); }));
    QCOMPARE(fixture.page->view()->url().path(), QStringLiteral("/a"));
    QTRY_VERIFY(forward->isEnabled());

    QVERIFY(loadAndWait(fixture.page->view(), [&] { QTest::mouseClick(forward, Qt::LeftButton); }));
    QCOMPARE(fixture.page->view()->url().path(), QStringLiteral("/b"));
    QTRY_VERIFY(!forward->isEnabled());
    QVERIFY(fixture.button(Ids::BrowserStop)->isEnabled() == fixture.page->view()->Busy());
}

void TestBrowserPage::addressHistoryKeepsEachAddressOnce()
{
    Fixture fixture;
    for (const char *path : {"/b", "/a", "/b", "/A"})
        QVERIFY(fixture.load(m_server.url(QString::fromLatin1(path))));

    QComboBox *box = fixture.page->addressBox();
    QStringList entries;
    for (int i = 0; i < box->count(); ++i)
        entries << box->itemText(i);
    const QString a = m_server.url(QStringLiteral("/a")).toString();
    const QString b = m_server.url(QStringLiteral("/b")).toString();
    // "/A" is "/a" for the history: the entry stays as first seen, and is selected.
    QVERIFY2(entries.filter(QStringLiteral("127.0.0.1")) == (QStringList{a, b}), qPrintable(entries.join(u' ')));
    QCOMPARE(box->currentText(), a);
}

void TestBrowserPage::captionFollowsTheTitle()
{
    Fixture fixture;
    QVERIFY(fixture.load(m_server.url(QStringLiteral("/a"))));
    QTRY_COMPARE(fixture.window.windowTitle(), QStringLiteral("Browser - Page A"));
    QVERIFY(fixture.load(m_server.url(QStringLiteral("/b"))));
    QTRY_COMPARE(fixture.window.windowTitle(), QStringLiteral("Browser - Page B"));
}

void TestBrowserPage::popups_data()
{
    QTest::addColumn<int>("popupFlag");
    QTest::addColumn<bool>("tick");
    QTest::addColumn<QString>("how"); // the page that opens it, and the click, if any
    QTest::addColumn<QStringList>("expectedPaths"); // where the view is after each of two pop-ups

    QTest::newRow("blocked") << 0 << false << "/auto" << QStringList{"/auto", "/auto"};
    QTest::newRow("ticked: exactly one") << 0 << true << "/auto" << QStringList{"/popup", "/auto"};
    QTest::newRow("ticked by an assistive tool")
        << 0 << true << "/auto accessible" << QStringList{"/popup", "/auto"};
    QTest::newRow("option on: every one") << 1 << false << "/auto" << QStringList{"/popup", "/popup"};
    QTest::newRow("button clicked") << 0 << false << "/opener click" << QStringList{"/popup", "/popup"};
    QTest::newRow("target=_blank link clicked")
        << 0 << false << "/blank click" << QStringList{"/b", "/b"};
    QTest::newRow("link middle-clicked") << 0 << false << "/link middle" << QStringList{"/b", "/b"};
}

void TestBrowserPage::popups()
{
    QFETCH(int, popupFlag);
    QFETCH(bool, tick);
    QFETCH(QString, how);
    QFETCH(QStringList, expectedPaths);
    const QString opener = how.section(u' ', 0, 0);
    const QString click = how.section(u' ', 1);

    Fixture fixture(popupFlag);
    QVERIFY(fixture.show());
    CWebCommercial *view = fixture.page->view();
    QCheckBox *box = fixture.page->allowPopupsBox();
    QCOMPARE(box->isChecked(), popupFlag != 0);
    if (tick && click == u"accessible") {
        QAccessible::queryAccessibleInterface(box)->actionInterface()->doAction(
            QAccessibleActionInterface::toggleAction());
        QVERIFY(fixture.page->allowPopups());
    } else if (tick) {
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
        QVERIFY(fixture.page->allowPopups());
        // A resize must not make the box show something other than the permission.
        fixture.window.resize(640, 420);
        QTRY_COMPARE(fixture.page->size().width() < 700, true);
        QVERIFY(box->isChecked());
    }

    for (const QString &expected : expectedPaths) {
        m_server.clearRequests();
        QVERIFY(fixture.load(m_server.url(opener)));
        if (click == u"click" || click == u"middle") {
            const QPoint target = elementCentre(view, opener == u"/opener" ? "#open" : "#l");
            QTest::mouseClick(viewInput(view), click == u"middle" ? Qt::MiddleButton : Qt::LeftButton,
                              {}, target);
        }
        if (expected != opener) {
            QTRY_COMPARE_WITH_TIMEOUT(view->url().path(), expected, 10000);
            QVERIFY(fixture.page->popupNotice()->isHidden());
        } else {
            QTest::qWait(500); // nothing may happen: give a wrong pop-up its chance
            QCOMPARE(view->url().path(), expected);
            QCOMPARE(m_server.requestCount(QStringLiteral("/popup")), 0);
            QVERIFY(fixture.page->popupNotice()->isVisible());
        }
        // Afterwards the box shows the stored option again.
        QCOMPARE(box->isChecked(), popupFlag != 0);
        QCOMPARE(fixture.page->allowPopups(), popupFlag != 0);
    }
    QVERIFY(!fixture.page->catcher()->isVisible());
    // The last one blocked is told, and "Open it" opens it once.
    PopupNotice *notice = fixture.page->popupNotice();
    if (notice->isHidden())
        return;
    QCOMPARE(notice->text(), "Pop-up blocked: " + m_server.url(QStringLiteral("/popup")).toString());
    QVERIFY(loadAndWait(view, [&] { QTest::mouseClick(notice->openButton(), Qt::LeftButton); }));
    QCOMPARE(view->url().path(), QStringLiteral("/popup"));
    QVERIFY(notice->isHidden());
}

// A pop-up let through opens its first web address in the view, and nothing else.
void TestBrowserPage::popupsStayInTheirPlace_data()
{
    QTest::addColumn<QString>("opener");
    QTest::addColumn<QString>("expectedPath");
    QTest::newRow("a local file is not taken") << "/tofile" << "/tofile";
    QTest::newRow("later navigations go nowhere") << "/steers" << "/popup";
}

void TestBrowserPage::popupsStayInTheirPlace()
{
    QFETCH(QString, opener);
    QFETCH(QString, expectedPath);

    Fixture fixture;
    QVERIFY(fixture.show());
    QTest::mouseClick(fixture.page->allowPopupsBox(), Qt::LeftButton, {},
                      QPoint(8, fixture.page->allowPopupsBox()->height() / 2));
    m_server.clearRequests();
    QVERIFY(fixture.load(m_server.url(opener)));
    QTRY_COMPARE_WITH_TIMEOUT(fixture.page->view()->url().path(), expectedPath, 10000);
    QTest::qWait(2500);
    QCOMPARE(fixture.page->view()->url().path(), expectedPath);
    QCOMPARE(m_server.requestCount(QStringLiteral("/b")), 0);
    QVERIFY(fixture.page->findChildren<CWebCommercial *>().size() <= 2); // view and at most a fresh catcher
}

void TestBrowserPage::localFilesReadNothingElse()
{
    QTemporaryDir folder;
    for (const char *name : {"page.html", "secret.txt"})
        QVERIFY(QFile(folder.filePath(name)).open(QIODevice::WriteOnly));
    Fixture fixture;
    QVERIFY(fixture.load(QUrl::fromLocalFile(folder.filePath("page.html"))));
    const QString read = QStringLiteral(
        "(function(u) { var x = new XMLHttpRequest(); try { x.open('GET', u, false); x.send();"
        " return 'read'; } catch (e) { return 'refused'; } })('%1')");
    for (const QUrl &other : {QUrl::fromLocalFile(folder.filePath("secret.txt")), m_server.url("/a")})
        QCOMPARE(evaluate(fixture.page->view(), read.arg(other.toString())).toString(), "refused");
}

// A killed render process leaves Harbrow's own page, whose Reload brings the page back.
void TestBrowserPage::aStoppedPageSaysSoAndReloads()
{
    Fixture fixture;
    QVERIFY(fixture.show());
    CWebCommercial *view = fixture.page->view();
    QVERIFY(fixture.load(m_server.url(QStringLiteral("/link"))));
    QTRY_VERIFY(view->page()->renderProcessPid() > 0);
    ::kill(pid_t(view->page()->renderProcessPid()), SIGKILL);
    QTRY_COMPARE_WITH_TIMEOUT(view->title(), QStringLiteral("This page stopped"), 10000);
    QCOMPARE(fixture.page->addressBox()->currentText(), m_server.url(QStringLiteral("/link")).toString());
    QTRY_VERIFY(view->Document() && !view->Busy());
    QVERIFY(loadAndWait(view, [&] {
        QTest::mouseClick(viewInput(view), Qt::LeftButton, {}, elementCentre(view, "#reload"));
    }));
    QCOMPARE(view->title(), QStringLiteral("Links"));
}

void TestBrowserPage::windowCloseIsRefused()
{
    Fixture fixture;
    QVERIFY(fixture.show());
    CWebCommercial *view = fixture.page->view();
    QVERIFY(fixture.load(m_server.url(QStringLiteral("/closer"))));
    // A page alone in its history may close itself; ask as such a page.
    view->history()->clear();
    QSignalSpy closing(view, &CWebCommercial::WindowClosing);
    evaluate(view, QStringLiteral("window.close()"));
    QVERIFY(closing.wait(5000));
    QTest::qWait(200);
    QVERIFY(view->isVisible());
    QCOMPARE(view->url().path(), QStringLiteral("/closer"));
    QCOMPARE(evaluate(view, QStringLiteral("document.title")).toString(), QStringLiteral("Closer"));
}

void TestBrowserPage::enterNavigatesOnlyFromTheAddressBox_data()
{
    QTest::addColumn<QString>("focus");
    QTest::addColumn<bool>("navigates");

    QTest::newRow("address box") << "address" << true;
    QTest::newRow("toolbar button") << "button" << false;
    QTest::newRow("check box") << "check" << false;
}

void TestBrowserPage::enterNavigatesOnlyFromTheAddressBox()
{
    QFETCH(QString, focus);
    QFETCH(bool, navigates);

    Fixture fixture;
    QVERIFY(fixture.show());
    fixture.window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&fixture.window));
    QVERIFY(fixture.load(m_server.url(QStringLiteral("/a"))));
    QLineEdit *edit = fixture.page->addressBox()->lineEdit();
    // Typed as people type it: without "http://".
    edit->setText(m_server.url(QStringLiteral("/b")).toString().mid(7));

    QWidget *target = focus == QLatin1String("address") ? static_cast<QWidget *>(edit)
                      : focus == QLatin1String("button")
                          ? fixture.button(Ids::BrowserRefresh)
                          : fixture.page->allowPopupsBox();
    target->setFocusPolicy(Qt::StrongFocus);
    target->setFocus();
    QTRY_VERIFY(target->hasFocus());
    QCOMPARE(fixture.page->addressHasFocus(), focus == QLatin1String("address"));

    m_server.clearRequests();
    QTest::keyClick(target, Qt::Key_Return);
    QTest::keyClick(target, Qt::Key_Escape);
    if (navigates) {
        QTRY_COMPARE_WITH_TIMEOUT(fixture.page->view()->url().path(), QStringLiteral("/b"), 10000);
    } else {
        QTest::qWait(300);
        QCOMPARE(fixture.page->view()->url().path(), QStringLiteral("/a"));
        QCOMPARE(m_server.requestCount(QStringLiteral("/a")) + m_server.requestCount(QStringLiteral("/b")), 0);
    }
    QVERIFY(fixture.window.isVisible()); // neither key closed the dialog around the page
}

void TestBrowserPage::contextMenuLacksTheWaysOut()
{
    Fixture fixture;
    QVERIFY(fixture.show());
    CWebCommercial *view = fixture.page->view();
    QVERIFY(fixture.load(m_server.url(QStringLiteral("/link"))));
    QTRY_VERIFY(view->host());

    QTest::mouseClick(viewInput(view), Qt::RightButton, {}, elementCentre(view, QStringLiteral("#l")));
    QTRY_VERIFY(visibleMenu());
    const QList<QAction *> entries = visibleMenu()->actions();
    for (QWebEnginePage::WebAction wayOut :
         {QWebEnginePage::OpenLinkInNewWindow, QWebEnginePage::OpenLinkInNewTab,
          QWebEnginePage::OpenLinkInNewBackgroundTab})
        QVERIFY(!entries.contains(view->pageAction(wayOut)));
    QVERIFY(!entries.contains(view->pageAction(QWebEnginePage::ViewSource)));
    QVERIFY(entries.contains(view->pageAction(QWebEnginePage::CopyLinkToClipboard)));
    visibleMenu()->close();

    // The menu's entries are the engine's own: choosing one is carried out by it.
    QVERIFY(loadAndWait(view, [&] { view->pageAction(QWebEnginePage::OpenLinkInThisWindow)->trigger(); }));
    QCOMPARE(view->url().path(), QStringLiteral("/b"));
}

void TestBrowserPage::addFavouritesOffersTitleThenAddress_data()
{
    QTest::addColumn<bool>("byKey");
    QTest::newRow("button") << false;
    QTest::newRow("Ctrl+D") << true;
}

void TestBrowserPage::addFavouritesOffersTitleThenAddress()
{
    QFETCH(bool, byKey);

    Fixture fixture;
    QVERIFY(fixture.show());
    fixture.window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&fixture.window));
    QVERIFY(fixture.load(m_server.url(QStringLiteral("/a"))));
    if (byKey) {
        fixture.page->addressBox()->setFocus();
        QTest::keyClick(fixture.page->addressBox()->lineEdit(), Qt::Key_D, Qt::ControlModifier);
    } else {
        QTest::mouseClick(fixture.button(Ids::AddBookmark), Qt::LeftButton);
    }
    QCOMPARE(fixture.owner.offered.size(), 1);
    QCOMPARE(fixture.owner.offered.first().first, QStringLiteral("Page A"));
    QCOMPARE(fixture.owner.offered.first().second, m_server.url(QStringLiteral("/a")).toString());
}

void TestBrowserPage::keysOfAnyBrowser()
{
    Fixture fixture;
    QVERIFY(fixture.show());
    fixture.window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&fixture.window));
    CWebCommercial *view = fixture.page->view();
    QVERIFY(fixture.load(m_server.url(QStringLiteral("/a"))));
    QVERIFY(fixture.load(m_server.url(QStringLiteral("/b"))));
    fixture.button(Ids::BrowserGo)->setFocus();

    QTest::keyClick(fixture.button(Ids::BrowserGo), Qt::Key_L, Qt::ControlModifier);
    QTRY_VERIFY(fixture.page->addressHasFocus());
    QCOMPARE(fixture.page->addressBox()->lineEdit()->selectedText(),
             fixture.page->addressBox()->currentText());

    QVERIFY(loadAndWait(view, [&] { QTest::keyClick(fixture.page->addressBox()->lineEdit(), Qt::Key_Left, Qt::AltModifier); }));
    QCOMPARE(view->url().path(), QStringLiteral("/a"));
    m_server.clearRequests();
    QVERIFY(loadAndWait(view, [&] { QTest::keyClick(fixture.page->addressBox()->lineEdit(), Qt::Key_F5); }));
    QCOMPARE(m_server.requestCount(QStringLiteral("/a")), 1);
}

void TestBrowserPage::permissionRequestsAreRefused()
{
    Fixture fixture;
    QVERIFY(fixture.load(m_server.url(QStringLiteral("/notify"))));
    QTRY_COMPARE_WITH_TIMEOUT(fixture.page->view()->title(), QStringLiteral("denied"), 10000);
}

// Nothing listens there any more: the engine's error page, and the page goes on working.
void TestBrowserPage::failedLoadShowsAnErrorPage()
{
    Fixture fixture;
    QUrl deadEnd;
    {
        LocalHttpServer gone;
        deadEnd = gone.url(QStringLiteral("/x"));
    }
    QSignalSpy finished(fixture.page->view()->page(), &QWebEnginePage::loadFinished);
    fixture.page->Navigate(deadEnd.toString());
    QTRY_VERIFY_WITH_TIMEOUT(!finished.isEmpty() && finished.last().first().toBool() == false, 15000);
    QVERIFY(fixture.load(m_server.url(QStringLiteral("/a"))));
}

void TestBrowserPage::downloadsAskWhereToSave_data()
{
    QTest::addColumn<bool>("chosen");
    QTest::newRow("saved") << true;
    QTest::newRow("cancelled") << false;
}

void TestBrowserPage::downloadsAskWhereToSave()
{
    QFETCH(bool, chosen);

    const QByteArray content(300 * 1024, 'x');
    m_server.setResponse(QStringLiteral("/report"),
                         {200,
                          {{"Content-Type", "application/octet-stream"},
                           {"Content-Disposition", "attachment; filename=\"report.bin\""}},
                          content});
    QTemporaryDir target;
    const QString saveAs = target.filePath(QStringLiteral("saved.bin"));
    QStringList proposed;
    DownloadProgress::setSaveLocationChooser([&](QWidget *, const QString &file) {
        proposed << file;
        return chosen ? saveAs : QString();
    });

    Fixture fixture;
    QVERIFY(fixture.load(m_server.url(QStringLiteral("/a"))));
    fixture.page->Navigate(m_server.url(QStringLiteral("/report")).toString());
    QTRY_COMPARE_WITH_TIMEOUT(proposed.size(), 1, 10000);
    QVERIFY2(proposed.first().endsWith(QStringLiteral("/report.bin")), qPrintable(proposed.first()));
    if (chosen) {
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(saveAs).size() == content.size()
                                     && fixture.page->findChild<DownloadProgress *>()->runningCount() == 0,
                                 10000);
        DownloadLine *line = fixture.page->findChild<DownloadProgress *>()->lastEnded();
        QTRY_COMPARE(line->text(), QStringLiteral("Downloaded saved.bin"));
        OpenedUrls opened;
        QTest::mouseClick(line->openButton(), Qt::LeftButton);
        QTest::mouseClick(line->showInFolderButton(), Qt::LeftButton);
        QCOMPARE(opened.urls, (QList<QUrl>{QUrl::fromLocalFile(saveAs),
                                           QUrl::fromLocalFile(target.path())}));
    } else {
        QTest::qWait(300);
        QVERIFY(QDir(target.path()).isEmpty());
    }
    QCOMPARE(fixture.page->view()->url().path(), QStringLiteral("/a")); // the page stays
    DownloadProgress::setSaveLocationChooser({});
}

void TestBrowserPage::downloadInFlightIsCancelledWithThePage()
{
    LocalHttpServer::Response endless{200,
                                      {{"Content-Type", "application/octet-stream"},
                                       {"Content-Disposition", "attachment; filename=\"big.bin\""}},
                                      QByteArray(64 * 1024, 'y')};
    endless.withheld = 1 << 30;
    m_server.setResponse(QStringLiteral("/endless"), endless);
    QTemporaryDir target;
    const QString saveAs = target.filePath(QStringLiteral("big.bin"));
    DownloadProgress::setSaveLocationChooser([&](QWidget *, const QString &) { return saveAs; });

    auto fixture = std::make_unique<Fixture>();
    QPointer<QWebEngineDownloadRequest> request;
    connect(fixture->profile.profile(), &QWebEngineProfile::downloadRequested, this,
            [&](QWebEngineDownloadRequest *asked) { request = asked; });
    fixture->page->Navigate(m_server.url(QStringLiteral("/endless")).toString());
    auto *progress = fixture->page->findChild<DownloadProgress *>();
    QTRY_VERIFY_WITH_TIMEOUT(request && request->receivedBytes() > 0, 10000);
    QCOMPARE(progress->runningCount(), 1);
    QTRY_VERIFY(progress->isVisible() || !fixture->window.isVisible());

    delete fixture->page;
    fixture->page = nullptr;
    QTRY_VERIFY(!request || request->state() == QWebEngineDownloadRequest::DownloadCancelled);
    QTRY_VERIFY(!QFileInfo::exists(saveAs));
    DownloadProgress::setSaveLocationChooser({});
}

void TestBrowserPage::anInterruptedDownloadSaysWhyAndLeavesNoFile()
{
    auto source = std::make_unique<LocalHttpServer>();
    LocalHttpServer::Response endless{200,
                                      {{"Content-Type", "application/octet-stream"},
                                       {"Content-Disposition", "attachment; filename=\"cut.bin\""}},
                                      QByteArray(64 * 1024, 'z')};
    endless.withheld = 1 << 30;
    source->setResponse(QStringLiteral("/cut"), endless);
    QTemporaryDir target;
    const QString saveAs = target.filePath(QStringLiteral("cut.bin"));
    DownloadProgress::setSaveLocationChooser([&](QWidget *, const QString &) { return saveAs; });

    Fixture fixture;
    QPointer<QWebEngineDownloadRequest> request;
    connect(fixture.profile.profile(), &QWebEngineProfile::downloadRequested, this,
            [&](QWebEngineDownloadRequest *asked) { request = asked; });
    fixture.page->Navigate(source->url(QStringLiteral("/cut")).toString());
    QTRY_VERIFY_WITH_TIMEOUT(request && request->receivedBytes() > 0, 10000);
    source.reset(); // the connection drops half-way
    DownloadLine *line = fixture.page->findChild<DownloadProgress *>()->lastEnded();
    QTRY_VERIFY_WITH_TIMEOUT(line->text().startsWith(QStringLiteral("Download of cut.bin failed: ")), 15000);
    QVERIFY2(line->text().size() > 28, qPrintable(line->text())); // the engine's reason follows
    QVERIFY(!line->openButton()->isVisibleTo(line));
    QVERIFY(!QFileInfo::exists(saveAs));
    DownloadProgress::setSaveLocationChooser({});
}

void TestBrowserPage::certificateErrorsAskTheUser_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("proceeds");
    QTest::addColumn<bool>("inFrame");

    // No first: an accepted certificate is remembered for the rest of the run.
    QTest::newRow("No") << int(QMessageBox::No) << false << false;
    QTest::newRow("in a frame: refused unasked") << int(QMessageBox::Yes) << false << true;
    QTest::newRow("Yes") << int(QMessageBox::Yes) << true << false;
}

void TestBrowserPage::certificateErrorsAskTheUser()
{
    QFETCH(int, answer);
    QFETCH(bool, proceeds);
    QFETCH(bool, inFrame);

    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setLocalCertificate(QSslCertificate(TestCertificate::certificate));
    tls.setPrivateKey(QSslKey(TestCertificate::key, QSsl::Rsa));
    LocalHttpServer secure(&tls);
    QVERIFY(secure.isListening());
    secure.setPage(QStringLiteral("/s"), QStringLiteral("Secure page"));

    Fixture fixture;
    QVERIFY(fixture.load(m_server.url(QStringLiteral("/a"))));
    Prompts::instance().takeAsked();
    if (inFrame) {
        m_server.setPage(QStringLiteral("/framed"), QStringLiteral("Framed"),
                         QStringLiteral("<iframe src='%1'></iframe>").arg(secure.url("/s").toString()));
        QVERIFY(fixture.load(m_server.url(QStringLiteral("/framed"))));
        QTest::qWait(1000);
        QCOMPARE(Prompts::instance().takeAsked(), QStringList());
        QCOMPARE(secure.requestCount(QStringLiteral("/s")), 0);
        return;
    }
    Prompts::instance().queueAnswer(QMessageBox::StandardButton(answer));
    QSignalSpy finished(fixture.page->view()->page(), &QWebEnginePage::loadFinished);
    fixture.page->Navigate(secure.url(QStringLiteral("/s")).toString());
    QVERIFY(finished.wait(15000));
    QCOMPARE(Prompts::instance().pendingAnswers(), 0);
    const QStringList asked = Prompts::instance().takeAsked();
    QCOMPARE(asked.size(), 1);
    QVERIFY2(asked.first().contains(QStringLiteral("127.0.0.1")), qPrintable(asked.first()));
    QCOMPARE(finished.first().first().toBool(), proceeds);
    QCOMPARE(secure.requestCount(QStringLiteral("/s")), proceeds ? 1 : 0);
    auto *mark = fixture.page->findChild<SecurityMark *>();
    QVERIFY(mark);
    QCOMPARE(!mark->isHidden(), proceeds);
    if (!proceeds)
        return;
    QCOMPARE(fixture.page->view()->title(), QStringLiteral("Secure page"));
    QVERIFY(asked.first().contains(mark->toolTip().section(QLatin1Char('\n'), -1)));
    // A page of another site is not marked.
    QVERIFY(fixture.load(m_server.url(QStringLiteral("/a"))));
    QVERIFY(mark->isHidden());
}

// The road of one request: a bookmark opened with Enter shows in the "Browser" tab.
// The favourites window's "Home" ends there too.
void TestBrowserPage::bookmarkOpensInTheBrowserTab()
{
    MemoryHive hive;
    MainWindow window(&hive);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    CWebCommercial *view = window.browserPage()->view();
    QTRY_VERIFY_WITH_TIMEOUT(view->Document() && !view->Busy(), 15000); // home has loaded
    BookmarksPage *bookmarks = window.favouritesWindow()->bookmarksPage();
    BookmarkRecord record;
    record.address = m_server.url(QStringLiteral("/b")).toString().mid(7); // without "http://"
    record.title = QStringLiteral("Local B");
    record.folderOrKey = QStringLiteral("0");
    QVERIFY(bookmarks->store().addBookmark(record) >= 0);
    window.selectPage(MainWindow::FavouritesPage);
    bookmarks->fillList();
    BookmarkList *list = bookmarks->bookmarkList();
    const QModelIndexList found =
        list->model()->match(list->model()->index(0, 0), Qt::DisplayRole, QStringLiteral("Local B"),
                             1, Qt::MatchExactly);
    QVERIFY(!found.isEmpty());

    list->clearSelection();
    list->setRowSelected(found.first().row(), true);
    QVERIFY(loadAndWait(view, [&] { QTest::keyClick(list, Qt::Key_Return); }));
    QCOMPARE(view->url(), m_server.url(QStringLiteral("/b")));
    QCOMPARE(window.tabs()->currentIndex(), int(MainWindow::BrowserPage));
    QVERIFY(window.browserPage()->isVisible());
    QTRY_COMPARE(window.windowTitle(), QStringLiteral("Browser - Page B"));

    // The favourites window's "Home" opens the home page, and the browser comes forward again.
    window.selectPage(MainWindow::FavouritesPage);
    QToolBar *favouritesBar = window.favouritesWindow()->toolBar();
    QWidget *home = favouritesBar->widgetForAction(window.favouritesWindow()->action(Ids::GoHome));
    QVERIFY(loadAndWait(view, [&] { QTest::mouseClick(home, Qt::LeftButton); }));
    QVERIFY(HarbrowScheme::isStartAddress(view->url()));
    QTRY_COMPARE(window.tabs()->currentIndex(), int(MainWindow::BrowserPage));
}


// F5 after a post asks; No leaves the page as it is, Yes sends the form again.
void TestBrowserPage::reloadAfterAPostAsksFirst()
{
    Fixture fixture;
    QVERIFY(fixture.show());
    CWebCommercial *view = fixture.page->view();
    QVERIFY(fixture.load(m_server.url(QStringLiteral("/form"))));
    m_server.clearRequests();
    QVERIFY(loadAndWait(view, [&] { evaluate(view, QStringLiteral("document.forms[0].submit()")); }));
    QCOMPARE(m_server.requestCount(QStringLiteral("/done")), 1);
    QVERIFY(m_server.lastRequestHead(QStringLiteral("/done")).startsWith("POST"));

    Prompts::instance().takeAsked();
    Prompts::instance().queueAnswer(QMessageBox::No);
    QTest::keyClick(fixture.page->addressBox()->lineEdit(), Qt::Key_F5);
    QTRY_COMPARE(Prompts::instance().pendingAnswers(), 0);
    QVERIFY(Prompts::instance().takeAsked().first().contains(QStringLiteral("Send the form again?")));
    QTest::qWait(300);
    QCOMPARE(m_server.requestCount(QStringLiteral("/done")), 1);

    Prompts::instance().queueAnswer(QMessageBox::Yes);
    QVERIFY(loadAndWait(view, [&] { QTest::mouseClick(fixture.button(Ids::BrowserRefresh), Qt::LeftButton); }));
    QCOMPARE(m_server.requestCount(QStringLiteral("/done")), 2);
    QVERIFY(m_server.lastRequestHead(QStringLiteral("/done")).startsWith("POST"));
    Prompts::instance().takeAsked();
}

QTEST_MAIN(TestBrowserPage)
#include "tst_browser_browserpage.moc"

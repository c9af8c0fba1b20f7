// The browser with blocking on, against made-up hosts that reach a local server
// through the engine's proxy setting: trackers never arrive, the page's own
// files do, and the user's choices per site hold across a restart.
#include "app/mainwindow.h"
#include "blocking/allowedsites.h"
#include "browser/blockedpage.h"
#include "browser/blockingindicator.h"
#include "browser/browserpage.h"
#include "browser/startpage.h"
#include "localhttpserver.h"
#include "privacy/settings/privacyoptions.h"
#include "store/hive/memoryhive.h"
#include "webtesting.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTest>

class TestBlockingEndToEnd final : public QObject
{
    Q_OBJECT

public:
    static void initMain() { initWebEngineTests(); }

private slots:
    void initTestCase();
    void blocksTrackersUntilAllowed();
    void showsOwnPageForBlockedPage();
    void leavesAllWhenOff();

private:
    int trackerRequests() const
    {
        int count = 0;
        for (const QString &request : m_server.requests())
            count += QUrl(request).host() == QLatin1String("tracker.test");
        return count;
    }

    LocalHttpServer m_server;
};

namespace {

const QUrl Page(QStringLiteral("http://news.test/page.html"));

BlockingIndicator *indicatorOf(MainWindow &window)
{
    return window.browserPage()->findChild<BlockingIndicator *>();
}

} // namespace

void TestBlockingEndToEnd::initTestCase()
{
    QVERIFY(m_server.isListening());
    // Read when the first profile starts, so still in time here.
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS",
            "--proxy-server=http://127.0.0.1:" + QByteArray::number(m_server.port()));
    const QString lists = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/k-vane/blocking-lists");
    QVERIFY(QDir().mkpath(lists));
    QFile list(lists + QStringLiteral("/test.txt"));
    QVERIFY(list.open(QIODevice::WriteOnly));
    list.write("||tracker.test^\n");
    list.close();

    m_server.setPage(QStringLiteral("/page.html"), QStringLiteral("News"),
                     QStringLiteral("<img src=\"http://news.test/own.png\">"
                                    "<img src=\"http://tracker.test/pixel.gif\">"
                                    "<script src=\"http://tracker.test/t.js\"></script>"));
    // Never cached, so every load of the page asks the server again.
    const LocalHttpServer::Response uncached{200, {{"Cache-Control", "no-store"}}, {}};
    m_server.setResponse(QStringLiteral("/own.png"), uncached);
    m_server.setResponse(QStringLiteral("/pixel.gif"), uncached);
    m_server.setResponse(QStringLiteral("/t.js"), uncached);
    m_server.setPage(QStringLiteral("/"), QStringLiteral("Tracker home"));
}

void TestBlockingEndToEnd::blocksTrackersUntilAllowed()
{
    MemoryHive hive;
    {
        MainWindow window(&hive);
        CWebCommercial *view = window.browserPage()->view();
        QTRY_VERIFY_WITH_TIMEOUT(window.startPage()->firstPageLoaded(), 15000);
        QVERIFY(loadAndWait(view, [&] { window.browserPage()->Navigate(Page.toString()); }));
        QTRY_COMPARE(m_server.requestCount(QStringLiteral("/own.png")), 1);
        QCOMPARE(trackerRequests(), 0);
        BlockingIndicator *indicator = indicatorOf(window);
        QTRY_COMPARE(indicator->blockedCount(), 2);
        QCOMPARE(indicator->blockedHosts().value(QStringLiteral("tracker.test")), 2);
        QCOMPARE(indicator->text(), QStringLiteral("Blocked: 2"));

        QVERIFY(loadAndWait(view, [&] { indicator->allowOnThisSite(); }));
        QTRY_COMPARE(trackerRequests(), 2);
        QCOMPARE(indicator->blockedCount(), 0);
    }
    // Kept in the hive: a new window (as after a restart) lets them through too.
    QVERIFY(AllowedSites(&hive).contains("news.test"));
    m_server.clearRequests();
    {
        MainWindow window(&hive);
        CWebCommercial *view = window.browserPage()->view();
        // Through the page, as a typed address goes: the home page that would
        // follow the start page's first load is then not loaded over it.
        QVERIFY(loadAndWait(view, [&] { window.browserPage()->Navigate(Page.toString()); }));
        QTRY_COMPARE(trackerRequests(), 2);
        // And "Block on this site" stops them again.
        QVERIFY(loadAndWait(view, [&] { indicatorOf(window)->blockOnThisSite(); }));
        QVERIFY(!AllowedSites(&hive).contains("news.test"));
        m_server.clearRequests();
        QVERIFY(loadAndWait(view, [&] { view->Navigate(Page.toString() + QStringLiteral("?again")); }));
        QTRY_COMPARE(m_server.requestCount(QStringLiteral("/own.png")), 1);
        QCOMPARE(trackerRequests(), 0);
    }
}

void TestBlockingEndToEnd::showsOwnPageForBlockedPage()
{
    MemoryHive hive;
    MainWindow window(&hive);
    CWebCommercial *view = window.browserPage()->view();
    QTRY_VERIFY_WITH_TIMEOUT(window.startPage()->firstPageLoaded(), 15000);
    QTRY_VERIFY(!view->Busy());
    m_server.clearRequests();
    view->Navigate(QStringLiteral("http://tracker.test/"));
    QTRY_VERIFY_WITH_TIMEOUT(BlockedPage::isAddress(view->url()), 15000);
    QTRY_VERIFY(evaluate(view, QStringLiteral("document.getElementById('rule') ? "
                                              "document.getElementById('rule').textContent : ''"))
                    .toString() == QStringLiteral("||tracker.test^"));
    QCOMPARE(evaluate(view, QStringLiteral("document.getElementById('list').textContent")).toString(),
             QStringLiteral("test.txt"));
    QCOMPARE(trackerRequests(), 0);

    // "Open anyway" lets that host's pages through for the session.
    QVERIFY(loadAndWait(view, [&] { evaluate(view, QStringLiteral("document.getElementById('open').click()")); }));
    QTRY_COMPARE(view->url().host(), QStringLiteral("tracker.test"));
    QTRY_COMPARE(view->title(), QStringLiteral("Tracker home"));
}

// Off in the options from the start: nothing is blocked, and the indicator says
// so even though the lists were never read.
void TestBlockingEndToEnd::leavesAllWhenOff()
{
    MemoryHive hive;
    QVERIFY(writeOptionValue(&hive, "0", PrivacyStore::BlockTrackers));
    MainWindow window(&hive);
    CWebCommercial *view = window.browserPage()->view();
    QTRY_VERIFY_WITH_TIMEOUT(window.startPage()->firstPageLoaded(), 15000);
    m_server.clearRequests();
    QVERIFY(loadAndWait(view, [&] { window.browserPage()->Navigate(Page.toString() + QStringLiteral("?off")); }));
    QTRY_COMPARE(trackerRequests(), 2);
    QCOMPARE(indicatorOf(window)->text(), QStringLiteral("Not blocking"));
}

QTEST_MAIN(TestBlockingEndToEnd)
#include "tst_blocking_endtoend.moc"

#include "app/mainwindow.h"
#include "browser/browserpage.h"
#include "browser/cwebcommercial.h"
#include "localhttpserver.h"
#include "privacy/settings/internetsettings.h"
#include "res/ids.h"
#include "store/hive/memoryhive.h"
#include "webtesting.h"

#include <QToolBar>
#include <QToolButton>
#include <QtTest>

namespace {

const QByteArray Png = QByteArray::fromBase64(
    "iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mNkYPhfDwAChwGA60e6kgAAAABJRU5ErkJggg==");

} // namespace

// The Internet options as pages meet them: each change counts from the next navigation.
class TestPrivacyInternetSettings : public QObject
{
    Q_OBJECT

public:
    static void initMain() { initWebEngineTests(); }

private slots:
    void initTestCase();
    void changesTakeEffectOnTheNextNavigation_data();
    void changesTakeEffectOnTheNextNavigation();
    void homeGoesWhereTheOptionSays();

private:
    LocalHttpServer m_server;
};

void TestPrivacyInternetSettings::initTestCase()
{
    QVERIFY(m_server.isListening());
    m_server.setPage(QStringLiteral("/page"), QStringLiteral("plain"),
                     QStringLiteral("<img src='/pic.png'>"
                                    "<script>document.title = 'scripted';</script>"));
    LocalHttpServer::Response picture;
    picture.headers = {{"Content-Type", "image/png"}, {"Cache-Control", "no-store"}};
    picture.body = Png;
    m_server.setResponse(QStringLiteral("/pic.png"), picture);
    m_server.setPage(QStringLiteral("/home"), QStringLiteral("my home"));
}

void TestPrivacyInternetSettings::changesTakeEffectOnTheNextNavigation_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<QByteArray>("setting");
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("pictures");
    QTest::addColumn<bool>("doNotTrack");

    QTest::newRow("unchanged") << QByteArray(InternetStore::Images) << QByteArray("1")
                               << "scripted" << 1 << false;
    QTest::newRow("JavaScript off") << QByteArray(InternetStore::JavaScript) << QByteArray("0")
                                    << "plain" << 1 << false;
    QTest::newRow("pictures off") << QByteArray(InternetStore::Images) << QByteArray("0")
                                  << "scripted" << 0 << false;
    QTest::newRow("Do Not Track on") << QByteArray(InternetStore::DoNotTrack) << QByteArray("1")
                                     << "scripted" << 1 << true;
}

void TestPrivacyInternetSettings::changesTakeEffectOnTheNextNavigation()
{
    QFETCH(QByteArray, value);
    QFETCH(QByteArray, setting);
    QFETCH(QString, title);
    QFETCH(int, pictures);
    QFETCH(bool, doNotTrack);

    MemoryHive hive;
    MainWindow window(&hive);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    CWebCommercial *view = window.browserPage()->view();
    const QUrl page = m_server.url(QStringLiteral("/page"));

    QVERIFY(loadAndWait(view, [&] { window.navigateBrowser(page.toString()); }));
    QTRY_COMPARE(view->title(), QStringLiteral("scripted"));

    // As the Internet Options dialog stores it; the page already open keeps its state.
    InternetSettings stored = InternetSettings::load(&hive);
    QVERIFY(stored.save(&hive));
    QVERIFY(hive.setValue("Software\\k-vane\\store", value, setting));
    m_server.clearRequests();

    QVERIFY(loadAndWait(view, [&] { window.navigateBrowser(page.toString() + "?again"); }));
    QTRY_COMPARE(view->title(), title);
    QTest::qWait(200); // a picture that is coming has come by now
    QCOMPARE(m_server.requestCount(QStringLiteral("/pic.png")), pictures);
    const QByteArray head = m_server.lastRequestHead(QStringLiteral("/page")).toLower();
    QCOMPARE(head.contains("\r\ndnt: 1"), doNotTrack);
}

void TestPrivacyInternetSettings::homeGoesWhereTheOptionSays()
{
    MemoryHive hive;
    MainWindow window(&hive);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    BrowserPage *browser = window.browserPage();
    window.selectPage(MainWindow::BrowserPage);

    InternetSettings settings;
    settings.homePage = m_server.url(QStringLiteral("/home")).toString();
    QVERIFY(settings.save(&hive));
    QWidget *home = browser->toolBar()->widgetForAction(browser->action(Ids::BrowserHome));
    QVERIFY(loadAndWait(browser->view(), [&] { QTest::mouseClick(home, Qt::LeftButton); }));
    QCOMPARE(browser->view()->url(), m_server.url(QStringLiteral("/home")));
    QTRY_COMPARE(browser->view()->title(), QStringLiteral("my home"));

    settings.homePage.clear(); // "Use Start Page"
    QVERIFY(settings.save(&hive));
    QVERIFY(loadAndWait(browser->view(), [&] { QTest::mouseClick(home, Qt::LeftButton); }));
    QVERIFY(HarbrowScheme::isStartAddress(browser->view()->url()));
}

QTEST_MAIN(TestPrivacyInternetSettings)
#include "tst_privacy_internetsettings.moc"

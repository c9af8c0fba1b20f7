#include "blocking/blockingcheck.h"
#include "blocking/filterengine.h"
#include "blocking/filterenginebuilder.h"
#include "blocking/sitedomain.h"

#include <QTest>

class TestBlockingEngine final : public QObject
{
    Q_OBJECT

private slots:
    void decides_data();
    void decides();
    void countsSkipped_data();
    void countsSkipped();
    void namesRuleAndList();
    void registrableDomain_data();
    void registrableDomain();
    void checkBlockingLines_data();
    void checkBlockingLines();
};

namespace {

FilterEngine engineOf(const QByteArray &rules)
{
    FilterEngineBuilder builder;
    builder.addList(QStringLiteral("test list"), rules);
    return builder.build();
}

ResourceType typeNamed(const QByteArray &name)
{
    static const QHash<QByteArray, ResourceType> types{
        {"script", ResourceType::Script},       {"image", ResourceType::Image},
        {"stylesheet", ResourceType::Stylesheet}, {"xhr", ResourceType::XmlHttpRequest},
        {"subdocument", ResourceType::Subdocument}, {"document", ResourceType::Document},
        {"websocket", ResourceType::WebSocket}, {"ping", ResourceType::Ping},
        {"font", ResourceType::Font},           {"media", ResourceType::Media},
        {"object", ResourceType::Object},       {"other", ResourceType::Other}};
    return types.value(name, ResourceType::Other);
}

} // namespace

void TestBlockingEngine::decides_data()
{
    QTest::addColumn<QByteArray>("rules");
    QTest::addColumn<QByteArray>("url");
    QTest::addColumn<QByteArray>("page");
    QTest::addColumn<QByteArray>("type");
    QTest::addColumn<QByteArray>("decider"); // the deciding rule; empty: none
    QTest::addColumn<bool>("blocked");

    const QByteArray page = "https://news.example.org/today";
    // Anchors, wildcards, separators.
    QTest::newRow("host anchor") << QByteArray("||ads.example.com^") << QByteArray("https://ads.example.com/x.js") << page << QByteArray("script") << QByteArray("||ads.example.com^") << true;
    QTest::newRow("host anchor, subdomain") << QByteArray("||example.com^") << QByteArray("http://cdn.ads.example.com/x") << page << QByteArray("image") << QByteArray("||example.com^") << true;
    QTest::newRow("host anchor, not a label start") << QByteArray("||example.com^") << QByteArray("http://badexample.com/x") << page << QByteArray("image") << QByteArray() << false;
    QTest::newRow("host anchor, not in the path") << QByteArray("||example.com^") << QByteArray("http://site.net/example.com/x") << page << QByteArray("image") << QByteArray() << false;
    QTest::newRow("separator is not a letter") << QByteArray("||example.com^") << QByteArray("http://example.community/") << page << QByteArray("image") << QByteArray() << false;
    QTest::newRow("separator matches the end") << QByteArray("||track.net^") << QByteArray("http://track.net") << page << QByteArray("image") << QByteArray("||track.net^") << true;
    QTest::newRow("separator before a port") << QByteArray("||track.net^") << QByteArray("http://track.net:8080/p") << page << QByteArray("image") << QByteArray("||track.net^") << true;
    QTest::newRow("host after user info") << QByteArray("||ads.example.com^") << QByteArray("https://me:pw@ads.example.com:8443/x.js") << page << QByteArray("script") << QByteArray("||ads.example.com^") << true;
    QTest::newRow("user info is not the host") << QByteArray("||ads.example.com^") << QByteArray("https://ads.example.com@site.net/x.js") << page << QByteArray("script") << QByteArray() << false;
    QTest::newRow("IPv6 host with a port") << QByteArray("||[::1]:8080^") << QByteArray("http://[::1]:8080/x") << page << QByteArray("image") << QByteArray("||[::1]:8080^") << true;
    QTest::newRow("start anchor") << QByteArray("|https://pix.") << QByteArray("https://pix.site.com/a") << page << QByteArray("image") << QByteArray("|https://pix.") << true;
    QTest::newRow("start anchor, elsewhere") << QByteArray("|https://pix.") << QByteArray("http://x.com/?u=https://pix.a") << page << QByteArray("image") << QByteArray() << false;
    QTest::newRow("end anchor") << QByteArray("/pixel.gif|") << QByteArray("http://a.com/img/pixel.gif") << page << QByteArray("image") << QByteArray("/pixel.gif|") << true;
    QTest::newRow("end anchor, more follows") << QByteArray("/pixel.gif|") << QByteArray("http://a.com/pixel.gif?x=1") << page << QByteArray("image") << QByteArray() << false;
    QTest::newRow("wildcard") << QByteArray("/banner/*/ad_") << QByteArray("http://a.com/banner/big/ad_1.png") << page << QByteArray("image") << QByteArray("/banner/*/ad_") << true;
    QTest::newRow("wildcard, backtracking") << QByteArray("-ad-*-x.") << QByteArray("http://a.com/a-ad-b-ad-c-x.js") << page << QByteArray("script") << QByteArray("-ad-*-x.") << true;
    QTest::newRow("plain substring, any case") << QByteArray("/AdServer/") << QByteArray("http://a.com/adserver/x") << page << QByteArray("script") << QByteArray("/AdServer/") << true;
    QTest::newRow("substring inside a word") << QByteArray("banner-ads-") << QByteArray("http://a.com/topbanner-ads-1.png") << page << QByteArray("image") << QByteArray("banner-ads-") << true;
    QTest::newRow("match-case") << QByteArray("/AdServer/$match-case") << QByteArray("http://a.com/adserver/x") << page << QByteArray("script") << QByteArray() << false;
    QTest::newRow("match-case, same case") << QByteArray("/AdServer/$match-case") << QByteArray("http://a.com/AdServer/x") << page << QByteArray("script") << QByteArray("/AdServer/$match-case") << true;
    QTest::newRow("regex") << QByteArray("/\\/ad[0-9]+\\.js/") << QByteArray("http://a.com/ad42.js") << page << QByteArray("script") << QByteArray("/\\/ad[0-9]+\\.js/") << true;
    QTest::newRow("regex, no match") << QByteArray("/\\/ad[0-9]+\\.js/$script") << QByteArray("http://a.com/adx.js") << page << QByteArray("script") << QByteArray() << false;
    QTest::newRow("hosts file line") << QByteArray("0.0.0.0 tracker.example.net # comment") << QByteArray("https://tracker.example.net/t") << page << QByteArray("xhr") << QByteArray("0.0.0.0 tracker.example.net # comment") << true;
    QTest::newRow("hosts file, localhost kept") << QByteArray("127.0.0.1 localhost") << QByteArray("http://localhost/") << page << QByteArray("xhr") << QByteArray() << false;
    // Types.
    QTest::newRow("type listed") << QByteArray("/ads.$script") << QByteArray("http://a.com/ads.js") << page << QByteArray("script") << QByteArray("/ads.$script") << true;
    QTest::newRow("type not listed") << QByteArray("/ads.$script") << QByteArray("http://a.com/ads.png") << page << QByteArray("image") << QByteArray() << false;
    QTest::newRow("type negated") << QByteArray("/ads.$~image") << QByteArray("http://a.com/ads.png") << page << QByteArray("image") << QByteArray() << false;
    QTest::newRow("type negated, other type") << QByteArray("/ads.$~image") << QByteArray("http://a.com/ads.css") << page << QByteArray("stylesheet") << QByteArray("/ads.$~image") << true;
    QTest::newRow("xhr alias") << QByteArray("/beacon^$xhr,ping") << QByteArray("http://a.com/beacon?x") << page << QByteArray("ping") << QByteArray("/beacon^$xhr,ping") << true;
    QTest::newRow("websocket") << QByteArray("||ws.track.io^$websocket") << QByteArray("wss://ws.track.io/s") << page << QByteArray("websocket") << QByteArray("||ws.track.io^$websocket") << true;
    QTest::newRow("subresource rule spares pages") << QByteArray("/ads/banner") << QByteArray("http://a.com/ads/banner") << QByteArray("http://a.com/ads/banner") << QByteArray("document") << QByteArray() << false;
    QTest::newRow("document rule blocks pages") << QByteArray("||scam.example^$document") << QByteArray("http://scam.example/") << QByteArray("http://scam.example/") << QByteArray("document") << QByteArray("||scam.example^$document") << true;
    QTest::newRow("plain host rule blocks pages") << QByteArray("||tracker.example.net^") << QByteArray("https://tracker.example.net/") << QByteArray() << QByteArray("document") << QByteArray("||tracker.example.net^") << true;
    QTest::newRow("host rule with a path spares pages") << QByteArray("||a.com/ads^") << QByteArray("https://a.com/ads") << QByteArray() << QByteArray("document") << QByteArray() << false;
    // Party, by registrable domain.
    QTest::newRow("third-party, other site") << QByteArray("||cdn.net^$third-party") << QByteArray("http://cdn.net/a.js") << page << QByteArray("script") << QByteArray("||cdn.net^$third-party") << true;
    QTest::newRow("third-party, same site") << QByteArray("/pixel.$third-party") << QByteArray("http://img.example.org/pixel.gif") << page << QByteArray("image") << QByteArray() << false;
    QTest::newRow("same site under co.uk") << QByteArray("/pixel.$3p") << QByteArray("http://b.example.co.uk/pixel.gif") << QByteArray("https://a.example.co.uk/") << QByteArray("image") << QByteArray() << false;
    QTest::newRow("other sites under co.uk") << QByteArray("/pixel.$3p") << QByteArray("http://b.other.co.uk/pixel.gif") << QByteArray("https://a.example.co.uk/") << QByteArray("image") << QByteArray("/pixel.$3p") << true;
    QTest::newRow("first-party only") << QByteArray("/pixel.$~third-party") << QByteArray("http://b.example.co.uk/pixel.gif") << QByteArray("https://a.example.co.uk/") << QByteArray("image") << QByteArray("/pixel.$~third-party") << true;
    QTest::newRow("under a private suffix of the page's site") << QByteArray("/pixel.$third-party") << QByteArray("http://bucket.s3.amazonaws.com/pixel.gif") << QByteArray("https://amazonaws.com/") << QByteArray("image") << QByteArray("/pixel.$third-party") << true;
    QTest::newRow("page host ends like the request's") << QByteArray("/pixel.$third-party") << QByteArray("http://example.org/pixel.gif") << QByteArray("https://myexample.org/") << QByteArray("image") << QByteArray("/pixel.$third-party") << true;
    QTest::newRow("1p, other site") << QByteArray("/pixel.$1p") << QByteArray("http://cdn.net/pixel.gif") << page << QByteArray("image") << QByteArray() << false;
    // domain=
    QTest::newRow("domain, listed") << QByteArray("/promo.$domain=example.org|shop.net") << QByteArray("http://x.com/promo.js") << page << QByteArray("script") << QByteArray("/promo.$domain=example.org|shop.net") << true;
    QTest::newRow("domain, not listed") << QByteArray("/promo.$domain=shop.net") << QByteArray("http://x.com/promo.js") << page << QByteArray("script") << QByteArray() << false;
    QTest::newRow("domain, excluded subdomain") << QByteArray("/promo.$domain=example.org|~news.example.org") << QByteArray("http://x.com/promo.js") << page << QByteArray("script") << QByteArray() << false;
    QTest::newRow("domain, only exclusions") << QByteArray("/promo.$domain=~shop.net") << QByteArray("http://x.com/promo.js") << page << QByteArray("script") << QByteArray("/promo.$domain=~shop.net") << true;
    QTest::newRow("domain, excluded page") << QByteArray("/promo.$domain=~example.org") << QByteArray("http://x.com/promo.js") << page << QByteArray("script") << QByteArray() << false;
    QTest::newRow("domain without pattern") << QByteArray("$script,domain=example.org") << QByteArray("http://x.com/any.js") << page << QByteArray("script") << QByteArray("$script,domain=example.org") << true;
    // Exceptions and important.
    QTest::newRow("exception wins") << QByteArray("||ads.net^\n@@||ads.net/ok/") << QByteArray("http://ads.net/ok/a.js") << page << QByteArray("script") << QByteArray("@@||ads.net/ok/") << false;
    QTest::newRow("exception elsewhere") << QByteArray("||ads.net^\n@@||ads.net/ok/") << QByteArray("http://ads.net/bad/a.js") << page << QByteArray("script") << QByteArray("||ads.net^") << true;
    QTest::newRow("exception alone") << QByteArray("@@||ads.net^") << QByteArray("http://ads.net/a.js") << page << QByteArray("script") << QByteArray() << false;
    QTest::newRow("important beats exception") << QByteArray("||ads.net^$important\n@@||ads.net^") << QByteArray("http://ads.net/a.js") << page << QByteArray("script") << QByteArray("||ads.net^$important") << true;
    QTest::newRow("important beats page exception") << QByteArray("||ads.net^$important\n@@||example.org^$document") << QByteArray("http://ads.net/a.js") << page << QByteArray("script") << QByteArray("||ads.net^$important") << true;
    QTest::newRow("page exception") << QByteArray("||ads.net^\n@@||example.org^$document") << QByteArray("http://ads.net/a.js") << page << QByteArray("script") << QByteArray("@@||example.org^$document") << false;
    QTest::newRow("page exception, other page") << QByteArray("||ads.net^\n@@||example.org^$document") << QByteArray("http://ads.net/a.js") << QByteArray("http://shop.net/") << QByteArray("script") << QByteArray("||ads.net^") << true;
    QTest::newRow("exception by type") << QByteArray("/ads/*\n@@/ads/$image") << QByteArray("http://a.com/ads/x.js") << page << QByteArray("script") << QByteArray("/ads/*") << true;
    QTest::newRow("exception on domain") << QByteArray("/ads/\n@@/ads/$domain=example.org") << QByteArray("http://a.com/ads/x.js") << page << QByteArray("script") << QByteArray("@@/ads/$domain=example.org") << false;
}

void TestBlockingEngine::decides()
{
    QFETCH(QByteArray, rules);
    QFETCH(QByteArray, url);
    QFETCH(QByteArray, page);
    QFETCH(QByteArray, type);
    QFETCH(QByteArray, decider);
    QFETCH(bool, blocked);

    // Unrelated rules around the one tested must not change the outcome.
    const FilterEngine engine = engineOf("! comment\n||unrelated.example^\n/other/path/\n" + rules
                                         + "\n$domain=unrelated.example\n");
    const BlockVerdict verdict =
        engine.decide({url.toStdString(), page.toStdString(), typeNamed(type)});
    QCOMPARE(engine.ruleText(verdict.rule).toUtf8(), decider);
    QCOMPARE(verdict.blocked, blocked);
}

void TestBlockingEngine::countsSkipped_data()
{
    QTest::addColumn<QByteArray>("rules");
    QTest::addColumn<FilterCounts>("counts");

    QTest::newRow("network rules") << QByteArray("||a.com^\n@@/b/\n/c/$script\n") << FilterCounts{3, 0, 0};
    QTest::newRow("comments and header") << QByteArray("[Adblock Plus 2.0]\n! x\n\n   \n") << FilterCounts{0, 0, 0};
    QTest::newRow("cosmetic kinds") << QByteArray("##.ad\nexample.com#@#.ad\na.com#?#div:has(x)\nb.com#$#abort\nc.com##+js(x)\n") << FilterCounts{0, 5, 0};
    QTest::newRow("unsupported options") << QByteArray("||a.com^$redirect=noop.js\n/x$csp=script-src\n/y$removeparam=utm\n/z$rewrite=abp-resource:x\n||p.com^$popup\n") << FilterCounts{0, 0, 5};
    QTest::newRow("entity domain") << QByteArray("/x$domain=google.*\n") << FilterCounts{0, 0, 1};
    QTest::newRow("hosts lines") << QByteArray("0.0.0.0 a.com b.com\n127.0.0.1 localhost\n") << FilterCounts{2, 0, 0};
}

void TestBlockingEngine::countsSkipped()
{
    QFETCH(QByteArray, rules);
    QFETCH(FilterCounts, counts);

    const FilterEngine engine = engineOf(rules);
    QCOMPARE(engine.counts().rules, counts.rules);
    QCOMPARE(engine.counts().cosmetic, counts.cosmetic);
    QCOMPARE(engine.counts().unsupported, counts.unsupported);
    // A skipped rule is not applied half.
    QVERIFY(!engine.decide({"http://a.com/x", "http://p.com/", ResourceType::Script}).blocked
            || counts.rules > 0);
}

void TestBlockingEngine::namesRuleAndList()
{
    FilterEngineBuilder builder;
    builder.addList(QStringLiteral("EasyList"), "/ad/\n");
    builder.addList(QStringLiteral("EasyPrivacy"), "||stats.net^$third-party\n");
    const FilterEngine engine = builder.build();
    const BlockVerdict verdict =
        engine.decide({"http://stats.net/ad/t.gif", "http://site.com/", ResourceType::Image});
    QVERIFY(verdict.blocked);
    QVERIFY(engine.ruleList(verdict.rule) == QStringLiteral("EasyList")
            || engine.ruleList(verdict.rule) == QStringLiteral("EasyPrivacy"));
    QCOMPARE(engine.ruleList(engine.decide({"http://stats.net/t.gif", "http://site.com/",
                                            ResourceType::Image}).rule),
             QStringLiteral("EasyPrivacy"));
}

void TestBlockingEngine::registrableDomain_data()
{
    QTest::addColumn<QByteArray>("host");
    QTest::addColumn<QByteArray>("domain");

    QTest::newRow("plain") << QByteArray("www.example.com") << QByteArray("example.com");
    QTest::newRow("two-part suffix") << QByteArray("a.example.co.uk") << QByteArray("example.co.uk");
    QTest::newRow("private suffix") << QByteArray("me.github.io") << QByteArray("me.github.io");
    QTest::newRow("address") << QByteArray("127.0.0.1") << QByteArray("127.0.0.1");
    QTest::newRow("single label") << QByteArray("localhost") << QByteArray("localhost");
}

void TestBlockingEngine::registrableDomain()
{
    QFETCH(QByteArray, host);
    QFETCH(QByteArray, domain);
    QCOMPARE(SiteDomain::registrableDomain(host.toStdString()), domain);
}

void TestBlockingEngine::checkBlockingLines_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("output");
    QTest::addColumn<int>("unread");

    QTest::newRow("blocked") << "https://ads.net/a.js https://site.org/ script"
                             << "block ||ads.net^$script (test list)\n" << 0;
    QTest::newRow("no rule") << "https://site.org/a.js https://site.org/ script\n\n"
                             << "allow (none)\n" << 0;
    QTest::newRow("type in capitals") << "https://ads.net/a.js https://site.org/ SCRIPT"
                                      << "block ||ads.net^$script (test list)\n" << 0;
    QTest::newRow("unknown type") << "https://ads.net/a.js https://site.org/ sound"
                                  << "error: expected ADDRESS PAGE-ADDRESS TYPE: "
                                     "https://ads.net/a.js https://site.org/ sound\n"
                                  << 1;
}

void TestBlockingEngine::checkBlockingLines()
{
    QFETCH(QString, input);
    QFETCH(QString, output);
    QFETCH(int, unread);

    const FilterEngine engine = engineOf("||ads.net^$script\n");
    QTextStream in(&input);
    QString printed;
    QTextStream out(&printed);
    QCOMPARE(BlockingCheck::run(&engine, in, out), unread);
    QCOMPARE(printed, output);
}

QTEST_APPLESS_MAIN(TestBlockingEngine)
#include "tst_blocking_engine.moc"

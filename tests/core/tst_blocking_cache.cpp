#include "blocking/blockingloader.h"
#include "blocking/enginecache.h"
#include "blocking/filterenginebuilder.h"

#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

class TestBlockingCache final : public QObject
{
    Q_OBJECT

private slots:
    void readsBackOnlyWhatFits_data();
    void readsBackOnlyWhatFits();
    void loaderParsesOnceThenUsesCache();
    void folderBesideEngineCache();
};

namespace {

const QList<FilterListFile> Lists{{QStringLiteral("EasyList"), QStringLiteral("/l/a.txt"), 40, 1000}};

FilterEngine sample()
{
    FilterEngineBuilder builder;
    builder.addList(QStringLiteral("EasyList"),
                    "||ads.net^\n@@||ads.net/ok/\n/x/$domain=a.com|~b.a.com\n/\\/ad[0-9]+/\n##.ad\n");
    return builder.build();
}

} // namespace

void TestBlockingCache::readsBackOnlyWhatFits_data()
{
    QTest::addColumn<int>("damageAt"); // -1: none; byte counted from the end
    QTest::addColumn<int>("cutBytes");
    QTest::addColumn<qint64>("listSize");
    QTest::addColumn<bool>("used");

    QTest::newRow("unchanged") << -1 << 0 << qint64(40) << true;
    QTest::newRow("list changed size") << -1 << 0 << qint64(41) << false;
    QTest::newRow("a rule byte flipped") << 30 << 0 << qint64(40) << false;
    QTest::newRow("the header flipped") << 100000 << 0 << qint64(40) << false;
    QTest::newRow("cut short") << -1 << 7 << qint64(40) << false;
}

void TestBlockingCache::readsBackOnlyWhatFits()
{
    QFETCH(int, damageAt);
    QFETCH(int, cutBytes);
    QFETCH(qint64, listSize);
    QFETCH(bool, used);

    const FilterEngine engine = sample();
    QByteArray bytes = EngineCache::serialize(engine, Lists);
    if (damageAt >= 0)
        bytes[qMax<qsizetype>(0, bytes.size() - 1 - damageAt)] ^= 0x5a;
    bytes.chop(cutBytes);
    QList<FilterListFile> lists = Lists;
    lists[0].size = listSize;
    const std::optional<FilterEngine> read = EngineCache::deserialize(bytes, lists);
    QCOMPARE(read.has_value(), used);
    if (!read)
        return;
    QCOMPARE(read->counts(), engine.counts());
    for (const char *url : {"http://ads.net/a.js", "http://ads.net/ok/a.js", "http://c.net/ad42"}) {
        const BlockRequest request{url, "http://www.a.com/", ResourceType::Script};
        QCOMPARE(read->decide(request).blocked, engine.decide(request).blocked);
        QCOMPARE(read->ruleText(read->decide(request).rule),
                 engine.ruleText(engine.decide(request).rule));
    }
}

void TestBlockingCache::loaderParsesOnceThenUsesCache()
{
    QTemporaryDir dir;
    QFile list(dir.filePath(QStringLiteral("easylist.txt")));
    QVERIFY(list.open(QIODevice::WriteOnly));
    list.write("||tracker.example^\n");
    list.close();
    const QList<FilterListFile> lists = FilterLists::find(dir.path(), dir.filePath("none"));
    QCOMPARE(lists.size(), 1);
    const QString cache = EngineCache::filePath(dir.filePath(QStringLiteral("cache")));

    for (const bool cached : {false, true}) {
        BlockingLoader loader(lists, cache);
        QSignalSpy ready(&loader, &BlockingLoader::ready);
        loader.start();
        QVERIFY(ready.wait());
        QCOMPARE(loader.fromCache(), cached);
        QVERIFY(loader.engine()->decide({"https://tracker.example/p", "https://a.com/",
                                         ResourceType::Image}).blocked);
    }
    // No list: no engine, and nothing waits for one.
    BlockingLoader none({}, cache);
    QVERIFY(!none.engine());
}

void TestBlockingCache::folderBesideEngineCache()
{
    QVERIFY(EngineCache::folder().endsWith(QStringLiteral("/k-vane/Harbrow-blocking")));
    QVERIFY(!EngineCache::folder().startsWith(
        QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation)
        + QStringLiteral("/k-vane/Harbrow/")));
}

QTEST_GUILESS_MAIN(TestBlockingCache)
#include "tst_blocking_cache.moc"

#include "store/foldedmatcher.h"

#include <QTest>

class TestFoldedMatcher final : public QObject
{
    Q_OBJECT

private slots:
    void matches_data();
    void matches();
};

void TestFoldedMatcher::matches_data()
{
    QTest::addColumn<QString>("search");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("comments");
    QTest::addColumn<bool>("found");

    const QString cafe = QStringLiteral("Caf\u00e9 cr\u00e8me");
    const QString site = QStringLiteral("http://example.com/menu");
    QTest::newRow("plain word") << "creme" << cafe << site << "" << true;
    QTest::newRow("accent in search, none in text")
        << QStringLiteral("m\u00e9nu") << cafe << site << "" << true;
    QTest::newRow("accent decomposed in text") << "cafe" << QStringLiteral("Cafe\u0301") << ""
                                               << "" << true;
    QTest::newRow("upper case search") << "CAFÉ EXAMPLE" << cafe << site << "" << true;
    QTest::newRow("non-ASCII case") << QStringLiteral("\u0434\u043e\u043c")
                                    << QStringLiteral("\u0414\u041e\u041c") << "" << "" << true;
    QTest::newRow("words in any order") << "menu creme cafe" << cafe << site << "" << true;
    QTest::newRow("word only in comments") << "recipes" << cafe << site << "Old RECIPES" << true;
    QTest::newRow("one word missing") << "cafe tea" << cafe << site << "" << false;
    QTest::newRow("no match") << "bakery" << cafe << site << "notes" << false;
    QTest::newRow("word across two fields") << "cremehttp" << cafe << site << "" << false;
    QTest::newRow("only spaces") << "   " << cafe << site << "" << false;
    QTest::newRow("empty bookmark") << "cafe" << "" << "" << "" << false;
}

void TestFoldedMatcher::matches()
{
    QFETCH(QString, search);
    QFETCH(QString, title);
    QFETCH(QString, address);
    QFETCH(QString, comments);
    QFETCH(bool, found);

    const FoldedMatcher matcher(search);
    QCOMPARE(matcher.matches(title.toUtf8(), address.toUtf8(), comments.toUtf8()), found);
}

QTEST_APPLESS_MAIN(TestFoldedMatcher)
#include "tst_foldedmatcher.moc"

#include "store/bookmarkcipher.h"

#include <QRandomGenerator>
#include <QTest>

class TestBookmarkCipher final : public QObject
{
    Q_OBJECT

private slots:
    void knownValues_data();
    void knownValues();
    void roundTripsRandomText();
};

void TestBookmarkCipher::knownValues_data()
{
    QTest::addColumn<QByteArray>("plain");
    QTest::addColumn<QByteArray>("cipher");

    QTest::newRow("empty") << QByteArray() << QByteArray();
    QTest::newRow("one character stays") << QByteArray("x") << QByteArray("x");
    // Halves swapped ("ba"), then 'b'+'q' and 'a'+'3'.
    QTest::newRow("two characters") << QByteArray("ab") << QByteArray("\xd3\x94");
    // 143 + 'q' (113) is 256: stored as 1, not 0.
    QTest::newRow("sum of 256 wraps to 1") << QByteArray("A\x8f") << QByteArray("\x01\x74");
    // 255 + 'q' wraps to the key byte itself.
    QTest::newRow("255 gives the key byte") << QByteArray("A\xff") << QByteArray("q\x74");
    // Odd length: the later half is the longer one and comes first.
    QTest::newRow("odd length") << QByteArray("abc") << QByteArray("\xd3\x96\xd7");
}

void TestBookmarkCipher::knownValues()
{
    QFETCH(QByteArray, plain);
    QFETCH(QByteArray, cipher);
    QCOMPARE(bookmarkCipherEncipher(plain), cipher);
    QCOMPARE(bookmarkCipherDecipher(cipher), plain);
}

void TestBookmarkCipher::roundTripsRandomText()
{
    QRandomGenerator random(20261208);
    for (int round = 0; round < 2000; ++round) {
        QByteArray text(random.bounded(0, 300), Qt::Uninitialized);
        for (char &c : text)
            c = char(random.bounded(1, 256)); // any byte but NUL
        const QByteArray cipher = bookmarkCipherEncipher(text);
        QVERIFY2(!cipher.contains('\0'), "an enciphered text must be storable as a string");
        QCOMPARE(cipher.size(), text.size());
        QCOMPARE(bookmarkCipherDecipher(cipher), text);
    }
}

QTEST_APPLESS_MAIN(TestBookmarkCipher)
#include "tst_bookmarkcipher.moc"

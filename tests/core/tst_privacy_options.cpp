#include "core/failinghive.h"
#include "privacy/settings/internetsettings.h"
#include "privacy/settings/privacyoptions.h"
#include "store/hive/memoryhive.h"

#include <QtTest>

class TestPrivacyOptions : public QObject
{
    Q_OBJECT

private slots:
    void missingValuesAreOffAndTheKeyIsCreated();
    void storedTextReadsWithAtoiRules_data();
    void storedTextReadsWithAtoiRules();
    void eachValueSetsItsOwnField();
    void writingStoresAllFourInLoadOrder();
    void aFailedWriteIsReported();
    void internetSettingsDefaultAndRoundTrip();
};

void TestPrivacyOptions::missingValuesAreOffAndTheKeyIsCreated()
{
    MemoryHive hive;
    PrivacyOptions options;
    loadPrivacyOptions(&hive, options);
    QCOMPARE(options.popupFlag + options.deleteCookiesOnExit + options.deleteHistoryOnExit
                 + options.deleteCacheOnExit,
             0);
    QVERIFY(hive.queryValue(PrivacyStore::KeyPath, "anything") == std::nullopt);
    // The key now exists: a value written without creating it lands.
    QVERIFY(hive.setValue(PrivacyStore::KeyPath, "probe", "1"));

    PrivacyOptions none;
    loadPrivacyOptions(nullptr, none);
    QCOMPARE(none.deleteCacheOnExit, 0);
}

void TestPrivacyOptions::storedTextReadsWithAtoiRules_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("value");

    QTest::newRow("one") << QByteArray("1") << 1;
    QTest::newRow("two") << QByteArray("2") << 2;
    QTest::newRow("minus one") << QByteArray("-1") << -1;
    QTest::newRow("zero") << QByteArray("0") << 0;
    QTest::newRow("empty") << QByteArray() << 0;
    QTest::newRow("letter first") << QByteArray("x1") << 0;
    QTest::newRow("digits then text") << QByteArray("12abc") << 12;
    QTest::newRow("leading blanks") << QByteArray(" \t 3") << 3;
    QTest::newRow("sign alone") << QByteArray("-") << 0;
    QTest::newRow("blank after sign") << QByteArray("- 1") << 0;
    QTest::newRow("stored with its NUL") << QByteArray("1\0", 2) << 1;
    QTest::newRow("NUL ends the text") << QByteArray("\0" "1", 2) << 0;
    QTest::newRow("too big still on") << QByteArray("99999999999999999999") << INT_MAX;
    QTest::newRow("too small still on") << QByteArray("-99999999999999999999") << INT_MIN;
    QTest::newRow("digit inside the first 1023 bytes")
        << QByteArray(1022, ' ') + "1" << 1;
    QTest::newRow("digit past the first 1023 bytes")
        << QByteArray(1023, '0') + "1" << 0;
}

void TestPrivacyOptions::storedTextReadsWithAtoiRules()
{
    QFETCH(QByteArray, text);
    QFETCH(int, value);
    QCOMPARE(optionValueFromText(text), value);

    MemoryHive hive;
    QVERIFY(hive.createKey(PrivacyStore::KeyPath));
    QVERIFY(hive.setValue(PrivacyStore::KeyPath, PrivacyStore::DeleteHistory, text));
    PrivacyOptions options;
    loadPrivacyOptions(&hive, options);
    QCOMPARE(options.deleteHistoryOnExit, value);
}

void TestPrivacyOptions::eachValueSetsItsOwnField()
{
    MemoryHive hive;
    QVERIFY(hive.createKey(PrivacyStore::KeyPath));
    QVERIFY(hive.setValue(PrivacyStore::KeyPath, PrivacyStore::PopupFlag, "4"));
    QVERIFY(hive.setValue(PrivacyStore::KeyPath, PrivacyStore::DeleteCookies, "3"));
    QVERIFY(hive.setValue(PrivacyStore::KeyPath, PrivacyStore::DeleteHistory, "2"));
    QVERIFY(hive.setValue(PrivacyStore::KeyPath, PrivacyStore::DeleteCache, "1"));

    PrivacyOptions options;
    loadPrivacyOptions(&hive, options);
    QCOMPARE(options.popupFlag, 4);
    QCOMPARE(options.deleteCookiesOnExit, 3);
    QCOMPARE(options.deleteHistoryOnExit, 2);
    QCOMPARE(options.deleteCacheOnExit, 1);
}

void TestPrivacyOptions::writingStoresAllFourInLoadOrder()
{
    MemoryHive hive;
    QVERIFY(writePrivacyOptions(&hive, {1, 0, 1, 0}));

    const QList<HiveValue> values = hive.enumerateValues(PrivacyStore::KeyPath);
    QCOMPARE(values.size(), 4);
    const QList<QByteArray> names{"flagReset", "flagCook", "flagHistory", "flagCache"};
    const QList<QByteArray> texts{"1", "0", "1", "0"};
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(values[i].name, names[i]);
        QCOMPARE(values[i].data, texts[i]);
    }
}

void TestPrivacyOptions::aFailedWriteIsReported()
{
    FailingHive hive;
    hive.failWrites = true;
    QVERIFY(!writeOptionValue(&hive, "1", PrivacyStore::DeleteCache));
    QVERIFY(!writePrivacyOptions(&hive, {1, 1, 1, 1}));
    // Every value is still tried: one failure does not hide the others.
    QCOMPARE(hive.writtenNames.size(), 5);
    QVERIFY(!writeOptionValue(nullptr, "1", PrivacyStore::DeleteCache));
    QVERIFY(!InternetSettings{}.save(&hive));
}

void TestPrivacyOptions::internetSettingsDefaultAndRoundTrip()
{
    MemoryHive hive;
    QCOMPARE(InternetSettings::load(&hive), InternetSettings{});
    QVERIFY(InternetSettings::load(&hive).javaScript);
    QVERIFY(!InternetSettings::load(&hive).doNotTrack);

    const InternetSettings changed{QStringLiteral("http://127.0.0.1:8/home"), false, false, true};
    QVERIFY(changed.save(&hive));
    QCOMPARE(InternetSettings::load(&hive), changed);

    // Privacy options and engine settings share the key without touching each other.
    PrivacyOptions options;
    loadPrivacyOptions(&hive, options);
    QCOMPARE(options.deleteCookiesOnExit, 0);
}

QTEST_GUILESS_MAIN(TestPrivacyOptions)
#include "tst_privacy_options.moc"

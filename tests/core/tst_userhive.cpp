#include "store/hive/hivenamesahead.h"
#include "store/hive/memoryhive.h"
#include "store/hive/packedrows.h"
#include "store/hive/sqlitehive.h"
#include "store/hive/userhive.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>
#include <unistd.h>

namespace {

QByteArray fileHash(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

const QString Key = QStringLiteral("Software\\Test");

} // namespace

class TestUserHive final : public QObject
{
    Q_OBJECT

private slots:
    void backendsBehaveAlike_data();
    void backendsBehaveAlike();
    void readAheadSeesWhatAVisitWould_data();
    void readAheadSeesWhatAVisitWould();
    void namesReadAheadAreTheWalksNames_data();
    void namesReadAheadAreTheWalksNames();
    void packedRowsReadBackAsAppended_data();
    void packedRowsReadBackAsAppended();
    void oddNamesAreListedApart_data();
    void oddNamesAreListedApart();
    void transactionsLandWhole_data();
    void transactionsLandWhole();
    void damagedFileIsNeverTouched_data();
    void damagedFileIsNeverTouched();
    void startCutShortBeforeTables_data();
    void startCutShortBeforeTables();
    void secondInstanceIsTurnedAway();
    void fileIsPrivate();
    void valuesSurviveReopening();

private:
    std::unique_ptr<Hive> makeHive(const QString &kind, QTemporaryDir &dir);
};

std::unique_ptr<Hive> TestUserHive::makeHive(const QString &kind, QTemporaryDir &dir)
{
    if (kind == u"memory")
        return std::make_unique<MemoryHive>();
    auto hive = std::make_unique<SqliteHive>();
    if (hive->open(dir.filePath("h.sqlite3")) != SqliteHive::OpenResult::Opened)
        return nullptr;
    return hive;
}

void TestUserHive::backendsBehaveAlike_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("sqlite") << "sqlite";
    QTest::newRow("memory") << "memory";
}

void TestUserHive::backendsBehaveAlike()
{
    QFETCH(QString, kind);
    QTemporaryDir dir;
    auto hive = makeHive(kind, dir);
    QVERIFY(hive);
    QVERIFY(!hive->setValue(Key, "a", "no key yet"));
    QVERIFY(hive->createKey(Key));
    QVERIFY(hive->setValue(Key, "first", "1"));
    QVERIFY(hive->setValue(Key, "second", "2"));
    QVERIFY(hive->setValue(Key, "empty", ""));
    QVERIFY(hive->setValue(Key.toUpper(), "FIRST", "one")); // keeps its place
    QCOMPARE(hive->queryValue(Key, "First"), std::optional<QByteArray>("one"));
    QCOMPARE(hive->queryValue(Key, "empty"), std::optional<QByteArray>(""));
    QVERIFY(!hive->queryValue(Key, "missing"));
    QVERIFY(hive->deleteValue(Key, "second"));
    QVERIFY(!hive->deleteValue(Key, "second"));
    QVERIFY(hive->setValue(Key, "second", "again")); // goes to the end

    QList<QByteArray> names;
    for (const HiveValue &value : hive->enumerateValues(Key))
        names << value.name;
    QCOMPARE(names, (QList<QByteArray>{"first", "empty", "second"}));
    QVERIFY(hive->enumerateValues("Software\\Other").isEmpty());
    names.clear();
    hive->visitValues(Key, [&names](QByteArrayView name, QByteArrayView) {
        names << name.toByteArray();
        return names.size() < 2; // a visitor may stop early
    });
    QCOMPARE(names, (QList<QByteArray>{"first", "empty"}));

    // Places follow the enumeration order; a prefix matches without case and
    // never runs into the next name up ("fir" + 1 is "fis").
    QVERIFY(hive->setValue(Key, "FIRm", "3"));
    QVERIFY(hive->setValue(Key, "fis", "4"));
    QMap<qint64, QByteArray> placed;
    hive->visitValueNames(Key, [&placed](qint64 place, QByteArrayView name) {
        placed.insert(place, name.toByteArray());
    });
    QCOMPARE(placed.values(), (QList<QByteArray>{"first", "empty", "second", "FIRm", "fis"}));
    QMap<qint64, QByteArray> prefixed; // handed over in any order
    hive->visitValuesWithPrefix(
        Key, "fir", [&](qint64 place, QByteArrayView name, QByteArrayView data) {
            prefixed.insert(place, name.toByteArray() + '=' + data.toByteArray());
        });
    QCOMPARE(prefixed.values(), (QList<QByteArray>{"first=one", "FIRm=3"}));
    // Where a hive can tell whether a prefix is taken, it tells the truth.
    for (const auto &[prefix, taken] : {std::pair{"FIRST", true}, {"fir", true}, {"firz", false}}) {
        const std::optional<bool> told = hive->hasValuesWithPrefix(Key, prefix);
        QVERIFY(!told || *told == taken);
        QCOMPARE(told.has_value(), kind == u"sqlite"); // the file's index answers at once
    }
}

void TestUserHive::readAheadSeesWhatAVisitWould_data()
{
    QTest::addColumn<QByteArray>("meanwhile");
    QTest::addColumn<QList<QByteArray>>("seen");
    // An empty value among them: rows read ahead are packed end to end.
    const QList<QByteArray> stored{"ur0-1000=", "ur0-1001=x", "ur0-1002=y"};
    QTest::newRow("nothing") << QByteArray() << stored;
    QTest::newRow("a value added")
        << QByteArray("add") << (stored + QList<QByteArray>{"ur0-1003=z"});
    QTest::newRow("a value deleted")
        << QByteArray("delete") << QList<QByteArray>{"ur0-1000=", "ur0-1002=y"};
    QTest::newRow("a transaction rolled back") << QByteArray("rollback") << stored;
    QTest::newRow("another prefix visited first") << QByteArray("other") << stored;
    QTest::newRow("visited twice") << QByteArray("twice") << stored;
    QTest::newRow("deleted after the first visit")
        << QByteArray("after") << QList<QByteArray>{"ur0-1000=", "ur0-1002=y"};
}

// Values read ahead on another connection are what the visit would have read
// itself, whatever was written after the read was asked for.
void TestUserHive::readAheadSeesWhatAVisitWould()
{
    QFETCH(QByteArray, meanwhile);
    QFETCH(QList<QByteArray>, seen);
    QTemporaryDir dir;
    const QString path = dir.filePath("h.sqlite3");
    {
        SqliteHive made;
        QCOMPARE(made.open(path), SqliteHive::OpenResult::Opened);
        QVERIFY(made.createKey(Key));
        for (const char *value : {"gr101=a", "ur0-1000=", "ur0-1001=x", "ur0-1002=y", "ur5-1=n"}) {
            const QList<QByteArray> parts = QByteArray(value).split('=');
            QVERIFY(made.setValue(Key, parts[0], parts[1]));
        }
    }
    SqliteHive hive;
    QCOMPARE(hive.open(path, SqliteHive::Check::Later), SqliteHive::OpenResult::Opened);
    hive.readAhead(Key, {"gr", "ur0-"});
    hive.readNamesAhead(Key);
    hive.startCheck(); // the names are read from here on
    auto visited = [&hive](const QByteArray &prefix) {
        QMap<qint64, QByteArray> placed;
        hive.visitValuesWithPrefix(
            Key, prefix, [&placed](qint64 place, QByteArrayView name, QByteArrayView data) {
                placed.insert(place, name.toByteArray() + '=' + data.toByteArray());
            });
        return placed.values();
    };
    if (meanwhile == "add")
        QVERIFY(hive.setValue(Key, "ur0-1003", "z"));
    if (meanwhile == "delete")
        QVERIFY(hive.deleteValue(Key, "ur0-1001"));
    if (meanwhile == "rollback") {
        QVERIFY(hive.beginTransaction());
        QVERIFY(hive.setValue(Key, "ur0-1003", "z"));
        hive.rollbackTransaction();
    }
    if (meanwhile == "other")
        QCOMPARE(visited("gr"), QList<QByteArray>{"gr101=a"});
    if (meanwhile == "twice" || meanwhile == "after")
        QCOMPARE(visited("ur0-"), (QList<QByteArray>{"ur0-1000=", "ur0-1001=x", "ur0-1002=y"}));
    if (meanwhile == "after")
        QVERIFY(hive.deleteValue(Key, "ur0-1001"));
    QCOMPARE(visited("ur0-"), seen);
    QStringList names;
    hive.visitValueNames(
        Key, [&names](qint64, QByteArrayView name) { names.append(QString::fromUtf8(name)); });
    names.sort();
    QStringList expected{"gr101", "ur5-1"};
    for (const QByteArray &value : seen)
        expected.append(QString::fromUtf8(value.split('=').first()));
    expected.sort();
    QCOMPARE(names, expected);
}

void TestUserHive::packedRowsReadBackAsAppended_data()
{
    QTest::addColumn<QList<int>>("dataSizes");
    constexpr int block = int(PackedRows::BlockSize);
    QTest::newRow("none") << QList<int>{};
    QTest::newRow("empty rows") << QList<int>{0, 0, 0};
    QTest::newRow("rows across several blocks") << QList<int>(200, 1000);
    QTest::newRow("a block filled to the byte") << QList<int>{block - 6, 0, 10};
    QTest::newRow("larger than a block, first") << QList<int>{3 * block, 5};
    QTest::newRow("an empty row between two larger than a block")
        << QList<int>{block + 1, 0, block + 1, 0};
    QTest::newRow("larger than a block, after a part-filled one")
        << QList<int>{100, 2 * block, 100};
}

// Rows packed end to end come back whole, in order, wherever a block ends.
void TestUserHive::packedRowsReadBackAsAppended()
{
    QFETCH(QList<int>, dataSizes);
    // A row with no data has no name either: nothing at all to pack.
    const auto name = [&dataSizes](qsizetype i) {
        return dataSizes[i] == 0 ? QByteArray() : "n" + QByteArray::number(i);
    };
    const auto data = [](qsizetype i, int size) { return QByteArray(size, char('a' + i % 26)); };
    PackedRows rows;
    for (qsizetype i = 0; i < dataSizes.size(); ++i)
        rows.append(100 + i, name(i), data(i, dataSizes[i]));
    QCOMPARE(rows.size(), std::size_t(dataSizes.size()));
    qsizetype seen = 0;
    rows.visit([&](qint64 place, QByteArrayView rowName, QByteArrayView rowData) {
        QCOMPARE(place, 100 + seen);
        QCOMPARE(rowName.toByteArray(), name(seen));
        QCOMPARE(rowData.toByteArray(), data(seen, dataSizes.value(seen)));
        ++seen;
    });
    QCOMPARE(seen, dataSizes.size());
}

void TestUserHive::namesReadAheadAreTheWalksNames_data()
{
    QTest::addColumn<QString>("askedFor");
    QTest::addColumn<int>("visits");
    QTest::addColumn<bool>("handed");
    QTest::newRow("the key read") << Key << 1 << true;
    QTest::newRow("the key, in other case") << Key.toUpper() << 1 << true;
    QTest::newRow("another key") << QStringLiteral("Software\\Other") << 1 << false;
    QTest::newRow("asked twice") << Key << 2 << false;
}

// Names read on their own thread are handed over once, as the hive's own walk
// lists them, places included.
void TestUserHive::namesReadAheadAreTheWalksNames()
{
    QFETCH(QString, askedFor);
    QFETCH(int, visits);
    QFETCH(bool, handed);
    QTemporaryDir dir;
    SqliteHive hive;
    QCOMPARE(hive.open(dir.filePath("h.sqlite3")), SqliteHive::OpenResult::Opened);
    QVERIFY(hive.createKey(Key));
    for (int i = 0; i < 3000; ++i) // past one step of the reader's stop check
        QVERIFY(hive.setValue(Key, "ur7-" + QByteArray::number(i), "x"));
    QVERIFY(hive.setValue(Key, "gr7", "folder"));
    using Placed = QList<std::pair<qint64, QByteArray>>;
    const auto walk = [](auto &&visitNames) {
        Placed names;
        visitNames([&names](qint64 place, QByteArrayView name) {
            names.append({place, name.toByteArray()});
        });
        return names;
    };
    const Placed own = walk([&](const auto &visit) { hive.visitValueNames(Key, visit); });

    HiveNamesAhead ahead(dir.filePath("h.sqlite3"), Key);
    QTRY_VERIFY(ahead.isFinished());
    bool told = true;
    Placed read;
    for (int i = 0; i < visits; ++i)
        read = walk([&](const auto &visit) { told = ahead.visit(askedFor, visit); });
    QCOMPARE(told, handed);
    QCOMPARE(read, handed ? own : Placed());
}

void TestUserHive::oddNamesAreListedApart_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<bool>("odd");
    QTest::newRow("plain bookmark") << QByteArray("ur0-1001") << false;
    QTest::newRow("nine digits each") << QByteArray("ur123456789-987654321") << false;
    QTest::newRow("folder") << QByteArray("gr101") << false;
    QTest::newRow("folder, upper case") << QByteArray("GR5") << false;
    QTest::newRow("upper case bookmark") << QByteArray("UR5-6") << true;
    QTest::newRow("leading zero folder") << QByteArray("ur05-13") << true;
    QTest::newRow("leading zero id") << QByteArray("ur5-0012") << true;
    QTest::newRow("ten digits") << QByteArray("ur5-2147483648") << true;
    QTest::newRow("no dash") << QByteArray("ur5") << true;
    QTest::newRow("two dashes") << QByteArray("ur5-6-7") << true;
    QTest::newRow("letter after the id") << QByteArray("ur5-6x") << true;
    QTest::newRow("empty id") << QByteArray("ur5-") << true;
    QTest::newRow("prefixed") << QByteArray("xur5-14") << true;
    QTest::newRow("folder inside") << QByteArray("xgr5") << true;
    QTest::newRow("neither") << QByteArray("INI") << true;
}

// A reader that takes folders and plain bookmark names by prefix must still
// learn of every other name, from a file made now or from one made before.
void TestUserHive::oddNamesAreListedApart()
{
    QFETCH(QByteArray, name);
    QFETCH(bool, odd);
    QTemporaryDir dir;
    const QString path = dir.filePath("h.sqlite3");
    {
        SqliteHive made;
        QCOMPARE(made.open(path), SqliteHive::OpenResult::Opened);
        QVERIFY(made.createKey(Key) && made.setValue(Key, name, "x"));
        QVERIFY(made.setValue(Key, "ur7-7", "plain"));
        made.close();
        sqlite3 *db = nullptr;
        QCOMPARE(sqlite3_open(QFile::encodeName(path).constData(), &db), SQLITE_OK);
        QCOMPARE(sqlite3_exec(db, "DROP INDEX hive_odd_names", nullptr, nullptr, nullptr),
                 SQLITE_OK); // as a file from before the index
        sqlite3_close(db);
    }
    for (int open = 0; open < 2; ++open) { // the first open makes the index
        SqliteHive hive;
        QCOMPARE(hive.open(path, SqliteHive::Check::Later), SqliteHive::OpenResult::Opened);
        hive.startCheck(); // runs while the names are read
        QList<QByteArray> listed;
        QVERIFY(hive.visitOddValueNames(Key, [&listed](qint64, QByteArrayView seen) {
            listed << seen.toByteArray();
        }));
        QCOMPARE(listed, odd ? QList<QByteArray>{name} : QList<QByteArray>());
        QVERIFY(hive.setValue(Key, "ur8-8", "written after the check"));
    }
    MemoryHive memory; // lists every name, which a reader must sort out itself
    memory.createKey(Key);
    memory.setValue(Key, name, "x");
    int seen = 0;
    QVERIFY(memory.visitOddValueNames(Key, [&seen](qint64, QByteArrayView) { ++seen; }));
    QCOMPARE(seen, 1);
}

void TestUserHive::transactionsLandWhole_data()
{
    backendsBehaveAlike_data();
}

void TestUserHive::transactionsLandWhole()
{
    QFETCH(QString, kind);
    QTemporaryDir dir;
    auto hive = makeHive(kind, dir);
    hive->createKey(Key);
    hive->setValue(Key, "old", "data");
    {
        HiveTransaction move(hive.get());
        hive->deleteValue(Key, "old");
        hive->setValue(Key, "new", "data");
        // Never committed: as if the program died here.
    }
    QCOMPARE(hive->queryValue(Key, "old"), std::optional<QByteArray>("data"));
    QVERIFY(!hive->queryValue(Key, "new"));
    {
        HiveTransaction move(hive.get());
        hive->deleteValue(Key, "old");
        {
            HiveTransaction inner(hive.get());
            hive->setValue(Key, "new", "data");
            QVERIFY(inner.commit());
        }
        QVERIFY(move.commit());
    }
    QVERIFY(!hive->queryValue(Key, "old"));
    QCOMPARE(hive->queryValue(Key, "new"), std::optional<QByteArray>("data"));
}

void TestUserHive::damagedFileIsNeverTouched_data()
{
    QTest::addColumn<QByteArray>("damage");
    QTest::addColumn<bool>("foundAtOpen"); // or by the check that runs beside
    QTest::addColumn<bool>("checkStarted"); // as the window does once it is up
    QTest::newRow("not a database") << QByteArray("<html>bookmarks</html>\n") << true << false;
    QTest::newRow("broken pages") << QByteArray("pages") << false << false;
    QTest::newRow("broken pages, check started") << QByteArray("pages") << false << true;
    QTest::newRow("cut short") << QByteArray("truncate") << true << false;
}

void TestUserHive::damagedFileIsNeverTouched()
{
    QFETCH(QByteArray, damage);
    QFETCH(bool, foundAtOpen);
    QFETCH(bool, checkStarted);
    QTemporaryDir dir;
    const QString path = dir.filePath("k-vane/hive.sqlite3");
    {
        UserHive good;
        QCOMPARE(good.open(path), UserHive::Status::Opened);
        good.hive()->createKey(Key);
        for (int i = 0; i < 400; ++i)
            good.hive()->setValue(Key, "v" + QByteArray::number(i), QByteArray(200, 'x'));
        good.hive()->flush();
    }
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    if (damage == "pages") {
        file.seek(4096 * 10); // a page of values, header and all
        file.write(QByteArray(3000, '\xee'));
    } else if (damage == "truncate") {
        file.resize(file.size() / 3);
    } else {
        file.resize(0);
        file.write(damage);
    }
    file.close();
    const QByteArray before = fileHash(path);

    UserHive hive;
    if (foundAtOpen) {
        QCOMPARE(hive.open(path), UserHive::Status::Damaged);
        QVERIFY(!hive.errorString().isEmpty());
        QVERIFY(hive.hive());
        QVERIFY(hive.hive()->createKey(Key)); // runs on, in memory
        QVERIFY(hive.hive()->setValue(Key, "new", "value"));
    } else {
        QCOMPARE(hive.open(path), UserHive::Status::Opened);
        QVERIFY(hive.isChecking()); // not before it is started, or something writes
        if (checkStarted) {
            hive.startCheck();
            QTRY_VERIFY_WITH_TIMEOUT(!hive.isChecking(), 10000);
            QVERIFY(hive.damageFound());
        }
        QVERIFY(!hive.hive()->setValue(Key, "new", "value")); // waits for the check
        QVERIFY(hive.damageFound());
        QVERIFY(!hive.errorString().isEmpty());
        QVERIFY(!hive.hive()->createKey("Software\\Other"));
        QVERIFY(!hive.hive()->deleteValue(Key, "v1"));
        QVERIFY(!hive.hive()->beginTransaction());
        hive.hive()->close();
    }
    QVERIFY(!QFile::exists(path + "-wal") || QFileInfo(path + "-wal").size() == 0);
    QCOMPARE(fileHash(path), before);
}

// A first start killed between making the file and writing all its tables
// leaves a database with no more than some of them: the next start must take
// it, not refuse it.
void TestUserHive::startCutShortBeforeTables_data()
{
    QTest::addColumn<QByteArray>("leftBehind");
    QTest::addColumn<bool>("taken");
    QTest::newRow("before any table") << QByteArray("PRAGMA journal_mode=WAL") << true;
    QTest::newRow("between tables")
        << QByteArray("PRAGMA journal_mode=WAL; CREATE TABLE hive_keys(path TEXT PRIMARY KEY)")
        << true;
    QTest::newRow("another program's database") << QByteArray("CREATE TABLE notes(t)") << false;
}

void TestUserHive::startCutShortBeforeTables()
{
    QFETCH(QByteArray, leftBehind);
    QFETCH(bool, taken);
    QTemporaryDir dir;
    const QString path = dir.filePath("h.sqlite3");
    sqlite3 *db = nullptr;
    QCOMPARE(sqlite3_open(QFile::encodeName(path).constData(), &db), SQLITE_OK);
    QCOMPARE(sqlite3_exec(db, leftBehind.constData(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
    const QByteArray before = fileHash(path);

    SqliteHive hive;
    const bool opened = hive.open(path, SqliteHive::Check::Later) == SqliteHive::OpenResult::Opened;
    QCOMPARE(opened, taken);
    if (taken)
        QVERIFY(hive.createKey(Key) && hive.setValue(Key, "v", "data"));
    else
        QCOMPARE(fileHash(path), before);
}

void TestUserHive::secondInstanceIsTurnedAway()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("hive.sqlite3");
    UserHive first;
    QCOMPARE(first.open(path), UserHive::Status::Opened);
    UserHive second;
    QCOMPARE(second.open(path), UserHive::Status::AlreadyRunning);
    QVERIFY(!second.hive());
}

void TestUserHive::fileIsPrivate()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("k-vane/hive.sqlite3");
    UserHive hive;
    QCOMPARE(hive.open(path), UserHive::Status::Opened);
    const QFile::Permissions others = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup
                                    | QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
    const QFile::Permissions file = QFileInfo(path).permissions();
    QVERIFY(file.testFlags(QFile::ReadOwner | QFile::WriteOwner));
    QVERIFY(!(file & (others | QFile::ExeOwner)));
    QVERIFY(!(QFileInfo(dir.filePath("k-vane")).permissions() & others));
}

void TestUserHive::valuesSurviveReopening()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("hive.sqlite3");
    {
        UserHive hive;
        QCOMPARE(hive.open(path), UserHive::Status::Opened);
        hive.hive()->createKey(Key);
        hive.hive()->setValue(Key, "kept", QByteArray("\x01\xff text", 7));
    }
    UserHive hive;
    QCOMPARE(hive.open(path), UserHive::Status::Opened);
    QCOMPARE(hive.hive()->queryValue(Key, "kept"), std::optional<QByteArray>(QByteArray("\x01\xff text", 7)));
    // The whole-file check runs beside; a sound file takes the write once it is done.
    QVERIFY(hive.hive()->setValue(Key, "later", "x"));
    QVERIFY(!hive.damageFound());
}

QTEST_APPLESS_MAIN(TestUserHive)
#include "tst_userhive.moc"

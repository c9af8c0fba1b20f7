#include "storesnapshot.h"

#include "store/bookmarkstore.h"
#include "store/hive/memoryhive.h"
#include "store/hive/sqlitehive.h"

#include <QCoreApplication>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <cstdio>

namespace {

// Step i of a fixed stream of changes: adds, edits, moves, renames and deletes.
void applyStep(BookmarkStore &store, int i)
{
    const int folder = 101 + i % 4;
    if (i < 4)
        store.addFolder(QStringLiteral("Folder %1").arg(i), i == 3 ? 101 : 0);
    else if (i % 7 == 5)
        store.deleteBookmarkById(1001 + i / 2);
    else if (i % 5 == 3)
        store.moveBookmarkById(1001 + i / 3, i % 2 ? folder : 0);
    else if (i % 11 == 10)
        store.renameFolder(folder, QStringLiteral("Renamed %1").arg(i));
    else if (i % 13 == 12)
        store.setBookmarkTitle(1001 + i / 4, QStringLiteral("Retitled %1").arg(i));
    else if (i % 97 == 96)
        store.deleteFolder(QString::number(folder));
    else
        store.addBookmark({QStringLiteral("http://site%1.example/").arg(i),
                           QStringLiteral("Title %1").arg(i), QStringLiteral("line\tline"), {},
                           i % 6, i % 3 ? QString::number(folder) : QStringLiteral("0")});
}

// The child: changes the store step by step and reports each step once its call returned.
int runWriter(const char *path)
{
    SqliteHive hive;
    if (hive.open(QString::fromLocal8Bit(path)) != SqliteHive::OpenResult::Opened)
        return 2;
    BookmarkStore store(&hive);
    for (int i = 0; i < 1000000; ++i) {
        applyStep(store, i);
        std::printf("%d\n", i);
        std::fflush(stdout);
    }
    return 0;
}

QStringList replay(int steps)
{
    MemoryHive hive;
    BookmarkStore store(&hive);
    for (int i = 0; i < steps; ++i)
        applyStep(store, i);
    return storeSnapshot(store);
}

const char *self = nullptr;

} // namespace

class TestCrashSafety final : public QObject
{
    Q_OBJECT

private slots:
    void killedWriterLosesNothing_data();
    void killedWriterLosesNothing();
};

void TestCrashSafety::killedWriterLosesNothing_data()
{
    QTest::addColumn<int>("delayMs");
    QRandomGenerator random = QRandomGenerator::securelySeeded();
    // The first round falls while the writer is still making the file.
    for (int round = 0; round < 5; ++round) {
        const int delay = round == 0 ? random.bounded(1, 40) : random.bounded(80, 700);
        QTest::addRow("kill after %d ms", delay) << delay;
    }
}

void TestCrashSafety::killedWriterLosesNothing()
{
    QFETCH(int, delayMs);
    QTemporaryDir dir;
    const QString path = dir.filePath("hive.sqlite3");
    QProcess writer;
    writer.start(QString::fromLocal8Bit(self), {QStringLiteral("writer"), path});
    QVERIFY(writer.waitForStarted());
    QThread::msleep(delayMs);
    writer.kill(); // SIGKILL: no chance to tidy up
    QVERIFY(writer.waitForFinished());

    const QList<QByteArray> done = writer.readAllStandardOutput().split('\n');
    int completed = 0;
    for (const QByteArray &line : done)
        if (!line.isEmpty())
            completed = line.toInt() + 1;

    SqliteHive hive;
    QCOMPARE(hive.open(path), SqliteHive::OpenResult::Opened);
    BookmarkStore reopened(&hive);
    const QStringList found = storeSnapshot(reopened);
    // The step under way when the kill came may or may not have landed, whole.
    const QStringList before = replay(completed);
    if (found != before)
        QCOMPARE(found, replay(completed + 1));
    qInfo("%d steps had returned", completed);
}

int main(int argc, char *argv[])
{
    if (argc == 3 && qstrcmp(argv[1], "writer") == 0)
        return runWriter(argv[2]);
    self = argv[0];
    QCoreApplication app(argc, argv);
    TestCrashSafety test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_crashsafety.moc"

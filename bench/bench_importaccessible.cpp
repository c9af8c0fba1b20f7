// The whole import of a 100,000-bookmark file (gen_netscape.py 100000 42)
// through the dialog, as a screen-reader user makes it, against the same
// import without assistive technology, measured in the same run. Each import
// runs in a program of its own on a display of its own (xvfb-run) with a
// session bus of its own (dbus-run-session); only the first turns Qt's
// accessibility bridge on, and a listener stands in for the screen reader:
// it asks for every event, so every one the dialog reports goes over the bus.
#include "eventwait.h"
#include "importbench.h"
#include "ratioreporter.h"

#include "store/hive/sqlitehive.h"

#include <QAccessible>
#include <QApplication>
#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusReply>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

namespace {

using namespace ImportBench;

const char *self = nullptr;

// The child: opens the dialog on the screen, chooses the file with Browse,
// selects everything and imports it into a new hive; prints the seconds taken.
// With assistive technology, the bridge is up before the dialog opens, as it
// is for anyone who uses it.
int importOnce(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QString file = QString::fromLocal8Bit(argv[2]);
    if (qstrcmp(argv[3], "accessible") == 0 && !waitFor([] { return QAccessible::isActive(); }))
        return 3;
    QTemporaryDir dir;
    qputenv("USERPROFILE", dir.filePath(QStringLiteral("nobody")).toUtf8());
    SqliteHive hive;
    hive.open(dir.filePath(QStringLiteral("hive.sqlite3")));
    BookmarkStore store(&hive);
    BenchPage page(&store);

    QElapsedTimer timer;
    timer.start();
    ImportFavoritesDialog dialog(page, &hive);
    dialog.show();
    if (!QTest::qWaitForWindowExposed(&dialog))
        return 2;
    importWholeFile(dialog, file);
    QCoreApplication::processEvents();
    std::printf("seconds %.3f imported %d accessible %d\n", double(timer.nsecsElapsed()) / 1e9,
                dialog.importedCount(), int(QAccessible::isActive()));
    return 0;
}

// A screen reader's share: asks the registry for every event, then takes
// them off the bus until it is ended. Says "listening" once it is.
int listen(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QDBusInterface launcher(QStringLiteral("org.a11y.Bus"), QStringLiteral("/org/a11y/bus"),
                            QStringLiteral("org.a11y.Bus"), QDBusConnection::sessionBus());
    const QDBusReply<QString> address = launcher.call(QStringLiteral("GetAddress"));
    if (!address.isValid())
        return 2;
    QDBusConnection bus = QDBusConnection::connectToBus(address.value(), QStringLiteral("a11y"));
    QDBusInterface daemon(QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                          QStringLiteral("org.freedesktop.DBus"), bus);
    if (!QDBusReply<void>(daemon.call(QStringLiteral("AddMatch"), QStringLiteral("type='signal'"))).isValid())
        return 3;
    QDBusInterface registry(QStringLiteral("org.a11y.atspi.Registry"),
                            QStringLiteral("/org/a11y/atspi/registry"),
                            QStringLiteral("org.a11y.atspi.Registry"), bus);
    for (const char *event : {"object:", "window:", "focus:"}) {
        if (!QDBusReply<void>(registry.call(QStringLiteral("RegisterEvent"), QString::fromLatin1(event)))
                 .isValid())
            return 4;
    }
    std::printf("listening\n");
    std::fflush(stdout);
    return app.exec();
}

// Runs one import in a child of its own; false (and why) when it did not run as asked.
bool runChild(bool accessible, double &seconds, QString &why)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.remove(QStringLiteral("QT_ACCESSIBILITY"));
    if (accessible)
        env.insert(QStringLiteral("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"), QStringLiteral("1"));
    else
        env.remove(QStringLiteral("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"));
    QProcess child;
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // Qt's bridge waits for the accessibility bus to be up; asking for its
    // address starts it, as a desktop session does. The listener is there
    // before the dialog, as a screen reader is.
    const QString startBus = QStringLiteral(
        "dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus "
        "org.a11y.Bus.GetAddress >/dev/null || exit 1; "
        "listener=; if [ \"$3\" = accessible ]; then "
        "  ready=$(mktemp -u) && mkfifo \"$ready\" || exit 1; "
        "  \"$0\" --listen >\"$ready\" & listener=$!; "
        "  read line <\"$ready\"; rm -f \"$ready\"; [ \"$line\" = listening ] || exit 1; fi; "
        "xvfb-run -a \"$0\" \"$@\"; status=$?; "
        "[ -n \"$listener\" ] && kill $listener; exit $status");
    child.start(QStringLiteral("dbus-run-session"),
                {QStringLiteral("--"), QStringLiteral("sh"), QStringLiteral("-c"), startBus,
                 QString::fromLocal8Bit(self), QStringLiteral("--import-once"), bookmarkFile(),
                 accessible ? QStringLiteral("accessible") : QStringLiteral("plain")});
    if (!child.waitForFinished(600000) || child.exitCode() != 0) {
        why = QStringLiteral("the import did not run (dbus-run-session, xvfb-run, at-spi2-core?)");
        return false;
    }
    // The last line: the bus's own programs may have said something before.
    const QList<QByteArray> words =
        child.readAllStandardOutput().trimmed().split('\n').last().split(' ');
    // The file repeats a few addresses in one folder: those are kept, not imported twice.
    if (words.size() != 6 || words[3].toInt() < Bookmarks * 99 / 100
        || words[5].toInt() != int(accessible)) {
        why = QStringLiteral("the import ran otherwise than asked: ") + QString::fromUtf8(words.join(' '));
        return false;
    }
    seconds = words[1].toDouble();
    return true;
}

void wholeImport(benchmark::State &state, bool accessible)
{
    for (auto _ : state) {
        double seconds = 0;
        QString why;
        if (!runChild(accessible, seconds, why)) {
            state.SkipWithError(qPrintable(why));
            return;
        }
        state.SetIterationTime(seconds);
    }
}

void BM_WholeImport_AccessibilityOff(benchmark::State &state)
{
    wholeImport(state, false);
}

void BM_WholeImport_AccessibilityOn(benchmark::State &state)
{
    wholeImport(state, true);
}

} // namespace

BENCHMARK(BM_WholeImport_AccessibilityOff)->UseManualTime()->Iterations(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WholeImport_AccessibilityOn)->UseManualTime()->Iterations(2)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    if (argc == 4 && qstrcmp(argv[1], "--import-once") == 0)
        return importOnce(argc, argv);
    if (argc == 2 && qstrcmp(argv[1], "--listen") == 0)
        return listen(argc, argv);
    self = argv[0];
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RatioReporter reporter({
        {"BM_WholeImport_AccessibilityOn/iterations:2/manual_time",
         "BM_WholeImport_AccessibilityOff/iterations:2/manual_time", 1.5},
    });
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}

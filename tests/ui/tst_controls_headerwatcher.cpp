#include "controls/headerwatcher.h"

#include <QHeaderView>
#include <QTest>
#include <QTreeWidget>

namespace {

// Counts the paints a widget receives.
class PaintCounter final : public QObject
{
public:
    int paints = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

} // namespace

class TestHeaderWatcher final : public QObject
{
    Q_OBJECT

private slots:
    void repaintsOnlyWhenFitChanges();
};

void TestHeaderWatcher::repaintsOnlyWhenFitChanges()
{
    QWidget dialog;
    dialog.resize(500, 300);
    auto *list = new QTreeWidget(&dialog);
    list->setGeometry(10, 10, 400, 200);
    list->setHeaderLabels({"Favorite", "URL", "Folder"});
    list->header()->setStretchLastSection(false);
    for (int column = 0; column < 3; ++column)
        list->setColumnWidth(column, 100);
    auto *watcher = new HeaderWatcher(list->header());
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    PaintCounter counter;
    dialog.installEventFilter(&counter);
    QWidget *header = list->header()->viewport();

    // Moves that painted the dialog (not counting the widening before them).
    int repaints = 0;
    auto moveAfterWidth = [&](int width) {
        list->setColumnWidth(1, width);
        QTest::qWait(20);
        const int before = counter.paints;
        QTest::mouseMove(header, QPoint(5 + width % 7, 5));
        repaints += counter.paints > before;
    };
    moveAfterWidth(150);
    QCOMPARE(repaints, 0);
    // The first overflow repaints, because the columns fitted when it started.
    moveAfterWidth(300);
    QCOMPARE(repaints, 1);
    QVERIFY(!watcher->fits());
    moveAfterWidth(320);
    moveAfterWidth(340);
    QCOMPARE(repaints, 1);
    moveAfterWidth(100);
    QCOMPARE(repaints, 2);
    QVERIFY(watcher->fits());
}

QTEST_MAIN(TestHeaderWatcher)
#include "tst_controls_headerwatcher.moc"

#include "controls/splitterbar.h"

#include <QLineEdit>
#include <QtTest>

// A parent with a tree-like pane on the left, a list-like pane on the right and
// the bar between them, placed by hand as a page does.
class TestSplitterBar : public QObject
{
    Q_OBJECT

private:
    static constexpr int BarWidth = 6;
    static constexpr int Middle = 100; // a height inside the bar

    struct Page
    {
        QWidget parent;
        QWidget *left = new QWidget(&parent);
        SplitterBar *bar = new SplitterBar(&parent);
        QWidget *right = new QWidget(&parent);
    };

    static void build(Page &page, int parentWidth, int leftStart = 0)
    {
        page.parent.resize(parentWidth, 200);
        const int barLeft = parentWidth / 2;
        page.left->setGeometry(leftStart, 0, barLeft - 1 - leftStart, 200);
        page.bar->setGeometry(barLeft, 0, BarWidth, 200);
        page.right->setGeometry(barLeft + BarWidth + 1, 0, parentWidth - barLeft - BarWidth - 1,
                                200);
        page.bar->addLeftPane(page.left);
        page.bar->addRightPane(page.right);
        page.parent.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page.parent));
    }

    // Presses the bar at offset grip and moves the pointer to parent x.
    static void press(Page &page, int grip = 2)
    {
        QTest::mousePress(page.bar, Qt::LeftButton, {}, QPoint(grip, Middle));
    }
    static void moveTo(Page &page, int parentX)
    {
        QTest::mouseMove(page.bar, QPoint(parentX - page.bar->x(), Middle));
    }
    static void release(Page &page)
    {
        QTest::mouseRelease(page.bar, Qt::LeftButton, {}, QPoint(2, Middle));
    }

private slots:
    void dragSharesTheWidth();
    void dragStopsAtTheLimits_data();
    void dragStopsAtTheLimits();
    void escapeEndsTheDragWhereItIs();
    void rightPressEndsTheDrag();
    void otherKeysAreDroppedDuringTheDrag();
    void tooNarrowParentIgnoresThePress();
};

void TestSplitterBar::dragSharesTheWidth()
{
    Page page;
    build(page, 400);
    press(page, 2);
    QVERIFY(page.bar->isDragging());
    moveTo(page, 252);
    release(page);

    QVERIFY(!page.bar->isDragging());
    QCOMPARE(page.bar->x(), 250); // the grip stays under the pointer
    QCOMPARE(page.bar->y(), 0);
    QCOMPARE(page.left->geometry(), QRect(0, 0, 249, 200));
    QCOMPARE(page.right->geometry(), QRect(257, 0, 143, 200));
    // Moving after the release changes nothing.
    moveTo(page, 300);
    QCOMPARE(page.bar->x(), 250);
}

void TestSplitterBar::dragStopsAtTheLimits_data()
{
    QTest::addColumn<int>("leftStart");
    QTest::addColumn<int>("minimumLeft");
    QTest::addColumn<int>("minimumRight");
    QTest::addColumn<int>("target");
    QTest::addColumn<int>("expectedBarLeft");

    QTest::newRow("default minimum, far left") << 0 << 10 << 10 << -50 << 10;
    QTest::newRow("default minimum, far right") << 0 << 10 << 10 << 900 << 400 - 10 - BarWidth;
    QTest::newRow("page minimum, far left") << 0 << 50 << 50 << 0 << 50;
    QTest::newRow("page minimum, far right") << 0 << 50 << 50 << 399 << 400 - 50 - BarWidth;
    QTest::newRow("left pane starts inside") << 30 << 50 << 50 << 0 << 80;
    QTest::newRow("inside the limits") << 0 << 50 << 50 << 120 << 120;
}

void TestSplitterBar::dragStopsAtTheLimits()
{
    QFETCH(int, leftStart);
    QFETCH(int, minimumLeft);
    QFETCH(int, minimumRight);
    QFETCH(int, target);
    QFETCH(int, expectedBarLeft);

    Page page;
    build(page, 400, leftStart);
    if (minimumLeft != SplitterBar::DefaultMinimumWidth ||
        minimumRight != SplitterBar::DefaultMinimumWidth)
        page.bar->setMinimumWidths(minimumLeft, minimumRight);
    press(page, 0);
    moveTo(page, target);
    release(page);

    QCOMPARE(page.bar->x(), expectedBarLeft);
    QCOMPARE(page.left->x(), leftStart);
    QCOMPARE(page.left->x() + page.left->width(), expectedBarLeft - 1);
    QCOMPARE(page.right->x(), expectedBarLeft + BarWidth + 1);
    QCOMPARE(page.right->x() + page.right->width(), 400);
}

void TestSplitterBar::escapeEndsTheDragWhereItIs()
{
    Page page;
    build(page, 400);
    press(page, 0);
    moveTo(page, 150);
    // The key goes wherever the keyboard is held, as a person's key press would.
    QTest::keyClick(static_cast<QWidget *>(nullptr), Qt::Key_Escape);

    QVERIFY(!page.bar->isDragging());
    QCOMPARE(page.bar->x(), 150);
    QCOMPARE(page.left->width(), 149);
    moveTo(page, 250);
    release(page);
    QCOMPARE(page.bar->x(), 150);
    QCOMPARE(page.left->width(), 149);
}

void TestSplitterBar::rightPressEndsTheDrag()
{
    Page page;
    build(page, 400);
    press(page, 0);
    moveTo(page, 260);
    QTest::mousePress(page.bar, Qt::RightButton, {}, QPoint(0, Middle));

    QVERIFY(!page.bar->isDragging());
    moveTo(page, 100);
    QCOMPARE(page.bar->x(), 260);
    QCOMPARE(page.right->x(), 260 + BarWidth + 1);
}

void TestSplitterBar::otherKeysAreDroppedDuringTheDrag()
{
    Page page;
    build(page, 400);
    QLineEdit *edit = new QLineEdit(&page.parent);
    edit->setGeometry(0, 0, 10, 10);
    edit->show();
    edit->setFocus();
    press(page, 0);
    QTest::keyClicks(static_cast<QWidget *>(nullptr), QStringLiteral("ab"));

    QVERIFY(page.bar->isDragging());
    QVERIFY(edit->text().isEmpty());
    release(page);
}

void TestSplitterBar::tooNarrowParentIgnoresThePress()
{
    Page page;
    build(page, 18); // 10 + 10 minimum widths do not fit
    const QRect leftBefore = page.left->geometry();
    const QRect barBefore = page.bar->geometry();
    press(page, 0);
    QVERIFY(!page.bar->isDragging());
    QCOMPARE(QWidget::mouseGrabber(), nullptr);
    moveTo(page, 3);
    release(page);

    QCOMPARE(page.bar->geometry(), barBefore);
    QCOMPARE(page.left->geometry(), leftBefore);
}

QTEST_MAIN(TestSplitterBar)
#include "tst_controls_splitterbar.moc"

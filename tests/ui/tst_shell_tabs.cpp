#include "app/vxmaintabctrl.h"

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTabBar>
#include <QVBoxLayout>
#include <QtTest>

class TestShellTabs : public QObject
{
    Q_OBJECT

private:
    static QWidget *page(const QString &name)
    {
        auto *widget = new QWidget;
        widget->setObjectName(name);
        return widget;
    }
    static void clickTab(VXTabCtrl &tabs, int index)
    {
        QTest::mouseClick(tabs.tabBar(), Qt::LeftButton, {},
                          tabs.tabBar()->tabRect(index).center());
    }

private slots:
    void addPage_data();
    void addPage();
    void noTabsMeansNoSelectedPage();
    void resizeMovesEveryPageToTheInsetArea();
    void clickingATabShowsAndFocusesItsPage();
    void keyboardSwitchFocusesThePage();
    void enterAndEscapeNeverCloseThePage_data();
    void enterAndEscapeNeverCloseThePage();
    void destroyPagesDestroysEveryPageInTabOrder();
};

void TestShellTabs::addPage_data()
{
    QTest::addColumn<bool>("selectSecond");
    QTest::addColumn<int>("expectedCurrent");

    QTest::newRow("second not selected") << false << 0;
    QTest::newRow("second selected") << true << 1;
}

void TestShellTabs::addPage()
{
    QFETCH(bool, selectSecond);
    QFETCH(int, expectedCurrent);

    VXMainTabCtrl tabs;
    tabs.resize(300, 200);
    tabs.show();
    QVERIFY(QTest::qWaitForWindowExposed(&tabs));
    QWidget *first = page(QStringLiteral("first"));
    QWidget *second = page(QStringLiteral("second"));
    tabs.addPage(first, QStringLiteral("First"), true);
    QCOMPARE(tabs.selectedPage(), first);
    QVERIFY(first->isVisible());

    tabs.addPage(second, QStringLiteral("Second"), selectSecond);
    QCOMPARE(tabs.count(), 2);
    QCOMPARE(tabs.tabText(1), QStringLiteral("Second"));
    QCOMPARE(tabs.currentIndex(), expectedCurrent);
    QCOMPARE(first->isVisible(), !selectSecond);
    QCOMPARE(second->isVisible(), selectSecond);
    QCOMPARE(first->parentWidget()->parentWidget(), &tabs); // owned through the pane
}

void TestShellTabs::noTabsMeansNoSelectedPage()
{
    VXMainTabCtrl tabs;
    QCOMPARE(tabs.selectedPage(), nullptr);
    tabs.destroyPages(); // nothing to do, nothing to break
}

void TestShellTabs::resizeMovesEveryPageToTheInsetArea()
{
    VXMainTabCtrl tabs;
    tabs.resize(300, 200);
    tabs.show();
    QVERIFY(QTest::qWaitForWindowExposed(&tabs));
    QList<QWidget *> pages;
    for (int i = 0; i < 3; ++i) {
        pages.append(page(QString::number(i)));
        tabs.addPage(pages.last(), QString::number(i), i == 0);
    }
    tabs.resize(520, 410);
    QApplication::processEvents();

    const QWidget *pane = tabs.findChild<QStackedWidget *>();
    QVERIFY(pane);
    const QRect area = pane->rect().adjusted(VXTabCtrl::PageInset, VXTabCtrl::PageInset,
                                             -VXTabCtrl::PageInset, -VXTabCtrl::PageInset);
    QVERIFY(area.width() > 400);
    for (QWidget *each : pages)
        QCOMPARE(each->geometry(), area);
    QVERIFY(!pages.at(2)->isVisible());
}

void TestShellTabs::clickingATabShowsAndFocusesItsPage()
{
    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    auto *tabs = new VXMainTabCtrl(&window);
    layout->addWidget(tabs);
    QWidget *first = page(QStringLiteral("first"));
    QWidget *second = page(QStringLiteral("second"));
    tabs->addPage(first, QStringLiteral("First"), true);
    tabs->addPage(second, QStringLiteral("Second"), false);
    window.resize(300, 200);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QSignalSpy clicked(tabs, &VXTabCtrl::tabClicked);

    clickTab(*tabs, 1);
    QTRY_COMPARE(clicked.count(), 1);
    QCOMPARE(clicked.constFirst().constFirst().toInt(), 1);
    QVERIFY(second->isVisible());
    QVERIFY(!first->isVisible());
    QCOMPARE(QApplication::focusWidget(), second);
}

// Ctrl+Tab from inside a page brings the next page forward with the focus in
// it; the owner selecting a page while the focus is elsewhere keeps it there.
void TestShellTabs::keyboardSwitchFocusesThePage()
{
    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    auto *outside = new QLineEdit(&window);
    auto *tabs = new VXMainTabCtrl(&window);
    layout->addWidget(outside);
    layout->addWidget(tabs);
    auto *first = new QLineEdit;
    auto *second = new QLineEdit;
    tabs->addPage(first, QStringLiteral("First"), true);
    tabs->addPage(second, QStringLiteral("Second"), false);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));

    first->setFocus();
    QTest::keyClick(first, Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(tabs->currentIndex(), 1);
    QCOMPARE(QApplication::focusWidget(), second);

    outside->setFocus();
    tabs->setCurrentIndex(0);
    QCOMPARE(QApplication::focusWidget(), outside);
}

void TestShellTabs::enterAndEscapeNeverCloseThePage_data()
{
    QTest::addColumn<int>("key");
    QTest::newRow("Return") << int(Qt::Key_Return);
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter);
    QTest::newRow("Escape") << int(Qt::Key_Escape);
}

// Inside a dialog, Enter would press its default button and Escape would close it.
void TestShellTabs::enterAndEscapeNeverCloseThePage()
{
    QFETCH(int, key);

    QDialog dialog;
    auto *layout = new QVBoxLayout(&dialog);
    auto *tabs = new VXMainTabCtrl(&dialog);
    auto *ok = new QPushButton(QStringLiteral("OK"), &dialog);
    ok->setDefault(true);
    layout->addWidget(tabs);
    layout->addWidget(ok);
    QWidget *pageWidget = page(QStringLiteral("page"));
    auto *edit = new QLineEdit(pageWidget);
    tabs->addPage(pageWidget, QStringLiteral("Page"), true);
    QSignalSpy pressed(ok, &QPushButton::clicked);
    QSignalSpy finished(&dialog, &QDialog::finished);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    edit->setFocus();

    QTest::keyClick(edit, Qt::Key(key));
    QVERIFY(dialog.isVisible());
    QCOMPARE(finished.count(), 0);
    QCOMPARE(pressed.count(), 0);
    QVERIFY(pageWidget->isVisible());
}

void TestShellTabs::destroyPagesDestroysEveryPageInTabOrder()
{
    VXMainTabCtrl tabs;
    QStringList destroyed;
    QList<QPointer<QWidget>> pages;
    for (const QString &name : {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}) {
        QWidget *each = page(name);
        connect(each, &QObject::destroyed, this, [&destroyed, name] { destroyed.append(name); });
        pages.append(each);
        tabs.addPage(each, name, false);
    }
    tabs.destroyPages();
    QCOMPARE(destroyed, QStringList({"a", "b", "c"}));
    for (const QPointer<QWidget> &each : pages)
        QVERIFY(each.isNull());
    QCOMPARE(tabs.selectedPage(), nullptr);
}

QTEST_MAIN(TestShellTabs)
#include "tst_shell_tabs.moc"

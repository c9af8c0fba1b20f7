#include "controls/hoverbutton.h"
#include "controls/linklabel.h"

#include <QDesktopServices>
#include <QLineEdit>
#include <QSignalSpy>
#include <QVBoxLayout>
#include <QtTest>

// Stands in for the desktop: records every address the program asks it to open.
class UrlCatcher : public QObject
{
    Q_OBJECT

public:
    QList<QUrl> opened;

public slots:
    void open(const QUrl &url) { opened.append(url); }
};

class TestHyperlinkControls : public QObject
{
    Q_OBJECT

private:
    UrlCatcher m_catcher;

    static QIcon solidIcon(const QColor &colour)
    {
        QPixmap pixmap(16, 16);
        pixmap.fill(colour);
        return QIcon(pixmap);
    }
    static QColor pixelAt(QWidget *widget, QPoint point)
    {
        return widget->grab().toImage().pixelColor(point);
    }

private slots:
    void initTestCase();
    void cleanupTestCase();
    void cleanup();

    void labelClickOpensItsAddress_data();
    void labelClickOpensItsAddress();
    void labelReleaseOutsideOpensNothing();
    void labelFontSizeInPoints();
    void labelRecreateFontTakesTheDescription();
    void labelDrawsItsOwnColours();

    void flatButtonLightsUpUnderTheMouse();
    void raisedButtonDoesNotTrackTheMouse();
    void activeIconWhileHoveredNormalOtherwise();
    void normalIconDefaultsToTheActiveOne();
    void losingFocusPutsTheLightOut();
    void doubleClickCountsAsSecondPress();
    void coloursFollowThePaletteUntilSet();
};

void TestHyperlinkControls::initTestCase()
{
    for (const QString &scheme : {QStringLiteral("http"), QStringLiteral("https"),
                                  QStringLiteral("file"), QStringLiteral("ftp")})
        QDesktopServices::setUrlHandler(scheme, &m_catcher, "open");
}

void TestHyperlinkControls::cleanupTestCase()
{
    for (const QString &scheme : {QStringLiteral("http"), QStringLiteral("https"),
                                  QStringLiteral("file"), QStringLiteral("ftp")})
        QDesktopServices::unsetUrlHandler(scheme);
}

void TestHyperlinkControls::cleanup()
{
    m_catcher.opened.clear();
}

void TestHyperlinkControls::labelClickOpensItsAddress_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("expected");

    QTest::newRow("web address") << "https://www.harbrow.org/help.html"
                                 << "https://www.harbrow.org/help.html";
    QTest::newRow("bare host") << "www.harbrow.org"
                               << "http://www.harbrow.org";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("blanks") << "   "
                            << "";
}

void TestHyperlinkControls::labelClickOpensItsAddress()
{
    QFETCH(QString, address);
    QFETCH(QString, expected);

    LinkLabel label(QStringLiteral("Harbrow Browser"));
    label.setAddress(address);
    label.show();
    QVERIFY(QTest::qWaitForWindowExposed(&label));
    QSignalSpy clicks(&label, &LinkLabel::clicked);
    QTest::mouseClick(&label, Qt::LeftButton);

    QCOMPARE(clicks.count(), 1);
    if (expected.isEmpty()) {
        QVERIFY(m_catcher.opened.isEmpty());
    } else {
        QCOMPARE(m_catcher.opened.size(), 1);
        QCOMPARE(m_catcher.opened.constFirst(), QUrl(expected));
    }
}

void TestHyperlinkControls::labelReleaseOutsideOpensNothing()
{
    LinkLabel label(QStringLiteral("Harbrow Browser"));
    label.setAddress(QStringLiteral("http://www.harbrow.org"));
    label.show();
    QVERIFY(QTest::qWaitForWindowExposed(&label));
    QTest::mousePress(&label, Qt::LeftButton);
    QTest::mouseRelease(&label, Qt::LeftButton, {}, QPoint(-5, -5));
    QVERIFY(m_catcher.opened.isEmpty());
}

void TestHyperlinkControls::labelFontSizeInPoints()
{
    LinkLabel label(QStringLiteral("Harbrow Browser"));
    const int plainHeight = label.sizeHint().height();
    label.setFontSize(16);
    QCOMPARE(label.font().pointSize(), 16);
    QCOMPARE(label.fontDescription().pointSize(), 16);
    QVERIFY(label.sizeHint().height() > plainHeight);
    // The family stays that of the dialog font.
    QCOMPARE(label.font().family(), QApplication::font().family());
}

void TestHyperlinkControls::labelRecreateFontTakesTheDescription()
{
    LinkLabel label(QStringLiteral("Harbrow Browser"));
    label.fontDescription().setUnderline(true);
    QVERIFY(!label.font().underline());
    label.recreateFont();
    QVERIFY(label.font().underline());
}

void TestHyperlinkControls::labelDrawsItsOwnColours()
{
    LinkLabel label(QStringLiteral("      "));
    label.setBackgroundColour(QColor(10, 200, 30));
    label.setTextColour(QColor(200, 0, 0));
    label.resize(80, 30);
    QCOMPARE(pixelAt(&label, QPoint(5, 5)), QColor(10, 200, 30));
    QCOMPARE(label.palette().color(QPalette::WindowText), QColor(200, 0, 0));
}

void TestHyperlinkControls::flatButtonLightsUpUnderTheMouse()
{
    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    auto *button = new HoverButton(QStringLiteral("Go"), &window);
    auto *other = new QWidget(&window);
    other->setMinimumHeight(40);
    layout->addWidget(button);
    layout->addWidget(other);
    button->setFlat(true);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QTest::mouseMove(button);
    QTRY_VERIFY(button->isHovered());
    QTest::mouseMove(other);
    QTRY_VERIFY(!button->isHovered());
    QTest::mouseMove(button);
    QTRY_VERIFY(button->isHovered());
}

void TestHyperlinkControls::raisedButtonDoesNotTrackTheMouse()
{
    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    auto *button = new HoverButton(QStringLiteral("Go"), &window);
    layout->addWidget(button);
    layout->addSpacing(40);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTest::mouseMove(button);
    QTest::qWait(50);
    QVERIFY(!button->isHovered());
}

void TestHyperlinkControls::activeIconWhileHoveredNormalOtherwise()
{
    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    auto *button = new HoverButton(&window);
    auto *other = new QWidget(&window);
    other->setMinimumHeight(40);
    layout->addWidget(button);
    layout->addWidget(other);
    button->setFlat(true);
    button->setIcons(solidIcon(Qt::green), solidIcon(Qt::blue));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    const QPoint centre = button->rect().center();
    QTest::mouseMove(button);
    QTRY_VERIFY(button->isHovered());
    QCOMPARE(pixelAt(button, centre), QColor(Qt::green));
    QTest::mouseMove(other);
    QTRY_VERIFY(!button->isHovered());
    QCOMPARE(pixelAt(button, centre), QColor(Qt::blue));
}

void TestHyperlinkControls::normalIconDefaultsToTheActiveOne()
{
    HoverButton button;
    button.setIcons(solidIcon(Qt::green));
    button.resize(button.sizeHint());
    QCOMPARE(pixelAt(&button, button.rect().center()), QColor(Qt::green));
    QCOMPARE(button.iconSize(), QSize(16, 16));
}

void TestHyperlinkControls::losingFocusPutsTheLightOut()
{
    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    auto *button = new HoverButton(QStringLiteral("Go"), &window);
    auto *edit = new QLineEdit(&window);
    layout->addWidget(button);
    layout->addWidget(edit);
    button->setFlat(true);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    button->setFocus();
    QTest::mouseMove(button);
    QTRY_VERIFY(button->isHovered());
    edit->setFocus();
    QVERIFY(!button->isHovered());
}

void TestHyperlinkControls::doubleClickCountsAsSecondPress()
{
    HoverButton button(QStringLiteral("Select All"));
    button.show();
    QVERIFY(QTest::qWaitForWindowExposed(&button));
    QSignalSpy clicks(&button, &QAbstractButton::clicked);
    QTest::mousePress(&button, Qt::LeftButton);
    QTest::mouseRelease(&button, Qt::LeftButton);
    QTest::mouseDClick(&button, Qt::LeftButton);
    QTest::mouseRelease(&button, Qt::LeftButton);
    QCOMPARE(clicks.count(), 2);
}

void TestHyperlinkControls::coloursFollowThePaletteUntilSet()
{
    HoverButton button(QStringLiteral("Go"));
    const QColor face = button.palette().color(QPalette::Button);
    QCOMPARE(button.colour(HoverButton::Colour::ActiveBackground), face);
    button.setColour(HoverButton::Colour::ActiveBackground, Qt::yellow);
    QCOMPARE(button.colour(HoverButton::Colour::ActiveBackground), QColor(Qt::yellow));
    QCOMPARE(button.colour(HoverButton::Colour::NormalBackground), face);

    // A raised button shows its normal face colour.
    button.setColour(HoverButton::Colour::NormalBackground, QColor(0, 0, 160));
    button.resize(120, 40);
    QCOMPARE(pixelAt(&button, QPoint(8, 20)), QColor(0, 0, 160));

    button.resetColour(HoverButton::Colour::ActiveBackground);
    QCOMPARE(button.colour(HoverButton::Colour::ActiveBackground), face);
    QPalette changed = button.palette();
    changed.setColor(QPalette::Button, Qt::cyan);
    button.setPalette(changed);
    QCOMPARE(button.colour(HoverButton::Colour::ActiveBackground), QColor(Qt::cyan));
}

QTEST_MAIN(TestHyperlinkControls)
#include "tst_controls_hyperlink.moc"

#include "app/mainwindow.h"
#include "browser/browserprofile.h"
#include "core/failinghive.h"
#include "pagetesting.h"
#include "privacy/internetoptionsdialog.h"
#include "privacy/optionsdialog.h"
#include "privacy/settings/internetsettings.h"
#include "privacy/settings/privacyoptions.h"
#include "res/ids.h"
#include "webtesting.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QAccessible>
#include <QtTest>

namespace {

const QList<int> TemplateOrder{Ids::OptionsDeleteCookies, Ids::OptionsDeleteCache,
                               Ids::OptionsDeleteHistory, Ids::OptionsPopupFlag};

// File > Options, clicked as a person does; work runs on the open dialog.
void openOptions(MainWindow &window, std::function<void(OptionsDialog *)> work)
{
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QAction *file = window.menuBar()->actions().first();
    QTest::mouseClick(window.menuBar(), Qt::LeftButton, {},
                      window.menuBar()->actionGeometry(file).center());
    QMenu *menu = file->menu();
    QTRY_VERIFY(menu->isVisible());
    QAction *options = menu->actions().first();
    QCOMPARE(options->data().toInt(), Ids::Options);
    whenShown<OptionsDialog>([work = std::move(work)](OptionsDialog *dialog) {
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        work(dialog);
    });
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(options).center());
}

// On the box itself: a wide check box takes clicks only on its box and text.
// Or as a screen reader does it, through the box's toggle action; or Space.
void tick(QCheckBox *box, const QString &how = QStringLiteral("mouse"))
{
    if (how == u"assistive tool") {
        QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(box);
        accessible->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    } else if (how == u"Space") {
        box->setFocus();
        QTest::keyClick(box, Qt::Key_Space);
    } else {
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(box->height() / 2, box->height() / 2));
    }
}

void clickButton(QDialog *dialog, QDialogButtonBox::StandardButton which)
{
    QPushButton *button = dialog->findChild<QDialogButtonBox *>()->button(which);
    QTest::mouseClick(button, Qt::LeftButton);
}

QByteArray stored(Hive &hive, const char *name)
{
    return hive.queryValue(PrivacyStore::KeyPath, name).value_or("missing");
}

} // namespace

class TestPrivacyOptionsDialog : public QObject
{
    Q_OBJECT

public:
    static void initMain() { initWebEngineTests(); }

private slots:
    void cleanup() { Prompts::instance().takeAsked(); }
    void showsTheTemplateInOrder();
    void okWritesAllFourAndCopiesThem_data();
    void okWritesAllFourAndCopiesThem();
    void cancelWritesAndChangesNothing_data();
    void cancelWritesAndChangesNothing();
    void aFailedSaveIsToldAndTheOptionsStillApply();
    void internetOptionsOpenAboveAndKeepTheirSettings_data();
    void internetOptionsOpenAboveAndKeepTheirSettings();
    void internetOptionsThatCannotBeSavedStayOpen();
    void closingTheWindowRemovesWhatTheStoredOptionsSay_data();
    void closingTheWindowRemovesWhatTheStoredOptionsSay();
};

void TestPrivacyOptionsDialog::showsTheTemplateInOrder()
{
    MemoryHive hive;
    OptionsDialog dialog(&hive);
    dialog.setOptions({1, 0, 1, 0});
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));

    QCOMPARE(dialog.windowTitle(), QStringLiteral("Options"));
    const QStringList texts{"Auto delete cookies on program exit",
                            "Auto delete cache on program exit",
                            "Auto delete history on program exit",
                            "Set popup flag when new page downloaded"};
    int lastY = -1;
    for (int i = 0; i < TemplateOrder.size(); ++i) {
        QCheckBox *box = dialog.checkBox(TemplateOrder[i]);
        QVERIFY(box);
        QCOMPARE(box->text(), texts[i]);
        QVERIFY(box->y() > lastY);
        lastY = box->y();
    }
    QVERIFY(dialog.checkBox(Ids::OptionsPopupFlag)->isChecked());
    QVERIFY(dialog.checkBox(Ids::OptionsDeleteHistory)->isChecked());
    QVERIFY(!dialog.checkBox(Ids::OptionsDeleteCookies)->isChecked());
    QCOMPARE(dialog.internetOptionsButton()->text(), QStringLiteral("Internet Options"));
    auto *buttons = dialog.findChild<QDialogButtonBox *>();
    QCOMPARE(buttons->button(QDialogButtonBox::Ok)->text().remove(u'&'), QStringLiteral("OK"));
    QCOMPARE(buttons->button(QDialogButtonBox::Cancel)->text().remove(u'&'),
             QStringLiteral("Cancel"));
    QVERIFY(buttons->button(QDialogButtonBox::Ok)->isDefault());
}

void TestPrivacyOptionsDialog::okWritesAllFourAndCopiesThem_data()
{
    QTest::addColumn<QByteArrayList>("before"); // flagReset, flagCook, flagHistory, flagCache
    QTest::addColumn<QList<int>>("clicked");
    QTest::addColumn<QByteArrayList>("after");
    QTest::addColumn<QString>("how");

    QTest::newRow("no values, no clicks")
        << QByteArrayList{} << QList<int>{} << QByteArrayList{"0", "0", "0", "0"} << "mouse";
    QTest::newRow("odd values kept as read")
        << QByteArrayList{"2", "x1", "-1", ""} << QList<int>{}
        << QByteArrayList{"2", "0", "-1", "0"} << "mouse";
    QTest::newRow("every box ticked")
        << QByteArrayList{} << TemplateOrder << QByteArrayList{"1", "1", "1", "1"} << "mouse";
    QTest::newRow("ticked twice is off again")
        << QByteArrayList{"0", "1", "0", "0"}
        << QList<int>{Ids::OptionsDeleteCache, Ids::OptionsDeleteCache, Ids::OptionsDeleteCookies}
        << QByteArrayList{"0", "0", "0", "0"} << "mouse";
    QTest::newRow("every box ticked by an assistive tool")
        << QByteArrayList{} << TemplateOrder << QByteArrayList{"1", "1", "1", "1"}
        << "assistive tool";
    QTest::newRow("every box ticked with Space")
        << QByteArrayList{} << TemplateOrder << QByteArrayList{"1", "1", "1", "1"} << "Space";
}

void TestPrivacyOptionsDialog::okWritesAllFourAndCopiesThem()
{
    QFETCH(QByteArrayList, before);
    QFETCH(QList<int>, clicked);
    QFETCH(QByteArrayList, after);
    QFETCH(QString, how);

    const QList<QByteArray> names{"flagReset", "flagCook", "flagHistory", "flagCache"};
    FailingHive hive;
    QVERIFY(hive.createKey(PrivacyStore::KeyPath));
    for (int i = 0; i < before.size(); ++i)
        QVERIFY(hive.setValue(PrivacyStore::KeyPath, names[i], before[i]));

    MainWindow window(&hive);
    hive.writtenNames.clear(); // the first run's default bookmarks
    openOptions(window, [&](OptionsDialog *dialog) {
        for (int id : clicked)
            tick(dialog->checkBox(id), how);
        clickButton(dialog, QDialogButtonBox::Ok);
    });

    QCOMPARE(hive.writtenNames, names);
    for (int i = 0; i < names.size(); ++i)
        QCOMPARE(stored(hive, names[i].constData()), after[i]);
    const PrivacyOptions &options = window.privacyOptions();
    QCOMPARE(options.popupFlag, after[0].toInt());
    QCOMPARE(options.deleteCookiesOnExit, after[1].toInt());
    QCOMPARE(options.deleteHistoryOnExit, after[2].toInt());
    QCOMPARE(options.deleteCacheOnExit, after[3].toInt());
    QCOMPARE(Prompts::instance().takeAsked(), QStringList());
}

void TestPrivacyOptionsDialog::cancelWritesAndChangesNothing_data()
{
    QTest::addColumn<bool>("byEscape");
    QTest::newRow("Cancel button") << false;
    QTest::newRow("Escape key") << true;
}

void TestPrivacyOptionsDialog::cancelWritesAndChangesNothing()
{
    QFETCH(bool, byEscape);
    FailingHive hive;
    QVERIFY(hive.createKey(PrivacyStore::KeyPath));
    QVERIFY(hive.setValue(PrivacyStore::KeyPath, PrivacyStore::DeleteHistory, "1"));

    MainWindow window(&hive);
    hive.writtenNames.clear(); // the first run's default bookmarks
    openOptions(window, [&](OptionsDialog *dialog) {
        for (int id : TemplateOrder)
            tick(dialog->checkBox(id));
        if (byEscape)
            QTest::keyClick(dialog, Qt::Key_Escape);
        else
            clickButton(dialog, QDialogButtonBox::Cancel);
    });

    QCOMPARE(hive.writtenNames, QList<QByteArray>());
    const PrivacyOptions &options = window.privacyOptions();
    QCOMPARE(options.popupFlag, 0);
    QCOMPARE(options.deleteCookiesOnExit, 0);
    QCOMPARE(options.deleteHistoryOnExit, 1);
    QCOMPARE(options.deleteCacheOnExit, 0);
}

void TestPrivacyOptionsDialog::aFailedSaveIsToldAndTheOptionsStillApply()
{
    FailingHive hive;
    MainWindow window(&hive);
    hive.failWrites = true;
    answer({QMessageBox::Ok});
    openOptions(window, [&](OptionsDialog *dialog) {
        tick(dialog->checkBox(Ids::OptionsDeleteCookies));
        clickButton(dialog, QDialogButtonBox::Ok);
    });

    const QStringList asked = Prompts::instance().takeAsked();
    QCOMPARE(asked.size(), 1);
    QVERIFY(asked.first().contains(QStringLiteral("could not be saved")));
    QCOMPARE(window.privacyOptions().deleteCookiesOnExit, 1);
}

void TestPrivacyOptionsDialog::internetOptionsOpenAboveAndKeepTheirSettings_data()
{
    QTest::addColumn<bool>("ok");
    QTest::newRow("OK stores") << true;
    QTest::newRow("Cancel stores nothing") << false;
}

void TestPrivacyOptionsDialog::internetOptionsOpenAboveAndKeepTheirSettings()
{
    QFETCH(bool, ok);
    MemoryHive hive;
    MainWindow window(&hive);
    bool optionsStayedOpen = false;
    openOptions(window, [&](OptionsDialog *dialog) {
        whenShown<InternetOptionsDialog>([&](InternetOptionsDialog *internet) {
            QVERIFY(QTest::qWaitForWindowExposed(internet));
            QCOMPARE(internet->parentWidget(), dialog);
            QVERIFY(internet->homePageEdit()->text().isEmpty()); // the start page
            QVERIFY(internet->javaScriptBox()->isChecked());
            QVERIFY(internet->imagesBox()->isChecked());
            QVERIFY(!internet->doNotTrackBox()->isChecked());
            QTest::keyClicks(internet->homePageEdit(), QStringLiteral("http://127.0.0.1:9/home"));
            tick(internet->javaScriptBox());
            tick(internet->doNotTrackBox());
            clickButton(internet, ok ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel);
        });
        QTest::mouseClick(dialog->internetOptionsButton(), Qt::LeftButton);
        optionsStayedOpen = dialog->isVisible()
            && QApplication::activeModalWidget() == dialog;
        clickButton(dialog, QDialogButtonBox::Cancel);
    });

    QVERIFY(optionsStayedOpen);
    const InternetSettings expected =
        ok ? InternetSettings{QStringLiteral("http://127.0.0.1:9/home"), false, true, true}
           : InternetSettings{};
    const InternetSettings loaded = InternetSettings::load(&hive);
    QCOMPARE(loaded.homePage, expected.homePage);
    QCOMPARE(loaded.javaScript, expected.javaScript);
    QCOMPARE(loaded.images, expected.images);
    QCOMPARE(loaded.doNotTrack, expected.doNotTrack);
}

void TestPrivacyOptionsDialog::internetOptionsThatCannotBeSavedStayOpen()
{
    FailingHive hive;
    hive.failWrites = true;
    InternetOptionsDialog dialog(&hive);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    answer({QMessageBox::Ok});
    tick(dialog.doNotTrackBox());
    clickButton(&dialog, QDialogButtonBox::Ok);

    QVERIFY(dialog.isVisible());
    QCOMPARE(dialog.result(), 0);
    QCOMPARE(Prompts::instance().takeAsked().size(), 1);
}

void TestPrivacyOptionsDialog::closingTheWindowRemovesWhatTheStoredOptionsSay_data()
{
    QTest::addColumn<QByteArray>("flag");
    QTest::newRow("all off") << QByteArray("0");
    QTest::newRow("all on") << QByteArray("1");
}

void TestPrivacyOptionsDialog::closingTheWindowRemovesWhatTheStoredOptionsSay()
{
    QFETCH(QByteArray, flag);
    const QString data = BrowserProfile::storagePath();
    const QString cache = BrowserProfile::cachePath();
    const QStringList traces{data + "/Cookies", data + "/Visited Links",
                             data + "/Local Storage/leveldb/000003.log",
                             cache + "/Cache/Cache_Data/index"};
    for (const QString &path : traces) {
        QVERIFY(QDir().mkpath(QFileInfo(path).path()));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }

    MemoryHive hive;
    for (const char *name : {PrivacyStore::DeleteCookies, PrivacyStore::DeleteHistory,
                             PrivacyStore::DeleteCache})
        QVERIFY(writeOptionValue(&hive, flag, name));
    {
        MainWindow window(&hive);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.close();
        for (const QString &path : traces)
            QVERIFY(QFileInfo::exists(path)); // only once the window is gone
    }
    for (const QString &path : traces)
        QVERIFY2(QFileInfo::exists(path) == (flag == "0"), qPrintable(path));
    QVERIFY(QFileInfo(data).isDir());
    QVERIFY(QFileInfo(cache).isDir());
}

QTEST_MAIN(TestPrivacyOptionsDialog)
#include "tst_privacy_optionsdialog.moc"

#include "app/mainwindow.h"
#include "controls/prompts.h"
#include "import/bookmarkexport.h"
#include "import/readers/bookmarkfilereader.h"
#include "res/ids.h"
#include "store/bookmarkstore.h"
#include "store/hive/memoryhive.h"

#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QtTest>

class TestImportExportMenu final : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void exportFromTheFileMenu_data();
    void exportFromTheFileMenu();

private:
    static void chooseExport(MainWindow &window);
    QTemporaryDir m_dir;
};

void TestImportExportMenu::cleanup()
{
    BookmarkExport::setFileChooser({});
    Prompts::instance().setAnswerAll(false);
    Prompts::instance().takeAsked();
}

// Opens File and clicks the entry, as a person does.
void TestImportExportMenu::chooseExport(MainWindow &window)
{
    QMenuBar *bar = window.menuBar();
    QAction *file = bar->actions().at(0);
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(file).center());
    QMenu *menu = file->menu();
    QTRY_VERIFY(menu->isVisible());
    QAction *entry = nullptr;
    for (QAction *action : menu->actions())
        if (action->data().toInt() == Ids::ExportBookmarks)
            entry = action;
    QVERIFY(entry);
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(entry).center());
}

void TestImportExportMenu::exportFromTheFileMenu_data()
{
    QTest::addColumn<QString>("relative"); // empty: the user cancels the file dialog
    QTest::addColumn<bool>("written");
    QTest::newRow("written") << "out/bookmarks.html" << true;
    QTest::newRow("written over a readable file") << "out/old.html" << true;
    QTest::newRow("cancelled") << "" << false;
    QTest::newRow("folder missing") << "missing/folder/bookmarks.html" << false;
}

void TestImportExportMenu::exportFromTheFileMenu()
{
    QFETCH(QString, relative);
    QFETCH(bool, written);
    QVERIFY(QDir(m_dir.path()).mkpath("out"));
    const QString path = relative.isEmpty() ? QString() : m_dir.filePath(relative);
    if (relative.endsWith(QStringLiteral("old.html"))) {
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        QVERIFY(old.setPermissions(old.permissions() | QFile::ReadOther | QFile::ReadGroup));
    }
    QString proposed;
    BookmarkExport::setFileChooser([&](QWidget *, const QString &offered) {
        proposed = offered;
        return path;
    });
    Prompts::instance().setAnswerAll(true);

    MemoryHive hive;
    MainWindow window(&hive);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    chooseExport(window);
    QTRY_VERIFY(!proposed.isEmpty());
    QVERIFY(proposed.endsWith("bookmarks.html"));

    const QStringList asked = Prompts::instance().takeAsked();
    QCOMPARE(QFileInfo::exists(path), written);
    if (written) {
        QVERIFY(asked.isEmpty());
        QCOMPARE(QFile::permissions(path) & 0x0777, QFile::ReadUser | QFile::WriteUser);
        const auto read = BookmarkFileReader::parseBookmarkFile(path, "NN Bookmarks");
        QCOMPARE(read.rows.size(), window.bookmarkStore()->bookmarkCount());
        QVERIFY(read.rows.size() > 0);
    } else if (!path.isEmpty()) {
        QCOMPARE(asked.size(), 1);
        QVERIFY(asked.first().contains(QDir::toNativeSeparators(path)));
    } else {
        QVERIFY(asked.isEmpty());
    }
}

QTEST_MAIN(TestImportExportMenu)
#include "tst_import_exportmenu.moc"

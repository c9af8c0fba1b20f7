#include "importtesting.h"

#include "controls/hoverbutton.h"
#include "import/importfavoritesdialog.h"
#include "import/importlist.h"
#include "organiser/bookmarkpageaccess.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTabBar>

#include <sqlite3.h>

namespace {

using Tab = ImportFavoritesDialog::Tab;

QByteArray fileHash(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly)
               ? QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256)
               : QByteArray();
}

// A Firefox profile's places.sqlite: the menu holds the duplicate, the toolbar a new one.
void writePlaces(const QString &path)
{
    QDir().mkpath(QFileInfo(path).path());
    sqlite3 *db = nullptr;
    sqlite3_open(QFile::encodeName(path).constData(), &db);
    sqlite3_exec(db,
                 "CREATE TABLE moz_places (id INTEGER PRIMARY KEY, url LONGVARCHAR, title LONGVARCHAR);"
                 "CREATE TABLE moz_bookmarks (id INTEGER PRIMARY KEY, type INTEGER, fk INTEGER, "
                 "parent INTEGER, position INTEGER, title LONGVARCHAR, guid TEXT);"
                 "INSERT INTO moz_places VALUES (1, 'http://dup.example/', NULL), "
                 "(2, 'http://ff.example/', NULL);"
                 "INSERT INTO moz_bookmarks VALUES (1, 2, NULL, 0, 0, '', 'root________'), "
                 "(2, 2, NULL, 1, 0, 'menu', 'menu________'), "
                 "(3, 2, NULL, 1, 1, 'toolbar', 'toolbar_____'), "
                 "(10, 1, 1, 2, 0, 'From Firefox', 'a'), (11, 1, 2, 3, 0, 'New FF', 'b');",
                 nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

const QByteArray ChromiumJson =
    "{\"roots\": {"
    "\"bookmark_bar\": {\"children\": [{\"name\": \"New CR\", \"type\": \"url\", "
    "\"url\": \"http://cr.example/\"}], \"name\": \"Bookmarks bar\", \"type\": \"folder\"}, "
    "\"other\": {\"children\": [{\"name\": \"From Chromium\", \"type\": \"url\", "
    "\"url\": \"http://dup.example/\"}], \"name\": \"Other bookmarks\", \"type\": \"folder\"}, "
    "\"synced\": {\"children\": [], \"name\": \"Mobile bookmarks\", \"type\": \"folder\"}}, "
    "\"version\": 1}";

void clickTab(ImportFavoritesDialog &dialog, Tab tab)
{
    QTest::mouseClick(dialog.tabBar(), Qt::LeftButton, {}, dialog.tabBar()->tabRect(tab).center());
}

} // namespace

class TestImportProfileTabs final : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void importFromBothProfiles_data();
    void importFromBothProfiles();
    void unreadableProfileSaysWhy_data();
    void unreadableProfileSaysWhy();

private:
    QString home(const QString &relative) const { return m_dir->filePath("home/" + relative); }
    std::unique_ptr<QTemporaryDir> m_dir;
    QByteArray m_realHome;
    QByteArray m_realConfig;
};

void TestImportProfileTabs::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_realHome = qgetenv("HOME");
    qputenv("HOME", m_dir->filePath("home").toUtf8());
    // The browsers keep their profiles below the XDG config folder.
    m_realConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", m_dir->filePath("home/.config").toUtf8());
    qputenv("USERPROFILE", m_dir->filePath("profile").toUtf8());
    Prompts::instance().takeAsked();
}

void TestImportProfileTabs::cleanup()
{
    qputenv("HOME", m_realHome);
    qputenv("XDG_CONFIG_HOME", m_realConfig);
    QCOMPARE(Prompts::instance().pendingAnswers(), 0);
    m_dir.reset();
}

void TestImportProfileTabs::importFromBothProfiles_data()
{
    QTest::addColumn<QMessageBox::StandardButton>("reply");
    QTest::addColumn<QString>("topTitle");
    QTest::newRow("no keeps the old one") << QMessageBox::No << "Old";
    QTest::newRow("yes overwrites") << QMessageBox::Yes << "From Chromium";
}

// One question for the duplicates of both tabs; folders as each browser has them.
void TestImportProfileTabs::importFromBothProfiles()
{
    QFETCH(QMessageBox::StandardButton, reply);
    QFETCH(QString, topTitle);
    const QString places = home(".mozilla/firefox/abcd.default-release/places.sqlite");
    writePlaces(places);
    const QString chromium = writeFile(home(".config/chromium/Default/Bookmarks"), ChromiumJson);
    const QByteArray placesBefore = fileHash(places);
    ImportPage page;
    page.store().addBookmark({"http://dup.example/", "Old", {}, {}, 4, "0"});

    ImportFavoritesDialog dialog(page, page.hive());
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    for (Tab tab : {Tab::FirefoxTab, Tab::ChromiumTab}) {
        clickTab(dialog, tab);
        QVERIFY(dialog.list(tab)->isVisible());
        QCOMPARE(dialog.list(tab)->rowCount(), 2);
        QVERIFY(!dialog.removeOnImport(tab));
        QVERIFY(!dialog.removeOnImport(Tab::FavoritesTab)->isVisible());
        QVERIFY(!dialog.removeOnImport(Tab::BookmarkFileTab)->isVisible());
        QTest::mouseClick(dialog.selectAllButton(), Qt::LeftButton);
    }
    // Each profile by its name, its file behind it.
    QCOMPARE(dialog.locations(Tab::FirefoxTab)->currentText(), "abcd.default-release");
    QCOMPARE(dialog.locations(Tab::FirefoxTab)->currentData().toString(), places);
    QCOMPARE(dialog.locations(Tab::ChromiumTab)->currentText(), "Default");
    QCOMPARE(dialog.locations(Tab::ChromiumTab)->currentData().toString(), chromium);
    answer({reply});
    QTest::mouseClick(dialog.importButton(), Qt::LeftButton);

    QCOMPARE(Prompts::instance().takeAsked().size(), 1);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(page.file().titlesOnFile(0), QStringList{topTitle});
    QStringList folders = page.file().folderNamesOnFile(0);
    folders.sort();
    QCOMPARE(folders, (QStringList{"Bookmarks Toolbar", "Bookmarks bar"}));
    QCOMPARE(page.file().titlesOnFile(page.store().findFolder("Bookmarks Toolbar", 0)),
             QStringList{"New FF"});
    QCOMPARE(page.file().titlesOnFile(page.store().findFolder("Bookmarks bar", 0)),
             QStringList{"New CR"});
    QCOMPARE(fileHash(places), placesBefore);
}

void TestImportProfileTabs::unreadableProfileSaysWhy_data()
{
    QTest::addColumn<int>("tab");
    QTest::addColumn<QString>("relative");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("firefox damaged") << int(Tab::FirefoxTab)
                                     << ".mozilla/firefox/x.default/places.sqlite"
                                     << QByteArray(4096, 'x');
    QTest::newRow("chromium cut short") << int(Tab::ChromiumTab) << ".config/chromium/Default/Bookmarks"
                                        << QByteArray("{\"roots\": {\"other\": {\"children\": [");
}

void TestImportProfileTabs::unreadableProfileSaysWhy()
{
    QFETCH(int, tab);
    QFETCH(QString, relative);
    QFETCH(QByteArray, bytes);
    const QString path = writeFile(home(relative), bytes);
    ImportPage page;
    ImportFavoritesDialog dialog(page, page.hive());
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    Prompts::instance().setAnswerAll(true);
    clickTab(dialog, Tab(tab));
    Prompts::instance().setAnswerAll(false);
    const QStringList asked = Prompts::instance().takeAsked();
    QCOMPARE(asked.size(), 1);
    QVERIFY(asked.first().contains(path));
    QCOMPARE(dialog.list(Tab(tab))->rowCount(), 0);
    QCOMPARE(QFile(path).size(), qint64(bytes.size()));

    // Nothing listed, nothing checked: the dialog's own warning, and no import.
    answer({QMessageBox::Ok});
    QTest::mouseClick(dialog.importButton(), Qt::LeftButton);
    QCOMPARE(Prompts::instance().takeAsked(),
             QStringList{"You must select at least one Bookmark to import."});
    QCOMPARE(page.store().bookmarkCount(), 0);
}

QTEST_MAIN(TestImportProfileTabs)
#include "tst_import_profiletabs.moc"

#include "importtesting.h"

#include "core/failinghive.h"

#include "controls/hoverbutton.h"
#include "import/importfavoritesdialog.h"
#include "import/importlist.h"
#include "import/importprogress.h"
#include "organiser/bookmarkpageaccess.h"
#include "organiser/bookmarkspage.h"
#include "organiser/foldertree.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProgressDialog>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTabBar>

#include <sqlite3.h>

namespace {

using Tab = ImportFavoritesDialog::Tab;

const QString Question = QStringLiteral(
    "You have selected some Favorites that are already on your list. Do you wish to overwrite "
    "these Favorites? ");

QByteArray shortcut(const QString &address)
{
    return "[InternetShortcut]\r\nURL=" + address.toUtf8() + "\r\n";
}

QByteArray bookmarkLine(const QString &address, const QString &title)
{
    return "<DT><A HREF=\"" + address.toUtf8() + "\">" + title.toUtf8() + "</A>\n";
}

QByteArray bookmarkFile(const QByteArray &top, const QString &folder, const QByteArray &inside)
{
    return "<DL><p>\n" + top + "<DT><H3>" + folder.toUtf8() + "</H3>\n<DL><p>\n" + inside
           + "</DL><p>\n</DL><p>\n";
}

// A Firefox profile whose menu holds an empty folder and a folder of these
// bookmarks; positions, not ids, give their order.
void writeFirefoxProfile(const QString &path, const QStringList &titles)
{
    QByteArray sql = "CREATE TABLE moz_places (id INTEGER PRIMARY KEY, url TEXT, title TEXT);"
                     "CREATE TABLE moz_bookmarks (id INTEGER PRIMARY KEY, type INTEGER, fk INTEGER, "
                     "parent INTEGER, position INTEGER, title TEXT, guid TEXT);"
                     "INSERT INTO moz_bookmarks VALUES (1, 2, NULL, 0, 0, '', 'root________'), "
                     "(2, 2, NULL, 1, 0, 'menu', 'menu________'), (3, 2, NULL, 2, 0, 'Empty', 'e'), "
                     "(4, 2, NULL, 2, 1, 'Many', 'm');";
    for (int i = 0; i < titles.size(); ++i) {
        const QByteArray n = QByteArray::number(i);
        sql += "INSERT INTO moz_places VALUES (" + n + ", 'http://" + n + ".example/', NULL);"
               "INSERT INTO moz_bookmarks VALUES (" + QByteArray::number(1000 - i) + ", 1, " + n
               + ", 4, " + n + ", '" + titles[i].toUtf8() + "', 'g" + n + "');";
    }
    QDir().mkpath(QFileInfo(path).path());
    sqlite3 *db = nullptr;
    QCOMPARE(sqlite3_open(QFile::encodeName(path).constData(), &db), SQLITE_OK);
    QCOMPARE(sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
}

// A Chromium profile's Bookmarks with the same two folders under "Other bookmarks".
QByteArray chromiumBookmarks(const QStringList &titles)
{
    QJsonArray many;
    for (int i = 0; i < titles.size(); ++i)
        many.append(QJsonObject{{"type", "url"}, {"name", titles[i]},
                                {"url", QStringLiteral("http://%1.example/").arg(i)}});
    const QJsonArray folders{
        QJsonObject{{"type", "folder"}, {"name", "Empty"}, {"children", QJsonArray()}},
        QJsonObject{{"type", "folder"}, {"name", "Many"}, {"children", many}}};
    const QJsonObject other{{"type", "folder"}, {"name", "Other bookmarks"}, {"children", folders}};
    return QJsonDocument(QJsonObject{{"roots", QJsonObject{{"other", other}}}, {"version", 1}})
        .toJson();
}

int lineWithTitle(ImportList *list, const QString &title)
{
    for (int line = 0; line < list->rowCount(); ++line) {
        if (list->text(line, ImportFavoritesDialog::TitleColumn) == title)
            return line;
    }
    return -1;
}

void check(ImportList *list, const QString &title)
{
    const int line = lineWithTitle(list, title);
    QVERIFY2(line >= 0, qPrintable(title));
    list->setChecked(line, true);
}

QPoint checkBoxCentre(ImportList *list, int line)
{
    QStyleOptionViewItem option;
    option.initFrom(list->viewport());
    option.rect = list->lineRect(line);
    option.features |= QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay;
    option.text = list->text(line, 0);
    return list->style()
        ->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, list)
        .center();
}

QStringList column(ImportList *list, int column)
{
    QStringList texts;
    for (int line = 0; line < list->rowCount(); ++line)
        texts << list->text(line, column);
    return texts;
}

} // namespace

class TestImportDialog final : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void opensOnThePersonsData();
    void overwriteQuestion_data();
    void overwriteQuestion();
    void warningKeepsDialogOpen();
    void importKeepsNestingAndCutsTitles();
    void recentLocations();
    void browsedFileIsListedAtOnce();
    void hugeFileIsRefusedWithAMessage();
    void pageReloadsAfterImport();
    void clickRule();
    void selectAllButtons();
    void removeOnImport();
    void cancelledImportKeepsCommittedBookmarks();
    void questionIsNeverUnderTheProgressBox();
    void failuresAfterImportAreToldOnce();
    void keepsOrderCommentsAndEmptyFolders_data();
    void keepsOrderCommentsAndEmptyFolders();
    void failedRemovalsToldInOneMessage();

private:
    QString favorites() const { return m_dir->filePath(QStringLiteral("profile/Favorites")); }
    QString mozillaFile() const
    {
        return QDir::homePath() + QStringLiteral("/.mozilla/firefox/abc.default/bookmarks.html");
    }
    static QString chromiumRoot() { return qEnvironmentVariable("XDG_CONFIG_HOME") + "/chromium"; }

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestImportDialog::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    qputenv("USERPROFILE", m_dir->filePath(QStringLiteral("profile")).toUtf8());
    QDir(QDir::homePath() + QStringLiteral("/.mozilla")).removeRecursively();
    QDir(chromiumRoot()).removeRecursively();
    Prompts::instance().takeAsked();
    ImportFavoritesDialog::setPathChooser({});
}

void TestImportDialog::cleanup()
{
    QCOMPARE(Prompts::instance().pendingAnswers(), 0);
    m_dir.reset();
}

void TestImportDialog::opensOnThePersonsData()
{
    writeFile(favorites() + QStringLiteral("/Top.url"), shortcut("http://top.example/"));
    writeFile(favorites() + QStringLiteral("/Links/Sub/Deep.url"), shortcut("http://deep.example/"));
    writeFile(mozillaFile(), bookmarkFile(bookmarkLine("http://a.example/", "Zed"), "Alpha",
                                          bookmarkLine("http://b.example/", "Bee")));
    ImportPage page;
    ImportFavoritesDialog dialog(page, page.hive());
    QCOMPARE(dialog.favoritesRoot(), favorites());
    ImportList *ie = dialog.list(Tab::FavoritesTab);
    QCOMPARE(ie->rowCount(), 2);
    QCOMPARE(ie->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Favorite"));
    QCOMPARE(ie->columnWidth(1), 170);
    // Sorted by folder: "IE Favorites" before "Sub".
    QCOMPARE(column(ie, 2), (QStringList{"IE Favorites", "Sub"}));
    QCOMPARE(dialog.locations(Tab::BookmarkFileTab)->currentText(), mozillaFile());
    ImportList *nn = dialog.list(Tab::BookmarkFileTab);
    QCOMPARE(nn->rowCount(), 2);
    QCOMPARE(column(nn, 2), (QStringList{"Alpha", "NN Bookmarks"}));

    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QVERIFY(ie->isVisible() && !nn->isVisible());
    QVERIFY(dialog.removeOnImport(Tab::FavoritesTab)->isVisible());
    QVERIFY(!dialog.removeOnImport(Tab::BookmarkFileTab)->isVisible());
    QTabBar *tabs = dialog.tabBar();
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center());
    QVERIFY(nn->isVisible() && !ie->isVisible());
    QVERIFY(dialog.locations(Tab::BookmarkFileTab)->isVisible());
    QVERIFY(!dialog.locations(Tab::FavoritesTab)->isVisible());
    QVERIFY(dialog.removeOnImport(Tab::BookmarkFileTab)->isVisible());

    // The header sorts, ascending first; a line's check box goes with it.
    nn->setChecked(1, true);
    QHeaderView *header = nn->header();
    const auto clickHeader = [header](int section) {
        const int x = header->sectionViewportPosition(section) + header->sectionSize(section) / 2;
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
    };
    clickHeader(0);
    QCOMPARE(column(nn, 0), (QStringList{"Bee", "Zed"}));
    QVERIFY(nn->isChecked(1));
    clickHeader(0);
    QCOMPARE(column(nn, 0), (QStringList{"Zed", "Bee"}));
    QVERIFY(nn->isChecked(0) && !nn->isChecked(1));
    QCOMPARE(header->sortIndicatorOrder(), Qt::DescendingOrder);
}

void TestImportDialog::overwriteQuestion_data()
{
    QTest::addColumn<QMessageBox::StandardButton>("reply");
    QTest::addColumn<QStringList>("linksTitles");
    QTest::newRow("no keeps the old one") << QMessageBox::No
                                          << QStringList{"New IE", "New NN", "Old"};
    QTest::newRow("yes overwrites both") << QMessageBox::Yes
                                         << QStringList{"From NN", "New IE", "New NN"};
}

void TestImportDialog::overwriteQuestion()
{
    QFETCH(QMessageBox::StandardButton, reply);
    QFETCH(QStringList, linksTitles);
    writeFile(favorites() + QStringLiteral("/Links/From IE.url"), shortcut("http://dup.example/"));
    writeFile(favorites() + QStringLiteral("/Links/New IE.url"), shortcut("http://ie.example/"));
    const QString file = m_dir->filePath(QStringLiteral("bookmarks.html"));
    writeFile(file, bookmarkFile({}, "Links",
                                 bookmarkLine("http://dup.example/", "From NN")
                                     + bookmarkLine("http://nn.example/", "New NN")));
    ImportPage page;
    const int links = page.store().addFolder(QStringLiteral("Links"), 0);
    page.store().addBookmark({"http://dup.example/", "Old", "kept comment", {}, 3,
                              QString::number(links)});

    ImportFavoritesDialog::setPathChooser([&](QWidget *, Tab) { return file; });
    ImportFavoritesDialog dialog(page, page.hive());
    dialog.show();
    QTest::mouseClick(dialog.tabBar(), Qt::LeftButton, {}, dialog.tabBar()->tabRect(1).center());
    QTest::mouseClick(dialog.browseButton(), Qt::LeftButton);
    QTest::mouseClick(dialog.selectAllButton(), Qt::LeftButton);
    check(dialog.list(Tab::FavoritesTab), QStringLiteral("From IE"));
    check(dialog.list(Tab::FavoritesTab), QStringLiteral("New IE"));
    answer({reply});
    QTest::mouseClick(dialog.importButton(), Qt::LeftButton);

    QCOMPARE(Prompts::instance().takeAsked(), QStringList{Question});
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QStringList titles = page.file().titlesOnFile(links);
    titles.sort();
    QCOMPARE(titles, linksTitles);
    QCOMPARE(page.file().folderNamesOnFile(0), QStringList{"Links"});
}

void TestImportDialog::warningKeepsDialogOpen()
{
    writeFile(favorites() + QStringLiteral("/Top.url"), shortcut("http://top.example/"));
    ImportPage page;
    ImportFavoritesDialog dialog(page, page.hive());
    dialog.show();
    answer({QMessageBox::Ok});
    QTest::mouseClick(dialog.importButton(), Qt::LeftButton);
    QCOMPARE(Prompts::instance().takeAsked(),
             QStringList{"You must select at least one Bookmark to import."});
    QVERIFY(dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QVERIFY(!page.hive()->queryValue(ImportFavoritesDialog::RecentKey, "RecentIE0"));
}

void TestImportDialog::importKeepsNestingAndCutsTitles()
{
    const QString longTitle = QString(150, QLatin1Char('t'));
    const QString longAddress = "http://long.example/" + QString(300, QLatin1Char('a'));
    writeFile(favorites() + QStringLiteral("/Links/") + longTitle + QStringLiteral(".url"),
              shortcut(longAddress));
    ImportPage page;
    ImportFavoritesDialog dialog(page, page.hive());
    dialog.show();
    QTest::mouseClick(dialog.selectAllButton(), Qt::LeftButton);
    QTest::mouseClick(dialog.importButton(), Qt::LeftButton);
    QCOMPARE(dialog.importedCount(), 1);
    QCOMPARE(page.file().folderNamesOnFile(0), QStringList{"Links"});
    BookmarkStore &store = page.store();
    store.beginBookmarkScan(QString::number(store.findFolder(QStringLiteral("Links"), 0)));
    QVERIFY(store.nextBookmark());
    QCOMPARE(store.currentBookmark().title, longTitle.left(100));
    QCOMPARE(store.currentBookmark().address, longAddress);
    QCOMPARE(store.currentBookmark().rating, 0);
    QVERIFY(store.currentBookmark().comments.isEmpty());
}

void TestImportDialog::recentLocations()
{
    ImportPage page;
    Hive *hive = page.hive();
    const QString key = ImportFavoritesDialog::RecentKey;
    hive->createKey(key);
    hive->setValue(key, "RecentIE0", "/a/bc");
    hive->setValue(key, "RecentIE1", "/A/B"); // found by the prefix search: not listed again
    hive->setValue(key, "RecentNN11", "/left/alone");
    writeFile(favorites() + QStringLiteral("/Top.url"), shortcut("http://top.example/"));

    QStringList files;
    for (int i = 0; i < 12; ++i) {
        files << m_dir->filePath(QStringLiteral("f%1/bookmarks.html").arg(i, 2, 10, QChar('0')));
        writeFile(files.last(), bookmarkLine("http://x.example/", "X"));
    }
    int next = 0;
    ImportFavoritesDialog::setPathChooser([&](QWidget *, Tab) { return files.at(next++); });
    ImportFavoritesDialog dialog(page, hive);
    QCOMPARE(dialog.locations(Tab::FavoritesTab)->count(), 1);
    dialog.show();
    QTest::mouseClick(dialog.tabBar(), Qt::LeftButton, {}, dialog.tabBar()->tabRect(1).center());
    for (int i = 0; i < 12; ++i)
        QTest::mouseClick(dialog.browseButton(), Qt::LeftButton);
    QCOMPARE(dialog.locations(Tab::BookmarkFileTab)->count(), 12);
    QTest::mouseClick(dialog.selectAllButton(), Qt::LeftButton);
    QTest::mouseClick(dialog.importButton(), Qt::LeftButton);

    for (int i = 0; i < 10; ++i)
        QCOMPARE(hive->queryValue(key, "RecentNN" + QByteArray::number(i)).value_or("-"),
                 files.at(11 - i).toUtf8());
    QVERIFY(!hive->queryValue(key, "RecentNN10"));
    QCOMPARE(hive->queryValue(key, "RecentNN11").value_or("-"), QByteArray("/left/alone"));
    QCOMPARE(hive->queryValue(key, "RecentIE0").value_or("-"), QByteArray("/a/bc"));
    QCOMPARE(hive->queryValue(key, "RecentIE1").value_or("-"), QByteArray("/A/B"));
}

void TestImportDialog::browsedFileIsListedAtOnce()
{
    const QString chosen = m_dir->filePath(QStringLiteral("bookmarks.html"));
    writeFile(chosen, bookmarkLine("http://chosen.example/", "Chosen"));
    writeFile(chosen + QStringLiteral(".old"), bookmarkLine("http://old.example/", "Old"));
    ImportPage page;
    page.hive()->createKey(ImportFavoritesDialog::RecentKey);
    page.hive()->setValue(ImportFavoritesDialog::RecentKey, "RecentNN0", (chosen + ".old").toUtf8());
    ImportFavoritesDialog::setPathChooser([&](QWidget *, Tab) { return chosen; });
    ImportFavoritesDialog dialog(page, page.hive());
    QCOMPARE(dialog.list(Tab::BookmarkFileTab)->rowCount(), 0);
    dialog.show();
    QTest::mouseClick(dialog.tabBar(), Qt::LeftButton, {}, dialog.tabBar()->tabRect(1).center());
    QTest::mouseClick(dialog.browseButton(), Qt::LeftButton);
    // The file chosen is read, not the recent one whose name merely begins like it.
    QCOMPARE(dialog.locations(Tab::BookmarkFileTab)->currentText(), chosen);
    ImportList *nn = dialog.list(Tab::BookmarkFileTab);
    QCOMPARE(column(nn, 0), QStringList{"Chosen"});
}

void TestImportDialog::hugeFileIsRefusedWithAMessage()
{
    QFile huge(m_dir->filePath(QStringLiteral("huge/bookmarks.html")));
    QDir().mkpath(QFileInfo(huge).path());
    QVERIFY(huge.open(QIODevice::WriteOnly));
    QVERIFY(huge.resize(qint64(256) * 1024 * 1024 + 1)); // sparse: costs no disk
    huge.close();
    ImportFavoritesDialog::setPathChooser([&](QWidget *, Tab) { return huge.fileName(); });
    ImportPage page;
    ImportFavoritesDialog dialog(page, page.hive());
    dialog.show();
    QTest::mouseClick(dialog.tabBar(), Qt::LeftButton, {}, dialog.tabBar()->tabRect(1).center());
    answer({QMessageBox::Ok});
    QTest::mouseClick(dialog.browseButton(), Qt::LeftButton);
    const QStringList asked = Prompts::instance().takeAsked();
    QCOMPARE(asked.size(), 1);
    QVERIFY2(asked.first().contains(QLatin1String("256 MB")), qPrintable(asked.first()));
    QCOMPARE(dialog.list(Tab::BookmarkFileTab)->rowCount(), 0);
}

void TestImportDialog::pageReloadsAfterImport()
{
    writeFile(favorites() + QStringLiteral("/Imported Here/New.url"), shortcut("http://new.example/"));
    TestHive file;
    BookmarkStore store(file.hive());
    BookmarksPage page(store);
    whenShown<ImportFavoritesDialog>([](ImportFavoritesDialog *dialog) {
        QTest::mouseClick(dialog->selectAllButton(), Qt::LeftButton);
        QTest::mouseClick(dialog->importButton(), Qt::LeftButton);
    });
    page.importBookmarks(file.hive());
    const auto found = page.folderTree()->findItems(QStringLiteral("Imported Here"),
                                                    Qt::MatchExactly | Qt::MatchRecursive);
    QCOMPARE(found.size(), 1);
    QCOMPARE(file.titlesOnFile(store.findFolder(QStringLiteral("Imported Here"), 0)),
             QStringList{"New"});
}

void TestImportDialog::clickRule()
{
    writeFile(favorites() + QStringLiteral("/One.url"), shortcut("http://one.example/"));
    ImportPage page;
    ImportFavoritesDialog dialog(page, page.hive());
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    ImportList *list = dialog.list(Tab::FavoritesTab);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->lineRect(0, 1).center());
    QVERIFY(list->isChecked(0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, checkBoxCentre(list, 0));
    QVERIFY(!list->isChecked(0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, checkBoxCentre(list, 0));
    QVERIFY(list->isChecked(0));
    // Space toggles the line in focus, as the address cell has it here.
    list->setCurrentIndex(list->model()->index(0, 1));
    QTest::keyClick(list, Qt::Key_Space);
    QVERIFY(!list->isChecked(0));
}

void TestImportDialog::selectAllButtons()
{
    writeFile(favorites() + QStringLiteral("/One.url"), shortcut("http://one.example/"));
    writeFile(favorites() + QStringLiteral("/Two.url"), shortcut("http://two.example/"));
    const QString file = m_dir->filePath(QStringLiteral("bookmarks.html"));
    writeFile(file, bookmarkLine("http://x.example/", "X"));
    ImportFavoritesDialog::setPathChooser([&](QWidget *, Tab) { return file; });
    ImportPage page;
    ImportFavoritesDialog dialog(page, page.hive());
    dialog.show();
    auto checkedCount = [&](Tab tab) {
        int count = 0;
        for (int i = 0; i < dialog.list(tab)->rowCount(); ++i)
            count += dialog.list(tab)->isChecked(i);
        return count;
    };
    QTest::mouseClick(dialog.tabBar(), Qt::LeftButton, {}, dialog.tabBar()->tabRect(1).center());
    QTest::mouseClick(dialog.browseButton(), Qt::LeftButton);
    QTest::mouseClick(dialog.tabBar(), Qt::LeftButton, {}, dialog.tabBar()->tabRect(0).center());
    QTest::mouseClick(dialog.selectAllButton(), Qt::LeftButton);
    QCOMPARE(checkedCount(Tab::FavoritesTab), 2);
    QCOMPARE(checkedCount(Tab::BookmarkFileTab), 0); // only the list in front
    QTest::mouseClick(dialog.deselectAllButton(), Qt::LeftButton);
    QCOMPARE(checkedCount(Tab::FavoritesTab), 0);
}

void TestImportDialog::removeOnImport()
{
    writeFile(favorites() + QStringLiteral("/Dup.url"), shortcut("http://dup.example/"));
    writeFile(favorites() + QStringLiteral("/Stays.url"), shortcut("http://stays.example/"));
    const QString file = m_dir->filePath(QStringLiteral("bookmarks.html"));
    const QByteArray page1 = bookmarkLine("http://a.example/page", "Longer");
    writeFile(file, page1 + bookmarkLine("http://a.example/", "Short"));
    ImportPage page;
    page.store().addBookmark({"http://dup.example/", "Old", {}, {}, 0, "0"});
    ImportFavoritesDialog::setPathChooser([&](QWidget *, Tab) { return file; });
    ImportFavoritesDialog dialog(page, page.hive());
    dialog.show();
    check(dialog.list(Tab::FavoritesTab), QStringLiteral("Dup"));
    QTest::mouseClick(dialog.removeOnImport(Tab::FavoritesTab), Qt::LeftButton);
    QTest::mouseClick(dialog.tabBar(), Qt::LeftButton, {}, dialog.tabBar()->tabRect(1).center());
    QTest::mouseClick(dialog.browseButton(), Qt::LeftButton);
    check(dialog.list(Tab::BookmarkFileTab), QStringLiteral("Short"));
    QTest::mouseClick(dialog.removeOnImport(Tab::BookmarkFileTab), Qt::LeftButton);
    answer({QMessageBox::No});
    QTest::mouseClick(dialog.importButton(), Qt::LeftButton);

    QCOMPARE(Prompts::instance().takeAsked(), QStringList{Question});
    // The duplicate answered No still leaves its source.
    QVERIFY(!QFile::exists(favorites() + QStringLiteral("/Dup.url")));
    QVERIFY(QFile::exists(favorites() + QStringLiteral("/Stays.url")));
    QFile rewritten(file);
    QVERIFY(rewritten.open(QIODevice::ReadOnly));
    QCOMPARE(rewritten.readAll(), page1);
}

void TestImportDialog::keepsOrderCommentsAndEmptyFolders_data()
{
    QTest::addColumn<int>("tab");
    QTest::newRow("favorites") << int(Tab::FavoritesTab);
    QTest::newRow("bookmark file") << int(Tab::BookmarkFileTab);
    QTest::newRow("firefox") << int(Tab::FirefoxTab);
    QTest::newRow("chromium") << int(Tab::ChromiumTab);
}

// 200 bookmarks in one folder arrive in the source's order, whatever the
// list's sort did to them; a folder that holds nothing arrives too.
void TestImportDialog::keepsOrderCommentsAndEmptyFolders()
{
    QFETCH(int, tab);
    QStringList titles;
    QByteArray inside;
    for (int i = 0; i < 200; ++i) {
        titles << QStringLiteral("B%1").arg(i, 3, 10, QLatin1Char('0'));
        inside += bookmarkLine(QStringLiteral("http://%1.example/").arg(i), titles.last());
        writeFile(favorites() + "/Many/" + titles.last() + ".url",
                  shortcut(QStringLiteral("http://%1.example/").arg(i)));
    }
    inside += "<DD>about &lt;B199&gt;\n";
    QVERIFY(QDir().mkpath(favorites() + "/Empty"));
    const QString file = m_dir->filePath(QStringLiteral("bookmarks.html"));
    writeFile(file, bookmarkFile("<DT><H3>Empty</H3>\n<DL><p>\n</DL><p>\n", "Many", inside));
    writeFirefoxProfile(QDir::homePath() + "/.mozilla/firefox/abc.default/places.sqlite", titles);
    writeFile(chromiumRoot() + "/Default/Bookmarks", chromiumBookmarks(titles));
    ImportPage page;
    ImportFavoritesDialog::setPathChooser([&](QWidget *, Tab) { return file; });
    ImportFavoritesDialog dialog(page, page.hive());
    dialog.show();
    if (tab != Tab::FavoritesTab)
        QTest::mouseClick(dialog.tabBar(), Qt::LeftButton, {}, dialog.tabBar()->tabRect(tab).center());
    if (tab == Tab::BookmarkFileTab)
        QTest::mouseClick(dialog.browseButton(), Qt::LeftButton);
    QTest::mouseClick(dialog.selectAllButton(), Qt::LeftButton);
    QTest::mouseClick(dialog.importButton(), Qt::LeftButton);
    QCOMPARE(dialog.importedCount(), 200);
    const int many = page.store().findFolder(QStringLiteral("Many"), 0);
    QCOMPARE(page.file().titlesOnFile(many), titles);
    QVERIFY(page.store().findFolder(QStringLiteral("Empty"), 0) > 0);
    if (tab == Tab::BookmarkFileTab) {
        page.store().beginBookmarkScan(QString::number(many));
        QString comment;
        while (page.store().nextBookmark())
            comment = page.store().currentBookmark().comments;
        QCOMPARE(comment, QStringLiteral("about <B199>"));
    }
}

// Every shortcut that could not be removed, and recent locations that could
// not be saved, are told together once the bookmarks are in.
void TestImportDialog::failedRemovalsToldInOneMessage()
{
    writeFile(favorites() + QStringLiteral("/Changed.url"), shortcut("http://c.example/"));
    writeFile(favorites() + QStringLiteral("/Linked.url"), shortcut("http://l.example/"));
    writeFile(favorites() + QStringLiteral("/Fine.url"), shortcut("http://f.example/"));
    ImportPage page;
    ImportFavoritesDialog dialog(page, page.hive());
    dialog.show();
    writeFile(favorites() + QStringLiteral("/Changed.url"), shortcut("http://other.example/"));
    QVERIFY(QFile::remove(favorites() + QStringLiteral("/Linked.url")));
    QVERIFY(QFile::link(favorites() + QStringLiteral("/Fine.url"),
                        favorites() + QStringLiteral("/Linked.url")));
    QTest::mouseClick(dialog.selectAllButton(), Qt::LeftButton);
    QTest::mouseClick(dialog.removeOnImport(Tab::FavoritesTab), Qt::LeftButton);
    Prompts::instance().setAnswerAll(true);
    QTest::mouseClick(dialog.importButton(), Qt::LeftButton);
    Prompts::instance().setAnswerAll(false);
    const QStringList told = Prompts::instance().takeAsked();
    QCOMPARE(told.size(), 1);
    QVERIFY(told.first().contains("Changed.url"));
    QVERIFY(told.first().contains("Linked.url"));
    QVERIFY(!told.first().contains("Fine.url:"));
    QCOMPARE(dialog.importedCount(), 3);
    QVERIFY(QFile::exists(favorites() + QStringLiteral("/Changed.url")));
    QVERIFY(!QFileInfo::exists(favorites() + QStringLiteral("/Fine.url")));
}

void TestImportDialog::cancelledImportKeepsCommittedBookmarks()
{
    QByteArray lines;
    for (int i = 0; i < 3000; ++i)
        lines += bookmarkLine(QStringLiteral("http://%1.example/").arg(i), QString::number(i));
    const QString file = m_dir->filePath(QStringLiteral("bookmarks.html"));
    writeFile(file, lines);
    ImportFavoritesDialog::setPathChooser([&](QWidget *, Tab) { return file; });
    ImportPage page;
    ImportFavoritesDialog dialog(page, page.hive());
    dialog.show();
    QTest::mouseClick(dialog.tabBar(), Qt::LeftButton, {}, dialog.tabBar()->tabRect(1).center());
    QTest::mouseClick(dialog.browseButton(), Qt::LeftButton);
    QTest::mouseClick(dialog.selectAllButton(), Qt::LeftButton);

    ImportProgress::setShowDelay(0);
    // Cancel as soon as the import's progress dialog is up and past its first chunk.
    QTimer canceller;
    connect(&canceller, &QTimer::timeout, &dialog, [&] {
        auto *progress = dialog.findChild<QProgressDialog *>();
        if (progress && progress->isVisible() && progress->value() > 400)
            progress->cancel();
    });
    canceller.start(0);
    answer({QMessageBox::Ok});
    QTest::mouseClick(dialog.importButton(), Qt::LeftButton);
    canceller.stop();
    ImportProgress::setShowDelay(400);

    const int imported = dialog.importedCount();
    QVERIFY2(imported > 1000 && imported < 3000, qPrintable(QString::number(imported)));
    QCOMPARE(Prompts::instance().takeAsked(),
             QStringList{QStringLiteral("The import was cancelled. %1 bookmark(s) were imported.")
                             .arg(imported)});
    QCOMPARE(page.file().titlesOnFile(0).size(), imported);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
}

void TestImportDialog::questionIsNeverUnderTheProgressBox()
{
    writeFile(favorites() + QStringLiteral("/Dup.url"), shortcut("http://dup.example/"));
    writeFile(favorites() + QStringLiteral("/New.url"), shortcut("http://new.example/"));
    ImportPage page;
    page.store().addBookmark({"http://dup.example/", "Old", {}, {}, 0, "0"});
    ImportFavoritesDialog dialog(page, page.hive());
    dialog.show();
    QTest::mouseClick(dialog.selectAllButton(), Qt::LeftButton);
    ImportProgress::setShowDelay(0);
    // A real question: the progress box is up before it and has time to come back over it.
    bool boxAside = false;
    QTimer watcher;
    connect(&watcher, &QTimer::timeout, &dialog, [&] {
        auto *question = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!question)
            return;
        watcher.stop();
        QTest::qWait(100);
        auto *progress = dialog.findChild<QProgressDialog *>();
        boxAside = progress && !progress->isVisible()
                   && QApplication::activeModalWidget() == question;
        question->button(QMessageBox::Yes)->click();
    });
    watcher.start(5);
    QTest::mouseClick(dialog.importButton(), Qt::LeftButton);
    ImportProgress::setShowDelay(400);
    QVERIFY(boxAside);
    QStringList titles = page.file().titlesOnFile(0);
    titles.sort();
    QCOMPARE(titles, (QStringList{"Dup", "New"}));
}

// A shortcut that became a folder cannot go, and the recent locations cannot be
// written: the import still ends, and one message names both.
void TestImportDialog::failuresAfterImportAreToldOnce()
{
    writeFile(favorites() + QStringLiteral("/Goes.url"), shortcut("http://goes.example/"));
    const QString stuck = writeFile(favorites() + QStringLiteral("/Stuck.url"),
                                    shortcut("http://stuck.example/"));
    ImportPage page;
    FailingHive recent;
    recent.createKey(ImportFavoritesDialog::RecentKey);
    recent.setValue(ImportFavoritesDialog::RecentKey, "RecentIE0", favorites().toUtf8());
    ImportFavoritesDialog dialog(page, &recent);
    dialog.show();
    QVERIFY(QFile::remove(stuck));
    writeFile(stuck + QStringLiteral("/inside"), "x");
    recent.failWrites = true;
    QTest::mouseClick(dialog.selectAllButton(), Qt::LeftButton);
    QTest::mouseClick(dialog.removeOnImport(Tab::FavoritesTab), Qt::LeftButton);
    answer({QMessageBox::Ok});
    QTest::mouseClick(dialog.importButton(), Qt::LeftButton);

    const QStringList asked = Prompts::instance().takeAsked();
    QCOMPARE(asked.size(), 1);
    QVERIFY(asked.first().contains("The recent import locations could not be saved.\n"));
    QVERIFY2(asked.first().contains("1 shortcut file(s) could not be removed:\n" + stuck + ": "),
             qPrintable(asked.first()));
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(!QFile::exists(favorites() + QStringLiteral("/Goes.url")));
    QCOMPARE(page.file().titlesOnFile(0).size(), 2);
}

QTEST_MAIN(TestImportDialog)
#include "tst_import_dialog.moc"

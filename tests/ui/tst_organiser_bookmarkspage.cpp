#include "core/failinghive.h"
#include "pagetesting.h"

#include "controls/splitterbar.h"
#include "organiser/bookmarkdialog.h"
#include "organiser/bookmarklist.h"
#include "organiser/bookmarkspage.h"
#include "organiser/dragstate.h"
#include "organiser/foldernamedialog.h"
#include "organiser/foldertree.h"
#include "organiser/foldertreeitem.h"
#include "organiser/movetofolderdialog.h"
#include "res/ids.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QDragEnterEvent>
#include <QHeaderView>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>

class TestBookmarksPage final : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void showsTheCollection();
    void fillsWhenFirstNeeded_data();
    void fillsWhenFirstNeeded();
    void addsBookmarks_data();
    void addsBookmarks();
    void editsTheFirstSelectedRow();
    void deletesAfterAsking_data();
    void deletesAfterAsking();
    void keepsTheHomePage();
    void opensSelectedRows_data();
    void opensSelectedRows();
    void putsHttpInFront_data();
    void putsHttpInFront();
    void movesRowsByMenuAndByDrag();
    void managesFolders();
    void deleteKeyFollowsTheFocus();
    void keysMoveByWholeRows_data();
    void keysMoveByWholeRows();
    void rowsFitTheirFont_data();
    void headerClicksSortAndKeepTheSelection_data();
    void headerClicksSortAndKeepTheSelection();
    void rowsFitTheirFont();
    void rowsNeverShareATag();
    void panesStayInsideWhenShrunk();
    void failedWritesWarnAndReload_data();
    void failedWritesWarnAndReload();
    void unreadFolderShowsNoneAndWarns();

private:
    QTreeWidgetItem *folderItem(const QString &name) const;
    QStringList listedTitles() const;
    void selectRows(std::initializer_list<int> rows);
    void showFolder(const QString &name);
    bool dragSelectedRowsTo(QTreeWidgetItem *folder);
    int idOf(const QString &folder) const { return FolderTreeItem::id(folderItem(folder)); }
    FailingHive &showPageOverFailingHive();

    std::unique_ptr<TestHive> m_file;
    std::unique_ptr<FailingHive> m_failing; // over m_file, when a test makes it fail
    std::unique_ptr<BookmarkStore> m_store;
    std::unique_ptr<BookmarksPage> m_page;
};

void TestBookmarksPage::init()
{
    m_file = std::make_unique<TestHive>();
    m_store = std::make_unique<BookmarkStore>(m_file->hive());
    m_page = std::make_unique<BookmarksPage>(*m_store);
    // Every reset, move and persistent index the list's model makes is checked
    // as it happens; the tester goes with the model.
    QAbstractItemModel *model = m_page->bookmarkList()->model();
    new QAbstractItemModelTester(model, QAbstractItemModelTester::FailureReportingMode::QtTest,
                                 model);
    m_page->resize(800, 500);
    m_page->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_page.get()));
    Prompts::instance().takeAsked();
}

void TestBookmarksPage::cleanup()
{
    QCOMPARE(Prompts::instance().pendingAnswers(), 0);
    m_page.reset();
    m_store.reset();
    m_failing.reset();
    m_file.reset();
}

// The page again, over a hive that fails the calls the test names.
FailingHive &TestBookmarksPage::showPageOverFailingHive()
{
    m_page.reset();
    m_store.reset();
    m_failing = std::make_unique<FailingHive>(*m_file->hive());
    m_store = std::make_unique<BookmarkStore>(m_failing.get());
    m_page = std::make_unique<BookmarksPage>(*m_store);
    m_page->show();
    return *m_failing;
}

QTreeWidgetItem *TestBookmarksPage::folderItem(const QString &name) const
{
    fillWholeTree(m_page->folderTree());
    const auto found = m_page->folderTree()->findItems(name, Qt::MatchExactly | Qt::MatchRecursive);
    return found.value(0);
}

QStringList TestBookmarksPage::listedTitles() const
{
    QStringList titles;
    BookmarkList *list = m_page->bookmarkList();
    for (int i = 0; i < list->rowCount(); ++i)
        titles << list->text(i, BookmarksPage::TitleColumn);
    return titles;
}

void TestBookmarksPage::selectRows(std::initializer_list<int> rows)
{
    BookmarkList *list = m_page->bookmarkList();
    list->clearSelection();
    for (int row : rows)
        list->setRowSelected(row, true);
}

void TestBookmarksPage::showFolder(const QString &name)
{
    m_page->folderTree()->setCurrentItem(folderItem(name));
}

// Delivers the drag that the list itself starts with its selected rows to the
// tree: enter, move and drop over the folder. True when the tree took it.
bool TestBookmarksPage::dragSelectedRowsTo(QTreeWidgetItem *folder)
{
    BookmarkList *list = m_page->bookmarkList();
    if (!list->dragEnabled())
        return false;
    const std::unique_ptr<QMimeData> data = list->beginBookmarkDrag();
    if (!data)
        return false;
    QWidget *target = m_page->folderTree()->viewport();
    const QPoint at = m_page->folderTree()->visualItemRect(folder).center();
    const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
    QDragEnterEvent enter(at, actions, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QDragMoveEvent move(at, actions, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &move);
    QDropEvent drop(at, actions, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    list->endBookmarkDrag();
    return enter.isAccepted() && move.isAccepted() && drop.isAccepted();
}

void TestBookmarksPage::showsTheCollection()
{
    FolderTree *tree = m_page->folderTree();
    QCOMPARE(tree->topLevelItemCount(), 1);
    QTreeWidgetItem *root = tree->topLevelItem(0);
    QCOMPARE(root->text(0), QStringLiteral("Favorites"));
    QVERIFY(root->isExpanded());
    QCOMPARE(tree->currentItem(), root);
    QCOMPARE(root->childCount(), 3);
    QCOMPARE(listedTitles(), QStringList{"Harbrow Home site"});
    QVERIFY(m_page->bookmarkList()->isRowSelected(0));

    showFolder("Software");
    QCOMPARE(listedTitles().size(), 3);
    QVERIFY(m_page->action(Ids::ListGo)->isEnabled());
}

// The views stay empty until the page is first shown or a command needs them;
// what changed meanwhile is in them once they fill.
void TestBookmarksPage::fillsWhenFirstNeeded_data()
{
    QTest::addColumn<bool>("changeFirst");
    QTest::addColumn<bool>("commandFirst");
    QTest::newRow("shown") << false << false;
    QTest::newRow("store changed while hidden") << true << false;
    QTest::newRow("command while hidden") << false << true;
}

void TestBookmarksPage::fillsWhenFirstNeeded()
{
    QFETCH(bool, changeFirst);
    QFETCH(bool, commandFirst);
    BookmarksPage hidden(*m_store);
    hidden.resize(800, 500);
    auto *list = hidden.findChild<BookmarkList *>();
    auto *tree = hidden.findChild<FolderTree *>();
    QCOMPARE(list->rowCount() + tree->topLevelItemCount(), 0);
    QStringList expected{"Harbrow Home site"};
    if (changeFirst) {
        QVERIFY(m_store->addBookmark({"http://later.example/", "Added while hidden", {}, {}, 5, "0"})
                > 0);
        hidden.reloadFolders();
        QCOMPARE(list->rowCount(), 0);
        expected << "Added while hidden";
    }
    if (commandFirst) {
        hidden.selectAllRows();
        QCOMPARE(list->selectedRows().size(), expected.size());
    } else {
        hidden.show();
        QVERIFY(QTest::qWaitForWindowExposed(&hidden));
    }
    QStringList titles;
    for (int i = 0; i < list->rowCount(); ++i)
        titles << list->text(i, BookmarksPage::TitleColumn);
    titles.sort();
    expected.sort();
    QCOMPARE(titles, expected);
    QCOMPARE(tree->topLevelItem(0)->childCount(), 3);
}

void TestBookmarksPage::addsBookmarks_data()
{
    QTest::addColumn<QString>("prefillTitle");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<bool>("insertKey"); // Insert in the list, not the command
    QTest::newRow("typed in") << QString() << true << false;
    QTest::newRow("offered by the browser") << QStringLiteral("Offered page") << true << false;
    QTest::newRow("cancelled") << QString() << false << false;
    QTest::newRow("Insert in the list") << QString() << true << true;
}

void TestBookmarksPage::addsBookmarks()
{
    QFETCH(QString, prefillTitle);
    QFETCH(bool, ok);
    QFETCH(bool, insertKey);
    showFolder("News");
    QSignalSpy changed(m_page.get(), &BookmarksPage::bookmarksChanged);
    whenShown<BookmarkDialog>([&](BookmarkDialog *dialog) {
        if (prefillTitle.isEmpty()) {
            QTest::keyClicks(dialog->addressEdit(), "https://www.example.org/");
            dialog->titleEdit()->setText(QStringLiteral("Typed page"));
        } else {
            QCOMPARE(dialog->titleEdit()->text(), prefillTitle);
        }
        if (ok)
            QTest::mouseClick(dialog->okButton(), Qt::LeftButton);
        else
            dialog->reject();
    });
    if (insertKey)
        QTest::keyClick(m_page->bookmarkList(), Qt::Key_Insert);
    else
        m_page->addBookmark(prefillTitle, QStringLiteral("http://offered.example/"));
    const QString title = prefillTitle.isEmpty() ? QStringLiteral("Typed page") : prefillTitle;
    QCOMPARE(listedTitles().contains(title), ok);
    if (ok) { // selected alone, where it can be seen
        const QList<int> selected = m_page->bookmarkList()->selectedRows();
        QCOMPARE(selected.size(), 1);
        QCOMPARE(m_page->bookmarkList()->text(selected.first(), 0), title);
        QCOMPARE(m_page->bookmarkList()->currentRow(), selected.first());
        QCOMPARE(m_page->bookmarkList()->text(selected.first(), 1),
                 prefillTitle.isEmpty() ? "https://www.example.org/" : "http://offered.example/");
    }
    QCOMPARE(m_file->titlesOnFile(idOf("News")).contains(title), ok);
    QCOMPARE(changed.count(), 1);
}

void TestBookmarksPage::editsTheFirstSelectedRow()
{
    showFolder("Software");
    selectRows({1, 2});
    const QString address = m_page->bookmarkList()->text(1, 1);
    whenShown<BookmarkDialog>([](BookmarkDialog *dialog) {
        dialog->titleEdit()->setText(QStringLiteral("Edited"));
        QTest::mouseClick(dialog->okButton(), Qt::LeftButton);
    });
    m_page->editBookmark();
    QCOMPARE(m_page->bookmarkList()->text(1, 0), QStringLiteral("Edited"));
    QCOMPARE(m_page->bookmarkList()->text(1, 1), address);
    QVERIFY(m_file->titlesOnFile(idOf("Software")).contains("Edited"));
}

void TestBookmarksPage::deletesAfterAsking_data()
{
    QTest::addColumn<QList<int>>("rows");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("question");
    QTest::addColumn<int>("left");
    QTest::addColumn<int>("added"); // bookmarks put in the folder first

    const QString many = QStringLiteral("Do you want to delete selected favorites?");
    QList<int> everyOther; // more separate runs than the list removes one by one
    for (int row = 0; row <= 40; row += 2)
        everyOther.append(row);
    QTest::newRow("every other of 43, yes")
        << everyOther << int(QMessageBox::Yes) << many << 22 << 40;
    QTest::newRow("row 0, yes") << QList<int>{0} << int(QMessageBox::Yes) << QString() << 2 << 0;
    QTest::newRow("row 0, no") << QList<int>{0} << int(QMessageBox::No) << QString() << 3 << 0;
    QTest::newRow("two, yes") << QList<int>{0, 2} << int(QMessageBox::Yes) << many << 1 << 0;
    QTest::newRow("all, no") << QList<int>{0, 1, 2} << int(QMessageBox::No) << many << 3 << 0;
    QTest::newRow("row 0, box closed")
        << QList<int>{0} << int(QMessageBox::NoButton) << QString() << 3 << 0;
}

void TestBookmarksPage::deletesAfterAsking()
{
    QFETCH(QList<int>, rows);
    QFETCH(int, answer);
    QFETCH(QString, question);
    QFETCH(int, left);
    QFETCH(int, added);
    for (int i = 0; i < added; ++i)
        QVERIFY(m_page->store().addBookmark({QStringLiteral("http://many.example/%1").arg(i),
                                             QStringLiteral("Many %1").arg(i),
                                             {},
                                             {},
                                             0,
                                             QString::number(idOf("Software"))}) >= 0);
    showFolder("Software");
    BookmarkList *list = m_page->bookmarkList();
    list->clearSelection();
    for (int row : rows)
        list->setRowSelected(row, true);
    if (question.isEmpty())
        question = QStringLiteral("Do you want to delete your bookmark '%1'?")
                       .arg(list->text(rows.first(), 0));
    Prompts::instance().queueAnswer(QMessageBox::StandardButton(answer));
    m_page->deleteSelection();
    QCOMPARE(Prompts::instance().takeAsked(), QStringList{question});
    QCOMPARE(list->rowCount(), left);
    QCOMPARE(list->verticalHeader()->count(), left); // no empty rows shown past the end
    QCOMPARE(m_file->titlesOnFile(idOf("Software")).size(), left);
    QStringList kept = listedTitles();
    QStringList onFile = m_file->titlesOnFile(idOf("Software"));
    kept.sort();
    onFile.sort();
    QCOMPARE(kept, onFile);
}

void TestBookmarksPage::keepsTheHomePage()
{
    m_page->store().addBookmark({"http://other.example", "Other", {}, {}, 1, "0"});
    m_page->fillList();
    selectRows({0, 1});
    answer({QMessageBox::Yes});
    m_page->deleteSelection();
    QCOMPARE(listedTitles(), QStringList{"Harbrow Home site"});
    QCOMPARE(m_file->titlesOnFile(0), QStringList{"Harbrow Home site"});
}

void TestBookmarksPage::opensSelectedRows_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("answer");
    QTest::addColumn<int>("opened");
    QTest::newRow("three, no question") << 3 << -1 << 3;
    QTest::newRow("four, yes") << 4 << int(QMessageBox::Yes) << 4;
    QTest::newRow("four, no") << 4 << int(QMessageBox::No) << 0;
}

void TestBookmarksPage::opensSelectedRows()
{
    QFETCH(int, rows);
    QFETCH(int, answer);
    QFETCH(int, opened);
    showFolder("Software");
    m_page->store().addBookmark({"http://fourth.example", "Fourth", {}, {}, 0, QString::number(idOf("Software"))});
    m_page->fillList();
    m_page->bookmarkList()->clearSelection();
    for (int i = 0; i < rows; ++i)
        m_page->bookmarkList()->setRowSelected(i, true);
    if (answer >= 0)
        Prompts::instance().queueAnswer(QMessageBox::StandardButton(answer));
    QSignalSpy opens(m_page.get(), &BookmarksPage::openAddressRequested);
    m_page->openSelection();
    QCOMPARE(opens.count(), opened);
    QCOMPARE(Prompts::instance().takeAsked().size(), answer >= 0 ? 1 : 0);
}

void TestBookmarksPage::putsHttpInFront_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("opened");
    QTest::newRow("no scheme") << "www.example.org" << "http://www.example.org";
    QTest::newRow("leading blank kept") << " example.org" << "http:// example.org";
    QTest::newRow("upper-case scheme") << "HTTPS://Example.org" << "HTTPS://Example.org";
    QTest::newRow("blank before a scheme") << "  ftp://files" << "  ftp://files";
    QTest::newRow("file") << "File:/tmp/x.html" << "File:/tmp/x.html";
    QTest::newRow("another scheme") << "mailto:me@example.org" << "http://mailto:me@example.org";
}

void TestBookmarksPage::putsHttpInFront()
{
    QFETCH(QString, stored);
    QFETCH(QString, opened);
    const int links = m_page->store().addFolder("Links", 0);
    m_page->store().addBookmark({stored, "Target", {}, {}, 5, QString::number(links)});
    m_page->reloadFolders();
    showFolder("Links");
    QCOMPARE(listedTitles(), QStringList{"Target"});
    QSignalSpy opens(m_page.get(), &BookmarksPage::openAddressRequested);
    QTest::keyClick(m_page->bookmarkList(), Qt::Key_Return);
    QCOMPARE(opens.count(), 1);
    QCOMPARE(opens.first().first().toString(), opened);
}

void TestBookmarksPage::movesRowsByMenuAndByDrag()
{
    showFolder("Software");
    selectRows({0, 2});
    const QString kept = m_page->bookmarkList()->text(1, 0);
    whenShown<MoveToFolderDialog>([](MoveToFolderDialog *dialog) {
        const auto news = dialog->tree()->findItems("News", Qt::MatchExactly | Qt::MatchRecursive);
        dialog->tree()->setCurrentItem(news.value(0));
        QTest::mouseClick(dialog->okButton(), Qt::LeftButton);
    });
    m_page->moveToFolder();
    QCOMPARE(listedTitles(), QStringList{kept});
    QCOMPARE(m_file->titlesOnFile(idOf("News")).size(), 3);

    // A drag of the one left onto "Programmers", as the list starts it.
    selectRows({0});
    QVERIFY(dragSelectedRowsTo(folderItem("Programmers")));
    QVERIFY(!DragState::bookmarkDragging());
    QVERIFY(!m_page->folderTree()->dropHighlightedItem());
    QVERIFY(listedTitles().isEmpty());
    QCOMPARE(m_file->titlesOnFile(idOf("Programmers")).size(), 2);
    QVERIFY(m_file->titlesOnFile(idOf("Software")).isEmpty());
}

void TestBookmarksPage::managesFolders()
{
    showFolder("Software");
    whenShown<FolderNameDialog>([](FolderNameDialog *dialog) {
        QTest::keyClicks(dialog->nameEdit(), "Tools");
        QTest::mouseClick(dialog->okButton(), Qt::LeftButton);
    });
    m_page->addFolder();
    QVERIFY(folderItem("Tools"));
    QCOMPARE(folderItem("Tools")->parent(), folderItem("Software"));
    QCOMPARE(m_file->folderNamesOnFile(idOf("Software")), QStringList{"Tools"});

    showFolder("Tools");
    whenShown<FolderNameDialog>([](FolderNameDialog *dialog) {
        dialog->nameEdit()->setText(QStringLiteral("Utilities"));
        QTest::mouseClick(dialog->okButton(), Qt::LeftButton);
    });
    m_page->renameFolder();
    QCOMPARE(m_file->folderNamesOnFile(idOf("Software")), QStringList{"Utilities"});

    showFolder("Software");
    answer({QMessageBox::No});
    m_page->deleteFolder();
    QVERIFY(folderItem("Software"));
    answer({QMessageBox::Yes});
    m_page->deleteFolder();
    QCOMPARE(Prompts::instance().takeAsked().last(),
             QStringLiteral("Do you want to delete folder 'Software'?"));
    QVERIFY(!folderItem("Software"));
    QVERIFY(!folderItem("Utilities"));
    QCOMPARE(m_file->folderNamesOnFile(0), (QStringList{"News", "Programmers"}));

    // The root can be neither deleted nor renamed.
    m_page->folderTree()->setCurrentItem(m_page->folderTree()->topLevelItem(0));
    m_page->deleteFolder();
    m_page->renameFolder();
    QCOMPARE(m_page->folderTree()->topLevelItem(0)->text(0), QStringLiteral("Favorites"));
}

void TestBookmarksPage::deleteKeyFollowsTheFocus()
{
    showFolder("News");
    m_page->folderTree()->setFocus();
    answer({QMessageBox::Yes});
    QTest::keyClick(m_page->folderTree(), Qt::Key_Delete);
    QVERIFY(!folderItem("News"));

    showFolder("Software");
    m_page->bookmarkList()->setFocus();
    selectRows({0});
    answer({QMessageBox::Yes});
    QTest::keyClick(m_page->bookmarkList(), Qt::Key_Delete);
    QCOMPARE(listedTitles().size(), 2);
    QCOMPARE(m_file->titlesOnFile(idOf("Software")).size(), 2);
}

void TestBookmarksPage::keysMoveByWholeRows_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("row"); // from the middle one of three
    QTest::newRow("home") << int(Qt::Key_Home) << 0;
    QTest::newRow("end") << int(Qt::Key_End) << 2;
    QTest::newRow("down") << int(Qt::Key_Down) << 2;
    QTest::newRow("up") << int(Qt::Key_Up) << 0;
    QTest::newRow("right stays") << int(Qt::Key_Right) << 1;
    QTest::newRow("left stays") << int(Qt::Key_Left) << 1;
}

void TestBookmarksPage::keysMoveByWholeRows()
{
    QFETCH(int, key);
    QFETCH(int, row);
    showFolder("Software");
    BookmarkList *list = m_page->bookmarkList();
    list->setFocus();
    list->setCurrentRow(1);
    QTest::keyClick(list, Qt::Key(key));
    QCOMPARE(list->currentRow(), row);
    QCOMPARE(list->selectedRows(), QList<int>{row});
    QCOMPARE(list->currentIndex().column(), 0);
}

void TestBookmarksPage::rowsFitTheirFont_data()
{
    QTest::addColumn<int>("pointSize");
    QTest::newRow("large") << 24;
    QTest::newRow("small") << 7;
}

void TestBookmarksPage::rowsFitTheirFont()
{
    QFETCH(int, pointSize);
    showFolder("Software");
    BookmarkList *list = m_page->bookmarkList();
    QFont font = list->font();
    font.setPointSize(pointSize);
    list->setFont(font);
    const int line = QFontMetrics(font).height();
    QVERIFY(list->rowRect(0).height() >= line);
    QVERIFY(list->rowRect(0).height() <= std::max(line, 16) + 4);
    QCOMPARE(list->rowRect(1).top(), list->rowRect(0).bottom() + 1);
}

void TestBookmarksPage::headerClicksSortAndKeepTheSelection_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("clicks");
    QTest::addColumn<QStringList>("titles");
    const QStringList ascending{"http://www.debian.org", "http://www.gnu.org",
                                "http://www.sqlite.org"};
    QStringList descending = ascending;
    std::reverse(descending.begin(), descending.end());
    QTest::newRow("title") << int(BookmarksPage::TitleColumn) << 1 << ascending;
    QTest::newRow("title again") << int(BookmarksPage::TitleColumn) << 2 << descending;
    QTest::newRow("address") << int(BookmarksPage::AddressColumn) << 1 << ascending;
    QTest::newRow("address twice, then title")
        << int(BookmarksPage::AddressColumn) << 3 << ascending;
}

// Clicks on the header itself; the selected bookmark stays selected wherever
// its row goes.
void TestBookmarksPage::headerClicksSortAndKeepTheSelection()
{
    QFETCH(int, column);
    QFETCH(int, clicks);
    QFETCH(QStringList, titles);
    showFolder("Software");
    BookmarkList *list = m_page->bookmarkList();
    const QString kept = QStringLiteral("http://www.sqlite.org");
    list->setCurrentRow(int(listedTitles().indexOf(kept)));
    QHeaderView *header = list->horizontalHeader();
    for (int click = 0; click < clicks; ++click) {
        const int at = click < 2 ? column : int(BookmarksPage::TitleColumn);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(at) + 5, header->height() / 2));
    }
    QCOMPARE(listedTitles(), titles);
    const int row = int(titles.indexOf(kept));
    QCOMPARE(list->selectedRows(), QList<int>{row});
    QCOMPARE(list->currentRow(), row);
}

void TestBookmarksPage::rowsNeverShareATag()
{
    showFolder("Software");
    selectRows({1});
    answer({QMessageBox::Yes});
    m_page->deleteSelection();
    // The added row must not take the number of a row still listed.
    whenShown<BookmarkDialog>([](BookmarkDialog *dialog) {
        QTest::keyClicks(dialog->addressEdit(), "new.example");
        dialog->titleEdit()->setText(QStringLiteral("New"));
        QTest::mouseClick(dialog->okButton(), Qt::LeftButton);
    });
    m_page->addBookmark();
    QSet<QString> tags;
    for (int i = 0; i < m_page->bookmarkList()->rowCount(); ++i)
        tags.insert(m_page->rowTag(i));
    QCOMPARE(tags.size(), 3);

    // Editing the new row edits the new bookmark, not the one before it.
    const int newRow = m_page->bookmarkList()->rowCount() - 1;
    selectRows({newRow});
    whenShown<BookmarkDialog>([](BookmarkDialog *dialog) {
        QCOMPARE(dialog->titleEdit()->text(), QStringLiteral("New"));
        dialog->reject();
    });
    m_page->editBookmark();
}

// The bar dragged far right in a wide page, then the page shrunk: the list
// keeps its minimum width inside the page and the bar stays within reach.
void TestBookmarksPage::panesStayInsideWhenShrunk()
{
    m_page->resize(1200, 500);
    auto *bar = m_page->findChild<SplitterBar *>();
    QVERIFY(bar);
    const int middle = bar->height() / 2;
    QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(2, middle));
    QTest::mouseMove(bar, QPoint(1180 - bar->x(), middle));
    QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(2, middle));
    QVERIFY(bar->x() > 1000);
    for (int width : {635, 300, 120}) {
        m_page->resize(width, 400);
        BookmarkList *list = m_page->bookmarkList();
        QVERIFY2(bar->geometry().right() < width, qPrintable(QString::number(width)));
        QVERIFY(m_page->folderTree()->geometry().right() < bar->x());
        QVERIFY(list->x() > bar->geometry().right());
        QCOMPARE(list->geometry().right(), width - 1);
        if (width >= 300)
            QVERIFY(list->width() >= 50);
    }
}

void TestBookmarksPage::failedWritesWarnAndReload_data()
{
    QTest::addColumn<QString>("kind"); // which hive call fails first
    QTest::addColumn<QString>("warning");

    QTest::newRow("add bookmark") << "set" << "The bookmark could not be added.";
    QTest::newRow("edit bookmark") << "set" << "The bookmark could not be changed.";
    QTest::newRow("delete bookmark") << "delete" << "could not be deleted";
    QTest::newRow("drag bookmark") << "rename+set" << "could not be moved";
    QTest::newRow("add folder") << "set" << "The folder could not be added.";
    QTest::newRow("rename folder") << "set" << "The folder could not be renamed.";
    QTest::newRow("delete folder") << "begin" << "could not be deleted";
}

// One warning, and the page shows what the file holds, in the folder it showed.
void TestBookmarksPage::failedWritesWarnAndReload()
{
    QFETCH(QString, kind);
    QFETCH(QString, warning);
    const QString row = QString::fromLatin1(QTest::currentDataTag());
    FailingHive &failing = showPageOverFailingHive();
    QVERIFY(QTest::qWaitForWindowExposed(m_page.get()));
    showFolder("Software");
    const QStringList before = m_file->titlesOnFile(4);
    failing.failSetAt = kind.contains("set") ? 1 : 0;
    failing.failDeleteAt = kind.contains("delete") ? 1 : 0;
    failing.failRenameAt = kind.contains("rename") ? 1 : 0;
    failing.failBeginAt = kind.contains("begin") ? 1 : 0;
    failing.restartCounting();
    Prompts::instance().setAnswerAll(true, QMessageBox::Yes);
    auto fillDialog = [](QDialog *dialog) {
        if (auto *bookmark = qobject_cast<BookmarkDialog *>(dialog)) {
            bookmark->addressEdit()->setText(QStringLiteral("http://changed.example"));
            bookmark->titleEdit()->setText(QStringLiteral("Changed"));
            QTest::mouseClick(bookmark->okButton(), Qt::LeftButton);
        } else if (auto *name = qobject_cast<FolderNameDialog *>(dialog)) {
            name->nameEdit()->setText(QStringLiteral("Renamed"));
            QTest::mouseClick(name->okButton(), Qt::LeftButton);
        }
    };
    if (!row.startsWith("delete") && row != "drag bookmark")
        whenShown<QDialog>(fillDialog);
    if (row == "add bookmark") {
        m_page->addBookmark();
    } else if (row == "edit bookmark") {
        m_page->editBookmark();
    } else if (row == "delete bookmark") {
        m_page->deleteSelection();
    } else if (row == "drag bookmark") {
        QVERIFY(dragSelectedRowsTo(folderItem("News")));
    } else {
        m_page->folderTree()->setFocus();
        if (row == "add folder")
            m_page->addFolder();
        else if (row == "rename folder")
            m_page->renameFolder();
        else
            m_page->deleteFolder();
    }
    Prompts::instance().setAnswerAll(false);
    QCoreApplication::processEvents();
    const QStringList asked = Prompts::instance().takeAsked();
    QVERIFY2(!asked.isEmpty() && asked.last().contains(warning), qPrintable(asked.join('|')));
    QVERIFY(asked.last().contains(QStringLiteral("it was not made")));
    QVERIFY(asked.last().contains(QStringLiteral("The disk that holds it is full.")));
    QCOMPARE(m_page->folderTree()->currentItem(), folderItem("Software"));
    QCOMPARE(m_file->titlesOnFile(4), before);
    QStringList listed = listedTitles();
    listed.sort();
    QStringList onFile = before;
    onFile.sort();
    QCOMPARE(listed, onFile);
    QCOMPARE(m_file->folderNamesOnFile(0), (QStringList{"News", "Programmers", "Software"}));
    QVERIFY(!folderItem("Renamed"));
    QVERIFY(!folderItem("New Folder"));
    m_page.reset();
}

// A read cut short hands over some of the folder: none of it is shown as if it
// were all, and the folder shows whole once it can be read.
void TestBookmarksPage::unreadFolderShowsNoneAndWarns()
{
    FailingHive &failing = showPageOverFailingHive();
    QVERIFY(QTest::qWaitForWindowExposed(m_page.get()));
    failing.restartCounting();
    failing.failReadAt = 1;
    Prompts::instance().setAnswerAll(true);
    showFolder("Software");
    Prompts::instance().setAnswerAll(false);
    QVERIFY(failing.injected());
    QCOMPARE(listedTitles(), QStringList());
    const QStringList asked = Prompts::instance().takeAsked();
    QVERIFY2(asked.size() == 1 && asked.first().contains(QStringLiteral("could not be read")),
             qPrintable(asked.join('|')));
    showFolder("News");
    showFolder("Software");
    QStringList listed = listedTitles();
    listed.sort();
    QStringList onFile = m_file->titlesOnFile(idOf("Software"));
    onFile.sort();
    QCOMPARE(listed, onFile);
    m_page.reset();
}

QTEST_MAIN(TestBookmarksPage)
#include "tst_organiser_bookmarkspage.moc"

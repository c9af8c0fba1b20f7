#include "core/failinghive.h"
#include "pagetesting.h"

#include "organiser/bookmarkdialog.h"
#include "organiser/bookmarkspage.h"
#include "organiser/foldertree.h"
#include "organiser/foldertreeitem.h"
#include "organiser/organizepage.h"
#include "res/ids.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>

class TestOrganizePage final : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void showsFoldersThenBookmarks();
    void createsNumberedFolders_data();
    void createsNumberedFolders();
    void aClickSelectsWhatItHit_data();
    void aClickSelectsWhatItHit();
    void renamesInPlace_data();
    void renamesInPlace();
    void refusesATakenFolderName();
    void deletesAfterAsking_data();
    void deletesAfterAsking();
    void editsABookmark();
    void dropsMoveTheStore();
    void createsAtTheTopOfAnEmptyCollection();
    void showsUntitledBookmarksByAddress();
    void failedWritesWarnAndReload();

private:
    QTreeWidgetItem *item(const QString &label) const;
    QLineEdit *editor() const;
    void typeLabel(const QString &text, int key = Qt::Key_Return);

    std::unique_ptr<TestHive> m_file;
    std::unique_ptr<BookmarkStore> m_store;
    std::unique_ptr<BookmarksPage> m_bookmarks;
    std::unique_ptr<OrganizePage> m_page;
};

void TestOrganizePage::init()
{
    m_file = std::make_unique<TestHive>();
    m_store = std::make_unique<BookmarkStore>(m_file->hive());
    m_bookmarks = std::make_unique<BookmarksPage>(*m_store);
    m_page = std::make_unique<OrganizePage>(*m_store);
    connect(m_page.get(), &OrganizePage::bookmarksChanged, m_bookmarks.get(),
            &BookmarksPage::reloadFolders);
    m_page->resize(600, 400);
    m_page->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_page.get()));
    Prompts::instance().takeAsked();
}

void TestOrganizePage::cleanup()
{
    QCOMPARE(Prompts::instance().pendingAnswers(), 0);
    m_page.reset();
    m_bookmarks.reset();
    m_store.reset();
    m_file.reset();
}

QTreeWidgetItem *TestOrganizePage::item(const QString &label) const
{
    fillWholeTree(m_page->tree());
    return m_page->tree()->findItems(label, Qt::MatchExactly | Qt::MatchRecursive).value(0);
}

QLineEdit *TestOrganizePage::editor() const
{
    return m_page->tree()->viewport()->findChild<QLineEdit *>();
}

void TestOrganizePage::typeLabel(const QString &text, int key)
{
    QLineEdit *line = editor();
    QVERIFY2(line, "no label is being edited");
    line->selectAll();
    QTest::keyClicks(line, text);
    QTest::keyClick(line, Qt::Key(key));
    QCoreApplication::processEvents();
}

void TestOrganizePage::showsFoldersThenBookmarks()
{
    FolderTree *tree = m_page->tree();
    QStringList top;
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        top << tree->topLevelItem(i)->text(0);
    QCOMPARE(top, (QStringList{"News", "Programmers", "Software", "Harbrow Home site"}));
    QCOMPARE(item("Software")->childCount(), 3);
    QVERIFY(!FolderTreeItem::isFolder(item("Harbrow Home site")));
    QCOMPARE(tree->currentItem(), tree->topLevelItem(0));
}

void TestOrganizePage::createsNumberedFolders_data()
{
    QTest::addColumn<bool>("collapse");
    QTest::addColumn<QString>("parent");
    QTest::newRow("beside a folder closed again") << true << QString();
    QTest::newRow("inside the folder its selection opened") << false << QStringLiteral("Software");
}

void TestOrganizePage::createsNumberedFolders()
{
    QFETCH(bool, collapse);
    QFETCH(QString, parent);
    QTreeWidgetItem *software = item("Software");
    const int parentId = parent.isEmpty() ? 0 : FolderTreeItem::id(software);
    for (const char *name : {"New Folder1", "New Folder2"})
        m_store->addFolder(name, parentId);
    m_page->rebuild();
    software = item("Software");
    QTest::mouseClick(m_page->tree()->viewport(), Qt::LeftButton, {},
                      m_page->tree()->visualItemRect(software).center());
    QCOMPARE(m_page->tree()->currentItem(), software);
    QVERIFY(software->isExpanded());
    if (collapse)
        software->setExpanded(false);

    m_page->createFolder();
    QTreeWidgetItem *created = item("New Folder3");
    QVERIFY(created);
    QCOMPARE(created->parent() ? created->parent()->text(0) : QString(), parent);
    QVERIFY(editor()); // the new name is open for editing
    typeLabel("Reading");
    QVERIFY(m_file->folderNamesOnFile(parentId).contains("Reading"));
}

// Opening the clicked folder closes the one above it: the click still selects
// the row it was made on, not the one that slid under the pointer, and so does
// the context menu of a right click. A folder opened by its arrow, with
// another row selected, closes all the same.
void TestOrganizePage::aClickSelectsWhatItHit_data()
{
    QTest::addColumn<QString>("opened");
    QTest::addColumn<QString>("clicked");
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<bool>("byArrow");
    QTest::newRow("a folder below an open one")
        << QStringLiteral("Programmers") << QStringLiteral("Software") << Qt::LeftButton << false;
    QTest::newRow("a bookmark below an open folder")
        << QStringLiteral("Software") << QStringLiteral("Harbrow Home site") << Qt::LeftButton
        << false;
    QTest::newRow("a folder inside an open one")
        << QStringLiteral("Software") << QStringLiteral("Software") << Qt::LeftButton << false;
    QTest::newRow("the menu of a folder below an open one")
        << QStringLiteral("News") << QStringLiteral("Programmers") << Qt::RightButton << false;
    QTest::newRow("a bookmark below a folder opened by its arrow")
        << QStringLiteral("Software") << QStringLiteral("Harbrow Home site") << Qt::LeftButton
        << true;
}

void TestOrganizePage::aClickSelectsWhatItHit()
{
    QFETCH(QString, opened);
    QFETCH(QString, clicked);
    QFETCH(Qt::MouseButton, button);
    QFETCH(bool, byArrow);
    FolderTree *tree = m_page->tree();
    QTreeWidgetItem *open = tree->findItems(opened, Qt::MatchExactly).value(0);
    tree->setCurrentItem(nullptr);
    if (byArrow) {
        tree->setCurrentItem(tree->topLevelItem(0)); // another folder, opened
        const QRect row = tree->visualItemRect(open);
        const QPoint arrow(row.left() - tree->indentation() / 2, row.center().y());
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, arrow);
    } else {
        tree->setCurrentItem(open);
    }
    QVERIFY(open->isExpanded());
    QTreeWidgetItem *target =
        clicked == opened ? open->child(0) : tree->findItems(clicked, Qt::MatchExactly).value(0);
    // Through the window, as the system delivers a click: a right one brings
    // the context menu too.
    const QPoint at = tree->viewport()->mapTo(m_page.get(), tree->visualItemRect(target).center());
    QSignalSpy menus(tree, &QWidget::customContextMenuRequested);
    QTest::mouseClick(m_page->windowHandle(), button, {}, at);
    QCOMPARE(menus.count(), button == Qt::RightButton ? 1 : 0);
    QCOMPARE(tree->currentItem(), target);
    QCOMPARE(tree->selectedItems(), QList<QTreeWidgetItem *>{target});
    QCOMPARE(open->isExpanded(), clicked == opened);
    if (QWidget *menu = QApplication::activePopupWidget())
        menu->close();
}

void TestOrganizePage::renamesInPlace_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("result");
    QTest::newRow("folder") << "News" << "Daily" << "Daily";
    QTest::newRow("folder, own name") << "News" << "News" << "News";
    QTest::newRow("folder, empty") << "News" << "" << "News";
    QTest::newRow("bookmark") << "Harbrow Home site" << "Home" << "Home";
    QTest::newRow("bookmark named like a folder") << "Harbrow Home site" << "News" << "News";
    QTest::newRow("folder, only its case") << "News" << "NEWS" << "NEWS";
    QTest::newRow("folder, blanks around") << "News" << "  Daily  " << "Daily";
    QTest::newRow("folder, blanks only") << "News" << "   " << "News";
}

void TestOrganizePage::renamesInPlace()
{
    QFETCH(QString, label);
    QFETCH(QString, typed);
    QFETCH(QString, result);
    m_page->tree()->setCurrentItem(item(label));
    m_page->renameItem();
    QLineEdit *line = editor();
    QVERIFY(line);
    line->clear();
    QTest::keyClicks(line, typed);
    QTest::keyClick(line, Qt::Key_Return);
    QCoreApplication::processEvents();
    QVERIFY(Prompts::instance().takeAsked().isEmpty());
    const bool folder = label == u"News";
    const QStringList onFile = folder ? m_file->folderNamesOnFile(0) : m_file->titlesOnFile(0);
    QVERIFY2(onFile.contains(result), qPrintable(onFile.join(',')));
}

void TestOrganizePage::refusesATakenFolderName()
{
    m_page->tree()->setCurrentItem(item("News"));
    m_page->renameItem();
    answer({QMessageBox::Ok});
    typeLabel("software");
    QCOMPARE(Prompts::instance().takeAsked(),
             QStringList{"A folder with the same name already exists.\nPlease specify a different name."});
    QVERIFY(item("News"));
    QCoreApplication::processEvents();
    QVERIFY(editor()); // editing goes on
    QTest::keyClick(editor(), Qt::Key_Escape);
    QCoreApplication::processEvents();
    QVERIFY(m_file->folderNamesOnFile(0).contains("News"));
    QVERIFY(m_page->isVisible()); // Escape never closes the page
}

void TestOrganizePage::deletesAfterAsking_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("question");
    QTest::newRow("folder, yes") << "Software" << int(QMessageBox::Yes)
                                 << "Do you want to delete current folder?";
    QTest::newRow("folder, no") << "Software" << int(QMessageBox::No)
                                << "Do you want to delete current folder?";
    QTest::newRow("bookmark, yes") << "Harbrow Home site" << int(QMessageBox::Yes)
                                   << "Do you want to delete selected bookmark?";
    QTest::newRow("folder, box closed") << "Software" << int(QMessageBox::NoButton)
                                        << "Do you want to delete current folder?";
}

void TestOrganizePage::deletesAfterAsking()
{
    QFETCH(QString, label);
    QFETCH(int, answer);
    QFETCH(QString, question);
    m_page->tree()->setCurrentItem(item(label));
    Prompts::instance().queueAnswer(QMessageBox::StandardButton(answer));
    QTest::keyClick(m_page->tree(), Qt::Key_Delete);
    QCOMPARE(Prompts::instance().takeAsked(), QStringList{question});
    const bool gone = answer == QMessageBox::Yes;
    QCOMPARE(!item(label), gone);
    const QStringList onFile = label == u"Software" ? m_file->folderNamesOnFile(0)
                                                     : m_file->titlesOnFile(0);
    QCOMPARE(!onFile.contains(label), gone);
}

void TestOrganizePage::editsABookmark()
{
    QTreeWidgetItem *bookmark = item("http://www.w3.org");
    QVERIFY(bookmark);
    m_page->tree()->scrollToItem(bookmark);
    emit m_page->tree()->customContextMenuRequested(m_page->tree()->visualItemRect(bookmark).center());
    QVERIFY(m_page->action(Ids::OrganizeEdit)->isEnabled());
    whenShown<BookmarkDialog>([](BookmarkDialog *dialog) {
        QCOMPARE(dialog->folderLabel()->text(), QStringLiteral("Programmers"));
        dialog->titleEdit()->setText(QStringLiteral("W3C"));
        QTest::mouseClick(dialog->okButton(), Qt::LeftButton);
    });
    m_page->tree()->setCurrentItem(item("Software")); // another folder selected meanwhile
    m_page->action(Ids::OrganizeEdit)->trigger();
    QVERIFY(item("W3C"));
    const int programmers = FolderTreeItem::id(item("Programmers"));
    QCOMPARE(m_file->titlesOnFile(programmers), QStringList{"W3C"});
}

void TestOrganizePage::dropsMoveTheStore()
{
    const int news = FolderTreeItem::id(item("News"));
    const int software = FolderTreeItem::id(item("Software"));
    emit m_page->tree()->itemDropped(item("Harbrow Home site"), item("News"), false);
    QCOMPARE(m_file->titlesOnFile(news).size(), 2);
    emit m_page->tree()->itemDropped(item("Software"), item("News"), true);
    QCOMPARE(m_file->folderNamesOnFile(news), QStringList{"Software"});
    emit m_page->tree()->itemDropped(item("Software"), nullptr, true);
    QVERIFY(m_file->folderNamesOnFile(0).contains("Software"));
    QCOMPARE(m_file->titlesOnFile(software).size(), 3);
}

// Every item deleted: "Create Folder" still makes a folder, at the top level.
void TestOrganizePage::createsAtTheTopOfAnEmptyCollection()
{
    answer({QMessageBox::Yes, QMessageBox::Yes, QMessageBox::Yes, QMessageBox::Yes});
    while (QTreeWidgetItem *first = m_page->tree()->topLevelItem(0)) {
        m_page->tree()->setCurrentItem(first);
        m_page->deleteItem();
    }
    Prompts::instance().takeAsked();
    QVERIFY(!m_page->tree()->currentItem());
    QTest::mouseClick(m_page->createButton(), Qt::LeftButton);
    QCOMPARE(m_page->tree()->topLevelItemCount(), 1);
    QVERIFY(editor());
    QTest::keyClick(editor(), Qt::Key_Escape);
    QCOMPARE(m_file->folderNamesOnFile(0), QStringList{"New Folder1"});
}

void TestOrganizePage::showsUntitledBookmarksByAddress()
{
    m_store->addBookmark({"http://untitled.example", {}, {}, {}, 0, "0"});
    m_page->rebuild();
    QVERIFY(item("http://untitled.example"));
    QCOMPARE(m_file->titlesOnFile(0), (QStringList{"Harbrow Home site", ""}));
}

// A refused rename or delete: one warning, and the tree shows the file again.
void TestOrganizePage::failedWritesWarnAndReload()
{
    m_page.reset();
    FailingHive failing(*m_file->hive());
    BookmarkStore store(&failing);
    OrganizePage page(store);
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    auto find = [&page](const QString &label) {
        return page.tree()->findItems(label, Qt::MatchExactly | Qt::MatchRecursive).value(0);
    };
    failing.failSetAt = 1;
    failing.failBeginAt = 1;
    failing.restartCounting();
    page.tree()->setCurrentItem(find("News"));
    answer({QMessageBox::Ok});
    page.renameItem();
    QLineEdit *line = page.tree()->viewport()->findChild<QLineEdit *>();
    QVERIFY(line);
    line->setText(QStringLiteral("Daily"));
    QTest::keyClick(line, Qt::Key_Return);
    QCoreApplication::processEvents();
    page.tree()->setCurrentItem(find("Software"));
    answer({QMessageBox::Yes, QMessageBox::Ok});
    page.deleteItem();
    const QStringList asked = Prompts::instance().takeAsked();
    QCOMPARE(asked.size(), 3); // a warning, the question, a warning
    QVERIFY(asked.at(0).startsWith(QStringLiteral("The folder could not be renamed.")));
    QVERIFY(asked.at(2).startsWith(QStringLiteral("The folder could not be deleted.")));
    QVERIFY(find("News") && find("Software") && !find("Daily"));
    QCOMPARE(m_file->folderNamesOnFile(0), (QStringList{"News", "Programmers", "Software"}));
}

QTEST_MAIN(TestOrganizePage)
#include "tst_organiser_organizepage.moc"

// Folder trees make a folder's items only when it is opened: what that could
// break on both pages.
#include "pagetesting.h"

#include "organiser/bookmarklist.h"
#include "organiser/bookmarkspage.h"
#include "organiser/foldertree.h"
#include "organiser/foldertreeitem.h"
#include "organiser/organizepage.h"

#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>

class TestLazyFill final : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void childrenAppearOnExpandInOrder_data();
    void childrenAppearOnExpandInOrder();
    void dropOntoNeverExpandedFolder_data();
    void dropOntoNeverExpandedFolder();
    void renamesInsideANewFolderOfANeverExpandedOne();
    void expansionKeptAcrossReload_data();
    void expansionKeptAcrossReload();
    void changesBeforeFirstShowAppearOnce();

private:
    FolderTree *tree(bool organize) const;
    QTreeWidgetItem *shown(FolderTree *tree, const QString &label) const;
    static QStringList labels(const QTreeWidgetItem *item);
    void open(FolderTree *tree, QTreeWidgetItem *item);
    void reload(bool organize);

    std::unique_ptr<TestHive> m_file;
    std::unique_ptr<BookmarkStore> m_store;
    std::unique_ptr<BookmarksPage> m_bookmarks;
    std::unique_ptr<OrganizePage> m_organize;
    int m_top = 0;
    int m_inner = 0;
};

// A folder "Top" that holds, in list order, folders "Inner" (with folder
// "Deep" and one bookmark) and "Empty", then bookmarks "zeta" and "alpha".
void TestLazyFill::init()
{
    m_file = std::make_unique<TestHive>();
    m_store = std::make_unique<BookmarkStore>(m_file->hive());
    m_top = m_store->addFolder("Top", 0);
    m_inner = m_store->addFolder("Inner", m_top);
    m_store->addFolder("Empty", m_top);
    m_store->addFolder("Deep", m_inner);
    const QString top = QString::number(m_top);
    m_store->addBookmark({"http://z.example/", "zeta", {}, {}, 1, top});
    m_store->addBookmark({"http://a.example/", "alpha", {}, {}, 5, top});
    m_store->addBookmark({"http://i.example/", "inside", {}, {}, 0, QString::number(m_inner)});
    m_bookmarks = std::make_unique<BookmarksPage>(*m_store);
    m_organize = std::make_unique<OrganizePage>(*m_store);
    connect(m_organize.get(), &OrganizePage::bookmarksChanged, m_bookmarks.get(),
            &BookmarksPage::reloadFolders);
    for (QWidget *page : {static_cast<QWidget *>(m_bookmarks.get()),
                          static_cast<QWidget *>(m_organize.get())}) {
        page->resize(600, 400);
        page->show();
        QVERIFY(QTest::qWaitForWindowExposed(page));
    }
    Prompts::instance().takeAsked();
}

void TestLazyFill::cleanup()
{
    QCOMPARE(Prompts::instance().pendingAnswers(), 0);
    m_organize.reset();
    m_bookmarks.reset();
    m_store.reset();
    m_file.reset();
}

FolderTree *TestLazyFill::tree(bool organize) const
{
    return organize ? m_organize->tree() : m_bookmarks->folderTree();
}

// Only among the items made so far: nothing is filled on the way.
QTreeWidgetItem *TestLazyFill::shown(FolderTree *tree, const QString &label) const
{
    return tree->findItems(label, Qt::MatchExactly | Qt::MatchRecursive).value(0);
}

QStringList TestLazyFill::labels(const QTreeWidgetItem *item)
{
    QStringList texts;
    for (int i = 0; i < item->childCount(); ++i)
        texts << item->child(i)->text(0);
    return texts;
}

// As a person does: click the folder, then, unless that opened it, the arrow
// key that does.
void TestLazyFill::open(FolderTree *tree, QTreeWidgetItem *item)
{
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(item).center());
    QCOMPARE(tree->currentItem(), item);
    if (!item->isExpanded())
        QTest::keyClick(tree, Qt::Key_Right);
    QVERIFY(item->isExpanded());
}

void TestLazyFill::reload(bool organize)
{
    if (organize)
        m_organize->rebuild();
    else
        m_bookmarks->reloadFolders();
}

void TestLazyFill::childrenAppearOnExpandInOrder_data()
{
    QTest::addColumn<bool>("organize");
    QTest::addColumn<QStringList>("children");
    QTest::newRow("organize page") << true << QStringList{"Inner", "Empty", "zeta", "alpha"};
    QTest::newRow("bookmarks page") << false << QStringList{"Inner", "Empty"};
}

void TestLazyFill::childrenAppearOnExpandInOrder()
{
    QFETCH(bool, organize);
    QFETCH(QStringList, children);
    FolderTree *folders = tree(organize);
    QTreeWidgetItem *top = shown(folders, "Top");
    QVERIFY(top);
    QCOMPARE(top->childCount(), 0); // not made before it is opened
    QCOMPARE(top->childIndicatorPolicy(), QTreeWidgetItem::ShowIndicator);

    open(folders, top);
    QCOMPARE(labels(top), children);
    QTreeWidgetItem *inner = top->child(0);
    QCOMPARE(inner->childCount(), 0);
    QCOMPARE(inner->childIndicatorPolicy(), QTreeWidgetItem::ShowIndicator);
    QCOMPARE(top->child(1)->childIndicatorPolicy(), QTreeWidgetItem::DontShowIndicatorWhenChildless);
    folders->collapseItem(top);
    folders->expandItem(top);
    QCOMPARE(labels(top), children); // filled once only
}

void TestLazyFill::dropOntoNeverExpandedFolder_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("taken");
    QTest::newRow("moves in") << "Mover" << true;
    QTest::newRow("a child of that name, other letters") << "inner" << false;
}

void TestLazyFill::dropOntoNeverExpandedFolder()
{
    QFETCH(QString, name);
    QFETCH(bool, taken);
    const int mover = m_store->addFolder(name, 0);
    m_organize->rebuild();
    FolderTree *folders = m_organize->tree();
    QTreeWidgetItem *top = shown(folders, "Top");
    QTreeWidgetItem *dragged = shown(folders, name);
    QVERIFY(top && dragged && top->childCount() == 0);

    const std::unique_ptr<QMimeData> data = folders->beginFolderDrag(dragged);
    QVERIFY(data);
    const QPoint at = folders->visualItemRect(top).center();
    const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction;
    QDragEnterEvent enter(at, actions, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(folders->viewport(), &enter);
    QDragMoveEvent move(at, actions, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(folders->viewport(), &move);
    QDropEvent drop(at, actions, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(folders->viewport(), &drop);
    folders->endFolderDrag();
    QCOMPARE(drop.isAccepted(), taken);

    top = shown(folders, "Top");
    folders->expandItem(top);
    const QStringList under = labels(top);
    QCOMPARE(under.count(name), taken ? 1 : 0);
    QCOMPARE(under.size(), taken ? 5 : 4);
    QCOMPARE(m_store->folder(mover)->parentId, taken ? m_top : 0);
    QCOMPARE(m_file->folderNamesOnFile(m_top).contains(name), taken);
}

void TestLazyFill::renamesInsideANewFolderOfANeverExpandedOne()
{
    // The bookmarks page shows the same folder open, but still empty.
    FolderTree *other = m_bookmarks->folderTree();
    open(other, shown(other, "Top"));
    QTreeWidgetItem *onPage = shown(other, "Inner");
    other->expandItem(onPage);
    QCOMPARE(labels(onPage), QStringList{"Deep"});

    FolderTree *folders = m_organize->tree();
    QTreeWidgetItem *inner = nullptr;
    QTreeWidgetItem *top = shown(folders, "Top");
    QTest::mouseClick(folders->viewport(), Qt::LeftButton, {}, folders->visualItemRect(top).center());
    inner = top->child(0);
    QVERIFY(inner && inner->text(0) == "Inner" && inner->childCount() == 0);
    QTest::mouseClick(folders->viewport(), Qt::LeftButton, {},
                      folders->visualItemRect(inner).center());
    QCOMPARE(folders->currentItem(), inner);
    QVERIFY(inner->isExpanded());

    QTest::mouseClick(m_organize->createButton(), Qt::LeftButton);
    auto *line = folders->viewport()->findChild<QLineEdit *>();
    QVERIFY(line);
    line->selectAll();
    QTest::keyClicks(line, "Reading");
    QTest::keyClick(line, Qt::Key_Return);
    QCoreApplication::processEvents();

    QCOMPARE(labels(inner), (QStringList{"Deep", "inside", "Reading"}));
    QCOMPARE(m_file->folderNamesOnFile(m_inner), (QStringList{"Deep", "Reading"}));
    // The bookmarks page, refreshed, shows it once too.
    QCOMPARE(shown(other, "Inner"), onPage);
    QCOMPARE(labels(onPage), (QStringList{"Deep", "Reading"}));
}

void TestLazyFill::expansionKeptAcrossReload_data()
{
    QTest::addColumn<bool>("organize");
    QTest::newRow("organize page") << true;
    QTest::newRow("bookmarks page") << false;
}

void TestLazyFill::expansionKeptAcrossReload()
{
    QFETCH(bool, organize);
    FolderTree *folders = tree(organize);
    QTreeWidgetItem *top = shown(folders, "Top");
    open(folders, top);
    QTreeWidgetItem *inner = top->child(0);
    open(folders, inner);

    // A change elsewhere: one bookmark more in Inner, one folder more at the top.
    m_store->addBookmark({"http://n.example/", "new one", {}, {}, 0, QString::number(m_inner)});
    m_store->addFolder("Later", 0);
    reload(organize);

    QCOMPARE(shown(folders, "Top"), top); // kept, not made again
    QVERIFY(top->isExpanded() && inner->isExpanded());
    QCOMPARE(folders->currentItem(), inner);
    QVERIFY(shown(folders, "Later"));
    if (organize)
        QCOMPARE(labels(inner), (QStringList{"Deep", "inside", "new one"}));
    else
        QCOMPARE(m_bookmarks->bookmarkList()->rowCount(), 2);
}

// Organize fills when first shown; the refreshes it is asked for before that
// must neither show anything twice nor miss a change.
void TestLazyFill::changesBeforeFirstShowAppearOnce()
{
    OrganizePage unseen(*m_store);
    m_store->addFolder("Later", 0);
    m_store->addBookmark({"http://l.example/", "later one", {}, {}, 0, "-1"});
    unseen.rebuild();
    unseen.resize(600, 400);
    unseen.show();
    QVERIFY(QTest::qWaitForWindowExposed(&unseen));

    QStringList top;
    for (int i = 0; i < unseen.tree()->topLevelItemCount(); ++i)
        top << unseen.tree()->topLevelItem(i)->text(0);
    QCOMPARE(top.count("Later"), 1);
    QCOMPARE(top.count("later one"), 1);
    QCOMPARE(top.indexOf("Later") < top.indexOf("later one"), true); // folders first
    QCOMPARE(unseen.tree()->currentItem(), unseen.tree()->topLevelItem(0));
}

QTEST_MAIN(TestLazyFill)
#include "tst_organiser_lazyfill.moc"

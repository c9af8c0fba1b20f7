#include "pagetesting.h"

#include "organiser/bookmarkdialog.h"
#include "organiser/bookmarklist.h"
#include "organiser/bookmarkspage.h"
#include "organiser/findfield.h"
#include "organiser/foldertree.h"
#include "organiser/foldertreeitem.h"
#include "res/ids.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>

// Finding bookmarks across folders from the field above the list, driven by keys.
class TestFindBookmarks final : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void findsOpensAndReturns();
    void commandsWorkOnFoundRows();
    void pickingAFolderEndsTheSearch();

private:
    QTreeWidgetItem *folderItem(const QString &name) const;
    QStringList listedTitles() const;
    void find(const QString &text);

    std::unique_ptr<TestHive> m_file;
    std::unique_ptr<BookmarkStore> m_store;
    std::unique_ptr<BookmarksPage> m_page;
    int m_recipes = 0;
};

void TestFindBookmarks::init()
{
    m_file = std::make_unique<TestHive>();
    m_store = std::make_unique<BookmarkStore>(m_file->hive());
    m_recipes = m_store->addFolder(QStringLiteral("Recipes"), 0);
    const QString recipes = QString::number(m_recipes);
    m_store->addBookmark({QStringLiteral("http://desserts.example/creme"),
                          QStringLiteral("Cr\u00e8me br\u00fbl\u00e9e"), {}, {}, 3, recipes});
    m_store->addBookmark({QStringLiteral("http://desserts.example/tart"),
                          QStringLiteral("Lemon tart"), QStringLiteral("brulee topping"), {}, 1,
                          recipes});
    m_store->addBookmark({QStringLiteral("http://news.example/"), QStringLiteral("News"), {}, {},
                          0, QStringLiteral("0")});
    m_page = std::make_unique<BookmarksPage>(*m_store);
    m_page->resize(800, 500);
    m_page->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_page.get()));
    m_page->folderTree()->setCurrentItem(folderItem(QStringLiteral("Software")));
    Prompts::instance().takeAsked();
}

void TestFindBookmarks::cleanup()
{
    QCOMPARE(Prompts::instance().pendingAnswers(), 0);
    m_page.reset();
    m_store.reset();
    m_file.reset();
}

QTreeWidgetItem *TestFindBookmarks::folderItem(const QString &name) const
{
    return m_page->folderTree()->findItems(name, Qt::MatchExactly | Qt::MatchRecursive).value(0);
}

QStringList TestFindBookmarks::listedTitles() const
{
    QStringList titles;
    for (int i = 0; i < m_page->bookmarkList()->rowCount(); ++i)
        titles << m_page->bookmarkList()->text(i, BookmarksPage::TitleColumn);
    return titles;
}

void TestFindBookmarks::find(const QString &text)
{
    m_page->bookmarkList()->setFocus();
    QTest::keyClick(m_page->bookmarkList(), Qt::Key_F, Qt::ControlModifier);
    QVERIFY(m_page->findField()->hasFocus());
    QTest::keyClicks(m_page->findField(), text);
}

void TestFindBookmarks::findsOpensAndReturns()
{
    const QStringList software = listedTitles();
    QVERIFY(!software.isEmpty());
    QSignalSpy opened(m_page.get(), &BookmarksPage::openAddressRequested);

    find(QStringLiteral("BRULEE"));
    QCOMPARE(listedTitles(), (QStringList{QStringLiteral("Cr\u00e8me br\u00fbl\u00e9e"),
                                          QStringLiteral("Lemon tart")}));
    QTest::keyClicks(m_page->findField(), QStringLiteral(" cr\u00c8me"));
    QCOMPARE(listedTitles(), QStringList{QStringLiteral("Cr\u00e8me br\u00fbl\u00e9e")});
    QVERIFY(m_page->bookmarkList()->toolTip(0).contains(QStringLiteral("Recipes")));
    QTest::keyClick(m_page->findField(), Qt::Key_Tab);
    QVERIFY(m_page->bookmarkList()->hasFocus());
    QTest::keyClick(m_page->bookmarkList(), Qt::Key_Backtab, Qt::ShiftModifier);
    QVERIFY(m_page->findField()->hasFocus());

    QTest::keyClick(m_page->findField(), Qt::Key_Return);
    QCOMPARE(opened.size(), 1);
    QCOMPARE(opened.at(0).at(0).toString(), QStringLiteral("http://desserts.example/creme"));

    QTest::keyClick(m_page->findField(), Qt::Key_Escape);
    QVERIFY(m_page->findField()->text().isEmpty());
    QCOMPARE(m_page->selectedFolderName(), QStringLiteral("Software"));
    QCOMPARE(listedTitles(), software);

    find(QStringLiteral("no such bookmark"));
    QVERIFY(listedTitles().isEmpty());
    QVERIFY(!m_page->action(Ids::ListGo)->isEnabled());
    QTest::keyClick(m_page->findField(), Qt::Key_Return);
    QCOMPARE(opened.size(), 1);
}

void TestFindBookmarks::commandsWorkOnFoundRows()
{
    find(QStringLiteral("desserts"));
    QCOMPARE(listedTitles().size(), 2);

    // Edit the best rated, then delete the other from the list with the key.
    whenShown<BookmarkDialog>([](BookmarkDialog *dialog) {
        dialog->titleEdit()->setText(QStringLiteral("Cr\u00e8me caramel"));
        QTest::mouseClick(dialog->okButton(), Qt::LeftButton);
    });
    m_page->editBookmark();
    QCOMPARE(listedTitles().value(0), QStringLiteral("Cr\u00e8me caramel"));
    QCOMPARE(m_page->selectedFolderName(), QStringLiteral("Software"));

    QTest::mouseClick(m_page->bookmarkList()->viewport(), Qt::LeftButton, {},
                      m_page->bookmarkList()->rowRect(1).center());
    answer({QMessageBox::Yes});
    QTest::keyClick(m_page->bookmarkList(), Qt::Key_Delete);
    QCOMPARE(listedTitles(), QStringList{QStringLiteral("Cr\u00e8me caramel")});
    QCOMPARE(m_file->titlesOnFile(m_recipes), QStringList{QStringLiteral("Cr\u00e8me caramel")});

    // Escape from the list ends the search too.
    QTest::keyClick(m_page->bookmarkList(), Qt::Key_Escape);
    QVERIFY(m_page->findField()->text().isEmpty());
    QVERIFY(!listedTitles().contains(QStringLiteral("Cr\u00e8me caramel")));
}

void TestFindBookmarks::pickingAFolderEndsTheSearch()
{
    find(QStringLiteral("news"));
    QCOMPARE(listedTitles(), QStringList{QStringLiteral("News")});
    QTreeWidgetItem *recipes = folderItem(QStringLiteral("Recipes"));
    QTest::mouseClick(m_page->folderTree()->viewport(), Qt::LeftButton, {},
                      m_page->folderTree()->visualItemRect(recipes).center());
    QVERIFY(m_page->findField()->text().isEmpty());
    QCOMPARE(listedTitles().size(), 2);
}

QTEST_MAIN(TestFindBookmarks)
#include "tst_organiser_findbookmarks.moc"

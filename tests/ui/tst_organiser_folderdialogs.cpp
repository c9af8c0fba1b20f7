#include "fakepage.h"
#include "organiser/foldernamedialog.h"
#include "organiser/movetofolderdialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>


// A few folders to choose among and to collide with.
struct SampleFolders
{
    explicit SampleFolders(FakePage &page)
    {
        BookmarkStore &store = page.store();
        work = store.addFolder("Work", 0);
        projects = store.addFolder("Projects", work);
        archive = store.addFolder("Archive", projects);
        store.addFolder("Reports", work);
        home = store.addFolder("Home", 0);
        store.addFolder("Recipes", home);
    }
    int work = 0, projects = 0, archive = 0, home = 0;
};

namespace {

QString describe(const QTreeWidgetItem *item)
{
    QString text = item->text(0) + ':' + item->data(0, MoveToFolderDialog::IdRole).toString();
    if (item->childCount()) {
        QStringList children;
        for (int i = 0; i < item->childCount(); ++i)
            children << describe(item->child(i));
        text += '(' + children.join(',') + ')';
    }
    return text;
}

void show(QDialog &dialog)
{
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
}

void clickCancel(QDialog &dialog)
{
    QTest::mouseClick(dialog.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Cancel),
                      Qt::LeftButton);
}

} // namespace

class TestFolderDialogs : public QObject
{
    Q_OBJECT

private slots:
    void moveDialogListsEveryFolderUnderFavorites()
    {
        FakePage page;
        const SampleFolders folders(page);
        MoveToFolderDialog dialog(page);
        show(dialog);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Move bookmark(s) to folder"));
        QCOMPARE(dialog.tree()->topLevelItemCount(), 1);
        const QString expected = QStringLiteral("Favorites:0(Work:%1(Projects:%2(Archive:%3),"
                                                "Reports:%4),Home:%5(Recipes:%6))")
                                     .arg(folders.work)
                                     .arg(folders.projects)
                                     .arg(folders.archive)
                                     .arg(folders.archive + 1)
                                     .arg(folders.home)
                                     .arg(folders.home + 1);
        QCOMPARE(describe(dialog.tree()->topLevelItem(0)), expected);
        QVERIFY(dialog.tree()->topLevelItem(0)->isExpanded());
        QCOMPARE(dialog.tree()->currentItem(), dialog.tree()->topLevelItem(0));
        QVERIFY(dialog.tree()->topLevelItem(0)->isSelected());
    }

    void moveDialogOkWithTheRootMovesToTheTopLevel()
    {
        FakePage page;
        const SampleFolders folders(page);
        MoveToFolderDialog dialog(page);
        show(dialog);
        QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(page.moveTarget, std::optional<int>(0));
    }

    void moveDialogOkWritesTheClickedFolder()
    {
        FakePage page;
        const SampleFolders folders(page);
        MoveToFolderDialog dialog(page);
        show(dialog);
        QTreeWidget *tree = dialog.tree();
        QTreeWidgetItem *work = tree->topLevelItem(0)->child(0);
        work->setExpanded(true);
        QTreeWidgetItem *projects = work->child(0);
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {},
                          tree->visualItemRect(projects).center());
        QCOMPARE(tree->currentItem(), projects);
        QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
        QCOMPARE(page.moveTarget, std::optional<int>(folders.projects));
    }

    void moveDialogCancelWritesNothing()
    {
        FakePage page;
        const SampleFolders folders(page);
        MoveToFolderDialog dialog(page);
        show(dialog);
        clickCancel(dialog);
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QVERIFY(!page.moveTarget.has_value());
    }

    void addingStartsEmptyWithOkDisabled()
    {
        FakePage page;
        const SampleFolders folders(page);
        FolderNameDialog dialog(page, FolderNameDialog::Mode::Add);
        show(dialog);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Add a new folder"));
        QCOMPARE(dialog.prompt()->text(), QStringLiteral("Enter folder's name:"));
        QCOMPARE(dialog.nameEdit()->text(), QString());
        QVERIFY(!dialog.okButton()->isEnabled());
        QTest::keyClicks(dialog.nameEdit(), "N");
        QVERIFY(dialog.okButton()->isEnabled());
        QTest::keyClick(dialog.nameEdit(), Qt::Key_Backspace);
        QVERIFY(!dialog.okButton()->isEnabled());
    }

    void takenNamesKeepOkDisabled_data()
    {
        QTest::addColumn<QString>("under");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("a subfolder's name") << "work"
                                            << "Projects" << false;
        QTest::newRow("same name, other case") << "work"
                                               << "pROJECTS" << false;
        QTest::newRow("one more letter") << "work"
                                         << "Projects2" << true;
        QTest::newRow("a name used elsewhere") << "work"
                                               << "Recipes" << true;
        QTest::newRow("a top-level name, at the top") << "top"
                                                      << "HOME" << false;
        QTest::newRow("Favorites at the top") << "top"
                                              << "Favorites" << false;
        QTest::newRow("Favorites in a folder") << "work"
                                               << "favorites" << false;
        QTest::newRow("FAVORITES in a folder") << "work"
                                               << "FAVORITES" << false;
        QTest::newRow("longer than Favorites") << "work"
                                               << "Favorites old" << true;
    }

    void takenNamesKeepOkDisabled()
    {
        QFETCH(QString, under);
        QFETCH(QString, typed);
        QFETCH(bool, enabled);
        FakePage page;
        const SampleFolders folders(page);
        page.selected = under == "work" ? folders.work : 0;
        FolderNameDialog dialog(page, FolderNameDialog::Mode::Add);
        show(dialog);
        QTest::keyClicks(dialog.nameEdit(), typed);
        QCOMPARE(dialog.okButton()->isEnabled(), enabled);
        // Enter in the field must not get past the check either.
        QTest::keyClick(dialog.nameEdit(), Qt::Key_Return);
        QCOMPARE(dialog.result() == QDialog::Accepted, enabled);
        QCOMPARE(page.nameWrites, enabled ? 1 : 0);
    }

    void namesStopAtOneHundredCharacters()
    {
        FakePage page;
        const SampleFolders folders(page);
        FolderNameDialog dialog(page, FolderNameDialog::Mode::Add);
        show(dialog);
        QTest::keyClicks(dialog.nameEdit(), QString(105, 'n'));
        QCOMPARE(dialog.nameEdit()->text(), QString(100, 'n'));
        QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
        QCOMPARE(page.name, QString(100, 'n'));
    }

    void okHandsTheNameToThePage()
    {
        FakePage page;
        const SampleFolders folders(page);
        FolderNameDialog dialog(page, FolderNameDialog::Mode::Add);
        show(dialog);
        QTest::keyClicks(dialog.nameEdit(), "Travel");
        QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(page.name, QStringLiteral("Travel"));
    }

    void cancelLeavesTheNameAlone_data()
    {
        QTest::addColumn<bool>("closeBox");
        QTest::newRow("Cancel") << false;
        QTest::newRow("close box") << true;
    }

    void cancelLeavesTheNameAlone()
    {
        QFETCH(bool, closeBox);
        FakePage page;
        const SampleFolders folders(page);
        FolderNameDialog dialog(page, FolderNameDialog::Mode::Add);
        show(dialog);
        QTest::keyClicks(dialog.nameEdit(), "Travel");
        if (closeBox)
            dialog.close();
        else
            clickCancel(dialog);
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(page.name, QStringLiteral("untouched"));
        QCOMPARE(page.nameWrites, 0);
    }

    void renamingStartsFromTheFoldersName()
    {
        FakePage page;
        const SampleFolders folders(page);
        page.selected = folders.projects;
        page.name = QStringLiteral("Projects");
        FolderNameDialog dialog(page, FolderNameDialog::Mode::Edit);
        show(dialog);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Edit folder"));
        QCOMPARE(dialog.prompt()->text(), QStringLiteral("Enter new name for the folder:"));
        QCOMPARE(dialog.nameEdit()->text(), QStringLiteral("Projects"));
        QVERIFY(dialog.okButton()->isEnabled());
    }

    // A renamed folder stays where it is, so its new name is checked among its
    // siblings, not among its own subfolders.
    void renamingChecksTheFoldersSiblings_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("a sibling's name") << "Reports" << false;
        QTest::newRow("a sibling's name, other case") << "reports" << false;
        QTest::newRow("its subfolder's name") << "Archive" << true;
        QTest::newRow("its own name in other case") << "PROJECTS" << true;
        QTest::newRow("Favorites") << "Favorites" << false;
        QTest::newRow("a new name") << "Plans" << true;
    }

    void renamingChecksTheFoldersSiblings()
    {
        QFETCH(QString, typed);
        QFETCH(bool, enabled);
        FakePage page;
        const SampleFolders folders(page);
        page.selected = folders.projects;
        page.name = QStringLiteral("Projects");
        FolderNameDialog dialog(page, FolderNameDialog::Mode::Edit);
        show(dialog);
        dialog.nameEdit()->selectAll();
        QTest::keyClicks(dialog.nameEdit(), typed);
        QCOMPARE(dialog.nameEdit()->text(), typed);
        QCOMPARE(dialog.okButton()->isEnabled(), enabled);
    }
};

QTEST_MAIN(TestFolderDialogs)
#include "tst_organiser_folderdialogs.moc"

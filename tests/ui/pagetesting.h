#pragma once

#include "controls/prompts.h"
#include "organiser/foldertree.h"
#include "store/bookmarkstore.h"
#include "store/hive/sqlitehive.h"

#include <QApplication>
#include <QDialog>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidgetItemIterator>

#include <functional>
#include <memory>

// A real hive file in a folder of its own, and a way to look at it afresh.
class TestHive
{
public:
    TestHive()
    {
        m_hive.open(m_dir.filePath(QStringLiteral("hive.sqlite3")));
    }
    Hive *hive() { return &m_hive; }

    // What a fresh store on the same file finds in one folder, in scan order.
    QStringList titlesOnFile(int folderId)
    {
        SqliteHive other;
        other.open(m_dir.filePath(QStringLiteral("hive.sqlite3")));
        BookmarkStore fresh(&other);
        QStringList titles;
        fresh.beginBookmarkScan(QString::number(folderId));
        while (fresh.nextBookmark())
            titles << fresh.currentBookmark().title;
        return titles;
    }

    QStringList folderNamesOnFile(int parentId)
    {
        SqliteHive other;
        other.open(m_dir.filePath(QStringLiteral("hive.sqlite3")));
        BookmarkStore fresh(&other);
        QStringList names;
        for (const FolderRecord &folder : fresh.childFolders(parentId))
            names << folder.name;
        return names;
    }

private:
    QTemporaryDir m_dir;
    SqliteHive m_hive;
};

// Creates every item of a tree that makes a folder's items when it is opened,
// so that a search through the items finds them all. Opens nothing.
inline void fillWholeTree(FolderTree *tree)
{
    for (QTreeWidgetItemIterator it(tree); *it; ++it)
        tree->fillChildren(*it);
}

// Closes every modal window still shown, so that a check that failed inside a
// dialog ends the test instead of leaving its exec() waiting for the timeout.
inline void closeModalsAfterFailure()
{
    if (!QTest::currentTestFailed())
        return;
    for (int guard = 0; guard < 10; ++guard) {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        if (auto *dialog = qobject_cast<QDialog *>(modal))
            dialog->reject();
        else
            modal->close();
    }
}

// Runs work on the modal dialog of type Dialog as soon as it is shown.
template<typename Dialog>
void whenShown(std::function<void(Dialog *)> work)
{
    QTimer::singleShot(0, [work] {
        auto *dialog = qobject_cast<Dialog *>(QApplication::activeModalWidget());
        [&] {
            QVERIFY2(dialog, "the expected dialog did not open");
            work(dialog);
        }();
        closeModalsAfterFailure();
    });
}

// Answers the next questions the program asks, in order.
inline void answer(std::initializer_list<QMessageBox::StandardButton> answers)
{
    for (QMessageBox::StandardButton a : answers)
        Prompts::instance().queueAnswer(a);
}

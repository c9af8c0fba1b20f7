#include "app/harbrowapp.h"
#include "organiser/dragstate.h"
#include "organiser/foldertree.h"
#include "organiser/foldertreeitem.h"

#include <QElapsedTimer>
#include <QMimeData>
#include <QScrollBar>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

namespace {

// What one simulated drag ended with, as the person would see it.
struct DragOutcome
{
    bool entered = false;
    bool moveAccepted = false;
    Qt::DropAction moveAction = Qt::IgnoreAction;
    bool dropped = false;
};

constexpr Qt::DropActions AllActions = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;

QPoint pointOn(QTreeWidget &tree, QTreeWidgetItem *item)
{
    return tree.visualItemRect(item).center();
}

bool enter(FolderTree &tree, const QMimeData *data, QPoint at, Qt::KeyboardModifiers keys = {})
{
    QDragEnterEvent event(at, AllActions, data, Qt::LeftButton, keys);
    QCoreApplication::sendEvent(tree.viewport(), &event);
    return event.isAccepted();
}

std::pair<bool, Qt::DropAction> move(FolderTree &tree, const QMimeData *data, QPoint at,
                                     Qt::KeyboardModifiers keys = {})
{
    QDragMoveEvent event(at, AllActions, data, Qt::LeftButton, keys);
    QCoreApplication::sendEvent(tree.viewport(), &event);
    return {event.isAccepted(), event.dropAction()};
}

bool drop(FolderTree &tree, const QMimeData *data, QPoint at, Qt::KeyboardModifiers keys = {})
{
    QDropEvent event(QPointF(at), AllActions, data, Qt::LeftButton, keys);
    QCoreApplication::sendEvent(tree.viewport(), &event);
    return event.isAccepted();
}

void leave(FolderTree &tree)
{
    QDragLeaveEvent event;
    QCoreApplication::sendEvent(tree.viewport(), &event);
}

// Enter, move and drop at one point, as a drag that comes in and is let go.
DragOutcome deliver(FolderTree &tree, const QMimeData *data, QPoint at,
                    Qt::KeyboardModifiers keys = {})
{
    DragOutcome outcome;
    outcome.entered = enter(tree, data, at, keys);
    if (!outcome.entered)
        return outcome;
    std::tie(outcome.moveAccepted, outcome.moveAction) = move(tree, data, at, keys);
    outcome.dropped = drop(tree, data, at, keys);
    return outcome;
}

DragOutcome dragFolder(FolderTree &source, QTreeWidgetItem *item, FolderTree &target,
                       QTreeWidgetItem *onto, Qt::KeyboardModifiers keys = {})
{
    std::unique_ptr<QMimeData> data = source.beginFolderDrag(item);
    if (!data)
        return {};
    const DragOutcome outcome = deliver(target, data.get(), pointOn(target, onto), keys);
    source.endFolderDrag();
    return outcome;
}

QString describe(const QTreeWidgetItem *item)
{
    QString text = item->text(0) + ':' + QString::number(FolderTreeItem::id(item));
    if (item->childCount()) {
        QStringList children;
        for (int i = 0; i < item->childCount(); ++i)
            children << describe(item->child(i));
        text += '(' + children.join(',') + ')';
    }
    return text;
}

QString describe(const QTreeWidget &tree)
{
    QStringList top;
    for (int i = 0; i < tree.topLevelItemCount(); ++i)
        top << describe(tree.topLevelItem(i));
    return top.join(' ');
}

QTreeWidgetItem *find(const QTreeWidget &tree, const QString &label)
{
    const auto found = tree.findItems(label, Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? nullptr : found.first();
}

// The bookmarks page's tree: "Favorites" with folders below it, and one
// bookmark item as a tree that also lists bookmarks would show it.
void fillPageTree(FolderTree &tree)
{
    tree.clear();
    QTreeWidgetItem *root = tree.insertItem("Favorites", 0, 1, nullptr, nullptr, 0);
    QTreeWidgetItem *a = tree.insertItem("A", 0, 1, root, nullptr, 101);
    QTreeWidgetItem *a1 = tree.insertItem("A1", 0, 1, a, nullptr, 102);
    tree.insertItem("A1a", 0, 1, a1, nullptr, 103);
    tree.insertItem("A2", 0, 1, a, nullptr, 104);
    QTreeWidgetItem *b = tree.insertItem("B", 0, 1, root, nullptr, 105);
    tree.insertItem("Sub", 0, 1, b, nullptr, 106);
    QTreeWidgetItem *c = tree.insertItem("C", 0, 1, root, nullptr, 107);
    tree.insertItem("SUB", 0, 1, c, nullptr, 108);
    tree.insertItem("page", 2, 3, c, nullptr, 1001);
}

const QString PageTree = "Favorites:0(A:101(A1:102(A1a:103),A2:104),B:105(Sub:106),"
                         "C:107(SUB:108,page:1001))";

} // namespace

class TestFolderTree : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<FolderTree> m_tree;

    FolderTree &shownTree()
    {
        m_tree = std::make_unique<FolderTree>();
        fillPageTree(*m_tree);
        m_tree->resize(260, 400);
        m_tree->expandAll();
        m_tree->show();
        [[maybe_unused]] const bool shown = QTest::qWaitForWindowExposed(m_tree.get());
        return *m_tree;
    }

    // "Favorites" over a hundred folders, in a view that shows a few of them.
    FolderTree &shownLongTree()
    {
        m_tree = std::make_unique<FolderTree>();
        QTreeWidgetItem *root = m_tree->insertItem("Favorites", 0, 1, nullptr, nullptr, 0);
        for (int i = 0; i < 100; ++i)
            m_tree->insertItem(QStringLiteral("Folder %1").arg(i), 0, 1, root, nullptr, 101 + i);
        root->setExpanded(true);
        m_tree->resize(200, 160);
        m_tree->show();
        [[maybe_unused]] const bool shown = QTest::qWaitForWindowExposed(m_tree.get());
        return *m_tree;
    }

private slots:
    void cleanup()
    {
        m_tree.reset();
        DragState::setFolderDragging(false);
        DragState::setBookmarkDragging(false);
    }

    // An item holds its own roles apart from item data; whatever role is set
    // reads back, and only a real change tells the tree.
    void itemRolesReadBackAndReportChanges_data()
    {
        QTest::addColumn<int>("role");
        QTest::addColumn<QVariant>("value");
        QTest::newRow("label") << int(Qt::EditRole) << QVariant(QStringLiteral("Renamed"));
        QTest::newRow("id") << int(FolderTreeItem::IdRole) << QVariant(4242);
        QTest::newRow("unfilled") << int(FolderTreeItem::UnfilledRole) << QVariant(true);
        QTest::newRow("any other role") << int(Qt::ToolTipRole) << QVariant(QStringLiteral("tip"));
    }

    void itemRolesReadBackAndReportChanges()
    {
        QFETCH(int, role);
        QFETCH(QVariant, value);
        FolderTree tree;
        auto *item = new FolderTreeItem(QStringLiteral("Folder"), 0, 1, 7);
        tree.addTopLevelItem(item);
        QSignalSpy changed(&tree, &QTreeWidget::itemChanged);
        item->setData(0, role, value);
        item->setData(0, role, value);
        QCOMPARE(item->data(0, role), value);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(item->text(0), role == Qt::EditRole ? value.toString() : QStringLiteral("Folder"));
    }

    void refusedDropsChangeNothing_data()
    {
        QTest::addColumn<QString>("dragged");
        QTest::addColumn<QString>("onto");
        QTest::addColumn<bool>("refusedWhileHovering");
        QTest::newRow("onto itself") << "A"
                                     << "A" << true;
        QTest::newRow("into its child") << "A"
                                        << "A1" << true;
        QTest::newRow("into a deeper folder of its own") << "A"
                                                         << "A1a" << true;
        QTest::newRow("onto a bookmark in a folder") << "A2"
                                                     << "page" << true;
        QTest::newRow("beside a sibling named alike") << "SUB"
                                                      << "B" << false;
        QTest::newRow("back into its own parent") << "A1"
                                                  << "A" << false;
    }

    void refusedDropsChangeNothing()
    {
        QFETCH(QString, dragged);
        QFETCH(QString, onto);
        QFETCH(bool, refusedWhileHovering);
        FolderTree &tree = shownTree();
        QSignalSpy dropped(&tree, &FolderTree::itemDropped);

        const DragOutcome outcome = dragFolder(tree, find(tree, dragged), tree, find(tree, onto));
        QVERIFY(outcome.entered);
        QCOMPARE(outcome.moveAccepted, !refusedWhileHovering);
        QVERIFY(!outcome.dropped);
        QCOMPARE(dropped.count(), 0);
        QCOMPARE(describe(tree), PageTree);
        QVERIFY(!tree.dropHighlightedItem());
        QVERIFY(!DragState::folderDragging());

        // Over an open folder first, then over the refused place: no highlight
        // may stay behind on the row passed before.
        std::unique_ptr<QMimeData> data = tree.beginFolderDrag(find(tree, dragged));
        QVERIFY(data);
        QVERIFY(enter(tree, data.get(), pointOn(tree, find(tree, "Favorites"))));
        QCOMPARE(tree.dropHighlightedItem(), find(tree, "Favorites"));
        move(tree, data.get(), pointOn(tree, find(tree, onto)));
        QTreeWidgetItem *lit = tree.dropHighlightedItem();
        QVERIFY2(!lit || lit == find(tree, onto), qPrintable(lit ? lit->text(0) : QString()));
        QVERIFY(!drop(tree, data.get(), pointOn(tree, find(tree, onto))) || !refusedWhileHovering);
        tree.endFolderDrag();
        QVERIFY(!tree.dropHighlightedItem());
    }

    void folderMovesWithItsWholeSubtree()
    {
        FolderTree &tree = shownTree();
        QString seenDragged, seenTarget;
        bool seenFolderDrop = false;
        connect(&tree, &FolderTree::itemDropped, &tree,
                [&](QTreeWidgetItem *dragged, QTreeWidgetItem *target, bool folderDrop) {
                    seenDragged = describe(dragged);
                    seenTarget = target->text(0);
                    seenFolderDrop = folderDrop;
                    // The copy is already in place when the page hears of the drop.
                    QVERIFY(find(tree, "B")->childCount() == 2);
                });

        const DragOutcome outcome =
            dragFolder(tree, find(tree, "A"), tree, find(tree, "B"), Qt::ShiftModifier);
        QVERIFY(outcome.dropped);
        QCOMPARE(outcome.moveAction, Qt::MoveAction);
        QCOMPARE(seenDragged, QStringLiteral("A:101(A1:102(A1a:103),A2:104)"));
        QCOMPARE(seenTarget, QStringLiteral("B"));
        QVERIFY(seenFolderDrop);
        QCOMPARE(describe(tree), QStringLiteral("Favorites:0(B:105(Sub:106,A:101(A1:102(A1a:103),"
                                                "A2:104)),C:107(SUB:108,page:1001))"));
        QCOMPARE(tree.currentItem(), tree.droppedItem());
        QCOMPARE(tree.currentItem()->text(0), QStringLiteral("A"));
        QCOMPARE(FolderTreeItem::selectedImage(tree.currentItem()), 1);
    }

    void shiftChoosesTheMoveCursorButBothMove_data()
    {
        QTest::addColumn<int>("keys");
        QTest::addColumn<int>("action");
        QTest::newRow("plain") << int(Qt::NoModifier) << int(Qt::CopyAction);
        QTest::newRow("shift") << int(Qt::ShiftModifier) << int(Qt::MoveAction);
    }

    void shiftChoosesTheMoveCursorButBothMove()
    {
        QFETCH(int, keys);
        QFETCH(int, action);
        FolderTree &tree = shownTree();
        const DragOutcome outcome =
            dragFolder(tree, find(tree, "A2"), tree, find(tree, "C"), Qt::KeyboardModifiers(keys));
        QCOMPARE(int(outcome.moveAction), action);
        QVERIFY(outcome.dropped);
        QCOMPARE(find(tree, "A2")->parent()->text(0), QStringLiteral("C"));
        QCOMPARE(tree.findItems("A2", Qt::MatchExactly | Qt::MatchRecursive).size(), 1);
    }

    void dragsFromOutsideAreRefused_data()
    {
        QTest::addColumn<bool>("folderFlag");
        QTest::addColumn<bool>("bookmarkFlag");
        QTest::addColumn<QString>("format");
        QTest::newRow("our data, no flag") << false << false << DragState::FolderMimeType;
        QTest::newRow("bookmarks, no flag") << false << false << DragState::BookmarkMimeType;
        QTest::newRow("flag, foreign data") << true << false << QStringLiteral("text/uri-list");
        QTest::newRow("flag for the other kind") << false << true << DragState::FolderMimeType;
    }

    void dragsFromOutsideAreRefused()
    {
        QFETCH(bool, folderFlag);
        QFETCH(bool, bookmarkFlag);
        QFETCH(QString, format);
        FolderTree &tree = shownTree();
        tree.setCurrentItem(find(tree, "A2"));
        QSignalSpy dropped(&tree, &FolderTree::itemDropped);
        DragState::setFolderDragging(folderFlag);
        DragState::setBookmarkDragging(bookmarkFlag);
        QMimeData data;
        data.setData(format, "104");

        const QPoint at = pointOn(tree, find(tree, "B"));
        QVERIFY(!enter(tree, &data, at));
        QVERIFY(!move(tree, &data, at).first);
        QVERIFY(!drop(tree, &data, at));
        QCOMPARE(dropped.count(), 0);
        QCOMPARE(describe(tree), PageTree);
    }

    void bookmarksDropOntoTheRoot()
    {
        FolderTree &tree = shownTree();
        QSignalSpy dropped(&tree, &FolderTree::itemDropped);
        DragState::setBookmarkDragging(true);
        const std::unique_ptr<QMimeData> data = DragState::bookmarkPayload();

        const DragOutcome outcome = deliver(tree, data.get(), pointOn(tree, tree.topLevelItem(0)));
        QVERIFY(outcome.dropped);
        QCOMPARE(dropped.count(), 1);
        QCOMPARE(dropped.at(0).at(0).value<QTreeWidgetItem *>(), nullptr);
        QCOMPARE(dropped.at(0).at(1).value<QTreeWidgetItem *>(), tree.topLevelItem(0));
        QCOMPARE(dropped.at(0).at(2).toBool(), false);
        QCOMPARE(describe(tree), PageTree);
    }

    void bookmarksDropBesideAllItemsIsRefused()
    {
        FolderTree &tree = shownTree();
        QSignalSpy dropped(&tree, &FolderTree::itemDropped);
        DragState::setBookmarkDragging(true);
        const std::unique_ptr<QMimeData> data = DragState::bookmarkPayload();
        const DragOutcome outcome =
            deliver(tree, data.get(), QPoint(20, tree.viewport()->height() - 30));
        QVERIFY(!outcome.moveAccepted);
        QVERIFY(!outcome.dropped);
        QCOMPARE(dropped.count(), 0);
    }

    void hoveringExpandsAndLeavingCollapsesLastFirst()
    {
        FolderTree &tree = shownTree();
        tree.collapseAll();
        tree.topLevelItem(0)->setExpanded(true);
        QStringList collapsed;
        connect(&tree, &QTreeWidget::itemCollapsed, &tree,
                [&](QTreeWidgetItem *item) { collapsed << item->text(0); });

        std::unique_ptr<QMimeData> data = tree.beginFolderDrag(find(tree, "C"));
        QVERIFY(enter(tree, data.get(), pointOn(tree, find(tree, "A"))));
        QCOMPARE(tree.dropHighlightedItem(), find(tree, "A"));
        QTRY_VERIFY(find(tree, "A")->isExpanded());
        move(tree, data.get(), pointOn(tree, find(tree, "A1")));
        QTRY_VERIFY(find(tree, "A1")->isExpanded());
        move(tree, data.get(), pointOn(tree, find(tree, "B")));
        QTRY_VERIFY(find(tree, "B")->isExpanded());
        QCOMPARE(tree.dropHighlightedItem(), find(tree, "B"));
        leave(tree);
        tree.endFolderDrag();

        QCOMPARE(collapsed, (QStringList{"B", "A1", "A"}));
        QVERIFY(!tree.dropHighlightedItem());
        QVERIFY(tree.topLevelItem(0)->isExpanded());
    }

    // A folder passed over stays closed; one rested on opens after the delay,
    // and the drop lands where it was aimed. (The offscreen platform runs no
    // drag loop, so the drag events are sent as the loop would send them.)
    void aFolderOpensOnlyAfterTheDragRests()
    {
        FolderTree &tree = shownTree();
        tree.collapseAll();
        tree.topLevelItem(0)->setExpanded(true);
        QSignalSpy dropped(&tree, &FolderTree::itemDropped);
        QElapsedTimer resting;
        QStringList opened;
        qint64 openedAfter = -1;
        connect(&tree, &QTreeWidget::itemExpanded, &tree, [&](QTreeWidgetItem *item) {
            opened << item->text(0);
            openedAfter = resting.elapsed();
        });

        std::unique_ptr<QMimeData> data = tree.beginFolderDrag(find(tree, "C"));
        QVERIFY(enter(tree, data.get(), pointOn(tree, find(tree, "B"))));
        move(tree, data.get(), pointOn(tree, find(tree, "A")));
        resting.start();
        QTRY_VERIFY(find(tree, "A")->isExpanded());
        QCOMPARE(opened, QStringList{"A"});
        QVERIFY2(openedAfter >= FolderTree::ExpandDelay * 9 / 10, qPrintable(QString::number(openedAfter)));
        QVERIFY(drop(tree, data.get(), pointOn(tree, find(tree, "A2"))));
        tree.endFolderDrag();
        QCOMPARE(dropped.count(), 1);
        QCOMPARE(dropped.at(0).at(1).value<QTreeWidgetItem *>()->text(0), QStringLiteral("A2"));
    }

    void hoveringTheDraggedFolderShowsItsInsideButRefuses()
    {
        FolderTree &tree = shownTree();
        tree.collapseAll();
        tree.topLevelItem(0)->setExpanded(true);
        std::unique_ptr<QMimeData> data = tree.beginFolderDrag(find(tree, "A"));
        QVERIFY(enter(tree, data.get(), pointOn(tree, find(tree, "A"))));
        const auto [accepted, action] = move(tree, data.get(), pointOn(tree, find(tree, "A")));
        QVERIFY(!accepted);
        QTRY_VERIFY(find(tree, "A")->isExpanded());
        QVERIFY(!move(tree, data.get(), pointOn(tree, find(tree, "A1"))).first);
        // A drop let go of there anyway stays refused and tidies up.
        QVERIFY(!drop(tree, data.get(), pointOn(tree, find(tree, "A1"))));
        tree.endFolderDrag();
        QVERIFY(!find(tree, "A")->isExpanded());
        QCOMPARE(describe(tree), PageTree);
    }

    void theTopLevelCannotBeDragged()
    {
        FolderTree &tree = shownTree();
        QVERIFY(!tree.beginFolderDrag(tree.topLevelItem(0)));
        QVERIFY(!tree.beginFolderDrag(nullptr));
        QVERIFY(!DragState::folderDragging());
    }

    // The Organize page's tree has no root: its top level holds folders and bookmarks.
    void aTopLevelBookmarkStandsForTheTopLevel()
    {
        FolderTree tree;
        QTreeWidgetItem *x = tree.insertItem("X", 0, 1, nullptr, nullptr, 101);
        tree.insertItem("Y", 0, 1, x, nullptr, 102);
        tree.insertItem("bookmark", 2, 3, nullptr, nullptr, 1001);
        tree.expandAll();
        tree.resize(240, 300);
        tree.show();
        QVERIFY(QTest::qWaitForWindowExposed(&tree));
        QSignalSpy dropped(&tree, &FolderTree::itemDropped);

        const DragOutcome outcome = dragFolder(tree, find(tree, "Y"), tree, find(tree, "bookmark"));
        QVERIFY(outcome.dropped);
        QCOMPARE(dropped.at(0).at(1).value<QTreeWidgetItem *>(), nullptr);
        QCOMPARE(describe(tree), QStringLiteral("X:101 bookmark:1001 Y:102"));
    }

    void foldersMoveBetweenTwoTrees()
    {
        FolderTree &source = shownTree();
        FolderTree target;
        fillPageTree(target);
        target.expandAll();
        target.resize(260, 400);
        target.show();
        QVERIFY(QTest::qWaitForWindowExposed(&target));
        QSignalSpy droppedOnTarget(&target, &FolderTree::itemDropped);

        // The other tree shows the same folders: A cannot go inside its own copy there.
        QVERIFY(!dragFolder(source, find(source, "A"), target, find(target, "A1a")).moveAccepted);
        QVERIFY(!dragFolder(source, find(source, "A"), target, find(target, "A")).moveAccepted);
        QCOMPARE(describe(source), PageTree);

        target.clear();
        QTreeWidgetItem *root = target.insertItem("Favorites", 0, 1, nullptr, nullptr, 0);
        target.insertItem("Elsewhere", 0, 1, root, nullptr, 200);
        target.expandAll();
        QVERIFY(dragFolder(source, find(source, "A"), target, find(target, "Elsewhere")).dropped);
        QCOMPARE(droppedOnTarget.count(), 1);
        QCOMPARE(describe(target),
                 QStringLiteral("Favorites:0(Elsewhere:200(A:101(A1:102(A1a:103),A2:104)))"));
        QCOMPARE(describe(source),
                 QStringLiteral("Favorites:0(B:105(Sub:106),C:107(SUB:108,page:1001))"));
    }

    void aDropHandlerMayRefillTheTree()
    {
        FolderTree &tree = shownTree();
        connect(&tree, &FolderTree::itemDropped, &tree, [&tree] {
            fillPageTree(tree);
            tree.expandAll();
        });
        QVERIFY(dragFolder(tree, find(tree, "A2"), tree, find(tree, "B")).dropped);
        QCOMPARE(describe(tree), PageTree);
        QVERIFY(!tree.droppedItem());
    }

    // Moving the current row with the keys keeps it in sight.
    void keysKeepTheCurrentRowInSight_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("from");
        QTest::newRow("End") << int(Qt::Key_End) << QStringLiteral("Favorites");
        QTest::newRow("Page Down") << int(Qt::Key_PageDown) << QStringLiteral("Favorites");
        QTest::newRow("Home from the end") << int(Qt::Key_Home) << QStringLiteral("Folder 99");
    }

    void keysKeepTheCurrentRowInSight()
    {
        QFETCH(int, key);
        QFETCH(QString, from);
        FolderTree &tree = shownLongTree();
        tree.setCurrentItem(find(tree, from));
        tree.scrollToItem(tree.currentItem());
        QTreeWidgetItem *before = tree.currentItem();
        QTest::keyClick(&tree, Qt::Key(key));
        QVERIFY(tree.currentItem() != before);
        QVERIFY(tree.viewport()->rect().contains(tree.visualItemRect(tree.currentItem())));
    }

    void draggingNearAnEdgeScrolls()
    {
        FolderTree &tree = shownLongTree();
        QScrollBar *bar = tree.verticalScrollBar();
        QCOMPARE(bar->value(), 0);

        std::unique_ptr<QMimeData> data = tree.beginFolderDrag(find(tree, "Folder 0"));
        const int bottom = tree.viewport()->height() - 3;
        QVERIFY(enter(tree, data.get(), QPoint(60, tree.viewport()->height() / 2)));
        move(tree, data.get(), QPoint(60, bottom));
        const int down = bar->value();
        QVERIFY(down > 0);
        move(tree, data.get(), QPoint(60, bottom));
        QVERIFY(bar->value() > down);
        // Resting there keeps it going.
        QTRY_VERIFY(bar->value() > down + 2);
        move(tree, data.get(), QPoint(60, tree.viewport()->height() / 2));
        const int rest = bar->value();
        QTest::qWait(3 * FolderTree::ScrollInterval);
        QCOMPARE(bar->value(), rest);
        move(tree, data.get(), QPoint(60, 2));
        QVERIFY(bar->value() < rest);
        leave(tree);
        tree.endFolderDrag();
    }
};

QTEST_MAIN(TestFolderTree)
#include "tst_organiser_foldertree.moc"

#include "organiser/rowquicksort.h"
#include "organiser/sortablelist.h"
#include "organiser/starratingdelegate.h"

#include <QHeaderView>
#include <QRandomGenerator>
#include <QToolTip>
#include <QtTest>

#include <cmath>

// A list laid out as the bookmarks page lays it out: title, address, rating.
class ListFixture
{
public:
    ListFixture()
    {
        list.setHeaderLabels({"Title", "Web address", "Star rating"});
        list.resize(560, 300);
    }

    // Row n gets item data n, so a row can be followed wherever it goes.
    void fill(const QStringList &titles, const QStringList &ratings = {})
    {
        list.clear();
        for (int row = 0; row < titles.size(); ++row) {
            auto *item = new QTreeWidgetItem(&list);
            item->setText(0, titles.at(row));
            item->setText(1, QStringLiteral("http://site%1.example/").arg(row));
            item->setText(2, row < ratings.size() ? ratings.at(row) : QStringLiteral("0"));
            item->setData(0, Qt::UserRole, row);
        }
    }
    QStringList column(int column) const
    {
        QStringList texts;
        for (int row = 0; row < list.topLevelItemCount(); ++row)
            texts << list.topLevelItem(row)->text(column);
        return texts;
    }
    QList<int> rowData() const
    {
        QList<int> data;
        for (int row = 0; row < list.topLevelItemCount(); ++row)
            data << list.topLevelItem(row)->data(0, Qt::UserRole).toInt();
        return data;
    }
    void clickHeader(int section, Qt::MouseButton button = Qt::LeftButton)
    {
        QHeaderView *header = list.header();
        const QPoint centre(header->sectionViewportPosition(section) +
                                header->sectionSize(section) / 2,
                            header->height() / 2);
        QTest::mouseClick(header->viewport(), button, {}, centre);
    }

    SortableList list;
};

class TestSortableList : public QObject
{
    Q_OBJECT

private:
    static bool isOrdered(const QStringList &texts, bool ascending)
    {
        for (qsizetype i = 1; i < texts.size(); ++i) {
            const int order = QString::compare(texts[i - 1], texts[i], Qt::CaseInsensitive);
            if (ascending ? order > 0 : order < 0)
                return false;
        }
        return true;
    }
    static double nLogN(int n) { return n * std::log2(double(n)); }

private slots:
    void emptyAndSingleRowListsAreNotSorted()
    {
        ListFixture fixture;
        QVERIFY(!fixture.list.sortRows(0, true));
        fixture.fill({"only"});
        QVERIFY(!fixture.list.sortRows(0, true));
        QCOMPARE(fixture.column(0), QStringList{"only"});
    }

    void columnBeyondTheHeaderLeavesRowsAlone()
    {
        ListFixture fixture;
        fixture.fill({"c", "a", "b"});
        QVERIFY(!fixture.list.sortRows(3, true));
        QVERIFY(!fixture.list.sortRows(-1, true));
        QCOMPARE(fixture.column(0), (QStringList{"c", "a", "b"}));
        QVERIFY(fixture.list.sortRows(2 - 2, true));
        QCOMPARE(fixture.column(0), (QStringList{"a", "b", "c"}));
    }

    void sortsInTheListsOwnOrder_data()
    {
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<bool>("ascending");
        QTest::addColumn<QList<int>>("expectedRows");

        QTest::newRow("numbers compare as text")
            << QStringList{"9", "10", "2"} << true << QList<int>{1, 2, 0};
        QTest::newRow("descending") << QStringList{"b", "c", "a"} << false << QList<int>{1, 0, 2};
        // Rows equal but for case are never swapped with each other, so they
        // land where the partitioning leaves them, not in their first order.
        QTest::newRow("case only, ascending")
            << QStringList{"beta", "Alpha", "BETA", "alpha"} << true << QList<int>{3, 1, 2, 0};
        QTest::newRow("case only, descending")
            << QStringList{"a", "B", "A", "b"} << false << QList<int>{3, 1, 2, 0};
        QTest::newRow("ratings with ties")
            << QStringList{"3", "5", "0", "5", "1"} << false << QList<int>{3, 1, 0, 4, 2};
        QTest::newRow("already sorted")
            << QStringList{"a", "b", "c", "d"} << true << QList<int>{0, 1, 2, 3};
        QTest::newRow("words in the language's order")
            << QStringList{"Zulu", QString::fromUtf8("ärger"), "apple", QString::fromUtf8("Öl"), "Ofen"}
            << true << QList<int>{2, 1, 4, 3, 0};
    }

    void sortsInTheListsOwnOrder()
    {
        QFETCH(QStringList, texts);
        QFETCH(bool, ascending);
        QFETCH(QList<int>, expectedRows);
        ListFixture fixture;
        fixture.fill(texts);
        QVERIFY(fixture.list.sortRows(0, ascending));
        QCOMPARE(fixture.rowData(), expectedRows);
    }

    // A column other than the title compares texts without regard to case,
    // whether its texts are all single characters (the star ratings) or not.
    void sortsOtherColumnsInTheListsOwnOrder_data()
    {
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<bool>("ascending");
        QTest::addColumn<QList<int>>("expectedRows");

        QTest::newRow("ratings with ties, descending")
            << QStringList{"3", "5", "0", "5", "1", "3", "0", "5"} << false
            << QList<int>{7, 1, 3, 0, 5, 4, 6, 2};
        QTest::newRow("ratings with ties, ascending")
            << QStringList{"3", "5", "0", "5", "1", "3", "0", "5"} << true
            << QList<int>{6, 2, 4, 5, 0, 1, 3, 7};
        QTest::newRow("one text longer than the rest")
            << QStringList{"3", "10", "2", "1"} << true << QList<int>{3, 1, 2, 0};
        QTest::newRow("an empty text among single characters")
            << QStringList{"2", "", "1", "0"} << true << QList<int>{1, 3, 2, 0};
        QTest::newRow("letters equal but for case")
            << QStringList{"b", "A", "a", "B", "c", "a"} << true << QList<int>{5, 1, 2, 3, 0, 4};
        QTest::newRow("letters beyond ASCII")
            << QStringList{QString::fromUtf8("\u00e9"), "e", QString::fromUtf8("\u00c9"), "E", "z"}
            << false << QList<int>{0, 2, 4, 3, 1};
    }

    void sortsOtherColumnsInTheListsOwnOrder()
    {
        QFETCH(QStringList, texts);
        QFETCH(bool, ascending);
        QFETCH(QList<int>, expectedRows);
        ListFixture fixture;
        fixture.fill(QStringList(texts.size(), QStringLiteral("t")), texts);
        fixture.list.sortRows(2, ascending);
        QCOMPARE(fixture.rowData(), expectedRows);

        QList<QTreeWidgetItem *> rows;
        for (int row = 0; row < texts.size(); ++row) {
            rows.append(new QTreeWidgetItem(QStringList{"t", "http://x", texts.at(row)}));
            rows.back()->setData(0, Qt::UserRole, row);
        }
        fixture.list.setSortedRows(rows, 2, ascending);
        QCOMPARE(fixture.rowData(), expectedRows);
    }

    // Rows handed over unlisted end in the order a fill and a sort would give.
    void setsRowsInSortedOrder_data() { sortsInTheListsOwnOrder_data(); }
    void setsRowsInSortedOrder()
    {
        QFETCH(QStringList, texts);
        QFETCH(bool, ascending);
        QFETCH(QList<int>, expectedRows);
        ListFixture fixture;
        fixture.fill({"left over"});
        QList<QTreeWidgetItem *> rows;
        for (int row = 0; row < texts.size(); ++row) {
            rows.append(new QTreeWidgetItem(QStringList{texts.at(row), "http://x", "0"}));
            rows.last()->setData(0, Qt::UserRole, row);
        }
        fixture.list.setSortedRows(rows, 0, ascending);
        QCOMPARE(fixture.rowData(), expectedRows);
    }

    void removesRowsKeepingTheRest_data()
    {
        QTest::addColumn<int>("rows");
        QTest::newRow("a few, one by one") << 6;
        QTest::newRow("many, laid out again") << 60;
    }
    void removesRowsKeepingTheRest()
    {
        QFETCH(int, rows);
        ListFixture fixture;
        QStringList titles;
        for (int i = 0; i < rows * 2; ++i)
            titles << QString::number(i);
        fixture.fill(titles);
        QList<QTreeWidgetItem *> gone;
        QList<int> kept;
        for (int i = 0; i < rows * 2; ++i) {
            QTreeWidgetItem *item = fixture.list.topLevelItem(i);
            if (i % 2)
                gone << item;
            else
                kept << i;
            item->setSelected(i % 4 == 0 || i % 2);
        }
        fixture.list.setCurrentItem(fixture.list.topLevelItem(2), 0, QItemSelectionModel::NoUpdate);
        fixture.list.removeRows(gone);
        QCOMPARE(fixture.rowData(), kept);
        QCOMPARE(fixture.list.currentItem()->data(0, Qt::UserRole).toInt(), 2);
        for (int row = 0; row < fixture.list.topLevelItemCount(); ++row)
            QCOMPARE(fixture.list.topLevelItem(row)->isSelected(), kept.at(row) % 4 == 0);
    }

    void sortsPartOfTheRows()
    {
        ListFixture fixture;
        fixture.fill({"e", "d", "c", "b", "a"});
        QVERIFY(fixture.list.sortRows(0, true, 1, 3));
        QCOMPARE(fixture.column(0), (QStringList{"e", "b", "c", "d", "a"}));
    }

    void headerClicksToggleTheDirection()
    {
        ListFixture fixture;
        fixture.fill({"b", "c", "a"}, {"2", "1", "3"});
        fixture.list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&fixture.list));

        fixture.clickHeader(0);
        QCOMPARE(fixture.column(0), (QStringList{"a", "b", "c"}));
        fixture.clickHeader(0);
        QCOMPARE(fixture.column(0), (QStringList{"c", "b", "a"}));
        fixture.clickHeader(2);
        QCOMPARE(fixture.column(2), (QStringList{"1", "2", "3"}));
        fixture.clickHeader(0);
        QCOMPARE(fixture.column(0), (QStringList{"a", "b", "c"}));
        QCOMPARE(fixture.list.header()->sortIndicatorSection(), 0);

        // A refill in its own order drops the arrow: the next click starts ascending.
        QList<QTreeWidgetItem *> rows;
        for (const char *text : {"b", "a", "c"})
            rows.append(new QTreeWidgetItem(QStringList{text, "http://x", "0"}));
        fixture.list.setSortedRows(rows, 2, false);
        QVERIFY(!fixture.list.header()->isSortIndicatorShown());
        fixture.clickHeader(0);
        QCOMPARE(fixture.column(0), (QStringList{"a", "b", "c"}));
        QCOMPARE(fixture.list.header()->sortIndicatorOrder(), Qt::AscendingOrder);
    }

    void directSortDoesNotTouchTheHeadersMemory()
    {
        ListFixture fixture;
        fixture.fill({"x", "y", "z"}, {"1", "5", "3"});
        fixture.list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&fixture.list));

        QVERIFY(fixture.list.sortRows(2, false));
        QCOMPARE(fixture.column(2), (QStringList{"5", "3", "1"}));
        QCOMPARE(fixture.list.lastSortColumn(), -1);

        fixture.clickHeader(2);
        QCOMPARE(fixture.column(2), (QStringList{"1", "3", "5"}));
    }

    void otherButtonsOnTheHeaderDoNotSort()
    {
        ListFixture fixture;
        fixture.fill({"b", "c", "a"});
        fixture.list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&fixture.list));

        fixture.clickHeader(0, Qt::RightButton);
        fixture.clickHeader(0, Qt::MiddleButton);
        QCOMPARE(fixture.column(0), (QStringList{"b", "c", "a"}));
        QCOMPARE(fixture.list.lastSortColumn(), -1);
    }

    void rowsTakeEverythingAlong()
    {
        ListFixture fixture;
        fixture.fill({"delta", "alpha", "charlie", "bravo"}, {"4", "1", "3", "2"});
        QPixmap red(16, 16);
        red.fill(Qt::red);
        fixture.list.topLevelItem(2)->setIcon(0, QIcon(red));
        fixture.list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&fixture.list));

        // The person selects "alpha", then ctrl-clicks "charlie" and leaves the focus there.
        QTreeWidget &list = fixture.list;
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {},
                          list.visualItemRect(list.topLevelItem(1)).center());
        QTest::mouseClick(list.viewport(), Qt::LeftButton, Qt::ControlModifier,
                          list.visualItemRect(list.topLevelItem(2)).center());
        QCOMPARE(list.selectedItems().size(), 2);

        QVERIFY(fixture.list.sortRows(0, true));
        QCOMPARE(fixture.column(0), (QStringList{"alpha", "bravo", "charlie", "delta"}));
        QCOMPARE(fixture.column(2), (QStringList{"1", "2", "3", "4"}));
        QCOMPARE(fixture.rowData(), (QList<int>{1, 3, 2, 0}));
        QStringList selected;
        for (int row = 0; row < list.topLevelItemCount(); ++row)
            if (list.topLevelItem(row)->isSelected())
                selected << list.topLevelItem(row)->text(0);
        QCOMPARE(selected, (QStringList{"alpha", "charlie"}));
        QCOMPARE(list.currentItem()->text(0), QStringLiteral("charlie"));
        QVERIFY(!list.topLevelItem(2)->icon(0).isNull());
        QVERIFY(list.topLevelItem(0)->icon(0).isNull());

        // The keyboard goes on from where the focus travelled to.
        QTest::keyClick(list.viewport(), Qt::Key_Down);
        QCOMPARE(list.currentItem()->text(0), QStringLiteral("delta"));
    }

    void tooltipShowsTheRowsAddressOverAnyCell_data()
    {
        QTest::addColumn<int>("column");
        QTest::newRow("title") << 0;
        QTest::newRow("address") << 1;
        QTest::newRow("rating") << 2;
    }

    void tooltipShowsTheRowsAddressOverAnyCell()
    {
        QFETCH(int, column);
        ListFixture fixture;
        fixture.fill({"first", "second", "third"});
        fixture.list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&fixture.list));

        QTreeWidgetItem *item = fixture.list.topLevelItem(1);
        const QPoint point =
            fixture.list.visualRect(fixture.list.indexFromItem(item, column)).center();
        QHelpEvent help(QEvent::ToolTip, point, fixture.list.viewport()->mapToGlobal(point));
        QCoreApplication::sendEvent(fixture.list.viewport(), &help);
        QTRY_COMPARE(QToolTip::text(), QStringLiteral("http://site1.example/"));
        QToolTip::hideText();
    }

    void longAddressesAreCutInTheTooltip()
    {
        ListFixture fixture;
        fixture.fill({"long"});
        const QString address = "http://example.com/" + QString(200, 'x');
        fixture.list.topLevelItem(0)->setText(1, address);
        fixture.list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&fixture.list));

        const QPoint point = fixture.list.visualItemRect(fixture.list.topLevelItem(0)).center();
        QHelpEvent help(QEvent::ToolTip, point, fixture.list.viewport()->mapToGlobal(point));
        QCoreApplication::sendEvent(fixture.list.viewport(), &help);
        QTRY_VERIFY(!QToolTip::text().isEmpty());
        QCOMPARE(QToolTip::text().left(79), address.left(79));
        QCOMPARE(QToolTip::text().size(), 80);
        QToolTip::hideText();
    }

    void staysOrderedAndQuickOnOrdinaryData_data()
    {
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<double>("factor");
        constexpr int n = 3000;
        QStringList random, sorted, equal, ratings, words, organPipe;
        QRandomGenerator generator(42);
        for (int i = 0; i < n; ++i) {
            random << QString::number(generator.bounded(1000000));
            sorted << QStringLiteral("%1").arg(i, 6, 10, QLatin1Char('0'));
            equal << QStringLiteral("Same");
            ratings << QString::number(generator.bounded(6));
            words << (i % 2 ? QStringLiteral("Word%1") : QStringLiteral("word%1")).arg(i % 97);
            organPipe << QStringLiteral("%1").arg(i < n / 2 ? i : n - i, 6, 10, QLatin1Char('0'));
        }
        QStringList reversed(sorted.crbegin(), sorted.crend());
        QTest::newRow("random") << random << 4.0;
        QTest::newRow("sorted") << sorted << 4.0;
        QTest::newRow("reversed") << reversed << 4.0;
        QTest::newRow("all equal") << equal << 4.0;
        QTest::newRow("six ratings") << ratings << 4.0;
        QTest::newRow("case pairs") << words << 4.0;
        // The middle row is the largest here: the depth guard takes over.
        QTest::newRow("organ pipe") << organPipe << 8.0;
    }

    void staysOrderedAndQuickOnOrdinaryData()
    {
        QFETCH(QStringList, texts);
        QFETCH(double, factor);
        ListFixture fixture;
        fixture.fill(texts);
        for (bool ascending : {true, false}) {
            fixture.list.sortRows(0, ascending);
            QVERIFY(isOrdered(fixture.column(0), ascending));
            QVERIFY2(fixture.list.lastComparisonCount() <= factor * nLogN(texts.size()),
                     qPrintable(QString::number(fixture.list.lastComparisonCount())));
        }
    }

    // The guard against crafted orders must never change the order that
    // ordinary data gets from the quicksort itself.
    void theDepthGuardStaysOutOfOrdinaryData_data() { staysOrderedAndQuickOnOrdinaryData_data(); }

    void theDepthGuardStaysOutOfOrdinaryData()
    {
        QFETCH(QStringList, texts);
        QFETCH(double, factor);
        if (factor > 4)
            QSKIP("a pathological shape, not ordinary data");
        for (bool ascending : {true, false}) {
            std::vector<QString> rows(texts.cbegin(), texts.cend());
            auto compare = [](const QString &a, const QString &b) {
                return QString::compare(a, b, Qt::CaseInsensitive);
            };
            RowQuicksort<QString, decltype(compare)> quicksort(rows, compare, ascending);
            quicksort.sort(0, qsizetype(rows.size()) - 1);
            QVERIFY(!quicksort.fellBack());
        }
    }

    // An order built to defeat a middle-element pivot (McIlroy's adversary
    // decides each comparison so that the pivot is always nearly the smallest).
    void craftedOrderNeitherCrashesNorGoesQuadratic()
    {
        constexpr int n = 4000;
        const int gas = n;
        std::vector<int> value(n, gas);
        int solid = 0;
        int candidate = 0;
        auto adversary = [&](int a, int b) {
            if (value[a] == gas && value[b] == gas)
                value[a == candidate ? a : b] = solid++;
            if (value[a] == gas)
                candidate = a;
            else if (value[b] == gas)
                candidate = b;
            return value[a] - value[b];
        };
        std::vector<int> rows(n);
        std::iota(rows.begin(), rows.end(), 0);
        RowQuicksort<int, decltype(adversary)> probe(rows, adversary, true);
        probe.sort(0, n - 1);
        QVERIFY(probe.fellBack());

        QStringList texts;
        for (int i = 0; i < n; ++i)
            texts << QStringLiteral("%1").arg(value[std::size_t(i)], 6, 10, QLatin1Char('0'));
        ListFixture fixture;
        fixture.fill(texts);
        QVERIFY(fixture.list.sortRows(0, true));
        QVERIFY(isOrdered(fixture.column(0), true));
        // Unguarded, this order costs about n * n / 4 comparisons.
        QVERIFY2(fixture.list.lastComparisonCount() < 12 * nLogN(n),
                 qPrintable(QString::number(fixture.list.lastComparisonCount())));
    }

    void ratingCellsShowStarsNotNumbers_data()
    {
        QTest::addColumn<QString>("rating");
        QTest::addColumn<int>("stripWidth");
        QTest::newRow("not set") << "0" << 0;
        QTest::newRow("one") << "1" << 7;
        QTest::newRow("five") << "5" << 35;
        QTest::newRow("out of range") << "9" << 35;
        QTest::newRow("not a number") << "x" << 0;
    }

    void ratingCellsShowStarsNotNumbers()
    {
        QFETCH(QString, rating);
        QFETCH(int, stripWidth);
        ListFixture fixture;
        StarRatingDelegate delegate;
        fixture.list.setItemDelegateForColumn(2, &delegate);
        fixture.fill({"rated"}, {rating});
        fixture.list.clearSelection();
        fixture.list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&fixture.list));

        const QRect cell =
            fixture.list.visualRect(fixture.list.indexFromItem(fixture.list.topLevelItem(0), 2));
        const QImage image = fixture.list.viewport()->grab(cell).toImage();
        int left = image.width(), right = -1;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QColor colour = image.pixelColor(x, y);
                if (colour.red() > 180 && colour.green() > 110 && colour.blue() < 90) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                }
            }
        const int painted = right < 0 ? 0 : right - left + 1;
        // Anti-aliased star tips are paler than the test for gold.
        QVERIFY2(std::abs(painted - stripWidth) <= 2, qPrintable(QString::number(painted)));
        if (stripWidth)
            QVERIFY(std::abs(left - StarRatingDelegate::LeftMargin) <= 1);
    }
};

QTEST_MAIN(TestSortableList)
#include "tst_organiser_sortablelist.moc"

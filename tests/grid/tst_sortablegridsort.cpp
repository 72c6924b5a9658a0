// Sorting the rows of the list grid on request: key detection, stability, footer rows, the
// current row, undoing a sort, and what stays with the row positions.
#include "SortGlyph.h"
#include "SortableGrid.h"

#include <QtTest>

using namespace kolvar::grid;

namespace {

// One title row, then one row per key: column 0 holds the row's original position, column 1 the
// key, column 5 (beyond the shown columns) a hidden identifier that must travel with the row.
void fillKeys(SortableGrid& grid, const QStringList& keys)
{
    grid.setColCount(3);
    grid.setRowCount(int(keys.size()) + 1);
    grid.setRowTexts(0, { "Lp.", "Klucz", "Uwagi" });
    for (int i = 0; i < keys.size(); ++i) {
        grid.setRowTexts(i + 1, { QString::number(i + 1), keys[i], QString() });
        grid.setCells(5, i + 1, QStringLiteral("id%1").arg(i + 1));
    }
}

QStringList column(const SortableGrid& grid, int col, int first = 1)
{
    QStringList texts;
    for (int r = first; r < grid.rowCount(); ++r)
        texts.append(grid.cells(col, r));
    return texts;
}

SortOptions options(
    SortDirection direction = sdAscending, SortKeyKind kind = skDetect, bool matchCase = false)
{
    SortOptions o;
    o.keyKind = kind;
    o.direction = direction;
    o.matchCase = matchCase;
    return o;
}

class GlyphProbe : public SortableGrid
{
public:
    using SortableGrid::rowsSorted;
    using SortableGrid::sortGlyph;
};

} // namespace

class TestSortableGridSort : public QObject
{
    Q_OBJECT
private slots:
    void sortsByTheDetectedKeyKind_data()
    {
        QTest::addColumn<QStringList>("keys");
        QTest::addColumn<QStringList>("sorted");
        QTest::newRow("numbers by value")
            << QStringList { "10", "9", "100" } << QStringList { "9", "10", "100" };
        QTest::newRow("an empty cell turns numbers into text")
            << QStringList { "10", "", "100", "9" } << QStringList { "", "10", "100", "9" };
        QTest::newRow("decimal commas")
            << QStringList { "2,5", "-1", "2,25" } << QStringList { "-1", "2,25", "2,5" };
        QTest::newRow("dates by day") << QStringList { "2024.01.02", "2023.12.31", "2024.01.01" }
                                      << QStringList { "2023.12.31", "2024.01.01", "2024.01.02" };
        QTest::newRow("times by clock")
            << QStringList { "10:00", "9:30", "23:59" } << QStringList { "9:30", "10:00", "23:59" };
        QTest::newRow("Polish names") << QStringList { "Żak", "Zięba", "Łoś", "Lis", "Ćma", "Cis" }
                                      << QStringList { "Cis", "Ćma", "Lis", "Łoś", "Zięba", "Żak" };
    }
    void sortsByTheDetectedKeyKind()
    {
        QFETCH(QStringList, keys);
        QFETCH(QStringList, sorted);
        SortableGrid grid;
        fillKeys(grid, keys);
        grid.orderByColumn(1, options());
        QCOMPARE(column(grid, 1), sorted);
        QCOMPARE(grid.cells(1, 0), QStringLiteral("Klucz"));
    }

    void equalKeysKeepTheirOrderInBothDirections_data()
    {
        QTest::addColumn<int>("direction");
        QTest::addColumn<QStringList>("rows");
        // keys: b a B c A b
        QTest::newRow("ascending")
            << int(sdAscending) << QStringList { "2", "5", "1", "3", "6", "4" };
        QTest::newRow("descending")
            << int(sdDescending) << QStringList { "4", "1", "3", "6", "2", "5" };
    }
    void equalKeysKeepTheirOrderInBothDirections()
    {
        QFETCH(int, direction);
        QFETCH(QStringList, rows);
        SortableGrid grid;
        fillKeys(grid, { "b", "a", "B", "c", "A", "b" });
        grid.orderByColumn(1, options(SortDirection(direction)));
        QCOMPARE(column(grid, 0), rows);
        QCOMPARE(grid.sortDirection(), SortDirection(direction));
    }

    void matchingCaseSeparatesSmallFromCapitalLetters()
    {
        SortableGrid grid;
        fillKeys(grid, { "ABC", "abc", "ABC" });
        grid.orderByColumn(1, options(sdAscending, skText, false));
        QCOMPARE(column(grid, 0), (QStringList { "1", "2", "3" }));
        grid.orderByColumn(1, options(sdAscending, skText, true));
        QCOMPARE(column(grid, 1), (QStringList { "abc", "ABC", "ABC" }));
    }

    void wholeRowsMoveAlsoTheirHiddenTexts()
    {
        SortableGrid grid;
        fillKeys(grid, { "c", "a", "b" });
        grid.orderByColumn(1, options());
        QCOMPARE(column(grid, 5), (QStringList { "id2", "id3", "id1" }));
    }

    void heightsAndMarksStayWithThePositions()
    {
        SortableGrid grid;
        fillKeys(grid, { "c", "a", "b" });
        grid.setRowHeight(3, 0);
        grid.setRowMark(2, true);
        grid.orderByColumn(1, options());
        QCOMPARE(grid.rowHeight(3), 0);
        QCOMPARE(grid.cells(1, 3), QStringLiteral("c"));
        QVERIFY(grid.rowMarked(2));
    }

    void footerRowsStayUnlessTheyAreSorted_data()
    {
        QTest::addColumn<bool>("sortFooter");
        QTest::addColumn<QStringList>("sorted");
        QTest::newRow("footer left in place")
            << false << QStringList { "a", "c", "d", "Razem", "b" };
        QTest::newRow("footer sorted too") << true << QStringList { "a", "b", "c", "d", "Razem" };
    }
    void footerRowsStayUnlessTheyAreSorted()
    {
        QFETCH(bool, sortFooter);
        QFETCH(QStringList, sorted);
        SortableGrid grid;
        fillKeys(grid, { "d", "c", "a", "Razem", "b" });
        grid.setFooterRows(2);
        grid.setSortFooter(sortFooter);
        grid.orderByColumn(1, options());
        QCOMPARE(column(grid, 1), sorted);
    }

    void aGridWithOneDataRowIsNotSorted()
    {
        SortableGrid grid;
        fillKeys(grid, { "x" });
        int events = 0;
        grid.onBeginSort = [&](int, SortOptions&) { ++events; };
        grid.onEndSort = [&](int) { ++events; };
        grid.orderByColumn(1, options(sdDescending));
        QCOMPARE(events, 0);
        QCOMPARE(grid.sortDirection(), sdAscending);
        QVERIFY(!grid.preSortOrderKnown());
    }

    void handlersSeeTheDetectedKindAndMayChangeIt()
    {
        SortableGrid grid;
        fillKeys(grid, { "10", "9", "100" });
        SortKeyKind seen = skDetect;
        grid.onBeginSort = [&](int col, SortOptions& o) {
            QCOMPARE(col, 1);
            seen = o.keyKind;
            o.keyKind = skText;
        };
        int ended = -1;
        grid.onEndSort = [&](int col) { ended = col; };
        const SortOptions mine = options();
        grid.orderByColumn(1, mine);
        QCOMPARE(seen, skNumber);
        QCOMPARE(ended, 1);
        QCOMPARE(mine.keyKind, skDetect);
        QCOMPARE(column(grid, 1), (QStringList { "10", "100", "9" }));
        QCOMPARE(grid.sortColumn(), 1);
    }

    void callersComparisonDecides()
    {
        SortableGrid grid;
        fillKeys(grid, { "ccc", "a", "bb" });
        SortOptions o = options(sdDescending, skUserCompare, true);
        o.compare = [](const QString& a, const QString& b) { return int(a.size() - b.size()); };
        grid.orderByColumn(1, o);
        QCOMPARE(column(grid, 1), (QStringList { "ccc", "bb", "a" }));
    }

    void theCurrentRowFollowsItsData()
    {
        SortableGrid grid;
        fillKeys(grid, { "d", "b", "a", "c" });
        grid.setCurrentCell(2, 1); // "d"
        grid.orderByColumn(1, options());
        QCOMPARE(grid.row(), 4);
        QCOMPARE(grid.col(), 2);
        QCOMPARE(grid.cells(1, grid.row()), QStringLiteral("d"));
        grid.restorePreSortOrder();
        QCOMPARE(grid.row(), 1);
    }

    void restoringPutsEveryRowBack()
    {
        GlyphProbe grid;
        const QStringList keys { "d", "b", "a", "c", "b" };
        fillKeys(grid, keys);
        grid.orderByColumn(1, options(sdDescending));
        QVERIFY(grid.rowsSorted());
        QVERIFY(grid.preSortOrderKnown());
        QCOMPARE(grid.sortEntries().count(), 5);
        QCOMPARE(grid.sortEntries().entryAt(0).sourceRow, 1);
        grid.restorePreSortOrder();
        QCOMPARE(column(grid, 1), keys);
        QCOMPARE(column(grid, 5), (QStringList { "id1", "id2", "id3", "id4", "id5" }));
        QVERIFY(!grid.rowsSorted());
        QCOMPARE(grid.sortEntries().count(), 0);
    }

    void aChangedRowCountForgetsTheOrderBeforeTheSort_data()
    {
        QTest::addColumn<bool>("addRow");
        QTest::addColumn<int>("footerRows");
        QTest::newRow("row added") << true << 0;
        QTest::newRow("footer rows not sorted") << false << 1;
    }
    void aChangedRowCountForgetsTheOrderBeforeTheSort()
    {
        QFETCH(bool, addRow);
        QFETCH(int, footerRows);
        SortableGrid grid;
        fillKeys(grid, { "d", "b", "a", "c" });
        grid.setFooterRows(footerRows);
        grid.orderByColumn(1, options());
        if (addRow)
            grid.addRowAt(2);
        const QStringList before = column(grid, 1);
        QVERIFY(!grid.preSortOrderKnown());
        QCOMPARE(grid.sortEntries().count(), 0);
        grid.restorePreSortOrder();
        QCOMPARE(column(grid, 1), before);
    }

    void directionPicksTheGlyph_data()
    {
        QTest::addColumn<int>("symbol");
        QTest::addColumn<int>("direction");
        QTest::addColumn<QString>("resource");
        QTest::newRow("arrow up") << int(sgArrow) << int(sdAscending) << "SORTUP";
        QTest::newRow("arrow down") << int(sgArrow) << int(sdDescending) << "SORTDN";
        QTest::newRow("A to Z") << int(sgGlyph) << int(sdAscending) << "SORTAZ";
        QTest::newRow("Z to A") << int(sgGlyph) << int(sdDescending) << "SORTZA";
        QTest::newRow("none") << int(sgNone) << int(sdDescending) << "";
    }
    void directionPicksTheGlyph()
    {
        QFETCH(int, symbol);
        QFETCH(int, direction);
        QFETCH(QString, resource);
        GlyphProbe grid;
        fillKeys(grid, { "b", "a" });
        grid.setSortSymbol(SortSymbol(symbol));
        grid.orderByColumn(1, options(SortDirection(direction)));
        QCOMPARE(grid.sortGlyph(), loadSortGlyphResource(resource));
    }

    void customGlyphsComeFromTheBitmaps()
    {
        GlyphProbe grid;
        QImage up(5, 5, QImage::Format_RGB32);
        up.fill(Qt::green);
        QImage down(6, 6, QImage::Format_RGB32);
        down.fill(Qt::blue);
        grid.setSortBitMapA(up);
        grid.setSortBitMapD(down);
        grid.setSortSymbol(sgCustom);
        QCOMPARE(grid.sortGlyph(), up);
        grid.setSortDirection(sdDescending);
        QCOMPARE(grid.sortGlyph(), down);
    }

    void clearingRowsResetsTheDirectionButNotTheGlyph()
    {
        GlyphProbe grid;
        fillKeys(grid, { "b", "a" });
        grid.setSortSymbol(sgGlyph);
        grid.orderByColumn(1, options(sdDescending));
        grid.clearAllRows();
        QCOMPARE(grid.sortDirection(), sdAscending);
        QCOMPARE(grid.sortGlyph(), loadSortGlyphResource("SORTZA"));
    }

    void aLargeListSortsLikeTheCollator()
    {
        // Many rows with many repeats: the ranks, the counting sort and the row permutation
        // must agree with a plain stable sort by the collator.
        SortableGrid grid;
        const QStringList names { "Łukasz Żółtowski", "łukasz żółtowski", "Urząd Skarbowy w Śremie",
            "Anna Nowak", "anna nowak", "Émile Zola", "Zając", "Ząbek" };
        QStringList keys;
        QRandomGenerator random(5);
        for (int i = 0; i < 3000; ++i)
            keys.append(names[int(random.bounded(quint32(names.size())))]);
        fillKeys(grid, keys);
        grid.orderByColumn(1, options(sdDescending));

        QList<int> expected;
        for (int i = 0; i < keys.size(); ++i)
            expected.append(i);
        QCollator collator { QLocale() };
        const QLocale locale;
        std::stable_sort(expected.begin(), expected.end(), [&](int a, int b) {
            return collator.compare(locale.toUpper(keys[a]), locale.toUpper(keys[b])) > 0;
        });
        QStringList expectedRows;
        for (const int i : expected)
            expectedRows.append(QString::number(i + 1));
        QCOMPARE(column(grid, 0), expectedRows);
    }
};

QTEST_MAIN(TestSortableGridSort)
#include "tst_sortablegridsort.moc"

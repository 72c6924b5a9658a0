// Sorting the rows of the list grid on request: key detection, stability, footer rows, the
// current row, undoing a sort, and what stays with the row positions.
#include "SortGlyph.h"
#include "Zarur.h"

#include <QtTest>

using namespace kolvar::grid;

namespace {

// One title row, then one row per key: column 0 holds the row's original position, column 1 the
// key, column 5 (beyond the shown columns) a hidden identifier that must travel with the row.
void fillKeys(TZarur& grid, const QStringList& keys)
{
    grid.setColCount(3);
    grid.setRowCount(int(keys.size()) + 1);
    grid.setRowTexts(0, { "Lp.", "Klucz", "Uwagi" });
    for (int i = 0; i < keys.size(); ++i) {
        grid.setRowTexts(i + 1, { QString::number(i + 1), keys[i], QString() });
        grid.setCells(5, i + 1, QStringLiteral("id%1").arg(i + 1));
    }
}

QStringList column(const TZarur& grid, int col, int first = 1)
{
    QStringList texts;
    for (int r = first; r < grid.rowCount(); ++r)
        texts.append(grid.cells(col, r));
    return texts;
}

TSortOptions options(
    TSortDirection direction = sdAscending, TSortKeyKind kind = skDetect, bool matchCase = false)
{
    TSortOptions o;
    o.KeyKind = kind;
    o.Direction = direction;
    o.MatchCase = matchCase;
    return o;
}

class GlyphProbe : public TZarur
{
public:
    using TZarur::RowsSorted;
    using TZarur::SortGlyph;
};

} // namespace

class TestZarurSort : public QObject
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
        TZarur grid;
        fillKeys(grid, keys);
        grid.OrderByColumn(1, options());
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
        TZarur grid;
        fillKeys(grid, { "b", "a", "B", "c", "A", "b" });
        grid.OrderByColumn(1, options(TSortDirection(direction)));
        QCOMPARE(column(grid, 0), rows);
        QCOMPARE(grid.SortDirection(), TSortDirection(direction));
    }

    void matchingCaseSeparatesSmallFromCapitalLetters()
    {
        TZarur grid;
        fillKeys(grid, { "ABC", "abc", "ABC" });
        grid.OrderByColumn(1, options(sdAscending, skText, false));
        QCOMPARE(column(grid, 0), (QStringList { "1", "2", "3" }));
        grid.OrderByColumn(1, options(sdAscending, skText, true));
        QCOMPARE(column(grid, 1), (QStringList { "abc", "ABC", "ABC" }));
    }

    void wholeRowsMoveAlsoTheirHiddenTexts()
    {
        TZarur grid;
        fillKeys(grid, { "c", "a", "b" });
        grid.OrderByColumn(1, options());
        QCOMPARE(column(grid, 5), (QStringList { "id2", "id3", "id1" }));
    }

    void heightsAndMarksStayWithThePositions()
    {
        TZarur grid;
        fillKeys(grid, { "c", "a", "b" });
        grid.setRowHeight(3, 0);
        grid.SetRowMark(2, true);
        grid.OrderByColumn(1, options());
        QCOMPARE(grid.rowHeight(3), 0);
        QCOMPARE(grid.cells(1, 3), QStringLiteral("c"));
        QVERIFY(grid.RowMarked(2));
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
        TZarur grid;
        fillKeys(grid, { "d", "c", "a", "Razem", "b" });
        grid.SetFooterRows(2);
        grid.SetSortFooter(sortFooter);
        grid.OrderByColumn(1, options());
        QCOMPARE(column(grid, 1), sorted);
    }

    void aGridWithOneDataRowIsNotSorted()
    {
        TZarur grid;
        fillKeys(grid, { "x" });
        int events = 0;
        grid.OnBeginSort = [&](int, TSortOptions&) { ++events; };
        grid.OnEndSort = [&](int) { ++events; };
        grid.OrderByColumn(1, options(sdDescending));
        QCOMPARE(events, 0);
        QCOMPARE(grid.SortDirection(), sdAscending);
        QVERIFY(!grid.PreSortOrderKnown());
    }

    void handlersSeeTheDetectedKindAndMayChangeIt()
    {
        TZarur grid;
        fillKeys(grid, { "10", "9", "100" });
        TSortKeyKind seen = skDetect;
        grid.OnBeginSort = [&](int col, TSortOptions& o) {
            QCOMPARE(col, 1);
            seen = o.KeyKind;
            o.KeyKind = skText;
        };
        int ended = -1;
        grid.OnEndSort = [&](int col) { ended = col; };
        const TSortOptions mine = options();
        grid.OrderByColumn(1, mine);
        QCOMPARE(seen, skNumber);
        QCOMPARE(ended, 1);
        QCOMPARE(mine.KeyKind, skDetect);
        QCOMPARE(column(grid, 1), (QStringList { "10", "100", "9" }));
        QCOMPARE(grid.SortColumn(), 1);
    }

    void callersComparisonDecides()
    {
        TZarur grid;
        fillKeys(grid, { "ccc", "a", "bb" });
        TSortOptions o = options(sdDescending, skUserCompare, true);
        o.CompareProc = [](const QString& a, const QString& b) { return int(a.size() - b.size()); };
        grid.OrderByColumn(1, o);
        QCOMPARE(column(grid, 1), (QStringList { "ccc", "bb", "a" }));
    }

    void theCurrentRowFollowsItsData()
    {
        TZarur grid;
        fillKeys(grid, { "d", "b", "a", "c" });
        grid.setCurrentCell(2, 1); // "d"
        grid.OrderByColumn(1, options());
        QCOMPARE(grid.row(), 4);
        QCOMPARE(grid.col(), 2);
        QCOMPARE(grid.cells(1, grid.row()), QStringLiteral("d"));
        grid.RestorePreSortOrder();
        QCOMPARE(grid.row(), 1);
    }

    void restoringPutsEveryRowBack()
    {
        GlyphProbe grid;
        const QStringList keys { "d", "b", "a", "c", "b" };
        fillKeys(grid, keys);
        grid.OrderByColumn(1, options(sdDescending));
        QVERIFY(grid.RowsSorted());
        QVERIFY(grid.PreSortOrderKnown());
        QCOMPARE(grid.SortEntries().Count(), 5);
        QCOMPARE(grid.SortEntries().EntryAt(0).SourceRow, 1);
        grid.RestorePreSortOrder();
        QCOMPARE(column(grid, 1), keys);
        QCOMPARE(column(grid, 5), (QStringList { "id1", "id2", "id3", "id4", "id5" }));
        QVERIFY(!grid.RowsSorted());
        QCOMPARE(grid.SortEntries().Count(), 0);
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
        TZarur grid;
        fillKeys(grid, { "d", "b", "a", "c" });
        grid.SetFooterRows(footerRows);
        grid.OrderByColumn(1, options());
        if (addRow)
            grid.AddRowAt(2);
        const QStringList before = column(grid, 1);
        QVERIFY(!grid.PreSortOrderKnown());
        QCOMPARE(grid.SortEntries().Count(), 0);
        grid.RestorePreSortOrder();
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
        grid.SetSortSymbol(TSortSymbol(symbol));
        grid.OrderByColumn(1, options(TSortDirection(direction)));
        QCOMPARE(grid.SortGlyph(), loadSortGlyphResource(resource));
    }

    void customGlyphsComeFromTheBitmaps()
    {
        GlyphProbe grid;
        QImage up(5, 5, QImage::Format_RGB32);
        up.fill(Qt::green);
        QImage down(6, 6, QImage::Format_RGB32);
        down.fill(Qt::blue);
        grid.SetSortBitMapA(up);
        grid.SetSortBitMapD(down);
        grid.SetSortSymbol(sgCustom);
        QCOMPARE(grid.SortGlyph(), up);
        grid.SetSortDirection(sdDescending);
        QCOMPARE(grid.SortGlyph(), down);
    }

    void clearingRowsResetsTheDirectionButNotTheGlyph()
    {
        GlyphProbe grid;
        fillKeys(grid, { "b", "a" });
        grid.SetSortSymbol(sgGlyph);
        grid.OrderByColumn(1, options(sdDescending));
        grid.ClearAllRows();
        QCOMPARE(grid.SortDirection(), sdAscending);
        QCOMPARE(grid.SortGlyph(), loadSortGlyphResource("SORTZA"));
    }

    void aLargeListSortsLikeTheCollator()
    {
        // Many rows with many repeats: the ranks, the counting sort and the row permutation
        // must agree with a plain stable sort by the collator.
        TZarur grid;
        const QStringList names { "Łukasz Żółtowski", "łukasz żółtowski", "Urząd Skarbowy w Śremie",
            "Anna Nowak", "anna nowak", "Émile Zola", "Zając", "Ząbek" };
        QStringList keys;
        QRandomGenerator random(5);
        for (int i = 0; i < 3000; ++i)
            keys.append(names[int(random.bounded(quint32(names.size())))]);
        fillKeys(grid, keys);
        grid.OrderByColumn(1, options(sdDescending));

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

QTEST_MAIN(TestZarurSort)
#include "tst_zarursort.moc"

// Rows and columns of the list grid: clearing, inserting, deleting, moving, hiding and showing,
// splitting texts into cells, delimited files and footer rows.
#include "SortableGrid.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace kolvar::grid;

namespace {

// A grid of `rows` rows and `cols` columns whose cell (c, r) reads "r.c".
void fillNumbered(SortableGrid& grid, int cols, int rows)
{
    grid.setColCount(cols);
    grid.setRowCount(rows);
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < cols; ++c)
            grid.setCells(c, r, QStringLiteral("%1.%2").arg(r).arg(c));
    }
}

QStringList column(const SortableGrid& grid, int col)
{
    QStringList texts;
    for (int r = 0; r < grid.rowCount(); ++r)
        texts.append(grid.cells(col, r));
    return texts;
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

void writeFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

} // namespace

class TestSortableGridModel : public QObject
{
    Q_OBJECT
private slots:
    void clearAllRowsEmptiesEveryTextButKeepsTheShape()
    {
        SortableGrid grid;
        fillNumbered(grid, 4, 6);
        grid.setColWidth(2, 111);
        grid.clearAllRows();
        QCOMPARE(grid.rowCount(), 6);
        QCOMPARE(grid.colCount(), 4);
        QCOMPARE(grid.colWidth(2), 111);
        QCOMPARE(grid.cells(0, 0), QString());
        QCOMPARE(grid.cells(3, 5), QString());
    }

    void clearingRowsRefusesAnInvalidRange_data()
    {
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("last");
        QTest::addColumn<bool>("done");
        QTest::newRow("middle rows") << 2 << 4 << true;
        QTest::newRow("last before first") << 3 << 2 << false;
        QTest::newRow("past the end") << 2 << 6 << false;
        QTest::newRow("negative") << -1 << 2 << false;
    }
    void clearingRowsRefusesAnInvalidRange()
    {
        QFETCH(int, first);
        QFETCH(int, last);
        QFETCH(bool, done);
        SortableGrid grid;
        fillNumbered(grid, 3, 6);
        QCOMPARE(grid.clearRowRange(first, last), done);
        QCOMPARE(grid.cells(1, 2).isEmpty(), done);
        QCOMPARE(grid.removeRowRange(first, last), done);
        QCOMPARE(grid.rowCount(), done ? 3 : 6);
    }

    void hiddenColumnsKeepTheirTextsAndGetTheirWidthsBack()
    {
        SortableGrid grid;
        fillNumbered(grid, 9, 3);
        grid.setColWidth(5, 50);
        grid.setColWidth(6, 60);
        grid.setColWidth(7, 70);
        grid.hideColumns(5, 7);
        QCOMPARE(grid.colWidth(6), 0);
        QCOMPARE(grid.cells(6, 1), QStringLiteral("1.6"));
        grid.showColumns(5, 7);
        QCOMPARE(grid.colWidth(5), 50);
        QCOMPARE(grid.colWidth(6), 60);
        QCOMPARE(grid.colWidth(7), 70);
        QCOMPARE(grid.hiddenSizes().count(), 0);
    }

    void showingAColumnNeverHiddenChangesNothing()
    {
        SortableGrid grid;
        fillNumbered(grid, 5, 3);
        grid.setColWidth(3, 0);
        grid.showColumns(0, 4);
        QCOMPARE(grid.colWidth(3), 0);
        QCOMPARE(grid.colWidth(1), grid.defaultColWidth());
    }

    void hiddenColumnWidthFollowsItsColumnThroughADeletion()
    {
        SortableGrid grid;
        fillNumbered(grid, 9, 3);
        grid.setColWidth(6, 66);
        grid.hideColumns(6, 6);
        grid.removeColumnAt(2);
        QCOMPARE(grid.cells(5, 1), QStringLiteral("1.6"));
        grid.showColumns(5, 5);
        QCOMPARE(grid.colWidth(5), 66);
    }

    void hiddenRowHeightFollowsItsRowThroughAnInsertion()
    {
        SortableGrid grid;
        fillNumbered(grid, 3, 12);
        grid.setRowHeight(8, 33);
        grid.hideRows(8, 8);
        grid.addRowAt(3);
        QCOMPARE(grid.hiddenSizes().recallSize(9, szRow), 33);
        QCOMPARE(grid.rowHeight(9), 0);
        QCOMPARE(grid.cells(0, 9), QStringLiteral("8.0"));
        grid.showRows(9, 9);
        QCOMPARE(grid.rowHeight(9), 33);
    }

    void addRowAtInsertsAnEmptyCurrentRowAndTellsSo()
    {
        SortableGrid grid;
        fillNumbered(grid, 3, 5);
        QList<int> inserted;
        grid.onRowInsert = [&](int index) { inserted.append(index); };
        grid.addRowAt(2);
        QCOMPARE(grid.rowCount(), 6);
        QCOMPARE(column(grid, 0), (QStringList { "0.0", "1.0", "", "2.0", "3.0", "4.0" }));
        QCOMPARE(grid.row(), 2);
        QCOMPARE(inserted, QList<int> { 2 });
        QVERIFY(grid.addRowsAt(1, 2));
        QCOMPARE(grid.rowCount(), 8);
        QCOMPARE(inserted, (QList<int> { 2, 1, 1 }));
        QVERIFY(!grid.addRowsAt(8, 1));
    }

    void removeRowAtTakesTheMarksBelowAlong()
    {
        SortableGrid grid;
        fillNumbered(grid, 3, 8);
        grid.setRowMark(3, true);
        grid.setRowMark(5, true);
        QList<int> deleted;
        grid.onRowDelete = [&](int index) { deleted.append(index); };
        grid.removeRowAt(3);
        QCOMPARE(deleted, QList<int> { 3 });
        QVERIFY(!grid.rowMarked(3));
        QVERIFY(grid.rowMarked(4));
        QVERIFY(!grid.rowMarked(5));
        QVERIFY(grid.rowMarked(1));
        QCOMPARE(grid.markedRowCount(), 2);
        QCOMPARE(grid.cells(0, 3), QStringLiteral("4.0"));
    }

    void addAndRemoveColumns()
    {
        SortableGrid grid;
        fillNumbered(grid, 4, 3);
        QList<int> events;
        grid.onColumnInsert = [&](int index) { events.append(index); };
        grid.onColumnDelete = [&](int index) { events.append(-index); };
        grid.addColumnAt(1);
        QCOMPARE(grid.colCount(), 5);
        QCOMPARE(grid.rowTexts(2).mid(0, 5), (QStringList { "2.0", "", "2.1", "2.2", "2.3" }));
        QCOMPARE(grid.col(), 1);
        QVERIFY(grid.removeColumnRange(1, 2));
        QCOMPARE(grid.rowTexts(2).mid(0, 3), (QStringList { "2.0", "2.2", "2.3" }));
        QCOMPARE(events, (QList<int> { 1, -2, -1 }));
    }

    void exchangeRowsSwapsOnlyTheTwoRows_data()
    {
        QTest::addColumn<int>("a");
        QTest::addColumn<int>("b");
        QTest::addColumn<QStringList>("after");
        QTest::newRow("same row does nothing")
            << 4 << 4 << QStringList { "0.0", "1.0", "2.0", "3.0", "4.0", "5.0", "6.0" };
        QTest::newRow("upper first")
            << 2 << 5 << QStringList { "0.0", "1.0", "5.0", "3.0", "4.0", "2.0", "6.0" };
        QTest::newRow("lower first")
            << 5 << 2 << QStringList { "0.0", "1.0", "5.0", "3.0", "4.0", "2.0", "6.0" };
        QTest::newRow("neighbours")
            << 3 << 4 << QStringList { "0.0", "1.0", "2.0", "4.0", "3.0", "5.0", "6.0" };
    }
    void exchangeRowsSwapsOnlyTheTwoRows()
    {
        QFETCH(int, a);
        QFETCH(int, b);
        QFETCH(QStringList, after);
        SortableGrid grid;
        fillNumbered(grid, 2, 7);
        grid.setRowHeight(std::min(a, b), 40);
        grid.exchangeRows(a, b);
        QCOMPARE(column(grid, 0), after);
        // Heights travel with their rows, as the toolkit's row moves do.
        if (a != b)
            QCOMPARE(grid.rowHeight(std::max(a, b)), 40);
    }

    void rowOperationsOutsideTheGridChangeNothing_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<int>("a");
        QTest::addColumn<int>("b");
        QTest::newRow("exchange with row -1") << "exchange" << -1 << 3;
        QTest::newRow("exchange with a row past the end") << "exchange" << 2 << 7;
        QTest::newRow("remove row -1") << "remove" << -1 << 0;
        QTest::newRow("remove a row past the end") << "remove" << 7 << 0;
        QTest::newRow("add at row -1") << "add" << -1 << 0;
    }
    void rowOperationsOutsideTheGridChangeNothing()
    {
        QFETCH(QString, operation);
        QFETCH(int, a);
        QFETCH(int, b);
        SortableGrid grid;
        fillNumbered(grid, 2, 7);
        grid.setRowMark(3, true);
        const QStringList before = column(grid, 0);
        if (operation == "exchange")
            grid.exchangeRows(a, b);
        else if (operation == "remove")
            grid.removeRowAt(a);
        else
            grid.addRowAt(a);
        QCOMPARE(column(grid, 0), before);
        QVERIFY(grid.rowMarked(3));
        QCOMPARE(grid.markedRowCount(), 2);
    }

    void editedCellIsValidatedInTheRowItMovedTo_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<int>("rowAfter");
        QTest::newRow("row inserted above") << "insert" << 5;
        QTest::newRow("row deleted above") << "delete" << 3;
        QTest::newRow("rows exchanged") << "exchange" << 2;
        QTest::newRow("sorted") << "sort" << 1;
    }
    void editedCellIsValidatedInTheRowItMovedTo()
    {
        QFETCH(QString, operation);
        QFETCH(int, rowAfter);
        SortableGrid grid;
        fillNumbered(grid, 2, 6);
        grid.setCurrentCell(1, 4);
        grid.rememberEditCell();
        grid.setCells(1, 4, QStringLiteral("Nowy"));
        QList<int> validatedRows;
        grid.onCellValidate = [&](int, int row, QString& value, bool&) {
            validatedRows.append(row);
            value += QLatin1Char('!');
        };
        if (operation == "insert") {
            grid.addRowAt(2);
        } else if (operation == "delete") {
            grid.removeRowAt(2);
        } else if (operation == "exchange") {
            grid.exchangeRows(2, 4);
        } else {
            SortOptions descending;
            descending.direction = sdDescending;
            grid.orderByColumn(1, descending);
        }
        grid.confirmEditCell();
        QCOMPARE(validatedRows, QList<int> { rowAfter });
        QCOMPARE(grid.cells(1, rowAfter), QStringLiteral("Nowy!"));
    }

    void exchangeColumnsSwapsOnlyTheTwoColumns()
    {
        SortableGrid grid;
        fillNumbered(grid, 6, 2);
        grid.exchangeColumns(1, 4);
        QCOMPARE(
            grid.rowTexts(1).mid(0, 6), (QStringList { "1.0", "1.4", "1.2", "1.3", "1.1", "1.5" }));
    }

    void modifyRowSplitsTheTextIntoCells_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("separator");
        QTest::addColumn<int>("written");
        QTest::addColumn<QStringList>("cells");
        QTest::newRow("empty piece kept") << "a;b;;c"
                                          << ";" << 4 << QStringList { "a", "b", "", "c", "1.4" };
        QTest::newRow("no separator")
            << "a;b;;c"
            << "" << 1 << QStringList { "a;b;;c", "1.1", "1.2", "1.3", "1.4" };
        QTest::newRow("trailing separator")
            << "x;"
            << ";" << 2 << QStringList { "x", "", "1.2", "1.3", "1.4" };
        QTest::newRow("longer separator")
            << "a::b:c"
            << "::" << 2 << QStringList { "a", "b:c", "1.2", "1.3", "1.4" };
    }
    void modifyRowSplitsTheTextIntoCells()
    {
        QFETCH(QString, text);
        QFETCH(QString, separator);
        QFETCH(int, written);
        QFETCH(QStringList, cells);
        SortableGrid grid;
        fillNumbered(grid, 5, 3);
        QCOMPARE(grid.modifyRow(1, text, separator), written);
        QCOMPARE(grid.rowTexts(1).mid(0, 5), cells);
        QCOMPARE(grid.colCount(), 5);
    }

    void modifyColWritesDownAColumnAndLeavesTheSize()
    {
        SortableGrid grid;
        fillNumbered(grid, 3, 3);
        QCOMPARE(grid.modifyCol(2, "p|q|r|s", "|"), 4);
        QCOMPARE(column(grid, 2), (QStringList { "p", "q", "r" }));
        QCOMPARE(grid.rowCount(), 3);
    }

    void readsDelimitedFiles_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("cols");
        QTest::addColumn<QStringList>("lastRow");
        QTest::newRow("second line longer")
            << QByteArray("a,b\nc,d,e\n") << 2 << 3 << QStringList { "c", "d", "e" };
        QTest::newRow("trailing delimiter")
            << QByteArray("h1,h2\nx,\n") << 2 << 2 << QStringList { "x", "" };
        QTest::newRow("windows line ends, no last break")
            << QByteArray("a,b\r\nc,d") << 2 << 2 << QStringList { "c", "d" };
        QTest::newRow("Polish texts") << QByteArray("Nadawca,Termin\nŁukasz Żółtowski,2024.03.15\n")
                                      << 2 << 2 << QStringList { "Łukasz Żółtowski", "2024.03.15" };
    }
    void readsDelimitedFiles()
    {
        QFETCH(QByteArray, content);
        QFETCH(int, rows);
        QFETCH(int, cols);
        QFETCH(QStringList, lastRow);
        QTemporaryDir dir;
        const QString path = dir.filePath("list.csv");
        writeFile(path, content);
        SortableGrid grid;
        fillNumbered(grid, 7, 9);
        grid.readDelimitedFile(path, u',');
        QCOMPARE(grid.rowCount(), rows);
        QCOMPARE(grid.colCount(), cols);
        QCOMPARE(grid.rowTexts(rows - 1).mid(0, cols), lastRow);
    }

    void writesWhatItReads()
    {
        QTemporaryDir dir;
        const QString in = dir.filePath("in.txt");
        const QString out = dir.filePath("out.txt");
        writeFile(in, "Lp.;Nadawca;Uwagi\n1;Łukasz;\n2;Urząd Skarbowy w Śremie;pilne\n");
        SortableGrid grid;
        grid.readDelimitedFile(in, u';');
        grid.writeDelimitedFile(out, u';');
        QCOMPARE(readFile(out), readFile(in));
    }

    void fileErrorsReachTheCaller()
    {
        SortableGrid grid;
        QVERIFY_THROWS_EXCEPTION(std::runtime_error,
            grid.readDelimitedFile(QStringLiteral("/nonexistent/list.csv"), u','));
    }

    void locateTextSearchesColumnByColumnIgnoringCase()
    {
        SortableGrid grid;
        fillNumbered(grid, 3, 4);
        grid.setCells(2, 1, "Żółw");
        grid.setCells(1, 3, "żÓŁW");
        int col = -1;
        int row = -1;
        QVERIFY(grid.locateText("ŻÓŁW", col, row));
        QCOMPARE(col, 1);
        QCOMPARE(row, 3);
        col = row = 7;
        QVERIFY(!grid.locateText("zolw", col, row));
        QCOMPARE(col, 7);
        QCOMPARE(row, 7);
    }

    void footerRowsShrinkWithTheDataRows()
    {
        SortableGrid grid;
        fillNumbered(grid, 2, 6);
        grid.setFooterRows(3);
        QCOMPARE(grid.footerRows(), 3);
        grid.setFooterRows(6); // more than the data rows: ignored
        QCOMPARE(grid.footerRows(), 3);
        grid.removeRowAt(1);
        grid.removeRowAt(1);
        QCOMPARE(grid.footerRows(), 3);
        grid.removeRowAt(1);
        QCOMPARE(grid.rowCount(), 3);
        QCOMPARE(grid.footerRows(), 2);
    }

    void sortColumnIgnoresColumnsOutsideTheGrid_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("stored");
        QTest::newRow("inside") << 3 << 3;
        QTest::newRow("first") << 0 << 0;
        QTest::newRow("past the last") << 5 << 1;
        QTest::newRow("negative") << -1 << 1;
    }
    void sortColumnIgnoresColumnsOutsideTheGrid()
    {
        QFETCH(int, value);
        QFETCH(int, stored);
        SortableGrid grid;
        fillNumbered(grid, 5, 3);
        grid.setSortColumn(value);
        QCOMPARE(grid.sortColumn(), stored);
    }

    void savedFixedCountsReadAsTheCurrentOnes()
    {
        SortableGrid grid;
        grid.setSavedFixedRows(3);
        grid.setFixedCols(2);
        QCOMPARE(grid.savedFixedRows(), grid.fixedRows());
        QCOMPARE(grid.savedFixedCols(), 2);
    }
};

QTEST_MAIN(TestSortableGridModel)
#include "tst_sortablegridmodel.moc"

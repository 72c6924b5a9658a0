// Rows and columns of the list grid: clearing, inserting, deleting, moving, hiding and showing,
// splitting texts into cells, delimited files and footer rows.
#include "Zarur.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace kolvar::grid;

namespace {

// A grid of `rows` rows and `cols` columns whose cell (c, r) reads "r.c".
void fillNumbered(TZarur& grid, int cols, int rows)
{
    grid.setColCount(cols);
    grid.setRowCount(rows);
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < cols; ++c)
            grid.setCells(c, r, QStringLiteral("%1.%2").arg(r).arg(c));
    }
}

QStringList column(const TZarur& grid, int col)
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

class TestZarurModel : public QObject
{
    Q_OBJECT
private slots:
    void clearAllRowsEmptiesEveryTextButKeepsTheShape()
    {
        TZarur grid;
        fillNumbered(grid, 4, 6);
        grid.setColWidth(2, 111);
        grid.ClearAllRows();
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
        TZarur grid;
        fillNumbered(grid, 3, 6);
        QCOMPARE(grid.ClearRowRange(first, last), done);
        QCOMPARE(grid.cells(1, 2).isEmpty(), done);
        QCOMPARE(grid.RemoveRowRange(first, last), done);
        QCOMPARE(grid.rowCount(), done ? 3 : 6);
    }

    void hiddenColumnsKeepTheirTextsAndGetTheirWidthsBack()
    {
        TZarur grid;
        fillNumbered(grid, 9, 3);
        grid.setColWidth(5, 50);
        grid.setColWidth(6, 60);
        grid.setColWidth(7, 70);
        grid.HideColumns(5, 7);
        QCOMPARE(grid.colWidth(6), 0);
        QCOMPARE(grid.cells(6, 1), QStringLiteral("1.6"));
        grid.ShowColumns(5, 7);
        QCOMPARE(grid.colWidth(5), 50);
        QCOMPARE(grid.colWidth(6), 60);
        QCOMPARE(grid.colWidth(7), 70);
        QCOMPARE(grid.HiddenSizes().Count(), 0);
    }

    void showingAColumnNeverHiddenChangesNothing()
    {
        TZarur grid;
        fillNumbered(grid, 5, 3);
        grid.setColWidth(3, 0);
        grid.ShowColumns(0, 4);
        QCOMPARE(grid.colWidth(3), 0);
        QCOMPARE(grid.colWidth(1), grid.defaultColWidth());
    }

    void hiddenColumnWidthFollowsItsColumnThroughADeletion()
    {
        TZarur grid;
        fillNumbered(grid, 9, 3);
        grid.setColWidth(6, 66);
        grid.HideColumns(6, 6);
        grid.RemoveColumnAt(2);
        QCOMPARE(grid.cells(5, 1), QStringLiteral("1.6"));
        grid.ShowColumns(5, 5);
        QCOMPARE(grid.colWidth(5), 66);
    }

    void hiddenRowHeightFollowsItsRowThroughAnInsertion()
    {
        TZarur grid;
        fillNumbered(grid, 3, 12);
        grid.setRowHeight(8, 33);
        grid.HideRows(8, 8);
        grid.AddRowAt(3);
        QCOMPARE(grid.HiddenSizes().RecallSize(9, szRow), 33);
        QCOMPARE(grid.rowHeight(9), 0);
        QCOMPARE(grid.cells(0, 9), QStringLiteral("8.0"));
        grid.ShowRows(9, 9);
        QCOMPARE(grid.rowHeight(9), 33);
    }

    void addRowAtInsertsAnEmptyCurrentRowAndTellsSo()
    {
        TZarur grid;
        fillNumbered(grid, 3, 5);
        QList<int> inserted;
        grid.OnRowInsert = [&](int index) { inserted.append(index); };
        grid.AddRowAt(2);
        QCOMPARE(grid.rowCount(), 6);
        QCOMPARE(column(grid, 0), (QStringList { "0.0", "1.0", "", "2.0", "3.0", "4.0" }));
        QCOMPARE(grid.row(), 2);
        QCOMPARE(inserted, QList<int> { 2 });
        QVERIFY(grid.AddRowsAt(1, 2));
        QCOMPARE(grid.rowCount(), 8);
        QCOMPARE(inserted, (QList<int> { 2, 1, 1 }));
        QVERIFY(!grid.AddRowsAt(8, 1));
    }

    void removeRowAtTakesTheMarksBelowAlong()
    {
        TZarur grid;
        fillNumbered(grid, 3, 8);
        grid.SetRowMark(3, true);
        grid.SetRowMark(5, true);
        QList<int> deleted;
        grid.OnRowDelete = [&](int index) { deleted.append(index); };
        grid.RemoveRowAt(3);
        QCOMPARE(deleted, QList<int> { 3 });
        QVERIFY(!grid.RowMarked(3));
        QVERIFY(grid.RowMarked(4));
        QVERIFY(!grid.RowMarked(5));
        QVERIFY(grid.RowMarked(1));
        QCOMPARE(grid.MarkedRowCount(), 2);
        QCOMPARE(grid.cells(0, 3), QStringLiteral("4.0"));
    }

    void addAndRemoveColumns()
    {
        TZarur grid;
        fillNumbered(grid, 4, 3);
        QList<int> events;
        grid.OnColumnInsert = [&](int index) { events.append(index); };
        grid.OnColumnDelete = [&](int index) { events.append(-index); };
        grid.AddColumnAt(1);
        QCOMPARE(grid.colCount(), 5);
        QCOMPARE(grid.rowTexts(2).mid(0, 5), (QStringList { "2.0", "", "2.1", "2.2", "2.3" }));
        QCOMPARE(grid.col(), 1);
        QVERIFY(grid.RemoveColumnRange(1, 2));
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
        TZarur grid;
        fillNumbered(grid, 2, 7);
        grid.setRowHeight(std::min(a, b), 40);
        grid.ExchangeRows(a, b);
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
        TZarur grid;
        fillNumbered(grid, 2, 7);
        grid.SetRowMark(3, true);
        const QStringList before = column(grid, 0);
        if (operation == "exchange")
            grid.ExchangeRows(a, b);
        else if (operation == "remove")
            grid.RemoveRowAt(a);
        else
            grid.AddRowAt(a);
        QCOMPARE(column(grid, 0), before);
        QVERIFY(grid.RowMarked(3));
        QCOMPARE(grid.MarkedRowCount(), 2);
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
        TZarur grid;
        fillNumbered(grid, 2, 6);
        grid.setCurrentCell(1, 4);
        grid.RememberEditCell();
        grid.setCells(1, 4, QStringLiteral("Nowy"));
        QList<int> validatedRows;
        grid.OnCellValidate = [&](int, int row, QString& value, bool&) {
            validatedRows.append(row);
            value += QLatin1Char('!');
        };
        if (operation == "insert") {
            grid.AddRowAt(2);
        } else if (operation == "delete") {
            grid.RemoveRowAt(2);
        } else if (operation == "exchange") {
            grid.ExchangeRows(2, 4);
        } else {
            TSortOptions descending;
            descending.Direction = sdDescending;
            grid.OrderByColumn(1, descending);
        }
        grid.ConfirmEditCell();
        QCOMPARE(validatedRows, QList<int> { rowAfter });
        QCOMPARE(grid.cells(1, rowAfter), QStringLiteral("Nowy!"));
    }

    void exchangeColumnsSwapsOnlyTheTwoColumns()
    {
        TZarur grid;
        fillNumbered(grid, 6, 2);
        grid.ExchangeColumns(1, 4);
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
        TZarur grid;
        fillNumbered(grid, 5, 3);
        QCOMPARE(grid.ModifyRow(1, text, separator), written);
        QCOMPARE(grid.rowTexts(1).mid(0, 5), cells);
        QCOMPARE(grid.colCount(), 5);
    }

    void modifyColWritesDownAColumnAndLeavesTheSize()
    {
        TZarur grid;
        fillNumbered(grid, 3, 3);
        QCOMPARE(grid.ModifyCol(2, "p|q|r|s", "|"), 4);
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
        TZarur grid;
        fillNumbered(grid, 7, 9);
        grid.ReadDelimitedFile(path, u',');
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
        TZarur grid;
        grid.ReadDelimitedFile(in, u';');
        grid.WriteDelimitedFile(out, u';');
        QCOMPARE(readFile(out), readFile(in));
    }

    void fileErrorsReachTheCaller()
    {
        TZarur grid;
        QVERIFY_THROWS_EXCEPTION(std::runtime_error,
            grid.ReadDelimitedFile(QStringLiteral("/nonexistent/list.csv"), u','));
    }

    void locateTextSearchesColumnByColumnIgnoringCase()
    {
        TZarur grid;
        fillNumbered(grid, 3, 4);
        grid.setCells(2, 1, "Żółw");
        grid.setCells(1, 3, "żÓŁW");
        int col = -1;
        int row = -1;
        QVERIFY(grid.LocateText("ŻÓŁW", col, row));
        QCOMPARE(col, 1);
        QCOMPARE(row, 3);
        col = row = 7;
        QVERIFY(!grid.LocateText("zolw", col, row));
        QCOMPARE(col, 7);
        QCOMPARE(row, 7);
    }

    void footerRowsShrinkWithTheDataRows()
    {
        TZarur grid;
        fillNumbered(grid, 2, 6);
        grid.SetFooterRows(3);
        QCOMPARE(grid.FooterRows(), 3);
        grid.SetFooterRows(6); // more than the data rows: ignored
        QCOMPARE(grid.FooterRows(), 3);
        grid.RemoveRowAt(1);
        grid.RemoveRowAt(1);
        QCOMPARE(grid.FooterRows(), 3);
        grid.RemoveRowAt(1);
        QCOMPARE(grid.rowCount(), 3);
        QCOMPARE(grid.FooterRows(), 2);
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
        TZarur grid;
        fillNumbered(grid, 5, 3);
        grid.SetSortColumn(value);
        QCOMPARE(grid.SortColumn(), stored);
    }

    void savedFixedCountsReadAsTheCurrentOnes()
    {
        TZarur grid;
        grid.SetSavedFixedRows(3);
        grid.setFixedCols(2);
        QCOMPARE(grid.SavedFixedRows(), grid.fixedRows());
        QCOMPARE(grid.SavedFixedCols(), 2);
    }
};

QTEST_MAIN(TestZarurModel)
#include "tst_zarurmodel.moc"

// What a screen reader finds in the list grid: a table of the shown columns, cells named by
// their texts, headers from the title row and the number column, the current cell focused.
#include "SortableGrid.h"

#include <QAccessible>
#include <QtTest>

using namespace kolvar::grid;

namespace {

// The main window's shape: "Nr" and a hidden "ID" as fixed columns, three shown columns and a
// hidden one after them.
void fillList(SortableGrid& grid, int cases)
{
    grid.setColCount(6);
    grid.setRowCount(cases + 1);
    grid.setFixedCols(2);
    grid.setRowTexts(0, { "Nr", "ID", " Termin ", "  Nadawca   ", "Dotyczy", "Tryb" });
    for (int r = 1; r <= cases; ++r)
        grid.setRowTexts(r,
            { QString::number(r), QString::number(100 + r), QStringLiteral("2026-01-0%1").arg(r),
                QStringLiteral("Nadawca %1").arg(r), QStringLiteral("Sprawa %1").arg(r), "x" });
    grid.setColWidth(1, 0);
    grid.hideColumns(5, 5);
}

} // namespace

class TestGridAccessible : public QObject
{
    Q_OBJECT
private slots:
    void announcesWhatTheGridShows_data()
    {
        QTest::addColumn<QString>("probe");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("expected");
        QTest::newRow("a cell names its text") << "cell" << 2 << 1 << "Nadawca 3";
        QTest::newRow("first shown column") << "cell" << 0 << 0 << "2026-01-01";
        QTest::newRow("hidden columns are left out") << "columns" << 0 << 0 << "3";
        QTest::newRow("rows are the cases") << "rows" << 0 << 0 << "4";
        QTest::newRow("column header, blanks dropped") << "column header" << 2 << 1 << "Nadawca";
        QTest::newRow("row header is the number") << "row header" << 2 << 1 << "3";
        QTest::newRow("column description") << "column description" << 0 << 2 << "Dotyczy";
        QTest::newRow("row description") << "row description" << 3 << 0 << "4";
        QTest::newRow("a child index finds the same cell") << "child" << 1 << 2 << "Sprawa 2";
        QTest::newRow("after a sort the row reads its new case")
            << "sorted" << 0 << 1 << "Nadawca 4";
    }
    void announcesWhatTheGridShows()
    {
        QFETCH(QString, probe);
        QFETCH(int, row);
        QFETCH(int, column);
        QFETCH(QString, expected);
        SortableGrid grid;
        fillList(grid, 4);
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(&grid);
        QVERIFY(iface);
        QCOMPARE(iface->role(), QAccessible::Table);
        QAccessibleTableInterface* table = iface->tableInterface();
        QVERIFY(table);
        QString got;
        if (probe == "sorted") {
            SortOptions descending;
            descending.direction = sdDescending;
            grid.orderByColumn(3, descending);
            probe = "cell";
        }
        if (probe == "cell") {
            got = table->cellAt(row, column)->text(QAccessible::Name);
        } else if (probe == "columns") {
            got = QString::number(table->columnCount());
        } else if (probe == "rows") {
            got = QString::number(table->rowCount());
        } else if (probe.endsWith("header")) {
            QAccessibleTableCellInterface* cell = table->cellAt(row, column)->tableCellInterface();
            const QList<QAccessibleInterface*> headers
                = probe == "column header" ? cell->columnHeaderCells() : cell->rowHeaderCells();
            QCOMPARE(headers.size(), 1);
            got = headers[0]->text(QAccessible::Name);
        } else if (probe == "column description") {
            got = table->columnDescription(column);
        } else if (probe == "row description") {
            got = table->rowDescription(row);
        } else {
            QAccessibleInterface* cell = table->cellAt(row, column);
            QAccessibleInterface* child = iface->child(iface->indexOfChild(cell));
            QCOMPARE(child, cell);
            QCOMPARE(child->tableCellInterface()->rowIndex(), row);
            QCOMPARE(child->tableCellInterface()->columnIndex(), column);
            got = child->text(QAccessible::Name);
        }
        QCOMPARE(got, expected);
    }

    // The sort glyph says the order on screen; the sorted column's title says it to a reader.
    void sortedColumnTitleSaysTheOrder_data()
    {
        QTest::addColumn<int>("direction");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("title");
        QTest::newRow("ascending") << int(sdAscending) << 1 << "Nadawca, uporządkowano rosnąco";
        QTest::newRow("descending") << int(sdDescending) << 1 << "Nadawca, uporządkowano malejąco";
        QTest::newRow("another column") << int(sdAscending) << 0 << "Termin";
    }
    void sortedColumnTitleSaysTheOrder()
    {
        QFETCH(int, direction);
        QFETCH(int, column);
        QFETCH(QString, title);
        SortableGrid grid;
        fillList(grid, 4);
        grid.setSortSymbol(sgGlyph);
        grid.setSortColumn(3);
        grid.setSortDirection(SortDirection(direction));
        QAccessibleTableInterface* table
            = QAccessible::queryAccessibleInterface(&grid)->tableInterface();
        const QList<QAccessibleInterface*> headers
            = table->cellAt(0, column)->tableCellInterface()->columnHeaderCells();
        QCOMPARE(headers.value(0)->text(QAccessible::Name), title);
        QCOMPARE(table->columnDescription(column), title);
    }

    void currentCellIsFocusedAndSelected()
    {
        SortableGrid grid;
        fillList(grid, 4);
        grid.show();
        grid.activateWindow();
        grid.setFocus();
        QVERIFY(QTest::qWaitForWindowActive(&grid));
        QTest::keyClick(&grid, Qt::Key_Down);
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(&grid);
        QAccessibleInterface* current = iface->tableInterface()->cellAt(1, 0);
        QVERIFY(current->state().focused);
        QVERIFY(current->state().selected);
        QCOMPARE(iface->focusChild(), current);
        QVERIFY(!iface->tableInterface()->cellAt(0, 0)->state().focused);
    }

    // The current cell may sit in a hidden column (a list of whole rows starts on its key
    // column): a reader is then told of the nearest shown cell of the row instead of nothing.
    void aCurrentCellInAHiddenColumnIsToldAsTheNearestShownOne_data()
    {
        QTest::addColumn<int>("hidden");
        QTest::addColumn<int>("current");
        QTest::addColumn<int>("told");
        QTest::newRow("hidden key column, the next one told") << 2 << 2 << 0;
        QTest::newRow("hidden last column, the one before told") << 5 << 5 << 2;
        QTest::newRow("a shown column is told as it is") << 3 << 4 << 1;
    }
    void aCurrentCellInAHiddenColumnIsToldAsTheNearestShownOne()
    {
        QFETCH(int, hidden);
        QFETCH(int, current);
        QFETCH(int, told);
        SortableGrid grid;
        fillList(grid, 4);
        grid.showColumns(5, 5);
        grid.setColWidth(5, 40);
        grid.setColWidth(hidden, 0);
        grid.setCurrentCell(current, 2);
        grid.show();
        grid.activateWindow();
        grid.setFocus();
        QVERIFY(QTest::qWaitForWindowActive(&grid));
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(&grid);
        QAccessibleInterface* spoken = iface->tableInterface()->cellAt(1, told);
        QVERIFY(spoken);
        QCOMPARE(iface->focusChild(), spoken);
        QVERIFY(spoken->state().focused);
    }

    void aMillionRowsAreReadOnlyWhereAsked()
    {
        SortableGrid grid;
        grid.setColCount(3);
        grid.setRowCount(1'000'001);
        grid.setCells(2, 1'000'000, QStringLiteral("ostatnia"));
        QAccessibleTableInterface* table
            = QAccessible::queryAccessibleInterface(&grid)->tableInterface();
        QCOMPARE(table->rowCount(), 1'000'000);
        QCOMPARE(table->cellAt(999'999, 1)->text(QAccessible::Name), QStringLiteral("ostatnia"));
    }
};

QTEST_MAIN(TestGridAccessible)
#include "tst_gridaccessible.moc"

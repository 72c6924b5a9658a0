#include "CustomGrid.h"
#include "GridAxis.h"

#include <QLineEdit>
#include <QScrollBar>
#include <QVBoxLayout>
#include <QtTest>

using namespace kolvar::grid;

namespace {

// A grid that records what the base class asks of its subclasses.
class ProbeGrid : public CustomGrid
{
public:
    using CustomGrid::inplaceEditor;

    struct Drawn
    {
        int col;
        int row;
        GridDrawState state;
        QColor brush;
    };
    QList<Drawn> drawn;
    int widthChanges = 0;
    int topLeftChanges = 0;
    int enters = 0;
    int exits = 0;
    QList<QPoint> sizeChanges;
    QStringList editTexts;
    QList<GridState> stateInMouseUp;
    QList<GridState> stateAfterMouseUp;
    QString editSource = QStringLiteral("old");
    int forcedPageStep = 0;

protected:
    void drawCell(int col, int row, const QRect& rect, GridDrawState state) override
    {
        drawn.append({ col, row, state, canvas().brush.color() });
        CustomGrid::drawCell(col, row, rect, state);
    }
    void colWidthsChanged() override { ++widthChanges; }
    void topLeftChanged() override
    {
        ++topLeftChanges;
        CustomGrid::topLeftChanged();
    }
    void sizeChanged(int oldCols, int oldRows) override
    {
        sizeChanges.append({ oldCols, oldRows });
    }
    void doEnter() override { ++enters; }
    void doExit() override
    {
        ++exits;
        CustomGrid::doExit();
    }
    QString getEditText(int, int) override { return editSource; }
    void setEditText(int, int, const QString& value) override { editTexts.append(value); }
    void mouseUp(Qt::MouseButton button, Qt::KeyboardModifiers mods, const QPoint& pos) override
    {
        stateInMouseUp.append(gridState());
        CustomGrid::mouseUp(button, mods, pos);
        stateAfterMouseUp.append(gridState());
    }
    void scrollBarsUpdated() override
    {
        if (forcedPageStep > 0)
            verticalScrollBar()->setPageStep(forcedPageStep);
    }
};

QLineEdit* editorOf(CustomGrid& grid)
{
    return grid.findChild<QLineEdit*>(QStringLiteral("inplaceEditor"));
}

} // namespace

class TestCustomGrid : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<ProbeGrid> m_grid;

    // Presses Left for each L and Right for each R of keys; returns the clicks they made.
    static int pressArrows(ProbeGrid& grid, const QString& keys)
    {
        int clicks = 0;
        grid.onClick = [&] { ++clicks; };
        for (const QChar k : keys)
            QTest::keyClick(&grid, k == u'R' ? Qt::Key_Right : Qt::Key_Left);
        grid.onClick = nullptr;
        return clicks;
    }

    ProbeGrid& shownGrid(int cols = 5, int rows = 5)
    {
        m_grid = std::make_unique<ProbeGrid>();
        m_grid->setColCount(cols);
        m_grid->setRowCount(rows);
        m_grid->resize(400, 300);
        m_grid->show();
        if (!QTest::qWaitForWindowExposed(m_grid.get()))
            qFatal("grid window not exposed");
        m_grid->drawn.clear();
        m_grid->sizeChanges.clear();
        return *m_grid;
    }
    static QPoint centre(const CustomGrid& grid, int col, int row)
    {
        return grid.cellRect(col, row).center();
    }

private slots:
    void cleanup() { m_grid.reset(); }

    // --- geometry ---------------------------------------------------------------------------

    void cellRectFollowsSizesAndLines_data()
    {
        QTest::addColumn<int>("lineWidth");
        QTest::addColumn<int>("hideCol");
        QTest::addColumn<int>("col");
        QTest::addColumn<int>("row");
        QTest::addColumn<QRect>("rect");
        QTest::newRow("fixed corner sits at the origin")
            << 1 << -1 << 0 << 0 << QRect(0, 0, 64, 24);
        QTest::newRow("first data cell after the fixed line")
            << 1 << -1 << 1 << 1 << QRect(65, 25, 64, 24);
        QTest::newRow("wide lines push every cell") << 3 << -1 << 2 << 2 << QRect(134, 54, 64, 24);
        QTest::newRow("hidden column has no cell") << 1 << 2 << 2 << 1 << QRect();
        QTest::newRow("hidden column leaves no line either")
            << 1 << 2 << 3 << 1 << QRect(130, 25, 64, 24);
        QTest::newRow("no lines at all") << 0 << -1 << 3 << 3 << QRect(192, 72, 64, 24);
    }
    void cellRectFollowsSizesAndLines()
    {
        QFETCH(int, lineWidth);
        QFETCH(int, hideCol);
        QFETCH(int, col);
        QFETCH(int, row);
        QFETCH(QRect, rect);
        ProbeGrid& grid = shownGrid();
        grid.setGridLineWidth(lineWidth);
        if (hideCol >= 0)
            grid.setColWidth(hideCol, 0);
        QCOMPARE(grid.cellRect(col, row), rect);
    }

    void mouseToCellCountsTheLineToTheCellBefore_data()
    {
        QTest::addColumn<QPoint>("point");
        QTest::addColumn<bool>("inside");
        QTest::addColumn<int>("col");
        QTest::addColumn<int>("row");
        QTest::newRow("inside the corner") << QPoint(3, 3) << true << 0 << 0;
        QTest::newRow("on the line after the corner") << QPoint(64, 24) << true << 0 << 0;
        QTest::newRow("first pixel of the next cell") << QPoint(65, 25) << true << 1 << 1;
        QTest::newRow("beyond the last column") << QPoint(330, 10) << false << -1 << -1;
        QTest::newRow("left of the grid") << QPoint(-1, 10) << false << -1 << -1;
    }
    void mouseToCellCountsTheLineToTheCellBefore()
    {
        QFETCH(QPoint, point);
        QFETCH(bool, inside);
        QFETCH(int, col);
        QFETCH(int, row);
        ProbeGrid& grid = shownGrid();
        int c = -1;
        int r = -1;
        QCOMPARE(grid.mouseToCell(point, c, r), inside);
        QCOMPARE(c, col);
        QCOMPARE(r, row);
    }

    void scrollingKeepsFixedRowsAndMovesDataRowsUp()
    {
        ProbeGrid& grid = shownGrid(5, 100);
        const QRect fixedBefore = grid.cellRect(1, 0);
        grid.setTopRow(10);
        QCOMPARE(grid.topRow(), 10);
        QCOMPARE(grid.cellRect(1, 0), fixedBefore);
        QCOMPARE(grid.cellRect(1, 10).top(), 25);
        QVERIFY(grid.cellRect(1, 5).isEmpty());
        QCOMPARE(grid.verticalScrollBar()->value(), 9);
        QCOMPARE(grid.topLeftChanges, 1);
    }

    void topRowStopsWhereTheLastRowIsAtTheBottom()
    {
        ProbeGrid& grid = shownGrid(5, 100);
        grid.setTopRow(1000);
        const QRect last = grid.cellRect(1, 99);
        QVERIFY(!last.isEmpty());
        QVERIFY(last.bottom() < grid.viewport()->height());
        QVERIFY(last.bottom() + 25 >= grid.viewport()->height());
        QCOMPARE(grid.verticalScrollBar()->maximum(), grid.topRow() - 1);
    }

    void scrollBarMovesTheTopRow()
    {
        ProbeGrid& grid = shownGrid(5, 100);
        grid.verticalScrollBar()->setValue(20);
        QCOMPARE(grid.topRow(), 21);
        QCOMPARE(grid.topLeftChanges, 1);
    }

    void pageStepSetBySubclassSurvivesScrolling()
    {
        ProbeGrid& grid = shownGrid(5, 1000);
        grid.forcedPageStep = 77;
        grid.setRowCount(2000); // geometry changes: the hook runs
        QCOMPARE(grid.verticalScrollBar()->pageStep(), 77);
        grid.setTopRow(500);
        QTest::keyClick(&grid, Qt::Key_PageDown);
        grid.verticalScrollBar()->setValue(40);
        QCOMPARE(grid.verticalScrollBar()->pageStep(), 77);
    }

    // --- painting ---------------------------------------------------------------------------

    void paintVisitsOnlyTheVisibleCells()
    {
        ProbeGrid& grid = shownGrid(5, 1'000'000);
        grid.setTopRow(500'000);
        grid.drawn.clear();
        grid.viewport()->repaint();
        const int rows = (grid.viewport()->height() + 24) / 25;
        const int cols = std::min(5, (grid.viewport()->width() + 64) / 65);
        QCOMPARE(grid.drawn.size(), rows * cols);
        for (const auto& cell : grid.drawn)
            QVERIFY(cell.row == 0 || (cell.row >= 500'000 && cell.row < 500'000 + rows));
    }

    void paintVisitsOnlyTheUpdatedArea()
    {
        ProbeGrid& grid = shownGrid(5, 50);
        grid.viewport()->repaint(grid.cellRect(2, 3));
        QCOMPARE(grid.drawn.size(), 1);
        QCOMPARE(grid.drawn.first().col, 2);
        QCOMPARE(grid.drawn.first().row, 3);
    }

    void paintPreparesFixedSelectedAndFocusedCells_data()
    {
        QTest::addColumn<GridOptions>("extra");
        QTest::addColumn<bool>("focusedHighlighted");
        QTest::addColumn<bool>("neighbourHighlighted");
        QTest::newRow("focused cell keeps normal colours") << GridOptions(0) << false << false;
        QTest::newRow("focused cell highlighted on request")
            << GridOptions(goDrawFocusSelected) << true << false;
        QTest::newRow("row select highlights the whole row")
            << GridOptions(goRowSelect) << true << true;
    }
    void paintPreparesFixedSelectedAndFocusedCells()
    {
        QFETCH(GridOptions, extra);
        QFETCH(bool, focusedHighlighted);
        QFETCH(bool, neighbourHighlighted);
        ProbeGrid& grid = shownGrid();
        grid.setOptions(grid.options() | extra);
        grid.activateWindow();
        grid.setFocus();
        QVERIFY(QTest::qWaitForWindowActive(&grid));
        grid.setCurrentCell(2, 2);
        grid.drawn.clear();
        grid.viewport()->repaint();
        const QColor highlight = grid.palette().color(QPalette::Highlight);
        auto find = [&](int c, int r) {
            for (const auto& cell : grid.drawn)
                if (cell.col == c && cell.row == r)
                    return cell;
            return ProbeGrid::Drawn { -1, -1, 0, {} };
        };
        const auto header = find(2, 0);
        QCOMPARE(header.state, GridDrawState(gdFixed));
        QCOMPARE(header.brush, grid.fixedColor());
        const auto current = find(2, 2);
        QVERIFY(current.state & gdFocused);
        QVERIFY(current.state & gdSelected);
        QCOMPARE(current.brush == highlight, focusedHighlighted);
        const auto neighbour = find(3, 2);
        QCOMPARE(bool(neighbour.state & gdSelected), neighbourHighlighted);
        QCOMPARE(neighbour.brush == highlight, neighbourHighlighted);
        QCOMPARE(find(3, 3).brush, grid.color());
    }

    // --- keyboard ---------------------------------------------------------------------------

    void keysMoveTheCurrentCell_data()
    {
        QTest::addColumn<GridOptions>("extra");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("mods");
        QTest::addColumn<QPoint>("from");
        QTest::addColumn<QPoint>("to");
        QTest::newRow("down") << GridOptions(0) << int(Qt::Key_Down) << 0 << QPoint(2, 2)
                              << QPoint(2, 3);
        QTest::newRow("up stops at the first data row")
            << GridOptions(0) << int(Qt::Key_Up) << 0 << QPoint(2, 1) << QPoint(2, 1);
        QTest::newRow("left stops at the first data column")
            << GridOptions(0) << int(Qt::Key_Left) << 0 << QPoint(1, 3) << QPoint(1, 3);
        QTest::newRow("page down moves by the shown rows")
            << GridOptions(0) << int(Qt::Key_PageDown) << 0 << QPoint(1, 1) << QPoint(1, -1);
        QTest::newRow("ctrl+end goes to the last cell")
            << GridOptions(0) << int(Qt::Key_End) << int(Qt::ControlModifier) << QPoint(1, 1)
            << QPoint(4, 99);
        QTest::newRow("ctrl+home goes to the first cell")
            << GridOptions(0) << int(Qt::Key_Home) << int(Qt::ControlModifier) << QPoint(3, 50)
            << QPoint(1, 1);
        QTest::newRow("end goes to the last column")
            << GridOptions(0) << int(Qt::Key_End) << 0 << QPoint(1, 7) << QPoint(4, 7);
        QTest::newRow("end with row select goes to the last row")
            << GridOptions(goRowSelect) << int(Qt::Key_End) << 0 << QPoint(1, 7) << QPoint(1, 99);
        QTest::newRow("tab wraps to the next row")
            << GridOptions(goTabs) << int(Qt::Key_Tab) << 0 << QPoint(4, 7) << QPoint(1, 8);
        QTest::newRow("backtab wraps to the row before")
            << GridOptions(goTabs) << int(Qt::Key_Backtab) << 0 << QPoint(1, 7) << QPoint(4, 6);
    }
    void keysMoveTheCurrentCell()
    {
        QFETCH(GridOptions, extra);
        QFETCH(int, key);
        QFETCH(int, mods);
        QFETCH(QPoint, from);
        QFETCH(QPoint, to);
        ProbeGrid& grid = shownGrid(5, 100);
        grid.setOptions(grid.options() | extra);
        // Rows of 25 pixels below a title row of 25.
        QCOMPARE(grid.visibleRowCount(), (grid.viewport()->height() - 25 + 1) / 25);
        if (to.y() < 0) // a page further down
            to.setY(from.y() + grid.visibleRowCount());
        grid.setCurrentCell(from.x(), from.y());
        int clicks = 0;
        grid.onClick = [&] { ++clicks; };
        QTest::keyClick(&grid, Qt::Key(key), Qt::KeyboardModifiers(mods));
        QCOMPARE(QPoint(grid.col(), grid.row()), to);
        QCOMPARE(clicks, from == to ? 0 : 1);
        const QRect shown = grid.cellRect(grid.col(), grid.row());
        QVERIFY(!shown.isEmpty());
        QVERIFY(shown.bottom() < grid.viewport()->height());
    }

    void shiftArrowsExtendOnlyWithRangeSelect_data()
    {
        QTest::addColumn<bool>("rangeSelect");
        QTest::addColumn<GridRect>("selection");
        QTest::newRow("range select") << true << GridRect { 2, 2, 3, 4 };
        QTest::newRow("no range select") << false << GridRect { 3, 4, 3, 4 };
    }
    void shiftArrowsExtendOnlyWithRangeSelect()
    {
        QFETCH(bool, rangeSelect);
        QFETCH(GridRect, selection);
        ProbeGrid& grid = shownGrid(5, 10);
        grid.setOptions(
            rangeSelect ? grid.options() | goRangeSelect : grid.options() & ~goRangeSelect);
        grid.setCurrentCell(2, 2);
        QTest::keyClick(&grid, Qt::Key_Down, Qt::ShiftModifier);
        QTest::keyClick(&grid, Qt::Key_Down, Qt::ShiftModifier);
        QTest::keyClick(&grid, Qt::Key_Right, Qt::ShiftModifier);
        QCOMPARE(grid.selection(), selection);
        QCOMPARE(QPoint(grid.col(), grid.row()), QPoint(3, 4));
    }

    void rowSelectSpansEveryDataColumn()
    {
        ProbeGrid& grid = shownGrid(6, 10);
        grid.setFixedCols(2);
        grid.setOptions(grid.options() | goRowSelect);
        grid.setCurrentCell(3, 4);
        QCOMPARE(grid.selection(), (GridRect { 2, 4, 5, 4 }));
        grid.setSelection({ 3, 6, 4, 6 });
        QCOMPARE(grid.row(), 6);
        QCOMPARE(grid.selection(), (GridRect { 2, 6, 5, 6 }));
    }

    // In a grid of whole rows Left and Right go from field to field of the current row, clicking
    // nothing; a field cut off at the edge is scrolled one column at a time before Right leaves it.
    void rowSelectArrowsGoFromFieldToField_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<int>("col");
        QTest::addColumn<int>("leftCol");
        QTest::newRow("columns that fit: nothing scrolls") << 60 << "RR" << 3 << 1;
        QTest::newRow("past the last field nothing moves") << 60 << "RRRRR" << 4 << 1;
        QTest::newRow("back to the first field") << 60 << "RRLLL" << 1 << 1;
        QTest::newRow("a cut-off field is not scrolled") << 170 << "R" << 2 << 1;
        QTest::newRow("Right on a cut-off field scrolls one column") << 170 << "RR" << 2 << 2;
        QTest::newRow("and Left goes back a field, scrolling it in") << 170 << "RRL" << 1 << 1;
    }

    void rowSelectArrowsGoFromFieldToField()
    {
        QFETCH(int, width);
        QFETCH(QString, keys);
        QFETCH(int, col);
        QFETCH(int, leftCol);
        ProbeGrid& grid = shownGrid(5, 10);
        grid.setOptions(grid.options() | goRowSelect);
        for (int c = 1; c < 5; ++c)
            grid.setColWidth(c, width);
        grid.setCurrentCell(1, 3);
        const int clicks = pressArrows(grid, keys);
        QCOMPARE(QPoint(grid.col(), grid.row()), QPoint(col, 3));
        QCOMPARE(grid.leftCol(), leftCol);
        QCOMPARE(grid.selection(), (GridRect { 1, 3, 4, 3 }));
        QCOMPARE(clicks, 0);
    }

    // The list's own layout in a view of 400 pixels: a fixed number column and a hidden ID, then
    // date, sender and a long subject, then hidden columns. What is in sight after the keys: the
    // first column scrolled to, and where the current field lies.
    void rowSelectArrowsScrollACutFieldIntoSight_data()
    {
        QTest::addColumn<int>("senderWidth");
        QTest::addColumn<int>("subjectWidth");
        QTest::addColumn<int>("scrolledTo");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<int>("col");
        QTest::addColumn<int>("leftCol");
        QTest::addColumn<int>("fieldX");
        QTest::newRow("to the sender, nothing scrolls") << 166 << 250 << 2 << "R" << 3 << 2 << 128;
        QTest::newRow("onto the cut subject, its start in sight")
            << 166 << 250 << 2 << "RR" << 4 << 2 << 296;
        QTest::newRow("subject cut: Right scrolls one column, the subject stays")
            << 166 << 250 << 2 << "RRR" << 4 << 3 << 208;
        QTest::newRow("and again until its end is in sight")
            << 166 << 250 << 2 << "RRRR" << 4 << 4 << 40;
        QTest::newRow("last field wholly in sight: nothing more")
            << 166 << 250 << 2 << "RRRRR" << 4 << 4 << 40;
        QTest::newRow("Left goes back to the sender and brings it in")
            << 166 << 250 << 2 << "RRRRL" << 3 << 3 << 40;
        QTest::newRow("and to the date") << 166 << 250 << 2 << "RRRRLL" << 2 << 2 << 40;
        QTest::newRow("subject wider than the view scrolls to its start, no further")
            << 166 << 500 << 2 << "RRRRRR" << 4 << 4 << 40;
        QTest::newRow("then Left leaves it") << 166 << 500 << 2 << "RRRRRRL" << 3 << 3 << 40;
        QTest::newRow("a sender ending at the edge: the subject out of sight scrolls in")
            << 270 << 250 << 2 << "RR" << 4 << 4 << 40;
        QTest::newRow("first field scrolled away: Left scrolls one column back")
            << 166 << 250 << 4 << "L" << 2 << 3 << -1;
        QTest::newRow("and again until it is in sight") << 166 << 250 << 4 << "LL" << 2 << 2 << 40;
        QTest::newRow("first field in sight: nothing more")
            << 166 << 250 << 4 << "LLL" << 2 << 2 << 40;
    }

    void rowSelectArrowsScrollACutFieldIntoSight()
    {
        QFETCH(int, senderWidth);
        QFETCH(int, subjectWidth);
        QFETCH(int, scrolledTo);
        QFETCH(QString, keys);
        QFETCH(int, col);
        QFETCH(int, leftCol);
        QFETCH(int, fieldX);
        ProbeGrid& grid = shownGrid(6, 6);
        grid.resize(grid.width() - grid.viewport()->width() + 400, grid.height());
        grid.setFixedCols(2);
        grid.setGridLineWidth(2);
        grid.setOptions(grid.options() | goRowSelect);
        const int widths[] = { 38, 0, 86, senderWidth, subjectWidth, 0 };
        for (int c = 0; c < 6; ++c)
            grid.setColWidth(c, widths[c]);
        QCOMPARE(grid.viewport()->width(), 400);
        grid.setCurrentCell(2, 3);
        grid.setLeftCol(scrolledTo);
        const int clicks = pressArrows(grid, keys);
        QCOMPARE(QPoint(grid.col(), grid.row()), QPoint(col, 3));
        QCOMPARE(grid.leftCol(), leftCol);
        const QRect field = grid.cellRect(col, 3);
        QCOMPARE(field.isEmpty() ? -1 : field.x(), fieldX);
        QCOMPARE(clicks, 0);
    }

    // However narrow the view, scrolling stops with the last shown column in it.
    void scrollingStopsAtALastColumnWiderThanTheView()
    {
        ProbeGrid& grid = shownGrid(6, 6);
        grid.setColWidth(3, 900);
        grid.setColWidth(4, 0);
        grid.setColWidth(5, 0);
        grid.setLeftCol(5);
        QCOMPARE(grid.leftCol(), 3);
        grid.horizontalScrollBar()->setValue(grid.horizontalScrollBar()->maximum());
        QCOMPARE(grid.leftCol(), 3);
        QCOMPARE(grid.cellRect(3, 1).x(), 65);
    }

    void arrowsStepOverHiddenRowsAndColumns()
    {
        ProbeGrid& grid = shownGrid(6, 6);
        grid.setRowHeight(3, 0);
        grid.setColWidth(2, 0);
        grid.setCurrentCell(1, 2);
        QTest::keyClick(&grid, Qt::Key_Down);
        QCOMPARE(grid.row(), 4);
        QTest::keyClick(&grid, Qt::Key_Right);
        QCOMPARE(grid.col(), 3);
    }

    void onKeyDownMaySwallowAKey()
    {
        ProbeGrid& grid = shownGrid();
        grid.setCurrentCell(1, 1);
        grid.onKeyDown = [](int& key, Qt::KeyboardModifiers) {
            if (key == Qt::Key_Down)
                key = 0;
        };
        QTest::keyClick(&grid, Qt::Key_Down);
        QCOMPARE(grid.row(), 1);
        QTest::keyClick(&grid, Qt::Key_Right);
        QCOMPARE(grid.col(), 2);
    }

    void refusedCellLeavesEverythingAlone()
    {
        ProbeGrid& grid = shownGrid();
        grid.setCurrentCell(1, 1);
        int clicks = 0;
        grid.onClick = [&] { ++clicks; };
        grid.onSelectCell = [](int col, int, bool& can) { can = col != 3; };
        grid.setCurrentCell(3, 3);
        QTest::keyClick(&grid, Qt::Key_Right);
        QTest::keyClick(&grid, Qt::Key_Right);
        QCOMPARE(QPoint(grid.col(), grid.row()), QPoint(2, 1));
        QCOMPARE(grid.selection(), (GridRect { 2, 1, 2, 1 }));
        QCOMPARE(clicks, 1);
    }

    // --- mouse ------------------------------------------------------------------------------

    void clickOnDataCellMakesItCurrentAndFiresOnClick()
    {
        ProbeGrid& grid = shownGrid();
        int clicks = 0;
        int ups = 0;
        grid.onClick = [&] { ++clicks; };
        grid.onMouseUp = [&](Qt::MouseButton, Qt::KeyboardModifiers, const QPoint&) {
            QCOMPARE(clicks, 1); // the click comes before the release event
            ++ups;
        };
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, centre(grid, 3, 2));
        QCOMPARE(QPoint(grid.col(), grid.row()), QPoint(3, 2));
        QCOMPARE(clicks, 1);
        QCOMPARE(ups, 1);
        QCOMPARE(grid.stateInMouseUp, QList<GridState> { GridState::gsSelecting });
        QCOMPARE(grid.stateAfterMouseUp, QList<GridState> { GridState::gsNormal });
    }

    void dragSelectsARangeOfRows()
    {
        ProbeGrid& grid = shownGrid(5, 20);
        grid.setOptions(grid.options() | goRowSelect);
        QTest::mousePress(grid.viewport(), Qt::LeftButton, {}, centre(grid, 2, 2));
        QTest::mouseMove(grid.viewport(), centre(grid, 1, 5));
        QTest::mouseRelease(grid.viewport(), Qt::LeftButton, {}, centre(grid, 1, 5));
        QCOMPARE(grid.selection(), (GridRect { 1, 2, 4, 5 }));
        QCOMPARE(grid.row(), 5);
    }

    void dragPastTheBottomScrolls()
    {
        ProbeGrid& grid = shownGrid(5, 200);
        QTest::mousePress(grid.viewport(), Qt::LeftButton, {}, centre(grid, 2, 2));
        const QPoint below(100, grid.viewport()->height() + 20);
        QTest::mouseMove(grid.viewport(), below);
        QTRY_VERIFY(grid.topRow() > 3);
        QTest::mouseRelease(grid.viewport(), Qt::LeftButton, {}, below);
        QVERIFY(grid.topLeftChanges > 0);
        const int stopped = grid.topRow();
        QTest::qWait(200);
        QCOMPARE(grid.topRow(), stopped);
        QCOMPARE(grid.selection().top, 2);
        QCOMPARE(grid.selection().bottom, grid.row());
        QVERIFY(grid.row() >= stopped);
    }

    void doubleClickFiresOnDblClickOnce()
    {
        ProbeGrid& grid = shownGrid();
        int doubles = 0;
        grid.onDblClick = [&] { ++doubles; };
        QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, centre(grid, 2, 3));
        QCOMPARE(doubles, 1);
        QCOMPARE(QPoint(grid.col(), grid.row()), QPoint(2, 3));
        QTest::mouseRelease(grid.viewport(), Qt::LeftButton, {}, centre(grid, 2, 3));
        QCOMPARE(grid.gridState(), GridState::gsNormal);
        QCOMPARE(doubles, 1);
    }

    void draggingAColumnBorderResizesIt()
    {
        ProbeGrid& grid = shownGrid();
        grid.setOptions(grid.options() | goColSizing);
        const QRect col2 = grid.cellRect(2, 0);
        const QPoint border(col2.right() + 1, 10);
        QTest::mousePress(grid.viewport(), Qt::LeftButton, {}, border);
        QCOMPARE(grid.gridState(), GridState::gsColSizing);
        QTest::mouseMove(grid.viewport(), border + QPoint(30, 0));
        QTest::mouseRelease(grid.viewport(), Qt::LeftButton, {}, border + QPoint(30, 0));
        QCOMPARE(grid.colWidth(2), 94);
        QVERIFY(grid.widthChanges >= 1);
        QCOMPARE(grid.gridState(), GridState::gsNormal);
        QCOMPARE(grid.colWidth(1), 64);
    }

    void columnSizingNeedsTheOptionAndAFixedRow()
    {
        ProbeGrid& grid = shownGrid();
        const QRect col2 = grid.cellRect(2, 0);
        QTest::mousePress(grid.viewport(), Qt::LeftButton, {}, QPoint(col2.right() + 1, 10));
        QCOMPARE(grid.gridState(), GridState::gsNormal);
        QTest::mouseRelease(grid.viewport(), Qt::LeftButton, {}, QPoint(col2.right() + 1, 10));
        grid.setOptions(grid.options() | goColSizing);
        QTest::mousePress(grid.viewport(), Qt::LeftButton, {}, QPoint(col2.right() + 1, 40));
        QCOMPARE(grid.gridState(), GridState::gsSelecting);
        QTest::mouseRelease(grid.viewport(), Qt::LeftButton, {}, QPoint(col2.right() + 1, 40));
    }

    void rowSizingInFixedColumn()
    {
        ProbeGrid& grid = shownGrid();
        grid.setOptions(grid.options() | goRowSizing);
        const QRect row3 = grid.cellRect(0, 3);
        const QPoint border(20, row3.bottom() + 1);
        QTest::mousePress(grid.viewport(), Qt::LeftButton, {}, border);
        QTest::mouseMove(grid.viewport(), border - QPoint(0, 100));
        QTest::mouseRelease(grid.viewport(), Qt::LeftButton, {}, border - QPoint(0, 100));
        QCOMPARE(grid.rowHeight(3), 1); // never below one pixel
    }

    void headerPressStartsAColumnMoveAtOnce()
    {
        ProbeGrid& grid = shownGrid();
        grid.setOptions(grid.options() | goColMoving);
        int clicks = 0;
        grid.onClick = [&] { ++clicks; };
        QTest::mousePress(grid.viewport(), Qt::LeftButton, {}, centre(grid, 2, 0));
        QCOMPARE(grid.gridState(), GridState::gsColMoving);
        QTest::mouseRelease(grid.viewport(), Qt::LeftButton, {}, centre(grid, 2, 0));
        QCOMPARE(grid.stateInMouseUp, QList<GridState> { GridState::gsColMoving });
        QCOMPARE(grid.gridState(), GridState::gsNormal);
        QCOMPARE(clicks, 0);
    }

    void movingColumnsAndRowsCarriesSizesAndCurrentCell()
    {
        ProbeGrid& grid = shownGrid(6, 8);
        grid.setColWidth(1, 30);
        grid.setRowHeight(2, 40);
        grid.setCurrentCell(1, 2);
        grid.moveColumn(1, 4);
        grid.moveRow(2, 6);
        QCOMPARE(grid.colWidth(4), 30);
        QCOMPARE(grid.colWidth(1), 64);
        QCOMPARE(grid.rowHeight(6), 40);
        QCOMPARE(QPoint(grid.col(), grid.row()), QPoint(4, 6));
    }

    void draggingARowHeaderMovesTheRow()
    {
        ProbeGrid& grid = shownGrid(5, 8);
        grid.setOptions(grid.options() | goRowMoving);
        grid.setRowHeight(2, 30);
        QTest::mousePress(grid.viewport(), Qt::LeftButton, {}, centre(grid, 0, 2));
        QTest::mouseMove(grid.viewport(), centre(grid, 0, 5));
        QTest::mouseRelease(grid.viewport(), Qt::LeftButton, {}, centre(grid, 0, 5));
        QCOMPARE(grid.rowHeight(5), 30);
        QCOMPARE(grid.rowHeight(2), 24);
    }

    // --- counts -----------------------------------------------------------------------------

    void shrinkingTheRowCountClampsTheCurrentRow()
    {
        ProbeGrid& grid = shownGrid(5, 50);
        grid.setCurrentCell(2, 40);
        grid.setRowCount(10);
        QCOMPARE(grid.row(), 9);
        QCOMPARE(grid.sizeChanges, QList<QPoint> { QPoint(5, 50) });
        grid.setRowCount(20);
        QCOMPARE(grid.rowHeight(15), 24);
    }

    void deletingARowShiftsSizesAndCounts()
    {
        ProbeGrid& grid = shownGrid(5, 6);
        grid.setRowHeight(3, 50);
        grid.setCurrentCell(1, 4);
        grid.deleteRow(2);
        QCOMPARE(grid.rowCount(), 5);
        QCOMPARE(grid.rowHeight(2), 50);
        QCOMPARE(grid.row(), 3);
        QCOMPARE(grid.sizeChanges, QList<QPoint> { QPoint(5, 6) });
    }

    void defaultSizesResetEveryRowAndReachNewOnes()
    {
        ProbeGrid& grid = shownGrid();
        grid.setColWidth(2, 10);
        grid.setDefaultColWidth(40);
        QCOMPARE(grid.colWidth(2), 40);
        grid.setColCount(8);
        QCOMPARE(grid.colWidth(7), 40);
        QCOMPARE(grid.widthChanges, 2);
    }

    // --- in-place editor and focus ----------------------------------------------------------

    void editorOpensTypesAndRestoresOnEscape()
    {
        ProbeGrid& grid = shownGrid();
        grid.setOptions(grid.options() | goEditing);
        grid.setCurrentCell(2, 2);
        QTest::keyClick(&grid, Qt::Key_F2);
        QVERIFY(grid.editorMode());
        QLineEdit* editor = editorOf(grid);
        QCOMPARE(editor->text(), QStringLiteral("old"));
        QCOMPARE(editor->geometry(), grid.cellRect(2, 2));
        QTest::keyClicks(editor, QStringLiteral("ab"));
        QCOMPARE(grid.editTexts, (QStringList { QStringLiteral("olda"), QStringLiteral("oldab") }));
        QTest::keyClick(editor, Qt::Key_Escape);
        QVERIFY(!grid.editorMode());
        QCOMPARE(grid.editTexts.last(), QStringLiteral("old"));
    }

    void typingOnTheGridOpensTheEditorWithThatCharacter()
    {
        ProbeGrid& grid = shownGrid();
        grid.setOptions(grid.options() | goEditing);
        QTest::keyClick(&grid, Qt::Key_X, Qt::NoModifier);
        QVERIFY(grid.editorMode());
        QCOMPARE(editorOf(grid)->text(), QStringLiteral("x"));
        QCOMPARE(grid.editTexts, QStringList { QStringLiteral("x") });
        QTest::keyClick(editorOf(grid), Qt::Key_Down);
        QVERIFY(!grid.editorMode());
        QCOMPARE(grid.row(), 2);
    }

    void enterTogglesTheEditorOnlyWithEditing()
    {
        ProbeGrid& grid = shownGrid();
        QTest::keyClick(&grid, Qt::Key_Return);
        QVERIFY(!grid.editorMode());
        grid.setOptions(grid.options() | goEditing);
        QTest::keyClick(&grid, Qt::Key_Return);
        QVERIFY(grid.editorMode());
        QTest::keyClick(editorOf(grid), Qt::Key_Return);
        QVERIFY(!grid.editorMode());
    }

    void alwaysShownEditorFollowsTheCurrentCell()
    {
        ProbeGrid& grid = shownGrid();
        grid.setOptions(grid.options() | goEditing | goAlwaysShowEditor);
        QVERIFY(grid.editorMode());
        QTest::keyClick(editorOf(grid), Qt::Key_Down);
        QVERIFY(grid.editorMode());
        QCOMPARE(editorOf(grid)->geometry(), grid.cellRect(1, 2));
    }

    void focusMovingIntoTheEditorIsNoExit()
    {
        QWidget window;
        auto* layout = new QVBoxLayout(&window);
        auto* grid = new ProbeGrid;
        auto* other = new QLineEdit;
        layout->addWidget(grid);
        layout->addWidget(other);
        grid->setOptions(grid->options() | goEditing);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        other->setFocus();
        grid->enters = grid->exits = 0;
        grid->setFocus();
        QCOMPARE(grid->enters, 1);
        QTest::keyClick(grid, Qt::Key_F2);
        QVERIFY(editorOf(*grid)->hasFocus());
        QTest::keyClick(editorOf(*grid), Qt::Key_Return);
        QVERIFY(grid->hasFocus());
        QTest::keyClick(grid, Qt::Key_F2);
        QCOMPARE(grid->exits, 0);
        QCOMPARE(grid->enters, 1);
        other->setFocus();
        QCOMPARE(grid->exits, 1);
        QVERIFY(!grid->editorMode());
        grid->setFocus();
        QCOMPARE(grid->enters, 2);
    }

    // --- the pure geometry ------------------------------------------------------------------

    void axisAnswersWalkOnlyTheShownIndexes()
    {
        GridAxis axis(10'000'000, 1, 20);
        axis.setLineWidth(1);
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < 1000; ++i) {
            QCOMPARE(axis.maxFirst(210), 9'999'991); // 20 + 8 * 21 pixels below the title
            QCOMPARE(axis.visibleSpans(5'000'000, 210).size(), size_t(10));
            QCOMPARE(axis.indexAt(205, 5'000'000, 210), 5'000'008);
        }
        QVERIFY(timer.elapsed() < 2000);
    }
};

QTEST_MAIN(TestCustomGrid)
#include "tst_customgrid.moc"

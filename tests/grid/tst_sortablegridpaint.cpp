// What the list grid paints: where a text lands in its cell, bevel edges, the sort glyph, footer
// and marked rows, and what format handlers can change. Pixels are read from a grab of the grid.
#include "ColorValue.h"
#include "SortableGrid.h"

#include <QPainter>
#include <QtTest>

using namespace kolvar;
using namespace kolvar::grid;

namespace {

constexpr GridOptions plainLines = goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine;

// Palette colours may carry another QColor::Spec than the pixels read back; compare as RGB.
QColor rgb(const QColor& colour)
{
    return QColor::fromRgb(colour.rgb());
}

QImage grabGrid(SortableGrid& grid)
{
    return grid.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// The smallest rectangle holding every pixel of `rect` that differs from `background`.
QRect inkBox(const QImage& image, const QRect& rect, const QColor& background)
{
    QRect box;
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        for (int x = rect.left(); x <= rect.right(); ++x) {
            if (image.pixelColor(x, y) != background)
                box |= QRect(x, y, 1, 1);
        }
    }
    return box;
}

// Where the ink of a text starts relative to the point it is drawn at (the top-left of its
// line): glyphs have bearings, so the first inked pixel is not the drawing position itself.
QPoint inkOffset(const QFont& font, const QString& text)
{
    QImage image(400, 100, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter p(&image);
        p.setFont(font);
        p.setPen(Qt::black);
        p.drawText(QPoint(10, 10 + QFontMetrics(font).ascent()), text);
    }
    return inkBox(image, image.rect(), Qt::white).topLeft() - QPoint(10, 10);
}

bool hasColour(const QImage& image, const QRect& rect, const QColor& colour)
{
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        for (int x = rect.left(); x <= rect.right(); ++x) {
            if (image.pixelColor(x, y) == colour)
                return true;
        }
    }
    return false;
}

// A shown grid of 4 columns and 6 rows with one fixed row and column, nothing marked and no
// range selection, so that data cells are plain.
struct Shown
{
    QWidget window;
    SortableGrid* grid = new SortableGrid(&window);

    Shown()
    {
        window.resize(600, 400);
        grid->setGeometry(0, 0, 600, 400);
        grid->setOptions(plainLines);
        grid->setColCount(4);
        grid->setRowCount(6);
        grid->setRowMark(1, false);
        grid->setCurrentCell(3, 5);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
    }
};

} // namespace

class TestSortableGridPaint : public QObject
{
    Q_OBJECT
private slots:
    void textLandsWhereTheAlignmentPutsIt_data()
    {
        QTest::addColumn<int>("horz");
        QTest::addColumn<int>("vert");
        QTest::addColumn<int>("spareWidth");
        QTest::addColumn<int>("spareHeight");
        QTest::addColumn<int>("dx");
        QTest::addColumn<int>("dy");
        QTest::newRow("left, top") << int(taLeftJustify) << int(taTopJustify) << 21 << 9 << 2 << 2;
        QTest::newRow("right ends 2 pixels before the edge")
            << int(taRightJustify) << int(taTopJustify) << 21 << 9 << 19 << 2;
        QTest::newRow("centred, odd remainder one pixel to the left")
            << int(taCenter) << int(taMiddle) << 21 << 9 << 10 << 4;
        QTest::newRow("centred, even remainder")
            << int(taCenter) << int(taMiddle) << 20 << 8 << 10 << 4;
        QTest::newRow("bottom, 3 pixels above the edge")
            << int(taLeftJustify) << int(taBottomJustify) << 21 << 9 << 2 << 6;
    }
    void textLandsWhereTheAlignmentPutsIt()
    {
        QFETCH(int, horz);
        QFETCH(int, vert);
        QFETCH(int, spareWidth);
        QFETCH(int, spareHeight);
        QFETCH(int, dx);
        QFETCH(int, dy);
        Shown shown;
        SortableGrid& grid = *shown.grid;
        const QString text = QStringLiteral("Żółw 42");
        const QFontMetrics metrics(grid.font());
        grid.setCells(2, 2, text);
        grid.setColWidth(2, metrics.horizontalAdvance(text) + spareWidth);
        grid.setRowHeight(2, metrics.height() + spareHeight);
        grid.setAlignmentHorz(HorzAlignment(horz));
        grid.setAlignmentVert(VertAlignment(vert));

        const QRect cell = grid.cellRect(2, 2);
        const QImage image = grabGrid(grid);
        const QRect ink = inkBox(image, cell, rgb(grid.color()));
        QCOMPARE(ink.topLeft(), cell.topLeft() + QPoint(dx, dy) + inkOffset(grid.font(), text));
    }

    void aHandlerMayRealignOrSuppressACell()
    {
        Shown shown;
        SortableGrid& grid = *shown.grid;
        grid.setCells(1, 2, "lewo");
        grid.setCells(2, 2, "ukryty");
        grid.onGetCellFormat = [](int col, int row, GridDrawState, CellFormat& f) {
            if (row == 2 && col == 1)
                f.horzAlign = taRightJustify;
            if (row == 2 && col == 2)
                f.suppressText = true;
        };
        const QImage image = grabGrid(grid);
        const QRect cell = grid.cellRect(1, 2);
        const QRect ink = inkBox(image, cell, rgb(grid.color()));
        const int textWidth = QFontMetrics(grid.font()).horizontalAdvance("lewo");
        QCOMPARE(ink.left(),
            cell.left() + cell.width() - textWidth - 2 + inkOffset(grid.font(), "lewo").x());
        QVERIFY(inkBox(image, grid.cellRect(2, 2), rgb(grid.color())).isNull());
    }

    void bevelsLightTopLeftAndDarkBottomRight_data()
    {
        QTest::addColumn<int>("style");
        QTest::addColumn<uint>("options");
        QTest::addColumn<bool>("vertical");
        QTest::addColumn<bool>("horizontal");
        QTest::newRow("raised, all lines") << int(cbRaised) << uint(plainLines) << true << true;
        QTest::newRow("lowered, all lines") << int(cbLowered) << uint(plainLines) << true << true;
        QTest::newRow("raised, no fixed vertical lines")
            << int(cbRaised) << uint(goFixedHorzLine | goVertLine | goHorzLine) << false << true;
        QTest::newRow("raised, no fixed horizontal lines")
            << int(cbRaised) << uint(goFixedVertLine | goVertLine | goHorzLine) << true << false;
    }
    void bevelsLightTopLeftAndDarkBottomRight()
    {
        QFETCH(int, style);
        QFETCH(uint, options);
        QFETCH(bool, vertical);
        QFETCH(bool, horizontal);
        Shown shown;
        SortableGrid& grid = *shown.grid;
        grid.setOptions(options);
        grid.setBevelStyle(CellBevelStyle(style));
        const QColor light
            = rgb(toQColor(style == cbRaised ? colors::BtnHighlight : colors::BtnShadow));
        const QColor dark
            = rgb(toQColor(style == cbRaised ? colors::BtnShadow : colors::BtnHighlight));
        QVERIFY(light != dark);
        const QColor plain = rgb(grid.color());

        const QImage image = grabGrid(grid);
        const QRect c = grid.cellRect(2, 3);
        const int midX = c.left() + c.width() / 2;
        const int midY = c.top() + c.height() / 2;
        QCOMPARE(image.pixelColor(c.left(), midY), vertical ? light : plain);
        QCOMPARE(image.pixelColor(c.right(), midY), vertical ? dark : plain);
        QCOMPARE(image.pixelColor(midX, c.top()), horizontal ? light : plain);
        QCOMPARE(image.pixelColor(midX, c.bottom()), horizontal ? dark : plain);
        QCOMPARE(image.pixelColor(c.left() + 1, c.top() + 1), plain);
        if (vertical && horizontal) {
            // The light edges are drawn last and take the corners they share with dark ones.
            QCOMPARE(image.pixelColor(c.right(), c.top()), light);
            QCOMPARE(image.pixelColor(c.left(), c.bottom()), light);
            QCOMPARE(image.pixelColor(c.right(), c.bottom()), dark);
        }
        // Fixed cells never get a bevel.
        const QRect f = grid.cellRect(0, 3);
        QCOMPARE(image.pixelColor(f.left(), f.top() + f.height() / 2), rgb(grid.fixedColor()));
        const QRect h = grid.cellRect(2, 0);
        QCOMPARE(image.pixelColor(h.left() + h.width() / 2, h.top()), rgb(grid.fixedColor()));
    }

    void sortGlyphFollowsTheTitleOfTheSortColumnOnly_data()
    {
        QTest::addColumn<int>("symbol");
        QTest::addColumn<int>("fixedRows");
        QTest::addColumn<bool>("drawn");
        QTest::newRow("glyph") << int(sgGlyph) << 1 << true;
        QTest::newRow("no symbol") << int(sgNone) << 1 << false;
        QTest::newRow("no title row") << int(sgGlyph) << 0 << false;
    }
    void sortGlyphFollowsTheTitleOfTheSortColumnOnly()
    {
        QFETCH(int, symbol);
        QFETCH(int, fixedRows);
        QFETCH(bool, drawn);
        Shown shown;
        SortableGrid& grid = *shown.grid;
        grid.setFixedRows(fixedRows);
        grid.setRowTexts(0, { "", "Termin", "Nadawca", "Dotyczy" });
        grid.setRowTexts(1, { "", "x", "Nadawca", "y" });
        grid.setColWidth(2, 150);
        grid.setSortColumn(2);
        grid.setSortSpacingHor(5);
        grid.setSortSpacingVert(1);
        grid.setSortSymbol(SortSymbol(symbol));

        const QImage image = grabGrid(grid);
        const QColor navy = toQColor(colors::Navy);
        const QColor aqua = toQColor(colors::Aqua);
        const QRect title = grid.cellRect(2, 0);
        const QFontMetrics metrics(grid.font());
        const QPoint glyph
            = title.topLeft() + QPoint(2 + metrics.horizontalAdvance("Nadawca") + 5, 2 + 1);
        // The arrow of SORTAZ runs down its column 13 from the top row; its background is left out.
        QCOMPARE(image.pixelColor(glyph + QPoint(13, 0)) == navy, drawn);
        QVERIFY(!hasColour(image, image.rect(), aqua));
        int navyCells = 0;
        for (int r = 0; r < 3; ++r) {
            for (int c = 0; c < 4; ++c)
                navyCells += hasColour(image, grid.cellRect(c, r), navy) ? 1 : 0;
        }
        QCOMPARE(navyCells, drawn ? 1 : 0);
    }

    void footerRowsKeepTheirColourWhenMarked()
    {
        Shown shown;
        SortableGrid& grid = *shown.grid;
        grid.setOptions(plainLines | goRangeSelect);
        grid.setFooterRows(1);
        grid.setFooterColor(colors::Maroon);
        grid.setRowMark(5, true);
        grid.setRowMark(3, true);

        const QImage image = grabGrid(grid);
        const auto background = [&](int col, int row) {
            const QRect c = grid.cellRect(col, row);
            return image.pixelColor(c.center());
        };
        QCOMPARE(background(2, 5), rgb(toQColor(colors::Maroon)));
        QCOMPARE(background(2, 3), rgb(toQColor(colors::Highlight)));
        QCOMPARE(background(2, 2), rgb(toQColor(colors::Window)));
        QCOMPARE(background(0, 3), rgb(grid.fixedColor()));
    }

    void marksAreNotPaintedWithoutRangeSelection()
    {
        Shown shown;
        SortableGrid& grid = *shown.grid;
        grid.setRowMark(3, true);
        const QImage image = grabGrid(grid);
        QCOMPARE(image.pixelColor(grid.cellRect(2, 3).center()), rgb(grid.color()));
    }

    void formatHandlerPaintsWithTheCanvasBrushAndFont()
    {
        Shown shown;
        SortableGrid& grid = *shown.grid;
        grid.setCells(2, 2, "IIIIII");
        QFont big = grid.font();
        big.setPixelSize(30);
        grid.setRowHeight(2, 60);
        grid.onGetCellFormat = [&](int col, int row, GridDrawState, CellFormat& f) {
            if (col == 2 && row == 2) {
                f.cellBrush->setColor(Qt::green);
                *f.cellFont = big;
                *f.cellFontColor = Qt::red;
            }
        };
        const QImage image = grabGrid(grid);
        const QRect cell = grid.cellRect(2, 2);
        QCOMPARE(image.pixelColor(cell.topLeft() + QPoint(1, 1)), QColor(Qt::green));
        QVERIFY(hasColour(image, cell, Qt::red));
        QVERIFY(inkBox(image, cell, Qt::green).height() > QFontMetrics(grid.font()).height());
    }

    void drawCellHandlersSeeMarksAsTheSelection()
    {
        Shown shown;
        SortableGrid& grid = *shown.grid;
        grid.setOptions(plainLines | goRangeSelect);
        grid.setSelection({ 1, 2, 3, 2 });
        grid.setRowMark(4, true);
        QHash<QPoint, GridDrawState> formatStates;
        QHash<QPoint, GridDrawState> drawStates;
        grid.onGetCellFormat = [&](int c, int r, GridDrawState s, CellFormat&) {
            formatStates[{ c, r }] = s;
        };
        grid.onDrawCell = [&](int c, int r, const QRect&, GridDrawState s) {
            drawStates[{ c, r }] = s;
        };
        (void)grabGrid(grid);
        QVERIFY(formatStates.value({ 2, 2 }) & gdSelected);
        QVERIFY(!(drawStates.value({ 2, 2 }) & gdSelected));
        QVERIFY(!(formatStates.value({ 2, 4 }) & gdSelected));
        QVERIFY(drawStates.value({ 2, 4 }) & gdSelected);
    }

    void withoutDefaultDrawingOnlyTheHandlerPaints()
    {
        Shown shown;
        SortableGrid& grid = *shown.grid;
        grid.setCells(2, 2, "tekst");
        grid.setDefaultDrawing(false);
        int calls = 0;
        grid.onDrawCell
            = [&](int c, int r, const QRect&, GridDrawState) { calls += (c == 2 && r == 2); };
        const QImage image = grabGrid(grid);
        QCOMPARE(calls, 1);
        QVERIFY(!hasColour(image, grid.cellRect(2, 2), Qt::black));
    }

    void fitColumnWidthTakesTheWidestTextPlusAnX()
    {
        SortableGrid grid;
        grid.setColCount(3);
        grid.setRowCount(4);
        grid.setCells(1, 0, "Nadawca");
        grid.setCells(1, 2, "Urząd Skarbowy w Śremie");
        grid.setCells(1, 3, "Ala");
        const QFontMetrics metrics(grid.font());
        grid.fitColumnWidth(1);
        QCOMPARE(grid.colWidth(1),
            metrics.horizontalAdvance("Urząd Skarbowy w Śremie") + metrics.horizontalAdvance("x"));
    }

    void fitColumnWidthMeasuresInTheFontsOfTheFormat()
    {
        SortableGrid grid;
        grid.setColCount(3);
        grid.setRowCount(4);
        grid.setCells(1, 1, "krótki");
        grid.setCells(1, 3, "dłuższy tekst");
        QFont footer = grid.font();
        footer.setPixelSize(30);
        grid.setFooterFont(footer);
        grid.setFooterRows(1);
        QFont handled = grid.font();
        handled.setPixelSize(40);
        grid.onGetCellFormat = [&](int, int row, GridDrawState, CellFormat& f) {
            if (row == 1)
                *f.cellFont = handled;
        };
        grid.fitColumnWidth(1);
        const int wide = std::max(QFontMetrics(handled).horizontalAdvance("krótki"),
            QFontMetrics(footer).horizontalAdvance("dłuższy tekst"));
        QCOMPARE(grid.colWidth(1), wide + QFontMetrics(footer).horizontalAdvance("x"));
    }

    void fitAllColumnsAddsTheExtraAndMayLeaveFixedColumns()
    {
        SortableGrid grid;
        grid.setColCount(3);
        grid.setRowCount(2);
        grid.setRowTexts(1, { "Lp.", "Termin", "Nadawca" });
        grid.setColWidth(0, 7);
        const QFontMetrics metrics(grid.font());
        grid.fitAllColumns(false, 10);
        QCOMPARE(grid.colWidth(0), 7);
        QCOMPARE(grid.colWidth(2),
            metrics.horizontalAdvance("Nadawca") + metrics.horizontalAdvance("x") + 10);
        grid.fitAllColumns(true, 0);
        QCOMPARE(
            grid.colWidth(0), metrics.horizontalAdvance("Lp.") + metrics.horizontalAdvance("x"));
    }

    void fitRowHeightWrapsTextsAndKeepsHiddenRowsHidden()
    {
        Shown shown;
        SortableGrid& grid = *shown.grid;
        grid.setColWidth(2, 60);
        grid.setCells(2, 2, "jeden dwa trzy cztery pięć sześć");
        grid.fitRowHeight(2);
        const QFontMetrics metrics(grid.font());
        QVERIFY(grid.rowHeight(2) >= 3 * metrics.lineSpacing());
        QCOMPARE(grid.rowHeight(3), grid.defaultRowHeight());
        grid.fitRowHeight(3);
        QCOMPARE(grid.rowHeight(3), grid.defaultRowHeight());

        grid.setCells(2, 4, grid.cells(2, 2));
        grid.hideRows(4, 4);
        grid.fitHiddenRowHeights(1, 5);
        QCOMPARE(grid.rowHeight(4), 0);
        grid.showRows(4, 4);
        QCOMPARE(grid.rowHeight(4), grid.rowHeight(2));
    }
};

QTEST_MAIN(TestSortableGridPaint)
#include "tst_sortablegridpaint.moc"

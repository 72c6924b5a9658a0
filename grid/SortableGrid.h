#pragma once

#include "CellLayout.h"
#include "CellSearch.h"
#include "ColorValue.h"
#include "GridLists.h"
#include "PageLayout.h"
#include "PreviewWindow.h"
#include "PrintOptions.h"
#include "PrinterAccess.h"
#include "ResampleBitmap.h"
#include "RowMarkSet.h"
#include "SortKeys.h"
#include "StringGrid.h"

#include <QBrush>
#include <QFont>
#include <QImage>

#include <functional>
#include <memory>

class QPrinter;

namespace kolvar::grid {

enum SearchKeyType { soString, soStringCaseSensitive };
enum HandleFixed { hfNot, hfYes };
enum CellBevelStyle { cbNone, cbRaised, cbLowered };
enum SortSymbol { sgNone, sgArrow, sgGlyph, sgCustom };

// How one cell is painted. The brush, font and font colour are the canvas's own, so a handler of
// onGetCellFormat that changes them changes what is painted.
struct CellFormat
{
    QBrush* cellBrush = nullptr;
    QFont* cellFont = nullptr;
    QColor* cellFontColor = nullptr;
    HorzAlignment horzAlign = taLeftJustify;
    VertAlignment vertAlign = taTopJustify;
    CellBevelStyle cellBevel = cbNone;
    ColorValue topLeftColor = colors::Window; // top and left bevel edges
    ColorValue bottomRightColor = colors::Window; // bottom and right bevel edges
    bool suppressText = false;
};

using CellFormatEvent
    = std::function<void(int col, int row, GridDrawState state, CellFormat& format)>;
using ClickSortEvent = std::function<void(int col, int row, SortOptions& sortOptions)>;
using IndexEvent = std::function<void(int index)>;
using NotifyEvent = std::function<void()>;
using SizeChangedEvent = std::function<void(int oldColCount, int oldRowCount)>;
using BeginSortEvent = std::function<void(int col, SortOptions& sortOptions)>;
using EndSortEvent = std::function<void(int col)>;
using CellValidateEvent = std::function<void(int col, int row, QString& value, bool& valid)>;

// The program's list grid: a string grid that sorts its rows by a column (by click or on
// request, stable, undoable), paints cells with alignment, bevels, footer rows and a sort glyph,
// lets the user mark rows, insert and delete rows and columns from the keyboard, validates
// in-place edits, and keeps hidden rows' and columns' sizes to give them back.
//
// Rows 0 .. fixedRows()-1 are the title rows; the last footerRows rows are footer rows.
class SortableGrid : public StringGrid
{
    Q_OBJECT
public:
    explicit SortableGrid(QWidget* parent = nullptr);
    ~SortableGrid() override;

    // Search settings.
    [[nodiscard]] SearchKeyType keyType() const { return m_keyType; }
    void setKeyType(SearchKeyType value) { m_keyType = value; }
    [[nodiscard]] int keyPos() const { return m_keyPos; }
    void setKeyPos(int value) { m_keyPos = value; }
    [[nodiscard]] int keyLen() const { return m_keyLen; }
    void setKeyLen(int value) { m_keyLen = value; }
    [[nodiscard]] HandleFixed useFixed() const { return m_useFixed; }
    void setUseFixed(HandleFixed value) { m_useFixed = value; }
    [[nodiscard]] bool searchSubstring() const { return m_searchSubstring; }
    void setSearchSubstring(bool value) { m_searchSubstring = value; }
    [[nodiscard]] bool searchExists() const { return m_searchExists; }

    // The fixed counts a form stored; they read as the current counts.
    [[nodiscard]] int savedFixedRows() const;
    void setSavedFixedRows(int value) { m_savedFixedRows = value; }
    [[nodiscard]] int savedFixedCols() const;
    void setSavedFixedCols(int value) { m_savedFixedCols = value; }

    [[nodiscard]] bool caseSensitive() const { return m_caseSensitive; }
    void setCaseSensitive(bool value) { m_caseSensitive = value; }

    // Appearance.
    [[nodiscard]] HorzAlignment alignmentHorz() const { return m_alignmentHorz; }
    void setAlignmentHorz(HorzAlignment value);
    [[nodiscard]] VertAlignment alignmentVert() const { return m_alignmentVert; }
    void setAlignmentVert(VertAlignment value);
    [[nodiscard]] CellBevelStyle bevelStyle() const { return m_bevelStyle; }
    void setBevelStyle(CellBevelStyle value);
    [[nodiscard]] bool proportionalScrollBars() const { return m_proportionalScrollBars; }
    void setProportionalScrollBars(bool value);
    [[nodiscard]] bool extendedKeys() const { return m_extendedKeys; }
    void setExtendedKeys(bool value) { m_extendedKeys = value; }
    [[nodiscard]] bool wordWrap() const { return m_wordWrap; }
    void setWordWrap(bool value);

    // Sorting and the sort glyph.
    [[nodiscard]] SortSymbol sortSymbol() const { return m_sortSymbol; }
    void setSortSymbol(SortSymbol value);
    [[nodiscard]] int sortSpacingHor() const { return m_sortSpacingHor; }
    void setSortSpacingHor(int value);
    [[nodiscard]] int sortSpacingVert() const { return m_sortSpacingVert; }
    void setSortSpacingVert(int value);
    [[nodiscard]] SortDirection sortDirection() const { return m_sortDirection; }
    void setSortDirection(SortDirection value);
    // The glyphs of sgCustom; their top-left pixel's colour is painted transparent.
    [[nodiscard]] const QImage& sortBitMapA() const { return m_sortBitMapA; }
    void setSortBitMapA(const QImage& value);
    [[nodiscard]] const QImage& sortBitMapD() const { return m_sortBitMapD; }
    void setSortBitMapD(const QImage& value);
    [[nodiscard]] int sortColumn() const { return m_sortColumn; }
    void setSortColumn(int value); // ignored outside 0 .. colCount()-1
    [[nodiscard]] bool sortOnClick() const { return m_sortOnClick; }
    void setSortOnClick(bool value);
    // A title cell of the sorted column reads with its order, which the glyph shows on screen:
    // "Nadawca, uporządkowano rosnąco".
    [[nodiscard]] QString accessibleText(int col, int row) const override;
    [[nodiscard]] bool sortFooter() const { return m_sortFooter; }
    void setSortFooter(bool value);

    // Footer rows.
    [[nodiscard]] int footerRows() const { return m_footerRows; }
    void setFooterRows(int value); // ignored outside 0 .. rowCount()-fixedRows()
    [[nodiscard]] ColorValue footerColor() const { return m_footerColor; }
    void setFooterColor(ColorValue value);
    [[nodiscard]] const QFont& footerFont() const { return m_footerFont; }
    void setFooterFont(const QFont& value);
    [[nodiscard]] ColorValue footerFontColor() const { return m_footerFontColor; }
    void setFooterFontColor(ColorValue value);
    [[nodiscard]] CellBevelStyle footerBevelStyle() const { return m_footerBevelStyle; }
    void setFooterBevelStyle(CellBevelStyle value);

    // Events. The grid is always the sender, so no handler gets it.
    CellFormatEvent onGetCellFormat;
    ClickSortEvent onClickSort;
    IndexEvent onRowInsert;
    IndexEvent onRowDelete;
    IndexEvent onColumnInsert;
    IndexEvent onColumnDelete;
    NotifyEvent onColumnWidthsChanged;
    NotifyEvent onRowHeightsChanged;
    SizeChangedEvent onSizeChanged;
    BeginSortEvent onBeginSort;
    EndSortEvent onEndSort;
    CellValidateEvent onCellValidate;
    NotifyEvent onMouseEnter;
    NotifyEvent onMouseLeave;

    // Sorting. orderByColumn reads the caller's options and never changes them; it does nothing
    // while the in-place editor is shown or with fewer than two data rows.
    virtual void rearrangeRows(int col, const SortOptions& options);
    [[nodiscard]] virtual SortKeyKind guessColumnKeyKind(int col);
    virtual void orderByColumn(int col, const SortOptions& options);
    [[nodiscard]] virtual bool preSortOrderKnown(); // releases the entries when it says no
    virtual void restorePreSortOrder();
    void loadSortGlyph();
    // The rows of the last sort, in sorted order.
    [[nodiscard]] const SortedRowList& sortEntries() const { return m_sortEntries; }

    virtual void adjustScrollThumbs();
    virtual void rememberEditCell();
    virtual void confirmEditCell();
    virtual void focusCell(int col, int row);

    // Rows and columns. Range operations answer false for an invalid range and change nothing.
    virtual void clearAllRows();
    virtual void clearRowsFrom(int row);
    virtual void addRowAt(int row);
    virtual void addColumnAt(int col);
    virtual void removeRowAt(int row);
    virtual void removeColumnAt(int col);
    virtual void shiftRow(int from, int to);
    virtual void shiftColumn(int from, int to);
    virtual void exchangeRows(int a, int b);
    virtual void exchangeColumns(int a, int b);
    virtual bool addRowsAt(int row, int count);
    virtual bool addColumnsAt(int col, int count);
    virtual bool clearRowRange(int first, int last);
    virtual bool removeRowRange(int first, int last);
    virtual bool removeColumnRange(int first, int last);
    virtual bool clearColumnRange(int first, int last);
    // Hidden rows and columns keep their texts; showing gives back the remembered sizes.
    virtual void showRows(int first, int last);
    virtual void hideRows(int first, int last);
    virtual void showColumns(int first, int last);
    virtual void hideColumns(int first, int last);
    [[nodiscard]] const HiddenSizeList& hiddenSizes() const { return m_hiddenSizes; }

    // Sizes from the texts.
    virtual void fitColumnWidth(int col);
    virtual void fitAllColumns(bool includeFixed, int extra);
    virtual void fitRowHeight(int row);
    virtual void fitRowHeights(int first, int last);
    virtual void fitShownRowHeights(int first, int last);
    virtual void fitHiddenRowHeights(int first, int last);

    // Cell search. A search covers the grid (findFirst, along rows or down columns), one row or
    // one column, from after the fixed rows and columns unless useFixed is hfYes; findNext goes on
    // after the last match. A hit gives its cell; none gives false and -1, -1, and so does every
    // findNext after it until a new search starts. Hidden rows and columns are searched; texts
    // kept beyond colCount() are not, nor cells the grid has lost since the search started.
    // Matching follows keyType, searchSubstring, keyPos and keyLen as they are at each call.
    bool findFirst(const QString& text, bool byRows, int& col, int& row);
    bool findFirstInRow(const QString& text, int inRow, int& col, int& row);
    bool findFirstInCol(const QString& text, int inCol, int& col, int& row);
    bool findNext(int& col, int& row);

    // Texts. locateText finds the first cell, column by column, equal to value ignoring case.
    [[nodiscard]] virtual bool locateText(const QString& value, int& col, int& row);
    // Delimited files are UTF-8 text, one row per line. Errors opening a file throw
    // std::runtime_error.
    virtual void readDelimitedFile(const QString& fileName, QChar delimiter);
    virtual void writeDelimitedFile(const QString& fileName, QChar delimiter);
    // Split text at every separator into the row's (column's) cells from column (row) 0 on;
    // answer the number of cells written. The grid's size stays.
    int modifyRow(int row, const QString& text, const QString& separator);
    int modifyCol(int col, const QString& text, const QString& separator);

    // Painting. The canvas is the owner's to paint on in onDrawCell, as the grid left it.
    using CustomGrid::canvas;
    void prepareCellFormat(int col, int row, CellFormat& format);
    void repaintRow(int row);
    // The flags a cell would be painted with, for handlers outside painting.
    [[nodiscard]] GridDrawState cellDrawState(int col, int row) const;

    // The printout (SortableGridPrinting.cpp). The options are the grid's own; the preview edits
    // them in place. previewPrintout opens the preview window the program installed
    // (PreviewWindow.h); renderPreviewPage draws page printOptions().previewPage into the picture,
    // sizing it to the page; printPreviewPage prints, after the print dialog, the pages it chose
    // there: the page shown unless the user picks all or another range, each laid out as the
    // preview lays it out.
    [[nodiscard]] PrintOptions& printOptions() { return m_printOptions; }
    void previewPrintout();
    void renderPreviewPage(QImage& canvas);
    [[nodiscard]] int countPrintPages();
    void printPreviewPage();
    [[nodiscard]] int pagesLaidOut() const { return m_pagesLaidOut; }
    // The page drawn last, with its notes (a logo left out).
    [[nodiscard]] const PageLayout& renderedPage() const { return m_renderedPage; }
    // The printer the pages are laid out for, taken when the preview opens; without one, a
    // stand-in that carries the page set-up of the chosen paper (A4) at 600 dpi.
    [[nodiscard]] QPrinter& layoutPrinter();
    // The printer set-up: the queue, paper and orientation chosen there lay the pages out and
    // reach the print job. False when the user cancelled it.
    bool setUpPrinter(QWidget* parent);
    [[nodiscard]] const PrinterSetup& printerSetup() const { return m_printerSetup; }
    static void resampleBitmap(QImage& source, QImage& target);

    // Row marking (active with goRangeSelect).
    [[nodiscard]] bool rowMarked(int row) const { return m_markedRows.contains(row); }
    [[nodiscard]] int markedRowCount() const { return m_markedRows.count(); }
    void toggleRowMark(int row);
    void setRowMark(int row, bool marked);
    void setRowMarkRange(int a, int b, bool marked);

protected:
    void paintSortGlyph(int x, int y);
    [[nodiscard]] const QImage& sortGlyph() const { return m_sortGlyph; }
    [[nodiscard]] bool rowsSorted() const { return m_rowsSorted; }
    [[nodiscard]] bool sortRunning() const { return m_sortRunning; }
    [[nodiscard]] bool cellsModified() const { return m_cellsModified; }
    [[nodiscard]] bool focusHeld() const { return m_focusHeld; }
    void suspendAlwaysShowEditor(bool suspend);

    void drawCell(int col, int row, const QRect& rect, GridDrawState state) override;
    void mouseDown(Qt::MouseButton button, Qt::KeyboardModifiers mods, const QPoint& pos) override;
    void mouseMove(
        Qt::MouseButtons buttons, Qt::KeyboardModifiers mods, const QPoint& pos) override;
    void mouseUp(Qt::MouseButton button, Qt::KeyboardModifiers mods, const QPoint& pos) override;
    void topLeftChanged() override;
    void keyDown(int& key, Qt::KeyboardModifiers mods) override;
    void keyPress(QChar& key) override;
    void click() override;
    void doEnter() override;
    void doExit() override;
    void setEditText(int col, int row, const QString& value) override;
    void colWidthsChanged() override;
    void rowHeightsChanged() override;
    void sizeChanged(int oldColCount, int oldRowCount) override;
    // The remembered edit cell follows its text through row and column moves, deletions and
    // sorts, so a later confirmation validates the cell that was edited.
    void rowMoved(int from, int to) override;
    void columnMoved(int from, int to) override;
    void rowDeleted(int row) override;
    void columnDeleted(int col) override;
    void rowsPermuted(int first, std::span<const int> sources) override;

    void mouseEntered() override;
    void mouseLeft() override;
    void scrollBarsUpdated() override;

    void resizeEvent(QResizeEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    friend class GridPrintSource;

    PageLayout layOutPages(bool render, int firstRow, int lastRow);
    [[nodiscard]] PageLayouter layouterFor(PrintSource& source, const QPrinter* printer) const;
    [[nodiscard]] QList<int> chosenPages(const QPrinter& printer, int current, int last) const;
    [[nodiscard]] bool rangeValid(int first, int last, bool forRows) const;
    [[nodiscard]] bool isFooterRow(int row) const;
    [[nodiscard]] bool editorShown() const;
    [[nodiscard]] int lastSortableRow() const;
    void repaintFooterRows(int count);
    void prepareCellFormat(GridCanvas& canvas, int col, int row, CellFormat& format);
    void clickSort(Qt::MouseButton button, Qt::KeyboardModifiers mods, const QPoint& pos);
    void setColumnEmpty(int col);
    void moveRowTexts(const std::vector<int>& sourceOfRow, int firstRow);
    void rememberHiddenAndZero(int first, int last, int kind);
    void showHidden(int first, int last, int kind);
    void fitRowsWhere(int first, int last, const std::function<bool(int height)>& take);
    bool startSearch(const QString& text, const CellRange& range, int& col, int& row);

    SearchKeyType m_keyType = soString;
    int m_keyPos = 1;
    int m_keyLen = 2147483647;
    HandleFixed m_useFixed = hfNot;
    bool m_searchSubstring = false;
    bool m_searchExists = false;
    // The running search: its phrase (upper-cased by findNext for a case-blind substring
    // search), its range and the next cell to test. Nothing is left to test before the first.
    QString m_searchText;
    int m_searchFirstRow = 0;
    int m_searchFirstCol = 0;
    int m_searchRow = 0;
    int m_searchCol = 0;
    int m_searchLastRow = -1;
    int m_searchLastCol = -1;
    bool m_scanRowWise = true;
    int m_savedFixedRows = 0;
    int m_savedFixedCols = 0;
    bool m_fixedSaved = false;
    bool m_caseSensitive = false;

    HorzAlignment m_alignmentHorz = taLeftJustify;
    VertAlignment m_alignmentVert = taTopJustify;
    CellBevelStyle m_bevelStyle = cbNone;
    bool m_proportionalScrollBars = true;
    bool m_extendedKeys = false;
    bool m_wordWrap = false;

    SortSymbol m_sortSymbol = sgNone;
    int m_sortSpacingHor = 2;
    int m_sortSpacingVert = 0;
    SortDirection m_sortDirection = sdAscending;
    QImage m_sortBitMapA;
    QImage m_sortBitMapD;
    QImage m_sortGlyph; // null when there is none
    QImage m_sortGlyphMasked; // the glyph as painted
    int m_sortColumn = 1;
    bool m_sortOnClick = true;
    bool m_sortFooter = false;
    SortedRowList m_sortEntries;
    bool m_sortRunning = false;
    bool m_rowsSorted = false;

    int m_footerRows = 0;
    int m_unsortedTailRows = 0;
    ColorValue m_footerColor = colors::Aqua;
    QFont m_footerFont;
    ColorValue m_footerFontColor = colors::WindowText;
    CellBevelStyle m_footerBevelStyle = cbNone;

    bool m_cellsModified = false;
    bool m_modifiedAtEntry = false;
    bool m_focusHeld = false;
    QString m_entryText;
    int m_entryCol = 0;
    int m_entryRow = 0;

    RowMarkSet m_markedRows;
    int m_markAnchor = 0;
    int m_markLastRow = 0;
    int m_markPrevTopRow = 0;
    bool m_markDragging = false;
    Qt::MouseButtons m_buttonsAtRelease;

    HiddenSizeList m_hiddenSizes;
    bool m_editorOptionSuspended = false;

    // The canvas of cell formats asked for outside painting (fitting, handlers).
    GridCanvas m_measureCanvas;
    bool m_painting = false;
    // The canvas as it was at construction; the printout restores it.
    QFont m_defaultCanvasFont;
    QBrush m_defaultCanvasBrush;

    PrintOptions m_printOptions;
    int m_pagesLaidOut = 0;
    PageLayout m_renderedPage;
    std::unique_ptr<QPrinter> m_layoutPrinter;
    bool m_realPrinter = false;
    PrinterSetup m_printerSetup; // its orientation is the print options' own
};

} // namespace kolvar::grid

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

enum TMSortType { soString, soStringCaseSensitive };
enum HandleFixed { hfNot, hfYes };
enum TCellBevelStyle { cbNone, cbRaised, cbLowered };
enum TSortSymbol { sgNone, sgArrow, sgGlyph, sgCustom };

// How one cell is painted. The brush, font and font colour are the canvas's own, so a handler of
// OnGetCellFormat that changes them changes what is painted.
struct TFormatOptions
{
    QBrush* CellBrush = nullptr;
    QFont* CellFont = nullptr;
    QColor* CellFontColor = nullptr;
    TAlignment HorzAlign = taLeftJustify;
    TVertAlignment VertAlign = taTopJustify;
    TCellBevelStyle CellBevel = cbNone;
    ColorValue TopLeftColor = colors::Window; // top and left bevel edges
    ColorValue BottomRightColor = colors::Window; // bottom and right bevel edges
    bool SuppressText = false;
};

using TFormatDrawCellEvent
    = std::function<void(int Col, int Row, GridDrawState State, TFormatOptions& FormatOptions)>;
using TClickSortEvent = std::function<void(int Col, int Row, TSortOptions& SortOptions)>;
using TUpdateGridEvent = std::function<void(int Index)>;
using TNotifyEvent = std::function<void()>;
using TSizeChangedEvent = std::function<void(int OldColCount, int OldRowCount)>;
using TBeginSortEvent = std::function<void(int Col, TSortOptions& SortOptions)>;
using TEndSortEvent = std::function<void(int Col)>;
using TCellValidateEvent = std::function<void(int Col, int Row, QString& Value, bool& Valid)>;

// The program's list grid: a string grid that sorts its rows by a column (by click or on
// request, stable, undoable), paints cells with alignment, bevels, footer rows and a sort glyph,
// lets the user mark rows, insert and delete rows and columns from the keyboard, validates
// in-place edits, and keeps hidden rows' and columns' sizes to give them back.
//
// Rows 0 .. FixedRows-1 are the title rows; the last FooterRows rows are footer rows.
class TZarur : public StringGrid
{
    Q_OBJECT
public:
    explicit TZarur(QWidget* parent = nullptr);
    ~TZarur() override;

    // Search settings.
    [[nodiscard]] TMSortType KeyType() const { return m_keyType; }
    void SetKeyType(TMSortType value) { m_keyType = value; }
    [[nodiscard]] int KeyPos() const { return m_keyPos; }
    void SetKeyPos(int value) { m_keyPos = value; }
    [[nodiscard]] int KeyLen() const { return m_keyLen; }
    void SetKeyLen(int value) { m_keyLen = value; }
    [[nodiscard]] HandleFixed UseFixed() const { return m_useFixed; }
    void SetUseFixed(HandleFixed value) { m_useFixed = value; }
    [[nodiscard]] bool SearchSubstring() const { return m_searchSubstring; }
    void SetSearchSubstring(bool value) { m_searchSubstring = value; }
    [[nodiscard]] bool SearchExists() const { return m_searchExists; }

    // The fixed counts a form stored; they read as the current counts.
    [[nodiscard]] int SavedFixedRows() const;
    void SetSavedFixedRows(int value) { m_savedFixedRows = value; }
    [[nodiscard]] int SavedFixedCols() const;
    void SetSavedFixedCols(int value) { m_savedFixedCols = value; }

    [[nodiscard]] bool CaseSensitive() const { return m_caseSensitive; }
    void SetCaseSensitive(bool value) { m_caseSensitive = value; }

    // Appearance.
    [[nodiscard]] TAlignment AlignmentHorz() const { return m_alignmentHorz; }
    void SetAlignmentHorz(TAlignment value);
    [[nodiscard]] TVertAlignment AlignmentVert() const { return m_alignmentVert; }
    void SetAlignmentVert(TVertAlignment value);
    [[nodiscard]] TCellBevelStyle BevelStyle() const { return m_bevelStyle; }
    void SetBevelStyle(TCellBevelStyle value);
    [[nodiscard]] bool ProportionalScrollBars() const { return m_proportionalScrollBars; }
    void SetProportionalScrollBars(bool value);
    [[nodiscard]] bool ExtendedKeys() const { return m_extendedKeys; }
    void SetExtendedKeys(bool value) { m_extendedKeys = value; }
    [[nodiscard]] bool WordWrap() const { return m_wordWrap; }
    void SetWordWrap(bool value);

    // Sorting and the sort glyph.
    [[nodiscard]] TSortSymbol SortSymbol() const { return m_sortSymbol; }
    void SetSortSymbol(TSortSymbol value);
    [[nodiscard]] int SortSpacingHor() const { return m_sortSpacingHor; }
    void SetSortSpacingHor(int value);
    [[nodiscard]] int SortSpacingVert() const { return m_sortSpacingVert; }
    void SetSortSpacingVert(int value);
    [[nodiscard]] TSortDirection SortDirection() const { return m_sortDirection; }
    void SetSortDirection(TSortDirection value);
    // The glyphs of sgCustom; their top-left pixel's colour is painted transparent.
    [[nodiscard]] const QImage& SortBitMapA() const { return m_sortBitMapA; }
    void SetSortBitMapA(const QImage& value);
    [[nodiscard]] const QImage& SortBitMapD() const { return m_sortBitMapD; }
    void SetSortBitMapD(const QImage& value);
    [[nodiscard]] int SortColumn() const { return m_sortColumn; }
    void SetSortColumn(int value); // ignored outside 0 .. ColCount-1
    [[nodiscard]] bool SortOnClick() const { return m_sortOnClick; }
    void SetSortOnClick(bool value);
    [[nodiscard]] bool SortFooter() const { return m_sortFooter; }
    void SetSortFooter(bool value);

    // Footer rows.
    [[nodiscard]] int FooterRows() const { return m_footerRows; }
    void SetFooterRows(int value); // ignored outside 0 .. RowCount-FixedRows
    [[nodiscard]] ColorValue FooterColor() const { return m_footerColor; }
    void SetFooterColor(ColorValue value);
    [[nodiscard]] const QFont& FooterFont() const { return m_footerFont; }
    void SetFooterFont(const QFont& value);
    [[nodiscard]] ColorValue FooterFontColor() const { return m_footerFontColor; }
    void SetFooterFontColor(ColorValue value);
    [[nodiscard]] TCellBevelStyle FooterBevelStyle() const { return m_footerBevelStyle; }
    void SetFooterBevelStyle(TCellBevelStyle value);

    // Events. The grid is always the sender, so no handler gets it.
    TFormatDrawCellEvent OnGetCellFormat;
    TClickSortEvent OnClickSort;
    TUpdateGridEvent OnRowInsert;
    TUpdateGridEvent OnRowDelete;
    TUpdateGridEvent OnColumnInsert;
    TUpdateGridEvent OnColumnDelete;
    TNotifyEvent OnColumnWidthsChanged;
    TNotifyEvent OnRowHeightsChanged;
    TSizeChangedEvent OnSizeChanged;
    TBeginSortEvent OnBeginSort;
    TEndSortEvent OnEndSort;
    TCellValidateEvent OnCellValidate;
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;

    // Sorting. OrderByColumn reads the caller's options and never changes them; it does nothing
    // while the in-place editor is shown or with fewer than two data rows.
    virtual void RearrangeRows(int Col, const TSortOptions& Options);
    [[nodiscard]] virtual TSortKeyKind GuessKeyKind(int Col);
    virtual void OrderByColumn(int Col, const TSortOptions& Options);
    [[nodiscard]] virtual bool PreSortOrderKnown(); // releases the entries when it says no
    virtual void RestorePreSortOrder();
    void LoadSortGlyph();
    // The rows of the last sort, in sorted order.
    [[nodiscard]] const TSortedList& SortEntries() const { return m_sortEntries; }

    virtual void AdjustScrollThumbs();
    virtual void RememberEditCell();
    virtual void ConfirmEditCell();
    virtual void FocusCell(int Col, int Row);

    // Rows and columns. Range operations answer false for an invalid range and change nothing.
    virtual void ClearAllRows();
    virtual void ClearRowsFrom(int Row);
    virtual void AddRowAt(int Row);
    virtual void AddColumnAt(int Col);
    virtual void RemoveRowAt(int Row);
    virtual void RemoveColumnAt(int Col);
    virtual void ShiftRow(int From, int To);
    virtual void ShiftColumn(int From, int To);
    virtual void ExchangeRows(int A, int B);
    virtual void ExchangeColumns(int A, int B);
    virtual bool AddRowsAt(int Row, int Count);
    virtual bool AddColumnsAt(int Col, int Count);
    virtual bool ClearRowRange(int First, int Last);
    virtual bool RemoveRowRange(int First, int Last);
    virtual bool RemoveColumnRange(int First, int Last);
    virtual bool ClearColumnRange(int First, int Last);
    // Hidden rows and columns keep their texts; showing gives back the remembered sizes.
    virtual void ShowRows(int First, int Last);
    virtual void HideRows(int First, int Last);
    virtual void ShowColumns(int First, int Last);
    virtual void HideColumns(int First, int Last);
    [[nodiscard]] const TOldRowColValueList& HiddenSizes() const { return m_hiddenSizes; }

    // Sizes from the texts.
    virtual void FitColumnWidth(int Col);
    virtual void FitAllColumns(bool IncludeFixed, int Extra);
    virtual void FitRowHeight(int Row);
    virtual void FitRowHeights(int First, int Last);
    virtual void FitShownRowHeights(int First, int Last);
    virtual void FitHiddenRowHeights(int First, int Last);

    // Cell search. A search covers the grid (FindFirst, along rows or down columns), one row or
    // one column, from after the fixed rows and columns unless UseFixed is hfYes; FindNext goes on
    // after the last match. A hit gives its cell; none gives false and -1, -1, and so does every
    // FindNext after it until a new search starts. Hidden rows and columns are searched; texts
    // kept beyond colCount() are not, nor cells the grid has lost since the search started.
    // Matching follows KeyType, SearchSubstring, KeyPos and KeyLen as they are at each call.
    bool FindFirst(const QString& Text, bool ByRows, int& Col, int& Row);
    bool FindFirstInRow(const QString& Text, int ARow, int& Col, int& Row);
    bool FindFirstInCol(const QString& Text, int ACol, int& Col, int& Row);
    bool FindNext(int& Col, int& Row);

    // Texts. LocateText finds the first cell, column by column, equal to Value ignoring case.
    [[nodiscard]] virtual bool LocateText(const QString& Value, int& Col, int& Row);
    // Delimited files are UTF-8 text, one row per line. Errors opening a file throw
    // std::runtime_error.
    virtual void ReadDelimitedFile(const QString& FileName, QChar Delimiter);
    virtual void WriteDelimitedFile(const QString& FileName, QChar Delimiter);
    // Split Text at every Separator into the row's (column's) cells from column (row) 0 on;
    // answer the number of cells written. The grid's size stays.
    int ModifyRow(int Row, const QString& Text, const QString& Separator);
    int ModifyCol(int Col, const QString& Text, const QString& Separator);

    // Painting. The canvas is the owner's to paint on in onDrawCell, as the grid left it.
    using CustomGrid::canvas;
    void PrepareCellFormat(int Col, int Row, TFormatOptions& Format);
    void RepaintRow(int Row);
    // The flags a cell would be painted with, for handlers outside painting.
    [[nodiscard]] GridDrawState CellDrawState(int Col, int Row) const;

    // The printout (ZarurPrinting.cpp). The options are the grid's own; the preview edits them in
    // place. PreviewPrintout opens the preview window the program installed (PreviewWindow.h);
    // RenderPreviewPage draws page PrintOptions().PreviewPage into the picture, sizing it to the
    // page; PrintPreviewPage prints, after the print dialog, the pages it chose there: the page
    // shown unless the user picks all or another range, each laid out as the preview lays it out.
    [[nodiscard]] TPrintOptions& PrintOptions() { return m_printOptions; }
    void PreviewPrintout();
    void RenderPreviewPage(QImage& Canvas);
    [[nodiscard]] int CountPrintPages();
    void PrintPreviewPage();
    [[nodiscard]] int PagesLaidOut() const { return m_pagesLaidOut; }
    // The page drawn last, with its notes (a logo left out).
    [[nodiscard]] const PageLayout& RenderedPage() const { return m_renderedPage; }
    // The printer the pages are laid out for, taken when the preview opens; without one, a
    // stand-in that carries the page set-up of the chosen paper (A4) at 600 dpi.
    [[nodiscard]] QPrinter& LayoutPrinter();
    // The printer set-up: the queue, paper and orientation chosen there lay the pages out and
    // reach the print job. False when the user cancelled it.
    bool SetUpPrinter(QWidget* parent);
    [[nodiscard]] const PrinterSetup& PrinterSetUp() const { return m_printerSetup; }
    static void ResampleBitmap(QImage& Source, QImage& Target);

    // Row marking (active with goRangeSelect).
    [[nodiscard]] bool RowMarked(int Row) const { return m_markedRows.contains(Row); }
    [[nodiscard]] int MarkedRowCount() const { return m_markedRows.count(); }
    void ToggleRowMark(int Row);
    void SetRowMark(int Row, bool Marked);
    void SetRowMarkRange(int A, int B, bool Marked);

protected:
    void PaintSortGlyph(int X, int Y);
    [[nodiscard]] const QImage& SortGlyph() const { return m_sortGlyph; }
    [[nodiscard]] bool RowsSorted() const { return m_rowsSorted; }
    [[nodiscard]] bool SortRunning() const { return m_sortRunning; }
    [[nodiscard]] bool CellsModified() const { return m_cellsModified; }
    [[nodiscard]] bool FocusHeld() const { return m_focusHeld; }
    void SuspendAlwaysShowEditor(bool suspend);

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
    friend class ZarurPrintSource;

    PageLayout LayOutPages(bool Render, int FirstRow, int LastRow);
    [[nodiscard]] PageLayouter layouterFor(PrintSource& source, const QPrinter* printer) const;
    [[nodiscard]] QList<int> chosenPages(const QPrinter& printer, int current, int last) const;
    [[nodiscard]] bool rangeValid(int first, int last, bool forRows) const;
    [[nodiscard]] bool isFooterRow(int row) const;
    [[nodiscard]] bool editorShown() const;
    [[nodiscard]] int lastSortableRow() const;
    void repaintFooterRows(int count);
    void prepareCellFormat(GridCanvas& canvas, int col, int row, TFormatOptions& format);
    void clickSort(Qt::MouseButton button, Qt::KeyboardModifiers mods, const QPoint& pos);
    void setColumnEmpty(int col);
    void moveRowTexts(const std::vector<int>& sourceOfRow, int firstRow);
    void rememberHiddenAndZero(int first, int last, int kind);
    void showHidden(int first, int last, int kind);
    void fitRowsWhere(int first, int last, const std::function<bool(int height)>& take);
    bool startSearch(const QString& text, const CellRange& range, int& col, int& row);

    TMSortType m_keyType = soString;
    int m_keyPos = 1;
    int m_keyLen = 2147483647;
    HandleFixed m_useFixed = hfNot;
    bool m_searchSubstring = false;
    bool m_searchExists = false;
    // The running search: its phrase (upper-cased by FindNext for a case-blind substring
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

    TAlignment m_alignmentHorz = taLeftJustify;
    TVertAlignment m_alignmentVert = taTopJustify;
    TCellBevelStyle m_bevelStyle = cbNone;
    bool m_proportionalScrollBars = true;
    bool m_extendedKeys = false;
    bool m_wordWrap = false;

    TSortSymbol m_sortSymbol = sgNone;
    int m_sortSpacingHor = 2;
    int m_sortSpacingVert = 0;
    TSortDirection m_sortDirection = sdAscending;
    QImage m_sortBitMapA;
    QImage m_sortBitMapD;
    QImage m_sortGlyph; // null when there is none
    QImage m_sortGlyphMasked; // the glyph as painted
    int m_sortColumn = 1;
    bool m_sortOnClick = true;
    bool m_sortFooter = false;
    TSortedList m_sortEntries;
    bool m_sortRunning = false;
    bool m_rowsSorted = false;

    int m_footerRows = 0;
    int m_unsortedTailRows = 0;
    ColorValue m_footerColor = colors::Aqua;
    QFont m_footerFont;
    ColorValue m_footerFontColor = colors::WindowText;
    TCellBevelStyle m_footerBevelStyle = cbNone;

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

    TOldRowColValueList m_hiddenSizes;
    bool m_editorOptionSuspended = false;

    // The canvas of cell formats asked for outside painting (fitting, handlers).
    GridCanvas m_measureCanvas;
    bool m_painting = false;
    // The canvas as it was at construction; the printout restores it.
    QFont m_defaultCanvasFont;
    QBrush m_defaultCanvasBrush;

    TPrintOptions m_printOptions;
    int m_pagesLaidOut = 0;
    PageLayout m_renderedPage;
    std::unique_ptr<QPrinter> m_layoutPrinter;
    bool m_realPrinter = false;
    PrinterSetup m_printerSetup; // its orientation is the print options' own
};

} // namespace kolvar::grid

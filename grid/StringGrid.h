#pragma once

#include "CustomGrid.h"

#include <QByteArrayView>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <optional>
#include <span>

namespace kolvar::grid {

// A holder of the rows that keeps only the beginning of a text of megabytes in its cell (what a
// cell can show and what ordering needs) tells the grid which cells are cut so, and reads their
// whole texts, in the compact code page, where a command needs them.
class PartialTexts
{
public:
    virtual ~PartialTexts() = default;
    [[nodiscard]] virtual bool anyCut() const = 0;
    [[nodiscard]] virtual bool isCut(int col, int row) const = 0;
    // Hands use the whole text, valid during the call: a text of megabytes is not copied.
    virtual void useWhole(
        int col, int row, const std::function<void(QByteArrayView text)>& use) const = 0;
};

// A CustomGrid that holds a text in every cell and draws it. A text may be stored in a column at
// or beyond colCount(): it is kept with its row (moved, cleared and deleted with it) and read
// back through cells(), but never shown.
class StringGrid : public CustomGrid
{
    Q_OBJECT
public:
    explicit StringGrid(QWidget* parent = nullptr);
    ~StringGrid() override;

    // Empty outside the store; the whole text also where the cell keeps only its beginning.
    [[nodiscard]] QString cells(int col, int row) const;
    // Nothing (the default) lets every cell hold its whole text. The holder outlives its use.
    void setPartialTexts(const PartialTexts* texts) { m_partial = texts; }
    // The whole text of a cell that keeps only its beginning; nothing for any other cell.
    [[nodiscard]] std::optional<QByteArray> wholeCellBytes(int col, int row) const;
    // Whether any cell keeps only its beginning: a scan over a million cells asks once.
    [[nodiscard]] bool anyCellCut() const { return m_partial && m_partial->anyCut(); }
    // The same handed to use, valid during the call; false, use not called, for any other cell.
    bool useWholeCell(int col, int row, const std::function<void(QByteArrayView text)>& use) const;
    // The beginning of the text that a cell width pixels wide can show from its left edge: laying
    // out a text of fifty megabytes to paint a hundred characters of it takes seconds and
    // gigabytes. Texts that fit are whole; cut, when given, says whether this one was not.
    [[nodiscard]] QString shownText(int col, int row, int width, bool* cut = nullptr) const;
    [[nodiscard]] QString accessibleText(int col, int row) const override;
    // A column whose non-fixed cells read as their row's running number (1 for the first row
    // under the fixed rows), whatever moves: a list of a million rows keeps no numbers, and
    // moving a row renumbers nothing. -1 (the default) for none. Texts written there are kept
    // but not read.
    void setNumberColumn(int col);
    [[nodiscard]] int numberColumn() const { return m_numberColumn; }
    void setCells(int col, int row, const QString& text); // repaints the cell when it is shown
    // A text in the compact code page, read in place: ordering a long list by a column must not
    // decode a million texts. Nothing when the row holds a text outside the code page, and in
    // the number column. Only the beginning of a cut text (see wholeCellBytes).
    [[nodiscard]] std::optional<QByteArrayView> cellBytes(int col, int row) const;
    // Hints that cellBytes will soon be asked for the row, or for the cell; the row first, some
    // rows ahead of the cell: a pass over a long list then reads from the cache, not memory.
    void prefetchRow(int row) const;
    void prefetchCellBytes(int col, int row) const;
    // The text of such bytes.
    [[nodiscard]] QString decodeCellBytes(QByteArrayView bytes) const;

    // A whole row (columns 0 .. colCount()-1, plus any stored beyond) or column. Setting one
    // replaces it: texts the list does not reach become empty.
    [[nodiscard]] QStringList rowTexts(int row) const;
    void setRowTexts(int row, const QStringList& texts);
    [[nodiscard]] QStringList colTexts(int col) const;
    void setColTexts(int col, const QStringList& texts);
    void clearRow(int row); // every text of the row, also those beyond colCount()
    // Row first + i receives the texts of row sources[i], for a permutation of the rows
    // first .. first + sources.size() - 1 (anything else is ignored). Moves whole rows without
    // decoding a text, so a sort of a big list costs a pointer per row. Sizes stay in place.
    void permuteRows(int first, std::span<const int> sources);

    // The loader's bulk fill: replaces the whole row with these texts, packed once.
    void setRowTexts(int row, std::span<const QStringView> texts);
    // The same with texts already in the compact code page (Latin-1 without a codec).
    void setRowBytes(int row, std::span<const QByteArrayView> texts);
    // For loading a long list whose running numbers (column 0) are known only once every row is
    // in: fillRowBytes stores a row as setRowBytes does, with room for a first text of up to
    // firstRoom bytes, which fillFirstCellBytes then writes in place. Neither repaints; the loader
    // repaints the grid once at the end.
    void fillRowBytes(int row, std::span<const QByteArrayView> texts, int firstRoom);
    // Column 0's text as compact bytes: into the row's room when it fits, else packed anew.
    void fillFirstCellBytes(int row, QByteArrayView bytes);

    // A single-byte code page for the store: a row whose texts all encode is kept in one byte
    // per character, any other row in UTF-16. Without a codec Latin-1 is used where it fits.
    // Rows already stored are re-packed with the new codec.
    void setCompactCodec(std::function<QByteArray(QStringView)> encode,
        std::function<QString(QByteArrayView)> decode, std::function<bool(QStringView)> canEncode);
    // Counts every change of a text or of the rows' order or number, by anyone: a holder of the
    // rows that remembers the count after its own change knows whether they are still as it left
    // them, without reading them back.
    [[nodiscard]] std::uint64_t textChanges() const;
    // Heap bytes the texts take, for memory checks.
    [[nodiscard]] std::size_t storedTextBytes() const;

protected:
    // Fills the rect with the canvas brush, draws the text at (left + 2, top + 2) clipped to the
    // rect, then fires onDrawCell.
    void drawCell(int col, int row, const QRect& rect, GridDrawState state) override;
    // Drops the texts of rows that no longer exist, so a grown grid starts with empty rows.
    // An override must call it.
    void sizeChanged(int oldColCount, int oldRowCount) override;
    // permuteRows has just given row first + i the texts of row sources[i].
    virtual void rowsPermuted(int first, std::span<const int> sources);
    void rowMoved(int from, int to) override;
    void columnMoved(int from, int to) override;
    void rowDeleted(int row) override;
    void columnDeleted(int col) override;
    QString getEditText(int col, int row) override;
    void setEditText(int col, int row, const QString& value) override;

private:
    struct Store;
    [[nodiscard]] bool isCut(int col, int row) const
    {
        return m_partial && m_partial->isCut(col, row);
    }

    std::unique_ptr<Store> m_store;
    int m_numberColumn = -1;
    const PartialTexts* m_partial = nullptr;
};

} // namespace kolvar::grid

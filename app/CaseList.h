#pragma once

#include "CaseStore.h"
#include "StringGrid.h"

#include <QHash>

#include <cstdint>
#include <span>
#include <vector>

namespace kolvar {

// The list of every case of a register, as the main window's grid holds it: row k (from 1) is
// the k-th case in the list's order, its texts ID, Termin, Nadawca, Dotyczy, Tryb, Odpowiedz,
// Szczegoly and Adnotacje in columns 1 to 8 (the last beyond the grid's columns). Column 0, the
// running number, is the grid's number column.
//
// The order is the Polish alphabet of the sort column, whatever the desktop's language. Values
// the alphabet finds equal keep the order the engine's ORDER BY gives them: NULL first, then
// numbers, texts and blobs, each by its bytes, and rows of one value by ID.
//
// After a load the list keeps what it needs to reorder its rows by another column and to put a
// saved, added or deleted case where a load would, without reading the register again. It does
// that only while nobody else changed the rows or the register since; otherwise its fast
// commands answer false and the caller loads the list anew.
//
// A text longer than keptBytes (a subject of fifty megabytes) is kept as its beginning, which is
// more than any cell shows; the grid reads the whole text from the store for the commands that
// need it (search, export), and the order is the one whole texts give.
class CaseList final : public grid::PartialTexts
{
public:
    static constexpr qsizetype KeptBytes = 16 * 1024;

    explicit CaseList(grid::StringGrid& grid, qsizetype keptBytes = KeptBytes);
    ~CaseList() override;
    CaseList(const CaseList&) = delete;
    CaseList& operator=(const CaseList&) = delete;

    // The store the list was read from is going: nothing more is read from it.
    void forgetStore();
    [[nodiscard]] bool anyCut() const override { return !m_cut.isEmpty(); }
    [[nodiscard]] bool isCut(int col, int row) const override;
    void useWhole(
        int col, int row, const std::function<void(QByteArrayView text)>& use) const override;

    // Reads every case of the store into the grid's rows 1 .. count in the order of sortMode (2
    // Termin, 3 Nadawca, 4 Dotyczy); the header row and the columns are the caller's. Returns the
    // number of cases; an empty register leaves one empty row. The current row keeps its number.
    // Throws what the engine throws, with the rows it had filled cleared again.
    int load(storage::ICaseStore& store, int sortMode);

    // Puts the loaded rows in the order of sortMode, exactly as a load would; the current case
    // stays current at its new row.
    [[nodiscard]] bool reorder(storage::ICaseStore& store, int sortMode);
    // Brings the row of case id up to date after it was saved, or gives an added case its row,
    // moving it where a load puts it.
    [[nodiscard]] bool refreshCase(storage::ICaseStore& store, std::int64_t id);
    // Takes the row of a deleted case out.
    [[nodiscard]] bool removeCase(storage::ICaseStore& store, std::int64_t id);
    // Brings the rows of cases another program added, saved or deleted up to date, as the store
    // announced them: the current case stays current, wherever its row goes. False when the list
    // has to load anew instead.
    [[nodiscard]] bool follow(
        storage::ICaseStore& store, const std::vector<storage::CaseChange>& changes);
    // The register was changed by another program since the list was read or last followed it.
    [[nodiscard]] bool staleFor(storage::ICaseStore& store) const;

    [[nodiscard]] int count() const { return m_count; }
    [[nodiscard]] int sortMode() const { return m_sortMode; }
    // The grid row of case id; 0 when the list does not show it.
    [[nodiscard]] int rowOfCase(std::int64_t id) const;

private:
    // The rows are as this list left them and the register as it was read.
    [[nodiscard]] bool inStep(storage::ICaseStore& store) const;
    // Whether the values of sort column col in grid rows 1 .. rows nearly all differ.
    [[nodiscard]] bool mostlyDistinct(int col, int rows) const;
    // A bit per ID up to the highest, set for the cases of m_otherClasses; none when the IDs
    // spread too far beyond that many rows.
    [[nodiscard]] std::vector<bool> casesOfOtherClasses(int rows) const;
    // The class the engine holds the sort value of a case in, for sort column col.
    [[nodiscard]] int classRank(std::int64_t id, int col) const;
    // replacing: the case may have been remembered before.
    void rememberClasses(std::int64_t id, const storage::CaseRow& row, bool replacing);
    // -1, 0 or 1 as the case of row r comes before or after a case with this key, class and ID.
    [[nodiscard]] int compareRow(int r, QByteArrayView key, int rank, std::int64_t id) const;
    void settle(storage::ICaseStore& store);
    // refreshCase and removeCase without the check that nobody else wrote.
    [[nodiscard]] bool placeCase(storage::ICaseStore& store, std::int64_t id, bool mayBeNew);
    [[nodiscard]] bool takeOut(std::int64_t id);
    [[nodiscard]] QByteArray wholeBytes(int col, int row) const;
    // The cut columns of the case in row (bit 0 Termin ... 6 Adnotacje).
    [[nodiscard]] std::uint8_t cutColumns(int row) const;
    void rememberCut(std::int64_t id, std::uint8_t columns);

    grid::StringGrid& m_grid;
    qsizetype m_keptBytes;
    // The store the rows were read from, while it lasts, and the cases with cut texts in them.
    storage::ICaseStore* m_store = nullptr;
    QHash<std::int64_t, std::uint8_t> m_cut;
    int m_count = 0;
    int m_sortMode = 3;
    // What the fast commands rely on: the rows as this list left them, the register unchanged by
    // others, IDs that order rows of equal values as the engine's table does.
    bool m_fast = false;
    std::uint64_t m_gridChanges = 0;
    std::int64_t m_changeStamp = -1;
    std::int64_t m_maxId = 0;
    // Cases with a sort value that is not a text (NULL, a number or a blob), by ID: two bits per
    // sort column. Every other case holds texts there; registers written by this program hold
    // nothing else.
    QHash<std::int64_t, std::uint8_t> m_otherClasses;
};

} // namespace kolvar

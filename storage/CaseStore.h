#pragma once

#include "CaseRecord.h"
#include "CaseRow.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <vector>

namespace kolvar::storage {

// A save or delete that found the case no longer as the editor showed it: another program
// changed it (theirs holds what it stored) or deleted it (no theirs). Nothing was written.
class CaseConflict : public std::runtime_error
{
public:
    CaseConflict(std::int64_t id, std::optional<CaseRecord> theirs);
    [[nodiscard]] std::int64_t id() const { return m_id; }
    [[nodiscard]] const std::optional<CaseRecord>& theirs() const { return m_theirs; }

private:
    std::int64_t m_id;
    std::optional<CaseRecord> m_theirs;
};

// What another program did to a case, as a watching store learns it.
struct CaseChange
{
    // Everything: the whole register changed (a copy moved in), so the list loads anew.
    enum class Kind { Added, Saved, Deleted, Everything };
    Kind kind = Kind::Saved;
    std::int64_t id = 0;
};

// Why this desk may not write the register.
enum class WriteRefusal {
    None,
    IdNotKey, // a file whose ID is no key: two cases may share one, a write could hit another
    FileNotWritable, // the file or its folder cannot be written (a read-only disk or folder)
    RoleReadOnly, // a server role without the right to write
};

// A register as the program uses it, wherever it is kept: a file, or a table on a database
// server. Texts cross it as the file register holds them (Windows-1250 bytes in rows, QString
// in records); every failure is a StoreError, or a CaseConflict for a lost race.
class ICaseStore
{
public:
    virtual ~ICaseStore() = default;

    // What the window names the register by: the file's name, or database@host.
    [[nodiscard]] virtual QString displayName() const = 0;
    // What stands in the way of writing; every write raises while something does.
    [[nodiscard]] virtual WriteRefusal writeRefusal() const = 0;
    [[nodiscard]] bool mayWrite() const { return writeRefusal() == WriteRefusal::None; }
    // One ID may stand for two cases, or none: a text read again by ID may be another case's.
    [[nodiscard]] virtual bool idsMayRepeat() const { return false; }
    // The table carries triggers another program wrote, which the store never runs.
    [[nodiscard]] virtual bool hasForeignTriggers() const { return false; }
    [[nodiscard]] virtual bool canCompact() const { return true; }
    // Its cases can be copied into a new register on a server.
    [[nodiscard]] virtual bool canMoveToServer() const { return false; }
    // The register's file, where copies are made beside it and must never replace it; empty for
    // a register that is no file.
    [[nodiscard]] virtual QString filePath() const { return {}; }
    // A reload checks this store anew (recheck) instead of opening the register again: a server
    // connection costs a login, and announcements go unheard while none listens.
    [[nodiscard]] virtual bool keepsConnection() const { return false; }
    // Before the list loads again from this store: what opening checked (the table's shape, the
    // right to write) is checked anew, another program may have changed it meanwhile.
    virtual void recheck() { }

    // Hands every case to onRow, one row at a time, ordered by sort mode 2 (Termin), 3
    // (Nadawca) or 4 (Dotyczy), or by ID for mode 0. The row is valid only during the call; no
    // row is held by the store. Returns the number of rows.
    virtual std::uint32_t listRows(
        int sortMode, const std::function<void(const CaseRow& row)>& onRow)
        = 0;
    // Case id, or the case with the lowest ID, as the list reads it; null when missing.
    [[nodiscard]] virtual std::unique_ptr<const CaseRow> caseRow(std::int64_t id) = 0;
    [[nodiscard]] virtual std::unique_ptr<const CaseRow> firstCaseRow() = 0;
    [[nodiscard]] virtual std::optional<CaseRecord> readCase(std::int64_t id) = 0;
    // Hands use one text of case id, column as in CaseFieldNames, as the list reads it:
    // the stored bytes, or a stored number written as text; valid during the call. False, use
    // not called, when the case is missing or the value NULL. Where the list keeps only the
    // beginning of a text of megabytes, the rest comes from here.
    virtual bool useCaseText(
        std::int64_t id, int column, const std::function<void(QByteArrayView text)>& use);

    // Writes the marked fields of mine into case id, provided it still holds shown (as
    // readCase gave it); otherwise throws CaseConflict. To write over what another program
    // stored, save again with the conflict's theirs as shown.
    virtual void saveCase(
        std::int64_t id, const CaseRecord& shown, const CaseRecord& mine, const CaseFields& fields)
        = 0;
    // Returns the new case's ID, assigned by the store.
    virtual std::int64_t addCase(const CaseRecord& record) = 0;
    // Deletes case id, provided it still holds shown; otherwise throws CaseConflict.
    virtual void deleteCase(std::int64_t id, const CaseRecord& shown) = 0;
    [[nodiscard]] virtual std::int64_t count() = 0;

    // Compacts the register's storage; returns the sentence saying what was done.
    virtual QString compact() = 0;
    // Writes an ordinary register file holding every case; returns the cases written.
    virtual std::int64_t backUp(const QString& targetFile) = 0;

    // A number that changes when another program wrote to the register since it was last read.
    [[nodiscard]] virtual std::int64_t changeStamp() = 0;
    // A socket that becomes readable when another program changes the register, -1 when
    // changes are not announced; takeChanges then drains what was announced.
    [[nodiscard]] virtual int changeSocket() const { return -1; }
    [[nodiscard]] virtual std::vector<CaseChange> takeChanges() { return {}; }
};

using CaseStorePtr = std::unique_ptr<ICaseStore>;

// Whether sortMode names one of the list's orders: 2 (Termin), 3 (Nadawca) or 4 (Dotyczy).
[[nodiscard]] bool isListOrder(int sortMode);
// Raises StoreError unless sortMode is a list order or 0, the order of IDs.
void requireListOrder(int sortMode);

// The register file at path, checked to hold the case table; a file of another program is
// opened defensively (see OpenDatabase). Throws StoreError.
[[nodiscard]] CaseStorePtr OpenFileStore(const QString& path);
// Makes a new register file at path, which must not exist, holding the seed case a new register
// starts with; nothing is left behind when that fails.
void CreateFileRegister(const QString& path, const QString& seedTermin);
// The same holding the given cases instead of the seed case.
void CreateFileRegister(const QString& path, const std::vector<CaseRecord>& cases);

} // namespace kolvar::storage

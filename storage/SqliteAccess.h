#pragma once

#include "PodBuffer.h"
#include "SqliteInterfaces.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <utility>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace kolvar::storage {

// One open database file. Every statement is prepared, run and finalized within one call, so
// the connection never holds a statement between calls and always closes cleanly.
class TSQLiteDatabase final : public ISQLiteDatabase
{
public:
    explicit TSQLiteDatabase(const QString& fileName, OpenMode mode = OpenMode::Existing);
    // Rolls back a transaction still open, then closes the file.
    ~TSQLiteDatabase() override;
    TSQLiteDatabase(const TSQLiteDatabase&) = delete;
    TSQLiteDatabase& operator=(const TSQLiteDatabase&) = delete;

    [[nodiscard]] bool TransactionActive() const override { return m_transactionOpen; }
    [[nodiscard]] ISQLiteTablePtr RunQuery(const QString& sql) override;
    [[nodiscard]] ISQLiteTablePtr RunQuery(
        const QString& sql, const QStringList& textParams) override;
    std::uint32_t RunQueryRows(
        const QString& sql, const std::function<void(const ISQLiteTable& row)>& onRow) override;
    void RunStatement(const QString& sql) override;
    void RunStatement(const QString& sql, const QStringList& textParams) override;
    [[nodiscard]] std::int64_t QueryInteger(const QString& sql) override;
    [[nodiscard]] QString QueryText(const QString& sql) override;
    void StoreBlob(const QString& sql, TMemoryStream& stream) override;
    void StartTransaction() override;
    void ConfirmTransaction() override;
    void CancelTransaction() override;
    void CheckAheadOfWriting() override;
    [[nodiscard]] bool HasTable(const QString& name) override;
    [[nodiscard]] std::int64_t LastRowKey() const override;
    [[nodiscard]] std::int64_t ChangedRows() const override;
    void SetBusyWait(std::int32_t milliseconds) override;
    [[nodiscard]] QString EngineVersion() const override;

private:
    struct CloseConnection
    {
        void operator()(sqlite3* connection) const noexcept;
    };
    struct FinalizeStatement
    {
        void operator()(sqlite3_stmt* statement) const noexcept;
    };
    using StatementPtr = std::unique_ptr<sqlite3_stmt, FinalizeStatement>;

    // Also runs the check before the first write, when the statement is one.
    [[nodiscard]] StatementPtr Prepare(
        const QString& sql, const QByteArray& sqlBytes, const char* failMessage);
    void CheckBeforeFirstWrite();
    void BindTexts(
        sqlite3_stmt* statement, const QString& sql, const QList<QByteArray>& values) const;
    // A statement with its text parameters bound. The bound bytes are not copied by SQLite, so
    // they live here beside the statement, which is finalized first.
    struct BoundStatement
    {
        QList<QByteArray> values;
        StatementPtr statement;
    };
    [[nodiscard]] BoundStatement PrepareBound(const QString& sql, const QStringList* textParams);
    // Steps a query: true on a row, false when done; BUSY and every other failure raise.
    [[nodiscard]] bool StepRow(sqlite3_stmt* statement, const QString& sql) const;
    void Execute(const QString& sql, const QStringList* textParams);
    [[nodiscard]] ISQLiteTablePtr Query(const QString& sql, const QStringList* textParams);
    void EndTransaction(const QString& sql);

    // Every library failure is raised here, so the message format lives in one place. The detail
    // is SQLite's own message, unless the layer found the fault itself and names it.
    [[noreturn]] void RaiseDbError(const char* message, const QString& sql,
        const char* detail = nullptr, int resultCode = 0) const;

    class CheckAhead;

    std::unique_ptr<sqlite3, CloseConnection> m_connection;
    bool m_transactionOpen = false;
    bool m_checkedForWriting = false;
    // Stopped before the connection closes.
    std::unique_ptr<CheckAhead> m_checkAhead;
};

// The complete result of one query. Values live in one byte arena with a flat offset table, not
// one object per cell: the whole register (a million cases) is read this way on every reload.
class TSQLiteTable final : public ISQLiteTable
{
public:
    // A set without rows; TSQLiteDatabase fills it.
    TSQLiteTable() = default;
    TSQLiteTable(const TSQLiteTable&) = delete;
    TSQLiteTable& operator=(const TSQLiteTable&) = delete;

    [[nodiscard]] QString CellText(int col) const override;
    [[nodiscard]] bool AtEnd() const override { return m_cursorRow >= m_rowsHeld; }
    [[nodiscard]] bool AtStart() const override { return m_cursorRow == 0; }
    [[nodiscard]] QString ColumnName(int col) const override;
    [[nodiscard]] QString CellTextNamed(const QString& name) const override;
    [[nodiscard]] int ColumnNumber(const QString& name) const override;
    [[nodiscard]] std::uint32_t RecordTotal() const override { return m_rowsHeld; }
    [[nodiscard]] std::int32_t CountAnswer() const override;
    [[nodiscard]] std::uint32_t ColumnTotal() const override { return m_columnsHeld; }
    [[nodiscard]] std::uint32_t CurrentRow() const override { return m_cursorRow; }
    [[nodiscard]] std::uint32_t RowTotal() const override { return m_rowsHeld; }
    [[nodiscard]] std::int64_t CellInt64(int col) const override;
    [[nodiscard]] TMemoryStream* CellStream(int col) const override;
    [[nodiscard]] QString CellBlobText(int col) const override;
    [[nodiscard]] bool CellIsNull(int col) const override;
    [[nodiscard]] QString CellTextOrEmpty(int col) const override;
    [[nodiscard]] double CellDouble(int col) const override;
    [[nodiscard]] QByteArrayView CellBytes(int col) const override;
    [[nodiscard]] StoredType CellStoredType(int col) const override;
    bool StepForward() override;
    bool StepBack() override;
    bool GoFirst() override;
    bool GoLast() override;

private:
    friend class TSQLiteDatabase;

    // SQLite's fundamental datatype codes.
    enum Kind : int { Integer = 1, Float = 2, Text = 3, Blob = 4, Null = 5 };

    void ReadColumns(sqlite3_stmt* statement);
    // False when SQLite could not hand out a value (out of memory).
    [[nodiscard]] bool AppendRow(sqlite3_stmt* statement);
    void FinishReading();
    // Empties the set for the next row of RunQueryRows, keeping the columns and the capacity.
    void ClearRows();
    void AppendCell(const void* bytes, qsizetype size, int storedType);
    void AppendNullCell(int storedType);

    // The index of column col of the cursor row in the cell table; raises at the end and for a
    // column out of range.
    [[nodiscard]] qsizetype CellAt(int col) const;
    void CheckColumn(int col) const;
    [[nodiscard]] bool SlotEmpty(qsizetype cell) const;
    [[nodiscard]] QByteArrayView SlotBytes(qsizetype cell) const;
    [[nodiscard]] std::int64_t SlotInt64(qsizetype cell) const;
    [[nodiscard]] double SlotDouble(qsizetype cell) const;
    [[nodiscard]] QString StreamOrSlotText(qsizetype cell) const;

    // Raw bytes of every non-NULL cell, row-major; integers and doubles as 8 native bytes.
    PodBuffer<char> m_arena;
    // A row handed to RunQueryRows' caller lives only until the next step, and so may the
    // engine's own copy of its values: a text of fifty megabytes is then read where the engine
    // holds it instead of being copied (and the arena kept that large for the rest of the load).
    bool m_borrowLarge = false;
    std::vector<std::pair<qsizetype, QByteArrayView>> m_borrowed; // cell, the engine's bytes
    // Start of each cell in the arena plus one closing entry, so a cell ends where the next one
    // starts. The top bit marks a NULL cell (a NULL and an empty text both hold no bytes); the
    // three below it hold the value's storage class.
    PodBuffer<quint64> m_cellStart;
    QStringList m_columnNames;
    QList<int> m_columnKinds;
    std::uint32_t m_rowsHeld = 0;
    std::uint32_t m_columnsHeld = 0;
    std::uint32_t m_cursorRow = 0;
    // The window looks every cell up by name; upper-casing through the locale for each would
    // cost more than reading the value.
    mutable QHash<QString, int> m_columnLookup;
    // Made on first request only, and kept so that the pointer stays valid as long as the set.
    mutable std::unordered_map<qsizetype, std::unique_ptr<TMemoryStream>> m_streams;
};

} // namespace kolvar::storage

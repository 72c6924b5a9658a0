#pragma once

#include "CaseRow.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <utility>

namespace kolvar::storage {

class ISQLiteTable;
using ISQLiteTablePtr = std::shared_ptr<ISQLiteTable>;

// The register file's failure: a store failure whose kind its SQLite result code tells, the
// code kept, extended (SQLITE_IOERR_WRITE rather than SQLITE_IOERR); 0 when the layer found a
// fault of its own that no code names.
class ESQLiteException : public StoreError
{
public:
    explicit ESQLiteException(const QString& message, int resultCode = 0);
    [[nodiscard]] QString message() const { return detail(); }
    [[nodiscard]] int resultCode() const { return m_resultCode; }

private:
    int m_resultCode;
};

using FailureKind = StoreFailure;
[[nodiscard]] FailureKind KindOfFailure(int resultCode);

// A growable byte buffer with a position: the value of a non-empty blob cell, and what StoreBlob
// reads from.
class TMemoryStream
{
public:
    TMemoryStream() = default;
    explicit TMemoryStream(QByteArray bytes)
        : m_bytes(std::move(bytes))
    { }
    [[nodiscard]] qint64 Size() const { return m_bytes.size(); }
    [[nodiscard]] qint64 Position() const { return m_position; }
    void SetPosition(qint64 position) { m_position = position; }
    // Reads up to count bytes from the position on; returns the number read.
    qint64 Read(char* buffer, qint64 count);
    void Write(QByteArrayView bytes);
    [[nodiscard]] const QByteArray& Bytes() const { return m_bytes; }

private:
    QByteArray m_bytes;
    qint64 m_position = 0;
};

// One open database file. Text crosses this interface as QString; in the file it is
// Windows-1250, converted at this boundary only. SQL texts are converted the same way.
class ISQLiteDatabase
{
public:
    virtual ~ISQLiteDatabase() = default;

    [[nodiscard]] virtual bool TransactionActive() const = 0;
    [[nodiscard]] virtual ISQLiteTablePtr RunQuery(const QString& sql) = 0;
    // Runs one query with its ? parameters bound, in order, as TEXT values.
    [[nodiscard]] virtual ISQLiteTablePtr RunQuery(
        const QString& sql, const QStringList& textParams)
        = 0;
    // Runs one query and hands each row, as the engine yields it, to onRow as a table of that one
    // row with the cursor on it. No row is kept: a whole register passes through without a copy
    // of its own beside the one the caller makes. The table is valid only during the call; an
    // exception from onRow ends the query. Returns the number of rows.
    virtual std::uint32_t RunQueryRows(
        const QString& sql, const std::function<void(const ISQLiteTable& row)>& onRow)
        = 0;
    virtual void RunStatement(const QString& sql) = 0;
    // Runs one statement with its ? parameters bound, in order, as TEXT values.
    virtual void RunStatement(const QString& sql, const QStringList& textParams) = 0;
    [[nodiscard]] virtual std::int64_t QueryInteger(const QString& sql) = 0;
    [[nodiscard]] virtual QString QueryText(const QString& sql) = 0;
    virtual void StoreBlob(const QString& sql, TMemoryStream& stream) = 0;
    virtual void StartTransaction() = 0;
    virtual void ConfirmTransaction() = 0;
    virtual void CancelTransaction() = 0;
    // Starts the check that comes before the first write (see OpenDatabase) now, on a read-only
    // connection and a thread of its own: on a large register it reads the whole file, which the
    // user's first save should not wait for. A write waits for it only while it still runs, and
    // makes the check itself when this one could not (the file was locked, say).
    virtual void CheckAheadOfWriting() = 0;
    [[nodiscard]] virtual bool HasTable(const QString& name) = 0;
    [[nodiscard]] virtual std::int64_t LastRowKey() const = 0;
    // Rows inserted, changed or deleted by the last statement run.
    [[nodiscard]] virtual std::int64_t ChangedRows() const = 0;
    virtual void SetBusyWait(std::int32_t milliseconds) = 0;
    [[nodiscard]] virtual QString EngineVersion() const = 0;
};

using ISQLiteDatabasePtr = std::shared_ptr<ISQLiteDatabase>;

enum class OpenMode {
    Existing, // a missing file is an error: opening must never leave an empty file behind
    Create, // a missing file is created
};

// Opens a database file. A register may come from anywhere, so every connection is opened
// defensively: its schema cannot be rewritten through it, functions with side effects are not run
// from the file's own views, its triggers are never run, and before its first write the file's
// structure is checked (PRAGMA quick_check), so a damaged register is reported before anything is
// written into it. A register locked by another program is waited for a few seconds. Throws
// ESQLiteException.
[[nodiscard]] ISQLiteDatabasePtr OpenDatabase(
    const QString& fileName, OpenMode mode = OpenMode::Existing);

// The complete result of one query, held in memory and walked with a cursor.
class ISQLiteTable
{
public:
    virtual ~ISQLiteTable() = default;

    [[nodiscard]] virtual QString CellText(int col) const = 0;
    [[nodiscard]] virtual bool AtEnd() const = 0;
    [[nodiscard]] virtual bool AtStart() const = 0;
    [[nodiscard]] virtual QString ColumnName(int col) const = 0;
    [[nodiscard]] virtual QString CellTextNamed(const QString& name) const = 0;
    [[nodiscard]] virtual int ColumnNumber(const QString& name) const = 0;
    [[nodiscard]] virtual std::uint32_t RecordTotal() const = 0;
    [[nodiscard]] virtual std::int32_t CountAnswer() const = 0;
    [[nodiscard]] virtual std::uint32_t ColumnTotal() const = 0;
    [[nodiscard]] virtual std::uint32_t CurrentRow() const = 0;
    [[nodiscard]] virtual std::uint32_t RowTotal() const = 0;
    [[nodiscard]] virtual std::int64_t CellInt64(int col) const = 0;
    [[nodiscard]] virtual TMemoryStream* CellStream(int col) const = 0;
    [[nodiscard]] virtual QString CellBlobText(int col) const = 0;
    [[nodiscard]] virtual bool CellIsNull(int col) const = 0;
    [[nodiscard]] virtual QString CellTextOrEmpty(int col) const = 0;
    [[nodiscard]] virtual double CellDouble(int col) const = 0;
    // The stored Windows-1250 bytes of a text or blob cell, empty for NULL, valid as long as the
    // set: for loading a large list without a QString per cell.
    [[nodiscard]] virtual QByteArrayView CellBytes(int col) const = 0;
    // The class the engine held the value in, before it was read as the column's kind: a text
    // column of a table another program wrote may hold numbers or blobs, which sort apart from
    // texts, and a text or blob of no bytes reads as NULL from a blob column.
    [[nodiscard]] virtual StoredType CellStoredType(int col) const = 0;
    virtual bool StepForward() = 0;
    virtual bool StepBack() = 0;
    virtual bool GoFirst() = 0;
    virtual bool GoLast() = 0;
};

} // namespace kolvar::storage

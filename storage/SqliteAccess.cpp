#include "SqliteAccess.h"

#include "Cp1250.h"

#include <QFile>
#include <QLocale>

#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <mutex>
#include <optional>
#include <thread>

namespace kolvar::storage {

namespace {

constexpr int BusyWaitMilliseconds = 3000;

constexpr quint64 NullFlag = quint64(1) << 63;
constexpr int StoredTypeShift = 60;
constexpr quint64 OffsetMask = (quint64(1) << StoredTypeShift) - 1;

quint64 storedTypeBits(int storedType)
{
    return static_cast<quint64>(storedType & 7) << StoredTypeShift;
}

QList<QByteArray> encodeAll(const QStringList& texts)
{
    QList<QByteArray> encoded;
    encoded.reserve(texts.size());
    for (const QString& text : texts)
        encoded.append(toCp1250(text));
    return encoded;
}

} // namespace

ESQLiteException::ESQLiteException(const QString& message, int resultCode)
    : StoreError(KindOfFailure(resultCode), message)
    , m_resultCode(resultCode)
{ }

FailureKind KindOfFailure(int resultCode)
{
    if (resultCode == SQLITE_IOERR_SHORT_READ) // a truncated file
        return FailureKind::Damaged;
    switch (resultCode & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return FailureKind::InUse;
    case SQLITE_READONLY:
        // The engine notices a file unlinked or renamed under an open connection only as a
        // refusal to write; the user needs to hear that the file is gone, not that the folder is
        // read-only.
        return resultCode == SQLITE_READONLY_DBMOVED ? FailureKind::Gone : FailureKind::CannotWrite;
    case SQLITE_PERM:
    case SQLITE_CANTOPEN:
        return FailureKind::CannotWrite;
    case SQLITE_FULL:
        return FailureKind::DiskFull;
    case SQLITE_NOTADB:
        return FailureKind::NotARegister;
    case SQLITE_CORRUPT:
        return FailureKind::Damaged;
    case SQLITE_IOERR:
        return FailureKind::DiskError;
    // Every statement is the program's own and names only what a register it makes holds: one
    // that fails on a constraint, a function or a type found the table built otherwise.
    case SQLITE_CONSTRAINT:
    case SQLITE_ERROR:
    case SQLITE_MISMATCH:
        return FailureKind::BuiltDifferently;
    default:
        return FailureKind::Other;
    }
}

qint64 TMemoryStream::Read(char* buffer, qint64 count)
{
    const qint64 available = std::max<qint64>(0, m_bytes.size() - m_position);
    const qint64 n = std::clamp<qint64>(count, 0, available);
    if (n > 0)
        std::memcpy(buffer, m_bytes.constData() + m_position, static_cast<size_t>(n));
    m_position += n;
    return n;
}

void TMemoryStream::Write(QByteArrayView bytes)
{
    const qint64 end = m_position + bytes.size();
    if (end > m_bytes.size())
        m_bytes.resize(end, '\0');
    std::memcpy(m_bytes.data() + m_position, bytes.data(), static_cast<size_t>(bytes.size()));
    m_position = end;
}

void ConfigureDefensively(sqlite3* connection)
{
    sqlite3_db_config(connection, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_db_config(connection, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    // A register the program makes has no triggers; one found in a file from elsewhere could
    // delete or rewrite cases behind a save that reports success.
    sqlite3_db_config(connection, SQLITE_DBCONFIG_ENABLE_TRIGGER, 0, nullptr);
    // Every statement the program sends reads the table once through or a case by its key: a
    // cache of the engine's default two megabytes would only stand beside the list, the most of
    // a small register's memory, and the file's pages are in the system's cache anyway.
    sqlite3_exec(connection, "PRAGMA cache_size = -512", nullptr, nullptr, nullptr);
}

ISQLiteDatabasePtr OpenDatabase(const QString& fileName, OpenMode mode)
{
    return std::make_shared<TSQLiteDatabase>(fileName, mode);
}

// ---------------------------------------------------------------------------------------------

void TSQLiteDatabase::CloseConnection::operator()(sqlite3* connection) const noexcept
{
    [[maybe_unused]] const int rc = sqlite3_close_v2(connection);
    Q_ASSERT(rc == SQLITE_OK);
}

void TSQLiteDatabase::FinalizeStatement::operator()(sqlite3_stmt* statement) const noexcept
{
    // Its result repeats the last step's error, which has been reported already.
    sqlite3_finalize(statement);
}

// The structure check of a file, made on a read-only connection of its own on a thread of its
// own. Stopping it (the register is closed before the check is done) interrupts the engine.
class TSQLiteDatabase::CheckAhead
{
public:
    // What the check found: "ok" with SQLITE_OK, the engine's first complaint with SQLITE_OK, or
    // the message and code of a failure that itself shows the file damaged.
    struct Finding
    {
        QByteArray verdict;
        int resultCode = SQLITE_OK;
    };

    explicit CheckAhead(QByteArray fileName)
        : m_thread([this, name = std::move(fileName)] { run(name); })
    { }

    ~CheckAhead()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_stopped = true;
            if (m_running)
                sqlite3_interrupt(m_running);
        }
        if (m_thread.joinable())
            m_thread.join();
    }

    CheckAhead(const CheckAhead&) = delete;
    CheckAhead& operator=(const CheckAhead&) = delete;

    // Waits for the end of the check. None when it could not be made: the writing connection
    // must make it then.
    [[nodiscard]] std::optional<Finding> finding()
    {
        if (m_thread.joinable())
            m_thread.join();
        return m_finding;
    }

private:
    void run(const QByteArray& fileName)
    {
        sqlite3* handle = nullptr;
        const int opened = sqlite3_open_v2(
            fileName.constData(), &handle, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
        const std::unique_ptr<sqlite3, CloseConnection> connection(handle);
        if (opened != SQLITE_OK)
            return;
        sqlite3_extended_result_codes(handle, 1);
        sqlite3_busy_timeout(handle, BusyWaitMilliseconds);
        ConfigureDefensively(handle);
        {
            const std::lock_guard lock(m_mutex);
            if (m_stopped)
                return;
            m_running = handle;
        }
        sqlite3_stmt* raw = nullptr;
        int rc = sqlite3_prepare_v2(handle, "PRAGMA quick_check", -1, &raw, nullptr);
        const StatementPtr statement(raw);
        if (rc == SQLITE_OK)
            rc = sqlite3_step(raw);
        const unsigned char* verdict = rc == SQLITE_ROW ? sqlite3_column_text(raw, 0) : nullptr;
        if (verdict) {
            m_finding = Finding { QByteArray(
                reinterpret_cast<const char*>(verdict), sqlite3_column_bytes(raw, 0)) };
        } else if (KindOfFailure(rc) == FailureKind::Damaged
            || KindOfFailure(rc) == FailureKind::NotARegister) {
            m_finding = Finding { QByteArray(sqlite3_errmsg(handle)), rc };
        }
        const std::lock_guard lock(m_mutex);
        m_running = nullptr;
    }

    std::mutex m_mutex;
    bool m_stopped = false;
    // The check's connection while it may be interrupted.
    sqlite3* m_running = nullptr;
    std::optional<Finding> m_finding;
    // Last: the thread starts once everything it uses is in place.
    std::thread m_thread;
};

namespace {

// A file that has bytes but does not start as every SQLite database does is none; the engine is
// not let at it, for it would open a file it cannot read for writing and blame the folder.
bool lacksDatabaseHeader(const QString& fileName)
{
    static constexpr char Header[] = "SQLite format 3";
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly) || file.size() == 0)
        return false; // the engine says what is wrong with a file it cannot open; empty is new
    return file.read(sizeof Header) != QByteArray(Header, sizeof Header);
}

} // namespace

TSQLiteDatabase::TSQLiteDatabase(const QString& fileName, OpenMode mode)
{
    if (mode == OpenMode::Existing && lacksDatabaseHeader(fileName))
        throw ESQLiteException(
            QStringLiteral("Failed to open database \"%1\" : file is not a database").arg(fileName),
            SQLITE_NOTADB);
    sqlite3* handle = nullptr;
    // A connection lives and is used on one thread only, so SQLite need not lock it on every call:
    // reading a register calls it a few million times.
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX
        | (mode == OpenMode::Create ? SQLITE_OPEN_CREATE : 0);
    const int rc
        = sqlite3_open_v2(QFile::encodeName(fileName).constData(), &handle, flags, nullptr);
    // Owned at once: SQLite may hand out a handle even when the open failed.
    m_connection.reset(handle);
    if (rc != SQLITE_OK) {
        if (handle) {
            throw ESQLiteException(QStringLiteral("Failed to open database \"%1\" : %2")
                                       .arg(fileName, fromCp1250(sqlite3_errmsg(handle))),
                rc);
        }
        throw ESQLiteException(
            QStringLiteral("Failed to open database \"%1\" : unknown error").arg(fileName), rc);
    }
    sqlite3_extended_result_codes(handle, 1);
    // Another program reading the register holds off a save for a moment only.
    sqlite3_busy_timeout(handle, BusyWaitMilliseconds);
    ConfigureDefensively(handle);
    RunStatement(QStringLiteral("PRAGMA SYNCHRONOUS=NORMAL;"));
    // The list is read unordered and ordered in memory, so no statement of the program sorts
    // the whole register; what little temporary storage the engine needs stays off the disk.
    RunStatement(QStringLiteral("PRAGMA temp_store = MEMORY;"));
}

TSQLiteDatabase::~TSQLiteDatabase()
{
    if (m_transactionOpen) {
        try {
            RunStatement(QStringLiteral("ROLLBACK;"));
        } catch (...) {
            // Closing the connection rolls back whatever is still open; a destructor must not
            // throw.
        }
    }
}

void TSQLiteDatabase::RaiseDbError(
    const char* message, const QString& sql, const char* detail, int resultCode) const
{
    QString detailText;
    if (detail) {
        detailText = fromCp1250(detail);
    } else {
        resultCode = sqlite3_extended_errcode(m_connection.get());
        // SQLite's messages quote pieces of the SQL, which went in as Windows-1250.
        detailText = resultCode != SQLITE_OK ? fromCp1250(sqlite3_errmsg(m_connection.get()))
                                             : QStringLiteral("No message");
    }
    throw ESQLiteException(
        QStringLiteral("%1 \"%2\" : %3").arg(QString::fromLatin1(message), sql, detailText),
        resultCode);
}

TSQLiteDatabase::StatementPtr TSQLiteDatabase::Prepare(
    const QString& sql, const QByteArray& sqlBytes, const char* failMessage)
{
    sqlite3_stmt* raw = nullptr;
    // Only the first statement of the text is compiled; the rest is ignored.
    const int rc = sqlite3_prepare_v2(m_connection.get(), sqlBytes.constData(), -1, &raw, nullptr);
    StatementPtr statement(raw);
    if (rc != SQLITE_OK)
        RaiseDbError(failMessage, sql);
    if (!statement) // empty text, or a comment only
        RaiseDbError("Could not prepare SQL statement", sql);
    if (!m_checkedForWriting && !sqlite3_stmt_readonly(statement.get()))
        CheckBeforeFirstWrite();
    return statement;
}

void TSQLiteDatabase::CheckAheadOfWriting()
{
    if (m_checkedForWriting || m_checkAhead)
        return;
    // Empty for a database in memory, which another connection would not see.
    const char* fileName = sqlite3_db_filename(m_connection.get(), "main");
    if (fileName && *fileName)
        m_checkAhead = std::make_unique<CheckAhead>(QByteArray(fileName));
}

void TSQLiteDatabase::CheckBeforeFirstWrite()
{
    // Set first: the check is itself a statement. It is cleared again when the check fails or
    // cannot be made, so that every later write is refused or checks again.
    m_checkedForWriting = true;
    const QString sql = QStringLiteral("PRAGMA quick_check");
    std::optional<CheckAhead::Finding> finding;
    if (m_checkAhead) {
        finding = m_checkAhead->finding();
        m_checkAhead.reset();
    }
    try {
        if (!finding)
            finding = CheckAhead::Finding { RunQuery(sql)->CellBytes(0).toByteArray() };
    } catch (...) {
        m_checkedForWriting = false;
        throw;
    }
    if (finding->verdict != "ok") {
        m_checkedForWriting = false;
        RaiseDbError("Database file is damaged", sql, finding->verdict.constData(),
            finding->resultCode == SQLITE_OK ? SQLITE_CORRUPT : finding->resultCode);
    }
}

void TSQLiteDatabase::BindTexts(
    sqlite3_stmt* statement, const QString& sql, const QList<QByteArray>& values) const
{
    // A missing value would silently store NULL.
    if (sqlite3_bind_parameter_count(statement) != values.size())
        RaiseDbError("Error binding text to database", sql,
            "parameter count does not match the values", SQLITE_RANGE);
    for (qsizetype i = 0; i < values.size(); ++i) {
        // The values outlive the step, so SQLite need not copy them.
        const int rc
            = sqlite3_bind_text64(statement, static_cast<int>(i + 1), values[i].constData(),
                static_cast<sqlite3_uint64>(values[i].size()), SQLITE_STATIC, SQLITE_UTF8);
        if (rc != SQLITE_OK)
            RaiseDbError("Error binding text to database", sql);
    }
}

TSQLiteDatabase::BoundStatement TSQLiteDatabase::PrepareBound(
    const QString& sql, const QStringList* textParams)
{
    BoundStatement bound;
    bound.statement = Prepare(sql, toCp1250(sql), "Error executing SQL");
    if (textParams) {
        bound.values = encodeAll(*textParams);
        BindTexts(bound.statement.get(), sql, bound.values);
    }
    return bound;
}

bool TSQLiteDatabase::StepRow(sqlite3_stmt* statement, const QString& sql) const
{
    const int rc = sqlite3_step(statement);
    if (rc == SQLITE_DONE)
        return false;
    if ((rc & 0xff) == SQLITE_BUSY)
        RaiseDbError("Could not prepare SQL statement", sql, "SQLite is Busy", rc);
    if (rc != SQLITE_ROW)
        RaiseDbError("Could not retrieve data", sql);
    return true;
}

void TSQLiteDatabase::Execute(const QString& sql, const QStringList* textParams)
{
    const BoundStatement bound = PrepareBound(sql, textParams);
    if (sqlite3_step(bound.statement.get()) != SQLITE_DONE)
        RaiseDbError("Error executing SQL statement", sql);
}

void TSQLiteDatabase::RunStatement(const QString& sql)
{
    Execute(sql, nullptr);
}

void TSQLiteDatabase::RunStatement(const QString& sql, const QStringList& textParams)
{
    Execute(sql, &textParams);
}

ISQLiteTablePtr TSQLiteDatabase::Query(const QString& sql, const QStringList* textParams)
{
    const BoundStatement bound = PrepareBound(sql, textParams);
    sqlite3_stmt* statement = bound.statement.get();
    auto table = std::make_shared<TSQLiteTable>();
    while (StepRow(statement, sql)) {
        if (table->m_rowsHeld == 0)
            table->ReadColumns(statement);
        if (!table->AppendRow(statement))
            RaiseDbError("Could not retrieve data", sql);
    }
    table->FinishReading();
    return table;
}

std::uint32_t TSQLiteDatabase::RunQueryRows(
    const QString& sql, const std::function<void(const ISQLiteTable& row)>& onRow)
{
    const QByteArray sqlBytes = toCp1250(sql);
    const StatementPtr statement = Prepare(sql, sqlBytes, "Error executing SQL");
    TSQLiteTable row;
    row.m_borrowLarge = true;
    std::uint32_t rows = 0;
    while (StepRow(statement.get(), sql)) {
        if (rows == 0)
            row.ReadColumns(statement.get());
        row.ClearRows();
        if (!row.AppendRow(statement.get()))
            RaiseDbError("Could not retrieve data", sql);
        row.m_cellStart.append(static_cast<quint64>(row.m_arena.size()));
        onRow(row);
        ++rows;
    }
    return rows;
}

ISQLiteTablePtr TSQLiteDatabase::RunQuery(const QString& sql)
{
    return Query(sql, nullptr);
}

ISQLiteTablePtr TSQLiteDatabase::RunQuery(const QString& sql, const QStringList& textParams)
{
    return Query(sql, &textParams);
}

std::int64_t TSQLiteDatabase::QueryInteger(const QString& sql)
{
    return RunQuery(sql)->CellInt64(0);
}

QString TSQLiteDatabase::QueryText(const QString& sql)
{
    return RunQuery(sql)->CellTextOrEmpty(0);
}

void TSQLiteDatabase::StoreBlob(const QString& sql, TMemoryStream& stream)
{
    if (!sql.contains(u'?'))
        RaiseDbError("SQL must include a ? parameter", sql);
    const StatementPtr statement = Prepare(sql, toCp1250(sql), "Could not prepare SQL statement");
    if (stream.Size() <= 0)
        RaiseDbError("Error getting memory to save blob", sql, "Error");
    QByteArray buffer(stream.Size(), Qt::Uninitialized);
    stream.SetPosition(0);
    buffer.truncate(stream.Read(buffer.data(), buffer.size()));
    // SQLite copies the bytes: the buffer goes before the statement is finalized.
    const int rc = sqlite3_bind_blob64(statement.get(), 1, buffer.constData(),
        static_cast<sqlite3_uint64>(buffer.size()), SQLITE_TRANSIENT);
    if (rc != SQLITE_OK)
        RaiseDbError("Error binding blob to database", sql);
    if (sqlite3_step(statement.get()) != SQLITE_DONE)
        RaiseDbError("Error executing SQL statement", sql);
}

void TSQLiteDatabase::StartTransaction()
{
    if (m_transactionOpen)
        throw ESQLiteException(QStringLiteral("Transaction already open"));
    RunStatement(QStringLiteral("BEGIN TRANSACTION;"));
    m_transactionOpen = true;
}

void TSQLiteDatabase::EndTransaction(const QString& sql)
{
    try {
        RunStatement(sql);
    } catch (const ESQLiteException&) {
        // SQLite ends a transaction itself on some errors (a trigger's RAISE(ROLLBACK), a full
        // disk); the flag has to follow, or every later StartTransaction fails.
        if (sqlite3_get_autocommit(m_connection.get()))
            m_transactionOpen = false;
        throw;
    }
    m_transactionOpen = false;
}

void TSQLiteDatabase::ConfirmTransaction()
{
    EndTransaction(QStringLiteral("COMMIT;"));
}

void TSQLiteDatabase::CancelTransaction()
{
    EndTransaction(QStringLiteral("ROLLBACK;"));
}

bool TSQLiteDatabase::HasTable(const QString& name)
{
    // SQLite's lower() folds ASCII letters only; fold the name the same way.
    QString lowered = name;
    for (QChar& c : lowered) {
        if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() + (u'a' - u'A'));
    }
    return RunQuery(QStringLiteral("select [sql] from sqlite_master where [type] = 'table' and "
                                   "lower(name) = ? "),
               { lowered })
               ->RecordTotal()
        > 0;
}

std::int64_t TSQLiteDatabase::LastRowKey() const
{
    return sqlite3_last_insert_rowid(m_connection.get());
}

std::int64_t TSQLiteDatabase::ChangedRows() const
{
    return sqlite3_changes64(m_connection.get());
}

void TSQLiteDatabase::SetBusyWait(std::int32_t milliseconds)
{
    sqlite3_busy_timeout(m_connection.get(), milliseconds);
}

QString TSQLiteDatabase::EngineVersion() const
{
    return QString::fromLatin1(sqlite3_libversion());
}

// ---------------------------------------------------------------------------------------------

void TSQLiteTable::ReadColumns(sqlite3_stmt* statement)
{
    const int count = sqlite3_column_count(statement);
    m_columnsHeld = static_cast<std::uint32_t>(count);
    const QLocale locale;
    for (int c = 0; c < count; ++c) {
        m_columnNames.append(locale.toUpper(fromCp1250(sqlite3_column_name(statement, c))));
        const char* declared = sqlite3_column_decltype(statement, c);
        int kind;
        if (!declared) {
            // An expression or aggregate: the first row's value decides.
            kind = sqlite3_column_type(statement, c);
        } else {
            const QByteArrayView type(declared);
            if (type == "INTEGER" || type == "BOOLEAN")
                kind = Integer;
            else if (type == "NUMERIC" || type == "FLOAT" || type == "DOUBLE" || type == "REAL")
                kind = Float;
            else if (type == "BLOB")
                kind = Blob;
            else
                kind = Text;
        }
        m_columnKinds.append(kind);
    }
}

void TSQLiteTable::AppendCell(const void* bytes, qsizetype size, int storedType)
{
    // Below this a copy costs less than the look-up of borrowed cells.
    constexpr qsizetype BorrowFrom = qsizetype(64) * 1024;
    if (m_borrowLarge && size >= BorrowFrom) {
        m_borrowed.emplace_back(
            m_cellStart.size(), QByteArrayView(static_cast<const char*>(bytes), size));
        m_cellStart.append(static_cast<quint64>(m_arena.size()) | storedTypeBits(storedType));
        return;
    }
    m_cellStart.append(static_cast<quint64>(m_arena.size()) | storedTypeBits(storedType));
    m_arena.append(static_cast<const char*>(bytes), size);
}

void TSQLiteTable::AppendNullCell(int storedType)
{
    m_cellStart.append(
        static_cast<quint64>(m_arena.size()) | NullFlag | storedTypeBits(storedType));
}

bool TSQLiteTable::AppendRow(sqlite3_stmt* statement)
{
    for (std::uint32_t c = 0; c < m_columnsHeld; ++c) {
        const int col = static_cast<int>(c);
        const int storedType = sqlite3_column_type(statement, col);
        if (storedType == SQLITE_NULL) {
            AppendNullCell(storedType);
            continue;
        }
        switch (m_columnKinds[col]) {
        case Integer: {
            const sqlite3_int64 value = sqlite3_column_int64(statement, col);
            AppendCell(&value, sizeof value, storedType);
            break;
        }
        case Float: {
            const double value = sqlite3_column_double(statement, col);
            AppendCell(&value, sizeof value, storedType);
            break;
        }
        case Blob: {
            // Kept whole, zero bytes included; no bytes at all read as NULL.
            const void* bytes = sqlite3_column_blob(statement, col);
            const int size = sqlite3_column_bytes(statement, col);
            if (size == 0)
                AppendNullCell(storedType);
            else if (!bytes)
                return false;
            else
                AppendCell(bytes, size, storedType);
            break;
        }
        default: {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, col));
            if (!text)
                return false;
            const int size = sqlite3_column_bytes(statement, col);
            // A text ends at its first zero byte.
            const void* zero = std::memchr(text, 0, static_cast<size_t>(size));
            AppendCell(text, zero ? static_cast<const char*>(zero) - text : size, storedType);
            break;
        }
        }
    }
    ++m_rowsHeld;
    return true;
}

void TSQLiteTable::FinishReading()
{
    m_cellStart.append(static_cast<quint64>(m_arena.size()));
    // Give back the growth reserve: for a whole register that is hundreds of megabytes.
    m_arena.shrinkToFit();
    m_cellStart.shrinkToFit();
    m_cursorRow = 0;
}

void TSQLiteTable::ClearRows()
{
    m_arena.clear();
    m_cellStart.clear();
    m_borrowed.clear();
    m_streams.clear();
    m_rowsHeld = 0;
    m_cursorRow = 0;
}

void TSQLiteTable::CheckColumn(int col) const
{
    if (col < 0 || static_cast<std::uint32_t>(col) >= m_columnsHeld)
        throw ESQLiteException(QStringLiteral("Column index out of range: %1").arg(col));
}

qsizetype TSQLiteTable::CellAt(int col) const
{
    if (AtEnd())
        throw ESQLiteException(QStringLiteral("Table is at End of File"));
    CheckColumn(col);
    return static_cast<qsizetype>(m_cursorRow) * m_columnsHeld + col;
}

bool TSQLiteTable::SlotEmpty(qsizetype cell) const
{
    return (m_cellStart[cell] & NullFlag) != 0;
}

QByteArrayView TSQLiteTable::SlotBytes(qsizetype cell) const
{
    for (const auto& [borrowedCell, bytes] : m_borrowed) {
        if (borrowedCell == cell)
            return bytes;
    }
    const quint64 begin = m_cellStart[cell] & OffsetMask;
    const quint64 end = m_cellStart[cell + 1] & OffsetMask;
    return QByteArrayView(m_arena.data() + begin, static_cast<qsizetype>(end - begin));
}

std::int64_t TSQLiteTable::SlotInt64(qsizetype cell) const
{
    std::int64_t value = 0;
    if (!SlotEmpty(cell))
        std::memcpy(&value, SlotBytes(cell).data(), sizeof value);
    return value;
}

double TSQLiteTable::SlotDouble(qsizetype cell) const
{
    double value = 0;
    if (!SlotEmpty(cell))
        std::memcpy(&value, SlotBytes(cell).data(), sizeof value);
    return value;
}

QString TSQLiteTable::StreamOrSlotText(qsizetype cell) const
{
    // A stream handed out may have been written to; what it holds now is the cell's value.
    if (const auto it = m_streams.find(cell); it != m_streams.end()) {
        it->second->SetPosition(0);
        return fromCp1250(it->second->Bytes());
    }
    return fromCp1250(SlotBytes(cell));
}

QString TSQLiteTable::CellText(int col) const
{
    const qsizetype cell = CellAt(col);
    switch (m_columnKinds[col]) {
    case Integer:
        return QString::number(SlotInt64(cell));
    case Float: {
        QLocale locale;
        locale.setNumberOptions(QLocale::OmitGroupSeparator);
        return locale.toString(SlotDouble(cell), 'g', 15);
    }
    case Text:
        return fromCp1250(SlotBytes(cell));
    case Blob:
        return CellBlobText(col);
    default:
        return {};
    }
}

QString TSQLiteTable::ColumnName(int col) const
{
    CheckColumn(col);
    return m_columnNames[col];
}

QString TSQLiteTable::CellTextNamed(const QString& name) const
{
    return CellText(ColumnNumber(name));
}

int TSQLiteTable::ColumnNumber(const QString& name) const
{
    if (m_columnNames.isEmpty())
        throw ESQLiteException(
            QStringLiteral("Field ") + name + QStringLiteral(" Not found. Empty dataset"));
    if (const auto it = m_columnLookup.constFind(name); it != m_columnLookup.constEnd())
        return *it;
    const QString upper = QLocale().toUpper(name);
    for (qsizetype i = 0; i < m_columnNames.size(); ++i) {
        if (m_columnNames[i].compare(upper, Qt::CaseInsensitive) == 0) {
            m_columnLookup.insert(name, static_cast<int>(i));
            return static_cast<int>(i);
        }
    }
    throw ESQLiteException(QStringLiteral("Field not found in dataset: ") + name);
}

std::int32_t TSQLiteTable::CountAnswer() const
{
    if (AtEnd())
        return 0;
    const QString text = CellText(0);
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok)
        throw ESQLiteException(QStringLiteral("'%1' is not a valid integer value").arg(text));
    return value;
}

std::int64_t TSQLiteTable::CellInt64(int col) const
{
    const qsizetype cell = CellAt(col);
    if (SlotEmpty(cell))
        return 0;
    switch (m_columnKinds[col]) {
    case Integer:
        return SlotInt64(cell);
    case Float: {
        const double value = std::trunc(SlotDouble(cell));
        // Saturate: converting an out-of-range double is undefined.
        constexpr double Limit = 9223372036854775808.0; // 2^63
        if (std::isnan(value))
            return 0;
        if (value >= Limit)
            return std::numeric_limits<std::int64_t>::max();
        if (value < -Limit)
            return std::numeric_limits<std::int64_t>::min();
        return static_cast<std::int64_t>(value);
    }
    default:
        throw ESQLiteException(QStringLiteral("Not an integer or numeric field"));
    }
}

double TSQLiteTable::CellDouble(int col) const
{
    const qsizetype cell = CellAt(col);
    if (SlotEmpty(cell))
        return 0;
    switch (m_columnKinds[col]) {
    case Integer:
        return static_cast<double>(SlotInt64(cell));
    case Float:
        return SlotDouble(cell);
    default:
        throw ESQLiteException(QStringLiteral("Not an integer or numeric field"));
    }
}

TMemoryStream* TSQLiteTable::CellStream(int col) const
{
    const qsizetype cell = CellAt(col);
    if (SlotEmpty(cell))
        return nullptr;
    if (m_columnKinds[col] != Blob)
        throw ESQLiteException(QStringLiteral("Not a Blob field"));
    auto& stream = m_streams[cell];
    if (!stream)
        stream = std::make_unique<TMemoryStream>(SlotBytes(cell).toByteArray());
    return stream.get();
}

QString TSQLiteTable::CellBlobText(int col) const
{
    const qsizetype cell = CellAt(col);
    if (SlotEmpty(cell))
        return {};
    if (m_columnKinds[col] != Blob)
        throw ESQLiteException(QStringLiteral("Not a Blob field"));
    return StreamOrSlotText(cell);
}

bool TSQLiteTable::CellIsNull(int col) const
{
    return SlotEmpty(CellAt(col));
}

QString TSQLiteTable::CellTextOrEmpty(int col) const
{
    if (SlotEmpty(CellAt(col)))
        return {};
    return CellText(col);
}

QByteArrayView TSQLiteTable::CellBytes(int col) const
{
    const qsizetype cell = CellAt(col);
    const int kind = m_columnKinds[col];
    if (kind == Integer || kind == Float)
        throw ESQLiteException(QStringLiteral("Not a text or Blob field"));
    return SlotBytes(cell);
}

StoredType TSQLiteTable::CellStoredType(int col) const
{
    return static_cast<StoredType>((m_cellStart[CellAt(col)] >> StoredTypeShift) & 7);
}

bool TSQLiteTable::StepForward()
{
    if (AtEnd())
        return false;
    ++m_cursorRow;
    return true;
}

bool TSQLiteTable::StepBack()
{
    if (AtStart())
        return false;
    --m_cursorRow;
    return true;
}

bool TSQLiteTable::GoFirst()
{
    if (m_rowsHeld == 0)
        return false;
    m_cursorRow = 0;
    return true;
}

bool TSQLiteTable::GoLast()
{
    if (m_rowsHeld == 0)
        return false;
    m_cursorRow = m_rowsHeld - 1;
    return true;
}

} // namespace kolvar::storage

#include "FileCaseStore.h"

#include "CaseTable.h"
#include "Cp1250.h"
#include "RegisterBackup.h"
#include "SqliteAccess.h"

#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

namespace kolvar::storage {

CaseConflict::CaseConflict(std::int64_t id, std::optional<CaseRecord> theirs)
    : std::runtime_error("case changed by another program")
    , m_id(id)
    , m_theirs(std::move(theirs))
{ }

bool ICaseStore::useCaseText(
    std::int64_t id, int column, const std::function<void(QByteArrayView text)>& use)
{
    if (column < 0 || column >= CaseRow::Fields)
        return false;
    const std::unique_ptr<const CaseRow> row = caseRow(id);
    if (!row || row->isNull(column))
        return false;
    use(row->text(column));
    return true;
}

namespace {

// A row of a query of the eight list columns, in the list's terms. The table is the engine's
// own, so reading a field costs one call, as reading the result did.
class FileCaseRow final : public CaseRow
{
public:
    FileCaseRow() = default;
    // The row at the cursor of a result that stays held.
    explicit FileCaseRow(ISQLiteTablePtr held)
        : m_held(std::move(held))
    {
        show(*m_held);
    }

    // The row at the table's cursor: RunQueryRows hands the same table for every row.
    void show(const ISQLiteTable& table)
    {
        if (&table == m_source)
            return;
        m_source = &table;
        m_table = &dynamic_cast<const TSQLiteTable&>(table);
        for (int field = 0; field < Fields; ++field) {
            const int col = m_table->ColumnNumber(QString::fromLatin1(CaseFieldNames[field]));
            m_columns[std::size_t(field)] = col;
            try {
                (void)m_table->CellBytes(col);
                m_bytes[std::size_t(field)] = true;
            } catch (const ESQLiteException&) {
                m_bytes[std::size_t(field)] = false;
            }
        }
    }

    [[nodiscard]] QByteArrayView text(int field) const override
    {
        const int col = m_columns[std::size_t(field)];
        if (m_bytes[std::size_t(field)])
            return m_table->CellBytes(col);
        QByteArray& converted = m_converted[std::size_t(field)];
        converted = toCp1250(m_table->CellText(col));
        return converted;
    }
    [[nodiscard]] bool isNull(int field) const override
    {
        return m_table->CellIsNull(m_columns[std::size_t(field)]);
    }
    [[nodiscard]] StoredType storedType(int field) const override
    {
        return m_table->CellStoredType(m_columns[std::size_t(field)]);
    }
    [[nodiscard]] bool holdsBytes(int field) const override { return m_bytes[std::size_t(field)]; }

private:
    ISQLiteTablePtr m_held;
    const ISQLiteTable* m_source = nullptr;
    const TSQLiteTable* m_table = nullptr;
    std::array<int, Fields> m_columns {};
    std::array<bool, Fields> m_bytes {};
    mutable std::array<QByteArray, Fields> m_converted;
};

std::unique_ptr<const CaseRow> heldRow(ISQLiteTablePtr result)
{
    if (!result->GoFirst())
        return nullptr;
    return std::make_unique<FileCaseRow>(std::move(result));
}

// Hands use the text of one column at the cursor as the list reads it: the stored bytes, or, in
// a column the engine hands out as numbers, the number written as text.
bool useColumnText(
    const ISQLiteTable& row, int col, const std::function<void(QByteArrayView text)>& use)
{
    if (row.CellIsNull(col))
        return false;
    QByteArrayView bytes;
    QByteArray converted;
    try {
        bytes = row.CellBytes(col);
    } catch (const ESQLiteException&) {
        converted = toCp1250(row.CellText(col));
        bytes = converted;
    }
    use(bytes);
    return true;
}

} // namespace

namespace {

// Takes the write lock before the case is read, so nobody can change it between the comparison
// and the write: a deferred transaction would read under a shared lock and could then be refused
// the write lock by a program that read meanwhile.
class WriteLock
{
public:
    explicit WriteLock(ISQLiteDatabase& db)
        : m_db(db)
    {
        m_db.RunStatement(QStringLiteral("BEGIN IMMEDIATE;"));
    }
    ~WriteLock()
    {
        if (m_done)
            return;
        try {
            m_db.RunStatement(QStringLiteral("ROLLBACK;"));
        } catch (...) {
            // The exception in flight says what went wrong; closing the file rolls back anyway.
        }
    }
    WriteLock(const WriteLock&) = delete;
    WriteLock& operator=(const WriteLock&) = delete;

    void Commit()
    {
        m_db.RunStatement(QStringLiteral("COMMIT;"));
        m_done = true;
    }

private:
    ISQLiteDatabase& m_db;
    bool m_done = false;
};

class FileCaseStore final : public ICaseStore
{
public:
    FileCaseStore(ISQLiteDatabasePtr db, QString path, CaseTable::TableShape shape)
        : m_db(std::move(db))
        , m_path(std::move(path))
        , m_shape(shape)
    { }

    [[nodiscard]] QString displayName() const override { return QFileInfo(m_path).fileName(); }
    [[nodiscard]] WriteRefusal writeRefusal() const override
    {
        if (!m_shape.idIsUnique)
            return WriteRefusal::IdNotKey;
        return m_shape.fileWritable ? WriteRefusal::None : WriteRefusal::FileNotWritable;
    }
    [[nodiscard]] bool idsMayRepeat() const override { return !m_shape.idIsUnique; }
    [[nodiscard]] bool hasForeignTriggers() const override { return m_shape.hasTriggers; }
    // A file deleted or moved while open is compacted nowhere.
    [[nodiscard]] bool canCompact() const override { return QFileInfo(m_path).isFile(); }
    [[nodiscard]] bool canMoveToServer() const override { return true; }
    [[nodiscard]] QString filePath() const override { return m_path; }

    std::uint32_t listRows(
        int sortMode, const std::function<void(const CaseRow& row)>& onRow) override
    {
        requireListOrder(sortMode);
        const QString sql
            = sortMode == 0 ? CaseTable::UnorderedListQuery() : CaseTable::ListQuery(sortMode);
        FileCaseRow row;
        return m_db->RunQueryRows(sql, [&](const ISQLiteTable& table) {
            row.show(table);
            onRow(row);
        });
    }

    [[nodiscard]] std::unique_ptr<const CaseRow> caseRow(std::int64_t id) override
    {
        return heldRow(queryCase(id));
    }

    [[nodiscard]] std::unique_ptr<const CaseRow> firstCaseRow() override
    {
        return heldRow(CaseTable::QueryFirstCase(*m_db));
    }

    [[nodiscard]] std::optional<CaseRecord> readCase(std::int64_t id) override
    {
        const ISQLiteTablePtr row = queryCase(id);
        if (!row->GoFirst())
            return std::nullopt;
        return CaseTable::ReadCase(*row);
    }

    // The one column, read where the engine holds it: a text of fifty megabytes is not copied.
    bool useCaseText(
        std::int64_t id, int column, const std::function<void(QByteArrayView text)>& use) override
    {
        if (column < 0 || column >= 8)
            return false;
        bool found = false;
        (void)m_db->RunQueryRows(QStringLiteral("SELECT %1 FROM kolvar WHERE ID=%2")
                                     .arg(QLatin1String(CaseTable::ColumnNames[column]))
                                     .arg(id),
            [&](const ISQLiteTable& row) { found = useColumnText(row, 0, use) || found; });
        return found;
    }

    void saveCase(std::int64_t id, const CaseRecord& shown, const CaseRecord& mine,
        const CaseFields& fields) override
    {
        refuseWhenReadOnly();
        WriteLock lock(*m_db);
        requireAsShown(id, shown);
        CaseTable::WriteFields(*m_db, id, mine, fields);
        lock.Commit();
    }

    std::int64_t addCase(const CaseRecord& record) override
    {
        refuseWhenReadOnly();
        return m_shape.idIsRowKey ? CaseTable::InsertCase(*m_db, record)
                                  : CaseTable::InsertNumberedCase(*m_db, record);
    }

    void deleteCase(std::int64_t id, const CaseRecord& shown) override
    {
        refuseWhenReadOnly();
        WriteLock lock(*m_db);
        requireAsShown(id, shown);
        CaseTable::DeleteCase(*m_db, id);
        lock.Commit();
    }

    [[nodiscard]] std::int64_t count() override
    {
        return m_db->QueryInteger(QStringLiteral("SELECT count(*) FROM kolvar"));
    }

    QString compact() override
    {
        CaseTable::Compact(*m_db);
        return QStringLiteral("Plik bazowy  ") + displayName()
            + QStringLiteral("  został zregenerowany.");
    }

    std::int64_t backUp(const QString& targetFile) override
    {
        try {
            return BackUpRegister(m_path, targetFile);
        } catch (const ESQLiteException& e) {
            // The backup says in the user's words what stood in the way; a sentence on the
            // register's own state would speak of the register, not of the copy.
            throw StoreError(StoreFailure::CopyNotWritten, e.message());
        }
    }

    [[nodiscard]] std::int64_t changeStamp() override
    {
        return m_db->QueryInteger(QStringLiteral("PRAGMA data_version"));
    }

private:
    [[nodiscard]] ISQLiteTablePtr queryCase(std::int64_t id)
    {
        if (m_shape.idIsUnique)
            return CaseTable::QueryCase(*m_db, id);
        // An ID of another program's table may be stored as text ('5 ', '05'), which the list
        // shows as the number it reads and which never equals that number in SQL. The register
        // is read-only, so a second case found this way is only ever shown, never written.
        return m_db->RunQuery(QStringLiteral("SELECT * FROM kolvar WHERE ID = %1 OR (typeof(ID) = "
                                             "'text' AND CAST(ID AS INTEGER) = %1 AND "
                                             "CAST(ID AS NUMERIC) = %1)")
                                  .arg(id));
    }

    void refuseWhenReadOnly() const
    {
        if (!m_shape.idIsUnique)
            throw ESQLiteException(
                QStringLiteral("ID of table kolvar is not its row key: the register is read-only"),
                SQLITE_CONSTRAINT_PRIMARYKEY);
        if (!m_shape.fileWritable)
            throw ESQLiteException(
                QStringLiteral("The file or its folder cannot be written: the register is "
                               "read-only"),
                SQLITE_READONLY);
    }

    // The texts compared are the ones the editor was filled from, read the same way: a stored
    // number or blob reads as the same text both times.
    void requireAsShown(std::int64_t id, const CaseRecord& shown)
    {
        std::optional<CaseRecord> stored = readCase(id);
        if (!stored || *stored != shown)
            throw CaseConflict(id, std::move(stored));
    }

    ISQLiteDatabasePtr m_db;
    QString m_path;
    // A table whose ID is not the row key may hold two cases under one ID.
    CaseTable::TableShape m_shape;
};

} // namespace

bool isListOrder(int sortMode)
{
    return !CaseTable::ListQuery(sortMode).isEmpty();
}

void requireListOrder(int sortMode)
{
    if (sortMode != 0 && !isListOrder(sortMode))
        throw StoreError(
            StoreFailure::Other, QStringLiteral("Unknown list order %1").arg(sortMode));
}

CaseStorePtr FileStoreOn(ISQLiteDatabasePtr db, const QString& path)
{
    const CaseTable::TableShape shape = CaseTable::VerifyTable(*db);
    return std::make_unique<FileCaseStore>(std::move(db), path, shape);
}

CaseStorePtr OpenFileStore(const QString& path)
{
    ISQLiteDatabasePtr db = OpenDatabase(path);
    // The first write checks the whole file, about a millisecond a megabyte: for a register
    // where that would be felt, the check runs on the other processor while the list loads.
    constexpr qint64 CheckAheadFromBytes = 8 << 20;
    if (QFileInfo(path).size() >= CheckAheadFromBytes)
        db->CheckAheadOfWriting();
    return FileStoreOn(std::move(db), path);
}

namespace {

void createFileRegister(const QString& path, const std::function<void(ISQLiteDatabase& db)>& fill)
{
    try {
        const ISQLiteDatabasePtr db = OpenDatabase(path, OpenMode::Create);
        CaseTable::CreateTable(*db);
        fill(*db);
    } catch (...) {
        // No half-made register is left behind to be opened by mistake later.
        QFile::remove(path);
        throw;
    }
}

} // namespace

void CreateFileRegister(const QString& path, const QString& seedTermin)
{
    createFileRegister(
        path, [&](ISQLiteDatabase& db) { CaseTable::InsertSeedCase(db, seedTermin); });
}

void CreateFileRegister(const QString& path, const std::vector<CaseRecord>& cases)
{
    createFileRegister(path, [&](ISQLiteDatabase& db) {
        for (const CaseRecord& c : cases)
            (void)CaseTable::InsertCase(db, c);
    });
}

} // namespace kolvar::storage

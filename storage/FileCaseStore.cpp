#include "CaseStore.h"

#include "Cp1250.h"
#include "RegisterBackup.h"

#include <QFileInfo>

#include <sqlite3.h>

namespace kolvar::storage {

CaseConflict::CaseConflict(std::int64_t id, std::optional<CaseRecord> theirs)
    : std::runtime_error("case changed by another program")
    , m_id(id)
    , m_theirs(std::move(theirs))
{ }

std::optional<CaseRecord> ICaseStore::readCase(std::int64_t id)
{
    const ISQLiteTablePtr row = caseRow(id);
    if (!row->GoFirst())
        return std::nullopt;
    return CaseTable::ReadCase(*row);
}

namespace {

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

bool ICaseStore::useCaseText(
    std::int64_t id, int column, const std::function<void(QByteArrayView text)>& use)
{
    const ISQLiteTablePtr row = caseRow(id);
    if (column < 0 || column >= 8 || !row->GoFirst())
        return false;
    return useColumnText(
        *row, row->ColumnNumber(QString::fromLatin1(CaseTable::ColumnNames[column])), use);
}

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
    FileCaseStore(ISQLiteDatabasePtr db, QString path, const CaseTable::TableShape& shape)
        : m_db(std::move(db))
        , m_path(std::move(path))
        , m_readOnly(!shape.idIsRowKey || !shape.fileWritable)
        , m_idIsRowKey(shape.idIsRowKey)
    { }

    [[nodiscard]] QString displayName() const override { return QFileInfo(m_path).fileName(); }
    [[nodiscard]] bool readOnly() const override { return m_readOnly; }

    std::uint32_t listRows(
        int sortMode, const std::function<void(const ISQLiteTable& row)>& onRow) override
    {
        const QString sql
            = sortMode == 0 ? CaseTable::UnorderedListQuery() : CaseTable::ListQuery(sortMode);
        if (sql.isEmpty())
            throw ESQLiteException(QStringLiteral("Unknown list order %1").arg(sortMode));
        return m_db->RunQueryRows(sql, onRow);
    }

    [[nodiscard]] ISQLiteTablePtr caseRow(std::int64_t id) override
    {
        if (m_idIsRowKey)
            return CaseTable::QueryCase(*m_db, id);
        // An ID of another program's table may be stored as text ('5 ', '05'), which the list
        // shows as the number it reads and which never equals that number in SQL. The register
        // is read-only, so a second case found this way is only ever shown, never written.
        return m_db->RunQuery(QStringLiteral("SELECT * FROM kolvar WHERE ID = %1 OR (typeof(ID) = "
                                             "'text' AND CAST(ID AS INTEGER) = %1 AND "
                                             "CAST(ID AS NUMERIC) = %1)")
                                  .arg(id));
    }

    [[nodiscard]] ISQLiteTablePtr firstCaseRow() override
    {
        return CaseTable::QueryFirstCase(*m_db);
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
        return CaseTable::InsertCase(*m_db, record);
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
        return BackUpRegister(m_path, targetFile);
    }

    [[nodiscard]] std::int64_t changeStamp() override
    {
        return m_db->QueryInteger(QStringLiteral("PRAGMA data_version"));
    }

private:
    void refuseWhenReadOnly() const
    {
        if (!m_idIsRowKey)
            throw ESQLiteException(
                QStringLiteral("ID of table kolvar is not its row key: the register is read-only"),
                SQLITE_CONSTRAINT_PRIMARYKEY);
        if (m_readOnly)
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
    bool m_readOnly;
    // A table whose ID is not the row key may hold two cases under one ID.
    bool m_idIsRowKey;
};

} // namespace

CaseStorePtr FileStoreOn(ISQLiteDatabasePtr db, const QString& path)
{
    const CaseTable::TableShape shape = CaseTable::VerifyTable(*db);
    return std::make_unique<FileCaseStore>(std::move(db), path, shape);
}

CaseStorePtr OpenFileStore(const QString& path)
{
    return FileStoreOn(OpenDatabase(path), path);
}

} // namespace kolvar::storage

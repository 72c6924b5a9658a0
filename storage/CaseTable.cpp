#include "CaseTable.h"

#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#include <algorithm>

namespace kolvar::storage::CaseTable {

namespace {

// Rolls back unless committed, so a failed save leaves no transaction open and the next save
// can begin its own. The statement's own error is the one the caller sees; a failing rollback
// is swallowed.
class TransactionGuard
{
public:
    explicit TransactionGuard(ISQLiteDatabase& db)
        : m_db(db)
    {
        m_db.StartTransaction();
    }
    ~TransactionGuard()
    {
        if (m_committed)
            return;
        try {
            m_db.CancelTransaction();
        } catch (...) {
            // Destructors never throw; the exception in flight says what went wrong.
        }
    }
    TransactionGuard(const TransactionGuard&) = delete;
    TransactionGuard& operator=(const TransactionGuard&) = delete;

    void Commit()
    {
        m_db.ConfirmTransaction();
        m_committed = true;
    }

private:
    ISQLiteDatabase& m_db;
    bool m_committed = false;
};

// Where ID is not the row id, several rows may hold one: a write by ID is made only where a
// single row does, checked within the statement itself, so no moment lies between.
const QString OneCaseOnly = QStringLiteral(" AND (SELECT count(*) FROM kolvar WHERE ID=%1) = 1");

// A write by ID that changed nothing: raises when that was because the ID is shared.
void refuseIfShared(ISQLiteDatabase& db, std::int64_t id)
{
    const std::int64_t rows = db.QueryInteger(
        QStringLiteral("SELECT count(*) FROM kolvar WHERE ID=") + QString::number(id));
    if (rows > 1)
        throw ESQLiteException(
            QStringLiteral("%1 rows of table kolvar have ID %2; nothing was written")
                .arg(rows)
                .arg(id),
            SQLITE_CONSTRAINT_PRIMARYKEY);
}

// Whether ID is the table's row id. The engine names the row id's column after the INTEGER
// PRIMARY KEY that stands for it and "rowid" otherwise; a declared type or key alone does not
// tell (INTEGER PRIMARY KEY DESC is no row id, a WITHOUT ROWID table has none). The outer join
// gives one row even for an empty table, which the name needs.
bool idIsRowKey(ISQLiteDatabase& db)
{
    try {
        const ISQLiteTablePtr probe = db.RunQuery(
            QStringLiteral("SELECT k.rowid FROM (SELECT 1) LEFT JOIN kolvar AS k LIMIT 1"));
        return probe->ColumnTotal() == 1
            && probe->ColumnName(0).compare(QLatin1String("ID"), Qt::CaseInsensitive) == 0;
    } catch (const ESQLiteException&) {
        return false; // no row id at all
    }
}

// Whether the main database's file and folder may be written, as the system answers for this
// user (a read-only disk, or a folder without the right to make files in it).
bool fileWritable(ISQLiteDatabase& db)
{
    const ISQLiteTablePtr list
        = db.RunQuery(QStringLiteral("SELECT file FROM pragma_database_list WHERE name = 'main'"));
    if (list->RecordTotal() == 0 || list->CellIsNull(0))
        return true;
    const QByteArrayView bytes = list->CellBytes(0);
    if (bytes.isEmpty())
        return true; // a database in memory
    const QFileInfo file(QFile::decodeName(bytes.toByteArray()));
    return file.isWritable() && QFileInfo(file.absolutePath()).isWritable();
}

// Whether one unique index (the key's own, or one made with UNIQUE) covers ID alone and every
// row: then no two cases share an ID.
bool idHasUniqueIndex(ISQLiteDatabase& db)
{
    return db.QueryInteger(
               QStringLiteral("SELECT count(*) FROM pragma_index_list('kolvar') AS i "
                              "WHERE i.\"unique\" AND NOT i.partial "
                              "AND (SELECT count(*) FROM pragma_index_info(i.name)) = 1 "
                              "AND (SELECT lower(name) FROM pragma_index_info(i.name)) = 'id'"))
        > 0;
}

QStringList values(const CaseRecord& record)
{
    return { record.termin, record.nadawca, record.dotyczy, record.tryb, record.odpowiedz,
        record.szczegoly, record.adnotacje };
}

} // namespace

TableShape VerifyTable(ISQLiteDatabase& db)
{
    const auto notARegister
        = [](const QString& why) { throw ESQLiteException(why, SQLITE_NOTADB); };
    const ISQLiteTablePtr kind = db.RunQuery(
        QStringLiteral("SELECT type FROM sqlite_master WHERE lower(name) = 'kolvar'"));
    if (kind->RecordTotal() == 0)
        notARegister(QStringLiteral("No table kolvar in the database"));
    if (kind->CellText(0) != QLatin1String("table"))
        notARegister(QStringLiteral("kolvar is a %1, not a table").arg(kind->CellText(0)));
    const ISQLiteTablePtr columns = db.RunQuery(QStringLiteral("PRAGMA table_info(kolvar)"));
    QStringList present;
    for (columns->GoFirst(); !columns->AtEnd(); columns->StepForward())
        present.append(columns->CellTextNamed(QStringLiteral("name")));
    for (const char* name : ColumnNames) {
        if (!present.contains(QLatin1String(name), Qt::CaseInsensitive))
            notARegister(QStringLiteral("Table kolvar has no column %1").arg(QLatin1String(name)));
    }
    TableShape shape;
    shape.idIsRowKey = idIsRowKey(db);
    shape.fileWritable = fileWritable(db);
    shape.idIsUnique = shape.idIsRowKey || idHasUniqueIndex(db);
    shape.hasTriggers = db.QueryInteger(QStringLiteral(
                            "SELECT count(*) FROM sqlite_master WHERE type = 'trigger'"))
        > 0;
    return shape;
}

void CreateTable(ISQLiteDatabase& db)
{
    db.RunStatement(QStringLiteral(
        "CREATE TABLE kolvar(ID INTEGER PRIMARY KEY,Termin VARCHAR(15),Nadawca VARCHAR(40), "
        "Dotyczy VARCHAR(120),Tryb VARCHAR(20), Odpowiedz VARCHAR(20),  Szczegoly BLOB, "
        "Adnotacje BLOB COLLATE NOCASE);"));
}

void InsertSeedCase(ISQLiteDatabase& db, const QString& termin)
{
    db.RunStatement(QStringLiteral("INSERT INTO kolvar(ID,Termin,Nadawca) VALUES (NULL,?, ?);"),
        { termin, QLatin1String(SeedSender) });
}

QString ListQuery(int sortMode)
{
    switch (sortMode) {
    case 2:
        return QStringLiteral("SELECT * FROM kolvar ORDER BY Termin");
    case 3:
        return QStringLiteral("SELECT * FROM kolvar ORDER BY Nadawca");
    case 4:
        return QStringLiteral("SELECT * FROM kolvar ORDER BY Dotyczy");
    default:
        return {};
    }
}

QString UnorderedListQuery()
{
    return QStringLiteral("SELECT * FROM kolvar");
}

ISQLiteTablePtr QueryCase(ISQLiteDatabase& db, std::int64_t id)
{
    return db.RunQuery(QStringLiteral("SELECT * FROM kolvar WHERE ID=") + QString::number(id));
}

ISQLiteTablePtr QueryAllCases(ISQLiteDatabase& db)
{
    return db.RunQuery(UnorderedListQuery());
}

ISQLiteTablePtr QueryFirstCase(ISQLiteDatabase& db)
{
    // ID is the row id: the table's own order, no sorting.
    return db.RunQuery(QStringLiteral("SELECT * FROM kolvar ORDER BY ID LIMIT 1"));
}

std::int64_t InsertCase(ISQLiteDatabase& db, const CaseRecord& record)
{
    TransactionGuard transaction(db);
    // NULL lets the engine choose the next row id.
    db.RunStatement(
        QStringLiteral("INSERT INTO kolvar(ID,Termin,Nadawca,Dotyczy,Tryb,Odpowiedz,Szczegoly,"
                       "Adnotacje)VALUES (NULL,?, ?, ?,?, ?,?, ?);"),
        values(record));
    const std::int64_t id = db.LastRowKey();
    transaction.Commit();
    return id;
}

std::int64_t InsertNumberedCase(ISQLiteDatabase& db, const CaseRecord& record)
{
    TransactionGuard transaction(db);
    const std::int64_t id = db.QueryInteger(
        QStringLiteral("SELECT coalesce(max(ID), 0) + 1 FROM kolvar WHERE typeof(ID) = 'integer'"));
    db.RunStatement(
        QStringLiteral("INSERT INTO kolvar(ID,Termin,Nadawca,Dotyczy,Tryb,Odpowiedz,Szczegoly,"
                       "Adnotacje)VALUES (%1,?, ?, ?,?, ?,?, ?);")
            .arg(id),
        values(record));
    transaction.Commit();
    return id;
}

std::int64_t WriteFields(
    ISQLiteDatabase& db, std::int64_t id, const CaseRecord& record, const CaseFields& fields)
{
    const QString where = QStringLiteral(" WHERE ID=") + QString::number(id);
    QStringList assignments;
    QStringList written;
    const QStringList texts = values(record);
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (!fields[i])
            continue;
        assignments += QString::fromLatin1(ColumnNames[i + 1]) + QStringLiteral("=?");
        written += texts[qsizetype(i)];
    }
    if (assignments.isEmpty())
        return db.QueryInteger(QStringLiteral("SELECT count(*) FROM kolvar") + where);
    db.RunStatement(QStringLiteral("UPDATE kolvar SET ") + assignments.join(QStringLiteral(", "))
            + where + OneCaseOnly.arg(id) + u';',
        written);
    const std::int64_t changed = db.ChangedRows();
    if (changed == 0)
        refuseIfShared(db, id);
    return changed;
}

std::int64_t UpdateCase(
    ISQLiteDatabase& db, std::int64_t id, const CaseRecord& record, const CaseFields& fields)
{
    if (std::find(fields.begin(), fields.end(), true) == fields.end())
        return WriteFields(db, id, record, fields);
    TransactionGuard transaction(db);
    const std::int64_t changed = WriteFields(db, id, record, fields);
    transaction.Commit();
    return changed;
}

std::int64_t DeleteCase(ISQLiteDatabase& db, std::int64_t id)
{
    // One statement outside a transaction is a transaction of its own.
    db.RunStatement(
        QStringLiteral("DELETE FROM kolvar WHERE ID=") + QString::number(id) + OneCaseOnly.arg(id));
    const std::int64_t deleted = db.ChangedRows();
    if (deleted == 0)
        refuseIfShared(db, id);
    return deleted;
}

void Compact(ISQLiteDatabase& db)
{
    // VACUUM copies the whole register into temporary storage and back; in memory that copy is
    // as large as the file, so for this one statement it goes to a file.
    db.RunStatement(QStringLiteral("PRAGMA temp_store = FILE;"));
    try {
        // "VACUUM kolvar" would name an attached schema, which current SQLite rejects.
        db.RunStatement(QStringLiteral("VACUUM"));
    } catch (...) {
        db.RunStatement(QStringLiteral("PRAGMA temp_store = MEMORY;"));
        throw;
    }
    db.RunStatement(QStringLiteral("PRAGMA temp_store = MEMORY;"));
}

CaseRecord ReadCase(const ISQLiteTable& result)
{
    const auto text = [&result](const char* column) {
        return result.CellTextOrEmpty(result.ColumnNumber(QString::fromLatin1(column)));
    };
    const auto memo = [&result](const char* column) {
        return result.CellBlobText(result.ColumnNumber(QString::fromLatin1(column)));
    };
    CaseRecord record;
    const int idColumn = result.ColumnNumber(QStringLiteral("ID"));
    try {
        record.id = result.CellInt64(idColumn);
    } catch (const ESQLiteException&) {
        // An ID column declared as text, in a table another program made: the case is shown all
        // the same, by the number its text holds (0 for none, which no write goes by).
        record.id = result.CellTextOrEmpty(idColumn).trimmed().toLongLong();
    }
    record.termin = text("Termin");
    record.nadawca = text("Nadawca");
    record.dotyczy = text("Dotyczy");
    record.tryb = text("Tryb");
    record.odpowiedz = text("Odpowiedz");
    record.szczegoly = memo("Szczegoly");
    record.adnotacje = memo("Adnotacje");
    return record;
}

} // namespace kolvar::storage::CaseTable

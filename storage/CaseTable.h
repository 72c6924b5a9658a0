#pragma once

#include "CaseRecord.h"
#include "SqliteInterfaces.h"

#include <QString>

#include <cstdint>

namespace kolvar::storage {

// The table kolvar and every statement the program sends to it. Case values are always bound
// as parameters: a value is stored exactly as given, whatever quotes or column names it holds.
namespace CaseTable {

inline constexpr const auto& ColumnNames = CaseFieldNames;

// A new file: the table, then the seed case with the given date and the sender "Pusty".
void CreateTable(ISQLiteDatabase& db);
void InsertSeedCase(ISQLiteDatabase& db, const QString& termin);

// What a register from elsewhere holds that the program's own registers never do.
struct TableShape
{
    // ID is the table's INTEGER PRIMARY KEY, the row id: one case to an ID, always. Otherwise two
    // rows may share an ID, or have none, and a write by ID could change a case the user never saw.
    bool idIsRowKey = true;
    // ID is a key of its own though not the row id (INT PRIMARY KEY, UNIQUE): the engine refuses
    // a second case with an ID, but numbers no new case, so the program does.
    bool idIsUnique = true;
    // Triggers are never run (see OpenDatabase), which the user is told.
    bool hasTriggers = false;
    // The file and the folder it lies in take writes. The engine opens a file on a read-only
    // disk for reading only without a word, and one in a folder it cannot write opens for
    // writing but fails each write, for the journal beside the file cannot be made.
    bool fileWritable = true;
};

// Raises ESQLiteException with SQLITE_NOTADB unless the file holds a table kolvar (not a view)
// with the eight columns: any other file is no register, whatever the list would make of it.
// Returns what of the table's make the window has to know.
TableShape VerifyTable(ISQLiteDatabase& db);

// The SQL of the ordered list for sort mode 2 (Termin), 3 (Nadawca) or 4 (Dotyczy); empty for
// any other mode.
[[nodiscard]] QString ListQuery(int sortMode);
// Every case in the table's own (row-id) order, for a list that orders its rows itself: sorting a
// large register in the engine costs a temporary file, and the list's alphabet is not the
// engine's anyway.
[[nodiscard]] QString UnorderedListQuery();
[[nodiscard]] ISQLiteTablePtr QueryCase(ISQLiteDatabase& db, std::int64_t id);
[[nodiscard]] ISQLiteTablePtr QueryAllCases(ISQLiteDatabase& db);
// The case with the lowest ID alone, where only it is wanted: all cases of a large register
// would stand in memory a second time beside the list.
[[nodiscard]] ISQLiteTablePtr QueryFirstCase(ISQLiteDatabase& db);

// Each runs in its own transaction, rolled back when the statement fails.
// Returns the new case's ID.
std::int64_t InsertCase(ISQLiteDatabase& db, const CaseRecord& record);
// The same for a table whose ID is not the row id: the new case takes the next number above the
// highest ID, where the engine would leave a NULL.
std::int64_t InsertNumberedCase(ISQLiteDatabase& db, const CaseRecord& record);
// Writes the marked texts of record into case id. An unmarked column is not written at all, so it
// keeps what it holds to the byte: a NUL inside, lone line feeds, a blob, a number, a NULL, a
// date in another program's form. Returns the number of cases with that ID: 0 when there is none.
// Where more than one row holds the ID (a table whose ID is not the row id), nothing is written
// and ESQLiteException is raised with SQLITE_CONSTRAINT_PRIMARYKEY; WriteFields and DeleteCase
// likewise.
std::int64_t UpdateCase(ISQLiteDatabase& db, std::int64_t id, const CaseRecord& record,
    const CaseFields& fields = AllCaseFields);
// The same UPDATE inside the caller's transaction.
std::int64_t WriteFields(
    ISQLiteDatabase& db, std::int64_t id, const CaseRecord& record, const CaseFields& fields);
// Returns the number of cases deleted: 0 when no case has that ID.
std::int64_t DeleteCase(ISQLiteDatabase& db, std::int64_t id);
void Compact(ISQLiteDatabase& db);

// The case at the cursor of a result of QueryCase, QueryAllCases or QueryFirstCase.
[[nodiscard]] CaseRecord ReadCase(const ISQLiteTable& result);

} // namespace CaseTable

} // namespace kolvar::storage

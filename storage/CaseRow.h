#pragma once

#include <QByteArrayView>
#include <QString>

#include <stdexcept>

namespace kolvar::storage {

// The class a stored value is held in. A register written by another program may hold numbers
// or blobs in a text column, and a NULL apart from an empty text; each sorts apart from texts.
enum class StoredType : int { Integer = 1, Float = 2, Text = 3, Blob = 4, Null = 5 };

// One case of a register as the list reads it, whatever keeps the register. Fields are numbered
// as the list's columns: 0 ID, then Termin, Nadawca, Dotyczy, Tryb, Odpowiedz, Szczegoly and
// Adnotacje (CaseFieldNames). A row handed to a callback is valid only during the call.
class CaseRow
{
public:
    static constexpr int Fields = 8;

    virtual ~CaseRow() = default;

    // The field as the list shows it: the stored Windows-1250 bytes, or a stored number written
    // as text (the ID, or the odd number of a file another program wrote); empty for NULL.
    [[nodiscard]] virtual QByteArrayView text(int field) const = 0;
    [[nodiscard]] virtual bool isNull(int field) const = 0;
    [[nodiscard]] virtual StoredType storedType(int field) const = 0;
    // Whether the field's texts are read as their stored bytes. A column another program
    // declared numeric reads a text as the number it starts with, which orders unlike the text.
    [[nodiscard]] virtual bool holdsBytes(int field) const = 0;

protected:
    CaseRow() = default;
    CaseRow(const CaseRow&) = default;
    CaseRow& operator=(const CaseRow&) = default;
};

// The list's columns, in the order the list shows them and CaseRow numbers its fields: the
// register's column names, in a file and on a server alike.
inline constexpr const char* CaseFieldNames[CaseRow::Fields]
    = { "ID", "Termin", "Nadawca", "Dotyczy", "Tryb", "Odpowiedz", "Szczegoly", "Adnotacje" };

// What a failure of a register means for the user, whichever kind of register failed.
enum class StoreFailure {
    Other,
    InUse, // another program holds the register, or the server waited too long for it
    CannotWrite, // the file or its folder is read-only, or cannot be opened for writing
    DiskFull,
    NotARegister, // a file that is not a register, or one without the table as the program makes it
    Damaged,
    Gone, // the register file was deleted or moved while open
    DiskError, // the disk failed to read or write
    BuiltDifferently, // the table refused a statement the program's own tables take
    ConnectionLost, // the server does not answer, or the connection broke
    PasswordNeeded, // the server asks for a password and none was given
    LoginRefused, // the server refused the user or the password
    NoRights, // the server's role may not make this change
    Rejected, // the server's table refused the value (a constraint)
    NoRegisterTable, // a database without the register's table in the program's shape
    Occupied, // a register is to be made where one already is
    CopyNotWritten, // a copy of the register could not be written; the detail says why to the user
};

// The one failure a register reports: its kind, and the technical detail (the engine's or the
// server's own words, or a sentence of the store's) kept apart from the sentence the window
// picks for the kind.
class StoreError : public std::runtime_error
{
public:
    StoreError(StoreFailure kind, const QString& detail);
    [[nodiscard]] StoreFailure kind() const { return m_kind; }
    [[nodiscard]] const QString& detail() const { return m_detail; }
    // A server's refusal, whose text is the server's own sentence rather than an engine's.
    [[nodiscard]] virtual bool fromServer() const { return false; }

private:
    StoreFailure m_kind;
    QString m_detail;
};

} // namespace kolvar::storage

#pragma once

#include "CaseStore.h"

#include <QString>

#include <optional>

namespace kolvar::storage {

// Where a server register lives, as the user names it. Remembered as a libpq connection URI,
// which never carries the password: libpq's password file and service file supply what the
// URI leaves out.
struct ServerAddress
{
    QString host;
    int port = 5432;
    QString database;
    QString user;
    bool requireTls = false;

    [[nodiscard]] QString uri() const;
    // database@host, as the window names the register.
    [[nodiscard]] QString displayName() const;
    // Nothing for a text that is no postgresql:// or postgres:// URI.
    [[nodiscard]] static std::optional<ServerAddress> fromUri(const QString& uri);
    friend bool operator==(const ServerAddress&, const ServerAddress&) = default;
};

[[nodiscard]] bool isServerUri(const QString& text);

// What a server's refusal means for the user, from the class of its SQLSTATE.
enum class ServerFailure {
    Other,
    Connection, // class 08, or the connection is gone
    PasswordNeeded, // the server asks for a password and none was given
    Login, // class 28: user or password refused
    Privilege, // 42501
    InUse, // 55P03 lock wait or 57014 statement time-out
    Constraint, // class 23
    NotARegister, // no table kolvar, or one of another shape
    Occupied, // a register is to be made where a table kolvar is already
};
[[nodiscard]] ServerFailure ServerFailureOf(const QByteArray& sqlstate);

// A server's failure: the store failure its kind stands for, the SQLSTATE kept.
class EServerException : public StoreError
{
public:
    EServerException(const QString& message, ServerFailure kind, QByteArray sqlstate = {});
    [[nodiscard]] ServerFailure kind() const { return m_kind; }
    [[nodiscard]] const QByteArray& sqlState() const { return m_sqlState; }
    [[nodiscard]] bool fromServer() const override { return true; }

private:
    ServerFailure m_kind;
    QByteArray m_sqlState;
};

// Opens the register kept in the database at uri, after checking the table's shape. A role
// that may only read opens it read-only. Throws EServerException.
[[nodiscard]] CaseStorePtr OpenServerStore(const QString& uri, const QString& password = {});

// Makes the table, its row version and its notification trigger in a database that has no
// table kolvar, with the seed case a new file register gets.
void CreateServerRegister(const QString& uri, const QString& password, const QString& seedTermin);

// Copies every case of the file register into a new table in a database without one, in one
// transaction: the copy is read back and compared with the file (the count and a checksum of
// every text) before it is committed. Returns the cases copied.
std::int64_t MoveToServer(const QString& filePath, const QString& uri, const QString& password);

// How a server text that holds the NUL byte a file register may hold: PostgreSQL texts cannot,
// and this character is not in the file register's code page, so it comes back as NUL.
inline constexpr char16_t ServerNul = u'\u2400';

} // namespace kolvar::storage

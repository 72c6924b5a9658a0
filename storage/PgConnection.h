#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

struct pg_conn;
struct pg_result;

namespace kolvar::storage {

// Texts cross to the server in UTF-8 and come back as the file register holds them: Windows-1250
// bytes for the list, QString for the editor. A NUL byte travels as ServerNul.
[[nodiscard]] QByteArray serverToCp1250(QByteArrayView utf8);
[[nodiscard]] QString serverToText(QByteArrayView utf8);
[[nodiscard]] QByteArray textToServer(const QString& text);
[[nodiscard]] QByteArray cp1250ToServer(QByteArrayView bytes);
// A value as COPY's text format writes it.
[[nodiscard]] QByteArray copyEscaped(const QByteArray& utf8);

using PgParams = std::vector<std::optional<QByteArray>>;

class PgResult
{
public:
    explicit PgResult(pg_result* result);
    [[nodiscard]] int rows() const;
    [[nodiscard]] QByteArrayView text(int row, int col) const;
    [[nodiscard]] bool isNull(int row, int col) const;
    // Rows an INSERT, UPDATE or DELETE touched.
    [[nodiscard]] std::int64_t affected() const;

private:
    struct Clear
    {
        void operator()(pg_result* result) const noexcept;
    };
    std::unique_ptr<pg_result, Clear> m_result;
};

// One connection to the server. A connection found broken before a command is made again once;
// a command that finds it broken, or a second failure, raises EServerException (Connection), so
// nothing is claimed that the server did not confirm.
class PgConnection
{
public:
    PgConnection(const QString& uri, const QString& password);
    ~PgConnection();
    PgConnection(const PgConnection&) = delete;
    PgConnection& operator=(const PgConnection&) = delete;

    // Values are always bound, never spliced into the text.
    PgResult exec(const QByteArray& sql, const PgParams& params = {});
    // Runs a statement and returns the warnings the server sent while it ran.
    QStringList execCollectingWarnings(const QByteArray& sql);
    // Streams the rows of a COPY ... TO STDOUT, one at a time, as the lines the server sent (a
    // line lasts until onLine returns).
    void copyOutLines(const QByteArray& sql, const std::function<void(QByteArrayView)>& onLine);

    // Run after the connection was made again (settings, LISTEN).
    void onReconnect(std::function<void()> hook) { m_onReconnect = std::move(hook); }
    [[nodiscard]] int socket() const;
    // Payloads announced by other connections since the last call.
    [[nodiscard]] std::vector<QByteArray> takeNotifications();

    [[nodiscard]] pg_conn* handle() const { return m_connection.get(); }
    void setInTransaction(bool inTransaction) { m_inTransaction = inTransaction; }
    [[noreturn]] void raise(const pg_result* result, const char* what) const;
    PgResult checked(pg_result* result, int expectedStatus, const char* what) const;

private:
    struct Finish
    {
        void operator()(pg_conn* connection) const noexcept;
    };
    void ensureConnected();

    std::unique_ptr<pg_conn, Finish> m_connection;
    QString m_server;
    std::function<void()> m_onReconnect;
    bool m_inTransaction = false;
    bool m_collectWarnings = false;
    QStringList m_warnings;
};

// BEGIN now, ROLLBACK unless committed.
class PgTransaction
{
public:
    explicit PgTransaction(PgConnection& connection);
    ~PgTransaction();
    PgTransaction(const PgTransaction&) = delete;
    PgTransaction& operator=(const PgTransaction&) = delete;
    void commit();

private:
    PgConnection& m_connection;
    bool m_done = false;
};

// A COPY ... FROM STDIN in progress; abandoned (the server discards what it got) unless
// finished.
class CopyIn
{
public:
    CopyIn(PgConnection& connection, const QByteArray& sql);
    ~CopyIn();
    CopyIn(const CopyIn&) = delete;
    CopyIn& operator=(const CopyIn&) = delete;
    void send(const QByteArray& data);
    void finish();

private:
    PgConnection& m_connection;
    QByteArray m_buffer;
    bool m_done = false;
};

} // namespace kolvar::storage

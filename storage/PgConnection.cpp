#include "PgConnection.h"

#include "Cp1250.h"
#include "ServerStore.h"

#include <libpq-fe.h>

#include <array>

namespace kolvar::storage {

namespace {

bool plainAscii(QByteArrayView bytes)
{
    for (const char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

bool hasNul(QByteArrayView bytes)
{
    return bytes.indexOf('\0') >= 0;
}

struct FreeMemory
{
    void operator()(void* memory) const noexcept { PQfreemem(memory); }
};

QString serverText(const char* text)
{
    return QString::fromUtf8(text).trimmed();
}

} // namespace

QByteArray serverToCp1250(QByteArrayView utf8)
{
    // Most texts are plain ASCII, the same bytes in both.
    if (plainAscii(utf8))
        return utf8.toByteArray();
    return toCp1250(serverToText(utf8));
}

QString serverToText(QByteArrayView utf8)
{
    QString text = QString::fromUtf8(utf8);
    text.replace(QChar(ServerNul), QChar(u'\0'));
    return text;
}

QByteArray textToServer(const QString& text)
{
    if (!text.contains(QChar(u'\0')))
        return text.toUtf8();
    QString carried = text;
    carried.replace(QChar(u'\0'), QChar(ServerNul));
    return carried.toUtf8();
}

QByteArray cp1250ToServer(QByteArrayView bytes)
{
    if (plainAscii(bytes) && !hasNul(bytes))
        return bytes.toByteArray();
    return textToServer(fromCp1250(bytes));
}

QByteArray copyEscaped(const QByteArray& utf8)
{
    QByteArray escaped;
    escaped.reserve(utf8.size());
    for (const char c : utf8) {
        switch (c) {
        case '\\':
            escaped += "\\\\";
            break;
        case '\t':
            escaped += "\\t";
            break;
        case '\n':
            escaped += "\\n";
            break;
        case '\r':
            escaped += "\\r";
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

// ---------------------------------------------------------------------------------------------

void PgResult::Clear::operator()(pg_result* result) const noexcept
{
    PQclear(result);
}

PgResult::PgResult(pg_result* result)
    : m_result(result)
{ }

int PgResult::rows() const
{
    return PQntuples(m_result.get());
}

QByteArrayView PgResult::text(int row, int col) const
{
    if (row >= rows() || col >= PQnfields(m_result.get()))
        return {};
    return QByteArrayView(
        PQgetvalue(m_result.get(), row, col), PQgetlength(m_result.get(), row, col));
}

bool PgResult::isNull(int row, int col) const
{
    return PQgetisnull(m_result.get(), row, col) != 0;
}

std::int64_t PgResult::affected() const
{
    return QByteArray(PQcmdTuples(m_result.get())).toLongLong();
}

// ---------------------------------------------------------------------------------------------

void PgConnection::Finish::operator()(pg_conn* connection) const noexcept
{
    PQfinish(connection);
}

PgConnection::PgConnection(const QString& uri, const QString& password)
{
    const ServerAddress address = ServerAddress::fromUri(uri).value_or(ServerAddress {});
    m_server = address.displayName();
    const QByteArray dbname = uri.toUtf8();
    const QByteArray secret = password.toUtf8();
    std::vector<const char*> keys
        = { "dbname", "client_encoding", "application_name", "connect_timeout" };
    std::vector<const char*> values = { dbname.constData(), "UTF8", "Kolvar", "5" };
    // Without a password given libpq looks in its password file, as an administrator expects.
    if (!password.isEmpty()) {
        keys.push_back("password");
        values.push_back(secret.constData());
    }
    keys.push_back(nullptr);
    values.push_back(nullptr);
    m_connection.reset(PQconnectdbParams(keys.data(), values.data(), 1));
    if (!m_connection)
        throw EServerException(
            QStringLiteral("Brak pamięci na połączenie z serwerem %1.").arg(m_server),
            ServerFailure::Connection);
    if (PQstatus(m_connection.get()) != CONNECTION_OK) {
        const QString detail = serverText(PQerrorMessage(m_connection.get()));
        if (password.isEmpty() && PQconnectionNeedsPassword(m_connection.get()))
            throw EServerException(detail, ServerFailure::PasswordNeeded);
        const bool refused = detail.contains(QLatin1String("authentication"));
        throw EServerException(detail, refused ? ServerFailure::Login : ServerFailure::Connection);
    }
    PQsetNoticeReceiver(
        m_connection.get(),
        [](void* self, const PGresult* notice) {
            auto* connection = static_cast<PgConnection*>(self);
            const char* severity = PQresultErrorField(notice, PG_DIAG_SEVERITY_NONLOCALIZED);
            if (connection->m_collectWarnings && severity && qstrcmp(severity, "WARNING") == 0)
                connection->m_warnings += serverText(PQresultErrorMessage(notice));
        },
        this);
}

PgConnection::~PgConnection() = default;

void PgConnection::raise(const pg_result* result, const char* what) const
{
    const char* state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
    const QByteArray sqlstate = state ? QByteArray(state) : QByteArray();
    QString detail = serverText(result ? PQresultErrorMessage(result) : "");
    if (detail.isEmpty())
        detail = serverText(PQerrorMessage(m_connection.get()));
    const bool lost = PQstatus(m_connection.get()) != CONNECTION_OK;
    const ServerFailure kind = lost ? ServerFailure::Connection : ServerFailureOf(sqlstate);
    throw EServerException(
        QString::fromLatin1(what) + QStringLiteral(": ") + detail, kind, sqlstate);
}

PgResult PgConnection::checked(pg_result* result, int expectedStatus, const char* what) const
{
    PgResult owned(result);
    if (!result || PQresultStatus(result) != expectedStatus)
        raise(result, what);
    return owned;
}

void PgConnection::ensureConnected()
{
    if (PQstatus(m_connection.get()) == CONNECTION_OK)
        return;
    // A transaction that lost its connection is gone with it: making a new one here would run
    // the rest of it on its own.
    if (m_inTransaction)
        raise(nullptr, "Connection lost");
    PQreset(m_connection.get());
    if (PQstatus(m_connection.get()) != CONNECTION_OK)
        raise(nullptr, "Connection lost");
    if (m_onReconnect)
        m_onReconnect();
}

PgResult PgConnection::exec(const QByteArray& sql, const PgParams& params)
{
    ensureConnected();
    std::vector<const char*> values;
    std::vector<int> lengths;
    values.reserve(params.size());
    for (const std::optional<QByteArray>& value : params) {
        values.push_back(value ? value->constData() : nullptr);
        lengths.push_back(value ? int(value->size()) : 0);
    }
    pg_result* result = params.empty()
        ? PQexec(m_connection.get(), sql.constData())
        : PQexecParams(m_connection.get(), sql.constData(), int(params.size()), nullptr,
            values.data(), lengths.data(), nullptr, 0);
    PgResult owned(result);
    const ExecStatusType status = result ? PQresultStatus(result) : PGRES_FATAL_ERROR;
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
        raise(result, "Server refused the statement");
    return owned;
}

QStringList PgConnection::execCollectingWarnings(const QByteArray& sql)
{
    m_warnings.clear();
    m_collectWarnings = true;
    try {
        (void)exec(sql);
    } catch (...) {
        m_collectWarnings = false;
        throw;
    }
    m_collectWarnings = false;
    return m_warnings;
}

void PgConnection::copyOutLines(
    const QByteArray& sql, const std::function<void(QByteArrayView)>& onLine)
{
    ensureConnected();
    pg_conn* connection = m_connection.get();
    (void)checked(PQexec(connection, sql.constData()), PGRES_COPY_OUT, "Server refused the copy");
    const auto drain = [connection] {
        char* rest = nullptr;
        while (PQgetCopyData(connection, &rest, 0) > 0)
            PQfreemem(rest);
        while (pg_result* result = PQgetResult(connection))
            PQclear(result);
    };
    int length = 0;
    char* line = nullptr;
    try {
        while ((length = PQgetCopyData(connection, &line, 0)) > 0) {
            const std::unique_ptr<char, FreeMemory> owned(line);
            onLine(QByteArrayView(line, length));
        }
    } catch (...) {
        drain();
        throw;
    }
    if (length == -2)
        raise(nullptr, "Copy from the server failed");
    pg_result* result = PQgetResult(connection);
    const PgResult finished(result);
    if (!result || PQresultStatus(result) != PGRES_COMMAND_OK) {
        drain();
        raise(result, "Copy from the server failed");
    }
    drain();
}

int PgConnection::socket() const
{
    return PQstatus(m_connection.get()) == CONNECTION_OK ? PQsocket(m_connection.get()) : -1;
}

std::vector<QByteArray> PgConnection::takeNotifications()
{
    std::vector<QByteArray> payloads;
    pg_conn* connection = m_connection.get();
    if (PQstatus(connection) != CONNECTION_OK || !PQconsumeInput(connection))
        return payloads;
    const int self = PQbackendPID(connection);
    while (PGnotify* notice = PQnotifies(connection)) {
        const std::unique_ptr<PGnotify, FreeMemory> owned(notice);
        if (notice->be_pid != self)
            payloads.emplace_back(notice->extra);
    }
    return payloads;
}

// ---------------------------------------------------------------------------------------------

PgTransaction::PgTransaction(PgConnection& connection)
    : m_connection(connection)
{
    (void)m_connection.exec("BEGIN");
    m_connection.setInTransaction(true);
}

PgTransaction::~PgTransaction()
{
    m_connection.setInTransaction(false);
    if (m_done)
        return;
    // A failed ROLLBACK (the connection is gone) leaves nothing behind either: the server
    // discards an unfinished transaction.
    PQclear(PQexec(m_connection.handle(), "ROLLBACK"));
}

void PgTransaction::commit()
{
    (void)m_connection.exec("COMMIT");
    m_done = true;
}

// ---------------------------------------------------------------------------------------------

CopyIn::CopyIn(PgConnection& connection, const QByteArray& sql)
    : m_connection(connection)
{
    (void)m_connection.checked(
        PQexec(m_connection.handle(), sql.constData()), PGRES_COPY_IN, "Server refused the copy");
}

CopyIn::~CopyIn()
{
    if (m_done)
        return;
    pg_conn* connection = m_connection.handle();
    PQputCopyEnd(connection, "abandoned");
    while (pg_result* result = PQgetResult(connection))
        PQclear(result);
}

void CopyIn::send(const QByteArray& data)
{
    m_buffer += data;
    // Sent in pieces of some hundred kilobytes: one call a row costs more than the rows.
    if (m_buffer.size() < 256 * 1024)
        return;
    if (PQputCopyData(m_connection.handle(), m_buffer.constData(), int(m_buffer.size())) != 1)
        m_connection.raise(nullptr, "Copy to the server failed");
    m_buffer.clear();
}

void CopyIn::finish()
{
    pg_conn* connection = m_connection.handle();
    if (!m_buffer.isEmpty()
        && PQputCopyData(connection, m_buffer.constData(), int(m_buffer.size())) != 1)
        m_connection.raise(nullptr, "Copy to the server failed");
    m_buffer.clear();
    m_done = true;
    if (PQputCopyEnd(connection, nullptr) != 1)
        m_connection.raise(nullptr, "Copy to the server failed");
    pg_result* result = PQgetResult(connection);
    const PgResult finished(result);
    const bool ok = result && PQresultStatus(result) == PGRES_COMMAND_OK;
    while (pg_result* rest = PQgetResult(connection))
        PQclear(rest);
    if (!ok)
        m_connection.raise(result, "Copy to the server failed");
}

} // namespace kolvar::storage

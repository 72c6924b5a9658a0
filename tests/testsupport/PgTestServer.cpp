#include "PgTestServer.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace kolvar::test {

namespace {

const QString Superuser = QStringLiteral("kolvar");
// The superuser comes in freely, whatever rules a test sets for the other roles.
constexpr const char* SuperuserRules = "local all all trust\n"
                                       "host all kolvar 127.0.0.1/32 trust\n";

// The folder of initdb and pg_ctl: Debian keeps them out of PATH, one folder per version.
QString serverPrograms()
{
    const QStringList versions = QDir(QStringLiteral("/usr/lib/postgresql"))
                                     .entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (auto it = versions.rbegin(); it != versions.rend(); ++it) {
        const QString bin = QStringLiteral("/usr/lib/postgresql/%1/bin").arg(*it);
        if (QFile::exists(bin + QStringLiteral("/initdb")))
            return bin;
    }
    return {};
}

int freePort()
{
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    if (s < 0)
        return 0;
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = 0;
    if (::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0
        && ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    ::close(s);
    return port;
}

} // namespace

PgTestServer::PgTestServer(const QStringList& settings)
    : m_settings(settings)
{
    m_bin = serverPrograms();
    m_asRoot = ::geteuid() == 0;
    if (m_bin.isEmpty()) {
        m_failure = QStringLiteral("no PostgreSQL server programs in /usr/lib/postgresql");
        m_maySkip = !m_asRoot;
        return;
    }
    // Under root the server user has to reach the folder: /tmp, not a private TMPDIR.
    const QString parent = m_asRoot ? QStringLiteral("/tmp") : QDir::tempPath();
    m_dir = std::make_unique<QTemporaryDir>(parent + QStringLiteral("/kolvar-pg-XXXXXX"));
    if (!m_dir->isValid()) {
        m_failure = QStringLiteral("no temporary folder");
        return;
    }
    // The folder must be the server user's own: under root that is `postgres`.
    if (m_asRoot
        && QProcess::execute(
               QStringLiteral("chown"), { QStringLiteral("postgres:postgres"), m_dir->path() })
            != 0) {
        m_failure = QStringLiteral("cannot give the folder to the postgres user");
        return;
    }
    QString output;
    if (!runAsServerUser(m_bin + QStringLiteral("/initdb"),
            { QStringLiteral("-D"), m_dir->filePath(QStringLiteral("data")), QStringLiteral("-U"),
                Superuser, QStringLiteral("-E"), QStringLiteral("UTF8"),
                QStringLiteral("--locale=C"), QStringLiteral("--auth=trust"),
                QStringLiteral("--no-sync") },
            &output)) {
        m_failure = QStringLiteral("initdb failed: ") + output;
        return;
    }
    // The superuser comes in freely; every other role has to give its password.
    QFile hba(m_dir->filePath(QStringLiteral("data/pg_hba.conf")));
    if (!hba.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        m_failure = QStringLiteral("cannot write pg_hba.conf");
        return;
    }
    hba.write(SuperuserRules);
    hba.write("host all all 127.0.0.1/32 scram-sha-256\n");
    hba.close();
    start();
}

void PgTestServer::setHostRules(const QByteArray& hostRules) const
{
    QFile hba(m_dir->filePath(QStringLiteral("data/pg_hba.conf")));
    if (!hba.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return;
    hba.write(SuperuserRules);
    hba.write(hostRules);
    hba.close();
    (void)psql(QStringLiteral("postgres"), QStringLiteral("SELECT pg_reload_conf()"));
}

bool PgTestServer::useTls(const QString& certificateFile, const QString& keyFile) const
{
    // The server reads its key only when the file is its user's alone.
    const QString cert = m_dir->filePath(QStringLiteral("server.crt"));
    const QString key = m_dir->filePath(QStringLiteral("server.key"));
    if (!QFile::copy(certificateFile, cert) || !QFile::copy(keyFile, key)
        || !QFile::setPermissions(key, QFileDevice::ReadOwner | QFileDevice::WriteOwner))
        return false;
    if (m_asRoot
        && QProcess::execute(
               QStringLiteral("chown"), { QStringLiteral("postgres:postgres"), cert, key })
            != 0)
        return false;
    // ALTER SYSTEM runs alone, outside the transaction a statement list would make.
    const QStringList settings = { QStringLiteral("ssl_cert_file = '%1'").arg(cert),
        QStringLiteral("ssl_key_file = '%1'").arg(key), QStringLiteral("ssl = on") };
    for (const QString& setting : settings)
        if (psql(QStringLiteral("postgres"), QStringLiteral("ALTER SYSTEM SET ") + setting)
                .startsWith(u'<'))
            return false;
    return !psql(QStringLiteral("postgres"), QStringLiteral("SELECT pg_reload_conf()"))
                .startsWith(u'<');
}

PgTestServer::~PgTestServer()
{
    stop();
}

bool PgTestServer::runAsServerUser(
    const QString& program, const QStringList& arguments, QString* output) const
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setWorkingDirectory(m_dir ? m_dir->path() : QDir::tempPath());
    if (m_asRoot)
        process.start(QStringLiteral("runuser"),
            QStringList {
                QStringLiteral("-u"), QStringLiteral("postgres"), QStringLiteral("--"), program }
                + arguments);
    else
        process.start(program, arguments);
    const bool finished = process.waitForFinished(120000);
    if (output)
        *output = QString::fromLocal8Bit(process.readAll());
    return finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

void PgTestServer::start()
{
    if (m_running || !m_dir)
        return;
    for (int attempt = 0; attempt < 3 && !m_running; ++attempt) {
        if (m_port == 0 || attempt > 0)
            m_port = freePort();
        QString output;
        m_running = runAsServerUser(m_bin + QStringLiteral("/pg_ctl"),
            { QStringLiteral("-D"), m_dir->filePath(QStringLiteral("data")), QStringLiteral("-l"),
                m_dir->filePath(QStringLiteral("server.log")), QStringLiteral("-w"),
                QStringLiteral("-o"),
                QStringLiteral("-p %1 -k %2 -c listen_addresses=127.0.0.1 -c fsync=off")
                        .arg(m_port)
                        .arg(m_dir->path())
                    + (m_settings.isEmpty()
                            ? QString()
                            : QStringLiteral(" -c ") + m_settings.join(QStringLiteral(" -c "))),
                QStringLiteral("start") },
            &output);
        if (!m_running)
            m_failure = QStringLiteral("pg_ctl start failed: ") + output;
    }
}

void PgTestServer::stop()
{
    if (!m_running)
        return;
    (void)runAsServerUser(m_bin + QStringLiteral("/pg_ctl"),
        { QStringLiteral("-D"), m_dir->filePath(QStringLiteral("data")), QStringLiteral("-m"),
            QStringLiteral("immediate"), QStringLiteral("-w"), QStringLiteral("stop") });
    m_running = false;
}

QString PgTestServer::uri(const QString& database, const QString& user) const
{
    return QStringLiteral("postgresql://%1@127.0.0.1:%2/%3")
        .arg(user.isEmpty() ? Superuser : user)
        .arg(m_port)
        .arg(database);
}

QString PgTestServer::psql(const QString& database, const QString& sql) const
{
    return runPsql(database, { QStringLiteral("-c"), sql });
}

QString PgTestServer::psqlFile(
    const QString& database, const QString& file, const QStringList& variables) const
{
    QStringList arguments;
    for (const QString& variable : variables)
        arguments << QStringLiteral("-v") << variable;
    return runPsql(database, arguments << QStringLiteral("-f") << file);
}

QString PgTestServer::runPsql(const QString& database, const QStringList& arguments) const
{
    QProcess process;
    process.setProcessChannelMode(QProcess::SeparateChannels);
    // The superuser's own way in, whatever a test asks of the connections it opens itself.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("PGSSLMODE"));
    environment.remove(QStringLiteral("PGSSLROOTCERT"));
    process.setProcessEnvironment(environment);
    process.start(m_bin + QStringLiteral("/psql"),
        QStringList { QStringLiteral("-X"), QStringLiteral("-q"), QStringLiteral("-A"),
            QStringLiteral("-t"), QStringLiteral("-v"), QStringLiteral("ON_ERROR_STOP=1"),
            QStringLiteral("-d"), uri(database) }
            + arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return QStringLiteral("<psql failed: %1>")
            .arg(QString::fromUtf8(process.readAllStandardError()));
    QString out = QString::fromUtf8(process.readAllStandardOutput());
    if (out.endsWith(u'\n'))
        out.chop(1);
    return out;
}

void PgTestServer::createDatabase(const QString& name) const
{
    (void)psql(QStringLiteral("postgres"), QStringLiteral("CREATE DATABASE \"%1\"").arg(name));
}

void PgTestServer::createRole(const QString& name) const
{
    (void)psql(QStringLiteral("postgres"),
        QStringLiteral("CREATE ROLE \"%1\" LOGIN PASSWORD 'tajne'").arg(name));
}

} // namespace kolvar::test

#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

namespace kolvar::test {

// A PostgreSQL server of a test's own: a cluster made in a temporary folder, listening on a free
// localhost port and on a unix socket in that folder, stopped and removed with this object.
// PostgreSQL refuses to run as root, so under root (as in CI) the cluster belongs to the
// `postgres` system user and is run as that user.
class PgTestServer
{
public:
    // settings ("name=value") are the server's own beyond the test's defaults.
    explicit PgTestServer(const QStringList& settings = {});
    ~PgTestServer();
    PgTestServer(const PgTestServer&) = delete;
    PgTestServer& operator=(const PgTestServer&) = delete;

    [[nodiscard]] bool running() const { return m_running; }
    // Why the server is not running.
    [[nodiscard]] QString failure() const { return m_failure; }
    // Only a machine without the server's programs, where the tests cannot become the
    // `postgres` user either, may skip: CI runs as root with the programs installed.
    [[nodiscard]] bool maySkip() const { return m_maySkip; }

    // Connects as the cluster's superuser unless a user is named; that user's password is
    // "tajne" when the role was made by createRole.
    [[nodiscard]] QString uri(const QString& database, const QString& user = QString()) const;
    [[nodiscard]] int port() const { return m_port; }
    // Runs SQL through psql as the superuser; the output (tuples only, unaligned), or a text
    // starting with "<psql failed" that no expected value equals.
    QString psql(const QString& database, const QString& sql) const;
    void createDatabase(const QString& name) const;
    // A role that logs in with the password "tajne", only from localhost over TCP.
    void createRole(const QString& name) const;

    // Replaces every rule of pg_hba.conf but the test's own superuser's with hostRules, and
    // has the server read them.
    void setHostRules(const QByteArray& hostRules) const;
    // Turns TLS on with this certificate and key (PEM files), as an administrator would.
    [[nodiscard]] bool useTls(const QString& certificateFile, const QString& keyFile) const;
    // Runs a script file through psql as the superuser, with psql variables; psql's output, or
    // a text starting with "<psql failed".
    QString psqlFile(
        const QString& database, const QString& file, const QStringList& variables = {}) const;

    // For a test of a server that goes away mid-work, and comes back.
    void stop();
    void start();

private:
    [[nodiscard]] bool runAsServerUser(
        const QString& program, const QStringList& arguments, QString* output = nullptr) const;

    [[nodiscard]] QString runPsql(const QString& database, const QStringList& arguments) const;

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_bin;
    QStringList m_settings;
    int m_port = 0;
    bool m_asRoot = false;
    bool m_running = false;
    bool m_maySkip = false;
    QString m_failure;
};

} // namespace kolvar::test

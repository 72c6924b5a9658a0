#include "CaseStore.h"
#include "PgTestServer.h"
#include "ServerStore.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace kolvar::storage;
using kolvar::test::PgTestServer;

// The administrator's guide (docs/serwer.md with its script docs/serwer.sql) followed as written
// on a private server, from 127.0.0.1 instead of the office's network: each role can do exactly
// what the guide says, and the connections it means to refuse are refused.
class TestServerGuide : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void eachRoleDoesWhatTheGuideSays_data();
    void eachRoleDoesWhatTheGuideSays();
    void connectionsTheGuideShutOutAreRefused_data();
    void connectionsTheGuideShutOutAreRefused();

private:
    [[nodiscard]] QString uri(const QString& user) const
    {
        return m_server->uri(QStringLiteral("rejestr"), user);
    }

    std::unique_ptr<PgTestServer> m_server;
    QTemporaryDir m_certificates { QStringLiteral("/tmp/kolvar-tls-XXXXXX") };
};

namespace {

const QString Password = QStringLiteral("tajne");

QString guideFile(const char* name)
{
    return QStringLiteral(KOLVAR_SOURCE_DIR "/docs/") + QLatin1String(name);
}

// The guide's shell lines and pg_hba.conf rules, as an administrator would copy them.
QStringList guideLines(const QRegularExpression& wanted)
{
    QFile guide(guideFile("serwer.md"));
    if (!guide.open(QIODevice::ReadOnly))
        return {};
    QStringList lines;
    for (const QString& line : QString::fromUtf8(guide.readAll()).split(u'\n')) {
        const QRegularExpressionMatch match = wanted.match(line);
        if (match.hasMatch())
            lines << match.captured(1);
    }
    return lines;
}

bool run(const QString& program, const QStringList& arguments, const QString& folder)
{
    QProcess process;
    process.setWorkingDirectory(folder);
    process.start(program, arguments);
    return process.waitForFinished(60000) && process.exitCode() == 0;
}

// An office's certificate authority and the server's certificate it signs, made with the
// guide's openssl steps for the name the test reaches the server by.
bool makeCertificates(const QString& folder, const QString& authority)
{
    const QString subject = QStringLiteral("/CN=") + authority;
    return run(QStringLiteral("openssl"),
               { QStringLiteral("req"), QStringLiteral("-new"), QStringLiteral("-x509"),
                   QStringLiteral("-days"), QStringLiteral("2"), QStringLiteral("-nodes"),
                   QStringLiteral("-subj"), subject, QStringLiteral("-keyout"),
                   authority + QStringLiteral(".key"), QStringLiteral("-out"),
                   authority + QStringLiteral(".crt") },
               folder)
        && run(QStringLiteral("openssl"),
            { QStringLiteral("req"), QStringLiteral("-new"), QStringLiteral("-nodes"),
                QStringLiteral("-subj"), QStringLiteral("/CN=127.0.0.1"), QStringLiteral("-keyout"),
                QStringLiteral("server.key"), QStringLiteral("-out"),
                QStringLiteral("server.csr") },
            folder)
        && run(QStringLiteral("openssl"),
            { QStringLiteral("x509"), QStringLiteral("-req"), QStringLiteral("-in"),
                QStringLiteral("server.csr"), QStringLiteral("-CA"),
                authority + QStringLiteral(".crt"), QStringLiteral("-CAkey"),
                authority + QStringLiteral(".key"), QStringLiteral("-CAcreateserial"),
                QStringLiteral("-days"), QStringLiteral("2"), QStringLiteral("-extfile"),
                QStringLiteral("san.ext"), QStringLiteral("-out"), QStringLiteral("server.crt") },
            folder);
}

// libpq's settings of a desk as the guide sets them up, for the connections opened meanwhile.
class DeskSettings
{
public:
    DeskSettings(const QByteArray& mode, const QString& rootCertificate)
    {
        qputenv("PGSSLMODE", mode);
        qputenv("PGSSLROOTCERT", rootCertificate.toLocal8Bit());
    }
    ~DeskSettings()
    {
        qunsetenv("PGSSLMODE");
        qunsetenv("PGSSLROOTCERT");
    }
    DeskSettings(const DeskSettings&) = delete;
    DeskSettings& operator=(const DeskSettings&) = delete;
};

CaseRecord aCase(const QString& sender)
{
    CaseRecord record;
    record.termin = QStringLiteral("2026.12.08");
    record.nadawca = sender;
    return record;
}

} // namespace

void TestServerGuide::initTestCase()
{
    m_server = std::make_unique<PgTestServer>();
    if (!m_server->running()) {
        if (m_server->maySkip())
            QSKIP(qPrintable(m_server->failure()));
        QFAIL(qPrintable(m_server->failure()));
    }
    QVERIFY(m_certificates.isValid());
    const QString folder = m_certificates.path();
    {
        QFile san(m_certificates.filePath(QStringLiteral("san.ext")));
        QVERIFY(san.open(QIODevice::WriteOnly));
        san.write("subjectAltName=DNS:localhost,IP:127.0.0.1\n");
    }
    // The certificate of another authority is made first, so that the server's is the office's.
    QVERIFY(makeCertificates(folder, QStringLiteral("inny")));
    QVERIFY(makeCertificates(folder, QStringLiteral("root")));
    QVERIFY(m_server->useTls(m_certificates.filePath(QStringLiteral("server.crt")),
        m_certificates.filePath(QStringLiteral("server.key"))));

    // Step 3: the script, as the guide runs it.
    const QString script = m_server->psqlFile(QStringLiteral("postgres"), guideFile("serwer.sql"),
        { QStringLiteral("haslo=") + Password });
    QVERIFY2(!script.startsWith(u'<'), qPrintable(script));

    // Step 5: the users, with the guide's own commands.
    const QStringList users = guideLines(QRegularExpression(QStringLiteral("psql -c \"(.*)\"$")));
    QCOMPARE(users.size(), 2);
    for (QString user : users) {
        user.replace(QStringLiteral("'…'"), QLatin1Char('\'') + Password + QLatin1Char('\''));
        const QString made = m_server->psql(QStringLiteral("postgres"), user);
        QVERIFY2(!made.startsWith(u'<'), qPrintable(made));
    }
    m_server->createRole(QStringLiteral("obcy"));

    // Step 6: the rules, for this machine's address instead of the office's network.
    QStringList rules
        = guideLines(QRegularExpression(QStringLiteral("^\\s{4}((?:host|hostssl|local)\\s.*)$")));
    QCOMPARE(rules.size(), 5);
    QByteArray hostRules;
    for (QString rule : rules) {
        rule.replace(QStringLiteral("10.0.0.5/32"), QStringLiteral("127.0.0.1/32"));
        rule.replace(QStringLiteral("10.0.0.0/8"), QStringLiteral("127.0.0.1/32"));
        hostRules += rule.toUtf8() + '\n';
    }
    m_server->setHostRules(hostRules);

    // Step 4: the owner makes the table with Kolvar, from a desk set up as in step 2.
    const DeskSettings desk("verify-full", m_certificates.filePath(QStringLiteral("root.crt")));
    CreateServerRegister(
        uri(QStringLiteral("kolvar_wlasciciel")), Password, QStringLiteral("2026.12.08"));
}

void TestServerGuide::cleanupTestCase()
{
    m_server.reset();
}

void TestServerGuide::eachRoleDoesWhatTheGuideSays_data()
{
    QTest::addColumn<QString>("user");
    QTest::addColumn<bool>("mayWrite");
    QTest::addColumn<bool>("mayCompact");

    QTest::newRow("the owner: writes, and Regeneruj") << "kolvar_wlasciciel" << true << true;
    QTest::newRow("a clerk: reads and writes cases") << "jan" << true << false;
    QTest::newRow("a reader: reads only") << "ola" << false << false;
}

void TestServerGuide::eachRoleDoesWhatTheGuideSays()
{
    QFETCH(QString, user);
    QFETCH(bool, mayWrite);
    QFETCH(bool, mayCompact);

    const DeskSettings desk("verify-full", m_certificates.filePath(QStringLiteral("root.crt")));
    const CaseStorePtr store = OpenServerStore(uri(user), Password);
    QVERIFY(store->count() >= 1);
    QCOMPARE(store->mayWrite(), mayWrite);
    if (mayWrite) {
        const std::int64_t id = store->addCase(aCase(user));
        const std::optional<CaseRecord> added = store->readCase(id);
        QVERIFY(added);
        store->saveCase(id, *added, aCase(user + QStringLiteral(" po zmianie")), AllCaseFields);
        const std::optional<CaseRecord> saved = store->readCase(id);
        QVERIFY(saved);
        QCOMPARE(saved->nadawca, user + QStringLiteral(" po zmianie"));
        store->deleteCase(id, *saved);
        QVERIFY(!store->readCase(id));
    } else {
        QVERIFY_THROWS_EXCEPTION(StoreError, store->addCase(aCase(user)));
    }
    if (mayCompact)
        QVERIFY(store->compact().contains(QStringLiteral("został uporządkowany")));
    else
        QVERIFY_THROWS_EXCEPTION(StoreError, store->compact());
}

void TestServerGuide::connectionsTheGuideShutOutAreRefused_data()
{
    QTest::addColumn<QString>("user");
    QTest::addColumn<QByteArray>("sslMode");
    QTest::addColumn<QString>("rootCertificate");

    QTest::newRow("a role in neither group") << "obcy" << QByteArray("verify-full") << "root.crt";
    QTest::newRow("a clerk without encryption") << "jan" << QByteArray("disable") << "root.crt";
    QTest::newRow("a clerk, the server's certificate not the office's")
        << "jan" << QByteArray("verify-full") << "inny.crt";
}

void TestServerGuide::connectionsTheGuideShutOutAreRefused()
{
    QFETCH(QString, user);
    QFETCH(QByteArray, sslMode);
    QFETCH(QString, rootCertificate);

    const DeskSettings desk(sslMode, m_certificates.filePath(rootCertificate));
    QVERIFY_THROWS_EXCEPTION(StoreError, (void)OpenServerStore(uri(user), Password));
}

QTEST_GUILESS_MAIN(TestServerGuide)
#include "tst_serverguide.moc"

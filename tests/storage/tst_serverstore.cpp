#include "CaseStore.h"
#include "CaseTable.h"
#include "Cp1250.h"
#include "PgConnection.h"
#include "PgTestServer.h"
#include "ServerStore.h"
#include "StorageTestSupport.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <poll.h>

using namespace kolvar::storage;
using kolvar::test::PgTestServer;

// Registers on a real PostgreSQL server of the test's own.
class TestServerStore : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void secondWriterIsToldWhatTheFirstStored_data();
    void secondWriterIsToldWhatTheFirstStored();
    void writingOverTheirsNeedsWhatTheyStored();
    void changesReachTheOtherDesk();
    void readerRoleOpensReadOnlyAndCannotWrite();
    void passwordIsAskedOnlyWhenTheServerWantsOne();
    void lostConnectionSaysSoAndTheNextCommandReconnects();
    void lockHeldElsewhereTimesOutAsInUse();
    void databasesThatHoldNoRegisterAreRefusedUnchanged_data();
    void databasesThatHoldNoRegisterAreRefusedUnchanged();
    void hostileRegisterMovesToTheServerAndBackByteForByte();
    void listedTextsAreWhatTheEditorWouldStore_data();
    void listedTextsAreWhatTheEditorWouldStore();
    void moveIntoADatabaseWithARegisterCopiesNothing();
    void addressSurvivesItsUri_data();
    void addressSurvivesItsUri();

private:
    [[nodiscard]] QString uri(const QString& user = QString()) const
    {
        return m_server->uri(m_database, user);
    }

    std::unique_ptr<PgTestServer> m_server;
    QString m_database;
    int m_databases = 0;
};

namespace {

CaseRecord withSender(CaseRecord record, const QString& sender)
{
    record.nadawca = sender;
    return record;
}

bool readableWithin(int socket, int milliseconds)
{
    pollfd watched { socket, POLLIN, 0 };
    return ::poll(&watched, 1, milliseconds) > 0;
}

// Every byte a register's text may hold, a NUL too; nothing of a code page left out.
QByteArray everyByte()
{
    return kolvar::test::allBytes();
}

} // namespace

void TestServerStore::initTestCase()
{
    m_server = std::make_unique<PgTestServer>();
    if (!m_server->running() && m_server->maySkip())
        QSKIP(qPrintable(m_server->failure()));
    QVERIFY2(m_server->running(), qPrintable(m_server->failure()));
}

void TestServerStore::init()
{
    // A database of its own for each test: nothing carries over.
    m_database = QStringLiteral("rejestr%1").arg(++m_databases);
    m_server->createDatabase(m_database);
    CreateServerRegister(uri(), {}, QStringLiteral("2024-03-15"));
}

void TestServerStore::cleanup()
{
    if (!m_server->running())
        m_server->start();
}

void TestServerStore::cleanupTestCase()
{
    m_server.reset();
}

void TestServerStore::secondWriterIsToldWhatTheFirstStored_data()
{
    QTest::addColumn<bool>("theyDelete");
    QTest::addColumn<bool>("iDelete");
    QTest::newRow("they saved, I save") << false << false;
    QTest::newRow("they saved, I delete") << false << true;
    QTest::newRow("they deleted, I save") << true << false;
    QTest::newRow("they deleted, I delete") << true << true;
}

void TestServerStore::secondWriterIsToldWhatTheFirstStored()
{
    QFETCH(bool, theyDelete);
    QFETCH(bool, iDelete);
    const CaseStorePtr mine = OpenServerStore(uri());
    const CaseStorePtr theirs = OpenServerStore(uri());
    const CaseRecord shownToMe = *mine->readCase(1);
    const CaseRecord shownToThem = *theirs->readCase(1);
    if (theyDelete)
        theirs->deleteCase(1, shownToThem);
    else
        theirs->saveCase(
            1, shownToThem, withSender(shownToThem, QStringLiteral("Tekst A")), AllCaseFields);

    std::optional<CaseConflict> conflict;
    try {
        if (iDelete)
            mine->deleteCase(1, shownToMe);
        else
            mine->saveCase(
                1, shownToMe, withSender(shownToMe, QStringLiteral("Tekst B")), AllCaseFields);
    } catch (const CaseConflict& e) {
        conflict = e;
    }
    QVERIFY(conflict);
    QCOMPARE(conflict->theirs().has_value(), !theyDelete);
    if (!theyDelete)
        QCOMPARE(conflict->theirs()->nadawca, QStringLiteral("Tekst A"));
    QCOMPARE(m_server->psql(m_database,
                 QStringLiteral("SELECT count(*), string_agg(nadawca, ',') "
                                "FROM kolvar")),
        theyDelete ? QStringLiteral("0|") : QStringLiteral("1|Tekst A"));
}

void TestServerStore::writingOverTheirsNeedsWhatTheyStored()
{
    const CaseStorePtr mine = OpenServerStore(uri());
    const CaseStorePtr theirs = OpenServerStore(uri());
    const CaseRecord shown = *mine->readCase(1);
    CaseRecord theirText = withSender(shown, QStringLiteral("Tekst A"));
    theirText.termin = QStringLiteral("2025-01-01");
    theirs->saveCase(1, shown, theirText, AllCaseFields);
    CaseRecord stored;
    try {
        mine->saveCase(1, shown, withSender(shown, QStringLiteral("Tekst B")), AllCaseFields);
        QFAIL("the second save was not refused");
    } catch (const CaseConflict& e) {
        stored = *e.theirs();
    }
    // "Write mine" writes the field the user changed, over what they stored, and only that.
    const CaseFields onlyNadawca = { false, true, false, false, false, false, false };
    mine->saveCase(1, stored, withSender(shown, QStringLiteral("Tekst B")), onlyNadawca);
    QCOMPARE(m_server->psql(m_database, QStringLiteral("SELECT termin, nadawca FROM kolvar")),
        QStringLiteral("2025-01-01|Tekst B"));
}

void TestServerStore::changesReachTheOtherDesk()
{
    const CaseStorePtr writer = OpenServerStore(uri());
    const CaseStorePtr watcher = OpenServerStore(uri());
    QVERIFY(watcher->changeSocket() >= 0);
    QVERIFY(watcher->takeChanges().empty());

    const std::int64_t added = writer->addCase(withSender(CaseRecord {}, QStringLiteral("Nowy")));
    const CaseRecord shown = *writer->readCase(added);
    writer->saveCase(added, shown, withSender(shown, QStringLiteral("Zmieniony")), AllCaseFields);
    writer->deleteCase(added, *writer->readCase(added));

    std::vector<CaseChange> seen;
    while (seen.size() < 3 && readableWithin(watcher->changeSocket(), 1000)) {
        for (const CaseChange& change : watcher->takeChanges())
            seen.push_back(change);
    }
    QCOMPARE(seen.size(), std::size_t(3));
    QCOMPARE(seen[0].kind, CaseChange::Kind::Added);
    QCOMPARE(seen[1].kind, CaseChange::Kind::Saved);
    QCOMPARE(seen[2].kind, CaseChange::Kind::Deleted);
    for (const CaseChange& change : seen)
        QCOMPARE(change.id, added);
    // A desk is not told of its own writes.
    QVERIFY(writer->takeChanges().empty());
}

void TestServerStore::readerRoleOpensReadOnlyAndCannotWrite()
{
    m_server->createRole(QStringLiteral("czytelnik"));
    m_server->psql(m_database, QStringLiteral("GRANT SELECT ON kolvar TO czytelnik"));
    const CaseStorePtr reader
        = OpenServerStore(uri(QStringLiteral("czytelnik")), QStringLiteral("tajne"));
    QCOMPARE(reader->writeRefusal(), WriteRefusal::RoleReadOnly);
    QCOMPARE(reader->count(), 1);
    const CaseRecord shown = *reader->readCase(1);
    try {
        reader->saveCase(1, shown, withSender(shown, QStringLiteral("Nie wolno")), AllCaseFields);
        QFAIL("the server took a reader's write");
    } catch (const EServerException& e) {
        QCOMPARE(e.kind(), ServerFailure::Privilege);
    }
    QCOMPARE(m_server->psql(m_database, QStringLiteral("SELECT nadawca FROM kolvar")),
        QStringLiteral("Pusty"));
    QVERIFY(OpenServerStore(uri())->mayWrite());
}

void TestServerStore::passwordIsAskedOnlyWhenTheServerWantsOne()
{
    m_server->createRole(QStringLiteral("urzednik"));
    m_server->psql(m_database, QStringLiteral("GRANT ALL ON kolvar TO urzednik"));
    try {
        (void)OpenServerStore(uri(QStringLiteral("urzednik")));
        QFAIL("opened without the password");
    } catch (const EServerException& e) {
        QCOMPARE(e.kind(), ServerFailure::PasswordNeeded);
    }
    try {
        (void)OpenServerStore(uri(QStringLiteral("urzednik")), QStringLiteral("złe"));
        QFAIL("opened with a wrong password");
    } catch (const EServerException& e) {
        QCOMPARE(e.kind(), ServerFailure::Login);
    }
    QVERIFY(OpenServerStore(uri(QStringLiteral("urzednik")), QStringLiteral("tajne"))->mayWrite());
    // The superuser's line of pg_hba.conf asks for none.
    QVERIFY(OpenServerStore(uri()));
}

void TestServerStore::lostConnectionSaysSoAndTheNextCommandReconnects()
{
    const CaseStorePtr store = OpenServerStore(uri());
    const CaseRecord shown = *store->readCase(1);
    const std::int64_t stampBefore = store->changeStamp();
    m_server->stop();
    try {
        store->saveCase(1, shown, withSender(shown, QStringLiteral("Utracony")), AllCaseFields);
        QFAIL("a save without a server was claimed");
    } catch (const EServerException& e) {
        QCOMPARE(e.kind(), ServerFailure::Connection);
    }
    QVERIFY_THROWS_EXCEPTION(EServerException, (void)store->count());
    m_server->start();
    store->saveCase(1, shown, withSender(shown, QStringLiteral("Po powrocie")), AllCaseFields);
    QCOMPARE(m_server->psql(m_database, QStringLiteral("SELECT nadawca FROM kolvar")),
        QStringLiteral("Po powrocie"));
    // What others announced while it was away is lost: the list has to load anew.
    QVERIFY(store->changeStamp() != stampBefore);
}

void TestServerStore::lockHeldElsewhereTimesOutAsInUse()
{
    const CaseStorePtr store = OpenServerStore(uri());
    const CaseRecord shown = *store->readCase(1);
    QProcess holder;
    holder.start(QStringLiteral("psql"),
        { QStringLiteral("-X"), QStringLiteral("-q"), QStringLiteral("-d"), uri(),
            QStringLiteral("-c"),
            QStringLiteral("BEGIN; UPDATE kolvar SET nadawca = 'trzyma'; SELECT pg_sleep(8);") });
    QVERIFY(holder.waitForStarted());
    QTRY_COMPARE_WITH_TIMEOUT(m_server->psql(m_database,
                                  QStringLiteral("SELECT count(*) FROM pg_locks l JOIN pg_class c "
                                                 "ON c.oid = l.relation WHERE c.relname = "
                                                 "'kolvar' AND l.mode = 'RowExclusiveLock'")),
        QStringLiteral("1"), 5000);
    try {
        store->saveCase(1, shown, withSender(shown, QStringLiteral("Czekam")), AllCaseFields);
        QFAIL("a save under another desk's lock went through");
    } catch (const EServerException& e) {
        QCOMPARE(e.kind(), ServerFailure::InUse);
        QCOMPARE(e.sqlState(), QByteArray("55P03"));
    }
    holder.kill();
    holder.waitForFinished();
}

void TestServerStore::databasesThatHoldNoRegisterAreRefusedUnchanged_data()
{
    QTest::addColumn<QString>("sql");
    QTest::newRow("no table") << "DROP TABLE kolvar";
    QTest::newRow("a column missing") << "ALTER TABLE kolvar DROP COLUMN adnotacje";
    QTest::newRow("no row version") << "ALTER TABLE kolvar DROP COLUMN wersja";
    QTest::newRow("a text column of another type")
        << "ALTER TABLE kolvar ALTER COLUMN nadawca TYPE varchar(40)";
    QTest::newRow("a column more") << "ALTER TABLE kolvar ADD COLUMN pilne boolean";
}

void TestServerStore::databasesThatHoldNoRegisterAreRefusedUnchanged()
{
    QFETCH(QString, sql);
    QCOMPARE(m_server->psql(m_database, sql), QString());
    const QString before = m_server->psql(m_database,
        QStringLiteral("SELECT string_agg(column_name || ' ' || data_type, ',' ORDER BY "
                       "ordinal_position) FROM information_schema.columns WHERE table_name = "
                       "'kolvar'"));
    try {
        (void)OpenServerStore(uri());
        QFAIL("opened a database that holds no register");
    } catch (const EServerException& e) {
        QCOMPARE(e.kind(), ServerFailure::NotARegister);
    }
    QCOMPARE(m_server->psql(m_database,
                 QStringLiteral("SELECT string_agg(column_name || ' ' || data_type, ',' ORDER "
                                "BY ordinal_position) FROM information_schema.columns WHERE "
                                "table_name = 'kolvar'")),
        before);
}

void TestServerStore::hostileRegisterMovesToTheServerAndBackByteForByte()
{
    QTemporaryDir dir;
    const QString original = dir.filePath(QStringLiteral("wrogi.db"));
    const QByteArray bytes = everyByte();
    {
        const ISQLiteDatabasePtr db = OpenDatabase(original, OpenMode::Create);
        CaseTable::CreateTable(*db);
        // Every byte in the unlimited columns, the code page's letters in the short ones, NULLs
        // beside empty texts, lone and paired line breaks.
        db->RunStatement(QStringLiteral("INSERT INTO kolvar VALUES (7, NULL, '', NULL, '', "
                                        "NULL, NULL, '')"));
        db->RunStatement(QStringLiteral("INSERT INTO kolvar VALUES (9, ?, ?, ?, ?, ?, ?, ?)"),
            { QStringLiteral("2024\r\n03"), fromCp1250(bytes.mid(0xA0, 40)),
                fromCp1250(bytes.mid(0x80, 120)), fromCp1250(bytes.mid(1, 120)),
                QStringLiteral("a\rb\nc\td\\e"), fromCp1250(bytes),
                fromCp1250(bytes + "\r\n" + bytes) });
        db->RunStatement(QStringLiteral("INSERT INTO kolvar VALUES (12, 'ąćęłńóśźż', "
                                        "'ĄĆĘŁŃÓŚŹŻ', ?, NULL, '', ?, NULL)"),
            { QString(QChar(u'\0')) + QStringLiteral("po NUL"),
                QStringLiteral("\"; DROP TABLE kolvar; --") });
    }
    // init made a register in this database; a move needs one without.
    QCOMPARE(m_server->psql(m_database, QStringLiteral("DROP TABLE kolvar")), QString());
    QCOMPARE(MoveToServer(original, uri(), {}), 3);

    const CaseStorePtr store = OpenServerStore(uri());
    QCOMPARE(store->count(), 3);
    // The server's own new IDs come after the copied ones.
    QCOMPARE(store->addCase(withSender(CaseRecord {}, QStringLiteral("nowy"))), 13);
    const QString back = dir.filePath(QStringLiteral("z_serwera.db"));
    QCOMPARE(store->backUp(back), 4);

    const ISQLiteDatabasePtr a = OpenDatabase(original);
    const ISQLiteDatabasePtr b = OpenDatabase(back);
    const ISQLiteTablePtr left = a->RunQuery(QStringLiteral("SELECT * FROM kolvar ORDER BY ID"));
    const ISQLiteTablePtr right
        = b->RunQuery(QStringLiteral("SELECT * FROM kolvar WHERE ID < 13 ORDER BY ID"));
    QCOMPARE(right->RowTotal(), left->RowTotal());
    for (left->GoFirst(), right->GoFirst(); !left->AtEnd();
         left->StepForward(), right->StepForward()) {
        QCOMPARE(right->CellInt64(0), left->CellInt64(0));
        for (int col = 1; col < 8; ++col) {
            QCOMPARE(right->CellIsNull(col), left->CellIsNull(col));
            QCOMPARE(right->CellBytes(col).toByteArray(), left->CellBytes(col).toByteArray());
        }
    }
}

void TestServerStore::listedTextsAreWhatTheEditorWouldStore_data()
{
    QTest::addColumn<QString>("text"); // a null QString stands for NULL

    QTest::newRow("NULL") << QString();
    QTest::newRow("empty") << QStringLiteral("");
    QTest::newRow("NUL bytes") << QStringView(u"\0a\0\0b\0", 6).toString();
    QTest::newRow("CR/LF and lone breaks") << QStringLiteral("a\r\nb\rc\nd\r\n");
    QTest::newRow("tabs and backslashes COPY escapes") << QStringLiteral("\\N\t\\\\t\\\tx\\");
    QTest::newRow("long plain runs broken by a tab, a backslash, a letter")
        << QStringLiteral("abcdefghi\tjklmnopqrs\\tuvwxyz0123łabcdefgh12345678\r\n");
    QTest::newRow("controls COPY escapes") << QStringLiteral("\b\f\v\x01\x1b\x7f");
    QTest::newRow("every byte of the code page") << fromCp1250(everyByte());
    QTest::newRow("characters the code page cannot hold") << QStringLiteral("ÿ✓Ω\\😀ǅ\t€ł");
}

void TestServerStore::listedTextsAreWhatTheEditorWouldStore()
{
    QFETCH(QString, text);
    // Written as another client would, so that NULL and every character reach the server.
    const QString value = text.isNull() ? QStringLiteral("NULL")
                                        : QStringLiteral("convert_from(decode('%1', 'hex'), "
                                                         "'UTF8')")
                                              .arg(QString::fromLatin1(textToServer(text).toHex()));
    QCOMPARE(m_server->psql(m_database,
                 QStringLiteral("INSERT INTO kolvar (id, termin, szczegoly, adnotacje) VALUES "
                                "(5, 'x', %1, 'koniec')")
                     .arg(value)),
        QString());
    // What the list held before it was read in one pass: the server's texts as the editor's text,
    // then that in the code page.
    const QByteArray expected = toCp1250(text);
    QCOMPARE(serverToCp1250(textToServer(text)), expected);

    const CaseStorePtr store = OpenServerStore(uri());
    for (const int order : { 0, 2, 3, 4 }) {
        bool seen = false;
        (void)store->listRows(order, [&](const CaseRow& row) {
            if (row.text(0) != QByteArrayView("5"))
                return;
            seen = true;
            QCOMPARE(row.isNull(6), text.isNull());
            QCOMPARE(row.text(6).toByteArray(), expected);
            QCOMPARE(row.text(7).toByteArray(), QByteArray("koniec"));
            QVERIFY(row.isNull(3));
        });
        QVERIFY2(seen, qPrintable(QStringLiteral("order %1").arg(order)));
    }
    const std::unique_ptr<const CaseRow> one = store->caseRow(5);
    QVERIFY(one);
    QCOMPARE(one->text(6).toByteArray(), expected);
    QCOMPARE(one->isNull(6), text.isNull());
}

void TestServerStore::moveIntoADatabaseWithARegisterCopiesNothing()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("plik.db"));
    {
        const ISQLiteDatabasePtr db = OpenDatabase(file, OpenMode::Create);
        CaseTable::CreateTable(*db);
        CaseTable::InsertSeedCase(*db, QStringLiteral("2024-01-01"));
    }
    try {
        (void)MoveToServer(file, uri(), {});
        QFAIL("copied into a database that holds a register");
    } catch (const EServerException& e) {
        QCOMPARE(e.kind(), ServerFailure::Occupied);
    }
    QCOMPARE(m_server->psql(m_database, QStringLiteral("SELECT count(*) FROM kolvar")),
        QStringLiteral("1"));
}

void TestServerStore::addressSurvivesItsUri_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("user");
    QTest::addColumn<bool>("tls");
    QTest::addColumn<QString>("shown");
    QTest::newRow("host name, TLS")
        << "serwer.urzad.pl" << 5433 << "jan" << true << "rejestr@serwer.urzad.pl";
    QTest::newRow("Polish user name")
        << "10.0.0.5" << 5432 << "łucja" << false << "rejestr@10.0.0.5";
    QTest::newRow("unix socket folder")
        << "/var/run/postgresql" << 5432 << "" << false << "rejestr@/var/run/postgresql";
}

void TestServerStore::addressSurvivesItsUri()
{
    QFETCH(QString, host);
    QFETCH(int, port);
    QFETCH(QString, user);
    QFETCH(bool, tls);
    QFETCH(QString, shown);
    const ServerAddress address { host, port, QStringLiteral("rejestr"), user, tls };
    const QString uri = address.uri();
    QVERIFY(!uri.contains(QLatin1String("password")));
    QCOMPARE(ServerAddress::fromUri(uri), address);
    QCOMPARE(address.displayName(), shown);
}

QTEST_APPLESS_MAIN(TestServerStore)
#include "tst_serverstore.moc"

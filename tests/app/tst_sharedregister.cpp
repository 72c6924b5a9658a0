#include "AppFixture.h"

#include "CaseEditor.h"
#include "CaseStore.h"
#include "Cp1250.h"
#include "MainWindow.h"
#include "PgTestServer.h"
#include "ServerStore.h"
#include "SortableGrid.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QtTest>

using namespace kolvar;
using namespace kolvar::test;
using storage::CaseRecord;

// Two programs on one register, a file or a server's: nobody's save is lost without a word, and
// every list shows what the register holds.
class TestSharedRegister : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void secondSaveAsksWithWhatTheFirstStored_data();
    void secondSaveAsksWithWhatTheFirstStored();
    void deleteOfACaseChangedElsewhereAsks_data();
    void deleteOfACaseChangedElsewhereAsks();
    void commandsSeeCasesAnotherProgramAdded_data();
    void commandsSeeCasesAnotherProgramAdded();
    void serverListsShowEachOthersChanges();
    void readerRoleOpensReadOnly();
    void serverRegisterIsRememberedWithoutPassword();
    void lostConnectionKeepsTheTypingAndTheNextSaveReconnects();
    void serverFaultsAtStartAreSaidInPolish_data();
    void serverFaultsAtStartAreSaidInPolish();
    void reloadKeepsTheServerConnectionWhileItLives_data();
    void reloadKeepsTheServerConnectionWhileItLives();
    void moveToServerCopiesAllOrNothing_data();
    void moveToServerCopiesAllOrNothing();
    void backupOfAServerRegisterIsARegisterFile();
    void newServerRegisterIsConfirmed();

private:
    std::unique_ptr<PgTestServer> m_server;
    int m_databases = 0;
    QString serverRegister(const QList<CaseRecord>& cases);
    // The server process serving the window's connection to database; empty when none does.
    [[nodiscard]] QString backendOf(const QString& database) const;
};

namespace {

// Opens case 1 in the editor of f and types a sender.
void typeSender(AppFixture& f, const QString& sender)
{
    f.clickRow(1);
    f.mainWindow().editCurrentCase();
    f.caseEditor().setFieldText(EditorField::Nadawca, sender);
}

// A case holding what a register's texts may: Polish letters of both cases, line breaks, a tab,
// backslashes and a NUL.
CaseRecord hostileCase()
{
    CaseRecord c;
    c.termin = QStringLiteral("2024.05.06");
    c.nadawca = QStringLiteral("Źdźbło Łąckie\tśćń");
    c.dotyczy = QStringLiteral("wiersz 1\r\nwiersz 2\rstary Mac\nUnix \\N \\");
    c.szczegoly = QString(QChar(u'\0')) + QStringLiteral("po NUL: ĄĆĘŁŃÓŚŹŻ ąćęłńóśźż € „”");
    return c;
}

// Every case of a register as the list reads it: the ID, then each text's code-page bytes, a
// NULL told from an empty text by what is stored (an empty memo of a file reads as NULL).
QList<QByteArrayList> casesAsStored(storage::ICaseStore& store)
{
    QList<QByteArrayList> cases;
    (void)store.listRows(0, [&](const storage::CaseRow& row) {
        QByteArrayList texts { row.text(0).toByteArray() };
        for (int col = 1; col < 8; ++col)
            texts += row.storedType(col) == storage::StoredType::Null
                ? QByteArray("NULL")
                : "'" + row.text(col).toByteArray() + "'";
        cases += texts;
    });
    return cases;
}

ServerChoice choiceFor(const QString& uri)
{
    const storage::ServerAddress address = *storage::ServerAddress::fromUri(uri);
    return { address.host, address.port, address.database, address.user, address.requireTls };
}

} // namespace

void TestSharedRegister::initTestCase()
{
    m_server = std::make_unique<PgTestServer>();
}

void TestSharedRegister::cleanupTestCase()
{
    m_server.reset();
}

QString TestSharedRegister::serverRegister(const QList<CaseRecord>& cases)
{
    if (!m_server->running() && m_server->maySkip())
        return {};
    const QString name = QStringLiteral("wspolny%1").arg(++m_databases);
    m_server->createDatabase(name);
    const QString uri = m_server->uri(name);
    storage::CreateServerRegister(uri, {}, QStringLiteral("2024.01.01"));
    const storage::CaseStorePtr store = storage::OpenServerStore(uri);
    store->deleteCase(1, *store->readCase(1));
    for (const CaseRecord& c : cases)
        (void)store->addCase(c);
    return uri;
}

void TestSharedRegister::secondSaveAsksWithWhatTheFirstStored_data()
{
    QTest::addColumn<bool>("onServer");
    QTest::addColumn<DialogButton>("answer");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("editorShows");
    QTest::newRow("file, keep theirs") << false << DialogButton::No << "Tekst A"
                                       << "Tekst A";
    QTest::newRow("file, write mine") << false << DialogButton::Yes << "Tekst B"
                                      << "Tekst B";
    QTest::newRow("server, keep theirs") << true << DialogButton::No << "Tekst A"
                                         << "Tekst A";
    QTest::newRow("server, write mine") << true << DialogButton::Yes << "Tekst B"
                                        << "Tekst B";
    QTest::newRow("file, back to editing") << false << DialogButton::BackToEditing << "Tekst A"
                                           << "Tekst B";
    QTest::newRow("server, back to editing") << true << DialogButton::BackToEditing << "Tekst A"
                                             << "Tekst B";
}

void TestSharedRegister::secondSaveAsksWithWhatTheFirstStored()
{
    QFETCH(bool, onServer);
    QFETCH(DialogButton, answer);
    QFETCH(QString, stored);
    QFETCH(QString, editorShows);
    AppFixture a;
    QString where;
    if (onServer) {
        where = serverRegister(threeCases());
        if (where.isEmpty())
            QSKIP(qPrintable(m_server->failure()));
    } else {
        a.makeRegister(QStringLiteral("rejestr.db"), threeCases());
        where = a.path(QStringLiteral("rejestr.db"));
    }
    a.start(where);
    AppFixture b;
    b.start(where);
    typeSender(a, QStringLiteral("Tekst A"));
    typeSender(b, QStringLiteral("Tekst B"));
    const std::int64_t id = b.mainWindow().currentId();
    a.mainWindow().saveChanges();

    // Both fixtures' dialogs are B's now: the last one made stands in for every dialog.
    b.dialogs.clear();
    b.dialogs.answers.push_back(answer);
    // A box hands the focus back to the window it was shown over; the list may have had it.
    b.dialogs.onShow = [&](const ScriptedDialogs::Shown&) { b.mainWindow().activateWindow(); };
    b.mainWindow().saveChanges();
    QVERIFY(!b.dialogs.shown.isEmpty());
    const ScriptedDialogs::Shown question = b.dialogs.shown.first();
    QCOMPARE(question.kind, ScriptedDialogs::Shown::Question);
    // Both sides' changes under the editor's captions; Enter and Escape overwrite nobody's work.
    QVERIFY2(question.text.contains(QStringLiteral("Zmienione tam (teraz w bazie):\nNadawca: "
                                                   "Tekst A\n\nTwoje zmiany:\nNadawca: Tekst B\n")),
        qPrintable(question.text));
    QCOMPARE(question.buttons,
        QList({ DialogButton::Yes, DialogButton::No, DialogButton::BackToEditing }));
    QCOMPARE(question.enterButton, DialogButton::No);
    QCOMPARE(question.parent, &b.caseEditor());
    if (answer != DialogButton::Yes) {
        QVERIFY(b.caseEditor().isVisible());
        QTRY_VERIFY(b.caseEditor().isActiveWindow());
        QCOMPARE(b.caseEditor().fieldChanged(EditorField::Nadawca),
            answer == DialogButton::BackToEditing);
    }
    const std::optional<CaseRecord> now = onServer ? storage::OpenServerStore(where)->readCase(id)
                                                   : storage::OpenFileStore(where)->readCase(id);
    QCOMPARE(now->nadawca, stored);
    if (b.caseEditor().isVisible())
        QCOMPARE(b.caseEditor().fieldText(EditorField::Nadawca), editorShows);
    QVERIFY(b.mainWindow().caseGrid()->cells(3, b.mainWindow().caseGrid()->row()) == stored
        || b.mainWindow().caseGrid()->cells(3, 1) == stored
        || b.mainWindow().caseGrid()->cells(3, 2) == stored
        || b.mainWindow().caseGrid()->cells(3, 3) == stored);
}

void TestSharedRegister::deleteOfACaseChangedElsewhereAsks_data()
{
    QTest::addColumn<bool>("theyDelete");
    QTest::addColumn<DialogButton>("answer");
    QTest::addColumn<int>("casesLeft");
    // What the editor shows afterwards, with the focus; empty when it closed.
    QTest::addColumn<QString>("editorShows");
    QTest::newRow("changed, delete anyway") << false << DialogButton::Yes << 2 << "";
    QTest::newRow("changed, keep it") << false << DialogButton::No << 3 << "Zmieniony";
    QTest::newRow("changed, back to editing")
        << false << DialogButton::BackToEditing << 3 << "Adam";
    QTest::newRow("deleted already") << true << DialogButton::Yes << 2 << "";
}

void TestSharedRegister::deleteOfACaseChangedElsewhereAsks()
{
    QFETCH(bool, theyDelete);
    QFETCH(DialogButton, answer);
    QFETCH(int, casesLeft);
    QFETCH(QString, editorShows);
    AppFixture a;
    a.makeRegister(QStringLiteral("rejestr.db"), threeCases());
    const QString where = a.path(QStringLiteral("rejestr.db"));
    a.start(where);
    a.clickRow(1);
    a.mainWindow().editCurrentCase();
    const std::int64_t id = a.mainWindow().currentId();
    {
        const storage::CaseStorePtr other = storage::OpenFileStore(where);
        const CaseRecord shown = *other->readCase(id);
        if (theyDelete) {
            other->deleteCase(id, shown);
        } else {
            CaseRecord changed = shown;
            changed.nadawca = QStringLiteral("Zmieniony");
            other->saveCase(id, shown, changed, storage::AllCaseFields);
        }
    }
    a.dialogs.clear();
    a.dialogs.answers = { DialogButton::Yes, answer };
    a.dialogs.onShow = [&](const ScriptedDialogs::Shown&) { a.mainWindow().activateWindow(); };
    a.mainWindow().deleteCurrentCase();
    QCOMPARE(storage::OpenFileStore(where)->count(), casesLeft);
    QCOMPARE(a.caseEditor().isVisible(), !editorShows.isEmpty());
    if (!editorShows.isEmpty()) {
        QCOMPARE(a.caseEditor().fieldText(EditorField::Nadawca), editorShows);
        QTRY_VERIFY(a.caseEditor().isActiveWindow());
        QCOMPARE(a.dialogs.shown.at(1).enterButton, DialogButton::No);
    }
    QCOMPARE(a.mainWindow().countLabel()->text(), QString::number(casesLeft));
    const QString said = a.dialogs.texts().join(u'\n');
    QVERIFY2(theyDelete ? said.contains(QStringLiteral("nie ma go już w bazie"))
                        : said.contains(QStringLiteral("Nadawca: Zmieniony")),
        qPrintable(said));
}

void TestSharedRegister::commandsSeeCasesAnotherProgramAdded_data()
{
    QTest::addColumn<QString>("command");
    QTest::newRow("export") << "export";
    QTest::newRow("sort") << "sort";
    QTest::newRow("search") << "search";
}

void TestSharedRegister::commandsSeeCasesAnotherProgramAdded()
{
    QFETCH(QString, command);
    AppFixture a;
    a.makeRegister(QStringLiteral("rejestr.db"), threeCases());
    const QString where = a.path(QStringLiteral("rejestr.db"));
    a.start(where);
    a.clickRow(2);
    const QString currentId = a.mainWindow().idEdit()->text();
    (void)storage::OpenFileStore(where)->addCase(
        listCase(QStringLiteral("2024.06.01"), QStringLiteral("Dorota"), QStringLiteral("nowa")));

    if (command == QLatin1String("export")) {
        a.dialogs.files.push_back(a.path(QStringLiteral("eksport.csv")));
        a.mainWindow().exportToCsv();
        QVERIFY2(a.dialogs.texts().last().endsWith(QStringLiteral("Rekordów: 4")),
            qPrintable(a.dialogs.texts().join(u'\n')));
        QFile csv(a.path(QStringLiteral("eksport.csv")));
        QVERIFY(csv.open(QIODevice::ReadOnly));
        QVERIFY(csv.readAll().contains("Dorota"));
    } else if (command == QLatin1String("sort")) {
        a.mainWindow().sortByDate();
    } else {
        a.mainWindow().findNextPhrase();
    }
    QCOMPARE(a.mainWindow().countLabel()->text(), QStringLiteral("4"));
    QVERIFY(a.column(3).contains(QStringLiteral("Dorota")));
    // The case the user was on stays current.
    QCOMPARE(a.mainWindow().idEdit()->text(), currentId);
}

void TestSharedRegister::serverListsShowEachOthersChanges()
{
    const QString uri = serverRegister(threeCases());
    if (uri.isEmpty())
        QSKIP(qPrintable(m_server->failure()));
    AppFixture a;
    a.start(uri);
    AppFixture b;
    b.start(uri);
    QCOMPARE(
        a.mainWindow().fileLabel()->text(), QStringLiteral("wspolny%1@127.0.0.1").arg(m_databases));
    b.clickRow(3);
    const QString bCurrent = b.mainWindow().idEdit()->text();

    a.clickRow(1);
    a.mainWindow().editCurrentCase();
    a.caseEditor().setFieldText(EditorField::Nadawca, QStringLiteral("Aaron"));
    a.mainWindow().addNewCase();
    QTRY_COMPARE_WITH_TIMEOUT(b.mainWindow().countLabel()->text(), QStringLiteral("4"), 1000);
    QCOMPARE(b.column(3).first(), QStringLiteral("Aaron"));
    // B's current case stays current, now one row further down.
    QCOMPARE(b.mainWindow().caseGrid()->cells(1, b.mainWindow().caseGrid()->row()), bCurrent);

    b.clickRow(1);
    b.mainWindow().editCurrentCase();
    b.dialogs.answers.push_back(DialogButton::Yes);
    b.mainWindow().deleteCurrentCase();
    QTRY_COMPARE_WITH_TIMEOUT(a.mainWindow().countLabel()->text(), QStringLiteral("3"), 1000);
    QVERIFY(!a.column(3).contains(QStringLiteral("Aaron")));
}

void TestSharedRegister::readerRoleOpensReadOnly()
{
    const QString uri = serverRegister(threeCases());
    if (uri.isEmpty())
        QSKIP(qPrintable(m_server->failure()));
    m_server->createRole(QStringLiteral("czytelnik%1").arg(m_databases));
    const QString reader = QStringLiteral("czytelnik%1").arg(m_databases);
    m_server->psql(QStringLiteral("wspolny%1").arg(m_databases),
        QStringLiteral("GRANT SELECT ON kolvar TO %1").arg(reader));
    AppFixture a;
    a.dialogs.passwords.push_back(QStringLiteral("tajne"));
    a.start(m_server->uri(QStringLiteral("wspolny%1").arg(m_databases), reader));
    QCOMPARE(a.mainWindow().countLabel()->text(), QStringLiteral("3"));
    const auto* readOnly = a.mainWindow().findChild<QLabel*>(QStringLiteral("readOnlyLabel"));
    QVERIFY(readOnly && !readOnly->isHidden());
    QCOMPARE(readOnly->text(), QStringLiteral("tylko do odczytu"));
    for (const char* name :
        { "addNewCase", "saveChanges", "deleteCurrentCase", "regenerateRegister" })
        QVERIFY2(!a.mainWindow().findChild<QAction*>(QLatin1String(name))->isEnabled(), name);
    // The editor's buttons reach the commands all the same: nothing is written.
    typeSender(a, QStringLiteral("Nie wolno"));
    a.mainWindow().saveChanges();
    QCOMPARE(m_server->psql(QStringLiteral("wspolny%1").arg(m_databases),
                 QStringLiteral("SELECT count(*) FROM kolvar WHERE nadawca = 'Nie wolno'")),
        QStringLiteral("0"));
}

void TestSharedRegister::serverRegisterIsRememberedWithoutPassword()
{
    const QString uri = serverRegister(threeCases());
    if (uri.isEmpty())
        QSKIP(qPrintable(m_server->failure()));
    AppFixture a;
    a.start(uri);
    QVERIFY(a.mainWindow().close());
    a.stop();
    QCOMPARE(a.readIni().readString(QStringLiteral("Plik"), QStringLiteral("Nazwa"), {}), uri);
    a.start();
    QCOMPARE(a.mainWindow().countLabel()->text(), QStringLiteral("3"));
}

void TestSharedRegister::lostConnectionKeepsTheTypingAndTheNextSaveReconnects()
{
    const QString uri = serverRegister(threeCases());
    if (uri.isEmpty())
        QSKIP(qPrintable(m_server->failure()));
    AppFixture a;
    a.start(uri);
    typeSender(a, QStringLiteral("Pisane w czasie awarii"));
    m_server->stop();
    a.dialogs.clear();
    a.mainWindow().saveChanges();
    m_server->start();
    const QString said = a.dialogs.texts().join(u'\n');
    QVERIFY2(said.contains(QStringLiteral("nic nie zostało zapisane")), qPrintable(said));
    QVERIFY(a.caseEditor().isVisible());
    QCOMPARE(
        a.caseEditor().fieldText(EditorField::Nadawca), QStringLiteral("Pisane w czasie awarii"));
    // The server is back: the next save connects again and writes.
    a.mainWindow().saveChanges();
    QCOMPARE(m_server->psql(uri.section(u'/', -1),
                 QStringLiteral("SELECT count(*) FROM kolvar WHERE nadawca = 'Pisane w czasie "
                                "awarii'")),
        QStringLiteral("1"));
}

void TestSharedRegister::serverFaultsAtStartAreSaidInPolish_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("sentence");
    QTest::newRow("server down") << "down"
                                 << "Nie ma połączenia z serwerem rejestru";
    QTest::newRow("no register in the database")
        << "no table"
        << "Ta baza danych nie zawiera rejestru programu Kolvar";
}

void TestSharedRegister::serverFaultsAtStartAreSaidInPolish()
{
    QFETCH(QString, fault);
    QFETCH(QString, sentence);
    if (!m_server->running() && m_server->maySkip())
        QSKIP(qPrintable(m_server->failure()));
    QString uri;
    if (fault == QLatin1String("down")) {
        // Nothing listens on port 1.
        uri = storage::ServerAddress { QStringLiteral("127.0.0.1"), 1, QStringLiteral("rejestr"),
            QStringLiteral("kolvar"), false }
                  .uri();
    } else {
        const QString name = QStringLiteral("pusta%1").arg(++m_databases);
        m_server->createDatabase(name);
        uri = m_server->uri(name);
    }
    AppFixture a;
    a.start(uri);
    const QString said = a.dialogs.texts().join(u'\n');
    const QString named = fault == QLatin1String("down")
        ? QStringLiteral("Rejestr na serwerze rejestr@127.0.0.1.")
        : QStringLiteral("Rejestr na serwerze pusta");
    const bool warned = said.startsWith(QStringLiteral("Błąd podczas odczytu bazy danych!"));
    QVERIFY2(warned && said.contains(named), qPrintable(said));
    QVERIFY2(said.contains(sentence), qPrintable(said));
    QVERIFY(a.mainWindow().caseGrid()->cells(3, 1).isEmpty());
    if (fault != QLatin1String("down"))
        QCOMPARE(m_server->psql(uri.section(u'/', -1),
                     QStringLiteral("SELECT count(*) FROM "
                                    "pg_class WHERE relname "
                                    "= 'kolvar'")),
            QStringLiteral("0"));
}

QString TestSharedRegister::backendOf(const QString& database) const
{
    return m_server->psql(database,
        QStringLiteral("SELECT string_agg(pid::text, ' ') FROM pg_stat_activity WHERE "
                       "application_name = 'Kolvar' AND datname = current_database()"));
}

void TestSharedRegister::reloadKeepsTheServerConnectionWhileItLives_data()
{
    QTest::addColumn<bool>("serverEndsIt");
    QTest::newRow("connection alive") << false;
    QTest::newRow("connection ended by the server meanwhile") << true;
}

void TestSharedRegister::reloadKeepsTheServerConnectionWhileItLives()
{
    QFETCH(bool, serverEndsIt);
    const QString uri = serverRegister(threeCases());
    if (uri.isEmpty())
        QSKIP(qPrintable(m_server->failure()));
    const QString database = uri.section(u'/', -1);
    AppFixture a;
    a.start(uri);
    const QString before = backendOf(database);
    QVERIFY2(!before.isEmpty() && !before.contains(u' '), qPrintable(before));
    if (serverEndsIt)
        (void)m_server->psql(
            database, QStringLiteral("SELECT pg_terminate_backend(%1)").arg(before));
    // Ordering by another column from a list it cannot reorder in place loads it anew.
    a.mainWindow().caseGrid()->setCells(2, 0, QStringLiteral("zmieniony tytuł"));
    a.dialogs.clear();
    a.mainWindow().sortByDate();
    QCOMPARE(a.dialogs.texts(), QStringList());
    QCOMPARE(a.mainWindow().countLabel()->text(), QStringLiteral("3"));
    const QString after = backendOf(database);
    QVERIFY2(!after.isEmpty() && !after.contains(u' '), qPrintable(after));
    QCOMPARE(after == before, !serverEndsIt);
    // The connection the list reloaded on still hears the other desks.
    (void)storage::OpenServerStore(uri)->addCase(listCase("2024.04.04", "Dorota", "wezwanie"));
    QTRY_COMPARE_WITH_TIMEOUT(a.mainWindow().countLabel()->text(), QStringLiteral("4"), 1000);
}

void TestSharedRegister::moveToServerCopiesAllOrNothing_data()
{
    QTest::addColumn<QString>("target"); // what the chosen database holds, or the file
    QTest::addColumn<QString>("said");
    QTest::addColumn<QString>("tableOnServer"); // the server's count, or "none"
    QTest::newRow("empty database")
        << "empty"
        << "Rekordów: 4; liczba rekordów i suma kontrolna wszystkich tekstów zgadzają się z "
           "plikiem."
        << "4";
    QTest::newRow("database holding a register")
        << "register"
        << "Ta baza danych zawiera już rejestr; nic w niej nie zmieniono.\n\nW tej bazie danych "
           "jest już tabela kolvar: rejestr przenosi się tylko do pustej bazy."
        << "1";
    QTest::newRow("a sender longer than the server allows") << "long sender"
                                                            << "nadawca_check"
                                                            << "none";
}

void TestSharedRegister::moveToServerCopiesAllOrNothing()
{
    QFETCH(QString, target);
    QFETCH(QString, said);
    QFETCH(QString, tableOnServer);
    if (!m_server->running() && m_server->maySkip())
        QSKIP(qPrintable(m_server->failure()));
    const QString database = QStringLiteral("cel%1").arg(++m_databases);
    m_server->createDatabase(database);
    const QString uri = m_server->uri(database);
    if (target == QLatin1String("register"))
        storage::CreateServerRegister(uri, {}, QStringLiteral("2024.01.01"));
    QList<CaseRecord> cases = threeCases() << hostileCase();
    if (target == QLatin1String("long sender"))
        cases.last().nadawca = QString(41, u'ż');
    AppFixture a;
    a.makeRegister(QStringLiteral("rejestr.db"), cases);
    a.start(a.path(QStringLiteral("rejestr.db")));
    a.dialogs.clear();
    a.dialogs.servers.push_back(choiceFor(uri));
    a.mainWindow().moveToServer();

    const QString told = a.dialogs.texts().join(u'\n');
    QVERIFY2(told.contains(said), qPrintable(told));
    const bool hasTable
        = m_server->psql(database, QStringLiteral("SELECT to_regclass('kolvar') IS NOT NULL"))
        == QLatin1String("t");
    QCOMPARE(hasTable ? m_server->psql(database, QStringLiteral("SELECT count(*) FROM kolvar"))
                      : QStringLiteral("none"),
        tableOnServer);
    const storage::CaseStorePtr file = storage::OpenFileStore(a.path(QStringLiteral("rejestr.db")));
    if (target == QLatin1String("empty")) {
        QCOMPARE(told.section(u'\n', 0, 0),
            QStringLiteral("Rejestr rejestr.db przeniesiono na serwer jako %1@127.0.0.1.")
                .arg(database));
        // The window works on the server's register now, which holds the file's cases exactly.
        QCOMPARE(a.mainWindow().fileLabel()->text(), database + QStringLiteral("@127.0.0.1"));
        QCOMPARE(casesAsStored(*storage::OpenServerStore(uri)), casesAsStored(*file));
    } else {
        QCOMPARE(a.mainWindow().fileLabel()->text(), QStringLiteral("rejestr.db"));
        QCOMPARE(a.mainWindow().countLabel()->text(), QStringLiteral("4"));
    }
}

void TestSharedRegister::backupOfAServerRegisterIsARegisterFile()
{
    const QString uri = serverRegister(threeCases() << hostileCase());
    if (uri.isEmpty())
        QSKIP(qPrintable(m_server->failure()));
    // A NULL, which the editor never writes but another client may.
    (void)m_server->psql(uri.section(u'/', -1),
        QStringLiteral("UPDATE kolvar SET tryb = NULL WHERE nadawca = 'Adam'"));
    AppFixture a;
    a.start(uri);
    QTemporaryDir other;
    const QString copy = other.filePath(QStringLiteral("kopia.db"));
    a.dialogs.clear();
    a.dialogs.files.push_back(copy);
    a.mainWindow().backUpRegister();
    QCOMPARE(a.dialogs.texts().last(),
        QStringLiteral("Kopia zapasowa bazy zapisana w pliku\n%1\nRekordów w kopii: 4").arg(copy));
    const QList<QByteArrayList> onServer = casesAsStored(*storage::OpenServerStore(uri));
    QCOMPARE(onServer.size(), 4);
    QCOMPARE(onServer.last().value(6), "'" + storage::toCp1250(hostileCase().szczegoly) + "'");
    QCOMPARE(casesAsStored(*storage::OpenFileStore(copy)), onServer);
}

// Made on a server, a register looks like any other with one case: the user is told it was made.
void TestSharedRegister::newServerRegisterIsConfirmed()
{
    if (!m_server->running() && m_server->maySkip())
        QSKIP(qPrintable(m_server->failure()));
    const QString name = QStringLiteral("nowy%1").arg(++m_databases);
    m_server->createDatabase(name);
    const QString uri = m_server->uri(name);
    AppFixture a;
    a.makeRegister(QStringLiteral("rejestr.db"), threeCases());
    a.start(a.path(QStringLiteral("rejestr.db")));
    a.dialogs.clear();
    a.dialogs.servers.push_back(choiceFor(uri));
    a.mainWindow().newServerRegister();
    QCOMPARE(a.dialogs.texts(),
        QStringList(
            { QStringLiteral("Utworzono nowy rejestr na serwerze: %1.\nRejestr jest otwarty "
                             "i ma jeden rekord do wypełnienia.")
                    .arg(a.mainWindow().fileLabel()->text()) }));
    QCOMPARE(a.mainWindow().countLabel()->text(), QStringLiteral("1"));
}

QTEST_MAIN(TestSharedRegister)
#include "tst_sharedregister.moc"

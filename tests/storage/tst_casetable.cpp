#include "CaseTable.h"
#include "StorageTestSupport.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace kolvar::storage;
using kolvar::test::storageErrorOf;

class TestCaseTable : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void newFileHoldsOnlyTheSeedCase();
    void casesKeepTheirTextsExactly_data();
    void casesKeepTheirTextsExactly();
    void shellSeesWindows1250BytesTheProgramWrote();
    void programReadsWindows1250BytesTheShellWrote();
    void failedSaveRollsBackAndTheNextSaveWorks_data();
    void failedSaveRollsBackAndTheNextSaveWorks();
    void failedInsertLeavesNoCaseBehind();
    void saveOrDeleteOfAVanishedCaseChangesNothing();
    void newCaseGetsTheHighestIdAndComesLast();
    void firstCaseIsTheLowestIdAlone();
    void listQueriesSortByTheirColumn_data();
    void listQueriesSortByTheirColumn();
    void compactKeepsEveryCase();
    void triggersOfTheFileNeverRun_data();
    void triggersOfTheFileNeverRun();
    void idCountsAsTheRowKeyOnlyWhenItIsOne_data();
    void idCountsAsTheRowKeyOnlyWhenItIsOne();
    void writeByAnIdTwoRowsShareChangesNeither_data();
    void writeByAnIdTwoRowsShareChangesNeither();
    void saveIntoADeletedRegisterSaysItIsGone();

private:
    [[nodiscard]] QString fileName() const { return m_dir->filePath(QStringLiteral("rejestr.db")); }
    void openNewRegister();
    // A register whose table another program made with these column definitions, holding the
    // seed case.
    void openRegisterWithColumns(const QString& columns);
    // Runs the sqlite3 shell on the register; the output without the final line break.
    [[nodiscard]] QString shell(const QString& sql) const;

    std::unique_ptr<QTemporaryDir> m_dir;
    ISQLiteDatabasePtr m_db;
    QString m_shellProgram;
};

namespace {

CaseRecord sampleCase(const QString& sender)
{
    CaseRecord record;
    record.termin = QStringLiteral("2024-02-29");
    record.nadawca = sender;
    record.dotyczy = QStringLiteral("Wniosek o zwrot");
    record.tryb = QStringLiteral("zwykły");
    record.odpowiedz = QStringLiteral("pisemnie");
    record.szczegoly = QStringLiteral("linia 1\r\nlinia 2");
    record.adnotacje = QStringLiteral("bez uwag");
    return record;
}

CaseRecord readCase(ISQLiteDatabase& db, std::int64_t id)
{
    const ISQLiteTablePtr result = CaseTable::QueryCase(db, id);
    if (result->RowTotal() != 1)
        throw ESQLiteException(QStringLiteral("case %1 not found").arg(id));
    return CaseTable::ReadCase(*result);
}

} // namespace

void TestCaseTable::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_shellProgram = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
}

void TestCaseTable::cleanup()
{
    m_db.reset();
    m_dir.reset();
}

void TestCaseTable::openNewRegister()
{
    m_db = OpenDatabase(fileName(), OpenMode::Create);
    CaseTable::CreateTable(*m_db);
    CaseTable::InsertSeedCase(*m_db, QStringLiteral("2024/03/15"));
}

void TestCaseTable::openRegisterWithColumns(const QString& columns)
{
    m_db = OpenDatabase(fileName(), OpenMode::Create);
    m_db->RunStatement(QStringLiteral("CREATE TABLE kolvar(%1)").arg(columns));
    CaseTable::InsertSeedCase(*m_db, QStringLiteral("2024/03/15"));
}

QString TestCaseTable::shell(const QString& sql) const
{
    QProcess process;
    process.start(m_shellProgram, { fileName(), sql });
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return QStringLiteral("<sqlite3 failed: %1>")
            .arg(QString::fromLocal8Bit(process.readAllStandardError()));
    QByteArray out = process.readAllStandardOutput();
    if (out.endsWith('\n'))
        out.chop(1);
    return QString::fromLatin1(out);
}

void TestCaseTable::newFileHoldsOnlyTheSeedCase()
{
    openNewRegister();
    const ISQLiteTablePtr all = CaseTable::QueryAllCases(*m_db);
    QCOMPARE(all->RowTotal(), 1u);
    QCOMPARE(all->ColumnTotal(), 8u);
    for (int col = 0; col < 8; ++col)
        QCOMPARE(all->ColumnName(col), QString::fromLatin1(CaseTable::ColumnNames[col]).toUpper());
    for (int col = 3; col < 8; ++col)
        QVERIFY(all->CellIsNull(col));

    CaseRecord expected;
    expected.id = 1;
    expected.termin = QStringLiteral("2024/03/15");
    expected.nadawca = QStringLiteral("Pusty");
    QCOMPARE(CaseTable::ReadCase(*all), expected);

    // Other tools see the table as earlier versions of the program created it.
    QCOMPARE(m_db->QueryText(QStringLiteral("SELECT sql FROM sqlite_master WHERE name = 'kolvar'")),
        QStringLiteral("CREATE TABLE kolvar(ID INTEGER PRIMARY KEY,Termin VARCHAR(15),Nadawca "
                       "VARCHAR(40), Dotyczy VARCHAR(120),Tryb VARCHAR(20), Odpowiedz "
                       "VARCHAR(20),  Szczegoly BLOB, Adnotacje BLOB COLLATE NOCASE)"));
}

void TestCaseTable::casesKeepTheirTextsExactly_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("memosOnly");
    QTest::newRow("a column name as the value") << "Termin" << false;
    QTest::newRow("double quotes stay double quotes") << "Pismo \"pilne\" i \"\"" << false;
    QTest::newRow("apostrophes") << "O'Brien, ''cytat''" << false;
    QTest::newRow("backslashes") << "C:\\akta\\2024\\n" << false;
    QTest::newRow("CRLF line breaks") << "pierwsza\r\ndruga\r\n\r\n" << false;
    QTest::newRow("Polish letters") << "ąćęłńóśźżĄĆĘŁŃÓŚŹŻ" << false;
    QTest::newRow("SQL in the text") << "\"); DELETE FROM kolvar; --" << false;
    QTest::newRow("a parameter mark") << "? ?1 :a" << false;
    QTest::newRow("empty text") << "" << false;
    QTest::newRow("a NUL byte in the memos")
        << QStringView(u"przed\0po\r\nŁ", 11).toString() << true;
}

void TestCaseTable::casesKeepTheirTextsExactly()
{
    QFETCH(QString, text);
    QFETCH(bool, memosOnly);
    openNewRegister();

    CaseRecord record = sampleCase(QStringLiteral("Urząd Gminy"));
    if (!memosOnly) {
        record.termin = record.nadawca = record.dotyczy = record.tryb = record.odpowiedz = text;
    }
    record.szczegoly = record.adnotacje = text;

    record.id = CaseTable::InsertCase(*m_db, record);
    QCOMPARE(record.id, 2);
    QCOMPARE(readCase(*m_db, record.id), record);

    // The same through a save into the seed case.
    record.id = 1;
    QCOMPARE(CaseTable::UpdateCase(*m_db, 1, record), 1);
    QCOMPARE(readCase(*m_db, 1), record);
    QCOMPARE(CaseTable::QueryAllCases(*m_db)->RowTotal(), 2u);
}

void TestCaseTable::shellSeesWindows1250BytesTheProgramWrote()
{
    if (m_shellProgram.isEmpty())
        QSKIP("the sqlite3 shell is not installed");
    openNewRegister();
    CaseRecord record = sampleCase(QStringLiteral("Łódź"));
    record.dotyczy = QStringLiteral("Zażółć gęślą jaźń");
    record.szczegoly = QStringLiteral("Pismo \"pilne\"\r\nŻółć");
    const std::int64_t id = CaseTable::InsertCase(*m_db, record);
    m_db.reset();

    QCOMPARE(shell(QStringLiteral("SELECT hex(Nadawca), hex(Dotyczy), hex(Szczegoly), "
                                  "typeof(Szczegoly), typeof(Adnotacje) FROM kolvar WHERE ID=%1")
                       .arg(id)),
        QStringLiteral("A3F3649F|5A61BFF3B3E62067EA9C6CB9206A619FF1|"
                       "5069736D6F202270696C6E65220D0AAFF3B3E6|text|text"));
}

void TestCaseTable::programReadsWindows1250BytesTheShellWrote()
{
    if (m_shellProgram.isEmpty())
        QSKIP("the sqlite3 shell is not installed");
    openNewRegister();
    m_db.reset();
    QCOMPARE(shell(QStringLiteral(
                 "INSERT INTO kolvar VALUES(NULL, '2023/12/01', CAST(X'A3F3647A' AS TEXT), "
                 "CAST(X'5A61BFF3B3E62067EA9C6CB9206A619FF1' AS TEXT), 'pilny', '', "
                 "CAST(X'5069736D6F202270696C6E65220D0AAFF3B3E6' AS TEXT), "
                 "CAST(X'8CC68F' AS TEXT)); SELECT last_insert_rowid();")),
        QStringLiteral("2"));

    m_db = OpenDatabase(fileName(), OpenMode::Create);
    CaseRecord expected;
    expected.id = 2;
    expected.termin = QStringLiteral("2023/12/01");
    expected.nadawca = QStringLiteral("Łódz");
    expected.dotyczy = QStringLiteral("Zażółć gęślą jaźń");
    expected.tryb = QStringLiteral("pilny");
    expected.szczegoly = QStringLiteral("Pismo \"pilne\"\r\nŻółć");
    expected.adnotacje = QStringLiteral("ŚĆŹ");
    QCOMPARE(readCase(*m_db, 2), expected);

    const ISQLiteTablePtr list = m_db->RunQuery(CaseTable::ListQuery(3));
    QVERIFY(list->GoLast());
    QCOMPARE(list->CellTextNamed(QStringLiteral("Nadawca")), QStringLiteral("Łódz"));
    QCOMPARE(list->CellBytes(list->ColumnNumber(QStringLiteral("Nadawca"))),
        QByteArrayView("\xA3\xF3\x64\x7A"));
}

void TestCaseTable::failedSaveRollsBackAndTheNextSaveWorks_data()
{
    QTest::addColumn<QString>("senderColumn");
    QTest::addColumn<QStringList>("setup");
    QTest::addColumn<QString>("messageStart");
    QTest::addColumn<QString>("messageEnd");

    const QString update = QStringLiteral("Error executing SQL statement \"UPDATE kolvar SET ");
    QTest::newRow("a check refuses the statement")
        << QStringLiteral("Nadawca VARCHAR(40) CHECK (Nadawca <> 'odmowa')") << QStringList()
        << update << QStringLiteral(" : CHECK constraint failed: Nadawca <> 'odmowa'");
    QTest::newRow("a constraint ends the whole transaction itself")
        << QStringLiteral("Nadawca VARCHAR(40) UNIQUE ON CONFLICT ROLLBACK")
        << QStringList { QStringLiteral("INSERT INTO kolvar(Nadawca) VALUES('odmowa')") } << update
        << QStringLiteral(" : UNIQUE constraint failed: kolvar.Nadawca");
    QTest::newRow("commit refused by a deferred constraint")
        << QStringLiteral("Nadawca VARCHAR(40) REFERENCES sender(name) DEFERRABLE INITIALLY DEFERRED")
        << QStringList {
               QStringLiteral("PRAGMA foreign_keys=ON"),
               QStringLiteral("CREATE TABLE sender(name TEXT PRIMARY KEY)"),
               QStringLiteral("INSERT INTO sender VALUES('Pusty'), ('Sąd Rejonowy')"),
           }
        << QStringLiteral("Error executing SQL statement \"COMMIT;\" : FOREIGN KEY constraint failed")
        << QString();
}

void TestCaseTable::failedSaveRollsBackAndTheNextSaveWorks()
{
    QFETCH(QString, senderColumn);
    QFETCH(QStringList, setup);
    QFETCH(QString, messageStart);
    QFETCH(QString, messageEnd);
    openRegisterWithColumns(
        QStringLiteral("ID INTEGER PRIMARY KEY, Termin VARCHAR(15), %1, Dotyczy VARCHAR(120), "
                       "Tryb VARCHAR(20), Odpowiedz VARCHAR(20), Szczegoly BLOB, Adnotacje BLOB")
            .arg(senderColumn));
    for (const QString& statement : setup)
        m_db->RunStatement(statement);
    const CaseRecord before = readCase(*m_db, 1);

    CaseRecord refused = sampleCase(QStringLiteral("odmowa"));
    const QString message = storageErrorOf([&] { (void)CaseTable::UpdateCase(*m_db, 1, refused); });
    QVERIFY2(message.startsWith(messageStart) && message.endsWith(messageEnd), qPrintable(message));
    QVERIFY(!m_db->TransactionActive());
    // When the commit fails, the update itself had succeeded: only a rollback brings this back.
    QCOMPARE(readCase(*m_db, 1), before);

    CaseRecord accepted = sampleCase(QStringLiteral("Sąd Rejonowy"));
    QCOMPARE(CaseTable::UpdateCase(*m_db, 1, accepted), 1);
    m_db.reset();
    m_db = OpenDatabase(fileName(), OpenMode::Create);
    accepted.id = 1;
    QCOMPARE(readCase(*m_db, 1), accepted);
}

void TestCaseTable::failedInsertLeavesNoCaseBehind()
{
    openRegisterWithColumns(
        QStringLiteral("ID INTEGER PRIMARY KEY, Termin, Nadawca CHECK (Nadawca <> 'odmowa'), "
                       "Dotyczy, Tryb, Odpowiedz, Szczegoly BLOB, Adnotacje BLOB"));
    QVERIFY(storageErrorOf([&] {
        (void)CaseTable::InsertCase(*m_db, sampleCase(QStringLiteral("odmowa")));
    }).endsWith(QStringLiteral(" : CHECK constraint failed: Nadawca <> 'odmowa'")));
    QVERIFY(!m_db->TransactionActive());
    QCOMPARE(CaseTable::QueryAllCases(*m_db)->RowTotal(), 1u);
    QCOMPARE(CaseTable::InsertCase(*m_db, sampleCase(QStringLiteral("ZUS"))), 2);
}

void TestCaseTable::saveOrDeleteOfAVanishedCaseChangesNothing()
{
    openNewRegister();
    QCOMPARE(CaseTable::InsertCase(*m_db, sampleCase(QStringLiteral("ZUS"))), 2);
    QCOMPARE(CaseTable::UpdateCase(*m_db, 99, sampleCase(QStringLiteral("KRUS"))), 0);
    QCOMPARE(CaseTable::DeleteCase(*m_db, 99), 0);
    QCOMPARE(CaseTable::QueryAllCases(*m_db)->RowTotal(), 2u);
    QCOMPARE(CaseTable::DeleteCase(*m_db, 2), 1);
    QCOMPARE(CaseTable::UpdateCase(*m_db, 2, sampleCase(QStringLiteral("KRUS"))), 0);
    QCOMPARE(CaseTable::QueryCase(*m_db, 2)->RowTotal(), 0u);
    QCOMPARE(CaseTable::QueryAllCases(*m_db)->RowTotal(), 1u);
}

void TestCaseTable::newCaseGetsTheHighestIdAndComesLast()
{
    openNewRegister();
    for (const char* sender : { "A", "B", "C" })
        (void)CaseTable::InsertCase(*m_db, sampleCase(QString::fromLatin1(sender)));
    QCOMPARE(CaseTable::DeleteCase(*m_db, 2), 1);
    const std::int64_t id = CaseTable::InsertCase(*m_db, sampleCase(QStringLiteral("D")));
    QCOMPARE(id, 5);
    const ISQLiteTablePtr all = CaseTable::QueryAllCases(*m_db);
    QVERIFY(all->GoLast());
    QCOMPARE(CaseTable::ReadCase(*all).id, id);
    QCOMPARE(CaseTable::ReadCase(*all).nadawca, QStringLiteral("D"));
}

void TestCaseTable::firstCaseIsTheLowestIdAlone()
{
    openNewRegister();
    for (const char* sender : { "A", "B", "C" })
        (void)CaseTable::InsertCase(*m_db, sampleCase(QString::fromLatin1(sender)));
    QCOMPARE(CaseTable::DeleteCase(*m_db, 1), 1);
    const ISQLiteTablePtr first = CaseTable::QueryFirstCase(*m_db);
    QCOMPARE(first->RowTotal(), 1u);
    QCOMPARE(CaseTable::ReadCase(*first).id, 2);
    QCOMPARE(CaseTable::ReadCase(*first).nadawca, QStringLiteral("A"));
}

void TestCaseTable::listQueriesSortByTheirColumn_data()
{
    QTest::addColumn<int>("sortMode");
    QTest::addColumn<QStringList>("senders");
    QTest::newRow("2 sorts by date") << 2 << QStringList { "Pusty", "B", "C", "A" };
    QTest::newRow("3 sorts by sender") << 3 << QStringList { "A", "B", "C", "Pusty" };
    QTest::newRow("4 sorts by subject") << 4 << QStringList { "Pusty", "C", "A", "B" };
}

void TestCaseTable::listQueriesSortByTheirColumn()
{
    QFETCH(int, sortMode);
    QFETCH(QStringList, senders);
    openNewRegister();
    const struct
    {
        const char* termin;
        const char* nadawca;
        const char* dotyczy;
    } cases[]
        = { { "2024/05/01", "A", "y" }, { "2024/03/20", "B", "z" }, { "2024/04/10", "C", "x" } };
    for (const auto& c : cases) {
        CaseRecord record = sampleCase(QString::fromLatin1(c.nadawca));
        record.termin = QString::fromLatin1(c.termin);
        record.dotyczy = QString::fromLatin1(c.dotyczy);
        (void)CaseTable::InsertCase(*m_db, record);
    }
    const ISQLiteTablePtr list = m_db->RunQuery(CaseTable::ListQuery(sortMode));
    QStringList actual;
    for (list->GoFirst(); !list->AtEnd(); list->StepForward())
        actual.append(list->CellTextNamed(QStringLiteral("Nadawca")));
    QCOMPARE(actual, senders);
    QVERIFY(CaseTable::ListQuery(1).isEmpty());
}

void TestCaseTable::compactKeepsEveryCase()
{
    openNewRegister();
    for (int i = 0; i < 50; ++i)
        (void)CaseTable::InsertCase(*m_db, sampleCase(QString(500, u'x')));
    for (int id = 2; id < 50; ++id)
        QCOMPARE(CaseTable::DeleteCase(*m_db, id), 1);
    CaseTable::Compact(*m_db);
    QCOMPARE(CaseTable::QueryAllCases(*m_db)->RowTotal(), 3u);
    QCOMPARE(m_db->QueryInteger(QStringLiteral("PRAGMA freelist_count")), 0);
}

void TestCaseTable::triggersOfTheFileNeverRun_data()
{
    QTest::addColumn<QString>("trigger");
    QTest::newRow("a save deletes every other case")
        << "CREATE TRIGGER t AFTER UPDATE ON kolvar BEGIN DELETE FROM kolvar WHERE ID<>NEW.ID; END";
    QTest::newRow("a save rewrites another column")
        << "CREATE TRIGGER t BEFORE UPDATE ON kolvar BEGIN UPDATE kolvar SET Dotyczy = 'obce' "
           "WHERE ID = 1; END";
    QTest::newRow("a new case empties the register")
        << "CREATE TRIGGER t AFTER INSERT ON kolvar BEGIN DELETE FROM kolvar WHERE ID<>NEW.ID; END";
    QTest::newRow("a delete is refused")
        << "CREATE TRIGGER t BEFORE DELETE ON kolvar BEGIN SELECT RAISE(ABORT, 'nie'); END";
    QTest::newRow("a view's trigger") << "CREATE VIEW v AS SELECT * FROM kolvar; CREATE TRIGGER t "
                                         "INSTEAD OF DELETE ON v BEGIN DELETE FROM kolvar; END";
}

void TestCaseTable::triggersOfTheFileNeverRun()
{
    QFETCH(QString, trigger);
    openNewRegister();
    QVERIFY(!CaseTable::VerifyTable(*m_db).hasTriggers);
    for (const char* sender : { "A", "B", "C" })
        (void)CaseTable::InsertCase(*m_db, sampleCase(QString::fromLatin1(sender)));
    m_db.reset();
    QVERIFY(shell(trigger).isEmpty());

    m_db = OpenDatabase(fileName());
    QVERIFY(CaseTable::VerifyTable(*m_db).hasTriggers);
    QCOMPARE(CaseTable::UpdateCase(*m_db, 2, sampleCase(QStringLiteral("Zmieniony"))), 1);
    QCOMPARE(CaseTable::InsertCase(*m_db, sampleCase(QStringLiteral("D"))), 5);
    QCOMPARE(CaseTable::DeleteCase(*m_db, 3), 1);
    QCOMPARE(shell(QStringLiteral("SELECT group_concat(ID || ':' || Nadawca || ':' || "
                                  "ifnull(Dotyczy, ''), ' ') FROM kolvar")),
        QStringLiteral("1:Pusty: 2:Zmieniony:Wniosek o zwrot 4:C:Wniosek o zwrot "
                       "5:D:Wniosek o zwrot"));
}

void TestCaseTable::idCountsAsTheRowKeyOnlyWhenItIsOne_data()
{
    QTest::addColumn<QString>("columns");
    QTest::addColumn<bool>("rowKey");
    const QString rest = QStringLiteral(", Termin, Nadawca, Dotyczy, Tryb, Odpowiedz, Szczegoly, "
                                        "Adnotacje");
    QTest::newRow("as the program makes it") << "ID INTEGER PRIMARY KEY" + rest << true;
    QTest::newRow("key named at the end") << "ID INTEGER" + rest + ", PRIMARY KEY(ID DESC)" << true;
    QTest::newRow("lower-case name and type") << "id integer primary key" + rest << true;
    QTest::newRow("no key at all") << "ID INTEGER" + rest << false;
    QTest::newRow("declared INT") << "ID INT PRIMARY KEY" + rest << false;
    QTest::newRow("declared TEXT") << "ID TEXT PRIMARY KEY" + rest << false;
    QTest::newRow("descending key") << "ID INTEGER PRIMARY KEY DESC" + rest << false;
    QTest::newRow("key of two columns")
        << "ID INTEGER" + rest + ", PRIMARY KEY(ID, Termin)" << false;
    QTest::newRow("a column named rowid") << "ID INTEGER" + rest + ", rowid" << false;
    QTest::newRow("without row id")
        << "ID INTEGER PRIMARY KEY" + rest + ") WITHOUT ROWID; --" << false;
}

void TestCaseTable::idCountsAsTheRowKeyOnlyWhenItIsOne()
{
    QFETCH(QString, columns);
    QFETCH(bool, rowKey);
    m_db = OpenDatabase(fileName(), OpenMode::Create);
    m_db->RunStatement(QStringLiteral("CREATE TABLE kolvar(%1)").arg(columns));
    QCOMPARE(CaseTable::VerifyTable(*m_db).idIsRowKey, rowKey);
    m_db->RunStatement(QStringLiteral("INSERT INTO kolvar(ID, Nadawca) VALUES(7, 'A')"));
    QCOMPARE(CaseTable::VerifyTable(*m_db).idIsRowKey, rowKey);
}

void TestCaseTable::writeByAnIdTwoRowsShareChangesNeither_data()
{
    QTest::addColumn<QString>("idColumn");
    QTest::addColumn<bool>("deleting");
    for (const char* type : { "INTEGER", "TEXT" }) {
        for (const bool deleting : { false, true }) {
            QTest::addRow("ID %s, %s", type, deleting ? "delete" : "save")
                << QStringLiteral("ID %1").arg(QLatin1String(type)) << deleting;
        }
    }
}

void TestCaseTable::writeByAnIdTwoRowsShareChangesNeither()
{
    QFETCH(QString, idColumn);
    QFETCH(bool, deleting);
    openRegisterWithColumns(idColumn
        + QStringLiteral(", Termin, Nadawca, Dotyczy, Tryb, Odpowiedz, Szczegoly, Adnotacje"));
    m_db->RunStatement(QStringLiteral("DELETE FROM kolvar"));
    m_db->RunStatement(QStringLiteral(
        "INSERT INTO kolvar(ID, Nadawca) VALUES(5, 'Pierwszy piąty'), (5, 'Drugi piąty')"));
    const auto senders = [&] {
        return shell(
            QStringLiteral("SELECT group_concat(ID || ':' || hex(Nadawca), ' ') FROM kolvar"));
    };
    const QString before = senders();

    try {
        if (deleting)
            (void)CaseTable::DeleteCase(*m_db, 5);
        else
            (void)CaseTable::UpdateCase(*m_db, 5, sampleCase(QStringLiteral("Nowy")));
        QFAIL("a write by a shared ID went through");
    } catch (const ESQLiteException& e) {
        QCOMPARE(KindOfFailure(e.resultCode()), FailureKind::BuiltDifferently);
        QCOMPARE(
            e.message(), QStringLiteral("2 rows of table kolvar have ID 5; nothing was written"));
    }
    QVERIFY(!m_db->TransactionActive());
    QCOMPARE(senders(), before);
    // The cases still read, also where the ID is declared as text.
    const ISQLiteTablePtr found = CaseTable::QueryCase(*m_db, 5);
    QCOMPARE(found->RowTotal(), 2u);
    QCOMPARE(CaseTable::ReadCase(*found).id, 5);
}

void TestCaseTable::saveIntoADeletedRegisterSaysItIsGone()
{
    openNewRegister();
    QVERIFY(QFile::remove(fileName()));
    try {
        (void)CaseTable::UpdateCase(*m_db, 1, sampleCase(QStringLiteral("A")));
        QFAIL("a save into a deleted register went through");
    } catch (const ESQLiteException& e) {
        QCOMPARE(KindOfFailure(e.resultCode()), FailureKind::Gone);
    }
}

QTEST_APPLESS_MAIN(TestCaseTable)
#include "tst_casetable.moc"

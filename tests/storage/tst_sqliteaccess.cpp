#include "Cp1250.h"
#include "SqliteAccess.h"
#include "StorageTestSupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <chrono>
#include <thread>

using namespace kolvar::storage;
using kolvar::test::storageErrorOf;

class TestSqliteAccess : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void opensAMissingFileByCreatingIt();
    void connectionSyncsNormallyAndKeepsTemporariesInMemory();
    void reportsAFileThatCannotBeOpened();
    void emptyResultHasNoRowsNoColumnsAndRefusesReads();
    void declaredTypeDecidesHowACellReads_data();
    void declaredTypeDecidesHowACellReads();
    void valueTypeDecidesForColumnsWithoutDeclaredType_data();
    void valueTypeDecidesForColumnsWithoutDeclaredType();
    void nullCellsReadAsZeroOrEmpty();
    void zeroLengthBlobReadsAsNull();
    void storedTypeIsTheEnginesWhateverTheColumnDeclares_data();
    void storedTypeIsTheEnginesWhateverTheColumnDeclares();
    void zeroByteCutsATextButNotABlob();
    void everyByteValueSurvivesAColumn();
    void columnsAreFoundByNameInAnyCase();
    void cursorStepsPastTheLastRowOnce();
    void failuresCarryTheExactMessage_data();
    void failuresCarryTheExactMessage();
    void failedStatementLeavesTheConnectionUsable();
    void runsOnlyTheFirstOfTwoStatements();
    void bindsTextParametersAsWindows1250();
    void lockedDatabaseReadsAsBusy();
    void lockReleasedWithinTheBusyWaitLetsTheWriteThrough();
    void opensOnlyExistingFilesAndDefensively();
    void damagedFileRefusesEveryWrite_data();
    void damagedFileRefusesEveryWrite();
    void secondStartTransactionIsRefused();
    void releasingTheConnectionRollsBackAnOpenTransaction();
    void findsATableNamedInCapitals();
    void storesABlobThroughItsParameter();
    void resultOutlivesItsConnectionAndKeepsItsStreams();
    void queryShortcutsReadTheFirstCell();
    void largeResultKeepsEveryCell();

private:
    [[nodiscard]] QString path(const QString& name) const { return m_dir->filePath(name); }

    std::unique_ptr<QTemporaryDir> m_dir;
    ISQLiteDatabasePtr m_db;
};

void TestSqliteAccess::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_db = OpenDatabase(path(QStringLiteral("test.db")), OpenMode::Create);
}

void TestSqliteAccess::cleanup()
{
    m_db.reset();
    m_dir.reset();
}

void TestSqliteAccess::opensAMissingFileByCreatingIt()
{
    const QString name = path(QStringLiteral("nowy rejestr ąę.db"));
    QVERIFY(!QFile::exists(name));
    const ISQLiteDatabasePtr db = OpenDatabase(name, OpenMode::Create);
    db->RunStatement(QStringLiteral("CREATE TABLE t(a)"));
    QVERIFY(QFile::exists(name));
}

void TestSqliteAccess::connectionSyncsNormallyAndKeepsTemporariesInMemory()
{
    // 1 is NORMAL; 2 is MEMORY, where the default would be the library's build setting.
    QCOMPARE(m_db->QueryInteger(QStringLiteral("PRAGMA synchronous")), 1);
    QCOMPARE(m_db->QueryInteger(QStringLiteral("PRAGMA temp_store")), 2);
}

void TestSqliteAccess::reportsAFileThatCannotBeOpened()
{
    const QString name = path(QStringLiteral("brak/rejestr.db"));
    QCOMPARE(storageErrorOf([&] { (void)OpenDatabase(name); }),
        QStringLiteral("Failed to open database \"%1\" : unable to open database file").arg(name));
}

void TestSqliteAccess::emptyResultHasNoRowsNoColumnsAndRefusesReads()
{
    m_db->RunStatement(QStringLiteral("CREATE TABLE t(Termin VARCHAR(15))"));
    const ISQLiteTablePtr result = m_db->RunQuery(QStringLiteral("SELECT * FROM t"));
    QCOMPARE(result->RowTotal(), 0u);
    QCOMPARE(result->ColumnTotal(), 0u);
    QVERIFY(result->AtEnd());
    QVERIFY(result->AtStart());
    QVERIFY(!result->GoFirst());
    QVERIFY(!result->GoLast());
    QVERIFY(!result->StepForward());
    QCOMPARE(result->CountAnswer(), 0);
    QCOMPARE(storageErrorOf([&] { (void)result->CellText(0); }),
        QStringLiteral("Table is at End of File"));
    QCOMPARE(storageErrorOf([&] { (void)result->CellIsNull(0); }),
        QStringLiteral("Table is at End of File"));
    QCOMPARE(storageErrorOf([&] { (void)result->ColumnNumber(QStringLiteral("Termin")); }),
        QStringLiteral("Field Termin Not found. Empty dataset"));
    QCOMPARE(storageErrorOf([&] { (void)result->CellTextNamed(QStringLiteral("Termin")); }),
        QStringLiteral("Field Termin Not found. Empty dataset"));
    QCOMPARE(storageErrorOf([&] { (void)m_db->QueryInteger(QStringLiteral("SELECT 1 WHERE 0")); }),
        QStringLiteral("Table is at End of File"));
}

void TestSqliteAccess::declaredTypeDecidesHowACellReads_data()
{
    QTest::addColumn<QString>("declaredType");
    QTest::addColumn<QString>("literal");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("integerError"); // empty when CellInt64 reads a number
    QTest::addColumn<qint64>("integer");
    QTest::addColumn<bool>("blob");

    const QString notNumeric = QStringLiteral("Not an integer or numeric field");
    QTest::newRow("INTEGER is an integer column") << "INTEGER"
                                                  << "42"
                                                  << "42"
                                                  << "" << 42ll << false;
    QTest::newRow("BOOLEAN is an integer column") << "BOOLEAN"
                                                  << "1"
                                                  << "1"
                                                  << "" << 1ll << false;
    QTest::newRow("boolean in lower case is a text column") << "boolean"
                                                            << "1"
                                                            << "1" << notNumeric << 0ll << false;
    // SQLite itself hands back its standard type names in capitals, whatever the spelling.
    QTest::newRow("integer in lower case comes back as INTEGER") << "integer"
                                                                 << "42"
                                                                 << "42"
                                                                 << "" << 42ll << false;
    QTest::newRow("INT is a text column") << "INT"
                                          << "42"
                                          << "42" << notNumeric << 0ll << false;
    QTest::newRow("VARCHAR(40) is a text column") << "VARCHAR(40)"
                                                  << "'Urząd'"
                                                  << "Urząd" << notNumeric << 0ll << false;
    QTest::newRow("REAL reads with the Polish decimal comma, truncated as integer")
        << "REAL"
        << "-3.75"
        << "-3,75"
        << "" << -3ll << false;
    QTest::newRow("NUMERIC is a float column, no group separator") << "NUMERIC"
                                                                   << "1234567.5"
                                                                   << "1234567,5"
                                                                   << "" << 1234567ll << false;
    QTest::newRow("DOUBLE holding text reads its numeric value") << "DOUBLE"
                                                                 << "'abc'"
                                                                 << "0"
                                                                 << "" << 0ll << false;
    QTest::newRow("BLOB COLLATE NOCASE is a blob column") << "BLOB COLLATE NOCASE"
                                                          << "'notatka'"
                                                          << "notatka" << notNumeric << 0ll << true;
    QTest::newRow("BLOB holding a number reads as its text") << "BLOB"
                                                             << "12"
                                                             << "12" << notNumeric << 0ll << true;
}

void TestSqliteAccess::declaredTypeDecidesHowACellReads()
{
    QFETCH(QString, declaredType);
    QFETCH(QString, literal);
    QFETCH(QString, text);
    QFETCH(QString, integerError);
    QFETCH(qint64, integer);
    QFETCH(bool, blob);

    m_db->RunStatement(QStringLiteral("CREATE TABLE t(v %1)").arg(declaredType));
    m_db->RunStatement(QStringLiteral("INSERT INTO t VALUES(%1)").arg(literal));
    const ISQLiteTablePtr result = m_db->RunQuery(QStringLiteral("SELECT v FROM t"));
    QCOMPARE(result->CellText(0), text);
    QCOMPARE(result->CellTextOrEmpty(0), text);
    QVERIFY(!result->CellIsNull(0));
    if (integerError.isEmpty())
        QCOMPARE(result->CellInt64(0), integer);
    else
        QCOMPARE(storageErrorOf([&] { (void)result->CellInt64(0); }), integerError);
    if (blob) {
        TMemoryStream* stream = result->CellStream(0);
        QVERIFY(stream);
        QCOMPARE(fromCp1250(stream->Bytes()), text);
        QCOMPARE(result->CellBlobText(0), text);
    } else {
        QCOMPARE(storageErrorOf([&] { (void)result->CellStream(0); }),
            QStringLiteral("Not a Blob field"));
    }
}

void TestSqliteAccess::valueTypeDecidesForColumnsWithoutDeclaredType_data()
{
    QTest::addColumn<QString>("expression");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("numeric");
    QTest::newRow("integer expression") << "40+2"
                                        << "42" << true;
    QTest::newRow("float expression") << "1.5*3"
                                      << "4,5" << true;
    QTest::newRow("text expression") << "'a'||'b'"
                                     << "ab" << false;
    QTest::newRow("blob expression reads its bytes") << "X'4B6F'"
                                                     << "Ko" << false;
    QTest::newRow("NULL expression reads empty") << "NULL"
                                                 << "" << true;
}

void TestSqliteAccess::valueTypeDecidesForColumnsWithoutDeclaredType()
{
    QFETCH(QString, expression);
    QFETCH(QString, text);
    QFETCH(bool, numeric);
    const ISQLiteTablePtr result = m_db->RunQuery(QStringLiteral("SELECT ") + expression);
    QCOMPARE(result->CellText(0), text);
    if (!numeric)
        QCOMPARE(storageErrorOf([&] { (void)result->CellDouble(0); }),
            QStringLiteral("Not an integer or numeric field"));
}

void TestSqliteAccess::nullCellsReadAsZeroOrEmpty()
{
    m_db->RunStatement(QStringLiteral("CREATE TABLE t(i INTEGER, f REAL, s VARCHAR(9), b BLOB)"));
    m_db->RunStatement(QStringLiteral("INSERT INTO t VALUES(NULL, NULL, NULL, NULL)"));
    m_db->RunStatement(QStringLiteral("INSERT INTO t VALUES(0, 0, '', NULL)"));
    const ISQLiteTablePtr result = m_db->RunQuery(QStringLiteral("SELECT * FROM t"));
    for (int col = 0; col < 4; ++col)
        QVERIFY(result->CellIsNull(col));
    QCOMPARE(result->CellText(0), QStringLiteral("0"));
    QCOMPARE(result->CellText(1), QStringLiteral("0"));
    QCOMPARE(result->CellTextOrEmpty(0), QString());
    QCOMPARE(result->CellTextOrEmpty(1), QString());
    QCOMPARE(result->CellInt64(0), 0);
    QCOMPARE(result->CellDouble(1), 0.0);
    QCOMPARE(result->CellText(2), QString());
    QCOMPARE(result->CellStream(3), nullptr);
    QVERIFY(result->CellBytes(2).isEmpty());
    // An empty text is a value, not NULL.
    QVERIFY(result->StepForward());
    QVERIFY(!result->CellIsNull(2));
    QCOMPARE(result->CellTextOrEmpty(0), QStringLiteral("0"));
}

void TestSqliteAccess::storedTypeIsTheEnginesWhateverTheColumnDeclares_data()
{
    QTest::addColumn<QString>("declaredType");
    QTest::addColumn<QString>("literal");
    QTest::addColumn<int>("storedType");
    QTest::addColumn<QString>("text");

    const auto row = [](const char* name, const char* declared, const char* literal,
                         StoredType type, const char* text) {
        QTest::newRow(name) << QString::fromLatin1(declared) << QString::fromLatin1(literal)
                            << int(type) << QString::fromUtf8(text);
    };
    row("text in a text column", "VARCHAR(40)", "'Adam'", StoredType::Text, "Adam");
    row("a number given to a text column becomes text", "VARCHAR(40)", "12", StoredType::Text,
        "12");
    row("blob in a text column reads as its bytes", "VARCHAR(40)", "x'416461'", StoredType::Blob,
        "Ada");
    row("NULL in a text column", "VARCHAR(40)", "NULL", StoredType::Null, "");
    row("empty text is no NULL", "VARCHAR(40)", "''", StoredType::Text, "");
    // A column declared with a type of no affinity of SQLite's text turns number texts into
    // numbers, and still reads as text here.
    row("integer in a numeric column read as text", "STRING", "'0012'", StoredType::Integer, "12");
    row("real in a numeric column read as text", "STRING", "'2.50'", StoredType::Float, "2.5");
    row("integer of an integer column", "INTEGER", "7", StoredType::Integer, "7");
    row("empty text in a blob column reads as NULL but is text", "BLOB", "''", StoredType::Text,
        "");
    row("empty blob in a blob column", "BLOB", "x''", StoredType::Blob, "");
}

void TestSqliteAccess::storedTypeIsTheEnginesWhateverTheColumnDeclares()
{
    QFETCH(QString, declaredType);
    QFETCH(QString, literal);
    QFETCH(int, storedType);
    QFETCH(QString, text);
    m_db->RunStatement(
        QStringLiteral("CREATE TABLE t(a INTEGER, v %1, z INTEGER)").arg(declaredType));
    m_db->RunStatement(QStringLiteral("INSERT INTO t VALUES (-1, %1, NULL)").arg(literal));
    const QString sql = QStringLiteral("SELECT * FROM t");
    const ISQLiteTablePtr result = m_db->RunQuery(sql);
    QCOMPARE(int(result->CellStoredType(1)), storedType);
    QCOMPARE(result->CellTextOrEmpty(1), text);
    // The neighbours keep their own classes and values.
    QCOMPARE(int(result->CellStoredType(0)), int(StoredType::Integer));
    QCOMPARE(result->CellInt64(0), -1);
    QCOMPARE(int(result->CellStoredType(2)), int(StoredType::Null));
    (void)m_db->RunQueryRows(sql, [&](const ISQLiteTable& row) {
        QCOMPARE(int(row.CellStoredType(1)), storedType);
        QCOMPARE(row.CellTextOrEmpty(1), text);
    });
}

void TestSqliteAccess::zeroLengthBlobReadsAsNull()
{
    m_db->RunStatement(QStringLiteral("CREATE TABLE t(b BLOB)"));
    m_db->RunStatement(QStringLiteral("INSERT INTO t VALUES(X'')"));
    m_db->RunStatement(QStringLiteral("INSERT INTO t VALUES('')"));
    const ISQLiteTablePtr result = m_db->RunQuery(QStringLiteral("SELECT b FROM t"));
    do {
        QVERIFY(result->CellIsNull(0));
        QCOMPARE(result->CellStream(0), nullptr);
        QCOMPARE(result->CellBlobText(0), QString());
        QCOMPARE(result->CellTextOrEmpty(0), QString());
    } while (result->StepForward() && !result->AtEnd());
}

void TestSqliteAccess::zeroByteCutsATextButNotABlob()
{
    m_db->RunStatement(QStringLiteral("CREATE TABLE t(s VARCHAR(20), b BLOB)"));
    m_db->RunStatement(QStringLiteral(
        "INSERT INTO t VALUES(CAST(X'41420043' AS TEXT), CAST(X'41420043' AS TEXT))"));
    const ISQLiteTablePtr result = m_db->RunQuery(QStringLiteral("SELECT s, b FROM t"));
    QCOMPARE(result->CellText(0), QStringLiteral("AB"));
    QCOMPARE(result->CellBytes(0), QByteArrayView("AB"));
    QCOMPARE(result->CellBlobText(1), QStringView(u"AB\0C", 4).toString());
    QCOMPARE(result->CellText(1), QStringView(u"AB\0C", 4).toString());
    QCOMPARE(result->CellBytes(1), QByteArrayView("AB\0C", 4));
}

void TestSqliteAccess::everyByteValueSurvivesAColumn()
{
    const QByteArray bytes = kolvar::test::allBytes();
    const QString text = fromCp1250(bytes);
    m_db->RunStatement(QStringLiteral("CREATE TABLE t(s VARCHAR(255), b BLOB)"));
    // A text column cannot hold byte 0; a blob column holds all 256.
    m_db->RunStatement(QStringLiteral("INSERT INTO t VALUES(?, ?)"), { text.mid(1), text });
    const ISQLiteTablePtr result
        = m_db->RunQuery(QStringLiteral("SELECT s, b, hex(s), hex(b) FROM t"));
    QCOMPARE(result->CellText(2).toLatin1(), bytes.mid(1).toHex().toUpper());
    QCOMPARE(result->CellText(3).toLatin1(), bytes.toHex().toUpper());
    QCOMPARE(result->CellText(0), text.mid(1));
    QCOMPARE(result->CellBlobText(1), text);
    QCOMPARE(result->CellBytes(1), QByteArrayView(bytes));
}

void TestSqliteAccess::columnsAreFoundByNameInAnyCase()
{
    m_db->RunStatement(
        QStringLiteral("CREATE TABLE t(ID INTEGER, Termin VARCHAR(15), Źródło TEXT)"));
    m_db->RunStatement(QStringLiteral("INSERT INTO t VALUES(7, '2024-01-31', 'urząd')"));
    const ISQLiteTablePtr result = m_db->RunQuery(QStringLiteral("SELECT * FROM t"));
    QCOMPARE(result->ColumnTotal(), 3u);
    QCOMPARE(result->ColumnName(1), QStringLiteral("TERMIN"));
    QCOMPARE(result->ColumnName(2), QStringLiteral("ŹRÓDŁO"));
    QCOMPARE(result->ColumnNumber(QStringLiteral("termin")), 1);
    QCOMPARE(result->ColumnNumber(QStringLiteral("TERMIN")), 1);
    QCOMPARE(result->ColumnNumber(QStringLiteral("źródło")), 2);
    QCOMPARE(result->CellTextNamed(QStringLiteral("źródło")), QStringLiteral("urząd"));
    QCOMPARE(result->CellTextNamed(QStringLiteral("id")), QStringLiteral("7"));
    QCOMPARE(storageErrorOf([&] { (void)result->ColumnNumber(QStringLiteral("Nadawca")); }),
        QStringLiteral("Field not found in dataset: Nadawca"));
    QVERIFY(!storageErrorOf([&] { (void)result->ColumnName(3); }).isEmpty());
    QVERIFY(!storageErrorOf([&] { (void)result->CellText(-1); }).isEmpty());
}

void TestSqliteAccess::cursorStepsPastTheLastRowOnce()
{
    const ISQLiteTablePtr result
        = m_db->RunQuery(QStringLiteral("SELECT 1 UNION ALL SELECT 2 UNION ALL SELECT 3"));
    QCOMPARE(result->RowTotal(), 3u);
    QVERIFY(result->AtStart());
    QVERIFY(!result->StepBack());
    QVERIFY(result->GoLast());
    QCOMPARE(result->CountAnswer(), 3);
    QVERIFY(result->StepForward());
    QVERIFY(result->AtEnd());
    QCOMPARE(result->CurrentRow(), 3u);
    QVERIFY(!result->StepForward());
    QCOMPARE(result->CountAnswer(), 0);
    QVERIFY(result->StepBack());
    QCOMPARE(result->CellInt64(0), 3);
    QVERIFY(result->GoFirst());
    QCOMPARE(result->CellInt64(0), 1);
}

void TestSqliteAccess::failuresCarryTheExactMessage_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<bool>("asQuery");
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("message");

    const QString table = QStringLiteral("CREATE TABLE t(a UNIQUE); INSERT INTO t VALUES(1)");
    QTest::newRow("empty statement") << "" << false << ""
                                     << "Could not prepare SQL statement \"\" : No message";
    QTest::newRow("empty query") << "" << true << ""
                                 << "Could not prepare SQL statement \"\" : No message";
    QTest::newRow("comment only") << "" << false << "-- nic"
                                  << "Could not prepare SQL statement \"-- nic\" : No message";
    QTest::newRow("syntax error")
        << "" << false << "SELEC 1"
        << "Error executing SQL \"SELEC 1\" : near \"SELEC\": syntax error";
    QTest::newRow("missing table named in Polish, query")
        << "" << true << "SELECT * FROM Łódź"
        << "Error executing SQL \"SELECT * FROM Łódź\" : no such table: Łódź";
    QTest::newRow("statement that yields a row")
        << "" << false << "SELECT 1"
        << "Error executing SQL statement \"SELECT 1\" : another row available";
    QTest::newRow("constraint violated") << table << false << "INSERT INTO t VALUES(1)"
                                         << "Error executing SQL statement \"INSERT INTO t "
                                            "VALUES(1)\" : UNIQUE constraint failed: t.a";
    QTest::newRow("query failing while reading rows")
        << "" << true << "SELECT abs(-9223372036854775807 - 1)"
        << "Could not retrieve data \"SELECT abs(-9223372036854775807 - 1)\" : integer overflow";
}

void TestSqliteAccess::failuresCarryTheExactMessage()
{
    QFETCH(QString, setup);
    QFETCH(bool, asQuery);
    QFETCH(QString, sql);
    QFETCH(QString, message);
    for (const QString& statement : setup.split(u';', Qt::SkipEmptyParts))
        m_db->RunStatement(statement);
    try {
        if (asQuery)
            (void)m_db->RunQuery(sql);
        else
            m_db->RunStatement(sql);
        QFAIL("no exception");
    } catch (const ESQLiteException& e) {
        QCOMPARE(e.message(), message);
        QCOMPARE(QString::fromUtf8(e.what()), message);
    }
}

void TestSqliteAccess::failedStatementLeavesTheConnectionUsable()
{
    m_db->RunStatement(QStringLiteral("CREATE TABLE t(a UNIQUE)"));
    m_db->RunStatement(QStringLiteral("INSERT INTO t VALUES(1)"));
    QVERIFY(!storageErrorOf([&] {
        m_db->RunStatement(QStringLiteral("INSERT INTO t VALUES(1)"));
    }).isEmpty());
    QVERIFY(!storageErrorOf([&] {
        (void)m_db->RunQuery(QStringLiteral("SELECT nic FROM t"));
    }).isEmpty());
    m_db->RunStatement(QStringLiteral("INSERT INTO t VALUES(2)"));
    QCOMPARE(m_db->QueryInteger(QStringLiteral("SELECT count(*) FROM t")), 2);
}

void TestSqliteAccess::runsOnlyTheFirstOfTwoStatements()
{
    m_db->RunStatement(QStringLiteral("CREATE TABLE t(a)"));
    m_db->RunStatement(QStringLiteral("INSERT INTO t VALUES(1); INSERT INTO t VALUES(2)"));
    QCOMPARE(m_db->QueryInteger(QStringLiteral("SELECT count(*) FROM t")), 1);
    QCOMPARE(m_db->LastRowKey(), 1);
    QCOMPARE(m_db->ChangedRows(), 1);
}

void TestSqliteAccess::bindsTextParametersAsWindows1250()
{
    m_db->RunStatement(QStringLiteral("CREATE TABLE t(a VARCHAR(9), b VARCHAR(9))"));
    const QString quoted = QStringLiteral("\"x\" 'y' ? -- ");
    m_db->RunStatement(
        QStringLiteral("INSERT INTO t VALUES(?, ?)"), { QStringLiteral("żółw"), quoted });
    const ISQLiteTablePtr result
        = m_db->RunQuery(QStringLiteral("SELECT hex(a), typeof(a), b FROM t WHERE a = ?"),
            { QStringLiteral("żółw") });
    QCOMPARE(result->RowTotal(), 1u);
    QCOMPARE(result->CellText(0), QStringLiteral("BFF3B377"));
    QCOMPARE(result->CellText(1), QStringLiteral("text"));
    QCOMPARE(result->CellText(2), quoted);
    QCOMPARE(storageErrorOf([&] {
        m_db->RunStatement(QStringLiteral("INSERT INTO t VALUES(?, ?)"), { QStringLiteral("a") });
    }),
        QStringLiteral("Error binding text to database \"INSERT INTO t VALUES(?, ?)\" : "
                       "parameter count does not match the values"));
    QCOMPARE(m_db->QueryInteger(QStringLiteral("SELECT count(*) FROM t")), 1);
}

void TestSqliteAccess::lockedDatabaseReadsAsBusy()
{
    m_db->RunStatement(QStringLiteral("CREATE TABLE t(a)"));
    const ISQLiteDatabasePtr other = OpenDatabase(path(QStringLiteral("test.db")));
    other->RunStatement(QStringLiteral("BEGIN EXCLUSIVE"));
    QCOMPARE(storageErrorOf([&] { (void)m_db->RunQuery(QStringLiteral("SELECT * FROM t")); }),
        QStringLiteral("Could not prepare SQL statement \"SELECT * FROM t\" : SQLite is Busy"));
    QCOMPARE(storageErrorOf([&] { m_db->RunStatement(QStringLiteral("INSERT INTO t VALUES(1)")); }),
        QStringLiteral("Error executing SQL statement \"INSERT INTO t VALUES(1)\" : "
                       "database is locked"));
    other->RunStatement(QStringLiteral("COMMIT"));
    QCOMPARE(m_db->RunQuery(QStringLiteral("SELECT * FROM t"))->RowTotal(), 0u);
}

void TestSqliteAccess::lockReleasedWithinTheBusyWaitLetsTheWriteThrough()
{
    m_db->RunStatement(QStringLiteral("CREATE TABLE t(a)"));
    const ISQLiteDatabasePtr other = OpenDatabase(path(QStringLiteral("test.db")));
    other->RunStatement(QStringLiteral("BEGIN EXCLUSIVE"));
    std::thread otherProgram([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        other->RunStatement(QStringLiteral("COMMIT"));
    });
    m_db->RunStatement(QStringLiteral("INSERT INTO t VALUES(1)"));
    otherProgram.join();
    QCOMPARE(m_db->QueryInteger(QStringLiteral("SELECT count(*) FROM t")), 1);
}

void TestSqliteAccess::opensOnlyExistingFilesAndDefensively()
{
    const QString missing = path(QStringLiteral("brak.db"));
    try {
        (void)OpenDatabase(missing);
        QFAIL("a missing file was opened");
    } catch (const ESQLiteException& e) {
        QCOMPARE(KindOfFailure(e.resultCode()), FailureKind::CannotWrite);
    }
    QVERIFY(!QFile::exists(missing));

    QCOMPARE(m_db->QueryInteger(QStringLiteral("PRAGMA trusted_schema")), 0);
    m_db->RunStatement(QStringLiteral("CREATE TABLE t(a)"));
    m_db->RunStatement(QStringLiteral("PRAGMA writable_schema = ON"));
    QVERIFY(storageErrorOf([&] {
        m_db->RunStatement(QStringLiteral("UPDATE sqlite_master SET sql = 'CREATE TABLE t(b)'"));
    }) != QStringLiteral("<no exception>"));
    QCOMPARE(m_db->QueryText(QStringLiteral("SELECT sql FROM sqlite_master")),
        QStringLiteral("CREATE TABLE t(a)"));
}

void TestSqliteAccess::damagedFileRefusesEveryWrite_data()
{
    QTest::addColumn<bool>("damaged");
    QTest::addColumn<bool>("ahead");
    QTest::newRow("damaged, checked by the write") << true << false;
    QTest::newRow("damaged, checked ahead") << true << true;
    QTest::newRow("sound, checked ahead") << false << true;
}

void TestSqliteAccess::damagedFileRefusesEveryWrite()
{
    QFETCH(bool, damaged);
    QFETCH(bool, ahead);
    m_db->RunStatement(QStringLiteral("CREATE TABLE t(a)"));
    m_db->RunStatement(QStringLiteral("INSERT INTO t VALUES(1)"));
    m_db.reset();
    QFile file(path(QStringLiteral("test.db")));
    QVERIFY(file.open(QIODevice::ReadWrite));
    QByteArray bytes = file.readAll();
    if (damaged) {
        // One page more in the header's count than any table uses.
        bytes[31] = char(bytes[31] + 1);
        bytes.append(QByteArray((uchar(bytes[16]) << 8) | uchar(bytes[17]), '\0'));
        QVERIFY(file.seek(0) && file.write(bytes) == bytes.size());
    }
    file.close();

    ISQLiteDatabasePtr db = OpenDatabase(file.fileName());
    if (ahead)
        db->CheckAheadOfWriting();
    for (int attempt = 0; attempt < 2; ++attempt) {
        const QString error
            = storageErrorOf([&] { db->RunStatement(QStringLiteral("INSERT INTO t VALUES(2)")); });
        QCOMPARE(error.startsWith(QStringLiteral("Database file is damaged")), damaged);
    }
    QCOMPARE(db->QueryInteger(QStringLiteral("SELECT count(*) FROM t")), damaged ? 1 : 3);
    db->CheckAheadOfWriting(); // after a check, nothing more is started
    db.reset();
    if (damaged) {
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), bytes);
    }
    // Closed while its check may still run.
    OpenDatabase(file.fileName())->CheckAheadOfWriting();
}

void TestSqliteAccess::secondStartTransactionIsRefused()
{
    m_db->StartTransaction();
    QVERIFY(m_db->TransactionActive());
    QCOMPARE(storageErrorOf([&] { m_db->StartTransaction(); }),
        QStringLiteral("Transaction already open"));
    QVERIFY(m_db->TransactionActive());
    m_db->CancelTransaction();
    QVERIFY(!m_db->TransactionActive());
    m_db->StartTransaction();
    m_db->ConfirmTransaction();
    QVERIFY(!m_db->TransactionActive());
}

void TestSqliteAccess::releasingTheConnectionRollsBackAnOpenTransaction()
{
    m_db->RunStatement(QStringLiteral("CREATE TABLE t(a)"));
    m_db->StartTransaction();
    m_db->RunStatement(QStringLiteral("INSERT INTO t VALUES(1)"));
    m_db.reset();
    m_db = OpenDatabase(path(QStringLiteral("test.db")), OpenMode::Create);
    QCOMPARE(m_db->QueryInteger(QStringLiteral("SELECT count(*) FROM t")), 0);
    // Nothing is left locked either.
    m_db->RunStatement(QStringLiteral("INSERT INTO t VALUES(2)"));
}

void TestSqliteAccess::findsATableNamedInCapitals()
{
    m_db->RunStatement(QStringLiteral("CREATE TABLE kolvar(a)"));
    QVERIFY(m_db->HasTable(QStringLiteral("KOLVAR")));
    QVERIFY(m_db->HasTable(QStringLiteral("kolvar")));
    QVERIFY(!m_db->HasTable(QStringLiteral("kolva")));
    // The name is bound, so a quote in it is a name, not SQL.
    QVERIFY(!m_db->HasTable(QStringLiteral("x' or '1'='1")));
}

void TestSqliteAccess::storesABlobThroughItsParameter()
{
    m_db->RunStatement(QStringLiteral("CREATE TABLE t(b BLOB)"));
    TMemoryStream empty;
    QCOMPARE(
        storageErrorOf([&] { m_db->StoreBlob(QStringLiteral("INSERT INTO t VALUES(?)"), empty); }),
        QStringLiteral("Error getting memory to save blob \"INSERT INTO t VALUES(?)\" : Error"));
    TMemoryStream stream(kolvar::test::allBytes());
    QCOMPARE(
        storageErrorOf([&] { m_db->StoreBlob(QStringLiteral("INSERT INTO t VALUES(1)"), stream); }),
        QStringLiteral("SQL must include a ? parameter \"INSERT INTO t VALUES(1)\" : No message"));
    stream.SetPosition(100);
    m_db->StoreBlob(QStringLiteral("INSERT INTO t VALUES(?)"), stream);
    const ISQLiteTablePtr result = m_db->RunQuery(QStringLiteral("SELECT b, typeof(b) FROM t"));
    QCOMPARE(result->RowTotal(), 1u);
    QCOMPARE(result->CellStream(0)->Bytes(), kolvar::test::allBytes());
    QCOMPARE(result->CellText(1), QStringLiteral("blob"));
}

void TestSqliteAccess::resultOutlivesItsConnectionAndKeepsItsStreams()
{
    m_db->RunStatement(QStringLiteral("CREATE TABLE t(b BLOB)"));
    m_db->RunStatement(QStringLiteral("INSERT INTO t VALUES('pierwszy'), ('drugi')"));
    const ISQLiteTablePtr result = m_db->RunQuery(QStringLiteral("SELECT b FROM t"));
    m_db.reset();
    TMemoryStream* first = result->CellStream(0);
    QVERIFY(first);
    QVERIFY(result->StepForward());
    TMemoryStream* second = result->CellStream(0);
    QVERIFY(result->StepBack());
    QCOMPARE(result->CellStream(0), first);
    QCOMPARE(first->Bytes(), QByteArray("pierwszy"));
    QCOMPARE(second->Bytes(), QByteArray("drugi"));
    char buffer[4];
    QCOMPARE(first->Read(buffer, 4), 4);
    QCOMPARE(result->CellBlobText(0), QStringLiteral("pierwszy"));
    QCOMPARE(first->Position(), 0);
}

void TestSqliteAccess::queryShortcutsReadTheFirstCell()
{
    QCOMPARE(m_db->QueryInteger(QStringLiteral("SELECT 9000000000, 1")), 9000000000ll);
    QCOMPARE(m_db->QueryText(QStringLiteral("SELECT 'Łęczna'")), QStringLiteral("Łęczna"));
    QCOMPARE(m_db->QueryText(QStringLiteral("SELECT NULL")), QString());
    QVERIFY(m_db->EngineVersion().startsWith(u'3'));
}

void TestSqliteAccess::largeResultKeepsEveryCell()
{
    // Enough rows for the value store to grow many times over.
    const ISQLiteTablePtr result = m_db->RunQuery(QStringLiteral(
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 20000) "
        "SELECT i, CASE WHEN i % 3 = 0 THEN NULL ELSE printf('ż%d', i) END, i * 0.5 FROM n"));
    QCOMPARE(result->RowTotal(), 20000u);
    std::int64_t expected = 0;
    for (result->GoFirst(); !result->AtEnd(); result->StepForward()) {
        ++expected;
        QCOMPARE(result->CellInt64(0), expected);
        QCOMPARE(result->CellIsNull(1), expected % 3 == 0);
        if (expected % 3 != 0)
            QCOMPARE(result->CellText(1), QStringLiteral("ż%1").arg(expected));
        QCOMPARE(result->CellDouble(2), expected * 0.5);
    }
}

QTEST_APPLESS_MAIN(TestSqliteAccess)
#include "tst_sqliteaccess.moc"

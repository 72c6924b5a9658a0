#include "SqliteAccess.h"
#include "StorageTestSupport.h"

#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace kolvar::storage;
using kolvar::test::storageErrorOf;

// Reading a query row by row must give every row exactly what the whole-set query gives it.
class TestQueryRows : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void eachRowReadsAsTheWholeSetReadsIt();
    void rowsComeInTheQueryOrderAndAreCounted();
    void emptyResultCallsNothing();
    void failingQueryCarriesTheWholeSetMessage();
    void exceptionFromTheHandlerEndsTheQueryAndLeavesTheConnectionUsable();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    ISQLiteDatabasePtr m_db;
};

void TestQueryRows::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_db = OpenDatabase(m_dir->filePath(QStringLiteral("rows.db")), OpenMode::Create);
    m_db->RunStatement(QStringLiteral("CREATE TABLE t(ID INTEGER PRIMARY KEY, Name VARCHAR(40), "
                                      "Memo BLOB, Amount FLOAT)"));
    // NULLs, an empty blob, Polish letters and a long memo next to short ones: a later row must
    // not see anything of an earlier, longer one.
    m_db->RunStatement(QStringLiteral("INSERT INTO t VALUES (1, 'Żółkiewski Łukasz', "
                                      "'pierwsza linia' || char(13,10) || 'druga', 2.5)"));
    m_db->RunStatement(QStringLiteral("INSERT INTO t VALUES (2, NULL, x'', NULL)"));
    m_db->RunStatement(QStringLiteral("INSERT INTO t VALUES (3, 'Ćwik', NULL, 7)"));
    m_db->RunStatement(QStringLiteral("INSERT INTO t VALUES (4, 'A', zeroblob(5000), 0)"));
    m_db->RunStatement(QStringLiteral("INSERT INTO t VALUES (5, '', 'x', -1)"));
    // A text ends at a zero byte; a blob keeps it.
    m_db->RunStatement(
        QStringLiteral("INSERT INTO t VALUES (6, 'ab' || char(0) || 'cd', x'00410042', 1.25)"));
    // Values of hundreds of kilobytes, which a row read alone takes where the engine holds them,
    // between short ones; a zero byte far into a text still ends it.
    m_db->RunStatement(QStringLiteral("INSERT INTO t VALUES (7, replace(hex(zeroblob(100000)), "
                                      "'00', 'Łą'), zeroblob(70000) || x'41', 3)"));
    m_db->RunStatement(QStringLiteral("INSERT INTO t VALUES (8, 'Nowak', x'42', 4)"));
    m_db->RunStatement(QStringLiteral("INSERT INTO t VALUES (9, replace(hex(zeroblob(40000)), "
                                      "'0', 'b') || char(0) || 'reszta', x'43', 5)"));
}

void TestQueryRows::cleanup()
{
    m_db.reset();
    m_dir.reset();
}

namespace {

// What a read gives: its text, or the message it fails with, so that a read refused for a column
// of the wrong kind is compared too.
template <typename Read> QString outcome(Read&& read)
{
    try {
        return read();
    } catch (const ESQLiteException& e) {
        return QStringLiteral("failed: ") + e.message();
    }
}

} // namespace

void TestQueryRows::eachRowReadsAsTheWholeSetReadsIt()
{
    const QString sql = QStringLiteral("SELECT * FROM t ORDER BY ID");
    const ISQLiteTablePtr whole = m_db->RunQuery(sql);
    int rows = 0;
    (void)m_db->RunQueryRows(sql, [&](const ISQLiteTable& row) {
        QCOMPARE(row.RowTotal(), 1u);
        QVERIFY(!row.AtEnd());
        QCOMPARE(row.ColumnTotal(), whole->ColumnTotal());
        for (int c = 0; c < int(whole->ColumnTotal()); ++c) {
            const QString where = QStringLiteral("row %1 column %2").arg(rows).arg(c);
            QCOMPARE(row.ColumnName(c), whole->ColumnName(c));
            QVERIFY2(row.CellIsNull(c) == whole->CellIsNull(c), qPrintable(where));
            QCOMPARE(outcome([&] { return row.CellTextOrEmpty(c); }),
                outcome([&] { return whole->CellTextOrEmpty(c); }));
            QCOMPARE(outcome([&] { return row.CellBlobText(c); }),
                outcome([&] { return whole->CellBlobText(c); }));
            QCOMPARE(outcome([&] {
                return QString::fromLatin1(row.CellBytes(c).toByteArray().toHex());
            }),
                outcome([&] {
                    return QString::fromLatin1(whole->CellBytes(c).toByteArray().toHex());
                }));
        }
        QCOMPARE(row.CellTextNamed(QStringLiteral("name")),
            whole->CellTextNamed(QStringLiteral("Name")));
        ++rows;
        whole->StepForward();
    });
    QCOMPARE(rows, 9);
    QVERIFY(whole->AtEnd());
}

void TestQueryRows::rowsComeInTheQueryOrderAndAreCounted()
{
    QList<std::int64_t> ids;
    const std::uint32_t total
        = m_db->RunQueryRows(QStringLiteral("SELECT ID FROM t ORDER BY Amount DESC"),
            [&ids](const ISQLiteTable& row) { ids.append(row.CellInt64(0)); });
    QCOMPARE(total, 9u);
    // SQLite puts NULL first in ascending order, so last here.
    QCOMPARE(ids, (QList<std::int64_t> { 3, 9, 8, 7, 1, 6, 4, 5, 2 }));
}

void TestQueryRows::emptyResultCallsNothing()
{
    int calls = 0;
    QCOMPARE(m_db->RunQueryRows(QStringLiteral("SELECT * FROM t WHERE ID > 99"),
                 [&calls](const ISQLiteTable&) { ++calls; }),
        0u);
    QCOMPARE(calls, 0);
}

void TestQueryRows::failingQueryCarriesTheWholeSetMessage()
{
    const QString sql = QStringLiteral("SELECT * FROM missing");
    const QString whole = storageErrorOf([&] { (void)m_db->RunQuery(sql); });
    QCOMPARE(
        storageErrorOf([&] { (void)m_db->RunQueryRows(sql, [](const ISQLiteTable&) {}); }), whole);
    QVERIFY(whole.startsWith(QStringLiteral("Error executing SQL \"SELECT * FROM missing\" : ")));
}

void TestQueryRows::exceptionFromTheHandlerEndsTheQueryAndLeavesTheConnectionUsable()
{
    int calls = 0;
    QCOMPARE(storageErrorOf([&] {
        (void)m_db->RunQueryRows(QStringLiteral("SELECT * FROM t"), [&calls](const ISQLiteTable&) {
            if (++calls == 2)
                throw ESQLiteException(QStringLiteral("stop"));
        });
    }),
        QStringLiteral("stop"));
    QCOMPARE(calls, 2);
    // The statement was finalized: the table can be written and dropped.
    m_db->RunStatement(QStringLiteral("DELETE FROM t WHERE ID = 1"));
    m_db->RunStatement(QStringLiteral("DROP TABLE t"));
    QVERIFY(!m_db->HasTable(QStringLiteral("t")));
}

QTEST_APPLESS_MAIN(TestQueryRows)
#include "tst_queryrows.moc"

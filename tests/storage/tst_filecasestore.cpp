#include "CaseStore.h"
#include "CaseTable.h"
#include "Cp1250.h"
#include "StorageTestSupport.h"

#include <QTemporaryDir>
#include <QTest>

using namespace kolvar::storage;

// Two programs on one register file: what each sees and what the file holds after both wrote.
class TestFileCaseStore : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void secondWriterIsToldWhatTheFirstStored_data();
    void secondWriterIsToldWhatTheFirstStored();
    void writingOverTheirsNeedsWhatTheyStored();
    void unmarkedFieldsKeepWhatTheOtherStored();
    void changeStampMovesOnlyForTheOthersWrites();
    void oneTextReadsAsTheWholeCase_data();
    void oneTextReadsAsTheWholeCase();

private:
    [[nodiscard]] QString path() const { return m_dir->filePath(QStringLiteral("rejestr.db")); }

    std::unique_ptr<QTemporaryDir> m_dir;
    CaseStorePtr m_mine;
    CaseStorePtr m_theirs;
};

namespace {

CaseRecord withSender(CaseRecord record, const QString& sender)
{
    record.nadawca = sender;
    return record;
}

constexpr CaseFields OnlyNadawca = { false, true, false, false, false, false, false };

} // namespace

void TestFileCaseStore::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    {
        const ISQLiteDatabasePtr db = OpenDatabase(path(), OpenMode::Create);
        CaseTable::CreateTable(*db);
        CaseTable::InsertSeedCase(*db, QStringLiteral("2024-03-15"));
        CaseTable::InsertSeedCase(*db, QStringLiteral("2024-03-16"));
    }
    m_mine = OpenFileStore(path());
    m_theirs = OpenFileStore(path());
}

void TestFileCaseStore::cleanup()
{
    m_mine.reset();
    m_theirs.reset();
    m_dir.reset();
}

void TestFileCaseStore::secondWriterIsToldWhatTheFirstStored_data()
{
    QTest::addColumn<bool>("theyDelete");
    QTest::addColumn<bool>("iDelete");
    QTest::newRow("they saved, I save") << false << false;
    QTest::newRow("they saved, I delete") << false << true;
    QTest::newRow("they deleted, I save") << true << false;
    QTest::newRow("they deleted, I delete") << true << true;
}

void TestFileCaseStore::secondWriterIsToldWhatTheFirstStored()
{
    QFETCH(bool, theyDelete);
    QFETCH(bool, iDelete);
    const CaseRecord shownToMe = *m_mine->readCase(1);
    const CaseRecord shownToThem = *m_theirs->readCase(1);
    const CaseRecord written = withSender(shownToThem, QStringLiteral("Tekst A"));
    if (theyDelete)
        m_theirs->deleteCase(1, shownToThem);
    else
        m_theirs->saveCase(1, shownToThem, written, AllCaseFields);

    std::optional<CaseConflict> conflict;
    try {
        if (iDelete)
            m_mine->deleteCase(1, shownToMe);
        else
            m_mine->saveCase(
                1, shownToMe, withSender(shownToMe, QStringLiteral("Tekst B")), AllCaseFields);
    } catch (const CaseConflict& e) {
        conflict = e;
    }
    QVERIFY(conflict);
    QCOMPARE(conflict->id(), 1);
    QCOMPARE(conflict->theirs().has_value(), !theyDelete);
    if (!theyDelete)
        QCOMPARE(conflict->theirs()->nadawca, QStringLiteral("Tekst A"));
    // Nothing of mine reached the file.
    const std::optional<CaseRecord> stored = m_theirs->readCase(1);
    QCOMPARE(stored.has_value(), !theyDelete);
    if (stored)
        QCOMPARE(*stored, written);
    QCOMPARE(m_mine->count(), theyDelete ? 1 : 2);
}

void TestFileCaseStore::writingOverTheirsNeedsWhatTheyStored()
{
    const CaseRecord shown = *m_mine->readCase(2);
    m_theirs->saveCase(2, shown, withSender(shown, QStringLiteral("Tekst A")), AllCaseFields);
    CaseRecord theirs;
    try {
        m_mine->saveCase(2, shown, withSender(shown, QStringLiteral("Tekst B")), AllCaseFields);
        QFAIL("the second save was not refused");
    } catch (const CaseConflict& e) {
        theirs = *e.theirs();
    }
    // "Write mine": the save compares with what they stored, and now goes through.
    m_mine->saveCase(2, theirs, withSender(shown, QStringLiteral("Tekst B")), AllCaseFields);
    QCOMPARE(m_theirs->readCase(2)->nadawca, QStringLiteral("Tekst B"));
}

void TestFileCaseStore::unmarkedFieldsKeepWhatTheOtherStored()
{
    // After "write mine" only the fields the user changed are written: the other's date stays.
    const CaseRecord shown = *m_mine->readCase(1);
    CaseRecord theirs = shown;
    theirs.termin = QStringLiteral("2025-01-01");
    m_theirs->saveCase(1, shown, theirs, AllCaseFields);
    m_mine->saveCase(1, theirs, withSender(shown, QStringLiteral("Tekst B")), OnlyNadawca);
    const CaseRecord stored = *m_theirs->readCase(1);
    QCOMPARE(stored.termin, QStringLiteral("2025-01-01"));
    QCOMPARE(stored.nadawca, QStringLiteral("Tekst B"));
}

void TestFileCaseStore::changeStampMovesOnlyForTheOthersWrites()
{
    const std::int64_t before = m_mine->changeStamp();
    const CaseRecord shown = *m_mine->readCase(1);
    m_mine->saveCase(1, shown, withSender(shown, QStringLiteral("mój")), AllCaseFields);
    (void)m_mine->addCase(shown);
    QCOMPARE(m_mine->changeStamp(), before);
    (void)m_theirs->addCase(shown);
    QVERIFY(m_mine->changeStamp() != before);
}

void TestFileCaseStore::oneTextReadsAsTheWholeCase_data()
{
    QTest::addColumn<QString>("stored"); // an SQL value for Nadawca of case 1
    QTest::addColumn<int>("id");
    QTest::addColumn<QByteArray>("read"); // what the list reads; "-" for nothing
    QTest::newRow("Polish letters") << "'Łódź'" << 1 << toCp1250(u"Łódź");
    QTest::newRow("a number") << "12" << 1 << QByteArray("12");
    QTest::newRow("a blob, to its first zero byte") << "x'41006200'" << 1 << QByteArray("A");
    QTest::newRow("NULL") << "NULL" << 1 << QByteArray("-");
    QTest::newRow("no such case") << "'x'" << 9 << QByteArray("-");
}

// The register reads one column alone as the list reads it in the whole case.
void TestFileCaseStore::oneTextReadsAsTheWholeCase()
{
    QFETCH(QString, stored);
    QFETCH(int, id);
    QFETCH(QByteArray, read);
    const ISQLiteDatabasePtr db = OpenDatabase(path());
    db->RunStatement(QStringLiteral("UPDATE kolvar SET Nadawca = %1 WHERE ID = 1").arg(stored));
    const auto readBy = [&](bool alone) {
        QByteArray text = "-";
        const auto use = [&](QByteArrayView bytes) { text = bytes.toByteArray(); };
        (void)(alone ? m_mine->useCaseText(id, 2, use)
                     : m_mine->ICaseStore::useCaseText(id, 2, use));
        return text;
    };
    QCOMPARE(readBy(true), read);
    QCOMPARE(readBy(false), read);
}

QTEST_APPLESS_MAIN(TestFileCaseStore)
#include "tst_filecasestore.moc"

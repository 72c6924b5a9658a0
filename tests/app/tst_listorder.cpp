#include "AppFixture.h"

#include "Announcer.h"

#include "MainWindow.h"
#include "SortableGrid.h"

#include <QCollator>
#include <QLabel>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QtTest>

#include <algorithm>

using namespace kolvar;
using namespace kolvar::test;

namespace {

// Values of a sort column that the Polish alphabet and the code page's bytes order differently,
// that the alphabet finds equal in different bytes (a control character weighs nothing), NULL
// beside the empty text, and blobs, which the engine sorts after every text.
const QStringList Awkward {
    QStringLiteral("NULL"),
    QStringLiteral("''"),
    QStringLiteral("'Łukasz Żak'"),
    QStringLiteral("'Lukasz Zak'"),
    QStringLiteral("'Adam Nowak'"),
    QStringLiteral("'adam nowak'"),
    QStringLiteral("'ADAM NOWAK'"),
    QStringLiteral("'Żaneta'"),
    QStringLiteral("'Źdźbło'"),
    QStringLiteral("'Zenon'"),
    QStringLiteral("'Ćwik'"),
    QStringLiteral("'Cwik'"),
    QStringLiteral("'Śląsk'"),
    QStringLiteral("'Ab'"),
    QStringLiteral("'Ab' || char(1)"),
    QStringLiteral("'A' || char(1) || 'b'"),
    QStringLiteral("' Ab'"),
    QStringLiteral("'Ąb'"),
    QStringLiteral("'ą'"),
    QStringLiteral("'12'"),
    QStringLiteral("'007'"),
    QStringLiteral("'2.50'"),
    QStringLiteral("'-3'"),
    QStringLiteral("x'4162'"), // the bytes of Ab, as a blob
    QStringLiteral("x'3132'"), // 12, as a blob
    QStringLiteral("x''"),
};

// Long values alike for dozens of characters, all in the register's common alphabet (which the
// list orders by a table rather than the collator), differing only after forty and eighty
// characters, at the letter, the mark or the case.
const QString Forty = QStringLiteral("'Wniosek o zwrot kosztów podróży służbowe");
const QString Longer = QStringLiteral(
    "'Skarga na przewlekłość postępowania w sprawie zażalenia na postanowienie i ponaglenie ");
const QStringList Alike { QStringLiteral("NULL"), QStringLiteral("''"), QStringLiteral("'12'"),
    Forty + u'\'', Forty.toLower() + u'\'', Forty + QStringLiteral("a'"),
    Forty + QStringLiteral("ą'"), Forty + QStringLiteral("Ą'"), Forty + QStringLiteral("j'"),
    Longer + QStringLiteral("Ćwika'"), Longer + QStringLiteral("Cwika'"),
    Longer + QStringLiteral("cwika'"), Longer.toUpper() + QStringLiteral("cwika'"),
    Longer + u'\'' };

// Values of eighty thousand letters alike to their last, among a few short ones: too few values
// for the table by their number, ordered by it for their length.
const QString Long = QStringLiteral("replace(hex(zeroblob(40000)), '0', '%1')");
const QStringList Huge { QStringLiteral("NULL"), QStringLiteral("''"), QStringLiteral("'a'"),
    Long.arg(u'a'), Long.arg(u'a') + QStringLiteral(" || 'b'"),
    Long.arg(u'a') + QStringLiteral(" || 'B'"), Long.arg(u'a') + QStringLiteral(" || 'ą'"),
    Long.arg(u'A') + QStringLiteral(" || 'b'"), QStringLiteral("'Ab'") };

// The list's three sort columns with the program's declaration, or as another program may declare
// them: with no text affinity, number texts are held as numbers, which the engine sorts before
// every text; declared numeric, they read as numbers.
void makeRegister(const QString& file, const QString& textType, int rows,
    const QStringList& values = Awkward, bool mostlyDistinct = false)
{
    QStringList statements { QStringLiteral(
        "CREATE TABLE kolvar(ID INTEGER PRIMARY KEY, Termin %1, Nadawca %1, Dotyczy %1, "
        "Tryb VARCHAR(20), Odpowiedz VARCHAR(20), Szczegoly BLOB, Adnotacje BLOB)")
                                 .arg(textType) };
    // IDs out of the order the cases are written in: the engine reads them in ID order.
    QRandomGenerator random(1234);
    for (int i = 0; i < rows; ++i) {
        // Beyond the awkward values, many distinct ones, so the grouping has to grow; past a few
        // hundred values (600 cases) the list orders by a table, below (300) by the collator.
        const auto pick = [&] {
            const bool distinct = mostlyDistinct ? random.bounded(8) != 0 : random.bounded(2) == 0;
            // Half the distinct values alike in their first fifty letters, which the order must
            // read past.
            const QString distinctText = i % 2 == 0
                ? QStringLiteral("'sprawa %1'").arg(i)
                : QStringLiteral("'Wniosek o wydanie zaświadczenia o niezaleganiu, sprawa %1'")
                      .arg(random.bounded(rows));
            return distinct ? distinctText : values[random.bounded(int(values.size()))];
        };
        const QString termin = pick();
        const QString nadawca = pick();
        const QString dotyczy = pick();
        statements << QStringLiteral("INSERT INTO kolvar VALUES (%1, %2, %3, %4, 'pisemnie', "
                                     "NULL, NULL, NULL)")
                          .arg((i * 7919) % 100003 + 1)
                          .arg(termin, nadawca, dotyczy);
    }
    test::RegisterFile(file).runAll(statements);
}

// The IDs in the order the list must show them: the engine's ORDER BY, then a stable sort of
// the texts by the Polish alphabet.
QStringList expectedIds(const QString& file, int sortMode)
{
    const char* column = storage::CaseFieldNames[sortMode - 1];
    QList<std::pair<QString, QString>> rows; // text, ID
    for (const QStringList& row :
        test::RegisterFile(file).rows(QStringLiteral("SELECT ID, %1 FROM kolvar ORDER BY %1, ID")
                                          .arg(QString::fromLatin1(column))))
        rows.append({ row[1], row[0] });
    QCollator collator { QLocale() };
    collator.setCaseSensitivity(Qt::CaseSensitive);
    std::stable_sort(rows.begin(), rows.end(),
        [&](const auto& a, const auto& b) { return collator.compare(a.first, b.first) < 0; });
    QStringList ids;
    for (const auto& row : rows)
        ids.append(row.second);
    return ids;
}

} // namespace

class TestListOrder : public QObject
{
    Q_OBJECT

private slots:
    void listIsTheEngineOrderRearrangedByTheAlphabet_data()
    {
        QTest::addColumn<QString>("textType");
        QTest::addColumn<int>("sortMode");
        QTest::addColumn<int>("rows");
        QTest::addColumn<QStringList>("values");
        QTest::addColumn<bool>("mostlyDistinct");
        // A column declared numeric shows a text as the number it starts with; the engine still
        // orders such texts by their bytes.
        const std::pair<const char*, const char*> types[]
            = { { "program's table", "VARCHAR(40)" }, { "numbers held as numbers", "STRING" },
                  { "declared FLOAT", "FLOAT" }, { "declared INTEGER", "INTEGER" } };
        for (const auto& [name, type] : types) {
            for (const int mode : { 2, 3, 4 })
                QTest::addRow("%s, sort mode %d", name, mode)
                    << QString::fromLatin1(type) << mode << 600 << Awkward << false;
        }
        for (const int mode : { 2, 3, 4 }) {
            QTest::addRow("long values alike, sort mode %d", mode)
                << "VARCHAR(40)" << mode << 600 << Alike << false;
            QTest::addRow("values of 80,000 letters alike, sort mode %d", mode)
                << "VARCHAR(40)" << mode << 40 << Huge << false;
            // Past the first few thousand cases the list has told whether the values repeat.
            for (const char* type : { "VARCHAR(40)", "STRING" })
                QTest::addRow("values mostly distinct, 6,000 cases, %s, sort mode %d", type, mode)
                    << QString::fromLatin1(type) << mode << 6000 << Awkward << true;
            // All in the alphabet, so ordered by the table's keys alone, level after level.
            QTest::addRow("long values mostly distinct, 6,000 cases, sort mode %d", mode)
                << "VARCHAR(40)" << mode << 6000 << Alike << true;
        }
        QTest::newRow("one case") << "VARCHAR(40)" << 3 << 1 << Awkward << false;
    }

    void listIsTheEngineOrderRearrangedByTheAlphabet()
    {
        QFETCH(QString, textType);
        QFETCH(int, sortMode);
        QFETCH(int, rows);
        QFETCH(QStringList, values);
        QFETCH(bool, mostlyDistinct);
        AppFixture f;
        makeRegister(f.path("rejestr.db"), textType, rows, values, mostlyDistinct);
        f.rememberRegister("rejestr.db", sortMode);
        f.start();
        QCOMPARE(f.mainWindow().countLabel()->text(), QString::number(rows));
        const QLabel* count = f.mainWindow().countLabel();
        QVERIFY(count->width() >= count->fontMetrics().horizontalAdvance(count->text()));
        QCOMPARE(f.column(1), expectedIds(f.path("rejestr.db"), sortMode));
        QStringList numbers;
        for (int r = 1; r <= rows; ++r)
            numbers.append(QString::number(r));
        QCOMPARE(f.column(0), numbers);
    }

    void sortCommandShowsWhatALoadShowsAndKeepsTheCase_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<bool>("alike");
        QTest::addColumn<int>("rows");
        for (const int from : { 2, 3, 4 }) {
            for (const int to : { 2, 3, 4 })
                QTest::addRow("%d to %d", from, to) << from << to << false << 300;
        }
        QTest::newRow("long values alike, 2 to 4") << 2 << 4 << true << 300;
        QTest::newRow("long values mostly distinct, 6,000 cases, 2 to 4") << 2 << 4 << true << 6000;
    }

    void sortCommandShowsWhatALoadShowsAndKeepsTheCase()
    {
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(bool, alike);
        QFETCH(int, rows);
        AppFixture f;
        makeRegister(f.path("rejestr.db"), QStringLiteral("VARCHAR(40)"), rows,
            alike ? Alike : Awkward, rows > 300);
        f.rememberRegister("rejestr.db", from);
        f.start();
        f.clickRow(123);
        const QString id = f.mainWindow().idEdit()->text();
        if (to == 2)
            f.mainWindow().sortByDate();
        else if (to == 3)
            f.mainWindow().sortBySender();
        else
            f.mainWindow().sortBySubject();
        QVERIFY(f.dialogs.shown.isEmpty());
        // The list looks the same to a screen reader in any order: the new one is said.
        const auto* said = f.mainWindow().findChild<kolvar::Announcer*>("orderAnnouncer");
        QVERIFY(said);
        QCOMPARE(said->text(),
            QStringList(
                { "Lista uporządkowana według terminu", "Lista uporządkowana według nadawcy",
                    "Lista uporządkowana według tego, czego dotyczy" })
                .at(to - 2));
        QCOMPARE(f.column(1), expectedIds(f.path("rejestr.db"), to));
        QCOMPARE(f.mainWindow().idEdit()->text(), id);
        QCOMPARE(f.column(1).at(f.mainWindow().caseGrid()->row() - 1), id);
        QCOMPARE(f.column(0).first(), QStringLiteral("1"));
        QCOMPARE(f.column(0).last(), QString::number(rows));
    }

    // Ą and Ć are letters of their own after A and C, not A and C with a mark.
    void listFollowsThePolishAlphabetUnderAnyDesktopLanguage()
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        AppFixture f;
        QList<storage::CaseRecord> cases;
        for (const char* sender : { "Cz", "Ćma", "Az", "Ąb", "Ab" })
            cases.append(listCase("2024.01.01", QString::fromUtf8(sender), "x"));
        f.makeRegister("rejestr.db", cases);
        f.rememberRegister("rejestr.db", 3);
        f.start();
        const QStringList shown = f.column(3);
        QLocale::setDefault(QLocale(QLocale::Polish, QLocale::Poland));
        QCOMPARE(shown, (QStringList { "Ab", "Az", "Ąb", "Cz", "Ćma" }));
    }
};

QTEST_MAIN(TestListOrder)
#include "tst_listorder.moc"

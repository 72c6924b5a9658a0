#include "CaseTable.h"
#include "Cp1250.h"
#include "RegisterGenerator.h"
#include "SqliteInterfaces.h"

#include <QDate>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

using namespace kolvar;
using kolvar::bench::RegisterGenerator;
using storage::CaseRecord;

namespace {

QList<CaseRecord> generate(std::uint64_t seed, int count)
{
    RegisterGenerator generator(seed);
    QList<CaseRecord> cases;
    for (int i = 0; i < count; ++i)
        cases.append(generator.next());
    return cases;
}

} // namespace

// The registers the timings run on: the same for the same seed, and shaped like an office's.
class TestRegisterGenerator : public QObject
{
    Q_OBJECT

private slots:
    void sameSeedGivesTheSameRegister()
    {
        QCOMPARE(generate(7, 300), generate(7, 300));
        QVERIFY(generate(7, 300) != generate(8, 300));
    }

    void everyTextFitsTheEditorAndTheCodePage()
    {
        const QRegularExpression dateShape(QStringLiteral("^(\\d{4})\\.(\\d{2})\\.(\\d{2})$"));
        for (const CaseRecord& c : generate(1, 3000)) {
            const auto date = dateShape.match(c.termin);
            QVERIFY2(date.hasMatch(), qPrintable(c.termin));
            const QDate day(
                date.captured(1).toInt(), date.captured(2).toInt(), date.captured(3).toInt());
            QVERIFY2(day.isValid(), qPrintable(c.termin));
            QVERIFY(day.year() >= RegisterGenerator::FirstYear);
            QVERIFY(day.year() <= RegisterGenerator::LastYear);

            QVERIFY2(!c.nadawca.isEmpty() && c.nadawca.size() <= RegisterGenerator::MaxSender,
                qPrintable(c.nadawca));
            QVERIFY2(c.dotyczy.size() >= RegisterGenerator::MinSubject
                    && c.dotyczy.size() <= RegisterGenerator::MaxSubject,
                qPrintable(c.dotyczy));
            QVERIFY2(c.szczegoly.size() >= RegisterGenerator::MinDetails
                    && c.szczegoly.size() <= RegisterGenerator::MaxDetails,
                qPrintable(c.szczegoly));
            QVERIFY(c.adnotacje.size() <= RegisterGenerator::MaxAnnotation);
            QVERIFY(c.odpowiedz.size() <= RegisterGenerator::MaxReplyMode);
            QVERIFY(RegisterGenerator::settlingModes().contains(c.tryb));
            // Lines end as the editor's memos join them, never with a lone line feed.
            for (const QString& memo : { c.szczegoly, c.adnotacje })
                QCOMPARE(memo.count(u'\n'), memo.count(QStringLiteral("\r\n")));
            for (const QString& text :
                { c.termin, c.nadawca, c.dotyczy, c.tryb, c.odpowiedz, c.szczegoly, c.adnotacje })
                QVERIFY2(storage::canEncodeCp1250(text), qPrintable(text));
        }
    }

    void registerMixesWhatTheListMustCopeWith()
    {
        const QList<CaseRecord> cases = generate(1, 3000);
        int polishInitial = 0;
        int institutions = 0;
        int multiLine = 0;
        QSet<QString> modes;
        QSet<QString> senders;
        for (const CaseRecord& c : cases) {
            if (QStringLiteral("ŁŚŻĆ").contains(c.nadawca.front()))
                ++polishInitial;
            if (c.nadawca.contains(QLatin1String(" w "))
                || c.nadawca.contains(QLatin1String("S.A."))
                || c.nadawca.contains(QLatin1String("o.o.")))
                ++institutions;
            if (c.szczegoly.contains(QLatin1String("\r\n")))
                ++multiLine;
            modes.insert(c.tryb);
            senders.insert(c.nadawca);
        }
        QVERIFY2(polishInitial > cases.size() / 5, qPrintable(QString::number(polishInitial)));
        QVERIFY(institutions > cases.size() / 5);
        QVERIFY(multiLine > cases.size() / 2);
        QCOMPARE(modes.size(), 4);
        // Senders repeat, as in a real register, but not all the same.
        QVERIFY(senders.size() > 200 && senders.size() < cases.size() / 2);
    }

    void registerHoldsTheCasesInTheProgramsTableAndCodePage()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("r.db"));
        QFile stale(path);
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.write("not a register");
        stale.close();

        int reported = 0;
        bench::writeRegister(path, 120, 5, [&reported](int written) { reported = written; });
        QCOMPARE(reported, 0); // progress only every 50,000 cases

        const auto db = storage::OpenDatabase(path, storage::OpenMode::Create);
        const auto all = storage::CaseTable::QueryAllCases(*db);
        QCOMPARE(all->RowTotal(), 120u);
        QList<CaseRecord> expected = generate(5, 120);
        int nulls = 0;
        for (int i = 0; i < 120; ++i, all->StepForward()) {
            CaseRecord stored = storage::CaseTable::ReadCase(*all);
            QCOMPARE(stored.id, std::int64_t(i + 1));
            // The fields left NULL read as empty; the file holds NULL there, not an empty text.
            CaseRecord& generated = expected[i];
            QString* fields[] = { &generated.termin, &generated.nadawca, &generated.dotyczy,
                &generated.tryb, &generated.odpowiedz, &generated.szczegoly, &generated.adnotacje };
            for (int f = 0; f < 7; ++f) {
                const bool isNull = all->CellIsNull(
                    all->ColumnNumber(QString::fromLatin1(storage::CaseTable::ColumnNames[f + 1])));
                // A NULL where the plan says; elsewhere only for a text that was empty anyway.
                if (RegisterGenerator::leavesNull(f, stored.id))
                    QVERIFY(isNull);
                else if (isNull)
                    QVERIFY(fields[f]->isEmpty());
                if (isNull) {
                    fields[f]->clear();
                    ++nulls;
                }
            }
            stored.id = 0;
            QCOMPARE(stored, generated);
        }
        QVERIFY(nulls >= 7);
        QVERIFY(db->QueryText(QStringLiteral("SELECT sql FROM sqlite_master WHERE name='kolvar'"))
                    .endsWith(QStringLiteral("Adnotacje BLOB COLLATE NOCASE)")));
        // Ł is 0xA3 in the file, not UTF-8's C5 81.
        const auto casesWith = [&db](const char* hex) {
            return db->QueryInteger(QStringLiteral("SELECT count(*) FROM kolvar WHERE "
                                                   "instr(CAST(Nadawca AS BLOB), x'%1') > 0")
                                        .arg(QLatin1String(hex)));
        };
        QCOMPARE(casesWith("A3"),
            std::int64_t(std::count_if(expected.begin(), expected.end(),
                [](const CaseRecord& c) { return c.nadawca.contains(u'Ł'); })));
        QVERIFY(casesWith("A3") > 0);
        QCOMPARE(casesWith("C581"), std::int64_t(0));
    }
};

QTEST_APPLESS_MAIN(TestRegisterGenerator)
#include "tst_registergenerator.moc"

#include "CaseList.h"
#include "Cp1250.h"
#include "RegisterFile.h"
#include "SortableGrid.h"
#include "StringGrid.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace kolvar;

namespace {

// Sort values that a load places by more than their letters: NULL beside the empty text,
// numbers held as numbers beside the same digits as text, a blob, letters the code page orders
// apart from the alphabet, many repeats, and texts alike in their first five thousand letters
// that differ after them only in case, a mark or length.
const QStringList Awkward { QStringLiteral("NULL"), QStringLiteral("''"), QStringLiteral("'Ab'"),
    QStringLiteral("'Ąb'"), QStringLiteral("'Az'"), QStringLiteral("'Ćma'"), QStringLiteral("'Cz'"),
    QStringLiteral("'12'"), QStringLiteral("12"), QStringLiteral("7.5"), QStringLiteral("x'4162'"),
    QStringLiteral("'ab'"), QStringLiteral("'Żak'"), QStringLiteral("'Ab' || char(1)"),
    QStringLiteral("replace(hex(zeroblob(2500)), '0', 'a') || 'B'"),
    QStringLiteral("replace(hex(zeroblob(2500)), '0', 'a') || 'b'"),
    QStringLiteral("replace(hex(zeroblob(2500)), '0', 'a')"),
    QStringLiteral("replace(hex(zeroblob(2500)), '0', 'a') || 'ą'"),
    QStringLiteral("replace(hex(zeroblob(2500)), '0', 'A') || 'b'") };

struct Lists
{
    QTemporaryDir dir;
    std::unique_ptr<test::RegisterFile> db;
    // The list reads the register through its store, on the same connection as db.
    storage::CaseStorePtr store;
    grid::SortableGrid grid;
    CaseList list;

    // Texts longer than kept bytes are cut in the list. distinct: most sort values differ from
    // row to row, as subjects do, some repeat the row before, and every eighth row takes an
    // awkward value.
    explicit Lists(int rows, qsizetype kept = CaseList::KeptBytes, bool distinctValues = false)
        : list(grid, kept)
        , distinct(distinctValues)
    {
        grid.setNumberColumn(0);
        grid.setCompactCodec([](QStringView t) { return storage::toCp1250(t); },
            [](QByteArrayView b) { return storage::fromCp1250(b); },
            [](QStringView t) { return storage::canEncodeCp1250(t); });
        test::makeRegisterFile(dir.filePath(QStringLiteral("rejestr.db")), {});
        db = std::make_unique<test::RegisterFile>(dir.filePath(QStringLiteral("rejestr.db")));
        db->run(QStringLiteral("PRAGMA synchronous = OFF"));
        QStringList insertions;
        for (int i = 0; i < rows; ++i)
            insertions << insertion(i);
        db->runAll(insertions);
        store = db->store();
    }
    bool distinct = false;
    void insert(int i) { db->run(insertion(i)); }
    [[nodiscard]] QString insertion(int i) const
    {
        // Letters the code page and the alphabet order apart, case, digits, and texts alike
        // for forty letters and more.
        static const QStringList Words { QStringLiteral("żółw"), QStringLiteral("Żółw"),
            QStringLiteral("zolw"), QStringLiteral("Łąka"), QStringLiteral("laka"),
            QStringLiteral("Wniosek o wydanie zaświadczenia o niezaleganiu w podatkach") };
        const auto pick = [this, i](int k) {
            if (!distinct || i % 8 == 0)
                return Awkward[k % Awkward.size()];
            const int n = i % 8 == 4 ? i - 1 : i;
            return QStringLiteral("'%1 %2'").arg(Words[(n + k) % Words.size()]).arg(n * 7 % 100);
        };
        return QStringLiteral("INSERT INTO kolvar VALUES (NULL, %1, %2, %3, 't', NULL, "
                              "'szczegóły', NULL)")
            .arg(pick(i * 5 + 1), pick(i * 3), pick(i * 7 + 2));
    }
    // Every text of every row, and the current row.
    [[nodiscard]] QStringList state() const
    {
        QStringList rows;
        for (int r = 1; r < grid.rowCount(); ++r) {
            QStringList texts;
            for (int c = 0; c <= 8; ++c)
                texts.append(grid.cells(c, r));
            rows.append(texts.join(u'|'));
        }
        rows.append(QStringLiteral("current %1").arg(grid.row()));
        return rows;
    }
    // What a load of the register shows now, with the same current row.
    [[nodiscard]] QStringList loaded(int sortMode) const
    {
        grid::StringGrid fresh;
        fresh.setNumberColumn(0);
        fresh.setCompactCodec([](QStringView t) { return storage::toCp1250(t); },
            [](QByteArrayView b) { return storage::fromCp1250(b); },
            [](QStringView t) { return storage::canEncodeCp1250(t); });
        CaseList other(fresh);
        fresh.setRowCount(grid.rowCount());
        fresh.setRow(grid.row());
        (void)other.load(*store, sortMode);
        QStringList rows;
        for (int r = 1; r < fresh.rowCount(); ++r) {
            QStringList texts;
            for (int c = 0; c <= 8; ++c)
                texts.append(fresh.cells(c, r));
            rows.append(texts.join(u'|'));
        }
        rows.append(QStringLiteral("current %1").arg(fresh.row()));
        return rows;
    }
};

enum class Change { Save, Add, Delete };

} // namespace

class TestCaseList : public QObject
{
    Q_OBJECT

private slots:
    void changedListIsWhatALoadShows_data()
    {
        QTest::addColumn<int>("sortMode");
        QTest::addColumn<Change>("change");
        QTest::addColumn<QString>("value"); // the new sort value of the saved or added case
        QTest::addColumn<qsizetype>("kept");
        for (const qsizetype kept : { CaseList::KeptBytes, qsizetype(3) }) {
            const QByteArray cut
                = kept == CaseList::KeptBytes ? "" : ", texts cut to " + QByteArray::number(kept);
            for (const int mode : { 2, 3, 4 }) {
                for (const QString& value : Awkward)
                    QTest::addRow("mode %d, saved as %s%s", mode, qPrintable(value), cut.data())
                        << mode << Change::Save << value << kept;
                QTest::addRow("mode %d, added NULL%s", mode, cut.data())
                    << mode << Change::Add << "NULL" << kept;
                QTest::addRow("mode %d, added 'Ąb'%s", mode, cut.data())
                    << mode << Change::Add << "'Ąb'" << kept;
                QTest::addRow("mode %d, deleted%s", mode, cut.data())
                    << mode << Change::Delete << QString() << kept;
            }
        }
    }

    void changedListIsWhatALoadShows()
    {
        QFETCH(int, sortMode);
        QFETCH(Change, change);
        QFETCH(QString, value);
        QFETCH(qsizetype, kept);
        const char* column = storage::CaseFieldNames[sortMode - 1];
        for (const int id : { 1, 9, 20, 40 }) {
            Lists l(40, kept);
            l.grid.setRowCount(2);
            QCOMPARE(l.list.load(*l.store, sortMode), 40);
            l.grid.setRow(l.list.rowOfCase(20));
            bool done = false;
            if (change == Change::Save) {
                l.db->run(QStringLiteral("UPDATE kolvar SET %1 = %2 WHERE ID = %3")
                              .arg(QLatin1String(column), value)
                              .arg(id));
                done = l.list.refreshCase(*l.store, id);
            } else if (change == Change::Add) {
                l.insert(id);
                l.db->run(QStringLiteral("UPDATE kolvar SET %1 = %2 WHERE ID = 41")
                              .arg(QLatin1String(column), value));
                done = l.list.refreshCase(*l.store, 41);
            } else {
                l.db->run(QStringLiteral("DELETE FROM kolvar WHERE ID = %1").arg(id));
                done = l.list.removeCase(*l.store, id);
            }
            QVERIFY(done);
            QCOMPARE(l.state(), l.loaded(sortMode));
        }
    }

    void reorderedListIsWhatALoadShowsAndKeepsTheCase_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<qsizetype>("kept");
        QTest::addColumn<bool>("distinct");
        for (const qsizetype kept : { CaseList::KeptBytes, qsizetype(3), qsizetype(4000) }) {
            for (const bool distinct : { false, true }) {
                for (const int from : { 2, 3, 4 }) {
                    for (const int to : { 2, 3, 4 })
                        QTest::addRow("%d to %d, texts cut to %lld%s", from, to, qlonglong(kept),
                            distinct ? ", values mostly distinct" : "")
                            << from << to << kept << distinct;
                }
            }
        }
    }

    void reorderedListIsWhatALoadShowsAndKeepsTheCase()
    {
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(qsizetype, kept);
        QFETCH(bool, distinct);
        Lists l(distinct ? 200 : 60, kept, distinct);
        l.grid.setRowCount(2);
        (void)l.list.load(*l.store, from);
        QCOMPARE(l.state(), l.loaded(from));
        l.grid.setRow(l.list.rowOfCase(33));
        QVERIFY(l.list.reorder(*l.store, to));
        QCOMPARE(l.grid.cells(1, l.grid.row()), QStringLiteral("33"));
        QCOMPARE(l.state(), l.loaded(to));
    }

    void searchFindsWhatTheWholeTextsHold_data()
    {
        QTest::addColumn<QString>("phrase");
        QTest::addColumn<bool>("byRows");
        QTest::addColumn<bool>("caseSensitive");
        QTest::newRow("in every beginning") << "aaaa" << true << false;
        QTest::newRow("at the end of a long text, down the columns") << "aB" << false << true;
        QTest::newRow("a Polish letter at the end, any case") << "AĄ" << true << false;
        QTest::newRow("the end of cut details") << "GÓŁY" << true << false;
        QTest::newRow("nowhere") << "xyzzy" << true << true;
    }

    // Every hit of a search and its continuations, in order, with the list's texts cut to a few
    // bytes and whole.
    void searchFindsWhatTheWholeTextsHold()
    {
        QFETCH(QString, phrase);
        QFETCH(bool, byRows);
        QFETCH(bool, caseSensitive);
        const auto hits = [&](qsizetype kept) {
            Lists l(40, kept);
            l.grid.setRowCount(2);
            l.grid.setColCount(8);
            l.grid.setFixedCols(2);
            (void)l.list.load(*l.store, 4);
            l.grid.setSearchSubstring(true);
            l.grid.setKeyType(caseSensitive ? grid::soStringCaseSensitive : grid::soString);
            QStringList found;
            int col = -1;
            int row = -1;
            for (bool hit = l.grid.findFirst(phrase, byRows, col, row); hit;
                 hit = l.grid.findNext(col, row))
                found.append(QStringLiteral("%1,%2").arg(col).arg(row));
            return found;
        };
        const QStringList whole = hits(CaseList::KeptBytes);
        QCOMPARE(hits(4), whole);
        QCOMPARE(whole.isEmpty(), phrase == QStringLiteral("xyzzy"));
    }

    void cellShowsWhatTheWholeTextBeginsWith_data()
    {
        QTest::addColumn<qsizetype>("kept");
        QTest::addColumn<int>("width");
        QTest::newRow("cut beyond what the cell shows") << qsizetype(3000) << 100;
        QTest::newRow("cut within what it shows") << qsizetype(3) << 100;
        QTest::newRow("a column wider than every text") << qsizetype(3) << 3000;
    }

    void cellShowsWhatTheWholeTextBeginsWith()
    {
        QFETCH(qsizetype, kept);
        QFETCH(int, width);
        Lists cut(20, kept);
        Lists whole(20);
        for (Lists* l : { &cut, &whole }) {
            l->grid.setRowCount(2);
            (void)l->list.load(*l->store, 4);
        }
        for (int r = 1; r <= 20; ++r) {
            for (int c = 2; c <= 7; ++c)
                QCOMPARE(cut.grid.shownText(c, r, width), whole.grid.shownText(c, r, width));
        }
    }

    void rowsChangedByOthersTakeALoad()
    {
        Lists l(10);
        l.grid.setRowCount(2);
        (void)l.list.load(*l.store, 3);
        l.grid.moveRow(2, 5);
        QVERIFY(!l.list.reorder(*l.store, 2));
        (void)l.list.load(*l.store, 3);
        test::RegisterFile(l.dir.filePath(QStringLiteral("rejestr.db")))
            .run(QStringLiteral("UPDATE kolvar SET Nadawca = 'Zz' WHERE ID = 2"));
        QVERIFY(!l.list.refreshCase(*l.store, 3));
    }
};

QTEST_MAIN(TestCaseList)
#include "tst_caselist.moc"

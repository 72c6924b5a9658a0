// Searching the list grid for a phrase: what counts as a match, the order cells are visited in,
// the range a search covers, and how findNext goes on and ends.
#include "CellSearch.h"
#include "SortableGrid.h"

#include <QtTest>

using namespace kolvar::grid;

namespace {

using Cell = QPair<int, int>; // col, row
using Cells = QList<Cell>;

// A grid whose rows are the given lists of texts; the column count is the longest list's.
void fill(SortableGrid& grid, const QList<QStringList>& rows, int fixedRows = 0, int fixedCols = 0)
{
    qsizetype cols = 1;
    for (const QStringList& r : rows)
        cols = std::max(cols, r.size());
    grid.setColCount(int(cols));
    grid.setRowCount(int(rows.size()));
    grid.setFixedRows(fixedRows);
    grid.setFixedCols(fixedCols);
    for (int r = 0; r < rows.size(); ++r)
        grid.setRowTexts(r, rows[r]);
}

// Every hit of a search, findFirst's and then findNext's until it answers false.
Cells allHits(SortableGrid& grid, const QString& text, bool byRows)
{
    Cells hits;
    int col = 0;
    int row = 0;
    bool found = grid.findFirst(text, byRows, col, row);
    while (found && hits.size() < 1000) {
        hits.append({ col, row });
        found = grid.findNext(col, row);
    }
    return hits;
}

// A codec of one byte per character for the letters the tests use, so that rows are kept compact
// as in the main window: Latin-1 plus the Polish letters in the bytes of Windows-1250.
const QString polishHigh = QStringLiteral("ĄąĆćĘęŁłŃńŚśŹźŻż");
const QByteArray polishBytes = QByteArray::fromHex("a5b9c6e6caeaa3b3d1f18c9c8f9fafbf");

bool canEncode(QStringView text)
{
    return std::all_of(text.begin(), text.end(),
        [](QChar c) { return c.unicode() < 0x80 || polishHigh.contains(c); });
}
QByteArray encode(QStringView text)
{
    QByteArray out;
    for (QChar c : text) {
        const qsizetype i = polishHigh.indexOf(c);
        out.append(i < 0 ? char(c.unicode()) : polishBytes[i]);
    }
    return out;
}
QString decode(QByteArrayView bytes)
{
    QString out;
    for (char b : bytes) {
        const qsizetype i = polishBytes.indexOf(b);
        out.append(i < 0 ? QChar(uchar(b)) : polishHigh[i]);
    }
    return out;
}

} // namespace

class TestSortableGridSearch : public QObject
{
    Q_OBJECT
private slots:
    void cellMatchesAsTheRuleSays_data()
    {
        QTest::addColumn<QString>("phrase");
        QTest::addColumn<QString>("cell");
        QTest::addColumn<bool>("caseSensitive");
        QTest::addColumn<bool>("substring");
        QTest::addColumn<int>("keyPos");
        QTest::addColumn<int>("keyLen");
        QTest::addColumn<bool>("match");
        const int all = 2147483647;

        QTest::newRow("substring ignoring case finds capitals")
            << "abc"
            << "xABCx" << false << true << 1 << all << true;
        QTest::newRow("substring with case needs the same case")
            << "abc"
            << "xABCx" << true << true << 1 << all << false;
        QTest::newRow("Polish capitals found by small letters")
            << "łódź"
            << "Urząd Miasta ŁÓDŹ" << false << true << 1 << all << true;
        QTest::newRow("Polish small letters found by capitals")
            << "ŻÓŁW"
            << "mały żółw" << false << true << 1 << all << true;
        QTest::newRow("Polish letters keep case when case counts")
            << "łódź"
            << "ŁÓDŹ" << true << true << 1 << all << false;
        QTest::newRow("a letter without its mark is another letter")
            << "zab"
            << "ząb" << false << true << 1 << all << false;
        QTest::newRow("sharp s folds alike on both sides")
            << "strasse"
            << "Straße 5" << false << true << 1 << all << true;
        QTest::newRow("empty phrase never matches a substring")
            << ""
            << "abc" << false << true << 1 << all << false;
        QTest::newRow("empty phrase never matches an empty cell")
            << ""
            << "" << true << true << 1 << all << false;
        QTest::newRow("match after a false start") << "AAB"
                                                   << "xaaab" << false << true << 1 << all << true;
        QTest::newRow("match at the very end") << "ŁW"
                                               << "mały żółw" << false << true << 1 << all << true;
        QTest::newRow("phrase running past the end")
            << "żółwie"
            << "mały żółw" << false << true << 1 << all << false;
        // Cells longer than the sixteen bytes a scan looks at in one step.
        QTest::newRow("long cell: match across two blocks")
            << "żółw" << QString(14, u'x') + QStringLiteral("ŻÓŁW i reszta tekstu") << false << true
            << 1 << all << true;
        QTest::newRow("long cell: match in the short last block")
            << "kowal" << QString(35, u'a') + QStringLiteral("Kowal") << false << true << 1 << all
            << true;
        QTest::newRow("long cell: first letter met many times before the match")
            << "kowal" << QString(40, u'k') + QStringLiteral("owal") << false << true << 1 << all
            << true;
        QTest::newRow("long cell: first letter everywhere, phrase nowhere")
            << "ąb" << QString(50, u'Ą') + QStringLiteral("ą") << false << true << 1 << all
            << false;
        QTest::newRow("long cell: sharp s far in, after the match")
            << "zz"
            << QString(20, u'a') + QStringLiteral("zz") + QString(20, u'b') + QStringLiteral("ß")
            << false << true << 1 << all << true;
        QTest::newRow("long cell: case counts, capital first letter only")
            << "Abc" << QString(33, u'a') + QStringLiteral("bcAbc") << true << true << 1 << all
            << true;
        QTest::newRow("substring ignores the key part")
            << "def"
            << "abcdef" << false << true << 1 << 3 << true;

        QTest::newRow("whole cell must equal, not contain")
            << "abc"
            << "abcd" << false << false << 1 << all << false;
        QTest::newRow("key part of three letters ignoring case")
            << "abc"
            << "ABCDEF" << false << false << 1 << 3 << true;
        QTest::newRow("key part of three letters with case")
            << "abc"
            << "ABCDEF" << true << false << 1 << 3 << false;
        QTest::newRow("key part from the middle") << "CD"
                                                  << "abcdef" << false << false << 3 << 2 << true;
        QTest::newRow("key part cut at the end of the text")
            << "def"
            << "abcdef" << true << false << 4 << 10 << true;
        QTest::newRow("key position below one counts as one")
            << "ab"
            << "abc" << true << false << 0 << 2 << true;
        QTest::newRow("key part past the end is empty and equals an empty phrase")
            << ""
            << "abc" << true << false << 9 << 2 << true;
        QTest::newRow("negative key length compares nothing")
            << "a"
            << "abc" << true << false << 1 << -1 << false;
        QTest::newRow("whole cell: small and capital ogonek are equal")
            << "ą"
            << "Ą" << false << false << 1 << all << true;
        QTest::newRow("whole cell: a and ą differ") << "a"
                                                    << "ą" << false << false << 1 << all << false;
        QTest::newRow("whole cell: Polish name ignoring case")
            << "żółtowski"
            << "ŻÓŁTOWSKI" << false << false << 1 << all << true;
        QTest::newRow("whole cell: empty phrase equals an empty cell")
            << ""
            << "" << false << false << 1 << all << true;
    }
    void cellMatchesAsTheRuleSays()
    {
        QFETCH(QString, phrase);
        QFETCH(QString, cell);
        QFETCH(bool, caseSensitive);
        QFETCH(bool, substring);
        QFETCH(int, keyPos);
        QFETCH(int, keyLen);
        QFETCH(bool, match);
        CellMatcher matcher(phrase, { caseSensitive, substring, keyPos, keyLen });
        QCOMPARE(matcher.matches(cell), match);
        // The matcher reuses its buffer: a longer cell before must not leave anything behind.
        CellMatcher reused(phrase, { caseSensitive, substring, keyPos, keyLen });
        (void)reused.matches(QStringLiteral("a much longer cell text with nothing in it at all"));
        QCOMPARE(reused.matches(cell), match);
        // A cell kept in a code page is tested in place, with the same answer.
        CellMatcher compact(phrase, { caseSensitive, substring, keyPos, keyLen });
        compact.useCompactCode(decode);
        const std::optional<bool> inPlace = compact.matchesCompact(encode(cell));
        QCOMPARE(inPlace.value_or(match), match);
        // A sharp s after a match does not matter: the scan stops at the match.
        const qsizetype sharp = cell.indexOf(u'ß');
        const bool deferred
            = sharp >= 0 && !(match && foldCase(cell.left(sharp)).contains(foldCase(phrase)));
        QCOMPARE(inPlace.has_value(), substring && !phrase.isEmpty() && !deferred);
    }

    void bufferedFoldAgreesWithUpperCasingForEveryCharacter()
    {
        QString buffer = QStringLiteral("a longer text left in the buffer");
        QStringList differing;
        for (char32_t c = 0; c < 0x10000; ++c) {
            if (QChar::isSurrogate(c))
                continue;
            const QString one { QChar(char16_t(c)) };
            if (foldCase(one, buffer) != one.toUpper())
                differing.append(QString::number(uint(c), 16));
        }
        QCOMPARE(differing, QStringList());
        // Letters outside the basic plane come as surrogate pairs: Deseret small and capital.
        const QString deseret = QStringLiteral("a\U00010428b");
        QCOMPARE(foldCase(deseret, buffer), QStringView(u"A\U00010400B"));
        QCOMPARE(foldCase(QStringLiteral("straße"), buffer), QStringView(u"STRASSE"));
    }

    void rangeVisitsCellsInOrderAndStaysExhausted_data()
    {
        QTest::addColumn<bool>("rowWise");
        QTest::addColumn<Cells>("order");
        QTest::newRow("along rows") << true << Cells { { 1, 2 }, { 2, 2 }, { 1, 3 }, { 2, 3 } };
        QTest::newRow("down columns") << false << Cells { { 1, 2 }, { 1, 3 }, { 2, 2 }, { 2, 3 } };
    }
    void rangeVisitsCellsInOrderAndStaysExhausted()
    {
        QFETCH(bool, rowWise);
        QFETCH(Cells, order);
        const CellRange range { 1, 2, 2, 3, rowWise };
        int col = 1;
        int row = 2;
        Cells visited;
        while (range.contains(col, row) && visited.size() < 10) {
            visited.append({ col, row });
            range.step(col, row);
        }
        QCOMPARE(visited, order);
        range.step(col, row);
        QVERIFY(!range.contains(col, row));
    }

    void fixedCellsAreSearchedOnlyWhenAsked_data()
    {
        QTest::addColumn<int>("useFixed");
        QTest::addColumn<Cells>("hits");
        QTest::newRow("hfNot skips the fixed row and both fixed columns")
            << int(hfNot) << Cells { { 2, 1 }, { 2, 2 } };
        QTest::newRow("hfYes starts at row 0 and column 0")
            << int(hfYes)
            << Cells { { 0, 0 }, { 1, 0 }, { 2, 0 }, { 0, 1 }, { 1, 1 }, { 2, 1 }, { 0, 2 },
                   { 1, 2 }, { 2, 2 } };
    }
    void fixedCellsAreSearchedOnlyWhenAsked()
    {
        QFETCH(int, useFixed);
        QFETCH(Cells, hits);
        SortableGrid grid;
        fill(grid, { { "x", "x", "x" }, { "x", "x", "x" }, { "x", "x", "x" } }, 1, 2);
        grid.setSearchSubstring(true);
        grid.setUseFixed(HandleFixed(useFixed));
        QCOMPARE(allHits(grid, "x", true), hits);
    }

    void substringSearchGoesOnAfterEachMatchAndEnds()
    {
        SortableGrid grid;
        fill(grid, { { "Lp.", "Nadawca", "Dotyczy" }, { "1", "xABCx", "abc" } }, 1, 1);
        grid.setSearchSubstring(true);
        int col = 0;
        int row = 0;
        QVERIFY(grid.findFirst("abc", true, col, row));
        QCOMPARE(Cell(col, row), Cell(1, 1));
        QVERIFY(grid.findNext(col, row));
        QCOMPARE(Cell(col, row), Cell(2, 1));
        QVERIFY(!grid.findNext(col, row));
        QCOMPARE(Cell(col, row), Cell(-1, -1));
        col = row = 5;
        QVERIFY(!grid.findNext(col, row));
        QCOMPARE(Cell(col, row), Cell(-1, -1));
    }

    void searchOrderFollowsTheDirection_data()
    {
        QTest::addColumn<bool>("byRows");
        QTest::addColumn<Cells>("hits");
        QTest::newRow("along rows") << true << Cells { { 1, 1 }, { 2, 1 }, { 1, 2 }, { 2, 2 } };
        QTest::newRow("down columns, first column top to bottom")
            << false << Cells { { 1, 1 }, { 1, 2 }, { 2, 1 }, { 2, 2 } };
    }
    void searchOrderFollowsTheDirection()
    {
        QFETCH(bool, byRows);
        QFETCH(Cells, hits);
        SortableGrid grid;
        fill(grid, { { "", "", "" }, { "", "Łódź", "łódź" }, { "", "ŁÓDŹ", "x łódź x" } }, 1, 1);
        grid.setSearchSubstring(true);
        QCOMPARE(allHits(grid, "Łódź", byRows), hits);
    }

    void oneRowOrOneColumnSearchStaysInIt_data()
    {
        QTest::addColumn<bool>("inRow");
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("useFixed");
        QTest::addColumn<Cells>("hits");
        QTest::newRow("row 2, left to right after the fixed column")
            << true << 2 << int(hfNot) << Cells { { 1, 2 }, { 2, 2 } };
        QTest::newRow("row 2 with the fixed column")
            << true << 2 << int(hfYes) << Cells { { 0, 2 }, { 1, 2 }, { 2, 2 } };
        QTest::newRow("column 2, top to bottom after the fixed row")
            << false << 2 << int(hfNot) << Cells { { 2, 1 }, { 2, 2 } };
        QTest::newRow("column 2 with the fixed row")
            << false << 2 << int(hfYes) << Cells { { 2, 0 }, { 2, 1 }, { 2, 2 } };
    }
    void oneRowOrOneColumnSearchStaysInIt()
    {
        QFETCH(bool, inRow);
        QFETCH(int, index);
        QFETCH(int, useFixed);
        QFETCH(Cells, hits);
        SortableGrid grid;
        fill(grid, { { "k", "k", "k" }, { "k", "k", "k" }, { "k", "k", "k" } }, 1, 1);
        grid.setSearchSubstring(true);
        grid.setUseFixed(HandleFixed(useFixed));
        Cells found;
        int col = 0;
        int row = 0;
        bool hit = inRow ? grid.findFirstInRow("K", index, col, row)
                         : grid.findFirstInCol("K", index, col, row);
        while (hit && found.size() < 20) {
            found.append({ col, row });
            hit = grid.findNext(col, row);
        }
        QCOMPARE(found, hits);
    }

    void hiddenCellsAreSearchedButTextsBeyondTheColumnsAreNot()
    {
        SortableGrid grid;
        fill(grid,
            { { "Lp.", "Nadawca", "ID" }, { "1", "Nowak", "17" }, { "2", "Kowalski", "18" } }, 1,
            1);
        grid.setCells(3, 1, "Nowak w adnotacji"); // kept beyond colCount, as the list does
        grid.hideColumns(2, 2);
        grid.hideRows(2, 2);
        grid.setSearchSubstring(true);
        QCOMPARE(allHits(grid, "nowak", true), (Cells { { 1, 1 } }));
        QCOMPARE(allHits(grid, "18", true), (Cells { { 2, 2 } }));
        QCOMPARE(allHits(grid, "kowalski", false), (Cells { { 1, 2 } }));
    }

    void wholeCellSearchComparesTheKeyPart_data()
    {
        QTest::addColumn<int>("keyType");
        QTest::addColumn<int>("keyPos");
        QTest::addColumn<int>("keyLen");
        QTest::addColumn<QString>("phrase");
        QTest::addColumn<Cells>("hits");
        QTest::newRow("first three letters ignoring case")
            << int(soString) << 1 << 3 << "abc" << Cells { { 0, 0 }, { 1, 0 } };
        QTest::newRow("first three letters with case")
            << int(soStringCaseSensitive) << 1 << 3 << "abc" << Cells { { 1, 0 } };
        QTest::newRow("whole text ignoring case, Polish letters")
            << int(soString) << 1 << 2147483647 << "śródmieście" << Cells { { 0, 1 } };
        QTest::newRow("empty phrase finds empty cells of the grid only")
            << int(soString) << 1 << 2147483647 << "" << Cells { { 1, 1 } };
    }
    void wholeCellSearchComparesTheKeyPart()
    {
        QFETCH(int, keyType);
        QFETCH(int, keyPos);
        QFETCH(int, keyLen);
        QFETCH(QString, phrase);
        QFETCH(Cells, hits);
        SortableGrid grid;
        fill(grid, { { "ABCDEF", "abcxyz" }, { "ŚRÓDMIEŚCIE", "" } });
        grid.setUseFixed(hfYes);
        grid.setKeyType(SearchKeyType(keyType));
        grid.setKeyPos(keyPos);
        grid.setKeyLen(keyLen);
        QCOMPARE(allHits(grid, phrase, true), hits);
    }

    void compactAndWideRowsAreSearchedAlike_data()
    {
        QTest::addColumn<bool>("codec");
        QTest::newRow("Latin-1 and UTF-16 rows") << false;
        QTest::newRow("code page rows") << true;
    }
    void compactAndWideRowsAreSearchedAlike()
    {
        QFETCH(bool, codec);
        SortableGrid grid;
        if (codec)
            grid.setCompactCodec(encode, decode, canEncode);
        fill(grid,
            { { "Lp.", "Nadawca" }, { "1", "Zakład w Łodzi" }, { "2", "ZAKŁAD W ŁODZI" },
                { "3", "Café Łódź €" }, { "4", "zaklad" } },
            1, 1);
        grid.setSearchSubstring(true);
        QCOMPARE(allHits(grid, "zakład w łodzi", true), (Cells { { 1, 1 }, { 1, 2 } }));
        QCOMPARE(allHits(grid, "ŁÓDŹ €", true), (Cells { { 1, 3 } }));
    }

    void settingsChangedBetweenCallsApplyToTheRest()
    {
        SortableGrid grid;
        fill(grid, { { "abc" }, { "ABC" }, { "abc" }, { "ABC" } });
        grid.setUseFixed(hfYes);
        grid.setSearchSubstring(true);
        int col = 0;
        int row = 0;
        QVERIFY(grid.findFirst("abc", true, col, row));
        QCOMPARE(row, 0);
        // The phrase was upper-cased for the case-blind search; with case it now finds capitals.
        grid.setKeyType(soStringCaseSensitive);
        QVERIFY(grid.findNext(col, row));
        QCOMPARE(row, 1);
        QVERIFY(grid.findNext(col, row));
        QCOMPARE(row, 3);
    }

    void aShrunkGridIsNotSearchedBeyondItsEnd()
    {
        SortableGrid grid;
        fill(grid, { { "", "" }, { "", "" }, { "", "" } });
        grid.setUseFixed(hfYes);
        int col = 0;
        int row = 0;
        QVERIFY(grid.findFirst("", false, col, row));
        QCOMPARE(Cell(col, row), Cell(0, 0));
        grid.setRowCount(1);
        grid.setColCount(1);
        QVERIFY(!grid.findNext(col, row));
        QCOMPARE(Cell(col, row), Cell(-1, -1));
    }

    void searchExistsFromTheFirstStartEvenWithoutAHit()
    {
        SortableGrid grid;
        fill(grid, { { "Lp." }, { "1" } }, 1);
        int col = 7;
        int row = 7;
        QVERIFY(!grid.searchExists());
        QVERIFY(!grid.findNext(col, row));
        QCOMPARE(Cell(col, row), Cell(-1, -1));
        QVERIFY(!grid.findFirstInCol("Lp.", 0, col, row));
        QVERIFY(grid.searchExists());
    }
};

QTEST_MAIN(TestSortableGridSearch)
#include "tst_sortablegridsearch.moc"

// The parts of the list grid that need no window: key conversions and the sort order, the
// hidden-size list, marking drags, text offsets and scroll thumbs.
#include "AlphabetCollation.h"
#include "CellLayout.h"
#include "GridLists.h"
#include "RowMarkSet.h"
#include "SortGlyph.h"
#include "SortKeys.h"

#include <QtTest>

using namespace kolvar::grid;

namespace {

std::vector<int> sortTexts(
    const QStringList& texts, SortKeyKind kind, SortDirection direction, bool matchCase = false)
{
    std::vector<QString> keys(texts.begin(), texts.end());
    SortOptions options;
    options.keyKind = kind;
    options.direction = direction;
    options.matchCase = matchCase;
    return sortedKeyOrder(keys, options, KeyFormat());
}

QStringList inOrder(const QStringList& texts, const std::vector<int>& order)
{
    QStringList result;
    for (const int i : order)
        result.append(texts[i]);
    return result;
}

} // namespace

class TestSortableGridKeys : public QObject
{
    Q_OBJECT
private slots:
    void convertsNumbersInTheLocaleFormat_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<double>("value");
        QTest::newRow("integer") << "100" << true << 100.0;
        QTest::newRow("blanks around") << "  42 " << true << 42.0;
        QTest::newRow("decimal comma") << "3,5" << true << 3.5;
        QTest::newRow("decimal point is not Polish") << "3.5" << false << 0.0;
        QTest::newRow("negative") << "-7,25" << true << -7.25;
        QTest::newRow("exponent") << "1,5E3" << true << 1500.0;
        QTest::newRow("empty cell") << "" << false << 0.0;
        QTest::newRow("blank cell") << "   " << false << 0.0;
        QTest::newRow("group separator") << "1 000" << false << 0.0;
        QTest::newRow("trailing letters") << "12a" << false << 0.0;
        QTest::newRow("sign alone") << "-" << false << 0.0;
        QTest::newRow("exponent without digits") << "2e" << false << 0.0;
    }
    void convertsNumbersInTheLocaleFormat()
    {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(double, value);
        long double converted = 0;
        QCOMPARE(KeyFormat().tryNumber(text, converted), ok);
        if (ok)
            QCOMPARE(double(converted), value);
    }

    void convertsDatesAndTimes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("dateTime");
        QTest::addColumn<bool>("time");
        QTest::newRow("Polish short date") << "15.03.2024" << true << false;
        QTest::newRow("year first, as the register types it") << "2024.03.15" << true << false;
        QTest::newRow("date with time") << "15.03.2024 10:30" << true << false;
        QTest::newRow("date with seconds") << "15.03.2024 10:30:05" << true << false;
        QTest::newRow("time alone") << "10:30" << true << true;
        QTest::newRow("time with milliseconds") << "10:30:05.250" << true << true;
        QTest::newRow("afternoon") << "2:15 PM" << true << true;
        QTest::newRow("no such day") << "31.02.2024" << false << false;
        QTest::newRow("no such hour") << "24:00" << false << false;
        QTest::newRow("slashes are not the Polish separator") << "15/03/2024" << false << false;
        QTest::newRow("hour alone is no time") << "10" << false << false;
        QTest::newRow("empty mask of the register") << "    .  .  " << false << false;
        QTest::newRow("text") << "Urząd Skarbowy" << false << false;
    }
    void convertsDatesAndTimes()
    {
        QFETCH(QString, text);
        QFETCH(bool, dateTime);
        QFETCH(bool, time);
        long double value = 0;
        QCOMPARE(KeyFormat().tryDateTime(text, value), dateTime);
        QCOMPARE(KeyFormat().tryTime(text, value), time);
    }

    void ordersDatesByTheirValue()
    {
        QCOMPARE(compareAsDateTime("2.01.2024", "15.12.2023"), 1);
        QCOMPARE(compareAsDateTime("15.03.2024 9:00", "15.03.2024 10:00"), -1);
        QCOMPARE(compareAsTime("9:05", "10:00"), -1);
        QCOMPARE(compareAsNumber("9", "10"), -1);
        QCOMPARE(compareAsNumber("abc", "10"), 0);
    }

    void detectsTheKeyKindOfAColumn_data()
    {
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<int>("kind");
        QTest::newRow("numbers") << QStringList { "10", "9", "100" } << int(skNumber);
        QTest::newRow("one empty cell makes text")
            << QStringList { "10", "", "100" } << int(skText);
        QTest::newRow("dates") << QStringList { "1.02.2024", "15.03.2023" } << int(skDateTime);
        QTest::newRow("times are date-times too")
            << QStringList { "9:00", "10:30" } << int(skDateTime);
        QTest::newRow("numbers and dates") << QStringList { "10", "1.02.2024" } << int(skText);
        QTest::newRow("no rows") << QStringList {} << int(skNumber);
    }
    void detectsTheKeyKindOfAColumn()
    {
        QFETCH(QStringList, texts);
        QFETCH(int, kind);
        const SortKeyKind guessed = guessKeyKind(
            texts.size(), [&](qsizetype i) { return texts[i]; }, KeyFormat());
        QCOMPARE(int(guessed), kind);
    }

    void sortsNumbersByValueAndTextByCollation_data()
    {
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QStringList>("sorted");
        QTest::newRow("numbers") << QStringList { "10", "9", "100" } << int(skNumber)
                                 << QStringList { "9", "10", "100" };
        QTest::newRow("the same keys as text") << QStringList { "10", "", "100",
            "9" } << int(skText) << QStringList { "", "10", "100", "9" };
        QTest::newRow("Polish letters after their base letters")
            << QStringList { "Żółtowski", "Zając", "Łukasz", "Lis", "Śrem", "Sowa", "Ąbek", "Bąk" }
            << int(skText)
            << QStringList { "Ąbek", "Bąk", "Lis", "Łukasz", "Sowa", "Śrem", "Zając", "Żółtowski" };
        QTest::newRow("dates across years")
            << QStringList { "2.01.2024", "15.12.2023", "1.01.2024" } << int(skDateTime)
            << QStringList { "15.12.2023", "1.01.2024", "2.01.2024" };
    }
    void sortsNumbersByValueAndTextByCollation()
    {
        QFETCH(QStringList, texts);
        QFETCH(int, kind);
        QFETCH(QStringList, sorted);
        const std::vector<int> order = sortTexts(texts, SortKeyKind(kind), sdAscending);
        QCOMPARE(inOrder(texts, order), sorted);
    }

    void keepsTiesInPreviousOrderInBothDirections_data()
    {
        QTest::addColumn<int>("direction");
        QTest::addColumn<QList<int>>("expected");
        // keys: b a B c A  -> without case: B A B C A
        QTest::newRow("ascending") << int(sdAscending) << QList<int> { 1, 4, 0, 2, 3 };
        QTest::newRow("descending, ties not reversed")
            << int(sdDescending) << QList<int> { 3, 0, 2, 1, 4 };
    }
    void keepsTiesInPreviousOrderInBothDirections()
    {
        QFETCH(int, direction);
        QFETCH(QList<int>, expected);
        const QStringList texts { "b", "a", "B", "c", "A" };
        const std::vector<int> order = sortTexts(texts, skText, SortDirection(direction));
        QCOMPARE(QList<int>(order.begin(), order.end()), expected);
    }

    void matchingCaseOrdersByTheLocale()
    {
        const QStringList texts { "ABC", "abc" };
        const std::vector<int> withoutCase = sortTexts(texts, skText, sdAscending, false);
        QCOMPARE(QList<int>(withoutCase.begin(), withoutCase.end()), (QList<int> { 0, 1 }));
        const std::vector<int> withCase = sortTexts(texts, skText, sdAscending, true);
        QCOMPARE(inOrder(texts, withCase), (QStringList { "abc", "ABC" }));
    }

    void upperCasesKeysWhenCaseDoesNotMatter()
    {
        std::vector<QString> keys { "łódź", "Zażółć" };
        SortOptions options;
        options.keyKind = skText;
        (void)sortedKeyOrder(keys, options, KeyFormat());
        QCOMPARE(keys[0], QStringLiteral("ŁÓDŹ"));
        QCOMPARE(keys[1], QStringLiteral("ZAŻÓŁĆ"));
    }

    void strayTextInANumberColumnStillGivesOneOrder()
    {
        const QStringList texts { "5", "x", "1", "y", "3" };
        const std::vector<int> order = sortTexts(texts, skNumber, sdAscending);
        QCOMPARE(inOrder(texts, order), (QStringList { "x", "y", "1", "3", "5" }));
    }

    // The table keys must order every text of the alphabet exactly as the collator does,
    // including texts that differ only late, only in case, or only in Polish letters.
    void tableKeysOrderTextsAsTheCollator_data()
    {
        QTest::addColumn<bool>("matchCase");
        QTest::newRow("case-insensitive") << false;
        QTest::newRow("matching case") << true;
    }
    void tableKeysOrderTextsAsTheCollator()
    {
        QFETCH(bool, matchCase);
        QVERIFY(AlphabetCollation::forDefaultLocale().usable());
        const QString alphabet = AlphabetCollation::alphabet();
        const QStringList stems { "Łukasz Żółtowski", "Urząd Skarbowy w Śremie", "lukasz", "a-b",
            "" };
        QRandomGenerator random(42);
        QStringList texts;
        for (int i = 0; i < 4000; ++i) {
            QString text = stems[int(random.bounded(quint32(stems.size())))];
            const int extra = int(random.bounded(6));
            for (int k = 0; k < extra; ++k)
                text += alphabet[int(random.bounded(quint32(alphabet.size())))];
            texts.append(text);
        }
        // Pairs that differ in a single place at each level.
        texts << "zazolc"
              << "Zazolc"
              << "zażółć"
              << "ZAŻÓŁĆ"
              << "a b"
              << "a-b"
              << "ab"
              << "a„b";

        QStringList expected = texts;
        QCollator collator { QLocale() };
        collator.setCaseSensitivity(Qt::CaseSensitive);
        const QLocale locale;
        QStringList keysAsCompared = texts;
        if (!matchCase) {
            for (QString& t : keysAsCompared)
                t = locale.toUpper(t);
        }
        std::vector<int> byCollator(std::size_t(texts.size()));
        std::iota(byCollator.begin(), byCollator.end(), 0);
        std::stable_sort(byCollator.begin(), byCollator.end(), [&](int a, int b) {
            return collator.compare(keysAsCompared[a], keysAsCompared[b]) < 0;
        });
        const std::vector<int> byTable = sortTexts(texts, skText, sdAscending, matchCase);
        QCOMPARE(inOrder(texts, byTable), inOrder(texts, byCollator));
    }

    void upperCasesLikeTheLocale()
    {
        const QString alphabet = AlphabetCollation::alphabet();
        QString upper;
        QVERIFY(AlphabetCollation::forDefaultLocale().toUpper(alphabet, upper));
        QCOMPARE(upper, QLocale().toUpper(alphabet));
        QVERIFY(!AlphabetCollation::forDefaultLocale().toUpper(QStringLiteral("straße"), upper));
    }

    void textsOutsideTheAlphabetSortAmongTheOthers()
    {
        const QStringList texts { "Zoe", "Émile", "Ewa", "Ærø", "Adam", "Ёлка", "Łucja" };
        const std::vector<int> order = sortTexts(texts, skText, sdAscending, true);
        QStringList expected = texts;
        QCollator collator { QLocale() };
        std::stable_sort(expected.begin(), expected.end(),
            [&](const QString& a, const QString& b) { return collator.compare(a, b) < 0; });
        QCOMPARE(inOrder(texts, order), expected);
    }

    void usesTheCallersComparison()
    {
        std::vector<QString> keys { "ccc", "a", "bb", "dd" };
        SortOptions options;
        options.keyKind = skUserCompare;
        options.matchCase = true;
        options.compare
            = [](const QString& a, const QString& b) { return int(a.size()) - int(b.size()); };
        const std::vector<int> order = sortedKeyOrder(keys, options, KeyFormat());
        QCOMPARE(QList<int>(order.begin(), order.end()), (QList<int> { 1, 2, 3, 0 }));
    }

    void remembersHiddenSizesAcrossInsertAndDelete()
    {
        HiddenSizeList sizes;
        sizes.rememberSize(8, 30, szRow);
        sizes.rememberSize(6, 80, szCol);
        sizes.shiftAfterInsert(3, szRow);
        QCOMPARE(sizes.recallSize(9, szRow), 30);
        QCOMPARE(sizes.recallSize(8, szRow), -1);
        sizes.shiftAfterDelete(2, szCol);
        QCOMPARE(sizes.recallSize(5, szCol), 80);
        QCOMPARE(sizes.recallSize(5, szRow), -1);
    }

    void recallsTheFirstAndForgetsTheLastOfTwinEntries()
    {
        HiddenSizeList sizes;
        sizes.rememberSize(4, 50, szCol);
        sizes.rememberSize(4, 0, szCol);
        QCOMPARE(sizes.recallSize(4, szCol), 50);
        sizes.forgetSize(4, szCol);
        QCOMPARE(sizes.count(), 1);
        QCOMPARE(sizes.recallSize(4, szCol), 50);
    }

    void dragMarksFromTheAnchorAndReleasesWhatItLeaves_data()
    {
        QTest::addColumn<int>("anchor");
        QTest::addColumn<int>("last");
        QTest::addColumn<int>("to");
        QTest::addColumn<QSet<int>>("before");
        QTest::addColumn<QSet<int>>("after");
        QTest::newRow("down from the anchor")
            << 3 << 3 << 6 << QSet<int> { 3 } << QSet<int> { 3, 4, 5, 6 };
        QTest::newRow("back up towards the anchor")
            << 3 << 6 << 4 << QSet<int> { 3, 4, 5, 6 } << QSet<int> { 3, 4 };
        QTest::newRow("back onto the anchor")
            << 3 << 6 << 3 << QSet<int> { 3, 4, 5, 6 } << QSet<int> { 3 };
        QTest::newRow("across the anchor upwards")
            << 5 << 7 << 2 << QSet<int> { 5, 6, 7 } << QSet<int> { 2, 3, 4, 5 };
        QTest::newRow("across the anchor downwards")
            << 5 << 3 << 8 << QSet<int> { 3, 4, 5 } << QSet<int> { 5, 6, 7, 8 };
        QTest::newRow("further up")
            << 5 << 3 << 1 << QSet<int> { 3, 4, 5 } << QSet<int> { 1, 2, 3, 4, 5 };
    }
    void dragMarksFromTheAnchorAndReleasesWhatItLeaves()
    {
        QFETCH(int, anchor);
        QFETCH(int, last);
        QFETCH(int, to);
        QFETCH(QSet<int>, before);
        QFETCH(QSet<int>, after);
        QSet<int> marks = before;
        for (const MarkSpan& span : dragMarkSpans(anchor, last, to)) {
            for (int r = span.first; r <= span.last; ++r) {
                if (span.marked)
                    marks.insert(r);
                else
                    marks.remove(r);
            }
        }
        QCOMPARE(marks, after);
    }

    void deletedRowTakesItsMarkAlong()
    {
        RowMarkSet marks(1);
        marks.set(4, true);
        marks.set(7, true);
        marks.removeRow(4);
        QCOMPARE(marks.rows(), (std::vector<int> { 1, 6 }));
    }

    void placesTextInsideTheCell_data()
    {
        QTest::addColumn<int>("align");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("textWidth");
        QTest::addColumn<int>("offset");
        QTest::newRow("left") << int(taLeftJustify) << 100 << 40 << 2;
        QTest::newRow("right ends 2 pixels before the edge")
            << int(taRightJustify) << 100 << 40 << 58;
        QTest::newRow("centre, even remainder") << int(taCenter) << 100 << 40 << 30;
        QTest::newRow("centre, odd remainder leans left") << int(taCenter) << 100 << 41 << 29;
        QTest::newRow("centre of a too wide text truncates toward zero")
            << int(taCenter) << 40 << 45 << -2;
    }
    void placesTextInsideTheCell()
    {
        QFETCH(int, align);
        QFETCH(int, width);
        QFETCH(int, textWidth);
        QFETCH(int, offset);
        QCOMPARE(horzTextOffset(HorzAlignment(align), width, textWidth), offset);
    }

    void placesTextVertically()
    {
        QCOMPARE(vertTextOffset(taTopJustify, 28, 16), 2);
        QCOMPARE(vertTextOffset(taBottomJustify, 28, 16), 9);
        QCOMPARE(vertTextOffset(taMiddle, 28, 15), 6);
    }

    void sizesThumbsByTheShownShare_data()
    {
        QTest::addColumn<int>("shown");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("max");
        QTest::addColumn<int>("page");
        QTest::newRow("a tenth of the rows") << 9 << 100 << 99 << 10;
        QTest::newRow("half rounds to even, down") << 4 << 20 << 9 << 2; // 0.25 * 10 = 2.5
        QTest::newRow("half rounds to even, up") << 6 << 20 << 9 << 4; // 0.35 * 10 = 3.5
        QTest::newRow("never below one") << 9 << 1000000 << 999990 << 10;
        QTest::newRow("a million rows, a tiny share") << 0 << 1000000 << 99 << 1;
    }
    void sizesThumbsByTheShownShare()
    {
        QFETCH(int, shown);
        QFETCH(int, count);
        QFETCH(int, max);
        QFETCH(int, page);
        QCOMPARE(proportionalPageStep(shown, 1, count, 0, max), page);
    }

    void glyphsAreBuiltInWithAnAquaBackground_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QSize>("size");
        QTest::newRow("SORTUP") << "SORTUP" << QSize(8, 7);
        QTest::newRow("SORTDN") << "SORTDN" << QSize(8, 7);
        QTest::newRow("SORTAZ") << "SORTAZ" << QSize(16, 16);
        QTest::newRow("SORTZA") << "SORTZA" << QSize(16, 16);
    }
    void glyphsAreBuiltInWithAnAquaBackground()
    {
        QFETCH(QString, name);
        QFETCH(QSize, size);
        const QImage glyph = loadSortGlyphResource(name);
        QCOMPARE(glyph.size(), size);
        const QImage masked = maskedGlyph(glyph, QColor(0, 255, 255));
        int transparent = 0;
        int opaque = 0;
        for (int y = 0; y < masked.height(); ++y) {
            for (int x = 0; x < masked.width(); ++x)
                (qAlpha(masked.pixel(x, y)) == 0 ? transparent : opaque)++;
        }
        QVERIFY(transparent > 0);
        QVERIFY(opaque > 0);
        QVERIFY(loadSortGlyphResource("SORTXX").isNull());
    }

    void azGlyphHasBlackAAboveRedZ()
    {
        const QImage az = loadSortGlyphResource("SORTAZ");
        const QImage za = loadSortGlyphResource("SORTZA");
        // The top half holds the first letter.
        const auto colourIn = [](const QImage& image, int top) {
            for (int y = top; y < top + 8; ++y) {
                for (int x = 0; x < 9; ++x) {
                    const QColor c = image.pixelColor(x, y);
                    if (c != QColor(0, 255, 255))
                        return c;
                }
            }
            return QColor();
        };
        QCOMPARE(colourIn(az, 0), QColor(Qt::black));
        QCOMPARE(colourIn(az, 8), QColor(Qt::red));
        QCOMPARE(colourIn(za, 0), QColor(Qt::red));
        QCOMPARE(colourIn(za, 8), QColor(Qt::black));
    }
};

QTEST_APPLESS_MAIN(TestSortableGridKeys)
#include "tst_sortablegridkeys.moc"

#include "PageLayout.h"
#include "ResampleBitmap.h"

#include <QBuffer>
#include <QFontMetrics>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

using namespace kolvar::grid;

namespace {

// 600 dpi over a 100 dpi screen: a rendered page is 800 × 1000, a counted one six times that.
const PrintPage Page { QSize(4800, 6000), 600, 600, 100, 100 };
const QDateTime Now(QDate(2026, 12, 7), QTime(9, 5));

class FakeSource final : public PrintSource
{
public:
    QList<int> widths;
    QList<int> heights;
    int colCount() const override { return int(widths.size()); }
    int colWidth(int col) const override { return widths[col]; }
    int rowHeight(int row) const override { return heights[row]; }
    int fixedCols() const override { return 1; }
    int fixedRows() const override { return 1; }
    bool wordWrap() const override { return false; }
    QFont font() const override
    {
        QFont f(QStringLiteral("Arial"));
        f.setPixelSize(12);
        return f;
    }
    QColor color() const override { return Qt::white; }
    PrintedCell cell(int col, int row) override
    {
        return { QStringLiteral("c%1r%2").arg(col).arg(row), font(), Qt::black, Qt::white };
    }
};

// Ten data rows of 100 pixels: eight fit under row 0 above the footer, so two pages a slice.
FakeSource tenRows(QList<int> widths)
{
    FakeSource s;
    s.widths = std::move(widths);
    s.heights = QList<int>(11, 100);
    return s;
}

QStringList texts(const PageLayout& page)
{
    QStringList out;
    for (const PageItem& item : page.items)
        if (item.kind == PageItem::Text)
            out << item.text;
    return out;
}

const PageItem* textItem(const PageLayout& page, const QString& text)
{
    for (const PageItem& item : page.items)
        if (item.kind == PageItem::Text && item.text == text)
            return &item;
    return nullptr;
}

} // namespace

class TestPageLayout : public QObject
{
    Q_OBJECT

private slots:
    void pageLabelsNameTheSliceWhenThereAreSeveral_data()
    {
        QTest::addColumn<QList<int>>("widths");
        QTest::addColumn<QStringList>("labels");
        QTest::newRow("narrower than the page")
            << QList<int> { 200, 200 } << QStringList { "Strona 1", "Strona 2" };
        QTest::newRow("two slices wide") << QList<int> { 300, 300,
            300 } << QStringList { "Strona 1-1", "Strona 2-1", "Strona 1-2", "Strona 2-2" };
    }

    void pageLabelsNameTheSliceWhenThereAreSeveral()
    {
        QFETCH(QList<int>, widths);
        QFETCH(QStringList, labels);
        FakeSource source = tenRows(widths);
        PrintOptions options;
        options.pageFooter = QStringLiteral("page");
        PageLayouter layouter(source, options, Page, Now);
        QCOMPARE(layouter.count(1, 10), labels.size());
        for (int p = 1; p <= labels.size(); ++p) {
            const PageLayout page = PageLayouter(source, options, Page, Now).render(p, 1, 10);
            QVERIFY2(textItem(page, labels[p - 1]), qPrintable(texts(page).join(u',')));
            // Row 0 heads every page, and the data go on where the page before stopped.
            QVERIFY(texts(page).contains(QStringLiteral("c%1r0").arg(p <= 2 ? 0 : 2)));
            QCOMPARE(texts(page).contains(QStringLiteral("c%1r9").arg(p <= 2 ? 0 : 2)), p % 2 == 0);
        }
    }

    void footerPartsStandLeftCentredAndRight_data()
    {
        QTest::addColumn<QString>("footer");
        QTest::addColumn<QStringList>("parts"); // left, middle, right; empty for none
        QTest::newRow("date, time and page")
            << QStringLiteral("date|time|page") << QStringList { "7-gru-2026", "9:05", "Strona 1" };
        QTest::newRow("page alone fills the left part")
            << QStringLiteral("page") << QStringList { "Strona 1", "", "" };
        QTest::newRow("two separators put the page at the right")
            << QStringLiteral("||page") << QStringList { "", "", "Strona 1" };
        QTest::newRow("words replaced once, case-sensitive, fourth part dropped") << QStringLiteral(
            "page page|Date|x|page") << QStringList { "Strona 1 page", "Date", "x" };
    }

    void footerPartsStandLeftCentredAndRight()
    {
        QFETCH(QString, footer);
        QFETCH(QStringList, parts);
        FakeSource source = tenRows({ 200 });
        PrintOptions options;
        options.pageFooter = footer;
        options.footerSize = 9;
        options.marginLeft = 30;
        options.marginRight = 40;
        options.marginBottom = 50;
        const PageLayout page = PageLayouter(source, options, Page, Now).render(1, 1, 10);
        for (int i = 0; i < 3; ++i) {
            if (parts[i].isEmpty())
                continue;
            const PageItem* item = textItem(page, parts[i]);
            QVERIFY2(item, qPrintable(texts(page).join(u',')));
            const QFontMetrics fm(item->font);
            const int w = fm.horizontalAdvance(parts[i]);
            const int x = i == 0 ? 30 : i == 1 ? 400 - w / 2 : 800 - (w + 40 + 10);
            QCOMPARE(item->rect.topLeft(), QPoint(x, 1000 - (fm.height() + 50)));
        }
    }

    void hiddenRowsAndColumnsAreNotPrinted()
    {
        FakeSource source = tenRows({ 50, 0, 70 });
        source.heights[3] = 0;
        PrintOptions options;
        options.leftPadding = 0;
        const PageLayout page = PageLayouter(source, options, Page, Now).render(1, 1, 10);
        const QStringList shown = texts(page);
        QVERIFY(!shown.contains(QStringLiteral("c0r3")));
        QVERIFY(!shown.contains(QStringLiteral("c1r2")));
        // The hidden column still takes its one pixel of grid line.
        QCOMPARE(textItem(page, QStringLiteral("c2r2"))->rect.left(), 51 + 1);
        QCOMPARE(textItem(page, QStringLiteral("c0r4"))->rect.top(),
            textItem(page, QStringLiteral("c0r2"))->rect.top() + 100);
    }

    void pagesBeyondTheLastAndHeaderOnlyTables_data()
    {
        QTest::addColumn<QList<int>>("widths");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("pages");
        QTest::newRow("header only, one slice") << QList<int> { 200 } << 1 << 1;
        QTest::newRow("header only, three slices") << QList<int> { 500, 500, 500 } << 1 << 3;
        QTest::newRow("a row taller than the page gets one of its own")
            << QList<int> { 200 } << -1 << 3;
    }

    void pagesBeyondTheLastAndHeaderOnlyTables()
    {
        QFETCH(QList<int>, widths);
        QFETCH(int, rows);
        QFETCH(int, pages);
        FakeSource source;
        source.widths = widths;
        source.heights = rows > 0 ? QList<int>(rows, 100) : QList<int> { 100, 50, 5000, 50 };
        PrintOptions options;
        const int last = int(source.heights.size()) - 1;
        QCOMPARE(PageLayouter(source, options, Page, Now).count(1, last), pages);
        const PageLayout beyond
            = PageLayouter(source, options, Page, Now).render(pages + 1, 1, last);
        QCOMPARE(beyond.size, QSize(800, 1000));
        QVERIFY(beyond.items.isEmpty());
        if (rows < 0) {
            const PageLayout tall = PageLayouter(source, options, Page, Now).render(2, 1, last);
            const PageItem* cell = textItem(tall, QStringLiteral("c0r2"));
            QVERIFY(cell);
            QVERIFY(cell->rect.bottom() < 1000);
        }
    }

    void pagesDrawnInOneWalkAreThePagesDrawnAlone_data()
    {
        QTest::addColumn<QList<int>>("asked");
        QTest::addColumn<QList<int>>("given");
        QTest::newRow("the middle pages") << QList<int> { 2, 3 } << QList<int> { 2, 3 };
        QTest::newRow("every page") << QList<int> { 1, 2, 3, 4 } << QList<int> { 1, 2, 3, 4 };
        QTest::newRow("a page twice and one beyond the last")
            << QList<int> { 2, 2, 9 } << QList<int> { 2 };
        QTest::newRow("page 0 before a real one") << QList<int> { 0, 3 } << QList<int> { 3 };
    }

    void pagesDrawnInOneWalkAreThePagesDrawnAlone()
    {
        QFETCH(QList<int>, asked);
        QFETCH(QList<int>, given);
        // Two slices of two pages each.
        FakeSource source = tenRows({ 300, 300, 300 });
        PrintOptions options;
        QList<int> numbers;
        QList<QStringList> drawn;
        PageLayouter(source, options, Page, Now)
            .renderPages(asked, 1, 10, [&](int number, const PageLayout& page) {
                numbers << number;
                drawn << texts(page);
                return true;
            });
        QCOMPARE(numbers, given);
        for (qsizetype i = 0; i < numbers.size(); ++i)
            QCOMPARE(drawn[i],
                texts(PageLayouter(source, options, Page, Now).render(numbers[i], 1, 10)));
        QCOMPARE(PageLayouter(source, options, Page, Now).countAsRendered(1, 10), 4);
    }

    void logoFilesThatAreNoPicturesAreLeftOutWithANote_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("drawn");
        QImage small(4, 3, QImage::Format_RGB32);
        small.fill(Qt::red);
        QByteArray png;
        {
            QBuffer buffer(&png);
            buffer.open(QIODevice::WriteOnly);
            small.save(&buffer, "PNG");
        }
        // A bitmap header claiming 30000 × 30000 pixels and nothing after it.
        QByteArray huge("BM", 2);
        huge += QByteArray(12, '\0');
        huge += QByteArray::fromHex("28000000"
                                    "30750000"
                                    "30750000"
                                    "0100"
                                    "1800");
        huge += QByteArray(24, '\0');
        QTest::newRow("PNG picture") << png << true;
        QTest::newRow("text file") << QByteArray("not a picture") << false;
        QTest::newRow("truncated PNG") << png.left(30) << false;
        QTest::newRow("header claims 30000 x 30000") << huge << false;
    }

    void logoFilesThatAreNoPicturesAreLeftOutWithANote()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, drawn);
        QTemporaryDir dir;
        QFile file(dir.filePath(QStringLiteral("logo.bmp")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.close();
        FakeSource source = tenRows({ 200 });
        PrintOptions options;
        options.logo = file.fileName();
        const PageLayout page = PageLayouter(source, options, Page, Now).render(1, 1, 10);
        const bool hasImage = std::any_of(page.items.cbegin(), page.items.cend(),
            [](const PageItem& i) { return i.kind == PageItem::Image; });
        QCOMPARE(hasImage, drawn);
        QCOMPARE(page.notes.isEmpty(), drawn);
    }

    void resampleBlendsTheFourNeighbours()
    {
        QImage source(2, 2, QImage::Format_RGB888);
        const int values[2][2] = { { 0, 200 }, { 100, 40 } };
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 2; ++x)
                source.setPixel(x, y, qRgb(values[y][x], values[y][x], 255 - values[y][x]));
        QImage target(2, 2, QImage::Format_RGB888);
        resampleBitmap(source, target);
        // Steps of half a pixel: the second column halves the first row's pair, the second row
        // weighs all four alike.
        QCOMPARE(qRed(target.pixel(0, 0)), 0);
        QCOMPARE(qRed(target.pixel(1, 0)), 100);
        QCOMPARE(qRed(target.pixel(0, 1)), 50);
        QCOMPARE(qRed(target.pixel(1, 1)), 85);
        QCOMPARE(qBlue(target.pixel(1, 1)), 255 - 85);

        QImage line(1, 1, QImage::Format_RGB888);
        line.fill(Qt::blue);
        QImage wide(5, 3, QImage::Format_RGB888);
        resampleBitmap(line, wide);
        QCOMPARE(wide.pixel(4, 2), qRgb(0, 0, 255));
    }
};

QTEST_MAIN(TestPageLayout)
#include "tst_pagelayout.moc"

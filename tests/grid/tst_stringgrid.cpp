#include "GridTextStore.h"
#include "StringGrid.h"

#include <QLineEdit>
#include <QPainter>
#include <QtTest>

#include <array>

using namespace kolvar::grid;

namespace {

// The Polish letters of Windows-1250, enough to tell a working single-byte codec from Latin-1.
constexpr std::array<std::pair<char16_t, unsigned char>, 18> polish { {
    { u'ą', 0xB9 },
    { u'ć', 0xE6 },
    { u'ę', 0xEA },
    { u'ł', 0xB3 },
    { u'ń', 0xF1 },
    { u'ó', 0xF3 },
    { u'ś', 0x9C },
    { u'ź', 0x9F },
    { u'ż', 0xBF },
    { u'Ą', 0xA5 },
    { u'Ć', 0xC6 },
    { u'Ę', 0xCA },
    { u'Ł', 0xA3 },
    { u'Ń', 0xD1 },
    { u'Ó', 0xD3 },
    { u'Ś', 0x8C },
    { u'Ź', 0x8F },
    { u'Ż', 0xAF },
} };

int toByte(QChar c)
{
    if (c.unicode() < 0x80)
        return c.unicode();
    for (const auto& [ch, byte] : polish)
        if (ch == c.unicode())
            return byte;
    return -1;
}

QByteArray encode1250(QStringView text)
{
    QByteArray out;
    for (QChar c : text)
        out.append(char(toByte(c)));
    return out;
}

QString decode1250(QByteArrayView bytes)
{
    QString out;
    for (char b : bytes) {
        const auto u = static_cast<unsigned char>(b);
        QChar c(u);
        for (const auto& [ch, byte] : polish)
            if (byte == u)
                c = QChar(ch);
        out.append(c);
    }
    return out;
}

bool can1250(QStringView text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return toByte(c) >= 0; });
}

class ProbeStringGrid : public StringGrid
{
public:
    using CustomGrid::canvas;
};

QImage grabCell(StringGrid& grid, int col, int row)
{
    grid.viewport()->repaint();
    return grid.viewport()->grab(grid.cellRect(col, row)).toImage();
}

// The bounding box of the pixels clearly darker than the background.
QRect inkBox(const QImage& image)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 128)
                box |= QRect(x, y, 1, 1);
    return box;
}

} // namespace

class TestStringGrid : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<ProbeStringGrid> m_grid;

    ProbeStringGrid& shownGrid(int cols = 5, int rows = 5)
    {
        m_grid = std::make_unique<ProbeStringGrid>();
        m_grid->setColCount(cols);
        m_grid->setRowCount(rows);
        m_grid->setColor(Qt::white);
        m_grid->setFontColor(Qt::black);
        m_grid->resize(400, 300);
        m_grid->show();
        if (!QTest::qWaitForWindowExposed(m_grid.get()))
            qFatal("grid window not exposed");
        return *m_grid;
    }
    void installCodec(StringGrid& grid) { grid.setCompactCodec(encode1250, decode1250, can1250); }

private slots:
    void cleanup() { m_grid.reset(); }

    void numberColumnNumbersRowsWhereverTheyMove()
    {
        StringGrid grid;
        grid.setColCount(3);
        grid.setRowCount(5);
        grid.setNumberColumn(0);
        grid.setRowTexts(0, QStringList { "Nr", "a" });
        for (int r = 1; r < 5; ++r)
            grid.setRowTexts(r, QStringList { "99", QString::number(10 * r) });
        grid.moveRow(1, 4);
        grid.permuteRows(1, std::array { 2, 1, 3, 4 });
        QStringList shown;
        for (int r = 0; r < 5; ++r)
            shown.append(grid.cells(0, r) + u'/' + grid.cells(1, r));
        QCOMPARE(shown, (QStringList { "Nr/a", "1/30", "2/20", "3/40", "4/10" }));
        QVERIFY(!grid.cellBytes(0, 2));
    }

    void permutedRowsTakeTheirSourcesTexts_data()
    {
        QTest::addColumn<QList<int>>("sources"); // for rows 2 .. 6
        QTest::addColumn<QString>("shown"); // the texts of rows 1 .. 7 after
        QTest::newRow("row moved down") << QList<int> { 3, 4, 5, 6, 2 } << "a c d e f b g";
        QTest::newRow("row moved up") << QList<int> { 6, 2, 3, 4, 5 } << "a f b c d e g";
        QTest::newRow("rotated by two") << QList<int> { 4, 5, 6, 2, 3 } << "a d e f b c g";
        QTest::newRow("unchanged") << QList<int> { 2, 3, 4, 5, 6 } << "a b c d e f g";
        QTest::newRow("reversed") << QList<int> { 6, 5, 4, 3, 2 } << "a f e d c b g";
        QTest::newRow("rotation but for one row, refused")
            << QList<int> { 3, 4, 5, 6, 3 } << "a b c d e f g";
        QTest::newRow("a row from outside, refused")
            << QList<int> { 3, 4, 5, 6, 7 } << "a b c d e f g";
    }

    void permutedRowsTakeTheirSourcesTexts()
    {
        QFETCH(QList<int>, sources);
        QFETCH(QString, shown);
        StringGrid grid;
        grid.setColCount(2);
        grid.setRowCount(8);
        for (int r = 1; r < 8; ++r)
            grid.setCells(1, r, QString(QChar(u'a' + r - 1)));
        grid.permuteRows(2, sources);
        QStringList texts;
        for (int r = 1; r < 8; ++r)
            texts.append(grid.cells(1, r));
        QCOMPARE(texts.join(u' '), shown);
    }

    // --- the store --------------------------------------------------------------------------

    void textsRoundTripInTheNarrowestForm_data()
    {
        QTest::addColumn<bool>("codec");
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<bool>("compact");
        QTest::newRow("plain ASCII")
            << false << QStringList { "ID", "", "2024/01/05", "x" } << true;
        QTest::newRow("Latin-1 accents without a codec")
            << false << QStringList { "café", "naïve" } << true;
        QTest::newRow("Polish without a codec is wide")
            << false << QStringList { "Łódź", "a" } << false;
        QTest::newRow("Polish with the codec is narrow")
            << true << QStringList { "Zażółć", "gęślą", "JAŹŃ" } << true;
        QTest::newRow("a Cyrillic text makes the row wide")
            << true << QStringList { "Łódź", "Жук" } << false;
        QTest::newRow("surrogate pairs survive") << true << QStringList { "a😀b", "ż" } << false;
    }
    void textsRoundTripInTheNarrowestForm()
    {
        QFETCH(bool, codec);
        QFETCH(QStringList, texts);
        QFETCH(bool, compact);
        GridTextStore bulk;
        GridTextStore single;
        if (codec) {
            bulk.setCodec({ encode1250, decode1250, can1250 });
            single.setCodec({ encode1250, decode1250, can1250 });
        }
        const std::vector<QStringView> views(texts.cbegin(), texts.cend());
        bulk.setRow(2, views);
        for (int c = 0; c < texts.size(); ++c)
            single.setText(c, 2, texts.at(c));
        for (int c = 0; c < texts.size(); ++c) {
            QCOMPARE(bulk.text(c, 2), texts.at(c));
            QCOMPARE(single.text(c, 2), texts.at(c));
        }
        QCOMPARE(bulk.rowIsCompact(2), compact);
        QCOMPARE(single.rowIsCompact(2), compact);
        QCOMPARE(bulk.text(texts.size(), 2), QString());
        QCOMPARE(bulk.text(0, 7), QString());
    }

    void anUnencodableTextWidensOnlyItsRow()
    {
        GridTextStore store;
        store.setCodec({ encode1250, decode1250, can1250 });
        store.setText(0, 0, u"Śląsk");
        store.setText(1, 0, u"Kraków");
        store.setText(0, 1, u"Gdańsk");
        store.setText(1, 0, u"Київ");
        QVERIFY(!store.rowIsCompact(0));
        QVERIFY(store.rowIsCompact(1));
        QCOMPARE(store.text(0, 0), QStringLiteral("Śląsk"));
        QCOMPARE(store.text(1, 0), QStringLiteral("Київ"));
        QCOMPARE(store.text(0, 1), QStringLiteral("Gdańsk"));
    }

    void aNewCodecRepacksStoredRows()
    {
        GridTextStore store;
        store.setCodec({ encode1250, decode1250, can1250 });
        store.setText(3, 0, u"źdźbło");
        // Another page: every byte shifted, so a row left in the old bytes would read wrong.
        store.setCodec({ [](QStringView t) {
                            QByteArray b = encode1250(t);
                            for (char& c : b)
                                c = char(c + 1);
                            return b;
                        },
            [](QByteArrayView v) {
                QByteArray b = v.toByteArray();
                for (char& c : b)
                    c = char(c - 1);
                return decode1250(b);
            },
            can1250 });
        QCOMPARE(store.text(3, 0), QStringLiteral("źdźbło"));
        QVERIFY(store.rowIsCompact(0));
    }

    void encodedRowsAreTakenAsTheyAre()
    {
        ProbeStringGrid grid;
        installCodec(grid);
        const QByteArray sender = encode1250(u"Urząd Gminy");
        const std::array<QByteArrayView, 3> row { QByteArrayView("17"), QByteArrayView(sender),
            QByteArrayView() };
        grid.setRowBytes(1, row);
        QCOMPARE(grid.cells(0, 1), QStringLiteral("17"));
        QCOMPARE(grid.cells(1, 1), QStringLiteral("Urząd Gminy"));
        QCOMPARE(grid.cells(2, 1), QString());
    }

    void rowsReadRightThroughDropsMovesAndRefills()
    {
        // Enough rows to fill several of the blocks rows are cut from, then every way a row
        // can go while its neighbours stay.
        GridTextStore store;
        store.setCodec({ encode1250, decode1250, can1250 });
        QList<QStringList> model;
        const auto fill = [&](int rows, const QString& tag) {
            model.clear();
            for (int r = 0; r < rows; ++r) {
                model.append(
                    { QString::number(r), tag, QStringLiteral("Łódź %1 ").arg(r).repeated(r % 40),
                        QString(), QStringLiteral("ż").repeated(r % 7) });
                const std::vector<QStringView> views(model.back().cbegin(), model.back().cend());
                store.setRow(r, views);
            }
        };
        const auto check = [&] {
            for (int r = 0; r < model.size(); ++r) {
                for (int c = 0; c < model[r].size() + 1; ++c)
                    QCOMPARE(store.text(c, r), model[r].value(c));
            }
        };
        fill(20'000, QStringLiteral("pierwsze"));
        for (int r = 0; r < model.size(); r += 2) {
            store.clearRow(r);
            model[r] = QStringList();
        }
        store.setText(1, 7, u"dłuższy niż był tekst w tym wierszu");
        model[7][1] = QStringLiteral("dłuższy niż był tekst w tym wierszu");
        const QString huge = QStringLiteral("ą").repeated(200'000);
        store.setText(5, 9, huge);
        model[9].append(huge);
        store.moveColumn(1, 3);
        store.removeColumn(0);
        for (QStringList& texts : model) {
            if (texts.size() > 1)
                texts.move(1, 3);
            if (!texts.isEmpty())
                texts.removeFirst();
            while (!texts.isEmpty() && texts.back().isEmpty())
                texts.removeLast();
        }
        check();
        store.resize(0);
        fill(3'000, QStringLiteral("drugie"));
        check();
    }

    void aMillionRowListStaysNearItsTextSize()
    {
        // Two long texts and seven short ones per row, as in a register.
        GridTextStore store;
        store.setCodec({ encode1250, decode1250, can1250 });
        const int rows = 20'000;
        store.resize(rows);
        const QString details = QStringLiteral("Szczegóły sprawy ").repeated(20);
        const QString notes = QStringLiteral("adnotacja ").repeated(40);
        std::size_t chars = 0;
        for (int r = 0; r < rows; ++r) {
            const QString id = QString::number(r);
            const std::array<QStringView, 9> texts { id, u"2024/05/01", u"Nadawca", u"Dotyczy",
                u"Tryb", u"Odp", details, notes, id };
            for (QStringView t : texts)
                chars += size_t(t.size());
            store.setRow(r, texts);
        }
        QVERIFY2(store.heapBytes() <= chars * 11 / 10,
            qPrintable(
                QStringLiteral("%1 bytes for %2 characters").arg(store.heapBytes()).arg(chars)));
        QCOMPARE(store.text(7, 12345), notes);
    }

    // --- texts follow their rows and columns ------------------------------------------------

    void textsBeyondTheLastColumnStayWithTheirRow()
    {
        ProbeStringGrid grid;
        grid.setColCount(5);
        grid.setRowCount(6);
        grid.setCells(8, 3, QStringLiteral("dziewiąty"));
        grid.setCells(1, 3, QStringLiteral("b"));
        QCOMPARE(grid.rowTexts(3).size(), 9);
        grid.moveRow(3, 1);
        QCOMPARE(grid.cells(8, 1), QStringLiteral("dziewiąty"));
        QCOMPARE(grid.cells(8, 3), QString());
        grid.deleteRow(0);
        QCOMPARE(grid.cells(8, 0), QStringLiteral("dziewiąty"));
        QCOMPARE(grid.cells(1, 0), QStringLiteral("b"));
        grid.clearRow(0);
        QCOMPARE(grid.cells(8, 0), QString());
        QCOMPARE(grid.rowTexts(0), QStringList(5));
    }

    void columnsMoveAndDeleteInEveryRow()
    {
        ProbeStringGrid grid;
        grid.setColCount(4);
        grid.setRowCount(3);
        grid.setRowTexts(0, { "a", "b", "c", "d", "beyond" });
        grid.setRowTexts(2, { "", "x" });
        grid.moveColumn(1, 3);
        QCOMPARE(grid.rowTexts(0), (QStringList { "a", "c", "d", "b", "beyond" }));
        QCOMPARE(grid.rowTexts(2), (QStringList { "", "", "", "x" }));
        grid.deleteColumn(0);
        QCOMPARE(grid.rowTexts(0), (QStringList { "c", "d", "b", "beyond" }));
        QCOMPARE(grid.cells(3, 0), QStringLiteral("beyond"));
    }

    void draggingAHeaderMovesTheColumnTexts()
    {
        ProbeStringGrid& grid = shownGrid(5, 4);
        grid.setOptions(grid.options() | goColMoving);
        for (int r = 0; r < 4; ++r)
            grid.setRowTexts(r,
                { "", QStringLiteral("one%1").arg(r), QStringLiteral("two%1").arg(r),
                    QStringLiteral("three%1").arg(r) });
        QTest::mousePress(grid.viewport(), Qt::LeftButton, {}, grid.cellRect(1, 0).center());
        QTest::mouseMove(grid.viewport(), grid.cellRect(3, 0).center());
        QTest::mouseRelease(grid.viewport(), Qt::LeftButton, {}, grid.cellRect(3, 0).center());
        for (int r = 0; r < 4; ++r) {
            QCOMPARE(grid.cells(1, r), QStringLiteral("two%1").arg(r));
            QCOMPARE(grid.cells(3, r), QStringLiteral("one%1").arg(r));
        }
    }

    void shrinkingTheRowCountForgetsTheDroppedRows()
    {
        ProbeStringGrid grid;
        grid.setRowCount(10);
        grid.setCells(1, 8, QStringLiteral("gone"));
        grid.setRowCount(5);
        QCOMPARE(grid.cells(1, 8), QString());
        grid.setRowCount(10);
        QCOMPARE(grid.cells(1, 8), QString());
        grid.setCells(1, 20, QStringLiteral("outside"));
        QCOMPARE(grid.cells(1, 20), QString());
    }

    void wholeRowsAndColumnsAreReplaced()
    {
        ProbeStringGrid grid;
        grid.setColCount(3);
        grid.setRowCount(3);
        grid.setRowTexts(1, { "a", "b", "c", "d" });
        grid.setRowTexts(1, { "x" });
        QCOMPARE(grid.rowTexts(1), (QStringList { "x", "", "" }));
        grid.setColTexts(2, { "t", "u" });
        QCOMPARE(grid.colTexts(2), (QStringList { "t", "u", "" }));
    }

    // --- drawing ----------------------------------------------------------------------------

    void textLandsTwoPixelsInAndStaysInsideItsCell()
    {
        ProbeStringGrid& grid = shownGrid();
        grid.setCurrentCell(1, 1);
        grid.setCells(2, 2, QStringLiteral("HHHHHHHHHHHHHHHHHHHHHHHHHHHHHH"));
        const QImage cell = grabCell(grid, 2, 2);
        const QRect ink = inkBox(cell);
        QVERIFY(!ink.isEmpty());
        QVERIFY2(ink.left() >= 2 && ink.left() <= 4, qPrintable(QString::number(ink.left())));
        QVERIFY2(ink.top() >= 2, qPrintable(QString::number(ink.top())));
        QCOMPARE(ink.right(), cell.width() - 1); // cut at the cell's edge
        const QImage next = grabCell(grid, 3, 2);
        QVERIFY(inkBox(next).isEmpty());
    }

    void aHugeTextPaintsAsItsBeginningAndReadsWhole_data()
    {
        QTest::addColumn<QString>("piece"); // repeated to some two million characters
        QTest::addRow("code page row") << QStringLiteral("Łódź, ul. Żółwia 5; ");
        QTest::addRow("UTF-16 row") << QStringLiteral("Жук и Łódź; ");
        QTest::addRow("pairs of units") << QStringLiteral("a\U0001F600");
    }
    void aHugeTextPaintsAsItsBeginningAndReadsWhole()
    {
        QFETCH(QString, piece);
        ProbeStringGrid& grid = shownGrid();
        installCodec(grid);
        grid.setCurrentCell(1, 1);
        const QString huge = piece.repeated(2'000'000 / piece.size());
        grid.setCells(2, 2, huge);
        grid.setCells(2, 3, huge.left(300));
        const int width = grid.cellRect(2, 2).width();
        const QString shown = grid.shownText(2, 2, width);
        QVERIFY(huge.startsWith(shown));
        QVERIFY(shown.size() >= 2 * width && shown.size() < 4 * width + 1024);
        QVERIFY(!shown.back().isHighSurrogate());
        QCOMPARE(grid.shownText(2, 3, width), huge.left(300));
        QCOMPARE(grabCell(grid, 2, 2), grabCell(grid, 2, 3));
        QCOMPARE(grid.cells(2, 2), huge); // searched and exported whole
    }

    void withoutDefaultDrawingOnlyTheEventPaints()
    {
        ProbeStringGrid& grid = shownGrid();
        grid.setCurrentCell(1, 1);
        grid.setCells(2, 2, QStringLiteral("HHHH"));
        grid.setDefaultDrawing(false);
        QList<QPoint> events;
        grid.onDrawCell = [&](int c, int r, const QRect&, GridDrawState) {
            events.append({ c, r });
        };
        QVERIFY(inkBox(grabCell(grid, 2, 2)).isEmpty());
        QVERIFY(events.contains(QPoint(2, 2)));
    }

    void onDrawCellPaintsOverTheText()
    {
        ProbeStringGrid& grid = shownGrid();
        grid.setCurrentCell(1, 1);
        grid.setCells(2, 2, QStringLiteral("HHHH"));
        grid.onDrawCell = [&](int c, int r, const QRect& rect, GridDrawState) {
            if (c == 2 && r == 2)
                grid.canvas().painter->fillRect(rect, Qt::red);
        };
        const QImage cell = grabCell(grid, 2, 2);
        QCOMPARE(cell.pixelColor(3, 3), QColor(Qt::red));
        QVERIFY(
            inkBox(cell).isEmpty() || cell.pixelColor(inkBox(cell).topLeft()) == QColor(Qt::red));
    }

    // --- editing ----------------------------------------------------------------------------

    void editingWritesTheCellAsTheUserTypes()
    {
        ProbeStringGrid& grid = shownGrid();
        grid.setOptions(grid.options() | goEditing);
        grid.setCurrentCell(2, 3);
        grid.setCells(2, 3, QStringLiteral("stary"));
        QTest::keyClick(&grid, Qt::Key_F2);
        auto* editor = grid.findChild<QLineEdit*>(QStringLiteral("inplaceEditor"));
        QTest::keyClicks(editor, QStringLiteral("!"));
        QCOMPARE(grid.cells(2, 3), QStringLiteral("stary!"));
        QTest::keyClick(editor, Qt::Key_Escape);
        QCOMPARE(grid.cells(2, 3), QStringLiteral("stary"));
        QTest::keyClick(&grid, Qt::Key_N);
        QCOMPARE(grid.cells(2, 3), QStringLiteral("n"));
        QTest::keyClick(editor, Qt::Key_Return);
        QVERIFY(!grid.editorMode());
        QCOMPARE(grid.cells(2, 3), QStringLiteral("n"));
    }
};

QTEST_MAIN(TestStringGrid)
#include "tst_stringgrid.moc"

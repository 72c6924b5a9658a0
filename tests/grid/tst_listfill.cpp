#include "StringGrid.h"

#include <QtTest>

#include <array>

using namespace kolvar::grid;

namespace {

// A two-letter code page is enough to tell compact bytes from Latin-1: Ł is 0xA3, ż is 0xBF.
QByteArray encodeSmall(QStringView text)
{
    QByteArray out;
    for (const QChar c : text)
        out.append(c == u'Ł' ? char(0xA3) : c == u'ż' ? char(0xBF) : char(c.unicode()));
    return out;
}

QString decodeSmall(QByteArrayView bytes)
{
    QString out;
    for (const char b : bytes)
        out.append(b == char(0xA3) ? QChar(u'Ł') : b == char(0xBF) ? QChar(u'ż') : QChar(uchar(b)));
    return out;
}

bool canEncodeSmall(QStringView text)
{
    return std::all_of(text.begin(), text.end(),
        [](QChar c) { return c.unicode() < 0x80 || c == u'Ł' || c == u'ż'; });
}

// The list's nine texts: the number first (empty until the order is known), then eight fields,
// the last beyond the grid's columns.
const std::array<QByteArray, 9> rowBytes { QByteArray(), "17", "2024.03.15",
    encodeSmall(u"Łukasz żak"), encodeSmall(u"Wniosek o zaświadczenie"), "", "pisemnie",
    "linia 1\r\nlinia 2", encodeSmall(u"Adnotacja ż") };

std::array<QByteArrayView, 9> views(const std::array<QByteArray, 9>& bytes)
{
    std::array<QByteArrayView, 9> out;
    for (std::size_t i = 0; i < bytes.size(); ++i)
        out[i] = bytes[i];
    return out;
}

} // namespace

// Loading a list: rows stored with room for their running number, which is written in place once
// the order is known. What the grid then holds must not depend on that shortcut.
class TestListFill : public QObject
{
    Q_OBJECT

    StringGrid* m_grid = nullptr;

private slots:
    void init()
    {
        m_grid = new StringGrid;
        m_grid->setColCount(8);
        m_grid->setRowCount(4);
        m_grid->setCompactCodec(encodeSmall, decodeSmall, canEncodeSmall);
    }
    void cleanup()
    {
        delete m_grid;
        m_grid = nullptr;
    }

    void filledRowReadsAsASetRowAndNumbersItLater_data()
    {
        QTest::addColumn<int>("room");
        QTest::addColumn<QList<QByteArray>>("numbers");
        QTest::newRow("one number that fits") << 7 << QList<QByteArray> { "1" };
        QTest::newRow("exactly the room") << 7 << QList<QByteArray> { "1234567" };
        QTest::newRow("longer than the room") << 3 << QList<QByteArray> { "12345" };
        QTest::newRow("longer, then shorter") << 4 << QList<QByteArray> { "9999", "12" };
        QTest::newRow("shorter, then longer") << 4 << QList<QByteArray> { "5", "1000" };
        QTest::newRow("no room at all") << 0 << QList<QByteArray> { "42" };
        QTest::newRow("emptied again") << 7 << QList<QByteArray> { "42", "" };
    }

    void filledRowReadsAsASetRowAndNumbersItLater()
    {
        QFETCH(int, room);
        QFETCH(QList<QByteArray>, numbers);
        const auto texts = views(rowBytes);
        m_grid->fillRowBytes(2, texts, room);
        QCOMPARE(m_grid->cells(0, 2), QString());
        QCOMPARE(m_grid->cells(3, 2), decodeSmall(rowBytes[3]));

        for (const QByteArray& number : numbers)
            m_grid->fillFirstCellBytes(2, number);

        // The same row stored the ordinary way, number included.
        std::array<QByteArray, 9> expected = rowBytes;
        expected[0] = numbers.last();
        m_grid->setRowBytes(3, views(expected));
        QCOMPARE(m_grid->rowTexts(2), m_grid->rowTexts(3));
        QCOMPARE(m_grid->cells(8, 2), m_grid->cells(8, 3));
        QCOMPARE(m_grid->cells(0, 2), QString::fromLatin1(numbers.last()));
    }

    void numberedRowBehavesLikeAnyOtherRow()
    {
        m_grid->fillRowBytes(1, views(rowBytes), 7);
        m_grid->fillFirstCellBytes(1, "3");
        m_grid->setCells(2, 1, QStringLiteral("2025.01.01"));
        QCOMPARE(m_grid->cells(0, 1), QStringLiteral("3"));
        QCOMPARE(m_grid->cells(2, 1), QStringLiteral("2025.01.01"));
        m_grid->setCells(0, 1, QStringLiteral("Łż"));
        QCOMPARE(m_grid->cells(0, 1), QStringLiteral("Łż"));
        QCOMPARE(m_grid->cells(7, 1), QStringLiteral("linia 1\r\nlinia 2"));

        m_grid->permuteRows(1, std::array<int, 3> { 3, 1, 2 });
        QCOMPARE(m_grid->cells(0, 2), QStringLiteral("Łż"));
        QCOMPARE(m_grid->cells(8, 2), QStringLiteral("Adnotacja ż"));
    }

    void textsOutsideTheCodeRoomOfARowAreKept()
    {
        // A row already held in UTF-16 (a character the code page lacks) takes the number too.
        m_grid->setCells(0, 1, QStringLiteral("€"));
        m_grid->setCells(1, 1, QStringLiteral("x"));
        m_grid->fillFirstCellBytes(1, "12");
        QCOMPARE(m_grid->cells(0, 1), QStringLiteral("12"));
        QCOMPARE(m_grid->cells(1, 1), QStringLiteral("x"));
    }

    void rowsOutsideTheGridAreIgnored()
    {
        m_grid->fillRowBytes(9, views(rowBytes), 7);
        m_grid->fillFirstCellBytes(-1, "1");
        m_grid->fillFirstCellBytes(9, "1");
        QCOMPARE(m_grid->rowCount(), 4);
        QCOMPARE(m_grid->cells(3, 3), QString());
    }
};

QTEST_MAIN(TestListFill)
#include "tst_listfill.moc"

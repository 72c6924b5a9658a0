#include "Cp1250.h"
#include "StorageTestSupport.h"

#include <QTest>

using namespace kolvar::storage;

class TestCp1250 : public QObject
{
    Q_OBJECT

private slots:
    void everyByteSurvivesDecodeAndEncode();
    void decodesPolishLetters_data();
    void decodesPolishLetters();
    void decodesLongTextsWithTheFirstHighByteAnywhere_data();
    void decodesLongTextsWithTheFirstHighByteAnywhere();
    void undefinedBytesBecomeC1Controls();
    void reportsTheFirstCharacterOutsideTheCodePage_data();
    void reportsTheFirstCharacterOutsideTheCodePage();
};

void TestCp1250::everyByteSurvivesDecodeAndEncode()
{
    const QByteArray bytes = kolvar::test::allBytes();
    const QString text = fromCp1250(bytes);
    QCOMPARE(text.size(), 256);
    QVERIFY(canEncodeCp1250(text));
    QCOMPARE(toCp1250(text), bytes);
    // Decoding is one-to-one: no two bytes share a character.
    for (int i = 0; i < 256; ++i)
        QCOMPARE(text.indexOf(text[i]), i);
}

void TestCp1250::decodesPolishLetters_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("small letters")
        << QByteArray::fromHex("b9e6eab3f1f39c9fbf") << QStringLiteral("ąćęłńóśźż");
    QTest::newRow("capital letters")
        << QByteArray::fromHex("a5c6caa3d1d38c8faf") << QStringLiteral("ĄĆĘŁŃÓŚŹŻ");
    QTest::newRow("a sender with ASCII around")
        << QByteArray::fromHex("a3f3647a20") + "Sp. z o.o." << QStringLiteral("Łódz Sp. z o.o.");
    QTest::newRow("typographic quotes, dash and euro")
        << QByteArray::fromHex("849496802085") << QStringLiteral("„”–€ …");
}

void TestCp1250::decodesPolishLetters()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(fromCp1250(bytes), text);
    QCOMPARE(toCp1250(text), bytes);
}

void TestCp1250::decodesLongTextsWithTheFirstHighByteAnywhere_data()
{
    QTest::addColumn<int>("position");
    for (int position : { 0, 1, 7, 8, 9, 15, 16, 17, 23, 24 })
        QTest::newRow(qPrintable(QStringLiteral("ł at %1 of 25").arg(position))) << position;
}

void TestCp1250::decodesLongTextsWithTheFirstHighByteAnywhere()
{
    QFETCH(int, position);
    QByteArray bytes(25, 'a');
    bytes[position] = static_cast<char>(0xb3);
    bytes[24] = static_cast<char>(0xb9);
    QString expected(25, u'a');
    expected[position] = u'ł';
    expected[24] = u'ą';
    QCOMPARE(fromCp1250(bytes), expected);
}

void TestCp1250::undefinedBytesBecomeC1Controls()
{
    QCOMPARE(fromCp1250(QByteArray::fromHex("8183889098")),
        QStringView(u"\u0081\u0083\u0088\u0090\u0098").toString());
}

void TestCp1250::reportsTheFirstCharacterOutsideTheCodePage_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("encodable");
    QTest::addColumn<qsizetype>("firstBad");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("Polish text encodes")
        << QStringLiteral("Zażółć gęślą jaźń") << true << qsizetype(-1)
        << QByteArray::fromHex("5a61bff3b3e62067ea9c6cb9206a619ff1");
    QTest::newRow("Cyrillic is replaced by question marks")
        << QStringLiteral("ab\u0416c\u0416") << false << qsizetype(2) << QByteArray("ab?c?");
    QTest::newRow("a surrogate pair becomes two question marks")
        << QStringLiteral("x\U0001F600") << false << qsizetype(1) << QByteArray("x??");
    QTest::newRow("Latin-1 letter missing from the code page")
        << QStringLiteral("\u00e0") << false << qsizetype(0) << QByteArray("?");
}

void TestCp1250::reportsTheFirstCharacterOutsideTheCodePage()
{
    QFETCH(QString, text);
    QFETCH(bool, encodable);
    QFETCH(qsizetype, firstBad);
    QFETCH(QByteArray, bytes);
    qsizetype reported = -2;
    QCOMPARE(canEncodeCp1250(text, &reported), encodable);
    QCOMPARE(reported, firstBad);
    QCOMPARE(toCp1250(text), bytes);
}

QTEST_APPLESS_MAIN(TestCp1250)
#include "tst_cp1250.moc"

#include "ColorValue.h"
#include "UserDialogs.h"

#include <QtTest>

using namespace kolvar;

class TestColorValue : public QObject
{
    Q_OBJECT
private slots:
    void rgbValuesAreBgrOrdered_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<QColor>("color");
        QTest::newRow("silver") << colors::Silver << QColor(192, 192, 192);
        QTest::newRow("maroon is dark red") << colors::Maroon << QColor(128, 0, 0);
        QTest::newRow("navy is dark blue") << colors::Navy << QColor(0, 0, 128);
        QTest::newRow("aqua") << colors::Aqua << QColor(0, 255, 255);
    }
    void rgbValuesAreBgrOrdered()
    {
        QFETCH(int, value);
        QFETCH(QColor, color);
        QCOMPARE(toQColor(value), color);
        QCOMPARE(fromQColor(color), value);
    }

    void systemColoursAreTheNegativeValuesOfTheSettingsFile()
    {
        QCOMPARE(colors::Window, -2147483643);
        QCOMPARE(colors::BtnFace, -2147483633);
        QVERIFY(toQColor(colors::Window).isValid());
    }

    void pipeFilterBecomesQtFilter()
    {
        QCOMPARE(qtFileFilter(QStringLiteral("Pliki bazowe (*.db)|*.db|Dowolne pliki (*.*)|*.*")),
                 QStringLiteral("Pliki bazowe (*.db);;Dowolne pliki (*.*)"));
        QCOMPARE(qtFileFilter(QStringLiteral("Obrazy|*.bmp;*.png")),
                 QStringLiteral("Obrazy (*.bmp *.png)"));
    }
};

QTEST_MAIN(TestColorValue)
#include "tst_colorvalue.moc"

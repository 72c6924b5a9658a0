#include "FuzzEntry.h"

#include <QDir>
#include <QFile>
#include <QtTest>

// Files that broke or nearly broke the readers, each fed to the fuzzers' own entry point. With
// KOLVAR_CORPUS_DIR set, each is also written there as a seed for tests/fuzz/run_fuzz.sh.
class TestFuzzCorpus : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { kolvar::fuzz::makeApplication(); }

    void hostileFileIsReadWithoutHarm_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray rtf = "{\\rtf1\\ansi ";
        const auto hints = [&](const char* name, const QByteArray& body) {
            QTest::newRow(name) << "hints" << rtf + body;
        };
        hints("a million opening braces", QByteArray(1000000, '{'));
        hints("binary run of 2147483647 bytes", "\\bin2147483647 ab}");
        hints("binary run of -1 bytes", "\\bin-1 ab}");
        hints("unicode -1", "\\u-1 x}");
        hints("unicode beyond 64 bits", "\\u99999999999999999999 x}");
        hints("huge fallback count", "\\uc2147483647\\u321 abc}");
        QByteArray fonts = "{\\fonttbl";
        for (int i = 0; i < 32761; ++i)
            fonts += "{\\f" + QByteArray::number(i) + "\\fcharset238 F;}";
        hints("32,761 fonts", fonts + "}\\f32760 tekst}");
        hints("32,761 font groups in the text, the table's header lost", fonts.mid(9) + "}");
        hints("40-letter control word", "\\" + QByteArray(40, 'q') + " x}");
        hints("extra closing braces", "x}}}}}{\\b y}}");
        hints("hexadecimal escape cut off", "\\'4");
        hints("NUL bytes", QByteArray("a\0b\0{\\b\0}\0", 10) + "}");
        QTest::newRow("NUL bytes, plain text") << "hints" << QByteArray(64, '\0');

        const auto ini = [](const char* name, const QByteArray& text) {
            QTest::newRow(name) << "settings" << text;
        };
        ini("sizes at the limits of int",
            "[Form1]\nLeft=2147483647\nTop=-2147483648\nWidth=2147483647\nHeight=2147483647\n"
            "WysRow=2147483647\n[Form2]\nLeft=-2147483648\nWidth=-2147483648\n"
            "[Kolumny]\nTermin=2147483647\nNadawca=-2147483648\n[Fonty]\nSize=2147483647\n"
            "ASize=-2147483648\nFontStyle=-2147483648\n[Plik]\nSort=-2147483648\n");
        ini("hexadecimal and stray letters",
            "[Kolor]\nPlanszy=$FFFFFFFF\nOkien=0x\n[Fonty]\nSize=12px\n[Plik]\nSort=0x7\n");
        ini("byte-order mark with broken UTF-8", "\xEF\xBB\xBF[Plik]\nNazwa=\xC3\x28\xFF\n");
        ini("NUL bytes and lone carriage returns",
            QByteArray("[Plik\0]\rNazwa=a\0b\r\r\n=\n[\n]\n", 27));
        ini("100,000 empty sections", QByteArray("[]\n").repeated(100000));

        const auto copy = [](const char* name, const QByteArray& line) {
            QTest::newRow(name) << "copyline" << line;
        };
        copy("a row of the eight columns", "7\ta\\tb\t\\N\tż\t\t\t\t\\N\n");
        copy("a backslash ending the line", "7\ta\tb\tc\td\te\tf\tg\\");
        copy("a backslash ending a field", "7\ta\\\tb\tc\td\te\tf\tg\n");
        copy("a character cut off", "7\t\xC5\t\xE2\x82\t\xF0\x9F\x98\tx\tx\tx\tx");
        copy("an ID beyond 64 bits", "99999999999999999999\ta\tb\tc\td\te\tf\tg");
        copy("nine columns", "1\t2\t3\t4\t5\t6\t7\t8\t9");
        copy("seven texts with every escaped byte",
            QByteArray("\\\t\n\r\0\x01\xB9\x01\x01\\N\x01\x81\x98\x01\x01", 16));
    }
    void hostileFileIsReadWithoutHarm()
    {
        QFETCH(QString, target);
        QFETCH(QByteArray, bytes);
        const QString seeds = qEnvironmentVariable("KOLVAR_CORPUS_DIR");
        if (!seeds.isEmpty() && QDir().mkpath(seeds + u'/' + target)) {
            QFile seed(seeds + u'/' + target + u'/' + QString::fromLatin1(QTest::currentDataTag()));
            if (seed.open(QIODevice::WriteOnly))
                seed.write(bytes);
        }
        if (target == QLatin1String("hints")) {
            kolvar::fuzz::readHints(bytes);
        } else if (target == QLatin1String("copyline")) {
            kolvar::fuzz::readCopyLine(bytes);
            kolvar::fuzz::roundTripCopyLine(bytes);
        } else {
            kolvar::fuzz::readSettings(bytes);
        }
    }
};

QTEST_APPLESS_MAIN(TestFuzzCorpus)

#include "tst_fuzzcorpus.moc"

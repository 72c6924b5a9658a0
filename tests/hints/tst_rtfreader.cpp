#include "DocumentProbe.h"
#include "RtfReader.h"

#include <QRandomGenerator>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>

using kolvar::hints::readRichOrPlainText;
using kolvar::hints::readRtf;
using kolvar::test::textOf;
using Property = kolvar::test::TextProperty;

namespace {

QString readText(const QByteArray& rtf)
{
    QTextDocument document;
    readRtf(rtf, document);
    return textOf(document);
}

const QByteArray Tables = "{\\fonttbl{\\f0\\froman\\fcharset238 Times New Roman;}"
                          "{\\f1\\fswiss{\\*\\panose 020b0604020202020204}Arial;}}"
                          "{\\colortbl;\\red255\\green0\\blue0;\\red0\\green128\\blue0;}";

QByteArray rtf(const QByteArray& body)
{
    return "{\\rtf1\\ansi\\deff0" + Tables + body + "}";
}

// Small documents in the shapes word processors write, for the fuzzing below to damage.
const QList<QByteArray> Samples = {
    rtf("\\pard\\qc\\b\\fs32 Tytu\\'b3\\par\\pard\\li720\\fi-360\\cf1 Tekst \\u322?\\par}"),
    "{\\rtf1{\\*\\generator x;}{\\info{\\title t}}{\\pict\\bin4 {}\\}a{\\field{\\*\\fldinst H}"
    "{\\fldrslt b}}\\uc2\\u-10179??\\u-8704??\\'e6\\~\\-\\_\\{\\}\\\\\\tab\\line}",
    "{\\rtf1\\ansicpg1252{\\fonttbl\\f0\\fnil Helvetica;\\f1\\fcharset238 Arial;}\\f1\\'b3\\f0\\'b3"
    "{\\colortbl;\\red1\\green2\\blue3;}\\cb1\\highlight1\\strike\\ul\\ulnone\\sb120\\sa120 x}",
};

} // namespace

class tst_RtfReader : public QObject
{
    Q_OBJECT
private slots:
    void readsText_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QString>("expected");

        QTest::newRow("a blank after a control word belongs to the word")
            << QByteArray("{\\rtf1 \\b bold\\b0  plain}") << QStringLiteral("bold plain");
        QTest::newRow("paragraphs, lines and tabs")
            << QByteArray("{\\rtf1 one\\par two\\line three\\tab four}")
            << QStringLiteral("one\ntwo\u2028three\tfour");
        QTest::newRow("line ends in the file are not text, an escaped one is a paragraph")
            << QByteArray("{\\rtf1 a\r\nb\\\r\nc}") << QStringLiteral("ab\nc");
        QTest::newRow("escaped braces and backslash")
            << QByteArray("{\\rtf1 \\{x\\} \\\\}") << QStringLiteral("{x} \\");
        QTest::newRow("no-break space, optional hyphen, no-break hyphen")
            << QByteArray("{\\rtf1 a\\~b\\-c\\_d}") << QStringLiteral("a\u00A0b\u00ADc\u2011d");
        QTest::newRow("typographic characters")
            << QByteArray("{\\rtf1 \\emdash\\endash\\bullet\\lquote\\rquote\\ldblquote\\rdblquote}")
            << QStringLiteral("—–•‘’“”");
        QTest::newRow("Polish letters read as 1250 when the document names no code page")
            << QByteArray("{\\rtf1 \\'b3\\'b9\\'e6\\'ea\\'f1\\'f3\\'9c\\'9f\\'bf\\'a3\\'8c\\'af}")
            << QStringLiteral("łąćęńóśźżŁŚŻ");
        QTest::newRow("Polish letters in a 1250 document") << QByteArray(
            "{\\rtf1\\ansi\\ansicpg1250 Za\\'bf\\'f3\\'b3\\'e6 g\\'ea\\'9cl\\'b9 "
            "ja\\'9f\\'f1}") << QStringLiteral("Zażółć gęślą jaźń");
        QTest::newRow("bytes above 127 written as they are")
            << QByteArray("{\\rtf1 \xb3\xb9}") << QStringLiteral("łą");
        QTest::newRow("a 1252 document")
            << QByteArray("{\\rtf1\\ansi\\ansicpg1252 \\'b3\\'e6\\'80\\'9c}")
            << QStringLiteral("³æ€œ");
        QTest::newRow("a font's Central European character set wins over the document's")
            << QByteArray("{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0\\fcharset238 Arial;}"
                          "{\\f1\\fcharset0 Times;}}\\f0 \\'b3\\f1 \\'b3}")
            << QStringLiteral("ł³");
        QTest::newRow("the default font's character set applies without \\f")
            << QByteArray("{\\rtf1\\ansicpg1252\\deff1{\\fonttbl{\\f1\\fcharset238 Arial;}}\\'b3}")
            << QStringLiteral("ł");
        QTest::newRow("an unknown code page reads as 1250")
            << QByteArray("{\\rtf1\\ansicpg99999 \\'b3}") << QStringLiteral("ł");
        QTest::newRow("\\u with its one stand-in skipped")
            << QByteArray("{\\rtf1 \\u322?x}") << QStringLiteral("łx");
        QTest::newRow("\\uc2 skips two stand-ins, escapes counting one each")
            << QByteArray("{\\rtf1\\uc2 \\u322\\'b3\\'b3x}") << QStringLiteral("łx");
        QTest::newRow("\\uc0 skips nothing")
            << QByteArray("{\\rtf1\\uc0 \\u322 x}") << QStringLiteral("łx");
        QTest::newRow("\\uc holds only inside its group")
            << QByteArray("{\\rtf1 {\\uc2 \\u322??}\\u322?x}") << QStringLiteral("łłx");
        QTest::newRow("a brace ends the stand-ins")
            << QByteArray("{\\rtf1 \\u322{x}y}") << QStringLiteral("łxy");
        QTest::newRow("negative \\u counts from 65536")
            << QByteArray("{\\rtf1 \\u-3913?}") << QStringLiteral("\uF0B7");
        QTest::newRow("a surrogate pair makes one character")
            << QByteArray("{\\rtf1 \\u-10179?\\u-8704?}") << QStringLiteral("\U0001F600");
        QTest::newRow("a lone surrogate becomes a replacement character")
            << QByteArray("{\\rtf1 \\u-10179?x}") << QStringLiteral("\uFFFDx");
        QTest::newRow("fonts, colours, styles, information, generator, header, picture skipped")
            << QByteArray("{\\rtf1" + Tables
                   + "{\\*\\generator Riched20;}{\\info{\\title T}{\\author A}}"
                     "{\\stylesheet{\\s0 Normal;}}{\\header H}{\\pict\\pngblip 89504e47}body}")
            << QStringLiteral("body");
        QTest::newRow("a field shows its result, not its instruction")
            << QByteArray("{\\rtf1{\\field{\\*\\fldinst HYPERLINK \"http://x\"}{\\fldrslt link}}}")
            << QStringLiteral("link");
        QTest::newRow("binary data is skipped, braces in it included")
            << QByteArray("{\\rtf1{\\pict\\bin6 }}{{\\a}x}") << QStringLiteral("x");
        QTest::newRow("hidden text")
            << QByteArray("{\\rtf1 a{\\v secret}b}") << QStringLiteral("ab");
        QTest::newRow("table cells and rows")
            << QByteArray("{\\rtf1\\trowd a\\cell b\\cell\\row c}") << QStringLiteral("a\tb\t\nc");
        QTest::newRow("unknown words are ignored")
            << QByteArray("{\\rtf1\\foo12 \\bar a}") << QStringLiteral("a");
        QTest::newRow("control characters from escapes make no paragraphs")
            << QByteArray("{\\rtf1 a\\'0ab\\'0dc\\'00d}") << QStringLiteral("abcd");
        QTest::newRow("paragraph separators and frame markers from \\u are dropped")
            << QByteArray("{\\rtf1 a\\u8233?b\\u64976?c\\u8232?d}") << QStringLiteral("abc\u2028d");
        QTest::newRow("text after the document's group is not read")
            << QByteArray("{\\rtf1 a} trailing") << QStringLiteral("a");
        QTest::newRow("surplus closing braces")
            << QByteArray("{\\rtf1 {a}}}} b") << QStringLiteral("a");
        QTest::newRow("a file cut off inside a group")
            << QByteArray("{\\rtf1 x{\\b a") << QStringLiteral("xa");
        QTest::newRow("a file cut off inside an escape")
            << QByteArray("{\\rtf1 a\\'b") << QStringLiteral("ab");
        QTest::newRow("a file cut off after a backslash")
            << QByteArray("{\\rtf1 a\\") << QStringLiteral("a");
        QTest::newRow("binary data longer than the file")
            << QByteArray("{\\rtf1 a\\bin2147483647 xyz") << QStringLiteral("a");
        QTest::newRow("parameters too large for any number")
            << QByteArray("{\\rtf1\\fs99999999999999999999 a\\li-99999999999 b\\u99999999999 ?c}")
            << QStringLiteral("abc");
        QTest::newRow("a control word longer than any word of the format")
            << QByteArray("{\\rtf1 \\" + QByteArray(5000, 'b') + "1 x}") << QStringLiteral("x");
        QByteArray fontGroups;
        for (int i = 0; i < 30000; ++i)
            fontGroups += "{\\f" + QByteArray::number(i) + "\\fcharset238 F;}";
        QTest::newRow("30,000 font groups in the text, the table's header lost")
            << "{\\rtf1 " + fontGroups + "}" << QStringLiteral("F;").repeated(30000);
    }
    void readsText()
    {
        QFETCH(QByteArray, input);
        QFETCH(QString, expected);
        QCOMPARE(readText(input), expected);
    }

    void readsFormats_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QString>("word");
        QTest::addColumn<Property>("property");
        QTest::addColumn<QVariant>("expected");

        const QByteArray groups = rtf("a {\\b\\i\\ul\\strike\\fs36\\f1\\cf1 in} out");
        QTest::newRow("bold in its group") << groups << "in" << Property::Bold << QVariant(true);
        QTest::newRow("bold ends with its group")
            << groups << "out" << Property::Bold << QVariant(false);
        QTest::newRow("italic") << groups << "in" << Property::Italic << QVariant(true);
        QTest::newRow("underline") << groups << "in" << Property::Underline << QVariant(true);
        QTest::newRow("strike-out") << groups << "in" << Property::Strike << QVariant(true);
        QTest::newRow("size in half points")
            << groups << "in" << Property::PointSize << QVariant(18.0);
        QTest::newRow("size back to 12 points after the group")
            << groups << "out" << Property::PointSize << QVariant(12.0);
        QTest::newRow("face from the font table")
            << groups << "in" << Property::Family << QVariant(QStringLiteral("Arial"));
        QTest::newRow("the default font's face without \\f")
            << groups << "out" << Property::Family << QVariant(QStringLiteral("Times New Roman"));
        QTest::newRow("text colour from the colour table")
            << groups << "in" << Property::Foreground << QVariant(QColor(255, 0, 0));
        QTest::newRow("automatic colour outside")
            << groups << "out" << Property::Foreground << QVariant(QColor());

        QTest::newRow("\\b0 ends bold")
            << rtf("\\b x\\b0 plain") << "plain" << Property::Bold << QVariant(false);
        QTest::newRow("\\plain ends every character property")
            << rtf("\\b\\i\\ul\\fs40 x\\plain plain") << "plain" << Property::PointSize
            << QVariant(12.0);
        QTest::newRow("double underline is underline")
            << rtf("\\uldb x") << "x" << Property::Underline << QVariant(true);
        QTest::newRow("\\ulnone ends underline")
            << rtf("\\ul x\\ulnone y") << "y" << Property::Underline << QVariant(false);
        QTest::newRow("\\ul0 ends underline")
            << rtf("\\ul x\\ul0 y") << "y" << Property::Underline << QVariant(false);
        QTest::newRow("\\fs0 is the default size")
            << rtf("\\fs0 x") << "x" << Property::PointSize << QVariant(12.0);
        QTest::newRow("a huge size is held at the largest")
            << rtf("\\fs99999999999 x") << "x" << Property::PointSize << QVariant(1638.0);
        QTest::newRow("\\cf past the colour table is automatic")
            << rtf("\\cf9 x") << "x" << Property::Foreground << QVariant(QColor());
        QTest::newRow("\\cf0 names the empty entry: automatic")
            << rtf("\\cf0 x") << "x" << Property::Foreground << QVariant(QColor());
        QTest::newRow("highlight")
            << rtf("\\highlight2 x") << "x" << Property::Background << QVariant(QColor(0, 128, 0));
        QTest::newRow("background")
            << rtf("\\cb1 x") << "x" << Property::Background << QVariant(QColor(255, 0, 0));
        QTest::newRow("superscript")
            << rtf("a{\\super 2}") << "2" << Property::Superscript << QVariant(true);
        QTest::newRow("font table without groups")
            << QByteArray("{\\rtf1{\\fonttbl\\f0\\fswiss Helvetica;\\f1 Courier;}\\f1 x}") << "x"
            << Property::Family << QVariant(QStringLiteral("Courier"));
        QTest::newRow("font name in its code page")
            << QByteArray("{\\rtf1{\\fonttbl{\\f0\\fcharset238 Czcionka \\'b3adna;}}x}") << "x"
            << Property::Family << QVariant(QStringLiteral("Czcionka ładna"));

        QTest::newRow("centred") << rtf("\\qc x") << "x" << Property::Alignment
                                 << QVariant(int(Qt::AlignHCenter));
        QTest::newRow("right") << rtf("\\qr x") << "x" << Property::Alignment
                               << QVariant(int(Qt::AlignRight));
        QTest::newRow("justified")
            << rtf("\\qj x") << "x" << Property::Alignment << QVariant(int(Qt::AlignJustify));
        QTest::newRow("left indent in twips, 15 to the pixel")
            << rtf("\\li720 x") << "x" << Property::LeftMargin << QVariant(48.0);
        QTest::newRow("hanging first line")
            << rtf("\\li720\\fi-360 x") << "x" << Property::FirstLineIndent << QVariant(-24.0);
        QTest::newRow("right indent")
            << rtf("\\ri1440 x") << "x" << Property::RightMargin << QVariant(96.0);
        QTest::newRow("space before")
            << rtf("\\sb240 x") << "x" << Property::SpaceBefore << QVariant(16.0);
        QTest::newRow("space after")
            << rtf("\\sa120 x") << "x" << Property::SpaceAfter << QVariant(8.0);
        QTest::newRow("a paragraph takes the properties at its end mark")
            << rtf("a\\qc\\par b") << "a" << Property::Alignment << QVariant(int(Qt::AlignHCenter));
        QTest::newRow("the next paragraph keeps them without \\pard")
            << rtf("\\li720 a\\par b") << "b" << Property::LeftMargin << QVariant(48.0);
        QTest::newRow("\\pard ends them")
            << rtf("\\qc\\li720 a\\par\\pard b") << "b" << Property::LeftMargin << QVariant(0.0);
        QTest::newRow("the last paragraph without \\par keeps its own")
            << rtf("a\\par\\qr b") << "b" << Property::Alignment << QVariant(int(Qt::AlignRight));
        QTest::newRow("a huge indent is held at 22 inches")
            << rtf("\\li99999999 x") << "x" << Property::LeftMargin << QVariant(2112.0);
        QTest::newRow("formatting deeper than any word processor nests ends with its groups")
            << QByteArray(
                   "{\\rtf1 " + QByteArray(100000, '{') + "\\b x" + QByteArray(100000, '}') + " y}")
            << "y" << Property::Bold << QVariant(false);
    }
    void readsFormats()
    {
        QFETCH(QByteArray, input);
        QFETCH(QString, word);
        QFETCH(Property, property);
        QFETCH(QVariant, expected);
        QTextDocument document;
        readRtf(input, document);
        QCOMPARE(kolvar::test::propertyAt(document, word, property), expected);
    }

    void tabStops_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QString>("stops"); // pixels and kind of each stop of the first paragraph
        QTest::addColumn<double>("spacing"); // of the stops nobody set

        QTest::newRow("none set: every half inch") << rtf("x") << QString() << 48.0;
        QTest::newRow("the document's spacing") << rtf("\\deftab1440 x") << QString() << 96.0;
        QTest::newRow("set stops in order, with their kinds")
            << rtf("\\tqr\\tx2880\\tx720\\tqc\\tx1440 x") << QStringLiteral("48L 96C 192R") << 48.0;
        QTest::newRow("a hanging first line stops at the indent below it")
            << rtf("\\li360\\fi-360 1.\\tab x") << QStringLiteral("24L") << 48.0;
        QTest::newRow("\\pard clears the stops")
            << rtf("\\tx720 a\\par\\pard x") << QString() << 48.0;
    }
    void tabStops()
    {
        QFETCH(QByteArray, input);
        QFETCH(QString, stops);
        QFETCH(double, spacing);
        QTextDocument document;
        readRtf(input, document);
        QStringList shown;
        const QTextBlock block = document.findBlock(document.find(QStringLiteral("x")).position());
        for (const QTextOption::Tab& tab : block.blockFormat().tabPositions()) {
            const char kind = tab.type == QTextOption::RightTab ? 'R'
                : tab.type == QTextOption::CenterTab            ? 'C'
                                                                : 'L';
            shown << QString::number(tab.position) + QLatin1Char(kind);
        }
        QCOMPARE(shown.join(QLatin1Char(' ')), stops);
        QCOMPARE(document.defaultTextOption().tabStopDistance(), spacing);
    }

    void plainTextFiles_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QString>("expected");

        QTest::newRow("without the signature, rich-text markup is text")
            << QByteArray("Zwykły {\\b tekst}") << QStringLiteral("Zwykły {\\b tekst}");
        QTest::newRow("the signature must open the file")
            << QByteArray(" {\\rtf1 x}") << QStringLiteral(" {\\rtf1 x}");
        QTest::newRow("the signature is case-sensitive")
            << QByteArray("{\\RTF1 x}") << QStringLiteral("{\\RTF1 x}");
        QTest::newRow("UTF-8") << QByteArray("Zażółć gęślą jaźń")
                               << QStringLiteral("Zażółć gęślą jaźń");
        QTest::newRow("UTF-8 with a byte order mark")
            << QByteArray("\xEF\xBB\xBF\xC5\x82") << QStringLiteral("ł");
        QTest::newRow("not UTF-8 reads as Windows-1250")
            << QByteArray("Za\xbf\xf3\xb3\xe6 g\xea\x9cl\xb9") << QStringLiteral("Zażółć gęślą");
        QTest::newRow("UTF-16 with a byte order mark")
            << QByteArray("\xFF\xFE\x42\x01\x61\x00", 6) << QStringLiteral("ła");
        QTest::newRow("line ends of every system")
            << QByteArray("a\r\nb\rc\nd") << QStringLiteral("a\nb\nc\nd");
        QTest::newRow("empty file") << QByteArray() << QString();
    }
    void plainTextFiles()
    {
        QFETCH(QByteArray, input);
        QFETCH(QString, expected);
        QTextDocument document;
        readRichOrPlainText(input, document);
        QCOMPARE(textOf(document), expected);
    }

    void rereadingReplacesTheDocument()
    {
        QTextDocument document;
        readRtf(rtf("\\deftab1440\\b first\\par second"), document);
        readRichOrPlainText("third", document);
        QCOMPARE(textOf(document), QStringLiteral("third"));
        // Plain text keeps no trace of the rich text's layout.
        QCOMPARE(document.defaultTextOption().tabStopDistance(), QTextOption().tabStopDistance());
        QCOMPARE(document.begin().charFormat().fontWeight(), QFont::Normal);
        readRichOrPlainText(rtf("fourth"), document);
        QCOMPARE(textOf(document), QStringLiteral("fourth"));
    }

    void damagedInputNeverFails()
    {
        // Bounded and seeded, so that a failure repeats.
        QRandomGenerator random(20240607);
        const QList<QByteArray> pieces = { "{", "}", "\\", "\\'", "\\'f", "\\u", "\\u-", "\\uc9",
            "\\bin", "\\bin99999 ", "\\*", "\\fonttbl", "\\colortbl", "\\f", "\\fs-2147483648",
            "\\par", "\\pard", "\\li-99999999999", "\\cf", "\\highlight", "\\fcharset", "\\ansicpg",
            "99999999999999999999", ";", "\xff", "\x00", "\\red300" };
        for (int round = 0; round < 3000; ++round) {
            QByteArray input = Samples[random.bounded(Samples.size())];
            const int edits = 1 + random.bounded(8);
            for (int e = 0; e < edits && !input.isEmpty(); ++e) {
                const qsizetype at = random.bounded(input.size());
                switch (random.bounded(4)) {
                case 0:
                    input[at] = char(random.bounded(256));
                    break;
                case 1:
                    input.insert(at, pieces[random.bounded(pieces.size())]);
                    break;
                case 2:
                    input.remove(at, 1 + random.bounded(8));
                    break;
                default:
                    input.truncate(at);
                    break;
                }
            }
            QTextDocument document;
            readRichOrPlainText(input, document);
            // No byte of the file yields more than one character of the document.
            QVERIFY2(document.characterCount() <= input.size() + 1, input.toPercentEncoding());
        }
    }
};

QTEST_MAIN(tst_RtfReader)
#include "tst_rtfreader.moc"

#include "CaseEditor.h"
#include "FakeEditorHost.h"
#include "PrinterTextStream.h"
#include "RecordPrintout.h"
#include "RecordingPrinter.h"
#include "ScriptedDialogs.h"

#include <QAction>
#include <QFile>
#include <QLineEdit>
#include <QPaintEngine>
#include <QPlainTextEdit>
#include <QPrintEngine>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <optional>

using kolvar::EditorField;
using kolvar::PlacedText;
using kolvar::PrinterTextStream;
using kolvar::test::FakeEditorHost;
using kolvar::test::Recording;
using kolvar::test::RecordingPrinter;
using kolvar::test::ScriptedDialogs;
using kolvar::test::ScriptedPrinters;

namespace {

// The printable area of A4 at 600 dpi with margins of about 5 mm.
const QSizeF Page(4720, 6780);
constexpr int Dpi = 600;

QFont arialBold(int points)
{
    return QFont(QStringLiteral("Arial"), points, QFont::Bold);
}

// Text pieces sharing a page and a line, joined.
struct Line
{
    int page = 0;
    qreal x = 0;
    qreal y = 0;
    QString text;
    int points = 0;

    bool operator==(const Line&) const = default;
};

char* toString(const Line& l)
{
    return QTest::toString(QStringLiteral("page %1 (%2, %3) %4pt \"%5\"")
                               .arg(l.page)
                               .arg(l.x)
                               .arg(l.y)
                               .arg(l.points)
                               .arg(l.text));
}

QList<Line> linesOf(const PrinterTextStream& stream)
{
    QList<Line> lines;
    for (const PlacedText& p : stream.placed()) {
        if (!lines.isEmpty() && lines.last().page == p.page && lines.last().y == p.pos.y()) {
            lines.last().text += p.text;
            continue;
        }
        lines.append({ p.page, p.pos.x(), p.pos.y(), p.text, p.font.pointSize() });
    }
    return lines;
}

using Fields = QHash<EditorField, QString>;

PrinterTextStream printout(const Fields& fields)
{
    PrinterTextStream stream(Page, Dpi);
    kolvar::writeRecordPrintout(stream, [&](EditorField f) { return fields.value(f); });
    return stream;
}

// The page line by line: a text, or nothing for an empty line, and the font size in force.
struct Expected
{
    std::optional<QString> text;
    int points;
};

// Where the text lines land when every line ends as the stream ends them: a line with text
// advances by its height and two pixels, an empty one by the font's height.
QList<Line> placeLines(const PrinterTextStream& stream, const QList<Expected>& page)
{
    QList<Line> lines;
    qreal y = 0;
    for (const Expected& e : page) {
        const qreal height = stream.metrics(arialBold(e.points)).height();
        if (e.text) {
            lines.append({ 0, 0, y, *e.text, e.points });
            y += height + 2;
        } else {
            y += height;
        }
    }
    return lines;
}

QList<Expected> skeleton(const QString& date, const QString& sender, const QString& subject,
    const QString& mode, const QString& details, const QString& notes, const QString& reply)
{
    const QString six = QStringLiteral("      ");
    return {
        { QStringLiteral(" "), 16 },
        { {}, 16 },
        { QStringLiteral("             Dane szczegółowe kolvar: "), 16 },
        { {}, 16 },
        { QStringLiteral("      Pismo wpłynęło:       ") + date
                + QStringLiteral("    Nadawca:       ") + sender,
            12 },
        { {}, 12 },
        { QStringLiteral("      Dotyczy:      "), 12 },
        { six + subject, 12 },
        { {}, 12 },
        { QStringLiteral("       Tryb załatwienia kolvar:   "), 12 },
        { six + mode, 12 },
        { {}, 12 },
        { QStringLiteral("        Dane szczegółowe kolvar: "), 12 },
        { {}, 12 },
        { six + details, 12 },
        { {}, 12 },
        { QStringLiteral("      Adnotacje urzędowe   : "), 12 },
        { {}, 12 },
        { six + notes, 12 },
        { {}, 12 },
        { QStringLiteral("       Tryb udzielenia odpowiedzi:       "), 12 },
        { six + reply, 12 },
        { {}, 12 },
    };
}

const QString NoPrinter = QStringLiteral("Drukarka nie jest podłączona!");

} // namespace

class TestRecordPrintout : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<FakeEditorHost> m_host;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    std::unique_ptr<ScriptedPrinters> m_printers;
    std::unique_ptr<CaseEditor> m_form;
    Recording m_printer;
    bool m_noPrinter = false;

    void fill(const Fields& fields)
    {
        for (auto it = fields.cbegin(); it != fields.cend(); ++it)
            m_form->setFieldText(it.key(), it.value());
    }

    // The printed pieces joined into lines, by page and top edge.
    [[nodiscard]] QList<Line> printedLines() const
    {
        const PrinterTextStream metrics(Page, Dpi);
        QList<Line> lines;
        for (const Recording::Drawn& d : m_printer.drawn) {
            const qreal top = d.baseline.y() - metrics.metrics(d.font).ascent();
            if (!lines.isEmpty() && lines.last().page == d.page
                && qAbs(lines.last().y - top) < 0.01)
                lines.last().text += d.text;
            else
                lines.append({ d.page, d.baseline.x(), top, d.text, d.font.pointSize() });
        }
        return lines;
    }

    void print() { m_form->findChild<QAction*>(QStringLiteral("printCase"))->trigger(); }

private slots:
    void init()
    {
        m_printer = Recording();
        m_noPrinter = false;
        m_host = std::make_unique<FakeEditorHost>();
        m_dialogs = std::make_unique<ScriptedDialogs>();
        m_form = std::make_unique<CaseEditor>(*m_host);
        m_printers = std::make_unique<ScriptedPrinters>();
        m_printers->printer = [this]() -> std::unique_ptr<QPrinter> {
            ++m_printer.jobs;
            if (m_noPrinter)
                return nullptr;
            return std::make_unique<RecordingPrinter>(m_printer, Page, Dpi);
        };
    }

    void cleanup()
    {
        m_printers.reset();
        m_form.reset();
        m_dialogs.reset();
        m_host.reset();
    }

    void emptyRecordPrintsTheWholeSkeleton()
    {
        const PrinterTextStream stream = printout({});
        QCOMPARE(stream.pageCount(), 1);
        QCOMPARE(linesOf(stream), placeLines(stream, skeleton({}, {}, {}, {}, {}, {}, {})));
        for (const PlacedText& p : stream.placed()) {
            QCOMPARE(p.font.family(), QStringLiteral("Arial"));
            QVERIFY(p.font.bold());
        }
    }

    void eachFieldPrintsOnItsLine()
    {
        const Fields fields { { EditorField::Termin, QStringLiteral("2024.03.15") },
            { EditorField::Nadawca, QStringLiteral("Urząd Gminy") },
            { EditorField::Dotyczy, QStringLiteral("Wniosek o dowód") },
            { EditorField::Tryb, QStringLiteral("Pilne") },
            { EditorField::Odpowiedz, QStringLiteral("Pisemnie") },
            { EditorField::Szczegoly, QStringLiteral("Załącznik: dwa zdjęcia") },
            { EditorField::Adnotacje, QStringLiteral("Zwrot do 30 dni") } };
        const PrinterTextStream stream = printout(fields);
        QCOMPARE(linesOf(stream),
            placeLines(stream,
                skeleton(QStringLiteral("2024.03.15"), QStringLiteral("Urząd Gminy"),
                    QStringLiteral("Wniosek o dowód"), QStringLiteral("Pilne"),
                    QStringLiteral("Załącznik: dwa zdjęcia"), QStringLiteral("Zwrot do 30 dni"),
                    QStringLiteral("Pisemnie"))));
    }

    void longSubjectBreaksBetweenCharactersAndGoesOnFromTheLeftEdge()
    {
        QString subject;
        while (subject.size() < 200)
            subject += QStringLiteral("Wniosek o zwrot kosztów podróży służbowej ");
        const PrinterTextStream stream = printout({ { EditorField::Dotyczy, subject } });
        const QList<Line> lines = linesOf(stream);
        const qsizetype at = 3;
        QCOMPARE(lines[at].text, QStringLiteral("      Dotyczy:      "));

        const QFontMetricsF fm = stream.metrics(arialBold(12));
        QString joined;
        qsizetype i = at + 1;
        for (; joined.size() < subject.size() + 6; ++i) {
            QCOMPARE(lines[i].x, 0.0);
            QCOMPARE(lines[i].y, lines[i - 1].y + fm.height() + 2);
            QVERIFY2(
                fm.horizontalAdvance(lines[i].text) <= Page.width(), qPrintable(lines[i].text));
            joined += lines[i].text;
            if (joined.size() < subject.size() + 6) {
                // Not one more character would have fitted: the break is not at a word.
                const QString wider = lines[i].text + subject.at(joined.size() - 6);
                QVERIFY(fm.horizontalAdvance(wider) > Page.width());
            }
        }
        QVERIFY(i - at - 1 >= 3);
        QCOMPARE(joined, QStringLiteral("      ") + subject);
        QCOMPARE(lines[i].text, QStringLiteral("       Tryb załatwienia kolvar:   "));
        QCOMPARE(lines[i].y, lines[i - 1].y + fm.height() + 2 + fm.height());
    }

    void memoLinesPrintFromTheLeftEdgeAfterTheFirst_data()
    {
        QTest::addColumn<QString>("details");
        QTest::addColumn<QList<Expected>>("lines");
        QTest::newRow("one line after six blanks")
            << QStringLiteral("raz") << QList<Expected> { { "      raz", 12 }, { {}, 12 } };
        QTest::newRow("later lines unindented")
            << QStringLiteral("raz\r\ndwa\r\n  trzy")
            << QList<Expected> { { "      raz", 12 }, { "dwa", 12 }, { "  trzy", 12 }, { {}, 12 } };
        QTest::newRow("line break at the end adds an empty line") << QStringLiteral(
            "raz\r\n") << QList<Expected> { { "      raz", 12 }, { {}, 12 }, { {}, 12 } };
        QTest::newRow("empty line inside the memo")
            << QStringLiteral("raz\r\n\r\ndwa")
            << QList<Expected> { { "      raz", 12 }, { {}, 12 }, { "dwa", 12 }, { {}, 12 } };
    }

    void memoLinesPrintFromTheLeftEdgeAfterTheFirst()
    {
        QFETCH(QString, details);
        QFETCH(QList<Expected>, lines);
        QList<Expected> page = skeleton({}, {}, {}, {}, {}, {}, {});
        // Lines 15 and 16 of the skeleton are the details and the empty line after them.
        page.remove(14, 2);
        for (qsizetype i = 0; i < lines.size(); ++i)
            page.insert(14 + i, lines[i]);
        const PrinterTextStream stream = printout({ { EditorField::Szczegoly, details } });
        QCOMPARE(linesOf(stream), placeLines(stream, page));
    }

    void streamControlCharacters_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("pieces");
        QTest::addColumn<QList<QPointF>>("positions"); // in units of (average widths, lines)
        QTest::addColumn<QList<int>>("pages");
        QTest::newRow("carriage return is invisible")
            << QStringLiteral("ab\rcd") << QStringList { "ab", "cd" }
            << QList<QPointF> { { 0, 0 }, { -1, 0 } } << QList<int> { 0, 0 };
        QTest::newRow("tab goes to the next stop of eight average widths")
            << QStringLiteral("ab\tcd\t\tx") << QStringList { "ab", "cd", "x" }
            << QList<QPointF> { { 0, 0 }, { 8, 0 }, { 24, 0 } } << QList<int> { 0, 0, 0 };
        QTest::newRow("tab at a stop goes to the next one")
            << QStringLiteral("\tx\ty") << QStringList { "x", "y" }
            << QList<QPointF> { { 8, 0 }, { 16, 0 } } << QList<int> { 0, 0 };
        QTest::newRow("form feed starts a page at the top left")
            << QStringLiteral("ab\fcd") << QStringList { "ab", "cd" }
            << QList<QPointF> { { 0, 0 }, { 0, 0 } } << QList<int> { 0, 1 };
        QTest::newRow("line feed goes to the left edge of the next line")
            << QStringLiteral("ab\ncd") << QStringList { "ab", "cd" }
            << QList<QPointF> { { 0, 0 }, { 0, 1 } } << QList<int> { 0, 0 };
    }

    void streamControlCharacters()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, pieces);
        QFETCH(QList<QPointF>, positions);
        QFETCH(QList<int>, pages);
        PrinterTextStream stream(Page, Dpi);
        stream.setFont(arialBold(12));
        stream.write(text);
        const QFontMetricsF fm = stream.metrics(arialBold(12));
        QCOMPARE(stream.placed().size(), pieces.size());
        for (qsizetype i = 0; i < pieces.size(); ++i) {
            const PlacedText& p = stream.placed()[i];
            QCOMPARE(p.text, pieces[i]);
            QCOMPARE(p.page, pages[i]);
            // -1 stands for right after the piece before.
            const qreal x = positions[i].x() < 0
                ? stream.placed()[i - 1].pos.x() + fm.horizontalAdvance(pieces[i - 1])
                : positions[i].x() * fm.averageCharWidth();
            QCOMPARE(p.pos, QPointF(x, positions[i].y() * (fm.height() + 2)));
        }
        QCOMPARE(stream.pageCount(), pages.last() + 1);
    }

    void formFeedGivesAPageEvenWhenNothingFollows()
    {
        PrinterTextStream stream(Page, Dpi);
        stream.setFont(arialBold(12));
        stream.write(u"ab\f\f");
        QCOMPARE(stream.pageCount(), 3);
    }

    void tallestPieceSetsTheLineAdvance()
    {
        PrinterTextStream stream(Page, Dpi);
        stream.setFont(arialBold(12));
        stream.write(u"small ");
        stream.setFont(arialBold(24));
        stream.write(u"BIG");
        stream.setFont(arialBold(12));
        stream.write(u" small\r\nnext");
        QCOMPARE(stream.placed().size(), 4);
        QCOMPARE(stream.placed()[3].pos.y(), stream.metrics(arialBold(24)).height() + 2);
        // An empty line advances by the height of the font in force, without the gap.
        stream.setFont(arialBold(24));
        stream.write(u"\n\nafter");
        QCOMPARE(stream.placed()[4].pos.y(),
            stream.metrics(arialBold(24)).height() + 2 + stream.metrics(arialBold(12)).height() + 2
                + stream.metrics(arialBold(24)).height());
    }

    void pageBreaksByTheLineRule_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("withText");
        QTest::newRow("after a line with text: room for two more lines")
            << QStringLiteral("x\r\n") << true;
        QTest::newRow("after an empty line: only past the page height")
            << QStringLiteral("\r\n") << false;
    }

    void pageBreaksByTheLineRule()
    {
        QFETCH(QString, line);
        QFETCH(bool, withText);
        PrinterTextStream stream(Page, Dpi);
        stream.setFont(arialBold(12));
        const qreal h = stream.metrics(arialBold(12)).height();
        const qreal advance = withText ? h + 2 : h;
        const qreal limit = withText ? Page.height() - 2 * h : Page.height();
        // The number of line ends after which the next line would start past the limit.
        int lastOnPage = 1;
        while (lastOnPage * advance <= limit)
            ++lastOnPage;
        for (int i = 0; i < lastOnPage; ++i)
            stream.write(line);
        stream.write(u"next");
        const PlacedText& next = stream.placed().last();
        QCOMPARE(next.page, 1);
        QCOMPARE(next.pos, QPointF(0, 0));
        QCOMPARE(stream.pageCount(), 2);
        if (withText) {
            QCOMPARE(stream.placed()[lastOnPage - 1].page, 0);
            QCOMPARE(stream.placed()[lastOnPage - 1].pos.y(), (lastOnPage - 1) * advance);
        }

        // One line fewer stays on the first page.
        PrinterTextStream shorter(Page, Dpi);
        shorter.setFont(arialBold(12));
        for (int i = 0; i < lastOnPage - 1; ++i)
            shorter.write(line);
        shorter.write(u"next");
        QCOMPARE(shorter.placed().last().page, 0);
        QCOMPARE(shorter.placed().last().pos.y(), (lastOnPage - 1) * advance);
    }

    void longMemoRunsOnToASecondPage()
    {
        QStringList memo;
        for (int i = 1; i <= 90; ++i)
            memo << QStringLiteral("Wiersz %1").arg(i);
        const PrinterTextStream stream
            = printout({ { EditorField::Szczegoly, memo.join(QStringLiteral("\r\n")) } });
        QCOMPARE(stream.pageCount(), 2);
        const QList<Line> lines = linesOf(stream);
        const qreal h = stream.metrics(arialBold(12)).height();
        qsizetype first = 0;
        while (lines[first].page == 0)
            ++first;
        QVERIFY(lines[first].text.startsWith(QStringLiteral("Wiersz ")));
        QCOMPARE(lines[first].y, 0.0);
        QVERIFY(lines[first - 1].y + h + 2 > Page.height() - 2 * h);
        QVERIFY(lines[first - 2].y + h + 2 <= Page.height() - 2 * h);
        QCOMPARE(lines.last().text, QStringLiteral("      "));
    }

    void printsTheTextsInTheControlsWithoutSaving()
    {
        fill({ { EditorField::Dotyczy, QStringLiteral("Wniosek") } });
        m_form->setRecordChanged(false);
        QLineEdit* subject = m_form->subjectEdit();
        subject->setFocus();
        subject->end(false);
        QTest::keyClicks(subject, QStringLiteral(" pilny"));
        m_form->detailsMemo()->setPlainText(QStringLiteral("raz\ndwa"));
        const bool changed = m_form->recordChanged();
        print();

        QVERIFY(m_dialogs->shown.isEmpty());
        QCOMPARE(m_printer.jobs, 1);
        const QList<Line> lines = printedLines();
        QCOMPARE(lines.size(), 14);
        QCOMPARE(lines[4].text, QStringLiteral("      Wniosek pilny"));
        QCOMPARE(lines[8].text, QStringLiteral("      raz"));
        QCOMPARE(lines[9].text, QStringLiteral("dwa"));
        QCOMPARE(m_host->log, QStringList());
        QCOMPARE(m_form->recordChanged(), changed);
    }

    void paintsWhereTheStreamPlacesInBlack()
    {
        fill({ { EditorField::Nadawca, QStringLiteral("Urząd") },
            { EditorField::Adnotacje, QStringLiteral("brak") } });
        print();
        QList<Line> expected
            = linesOf(printout({ { EditorField::Termin, m_form->fieldText(EditorField::Termin) },
                { EditorField::Nadawca, QStringLiteral("Urząd") },
                { EditorField::Adnotacje, QStringLiteral("brak") } }));
        const QList<Line> painted = printedLines();
        QCOMPARE(painted.size(), expected.size());
        for (qsizetype i = 0; i < painted.size(); ++i) {
            QCOMPARE(painted[i].text, expected[i].text);
            QCOMPARE(painted[i].page, expected[i].page);
            QCOMPARE(painted[i].x, expected[i].x);
            QVERIFY(qAbs(painted[i].y - expected[i].y) < 0.01);
        }
        for (const Recording::Drawn& d : m_printer.drawn)
            QCOMPARE(d.pen.rgba(), qRgb(0, 0, 0));
    }

    void editorFontDoesNotChangeThePrintout()
    {
        QFont courier(QStringLiteral("Courier New"), 22);
        m_dialogs->fonts.push_back(kolvar::FontChoice { courier, QColor(255, 0, 0) });
        m_form->findChild<QAction*>(QStringLiteral("chooseFieldFont"))->trigger();
        QCOMPARE(m_host->storedEditFontSize, 22);
        fill({ { EditorField::Dotyczy, QStringLiteral("Wniosek") } });
        print();

        QVERIFY(!m_printer.drawn.isEmpty());
        QList<int> sizes;
        for (const Recording::Drawn& d : m_printer.drawn) {
            QCOMPARE(d.font.family(), QStringLiteral("Arial"));
            QVERIFY(d.font.bold());
            QCOMPARE(d.pen.rgba(), qRgb(0, 0, 0));
            if (sizes.isEmpty() || sizes.last() != d.font.pointSize())
                sizes << d.font.pointSize();
        }
        QCOMPARE(sizes, QList<int>({ 16, 12 }));
    }

    void withoutAPrinterOnlyTheErrorIsShown_data()
    {
        QTest::addColumn<bool>("noPrinter");
        QTest::addColumn<bool>("failsAtTheEnd");
        QTest::addColumn<QString>("message");
        QTest::newRow("no default printer") << true << false << NoPrinter;
        QTest::newRow("the job cannot start")
            << false << false
            << QStringLiteral("Nie można rozpocząć wydruku na drukarce \"\". Rekord nie został "
                              "wydrukowany.");
        QTest::newRow("the print system fails the job")
            << false << true
            << QStringLiteral("Wydruk na drukarce \"\" nie powiódł się. Rekord nie został "
                              "wydrukowany.");
    }

    void withoutAPrinterOnlyTheErrorIsShown()
    {
        QFETCH(bool, noPrinter);
        QFETCH(bool, failsAtTheEnd);
        QFETCH(QString, message);
        m_noPrinter = noPrinter;
        m_printer.refuseJob = !noPrinter && !failsAtTheEnd;
        m_printer.failJob = failsAtTheEnd;
        if (m_printer.refuseJob)
            QTest::ignoreMessage(QtWarningMsg, "QPainter::begin(): Returned false");
        const Fields fields { { EditorField::Nadawca, QStringLiteral("Urząd") },
            { EditorField::Szczegoly, QStringLiteral("raz\r\ndwa") } };
        fill(fields);
        m_form->setRecordChanged(true);
        print();

        QCOMPARE(m_dialogs->texts(), QStringList { message });
        QCOMPARE(m_dialogs->shown.first().icon, kolvar::MessageIcon::Error);
        QCOMPARE(m_printer.drawn.isEmpty(), !failsAtTheEnd);
        QCOMPARE(m_printer.page, 0);
        QVERIFY(m_form->recordChanged());
        QCOMPARE(m_form->fieldText(EditorField::Nadawca), fields[EditorField::Nadawca]);
        QCOMPARE(m_form->fieldText(EditorField::Szczegoly), fields[EditorField::Szczegoly]);
        QCOMPARE(m_host->log, QStringList());
    }

    void pdfVariableSendsThePrintoutToThatFile()
    {
        m_printers.reset();
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString pdf = dir.filePath(QStringLiteral("rekord.pdf"));
        qputenv("KOLVAR_PRINT_PDF", pdf.toLocal8Bit());
        fill({ { EditorField::Dotyczy, QStringLiteral("Wniosek") } });
        print();
        qunsetenv("KOLVAR_PRINT_PDF");

        QVERIFY(m_dialogs->shown.isEmpty());
        QFile file(pdf);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.read(5) == "%PDF-");
    }
};

QTEST_MAIN(TestRecordPrintout)
#include "tst_recordprintout.moc"

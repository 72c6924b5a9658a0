#include "AppFixture.h"

#include "ColorValue.h"
#include "FindDialog.h"
#include "MainWindow.h"
#include "SortableGrid.h"

#include <QAction>
#include <QCheckBox>
#include <QFontMetrics>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

using namespace kolvar;
using namespace kolvar::test;
using storage::CaseRecord;

namespace {

// How the find dialog is answered.
struct FindAnswer
{
    QString phrase;
    bool matchCase = false;
    bool wholeCells = false;
    bool byColumns = false;
    bool ok = true;
};

// Opens the find dialog through Ctrl+F's handler and answers it from inside its own event loop.
// False when no dialog came up to be answered; one left open is closed after a while, so a
// broken dialog fails the test instead of hanging it.
bool searchWith(MainWindow& form, const FindAnswer& answer)
{
    bool answered = false;
    QObject scope;
    QTimer::singleShot(0, &scope, [&] {
        auto* dialog = form.findChild<FindDialog*>();
        if (!dialog || !dialog->isVisible())
            return;
        dialog->phraseEdit()->setText(answer.phrase);
        dialog->matchCaseCheck()->setChecked(answer.matchCase);
        dialog->wholeWordsCheck()->setChecked(answer.wholeCells);
        dialog->setOrderIndex(answer.byColumns ? 1 : 0);
        answered = true;
        (answer.ok ? dialog->okButton() : dialog->cancelButton())->click();
    });
    QTimer::singleShot(5000, &scope, [&] {
        if (auto* dialog = form.findChild<FindDialog*>())
            dialog->reject();
    });
    form.findPhrase();
    return answered;
}

// Listed by sender: Adam Nowak (ID 3), Jan Kowalski (ID 1), Kowalski Jan (ID 2).
QList<CaseRecord> cases()
{
    CaseRecord jan = listCase("2024.02.10", "Jan Kowalski", "wniosek o dotację");
    jan.szczegoly = "Pismo z załącznikiem XYZ-17\r\ndrugi wiersz";
    jan.tryb = "pilny";
    CaseRecord kowalski = listCase("2024.03.01", "Kowalski Jan", "Delegacja do ŁODZI");
    kowalski.adnotacje = "adnotacja tajna QQQ";
    kowalski.odpowiedz = "pisemnie";
    CaseRecord adam = listCase("2024.01.05", "Adam Nowak", "kowalstwo artystyczne");
    return { jan, kowalski, adam };
}

// The smallest rectangle of pixels in area that differ from the colour at its bottom-right corner.
QRect inkBox(const QImage& image, const QRect& area)
{
    const QColor background = image.pixelColor(area.right() - 1, area.bottom() - 1);
    QRect box;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (image.pixelColor(x, y) != background)
                box |= QRect(x, y, 1, 1);
    return box;
}

bool hasPixel(const QImage& image, const QRect& area, const QColor& colour)
{
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (image.pixelColor(x, y) == colour)
                return true;
    return false;
}

QColor cornerOf(const QImage& image, const QRect& cell)
{
    return image.pixelColor(cell.right() - 1, cell.bottom() - 1);
}

} // namespace

class TestFindAppearance : public QObject
{
    Q_OBJECT

    std::unique_ptr<AppFixture> f;

    void startWith(const QList<CaseRecord>& list)
    {
        f = std::make_unique<AppFixture>();
        f->makeRegister("rejestr.db", list);
        f->rememberRegister("rejestr.db");
        f->start();
    }

    [[nodiscard]] grid::SortableGrid& grid() const { return *f->mainWindow().caseGrid(); }

    void verifyExtraFieldsHidden() const
    {
        for (int c = 5; c < grid().colCount(); ++c)
            QCOMPARE(grid().colWidth(c), 0);
    }

private slots:
    void cleanup() { f.reset(); }

    void dialogStartsUntickedSearchingByRows()
    {
        FindDialog dialog;
        QCOMPARE(dialog.windowTitle(), QString("Szukanie"));
        QVERIFY(dialog.phraseEdit()->text().isEmpty());
        QVERIFY(!dialog.matchCaseCheck()->isChecked());
        QVERIFY(!dialog.wholeWordsCheck()->isChecked());
        QCOMPARE(dialog.orderIndex(), 0);
        QCOMPARE(dialog.size(), QSize(376, 252));
        QCOMPARE(dialog.cancelButton()->text(), QString("Anuluj"));
    }

    void searchFindsTheFirstMatch_data()
    {
        QTest::addColumn<QString>("phrase");
        QTest::addColumn<bool>("matchCase");
        QTest::addColumn<bool>("wholeCells");
        QTest::addColumn<bool>("byColumns");
        QTest::addColumn<int>("col"); // -1: not found
        QTest::addColumn<int>("row");

        QTest::newRow("along rows, part of a subject before a later sender")
            << "kowal" << false << false << false << 4 << 1;
        QTest::newRow("down columns, the sender column before the subjects")
            << "kowal" << false << false << true << 3 << 2;
        QTest::newRow("letter case counts when asked")
            << "Kowal" << true << false << false << 3 << 2;
        QTest::newRow("Polish letters fold too") << "łodzi" << false << false << false << 4 << 3;
        QTest::newRow("case-sensitive Polish letters must match")
            << "łodzi" << true << false << false << -1 << -1;
        QTest::newRow("whole cells: part of a sender is no match")
            << "kowal" << false << true << false << -1 << -1;
        QTest::newRow("whole cells: the whole sender, any case")
            << "jan kowalski" << false << true << false << 3 << 2;
        QTest::newRow("whole cells with letter case")
            << "jan kowalski" << true << true << false << -1 << -1;
        QTest::newRow("details are searched though hidden")
            << "xyz-17" << false << false << false << 7 << 2;
        QTest::newRow("settling mode is searched") << "PILNY" << false << false << false << 5 << 2;
        QTest::newRow("reply mode is searched") << "pisemnie" << false << false << true << 6 << 3;
        QTest::newRow("annotations are not in the list")
            << "QQQ" << false << false << false << -1 << -1;
        QTest::newRow("number and ID columns are skipped")
            << "1" << false << false << false << 2 << 1;
        QTest::newRow("titles are skipped") << "Nadawca" << false << false << false << -1 << -1;
        QTest::newRow("an empty phrase finds nothing") << "" << false << false << false << -1 << -1;
    }

    void searchFindsTheFirstMatch()
    {
        QFETCH(QString, phrase);
        QFETCH(bool, matchCase);
        QFETCH(bool, wholeCells);
        QFETCH(bool, byColumns);
        QFETCH(int, col);
        QFETCH(int, row);
        startWith(cases());
        MainWindow& form = f->mainWindow();
        QVERIFY(searchWith(form, { phrase, matchCase, wholeCells, byColumns }));

        QCOMPARE(form.searchByRows(), !byColumns);
        verifyExtraFieldsHidden();
        if (col < 0) {
            QCOMPARE(f->dialogs.texts(),
                QStringList {
                    QStringLiteral("Frazy   \"") + phrase + QStringLiteral("\"   nie znalazłem") });
            QVERIFY(!form.findNextAction()->isEnabled());
            return;
        }
        QVERIFY(f->dialogs.texts().isEmpty());
        QCOMPARE(grid().col(), col);
        QCOMPARE(grid().row(), row);
        QCOMPARE(form.currentListRow(), row);
        QCOMPARE(form.idEdit()->text(), grid().cells(1, row));
        QVERIFY(form.findNextAction()->isEnabled());
    }

    void findNextWalksTheMatchesThenSaysNoMore()
    {
        startWith(cases());
        MainWindow& form = f->mainWindow();
        QVERIFY(searchWith(form, { "kowal" }));
        QCOMPARE(QPoint(grid().col(), grid().row()), QPoint(4, 1));
        const QList<QPoint> next { { 3, 2 }, { 3, 3 } };
        for (const QPoint& cell : next) {
            form.findNextPhrase();
            QCOMPARE(QPoint(grid().col(), grid().row()), cell);
            QCOMPARE(form.currentListRow(), cell.y());
            QVERIFY(form.findNextAction()->isEnabled());
        }
        QVERIFY(f->dialogs.texts().isEmpty());

        form.findNextPhrase();
        QCOMPARE(f->dialogs.texts(), QStringList { "Takiej frazy już nie znalazłem" });
        QVERIFY(!form.findNextAction()->isEnabled());
        QCOMPARE(grid().row(), 3);
        verifyExtraFieldsHidden();
    }

    void findNextDownColumnsFinishesAColumnFirst()
    {
        startWith(cases());
        MainWindow& form = f->mainWindow();
        QVERIFY(searchWith(form, { "a", false, false, true }));
        // Termin holds no letter a; Nadawca holds it in every row.
        QCOMPARE(QPoint(grid().col(), grid().row()), QPoint(3, 1));
        form.findNextPhrase();
        QCOMPARE(QPoint(grid().col(), grid().row()), QPoint(3, 2));
        form.findNextPhrase();
        QCOMPARE(QPoint(grid().col(), grid().row()), QPoint(3, 3));
        form.findNextPhrase();
        QCOMPARE(QPoint(grid().col(), grid().row()), QPoint(4, 1));
    }

    void findNextBeforeAnySearchFindsNothing()
    {
        startWith(cases());
        MainWindow& form = f->mainWindow();
        QVERIFY(form.findNextAction()->isEnabled());
        form.findNextPhrase();
        QCOMPARE(f->dialogs.texts(), QStringList { "Takiej frazy już nie znalazłem" });
        QVERIFY(!form.findNextAction()->isEnabled());
    }

    void cancelChangesNothing()
    {
        startWith(cases());
        MainWindow& form = f->mainWindow();
        QVERIFY(searchWith(form, { "Kowal", true, false, true }));
        QCOMPARE(QPoint(grid().col(), grid().row()), QPoint(3, 2));

        QVERIFY(searchWith(form, { "nic", false, true, false, false }));
        QVERIFY(f->dialogs.texts().isEmpty());
        QCOMPARE(grid().keyType(), grid::soStringCaseSensitive);
        QVERIFY(grid().searchSubstring());
        QVERIFY(!form.searchByRows());
        QVERIFY(form.findNextAction()->isEnabled());
        QCOMPARE(QPoint(grid().col(), grid().row()), QPoint(3, 2));
        // The earlier search goes on where it stopped.
        form.findNextPhrase();
        QCOMPARE(QPoint(grid().col(), grid().row()), QPoint(3, 3));

        form.findNextPhrase();
        QVERIFY(!form.findNextAction()->isEnabled());
        QVERIFY(searchWith(form, { "kowal", false, false, false, false }));
        QVERIFY(!form.findNextAction()->isEnabled());
    }

    void aMatchInTheCurrentCellMakesItsRowTheCase()
    {
        startWith(cases());
        MainWindow& form = f->mainWindow();
        f->clickRow(1);
        // The cell becomes current without the click that makes its row the case.
        grid().setSelection({ 2, 2, 2, 2 });
        QCOMPARE(form.currentListRow(), 1);
        QVERIFY(searchWith(form, { "2024.02.10" }));
        QCOMPARE(QPoint(grid().col(), grid().row()), QPoint(2, 2));
        QCOMPARE(form.currentListRow(), 2);
        QCOMPARE(form.idEdit()->text(), QString("1"));
    }

    void theMatchIsScrolledIntoView()
    {
        QList<CaseRecord> many;
        for (int i = 0; i < 60; ++i)
            many << listCase("2024.01.01", QString("Nadawca %1").arg(i, 2, 10, QChar('0')), "x");
        startWith(many);
        MainWindow& form = f->mainWindow();
        form.show();
        grid::SortableGrid& g = grid();
        QVERIFY(g.visibleRowCount() > 1 && g.visibleRowCount() < 40);
        QVERIFY(searchWith(form, { "Nadawca 49" }));
        QCOMPARE(g.row(), 50);
        QVERIFY(g.topRow() <= 50 && 50 < g.topRow() + g.visibleRowCount());

        // The same cell again, after the list was scrolled away from it.
        g.setTopRow(1);
        QVERIFY(searchWith(form, { "Nadawca 49" }));
        QCOMPARE(g.row(), 50);
        QVERIFY(g.topRow() <= 50 && 50 < g.topRow() + g.visibleRowCount());
    }

    void listCellsArePaintedFlushTopLeftWithSendersOnAqua()
    {
        startWith(cases());
        MainWindow& form = f->mainWindow();
        form.resize(900, 400);
        form.show();
        f->clickRow(1);
        grid::SortableGrid& g = grid();
        const QImage image = g.viewport()->grab().toImage();
        const QColor aqua = toQColor(colors::Aqua);

        // Senders: aqua with black text, in the selected row too.
        for (const int row : { 1, 2 }) {
            const QRect cell = g.cellRect(3, row);
            QCOMPARE(cornerOf(image, cell), aqua);
            QVERIFY(hasPixel(image, cell, Qt::black));
            QVERIFY(!hasPixel(image, cell, Qt::white));
        }
        // Other data cells keep the colours the grid chose; titles and numbers its own drawing.
        QCOMPARE(cornerOf(image, g.cellRect(4, 1)), g.palette().color(QPalette::Highlight));
        QCOMPARE(cornerOf(image, g.cellRect(4, 2)), g.color());
        QCOMPARE(cornerOf(image, g.cellRect(3, 0)), g.fixedColor());
        QCOMPARE(cornerOf(image, g.cellRect(0, 2)), g.fixedColor());

        // Text from the very corner of its cell, once: no margin, no centring.
        const QRect cell = g.cellRect(4, 2);
        const QString text = g.cells(4, 2);
        const QFontMetrics metrics(g.font(), g.viewport());
        const QRect ink = inkBox(image, cell);
        QVERIFY(!ink.isEmpty());
        const QRect glyphs = metrics.tightBoundingRect(text);
        QVERIFY2(
            ink.left() - cell.left() <= 2, qPrintable(QString::number(ink.left() - cell.left())));
        QVERIFY(qAbs(ink.top() - (cell.top() + metrics.ascent() + glyphs.top())) <= 1);
        QVERIFY(ink.right() <= cell.left() + metrics.horizontalAdvance(text) + 1);
    }

    void fixedColourReachesTheListAndTheSettings_data()
    {
        QTest::addColumn<QColor>("answer"); // invalid: cancelled
        QTest::addColumn<int>("stored");
        QTest::newRow("a colour chosen") << QColor(0x12, 0x34, 0x56) << int(0x563412);
        QTest::newRow("cancelled") << QColor() << int(colors::BtnFace);
        QTest::newRow("the system colour kept")
            << toQColor(colors::BtnFace) << int(colors::BtnFace);
    }

    void fixedColourReachesTheListAndTheSettings()
    {
        QFETCH(QColor, answer);
        QFETCH(int, stored);
        f = std::make_unique<AppFixture>();
        f->makeRegister("rejestr.db", cases());
        f->writeIni("[Plik]\nNazwa=rejestr.db\n[Kolor]\nFixedColor=-2147483633\n");
        f->start();
        QCOMPARE(f->dialogs.shown.size(), 0);
        f->dialogs.colors.push_back(answer.isValid() ? std::optional(answer) : std::nullopt);
        f->mainWindow().chooseTitleColor();
        QCOMPARE(f->dialogs.shown.size(), 1);
        QCOMPARE(f->dialogs.shown.front().text, toQColor(colors::BtnFace).name());
        QCOMPARE(grid().fixedColor(), toQColor(stored));
        f->mainWindow().close();
        QCOMPARE(f->readIni().readInteger("Kolor", "FixedColor", 0), stored);
    }

    void fontSetsTheListAndEveryRowsHeight_data()
    {
        QTest::addColumn<QFont>("font");
        QTest::addColumn<int>("points");
        QTest::addColumn<int>("rowHeight");
        QFont fourteen("Arial");
        fourteen.setPointSize(14);
        fourteen.setItalic(true);
        QTest::newRow("14 points") << fourteen << 14 << 26;
        QFont pixels("Arial");
        pixels.setPixelSize(16);
        QTest::newRow("16 pixels are 12 points") << pixels << 12 << 24;
    }

    void fontSetsTheListAndEveryRowsHeight()
    {
        QFETCH(QFont, font);
        QFETCH(int, points);
        QFETCH(int, rowHeight);
        startWith(cases());
        f->dialogs.fonts.push_back(FontChoice { font, QColor(0, 0, 0x80) });
        f->mainWindow().chooseListFont();
        QCOMPARE(grid().font().family(), font.family());
        QVERIFY(grid().font().italic() == font.italic());
        QCOMPARE(grid().fontColor(), QColor(0, 0, 0x80));
        QCOMPARE(f->mainWindow().rowHeight(), rowHeight);
        for (int r = 0; r < grid().rowCount(); ++r)
            QCOMPARE(grid().rowHeight(r), rowHeight);

        f->mainWindow().close();
        const IniFile ini = f->readIni();
        QCOMPARE(ini.readInteger("Fonty", "Size", 0), points);
        QCOMPARE(ini.readInteger("Fonty", "Kolor", 0), int(colors::Navy));
        QCOMPARE(ini.readInteger("Fonty", "FontStyle", -1), font.italic() ? 2 : 0);
        QCOMPARE(ini.readInteger("Form1", "WysRow", 0), rowHeight);
    }

    void fontCancelledOrKeptChangesNothing()
    {
        startWith(cases());
        const QFont before = grid().font();
        const QList<int> heights { grid().rowHeight(0), grid().rowHeight(1) };
        f->mainWindow().chooseListFont();
        QCOMPARE(grid().font(), before);
        QCOMPARE(QList<int>({ grid().rowHeight(0), grid().rowHeight(1) }), heights);
        QCOMPARE(f->mainWindow().rowHeight(), 22);

        // The colour shown, kept: the desktop's text colour stays a desktop colour.
        f->dialogs.fonts.push_back(FontChoice { before, grid().fontColor() });
        f->mainWindow().chooseListFont();
        f->mainWindow().close();
        QCOMPARE(f->readIni().readInteger("Fonty", "Kolor", 0), int(colors::WindowText));
    }
};

QTEST_MAIN(TestFindAppearance)
#include "tst_findappearance.moc"

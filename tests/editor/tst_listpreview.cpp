#include "Announcer.h"
#include "ListPreview.h"
#include "RecordingPrinter.h"
#include "ScriptedDialogs.h"
#include "SortableGrid.h"
#include "UpDown.h"

#include <QAccessible>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPageSize>
#include <QProcess>
#include <QScrollArea>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <cmath>

using kolvar::grid::SortableGrid;
using kolvar::test::Recording;
using kolvar::test::RecordingPrinter;
using kolvar::test::ScriptedDialogs;
using kolvar::test::ScriptedPrinters;

class TestListPreview : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    std::unique_ptr<ScriptedPrinters> m_printers;
    std::unique_ptr<Recording> m_recording;
    std::unique_ptr<SortableGrid> m_grid;
    std::unique_ptr<ListPreview> m_preview;

    template <typename T> T* child(const char* name) const
    {
        return m_preview->findChild<T*>(QLatin1String(name));
    }

    void click(const char* name) { child<QToolButton>(name)->click(); }

    // Every queue the test offers records into m_recording: an A4 sheet at 600 dpi, the page
    // the preview lays out without a printer.
    void offerRecordingPrinters()
    {
        m_printers->printer = [this] {
            return std::make_unique<RecordingPrinter>(
                *m_recording, QPageSize(QPageSize::A4).sizePixels(600), 600);
        };
    }

    // The list's cells on the page numbered, as the preview draws it.
    QStringList previewCells(int number)
    {
        const int kept = m_grid->printOptions().previewPage;
        m_grid->printOptions().previewPage = number;
        QImage picture;
        m_grid->renderPreviewPage(picture);
        m_grid->printOptions().previewPage = kept;
        QStringList cells;
        for (const kolvar::grid::PageItem& item : m_grid->renderedPage().items)
            if (item.kind == kolvar::grid::PageItem::Text && item.text.startsWith(u"Sprawa"))
                cells << item.text;
        return cells;
    }

    // The list's cells on each printed sheet.
    QList<QStringList> printedCells() const
    {
        QList<QStringList> sheets;
        for (const Recording::Drawn& text : m_recording->drawn) {
            while (sheets.size() <= text.page)
                sheets << QStringList();
            if (text.text.startsWith(u"Sprawa"))
                sheets[text.page] << text.text;
        }
        return sheets;
    }

private slots:
    void init()
    {
        m_dialogs = std::make_unique<ScriptedDialogs>();
        m_printers = std::make_unique<ScriptedPrinters>();
        m_recording = std::make_unique<Recording>();
        m_grid = std::make_unique<SortableGrid>();
        m_grid->setColCount(3);
        m_grid->setRowCount(120);
        for (int c = 0; c < 3; ++c)
            m_grid->setColWidth(c, 150);
        for (int r = 0; r < 120; ++r)
            for (int c = 0; c < 3; ++c)
                m_grid->setCells(c, r, QStringLiteral("Sprawa %1.%2").arg(r).arg(c));
        m_preview = std::make_unique<ListPreview>();
        m_preview->setGrid(m_grid.get());
        m_grid->renderPreviewPage(m_preview->printImage());
        m_preview->showPrintImage();
        m_preview->show();
    }

    void cleanup()
    {
        m_preview.reset();
        m_grid.reset();
        m_recording.reset();
        m_printers.reset();
        m_dialogs.reset();
    }

    void pageFollowsEditsOnlyWithLiveRefresh_data()
    {
        QTest::addColumn<bool>("live");
        QTest::newRow("live refresh on") << true;
        QTest::newRow("live refresh off until the page is shown again") << false;
    }

    void pageFollowsEditsOnlyWithLiveRefresh()
    {
        QFETCH(bool, live);
        QCOMPARE(child<QLabel>("pageCountLabel")->text(), QStringLiteral("strona z 3"));
        child<QCheckBox>("liveCheck")->setChecked(live);
        const QImage before = m_preview->shownImage();
        child<QLineEdit>("headerEdit")->setText(QStringLiteral("Rejestr spraw"));
        QCOMPARE(m_grid->printOptions().pageTitle, QStringLiteral("Rejestr spraw"));
        QCOMPARE(m_preview->shownImage() != before, live);
        child<QCheckBox>("liveCheck")->setChecked(true);
        QVERIFY(m_preview->shownImage() != before);

        // Page 2 of the list, then the frames: each edit shows at once.
        const QImage first = m_preview->shownImage();
        child<QLineEdit>("pageEdit")->setText(QStringLiteral("2"));
        QCOMPARE(m_grid->printOptions().previewPage, 2);
        QVERIFY(m_preview->shownImage() != first);
        child<QListWidget>("marginList")->setCurrentRow(2);
        child<QLineEdit>("marginEdit")->setText(QStringLiteral("abc"));
        QCOMPARE(m_dialogs->texts(),
            QStringList { QStringLiteral("\"abc\" nie jest poprawną liczbą całkowitą.") });
        QCOMPARE(m_grid->printOptions().marginLeft, 0);
    }

    // Every page reached is said with its place, on opening too: "Strona 2 z 3"; the caption
    // beside the number ("strona z 3") reads with the number to a screen reader.
    void everyPageReachedIsSaid_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("heard");
        QTest::newRow("on opening") << ""
                                    << "Strona 1 z 3";
        QTest::newRow("the next page") << "2"
                                       << "Strona 2 z 3";
        QTest::newRow("the last page") << "3"
                                       << "Strona 3 z 3";
    }

    void everyPageReachedIsSaid()
    {
        QFETCH(QString, typed);
        QFETCH(QString, heard);
        m_preview->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_preview.get()));
        auto* announcer = m_preview->findChild<kolvar::Announcer*>();
        QVERIFY(announcer);
        QTRY_COMPARE(announcer->text(), QStringLiteral("Strona 1 z 3"));
        if (!typed.isEmpty()) {
            auto* more = child<kolvar::UpDown>("pageUpDown")->findChildren<QToolButton*>().first();
            QCOMPARE(more->accessibleName(), QStringLiteral("Zwiększ numer strony"));
            for (int page = 1; page < typed.toInt(); ++page)
                more->click();
            QCOMPARE(child<QLineEdit>("pageEdit")->text(), typed);
        }
        QCOMPARE(announcer->text(), heard);
        QCOMPARE(child<QLabel>("pageCountLabel")->accessibleName(), heard);
    }

    void everyInputIsNamedForAScreenReader_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("name");
        QTest::newRow("header text") << "headerEdit"
                                     << "Tekst wybranej pozycji";
        QTest::newRow("header entries") << "headerList"
                                        << "Teksty strony";
        QTest::newRow("margin value") << "marginEdit"
                                      << "Aktualna wartosc wybranej niżej pozycji";
        QTest::newRow("margin entries") << "marginList"
                                        << "Marginesy i rozmiary";
        QTest::newRow("page") << "pageEdit"
                              << "Aktualnie widoczna strona bazy";
        QTest::newRow("print button") << "printButton"
                                      << "Druk";
    }
    void everyInputIsNamedForAScreenReader()
    {
        QFETCH(QString, control);
        QFETCH(QString, name);
        QWidget* widget = m_preview->findChild<QWidget*>(control);
        QVERIFY(widget);
        QCOMPARE(QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name), name);
    }

    // Tab reaches every stop under a name of its own, the first stop included: two pairs of
    // arrows that a reader calls alike cannot be told apart by ear.
    void everyFocusStopHasANameOfItsOwn()
    {
        QStringList names;
        for (QWidget* w = m_preview->nextInFocusChain(); w != m_preview.get();
             w = w->nextInFocusChain()) {
            if ((w->focusPolicy() & Qt::TabFocus) && w->isEnabled()
                && w->isVisibleTo(m_preview.get()))
                names << QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name);
        }
        QVERIFY(names.size() > 10);
        QCOMPARE(names.first(), QStringLiteral("Podgląd strony"));
        QVERIFY2(!names.contains(QString()), qPrintable(names.join(" | ")));
        QCOMPARE(QSet<QString>(names.begin(), names.end()).size(), names.size());
        for (const char* name :
            { "Zwiększ wartość wybranej pozycji", "Zmniejsz wartość wybranej pozycji",
                "Zwiększ numer strony", "Zmniejsz numer strony" })
            QVERIFY2(names.contains(QString::fromUtf8(name)), name);
    }

    void clicksZoomInBySteps()
    {
        click("fullWidthButton");
        const int natural = m_preview->printImage().width();
        QList<int> widths { m_preview->shownImage().width() };
        for (int i = 0; i < 6; ++i) {
            m_preview->zoomPage();
            widths << m_preview->shownImage().width();
        }
        QVERIFY(widths.first() < natural * 0.8);
        for (qsizetype i = 1; widths[i] != natural; ++i)
            QCOMPARE(widths[i], int(std::nearbyint(widths[i - 1] / 0.8)));
        QCOMPARE(widths.last(), natural);
        QCOMPARE(m_preview->shownImage().height(), m_preview->printImage().height());
    }

    void printsThePageShownUnlessTheDialogChoseOthers_data()
    {
        QTest::addColumn<int>("range"); // what the user picks; -1 leaves the dialog as it opened
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<QList<int>>("printed");
        QTest::newRow("the page shown, as the dialog proposes") << -1 << 0 << 0 << QList<int> { 2 };
        QTest::newRow("Wszystko") << int(QPrinter::AllPages) << 0 << 0 << QList<int> { 1, 2, 3 };
        QTest::newRow("pages 2 to 3") << int(QPrinter::PageRange) << 2 << 3 << QList<int> { 2, 3 };
        QTest::newRow("a range past the last page")
            << int(QPrinter::PageRange) << 3 << 9 << QList<int> { 3 };
        QTest::newRow("the current page")
            << int(QPrinter::CurrentPage) << 0 << 0 << QList<int> { 2 };
    }

    void printsThePageShownUnlessTheDialogChoseOthers()
    {
        QFETCH(int, range);
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(QList<int>, printed);
        offerRecordingPrinters();
        child<QLineEdit>("pageEdit")->setText(QStringLiteral("2"));
        m_dialogs->printers.push_back(true);
        m_dialogs->choosePrint = [&](QPrinter& printer) {
            if (range < 0)
                return;
            printer.setPrintRange(QPrinter::PrintRange(range));
            if (range == QPrinter::PageRange)
                printer.setFromTo(from, to);
        };
        click("printButton");

        QCOMPARE(m_dialogs->shown.size(), 1);
        const ScriptedDialogs::Shown& dialog = m_dialogs->shown.constFirst();
        QCOMPARE(dialog.kind, ScriptedDialogs::Shown::Printer);
        QCOMPARE(dialog.pageCount, 3);
        QVERIFY(dialog.pageRange);
        QCOMPARE(dialog.fromPage, 2);
        QCOMPARE(dialog.toPage, 2);

        QList<QStringList> expected;
        for (int page : printed)
            expected << previewCells(page);
        QCOMPARE(printedCells(), expected);
        QVERIFY(!expected.constLast().isEmpty());
    }

    void setUpChoosesThePrinterPaperAndOrientationOfTheJob_data()
    {
        QTest::addColumn<QString>("queue");
        QTest::addColumn<int>("paper");
        QTest::addColumn<bool>("landscape");
        QTest::newRow("A5 landscape on another queue") << "Biuro" << int(QPageSize::A5) << true;
        QTest::newRow("A3 portrait on the default queue") << "" << int(QPageSize::A3) << false;
    }

    void setUpChoosesThePrinterPaperAndOrientationOfTheJob()
    {
        QFETCH(QString, queue);
        QFETCH(int, paper);
        QFETCH(bool, landscape);
        const QPageSize chosen { QPageSize::PageSizeId(paper) };
        const QPageLayout::Orientation orientation
            = landscape ? QPageLayout::Landscape : QPageLayout::Portrait;
        offerRecordingPrinters();
        m_dialogs->setups.push_back(kolvar::PrinterSetup { queue, chosen, orientation });
        click("printerButton");

        // The set-up opened on what the pages were laid out for: A4, upright.
        QCOMPARE(m_dialogs->shown.size(), 1);
        QVERIFY(m_dialogs->shown.constFirst().setup.paper.isEquivalentTo(QPageSize(QPageSize::A4)));
        QCOMPARE(m_dialogs->shown.constFirst().setup.orientation, QPageLayout::Portrait);
        QCOMPARE(m_printers->names.constLast(), queue);
        QCOMPARE(m_grid->printOptions().orientation,
            landscape ? kolvar::grid::poLandscape : kolvar::grid::poPortrait);
        // The preview shows the chosen sheet in screen pixels (600 dpi over 96 is 6).
        QSize sheet = chosen.sizePixels(600);
        if (landscape)
            sheet.transpose();
        sheet = QSize(sheet.width() / 6, sheet.height() / 6);
        QCOMPARE(m_preview->shownImage().size(), sheet);

        m_dialogs->printers.push_back(true);
        click("printButton");
        QCOMPARE(m_dialogs->texts(), QStringList());
        QCOMPARE(m_printers->names.constLast(), queue);
        QVERIFY(m_recording->layout.pageSize().isEquivalentTo(chosen));
        QCOMPARE(m_recording->layout.orientation(), orientation);
        // The footer sits at the foot of the chosen sheet, not of an A4 one (the printer is
        // painted in the page's own units, stretched over the sheet).
        qreal footer = -1;
        for (const Recording::Drawn& text : m_recording->drawn)
            if (text.text == QStringLiteral("Strona 1"))
                footer = text.baseline.y();
        QVERIFY2(footer > sheet.height() * 0.95 && footer <= sheet.height(),
            qPrintable(QString::number(footer)));
    }

    void cancelledSetUpChangesNothing()
    {
        offerRecordingPrinters();
        const QImage before = m_preview->shownImage();
        click("printerButton");
        QCOMPARE(m_grid->printOptions().orientation, kolvar::grid::poPortrait);
        QCOMPARE(m_preview->shownImage(), before);
        m_dialogs->printers.push_back(true);
        click("printButton");
        QCOMPARE(m_printers->names.constLast(), QString());
        QCOMPARE(m_recording->layout.orientation(), QPageLayout::Portrait);
    }

    void pageAreaFillsTheWindowRightOfThePanel_data()
    {
        QTest::addColumn<QSize>("size"); // empty: maximised
        QTest::newRow("enlarged") << QSize(1200, 900);
        QTest::newRow("made smaller") << QSize(640, 480);
        QTest::newRow("maximised") << QSize();
    }

    void pageAreaFillsTheWindowRightOfThePanel()
    {
        QFETCH(QSize, size);
        if (size.isEmpty()) {
            m_preview->showMaximized();
            QTRY_VERIFY(m_preview->windowState() & Qt::WindowMaximized);
            QTRY_VERIFY(m_preview->width() > 780 && m_preview->height() > 560);
            size = m_preview->size();
        } else {
            m_preview->resize(size);
        }
        QCOMPARE(child<QWidget>("scrollArea")->geometry(),
            QRect(162, 0, size.width() - 162, size.height()));
        QCOMPARE(child<QWidget>("controlPanel")->geometry(), QRect(0, 0, 162, size.height()));
        click("fullWidthButton");
        QCOMPARE(
            m_preview->shownImage().width(), child<QScrollArea>("scrollArea")->viewport()->width());
    }

    void printingSaysWhatBecameOfTheJob_data()
    {
        QTest::addColumn<int>("printer"); // 0 none, 1 failing, 2 PDF file
        QTest::addColumn<QString>("message");
        QTest::newRow("no printer") << 0 << QStringLiteral("Drukarka nie jest podłączona!");
        QTest::newRow("the print system fails the job")
            << 1 << QStringLiteral("Wydruk na drukarce \"\" nie powiódł się.");
        QTest::newRow("a PDF printer") << 2 << QString();
    }

    void printingSaysWhatBecameOfTheJob()
    {
        QFETCH(int, printer);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("lista.pdf"));
        Recording recording;
        recording.failJob = true;
        m_printers->printer = [&]() -> std::unique_ptr<QPrinter> {
            if (printer == 1)
                return std::make_unique<RecordingPrinter>(recording, QSizeF(4960, 7016), 600);
            if (printer == 0)
                return nullptr;
            auto p = std::make_unique<QPrinter>(QPrinter::HighResolution);
            p->setOutputFormat(QPrinter::PdfFormat);
            p->setOutputFileName(pdf);
            return p;
        };
        m_dialogs->printers.push_back(true);
        child<QLineEdit>("headerEdit")->setText(QStringLiteral("Rejestr spraw"));
        click("printButton");
        QCOMPARE(m_dialogs->texts(), message.isEmpty() ? QStringList() : QStringList { message });
        if (printer == 1)
            QVERIFY(!recording.drawn.isEmpty());
        if (printer != 2)
            return;
        const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
        if (pdftotext.isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed");
        QProcess read;
        read.start(pdftotext, { pdf, QStringLiteral("-") });
        QVERIFY(read.waitForFinished());
        const QString text = QString::fromUtf8(read.readAllStandardOutput());
        for (const char* expected : { "Rejestr spraw", "Sprawa 0.1", "Sprawa 1.2", "Strona 1" })
            QVERIFY2(text.contains(QLatin1String(expected)), qPrintable(text));
        QVERIFY(!text.contains(QLatin1String("Sprawa 60.1")));
        QVERIFY(!text.contains(QLatin1Char('\f') + QLatin1String("Sprawa")));
    }
};

QTEST_MAIN(TestListPreview)
#include "tst_listpreview.moc"

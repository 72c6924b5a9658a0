#include "RecordingPrinter.h"
#include "ScriptedDialogs.h"
#include "UnitPokazuj.h"
#include "Zarur.h"

#include <QAccessible>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <cmath>

using kolvar::grid::TZarur;
using kolvar::test::Recording;
using kolvar::test::RecordingPrinter;
using kolvar::test::ScriptedDialogs;
using kolvar::test::ScriptedPrinters;

class TestPokazuj : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    std::unique_ptr<ScriptedPrinters> m_printers;
    std::unique_ptr<TZarur> m_grid;
    std::unique_ptr<TPokazuj> m_preview;

    template <typename T> T* child(const char* name) const
    {
        return m_preview->findChild<T*>(QLatin1String(name));
    }

    void click(const char* name) { child<QToolButton>(name)->click(); }

private slots:
    void init()
    {
        m_dialogs = std::make_unique<ScriptedDialogs>();
        m_printers = std::make_unique<ScriptedPrinters>();
        m_grid = std::make_unique<TZarur>();
        m_grid->setColCount(3);
        m_grid->setRowCount(120);
        for (int c = 0; c < 3; ++c)
            m_grid->setColWidth(c, 150);
        for (int r = 0; r < 120; ++r)
            for (int c = 0; c < 3; ++c)
                m_grid->setCells(c, r, QStringLiteral("Sprawa %1.%2").arg(r).arg(c));
        m_preview = std::make_unique<TPokazuj>();
        m_preview->SetGrid(m_grid.get());
        m_grid->RenderPreviewPage(m_preview->PrintImage());
        m_preview->ShowPrintImage();
        m_preview->show();
    }

    void cleanup()
    {
        m_preview.reset();
        m_grid.reset();
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
        QCOMPARE(child<QLabel>("lblpages")->text(), QStringLiteral("strona z 3"));
        child<QCheckBox>("cklive")->setChecked(live);
        const QImage before = m_preview->shownImage();
        child<QLineEdit>("Header")->setText(QStringLiteral("Rejestr spraw"));
        QCOMPARE(m_grid->PrintOptions().PageTitle, QStringLiteral("Rejestr spraw"));
        QCOMPARE(m_preview->shownImage() != before, live);
        child<QCheckBox>("cklive")->setChecked(true);
        QVERIFY(m_preview->shownImage() != before);

        // Page 2 of the list, then the frames: each edit shows at once.
        const QImage first = m_preview->shownImage();
        child<QLineEdit>("EditPage")->setText(QStringLiteral("2"));
        QCOMPARE(m_grid->PrintOptions().PreviewPage, 2);
        QVERIFY(m_preview->shownImage() != first);
        child<QListWidget>("Margins")->setCurrentRow(2);
        child<QLineEdit>("Margin")->setText(QStringLiteral("abc"));
        QCOMPARE(m_dialogs->texts(),
            QStringList { QStringLiteral("\"abc\" nie jest poprawną liczbą całkowitą.") });
        QCOMPARE(m_grid->PrintOptions().MarginLeft, 0);
    }

    void everyInputIsNamedForAScreenReader_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("name");
        QTest::newRow("header text") << "Header"
                                     << "Tekst wybranej pozycji";
        QTest::newRow("header entries") << "Headers"
                                        << "Teksty strony";
        QTest::newRow("margin value") << "Margin"
                                      << "Aktualna wartosc wybranej niżej pozycji";
        QTest::newRow("margin entries") << "Margins"
                                        << "Marginesy i rozmiary";
        QTest::newRow("page") << "EditPage"
                              << "Aktualnie widoczna strona bazy";
        QTest::newRow("print button") << "btnprint"
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
        click("btnfull");
        const int natural = m_preview->PrintImage().width();
        QList<int> widths { m_preview->shownImage().width() };
        for (int i = 0; i < 6; ++i) {
            m_preview->PreviewImageClick();
            widths << m_preview->shownImage().width();
        }
        QVERIFY(widths.first() < natural * 0.8);
        for (qsizetype i = 1; widths[i] != natural; ++i)
            QCOMPARE(widths[i], int(std::nearbyint(widths[i - 1] / 0.8)));
        QCOMPARE(widths.last(), natural);
        QCOMPARE(m_preview->shownImage().height(), m_preview->PrintImage().height());
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
        child<QLineEdit>("Header")->setText(QStringLiteral("Rejestr spraw"));
        click("btnprint");
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

QTEST_MAIN(TestPokazuj)
#include "tst_pokazuj.moc"

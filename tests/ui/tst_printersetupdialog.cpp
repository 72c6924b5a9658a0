#include "PrinterSetupDialog.h"

#include <QComboBox>
#include <QLabel>
#include <QPrinterInfo>
#include <QRadioButton>
#include <QtTest>

using namespace kolvar;

class TestPrinterSetupDialog : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        // The papers offered are the queue's own where there is one; these rows are about the
        // machine without a printer.
        if (!QPrinterInfo::availablePrinterNames().isEmpty())
            QSKIP("this machine has printers");
    }

    void opensOnTheSetUpAndGivesBackWhatTheUserChose_data()
    {
        QTest::addColumn<int>("paper"); // QPageSize::PageSizeId, -1 for none chosen yet
        QTest::addColumn<bool>("landscape");
        QTest::addColumn<bool>("turn"); // the user clicks the other orientation
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("chosen");
        QTest::newRow("A5 landscape as it was given")
            << int(QPageSize::A5) << true << false << "A5" << int(QPageSize::A5);
        QTest::newRow("no paper yet starts on A4")
            << -1 << false << false << "A4" << int(QPageSize::A4);
        QTest::newRow("a paper not offered gives way to the first")
            << int(QPageSize::A0) << false << false << "A4" << int(QPageSize::A4);
        QTest::newRow("turned to landscape")
            << int(QPageSize::Letter) << false << true << "Letter" << int(QPageSize::Letter);
    }

    void opensOnTheSetUpAndGivesBackWhatTheUserChose()
    {
        QFETCH(int, paper);
        QFETCH(bool, landscape);
        QFETCH(bool, turn);
        QFETCH(QString, shown);
        QFETCH(int, chosen);
        PrinterSetup setup;
        if (paper >= 0)
            setup.paper = QPageSize(QPageSize::PageSizeId(paper));
        setup.orientation = landscape ? QPageLayout::Landscape : QPageLayout::Portrait;
        PrinterSetupDialog dialog(setup);
        const auto* printer = dialog.findChild<QComboBox*>(QStringLiteral("printer"));
        QCOMPARE(printer->currentText(), QStringLiteral("(brak drukarki w systemie)"));
        QVERIFY(!printer->isEnabled());
        // Tab passes the disabled box by; the window says there is no printer in words of its own.
        QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("noPrinterLabel"))->text(),
            QStringLiteral("W systemie nie ma drukarki: wydruk nie jest możliwy."));
        QVERIFY(
            dialog.findChild<QComboBox*>(QStringLiteral("paper"))->currentText().startsWith(shown));
        if (turn)
            dialog.findChild<QRadioButton*>(landscape ? "portrait" : "landscape")->click();

        const PrinterSetup result = dialog.chosen();
        QCOMPARE(result.printer, QString());
        QVERIFY(result.paper.isEquivalentTo(QPageSize(QPageSize::PageSizeId(chosen))));
        QCOMPARE(result.orientation == QPageLayout::Landscape, landscape != turn);
    }
};

QTEST_MAIN(TestPrinterSetupDialog)
#include "tst_printersetupdialog.moc"

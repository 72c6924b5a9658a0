#include "AppFixture.h"

#include "CalBrows.h"
#include "Unit1.h"
#include "Unit2.h"
#include "Zarur.h"
#include "asfind.h"
#include "help.h"

#include <QAction>
#include <QFile>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QtTest>

using namespace kolvar;
using namespace kolvar::test;
using storage::CaseRecord;

namespace {

QList<CaseRecord> numberedCases(int count)
{
    QList<CaseRecord> cases;
    for (int i = 1; i <= count; ++i) {
        cases << listCase(QStringLiteral("2024.01.%1").arg(i, 2, 10, QLatin1Char('0')),
            QStringLiteral("Nadawca %1").arg(i, 2, 10, QLatin1Char('0')),
            QStringLiteral("Sprawa %1").arg(i));
    }
    return cases;
}

QStringList numbers(int count)
{
    QStringList out;
    for (int i = 1; i <= count; ++i)
        out << QString::number(i);
    return out;
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT
private slots:
    void firstRunWithoutSettingsUsesTheDesignValues()
    {
        AppFixture f;
        f.start();
        TForm1& w = f.form1();
        QCOMPARE(QRect(w.x(), w.y(), w.width(), w.height()), QRect(429, 551, 688, 309));
        QCOMPARE(w.Label2()->text(), QString("brak"));
        QCOMPARE(w.LabelCount()->text(), QString("00"));
        QCOMPARE(w.G1()->colWidth(2), 86);
        QCOMPARE(w.G1()->colWidth(3), 166);
        QCOMPARE(w.G1()->colWidth(4), 520);
        QVERIFY(!w.Regeneruj1()->isEnabled());
        QVERIFY(f.dialogs.shown.isEmpty());
        QVERIFY(!f.iniExists());
    }

    void closingTheFirstRunWritesAll24KeysInSixSections()
    {
        AppFixture f;
        f.start();
        QVERIFY(f.form1().close());
        const QString text = f.readIni().toText();
        QCOMPARE(text.count(QLatin1Char('[')), 6);
        QCOMPARE(text.count(QLatin1Char('=')), 24);
        const IniFile ini = f.readIni();
        QCOMPARE(ini.readString("Plik", "Nazwa", {}), QString("brak"));
        QCOMPARE(ini.readInteger("Kolumny", "Dotyczy", 0), 520);
        QCOMPARE(ini.readInteger("Form1", "Top", 0), 551);
        QCOMPARE(ini.readInteger("Form2", "Height", 0), 673);
        QCOMPARE(ini.readInteger("Fonty", "Size", 0), 10);
        QCOMPARE(ini.readInteger("Fonty", "FontStyle", 0), 1);
        QCOMPARE(ini.readInteger("Kolor", "FixedColor", 0), colors::Silver);
    }

    void settingsWithOnlyTheFileNameTakeTheMissingKeysDefaults()
    {
        AppFixture f;
        f.makeRegister("rejestr.db", numberedCases(3));
        f.writeIni("[Plik]\r\nNazwa=rejestr.db\r\n");
        f.start();
        TForm1& w = f.form1();
        QCOMPARE(w.G1()->colWidth(2), 76);
        QCOMPARE(w.G1()->colWidth(3), 156);
        QCOMPARE(w.G1()->colWidth(4), 480);
        QCOMPARE(w.G1()->font().family(), QString("Arial"));
        QCOMPARE(w.G1()->font().pointSize(), 10);
        QVERIFY(!w.G1()->font().bold());
        QCOMPARE(w.ListFixedColor(), colors::BtnFace);
        QCOMPARE(w.LabelCount()->text(), QString("3"));
        QCOMPARE(w.Label2()->text(), QString("rejestr.db"));
        QCOMPARE(f.form2().width(), 454);
        QCOMPARE(f.form2().height(), 714);
    }

    void rewriteKeepsEntriesThisProgramDoesNotKnow()
    {
        AppFixture f;
        f.writeIni("[Drukarka]\r\nNazwa=HP LaserJet\r\n[Plik]\r\nNazwa=brak\r\nUlubiony=tak\r\n");
        f.start();
        QVERIFY(f.form1().close());
        const IniFile ini = f.readIni();
        QCOMPARE(ini.readString("Drukarka", "Nazwa", {}), QString("HP LaserJet"));
        QCOMPARE(ini.readString("Plik", "Ulubiony", {}), QString("tak"));
        QCOMPARE(ini.readInteger("Kolumny", "Termin", 0), 76);
    }

    void resizedColumnSurvivesASortAndReachesTheFile()
    {
        AppFixture f;
        f.makeRegister("rejestr.db", numberedCases(4));
        f.rememberRegister("rejestr.db");
        f.start();
        TForm1& w = f.form1();
        w.G1()->setColWidth(3, 200);
        QTest::mouseRelease(w.G1()->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
        w.mnuSortuj2Click();
        QCOMPARE(w.G1()->colWidth(3), 200);
        QVERIFY(w.close());
        QCOMPARE(f.readIni().readInteger("Kolumny", "Nadawca", 0), 200);
        QCOMPARE(f.readIni().readInteger("Plik", "Sort", 0), 2);
    }

    void seventeenCasesAreNumberedAndCounted()
    {
        AppFixture f;
        f.makeRegister("rejestr.db", numberedCases(17));
        f.rememberRegister("rejestr.db");
        f.start();
        TForm1& w = f.form1();
        QCOMPARE(w.LabelCount()->text(), QString("17"));
        QCOMPARE(w.G1()->rowCount(), 18);
        QCOMPARE(f.column(0), numbers(17));
        QVERIFY(w.Regeneruj1()->isEnabled());
        QVERIFY(f.dialogs.shown.isEmpty());
    }

    void listKeepsAnnotationsOutOfSightAndHidesTheDetailColumns()
    {
        AppFixture f;
        CaseRecord c = listCase("2024.02.02", "Jan", "Wniosek");
        c.tryb = "pilny";
        c.odpowiedz = "pisemnie";
        c.szczegoly = "wiersz 1\r\nwiersz 2";
        c.adnotacje = "tajna adnotacja";
        f.makeRegister("rejestr.db", { c, listCase("2024.02.03", "Ola", "Skarga") });
        f.rememberRegister("rejestr.db");
        f.start();
        const grid::TZarur& g = *f.form1().G1();
        QCOMPARE(g.colCount(), 8);
        QCOMPARE(g.cells(8, 1), QString("tajna adnotacja"));
        QCOMPARE(g.cells(8, 0), QString("Adnotacje"));
        QCOMPARE(g.cells(7, 1), QString("wiersz 1\r\nwiersz 2"));
        QCOMPARE(g.cells(3, 0), QString("  Nadawca   "));
        for (int col : { 1, 5, 6, 7 })
            QCOMPARE(g.colWidth(col), 0);
        QCOMPARE(g.fixedCols(), 2);
    }

    void missingRegisterListsNothingAndCreatesNoFile()
    {
        AppFixture f;
        f.rememberRegister("zaginiony.db");
        f.start();
        QVERIFY(f.dialogs.shown.isEmpty());
        QVERIFY(!QFile::exists(f.path("zaginiony.db")));
        QVERIFY(!f.form1().Regeneruj1()->isEnabled());
        QCOMPARE(f.form1().Label2()->text(), QString("zaginiony.db"));
        // As for an empty register; "00" is the design's placeholder of a first run.
        QCOMPARE(f.form1().LabelCount()->text(), QString("0"));
        QCOMPARE(f.form1().LabelCount()->accessibleName(), QString("Rekordów: 0"));
    }

    void fileThatIsNoRegisterGivesTheReadWarning_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("cause");
        const QString notARegister = "Ten plik nie jest rejestrem programu Kolvar.";
        QTest::newRow("text file") << QByteArray("to nie jest baza\n") << notARegister;
        QTest::newRow("zeroed file") << QByteArray(8192, '\0') << notARegister;
        QTest::newRow("database without the case table")
            << QByteArray("sql:CREATE TABLE inna(x)") << notARegister;
        QTest::newRow("kolvar is a view") << QByteArray("sql:CREATE TABLE inna(x);"
                                                        "CREATE VIEW kolvar AS SELECT * FROM inna")
                                          << notARegister;
        QTest::newRow("columns missing")
            << QByteArray("sql:CREATE TABLE kolvar(ID INTEGER PRIMARY KEY,Termin,Nadawca)")
            << notARegister;
        QTest::newRow("register cut short")
            << QByteArray("truncated") << "Plik rejestru jest uszkodzony.";
    }
    void fileThatIsNoRegisterGivesTheReadWarning()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, cause);
        AppFixture f;
        QFile file(f.path("rejestr.db"));
        if (content.startsWith("sql:")) {
            const auto db = storage::OpenDatabase(f.path("rejestr.db"), storage::OpenMode::Create);
            for (const QByteArray& sql : content.mid(4).split(';'))
                db->RunStatement(QString::fromUtf8(sql));
        } else if (content == "truncated") {
            f.makeRegister("rejestr.db", numberedCases(400));
            QVERIFY(file.resize(file.size() / 2));
        } else {
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(content);
            file.close();
        }
        f.rememberRegister("rejestr.db");
        f.start();
        QCOMPARE(f.dialogs.texts(), QStringList { "Błąd podczas odczytu bazy danych!\n" + cause });
        QCOMPARE(f.dialogs.shown.first().icon, MessageIcon::Warning);
        QCOMPARE(f.column(2).join(QString()), QString());
        QVERIFY(f.form1().Regeneruj1()->isEnabled());
    }

    void storedSortOrderOrdersTheList_data()
    {
        QTest::addColumn<int>("sortMode");
        QTest::addColumn<int>("column");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("2 by date")
            << 2 << 2 << QStringList { "2023.12.31", "2024.01.05", "2024.03.01" };
        QTest::newRow("3 by sender") << 3 << 3 << QStringList { "Adam", "Beata", "Cezary" };
        QTest::newRow("7, no order, by sender")
            << 7 << 3 << QStringList { "Adam", "Beata", "Cezary" };
        QTest::newRow("4 by subject") << 4 << 4 << QStringList { "odwołanie", "skarga", "wniosek" };
    }
    void storedSortOrderOrdersTheList()
    {
        QFETCH(int, sortMode);
        QFETCH(int, column);
        QFETCH(QStringList, expected);
        AppFixture f;
        f.makeRegister("rejestr.db",
            { listCase("2024.01.05", "Cezary", "odwołanie"),
                listCase("2024.03.01", "Adam", "wniosek"),
                listCase("2023.12.31", "Beata", "skarga") });
        f.rememberRegister("rejestr.db", sortMode);
        f.start();
        QCOMPARE(f.column(column), expected);
        QCOMPARE(f.column(0), numbers(3));
        QCOMPARE(f.form1().G1()->SortColumn(), column);
    }

    void senderListFollowsThePolishAlphabet()
    {
        AppFixture f;
        QList<CaseRecord> cases;
        for (const char* name : { "Żak", "Zawada", "Łoś", "Lis", "Śliwa", "Sowa", "Ąbacki",
                 "Adamek", "Źrebiec", "Ćwik", "Czajka", "ćma", "Cis" })
            cases << listCase("2024.01.01", QString::fromUtf8(name), "x");
        f.makeRegister("rejestr.db", cases);
        f.rememberRegister("rejestr.db");
        f.start();
        QCOMPARE(f.column(3),
            (QStringList { "Adamek", "Ąbacki", "Cis", "Czajka", "ćma", "Ćwik", "Lis", "Łoś", "Sowa",
                "Śliwa", "Zawada", "Źrebiec", "Żak" }));
    }

    void equalTextsKeepTheirDatabaseOrder()
    {
        AppFixture f;
        f.makeRegister("rejestr.db",
            { listCase("2024.01.01", "Nowak", "pierwszy"), listCase("2024.01.01", "Nowak", "drugi"),
                listCase("2024.01.01", "Nowak", "trzeci") });
        f.rememberRegister("rejestr.db");
        f.start();
        QCOMPARE(f.column(4), (QStringList { "pierwszy", "drugi", "trzeci" }));
    }

    void registerInAnotherFolderIsRememberedByItsPath()
    {
        AppFixture f;
        QTemporaryDir elsewhere;
        const QString other = elsewhere.filePath("inny.db");
        {
            const auto db = storage::OpenDatabase(other, storage::OpenMode::Create);
            storage::CaseTable::CreateTable(*db);
            (void)storage::CaseTable::InsertCase(*db, listCase("2024.01.01", "Daleki", "x"));
        }
        f.rememberRegister(other);
        f.start();
        QCOMPARE(f.form1().Label2()->text(), QString("inny.db"));
        QCOMPARE(f.column(3), QStringList { "Daleki" });
        QVERIFY(f.form1().close());
        QCOMPARE(f.readIni().readString("Plik", "Nazwa", {}), other);
    }

    void windowsAreCreatedInTheirOrderAndOnlyTheMainOneIsShown()
    {
        AppFixture f;
        f.start();
        f.form1().show();
        QVERIFY(f.form1().isVisible());
        QVERIFY(!f.form2().isVisible());
        QVERIFY(!f.program().finddlg().isVisible());
        QVERIFY(!f.program().calendarBrowser().isVisible());
        QVERIFY(!f.program().fhelp().isVisible());
        // The editor took its place from the main window's labels, read before it existed.
        QCOMPARE(QRect(f.form2().x(), f.form2().y(), f.form2().width(), f.form2().height()),
            QRect(10, 10, 602, 673));
    }

    void calendarAndHintsCommandsShowTheirWindows()
    {
        AppFixture f;
        f.start();
        f.form1().show();
        f.form1().nmuKalendarzClick();
        QVERIFY(f.program().calendarBrowser().isVisible());

        // The hints window is modal and made anew for each look, beside the program.
        QString shownFolder;
        QTimer::singleShot(0, [&] {
            if (auto* help = qobject_cast<TFhelp*>(QApplication::activeModalWidget())) {
                shownFolder = QFileInfo(help->hintsFilePath()).absolutePath();
                help->close();
            }
        });
        f.form1().mnuFAQClick();
        QCOMPARE(shownFolder, QFileInfo(f.form1().ProgramFolder() + "/x").absolutePath());
        QVERIFY(QApplication::activeModalWidget() == nullptr);
    }

    void showingTheWindowGivesEveryRowTheRememberedHeight()
    {
        AppFixture f;
        f.makeRegister("rejestr.db", numberedCases(3));
        f.rememberRegister("rejestr.db");
        IniFile ini = f.readIni();
        ini.writeInteger("Form1", "WysRow", 31);
        ini.save(f.path("kolvar.ini"));
        f.start();
        f.form1().show();
        for (int row = 0; row < f.form1().G1()->rowCount(); ++row)
            QCOMPARE(f.form1().G1()->rowHeight(row), 31);
    }

    void columnWidthsInTheSettingsNeverHideATitle_data()
    {
        QTest::addColumn<int>("stored");
        QTest::addColumn<bool>("kept");
        QTest::newRow("0") << 0 << false;
        QTest::newRow("1 pixel") << 1 << false;
        QTest::newRow("negative") << -40 << false;
        QTest::newRow("wide enough") << 230 << true;
    }

    void columnWidthsInTheSettingsNeverHideATitle()
    {
        QFETCH(int, stored);
        QFETCH(bool, kept);
        AppFixture f;
        f.makeRegister("rejestr.db", numberedCases(3));
        f.writeIni(QString("[Plik]\r\nNazwa=rejestr.db\r\n[Kolumny]\r\nTermin=%1\r\nNadawca=%1\r\n"
                           "Dotyczy=%1\r\n")
                       .arg(stored));
        f.start();
        const TForm1& w = f.form1();
        const QFontMetrics metrics(w.G1()->font());
        for (int col = 2; col <= 4; ++col) {
            const QString title = w.G1()->cells(col, 0);
            QVERIFY2(w.G1()->colWidth(col) > metrics.horizontalAdvance(title),
                qPrintable(QString("%1: %2").arg(title).arg(w.G1()->colWidth(col))));
            if (kept)
                QCOMPARE(w.G1()->colWidth(col), stored);
        }
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"

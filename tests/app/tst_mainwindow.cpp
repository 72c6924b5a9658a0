#include "AppFixture.h"

#include "CalendarWindow.h"
#include "CaseEditor.h"
#include "FindDialog.h"
#include "HintsWindow.h"
#include "MainWindow.h"
#include "SortableGrid.h"

#include <QAction>
#include <QFile>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTextEdit>
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
        MainWindow& w = f.mainWindow();
        QCOMPARE(QRect(w.x(), w.y(), w.width(), w.height()), QRect(429, 551, 688, 309));
        QCOMPARE(w.fileLabel()->text(), QString("brak"));
        QCOMPARE(w.countLabel()->text(), QString("00"));
        QCOMPARE(w.caseGrid()->colWidth(2), 86);
        QCOMPARE(w.caseGrid()->colWidth(3), 166);
        QCOMPARE(w.caseGrid()->colWidth(4), 520);
        QVERIFY(!w.regenerateAction()->isEnabled());
        QVERIFY(f.dialogs.shown.isEmpty());
        QVERIFY(!f.iniExists());
    }

    void closingTheFirstRunWritesAll24KeysInSixSections()
    {
        AppFixture f;
        f.start();
        QVERIFY(f.mainWindow().close());
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
        MainWindow& w = f.mainWindow();
        QCOMPARE(w.caseGrid()->colWidth(2), 76);
        QCOMPARE(w.caseGrid()->colWidth(3), 156);
        QCOMPARE(w.caseGrid()->colWidth(4), 480);
        QCOMPARE(w.caseGrid()->font().family(), QString("Arial"));
        QCOMPARE(w.caseGrid()->font().pointSize(), 10);
        QVERIFY(!w.caseGrid()->font().bold());
        QCOMPARE(w.listFixedColor(), colors::BtnFace);
        QCOMPARE(w.countLabel()->text(), QString("3"));
        QCOMPARE(w.fileLabel()->text(), QString("rejestr.db"));
        QCOMPARE(f.caseEditor().width(), 454);
        QCOMPARE(f.caseEditor().height(), 714);
    }

    void rewriteKeepsEntriesThisProgramDoesNotKnow()
    {
        AppFixture f;
        f.writeIni("[Drukarka]\r\nNazwa=HP LaserJet\r\n[Plik]\r\nNazwa=brak\r\nUlubiony=tak\r\n");
        f.start();
        QVERIFY(f.mainWindow().close());
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
        MainWindow& w = f.mainWindow();
        w.caseGrid()->setColWidth(3, 200);
        QTest::mouseRelease(w.caseGrid()->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
        w.sortByDate();
        QCOMPARE(w.caseGrid()->colWidth(3), 200);
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
        MainWindow& w = f.mainWindow();
        QCOMPARE(w.countLabel()->text(), QString("17"));
        QCOMPARE(w.caseGrid()->rowCount(), 18);
        QCOMPARE(f.column(0), numbers(17));
        QVERIFY(w.regenerateAction()->isEnabled());
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
        const grid::SortableGrid& g = *f.mainWindow().caseGrid();
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
        QVERIFY(!f.mainWindow().regenerateAction()->isEnabled());
        QCOMPARE(f.mainWindow().fileLabel()->text(), QString("zaginiony.db"));
        // As for an empty register; "00" is the design's placeholder of a first run.
        QCOMPARE(f.mainWindow().countLabel()->text(), QString("0"));
        QCOMPARE(f.mainWindow().countLabel()->accessibleName(), QString("Rekordów: 0"));
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
            RegisterFile made(f.path("rejestr.db"));
            for (const QByteArray& sql : content.mid(4).split(';'))
                made.run(QString::fromUtf8(sql));
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
        QVERIFY(f.mainWindow().regenerateAction()->isEnabled());
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
        QCOMPARE(f.mainWindow().caseGrid()->sortColumn(), column);
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
        makeRegisterFile(other, { listCase("2024.01.01", "Daleki", "x") });
        f.rememberRegister(other);
        f.start();
        QCOMPARE(f.mainWindow().fileLabel()->text(), QString("inny.db"));
        QCOMPARE(f.column(3), QStringList { "Daleki" });
        QVERIFY(f.mainWindow().close());
        QCOMPARE(f.readIni().readString("Plik", "Nazwa", {}), other);
    }

    void windowsAreCreatedInTheirOrderAndOnlyTheMainOneIsShown()
    {
        AppFixture f;
        f.start();
        f.mainWindow().show();
        QVERIFY(f.mainWindow().isVisible());
        QVERIFY(!f.caseEditor().isVisible());
        QVERIFY(!f.program().findDialog().isVisible());
        QVERIFY(!f.program().calendarWindow().isVisible());
        QVERIFY(!f.program().hintsWindow().isVisible());
        // The editor took its place from the main window's labels, read before it existed.
        QCOMPARE(QRect(f.caseEditor().x(), f.caseEditor().y(), f.caseEditor().width(),
                     f.caseEditor().height()),
            QRect(10, 10, 602, 673));
    }

    void calendarAndHintsCommandsShowTheirWindows()
    {
        AppFixture f;
        f.start();
        f.mainWindow().show();
        f.mainWindow().showCalendar();
        QVERIFY(f.program().calendarWindow().isVisible());

        // The hints window is modal and made anew for each look, beside the program.
        QString shownFolder;
        QTimer::singleShot(0, [&] {
            if (auto* help = qobject_cast<HintsWindow*>(QApplication::activeModalWidget())) {
                shownFolder = QFileInfo(help->hintsFilePath()).absolutePath();
                help->close();
            }
        });
        f.mainWindow().showHints();
        QCOMPARE(shownFolder, QFileInfo(f.mainWindow().programFolder() + "/x").absolutePath());
        QVERIFY(QApplication::activeModalWidget() == nullptr);
    }

    // The guide the hints window shows without a hints file names every command of the main
    // menu in quotes, followed by its shortcut as the menu shows it: a command added to the menu
    // without its line in the guide fails here.
    void builtInGuideDescribesEveryMenuCommandWithItsShortcut()
    {
        AppFixture f;
        f.start();
        QString guide;
        QTimer::singleShot(0, [&] {
            if (auto* help = qobject_cast<HintsWindow*>(QApplication::activeModalWidget())) {
                guide = help->textView()->toPlainText().simplified();
                help->close();
            }
        });
        f.mainWindow().showHints();
        QVERIFY(guide.contains(QStringLiteral("I. Wiadomości wstępne")));

        QStringList missing;
        const auto lookUp = [&](const QAction* action) {
            const QString quoted = u'"' + QString(action->text()).remove(u'&') + u'"';
            const QString key = action->shortcut().toString(QKeySequence::NativeText);
            bool named = false;
            // The shortcut stands after the caption, before the next quoted name.
            for (qsizetype at = guide.indexOf(quoted); at >= 0 && !named;
                 at = guide.indexOf(quoted, at + 1)) {
                const qsizetype from = at + quoted.size();
                const qsizetype to = guide.indexOf(u'"', from);
                named = key.isEmpty() || guide.mid(from, to < 0 ? -1 : to - from).contains(key);
            }
            if (!named)
                missing << (key.isEmpty() ? quoted : quoted + u' ' + key);
        };
        for (const QAction* top : f.mainWindow().menuBar()->actions()) {
            lookUp(top);
            if (const QMenu* menu = top->menu()) {
                for (const QAction* action : menu->actions()) {
                    if (!action->isSeparator())
                        lookUp(action);
                }
            }
        }
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join(QStringLiteral(", "))));
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
        f.mainWindow().show();
        for (int row = 0; row < f.mainWindow().caseGrid()->rowCount(); ++row)
            QCOMPARE(f.mainWindow().caseGrid()->rowHeight(row), 31);
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
        const MainWindow& w = f.mainWindow();
        const QFontMetrics metrics(w.caseGrid()->font());
        for (int col = 2; col <= 4; ++col) {
            const QString title = w.caseGrid()->cells(col, 0);
            QVERIFY2(w.caseGrid()->colWidth(col) > metrics.horizontalAdvance(title),
                qPrintable(QString("%1: %2").arg(title).arg(w.caseGrid()->colWidth(col))));
            if (kept)
                QCOMPARE(w.caseGrid()->colWidth(col), stored);
        }
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"

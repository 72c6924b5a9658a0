#include "AppFixture.h"

#include "MaskedDateEdit.h"
#include "SmallDisk.h"

#include "CaseEditor.h"
#include "MainWindow.h"
#include "SortableGrid.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

using namespace kolvar;
using namespace kolvar::test;
using storage::CaseRecord;

namespace {

using Command = void (MainWindow::*)();

CaseRecord storedCase(const QString& path, std::int64_t id)
{
    return storage::OpenFileStore(path)->readCase(id).value_or(CaseRecord {});
}

CaseRecord editorCase(const CaseEditor& editor)
{
    CaseRecord c;
    c.termin = editor.fieldText(EditorField::Termin);
    c.nadawca = editor.fieldText(EditorField::Nadawca);
    c.dotyczy = editor.fieldText(EditorField::Dotyczy);
    c.tryb = editor.fieldText(EditorField::Tryb);
    c.odpowiedz = editor.fieldText(EditorField::Odpowiedz);
    c.szczegoly = editor.fieldText(EditorField::Szczegoly);
    c.adnotacje = editor.fieldText(EditorField::Adnotacje);
    return c;
}

void fillEditor(CaseEditor& editor, const CaseRecord& c)
{
    editor.setFieldText(EditorField::Termin, c.termin);
    editor.setFieldText(EditorField::Nadawca, c.nadawca);
    editor.setFieldText(EditorField::Dotyczy, c.dotyczy);
    editor.setFieldText(EditorField::Tryb, c.tryb);
    editor.setFieldText(EditorField::Odpowiedz, c.odpowiedz);
    editor.setFieldText(EditorField::Szczegoly, c.szczegoly);
    editor.setFieldText(EditorField::Adnotacje, c.adnotacje);
}

// Every field filled, with what has broken registers before: quotes of both kinds, a column
// name and SQL as values, Polish letters, line breaks.
CaseRecord awkwardCase()
{
    CaseRecord c;
    c.termin = "2024.12.31";
    c.nadawca = "Spółdzielnia \"Żuraw\" O'Neil";
    c.dotyczy = "Nadawca";
    c.tryb = "Termin dwóch miesięcy z powodu skomplikowania kolvar";
    c.odpowiedz = "\"); DROP TABLE kolvar; --";
    c.szczegoly = "Pierwszy wiersz: ąćęłńóśźż\r\nDrugi wiersz: ĄĆĘŁŃÓŚŹŻ\r\n\r\nPo pustym";
    c.adnotacje = "Adnotacja \"urzędowa\"\r\nz dwoma wierszami";
    return c;
}

// Runs a script in the sqlite3 shell on a new file: a register another program made. The shell
// may rewrite the schema itself, which is how a table gets a constraint its rows were written
// without.
bool madeByTheShell(const QString& path, const QString& script)
{
    QProcess shell;
    shell.start(QStandardPaths::findExecutable("sqlite3"), { path, script });
    return shell.waitForFinished(30000) && shell.exitCode() == 0;
}

// The register's cases as the shell reads them, byte for byte.
QString shellDump(const QString& path,
    const QString& query = "SELECT ID, hex(Termin), hex(Nadawca), hex(Dotyczy) FROM kolvar")
{
    QProcess shell;
    shell.start(QStandardPaths::findExecutable("sqlite3"), { path, query });
    shell.waitForFinished(30000);
    return QString::fromLatin1(shell.readAllStandardOutput());
}

const QString ForeignTable
    = "CREATE TABLE kolvar(ID INTEGER PRIMARY KEY, Termin, Nadawca, Dotyczy, Tryb, Odpowiedz, "
      "Szczegoly BLOB, Adnotacje BLOB);"
      "INSERT INTO kolvar(Termin, Nadawca, Dotyczy) VALUES ('2024.03.01', 'Cezary', 'wniosek'),"
      "('2024.01.05', 'Adam', 'skarga'), ('2024.02.10', 'Beata', 'odwołanie');";

// A definition put into the table after its rows were written.
QString withSchemaEdit(const QString& from, const QString& to)
{
    return "PRAGMA writable_schema=ON; UPDATE sqlite_master SET sql = replace(sql, '" + from
        + "', '" + to + "') WHERE name = 'kolvar';";
}

const QString ReadOnlyRegister
    = "Ten rejestr jest otwarty tylko do odczytu: jego kolumna ID nie jest kluczem wierszy "
      "(INTEGER PRIMARY KEY), jak w rejestrach, które tworzy Kolvar, więc dwa rekordy mogą mieć "
      "ten sam numer albo żadnego, a zapis mógłby zmienić nie ten rekord.";

const QString ReadOnlyFolder
    = "Ten rejestr jest otwarty tylko do odczytu: pliku rejestru albo folderu, w którym leży, nie "
      "można zapisywać (na przykład dysk jest tylko do odczytu), a każdy zapis zmienia plik i "
      "tworzy obok niego plik pomocniczy.";

} // namespace

Q_DECLARE_METATYPE(Command)

class TestRecordCommands : public QObject
{
    Q_OBJECT

    std::unique_ptr<AppFixture> f;

    void startWith(const QList<CaseRecord>& cases)
    {
        f = std::make_unique<AppFixture>();
        f->makeRegister("rejestr.db", cases);
        f->rememberRegister("rejestr.db");
        f->start();
    }

private slots:
    void cleanup() { f.reset(); }

    void clickMakesTheRowCurrentWithoutShowingIt()
    {
        startWith(threeCases());
        f->clickRow(2);
        QCOMPARE(f->mainWindow().currentListRow(), 2);
        QCOMPARE(f->mainWindow().idEdit()->text(), QString("3"));
        QCOMPARE(f->mainWindow().rowLabel()->text(), QString("2"));
        QCOMPARE(f->caseEditor().positionLabel()->text(), QString("2 z 3"));
        QCOMPARE(f->mainWindow().currentId(), std::int64_t(0));
        QVERIFY(!f->caseEditor().isVisible());
    }

    void showPutsTheCurrentRowsCaseInTheEditor()
    {
        startWith(threeCases());
        f->clickRow(3);
        f->mainWindow().editCurrentCase();
        QVERIFY(f->caseEditor().isVisible());
        QCOMPARE(f->mainWindow().currentId(), std::int64_t(1));
        QCOMPARE(f->caseEditor().fieldText(EditorField::Nadawca), QString("Cezary"));
        QCOMPARE(f->caseEditor().fieldText(EditorField::Termin), QString("2024.03.01"));
        QCOMPARE(f->caseEditor().positionLabel()->text(), QString("3 z 3"));
    }

    void openEditorNamesTheRowOfTheCaseItShows_data()
    {
        QTest::addColumn<int>("shownRow");
        QTest::addColumn<int>("clickedRow");
        // 0 nothing more, 1 "Następny" before the click, 2 the clicked case asked for after it
        QTest::addColumn<int>("then");
        QTest::addColumn<QString>("label");
        QTest::newRow("a click on another row") << 1 << 3 << 0 << "1 z 3";
        QTest::newRow("a click on the shown row") << 2 << 2 << 0 << "2 z 3";
        QTest::newRow("a click after stepping to the next case") << 1 << 3 << 1 << "2 z 3";
        QTest::newRow("the clicked case shown") << 1 << 3 << 2 << "3 z 3";
    }
    void openEditorNamesTheRowOfTheCaseItShows()
    {
        QFETCH(int, shownRow);
        QFETCH(int, clickedRow);
        QFETCH(int, then);
        QFETCH(QString, label);
        startWith(threeCases());
        f->clickRow(shownRow);
        f->mainWindow().editCurrentCase();
        if (then == 1)
            f->mainWindow().nextCase();
        const QString shown = f->caseEditor().fieldText(EditorField::Nadawca);
        f->clickRow(clickedRow);
        if (then == 2)
            f->mainWindow().editCurrentCase();
        QCOMPARE(f->caseEditor().positionLabel()->text(), label);
        const int row = label.section(u' ', 0, 0).toInt();
        QCOMPARE(f->mainWindow().caseGrid()->cells(3, row),
            f->caseEditor().fieldText(EditorField::Nadawca));
        QCOMPARE(f->caseEditor().fieldText(EditorField::Nadawca) == shown, then != 2);
    }

    void showScrollsTheCaseToTheLastVisibleRow()
    {
        QList<CaseRecord> cases;
        for (int i = 0; i < 60; ++i)
            cases << listCase("2024.01.01", QString("Nadawca %1").arg(i, 2, 10, QChar('0')), "x");
        startWith(cases);
        f->mainWindow().show();
        grid::SortableGrid& g = *f->mainWindow().caseGrid();
        const int visible = g.visibleRowCount();
        QVERIFY(visible > 1 && visible < 40);
        f->clickRow(40);
        f->mainWindow().editCurrentCase();
        QCOMPARE(g.topRow(), 40 - visible + 1);
        f->caseEditor().hide();
        f->clickRow(1);
        f->mainWindow().editCurrentCase();
        QCOMPARE(g.topRow(), 1);
    }

    void navigationShowsTheNeighbouringCase_data()
    {
        QTest::addColumn<Command>("command");
        QTest::addColumn<int>("startRow");
        QTest::addColumn<int>("endRow");
        QTest::addColumn<QString>("nadawca");
        QTest::newRow("first") << &MainWindow::firstCase << 3 << 1 << "Adam";
        QTest::newRow("previous") << &MainWindow::previousCase << 3 << 2 << "Beata";
        QTest::newRow("next") << &MainWindow::nextCase << 1 << 2 << "Beata";
        QTest::newRow("last") << &MainWindow::lastCase << 1 << 3 << "Cezary";
    }
    void navigationShowsTheNeighbouringCase()
    {
        QFETCH(Command, command);
        QFETCH(int, startRow);
        QFETCH(int, endRow);
        QFETCH(QString, nadawca);
        startWith(threeCases());
        f->clickRow(startRow);
        (f->mainWindow().*command)();
        QCOMPARE(f->mainWindow().caseGrid()->row(), endRow);
        QCOMPARE(f->mainWindow().currentListRow(), endRow);
        QVERIFY(f->caseEditor().isVisible());
        QCOMPARE(f->caseEditor().fieldText(EditorField::Nadawca), nadawca);
        QCOMPARE(f->caseEditor().positionLabel()->text(), QString("%1 z 3").arg(endRow));
        QVERIFY(f->dialogs.shown.isEmpty());
    }

    void steppingPastEitherEndDoesNothing_data()
    {
        QTest::addColumn<Command>("command");
        QTest::addColumn<int>("row");
        QTest::newRow("previous on row 1") << &MainWindow::previousCase << 1;
        QTest::newRow("next on the last row") << &MainWindow::nextCase << 3;
    }
    void steppingPastEitherEndDoesNothing()
    {
        QFETCH(Command, command);
        QFETCH(int, row);
        startWith(threeCases());
        f->clickRow(row);
        (f->mainWindow().*command)();
        QVERIFY(!f->caseEditor().isVisible());
        QCOMPARE(f->mainWindow().caseGrid()->row(), row);
        QCOMPARE(f->mainWindow().currentId(), std::int64_t(0));
    }

    void changedRecordQuestionYesKeepsEverything()
    {
        startWith(threeCases());
        f->clickRow(1);
        f->mainWindow().editCurrentCase();
        f->caseEditor().setFieldText(EditorField::Nadawca, "Adam poprawiony");
        f->caseEditor().setRecordChanged(true);
        f->dialogs.answers.push_back(DialogButton::Yes);

        f->mainWindow().nextCase();

        QCOMPARE(f->dialogs.texts(),
            QStringList { "W rekordzie dokonano zmian. Czy chcesz je zapisać? " });
        QCOMPARE(f->dialogs.shown.first().buttons,
            (QList<DialogButton> { DialogButton::Yes, DialogButton::No }));
        QCOMPARE(f->caseEditor().fieldText(EditorField::Nadawca), QString("Adam poprawiony"));
        QVERIFY(f->caseEditor().recordChanged());
        QCOMPARE(f->mainWindow().caseGrid()->row(), 1);
        QCOMPARE(f->mainWindow().currentId(), std::int64_t(2));
    }

    // Typing in any field of the editor is asked about before another case is shown; reading
    // the fields is not.
    void typingInAnyFieldIsAskedAboutBeforeStepping_data()
    {
        QTest::addColumn<EditorField>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("asked");
        QTest::newRow("date") << EditorField::Termin << "1" << true;
        QTest::newRow("sender") << EditorField::Nadawca << "x" << true;
        QTest::newRow("subject") << EditorField::Dotyczy << "x" << true;
        QTest::newRow("mode of settling") << EditorField::Tryb << "x" << true;
        QTest::newRow("mode of reply") << EditorField::Odpowiedz << "x" << true;
        QTest::newRow("details") << EditorField::Szczegoly << "x" << true;
        QTest::newRow("annotations") << EditorField::Adnotacje << "x" << true;
        QTest::newRow("nothing typed, only moved through") << EditorField::Tryb << "" << false;
    }

    void typingInAnyFieldIsAskedAboutBeforeStepping()
    {
        QFETCH(EditorField, field);
        QFETCH(QString, typed);
        QFETCH(bool, asked);
        startWith(threeCases());
        f->clickRow(1);
        f->mainWindow().editCurrentCase();
        CaseEditor& editor = f->caseEditor();
        QWidget* const controls[] = { editor.dateEdit(), editor.senderEdit(), editor.subjectEdit(),
            editor.settlementCombo()->lineEdit(), editor.replyModeEdit(), editor.detailsMemo(),
            editor.annotationsMemo() };
        QWidget* control = controls[int(field)];
        QTest::keyClick(control, Qt::Key_End);
        QTest::keyClick(control, Qt::Key_Home);
        QTest::keyClicks(control, typed);
        f->dialogs.answers.push_back(DialogButton::No);

        f->mainWindow().nextCase();

        QCOMPARE(f->dialogs.texts(),
            asked ? QStringList { "W rekordzie dokonano zmian. Czy chcesz je zapisać? " }
                  : QStringList());
        QCOMPARE(f->mainWindow().currentId(), std::int64_t(3));
        QVERIFY(!editor.recordChanged());
    }

    // F2 or a double click brings the editor to the front with the focus in its first field,
    // also when it is open behind the list already.
    void editingTheCurrentCaseTakesTheFocusToTheEditor_data()
    {
        QTest::addColumn<bool>("openBefore");
        QTest::newRow("editor closed") << false;
        QTest::newRow("editor open behind the list") << true;
    }

    void editingTheCurrentCaseTakesTheFocusToTheEditor()
    {
        QFETCH(bool, openBefore);
        startWith(threeCases());
        MainWindow& list = f->mainWindow();
        list.show();
        if (openBefore) {
            list.editCurrentCase();
            QVERIFY(QTest::qWaitForWindowActive(&f->caseEditor()));
        }
        list.activateWindow();
        list.caseGrid()->setFocus();
        QVERIFY(QTest::qWaitForWindowActive(&list));

        list.editCurrentCase();

        QVERIFY(QTest::qWaitForWindowActive(&f->caseEditor()));
        QTRY_COMPARE(
            QApplication::focusWidget(), static_cast<QWidget*>(f->caseEditor().dateEdit()));
    }

    void changedRecordQuestionNoDropsTheTypingAndMoves()
    {
        startWith(threeCases());
        f->clickRow(1);
        f->mainWindow().editCurrentCase();
        f->caseEditor().setFieldText(EditorField::Nadawca, "Adam poprawiony");
        f->caseEditor().setRecordChanged(true);
        f->dialogs.answers.push_back(DialogButton::No);
        f->mainWindow().nextCase();
        QVERIFY(!f->caseEditor().recordChanged());
        QCOMPARE(f->caseEditor().fieldText(EditorField::Nadawca), QString("Beata"));
        QCOMPARE(storedCase(f->path("rejestr.db"), 2).nadawca, QString("Adam"));
    }

    void addNeedsTheEditorOpen()
    {
        startWith(threeCases());
        f->mainWindow().addNewCase();
        QCOMPARE(f->dialogs.texts(),
            QStringList { "Dodaję rekordy tylko przy otwartym oknie Podglądu i edycji "
                          "rekordu\n\r\n\r       Proszę otwórz to okno i powtórz operację "
                          "dodawania" });
        QVERIFY(!f->caseEditor().isVisible());
        QCOMPARE(f->mainWindow().countLabel()->text(), QString("3"));
    }

    void awkwardCaseSurvivesAddSaveAndShow()
    {
        startWith(threeCases());
        f->clickRow(1);
        f->mainWindow().editCurrentCase();
        const CaseRecord typed = awkwardCase();
        fillEditor(f->caseEditor(), typed);
        f->mainWindow().addNewCase();

        QCOMPARE(f->dialogs.texts(), QStringList { "Rekord dodany do bazy. " });
        QVERIFY(!f->caseEditor().isVisible());
        QCOMPARE(f->mainWindow().countLabel()->text(), QString("4"));
        QCOMPARE(f->mainWindow().currentId(), std::int64_t(4));
        CaseRecord expected = typed;
        expected.id = 4;
        QCOMPARE(storedCase(f->path("rejestr.db"), 4), expected);

        // Listed by sender, the new case comes last; show it, change it, save it.
        f->dialogs.clear();
        f->mainWindow().lastCase();
        QCOMPARE(editorCase(f->caseEditor()), typed);
        CaseRecord changed = typed;
        changed.dotyczy = "Dotyczy\", \"Termin\"=\"";
        changed.szczegoly += "\r\nDopisany wiersz";
        fillEditor(f->caseEditor(), changed);
        f->mainWindow().saveChanges();
        QCOMPARE(f->dialogs.texts(), QStringList { "Zmiany w rekordzie 4 zostały zapisane." });
        QVERIFY(!f->caseEditor().isVisible());
        QCOMPARE(editorCase(f->caseEditor()), changed); // saved as typed, shown as typed
        changed.id = 4;
        QCOMPARE(storedCase(f->path("rejestr.db"), 4), changed);

        f->mainWindow().editCurrentCase();
        changed.id = 0;
        QCOMPARE(editorCase(f->caseEditor()), changed);
    }

    void saveOfACaseRemovedMeanwhileSaysNothingWasSaved()
    {
        startWith(threeCases());
        f->clickRow(2);
        f->mainWindow().editCurrentCase();
        {
            RegisterFile(f->path("rejestr.db")).run("DELETE FROM kolvar WHERE ID=3");
        }
        f->caseEditor().setFieldText(EditorField::Dotyczy, "nowa treść");
        f->mainWindow().saveChanges();
        QCOMPARE(f->dialogs.texts(),
            QStringList { "Rekord nie został zapisany: nie ma go już w bazie." });
        QCOMPARE(f->mainWindow().countLabel()->text(), QString("2"));
        QVERIFY(f->caseEditor().isVisible()); // the typing can still be added as a new case
    }

    void saveBeforeAnyCaseWasShownSaysNothingWasSaved()
    {
        startWith(threeCases());
        f->mainWindow().saveChanges();
        QCOMPARE(f->dialogs.texts(),
            QStringList { "Rekord nie został zapisany: nie wybrano żadnego rekordu." });
        QCOMPARE(storedCase(f->path("rejestr.db"), 1).nadawca, QString("Cezary"));
    }

    void textTheRegisterCannotHoldIsRefusedNamingTheField_data()
    {
        QTest::addColumn<Command>("command");
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("named");
        QTest::newRow("emoji in the sender, add")
            << &MainWindow::addNewCase << int(EditorField::Nadawca) << "Jan 😀 Kowalski"
            << "Nadawca";
        QTest::newRow("Cyrillic in the annotations, save")
            << &MainWindow::saveChanges << int(EditorField::Adnotacje) << "Юрий"
            << "Adnotacje urzędowe";
    }
    void textTheRegisterCannotHoldIsRefusedNamingTheField()
    {
        QFETCH(Command, command);
        QFETCH(int, field);
        QFETCH(QString, text);
        QFETCH(QString, named);
        startWith(threeCases());
        f->clickRow(1);
        f->mainWindow().editCurrentCase();
        f->caseEditor().setFieldText(EditorField(field), text);
        (f->mainWindow().*command)();
        QCOMPARE(f->dialogs.shown.size(), 1);
        const QString message = f->dialogs.shown.first().text;
        QVERIFY2(message.contains("„" + named + "”"), qPrintable(message));
        QVERIFY(f->caseEditor().isVisible());
        QCOMPARE(f->mainWindow().countLabel()->text(), QString("3"));
        QCOMPARE(storedCase(f->path("rejestr.db"), 2), ([] {
            CaseRecord c = listCase("2024.01.05", "Adam", "skarga");
            c.id = 2;
            return c;
        }()));
    }

    void failedSaveIsRolledBackAndTheNextOneWorks()
    {
        startWith(threeCases());
        f->clickRow(1);
        f->mainWindow().editCurrentCase();
        f->caseEditor().setFieldText(EditorField::Dotyczy, "po blokadzie");
        {
            RegisterFile other(f->path("rejestr.db"));
            other.run("BEGIN EXCLUSIVE");
            f->mainWindow().saveChanges();
            QCOMPARE(f->dialogs.shown.size(), 1);
            QCOMPARE(f->dialogs.shown.first().icon, MessageIcon::Error);
            QCOMPARE(f->dialogs.texts().first(),
                "Rejestr jest używany przez inny program; spróbuj ponownie za chwilę.");
            QVERIFY(!f->dialogs.shown.first().details.isEmpty());
            QVERIFY(f->caseEditor().isVisible());
            QCOMPARE(f->caseEditor().fieldText(EditorField::Dotyczy), QString("po blokadzie"));
            other.run("ROLLBACK");
        }
        f->dialogs.clear();
        f->mainWindow().saveChanges();
        QCOMPARE(f->dialogs.texts(), QStringList { "Zmiany w rekordzie 1 zostały zapisane." });
        QCOMPARE(storedCase(f->path("rejestr.db"), 2).dotyczy, QString("po blokadzie"));
    }

    void saveThatCannotBeWrittenSaysWhyAndChangesNothing_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QStringList>("told");
        // Opened read-only with the reason, not opened for writing to fail every write.
        QTest::newRow("read-only disk")
            << "read-only"
            << QStringList { ReadOnlyFolder, ReadOnlyFolder + " Nic nie zostało zapisane." };
        QTest::newRow("full disk") << "full" << QStringList { "Na dysku zabrakło miejsca." };
        QTest::newRow("page no table owns")
            << "damaged" << QStringList { "Plik rejestru jest uszkodzony." };
    }
    void saveThatCannotBeWrittenSaysWhyAndChangesNothing()
    {
        QFETCH(QString, fault);
        QFETCH(QStringList, told);
        SmallDisk disk;
        if (!disk.mounted())
            QSKIP("a full or read-only disk is made by mounting a small file system, which needs "
                  "root");
        const QString path = disk.path("rejestr.db");
        f = std::make_unique<AppFixture>();
        f->makeRegister(path, threeCases());
        if (fault == "damaged") {
            // One page more in the header's count than any table or index uses.
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadWrite));
            QByteArray bytes = file.readAll();
            const int pageSize = (uchar(bytes[16]) << 8) | uchar(bytes[17]);
            bytes[31] = char(bytes[31] + 1);
            bytes.append(QByteArray(pageSize, '\0'));
            QVERIFY(file.seek(0) && file.write(bytes) == bytes.size());
        }
        f->rememberRegister(path);
        if (fault == "read-only")
            QVERIFY(disk.makeReadOnly());
        f->start();
        const QByteArray before = [&] {
            QFile file(path);
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        }();
        if (fault == "full")
            disk.fill();
        f->clickRow(1);
        f->mainWindow().editCurrentCase();
        f->caseEditor().setFieldText(EditorField::Szczegoly, QString(20000, u'ż'));
        f->mainWindow().saveChanges();
        QCOMPARE(f->dialogs.texts(), told);
        QVERIFY(f->caseEditor().isVisible());
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), before);
    }

    void deleteOfTheOnlyCaseDoesNothing()
    {
        startWith({ listCase("2024.01.01", "Jedyny", "x") });
        f->clickRow(1);
        f->mainWindow().deleteCurrentCase();
        QVERIFY(f->dialogs.shown.isEmpty());
        QVERIFY(!f->caseEditor().isVisible());
        QCOMPARE(f->mainWindow().countLabel()->text(), QString("1"));
    }

    void deleteYesRemovesTheCaseShownFirst()
    {
        startWith(
            { listCase("2024.01.01", "Pierwszy", "x"), listCase("2024.01.02", "Drugi", "y") });
        f->clickRow(2);
        f->dialogs.onShow = [this](const ScriptedDialogs::Shown&) {
            QVERIFY(f->caseEditor().isVisible()); // the case is in view while the question is asked
        };
        f->dialogs.answers.push_back(DialogButton::Yes);
        f->mainWindow().deleteCurrentCase();
        QCOMPARE(
            f->dialogs.texts(), QStringList { "Zniszczyć rekord Pierwszy  jesteś tego pewny ?" });
        QCOMPARE(f->dialogs.shown.first().buttons,
            (QList<DialogButton> { DialogButton::Yes, DialogButton::No, DialogButton::Cancel }));
        QCOMPARE(f->mainWindow().countLabel()->text(), QString("1"));
        QCOMPARE(f->column(3), QStringList { "Drugi" });
        QVERIFY(!f->caseEditor().isVisible());
    }

    void deleteNamesTheEditorsCaseEvenAfterAnotherRowWasClicked()
    {
        startWith(threeCases());
        f->clickRow(1);
        f->mainWindow().editCurrentCase();
        f->clickRow(3);
        f->dialogs.answers.push_back(DialogButton::Yes);
        f->mainWindow().deleteCurrentCase();
        QCOMPARE(f->dialogs.texts(), QStringList { "Zniszczyć rekord Adam  jesteś tego pewny ?" });
        QCOMPARE(f->column(3), (QStringList { "Beata", "Cezary" }));
    }

    void deleteAnsweredNoOrCancelStillReloadsAndCloses_data()
    {
        QTest::addColumn<DialogButton>("answer");
        QTest::newRow("no") << DialogButton::No;
        QTest::newRow("cancel") << DialogButton::Cancel;
    }
    void deleteAnsweredNoOrCancelStillReloadsAndCloses()
    {
        QFETCH(DialogButton, answer);
        startWith(threeCases());
        f->clickRow(2);
        f->mainWindow().editCurrentCase();
        {
            // Another program adds a case meanwhile; the reload shows it.
            (void)RegisterFile(f->path("rejestr.db"))
                .store()
                ->addCase(listCase("2024.04.04", "Dorota", "z"));
        }
        f->caseEditor().setRecordChanged(true);
        f->dialogs.answers.push_back(answer);
        f->mainWindow().deleteCurrentCase();
        QCOMPARE(f->dialogs.shown.size(), 1); // no question about the typing when closing
        QCOMPARE(f->mainWindow().countLabel()->text(), QString("4"));
        QVERIFY(!f->caseEditor().isVisible());
        QVERIFY(!f->caseEditor().recordChanged());
    }

    void endingWithTheEditorOpenIsRefused()
    {
        startWith(threeCases());
        QFile::remove(f->path("kolvar.ini"));
        f->mainWindow().show();
        f->clickRow(1);
        f->mainWindow().editCurrentCase();
        f->mainWindow().quitProgram();
        QCOMPARE(f->dialogs.texts(),
            QStringList { "Przed końcem pracy należy uprzednio zamknąć to "
                          "okno \n\r      Okno Edycji i druku." });
        QVERIFY(f->mainWindow().isVisible());
        QVERIFY(!f->iniExists());
    }

    void closingTheEditorThenTheMainWindowWritesTheSettingsTwice()
    {
        startWith(threeCases());
        QFile::remove(f->path("kolvar.ini"));
        f->mainWindow().show();
        f->clickRow(1);
        f->mainWindow().editCurrentCase();
        f->caseEditor().move(33, 44);
        QVERIFY(f->caseEditor().close());
        QVERIFY(f->iniExists());
        QCOMPARE(f->readIni().readInteger("Form2", "Left", 0), 33);
        QVERIFY(QFile::remove(f->path("kolvar.ini")));
        QSignalSpy closed(&f->mainWindow(), &MainWindow::windowClosed);
        f->mainWindow().quitProgram();
        QCOMPARE(closed.size(), 1);
        QVERIFY(f->iniExists());
        QCOMPARE(f->readIni().readInteger("Form2", "Top", 0), 44);
        QVERIFY(f->dialogs.shown.isEmpty());
    }

    void editorButtonsReachTheMainWindowsCommands()
    {
        startWith(threeCases());
        f->clickRow(1);
        f->mainWindow().editCurrentCase();
        f->caseEditor().nextCase();
        QCOMPARE(f->caseEditor().fieldText(EditorField::Nadawca), QString("Beata"));
        f->caseEditor().lastCase();
        QCOMPARE(f->caseEditor().fieldText(EditorField::Nadawca), QString("Cezary"));
    }

    void saveWritesOnlyWhatTheVisibleEditorShows_data()
    {
        QTest::addColumn<int>("way");
        QTest::addColumn<QString>("refusal");
        const QString hidden = "Zapisuję zmiany tylko przy otwartym oknie Edycja i druk \n\r       "
                               "       Proszę pokaż rekord, popraw go i zapisz ponownie; nic nie "
                               "zostało zapisane.";
        QTest::newRow("closed, another register opened")
            << 0 << "Rekord nie został zapisany: nie wybrano żadnego rekordu.";
        QTest::newRow("typing declined at the close") << 1 << hidden;
        QTest::newRow("cleared, closed, another row clicked") << 2 << hidden;
    }

    void saveWritesOnlyWhatTheVisibleEditorShows()
    {
        QFETCH(int, way);
        QFETCH(QString, refusal);
        startWith(threeCases());
        f->makeRegister("inny.db", threeCases());
        f->clickRow(1);
        f->mainWindow().editCurrentCase();
        f->caseEditor().setFieldText(EditorField::Nadawca, "obcy tekst");
        if (way == 2)
            f->caseEditor().clearFields();
        f->caseEditor().setRecordChanged(way == 1);
        f->dialogs.answers.push_back(DialogButton::No);
        f->caseEditor().close();
        if (way == 0) {
            f->dialogs.files.push_back(f->path("inny.db"));
            f->mainWindow().openRegister();
        }
        if (way == 2)
            f->clickRow(2);
        f->dialogs.clear();
        f->mainWindow().saveChanges();
        QCOMPARE(f->dialogs.texts(), QStringList { refusal });
        for (const char* name : { "rejestr.db", "inny.db" })
            QCOMPARE(storedCase(f->path(name), 2).nadawca, QString("Adam"));
    }

    void saveKeepsWhatTheUserDidNotType_data()
    {
        // What another program may have written, a column of case 2 that must keep its bytes, a
        // date typed over case 2's and the Termin case 2 then holds.
        QTest::addColumn<QStringList>("given");
        QTest::newRow("date with dashes")
            << QStringList { "Termin='2026-03-10' WHERE ID=2", "Termin", "", "2026-03-10" };
        QTest::newRow("Termin that is no date")
            << QStringList { "Termin='po świętach' WHERE ID=2", "Termin", "", "po świętach" };
        QTest::newRow("NUL inside a text")
            << QStringList { "Dotyczy=CAST(X'61620063' AS TEXT)", "Dotyczy", "", "2024.01.05" };
        QTest::newRow("lone line feed")
            << QStringList { "Szczegoly='a'||char(10)||'b'", "Szczegoly", "", "2024.01.05" };
        QTest::newRow("typed date, the register's separator")
            << QStringList { "Termin=replace(Termin,'.','-')", "Dotyczy", "20260310",
                   "2026-03-10" };
        QTest::newRow("typed over a date the mask cannot show, the most common separator")
            << QStringList { "Termin=replace(Termin,'.','/') WHERE ID<>2", "Dotyczy", "20260310",
                   "2026/03/10" };
        QTest::newRow("typed into a register without dates, the locale's")
            << QStringList { "Termin='jutro'", "Dotyczy", "20260310", "2026.03.10" };
    }

    void saveKeepsWhatTheUserDidNotType()
    {
        QFETCH(QStringList, given);
        const QString &written = given[0], &kept = given[1], &typed = given[2], &termin = given[3];
        f = std::make_unique<AppFixture>();
        f->makeRegister("rejestr.db", threeCases());
        RegisterFile other(f->path("rejestr.db"));
        other.run("UPDATE kolvar SET " + written);
        const QString probe = "SELECT hex(" + kept + ") FROM kolvar WHERE ID=2";
        const QString before = other.text(probe);
        f->rememberRegister("rejestr.db");
        f->start();
        f->clickRow(1);
        f->mainWindow().editCurrentCase();
        f->caseEditor().setFieldText(EditorField::Nadawca, "Adam Nowak");
        f->caseEditor().dateEdit()->selectAll();
        QTest::keyClicks(f->caseEditor().dateEdit(), typed);
        f->clickRow(3);
        f->mainWindow().saveChanges();
        QCOMPARE(other.text(probe), before);
        QCOMPARE(storedCase(f->path("rejestr.db"), 2).termin, termin);
        // The message names the row of the case saved, not the row clicked since.
        QCOMPARE(f->dialogs.texts(), QStringList { "Zmiany w rekordzie 1 zostały zapisane." });
    }

    // Texts longer than a line edit holds (written by another program) were cut to 32,766
    // characters by End, BackSpace and a save that said it succeeded.
    void textTooLongForItsFieldSurvivesTypingAndSave_data()
    {
        QTest::addColumn<QStringList>("columns");
        QTest::addColumn<int>("length");
        QTest::newRow("50 MB in Dotyczy") << QStringList { "Dotyczy" } << 50 * 1024 * 1024;
        QTest::newRow("40,000 characters in every line field")
            << QStringList { "Termin", "Nadawca", "Dotyczy", "Tryb", "Odpowiedz" } << 40000;
    }
    void textTooLongForItsFieldSurvivesTypingAndSave()
    {
        QFETCH(QStringList, columns);
        QFETCH(int, length);
        f = std::make_unique<AppFixture>();
        f->makeRegister("rejestr.db", threeCases());
        RegisterFile db(f->path("rejestr.db"));
        QStringList probes;
        for (const QString& column : columns) {
            db.run(QString("UPDATE kolvar SET %1 = replace(hex(zeroblob(%2)), '0', "
                           "'a') || CAST(X'BFF3B3' AS TEXT) WHERE ID = 2")
                       .arg(column)
                       .arg(length / 2));
            probes << QString("length(CAST(%1 AS BLOB)) || ':' || hex(substr(CAST(%1 AS BLOB), "
                              "-4))")
                          .arg(column);
        }
        const QString probe = "SELECT " + probes.join(" || ' ' || ") + " FROM kolvar WHERE ID = 2";
        const QString before = db.text(probe);
        f->rememberRegister("rejestr.db");
        f->start();
        const int row = int(f->column(1).indexOf("2")) + 1;
        f->clickRow(row);
        f->mainWindow().editCurrentCase();
        CaseEditor& editor = f->caseEditor();
        QLineEdit* const edits[] = { editor.dateEdit(), editor.senderEdit(), editor.subjectEdit(),
            editor.findChild<QComboBox*>("settlementCombo")->lineEdit(), editor.replyModeEdit() };
        for (QLineEdit* edit : edits) {
            edit->end(false);
            QTest::keyClick(edit, Qt::Key_Backspace);
        }
        QTest::keyClicks(editor.annotationsMemo(), "dopisek");
        f->mainWindow().saveChanges();
        QCOMPARE(f->dialogs.texts(),
            QStringList { QString("Zmiany w rekordzie %1 zostały zapisane.").arg(row) });
        QCOMPARE(db.text(probe), before);
        QCOMPARE(storedCase(f->path("rejestr.db"), 2).adnotacje, QString("dopisek"));
    }

    void showingAnotherCaseAsksAboutUnsavedTyping()
    {
        startWith(threeCases());
        f->clickRow(1);
        f->mainWindow().editCurrentCase();
        f->caseEditor().setFieldText(EditorField::Nadawca, "Adam poprawiony");
        f->caseEditor().setRecordChanged(true);
        f->dialogs.answers = { DialogButton::Yes, DialogButton::No };
        f->clickRow(2);
        f->mainWindow().caseGridDoubleClicked(); // Yes: the typing stays to be saved
        QCOMPARE(f->caseEditor().fieldText(EditorField::Nadawca), QString("Adam poprawiony"));
        f->mainWindow().editCurrentCase(); // No: the other case, and nothing left to ask about
        QCOMPARE(f->caseEditor().fieldText(EditorField::Nadawca), QString("Beata"));
        QVERIFY(!f->caseEditor().recordChanged());
        QCOMPARE(f->dialogs.texts(),
            QStringList(2, "W rekordzie dokonano zmian. Czy chcesz je zapisać? "));
    }

    void emptyRegisterOpensAnEmptyEditorToAddTheFirstCase()
    {
        startWith({});
        f->mainWindow().editCurrentCase();
        QVERIFY(f->caseEditor().isVisible());
        f->caseEditor().setFieldText(EditorField::Nadawca, "Pierwszy");
        f->mainWindow().addNewCase();
        QCOMPARE(f->dialogs.texts(), QStringList { "Rekord dodany do bazy. " });
        QCOMPARE(storedCase(f->path("rejestr.db"), 1).nadawca, QString("Pierwszy"));
    }

    void writeTheTableRefusesIsExplainedInPolish_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<Command>("command");
        QTest::addColumn<QString>("refused");
        const QString save = "Zmiany w rekordzie nie zostały zapisane.";
        QTest::newRow("a check with a function the program lacks")
            << ForeignTable
                + withSchemaEdit("Adnotacje BLOB)", "Adnotacje BLOB, CHECK (nieznana(Dotyczy)))")
            << &MainWindow::saveChanges << save;
        QTest::newRow("load_extension in the schema") << ForeignTable
                + withSchemaEdit(
                    "Adnotacje BLOB)", "Adnotacje BLOB, CHECK (load_extension(''x'') IS NULL))")
                                                      << &MainWindow::saveChanges << save;
        QTest::newRow("a check the new text breaks")
            << QString(ForeignTable).replace("Dotyczy,", "Dotyczy CHECK (length(Dotyczy) < 12),")
            << &MainWindow::saveChanges << save;
        QTest::newRow("an extra column that must not be empty")
            << QString(ForeignTable).replace("Adnotacje BLOB)", "Adnotacje BLOB, Inne DEFAULT 'x')")
                + withSchemaEdit("DEFAULT ''x''", "NOT NULL")
            << &MainWindow::addNewCase << "Rekord nie został dodany.";
        // The engine's words, which go under "Szczegóły" and never into the box's text.
        const QString generated = ForeignTable
            + withSchemaEdit("Adnotacje BLOB)",
                "Adnotacje BLOB, Inne TEXT AS (Nadawca || ''x'') STORED CHECK (length(Inne) > "
                "100))");
        QTest::newRow("a stored generated column with a check, add")
            << generated << &MainWindow::addNewCase << "Rekord nie został dodany.";
        const QString unknownFunction = ForeignTable
            + "CREATE INDEX poNadawcy ON kolvar(lower(Nadawca)); PRAGMA writable_schema=ON; "
              "UPDATE sqlite_master SET sql = replace(sql, 'lower(', 'nieznana(') "
              "WHERE name = 'poNadawcy';";
        const QString deleted = "Rekord nie został usunięty.";
        QTest::newRow("an index on an unknown function, add")
            << unknownFunction << &MainWindow::addNewCase << "Rekord nie został dodany.";
        QTest::newRow("an index on an unknown function, delete")
            << unknownFunction << &MainWindow::deleteCurrentCase << deleted;
        const QString unknownCollation = ForeignTable
            + "CREATE INDEX poNadawcy ON kolvar(Nadawca COLLATE NOCASE); PRAGMA "
              "writable_schema=ON; UPDATE sqlite_master SET sql = replace(sql, 'NOCASE', "
              "'POLSKI') WHERE name = 'poNadawcy';";
        QTest::newRow("an index with a collation nobody has, save")
            << unknownCollation << &MainWindow::saveChanges << save;
        QTest::newRow("an index with a collation nobody has, add")
            << unknownCollation << &MainWindow::addNewCase << "Rekord nie został dodany.";
        QTest::newRow("an index with a collation nobody has, delete")
            << unknownCollation << &MainWindow::deleteCurrentCase << deleted;
    }
    void writeTheTableRefusesIsExplainedInPolish()
    {
        QFETCH(QString, script);
        QFETCH(Command, command);
        QFETCH(QString, refused);
        if (QStandardPaths::findExecutable("sqlite3").isEmpty())
            QSKIP("the sqlite3 shell is not installed");
        f = std::make_unique<AppFixture>();
        QVERIFY(madeByTheShell(f->path("rejestr.db"), script));
        const QString before = shellDump(f->path("rejestr.db"));
        f->rememberRegister("rejestr.db");
        f->start();
        QCOMPARE(f->dialogs.texts(), QStringList());
        f->clickRow(1);
        f->mainWindow().editCurrentCase();
        f->caseEditor().setFieldText(EditorField::Dotyczy, "treść dłuższa niż dotąd");
        f->dialogs.answers.push_back(DialogButton::Yes); // asked before a delete only
        (f->mainWindow().*command)();
        const auto failed = f->dialogs.shown.last();
        QCOMPARE(failed.text,
            "Tabela tego rejestru jest zbudowana inaczej niż tabele, które tworzy Kolvar. "
                + refused);
        QCOMPARE(failed.icon, MessageIcon::Error);
        QVERIFY2(failed.details.contains(" : "), qPrintable(failed.details));
        QVERIFY(f->caseEditor().isVisible());
        QCOMPARE(shellDump(f->path("rejestr.db")), before);
    }

    void registerWhoseIdIsNoRowKeyRefusesEveryWrite_data()
    {
        QTest::addColumn<QString>("idColumn");
        QTest::addColumn<Command>("command");
        QTest::addColumn<QString>("name");
        const struct
        {
            const char* name;
            Command command;
        } commands[] = { { "saveChanges", &MainWindow::saveChanges },
            { "addNewCase", &MainWindow::addNewCase },
            { "deleteCurrentCase", &MainWindow::deleteCurrentCase } };
        for (const char* id : { "ID INTEGER", "ID TEXT", "ID" }) {
            for (const auto& c : commands)
                QTest::addRow("%s, %s", id, c.name) << QString(id) << c.command << QString(c.name);
        }
    }
    void registerWhoseIdIsNoRowKeyRefusesEveryWrite()
    {
        QFETCH(QString, idColumn);
        QFETCH(Command, command);
        QFETCH(QString, name);
        if (QStandardPaths::findExecutable("sqlite3").isEmpty())
            QSKIP("the sqlite3 shell is not installed");
        f = std::make_unique<AppFixture>();
        // Adam and Cezary share the ID 5.
        QVERIFY(madeByTheShell(f->path("rejestr.db"),
            QString(ForeignTable).replace("ID INTEGER PRIMARY KEY", idColumn)
                + "UPDATE kolvar SET ID = 5 WHERE Nadawca <> 'Beata';"
                  "UPDATE kolvar SET ID = 7 WHERE Nadawca = 'Beata';"));
        const QString before = shellDump(f->path("rejestr.db"));
        f->rememberRegister("rejestr.db");
        f->start();
        QCOMPARE(f->dialogs.texts(), QStringList { ReadOnlyRegister });
        QCOMPARE(f->dialogs.shown.first().icon, MessageIcon::Information);
        QCOMPARE(f->column(3), QStringList({ "Adam", "Beata", "Cezary" }));
        f->dialogs.clear();
        QVERIFY(!f->mainWindow().regenerateAction()->isEnabled());
        f->clickRow(2);
        f->mainWindow().editCurrentCase();
        // Closing the editor lifts the bar the editor set, not the register's own.
        f->caseEditor().close();
        QVERIFY(!f->mainWindow().regenerateAction()->isEnabled());
        f->mainWindow().editCurrentCase();
        QCOMPARE(f->caseEditor().fieldText(EditorField::Nadawca), QString("Beata"));
        f->caseEditor().setFieldText(EditorField::Dotyczy, "zmieniona");
        f->dialogs.answers.push_back(DialogButton::Yes);
        (f->mainWindow().*command)();
        QCOMPARE(
            f->dialogs.texts(), QStringList { ReadOnlyRegister + " Nic nie zostało zapisane." });
        QVERIFY(!f->mainWindow().findChild<QAction*>(name)->isEnabled());
        QCOMPARE(f->dialogs.shown.first().icon, MessageIcon::Warning);
        QCOMPARE(shellDump(f->path("rejestr.db")), before);
    }

    void caseOfAnOddIdIsShownOrSaysWhyNot_data()
    {
        QTest::addColumn<QString>("idColumn");
        QTest::addColumn<QString>("beatasId");
        QTest::addColumn<QString>("told");
        QTest::newRow("ID held as text with a blank") << "ID TEXT"
                                                      << "'5 '" << QString();
        QTest::newRow("ID held as text with a leading zero") << "ID TEXT"
                                                             << "'05'" << QString();
        QTest::newRow("ID REAL")
            << "ID REAL"
            << "5.5"
            << "Tego rekordu nie można pokazać: jego numer ID (5,5) nie jest liczbą całkowitą, a "
               "Kolvar odnajduje rekordy po takim numerze. Rejestr zapisał inny program.";
    }
    void caseOfAnOddIdIsShownOrSaysWhyNot()
    {
        QFETCH(QString, idColumn);
        QFETCH(QString, beatasId);
        QFETCH(QString, told);
        if (QStandardPaths::findExecutable("sqlite3").isEmpty())
            QSKIP("the sqlite3 shell is not installed");
        f = std::make_unique<AppFixture>();
        QVERIFY(madeByTheShell(f->path("rejestr.db"),
            QString(ForeignTable).replace("ID INTEGER PRIMARY KEY", idColumn)
                + "UPDATE kolvar SET ID = 1 WHERE Nadawca = 'Cezary';"
                  "UPDATE kolvar SET ID = 2 WHERE Nadawca = 'Adam';"
                  "UPDATE kolvar SET ID = "
                + beatasId + " WHERE Nadawca = 'Beata';"));
        f->rememberRegister("rejestr.db");
        f->start();
        f->dialogs.clear();
        f->clickRow(2);
        f->mainWindow().editCurrentCase();
        if (told.isEmpty()) {
            QCOMPARE(f->dialogs.texts(), QStringList());
            QCOMPARE(f->caseEditor().fieldText(EditorField::Nadawca), QString("Beata"));
        } else {
            QCOMPARE(f->dialogs.texts(), QStringList { told });
        }
    }

    void registerWhoseIdIsAKeyButNoRowKeyIsWritten_data()
    {
        QTest::addColumn<QString>("idColumn");
        QTest::newRow("INT PRIMARY KEY") << "ID INT PRIMARY KEY";
        QTest::newRow("UNIQUE") << "ID INTEGER UNIQUE";
    }
    void registerWhoseIdIsAKeyButNoRowKeyIsWritten()
    {
        QFETCH(QString, idColumn);
        if (QStandardPaths::findExecutable("sqlite3").isEmpty())
            QSKIP("the sqlite3 shell is not installed");
        f = std::make_unique<AppFixture>();
        // The engine refuses a second case with an ID here, but numbers no new one.
        QVERIFY(madeByTheShell(f->path("rejestr.db"),
            QString(ForeignTable).replace("ID INTEGER PRIMARY KEY", idColumn)
                + "UPDATE kolvar SET ID = rowid * 10;"));
        f->rememberRegister("rejestr.db");
        f->start();
        QCOMPARE(f->dialogs.texts(), QStringList());
        QVERIFY(f->mainWindow().regenerateAction()->isEnabled());
        f->clickRow(2);
        f->mainWindow().editCurrentCase();
        QCOMPARE(f->caseEditor().fieldText(EditorField::Nadawca), QString("Beata"));
        f->caseEditor().setFieldText(EditorField::Dotyczy, "zmieniona");
        f->mainWindow().saveChanges();
        f->mainWindow().editCurrentCase();
        f->caseEditor().setFieldText(EditorField::Nadawca, "Dorota");
        f->mainWindow().addNewCase();
        f->clickRow(1);
        f->dialogs.answers.push_back(DialogButton::Yes);
        f->mainWindow().deleteCurrentCase();
        QCOMPARE(f->dialogs.texts().last(), QString("Zniszczyć rekord Adam  jesteś tego pewny ?"));
        QCOMPARE(
            shellDump(f->path("rejestr.db"), "SELECT ID, Nadawca, Dotyczy FROM kolvar ORDER BY ID"),
            QString("10|Cezary|wniosek\n30|Beata|zmieniona\n31|Dorota|zmieniona\n"));
    }

    void triggersOfARegisterFromElsewhereNeverRun()
    {
        if (QStandardPaths::findExecutable("sqlite3").isEmpty())
            QSKIP("the sqlite3 shell is not installed");
        f = std::make_unique<AppFixture>();
        QVERIFY(madeByTheShell(f->path("rejestr.db"),
            ForeignTable
                + "CREATE TRIGGER t AFTER UPDATE ON kolvar BEGIN DELETE FROM kolvar WHERE "
                  "ID<>NEW.ID; END; CREATE TRIGGER r BEFORE INSERT ON kolvar BEGIN SELECT "
                  "RAISE(ABORT, 'nie'); END;"));
        f->rememberRegister("rejestr.db");
        f->start();
        QCOMPARE(f->dialogs.texts(),
            QStringList { "Ten rejestr ma wyzwalacze (triggery), których Kolvar nie tworzy, "
                          "zapisane w nim przez inny program. Kolvar ich nie uruchamia: zapis "
                          "zmienia tylko to, co widać w oknie Edycja i druk." });
        // Told once for the register, not at every load.
        f->mainWindow().sortByDate();
        QCOMPARE(f->dialogs.texts().size(), 1);
        f->dialogs.clear();
        f->clickRow(1);
        f->mainWindow().editCurrentCase();
        f->caseEditor().setFieldText(EditorField::Dotyczy, "po zmianie");
        f->mainWindow().saveChanges();
        QCOMPARE(f->dialogs.texts(), QStringList { "Zmiany w rekordzie 1 zostały zapisane." });
        QCOMPARE(f->mainWindow().countLabel()->text(), QString("3"));
        f->mainWindow().editCurrentCase();
        f->mainWindow().addNewCase();
        QCOMPARE(f->mainWindow().countLabel()->text(), QString("4"));
    }

    void saveIntoARegisterDeletedOrMovedSaysItIsGone_data()
    {
        QTest::addColumn<bool>("moved");
        QTest::newRow("deleted") << false;
        QTest::newRow("moved") << true;
    }

    void saveIntoARegisterDeletedOrMovedSaysItIsGone()
    {
        QFETCH(bool, moved);
        startWith(threeCases());
        f->clickRow(1);
        f->mainWindow().editCurrentCase();
        if (moved)
            QVERIFY(QFile::rename(f->path("rejestr.db"), f->path("archiwum.db")));
        else
            QVERIFY(QFile::remove(f->path("rejestr.db")));
        f->caseEditor().setFieldText(EditorField::Dotyczy, "nowa treść");
        f->mainWindow().saveChanges();
        QCOMPARE(f->dialogs.texts().size(), 1);
        QCOMPARE(f->dialogs.texts().first(),
            "Pliku rejestru już nie ma w jego folderze: został usunięty albo przeniesiony, gdy "
            "był otwarty.");
        QVERIFY(!f->dialogs.shown.first().details.isEmpty());
        QVERIFY(f->caseEditor().isVisible());
    }
};

QTEST_MAIN(TestRecordCommands)
#include "tst_recordcommands.moc"

#include "AppFixture.h"

#include "CaseEditor.h"
#include "MainWindow.h"
#include "MaskedDateEdit.h"
#include "SortableGrid.h"

#include <QAccessible>
#include <QAction>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QtTest>

using namespace kolvar;
using namespace kolvar::test;
using storage::CaseRecord;

namespace {

using Command = void (MainWindow::*)();

int casesIn(const QString& path)
{
    return RegisterFile(path).text("SELECT COUNT(*) FROM kolvar").toInt();
}

const QString DatabaseFilter = "Pliki bazowe (*.db)|*.db|Dowolne pliki (*.*)|*.*";

} // namespace

Q_DECLARE_METATYPE(Command)

class TestDatabaseCommands : public QObject
{
    Q_OBJECT
private slots:
    void commandsRefuseWhileTheEditorIsOpen_data()
    {
        QTest::addColumn<Command>("command");
        QTest::addColumn<QString>("message");
        QTest::addColumn<MessageIcon>("icon");
        const QString tail = " \n\r              Proszę uprzednio zamknij to okno. ";
        QTest::newRow("new") << &MainWindow::newRegister
                             << "Tworzę nowe bazy tylko przy zamkniętym oknie Edycja i druk" + tail
                             << MessageIcon::None;
        QTest::newRow("open") << &MainWindow::openRegister
                              << "Otwieram bazy tylko przy zamkniętym oknie Edycja i druk" + tail
                              << MessageIcon::None;
        QTest::newRow("regenerate")
            << &MainWindow::regenerateRegister
            << "Bazy regeneruję tylko przy zamkniętym oknie Edycja i druk" + tail
            << MessageIcon::None;
        const QString sort = "Sortuję tylko przy zamkniętym oknie Edycja i druk \n\r"
                             "           Proszę uprzednio zamknij to okno. ";
        QTest::newRow("sort by date")
            << &MainWindow::sortByDate << sort << MessageIcon::Information;
        QTest::newRow("sort by sender")
            << &MainWindow::sortBySender << sort << MessageIcon::Information;
        QTest::newRow("sort by subject")
            << &MainWindow::sortBySubject << sort << MessageIcon::Information;
    }
    void commandsRefuseWhileTheEditorIsOpen()
    {
        QFETCH(Command, command);
        QFETCH(QString, message);
        QFETCH(MessageIcon, icon);
        AppFixture f;
        f.makeRegister("rejestr.db", threeCases());
        f.rememberRegister("rejestr.db");
        f.start();
        f.clickRow(2);
        f.mainWindow().editCurrentCase();
        QVERIFY(f.caseEditor().isVisible());
        const QStringList before = f.column(3);
        const int sortMode = f.mainWindow().sortMode();
        f.dialogs.clear();

        (f.mainWindow().*command)();

        QCOMPARE(f.dialogs.shown.size(), 1); // no file dialog after the message
        QCOMPARE(f.dialogs.shown.first().text, message);
        QCOMPARE(f.dialogs.shown.first().icon, icon);
        QCOMPARE(f.column(3), before);
        QCOMPARE(f.mainWindow().sortMode(), sortMode);
        QCOMPARE(f.mainWindow().fileLabel()->text(), QString("rejestr.db"));
    }

    void newDatabaseOffersZerowaInTheProgramFolder()
    {
        AppFixture f;
        f.start();
        f.mainWindow().newRegister();
        QCOMPARE(f.dialogs.shown.size(), 1);
        const FileDialogRequest& r = f.dialogs.shown.first().file;
        QCOMPARE(f.dialogs.shown.first().kind, ScriptedDialogs::Shown::SaveFile);
        QCOMPARE(r.fileName, QString("zerowa.db"));
        QCOMPARE(r.folder, f.folder());
        QCOMPARE(r.filter, DatabaseFilter);
        QCOMPARE(r.defaultSuffix, QString("db3"));
        // Cancelled: nothing is made and nothing changes.
        QVERIFY(!QFile::exists(f.path("zerowa.db")));
        QCOMPARE(f.mainWindow().fileLabel()->text(), QString("brak"));
        QVERIFY(!f.mainWindow().regenerateAction()->isEnabled());
    }

    void newDatabaseIsCreatedWithTheSeedCaseWhereverChosen_data()
    {
        QTest::addColumn<bool>("elsewhere");
        QTest::newRow("in the program folder") << false;
        QTest::newRow("in another folder") << true;
    }
    void newDatabaseIsCreatedWithTheSeedCaseWhereverChosen()
    {
        QFETCH(bool, elsewhere);
        AppFixture f;
        QTemporaryDir other;
        const QString path = elsewhere ? other.filePath("rejestr.db") : f.path("rejestr.db");
        f.start();
        f.caseEditor().setFieldText(EditorField::Termin, "2024.05.17");
        f.dialogs.files.push_back(path);

        f.mainWindow().newRegister();

        QCOMPARE(f.dialogs.texts(), QStringList());
        QVERIFY(QFile::exists(path));
        QVERIFY(!QFile::exists(elsewhere ? f.path("rejestr.db") : other.filePath("rejestr.db")));
        QCOMPARE(casesIn(path), 1);
        QCOMPARE(f.mainWindow().fileLabel()->text(), QString("rejestr.db"));
        QCOMPARE(f.mainWindow().countLabel()->text(), QString("1"));
        QCOMPARE(f.column(3), QStringList { "Pusty" });
        QCOMPARE(f.column(2), QStringList { "2024.05.17" });
        QVERIFY(f.mainWindow().regenerateAction()->isEnabled());
        QVERIFY(f.mainWindow().close());
        QCOMPARE(
            f.readIni().readString("Plik", "Nazwa", {}), elsewhere ? path : QString("rejestr.db"));
    }

    void newDatabaseOnAnExistingNameListsThatFileUnchanged()
    {
        AppFixture f;
        f.makeRegister("stary.db", threeCases());
        f.start();
        f.dialogs.files.push_back(f.path("stary.db"));
        f.mainWindow().newRegister();
        QCOMPARE(
            f.dialogs.texts(), QStringList { "Plik taki już istnieje - proszę podaj inną nazwę!" });
        QCOMPARE(f.dialogs.shown.last().icon, MessageIcon::Information);
        QCOMPARE(casesIn(f.path("stary.db")), 3);
        QCOMPARE(f.column(3), (QStringList { "Adam", "Beata", "Cezary" }));
        QCOMPARE(f.mainWindow().fileLabel()->text(), QString("stary.db"));
    }

    void newDatabaseThatCannotBeMadeLeavesEverythingAsItWas()
    {
        AppFixture f;
        f.makeRegister("rejestr.db", threeCases());
        f.rememberRegister("rejestr.db");
        f.start();
        f.dialogs.files.push_back(f.path("brak-folderu/nowy.db"));
        f.mainWindow().newRegister();
        QCOMPARE(f.dialogs.shown.last().icon, MessageIcon::Error);
        QCOMPARE(f.mainWindow().fileLabel()->text(), QString("rejestr.db"));
        QCOMPARE(f.mainWindow().countLabel()->text(), QString("3"));
    }

    void openListsTheChosenFileEvenInAnotherFolder()
    {
        AppFixture f;
        QTemporaryDir other;
        f.makeRegister("rejestr.db", threeCases());
        f.makeRegister("drugi.db", { listCase("2024.01.01", "Tutejszy", "x") });
        makeRegisterFile(other.filePath("drugi.db"), { listCase("2024.01.01", "Daleki", "x") });
        f.rememberRegister("rejestr.db");
        f.start();
        f.dialogs.files.push_back(other.filePath("drugi.db"));
        f.mainWindow().openRegister();
        const FileDialogRequest& r = f.dialogs.shown.first().file;
        QCOMPARE(r.folder, f.folder());
        QCOMPARE(r.filter, DatabaseFilter);
        QCOMPARE(f.column(3), QStringList { "Daleki" });
        QCOMPARE(f.mainWindow().fileLabel()->text(), QString("drugi.db"));

        // The dialog offers the file chosen last; cancelling keeps the list.
        f.dialogs.clear();
        f.mainWindow().openRegister();
        QCOMPARE(f.dialogs.shown.first().file.fileName, other.filePath("drugi.db"));
        QCOMPARE(f.column(3), QStringList { "Daleki" });
        QVERIFY(f.mainWindow().regenerateAction()->isEnabled());
    }

    void openingAFileThatIsNoRegisterWarnsAndKeepsIt()
    {
        AppFixture f;
        f.makeRegister("rejestr.db", threeCases());
        f.rememberRegister("rejestr.db");
        QFile notes(f.path("notatki.txt"));
        QVERIFY(notes.open(QIODevice::WriteOnly));
        notes.write("zakupy: mleko\n");
        notes.close();
        f.start();
        f.dialogs.files.push_back(f.path("notatki.txt"));
        f.mainWindow().openRegister();
        QCOMPARE(f.dialogs.texts(),
            QStringList { "Błąd podczas odczytu bazy danych!\n"
                          "Ten plik nie jest rejestrem programu Kolvar." });
        QCOMPARE(f.mainWindow().fileLabel()->text(), QString("notatki.txt"));
    }

    void registerNamedAtStartReplacesTheRememberedOneOnlyWhenItIsARegister_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("senders");
        QTest::addColumn<QString>("cause");
        const QStringList remembered { "Adam", "Beata", "Cezary" };
        QTest::newRow("a register elsewhere")
            << "drugi.db" << QStringList { "Daleki" } << QString();
        QTest::newRow("a text file")
            << "notatki.txt" << remembered << "Ten plik nie jest rejestrem programu Kolvar.";
        QTest::newRow("no such file") << "brak.db" << remembered << "Nie ma takiego pliku.";
        QTest::newRow("a folder") << "teczka" << remembered
                                  << "To jest folder, a nie plik rejestru.";
        QTest::newRow("a database without the case table")
            << "inna.db" << remembered << "Ten plik nie jest rejestrem programu Kolvar.";
    }
    void registerNamedAtStartReplacesTheRememberedOneOnlyWhenItIsARegister()
    {
        QFETCH(QString, name);
        QFETCH(QStringList, senders);
        QFETCH(QString, cause);
        AppFixture f;
        QTemporaryDir other;
        f.makeRegister("rejestr.db", threeCases());
        f.rememberRegister("rejestr.db");
        makeRegisterFile(other.filePath("drugi.db"), { listCase("2024.01.01", "Daleki", "x") });
        QFile notes(other.filePath("notatki.txt"));
        QVERIFY(notes.open(QIODevice::WriteOnly) && notes.write("zakupy: mleko\n") > 0);
        notes.close();

        QVERIFY(QDir(other.path()).mkdir("teczka"));
        RegisterFile(other.filePath("inna.db")).run("CREATE TABLE inna(x)");

        f.start(other.filePath(name));
        const bool opened = senders.size() == 1;
        QCOMPARE(f.dialogs.texts(),
            opened ? QStringList()
                   : QStringList { "Błąd podczas odczytu bazy danych!\n" + other.filePath(name)
                       + '\n' + cause });
        QCOMPARE(f.column(3), senders);
        // A screen reader hears the name the window shows.
        QCOMPARE(f.mainWindow().fileLabel()->text(), opened ? name : QString("rejestr.db"));
        QCOMPARE(QAccessible::queryAccessibleInterface(f.mainWindow().fileLabel())
                     ->text(QAccessible::Name),
            "Otwarty plik: " + f.mainWindow().fileLabel()->text());
        QCOMPARE(notes.size(), qint64(14));
        QVERIFY(!QFile::exists(other.filePath("brak.db")));
        QVERIFY(f.mainWindow().close());
        QCOMPARE(f.readIni().readString("Plik", "Nazwa", {}),
            opened ? other.filePath(name) : QString("rejestr.db"));
    }

    void regenerateCompactsAndClearsTheEditor()
    {
        AppFixture f;
        f.makeRegister("rejestr.db", threeCases());
        f.rememberRegister("rejestr.db");
        f.start();
        f.dialogs.clear();
        f.mainWindow().regenerateRegister();
        QCOMPARE(
            f.dialogs.texts(), QStringList { "Plik bazowy  rejestr.db  został zregenerowany." });
        QCOMPARE(f.dialogs.shown.first().icon, MessageIcon::None);
        QCOMPARE(f.mainWindow().currentId(), std::int64_t(0));
        QCOMPARE(f.caseEditor().fieldText(EditorField::Nadawca), QString());
        QVERIFY(!f.caseEditor().isVisible());
        QCOMPARE(casesIn(f.path("rejestr.db")), 3);
    }

    void regenerateWithoutARegisterSaysSo()
    {
        AppFixture f;
        f.start();
        f.mainWindow().regenerateRegister();
        QCOMPARE(f.dialogs.shown.size(), 1);
        QCOMPARE(f.dialogs.shown.first().icon, MessageIcon::Error);
    }

    void sortCommandsReorderAndRenumberTheList_data()
    {
        QTest::addColumn<Command>("command");
        QTest::addColumn<int>("column");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<int>("startMode");
        QTest::addColumn<int>("clickedRow");
        QTest::addColumn<int>("followedRow");
        // Adam (ID 3), Beata (ID 2) and Cezary (ID 1) stand in a different order by each field.
        QTest::newRow("by date, Adam moves from 1 to 2")
            << &MainWindow::sortByDate << 2
            << QStringList { "2024.01.05", "2024.02.10", "2024.03.01" } << 3 << 1 << 2;
        QTest::newRow("by sender, Beata moves from 1 to 2")
            << &MainWindow::sortBySender << 3 << QStringList { "Adam", "Beata", "Cezary" } << 2 << 1
            << 2;
        QTest::newRow("by subject, Adam moves from 2 to 1")
            << &MainWindow::sortBySubject << 4 << QStringList { "odwołanie", "skarga", "wniosek" }
            << 2 << 2 << 1;
    }
    void sortCommandsReorderAndRenumberTheList()
    {
        QFETCH(Command, command);
        QFETCH(int, column);
        QFETCH(QStringList, expected);
        QFETCH(int, startMode);
        QFETCH(int, clickedRow);
        QFETCH(int, followedRow);
        AppFixture f;
        f.makeRegister("rejestr.db",
            { listCase("2024.03.01", "Cezary", "wniosek"),
                listCase("2024.01.05", "Beata", "skarga"),
                listCase("2024.02.10", "Adam", "odwołanie") });
        f.rememberRegister("rejestr.db", startMode);
        f.start();
        f.clickRow(clickedRow);
        const QString currentId = f.mainWindow().idEdit()->text();

        (f.mainWindow().*command)();

        QCOMPARE(f.column(column), expected);
        QCOMPARE(f.column(0), (QStringList { "1", "2", "3" }));
        QCOMPARE(f.mainWindow().sortMode(), column);
        QCOMPARE(f.mainWindow().caseGrid()->sortColumn(), column);
        QCOMPARE(f.mainWindow().caseGrid()->sortDirection(), grid::sdAscending);
        // The current case is carried to its place in the new order, which the reload keeps.
        QCOMPARE(f.mainWindow().caseGrid()->row(), followedRow);
        QCOMPARE(f.mainWindow().currentListRow(), followedRow);
        QCOMPARE(f.mainWindow().idEdit()->text(), currentId);
        QVERIFY(f.dialogs.shown.isEmpty());
    }

    void sortingWithNoRegisterOpenDoesNothing_data()
    {
        QTest::addColumn<Command>("command");
        QTest::newRow("by date") << &MainWindow::sortByDate;
        QTest::newRow("by sender") << &MainWindow::sortBySender;
        QTest::newRow("by subject") << &MainWindow::sortBySubject;
    }
    void sortingWithNoRegisterOpenDoesNothing()
    {
        QFETCH(Command, command);
        AppFixture f;
        f.start();
        (f.mainWindow().*command)();
        QCOMPARE(f.dialogs.texts(), QStringList());
    }

    void settingsNamingAFileOutsideThatIsNoRegisterLeaveItAlone()
    {
        AppFixture f;
        QTemporaryDir etc;
        const QString passwd = etc.filePath("passwd");
        const QByteArray lines = "root:x:0:0:root:/root:/bin/bash\n";
        {
            QFile file(passwd);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(lines) == lines.size());
        }
        f.rememberRegister(QDir(f.folder()).relativeFilePath(passwd));
        f.start();
        QCOMPARE(f.dialogs.texts(),
            QStringList { "Błąd podczas odczytu bazy danych!\n"
                          "Ten plik nie jest rejestrem programu Kolvar." });
        QFile file(passwd);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), lines);
        QCOMPARE(QDir(etc.path()).entryList(QDir::Files | QDir::Hidden), QStringList { "passwd" });
    }
};

QTEST_MAIN(TestDatabaseCommands)
#include "tst_databasecommands.moc"

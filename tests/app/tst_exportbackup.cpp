#include "AppFixture.h"

#include "CaseEditor.h"
#include "MainWindow.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

using namespace kolvar;
using namespace kolvar::test;
using storage::CaseRecord;

namespace {

using Command = void (MainWindow::*)();

// Cells of an RFC 4180 text, line by line; a bare line feed ends a line too.
QList<QStringList> parseCsv(const QString& text, QChar separator = u';')
{
    QList<QStringList> rows { {} };
    QString field;
    bool quoted = false;
    const auto next = [&](qsizetype i) { return i + 1 < text.size() ? text.at(i + 1) : QChar(); };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (quoted && c == '"' && next(i) == '"')
            field += text.at(++i);
        else if (c == '"')
            quoted = !quoted;
        else if (!quoted && c == separator)
            rows.last() << std::exchange(field, {});
        else if (!quoted && (c == '\n' || (c == '\r' && next(i) == '\n'))) {
            rows.last() << std::exchange(field, {});
            rows.append(QStringList {});
            i += c == '\r' ? 1 : 0;
        } else
            field += c;
    }
    rows.removeLast();
    return rows;
}

QList<QStringList> casesOf(const QString& path)
{
    return RegisterFile(path).rows("SELECT * FROM kolvar ORDER BY ID");
}

CaseRecord fullCase()
{
    CaseRecord c = listCase("2024.04.02", "Urząd \"Gminy\", Łódź", "zażółć gęślą jaźń");
    c.tryb = "pilny";
    c.odpowiedz = "pisemna";
    c.szczegoly = "pierwsza linia\r\ndruga, z przecinkiem";
    c.adnotacje = "ŹŻĆŃĄŚŁĘÓ";
    return c;
}

QStringList filesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

} // namespace

Q_DECLARE_METATYPE(Command)

class TestExportBackup : public QObject
{
    Q_OBJECT
private slots:
    void exportHoldsEveryCaseInListOrderReadableBySpreadsheets_data()
    {
        QTest::addColumn<int>("fileType");
        QTest::addColumn<QChar>("separator");
        QTest::newRow("semicolons, the type offered first") << 0 << QChar(u';');
        QTest::newRow("commas, chosen as the type") << 1 << QChar(u',');
        QTest::newRow("any file, semicolons") << 2 << QChar(u';');
    }
    void exportHoldsEveryCaseInListOrderReadableBySpreadsheets()
    {
        QFETCH(int, fileType);
        QFETCH(QChar, separator);
        AppFixture f;
        f.makeRegister("rejestr.db", threeCases() << fullCase());
        f.rememberRegister("rejestr.db", 2);
        f.start();
        const QString csv = f.path("eksport.csv");
        f.dialogs.files.push_back(csv);
        f.dialogs.fileTypes.push_back(fileType);
        f.mainWindow().exportToCsv();
        QCOMPARE(f.dialogs.shown.first().file.fileName, QString("rejestr.csv"));
        QCOMPARE(f.dialogs.shown.first().file.filter,
            QString("Pliki CSV rozdzielane średnikami (*.csv)|*.csv|"
                    "Pliki CSV rozdzielane przecinkami (*.csv)|*.csv|Dowolne pliki (*.*)|*.*"));
        QCOMPARE(f.dialogs.texts().last(), "Zapisano plik\n" + csv + "\nRekordów: 4");

        QFile file(csv);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));
        QList<QStringList> expected { { "ID", "Termin", "Nadawca", "Dotyczy", "Tryb", "Odpowiedz",
                                          "Szczegoly", "Adnotacje" },
            { "2", "2024.01.05", "Adam", "skarga", "", "", "", "" },
            { "3", "2024.02.10", "Beata", "odwołanie", "", "", "", "" },
            { "1", "2024.03.01", "Cezary", "wniosek", "", "", "", "" },
            { "4", "2024.04.02", "Urząd \"Gminy\", Łódź", "zażółć gęślą jaźń", "pilny", "pisemna",
                "pierwsza linia\r\ndruga, z przecinkiem", "ŹŻĆŃĄŚŁĘÓ" } };
        QCOMPARE(parseCsv(QString::fromUtf8(bytes.mid(3)), separator), expected);

        const QString office = QStandardPaths::findExecutable("soffice");
        if (office.isEmpty())
            QSKIP("LibreOffice is not installed: the file was checked by reading it back only");
        // Calc reads every column as text and writes the cells back out as it shows them.
        QTemporaryDir out;
        const QString code = QString::number(separator.unicode());
        QCOMPARE(QProcess::execute(office,
                     { "--headless",
                         "--infilter=CSV:" + code + ",34,76,1,1/2/2/2/3/2/4/2/5/2/6/2/7/2/8/2",
                         "--convert-to", "csv:Text - txt - csv (StarCalc):44,34,76", "--outdir",
                         out.path(), csv }),
            0);
        QFile calc(out.filePath("eksport.csv"));
        QVERIFY(calc.open(QIODevice::ReadOnly));
        // Calc keeps a line break in a cell as a bare line feed.
        for (QStringList& row : expected)
            row.replaceInStrings("\r\n", "\n");
        QCOMPARE(parseCsv(QString::fromUtf8(calc.readAll()).replace("\r\n", "\n"), u','), expected);
    }

    void backupIsAWholeCopyOfTheOpenRegister()
    {
        AppFixture f;
        f.makeRegister("rejestr.db", threeCases() << fullCase());
        f.rememberRegister("rejestr.db");
        f.start();
        QTemporaryDir other;
        const QString copy = other.filePath("kopia.db");
        f.dialogs.files.push_back(copy);
        f.mainWindow().backUpRegister();
        QVERIFY(f.dialogs.shown.first().file.fileName.startsWith("rejestr-kopia-"));
        QCOMPARE(f.dialogs.texts().last(),
            "Kopia zapasowa bazy zapisana w pliku\n" + copy + "\nRekordów w kopii: 4");
        QCOMPARE(casesOf(copy), casesOf(f.path("rejestr.db")));
        QCOMPARE(filesIn(other.path()), QStringList { "kopia.db" });

        // Never over the register itself, by whatever name it is reached.
        QVERIFY(QFile::link(f.path("rejestr.db"), other.filePath("dowiazanie.db")));
        f.dialogs.files.push_back(other.filePath("dowiazanie.db"));
        f.mainWindow().backUpRegister();
        QVERIFY(f.dialogs.texts().last().endsWith("kopia nie może zastąpić otwartej bazy."));
        QCOMPARE(casesOf(f.path("rejestr.db")).size(), 4);
    }

    void bothRefuseOnlyWhileTheEditorHoldsUnsavedChanges_data()
    {
        QTest::addColumn<Command>("command");
        QTest::addColumn<QString>("message");
        const QString tail
            = " bez niezapisanych zmian w oknie Edycja i druk \n\r              Proszę "
              "uprzednio zapisz zmiany lub zamknij to okno. ";
        QTest::newRow("export") << &MainWindow::exportToCsv << "Eksportuję bazę tylko" + tail;
        QTest::newRow("backup") << &MainWindow::backUpRegister
                                << "Kopię zapasową robię tylko" + tail;
    }
    void bothRefuseOnlyWhileTheEditorHoldsUnsavedChanges()
    {
        QFETCH(Command, command);
        QFETCH(QString, message);
        AppFixture f;
        f.makeRegister("rejestr.db", threeCases());
        f.rememberRegister("rejestr.db");
        f.start();
        f.mainWindow().editCurrentCase();
        (f.mainWindow().*command)();
        QCOMPARE(f.dialogs.shown.first().kind, ScriptedDialogs::Shown::SaveFile);
        f.dialogs.clear();
        f.caseEditor().setRecordChanged(true);
        (f.mainWindow().*command)();
        QCOMPARE(f.dialogs.texts(), QStringList { message });
        QCOMPARE(f.dialogs.shown.size(), 1);
    }

    void failedWritesLeaveNothingUnderTheChosenName_data()
    {
        QTest::addColumn<Command>("command");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("readOnlyFolder");
        for (const bool readOnly : { true, false }) {
            const char* why = readOnly ? "read-only folder" : "file size limit";
            QTest::addRow("export, %s", why)
                << &MainWindow::exportToCsv << "Nie udało się zapisać pliku " << readOnly;
            QTest::addRow("backup, %s", why)
                << &MainWindow::backUpRegister << "Nie udało się zapisać kopii zapasowej "
                << readOnly;
        }
    }
    void failedWritesLeaveNothingUnderTheChosenName()
    {
        QFETCH(Command, command);
        QFETCH(QString, message);
        QFETCH(bool, readOnlyFolder);
        if (readOnlyFolder && geteuid() == 0)
            QSKIP("the administrator writes into read-only folders");
        AppFixture f;
        f.makeRegister("rejestr.db", QList<CaseRecord>(300, fullCase()));
        f.rememberRegister("rejestr.db");
        f.start();
        QTemporaryDir target;
        f.dialogs.files.push_back(target.filePath("wynik"));
        rlimit limit {};
        getrlimit(RLIMIT_FSIZE, &limit);
        const rlimit saved = limit;
        if (readOnlyFolder) {
            QFile::setPermissions(target.path(), QFile::ReadOwner | QFile::ExeOwner);
        } else {
            // Writes past 4 KiB fail as they do on a full disk.
            std::signal(SIGXFSZ, SIG_IGN);
            limit.rlim_cur = 4096;
            setrlimit(RLIMIT_FSIZE, &limit);
        }
        (f.mainWindow().*command)();
        setrlimit(RLIMIT_FSIZE, &saved);
        QFile::setPermissions(
            target.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY2(f.dialogs.texts().last().startsWith(message + target.filePath("wynik")),
            qPrintable(f.dialogs.texts().last()));
        QCOMPARE(f.dialogs.shown.last().icon, MessageIcon::Error);
        QCOMPARE(filesIn(target.path()), QStringList());
    }

    void neitherReplacesAFileWithoutAsking_data()
    {
        QTest::addColumn<Command>("command");
        QTest::addColumn<DialogButton>("answer");
        for (const DialogButton answer : { DialogButton::No, DialogButton::Yes }) {
            const char* said = answer == DialogButton::Yes ? "Tak" : "Nie";
            QTest::addRow("export over another file, %s", said)
                << &MainWindow::exportToCsv << answer;
            QTest::addRow("backup over the day's first backup, %s", said)
                << &MainWindow::backUpRegister << answer;
        }
    }

    void neitherReplacesAFileWithoutAsking()
    {
        QFETCH(Command, command);
        QFETCH(DialogButton, answer);
        AppFixture f;
        f.makeRegister("rejestr.db", threeCases());
        f.rememberRegister("rejestr.db");
        f.start();
        const bool backup = command == &MainWindow::backUpRegister;
        const QString target = f.path(backup ? "rejestr-kopia.db" : "arkusz.csv");
        if (backup) {
            f.dialogs.files.push_back(target);
            f.mainWindow().backUpRegister();
            f.mainWindow().editCurrentCase();
            f.mainWindow().addNewCase();
            f.dialogs.clear();
        } else {
            QFile sheet(target);
            QVERIFY(sheet.open(QIODevice::WriteOnly) && sheet.write("moje obliczenia\n") > 0);
        }
        const QByteArray before = [&] {
            QFile file(target);
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        }();

        f.dialogs.files.push_back(target);
        f.dialogs.answers.push_back(answer);
        (f.mainWindow().*command)();
        QCOMPARE(f.dialogs.shown.at(1).kind, ScriptedDialogs::Shown::Question);
        QCOMPARE(f.dialogs.texts().first(),
            "Plik " + target + " już istnieje.\nCzy chcesz go zastąpić?");
        QCOMPARE(f.dialogs.shown.at(1).buttons, QList({ DialogButton::Yes, DialogButton::No }));
        // Enter keeps the file, as a desktop program's replace question does.
        QCOMPARE(f.dialogs.shown.at(1).enterButton, DialogButton::No);
        QFile file(target);
        QVERIFY(file.open(QIODevice::ReadOnly));
        if (answer == DialogButton::No) {
            QCOMPARE(f.dialogs.texts().size(), 1);
            QCOMPARE(file.readAll(), before);
        } else {
            QCOMPARE(f.dialogs.texts().size(), 2);
            QVERIFY(file.readAll() != before);
            if (backup)
                QCOMPARE(casesOf(target).size(), 4);
        }
    }

    void exportRefusesTheOpenRegisterByAnyName_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("its own name") << "name";
        QTest::newRow("a link") << "link";
        QTest::newRow("a hard link") << "hard link";
        QTest::newRow("a way through ..") << "..";
    }
    void exportRefusesTheOpenRegisterByAnyName()
    {
        QFETCH(QString, how);
        AppFixture f;
        f.makeRegister("rejestr.db", threeCases());
        f.rememberRegister("rejestr.db");
        f.start();
        QTemporaryDir other;
        const QString registerPath = f.path("rejestr.db");
        QString chosen = registerPath;
        if (how == "link") {
            chosen = other.filePath("rejestr.csv");
            QVERIFY(QFile::link(registerPath, chosen));
        } else if (how == "hard link") {
            chosen = other.filePath("rejestr.csv");
            QCOMPARE(::link(QFile::encodeName(registerPath).constData(),
                         QFile::encodeName(chosen).constData()),
                0);
        } else if (how == "..") {
            chosen = other.path() + "/.." + f.path("rejestr.db").mid(QDir::tempPath().size());
        }
        f.dialogs.files.push_back(chosen);
        f.dialogs.answers.push_back(DialogButton::Yes);
        f.mainWindow().exportToCsv();
        QCOMPARE(f.dialogs.texts(),
            QStringList { "Nie udało się zapisać pliku " + chosen
                + ": eksport nie może zastąpić otwartej bazy." });
        QCOMPARE(f.dialogs.shown.last().icon, MessageIcon::Error);
        QCOMPARE(casesOf(registerPath).size(), 3);
    }
};

QTEST_MAIN(TestExportBackup)
#include "tst_exportbackup.moc"

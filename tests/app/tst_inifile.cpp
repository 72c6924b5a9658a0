#include "IniFile.h"
#include "SettingsFile.h"
#include "SmallDisk.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QTemporaryDir>
#include <QtTest>

#include <climits>

#include <sys/stat.h>

using namespace kolvar;

namespace {

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// Two screens side by side, the primary one first.
const QList<QRect> Desktop { QRect(0, 0, 1600, 1000), QRect(1600, 0, 1280, 1024) };

} // namespace

class TestIniFile : public QObject
{
    Q_OBJECT
private slots:
    void findsSectionsAndKeysWhateverTheirCase_data()
    {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::newRow("as written") << "Form1"
                                    << "Left";
        QTest::newRow("upper case") << "FORM1"
                                    << "LEFT";
        QTest::newRow("lower case") << "form1"
                                    << "left";
        QTest::newRow("blanks around the names") << " Form1 "
                                                 << " Left ";
    }
    void findsSectionsAndKeysWhateverTheirCase()
    {
        QFETCH(QString, section);
        QFETCH(QString, key);
        const IniFile ini = IniFile::fromText("[form1]\r\n  LEFT = 17 \r\n");
        QCOMPARE(ini.readInteger(section, key, -1), 17);
        QVERIFY(ini.hasKey(section, key));
    }

    void readsIntegersAsTheWindowsProfileFunctionDoes_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("expected");
        QTest::newRow("plain") << "12" << 12;
        QTest::newRow("system colour, negative") << "-2147483643" << -2147483643;
        QTest::newRow("plus sign") << "+7" << 7;
        QTest::newRow("blanks around") << "  5  " << 5;
        QTest::newRow("digits followed by text") << "12px" << -99;
        QTest::newRow("hexadecimal after 0x") << "0x10" << 16;
        QTest::newRow("hexadecimal after $, a system colour") << "$80000005" << -2147483643;
        QTest::newRow("hexadecimal all 32 bits") << "0XFFFFFFFF" << -1;
        QTest::newRow("negative hexadecimal") << "-$10" << -16;
        QTest::newRow("hexadecimal beyond 32 bits") << "0x100000000" << -99;
        QTest::newRow("hexadecimal letter after decimal digits") << "12ab" << -99;
        QTest::newRow("smallest 32-bit value") << "-2147483648" << INT_MIN;
        QTest::newRow("largest 32-bit value") << "2147483647" << INT_MAX;
        QTest::newRow("words are not a number") << "dużo" << -99;
        QTest::newRow("empty value") << "" << -99;
        QTest::newRow("sign without digits") << "-" << -99;
        QTest::newRow("blank between sign and digits") << "- 5" << -99;
        QTest::newRow("beyond 32 bits") << "2147483648" << -99;
        QTest::newRow("far beyond 32 bits") << "99999999999999999999" << -99;
    }
    void readsIntegersAsTheWindowsProfileFunctionDoes()
    {
        QFETCH(QString, value);
        QFETCH(int, expected);
        const IniFile ini = IniFile::fromText("[Kolumny]\nTermin=" + value + "\n");
        QCOMPARE(ini.readInteger("Kolumny", "Termin", -99), expected);
    }

    void missingSectionOrKeyGivesTheDefault()
    {
        const IniFile ini = IniFile::fromText("[Plik]\nNazwa=rejestr.db\n; Sort=2\n");
        QCOMPARE(ini.readInteger("Plik", "Sort", 3), 3);
        QCOMPARE(ini.readString("Fonty", "Nazwa", "Arial"), QString("Arial"));
        QCOMPARE(ini.readString("Plik", "Nazwa", "x"), QString("rejestr.db"));
    }

    void valuesSurviveAWriteAndReadExactly_data()
    {
        QTest::addColumn<QString>("value");
        QTest::newRow("plain name") << "rejestr.db";
        QTest::newRow("path with blanks") << "/home/ala/Moje rejestry/2024.db";
        QTest::newRow("blanks at both ends") << "  spacja.db ";
        QTest::newRow("enclosed in quotes") << "\"cytat\"";
        QTest::newRow("equals sign inside") << "a=b.db";
        QTest::newRow("empty") << "";
    }
    void valuesSurviveAWriteAndReadExactly()
    {
        QFETCH(QString, value);
        IniFile ini;
        ini.writeString("Plik", "Nazwa", value);
        QCOMPARE(IniFile::fromText(ini.toText()).readString("Plik", "Nazwa", "?"), value);
    }

    void rewriteKeepsWhatTheProgramDoesNotKnow()
    {
        const QString original = "; ustawienia Kolvara\r\n"
                                 "[Form1]\r\n"
                                 "Left=1\r\n"
                                 "Moje=cos\r\n"
                                 "\r\n"
                                 "[Drukarka]\r\n"
                                 "Nazwa=HP\r\n";
        IniFile ini = IniFile::fromText(original);
        ini.writeInteger("FORM1", "left", 429);
        ini.writeInteger("Form1", "WysRow", 22);
        ini.writeString("Plik", "Nazwa", "rejestr.db");
        QCOMPARE(ini.toText(),
            QString("; ustawienia Kolvara\r\n"
                    "[Form1]\r\n"
                    "left=429\r\n"
                    "Moje=cos\r\n"
                    "WysRow=22\r\n"
                    "\r\n"
                    "[Drukarka]\r\n"
                    "Nazwa=HP\r\n"
                    "[Plik]\r\n"
                    "Nazwa=rejestr.db\r\n"));
    }

    void keepsLineFeedEndsOfAnExistingFile()
    {
        IniFile ini = IniFile::fromText("[Plik]\nNazwa=a.db\n");
        ini.writeInteger("Plik", "Sort", 2);
        QCOMPARE(ini.toText(), QString("[Plik]\nNazwa=a.db\nSort=2\n"));
    }

    void savesInWindows1250AndReadsItBack()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("kolvar.ini");
        IniFile ini;
        ini.writeString("Plik", "Nazwa", "Żółć.db");
        ini.save(path);
        QCOMPARE(fileBytes(path), QByteArray("[Plik]\r\nNazwa=\xAF\xF3\xB3\xE6.db\r\n"));
        const auto loaded = IniFile::load(path);
        QVERIFY(loaded);
        QCOMPARE(loaded->readString("Plik", "Nazwa", {}), QString("Żółć.db"));
    }

    void readsAFileWrittenByTheWindowsProgram()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("kolvar.ini");
        writeBytes(path, "[Plik]\r\nNazwa=\x9Cledztwa \xB9\xE6.db\r\nSort=4\r\n");
        const auto loaded = IniFile::load(path);
        QVERIFY(loaded);
        QCOMPARE(loaded->readString("Plik", "Nazwa", {}), QString("śledztwa ąć.db"));
        QCOMPARE(loaded->readInteger("Plik", "Sort", 3), 4);
    }

    void textOutsideTheCodePageMakesAUtf8File()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("kolvar.ini");
        IniFile ini;
        ini.writeString("Plik", "Nazwa", "/home/Юрий/реестр.db");
        ini.save(path);
        QVERIFY(fileBytes(path).startsWith("\xEF\xBB\xBF[Plik]"));
        QCOMPARE(
            IniFile::load(path)->readString("Plik", "Nazwa", {}), QString("/home/Юрий/реестр.db"));
    }

    void loadOfAMissingFileGivesNothing()
    {
        QTemporaryDir dir;
        QVERIFY(!IniFile::load(dir.filePath("kolvar.ini")));
    }

    void readsOnlyARegularFileOfSettingsSize_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");
        const QString notAFile = "nie jest plikiem ustawień, lecz folderem lub urządzeniem";
        QTest::newRow("a folder") << "folder" << notAFile;
        QTest::newRow("a FIFO nobody writes to") << "fifo" << notAFile;
        QTest::newRow("a link to /dev/zero") << "zero" << notAFile;
        QTest::newRow("a file of 5 MB")
            << "large"
            << "ma ponad 4 MB, a plik ustawień programu Kolvar mieści się w kilku kilobajtach";
    }
    void readsOnlyARegularFileOfSettingsSize()
    {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        const QString path = dir.filePath("kolvar.ini");
        if (kind == "folder") {
            QVERIFY(QDir(dir.path()).mkdir("kolvar.ini"));
        } else if (kind == "fifo") {
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        } else if (kind == "zero") {
            QVERIFY(QFile::link("/dev/zero", path));
        } else {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            QVERIFY(f.resize(5 * 1024 * 1024));
        }
        try {
            (void)IniFile::load(path);
            QFAIL("the settings were read");
        } catch (const IniFileError& e) {
            QCOMPARE(e.message(), "Nie mogę odczytać pliku ustawień " + path + ": " + reason + '.');
        }
    }

    void failedSaveThrowsAndLeavesNoFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("brak-folderu/kolvar.ini");
        IniFile ini;
        ini.writeInteger("Plik", "Sort", 2);
        QVERIFY_THROWS_EXCEPTION(IniFileError, ini.save(path));
        QVERIFY(!QFile::exists(path));
    }

    void fullDiskKeepsTheOldFileAndSaysSo_data()
    {
        QTest::addColumn<int>("length");
        QTest::newRow("new file smaller than the write buffer") << 100;
        QTest::newRow("new file larger than the write buffer") << 100000;
    }
    void fullDiskKeepsTheOldFileAndSaysSo()
    {
        QFETCH(int, length);
        test::SmallDisk disk;
        if (!disk.mounted())
            QSKIP("a full disk is made by mounting a small file system, which needs root");
        const QByteArray old = "[Plik]\r\nNazwa=rejestr.db\r\n";
        writeBytes(disk.path("kolvar.ini"), old);
        disk.fill();
        IniFile ini;
        ini.writeString("Plik", "Nazwa", QString(length, u'x'));
        try {
            ini.save(disk.path("kolvar.ini"));
            QFAIL("a save onto a full disk reported success");
        } catch (const IniFileError& e) {
            QVERIFY2(e.message().startsWith("Ustawienia nie zostały zapisane.\n"),
                qPrintable(e.message()));
        }
        QCOMPARE(fileBytes(disk.path("kolvar.ini")), old);
        QCOMPARE(
            QDir(disk.path()).entryList(QDir::Files), QStringList({ "kolvar.ini", "wypelniacz" }));
    }
};

class TestSettingsFile : public QObject
{
    Q_OBJECT
private slots:
    void newFileHoldsAll24KeysInSixSections()
    {
        IniFile ini;
        SettingsFile::write(ini, AppSettings {});
        QCOMPARE(ini.toText(),
            QString("[Form1]\r\nLeft=429\r\nTop=551\r\nWidth=688\r\nHeight=309\r\nWysRow=22\r\n"
                    "[Form2]\r\nLeft=10\r\nTop=10\r\nWidth=602\r\nHeight=673\r\n"
                    "[Kolor]\r\nPlanszy=12632256\r\nOkien=-2147483643\r\nFontOpisu=0\r\n"
                    "FontFormy=0\r\nFixedColor=12632256\r\n"
                    "[Fonty]\r\nASize=10\r\nNazwa=Arial\r\nSize=10\r\nKolor=-2147483640\r\n"
                    "FontStyle=1\r\n"
                    "[Plik]\r\nNazwa=brak\r\nSort=3\r\n"
                    "[Kolumny]\r\nTermin=86\r\nNadawca=166\r\nDotyczy=520\r\n"));
    }

    void missingKeysTakeTheirOwnDefaultsNotTheDesignValues()
    {
        AppSettings current;
        current.mainBounds = QRect(5, 6, 700, 400);
        const IniFile ini = IniFile::fromText("[Plik]\r\nNazwa=rejestr.db\r\n");
        const AppSettings s = SettingsFile::read(ini, current, Desktop);
        QCOMPARE(s.mainBounds, QRect(5, 6, 700, 400));
        QCOMPARE(s.databaseName, QString("rejestr.db"));
        QCOMPARE(s.terminWidth, 76);
        QCOMPARE(s.nadawcaWidth, 156);
        QCOMPARE(s.dotyczyWidth, 480);
        QCOMPARE(s.editorWidth, QString("454"));
        QCOMPARE(s.editorHeight, QString("714"));
        QCOMPARE(s.listFontName, QString("Arial"));
        QCOMPARE(s.listFontSize, 10);
        QCOMPARE(s.listFontStyle, 0);
        QCOMPARE(s.listFontColor, colors::Black);
        QCOMPARE(s.fixedColor, colors::BtnFace);
        QCOMPARE(s.sortMode, 3);
        QCOMPARE(s.rowHeight, 22);
    }

    void valueThatIsNoIntegerReadsAsTheKeysDefault()
    {
        const IniFile ini = IniFile::fromText("[Kolumny]\nNadawca=szeroka\n[Plik]\nSort=?\n");
        const AppSettings s = SettingsFile::read(ini, AppSettings {}, Desktop);
        QCOMPARE(s.nadawcaWidth, 156);
        QCOMPARE(s.sortMode, 3);
    }

    void valuesAreBroughtWithinWhatTheyCanMean_data()
    {
        QTest::addColumn<QString>("entries");
        QTest::addColumn<QString>("expected");
        QTest::newRow("window right of every screen") << "[Form1]\nLeft=99999"
                                                      << "main 912 551 688 309";
        QTest::newRow("window on the second screen") << "[Form1]\nLeft=2000"
                                                     << "main 2000 551 688 309";
        QTest::newRow("window on a screen by a sliver") << "[Form1]\nLeft=-680"
                                                        << "main 0 551 688 309";
        QTest::newRow("sizes at the limits of int")
            << "[Form1]\nTop=-2147483648\nWidth=2147483647\nHeight=-5"
            << "main 0 0 1600 80";
        QTest::newRow("editor far left, too tall") << "[Form2]\nLeft=-100000\nHeight=5000"
                                                   << "editor 0 0 454 1024";
        QTest::newRow("font sizes") << "[Fonty]\nASize=0\nSize=1000\nFontStyle=-1"
                                    << "fonts 6 72 15";
        QTest::newRow("sort 0") << "[Plik]\nSort=0"
                                << "sort 3";
        QTest::newRow("sort 7") << "[Plik]\nSort=7"
                                << "sort 3";
        QTest::newRow("widths and row beyond int")
            << "[Kolumny]\nTermin=2147483647\nNadawca=-1\n[Form1]\nWysRow=2147483647"
            << "grid 1600 0 480 1024";
    }
    void valuesAreBroughtWithinWhatTheyCanMean()
    {
        QFETCH(QString, entries);
        QFETCH(QString, expected);
        const AppSettings s
            = SettingsFile::read(IniFile::fromText(entries), AppSettings {}, Desktop);
        const auto numbers = [](std::initializer_list<int> values) {
            QStringList texts;
            for (const int v : values)
                texts << QString::number(v);
            return texts.join(' ') + '|';
        };
        const QRect m = s.mainBounds;
        const QString shown = "main " + numbers({ m.x(), m.y(), m.width(), m.height() }) + "editor "
            + numbers({ s.editorLeft.toInt(), s.editorTop.toInt(), s.editorWidth.toInt(),
                s.editorHeight.toInt() })
            + "fonts " + numbers({ s.editFontSize, s.listFontSize, s.listFontStyle }) + "sort "
            + numbers({ s.sortMode }) + "grid "
            + numbers({ s.terminWidth, s.nadawcaWidth, s.dotyczyWidth, s.rowHeight });
        QVERIFY2(shown.contains(expected + '|'), qPrintable(shown));
    }

    void settingsAreReadFromThePresetUntilTheUserHasAFile()
    {
        QTemporaryDir program;
        QTemporaryDir user;
        const auto where = SettingsFile::folders(program.path(), false, user.path());
        writeBytes(program.filePath("kolvar.ini"), "[Plik]\r\nSort=2\r\n");
        QCOMPARE(SettingsFile::readPath(where), program.filePath("kolvar.ini"));
        writeBytes(user.filePath("kolvar.ini"), "[Plik]\r\nSort=4\r\n");
        QCOMPARE(SettingsFile::readPath(where), user.filePath("kolvar.ini"));
        QCOMPARE(SettingsFile::writePath(where), user.filePath("kolvar.ini"));
        QCOMPARE(SettingsFile::readPath(SettingsFile::folders(program.path(), true, user.path())),
            program.filePath("kolvar.ini"));
    }

    void everySettingSurvivesAWriteAndRead()
    {
        AppSettings s;
        s.mainBounds = QRect(-20, 30, 900, 500);
        s.editorLeft = "-3";
        s.editorTop = "44";
        s.editorWidth = "610";
        s.editorHeight = "700";
        s.panelColor = 0x123456;
        s.editBoxColor = colors::BtnFace;
        s.labelFontColor = colors::Navy;
        s.editFontColor = colors::Red;
        s.fixedColor = colors::Aqua;
        s.editFontSize = 14;
        s.databaseName = "/tmp/inny folder/rejestr.db";
        s.sortMode = 4;
        s.listFontName = "DejaVu Sans";
        s.listFontSize = 12;
        s.listFontColor = colors::Maroon;
        s.listFontStyle = 2 | 8;
        s.terminWidth = 90;
        s.nadawcaWidth = 200;
        s.dotyczyWidth = 333;
        s.rowHeight = 30;
        IniFile ini;
        SettingsFile::write(ini, s);
        QCOMPARE(SettingsFile::read(IniFile::fromText(ini.toText()), AppSettings {}, Desktop), s);
    }

    void settingsGoOnlyIntoASettingsFile_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("refusal");
        const QByteArray passwd = "root:x:0:0:root:/root:/bin/bash\n"
                                  "daemon:x:1:1:daemon:/usr/sbin:/usr/sbin/nologin\n";
        QTest::newRow("a link to another file")
            << "link" << passwd << "jest dowiązaniem do pliku %1, a nie plikiem ustawień";
        QTest::newRow("a link to a settings file")
            << "link" << QByteArray("[Plik]\r\nSort=2\r\n")
            << "jest dowiązaniem do pliku %1, a nie plikiem ustawień";
        QTest::newRow("a folder") << "folder" << QByteArray()
                                  << "nie jest plikiem ustawień, lecz folderem lub urządzeniem";
        QTest::newRow("a file of other text")
            << "file" << passwd
            << "nie jest plikiem ustawień programu Kolvar (nie ma w nim żadnej z jego sekcji) i "
               "został pozostawiony bez zmian";
        QTest::newRow("an empty file") << "file" << QByteArray() << QString();
        QTest::newRow("a file of 5 MB")
            << "large" << QByteArray()
            << "ma ponad 4 MB, a plik ustawień programu Kolvar mieści się w kilku kilobajtach i "
               "został pozostawiony bez zmian";
        QTest::newRow("blank lines only") << "file" << QByteArray("\r\n\r\n") << QString();
        QTest::newRow("one of our sections among others")
            << "file" << QByteArray("[Inny]\r\na=1\r\n[kolumny]\r\nTermin=5\r\n") << QString();
    }
    void settingsGoOnlyIntoASettingsFile()
    {
        QFETCH(QString, kind);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, refusal);
        QTemporaryDir dir;
        const QString ini = dir.filePath("kolvar.ini");
        const QString other = dir.filePath("inny.txt");
        if (kind == "link") {
            writeBytes(other, bytes);
            QVERIFY(QFile::link(other, ini));
        } else if (kind == "folder") {
            QVERIFY(QDir(dir.path()).mkdir("kolvar.ini"));
        } else if (kind == "large") {
            QFile f(ini);
            QVERIFY(f.open(QIODevice::WriteOnly));
            QVERIFY(f.resize(5 * 1024 * 1024));
        } else {
            writeBytes(ini, bytes);
        }
        AppSettings settings;
        settings.sortMode = 4;
        try {
            SettingsFile::save({ dir.path(), QString() }, settings);
            QVERIFY2(refusal.isEmpty(), "the settings were written");
            QCOMPARE(IniFile::load(ini)->readInteger("Plik", "Sort", 0), 4);
        } catch (const IniFileError& e) {
            QCOMPARE(e.message(),
                "Ustawienia nie zostały zapisane.\nPlik " + ini + ' ' + refusal.arg(other) + '.');
        }
        if (kind == "link")
            QCOMPARE(fileBytes(other), bytes);
        if (kind == "file" && !refusal.isEmpty())
            QCOMPARE(fileBytes(ini), bytes);
        if (kind == "large")
            QCOMPARE(fileBytes(ini), QByteArray(5 * 1024 * 1024, '\0'));
    }
};

int main(int argc, char* argv[])
{
    TestIniFile ini;
    TestSettingsFile settings;
    return QTest::qExec(&ini, argc, argv) | QTest::qExec(&settings, argc, argv);
}

#include "tst_inifile.moc"

#include "IniFile.h"
#include "SettingsFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <climits>

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
        QTest::newRow("digits followed by text") << "12px" << 12;
        QTest::newRow("hexadecimal reads its leading zero") << "0x10" << 0;
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

    void failedSaveThrowsAndLeavesNoFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("brak-folderu/kolvar.ini");
        IniFile ini;
        ini.writeInteger("Plik", "Sort", 2);
        QVERIFY_THROWS_EXCEPTION(IniFileError, ini.save(path));
        QVERIFY(!QFile::exists(path));
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
        const AppSettings s = SettingsFile::read(ini, current);
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
        const AppSettings s = SettingsFile::read(ini, AppSettings {});
        QCOMPARE(s.nadawcaWidth, 156);
        QCOMPARE(s.sortMode, 3);
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
        QCOMPARE(SettingsFile::read(IniFile::fromText(ini.toText()), AppSettings {}), s);
    }
};

int main(int argc, char* argv[])
{
    TestIniFile ini;
    TestSettingsFile settings;
    return QTest::qExec(&ini, argc, argv) | QTest::qExec(&settings, argc, argv);
}

#include "tst_inifile.moc"

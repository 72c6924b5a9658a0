#include "SettingsFile.h"

#include "IniFile.h"

namespace kolvar::SettingsFile {

namespace {
const QString Form1 = QStringLiteral("Form1");
const QString Form2 = QStringLiteral("Form2");
const QString Kolor = QStringLiteral("Kolor");
const QString Fonty = QStringLiteral("Fonty");
const QString Plik = QStringLiteral("Plik");
const QString Kolumny = QStringLiteral("Kolumny");
} // namespace

AppSettings read(const IniFile& ini, const AppSettings& current)
{
    AppSettings s = current;
    s.mainBounds.moveLeft(ini.readInteger(Form1, QStringLiteral("Left"), current.mainBounds.x()));
    s.mainBounds.moveTop(ini.readInteger(Form1, QStringLiteral("Top"), current.mainBounds.y()));
    s.mainBounds.setWidth(
        ini.readInteger(Form1, QStringLiteral("Width"), current.mainBounds.width()));
    s.mainBounds.setHeight(
        ini.readInteger(Form1, QStringLiteral("Height"), current.mainBounds.height()));

    s.editorLeft = QString::number(ini.readInteger(Form2, QStringLiteral("Left"), 10));
    s.editorTop = QString::number(ini.readInteger(Form2, QStringLiteral("Top"), 10));
    s.editorWidth = QString::number(ini.readInteger(Form2, QStringLiteral("Width"), 454));
    s.editorHeight = QString::number(ini.readInteger(Form2, QStringLiteral("Height"), 714));

    s.panelColor = ini.readInteger(Kolor, QStringLiteral("Planszy"), colors::Silver);
    s.editBoxColor = ini.readInteger(Kolor, QStringLiteral("Okien"), colors::Window);
    s.labelFontColor = ini.readInteger(Kolor, QStringLiteral("FontOpisu"), colors::Black);
    s.editFontColor = ini.readInteger(Kolor, QStringLiteral("FontFormy"), colors::Black);
    s.fixedColor = ini.readInteger(Kolor, QStringLiteral("FixedColor"), colors::BtnFace);
    s.editFontSize = ini.readInteger(Fonty, QStringLiteral("ASize"), 10);

    s.databaseName = ini.readString(Plik, QStringLiteral("Nazwa"), QString());
    s.sortMode = ini.readInteger(Plik, QStringLiteral("Sort"), 3);

    s.listFontName = ini.readString(Fonty, QStringLiteral("Nazwa"), QStringLiteral("Arial"));
    s.listFontSize = ini.readInteger(Fonty, QStringLiteral("Size"), 10);
    s.listFontColor = ini.readInteger(Fonty, QStringLiteral("Kolor"), colors::Black);
    s.listFontStyle = ini.readInteger(Fonty, QStringLiteral("FontStyle"), 0);

    s.terminWidth = ini.readInteger(Kolumny, QStringLiteral("Termin"), 76);
    s.nadawcaWidth = ini.readInteger(Kolumny, QStringLiteral("Nadawca"), 156);
    s.dotyczyWidth = ini.readInteger(Kolumny, QStringLiteral("Dotyczy"), 480);
    s.rowHeight = ini.readInteger(Form1, QStringLiteral("WysRow"), 22);
    return s;
}

void write(IniFile& ini, const AppSettings& s)
{
    ini.writeInteger(Form1, QStringLiteral("Left"), s.mainBounds.x());
    ini.writeInteger(Form1, QStringLiteral("Top"), s.mainBounds.y());
    ini.writeInteger(Form1, QStringLiteral("Width"), s.mainBounds.width());
    ini.writeInteger(Form1, QStringLiteral("Height"), s.mainBounds.height());

    // The labels only ever hold integers the program wrote; anything else is taken as 0 rather
    // than leaving the file half-written.
    ini.writeInteger(Form2, QStringLiteral("Left"), s.editorLeft.toInt());
    ini.writeInteger(Form2, QStringLiteral("Top"), s.editorTop.toInt());
    ini.writeInteger(Form2, QStringLiteral("Width"), s.editorWidth.toInt());
    ini.writeInteger(Form2, QStringLiteral("Height"), s.editorHeight.toInt());

    ini.writeInteger(Kolor, QStringLiteral("Planszy"), s.panelColor);
    ini.writeInteger(Kolor, QStringLiteral("Okien"), s.editBoxColor);
    ini.writeInteger(Kolor, QStringLiteral("FontOpisu"), s.labelFontColor);
    ini.writeInteger(Kolor, QStringLiteral("FontFormy"), s.editFontColor);
    ini.writeInteger(Kolor, QStringLiteral("FixedColor"), s.fixedColor);
    ini.writeInteger(Fonty, QStringLiteral("ASize"), s.editFontSize);

    ini.writeString(Plik, QStringLiteral("Nazwa"), s.databaseName);
    ini.writeInteger(Plik, QStringLiteral("Sort"), s.sortMode);

    ini.writeString(Fonty, QStringLiteral("Nazwa"), s.listFontName);
    ini.writeInteger(Fonty, QStringLiteral("Size"), s.listFontSize);
    ini.writeInteger(Fonty, QStringLiteral("Kolor"), s.listFontColor);
    ini.writeInteger(Fonty, QStringLiteral("FontStyle"), s.listFontStyle);

    ini.writeInteger(Kolumny, QStringLiteral("Termin"), s.terminWidth);
    ini.writeInteger(Kolumny, QStringLiteral("Nadawca"), s.nadawcaWidth);
    ini.writeInteger(Kolumny, QStringLiteral("Dotyczy"), s.dotyczyWidth);
    ini.writeInteger(Form1, QStringLiteral("WysRow"), s.rowHeight);
}

} // namespace kolvar::SettingsFile

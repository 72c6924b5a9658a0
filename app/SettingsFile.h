#pragma once

#include "ColorValue.h"

#include <QList>
#include <QRect>
#include <QString>

namespace kolvar {

class IniFile;

// Everything kolvar.ini remembers from one run to the next, as the main window holds it.
struct AppSettings
{
    QRect mainBounds { 429, 551, 688, 309 };

    // The editor's bounds, kept as the texts of the main window's hidden labels.
    QString editorLeft = QStringLiteral("10");
    QString editorTop = QStringLiteral("10");
    QString editorWidth = QStringLiteral("602");
    QString editorHeight = QStringLiteral("673");

    ColorValue panelColor = colors::Silver;
    ColorValue editBoxColor = colors::Window;
    ColorValue labelFontColor = colors::Black;
    ColorValue editFontColor = colors::Black;
    ColorValue fixedColor = colors::Silver;
    int editFontSize = 10;

    // Bare for a register in the program folder, a full path for one elsewhere.
    QString databaseName = QStringLiteral("brak");
    int sortMode = 3;

    QString listFontName = QStringLiteral("Arial");
    int listFontSize = 10;
    ColorValue listFontColor = colors::WindowText;
    int listFontStyle = 1; // 1 bold, 2 italic, 4 underline, 8 strike-out

    int terminWidth = 86;
    int nadawcaWidth = 166;
    int dotyczyWidth = 520;
    int rowHeight = 22;

    friend bool operator==(const AppSettings&, const AppSettings&) = default;
};

namespace SettingsFile {

inline constexpr const char* FileName = "kolvar.ini";

// Where the program works: `work` holds kolvar.ini and the registers named by bare name. It is
// the program's own folder when that can be written, else the user's configuration folder; then
// the program's folder is the `preset`, whose kolvar.ini (an administrator's choice for every
// user) is read as long as the user has none of their own. The file is never written there.
struct Folders
{
    QString work;
    QString preset;
};
[[nodiscard]] Folders folders(
    const QString& programDir, bool programDirWritable, const QString& userConfigDir);

// The kolvar.ini to read: the work folder's, else the preset's when there is one.
[[nodiscard]] QString readPath(const Folders& where);
[[nodiscard]] QString writePath(const Folders& where);

// The settings an existing file gives. A key the file lacks takes its own default, which is not
// always the design value a run without any file keeps: columns 76/156/480, editor 454×714,
// plain font, button-face fixed colour. The main window keeps the bounds it has (current).
//
// Every value is brought within what it can mean on these screens (global coordinates, the
// primary one first): each window at least partly on one of them, sizes and widths no larger
// than the largest, font sizes 6 to 72 points, a sort order 2 to 4 (else the default). A file
// edited by hand, or written on a larger desktop, thus never puts a window out of reach or asks
// the list for sizes its arithmetic cannot hold.
[[nodiscard]] AppSettings read(
    const IniFile& ini, const AppSettings& current, const QList<QRect>& screens);

// Writes all 24 keys in the order the file has always had them.
void write(IniFile& ini, const AppSettings& settings);

// Writes the settings into the work folder's kolvar.ini, keeping every line of other programs and
// versions (and, for a user's first own file, what the preset held). A kolvar.ini that is no
// settings file is left as it is: a link (the settings would land in the file it points to), not
// a plain file, or a file with text but none of the program's sections. Throws IniFileError,
// whose message says the settings were not saved, and why.
void save(const Folders& where, const AppSettings& settings);

} // namespace SettingsFile

} // namespace kolvar

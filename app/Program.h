#pragma once

#include "SettingsFile.h"

#include <QIcon>
#include <QString>

#include <memory>

class QApplication;
class MainWindow;
class CaseEditor;
class FindDialog;
class CalendarWindow;
class HintsWindow;

namespace kolvar {

// The program's five windows. The main window is made and shown at start (it reads the settings
// and lists the register); the record editor, which takes its place and look from the main
// window, the find dialog, the calendar and the hints window are made the first time they are
// needed, so that a start waits only for what it shows. Destroyed in the reverse order.
class Program
{
public:
    // startRegister, when given, is opened instead of the remembered register, as "Otwórz bazę"
    // would open it; presetFolder: see MainWindow.
    explicit Program(const QString& programFolder, const QString& startRegister = {},
        const QString& presetFolder = {});
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // The windows other than the main one are made on first need, here or by the main window.
    [[nodiscard]] MainWindow& mainWindow() const { return *m_mainWindow; }
    [[nodiscard]] CaseEditor& caseEditor() const;
    [[nodiscard]] FindDialog& findDialog() const;
    [[nodiscard]] CalendarWindow& calendarWindow() const;
    [[nodiscard]] HintsWindow& hintsWindow() const;

private:
    QString m_programFolder;
    std::unique_ptr<MainWindow> m_mainWindow;
    mutable std::unique_ptr<CaseEditor> m_caseEditor;
    mutable std::unique_ptr<FindDialog> m_findDialog;
    mutable std::unique_ptr<CalendarWindow> m_calendarWindow;
    mutable std::unique_ptr<HintsWindow> m_hintsWindow;
};

// What an installed program ships beside itself to read only: <prefix>/share/kolvar for a program
// in <prefix>/bin. Empty when the program runs from its build folder.
[[nodiscard]] QString installedDataFolder();

// The folder that holds kolvar.ini and where registers are looked for: the program's own folder
// when it runs from there and can write to it, else the user's configuration folder (created when
// missing). An installed program never writes inside its prefix, even when run by an
// administrator who could. The program's own folder is then the preset folder, whose kolvar.ini
// is read while the user has none.
[[nodiscard]] SettingsFile::Folders programFolders();

// Where the file dialogs of "Nowa Baza" and "Otwórz bazę" start: the program folder, or for an
// installed program, whose program folder is a hidden configuration folder, the user's
// documents folder.
[[nodiscard]] QString registerFolder(const QString& programFolder);

// Where the hints file is read from: the program folder when the user put one there, else the
// one an installed program ships.
[[nodiscard]] QString hintsFolder(const QString& programFolder);

// On an installed program's first start (no kolvar.ini yet) the example register is copied to
// the user's documents folder, never over a file already there, and its path returned so that it
// opens. Empty otherwise, and when the copy cannot be made.
[[nodiscard]] QString exampleRegisterForFirstStart(const QString& programFolder);

// The program's own icon, drawn in resources/kolvar.xpm.
[[nodiscard]] QIcon programIcon();

// Makes the locale Polish where the session names no language, and loads Qt's own Polish texts.
void usePolishLocale(QApplication& app);

// The language, name and icon every window of the program has.
void prepareApplication(QApplication& app);

// Sets the title and icon, creates the windows and runs the message loop until the main window
// closes. The one optional argument is the path of a register to open, as a file manager passes
// it, or a server register's address; an option the program does not know ends it with code 2.
int runProgram(QApplication& app);

} // namespace kolvar

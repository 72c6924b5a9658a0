#include "Program.h"

#include "CalendarWindow.h"
#include "CaseEditor.h"
#include "ComboAccessible.h"
#include "CommandLine.h"
#include "FindDialog.h"
#include "FocusTelling.h"
#include "HintsWindow.h"
#include "MainWindow.h"
#include "ServerStore.h"
#include "SettingsFile.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QPixmap>
#include <QStandardPaths>
#include <QStringList>
#include <QTranslator>

namespace {
#include "kolvar.xpm"

const QString HintsFileName = QStringLiteral("Ruvarez.rtf");
const QString ExampleRegisterName = QStringLiteral("przyklad.db");
} // namespace

namespace kolvar {

Program::Program(
    const QString& programFolder, const QString& startRegister, const QString& presetFolder)
    : m_programFolder(programFolder)
    , m_mainWindow(std::make_unique<MainWindow>(programFolder, startRegister, presetFolder))
{
    m_mainWindow->attachEditor([this] {
        m_caseEditor = std::make_unique<CaseEditor>(*m_mainWindow);
        return m_caseEditor.get();
    });
    m_mainWindow->attachCalendar([this] {
        m_calendarWindow = std::make_unique<CalendarWindow>();
        return m_calendarWindow.get();
    });
}

Program::~Program()
{
    m_mainWindow->attachEditor({});
    m_mainWindow->attachCalendar({});
}

CaseEditor& Program::caseEditor() const
{
    return *m_mainWindow->editor();
}

FindDialog& Program::findDialog() const
{
    if (!m_findDialog)
        m_findDialog = std::make_unique<FindDialog>();
    return *m_findDialog;
}

CalendarWindow& Program::calendarWindow() const
{
    return *m_mainWindow->calendar();
}

HintsWindow& Program::hintsWindow() const
{
    if (!m_hintsWindow)
        m_hintsWindow = std::make_unique<HintsWindow>(hintsFolder(m_programFolder));
    return *m_hintsWindow;
}

QString installedDataFolder()
{
    const QDir data(
        QCoreApplication::applicationDirPath() + QStringLiteral("/" KOLVAR_DATA_FROM_BIN));
    return data.exists() ? data.absolutePath() : QString();
}

SettingsFile::Folders programFolders()
{
    const QString own = QCoreApplication::applicationDirPath();
    const QString config = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    const SettingsFile::Folders where = SettingsFile::folders(
        own, installedDataFolder().isEmpty() && QFileInfo(own).isWritable(), config);
    QDir().mkpath(where.work);
    return where;
}

QString registerFolder(const QString& programFolder)
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (installedDataFolder().isEmpty() || documents.isEmpty())
        return programFolder;
    return documents;
}

QString hintsFolder(const QString& programFolder)
{
    const QString data = installedDataFolder();
    if (data.isEmpty() || QFileInfo::exists(QDir(programFolder).filePath(HintsFileName)))
        return programFolder;
    return data;
}

QString exampleRegisterForFirstStart(const QString& programFolder)
{
    const QString data = installedDataFolder();
    const QString example = QDir(data).filePath(ExampleRegisterName);
    if (data.isEmpty() || !QFileInfo(example).isFile()
        || QFileInfo::exists(
            QDir(programFolder).filePath(QString::fromLatin1(SettingsFile::FileName))))
        return {};
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (documents.isEmpty() || !QDir().mkpath(documents))
        return {};
    const QString copy = QDir(documents).filePath(ExampleRegisterName);
    if (!QFileInfo::exists(copy)) {
        if (!QFile::copy(example, copy))
            return {};
        // The shipped file is read-only for users; the copy is the user's to change.
        QFile::setPermissions(
            copy, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    }
    return copy;
}

QIcon programIcon()
{
    return QIcon(QPixmap(kolvar_xpm));
}

void usePolishLocale(QApplication& app)
{
    // A desktop session without a language setting (LANG unset, the C locale) would give the date
    // entry a "/" separator and English dialogs; the program speaks Polish, so it falls back to
    // Polish then. A real user locale is kept: the date entry follows its separator.
    if (QLocale::system().language() == QLocale::C)
        QLocale::setDefault(QLocale(QLocale::Polish, QLocale::Poland));
    auto* translator = new QTranslator(&app);
    if (translator->load(QLocale(QLocale::Polish), QStringLiteral("qtbase"), QStringLiteral("_"),
            QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
}

void prepareApplication(QApplication& app)
{
    usePolishLocale(app);
    // Every line field, the dialogs' included, is heard when Tab reaches it, and every choice box
    // with its chosen item.
    tellFocusPlainly();
    installComboAccessible();
    QApplication::setApplicationName(QStringLiteral("Kolvar"));
    QApplication::setWindowIcon(programIcon());
    // Lets the desktop match the windows to the installed menu entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.kolvar.Kolvar"));
}

int runProgram(QApplication& app)
{
    // The toolkit has taken its own options by now; another option is no register to open.
    const QStringList arguments = QCoreApplication::arguments();
    if (const auto refusal = refuseUnknownOption(arguments))
        return deliver(*refusal);
    prepareApplication(app);
    const SettingsFile::Folders where = programFolders();
    // A server register is named by its connection URI, which is no path.
    const QString named = arguments.size() > 1 ? arguments.at(1) : QString();
    const QString startRegister = named.isEmpty() ? exampleRegisterForFirstStart(where.work)
        : storage::isServerUri(named)             ? named
                                                  : QFileInfo(named).absoluteFilePath();
    Program program(where.work, startRegister, where.preset);
    // Closing the main window ends the program even while the calendar is still open.
    QObject::connect(&program.mainWindow(), &MainWindow::windowClosed, &app, &QApplication::quit,
        Qt::QueuedConnection);
    program.mainWindow().show();
    return app.exec();
}

} // namespace kolvar

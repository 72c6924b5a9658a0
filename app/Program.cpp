#include "Program.h"

#include "CalBrows.h"
#include "Unit1.h"
#include "Unit2.h"
#include "asfind.h"
#include "help.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QPixmap>
#include <QStandardPaths>
#include <QTranslator>

namespace {
#include "kolvar.xpm"
} // namespace

namespace kolvar {

Program::Program(const QString& programFolder)
    : m_form1(std::make_unique<TForm1>(programFolder))
{
    m_form2 = std::make_unique<TForm2>(*m_form1);
    m_form1->attachEditor(m_form2.get());
    m_finddlg = std::make_unique<Tfinddlg>();
    m_calendarBrowser = std::make_unique<TCalendarBrowser>();
    m_form1->attachCalendar(m_calendarBrowser.get());
    m_fhelp = std::make_unique<TFhelp>(programFolder);
}

Program::~Program()
{
    m_form1->attachEditor(nullptr);
    m_form1->attachCalendar(nullptr);
}

QString programFolder()
{
    const QString own = QCoreApplication::applicationDirPath();
    if (QFileInfo(own).isWritable())
        return own;
    const QString config = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    QDir().mkpath(config);
    return config;
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

int runProgram(QApplication& app)
{
    usePolishLocale(app);
    QApplication::setApplicationName(QStringLiteral("Kolvar"));
    QApplication::setWindowIcon(programIcon());
    Program program(programFolder());
    // Closing the main window ends the program even while the calendar is still open.
    QObject::connect(
        &program.form1(), &TForm1::formClosed, &app, &QApplication::quit, Qt::QueuedConnection);
    program.form1().show();
    return app.exec();
}

} // namespace kolvar

#include "Program.h"

#include "CalBrows.h"
#include "PendingWindows.h"
#include "Unit1.h"
#include "Unit2.h"
#include "asfind.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QPixmap>
#include <QStandardPaths>

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
    m_fhelp = std::make_unique<TFhelp>();
}

Program::~Program()
{
    m_form1->attachEditor(nullptr);
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

int runProgram(QApplication& app)
{
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

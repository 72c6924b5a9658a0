#include "AppFixture.h"

#include "CaseEditor.h"
#include "MainWindow.h"
#include "SettingsFile.h"
#include "SortableGrid.h"

#include <QFile>

namespace kolvar::test {

storage::CaseRecord listCase(const QString& termin, const QString& nadawca, const QString& dotyczy)
{
    storage::CaseRecord c;
    c.termin = termin;
    c.nadawca = nadawca;
    c.dotyczy = dotyczy;
    return c;
}

QList<storage::CaseRecord> threeCases()
{
    return { listCase("2024.03.01", "Cezary", "wniosek"), listCase("2024.01.05", "Adam", "skarga"),
        listCase("2024.02.10", "Beata", "odwołanie") };
}

AppFixture::AppFixture() = default;

AppFixture::~AppFixture()
{
    m_program.reset();
}

void AppFixture::makeRegister(const QString& name, const QList<storage::CaseRecord>& cases) const
{
    makeRegisterFile(path(name), cases);
}

void AppFixture::writeIni(const QString& text) const
{
    IniFile::fromText(text).save(path(QStringLiteral("kolvar.ini")));
}

IniFile AppFixture::readIni() const
{
    return IniFile::load(path(QStringLiteral("kolvar.ini"))).value_or(IniFile {});
}

bool AppFixture::iniExists() const
{
    return QFile::exists(path(QStringLiteral("kolvar.ini")));
}

void AppFixture::rememberRegister(const QString& name, int sortMode) const
{
    AppSettings settings;
    settings.databaseName = name;
    settings.sortMode = sortMode;
    IniFile ini;
    SettingsFile::write(ini, settings);
    ini.save(path(QStringLiteral("kolvar.ini")));
}

void AppFixture::start(const QString& startRegister)
{
    m_program = std::make_unique<Program>(folder(), startRegister);
}

MainWindow& AppFixture::mainWindow() const
{
    return m_program->mainWindow();
}

CaseEditor& AppFixture::caseEditor() const
{
    return m_program->caseEditor();
}

QStringList AppFixture::column(int col) const
{
    QStringList texts;
    const grid::SortableGrid& g = *mainWindow().caseGrid();
    for (int row = 1; row < g.rowCount(); ++row)
        texts << g.cells(col, row);
    return texts;
}

void AppFixture::clickRow(int row) const
{
    mainWindow().caseGrid()->setRow(row);
    mainWindow().caseGridClicked();
}

} // namespace kolvar::test

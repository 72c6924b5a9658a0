#pragma once

#include "CaseStore.h"
#include "IniFile.h"
#include "Program.h"
#include "RegisterFile.h"
#include "ScriptedDialogs.h"

#include <QDir>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

class MainWindow;
class CaseEditor;

namespace kolvar::test {

// A case with only the list's three visible texts; the rest stays empty.
[[nodiscard]] storage::CaseRecord listCase(
    const QString& termin, const QString& nadawca, const QString& dotyczy);

// Three cases, stored Cezary (ID 1), Adam (ID 2), Beata (ID 3): listed by sender Adam, Beata,
// Cezary, by date Adam, Beata, Cezary too, by subject Beata, Adam, Cezary.
[[nodiscard]] QList<storage::CaseRecord> threeCases();

// A program folder of its own, the dialogs scripted, and the program started on demand.
class AppFixture
{
public:
    AppFixture();
    ~AppFixture();
    AppFixture(const AppFixture&) = delete;
    AppFixture& operator=(const AppFixture&) = delete;

    [[nodiscard]] QString folder() const { return m_dir.path(); }
    // A name relative to the folder, or a full path taken as it is.
    [[nodiscard]] QString path(const QString& name) const
    {
        return QDir(m_dir.path()).filePath(name);
    }

    // A register made the way the program makes one, holding these cases in this ID order.
    void makeRegister(const QString& name, const QList<storage::CaseRecord>& cases) const;
    void writeIni(const QString& text) const;
    [[nodiscard]] IniFile readIni() const;
    [[nodiscard]] bool iniExists() const;
    // kolvar.ini that opens the register of this name, everything else at the design values.
    void rememberRegister(const QString& name, int sortMode = 3) const;

    void start(const QString& startRegister = {});
    void stop() { m_program.reset(); }
    [[nodiscard]] Program& program() const { return *m_program; }
    [[nodiscard]] MainWindow& mainWindow() const;
    [[nodiscard]] CaseEditor& caseEditor() const;

    // The texts of a list column in row order, data rows only.
    [[nodiscard]] QStringList column(int col) const;
    // Makes a list row current as a click does.
    void clickRow(int row) const;

    ScriptedDialogs dialogs;

private:
    QTemporaryDir m_dir;
    std::unique_ptr<Program> m_program;
};

} // namespace kolvar::test

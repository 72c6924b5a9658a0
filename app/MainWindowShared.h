#pragma once

// What the main window's own files (MainWindow.cpp, MainWindowSettings.cpp, DatabaseCommands.cpp,
// RecordCommands.cpp) share: the few helpers and the command templates more than one of them uses.

#include "CaseList.h"
#include "CsvExport.h"
#include "IniFile.h"
#include "MainWindow.h"
#include "ServerStore.h"
#include "SortableGrid.h"
#include "StorageFailure.h"
#include "UserDialogs.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QString>

#include <stdexcept>

namespace kolvar::mainwindow {

inline constexpr int ListColumns = 8; // 0 .. 7 shown or hidden; the ninth text is kept beyond them

// A value shown after its caption is named by both, so a screen reader says "Rekordów: 150"
// rather than a bare number.
inline void showCaptioned(QLabel* value, const QLabel* caption, const QString& text)
{
    value->setText(text);
    value->setAccessibleName(caption->text() + QLatin1Char(' ') + text);
}

// A register in the program folder is remembered by its bare name, as the settings files of
// earlier versions hold it; one elsewhere by its full path.
inline QString rememberedName(const QString& path, const QString& programFolder)
{
    const QFileInfo file(path);
    if (QDir(file.absolutePath()) == QDir(programFolder))
        return file.fileName();
    return file.absoluteFilePath();
}

// Why a register file opens read-only: said when it is opened and when a write is refused.
inline QString readOnlyFileSentence(storage::WriteRefusal refusal)
{
    if (refusal == storage::WriteRefusal::FileNotWritable)
        return QStringLiteral(
            "Ten rejestr jest otwarty tylko do odczytu: pliku rejestru albo folderu, w którym "
            "leży, nie można zapisywać (na przykład dysk jest tylko do odczytu), a każdy zapis "
            "zmienia plik i tworzy obok niego plik pomocniczy.");
    return QStringLiteral(
        "Ten rejestr jest otwarty tylko do odczytu: jego kolumna ID nie jest kluczem wierszy "
        "(INTEGER PRIMARY KEY), jak w rejestrach, które tworzy Kolvar, więc dwa rekordy mogą mieć "
        "ten sam numer albo żadnego, a zapis mógłby zmienić nie ten rekord.");
}

// A failure of this window's own making, with a message for the user.
class CommandError : public std::runtime_error
{
public:
    explicit CommandError(const QString& message)
        : std::runtime_error(message.toStdString())
        , m_message(message)
    { }
    [[nodiscard]] const QString& message() const { return m_message; }

private:
    QString m_message;
};

} // namespace kolvar::mainwindow

template <typename Command> void MainWindow::guarded(Command&& command, const QString& refused)
{
    // Another desk's announcements wait for the command and every dialog it shows.
    const bool outermost = !m_commandRunning;
    m_commandRunning = true;
    try {
        command();
    } catch (const kolvar::storage::StoreError& e) {
        // A file register's sentence stands alone, its engine's text under "Szczegóły"; a
        // server's message still quotes the server.
        if (e.fromServer()) {
            kolvar::userDialogs().message(
                this, kolvar::storageFailureMessage(e, refused), kolvar::MessageIcon::Error);
        } else {
            const kolvar::FailureReport report = kolvar::fileFailureReport(e, refused);
            kolvar::userDialogs().messageWithDetails(
                this, report.text, report.details, kolvar::MessageIcon::Error);
        }
    } catch (const kolvar::IniFileError& e) {
        kolvar::userDialogs().message(this, e.message(), kolvar::MessageIcon::Error);
    } catch (const kolvar::CsvExportError& e) {
        kolvar::userDialogs().message(this, e.message(), kolvar::MessageIcon::Error);
    } catch (const kolvar::mainwindow::CommandError& e) {
        kolvar::userDialogs().message(this, e.message(), kolvar::MessageIcon::Error);
    } catch (const std::exception& e) {
        kolvar::userDialogs().message(
            this, QString::fromLocal8Bit(e.what()), kolvar::MessageIcon::Error);
    } catch (...) {
        kolvar::userDialogs().message(
            this, QStringLiteral("Nieznany błąd."), kolvar::MessageIcon::Error);
    }
    if (!outermost)
        return;
    m_commandRunning = false;
    afterCommand();
}

template <typename Change> void MainWindow::refreshList(Change&& change)
{
    // Where the list holds the register as a load left it, only the rows that change are
    // touched; anything else (another program's writes, rows the user dragged) takes a load.
    if (m_store && columnsAsLaidOut() && change(*m_caseList)) {
        kolvar::mainwindow::showCaptioned(
            m_countLabel, m_countCaptionLabel, QString::number(m_caseList->count()));
        m_countLabel->adjustSize();
        m_loadRow = m_caseList->count() + 1;
        updateRegenerateEnabled();
        m_caseGrid->invalidateGrid();
        caseGridClicked();
    } else {
        reloadList();
    }
}

template <typename Command>
void MainWindow::commandOnRegister(const QString& refusal, Command&& command)
{
    if (refusedWhileEditing(refusal))
        return;
    guarded(std::forward<Command>(command));
    updateRegenerateEnabled();
}

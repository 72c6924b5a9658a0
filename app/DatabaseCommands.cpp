#include "MainWindow.h"

#include "MainWindowShared.h"

#include "Announcer.h"
#include "CalendarWindow.h"
#include "CaseEditor.h"
#include "CsvExport.h"
#include "Program.h"
#include "RegisterBackup.h"
#include "ServerStore.h"
#include "SortableGrid.h"
#include "UserDialogs.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <array>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

using kolvar::EditorField;
using kolvar::MessageIcon;
using kolvar::userDialogs;
using kolvar::grid::SortableGrid;
namespace storage = kolvar::storage;
using namespace kolvar::mainwindow;

namespace {

const QString DatabaseFilter = QStringLiteral("Pliki bazowe (*.db)|*.db|Dowolne pliki (*.*)|*.*");

// Said once the list is in its new order: the list itself looks the same to a screen reader.
QString orderAnnouncement(int sortMode)
{
    switch (sortMode) {
    case 2:
        return QStringLiteral("Lista uporządkowana według terminu");
    case 3:
        return QStringLiteral("Lista uporządkowana według nadawcy");
    default:
        return QStringLiteral("Lista uporządkowana według tego, czego dotyczy");
    }
}

// What files made from the register are named after: the file's name, or the server's database.
QString baseNameOf(const QString& registerPath)
{
    if (const auto server = storage::ServerAddress::fromUri(registerPath))
        return server->database;
    return QFileInfo(registerPath).completeBaseName();
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Database file commands

void MainWindow::attachEditor(std::function<CaseEditor*()> make)
{
    m_makeEditor = std::move(make);
    if (!m_makeEditor)
        m_caseEditor = nullptr;
}

void MainWindow::attachCalendar(std::function<CalendarWindow*()> make)
{
    m_makeCalendar = std::move(make);
    if (!m_makeCalendar)
        m_calendar = nullptr;
}

CaseEditor* MainWindow::editor()
{
    if (!m_caseEditor && m_makeEditor) {
        m_caseEditor = m_makeEditor();
        updateEditorPosition();
    }
    return m_caseEditor;
}

CalendarWindow* MainWindow::calendar()
{
    if (!m_calendar && m_makeCalendar)
        m_calendar = m_makeCalendar();
    return m_calendar;
}

void MainWindow::updateEditorPosition()
{
    if (!m_caseEditor)
        return;
    // An open editor names the row of the case it shows: a single click only makes another row
    // current, and the case stays in the editor until it is asked for.
    const int shown = editorVisible() && m_currentId != 0 ? shownCaseRow() : 0;
    const QString row = shown > 0 ? QString::number(shown) : m_rowLabel->text();
    m_caseEditor->positionLabel()->setText(row + QStringLiteral(" z ") + m_countLabel->text());
}

int MainWindow::shownCaseRow()
{
    // Clicks seldom move the shown case: its row is looked at before the list is walked.
    const bool stillThere = m_shownCaseRow >= 1 && m_shownCaseRow < m_caseGrid->rowCount()
        && m_caseGrid->cells(1, m_shownCaseRow) == QString::number(m_currentId);
    if (!stillThere)
        m_shownCaseRow = m_caseList->rowOfCase(m_currentId);
    return m_shownCaseRow;
}

bool MainWindow::editorVisible() const
{
    return m_caseEditor && m_caseEditor->isVisible();
}

bool MainWindow::refusedWithUnsavedChanges(const QString& message)
{
    if (!editorVisible() || !m_caseEditor->recordChanged())
        return false;
    userDialogs().message(this, message);
    return true;
}

bool MainWindow::refusedWhileEditing(const QString& message, bool information)
{
    if (!editorVisible())
        return false;
    userDialogs().message(
        this, message, information ? MessageIcon::Information : MessageIcon::None);
    return true;
}

void MainWindow::useDatabaseFile(const QString& path)
{
    useRegister(rememberedName(path, m_programFolder), QFileInfo(path).fileName(),
        QFileInfo(path).absoluteFilePath());
}

void MainWindow::useRegister(
    const QString& remembered, const QString& shownName, const QString& location)
{
    m_databaseName = remembered;
    showCaptioned(m_fileLabel, m_fileCaptionLabel, shownName);
    m_fileLabel->adjustSize();
    m_databasePath = location;
    m_dateSeparator.reset();
    clearEditor();
    loadList();
}

void MainWindow::newRegister()
{
    commandOnRegister(
        QStringLiteral("Tworzę nowe bazy tylko przy zamkniętym oknie Edycja i druk \n\r"
                       "              Proszę uprzednio zamknij to okno. "),
        [this] { createDatabase(); });
}

void MainWindow::createDatabase()
{
    kolvar::FileDialogRequest request;
    request.caption = QStringLiteral("Nowa Baza");
    request.folder = kolvar::registerFolder(m_programFolder);
    request.fileName = QStringLiteral("zerowa.db");
    request.filter = DatabaseFilter;
    request.defaultSuffix = QStringLiteral("db3");
    const auto chosen = userDialogs().saveFile(this, request);
    if (!chosen)
        return;
    const QString path = QFileInfo(*chosen).absoluteFilePath();
    if (QFileInfo::exists(path)) {
        userDialogs().message(this,
            QStringLiteral("Plik taki już istnieje - proszę podaj inną nazwę!"),
            MessageIcon::Information);
    } else {
        const QString termin
            = m_caseEditor ? m_caseEditor->fieldText(EditorField::Termin) : QString();
        storage::CreateFileRegister(path, termin);
    }
    useDatabaseFile(path);
}

void MainWindow::openRegister()
{
    commandOnRegister(QStringLiteral("Otwieram bazy tylko przy zamkniętym oknie Edycja i druk \n\r"
                                     "              Proszę uprzednio zamknij to okno. "),
        [this] { openDatabase(); });
}

void MainWindow::openDatabase()
{
    kolvar::FileDialogRequest request;
    request.caption = QStringLiteral("Otwórz bazę");
    request.folder = kolvar::registerFolder(m_programFolder);
    request.fileName = m_lastOpenedFile;
    request.filter = DatabaseFilter;
    const auto chosen = userDialogs().openFile(this, request);
    if (!chosen)
        return;
    m_lastOpenedFile = *chosen;
    useDatabaseFile(*chosen);
}

void MainWindow::regenerateRegister()
{
    if (refusedWhileEditing(
            QStringLiteral("Bazy regeneruję tylko przy zamkniętym oknie Edycja i druk \n\r"
                           "              Proszę uprzednio zamknij to okno. ")))
        return;
    guarded([this] { regenerate(); }, QStringLiteral("Baza nie została zregenerowana."));
}

void MainWindow::regenerate()
{
    if (refusedReadOnly())
        return;
    const QString done = store().compact();
    clearEditor();
    userDialogs().message(this, done);
}

void MainWindow::exportToCsv()
{
    if (refusedWithUnsavedChanges(QStringLiteral(
            "Eksportuję bazę tylko bez niezapisanych zmian w oknie Edycja i druk \n\r"
            "              Proszę uprzednio zapisz zmiany lub zamknij to okno. ")))
        return;
    guarded([this] { exportCsv(); });
}

std::optional<kolvar::ChosenFile> MainWindow::chooseFileBesideRegister(
    kolvar::FileDialogRequest request, const QString& registerRefusal)
{
    // Nothing to read without an open register: store() says so.
    const QString registerFile = store().filePath();
    request.folder = registerFile.isEmpty() ? kolvar::registerFolder(m_programFolder)
                                            : QFileInfo(registerFile).absolutePath();
    const auto chosen = userDialogs().saveFileOfType(this, request);
    if (!chosen)
        return std::nullopt;
    // Compared as files, not names: a link, a hard link or ".." reach the register too.
    if (!registerFile.isEmpty() && storage::SameFile(chosen->path, registerFile))
        throw CommandError(registerRefusal.arg(QDir::toNativeSeparators(chosen->path)));
    if (!replaceConfirmed(chosen->path))
        return std::nullopt;
    return chosen;
}

bool MainWindow::replaceConfirmed(const QString& path)
{
    const QFileInfo file(path);
    if (!file.exists() && !file.isSymLink())
        return true;
    return userDialogs().ask(this,
               QStringLiteral("Plik %1 już istnieje.\nCzy chcesz go zastąpić?")
                   .arg(QDir::toNativeSeparators(path)),
               { kolvar::DialogButton::Yes, kolvar::DialogButton::No },
               kolvar::MessageIcon::Question, kolvar::DialogButton::No)
        == kolvar::DialogButton::Yes;
}

void MainWindow::exportCsv()
{
    kolvar::FileDialogRequest request;
    request.caption = QStringLiteral("Eksport do CSV");
    request.fileName = baseNameOf(m_databasePath) + QStringLiteral(".csv");
    // The type chosen sets the separator: semicolons for a Polish spreadsheet, whose decimal sign
    // is the comma, unless the user picks commas.
    request.filter = QStringLiteral("Pliki CSV rozdzielane średnikami (*.csv)|*.csv|"
                                    "Pliki CSV rozdzielane przecinkami (*.csv)|*.csv|"
                                    "Dowolne pliki (*.*)|*.*");
    request.defaultSuffix = QStringLiteral("csv");
    const auto chosen = chooseFileBesideRegister(request,
        QStringLiteral("Nie udało się zapisać pliku %1: eksport nie może zastąpić otwartej bazy."));
    if (!chosen)
        return;
    const char separator = chosen->type == 1 ? ',' : kolvar::CsvExport::DefaultSeparator;
    // The list writes what the register holds, also what another program wrote meanwhile.
    catchUp();
    // The eight fields in the order the list shows its columns, whatever the user moved; the
    // running number is the list's, not the register's. The last field lies beyond the columns.
    const SortableGrid& g = *m_caseGrid;
    std::vector<int> columns;
    for (int c = 0; c <= ListColumns; ++c) {
        if (g.cells(c, 0) != QLatin1String("Nr"))
            columns.push_back(c);
    }
    const int cases = std::min(m_caseList->count(), g.rowCount() - 1);
    kolvar::CsvExport::save(
        chosen->path, int(columns.size()), cases + 1,
        [&](int col, int row) {
            const QString text = g.cells(columns[std::size_t(col)], row);
            return row == 0 ? text.trimmed() : text;
        },
        separator);
    userDialogs().message(this,
        QStringLiteral("Zapisano plik\n%1\nRekordów: %2")
            .arg(QDir::toNativeSeparators(chosen->path))
            .arg(cases));
}

void MainWindow::backUpRegister()
{
    if (refusedWithUnsavedChanges(QStringLiteral(
            "Kopię zapasową robię tylko bez niezapisanych zmian w oknie Edycja i druk \n\r"
            "              Proszę uprzednio zapisz zmiany lub zamknij to okno. ")))
        return;
    guarded([this] { backUp(); });
}

void MainWindow::backUp()
{
    kolvar::FileDialogRequest request;
    request.caption = QStringLiteral("Kopia zapasowa");
    request.fileName = QStringLiteral("%1-kopia-%2.db")
                           .arg(baseNameOf(m_databasePath),
                               QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")));
    request.filter = DatabaseFilter;
    request.defaultSuffix = QStringLiteral("db");
    const auto chosen = chooseFileBesideRegister(request,
        QStringLiteral(
            "Nie udało się zapisać kopii zapasowej %1: kopia nie może zastąpić otwartej bazy."));
    if (!chosen)
        return;
    const std::int64_t cases = store().backUp(chosen->path);
    userDialogs().message(this,
        QStringLiteral("Kopia zapasowa bazy zapisana w pliku\n%1\nRekordów w kopii: %2")
            .arg(QDir::toNativeSeparators(chosen->path))
            .arg(cases));
}

void MainWindow::sortByDate()
{
    sortBy(2);
}

void MainWindow::sortBySender()
{
    sortBy(3);
}

void MainWindow::sortBySubject()
{
    sortBy(4);
}

void MainWindow::sortBy(int mode)
{
    if (refusedWhileEditing(QStringLiteral("Sortuję tylko przy zamkniętym oknie Edycja i druk \n\r"
                                           "           Proszę uprzednio zamknij to okno. "),
            true))
        return;
    if (!m_store)
        return; // nothing listed, nothing to order
    guarded([this, mode] {
        // The list already holds every case: ordering it anew needs no reading of the register.
        // The case the user was on stays current, at its new place.
        catchUp();
        const QString currentId = m_caseGrid->cells(1, m_caseGrid->row());
        const bool laidOut = m_store && columnsAsLaidOut();
        m_sortMode = mode;
        if (laidOut && m_caseList->reorder(store(), mode)) {
            m_caseGrid->setSortColumn(m_sortMode);
            m_caseGrid->invalidateGrid();
            caseGridClicked();
        } else {
            m_caseGrid->setSortDirection(kolvar::grid::sdAscending);
            loadList();
            selectCase(currentId);
            caseGridClicked();
        }
        applyRowHeight();
        auto* announcer = findChild<kolvar::Announcer*>(QStringLiteral("orderAnnouncer"));
        if (!announcer) {
            announcer = new kolvar::Announcer(this);
            announcer->setObjectName(QStringLiteral("orderAnnouncer"));
        }
        announcer->say(orderAnnouncement(mode));
    });
}

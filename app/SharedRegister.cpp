// The main window's side of a register others use at the same time: opening a register on a
// server, moving a file register there, the one question a lost race asks, and the list kept
// current with what other programs wrote.

#include "MainWindowShared.h"

#include "CaseEditor.h"
#include "CaseList.h"
#include "CaseStore.h"
#include "ServerStore.h"

#include <QAction>
#include <QLabel>
#include <QSocketNotifier>
#include <QStringList>

using kolvar::DialogButton;
using kolvar::EditorField;
using kolvar::MessageIcon;
using kolvar::userDialogs;
using kolvar::mainwindow::CommandError;
namespace storage = kolvar::storage;

namespace {

// A text of the other program's case as the question quotes it: a long memo is cut.
QString quoted(const QString& text)
{
    constexpr qsizetype Longest = 160;
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral(" ⏎ "));
    return shown.size() > Longest ? shown.left(Longest) + u'…' : shown;
}

const QString& textOf(const storage::CaseRecord& c, EditorField field)
{
    switch (field) {
    case EditorField::Termin:
        return c.termin;
    case EditorField::Nadawca:
        return c.nadawca;
    case EditorField::Dotyczy:
        return c.dotyczy;
    case EditorField::Tryb:
        return c.tryb;
    case EditorField::Odpowiedz:
        return c.odpowiedz;
    case EditorField::Szczegoly:
        return c.szczegoly;
    case EditorField::Adnotacje:
        break;
    }
    return c.adnotacje;
}

// The fields picked, one a line under the editor's captions, as the user knows them.
QString describe(const std::function<std::optional<QString>(EditorField)>& changed)
{
    QStringList lines;
    for (const EditorField field : kolvar::AllEditorFields) {
        if (const std::optional<QString> text = changed(field))
            lines << kolvar::editorFieldName(field) + QStringLiteral(": ")
                    + (text->isEmpty() ? QStringLiteral("(pusto)") : quoted(*text));
    }
    return lines.isEmpty() ? QStringLiteral("(te same teksty)") : lines.join(u'\n');
}

// Asks whether to write over (or delete) the case another program stored meanwhile, naming what
// differs on both sides; editor is the editor holding the user's typing, null when it is hidden.
DialogButton askAboutConflict(QWidget* window, CaseEditor* editor, const storage::CaseRecord& shown,
    const storage::CaseRecord& theirs, bool deleting)
{
    const QString others = describe([&](EditorField field) -> std::optional<QString> {
        if (textOf(theirs, field) == textOf(shown, field))
            return std::nullopt;
        return textOf(theirs, field);
    });
    QString question = QStringLiteral("Inny program zmienił ten rekord, odkąd został pokazany. "
                                      "Zmienione tam (teraz w bazie):\n")
        + others;
    if (deleting) {
        question += QStringLiteral("\n\nZniszczyć go mimo to?\nTak – zniszcz go; Nie – zostaw go "
                                   "(okno edycji pokaże zapisany rekord); Wróć do edycji – nic "
                                   "nie zmieniaj.");
    } else {
        const QString mine = describe([&](EditorField field) -> std::optional<QString> {
            if (!editor || !editor->fieldChanged(field))
                return std::nullopt;
            return editor->fieldText(field);
        });
        question += QStringLiteral("\n\nTwoje zmiany:\n") + mine
            + QStringLiteral("\n\nZapisać Twoje zmiany w miejsce tamtych?\nTak – zapisz moje "
                             "zmiany; Nie – zostaw zapisane tam (okno edycji je pokaże); Wróć do "
                             "edycji – nic nie zmieniaj, wpisany tekst zostaje.");
    }
    // Asked over the editor, which takes the focus back once the box is gone; Enter and Escape
    // lose nobody's work.
    return userDialogs().ask(editor ? static_cast<QWidget*>(editor) : window, question,
        { DialogButton::Yes, DialogButton::No, DialogButton::BackToEditing }, MessageIcon::Question,
        DialogButton::No);
}

kolvar::ServerChoice choiceOf(const storage::ServerAddress& address)
{
    return { address.host, address.port, address.database, address.user, address.requireTls };
}

storage::ServerAddress addressOf(const kolvar::ServerChoice& choice)
{
    return { choice.host, choice.port, choice.database, choice.user, choice.requireTls };
}

} // namespace

bool MainWindow::isServerRegister() const
{
    return storage::isServerUri(m_databasePath);
}

template <typename Connect> auto MainWindow::withPassword(const QString& uri, Connect&& connect)
{
    try {
        return connect(m_serverPassword);
    } catch (const storage::StoreError& e) {
        if (e.kind() != storage::StoreFailure::PasswordNeeded
            && e.kind() != storage::StoreFailure::LoginRefused)
            throw;
        const storage::ServerAddress address
            = storage::ServerAddress::fromUri(uri).value_or(storage::ServerAddress {});
        const std::optional<QString> password = userDialogs().askPassword(this,
            QStringLiteral("Serwer %1 prosi o hasło użytkownika %2:")
                .arg(address.displayName(), address.user));
        if (!password)
            throw;
        // Kept for this run only, to open the register again after a reload; never written.
        m_serverPassword = *password;
        return connect(m_serverPassword);
    }
}

storage::CaseStorePtr MainWindow::openServerStore(const QString& uri)
{
    return withPassword(
        uri, [&](const QString& password) { return storage::OpenServerStore(uri, password); });
}

std::optional<QString> MainWindow::chooseServer(const QString& caption)
{
    kolvar::ServerChoice initial;
    if (const auto current = storage::ServerAddress::fromUri(m_databasePath))
        initial = choiceOf(*current);
    else
        initial.user = qEnvironmentVariable("USER");
    const std::optional<kolvar::ServerChoice> chosen
        = userDialogs().chooseServer(this, caption, initial);
    if (!chosen)
        return std::nullopt;
    if (chosen->database.isEmpty())
        throw CommandError(QStringLiteral("Nie podano nazwy bazy danych; nic nie otwarto."));
    return addressOf(*chosen).uri();
}

void MainWindow::useServerRegister(const QString& uri)
{
    const storage::ServerAddress address
        = storage::ServerAddress::fromUri(uri).value_or(storage::ServerAddress {});
    useRegister(uri, address.displayName(), uri);
}

void MainWindow::openServerRegister()
{
    commandOnRegister(QStringLiteral("Otwieram bazy tylko przy zamkniętym oknie Edycja i druk \n\r"
                                     "              Proszę uprzednio zamknij to okno. "),
        [this] {
            if (const auto uri = chooseServer(QStringLiteral("Otwórz rejestr na serwerze")))
                useServerRegister(*uri);
        });
}

void MainWindow::newServerRegister()
{
    commandOnRegister(
        QStringLiteral("Tworzę nowe bazy tylko przy zamkniętym oknie Edycja i druk \n\r"
                       "              Proszę uprzednio zamknij to okno. "),
        [this] {
            const auto uri = chooseServer(QStringLiteral("Nowy rejestr na serwerze"));
            if (!uri)
                return;
            const QString termin
                = m_caseEditor ? m_caseEditor->fieldText(EditorField::Termin) : QString();
            withPassword(*uri, [&](const QString& password) {
                storage::CreateServerRegister(*uri, password, termin);
                return true;
            });
            useServerRegister(*uri);
            // The list of one empty case looks like any other; the user is told what was made.
            userDialogs().message(this,
                QStringLiteral("Utworzono nowy rejestr na serwerze: %1.\nRejestr jest otwarty i ma "
                               "jeden rekord do wypełnienia.")
                    .arg(m_fileLabel->text()),
                MessageIcon::Information);
        });
}

void MainWindow::moveToServer()
{
    commandOnRegister(QStringLiteral("Przenoszę bazy tylko przy zamkniętym oknie Edycja i druk \n\r"
                                     "              Proszę uprzednio zamknij to okno. "),
        [this] {
            if (!m_store || !m_store->canMoveToServer())
                throw CommandError(QStringLiteral(
                    "Na serwer przenosi się otwarty plik rejestru; otwórz najpierw plik."));
            const auto uri = chooseServer(QStringLiteral("Przenieś na serwer"));
            if (!uri)
                return;
            const std::int64_t moved = withPassword(*uri, [&](const QString& password) {
                return storage::MoveToServer(m_databasePath, *uri, password);
            });
            const QString from = m_fileLabel->text();
            useServerRegister(*uri);
            userDialogs().message(this,
                QStringLiteral(
                    "Rejestr %1 przeniesiono na serwer jako %2.\nRekordów: %3; liczba "
                    "rekordów i suma kontrolna wszystkich tekstów zgadzają się z plikiem.")
                    .arg(from, m_fileLabel->text())
                    .arg(moved),
                MessageIcon::Information);
        });
}

bool MainWindow::refusedReadOnly()
{
    if (!m_store || m_store->mayWrite())
        return false;
    const QString why = m_store->writeRefusal() == storage::WriteRefusal::RoleReadOnly
        ? QStringLiteral(
            "Rejestr %1 jest otwarty tylko do odczytu: ten użytkownik serwera nie może "
            "go zmieniać.")
              .arg(m_fileLabel->text())
        : kolvar::mainwindow::readOnlyFileSentence(m_store->writeRefusal());
    userDialogs().message(
        this, why + QStringLiteral(" Nic nie zostało zapisane."), MessageIcon::Warning);
    return true;
}

void MainWindow::showWriteRights()
{
    const bool readOnly = m_store && !m_store->mayWrite();
    m_readOnlyLabel->move(m_countLabel->x() + m_countLabel->width() + 16, m_countLabel->y());
    m_readOnlyLabel->setVisible(readOnly);
    for (const char* name : { "newRegister", "addNewCase", "saveChanges", "deleteCurrentCase" }) {
        if (auto* action = findChild<QAction*>(QLatin1String(name)))
            action->setEnabled(!readOnly || qstrcmp(name, "newRegister") == 0);
    }
    m_moveToServerAction->setEnabled(m_store && m_store->canMoveToServer());
}

MainWindow::WriteOutcome MainWindow::writeAsking(
    const std::function<void(const storage::CaseRecord& shown)>& write, bool deleting)
{
    storage::CaseRecord shown = m_shownCase.value_or(storage::CaseRecord {});
    for (;;) {
        try {
            write(shown);
            return WriteOutcome::Written;
        } catch (const storage::CaseConflict& conflict) {
            if (!conflict.theirs()) {
                // The typing stays in the editor: it can still be added as a new case.
                userDialogs().message(this,
                    deleting ? QStringLiteral("Rekord nie został usunięty: nie ma go już w bazie.")
                             : QStringLiteral("Rekord nie został zapisany: nie ma go już w bazie."),
                    MessageIcon::Warning);
                if (!deleting)
                    reloadList();
                return WriteOutcome::Gone;
            }
            const storage::CaseRecord& theirs = *conflict.theirs();
            const DialogButton answer = askAboutConflict(
                this, editorVisible() ? m_caseEditor : nullptr, shown, theirs, deleting);
            if (answer == DialogButton::Yes) {
                shown = theirs;
                continue;
            }
            // The list shows what is stored, whatever the editor goes on with.
            if (answer == DialogButton::No)
                showCaseInEditor(theirs);
            const std::int64_t id = conflict.id();
            refreshList([&](kolvar::CaseList& list) { return list.refreshCase(*m_store, id); });
            // The user goes on in the editor: the case as stored to read, or the typing to finish.
            if (editorVisible())
                m_caseEditor->present();
            return WriteOutcome::Declined;
        }
    }
}

void MainWindow::watchChanges()
{
    const int socket = m_store ? m_store->changeSocket() : -1;
    if (m_changeNotifier && int(m_changeNotifier->socket()) == socket)
        return;
    m_changeNotifier.reset();
    if (socket < 0)
        return;
    // Another desk's change arrives on the connection's socket: no polling.
    m_changeNotifier = std::make_unique<QSocketNotifier>(socket, QSocketNotifier::Read);
    connect(m_changeNotifier.get(), &QSocketNotifier::activated, this, [this] {
        if (m_commandRunning) {
            // Quiet until the command ends, or a dialog's own loop would spin on the socket.
            m_changeNotifier->setEnabled(false);
            return;
        }
        guarded([this] { followChanges(); });
    });
}

void MainWindow::followChanges()
{
    if (!m_store)
        return;
    const std::vector<storage::CaseChange> changes = m_store->takeChanges();
    if (changes.empty() && !m_caseList->staleFor(*m_store))
        return;
    if (!changes.empty() && columnsAsLaidOut() && m_caseList->follow(*m_store, changes)) {
        kolvar::mainwindow::showCaptioned(
            m_countLabel, m_countCaptionLabel, QString::number(m_caseList->count()));
        m_countLabel->adjustSize();
        m_loadRow = m_caseList->count() + 1;
        m_caseGrid->invalidateGrid();
        caseGridClicked();
        return;
    }
    reloadKeepingCurrentCase();
}

void MainWindow::catchUp()
{
    if (!m_store)
        return;
    if (m_store->changeSocket() >= 0) {
        followChanges();
        return;
    }
    // A file register: another program's writes show in its data version.
    if (m_caseList->staleFor(*m_store))
        reloadKeepingCurrentCase();
}

void MainWindow::selectCase(const QString& id)
{
    bool isNumber = false;
    const std::int64_t number = id.toLongLong(&isNumber);
    const int row = isNumber ? m_caseList->rowOfCase(number) : 0;
    if (row > 0)
        m_caseGrid->setRow(row);
}

void MainWindow::reloadKeepingCurrentCase()
{
    const int top = m_caseGrid->topRow();
    const QString currentId = m_caseGrid->cells(1, m_caseGrid->row());
    loadList();
    selectCase(currentId);
    if (top < m_caseGrid->rowCount())
        m_caseGrid->setTopRow(top);
    caseGridClicked();
}

void MainWindow::afterCommand()
{
    watchChanges();
    if (!m_changeNotifier)
        return;
    m_changeNotifier->setEnabled(true);
    // Announcements read from the socket while the command ran wait in the connection: the
    // socket will not tell of them again.
    try {
        m_commandRunning = true;
        followChanges();
    } catch (...) {
        // The next command or announcement tries again; a background refresh shows no box.
    }
    m_commandRunning = false;
}

#include "MainWindow.h"

#include "MainWindowShared.h"

#include "CaseEditor.h"
#include "CaseList.h"
#include "Cp1250.h"
#include "MaskedDateEdit.h"
#include "Program.h"
#include "SortableGrid.h"
#include "UserDialogs.h"

#include <QCloseEvent>

#include <algorithm>
#include <array>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

using kolvar::DialogButton;
using kolvar::EditorField;
using kolvar::MessageIcon;
using kolvar::userDialogs;
namespace storage = kolvar::storage;
using namespace kolvar::mainwindow;

namespace {

const QString ChangedQuestion
    = QStringLiteral("W rekordzie dokonano zmian. Czy chcesz je zapisać? ");

// "yyyy?mm?dd": eight digits and the same separator twice.
bool isDate(QByteArrayView text)
{
    if (text.size() != 10 || text[4] != text[7])
        return false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool digit = text[i] >= '0' && text[i] <= '9';
        if (digit != (i != 4 && i != 7))
            return false;
    }
    return true;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Record commands

void MainWindow::caseGridClicked()
{
    m_currentListRow = m_caseGrid->row();
    m_idEdit->setText(m_caseGrid->cells(1, m_currentListRow));
    m_rowLabel->setText(QString::number(m_currentListRow));
    updateEditorPosition();
}

void MainWindow::caseGridDoubleClicked()
{
    editCurrentCase();
}

void MainWindow::idEditChanged()
{
    m_caseGrid->invalidateGrid();
    updateEditorPosition();
}

void MainWindow::selectCurrentRow()
{
    m_rowLabel->setText(QString::number(m_currentListRow));
    m_caseGrid->setSelection({ 2, m_currentListRow, 5, m_currentListRow });
    caseGridClicked();
}

void MainWindow::showCaseInEditor(const storage::CaseRecord& record)
{
    m_shownCase = record;
    m_currentId = record.id;
    m_idEdit->setText(QString::number(m_currentId));
    if (!editor())
        return;
    m_caseEditor->dateEdit()->setSeparator(dateSeparator());
    m_caseEditor->setFieldText(EditorField::Termin, record.termin);
    m_caseEditor->setFieldText(EditorField::Nadawca, record.nadawca);
    m_caseEditor->setFieldText(EditorField::Dotyczy, record.dotyczy);
    m_caseEditor->setFieldText(EditorField::Tryb, record.tryb);
    m_caseEditor->setFieldText(EditorField::Odpowiedz, record.odpowiedz);
    m_caseEditor->setFieldText(EditorField::Szczegoly, record.szczegoly);
    m_caseEditor->setFieldText(EditorField::Adnotacje, record.adnotacje);
    m_caseEditor->markShown();
    updateEditorPosition();
}

QChar MainWindow::dateSeparator()
{
    // Read from the list, which holds every date already: asking the engine would read the whole
    // file again, seconds for a large register.
    if (m_dateSeparator)
        return *m_dateSeparator;
    m_dateSeparator = kolvar::MaskedDateEdit::localeDateSeparator();
    std::array<int, 256> counts {};
    int most = 0;
    int mostRow = 0;
    for (int r = 1; r < m_caseGrid->rowCount(); ++r) {
        const std::optional<QByteArrayView> bytes = m_caseGrid->cellBytes(2, r);
        const QByteArray decoded
            = bytes ? QByteArray() : storage::toCp1250(m_caseGrid->cells(2, r));
        const QByteArrayView termin = bytes ? *bytes : QByteArrayView(decoded);
        if (!isDate(termin))
            continue;
        // Of separators equally common, the first to get there.
        const int count = ++counts[static_cast<unsigned char>(termin[4])];
        if (count > most) {
            most = count;
            mostRow = r;
        }
    }
    if (mostRow > 0)
        m_dateSeparator = m_caseGrid->cells(2, mostRow).at(4);
    return *m_dateSeparator;
}

void MainWindow::clearEditor()
{
    m_currentId = 0;
    if (!m_caseEditor)
        return;
    for (const EditorField field : kolvar::AllEditorFields)
        m_caseEditor->setFieldText(field, QString());
    m_caseEditor->setRecordChanged(false);
    m_caseEditor->markShown();
}

bool MainWindow::typingKept()
{
    if (!m_caseEditor || !m_caseEditor->recordChanged())
        return false;
    const DialogButton answer
        = userDialogs().ask(this, ChangedQuestion, { DialogButton::Yes, DialogButton::No });
    if (answer == DialogButton::Yes)
        return true; // the editor keeps the typing so that the user can save it
    m_caseEditor->setRecordChanged(false);
    return false;
}

void MainWindow::editCurrentCase()
{
    guarded([this] {
        if (typingKept())
            return;
        showCurrentCase();
        // Opened to work in: in front, with the focus in its first field, also when it was open
        // behind the list already (a step from the editor's own buttons leaves the focus be).
        if (editorVisible())
            m_caseEditor->present();
    });
}

void MainWindow::showCurrentCase()
{
    caseGridClicked();
    bool isNumber = false;
    const std::int64_t id = m_idEdit->text().toLongLong(&isNumber);
    if (!isNumber && m_store && m_countLabel->text() == QStringLiteral("0")) {
        // A register without a case (another program emptied the table): an empty editor, so
        // that the first case can be added.
        if (!editor())
            return;
        m_caseEditor->dateEdit()->setSeparator(dateSeparator());
        clearEditor();
        m_caseEditor->show();
        return;
    }
    if (!isNumber && !m_idEdit->text().trimmed().isEmpty())
        throw CommandError(
            QStringLiteral("Tego rekordu nie można pokazać: jego numer ID (%1) nie jest liczbą "
                           "całkowitą, a Kolvar odnajduje rekordy po takim numerze. Rejestr "
                           "zapisał inny program.")
                .arg(m_idEdit->text()));
    if (!isNumber)
        throw CommandError(QStringLiteral("W tym wierszu listy nie ma rekordu."));
    m_currentId = id;
    const std::optional<storage::CaseRecord> stored = store().readCase(m_currentId);
    if (!stored)
        throw CommandError(
            QStringLiteral("Rekordu nie ma już w bazie: usunął go inny program. Lista zostanie "
                           "odświeżona przy następnym wczytaniu."));
    showCaseInEditor(*stored);
    if (m_caseEditor) {
        m_caseEditor->show();
        updateEditorPosition();
    }

    // The shown case becomes the last visible row when it lies below the first screenful.
    const int visible = m_caseGrid->visibleRowCount();
    if (visible < m_currentListRow)
        m_caseGrid->setTopRow(m_currentListRow - visible + 1);
    else
        m_caseGrid->setTopRow(1);
}

void MainWindow::firstCase()
{
    guarded([this] { navigate(Step::First); });
}

void MainWindow::previousCase()
{
    guarded([this] { navigate(Step::Previous); });
}

void MainWindow::nextCase()
{
    guarded([this] { navigate(Step::Next); });
}

void MainWindow::lastCase()
{
    guarded([this] { navigate(Step::Last); });
}

void MainWindow::navigate(Step step)
{
    if (typingKept())
        return;
    const int lastCase = m_caseGrid->rowCount() - 1;
    switch (step) {
    case Step::First:
        m_currentListRow = 1;
        break;
    case Step::Previous:
        m_currentListRow = m_rowLabel->text().toInt();
        if (m_currentListRow <= 1)
            return;
        --m_currentListRow;
        break;
    case Step::Next:
        m_currentListRow = m_rowLabel->text().toInt();
        if (m_currentListRow >= lastCase)
            return;
        ++m_currentListRow;
        break;
    case Step::Last:
        m_currentListRow = lastCase;
        break;
    }
    m_rowLabel->setText(QString::number(m_currentListRow));
    selectCurrentRow();
    m_idEdit->setText(m_caseGrid->cells(1, m_currentListRow));
    showCurrentCase();
}

kolvar::storage::CaseRecord MainWindow::caseFromEditor() const
{
    storage::CaseRecord record;
    if (!m_caseEditor)
        return record;
    record.termin = m_caseEditor->fieldText(EditorField::Termin);
    record.nadawca = m_caseEditor->fieldText(EditorField::Nadawca);
    record.dotyczy = m_caseEditor->fieldText(EditorField::Dotyczy);
    record.tryb = m_caseEditor->fieldText(EditorField::Tryb);
    record.odpowiedz = m_caseEditor->fieldText(EditorField::Odpowiedz);
    record.szczegoly = m_caseEditor->fieldText(EditorField::Szczegoly);
    record.adnotacje = m_caseEditor->fieldText(EditorField::Adnotacje);
    return record;
}

bool MainWindow::editorTextsStorable()
{
    if (!m_caseEditor)
        return true;
    for (const EditorField field : kolvar::AllEditorFields) {
        const QString text = m_caseEditor->fieldText(field);
        qsizetype bad = 0;
        if (storage::canEncodeCp1250(text, &bad))
            continue;
        const qsizetype length = text.at(bad).isHighSurrogate() && bad + 1 < text.size() ? 2 : 1;
        userDialogs().message(this,
            QStringLiteral("Pole „%1” zawiera znak „%2”, którego baza nie może przechować.\n"
                           "Usuń go lub zastąp innym i spróbuj ponownie; nic nie zostało zapisane.")
                .arg(kolvar::editorFieldName(field), text.mid(bad, length)),
            MessageIcon::Warning);
        return false;
    }
    return true;
}

void MainWindow::closeEditorWithoutQuestion()
{
    if (!m_caseEditor)
        return;
    m_caseEditor->setRecordChanged(false);
    m_caseEditor->close();
}

void MainWindow::addNewCase()
{
    guarded([this] { addCase(); }, QStringLiteral("Rekord nie został dodany."));
}

void MainWindow::addCase()
{
    if (!editorVisible()) {
        userDialogs().message(this,
            QStringLiteral("Dodaję rekordy tylko przy otwartym oknie Podglądu i edycji "
                           "rekordu\n\r\n\r       Proszę otwórz to okno i powtórz operację "
                           "dodawania"));
        return;
    }
    if (refusedReadOnly() || !editorTextsStorable())
        return;
    m_currentId = store().addCase(caseFromEditor());
    const std::int64_t added = m_currentId;
    refreshList([&](kolvar::CaseList& list) { return list.refreshCase(store(), added); });
    userDialogs().message(this, QStringLiteral("Rekord dodany do bazy. "));
    closeEditorWithoutQuestion();
}

void MainWindow::saveChanges()
{
    guarded([this] { saveCase(); }, QStringLiteral("Zmiany w rekordzie nie zostały zapisane."));
}

void MainWindow::saveCase()
{
    if (m_currentId == 0) {
        userDialogs().message(this,
            QStringLiteral("Rekord nie został zapisany: nie wybrano żadnego rekordu."),
            MessageIcon::Warning);
        return;
    }
    // A hidden editor still holds the last case shown, or typing the user declined to save:
    // neither is what the user now means to save.
    if (!editorVisible()) {
        userDialogs().message(this,
            QStringLiteral("Zapisuję zmiany tylko przy otwartym oknie Edycja i druk \n\r"
                           "              Proszę pokaż rekord, popraw go i zapisz ponownie; nic "
                           "nie zostało zapisane."),
            MessageIcon::Warning);
        return;
    }
    if (refusedReadOnly() || !editorTextsStorable())
        return;
    storage::CaseFields changed {};
    for (const EditorField field : kolvar::AllEditorFields)
        changed[std::size_t(field)] = m_caseEditor->fieldChanged(field);
    const storage::CaseRecord mine = caseFromEditor();
    const std::int64_t id = m_currentId;
    if (writeAsking(
            [&](const storage::CaseRecord& shown) { store().saveCase(id, shown, mine, changed); },
            false)
        != WriteOutcome::Written)
        return;
    // The row of the case saved: the user may have clicked another row since it was shown.
    const int savedRow = m_caseList->rowOfCase(m_currentId);
    userDialogs().message(this,
        QStringLiteral("Zmiany w rekordzie ")
            + QString::number(savedRow > 0 ? savedRow : m_caseGrid->row())
            + QStringLiteral(" zostały zapisane."));
    const std::int64_t saved = m_currentId;
    refreshList([&](kolvar::CaseList& list) { return list.refreshCase(store(), saved); });
    closeEditorWithoutQuestion();
}

void MainWindow::deleteCurrentCase()
{
    guarded([this] { deleteCase(); }, QStringLiteral("Rekord nie został usunięty."));
}

void MainWindow::deleteCase()
{
    if (refusedReadOnly() || m_countLabel->text().toInt() <= 1)
        return; // the last case of a register stays
    if (!editorVisible())
        showCurrentCase();

    // The question names the case the editor shows, which is the one deleted, even when the
    // user has clicked another row of the list meanwhile.
    const std::optional<storage::CaseRecord> stored = store().readCase(m_currentId);
    if (!stored) {
        userDialogs().message(this,
            QStringLiteral("Rekord nie został usunięty: nie ma go już w bazie."),
            MessageIcon::Warning);
    } else {
        const QString nadawca = stored->nadawca;
        const DialogButton answer = userDialogs().ask(this,
            QStringLiteral("Zniszczyć rekord ") + nadawca + QStringLiteral("  jesteś tego pewny ?"),
            { DialogButton::Yes, DialogButton::No, DialogButton::Cancel });
        if (answer == DialogButton::Yes) {
            const std::int64_t deleted = m_currentId;
            const WriteOutcome outcome = writeAsking(
                [&](const storage::CaseRecord& shown) { store().deleteCase(deleted, shown); },
                true);
            if (outcome == WriteOutcome::Written) {
                // Closed first, the editor asks for no row of the case now gone, which the list
                // would look for through every row.
                closeEditorWithoutQuestion();
                refreshList(
                    [&](kolvar::CaseList& list) { return list.removeCase(store(), deleted); });
                return;
            }
            if (outcome == WriteOutcome::Declined)
                return; // the editor stays, with the case to go on with
        }
    }
    reloadList();
    closeEditorWithoutQuestion();
}

void MainWindow::quitProgram()
{
    close();
}

bool MainWindow::mayClose()
{
    if (!editorVisible())
        return true;
    userDialogs().message(this,
        QStringLiteral("Przed końcem pracy należy uprzednio zamknąć to "
                       "okno \n\r      Okno Edycji i druku."));
    return false;
}

void MainWindow::finishClosing()
{
    if (editorVisible())
        m_caseEditor->close();
    saveSettings();
    emit windowClosed();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (!mayClose()) {
        event->ignore();
        return;
    }
    finishClosing();
    event->accept();
}

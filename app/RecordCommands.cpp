#include "Unit1.h"

#include "MainWindowShared.h"

#include "CaseList.h"
#include "CaseTable.h"
#include "Cp1250.h"
#include "MaskedDateEdit.h"
#include "Program.h"
#include "Unit2.h"
#include "UserDialogs.h"
#include "Zarur.h"

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
namespace CaseTable = kolvar::storage::CaseTable;
using namespace kolvar::form1;

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

void TForm1::G1Click()
{
    m_CurrentListRow = m_G1->row();
    m_IDEdit->setText(m_G1->cells(1, m_CurrentListRow));
    m_Label1->setText(QString::number(m_CurrentListRow));
    updateEditorPosition();
}

void TForm1::G1DblClick()
{
    PokazRekordu1Click();
}

void TForm1::IDEditChange()
{
    m_G1->invalidateGrid();
    updateEditorPosition();
}

void TForm1::SelectCurrentRow()
{
    m_Label1->setText(QString::number(m_CurrentListRow));
    m_G1->setSelection({ 2, m_CurrentListRow, 5, m_CurrentListRow });
    G1Click();
}

void TForm1::showCaseInEditor(const storage::CaseRecord& record)
{
    m_shownCase = record;
    m_CurrentId = record.id;
    m_IDEdit->setText(QString::number(m_CurrentId));
    if (!editor())
        return;
    m_form2->Edit4()->setSeparator(dateSeparator());
    m_form2->setFieldText(EditorField::Termin, record.termin);
    m_form2->setFieldText(EditorField::Nadawca, record.nadawca);
    m_form2->setFieldText(EditorField::Dotyczy, record.dotyczy);
    m_form2->setFieldText(EditorField::Tryb, record.tryb);
    m_form2->setFieldText(EditorField::Odpowiedz, record.odpowiedz);
    m_form2->setFieldText(EditorField::Szczegoly, record.szczegoly);
    m_form2->setFieldText(EditorField::Adnotacje, record.adnotacje);
    m_form2->markShown();
    updateEditorPosition();
}

QChar TForm1::dateSeparator()
{
    // Read from the list, which holds every date already: asking the engine would read the whole
    // file again, seconds for a large register.
    if (m_dateSeparator)
        return *m_dateSeparator;
    m_dateSeparator = kolvar::MaskedDateEdit::localeDateSeparator();
    std::array<int, 256> counts {};
    int most = 0;
    int mostRow = 0;
    for (int r = 1; r < m_G1->rowCount(); ++r) {
        const std::optional<QByteArrayView> bytes = m_G1->cellBytes(2, r);
        const QByteArray decoded = bytes ? QByteArray() : storage::toCp1250(m_G1->cells(2, r));
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
        m_dateSeparator = m_G1->cells(2, mostRow).at(4);
    return *m_dateSeparator;
}

void TForm1::clearEditor()
{
    m_CurrentId = 0;
    if (!m_form2)
        return;
    for (const EditorField field : kolvar::AllEditorFields)
        m_form2->setFieldText(field, QString());
    m_form2->setRecordChanged(false);
    m_form2->markShown();
}

bool TForm1::typingKept()
{
    if (!m_form2 || !m_form2->RecordChanged())
        return false;
    const DialogButton answer
        = userDialogs().ask(this, ChangedQuestion, { DialogButton::Yes, DialogButton::No });
    if (answer == DialogButton::Yes)
        return true; // the editor keeps the typing so that the user can save it
    m_form2->setRecordChanged(false);
    return false;
}

void TForm1::PokazRekordu1Click()
{
    guarded([this] {
        if (typingKept())
            return;
        showCurrentCase();
        // Opened to work in: in front, with the focus in its first field, also when it was open
        // behind the list already (a step from the editor's own buttons leaves the focus be).
        if (editorVisible())
            m_form2->present();
    });
}

void TForm1::showCurrentCase()
{
    G1Click();
    bool isNumber = false;
    const std::int64_t id = m_IDEdit->text().toLongLong(&isNumber);
    if (!isNumber && m_store && m_LabelCount->text() == QStringLiteral("0")) {
        // A register without a case (another program emptied the table): an empty editor, so
        // that the first case can be added.
        if (!editor())
            return;
        m_form2->Edit4()->setSeparator(dateSeparator());
        clearEditor();
        m_form2->show();
        return;
    }
    if (!isNumber)
        throw CommandError(QStringLiteral("W tym wierszu listy nie ma rekordu."));
    m_CurrentId = id;
    const std::optional<storage::CaseRecord> stored = store().readCase(m_CurrentId);
    if (!stored)
        throw CommandError(
            QStringLiteral("Rekordu nie ma już w bazie: usunął go inny program. Lista zostanie "
                           "odświeżona przy następnym wczytaniu."));
    showCaseInEditor(*stored);
    if (m_form2) {
        m_form2->show();
        updateEditorPosition();
    }

    // The shown case becomes the last visible row when it lies below the first screenful.
    const int visible = m_G1->visibleRowCount();
    if (visible < m_CurrentListRow)
        m_G1->setTopRow(m_CurrentListRow - visible + 1);
    else
        m_G1->setTopRow(1);
}

void TForm1::Pierwszy1Click()
{
    guarded([this] { navigate(Step::First); });
}

void TForm1::Poprzedni1Click()
{
    guarded([this] { navigate(Step::Previous); });
}

void TForm1::Nastepny1Click()
{
    guarded([this] { navigate(Step::Next); });
}

void TForm1::Ostatni1Click()
{
    guarded([this] { navigate(Step::Last); });
}

void TForm1::navigate(Step step)
{
    if (typingKept())
        return;
    const int lastCase = m_G1->rowCount() - 1;
    switch (step) {
    case Step::First:
        m_CurrentListRow = 1;
        break;
    case Step::Previous:
        m_CurrentListRow = m_Label1->text().toInt();
        if (m_CurrentListRow <= 1)
            return;
        --m_CurrentListRow;
        break;
    case Step::Next:
        m_CurrentListRow = m_Label1->text().toInt();
        if (m_CurrentListRow >= lastCase)
            return;
        ++m_CurrentListRow;
        break;
    case Step::Last:
        m_CurrentListRow = lastCase;
        break;
    }
    m_Label1->setText(QString::number(m_CurrentListRow));
    SelectCurrentRow();
    m_IDEdit->setText(m_G1->cells(1, m_CurrentListRow));
    showCurrentCase();
}

kolvar::storage::CaseRecord TForm1::caseFromEditor() const
{
    storage::CaseRecord record;
    if (!m_form2)
        return record;
    record.termin = m_form2->fieldText(EditorField::Termin);
    record.nadawca = m_form2->fieldText(EditorField::Nadawca);
    record.dotyczy = m_form2->fieldText(EditorField::Dotyczy);
    record.tryb = m_form2->fieldText(EditorField::Tryb);
    record.odpowiedz = m_form2->fieldText(EditorField::Odpowiedz);
    record.szczegoly = m_form2->fieldText(EditorField::Szczegoly);
    record.adnotacje = m_form2->fieldText(EditorField::Adnotacje);
    return record;
}

bool TForm1::editorTextsStorable()
{
    if (!m_form2)
        return true;
    for (const EditorField field : kolvar::AllEditorFields) {
        const QString text = m_form2->fieldText(field);
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

void TForm1::closeEditorWithoutQuestion()
{
    if (!m_form2)
        return;
    m_form2->setRecordChanged(false);
    m_form2->close();
}

void TForm1::Dodaj1Click()
{
    guarded([this] { addCase(); }, QStringLiteral("Rekord nie został dodany."));
}

void TForm1::addCase()
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
    m_CurrentId = store().addCase(caseFromEditor());
    const std::int64_t added = m_CurrentId;
    refreshList([&](kolvar::CaseList& list) { return list.refreshCase(store(), added); });
    userDialogs().message(this, QStringLiteral("Rekord dodany do bazy. "));
    closeEditorWithoutQuestion();
}

void TForm1::Zmiana1Click()
{
    guarded([this] { saveCase(); }, QStringLiteral("Zmiany w rekordzie nie zostały zapisane."));
}

void TForm1::saveCase()
{
    if (m_CurrentId == 0) {
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
        changed[std::size_t(field)] = m_form2->fieldChanged(field);
    const storage::CaseRecord mine = caseFromEditor();
    const std::int64_t id = m_CurrentId;
    if (!writeAsking(
            [&](const storage::CaseRecord& shown) { store().saveCase(id, shown, mine, changed); },
            false))
        return;
    // The row of the case saved: the user may have clicked another row since it was shown.
    const int savedRow = m_caseList->rowOfCase(m_CurrentId);
    userDialogs().message(this,
        QStringLiteral("Zmiany w rekordzie ")
            + QString::number(savedRow > 0 ? savedRow : m_G1->row())
            + QStringLiteral(" zostały zapisane."));
    const std::int64_t saved = m_CurrentId;
    refreshList([&](kolvar::CaseList& list) { return list.refreshCase(store(), saved); });
    closeEditorWithoutQuestion();
}

void TForm1::Zniszcz1Click()
{
    guarded([this] { deleteCase(); }, QStringLiteral("Rekord nie został usunięty."));
}

void TForm1::deleteCase()
{
    if (refusedReadOnly() || m_LabelCount->text().toInt() <= 1)
        return; // the last case of a register stays
    if (!editorVisible())
        showCurrentCase();

    // The question names the case the editor shows, which is the one deleted, even when the
    // user has clicked another row of the list meanwhile.
    const std::optional<storage::CaseRecord> stored = store().readCase(m_CurrentId);
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
            const std::int64_t deleted = m_CurrentId;
            if (writeAsking(
                    [&](const storage::CaseRecord& shown) { store().deleteCase(deleted, shown); },
                    true)) {
                // Closed first, the editor asks for no row of the case now gone, which the list
                // would look for through every row.
                closeEditorWithoutQuestion();
                refreshList(
                    [&](kolvar::CaseList& list) { return list.removeCase(store(), deleted); });
                return;
            }
        }
    }
    ReloadList();
    closeEditorWithoutQuestion();
}

void TForm1::Koniec1Click()
{
    close();
}

bool TForm1::FormCloseQuery()
{
    if (!editorVisible())
        return true;
    userDialogs().message(this,
        QStringLiteral("Przed końcem pracy należy uprzednio zamknąć to "
                       "okno \n\r      Okno Edycji i druku."));
    return false;
}

void TForm1::FormClose()
{
    if (editorVisible())
        m_form2->close();
    SaveSettings();
    emit formClosed();
}

void TForm1::closeEvent(QCloseEvent* event)
{
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    FormClose();
    event->accept();
}

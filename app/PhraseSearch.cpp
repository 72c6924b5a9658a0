#include "Unit1.h"

#include "MainWindowShared.h"

#include "UserDialogs.h"
#include "Zarur.h"
#include "asfind.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>

#include <algorithm>

using kolvar::MessageIcon;
using kolvar::userDialogs;
using kolvar::grid::TZarur;

namespace {
// Tryb, Odpowiedz, Szczegoly: searched with the rest of the case, never shown in the list.
constexpr int FirstExtraField = 5;
} // namespace

QAction* TForm1::FindujNast() const
{
    return findChild<QAction*>(QStringLiteral("FindujNast"));
}

void TForm1::Finduj1Click()
{
    // The search looks through the list: it first takes in what others wrote.
    guarded([this] { catchUp(); });
    {
        // A fresh dialog every time: the one made at start-up keeps nothing between searches.
        Tfinddlg dialog(this);
        try {
            if (dialog.exec() == QDialog::Accepted)
                findFirstPhrase(dialog);
        } catch (const std::exception& e) {
            showCommandFailure(e);
        }
    }
    hideExtraFields();
}

void TForm1::findFirstPhrase(const Tfinddlg& dialog)
{
    TZarur& g = *m_G1;
    g.SetKeyType(dialog.chkLitery()->isChecked() ? kolvar::grid::soStringCaseSensitive
                                                 : kolvar::grid::soString);
    // Ticked, the phrase must be the whole text of a cell.
    g.SetSearchSubstring(!dialog.chkSlowa()->isChecked());
    m_SearchByRows = dialog.ItemIndex() != 1;
    const QString phrase = dialog.Search()->text();
    int col = -1;
    int row = -1;
    if (g.FindFirst(phrase, m_SearchByRows, col, row)) {
        showFoundCell(col, row);
        g.setFocus();
        if (QAction* next = FindujNast())
            next->setEnabled(true);
        return;
    }
    if (QAction* next = FindujNast())
        next->setEnabled(false);
    g.setFocus();
    userDialogs().message(
        this, QStringLiteral("Frazy   \"") + phrase + QStringLiteral("\"   nie znalazłem"));
}

void TForm1::FindujNastClick()
{
    guarded([this] { catchUp(); });
    TZarur& g = *m_G1;
    try {
        int col = -1;
        int row = -1;
        if (g.FindNext(col, row)) {
            showFoundCell(col, row);
            g.setFocus();
            return;
        }
        if (QAction* next = FindujNast())
            next->setEnabled(false);
        g.setFocus();
        userDialogs().message(this, QStringLiteral("Takiej frazy już nie znalazłem"));
    } catch (const std::exception& e) {
        showCommandFailure(e);
    }
    hideExtraFields();
}

void TForm1::showFoundCell(int col, int row)
{
    TZarur& g = *m_G1;
    const bool alreadyCurrent = g.col() == col && g.row() == row;
    // Making the cell current runs G1Click, which makes its row the current case; a match in the
    // cell that already is current changes no cell, so the click is made here.
    g.setCurrentCell(col, row);
    if (alreadyCurrent)
        G1Click();
    // The list may have been scrolled away from a current cell since it became current.
    if (row < g.topRow() || row >= g.topRow() + std::max(1, g.visibleRowCount()))
        g.setTopRow(row);
}

void TForm1::hideExtraFields()
{
    m_G1->HideColumns(FirstExtraField, m_G1->colCount() - 1);
}

void TForm1::showCommandFailure(const std::exception& failure)
{
    userDialogs().message(this, QString::fromLocal8Bit(failure.what()), MessageIcon::Error);
}

#include "MainWindow.h"

#include "MainWindowShared.h"

#include "FindDialog.h"
#include "SortableGrid.h"
#include "UserDialogs.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>

#include <algorithm>

using kolvar::MessageIcon;
using kolvar::userDialogs;
using kolvar::grid::SortableGrid;

namespace {
// Tryb, Odpowiedz, Szczegoly: searched with the rest of the case, never shown in the list.
constexpr int FirstExtraField = 5;
} // namespace

QAction* MainWindow::findNextAction() const
{
    return findChild<QAction*>(QStringLiteral("findNextPhrase"));
}

void MainWindow::findPhrase()
{
    // The search looks through the list: it first takes in what others wrote.
    guarded([this] { catchUp(); });
    {
        // A fresh dialog every time: the one made at start-up keeps nothing between searches.
        FindDialog dialog(this);
        try {
            if (dialog.exec() == QDialog::Accepted)
                findFirstPhrase(dialog);
        } catch (const std::exception& e) {
            showCommandFailure(e);
        }
    }
    hideExtraFields();
}

void MainWindow::findFirstPhrase(const FindDialog& dialog)
{
    SortableGrid& g = *m_caseGrid;
    g.setKeyType(dialog.matchCaseCheck()->isChecked() ? kolvar::grid::soStringCaseSensitive
                                                      : kolvar::grid::soString);
    // Ticked, the phrase must be the whole text of a cell.
    g.setSearchSubstring(!dialog.wholeWordsCheck()->isChecked());
    m_searchByRows = dialog.orderIndex() != 1;
    const QString phrase = dialog.phraseEdit()->text();
    int col = -1;
    int row = -1;
    if (g.findFirst(phrase, m_searchByRows, col, row)) {
        showFoundCell(col, row);
        g.setFocus();
        if (QAction* next = findNextAction())
            next->setEnabled(true);
        return;
    }
    if (QAction* next = findNextAction())
        next->setEnabled(false);
    g.setFocus();
    userDialogs().message(
        this, QStringLiteral("Frazy   \"") + phrase + QStringLiteral("\"   nie znalazłem"));
}

void MainWindow::findNextPhrase()
{
    guarded([this] { catchUp(); });
    SortableGrid& g = *m_caseGrid;
    try {
        int col = -1;
        int row = -1;
        if (g.findNext(col, row)) {
            showFoundCell(col, row);
            g.setFocus();
            return;
        }
        if (QAction* next = findNextAction())
            next->setEnabled(false);
        g.setFocus();
        userDialogs().message(this, QStringLiteral("Takiej frazy już nie znalazłem"));
    } catch (const std::exception& e) {
        showCommandFailure(e);
    }
    hideExtraFields();
}

void MainWindow::showFoundCell(int col, int row)
{
    SortableGrid& g = *m_caseGrid;
    const bool alreadyCurrent = g.col() == col && g.row() == row;
    // Making the cell current runs caseGridClicked, which makes its row the current case; a match
    // in the cell that already is current changes no cell, so the click is made here.
    g.setCurrentCell(col, row);
    if (alreadyCurrent)
        caseGridClicked();
    // The list may have been scrolled away from a current cell since it became current.
    if (row < g.topRow() || row >= g.topRow() + std::max(1, g.visibleRowCount()))
        g.setTopRow(row);
}

void MainWindow::hideExtraFields()
{
    m_caseGrid->hideColumns(FirstExtraField, m_caseGrid->colCount() - 1);
}

void MainWindow::showCommandFailure(const std::exception& failure)
{
    userDialogs().message(this, QString::fromLocal8Bit(failure.what()), MessageIcon::Error);
}

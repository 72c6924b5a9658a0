#include "MainWindow.h"

#include "ColorValue.h"
#include "SortableGrid.h"
#include "UserDialogs.h"

#include <QFontMetrics>
#include <QPainter>

using kolvar::userDialogs;
namespace colors = kolvar::colors;

namespace {

// Row heights follow the font's size in points; a font chosen by pixels is taken at the 96 dots
// per inch the sizes were made for.
int pointsOf(const QFont& font)
{
    if (font.pointSize() > 0)
        return font.pointSize();
    if (font.pixelSize() > 0)
        return qRound(font.pixelSize() * 72.0 / 96.0);
    return 10;
}

// A colour dialog answers with RGB; the colour shown before keeps its value, so a desktop colour
// the settings name stays one and follows the desktop.
kolvar::ColorValue chosenValue(const QColor& chosen, kolvar::ColorValue before)
{
    if (chosen == kolvar::toQColor(before))
        return before;
    return kolvar::fromQColor(chosen);
}

} // namespace

void MainWindow::drawCaseGridCell(int col, int row, const QRect& rect, kolvar::grid::GridDrawState)
{
    kolvar::grid::GridCanvas& canvas = m_caseGrid->canvas();
    if (!canvas.painter)
        return;
    // Senders stand out in every row, the selected one too.
    if (col == 3) {
        canvas.brush.setColor(kolvar::toQColor(colors::Aqua));
        canvas.fontColor = kolvar::toQColor(colors::Black);
    }
    if (col < 1 || row < 1)
        return;
    QPainter& painter = *canvas.painter;
    painter.save();
    painter.setClipRect(rect, Qt::IntersectClip);
    painter.fillRect(rect, canvas.brush);
    painter.setFont(canvas.font);
    painter.setPen(canvas.fontColor);
    const QFontMetrics metrics(canvas.font, painter.device());
    painter.drawText(QPoint(rect.left(), rect.top() + metrics.ascent()),
        m_caseGrid->shownText(col, row, rect.width()));
    painter.restore();
}

void MainWindow::chooseTitleColor()
{
    const auto chosen = userDialogs().chooseColor(this, m_caseGrid->fixedColor());
    if (!chosen)
        return;
    setListFixedColor(chosenValue(*chosen, m_listFixedColor));
}

void MainWindow::chooseListFont()
{
    const auto chosen
        = userDialogs().chooseFont(this, { m_caseGrid->font(), kolvar::toQColor(m_listFontColor) });
    if (!chosen)
        return;
    QFont font = chosen->font;
    // The chosen font is the whole font: what it leaves unset (a plain weight, say) must not come
    // from the window's bold font.
    font.setResolveMask(QFont::AllPropertiesResolved);
    setListFont(font, chosenValue(chosen->color, m_listFontColor));
    m_rowHeight = pointsOf(font) + 12;
    if (m_caseGrid->rowCount() > 1)
        m_caseGrid->setRowHeight(1, m_rowHeight);
    prepareShowing();
}

void MainWindow::showAuthor()
{
    userDialogs().message(this,
        QStringLiteral("Kolvar wer.1.3\nRejestr spraw przychodzących\n\n"
                       "Autor: zespół projektu Kolvar\nwww.kolvar.example"));
}

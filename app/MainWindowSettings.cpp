#include "MainWindow.h"

#include "MainWindowShared.h"

#include "ServerStore.h"

#include "ColorValue.h"
#include "IniFile.h"
#include "Panel.h"
#include "Program.h"
#include "SortableGrid.h"

#include <QFileInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <array>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

using namespace kolvar::mainwindow;

namespace {

// Font sizes travel in points; the design font is given in pixels (13 pixels are 10 points on
// the screens the settings were made on).
int pointSizeOf(const QFont& font)
{
    if (font.pointSize() > 0)
        return font.pointSize();
    return qRound(font.pixelSize() * 72.0 / 96.0);
}

int styleBits(const QFont& font)
{
    return (font.bold() ? 1 : 0) | (font.italic() ? 2 : 0) | (font.underline() ? 4 : 0)
        | (font.strikeOut() ? 8 : 0);
}

QFont fontFrom(const QString& name, int points, int style)
{
    QFont font(name);
    if (points > 0)
        font.setPointSize(points);
    font.setBold(style & 1);
    font.setItalic(style & 2);
    font.setUnderline(style & 4);
    font.setStrikeOut(style & 8);
    return font;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Settings

void MainWindow::loadSettings()
{
    const QString path = kolvar::SettingsFile::readPath({ m_programFolder, m_presetFolder });
    guarded([&] {
        const auto ini = kolvar::IniFile::load(path);
        if (!ini) {
            m_databaseName = m_fileLabel->text();
            return;
        }
        QList<QRect> screens;
        if (QScreen* primary = QGuiApplication::primaryScreen())
            screens.append(primary->availableGeometry());
        for (QScreen* screen : QGuiApplication::screens()) {
            if (screen != QGuiApplication::primaryScreen())
                screens.append(screen->availableGeometry());
        }
        applySettings(kolvar::SettingsFile::read(*ini, currentSettings(), screens));
    });
}

kolvar::AppSettings MainWindow::currentSettings() const
{
    kolvar::AppSettings s;
    s.mainBounds = QRect(x(), y(), width(), height());
    s.editorLeft = m_editorLeftLabel->text();
    s.editorTop = m_editorTopLabel->text();
    s.editorWidth = m_editorWidthLabel->text();
    s.editorHeight = m_editorHeightLabel->text();
    s.panelColor = m_panelColor;
    s.editBoxColor = m_editBoxColor;
    s.labelFontColor = m_labelFontColor;
    s.editFontColor = m_editFontColor;
    s.fixedColor = m_listFixedColor;
    s.editFontSize = m_editFontSize;
    s.databaseName = m_databaseName;
    s.sortMode = m_sortMode;
    const QFont font = m_caseGrid->font();
    s.listFontName = font.family();
    s.listFontSize = pointSizeOf(font);
    s.listFontColor = m_listFontColor;
    s.listFontStyle = styleBits(font);
    s.terminWidth = m_caseGrid->colWidth(2);
    s.nadawcaWidth = m_caseGrid->colWidth(3);
    s.dotyczyWidth = m_caseGrid->colWidth(4);
    s.rowHeight = m_rowHeight;
    return s;
}

void MainWindow::applySettings(const kolvar::AppSettings& s)
{
    move(s.mainBounds.topLeft());
    resize(s.mainBounds.size());
    m_editorLeftLabel->setText(s.editorLeft);
    m_editorTopLabel->setText(s.editorTop);
    m_editorWidthLabel->setText(s.editorWidth);
    m_editorHeightLabel->setText(s.editorHeight);
    m_panelColor = s.panelColor;
    m_editBoxColor = s.editBoxColor;
    m_labelFontColor = s.labelFontColor;
    m_editFontColor = s.editFontColor;
    setListFixedColor(s.fixedColor);
    m_editFontSize = s.editFontSize;
    m_databaseName = s.databaseName;
    // A server register is remembered by its connection URI and named database@host.
    const auto server = kolvar::storage::ServerAddress::fromUri(s.databaseName);
    showCaptioned(m_fileLabel, m_fileCaptionLabel,
        server ? server->displayName() : QFileInfo(s.databaseName).fileName());
    m_fileLabel->adjustSize();
    m_sortMode = s.sortMode;
    setListFont(fontFrom(s.listFontName, s.listFontSize, s.listFontStyle), s.listFontColor);
    // A width of 0 in the file would hide the column for good: no edge left to drag it back by.
    m_terminWidth = std::max(s.terminWidth, titleWidth(QStringLiteral(" Termin ")));
    m_nadawcaWidth = std::max(s.nadawcaWidth, titleWidth(QStringLiteral("  Nadawca   ")));
    m_dotyczyWidth = std::max(s.dotyczyWidth, titleWidth(QStringLiteral("   Dotyczy    ")));
    m_rowHeight = s.rowHeight;
}

int MainWindow::titleWidth(const QString& title) const
{
    // The cell's text margins on both sides.
    constexpr int Margins = 4;
    return QFontMetrics(m_caseGrid->font()).horizontalAdvance(title) + Margins;
}

void MainWindow::saveSettings()
{
    const kolvar::SettingsFile::Folders where { m_programFolder, m_presetFolder };
    guarded([&] { kolvar::SettingsFile::save(where, currentSettings()); });
}

void MainWindow::setListFixedColor(kolvar::ColorValue color)
{
    m_listFixedColor = color;
    m_caseGrid->setFixedColor(kolvar::toQColor(color));
}

void MainWindow::setListFont(const QFont& font, kolvar::ColorValue color)
{
    m_listFontColor = color;
    m_caseGrid->setFont(font);
    m_caseGrid->setFontColor(kolvar::toQColor(color));
}

QString MainWindow::editorLeftCaption() const
{
    return m_editorLeftLabel->text();
}

void MainWindow::setEditorLeftCaption(const QString& caption)
{
    m_editorLeftLabel->setText(caption);
}

QString MainWindow::editorTopCaption() const
{
    return m_editorTopLabel->text();
}

void MainWindow::setEditorTopCaption(const QString& caption)
{
    m_editorTopLabel->setText(caption);
}

QString MainWindow::editorWidthCaption() const
{
    return m_editorWidthLabel->text();
}

void MainWindow::setEditorWidthCaption(const QString& caption)
{
    m_editorWidthLabel->setText(caption);
}

QString MainWindow::editorHeightCaption() const
{
    return m_editorHeightLabel->text();
}

void MainWindow::setEditorHeightCaption(const QString& caption)
{
    m_editorHeightLabel->setText(caption);
}

#include "Unit1.h"

#include "MainWindowShared.h"

#include "ServerStore.h"

#include "ColorValue.h"
#include "IniFile.h"
#include "Panel.h"
#include "Program.h"
#include "Zarur.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <array>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

using namespace kolvar::form1;

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

void TForm1::LoadSettings()
{
    const QString path = kolvar::SettingsFile::readPath({ m_ProgramFolder, m_presetFolder });
    guarded([&] {
        const auto ini = kolvar::IniFile::load(path);
        if (!ini) {
            m_databaseName = m_Label2->text();
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

kolvar::AppSettings TForm1::currentSettings() const
{
    kolvar::AppSettings s;
    s.mainBounds = QRect(x(), y(), width(), height());
    s.editorLeft = m_lblLewa->text();
    s.editorTop = m_lblTop->text();
    s.editorWidth = m_lblSzer->text();
    s.editorHeight = m_lblWys->text();
    s.panelColor = m_PanelColor;
    s.editBoxColor = m_EditBoxColor;
    s.labelFontColor = m_LabelFontColor;
    s.editFontColor = m_EditFontColor;
    s.fixedColor = m_listFixedColor;
    s.editFontSize = m_EditFontSize;
    s.databaseName = m_databaseName;
    s.sortMode = m_SortMode;
    const QFont font = m_G1->font();
    s.listFontName = font.family();
    s.listFontSize = pointSizeOf(font);
    s.listFontColor = m_listFontColor;
    s.listFontStyle = styleBits(font);
    s.terminWidth = m_G1->colWidth(2);
    s.nadawcaWidth = m_G1->colWidth(3);
    s.dotyczyWidth = m_G1->colWidth(4);
    s.rowHeight = m_RowHeight;
    return s;
}

void TForm1::applySettings(const kolvar::AppSettings& s)
{
    move(s.mainBounds.topLeft());
    resize(s.mainBounds.size());
    m_lblLewa->setText(s.editorLeft);
    m_lblTop->setText(s.editorTop);
    m_lblSzer->setText(s.editorWidth);
    m_lblWys->setText(s.editorHeight);
    m_PanelColor = s.panelColor;
    m_EditBoxColor = s.editBoxColor;
    m_LabelFontColor = s.labelFontColor;
    m_EditFontColor = s.editFontColor;
    setListFixedColor(s.fixedColor);
    m_EditFontSize = s.editFontSize;
    m_databaseName = s.databaseName;
    // A server register is remembered by its connection URI and named database@host.
    const auto server = kolvar::storage::ServerAddress::fromUri(s.databaseName);
    showCaptioned(m_Label2, m_StaticText1,
        server ? server->displayName() : QFileInfo(s.databaseName).fileName());
    m_Label2->adjustSize();
    m_SortMode = s.sortMode;
    setListFont(fontFrom(s.listFontName, s.listFontSize, s.listFontStyle), s.listFontColor);
    m_TerminWidth = s.terminWidth;
    m_NadawcaWidth = s.nadawcaWidth;
    m_DotyczyWidth = s.dotyczyWidth;
    m_RowHeight = s.rowHeight;
}

void TForm1::SaveSettings()
{
    const kolvar::SettingsFile::Folders where { m_ProgramFolder, m_presetFolder };
    guarded([&] {
        // Entries of other programs and versions stay in the file, and a user's first own file
        // keeps what the preset held beside the program.
        kolvar::IniFile ini = kolvar::IniFile::load(kolvar::SettingsFile::readPath(where))
                                  .value_or(kolvar::IniFile {});
        kolvar::SettingsFile::write(ini, currentSettings());
        ini.save(kolvar::SettingsFile::writePath(where));
    });
}

void TForm1::setListFixedColor(kolvar::ColorValue color)
{
    m_listFixedColor = color;
    m_G1->setFixedColor(kolvar::toQColor(color));
}

void TForm1::setListFont(const QFont& font, kolvar::ColorValue color)
{
    m_listFontColor = color;
    m_G1->setFont(font);
    m_G1->setFontColor(kolvar::toQColor(color));
}

QString TForm1::lblLewaCaption() const
{
    return m_lblLewa->text();
}

void TForm1::setLblLewaCaption(const QString& caption)
{
    m_lblLewa->setText(caption);
}

QString TForm1::lblTopCaption() const
{
    return m_lblTop->text();
}

void TForm1::setLblTopCaption(const QString& caption)
{
    m_lblTop->setText(caption);
}

QString TForm1::lblSzerCaption() const
{
    return m_lblSzer->text();
}

void TForm1::setLblSzerCaption(const QString& caption)
{
    m_lblSzer->setText(caption);
}

QString TForm1::lblWysCaption() const
{
    return m_lblWys->text();
}

void TForm1::setLblWysCaption(const QString& caption)
{
    m_lblWys->setText(caption);
}

#pragma once

#include "EditorHost.h"

#include <QStringList>

#include <functional>

namespace kolvar::test {

// A main window as the editor sees it: values a test sets up, and a log of every command and
// every value the editor writes back.
class FakeEditorHost final : public EditorHost
{
public:
    QStringList log;

    QString lewa = QStringLiteral("10");
    QString top = QStringLiteral("10");
    QString szer = QStringLiteral("602");
    QString wys = QStringLiteral("673");

    ColorValue storedPanelColor = colors::Silver;
    ColorValue storedEditBoxColor = colors::Window;
    ColorValue storedLabelFontColor = colors::Black;
    ColorValue storedEditFontColor = colors::Black;
    int storedEditFontSize = 10;

    // Runs after a record command is logged, as the main window's work on the editor would.
    std::function<void(const QString&)> onCommand;

    [[nodiscard]] int count(const QString& entry) const { return int(log.count(entry)); }

    void command(const QString& name)
    {
        log << name;
        if (onCommand)
            onCommand(name);
    }

    void firstCase() override { command(QStringLiteral("firstCase")); }
    void previousCase() override { command(QStringLiteral("previousCase")); }
    void nextCase() override { command(QStringLiteral("nextCase")); }
    void lastCase() override { command(QStringLiteral("lastCase")); }
    void addNewCase() override { command(QStringLiteral("addNewCase")); }
    void deleteCurrentCase() override { command(QStringLiteral("deleteCurrentCase")); }
    void saveChanges() override { command(QStringLiteral("saveChanges")); }

    QString editorLeftCaption() const override { return lewa; }
    void setEditorLeftCaption(const QString& c) override { lewa = c; }
    QString editorTopCaption() const override { return top; }
    void setEditorTopCaption(const QString& c) override { top = c; }
    QString editorWidthCaption() const override { return szer; }
    void setEditorWidthCaption(const QString& c) override { szer = c; }
    QString editorHeightCaption() const override { return wys; }
    void setEditorHeightCaption(const QString& c) override { wys = c; }

    ColorValue panelColor() const override { return storedPanelColor; }
    void setPanelColor(ColorValue c) override
    {
        storedPanelColor = c;
        log << QStringLiteral("setPanelColor");
    }
    ColorValue editBoxColor() const override { return storedEditBoxColor; }
    void setEditBoxColor(ColorValue c) override
    {
        storedEditBoxColor = c;
        log << QStringLiteral("setEditBoxColor");
    }
    ColorValue labelFontColor() const override { return storedLabelFontColor; }
    void setLabelFontColor(ColorValue c) override
    {
        storedLabelFontColor = c;
        log << QStringLiteral("setLabelFontColor");
    }
    ColorValue editFontColor() const override { return storedEditFontColor; }
    void setEditFontColor(ColorValue c) override
    {
        storedEditFontColor = c;
        log << QStringLiteral("setEditFontColor");
    }
    int editFontSize() const override { return storedEditFontSize; }
    void setEditFontSize(int points) override
    {
        storedEditFontSize = points;
        log << QStringLiteral("setEditFontSize");
    }

    void enableRegenerate() override { log << QStringLiteral("enableRegenerate"); }
    void saveSettings() override { log << QStringLiteral("saveSettings"); }
};

} // namespace kolvar::test

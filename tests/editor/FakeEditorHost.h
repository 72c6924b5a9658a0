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

    ColorValue panelColor = colors::Silver;
    ColorValue editBoxColor = colors::Window;
    ColorValue labelFontColor = colors::Black;
    ColorValue editFontColor = colors::Black;
    int editFontSize = 10;

    // Runs after a record command is logged, as the main window's work on the editor would.
    std::function<void(const QString&)> onCommand;

    [[nodiscard]] int count(const QString& entry) const { return int(log.count(entry)); }

    void command(const QString& name)
    {
        log << name;
        if (onCommand)
            onCommand(name);
    }

    void Pierwszy1Click() override { command(QStringLiteral("Pierwszy1Click")); }
    void Poprzedni1Click() override { command(QStringLiteral("Poprzedni1Click")); }
    void Nastepny1Click() override { command(QStringLiteral("Nastepny1Click")); }
    void Ostatni1Click() override { command(QStringLiteral("Ostatni1Click")); }
    void Dodaj1Click() override { command(QStringLiteral("Dodaj1Click")); }
    void Zniszcz1Click() override { command(QStringLiteral("Zniszcz1Click")); }
    void Zmiana1Click() override { command(QStringLiteral("Zmiana1Click")); }

    QString lblLewaCaption() const override { return lewa; }
    void setLblLewaCaption(const QString& c) override { lewa = c; }
    QString lblTopCaption() const override { return top; }
    void setLblTopCaption(const QString& c) override { top = c; }
    QString lblSzerCaption() const override { return szer; }
    void setLblSzerCaption(const QString& c) override { szer = c; }
    QString lblWysCaption() const override { return wys; }
    void setLblWysCaption(const QString& c) override { wys = c; }

    ColorValue PanelColor() const override { return panelColor; }
    void setPanelColor(ColorValue c) override
    {
        panelColor = c;
        log << QStringLiteral("setPanelColor");
    }
    ColorValue EditBoxColor() const override { return editBoxColor; }
    void setEditBoxColor(ColorValue c) override
    {
        editBoxColor = c;
        log << QStringLiteral("setEditBoxColor");
    }
    ColorValue LabelFontColor() const override { return labelFontColor; }
    void setLabelFontColor(ColorValue c) override
    {
        labelFontColor = c;
        log << QStringLiteral("setLabelFontColor");
    }
    ColorValue EditFontColor() const override { return editFontColor; }
    void setEditFontColor(ColorValue c) override
    {
        editFontColor = c;
        log << QStringLiteral("setEditFontColor");
    }
    int EditFontSize() const override { return editFontSize; }
    void setEditFontSize(int points) override
    {
        editFontSize = points;
        log << QStringLiteral("setEditFontSize");
    }

    void EnableRegeneruj() override { log << QStringLiteral("EnableRegeneruj"); }
    void SaveSettings() override { log << QStringLiteral("SaveSettings"); }
};

} // namespace kolvar::test

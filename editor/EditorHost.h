#pragma once

#include "ColorValue.h"

#include <QString>

namespace kolvar {

// What the record editor takes from the main window and gives back to it. The main window owns
// the database, the settings file and everything the editor keeps from one run to the next; the
// editor reaches it only through this interface, so that it never depends on the main window's
// code and tests can stand in for it.
class EditorHost
{
public:
    virtual ~EditorHost() = default;

    // The record commands behind the editor's seven speed buttons. Every check, question and
    // message of these commands is the main window's; the editor only passes the click on.
    virtual void Pierwszy1Click() = 0;
    virtual void Poprzedni1Click() = 0;
    virtual void Nastepny1Click() = 0;
    virtual void Ostatni1Click() = 0;
    virtual void Dodaj1Click() = 0;
    virtual void Zniszcz1Click() = 0;
    virtual void Zmiana1Click() = 0;

    // The captions of the main window's hidden labels lblLewa, lblTop, lblSzer and lblWys: the
    // editor's Left, Top, Width and Height as decimal text. Read when the editor is created,
    // written when it closes.
    [[nodiscard]] virtual QString lblLewaCaption() const = 0;
    virtual void setLblLewaCaption(const QString& caption) = 0;
    [[nodiscard]] virtual QString lblTopCaption() const = 0;
    virtual void setLblTopCaption(const QString& caption) = 0;
    [[nodiscard]] virtual QString lblSzerCaption() const = 0;
    virtual void setLblSzerCaption(const QString& caption) = 0;
    [[nodiscard]] virtual QString lblWysCaption() const = 0;
    virtual void setLblWysCaption(const QString& caption) = 0;

    // The editor's appearance, kept by the main window in the settings file. Read when the
    // editor is created, written by the editor's appearance commands.
    [[nodiscard]] virtual ColorValue PanelColor() const = 0;
    virtual void setPanelColor(ColorValue color) = 0;
    [[nodiscard]] virtual ColorValue EditBoxColor() const = 0;
    virtual void setEditBoxColor(ColorValue color) = 0;
    [[nodiscard]] virtual ColorValue LabelFontColor() const = 0;
    virtual void setLabelFontColor(ColorValue color) = 0;
    [[nodiscard]] virtual ColorValue EditFontColor() const = 0;
    virtual void setEditFontColor(ColorValue color) = 0;
    // In points.
    [[nodiscard]] virtual int EditFontSize() const = 0;
    virtual void setEditFontSize(int points) = 0;

    // Enables the main window's menu item Regeneruj1 (regenerate the database).
    virtual void EnableRegeneruj() = 0;
    // Writes the whole settings file; the editor calls it at every close.
    virtual void SaveSettings() = 0;
};

} // namespace kolvar

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
    virtual void firstCase() = 0;
    virtual void previousCase() = 0;
    virtual void nextCase() = 0;
    virtual void lastCase() = 0;
    virtual void addNewCase() = 0;
    virtual void deleteCurrentCase() = 0;
    virtual void saveChanges() = 0;

    // The captions of the main window's hidden labels lblLewa, lblTop, lblSzer and lblWys: the
    // editor's Left, Top, Width and Height as decimal text. Read when the editor is created,
    // written when it closes.
    [[nodiscard]] virtual QString editorLeftCaption() const = 0;
    virtual void setEditorLeftCaption(const QString& caption) = 0;
    [[nodiscard]] virtual QString editorTopCaption() const = 0;
    virtual void setEditorTopCaption(const QString& caption) = 0;
    [[nodiscard]] virtual QString editorWidthCaption() const = 0;
    virtual void setEditorWidthCaption(const QString& caption) = 0;
    [[nodiscard]] virtual QString editorHeightCaption() const = 0;
    virtual void setEditorHeightCaption(const QString& caption) = 0;

    // The editor's appearance, kept by the main window in the settings file. Read when the
    // editor is created, written by the editor's appearance commands.
    [[nodiscard]] virtual ColorValue panelColor() const = 0;
    virtual void setPanelColor(ColorValue color) = 0;
    [[nodiscard]] virtual ColorValue editBoxColor() const = 0;
    virtual void setEditBoxColor(ColorValue color) = 0;
    [[nodiscard]] virtual ColorValue labelFontColor() const = 0;
    virtual void setLabelFontColor(ColorValue color) = 0;
    [[nodiscard]] virtual ColorValue editFontColor() const = 0;
    virtual void setEditFontColor(ColorValue color) = 0;
    // In points.
    [[nodiscard]] virtual int editFontSize() const = 0;
    virtual void setEditFontSize(int points) = 0;

    // Enables the main window's menu item regenerateAction (regenerate the database).
    virtual void enableRegenerate() = 0;
    // Writes the whole settings file; the editor calls it at every close.
    virtual void saveSettings() = 0;
};

} // namespace kolvar

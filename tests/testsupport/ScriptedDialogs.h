#pragma once

#include "PrinterAccess.h"
#include "UserDialogs.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <optional>

namespace kolvar::test {

// Stands in for every dialog while it lives: answers come from queues the test fills, and every
// dialog that would have been shown is recorded. A dialog with nothing queued gets the cautious
// answer (the last button, a cancelled file or colour dialog) and is recorded all the same.
class ScriptedDialogs final : public UserDialogs
{
public:
    struct Shown
    {
        enum Kind {
            Message,
            Question,
            OpenFile,
            SaveFile,
            Color,
            Font,
            Printer,
            PrinterSetup,
            Server,
            Password
        };
        Kind kind;
        QString text; // message text, or the dialog's preset file name
        MessageIcon icon = MessageIcon::None;
        QList<DialogButton> buttons;
        FileDialogRequest file; // for the file dialogs
        // The print dialog: the pages it offered and the range it started with.
        int pageCount = 0;
        bool pageRange = false;
        int fromPage = 0;
        int toPage = 0;
        QString details {}; // a message's technical text under "Szczegóły"
        kolvar::PrinterSetup setup {}; // what the printer set-up started with
        // A question's button for Enter, and the window it was shown over.
        std::optional<DialogButton> enterButton {};
        QWidget* parent = nullptr;
    };

    ScriptedDialogs();
    ~ScriptedDialogs() override;
    ScriptedDialogs(const ScriptedDialogs&) = delete;
    ScriptedDialogs& operator=(const ScriptedDialogs&) = delete;

    std::deque<DialogButton> answers;
    std::deque<std::optional<QString>> files;
    // The file type chosen in a save dialog that offers types, one for each file taken from
    // files; the first type when none is queued.
    std::deque<int> fileTypes;
    std::deque<std::optional<QColor>> colors;
    std::deque<std::optional<FontChoice>> fonts;
    std::deque<bool> printers; // answers of the print dialog
    // What the user changes in the print dialog before pressing its print button.
    std::function<void(QPrinter&)> choosePrint;
    // Answers of the printer set-up: the choice confirmed, or nothing for a cancelled one.
    std::deque<std::optional<kolvar::PrinterSetup>> setups;
    std::deque<std::optional<ServerChoice>> servers;
    std::deque<std::optional<QString>> passwords;
    // Runs while a message or question is "on screen", e.g. to look at the window behind it.
    std::function<void(const Shown&)> onShow;

    QList<Shown> shown;

    // The texts of the messages and questions, in order.
    [[nodiscard]] QStringList texts() const;
    void clear() { shown.clear(); }

    void message(QWidget* parent, const QString& text, MessageIcon icon) override;
    void messageWithDetails(
        QWidget* parent, const QString& text, const QString& details, MessageIcon icon) override;
    DialogButton ask(QWidget* parent, const QString& text, const QList<DialogButton>& buttons,
        MessageIcon icon, std::optional<DialogButton> enterButton) override;
    std::optional<QString> openFile(QWidget* parent, const FileDialogRequest& request) override;
    std::optional<QString> saveFile(QWidget* parent, const FileDialogRequest& request) override;
    std::optional<ChosenFile> saveFileOfType(
        QWidget* parent, const FileDialogRequest& request) override;
    std::optional<QColor> chooseColor(QWidget* parent, const QColor& initial) override;
    std::optional<FontChoice> chooseFont(QWidget* parent, const FontChoice& initial) override;
    bool choosePrinter(QWidget* parent, QPrinter& printer, int pageCount) override;
    bool setUpPrinter(QWidget* parent, kolvar::PrinterSetup& setup) override;
    std::optional<ServerChoice> chooseServer(
        QWidget* parent, const QString& caption, const ServerChoice& initial) override;
    std::optional<QString> askPassword(QWidget* parent, const QString& text) override;

private:
    UserDialogs* m_previous;
};

} // namespace kolvar::test

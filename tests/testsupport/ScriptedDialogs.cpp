#include "ScriptedDialogs.h"

#include <QPrinter>

namespace kolvar::test {

namespace {
template <typename T> T take(std::deque<T>& queue, T fallback)
{
    if (!queue.empty()) {
        fallback = std::move(queue.front());
        queue.pop_front();
    }
    return fallback;
}
} // namespace

ScriptedDialogs::ScriptedDialogs()
    : m_previous(setUserDialogs(this))
{ }

ScriptedDialogs::~ScriptedDialogs()
{
    setUserDialogs(m_previous);
}

QStringList ScriptedDialogs::texts() const
{
    QStringList out;
    for (const Shown& s : shown) {
        if (s.kind == Shown::Message || s.kind == Shown::Question)
            out << s.text;
    }
    return out;
}

void ScriptedDialogs::message(QWidget*, const QString& text, MessageIcon icon)
{
    shown.append({ Shown::Message, text, icon, { DialogButton::Ok }, {} });
    if (onShow)
        onShow(shown.last());
}

void ScriptedDialogs::messageWithDetails(
    QWidget*, const QString& text, const QString& details, MessageIcon icon)
{
    Shown message { Shown::Message, text, icon, { DialogButton::Ok }, {} };
    message.details = details;
    shown.append(message);
    if (onShow)
        onShow(shown.last());
}

DialogButton ScriptedDialogs::ask(QWidget* parent, const QString& text,
    const QList<DialogButton>& buttons, MessageIcon icon, std::optional<DialogButton> enterButton)
{
    shown.append({ Shown::Question, text, icon, buttons, {} });
    shown.last().enterButton = enterButton;
    shown.last().parent = parent;
    if (onShow)
        onShow(shown.last());
    return take(answers, buttons.isEmpty() ? DialogButton::Ok : buttons.last());
}

std::optional<QString> ScriptedDialogs::openFile(QWidget*, const FileDialogRequest& request)
{
    shown.append({ Shown::OpenFile, request.fileName, MessageIcon::None, {}, request });
    return take(files, std::optional<QString>());
}

std::optional<QString> ScriptedDialogs::saveFile(QWidget*, const FileDialogRequest& request)
{
    shown.append({ Shown::SaveFile, request.fileName, MessageIcon::None, {}, request });
    return take(files, std::optional<QString>());
}

std::optional<ChosenFile> ScriptedDialogs::saveFileOfType(
    QWidget* parent, const FileDialogRequest& request)
{
    const std::optional<QString> path = saveFile(parent, request);
    const int type = take(fileTypes, 0);
    if (!path)
        return std::nullopt;
    return ChosenFile { *path, type };
}

std::optional<QColor> ScriptedDialogs::chooseColor(QWidget*, const QColor& initial)
{
    shown.append({ Shown::Color, initial.name(), MessageIcon::None, {}, {} });
    return take(colors, std::optional<QColor>());
}

std::optional<FontChoice> ScriptedDialogs::chooseFont(QWidget*, const FontChoice& initial)
{
    shown.append({ Shown::Font, initial.font.toString(), MessageIcon::None, {}, {} });
    return take(fonts, std::optional<FontChoice>());
}

bool ScriptedDialogs::choosePrinter(QWidget*, QPrinter& printer, int pageCount)
{
    Shown shown_ { Shown::Printer, {}, MessageIcon::None, {}, {} };
    shown_.pageCount = pageCount;
    shown_.pageRange = printer.printRange() == QPrinter::PageRange;
    shown_.fromPage = printer.fromPage();
    shown_.toPage = printer.toPage();
    shown.append(shown_);
    const bool print = take(printers, false);
    if (print && choosePrint)
        choosePrint(printer);
    return print;
}

bool ScriptedDialogs::setUpPrinter(QWidget*, PrinterSetup& setup)
{
    Shown shown_ { Shown::PrinterSetup, {}, MessageIcon::None, {}, {} };
    shown_.setup = setup;
    shown.append(shown_);
    const std::optional<PrinterSetup> answer = take(setups, std::optional<PrinterSetup>());
    if (!answer)
        return false;
    setup = *answer;
    return true;
}

std::optional<ServerChoice> ScriptedDialogs::chooseServer(
    QWidget*, const QString& caption, const ServerChoice&)
{
    shown.append({ Shown::Server, caption, MessageIcon::None, {}, {} });
    return take(servers, std::optional<ServerChoice>());
}

std::optional<QString> ScriptedDialogs::askPassword(QWidget*, const QString& text)
{
    shown.append({ Shown::Password, text, MessageIcon::None, {}, {} });
    return take(passwords, std::optional<QString>());
}

} // namespace kolvar::test

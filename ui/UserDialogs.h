#pragma once

#include <QColor>
#include <QFont>
#include <QList>
#include <QString>

#include <optional>

class QPrinter;
class QWidget;

namespace kolvar {

struct PrinterSetup;

enum class MessageIcon { None, Information, Warning, Error, Question };
// BackToEditing ("Wróć do edycji") answers a question about a save by changing nothing: the user
// goes on typing where the question came from.
enum class DialogButton { Ok, Yes, No, Cancel, BackToEditing };

struct FileDialogRequest
{
    QString caption;
    QString folder; // where the dialog starts
    QString fileName; // preset name, bare or full
    QString filter; // "Pliki bazowe (*.db)|*.db|Dowolne pliki (*.*)|*.*" style, '|'-separated pairs
    QString defaultSuffix; // appended to a typed name without an extension, without the dot
};

// A file chosen in a save dialog, with the file type chosen under the name: 0 for the filter's
// first pair, 1 for the second, and so on.
struct ChosenFile
{
    QString path;
    int type = 0;
};

// A database server holding a register, as the server dialog asks for it.
struct ServerChoice
{
    QString host;
    int port = 5432;
    QString database;
    QString user;
    bool requireTls = false;
};

struct FontChoice
{
    QFont font;
    QColor color;
};

// Every message box and common dialog of the program goes through this interface, so that the
// windows can be driven by tests with scripted answers. The real implementation opens Qt's
// dialogs; a window never constructs a QMessageBox or QFileDialog itself.
class UserDialogs
{
public:
    virtual ~UserDialogs() = default;

    // A message with an OK button: plain (no icon, application title as caption), information,
    // warning or error. The error form is what the user sees when a command fails.
    virtual void message(QWidget* parent, const QString& text, MessageIcon icon = MessageIcon::None)
        = 0;
    // A message whose text is one sentence for the user, with the technical text (the engine's
    // own words, the statement it refused) kept under "Szczegóły", shown only on request.
    virtual void messageWithDetails(
        QWidget* parent, const QString& text, const QString& details, MessageIcon icon)
        = 0;
    // A question with the given buttons; returns the one pressed (closing the box counts as the
    // last button given, usually No or Cancel). Enter presses enterButton, when given: the
    // answer that loses nothing, where the other one overwrites or destroys.
    virtual DialogButton ask(QWidget* parent, const QString& text,
        const QList<DialogButton>& buttons, MessageIcon icon = MessageIcon::Question,
        std::optional<DialogButton> enterButton = std::nullopt)
        = 0;

    // Full path of the chosen file, or nothing when cancelled.
    virtual std::optional<QString> openFile(QWidget* parent, const FileDialogRequest& request) = 0;
    virtual std::optional<QString> saveFile(QWidget* parent, const FileDialogRequest& request) = 0;
    // A save dialog whose file types choose how the file is written, not only which names show.
    virtual std::optional<ChosenFile> saveFileOfType(
        QWidget* parent, const FileDialogRequest& request)
        = 0;

    virtual std::optional<QColor> chooseColor(QWidget* parent, const QColor& initial) = 0;
    virtual std::optional<FontChoice> chooseFont(QWidget* parent, const FontChoice& initial) = 0;

    // The print dialog (printer, copies, pages 1 to pageCount), starting from the range printer
    // holds and leaving the user's choice in it; false when cancelled.
    virtual bool choosePrinter(QWidget* parent, QPrinter& printer, int pageCount) = 0;
    // The printer set-up: the queue, the paper and the orientation; false when cancelled.
    virtual bool setUpPrinter(QWidget* parent, PrinterSetup& setup) = 0;
    // The server register dialog (serwer, port, baza danych, użytkownik, szyfrowanie wymagane);
    // nothing when cancelled.
    virtual std::optional<ServerChoice> chooseServer(
        QWidget* parent, const QString& caption, const ServerChoice& initial)
        = 0;
    // A password, typed hidden; nothing when cancelled.
    virtual std::optional<QString> askPassword(QWidget* parent, const QString& text) = 0;
};

// The dialogs the program uses. Starts as the real Qt dialogs; tests install their own.
UserDialogs& userDialogs();
// Installs another implementation (not owned) and returns the previous one; nullptr restores the
// real dialogs.
UserDialogs* setUserDialogs(UserDialogs* dialogs);

// Turns a filter of '|'-separated description and pattern pairs into Qt's ";;" form.
[[nodiscard]] QString qtFileFilter(const QString& pipeFilter);

} // namespace kolvar

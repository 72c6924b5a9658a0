#include "UserDialogs.h"

#include "PrinterSetupDialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QFormLayout>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QSpinBox>
#include <QTranslator>

#include <algorithm>

namespace kolvar {

namespace {

QMessageBox::StandardButton toQt(DialogButton b)
{
    switch (b) {
    case DialogButton::Ok:
        return QMessageBox::Ok;
    case DialogButton::Yes:
        return QMessageBox::Yes;
    case DialogButton::No:
        return QMessageBox::No;
    case DialogButton::Cancel:
        return QMessageBox::Cancel;
    case DialogButton::BackToEditing:
        break;
    }
    return QMessageBox::NoButton;
}

QString caption(DialogButton b)
{
    switch (b) {
    case DialogButton::Ok:
        return QStringLiteral("OK");
    case DialogButton::Yes:
        return QStringLiteral("&Tak");
    case DialogButton::No:
        return QStringLiteral("&Nie");
    case DialogButton::Cancel:
        return QStringLiteral("Anuluj");
    case DialogButton::BackToEditing:
        return QStringLiteral("&Wróć do edycji");
    }
    return {};
}

QMessageBox::Icon toQt(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::None:
        return QMessageBox::NoIcon;
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::Error:
        return QMessageBox::Critical;
    case MessageIcon::Question:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

QString captionFor(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Information:
        return QStringLiteral("Informacja");
    case MessageIcon::Warning:
        return QStringLiteral("Ostrzeżenie");
    case MessageIcon::Error:
        return QStringLiteral("Błąd");
    case MessageIcon::Question:
        return QStringLiteral("Potwierdzenie");
    case MessageIcon::None:
        break;
    }
    return QApplication::applicationName();
}

QString withSuffix(const QString& path, const QString& suffix)
{
    if (path.isEmpty() || suffix.isEmpty() || !QFileInfo(path).suffix().isEmpty())
        return path;
    return path + QLatin1Char('.') + suffix;
}

// QMessageBox names the button of its detailed text itself and renames it on every press;
// without Qt's own Polish translations it would say "Show Details...".
class DetailsButtonCaptions final : public QTranslator
{
public:
    QString translate(const char* context, const char* sourceText, const char*, int) const override
    {
        if (qstrcmp(context, "QMessageBox") != 0)
            return {};
        if (qstrcmp(sourceText, "Show Details...") == 0)
            return QStringLiteral("Szczegóły");
        if (qstrcmp(sourceText, "Hide Details...") == 0)
            return QStringLiteral("Ukryj szczegóły");
        return {};
    }
    [[nodiscard]] bool isEmpty() const override { return false; }
};

// Messages quote senders and phrases the user typed; "<b>x</b>" must read as those characters,
// not as bold x, which Qt's guess of rich text would make of it.
void showAsTyped(QMessageBox& box)
{
    box.setTextFormat(Qt::PlainText);
}

class QtDialogs final : public UserDialogs
{
public:
    void message(QWidget* parent, const QString& text, MessageIcon icon) override
    {
        QMessageBox box(toQt(icon), captionFor(icon), text, QMessageBox::Ok, parent);
        showAsTyped(box);
        box.exec();
    }

    void messageWithDetails(
        QWidget* parent, const QString& text, const QString& details, MessageIcon icon) override
    {
        DetailsButtonCaptions captions;
        QCoreApplication::installTranslator(&captions);
        QMessageBox box(toQt(icon), captionFor(icon), text, QMessageBox::Ok, parent);
        showAsTyped(box);
        box.setDetailedText(details);
        box.exec();
        QCoreApplication::removeTranslator(&captions);
    }

    DialogButton ask(QWidget* parent, const QString& text, const QList<DialogButton>& buttons,
        MessageIcon icon, std::optional<DialogButton> enterButton) override
    {
        QMessageBox box(toQt(icon), captionFor(icon), text, QMessageBox::NoButton, parent);
        showAsTyped(box);
        QList<QPushButton*> made;
        // Polish captions whether or not Qt's own translations are installed.
        for (DialogButton b : buttons) {
            QPushButton* button = toQt(b) == QMessageBox::NoButton
                ? box.addButton(caption(b), QMessageBox::RejectRole)
                : box.addButton(toQt(b));
            button->setText(caption(b));
            made << button;
            if (enterButton == b)
                box.setDefaultButton(button);
        }
        if (!made.isEmpty())
            box.setEscapeButton(made.last());
        box.exec();
        const auto pressed = std::find(made.cbegin(), made.cend(), box.clickedButton());
        if (pressed != made.cend())
            return buttons.at(pressed - made.cbegin());
        return buttons.isEmpty() ? DialogButton::Ok : buttons.last();
    }

    std::optional<QString> openFile(QWidget* parent, const FileDialogRequest& r) override
    {
        QFileDialog dialog(parent, r.caption, r.folder, qtFileFilter(r.filter));
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        if (!r.fileName.isEmpty())
            dialog.selectFile(r.fileName);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return std::nullopt;
        return dialog.selectedFiles().constFirst();
    }

    std::optional<QString> saveFile(QWidget* parent, const FileDialogRequest& r) override
    {
        const auto chosen = saveFileOfType(parent, r);
        if (!chosen)
            return std::nullopt;
        return chosen->path;
    }

    std::optional<ChosenFile> saveFileOfType(QWidget* parent, const FileDialogRequest& r) override
    {
        const QString filter = qtFileFilter(r.filter);
        QFileDialog dialog(parent, r.caption, r.folder, filter);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        // The program asks itself about an existing file, with its own message.
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
        if (!r.fileName.isEmpty())
            dialog.selectFile(r.fileName);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return std::nullopt;
        const int type
            = int(filter.split(QStringLiteral(";;")).indexOf(dialog.selectedNameFilter()));
        return ChosenFile { withSuffix(dialog.selectedFiles().constFirst(), r.defaultSuffix),
            std::max(type, 0) };
    }

    std::optional<QColor> chooseColor(QWidget* parent, const QColor& initial) override
    {
        const QColor c = QColorDialog::getColor(initial, parent);
        if (!c.isValid())
            return std::nullopt;
        return c;
    }

    std::optional<FontChoice> chooseFont(QWidget* parent, const FontChoice& initial) override
    {
        bool ok = false;
        const QFont f = QFontDialog::getFont(&ok, initial.font, parent);
        if (!ok)
            return std::nullopt;
        // Qt's font dialog has no colour; the colour dialog follows, starting from the old one.
        const QColor c = QColorDialog::getColor(initial.color, parent);
        return FontChoice { f, c.isValid() ? c : initial.color };
    }

    bool choosePrinter(QWidget* parent, QPrinter& printer, int pageCount) override
    {
        QPrintDialog dialog(&printer, parent);
        dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
        dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, true);
        dialog.setMinMax(1, std::max(1, pageCount));
        return dialog.exec() == QDialog::Accepted;
    }

    bool setUpPrinter(QWidget* parent, PrinterSetup& setup) override
    {
        PrinterSetupDialog dialog(setup, parent);
        if (dialog.exec() != QDialog::Accepted)
            return false;
        setup = dialog.chosen();
        return true;
    }

    std::optional<ServerChoice> chooseServer(
        QWidget* parent, const QString& caption, const ServerChoice& initial) override
    {
        QDialog dialog(parent);
        dialog.setWindowTitle(caption);
        auto* form = new QFormLayout(&dialog);
        auto* host = new QLineEdit(initial.host, &dialog);
        host->setObjectName(QStringLiteral("serwer"));
        // A reader says a placeholder with the field's text as if both were typed: the example
        // is shown only while the field is empty.
        const QString example = QStringLiteral("np. serwer.urzad.local");
        const auto showExample = [host, example] {
            host->setPlaceholderText(host->text().isEmpty() ? example : QString());
        };
        showExample();
        QObject::connect(host, &QLineEdit::textChanged, host, showExample);
        auto* port = new QSpinBox(&dialog);
        port->setObjectName(QStringLiteral("port"));
        port->setRange(1, 65535);
        port->setValue(initial.port);
        auto* database = new QLineEdit(initial.database, &dialog);
        database->setObjectName(QStringLiteral("baza"));
        auto* user = new QLineEdit(initial.user, &dialog);
        user->setObjectName(QStringLiteral("uzytkownik"));
        auto* tls = new QCheckBox(QStringLiteral("&Szyfrowanie wymagane"), &dialog);
        tls->setObjectName(QStringLiteral("szyfrowanie"));
        tls->setChecked(initial.requireTls);
        form->addRow(QStringLiteral("S&erwer:"), host);
        form->addRow(QStringLiteral("&Port:"), port);
        form->addRow(QStringLiteral("&Baza danych:"), database);
        form->addRow(QStringLiteral("&Użytkownik:"), user);
        form->addRow(tls);
        auto* buttons
            = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
        buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Anuluj"));
        QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
        QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
        form->addRow(buttons);
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        return ServerChoice { host->text().trimmed(), port->value(), database->text().trimmed(),
            user->text().trimmed(), tls->isChecked() };
    }

    std::optional<QString> askPassword(QWidget* parent, const QString& text) override
    {
        QInputDialog dialog(parent);
        dialog.setWindowTitle(QStringLiteral("Hasło"));
        dialog.setLabelText(text);
        dialog.setTextEchoMode(QLineEdit::Password);
        dialog.setOkButtonText(QStringLiteral("OK"));
        dialog.setCancelButtonText(QStringLiteral("Anuluj"));
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        return dialog.textValue();
    }
};

QtDialogs& qtDialogs()
{
    static QtDialogs instance;
    return instance;
}

UserDialogs* current = nullptr;

} // namespace

UserDialogs& userDialogs()
{
    return current ? *current : qtDialogs();
}

UserDialogs* setUserDialogs(UserDialogs* dialogs)
{
    UserDialogs* previous = current;
    current = dialogs;
    return previous;
}

QString qtFileFilter(const QString& pipeFilter)
{
    const QStringList parts = pipeFilter.split(QLatin1Char('|'));
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts.at(i);
        QString pattern = parts.at(i + 1);
        pattern.replace(QLatin1Char(';'), QLatin1Char(' '));
        if (!description.contains(QLatin1Char('(')))
            description += QStringLiteral(" (") + pattern + QLatin1Char(')');
        out << description;
    }
    return out.join(QStringLiteral(";;"));
}

} // namespace kolvar

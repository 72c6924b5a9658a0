#pragma once

#include "UserDialogs.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>
#include <vector>

namespace kolvar::bench {

// The register of count generated cases in folder, written (seed 1) when it is not there yet.
// Returns its full path.
[[nodiscard]] QString ensureRegister(const QString& folder, int count);

// Where registers are kept between runs: $KOLVAR_BENCH_DATA, else bench/data of the source tree.
[[nodiscard]] QString dataFolder();

// A fresh program folder whose kolvar.ini opens registerPath, listed by sender; removed with the
// object. The program's settings land here, never beside a real program.
class ProgramFolder
{
public:
    explicit ProgramFolder(const QString& registerPath, int sortMode = 3);
    [[nodiscard]] QString path() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
};

// Stands in for every dialog of a headless run: messages are kept for the caller to check,
// questions get "No" (keep going without the typing), the open-file dialog picks fileToOpen, the
// other file, colour and printer dialogs are cancelled.
class SilentDialogs final : public UserDialogs
{
public:
    SilentDialogs();
    ~SilentDialogs() override;
    SilentDialogs(const SilentDialogs&) = delete;
    SilentDialogs& operator=(const SilentDialogs&) = delete;

    QStringList messages;
    // What the open-file dialog answers; nothing is a cancelled dialog.
    std::optional<QString> fileToOpen;

    void message(QWidget* parent, const QString& text, MessageIcon icon) override;
    DialogButton ask(QWidget* parent, const QString& text, const QList<DialogButton>& buttons,
        MessageIcon icon) override;
    std::optional<QString> openFile(QWidget* parent, const FileDialogRequest& request) override;
    std::optional<QString> saveFile(QWidget* parent, const FileDialogRequest& request) override;
    std::optional<QColor> chooseColor(QWidget* parent, const QColor& initial) override;
    std::optional<FontChoice> chooseFont(QWidget* parent, const FontChoice& initial) override;
    bool choosePrinter(QWidget* parent, QPrinter& printer) override;
    bool setUpPrinter(QWidget* parent, QPrinter& printer) override;

private:
    UserDialogs* m_previous;
};

// Peak and current resident memory of this process from /proc/self/status, in bytes; 0 where
// the system does not tell.
[[nodiscard]] qint64 peakResidentBytes();
[[nodiscard]] qint64 residentBytes();

// Timings of repeated runs of one measurement, in seconds.
class Samples
{
public:
    void add(double seconds) { m_values.push_back(seconds); }
    [[nodiscard]] double min() const;
    [[nodiscard]] double median() const;
    [[nodiscard]] int count() const { return int(m_values.size()); }

private:
    std::vector<double> m_values;
};

} // namespace kolvar::bench

#pragma once

#include <QDialog>
#include <QString>

class QTextEdit;

namespace kolvar::hints {
class BevelPanel;
}

// The hints window: the user guide as read-only rich text. The text comes from "Ruvarez.rtf"
// beside the program when that file exists, and is the guide built into the window otherwise.
// Shown modally, a fresh window for each use; Escape, the close box and the system's close keys
// close it, always with the result Accepted.
class TFhelp : public QDialog
{
    Q_OBJECT
public:
    // programFolder is the folder of the program's executable, where the hints file is looked
    // for; the working folder plays no part.
    explicit TFhelp(const QString& programFolder, QWidget* parent = nullptr);
    ~TFhelp() override;
    TFhelp(const TFhelp&) = delete;
    TFhelp& operator=(const TFhelp&) = delete;

    [[nodiscard]] kolvar::hints::BevelPanel* Panel1() const { return m_Panel1; }
    [[nodiscard]] QTextEdit* RichEdit1() const { return m_RichEdit1; }
    // Where the hints file is looked for.
    [[nodiscard]] QString hintsFilePath() const;

    // Prepares the text and loads the hints file when it exists; every resize runs it, so the
    // file is read again and shown from its start.
    void FormShow();
    void FormResize();
    // Returns whether the key was used: Escape closes the window, other keys are left to the
    // control they were meant for.
    bool FormKeyDown(int key);
    void FormClose();

    // Closing by any road ends the modal loop with Accepted.
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    [[nodiscard]] int clientWidth() const;

    QString m_programFolder;
    kolvar::hints::BevelPanel* m_Panel1 = nullptr;
    QTextEdit* m_RichEdit1 = nullptr;
};

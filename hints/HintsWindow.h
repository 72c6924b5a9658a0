#pragma once

#include <QDialog>
#include <QString>

class QTextEdit;

namespace kolvar::hints {
class BevelPanel;
}

// The hints window: the user guide as read-only rich text. The text comes from "Ruvarez.rtf"
// beside the program, or else in the folder of the user's settings, when either exists, and is the
// guide built into the window otherwise.
// Shown modally, a fresh window for each use; Escape, the close box and the system's close keys
// close it, always with the result Accepted.
class HintsWindow : public QDialog
{
    Q_OBJECT
public:
    // The hints file is looked for beside the executable first, then in settingsFolder (the
    // program's folder, or the per-user one when the program's is not writable); the working
    // folder plays no part.
    explicit HintsWindow(const QString& settingsFolder, QWidget* parent = nullptr);
    HintsWindow(const QString& executableFolder, const QString& settingsFolder, QWidget* parent);
    ~HintsWindow() override;
    HintsWindow(const HintsWindow&) = delete;
    HintsWindow& operator=(const HintsWindow&) = delete;

    [[nodiscard]] kolvar::hints::BevelPanel* textPanel() const { return m_textPanel; }
    [[nodiscard]] QTextEdit* textView() const { return m_textView; }
    // The hints file shown: the one beside the executable when it exists, else the one in the
    // settings folder (which may not exist either).
    [[nodiscard]] QString hintsFilePath() const;

    // Prepares the text and loads the hints file when it exists, showing it from its start.
    void loadHints();
    // Runs loadHints when the text's width changed: only a new width can change what the file's
    // layout needs, and a reload throws away where the reader was.
    void followWidth();
    // Returns whether the key was used: Escape closes the window, other keys are left to the
    // control they were meant for.
    bool handleKey(int key);
    void finishClosing();

    // Closing by any road ends the modal loop with Accepted.
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QString m_executableFolder;
    QString m_settingsFolder;
    int m_shownWidth = -1;
    kolvar::hints::BevelPanel* m_textPanel = nullptr;
    QTextEdit* m_textView = nullptr;
};

#pragma once

#include <QMainWindow>
#include <QString>
#include <QStringView>

#include <array>
#include <functional>

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QPlainTextEdit;
class QPushButton;
class QToolButton;

namespace kolvar {

class Announcer;
class EditorHost;
class MaskedDateEdit;
class Panel;

// The seven case texts the editor shows, in the order of the case table's columns.
enum class EditorField { Termin, Nadawca, Dotyczy, Tryb, Odpowiedz, Szczegoly, Adnotacje };

inline constexpr std::array<EditorField, 7> AllEditorFields = {
    EditorField::Termin,
    EditorField::Nadawca,
    EditorField::Dotyczy,
    EditorField::Tryb,
    EditorField::Odpowiedz,
    EditorField::Szczegoly,
    EditorField::Adnotacje,
};

// The name the user knows a field by, for messages that point at one: "Wpłynęło", "Nadawca",
// "Dotyczy", "Tryb załatwienia", "Tryb udzielenia odpowiedzi", "Dane szczegółowe",
// "Adnotacje urzędowe".
[[nodiscard]] QString editorFieldName(EditorField field);

} // namespace kolvar

// The record editor window "Edycja i druk": one case at a time, the seven record buttons that
// call the main window, and the editor's own appearance commands. Closing it only hides it.
class CaseEditor : public QMainWindow
{
    Q_OBJECT
public:
    // Takes its geometry and appearance from the host at once; hidden until shown.
    explicit CaseEditor(kolvar::EditorHost& host, QWidget* parent = nullptr);
    ~CaseEditor() override;
    CaseEditor(const CaseEditor&) = delete;
    CaseEditor& operator=(const CaseEditor&) = delete;

    // The seven edit controls under their component names. Texts go in through setFieldText,
    // which keeps a stored text longer than a control's typing limit whole.
    [[nodiscard]] kolvar::MaskedDateEdit* dateEdit() const { return m_dateEdit; }
    [[nodiscard]] QLineEdit* senderEdit() const { return m_senderEdit; }
    [[nodiscard]] QLineEdit* subjectEdit() const { return m_subjectEdit; }
    [[nodiscard]] QComboBox* settlementCombo() const { return m_settlementCombo; }
    [[nodiscard]] QLineEdit* replyModeEdit() const { return m_replyModeEdit; }
    [[nodiscard]] QPlainTextEdit* detailsMemo() const { return m_detailsMemo; }
    [[nodiscard]] QPlainTextEdit* annotationsMemo() const { return m_annotationsMemo; }
    // The record position the main window writes, e.g. "3 z 17".
    [[nodiscard]] QLabel* positionLabel() const { return m_positionLabel; }

    // A field's text as the case record holds it: the date with its two separators and a blank
    // in every empty digit position ("    .  .  " when nothing is typed), memo lines joined with
    // "\r\n".
    [[nodiscard]] QString fieldText(kolvar::EditorField field) const;
    // Memo lines may be separated by "\r\n" or "\n". Filling the controls is not typing: it
    // leaves recordChanged as it is.
    void setFieldText(kolvar::EditorField field, const QString& text);

    // The texts now in the controls are the case as stored. From here on a field counts as
    // changed once its text differs from what it reads now, so that a save can leave the
    // untouched fields as they are stored, in bytes the controls cannot show (a lone line feed,
    // a NUL).
    void markShown();
    [[nodiscard]] bool fieldChanged(kolvar::EditorField field) const;

    // The name (editorFieldName) of the first field, in table order, whose text canEncode
    // refuses; empty when every field can be stored.
    [[nodiscard]] QString firstUnencodableField(
        const std::function<bool(QStringView)>& canEncode) const;

    // True when some field's text differs from what the editor showed, whichever field it is and
    // however the text got there; reading a field, moving through it or typing a text back to
    // what it was is no change. setRecordChanged(true) marks the case changed as it stands;
    // setRecordChanged(false) drops the question for the texts as they now stand (the user
    // answered "Nie"), while fieldChanged still tells a save which fields differ from the case.
    [[nodiscard]] bool recordChanged() const;
    void setRecordChanged(bool changed);

    // Shows the window in front with the focus in its first field, where a user of the keyboard
    // or a screen reader expects to go on.
    void present();
    // Says the case now shown to a screen reader ("Wpłynęło: 2024.01.29. Nadawca: Urząd Gminy.
    // Dotyczy: Wniosek. Rekord 3 z 17"), once the window is in front again if a question took the
    // focus away.
    void announceCase();
    // What announceCase says.
    [[nodiscard]] QString caseAnnouncement() const;

    // Asks the close question when recordChanged is set, and on a close writes the geometry back
    // into the host and has it save the settings; the window is then hidden. This also happens
    // when the window is already hidden (the save command closes the editor either way), which
    // QWidget::close() does not do for a window that has been shown once.
    bool close();

public slots:
    void layOutPanels();

    void firstCase();
    void previousCase();
    void nextCase();
    void lastCase();
    void addNewCase();
    void deleteCurrentCase();
    void saveChanges();
    void closeWindow();
    void clearFields();

    void printCase();
    void chooseWindowColor();
    void chooseFieldColor();
    void chooseCaptionColor();
    void chooseFieldFont();

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createControls();
    void createMenu();
    void setTabOrderChain();
    void initialize();
    void applyAppearance();
    [[nodiscard]] bool mayClose();
    void finishClosing();
    // Runs a record command of the host and, when it showed another case, announces it.
    void step(void (kolvar::EditorHost::*command)());
    // Says text as announceCase says a case.
    void announce(const QString& text);
    void speakAnnouncement();
    [[nodiscard]] int captionWidth(const QLabel* label) const;

    kolvar::EditorHost& m_host;
    bool m_markedChanged = false;
    std::array<QString, kolvar::AllEditorFields.size()> m_shownTexts;
    // The texts the unsaved-changes question is measured against: the shown ones, or those the
    // user chose to drop.
    std::array<QString, kolvar::AllEditorFields.size()> m_settledTexts;
    // Counts markShown calls, so that a step can tell whether it showed another case.
    int m_shownCount = 0;
    // Waits here while the window is not active; said once it is.
    QString m_pendingAnnouncement;

    kolvar::Panel* m_client = nullptr;
    kolvar::Panel* m_topPanel = nullptr;
    kolvar::Panel* m_buttonPanel = nullptr;
    kolvar::Panel* m_upperPanel = nullptr;
    kolvar::Panel* m_lowerPanel = nullptr;
    kolvar::Panel* m_settlementPanel = nullptr;
    kolvar::Panel* m_detailsPanel = nullptr;
    kolvar::Panel* m_annotationsPanel = nullptr;
    kolvar::Panel* m_replyModePanel = nullptr;

    QLabel* m_titleLabel = nullptr;
    QLabel* m_dateLabel = nullptr;
    QLabel* m_senderLabel = nullptr;
    QLabel* m_subjectLabel = nullptr;
    QLabel* m_settlementLabel = nullptr;
    QLabel* m_detailsLabel = nullptr;
    QLabel* m_annotationsLabel = nullptr;
    QLabel* m_replyModeLabel = nullptr;
    QLabel* m_positionCaptionLabel = nullptr;
    QLabel* m_positionLabel = nullptr;

    kolvar::MaskedDateEdit* m_dateEdit = nullptr;
    QLineEdit* m_senderEdit = nullptr;
    QLineEdit* m_subjectEdit = nullptr;
    QComboBox* m_settlementCombo = nullptr;
    QLineEdit* m_replyModeEdit = nullptr;
    QPlainTextEdit* m_detailsMemo = nullptr;
    QPlainTextEdit* m_annotationsMemo = nullptr;

    kolvar::Announcer* m_announcer = nullptr;
    QPushButton* m_clearButton = nullptr;
    QPushButton* m_closeButton = nullptr;
    std::array<QToolButton*, 7> m_speedButtons {};

    QMenuBar* m_menuBar = nullptr;
    QAction* m_printAction = nullptr;
    QMenu* m_settingsMenu = nullptr;
    QAction* m_windowColorAction = nullptr;
    QAction* m_fieldColorAction = nullptr;
    QAction* m_captionColorAction = nullptr;
    QAction* m_fieldFontAction = nullptr;

    // The font dialog remembers the typeface last picked, as a dialog kept for the window does.
    QString m_fontDialogFamily;
};

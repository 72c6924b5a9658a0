#pragma once

#include <QDialog>

class QButtonGroup;
class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// The find dialog of the phrase search: the phrase, whether letter case counts, whether the phrase
// must be the whole cell, and whether the list is searched row by row or column by column. It
// only asks; the main window searches with the answers once it closes with OK.
class FindDialog : public QDialog
{
    Q_OBJECT
public:
    explicit FindDialog(QWidget* parent = nullptr);

    [[nodiscard]] QLineEdit* phraseEdit() const { return m_phraseEdit; }
    [[nodiscard]] QCheckBox* matchCaseCheck() const { return m_matchCaseCheck; }
    [[nodiscard]] QCheckBox* wholeWordsCheck() const { return m_wholeWordsCheck; }
    [[nodiscard]] QGroupBox* orderGroup() const { return m_orderGroup; }
    [[nodiscard]] QPushButton* okButton() const { return m_okButton; }
    [[nodiscard]] QPushButton* cancelButton() const { return m_cancelButton; }

    // The radio group's selected item: 0 for "Szukaj kolejno rekordami", 1 for
    // "Szukaj kolejno kolumnami".
    [[nodiscard]] int orderIndex() const;
    void setOrderIndex(int index);

private:
    QFrame* m_bevel = nullptr;
    QLabel* m_phraseLabel = nullptr;
    QLineEdit* m_phraseEdit = nullptr;
    QCheckBox* m_matchCaseCheck = nullptr;
    QCheckBox* m_wholeWordsCheck = nullptr;
    QGroupBox* m_orderGroup = nullptr;
    QButtonGroup* m_items = nullptr;
    QPushButton* m_okButton = nullptr;
    QPushButton* m_cancelButton = nullptr;
};

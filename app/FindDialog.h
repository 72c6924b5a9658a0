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
class Tfinddlg : public QDialog
{
    Q_OBJECT
public:
    explicit Tfinddlg(QWidget* parent = nullptr);

    [[nodiscard]] QLineEdit* Search() const { return m_Search; }
    [[nodiscard]] QCheckBox* chkLitery() const { return m_chkLitery; }
    [[nodiscard]] QCheckBox* chkSlowa() const { return m_chkSlowa; }
    [[nodiscard]] QGroupBox* RadioGroup1() const { return m_RadioGroup1; }
    [[nodiscard]] QPushButton* Button1() const { return m_Button1; }
    [[nodiscard]] QPushButton* Button2() const { return m_Button2; }

    // The radio group's selected item: 0 for "Szukaj kolejno rekordami", 1 for
    // "Szukaj kolejno kolumnami".
    [[nodiscard]] int ItemIndex() const;
    void setItemIndex(int index);

private:
    QFrame* m_Bevel1 = nullptr;
    QLabel* m_Label1 = nullptr;
    QLineEdit* m_Search = nullptr;
    QCheckBox* m_chkLitery = nullptr;
    QCheckBox* m_chkSlowa = nullptr;
    QGroupBox* m_RadioGroup1 = nullptr;
    QButtonGroup* m_items = nullptr;
    QPushButton* m_Button1 = nullptr;
    QPushButton* m_Button2 = nullptr;
};

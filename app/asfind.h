#pragma once

#include <QDialog>

// The find dialog of the phrase search. Created at start-up with the other windows and hidden;
// its controls and the search itself come with the search commands.
class Tfinddlg : public QDialog
{
    Q_OBJECT
public:
    explicit Tfinddlg(QWidget* parent = nullptr);
};

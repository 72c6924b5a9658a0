#pragma once

#include "PrinterAccess.h"

#include <QDialog>
#include <QList>
#include <QPageSize>

class QComboBox;
class QRadioButton;

namespace kolvar {

// "Ustawienie drukarki": the queue, the paper it offers and the orientation, as a print set-up
// has always asked them. Qt's page set-up cannot change the printer and its print dialog would
// print at once, so the set-up is a small dialog of its own.
class PrinterSetupDialog final : public QDialog
{
    Q_OBJECT
public:
    PrinterSetupDialog(const PrinterSetup& setup, QWidget* parent = nullptr);

    // What the controls say now.
    [[nodiscard]] PrinterSetup chosen() const;

private:
    void fillPapers(const QPageSize& keep);

    QComboBox* m_printer;
    QComboBox* m_paper;
    QRadioButton* m_portrait;
    QRadioButton* m_landscape;
    QList<QPageSize> m_papers;
};

} // namespace kolvar

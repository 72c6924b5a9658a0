#pragma once

#include "PreviewWindow.h"

#include <QDialog>
#include <QImage>

#include <optional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QScrollArea;
class QToolButton;

namespace kolvar {
class UpDown;
}

namespace kolvar::grid {
class TZarur;
struct TPrintOptions;
} // namespace kolvar::grid

// "Podgląd i druk": one page of a grid's printout as a picture, beside the controls that edit the
// grid's print options in place (texts, logo, margins, sizes, frames), step through the pages,
// zoom, set up the printer and print. The grid lays out and draws; this window scales the
// finished picture.
class TPokazuj : public QDialog, public kolvar::grid::PreviewWindow
{
    Q_OBJECT
public:
    explicit TPokazuj(QWidget* owner = nullptr);
    ~TPokazuj() override;

    void SetGrid(kolvar::grid::TZarur* grid) override { m_Grid = grid; }
    QImage& PrintImage() override { return m_PrintImage; }
    void ShowPrintImage() override;
    void ShowModal() override;

    // The picture shown now, natural or scaled.
    [[nodiscard]] QImage shownImage() const { return m_shown; }

    void HeadersClick();
    void HeaderChange();
    void MarginsClick();
    void SpinMarginChange();
    void ckbordersClick();
    void SpinPageChange();
    void ckliveClick();
    void btnshowClick();
    void btnfullClick();
    void PreviewImageClick();
    void btnpicClick();
    void btnsetupClick();
    void btnprintClick();
    void btnCloseClick();

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormShow();
    void FitPageToWidth();
    void ShowScaled(double factor);
    void showScaledTo(int width);
    void showPicture(const QImage& picture);
    void liveRefresh();
    void countPages();
    [[nodiscard]] kolvar::grid::TPrintOptions& options() const;
    // The number in edit, or nothing after telling the user it is none.
    [[nodiscard]] std::optional<int> typedNumber(QLineEdit* edit);

    kolvar::grid::TZarur* m_Grid = nullptr;
    QImage m_PrintImage;
    QImage m_shown;

    QWidget* m_Panel1;
    QScrollArea* m_ScrollBox1;
    QLabel* m_PreviewImage;
    QLineEdit* m_Header;
    QToolButton* m_btnpic;
    QListWidget* m_Headers;
    QLineEdit* m_Margin;
    kolvar::UpDown* m_UpDown1;
    QCheckBox* m_ckborders;
    QListWidget* m_Margins;
    QCheckBox* m_cklive;
    QLineEdit* m_EditPage;
    kolvar::UpDown* m_UpDown2;
    QLabel* m_lblpages;
    QLabel* m_lblnote;
    QToolButton* m_btnShow;
    QToolButton* m_btnfull;
    QToolButton* m_btnsetup;
    QToolButton* m_btnprint;
    QToolButton* m_btnClose;
};

// Opens TPokazuj for every grid's PreviewPrintout.
void installPrintPreview();

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
class Announcer;
class UpDown;
} // namespace kolvar

namespace kolvar::grid {
class SortableGrid;
struct PrintOptions;
} // namespace kolvar::grid

// "Podgląd i druk": one page of a grid's printout as a picture, beside the controls that edit the
// grid's print options in place (texts, logo, margins, sizes, frames), step through the pages,
// zoom, set up the printer and print. The grid lays out and draws; this window scales the
// finished picture.
class ListPreview : public QDialog, public kolvar::grid::PreviewWindow
{
    Q_OBJECT
public:
    explicit ListPreview(QWidget* owner = nullptr);
    ~ListPreview() override;

    void setGrid(kolvar::grid::SortableGrid* grid) override { m_grid = grid; }
    QImage& printImage() override { return m_printImage; }
    void showPrintImage() override;
    void showModal() override;

    // The picture shown now, natural or scaled.
    [[nodiscard]] QImage shownImage() const { return m_shown; }

    void headerChosen();
    void headerEdited();
    void marginChosen();
    void marginEdited();
    void bordersToggled();
    void pageEdited();
    void liveToggled();
    void showPage();
    void showFullWidth();
    void zoomPage();
    void chooseLogo();
    void choosePrinter();
    void printPages();
    void closeWindow();

    // What a screen reader hears of the page shown: "Strona 2 z 3".
    [[nodiscard]] QString pageAnnouncement() const;

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void loadOptions();
    void fitPageToWidth();
    void showScaled(double factor);
    void showScaledTo(int width);
    void showPicture(const QImage& picture);
    void liveRefresh();
    void countPages();
    // Says the page shown, once the window is active if it is not yet.
    void sayPage();
    [[nodiscard]] kolvar::grid::PrintOptions& options() const;
    // The number in edit, or nothing after telling the user it is none.
    [[nodiscard]] std::optional<int> typedNumber(QLineEdit* edit);

    kolvar::grid::SortableGrid* m_grid = nullptr;
    QImage m_printImage;
    QImage m_shown;

    QWidget* m_controlPanel;
    QScrollArea* m_scrollArea;
    QLabel* m_pageView;
    QLineEdit* m_headerEdit;
    QToolButton* m_logoButton;
    QListWidget* m_headerList;
    QLineEdit* m_marginEdit;
    kolvar::UpDown* m_marginUpDown;
    QCheckBox* m_bordersCheck;
    QListWidget* m_marginList;
    QCheckBox* m_liveCheck;
    QLineEdit* m_pageEdit;
    kolvar::UpDown* m_pageUpDown;
    QLabel* m_pageCountLabel;
    QLabel* m_noteLabel;
    QToolButton* m_showButton;
    QToolButton* m_fullWidthButton;
    QToolButton* m_printerButton;
    QToolButton* m_printButton;
    QToolButton* m_closeButton;
    kolvar::Announcer* m_announcer;
    int m_pageCount = 0;
    bool m_pageToSay = false;
};

// Opens ListPreview for every grid's previewPrintout.
void installPrintPreview();

#pragma once

#include <QImage>

#include <functional>
#include <memory>

class QWidget;

namespace kolvar::grid {

class SortableGrid;

// The print preview window a grid opens for its previewPrintout. The grid knows the window only
// by this face, so the window can live with the program's other windows, which depend on the
// grid and not the other way round; the program installs the factory that makes it.
class PreviewWindow
{
public:
    virtual ~PreviewWindow() = default;
    virtual void setGrid(SortableGrid* grid) = 0;
    // The full-size page picture the grid draws into.
    [[nodiscard]] virtual QImage& printImage() = 0;
    // Shows a copy of printImage at its natural size.
    virtual void showPrintImage() = 0;
    // Runs the window modally; it is destroyed when this returns and the grid lets go of it.
    virtual void showModal() = 0;
};

using PreviewWindowFactory = std::function<std::unique_ptr<PreviewWindow>(QWidget* owner)>;

// Installs the factory and returns the previous one. Without one, previewPrintout does nothing.
PreviewWindowFactory setPreviewWindowFactory(PreviewWindowFactory factory);

} // namespace kolvar::grid

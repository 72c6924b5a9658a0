#pragma once

#include <QImage>

#include <functional>
#include <memory>

class QWidget;

namespace kolvar::grid {

class TZarur;

// The print preview window a grid opens for its PreviewPrintout. The grid knows the window only
// by this face, so the window can live with the program's other windows, which depend on the
// grid and not the other way round; the program installs the factory that makes it.
class PreviewWindow
{
public:
    virtual ~PreviewWindow() = default;
    virtual void SetGrid(TZarur* grid) = 0;
    // The full-size page picture the grid draws into.
    [[nodiscard]] virtual QImage& PrintImage() = 0;
    // Shows a copy of PrintImage at its natural size.
    virtual void ShowPrintImage() = 0;
    // Runs the window modally; it is destroyed when this returns and the grid lets go of it.
    virtual void ShowModal() = 0;
};

using PreviewWindowFactory = std::function<std::unique_ptr<PreviewWindow>(QWidget* owner)>;

// Installs the factory and returns the previous one. Without one, PreviewPrintout does nothing.
PreviewWindowFactory setPreviewWindowFactory(PreviewWindowFactory factory);

} // namespace kolvar::grid

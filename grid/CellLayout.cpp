#include "CellLayout.h"

#include <algorithm>
#include <cmath>

namespace kolvar::grid {

int horzTextOffset(HorzAlignment align, int cellWidth, int textWidth)
{
    switch (align) {
    case taRightJustify:
        return cellWidth - textWidth - 2;
    case taCenter:
        return (cellWidth - textWidth) / 2;
    default:
        return 2;
    }
}

int vertTextOffset(VertAlignment align, int cellHeight, int textHeight)
{
    switch (align) {
    case taBottomJustify:
        return cellHeight - textHeight - 3;
    case taMiddle:
        return (cellHeight - textHeight) / 2;
    default:
        return 2;
    }
}

int proportionalPageStep(int shownLines, int fixedLines, int lineCount, int rangeMin, int rangeMax)
{
    if (lineCount <= 0)
        return 1;
    const double share = double(shownLines + fixedLines) / double(lineCount);
    const double page = std::nearbyint(share * (double(rangeMax) - double(rangeMin) + 1.0));
    return std::max(1, int(page));
}

} // namespace kolvar::grid

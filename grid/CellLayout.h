#pragma once

namespace kolvar::grid {

enum HorzAlignment { taLeftJustify, taRightJustify, taCenter };
enum VertAlignment { taTopJustify, taBottomJustify, taMiddle };

// Where a text of width textWidth starts inside a cell of width cellWidth: 2 pixels in from the
// left or right edge, or centred with an odd pixel left over on the right.
[[nodiscard]] int horzTextOffset(HorzAlignment align, int cellWidth, int textWidth);
// Likewise from the top: 2 pixels down, 3 pixels up from the bottom, or centred.
[[nodiscard]] int vertTextOffset(VertAlignment align, int cellHeight, int textHeight);

// The page size of a scroll bar whose thumb shows how much of the grid is in view: the shown
// share of the lines times the bar's range, at least 1, rounded half to even.
[[nodiscard]] int proportionalPageStep(
    int shownLines, int fixedLines, int lineCount, int rangeMin, int rangeMax);

} // namespace kolvar::grid

#pragma once

// The state CustomGrid's files (CustomGrid.cpp, CustomGridPaint.cpp, CustomGridInput.cpp) share.

#include "CustomGrid.h"
#include "GridAxis.h"

#include <QColor>
#include <QLineEdit>
#include <QPoint>
#include <QString>
#include <QTimer>

namespace kolvar::grid {

struct CustomGrid::Private
{
    GridAxis cols { 5, 1, 64 };
    GridAxis rows { 5, 1, 24 };
    QColor color;
    QColor fixedColor;
    QColor fontColor;
    GridOptions options
        = goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goRangeSelect;
    ScrollStyle scrollStyle = ScrollStyle::ssBoth;
    bool defaultDrawing = true;

    QPoint current { 1, 1 }; // x is the column, y the row
    QPoint anchor { 1, 1 }; // the other corner of the selection
    int topRow = 1;
    int leftCol = 1;
    GridCanvas canvas;

    GridState state = GridState::gsNormal;
    int sizingIndex = -1;
    int sizingOrigin = 0;
    int sizingStartSize = 0;
    int moveFrom = -1;
    int moveTo = -1;
    bool pressOnCurrent = false;
    bool leftDown = false;
    QPoint lastMousePos;
    QTimer* autoScroll = nullptr;

    QLineEdit* editor = nullptr;
    QObject* editorHook = nullptr;
    bool editorShown = false;
    QPoint editCell;
    QString editOriginal;

    bool focusInside = false;
    bool resetAnnounced = false;
    bool syncingBars = false;
    bool updatingBars = false;
    bool barsDirty = false;

    [[nodiscard]] bool has(GridOption option) const { return (options & option) != 0; }
    [[nodiscard]] bool isDataCell(int col, int row) const
    {
        return col >= cols.fixed() && col < cols.count() && row >= rows.fixed()
            && row < rows.count();
    }
};

} // namespace kolvar::grid

// Finding the cells whose text a grid cuts: a text wider, in the grid's font and with the item
// view's margins and grid line, than its column.
#pragma once

#include "FlexGrid.h"

#include <QFontMetricsF>
#include <QStringList>
#include <QStyle>

namespace qv::test {

// "row,col text" of every cut cell; cells that span several columns and hidden columns aside.
inline QStringList CutCells(const ui::FlexGrid& grid) {
    const QFontMetricsF metrics(grid.font());
    const int margin = grid.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &grid) + 1;
    QStringList cut;
    for (int row = 0; row < grid.Rows(); ++row)
        for (int col = 0; col < grid.Cols(); ++col) {
            const int width = grid.columnWidth(col);
            const QString text = grid.TextMatrix(row, col);
            if (width == 0 || text.isEmpty() || grid.columnSpan(row, col) > 1) continue;
            const double room = width - (grid.showGrid() ? 1 : 0) - 2 * margin;
            if (metrics.horizontalAdvance(text) > room)
                cut << QStringLiteral("%1,%2 %3").arg(row).arg(col).arg(text);
        }
    return cut;
}

}  // namespace qv::test

// What the settings pages' gas grids share: their size and marks, the two heading rows, check
// boxes of any cell without moving the current cell, which an edit event must not do while its
// editor is open, and column widths that fit their texts.
#pragma once

#include "FlexGrid.h"
#include "Twips.h"
#include "modMessage.h"
#include "modViewSupport.h"

#include <QFontMetricsF>
#include <QStyle>
#include <cmath>
#include <cstdint>

namespace qv {

inline constexpr int kGases = 5;
inline constexpr int32_t kFactoryColor = ui::RGB(192, 255, 255);
inline const QString kDashes = QStringLiteral("-----");

// Rows 0 and 1 of a grid with gases in rows 2 to 6: a heading over columns 1 on, then the
// column captions.
inline void PrepareGasGrid(ui::FlexGrid& grid, int cols, int heading,
                           const QVariantList& captions) {
    grid.Clear();
    grid.SetCols(cols);
    grid.SetRows(2 + kGases);
    grid.SetFixedRows(2);
    grid.SetFixedCols(1);
    grid.SetMergeCells(ui::FlexGrid::MergeRestrictRows);
    FillGridRow(grid, 0, 0, true, {QString(), GetMessage(heading)});
    FillGridRow(grid, 1, 0, false, captions);
    grid.SetMergeRow(0, true);
}

// Gives the cell a check box, ticked or not.
inline void SetCheckBox(ui::FlexGrid& grid, int row, int col, bool ticked) {
    grid.SetRow(row);
    grid.SetCol(col);
    grid.SetCellChecked(ticked ? ui::FlexGrid::Checked : ui::FlexGrid::Unchecked);
}

inline bool IsTicked(const ui::FlexGrid& grid, int row, int col) {
    const QTableWidgetItem* cell = grid.item(row, col);
    return cell && cell->data(Qt::CheckStateRole).isValid() && cell->checkState() == Qt::Checked;
}

// Ticks or clears a cell's existing check box.
inline void SetTicked(ui::FlexGrid& grid, int row, int col, bool ticked) {
    if (QTableWidgetItem* cell = grid.item(row, col))
        if (cell->data(Qt::CheckStateRole).isValid())
            cell->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
}

// The width in pixels that a cell's text needs in the grid: its advance in the grid's font, the
// item view's text margin on either side and the grid line.
inline int TextWidthNeeded(const ui::FlexGrid& grid, const QString& text) {
    const int margin = grid.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &grid) + 1;
    return static_cast<int>(std::ceil(QFontMetricsF(grid.font()).horizontalAdvance(text))) +
           2 * margin + (grid.showGrid() ? 1 : 0);
}

// The width that the widest text of a column needs; cells spanning several columns aside.
inline int ColumnTextWidth(const ui::FlexGrid& grid, int col) {
    int widest = 0;
    for (int row = 0; row < grid.Rows(); ++row) {
        const QString text = grid.TextMatrix(row, col);
        if (!text.isEmpty() && grid.columnSpan(row, col) == 1)
            widest = std::max(widest, TextWidthNeeded(grid, text));
    }
    return widest;
}

// Widens every shown column that cuts a text of its own to its widest text, taking the room
// from what the columns leave free of the grid and then from the columns wider than their
// texts; a grid too narrow for all its texts keeps them as far as it can.
void FitColumnsToText(ui::FlexGrid& grid);

}  // namespace qv

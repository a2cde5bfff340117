// Cell helpers of the settings pages over the grid: colours through the grid's current cell (as
// the fill procedures set them), check boxes of any cell without moving the current cell, which
// an edit event must not do while its editor is open.
#pragma once

#include "FlexGrid.h"

#include <cstdint>

namespace qv {

inline void PaintCell(ui::FlexGrid& grid, int row, int col, int32_t color) {
    grid.SetRow(row);
    grid.SetCol(col);
    grid.SetCellBackColor(color);
}

inline int32_t CellColor(ui::FlexGrid& grid, int row, int col) {
    grid.SetRow(row);
    grid.SetCol(col);
    return grid.CellBackColor();
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

}  // namespace qv

// What the settings pages' gas grids share: their size and marks, the two heading rows, check
// boxes of any cell without moving the current cell, which an edit event must not do while its
// editor is open, and the entry still open when a command runs.
#pragma once

#include "FlexGrid.h"
#include "Twips.h"
#include "UserDialogs.h"
#include "modMessage.h"
#include "modViewSupport.h"

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
    grid.SetCellChecked(row, col, ticked ? ui::FlexGrid::Checked : ui::FlexGrid::Unchecked);
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

// Takes an entry still open in a grid within `within` as Enter takes it, so that a command acts
// on the values shown. A refused entry stays open and the user is told, under the command's
// name; false then, and the command must not run.
inline bool CommitGridEntries(const QWidget& within, const QString& command) {
    if (!ui::FlexGrid::CommitEdits(within)) return true;
    Dialogs().MsgBox(GetMessage(9200), vbExclamation, command);
    return false;
}

}  // namespace qv

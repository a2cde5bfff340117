// Column widths of the settings pages' grids that fit their texts.
#include "GridCells.h"

#include <QScrollBar>
#include <algorithm>
#include <vector>

namespace qv {

void FitColumnsToText(ui::FlexGrid& grid) {
    const int cols = grid.Cols();
    std::vector<int> width(static_cast<size_t>(cols)), need(static_cast<size_t>(cols));
    int total = 0;
    for (int c = 0; c < cols; ++c) {
        const auto i = static_cast<size_t>(c);
        width[i] = grid.columnWidth(c);
        // A hidden column stays hidden.
        need[i] = width[i] == 0 ? 0 : ColumnTextWidth(grid, c);
        width[i] = std::max(width[i], need[i]);
        total += width[i];
    }
    const QScrollBar* bar = grid.verticalScrollBar();
    const int room = grid.width() - 2 * grid.frameWidth() -
                     (bar->isVisibleTo(&grid) ? bar->sizeHint().width() : 0);
    // Too wide now: the columns with room to spare give it up, in proportion to their spare.
    int excess = total - room;
    int spare = 0;
    for (int c = 0; c < cols; ++c)
        spare += width[static_cast<size_t>(c)] - need[static_cast<size_t>(c)];
    if (excess > 0 && spare > 0) {
        const int taken = std::min(excess, spare);
        int left = taken;
        for (int c = 0; c < cols && left > 0; ++c) {
            const auto i = static_cast<size_t>(c);
            const int own = width[i] - need[i];
            const int give = std::min({left, own, (taken * own + spare - 1) / spare});
            width[i] -= give;
            left -= give;
        }
    }
    for (int c = 0; c < cols; ++c)
        if (grid.columnWidth(c) != width[static_cast<size_t>(c)])
            grid.setColumnWidth(c, width[static_cast<size_t>(c)]);
}

}  // namespace qv

// A grid's texts as data.
#include "TextTable.h"

#include "FlexGrid.h"

namespace qv::ui {

int TextTable::Cols() const {
    qsizetype cols = 0;
    for (const auto& row : rows) cols = std::max(cols, row.size());
    return static_cast<int>(cols);
}

QString TextTable::TextMatrix(int row, int col) const {
    if (row < 0 || row >= rows.size() || col < 0 || col >= rows[row].size()) return QString();
    return rows[row][col];
}

TextTable GridTexts(const FlexGrid& grid) {
    TextTable table;
    const int cols = grid.Cols();
    table.rows.reserve(grid.Rows());
    for (int r = 0; r < grid.Rows(); ++r) {
        QStringList row;
        row.reserve(cols);
        for (int c = 0; c < cols; ++c) row.append(grid.TextMatrix(r, c));
        table.rows.append(std::move(row));
    }
    return table;
}

}  // namespace qv::ui

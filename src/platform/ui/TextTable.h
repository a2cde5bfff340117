// The texts of a grid handed over as data: a printed report or an export takes the table that a
// page shows without reaching into that page's widgets.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace qv::ui {

class FlexGrid;

// Rows of cell texts; row 0 is the grid's header row. Rows may differ in length: a cell beyond
// a row's end reads as "".
struct TextTable {
    QList<QStringList> rows;

    int Rows() const { return static_cast<int>(rows.size()); }
    int Cols() const;
    QString TextMatrix(int row, int col) const;
};

// Every cell text of the grid as it is now.
TextTable GridTexts(const FlexGrid& grid);

}  // namespace qv::ui

// What the stored-data page and the data views share: a grid row written from a list of values,
// the background colour of a cell that shows a status code, and the gas values and marks at
// the alarm moment of a stored alarm trend.
#pragma once

#include <QString>
#include <QVariant>
#include <QVariantList>
#include <array>
#include <cstdint>

namespace qv {

// The text of one grid value: a text as it is, a number in its plain form, a date as
// "General Date", an empty value as "".
QString GridValueText(const QVariant& value);

// Writes the values as texts into the cells of `row` from `startCol` on; values beyond the last
// column are dropped. With fillRest the last value also fills every column after it (an empty
// list empties the rest of the row). The grid keeps its row and column counts.
template <class Grid>
void FillGridRow(Grid& grid, int row, int startCol, bool fillRest, const QVariantList& values) {
    const int cols = grid.Cols();
    int lastCol = startCol + static_cast<int>(values.size()) - 1;
    if (lastCol >= cols) lastCol = cols - 1;
    QString last;
    for (int col = startCol; col <= lastCol; ++col) {
        last = GridValueText(values[col - startCol]);
        grid.SetTextMatrix(row, col, last);
    }
    if (!fillRest) return;
    for (int col = std::max(lastCol + 1, startCol); col < cols; ++col)
        grid.SetTextMatrix(row, col, last);
}

// The background colour (0x00BBGGRR) of a cell that shows `code`, given the colour it has now;
// 0 means no colour of its own.
int32_t GetEventColor(int32_t code, int32_t currentColor);

// The sample of the alarm moment: the 361st of an alarm trend, in SeqNo order.
inline constexpr int AlarmMomentRow = 360;

// Reads the alarm moment of the stored alarm trend `relNo` into AlarmValues (gas columns 1 to 5
// in elements 0 to 4; a Null column reads -12) and marks in AlarmFlags 0 to 3 every gas that
// holds a status code other than -1. Both arrays start afresh for every trend: a trend of 360
// samples or fewer has no alarm moment, and shows -1 ("no data") unmarked. Reads DatabasePath.
void MarkAlarmGases(int32_t relNo, std::array<float, 6>& AlarmValues,
                    std::array<bool, 6>& AlarmFlags);

}  // namespace qv

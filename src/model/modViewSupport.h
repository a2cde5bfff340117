// What the stored-data page, the data views, the printed reports and the export share: a grid
// row written from a list of values, the background colour of a cell that shows a status code,
// the gas values and marks at the alarm moment of a stored alarm trend, the display texts of a
// log's readings, the channel a trend column shows, the rows of an interval trend in time
// order and the captions a calibration history's rows stand under.
#pragma once

#include "clsAlarm.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>
#include <array>
#include <cstdint>
#include <functional>
#include <vector>

namespace qv {

class clsHeader;
class clsHistory;
class clsInterval;

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
inline constexpr int AlarmMomentRow = clsAlarm::MomentSlot;

class Database;

// Reads the alarm moment of the stored alarm trend `relNo` into AlarmValues (gas columns 1 to 5
// in elements 0 to 4; a Null column reads -12) and marks in AlarmFlags 0 to 3 every gas that
// holds a status code other than -1. Both arrays start afresh for every trend: a trend of 360
// samples or fewer has no alarm moment, and shows -1 ("no data") unmarked. The first form opens
// DatabasePath; the second reads through a connection the caller holds.
void MarkAlarmGases(int32_t relNo, std::array<float, 6>& AlarmValues,
                    std::array<bool, 6>& AlarmFlags);
void MarkAlarmGases(int32_t relNo, Database& db, std::array<float, 6>& AlarmValues,
                    std::array<bool, 6>& AlarmFlags);

// The display texts of a log's gas readings and status codes, each distinct value formatted once
// (a log repeats its readings thousands of times over). With `conv`, a reading of gas 1 is
// shown in its second unit: converted, and with the decimal places of that unit (channel 4), so
// that 0.25 vol% never shows as "0".
class GasValueTexts {
  public:
    explicit GasValueTexts(const clsHeader& header) : header_(header) {}
    const QString& Text(float value, int gas, bool conv);

  private:
    const clsHeader& header_;
    QHash<quint64, QString> texts_;
};

// A statistic of gas 1 shown in its second unit: converted, with that unit's decimal places.
QString SecondUnitForm(const clsHeader& header, float gas1Value);

// The channel that trend column `column` (0 to 3) shows: column 0 shows gas 1 in its second
// unit, channel 4, while that unit is on; the others show their own channel.
int ShownChannel(int column);

// One row of an interval trend in time order: an event with the sample of its moment (when
// there is one), or a sample alone; -1 where there is none.
struct IntervalRow {
    int event = -1;
    int sample = -1;
};

// The rows of an interval trend in time order: every stored sample and event, whatever its date
// (none is left out for lying outside some window or sharing its time). An event comes before a
// sample of the same time and takes into its row the first sample of its moment; that sample
// gets no row of its own. A record without a readable date keeps its place just after the
// record stored before it and shares no row. With eventsOnly, samples outside event rows are
// left out.
std::vector<IntervalRow> IntervalRowsInTimeOrder(const clsInterval& r, bool eventsOnly = false);

// The captions of the five gas columns over calibration Index of a history: each channel's gas
// as that calibration was stored with it; the header's when the history holds no calibration
// at Index.
QStringList HistoryCaptions(const clsHistory& r, int Index);

// Walks a calibration history's calibrations in order, each under the captions of the gases it
// was stored with: `captions` runs before the first calibration (with the header's when there is
// none) and again before every calibration whose captions differ from those of the one before (a
// sensor swapped between downloads), so that no value stands under another gas's caption.
void WalkHistory(const clsHistory& r, const std::function<void(const QStringList&)>& captions,
                 const std::function<void(int)>& calibration);

}  // namespace qv

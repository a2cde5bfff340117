// The series and titles of a trend graph, and where an alarm-trend sample is plotted: the same
// on the data view and on paper.
#pragma once

#include <QDateTime>
#include <cstdint>

namespace qv {

class clsHeader;
class uclVtmGraph;

// Adds the series of gases 1 to 4 to a cleared graph: every one, enabled or not, so that series
// i is gas column i (the first in its second unit while that is on), each in its graph colour and
// with its gas's decimal places, its event marks shown or not. Then the titles of a trend of
// `kind` (interval or alarm trend) whose samples run from `first` to `last`, and the time pattern
// of the X labels.
void StartTrendGraph(uclVtmGraph& graph, const clsHeader& header, int32_t kind,
                     const QDateTime& first, const QDateTime& last, bool showEvents);

// Plots sample `index` of alarm-trend series `series` (gas `series` of `header`): a reading as
// it is, or the status code `code` (GasNoData to GasMin; 0 for a reading, each caller deciding
// which values are codes) at the level it stands for, with its short word as the series' flag at
// that sample. `convert`: the series shows gas 1 in its second unit, readings and levels alike.
void PlotAlarmSample(uclVtmGraph& graph, const clsHeader& header, int series, int index,
                     float value, int code, bool convert);

}  // namespace qv

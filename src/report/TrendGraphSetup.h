// The series and titles of a trend graph, the same on the data view and on paper.
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

}  // namespace qv

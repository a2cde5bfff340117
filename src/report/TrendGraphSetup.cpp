// The series and titles of a trend graph, and the one table of where an alarm-trend status
// code is plotted.
#include "TrendGraphSetup.h"

#include "Dates.h"
#include "Runtime.h"
#include "clsHeader.h"
#include "modGasCommon.h"
#include "modGlobals.h"
#include "modMessage.h"
#include "modViewSupport.h"
#include "uclVtmGraph.h"

#include <iterator>

namespace qv {

namespace {

// The trend's date in the title: the medium date, then the time.
QString TitleDate(const QDateTime& date) {
    return MediumDate(date) + rt::FormatDate(date, QStringLiteral(" hh:nn:ss"));
}

}  // namespace

void StartTrendGraph(uclVtmGraph& graph, const clsHeader& header, int32_t kind,
                     const QDateTime& first, const QDateTime& last, bool showEvents) {
    for (int s = 0; s < 4; ++s) {
        const int c = ShownChannel(s);
        graph.AddSample(header.GasName(c), GraphColor[static_cast<size_t>(s)],
                        QStringLiteral("#") + GetPointFormat(header.GasPoint(c)));
        graph.SetEventVisible(s, showEvents);
    }
    graph.SetTitleTop(GetMessage(5602, {header.Names()}) + QStringLiteral(" - ") +
                      GetMessage(kind == TypeInterval ? 5624 : 5625));
    graph.SetTitleBottom(GetMessage(5603, {TitleDate(first), TitleDate(last)}));
    graph.SetFormatX(QStringLiteral("hh:nn:ss"));
}

namespace {

// Where a status code is plotted, and the short word (a message) marked there; 0 is none.
struct StatusPlot {
    enum Where { AtZero, AtPrevious, AtHundred, AtLevel };
    Where where;
    float (clsHeader::*level)(int) const;  // AtLevel: the header's level of the gas
    int word;
};

// Indexed by -code - 1, from GasNoData (-1) to GasMin (-16).
constexpr StatusPlot kStatusPlots[] = {
    {StatusPlot::AtZero, nullptr, 0},                   // no data
    {StatusPlot::AtPrevious, nullptr, 20008},           // NORMAL: holds the level before
    {StatusPlot::AtLevel, &clsHeader::Warning, 20003},  // WARNING
    {StatusPlot::AtLevel, &clsHeader::Alarm, 20004},    // ALARM
    {StatusPlot::AtLevel, &clsHeader::Stel, 20005},     // STEL
    {StatusPlot::AtLevel, &clsHeader::Twa, 20006},      // TWA
    {StatusPlot::AtLevel, &clsHeader::GasFull, 20001},  // OVER: the full scale
    {StatusPlot::AtHundred, nullptr, 20009},            // CALIB.
    {StatusPlot::AtZero, nullptr, 20002},               // FAIL(Cal.)
    {StatusPlot::AtZero, nullptr, 20002},               // FAIL(Sen.)
    {StatusPlot::AtZero, nullptr, 20002},               // FAIL(BATT.)
    {StatusPlot::AtZero, nullptr, 20002},               // FAIL(Flow)
    {StatusPlot::AtZero, nullptr, 20002},               // FAIL(Cir.)
    {StatusPlot::AtZero, nullptr, 20007},               // CLG
    {StatusPlot::AtLevel, &clsHeader::GasMax, 20010},   // MAX: the log's maximum
    {StatusPlot::AtLevel, &clsHeader::GasMin, 20011},   // MIN: the log's minimum
};
static_assert(static_cast<int>(std::size(kStatusPlots)) == -GasMin);

}  // namespace

void PlotAlarmSample(uclVtmGraph& graph, const clsHeader& header, int series, int index,
                     float value, int code, bool convert) {
    const float factor = convert ? ConvFactor : 1.0f;
    float plotted = value * factor;
    int word = 0;
    if (code <= GasNoData && code >= GasMin) {
        const StatusPlot& plot = kStatusPlots[-code - 1];
        word = plot.word;
        switch (plot.where) {
            case StatusPlot::AtZero:
                plotted = 0;
                break;
            case StatusPlot::AtPrevious:
                plotted = index > 0 ? graph.ValueY(series, index - 1) : 0.0f;
                break;
            case StatusPlot::AtHundred:
                plotted = 100;
                break;
            case StatusPlot::AtLevel: {
                // The stored level itself, in the series' unit; a level that is off (or holds
                // a status code) at 0. Its display text would be cut to five characters.
                const float level = (header.*plot.level)(series);
                plotted = level < 0 ? 0.0f : level * factor;
                break;
            }
        }
    }
    graph.SetValueY(series, index, plotted);
    if (word != 0) graph.SetEventFlag(series, index, GetMessage(word));
}

}  // namespace qv

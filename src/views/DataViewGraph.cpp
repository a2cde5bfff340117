// The graph of the data view page: the loaded interval or alarm trend on the trend graph
// control, one series per gas 1 to 4, the events as marks and the alarm moment of an alarm
// trend marked "Alarm".
#include "DataViewPage.h"

#include "TrendGraphSetup.h"
#include "clsAlarm.h"
#include "clsInterval.h"
#include "modGasCommon.h"
#include "modGlobals.h"
#include "modMessage.h"
#include "modViewSupport.h"

#include <QLocale>

namespace qv {

namespace {

// The series index that addresses the marks on X samples rather than a series.
constexpr int kSampleMarks = 1000;

}  // namespace

void DataViewPage::ShowTrendGraph() {
    uclVtmGraph& graph = *vtmGraph;
    graph.Clear();
    graph.SetCursorVisible(Ticked(5));
    QFont font = graph.Font();
    font.setBold(true);
    graph.SetFont(font);

    const int32_t kind = host_->CurDataType;
    if (kind == TypeInterval)
        ShowIntervalGraph(*host_->CurInterval);
    else if (kind == TypeAlarmTrend)
        ShowAlarmGraph();

    graph.SetZoom(1);
    graph.SetMinX(0);
    graph.SetMaxX(0);
    graph.SetMinY(0);
    graph.SetMaxY(0);
    graph.Refresh();
}

namespace {

// The series of gases 1 to 4 (every one, enabled or not, so that gas box i is series i), their
// marks as the "Event" box says, and the titles of the trend; each gas box takes its series' name.
template <class Record>
void StartTrend(uclVtmGraph& graph, const Record& record, int32_t kind,
                std::array<QCheckBox*, 6>& boxes) {
    const clsHeader& header = record.GasInfo();
    for (int g = 0; g < 4; ++g)
        boxes[static_cast<size_t>(g)]->setText(header.GasName(ShownChannel(g)));
    StartTrendGraph(graph, header, kind, record.DateTimes(0),
                    record.DateTimes(record.DataCount() - 1), boxes[4]->isChecked());
}

// The gas boxes end ticked and shown for the gases the header enables; a series follows its
// box, its marks also the "Event" box.
void ShowEnabledGases(uclVtmGraph& graph, const clsHeader& header, bool secondUnit,
                      std::array<QCheckBox*, 6>& boxes) {
    for (int g = 0; g < 4; ++g) {
        const bool e = header.GasEnable(secondUnit && g == 0 ? 4 : g);
        QCheckBox* box = boxes[static_cast<size_t>(g)];
        box->setChecked(e);
        box->setVisible(e);
        graph.SetSampleVisible(g, e);
        graph.SetEventVisible(g, e && boxes[4]->isChecked());
    }
    boxes[4]->setVisible(true);
    boxes[5]->setVisible(true);
}

}  // namespace

void DataViewPage::ShowIntervalGraph(const clsInterval& r) {
    uclVtmGraph& graph = *vtmGraph;
    StartTrend(graph, r, TypeInterval, chkBrowse);
    const int count = r.DataCount();
    for (int i = 0; i < count; ++i)
        graph.SetValueX(i, r.DateTimes(i));
    for (int d = 0; d < 4; ++d) {
        const bool conv = ConvEnable && d == 0;
        const float factor = conv ? ConvFactor : 1.0f;
        // The reading itself: its display text is cut to five characters.
        for (int i = 0; i < count; ++i) {
            const float v = r.GasValue(d, i).toFloat();
            graph.SetValueY(d, i, v >= 0 ? v * factor : 0.0f);
        }
        // A mark for every event with a status code.
        int n = 0;
        for (int k = 0; k < r.EventCount(); ++k) {
            if (!(r.GasEvent(d, k).toFloat() < static_cast<float>(GasNoData))) continue;
            graph.SetEventX(d, n, r.EventDateTimes(k));
            graph.SetEventFlag(d, n, r.GasEventForm(d, k, conv));
            ++n;
        }
        graph.SetEventCount(d, n);
    }
    graph.SetSampleCount(count);
    ShowEnabledGases(graph, r.GasInfo(), false, chkBrowse);
}

void DataViewPage::ShowAlarmGraph() {
    const clsAlarm& r = *host_->CurAlarm;
    uclVtmGraph& graph = *vtmGraph;
    StartTrend(graph, r, TypeAlarmTrend, chkBrowse);
    const int count = r.DataCount();
    for (int i = 0; i < count; ++i) {
        graph.SetValueX(i, r.DateTimes(i));
        PlotTrendSample(TypeAlarmTrend, 0, i, r.Value(0, i), ConvEnable);
        for (int g = 1; g < 4; ++g)
            PlotTrendSample(TypeAlarmTrend, g, i, r.Value(g, i));
    }
    graph.SetSampleCount(count);
    ShowEnabledGases(graph, r.GasInfo(), ConvEnable, chkBrowse);
    if (count > clsAlarm::MomentSlot + 1) {
        graph.SetEventFlag(kSampleMarks, clsAlarm::MomentSlot, QStringLiteral("Alarm"));
        graph.SetEventVisible(kSampleMarks, Ticked(4));
    }
}

void DataViewPage::PlotTrendSample(int32_t kind, int series, int index, float value, bool convert) {
    const clsHeader& header =
        kind == TypeInterval ? host_->CurInterval->GasInfo() : host_->CurAlarm->GasInfo();
    // A code is one of the status values exactly.
    PlotAlarmSample(*vtmGraph, header, series, index, value,
                    IsStatusCode(value) ? static_cast<int>(value) : 0, convert);
}

}  // namespace qv

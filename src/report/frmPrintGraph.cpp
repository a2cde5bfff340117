// The print form's trend graph: a trend loaded into vtmPrint, with the status codes of an alarm
// trend plotted at the levels they stand for.
#include "Runtime.h"
#include "TrendGraphSetup.h"
#include "clsAlarm.h"
#include "clsInterval.h"
#include "frmPrint.h"
#include "modGasCommon.h"
#include "modGlobals.h"
#include "modViewSupport.h"

#include <QHash>
#include <bit>
#include <cmath>

namespace qv {

namespace {

// The value of a reading's text; a text that is no number plots at 0 rather than ending the
// job.
float PlotValue(const QString& text) {
    return rt::IsNumeric(text) ? static_cast<float>(rt::ToDouble(text)) : 0.0f;
}

}  // namespace

void frmPrint::SetupTrendGraph() {
    uclVtmGraph& g = *vtmPrint;
    const bool interval = dataType_ == TypeInterval;
    const clsHeader& h = interval ? intervalData_->GasInfo() : alarmData_->GasInfo();
    g.Clear();
    g.SetCursorVisible(false);
    QFont bold = g.Font();
    bold.setBold(true);
    g.SetFont(bold);
    g.SetDrawLineWidth(PrtWidth[0]);
    g.SetScaleLineWidth(PrtWidth[1]);

    const int count = interval ? intervalData_->DataCount() : alarmData_->DataCount();
    const auto dateOf = [&](int i) {
        return interval ? intervalData_->DateTimes(i) : alarmData_->DateTimes(i);
    };
    // Paper shows no event marks.
    StartTrendGraph(g, h, dataType_, dateOf(0), dateOf(count - 1), false);

    if (interval) {
        const clsInterval& d = *intervalData_;
        for (int i = 0; i < count; ++i)
            g.SetValueX(i, d.DateTimes(i));
        for (int s = 0; s < 4; ++s) {
            const bool convert = s == 0 && ConvEnable;
            // A reading plots at its printed text read back, worked out once for each distinct
            // reading of the series (a log repeats its readings many times over). Gas 1 in its
            // second unit plots the converted reading itself, as the screen shows it: its text
            // would round it to the decimals of the first unit.
            QHash<quint32, float> plotted;
            for (int i = 0; i < count; ++i) {
                const float reading = d.GasValue(s, i).toFloat();
                // Status codes are drawn at zero.
                if (!(reading >= 0)) {
                    g.SetValueY(s, i, 0.0f);
                    continue;
                }
                if (convert) {
                    g.SetValueY(s, i, reading * ConvFactor);
                    continue;
                }
                const quint32 key = std::bit_cast<quint32>(reading);
                auto it = plotted.constFind(key);
                if (it == plotted.constEnd())
                    it = plotted.insert(key, PlotValue(d.GasValueForm(s, i)));
                g.SetValueY(s, i, *it);
            }
        }
        g.SetSampleCount(count);
    } else {
        const clsAlarm& d = *alarmData_;
        for (int i = 0; i < count; ++i) {
            g.SetValueX(i, d.DateTimes(i));
            for (int s = 0; s < 4; ++s)
                PlotPrintSample(s, i, d.Value(s, i));
        }
        g.SetSampleCount(count);
        g.SetZoom(1);
        g.SetMinX(0);
        g.SetMaxX(0);
    }
    for (int s = 0; s < 4; ++s)
        g.SetSampleVisible(s, h.GasEnable(ShownChannel(s)));
}

void frmPrint::PlotPrintSample(int series, int index, float value) {
    const clsHeader& h =
        dataType_ == TypeInterval ? intervalData_->GasInfo() : alarmData_->GasInfo();
    // The code is the value rounded half to even; any value that is no code is a reading.
    const double rounded = std::nearbyint(static_cast<double>(value));
    const bool isCode =
        rounded >= static_cast<int>(GasMin) && rounded <= static_cast<int>(GasNoData);
    const int code = isCode ? static_cast<int>(rounded) : 0;
    PlotAlarmSample(*vtmPrint, h, series, index, value, code, series == 0 && ConvEnable);
}

}  // namespace qv

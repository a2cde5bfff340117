// The print form's trend graph: a trend loaded into vtmPrint, with the status codes of an alarm
// trend plotted at the levels they stand for.
#include "Runtime.h"
#include "TrendGraphSetup.h"
#include "clsAlarm.h"
#include "clsInterval.h"
#include "frmPrint.h"
#include "modGasCommon.h"
#include "modGlobals.h"
#include "modMessage.h"
#include "modViewSupport.h"

#include <cmath>

namespace qv {

namespace {

// The value of a value or level text; a text that is no number (a level that is off shows
// "-----") plots at 0 rather than ending the job.
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
        for (int s = 0; s < 4; ++s) {
            const bool convert = s == 0 && ConvEnable;
            for (int i = 0; i < count; ++i) {
                g.SetValueX(i, d.DateTimes(i));
                // Status codes are drawn at zero.
                g.SetValueY(s, i,
                            d.GasValue(s, i).toFloat() >= 0
                                ? PlotValue(d.GasValueForm(s, i, convert))
                                : 0.0f);
            }
            int n = 0;
            for (int e = 0; e < d.EventCount(); ++e) {
                if (d.GasEvent(s, e).toFloat() >= -1) continue;
                g.SetEventX(s, n, d.EventDateTimes(e));
                g.SetEventFlag(s, n, d.GasEventForm(s, e, convert));
                ++n;
            }
            g.SetEventCount(s, n);
        }
        g.SetSampleCount(count);
    } else {
        const clsAlarm& d = *alarmData_;
        for (int i = 0; i < count; ++i) {
            g.SetValueX(i, d.DateTimes(i));
            for (int s = 0; s < 4; ++s) {
                float value = d.Value(s, i);
                if (s == 0 && ConvEnable && value >= 0) value = value * ConvFactor;
                PlotPrintSample(s, i, value);
            }
        }
        g.SetSampleCount(count);
        if (count > 361) g.SetEventFlag(1000, 360, QStringLiteral("Alarm"));
        g.SetZoom(1);
        g.SetMinX(0);
        g.SetMaxX(0);
        for (int s = 0; s < 4; ++s) {
            g.SetMinY(0, s);
            g.SetMaxY(0, s);
        }
    }
    for (int s = 0; s < 4; ++s)
        g.SetSampleVisible(s, h.GasEnable(ShownChannel(s)));
}

void frmPrint::PlotPrintSample(int series, int index, float value) {
    uclVtmGraph& g = *vtmPrint;
    const clsHeader& h =
        dataType_ == TypeInterval ? intervalData_->GasInfo() : alarmData_->GasInfo();
    // Series 0 in the second unit plots its levels converted too, so that a level lines up
    // with the converted readings around it.
    const bool convert = series == 0 && ConvEnable;
    const auto level = [&](QString (clsHeader::*form)(int, bool) const) {
        return PlotValue((h.*form)(series, convert));
    };
    float plotted = value;
    int flag = 0;
    // The code is the value rounded half to even; any value that is no code is kept as it is.
    const double rounded = std::nearbyint(static_cast<double>(value));
    const int code = rounded >= -16.0 && rounded <= -1.0 ? static_cast<int>(rounded) : 0;
    switch (code) {
        case GasOver:
            plotted = level(&clsHeader::GasFullForm);
            flag = 20001;
            break;
        case GasFailCal:
        case GasFailSensor:
        case GasFailBattery:
        case GasFailFlow:
        case GasFailCircuit:
            plotted = 0;
            flag = 20002;
            break;
        case GasWarning:
            plotted = level(&clsHeader::WarnForm);
            flag = 20003;
            break;
        case GasAlarm:
            plotted = level(&clsHeader::AlarmForm);
            flag = 20004;
            break;
        case GasStel:
            plotted = level(&clsHeader::StelForm);
            flag = 20005;
            break;
        case GasTwa:
            plotted = level(&clsHeader::TwaForm);
            flag = 20006;
            break;
        case GasClg:
            plotted = 0;
            flag = 20007;
            break;
        case GasNormal:
            // A run of NORMAL codes holds the level plotted before it.
            plotted = index > 0 ? g.ValueY(series, index - 1) : 0.0f;
            flag = 20008;
            break;
        case GasCalib:
            plotted = 100;
            flag = 20009;
            break;
        case GasMax:
            plotted = level(&clsHeader::GasMaxForm);
            flag = 20010;
            break;
        case GasMin:
            plotted = level(&clsHeader::GasMinForm);
            flag = 20011;
            break;
        case GasNoData:
            plotted = 0;
            break;
        default:
            break;
    }
    g.SetValueY(series, index, plotted);
    if (flag != 0) g.SetEventFlag(series, index, GetMessage(flag));
}

}  // namespace qv

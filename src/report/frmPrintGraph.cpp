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

#include <QHash>
#include <array>
#include <bit>
#include <cmath>

namespace qv {

namespace {

// The value of a value or level text; a text that is no number (a level that is off shows
// "-----") plots at 0 rather than ending the job.
float PlotValue(const QString& text) {
    return rt::IsNumeric(text) ? static_cast<float>(rt::ToDouble(text)) : 0.0f;
}

// The levels of a series as printed, read back. Series 0 in the second unit takes its levels
// converted too, so that a level lines up with the converted readings around it.
frmPrint::PrintLevels LevelsOf(const clsHeader& h, int series) {
    const bool convert = series == 0 && ConvEnable;
    const auto level = [&](QString (clsHeader::*form)(int, bool) const) {
        return PlotValue((h.*form)(series, convert));
    };
    return {.full = level(&clsHeader::GasFullForm),
            .warning = level(&clsHeader::WarnForm),
            .alarm = level(&clsHeader::AlarmForm),
            .stel = level(&clsHeader::StelForm),
            .twa = level(&clsHeader::TwaForm),
            .max = level(&clsHeader::GasMaxForm),
            .min = level(&clsHeader::GasMinForm)};
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
        std::array<PrintLevels, 4> levels;
        for (int s = 0; s < 4; ++s)
            levels[static_cast<size_t>(s)] = LevelsOf(h, s);
        for (int i = 0; i < count; ++i) {
            g.SetValueX(i, d.DateTimes(i));
            for (int s = 0; s < 4; ++s) {
                float value = d.Value(s, i);
                if (s == 0 && ConvEnable && value >= 0) value = value * ConvFactor;
                PlotPrintSample(s, i, value, levels[static_cast<size_t>(s)]);
            }
        }
        g.SetSampleCount(count);
        g.SetZoom(1);
        g.SetMinX(0);
        g.SetMaxX(0);
    }
    for (int s = 0; s < 4; ++s)
        g.SetSampleVisible(s, h.GasEnable(ShownChannel(s)));
}

void frmPrint::PlotPrintSample(int series, int index, float value, const PrintLevels& levels) {
    uclVtmGraph& g = *vtmPrint;
    float plotted = value;
    int flag = 0;
    // The code is the value rounded half to even; any value that is no code is kept as it is.
    const double rounded = std::nearbyint(static_cast<double>(value));
    const int code = rounded >= -16.0 && rounded <= -1.0 ? static_cast<int>(rounded) : 0;
    switch (code) {
        case GasOver:
            plotted = levels.full;
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
            plotted = levels.warning;
            flag = 20003;
            break;
        case GasAlarm:
            plotted = levels.alarm;
            flag = 20004;
            break;
        case GasStel:
            plotted = levels.stel;
            flag = 20005;
            break;
        case GasTwa:
            plotted = levels.twa;
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
            plotted = levels.max;
            flag = 20010;
            break;
        case GasMin:
            plotted = levels.min;
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

// Sensor combinations, catalogue gases, span-gas concentrations and the order of the levels.
#include "modGasChecks.h"

#include "AppError.h"
#include "Runtime.h"
#include "clsInstrument.h"
#include "modGasCommon.h"
#include "modGlobals.h"

namespace qv {

int MakeGasEnableMask(bool gas1, bool gas2, bool gas3, bool gas4, bool gas5) {
    return (gas1 ? 1 : 0) + (gas2 ? 2 : 0) + (gas3 ? 4 : 0) + (gas4 ? 8 : 0) + (gas5 ? 16 : 0);
}

int MakeGasEnableMask(const clsInstrument& in) {
    return MakeGasEnableMask(in.GasEnabled(0), in.GasEnabled(1), in.GasEnabled(2), in.GasEnabled(3),
                             in.GasEnabled(4));
}

void SetGasDefaults(clsInstrument& in, int gas, int choice) {
    if (gas < 0 || gas > 5 || choice < 0 || choice > 8)
        throw AppError(ErrSubscript, QStringLiteral("Subscript out of range"));
    const GasDefinition& e = GasTable[static_cast<size_t>(gas)][static_cast<size_t>(choice)];
    in.SetGasName(gas, e.Name);
    in.SetGasEnabled(gas, true);
    in.SetGasPoint(gas, e.Points);
    in.SetGasUnit(gas, e.Unit);
    in.SetWarning(gas, e.Warning);
    in.SetAlarm(gas, e.Alarm);
    in.SetStel(gas, e.Stel);
    in.SetTwa(gas, e.Twa);
    in.SetGasDesit(gas, e.Desit);
    in.SetGasFullScale(gas, e.FullScale);
    in.SetAutoCalib(gas, e.AutoCal);
    // The zero setter raises no flag (a value read from the instrument is no edit); a new
    // sensor's tail-zero setting is one, and must reach the instrument.
    in.SetZero(gas, e.TailZero ? 1 : 0);
    in.SetChange_Zero(gas, true);
}

bool IsOverWarnLevel(const clsInstrument& in, int gas, float value) {
    if (in.GasName(gas) != QLatin1String("OXY")) return value >= in.Warning(gas);
    const float level = in.AlarmO2() == 1 ? in.Alarm(gas) : in.Warning(gas);
    return value <= level || value == 0;
}

bool IsAlarmOrderValid(const clsInstrument& in, int gas) {
    const QString warning = in.WarnForm(gas);
    const QString alarm = in.AlarmForm(gas);
    if (!rt::IsNumeric(warning) || !rt::IsNumeric(alarm)) return true;
    const double w = rt::ToDouble(warning);
    const double a = rt::ToDouble(alarm);
    if (gas == 1 && in.AlarmO2() != 0) return a < w;
    return a >= w;
}

QString FactorySpanText(const clsInstrument& in, int gas) {
    if (gas < 0 || gas >= static_cast<int>(FactAutoCal.size())) return QString();
    return FormatGasValue(FactAutoCal[static_cast<size_t>(gas)], in.GasPoint(gas), false);
}

}  // namespace qv

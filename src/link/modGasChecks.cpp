// Sensor combinations, catalogue gases, span-gas concentrations and the order of the levels.
#include "modGasChecks.h"

#include "AppError.h"
#include "Runtime.h"
#include "clsInstrument.h"
#include "modGasCommon.h"
#include "modGlobals.h"

#include <algorithm>
#include <cmath>

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

namespace {

// A level as the instrument sent it; nothing for none ("*****", 0) or no text.
std::optional<double> ReadLevel(const clsInstrument& in, int gas, GasLevel kind) {
    const QString text = rt::Trim(in.LevelReadText(gas, kind));
    if (!rt::IsNumeric(text) || rt::ToDouble(text) <= 0) return std::nullopt;
    return rt::ToDouble(text);
}

// The oxygen channel's alarm pattern as the order check takes it: falling (alarm below
// warning) or rising.
bool FallingOxygenAlarm(const clsInstrument& in) {
    if (in.RomNumber() > AtCommandVersion) return in.AlarmO2() != 0;
    // Not read from the instrument: its levels as read tell the pattern it works with, falling
    // when the alarm lies below the warning.
    const std::optional<double> w = ReadLevel(in, 1, GasLevel::Warning);
    const std::optional<double> a = ReadLevel(in, 1, GasLevel::Alarm);
    if (!w || !a) return in.AlarmO2() != 0;
    return *a < *w;
}

}  // namespace

bool IsAlarmOrderValid(const clsInstrument& in, int gas) {
    const QString warning = LevelText(in, gas, GasLevel::Warning);
    const QString alarm = LevelText(in, gas, GasLevel::Alarm);
    if (!rt::IsNumeric(warning) || !rt::IsNumeric(alarm)) return true;
    const double w = rt::ToDouble(warning);
    const double a = rt::ToDouble(alarm);
    if (gas == 1 && FallingOxygenAlarm(in)) return a < w;
    return a >= w;
}

bool AlarmOrderJudged(const clsInstrument& in, int gas) {
    return !in.LevelAsRead(gas, GasLevel::Warning) || !in.LevelAsRead(gas, GasLevel::Alarm);
}

namespace {

// The text holds the value exactly, as the instrument will read it.
bool Keeps(const QString& text, float value) {
    return rt::IsNumeric(text) && static_cast<float>(rt::ToDouble(text)) == value;
}

// The places of a number as the instrument wrote it; nothing for "*****" or no text.
std::optional<int16_t> ReadPoints(const QString& text) {
    const QString digits = rt::Trim(text);
    if (!rt::IsNumeric(digits)) return std::nullopt;
    return CountDecimals(digits);
}

// Without known places a value is shown whole, not rounded to places it may lack.
QString WholeText(float value) {
    for (int16_t p = 0; p < 3; ++p) {
        const QString text = FormatGasValue(value, p, false);
        if (Keeps(text, value)) return text;
    }
    return FormatGasValue(value, 3, false);
}

}  // namespace

std::optional<int16_t> LevelPoints(const clsInstrument& in, int gas, GasLevel kind) {
    const QString read = in.LevelReadText(gas, kind);
    if (in.LevelAsRead(gas, kind))
        if (const std::optional<int16_t> points = ReadPoints(read)) return points;
    if (in.GasPoint(gas) >= 0) return in.GasPoint(gas);
    // A sensor switched off is reported without its gas: the instrument's own form of the
    // level is all that tells its places.
    return ReadPoints(read);
}

std::optional<QString> ValueField(float value, int16_t points) {
    const QString field = FormatValue5(value, points);
    if (!Keeps(field, value)) return std::nullopt;
    return field;
}

std::optional<QString> LevelField(const clsInstrument& in, int gas, GasLevel kind) {
    // A value nobody changed goes back exactly as the instrument sent it.
    const QString read = in.LevelReadText(gas, kind);
    if (in.LevelAsRead(gas, kind) && read.size() == 5) return read;
    const float value = in.LevelValue(gas, kind);
    if (value < 0) return FormatValue5(value, 0);
    const std::optional<int16_t> points = LevelPoints(in, gas, kind);
    if (!points) return std::nullopt;
    return ValueField(value, *points);
}

QString LevelText(const clsInstrument& in, int gas, GasLevel kind) {
    const float value = in.LevelValue(gas, kind);
    const std::optional<int16_t> points = LevelPoints(in, gas, kind);
    if (points || value < 0) return FormatGasValue(value, points.value_or(0), false);
    return WholeText(value);
}

QString ChannelText(const clsInstrument& in, int gas, float value) {
    if (in.GasPoint(gas) >= 0 || value < 0)
        return FormatGasValue(value, std::max<int16_t>(in.GasPoint(gas), 0), false);
    return WholeText(value);
}

const std::array<ChannelSetting, kGasLevels> kChannelSettings{{
    {GasLevel::Warning, "A1,W,", &clsInstrument::Change_Warn},
    {GasLevel::Alarm, "A2,W,", &clsInstrument::Change_Alarm},
    {GasLevel::Stel, "AS,W,", &clsInstrument::Change_Stel},
    {GasLevel::Twa, "AW,W,", &clsInstrument::Change_Twa},
    {GasLevel::AutoCal, "SA,W,", &clsInstrument::Change_AutoCal},
}};

std::optional<int> UnwritableChannel(const clsInstrument& in) {
    std::optional<int> first;
    for (const ChannelSetting& s : kChannelSettings) {
        bool sent = false;
        for (int ch = 0; ch < 5; ++ch)
            sent = sent || (in.*s.flag)(ch);
        if (!sent) continue;
        for (int ch = 0; ch < 5; ++ch)
            if (!LevelField(in, ch, s.kind) && (!first || ch < *first)) first = ch;
    }
    return first;
}

namespace {

// Switched on with no gas named: nothing of it can be written.
bool OnWithoutGas(const clsInstrument& in, int gas) {
    return in.GasEnabled(gas) && rt::Trim(in.GasName(gas)).isEmpty();
}

}  // namespace

std::optional<GasListEntry> GasEntry(const clsInstrument& in, int gas) {
    // A sensor nobody changed goes back exactly as the instrument sent it: its name and unit
    // with their blanks, its numbers in their places.
    const QString read = in.GasEntryReadText(gas);
    if (in.GasEntryAsRead(gas) && read.size() == 18 && !read.contains(u'*'))
        return GasListEntry{true, read};
    if (!in.GasEnabled(gas) || OnWithoutGas(in, gas)) return GasListEntry{false, QString(18, u'*')};
    const std::optional<QString> fullScale = ValueField(in.GasFullScale(gas), in.GasPoint(gas));
    const std::optional<QString> desit = ValueField(in.GasDesit(gas), in.GasPoint(gas));
    // A value cut or rounded to fit its field would give the sensor another range.
    if (!fullScale || !desit) return std::nullopt;
    return GasListEntry{true, rt::PadCut(in.GasName(gas), 4) + *fullScale + *desit +
                                  rt::PadCut(in.GasUnit(gas), 4)};
}

bool GasListChanged(const clsInstrument& in) {
    for (int ch = 0; ch < 5; ++ch)
        if (in.Change_GasEnable(ch) && !OnWithoutGas(in, ch) && !in.GasEntryAsRead(ch)) return true;
    return false;
}

std::optional<int> UnwritableGasList(const clsInstrument& in) {
    if (!GasListChanged(in)) return std::nullopt;
    for (int ch = 0; ch < 5; ++ch)
        if (!GasEntry(in, ch)) return ch;
    return std::nullopt;
}

std::optional<float> RoundTextToStep(const QString& text, float stepSize) {
    // The quotient is taken on the digits as typed: in binary 19.45 lies above its half and
    // 19.55 below, so the same rule would round the two apart.
    if (!rt::IsNumeric(text) || !(stepSize > 0) || !std::isfinite(stepSize)) return std::nullopt;
    // The step in units of 10^-places: a Single holds 0.1 only to its seven digits.
    int places = 0;
    int64_t step = 0;
    for (double scaled = stepSize;; scaled *= 10, ++places) {
        if (places > 9 || scaled > 1e12) return std::nullopt;
        const double whole = std::nearbyint(scaled);
        if (whole >= 1 && std::fabs(scaled - whole) <= scaled * 1e-6) {
            step = static_cast<int64_t>(whole);
            break;
        }
    }
    QString digits = text.trimmed();
    const bool negative = digits.startsWith(u'-');
    if (digits.startsWith(u'-') || digits.startsWith(u'+')) digits.remove(0, 1);
    const qsizetype point = digits.indexOf(u'.');
    QString whole = point < 0 ? digits : digits.left(point);
    QString fraction = point < 0 ? QString() : digits.mid(point + 1);
    while (whole.startsWith(u'0'))
        whole.remove(0, 1);
    while (fraction.endsWith(u'0'))
        fraction.chop(1);
    if (negative) return 0.0f;
    // A value this long is far beyond 32767 steps of any usable step.
    if (whole.size() + places > 17) return std::nullopt;
    // value = (units + rest) * 10^-places, with rest the digits after `places` as a fraction.
    const QString rest = fraction.mid(places);
    const int64_t units = (whole + fraction.left(places).leftJustified(places, u'0')).toLongLong();
    int64_t multiple = units / step;
    const int64_t remainder = units % step;
    // Twice the part beyond the multiple against one step: rest >= 0.5 adds one whole unit,
    // and any rest other than none or exactly 0.5 leaves a part beyond that.
    const int64_t twice = 2 * remainder + (!rest.isEmpty() && rest[0] >= u'5' ? 1 : 0);
    const bool beyond = !rest.isEmpty() && rest != QLatin1String("5");
    if (twice > step || (twice == step && (beyond || multiple % 2 != 0))) ++multiple;
    if (multiple > 32767) return std::nullopt;
    return static_cast<float>(static_cast<double>(multiple * step) / std::pow(10.0, places));
}

QString FactorySpanText(const clsInstrument& in, int gas) {
    if (gas < 0 || gas >= static_cast<int>(FactAutoCal.size())) return QString();
    return ChannelText(in, gas, FactAutoCal[static_cast<size_t>(gas)]);
}

}  // namespace qv

// Gas values, status codes and their display texts.
#include "modGasCommon.h"

#include "Runtime.h"
#include "modGlobals.h"

#include <cmath>

namespace qv {

namespace {

struct StatusWords {
    const char* longWord;   // value cells of tables, reports and exports
    const char* shortWord;  // status of an event record
};

// Index 0 is code -1, index 15 is code -16.
constexpr StatusWords kWords[16] = {
    {"-----", ""},
    {"NORMAL", "NORM"},
    {"WARNING", "WARN"},
    {"ALARM", "ALARM"},
    {"STEL", "STL"},
    {"TWA", "TWA"},
    {"OVER", "OVER"},
    {"CALIB.", "CAL"},
    {"FAIL(Cal.)", "FAIL(Cal.)"},
    {"FAIL(Sen.)", "FAIL(Sensor)"},
    {"FAIL(BATT.)", "FAIL(Battery)"},
    {"FAIL(Flow)", "FAIL(Flow)"},
    {"FAIL(Cir.)", "FAIL(Circuit)"},
    {"CLG", "CLG"},
    {"MAX", "MAX"},
    {"MIN", "MIN"},
};

}  // namespace

bool IsStatusCode(float value) {
    return value <= -1.0f && value >= -16.0f && value == std::floor(value);
}

QString ValuePattern(int16_t points) {
    switch (points) {
        case 1:
            return QStringLiteral("#0.0");
        case 2:
            return QStringLiteral("#0.00");
        case 3:
            return QStringLiteral("#0.000");
        default:
            return QStringLiteral("#0");
    }
}

float ParseGasValue(const QString& text) {
    if (rt::IsNumeric(text)) {
        const double v = rt::ToDouble(text);
        // A number beyond a Single's range reads as no data rather than an overflow.
        if (std::fabs(v) > 3.402823e38) return GasNoData;
        return static_cast<float>(v);
    }
    const QString head = rt::Trim(text).left(3).toUpper();
    if (head == QLatin1String("OVE")) return GasOver;
    if (head == QLatin1String("FAI")) return GasFailSensor;
    if (head == QLatin1String("WAR")) return GasWarning;
    if (head == QLatin1String("ALR")) return GasAlarm;
    if (head == QLatin1String("STE")) return GasStel;
    if (head == QLatin1String("TWA")) return GasTwa;
    if (head == QLatin1String("MAX")) return GasMax;
    if (head == QLatin1String("MIN")) return GasMin;
    if (head == QLatin1String("NOR")) return GasNormal;
    return GasNoData;
}

int16_t StatusDigitToCode(const QString& text) {
    if (!rt::IsNumeric(text)) return 0;
    const double v = std::nearbyint(rt::ToDouble(text));  // halves to the even neighbour
    if (v >= 0 && v <= 11) return static_cast<int16_t>(-(static_cast<int>(v) + 2));
    return GasNoData;  // any other number, those beyond the 16-bit range included
}

int16_t CountDecimals(const QString& text) {
    const qsizetype p = text.indexOf(u'.');
    if (p < 0) return 0;
    return static_cast<int16_t>(std::min<qsizetype>(text.size() - p - 1, 32767));
}

QString FormatGasValue(float value, int16_t points, bool convert) {
    if (IsStatusCode(value))
        return QString::fromLatin1(kWords[static_cast<int>(-value) - 1].longWord);
    const float shown = convert ? ConvFactor * value : value;
    if (!std::isfinite(shown)) return QStringLiteral("*****");
    // Right-aligned in five columns; a number that needs more is shown whole, never cut to its
    // last five characters (1234.5 is not "234.5").
    return rt::Format(shown, ValuePattern(points)).rightJustified(5, u' ');
}

QString FormatValue5(float value, int16_t points) {
    if (value < 0 || !std::isfinite(value)) return QStringLiteral("*****");
    // A field of the instrument's protocol: always exactly five characters.
    return rt::Right(rt::Format(value, ValuePattern(points)).rightJustified(5, u' '), 5);
}

QString GetPointFormat(int16_t points) {
    if (points < 0 || points > 9) return QString();
    if (points == 0) return QStringLiteral("#0");
    return QStringLiteral("#0.") + QString(points, u'0');
}

QString GetStatusWord(int32_t code) {
    if (code >= -15 && code <= -2) return QString::fromLatin1(kWords[-code - 1].shortWord);
    return QString();
}

QString FormatNameUnit(const QString& name, const QString& unit) {
    if (rt::Trim(name).isEmpty()) return QStringLiteral("----(---)");
    return name + u'(' + unit + u')';
}

float RoundToStep(float value, float stepSize) {
    if (value < 0) return 0;
    // Without a usable step, or with a quotient beyond the 16-bit range, the value stays as
    // entered instead of raising an overflow in the middle of an edit.
    if (!(stepSize > 0) || !std::isfinite(stepSize)) return value;
    const double q = static_cast<double>(value) / stepSize;
    if (!(std::fabs(q) <= 32767.0)) return value;
    return static_cast<float>(rt::CInt(q) * stepSize);
}

int16_t IntervalToIndex(int16_t seconds) {
    switch (seconds) {
        case 10:
            return 0;
        case 20:
            return 1;
        case 30:
            return 2;
        case 60:
            return 3;
        case 180:
            return 4;
        case 300:
            return 5;
        case 600:
            return 6;
        default:
            return 5;
    }
}

}  // namespace qv

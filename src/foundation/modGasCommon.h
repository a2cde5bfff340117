// Everything about one gas value: status codes that share the reading's field, reading values
// and status words out of downloaded text, and the display texts and patterns.
#pragma once

#include <QString>
#include <cstdint>

namespace qv {

// Values -1 to -16 of a reading are status codes, not readings.
enum GasStatusCode : int {
    GasNoData = -1,
    GasNormal = -2,
    GasWarning = -3,
    GasAlarm = -4,
    GasStel = -5,
    GasTwa = -6,
    GasOver = -7,
    GasCalib = -8,
    GasFailCal = -9,
    GasFailSensor = -10,
    GasFailBattery = -11,
    GasFailFlow = -12,
    GasFailCircuit = -13,
    GasClg = -14,
    GasMax = -15,
    GasMin = -16,
};

// True when the value is exactly one of the status codes -1 to -16.
bool IsStatusCode(float value);

float ParseGasValue(const QString& text);
int16_t StatusDigitToCode(const QString& text);
int16_t CountDecimals(const QString& text);
// The display text of a value: a status code's long word, or the number with `points`
// decimals right-aligned in five columns (a longer number whole); `convert` multiplies by
// ConvFactor first.
QString FormatGasValue(float value, int16_t points, bool convert = false);
// A five-character value field of an instrument write; "*****" for a negative value.
QString FormatValue5(float value, int16_t points);
QString GetPointFormat(int16_t points);
QString GetStatusWord(int32_t code);
QString FormatNameUnit(const QString& name, const QString& unit);
float RoundToStep(float value, float stepSize);
int16_t IntervalToIndex(int16_t seconds);

// The display pattern of a decimal count: 1 "#0.0", 2 "#0.00", 3 "#0.000", else "#0".
QString ValuePattern(int16_t points);

}  // namespace qv

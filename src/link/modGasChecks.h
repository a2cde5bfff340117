// Judging, rounding and filling the per-gas settings of an instrument: the index of its sensor
// combination, a catalogue gas put into one channel, whether a span-gas concentration suits a
// channel, and whether a channel's alarm level lies on the right side of its warning level.
// Channel 1 (gas 2) is the oxygen channel of the order check.
#pragma once

#include <QString>
#include <cstdint>
#include <optional>

namespace qv {

class clsInstrument;

// The index into the table of allowed sensor combinations: gas 1 counts 1, gas 5 counts 16.
int MakeGasEnableMask(bool gas1, bool gas2, bool gas3, bool gas4, bool gas5);
// The same from the enable flags of channels 0 to 4 of an instrument.
int MakeGasEnableMask(const clsInstrument& instrument);

// Puts catalogue entry `choice` (0 to 8) of channel `gas` (0 to 5) into that channel of the
// instrument and enables it. The setters raise the channel's edit flags; the tail-zero setting
// raises its own as well, so that the next upload sends it.
void SetGasDefaults(clsInstrument& instrument, int gas, int choice);

// Whether a span-gas concentration suits the channel: at or above its warning level, or, for
// the gas named exactly "OXY", at or below its warning level (its alarm level with alarm
// pattern 1) or 0.
bool IsOverWarnLevel(const clsInstrument& instrument, int gas, float value);

// Whether the channel's alarm level lies on the right side of its warning level, compared as
// the texts shown: true when either is off; for channel 1 with a falling alarm pattern the
// alarm must lie below the warning, for every other the alarm at or above it.
bool IsAlarmOrderValid(const clsInstrument& instrument, int gas);

// A typed plain decimal rounded to a multiple of a resolution step; a negative entry gives 0.
// Nothing for text that is no plain decimal, a step not above 0, or a multiple beyond 32767.
std::optional<float> RoundTextToStep(const QString& text, float stepSize);

// The factory span-gas concentration of a channel as the service pages show it, in the
// channel's decimal places.
QString FactorySpanText(const clsInstrument& instrument, int gas);

}  // namespace qv

// Judging, rounding and filling the per-gas settings of an instrument: the index of its sensor
// combination, a catalogue gas put into one channel, whether a span-gas concentration suits a
// channel, whether a channel's alarm level lies on the right side of its warning level, and the
// decimal places its values are shown and written with.
// Channel 1 (gas 2) is the oxygen channel of the order check.
#pragma once

#include <QString>
#include <array>
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

// The decimal places of a channel's levels and span-gas concentrations: those of its sensor's
// reading step; for a channel whose sensor the instrument did not report (switched off), those
// that every gas of the catalogue for the channel has. Nothing where they differ.
std::optional<int16_t> ChannelPoints(const clsInstrument& instrument, int gas);

// A value field of an instrument write: five characters in `points` decimal places. Nothing
// when the text would not read back as the value: a number too long for the field, or with more
// places than it is written with, would reach the instrument changed.
std::optional<QString> ValueField(float value, int16_t points);

// A level or span-gas concentration of a channel as a settings upload writes it: "*****" for
// none (below 0), else five characters in the channel's decimal places. Nothing when those are
// not known, or when the text would not read back as the value: it would reach the instrument
// changed.
std::optional<QString> ChannelField(const clsInstrument& instrument, int gas, float value);

// The same value as the settings pages show it: "-----" for none, else in the channel's decimal
// places, or, where those are not known, in as few as show it whole (three at most).
QString ChannelText(const clsInstrument& instrument, int gas, float value);

// The per-gas values of the settings upload (warning, alarm, STEL, TWA, span gas), each with
// the edit flag that has the upload send it for all five channels.
struct ChannelSetting {
    float (clsInstrument::*value)(int) const;
    bool (clsInstrument::*flag)(int) const;
};
extern const std::array<ChannelSetting, 5> kChannelSettings;

// The first gas (channel 0 to 4) whose values an upload would send but cannot write unchanged
// (ChannelField); nothing when there is none.
std::optional<int> UnwritableChannel(const clsInstrument& instrument);

// The first switched-on gas (0 to 4) whose full scale or resolution an upload of the gas list
// would send but cannot write unchanged (ValueField); nothing when there is none or the gas
// list is not sent.
std::optional<int> UnwritableGasList(const clsInstrument& instrument);

// A typed plain decimal rounded to a multiple of a resolution step; a negative entry gives 0.
// Nothing for text that is no plain decimal, a step not above 0, or a multiple beyond 32767.
std::optional<float> RoundTextToStep(const QString& text, float stepSize);

// The factory span-gas concentration of a channel as the service pages show it, in the
// channel's decimal places.
QString FactorySpanText(const clsInstrument& instrument, int gas);

}  // namespace qv

// Judging, rounding and filling the per-gas settings of an instrument: the index of its sensor
// combination, a catalogue gas put into one channel, whether a span-gas concentration suits a
// channel, whether a channel's alarm level lies on the right side of its warning level, and the
// form in which its values and gas list entry are shown and written.
// Channel 1 (gas 2) is the oxygen channel of the order check.
#pragma once

#include "clsInstrument.h"

#include <QString>
#include <array>
#include <cstdint>
#include <optional>

namespace qv {

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
// alarm must lie below the warning, for every other the alarm at or above it. An instrument
// whose program is too old to report its oxygen alarm pattern (ROM number not above
// AtCommandVersion) is not taken to have a pattern that its oxygen levels as read contradict.
bool IsAlarmOrderValid(const clsInstrument& instrument, int gas);

// Whether an upload judges the order of a channel's levels: only when its warning or alarm
// level is not the one the instrument holds (changed, or never read). Levels as the instrument
// holds them never stop an upload of other settings.
bool AlarmOrderJudged(const clsInstrument& instrument, int gas);

// The decimal places of a channel's per-gas value: those the instrument sent it in while it is
// the value read; else those of the channel's sensor; else those it was read in before it was
// changed. Nothing where none of these is known (a switched-off sensor's value that was never
// read, or was changed).
std::optional<int16_t> LevelPoints(const clsInstrument& instrument, int gas, GasLevel kind);

// A value field of an instrument write: five characters in `points` decimal places. Nothing
// when the text would not read back as the value: a number too long for the field, or with more
// places than it is written with, would reach the instrument changed.
std::optional<QString> ValueField(float value, int16_t points);

// A channel's per-gas value as a settings upload writes it: the field as read while it is the
// value read; "*****" for none (below 0); else five characters in its decimal places
// (LevelPoints). Nothing when those are not known, or the text would not read back as the
// value: it would reach the instrument changed.
std::optional<QString> LevelField(const clsInstrument& instrument, int gas, GasLevel kind);

// The same value as the pages show it: "-----" for none, else in its decimal places, or, where
// those are not known, in as few as show it whole (three at most).
QString LevelText(const clsInstrument& instrument, int gas, GasLevel kind);

// A value of a channel that the instrument did not send (the factory span concentration), shown
// in the decimal places of the channel's sensor, or whole where the channel has none.
QString ChannelText(const clsInstrument& instrument, int gas, float value);

// The per-gas values of the settings upload (warning, alarm, STEL, TWA, span gas) in the order
// it writes them, each with its write command and the edit flag that has the upload send it for
// all five channels.
struct ChannelSetting {
    GasLevel kind;
    const char* write;
    bool (clsInstrument::*flag)(int) const;
};
extern const std::array<ChannelSetting, kGasLevels> kChannelSettings;

// The first gas (channel 0 to 4) whose values an upload would send but cannot write unchanged
// (LevelField); nothing when there is none.
std::optional<int> UnwritableChannel(const clsInstrument& instrument);

// One channel's entry of the gas list that an upload writes: whether it goes switched on, and
// its 18 characters (name, full scale, resolution, unit; 18 asterisks for a channel off).
struct GasListEntry {
    bool enabled = false;
    QString field;
};
// The entry of a channel: as read while the channel holds the sensor read. A channel switched
// on without a gas of its own (a fixed sensor that
// the instrument reports off, which the pages show on) has nothing to write: it goes as the
// instrument holds it, off. Nothing when a full scale or resolution cannot be written unchanged
// in its five characters.
std::optional<GasListEntry> GasEntry(const clsInstrument& instrument, int gas);

// Whether an upload writes the gas list: a sensor was switched on or off or given another gas
// (its edit flag is up, and it is not the sensor read), other than one that goes as the
// instrument holds it.
bool GasListChanged(const clsInstrument& instrument);

// The first gas (0 to 4) whose entry an upload of the gas list cannot write (GasEntry);
// nothing when there is none or the gas list is not sent.
std::optional<int> UnwritableGasList(const clsInstrument& instrument);

// A typed plain decimal rounded to a multiple of a resolution step; a negative entry gives 0.
// Nothing for text that is no plain decimal, a step not above 0, or a multiple beyond 32767.
std::optional<float> RoundTextToStep(const QString& text, float stepSize);

// The factory span-gas concentration of a channel as the service pages show it, in the
// channel's decimal places.
QString FactorySpanText(const clsInstrument& instrument, int gas);

}  // namespace qv

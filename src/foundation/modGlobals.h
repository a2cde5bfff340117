// Program-wide settings and state: the globals that the settings file carries and that the
// start-up puts in place. Values here are the start-up values before any defaults are applied.
#pragma once

#include <QString>
#include <array>
#include <cstdint>

namespace qv {

// One entry of the gas catalogue.
struct GasDefinition {
    bool Enabled = false;
    QString Name;
    bool Locked = false;
    QString Unit;
    float FullScale = 0;
    float Desit = 0;  // resolution step
    int16_t Points = 0;
    float Warning = 0;
    float Alarm = 0;
    float Stel = 0;
    float Twa = 0;
    float AutoCal = 0;
    bool TailZero = false;
    bool operator==(const GasDefinition&) const = default;
};

// The program font as the settings file keeps it; the windows turn it into their own font.
struct FontSetting {
    QString Name;
    double Size = 0;  // points, kept to four decimal places like a currency value
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool Strikethrough = false;
    int16_t Charset = 0;
    int16_t Weight = 400;
};

constexpr int GasChannels = 5;  // channels 0 to 4; arrays hold 0 to 5

// Settings carried by the settings file.
extern int32_t ExecuteCount;
extern bool SerialLogOn;
extern int16_t CommPortNo;
extern QString CommSettings;
extern bool AutoCalibMode;
extern bool AutoLoad;
extern bool AutoRemoveData;
extern FontSetting AppFont;
extern int16_t LimitDays;
extern std::array<float, 6> CalibRange;
extern std::array<bool, 6> GasLocked;
extern std::array<float, 6> FactAutoCal;
extern std::array<int32_t, 6> GraphColor;
extern float ConvFactor;
extern bool ConvEnable;
extern std::array<QString, 3> UnitNames;
// Gas 1's name on the unit menu, taken from the trend last shown.
extern QString UnitGasName;
extern std::array<bool, 33> GasComb;
extern std::array<std::array<GasDefinition, 9>, 6> GasTable;
// Puts the built-in gas catalogue into GasTable: per channel the gases its sensor may be. The
// settings file may then change rows of it.
void FillBuiltInGasTable();
extern int16_t CalUnitOnWait;
extern int16_t CalSpanOnWait;
extern int16_t CalSpanOffWait;
extern std::array<float, 3> PrtWidth;
extern int32_t AtCommandVersion;
extern QString UserPassword;
extern QString DataLocation;

// State the start-up and the windows put in place.
extern QString DatabasePath;
extern QString SqlDateFormat;
extern bool PasswordOK;
extern bool ServiceMode;
extern int16_t OperationMode;

// Operation states of the long operations.
enum OperationModeCode : int16_t {
    OpIdle = 0,
    OpSingleDownload = 1,
    OpZeroCalibration = 3,
    OpSpanCalibration = 4,
    OpCompleteDownload = 5,
    OpAutomatic = 6,
};

// Kinds of log, the Types column of a log header.
enum DataTypeCode : int32_t {
    TypeInterval = 1,
    TypeAlarmTrend = 2,
    TypeCalHistory = 3,
    TypeLastCalibration = 4,
    TypeAlarmEvents = 5,
    TypeTroubleEvents = 6,
    TypePowerEvents = 7,
};

// Puts every global back to its start-up value (a fresh run; tests use it between cases).
void ResetGlobals();

}  // namespace qv

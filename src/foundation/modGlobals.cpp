// Storage of the program-wide globals.
#include "modGlobals.h"

namespace qv {

int32_t ExecuteCount;
bool SerialLogOn;
int16_t CommPortNo;
QString CommSettings;
bool AutoCalibMode;
bool AutoLoad;
bool AutoRemoveData;
FontSetting AppFont;
int16_t LimitDays;
std::array<float, 6> CalibRange;
std::array<bool, 6> GasLocked;
std::array<float, 6> FactAutoCal;
std::array<int32_t, 6> GraphColor;
float ConvFactor;
bool ConvEnable;
std::array<QString, 3> UnitNames;
QString UnitGasName;
std::array<bool, 33> GasComb;
std::array<std::array<GasDefinition, 9>, 6> GasTable;
int16_t CalUnitOnWait;
int16_t CalSpanOnWait;
int16_t CalSpanOffWait;
std::array<float, 3> PrtWidth;
int32_t AtCommandVersion;
QString UserPassword;
QString DataLocation;

QString DatabasePath;
QString SqlDateFormat;
bool PasswordOK;
bool ServiceMode;
int16_t OperationMode;

void FillBuiltInGasTable() {
    auto gas = [](const char* name, bool locked, const char* unit, float fullScale, float desit,
                  int16_t points, float warning, float alarm, float stel, float twa, float autoCal,
                  bool tailZero) {
        GasDefinition d;
        d.Enabled = true;
        d.Name = QString::fromLatin1(name);
        d.Locked = locked;
        d.Unit = QString::fromLatin1(unit);
        d.FullScale = fullScale;
        d.Desit = desit;
        d.Points = points;
        d.Warning = warning;
        d.Alarm = alarm;
        d.Stel = stel;
        d.Twa = twa;
        d.AutoCal = autoCal;
        d.TailZero = tailZero;
        return d;
    };
    const GasDefinition ch4 = gas("CH4", false, "%LEL", 100, 1, 0, 10, 50, -1, -1, 10, true);
    const GasDefinition hc = gas("HC ", false, "%LEL", 100, 1, 0, 10, 50, -1, -1, 10, false);
    // Oxygen alarms on a falling level: its alarm lies below its warning.
    const GasDefinition oxy = gas("OXY", true, "VOL%", 40, 0.1f, 1, 19.5f, 18, -1, -1, 12, true);
    const GasDefinition h2s = gas("H2S", false, "ppm", 100, 0.5f, 1, 10, 30, 15, 10, 10, true);
    const GasDefinition co = gas("CO ", false, "ppm", 500, 1, 0, 25, 50, 200, 25, 100, true);
    const GasDefinition so2 = gas("SO2", false, "ppm", 20, 0.5f, 1, 2, 5, -1, -1, 10, true);
    const GasDefinition cl2 = gas("Cl2", false, "ppm", 1.5f, 0.01f, 2, 0.5f, 1, -1, -1, 0.8f, true);
    GasTable[0][0] = ch4;
    GasTable[0][1] = hc;
    GasTable[1][0] = oxy;
    GasTable[2][0] = h2s;
    GasTable[2][1] = co;
    GasTable[2][2] = so2;
    GasTable[2][3] = cl2;
    GasTable[3][0] = co;
    GasTable[3][1] = h2s;
    GasTable[3][2] = so2;
    GasTable[3][3] = cl2;
    GasTable[4][0] = hc;
    GasTable[4][1] = ch4;
}

void ResetGlobals() {
    ExecuteCount = 0;
    SerialLogOn = false;
    CommPortNo = 0;
    CommSettings.clear();
    AutoCalibMode = AutoLoad = AutoRemoveData = false;
    AppFont = FontSetting{};
    LimitDays = 0;
    CalibRange.fill(0);
    GasLocked.fill(false);
    FactAutoCal.fill(0);
    GraphColor.fill(0);
    ConvFactor = 0;
    ConvEnable = false;
    UnitNames.fill(QString());
    UnitGasName.clear();
    GasComb.fill(false);
    for (auto& row : GasTable)
        row.fill(GasDefinition{});
    CalUnitOnWait = CalSpanOnWait = CalSpanOffWait = 0;
    PrtWidth.fill(0);
    AtCommandVersion = 0;
    UserPassword.clear();
    DataLocation.clear();
    DatabasePath.clear();
    SqlDateFormat.clear();
    PasswordOK = false;
    ServiceMode = false;
    OperationMode = OpIdle;
}

namespace {
// Globals start at their zero values (0, False, empty) before anything reads them.
struct StartValues {
    StartValues() { ResetGlobals(); }
} startValues;
}  // namespace

}  // namespace qv

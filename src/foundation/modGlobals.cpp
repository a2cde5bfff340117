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

// Grid value texts, event colours and the alarm moment.
#include "modViewSupport.h"

#include "Database.h"
#include "Runtime.h"
#include "modGasCommon.h"
#include "modGlobals.h"
#include "modMessage.h"

namespace qv {

namespace {

constexpr int32_t RGB(int r, int g, int b) {
    return static_cast<int32_t>(r | (g << 8) | (b << 16));
}

}  // namespace

QString GridValueText(const QVariant& value) {
    if (!value.isValid()) return QString();
    switch (value.typeId()) {
        case QMetaType::QString:
            return value.toString();
        case QMetaType::Bool:
            return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
        case QMetaType::Float:
            return rt::SingleText(value.toFloat());
        case QMetaType::Double:
            return rt::DoubleText(value.toDouble());
        case QMetaType::QDateTime:
            return GeneralDate(value.toDateTime());
        default:
            return value.toString();
    }
}

int32_t GetEventColor(int32_t code, int32_t currentColor) {
    switch (code) {
        case 0:
        case GasNoData:
            return currentColor != 0 ? RGB(192, 192, 192) : 0;
        case GasNormal:
            return RGB(64, 192, 128);
        case GasWarning:
            return RGB(255, 128, 0);
        case GasAlarm:
            return RGB(255, 0, 0);
        case GasStel:
            return RGB(255, 192, 192);
        case GasTwa:
            return RGB(192, 128, 192);
        case GasOver:
        case GasMax:
            return RGB(255, 64, 64);
        case GasCalib:
            return RGB(128, 192, 128);
        case GasFailCal:
        case GasFailSensor:
        case GasFailBattery:
        case GasFailFlow:
        case GasFailCircuit:
            return RGB(128, 128, 128);
        case GasClg:
            return RGB(192, 128, 128);
        case GasMin:
            return RGB(128, 255, 192);
        default:
            return 0;
    }
}

void MarkAlarmGases(int32_t relNo, std::array<float, 6>& AlarmValues,
                    std::array<bool, 6>& AlarmFlags) {
    AlarmValues.fill(static_cast<float>(GasNoData));
    AlarmFlags.fill(false);
    Database db(DatabasePath);
    const auto rows = db.query(QStringLiteral("Select Gas1Value, Gas2Value, Gas3Value, Gas4Value, "
                                              "Gas5Value From Alarm_Data Where RelNo = ? "
                                              "Order By SeqNo Limit 1 Offset ?;"),
                               {relNo, AlarmMomentRow});
    if (!rows.empty())
        for (int g = 0; g < 5; ++g)
            AlarmValues[static_cast<size_t>(g)] = static_cast<float>(
                rows.front().toDouble(QStringLiteral("Gas%1Value").arg(g + 1), GasFailFlow));
    for (size_t g = 0; g < 4; ++g)
        AlarmFlags[g] = AlarmValues[g] < 0 && AlarmValues[g] != static_cast<float>(GasNoData);
}

}  // namespace qv

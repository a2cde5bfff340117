// Intake of calibration-history lines: date and time at columns 3-14, the value before the
// calibration at 15-19 and after it at 20-24.
#include "clsHistorys.h"

#include "Runtime.h"
#include "modGasCommon.h"

namespace qv {

bool clsHistorys::SetDatas(int GasNo, const QString& vData, bool TestFlag) {
    if (vData.size() < 21) return false;
    // Only channels 0 to 4 are stored: a line of any other would be gathered and then lost.
    if (GasNo < 0 || GasNo > 4) return false;
    const QString key = QStringLiteral("01 L");
    Ptr item = Item(key);
    if (!item) {
        item = Add(key, 0);
        item->SetInstrument(instruments_);
    }

    const QString line = PrintableOnly(vData);
    const LineDate when = ReadLineDate(line, 3);
    // The time group counts only when the date group passed.
    const bool dateOk = when.dateOk && when.timeOk;
    if (!dateOk) return false;  // a line without its date has no slot to go to
    // Every well-formed line finds a slot: a long history is never refused.
    if (TestFlag) return true;
    const float before = ParseGasValue(rt::Mid(line, 15, 5));
    const float after = ParseGasValue(rt::Mid(line, 20, 5));
    return item->AddHistory(GasNo, when.date, before, after);
}

bool clsHistorys::TestLines(int GasNo, const QStringList& lines) {
    bool all = true;
    for (const QString& line : lines)
        all = SetDatas(GasNo, line, true) && all;
    return all;
}

bool clsHistorys::StoreLines(int GasNo, const QStringList& lines) {
    bool all = true;
    for (const QString& line : lines)
        all = SetDatas(GasNo, line, false) && all;
    return all;
}

bool clsHistorys::SetDatas(const QString&, bool) {
    return false;
}

bool clsHistorys::Route(clsHistory&, const QString&, bool) {
    return false;
}

}  // namespace qv

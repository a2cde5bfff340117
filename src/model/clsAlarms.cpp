// Routing of alarm-trend lines: minimum length per frame code, then the trend's parser; the
// user and station line is taken here.
#include "clsAlarms.h"

#include "modKeys.h"
#include "modMessage.h"

namespace qv {

bool clsAlarms::Route(clsAlarm& item, const QString& line, bool TestFlag) {
    const QString code = FrameCode(line);
    if (code == QLatin1String("BD")) {
        if (line.size() < 24) return false;
        const bool answer = item.SetDataBD(line, TestFlag);
        if (!TestFlag) SetMessageString(GetMessage(2001, {item.GasInfo().Names()}));
        return answer;
    }
    if (code == QLatin1String("B0") || code == QLatin1String("B1") || code == QLatin1String("B2") ||
        code == QLatin1String("B3") || code == QLatin1String("B4")) {
        if (line.size() < 29) return false;
        return item.SetDataB0(line, TestFlag);
    }
    if (code == QLatin1String("BC")) {
        if (line.size() < 24) return false;
        return item.SetDataBC(line, TestFlag);
    }
    if (code == QLatin1String("BB")) {
        if (line.size() < 16) return false;
        return item.SetDataBB(line, TestFlag);
    }
    if (code == QLatin1String("BA")) {
        if (line.size() < 24) return false;
        if (!TestFlag) {
            item.GasInfo().SetUserId(TrimOrStar(rt::Mid(line, 5, 10)));
            item.GasInfo().SetStationID(TrimOrStar(rt::Mid(line, 15, 10)));
        }
        return true;
    }
    return true;  // a code this kind does not use is accepted and ignored
}

}  // namespace qv

// Interval trend collection: routing by frame code, identity lines and the new-log message.
#include "clsIntervals.h"

#include "Runtime.h"
#include "modKeys.h"
#include "modMessage.h"

namespace qv {

bool clsIntervals::Route(clsInterval& item, const QString& line, bool TestFlag) {
    const QString code = FrameCode(line);
    const qsizetype length = line.size();
    auto isOneOf = [&](std::initializer_list<const char*> codes) {
        for (const char* c : codes)
            if (code == QLatin1String(c)) return true;
        return false;
    };

    if (code == QLatin1String("AD")) {
        if (length < 24) return false;
        const bool answer = item.SetDataAD(line, TestFlag);
        if (!TestFlag && answer) messageString_ = GetMessage(4001, {item.GasInfo().Names()});
        return answer;
    }
    if (isOneOf({"AE", "AF", "AG", "AH", "AI"}))
        return length >= 24 && item.SetDataAE(line, TestFlag);
    if (isOneOf({"A0", "A1", "A2", "A3", "A4", "A5"}))
        return length >= 24 && item.SetDataA0(line, TestFlag);
    if (code == QLatin1String("AC")) return length >= 24 && item.SetDataAC(line, TestFlag);
    if (code == QLatin1String("AB")) {
        if (length < 16) return false;
        if (!TestFlag) item.GasInfo().SetSerialNo(TrimOrStar(rt::Mid(line, 5, 12)));
        return true;
    }
    if (code == QLatin1String("AA")) {
        if (length < 24) return false;
        if (!TestFlag) {
            item.GasInfo().SetUserId(TrimOrStar(rt::Mid(line, 5, 10)));
            item.GasInfo().SetStationID(TrimOrStar(rt::Mid(line, 15, 10)));
        }
        return true;
    }
    return true;  // a frame code this kind does not carry
}

void clsIntervals::OnTestPassStart() {
    for (const auto& item : items_)
        item->BeginTestPass();
}

}  // namespace qv

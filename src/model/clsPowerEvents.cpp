// The power-event collection: the one frame code "FD".
#include "clsPowerEvents.h"

namespace qv {

bool clsPowerEvents::Route(clsPowerEvent& item, const QString& line, bool TestFlag) {
    if (FrameCode(line) != QLatin1String("FD")) return true;
    if (line.size() < 24) return false;
    const bool answer = item.SetDataF0(line, TestFlag);
    if (!TestFlag) {
        // Power lines carry no identity, so until the save this key is the same for every
        // line: the download is announced once.
        const clsHeader& h = item.GasInfo();
        AnnounceOnce(MessageKeyList::MakeMessageKey(h.SerialNo(), h.StationID(), h.UserId()),
                     QStringLiteral("Power Events"));
    }
    return answer;
}

}  // namespace qv

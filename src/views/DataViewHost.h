// What the data view page uses of the window that holds it: the stored log chosen on the
// stored-data page, the record objects it loads that log into, the connected instrument's gas
// switches, the name of the last export, the unit menu of gas 1 and the page switch. The layout
// pass is the page frame's own Form_Resize. The window keeps every referenced object alive as long
// as the page.
#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

namespace qv {

class clsAlarm;
class clsAlarmEvent;
class clsHistory;
class clsInstrument;
class clsInterval;
class clsPowerEvent;
class clsTroubleEvent;

struct DataViewHost {
    // The stored log on show: its kind (0 none) and its header key.
    int32_t& CurDataType;
    int32_t& CurSeqNo;
    // One record object per kind, each made by the window before it binds the page; the page
    // loads the one of the kind shown.
    std::shared_ptr<clsInterval>& CurInterval;
    std::shared_ptr<clsAlarm>& CurAlarm;
    std::shared_ptr<clsHistory>& CurHistory;
    std::shared_ptr<clsAlarmEvent>& CurAlarmEvent;
    std::shared_ptr<clsTroubleEvent>& CurTroubleEvent;
    std::shared_ptr<clsPowerEvent>& CurPowerEvent;
    // The connected instrument; only its gas switches are read.
    std::shared_ptr<clsInstrument>& CurInstrument;
    // The full name of the last file saved by Export (text or picture), empty until the first
    // save of this run; the next save proposes it.
    QString& ExportFileName;
    // Pops up the unit menu of gas 1 with this tag ("1": opened on this page, whose view is then
    // built again in the unit chosen).
    std::function<void(const QString& Tag)> PopupUnits;
    // Shows one page of the window (0 download ... 5 set) and lays the window out.
    std::function<void(int Index)> ShowPage;
};

}  // namespace qv

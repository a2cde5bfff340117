// The main window's state that the data view page reaches, held on its own, so that the tests
// and the benchmark of that page run it without the window.
#pragma once

#include "BrowserState.h"
#include "DataViewHost.h"
#include "clsAlarm.h"
#include "clsAlarmEvent.h"
#include "clsHistory.h"
#include "clsInterval.h"
#include "clsPowerEvent.h"
#include "clsTroubleEvent.h"

namespace qv::test {

struct DataViewState : BrowserState {
    std::shared_ptr<clsInterval> CurInterval = std::make_shared<clsInterval>();
    std::shared_ptr<clsAlarm> CurAlarm = std::make_shared<clsAlarm>();
    std::shared_ptr<clsHistory> CurHistory = std::make_shared<clsHistory>();
    std::shared_ptr<clsAlarmEvent> CurAlarmEvent = std::make_shared<clsAlarmEvent>();
    std::shared_ptr<clsTroubleEvent> CurTroubleEvent = std::make_shared<clsTroubleEvent>();
    std::shared_ptr<clsPowerEvent> CurPowerEvent = std::make_shared<clsPowerEvent>();
    std::shared_ptr<clsInstrument> CurInstrument = std::make_shared<clsInstrument>();
    QString ExportFileName;

    // A host on these fields; the window's entries run the actions given.
    DataViewHost ViewHost(std::function<void(const QString&)> popupUnits,
                          std::function<void(int)> showPage) {
        return DataViewHost{
            CurDataType,   CurSeqNo,       CurInterval,           CurAlarm,
            CurHistory,    CurAlarmEvent,  CurTroubleEvent,       CurPowerEvent,
            CurInstrument, ExportFileName, std::move(popupUnits), std::move(showPage)};
    }
};

}  // namespace qv::test

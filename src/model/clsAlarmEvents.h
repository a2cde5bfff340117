// The alarm events of one download, filed by log number, announced once per month and identity.
#pragma once

#include "MonthlyEventLog.h"
#include "clsAlarmEvent.h"

namespace qv {

class clsAlarmEvents : public MonthlyEventCollection<clsAlarmEvent> {
  public:
    clsAlarmEvents();
};

}  // namespace qv

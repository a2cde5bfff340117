// The trouble events of one download, filed by log number, announced once per month and identity.
#pragma once

#include "MonthlyEventLog.h"
#include "clsTroubleEvent.h"

namespace qv {

class clsTroubleEvents : public MonthlyEventCollection<clsTroubleEvent> {
  public:
    clsTroubleEvents();
};

}  // namespace qv

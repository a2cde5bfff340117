// The power events of one download, filed by log number, announced once per identity.
#pragma once

#include "MessageKeyList.h"
#include "clsPowerEvent.h"

namespace qv {

class clsPowerEvents : public EventCollection<clsPowerEvent> {
  protected:
    bool Route(clsPowerEvent& item, const QString& line, bool TestFlag) override;
};

}  // namespace qv

// The alarm trends of one download, filed by log number, with the routing of every received
// line to its trend by frame code.
#pragma once

#include "RecordCollection.h"
#include "clsAlarm.h"

namespace qv {

class clsAlarms : public RecordCollection<clsAlarm> {
  protected:
    bool Route(clsAlarm& item, const QString& line, bool TestFlag) override;
};

}  // namespace qv

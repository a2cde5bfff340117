// The keyed collection of interval trend logs of one download: routes every received line to
// the log of its number and the parser of its frame code.
#pragma once

#include "RecordCollection.h"
#include "clsInterval.h"

namespace qv {

class clsIntervals : public RecordCollection<clsInterval> {
  protected:
    // Short lines carry nothing of an interval trend: accepted and ignored.
    bool ShortLineAnswer() const override { return true; }
    bool Route(clsInterval& item, const QString& line, bool TestFlag) override;
    void OnTestPassStart() override;
};

}  // namespace qv

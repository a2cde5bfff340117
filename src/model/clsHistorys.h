// The calibration histories of one download: every line of every channel is gathered into the
// one record filed under "01 L".
#pragma once

#include "RecordCollection.h"
#include "clsHistory.h"

#include <QStringList>

namespace qv {

class clsHistorys : public RecordCollection<clsHistory> {
  public:
    // Takes one received line of channel GasNo (0 to 4): with TestFlag only checks it (length,
    // channel, date and time), otherwise gathers it. Rejected lines are reported only by
    // the answer: this collection keeps neither FailLine nor MessageString.
    bool SetDatas(int GasNo, const QString& vData, bool TestFlag);
    // One pass over a reply block of one channel; true when every line passed.
    bool TestLines(int GasNo, const QStringList& lines);
    bool StoreLines(int GasNo, const QStringList& lines);

  protected:
    // Lines always name their channel here; the log-number intake of the other kinds does not
    // apply and refuses every line.
    bool SetDatas(const QString& vData, bool TestFlag) override;
    bool Route(clsHistory& item, const QString& line, bool TestFlag) override;
};

}  // namespace qv

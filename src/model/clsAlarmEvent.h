// One alarm-event log: a downloaded alarm event (slot 0, its date in the header) or the stored
// alarm events of one month and instrument identity.
#pragma once

#include "MonthlyEventLog.h"

namespace qv {

class clsAlarmEvent : public MonthlyEventLog {
  public:
    clsAlarmEvent();

    // "CD" date line: year, month, day, hour, minute, second from column 5.
    bool SetDataBD(const QString& vData, bool TestFlag) { return SetDateLine(vData, TestFlag); }
    // "C1" to "C4" event line: gas digit, status digits, now-event and now-calibration flags.
    bool SetDataB0(const QString& vData, bool TestFlag) { return SetEventLine(vData, TestFlag); }
    // "CC" gas-table line: five blocks of name, full scale and resolution step.
    bool SetDataBC(const QString& vData, bool TestFlag) { return SetGasTableLine(vData, TestFlag); }
    // "CB" serial-number line with the instrument's event count.
    bool SetDataBB(const QString& vData, bool TestFlag) { return SetSerialLine(vData, TestFlag); }

  protected:
    QDateTime EventDate() const override { return header_.Dates(); }

  private:
    static const Kind kKind;
};

}  // namespace qv

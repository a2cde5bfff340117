// One trouble-event log: a downloaded trouble of a gas sensor or of the instrument itself
// (slot 0), or the stored trouble events of one month and instrument identity.
#pragma once

#include "MonthlyEventLog.h"

namespace qv {

class clsTroubleEvent : public MonthlyEventLog {
  public:
    clsTroubleEvent();

    // "System" for gas number 4 (the instrument itself), else the header's gas name.
    QString GetGasName(int GasNo) const;
    // The slot's date like Dates, but the zero date outside 0 to 1023.
    QDateTime DateTimes(int Index) const;
    void SetDateTimes(int Index, const QDateTime& v) { SetDates(Index, v); }

    // "DD" date line: year, month, day, hour, minute, second from column 5.
    bool SetDataDD(const QString& vData, bool TestFlag) { return SetDateLine(vData, TestFlag); }
    // "D1" to "D5" event line: gas digit, status digits, now-event and now-calibration flags.
    bool SetDataD0(const QString& vData, bool TestFlag) { return SetEventLine(vData, TestFlag); }
    // "DC" gas-table line: five blocks of name, full scale and resolution step.
    bool SetDataDC(const QString& vData, bool TestFlag) { return SetGasTableLine(vData, TestFlag); }
    // "DB" serial-number line with the instrument's event count.
    bool SetDataDB(const QString& vData, bool TestFlag) { return SetSerialLine(vData, TestFlag); }

  protected:
    QDateTime EventDate() const override { return SlotAt(0).Dates; }
    QString RowGasName(int16_t gasNo) const override { return GetGasName(gasNo); }

  private:
    static const Kind kKind;
};

}  // namespace qv

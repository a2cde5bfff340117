// One power-event log: the moments the instrument was switched on or off, stored under one
// header per instrument identity, each event once.
#pragma once

#include "clsRecordSet.h"

#include <QDateTime>
#include <array>
#include <cstdint>

namespace qv {

class clsPowerEvent : public clsRecordSet {
  public:
    // A log holds at most this many events (slots 0 to 1023).
    static constexpr int Capacity = 1024;

    clsPowerEvent();

    void ClearDatas() override;
    void ReLoad() override;
    void ResetProbe() override { probe_ = 0; }
    // Stores the events not yet stored under the identity's header when DataCount is above 0.
    void Update();

    // True when the power was switched on. Outside 0 to 1023: False, a set is ignored.
    bool Flags(int Index) const;
    void SetFlags(int Index, bool v);
    // Outside 0 to 1023: the date value 0, a set is ignored.
    QDateTime Dates(int Index) const;
    void SetDates(int Index, const QDateTime& v);

    // The number of events held, which is also the slot the next power line fills.
    int16_t DataCount() const { return static_cast<int16_t>(dataCount_); }
    // Kept within 0 to 1024: the count indexes the slots.
    void SetDataCount(int32_t v);

    // "FD" power line: date and time from column 5, "1111" in columns 17-20 for switched on.
    // Refused when a date or time field does not read, or when the log is full.
    bool SetDataF0(const QString& vData, bool TestFlag);

  private:
    struct Slot {
        int32_t RowSeqNo = 0;
        QDateTime Dates;
        bool Flags = false;
    };
    static bool InRange(int Index) { return Index >= 0 && Index < Capacity; }

    int32_t dataCount_ = 0;
    // Lines that the test pass over the current reply block would add.
    int32_t probe_ = 0;
    std::array<Slot, Capacity> slots_;
};

}  // namespace qv

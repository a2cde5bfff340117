// One power-event log: the moments the instrument was switched on or off, stored under one
// header per instrument identity, each event once.
#pragma once

#include "LogStore.h"
#include "clsRecordSet.h"

#include <QDateTime>
#include <cstdint>
#include <vector>

namespace qv {

class clsPowerEvent : public clsRecordSet {
  public:
    clsPowerEvent();

    void ClearDatas() override;
    // Loads every event stored under the header SeqNo.
    void ReLoad() override;
    // Stores the events not yet stored under the identity's header when DataCount is above 0.
    void Update() { StoreAlone(*this); }
    // The same inside a store of many logs, whose transaction the caller commits.
    void Store(LogStore& store);

    // True when the power was switched on. Outside the slots held: False, a set is ignored.
    bool Flags(int Index) const;
    void SetFlags(int Index, bool v);
    // Outside the slots held: the date value 0, a set is ignored.
    QDateTime Dates(int Index) const;
    void SetDates(int Index, const QDateTime& v);

    // The number of events held, which is also the slot the next power line fills.
    int32_t DataCount() const { return dataCount_; }
    // Kept within 0 and the slots held: the count indexes the slots.
    void SetDataCount(int32_t v);

    // "FD" power line: date and time from column 5, "1111" in columns 17-20 for switched on.
    // Refused when a date or time field does not read; the log grows with every other line.
    bool SetDataF0(const QString& vData, bool TestFlag);

  private:
    struct Slot {
        int32_t RowSeqNo = 0;
        QDateTime Dates;
        bool Flags = false;
    };
    bool InRange(int Index) const {
        return Index >= 0 && static_cast<size_t>(Index) < slots_.size();
    }

    int32_t dataCount_ = 0;
    // Grows with the events read or loaded; only ClearDatas empties it.
    std::vector<Slot> slots_;
};

}  // namespace qv

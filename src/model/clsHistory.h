// The calibration history of one instrument: every downloaded calibration date with the value
// before and after it per gas channel, stored under the one history header of the instrument's
// identity, and loaded back newest first for the views.
#pragma once

#include "RowGas.h"
#include "clsRecordSet.h"

#include <QDateTime>
#include <QHash>
#include <QString>
#include <array>
#include <cstdint>
#include <vector>

namespace qv {

class DbRow;

class clsHistory : public clsRecordSet {
  public:
    static constexpr int Channels = 6;  // 0 to 5; the instrument uses 0 to 4

    clsHistory();

    void ClearDatas() override;
    // Loads every row stored under the header SeqNo, newest first.
    void ReLoad() override;

    // Gathers one downloaded calibration line into the slot of its date; a new date takes a new
    // slot, however many the download brings. False (nothing changed) when GasNo is not 0 to 5.
    bool AddHistory(int GasNo, const QDateTime& Dates, float Before, float After);
    // Stores the gathered dates that are not stored yet under the identity's history header,
    // creating that header when it is missing; a stored date takes the values of channels it
    // holds none for. The header's count, date and per-gas calibration values follow its rows.
    // One transaction.
    void HistoryUpdate();

    // Number of dates the last ReLoad loaded.
    int32_t DataCount() const { return dataCount_; }
    // Number of dates gathered from downloaded lines.
    int32_t DCount() const { return dCount_; }
    // Kept within 0 and the slots held: the count indexes the slots.
    void SetDCount(int32_t v);
    // Date slots held: those gathered or loaded since the last ClearDatas.
    int SlotCount() const { return static_cast<int>(slots_.size()); }

    // Slot members; an index outside the slots held raises a subscript error (9).
    QDateTime Dates(int Index) const;
    void SetDates(int Index, const QDateTime& v);
    float Before(int GasNo, int Index) const;
    void SetBefore(int GasNo, int Index, float v);
    float After(int GasNo, int Index) const;
    void SetAfter(int GasNo, int Index, float v);
    // The gas channel GasNo of a loaded calibration was stored with (one history can hold two
    // gases on a channel whose sensor was swapped); the header's gas for a gathered one.
    RowGas Gas(int GasNo, int Index) const;
    // The values with the decimal places of the gas they were stored with.
    QString BeforeForm(int GasNo, int Index, bool Flags = false) const;
    QString AfterForm(int GasNo, int Index, bool Flags = false) const;

  private:
    struct Cell {
        int32_t RowKey = -1;  // cHistory key the cell was loaded from
        float Before = -1;
        float After = -1;
    };
    struct Slot {
        QDateTime Dates;
        std::array<Cell, Channels> Cells{};
        // The gases of channels 0 to 4 as the row was stored; empty for a gathered slot.
        std::vector<RowGas> Gases;
    };
    Cell& At(int GasNo, int Index);
    const Cell& At(int GasNo, int Index) const;
    Slot& SlotAt(int Index);
    // The slot among the gathered ones that holds the date (the last one when several do), or -1.
    int FindSlot(const QDateTime& Dates);
    // The key of the stored history header of the identity, or -1 when there is none.
    int32_t FindHeaderSeqNo(Database& db) const;
    // A flag per channel 0 to 4.
    using ChannelFlags = std::array<bool, 5>;
    // True when the cell holds a value before or after the calibration.
    static bool CellHolds(const Cell& cell);
    // Gives the channels of the stored row that hold no values those gathered in the slot;
    // the channels it filled.
    ChannelFlags FillMissingChannels(Database& db, const DbRow& row, int slot) const;
    // Sets the per-gas calibration values of the header from the newest stored rows, for the
    // channels whose stored values changed.
    static void FollowNewestCalibrations(Database& db, int32_t relNo, const ChannelFlags& changed);

    int32_t dataCount_ = 0;
    int32_t dCount_ = 0;
    // Grows with the dates gathered or loaded; only ClearDatas shrinks it.
    std::vector<Slot> slots_;
    // The gathered slot of each date, so that a long history is gathered in linear time;
    // rebuilt when a slot's date or the gathered count is set from outside.
    QHash<QDateTime, int> slotOfDate_;
    bool slotIndexStale_ = false;
};

}  // namespace qv

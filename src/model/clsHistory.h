// The calibration history of one instrument: every downloaded calibration date with the value
// before and after it per gas channel, stored under the one history header of the instrument's
// identity, and loaded back newest first for the views.
#pragma once

#include "clsRecordSet.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <array>
#include <cstdint>

namespace qv {

class DbRow;

class clsHistory : public clsRecordSet {
  public:
    // Date slots of the record; a download gathers at most MaxDates of them.
    static constexpr int Slots = 301;
    static constexpr int MaxDates = 299;
    static constexpr int Channels = 6;  // 0 to 5; the instrument uses 0 to 4

    clsHistory();

    void ClearDatas() override;
    // Loads the rows stored under the header SeqNo, newest first.
    void ReLoad() override;
    // Forgets the dates that test passes have counted so far.
    void ResetProbe() override;

    // Gathers one downloaded calibration line into the slot of its date. False (nothing
    // changed) when the date would be a new one beyond MaxDates, or GasNo is not 0 to 5.
    bool AddHistory(int GasNo, const QDateTime& Dates, float Before, float After);
    // The test-pass counterpart of AddHistory: true when a line of this date would find room,
    // counting the new dates earlier lines of the pass would add. Changes no stored state.
    bool ProbeDate(const QDateTime& Dates);
    // Stores the gathered dates that are not stored yet under the identity's history header,
    // creating that header when it is missing; a stored date takes the values of channels it
    // holds none for. The header's count and date follow its rows. One transaction.
    void HistoryUpdate();

    // Number of dates the last ReLoad loaded.
    int16_t DataCount() const { return static_cast<int16_t>(dataCount_); }
    // Number of dates gathered from downloaded lines (0 to 299).
    int16_t DCount() const { return static_cast<int16_t>(dCount_); }
    void SetDCount(int16_t v);

    // Slot members; an index outside its range raises a subscript error (9).
    QDateTime Dates(int Index) const;
    void SetDates(int Index, const QDateTime& v);
    float Before(int GasNo, int Index) const;
    void SetBefore(int GasNo, int Index, float v);
    float After(int GasNo, int Index) const;
    void SetAfter(int GasNo, int Index, float v);
    QString BeforeForm(int GasNo, int Index, bool Flags = false) const;
    QString AfterForm(int GasNo, int Index, bool Flags = false) const;

  private:
    struct Cell {
        int32_t RowKey = -1;  // cHistory key the cell was loaded from
        float Before = -1;
        float After = -1;
    };
    Cell& At(int GasNo, int Index);
    const Cell& At(int GasNo, int Index) const;
    static void CheckSlot(int Index);
    // The slot among the gathered ones that holds the date (the last one when several do), or -1.
    int FindSlot(const QDateTime& Dates) const;
    // The key of the stored history header of the identity, or -1 when there is none.
    int32_t FindHeaderSeqNo(Database& db) const;
    // Gives the channels of the stored row that hold no values those gathered in the slot.
    void FillMissingChannels(Database& db, const DbRow& row, int slot) const;

    int32_t dataCount_ = 0;
    int32_t dCount_ = 0;
    std::array<std::array<Cell, Slots>, Channels> cells_;
    std::array<QDateTime, Slots> dates_;
    // New dates counted by the test pass since the last ResetProbe.
    QList<QDateTime> probe_;
};

}  // namespace qv

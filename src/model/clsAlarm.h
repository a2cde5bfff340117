// One downloaded alarm trend: its log header and the 731 samples of gas channels 0 to 3 around
// the alarm moment (sample 361 is the moment itself), its line parsers, storing and loading.
#pragma once

#include "clsRecordSet.h"

#include <QDateTime>
#include <QString>
#include <array>
#include <cstdint>

namespace qv {

class clsAlarm : public clsRecordSet {
  public:
    // Samples 1 to 731 of the instrument live in slots 0 to 730.
    static constexpr int Slots = 731;
    // The slot of the alarm moment (sample 361).
    static constexpr int MomentSlot = 360;
    // Channels a sample carries.
    static constexpr int Channels = 4;

    clsAlarm();

    void ClearDatas() override;
    // Loads the header and the samples stored under SeqNo.
    void ReLoad() override;
    // Stores the trend under a new header when it holds samples and the same trend is not
    // stored yet. One transaction: a failure part-way leaves nothing behind.
    void Update();

    // Date and time of a slot; the zero date outside 0 to 730 (a set is ignored there).
    QDateTime DateTimes(int Index) const;
    void SetDateTimes(int Index, const QDateTime& v);
    // Number of samples held; a set is kept within 0 to 731.
    int16_t DataCount() const { return static_cast<int16_t>(dataCount_); }
    void SetDataCount(int32_t v);
    // Reading or status code of channel GasNo (0 to 3) in a slot; 0 outside (a set is ignored).
    float Value(int GasNo, int Index) const;
    void SetValue(int GasNo, int Index, float v);
    // The display text of Value; empty outside the channels and slots.
    QString ValueForm(int GasNo, int Index, bool Flags = false) const;

    // Frame parsers: with TestFlag only check the line, otherwise store what passes.
    bool SetDataBD(const QString& vData, bool TestFlag);  // alarm moment and interval
    bool SetDataB0(const QString& vData, bool TestFlag);  // one sample ("B0" to "B4")
    bool SetDataBC(const QString& vData, bool TestFlag);  // gas table
    bool SetDataBB(const QString& vData, bool TestFlag);  // serial number and sample count

  private:
    struct Sample {
        int32_t SeqNo = 0;  // key of the stored row it was loaded from
        QDateTime DateTimes;
        std::array<float, Channels> Value{};
    };
    static bool SlotOk(int Index) { return Index >= 0 && Index < Slots; }
    static bool ChannelOk(int GasNo) { return GasNo >= 0 && GasNo < Channels; }

    int32_t dataCount_ = 0;
    std::array<Sample, Slots> samples_;
};

}  // namespace qv

// One downloaded alarm trend: its log header and the samples of gas channels 0 to 3 around the
// alarm moment (sample 361 is the moment itself; an instrument keeps 731, this holds whatever it
// sends), its line parsers, storing and loading.
#pragma once

#include "clsRecordSet.h"

#include <QDateTime>
#include <QString>
#include <array>
#include <cstdint>
#include <vector>

namespace qv {

class clsAlarm : public clsRecordSet {
  public:
    // Sample n of the instrument lives in slot n - 1; the slot of the alarm moment (sample 361).
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

    // Slots grow with the samples set or sent; one skipped below a later sample holds no data
    // (-1) at its sample's time. A slot beyond them reads the zero date and 0; a negative one
    // reads so too and ignores a set.
    QDateTime DateTimes(int Index) const;
    void SetDateTimes(int Index, const QDateTime& v);
    // Number of samples held, counted from slot 0 (a negative set gives 0).
    int32_t DataCount() const { return dataCount_; }
    void SetDataCount(int32_t v);
    // Reading or status code of channel GasNo (0 to 3) in a slot; another channel reads 0.
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
    bool SlotOk(int Index) const {
        return Index >= 0 && static_cast<size_t>(Index) < samples_.size();
    }
    static bool ChannelOk(int GasNo) { return GasNo >= 0 && GasNo < Channels; }
    // The slot, added (with the slots before it) when the trend does not reach it yet.
    Sample& Slot(int Index);
    // The time of the sample in slot Index, counted in intervals from the alarm moment.
    QDateTime SampleTime(int Index) const;

    int32_t dataCount_ = 0;
    std::vector<Sample> samples_;
};

}  // namespace qv

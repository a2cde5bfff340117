// The settings and information of one instrument with an edit flag per setting: the flags tell
// the settings upload what was assigned since they were last cleared. Identity and per-gas
// values live in an owned log header.
#pragma once

#include "clsHeader.h"

#include <QDateTime>
#include <QString>
#include <array>
#include <cstdint>

namespace qv {

// The per-gas values that one write command carries for all five channels.
enum class GasLevel { Warning, Alarm, Stel, Twa, AutoCal };
constexpr int kGasLevels = 5;

class clsInstrument {
  public:
    clsInstrument();

    void ClearDatas();
    void ClearChangeFlags();
    // Loads the identity and per-gas values of the stored log header with this key.
    void LoadDatabase(int32_t SeqNo);
    // Replaces the latest-calibration row of this identity; false when there is no database.
    bool HistoryUpdate();

    clsHeader& Header() { return header_; }
    const clsHeader& Header() const { return header_; }

    // Scalar edit flags.
#define QV_FLAG(Name)        \
    bool Name() const {      \
        return flags_.Name;  \
    }                        \
    void Set##Name(bool v) { \
        flags_.Name = v;     \
    }
    QV_FLAG(Change_UserID)
    QV_FLAG(Change_StationID)
    QV_FLAG(Change_SerialNo)
    QV_FLAG(Change_DummySerial)
    QV_FLAG(Change_HCMode)
    QV_FLAG(Change_AlarmMode)
    QV_FLAG(Change_Interval)
    QV_FLAG(Change_DispID)
    QV_FLAG(Change_DispCalLimit)
    QV_FLAG(Change_CalLimit)
    QV_FLAG(Change_CalCheck)
    QV_FLAG(Change_LunchBreak)
    QV_FLAG(Change_AlarmSilence)
    QV_FLAG(Change_Confermation)
    QV_FLAG(Change_LogOverWrite)
    QV_FLAG(Change_LcdBackLight)
    QV_FLAG(Change_LcdContrast)
    QV_FLAG(Change_FlowAdjust)
    QV_FLAG(Change_FlowCheck)
    QV_FLAG(Change_AlarmO2)
#undef QV_FLAG

    // Per-channel edit flags (channels 0 to 4; others read False and ignore a set).
#define QV_CHANNEL_FLAG(Name)                                         \
    bool Name(int Index) const {                                      \
        return Ok(Index) && channel_[Index].Name;                     \
    }                                                                 \
    void Set##Name(int Index, bool v) {                               \
        if (Ok(Index)) channel_[static_cast<size_t>(Index)].Name = v; \
    }
    QV_CHANNEL_FLAG(Change_GasPoint)
    QV_CHANNEL_FLAG(Change_GasEnable)
    QV_CHANNEL_FLAG(Change_Warn)
    QV_CHANNEL_FLAG(Change_Alarm)
    QV_CHANNEL_FLAG(Change_Stel)
    QV_CHANNEL_FLAG(Change_Twa)
    QV_CHANNEL_FLAG(Change_AutoCal)
    QV_CHANNEL_FLAG(Change_Zero)
#undef QV_CHANNEL_FLAG

    // Identity: stored and returned through TrimOrStar, so never the empty text.
    QString UserId() const;
    void SetUserId(const QString& v);
    QString StationID() const;
    void SetStationID(const QString& v);
    QString SerialNo() const;
    void SetSerialNo(const QString& v);
    QString DummySerial() const;
    void SetDummySerial(const QString& v);

    int32_t RomNumber() const {
        return header_.RomNum();
    }
    void SetRomNumber(int32_t v) {
        header_.SetRomNum(v);
    }
    // 16-bit at this interface; a header value beyond that range raises overflow (6).
    int16_t Intervals() const;
    void SetIntervals(int16_t v);
    int16_t CalLimit() const;
    void SetCalLimit(int16_t v);

    // Option settings (each setter raises its flag).
#define QV_OPTION(Type, Name, Flag) \
    Type Name() const {             \
        return Name##_;             \
    }                               \
    void Set##Name(Type v) {        \
        Name##_ = v;                \
        flags_.Flag = true;         \
    }
    QV_OPTION(int16_t, HcMode, Change_HCMode)
    QV_OPTION(int16_t, AlarmMode, Change_AlarmMode)
    QV_OPTION(int16_t, CalCheck, Change_CalCheck)
    QV_OPTION(int16_t, LunchBreak, Change_LunchBreak)
    QV_OPTION(int16_t, AlarmSilence, Change_AlarmSilence)
    QV_OPTION(int16_t, Confermation, Change_Confermation)
    QV_OPTION(int16_t, LogOverWrite, Change_LogOverWrite)
    QV_OPTION(int16_t, LcdBackLight, Change_LcdBackLight)
    QV_OPTION(int16_t, LcdContrast, Change_LcdContrast)
    QV_OPTION(int16_t, FlowAdjust, Change_FlowAdjust)
    QV_OPTION(int16_t, FlowCheck, Change_FlowCheck)
    QV_OPTION(int16_t, AlarmO2, Change_AlarmO2)
    QV_OPTION(bool, DispID, Change_DispID)
    QV_OPTION(bool, DispCalLimit, Change_DispCalLimit)
#undef QV_OPTION

    int16_t FlowValue() const {
        return FlowValue_;
    }
    void SetFlowValue(int16_t v) {
        FlowValue_ = v;
    }
    const QDateTime& SysDate() const {
        return SysDate_;
    }
    void SetSysDate(const QDateTime& v) {
        SysDate_ = v;
    }
    const QDateTime& SysDateOffset() const {
        return SysDateOffset_;
    }
    void SetSysDateOffset(const QDateTime& v) {
        SysDateOffset_ = v;
    }
    bool CommFlags() const {
        return CommFlags_;
    }
    void SetCommFlags(bool v) {
        CommFlags_ = v;
    }
    const QString& FailLine() const {
        return FailLine_;
    }
    void SetFailLine(const QString& v) {
        FailLine_ = v;
    }
    const QString& MessageString() const {
        return MessageString_;
    }
    void SetMessageString(const QString& v) {
        MessageString_ = v;
    }
    const QString& Key() const {
        return Key_;
    }
    void SetKey(const QString& v) {
        Key_ = v;
    }

    // Readings: items outside their arrays raise a subscript error (9).
    int16_t AnalogValue(int Index) const;
    void SetAnalogValue(int Index, int16_t v);
    float LimitValue(int Index) const;
    void SetLimitValue(int Index, float v);

    // Per-channel values held in the header (guarded: channels 0 to 4).
    QString GasName(int Index) const {
        return header_.GasName(Index);
    }
    void SetGasName(int Index, const QString& v) {
        header_.SetGasName(Index, v);
    }
    QString GasUnit(int Index) const {
        return header_.GasUnit(Index);
    }
    void SetGasUnit(int Index, const QString& v) {
        header_.SetGasUnit(Index, v);
    }
    float GasDesit(int Index) const {
        return header_.GasDesit(Index);
    }
    void SetGasDesit(int Index, float v) {
        header_.SetGasDesit(Index, v);
    }
    float GasFullScale(int Index) const {
        return header_.GasFull(Index);
    }
    void SetGasFullScale(int Index, float v) {
        header_.SetGasFull(Index, v);
    }
    int16_t GasPoint(int Index) const {
        return header_.GasPoint(Index);
    }
    void SetGasPoint(int Index, int16_t v);
    bool GasEnabled(int Index) const {
        return header_.GasEnable(Index);
    }
    void SetGasEnabled(int Index, bool v);
    float AutoCalib(int Index) const {
        return header_.AutoCal(Index);
    }
    void SetAutoCalib(int Index, float v);
    float CalibBefore(int Index) const {
        return header_.CalBefore(Index);
    }
    void SetCalibBefore(int Index, float v) {
        header_.SetCalBefore(Index, v);
    }
    float CalibAfter(int Index) const {
        return header_.CalAfter(Index);
    }
    void SetCalibAfter(int Index, float v) {
        header_.SetCalAfter(Index, v);
    }
    QDateTime CalibDate(int Index) const;
    void SetCalibDate(int Index, const QDateTime& v) {
        header_.SetCalDate(Index, v);
    }
    float LogMax(int Index) const {
        return header_.GasMax(Index);
    }
    void SetLogMax(int Index, float v) {
        header_.SetGasMax(Index, v);
    }
    float LogMin(int Index) const {
        return header_.GasMin(Index);
    }
    void SetLogMin(int Index, float v) {
        header_.SetGasMin(Index, v);
    }
    float LogAvr(int Index) const {
        return header_.GasAvr(Index);
    }
    void SetLogAvr(int Index, float v) {
        header_.SetGasAvr(Index, v);
    }
    QDateTime LogMaxDate(int Index) const;
    void SetLogMaxDate(int Index, const QDateTime& v) {
        header_.SetGasMaxDate(Index, v);
    }
    QDateTime LogMinDate(int Index) const;
    void SetLogMinDate(int Index, const QDateTime& v) {
        header_.SetGasMinDate(Index, v);
    }
    int16_t Zero(int Index) const {
        return Ok(Index) ? channel_[static_cast<size_t>(Index)].Zero : 0;
    }
    void SetZero(int Index, int16_t v) {
        if (Ok(Index)) channel_[static_cast<size_t>(Index)].Zero = v;
    }

    // Alarm levels: a stored 0 reads -1 (no level) and a set 0 is stored as -1. Not guarded:
    // a channel outside 0 to 5 raises a subscript error (9) on set.
    float Alarm(int Index) const {
        return Level(header_.Alarm(Index));
    }
    void SetAlarm(int Index, float v);
    float Warning(int Index) const {
        return Level(header_.Warning(Index));
    }
    void SetWarning(int Index, float v);
    float Stel(int Index) const {
        return Level(header_.Stel(Index));
    }
    void SetStel(int Index, float v);
    float Twa(int Index) const {
        return Level(header_.Twa(Index));
    }
    void SetTwa(int Index, float v);

    // A per-gas value by its kind.
    float LevelValue(int Index, GasLevel kind) const;
    // The field a read reply carried for a per-gas value, kept with the value it gave: the
    // instrument's own form of it, decimal places included, in which the value goes back while
    // nobody changed it. Empty when nothing was read (and for channels outside 0 to 4).
    QString LevelReadText(int Index, GasLevel kind) const;
    // True while the channel holds the value that the kept field gave, with the gas it was
    // read or written with, and the instrument is known to hold that field.
    bool LevelAsRead(int Index, GasLevel kind) const;
    // Keeps `text` as the field that gave the value the channel holds now, with its gas.
    void SetLevelRead(int Index, GasLevel kind, const QString& text);
    // A write of the field `text` ended. Answered, the instrument holds it from now on; not
    // answered, it holds it or the field before, so unless the two are alike the kept field no
    // longer counts as held (its places still tell those of the level).
    void NoteLevelWrite(int Index, GasLevel kind, const QString& text, bool answered);

    // The gas list entry a read reply carried for a channel (18 characters), kept with the
    // sensor it gave: while the channel holds that sensor (switched on or off, name, unit, full
    // scale, resolution and places) the entry goes back as it was read. Empty when nothing was
    // read (and for channels outside 0 to 4).
    QString GasEntryReadText(int Index) const;
    bool GasEntryAsRead(int Index) const;
    // Keeps `text` as the entry that gave the sensor the channel holds now; the levels read
    // before it in the same read are that sensor's.
    void SetGasEntryRead(int Index, const QString& text);
    // A write of the entry `text` ended, as for a level: not answered and unlike the entry kept,
    // what the instrument holds is unknown until the entry is written or read again.
    void NoteGasEntryWrite(int Index, const QString& text, bool answered);

    // Display texts.
    QString GasDesitForm(int Index, bool Flags = false) const {
        return header_.GasDesitForm(Index, Flags);
    }
    QString GasFullForm(int Index, bool Flags = false) const {
        return header_.GasFullForm(Index, Flags);
    }
    QString LogMaxForm(int Index, bool Flags = false) const {
        return header_.GasMaxForm(Index, Flags);
    }
    QString LogMinForm(int Index, bool Flags = false) const {
        return header_.GasMinForm(Index, Flags);
    }
    QString LogAvrForm(int Index, bool Flags = false) const {
        return header_.GasAvrForm(Index, Flags);
    }
    QString AutoCalForm(int Index, bool Flags = false) const;
    QString CalibBeforeForm(int Index, bool Flags = false) const;
    QString CalibAfterForm(int Index, bool Flags = false) const;
    QString AlarmForm(int Index, bool Flags = false) const {
        return LevelForm(Index, header_.Alarm(Index), Flags);
    }
    QString WarnForm(int Index, bool Flags = false) const {
        return LevelForm(Index, header_.Warning(Index), Flags);
    }
    QString StelForm(int Index, bool Flags = false) const {
        return LevelForm(Index, header_.Stel(Index), Flags);
    }
    QString TwaForm(int Index, bool Flags = false) const {
        return LevelForm(Index, header_.Twa(Index), Flags);
    }

  private:
    struct Flags {
        bool Change_UserID = false, Change_StationID = false, Change_SerialNo = false,
             Change_DummySerial = false, Change_HCMode = false, Change_AlarmMode = false,
             Change_Interval = false, Change_DispID = false, Change_DispCalLimit = false,
             Change_CalLimit = false, Change_CalCheck = false, Change_LunchBreak = false,
             Change_AlarmSilence = false, Change_Confermation = false, Change_LogOverWrite = false,
             Change_LcdBackLight = false, Change_LcdContrast = false, Change_FlowAdjust = false,
             Change_FlowCheck = false, Change_AlarmO2 = false;
    };
    // A gas list entry as read and the sensor it gave.
    struct SensorRead {
        QString text;
        bool enabled = false;
        QString name, unit;
        float fullScale = 0, desit = 0;
        int16_t points = 0;
        bool operator==(const SensorRead&) const = default;
    };
    SensorRead SensorNow(int Index) const;
    // The channel's gas, switched on or off: what a level's form belongs to.
    SensorRead GasNow(int Index) const;
    void KeepSensor(int Index, const QString& text);
    // A field as read and the value it gave, with the channel's gas then; no longer held after
    // a write of another field that went unanswered.
    struct ReadField {
        QString text;
        float value = 0;
        SensorRead gas;
        bool held = true;
    };
    struct Channel {
        int16_t Zero = 0;
        bool Change_GasPoint = false, Change_GasEnable = false, Change_Warn = false,
             Change_Alarm = false, Change_Stel = false, Change_Twa = false, Change_AutoCal = false,
             Change_Zero = false;
        std::array<ReadField, kGasLevels> levels;
        SensorRead sensor;
    };
    static bool Ok(int Index) {
        return Index >= 0 && Index < 5;
    }
    static float Level(float stored) {
        return stored == 0 ? -1.0f : stored;
    }
    // The flag of a level setter; channel 5 exists in the array but is reached by no getter.
    Channel& LevelChannel(int Index);
    QString LevelForm(int Index, float stored, bool Flags) const;
    QString GuardedForm(int Index, float value, bool Flags) const;

    QString Key_, MessageString_, FailLine_;
    bool CommFlags_ = false;
    clsHeader header_;
    QDateTime SysDate_, SysDateOffset_;
    QString DummySerial_;
    int16_t HcMode_ = 0, AlarmMode_ = 0, CalCheck_ = 0, LunchBreak_ = 0, AlarmSilence_ = 0,
            Confermation_ = 0, LogOverWrite_ = 0, LcdBackLight_ = 0, LcdContrast_ = 0,
            FlowAdjust_ = 0, FlowCheck_ = 0, AlarmO2_ = 0;
    bool DispID_ = false, DispCalLimit_ = false;
    Flags flags_;
    std::array<Channel, 6> channel_;
    std::array<int16_t, 9> AnalogValue_{};
    std::array<float, 6> LimitValue_{};
    int16_t FlowValue_ = 0;
};

}  // namespace qv

// The log header: the identity of the instrument that made a log, the log's own facts and the
// per-gas definitions, levels, statistics and calibration. One Log_head row and five Gas_List
// rows in the database.
#pragma once

#include <QDateTime>
#include <QString>
#include <array>
#include <cstdint>

namespace qv {

class Database;
class clsInstrument;

class clsHeader {
  public:
    clsHeader();

    void ClearDatas();
    // Fills every field that is still empty from the instrument's settings.
    void CopyFromInstruments(const clsInstrument* Inst);
    // Stores the header with its five gas rows and returns the new key, or -1 when the same
    // log is stored already. The first form opens the database and writes in one transaction;
    // the second writes through a connection (and transaction) the caller holds.
    int32_t InsertDatabase();
    int32_t InsertDatabase(Database& db);
    // Loads the stored header with the key (fields not found keep their values); the second
    // form reads through a connection the caller holds.
    void ReLoad(int32_t SeqNo);
    void ReLoad(int32_t SeqNo, Database& db);
    // True when a header row with the same name, folder, identity and kind is stored.
    bool ExistsInDatabase(Database& db) const;
    // The key of that stored row (the lowest when several match), or -1.
    int32_t StoredKey(Database& db) const;
    // The key of the stored header row this header stands for: a new row when none is stored,
    // else the stored one. Logs that share one header per month or identity store under it.
    // `made` tells whether the row was made now.
    int32_t InsertOrFind(Database& db, bool* made = nullptr);
    // The path copy taken at the last ClearDatas.
    const QString& DatabasePathCopy() const { return dbPath_; }

    bool LoadFlag() const { return loadFlag_; }
    void SetLoadFlag(bool v) { loadFlag_ = v; }
    int32_t SeqNo() const { return seqNo_; }
    void SetSeqNo(int32_t v) { seqNo_ = v; }
    const QString& Names() const { return names_; }
    void SetNames(const QString& v) { names_ = v; }
    const QDateTime& Dates() const { return dates_; }
    void SetDates(const QDateTime& v) { dates_ = v; }
    const QString& UserId() const { return userId_; }
    void SetUserId(const QString& v) { userId_ = v; }
    const QString& StationID() const { return stationId_; }
    void SetStationID(const QString& v) { stationId_ = v; }
    const QString& SerialNo() const { return serialNo_; }
    void SetSerialNo(const QString& v) { serialNo_ = v; }
    const QString& FolderID() const { return folderId_; }
    void SetFolderID(const QString& v) { folderId_ = v; }
    int32_t Types() const { return types_; }
    void SetTypes(int32_t v) { types_ = v; }
    int32_t RomNum() const { return romNum_; }
    void SetRomNum(int32_t v) { romNum_ = v; }
    // The number of data rows: a long log's count does not fit 16 bits.
    int32_t DCount() const { return dCount_; }
    void SetDCount(int32_t v) { dCount_ = v; }
    int32_t Intervals() const { return intervals_; }
    void SetIntervals(int32_t v) { intervals_ = v; }
    int32_t CalLimit() const { return calLimit_; }
    void SetCalLimit(int32_t v) { calLimit_ = v; }

    // Per-gas values; an Index outside 0 to 4 reads the default and ignores a set.
    QString GasName(int Index) const;
    void SetGasName(int Index, const QString& v);
    float GasFull(int Index) const;
    void SetGasFull(int Index, float v);
    float GasDesit(int Index) const;
    void SetGasDesit(int Index, float v);
    int16_t GasPoint(int Index) const;
    void SetGasPoint(int Index, int16_t v);
    bool GasEnable(int Index) const;
    void SetGasEnable(int Index, bool v);
    QString GasUnit(int Index) const;
    void SetGasUnit(int Index, const QString& v);
    float Warning(int Index) const;
    void SetWarning(int Index, float v);
    float Alarm(int Index) const;
    void SetAlarm(int Index, float v);
    float Stel(int Index) const;
    void SetStel(int Index, float v);
    float Twa(int Index) const;
    void SetTwa(int Index, float v);
    float GasMax(int Index) const;
    void SetGasMax(int Index, float v);
    float GasMin(int Index) const;
    void SetGasMin(int Index, float v);
    float GasAvr(int Index) const;
    void SetGasAvr(int Index, float v);
    QDateTime GasMaxDate(int Index) const;
    void SetGasMaxDate(int Index, const QDateTime& v);
    QDateTime GasMinDate(int Index) const;
    void SetGasMinDate(int Index, const QDateTime& v);
    QDateTime CalDate(int Index) const;  // outside: the current date and time
    void SetCalDate(int Index, const QDateTime& v);
    float CalBefore(int Index) const;
    void SetCalBefore(int Index, float v);
    float CalAfter(int Index) const;
    void SetCalAfter(int Index, float v);
    float AutoCal(int Index) const;
    void SetAutoCal(int Index, float v);

    // Display texts of the per-gas values; Flags converts into the second unit.
    QString AlarmForm(int Index, bool Flags = false) const;
    QString WarnForm(int Index, bool Flags = false) const;
    QString StelForm(int Index, bool Flags = false) const;
    QString TwaForm(int Index, bool Flags = false) const;
    QString GasAvrForm(int Index, bool Flags = false) const;
    QString GasMaxForm(int Index, bool Flags = false) const;
    QString GasMinForm(int Index, bool Flags = false) const;
    QString GasFullForm(int Index, bool Flags = false) const;
    QString GasDesitForm(int Index, bool Flags = false) const;

    // The 1900-01-01 00:00:00 of a cleared date field.
    static QDateTime ClearedDate();

  private:
    struct Gas {
        QString GasName;
        float GasFull = 0;
        float GasDesit = 0;
        int16_t GasPoint = 0;
        bool GasEnable = false;
        QString GasUnit;
        float Warning = 0, Alarm = 0, Stel = 0, Twa = 0;
        float GasMax = 0, GasMin = 0, GasAvr = 0;
        QDateTime GasMaxDate, GasMinDate, CalDate;
        float CalBefore = 0, CalAfter = 0, AutoCal = 0;
    };
    static bool InRange(int Index) { return Index >= 0 && Index < 5; }
    QString Form(int Index, float Gas::*field, bool Flags) const;

    bool loadFlag_ = false;
    QString dbPath_;
    int32_t seqNo_ = 0;
    QString names_;
    QDateTime dates_;
    QString userId_, stationId_, serialNo_, folderId_;
    int32_t types_ = 0, romNum_ = 0;
    int32_t dCount_ = 0;
    int32_t intervals_ = 0, calLimit_ = 0;
    std::array<Gas, 6> gas_;
};

}  // namespace qv

// Instrument settings object: edit flags, level and identity rules, latest-calibration row.
#include "clsInstrument.h"

#include "AppError.h"
#include "Database.h"
#include "Dates.h"
#include "Runtime.h"
#include "modDatabase.h"
#include "modGasCommon.h"
#include "modGlobals.h"
#include "modKeys.h"
#include "modSql.h"

namespace qv {

namespace {
[[noreturn]] void Subscript() {
    throw AppError(ErrSubscript, QStringLiteral("Subscript out of range"));
}
int16_t Narrow(int32_t v) {
    if (v < -32768 || v > 32767) throw AppError(ErrOverflow, QStringLiteral("Overflow"));
    return static_cast<int16_t>(v);
}
}  // namespace

clsInstrument::clsInstrument() {
    ClearDatas();
}

void clsInstrument::ClearDatas() {
    Key_.clear();
    MessageString_.clear();
    CommFlags_ = false;
    SysDate_ = rt::ZeroDate();
    SysDateOffset_ = rt::ZeroDate();
    AlarmO2_ = 0;
    header_.ClearDatas();
    // What was read belongs to the values just cleared.
    for (Channel& c : channel_) {
        c.levels.fill(ReadField{});
        c.sensor = SensorRead{};
    }
    ClearChangeFlags();
}

void clsInstrument::ClearChangeFlags() {
    const bool alarmO2 = flags_.Change_AlarmO2;
    flags_ = Flags{};
    flags_.Change_AlarmO2 = alarmO2;
    for (int i = 0; i < 5; ++i) {
        Channel& c = channel_[static_cast<size_t>(i)];
        c.Change_GasEnable = c.Change_GasPoint = c.Change_AutoCal = false;
        c.Change_Warn = c.Change_Alarm = c.Change_Stel = c.Change_Twa = false;
    }
}

void clsInstrument::LoadDatabase(int32_t SeqNo) {
    header_.ClearDatas();
    header_.ReLoad(SeqNo);
}

QString clsInstrument::UserId() const {
    return TrimOrStar(header_.UserId());
}
void clsInstrument::SetUserId(const QString& v) {
    header_.SetUserId(TrimOrStar(v));
    flags_.Change_UserID = true;
}
QString clsInstrument::StationID() const {
    return TrimOrStar(header_.StationID());
}
void clsInstrument::SetStationID(const QString& v) {
    header_.SetStationID(TrimOrStar(v));
    flags_.Change_StationID = true;
}
QString clsInstrument::SerialNo() const {
    return TrimOrStar(header_.SerialNo());
}
void clsInstrument::SetSerialNo(const QString& v) {
    header_.SetSerialNo(TrimOrStar(v));
    flags_.Change_SerialNo = true;
}
QString clsInstrument::DummySerial() const {
    return TrimOrStar(DummySerial_);
}
void clsInstrument::SetDummySerial(const QString& v) {
    DummySerial_ = TrimOrStar(v);
    flags_.Change_DummySerial = true;
}

int16_t clsInstrument::Intervals() const {
    return Narrow(header_.Intervals());
}
void clsInstrument::SetIntervals(int16_t v) {
    header_.SetIntervals(v);
    flags_.Change_Interval = true;
}
int16_t clsInstrument::CalLimit() const {
    return Narrow(header_.CalLimit());
}
void clsInstrument::SetCalLimit(int16_t v) {
    header_.SetCalLimit(v);
    flags_.Change_CalLimit = true;
}

int16_t clsInstrument::AnalogValue(int Index) const {
    if (Index < 0 || Index > 8) Subscript();
    return AnalogValue_[static_cast<size_t>(Index)];
}
void clsInstrument::SetAnalogValue(int Index, int16_t v) {
    if (Index < 0 || Index > 8) Subscript();
    AnalogValue_[static_cast<size_t>(Index)] = v;
}
float clsInstrument::LimitValue(int Index) const {
    if (Index < 0 || Index > 5) Subscript();
    return LimitValue_[static_cast<size_t>(Index)];
}
void clsInstrument::SetLimitValue(int Index, float v) {
    if (Index < 0 || Index > 5) Subscript();
    LimitValue_[static_cast<size_t>(Index)] = v;
}

void clsInstrument::SetGasPoint(int Index, int16_t v) {
    if (!Ok(Index)) return;
    header_.SetGasPoint(Index, v);
    channel_[static_cast<size_t>(Index)].Change_GasPoint = true;
}
void clsInstrument::SetGasEnabled(int Index, bool v) {
    if (!Ok(Index)) return;
    header_.SetGasEnable(Index, v);
    channel_[static_cast<size_t>(Index)].Change_GasEnable = true;
}
void clsInstrument::SetAutoCalib(int Index, float v) {
    if (!Ok(Index)) return;
    header_.SetAutoCal(Index, v);
    channel_[static_cast<size_t>(Index)].Change_AutoCal = true;
}

QDateTime clsInstrument::CalibDate(int Index) const {
    return Ok(Index) ? header_.CalDate(Index) : rt::ZeroDate();
}
QDateTime clsInstrument::LogMaxDate(int Index) const {
    return Ok(Index) ? header_.GasMaxDate(Index) : rt::ZeroDate();
}
QDateTime clsInstrument::LogMinDate(int Index) const {
    return Ok(Index) ? header_.GasMinDate(Index) : rt::ZeroDate();
}

clsInstrument::Channel& clsInstrument::LevelChannel(int Index) {
    if (Index < 0 || Index > 5) Subscript();
    return channel_[static_cast<size_t>(Index)];
}

void clsInstrument::SetAlarm(int Index, float v) {
    header_.SetAlarm(Index, v == 0 ? -1.0f : v);
    LevelChannel(Index).Change_Alarm = true;
}
void clsInstrument::SetWarning(int Index, float v) {
    header_.SetWarning(Index, v == 0 ? -1.0f : v);
    LevelChannel(Index).Change_Warn = true;
}
void clsInstrument::SetStel(int Index, float v) {
    header_.SetStel(Index, v == 0 ? -1.0f : v);
    LevelChannel(Index).Change_Stel = true;
}
void clsInstrument::SetTwa(int Index, float v) {
    header_.SetTwa(Index, v == 0 ? -1.0f : v);
    LevelChannel(Index).Change_Twa = true;
}

float clsInstrument::LevelValue(int Index, GasLevel kind) const {
    switch (kind) {
        case GasLevel::Warning:
            return Warning(Index);
        case GasLevel::Alarm:
            return Alarm(Index);
        case GasLevel::Stel:
            return Stel(Index);
        case GasLevel::Twa:
            return Twa(Index);
        case GasLevel::AutoCal:
            return AutoCalib(Index);
    }
    return 0;
}

QString clsInstrument::LevelReadText(int Index, GasLevel kind) const {
    if (!Ok(Index)) return QString();
    return channel_[static_cast<size_t>(Index)].levels[static_cast<size_t>(kind)].text;
}

bool clsInstrument::LevelAsRead(int Index, GasLevel kind) const {
    if (!Ok(Index)) return false;
    const ReadField& f = channel_[static_cast<size_t>(Index)].levels[static_cast<size_t>(kind)];
    return f.held && !f.text.isEmpty() && f.value == LevelValue(Index, kind) &&
           f.gas == GasNow(Index);
}

void clsInstrument::SetLevelRead(int Index, GasLevel kind, const QString& text) {
    if (!Ok(Index)) return;
    channel_[static_cast<size_t>(Index)].levels[static_cast<size_t>(kind)] =
        ReadField{text, LevelValue(Index, kind), GasNow(Index)};
}

void clsInstrument::NoteLevelWrite(int Index, GasLevel kind, const QString& text, bool answered) {
    if (!Ok(Index)) return;
    if (answered) return SetLevelRead(Index, kind, text);
    ReadField& f = channel_[static_cast<size_t>(Index)].levels[static_cast<size_t>(kind)];
    if (!(LevelAsRead(Index, kind) && f.text == text)) f.held = false;
}

clsInstrument::SensorRead clsInstrument::SensorNow(int Index) const {
    return SensorRead{QString(),           GasEnabled(Index), GasName(Index), GasUnit(Index),
                      GasFullScale(Index), GasDesit(Index),   GasPoint(Index)};
}

clsInstrument::SensorRead clsInstrument::GasNow(int Index) const {
    SensorRead gas = SensorNow(Index);
    gas.enabled = false;
    return gas;
}

QString clsInstrument::GasEntryReadText(int Index) const {
    return Ok(Index) ? channel_[static_cast<size_t>(Index)].sensor.text : QString();
}

bool clsInstrument::GasEntryAsRead(int Index) const {
    if (!Ok(Index)) return false;
    SensorRead read = channel_[static_cast<size_t>(Index)].sensor;
    if (read.text.isEmpty()) return false;
    read.text.clear();
    return read == SensorNow(Index);
}

void clsInstrument::KeepSensor(int Index, const QString& text) {
    SensorRead read = SensorNow(Index);
    read.text = text;
    channel_[static_cast<size_t>(Index)].sensor = read;
}

void clsInstrument::SetGasEntryRead(int Index, const QString& text) {
    if (!Ok(Index)) return;
    KeepSensor(Index, text);
    for (ReadField& f : channel_[static_cast<size_t>(Index)].levels)
        f.gas = GasNow(Index);
}

void clsInstrument::NoteGasEntryWrite(int Index, const QString& text, bool answered) {
    if (!Ok(Index)) return;
    // The levels keep the gas they were written with: a new sensor's are written after it.
    if (answered) return KeepSensor(Index, text);
    if (!(GasEntryAsRead(Index) && GasEntryReadText(Index) == text))
        channel_[static_cast<size_t>(Index)].sensor.text.clear();
}

QString clsInstrument::LevelForm(int Index, float stored, bool Flags) const {
    if (!Ok(Index)) return FormatGasValue(-1.0f, 0, Flags);
    return FormatGasValue(Level(stored), header_.GasPoint(Index), Flags);
}

QString clsInstrument::GuardedForm(int Index, float value, bool Flags) const {
    return Ok(Index) ? FormatGasValue(value, header_.GasPoint(Index), Flags) : QString();
}
QString clsInstrument::AutoCalForm(int Index, bool Flags) const {
    return GuardedForm(Index, header_.AutoCal(Index), Flags);
}
QString clsInstrument::CalibBeforeForm(int Index, bool Flags) const {
    return GuardedForm(Index, header_.CalBefore(Index), Flags);
}
QString clsInstrument::CalibAfterForm(int Index, bool Flags) const {
    return GuardedForm(Index, header_.CalAfter(Index), Flags);
}

bool clsInstrument::HistoryUpdate() {
    if (!FileExists(DatabasePath)) return false;
    Database db(DatabasePath);
    const QString station = TrimOrStar(header_.StationID());
    const QString user = TrimOrStar(header_.UserId());
    const QString serial = TrimOrStar(header_.SerialNo());
    // The old row goes and the new one comes in one transaction, so a failing insert keeps
    // the previous latest calibration.
    Database::Transaction tx(db);
    const auto old = db.query(QStringLiteral("Select SeqNo From cLatestHist Where StationID=? "
                                             "COLLATE NOCASE And UserID=? COLLATE NOCASE And "
                                             "SerialNo=? COLLATE NOCASE Order By SeqNo;"),
                              {station, user, serial});
    const qint64 oldKey = old.empty() ? 0 : old.front().toLong(QStringLiteral("SeqNo"), 0);
    db.execute(QStringLiteral("Delete From cLatestHist Where SeqNo=?;"), {oldKey});
    const int32_t key = NextSeqNo(db, QStringLiteral("cLatestHist"));
    QString columns = QStringLiteral("SeqNo,StationID,UserID,SerialNo,WriteDates,CalLimit");
    QVariantList values{key, station, user, serial, rt::Now(), header_.CalLimit()};
    for (int c = 0; c < 5; ++c) {
        columns += QStringLiteral(
                       ",Gas%1Name,Gas%1Desit,Gas%1Point,Gas%1Unit,Gas%1Enable,Gas%1AutoCal,"
                       "Gas%1CalDate,Gas%1Before,Gas%1After")
                       .arg(c + 1);
        values << header_.GasName(c) << SqlSingle(header_.GasDesit(c)) << header_.GasPoint(c)
               << header_.GasUnit(c) << header_.GasEnable(c) << SqlSingle(header_.AutoCal(c))
               << SqlDate(header_.CalDate(c)) << SqlSingle(header_.CalBefore(c))
               << SqlSingle(header_.CalAfter(c));
    }
    QString marks = QStringLiteral("?");
    for (int i = 1; i < values.size(); ++i)
        marks += QStringLiteral(",?");
    db.execute(QStringLiteral("Insert Into cLatestHist (") + columns +
                   QStringLiteral(") Values (") + marks + QStringLiteral(");"),
               values);
    tx.commit();
    return true;
}

}  // namespace qv

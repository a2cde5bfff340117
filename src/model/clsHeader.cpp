// Log header: fields, formatted values, the duplicate probe, storing and loading.
#include "clsHeader.h"

#include "Database.h"
#include "Dates.h"
#include "Runtime.h"
#include "clsInstrument.h"
#include "modDatabase.h"
#include "modGasCommon.h"
#include "modGlobals.h"
#include "modKeys.h"
#include "modSql.h"

namespace qv {

clsHeader::clsHeader() {
    ClearDatas();
}

QDateTime clsHeader::ClearedDate() {
    return rt::MakeDate(1900, 1, 1);
}

void clsHeader::ClearDatas() {
    loadFlag_ = false;
    seqNo_ = 0;
    names_.clear();
    dates_ = ClearedDate();
    userId_.clear();
    stationId_.clear();
    serialNo_.clear();
    folderId_.clear();
    types_ = romNum_ = 0;
    dCount_ = 0;
    intervals_ = calLimit_ = 0;
    for (int i = 0; i < 5; ++i) {
        Gas& g = gas_[static_cast<size_t>(i)];
        g = Gas{};
        g.GasMaxDate = g.GasMinDate = g.CalDate = ClearedDate();
    }
    dbPath_ = DatabasePath;
}

#define QV_GAS_MEMBER(Type, Name, Default)                                             \
    Type clsHeader::Name(int Index) const {                                            \
        return InRange(Index) ? gas_[static_cast<size_t>(Index)].Name : Type(Default); \
    }                                                                                  \
    void clsHeader::Set##Name(int Index, const Type& v) {                              \
        if (InRange(Index)) gas_[static_cast<size_t>(Index)].Name = v;                 \
    }
#define QV_GAS_VALUE(Type, Name, Default)                                              \
    Type clsHeader::Name(int Index) const {                                            \
        return InRange(Index) ? gas_[static_cast<size_t>(Index)].Name : Type(Default); \
    }                                                                                  \
    void clsHeader::Set##Name(int Index, Type v) {                                     \
        if (InRange(Index)) gas_[static_cast<size_t>(Index)].Name = v;                 \
    }

QV_GAS_MEMBER(QString, GasName, QString())
QV_GAS_MEMBER(QString, GasUnit, QString())
QV_GAS_VALUE(float, GasFull, 0)
QV_GAS_VALUE(float, GasDesit, 0)
QV_GAS_VALUE(int16_t, GasPoint, 0)
QV_GAS_VALUE(bool, GasEnable, false)
QV_GAS_VALUE(float, Warning, 0)
QV_GAS_VALUE(float, Alarm, 0)
QV_GAS_VALUE(float, Stel, 0)
QV_GAS_VALUE(float, Twa, 0)
QV_GAS_VALUE(float, GasMax, 0)
QV_GAS_VALUE(float, GasMin, 0)
QV_GAS_VALUE(float, GasAvr, 0)
QV_GAS_VALUE(float, CalBefore, 0)
QV_GAS_VALUE(float, CalAfter, 0)
QV_GAS_VALUE(float, AutoCal, 0)
QV_GAS_MEMBER(QDateTime, GasMaxDate, rt::ZeroDate())
QV_GAS_MEMBER(QDateTime, GasMinDate, rt::ZeroDate())
#undef QV_GAS_MEMBER
#undef QV_GAS_VALUE

QDateTime clsHeader::CalDate(int Index) const {
    return InRange(Index) ? gas_[static_cast<size_t>(Index)].CalDate : rt::Now();
}
void clsHeader::SetCalDate(int Index, const QDateTime& v) {
    if (InRange(Index)) gas_[static_cast<size_t>(Index)].CalDate = v;
}

QString clsHeader::Form(int Index, float Gas::*field, bool Flags) const {
    if (!InRange(Index)) return QString();
    const Gas& g = gas_[static_cast<size_t>(Index)];
    return FormatGasValue(g.*field, g.GasPoint, Flags);
}

QString clsHeader::AlarmForm(int Index, bool Flags) const {
    return Form(Index, &Gas::Alarm, Flags);
}
QString clsHeader::WarnForm(int Index, bool Flags) const {
    return Form(Index, &Gas::Warning, Flags);
}
QString clsHeader::StelForm(int Index, bool Flags) const {
    return Form(Index, &Gas::Stel, Flags);
}
QString clsHeader::TwaForm(int Index, bool Flags) const {
    return Form(Index, &Gas::Twa, Flags);
}
QString clsHeader::GasAvrForm(int Index, bool Flags) const {
    return Form(Index, &Gas::GasAvr, Flags);
}
QString clsHeader::GasMaxForm(int Index, bool Flags) const {
    return Form(Index, &Gas::GasMax, Flags);
}
QString clsHeader::GasMinForm(int Index, bool Flags) const {
    return Form(Index, &Gas::GasMin, Flags);
}
QString clsHeader::GasFullForm(int Index, bool Flags) const {
    return Form(Index, &Gas::GasFull, Flags);
}
QString clsHeader::GasDesitForm(int Index, bool Flags) const {
    return Form(Index, &Gas::GasDesit, Flags);
}

void clsHeader::CopyFromInstruments(const clsInstrument* Inst) {
    if (!Inst) return;
    auto emptyDate = [](const QDateTime& d) { return !d.isValid() || d.date().year() < 2000; };
    if (userId_.isEmpty()) userId_ = Inst->UserId();
    if (stationId_.isEmpty()) stationId_ = Inst->StationID();
    if (serialNo_.isEmpty()) serialNo_ = Inst->SerialNo();
    if (romNum_ == 0) romNum_ = Inst->RomNumber();
    if (intervals_ == 0) intervals_ = Inst->Intervals();
    if (calLimit_ == 0) calLimit_ = Inst->CalLimit();
    for (int i = 0; i < 5; ++i) {
        Gas& g = gas_[static_cast<size_t>(i)];
        if (g.GasName.isEmpty()) g.GasName = Inst->GasName(i);
        if (g.GasFull == 0) g.GasFull = Inst->GasFullScale(i);
        if (g.GasDesit == 0) g.GasDesit = Inst->GasDesit(i);
        if (g.GasPoint == 0) g.GasPoint = Inst->GasPoint(i);
        if (!g.GasEnable) g.GasEnable = Inst->GasEnabled(i);
        if (g.GasUnit.isEmpty()) g.GasUnit = Inst->GasUnit(i);
        if (g.Warning == 0) g.Warning = Inst->Warning(i);
        if (g.Alarm == 0) g.Alarm = Inst->Alarm(i);
        if (g.Stel == 0) g.Stel = Inst->Stel(i);
        if (g.Twa == 0) g.Twa = Inst->Twa(i);
        if (g.GasMax == 0) g.GasMax = Inst->LogMax(i);
        if (g.GasMin == 0) g.GasMin = Inst->LogMin(i);
        if (g.GasAvr == 0) g.GasAvr = Inst->LogAvr(i);
        if (emptyDate(g.GasMaxDate)) g.GasMaxDate = Inst->LogMaxDate(i);
        if (emptyDate(g.GasMinDate)) g.GasMinDate = Inst->LogMinDate(i);
        if (emptyDate(g.CalDate)) g.CalDate = Inst->CalibDate(i);
        if (g.CalBefore == 0) g.CalBefore = Inst->CalibBefore(i);
        if (g.CalAfter == 0) g.CalAfter = Inst->CalibAfter(i);
        if (g.AutoCal == 0) g.AutoCal = Inst->AutoCalib(i);
    }
}

bool clsHeader::ExistsInDatabase(Database& db) const {
    return StoredKey(db) >= 1;
}

int32_t clsHeader::StoredKey(Database& db) const {
    // The probe compares with exactly the texts that the insert writes, without regard to case
    // (the collation is named here so that files made before their columns carried it agree).
    const QVariant key = db.scalar(
        QStringLiteral("Select SeqNo From Log_Head Where Names=? COLLATE NOCASE And FolderID=? "
                       "COLLATE NOCASE And UserID=? COLLATE NOCASE And StationID=? COLLATE NOCASE "
                       "And SerialNo=? COLLATE NOCASE And Types=? And SeqNo>=1 Order By SeqNo;"),
        {SqlTextOrBlank(names_), SqlFolder(folderId_), TrimOrStar(userId_), TrimOrStar(stationId_),
         TrimOrStar(serialNo_), types_});
    return key.isNull() ? -1 : ClampedTo<int32_t>(key.toLongLong());
}

int32_t clsHeader::InsertOrFind(Database& db, bool* made) {
    const int32_t stored = StoredKey(db);
    if (made) *made = stored < 1;
    return stored >= 1 ? stored : InsertDatabase(db);
}

int32_t clsHeader::InsertDatabase() {
    Database db(dbPath_);
    Database::Transaction tx(db);
    const int32_t key = InsertDatabase(db);
    tx.commit();
    return key;
}

int32_t clsHeader::InsertDatabase(Database& db) {
    if (ExistsInDatabase(db)) return -1;
    const int32_t key = NextSeqNo(db, QStringLiteral("Log_Head"));
    db.execute(QStringLiteral(
                   "Insert Into Log_Head(SeqNo,Names,Dates,UserID,StationID,SerialNo,Types,"
                   "RomNum,Interval,FolderID,Dcount,CalLimit) Values (?,?,?,?,?,?,?,?,?,?,?,?);"),
               {key, SqlTextOrBlank(names_), SqlDate(dates_), TrimOrStar(userId_),
                TrimOrStar(stationId_), TrimOrStar(serialNo_), types_, romNum_, intervals_,
                SqlFolder(folderId_), dCount_, calLimit_});
    int32_t gasKey = NextSeqNo(db, QStringLiteral("Gas_List"));
    for (int i = 0; i < 5; ++i) {
        const Gas& g = gas_[static_cast<size_t>(i)];
        db.execute(
            QStringLiteral("Insert Into Gas_List(SeqNo,RelNo,GasNo,gName,gFull,gDesit,gEnable,"
                           "gPoint,gUnit,gMax,gAvr,gMin,gMaxDate,gMinDate,gWarn,gAlarm,gStel,"
                           "gTwa,gAutoCal,gCalDate,gBefore,gAfter) Values "
                           "(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?);"),
            {gasKey++,
             key,
             i + 1,
             SqlTextOrBlank(g.GasName),
             SqlSingle(g.GasFull),
             SqlSingle(g.GasDesit),
             g.GasEnable,
             g.GasPoint,
             SqlTextOrBlank(g.GasUnit),
             SqlSingle(g.GasMax),
             SqlSingle(g.GasAvr),
             SqlSingle(g.GasMin),
             SqlDate(g.GasMaxDate),
             SqlDate(g.GasMinDate),
             SqlSingle(g.Warning),
             SqlSingle(g.Alarm),
             SqlSingle(g.Stel),
             SqlSingle(g.Twa),
             SqlSingle(g.AutoCal),
             SqlDate(g.CalDate),
             SqlSingle(g.CalBefore),
             SqlSingle(g.CalAfter)});
    }
    return key;
}

void clsHeader::ReLoad(int32_t SeqNo) {
    if (!FileExists(dbPath_)) return;
    Database db(dbPath_);
    ReLoad(SeqNo, db);
}

void clsHeader::ReLoad(int32_t SeqNo, Database& db) {
    const auto head = db.query(QStringLiteral("Select * From Log_Head Where SeqNo=?;"), {SeqNo});
    if (!head.empty()) {
        const DbRow& r = head.front();
        seqNo_ = SeqNo;
        names_ = r.toText(QStringLiteral("Names"), QStringLiteral("Name None"));
        // A log without a stored date shows none, not the time of loading.
        dates_ = r.toDate(QStringLiteral("Dates"), QDateTime());
        userId_ = TrimOrStar(r.toText(QStringLiteral("UserID"), QStringLiteral(" ")));
        stationId_ = TrimOrStar(r.toText(QStringLiteral("StationID"), QStringLiteral(" ")));
        serialNo_ = TrimOrStar(r.toText(QStringLiteral("SerialNo"), QStringLiteral(" ")));
        folderId_ = r.toText(QStringLiteral("FolderID"), QStringLiteral("00/00"));
        types_ = ClampedTo<int32_t>(r.toLong(QStringLiteral("Types"), 0));
        romNum_ = ClampedTo<int32_t>(r.toLong(QStringLiteral("RomNum"), 0));
        dCount_ = ClampedTo<int32_t>(r.toLong(QStringLiteral("Dcount"), 0));
        calLimit_ = ClampedTo<int32_t>(r.toLong(QStringLiteral("CalLimit"), 0));
        intervals_ = ClampedTo<int32_t>(r.toLong(QStringLiteral("Interval"), 0));
        loadFlag_ = true;
    }
    const QDateTime minusOne = rt::ZeroDate().addDays(-1);
    const auto gases =
        db.query(QStringLiteral("Select * From Gas_List Where RelNo=? Order by SeqNo;"), {SeqNo});
    for (const DbRow& r : gases) {
        const qint64 channel = r.toLong(QStringLiteral("GasNo"), -1) - 1;
        if (channel < 0 || channel > 4) continue;
        Gas& g = gas_[static_cast<size_t>(channel)];
        auto single = [&](const char* column) {
            return static_cast<float>(r.toDouble(QString::fromLatin1(column), -1));
        };
        g.GasName = r.toText(QStringLiteral("gName"), QString());
        g.GasFull = single("gFull");
        g.GasDesit = single("gDesit");
        g.GasPoint = ClampedTo<int16_t>(r.toLong(QStringLiteral("gPoint"), -1));
        g.GasEnable = r.toBool(QStringLiteral("gEnable"), true);
        g.GasUnit = r.toText(QStringLiteral("gUnit"), QString());
        g.Warning = single("gWarn");
        g.Alarm = single("gAlarm");
        g.Stel = single("gStel");
        g.Twa = single("gTwa");
        g.GasAvr = single("gAvr");
        g.GasMax = single("gMax");
        g.GasMin = single("gMin");
        g.GasMaxDate = r.toDate(QStringLiteral("gMaxDate"), minusOne);
        g.GasMinDate = r.toDate(QStringLiteral("gMinDate"), minusOne);
        g.CalDate = r.toDate(QStringLiteral("gCalDate"), minusOne);
        g.CalBefore = single("gBefore");
        g.CalAfter = single("gAfter");
        g.AutoCal = single("gAutoCal");
    }
}

}  // namespace qv

// Monthly event logs: parsing, saving and reloading shared by alarm and trouble events.
#include "MonthlyEventLog.h"

#include "AppError.h"
#include "Database.h"
#include "Dates.h"
#include "Runtime.h"
#include "modDatabase.h"
#include "modGasCommon.h"
#include "modKeys.h"
#include "modSql.h"

namespace qv {

MonthlyEventLog::MonthlyEventLog(const Kind& kind) : kind_(kind) {
    for (Slot& s : slots_)
        s.Dates = rt::ZeroDate();
    MonthlyEventLog::ClearDatas();
}

void MonthlyEventLog::ClearDatas() {
    seqNo_ = 0;
    dataCount_ = 0;
    eventRead_ = false;
    ClearShared(kind_.types);
    header_.SetNames(QString::fromLatin1(kind_.names));
    const QDateTime now = rt::Now();
    // Slot 0 stays for a download; the events of an earlier ReLoad go.
    slots_.resize(1);
    for (Slot& s : slots_) {
        s.RowSeqNo = 0;
        s.Events = s.GasNo = s.NowEvent = s.NowCalib = 0;
        s.StoredGas.reset();
        if (kind_.clearSlotDates) s.Dates = now;
    }
}

#define QV_EVENT_SLOT(Type, Name, Default)                          \
    Type MonthlyEventLog::Name(int Index) const {                   \
        return InRange(Index) ? SlotAt(Index).Name : Type(Default); \
    }                                                               \
    void MonthlyEventLog::Set##Name(int Index, Type v) {            \
        if (InRange(Index)) SlotAt(Index).Name = v;                 \
    }
QV_EVENT_SLOT(int16_t, Events, 0)
QV_EVENT_SLOT(int16_t, GasNo, 0)
QV_EVENT_SLOT(int16_t, NowEvent, 0)
QV_EVENT_SLOT(int16_t, NowCalib, 0)
#undef QV_EVENT_SLOT

RowGas MonthlyEventLog::LogGas(int16_t gasNo) const {
    RowGas gas = HeaderGas(header_, gasNo);
    const QString name = RowGasName(gasNo);
    // "System", the instrument itself, has no unit of a channel.
    if (name != gas.Name) return {name, QString(), 0};
    return gas;
}

RowGas MonthlyEventLog::Gas(int Index) const {
    if (!InRange(Index)) return {};
    const Slot& s = SlotAt(Index);
    return s.StoredGas ? *s.StoredGas : LogGas(s.GasNo);
}

QDateTime MonthlyEventLog::Dates(int Index) const {
    return InRange(Index) ? SlotAt(Index).Dates : rt::Now();
}
void MonthlyEventLog::SetDates(int Index, const QDateTime& v) {
    if (InRange(Index)) SlotAt(Index).Dates = v;
}

bool MonthlyEventLog::TakeLine(const QString& line, bool TestFlag, bool& dateLine) {
    dateLine = false;
    if (line.size() < 4 || line[2] != QLatin1Char(kind_.letter)) return true;
    const QChar code = line[3];
    if (code == u'D') {
        if (line.size() < 24) return false;
        dateLine = true;
        return SetDateLine(line, TestFlag);
    }
    if (code >= u'0' && code.unicode() <= u'0' + kind_.lastGasDigit) {
        if (line.size() < kind_.eventMinLength) return false;
        return SetEventLine(line, TestFlag);
    }
    if (code == u'C') return line.size() >= 24 && SetGasTableLine(line, TestFlag);
    if (code == u'B') return line.size() >= 16 && SetSerialLine(line, TestFlag);
    if (code == u'A') return line.size() >= 24 && SetIdentityLine(line, TestFlag);
    return true;
}

bool MonthlyEventLog::SetDateLine(const QString& vData, bool TestFlag) {
    const LineDate when = ReadLineDate(vData, 5);
    if (!TestFlag) {
        if (when.dateOk) header_.SetDates(when.date);
        header_.SetFolderID(rt::FormatDate(header_.Dates(), QStringLiteral("mm/yy")));
        SlotAt(0).Dates = header_.Dates();
    }
    return when.dateOk && when.timeOk;
}

bool MonthlyEventLog::SetEventLine(const QString& vData, bool TestFlag) {
    // The gas digit is the frame code's second character; 0 names no channel.
    const QString digit = rt::Mid(vData, 4, 1);
    if (digit.size() != 1 || !digit[0].isDigit()) return false;
    const int gas = digit[0].digitValue();
    if (gas < 1 || gas > kind_.lastGasDigit) return false;
    if (!TestFlag) {
        Slot& s = SlotAt(0);
        s.GasNo = static_cast<int16_t>(gas - 1);
        s.Events = StatusDigitToCode(rt::Mid(vData, 5, 2));
        s.NowEvent = rt::Mid(vData, 7, 1) == QLatin1String("1") ? 1 : 0;
        s.NowCalib = rt::Mid(vData, 8, 1) == QLatin1String("1") ? 1 : 0;
        dataCount_ = 1;
        eventRead_ = true;
    }
    return true;
}

bool MonthlyEventLog::SetGasTableLine(const QString& vData, bool TestFlag) {
    return ReadGasTable(vData, TestFlag);
}

bool MonthlyEventLog::SetSerialLine(const QString& vData, bool TestFlag) {
    if (!TestFlag) header_.SetSerialNo(TrimOrStar(rt::Mid(vData, 5, 12)));
    const QString count = rt::Mid(vData, 18, 4);
    if (!rt::IsNumeric(count)) return false;
    // Four characters cannot leave the 16-bit range; the instrument's count has no upper limit.
    if (!TestFlag) dataCount_ = rt::CLng(count);
    return true;
}

bool MonthlyEventLog::SetIdentityLine(const QString& vData, bool TestFlag) {
    if (!TestFlag) {
        header_.SetUserId(TrimOrStar(rt::Mid(vData, 5, 10)));
        header_.SetStationID(TrimOrStar(rt::Mid(vData, 15, 10)));
    }
    return true;
}

void MonthlyEventLog::Store(LogStore& store) {
    if (dataCount_ <= 0 || !eventRead_) return;
    RequireInstrument();
    header_.CopyFromInstruments(instrument_.get());
    header_.SetDCount(DataCount());

    const QString table = QString::fromLatin1(kind_.table);
    const Slot& event = SlotAt(0);
    const QDateTime when = EventDate();
    Database& db = store.Open(dbPath_);
    if (store.FirstInto(table)) PrepareRepeatCheck(db, table, kind_.types);
    const int32_t relNo = store.HeaderFor(header_);
    const QVariant stored = db.scalar(QStringLiteral("Select SeqNo From ") + table +
                                          QStringLiteral(" Where RelNo=? And GasNo=? And Dates=?;"),
                                      {relNo, event.GasNo, SqlDate(when)});
    if (!stored.isNull()) return;
    db.execute(QStringLiteral("Insert Into ") + table +
                   QStringLiteral("(SeqNo,RelNo,GasNo,GasName,Alarm_Type,Dates,NowEv,NowCl) "
                                  "Values (?,?,?,?,?,?,?,?);"),
               {store.NextKey(table), relNo, event.GasNo, RowGasName(event.GasNo), event.Events,
                SqlDate(when), event.NowEvent, event.NowCalib});
    store.CountAdded(relNo, 1);
}

void MonthlyEventLog::ReLoad() {
    if (!FileExists(dbPath_)) return;
    Database db(dbPath_);
    header_.ReLoad(seqNo_, db);
    // Events of one month gather across downloads: the slots grow to hold every stored one.
    const auto rows = db.query(QStringLiteral("Select * From ") + QString::fromLatin1(kind_.table) +
                                   QStringLiteral(" Where RelNo=? Order by SeqNo;"),
                               {seqNo_});
    // The count shown is that of the events listed, whatever an older file stored with the header.
    header_.SetDCount(static_cast<int32_t>(rows.size()));
    if (rows.empty()) return;
    if (rows.size() > slots_.size()) slots_.resize(rows.size());
    dataCount_ = static_cast<int32_t>(rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        const DbRow& r = rows[i];
        Slot& s = slots_[i];
        s.RowSeqNo = static_cast<int32_t>(r.toLong(QStringLiteral("SeqNo"), 0));
        s.GasNo = ClampedTo<int16_t>(r.toLong(QStringLiteral("GasNo"), 0));
        s.Events = ClampedTo<int16_t>(r.toLong(QStringLiteral("Alarm_Type"), -1));
        s.NowEvent = ClampedTo<int16_t>(r.toLong(QStringLiteral("NowEv"), 0));
        // An event without a stored date shows none, not the time of loading.
        s.Dates = r.toDate(QStringLiteral("Dates"), QDateTime());
        s.NowCalib = ClampedTo<int16_t>(r.toLong(QStringLiteral("NowCl"), 0));
        s.StoredGas = EventRowGas(r, LogGas(s.GasNo));
    }
}

}  // namespace qv

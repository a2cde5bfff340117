// Power events: the power line parser, the save under the identity's header and the reload.
#include "clsPowerEvent.h"

#include "Database.h"
#include "Dates.h"
#include "MonthlyEventLog.h"
#include "Runtime.h"
#include "modDatabase.h"
#include "modGlobals.h"
#include "modSql.h"

#include <algorithm>

namespace qv {

clsPowerEvent::clsPowerEvent() {
    clsPowerEvent::ClearDatas();
}

void clsPowerEvent::ClearDatas() {
    seqNo_ = 0;
    dataCount_ = 0;
    ClearShared(TypePowerEvents);
    header_.SetFolderID(QStringLiteral("-----"));
    header_.SetNames(QStringLiteral("Power Events"));
    slots_.clear();
}

bool clsPowerEvent::Flags(int Index) const {
    return InRange(Index) && slots_[static_cast<size_t>(Index)].Flags;
}
void clsPowerEvent::SetFlags(int Index, bool v) {
    if (InRange(Index)) slots_[static_cast<size_t>(Index)].Flags = v;
}
QDateTime clsPowerEvent::Dates(int Index) const {
    return InRange(Index) ? slots_[static_cast<size_t>(Index)].Dates : rt::ZeroDate();
}
void clsPowerEvent::SetDates(int Index, const QDateTime& v) {
    if (InRange(Index)) slots_[static_cast<size_t>(Index)].Dates = v;
}

void clsPowerEvent::SetDataCount(int32_t v) {
    dataCount_ = std::clamp(v, 0, static_cast<int32_t>(slots_.size()));
}

bool clsPowerEvent::SetDataF0(const QString& vData, bool TestFlag) {
    // An event whose moment does not read is refused rather than stored at another moment.
    const LineDate when = ReadLineDate(vData, 5);
    if (!when.dateOk || !when.timeOk) return false;
    if (TestFlag) return true;
    const Slot event{0, when.date, rt::Mid(vData, 17, 4) == QLatin1String("1111")};
    // The count names the slot the line fills; past the slots held the list grows.
    if (static_cast<size_t>(dataCount_) < slots_.size())
        slots_[static_cast<size_t>(dataCount_)] = event;
    else
        slots_.push_back(event);
    ++dataCount_;
    return true;
}

void clsPowerEvent::Store(LogStore& store) {
    if (dataCount_ < 1) return;
    RequireInstrument();
    header_.CopyFromInstruments(instrument_.get());
    header_.SetDCount(DataCount());
    header_.SetDates(rt::Now());

    const QString table = QStringLiteral("Power_Event");
    Database& db = store.Open(dbPath_);
    if (store.FirstInto(table)) PrepareRepeatCheck(db, table, TypePowerEvents);
    // One header per identity: the first save creates it, later ones add to it.
    const int32_t relNo = store.HeaderFor(header_);
    int32_t added = 0;
    for (int i = 0; i < dataCount_; ++i) {
        const Slot& s = slots_[static_cast<size_t>(i)];
        const QVariant stored =
            db.scalar(QStringLiteral("Select SeqNo From Power_Event Where RelNo=? And Dates=?;"),
                      {relNo, SqlDate(s.Dates)});
        if (!stored.isNull()) continue;
        db.execute(QStringLiteral("Insert Into Power_Event(SeqNo,RelNo,Dates,Power_Type) "
                                  "Values (?,?,?,?);"),
                   {store.NextKey(table), relNo, SqlDate(s.Dates), s.Flags});
        ++added;
    }
    store.CountAdded(relNo, added);
}

void clsPowerEvent::ReLoad() {
    if (!FileExists(dbPath_)) return;
    Database db(dbPath_);
    header_.ReLoad(seqNo_, db);
    // One header gathers an identity's events across downloads: the slots grow to hold them all.
    const auto rows = db.query(
        QStringLiteral("Select * From Power_Event Where RelNo=? Order by SeqNo;"), {seqNo_});
    // The count shown is that of the events listed, whatever an older file stored with the header.
    header_.SetDCount(static_cast<int32_t>(rows.size()));
    if (rows.empty()) return;
    if (rows.size() > slots_.size()) slots_.resize(rows.size());
    dataCount_ = static_cast<int32_t>(rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        const DbRow& r = rows[i];
        // An event without a stored date shows none, not the time of loading.
        slots_[i] = Slot{static_cast<int32_t>(r.toLong(QStringLiteral("SeqNo"), 0)),
                         r.toDate(QStringLiteral("Dates"), QDateTime()),
                         r.toBool(QStringLiteral("Power_Type"), false)};
    }
}

}  // namespace qv

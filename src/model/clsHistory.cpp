// Calibration history: gathering downloaded calibration lines by date, storing the new dates
// under the identity's history header, and loading a stored history back.
#include "clsHistory.h"

#include "AppError.h"
#include "Database.h"
#include "Dates.h"
#include "clsInstrument.h"
#include "modDatabase.h"
#include "modGasCommon.h"
#include "modGlobals.h"
#include "modKeys.h"
#include "modSql.h"

#include <algorithm>
#include <optional>

namespace qv {

namespace {

const QString& HistoryInsert() {
    static const QString sql = [] {
        QString columns = QStringLiteral(
            "Insert Into cHistory "
            "(SeqNo,RelNo,StationID,UserID,SerialNo,WriteDates,Dates,CalLimit");
        for (int g = 1; g <= 5; ++g)
            columns += QStringLiteral(
                           ",Gas%1Name,Gas%1Desit,Gas%1Point,Gas%1Unit,Gas%1Enable,"
                           "Gas%1AutoCal,Gas%1Before,Gas%1After")
                           .arg(g);
        QString marks = QStringLiteral("?");
        for (int i = 1; i < 8 + 5 * 8; ++i)
            marks += QStringLiteral(",?");
        return columns + QStringLiteral(") Values (") + marks + QStringLiteral(");");
    }();
    return sql;
}

// True when the stored row holds a value before or after the calibration of channel gas.
bool HoldsValues(const DbRow& row, int gas) {
    const auto holds = [&](const QString& column) {
        constexpr double none = GasNoData;
        return row.toDouble(column.arg(gas + 1), none) != none;
    };
    return holds(QStringLiteral("Gas%1Before")) || holds(QStringLiteral("Gas%1After"));
}

// The newest row of the header (by date, then key) that holds values of channel gas. The rows
// are read newest first a few at a time, so that the usual answer, among the newest rows, costs
// no more than those rows however long the history is.
std::optional<DbRow> NewestHolding(Database& db, int32_t relNo, int gas) {
    constexpr int page = 16;
    // Only rows that can hold a value are read; HoldsValues has the last word on each.
    const QString sql =
        QStringLiteral(
            "Select * From cHistory Where RelNo=? And ((Gas%1Before Is Not Null And Gas%1Before "
            "<> ?) Or (Gas%1After Is Not Null And Gas%1After <> ?)) Order By Dates DESC, SeqNo "
            "DESC Limit ? Offset ?;")
            .arg(gas + 1);
    for (int offset = 0;; offset += page) {
        const auto rows = db.query(sql, {relNo, GasNoData, GasNoData, page, offset});
        for (const DbRow& r : rows)
            if (HoldsValues(r, gas)) return r;
        if (rows.size() < page) return std::nullopt;
    }
}

}  // namespace

bool clsHistory::CellHolds(const Cell& cell) {
    constexpr float none = GasNoData;
    return cell.Before != none || cell.After != none;
}

clsHistory::clsHistory() {
    ClearDatas();
}

void clsHistory::ClearDatas() {
    ClearShared(TypeCalHistory);
    header_.SetNames(QStringLiteral("Calibration Histories"));
    instrument_.reset();
    // Every slot goes, so that nothing of an earlier history can be stored again under a new
    // date.
    slots_.clear();
    slotOfDate_.clear();
    slotIndexStale_ = false;
    dataCount_ = 0;
    dCount_ = 0;
}

void clsHistory::SetDCount(int32_t v) {
    dCount_ = std::clamp<int32_t>(v, 0, SlotCount());
    slotIndexStale_ = true;
}

clsHistory::Slot& clsHistory::SlotAt(int Index) {
    if (Index < 0 || Index >= SlotCount())
        throw AppError(ErrSubscript, QStringLiteral("Subscript out of range"));
    return slots_[static_cast<size_t>(Index)];
}

clsHistory::Cell& clsHistory::At(int GasNo, int Index) {
    Slot& slot = SlotAt(Index);
    if (GasNo < 0 || GasNo >= Channels)
        throw AppError(ErrSubscript, QStringLiteral("Subscript out of range"));
    return slot.Cells[static_cast<size_t>(GasNo)];
}

const clsHistory::Cell& clsHistory::At(int GasNo, int Index) const {
    return const_cast<clsHistory*>(this)->At(GasNo, Index);
}

QDateTime clsHistory::Dates(int Index) const {
    return const_cast<clsHistory*>(this)->SlotAt(Index).Dates;
}

void clsHistory::SetDates(int Index, const QDateTime& v) {
    SlotAt(Index).Dates = v;
    slotIndexStale_ = true;
}

float clsHistory::Before(int GasNo, int Index) const {
    return At(GasNo, Index).Before;
}
void clsHistory::SetBefore(int GasNo, int Index, float v) {
    At(GasNo, Index).Before = v;
}
float clsHistory::After(int GasNo, int Index) const {
    return At(GasNo, Index).After;
}
void clsHistory::SetAfter(int GasNo, int Index, float v) {
    At(GasNo, Index).After = v;
}

RowGas clsHistory::Gas(int GasNo, int Index) const {
    At(GasNo, Index);  // raises for a slot or channel the history does not hold
    const std::vector<RowGas>& gases = slots_[static_cast<size_t>(Index)].Gases;
    if (static_cast<size_t>(GasNo) < gases.size()) return gases[static_cast<size_t>(GasNo)];
    return HeaderGas(header_, GasNo);
}

QString clsHistory::BeforeForm(int GasNo, int Index, bool Flags) const {
    return Gas(GasNo, Index).Form(Before(GasNo, Index), Flags);
}

QString clsHistory::AfterForm(int GasNo, int Index, bool Flags) const {
    return Gas(GasNo, Index).Form(After(GasNo, Index), Flags);
}

int clsHistory::FindSlot(const QDateTime& Dates) {
    if (slotIndexStale_) {
        slotOfDate_.clear();
        // In slot order, so that the last of several slots of one date wins.
        for (int i = 0; i < dCount_; ++i)
            slotOfDate_.insert(slots_[static_cast<size_t>(i)].Dates, i);
        slotIndexStale_ = false;
    }
    return slotOfDate_.value(Dates, -1);
}

bool clsHistory::AddHistory(int GasNo, const QDateTime& Dates, float Before, float After) {
    if (GasNo < 0 || GasNo >= Channels) return false;
    int slot = FindSlot(Dates);
    if (slot < 0) {
        slot = dCount_++;
        // A slot that ReLoad filled before is taken over whole, as the date's new slot.
        if (slot < SlotCount())
            slots_[static_cast<size_t>(slot)] = Slot{};
        else
            slots_.emplace_back();
        slots_[static_cast<size_t>(slot)].Dates = Dates;
        slotOfDate_.insert(Dates, slot);
        header_.SetDates(Dates);
    }
    Cell& cell = slots_[static_cast<size_t>(slot)].Cells[static_cast<size_t>(GasNo)];
    cell.Before = Before;
    cell.After = After;
    header_.SetCalBefore(GasNo, Before);
    header_.SetCalAfter(GasNo, After);
    return true;
}

int32_t clsHistory::FindHeaderSeqNo(Database& db) const {
    const auto rows = db.query(
        QStringLiteral("Select SeqNo From Log_Head Where UserID=? COLLATE NOCASE And StationID=? "
                       "COLLATE NOCASE And SerialNo=? COLLATE NOCASE And Types=? Order By SeqNo;"),
        {TrimOrStar(header_.UserId()), TrimOrStar(header_.StationID()),
         TrimOrStar(header_.SerialNo()), static_cast<int32_t>(TypeCalHistory)});
    if (rows.empty()) return -1;
    return static_cast<int32_t>(rows.front().toLong(QStringLiteral("SeqNo"), -1));
}

void clsHistory::HistoryUpdate() {
    // Nothing gathered: no header row either, it would stand empty in the stored-data tree.
    if (dCount_ <= 0) return;
    RequireInstrument();
    const clsInstrument& inst = *instrument_;
    header_.CopyFromInstruments(&inst);
    header_.SetDCount(dCount_);

    Database db(dbPath_);
    Database::Transaction tx(db);
    // One history header per identity, whatever its name and dates.
    int32_t relNo = FindHeaderSeqNo(db);
    if (relNo < 1) relNo = header_.InsertDatabase(db);
    if (relNo < 1)
        throw AppError(ErrDatabase, QStringLiteral("No history header could be found or stored "
                                                   "for the serial number ") +
                                        header_.SerialNo());

    const QDateTime written = rt::Now();
    const QString table = QStringLiteral("cHistory");
    PrepareRepeatCheck(db, table, TypeCalHistory);
    int32_t nextKey = NextSeqNo(db, table);
    // The channels whose stored values this download adds to.
    ChannelFlags changed{};
    for (int i = 0; i < dCount_; ++i) {
        const Slot& slot = slots_[static_cast<size_t>(i)];
        const QDateTime& date = slot.Dates;
        const auto stored =
            db.query(QStringLiteral("Select * From cHistory Where RelNo=? And Dates=?;"),
                     {relNo, SqlDate(date)});
        if (!stored.empty()) {
            // The date is under the header already; a channel an earlier download missed
            // takes its values now.
            const ChannelFlags filled = FillMissingChannels(db, stored.front(), i);
            for (size_t g = 0; g < changed.size(); ++g)
                changed[g] = changed[g] || filled[g];
            continue;
        }
        QVariantList values{nextKey,
                            relNo,
                            TrimOrStar(inst.StationID()),
                            TrimOrStar(inst.UserId()),
                            TrimOrStar(inst.SerialNo()),
                            SqlDate(written),
                            SqlDate(date),
                            inst.CalLimit()};
        for (int g = 0; g < 5; ++g) {
            const Cell& cell = slot.Cells[static_cast<size_t>(g)];
            values << inst.GasName(g) << SqlSingle(inst.GasDesit(g)) << inst.GasPoint(g)
                   << inst.GasUnit(g) << inst.GasEnabled(g) << SqlSingle(inst.AutoCalib(g))
                   << SqlSingle(cell.Before) << SqlSingle(cell.After);
            if (CellHolds(cell)) changed[static_cast<size_t>(g)] = true;
        }
        db.execute(HistoryInsert(), values);
        ++nextKey;
    }
    // The header tells of every row it holds, also those later downloads added.
    StoreRowCount(db, table, relNo);
    db.execute(QStringLiteral("Update Log_Head Set Dates=(Select Max(Dates) From cHistory Where "
                              "RelNo=?) Where SeqNo=?;"),
               {relNo, relNo});
    FollowNewestCalibrations(db, relNo, changed);
    tx.commit();
}

void clsHistory::FollowNewestCalibrations(Database& db, int32_t relNo,
                                          const ChannelFlags& changed) {
    // Each channel's before and after values on the header are those of its newest stored
    // calibration, so that the header reads the same however many downloads its rows took. Only
    // a channel whose stored values changed can have a newer one; a channel without any stored
    // values keeps what the header was stored with.
    for (int g = 0; g < 5; ++g) {
        if (!changed[static_cast<size_t>(g)]) continue;
        const std::optional<DbRow> newest = NewestHolding(db, relNo, g);
        if (!newest) continue;
        const auto value = [&](const char* column) {
            return SqlSingle(static_cast<float>(newest->toDouble(
                QStringLiteral("Gas%1%2").arg(g + 1).arg(QLatin1String(column)), GasNoData)));
        };
        db.execute(
            QStringLiteral("Update Gas_List Set gBefore=?, gAfter=? Where RelNo=? And GasNo=?;"),
            {value("Before"), value("After"), relNo, g + 1});
    }
}

clsHistory::ChannelFlags clsHistory::FillMissingChannels(Database& db, const DbRow& row,
                                                         int slot) const {
    ChannelFlags filled{};
    for (int g = 0; g < 5; ++g) {
        const Cell& cell = slots_[static_cast<size_t>(slot)].Cells[static_cast<size_t>(g)];
        if (!CellHolds(cell)) continue;
        // A stored value is never replaced, only a channel that holds nothing is filled.
        if (HoldsValues(row, g)) continue;
        const QString before = QStringLiteral("Gas%1Before").arg(g + 1);
        const QString after = QStringLiteral("Gas%1After").arg(g + 1);
        db.execute(
            QStringLiteral("Update cHistory Set %1=?, %2=? Where SeqNo=?;").arg(before, after),
            {SqlSingle(cell.Before), SqlSingle(cell.After), row.value(QStringLiteral("SeqNo"))});
        filled[static_cast<size_t>(g)] = true;
    }
    return filled;
}

void clsHistory::ReLoad() {
    if (!FileExists(dbPath_)) return;
    Database db(dbPath_);
    header_.ReLoad(seqNo_, db);
    const auto rows = db.query(
        QStringLiteral("Select * From cHistory Where RelNo = ? Order By Dates DESC;"), {seqNo_});
    if (rows.empty()) return;
    // A header gains rows with every download: the slots grow to hold every one of them.
    if (rows.size() > slots_.size()) slots_.resize(rows.size());
    slotIndexStale_ = true;
    dataCount_ = static_cast<int32_t>(rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        const DbRow& r = rows[i];
        Slot& slot = slots_[i];
        // A calibration without a stored date shows none, not the time of loading.
        slot.Dates = r.toDate(QStringLiteral("Dates"), QDateTime());
        const auto key = static_cast<int32_t>(r.toLong(QStringLiteral("SeqNo"), -1));
        slot.Gases.clear();
        for (int g = 0; g < 5; ++g) {
            slot.Gases.push_back(HistoryRowGas(r, g, HeaderGas(header_, g)));
            Cell& cell = slot.Cells[static_cast<size_t>(g)];
            cell.RowKey = key;
            cell.Before =
                static_cast<float>(r.toDouble(QStringLiteral("Gas%1Before").arg(g + 1), GasNoData));
            cell.After =
                static_cast<float>(r.toDouble(QStringLiteral("Gas%1After").arg(g + 1), GasNoData));
        }
    }
}

}  // namespace qv

// Alarm trend: parsing of its downloaded lines, storing under a new header and loading back.
#include "clsAlarm.h"

#include "Database.h"
#include "Dates.h"
#include "Runtime.h"
#include "clsInstrument.h"
#include "modDatabase.h"
#include "modGasCommon.h"
#include "modGlobals.h"
#include "modKeys.h"
#include "modSql.h"

#include <algorithm>

namespace qv {

namespace {
// The whole number of a column group that passed the number test; the groups are at most four
// characters wide, so the conversion cannot overflow.
int32_t Whole(const QString& text) {
    return rt::CLng(rt::ToDouble(text));
}
}  // namespace

clsAlarm::clsAlarm() {
    ClearDatas();
}

void clsAlarm::ClearDatas() {
    key_.clear();
    seqNo_ = 0;
    dataCount_ = 0;
    ClearShared(TypeAlarmTrend);
    // A reused object never stores another trend's samples or times.
    samples_.clear();
}

QDateTime clsAlarm::SampleTime(int Index) const {
    return rt::AddSeconds(header_.Dates(),
                          static_cast<qint64>(Index - MomentSlot) * header_.Intervals());
}

clsAlarm::Sample& clsAlarm::Slot(int Index) {
    // A sample the instrument did not send, below one it sent, holds no data at its own time:
    // stored as readings of 0 it would tell of gas that was never measured.
    while (samples_.size() <= static_cast<size_t>(Index)) {
        const int slot = static_cast<int>(samples_.size());
        samples_.push_back(
            Sample{0, SampleTime(slot), {GasNoData, GasNoData, GasNoData, GasNoData}});
    }
    return samples_[static_cast<size_t>(Index)];
}

QDateTime clsAlarm::DateTimes(int Index) const {
    return SlotOk(Index) ? samples_[static_cast<size_t>(Index)].DateTimes : rt::ZeroDate();
}

void clsAlarm::SetDateTimes(int Index, const QDateTime& v) {
    if (Index >= 0) Slot(Index).DateTimes = v;
}

void clsAlarm::SetDataCount(int32_t v) {
    dataCount_ = std::max(v, 0);
    if (dataCount_ > 0) Slot(dataCount_ - 1);
}

float clsAlarm::Value(int GasNo, int Index) const {
    if (!ChannelOk(GasNo) || !SlotOk(Index)) return 0;
    return samples_[static_cast<size_t>(Index)].Value[static_cast<size_t>(GasNo)];
}

void clsAlarm::SetValue(int GasNo, int Index, float v) {
    if (ChannelOk(GasNo) && Index >= 0) Slot(Index).Value[static_cast<size_t>(GasNo)] = v;
}

QString clsAlarm::ValueForm(int GasNo, int Index, bool Flags) const {
    if (!ChannelOk(GasNo) || !SlotOk(Index)) return QString();
    return FormatGasValue(Value(GasNo, Index), header_.GasPoint(GasNo), Flags);
}

bool clsAlarm::SetDataBD(const QString& vData, bool TestFlag) {
    bool answer = true;
    const LineDate moment = ReadLineDate(vData, 5);
    if (!moment.dateOk) answer = false;
    if (!moment.timeOk) answer = false;
    const QString interval = rt::Mid(vData, 17, 4);
    if (!rt::IsNumeric(interval)) answer = false;
    if (TestFlag) return answer;

    if (moment.dateOk) {
        header_.SetDates(moment.date);  // the time is in it when its group passed
    } else if (moment.timeOk) {
        const qint64 seconds =
            rt::TimeSerial(Whole(rt::Mid(vData, 11, 2)), Whole(rt::Mid(vData, 13, 2)),
                           Whole(rt::Mid(vData, 15, 2)));
        header_.SetDates(rt::AddSeconds(header_.Dates(), seconds));
    }
    if (rt::IsNumeric(interval)) header_.SetIntervals(Whole(interval));
    header_.SetNames(QStringLiteral("al") +
                     rt::FormatDate(header_.Dates(), QStringLiteral("ddhhnnss")));
    header_.SetFolderID(rt::FormatDate(header_.Dates(), QStringLiteral("mm/yy")));
    return answer;
}

bool clsAlarm::SetDataB0(const QString& vData, bool TestFlag) {
    const QString number = rt::Mid(vData, 27, 4);
    if (!rt::IsNumeric(number)) return false;
    // Samples count from 1: a number below names no sample and is refused in both passes. Any
    // number above, beyond the 731 an instrument keeps too, is a sample and kept.
    const int32_t n = Whole(number);
    if (n < 1) return false;
    if (TestFlag) return true;

    Sample& s = Slot(n - 1);
    s.DateTimes = SampleTime(n - 1);
    for (int g = 0; g < Channels; ++g)
        s.Value[static_cast<size_t>(g)] = ParseGasValue(rt::Mid(vData, 5 + 5 * g, 5));
    // The trend reaches as far as the samples sent: a later line with a lower number cuts none
    // of them off.
    dataCount_ = std::max(dataCount_, n);
    return true;
}

bool clsAlarm::SetDataBC(const QString& vData, bool TestFlag) {
    return ReadGasTable(vData, TestFlag);
}

bool clsAlarm::SetDataBB(const QString& vData, bool TestFlag) {
    if (!TestFlag) header_.SetSerialNo(TrimOrStar(rt::Mid(vData, 5, 12)));
    // The count the line announces is checked but sizes nothing: the samples sent do. A larger
    // count would store samples never sent, a smaller one drop samples that were.
    return rt::IsNumeric(rt::Mid(vData, 18, 4));
}

void clsAlarm::Update() {
    if (dataCount_ < 1) return;
    RequireInstrument();
    header_.CopyFromInstruments(instrument_.get());
    header_.SetDCount(dataCount_);

    Database db(dbPath_);
    Database::Transaction tx(db);
    const int32_t relNo = header_.InsertDatabase(db);
    if (relNo < 1) return;  // the same trend is stored already
    int32_t rowKey = NextSeqNo(db, QStringLiteral("Alarm_Data"));
    for (int i = 0; i < dataCount_; ++i) {
        const Sample& s = samples_[static_cast<size_t>(i)];
        db.execute(
            QStringLiteral("Insert Into Alarm_Data(SeqNo,RelNo,Datetimes,Gas1Value,Gas2Value,"
                           "Gas3Value,Gas4Value) Values (?,?,?,?,?,?,?);"),
            {rowKey++, relNo, SqlDate(s.DateTimes), SqlSingle(s.Value[0]), SqlSingle(s.Value[1]),
             SqlSingle(s.Value[2]), SqlSingle(s.Value[3])});
    }
    tx.commit();
}

void clsAlarm::ReLoad() {
    if (!FileExists(dbPath_)) return;
    Database db(dbPath_);
    header_.ReLoad(seqNo_, db);
    const auto rows = db.query(
        QStringLiteral("Select * From Alarm_Data Where RelNo=? Order by SeqNo;"), {seqNo_});
    if (rows.empty()) return;
    const int count = static_cast<int>(rows.size());
    dataCount_ = count;
    for (int i = 0; i < count; ++i) {
        const DbRow& r = rows[static_cast<size_t>(i)];
        Sample& s = Slot(i);
        s.SeqNo = static_cast<int32_t>(r.toLong(QStringLiteral("SeqNo"), 0));
        // A sample without a stored date shows none, not the time of loading.
        s.DateTimes = r.toDate(QStringLiteral("Datetimes"), QDateTime());
        for (int g = 0; g < Channels; ++g)
            s.Value[static_cast<size_t>(g)] =
                static_cast<float>(r.toDouble(QStringLiteral("Gas%1Value").arg(g + 1), GasNoData));
    }
}

}  // namespace qv

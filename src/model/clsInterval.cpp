// Interval trend log: line parsers, records, finders, storing and loading.
#include "clsInterval.h"

#include "AppError.h"
#include "Database.h"
#include "Dates.h"
#include "Runtime.h"
#include "clsInstrument.h"
#include "modDatabase.h"
#include "modGasCommon.h"
#include "modGlobals.h"
#include "modSql.h"

#include <algorithm>
#include <optional>

namespace qv {

namespace {

// A whole number out of a short numeric field (at most four characters, so no overflow).
int32_t FieldNumber(const QString& text) {
    return rt::CLng(rt::ToDouble(text));
}

// Date of year 2000 + YY, month and day from three two-character fields at `column`.
std::optional<QDateTime> DateFields(const QString& line, int column) {
    const QString y = rt::Mid(line, column, 2), m = rt::Mid(line, column + 2, 2),
                  d = rt::Mid(line, column + 4, 2);
    if (!rt::IsNumeric(y) || !rt::IsNumeric(m) || !rt::IsNumeric(d)) return std::nullopt;
    const QDateTime date = rt::DateSerial(2000 + FieldNumber(y), FieldNumber(m), FieldNumber(d));
    if (!date.isValid()) return std::nullopt;
    return date;
}

// Seconds of hh:nn:ss from three two-character fields at `column`.
std::optional<qint64> TimeFields(const QString& line, int column) {
    const QString h = rt::Mid(line, column, 2), n = rt::Mid(line, column + 2, 2),
                  s = rt::Mid(line, column + 4, 2);
    if (!rt::IsNumeric(h) || !rt::IsNumeric(n) || !rt::IsNumeric(s)) return std::nullopt;
    return rt::TimeSerial(FieldNumber(h), FieldNumber(n), FieldNumber(s));
}

QDateTime SampleTime(const QDateTime& start, int32_t counter, int32_t intervals) {
    return rt::AddSeconds(start, static_cast<qint64>(counter) * intervals);
}

const QString kStars = QStringLiteral("******");

}  // namespace

clsInterval::clsInterval() {
    ClearDatas();
}

void clsInterval::ClearDatas() {
    key_.clear();
    seqNo_ = 0;
    dataCount_ = eventCount_ = 0;
    sampleCounter_ = lastSampleNo_ = 0;
    storedInterval_.reset();
    testedInterval_.reset();
    values_.clear();
    events_.clear();
    valueIndex_.Invalidate();
    eventIndex_.Invalidate();
    ClearShared(TypeInterval);
}

// ---- line parsers -------------------------------------------------------------------------

bool clsInterval::SetDataAD(const QString& vData, bool TestFlag) {
    bool ok = true;
    QDateTime dates = header_.Dates();
    if (const auto date = DateFields(vData, 5))
        dates = *date;
    else
        ok = false;
    if (const auto time = TimeFields(vData, 11))
        dates = rt::AddSeconds(dates, *time);
    else
        ok = false;
    const QString interval = rt::Mid(vData, 17, 4);
    const bool intervalOk = rt::IsNumeric(interval);
    if (!intervalOk) ok = false;
    if (ok) testedInterval_ = FieldNumber(interval);
    if (TestFlag) return ok;

    header_.SetDates(dates);
    if (intervalOk) header_.SetIntervals(FieldNumber(interval));
    if (ok) storedInterval_ = testedInterval_;
    header_.SetNames(QStringLiteral("iv") + rt::FormatDate(dates, QStringLiteral("ddhhnnss")));
    header_.SetFolderID(rt::FormatDate(dates, QStringLiteral("mm/yy")));
    return ok;
}

bool clsInterval::SetDataAE(const QString& vData, bool TestFlag) {
    const QString code = rt::Mid(vData, 3, 2);
    int channel;
    if (code == QLatin1String("AE"))
        channel = 0;
    else if (code == QLatin1String("AF") || code == QLatin1String("AG"))
        channel = 1;
    else if (code == QLatin1String("AH"))
        channel = 2;
    else if (code == QLatin1String("AI"))
        channel = 3;
    else
        return false;
    const bool isAE = channel == 0;
    const bool isMin = code == QLatin1String("AF");

    if (!TestFlag) {
        const float avr = ParseGasValue(rt::Mid(vData, 5, 5));
        const float extreme = ParseGasValue(rt::Mid(vData, 10, 5));
        header_.SetGasAvr(channel, avr);
        if (isMin)
            header_.SetGasMin(channel, extreme);
        else
            header_.SetGasMax(channel, extreme);
        if (isAE) {
            // Channel 4 is channel 0 in the second unit; status codes and zero stay as they are.
            auto converted = [](float v) { return v > 0 ? v * ConvFactor : v; };
            header_.SetGasAvr(4, converted(avr));
            header_.SetGasMax(4, converted(extreme));
        }
    }

    bool ok = true;
    bool changed = false;
    QDateTime when = isMin ? header_.GasMinDate(channel) : header_.GasMaxDate(channel);
    if (const auto date = DateFields(vData, 15)) {
        when = *date;
        changed = true;
    } else if (rt::Mid(vData, 15, 6) == kStars) {
        when = rt::Now();
        changed = true;
    } else {
        ok = false;
    }
    if (const auto time = TimeFields(vData, 21)) {
        when = rt::AddSeconds(when, *time);
        changed = true;
    } else if (rt::Mid(vData, 21, 6) == kStars) {
        when = rt::Now();
        changed = true;
    } else {
        ok = false;
    }

    if (!TestFlag) {
        if (changed) {
            if (isMin) {
                header_.SetGasMinDate(channel, when);
            } else {
                header_.SetGasMaxDate(channel, when);
                if (isAE) header_.SetGasMaxDate(4, when);
            }
        }
        if (code != QLatin1String("AF") && code != QLatin1String("AG")) {
            header_.SetGasMin(channel, -1);
            if (isAE) header_.SetGasMin(4, -1);
        }
    }
    return ok;
}

bool clsInterval::SetDataA0(const QString& vData, bool TestFlag) {
    const QString code = rt::Mid(vData, 3, 2);
    if (code.size() == 2 && code[0] == u'A' && code[1] >= u'1' && code[1] <= u'5')
        return SetDataEvent(vData, TestFlag, code[1].unicode() - u'1');
    if (code != QLatin1String("A0")) return false;

    // Any record number the four-digit field carries is a sample: the records grow with them.
    const QString number = rt::Mid(vData, 27, 4);
    if (!rt::IsNumeric(number)) return false;
    // A sample is timed from its log's start and interval: before a date line, or after one
    // whose interval is 0, the samples would all fall on one time and overwrite each other.
    const std::optional<int32_t>& interval = TestFlag ? testedInterval_ : storedInterval_;
    if (!interval || *interval == 0) return false;
    if (TestFlag) return true;
    const int32_t n = FieldNumber(number) - 1;

    if (n != lastSampleNo_) ++sampleCounter_;
    lastSampleNo_ = n;
    if (sampleCounter_ == 0) sampleCounter_ = 1;
    const QDateTime time = SampleTime(header_.Dates(), sampleCounter_, header_.Intervals());

    int index = -1;
    for (int ch = 0; ch < 4; ++ch) {
        const float reading = ParseGasValue(rt::Mid(vData, 5 + 5 * ch, 5));
        index = AddValue(ch, time, reading);
        if (ch == 0) AddValue(4, time, reading);
        if (reading < -1) {
            const int32_t eventCode = rt::CLng(reading);
            AddEvents(ch, time, eventCode);
            if (ch == 0) AddEvents(4, time, eventCode);
        }
    }
    const bool nowEv = rt::Mid(vData, 25, 1) == QLatin1String("1");
    const bool nowCl = rt::Mid(vData, 26, 1) == QLatin1String("1");
    IntervalValueRecord& r = values_[static_cast<size_t>(index)];
    for (int ch = 0; ch < 5; ++ch) {
        r.NowEv[static_cast<size_t>(ch)] = nowEv;
        r.NowCl[static_cast<size_t>(ch)] = nowCl;
    }
    return true;
}

bool clsInterval::SetDataEvent(const QString& vData, bool TestFlag, int channel) {
    // A record number that cannot be read would place the event at a made-up time.
    const QString number = rt::Mid(vData, 9, 4);
    if (!rt::IsNumeric(number)) return false;
    // So would an event before its log's date line: there is no start to time it from.
    if (!(TestFlag ? testedInterval_ : storedInterval_)) return false;
    if (TestFlag) return true;
    const int32_t n = FieldNumber(number) - 1;

    const QString offsetText = rt::Mid(vData, 23, 4);
    const qint64 offset = rt::IsNumeric(offsetText) ? FieldNumber(offsetText) : 0;
    const QDateTime base =
        n < 0 ? header_.Dates() : SampleTime(header_.Dates(), sampleCounter_, header_.Intervals());
    AddEvents(channel, rt::AddSeconds(base, offset), StatusDigitToCode(rt::Mid(vData, 5, 2)));
    return true;
}

bool clsInterval::SetDataAC(const QString& vData, bool TestFlag) {
    return ReadGasTable(vData, TestFlag);
}

// ---- records -----------------------------------------------------------------------------

namespace {

// The record of time `t`, appended (its five channels -1) when none has that time; its index.
// A record appended where an earlier one was in use before a count was lowered is taken again.
template <class Record>
int RecordAt(std::vector<Record>& records, int32_t& count, RecordTimeIndex& index,
             const QDateTime& t, std::array<float, 6> Record::*channels) {
    int at = index.Find(records, count, t);
    if (at >= 0) return at;
    at = count++;
    if (static_cast<size_t>(at) == records.size()) records.emplace_back();
    index.Appended(at, t);
    auto& values = records[static_cast<size_t>(at)].*channels;
    std::fill(values.begin(), values.begin() + 5, -1.0f);
    return at;
}

void RequireChannel(int GasNo) {
    if (GasNo < 0 || GasNo > 5)
        throw AppError(ErrSubscript, QStringLiteral("Subscript out of range"));
}

}  // namespace

int clsInterval::AddValue(int GasNo, const QDateTime& Dates, float Values) {
    RequireChannel(GasNo);
    const int index =
        RecordAt(values_, dataCount_, valueIndex_, Dates, &IntervalValueRecord::Value);
    IntervalValueRecord& r = values_[static_cast<size_t>(index)];
    r.DateTimes = Dates;
    r.Value[static_cast<size_t>(GasNo)] = Values;
    return index;
}

int clsInterval::AddEvents(int GasNo, const QDateTime& Dates, int32_t EventNo) {
    RequireChannel(GasNo);
    const int index =
        RecordAt(events_, eventCount_, eventIndex_, Dates, &IntervalEventRecord::Event);
    IntervalEventRecord& r = events_[static_cast<size_t>(index)];
    r.DateTimes = Dates;
    r.Event[static_cast<size_t>(GasNo)] = static_cast<float>(EventNo);
    return index;
}

namespace {

template <class Record>
void SetCount(std::vector<Record>& records, int32_t& count, int32_t v) {
    if (v < 0) return;
    if (static_cast<size_t>(v) > records.size()) {
        Record cleared;
        cleared.DateTimes = rt::ZeroDate();
        records.resize(static_cast<size_t>(v), cleared);
    }
    count = v;
}

}  // namespace

void clsInterval::SetDataCount(int32_t v) {
    SetCount(values_, dataCount_, v);
}

void clsInterval::SetEventCount(int32_t v) {
    SetCount(events_, eventCount_, v);
}

bool clsInterval::ValueIn(int GasNo, int Index) const {
    return GasNo >= 0 && GasNo <= 5 && Index >= 0 && Index < dataCount_;
}

bool clsInterval::EventIn(int GasNo, int Index) const {
    return GasNo >= 0 && GasNo <= 5 && Index >= 0 && Index < eventCount_;
}

QVariant clsInterval::GasValue(int GasNo, int Index) const {
    if (!ValueIn(GasNo, Index)) return QVariant();
    return QVariant(values_[static_cast<size_t>(Index)].Value[static_cast<size_t>(GasNo)]);
}

void clsInterval::SetGasValue(int GasNo, int Index, float v) {
    if (ValueIn(GasNo, Index))
        values_[static_cast<size_t>(Index)].Value[static_cast<size_t>(GasNo)] = v;
}

QString clsInterval::GasValueForm(int GasNo, int Index, bool Flags) const {
    if (!ValueIn(GasNo, Index)) return QString();
    return FormatGasValue(values_[static_cast<size_t>(Index)].Value[static_cast<size_t>(GasNo)],
                          header_.GasPoint(GasNo), Flags);
}

QVariant clsInterval::GasEvent(int GasNo, int Index) const {
    if (!EventIn(GasNo, Index)) return QVariant();
    return QVariant(events_[static_cast<size_t>(Index)].Event[static_cast<size_t>(GasNo)]);
}

void clsInterval::SetGasEvent(int GasNo, int Index, float v) {
    if (EventIn(GasNo, Index))
        events_[static_cast<size_t>(Index)].Event[static_cast<size_t>(GasNo)] = v;
}

QString clsInterval::GasEventForm(int GasNo, int Index, bool Flags) const {
    if (!EventIn(GasNo, Index)) return QString();
    return FormatGasValue(events_[static_cast<size_t>(Index)].Event[static_cast<size_t>(GasNo)],
                          header_.GasPoint(GasNo), Flags);
}

bool clsInterval::GasNowEvent(int GasNo, int Index) const {
    return ValueIn(GasNo, Index) &&
           values_[static_cast<size_t>(Index)].NowEv[static_cast<size_t>(GasNo)];
}

void clsInterval::SetGasNowEvent(int GasNo, int Index, bool v) {
    if (ValueIn(GasNo, Index))
        values_[static_cast<size_t>(Index)].NowEv[static_cast<size_t>(GasNo)] = v;
}

bool clsInterval::GasNowCalib(int GasNo, int Index) const {
    return ValueIn(GasNo, Index) &&
           values_[static_cast<size_t>(Index)].NowCl[static_cast<size_t>(GasNo)];
}

void clsInterval::SetGasNowCalib(int GasNo, int Index, bool v) {
    if (ValueIn(GasNo, Index))
        values_[static_cast<size_t>(Index)].NowCl[static_cast<size_t>(GasNo)] = v;
}

QDateTime clsInterval::DateTimes(int Index) const {
    if (!ValueIn(0, Index)) return rt::ZeroDate();
    return values_[static_cast<size_t>(Index)].DateTimes;
}

void clsInterval::SetDateTimes(int Index, const QDateTime& v) {
    if (!ValueIn(0, Index)) return;
    values_[static_cast<size_t>(Index)].DateTimes = v;
    valueIndex_.Invalidate();
}

QDateTime clsInterval::EventDateTimes(int Index) const {
    if (!EventIn(0, Index)) return rt::ZeroDate();
    return events_[static_cast<size_t>(Index)].DateTimes;
}

void clsInterval::SetEventDateTimes(int Index, const QDateTime& v) {
    if (!EventIn(0, Index)) return;
    events_[static_cast<size_t>(Index)].DateTimes = v;
    eventIndex_.Invalidate();
}

// ---- finders -----------------------------------------------------------------------------

namespace {

template <class Records>
int EarliestAfter(const Records& records, int32_t count, const QDateTime& Dates, int StrDim) {
    int found = -1;
    for (int32_t i = std::max(StrDim, 0); i < count; ++i) {
        const QDateTime& t = records[static_cast<size_t>(i)].DateTimes;
        if (t > Dates && (found < 0 || t < records[static_cast<size_t>(found)].DateTimes))
            found = i;
    }
    return found;
}

}  // namespace

int clsInterval::SerchDatas(const QDateTime& Dates, int StrDim) const {
    return EarliestAfter(values_, dataCount_, Dates, StrDim);
}

int clsInterval::SerchEvent(const QDateTime& Dates, int StrDim) const {
    return EarliestAfter(events_, eventCount_, Dates, StrDim);
}

int clsInterval::SerchValue(const QDateTime& Dates) const {
    const QDateTime low = rt::MakeDate(1998, 1, 1);
    const QDateTime high = rt::MakeDate(2199, 1, 1);
    if (!(Dates > low && Dates < high)) return 0;
    const int v = SerchDatas(Dates, 0);
    const int e = SerchEvent(Dates, 0);
    const bool valueCounts = v >= 0 && DateTimes(v) > low;
    const bool eventCounts = e >= 0 && EventDateTimes(e) > low;
    if (valueCounts && eventCounts) return DateTimes(v) < EventDateTimes(e) ? v + 1 : -(e + 1);
    if (valueCounts) return v + 1;
    if (eventCounts) return -(e + 1);
    return 0;
}

// ---- storing and loading -----------------------------------------------------------------

void clsInterval::Update() {
    if (dataCount_ <= 0 && eventCount_ <= 0) return;
    RequireInstrument();
    SaveRecords();
}

void clsInterval::SaveRecords() {
    header_.CopyFromInstruments(instrument_.get());
    header_.SetDCount(eventCount_ + dataCount_);

    // Header, gas rows, samples and events stand or fall together.
    Database db(dbPath_);
    Database::Transaction tx(db);
    const int32_t relNo = header_.InsertDatabase(db);
    if (relNo < 1) return;

    int32_t key = NextSeqNo(db, QStringLiteral("Interval_Data"));
    for (int32_t i = 0; i < dataCount_; ++i) {
        const IntervalValueRecord& r = values_[static_cast<size_t>(i)];
        QVariantList params{key++, relNo, SqlDate(r.DateTimes)};
        for (size_t ch = 0; ch < 5; ++ch)
            params << SqlSingle(r.Value[ch]) << r.NowEv[ch] << r.NowCl[ch] << r.EventOffset[ch];
        db.execute(QStringLiteral("Insert Into Interval_Data(SeqNo,RelNo,Datetimes,"
                                  "Gas1Value,Gas1NowEv,Gas1NowCl,Gas1EventOffset,"
                                  "Gas2Value,Gas2NowEv,Gas2NowCl,Gas2EventOffset,"
                                  "Gas3Value,Gas3NowEv,Gas3NowCl,Gas3EventOffset,"
                                  "Gas4Value,Gas4NowEv,Gas4NowCl,Gas4EventOffset,"
                                  "Gas5Value,Gas5NowEv,Gas5NowCl,Gas5EventOffset) Values "
                                  "(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?);"),
                   params);
    }

    key = NextSeqNo(db, QStringLiteral("Interval_Event"));
    for (int32_t i = 0; i < eventCount_; ++i) {
        const IntervalEventRecord& r = events_[static_cast<size_t>(i)];
        QVariantList params{key++, relNo, SqlDate(r.DateTimes)};
        for (size_t ch = 0; ch < 5; ++ch)
            params << SqlSingle(r.Event[ch]);
        db.execute(QStringLiteral("Insert Into Interval_Event(SeqNo,RelNo,Datetimes,"
                                  "Gas1Event,Gas2Event,Gas3Event,Gas4Event,Gas5Event) Values "
                                  "(?,?,?,?,?,?,?,?);"),
                   params);
    }
    tx.commit();
}

void clsInterval::ReLoad() {
    if (!FileExists(dbPath_)) return;
    valueIndex_.Invalidate();
    eventIndex_.Invalidate();
    Database db(dbPath_);
    header_.ReLoad(seqNo_, db);

    const auto rows = db.query(
        QStringLiteral("Select * From Interval_Data Where RelNo=? Order by SeqNo;"), {seqNo_});
    const auto eventRows = db.query(
        QStringLiteral("Select * From Interval_Event Where RelNo=? Order by SeqNo;"), {seqNo_});

    static const QString kValue[5] = {"Gas1Value", "Gas2Value", "Gas3Value", "Gas4Value",
                                      "Gas5Value"};
    static const QString kNowEv[5] = {"Gas1NowEv", "Gas2NowEv", "Gas3NowEv", "Gas4NowEv",
                                      "Gas5NowEv"};
    static const QString kNowCl[5] = {"Gas1NowCl", "Gas2NowCl", "Gas3NowCl", "Gas4NowCl",
                                      "Gas5NowCl"};
    static const QString kOffset[5] = {"Gas1EventOffset", "Gas2EventOffset", "Gas3EventOffset",
                                       "Gas4EventOffset", "Gas5EventOffset"};
    static const QString kEvent[5] = {"Gas1Event", "Gas2Event", "Gas3Event", "Gas4Event",
                                      "Gas5Event"};
    const QString seqNo = QStringLiteral("SeqNo"), dateTimes = QStringLiteral("Datetimes");
    // A record without a stored date shows none, not the time of loading.
    const QDateTime noDate;

    // The samples whose five readings are all 0 or more (a Null reading counts as none).
    valueCount_ = 0;
    if (!rows.empty()) {
        dataCount_ = static_cast<int32_t>(rows.size());
        if (values_.size() < rows.size()) values_.resize(rows.size());
        for (size_t i = 0; i < rows.size(); ++i) {
            const DbRow& row = rows[i];
            IntervalValueRecord& r = values_[i];
            r.SeqNo = static_cast<int32_t>(row.toLong(seqNo, 0));
            r.DateTimes = row.toDate(dateTimes, noDate);
            for (size_t ch = 0; ch < 5; ++ch) {
                r.Value[ch] = static_cast<float>(row.toDouble(kValue[ch], -1));
                r.NowEv[ch] = row.toBool(kNowEv[ch], false);
                r.NowCl[ch] = row.toBool(kNowCl[ch], false);
                r.EventOffset[ch] = static_cast<int32_t>(row.toLong(kOffset[ch], -1));
            }
            if (std::all_of(r.Value.begin(), r.Value.begin() + 5, [](float v) { return v >= 0; }))
                ++valueCount_;
        }
    }
    if (!eventRows.empty()) {
        eventCount_ = static_cast<int32_t>(eventRows.size());
        if (events_.size() < eventRows.size()) events_.resize(eventRows.size());
        for (size_t i = 0; i < eventRows.size(); ++i) {
            const DbRow& row = eventRows[i];
            IntervalEventRecord& r = events_[i];
            r.SeqNo = static_cast<int32_t>(row.toLong(seqNo, 0));
            r.DateTimes = row.toDate(dateTimes, noDate);
            for (size_t ch = 0; ch < 5; ++ch)
                r.Event[ch] = static_cast<float>(row.toDouble(kEvent[ch], -1));
        }
    }
}

}  // namespace qv

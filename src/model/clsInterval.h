// One interval trend log: its header, its samples and event times (as many as the instrument
// sends), the parsers of its downloaded lines, and its storing into and loading from the database.
#pragma once

#include "clsRecordSet.h"

#include <QDateTime>
#include <QHash>
#include <QString>
#include <QVariant>
#include <array>
#include <cstdint>
#include <limits>
#include <optional>
#include <vector>

namespace qv {

// Finds a record by its time without scanning: a log's lines arrive by the thousand, and each
// one looks for the record of its time. Rebuilt from the records whenever they changed behind
// its back; where two records share a time the later one is found, as a scan would.
class RecordTimeIndex {
  public:
    template <class Records>
    int Find(const Records& records, int32_t count, const QDateTime& t) const {
        if (dirty_ || count != built_) Rebuild(records, count);
        const auto it = map_.constFind(Key(t));
        return it == map_.constEnd() ? -1 : *it;
    }
    // A record appended at the end of the records the index knows.
    void Appended(int32_t index, const QDateTime& t) {
        if (dirty_ || index != built_) {
            dirty_ = true;
            return;
        }
        map_.insert(Key(t), index);
        built_ = index + 1;
    }
    void Invalidate() { dirty_ = true; }

  private:
    static qint64 Key(const QDateTime& t) {
        return t.isValid() ? t.toMSecsSinceEpoch() : std::numeric_limits<qint64>::min();
    }
    template <class Records>
    void Rebuild(const Records& records, int32_t count) const {
        map_.clear();
        for (int32_t i = 0; i < count; ++i)
            map_.insert(Key(records[static_cast<size_t>(i)].DateTimes), i);
        built_ = count;
        dirty_ = false;
    }
    mutable QHash<qint64, int32_t> map_;
    mutable int32_t built_ = 0;
    mutable bool dirty_ = true;
};

// One sample: the readings of channels 0 to 4 at one time (entry 5 is never filled).
struct IntervalValueRecord {
    int32_t SeqNo = 0;
    QDateTime DateTimes;
    std::array<float, 6> Value{};
    std::array<bool, 6> NowEv{};
    std::array<bool, 6> NowCl{};
    std::array<int32_t, 6> EventOffset{};
};

// One event time: a status code for each channel that reported one then, -1 for the others.
struct IntervalEventRecord {
    int32_t SeqNo = 0;
    QDateTime DateTimes;
    std::array<float, 6> Event{};
};

class clsInterval : public clsRecordSet {
  public:
    clsInterval();

    void ClearDatas() override;
    void ReLoad() override;
    // Stores the log when it holds samples or events; a log stored already is left alone.
    void Update();

    // Parsers of the downloaded lines: with TestFlag they only check the line, otherwise they
    // store what passes. False when a check failed; the records grow with whatever a
    // well-formed line brings.
    bool SetDataAD(const QString& vData, bool TestFlag);
    bool SetDataAE(const QString& vData, bool TestFlag);
    bool SetDataA0(const QString& vData, bool TestFlag);
    bool SetDataAC(const QString& vData, bool TestFlag);
    // Before the test pass of a reply block: the start the block's samples are checked against is
    // the one stored, until a date line of the block names another.
    void BeginTestPass() { testedInterval_ = storedInterval_; }

    // Put a value (an event code) into the record of that time, creating it when none has the
    // time; the record's index.
    int AddValue(int GasNo, const QDateTime& Dates, float Values);
    int AddEvents(int GasNo, const QDateTime& Dates, int32_t EventNo);

    // The record from StrDim on with the earliest time later than Dates; -1 when none.
    int SerchDatas(const QDateTime& Dates, int StrDim = 0) const;
    int SerchEvent(const QDateTime& Dates, int StrDim = 0) const;
    // The next record after Dates: a sample as index + 1, an event as -(index + 1), 0 for none.
    int SerchValue(const QDateTime& Dates) const;

    // A count set from outside (0 or more) names records 0 to count - 1: records it adds read as
    // cleared ones (the zero date, 0), records it leaves out come back when a count names them.
    int32_t DataCount() const { return dataCount_; }
    void SetDataCount(int32_t v);
    int32_t EventCount() const { return eventCount_; }
    void SetEventCount(int32_t v);
    int32_t ValueCount() const { return valueCount_; }
    void SetValueCount(int32_t v) { valueCount_ = v; }

    // Per-record accessors: a channel outside 0 to 5 or an index outside the records in use
    // reads the neutral value (an invalid QVariant, False, date 0, "") and ignores a set.
    QVariant GasValue(int GasNo, int Index) const;
    void SetGasValue(int GasNo, int Index, float v);
    QString GasValueForm(int GasNo, int Index, bool Flags = false) const;
    QVariant GasEvent(int GasNo, int Index) const;
    void SetGasEvent(int GasNo, int Index, float v);
    QString GasEventForm(int GasNo, int Index, bool Flags = false) const;
    bool GasNowEvent(int GasNo, int Index) const;
    void SetGasNowEvent(int GasNo, int Index, bool v);
    bool GasNowCalib(int GasNo, int Index) const;
    void SetGasNowCalib(int GasNo, int Index, bool v);
    QDateTime DateTimes(int Index) const;
    void SetDateTimes(int Index, const QDateTime& v);
    QDateTime EventDateTimes(int Index) const;
    void SetEventDateTimes(int Index, const QDateTime& v);

  private:
    bool SetDataEvent(const QString& vData, bool TestFlag, int channel);
    void SaveRecords();
    bool ValueIn(int GasNo, int Index) const;
    bool EventIn(int GasNo, int Index) const;

    int32_t dataCount_ = 0;
    int32_t valueCount_ = 0;
    int32_t eventCount_ = 0;
    // Parse state of the store pass; a log's samples can outnumber a 16-bit counter.
    int32_t sampleCounter_ = 0;
    int32_t lastSampleNo_ = 0;
    // The interval of the last date line read, in the store pass and in either pass; none before
    // the first. A sample is timed from it: without one, or with 0, every sample of the log
    // would take the same time.
    std::optional<int32_t> storedInterval_;
    std::optional<int32_t> testedInterval_;
    // Records 0 to the count in use hold the log; the vectors grow with the records that arrive.
    std::vector<IntervalValueRecord> values_;
    std::vector<IntervalEventRecord> events_;
    RecordTimeIndex valueIndex_;
    RecordTimeIndex eventIndex_;
};

}  // namespace qv

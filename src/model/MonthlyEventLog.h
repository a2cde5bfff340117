// The shared base of the alarm-event and trouble-event logs (one header per month and identity,
// each event stored once) and the lookup of a grouped header row that power events use too.
#pragma once

#include "LogStore.h"
#include "MessageKeyList.h"
#include "RowGas.h"
#include "clsRecordSet.h"

#include <QDateTime>
#include <QHash>
#include <QSet>
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

namespace qv {

class MonthlyEventLog : public clsRecordSet {
  public:
    void ClearDatas() override;
    // Loads every event stored under the header SeqNo, however many downloads brought them.
    void ReLoad() override;
    // Stores slot 0 under the month's header when an event line was read, DataCount is above 0
    // and the same event (header, gas channel, date and time) is not stored yet.
    void Update() { StoreAlone(*this); }
    // The same inside a store of many logs, whose transaction the caller commits.
    void Store(LogStore& store);

    // Indexed members; an index outside the slots held reads the default and ignores a set.
    QDateTime Dates(int Index) const;  // default: the current date and time
    void SetDates(int Index, const QDateTime& v);
    int16_t Events(int Index) const;
    void SetEvents(int Index, int16_t v);
    int16_t GasNo(int Index) const;
    void SetGasNo(int Index, int16_t v);
    int16_t NowEvent(int Index) const;
    void SetNowEvent(int Index, int16_t v);
    int16_t NowCalib(int Index) const;
    void SetNowCalib(int Index, int16_t v);
    // The gas a loaded event was stored with (a month can hold events of two gases on a channel
    // whose sensor was swapped); for a downloaded event, the one its header names.
    RowGas Gas(int Index) const;

    int32_t DataCount() const { return dataCount_; }
    // Stored as given: a downloaded log's count is the instrument's, whatever the slots held;
    // a count of 0 or below stores nothing.
    void SetDataCount(int32_t v) { dataCount_ = v; }

    // Routes a cleaned line by its frame code (letter + "D" date, letter + gas digit event,
    // "C" gas table, "B" serial number, "A" identities; other codes are accepted and ignored).
    // `dateLine` tells whether the date parser ran, after which the collection announces the log.
    bool TakeLine(const QString& line, bool TestFlag, bool& dateLine);

  protected:
    struct Kind {
        int32_t types;
        const char* names;
        const char* table;
        char letter;          // first character of every frame code of the kind
        int eventMinLength;   // shortest accepted event line
        int lastGasDigit;     // highest gas digit of an event line
        bool clearSlotDates;  // ClearDatas sets every slot's date to the present moment
    };
    explicit MonthlyEventLog(const Kind& kind);

    // The line parsers; each validates only when TestFlag is set.
    bool SetDateLine(const QString& vData, bool TestFlag);
    bool SetEventLine(const QString& vData, bool TestFlag);
    bool SetGasTableLine(const QString& vData, bool TestFlag);
    bool SetSerialLine(const QString& vData, bool TestFlag);
    bool SetIdentityLine(const QString& vData, bool TestFlag);

    // The date and time the downloaded event is stored with.
    virtual QDateTime EventDate() const = 0;
    // The name written with an event row of this gas number.
    virtual QString RowGasName(int16_t gasNo) const { return header_.GasName(gasNo); }
    // The header's gas of this gas number, under the name its event rows are written with.
    RowGas LogGas(int16_t gasNo) const;

    struct Slot {
        int32_t RowSeqNo = 0;
        int16_t GasNo = 0;
        QDateTime Dates;
        int16_t Events = 0;
        int16_t NowEvent = 0;
        int16_t NowCalib = 0;
        std::optional<RowGas> StoredGas;  // the row's own, once loaded
    };
    bool InRange(int Index) const {
        return Index >= 0 && static_cast<size_t>(Index) < slots_.size();
    }
    const Slot& SlotAt(int Index) const { return slots_[static_cast<size_t>(Index)]; }
    Slot& SlotAt(int Index) { return slots_[static_cast<size_t>(Index)]; }

    const Kind& kind_;
    int32_t dataCount_ = 0;
    // An event line filled slot 0: a count line alone is no event and stores nothing.
    bool eventRead_ = false;
    // Slot 0 takes a downloaded event; ReLoad grows the list to every stored event.
    std::vector<Slot> slots_ = std::vector<Slot>(1);
};

// The collection of a monthly event kind: routes every line to its record set and, after each
// stored date line, announces the log once per month and identity.
template <class T>
class MonthlyEventCollection : public EventCollection<T> {
  protected:
    explicit MonthlyEventCollection(QString logName) : logName_(std::move(logName)) {}

    // Log numbers have two digits, so an instrument that keeps more event logs than that numbers
    // them from the start again within one download. The lines of one log come together: in the
    // store pass a number that comes back after another log's lines begins a new log, which
    // would otherwise write over the event of the earlier log of that number.
    typename EventCollection<T>::Ptr RecordFor(const QString& line, bool TestFlag) override {
        const QString number = line.left(2);
        auto item = current_.value(number);
        if (!item) {
            item = EventCollection<T>::RecordFor(line, TestFlag);
            if (!item) return item;
            current_.insert(number, item);
        }
        if (TestFlag) return item;
        if (number != lastStored_ && storedInto_.contains(number)) {
            item = this->Add(QStringLiteral("%1 L%2").arg(number).arg(++renumbered_));
            current_.insert(number, item);
        }
        storedInto_.insert(number);
        lastStored_ = number;
        return item;
    }
    void OnClear() override {
        EventCollection<T>::OnClear();
        current_.clear();
        storedInto_.clear();
        lastStored_.clear();
        renumbered_ = 0;
    }

    bool Route(T& item, const QString& line, bool TestFlag) override {
        bool dateLine = false;
        const bool answer = item.TakeLine(line, TestFlag, dateLine);
        if (dateLine && !TestFlag) {
            const clsHeader& h = item.GasInfo();
            this->AnnounceOnce(MessageKeyList::MakeMessageKey(h.SerialNo(), h.StationID(),
                                                              h.UserId(), h.FolderID()),
                               logName_ + h.FolderID());
        }
        return answer;
    }

  private:
    QString logName_;  // "Alarm Events " or "Trouble Events ", the folder follows
    // The log that the lines of each number go to now, held so that a line finds it without a
    // search among every log of the download (the collection looks keys up one by one).
    QHash<QString, typename EventCollection<T>::Ptr> current_;
    // The numbers the store pass has written into, and the number of its last line.
    QSet<QString> storedInto_;
    QString lastStored_;
    int renumbered_ = 0;
};

}  // namespace qv

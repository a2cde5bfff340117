// The keyed collection of downloaded record sets that every kind shares: record sets filed by
// log number, the two-pass intake of received lines (a test pass over every line of a reply
// block, then a store pass when all passed), rejected lines collected in FailLine and progress
// texts left in MessageString.
#pragma once

#include "KeyedCollection.h"
#include "Runtime.h"
#include "clsRecordSet.h"

#include <QString>
#include <QStringList>
#include <memory>

namespace qv {

class clsInstrument;

template <class T>
class RecordCollection {
  public:
    using Ptr = std::shared_ptr<T>;
    virtual ~RecordCollection() = default;

    void Clear() {
        OnClear();
        for (int i = items_.count(); i >= 1; --i)
            items_.remove(i);
    }
    Ptr Add(const QString& Key = QString(), int32_t SeqNos = 0) {
        auto item = std::make_shared<T>();
        item->SetKey(Key);
        item->SetSeqNo(SeqNos);
        if (instruments_) item->SetInstrument(instruments_);
        items_.add(item, Key);
        return item;
    }
    Ptr Item(int position) const { return items_.item(position); }
    Ptr Item(const QString& key) const { return items_.item(key); }
    int32_t Count() const { return items_.count(); }
    void Remove(const QString& key) { items_.remove(key); }
    void Remove(int position) { items_.remove(position); }
    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }

    const std::shared_ptr<clsInstrument>& Instruments() const { return instruments_; }
    void SetInstruments(std::shared_ptr<clsInstrument> v) { instruments_ = std::move(v); }
    const QString& MessageString() const { return messageString_; }
    void SetMessageString(const QString& v) { messageString_ = v; }
    const QString& FailLine() const { return failLine_; }
    void SetFailLine(const QString& v) { failLine_ = v; }

    // Stores the selected record set's key; a missing item selects nothing.
    void SetSelectedItem(const Ptr& item) { selectedKey_ = item ? item->Key() : QString(); }
    // The selected record set, nullptr when none; a key no longer held raises error 5.
    Ptr SelectedItem() const {
        if (selectedKey_.isEmpty()) return nullptr;
        Ptr item = items_.item(selectedKey_);
        if (!item)
            throw AppError(ErrInvalidCall, QStringLiteral("No item under the key ") + selectedKey_);
        return item;
    }

    // Takes one received line: with TestFlag only checks it (a rejected line joins FailLine),
    // otherwise stores it into the record set of its log number.
    virtual bool SetDatas(const QString& vData, bool TestFlag) {
        if (vData.size() < 21) {
            const bool answer = ShortLineAnswer();
            if (TestFlag && !answer) Reject(PrintableOnly(vData));
            return answer;
        }
        const QString line = PrintableOnly(vData);
        Ptr item = RecordFor(line, TestFlag);
        const bool answer = item ? Route(*item, line, TestFlag) : false;
        if (TestFlag && !answer) Reject(line);
        return answer;
    }

    // Stores every record set in collection order, `instrument` completing its header. Each log
    // is stored in a transaction of its own: one stored before a failure stays stored, and the
    // next download skips it as stored.
    void UpdateAll(const std::shared_ptr<clsInstrument>& instrument) {
        for (const Ptr& item : items_) {
            item->SetInstrument(instrument);
            item->Update();
        }
    }

    // The test pass over one reply block: every line is checked. True when every line passed.
    bool TestLines(const QStringList& lines) {
        OnTestPassStart();
        bool all = true;
        for (const QString& line : lines)
            all = SetDatas(line, true) && all;
        return all;
    }
    // The store pass over one reply block; true when every line was stored whole.
    bool StoreLines(const QStringList& lines) {
        bool all = true;
        for (const QString& line : lines)
            all = SetDatas(line, false) && all;
        return all;
    }

  protected:
    // The answer for a received line shorter than 21 characters.
    virtual bool ShortLineAnswer() const { return false; }
    // Hands the cleaned line to the record set by its frame code (characters 3-4).
    virtual bool Route(T& item, const QString& line, bool TestFlag) = 0;
    // Work of Clear before the record sets are removed.
    virtual void OnClear() {}
    // Work before the test pass of a reply block: what a refused block's test pass noted of its
    // lines goes, since that block is never stored.
    virtual void OnTestPassStart() {}

    // The record set of the line's log number, created on first sight (in either pass); nullptr
    // when the first two characters are not a number.
    virtual Ptr RecordFor(const QString& line, bool /*TestFlag*/) {
        const QString number = line.left(2);
        if (!rt::IsNumeric(number)) return nullptr;
        const QString key = number + QStringLiteral(" L");
        Ptr item = items_.item(key);
        if (!item) {
            item = Add(key, 0);
            item->SetInstrument(instruments_);
        }
        return item;
    }
    void Reject(const QString& line) { failLine_ += QStringLiteral("\r\n") + line; }
    // The frame code: characters 3 and 4.
    static QString FrameCode(const QString& line) { return line.mid(2, 2); }

    KeyedCollection<T> items_;
    std::shared_ptr<clsInstrument> instruments_;
    QString messageString_;
    QString failLine_;
    QString selectedKey_;
};

}  // namespace qv

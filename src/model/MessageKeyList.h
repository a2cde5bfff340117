// The message-key list that tells the host "New Data!" once per event log and download, and the
// collection base that the three event kinds share.
#pragma once

#include "LogStore.h"
#include "RecordCollection.h"
#include "modMessage.h"

#include <QSet>
#include <QString>

namespace qv {

class MessageKeyList {
  public:
    // The key of a monthly event log: serial number 12, station 10, user 10 and folder 5
    // characters, each value padded with blanks and cut to its width.
    static QString MakeMessageKey(const QString& serialNo, const QString& stationId,
                                  const QString& userId, const QString& folderId);
    // The key of a log kept per instrument identity only: the first three pieces.
    static QString MakeMessageKey(const QString& serialNo, const QString& stationId,
                                  const QString& userId);

    // True when a held key equals this one, blanks around both ignored.
    bool IsMessageListed(const QString& key) const;
    // Holds the key for the rest of the download, however many keys it brings.
    void AddMessageKey(const QString& key);
    void Clear();
    int Count() const;

  private:
    // The keys without their surrounding blanks, which no comparison counts.
    QSet<QString> keys_;
};

// A record collection that announces a newly downloaded event log once per message key, and
// stores the events of a download together.
template <class T>
class EventCollection : public RecordCollection<T> {
  public:
    // In place of the one-transaction-per-log store: a download brings many small event logs,
    // and a commit for each would cost far more than its row. They are stored in one
    // transaction on one open database, all or nothing: after a failure part-way none is
    // stored, its error says so, and the next download stores them all, each once.
    void UpdateAll(const std::shared_ptr<clsInstrument>& instrument) {
        try {
            LogStore store;
            for (const auto& item : *this) {
                item->SetInstrument(instrument);
                item->Store(store);
            }
            store.Commit();
        } catch (const AppError& e) {
            throw AppError(e.number(), GetMessage(9064, {e.text()}));
        }
    }

  protected:
    void OnClear() override { messageKeys_.Clear(); }
    // Sets the "New Data!" text for a key not yet announced in this download.
    void AnnounceOnce(const QString& key, const QString& logName) {
        if (messageKeys_.IsMessageListed(key)) return;
        this->SetMessageString(GetMessage(2001, {logName}));
        messageKeys_.AddMessageKey(key);
    }

  private:
    MessageKeyList messageKeys_;
};

}  // namespace qv

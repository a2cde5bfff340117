// One store of downloaded logs: the database opened once, one transaction for every log stored
// through it, the repeat check of each table readied once, and what the logs of the store share
// kept for it: their headers' keys, the next row keys, the counts their headers take.
#pragma once

#include "Database.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <cstdint>
#include <memory>

namespace qv {

class clsHeader;

class LogStore {
  public:
    LogStore();
    ~LogStore();
    LogStore(const LogStore&) = delete;
    LogStore& operator=(const LogStore&) = delete;

    // The database of the store: on the first call the file at `path` is opened and the
    // transaction begun. The logs of one store stand or fall together, so they must lie in one
    // file: another path raises AppError. The members below work on it once it is open.
    Database& Open(const QString& path);
    // True the first time a log of the store writes into `table`: its repeat check is readied
    // then, once for the whole store.
    bool FirstInto(const QString& table);

    // The key of the stored header of `header`'s identity (names, folder, user, station, serial
    // number, kind), stored first when there is none. Found once per identity and store: the
    // rows of many logs go under one header.
    int32_t HeaderFor(clsHeader& header);
    // The key of the next row of `table`: the largest stored key + 1 for the store's first row,
    // one more for each further row. Every row the store adds to the table takes its key here.
    int32_t NextKey(const QString& table);
    // Notes `added` rows stored under the header relNo. Its count follows them at the commit: a
    // header the store made counts the rows it added, a stored one adds them to its count.
    // (Counting a long header's rows at every log would cost as much as the rows it holds.)
    void CountAdded(int32_t relNo, int32_t added);

    // Makes every log stored through the store stand; nothing happens when none was opened.
    // Without it, the store's end undoes them all.
    void Commit();

  private:
    std::unique_ptr<Database> db_;
    std::unique_ptr<Database::Transaction> tx_;  // ends before the database closes
    QSet<QString> tables_;
    QHash<QString, int32_t> headers_;
    QHash<QString, int32_t> nextKeys_;
    QHash<int32_t, int32_t> added_;  // rows added under each header
    QSet<int32_t> made_;             // the headers the store made
};

// Stores one log alone, in a transaction of its own.
template <class Log>
void StoreAlone(Log& log) {
    LogStore store;
    log.Store(store);
    store.Commit();
}

}  // namespace qv

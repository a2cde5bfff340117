// One store of downloaded logs: the database opened once, one transaction for every log stored
// through it, and the repeat check of each table readied once.
#pragma once

#include "Database.h"

#include <QSet>
#include <QString>
#include <memory>

namespace qv {

class LogStore {
  public:
    LogStore();
    ~LogStore();
    LogStore(const LogStore&) = delete;
    LogStore& operator=(const LogStore&) = delete;

    // The database of the store: on the first call the file at `path` is opened and the
    // transaction begun. The logs of one store stand or fall together, so they must lie in one
    // file: another path raises AppError.
    Database& Open(const QString& path);
    // True the first time a log of the store writes into `table`: its repeat check is readied
    // then, once for the whole store.
    bool FirstInto(const QString& table);
    // Makes every log stored through the store stand; nothing happens when none was opened.
    // Without it, the store's end undoes them all.
    void Commit();

  private:
    std::unique_ptr<Database> db_;
    std::unique_ptr<Database::Transaction> tx_;  // ends before the database closes
    QSet<QString> tables_;
};

// Stores one log alone, in a transaction of its own.
template <class Log>
void StoreAlone(Log& log) {
    LogStore store;
    log.Store(store);
    store.Commit();
}

}  // namespace qv

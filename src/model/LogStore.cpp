// The shared open database and transaction of a store of downloaded logs.
#include "LogStore.h"

#include "AppError.h"

namespace qv {

LogStore::LogStore() = default;

LogStore::~LogStore() = default;

Database& LogStore::Open(const QString& path) {
    if (!db_) {
        auto db = std::make_unique<Database>(path);
        tx_ = std::make_unique<Database::Transaction>(*db);
        db_ = std::move(db);
    } else if (path != db_->path()) {
        throw AppError(ErrInvalidCall,
                       QStringLiteral("The logs of one download name two database files, %1 "
                                      "and %2; they are stored together or not at all.")
                           .arg(db_->path(), path));
    }
    return *db_;
}

bool LogStore::FirstInto(const QString& table) {
    if (tables_.contains(table)) return false;
    tables_.insert(table);
    return true;
}

void LogStore::Commit() {
    if (tx_) tx_->commit();
}

}  // namespace qv

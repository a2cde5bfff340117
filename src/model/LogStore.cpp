// The shared open database and transaction of a store of downloaded logs.
#include "LogStore.h"

#include "AppError.h"
#include "clsHeader.h"
#include "modDatabase.h"

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

int32_t LogStore::HeaderFor(clsHeader& header) {
    // Fields equal to the letter find the header the probe found for them: a header stored
    // since then has a larger key, and the probe takes the smallest.
    const QString identity =
        QStringList{header.Names(),     header.FolderID(), header.UserId(),
                    header.StationID(), header.SerialNo(), QString::number(header.Types())}
            .join(QChar(0x1F));
    if (const auto known = headers_.constFind(identity); known != headers_.constEnd())
        return *known;
    bool made = false;
    const int32_t key = header.InsertOrFind(*db_, &made);
    if (made) made_.insert(key);
    headers_.insert(identity, key);
    return key;
}

int32_t LogStore::NextKey(const QString& table) {
    auto next = nextKeys_.find(table);
    if (next == nextKeys_.end()) next = nextKeys_.insert(table, NextSeqNo(*db_, table));
    return (*next)++;
}

void LogStore::CountAdded(int32_t relNo, int32_t added) {
    added_[relNo] += added;
}

void LogStore::Commit() {
    if (!tx_) return;
    for (auto c = added_.constBegin(); c != added_.constEnd(); ++c) {
        if (made_.contains(c.key()))
            db_->execute(QStringLiteral("Update Log_Head Set Dcount=? Where SeqNo=?;"),
                         {c.value(), c.key()});
        else if (c.value() != 0)
            db_->execute(
                QStringLiteral("Update Log_Head Set Dcount=Coalesce(Dcount,0)+? Where SeqNo=?;"),
                {c.value(), c.key()});
    }
    added_.clear();
    tx_->commit();
}

}  // namespace qv

// The database file: its ten tables, its creation, and the key rule every writer follows.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>

namespace qv {

class Database;

// The ten CREATE TABLE statements, in creation order.
QStringList CreateTableStatements();

// The indexes on the child tables' RelNo and on the header's kind: they speed the loading and
// deleting of one log and the stored-data tree, and change no stored meaning.
QStringList CreateIndexStatements();
// Creates the indexes a database lacks (a file made before they existed gets them at start-up).
void EnsureIndexes(Database& db);

// Deletes, in one transaction, the gas rows whose header is gone (deleting a log once left
// them behind): a header later handed the same key would read them as its own. Returns the
// number of rows deleted.
int RemoveOrphanGasRows(Database& db);

// Creates an empty database with all ten tables when no file exists at `path`; an existing
// file is left untouched. The file appears whole or not at all: it is built under a temporary
// name and renamed into place, so a failing statement leaves nothing that would block the
// next start. Failures raise AppError.
void MakeDatabase(const QString& path);

// The next key of a table: the largest SeqNo plus 1, or 1 for an empty table.
int32_t NextSeqNo(Database& db, const QString& table);

// True when a regular file exists at the path.
bool FileExists(const QString& path);

}  // namespace qv

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

// The tables whose rows a later download adds to a stored header only when no row of the same
// moment (and gas number) is stored under it yet.
QStringList RepeatCheckedTables();
// The index on the columns that repeat check compares, so that it costs one lookup per row
// however many rows the header holds. Made with a new file; a file made before it existed gets
// it when the program first stores into that table, never when the file is only read.
// True when it made the index.
bool EnsureRepeatIndex(Database& db, const QString& table);

// Deletes, in one transaction, the gas rows whose header is gone (deleting a log once left
// them behind): a header later handed the same key would read them as its own. Returns the
// number of rows deleted.
int RemoveOrphanGasRows(Database& db);

// Creates an empty database with all ten tables when no file exists at `path`; an existing
// file is left untouched. The file appears whole or not at all: it is built under a temporary
// name and renamed into place, so a failing statement leaves nothing that would block the
// next start. Failures raise AppError.
void MakeDatabase(const QString& path);

// What a check of the database file found.
enum class DatabaseFileState {
    Usable,    // a database of this program that can be written
    Damaged,   // truncated, not a database, or a database without this program's tables
    InUse,     // another program holds it
    NoAccess,  // missing, unreadable or not writable
};
// Checks the file at `path` without changing it: it opens as a database, holds all ten tables,
// and takes a write (tried in a transaction that is rolled back).
DatabaseFileState CheckDatabaseFile(const QString& path);

// The next key of a table: the largest SeqNo plus 1, or 1 for an empty table.
int32_t NextSeqNo(Database& db, const QString& table);

// True when a regular file exists at the path.
bool FileExists(const QString& path);

}  // namespace qv

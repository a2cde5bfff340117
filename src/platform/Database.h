// Our layer over the database engine (SQLite through SQLiteCpp): opens an existing file only,
// runs statements with bound parameters, gives rows whose fields are found by case-blind name
// with a Null distinct from 0 and "", and offers a transaction scope that rolls back on error.
#pragma once

#include <QDateTime>
#include <QString>
#include <QVariant>
#include <QVariantList>
#include <algorithm>
#include <limits>
#include <memory>
#include <vector>

namespace SQLite {
class Database;
class Statement;
}  // namespace SQLite

namespace qv {

// One row of a query result.
class DbRow {
  public:
    struct Columns;
    DbRow(std::shared_ptr<const Columns> columns, std::vector<QVariant> values);

    // The field under a column name (case-blind); a name the row lacks raises error 3265.
    const QVariant& value(const QString& name) const;
    bool isNull(const QString& name) const { return value(name).isNull(); }
    // Typed reads with the caller's replacement for Null. A value that is not of the kind
    // asked for (a number column holding "abc" or "1,5", a date that is not ISO text) was not
    // stored as one: a number or flag reads as the replacement, a date as no date (an invalid
    // QDateTime), never as 0 or a stand-in date.
    double toDouble(const QString& name, double ifNull) const;
    qint64 toLong(const QString& name, qint64 ifNull) const;
    QString toText(const QString& name, const QString& ifNull) const;
    QDateTime toDate(const QString& name, const QDateTime& ifNull) const;
    bool toBool(const QString& name, bool ifNull) const;
    int columnCount() const { return static_cast<int>(values_.size()); }

  private:
    std::shared_ptr<const Columns> columns_;
    std::vector<QVariant> values_;
};

// A stored whole number read into a narrower field: a value the column should never hold is
// clamped to the field's range rather than wrapped.
template <class T>
T ClampedTo(qint64 v) {
    return static_cast<T>(
        std::clamp<qint64>(v, std::numeric_limits<T>::min(), std::numeric_limits<T>::max()));
}

class Database {
  public:
    // Opens an existing database file for reading and writing. A missing file, a file that is
    // not a database or one that cannot be opened raises AppError; nothing is ever created.
    explicit Database(const QString& path);
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Creates a new, empty database file; raises AppError when a file exists at the path.
    static std::unique_ptr<Database> CreateNew(const QString& path);

    // Runs one action statement with bound values; returns the number of rows changed.
    int execute(const QString& sql, const QVariantList& params = {});
    // Runs a SELECT and returns every row.
    std::vector<DbRow> query(const QString& sql, const QVariantList& params = {});
    // The first field of the first row, or a Null QVariant when there is no row.
    QVariant scalar(const QString& sql, const QVariantList& params = {});

    const QString& path() const { return path_; }

    // A transaction that rolls back unless commit() was called.
    class Transaction {
      public:
        explicit Transaction(Database& db);
        ~Transaction();
        void commit();
        Transaction(const Transaction&) = delete;
        Transaction& operator=(const Transaction&) = delete;

      private:
        Database& db_;
        bool done_ = false;
    };

  private:
    struct CreateTag {};
    Database(const QString& path, CreateTag);
    SQLite::Statement& prepare(const QString& sql, const QVariantList& params);

    QString path_;
    std::unique_ptr<SQLite::Database> db_;
    struct Cache;
    std::unique_ptr<Cache> cache_;
};

}  // namespace qv

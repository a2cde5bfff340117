// SQLite behind the engine operations the record code calls; every value is bound, never joined.
#include "Database.h"

#include "AppError.h"
#include "Dates.h"
#include "PlatformText.h"
#include "Runtime.h"

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Exception.h>
#include <SQLiteCpp/Statement.h>
#include <sqlite3.h>

#include <QFileInfo>
#include <QHash>
#include <cmath>
#include <optional>
#include <unordered_map>

namespace qv {

struct DbRow::Columns {
    std::vector<QString> names;
    // Callers name columns as the schema spells them, so an exact-case hash finds them at
    // once; a name in another case falls back to a case-blind scan.
    QHash<QString, int> exact;
};

namespace {

[[noreturn]] void Raise(const SQLite::Exception& e, const QString& context, const QString& path) {
    const int code = e.getErrorCode() > 0 ? e.getErrorCode() : 1;
    // The engine's own words for a file that another program holds mean nothing to a user.
    if ((code & 0xFF) == SQLITE_BUSY)
        throw AppError(ErrDatabase + code,
                       PlatformText(TextDatabaseInUse, {path},
                                    QStringLiteral("The database file %1 is in use by another "
                                                   "program.\r\nClose that program and try "
                                                   "again.")));
    throw AppError(ErrDatabase + code,
                   QStringLiteral("%1: %2").arg(context, QString::fromUtf8(e.what())));
}

void Bind(SQLite::Statement& st, int index, const QVariant& v) {
    if (v.isNull() || !v.isValid()) {
        st.bind(index);
        return;
    }
    switch (v.typeId()) {
        case QMetaType::Bool:
            st.bind(index, v.toBool() ? 1 : 0);
            break;
        case QMetaType::Int:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::UInt:
        case QMetaType::Long:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
            st.bind(index, static_cast<int64_t>(v.toLongLong()));
            break;
        case QMetaType::Float:
        case QMetaType::Double:
            st.bind(index, v.toDouble());
            break;
        case QMetaType::QDateTime:
            st.bind(index, rt::IsoText(v.toDateTime()).toStdString());
            break;
        default:
            st.bind(index, v.toString().toStdString());
            break;
    }
}

QVariant Read(SQLite::Statement& st, int column) {
    const SQLite::Column c = st.getColumn(column);
    switch (c.getType()) {
        case SQLITE_INTEGER:
            return QVariant(static_cast<qlonglong>(c.getInt64()));
        case SQLITE_FLOAT:
            return QVariant(c.getDouble());
        case SQLITE_TEXT:
            return QVariant(QString::fromUtf8(c.getText(), c.getBytes()));
        case SQLITE_BLOB:
            return QVariant(QByteArray(static_cast<const char*>(c.getBlob()), c.getBytes()));
        default:
            return QVariant();
    }
}

}  // namespace

DbRow::DbRow(std::shared_ptr<const Columns> columns, std::vector<QVariant> values)
    : columns_(std::move(columns)), values_(std::move(values)) {}

const QVariant& DbRow::value(const QString& name) const {
    const auto hit = columns_->exact.constFind(name);
    if (hit != columns_->exact.constEnd()) return values_[static_cast<size_t>(*hit)];
    const auto& names = columns_->names;
    for (size_t i = 0; i < names.size(); ++i)
        if (names[i].compare(name, Qt::CaseInsensitive) == 0) return values_[i];
    throw AppError(3265, QStringLiteral("Item not found in this collection: ") + name);
}

namespace {

// A stored number: an integer or a real as it is, a text only when it is a plain decimal.
// Anything else (a text such as "abc" or "1,5", a blob) is not a number that was stored.
std::optional<double> StoredNumber(const QVariant& v) {
    switch (v.typeId()) {
        case QMetaType::LongLong:
        case QMetaType::Double:
            return v.toDouble();
        case QMetaType::QString: {
            const QString text = v.toString();
            if (rt::IsNumeric(text)) return rt::ToDouble(text);
            return std::nullopt;
        }
        default:
            return std::nullopt;
    }
}

}  // namespace

double DbRow::toDouble(const QString& name, double ifNull) const {
    const QVariant& v = value(name);
    if (v.isNull()) return ifNull;
    return StoredNumber(v).value_or(ifNull);
}

qint64 DbRow::toLong(const QString& name, qint64 ifNull) const {
    const QVariant& v = value(name);
    if (v.isNull()) return ifNull;
    if (v.typeId() == QMetaType::LongLong) return v.toLongLong();
    if (v.typeId() == QMetaType::Double) return v.toLongLong();
    const std::optional<double> number = StoredNumber(v);
    if (!number) return ifNull;
    // A whole number written as text; a fraction rounds half to even.
    const double r = std::nearbyint(*number);
    if (!(r > -9.2e18 && r < 9.2e18)) return ifNull;
    return static_cast<qint64>(r);
}

QString DbRow::toText(const QString& name, const QString& ifNull) const {
    const QVariant& v = value(name);
    return v.isNull() ? ifNull : v.toString();
}

QDateTime DbRow::toDate(const QString& name, const QDateTime& ifNull) const {
    const QVariant& v = value(name);
    if (v.isNull()) return ifNull;
    // Dates are stored as ISO text; anything else is no date rather than a stand-in.
    if (v.typeId() != QMetaType::QString) return QDateTime();
    return rt::FromIsoText(v.toString());
}

bool DbRow::toBool(const QString& name, bool ifNull) const {
    const QVariant& v = value(name);
    if (v.isNull()) return ifNull;
    if (v.typeId() == QMetaType::QString) {
        const QString s = v.toString().trimmed().toUpper();
        if (s == QLatin1String("TRUE")) return true;
        if (s == QLatin1String("FALSE")) return false;
        const std::optional<double> number = StoredNumber(v);
        return number ? *number != 0 : ifNull;
    }
    if (v.typeId() == QMetaType::QByteArray) return ifNull;
    return v.toLongLong() != 0;
}

struct Database::Cache {
    std::unordered_map<std::string, std::unique_ptr<SQLite::Statement>> statements;
};

Database::Database(const QString& path) : path_(path), cache_(std::make_unique<Cache>()) {
    const QFileInfo info(path);
    if (!info.exists() || !info.isFile())
        throw AppError(ErrFileNotFound, QStringLiteral("Database file not found: ") + path);
    try {
        // Each connection lives on one thread, so the engine's per-call locking is not needed.
        db_ = std::make_unique<SQLite::Database>(
            path.toStdString(), SQLite::OPEN_READWRITE | SQLite::OPEN_NOMUTEX, 5000);
        // Reading the schema proves the file is a database and not some other file.
        db_->exec("PRAGMA schema_version;");
    } catch (const SQLite::Exception& e) {
        Raise(e, QStringLiteral("Cannot open database ") + path, path);
    }
}

Database::Database(const QString& path, CreateTag)
    : path_(path), cache_(std::make_unique<Cache>()) {
    if (QFileInfo::exists(path))
        throw AppError(ErrFileExists, QStringLiteral("File already exists: ") + path);
    try {
        db_ = std::make_unique<SQLite::Database>(
            path.toStdString(), SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE | SQLite::OPEN_NOMUTEX,
            5000);
        db_->exec("PRAGMA schema_version;");
    } catch (const SQLite::Exception& e) {
        Raise(e, QStringLiteral("Cannot create database ") + path, path);
    }
}

Database::~Database() {
    cache_.reset();  // statements must be finalised before the connection closes
    db_.reset();
}

std::unique_ptr<Database> Database::CreateNew(const QString& path) {
    return std::unique_ptr<Database>(new Database(path, CreateTag{}));
}

SQLite::Statement& Database::prepare(const QString& sql, const QVariantList& params) {
    const std::string text = sql.toStdString();
    auto it = cache_->statements.find(text);
    if (it == cache_->statements.end())
        it =
            cache_->statements.emplace(text, std::make_unique<SQLite::Statement>(*db_, text)).first;
    SQLite::Statement& st = *it->second;
    st.reset();
    st.clearBindings();
    if (params.size() != st.getBindParameterCount())
        throw AppError(ErrDatabase + SQLITE_RANGE,
                       QStringLiteral("Statement expects %1 values, %2 given: %3")
                           .arg(st.getBindParameterCount())
                           .arg(params.size())
                           .arg(sql));
    for (int i = 0; i < params.size(); ++i)
        Bind(st, i + 1, params[i]);
    return st;
}

int Database::execute(const QString& sql, const QVariantList& params) {
    try {
        SQLite::Statement& st = prepare(sql, params);
        const int changed = st.exec();
        st.reset();
        return changed;
    } catch (const SQLite::Exception& e) {
        Raise(e, sql, path_);
    }
}

std::vector<DbRow> Database::query(const QString& sql, const QVariantList& params) {
    try {
        SQLite::Statement& st = prepare(sql, params);
        auto columns = std::make_shared<DbRow::Columns>();
        const int n = st.getColumnCount();
        for (int i = 0; i < n; ++i) {
            columns->names.push_back(QString::fromUtf8(st.getColumnName(i)));
            if (!columns->exact.contains(columns->names.back()))  // the first of equal names wins
                columns->exact.insert(columns->names.back(), i);
        }
        std::vector<DbRow> rows;
        while (st.executeStep()) {
            std::vector<QVariant> values;
            values.reserve(static_cast<size_t>(n));
            for (int i = 0; i < n; ++i)
                values.push_back(Read(st, i));
            rows.emplace_back(columns, std::move(values));
        }
        st.reset();
        return rows;
    } catch (const SQLite::Exception& e) {
        Raise(e, sql, path_);
    }
}

QVariant Database::scalar(const QString& sql, const QVariantList& params) {
    try {
        SQLite::Statement& st = prepare(sql, params);
        QVariant v;
        if (st.executeStep() && st.getColumnCount() > 0) v = Read(st, 0);
        st.reset();
        return v;
    } catch (const SQLite::Exception& e) {
        Raise(e, sql, path_);
    }
}

Database::Transaction::Transaction(Database& db) : db_(db) {
    db_.execute(QStringLiteral("BEGIN IMMEDIATE"));
}

Database::Transaction::~Transaction() {
    if (!done_) {
        try {
            db_.execute(QStringLiteral("ROLLBACK"));
        } catch (...) {
            // The engine has already rolled back when the failure ended the transaction.
        }
    }
}

void Database::Transaction::commit() {
    db_.execute(QStringLiteral("COMMIT"));
    done_ = true;
}

}  // namespace qv

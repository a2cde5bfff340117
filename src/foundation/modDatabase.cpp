// Database creation and the next-key rule.
#include "modDatabase.h"

#include "AppError.h"
#include "Database.h"
#include "Runtime.h"

#include <QFile>
#include <QFileInfo>
#include <QUuid>

namespace qv {

namespace {

const QString kKey = QStringLiteral("SeqNo Integer CONSTRAINT SeqNoKey PRIMARY KEY,");
// Identity texts compare without regard to case.
const QString kIdentity = QStringLiteral(
    "UserID Varchar(20) COLLATE NOCASE,StationID Varchar(20) COLLATE NOCASE,"
    "SerialNo Varchar(20) COLLATE NOCASE,");

// The columns of one gas group, repeated for gases 1 to 5 with the number changed.
QString GasGroups(const QString& gas1Group) {
    QStringList groups;
    for (int g = 1; g <= 5; ++g)
        groups << QString(gas1Group).replace(QStringLiteral("Gas1"),
                                             QStringLiteral("Gas%1").arg(g));
    return groups.join(u',');
}

}  // namespace

QStringList CreateTableStatements() {
    auto table = [](const QString& name, const QString& columns) {
        return QStringLiteral("Create Table ") + name + QStringLiteral(" (") + kKey + columns +
               QStringLiteral(");");
    };
    QStringList s;
    s << table(QStringLiteral("Log_head"),
               QStringLiteral("Names Varchar(40) COLLATE NOCASE,") + kIdentity +
                   QStringLiteral("RomNum Integer,Types Integer,Dcount Integer,"
                                  "FolderID Varchar(10) COLLATE NOCASE,Dates Date,"
                                  "Interval Integer,CalLimit Integer"));
    s << table(
        QStringLiteral("Gas_List"),
        QStringLiteral("RelNo Integer,GasNo Integer,gName Varchar(4),gFull Float,gDesit Float,"
                       "gEnable YesNo,gPoint Integer,gUnit Varchar(5),gWarn Float,gAlarm Float,"
                       "gStel Float,gTwa Float,gAvr Float,gMax Float,gMin Float,gMaxDate Date,"
                       "gMinDate Date,gAutoCal Float,gCalDate Date,gBefore Float,gAfter Float"));
    s << table(
        QStringLiteral("Interval_Data"),
        QStringLiteral("RelNo Integer,Datetimes Date,") +
            GasGroups(QStringLiteral(
                "Gas1Value Float,Gas1NowEv Integer,Gas1NowCl Integer,Gas1EventOffset Integer")));
    s << table(QStringLiteral("Interval_Event"),
               QStringLiteral("RelNo Integer,Datetimes Date,Gas1Event Integer,Gas2Event Integer,"
                              "Gas3Event Integer,Gas4Event Integer,Gas5Event Integer"));
    s << table(QStringLiteral("Alarm_Data"),
               QStringLiteral("RelNo Integer,Datetimes Date,Gas1Value Float,Gas2Value Float,"
                              "Gas3Value Float,Gas4Value Float,Gas5Value Float"));
    s << table(
        QStringLiteral("cHistory"),
        QStringLiteral("RelNo Integer,") + kIdentity +
            QStringLiteral("WriteDates Date,Dates Date,CalLimit Integer,") +
            GasGroups(QStringLiteral("Gas1Name Varchar(4),Gas1Desit Float,Gas1Point Integer,"
                                     "Gas1Unit Varchar(5),Gas1Enable YesNo,Gas1AutoCal Integer,"
                                     "Gas1Before Float,Gas1After Float")));
    s << table(
        QStringLiteral("cLatestHist"),
        kIdentity + QStringLiteral("WriteDates Date,CalLimit Integer,") +
            GasGroups(QStringLiteral("Gas1Name Varchar(4),Gas1Desit Float,Gas1Point Integer,"
                                     "Gas1Unit Varchar(5),Gas1Enable YesNo,Gas1AutoCal Float,"
                                     "Gas1CalDate Date,Gas1Before Float,Gas1After Float")));
    const QString eventColumns = QStringLiteral(
        "RelNo Integer,GasNo Integer,GasName VarChar(4),Alarm_Type Integer,Dates Date,NowEv "
        "Integer,"
        "NowCl Integer");
    s << table(QStringLiteral("Alarm_Event"), eventColumns);
    s << table(QStringLiteral("Trouble_Event"), eventColumns);
    s << table(QStringLiteral("Power_Event"),
               QStringLiteral("RelNo Integer,Dates Date,Power_Type YesNo"));
    return s;
}

QStringList CreateIndexStatements() {
    QStringList s;
    for (const char* table : {"Gas_List", "Interval_Data", "Interval_Event", "Alarm_Data",
                              "cHistory", "Alarm_Event", "Trouble_Event", "Power_Event"}) {
        const QString name = QString::fromLatin1(table);
        s << QStringLiteral("Create Index If Not Exists %1RelNo On %1 (RelNo);").arg(name);
    }
    s << QStringLiteral("Create Index If Not Exists Log_headTypes On Log_head (Types);");
    return s;
}

namespace {

// The columns each repeat check compares, the header's key first.
const QList<std::pair<QString, QString>>& RepeatColumns() {
    static const QList<std::pair<QString, QString>> columns{
        {QStringLiteral("Alarm_Event"), QStringLiteral("RelNo, GasNo, Dates")},
        {QStringLiteral("Trouble_Event"), QStringLiteral("RelNo, GasNo, Dates")},
        {QStringLiteral("Power_Event"), QStringLiteral("RelNo, Dates")},
        {QStringLiteral("cHistory"), QStringLiteral("RelNo, Dates")},
    };
    return columns;
}

QString RepeatIndexName(const QString& table) {
    return table + QStringLiteral("Repeat");
}

QString CreateRepeatIndexStatement(const QString& table) {
    for (const auto& [name, columns] : RepeatColumns())
        if (name == table)
            return QStringLiteral("Create Index If Not Exists %1 On %2 (%3);")
                .arg(RepeatIndexName(name), name, columns);
    throw AppError(ErrInvalidCall, QStringLiteral("No repeat check on the table ") + table);
}

}  // namespace

QStringList RepeatCheckedTables() {
    QStringList tables;
    for (const auto& [table, columns] : RepeatColumns())
        tables << table;
    return tables;
}

bool EnsureRepeatIndex(Database& db, const QString& table) {
    const QString statement = CreateRepeatIndexStatement(table);
    if (!db.scalar(QStringLiteral("Select 1 From sqlite_master Where type='index' And name=?;"),
                   {RepeatIndexName(table)})
             .isNull())
        return false;
    db.execute(statement);
    return true;
}

void EnsureIndexes(Database& db) {
    Database::Transaction tx(db);
    for (const QString& statement : CreateIndexStatements())
        db.execute(statement);
    tx.commit();
}

int RemoveOrphanGasRows(Database& db) {
    Database::Transaction tx(db);
    const int removed = db.execute(QStringLiteral(
        "Delete From Gas_List Where RelNo Is Null Or RelNo Not In (Select SeqNo From Log_head);"));
    tx.commit();
    return removed;
}

bool FileExists(const QString& path) {
    const QFileInfo info(path);
    return info.exists() && info.isFile();
}

void MakeDatabase(const QString& path) {
    if (QFileInfo::exists(path)) return;
    const QFileInfo target(path);
    const QString temp = target.absolutePath() + QStringLiteral("/.") + target.fileName() +
                         QStringLiteral(".") + QUuid::createUuid().toString(QUuid::Id128) +
                         QStringLiteral(".tmp");
    try {
        {
            auto db = Database::CreateNew(temp);
            Database::Transaction tx(*db);
            for (const QString& statement : CreateTableStatements())
                db->execute(statement);
            for (const QString& statement : CreateIndexStatements())
                db->execute(statement);
            for (const QString& table : RepeatCheckedTables())
                EnsureRepeatIndex(*db, table);
            tx.commit();
        }
        QFile::remove(temp + QStringLiteral("-journal"));
        if (!QFile::rename(temp, path)) {
            QFile::remove(temp);
            if (QFileInfo::exists(path)) return;  // another copy made it meanwhile
            throw AppError(ErrPermission, QStringLiteral("Cannot create ") + path);
        }
    } catch (...) {
        QFile::remove(temp);
        QFile::remove(temp + QStringLiteral("-journal"));
        throw;
    }
}

DatabaseFileState CheckDatabaseFile(const QString& path) {
    // The engine's result codes that tell a damaged file and a file held by another program.
    constexpr int kBusy = 5, kCorrupt = 11, kNotADatabase = 26;
    try {
        Database db(path);
        QStringList present;
        for (const DbRow& row :
             db.query(QStringLiteral("Select name From sqlite_master Where type = 'table'")))
            present << row.toText(QStringLiteral("name"), QString());
        for (const QString& statement : CreateTableStatements())
            if (!present.contains(statement.section(u' ', 2, 2), Qt::CaseInsensitive))
                return DatabaseFileState::Damaged;
        // A file that can be read but not written would fail only when a download is stored.
        Database::Transaction probe(db);
        db.execute(QStringLiteral("Create Table WriteProbe (x Integer)"));
        return DatabaseFileState::Usable;  // the probe is rolled back
    } catch (const AppError& e) {
        switch (e.number() - ErrDatabase) {
            case kCorrupt:
            case kNotADatabase:
                return DatabaseFileState::Damaged;
            case kBusy:
                return DatabaseFileState::InUse;
            default:
                return DatabaseFileState::NoAccess;
        }
    }
}

int32_t NextSeqNo(Database& db, const QString& table) {
    const QVariant max = db.scalar(QStringLiteral("Select Max(SeqNo) As MaxSeq From ") + table +
                                   QStringLiteral(";"));
    if (max.isNull()) return 1;
    return rt::CLng(static_cast<double>(max.toLongLong()) + 1.0);
}

}  // namespace qv

// Creation of the database file and the next-key rule.
#include <gtest/gtest.h>

#include "AppError.h"
#include "Database.h"
#include "modDatabase.h"
#include "modMessage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

using namespace qv;

TEST(DatabaseFile, CreatesTenEmptyTables) {
    QTemporaryDir dir;
    const QString path = dir.filePath("QV4170.mdb");
    MakeDatabase(path);
    Database db(path);
    const QStringList tables = {"Log_head",      "Gas_List",   "Interval_Data", "Interval_Event",
                                "Alarm_Data",    "cHistory",   "cLatestHist",   "Alarm_Event",
                                "Trouble_Event", "Power_Event"};
    for (const QString& t : tables) {
        EXPECT_EQ(db.scalar("Select Count(*) From " + t).toInt(), 0) << t.toStdString();
        EXPECT_EQ(NextSeqNo(db, t), 1);
    }
    EXPECT_EQ(db.scalar("Select Count(*) From sqlite_master Where type='table'").toInt(), 10);
    // Column counts as the statements define them.
    auto columns = [&](const QString& t) {
        return db.scalar("Select Count(*) From pragma_table_info('" + t + "')").toInt();
    };
    EXPECT_EQ(columns("Interval_Data"), 23);
    EXPECT_EQ(columns("cHistory"), 48);
    EXPECT_EQ(columns("cLatestHist"), 51);
    EXPECT_EQ(columns("Gas_List"), 22);
    EXPECT_EQ(db.scalar("Select type From pragma_table_info('cHistory') Where name='Gas3AutoCal'")
                  .toString()
                  .toLower(),
              "integer");
    EXPECT_EQ(
        db.scalar("Select type From pragma_table_info('cLatestHist') Where name='Gas3AutoCal'")
            .toString()
            .toLower(),
        "float");
    for (const QString& s : CreateTableStatements())
        EXPECT_TRUE(s.contains("SeqNo Integer CONSTRAINT SeqNoKey PRIMARY KEY,"));
    // Only the database itself is left in the folder.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

TEST(DatabaseFile, LeavesAnExistingFileUntouched) {
    QTemporaryDir dir;
    const QString path = dir.filePath("QV4170.mdb");
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("foreign");
    f.close();
    MakeDatabase(path);
    QFile again(path);
    ASSERT_TRUE(again.open(QIODevice::ReadOnly));
    EXPECT_EQ(again.readAll(), QByteArray("foreign"));
}

TEST(DatabaseFile, AMissingFolderFailsWithoutLeavingAFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath("no/such/folder/QV4170.mdb");
    EXPECT_THROW(MakeDatabase(path), AppError);
    EXPECT_FALSE(QFileInfo::exists(path));
}

TEST(DatabaseFile, NextKeyFollowsTheLargestKey) {
    QTemporaryDir dir;
    const QString path = dir.filePath("QV4170.mdb");
    MakeDatabase(path);
    Database db(path);
    db.execute("Insert Into Power_Event(SeqNo,RelNo) Values (?,?)", {5, 1});
    EXPECT_EQ(NextSeqNo(db, "Power_Event"), 6);
    EXPECT_EQ(NextSeqNo(db, "power_event"), 6);
}

namespace {
QByteArray Bytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}
void Write(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}
}  // namespace

TEST(DatabaseFile, TheCheckTellsADamagedOrForeignFileFromOneThatCannotBeReached) {
    QTemporaryDir dir;
    const QString path = dir.filePath("QV4170.mdb");
    MakeDatabase(path);
    {
        Database db(path);
        Database::Transaction tx(db);
        for (int i = 1; i <= 400; ++i)
            db.execute("Insert Into Power_Event(SeqNo,RelNo,Dates) Values (?,?,?)",
                       {i, 1, QString(200, u'x')});
        tx.commit();
    }
    const QByteArray whole = Bytes(path);
    EXPECT_EQ(CheckDatabaseFile(path), DatabaseFileState::Usable);
    EXPECT_EQ(Bytes(path), whole);  // the write probe leaves nothing

    const auto damaged = [&](const QByteArray& content, const char* what) {
        Write(path, content);
        EXPECT_EQ(CheckDatabaseFile(path), DatabaseFileState::Damaged) << what;
        EXPECT_EQ(Bytes(path), content) << what;
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"QV4170.mdb"})
            << what;
    };
    damaged(whole.left(whole.size() / 2), "truncated");
    damaged(whole.left(60), "cut inside its header");
    damaged("Standard Jet DB, not ours", "not a database");
    damaged(QByteArray(), "empty");

    // A database that lacks one of the tables.
    Write(path, whole);
    Database(path).execute("Drop Table Trouble_Event");
    const QByteArray lacking = Bytes(path);
    damaged(lacking, "a table missing");

    // A folder of that name, or no file at all, is a place that cannot be used.
    QFile::remove(path);
    EXPECT_EQ(CheckDatabaseFile(path), DatabaseFileState::NoAccess);
    ASSERT_TRUE(QDir(dir.path()).mkdir("QV4170.mdb"));
    EXPECT_EQ(CheckDatabaseFile(path), DatabaseFileState::NoAccess);
}

TEST(DatabaseFile, AFileHeldByAnotherProgramIsToldInPlainWords) {
    QTemporaryDir dir;
    const QString path = dir.filePath("QV4170.mdb");
    MakeDatabase(path);
    Database holder(path);
    Database::Transaction held(holder);
    Database db(path);
    db.scalar("PRAGMA busy_timeout = 0");  // no wait for the other program here
    SetCatalogueLanguage(CatalogueLanguage::Japanese);
    try {
        db.execute("Insert Into Power_Event(SeqNo,RelNo) Values (1,1)");
        ADD_FAILURE() << "a write to a held file must fail";
    } catch (const AppError& e) {
        EXPECT_EQ(e.text(), GetMessage(9002, {path}));
        EXPECT_FALSE(e.text().contains("locked")) << e.text().toStdString();
    }
    SetCatalogueLanguage(CatalogueLanguage::English);
    try {
        db.execute("Delete From Power_Event");
        ADD_FAILURE() << "a write to a held file must fail";
    } catch (const AppError& e) {
        EXPECT_EQ(e.text(), "The database file " + path +
                                " is in use by another program.\r\nClose that program and try "
                                "again.");
    }
    FollowSystemLanguage();
}

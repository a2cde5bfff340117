// The database layer: existing files only, bound values, case-blind fields, Null, transactions.
#include <gtest/gtest.h>

#include "AppError.h"
#include "Database.h"
#include "Dates.h"

#include <QFile>
#include <QTemporaryDir>

using namespace qv;

namespace {

class DatabaseTest : public ::testing::Test {
  protected:
    void SetUp() override {
        path = dir.filePath("t.db");
        auto db = Database::CreateNew(path);
        db->execute(
            "Create Table T (SeqNo Integer CONSTRAINT SeqNoKey PRIMARY KEY,Name Varchar(20),"
            "V Float,D Date,B YesNo)");
    }
    QTemporaryDir dir;
    QString path;
};

}  // namespace

TEST_F(DatabaseTest, NeverCreatesAFileByAccident) {
    const QString missing = dir.filePath("missing.db");
    EXPECT_THROW(Database db(missing), AppError);
    EXPECT_FALSE(QFile::exists(missing));
    EXPECT_THROW(Database::CreateNew(path), AppError);  // exists already
}

TEST_F(DatabaseTest, RefusesAForeignFile) {
    const QString foreign = dir.filePath("foreign.mdb");
    QFile f(foreign);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("Standard Jet DB\0\0\0 this is not an SQLite file at all, just bytes", 64);
    f.close();
    EXPECT_THROW(Database db(foreign), AppError);
    QFile again(foreign);
    ASSERT_TRUE(again.open(QIODevice::ReadOnly));
    EXPECT_TRUE(again.readAll().startsWith("Standard Jet DB"));
}

TEST_F(DatabaseTest, BindsValuesAndReadsFieldsByCaseBlindName) {
    Database db(path);
    const QDateTime when = rt::MakeDate(2014, 8, 8, 12, 30, 0);
    db.execute("Insert Into T(SeqNo,Name,V,D,B) Values (?,?,?,?,?)",
               {1, QStringLiteral("O'Brien'); Delete From T;--"), 0.5, when, true});
    db.execute("Insert Into T(SeqNo,Name,V,D,B) Values (?,?,?,?,?)",
               {2, QString(""), 0, QVariant(), false});
    db.execute("Insert Into T(SeqNo) Values (?)", {3});
    const auto rows = db.query("Select * From t Order By SeqNo");
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].toText("NAME", "?"), "O'Brien'); Delete From T;--");
    EXPECT_DOUBLE_EQ(rows[0].toDouble("v", -1), 0.5);
    EXPECT_EQ(rows[0].toDate("d", QDateTime()), when);
    EXPECT_EQ(rows[0].value("D").toString(), "2014-08-08 12:30:00");
    EXPECT_TRUE(rows[0].toBool("b", false));
    // Null is distinct from 0 and from the empty text.
    EXPECT_FALSE(rows[1].isNull("Name"));
    EXPECT_EQ(rows[1].toText("Name", "null"), "");
    EXPECT_FALSE(rows[1].isNull("V"));
    EXPECT_TRUE(rows[1].isNull("D"));
    EXPECT_TRUE(rows[2].isNull("Name"));
    EXPECT_TRUE(rows[2].isNull("V"));
    EXPECT_EQ(rows[2].toDouble("V", -1), -1);
    EXPECT_THROW(rows[0].value("NoSuchColumn"), AppError);
    EXPECT_TRUE(db.scalar("Select Max(SeqNo) From T Where SeqNo > 9").isNull());
}

TEST_F(DatabaseTest, ValuesNotOfTheirColumnsKindReadAsNothingStored) {
    Database db(path);
    const QString insert = "Insert Into T(SeqNo,Name,V,D,B) Values (?,?,?,?,?)";
    db.execute(insert, {1, " 12.5 ", "abc", "yesterday", "abc"});
    db.execute(insert, {2, "13.5", "1,5", 41000.5, "\x01"});
    db.execute(insert, {3, "x", "12abc", "2014-08-08T12:30:00", "FALSE"});
    db.execute(insert, {4, "", 2.5, "2014-13-01 00:00:00", "7"});
    const auto rows = db.query("Select * From T Order By SeqNo");
    ASSERT_EQ(rows.size(), 4u);
    // A number column holding text is no reading: the caller's "no data", never 0.
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(rows[i].toDouble("V", -1), -1) << i;
        EXPECT_EQ(rows[i].toLong("V", -7), -7) << i;
    }
    EXPECT_DOUBLE_EQ(rows[3].toDouble("V", -1), 2.5);
    // A plain decimal written as text is a number; a fraction rounds to even.
    EXPECT_DOUBLE_EQ(rows[0].toDouble("Name", -1), 12.5);
    EXPECT_EQ(rows[0].toLong("Name", -7), 12);
    EXPECT_EQ(rows[1].toLong("Name", -7), 14);
    EXPECT_EQ(rows[3].toDouble("Name", -1), -1);
    // A date that is not ISO text is no date, not the caller's stand-in for Null.
    const QDateTime stand = rt::MakeDate(2000, 1, 1);
    EXPECT_FALSE(rows[0].toDate("D", stand).isValid());
    EXPECT_FALSE(rows[1].toDate("D", stand).isValid());
    EXPECT_FALSE(rows[3].toDate("D", stand).isValid());
    EXPECT_EQ(rows[2].toDate("D", stand), rt::MakeDate(2014, 8, 8, 12, 30, 0));
    // A flag that reads as neither is the caller's value for none.
    EXPECT_TRUE(rows[0].toBool("B", true));
    EXPECT_TRUE(rows[1].toBool("B", true));
    EXPECT_FALSE(rows[2].toBool("B", true));
    EXPECT_TRUE(rows[3].toBool("B", false));
}

TEST_F(DatabaseTest, TransactionRollsBackUnlessCommitted) {
    {
        Database db(path);
        Database::Transaction tx(db);
        db.execute("Insert Into T(SeqNo) Values (?)", {1});
        EXPECT_THROW(db.execute("Insert Into T(SeqNo) Values (?)", {1}),
                     AppError);  // duplicate key
    }
    {
        Database db(path);
        EXPECT_EQ(db.scalar("Select Count(*) From T").toInt(), 0);
        Database::Transaction tx(db);
        db.execute("Insert Into T(SeqNo) Values (?)", {7});
        tx.commit();
    }
    Database db(path);
    EXPECT_EQ(db.scalar("Select Count(*) From T").toInt(), 1);
}

TEST_F(DatabaseTest, ReportsAWrongNumberOfValues) {
    Database db(path);
    EXPECT_THROW(db.execute("Insert Into T(SeqNo,Name) Values (?,?)", {1}), AppError);
    EXPECT_THROW(db.execute("Insert Into Nowhere Values (1)"), AppError);
}

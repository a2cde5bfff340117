// The log header: storing once, the duplicate rule, reloading, formatted values, header fill.
#include <gtest/gtest.h>

#include "AppError.h"
#include "Database.h"
#include "Dates.h"
#include "TestSupport.h"
#include "clsHeader.h"
#include "clsInstrument.h"
#include "modGlobals.h"
#include "modSql.h"

#include <limits>
#include <random>

using namespace qv;

namespace {

clsHeader IntervalHeader() {
    clsHeader h;
    h.SetNames("iv08123000");
    h.SetDates(rt::MakeDate(2014, 8, 8, 12, 30, 0));
    h.SetUserId("USER01");
    h.SetStationID("");
    h.SetSerialNo("A1234");
    h.SetFolderID("08/14");
    h.SetTypes(TypeInterval);
    h.SetIntervals(60);
    h.SetDCount(120);
    h.SetGasName(0, "O2");
    h.SetGasDesit(0, 0.1f);
    h.SetAlarm(0, 18);
    h.SetGasMaxDate(0, rt::MakeDate(2014, 8, 8, 13, 0, 0));
    return h;
}

}  // namespace

TEST(Header, StoresOnceWithFiveGasRows) {
    test::ScratchDatabase db;
    clsHeader h = IntervalHeader();
    EXPECT_EQ(h.InsertDatabase(), 1);
    EXPECT_EQ(db.count("Log_head"), 1);
    EXPECT_EQ(db.count("Gas_List"), 5);
    EXPECT_EQ(h.InsertDatabase(), -1);  // same log: refused, nothing written
    EXPECT_EQ(db.count("Gas_List"), 5);

    Database d(db.path());
    const auto rows = d.query("Select * From Gas_List Order By SeqNo");
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(rows[static_cast<size_t>(i)].toLong("RelNo", -1), 1);
        EXPECT_EQ(rows[static_cast<size_t>(i)].toLong("GasNo", -1), i + 1);
    }
    EXPECT_EQ(rows[1].toText("gName", "?"), " ");          // empty name as one blank
    EXPECT_DOUBLE_EQ(rows[0].toDouble("gDesit", 0), 0.1);  // the Single's own text, not 0.100000001
    const auto head = d.query("Select * From Log_Head");
    EXPECT_EQ(head[0].toText("StationID", "?"), "*");
    EXPECT_EQ(head[0].toText("Dates", "?"), "2014-08-08 12:30:00");

    // Any one difference makes another log.
    clsHeader other = IntervalHeader();
    other.SetFolderID("09/14");
    EXPECT_EQ(other.InsertDatabase(), 2);
    clsHeader blankStation = IntervalHeader();
    blankStation.SetStationID("   ");  // matches the stored "*"
    EXPECT_EQ(blankStation.InsertDatabase(), -1);
}

TEST(Header, ALogWithoutNameOrFolderIsFoundAgain) {
    test::ScratchDatabase db;
    clsHeader h;
    h.SetTypes(TypeCalHistory);
    EXPECT_EQ(h.InsertDatabase(), 1);
    EXPECT_EQ(h.InsertDatabase(), -1);
    EXPECT_EQ(db.count("Log_head"), 1);
}

TEST(Header, QuotesAreStoredAsTheyStand) {
    test::ScratchDatabase db;
    clsHeader h = IntervalHeader();
    h.SetUserId("O'Neil");
    h.SetGasName(1, "H'S");
    ASSERT_EQ(h.InsertDatabase(), 1);
    EXPECT_EQ(h.InsertDatabase(), -1);
    clsHeader back;
    back.ReLoad(1);
    EXPECT_EQ(back.UserId(), "O'Neil");
    EXPECT_EQ(back.GasName(1), "H'S");
}

TEST(Header, ReloadsWhatWasStored) {
    test::ScratchDatabase db;
    clsHeader h = IntervalHeader();
    h.SetDCount(40000);  // a count that a long event log reaches, beyond 16 bits
    const int32_t key = h.InsertDatabase();
    clsHeader back;
    back.ReLoad(key);
    EXPECT_TRUE(back.LoadFlag());
    EXPECT_EQ(back.SeqNo(), key);
    EXPECT_EQ(back.Names(), "iv08123000");
    EXPECT_EQ(back.Dates(), rt::MakeDate(2014, 8, 8, 12, 30, 0));
    EXPECT_EQ(back.StationID(), "*");
    EXPECT_EQ(back.FolderID(), "08/14");
    EXPECT_EQ(back.Intervals(), 60);
    EXPECT_EQ(back.DCount(), 40000);
    EXPECT_EQ(back.GasName(0), "O2");
    EXPECT_FLOAT_EQ(back.GasDesit(0), 0.1f);
    EXPECT_FLOAT_EQ(back.Alarm(0), 18);
    EXPECT_EQ(back.GasMaxDate(0), rt::MakeDate(2014, 8, 8, 13, 0, 0));
    // A cleared date comes back as it went in, not as 2000 or 1899.
    EXPECT_EQ(back.CalDate(0), clsHeader::ClearedDate());
    EXPECT_FALSE(back.GasEnable(1));
}

TEST(Header, ReloadSkipsRowsOfChannelsItDoesNotHave) {
    test::ScratchDatabase db;
    {
        Database d(db.path());
        d.execute("Insert Into Log_Head(SeqNo,Types) Values (4,1)");
        d.execute("Insert Into Gas_List(SeqNo,RelNo,GasNo,gName) Values (1,4,6,'XX'),(2,4,0,'YY')");
    }
    clsHeader h;
    h.ReLoad(4);
    EXPECT_TRUE(h.LoadFlag());
    for (int ch = 0; ch < 5; ++ch)
        EXPECT_EQ(h.GasName(ch), "");
    clsHeader none;
    none.ReLoad(99);
    EXPECT_FALSE(none.LoadFlag());
}

TEST(Header, AMissingDatabaseIsAnError) {
    DatabasePath = "/nonexistent/folder/QV4170.mdb";
    clsHeader h = IntervalHeader();
    h.ClearDatas();
    EXPECT_THROW(h.InsertDatabase(), AppError);
    h.ReLoad(1);  // nothing happens
    EXPECT_FALSE(h.LoadFlag());
    DatabasePath.clear();
}

TEST(HeaderFill, TakesOnlyEmptyFieldsFromTheInstrument) {
    clsInstrument inst;
    inst.SetUserId("U1");
    inst.SetGasName(0, "CO");
    inst.SetAlarm(0, 50);
    inst.SetLogMaxDate(0, rt::MakeDate(2010, 1, 1));
    inst.SetLogMaxDate(1, rt::MakeDate(2010, 1, 1));
    clsHeader h;
    h.SetUserId("");
    h.SetStationID("");
    h.SetGasName(0, " ");  // a blank counts as filled
    h.SetGasMaxDate(0, rt::MakeDate(1999, 12, 31));
    h.SetGasMaxDate(1, rt::MakeDate(2000, 1, 1));
    h.CopyFromInstruments(&inst);
    EXPECT_EQ(h.UserId(), "U1");
    EXPECT_EQ(h.StationID(), "*");
    EXPECT_EQ(h.GasName(0), " ");
    EXPECT_FLOAT_EQ(h.Alarm(0), 50);
    EXPECT_EQ(h.GasMaxDate(0), rt::MakeDate(2010, 1, 1));
    EXPECT_EQ(h.GasMaxDate(1), rt::MakeDate(2000, 1, 1));
}

TEST(StoredValues, EveryReadingReadsBackUnchanged) {
    std::mt19937 rng(17);
    std::uniform_real_distribution<float> any(-20000.0f, 20000.0f);
    for (int i = 0; i < 20000; ++i) {
        const float v = i % 2 ? any(rng) : static_cast<float>(rng() % 100000) / 1000.0f;
        EXPECT_EQ(static_cast<float>(SqlSingle(v).toDouble()), v) << v;
    }
    EXPECT_DOUBLE_EQ(SqlSingle(0.05f).toDouble(), 0.05);
    EXPECT_DOUBLE_EQ(SqlSingle(20.9f).toDouble(), 20.9);
    EXPECT_TRUE(SqlSingle(std::numeric_limits<float>::infinity()).isNull());
}

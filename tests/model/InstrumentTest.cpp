// The instrument settings object: edit flags, level and identity rules, latest calibration.
#include <gtest/gtest.h>

#include "AppError.h"
#include "Database.h"
#include "Dates.h"
#include "TestSupport.h"
#include "clsInstrument.h"
#include "modGlobals.h"

using namespace qv;

TEST(Instrument, SettersRaiseTheirFlagsEvenForTheSameValue) {
    clsInstrument inst;
    inst.SetHcMode(inst.HcMode());
    EXPECT_TRUE(inst.Change_HCMode());
    inst.SetGasName(0, "CO");  // no flag of its own
    inst.SetZero(0, 5);        // nor here
    EXPECT_FALSE(inst.Change_Zero(0));
    inst.SetGasPoint(1, 2);
    EXPECT_TRUE(inst.Change_GasPoint(1));
    inst.SetGasPoint(5, 2);  // guarded: nothing
    EXPECT_FALSE(inst.Change_GasPoint(5));
    inst.SetGasName(5, "XX");
    inst.SetGasName(-1, "XX");
    EXPECT_EQ(inst.GasName(5), "");
}

TEST(Instrument, ClearChangeFlagsKeepsAlarmO2AndZeroFlags) {
    clsInstrument inst;
    inst.SetAlarmO2(1);
    inst.SetZero(0, 12);
    inst.SetChange_Zero(0, true);
    inst.SetAlarm(2, 5);
    inst.SetUserId("X");
    inst.SetIntervals(60);
    inst.ClearChangeFlags();
    EXPECT_TRUE(inst.Change_AlarmO2());
    EXPECT_TRUE(inst.Change_Zero(0));
    EXPECT_FALSE(inst.Change_Alarm(2));
    EXPECT_FALSE(inst.Change_UserID());
    EXPECT_FALSE(inst.Change_Interval());
}

TEST(Instrument, ZeroLevelsReadAsNoLevel) {
    clsInstrument inst;
    for (int c = 0; c < 5; ++c) {
        EXPECT_FLOAT_EQ(inst.Alarm(c), -1);
        EXPECT_FLOAT_EQ(inst.Twa(c), -1);
    }
    inst.SetAlarm(1, 0);
    EXPECT_FLOAT_EQ(inst.Alarm(1), -1);
    EXPECT_EQ(inst.AlarmForm(1), "-----");
    EXPECT_TRUE(inst.Change_Alarm(1));
    inst.SetAlarm(1, 0.5f);
    EXPECT_FLOAT_EQ(inst.Alarm(1), 0.5f);
    EXPECT_EQ(inst.AlarmForm(5), "-----");
    EXPECT_EQ(inst.AutoCalForm(5), "");
    try {
        inst.SetAlarm(6, 1);
        FAIL();
    } catch (const AppError& e) {
        EXPECT_EQ(e.number(), ErrSubscript);
    }
    EXPECT_FLOAT_EQ(inst.Alarm(6), -1);
}

TEST(Instrument, IdentityTextsAreNeverEmpty) {
    clsInstrument inst;
    EXPECT_EQ(inst.SerialNo(), "*");
    EXPECT_EQ(inst.UserId(), "*");
    inst.SetSerialNo("   ");
    EXPECT_EQ(inst.SerialNo(), "*");
    EXPECT_TRUE(inst.Change_SerialNo());
    inst.SetStationID("  ST1 ");
    EXPECT_EQ(inst.StationID(), "ST1");
}

TEST(Instrument, ClearDatasKeepsOptionsAndReadings) {
    clsInstrument inst;
    inst.SetHcMode(2);
    inst.SetFlowValue(128);
    inst.SetDummySerial("D1");
    inst.SetAlarmO2(3);
    inst.SetLimitValue(5, 1.5f);
    inst.SetUserId("U");
    inst.ClearDatas();
    EXPECT_EQ(inst.HcMode(), 2);
    EXPECT_EQ(inst.FlowValue(), 128);
    EXPECT_EQ(inst.DummySerial(), "D1");
    EXPECT_EQ(inst.AlarmO2(), 0);
    EXPECT_EQ(inst.UserId(), "*");
    EXPECT_FLOAT_EQ(inst.LimitValue(5), 1.5f);
    EXPECT_THROW(inst.AnalogValue(9), AppError);
    EXPECT_THROW(inst.SetLimitValue(6, 1), AppError);
}

TEST(Instrument, NarrowsIntervalAndLimitWithOverflow) {
    clsInstrument inst;
    inst.Header().SetIntervals(40000);
    EXPECT_THROW(inst.Intervals(), AppError);
    inst.SetCalLimit(180);
    EXPECT_EQ(inst.CalLimit(), 180);
}

namespace {
clsInstrument Identity(const QString& station, const QString& user, const QString& serial) {
    clsInstrument inst;
    inst.SetStationID(station);
    inst.SetUserId(user);
    inst.SetSerialNo(serial);
    inst.SetGasName(0, "O2");
    inst.SetCalibBefore(0, 20.1f);
    inst.SetCalibAfter(0, 20.9f);
    inst.SetCalibDate(0, rt::MakeDate(2014, 5, 1, 9, 0, 0));
    return inst;
}
long long KeyOf(const test::ScratchDatabase& db, const QString& serial) {
    Database d(db.path());
    return d.scalar("Select SeqNo From cLatestHist Where SerialNo=?", {serial}).toLongLong();
}
}  // namespace

TEST(LatestCalibration, OneRowPerIdentityMovedToTheTop) {
    test::ScratchDatabase db;
    clsInstrument a = Identity("S", "U", "A");
    clsInstrument b = Identity("S", "U", "B");
    EXPECT_TRUE(a.HistoryUpdate());
    EXPECT_TRUE(a.HistoryUpdate());
    EXPECT_EQ(db.count("cLatestHist"), 1);
    EXPECT_EQ(KeyOf(db, "A"), 1);
    EXPECT_TRUE(b.HistoryUpdate());
    EXPECT_TRUE(a.HistoryUpdate());
    EXPECT_TRUE(b.HistoryUpdate());
    EXPECT_EQ(KeyOf(db, "A"), 3);
    EXPECT_EQ(KeyOf(db, "B"), 4);
    EXPECT_EQ(db.count("cLatestHist"), 2);

    // A blank user matches the row written with "*".
    clsInstrument blank = Identity("S", "", "C");
    clsInstrument star = Identity("S", "*", "C");
    blank.HistoryUpdate();
    star.HistoryUpdate();
    EXPECT_EQ(db.count("cLatestHist"), 3);

    Database d(db.path());
    const auto row = d.query("Select * From cLatestHist Where SerialNo='A'");
    EXPECT_EQ(row[0].toText("Gas1Name", "?"), "O2");
    EXPECT_DOUBLE_EQ(row[0].toDouble("Gas1After", 0), 20.9);
    EXPECT_EQ(row[0].toDate("Gas1CalDate", QDateTime()), rt::MakeDate(2014, 5, 1, 9, 0, 0));
}

TEST(LatestCalibration, AFailingInsertKeepsThePreviousRow) {
    test::ScratchDatabase db;
    clsInstrument a = Identity("S", "U", "A");
    ASSERT_TRUE(a.HistoryUpdate());
    {
        Database d(db.path());
        d.execute(
            "Create Trigger NoMore Before Insert On cLatestHist Begin Select RAISE(ABORT, 'disk "
            "full'); End");
    }
    EXPECT_THROW(a.HistoryUpdate(), AppError);
    EXPECT_EQ(db.count("cLatestHist"), 1);
}

TEST(LatestCalibration, NoDatabaseNoRow) {
    DatabasePath = "/nonexistent/QV4170.mdb";
    clsInstrument a = Identity("S", "U", "A");
    EXPECT_FALSE(a.HistoryUpdate());
    DatabasePath.clear();
}

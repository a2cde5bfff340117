// The instrument settings object: edit flags, level and identity rules, latest calibration.
#include <gtest/gtest.h>

#include "AppError.h"
#include "Database.h"
#include "Dates.h"
#include "ModelTestLines.h"
#include "TestSupport.h"
#include "clsInstrument.h"
#include "modGlobals.h"

using namespace qv;

TEST(Instrument, EditFlagsAndWhatClearingKeeps) {
    clsInstrument inst;
    inst.SetHcMode(inst.HcMode());  // the same value still counts as an edit
    EXPECT_TRUE(inst.Change_HCMode());
    inst.SetZero(0, 5);  // no flag of its own
    EXPECT_FALSE(inst.Change_Zero(0));

    inst.SetAlarmO2(1);
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

    // Clearing the data keeps the program's options and readings.
    inst.SetHcMode(2);
    inst.SetDummySerial("D1");
    inst.SetLimitValue(5, 1.5f);
    inst.ClearDatas();
    EXPECT_EQ(inst.HcMode(), 2);
    EXPECT_EQ(inst.DummySerial(), "D1");
    EXPECT_FLOAT_EQ(inst.LimitValue(5), 1.5f);
    EXPECT_EQ(inst.AlarmO2(), 0);
    EXPECT_EQ(inst.UserId(), "*");
}

TEST(Instrument, LevelAndIdentityRules) {
    clsInstrument inst;
    EXPECT_FLOAT_EQ(inst.Alarm(0), -1);  // a zero level reads as no level
    inst.SetAlarm(1, 0);
    EXPECT_FLOAT_EQ(inst.Alarm(1), -1);
    EXPECT_EQ(inst.AlarmForm(1), "-----");
    EXPECT_TRUE(inst.Change_Alarm(1));
    inst.SetAlarm(1, 0.5f);
    EXPECT_FLOAT_EQ(inst.Alarm(1), 0.5f);
    EXPECT_EQ(test::ErrorOf([&] { inst.SetAlarm(6, 1); }), ErrSubscript);

    EXPECT_EQ(inst.SerialNo(), "*");
    inst.SetSerialNo("   ");
    EXPECT_EQ(inst.SerialNo(), "*");
    EXPECT_TRUE(inst.Change_SerialNo());
    inst.SetStationID("  ST1 ");
    EXPECT_EQ(inst.StationID(), "ST1");

    inst.Header().SetIntervals(40000);  // does not fit the 16-bit setting
    EXPECT_THROW(inst.Intervals(), AppError);
}

namespace {
clsInstrument Identity(const QString& station, const QString& user, const QString& serial) {
    clsInstrument inst;
    inst.SetStationID(station);
    inst.SetUserId(user);
    inst.SetSerialNo(serial);
    inst.SetGasName(0, "O2");
    inst.SetCalibAfter(0, 20.9f);
    inst.SetCalibDate(0, rt::MakeDate(2014, 5, 1, 9, 0, 0));
    return inst;
}
long long KeyOf(const test::ScratchDatabase& db, const QString& serial) {
    Database d(db.path());
    return d.scalar("Select SeqNo From cLatestHist Where SerialNo=?", {serial}).toLongLong();
}
}  // namespace

// A level's field counts as the instrument's own while the channel keeps its value and its gas,
// and the instrument is known to hold it: a write answered replaces it, one left unanswered
// leaves it held only where the same field went.
TEST(Instrument, ALevelAsReadFollowsWhatTheInstrumentHolds) {
    clsInstrument inst;
    inst.SetWarning(3, 25);
    inst.SetLevelRead(3, GasLevel::Warning, "   25");
    inst.SetAlarm(3, 50);
    inst.SetLevelRead(3, GasLevel::Alarm, "   50");
    inst.SetGasName(3, "CO");  // the gas list read after the levels: they are that sensor's
    inst.SetGasEnabled(3, true);
    inst.SetGasEntryRead(3, "CO    500    1ppm ");
    inst.SetGasName(3, "H2S");  // another gas, the same value
    EXPECT_FALSE(inst.LevelAsRead(3, GasLevel::Warning));
    inst.SetGasName(3, "CO");
    inst.SetGasEnabled(3, false);  // switched off, the same gas
    EXPECT_TRUE(inst.LevelAsRead(3, GasLevel::Warning));

    inst.SetWarning(3, 30);
    inst.NoteLevelWrite(3, GasLevel::Warning, "   30", false);
    inst.NoteLevelWrite(3, GasLevel::Alarm, "   50", false);
    inst.SetWarning(3, 25);
    EXPECT_FALSE(inst.LevelAsRead(3, GasLevel::Warning));          // unknown, even set back
    EXPECT_EQ(inst.LevelReadText(3, GasLevel::Warning), "   25");  // its places still known
    EXPECT_TRUE(inst.LevelAsRead(3, GasLevel::Alarm));
    inst.NoteGasEntryWrite(3, QString(18, u'*'), false);
    EXPECT_FALSE(inst.GasEntryAsRead(3));

    // Answered, the instrument holds the new entry; the levels keep the gas they were read with
    // until they are written in the new sensor's places.
    inst.SetGasEnabled(3, true);
    inst.SetGasName(3, "H2S");
    inst.SetGasPoint(3, 1);
    inst.NoteGasEntryWrite(3, "H2S 100.0  0.5ppm ", true);
    EXPECT_TRUE(inst.GasEntryAsRead(3));
    EXPECT_FALSE(inst.LevelAsRead(3, GasLevel::Alarm));
    inst.NoteLevelWrite(3, GasLevel::Warning, " 25.0", true);
    EXPECT_EQ(inst.LevelReadText(3, GasLevel::Warning), " 25.0");
    EXPECT_TRUE(inst.LevelAsRead(3, GasLevel::Warning));
}

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
    Database(db.path()).execute(
        "Create Trigger NoMore Before Insert On cLatestHist Begin Select RAISE(ABORT, 'disk "
        "full'); End");
    EXPECT_THROW(a.HistoryUpdate(), AppError);
    EXPECT_EQ(db.count("cLatestHist"), 1);
}

TEST(LatestCalibration, NoDatabaseNoRow) {
    DatabasePath = "/nonexistent/QV4170.mdb";
    clsInstrument a = Identity("S", "U", "A");
    EXPECT_FALSE(a.HistoryUpdate());
    DatabasePath.clear();
}

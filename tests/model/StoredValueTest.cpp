// Stored logs whose values the program cannot read, loaded back: a reading that is text shows
// as no data and a date that is missing or not ISO text as no date, in every kind of log.
#include "Database.h"
#include "Dates.h"
#include "FixtureDatabase.h"
#include "clsAlarm.h"
#include "clsAlarmEvent.h"
#include "clsHistory.h"
#include "clsInterval.h"
#include "clsPowerEvent.h"
#include "clsTroubleEvent.h"
#include "modGasCommon.h"
#include "modGlobals.h"
#include "modMessage.h"

#include <gtest/gtest.h>

using namespace qv;

namespace {

class UnreadableValues : public ::testing::Test {
  protected:
    void SetUp() override {
        SetCatalogueLanguage(CatalogueLanguage::English);
        const QDateTime may = rt::MakeDate(2024, 5, 14, 10, 0, 0);
        test::FixtureBuilder b(db.path());
        const test::FixtureIdentity id{"SN1", "ST", "US"};
        interval = b.AddInterval(id, "iv", may, 5, 60, 2);
        alarm = b.AddAlarmTrend(id, "al", may, 5, {1, 1, 1, 1});
        history = b.AddHistory(id, {may, may.addDays(1)});
        alarmEvents = b.AddAlarmEvents(id, may, 3);
        trouble = b.AddTroubleEvents(id, may, 3, {0, 1, 4});
        power = b.AddPowerEvents(id, may, 3);
    }
    void TearDown() override { FollowSystemLanguage(); }
    // Changes the second stored row (by key) of a log's table.
    void Damage(const QString& table, int32_t relNo, const QString& set) {
        Database(db.path()).execute("Update " + table + " Set " + set +
                                        " Where SeqNo = (Select SeqNo From " + table +
                                        " Where RelNo = ? Order By SeqNo Limit 1 Offset 1)",
                                    {relNo});
    }
    template <class Record>
    void Load(Record& r, int32_t seqNo) {
        r.ClearDatas();
        r.SetSeqNo(seqNo);
        r.ReLoad();
    }

    test::ScratchDatabase db;
    int32_t interval = 0, alarm = 0, history = 0, alarmEvents = 0, trouble = 0, power = 0;
};

TEST_F(UnreadableValues, ReadingsHoldingTextLoadAsNoData) {
    Damage("Interval_Data", interval, "Gas1Value = 'abc', Gas2Value = '1,5'");
    Damage("Interval_Event", interval, "Gas1Event = 'x'");
    Damage("Alarm_Data", alarm, "Gas1Value = 'abc'");
    Damage("cHistory", history, "Gas1Before = '1,5', Gas2After = 'abc'");
    Damage("Alarm_Event", alarmEvents, "Alarm_Type = 'abc'");
    Damage("Power_Event", power, "Power_Type = 'abc'");

    clsInterval iv;
    Load(iv, interval);
    EXPECT_EQ(iv.GasValueForm(0, 1), "-----");
    EXPECT_EQ(iv.GasValueForm(1, 1), "-----");
    EXPECT_EQ(iv.GasValueForm(2, 1), "  0.5");  // the rest of the row as stored
    EXPECT_EQ(iv.GasEventForm(0, 1), "-----");
    clsAlarm al;
    Load(al, alarm);
    EXPECT_EQ(al.ValueForm(0, 1), "-----");
    clsHistory h;
    Load(h, history);
    ASSERT_EQ(h.DataCount(), 2);
    EXPECT_EQ(h.BeforeForm(0, 0), "-----");  // newest first: the second row stored
    EXPECT_EQ(h.AfterForm(1, 0), "-----");
    clsAlarmEvent ae;
    Load(ae, alarmEvents);
    EXPECT_EQ(GetStatusWord(ae.Events(1)), "");
    clsPowerEvent pe;
    Load(pe, power);
    EXPECT_FALSE(pe.Flags(1));
}

TEST_F(UnreadableValues, DatesMissingOrNotIsoTextLoadAsNoDate) {
    Database(db.path()).execute("Update Log_head Set Dates = Null Where SeqNo = ?", {interval});
    Database(db.path()).execute("Update Log_head Set Dates = '14.5.2024' Where SeqNo = ?", {alarm});
    Damage("Interval_Data", interval, "Datetimes = 'soon'");
    Damage("Interval_Event", interval, "Datetimes = Null");
    Damage("Alarm_Data", alarm, "Datetimes = 41000.5");
    Damage("cHistory", history, "Dates = Null");
    Damage("Alarm_Event", alarmEvents, "Dates = 'tomorrow'");
    Damage("Trouble_Event", trouble, "Dates = Null");
    Damage("Power_Event", power, "Dates = '2024-05-32 10:00:00'");

    clsInterval iv;
    Load(iv, interval);
    EXPECT_FALSE(iv.GasInfo().Dates().isValid());
    EXPECT_EQ(GeneralDate(iv.GasInfo().Dates()), "");  // the pane, table, print and export
    EXPECT_EQ(GeneralDate(iv.DateTimes(1)), "");
    EXPECT_EQ(GeneralDate(iv.DateTimes(2)), "5/14/2024 10:02:00 AM");
    EXPECT_EQ(GeneralDate(iv.EventDateTimes(1)), "");
    clsAlarm al;
    Load(al, alarm);
    EXPECT_EQ(GeneralDate(al.GasInfo().Dates()), "");
    EXPECT_EQ(rt::FormatDate(al.DateTimes(1), "hh:nn:ss"), "");
    clsHistory h;
    Load(h, history);
    EXPECT_EQ(GeneralDate(h.Dates(1)), "");  // Null sorts first: newest first puts it last
    clsAlarmEvent ae;
    Load(ae, alarmEvents);
    EXPECT_EQ(GeneralDate(ae.Dates(1)), "");
    clsTroubleEvent te;
    Load(te, trouble);
    EXPECT_EQ(GeneralDate(te.Dates(1)), "");
    clsPowerEvent pe;
    Load(pe, power);
    EXPECT_EQ(GeneralDate(pe.Dates(1)), "");
    EXPECT_EQ(GeneralDate(pe.Dates(2)), "5/14/2024 12:00:00 PM");
}

}  // namespace

// The shared fixture reads back through the record classes as downloaded logs do.
#include "FixtureDatabase.h"
#include "clsAlarm.h"
#include "clsAlarmEvent.h"
#include "clsHistory.h"
#include "clsInterval.h"
#include "clsPowerEvent.h"
#include "clsTroubleEvent.h"

#include <gtest/gtest.h>

namespace qv::test {
namespace {

template <class Record>
int Loaded(int32_t seqNo, QString* name = nullptr) {
    Record r;
    r.ClearDatas();
    r.SetSeqNo(seqNo);
    r.ReLoad();
    if (name) *name = r.GasInfo().Names();
    return r.DataCount();
}

TEST(Fixture, EveryKindLoadsThroughItsRecordClass) {
    FixtureDatabase fixture;
    const FixtureLogs& l = fixture.logs();
    QString name;
    EXPECT_EQ(Loaded<clsInterval>(l.intervalA0514, &name), 100);
    EXPECT_EQ(name, "Tank 'A' run");
    EXPECT_EQ(Loaded<clsAlarm>(l.alarmA), 731);
    EXPECT_EQ(Loaded<clsHistory>(l.historyA), 3);
    EXPECT_EQ(Loaded<clsAlarmEvent>(l.alarmEventsA), 12);
    EXPECT_EQ(Loaded<clsTroubleEvent>(l.troubleA), 11);
    EXPECT_EQ(Loaded<clsPowerEvent>(l.powerA), 11);
    clsInterval interval;
    interval.ClearDatas();
    interval.SetSeqNo(l.intervalA0514);
    interval.ReLoad();
    EXPECT_EQ(interval.EventCount(), 3);
    EXPECT_EQ(interval.GasInfo().SerialNo(), "SN1001");
    EXPECT_EQ(fixture.count("Log_head"), 16);
    EXPECT_EQ(l.powerB, 16);  // every log was stored, none refused as already stored
}

}  // namespace
}  // namespace qv::test

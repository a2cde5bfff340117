// The gas channel checks: the sensor combination index, whether a span-gas concentration suits a
// channel, and the order of warning and alarm levels as they are shown.
#include "clsInstrument.h"
#include "modGasChecks.h"

#include <gtest/gtest.h>

namespace qv::test {
namespace {

TEST(GasChecks, MaskConcentrationAndLevelOrder) {
    EXPECT_EQ(MakeGasEnableMask(true, true, false, false, false), 3);
    EXPECT_EQ(MakeGasEnableMask(true, true, false, false, true), 19);

    clsInstrument in;
    in.SetGasName(1, "OXY");
    in.SetGasPoint(1, 1);
    in.SetWarning(1, 19.5f);
    in.SetAlarm(1, 18.0f);
    in.SetGasName(2, "oxy");  // the oxygen rule takes the exact name only
    in.SetWarning(2, 5);
    const struct {
        int gas;
        int16_t alarmO2;
        float value;
        bool over;
    } concentrations[] = {{1, 0, 19.5f, true},  {1, 0, 20.9f, false}, {1, 0, 0, true},
                          {1, 1, 18.5f, false}, {2, 0, 5, true},      {2, 0, 4.9f, false}};
    for (const auto& c : concentrations) {
        in.SetAlarmO2(c.alarmO2);
        EXPECT_EQ(IsOverWarnLevel(in, c.gas, c.value), c.over) << c.gas << " " << c.value;
    }

    // Channel 1 alarms on a falling level with pattern 1; levels compare as shown (gas 3 has
    // no decimal places).
    const struct {
        int gas;
        int16_t alarmO2;
        float warning, alarm;
        bool valid;
    } orders[] = {{1, 1, 19.5f, 18.0f, true},  {1, 1, 19.5f, 19.5f, false},
                  {1, 0, 19.5f, 18.0f, false}, {2, 1, 5, 5, true},
                  {2, 1, 5, 4, false},         {2, 0, 5, -1, true},
                  {2, 0, -1, 3, true},         {2, 0, 5.4f, 5.0f, true}};
    for (const auto& o : orders) {
        in.SetAlarmO2(o.alarmO2);
        in.SetWarning(o.gas, o.warning);
        in.SetAlarm(o.gas, o.alarm);
        EXPECT_EQ(IsAlarmOrderValid(in, o.gas), o.valid) << o.gas << " " << o.alarm;
    }
}

}  // namespace
}  // namespace qv::test

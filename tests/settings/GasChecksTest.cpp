// The gas channel checks: the sensor combination index, whether a span-gas concentration suits a
// channel, the order of warning and alarm levels as they are shown, and typed decimals rounded
// to a resolution step.
#include "clsInstrument.h"
#include "modGasChecks.h"
#include "modGlobals.h"

#include <gtest/gtest.h>

#include <optional>

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

// The oxygen pattern the instrument reported is the one judged; one that a program too old to
// report it is held at gives way to the pattern its oxygen levels as read show.
TEST(GasChecks, AnUnreportedOxygenPatternFollowsTheLevelsRead) {
    const int32_t version = AtCommandVersion;
    AtCommandVersion = 2056;
    clsInstrument in;
    in.SetGasPoint(1, 1);
    in.SetWarning(1, 19.5f);
    in.SetAlarm(1, 18.0f);
    in.SetLevelRead(1, GasLevel::Warning, " 19.5");
    in.SetLevelRead(1, GasLevel::Alarm, " 18.0");
    const struct {
        int32_t rom;
        int16_t alarmO2;
        float alarm;
        bool valid;
    } cases[] = {{2057, 0, 18.0f, false}, {2057, 1, 18.0f, true}, {2056, 0, 18.0f, true},
                 {2056, 0, 19.5f, false}, {2056, 1, 18.0f, true}, {2056, 0, 19.0f, true}};
    for (const auto& c : cases) {
        in.SetRomNumber(c.rom);
        in.SetAlarmO2(c.alarmO2);
        in.SetAlarm(1, c.alarm);
        EXPECT_EQ(IsAlarmOrderValid(in, 1), c.valid) << c.rom << " " << c.alarmO2 << " " << c.alarm;
    }
    // Held as L-LL, levels read rising are taken as H-L.
    in.SetRomNumber(2056);
    in.SetAlarmO2(1);
    in.SetAlarm(1, 23.5f);
    in.SetLevelRead(1, GasLevel::Alarm, " 23.5");
    EXPECT_TRUE(IsAlarmOrderValid(in, 1));
    AtCommandVersion = version;
}

// Typed decimals round on their digits, halves to the even multiple, whatever their binary form.
TEST(GasChecks, TypedDecimalsRoundOnTheirDigits) {
    const struct {
        const char* text;
        float step;
        std::optional<float> rounded;
    } entries[] = {
        {"19.45", 0.1f, 19.4f},
        {"19.55", 0.1f, 19.6f},
        {"19.4500001", 0.1f, 19.5f},
        {"19.549999999999999999", 0.1f, 19.5f},
        {" +10.25 ", 0.5f, 10.0f},
        {"10.75", 0.5f, 11.0f},
        {"10.7499", 0.5f, 10.5f},
        {"0.05", 0.1f, 0.0f},
        {".5", 1, 0.0f},
        {"1.5", 1, 2.0f},
        {"2.5", 1, 2.0f},
        {"007", 1, 7.0f},
        {"0.125", 0.05f, 0.1f},
        {"0.175", 0.05f, 0.2f},
        {"-3", 0.1f, 0.0f},
        {"3276.7", 0.1f, 3276.7f},
        {"3276.75", 0.1f, std::nullopt},  // beyond the 16-bit range of steps
        {"5", 0, std::nullopt},
        {"1e2", 1, std::nullopt},
        {"1,5", 1, std::nullopt},
        {"", 1, std::nullopt},
        {"99999999999999999999999", 0.1f, std::nullopt},
    };
    for (const auto& e : entries) {
        SCOPED_TRACE(std::string(e.text) + " step " + std::to_string(e.step));
        const std::optional<float> r = RoundTextToStep(QString::fromLatin1(e.text), e.step);
        ASSERT_EQ(r.has_value(), e.rounded.has_value());
        if (r) {
            EXPECT_FLOAT_EQ(*r, *e.rounded);
        }
    }
}

}  // namespace
}  // namespace qv::test

// The order of a gas's warning and alarm levels, judged by Update only where the user changed
// one of them: the levels as the instrument holds them never stop an upload, and an old program
// that does not report its oxygen alarm pattern is not taken to have one its levels contradict.
#include "SettingsRig.h"

namespace qv::test {
namespace {

constexpr int32_t kRed = ui::RGB(255, 0, 0);

// Presses Update and answers its question with Yes when it is asked; the messages shown.
QStringList Update(SettingsRig& rig) {
    rig.dialogs.clear();
    rig.sim.sim.ClearReceived();
    rig.dialogs.AnswerMsgBox(vbYes);
    rig.option->cmdOption[0]->click();
    return rig.dialogs.messages();
}

TEST(LevelOrder, LevelsAsTheInstrumentHoldsThemNeverStopAnUpload) {
    sim::Content content = sim::DefaultContent();
    content.reads["A1"] = "   10, 19.5, 10.0,   25,   10";
    content.reads["A2"] = "   50, 18.0,  5.0,   50,   50";  // gas 3's alarm below its warning
    SettingsRig rig(content);
    rig.ReadInstrument();
    ui::FlexGrid& grid = *rig.option->vfgOption;
    // Still shown as out of order.
    EXPECT_EQ(ColorAt(grid, 4, 1), kRed);
    EXPECT_EQ(ColorAt(grid, 4, 2), kRed);

    ASSERT_EQ(Type(grid, 2, 1, "12"), Entry::Stored);
    EXPECT_EQ(Update(rig), (QStringList{GetMessage(5309), GetMessage(5311)}));
    EXPECT_EQ(rig.sim.Requests(), (QStringList{"A1,W,   12, 19.5, 10.0,   25,   10", "DW,W,"}));

    // A change to gas 3's levels is judged, with the level left as it was.
    ASSERT_EQ(Type(grid, 4, 2, "6"), Entry::Stored);
    EXPECT_EQ(Update(rig), QStringList{GetMessage(5361)});
    EXPECT_TRUE(rig.sim.Requests().isEmpty());
    ASSERT_EQ(Type(grid, 4, 1, "4"), Entry::Stored);
    EXPECT_EQ(Update(rig).value(1), GetMessage(5311));
    EXPECT_EQ(rig.sim.Requests("A1,W,"), QStringList{"A1,W,   12, 19.5,  4.0,   25,   10"});
    EXPECT_EQ(rig.sim.Requests("A2,W,"), QStringList{"A2,W,   50, 18.0,  6.0,   50,   50"});
}

// A program of ROM 2056 or older is not asked for its oxygen alarm pattern: the program holds
// it as H-L, while the instrument's oxygen levels, alarm below warning, show L-LL.
TEST(LevelOrder, AnOldProgramIsTakenToWorkWithThePatternItsOxygenLevelsShow) {
    sim::Content content = sim::DefaultContent();
    content.reads["VP"] = "2056";
    SettingsRig rig(content);
    AtCommandVersion = 2056;
    rig.ReadInstrument();
    const clsInstrument& in = *rig.CurInstrument;
    ASSERT_EQ(rig.sim.sim.CountReceived("AT,R,"), 0);
    ASSERT_EQ(in.AlarmO2(), 0);
    ui::FlexGrid& grid = *rig.option->vfgOption;
    EXPECT_NE(ColorAt(grid, 3, 1), kRed);

    ASSERT_EQ(Type(grid, 2, 1, "12"), Entry::Stored);  // gas 1's warning alone
    EXPECT_EQ(Update(rig).value(1), GetMessage(5311));
    EXPECT_EQ(rig.sim.Requests(), (QStringList{"A1,W,   12, 19.5, 10.0,   25,   10", "DW,W,"}));

    // Oxygen levels changed are judged by that pattern: the alarm stays below the warning.
    ASSERT_EQ(Type(grid, 3, 1, "19.0"), Entry::Stored);
    EXPECT_EQ(Update(rig).value(1), GetMessage(5311));
    EXPECT_EQ(rig.sim.Requests("A1,W,"), QStringList{"A1,W,   12, 19.0, 10.0,   25,   10"});
    ASSERT_EQ(Type(grid, 3, 2, "19.5"), Entry::Stored);
    EXPECT_EQ(Update(rig), QStringList{GetMessage(5361)});
    EXPECT_TRUE(rig.sim.Requests().isEmpty());
    EXPECT_EQ(ColorAt(grid, 3, 2), kRed);
}

}  // namespace
}  // namespace qv::test

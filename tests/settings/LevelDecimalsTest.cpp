// The levels of a gas whose sensor is switched off, which the instrument reports without the
// gas: shown and written back in the decimal places of the gases its channel takes, so that an
// upload of another gas's level leaves them as they were read; where those gases differ in their
// places, no level goes out and the user is told why.
#include "AppError.h"
#include "SettingsRig.h"
#include "modGasChecks.h"

#include <QRegularExpression>

namespace qv::test {
namespace {

const GasDefinition kH2s{true, "H2S", false, "ppm", 100, 0.5f, 1, 10, 30, 15, 10, 10, true};
const GasDefinition kSo2{true, "SO2", false, "ppm", 20, 0.5f, 1, 2, 5, -1, -1, 10, true};
const GasDefinition kCo{true, "CO ", false, "ppm", 500, 1, 0, 25, 50, 200, 25, 100, true};

// Gas 3's sensor switched off, its levels kept by the instrument in one decimal place.
void SwitchGas3Off(SettingsRig& rig) {
    QMap<QString, QString>& reads = rig.sim.sim.content().reads;
    reads["GJ"].replace(QRegularExpression("H2S [^,]*"), QString(18, u'*'));
    reads["A1"] = "   10, 19.5,  2.5,   25,   10";
    reads["A2"] = "   50, 18.0,  7.5,   50,   50";
}

TEST(LevelDecimals, ALevelNobodyEditedGoesBackAsItWasRead) {
    SettingsRig rig;
    GasTable[2] = {kH2s, kSo2};  // every gas of channel 3 has one decimal place
    SwitchGas3Off(rig);
    rig.ReadInstrument();
    const clsInstrument& in = *rig.CurInstrument;
    ASSERT_FALSE(in.GasEnabled(2));
    ui::FlexGrid& grid = *rig.option->vfgOption;
    EXPECT_EQ(grid.TextMatrix(4, 1), "  2.5");
    EXPECT_EQ(grid.TextMatrix(4, 2), "  7.5");
    EXPECT_EQ(rig.info->vfgInstSensor->TextMatrix(4, 2), "  2.5");

    // Only gas 1's warning is edited; the others travel with it.
    ASSERT_EQ(Type(grid, 2, 1, "11"), Entry::Stored);
    rig.dialogs.AnswerMsgBox(vbYes);
    rig.option->cmdOption[0]->click();
    EXPECT_EQ(rig.dialogs.messages(), (QStringList{GetMessage(5309), GetMessage(5311)}));
    EXPECT_EQ(rig.sim.Requests("A1,W,"), QStringList{"A1,W,   11, 19.5,  2.5,   25,   10"});
    auto again = std::make_shared<clsInstrument>();
    ASSERT_TRUE(rig.sim.link->GetInstrument(again));
    EXPECT_FLOAT_EQ(again->Warning(2), 2.5f);
    EXPECT_FLOAT_EQ(again->Warning(0), 11);
}

TEST(LevelDecimals, LevelsWhosePlacesAreNotKnownAreNotSent) {
    SettingsRig rig;
    GasTable[2] = {kH2s, kCo};  // one decimal place or none
    SwitchGas3Off(rig);
    rig.ReadInstrument();
    clsInstrument& in = *rig.CurInstrument;
    // Shown as read, not rounded to places the gas may not have.
    EXPECT_EQ(rig.option->vfgOption->TextMatrix(4, 1), "  2.5");

    ASSERT_EQ(Type(*rig.option->vfgOption, 2, 1, "11"), Entry::Stored);
    rig.option->cmdOption[0]->click();
    EXPECT_EQ(rig.dialogs.messages(), QStringList{GetMessage(9201, {"3"})});
    EXPECT_TRUE(rig.sim.Requests().isEmpty());
    EXPECT_FALSE(rig.upload);
    // The link itself never writes such a level, whoever asks it to.
    const std::optional<QString> failure =
        FailureOf([&] { rig.sim.link->SetInstrument(rig.CurInstrument); });
    EXPECT_EQ(failure.value_or(QString()), GetMessage(9201, {"3"}));
    EXPECT_TRUE(rig.sim.Requests("A1,W,").isEmpty());

    // Settings that carry no level of that gas still go out.
    in.ClearChangeFlags();
    rig.option->txtOption[1]->setText("DOCK");
    rig.dialogs.clear();
    rig.sim.sim.ClearReceived();
    rig.dialogs.AnswerMsgBox(vbYes);
    rig.option->cmdOption[0]->click();
    EXPECT_EQ(rig.dialogs.messages().value(1), GetMessage(5311));
    EXPECT_EQ(rig.sim.Requests(), (QStringList{"XS,W,DOCK      ", "DW,W,"}));
}

// A value field is five characters: a full scale, resolution or span concentration that its
// field would cut or round is refused before anything is sent, never written changed.
TEST(LevelDecimals, AValueItsFieldWouldChangeIsNeverSent) {
    EXPECT_EQ(ValueField(100, 1).value_or("-"), "100.0");
    EXPECT_EQ(ValueField(0.05f, 2).value_or("-"), " 0.05");
    EXPECT_FALSE(ValueField(100, 2));     // "100.00" would go out as "00.00"
    EXPECT_FALSE(ValueField(12345.6f, 1));
    EXPECT_FALSE(ValueField(0.25f, 1));   // would go out as 0.3

    SettingsRig rig;
    rig.ReadInstrument();
    clsInstrument& in = *rig.CurInstrument;
    ASSERT_EQ(in.GasPoint(2), 1);
    in.SetGasFullScale(2, 1000);
    in.SetChange_GasEnable(2, true);
    rig.option->cmdOption[0]->click();
    EXPECT_EQ(rig.dialogs.messages(), QStringList{GetMessage(9202, {"3"})});
    EXPECT_TRUE(rig.sim.Requests().isEmpty());
    const std::optional<QString> failure =
        FailureOf([&] { rig.sim.link->SetInstrument(rig.CurInstrument); });
    EXPECT_EQ(failure.value_or(QString()), GetMessage(9202, {"3"}));
    EXPECT_TRUE(rig.sim.Requests("GJ,W,").isEmpty());

    // A span concentration the field would round is refused with the others that cannot be
    // used, and no calibration starts.
    in.ClearChangeFlags();
    in.SetGasFullScale(2, 100);
    in.SetAutoCalib(2, 10.25f);
    rig.dialogs.clear();
    rig.option->ShowCalibrationPanel(true);
    for (int row : {1, 2, 4, 5})  // every channel but gas 3's unticked
        Tick(*rig.option->vfgCal, row, 1);
    rig.option->cmdCal_Click(1);
    ASSERT_EQ(rig.dialogs.messages().size(), 1);
    EXPECT_TRUE(rig.dialogs.messages().value(0).startsWith(GetGasCaption(&in, 2)))
        << rig.dialogs.messages().value(0).toStdString();
    EXPECT_TRUE(rig.sim.Requests("S2,W,").isEmpty());
}

}  // namespace
}  // namespace qv::test

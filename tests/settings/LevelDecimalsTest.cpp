// Every level and span concentration shown and written as the instrument holds it, also those of
// a channel whose sensor is switched off, on the main window with its built-in gas catalogue: an
// upload of another gas's level leaves them as they were read. Only a changed value whose
// decimal places nobody knows is refused, and the user is told what to do.
#include "AppError.h"
#include "SettingsWindow.h"
#include "modGasChecks.h"

namespace qv::test {
namespace {

// The reads of the per-gas values, in the order of the grid's value columns.
const QStringList kLevelCodes{"A1", "A2", "AS", "AW", "SA"};
// What the instrument keeps for a channel whose sensor was taken out: the values of the gas that
// was fitted there, in places that no gas of the channel's row of the catalogue would tell.
const QStringList kHeld{" 1.25", " 2.50", " 5.00", " 2.50", " 0.80"};

// The built-in instrument with the sensor of `off` taken out.
void TakeSensorOut(sim::Content& content, int off) {
    sim::RemoveSensor(content, off);
    for (int k = 0; k < kLevelCodes.size(); ++k) {
        QStringList fields = content.reads[kLevelCodes[k]].split(u',');
        fields[off] = kHeld[k];
        content.reads[kLevelCodes[k]] = fields.join(u',');
    }
}

// A read reply with some of its fields replaced: what a write must carry.
QString With(const QString& read, const QMap<int, QString>& changed) {
    QStringList fields = read.split(u',');
    for (auto it = changed.begin(); it != changed.end(); ++it)
        fields[it.key()] = it.value();
    return fields.join(u',');
}

// The writes the instrument received since the last clear.
QStringList Writes(const sim::InstrumentSimulator& sim) {
    QStringList out;
    for (const QString& r : sim.Received())
        if (r.mid(2, 3) == u",W,") out << r;
    return out;
}

class SwitchedOffSensor : public SettingsWindow, public ::testing::WithParamInterface<int> {};

TEST_P(SwitchedOffSensor, EveryLevelIsShownAndWrittenBackAsTheInstrumentHoldsIt) {
    const int off = GetParam();
    TakeSensorOut(sim.content(), off);
    const QMap<QString, QString> read = sim.content().reads;
    StartRead();
    ASSERT_EQ(GasTable[2][3].Name, "Cl2");  // the window's own catalogue
    const clsInstrument& in = *main->CurInstrument;
    ASSERT_FALSE(in.GasEnabled(off));
    OptionPage& page = *main->pageOption;
    main->cmdInst_Click(4);
    ui::FlexGrid& grid = *page.vfgOption;
    ui::FlexGrid& sensors = *main->pageInstrument->vfgInstSensor;
    for (int g = 0; g < 5; ++g) {
        for (int k = 0; k < kLevelCodes.size(); ++k) {
            SCOPED_TRACE(QString("gas %1 %2").arg(g + 1).arg(kLevelCodes[k]).toStdString());
            const QString field = read[kLevelCodes[k]].section(u',', g, g);
            const QString shown = field == u"*****" ? QStringLiteral("-----") : field;
            EXPECT_EQ(grid.TextMatrix(g + 2, k + 1), shown);
            if (k < 4) {
                EXPECT_EQ(sensors.TextMatrix(g + 2, k + 2), shown);
            }
        }
    }

    // Only gas 1's warning changes: every other field goes back as it was read.
    ASSERT_EQ(Type(grid, 2, 1, "12"), Entry::Stored);
    sim.ClearReceived();
    dialogs_->AnswerMsgBox(vbYes);
    page.cmdOption[0]->click();
    EXPECT_EQ(dialogs_->messages().last(), GetMessage(5311));
    EXPECT_EQ(Writes(sim), (QStringList{"A1,W," + With(read["A1"], {{0, "   12"}}), "DW,W,"}));

    // Every other kind changed on a gas whose sensor is fitted (STEL and TWA are not those of
    // gases 1 and 2).
    const int other = off == 2 ? 3 : 2;
    const bool h2s = other == 2;
    ASSERT_EQ(Type(grid, 2, 2, "55"), Entry::Stored);
    ASSERT_EQ(Type(grid, other + 2, 3, "20"), Entry::Stored);
    ASSERT_EQ(Type(grid, other + 2, 4, "8"), Entry::Stored);
    ASSERT_EQ(Type(grid, 2, 5, "15"), Entry::Stored);
    sim.ClearReceived();
    dialogs_->AnswerMsgBox(vbYes);
    page.cmdOption[0]->click();
    EXPECT_EQ(dialogs_->messages().last(), GetMessage(5311));
    const QStringList expected{"A1,W," + With(read["A1"], {{0, "   12"}}),
                               "A2,W," + With(read["A2"], {{0, "   55"}}),
                               "AS,W," + With(read["AS"], {{other, h2s ? " 20.0" : "   20"}}),
                               "AW,W," + With(read["AW"], {{other, h2s ? "  8.0" : "    8"}}),
                               "SA,W," + With(read["SA"], {{0, "   15"}}),
                               "DW,W,"};
    EXPECT_EQ(Writes(sim), expected);
    EXPECT_TRUE(sim.Refused().isEmpty()) << sim.Refused().join(u'|').toStdString();
}

INSTANTIATE_TEST_SUITE_P(BuiltInCatalogue, SwitchedOffSensor, ::testing::Values(2, 3, 4),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return "Gas" + std::to_string(info.param + 1);
                         });

// The instrument's own form of a level of a fitted sensor, in other places than the sensor's or a
// level of 0 (which the program holds as none), is shown in those places and goes back as it
// was, also when the same value is typed again.
TEST(LevelDecimals, AnUnchangedLevelKeepsTheInstrumentsOwnForm) {
    sim::Content content = sim::DefaultContent();
    content.reads["A1"] = " 10.0, 19.5, 10.0,   25,   10";
    content.reads["A2"] = "   50, 18.0, 30.0,  0.0,   50";
    SettingsRig rig(content);
    rig.ReadInstrument();
    ui::FlexGrid& grid = *rig.option->vfgOption;
    EXPECT_EQ(grid.TextMatrix(2, 1), " 10.0");
    EXPECT_EQ(grid.TextMatrix(5, 2), "-----");
    ASSERT_EQ(Type(grid, 2, 1, "10"), Entry::Stored);
    ASSERT_EQ(Type(grid, 4, 1, "12"), Entry::Stored);
    ASSERT_EQ(Type(grid, 6, 2, "60"), Entry::Stored);
    ASSERT_TRUE(rig.sim.link->SetInstrument(rig.CurInstrument));
    EXPECT_EQ(rig.sim.Requests(), (QStringList{"A1,W, 10.0, 19.5, 12.0,   25,   10",
                                               "A2,W,   50, 18.0, 30.0,  0.0,   60", "DW,W,"}));
}

// A changed value of a switched-off sensor goes out in the places it was read in; one whose
// places nobody knows (it was read as none) is refused, naming the gas, and nothing is sent.
TEST(LevelDecimals, AChangedLevelWithoutKnownPlacesIsRefused) {
    sim::Content content = sim::DefaultContent();
    sim::RemoveSensor(content, 4);
    content.reads["A1"] = "   10, 19.5, 10.0,   25, 1.25";
    SettingsRig rig(content);
    rig.ReadInstrument();
    clsInstrument& in = *rig.CurInstrument;
    in.SetWarning(4, 1.5f);  // as a caller other than the grid could
    ASSERT_TRUE(rig.sim.link->SetInstrument(rig.CurInstrument));
    EXPECT_EQ(rig.sim.Requests("A1,W,"), QStringList{"A1,W,   10, 19.5, 10.0,   25, 1.50"});

    in.ClearChangeFlags();
    in.SetStel(4, 5);  // read as none
    rig.sim.sim.ClearReceived();
    rig.option->cmdOption[0]->click();
    EXPECT_EQ(rig.dialogs.messages(), QStringList{GetMessage(9201, {"5"})});
    EXPECT_TRUE(GetMessage(9201, {"5"}).contains("download the instrument information again"));
    EXPECT_TRUE(rig.sim.Requests().isEmpty());
    // The link itself never writes such a level, whoever asks it to.
    const std::optional<QString> failure =
        FailureOf([&] { rig.sim.link->SetInstrument(rig.CurInstrument); });
    EXPECT_EQ(failure.value_or(QString()), GetMessage(9201, {"5"}));
    EXPECT_TRUE(rig.sim.Requests("AS,W,").isEmpty());

    // Settings that carry no such level still go out.
    in.ClearChangeFlags();
    rig.option->txtOption[1]->setText("DOCK");
    rig.dialogs.clear();
    rig.sim.sim.ClearReceived();
    rig.dialogs.AnswerMsgBox(vbYes);
    rig.option->cmdOption[0]->click();
    EXPECT_EQ(rig.dialogs.messages().value(1), GetMessage(5311));
    EXPECT_EQ(rig.sim.Requests(), (QStringList{"XS,W,DOCK      ", "DW,W,"}));
}

// The oxygen sensor is fixed: reported off, the window shows it on, but has no gas to write for
// it. An upload of a level leaves the gas list alone; one that changes another sensor writes the
// oxygen channel as the instrument holds it.
TEST_F(SettingsWindow, AFixedSensorReportedOffIsWrittenAsTheInstrumentHoldsIt) {
    ServiceMode = true;
    sim::RemoveSensor(sim.content(), 1);
    const QMap<QString, QString> read = sim.content().reads;
    StartRead();
    const clsInstrument& in = *main->CurInstrument;
    ASSERT_TRUE(in.GasEnabled(1));
    OptionPage& page = *main->pageOption;
    main->cmdInst_Click(4);
    ui::FlexGrid& grid = *page.vfgOption;
    EXPECT_EQ(grid.TextMatrix(3, 2), " 19.5");

    ASSERT_EQ(Type(grid, 2, 2, "12"), Entry::Stored);
    sim.ClearReceived();
    dialogs_->AnswerMsgBox(vbYes);
    page.cmdOption[0]->click();
    EXPECT_EQ(dialogs_->messages().last(), GetMessage(5311));
    EXPECT_EQ(Writes(sim), (QStringList{"A1,W," + With(read["A1"], {{0, "   12"}}), "DW,W,"}));

    dialogs_->AnswerMsgBox(vbYes);
    Tick(grid, 5, 1);  // gas 4's sensor out
    ASSERT_FALSE(in.GasEnabled(3));
    sim.ClearReceived();
    dialogs_->AnswerMsgBox(vbYes);
    page.cmdOption[0]->click();
    EXPECT_EQ(dialogs_->messages().last(), GetMessage(5311));
    EXPECT_EQ(Writes(sim).value(0),
              "GJ,W,10101,CH4   100    1%LEL,******************,"
              "H2S   100  0.5ppm ,******************,HC    100    1%LEL");
    EXPECT_TRUE(sim.Refused().isEmpty()) << sim.Refused().join(u'|').toStdString();
}

// A value field is five characters: a full scale, resolution or span concentration that its
// field would cut or round is refused before anything is sent, never written changed.
TEST(LevelDecimals, AValueItsFieldWouldChangeIsNeverSent) {
    EXPECT_EQ(ValueField(100, 1).value_or("-"), "100.0");
    EXPECT_EQ(ValueField(0.05f, 2).value_or("-"), " 0.05");
    EXPECT_FALSE(ValueField(100, 2));  // "100.00" would go out as "00.00"
    EXPECT_FALSE(ValueField(12345.6f, 1));
    EXPECT_FALSE(ValueField(0.25f, 1));  // would go out as 0.3

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
    // Not sent, the gas list stops nothing.
    in.SetChange_GasEnable(2, false);
    rig.sim.sim.ClearReceived();
    ASSERT_TRUE(rig.sim.link->SetInstrument(rig.CurInstrument));
    EXPECT_EQ(rig.sim.Requests(), QStringList{"DW,W,"});

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

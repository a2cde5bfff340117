// The calibration panel against the simulated instrument: its grid, span concentrations edited
// there, live readings, and zero and span calibration run to their reports, the instrument
// keeping what was calibrated.
#include "DownloadPage.h"
#include "SettingsRig.h"

#include <QElapsedTimer>
#include <QRegularExpression>

namespace qv::test {
namespace {

TEST(CalibrationPanel, GridSelectionConcentrationsAndLiveReadings) {
    SettingsRig rig;
    rig.sim.sim.content().reads["GJ"].replace(QRegularExpression("HC  .*$"), QString(18, u'*'));
    rig.ReadInstrument();
    ui::FlexGrid& cal = *rig.option->vfgCal;
    clsInstrument& in = *rig.CurInstrument;
    EXPECT_EQ(cal.TextMatrix(3, 2), " 10.0");
    EXPECT_TRUE(Ticked(cal, 1, 1));
    // The gas without a sensor is neither selected nor selectable; readings are not edited.
    EXPECT_EQ(ColorAt(cal, 5, 1), ui::RGB(192, 192, 192));
    Tick(cal, 5, 1);
    EXPECT_FALSE(Ticked(cal, 5, 1));
    EXPECT_EQ(Type(cal, 1, 3, "1"), Entry::NoEditor);

    // Emptied: unset in both grids and no longer selected; "--" stores 0; text is refused.
    EXPECT_EQ(Type(cal, 3, 2, ""), Entry::Stored);
    EXPECT_FLOAT_EQ(in.AutoCalib(2), -1);
    EXPECT_FALSE(Ticked(cal, 3, 1));
    EXPECT_EQ(rig.option->vfgOption->TextMatrix(4, 5), "-----");
    EXPECT_EQ(Type(cal, 4, 2, "--"), Entry::Stored);
    EXPECT_FLOAT_EQ(in.AutoCalib(3), 0);
    EXPECT_EQ(Type(cal, 4, 2, "abc"), Entry::Refused);
    EXPECT_EQ(Type(cal, 4, 2, "500"), Entry::Stored);  // the full scale itself
    EXPECT_EQ(Type(cal, 4, 2, "500.5"), Entry::Refused);

    // In service mode the grid edits the factory value; the instrument's stays.
    ServiceMode = true;
    rig.option->ShowOptionGrid();
    EXPECT_EQ(Type(cal, 1, 2, "30"), Entry::Stored);
    EXPECT_FLOAT_EQ(FactAutoCal[0], 30);
    EXPECT_FLOAT_EQ(in.AutoCalib(0), 10);
    EXPECT_EQ(rig.option->vfgOption->TextMatrix(2, 7), "   30");
    // The factory value is the program's own setting, to be kept once each edit has ended; the
    // instrument's values are not.
    EXPECT_EQ(rig.settingsChanged, 1);
    EXPECT_EQ(Type(*rig.option->vfgOption, 2, 7, "40"), Entry::Stored);
    EXPECT_FLOAT_EQ(FactAutoCal[0], 40);
    EXPECT_EQ(rig.settingsChanged, 2);

    rig.CalibMode = true;
    rig.sim.link->tmrDenst_Timer();
    QElapsedTimer waited;
    waited.start();
    while (cal.TextMatrix(2, 3).isEmpty() && waited.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(cal.TextMatrix(2, 3), " 20.9");
    EXPECT_EQ(cal.TextMatrix(5, 3), "-----");
}

TEST(CalibrationPanel, ZeroAndSpanRunToTheirReports) {
    SettingsRig rig;
    rig.sim.sim.SetCalibrationPolls(2);
    rig.sim.sim.SetZeroResult("01000");
    rig.ReadInstrument();
    rig.option->ShowCalibrationPanel(true);
    EXPECT_FALSE(rig.pageButtons);
    rig.NowReadings = {1, 20.5f, 0.5f, 2, 3, 0};
    bool runningState = true;
    const auto watch =
        QObject::connect(&rig.sim.sim, &sim::InstrumentSimulator::RequestReceived, [&] {
            runningState &=
                OperationMode == OpZeroCalibration && !rig.option->cmdCal[1]->isEnabled();
        });
    rig.option->cmdCal_Click(0);
    QObject::disconnect(watch);
    EXPECT_TRUE(runningState);
    EXPECT_EQ(rig.sim.sim.ZeroCalibration().channels, "11111");
    EXPECT_EQ(rig.dialogs.messages().value(0),
              "CH4  Adjustment Complete.\r\nOXY( 20.5) Failed\r\nH2S  Adjustment Complete.\r\n"
              "CO  Adjustment Complete.\r\nHC  Adjustment Complete.\r\n");
    EXPECT_EQ(OperationMode, OpIdle);
    EXPECT_TRUE(rig.option->cmdCal[0]->isEnabled() && rig.sim.link->RunDensty());
    EXPECT_EQ(rig.upload, nullptr);

    // The span sends the ticked channels with their concentrations; the instrument keeps it as
    // its latest calibration and in its history.
    Tick(*rig.option->vfgCal, 1, 1);
    Tick(*rig.option->vfgCal, 2, 1);
    rig.option->cmdCal_Click(1);
    EXPECT_EQ(rig.sim.Requests("S2,W,"), QStringList{"S2,W,00111,*****,*****, 10.0,  100,   10"});
    EXPECT_EQ(rig.dialogs.messages().value(1),
              "H2S  Adjustment Complete.\r\nCO  Adjustment "
              "Complete.\r\nHC  Adjustment Complete.\r\n");
    EXPECT_TRUE(rig.sim.sim.Refused().isEmpty()) << rig.sim.sim.Refused().join(u'|').toStdString();
    ASSERT_TRUE(rig.sim.link->GetLatestHistory(rig.CurInstrument));
    EXPECT_FLOAT_EQ(rig.CurInstrument->CalibAfter(3), 100);
    EXPECT_EQ(rig.CurInstrument->CalibDate(3).date(), rig.sim.sim.Clock().date());
    EXPECT_EQ(rig.sim.sim.content().blocks["IH4"].size(), 5);  // zeroed and spanned

    // A ticked channel without a usable concentration stops the span before anything is sent.
    rig.sim.sim.ClearReceived();
    rig.CurInstrument->SetAutoCalib(3, -1);
    rig.CurInstrument->SetAutoCalib(4, 5);  // below the warning level
    rig.option->cmdCal_Click(1);
    EXPECT_TRUE(rig.sim.Requests("S2,").isEmpty());
    EXPECT_EQ(rig.dialogs.messages().value(2), "CO(ppm)  Auto Cal. -----\r\nHC(%LEL)  Auto Cal. 5");
    EXPECT_EQ(rig.dialogs.asked().at(2).title, GetMessage(5346));

    // A calibration the instrument never answers: a red line and no report.
    rig.sim.SilenceAt("SZ,W,");
    rig.option->cmdCal_Click(0);
    EXPECT_EQ(rig.dialogs.messages().size(), 3);
    EXPECT_EQ(rig.log, QStringList{GetMessage(5413) + QString::number(LogColor::Failure)});

    // Leaving switches readings and pump off and gives the page buttons back.
    rig.sim.sim.ClearFaults();
    rig.option->cmdCal_Click(2);
    EXPECT_FALSE(rig.sim.link->RunDensty() || rig.sim.sim.content().pumpOn);
    EXPECT_TRUE(rig.pageButtons);
}

// Three seconds of the window's live-reading timer (while it runs) and link clock: the readings
// asked of the instrument.
int ReadingsAsked(SettingsRig& rig) {
    uclQvif& link = *rig.sim.link;
    rig.sim.sim.ClearReceived();
    for (int second = 0; second < 3; ++second) {
        if (link.RunDensty()) link.tmrDenst_Timer();
        QElapsedTimer waited;
        waited.start();
        while (link.Status() == StatusReadCommand && waited.elapsed() < 3000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        for (int tick = 0; tick < 10; ++tick)
            link.tmrTimer_Timer();
    }
    return rig.sim.Requests("DN,R,").size();
}

// A report box read slowly: the link's clock runs on for ten seconds while it is open.
struct SlowReader : ScriptedDialogs {
    explicit SlowReader(uclQvif& link) : link(link) {}
    int MsgBox(const QString& prompt, int style, const QString& title) override {
        for (int tick = 0; tick < 100; ++tick)
            link.tmrTimer_Timer();
        idleStatus = link.Status();
        return ScriptedDialogs::MsgBox(prompt, style, title);
    }
    uclQvif& link;
    int32_t idleStatus = 0;
};

// Whatever became of a zero or span calibration, the panel is back on live readings.
TEST(CalibrationPanel, LiveReadingsResumeAfterEveryCalibration) {
    SettingsRig rig;
    rig.sim.sim.SetCalibrationPolls(1);
    rig.ReadInstrument();
    uclQvif& link = *rig.sim.link;
    rig.option->cmdOption[2]->click();
    ASSERT_EQ(ReadingsAsked(rig), 3);

    rig.option->cmdCal_Click(0);
    EXPECT_EQ(rig.dialogs.messages().size(), 1);
    EXPECT_EQ(ReadingsAsked(rig), 3) << "after a zero";
    {
        SlowReader slow(link);
        rig.option->cmdCal_Click(0);
        EXPECT_EQ(slow.messages().size(), 1);
        EXPECT_EQ(slow.idleStatus, StatusFailed) << "the idle link timed out meanwhile";
        EXPECT_EQ(ReadingsAsked(rig), 3) << "after a zero whose report stayed open";
        rig.option->cmdCal_Click(1);
        EXPECT_EQ(slow.messages().size(), 2);
        EXPECT_EQ(ReadingsAsked(rig), 3) << "after a span whose report stayed open";
    }
    rig.sim.SilenceAt("SZ,W,");
    rig.option->cmdCal_Click(0);
    EXPECT_EQ(link.Status(), StatusFailed);
    rig.sim.sim.ClearFaults();
    EXPECT_EQ(ReadingsAsked(rig), 3) << "after a zero the instrument never answered";
    rig.sim.OnRequest("SZ,C,", [&link] { link.SetCancel(true); });
    rig.option->cmdCal_Click(0);
    EXPECT_EQ(link.Status(), StatusCancelled);
    EXPECT_EQ(ReadingsAsked(rig), 3) << "after a cancelled zero";
    EXPECT_EQ(rig.dialogs.messages().size(), 1);
    EXPECT_EQ(rig.log.size(), 2);  // the failure and the cancel, in red
}

// While another operation holds the link, the panel's commands start nothing.
TEST(CalibrationPanel, CommandsWaitForTheLink) {
    SettingsRig rig;
    rig.ReadInstrument();
    LinkGuard::Claim download(rig.sim.link->Guard());
    for (int i = 0; i < 3; ++i)
        rig.option->cmdCal_Click(i);
    EXPECT_TRUE(rig.sim.Requests().isEmpty());
    EXPECT_TRUE(rig.dialogs.asked().empty());
}

}  // namespace
}  // namespace qv::test

// The instrument read table and the settings upload against the simulator: what is asked for in
// which order, what the instrument object holds afterwards, and what the instrument keeps.
#include "AppError.h"
#include "SimLinkRig.h"
#include "modMessage.h"

#include <utility>

namespace qv::test {
namespace {

const QStringList kTable = {"VP,R,", "XZ,R,", "XS,R,", "IN,R,", "HN,R,", "HC,R,", "LP,R,", "AP,R,",
                            "XP,R,", "XI,R,", "SD,R,", "SM,R,", "SC,R,", "XL,R,", "XA,R,", "XB,R,",
                            "XW,R,", "XT,R,", "UL,R,", "HF,R,", "DD,R,", "A1,R,", "A2,R,", "AS,R,",
                            "AW,R,", "HA,R,", "VS,R,", "GJ,R,", "SA,R,", "UZ,R,", "AT,R,"};

TEST(InstrumentReadTable, FillsTheInstrumentInTheTablesOrderAndEndsAtAFailure) {
    SimLinkRig rig;
    ASSERT_TRUE(rig.Connect());
    AtCommandVersion = 2056;
    rig.instrument->SetUserId(QStringLiteral("OLD"));
    ASSERT_TRUE(rig.link->GetInstrument(rig.instrument));
    EXPECT_EQ(rig.link->Status(), StatusCompleted);
    EXPECT_EQ(rig.Requests(), kTable);
    const clsInstrument& in = *rig.instrument;
    EXPECT_EQ(in.RomNumber(), 2100);
    EXPECT_EQ(in.UserId(), QStringLiteral("USER01"));
    EXPECT_FALSE(in.Change_UserID());
    // The instrument's clock runs from its set time.
    const qint64 ahead = QDateTime(QDate(2014, 5, 9), QTime(8, 30), Qt::UTC).secsTo(in.SysDate());
    EXPECT_TRUE(ahead >= 0 && ahead < 10) << ahead;
    EXPECT_FLOAT_EQ(in.Warning(1), 19.5f);
    EXPECT_EQ(in.GasName(1), QStringLiteral("OXY"));
    EXPECT_EQ(in.AlarmO2(), 1);

    // The oxygen alarm pattern goes only to a program newer than the setting names; the setting
    // is read afresh at every call.
    AtCommandVersion = 2100;
    rig.sim.ClearReceived();
    ASSERT_TRUE(rig.link->GetInstrument(rig.instrument));
    EXPECT_EQ(rig.Requests(), kTable.mid(0, 30));

    // An unanswered command ends the read; what came before it is kept.
    rig.sim.ClearReceived();
    rig.instrument->SetUserId(QStringLiteral("OLD"));
    rig.SilenceAt(QStringLiteral("XS,R,"));
    EXPECT_FALSE(rig.link->GetInstrument(rig.instrument));
    EXPECT_EQ(rig.link->Status(), StatusFailed);
    EXPECT_EQ(rig.instrument->UserId(), QStringLiteral("USER01"));
    EXPECT_EQ(rig.sim.CountReceived(QStringLiteral("XS,R,")), 31);
    EXPECT_EQ(rig.Requests().last(), QStringLiteral("XS,R,"));
}

TEST(SettingsUpload, SendsTheFlaggedSettingsInOrderAndTheInstrumentKeepsThem) {
    SimLinkRig rig;
    ASSERT_TRUE(rig.Connect());
    AtCommandVersion = 2056;  // the oxygen alarm pattern is read as well
    // Edits left from before are replaced by what the instrument holds.
    rig.instrument->SetGasEnabled(2, false);
    rig.instrument->SetChange_Zero(1, true);
    rig.instrument->SetAlarmO2(0);
    ASSERT_TRUE(rig.link->GetInstrument(rig.instrument));
    ASSERT_TRUE(rig.link->GetLatestHistory(rig.instrument));
    clsInstrument& in = *rig.instrument;
    rig.sim.ClearReceived();

    // Right after a read nothing is edited: only the closing command.
    ASSERT_TRUE(rig.link->SetInstrument(rig.instrument));
    EXPECT_EQ(rig.Requests(), QStringList{QStringLiteral("DW,W,")});
    // A channel without an auto-calibration value travels as "*****", answered at once.
    in.SetAutoCalib(2, -1);
    rig.sim.ClearReceived();
    ASSERT_TRUE(rig.link->SetInstrument(rig.instrument));
    ASSERT_EQ(rig.Requests().size(), 2);
    EXPECT_TRUE(rig.Requests()[0].startsWith(QStringLiteral("SA,W,")));
    EXPECT_TRUE(rig.Requests()[0].contains(QStringLiteral("*****")));
    in.ClearChangeFlags();

    in.SetUserId(QStringLiteral("INSPECTOR-12"));  // 12 characters, 10 go out
    in.SetStationID(QStringLiteral("DOCK"));
    in.SetGasEnabled(2, false);
    in.SetDispID(false);
    in.SetLcdBackLight(10);
    in.SetWarning(3, 50);
    in.SetCalLimit(30);
    in.SetIntervals(600);
    in.SetZero(1, 1);
    in.SetZero(3, 12);
    in.SetZero(4, 1);
    in.SetChange_Zero(3, true);
    rig.sim.ClearReceived();
    ASSERT_TRUE(rig.link->SetInstrument(rig.instrument));
    EXPECT_EQ(rig.Requests(),
              QStringList({"XZ,W,INSPECTOR-", "XS,W,DOCK      ",
                           "GJ,W,11011,CH4   100    1%LEL,OXY    40  0.1VOL%,******************,"
                           "CO    500    1ppm ,HC    100    1%LEL",
                           "XI,W,0", "XT,W,000A", "A1,W,   10, 19.5, 10.0,   50,   10", "SC,W,1E",
                           "XP,W,0258", "UZ,W,01021", "DW,W,"}));
    EXPECT_EQ(rig.link->Status(), StatusCompleted);
    // The edit flags are the host's to clear.
    EXPECT_TRUE(in.Change_Warn(3));

    // Read back into a fresh object, the instrument holds what was sent.
    auto back = std::make_shared<clsInstrument>();
    ASSERT_TRUE(rig.link->GetInstrument(back));
    EXPECT_EQ(back->UserId(), QStringLiteral("INSPECTOR-"));
    EXPECT_FALSE(back->GasEnabled(2));
    EXPECT_EQ(back->Intervals(), 600);
    EXPECT_TRUE(
        ReadSerialLog().contains(QStringLiteral("---Instrument Upload Finished---. Date = ")));
    EXPECT_TRUE(rig.sim.Refused().isEmpty()) << rig.sim.Refused().join(u'|').toStdString();
}

// The instrument answers a write late, after the link has sent it again, and then answers the
// repeat too: that second echo arrives while the next write waits for its own. Each write is
// done only with its own echo.
TEST(SettingsUpload, AWriteIsDoneOnlyByItsOwnEcho) {
    SimLinkRig rig;
    ASSERT_TRUE(rig.Connect());
    ASSERT_TRUE(rig.link->GetInstrument(rig.instrument));
    clsInstrument& in = *rig.instrument;
    in.ClearChangeFlags();
    in.SetUserId(QStringLiteral("INSPECTOR"));
    in.SetStationID(QStringLiteral("DOCK"));
    rig.sim.InjectSlowOnce(QStringLiteral("XZ,W,"));
    // The station's first write is lost: only its repeat is answered.
    rig.OnRequest(QStringLiteral("XS,W,"), [&, once = true]() mutable {
        if (std::exchange(once, false)) rig.sim.InjectSilence(1);
    });
    rig.sim.ClearReceived();
    ASSERT_TRUE(rig.link->SetInstrument(rig.instrument));
    EXPECT_EQ(rig.Requests(), QStringList({"XZ,W,INSPECTOR ", "XZ,W,INSPECTOR ", "XS,W,DOCK      ",
                                           "XS,W,DOCK      ", "DW,W,"}));
    EXPECT_EQ(rig.sim.content().reads.value(QStringLiteral("XS")), QStringLiteral("DOCK      "));
    EXPECT_EQ(rig.sim.SettingsCommits(), 1);
    EXPECT_EQ(ReadSerialLog().count(GetMessage(9110)), 1);
}

TEST(SettingsUpload, AnUnansweredWriteStopsTheUploadButNotTheInitialisation) {
    SimLinkRig rig;
    ASSERT_TRUE(rig.Connect());
    ASSERT_TRUE(rig.link->GetInstrument(rig.instrument));
    rig.SilenceAt(QStringLiteral("AT,W,"));
    rig.sim.ClearReceived();
    EXPECT_FALSE(rig.link->SetInitValue(rig.instrument));
    QStringList sent;
    for (const QString& r : rig.Requests())
        if (sent.isEmpty() || sent.last() != r.left(5)) sent << r.left(5);
    // Everything but the identity, the gas list, the contrast and the flow adjust, up to the
    // write that went unanswered; then the clock and the erase.
    EXPECT_EQ(sent, QStringList({"LP,W,", "AP,W,", "XI,W,", "SD,W,", "SM,W,", "XL,W,", "XA,W,",
                                 "XB,W,", "XW,W,", "XT,W,", "AT,W,", "HC,W,", "XC,W,", "XC,C,"}));
    EXPECT_EQ(rig.sim.Erases(), 1);
    EXPECT_TRUE(ReadSerialLog().contains(QStringLiteral("---Instrument Upload Failed---")));
    // What became of each setting, a per-gas write once for each gas.
    const uclQvif::UploadReport& report = rig.link->LastUpload();
    EXPECT_EQ(report.written.size(), 10);
    EXPECT_EQ(report.written.value(0), "HC Pattern");
    EXPECT_EQ(report.written.value(9), "LCD Backlight Time");
    EXPECT_EQ(report.unanswered, QStringList{"OXY Pattern"});
    EXPECT_EQ(report.unsent.size(), 5 * 6 + 3);
    EXPECT_EQ(report.unsent.mid(0, 2),
              (QStringList{"Warning level of gas 1", "Warning level of gas 2"}));
    EXPECT_EQ(report.unsent.mid(25, 3),
              (QStringList{"Cal. Limit", "Interval Trend Time", "Tail Zero of gas 1"}));
    EXPECT_EQ(report.unsent.last(), "Closing command of the upload");
    EXPECT_EQ(ReadSerialLog().count(GetMessage(9401, {"OXY Pattern"})), 1);
    EXPECT_FALSE(rig.link->SetInstrument(nullptr));
    EXPECT_TRUE(rig.link->LastUpload().written.isEmpty());
}

// A setting that cannot be written stops the upload before the instrument takes any other.
TEST(SettingsUpload, AValueThatCannotBeWrittenStopsTheUploadBeforeAnyWrite) {
    SimLinkRig rig;
    ASSERT_TRUE(rig.Connect());
    ASSERT_TRUE(rig.link->GetInstrument(rig.instrument));
    clsInstrument& in = *rig.instrument;
    in.SetStationID(QStringLiteral("DOCK"));
    ASSERT_EQ(in.GasPoint(2), 1);
    in.SetGasFullScale(2, 1000);  // "1000.0" has no five-character form
    in.SetChange_GasEnable(2, true);
    rig.sim.ClearReceived();
    EXPECT_EQ(FailureOf([&] { rig.link->SetInstrument(rig.instrument); }).value_or(QString()),
              GetMessage(9202, {QStringLiteral("3")}));
    EXPECT_TRUE(rig.Requests().isEmpty()) << rig.Requests().join(u'|').toStdString();
    EXPECT_TRUE(rig.link->LastUpload().written.isEmpty());
}

}  // namespace
}  // namespace qv::test

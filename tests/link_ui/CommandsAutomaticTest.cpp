// The download commands, the automatic mode and the link events on a scripted link: the
// buttons given back, the questions asked, and what a running operation keeps out.
#include "Database.h"
#include "FailingDialogs.h"
#include "PageRig.h"

#include <gtest/gtest.h>

namespace qv::test {
namespace {

const std::array<bool, 9> kBefore{true, true, false, true, false, true, false, false, true};
const std::array<bool, 9> kNone{};
// What a connection enables: the two downloads that read the instrument, and power off.
const std::array<bool, 9> kConnected{true, true, false, false, false, false, false, false, true};

TEST(Commands, AFailedCommandGivesTheButtonsBackAsTheyWere) {
    PageRig rig;
    rig.SetEnabled(kBefore);
    rig.link.results["DJ"] = false;  // the chain stops at the alarm trend
    rig.link.lines["DR"] = {};       // a step without data does not stop it
    rig.page->cmdDown_Click(0);
    EXPECT_EQ(rig.link.calls, (QStringList{"Instrument", "SO", "IH", "DR", "DJ"}));
    EXPECT_EQ(rig.Enabled(), kBefore);
    EXPECT_FALSE(rig.link.log.join(u'|').contains("All download sequence Finished"));
    EXPECT_EQ(OperationMode, OpIdle);
}

// A read of the instrument's information that failed or was cancelled leaves the instrument
// object cleared: nothing is stored with it, and the buttons that would store or erase logs
// stay off until a read succeeds. A new connection holds no information of its instrument yet.
TEST(Commands, LogsAreStoredOnlyWithTheInformationOfTheirInstrument) {
    PageRig rig;
    const std::array<bool, 9> every{true, true, true, true, true, true, true, true, true};
    const auto refused = [&] {
        rig.link.calls.clear();
        rig.journal.clear();
        rig.colors.clear();
        for (int index = 2; index <= 6; ++index)
            rig.page->cmdDown_Click(index);  // as a click reaching a button left enabled would
        EXPECT_TRUE(rig.link.calls.isEmpty()) << rig.link.calls.join(u',').toStdString();
        EXPECT_EQ(rig.journal.count(PageRig::Text(9053)), 5);
        EXPECT_EQ(rig.ColorOf(PageRig::Text(9053)), LogColor::Failure);
        EXPECT_TRUE(rig.link.log.contains(GetMessage(9053)));
        EXPECT_EQ(rig.db.count(QStringLiteral("Log_head")), 0);
    };
    rig.SetEnabled(every);
    rig.link.results["Instrument"] = false;
    rig.page->cmdDown_Click(1);
    EXPECT_EQ(rig.Enabled(), kConnected);
    refused();

    rig.link.results["Instrument"] = true;
    rig.link.during = [&](const QString& op) {
        if (op == "Instrument") rig.link.cancel = true;
    };
    rig.page->cmdDown_Click(0);
    EXPECT_EQ(rig.Enabled(), kConnected);
    refused();

    rig.link.during = nullptr;
    rig.page->cmdDown_Click(1);
    EXPECT_EQ(rig.Enabled(), every);
    rig.page->cmdDown_Click(2);
    EXPECT_EQ(rig.link.calls.last(), "DR");
    Database db(DatabasePath);
    EXPECT_GT(
        db.scalar(QStringLiteral("Select Count(*) From Log_head Where SerialNo='SN1'")).toInt(), 0);

    rig.page->uclQV4170_OnConnect();
    EXPECT_EQ(rig.Enabled(), kConnected);
}

TEST(Commands, ClearDataAndPowerOffAskFirst) {
    PageRig rig;
    rig.SetEnabled(kBefore);
    // A sensor combination that is not allowed stops Clear Data in service mode only.
    ServiceMode = true;
    rig.CurInstrument->SetGasEnabled(0, true);
    rig.page->cmdDown_Click(7);
    EXPECT_EQ(rig.dialogs.messages(), QStringList{"This is not available combination."});
    ServiceMode = false;
    rig.dialogs.AnswerMsgBox(vbNo);
    rig.page->cmdDown_Click(7);
    EXPECT_EQ(rig.dialogs.messages().last(), GetMessage(5343));
    EXPECT_TRUE(rig.link.calls.isEmpty());
    EXPECT_TRUE(rig.journal.empty());

    rig.dialogs.AnswerMsgBox(vbYes);
    rig.link.results["XC"] = false;
    rig.page->cmdDown_Click(7);
    EXPECT_EQ(rig.journal, (QStringList{PageRig::Text(5433), PageRig::Text(5435)}));
    EXPECT_EQ(rig.link.log, (QStringList{"[XC]", GetMessage(5559)}));
    EXPECT_EQ(rig.Enabled(), kBefore);

    // Power off: the exit button is disabled while it runs; a failure restores the buttons.
    bool exitDuring = true;
    rig.link.during = [&](const QString&) { exitDuring = rig.cmdInstExit->isEnabled(); };
    rig.link.results["RO"] = false;
    rig.dialogs.AnswerMsgBox(vbYes);
    rig.page->cmdDown_Click(8);
    EXPECT_FALSE(exitDuring);
    EXPECT_EQ(rig.ColorOf(PageRig::Text(5408)), LogColor::Failure);
    EXPECT_EQ(rig.Enabled(), kBefore);
    EXPECT_EQ(rig.afresh, 0);
    rig.link.connected = false;
    rig.dialogs.AnswerMsgBox(vbYes);
    rig.page->cmdDown_Click(8);
    EXPECT_EQ(rig.journal.last(), PageRig::Text(5409));
    EXPECT_EQ(rig.link.calls.count("RO"), 1);
}

struct Automatic : ::testing::Test {
    PageRig rig;
    void SetUp() override {
        AutoLoad = AutoRemoveData = true;
        rig.InAutoLoadClick = false;
        rig.page->chkAutoLoad[0]->setChecked(true);
        rig.page->chkAutoLoad[1]->setChecked(true);
        rig.InAutoLoadClick = true;
    }
};

TEST_F(Automatic, DataIsErasedOnlyWhenItsRemovalWasConfirmedAndAFailedRemovalStillSwitchesOff) {
    rig.page->RunAutomaticMode();
    EXPECT_EQ(rig.link.calls.mid(rig.link.calls.size() - 2), (QStringList{"XC", "RO"}));
    EXPECT_EQ(rig.journal.last(), PageRig::Text(5410));

    // The box ticked while the boxes ignored clicks: nobody confirmed the removal.
    AutoRemoveData = false;
    rig.link.connected = true;
    rig.link.calls.clear();
    rig.page->RunAutomaticMode();
    EXPECT_FALSE(rig.link.calls.contains("XC"));
    EXPECT_EQ(rig.link.calls.last(), "RO");

    // A failed removal still switches off, and the run ends failed without a fresh start.
    AutoRemoveData = ServiceMode = rig.link.connected = true;
    rig.link.results["XC"] = false;
    rig.link.results["RO"] = false;
    const int afresh = rig.afresh;
    rig.page->RunAutomaticMode();
    EXPECT_EQ(rig.link.calls.mid(rig.link.calls.size() - 3), (QStringList{"DO", "XC", "RO"}));
    EXPECT_TRUE(rig.link.log.contains(GetMessage(5558)));
    EXPECT_EQ(rig.journal.mid(rig.journal.size() - 3),
              (QStringList{PageRig::Text(5435), PageRig::Text(5408), PageRig::Text(5411)}));
    EXPECT_EQ(rig.afresh, afresh);
    EXPECT_EQ(OperationMode, OpIdle);
    EXPECT_EQ(rig.page->LoadedUpload(), nullptr);
}

// An instrument that ignores its power-off is polled and found again at once: that is no new
// connection, and the mode does not download and erase it again until it has gone (its lines
// dropped, or the link gave up polling it) and connected anew.
TEST_F(Automatic, RunsOncePerConnectionWhenThePowerOffIsIgnored) {
    const auto runs = [&] { return rig.link.calls.count("Instrument"); };
    const auto reconnect = [&] {
        rig.link.connected = true;
        rig.page->uclQV4170_OnConnect();
    };
    rig.link.results["RO"] = false;
    reconnect();
    EXPECT_EQ(runs(), 1);
    reconnect();
    reconnect();
    EXPECT_EQ(runs(), 1);
    EXPECT_EQ(rig.link.calls.count("XC"), 1);
    EXPECT_EQ(rig.ColorOf(PageRig::Text(9059)), LogColor::Failure);

    rig.page->uclQV4170_OnDisConnect();  // unplugged
    reconnect();
    EXPECT_EQ(runs(), 2);
    // Gone without a change of its lines: the link gave up its polls. A message relayed
    // during the next run's download is no sign of the instrument going.
    rig.link.connected = false;
    rig.page->uclQV4170_AlarmMessage(GetMessage(5405));
    rig.link.during = [&](const QString& op) {
        if (op == "DR") rig.page->uclQV4170_AlarmMessage(QStringLiteral("New Data!\r\n"));
    };
    reconnect();
    EXPECT_EQ(runs(), 3);
    reconnect();
    EXPECT_EQ(runs(), 3);
    rig.link.during = nullptr;

    // A power-off that was taken ends the connection.
    rig.link.results["RO"] = true;
    rig.page->uclQV4170_OnDisConnect();
    reconnect();
    reconnect();
    EXPECT_EQ(runs(), 5);
    EXPECT_EQ(rig.link.calls.count("XC"), 5);
}

// A calibration history that did not arrive fails the run before anything is erased.
TEST_F(Automatic, AMissingCalibrationHistoryKeepsTheDataOnTheInstrument) {
    rig.link.results["IH"] = false;
    rig.page->RunAutomaticMode();
    EXPECT_EQ(rig.link.calls, (QStringList{"Instrument", "SO", "IH", "RO"}));
    EXPECT_TRUE(rig.journal.contains(PageRig::Text(5416)));
    EXPECT_EQ(rig.journal.last(), PageRig::Text(5411));
    EXPECT_FALSE(rig.link.log.contains(GetMessage(5557)));
    EXPECT_TRUE(rig.link.log.last().startsWith("---Automatic Mode Failed Finished---"));
}

// A window that closes ends the mode with the transfer in progress: nothing is erased, the
// instrument is not switched off and nothing starts afresh; the run ends failed.
TEST_F(Automatic, AWindowThatClosesEndsTheModeWithTheTransferInProgress) {
    rig.link.during = [&](const QString& op) {
        if (op == "DR") rig.page->CancelForClose();
    };
    rig.page->RunAutomaticMode();
    EXPECT_EQ(rig.link.calls, (QStringList{"Instrument", "SO", "IH", "DR"}));
    EXPECT_EQ(rig.afresh, 0);
    EXPECT_EQ(rig.journal.last(), PageRig::Text(5411));
    EXPECT_TRUE(rig.link.log.last().startsWith("---Automatic Mode Failed Finished---"));
    EXPECT_EQ(rig.page->LoadedUpload(), nullptr);
    EXPECT_EQ(OperationMode, OpIdle);
}

TEST(Commands, APowerOffDuringAWindowsCloseStartsNothingAfresh) {
    PageRig rig;
    rig.link.during = [&](const QString& op) {
        if (op == "RO") rig.page->CancelForClose();
    };
    rig.dialogs.AnswerMsgBox(vbYes);
    rig.page->cmdDown_Click(8);
    EXPECT_EQ(rig.link.calls, QStringList{"RO"});
    EXPECT_EQ(rig.journal.last(), PageRig::Text(5407));
    EXPECT_EQ(rig.afresh, 0);
}

TEST_F(Automatic, CheckBoxesAskBeforeTheyChangeTheSettings) {
    QCheckBox* load = rig.page->chkAutoLoad[0];
    QCheckBox* removal = rig.page->chkAutoLoad[1];
    rig.dialogs.AnswerMsgBox(vbNo);
    load->click();  // deselect, refused
    EXPECT_TRUE(load->isChecked());
    EXPECT_TRUE(AutoLoad);
    rig.dialogs.AnswerMsgBox(vbYes);
    load->click();  // deselect
    EXPECT_FALSE(AutoLoad || AutoRemoveData || removal->isChecked() || removal->isEnabled());
    rig.dialogs.AnswerMsgBox(vbNo);
    load->click();  // select, refused
    EXPECT_FALSE(load->isChecked() || AutoLoad);
    rig.dialogs.AnswerMsgBox(vbYes);
    load->click();
    EXPECT_TRUE(AutoLoad && removal->isEnabled());
    rig.dialogs.AnswerMsgBox(vbNo);
    removal->click();
    EXPECT_FALSE(removal->isChecked() || AutoRemoveData);
    rig.dialogs.AnswerMsgBox(vbYes);
    removal->click();
    EXPECT_TRUE(AutoRemoveData);
    const size_t asked = rig.dialogs.asked().size();
    removal->click();  // unticked without a question
    EXPECT_FALSE(AutoRemoveData);
    rig.page->uclQV4170_OnDisConnect();  // from here clicks change only the boxes
    removal->click();
    EXPECT_TRUE(removal->isChecked());
    EXPECT_FALSE(AutoRemoveData);
    EXPECT_EQ(rig.dialogs.asked().size(), asked);
    // Each of the four clicks that changed a setting, and no other, had it kept.
    EXPECT_EQ(rig.settingsChanged, 4);
}

// A command or the automatic mode that fails part-way, in the link or in a question, has its
// failure shown by the boundary and gives back what it took: the page works on.
TEST(Commands, ACommandThatFailsPartWayIsShownAndGivesBackWhatItTook) {
    PageRig rig;
    rig.SetEnabled(kBefore);
    const QString failure = QStringLiteral("The port went away");
    rig.link.during = [&](const QString& op) {
        if (op == "DJ" || op == "RO") throw AppError(ErrInvalidCall, failure);
    };
    const auto givenBack = [&] {
        EXPECT_EQ(rig.Enabled(), kBefore);
        EXPECT_TRUE(rig.cmdInstExit->isEnabled());
        EXPECT_EQ(rig.page->LoadedUpload(), nullptr);
        EXPECT_EQ(OperationMode, OpIdle);
        EXPECT_FALSE(rig.link.guard.Busy());
    };
    rig.page->cmdDown[3]->click();  // the alarm trend
    EXPECT_EQ(rig.dialogs.messages(), QStringList{failure});
    EXPECT_EQ(rig.dialogs.asked().back().style, vbCritical);
    givenBack();
    rig.dialogs.AnswerMsgBox(vbYes);
    rig.page->cmdDown[8]->click();  // power off, the exit button disabled meanwhile
    EXPECT_EQ(rig.dialogs.messages(), (QStringList{failure, GetMessage(5347), failure}));
    givenBack();

    rig.link.during = nullptr;
    rig.page->cmdDown[3]->click();
    EXPECT_EQ(rig.link.calls.count("DJ"), 2);
    EXPECT_EQ(rig.dialogs.messages().size(), 3);
    EXPECT_EQ(rig.Enabled(), kBefore);
}

TEST_F(Automatic, AModeThatFailsPartWayGivesTheBoxesBack) {
    rig.link.during = [](const QString& op) {
        if (op == "DR") throw AppError(ErrInvalidCall, QStringLiteral("The port went away"));
    };
    // The link event that started it shows the failure.
    EXPECT_THROW(rig.page->RunAutomaticMode(), AppError);
    EXPECT_TRUE(rig.page->chkAutoLoad[0]->isEnabled() && rig.page->chkAutoLoad[1]->isEnabled());
    EXPECT_EQ(rig.page->LoadedUpload(), nullptr);
    EXPECT_EQ(OperationMode, OpIdle);
    EXPECT_FALSE(rig.link.guard.Busy());

    rig.link.during = nullptr;
    rig.page->RunAutomaticMode();
    EXPECT_EQ(rig.link.calls.last(), "RO");
}

TEST_F(Automatic, ABoxWhoseQuestionFailsShowsTheSettingInForce) {
    QCheckBox* load = rig.page->chkAutoLoad[0];
    QCheckBox* removal = rig.page->chkAutoLoad[1];
    FailingDialogs failing(GetMessage(5305));  // turning automatic load off
    load->click();
    EXPECT_EQ(failing.messages(), QStringList{FailingDialogs::Failure()});
    EXPECT_TRUE(AutoLoad && AutoRemoveData);
    EXPECT_TRUE(load->isChecked() && removal->isChecked() && removal->isEnabled());
    // The next click is asked as always.
    failing.AnswerMsgBox(vbYes);
    load->click();
    EXPECT_EQ(failing.messages().last(), GetMessage(5305));
    EXPECT_FALSE(AutoLoad || load->isChecked());
}

TEST(LinkEvents, NothingStartsDuringAnOperationAndAConnectionEnablesOnlyAfterwards) {
    PageRig rig;
    // Settings held from an earlier connection are not this instrument's: no upload of them.
    rig.CurInstrument->SetCommFlags(true);
    rig.cmdOptionUpdate->setEnabled(true);
    rig.page->uclQV4170_OnConnect();
    EXPECT_EQ(rig.ColorOf("QV-4170...Connection Successful."), ui::RGB(0, 0, 255));
    EXPECT_EQ(rig.page->shpStatus[1]->BackColor(), rig.LampGreen[0]);
    const std::array<bool, 9> connected{true, true, false, false, false, false, false, false, true};
    EXPECT_EQ(rig.Enabled(), connected);
    EXPECT_FALSE(rig.cmdOptionUpdate->isEnabled());
    EXPECT_FALSE(rig.CurInstrument->CommFlags());

    // While a download runs no click or automatic run starts, and a reconnection's buttons wait
    // for its end.
    rig.SetEnabled(kNone);
    std::array<bool, 9> during{};
    rig.link.during = [&](const QString& op) {
        if (op != "DR") return;
        rig.page->cmdDown_Click(3);
        rig.page->RunAutomaticMode();
        rig.page->uclQV4170_OnConnect();
        during = rig.Enabled();
    };
    rig.link.calls.clear();
    rig.CurInstrument->SetCommFlags(true);  // its information was read
    rig.page->cmdDown_Click(2);
    EXPECT_EQ(rig.link.calls, QStringList{"DR"});
    EXPECT_FALSE(rig.page->Busy());
    EXPECT_EQ(during, kNone);
    EXPECT_EQ(rig.Enabled(), connected);

    // With automatic load: a reconnection inside the run starts no second run, nor does one
    // while another page's operation (a calibration) holds the link.
    AutoLoad = true;
    rig.link.calls.clear();
    rig.link.during = [&](const QString& op) {
        if (op == "DR") rig.page->uclQV4170_OnConnect();
    };
    rig.link.results["RO"] = false;
    rig.page->uclQV4170_OnConnect();
    EXPECT_EQ(rig.link.calls.count("Instrument"), 1);
    rig.link.calls.clear();
    {
        LinkGuard::Claim calibration(rig.link.guard);
        rig.page->uclQV4170_OnConnect();
        rig.page->cmdDown_Click(1);
        EXPECT_TRUE(rig.page->Busy());
    }
    EXPECT_TRUE(rig.link.calls.isEmpty());
    EXPECT_FALSE(rig.page->Busy());
}

// A port that cannot be used is said in red in the status log once per cause, besides its
// lamp.
TEST(LinkEvents, APortThatCannotBeUsedIsSaidOncePerCause) {
    PageRig rig;
    const auto said = [&rig](const QString& cause) {
        return rig.journal.count(GetMessage(9101, {cause}));
    };
    const QString missing = QStringLiteral("Port COM1 (/dev/ttyUSB0) cannot be opened: missing");
    const QString gone = QStringLiteral("Port COM1 (/dev/ttyUSB0) went away: Input/output error");
    rig.link.portError = missing;
    rig.page->uclQV4170_PortStateChanged();
    rig.page->uclQV4170_PortStateChanged();
    EXPECT_EQ(said(missing), 1);
    EXPECT_EQ(rig.ColorOf(GetMessage(9101, {missing})), LogColor::Failure);
    EXPECT_EQ(rig.page->shpStatus[0]->BackColor(), rig.LampRed[0]);
    rig.link.portError.clear();
    rig.page->uclQV4170_PortStateChanged();
    EXPECT_EQ(rig.page->shpStatus[0]->BackColor(), rig.LampGreen[0]);
    EXPECT_EQ(rig.journal.size(), 1);
    rig.link.portError = gone;
    rig.page->uclQV4170_PortStateChanged();
    rig.link.portError = missing;
    rig.page->uclQV4170_PortStateChanged();
    EXPECT_EQ(said(gone), 1);
    EXPECT_EQ(said(missing), 2);
}

TEST(LinkEvents, ALostLinkRetriesMessagesDumpAndPortErrors) {
    PageRig rig;
    rig.SetEnabled(kBefore);
    rig.link.during = [&](const QString&) { rig.page->uclQV4170_OnDisConnect(); };
    rig.link.results["DR"] = false;
    rig.page->cmdDown_Click(2);
    // The link went while a command ran: it gives the buttons back disabled.
    EXPECT_EQ(rig.Enabled(), kNone);
    EXPECT_FALSE(rig.cmdOptionUpdate->isEnabled());
    EXPECT_FALSE(rig.InAutoLoadClick);
    EXPECT_EQ(rig.page->shpStatus[0]->BackColor(), rig.LampGreen[0]);
    EXPECT_EQ(rig.page->shpStatus[1]->BackColor(), rig.LampGray[0]);
    EXPECT_TRUE(rig.page->shpStatus[3]->isHidden());
    // The port itself went with the instrument: its lamp does not claim it open.
    rig.link.portError = QStringLiteral("Port COM1 (/dev/ttyUSB0) went away");
    rig.page->uclQV4170_OnDisConnect();
    EXPECT_EQ(rig.page->shpStatus[0]->BackColor(), rig.LampRed[0]);
    rig.link.portError.clear();

    rig.page->uclQV4170_ConnectRetry(3);
    rig.page->uclQV4170_InterMessage(QStringLiteral("New Data! Name - 01\r\n"));
    EXPECT_EQ(rig.ColorOf("Connect Sequence QV-4170...(3)"), ui::RGB(0, 192, 0));
    EXPECT_EQ(rig.ColorOf("New Data! Name - 01"), ui::RGB(0, 0, 192));

    rig.page->uclQV4170_DumpMessage(QStringLiteral("Get Dump 000000-00007F"));
    ASSERT_NE(rig.page->LoadedUpload(), nullptr);
    EXPECT_EQ(rig.page->LoadedUpload()->lblUpload->text(), "Get Dump 000000-00007F");
    EXPECT_FALSE(rig.page->LoadedUpload()->isVisible());

    const auto lines = rig.journal.size();
    rig.page->uclQV4170_IrDAError(10061);
    EXPECT_EQ(rig.journal.size(), lines);
    rig.page->uclQV4170_IrDAError(10048);
    EXPECT_EQ(rig.ColorOf("Cominucation Ports Error. Restart this program."), LogColor::Failure);
    EXPECT_EQ(rig.page->shpStatus[0]->BackColor(), rig.LampRed[0]);
    EXPECT_EQ(rig.dialogs.asked().back().title, "Port Error.");
}

}  // namespace
}  // namespace qv::test

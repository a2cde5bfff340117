// The settings file as the program lives with it: what a technician wrote by hand is read (also
// a line typed with commas) and stays in the file, named where it cannot be used; and every
// setting the user changes on the pages stays in force through the fresh start after a
// power-off, the automatic mode's included, and through an end by SIGKILL.
#include "Database.h"
#include "RunProgram.h"
#include "SimulatedWindow.h"
#include "frmPassword.h"
#include "modScrambler.h"
#include "modSettings.h"

#include <QApplication>
#include <QProcess>
#include <QRegularExpression>

#include <csignal>

namespace qv::test {
namespace {

QString SettingsText() {
    return ReadText(SettingsFilePath());
}
QString SerialLogText() {
    return ReadText(ProgramFile(QStringLiteral("SerialLog.log")));
}
bool AutomaticRunsCompleted(int runs) {
    return WaitFor(
        [&] { return SerialLogText().count("---Automatic Mode Camplate Finished---") == runs; },
        90000);
}

TEST_F(SimulatedWindow, WhatTheTechnicianWroteIsReadAndStaysInTheFile) {
    // A folder whose name holds a comma, on a line with TABs: one value.
    const QString data = home_.filePath("data,2024");
    ASSERT_TRUE(QDir().mkpath(data));
    const QString misspelt = "DataLocaton\t/elsewhere";
    const QString outOfRange = "CalSpanOnWait\t70000";
    const QStringList written{"LIMITDAYS\t30", "Auto Load Mode,False,True,False", misspelt,
                              outOfRange, "DataLocation\t" + data};
    ASSERT_NO_FATAL_FAILURE(LoadWindowWith(written));
    // Both lines named at the start, in the serial log as in the status log.
    for (const auto& [number, line] : {std::pair{3, misspelt}, std::pair{4, outOfRange}})
        EXPECT_TRUE(SerialLogText().contains(
            GetMessage(9310, {SettingsFilePath(), QString::number(number), line})))
            << line.toStdString();
    ASSERT_TRUE(AutomaticRunsCompleted(1)) << SerialLogText().right(2000).toStdString();
    EXPECT_EQ(DatabasePath, data + "/QV4170.mdb");
    EXPECT_GT(Database(DatabasePath).scalar("Select Count(*) From Interval_Data").toInt(), 0);
    EXPECT_EQ(sim_.Erases(), 0);
    EXPECT_EQ(LimitDays, 30);

    // Every line stays as the technician wrote it, in its place.
    main_->Form_Unload();
    EXPECT_EQ(SettingsText().split("\r\n").mid(0, written.size()), written)
        << SettingsText().toStdString();
}

// ---- Changes made on the pages ---------------------------------------------------------------

const QString kPassword = QStringLiteral("Zed9");
const int32_t kColor = ui::RGB(1, 2, 3);

// The user changes the password, unticks the automatic removal, gives gas 1 a colour, chooses a
// font, shows gas 1 in its second unit and groups the stored data by user. Automatic download
// must be on.
void MakeChanges(frmMain& main, ScriptedDialogs& dialogs) {
    // The password, changed in the dialog the delete command shows, which is then closed.
    const QString current = UserPassword;
    dialogs.AnswerModal([&](QDialog& shown) {
        auto& dialog = dynamic_cast<frmPassword&>(shown);
        for (const QString& entry : {QString(), current, kPassword, kPassword}) {
            dialog.txtPass->setText(entry);
            dialog.cmdPass_Click(1);
        }
        return int(QDialog::Rejected);
    });
    dialogs.AnswerMsgBox(vbOK);
    main.pageBrowser->mnuDelete_Click();
    EXPECT_EQ(UserPassword, kPassword);

    QCheckBox* removal = main.pageDownload->chkAutoLoad[1];
    EXPECT_TRUE(removal->isEnabled() && removal->isChecked());
    removal->click();

    dialogs.AnswerColor(kColor);
    main.pageOption->cmdOptionDisp[1]->click();
    QFont serif(QStringLiteral("Serif"));
    serif.setPointSizeF(12);
    dialogs.AnswerFont(serif);
    main.pageOption->cmdOptionDisp[0]->click();
    dialogs.AnswerMenu(UnitNames[1]);
    main.pageBrowser->PopupUnits(QStringLiteral("0"));
    main.pageBrowser->chkLog[2]->click();
}

// Every change of MakeChanges is in force in the window and in the settings file.
void ExpectChangesInForce(const frmMain& main) {
    EXPECT_EQ(UserPassword, kPassword);
    EXPECT_TRUE(AutoLoad);
    EXPECT_FALSE(AutoRemoveData);
    EXPECT_TRUE(main.pageDownload->chkAutoLoad[0]->isChecked());
    EXPECT_FALSE(main.pageDownload->chkAutoLoad[1]->isChecked());
    EXPECT_EQ(GraphColor[0], kColor);
    EXPECT_EQ(ui::BackColor(main.pageOption->cmdOptionDisp[1]), kColor);
    EXPECT_EQ(AppFont.Name, "Serif");
    EXPECT_DOUBLE_EQ(AppFont.Size, 12);
    EXPECT_EQ(main.pageOption->cmdOptionDisp[0]->font().family(), "Serif");
    EXPECT_TRUE(ConvEnable);
    EXPECT_TRUE(main.pageBrowser->chkLog[2]->isChecked());

    const QStringList file = SettingsText().split("\r\n");
    for (const QString& line : {QStringLiteral("Auto Load Mode\tFalse\tTrue\tFalse"),
                                "QV-4170\t" + EncodeText(EncodeText(kPassword)),
                                QStringLiteral("Font\t'Serif'\t12\tFalse\tFalse\tFalse"),
                                QStringLiteral("Data Select\tFalse\tFalse\tTrue")})
        EXPECT_TRUE(file.contains(line)) << line.toStdString();
    EXPECT_FALSE(file.filter(QRegularExpression("^Conv Param\t[^\t]*\tTrue$")).isEmpty());
    EXPECT_FALSE(
        file.filter(QRegularExpression("^Gas Inst\t1\t.*\t" + QString::number(kColor) + "$"))
            .isEmpty());
}

TEST_F(SimulatedWindow, ChangedSettingsHoldThroughEveryPowerOff) {
    // Automatic download off, its removal on: both boxes as the file gives them.
    ASSERT_NO_FATAL_FAILURE(LoadWindowWith({"Auto Load Mode\tFalse\tFalse\tTrue"}));
    // The window's 100 ms tick, which times the automatic mode's pauses, fifty times faster.
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [this] { ++main_->TickCount; });
    ticker.start(2);
    ASSERT_NO_FATAL_FAILURE(ConnectAndRead());
    dialogs_->AnswerMsgBox(vbYes);
    main_->pageDownload->chkAutoLoad[0]->click();
    ASSERT_TRUE(AutoLoad);
    MakeChanges(*main_, *dialogs_);
    ExpectChangesInForce(*main_);

    // The Power Off command: the fresh start reads the file again.
    dialogs_->AnswerMsgBox(vbYes);
    main_->pageDownload->cmdDown[8]->click();
    ASSERT_TRUE(sim_.PoweredOff());
    ExpectChangesInForce(*main_);

    // The next two instruments are downloaded automatically, switched off, and not erased.
    for (int run = 1; run <= 2; ++run) {
        sim_.PowerOn();
        ASSERT_TRUE(AutomaticRunsCompleted(run)) << SerialLogText().right(2000).toStdString();
        EXPECT_TRUE(sim_.PoweredOff());
        EXPECT_EQ(sim_.Erases(), 0);
        ExpectChangesInForce(*main_);
    }
    EXPECT_GT(Database(DatabasePath).scalar("Select Count(*) From Interval_Data").toInt(), 0);
}

// The program in a child of this test program, on the settings file the parent wrote: the changes
// are made once its window is up, then it waits for the parent's SIGKILL.
TEST(SettingsKeptChild, MakesTheChangesAndWaits) {
    const QString home = qEnvironmentVariable("QV_SETTINGS_CHILD_HOME");
    if (home.isEmpty()) GTEST_SKIP() << "runs in a child of KilledProgram";
    qputenv("XDG_DATA_HOME", home.toLocal8Bit());
    ScriptedDialogs dialogs;
    ClearPortNumbers();
    PortNumberFor(home + "/no-device");
    QTimer user;
    QObject::connect(&user, &QTimer::timeout, [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* main = dynamic_cast<frmMain*>(w);
            if (!main || !main->isVisible()) continue;
            user.stop();
            MakeChanges(*main, dialogs);
            WriteText(home + "/changed", "1");
        }
    });
    user.start(20);
    RunProgram({});
}

using KilledProgram = ShellTest;

TEST_F(KilledProgram, KeepsEveryChangeForTheNextStart) {
    WriteSettings({"Auto Load Mode\tFalse\tTrue\tTrue"});
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QV_SETTINGS_CHILD_HOME", home_.path());
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.remove("QV4170_PORT");
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {"--gtest_filter=SettingsKeptChild.MakesTheChangesAndWaits"});
    ASSERT_TRUE(child.waitForStarted());
    ASSERT_TRUE(WaitFor([&] { return QFile::exists(home_.filePath("changed")); }, 30000))
        << child.readAll().toStdString();
    ::kill(static_cast<pid_t>(child.processId()), SIGKILL);
    ASSERT_TRUE(child.waitForFinished(10000));
    EXPECT_EQ(child.exitStatus(), QProcess::CrashExit);

    const auto main = StartMain();
    ExpectChangesInForce(*main);
    main->Form_Unload();
}

}  // namespace
}  // namespace qv::test

// The program as a session or service manager ends it: SIGTERM, SIGINT and SIGHUP close the
// main window as its close box does, so the settings are written and the lock file goes; a
// download that runs is cancelled first and leaves nothing half stored; in every state the
// program is gone within three seconds, and no message box waits for a user who may be gone.
#include "Database.h"
#include "InstrumentSimulator.h"
#include "RunProgram.h"
#include "ShellFixture.h"
#include "ShutdownSignals.h"
#include "frmOpen.h"
#include "modSettings.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QMessageBox>
#include <QProcess>
#include <QTextDocument>

#include <csignal>
#include <memory>

namespace qv::test {
namespace {

struct ProgramRun {
    QTemporaryDir home;
    QProcess program;
    QString Folder() const { return home.path() + "/qv4170"; }
    QString File(const QString& name) const { return Folder() + u'/' + name; }
    // The program qv4170; with `command`, the program's run in a child of this test program that
    // starts that command of the Set page (ProgramSignalsChild).
    void Start(const QStringList& settings = {}, const QString& port = {},
               const QString& command = {}) {
        QDir().mkpath(Folder());
        if (!settings.isEmpty())
            WriteText(File("QV4170.ini"), (settings.join("\r\n") + "\r\n").toUtf8());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_DATA_HOME", home.path());
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.remove("QV4170_PORT");
        if (!port.isEmpty()) env.insert("QV4170_PORT", port);
        program.setProcessChannelMode(QProcess::MergedChannels);
        if (command.isEmpty()) {
            program.setProcessEnvironment(env);
            program.start(QStringLiteral(QV_PROGRAM), {});
            return;
        }
        env.insert("QV_CLOSE_CHILD", command);
        env.insert("QV_CHILD_HOME", home.path());
        program.setProcessEnvironment(env);
        program.start(QCoreApplication::applicationFilePath(),
                      {"--gtest_filter=ProgramSignalsChild.*"});
    }
    QString SerialLog() const { return ReadText(File("SerialLog.log")); }
    bool Finished() const { return program.state() == QProcess::NotRunning; }
    void Signal(int number) { ::kill(static_cast<pid_t>(program.processId()), number); }
};

TEST(ProgramSignals, EachEndsTheProgramThroughItsUnload) {
    const std::array<int, 3> numbers{SIGTERM, SIGINT, SIGHUP};
    std::array<std::unique_ptr<ProgramRun>, 3> runs;
    for (auto& run : runs) {
        run = std::make_unique<ProgramRun>();
        run->Start();
        ASSERT_TRUE(run->program.waitForStarted());
    }
    // The main window's first activation writes this line after the splash.
    for (auto& run : runs)
        ASSERT_TRUE(
            WaitFor([&] { return run->SerialLog().contains("Serial Port Standby"); }, 20000));
    for (size_t i = 0; i < runs.size(); ++i) {
        EXPECT_TRUE(QFile::exists(runs[i]->File("QV4170.LCK")));
        EXPECT_FALSE(QFile::exists(runs[i]->File("QV4170.ini")));
        runs[i]->Signal(numbers[i]);
    }
    for (size_t i = 0; i < runs.size(); ++i) {
        ProgramRun& run = *runs[i];
        ASSERT_TRUE(WaitFor([&] { return run.Finished(); }, 10000)) << numbers[i];
        EXPECT_EQ(run.program.exitStatus(), QProcess::NormalExit) << numbers[i];
        EXPECT_EQ(run.program.exitCode(), 0) << numbers[i];
        EXPECT_TRUE(ReadText(run.File("QV4170.ini")).contains("Execute Count\t1")) << numbers[i];
        EXPECT_FALSE(QFile::exists(run.File("QV4170.LCK"))) << numbers[i];
    }
}

// What the child run prints when the command's last reply is in and its box is still to come.
constexpr char kSignalNow[] = "QV-SIGNAL-NOW";

// The program against the simulator, ended by SIGTERM at a chosen request, or where the child run
// asks for it: it is gone within three seconds of the signal, through its unload.
class ProgramInState : public ::testing::Test {
  protected:
    void SetUp() override {
        QString error;
        ASSERT_TRUE(sim.Start(&error)) << error.toStdString();
        device = run.home.path() + "/instrument";
        ASSERT_TRUE(sim.MakeLink(device, &error)) << error.toStdString();
        QObject::connect(&sim, &sim::InstrumentSimulator::RequestReceived, &sim,
                         [this](const QString& payload) {
                             if (!signalAt.isEmpty() && payload.startsWith(signalAt)) SignalOnce();
                         });
        QObject::connect(&run.program, &QProcess::readyRead, &run.program, [this] {
            output += QString::fromLocal8Bit(run.program.readAll());
            if (output.contains(kSignalNow)) SignalOnce();
        });
    }
    void SignalOnce() {
        if (signalled) return;
        signalled = true;
        sinceSignal.start();
        run.Signal(SIGTERM);
    }
    // Runs the program (the command's child run when one is named) until it has ended; one that
    // is still there ten seconds after the signal is killed.
    void RunUntilEnded(const QStringList& settings, const QString& command = {}) {
        run.Start(settings, device, command);
        ASSERT_TRUE(run.program.waitForStarted());
        WaitFor([&] { return run.Finished() || (signalled && sinceSignal.elapsed() > 10000); },
                90000);
        ended = sinceSignal.isValid() ? sinceSignal.elapsed() : -1;
        if (!run.Finished()) {
            run.program.kill();
            run.program.waitForFinished();
        }
    }
    void ExpectEndedSoonThroughItsUnload() {
        EXPECT_TRUE(signalled) << Output();
        EXPECT_GE(ended, 0);
        EXPECT_LT(ended, 3000) << Output();
        EXPECT_EQ(run.program.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(run.program.exitCode(), 0) << Output();
        EXPECT_TRUE(ReadText(run.File("QV4170.ini")).contains("Execute Count\t1"));
        EXPECT_FALSE(QFile::exists(run.File("QV4170.LCK")));
    }
    std::string Output() {
        output += QString::fromLocal8Bit(run.program.readAll());
        return (output.right(3000) + "\n" + run.SerialLog().right(3000)).toStdString();
    }

    sim::InstrumentSimulator sim;
    ProgramRun run;
    QString device;
    QString signalAt;
    QString output;
    bool signalled = false;
    QElapsedTimer sinceSignal;
    qint64 ended = -1;
};

// Automatic download on: the program reads the instrument as soon as it connects.
const QStringList kAutomatic{"Auto Load Mode\tFalse\tTrue\tTrue"};

TEST_F(ProgramInState, ADownloadThatRunsIsCancelledFirst) {
    signalAt = "DR,R,";
    RunUntilEnded(kAutomatic);
    ExpectEndedSoonThroughItsUnload();
    EXPECT_TRUE(run.SerialLog().contains("---Automatic Mode Failed Finished---"));
    Database db(run.File("QV4170.mdb"));
    EXPECT_EQ(db.scalar("Select Count(*) From Interval_Data").toInt(), 0);
    EXPECT_EQ(sim.Erases(), 0);
    // The automatic mode does not hold the program for the power-off.
    EXPECT_EQ(sim.CountReceived("RO,W,"), 0);
}

TEST_F(ProgramInState, ThePowerOffWait) {
    signalAt = "RO,W,";
    RunUntilEnded({"Auto Load Mode\tFalse\tTrue\tFalse"});
    ExpectEndedSoonThroughItsUnload();
    EXPECT_TRUE(sim.PoweredOff());
}

// The signal lands after the upload's last reply and before its box: the box is told, not asked.
TEST_F(ProgramInState, ASettingsUpload) {
    RunUntilEnded({}, "upload");
    ExpectEndedSoonThroughItsUnload();
    EXPECT_EQ(sim.SettingsCommits(), 1);
    EXPECT_TRUE(run.SerialLog().contains("Upload: Upload Complete.\r\n")) << Output();
}

// The signal lands after the zero calibration's result and before its report, which is told; the
// calibration is left as its own exit leaves it: the pump is off.
TEST_F(ProgramInState, AZeroCalibration) {
    sim.SetCalibrationPolls(1);
    RunUntilEnded({}, "calibration");
    ExpectEndedSoonThroughItsUnload();
    EXPECT_TRUE(run.SerialLog().contains("Adjustment: CH4  Adjustment Complete.\r\n")) << Output();
    EXPECT_EQ(sim.CountReceived("BP,W,1"), 1);
    EXPECT_FALSE(sim.content().pumpOn);
}

// The instrument falls silent with a reading in flight while the calibration panel is open: the
// pump-off is sent once, and nothing waits for the reading or for the pump-off's answer.
TEST_F(ProgramInState, TheCalibrationPanelWithASilentInstrument) {
    QObject::connect(&sim, &sim::InstrumentSimulator::RequestReceived, &sim,
                     [this](const QString& payload) {
                         if (payload.startsWith(signalAt)) sim.InjectSilence(1000);
                     });
    signalAt = "DN,R,";
    RunUntilEnded({}, "panel");
    ExpectEndedSoonThroughItsUnload();
    EXPECT_EQ(sim.CountReceived("BP,W,1"), 1);
    EXPECT_EQ(sim.CountReceived("BP,W,0"), 1);
}

TEST_F(ProgramInState, AnEepRomDump) {
    sim.content() = sim::FullMemoryContent();
    signalAt = "EP,R,<ACK>";
    RunUntilEnded({}, "dump");
    ExpectEndedSoonThroughItsUnload();
}

// Runs `then` when the watched control becomes enabled.
class WhenEnabled : public QObject {
  public:
    explicit WhenEnabled(std::function<void()> then) : then_(std::move(then)) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::EnabledChange && static_cast<QWidget*>(watched)->isEnabled())
            then_();
        return false;
    }

  private:
    std::function<void()> then_;
};

// The program's own run in a child of this test program, driven as its user drives it: once the
// instrument is connected its information is read, the Set page shown and the command named by
// QV_CLOSE_CHILD started; its question is answered Yes. The parent ends the program by a signal;
// where an upload or a zero calibration has its last reply in and its box still to come, the
// child asks for the signal and takes it there.
TEST(ProgramSignalsChild, RunsTheProgramAndStartsACommand) {
    const QString command = qEnvironmentVariable("QV_CLOSE_CHILD");
    if (command.isEmpty()) GTEST_SKIP() << "runs in a child of ProgramInState";
    qputenv("XDG_DATA_HOME", qgetenv("QV_CHILD_HOME"));
    const auto mainWindow = []() -> frmMain* {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* main = dynamic_cast<frmMain*>(w); main && main->isVisible()) return main;
        return nullptr;
    };
    // A timer of its own: a timer does not fire again while its handler waits in a question.
    QTimer answer;
    // Only the questions the commands ask: any other box stays, and the run fails its timing.
    const QStringList questions{GetMessage(5309), GetMessage(9019)};
    QObject::connect(&answer, &QTimer::timeout, [&questions] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
            if (QAbstractButton* yes = box->button(QMessageBox::Yes);
                yes && questions.contains(box->text()))
                yes->click();
    });
    answer.start(20);
    bool asked = false;
    const auto askForTheSignal = [&asked] {
        if (asked) return;
        asked = true;
        std::printf("\n%s\n", kSignalNow);
        std::fflush(stdout);
        WaitFor([] { return ClosePending(); }, 3000);
    };
    // The panel's buttons come back just before the calibration's report.
    WhenEnabled calibrated(askForTheSignal);
    bool started = false;
    QTimer user;
    QObject::connect(&user, &QTimer::timeout, [&] {
        frmMain* main = mainWindow();
        if (started || !main ||
            !main->pageDownload->rtbLog->toPlainText().contains(GetMessage(5432)))
            return;
        started = true;
        main->pageDownload->cmdDown_Click(1);
        main->cmdInst_Click(4);
        OptionPage& page = *main->pageOption;
        if (command == "upload") {
            // The status log tells the upload complete just before its box.
            QTextEdit* log = main->pageDownload->rtbLog;
            const QString complete = GetMessage(5429).remove("\r\n");
            QObject::connect(log->document(), &QTextDocument::contentsChanged, log, [=] {
                if (log->toPlainText().contains(complete)) askForTheSignal();
            });
            page.cmdOption_Click(0);
        } else if (command == "panel") {
            page.cmdOption_Click(2);
        } else if (command == "calibration") {
            page.cmdOption_Click(2);
            page.cmdCal[0]->installEventFilter(&calibrated);
            page.cmdCal_Click(0);
        } else if (command == "dump") {
            page.cmdOptionDisp_Click(5);
        }
    });
    user.start(20);
    EXPECT_EQ(RunProgram({}), 0);
    EXPECT_TRUE(started);
}

class EndOnSignal : public ShellTest {
  protected:
    // A splash whose main window finds these converters.
    std::unique_ptr<frmOpen> MakeSplash(const QStringList& converters = {}) {
        return std::make_unique<frmOpen>(QStringList{},
                                         [converters] { return MakeMain(converters); });
    }
    // The splash's ticks up to the main window.
    static void TickToMain(frmOpen& splash) {
        for (int i = 0; i < 5; ++i)
            splash.tmrTimer_Timer();
    }
};

TEST_F(EndOnSignal, DuringTheSplashNothingIsWritten) {
    auto splash = MakeSplash();
    ShutdownSignals shutdown([&] { splash->EndProgram(); });
    ASSERT_TRUE(shutdown.Installed());
    splash->Form_Load();
    splash->Form_Activate();
    std::raise(SIGTERM);
    EXPECT_TRUE(WaitFor([&] { return !splash->isVisible(); }, 5000));
    for (int i = 0; i < 6; ++i)
        splash->tmrTimer_Timer();
    EXPECT_EQ(splash->MainWindow(), nullptr);
    EXPECT_FALSE(QFile::exists(SettingsFilePath()));
    EXPECT_FALSE(QFile::exists(ProgramFolder() + "/QV4170.LCK"));
}

TEST_F(EndOnSignal, AnOpenDialogIsDismissedBeforeTheWindowCloses) {
    auto splash = MakeSplash();
    ShutdownSignals shutdown([&] { splash->EndProgram(); });
    splash->Form_Load();
    splash->Form_Activate();
    for (int i = 0; i < 5; ++i)
        splash->tmrTimer_Timer();
    frmMain* main = splash->MainWindow();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(main->isVisible());
    int answer = -1;
    QTimer::singleShot(0, main, [&] {
        QDialog question(main);
        QTimer::singleShot(0, [] { std::raise(SIGHUP); });
        answer = question.exec();
        // The window is still there when the question's loop returns.
        EXPECT_TRUE(main->isVisible());
    });
    EXPECT_TRUE(WaitFor([&] { return answer != -1 && !main->isVisible(); }, 5000));
    EXPECT_EQ(answer, QDialog::Rejected);
    EXPECT_FALSE(main->Lock().Held());
    EXPECT_TRUE(QFile::exists(SettingsFilePath()));
}

// The settings upload's last reply is in when the signal comes: the box that tells the upload is
// complete must not wait for a user who may be gone. Its text is in both logs instead, and the
// program ends.
TEST_F(EndOnSignal, ABoxAfterTheSignalIsToldNotAsked) {
    sim::InstrumentSimulator sim;
    ASSERT_TRUE(sim.Start());
    const QString device = home_.filePath("instrument");
    ASSERT_TRUE(sim.MakeLink(device));
    auto splash = MakeSplash({device});
    ShutdownSignals shutdown([&] { splash->EndProgram(); });
    splash->Form_Load();
    splash->Form_Activate();
    TickToMain(*splash);
    frmMain* main = splash->MainWindow();
    ASSERT_NE(main, nullptr);
    QTextEdit* log = main->pageDownload->rtbLog;
    ASSERT_TRUE(WaitFor([&] { return log->toPlainText().contains(GetMessage(5432)); }));
    main->pageDownload->cmdDown_Click(1);
    main->cmdInst_Click(4);
    // The signal is taken between the upload's last reply and its report.
    const QString complete = GetMessage(5429).remove("\r\n");
    QObject::connect(log->document(), &QTextDocument::contentsChanged, main, [&] {
        if (ClosePending() || !log->toPlainText().contains(complete)) return;
        std::raise(SIGTERM);
        WaitFor([] { return ClosePending(); }, 2000);
    });
    dialogs_->AnswerMsgBox(vbYes);
    main->pageOption->cmdOption_Click(0);
    EXPECT_TRUE(WaitFor([&] { return !main->isVisible(); }, 5000));
    EXPECT_EQ(dialogs_->messages(), QStringList{GetMessage(5309)});
    const QString told = GetMessage(5312) + ": " + GetMessage(5311);
    EXPECT_TRUE(log->toPlainText().contains(told)) << log->toPlainText().toStdString();
    EXPECT_TRUE(ReadText(programFile("SerialLog.log")).contains(told + "\r\n"));
    EXPECT_FALSE(main->Lock().Held());
    EXPECT_TRUE(QFile::exists(SettingsFilePath()));
}

// A box the main window's load shows (two converters found) when the signal comes: it is
// dismissed, and the window is unloaded as soon as its load is done. The Qt dialogs, not scripted
// ones: a box left open would hold the test, so a watchdog closes it and fails the test.
TEST_F(EndOnSignal, ABoxOfTheLoadIsDismissed) {
    dialogs_.reset();
    auto splash = MakeSplash({home_.filePath("one"), home_.filePath("two")});
    ShutdownSignals shutdown([&] { splash->EndProgram(); });
    splash->Form_Load();
    splash->Form_Activate();
    QString held;
    QElapsedTimer open;
    QTimer watchdog;
    QObject::connect(&watchdog, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return open.invalidate();
        if (!open.isValid()) open.start();
        if (open.elapsed() < 3000) return;
        held = box->text();
        box->reject();
    });
    watchdog.start(20);
    bool raised = false;
    QTimer signal;
    QObject::connect(&signal, &QTimer::timeout, [&] {
        if (raised || !QApplication::activeModalWidget()) return;
        raised = true;
        std::raise(SIGTERM);
    });
    signal.start(20);
    TickToMain(*splash);
    EXPECT_TRUE(raised);
    EXPECT_EQ(held, QString());
    ASSERT_NE(splash->MainWindow(), nullptr);
    EXPECT_FALSE(splash->MainWindow()->isVisible());
    EXPECT_FALSE(splash->MainWindow()->Lock().Held());
    EXPECT_TRUE(QFile::exists(SettingsFilePath()));
}

}  // namespace
}  // namespace qv::test

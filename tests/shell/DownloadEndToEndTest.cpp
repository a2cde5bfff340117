// The main window against the instrument simulator on a pseudo-terminal: single downloads, the
// complete chain, clear data, power off and the automatic mode, the failures a user meets, a
// window closed while the instrument is being read, and the program started from the command
// line in automatic mode; and the main window's own handling of live readings and new
// instrument information.
#include "AppPaths.h"
#include "Database.h"
#include "InstrumentSimulator.h"
#include "ShellFixture.h"
#include "clsInstrument.h"
#include "modGlobals.h"
#include "modMessage.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTextBlock>
#include <QTimer>
#include <iostream>

namespace qv::test {
namespace {

struct Line {
    QString text;
    int32_t color;
};

// Runs the event loop until the condition holds or the time is up.
template <class Cond>
bool WaitFor(Cond cond, int ms = 30000) {
    QElapsedTimer waited;
    waited.start();
    while (!cond()) {
        if (waited.elapsed() > ms) return false;
        QEventLoop loop;
        QTimer::singleShot(5, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

class EndToEnd : public ShellTest {
  protected:
    void SetUp() override {
        ShellTest::SetUp();
        QString error;
        ASSERT_TRUE(sim.Start(&error)) << error.toStdString();
    }
    void TearDown() override {
        main.reset();
        ShellTest::TearDown();
    }

    // Loads the main window on the simulator's device; with fastTicks the link timer runs
    // twenty times faster than its 100 ms (time-outs and retries then take a fraction).
    void Load(bool fastTicks = false) {
        std::unique_ptr<uclQvif> link;
        if (fastTicks) {
            link = std::make_unique<uclQvif>();
            link->UseManualTimers(true);
            uclQvif* raw = link.get();
            QObject::connect(&linkTicks, &QTimer::timeout, [raw] { raw->tmrTimer_Timer(); });
            linkTicks.start(5);
        }
        main = std::make_unique<frmMain>(std::move(link),
                                         std::make_unique<ListPortFinder>(QStringList{sim.Path()}));
        QObject::connect(main->pageDownload->rtbLog->document(), &QTextDocument::contentsChange,
                         [this](int from, int, int added) { Record(from, added); });
        ASSERT_TRUE(main->Form_Load());
        main->show();
        main->Form_Activate();
    }
    // Loads the window and waits for the connection to be reported.
    void Connect(bool fastTicks = false) {
        Load(fastTicks);
        ASSERT_TRUE(WaitFor([&] { return Has(GetMessage(5432)); }))
            << Journal().join(u'|').toStdString();
    }
    // Requests of exactly this payload the instrument received.
    int Requests(const QString& payload) const {
        return static_cast<int>(sim.Received().count(payload));
    }
    void Click(int index) { main->pageDownload->cmdDown[static_cast<size_t>(index)]->click(); }

    bool Has(const QString& text) const { return ColorOf(text) != -1; }
    int32_t ColorOf(const QString& text) const {
        const QString wanted = QString(text).remove(QStringLiteral("\r\n"));
        for (const Line& l : journal)
            if (l.text == wanted) return l.color;
        return -1;
    }
    QStringList Journal() const {
        QStringList out;
        for (const Line& l : journal)
            if (!l.text.isEmpty()) out << l.text;
        return out;
    }
    static QString Text(int id) { return GetMessage(id).remove(QStringLiteral("\r\n")); }
    QString SerialLog() const { return ReadText(programFile(QStringLiteral("SerialLog.log"))); }
    long long Rows(const QString& table) const {
        Database db(DatabasePath);
        return db.scalar(QStringLiteral("Select Count(*) From ") + table).toLongLong();
    }
    std::array<bool, 9> Enabled() const {
        std::array<bool, 9> out{};
        for (size_t i = 0; i < out.size(); ++i)
            out[i] = main->pageDownload->cmdDown[i]->isEnabled();
        return out;
    }
    // Runs `action` once, the first time the instrument receives a request starting so.
    void OnRequest(const QString& prefix, std::function<void()> action) {
        auto done = std::make_shared<bool>(false);
        QObject::connect(&sim, &sim::InstrumentSimulator::RequestReceived, &sim,
                         [prefix, action, done](const QString& payload) {
                             if (*done || !payload.startsWith(prefix)) return;
                             *done = true;
                             action();
                         });
    }

    sim::InstrumentSimulator sim;
    QTimer linkTicks;
    std::unique_ptr<frmMain> main;
    std::vector<Line> journal;

  private:
    void Record(int from, int added) {
        if (added <= 0) return;
        for (QTextBlock b = main->pageDownload->rtbLog->document()->findBlock(from);
             b.isValid() && b.position() < from + added; b = b.next()) {
            int32_t color = -1;
            for (auto it = b.begin(); !it.atEnd(); ++it) {
                color = ui::LongFromColor(it.fragment().charFormat().foreground().color());
                break;
            }
            journal.push_back({b.text(), color});
        }
    }
};

const std::array<bool, 9> kAll{true, true, true, true, true, true, true, true, true};

TEST_F(EndToEnd, EachSingleDownloadStoresItsKind) {
    Connect();
    EXPECT_EQ(ColorOf(GetMessage(5432)), ui::RGB(0, 0, 255));
    EXPECT_EQ(Enabled(),
              (std::array<bool, 9>{true, true, false, false, false, false, false, false, true}));
    EXPECT_TRUE(main->pageOption->cmdOption[0]->isEnabled());

    Click(1);
    EXPECT_EQ(ColorOf(Text(5415)), ui::RGB(0, 192, 0)) << Journal().join(u'|').toStdString();
    EXPECT_EQ(Enabled(), kAll);
    EXPECT_EQ(main->pageDownload->lblStatus[5]->text(), "SN1234567890");
    EXPECT_EQ(Rows("cLatestHist"), 1);
    EXPECT_GT(Rows("cHistory"), 0);

    const struct {
        int button, complete;
        const char* table;
    } kinds[] = {{2, 5420, "Interval_Data"},
                 {3, 5425, "Alarm_Data"},
                 {4, 5449, "Alarm_Event"},
                 {5, 5454, "Trouble_Event"},
                 {6, 5459, "Power_Event"}};
    for (const auto& k : kinds) {
        main->pageDownload->cmdDown_Click(k.button);
        EXPECT_EQ(ColorOf(Text(k.complete)), ui::RGB(0, 192, 0)) << k.button;
        EXPECT_GT(Rows(QString::fromLatin1(k.table)), 0) << k.table;
        EXPECT_EQ(OperationMode, OpIdle);
        EXPECT_EQ(main->pageDownload->LoadedUpload(), nullptr);
        EXPECT_EQ(Enabled(), kAll);
    }
    // New-log texts of the link arrive in dark blue while the download runs.
    bool forwarded = false;
    for (const Line& l : journal)
        forwarded = forwarded || (l.text.startsWith("New Data!") && l.color == ui::RGB(0, 0, 192));
    EXPECT_TRUE(forwarded);
    const QString log = SerialLog();
    for (const char* line :
         {"---Instrument Download Finished---", "---Interval Trend Download Finished---",
          "---Alarm Trend Download Finished---", "---Alarm Events Download Finished---",
          "---Trouble Events Download Finished---", "---Power Events Download Finished---"})
        EXPECT_TRUE(log.contains(QLatin1String(line))) << line;
    EXPECT_TRUE(main->LogTreeChanged);

    // A second interval download finds the log stored and stores nothing twice.
    const long long rows = Rows("Interval_Data");
    Click(2);
    EXPECT_EQ(Rows("Interval_Data"), rows);
}

TEST_F(EndToEnd, TheCompleteChainTakesPowerEventsOnlyInServiceMode) {
    // Every memory of the instrument filled.
    sim.content() = sim::FullMemoryContent();
    Connect();
    QElapsedTimer took;
    took.start();
    Click(0);
    const qint64 ms = took.elapsed();
    std::cout << "[ timing ] complete download chain: " << ms << " ms" << std::endl;
    RecordProperty("CompleteChainMs", static_cast<int>(ms));
    EXPECT_EQ(Requests("DO,R,"), 0);
    for (const char* request : {"VP,R,", "SO,R,", "IH,R,5,", "DR,R,", "DJ,R,", "VE,R,", "TV,R,"})
        EXPECT_EQ(Requests(QLatin1String(request)), 1) << request;
    EXPECT_EQ(Rows("Power_Event"), 0);
    for (const char* table : {"Interval_Data", "Alarm_Data", "Alarm_Event", "Trouble_Event"})
        EXPECT_GT(Rows(QLatin1String(table)), 0) << table;
    EXPECT_EQ(Enabled(), kAll);
    EXPECT_EQ(SerialLog().count("--- All download sequence Finished."), 1);
    EXPECT_EQ(OperationMode, OpIdle);

    ServiceMode = true;
    Click(0);
    EXPECT_EQ(Requests("DO,R,"), 1);
    EXPECT_GT(Rows("Power_Event"), 0);
    EXPECT_EQ(SerialLog().count("--- All download sequence Finished."), 2);
}

TEST_F(EndToEnd, ClearDataErasesAndPowerOffStartsAfresh) {
    Connect();
    Click(1);
    dialogs_->AnswerMsgBox(vbYes);
    Click(7);
    EXPECT_EQ(sim.Erases(), 1);
    EXPECT_EQ(ColorOf(Text(5434)), ui::RGB(0, 192, 0));
    EXPECT_TRUE(SerialLog().contains("--- Data Remove Finished---."));
    EXPECT_EQ(Enabled(), kAll);
    // The instrument holds no logged data any more.
    Click(2);
    EXPECT_EQ(ColorOf(Text(5443)), ui::RGB(192, 64, 64));
    EXPECT_EQ(Rows("Interval_Data"), 0);

    dialogs_->AnswerMsgBox(vbYes);
    Click(8);
    EXPECT_TRUE(sim.PoweredOff());
    EXPECT_FALSE(main->uclQV4170.Connected());
    EXPECT_TRUE(main->pageDownload->rtbLog->toPlainText().isEmpty());
    EXPECT_EQ(Enabled(), (std::array<bool, 9>{}));
    EXPECT_TRUE(main->cmdInst[5]->isEnabled());
    EXPECT_FALSE(main->pageDownload->isHidden());
    EXPECT_TRUE(main->uclQV4170.PortOpen());
    EXPECT_TRUE(SerialLog().contains("---Auto Power OFF Finished---"));
    // The next instrument connects without a restart.
    sim.PowerOn();
    journal.clear();
    EXPECT_TRUE(WaitFor([&] { return Has(GetMessage(5432)); }, 60000));
    EXPECT_TRUE(main->pageDownload->cmdDown[0]->isEnabled());
}

TEST_F(EndToEnd, AutomaticModeRunsOnConnectWithAndWithoutRemoval) {
    WriteSettings({"Auto Load Mode\tFalse\tTrue\tTrue"});
    // Before the first run switches the instrument off, the file turns removal off: the second
    // run, after the settings file was read again, must not erase.
    OnRequest("RO,W,", [&] { WriteSettings({"Auto Load Mode\tFalse\tTrue\tFalse"}); });
    Load();
    ASSERT_TRUE(
        WaitFor([&] { return SerialLog().contains("---Automatic Mode Camplate Finished"); }, 60000))
        << Journal().join(u'|').toStdString();
    EXPECT_EQ(sim.Erases(), 1);
    EXPECT_TRUE(sim.PoweredOff());
    for (const char* table :
         {"Interval_Data", "Alarm_Data", "Alarm_Event", "Trouble_Event", "cHistory", "cLatestHist"})
        EXPECT_GT(Rows(QLatin1String(table)), 0) << table;
    EXPECT_EQ(Rows("Power_Event"), 0);
    const QStringList j = Journal();
    ASSERT_GE(j.size(), 4);
    EXPECT_EQ(j[j.indexOf(Text(5401)) - 1], Text(5432));
    EXPECT_EQ(ColorOf(Text(5401)), ui::RGB(128, 32, 0));
    EXPECT_EQ(j.mid(j.size() - 3), (QStringList{Text(5434), Text(5407), Text(5410)}));
    EXPECT_EQ(ColorOf(Text(5410)), ui::RGB(32, 128, 0));
    // The fresh start emptied the log before the closing line.
    EXPECT_EQ(main->pageDownload->rtbLog->toPlainText().trimmed(), Text(5410));
    const QString log = SerialLog();
    const qsizetype start = log.indexOf("---Automatic Mode Process Start---");
    const qsizetype removed = log.indexOf("--- Data Remove Finished---.");
    const qsizetype off = log.indexOf("---Auto Power OFF Finished---");
    const qsizetype end = log.indexOf("---Automatic Mode Camplate Finished---");
    EXPECT_TRUE(start >= 0 && start < removed && removed < off && off < end);
    EXPECT_EQ(OperationMode, OpIdle);
    EXPECT_EQ(main->pageDownload->LoadedUpload(), nullptr);
    EXPECT_TRUE(main->pageDownload->chkAutoLoad[0]->isChecked());
    EXPECT_FALSE(main->pageDownload->chkAutoLoad[1]->isChecked());
    EXPECT_FALSE(AutoRemoveData);

    // The next instrument: downloaded (nothing left to store), not erased, switched off.
    journal.clear();
    sim.PowerOn();
    ASSERT_TRUE(WaitFor(
        [&] { return SerialLog().count("---Automatic Mode Camplate Finished") == 2; }, 90000))
        << Journal().join(u'|').toStdString();
    EXPECT_EQ(sim.Erases(), 1);
    EXPECT_EQ(sim.CountReceived("XC,W,"), 1);
    EXPECT_TRUE(sim.PoweredOff());
    EXPECT_TRUE(Has(Text(5443)));
}

TEST_F(EndToEnd, ACancelledChainStoresNothingOfTheCancelledStep) {
    Connect();
    Click(1);
    OnRequest("DR,R,", [&] { main->pageDownload->LoadedUpload()->cmdUpload->click(); });
    Click(0);
    EXPECT_EQ(ColorOf("Cominucation Canceled."), ui::RGB(255, 0, 0));
    EXPECT_EQ(Rows("Interval_Data"), 0);
    EXPECT_EQ(sim.CountReceived("DJ,R,"), 0);
    EXPECT_EQ(Enabled(), kAll);  // as they were before the chain
    EXPECT_EQ(OperationMode, OpIdle);
    EXPECT_EQ(main->pageDownload->LoadedUpload(), nullptr);
    EXPECT_EQ(SerialLog().count("--- All download sequence Finished."), 1);
    EXPECT_TRUE(SerialLog().contains("---Process to Canceled---"));
}

TEST_F(EndToEnd, NoInstrumentSilenceAndALostPortAreReported) {
    Load(true);
    // Not connected yet: nothing is sent.
    main->pageDownload->cmdDown_Click(2);
    EXPECT_EQ(ColorOf(Text(5422)), ui::RGB(255, 0, 0));
    EXPECT_EQ(sim.CountReceived("DR,R,"), 0);
    ASSERT_TRUE(WaitFor([&] { return Has(GetMessage(5432)); }));
    Click(1);

    // The instrument falls silent after the first block: the retries run out.
    sim.SetLinesPerBlock(5);
    OnRequest("DR,R,<ACK>", [&] { sim.InjectSilence(1000); });
    Click(2);
    EXPECT_EQ(ColorOf(Text(5421)), ui::RGB(255, 0, 0)) << Journal().join(u'|').toStdString();
    EXPECT_GT(sim.CountReceived("DR,R,<NAK>"), 25);
    EXPECT_EQ(Rows("Interval_Data"), 0);
    EXPECT_EQ(Database(DatabasePath)
                  .scalar(QStringLiteral("Select Count(*) From Log_head Where Types = 1"))
                  .toLongLong(),
              0);
    EXPECT_EQ(Enabled(), kAll);
    EXPECT_TRUE(SerialLog().contains("---Interval Trend Download Failed---"));

    // The device goes away in the middle of a transfer.
    sim.ClearFaults();
    journal.clear();
    OnRequest("DJ,R,", [&] { sim.InjectCloseAfterBlocks(1); });
    Click(3);
    EXPECT_EQ(ColorOf(Text(5426)), ui::RGB(255, 0, 0)) << Journal().join(u'|').toStdString();
    EXPECT_EQ(Rows("Alarm_Data"), 0);
    // The instrument has gone: the buttons come back disabled, the link lamp gray.
    EXPECT_EQ(Enabled(), (std::array<bool, 9>{}));
    EXPECT_EQ(main->pageDownload->shpStatus[1]->BackColor(), main->LampGray[0]);
    EXPECT_EQ(OperationMode, OpIdle);
}

TEST_F(EndToEnd, ClosingDuringADownloadCancelsItAndClosesAfterwards) {
    Connect();
    Click(1);
    bool visibleAfterClose = false;
    OnRequest("DR,R,", [&] {
        main->close();
        visibleAfterClose = main->isVisible();
    });
    Click(2);
    EXPECT_TRUE(visibleAfterClose);
    EXPECT_TRUE(Has("Cominucation Canceled."));
    EXPECT_EQ(Rows("Interval_Data"), 0);
    EXPECT_TRUE(WaitFor([&] { return !main->isVisible(); }, 5000));
    EXPECT_FALSE(QFile::exists(LockFilePath(DatabasePath)));
}

TEST_F(EndToEnd, ClosingDuringTheAutomaticModeEndsItFirst) {
    WriteSettings({"Auto Load Mode\tFalse\tTrue\tTrue"});
    OnRequest("DR,R,", [&] { main->close(); });
    Load();
    ASSERT_TRUE(WaitFor([&] { return !main->isVisible(); }, 60000))
        << Journal().join(u'|').toStdString();
    EXPECT_EQ(Rows("Interval_Data"), 0);
    EXPECT_EQ(sim.CountReceived("DJ,R,"), 0);
    EXPECT_EQ(sim.Erases(), 0);
    EXPECT_TRUE(SerialLog().contains("---Automatic Mode Failed Finished---"));
    EXPECT_FALSE(QFile::exists(LockFilePath(DatabasePath)));
}

// The program as a user starts it: the device named by QV4170_PORT, automatic load switched on
// in the settings file, no click at all.
TEST_F(EndToEnd, TheProgramRunsTheAutomaticModeFromTheCommandLine) {
    WriteSettings({"Auto Load Mode\tFalse\tTrue\tTrue"});
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("QV4170_PORT", sim.Path());
    QProcess program;
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(QV_PROGRAM), {});
    ASSERT_TRUE(program.waitForStarted());
    const bool done = WaitFor(
        [&] { return SerialLog().contains("---Automatic Mode Camplate Finished---"); }, 90000);
    program.kill();
    program.waitForFinished();
    ASSERT_TRUE(done) << SerialLog().right(2000).toStdString();
    EXPECT_TRUE(sim.PoweredOff());
    EXPECT_EQ(sim.Erases(), 1);
    DatabasePath = programFile(QStringLiteral("QV4170.mdb"));
    for (const char* table :
         {"Interval_Data", "Alarm_Data", "Alarm_Event", "Trouble_Event", "cHistory", "cLatestHist"})
        EXPECT_GT(Rows(QLatin1String(table)), 0) << table;
}

using MainWindowLink = ShellTest;

TEST_F(MainWindowLink, LiveReadingsAndNewInstrumentInformation) {
    auto main = MakeMain();
    main->CurInstrument->SetGasEnabled(0, true);
    main->CurInstrument->SetGasEnabled(1, true);
    main->uclQV4170_Densty(12, 20.9f, 1.5f, 3, 12);
    EXPECT_EQ(main->NowReadings[0], 12);
    EXPECT_FLOAT_EQ(main->NowReadings[1], 20.9f);
    EXPECT_EQ(main->NowReadings[2], -1);  // a disabled channel
    EXPECT_EQ(main->NowReadings[4], -1);

    // A sensor fixed in the gas catalogue is on whatever the instrument says (not gas 5).
    GasLocked = {false, true, false, false, true, false};
    main->CurInstrument->SetGasEnabled(1, false);
    main->CurInstrument->SetSerialNo(QStringLiteral("SN9"));
    main->RefreshInstrumentViews();
    EXPECT_TRUE(main->CurInstrument->GasEnabled(1));
    EXPECT_FALSE(main->CurInstrument->GasEnabled(4));
    EXPECT_EQ(main->pageDownload->lblStatus[5]->text(), "SN9");
}

}  // namespace
}  // namespace qv::test

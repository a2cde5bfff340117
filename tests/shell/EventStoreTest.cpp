// The events of a download step stored together, as the program lives with it: killed (SIGKILL)
// in the middle of storing 2,049 alarm events, it leaves none of them, and the next download
// stores every one once; a store refused part-way in the automatic mode says so, stores none of
// the step's events and erases nothing, and the next run stores them all.
#include "Database.h"
#include "InstrumentSimulator.h"
#include "RunProgram.h"
#include "ShellFixture.h"
#include "modDatabase.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

#include <sqlite3.h>

#include <algorithm>
#include <csignal>

namespace qv::test {
namespace {

constexpr int kEvents = 2049;

QString SerialLogText() {
    return ReadText(ProgramFile(QStringLiteral("SerialLog.log")));
}
bool AutomaticRunsEnded(const char* how, int runs) {
    const QString line = QStringLiteral("---Automatic Mode %1 Finished---").arg(how);
    return WaitFor([&] { return SerialLogText().count(line) == runs; }, 90000);
}

// Alarm events ten minutes apart back from 9 May 2014 (2,049 of them reach into April), each
// a log of its own.
QList<sim::EventFixture> AlarmEvents(int count) {
    QList<sim::EventFixture> events;
    const QDateTime newest(QDate(2014, 5, 9), QTime(8, 0), Qt::UTC);
    for (int i = 0; i < count; ++i)
        events << sim::EventFixture{i + 1, newest.addSecs(-600LL * i), i % 4 + 1, 2, true, false};
    return events;
}
// An instrument that logged these alarm events and nothing else.
sim::Content OnlyAlarmEvents(int count) {
    sim::Content content = sim::DefaultContent();
    sim::EraseLogs(content);
    content.logs.alarmEvents = AlarmEvents(count);
    sim::RenderLogs(content);
    return content;
}

class EventStore : public ShellTest {
  protected:
    void SetUp() override {
        ShellTest::SetUp();
        ASSERT_NO_FATAL_FAILURE(StartSimulator(sim, &device));
        sim.SetLinesPerBlock(47);
        // Automatic download with removal; the database made beforehand, in the program folder.
        QDir().mkpath(ProgramFolder());
        WriteSettings({"Auto Load Mode\tFalse\tTrue\tTrue"});
        DatabasePath = programFile(QStringLiteral("QV4170.mdb"));
        MakeDatabase(DatabasePath);
        // The window's and the link's 100 ms ticks, which time the automatic mode's pauses and
        // the connect polling, twenty times faster.
        QObject::connect(&ticker, &QTimer::timeout, [this] {
            if (!main) return;
            ++main->TickCount;
            link->tmrTimer_Timer();
        });
        ticker.start(5);
    }
    void TearDown() override {
        ticker.stop();
        if (main) main->Form_Unload();
        main.reset();
        ShellTest::TearDown();
    }
    // The main window on the simulator's device: the automatic mode runs when it connects.
    // What it writes into its status log is kept in `shown`, also what a fresh start empties.
    void Connect() {
        auto fast = std::make_unique<uclQvif>();
        fast->UseManualTimers(true);
        link = fast.get();
        main = std::make_unique<frmMain>(std::move(fast),
                                         std::make_unique<ListPortFinder>(QStringList{device}));
        QTextDocument* log = main->pageDownload->rtbLog->document();
        QObject::connect(log, &QTextDocument::contentsChange,
                         [this, log](int from, int, int added) {
                             const int end = std::min(from + added, log->characterCount() - 1);
                             if (end <= from) return;
                             QTextCursor text(log);
                             text.setPosition(from);
                             text.setPosition(end, QTextCursor::KeepAnchor);
                             shown += text.selectedText();
                         });
        ASSERT_TRUE(main->Form_Load()) << dialogs_->messages().join(u'|').toStdString();
        main->show();
    }
    static long long Rows(const QString& sql) {
        return Database(DatabasePath).scalar(sql).toLongLong();
    }
    // Every event is stored once, under a header whose count is the rows it holds.
    static void ExpectEachEventOnce(const QList<sim::EventFixture>& events) {
        Database db(DatabasePath);
        for (const sim::EventFixture& e : events)
            ASSERT_EQ(db.scalar(QStringLiteral("Select Count(*) From Alarm_Event Where GasNo=? "
                                               "And Dates=?"),
                                {e.gas - 1, e.when})
                          .toInt(),
                      1)
                << e.when.toString().toStdString();
        EXPECT_EQ(Rows("Select Count(*) From Alarm_Event"), events.size());
        EXPECT_EQ(Rows("Select Count(*) From Log_Head Where Types=5 And Dcount<>(Select Count(*) "
                       "From Alarm_Event Where RelNo=Log_Head.SeqNo)"),
                  0);
    }

    sim::InstrumentSimulator sim;
    QString device;
    QTimer ticker;
    std::unique_ptr<frmMain> main;
    uclQvif* link = nullptr;  // the window's
    QString shown;
};

// Ends the program as SIGKILL does, called from the trigger the parent set up.
void KillProgram(sqlite3_context*, int, sqlite3_value**) {
    ::raise(SIGKILL);
}
int AddKillFunction(sqlite3* db, char**, const sqlite3_api_routines*) {
    return sqlite3_create_function(db, "qv_test_kill", 0, SQLITE_UTF8, nullptr, KillProgram,
                                   nullptr, nullptr);
}

// The program in a child of this test program, on the folder the parent prepared: every
// database connection it opens knows the function that ends it.
TEST(EventStoreChild, RunsUntilTheStoreKillsIt) {
    const QString home = qEnvironmentVariable("QV_EVENT_STORE_CHILD_HOME");
    if (home.isEmpty()) GTEST_SKIP() << "runs in a child of EventStore.AKillDuringTheStore...";
    qputenv("XDG_DATA_HOME", home.toLocal8Bit());
    ScriptedDialogs dialogs;
    sqlite3_auto_extension(reinterpret_cast<void (*)()>(&AddKillFunction));
    RunProgram({});
    sqlite3_cancel_auto_extension(reinterpret_cast<void (*)()>(&AddKillFunction));
}

TEST_F(EventStore, AKillDuringTheStoreLeavesNoneAndTheNextDownloadStoresEachOnce) {
    sim.content() = OnlyAlarmEvents(kEvents);
    // The thousandth event row ends the program: SIGKILL in the middle of the store.
    Database(DatabasePath)
        .execute(QStringLiteral("Create Trigger KillInTheStore After Insert On Alarm_Event When "
                                "New.SeqNo=1000 Begin Select qv_test_kill(); End"));
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QV_EVENT_STORE_CHILD_HOME", home_.path());
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("QV4170_PORT", device);
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {"--gtest_filter=EventStoreChild.RunsUntilTheStoreKillsIt"});
    ASSERT_TRUE(child.waitForStarted());
    ASSERT_TRUE(WaitFor([&] { return child.state() == QProcess::NotRunning; }, 90000))
        << SerialLogText().right(2000).toStdString();
    EXPECT_EQ(child.exitStatus(), QProcess::CrashExit) << child.readAll().toStdString();
    EXPECT_TRUE(SerialLogText().contains("---Alarm Events Download Start Sequence---"));
    EXPECT_EQ(sim.Erases(), 0);

    // A new start: none of the events, and no header of them.
    {
        const auto restarted = StartMain();
        EXPECT_EQ(Rows("Select Count(*) From Alarm_Event"), 0);
        EXPECT_EQ(Rows("Select Count(*) From Log_Head Where Types=5"), 0);
        restarted->Form_Unload();
    }
    Database(DatabasePath).execute(QStringLiteral("Drop Trigger KillInTheStore"));

    // The next download stores every event once, and only then is the instrument erased.
    sim.PowerOn();
    ASSERT_NO_FATAL_FAILURE(Connect());
    ASSERT_TRUE(AutomaticRunsEnded("Camplate", 1)) << SerialLogText().right(2000).toStdString();
    ExpectEachEventOnce(AlarmEvents(kEvents));
    EXPECT_EQ(Rows("Select Count(*) From Log_Head Where Types=5"), 2);
    EXPECT_EQ(sim.Erases(), 1);
}

TEST_F(EventStore, AStoreRefusedPartWaySaysSoAndTheAutomaticModeErasesNothing) {
    const QList<sim::EventFixture> events = AlarmEvents(5);
    sim.content() = OnlyAlarmEvents(5);
    // The engine refuses no well-formed row of its own: a trigger refuses the third, as a full
    // disk would.
    Database(DatabasePath)
        .execute(QStringLiteral("Create Trigger Refused Before Insert On Alarm_Event When "
                                "New.SeqNo=3 Begin Select Raise(Abort, 'disk full'); End"));
    ASSERT_NO_FATAL_FAILURE(Connect());
    ASSERT_TRUE(AutomaticRunsEnded("Failed", 1)) << SerialLogText().right(2000).toStdString();
    EXPECT_TRUE(shown.contains(GetMessage(9064, {""}))) << shown.toStdString();
    EXPECT_TRUE(shown.contains(GetMessage(5450).trimmed()));
    EXPECT_FALSE(shown.contains(GetMessage(5434).trimmed()));  // no data removal
    EXPECT_TRUE(SerialLogText().contains(GetMessage(9064, {""})));
    EXPECT_EQ(sim.Erases(), 0);
    EXPECT_EQ(Rows("Select Count(*) From Alarm_Event"), 0);
    EXPECT_EQ(Rows("Select Count(*) From Log_Head Where Types=5"), 0);

    Database(DatabasePath).execute(QStringLiteral("Drop Trigger Refused"));
    sim.PowerOn();
    ASSERT_TRUE(AutomaticRunsEnded("Camplate", 1)) << SerialLogText().right(2000).toStdString();
    ExpectEachEventOnce(events);
    EXPECT_EQ(sim.Erases(), 1);
}

}  // namespace
}  // namespace qv::test

// The download operations against the simulator: every kind arrives, passes both decoder
// passes and stores exactly the logs the simulator keeps; faults on the wire are survived or
// end the download with nothing stored.
#include "Database.h"
#include "Dates.h"
#include "SimLinkRig.h"
#include "StoredLogs.h"
#include "TestSupport.h"
#include "clsAlarm.h"
#include "clsAlarmEvent.h"
#include "clsAlarmEvents.h"
#include "clsAlarms.h"
#include "clsHistory.h"
#include "clsHistorys.h"
#include "clsInterval.h"
#include "clsIntervals.h"
#include "clsPowerEvent.h"
#include "clsPowerEvents.h"
#include "clsTroubleEvent.h"
#include "clsTroubleEvents.h"
#include "modMessage.h"

#include <QSet>
#include <QSignalSpy>

namespace qv::test {
namespace {

// The main window's six collections and its instrument, stored as its download steps store them.
struct Host {
    std::shared_ptr<clsInstrument> instrument;
    std::shared_ptr<clsIntervals> intervals = std::make_shared<clsIntervals>();
    std::shared_ptr<clsAlarms> alarms = std::make_shared<clsAlarms>();
    std::shared_ptr<clsHistorys> history = std::make_shared<clsHistorys>();
    std::shared_ptr<clsAlarmEvents> alarmEvents = std::make_shared<clsAlarmEvents>();
    std::shared_ptr<clsTroubleEvents> troubleEvents = std::make_shared<clsTroubleEvents>();
    std::shared_ptr<clsPowerEvents> powerEvents = std::make_shared<clsPowerEvents>();

    explicit Host(std::shared_ptr<clsInstrument> inst) : instrument(std::move(inst)) {}

    template <class Collection>
    bool Store(Collection& c) {
        for (int i = 1; i <= c.Count(); ++i) {
            c.Item(i)->SetInstrument(instrument);
            c.Item(i)->Update();
        }
        return true;
    }
    // Every kind, downloaded and stored; false when a download failed.
    bool DownloadAll(uclQvif& link) {
        bool ok = link.GetInstrument(instrument) && link.GetLatestHistory(instrument);
        instrument->HistoryUpdate();
        history->SetInstruments(instrument);
        ok = link.GetHistory(history) && ok;
        for (int i = 1; i <= history->Count(); ++i) {
            history->Item(i)->SetInstrument(instrument);
            history->Item(i)->HistoryUpdate();
        }
        return link.GetInterval(intervals) && Store(*intervals) && link.GetAlarm(alarms) &&
               Store(*alarms) && link.GetAlarmEvent(alarmEvents) && Store(*alarmEvents) &&
               link.GetTroubleEvent(troubleEvents) && Store(*troubleEvents) &&
               link.GetPowerEvent(powerEvents) && Store(*powerEvents) && ok;
    }
};

void DownloadEveryKind(SimLinkRig& rig, const ScratchDatabase& scratch);

long long AllRows(const ScratchDatabase& db) {
    long long n = 0;
    for (const char* t : {"Log_head", "Gas_List", "Interval_Data", "Interval_Event", "Alarm_Data",
                          "cHistory", "cLatestHist", "Alarm_Event", "Trouble_Event", "Power_Event"})
        n += db.count(QLatin1String(t));
    return n;
}

// Block headers either echo the request (the channel of a history in field 0) or carry the
// instrument's own block counters: the link reads neither.
TEST(DownloadOperations, EveryKindStoresExactlyWhatTheInstrumentKeeps) {
    for (const bool counters : {false, true}) {
        SCOPED_TRACE(counters ? "counter headers" : "echoing headers");
        SimLinkRig rig;
        ScratchDatabase scratch;
        ConvFactor = 0.05f;
        AtCommandVersion = 2056;
        rig.sim.SetLinesPerBlock(30);
        rig.sim.SetCounterHeaders(counters);
        DownloadEveryKind(rig, scratch);
    }
}

void DownloadEveryKind(SimLinkRig& rig, const ScratchDatabase& scratch) {
    ASSERT_TRUE(rig.Connect());
    Host host(rig.instrument);
    QSignalSpy interMessages(rig.link.get(), &uclQvif::InterMessage);
    QSignalSpy alarmMessages(rig.link.get(), &uclQvif::AlarmMessage);
    ASSERT_TRUE(host.DownloadAll(*rig.link));
    EXPECT_EQ(rig.link->Status(), StatusCompleted);
    EXPECT_EQ(rig.Requests(QStringLiteral("IH,R,")),
              QStringList({"IH,R,1,", "IH,R,2,", "IH,R,3,", "IH,R,4,", "IH,R,5,"}));
    // Each new log is announced once, the one that starts in the last block too.
    EXPECT_EQ(interMessages.count(), 1);
    EXPECT_EQ(interMessages.at(0).at(0).toString(), QStringLiteral("New Data! Name - iv09083000"));
    EXPECT_EQ(alarmMessages.count(), 2 + 1 + 1 + 1);

    Database db(scratch.path());
    Expect expect{db, rig.sim.content().logs};
    expect.Intervals();
    expect.AlarmTrends();
    expect.Events(TypeAlarmEvents, QStringLiteral("Alarm_Event"), QStringLiteral("Alarm Events"),
                  rig.sim.content().logs.alarmEvents);
    expect.Events(TypeTroubleEvents, QStringLiteral("Trouble_Event"),
                  QStringLiteral("Trouble Events"), rig.sim.content().logs.troubleEvents);
    expect.Power();
    expect.History();

    // The same data again stores nothing new.
    const long long rows = AllRows(scratch);
    ASSERT_TRUE(host.DownloadAll(*rig.link));
    EXPECT_EQ(AllRows(scratch), rows);
}

// The instrument misses the ACK of a history block: the link times out, sends its NAK, takes
// the block sent again as a copy and goes on to store the whole channel.
TEST(DownloadOperations, AHistoryTransferRecoversFromATimeOut) {
    for (const bool counters : {false, true}) {
        SCOPED_TRACE(counters ? "counter headers" : "echoing headers");
        SimLinkRig rig;
        ScratchDatabase scratch;
        rig.sim.SetLinesPerBlock(1);
        rig.sim.SetCounterHeaders(counters);
        ASSERT_TRUE(rig.Connect());
        Host host(rig.instrument);
        int acks = 0;
        rig.OnRequest(QStringLiteral("IH,R,2,<ACK>"), [&] {
            if (++acks == 1) rig.sim.InjectSilence(1);
        });
        ASSERT_TRUE(host.DownloadAll(*rig.link));
        EXPECT_EQ(rig.sim.CountReceived(QStringLiteral("IH,R,<NAK>")), 1);
        EXPECT_EQ(rig.Requests(QStringLiteral("IH,R,2,")).count(QStringLiteral("IH,R,2,")), 1);
        Database db(scratch.path());
        Expect{db, rig.sim.content().logs}.History();
    }
}

TEST(DownloadOperations, BadBlocksGarbageSilenceAndRepeatsStillGiveTheWholeLog) {
    SimLinkRig rig;
    ScratchDatabase scratch;
    ASSERT_TRUE(rig.Connect());
    Host host(rig.instrument);
    ASSERT_TRUE(rig.link->GetInstrument(rig.instrument));
    rig.sim.SetLinesPerBlock(20);  // the repeated block holds samples
    rig.sim.InjectBadChecksum(2);
    rig.sim.InjectGarbage(QByteArray("\x01noise\x7f\x04 more\x17", 14), 3);
    rig.sim.InjectRepeatBlock(2);
    rig.sim.InjectSilence(1);
    rig.sim.ClearReceived();
    ASSERT_TRUE(rig.link->GetInterval(host.intervals));
    EXPECT_EQ(rig.sim.Received().mid(0, 2), QStringList({"DR,R,", "DR,R,"}));  // asked again
    EXPECT_GE(rig.sim.CountReceived(QStringLiteral("DR,R,<NAK>")), 2);
    host.Store(*host.intervals);
    Database db(scratch.path());
    Expect{db, rig.sim.content().logs}.Intervals();
}

TEST(DownloadOperations, SilenceFailsAfterTheRetriesWithNothingStored) {
    SimLinkRig rig;
    ScratchDatabase scratch;
    ASSERT_TRUE(rig.Connect());
    Host host(rig.instrument);
    // Without an object to fill nothing is sent.
    uclQvif& link = *rig.link;
    for (bool sent : {link.GetInterval(nullptr), link.GetAlarm(nullptr), link.GetHistory(nullptr),
                      link.GetLatestHistory(nullptr), link.GetAlarmEvent(nullptr),
                      link.GetTroubleEvent(nullptr), link.GetPowerEvent(nullptr),
                      link.GetInstrument(nullptr), link.SetInitValue(nullptr)})
        EXPECT_FALSE(sent);
    QCoreApplication::processEvents();
    EXPECT_TRUE(rig.sim.Received().isEmpty());

    rig.sim.InjectSilence(1000);
    EXPECT_FALSE(rig.link->GetInterval(host.intervals));
    EXPECT_EQ(rig.link->Status(), StatusReady);
    EXPECT_EQ(rig.sim.CountReceived(QStringLiteral("DR,R,")), 31);
    EXPECT_EQ(host.intervals->Count(), 0);
    EXPECT_EQ(AllRows(scratch), 0);
}

TEST(DownloadOperations, CancelEndsTheTransferWithNothingStored) {
    SimLinkRig rig;
    ScratchDatabase scratch;
    rig.sim.SetLinesPerBlock(5);
    ASSERT_TRUE(rig.Connect());
    Host host(rig.instrument);
    int acks = 0;
    rig.OnRequest(QStringLiteral("DR,R,<ACK>"), [&] {
        if (++acks == 3) rig.link->SetCancel(true);
    });
    EXPECT_FALSE(rig.link->GetInterval(host.intervals));
    EXPECT_TRUE(rig.link->Cancel());
    EXPECT_EQ(rig.link->Status(), StatusReady);
    // The block that arrived after the cancel was not answered.
    EXPECT_EQ(rig.sim.CountReceived(QStringLiteral("DR,R,<ACK>")), 3);
    EXPECT_EQ(AllRows(scratch), 0);

    // During the histories a cancel ends the download: the channels still to come are not asked
    // for, and the channels that came whole before it are kept.
    rig.sim.ClearReceived();
    rig.sim.SetLinesPerBlock(1);
    rig.OnRequest(QStringLiteral("IH,R,3,<ACK>"), [&] { rig.link->SetCancel(true); });
    EXPECT_FALSE(rig.link->GetHistory(host.history));
    EXPECT_EQ(rig.sim.Received().count(QStringLiteral("IH,R,3,")), 1);
    EXPECT_EQ(rig.sim.CountReceived(QStringLiteral("IH,R,4,")), 0);
    EXPECT_EQ(rig.sim.CountReceived(QStringLiteral("IH,R,5,")), 0);
    EXPECT_FALSE(host.history->FailLine().contains(GetMessage(9100, {QStringLiteral("2")})));
    EXPECT_TRUE(host.history->FailLine().contains(GetMessage(9100, {QStringLiteral("5")})));
    // The caller learns that the download was cancelled.
    EXPECT_TRUE(rig.link->Cancel());
}

// Every operation starts with its own cancel state: the cancel a download left behind (the
// automatic mode switches the instrument off after a cancelled download, a clock is set after
// one) ends none of them.
TEST(DownloadOperations, ACancelLeftByADownloadEndsNoLaterOperation) {
    SimLinkRig rig;
    rig.sim.SetLinesPerBlock(5);
    ASSERT_TRUE(rig.Connect());
    Host host(rig.instrument);
    uclQvif& link = *rig.link;
    rig.OnRequest(QStringLiteral("DR,R,<ACK>"), [&] { link.SetCancel(true); });
    EXPECT_FALSE(link.GetInterval(host.intervals));
    ASSERT_TRUE(link.Cancel());
    rig.OnRequest(QStringLiteral("none"), [] {});

    const QString dump = ProgramFile(QStringLiteral("Dump.dat"));
    const std::pair<const char*, std::function<bool()>> operations[] = {
        {"instrument", [&] { return link.GetInstrument(rig.instrument); }},
        {"latest calibration", [&] { return link.GetLatestHistory(rig.instrument); }},
        {"histories", [&] { return link.GetHistory(host.history); }},
        {"interval trend", [&] { return link.GetInterval(host.intervals); }},
        {"alarm trend", [&] { return link.GetAlarm(host.alarms); }},
        {"alarm events", [&] { return link.GetAlarmEvent(host.alarmEvents); }},
        {"trouble events", [&] { return link.GetTroubleEvent(host.troubleEvents); }},
        {"power events", [&] { return link.GetPowerEvent(host.powerEvents); }},
        {"upload", [&] { return link.SetInstrument(rig.instrument); }},
        {"clock", [&] { return link.SetDateTime(QDateTime::currentDateTime()); }},
        {"pump", [&] { return link.SetPump(true); }},
        {"zero", [&] { return link.ZeroCal(QStringLiteral("10000")); }},
        {"span",
         [&] { return link.SpanCal(QStringLiteral("10000,   50,*****,*****,*****,*****")); }},
        {"dump", [&] { return link.GetRomDump(dump); }},
        {"erase", [&] { return link.BodyDataClear(); }},
        {"initialisation", [&] { return link.SetInitValue(rig.instrument); }},
        {"power-off", [&] { return link.BodyPowerOff(); }},
    };
    for (const auto& [name, operation] : operations) {
        link.SetCancel(true);
        EXPECT_TRUE(operation()) << name;
    }
    EXPECT_TRUE(rig.sim.PoweredOff());
}

// A silent instrument sends nothing that would carry a cancel: the link timer ends the exchange
// at its next tick, and nothing more is asked for.
TEST(DownloadOperations, ACancelEndsAnExchangeAtTheNextTickWhenTheInstrumentIsSilent) {
    SimLinkRig rig;
    ASSERT_TRUE(rig.Connect());
    Host host(rig.instrument);
    uclQvif& link = *rig.link;
    rig.tickEveryTurn = true;
    const std::pair<const char*, std::function<bool()>> operations[] = {
        {"DR,R,", [&] { return link.GetInterval(host.intervals); }},
        {"SO,R,", [&] { return link.GetLatestHistory(rig.instrument); }},
        {"BP,W,", [&] { return link.SetPump(true); }},
    };
    for (const auto& [request, operation] : operations) {
        rig.sim.InjectSilence(1000);
        rig.sim.ClearReceived();
        int ticks = 0;
        link.SetWaitHook([&] {
            link.SetCancel(true);
            ++ticks;
            rig.Turn();
        });
        EXPECT_FALSE(operation()) << request;
        EXPECT_TRUE(link.Cancel()) << request;
        EXPECT_LE(ticks, 2) << request;
        // What the link wrote reaches the instrument; then nothing more comes.
        for (int i = 0; i < 50; ++i)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        ASSERT_EQ(rig.sim.Received().size(), 1) << request;
        EXPECT_TRUE(rig.sim.Received()[0].startsWith(QLatin1String(request))) << request;
    }
    EXPECT_EQ(host.intervals->Count(), 0);
}

// A host that closes waits for nothing the instrument alone could end: a cancel ends the exchange
// at once (the instrument may have fallen silent), no further history channel is asked for, an
// unanswered request is not repeated, and the power-off does not wait for the instrument to go.
TEST(DownloadOperations, AClosingHostWaitsForNothing) {
    SimLinkRig rig;
    ASSERT_TRUE(rig.Connect());
    Host host(rig.instrument);
    rig.link->SetClosing(true);
    rig.sim.InjectSilence(1000);
    rig.link->SetWaitHook([&] {
        if (rig.sim.CountReceived(QStringLiteral("DR,R,")) == 1) rig.link->SetCancel(true);
        rig.Turn();
    });
    EXPECT_FALSE(rig.link->GetInterval(host.intervals));
    EXPECT_TRUE(rig.link->Cancel());
    EXPECT_EQ(rig.sim.CountReceived(QStringLiteral("DR,R,")), 1);
    // The reply's time-out was not waited out.
    EXPECT_GT(rig.link->ReplyTimeout(), 25);
    rig.link->SetWaitHook([&] { rig.Turn(); });

    // The pump command goes once, and nothing waits for its answer.
    rig.link->SetCancel(false);
    rig.link->SetWaitHook([&] {
        ADD_FAILURE() << "the pump command waited";
        rig.Turn();
    });
    EXPECT_FALSE(rig.link->SetPump(false));
    rig.link->SetWaitHook([&] { rig.Turn(); });
    EXPECT_TRUE(rig.AwaitRequest(QStringLiteral("BP,W,0")));
    EXPECT_EQ(rig.sim.CountReceived(QStringLiteral("BP,W,0")), 1);

    rig.sim.ClearFaults();
    ASSERT_TRUE(rig.Connect());
    rig.OnRequest(QStringLiteral("IH,R,2,"), [&] { rig.link->SetCancel(true); });
    EXPECT_FALSE(rig.link->GetHistory(host.history));
    EXPECT_TRUE(rig.link->Cancel());
    EXPECT_EQ(rig.Requests(QStringLiteral("IH,R,3,")), QStringList{});
    QStringList missing;
    for (const char* channel : {"2", "3", "4", "5"})
        missing << GetMessage(9100, {QLatin1String(channel)});
    EXPECT_EQ(host.history->FailLine(), missing.join(QStringLiteral("\r\n")));

    // The power-off is answered, and no link tick passes waiting for the instrument to go.
    EXPECT_TRUE(rig.link->BodyPowerOff());
    EXPECT_TRUE(rig.sim.PoweredOff());
    EXPECT_EQ(rig.link->TickCount(), 0);
}

// One channel's history never answered: the others still come, and the history download fails
// naming the channel that is missing.
TEST(DownloadOperations, AnUnansweredHistoryChannelFailsTheHistoryAndIsNamed) {
    SimLinkRig rig;
    ASSERT_TRUE(rig.Connect());
    Host host(rig.instrument);
    rig.SilenceAt(QStringLiteral("IH,R,3,"));
    EXPECT_FALSE(rig.link->GetHistory(host.history));
    EXPECT_FALSE(rig.link->Cancel());
    EXPECT_EQ(host.history->FailLine(), GetMessage(9100, {QStringLiteral("3")}));
    EXPECT_EQ(rig.Requests(QStringLiteral("IH,R,5,")).value(0), QStringLiteral("IH,R,5,"));
    ASSERT_EQ(host.history->Count(), 1);
    const auto h = host.history->Item(1);
    EXPECT_EQ(h->DCount(), 3);
    EXPECT_FLOAT_EQ(h->After(4, 0), 50);
    EXPECT_FLOAT_EQ(h->After(2, 0), -1);

    // The next download finds every channel and no failure left over.
    ASSERT_TRUE(rig.link->GetHistory(host.history));
    EXPECT_TRUE(host.history->FailLine().isEmpty());
    EXPECT_FLOAT_EQ(host.history->Item(1)->After(2, 0), 30);
}

TEST(DownloadOperations, AFarEndThatVanishesFailsTheDownloadCleanly) {
    SimLinkRig rig;
    ScratchDatabase scratch;
    ASSERT_TRUE(rig.Connect());
    Host host(rig.instrument);
    rig.sim.SetLinesPerBlock(10);
    rig.sim.InjectCloseAfterBlocks(4);
    QSignalSpy gone(rig.link.get(), &uclQvif::OnDisConnect);
    EXPECT_FALSE(rig.link->GetInterval(host.intervals));
    EXPECT_EQ(gone.count(), 1);
    EXPECT_FALSE(rig.link->Connected());
    EXPECT_FALSE(rig.link->PortOpen());
    EXPECT_EQ(AllRows(scratch), 0);

    // Without a connection nothing would ever time the next request out: it fails at once.
    QElapsedTimer took;
    took.start();
    EXPECT_FALSE(rig.link->GetAlarm(host.alarms));
    EXPECT_FALSE(rig.link->SetPump(true));
    EXPECT_EQ(rig.link->Status(), StatusFailed);
    EXPECT_LT(took.elapsed(), 1000);
}

}  // namespace
}  // namespace qv::test

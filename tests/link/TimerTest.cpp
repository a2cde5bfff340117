// The link timer and the live-reading timer on a test clock: connect polling and giving up,
// reopening the port, reply time-outs and their retries, live readings, infrared discovery.
#include "LinkRig.h"
#include "clsHistorys.h"
#include "clsIntervals.h"

#include <gtest/gtest.h>

#include <QSignalSpy>

namespace qv::test {
namespace {

TEST(LinkTimer, PollsThirtyTimesThenGivesUp) {
    LinkRig rig;
    QSignalSpy retries(rig.link.get(), &uclQvif::ConnectRetry);
    QSignalSpy alarms(rig.link.get(), &uclQvif::AlarmMessage);
    rig.infrared->canCarry = true;  // polls without closing the serial port
    rig.serial->SetLines(SerialPort::LineCts);
    int polls = 0;
    for (int tick = 0; tick < 400 && rig.link->LinkState() == LinkConnecting; ++tick) {
        rig.link->tmrTimer_Timer();
        polls += rig.Sent().count(QStringLiteral("RC,R,"));
    }
    EXPECT_EQ(polls, 30);
    ASSERT_EQ(retries.count(), 6);
    EXPECT_EQ(retries.at(0).at(0).value<int16_t>(), 1);
    EXPECT_EQ(retries.at(5).at(0).value<int16_t>(), 6);
    ASSERT_EQ(alarms.count(), 1);
    EXPECT_EQ(alarms.at(0).at(0).toString(),
              QStringLiteral("QV-4170 No Response. Check Port,Cable And Power.\r\n"));
    EXPECT_EQ(rig.link->LinkState(), LinkNotConnected);
    EXPECT_EQ(rig.link->Status(), StatusInitial);
}

TEST(LinkTimer, AnUnansweredPollReopensTheSerialPort) {
    LinkRig rig;
    rig.serial->SetLines(SerialPort::LineCts);
    rig.Tick(11);
    EXPECT_EQ(rig.Sent(), QStringList({"RC,R,"}));
    EXPECT_TRUE(rig.serial->IsOpen());
    rig.link->tmrTimer_Timer();  // the 11th tick without an answer
    EXPECT_FALSE(rig.serial->IsOpen());
    EXPECT_EQ(rig.link->LinkState(), LinkReopenPort);
    rig.link->tmrTimer_Timer();
    EXPECT_TRUE(rig.serial->IsOpen());
    EXPECT_EQ(rig.link->LinkState(), LinkConnecting);
    rig.link->tmrTimer_Timer();
    EXPECT_EQ(rig.Sent(), QStringList({"RC,R,"}));
    EXPECT_EQ(rig.link->Retries(), 2);
    // An answer within the wait connects; the port stays open.
    rig.Tick(5);
    rig.Reply("RC,R,QV-4170");
    EXPECT_TRUE(rig.link->Connected());
    rig.Tick(10);
    EXPECT_EQ(rig.serial->closes, 1);
}

TEST(LinkTimer, MissingRepliesAreAskedForAgainThenFail) {
    LinkRig rig;
    rig.Connect();
    rig.link->SetIntervals(std::make_shared<clsIntervals>());
    rig.link->SetHistory(std::make_shared<clsHistorys>());
    // A missing first reply: the request goes out again at the 31st tick.
    rig.Request(StatusBlockDownload, "DR,R,");
    EXPECT_EQ(rig.link->ReplyTimeout(), 30);
    rig.Tick(30);
    EXPECT_TRUE(rig.Sent().isEmpty());
    rig.link->tmrTimer_Timer();
    EXPECT_EQ(rig.Sent(), QStringList({"DR,R,"}));
    // A missing later block: NAK with ETB, five characters even for a history transfer.
    rig.Reply("DR,R,3,1,0", frames::ETB);
    EXPECT_EQ(rig.Sent(), QStringList({"DR,R,<ACK>"}));
    rig.Tick(31);
    EXPECT_EQ(rig.Sent(), QStringList({"DR,R,<NAK>"}));
    rig.Request(StatusBlockDownload, "IH,R,3,");
    rig.Reply("IH,R,3,1,0", frames::ETB);
    rig.Sent();
    rig.Tick(31);
    EXPECT_EQ(rig.Sent(), QStringList({"IH,R,<NAK>"}));
    // The block sent again is taken and answered with the channel of the request, whatever its
    // header fields hold.
    rig.Reply("IH,R,0002,0002,0000", frames::ETB);
    EXPECT_EQ(rig.Sent(), QStringList({"IH,R,3,<ACK>"}));

    // Thirty repeats, then the transfer fails without a 31st.
    rig.Request(StatusWriteCommand, "BP,W,1");
    int repeats = 0;
    for (int tick = 0; tick < 2000 && rig.link->Status() == StatusWriteCommand; ++tick) {
        rig.link->tmrTimer_Timer();
        repeats += rig.Sent().count(QStringLiteral("BP,W,1"));
    }
    EXPECT_EQ(repeats, 30);
    EXPECT_EQ(rig.link->Status(), StatusFailed);
}

TEST(LinkTimer, LiveReadingsOncePerSecond) {
    LinkRig rig;
    rig.Connect();
    QSignalSpy readings(rig.link.get(), &uclQvif::Densty);
    rig.link->SetRunDensty(true);
    // No answer within the second: the next second gives up the poll, the one after asks again.
    rig.link->tmrDenst_Timer();
    rig.link->tmrDenst_Timer();
    EXPECT_EQ(rig.link->Status(), StatusReady);
    rig.link->tmrDenst_Timer();
    EXPECT_EQ(rig.Sent(), QStringList({"DN,R,", "DN,R,"}));
    rig.Reply("DN,R,   12, 20.9,  1.5,    3,   12");
    ASSERT_EQ(readings.count(), 1);
    EXPECT_FLOAT_EQ(readings.at(0).at(4).toFloat(), 12.0f);
    // A running transfer is left alone.
    rig.link->SetStatus(StatusBlockDownload);
    rig.link->tmrDenst_Timer();
    EXPECT_TRUE(rig.Sent().isEmpty());

    // Stopping waits for the outstanding poll's answer.
    rig.link->SetStatus(StatusReady);
    rig.link->tmrDenst_Timer();
    int turns = 0;
    rig.link->SetWaitHook([&] {
        if (++turns == 3) rig.Reply("DN,R,1,2,3,4,5");
    });
    rig.link->SetRunDensty(false);
    EXPECT_EQ(turns, 3);
    EXPECT_FALSE(rig.link->RunDensty());
    EXPECT_EQ(rig.link->Status(), StatusCompleted);
}

TEST(LinkTimer, DiscoveryEverySixthTick) {
    LinkRig rig;
    const int before = rig.infrared->discoveries;
    rig.Tick(36);
    EXPECT_EQ(rig.infrared->discoveries - before, 6);
}

}  // namespace
}  // namespace qv::test

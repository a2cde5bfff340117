// The receive path on scripted ports: cutting, acknowledging and refusing frames, retries,
// cancel, line-status changes, line errors and the infrared events.
#include "LinkRig.h"
#include "SimContent.h"
#include "clsHistorys.h"
#include "clsIntervals.h"
#include "modMessage.h"

#include <gtest/gtest.h>

#include <QSignalSpy>

namespace qv::test {
namespace {

using frames::CR;
using frames::EOT;
using frames::ETB;

const QStringList& Lines() {
    static const QStringList lines =
        sim::IntervalLog(1, 20, QDateTime(QDate(2014, 5, 9), QTime(8, 0), Qt::UTC), 60);
    return lines;
}

QByteArray Block(const QStringList& lines, int number) {
    return ("DR,R,3," + QString::number(number) + u',' + QString::number(lines.size()) + u',' +
            lines.join(u','))
        .toLatin1();
}

TEST(ReceivePath, EveryFrameOfOneReadIsTakenAndAnsweredInOrder) {
    LinkRig rig;
    auto intervals = std::make_shared<clsIntervals>();
    rig.link->SetIntervals(intervals);
    rig.Request(StatusBlockDownload, "DR,R,");
    // Two blocks in one read: the first ACK must not throw the second block away.
    rig.serial->Feed(Frame(Block(Lines().mid(0, 12), 1), ETB) +
                     Frame(Block(Lines().mid(12, 10), 2), ETB));
    EXPECT_EQ(rig.Sent(), QStringList({"DR,R,<ACK>", "DR,R,<ACK>"}));
    ASSERT_EQ(intervals->Count(), 1);
    EXPECT_EQ(intervals->Item(1)->DataCount(), 13);
    EXPECT_EQ(rig.link->Status(), StatusBlockDownload);
    rig.Reply(Block(Lines().mid(22), 3), EOT);
    EXPECT_TRUE(rig.Sent().isEmpty());
    EXPECT_EQ(rig.link->Status(), StatusCompleted);
    EXPECT_EQ(intervals->Item(1)->DataCount(), 20);
    const QString log = ReadSerialLog();
    EXPECT_LT(log.indexOf(QStringLiteral("R : [STX]0001DR,R,3,1,")),
              log.indexOf(QStringLiteral("R : [STX]0001DR,R,3,2,")));
    EXPECT_TRUE(log.contains(QStringLiteral("W : [STX]0001DR,R,[ACK][ETX]F4[ETB]")));
    // A late copy of the last block, after the transfer ended, is neither taken again nor
    // answered; nor is a block of another kind during a transfer.
    rig.Reply(Block(Lines().mid(22), 3), EOT);
    rig.Request(StatusBlockDownload, "DR,R,");
    rig.Reply("DJ,R,1,1,0", ETB);
    EXPECT_TRUE(rig.Sent().isEmpty());
    EXPECT_EQ(intervals->Item(1)->DataCount(), 20);
    EXPECT_EQ(rig.link->Status(), StatusBlockDownload);

    // A CR ends a frame first; a good frame ended by CR is neither answered nor completes.
    rig.Request(StatusBlockDownload, "DR,R,");
    rig.serial->Feed(Frame("RC,R,QV-4170", CR));
    EXPECT_TRUE(rig.Sent().isEmpty());
    EXPECT_EQ(rig.link->Status(), StatusBlockDownload);
    // An unterminated remainder waits for the next read.
    rig.serial->Feed(
        "\x02"
        "0001DR,R,3,1,0");
    EXPECT_EQ(rig.link->ReceiveBuffer(), QByteArray("\x02"
                                                    "0001DR,R,3,1,0"));
    // Endless noise without a terminator does not pile up.
    rig.serial->Feed(QByteArray(70000, 'x'));
    EXPECT_TRUE(rig.link->ReceiveBuffer().isEmpty());
}

TEST(ReceivePath, BadFramesAreRefusedNeverStoredAndAskedForAgain) {
    LinkRig rig;
    auto intervals = std::make_shared<clsIntervals>();
    rig.link->SetIntervals(intervals);
    rig.Request(StatusBlockDownload, "DR,R,");
    // A damaged last block neither completes nor is stored; the NAK keeps its terminator.
    QByteArray damaged = Frame(Block(Lines().mid(0, 12), 1), EOT);
    damaged[damaged.size() - 2] = damaged[damaged.size() - 2] == 'A' ? 'B' : 'A';
    rig.serial->Feed(damaged);
    EXPECT_EQ(rig.serial->written.last().right(1), QByteArray(1, EOT));
    EXPECT_EQ(rig.Sent(), QStringList({"DR,R,<NAK>"}));
    EXPECT_EQ(rig.link->Status(), StatusBlockDownload);
    EXPECT_EQ(intervals->Count(), 0);
    EXPECT_EQ(rig.link->Retries(), 1);
    // The good block then resets the count with its ACK.
    rig.Reply(Block(Lines().mid(0, 12), 1), ETB);
    EXPECT_EQ(rig.Sent(), QStringList({"DR,R,<ACK>"}));
    EXPECT_EQ(rig.link->Retries(), 0);

    // A calibration-history transfer answers with the channel in the payload.
    auto history = std::make_shared<clsHistorys>();
    rig.link->SetHistory(history);
    rig.Request(StatusBlockDownload, "IH,R,2,");
    rig.Reply("IH,R,2,1,1,short", ETB);
    EXPECT_EQ(rig.Sent(), QStringList({"IH,R,2,<NAK>"}));
    rig.Reply("IH,R,2,1,0", ETB);
    EXPECT_EQ(rig.Sent(), QStringList({"IH,R,2,<ACK>"}));
}

// Each ACK moves the instrument on by one block and each NAK has it send its block again:
// answering a frame nobody asked for would put the instrument ahead of what was taken, and
// throwing away what already arrived would cost a block.
TEST(ReceivePath, CopiesNoiseAndSplitReadsAreAnsweredOnceAndTakenOnce) {
    LinkRig rig;
    auto intervals = std::make_shared<clsIntervals>();
    rig.link->SetIntervals(intervals);
    rig.Request(StatusBlockDownload, "DR,R,");
    // Noise holding terminators but no frame start is not answered; noise before a frame
    // start does not spoil the frame.
    rig.serial->Feed(QByteArray("\x01noise\x7f\x04 more\x17", 14));
    EXPECT_TRUE(rig.Sent().isEmpty());
    rig.serial->Feed("junk" + Frame(Block(Lines().mid(0, 12), 1), ETB));
    EXPECT_EQ(rig.Sent(), QStringList({"DR,R,<ACK>"}));

    // The instrument missed the ACK and sends the block again: it is acknowledged, not taken.
    const QByteArray second = Frame(Block(Lines().mid(12, 2), 2), ETB);
    rig.serial->Feed(second);
    EXPECT_EQ(rig.Sent(), QStringList({"DR,R,<ACK>"}));
    const int taken = intervals->Item(1)->DataCount();
    rig.serial->Feed(second);
    EXPECT_EQ(rig.Sent(), QStringList({"DR,R,<ACK>"}));
    EXPECT_EQ(intervals->Item(1)->DataCount(), taken);

    // A reply that a damaged byte cut in two is asked for once: the piece without a frame
    // start is noise.
    const QByteArray third = Frame(Block(Lines().mid(14, 2), 3), ETB);
    QByteArray cut = third;
    cut[30] = ETB;
    rig.serial->Feed(cut);
    EXPECT_EQ(rig.Sent(), QStringList({"DR,R,<NAK>"}));
    rig.serial->Feed(third);
    EXPECT_EQ(rig.Sent(), QStringList({"DR,R,<ACK>"}));
    const int withThird = intervals->Item(1)->DataCount();
    EXPECT_GT(withThird, taken);

    // A block whose start arrived with the frame before it survives that frame's ACK.
    const QByteArray fourth = Frame(Block(Lines().mid(16, 2), 4), ETB);
    const QByteArray fifth = Frame(Block(Lines().mid(18, 2), 5), ETB);
    rig.serial->Feed(fourth + fifth.left(20));
    EXPECT_EQ(rig.Sent(), QStringList({"DR,R,<ACK>"}));
    rig.serial->Feed(fifth.mid(20));
    EXPECT_EQ(rig.Sent(), QStringList({"DR,R,<ACK>"}));
    EXPECT_EQ(rig.link->Retries(), 0);
    EXPECT_GT(intervals->Item(1)->DataCount(), withThird);
}

// A reply completes only the request it answers: one of another request (the second answer of
// a request the link sent again) is logged and otherwise ignored, whatever the decoder would
// make of it.
TEST(ReceivePath, AReplyToAnotherRequestIsOnlyLogged) {
    LinkRig rig;
    rig.Connect();
    auto history = std::make_shared<clsHistorys>();
    rig.link->SetHistory(history);
    rig.link->SetHistoryChannel(0);
    const QDateTime calibrated = rig.instrument->CalibDate(0);
    rig.Request(StatusBlockDownload, "IH,R,1,");
    const QByteArray latest = "140509083000 0.00 20.9";
    rig.Reply("SO,R," + latest + ',' + latest + ',' + latest + ',' + latest + ',' + latest);
    rig.Request(StatusWriteCommand, "XS,W,DOCK      ");
    rig.Reply("XZ,W,USER01    ");
    EXPECT_TRUE(rig.Sent().isEmpty());
    EXPECT_EQ(rig.link->Status(), StatusWriteCommand);
    EXPECT_EQ(rig.link->Retries(), 0);
    EXPECT_EQ(ReadSerialLog().count(GetMessage(9110)), 2);
    EXPECT_EQ(rig.instrument->CalibDate(0), calibrated);

    // Channel 1's history was asked for twice and its block comes twice: the copy that arrives
    // while channel 2 is asked for is not channel 2's.
    const QString line = sim::HistoryLine({0, QDateTime(QDate(2014, 5, 9), QTime(8, 30)), 0, 50});
    const QByteArray block = ("IH,R,0001,0001,0001," + line).toLatin1();
    rig.Request(StatusBlockDownload, "IH,R,1,");
    rig.Tick(31);
    EXPECT_EQ(rig.Sent(), QStringList({"IH,R,1,"}));
    rig.Reply(block);
    EXPECT_EQ(rig.link->Status(), StatusCompleted);
    rig.link->SetHistoryChannel(1);
    rig.Request(StatusBlockDownload, "IH,R,2,");
    rig.Reply(block);
    EXPECT_EQ(rig.link->Status(), StatusBlockDownload);
    ASSERT_EQ(history->Count(), 1);
    EXPECT_FLOAT_EQ(history->Item(1)->After(1, 0), -1);
    // Channel 2's own block, even when it reads the same, is taken.
    rig.Reply(block);
    EXPECT_EQ(rig.link->Status(), StatusCompleted);
    EXPECT_FLOAT_EQ(history->Item(1)->After(1, 0), 50);

    // A history of two blocks: the second answer begins again with the first block, which
    // arrives while channel 4 is asked for; it is not channel 4's.
    const QString older = sim::HistoryLine({2, QDateTime(QDate(2014, 4, 9), QTime(8, 30)), 0, 40});
    const QByteArray first = ("IH,R,0002,0001,0001," + line).toLatin1();
    const QByteArray second = ("IH,R,0002,0002,0001," + older).toLatin1();
    rig.link->SetHistoryChannel(2);
    rig.Request(StatusBlockDownload, "IH,R,3,");
    rig.Tick(31);
    EXPECT_EQ(rig.Sent(), QStringList({"IH,R,3,"}));
    rig.Reply(first, frames::ETB);
    rig.Reply(second);
    EXPECT_EQ(rig.link->Status(), StatusCompleted);
    rig.Sent();
    rig.link->SetHistoryChannel(3);
    rig.Request(StatusBlockDownload, "IH,R,4,");
    rig.Reply(first, frames::ETB);
    EXPECT_EQ(rig.link->Status(), StatusBlockDownload);
    EXPECT_TRUE(rig.Sent().isEmpty());  // not acknowledged: nothing more of it is asked for
    EXPECT_FLOAT_EQ(history->Item(1)->After(3, 0), -1);
}

TEST(ReceivePath, ABadReplyToACommandResendsItUntilTheLimit) {
    LinkRig rig;
    rig.Request(StatusReadCommand, "XP,R,");
    for (int i = 1; i <= 30; ++i) {
        rig.Reply("XP,R,NOHEX");
        ASSERT_EQ(rig.Sent(), QStringList({"XP,R,"})) << i;
    }
    rig.Reply("XP,R,NOHEX");
    EXPECT_TRUE(rig.Sent().isEmpty());
    EXPECT_EQ(rig.link->Status(), StatusFailed);
}

TEST(ReceivePath, CancelEndsAtTheNextDataAndIsClearedByANewStart) {
    LinkRig rig;
    rig.Connect();
    rig.Request(StatusBlockDownload, "DR,R,");
    rig.link->SetCancel(true);
    rig.Reply("DR,R,1,1,0", ETB);
    EXPECT_EQ(rig.link->Status(), StatusCancelled);
    EXPECT_TRUE(rig.Sent().isEmpty());

    // Live readings start with a clean slate.
    rig.link->SetCancel(true);
    rig.link->SetRunDensty(true);
    EXPECT_FALSE(rig.link->Cancel());

    // So does a new connection.
    rig.link->SetCancel(true);
    rig.serial->SetLines(SerialPort::LineDsr);
    EXPECT_FALSE(rig.link->Cancel());
    EXPECT_EQ(rig.link->LinkState(), LinkConnecting);
}

TEST(ReceivePath, LostLinesAndLineErrorsEndARunningTransferAsFailed) {
    LinkRig rig;
    QSignalSpy gone(rig.link.get(), &uclQvif::OnDisConnect);
    rig.serial->SetLines(SerialPort::LineDsr);
    EXPECT_EQ(rig.link->LinkState(), LinkConnecting);
    rig.serial->SetLines(0);
    EXPECT_EQ(gone.count(), 1);
    EXPECT_EQ(rig.link->LinkState(), LinkNotConnected);
    EXPECT_EQ(rig.link->Status(), StatusCompleted);

    rig.Connect();
    rig.Request(StatusBlockDownload, "DR,R,");
    rig.serial->SetLines(0);
    EXPECT_EQ(gone.count(), 2);
    EXPECT_EQ(rig.link->Status(), StatusFailed);

    // Events of a closed port are ignored.
    rig.link->SetPortOpen(false);
    rig.serial->SetLines(0);
    EXPECT_EQ(gone.count(), 2);

    // Line errors are logged; a break fails whatever runs.
    rig.link->SetPortOpen(true);
    rig.Connect();
    rig.Request(StatusBlockDownload, "DR,R,");
    rig.serial->Raise(SerialPort::EvBreak);
    EXPECT_EQ(rig.link->Status(), StatusFailed);
    EXPECT_TRUE(ReadSerialLog().contains(QStringLiteral("Break Signal Found. Date = ")));

    // The other errors complete an idle link but fail a running transfer.
    rig.link->SetStatus(StatusReady);
    rig.serial->Raise(SerialPort::EvDeviceControl);
    EXPECT_EQ(rig.link->Status(), StatusCompleted);
    rig.Request(StatusWriteCommand, "XC,W,");
    rig.serial->Raise(SerialPort::EvTxFull);
    EXPECT_EQ(rig.link->Status(), StatusFailed);
    EXPECT_TRUE(ReadSerialLog().contains(QStringLiteral("Send Buffer Over Flow.")));

    // A full send buffer while connecting is not an error at all.
    rig.serial->SetLines(SerialPort::LineCts);
    rig.link->SetStatus(StatusReady);
    rig.serial->Raise(SerialPort::EvTxFull);
    EXPECT_EQ(rig.link->Status(), StatusReady);
}

TEST(ReceivePath, InfraredPeerErrorsAndData) {
    LinkRig rig;
    QSignalSpy irErrors(rig.link.get(), &uclQvif::IrDAError);
    rig.link->SetPortOpen(false);
    CommPortNo = 9;
    rig.infrared->FindPeer(QStringLiteral("Other device"));
    EXPECT_EQ(rig.link->LinkState(), LinkNotConnected);
    rig.infrared->FindPeer(QStringLiteral("QV-4170 #0042"));
    EXPECT_EQ(rig.link->LinkState(), LinkConnecting);
    EXPECT_TRUE(rig.serial->IsOpen());
    EXPECT_EQ(rig.serial->PortNumber(), 9);

    rig.infrared->errorNumber = 10060;
    rig.infrared->Raise(InfraredPort::EvSocketError);
    EXPECT_EQ(rig.link->Status(), StatusFailed);
    ASSERT_EQ(irErrors.count(), 1);
    EXPECT_EQ(irErrors.at(0).at(0).value<int16_t>(), 10060);

    // An infrared port that carries the link itself takes the frames both ways.
    rig.infrared->canCarry = true;
    rig.link->SetSerialComm(false);
    rig.link->SetPortOpen(true);
    rig.link->SetStatus(StatusReadCommand);
    rig.link->DataSend(Frame("XL,R,"), true);
    rig.infrared->Feed(Frame("XL,R,1"));
    EXPECT_EQ(rig.link->Status(), StatusCompleted);
    ASSERT_EQ(rig.infrared->written.size(), 1);
    EXPECT_TRUE(rig.serial->written.isEmpty());
}

}  // namespace
}  // namespace qv::test

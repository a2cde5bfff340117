// The real link control on a pseudo-terminal against the instrument simulator: connecting,
// live readings, single replies, a block download, and every injected fault.
#include "InstrumentSimulator.h"
#include "LinkRig.h"
#include "PortFinder.h"
#include "clsAlarmEvents.h"
#include "clsAlarms.h"
#include "clsHistorys.h"
#include "clsIntervals.h"
#include "clsPowerEvents.h"
#include "clsTroubleEvents.h"
#include "modAddLib.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QSignalSpy>
#include <cstdlib>

namespace qv::test {
namespace {

struct SimRig {
    sim::InstrumentSimulator sim;
    std::unique_ptr<uclQvif> link;
    std::shared_ptr<clsInstrument> instrument = std::make_shared<clsInstrument>();

    SimRig() {
        ResetGlobals();
        QFile::remove(SerialLogPath());
        QString error;
        EXPECT_TRUE(sim.Start(&error)) << error.toStdString();
        // The user's way of naming a device: the lookup reports exactly this one port.
        setenv("QV4170_PORT", sim.Path().toLocal8Bit().constData(), 1);
        EXPECT_EQ(FindConverterPort(QStringLiteral("VID_10C4&PID_EA60")), 1);
        unsetenv("QV4170_PORT");
        EXPECT_NE(CommPortNo, 0);
        link = std::make_unique<uclQvif>();
        link->UseManualTimers(true);
        link->SetSerialFileNo(1);
        link->SetInstrumentObject(instrument);
        link->SetSerialComm(true);
        link->SetCommPort(CommPortNo);
        link->SetSettings(QStringLiteral("921600,n,8,1"));
        link->SetPortOpen(true);
    }
    bool Connect() {
        return PumpUntil(*link, [&] { return link->Connected(); });
    }
    // Starts a block download as the download operations do and waits for its end.
    int32_t Download(const QByteArray& request) {
        link->SetStatus(StatusBlockDownload);
        link->DataSend(frames::MakeFrame(request, frames::EOT), true);
        PumpUntil(
            *link, [&] { return link->Status() != StatusBlockDownload; }, 2000);
        return link->Status();
    }
};

TEST(SimulatorLink, ConnectsReadsLiveValuesAndSingleReplies) {
    SimRig rig;
    ASSERT_TRUE(rig.link->PortOpen());
    QSignalSpy connected(rig.link.get(), &uclQvif::OnConnect);
    ASSERT_TRUE(rig.Connect());
    EXPECT_TRUE(PumpUntil(*rig.link, [&] { return connected.count() == 1; }));
    EXPECT_EQ(rig.link->Status(), StatusCompleted);

    QSignalSpy readings(rig.link.get(), &uclQvif::Densty);
    rig.link->SetRunDensty(true);
    rig.link->tmrDenst_Timer();
    ASSERT_TRUE(PumpUntil(*rig.link, [&] { return readings.count() == 1; }));
    EXPECT_FLOAT_EQ(readings.at(0).at(1).toFloat(), 20.9f);
    EXPECT_FLOAT_EQ(rig.instrument->LimitValue(2), 1.5f);

    rig.link->SetStatus(StatusReadCommand);
    rig.link->DataSend(frames::MakeFrame("XZ,R,", frames::EOT), true);
    ASSERT_TRUE(PumpUntil(*rig.link, [&] { return rig.link->Status() != StatusReadCommand; }));
    EXPECT_EQ(rig.link->Status(), StatusCompleted);
    EXPECT_EQ(rig.instrument->UserId(), QStringLiteral("USER01"));

    const QString log = ReadSerialLog();
    EXPECT_TRUE(log.contains(QStringLiteral("W : [STX]0001RC,R,[ETX]FB[EOT]")));
    EXPECT_TRUE(log.contains(QStringLiteral("R : [STX]0001RC,R,QV-4170[ETX]")));
    EXPECT_TRUE(log.contains(QStringLiteral("---StartUp Connect Sequence Finished---")));
}

// One command as the operations send it: the answer's status.
int32_t Command(SimRig& rig, int32_t busy, const QByteArray& payload) {
    rig.link->SetStatus(busy);
    rig.link->DataSend(frames::MakeFrame(payload, frames::EOT), true);
    PumpUntil(
        *rig.link, [&] { return rig.link->Status() != busy; }, 2000);
    return rig.link->Status();
}

TEST(SimulatorLink, ReadTableWritesCommandsAndDump) {
    SimRig rig;
    ASSERT_TRUE(rig.Connect());
    const char* reads[] = {"VP", "XZ", "XS", "IN", "HN", "HC", "LP", "AP", "XP", "XI", "SD",
                           "SM", "SC", "XL", "XA", "XB", "XW", "XT", "UL", "HF", "DD", "A1",
                           "A2", "AS", "AW", "HA", "VS", "GJ", "SA", "UZ", "AT", "SO"};
    for (const char* code : reads)
        EXPECT_EQ(Command(rig, StatusReadCommand, QByteArray(code) + ",R,"), StatusCompleted)
            << code;
    const clsInstrument& inst = *rig.instrument;
    EXPECT_EQ(inst.RomNumber(), 2100);
    EXPECT_EQ(inst.SerialNo(), QStringLiteral("SN1234567890"));
    EXPECT_EQ(inst.Intervals(), 60);
    EXPECT_EQ(inst.GasName(1), QStringLiteral("OXY"));
    EXPECT_FLOAT_EQ(inst.Alarm(1), 18.0f);
    EXPECT_EQ(inst.Stel(0), -1);
    EXPECT_FLOAT_EQ(inst.CalibAfter(3), 100.0f);

    // A written setting is echoed and then read back.
    rig.instrument->SetStationID(QStringLiteral("NORTH"));
    EXPECT_EQ(Command(rig, StatusWriteCommand, "XS,W,NORTH     "), StatusCompleted);
    rig.instrument->SetStationID(QStringLiteral("SOUTH"));
    rig.sim.ClearReceived();
    EXPECT_EQ(Command(rig, StatusReadCommand, "XS,R,"), StatusCompleted);
    EXPECT_EQ(inst.StationID(), QStringLiteral("NORTH"));

    // Erasing and calibration answer "not yet" until the instrument is done.
    rig.sim.SetClearPolls(2);
    EXPECT_EQ(Command(rig, StatusWriteCommand, "XC,W,"), StatusCompleted);
    for (int poll = 0; poll < 3; ++poll) {
        EXPECT_EQ(Command(rig, StatusWriteCommand, "XC,C,"), StatusCompleted);
        EXPECT_EQ(rig.link->ClearDone(), poll == 2);
    }
    rig.sim.SetCalibrationPolls(1, QStringLiteral("00100"));
    EXPECT_EQ(Command(rig, StatusWriteCommand, "SZ,W,11111"), StatusCompleted);
    EXPECT_EQ(Command(rig, StatusWriteCommand, "SZ,C,"), StatusCompleted);
    EXPECT_TRUE(rig.link->ZeroStatusText().isEmpty());
    EXPECT_EQ(Command(rig, StatusWriteCommand, "SZ,C,"), StatusCompleted);
    EXPECT_EQ(rig.link->ZeroStatusText(), QStringLiteral("00100"));

    // The EEP-ROM in two blocks of 128 bytes: one page.
    QBuffer list;
    list.open(QIODevice::WriteOnly);
    rig.link->SetDumpTarget(&list);
    QSignalSpy pages(rig.link.get(), &uclQvif::DumpMessage);
    EXPECT_EQ(rig.Download("EP,R,"), StatusCompleted);
    rig.link->SetDumpTarget(nullptr);
    ASSERT_EQ(pages.count(), 1);
    EXPECT_TRUE(QString::fromLatin1(list.data()).contains(QStringLiteral("0000F0 F0 F1 F2")));

    // Power off: the instrument answers, then nothing more.
    EXPECT_EQ(Command(rig, StatusWriteCommand, "RO,W,"), StatusCompleted);
    EXPECT_EQ(Command(rig, StatusReadCommand, "XZ,R,"), StatusFailed);
}

TEST(SimulatorLink, DownloadsEveryBlockOnceThroughFaults) {
    SimRig rig;
    ASSERT_TRUE(rig.Connect());
    auto intervals = std::make_shared<clsIntervals>();
    rig.link->SetIntervals(intervals);
    rig.sim.SetLinesPerBlock(20);
    const int lines = rig.sim.content().blocks.value(QStringLiteral("DR")).size();
    const int blocks = (lines + 19) / 20;

    // Clean run: one request, an ACK per block but the last.
    ASSERT_EQ(rig.Download("DR,R,"), StatusCompleted);
    ASSERT_EQ(intervals->Count(), 1);
    const int32_t samples = intervals->Item(1)->DataCount();
    EXPECT_EQ(samples, 120);
    EXPECT_EQ(rig.sim.CountReceived(QStringLiteral("DR,R,<ACK>")), blocks - 1);

    // A damaged block, garbage before one, a silent instrument and a repeated block: each is
    // asked for again or ignored, and the result holds every sample exactly once.
    intervals->Clear();
    rig.sim.ClearReceived();
    rig.sim.InjectBadChecksum(1);
    rig.sim.InjectGarbage("\x01junk\x7f", 1);
    ASSERT_EQ(rig.Download("DR,R,"), StatusCompleted);
    EXPECT_EQ(rig.sim.CountReceived(QStringLiteral("DR,R,<NAK>")), 1);
    EXPECT_EQ(intervals->Item(1)->DataCount(), samples);
    rig.sim.InjectRepeatBlock(2);
    intervals->Clear();
    ASSERT_EQ(rig.Download("DR,R,"), StatusCompleted);
    EXPECT_EQ(intervals->Item(1)->DataCount(), samples);
    rig.sim.InjectSilence(1);
    intervals->Clear();
    rig.sim.ClearReceived();
    ASSERT_EQ(rig.Download("DR,R,"), StatusCompleted);
    EXPECT_EQ(intervals->Item(1)->DataCount(), samples);
    EXPECT_EQ(rig.sim.CountReceived(QStringLiteral("DR,R,")), blocks + 1);  // the request twice
}

TEST(SimulatorLink, EveryKindDownloadsIntoItsCollection) {
    SimRig rig;
    ASSERT_TRUE(rig.Connect());
    auto alarms = std::make_shared<clsAlarms>();
    auto alarmEvents = std::make_shared<clsAlarmEvents>();
    auto troubleEvents = std::make_shared<clsTroubleEvents>();
    auto powerEvents = std::make_shared<clsPowerEvents>();
    auto history = std::make_shared<clsHistorys>();
    rig.link->SetAlarms(alarms);
    rig.link->SetAlarmEvents(alarmEvents);
    rig.link->SetTroubleEvents(troubleEvents);
    rig.link->SetPowerEvents(powerEvents);
    rig.link->SetHistory(history);
    rig.sim.SetLinesPerBlock(47);
    EXPECT_EQ(rig.Download("DJ,R,"), StatusCompleted);
    ASSERT_EQ(alarms->Count(), 2);
    EXPECT_EQ(alarms->Item(2)->DataCount(), 731);
    EXPECT_EQ(rig.Download("VE,R,"), StatusCompleted);
    EXPECT_EQ(alarmEvents->Count(), 3);
    EXPECT_EQ(rig.Download("TV,R,"), StatusCompleted);
    EXPECT_EQ(troubleEvents->Count(), 2);
    EXPECT_EQ(rig.Download("DO,R,"), StatusCompleted);
    ASSERT_EQ(powerEvents->Count(), 1);
    EXPECT_EQ(powerEvents->Item(1)->DataCount(), 3);
    for (int16_t channel = 0; channel < 5; ++channel) {
        rig.link->SetHistoryChannel(channel);
        EXPECT_EQ(rig.Download("IH,R," + QByteArray::number(channel + 1) + ','), StatusCompleted);
    }
    ASSERT_EQ(history->Count(), 1);
    EXPECT_EQ(history->Item(1)->DCount(), 3);
    EXPECT_FLOAT_EQ(history->Item(1)->After(4, 0), 50.0f);
}

TEST(SimulatorLink, AFarEndThatClosesFailsTheTransfer) {
    SimRig rig;
    ASSERT_TRUE(rig.Connect());
    auto intervals = std::make_shared<clsIntervals>();
    rig.link->SetIntervals(intervals);
    rig.sim.SetLinesPerBlock(10);
    rig.sim.InjectCloseAfterBlocks(3);
    QSignalSpy gone(rig.link.get(), &uclQvif::OnDisConnect);
    EXPECT_EQ(rig.Download("DR,R,"), StatusFailed);
    EXPECT_EQ(gone.count(), 1);
    EXPECT_FALSE(rig.link->Connected());
    EXPECT_FALSE(rig.link->PortOpen());
}

TEST(SimulatorLink, UnansweredRequestsEndAsFailedAfterThirtyRetries) {
    SimRig rig;
    ASSERT_TRUE(rig.Connect());
    rig.sim.InjectSilence(1000);
    rig.sim.ClearReceived();
    rig.link->SetStatus(StatusReadCommand);
    rig.link->DataSend(frames::MakeFrame("XS,R,", frames::EOT), true);
    ASSERT_TRUE(PumpUntil(
        *rig.link, [&] { return rig.link->Status() != StatusReadCommand; }, 2000));
    EXPECT_EQ(rig.link->Status(), StatusFailed);
    EXPECT_EQ(rig.sim.CountReceived(QStringLiteral("XS,R,")), 31);
}

}  // namespace
}  // namespace qv::test

// Instrument commands, calibration and the EEP-ROM dump against the simulator: what each
// command changes in the instrument, how polling ends, and the dump list file.
#include "AppError.h"
#include "Dates.h"
#include "SimLinkRig.h"
#include "modMessage.h"

#include <QDir>
#include <QSignalSpy>
#include <utility>

namespace qv::test {
namespace {

TEST(InstrumentCommands, ClockPumpEraseAndPowerOffChangeTheInstrument) {
    SimLinkRig rig;
    ASSERT_TRUE(rig.Connect());
    ASSERT_TRUE(rig.link->SetDateTime(QDateTime(QDate(2014, 5, 9), QTime(13, 45, 7), Qt::UTC)));
    EXPECT_EQ(rig.sim.content().reads.value(QStringLiteral("HC")), QStringLiteral("140509134507"));
    ASSERT_TRUE(rig.link->SetPump(false));
    EXPECT_FALSE(rig.sim.content().pumpOn);

    // Three answers of "still erasing", then the done: four polls.
    rig.sim.SetClearPolls(3);
    rig.sim.ClearReceived();
    ASSERT_TRUE(rig.link->BodyDataClear());
    EXPECT_EQ(rig.sim.CountReceived(QStringLiteral("XC,C,")), 4);
    EXPECT_EQ(rig.sim.Erases(), 1);
    EXPECT_TRUE(ReadSerialLog().contains(QStringLiteral("--- Data Remove Finished---.\r\n")));

    // An instrument that stops answering while it erases: the erase failed.
    rig.sim.SetClearPolls(1);
    rig.SilenceAt(QStringLiteral("XC,C,"));
    EXPECT_FALSE(rig.link->BodyDataClear());
    EXPECT_EQ(rig.link->Status(), StatusFailed);
    EXPECT_TRUE(ReadSerialLog().contains(QStringLiteral("--- Data Remove Failed---.\r\n")));

    ASSERT_TRUE(rig.link->BodyPowerOff());
    EXPECT_TRUE(rig.sim.PoweredOff());
    EXPECT_FALSE(rig.link->Connected());
    EXPECT_EQ(rig.link->Status(), StatusInitial);
    EXPECT_FALSE(rig.link->PortOpen());
}

// The device goes and a fresh instrument is back at its path during the power-off's wait:
// afterwards the link follows the port it finds open and polls. A power-off the instrument never
// took is a failure, and its retries do not count against the next connection.
TEST(InstrumentCommands, ADeviceBackDuringThePowerOffWaitIsPolledAndAnUntakenPowerOffFails) {
    SimLinkRig rig;
    ASSERT_TRUE(rig.Connect());
    rig.sim.CloseFarEnd();
    QElapsedTimer waited;
    waited.start();
    while (rig.link->Connected() && waited.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    ASSERT_FALSE(rig.link->Connected());
    sim::InstrumentSimulator fresh;
    ASSERT_TRUE(fresh.Start());
    QSignalSpy connects(rig.link.get(), &uclQvif::OnConnect);
    bool placed = false;
    rig.link->SetWaitHook([&] {
        if (!placed) placed = fresh.MakeLink(rig.DevicePath());
        rig.Turn();
    });
    EXPECT_FALSE(rig.link->BodyPowerOff());  // "RO,W," could not be sent
    EXPECT_TRUE(placed);
    ASSERT_EQ(connects.count(), 1) << "the fresh instrument was not connected during the wait";
    EXPECT_TRUE(rig.link->PortOpen());
    fresh.ClearReceived();
    ASSERT_TRUE(rig.Connect());
    EXPECT_GE(fresh.CountReceived(QStringLiteral("RC,R,")), 1);
    EXPECT_EQ(connects.count(), 2);

    // The fresh instrument does not answer the power-off.
    QObject::connect(&fresh, &sim::InstrumentSimulator::RequestReceived, &fresh,
                     [&fresh](const QString& p) {
                         if (p == QStringLiteral("RO,W,")) fresh.InjectSilence(1);
                     });
    EXPECT_FALSE(rig.link->BodyPowerOff());
    EXPECT_FALSE(fresh.PoweredOff());
    EXPECT_EQ(fresh.CountReceived(QStringLiteral("RO,W,")), 31);
    EXPECT_TRUE(ReadSerialLog().contains(QStringLiteral("---Auto Power OFF Finished---")));
    ASSERT_TRUE(rig.Connect());
}

TEST(InstrumentCommands, ZeroAndSpanCalibrationReportPerChannel) {
    SimLinkRig rig;
    ASSERT_TRUE(rig.Connect());
    rig.sim.SetCalibrationPolls(2, QStringLiteral("00100"));
    ASSERT_TRUE(rig.link->ZeroCal(QStringLiteral("11100")));
    EXPECT_EQ(rig.sim.CountReceived(QStringLiteral("SZ,C,")), 3);
    EXPECT_EQ(rig.sim.ZeroCalibration().channels, QStringLiteral("11100"));
    EXPECT_TRUE(rig.link->ZeroStatus(0));
    EXPECT_FALSE(rig.link->ZeroStatus(2));
    EXPECT_FALSE(rig.link->ZeroStatus(5));

    // Only the channels asked for are calibrated; the instrument takes the mask and the
    // concentrations apart.
    rig.sim.SetCalibrationPolls(0, QStringLiteral("00000"));
    ASSERT_TRUE(rig.link->SpanCal(QStringLiteral("00011,*****,*****,*****,   25,  100")));
    EXPECT_EQ(rig.sim.SpanCalibration().channels, QStringLiteral("00011"));
    EXPECT_EQ(rig.sim.SpanCalibration().concentrations.value(3), QStringLiteral("   25"));
    EXPECT_TRUE(rig.link->SpanStatus(3));
    EXPECT_FALSE(rig.link->SpanStatus(2));
    EXPECT_TRUE(rig.link->ZeroStatus(1));  // the zero result is kept
    EXPECT_TRUE(rig.sim.Refused().isEmpty()) << rig.sim.Refused().join(u'|').toStdString();

    // A calibration request that is never answered: one failure line, no poll.
    rig.sim.ClearReceived();
    rig.SilenceAt(QStringLiteral("SZ,W,"));
    EXPECT_FALSE(rig.link->ZeroCal(QStringLiteral("11111")));
    EXPECT_EQ(rig.sim.CountReceived(QStringLiteral("SZ,C,")), 0);
    EXPECT_EQ(ReadSerialLog().count(QStringLiteral("---Calibration Upload Failed---. Date = ")), 1);
}

// Commands whose polls the instrument never ends give up after their limit.
TEST(InstrumentCommands, EndlessPollsEndAsFailed) {
    SimLinkRig rig;
    ASSERT_TRUE(rig.Connect());
    rig.tickEveryTurn = true;
    rig.sim.SetClearPolls(-1);
    EXPECT_FALSE(rig.link->BodyDataClear());
    EXPECT_EQ(rig.link->Status(), StatusFailed);
    EXPECT_GT(rig.sim.CountReceived(QStringLiteral("XC,C,")), 10);
    EXPECT_EQ(rig.sim.Erases(), 0);

    rig.sim.SetCalibrationPolls(-1);
    EXPECT_FALSE(rig.link->SpanCal(QStringLiteral("11111,   10, 12.0,   10,  100,   10")));
    EXPECT_EQ(rig.link->Status(), StatusFailed);
    EXPECT_FALSE(rig.sim.SpanCalibration().done);
}

// A clock that stands still at the start of the dump and has moved on by 2:05 at its end.
class DumpClock : public rt::Clock {
  public:
    QDateTime now() const override {
        const QDateTime start(QDate(2014, 5, 9), QTime(13, 45, 7), Qt::UTC);
        return calls_++ == 0 ? start : start.addSecs(125);
    }
    mutable int calls_ = 0;
};

QStringList DumpRows() {
    QFile f(ProgramFile(QStringLiteral("Dump.dat")));
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QString::fromLatin1(f.readAll()).split(QStringLiteral("\r\n"));
}

TEST(RomDump, WritesTheListFileInItsLayout) {
    SimLinkRig rig;
    QByteArray rom;
    for (int i = 0; i < 384; ++i)
        rom.append(static_cast<char>(i));
    rom.replace(0, 4, QByteArray("AB\x00\x7f", 4));
    rig.sim.content().eeprom = rom;
    // Header fields other than the block number are not read.
    rig.sim.SetCounterHeaders(true);
    ASSERT_TRUE(rig.Connect());
    QSignalSpy pages(rig.link.get(), &uclQvif::DumpMessage);
    rt::SetClock(std::make_shared<DumpClock>());
    const bool done = rig.link->GetRomDump(ProgramFile(QStringLiteral("Dump.dat")));
    rt::SetClock(nullptr);
    ASSERT_TRUE(done);
    const QStringList rows = DumpRows();
    ASSERT_EQ(rows.size(), 4 + 2 * 19 + 2 + 1);
    EXPECT_EQ(rows[0], QStringLiteral(";\tQV-4170 Data Logger Program"));
    EXPECT_EQ(rows[1], QStringLiteral(";\tFlush ROM Dump List ") +
                           GeneralDate(QDateTime(QDate(2014, 5, 9), QTime(13, 45, 7), Qt::UTC)));
    EXPECT_EQ(rows[2], QStringLiteral(";\tTessaly Meters Co.,Ltd."));
    EXPECT_EQ(rows[4], QStringLiteral("Adrs   +0 +1 +2 +3 +4 +5 +6 +7  +8 +9 +A +B +C +D +E +F   "
                                      "List Of ASCII   "));
    EXPECT_EQ(rows[5], QString(74, u'-'));
    EXPECT_EQ(rows[6], QStringLiteral("000000 41 42 00 7F 04 05 06 07  08 09 0A 0B 0C 0D 0E 0F   "
                                      "AB.............."));
    EXPECT_EQ(rows[21], QStringLiteral("0000F0 F0 F1 F2 F3 F4 F5 F6 F7  F8 F9 FA FB FC FD FE FF   "
                                       "................"));
    EXPECT_EQ(rows[22], QString());
    // The third block fills half the second page; erased bytes fill the rest.
    EXPECT_TRUE(rows[25].startsWith(QStringLiteral("000100 00 01 02")));
    EXPECT_EQ(rows[33], QStringLiteral("000180 FF FF FF FF FF FF FF FF  FF FF FF FF FF FF FF FF   "
                                       "................"));
    EXPECT_TRUE(rows[40].startsWith(QStringLiteral("0001F0 FF")));
    EXPECT_EQ(rows[42], QString());
    EXPECT_EQ(rows[43], QStringLiteral(";\tTotal Download Time = 00:02:05"));
    ASSERT_EQ(pages.count(), 2);
    EXPECT_EQ(pages.at(1).at(0).toString(), QStringLiteral("Get Dump 000100-0001FF"));

    // A block out of sequence (here the second block numbered as the first) ends the dump at
    // once as failed; the last list stays.
    rig.sim.ClearReceived();
    rig.OnRequest(QStringLiteral("EP,R,<ACK>"), [&, once = true]() mutable {
        if (std::exchange(once, false)) rig.sim.InjectBlockNumber(1);
    });
    EXPECT_FALSE(rig.link->GetRomDump(ProgramFile(QStringLiteral("Dump.dat"))));
    EXPECT_FALSE(rig.link->Cancel());
    EXPECT_EQ(DumpRows(), rows);
    EXPECT_TRUE(ReadSerialLog().contains(GetMessage(9111, {"1", "2"})));
    EXPECT_EQ(rig.sim.CountReceived(QStringLiteral("EP,R,<ACK>")), 1);

    // A dump cut short, by silence or by the far end going, leaves the last list as it was
    // and no file beside it.
    rig.SilenceAt(QStringLiteral("EP,R,<ACK>"));
    EXPECT_FALSE(rig.link->GetRomDump(ProgramFile(QStringLiteral("Dump.dat"))));
    EXPECT_EQ(rig.link->Status(), StatusReady);
    EXPECT_EQ(DumpRows(), rows);
    rig.sim.InjectCloseAfterBlocks(2);
    EXPECT_FALSE(rig.link->GetRomDump(ProgramFile(QStringLiteral("Dump.dat"))));
    EXPECT_FALSE(rig.link->Connected());
    EXPECT_EQ(DumpRows(), rows);
    EXPECT_EQ(QDir(ProgramFolder()).entryList({QStringLiteral("Dump*")}, QDir::Files),
              QStringList{QStringLiteral("Dump.dat")});

    // A file that cannot be made is an error.
    EXPECT_THROW(rig.link->GetRomDump(QStringLiteral("/nonexistent/folder/Dump.dat")), AppError);
}

}  // namespace
}  // namespace qv::test

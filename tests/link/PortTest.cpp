// Ports: the routing rule between the serial and the infrared port, the converter lookup and
// port numbers, and what the log says about a port that will not open.
#include "AppError.h"
#include "InstrumentSimulator.h"
#include "LinkRig.h"
#include "PortFinder.h"
#include "modAddLib.h"
#include "modMessage.h"

#include <gtest/gtest.h>

#include <grp.h>
#include <QScopeGuard>
#include <QSignalSpy>
#include <cstdlib>

namespace qv::test {
namespace {

TEST(Ports, PropertiesGoToThePortInUse) {
    LinkRig rig;
    rig.infrared->canCarry = true;
    rig.link->SetSerialComm(false);
    rig.link->SetDTREnable(true);
    EXPECT_TRUE(rig.infrared->Dtr());
    EXPECT_FALSE(rig.serial->Dtr());
    // The port number always goes to the serial port.
    rig.link->SetCommPort(7);
    EXPECT_EQ(rig.serial->PortNumber(), 7);
    EXPECT_NE(rig.link->CommPort(), 7);

    rig.link->SetSerialComm(true);
    rig.link->SetSettings(QStringLiteral("19200,e,8,1"));
    EXPECT_THROW(rig.link->SetSettings(QStringLiteral("quick")), AppError);
    EXPECT_EQ(rig.serial->Settings(), QStringLiteral("19200,e,8,1"));

    // Without an infrared port that carries the link, the serial port is in use either way.
    rig.infrared->canCarry = false;
    rig.link->SetSerialComm(false);
    rig.link->SetPortOpen(false);
    EXPECT_FALSE(rig.serial->IsOpen());
    rig.link->SetPortOpen(true);
    EXPECT_TRUE(rig.serial->IsOpen());
    EXPECT_FALSE(rig.infrared->IsOpen());
}

TEST(Ports, ConverterLookupSetsThePortNumber) {
    ClearPortNumbers();
    const QString id = QStringLiteral("VID_10C4&PID_EA60");
    CommPortNo = 5;
    ListPortFinder none;
    EXPECT_EQ(FindConverterPort(id, none), 0);
    EXPECT_EQ(CommPortNo, 0);
    ListPortFinder one({QStringLiteral("/dev/ttyS11")});
    EXPECT_EQ(FindConverterPort(id, one), 1);
    EXPECT_EQ(CommPortNo, 12);
    ListPortFinder two({QStringLiteral("/dev/ttyUSB0"), QStringLiteral("/dev/ttyUSB1")});
    EXPECT_EQ(FindConverterPort(id, two), 2);
    EXPECT_EQ(CommPortNo, 0);
    ListPortFinder broken;
    broken.SetFail(true);
    CommPortNo = 3;
    EXPECT_THROW(FindConverterPort(id, broken), AppError);
    EXPECT_EQ(CommPortNo, 3);

    // Numbers are stable per device; an unknown number is the n-th standard serial port.
    const int16_t usb = PortNumberFor(QStringLiteral("/dev/ttyUSB0"));
    EXPECT_EQ(PortNumberFor(QStringLiteral("/dev/ttyUSB0")), usb);
    EXPECT_NE(PortNumberFor(QStringLiteral("/dev/ttyUSB1")), usb);
    EXPECT_EQ(PortPath(usb), QStringLiteral("/dev/ttyUSB0"));
    EXPECT_EQ(PortPath(30), QStringLiteral("/dev/ttyS29"));

    // The machine's lookup reports exactly the device the user named.
    setenv("QV4170_PORT", "/dev/qv-test-device", 1);
    EXPECT_EQ(FindConverterPort(id), 1);
    unsetenv("QV4170_PORT");
    EXPECT_EQ(PortPath(CommPortNo), QStringLiteral("/dev/qv-test-device"));
}

// A port opened before the serial log is switched on (as at start-up) still has its cause
// logged; the link timer tries the port again every second, logs each cause once, and takes
// the device up when it is there, with a fresh count of connect polls.
TEST(Ports, AWantedPortIsTriedAgainUntilItsDeviceIsThere) {
    FreshStart();
    auto owned = std::make_unique<ScriptedSerialPort>();
    ScriptedSerialPort* serial = owned.get();
    uclQvif link(std::move(owned), std::make_unique<ScriptedInfraredPort>());
    link.UseManualTimers(true);
    link.SetSerialComm(true);
    QSignalSpy changes(&link, &uclQvif::PortStateChanged);
    serial->FailOpen(QStringLiteral("the device is missing"));
    link.SetPortOpen(true);
    EXPECT_FALSE(link.PortOpen());
    EXPECT_TRUE(
        link.PortError().endsWith(QStringLiteral(") cannot be opened: the device is missing")))
        << link.PortError().toStdString();
    EXPECT_EQ(changes.count(), 1);
    link.SetSerialFileNo(1);
    for (int tick = 0; tick < 50; ++tick)
        link.tmrTimer_Timer();
    EXPECT_EQ(serial->opens, 6);
    EXPECT_EQ(ReadSerialLog().count(QStringLiteral("cannot be opened")), 1);
    EXPECT_EQ(changes.count(), 1);

    serial->FailOpen(QString());
    for (int tick = 0; tick < 10; ++tick)
        link.tmrTimer_Timer();
    EXPECT_TRUE(link.PortOpen());
    EXPECT_TRUE(link.PortError().isEmpty());
    EXPECT_EQ(changes.count(), 2);
    // Never open before: it is open, not open again.
    EXPECT_TRUE(ReadSerialLog().contains(QStringLiteral(") is open. Date = ")));
    EXPECT_FALSE(ReadSerialLog().contains(QStringLiteral("open again")));

    // The device goes while the link polls it: polling gives up, the port is still looked for.
    serial->SetLines(SerialPort::LineCts);
    serial->FailOpen(QStringLiteral("the device is missing"));
    for (int tick = 0; tick < 600 && link.LinkState() != LinkNotConnected; ++tick)
        link.tmrTimer_Timer();
    EXPECT_EQ(link.LinkState(), LinkNotConnected);
    EXPECT_EQ(link.Retries(), 30);
    serial->FailOpen(QString());
    for (int tick = 0; tick < 10; ++tick)
        link.tmrTimer_Timer();
    ASSERT_TRUE(link.PortOpen());
    EXPECT_EQ(ReadSerialLog().count(QStringLiteral(") is open again. Date = ")), 1);
    serial->written.clear();
    serial->SetLines(SerialPort::LineCts);
    link.tmrTimer_Timer();
    EXPECT_EQ(link.Retries(), 1);
    EXPECT_EQ(PayloadOf(serial->written.value(0)), QStringLiteral("RC,R,"));
}

TEST(Ports, APortThatCannotBeOpenedIsNamedWithItsCause) {
    ClearPortNumbers();
    FreshStart();
    {
        uclQvif link;
        Prepare(link);
        link.SetCommPort(PortNumberFor(QStringLiteral("/dev/qv-no-such-device")));
        link.SetPortOpen(true);
        EXPECT_FALSE(link.PortOpen());
    }
    EXPECT_TRUE(ReadSerialLog().contains(QStringLiteral(
        "/dev/qv-no-such-device) cannot be opened: the device /dev/qv-no-such-device is missing")));

    // A device that another program holds (here: another open of the same pseudo-terminal).
    sim::InstrumentSimulator sim;
    ASSERT_TRUE(sim.Start());
    QtSerialPort first, second;
    first.SetPortNumber(PortNumberFor(sim.Path()));
    second.SetPortNumber(PortNumberFor(sim.Path()));
    ASSERT_TRUE(first.Open());
    EXPECT_FALSE(second.Open());
    EXPECT_TRUE(second.OpenError().contains(QStringLiteral("another program holds")))
        << second.OpenError().toStdString();

    // The cause reaches the status log too, so it is told in the user's language.
    SetCatalogueLanguage(CatalogueLanguage::Japanese);
    const auto english = qScopeGuard([] { FollowSystemLanguage(); });
    EXPECT_FALSE(second.Open());
    EXPECT_EQ(second.OpenError(), sim.Path() + QStringLiteral(" は他のﾌﾟﾛｸﾞﾗﾑが使用中です"));
    {
        uclQvif link;
        Prepare(link);
        link.SetCommPort(PortNumberFor(QStringLiteral("/dev/qv-no-such-device")));
        link.SetPortOpen(true);
        EXPECT_EQ(link.PortError(),
                  QStringLiteral("ﾎﾟｰﾄ COM%1 (/dev/qv-no-such-device) を開けません: "
                                 "ﾃﾞﾊﾞｲｽ /dev/qv-no-such-device がありません")
                      .arg(PortNumberFor(QStringLiteral("/dev/qv-no-such-device"))));
    }
}

// A port fault names a cause the user can act on: a group to join only where joining it
// helps, and a device that stopped answering as such, not by a stale system text.
TEST(Ports, AFaultNamesACauseTheUserCanActOn) {
    const QString dev = QStringLiteral("/dev/ttyUSB0");
    const QString ownerOnly = QStringLiteral(
        "the user lacks permission for /dev/ttyUSB0 (only its owner root may open it)");
    EXPECT_EQ(NoPermissionCause(dev, 0, 0, 020600), ownerOnly);
    EXPECT_EQ(NoPermissionCause(dev, 0, 0, 020660), ownerOnly);  // the superuser's group
    if (const struct group* dialout = ::getgrnam("dialout")) {
        EXPECT_EQ(NoPermissionCause(dev, 0, dialout->gr_gid, 020660),
                  QStringLiteral("the user lacks permission for /dev/ttyUSB0 (the device belongs "
                                 "to the group dialout; add the user to it, usually dialout or "
                                 "uucp)"));
        EXPECT_EQ(NoPermissionCause(dev, 0, dialout->gr_gid, 020600), ownerOnly);
    }

    sim::InstrumentSimulator sim;
    ASSERT_TRUE(sim.Start());
    QtSerialPort port;
    port.SetPortNumber(PortNumberFor(sim.Path()));
    ASSERT_TRUE(port.Open());
    QSignalSpy events(&port, &SerialPort::Notify);
    sim.CloseFarEnd();
    ASSERT_TRUE(events.wait(5000));
    EXPECT_FALSE(port.IsOpen());
    // A pseudo-terminal goes with its far end.
    EXPECT_EQ(port.OpenError(), QStringLiteral("the device %1 is missing").arg(sim.Path()));
}

}  // namespace
}  // namespace qv::test

// A bounded random run of the receive path: random bytes, well-framed replies with random keys
// and fields, ticks, line changes and cancels. Nothing may crash and the state stays sound.
#include "LinkRig.h"
#include "clsAlarmEvents.h"
#include "clsAlarms.h"
#include "clsHistorys.h"
#include "clsIntervals.h"
#include "clsPowerEvents.h"
#include "clsTroubleEvents.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QRandomGenerator>

namespace qv::test {
namespace {

QByteArray RandomBytes(QRandomGenerator& rng, int maxLength) {
    static const char alphabet[] = "\x02\x03\x04\x06\x15\x17\r,;'0123456789ABCDEFRWC*. -";
    QByteArray out;
    const int n = rng.bounded(maxLength + 1);
    for (int i = 0; i < n; ++i)
        out += rng.bounded(3) == 0 ? static_cast<char>(rng.bounded(256))
                                   : alphabet[rng.bounded(static_cast<int>(sizeof alphabet) - 1)];
    return out;
}

QByteArray RandomReply(QRandomGenerator& rng) {
    static const char* keys[] = {"RC,R", "DN,R", "XZ,R", "XZ,W", "XP,R", "HC,R", "A1,R", "SA,R",
                                 "UZ,R", "GJ,R", "SO,R", "HA,R", "VP,R", "DR,R", "DJ,R", "VE,R",
                                 "TV,R", "DO,R", "IH,R", "EP,R", "SZ,C", "XC,C", "YA,R", "QQ,R"};
    QByteArray payload = keys[rng.bounded(static_cast<int>(std::size(keys)))];
    payload += ',';
    const int fields = rng.bounded(70);
    for (int i = 0; i < fields; ++i) {
        if (i) payload += ',';
        const int kind = rng.bounded(4);
        if (kind == 0)
            payload += QByteArray::number(rng.bounded(100000) - 50000);
        else if (kind == 1)
            payload += QByteArray(rng.bounded(40), '9');
        else if (kind == 2)
            payload += "01A0   12 20.9  1.5    3 00" + QByteArray::number(1000 + rng.bounded(9000));
        else
            payload +=
                RandomBytes(rng, 30).replace('\x04', 'x').replace('\x17', 'x').replace('\r', 'x');
    }
    static const char terminators[] = {frames::EOT, frames::ETB, frames::CR};
    return Frame(payload, terminators[rng.bounded(3)]);
}

TEST(ReceiveFuzz, RandomTrafficNeverBreaksTheLink) {
    quint32 seed = 4170;
    if (const char* s = std::getenv("QV_FUZZ_SEED")) seed = static_cast<quint32>(std::atoi(s));
    QRandomGenerator rng(seed);
    LinkRig rig;
    rig.link->SetSerialFileNo(0);  // the log would only slow the run down
    rig.link->SetIntervals(std::make_shared<clsIntervals>());
    rig.link->SetAlarms(std::make_shared<clsAlarms>());
    rig.link->SetHistory(std::make_shared<clsHistorys>());
    rig.link->SetAlarmEvents(std::make_shared<clsAlarmEvents>());
    rig.link->SetTroubleEvents(std::make_shared<clsTroubleEvents>());
    rig.link->SetPowerEvents(std::make_shared<clsPowerEvents>());
    QBuffer dump;
    dump.open(QIODevice::WriteOnly);
    rig.link->SetDumpTarget(&dump);
    rig.Connect();

    for (int step = 0; step < 15000; ++step) {
        static const int32_t statuses[] = {2, 3, 4, 5, 6};
        const int action = rng.bounded(10);
        if (action < 3)
            rig.serial->Feed(RandomBytes(rng, 120));
        else if (action < 6)
            rig.serial->Feed(RandomReply(rng));
        else if (action == 6)
            rig.link->tmrTimer_Timer();
        else if (action == 7)
            rig.Request(statuses[rng.bounded(5)], "DR,R,");
        else if (action == 8)
            rig.link->SetCancel(rng.bounded(8) == 0);
        else if (rng.bounded(20) == 0)
            rig.serial->SetLines(rng.bounded(2) ? SerialPort::LineCts : 0);
        else
            rig.link->tmrDenst_Timer();
        const QByteArray& rest = rig.link->ReceiveBuffer();
        ASSERT_FALSE(rest.contains(frames::EOT) || rest.contains(frames::ETB) ||
                     rest.contains(frames::CR))
            << "step " << step;
        const int32_t status = rig.link->Status();
        ASSERT_TRUE(status == 0 || (status >= 2 && status <= 8)) << "step " << step;
        ASSERT_TRUE(rig.link->Retries() >= 0 && rig.link->Retries() <= 31) << "step " << step;
        rig.serial->written.clear();
    }
    QCoreApplication::processEvents();
    rig.link->SetDumpTarget(nullptr);
}

}  // namespace
}  // namespace qv::test

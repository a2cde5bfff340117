// The reply decoder: what each reply key stores, its verdict, the two passes over a block, the
// dump pages, and hostile input that must be refused without harm.
#include "Dates.h"
#include "LinkRig.h"
#include "SimContent.h"
#include "clsHistorys.h"
#include "clsIntervals.h"
#include "modMessage.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QSignalSpy>
#include <tuple>

namespace qv::test {
namespace {

struct Decoder : LinkRig {
    bool Parse(const QByteArray& payload, char terminator = frames::EOT) {
        return link->ParseReply(Frame(payload, terminator));
    }
};

class FixedClock : public rt::Clock {
  public:
    QDateTime now() const override { return rt::MakeDate(2014, 5, 9, 9, 0, 0); }
};

TEST(Decoder, SettingsAreReadAndTheirEchoesChecked) {
    Decoder d;
    clsInstrument& inst = *d.instrument;
    inst.SetUserId(QStringLiteral("OLD"));
    EXPECT_TRUE(d.Parse("XZ,R,USER7     "));
    EXPECT_EQ(inst.UserId(), QStringLiteral("USER7"));
    EXPECT_FALSE(inst.Change_UserID());
    EXPECT_TRUE(d.Parse("XZ,W,USER7     "));
    EXPECT_FALSE(d.Parse("XZ,W,USER8     "));

    EXPECT_TRUE(d.Parse("XP,R,003C"));
    EXPECT_FALSE(d.Parse("XP,R,00G1"));
    EXPECT_FALSE(d.Parse("XP,R,10000"));
    EXPECT_EQ(inst.Intervals(), 60);
    EXPECT_TRUE(d.Parse("XP,W,003C"));
    EXPECT_TRUE(d.Parse("HF,R,FFFF"));
    EXPECT_EQ(inst.FlowAdjust(), -1);
    // A hexadecimal field holds its digits and nothing else: every other form is a bad reply,
    // for every hexadecimal setting, and leaves the setting as it was.
    for (const char* code : {"SC", "XP", "XT", "UL", "HF"}) {
        EXPECT_TRUE(d.Parse(QByteArray(code) + ",R,001e")) << code;
        for (const char* field : {"0x1F", "+3C", "-1", "3C.", " 3 C", "&H1F", ""})
            EXPECT_FALSE(d.Parse(QByteArray(code) + ",R," + field)) << code << " " << field;
    }
    EXPECT_EQ(inst.Intervals(), 30);
    EXPECT_EQ(inst.FlowAdjust(), 30);
    EXPECT_TRUE(d.Parse("HA,R,0x10,+3C,0010"));
    EXPECT_EQ(inst.AnalogValue(0), 0);
    EXPECT_EQ(inst.AnalogValue(2), 16);
    EXPECT_TRUE(d.Parse("XP,R,003C"));

    EXPECT_TRUE(d.Parse("SM,R,1"));
    inst.SetCalCheck(0);
    EXPECT_FALSE(d.Parse("SM,W,1"));
    EXPECT_FALSE(d.Parse("SM,R,one"));
    EXPECT_FALSE(d.Parse("LP,R,99999"));  // beyond 16 bits
    EXPECT_TRUE(d.Parse("XI,R,2"));
    EXPECT_FALSE(inst.DispID());
    EXPECT_FALSE(d.Parse("XI,W,1"));
    EXPECT_TRUE(d.Parse("HA,R,0010,XYZ,FFFF"));
    EXPECT_EQ(inst.AnalogValue(0), 16);
    EXPECT_EQ(inst.AnalogValue(2), -1);

    rt::SetClock(std::make_shared<FixedClock>());
    EXPECT_TRUE(d.Parse("HC,R,140509083000"));
    rt::SetClock(nullptr);
    EXPECT_EQ(inst.SysDate(), rt::MakeDate(2014, 5, 9, 8, 30, 0));
    EXPECT_EQ(inst.SysDateOffset(), rt::AddSeconds(rt::ZeroDate(), 1800));
    EXPECT_FALSE(d.Parse("HC,R,14050908300"));
    EXPECT_FALSE(d.Parse("HC,R,141309083000"));
}

// Each per-gas value keeps the field it was read from, also for a channel switched off, for as
// long as it holds the value that field gave; a field that is refused leaves its channel's.
TEST(Decoder, PerGasValuesKeepTheFieldTheyWereReadFrom) {
    Decoder d;
    clsInstrument& inst = *d.instrument;
    const std::pair<const char*, GasLevel> kinds[] = {{"A1", GasLevel::Warning},
                                                      {"A2", GasLevel::Alarm},
                                                      {"AS", GasLevel::Stel},
                                                      {"AW", GasLevel::Twa},
                                                      {"SA", GasLevel::AutoCal}};
    for (const auto& [code, kind] : kinds) {
        SCOPED_TRACE(code);
        ASSERT_TRUE(d.Parse(QByteArray(code) + ",R,   10, 19.5,  0.0,*****, 1.25"));
        EXPECT_EQ(inst.LevelReadText(4, kind), " 1.25");
        EXPECT_EQ(inst.LevelReadText(2, kind), "  0.0");
        EXPECT_EQ(inst.LevelReadText(3, kind), "*****");
        for (int ch = 0; ch < 5; ++ch)
            EXPECT_TRUE(inst.LevelAsRead(ch, kind)) << ch;
    }
    EXPECT_FALSE(d.Parse("A1,R,   20,high, 10.0,   25, 1.50"));
    EXPECT_EQ(inst.LevelReadText(1, GasLevel::Warning), " 19.5");
    EXPECT_EQ(inst.LevelReadText(4, GasLevel::Warning), " 1.50");
    inst.SetWarning(4, 1.3f);
    EXPECT_FALSE(inst.LevelAsRead(4, GasLevel::Warning));
    inst.SetWarning(4, 1.5f);
    EXPECT_TRUE(inst.LevelAsRead(4, GasLevel::Warning));
    inst.ClearDatas();
    EXPECT_EQ(inst.LevelReadText(4, GasLevel::Warning), QString());
    EXPECT_FALSE(inst.LevelAsRead(4, GasLevel::Warning));
}

TEST(Decoder, PerChannelReplies) {
    Decoder d;
    clsInstrument& inst = *d.instrument;
    EXPECT_FALSE(d.Parse("A2,R,1,2,3,4"));
    EXPECT_EQ(inst.Alarm(0), -1);
    EXPECT_FALSE(d.Parse("A2,R,50,18.0,high,50,*****"));
    EXPECT_EQ(inst.Alarm(0), 50);
    EXPECT_EQ(inst.Alarm(2), -1);
    EXPECT_EQ(inst.Alarm(3), 50);
    EXPECT_EQ(inst.Alarm(4), -1);
    EXPECT_TRUE(d.Parse("A1,W,10,19.5,10,25,*****"));
    EXPECT_FALSE(d.Parse("A1,W,10,19.5,10,25"));

    EXPECT_FALSE(d.Parse("SA,R,10,12,10,100"));
    EXPECT_TRUE(d.Parse("SA,R,10,12,10,100,*****"));
    EXPECT_EQ(inst.AutoCalib(4), -1);
    EXPECT_TRUE(d.Parse("SA,W,10,12,10,100,*****"));  // the echo of a channel without a value
    EXPECT_FALSE(d.Parse("SA,W,10,12,x,100,*****"));

    EXPECT_FALSE(d.Parse("UZ,R,01x"));
    EXPECT_EQ(inst.Zero(1), 1);
    EXPECT_TRUE(d.Parse("UZ,R,10010"));
    EXPECT_EQ(inst.Zero(1), 0);
    // Each digit as read, not only 0 and 1.
    EXPECT_TRUE(d.Parse("UZ,R,10290"));
    EXPECT_EQ(std::tuple(inst.Zero(0), inst.Zero(2), inst.Zero(3)), std::tuple(1, 2, 9));

    // The verdict of the gas list is that of its fifth entry; an entry that is too short or
    // whose numbers cannot be read leaves its channel as it was.
    EXPECT_TRUE(
        d.Parse("GJ,R,CH4  100    1%LE,******************,H2S   100  0.5ppm ,CO  5x0      1ppm ,"
                "HC    100    1%LEL"));
    EXPECT_EQ(inst.GasName(0), QString());
    EXPECT_EQ(inst.GasName(3), QString());
    EXPECT_FALSE(inst.GasEnabled(1));
    EXPECT_EQ(inst.GasPoint(1), -1);
    EXPECT_FLOAT_EQ(inst.GasDesit(2), 0.5f);
    EXPECT_FALSE(d.Parse("GJ,R,CH4   100    1%LEL,,,,HC    100    1%LE"));
    EXPECT_EQ(inst.GasName(0), QStringLiteral("CH4"));

    EXPECT_FALSE(d.Parse("SO,R,140401093000  0.0 50.0"));
    EXPECT_TRUE(
        d.Parse("SO,R,140401093000  0.0 50.0,xx0401120000 20.9*****,1,2,140401093000  0.0100.0"));
    EXPECT_EQ(inst.CalibDate(0), rt::MakeDate(2014, 4, 1, 9, 30, 0));
    EXPECT_EQ(inst.CalibAfter(1), -1);
    EXPECT_FLOAT_EQ(inst.CalibBefore(1), 20.9f);

    QSignalSpy readings(d.link.get(), &uclQvif::Densty);
    EXPECT_TRUE(d.Parse("DN,R,1,2,3,4,5"));
    EXPECT_TRUE(d.Parse("DN,R,7,8,bad,*****"));
    ASSERT_EQ(readings.count(), 2);
    EXPECT_FLOAT_EQ(readings.at(1).at(0).toFloat(), 7.0f);
    EXPECT_FLOAT_EQ(readings.at(1).at(2).toFloat(), 3.0f);
    EXPECT_FLOAT_EQ(readings.at(1).at(3).toFloat(), -1.0f);
    EXPECT_FLOAT_EQ(readings.at(1).at(4).toFloat(), 5.0f);
}

TEST(Decoder, CommandStatesConnectionChecksumAndUnknownKeys) {
    Decoder d;
    EXPECT_TRUE(d.Parse("SZ,W,00100"));
    EXPECT_TRUE(d.Parse("SZ,W,"));
    EXPECT_EQ(d.link->ZeroStatusText(), QStringLiteral("00100"));
    EXPECT_TRUE(d.Parse("SZ,C,"));
    EXPECT_EQ(d.link->ZeroStatusText(), QString());
    EXPECT_TRUE(d.Parse("S2,C, 01000 "));
    EXPECT_EQ(d.link->SpanStatusText(), QStringLiteral("01000"));

    QSignalSpy connected(d.link.get(), &uclQvif::OnConnect);
    EXPECT_FALSE(d.Parse("RC,R,QV-9999"));
    EXPECT_TRUE(d.Parse("RC,R,QV-4170"));
    EXPECT_TRUE(d.Parse("RC,R,QV-4170"));
    EXPECT_TRUE(d.link->Connected());
    // The host hears of the connection after the receive step, and once.
    EXPECT_EQ(connected.count(), 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(connected.count(), 1);

    EXPECT_TRUE(d.Parse("YK,R,whatever"));
    EXPECT_FALSE(d.Parse("DW,R,"));
    EXPECT_FALSE(d.Parse("ZZ,R,1"));
    // "0001" is not checked; a wrong checksum is refused before anything is stored.
    const QByteArray body = QByteArray(1, frames::STX) + "9999XL,R,1" + frames::ETX;
    const QByteArray other =
        body + QByteArray::number(frames::CheckSum(body) + 0x100, 16).right(2).toUpper() +
        frames::EOT;
    EXPECT_TRUE(d.link->ParseReply(other));
    QByteArray damaged = Frame("XZ,R,HACKED");
    damaged[damaged.size() - 3] = damaged[damaged.size() - 3] == '0' ? '1' : '0';
    EXPECT_FALSE(d.link->ParseReply(damaged));
    EXPECT_NE(d.instrument->UserId(), QStringLiteral("HACKED"));
}

TEST(Decoder, BlocksGoThroughTwoPasses) {
    Decoder d;
    auto intervals = std::make_shared<clsIntervals>();
    QStringList lines =
        sim::IntervalLog(1, 5, QDateTime(QDate(2014, 5, 9), QTime(8, 0), Qt::UTC), 60);
    const QByteArray good = ("DR,R,1,1,x," + lines.join(u',')).toLatin1();
    EXPECT_FALSE(d.Parse(good));  // no collection to take it
    d.link->SetIntervals(intervals);
    lines[10] = lines[10].left(26) + QStringLiteral(" bad");
    lines[11] = lines[11].left(26) + QStringLiteral(" xyz");
    EXPECT_FALSE(d.Parse(("DR,R,1,1,x," + lines.join(u',')).toLatin1()));
    EXPECT_EQ(intervals->Item(1)->DataCount(), 0);
    EXPECT_TRUE(intervals->FailLine().contains(QStringLiteral(" bad")));
    EXPECT_TRUE(intervals->FailLine().contains(QStringLiteral(" xyz")));
    EXPECT_TRUE(d.Parse(good));
    EXPECT_EQ(intervals->Item(1)->DataCount(), 5);

    // 47 record lines fit a block; a 48th would be lost, so such a block is refused whole.
    QStringList many;
    for (int i = 0; i < 48; ++i)
        many << QStringLiteral("02AZ..................");
    EXPECT_FALSE(d.Parse(("DR,R,1,1,48," + many.join(u',')).toLatin1()));
    EXPECT_EQ(intervals->Item(QStringLiteral("02 L")), nullptr);
    many.removeLast();
    EXPECT_TRUE(d.Parse(("DR,R,1,1,47," + many.join(u',')).toLatin1()));

    d.link->SetHistory(std::make_shared<clsHistorys>());
    d.link->SetHistoryChannel(1);
    EXPECT_FALSE(d.Parse("IH,R,2,1,1,short"));
    EXPECT_TRUE(d.Parse("IH,R,2,1,0"));
}

TEST(Decoder, DumpBlocksFillPagesOnlyWhileADumpRuns) {
    Decoder d;
    QSignalSpy pages(d.link.get(), &uclQvif::DumpMessage);
    const QByteArray hex256 = QByteArray(128, '\x41').toHex().toUpper();
    EXPECT_TRUE(d.Parse("EP,R,4,3,128," + hex256));
    EXPECT_EQ(d.link->DumpLineCount(), 0);  // no dump runs: discarded

    QBuffer out;
    out.open(QIODevice::WriteOnly);
    d.link->SetDumpTarget(&out);
    EXPECT_TRUE(d.Parse("EP,R,4,1,128," + hex256));
    EXPECT_EQ(d.link->DumpLineCount(), 8);
    // A block that cannot be placed is refused and asked for again.
    EXPECT_FALSE(d.Parse("EP,R,4,x,128," + hex256));
    EXPECT_FALSE(d.Parse("EP,R,4,2,129," + hex256 + "41"));
    EXPECT_EQ(d.link->DumpLineCount(), 8);
    EXPECT_TRUE(d.Parse("EP,R,4,2,128," + hex256));
    EXPECT_EQ(d.link->DumpLineCount(), 0);
    EXPECT_EQ(pages.count(), 1);

    // A block out of sequence breaks the dump for good: block 2 again with other bytes, or a
    // gap, puts no line at a wrong address, and nothing after it is taken.
    const QByteArray other = QByteArray(128, '\x42').toHex().toUpper();
    EXPECT_FALSE(d.Parse("EP,R,4,2,128," + other));
    EXPECT_TRUE(ReadSerialLog().contains(GetMessage(9111, {"2", "3"})));
    EXPECT_FALSE(d.Parse("EP,R,4,3,128," + hex256));
    EXPECT_EQ(d.link->DumpLineCount(), 0);
    // Each dump starts at block 1.
    d.link->SetDumpTarget(&out);
    EXPECT_FALSE(d.Parse("EP,R,4,0,128," + hex256));
    d.link->SetDumpTarget(&out);
    EXPECT_TRUE(d.Parse("EP,R,4,1,128," + hex256));
    EXPECT_EQ(d.link->DumpLineCount(), 8);
    d.link->SetDumpTarget(nullptr);
}

TEST(Decoder, HostileInputIsRefusedWithoutHarm) {
    Decoder d;
    d.link->SetIntervals(std::make_shared<clsIntervals>());
    QStringList sixty;
    for (int i = 0; i < 60; ++i)
        sixty << QString::number(i);
    const QByteArray payloads[] = {
        "",
        "X",
        "XZ,R",
        "XZ,R," + sixty.join(u',').toLatin1(),
        "DD,R,1e9",
        "DN,R,99999999999999999999999999999999999999999999",
        "HA,R,12345,-1,0x10",
        "GJ,R,ABCDEFGHIJKLMNOPQR,,,,ABCDEFGHIJKLMNOPQR",
        "SO,R,99999999999999999999999,a,b,c,dddddddddddddddddddddd",
        "EP,R,1,99999999999,1,00",
        "UZ,R,",
        "'unclosed",
        ";;;;",
    };
    for (const QByteArray& p : payloads)
        EXPECT_NO_THROW(d.Parse(p)) << p.constData();
    EXPECT_FALSE(d.Parse("VP,R,99999999999999999999"));
    // A level beyond a Single is no level: its channel stays, the others are stored.
    d.instrument->SetWarning(4, 7);
    EXPECT_FALSE(d.Parse("A1,R,1,2,3,4," + QByteArray(60, '9')));
    EXPECT_EQ(d.instrument->Warning(3), 4);
    EXPECT_EQ(d.instrument->Warning(4), 7);
    EXPECT_FALSE(d.Parse("A1,R,1e99,1,1,1,1"));
    EXPECT_FALSE(d.Parse("DR,R,1,1,2," + sixty.join(u',').toLatin1()));
    for (const QByteArray& raw : {QByteArray("\x04"), QByteArray("\x17"), QByteArray("\r"),
                                  QByteArray("\x02\x03\x04"), QByteArray(300, '\x02')})
        EXPECT_FALSE(d.link->ParseReply(raw));
}

}  // namespace
}  // namespace qv::test

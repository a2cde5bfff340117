// Interval trend logs: line parsers, logs far beyond any fixed count, the collection's routing,
// storing once and whole, loading back, and random input through the two-pass intake.
#include <gtest/gtest.h>

#include "AppError.h"
#include "Database.h"
#include "Dates.h"
#include "ModelTestLines.h"
#include "Runtime.h"
#include "TestSupport.h"
#include "clsInstrument.h"
#include "clsInterval.h"
#include "clsIntervals.h"
#include "modGlobals.h"
#include "modMessage.h"

#include <map>
#include <random>

using namespace qv;
using test::Download;
using test::FixedClock;
using test::GasBlock;

namespace {

// Lines as the instrument sends them; columns counted from 1.
QString F5(const char* reading) {
    return QString::fromLatin1(reading).rightJustified(5, u' ');
}
QString N4(int n) {
    return QString::number(n).rightJustified(4, u'0');
}
// AD: date YYMMDD and time hhnnss in 5-16, interval seconds in 17-20, padded with blanks.
QString AD(const char* dateTime, const char* interval = "0060", const char* log = "01") {
    return (QString::fromLatin1(log) + "AD" + dateTime + interval).leftJustified(24, u' ');
}
// A0: readings of channels 0-3 in 5-24, event flag 25, calibration flag 26, record no. 27-30.
QString A0(int recNo, const char* r0 = "20.9", const char* r1 = "0", const char* r2 = "0.0",
           const char* r3 = "0", char ev = '0', char cl = '0') {
    return "01A0" + F5(r0) + F5(r1) + F5(r2) + F5(r3) + QChar(ev) + QChar(cl) + N4(recNo);
}
// A1-A5: status digit 5-6, record number 9-12, offset seconds 23-26.
QString Ev(int digit, const char* status, const QString& recNo, int offset) {
    return "01A" + QString::number(digit) + status + "  " + recNo + QString(10, u' ') + N4(offset);
}
QString Ev(int digit, const char* status, int recNo, int offset) {
    return Ev(digit, status, N4(recNo), offset);
}
// AE-AI: average 5-9, maximum (AF: minimum) 10-14, its date 15-20 and time 21-26.
QString Stat(const char* code, const char* avr, const char* extreme, const char* date,
             const char* time) {
    return "01" + QString::fromLatin1(code) + F5(avr) + F5(extreme) + date + time;
}
QString AB(const char* serial) {
    return ("01AB" + QString::fromLatin1(serial).leftJustified(12, u' ')).leftJustified(24, u' ');
}
QString AA(const char* user, const char* station) {
    return "01AA" + QString::fromLatin1(user).leftJustified(10, u' ') +
           QString::fromLatin1(station).leftJustified(10, u' ');
}

// A realistic download of one log: identity, gas table, statistics, samples and events.
QStringList RealisticLog() {
    return {AD("140509103000"),
            AA("USER01", "STATION-A"),
            AB("A1234567"),
            "01AC" + GasBlock("O2", "25.0", "0.1") + GasBlock("CO", "500", "1") +
                GasBlock("H2S", "100.0", "0.1") + GasBlock("LEL", "100", "1") +
                GasBlock("***", "", ""),
            Stat("AE", "20.8", "20.9", "140509", "103100"),
            Stat("AF", "1.0", "0", "140509", "103200"),
            Stat("AG", "1.0", "12", "140509", "103300"),
            Stat("AH", "0.0", "0.0", "******", "******"),
            Stat("AI", "2", "5", "140509", "103300"),
            A0(1),
            A0(2, "20.8", "12", "0.0", "1", '1', '0'),
            Ev(2, "02", 2, 15),
            A0(3, "ALR", "3", "0.5", "0", '1', '1'),
            Ev(1, "00", 0, 5)};
}

QDateTime Start() {
    return rt::MakeDate(2014, 5, 9, 10, 30, 0);
}

// Everything a record set holds, as text, so that any change or loss shows. Names can be
// compared trimmed, as an empty name is stored as one blank.
QString Snapshot(const clsInterval& iv, bool trimNames = false) {
    auto f = [](float v) { return QString::number(v, 'g', 9); };
    auto n = [](int v) { return QString::number(v); };
    const clsHeader& h = iv.GasInfo();
    QStringList s{n(iv.DataCount()), n(iv.EventCount()), rt::IsoText(h.Dates()),
                  h.Names(),         h.FolderID(),       n(h.Intervals()),
                  h.UserId(),        h.StationID(),      h.SerialNo(),
                  n(h.Types()),      n(h.DCount())};
    for (int ch = 0; ch < 5; ++ch)
        s << (trimNames ? rt::Trim(h.GasName(ch)) : h.GasName(ch)) << n(h.GasEnable(ch))
          << n(h.GasPoint(ch)) << f(h.GasFull(ch)) << f(h.GasDesit(ch)) << f(h.GasAvr(ch))
          << f(h.GasMax(ch)) << f(h.GasMin(ch)) << rt::IsoText(h.GasMaxDate(ch))
          << rt::IsoText(h.GasMinDate(ch));
    for (int i = 0; i < iv.DataCount(); ++i) {
        s << rt::IsoText(iv.DateTimes(i));
        for (int ch = 0; ch < 5; ++ch)
            s << f(iv.GasValue(ch, i).toFloat()) << n(iv.GasNowEvent(ch, i))
              << n(iv.GasNowCalib(ch, i));
    }
    for (int i = 0; i < iv.EventCount(); ++i) {
        s << rt::IsoText(iv.EventDateTimes(i));
        for (int ch = 0; ch < 5; ++ch)
            s << f(iv.GasEvent(ch, i).toFloat());
    }
    return s.join(u'|');
}

// Every record set that holds anything, by key (an empty one looks like a fresh one).
std::map<QString, QString> Snapshot(const clsIntervals& c) {
    static const QString fresh = Snapshot(clsInterval());
    std::map<QString, QString> out;
    for (const auto& item : c) {
        const QString s = Snapshot(*item);
        if (s != fresh) out[item->Key()] = s;
    }
    return out;
}

}  // namespace

TEST(Interval, StartLineKeepsWhatItCanReadAndCarriesDatesOver) {
    clsInterval iv;
    const clsHeader& h = iv.GasInfo();
    ASSERT_TRUE(iv.SetDataAD(AD("140509103000"), false));
    // A bad interval is refused, yet the store pass keeps the date and the interval it had.
    EXPECT_FALSE(iv.SetDataAD(AD("140610080000", "00x0"), true));
    EXPECT_FALSE(iv.SetDataAD(AD("140610080000", "00x0"), false));
    EXPECT_EQ(h.Dates(), rt::MakeDate(2014, 6, 10, 8, 0, 0));
    EXPECT_EQ(h.Intervals(), 60);
    // Out-of-range fields carry over into the next month and day.
    EXPECT_TRUE(iv.SetDataAD(AD("141332250000"), false));
    EXPECT_EQ(h.Dates(), rt::MakeDate(2015, 2, 2, 1, 0, 0));
    EXPECT_FALSE(iv.SetDataAD(AD("14AB09103000"), true));
}

TEST(Interval, SamplesFollowRecordNumbersAndStatusReadingsMakeEvents) {
    clsInterval iv;
    ASSERT_TRUE(iv.SetDataAD(AD("140509103000"), false));
    for (int n : {1, 2, 2, 3})
        EXPECT_TRUE(iv.SetDataA0(A0(n, "20.9", "5", "0.0", "1"), false));
    ASSERT_EQ(iv.DataCount(), 3);
    EXPECT_EQ(iv.DateTimes(2), Start().addSecs(180));
    EXPECT_FLOAT_EQ(iv.GasValue(4, 0).toFloat(), 20.9f);  // channel 4 copies channel 0
    EXPECT_EQ(iv.EventCount(), 0);

    // ALR reads as -4: an event at the sample's time in channels 0 and 4, flags per sample.
    EXPECT_TRUE(iv.SetDataA0(A0(4, "ALR", "0", "0.0", "0", '1', '1'), false));
    EXPECT_FLOAT_EQ(iv.GasValue(4, 3).toFloat(), -4.0f);
    EXPECT_TRUE(iv.GasNowEvent(2, 3) && iv.GasNowCalib(4, 3) && !iv.GasNowEvent(2, 2));
    ASSERT_EQ(iv.EventCount(), 1);
    EXPECT_EQ(iv.EventDateTimes(0), Start().addSecs(240));
    EXPECT_FLOAT_EQ(iv.GasEvent(4, 0).toFloat(), -4.0f);
    EXPECT_FLOAT_EQ(iv.GasEvent(1, 0).toFloat(), -1.0f);

    // Any record number the four-digit field carries is a sample (4097 and 9999 too, the next
    // samples of the log); a field that is no number is refused in both passes.
    EXPECT_TRUE(iv.SetDataA0(A0(4097), true));
    EXPECT_TRUE(iv.SetDataA0(A0(4097), false));
    EXPECT_TRUE(iv.SetDataA0(A0(9999), false));
    EXPECT_FALSE(iv.SetDataA0(A0(1).replace(26, 4, "00x1"), true));
    EXPECT_FALSE(iv.SetDataA0(A0(1).replace(26, 4, "00x1"), false));
    ASSERT_EQ(iv.DataCount(), 6);
    EXPECT_EQ(iv.DateTimes(5), Start().addSecs(6 * 60));
}

TEST(Interval, EventLinesTakeTheirTimeFromTheLastSample) {
    clsInterval iv;
    ASSERT_TRUE(iv.SetDataAD(AD("140509103000"), false));
    EXPECT_TRUE(iv.SetDataA0(Ev(3, "02", 0, 30), false));
    ASSERT_EQ(iv.EventCount(), 1);
    EXPECT_EQ(iv.EventDateTimes(0), Start().addSecs(30));
    EXPECT_FLOAT_EQ(iv.GasEvent(2, 0).toFloat(), -4.0f);  // status digit 2: ALARM

    // With a record number above 0 the event follows the most recent sample, whatever its number.
    ASSERT_TRUE(iv.SetDataA0(A0(1), false));
    ASSERT_TRUE(iv.SetDataA0(A0(2), false));
    EXPECT_TRUE(iv.SetDataA0(Ev(3, "01", 5, 30), false));
    ASSERT_EQ(iv.EventCount(), 2);
    EXPECT_EQ(iv.EventDateTimes(1), Start().addSecs(120 + 30));
    EXPECT_FLOAT_EQ(iv.GasEvent(2, 1).toFloat(), -3.0f);
    // A second channel at the same time shares the record.
    EXPECT_TRUE(iv.SetDataA0(Ev(5, "00", 5, 30), false));
    EXPECT_EQ(iv.EventCount(), 2);
    EXPECT_FLOAT_EQ(iv.GasEvent(4, 1).toFloat(), -2.0f);

    // An unreadable record number is refused in both passes; any number the field carries
    // places the event after the most recent sample.
    EXPECT_FALSE(iv.SetDataA0(Ev(1, "02", "00?1", 0), true));
    EXPECT_FALSE(iv.SetDataA0(Ev(1, "02", "    ", 0), false));
    EXPECT_TRUE(iv.SetDataA0(Ev(1, "02", 4097, 45), true));
    EXPECT_TRUE(iv.SetDataA0(Ev(1, "02", 4097, 45), false));
    ASSERT_EQ(iv.EventCount(), 3);
    EXPECT_EQ(iv.EventDateTimes(2), Start().addSecs(120 + 45));
    EXPECT_FLOAT_EQ(iv.GasEvent(0, 2).toFloat(), -4.0f);
}

TEST(Interval, StatisticsLines) {
    const float savedConv = ConvFactor;
    ConvFactor = 0.05f;
    FixedClock clock(rt::MakeDate(2020, 1, 2, 3, 4, 5));
    clsInterval iv;
    clsHeader& h = iv.GasInfo();
    // Channel 4 is channel 0 in the second unit; status codes and zero are not converted.
    EXPECT_TRUE(iv.SetDataAE(Stat("AE", "10", "20", "140509", "111500"), false));
    EXPECT_FLOAT_EQ(h.GasAvr(4), 0.5f);
    EXPECT_FLOAT_EQ(h.GasMax(4), 1.0f);
    EXPECT_FLOAT_EQ(h.GasMin(4), -1.0f);
    EXPECT_EQ(h.GasMaxDate(4), rt::MakeDate(2014, 5, 9, 11, 15, 0));
    EXPECT_TRUE(iv.SetDataAE(Stat("AE", "-1", "0", "******", "******"), false));
    EXPECT_FLOAT_EQ(h.GasAvr(4), -1.0f);
    EXPECT_EQ(h.GasMaxDate(4), rt::MakeDate(2020, 1, 2, 3, 4, 5));

    // AF and AG both set channel 1's average; AF its minimum, AG its maximum.
    h.SetGasMin(1, 7);
    EXPECT_TRUE(iv.SetDataAE(Stat("AG", "3.0", "9.5", "140509", "120000"), false));
    EXPECT_FLOAT_EQ(h.GasMin(1), 7.0f);
    EXPECT_TRUE(iv.SetDataAE(Stat("AF", "2.5", "0.5", "140509", "121000"), false));
    EXPECT_FLOAT_EQ(h.GasAvr(1), 2.5f);
    EXPECT_FLOAT_EQ(h.GasMax(1), 9.5f);
    EXPECT_FLOAT_EQ(h.GasMin(1), 0.5f);
    EXPECT_EQ(h.GasMinDate(1), rt::MakeDate(2014, 5, 9, 12, 10, 0));
    EXPECT_EQ(h.GasMaxDate(1), rt::MakeDate(2014, 5, 9, 12, 0, 0));

    // A bad time is refused; the store pass still keeps the values and the date part.
    EXPECT_FALSE(iv.SetDataAE(Stat("AH", "4", "8", "140510", "12:000"), true));
    EXPECT_FALSE(iv.SetDataAE(Stat("AH", "4", "8", "140510", "12:000"), false));
    EXPECT_FLOAT_EQ(h.GasMax(2), 8.0f);
    EXPECT_EQ(h.GasMaxDate(2), rt::MakeDate(2014, 5, 10));
    ConvFactor = savedConv;
}

TEST(Interval, GasTableLine) {
    clsInterval iv;
    clsHeader& h = iv.GasInfo();
    h.SetGasName(2, "OLD");
    h.SetGasEnable(2, true);
    const QString line = "01AC" + GasBlock("O2", "25.0", "0.1") + GasBlock("CO", "500", "1") +
                         GasBlock("***", "100.0", "0.1") + GasBlock("LEL", "", "1") +
                         GasBlock("", "", "");
    EXPECT_FALSE(iv.SetDataAC(line, true));  // block 4 has no full scale
    EXPECT_FALSE(iv.SetDataAC(line, false));
    EXPECT_TRUE(h.GasEnable(0));
    EXPECT_EQ(h.GasName(0), "O2 ");
    EXPECT_FLOAT_EQ(h.GasFull(0), 25.0f);
    EXPECT_EQ(h.GasPoint(0), 1);
    EXPECT_FALSE(h.GasEnable(2));  // "***": disabled, name kept
    EXPECT_EQ(h.GasName(2), "OLD");
    EXPECT_TRUE(h.GasName(3).isEmpty());  // the refused block stores nothing
    EXPECT_FALSE(h.GasEnable(4));
    EXPECT_FALSE(iv.SetDataAC(line.left(68), false));
}

TEST(Interval, FindersAndCounts) {
    clsInterval iv;
    ASSERT_TRUE(iv.SetDataAD(AD("140509103000"), false));
    ASSERT_TRUE(iv.SetDataA0(A0(1), false));               // 10:31
    ASSERT_TRUE(iv.SetDataA0(A0(2), false));               // 10:32
    ASSERT_TRUE(iv.SetDataA0(Ev(2, "02", 2, 0), false));   // 10:32, same time as sample 2
    ASSERT_TRUE(iv.SetDataA0(Ev(2, "02", 2, 90), false));  // 10:33:30
    EXPECT_EQ(iv.SerchDatas(Start()), 0);
    EXPECT_EQ(iv.SerchDatas(Start(), 1), 1);
    EXPECT_EQ(iv.SerchDatas(Start().addSecs(120)), -1);  // strictly later only
    EXPECT_EQ(iv.SerchEvent(Start().addSecs(120)), 1);
    EXPECT_EQ(iv.SerchValue(Start()), 1);               // sample 0
    EXPECT_EQ(iv.SerchValue(Start().addSecs(60)), -1);  // an event at the same time wins
    EXPECT_EQ(iv.SerchValue(Start().addSecs(150)), -2);
    EXPECT_EQ(iv.SerchValue(Start().addSecs(300)), 0);
    EXPECT_EQ(iv.SerchValue(rt::MakeDate(1997, 1, 1)), 0);  // outside the searched years

    // A count set from outside names its records: fewer hide the rest until a count names
    // them again, more add cleared ones (any number, not only up to a fixed store's size).
    iv.SetDataCount(1);
    EXPECT_EQ(iv.SerchDatas(Start()), 0);
    EXPECT_EQ(iv.DateTimes(1), rt::ZeroDate());
    iv.SetDataCount(2);
    EXPECT_EQ(iv.DateTimes(1), Start().addSecs(120));
    iv.SetDataCount(5000);
    EXPECT_EQ(iv.DataCount(), 5000);
    EXPECT_EQ(iv.DateTimes(4999), rt::ZeroDate());
    EXPECT_FLOAT_EQ(iv.GasValue(3, 4999).toFloat(), 0.0f);
    iv.SetDataCount(-1);
    EXPECT_EQ(iv.DataCount(), 5000);
    iv.SetEventCount(3);
    EXPECT_EQ(iv.EventDateTimes(2), rt::ZeroDate());
    EXPECT_EQ(iv.EventDateTimes(1), Start().addSecs(210));
}

// A sensor that fails for hours: every sample of channel 2 reads FAIL, so each needs an event
// record. Past the 4,097 samples and 2,049 events a fixed store once held, and past the 16-bit
// row count of the header, nothing is refused, lost or doubled.
TEST(IntervalGrowth, ALongFailingSensorIsTakenStoredAndLoadedWhole) {
    test::ScratchDatabase db;
    constexpr int kSamples = 17000;  // 34,000 records in all
    // Record numbers go round in their four digits; each new one is the next sample.
    QStringList lines{AD("140509103000")};
    for (int i = 0; i < kSamples; ++i)
        lines << A0(i % 9999 + 1, "20.9", "0", "FAIL");
    clsIntervals c;
    c.SetInstruments(std::make_shared<clsInstrument>());
    // In reply blocks of 40 lines, as the instrument sends them.
    for (qsizetype at = 0; at < lines.size(); at += 40)
        ASSERT_TRUE(Download(c, lines.mid(at, 40))) << c.FailLine().toStdString();
    auto iv = c.Item("01 L");
    ASSERT_EQ(iv->DataCount(), kSamples);
    ASSERT_EQ(iv->EventCount(), kSamples);
    const QDateTime last = Start().addSecs(60LL * kSamples);
    EXPECT_EQ(iv->DateTimes(kSamples - 1), last);
    EXPECT_EQ(iv->EventDateTimes(kSamples - 1), last);
    EXPECT_FLOAT_EQ(iv->GasEvent(2, kSamples - 1).toFloat(), -10.0f);
    EXPECT_FLOAT_EQ(iv->GasEvent(1, kSamples - 1).toFloat(), -1.0f);

    iv->Update();
    EXPECT_EQ(db.count("Interval_Data"), kSamples);
    EXPECT_EQ(db.count("Interval_Event"), kSamples);
    Database d(db.path());
    EXPECT_EQ(d.scalar("Select Dcount From Log_Head").toInt(), 2 * kSamples);
    clsInterval back;
    back.SetSeqNo(static_cast<int32_t>(d.scalar("Select SeqNo From Log_Head").toLongLong()));
    back.ReLoad();
    EXPECT_EQ(back.GasInfo().DCount(), 2 * kSamples);
    EXPECT_EQ(Snapshot(back, true), Snapshot(*iv, true));
}

TEST(IntervalGrowth, ARecordAddedAfterTheCountWasLoweredStartsAfresh) {
    clsInterval iv;
    const QDateTime t = Start();
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(iv.AddValue(1, t.addSecs(i), 5.0f + i), i);
    iv.SetDataCount(1);
    // The record taken again is a new one: its channels start at no data.
    EXPECT_EQ(iv.AddValue(0, t.addSecs(100), 7.0f), 1);
    EXPECT_EQ(iv.DataCount(), 2);
    EXPECT_FLOAT_EQ(iv.GasValue(1, 1).toFloat(), -1.0f);
    EXPECT_EQ(iv.AddValue(2, t, 1.0f), 0);  // the time of record 0 is found again
    EXPECT_EQ(iv.AddValue(2, t.addSecs(2), 1.0f), 2);
    EXPECT_EQ(iv.DataCount(), 3);
}

TEST(Intervals, LengthGateIdentityLinesAndMessages) {
    SetCatalogueLanguage(CatalogueLanguage::English);
    clsIntervals c;
    EXPECT_TRUE(c.SetDatas("01AD1405091030000060", true));  // 20 characters: ignored
    EXPECT_EQ(c.Count(), 0);

    EXPECT_FALSE(
        c.SetDatas("01ABA1234567\t\t\t\t\t\t\t\t\t", true));  // 12 characters once stripped
    EXPECT_EQ(c.FailLine(), "\r\n01ABA1234567");
    EXPECT_TRUE(c.SetDatas(AB(" A12 \x01 "), false));
    EXPECT_EQ(c.Item("01 L")->GasInfo().SerialNo(), "A12");
    EXPECT_TRUE(c.SetDatas(AA("USER01", ""), false));
    EXPECT_EQ(c.Item("01 L")->GasInfo().UserId() + c.Item("01 L")->GasInfo().StationID(),
              "USER01*");
    EXPECT_FALSE(c.SetDatas(AA("USER01", "ST").left(23) + "\r", true));

    // Each accepted start line of the store pass announces its log; the test pass never does.
    EXPECT_TRUE(c.SetDatas(AD("140509103000"), false));
    EXPECT_TRUE(c.SetDatas(AD("140510114500", "0060", "02"), false));
    EXPECT_EQ(c.MessageString(), "New Data! Name - iv10114500");
    EXPECT_FALSE(c.SetDatas(AD("14AB10114500", "0060", "02"), true));
    EXPECT_EQ(c.MessageString(), "New Data! Name - iv10114500");
    FollowSystemLanguage();
}

// Samples are timed from their log's date line: before one, or after one whose interval is 0,
// they would all fall on one time and overwrite each other. Such a sample is refused in the test
// pass like a malformed line, so that the block is never stored and the download fails.
TEST(Intervals, SamplesWithoutAStartToTimeThemAreRefused) {
    const QStringList blocks[] = {
        {A0(1), A0(2), AD("140509103000")},          // before the date line
        {AD("140509103000", "0000"), A0(1), A0(2)},  // after one of interval 0
    };
    for (const QStringList& block : blocks) {
        clsIntervals c;
        EXPECT_FALSE(c.TestLines(block));
        EXPECT_EQ(c.FailLine(), "\r\n" + A0(1) + "\r\n" + A0(2));
        // Nor does the store pass place them anywhere.
        EXPECT_FALSE(c.StoreLines(block));
        EXPECT_EQ(c.Item("01 L")->DataCount(), 0);
    }
    // An event before its log's date line has no start to be timed from either.
    {
        const QStringList block{Ev(1, "02", 0, 5), AD("140509103000")};
        clsIntervals c;
        EXPECT_FALSE(c.TestLines(block));
        EXPECT_EQ(c.FailLine(), "\r\n" + Ev(1, "02", 0, 5));
        EXPECT_FALSE(c.StoreLines(block));
        EXPECT_EQ(c.Item("01 L")->EventCount(), 0);
    }

    // A refused block's date line times nothing: the block is sent again, never stored.
    clsIntervals c;
    EXPECT_FALSE(c.TestLines({AD("140509103000"), Stat("AE", "20.8", "20.9", "14XX09", "103100")}));
    EXPECT_FALSE(c.TestLines({A0(1)}));
    // Once its date line is stored, the next blocks' samples are taken.
    ASSERT_TRUE(Download(c, {AD("140509103000"), AB("A1234567")}));
    ASSERT_TRUE(Download(c, {A0(1), A0(2)}));
    EXPECT_EQ(c.Item("01 L")->DataCount(), 2);
    EXPECT_EQ(c.Item("01 L")->DateTimes(1), Start().addSecs(120));
}

TEST(IntervalStore, RoundTripGivesBackTheDownloadedLog) {
    test::ScratchDatabase db;
    FixedClock clock(rt::MakeDate(2014, 5, 9, 12, 0, 0));
    clsIntervals c;
    c.SetInstruments(std::make_shared<clsInstrument>());
    ASSERT_TRUE(Download(c, RealisticLog()));
    ASSERT_EQ(c.Count(), 1);
    auto iv = c.Item(1);
    ASSERT_EQ(iv->DataCount(), 3);
    ASSERT_EQ(iv->EventCount(), 3);
    iv->Update();
    EXPECT_EQ(db.count("Log_Head"), 1);
    EXPECT_EQ(db.count("Gas_List"), 5);
    EXPECT_EQ(db.count("Interval_Data"), 3);
    EXPECT_EQ(db.count("Interval_Event"), 3);

    Database d(db.path());
    const int32_t key = static_cast<int32_t>(d.scalar("Select SeqNo From Log_Head").toLongLong());
    EXPECT_EQ(d.scalar("Select Count(*) From Interval_Data Where Gas1EventOffset=0").toInt(), 3);
    clsInterval back;
    back.SetSeqNo(key);
    back.ReLoad();
    EXPECT_EQ(back.ValueCount(), 2);  // the third sample holds a status reading
    EXPECT_EQ(Snapshot(back, true), Snapshot(*iv, true));
    EXPECT_FLOAT_EQ(back.GasValue(2, 2).toFloat(), 0.5f);
    EXPECT_FLOAT_EQ(back.GasEvent(1, 0).toFloat(), -4.0f);

    const clsHeader& h = back.GasInfo();
    EXPECT_EQ(
        QStringList({h.Names(), h.FolderID(), h.UserId(), h.StationID(), h.SerialNo()}).join(u'|'),
        "iv09103000|05/14|USER01|STATION-A|A1234567");
    EXPECT_EQ(h.Dates(), Start());
    EXPECT_EQ(h.Intervals(), 60);
    EXPECT_EQ(h.Types(), TypeInterval);
    EXPECT_EQ(h.DCount(), 6);
    EXPECT_FLOAT_EQ(h.GasMax(1), 12.0f);
    EXPECT_FLOAT_EQ(h.GasMin(1), 0.0f);
    EXPECT_EQ(h.GasMaxDate(2), rt::MakeDate(2014, 5, 9, 12, 0, 0));  // "******": the clock
}

TEST(IntervalStore, StoresOnceAndWholeOrNotAtAll) {
    test::ScratchDatabase db;
    auto instrument = std::make_shared<clsInstrument>();
    clsIntervals first;
    first.SetInstruments(instrument);
    ASSERT_TRUE(Download(first, RealisticLog()));
    first.Item(1)->Update();
    first.Item(1)->Update();
    clsIntervals again;  // the same log downloaded once more
    again.SetInstruments(instrument);
    ASSERT_TRUE(Download(again, RealisticLog()));
    again.Item(1)->Update();
    EXPECT_EQ(db.count("Log_Head"), 1);
    EXPECT_EQ(db.count("Interval_Data"), 3);
    EXPECT_EQ(db.count("Interval_Event"), 3);

    // A failure in the middle of the save leaves the database as it was.
    clsIntervals other;
    other.SetInstruments(instrument);
    QStringList lines = RealisticLog();
    lines[0] = AD("140601080000");
    ASSERT_TRUE(Download(other, lines));
    Database(db.path()).execute("Drop Table Interval_Event");
    EXPECT_THROW(other.Item(1)->Update(), AppError);
    EXPECT_EQ(db.count("Log_Head"), 1);
    EXPECT_EQ(db.count("Gas_List"), 5);
    EXPECT_EQ(db.count("Interval_Data"), 3);
}

TEST(IntervalStore, NothingToStoreOrNoInstrumentWritesNothing) {
    test::ScratchDatabase db;
    clsIntervals c;
    ASSERT_TRUE(Download(c, {AD("140509103000"), AB("A1234567")}));
    c.Item(1)->Update();  // no samples, no events: not even the header
    EXPECT_EQ(db.count("Log_Head"), 0);

    ASSERT_TRUE(Download(c, {A0(1)}));
    EXPECT_EQ(test::ErrorOf([&] { c.Item(1)->Update(); }), ErrObjectMissing);
    EXPECT_EQ(db.count("Log_Head"), 0);
    EXPECT_EQ(db.count("Interval_Data"), 0);
}

TEST(Intervals, RandomAndTruncatedLinesNeverCrashOrStoreAFailedBlock) {
    test::ScratchDatabase db;
    std::mt19937 rng(4170);
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    const QStringList valid = RealisticLog() + QStringList{AD("140601080000", "0010", "02"),
                                                           Ev(4, "05", 9999, 10), A0(4096)};
    const QStringList codes{"AD", "AE", "AF", "AI", "A0", "A1", "A5", "AC", "AB", "AA"};
    auto randomText = [&]() {
        QString s;
        if (pick(2)) s = QStringLiteral("0%1").arg(pick(3)) + codes[pick(codes.size())];
        const int length = pick(80);
        for (int i = 0; i < length; ++i)
            s += QChar(pick(12) == 0 ? pick(32) : 32 + pick(95));  // a few control characters
        return s;
    };
    auto instrument = std::make_shared<clsInstrument>();
    int stored = 0, refused = 0;
    for (int round = 0; round < 200; ++round) {
        clsIntervals c;
        c.SetInstruments(instrument);
        for (int b = 0; b < 3; ++b) {
            QStringList block;
            for (int n = pick(8) + 1; n > 0; --n) {
                const QString line = valid[pick(valid.size())];
                const int how = pick(3);
                block << (how == 0   ? line
                          : how == 1 ? line.left(pick(line.size() + 1))
                                     : randomText());
            }
            const auto before = Snapshot(c);
            c.SetFailLine({});
            const bool passed = c.TestLines(block);
            ASSERT_EQ(Snapshot(c), before) << "the test pass changed a record set";
            if (!passed) {
                EXPECT_FALSE(c.FailLine().isEmpty());
                ++refused;
                continue;
            }
            ++stored;
            // What the test pass accepted, the store pass stores whole.
            EXPECT_TRUE(c.StoreLines(block)) << block.join("|").toStdString();
        }
        for (const auto& item : c)
            EXPECT_NO_THROW(item->Update());
    }
    EXPECT_GT(stored, 40);
    EXPECT_GT(refused, 40);
}

// Alarm trends: line intake in two passes, storing under the header key, loading back, trends
// longer than the 731 samples an instrument keeps, and refusals that keep bad downloads out of
// the database.
#include "AppError.h"
#include "Database.h"
#include "Dates.h"
#include "ModelTestLines.h"
#include "TestSupport.h"
#include "clsAlarms.h"
#include "clsInstrument.h"
#include "modMessage.h"

#include <gtest/gtest.h>

#include <QRandomGenerator>

using namespace qv;
using test::Download;

namespace {

// Line builders in the instrument's column layout.
QString BdLine(const QString& log, const QString& yymmddhhnnss, int interval) {
    return (log + "BD" + yymmddhhnnss + QString::number(interval).rightJustified(4, '0'))
        .leftJustified(24);
}
// Sample n with the readings base, base + 1, ... of channels 0 to 3.
QString SampleLine(const QString& log, int n, float base) {
    QString values;
    for (int g = 0; g < 4; ++g)
        values += QString::number(base + g, 'f', 1).rightJustified(5);
    return log + "B" + QString::number(n % 5) + values + "  " +
           QString::number(n).rightJustified(4, '0');
}
QStringList Trend(const QString& log, const QString& moment, int samples = 731) {
    QStringList lines{log + "BAUSER01    STATION-A ",
                      log + "BBA1234567     " + QString::number(samples).rightJustified(4, '0'),
                      BdLine(log, moment, 10), test::GasTableLine(log, "BC")};
    for (int n = 1; n <= samples; ++n)
        lines << SampleLine(log, n, n % 50);
    return lines;
}

}  // namespace

TEST(AlarmTrend, ParsesATrendAndTimesItsSamplesAroundTheMoment) {
    SetCatalogueLanguage(CatalogueLanguage::English);
    clsAlarms c;
    ASSERT_TRUE(Download(c, Trend("03", "240315123045")));
    auto a = c.Item("03 L");
    const clsHeader& h = a->GasInfo();
    EXPECT_EQ(h.Names() + h.FolderID() + h.UserId() + h.StationID() + h.SerialNo(),
              "al1512304503/24USER01STATION-AA1234567");
    EXPECT_EQ(c.MessageString(), "New Data! Name - al15123045");
    EXPECT_TRUE(h.GasName(3) == "CO " && h.GasPoint(0) == 1 && !h.GasEnable(4));
    EXPECT_EQ(a->DataCount(), 731);
    const QDateTime moment = rt::MakeDate(2024, 3, 15, 12, 30, 45);
    EXPECT_EQ(a->DateTimes(360), moment);
    EXPECT_EQ(a->DateTimes(0), moment.addSecs(-3600));
    EXPECT_EQ(a->DateTimes(730), moment.addSecs(3700));
    EXPECT_EQ(a->ValueForm(3, 730), "   34");  // sample 731: base 31 + 3, no decimals
}

TEST(AlarmTrend, RefusesBadLinesInTheTestPassWithoutChangingAnything) {
    clsAlarms c;
    QString bcBad = test::GasTableLine("01", "BC");
    bcBad.replace(7, 5, "1O0.0");  // full scale of channel 0 not a number
    const QStringList bad{
        SampleLine("01", 1, 1).left(20),  "xxBD240315123045001000",
        SampleLine("01", 0, 1),           SampleLine("01", 1, 1).replace(26, 4, "12a4"),
        BdLine("01", "24O315123045", 10), bcBad};
    EXPECT_FALSE(c.TestLines(bad));
    EXPECT_EQ(c.FailLine(), "\r\n" + bad.join("\r\n"));
    EXPECT_TRUE(c.SetDatas("01ZZ unknown frame code", true));
    ASSERT_EQ(c.Count(), 1);
    EXPECT_EQ(c.Item(1)->DataCount(), 0);
    EXPECT_TRUE(c.Item(1)->GasInfo().Names().isEmpty());
    // Samples count from 1: sample 0 is refused in the store pass too.
    EXPECT_FALSE(c.SetDatas(SampleLine("01", 0, 1), false));
    EXPECT_EQ(c.Item(1)->DataCount(), 0);
}

TEST(AlarmTrend, SamplesBeyondTheSevenHundredAndThirtyFirstAreKept) {
    test::ScratchDatabase scratch;
    clsAlarms c;
    c.SetInstruments(std::make_shared<clsInstrument>());
    ASSERT_TRUE(Download(c, Trend("01", "240315123045", 1200)));
    auto a = c.Item(1);
    ASSERT_EQ(a->DataCount(), 1200);
    const QDateTime moment = rt::MakeDate(2024, 3, 15, 12, 30, 45);
    EXPECT_EQ(a->DateTimes(1199), moment.addSecs(10 * (1200 - 361)));
    EXPECT_EQ(a->ValueForm(3, 1199), "    3");  // sample 1200: base 0 + 3
    EXPECT_EQ(a->ValueForm(3, 1198), "   52");
    a->Update();
    EXPECT_EQ(scratch.count("Alarm_Data"), 1200);

    clsAlarm loaded;
    loaded.SetSeqNo(1);
    loaded.ReLoad();
    EXPECT_EQ(loaded.GasInfo().DCount(), 1200);
    ASSERT_EQ(loaded.DataCount(), 1200);
    for (int i = 0; i < 1200; ++i) {
        ASSERT_EQ(loaded.DateTimes(i), a->DateTimes(i)) << i;
        for (int g = 0; g < 4; ++g)
            ASSERT_FLOAT_EQ(loaded.Value(g, i), a->Value(g, i));
    }
    EXPECT_EQ(loaded.DateTimes(1200), rt::ZeroDate());
    EXPECT_EQ(loaded.ValueForm(0, 1200), "");
}

TEST(AlarmTrend, TheSamplesSentSizeTheTrendWhateverTheCountLineSays) {
    test::ScratchDatabase scratch;
    const auto download = [](const QStringList& lines) {
        auto c = std::make_unique<clsAlarms>();
        c->SetInstruments(std::make_shared<clsInstrument>());
        EXPECT_TRUE(Download(*c, lines));
        return c;
    };
    // A count line beyond the samples sent makes up none; one after them, lower, drops none.
    QStringList announcedMore = Trend("01", "240315123045", 400);
    announcedMore[1] = "01BBA1234567     0731";
    QStringList countLast = Trend("02", "240316080000", 500);
    countLast.append(countLast.takeAt(1).replace("0500", "0100"));
    // Samples 11 to 19 never sent: no data at their own times, never readings of 0.
    QStringList gap = Trend("03", "240317090000", 30);
    gap.erase(gap.begin() + 14, gap.begin() + 23);
    ASSERT_EQ(gap.size(), 4 + 21);
    const auto more = download(announcedMore);
    const auto last = download(countLast);
    const auto holed = download(gap);
    EXPECT_EQ(more->Item(1)->DataCount(), 400);
    EXPECT_EQ(last->Item(1)->DataCount(), 500);
    const auto& h = *holed->Item(1);
    ASSERT_EQ(h.DataCount(), 30);
    const QDateTime start = rt::MakeDate(2024, 3, 17, 9, 0, 0).addSecs(-3600);
    for (int i = 10; i < 19; ++i) {
        EXPECT_EQ(h.DateTimes(i), start.addSecs(10 * i)) << i;
        for (int g = 0; g < 4; ++g)
            EXPECT_EQ(h.ValueForm(g, i), "-----") << i;
    }
    EXPECT_EQ(h.ValueForm(3, 19), "   23");  // sample 20: base 20 + 3
    for (auto* c : {more.get(), last.get(), holed.get()})
        c->Item(1)->Update();
    EXPECT_EQ(scratch.count("Alarm_Data"), 400 + 500 + 30);
    Database db(scratch.path());
    EXPECT_EQ(db.scalar("Select Count(*) From Alarm_Data Where Datetimes < '2000'").toInt(), 0);
    EXPECT_EQ(db.scalar("Select Count(*) From Alarm_Data Where Gas1Value = -1").toInt(), 9);
}

TEST(AlarmTrend, StoresUnderItsHeaderKeyAndLoadsEverySampleBack) {
    test::ScratchDatabase scratch;
    clsAlarms c;
    c.SetInstruments(std::make_shared<clsInstrument>());
    ASSERT_TRUE(Download(c, Trend("01", "240315123045", 20) + Trend("02", "240316080000")));
    for (int pass = 0; pass < 2; ++pass)  // the second time there is nothing new
        for (const auto& a : c)
            a->Update();
    EXPECT_EQ(scratch.count("Log_Head"), 2);
    EXPECT_EQ(scratch.count("Alarm_Data"), 751);

    clsAlarm loaded;
    loaded.SetSeqNo(2);
    loaded.ReLoad();
    const auto& stored = *c.Item("02 L");
    ASSERT_EQ(loaded.GasInfo().Names(), "al16080000");
    ASSERT_EQ(loaded.DataCount(), 731);
    for (int i = 0; i < 731; ++i) {
        ASSERT_EQ(loaded.DateTimes(i), stored.DateTimes(i)) << i;
        for (int g = 0; g < 4; ++g)
            ASSERT_FLOAT_EQ(loaded.Value(g, i), stored.Value(g, i));
    }
}

TEST(AlarmTrend, AFailedSaveWritesNothing) {
    test::ScratchDatabase scratch;
    clsAlarms c;
    ASSERT_TRUE(Download(c, Trend("01", "240315123045", 5)));
    auto a = c.Item(1);
    EXPECT_THROW(a->Update(), AppError);  // no instrument
    a->SetInstrument(std::make_shared<clsInstrument>());
    Database(scratch.path()).execute("Drop Table Alarm_Data");
    EXPECT_THROW(a->Update(), AppError);
    EXPECT_EQ(scratch.count("Log_Head") + scratch.count("Gas_List"), 0);
}

TEST(AlarmTrend, RandomAndTruncatedLinesNeverCrashOrStoreFromFailedBlocks) {
    test::ScratchDatabase scratch;
    QRandomGenerator rng(4170);
    const QStringList good = Trend("01", "240315123045", 40);
    clsAlarms c, unchecked;
    c.SetInstruments(std::make_shared<clsInstrument>());
    for (int round = 0; round < 300; ++round) {
        QStringList block;
        for (int i = 0; i < 8; ++i) {
            QString line = good[rng.bounded(good.size())];
            if (rng.bounded(12) == 0) line.truncate(rng.bounded(line.size() + 1));
            if (rng.bounded(12) == 0 && !line.isEmpty())
                line[rng.bounded(line.size())] = QChar(rng.bounded(1, 200));
            block << line;
        }
        unchecked.StoreLines(block);  // a store pass without its test pass must not overrun
        auto before = c.Item("01 L");
        const int count = before ? before->DataCount() : 0;
        if (c.TestLines(block))
            c.StoreLines(block);
        else
            EXPECT_EQ(c.Item("01 L") ? c.Item("01 L")->DataCount() : 0, count);
    }
    for (const auto& a : c)
        a->Update();
    // Sample numbers and counts are four-digit fields.
    for (const auto& a : unchecked)
        EXPECT_LE(a->DataCount(), 9999);
}

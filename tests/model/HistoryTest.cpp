// Calibration histories: gathering the lines of every channel by date, storing only new dates
// under one header per identity, histories of any length, failed saves and loading back.
#include "AppError.h"
#include "Database.h"
#include "Dates.h"
#include "ModelTestLines.h"
#include "TestSupport.h"
#include "clsHistorys.h"
#include "clsInstrument.h"

#include <gtest/gtest.h>

#include <QRandomGenerator>
#include <set>

using namespace qv;
using test::ErrorOf;

namespace {

QDateTime Day(int n) {
    return rt::MakeDate(2020, 1, 1, 9, 30, 0).addDays(n);
}
// One calibration line: record number, yymmddhhnnss, value before and after (5 columns each).
QString CalLine(const QDateTime& when, const QString& before, const QString& after) {
    return "01" + rt::FormatDate(when, "yymmddhhnnss") + before.rightJustified(5) +
           after.rightJustified(5);
}
QStringList Days(int first, int count) {
    QStringList lines;
    for (int n = first; n < first + count; ++n)
        lines << CalLine(Day(n), "  0.0", "  0.1");
    return lines;
}
bool Download(clsHistorys& c, int gas, const QStringList& lines) {
    return c.TestLines(gas, lines) && c.StoreLines(gas, lines);
}
std::shared_ptr<clsInstrument> Instrument(const QString& serial = "A1234567") {
    auto inst = std::make_shared<clsInstrument>();
    inst->SetSerialNo(serial);
    inst->SetGasName(0, "CH4");
    return inst;
}
// Downloads the lines of channel 0 and stores them as the main window does.
void Store(const QStringList& lines, const QString& serial = "A1234567") {
    clsHistorys c;
    c.SetInstruments(Instrument(serial));
    ASSERT_TRUE(Download(c, 0, lines));
    c.Item(1)->HistoryUpdate();
}

}  // namespace

TEST(CalHistory, GathersEveryChannelIntoOneSlotPerDate) {
    clsHistorys c;
    EXPECT_FALSE(c.SetDatas(0, CalLine(Day(0), "0", "0").left(20), true));
    EXPECT_EQ(c.Count(), 0);
    EXPECT_TRUE(Download(c, 0,
                         {CalLine(Day(0), "  0.0", "  0.1"), CalLine(Day(1), "  1.0", "  1.1"),
                          CalLine(Day(0), "  0.2", "  0.3")}));
    EXPECT_TRUE(Download(c, 2, {CalLine(Day(0), " 20.9", " 20.8")}));
    EXPECT_TRUE(Download(c, 4, {CalLine(Day(1), "  3.0", "12.50").left(21)}));
    EXPECT_FALSE(c.TestLines(1, {CalLine(Day(2), "0", "0").replace(4, 2, "1x")}));
    EXPECT_FALSE(c.SetDatas(5, CalLine(Day(2), "0", "0"), true));
    EXPECT_TRUE(c.FailLine().isEmpty() && c.MessageString().isEmpty());
    ASSERT_EQ(c.Count(), 1);
    auto h = c.Item("01 L");
    EXPECT_EQ(h->DCount(), 2);
    EXPECT_EQ(h->Dates(0), Day(0));
    EXPECT_FLOAT_EQ(h->After(0, 0), 0.3f);
    EXPECT_FLOAT_EQ(h->Before(2, 0), 20.9f);
    EXPECT_EQ(h->BeforeForm(1, 0), "-----");
    EXPECT_FLOAT_EQ(h->After(4, 1), 12);
    EXPECT_EQ(h->GasInfo().Dates(), Day(1));
}

TEST(CalHistory, StoresOnlyNewDatesUnderOneHeaderPerIdentity) {
    test::ScratchDatabase scratch;
    clsHistorys c;
    c.SetInstruments(Instrument());
    ASSERT_TRUE(Download(c, 0, Days(0, 2)));
    c.Item(1)->HistoryUpdate();
    c.Item(1)->HistoryUpdate();
    EXPECT_EQ(scratch.count("cHistory"), 2);
    Store(Days(1, 2));
    EXPECT_EQ(scratch.count("Log_Head"), 1);
    Database db(scratch.path());
    EXPECT_EQ(db.scalar("Select Count(*) From cHistory Where RelNo=1").toInt(), 3);
    // The header counts every row it holds and carries the newest date.
    EXPECT_EQ(db.scalar("Select Dcount From Log_Head").toInt(), 3);
    EXPECT_EQ(db.scalar("Select Dates From Log_Head").toString(), rt::IsoText(Day(2)));
    EXPECT_EQ(db.scalar("Select StationID From Log_Head Where Types=3").toString(), "*");
    const auto row = db.query("Select * From cHistory Where Dates=?", {Day(0)}).front();
    EXPECT_EQ(row.toText("StationID", "") + row.toText("Gas1Name", ""), "*CH4");
    EXPECT_DOUBLE_EQ(row.toDouble("Gas1After", 0), 0.1);
    EXPECT_DOUBLE_EQ(row.toDouble("Gas2Before", 0), -1);

    clsHistory loaded;
    loaded.SetSeqNo(1);
    loaded.ReLoad();
    EXPECT_EQ(loaded.DataCount(), 3);
    EXPECT_EQ(loaded.Dates(0), Day(2));
}

// The rows of the history table without their keys and write dates, in date order, then the
// header's count and date and its gas rows' calibration values.
QStringList HistoryRows(const QString& path) {
    QStringList out;
    Database db(path);
    for (const DbRow& r : db.query("Select * From cHistory Order By Dates")) {
        QStringList fields{r.toText("Dates", "")};
        for (int g = 1; g <= 5; ++g)
            fields << r.toText(QString("Gas%1Before").arg(g), "null")
                   << r.toText(QString("Gas%1After").arg(g), "null");
        out << fields.join(u' ');
    }
    const auto head = db.query("Select Dcount, Dates From Log_Head Where Types=3");
    for (const DbRow& r : head)
        out << r.toText("Dcount", "") + u' ' + r.toText("Dates", "");
    for (const DbRow& r : db.query("Select GasNo, gBefore, gAfter From Gas_List Where RelNo In "
                                   "(Select SeqNo From Log_Head Where Types=3) Order By GasNo"))
        out << r.toText("GasNo", "") + u' ' + r.toText("gBefore", "null") + u' ' +
                   r.toText("gAfter", "null");
    return out;
}

// A download that missed a channel stores the others; a later one fills the missing channel in
// without touching a stored value, so the result is what one clean download would have left.
TEST(CalHistory, ALaterDownloadFillsAChannelAStoredDateLacks) {
    const auto download = [](bool withGas3, float gas1) {
        clsHistorys c;
        c.SetInstruments(Instrument());
        const QString g1 = QString::number(gas1, 'f', 1).rightJustified(5);
        EXPECT_TRUE(Download(c, 0, {CalLine(Day(1), g1, " 50.0"), CalLine(Day(0), g1, " 50.0")}));
        EXPECT_TRUE(Download(c, 1, {CalLine(Day(1), " 20.9", "-----")}));
        if (withGas3) {
            EXPECT_TRUE(Download(c, 2, {CalLine(Day(1), "  2.5", " 23.5")}));
        }
        c.Item(1)->HistoryUpdate();
    };
    QStringList clean;
    {
        test::ScratchDatabase once;
        download(true, 0.5f);
        clean = HistoryRows(once.path());
    }
    test::ScratchDatabase twice;
    download(false, 0.5f);
    Database db(twice.path());
    EXPECT_DOUBLE_EQ(db.scalar("Select Gas3After From cHistory Where Dates=?", {Day(1)}).toDouble(),
                     -1);
    // The second download's gas 1 reads differently: the stored values stay.
    download(true, 0.7f);
    EXPECT_DOUBLE_EQ(db.scalar("Select Gas3After From cHistory Where Dates=?", {Day(1)}).toDouble(),
                     23.5);
    EXPECT_EQ(HistoryRows(twice.path()), clean);
    EXPECT_EQ(twice.count("cHistory"), 2);
    EXPECT_EQ(twice.count("Log_Head"), 1);
    // The header's values of a channel are those of its newest stored calibration, whatever
    // order its lines came in.
    EXPECT_DOUBLE_EQ(db.scalar("Select gBefore From Gas_List Where GasNo=3").toDouble(), 2.5);
    Store({CalLine(Day(3), "  3.0", "  3.5"), CalLine(Day(2), "  4.0", "  4.5")});
    EXPECT_DOUBLE_EQ(db.scalar("Select gAfter From Gas_List Where GasNo=1").toDouble(), 3.5);
    EXPECT_DOUBLE_EQ(db.scalar("Select gAfter From Gas_List Where GasNo=3").toDouble(), 23.5);
}

// 64 calibrations per channel, each on a day of its own: 320 dates in one download, every one
// gathered, stored once and loaded back, in blocks as the instrument sends them.
TEST(CalHistory, EveryDateOfALongHistoryIsGatheredStoredAndLoaded) {
    test::ScratchDatabase scratch;
    const auto channelLines = [](int gas) {
        QStringList lines;
        for (int i = 63; i >= 0; --i)  // newest first
            lines << CalLine(Day(5 * i + gas), QString::number(gas + 0.5, 'f', 1),
                             QString::number(i + 0.25, 'f', 2));
        return lines;
    };
    for (int round = 0; round < 2; ++round) {  // the same download twice
        clsHistorys c;
        c.SetInstruments(Instrument());
        for (int gas = 0; gas < 5; ++gas) {
            const QStringList lines = channelLines(gas);
            for (qsizetype at = 0; at < lines.size(); at += 40)
                ASSERT_TRUE(Download(c, gas, lines.mid(at, 40))) << gas << " " << at;
        }
        EXPECT_EQ(c.Item(1)->DCount(), 320);
        EXPECT_FLOAT_EQ(c.Item(1)->After(4, 319), 0.25f);
        c.Item(1)->HistoryUpdate();
        EXPECT_EQ(scratch.count("cHistory"), 320);
    }
    EXPECT_EQ(Database(scratch.path()).scalar("Select Dcount From Log_Head").toInt(), 320);

    clsHistory h;
    h.SetSeqNo(1);
    h.ReLoad();
    ASSERT_EQ(h.DataCount(), 320);
    EXPECT_EQ(h.Dates(0), Day(319));
    EXPECT_EQ(h.Dates(319), Day(0));
    EXPECT_FLOAT_EQ(h.Before(4, 0), 4.5f);
    EXPECT_FLOAT_EQ(h.After(4, 0), 63.25f);
    EXPECT_EQ(h.BeforeForm(3, 0), "-----");  // one channel per date
    EXPECT_EQ(ErrorOf([&] { h.Dates(320); }), ErrSubscript);
}

TEST(CalHistory, WritesNothingWhenNothingIsToStoreOrTheSaveFails) {
    test::ScratchDatabase scratch;
    clsHistory empty;
    EXPECT_NO_THROW(empty.HistoryUpdate());
    empty.AddHistory(0, Day(0), 1, 2);
    EXPECT_THROW(empty.HistoryUpdate(), AppError);  // no instrument
    EXPECT_EQ(scratch.count("Log_Head"), 0);

    Store(Days(0, 1));
    // The save fails at its second row: the row before it and a new header go back too.
    Database(scratch.path())
        .execute(QString("Create Trigger stop Before Insert On cHistory When New.Dates = '%1' "
                         "Begin Select Raise(Abort, 'forced'); End;")
                     .arg(rt::IsoText(Day(2))));
    EXPECT_THROW(Store(Days(1, 3)), AppError);
    EXPECT_THROW(Store(Days(1, 3), "B7654321"), AppError);
    EXPECT_EQ(scratch.count("Log_Head") + scratch.count("Gas_List") + scratch.count("cHistory"),
              1 + 5 + 1);
}

// Keys pass 16 bits, and a header whose rows many downloads gathered loads whole.
TEST(CalHistory, KeysAre32BitAndReLoadHoldsEveryRowOfTheHeader) {
    test::ScratchDatabase scratch;
    Database(scratch.path()).execute("Insert Into cHistory (SeqNo, RelNo) Values (40000, 999)");
    Store(Days(0, 299));
    Store(Days(299, 6));
    EXPECT_EQ(Database(scratch.path()).scalar("Select Max(SeqNo) From cHistory").toInt(), 40305);
    clsHistory h;
    h.SetSeqNo(1);
    h.ReLoad();
    EXPECT_EQ(h.DataCount(), 305);
    EXPECT_EQ(h.GasInfo().DCount(), 305);
    EXPECT_EQ(h.Dates(0), Day(304));
    EXPECT_EQ(h.Dates(304), Day(0));
    EXPECT_FLOAT_EQ(h.After(0, 304), 0.1f);
    // Cleared for a download, it holds nothing of the loaded history.
    h.ClearDatas();
    EXPECT_EQ(h.SlotCount(), 0);
    EXPECT_EQ(ErrorOf([&] { h.After(0, 0); }), ErrSubscript);
}

TEST(CalHistory, RandomAndTruncatedLinesNeverCrashOrStoreFromFailedBlocks) {
    test::ScratchDatabase scratch;
    QRandomGenerator rng(4170);
    const QStringList good = Days(0, 40);
    clsHistorys c, unchecked;
    c.SetInstruments(Instrument());
    std::set<QString> expected;
    for (int round = 0; round < 300; ++round) {
        QStringList block;
        for (int i = 0; i < 6; ++i) {
            QString line = good[rng.bounded(good.size())];
            if (rng.bounded(10) == 0) line.truncate(rng.bounded(line.size() + 1));
            if (rng.bounded(10) == 0) line[rng.bounded(line.size())] = QChar(rng.bounded(1, 200));
            block << line;
        }
        const int gas = rng.bounded(6);
        unchecked.StoreLines(gas, block);  // a store pass without its test pass must not overrun
        const int before = c.Count() ? c.Item(1)->DCount() : 0;
        if (!c.TestLines(gas, block)) {
            EXPECT_EQ(c.Count() ? c.Item(1)->DCount() : 0, before);
            continue;
        }
        ASSERT_TRUE(c.StoreLines(gas, block));
        for (const QString& line : block)
            expected.insert(rt::IsoText(ReadLineDate(PrintableOnly(line), 3).date));
    }
    ASSERT_GT(expected.size(), 0u);
    c.Item(1)->HistoryUpdate();
    std::set<QString> stored;
    for (const auto& row : Database(scratch.path()).query("Select Dates From cHistory"))
        stored.insert(row.toText("Dates", ""));
    EXPECT_EQ(stored, expected);
}

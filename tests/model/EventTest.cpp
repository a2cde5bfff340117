// Alarm, trouble and power events: two-pass intake, the message-key list, storing under grouped
// headers without repeats, a download's events stored together, refused saves that leave the
// database untouched, and reloading.
#include "AppError.h"
#include "Database.h"
#include "Dates.h"
#include "MessageKeyList.h"
#include "ModelTestLines.h"
#include "TestSupport.h"
#include "clsAlarmEvents.h"
#include "clsHistorys.h"
#include "clsInstrument.h"
#include "clsPowerEvents.h"
#include "clsTroubleEvents.h"
#include "modDatabase.h"
#include "modGlobals.h"
#include "modMessage.h"

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QFile>

#include <functional>
#include <random>

using namespace qv;
using test::Download;
using test::Stamp;

namespace {

// Line builders in the instrument's column layout; `kind` is 'C' (alarm) or 'D' (trouble).
QString EventLine(const QString& log, char kind, int gasDigit, const QString& status) {
    return (log + kind + QString::number(gasDigit) + status + "10")
        .leftJustified(kind == 'C' ? 25 : 24);
}
// One downloaded event log as the instrument sends it.
QStringList EventLog(const QString& log, char kind, const QString& stamp, int gasDigit,
                     const QString& status = "02") {
    return {(log + kind + "AUSER01").leftJustified(24),
            (log + kind + "BA1234567     0001").leftJustified(24),
            (log + kind + "D" + stamp).leftJustified(24),
            test::GasTableLine(log, QString(kind) + "C"), EventLine(log, kind, gasDigit, status)};
}
QString PowerLine(const QString& log, const QString& stamp, const QString& flag = "1111") {
    return (log + "FD" + stamp + flag).leftJustified(24);
}

// The stored log under relNo reloaded as its kind: the events it lists and its header's count.
std::pair<int32_t, int32_t> Reloaded(int64_t types, int32_t relNo) {
    const auto load = [relNo](auto&& log) {
        log.SetSeqNo(relNo);
        log.ReLoad();
        return std::pair{log.DataCount(), log.GasInfo().DCount()};
    };
    switch (types) {
        case TypeAlarmEvents:
            return load(clsAlarmEvent());
        case TypeTroubleEvents:
            return load(clsTroubleEvent());
        case TypePowerEvents:
            return load(clsPowerEvent());
        default:
            return load(clsHistory());
    }
}

template <class C>
void SaveAll(C& c, const std::shared_ptr<clsInstrument>& inst) {
    for (const auto& item : c) {
        item->SetInstrument(inst);
        item->Update();
    }
}
// Feeds lines as the link does, taking each message off the collection; returns the messages.
template <class C>
QStringList Messages(C& c, const QStringList& lines) {
    QStringList said;
    for (const QString& line : lines) {
        c.SetDatas(line, false);
        if (!c.MessageString().isEmpty()) said << c.MessageString();
        c.SetMessageString(QString());
    }
    return said;
}

class EventTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SetCatalogueLanguage(CatalogueLanguage::English);
        inst = std::make_shared<clsInstrument>();
        inst->SetUserId("USER01");
        inst->SetSerialNo("A1234567");
    }
    std::vector<DbRow> Rows(const QString& sql) { return Database(scratch.path()).query(sql); }

    test::FixedClock clock{rt::MakeDate(2024, 1, 2, 3, 4, 5)};
    test::ScratchDatabase scratch;
    std::shared_ptr<clsInstrument> inst;
};

}  // namespace

TEST_F(EventTest, LinesFillTheHeaderAndTheEventOnlyInTheStorePass) {
    clsAlarmEvents a;
    const QStringList lines = EventLog("01", 'C', Stamp(14, 5, 31, 23, 59, 59), 4, "04");
    ASSERT_TRUE(a.TestLines(lines));
    auto e = a.Item("01 L");
    EXPECT_EQ(e->GasInfo().FolderID() + e->GasInfo().SerialNo(), "");
    EXPECT_EQ(e->DataCount(), 0);
    ASSERT_TRUE(a.StoreLines(lines));
    EXPECT_EQ(e->GasInfo().Dates(), rt::MakeDate(2014, 5, 31, 23, 59, 59));
    EXPECT_EQ(e->GasNo(0), 3);
    EXPECT_EQ(e->Events(0), -6);
    EXPECT_EQ(e->NowEvent(0) * 10 + e->NowCalib(0), 10);
    EXPECT_EQ(e->DataCount(), 1);

    EXPECT_FALSE(a.SetDatas(EventLine("02", 'C', 0, "02"), true));  // no gas 0
    EXPECT_FALSE(a.SetDatas(EventLine("02", 'C', 1, "02").left(24), true));
    EXPECT_TRUE(a.SetDatas(EventLine("02", 'C', 5, "02"), false));  // no alarm code
    EXPECT_EQ(a.Item("02 L")->DataCount(), 0);

    // Trouble digit 5 is the instrument itself. A control character inside a line is dropped
    // before the columns are counted.
    clsTroubleEvents t;
    EXPECT_TRUE(t.SetDatas("03D5\t0811" + QString(16, ' '), false));
    EXPECT_EQ(t.Item("03 L")->GasNo(0), 4);
    EXPECT_EQ(t.Item("03 L")->GetGasName(4), "System");
    EXPECT_EQ(t.Item("03 L")->Events(0), -10);
}

TEST_F(EventTest, MonthlyEventsShareAHeaderAndAreStoredOnce) {
    clsAlarmEvents a;
    QStringList block = EventLog("01", 'C', Stamp(14, 5, 2, 8, 0, 0), 1, "02") +
                        EventLog("02", 'C', Stamp(14, 5, 9, 9, 0, 0), 2, "03") +
                        EventLog("03", 'C', Stamp(14, 5, 9, 9, 0, 0), 3, "04") +
                        EventLog("04", 'C', Stamp(14, 6, 1, 0, 0, 1), 1, "02");
    for (int round = 0; round < 2; ++round) {  // the same download twice
        a.Clear();
        ASSERT_TRUE(Download(a, block));
        SaveAll(a, inst);
    }
    EXPECT_EQ(scratch.count("Log_Head"), 2);
    EXPECT_EQ(scratch.count("Alarm_Event"), 4);
    const auto rows = Rows("Select * From Alarm_Event Order by SeqNo");
    EXPECT_EQ(rows[1].toText("GasName", ""), "O2 ");
    EXPECT_EQ(rows[2].toLong("Alarm_Type", 0), -6);
    EXPECT_EQ(rows[2].toLong("RelNo", 0), rows[0].toLong("RelNo", 0));
    EXPECT_NE(rows[3].toLong("RelNo", 0), rows[0].toLong("RelNo", 0));

    clsAlarmEvent loaded;
    loaded.SetSeqNo(static_cast<int32_t>(rows[0].toLong("RelNo", 0)));
    loaded.ReLoad();
    EXPECT_EQ(loaded.DataCount(), 3);
    EXPECT_EQ(loaded.GasInfo().FolderID(), "05/14");
    EXPECT_EQ(loaded.Dates(1), rt::MakeDate(2014, 5, 9, 9, 0, 0));
    EXPECT_EQ(loaded.Events(2), -6);
}

TEST_F(EventTest, HeaderIsFoundWithItsStoredFolderOrTheSaveIsRefused) {
    // Logs without a date line share the header stored under the folder "-----".
    for (int gas : {1, 2}) {
        clsTroubleEvent t;
        ASSERT_TRUE(t.SetDataD0(EventLine("01", 'D', gas, "09"), false));
        t.SetInstrument(inst);
        t.Update();
    }
    EXPECT_EQ(scratch.count("Log_Head"), 1);
    EXPECT_EQ(Rows("Select FolderID From Log_Head")[0].toText("FolderID", ""), "-----");
    EXPECT_EQ(scratch.count("Trouble_Event"), 2);

    // A stored header row without a usable key is passed over: the event goes under a header
    // of its own, never under key 0.
    Database(scratch.path())
        .execute(
            "Insert Into Log_Head(SeqNo,Names,UserID,StationID,SerialNo,Types,FolderID) "
            "Values (0,'Alarm Events','USER01','*','A1234567',5,'06/14')");
    clsAlarmEvents a;
    ASSERT_TRUE(Download(a, EventLog("01", 'C', Stamp(14, 6, 3, 1, 2, 3), 1)));
    SaveAll(a, inst);
    EXPECT_EQ(scratch.count("Log_Head"), 3);
    const auto rows = Rows("Select RelNo From Alarm_Event");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_GE(rows[0].toLong("RelNo", 0), 1);
}

TEST_F(EventTest, RefusedSavesLeaveTheDatabaseAsItWas) {
    clsAlarmEvents a;
    ASSERT_TRUE(Download(a, EventLog("01", 'C', Stamp(14, 5, 2, 8, 0, 0), 1)));
    auto e = a.Item(1);
    EXPECT_THROW(e->Update(), AppError);  // no instrument to complete the header
    clsTroubleEvent empty;
    EXPECT_NO_THROW(empty.Update());  // nothing to store, nothing required

    {
        Database db(scratch.path());
        db.execute("Drop Table Alarm_Event");
        db.execute("Drop Table Power_Event");
    }
    e->SetInstrument(inst);
    EXPECT_THROW(e->Update(), AppError);
    clsPowerEvents p;
    ASSERT_TRUE(Download(p, {PowerLine("01", Stamp(14, 5, 13, 8, 30, 15))}));
    p.Item(1)->SetInstrument(inst);
    EXPECT_THROW(p.Item(1)->Update(), AppError);
    EXPECT_EQ(scratch.count("Log_Head"), 0);
    EXPECT_EQ(scratch.count("Gas_List"), 0);
}

// Makes the engine refuse the nth row that a save puts into `table` from now on, as a full disk
// would. The engine refuses no well-formed row of its own, and a table dropped fails the save
// before its header is written: a trigger is the one way to fail it after the header went in.
void RefuseRow(const QString& path, const QString& table, int nth) {
    Database db(path);
    const long long before = db.scalar("Select Count(*) From " + table).toLongLong();
    db.execute(QString("Create Trigger Refused%1 Before Insert On %1 When (Select Count(*) From "
                       "%1) >= %2 Begin Select Raise(Abort, 'disk full'); End")
                   .arg(table)
                   .arg(before + nth - 1));
}
void AllowRows(const QString& path, const QString& table) {
    Database(path).execute("Drop Trigger Refused" + table);
}
// The text the store of a download's events fails with.
QString ErrorTextOf(const std::function<void()>& store) {
    try {
        store();
    } catch (const AppError& e) {
        return e.text();
    }
    return "stored";
}

// A save refused after its header went in leaves neither the header nor any row, whether one
// log is saved alone or the events of a download together.
TEST_F(EventTest, ASaveRefusedPartWayLeavesNeitherHeaderNorRow) {
    clsAlarmEvents a;
    ASSERT_TRUE(Download(a, EventLog("01", 'C', Stamp(14, 5, 2, 8, 0, 0), 1)));
    RefuseRow(scratch.path(), "Alarm_Event", 1);
    a.Item(1)->SetInstrument(inst);
    EXPECT_THROW(a.Item(1)->Update(), AppError);

    clsPowerEvents p;
    ASSERT_TRUE(Download(p, {PowerLine("01", Stamp(14, 5, 13, 8, 0, 0)),
                             PowerLine("01", Stamp(14, 5, 13, 9, 0, 0), "0000"),
                             PowerLine("01", Stamp(14, 5, 13, 10, 0, 0))}));
    RefuseRow(scratch.path(), "Power_Event", 2);
    p.Item(1)->SetInstrument(inst);
    EXPECT_THROW(p.Item(1)->Update(), AppError);
    EXPECT_TRUE(ErrorTextOf([&] { p.UpdateAll(inst); }).startsWith(GetMessage(9064, {""})));

    clsTroubleEvents t;
    ASSERT_TRUE(Download(t, EventLog("01", 'D', Stamp(14, 5, 2, 8, 0, 0), 1) +
                                EventLog("02", 'D', Stamp(14, 6, 2, 8, 0, 0), 5) +
                                EventLog("03", 'D', Stamp(14, 6, 3, 8, 0, 0), 2)));
    RefuseRow(scratch.path(), "Trouble_Event", 3);
    const QString said = ErrorTextOf([&] { t.UpdateAll(inst); });
    EXPECT_TRUE(said.startsWith(GetMessage(9064, {""}))) << said.toStdString();
    EXPECT_TRUE(said.endsWith("disk full")) << said.toStdString();
    for (const char* table :
         {"Log_Head", "Gas_List", "Alarm_Event", "Power_Event", "Trouble_Event"})
        EXPECT_EQ(scratch.count(table), 0) << table;
}

// The events of a download are stored together: a row refused part-way leaves the file as the
// earlier downloads left it, and the same download then stores every event once, each under
// its month's header with the count of the rows it holds.
TEST_F(EventTest, ADownloadsEventsAreStoredTogetherOrNotAtAll) {
    clsAlarmEvents a;
    ASSERT_TRUE(Download(a, EventLog("01", 'C', Stamp(14, 5, 2, 8, 0, 0), 1)));
    a.UpdateAll(inst);
    const auto heads = [&] {
        QStringList out;
        for (const DbRow& r : Rows("Select FolderID, Dcount From Log_Head Order By SeqNo"))
            out << r.toText("FolderID", "") + "=" + r.toText("Dcount", "");
        return out;
    };
    ASSERT_EQ(heads(), QStringList{"05/14=1"});

    a.Clear();
    ASSERT_TRUE(Download(a, EventLog("01", 'C', Stamp(14, 5, 2, 8, 0, 0), 1) +
                                EventLog("02", 'C', Stamp(14, 5, 3, 8, 0, 0), 2) +
                                EventLog("03", 'C', Stamp(14, 6, 3, 8, 0, 0), 3) +
                                EventLog("04", 'C', Stamp(14, 6, 4, 8, 0, 0), 4)));
    RefuseRow(scratch.path(), "Alarm_Event", 3);
    EXPECT_THROW(a.UpdateAll(inst), AppError);
    EXPECT_EQ(heads(), QStringList{"05/14=1"});
    EXPECT_EQ(scratch.count("Alarm_Event"), 1);
    EXPECT_EQ(scratch.count("Gas_List"), 5);

    AllowRows(scratch.path(), "Alarm_Event");
    a.UpdateAll(inst);
    a.UpdateAll(inst);
    EXPECT_EQ(heads(), (QStringList{"05/14=2", "06/14=2"}));
    EXPECT_EQ(Rows("Select Count(*) As n From (Select Distinct RelNo, GasNo, Dates From "
                   "Alarm_Event)")[0]
                  .toLong("n", 0),
              4);
    EXPECT_EQ(scratch.count("Alarm_Event"), 4);

    // The logs of one download lie in one file: one that names another stores nothing.
    test::ScratchDatabase other;
    a.Clear();
    ASSERT_TRUE(Download(a, EventLog("01", 'C', Stamp(14, 7, 2, 8, 0, 0), 1)));
    DatabasePath = scratch.path();
    ASSERT_TRUE(Download(a, EventLog("02", 'C', Stamp(14, 7, 3, 8, 0, 0), 1)));
    EXPECT_THROW(a.UpdateAll(inst), AppError);
    EXPECT_EQ(other.count("Alarm_Event"), 0);
    EXPECT_EQ(scratch.count("Alarm_Event"), 4);
}

// Log numbers have two digits: a download of more event logs than that numbers them from 00
// again, block after block. Every event is stored, once, and a log of a number that comes back
// is a log of its own, not the earlier one written over.
TEST_F(EventTest, LogNumbersThatComeBackBeginLogsOfTheirOwn) {
    QStringList lines;
    for (int i = 0; i < 230; ++i)
        lines += EventLog(QString::asprintf("%02d", i % 100), 'C',
                          Stamp(14, 5, 1 + i / 24, i % 24, 0, 0), 1 + i % 4);
    clsAlarmEvents a;
    for (qsizetype at = 0; at < lines.size(); at += 47)  // a log's lines may span two blocks
        ASSERT_TRUE(Download(a, lines.mid(at, 47))) << at;
    ASSERT_EQ(a.Count(), 230);
    EXPECT_EQ(a.Item("01 L")->GasInfo().Dates(), rt::MakeDate(2014, 5, 1, 1, 0, 0));
    EXPECT_EQ(a.Item(102)->GasInfo().Dates(), rt::MakeDate(2014, 5, 5, 5, 0, 0));  // log 01 again
    SaveAll(a, inst);
    EXPECT_EQ(scratch.count("Alarm_Event"), 230);
    EXPECT_EQ(Rows("Select Dcount From Log_Head")[0].toLong("Dcount", 0), 230);

    // The next download of the same events stores none of them again.
    a.Clear();
    for (qsizetype at = 0; at < lines.size(); at += 47)
        ASSERT_TRUE(Download(a, lines.mid(at, 47))) << at;
    EXPECT_EQ(a.Count(), 230);
    SaveAll(a, inst);
    EXPECT_EQ(scratch.count("Alarm_Event"), 230);
}

TEST_F(EventTest, ACountLineWithoutAnEventLineStoresNoEvent) {
    clsAlarmEvents a;
    QStringList lines = EventLog("01", 'C', Stamp(14, 7, 1, 10, 0, 0), 1);
    lines.removeLast();  // the event line itself never came
    ASSERT_TRUE(Download(a, lines));
    SaveAll(a, inst);
    EXPECT_EQ(scratch.count("Alarm_Event"), 0);
    EXPECT_EQ(scratch.count("Log_Head"), 0);
}

TEST_F(EventTest, NewDataIsAnnouncedOncePerKeyAndDownload) {
    clsTroubleEvents t;
    const QStringList block = EventLog("01", 'D', Stamp(14, 5, 2, 8, 0, 0), 1) +
                              EventLog("02", 'D', Stamp(14, 5, 3, 8, 0, 0), 2) +
                              EventLog("03", 'D', Stamp(14, 5, 4, 8, 0, 0), 3);
    const QStringList once{GetMessage(2001, {"Trouble Events 05/14"})};
    EXPECT_EQ(Messages(t, block), once);
    EXPECT_TRUE(Messages(t, block).isEmpty());
    t.Clear();
    EXPECT_EQ(Messages(t, block), once);

    clsPowerEvents p;
    const QStringList power{PowerLine("01", Stamp(14, 5, 13, 8, 30, 15)),
                            PowerLine("02", Stamp(14, 5, 13, 9, 0, 0), "0000")};
    EXPECT_EQ(Messages(p, power), QStringList{GetMessage(2001, {"Power Events"})});
}

TEST_F(EventTest, PowerLinesRefuseOnlyUnreadableMoments) {
    clsPowerEvents p;
    EXPECT_FALSE(p.SetDatas(PowerLine("01", Stamp(14, 5, 13, 8, 30, 15)).left(23) + "\x01", true));
    ASSERT_TRUE(Download(p, {PowerLine("01", Stamp(14, 5, 13, 8, 30, 15)),
                             PowerLine("01", Stamp(14, 5, 13, 9, 0, 0), "111 ")}));
    auto e = p.Item("01 L");
    EXPECT_EQ(e->Dates(0), rt::MakeDate(2014, 5, 13, 8, 30, 15));
    EXPECT_TRUE(e->Flags(0));
    EXPECT_FALSE(e->Flags(1));

    // A moment that does not read is refused in the test pass, not stored at another moment.
    p.SetFailLine(QString());
    const QString badDate = PowerLine("01", "14XX13083015"),
                  badTime = PowerLine("01", "1405130830ZZ");
    EXPECT_FALSE(p.TestLines({badDate, badTime}));
    EXPECT_EQ(p.FailLine(), "\r\n" + badDate + "\r\n" + badTime);
    EXPECT_FALSE(e->SetDataF0(badTime, false));
    EXPECT_EQ(e->DataCount(), 2);

    // A log takes every event the instrument holds, block after block, past 1,024.
    QStringList many;
    for (int i = 0; i < 1100; ++i)
        many << PowerLine("01", Stamp(15, 1 + i / 60 % 12, 1 + i / 720, 0, i % 60, 0), "0000");
    for (qsizetype at = 0; at < many.size(); at += 47)
        ASSERT_TRUE(Download(p, many.mid(at, 47))) << at;
    EXPECT_EQ(e->DataCount(), 1102);
    EXPECT_EQ(e->Dates(1101), rt::MakeDate(2015, 7, 2, 0, 19, 0));
    EXPECT_FALSE(e->Flags(1101));
    EXPECT_EQ(e->Dates(1102), rt::ZeroDate());
    // A count set back is the slot the next line fills.
    e->SetDataCount(1);
    ASSERT_TRUE(Download(p, {PowerLine("01", Stamp(16, 1, 1, 0, 0, 0))}));
    EXPECT_EQ(e->DataCount(), 2);
    EXPECT_EQ(e->Dates(1), rt::MakeDate(2016, 1, 1, 0, 0, 0));
    e->SetDataCount(5000);
    EXPECT_EQ(e->DataCount(), 1102);
}

TEST_F(EventTest, PowerEventsGoUnderOneHeaderPerIdentityOnce) {
    const QString on = PowerLine("01", Stamp(14, 5, 13, 8, 30, 15));
    const QString sameSecond = PowerLine("01", Stamp(14, 5, 13, 8, 30, 15), "0000");
    const QString off = PowerLine("01", Stamp(14, 5, 13, 17, 0, 0), "0000");
    clsPowerEvents p;
    ASSERT_TRUE(Download(p, {on, sameSecond}));
    SaveAll(p, inst);
    p.Clear();
    ASSERT_TRUE(Download(p, {on, off}));
    SaveAll(p, inst);
    EXPECT_EQ(scratch.count("Log_Head"), 1);
    EXPECT_EQ(scratch.count("Power_Event"), 2);

    clsPowerEvent loaded;
    loaded.SetSeqNo(static_cast<int32_t>(Rows("Select SeqNo From Log_Head")[0].toLong("SeqNo", 0)));
    loaded.ReLoad();
    EXPECT_EQ(loaded.DataCount(), 2);
    EXPECT_TRUE(loaded.Flags(0));
    EXPECT_FALSE(loaded.Flags(1));
    EXPECT_EQ(loaded.Dates(1), rt::MakeDate(2014, 5, 13, 17, 0, 0));

    // A saved log keeps the identity it was stored under, whatever instrument comes later.
    auto other = std::make_shared<clsInstrument>();
    other->SetSerialNo("B7654321");
    SaveAll(p, other);
    EXPECT_EQ(scratch.count("Log_Head"), 1);
    EXPECT_EQ(scratch.count("Power_Event"), 2);
    p.Clear();
    ASSERT_TRUE(Download(p, {on}));
    SaveAll(p, other);
    EXPECT_EQ(scratch.count("Log_Head"), 2);
    EXPECT_EQ(scratch.count("Power_Event"), 3);
}

// Events gather under one header across downloads, past what one download can hold.
TEST_F(EventTest, ReloadHoldsEveryStoredEvent) {
    {
        Database db(scratch.path());
        db.execute(
            "Insert Into Log_Head(SeqNo,Names,Types,FolderID) Values (7,'Trouble Events',6,"
            "'05/14'),(8,'Power Events',7,'-----')");
        const QString rows =
            "With Recursive n(i) As (Select 1 Union All Select i+1 From n Where "
            "i<1030) ";
        db.execute(rows +
                   "Insert Into Trouble_Event(SeqNo,RelNo,GasNo,Alarm_Type) Select i,7,i%4+1,-2 "
                   "From n");
        db.execute(rows +
                   "Insert Into Power_Event(SeqNo,RelNo,Power_Type) Select i,8,(i+1)%2 From n");
    }
    // The last rows hold values other than an empty slot's, so that they show they were loaded.
    clsTroubleEvent t;
    t.SetSeqNo(7);
    t.ReLoad();
    EXPECT_EQ(t.DataCount(), 1030);
    EXPECT_EQ(t.GasNo(1029), 1030 % 4 + 1);
    EXPECT_EQ(t.Events(1029), -2);
    EXPECT_EQ(t.Events(1030), 0);
    clsPowerEvent p;
    p.SetSeqNo(8);
    p.ReLoad();
    EXPECT_EQ(p.DataCount(), 1030);
    EXPECT_TRUE(!p.Flags(1028) && p.Flags(1029));
    // Cleared for a download, it holds nothing of the loaded log.
    p.ClearDatas();
    p.SetFlags(0, true);
    EXPECT_FALSE(p.Flags(0));
    EXPECT_EQ(p.Dates(0), rt::ZeroDate());
}

// A month that earlier downloads filled past 1,024 alarm events still takes a new one, and
// loads back whole; the count of the instrument's "CB" line is kept as it came.
TEST_F(EventTest, AMonthOfManyDownloadsTakesItsNextEventAndLoadsWhole) {
    clsAlarmEvents a;
    ASSERT_TRUE(Download(a, EventLog("01", 'C', Stamp(14, 5, 2, 8, 0, 0), 1)));
    SaveAll(a, inst);
    {
        Database db(scratch.path());
        db.execute(
            "With Recursive n(i) As (Select 2 Union All Select i+1 From n Where i<1100) "
            "Insert Into Alarm_Event(SeqNo,RelNo,GasNo,Alarm_Type,Dates) Select i,1,i%4,-4,"
            "Printf('2014-05-03 %02d:%02d:%02d', i/3600, i/60%60, i%60) From n");
    }
    a.Clear();
    QStringList next = EventLog("07", 'C', Stamp(14, 5, 31, 23, 0, 0), 2, "03");
    next[1].replace("0001", "1101");
    next.move(1, next.size() - 1);  // the count line last: it, not the event line, sets the count
    ASSERT_TRUE(Download(a, next));
    EXPECT_EQ(a.Item("07 L")->DataCount(), 1101);
    SaveAll(a, inst);
    EXPECT_EQ(scratch.count("Log_Head"), 1);

    clsAlarmEvent loaded;
    loaded.SetSeqNo(1);
    loaded.ReLoad();
    ASSERT_EQ(loaded.DataCount(), 1101);
    EXPECT_EQ(loaded.Dates(1100), rt::MakeDate(2014, 5, 31, 23, 0, 0));
    EXPECT_EQ(loaded.Events(1100), -5);
    EXPECT_EQ(loaded.GasNo(1099), 1100 % 4);
    loaded.SetDataCount(2000);
    EXPECT_EQ(loaded.DataCount(), 2000);
}

// A header that a dozen downloads add to tells as many rows as it holds, stored and loaded, for
// every kind that gathers its rows under one header.
TEST_F(EventTest, AHeaderCountsTheRowsItHolds) {
    clsAlarmEvents alarms;
    clsTroubleEvents troubles;
    clsPowerEvents power;
    for (int download = 0; download < 12; ++download) {
        // Each download brings the day before again and a new day, all in one month.
        const auto monthly = [&](auto& events, char kind) {
            events.Clear();
            QStringList block;
            for (int day : {download, download + 1})
                for (int gas : {1, 2})
                    block += EventLog(QString::asprintf("%02d", 2 * (day - download) + gas), kind,
                                      Stamp(14, 5, 1 + day, 8, 0, 0), gas);
            ASSERT_TRUE(Download(events, block));
            SaveAll(events, inst);
        };
        monthly(alarms, 'C');
        monthly(troubles, 'D');
        power.Clear();
        ASSERT_TRUE(Download(power, {PowerLine("01", Stamp(14, 5, 1 + download, 8, 0, 0)),
                                     PowerLine("01", Stamp(14, 5, 2 + download, 8, 0, 0))}));
        SaveAll(power, inst);
    }
    const auto heads = Rows("Select SeqNo, Types, Dcount From Log_Head Order By Types");
    ASSERT_EQ(heads.size(), 3u);
    for (const DbRow& head : heads) {
        const auto relNo = static_cast<int32_t>(head.toLong("SeqNo", 0));
        const QString table = head.toLong("Types", 0) == TypePowerEvents   ? "Power_Event"
                              : head.toLong("Types", 0) == TypeAlarmEvents ? "Alarm_Event"
                                                                           : "Trouble_Event";
        const long long rows = scratch.count(table);
        EXPECT_EQ(rows, table == "Power_Event" ? 13 : 26) << table.toStdString();
        EXPECT_EQ(head.toLong("Dcount", 0), rows) << table.toStdString();
        EXPECT_EQ(Reloaded(head.toLong("Types", 0), relNo), std::pair(int32_t(rows), int32_t(rows)))
            << table.toStdString();
    }
}

// A file stored into before the headers counted their rows: it shows the rows it holds, and the
// first store into it sets every such header's count from its rows.
TEST_F(EventTest, AnOlderFilesCountsAreShownAndStoredFromItsRows) {
    clsAlarmEvents alarms;
    ASSERT_TRUE(Download(alarms, EventLog("01", 'C', Stamp(14, 5, 2, 8, 0, 0), 1) +
                                     EventLog("02", 'C', Stamp(14, 5, 3, 8, 0, 0), 1) +
                                     EventLog("03", 'C', Stamp(14, 6, 3, 8, 0, 0), 1)));
    SaveAll(alarms, inst);
    {
        Database db(scratch.path());
        db.execute("Drop Index Alarm_EventRepeat");
        db.execute("Update Log_Head Set Dcount = 100");
    }
    clsAlarmEvent may;
    may.SetSeqNo(1);
    may.ReLoad();
    EXPECT_EQ(may.GasInfo().DCount(), 2);

    alarms.Clear();
    ASSERT_TRUE(Download(alarms, EventLog("01", 'C', Stamp(14, 5, 4, 8, 0, 0), 1)));
    SaveAll(alarms, inst);
    EXPECT_EQ(Rows("Select Group_Concat(Dcount) As c From (Select Dcount From Log_Head Order By "
                   "SeqNo)")[0]
                  .toText("c", ""),
              "3,1");
}

// The repeat check of every kind that adds to a stored header looks its rows up by an index on
// the columns it compares. A file without that index gets it when the program stores into it,
// never when the program only reads it.
TEST_F(EventTest, RepeatChecksAreIndexedOnceTheProgramStores) {
    clsAlarmEvents alarms;
    clsTroubleEvents troubles;
    clsPowerEvents power;
    clsHistorys history;
    history.SetInstruments(inst);
    const auto store = [&] {
        ASSERT_TRUE(Download(alarms, EventLog("01", 'C', Stamp(14, 5, 2, 8, 0, 0), 1)));
        ASSERT_TRUE(Download(troubles, EventLog("01", 'D', Stamp(14, 5, 2, 8, 0, 0), 1)));
        ASSERT_TRUE(Download(power, {PowerLine("01", Stamp(14, 5, 2, 8, 0, 0))}));
        ASSERT_TRUE(history.TestLines(0, {"01140502080000  0.0  0.1"}) &&
                    history.StoreLines(0, {"01140502080000  0.0  0.1"}));
        SaveAll(alarms, inst);
        SaveAll(troubles, inst);
        SaveAll(power, inst);
        history.Item(1)->HistoryUpdate();
    };
    store();
    const auto indexes = [&] {
        return Rows(
                   "Select Group_Concat(name) As n From (Select name From sqlite_master Where "
                   "name Like '%Repeat' Order By name)")[0]
            .toText("n", "");
    };
    const QString all = "Alarm_EventRepeat,Power_EventRepeat,Trouble_EventRepeat,cHistoryRepeat";
    EXPECT_EQ(indexes(), all);
    for (const QString& table : RepeatCheckedTables()) {
        const QString probe = table == "Alarm_Event" || table == "Trouble_Event"
                                  ? "Select SeqNo From %1 Where RelNo=1 And GasNo=0 And Dates=''"
                                  : "Select SeqNo From %1 Where RelNo=1 And Dates=''";
        const QString plan = Rows("Explain Query Plan " + probe.arg(table))[0].toText("detail", "");
        EXPECT_TRUE(plan.contains(table + "Repeat")) << plan.toStdString();
    }

    // An older file: read, it stays as it was to the byte.
    {
        Database db(scratch.path());
        for (const QString& table : RepeatCheckedTables())
            db.execute("Drop Index " + table + "Repeat");
    }
    const auto digest = [&] {
        QFile file(scratch.path());
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
    };
    const QByteArray before = digest();
    for (const DbRow& head : Rows("Select SeqNo, Types From Log_Head"))
        EXPECT_EQ(
            Reloaded(head.toLong("Types", 0), static_cast<int32_t>(head.toLong("SeqNo", 0))).first,
            1);
    EXPECT_EQ(digest(), before);
    EXPECT_EQ(indexes(), "");
    // Stored into, the same download again: the indexes are back and nothing is stored twice.
    alarms.Clear();
    troubles.Clear();
    power.Clear();
    history.Clear();
    store();
    EXPECT_EQ(indexes(), all);
    for (const char* table : {"Alarm_Event", "Trouble_Event", "Power_Event", "cHistory"})
        EXPECT_EQ(scratch.count(table), 1) << table;
}

// The "New Data!" message is given once per key, however many keys one download brings.
TEST(MessageKeys, HoldEveryKeyOfADownload) {
    MessageKeyList keys;
    EXPECT_FALSE(keys.IsMessageListed(" A "));
    for (int i = 0; i < 150; ++i)
        keys.AddMessageKey(MessageKeyList::MakeMessageKey(QString::number(i), "S", "U", "05/14"));
    EXPECT_EQ(keys.Count(), 150);
    EXPECT_TRUE(keys.IsMessageListed(MessageKeyList::MakeMessageKey("149", "S", "U", "05/14")));
    EXPECT_TRUE(keys.IsMessageListed(" 149         S         U         05/14"));
    EXPECT_FALSE(keys.IsMessageListed(MessageKeyList::MakeMessageKey("150", "S", "U", "05/14")));
    keys.Clear();
    EXPECT_EQ(keys.Count(), 0);
    EXPECT_FALSE(keys.IsMessageListed(MessageKeyList::MakeMessageKey("1", "S", "U", "05/14")));
}

// Random and cut lines: nothing crashes, and a block whose test pass failed leaves nothing
// behind, neither in the record sets nor in the database.
template <class C>
void Scramble(const QStringList& good, const std::shared_ptr<clsInstrument>& inst,
              const test::ScratchDatabase& scratch, const char* table) {
    std::mt19937 rng(4170);
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    int failed = 0;
    for (int round = 0; round < 120; ++round) {
        QStringList block = good;
        for (QString& line : block) {
            const int how = pick(8);
            if (how == 0) line.truncate(pick(line.size() + 1));
            if (how == 1) line[pick(line.size())] = QChar(pick(128));
            if (how == 2) line.insert(pick(line.size()), QChar(pick(3) == 0 ? 0x3042 : pick(128)));
        }
        C tested;
        if (tested.TestLines(block)) {
            tested.StoreLines(block);
            EXPECT_NO_THROW(SaveAll(tested, inst));
            continue;
        }
        ++failed;
        const long long before = scratch.count(table);
        for (const auto& item : tested) {
            EXPECT_EQ(item->DataCount(), 0);
            EXPECT_TRUE(item->GasInfo().SerialNo().isEmpty());
        }
        EXPECT_NO_THROW(SaveAll(tested, inst));
        EXPECT_EQ(scratch.count(table), before);
        C stored;  // the store pass alone must survive any line as well
        EXPECT_NO_THROW(stored.StoreLines(block));
    }
    EXPECT_GT(failed, 25);  // both outcomes are exercised
}

TEST_F(EventTest, RandomAndCutLinesNeverCrashNorStoreFailedBlocks) {
    Scramble<clsAlarmEvents>(EventLog("01", 'C', Stamp(14, 5, 2, 8, 0, 0), 2) +
                                 EventLog("02", 'C', Stamp(14, 5, 3, 8, 0, 0), 3),
                             inst, scratch, "Alarm_Event");
    Scramble<clsTroubleEvents>(EventLog("01", 'D', Stamp(14, 5, 2, 8, 0, 0), 5), inst, scratch,
                               "Trouble_Event");
    Scramble<clsPowerEvents>({PowerLine("01", Stamp(14, 5, 13, 8, 30, 15)),
                              PowerLine("01", Stamp(14, 5, 13, 9, 30, 15), "0000")},
                             inst, scratch, "Power_Event");
}

// The export text of every kind against the files kept in export/ beside this test (run with
// QV_UPDATE_GOLDEN=1 to write them afresh), the walk of an interval trend's samples and events,
// and the names a save proposes.
#include "Dates.h"
#include "FixtureDatabase.h"
#include "clsAlarm.h"
#include "clsAlarmEvent.h"
#include "clsHistory.h"
#include "clsInterval.h"
#include "clsPowerEvent.h"
#include "clsTroubleEvent.h"
#include "modExport.h"
#include "modGasCommon.h"
#include "modGlobals.h"
#include "modMessage.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>

namespace qv::test {
namespace {

const QString kComma = QStringLiteral(","), kTab = QStringLiteral("\t");

class ExportTextTest : public ::testing::Test {
  protected:
    void SetUp() override { SetCatalogueLanguage(CatalogueLanguage::English); }
    void TearDown() override {
        ConvEnable = false;
        ConvFactor = factor_;
        FollowSystemLanguage();
    }
    const float factor_ = ConvFactor;

    template <class Record>
    static std::unique_ptr<Record> Load(int32_t seqNo) {
        auto r = std::make_unique<Record>();
        r->SetSeqNo(seqNo);
        r->ReLoad();
        return r;
    }
    // The export of the stored log `seqNo` of kind `type`, through the main window's objects.
    static QString Export(int32_t type, int32_t seqNo, const QString& separator) {
        const auto interval = Load<clsInterval>(seqNo);
        const auto alarm = Load<clsAlarm>(seqNo);
        const auto history = Load<clsHistory>(seqNo);
        const auto alarmEvent = Load<clsAlarmEvent>(seqNo);
        const auto trouble = Load<clsTroubleEvent>(seqNo);
        const auto power = Load<clsPowerEvent>(seqNo);
        return MakeSampleText(type,
                              {interval.get(), alarm.get(), history.get(), alarmEvent.get(),
                               trouble.get(), power.get()},
                              separator);
    }
    static void ExpectGolden(const QString& name, const QString& text) {
        const QString path = QStringLiteral(QV_EXPORT_GOLDEN_DIR "/") + name;
        QFile file(path);
        if (qEnvironmentVariableIsSet("QV_UPDATE_GOLDEN")) {
            ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
            file.write(text.toUtf8());
            return;
        }
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
        EXPECT_EQ(file.readAll().toStdString(), text.toUtf8().toStdString()) << name.toStdString();
    }

    // A stored trend's header with its records dropped, to be filled by hand.
    std::unique_ptr<clsInterval> EmptyLog() const {
        auto r = Load<clsInterval>(fx.logs().intervalA0514);
        r->SetDataCount(0);
        r->SetEventCount(0);
        return r;
    }

    FixtureDatabase fx;
};

TEST_F(ExportTextTest, EveryKindMatchesItsFileWithBothSeparators) {
    // Who wrote the log carries a comma, double quotes and Japanese text: quoted with a comma
    // separator, left alone with a TAB.
    int32_t quoted = 0;
    {
        FixtureBuilder b(fx.path());
        quoted = b.AddInterval(
            {QStringLiteral("SN,3003"), QStringLiteral("駅 \"北\""), QStringLiteral("山田 太郎")},
            QStringLiteral("試験, \"7\""), rt::MakeDate(2024, 5, 20, 23, 58, 0), 5, 60, 1);
    }
    const FixtureLogs& l = fx.logs();
    const struct {
        const char* name;
        int32_t type;
        int32_t seqNo;
    } kCases[] = {
        {"interval", TypeInterval, l.intervalA0514},
        {"quoted-interval", TypeInterval, quoted},
        {"alarm-trend", TypeAlarmTrend, l.alarmShortA},
        {"history", TypeCalHistory, l.historyA},
        {"alarm-events", TypeAlarmEvents, l.alarmEventsA},
        {"trouble-events", TypeTroubleEvents, l.troubleA},
        {"power-events", TypePowerEvents, l.powerA},
    };
    for (const auto& c : kCases) {
        ExpectGolden(QString::fromLatin1(c.name) + ".csv", Export(c.type, c.seqNo, kComma));
        ExpectGolden(QString::fromLatin1(c.name) + ".tsv", Export(c.type, c.seqNo, kTab));
    }

    // Gas 1 in its second unit: channel 4's caption and decimal places, channel 0's readings
    // and statistics converted; the alarm trend shows no levels for it.
    ConvEnable = true;
    ConvFactor = 0.05f;
    ExpectGolden(QStringLiteral("interval-second-unit.csv"),
                 Export(TypeInterval, l.intervalA0514, kComma));
    ExpectGolden(QStringLiteral("alarm-trend-second-unit.csv"),
                 Export(TypeAlarmTrend, l.alarmShortA, kComma));
}

TEST_F(ExportTextTest, NoKindExportsNothingAndCellsWithQuotesOrLineBreaksAreQuoted) {
    EXPECT_EQ(MakeSampleText(0, {}, kComma), QString());
    EXPECT_EQ(MakeSampleText(TypeLastCalibration, {}, kComma), QString());
    EXPECT_EQ(MakeSampleText(TypePowerEvents, {}, kTab),  // a record never loaded: no rows
              "QV-4170 Data Sample (Power Events)\r\nProperty\tValue\r\nName\tPower Events\r\n"
              "\r\nDateTime\tPower\r\n");
    clsHeader h;
    h.SetNames(QStringLiteral("say \"hi\"\r\n\tthere"));
    SetCatalogueLanguage(CatalogueLanguage::Japanese);
    EXPECT_EQ(MakeSampleHeader(h, kComma), "項目,値\r\n名前,\"say \"\"hi\"\"\r\n\tthere\"\r\n\r\n");
    h.SetNames(QStringLiteral("a\tb"));
    EXPECT_EQ(MakeSampleHeader(h, kTab), "項目\t値\r\n名前\t\"a\tb\"\r\n\r\n");
}

// ---- the interval walk --------------------------------------------------------------------

const QDateTime t0 = rt::MakeDate(2024, 5, 14, 10, 0, 0);

void AddSample(clsInterval& r, const QDateTime& at, std::array<float, 4> values) {
    for (int g = 0; g < 4; ++g)
        r.AddValue(g, at, values[static_cast<size_t>(g)]);
}
// The lines after the column title line.
QStringList Rows(const QString& text) {
    QStringList lines = text.split(QStringLiteral("\r\n"));
    const auto title = std::find_if(lines.begin(), lines.end(),
                                    [](const QString& s) { return s.startsWith("No,Date/Time,"); });
    EXPECT_NE(title, lines.end());
    EXPECT_EQ(lines.back(), QString());
    return QStringList(title + 1, lines.end() - 1);
}

TEST_F(ExportTextTest, IntervalRowsWalkSamplesAndEventsInTimeOrder) {
    auto r = EmptyLog();
    AddSample(*r, t0, {12, 20.9f, 0.5f, 3});
    AddSample(*r, t0.addSecs(60), {13, 20.8f, 1, 4});
    r->AddEvents(0, t0.addSecs(60), GasWarning);
    r->AddEvents(2, t0.addSecs(60), GasFailSensor);
    r->AddEvents(1, t0.addSecs(90), GasAlarm);
    r->AddEvents(1, t0.addSecs(91), GasOver);
    r->SetEventDateTimes(2, t0.addSecs(90));  // a second event of one time has its own row
    AddSample(*r, t0.addSecs(120), {14, 20.7f, 1.5f, 5});
    AddSample(*r, t0.addSecs(121), {99, 99, 99, 99});
    r->SetDateTimes(3, t0.addSecs(120));             // so has a second sample of one time
    AddSample(*r, t0.addSecs(-30), {11, 21, 0, 2});  // stored last, written first
    EXPECT_EQ(Rows(MakeSampleText(*r, kComma)),
              QStringList({"1,5/14/2024 9:59:30 AM,   11, 21.0,  0.0,    2",
                           "2,5/14/2024 10:00:00 AM,   12, 20.9,  0.5,    3",
                           "3,5/14/2024 10:01:00 AM,WARN(   13), 20.8,FAIL(  1.0),    4",
                           "4,5/14/2024 10:01:30 AM,-----,ALARM,-----,-----",
                           "5,5/14/2024 10:01:30 AM,-----,OVER,-----,-----",
                           "6,5/14/2024 10:02:00 AM,   14, 20.7,  1.5,    5",
                           "7,5/14/2024 10:02:00 AM,   99, 99.0, 99.0,   99"}));
}

TEST_F(ExportTextTest, IntervalRowsHoldEveryRecordWhateverItsDate) {
    using rt::MakeDate;
    const struct {
        QDateTime sample, event;
    } kCases[] = {{MakeDate(1998, 1, 1), MakeDate(1997, 5, 1)},
                  {MakeDate(1998, 1, 20), MakeDate(1998, 3, 1)},
                  {MakeDate(2199, 3, 1), MakeDate(2250, 4, 1)}};
    for (const auto& c : kCases) {
        auto r = EmptyLog();
        AddSample(*r, c.sample, {1, 1, 1, 1});
        r->AddEvents(0, c.event, GasAlarm);
        AddSample(*r, MakeDate(1998, 3, 2), {1, 1, 1, 1});
        EXPECT_EQ(Rows(MakeSampleText(*r, kComma)).size(), 3) << c.sample.toString().toStdString();
    }
}

// A calibration history of 320 dates and event logs of 1,100 events export every row, oldest
// included.
TEST_F(ExportTextTest, LongHistoriesAndEventLogsExportEveryRow) {
    const QDateTime first = rt::MakeDate(2019, 1, 1, 8, 0, 0);
    QList<QDateTime> dates;
    for (int d = 0; d < 320; ++d)
        dates << first.addDays(d);
    int32_t history = 0, alarms = 0, power = 0;
    {
        FixtureBuilder b(fx.path());
        history = b.AddHistory(FixtureDatabase::A(), dates);
        alarms = b.AddAlarmEvents(FixtureDatabase::A(), first, 1100);
        power = b.AddPowerEvents(FixtureDatabase::A(), first, 1100);
    }
    const QString oldest = GeneralDate(first);
    const QStringList h = Export(TypeCalHistory, history, kComma).split(QStringLiteral("\r\n"));
    EXPECT_EQ(h.filter(QStringLiteral(",Before,")).size(), 320);
    EXPECT_TRUE(h[h.size() - 3].startsWith(QStringLiteral("320,") + oldest + QStringLiteral(",")))
        << h.mid(h.size() - 4).join(u'|').toStdString();
    const QStringList a = Export(TypeAlarmEvents, alarms, kTab).split(QStringLiteral("\r\n"));
    EXPECT_EQ(a.filter(QRegularExpression(QStringLiteral("^\\d+/\\d+/\\d+ "))).size(), 1100);
    const QStringList p = Export(TypePowerEvents, power, kComma).split(QStringLiteral("\r\n"));
    EXPECT_EQ(p.filter(QRegularExpression(QStringLiteral(",(ON|OFF)$"))).size(), 1100);
    EXPECT_TRUE(p.contains(oldest + QStringLiteral(",ON")));
}

// ---- proposed names ------------------------------------------------------------------------

TEST(ExportSave, ProposedNamesTakeTheSuffixOfTheFileName) {
    const struct {
        const char *last, *extension, *folder, *proposed;
    } kCases[] = {
        {"", "csv", "/data/qv4170", "/data/qv4170/Sample.csv"},
        {"", "bmp", "/data/qv4170/", "/data/qv4170/Sample.bmp"},
        {"/tmp/a.csv", "csv", "", "/tmp/a.csv"},
        {"/tmp/a.CSV", "csv", "", "/tmp/a.CSV"},
        {"/tmp/a.txt", "csv", "", "/tmp/a.csv"},
        {"/tmp/a.b.csv", "bmp", "", "/tmp/a.b.bmp"},
        {"/tmp/ab", "csv", "", "/tmp/ab.csv"},
        {"/tmp/abcsv", "csv", "", "/tmp/abcsv.csv"},
        {"/tmp/v1.2/ab", "bmp", "", "/tmp/v1.2/ab.bmp"},
    };
    for (const auto& c : kCases)
        EXPECT_EQ(ProposedExportFile(c.last, c.extension, c.folder), c.proposed) << c.last;
}

}  // namespace
}  // namespace qv::test

// The table and summary of every kind of stored log on the shared fixture, the merge of interval
// samples and events in time order, gas 1 in its second unit, a reload that finds no rows, and a
// full interval log with its heading row kept in view.
#include "DataViewRig.h"
#include "Database.h"
#include "Dates.h"
#include "modExport.h"
#include "modGasCommon.h"

#include <QScrollBar>

namespace qv::test {
namespace {

constexpr int32_t kOrange = ui::RGB(255, 128, 0), kRed = ui::RGB(255, 0, 0);
constexpr int32_t kGreen = ui::RGB(192, 255, 192), kGrey = ui::RGB(128, 128, 128);
constexpr int32_t kBefore = ui::RGB(240, 240, 240), kAfter = ui::RGB(255, 255, 255);

using DataTable = DataViewRig;

TEST_F(DataTable, EveryKindAsTableAndSummary) {
    const struct {
        int32_t kind, seqNo;
        int rows, row;  // the grid's rows, a row checked with its texts and colours
        const char* texts;
        std::vector<int32_t> colors;
        const char* summary;  // the summary's row 9 (trends) or 5 (others)
    } cases[] = {
        // clang-format off
        {1, logs().intervalA0514, 104, 2, "2|5/14/2024 10:00:30 AM|WARNING|-----|-----|-----",
         {0, 0, kOrange, 0, 0, 0}, "Avg|   24| 20.9|  1.5|   24"},
        {1, logs().intervalA0514, 104, 7, "7|5/14/2024 10:05:00 AM|    5| 20.9|  2.5|    5",
         {0, kGreen, 0, 0, 0, 0}, "Avg|   24| 20.9|  1.5|   24"},
        {2, logs().alarmA, 732, 361, "361|5/14/2024 12:00:00 PM|   13|ALARM|  0.0|-----",
         {0, kRed, kRed, kRed, kRed, kRed}, "Full|  100| 40.0|100.0|  500"},
        {2, logs().alarmShortA, 201, 200, nullptr, std::vector<int32_t>(6, 0), nullptr},
        {3, logs().historyA, 7, 1, "1|5/17/2024 10:00:00 AM|Before|   17| 36.0| 17.0|   47|STEL",
         {0, kBefore, kBefore, kBefore, kBefore, kBefore, kBefore, kBefore}, "User ID|Alice"},
        {3, logs().historyA, 7, 6, "||After|   20| 39.0| 20.0|   50|NORMAL",
         {0, kAfter, kAfter, kAfter, kAfter, kAfter, kAfter, kAfter}, nullptr},
        {5, logs().alarmEventsA, 13, 2, "5/15/2024 10:00:00 AM|OXY|ALARM", {0, 0, 0}, "User ID|Alice"},
        {6, logs().troubleA, 12, 5, "5/18/2024 10:00:00 AM|System|WARN", {0, 0, 0}, nullptr},
        {7, logs().powerA, 12, 2, "5/14/2024 11:00:00 AM|OFF", {0, 0}, nullptr},
        // clang-format on
    };
    for (const auto& c : cases) {
        const std::string what = QString("kind %1 row %2").arg(c.kind).arg(c.row).toStdString();
        Open(c.kind, c.seqNo);
        ASSERT_EQ(table().Rows(), c.rows) << what;
        if (c.texts) {
            EXPECT_EQ(Row(table(), c.row), c.texts) << what;
        }
        EXPECT_EQ(Colors(table(), c.row), c.colors) << what;
        EXPECT_EQ(summary().Rows(), c.kind <= 2 ? 16 - 2 * c.kind : 6) << what;
        if (c.summary) {
            EXPECT_EQ(Row(summary(), c.kind <= 2 ? 9 : 5), c.summary) << what;
        }
    }
    // The interval summary: the header's figures, the minimum of the second gas only.
    Open(1, logs().intervalA0514);
    EXPECT_EQ(Row(summary(), 6), "Data Count|103|103|103|103");
    EXPECT_EQ(summary().columnSpan(6, 1), 4);  // shown as one wide cell
    EXPECT_EQ(Row(summary(), 8), "|CH4(%LEL)|OXY(VOL%)|H2S(ppm)|CO (ppm)");
    EXPECT_EQ(summary().CellBackColor(8, 2), ui::RGB(224, 224, 224));
    EXPECT_EQ(Texts(summary(), 11).mid(0, 2).join(u'|'), "Max Date/Time|05/14 10:49:00");
    EXPECT_EQ(Row(summary(), 12), "Min|-----| 20.9|-----|-----");
    EXPECT_EQ(table().TopRow(), 1);
    Open(2, logs().alarmA);
    EXPECT_EQ(table().TopRow(), 350);  // the alarm moment in view
    Open(1, logs().intervalA0614);     // a gas without a maximum shows no figures
    EXPECT_EQ(Row(summary(), 9), "Avg|   24| 20.9|-----|   24");
}

TEST_F(DataTable, IntervalSamplesAndEventsMergeInTimeOrder) {
    const QDateTime t = rt::MakeDate(2024, 5, 14, 10, 0, 0);
    CurInterval = std::make_shared<clsInterval>();
    clsInterval& r = *CurInterval;
    for (int g = 0; g < 5; ++g) {
        r.GasInfo().SetGasPoint(g, 1);
        r.AddValue(g, t, 1.0f + g);
        r.AddValue(g, t.addSecs(60), 2.0f + g);
        r.AddValue(g, t.addSecs(-60), 0.5f);  // stored out of order
    }
    r.AddEvents(1, t.addSecs(60), GasWarning);  // at a sample's moment
    r.AddEvents(4, t.addSecs(90), GasFailCal);  // the whole instrument's code
    CurDataType = 1;
    page.ShowDataList();
    ASSERT_EQ(table().Rows(), 5);
    EXPECT_EQ(Row(table(), 1), "1|5/14/2024 9:59:00 AM|  0.5|  0.5|  0.5|  0.5");
    EXPECT_EQ(Row(table(), 3), "3|5/14/2024 10:01:00 AM|  2.0|WARN(  3.0)|  4.0|  5.0");
    EXPECT_EQ(Colors(table(), 3), (std::vector<int32_t>{0, 0, 0, kOrange, 0, 0}));
    EXPECT_EQ(Row(table(), 4),
              "4|5/14/2024 10:01:30 AM|FAIL(Cal.)|FAIL(Cal.)|FAIL(Cal.)|FAIL(Cal.)");
    EXPECT_EQ(Colors(table(), 4), (std::vector<int32_t>{0, 0, kGrey, kGrey, kGrey, kGrey}));

    page.chkEvent->setChecked(true);  // "Event Only": the event rows, numbered afresh
    page.ShowDataList();
    ASSERT_EQ(table().Rows(), 3);
    EXPECT_EQ(Row(table(), 1), "1|5/14/2024 10:01:00 AM|  2.0|WARN(  3.0)|  4.0|  5.0");

    // Every record is shown, whatever its date.
    r.ClearDatas();
    r.AddValue(0, rt::MakeDate(1998, 1, 1), 1);
    r.AddEvents(0, rt::MakeDate(1997, 5, 1), GasAlarm);
    page.chkEvent->setChecked(false);
    page.ShowDataList();
    ASSERT_EQ(table().Rows(), 3);
    EXPECT_EQ(table().TextMatrix(1, 1), "5/1/1997");
    EXPECT_EQ(table().TextMatrix(2, 1), "1/1/1998");
}

TEST_F(DataTable, ANewLogStartsAtItsFirstRowWithItsOwnColumnAlignment) {
    page.show();
    Open(2, logs().alarmA);
    ASSERT_EQ(table().TopRow(), 350);  // the alarm moment in view
    Open(1, logs().intervalA0514);
    EXPECT_EQ(table().TopRow(), 1);
    table().SetTopRow(6);  // scrolled by the user
    ASSERT_EQ(table().TopRow(), 6);
    Open(1, logs().intervalA0614);
    EXPECT_EQ(table().TopRow(), 1);

    Open(3, logs().historyA);  // the values right-aligned
    ASSERT_EQ(table().ColAlignment(3), ui::FlexGrid::AlignRightCenter);
    ASSERT_TRUE(table().item(1, 3)->textAlignment() & Qt::AlignRight);
    Open(1, logs().intervalA0514);
    for (int col = 2; col <= 5; ++col) {
        EXPECT_EQ(table().ColAlignment(col), ui::FlexGrid::AlignGeneral) << col;
        EXPECT_FALSE(table().item(1, col)->textAlignment() & Qt::AlignRight) << col;
    }
    Open(3, logs().historyA);  // and the history again has its own
    EXPECT_TRUE(table().item(1, 3)->textAlignment() & Qt::AlignRight);
}

TEST_F(DataTable, UnreadableStoredValuesShowAsNoDataNeverAsAReadingOrADate) {
    {
        Database db(DatabasePath);
        const int32_t log = logs().intervalA0514;
        const auto row = [&](int offset, const QString& set) {
            db.execute("Update Interval_Data Set " + set +
                           " Where SeqNo = (Select SeqNo From Interval_Data Where RelNo = ? "
                           "Order By SeqNo Limit 1 Offset ?)",
                       {log, offset});
        };
        row(1, "Gas1Value = 'abc'");
        row(2, "Gas2Value = '1,5'");
        row(3, "Datetimes = '10:03'");
        db.execute("Update Log_head Set Dates = Null Where SeqNo = ?", {log});
    }
    Open(1, logs().intervalA0514);
    // Rows: sample 0, the first event, then samples 1, 2 and 3.
    EXPECT_EQ(Row(table(), 3), "3|5/14/2024 10:01:00 AM|-----| 20.9|  0.5|    1");
    EXPECT_EQ(Row(table(), 4), "4|5/14/2024 10:02:00 AM|    2|-----|  1.0|    2");
    EXPECT_EQ(Row(table(), 5), "5||    3| 20.9|  1.5|    3");
    EXPECT_EQ(table().Rows(), 104);  // nothing left out
    EXPECT_EQ(Texts(summary(), 2).mid(0, 2).join(u'|'), "Start Date/Time|");

    const QStringList lines = MakeSampleText(*CurInterval, ",").split("\r\n");
    EXPECT_TRUE(lines.contains("Start Date/Time,")) << lines.join(u'/').toStdString();
    EXPECT_TRUE(lines.contains("3,5/14/2024 10:01:00 AM,-----, 20.9,  0.5,    1"));
    EXPECT_TRUE(lines.contains("5,,    3, 20.9,  1.5,    3"));
}

TEST_F(DataTable, EverySampleIsShownAndExportedWhateverItsDate) {
    // From the third sample on the log's clock ran beyond 2199.
    Database(DatabasePath)
        .execute(
            "Update Interval_Data Set Datetimes = datetime(Datetimes, '+180 years') "
            "Where RelNo = ? And SeqNo > (Select Min(SeqNo) + 1 From Interval_Data Where "
            "RelNo = ?)",
            {logs().intervalA0514, logs().intervalA0514});
    Open(1, logs().intervalA0514);
    ASSERT_EQ(table().Rows(), 1 + 100 + 3);
    EXPECT_EQ(Texts(table(), 103).mid(0, 2).join(u'|'), "103|5/14/2204 11:39:00 AM");
    const QStringList lines = MakeSampleText(*CurInterval, ",").split("\r\n");
    EXPECT_TRUE(lines.contains("103,5/14/2204 11:39:00 AM,   49, 20.9,  0.5,    9"));
}

TEST_F(DataTable, Gas1InItsSecondUnitKeepsThatUnitsDecimalPlaces) {
    ConvEnable = true;
    Open(1, logs().intervalA0514);
    EXPECT_EQ(table().TextMatrix(0, 2), "CH4(vol%)");
    EXPECT_EQ(Row(table(), 7), "7|5/14/2024 10:05:00 AM|  0.3| 20.9|  2.5|    5");  // 0.25 vol%
    EXPECT_EQ(Row(summary(), 9), "Avg|  1.2| 20.9|  1.5|   24");
    EXPECT_EQ(Row(summary(), 10), "Max|  2.5| 20.9|  0.0|   19");
    Open(2, logs().alarmA);
    EXPECT_EQ(table().TextMatrix(361, 2), "  0.6");                 // 12.5 %LEL
    EXPECT_EQ(Row(summary(), 10), "Warn|-----| 19.5| 10.0|   25");  // the second unit's own
    EXPECT_EQ(UnitNames[1], "vol%");
    Open(3, logs().historyA);  // a calibration history is never converted
    EXPECT_EQ(table().TextMatrix(1, 3), "   17");
}

TEST_F(DataTable, AReloadWithoutRowsShowsNothingOfTheLogBefore) {
    for (const auto& [kind, seqNo] : {std::pair{3, logs().historyA},
                                      {5, logs().alarmEventsA},
                                      {6, logs().troubleA},
                                      {7, logs().powerA}}) {
        Open(kind, seqNo);
        ASSERT_GT(table().Rows(), 1) << kind;
        Open(kind, 999999);
        EXPECT_EQ(table().Rows(), 1) << kind;
        EXPECT_NE(summary().TextMatrix(3, 1), "SN1001") << kind;
    }
    EXPECT_TRUE(dialogs.messages().isEmpty());
}

TEST_F(DataTable, AFullIntervalLogShowsWholeWithItsHeadingRowInView) {
    int32_t full = 0;
    {
        FixtureBuilder b(DatabasePath);
        full = b.AddInterval(FixtureDatabase::A(), "full", rt::MakeDate(2024, 7, 1, 0, 0, 0), 4097,
                             60, 2049);
    }
    page.show();
    Open(1, full);
    ASSERT_EQ(table().Rows(), 4097 + 2049 + 1);
    EXPECT_EQ(Texts(table(), 6146).mid(0, 3).join(u'|'), "6146|7/15/2024 5:20:30 AM|WARNING");
    EXPECT_EQ(summary().TextMatrix(6, 1), "6146");

    const QTableView& heading = *table().FrozenRows();
    EXPECT_FALSE(heading.isVisible());
    table().SetTopRow(4000);
    EXPECT_EQ(table().TopRow(), 4000);
    ASSERT_TRUE(heading.isVisible());
    EXPECT_EQ(heading.geometry().top(), table().viewport()->geometry().top());
    EXPECT_EQ(heading.height(), table().rowHeight(0));
    EXPECT_EQ(heading.indexAt(QPoint(5, 5)).data().toString(), "No");
    // A row brought into view does not stay under the heading row.
    table().scrollTo(table().model()->index(3999, 0));
    EXPECT_EQ(table().verticalScrollBar()->value(), 3998);
    table().SetTopRow(1);
    EXPECT_FALSE(heading.isVisible());
}

}  // namespace
}  // namespace qv::test

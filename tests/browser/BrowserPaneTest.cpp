// The property pane of every kind of node and log, and the unit of gas 1.
#include "BrowserRig.h"

namespace qv::test {
namespace {

using BrowserPane = BrowserRig;
using Rows = std::vector<std::pair<int, QStringList>>;

TEST_F(BrowserPane, EveryKindShowsItsProperties) {
    Open();
    const FixtureLogs& l = logs();
    const struct {
        QString key;
        int rows, cols;
        Rows expected;
        bool detail, instrument;
    } cases[] = {
        {"05/24 M", 2, 2, {{0, {"Property", "Value"}}, {1, {"Type", "Folder"}}}, false, false},
        {Key(l.intervalA0514, 'G'),
         14,
         5,
         {{1, {"Name", "Tank 'A' run", "Tank 'A' run", "Tank 'A' run", "Tank 'A' run"}},
          {2,
           {"Start Date/Time", "5/14/2024 10:00:00 AM", "5/14/2024 10:00:00 AM",
            "5/14/2024 10:00:00 AM", "5/14/2024 10:00:00 AM"}},
          {6, {"Data Count", "103", "103", "103", "103"}},
          {8, {"", "CH4(%LEL)", "OXY(VOL%)", "H2S(ppm)", "CO (ppm)"}},
          {9, {"Avg", "   24", " 20.9", "  1.5", "   24"}},
          {10, {"Max", "   49", " 20.9", "  0.0", "   19"}},
          {11,
           {"Max Date/Time", "05/14 10:49:00", "05/14 10:49:00", "05/14 10:49:00",
            "05/14 10:49:00"}},
          {12, {"Min", "-----", " 20.9", "-----", "-----"}},
          {13, {"Min Date/Time", "-----", "05/14 10:00:00", "-----", "-----"}}},
         true,
         true},
        {Key(l.intervalA0614, 'G'),
         14,
         5,
         {{9, {"Avg", "   24", " 20.9", "-----", "   24"}},
          {11, {"Max Date/Time", "06/02 09:19:00", "06/02 09:19:00", "-----", "06/02 09:19:00"}}},
         true,
         true},
        {Key(l.alarmA, 'K'),
         13,
         5,
         {{2,
           {"Alarm Date/Time", "5/14/2024 12:00:00 PM", "5/14/2024 12:00:00 PM",
            "5/14/2024 12:00:00 PM", "5/14/2024 12:00:00 PM"}},
          {9, {"Full", "  100", " 40.0", "100.0", "  500"}},
          {10, {"Warn", "   10", " 19.5", " 10.0", "   25"}},
          {11, {"Alarm", "   50", " 23.5", " 30.0", "   50"}},
          {12, {"Value", "   13", "ALARM", "  0.0", "-----"}}},
         true,
         true},
        // No alarm moment: nothing of the trend shown before.
        {Key(l.alarmShortA, 'K'),
         13,
         5,
         {{12, {"Value", "-----", "-----", "-----", "-----"}}},
         true,
         true},
        {Key(l.historyA, 'H'),
         11,
         4,
         {{0, {"DateTime", "Gas", "Before", "After"}},
          {1, {"5/17/2024 10:00:00 AM", "CH4", "   17", "   20"}},
          {2, {"", "OXY", " 36.0", " 39.0"}},
          {5, {"5/14/2024 10:00:00 AM", "CH4", "   18", "   20"}},
          {9, {"", "", "", ""}},
          {10, {"...", "Total", "3", "Datas"}}},
         true,
         false},
        {Key(l.alarmEventsA, 'V'),
         11,
         3,
         {{0, {"DateTime", "Gas", "Event"}},
          {1, {"5/25/2024 10:00:00 AM", "CO ", "NORM"}},
          {2, {"5/24/2024 10:00:00 AM", "H2S", "STL"}},
          {8, {"5/18/2024 10:00:00 AM", "CH4", "WARN"}},
          {9, {"", "", ""}},
          {10, {"...", "Total", "12 Datas"}}},
         true,
         false},
        {Key(l.alarmEventsC, 'V'),
         11,
         3,
         {{10, {"12/1/2023 4:45:00 PM", "CH4", "WARN"}}},
         true,
         false},
        {Key(l.troubleA, 'W'),
         11,
         3,
         {{0, {"DateTime", "Sensor/System", "Event"}},
          {1, {"5/24/2024 10:00:00 AM", "System", "STL"}},
          {4, {"5/21/2024 10:00:00 AM", "OXY", "NORM"}},
          {6, {"5/19/2024 10:00:00 AM", "", "ALARM"}},  // a sensor number outside the table
          {10, {"...", "Total", "11 Datas"}}},
         true,
         false},
        {Key(l.powerA, 'P'),
         11,
         2,
         {{0, {"DateTime", "Power"}},
          {1, {"5/14/2024 8:00:00 PM", "ON"}},
          {2, {"5/14/2024 7:00:00 PM", "OFF"}},
          {10, {"...", "Total 11 Datas"}}},
         true,
         false},
    };
    for (const auto& c : cases) {
        page.cmdDetail->setEnabled(!c.detail);
        page.cmdLogInst->setEnabled(!c.instrument);
        page.ShowLogProperty(c.key);
        EXPECT_EQ(page.vfgLog->Rows(), c.rows) << c.key.toStdString();
        EXPECT_EQ(page.vfgLog->Cols(), c.cols) << c.key.toStdString();
        for (const auto& [row, texts] : c.expected)
            EXPECT_EQ(PaneRow(row), texts) << c.key.toStdString() << " row " << row;
        EXPECT_EQ(page.cmdDetail->isEnabled(), c.detail) << c.key.toStdString();
        EXPECT_EQ(page.cmdLogInst->isEnabled(), c.instrument) << c.key.toStdString();
    }
}

TEST_F(BrowserPane, TrendDecorationAndAlarmMarks) {
    Open();
    page.ShowLogProperty(Key(logs().alarmA, 'K'));
    EXPECT_EQ(PaneColor(8, 1), ui::RGB(224, 224, 224));
    const std::array<int32_t, 4> marks{0, ui::RGB(255, 0, 0), 0, 0};
    for (int col = 1; col <= 4; ++col)
        EXPECT_EQ(PaneColor(12, col), marks[static_cast<size_t>(col - 1)]) << col;
    EXPECT_EQ(page.vfgLog->columnSpan(1, 1), 4);  // the name runs across the value columns
    EXPECT_EQ(page.vfgLog->columnSpan(0, 1), 4);
    EXPECT_EQ(page.vfgLog->columnSpan(12, 1), 1);
    EXPECT_EQ(page.vfgLog->ColAlignment(1), ui::FlexGrid::AlignLeftCenter);
    EXPECT_EQ(UnitGasName, "CH4");
    EXPECT_EQ(UnitNames[1], "vol%");

    // In the second unit gas 1 shows channel 4's caption and levels, its value converted.
    ConvEnable = true;
    page.ShowLogProperty(Key(logs().alarmA, 'K'));
    EXPECT_EQ(PaneRow(8)[1], "CH4(vol%)");
    EXPECT_EQ(PaneRow(9)[1], "100.0");
    EXPECT_EQ(PaneRow(10)[1], "-----");
    EXPECT_EQ(PaneRow(12)[1], "  0.6");
    ConvEnable = false;

    // A key whose header is gone shows the heading row only and keeps the buttons.
    page.cmdDetail->setEnabled(false);
    page.ShowLogProperty("9999 G");
    EXPECT_EQ(page.vfgLog->Rows(), 14);
    EXPECT_EQ(PaneRow(1), (QStringList{"", "", "", "", ""}));
    EXPECT_FALSE(page.cmdDetail->isEnabled());
    page.ShowLogProperty("9999 W");
    EXPECT_EQ(page.vfgLog->Rows(), 2);
}

TEST_F(BrowserPane, TheUnitMenuSwitchesGasOne) {
    Open();
    page.tvwLog_NodeClick(Path({"05/24", "Interval Trend"}));
    const QString a = Key(logs().intervalA0514, 'G');
    page.lvwLog->SetSelectedKey(a);
    page.lvwLog_ItemClick(a);
    ASSERT_EQ(CurDataType, 1);

    // The left button, and a log of another kind, open no menu.
    page.vfgLog_MouseUp(1, 0, 100, 100);
    CurDataType = 5;
    page.vfgLog_MouseUp(2, 0, 100, 100);
    EXPECT_TRUE(dialogs.asked().empty());
    CurDataType = 1;

    dialogs.AnswerMenu("vol%");
    page.vfgLog_MouseUp(2, 0, 100, 100);
    ASSERT_EQ(dialogs.asked().size(), 1u);
    EXPECT_EQ(page.mnuUnit->text(), "CH4");
    EXPECT_TRUE(ConvEnable);
    EXPECT_EQ(SettingsChanged, 1);  // kept for the next start
    EXPECT_TRUE(page.unitname[1]->isChecked());
    EXPECT_EQ(PaneRow(8)[1], "CH4(vol%)");
    EXPECT_EQ(PaneRow(9)[1], "  1.2");  // 24 %LEL is 1.2 vol%, in the second unit's decimals
    EXPECT_EQ(PaneRow(9)[2], " 20.9");

    // The unit already chosen redraws all the same; the data view's menu rebuilds that view.
    page.vfgLog->SetTextMatrix(9, 1, "stale");
    dialogs.AnswerMenu("vol%");
    page.vfgLog_MouseUp(2, 0, 100, 100);
    EXPECT_EQ(PaneRow(9)[1], "  1.2");
    dialogs.AnswerMenu("%LEL");
    page.PopupUnits("1");
    EXPECT_FALSE(ConvEnable);
    EXPECT_EQ(calls, QStringList{"data view"});
    EXPECT_EQ(PaneRow(9)[1], "  1.2");  // the pane is left as it was
}

}  // namespace
}  // namespace qv::test

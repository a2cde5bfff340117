// Grid rows, event colours, the alarm moment, the database's indexes, and the keyed tree and
// list that the stored-data page stands on.
#include "Database.h"
#include "FlexGrid.h"
#include "KeyedList.h"
#include "KeyedTree.h"
#include "ScriptedDialogs.h"
#include "TestSupport.h"
#include "Twips.h"
#include "modDatabase.h"
#include "modGlobals.h"
#include "modMessage.h"
#include "modViewSupport.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QHeaderView>
#include <QMenu>
#include <QMouseEvent>
#include <QTemporaryDir>

namespace qv::test {
namespace {

using ui::RGB;

QStringList Row(const ui::FlexGrid& grid, int row) {
    QStringList texts;
    for (int c = 0; c < grid.Cols(); ++c)
        texts << grid.TextMatrix(row, c);
    return texts;
}

TEST(GridRows, FillGridRowClipsAndFillsTheRest) {
    SetCatalogueLanguage(CatalogueLanguage::English);
    ui::FlexGrid grid;
    grid.SetCols(6);
    grid.SetRows(3);
    const struct {
        int startCol;
        bool fillRest;
        QVariantList values;
        QStringList row;
    } cases[] = {
        {0, false, {1, 2, 3, 4, 5, 6, 7}, {"1", "2", "3", "4", "5", "6"}},
        {6, true, {"x"}, {"", "", "", "", "", ""}},
        {1,
         true,
         {"a", 2.5f, QDateTime(QDate(2024, 5, 14), QTime(13, 5, 0))},
         {"", "a", "2.5", "5/14/2024 1:05:00 PM", "5/14/2024 1:05:00 PM", "5/14/2024 1:05:00 PM"}},
        {0, false, {QVariant(), QString("b")}, {"", "b", "", "", "", ""}},
    };
    for (const auto& c : cases) {
        grid.Clear();
        FillGridRow(grid, 1, c.startCol, c.fillRest, c.values);
        EXPECT_EQ(Row(grid, 1), c.row) << c.startCol;
    }
    FillGridRow(grid, 1, 0, false, {"q", "q", "q", "q", "q", "q"});
    FillGridRow(grid, 1, 2, true, {});
    EXPECT_EQ(Row(grid, 1), (QStringList{"q", "q", "", "", "", ""}));
    FollowSystemLanguage();
}

TEST(GridRows, EventColours) {
    const struct {
        int32_t code, current, colour;
    } cases[] = {
        {0, 0, 0},
        {-1, 0, 0},
        {-1, RGB(1, 1, 1), RGB(192, 192, 192)},
        {0, RGB(255, 0, 0), RGB(192, 192, 192)},
        {-2, 0, RGB(64, 192, 128)},
        {-4, RGB(9, 9, 9), RGB(255, 0, 0)},
        {-7, 0, RGB(255, 64, 64)},
        {-15, 0, RGB(255, 64, 64)},
        {-11, 0, RGB(128, 128, 128)},
        {-16, 0, RGB(128, 255, 192)},
        {-17, RGB(1, 1, 1), 0},
        {12, 0, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(GetEventColor(c.code, c.current), c.colour) << c.code;
}

// An alarm trend of `samples` rows under RelNo 7, stored out of SeqNo order, with the moment's
// values given and Gas5Value left Null as the program stores it.
void StoreAlarmTrend(int samples, std::array<float, 4> moment) {
    Database db(DatabasePath);
    for (int i = samples - 1; i >= 0; --i) {
        const bool atMoment = i == AlarmMomentRow;
        db.execute(
            "Insert Into Alarm_Data(SeqNo,RelNo,Datetimes,Gas1Value,Gas2Value,Gas3Value,"
            "Gas4Value) Values (?,?,?,?,?,?,?)",
            {100 + i, 7, QString("2024-01-01 00:00:00"), atMoment ? moment[0] : 1.0f,
             atMoment ? moment[1] : 20.9f, atMoment ? moment[2] : -4.0f,
             atMoment ? moment[3] : 0.0f});
    }
}

TEST(AlarmMoment, TheMomentsValuesAndMarksStartAfreshForEachTrend) {
    ScratchDatabase scratch;
    std::array<float, 6> values{};
    std::array<bool, 6> flags{};
    StoreAlarmTrend(361, {0, -1, -4, -9});
    MarkAlarmGases(7, values, flags);
    EXPECT_EQ(values[0], 0);
    EXPECT_EQ(values[1], -1);
    EXPECT_EQ(values[2], -4);
    EXPECT_EQ(values[3], -9);
    EXPECT_EQ(values[4], -12);  // a Null column
    EXPECT_EQ(flags, (std::array<bool, 6>{false, false, true, true, false, false}));

    // A trend without a moment never shows the previous trend's values.
    Database(DatabasePath).execute("Delete From Alarm_Data Where SeqNo >= ?", {100 + 300});
    MarkAlarmGases(7, values, flags);
    EXPECT_EQ(values, (std::array<float, 6>{-1, -1, -1, -1, -1, -1}));
    EXPECT_EQ(flags, (std::array<bool, 6>{}));
}

TEST(DatabaseIndexes, MadeWithTheFileAndAddedToOlderFiles) {
    QTemporaryDir dir;
    const QString path = dir.filePath("QV4170.mdb");
    MakeDatabase(path);
    Database db(path);
    const auto indexes = [&] {
        return db
            .scalar(
                "Select Count(*) From sqlite_master Where type = 'index' And name Like "
                "'%RelNo'")
            .toInt();
    };
    EXPECT_EQ(indexes(), 8);
    for (const char* table : {"Interval_Data", "Power_Event", "Gas_List"})
        db.execute(QString("Drop Index %1RelNo").arg(table));
    EXPECT_EQ(indexes(), 5);
    EnsureIndexes(db);
    EnsureIndexes(db);
    EXPECT_EQ(indexes(), 8);
    const QString plan =
        db.query("Explain Query Plan Select * From Interval_Data Where RelNo = ?", {1})
            .front()
            .toText("detail", "");
    EXPECT_TRUE(plan.contains("Interval_DataRelNo")) << plan.toStdString();
}

TEST(DatabaseOrphans, GasRowsWithoutAHeaderGoAndTheOthersStay) {
    QTemporaryDir dir;
    const QString path = dir.filePath("QV4170.mdb");
    MakeDatabase(path);
    Database db(path);
    db.execute("Insert Into Log_head (SeqNo, Names, Types) Values (2, 'kept', 1)");
    const QVariantList relNos{2, 2, 1, 3, QVariant()};
    for (qsizetype i = 0; i < relNos.size(); ++i)
        db.execute("Insert Into Gas_List (SeqNo, RelNo, GasNo) Values (?, ?, ?)",
                   {i + 1, relNos[i], i});
    EXPECT_EQ(RemoveOrphanGasRows(db), 3);
    EXPECT_EQ(db.scalar("Select Group_Concat(SeqNo) From Gas_List").toString(), "1,2");
    EXPECT_EQ(RemoveOrphanGasRows(db), 0);
}

TEST(KeyedViews, KeysCaseBlindSortingAndPresses) {
    ScriptedDialogs dialogs;
    ui::KeyedTree tree;
    ASSERT_NE(tree.AddNode("", "0 #", "Root", "", ""), nullptr);
    ASSERT_NE(tree.AddNode("0 #", "AB S", "AB", "", ""), nullptr);
    EXPECT_EQ(tree.AddNode("0 #", "ab S", "ab", "", ""), nullptr);  // in use, whatever the case
    EXPECT_EQ(tree.AddNode("no such", "X S", "X", "", ""), nullptr);
    ASSERT_NE(tree.AddNode("0 #", "ab~2 S", "ab", "", ""), nullptr);
    EXPECT_EQ(tree.ChildKeys("0 #"), (QStringList{"AB S", "ab~2 S"}));
    EXPECT_EQ(tree.ParentKey("ab~2 S"), "0 #");

    ui::KeyedList list;
    list.resize(400, 300);
    list.show();
    list.AddColumn("1 C", "Name", 3000);
    list.AddColumn("2 C", "Serial", 1500);
    EXPECT_NEAR(list.header()->sectionSize(1), ui::ToPixelsX(1500), 1);
    for (const char* name : {"b", "C", "a"})
        list.AddItem(QString("%1 G").arg(name), name, "", "", {QString(name).toUpper()});
    list.SetSorted(true);
    EXPECT_EQ(list.Keys(), (QStringList{"a G", "b G", "C G"}));
    list.SetSortOrder(1);
    list.AddItem("d G", "d", "", "");  // a sorted list takes a new item in its place
    EXPECT_EQ(list.Keys(), (QStringList{"d G", "C G", "b G", "a G"}));
    list.RemoveItem("b G");
    EXPECT_EQ(list.SubItem("C G", 1), "C");

    // A left press reports itself, then selects and clicks (right presses: RightPressTest).
    QStringList seen;
    list.ItemClick = [&](const QString& key) { seen << key; };
    list.MouseDown = [&](int button, int, double x, double y) {
        seen << QString("%1 on %2").arg(button).arg(list.HitTest(x, y));
    };
    const QPoint at = list.visualItemRect(list.Item("d G")).center();
    for (const auto type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent event(type, at, list.viewport()->mapToGlobal(at), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(list.viewport(), &event);
    }
    EXPECT_EQ(list.SelectedKey(), "d G");
    EXPECT_EQ(seen, (QStringList{"1 on d G", "d G"}));

    // Removing another row keeps the selection; removing the selected one selects the row in
    // its place, and names it.
    EXPECT_EQ(list.RemoveItem("C G"), "");
    EXPECT_EQ(list.SelectedKey(), "d G");
    EXPECT_EQ(list.RemoveItem("d G"), "a G");
    EXPECT_EQ(list.SelectedKey(), "a G");
    EXPECT_EQ(list.currentItem(), list.Item("a G"));
    EXPECT_EQ(list.RemoveItem("a G"), "");
    EXPECT_EQ(list.SelectedKey(), "");

    QMenu menu;
    menu.addAction("Delete");
    dialogs.AnswerMenu("Delete");
    ASSERT_NE(ui::KeyedItemView::PopupMenu(menu), nullptr);
}

}  // namespace
}  // namespace qv::test

// A right press selects the row under the mouse before its pop-up menu opens, so that what the
// menu acts on is the row the user sees selected: on the keyed list and the grid, on the
// stored-data page's list and tree, and on the calibration history page.
#include "BrowserRig.h"
#include "CalHistoryPage.h"
#include "KeyedList.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>

namespace qv::test {
namespace {

void Click(QWidget& viewport, const QPoint& at, Qt::MouseButton button,
           Qt::KeyboardModifiers keys = Qt::NoModifier) {
    for (const auto type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent event(type, at, viewport.mapToGlobal(at), button,
                          type == QEvent::MouseButtonPress ? button : Qt::NoButton, keys);
        QCoreApplication::sendEvent(&viewport, &event);
    }
}

void Click(ui::KeyedItemView& view, const QString& key, Qt::MouseButton button) {
    Click(*view.viewport(), view.visualItemRect(view.Item(key)).center(), button);
}

void Click(ui::FlexGrid& grid, int row, int col, Qt::MouseButton button,
           Qt::KeyboardModifiers keys = Qt::NoModifier) {
    Click(*grid.viewport(), grid.visualRect(grid.model()->index(row, col)).center(), button, keys);
}

QList<int> SelectedRows(const ui::FlexGrid& grid) {
    QList<int> rows;
    for (const QModelIndex& index : grid.selectionModel()->selectedRows())
        rows << index.row();
    return rows;
}

TEST(RightPressLayers, SelectsTheItemOrRowBeforeItsEventRuns) {
    ui::KeyedList list;
    list.resize(400, 300);
    list.show();
    list.AddColumn("1 C", "Name", 3000);
    for (const char* name : {"a", "b", "c"})
        list.AddItem(QString("%1 G").arg(name), name, "", "");
    QStringList seen;
    list.ItemClick = [&](const QString& key) { seen << "click " + key; };
    list.MouseDown = [&](int button, int, double x, double y) {
        seen << QString("%1 on %2, selected %3")
                    .arg(button)
                    .arg(list.HitTest(x, y), list.SelectedKey());
    };
    Click(list, "a G", Qt::LeftButton);
    Click(list, "c G", Qt::RightButton);
    // On the item already selected a right press changes nothing.
    Click(list, "c G", Qt::RightButton);
    EXPECT_EQ(seen, (QStringList{"1 on a G, selected ", "click a G", "click c G",
                                 "2 on c G, selected c G", "2 on c G, selected c G"}));
    EXPECT_EQ(list.SelectedKey(), "c G");
    // On empty space nothing is selected.
    seen.clear();
    Click(*list.viewport(), QPoint(10, list.viewport()->height() - 5), Qt::RightButton);
    EXPECT_EQ(seen, QStringList{"2 on , selected c G"});

    ui::FlexGrid grid;
    grid.resize(400, 300);
    grid.show();
    grid.SetCols(3);
    grid.SetRows(5);
    grid.SetSelectionByRow(true);
    int rowAtMouseUp = -1;
    grid.MouseUp = [&](int button, int, double, double) {
        if (button == ui::RightButton) rowAtMouseUp = grid.Row();
    };
    Click(grid, 1, 1, Qt::LeftButton);
    EXPECT_EQ(SelectedRows(grid), QList<int>{1});
    Click(grid, 3, 2, Qt::RightButton);
    EXPECT_EQ(rowAtMouseUp, 3);
    EXPECT_EQ(SelectedRows(grid), QList<int>{3});
    // Held keys make no difference: the row under the mouse is current and selected.
    for (const auto keys : {Qt::ShiftModifier, Qt::ControlModifier}) {
        Click(grid, 1, 0, Qt::LeftButton);
        Click(grid, 4, 1, Qt::RightButton, keys);
        EXPECT_EQ(rowAtMouseUp, 4) << keys;
        EXPECT_EQ(SelectedRows(grid), QList<int>{4}) << keys;
    }
    // A heading cell is no row to act on: the selection stays.
    Click(grid, 0, 1, Qt::RightButton);
    EXPECT_EQ(SelectedRows(grid), QList<int>{4});
}

// The Menu key (a keyboard context-menu event) and Shift+F10 are a right press on the current
// item of the list and a right release on the current cell of the grid: the item is selected
// and clicked first, the events carry the item's point, and a menu opened from them opens
// there. Without a current item, or for the mouse's own menu event, nothing happens.
TEST(RightPressLayers, TheMenuKeysPressTheCurrentItem) {
    const auto menuKey = [](QWidget& w) {
        QContextMenuEvent menu(QContextMenuEvent::Keyboard, QPoint(1, 1),
                               w.mapToGlobal(QPoint(1, 1)));
        QCoreApplication::sendEvent(&w, &menu);
    };
    const auto shiftF10 = [](QWidget& w) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_F10, Qt::ShiftModifier);
        QCoreApplication::sendEvent(&w, &press);
    };
    const auto mouseMenu = [](QWidget& w) {
        QContextMenuEvent menu(QContextMenuEvent::Mouse, QPoint(1, 1), w.mapToGlobal(QPoint(1, 1)));
        QCoreApplication::sendEvent(&w, &menu);
    };
    ScriptedDialogs dialogs;
    QMenu menu;
    menu.addAction("Delete");

    ui::KeyedList list;
    list.resize(400, 300);
    list.show();
    list.AddColumn("1 C", "Name", 3000);
    for (int i = 0; i < 40; ++i)
        list.AddItem(QString("%1 G").arg(i), QString::number(i), "", "");
    QStringList seen;
    list.ItemClick = [&](const QString& key) { seen << "click " + key; };
    list.MouseDown = [&](int button, int shift, double x, double y) {
        seen << QString("%1 %2 on %3").arg(button).arg(shift).arg(list.HitTest(x, y));
        ui::KeyedItemView::PopupMenu(menu);
    };
    menuKey(list);
    EXPECT_TRUE(seen.isEmpty());
    // The current item, out of view and not selected: brought into view, clicked, pressed.
    list.setCurrentItem(list.Item("35 G"), 0, QItemSelectionModel::NoUpdate);
    list.scrollToTop();
    dialogs.AnswerMenu("");
    menuKey(list);
    EXPECT_EQ(seen, (QStringList{"click 35 G", "2 0 on 35 G"}));
    EXPECT_EQ(list.SelectedKey(), "35 G");
    const QRect item = list.visualItemRect(list.Item("35 G"));
    ASSERT_TRUE(list.viewport()->rect().contains(item));
    EXPECT_TRUE(item.contains(list.viewport()->mapFromGlobal(dialogs.asked().back().place)));
    // Selected already: pressed only; the Shift of Shift+F10 is no shift key held.
    seen.clear();
    dialogs.AnswerMenu("");
    shiftF10(list);
    mouseMenu(list);
    EXPECT_EQ(seen, QStringList{"2 0 on 35 G"});

    ui::FlexGrid grid;
    grid.resize(300, 200);
    grid.show();
    grid.SetCols(8);
    grid.SetRows(100);
    grid.SetSelectionByRow(true);
    QList<QPoint> ups;
    grid.MouseUp = [&](int button, int, double x, double y) {
        if (button != ui::RightButton) return;
        ups << QPoint(ui::ToPixelsX(x), ui::ToPixelsY(y));
        ui::KeyedItemView::PopupMenu(menu);
    };
    grid.setCurrentCell(-1, -1);
    menuKey(grid);
    EXPECT_TRUE(ups.isEmpty());
    grid.setCurrentCell(80, 6, QItemSelectionModel::NoUpdate);
    dialogs.AnswerMenu("");
    shiftF10(grid);
    mouseMenu(grid);
    ASSERT_EQ(ups.size(), 1);
    const QRect cell = grid.visualRect(grid.currentIndex());
    ASSERT_TRUE(grid.viewport()->rect().contains(cell));
    EXPECT_TRUE(cell.contains(ups[0] - grid.viewport()->geometry().topLeft()));
    EXPECT_TRUE(cell.contains(grid.viewport()->mapFromGlobal(dialogs.asked().back().place)));
    EXPECT_EQ(SelectedRows(grid), QList<int>{80});
    // A heading cell opens the menu as a right release on it does, and selects nothing.
    grid.setCurrentCell(0, 1, QItemSelectionModel::NoUpdate);
    dialogs.AnswerMenu("");
    menuKey(grid);
    EXPECT_EQ(ups.size(), 2);
    EXPECT_EQ(SelectedRows(grid), QList<int>{80});
    EXPECT_TRUE(dialogs.unscripted().empty());
}

using RightPressPage = BrowserRig;

TEST_F(RightPressPage, TheDeleteMenuNamesTheLogTheListAndPaneShow) {
    Open();
    const QString category = Path({"05/24", "Interval Trend"});
    page.tvwLog->SetSelectedKey(category);
    Press(*page.tvwLog, category, Qt::LeftButton);
    const QString first = page.lvwLog->Keys().front();
    const QString other = Key(logs().intervalB, 'G');
    ASSERT_NE(first, other);
    dialogs.AnswerMenu("Delete");
    dialogs.AnswerMsgBox(vbNo);
    Press(*page.lvwLog, other, Qt::RightButton);
    EXPECT_EQ(page.mnuDelete->data().toString(), other);
    EXPECT_EQ(page.lvwLog->SelectedKey(), other);
    EXPECT_EQ(page.vfgLog->TextMatrix(1, 1), "tank b");
    EXPECT_EQ(CurSeqNo, logs().intervalB);
    EXPECT_EQ(LastMessage(), GetMessage(5327, {"tank b"}));
    // A right press is no press for a double click.
    EXPECT_EQ(page.ClickedLogKey, category);

    // On the tree: the node pressed is selected and listed.
    const QString folder = Path({"06/24"});
    dialogs.AnswerMenu("Delete");
    dialogs.AnswerMsgBox(vbNo);
    Press(*page.tvwLog, folder, Qt::RightButton);
    EXPECT_EQ(page.tvwLog->SelectedKey(), folder);
    EXPECT_EQ(page.lvwLog->Keys(), QStringList{"06/24 I"});
    EXPECT_EQ(LastMessage(), GetMessage(5339));
    EXPECT_EQ(Count("Log_head"), 16);
}

TEST(RightPressCalHistory, TheMenuActsOnTheRowItSelects) {
    FixtureDatabase fixture;
    ScriptedDialogs dialogs;
    SetCatalogueLanguage(CatalogueLanguage::English);
    {
        Database db(DatabasePath);
        // Newest first: A, C, E.
        int32_t key = 0;
        for (const FixtureIdentity& id :
             {FixtureDatabase::A(), FixtureDatabase::C(), FixtureDatabase::E()}) {
            ++key;
            db.execute(
                "Insert Into cLatestHist (SeqNo, SerialNo, StationID, UserID, WriteDates, "
                "CalLimit) Values (?, ?, ?, ?, ?, 180)",
                {key, id.serial, id.station, id.user,
                 QDateTime(QDate(2024, 6, 10 - key), QTime(12, 0))});
        }
    }
    bool firstActivate = false, inSelChange = false;
    CalHistoryPage page;
    page.Bind({firstActivate, inSelChange, [] { PasswordOK = true; }, {}});
    page.SetCaptions();
    page.resize(ui::ToPixelsX(12000), ui::ToPixelsY(6000));
    page.show();
    page.optHistory[1]->setChecked(true);  // every instrument, one row each
    page.ShowCalHistory();
    page.LayoutPage();
    ui::FlexGrid& grid = *page.vfgHistory;
    ASSERT_EQ(grid.Rows(), 4);
    EXPECT_EQ(grid.TextMatrix(3, 1), "12");

    Click(grid, 1, 2, Qt::LeftButton);
    dialogs.AnswerMenu("Delete");
    dialogs.AnswerMsgBox(vbNo);
    Click(grid, 3, 2, Qt::RightButton);
    Click(grid, 1, 2, Qt::LeftButton);
    dialogs.AnswerMenu("Delete");
    dialogs.AnswerMsgBox(vbNo);
    Click(grid, 2, 2, Qt::RightButton, Qt::ShiftModifier);
    EXPECT_EQ(dialogs.messages(),
              (QStringList{GetMessage(5357, {"12"}), GetMessage(5357, {"SN2002"})}));
    EXPECT_EQ(SelectedRows(grid), QList<int>{2});
    FollowSystemLanguage();
}

}  // namespace
}  // namespace qv::test

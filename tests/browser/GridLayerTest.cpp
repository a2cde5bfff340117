// The grid control's cells, merging, selection and edit events.
#include "FlexGrid.h"
#include "MouseCodes.h"
#include "Twips.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>

namespace qv::test {
namespace {

using ui::FlexGrid;

// Sends a key; the editor commits Return after its own handling, so posted work runs too.
void Key(QWidget* target, int key, const QString& text = {}) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(target, &press);
    QCoreApplication::sendPostedEvents();
}

void Mouse(FlexGrid& grid, QEvent::Type type, Qt::MouseButton button, QPoint at) {
    QMouseEvent event(type, at, grid.viewport()->mapToGlobal(at), button, button, Qt::NoModifier);
    QCoreApplication::sendEvent(grid.viewport(), &event);
}

TEST(GridCells, CurrentCellColoursChecksAndClear) {
    FlexGrid grid;
    grid.SetCols(3);
    grid.SetRows(4);
    grid.SetTextMatrix(1, 1, "a");
    grid.SetRow(2);
    grid.SetCol(1);
    EXPECT_EQ(grid.Row(), 2);
    EXPECT_EQ(grid.Col(), 1);
    grid.SetCellBackColor(ui::RGB(255, 0, 0));
    grid.SetCellForeColor(ui::RGB(0, 0, 255));
    EXPECT_EQ(grid.CellBackColor(), ui::RGB(255, 0, 0));
    EXPECT_EQ(grid.item(2, 1)->background().color(), QColor(255, 0, 0));
    EXPECT_EQ(grid.CellChecked(), FlexGrid::NoCheckbox);
    grid.SetCellChecked(FlexGrid::Checked);
    EXPECT_EQ(grid.CellChecked(), FlexGrid::Checked);
    grid.SetCellChecked(FlexGrid::Unchecked);
    EXPECT_EQ(grid.CellChecked(), FlexGrid::Unchecked);
    // A row outside the grid leaves the current cell where it was.
    grid.SetRow(9);
    EXPECT_EQ(grid.Row(), 2);

    // Colour 0: the cell shows the grid's own again.
    grid.SetRow(1);
    grid.SetCellBackColor(ui::RGB(1, 2, 3));
    grid.SetCellBackColor(0);
    EXPECT_EQ(grid.CellBackColor(), 0);
    EXPECT_EQ(grid.item(1, 1)->background().style(), Qt::NoBrush);

    grid.SetMergeCells(FlexGrid::MergeRestrictRows);
    grid.SetMergeRow(1, true);
    grid.Clear();
    EXPECT_EQ(grid.Rows(), 4);
    EXPECT_EQ(grid.Cols(), 3);
    EXPECT_EQ(grid.TextMatrix(1, 1), "");
    grid.SetRow(2);
    grid.SetCol(1);
    EXPECT_EQ(grid.CellBackColor(), 0);
    EXPECT_EQ(grid.CellChecked(), FlexGrid::NoCheckbox);
    EXPECT_FALSE(grid.MergeRow(1));
    // Headings keep their look after a clear.
    EXPECT_FALSE(grid.item(0, 2)->flags() & Qt::ItemIsEditable);
}

TEST(GridCells, MergedRowsJoinEqualNeighbours) {
    FlexGrid grid;
    grid.SetCols(5);
    grid.SetRows(3);
    for (int c = 0; c < 5; ++c) {
        grid.SetTextMatrix(1, c, c == 0 ? "Name" : "log");
        grid.SetTextMatrix(2, c, c == 0 ? "Name" : "log");
    }
    grid.SetMergeRow(1, true);
    EXPECT_EQ(grid.columnSpan(1, 1), 1);  // merge setting still off
    grid.SetMergeCells(FlexGrid::MergeRestrictRows);
    EXPECT_EQ(grid.columnSpan(1, 1), 4);
    EXPECT_EQ(grid.columnSpan(2, 1), 1);  // not marked
    grid.SetTextMatrix(1, 3, "other");
    EXPECT_EQ(grid.columnSpan(1, 1), 2);
    EXPECT_EQ(grid.columnSpan(1, 3), 1);
    grid.SetMergeRow(1, false);
    EXPECT_EQ(grid.columnSpan(1, 1), 1);
}

TEST(GridCells, AlignmentSelectionAndTopRow) {
    FlexGrid grid;
    grid.resize(300, 200);
    grid.SetCols(3);
    grid.SetRows(400);
    grid.SetTextMatrix(5, 2, "7");
    grid.SetColAlignment(2, FlexGrid::AlignRightCenter);
    EXPECT_EQ(grid.item(5, 2)->textAlignment(), int(Qt::AlignRight | Qt::AlignVCenter));
    grid.SetTextMatrix(6, 2, "8");  // a cell made later takes the column's alignment
    EXPECT_EQ(grid.item(6, 2)->textAlignment(), int(Qt::AlignRight | Qt::AlignVCenter));
    EXPECT_EQ(grid.ColAlignment(2), FlexGrid::AlignRightCenter);

    int selChanges = 0;
    grid.SelChange = [&] { ++selChanges; };
    grid.SetSelectionByRow(true);
    grid.SetRow(3);
    grid.SetRowSel(6);
    EXPECT_EQ(grid.RowSel(), 6);
    EXPECT_EQ(grid.selectedRanges().value(0).rowCount(), 4);
    EXPECT_EQ(grid.selectedRanges().value(0).columnCount(), 3);
    EXPECT_GT(selChanges, 0);
    // Keeping the selection to the current row from inside the event ends the chain.
    bool inside = false;
    grid.SelChange = [&] {
        if (inside) return;
        inside = true;
        grid.SetRowSel(grid.Row());
        inside = false;
    };
    grid.SetRowSel(8);
    EXPECT_EQ(grid.RowSel(), 3);

    grid.SetTopRow(350);
    EXPECT_EQ(grid.TopRow(), 350);
}

class GridEditing : public ::testing::Test {
  protected:
    void SetUp() override {
        grid.SetCols(3);
        grid.SetRows(4);
        grid.SetTextMatrix(1, 1, "10");
        grid.resize(400, 200);
        grid.show();
        grid.SetRow(1);
        grid.SetCol(1);
    }
    QLineEdit* Editor() { return qobject_cast<QLineEdit*>(grid.indexWidget(grid.currentIndex())); }

    FlexGrid grid;
};

TEST_F(GridEditing, DisplayGridsAreReadOnly) {
    grid.EditCell();
    EXPECT_FALSE(grid.Editing());
    EXPECT_EQ(Editor(), nullptr);
}

TEST_F(GridEditing, ValidateRefusalKeepsTheEditorOpenAndStoresNothing) {
    grid.SetEditable(true);
    QStringList events;
    grid.BeforeEdit = [&](int r, int c, bool& cancel) {
        events << QString("before %1,%2").arg(r).arg(c);
        cancel = r == 2;
    };
    grid.ValidateEdit = [&](int r, int c, bool& cancel) {
        events << "validate " + grid.EditText();
        if (grid.EditText() == "bad") cancel = true;
        grid.SetEditText(grid.EditText() + ".0");
    };
    grid.AfterEdit = [&](int r, int c) { events << QString("after %1,%2").arg(r).arg(c); };

    grid.EditCell();
    ASSERT_TRUE(grid.Editing());
    ASSERT_NE(Editor(), nullptr);
    EXPECT_EQ(grid.EditText(), "10");
    Editor()->setText("bad");
    Key(Editor(), Qt::Key_Return);
    EXPECT_TRUE(grid.Editing());
    EXPECT_EQ(grid.TextMatrix(1, 1), "10");
    EXPECT_EQ(Editor()->text(), "bad.0");  // the event's edit text goes back into the editor
    Editor()->setText("12");
    Key(Editor(), Qt::Key_Return);
    EXPECT_FALSE(grid.Editing());
    EXPECT_EQ(grid.TextMatrix(1, 1), "12.0");
    EXPECT_EQ(events, (QStringList{"before 1,1", "validate bad", "validate 12", "after 1,1"}));

    // A refused before-edit opens nothing; Escape stores nothing and raises no after-edit.
    grid.SetRow(2);
    grid.EditCell();
    EXPECT_FALSE(grid.Editing());
    grid.SetRow(3);
    grid.EditCell();
    ASSERT_TRUE(grid.Editing());
    Editor()->setText("x");
    Key(Editor(), Qt::Key_Escape);
    EXPECT_FALSE(grid.Editing());
    EXPECT_EQ(grid.TextMatrix(3, 1), "");
    EXPECT_EQ(events.last(), "before 3,1");
}

TEST_F(GridEditing, DropDownListsKeysAndCheckBoxes) {
    grid.SetEditable(true);
    grid.BeforeEdit = [&](int, int c, bool&) { grid.SetComboList(c == 1 ? "Off|On" : ""); };
    grid.EditCell();
    auto* combo = qobject_cast<QComboBox*>(grid.indexWidget(grid.currentIndex()));
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(combo->count(), 2);
    combo->setCurrentIndex(1);
    Key(combo, Qt::Key_Return);
    EXPECT_EQ(grid.TextMatrix(1, 1), "On");

    // Keys typed into the editor: a dropped key never arrives, a changed one arrives changed.
    grid.SetCol(2);
    grid.KeyPressEdit = [](int, int, int& key) {
        if (key == '!') key = 0;
        if (key == 'a') key = 'A';
    };
    grid.EditCell();
    ASSERT_NE(Editor(), nullptr);
    Editor()->clear();
    for (const char* typed : {"a", "!", "b"})
        Key(Editor(), 0, typed);
    EXPECT_EQ(Editor()->text(), "Ab");
    Key(Editor(), Qt::Key_Return);

    // A check box ticks on the space bar, unless before-edit refuses it.
    grid.SetRow(2);
    grid.SetCol(1);
    grid.SetCellChecked(FlexGrid::Unchecked);
    int after = 0;
    bool refuse = true;
    grid.BeforeEdit = [&](int, int, bool& cancel) { cancel = refuse; };
    grid.AfterEdit = [&](int r, int c) { after += r * 10 + c; };
    grid.setFocus();
    Key(&grid, Qt::Key_Space, " ");
    EXPECT_EQ(grid.CellChecked(), FlexGrid::Unchecked);
    refuse = false;
    Key(&grid, Qt::Key_Space, " ");
    EXPECT_EQ(grid.CellChecked(), FlexGrid::Checked);
    EXPECT_EQ(after, 21);
    EXPECT_FALSE(grid.Editing());  // a check box cell opens no text editor
}

TEST_F(GridEditing, RebuildsFromInsideAnEventWaitUntilItReturns) {
    grid.SetEditable(true);
    bool rebuilt = false;
    grid.ValidateEdit = [&](int, int, bool&) {
        grid.Defer([&] {
            grid.Clear();
            grid.SetRows(2);
            rebuilt = true;
        });
        EXPECT_FALSE(rebuilt);
    };
    grid.EditCell();
    Editor()->setText("5");
    Key(Editor(), Qt::Key_Return);
    EXPECT_EQ(grid.TextMatrix(1, 1), "5");
    EXPECT_FALSE(rebuilt);
    QCoreApplication::processEvents();
    EXPECT_TRUE(rebuilt);
    EXPECT_EQ(grid.Rows(), 2);
    // Outside an event the action runs at once.
    bool now = false;
    grid.Defer([&] { now = true; });
    EXPECT_TRUE(now);
}

TEST_F(GridEditing, MouseEventsInTwipsWithTheirButton) {
    std::vector<std::tuple<int, double, double>> ups;
    int clicks = 0, doubles = 0;
    grid.MouseUp = [&](int button, int, double x, double y) { ups.emplace_back(button, x, y); };
    grid.Click = [&] { ++clicks; };
    grid.DblClick = [&] { ++doubles; };
    const QPoint at(30, 20);
    Mouse(grid, QEvent::MouseButtonPress, Qt::RightButton, at);
    Mouse(grid, QEvent::MouseButtonRelease, Qt::RightButton, at);
    Mouse(grid, QEvent::MouseButtonPress, Qt::LeftButton, at);
    Mouse(grid, QEvent::MouseButtonRelease, Qt::LeftButton, at);
    Mouse(grid, QEvent::MouseButtonDblClick, Qt::LeftButton, at);
    ASSERT_EQ(ups.size(), 2u);
    EXPECT_EQ(std::get<0>(ups[0]), ui::RightButton);
    EXPECT_EQ(std::get<0>(ups[1]), ui::LeftButton);
    const QPoint offset = grid.viewport()->geometry().topLeft();
    EXPECT_DOUBLE_EQ(std::get<1>(ups[0]), (at.x() + offset.x()) * ui::TwipsPerPixelX());
    EXPECT_DOUBLE_EQ(std::get<2>(ups[0]), (at.y() + offset.y()) * ui::TwipsPerPixelY());
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(doubles, 1);
}

}  // namespace
}  // namespace qv::test

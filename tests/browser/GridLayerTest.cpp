// The grid control's cells, merging, selection and edit events.
#include "FlexGrid.h"
#include "TestSupport.h"
#include "TextFit.h"
#include "Twips.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScrollBar>

namespace qv::test {
namespace {

using ui::FlexGrid;

TEST(GridCells, ColoursChecksMergesAndClear) {
    FlexGrid grid;
    grid.SetCols(5);
    grid.SetRows(400);
    grid.SetRow(2);
    grid.SetCol(1);
    grid.SetCellBackColor(ui::RGB(255, 0, 0));
    EXPECT_EQ(grid.CellBackColor(), ui::RGB(255, 0, 0));
    EXPECT_EQ(grid.item(2, 1)->background().color(), QColor(255, 0, 0));
    grid.SetCellChecked(FlexGrid::Checked);
    EXPECT_EQ(grid.CellChecked(), FlexGrid::Checked);
    grid.SetRow(999);  // outside the grid: the current cell stays
    EXPECT_EQ(grid.Row(), 2);
    grid.SetRow(1);
    grid.SetCellBackColor(ui::RGB(1, 2, 3));
    grid.SetCellBackColor(0);  // no colour of its own: the grid's shows
    EXPECT_EQ(grid.item(1, 1)->background().style(), Qt::NoBrush);

    for (int c = 0; c < 5; ++c)
        grid.SetTextMatrix(1, c, c == 0 ? "Name" : "log");
    grid.SetMergeRow(1, true);
    EXPECT_EQ(grid.columnSpan(1, 1), 1);  // merge setting still off
    grid.SetMergeCells(FlexGrid::MergeRestrictRows);
    EXPECT_EQ(grid.columnSpan(1, 1), 4);
    grid.SetTextMatrix(1, 3, "other");
    EXPECT_EQ(grid.columnSpan(1, 1), 2);

    grid.SetColAlignment(2, FlexGrid::AlignRightCenter);
    grid.SetTextMatrix(6, 2, "8");  // a cell made later takes the column's alignment
    EXPECT_EQ(grid.item(6, 2)->textAlignment(), int(Qt::AlignRight | Qt::AlignVCenter));

    grid.Clear();
    EXPECT_EQ(grid.Rows(), 400);
    EXPECT_EQ(grid.TextMatrix(1, 0), "");
    EXPECT_EQ(grid.columnSpan(1, 1), 1);
    EXPECT_FALSE(grid.MergeRow(1));
    grid.SetRow(2);
    EXPECT_EQ(grid.CellBackColor(), 0);
    EXPECT_EQ(grid.CellChecked(), FlexGrid::NoCheckbox);
    EXPECT_FALSE(grid.item(0, 2)->flags() & Qt::ItemIsEditable);  // headings stay headings

    // Selection to RowSel, kept to one row by its own event; scrolling by TopRow.
    grid.resize(300, 200);
    grid.SetSelectionByRow(true);
    grid.SetRow(3);
    grid.SetRowSel(6);
    EXPECT_EQ(grid.selectedRanges().value(0).rowCount(), 4);
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

// The current cell set from code is the cell operations' cursor: the view never follows it,
// shown or hidden, nor do the cell setters that name their cell move it. The keys still move
// the view with the cell, and enter a grid without a current cell at its top-left cell.
TEST(GridCells, SettingTheCurrentCellNeverScrolls) {
    FlexGrid grid;
    grid.SetCols(30);
    grid.SetRows(400);
    grid.resize(300, 200);
    grid.show();
    const auto scrolled = [&] {
        return QPoint(grid.horizontalScrollBar()->value(), grid.verticalScrollBar()->value());
    };
    grid.SetRow(300);
    grid.SetCol(25);
    grid.SetCellBackColor(ui::RGB(1, 2, 3));
    QCoreApplication::processEvents();
    EXPECT_EQ(scrolled(), QPoint(0, 0));
    EXPECT_EQ(grid.CellBackColor(300, 25), ui::RGB(1, 2, 3));
    grid.hide();
    grid.SetRow(390);
    grid.SetCol(29);
    grid.show();
    QCoreApplication::processEvents();
    EXPECT_EQ(scrolled(), QPoint(0, 0));

    grid.setCurrentCell(-1, -1);
    grid.SetCellChecked(200, 20, FlexGrid::Checked);
    grid.SetCellBackColor(210, 21, ui::RGB(4, 5, 6));
    EXPECT_EQ(grid.CellChecked(200, 20), FlexGrid::Checked);
    EXPECT_EQ(grid.currentRow(), -1);
    QFocusEvent tab(QEvent::FocusIn, Qt::TabFocusReason);
    QCoreApplication::sendEvent(&grid, &tab);
    EXPECT_EQ(grid.currentIndex(), grid.model()->index(0, 0));
    EXPECT_FALSE(grid.selectionModel()->hasSelection());
    QKeyEvent end(QEvent::KeyPress, Qt::Key_End, Qt::ControlModifier);
    QCoreApplication::sendEvent(&grid, &end);
    EXPECT_EQ(grid.currentIndex(), grid.model()->index(399, 29));
    EXPECT_GT(scrolled().x(), 0);
    EXPECT_GT(scrolled().y(), 0);
}

// Columns fitted to their texts: widened where a text would be cut, the widening taken back
// from columns with room to spare while the grid is too narrow, never below a column's texts;
// merged cells, hidden columns and later texts included.
TEST(GridCells, ColumnsFitTheirTexts) {
    FlexGrid grid;
    grid.SetCols(4);
    grid.SetRows(3);
    grid.SetMergeCells(FlexGrid::MergeRestrictRows);
    grid.resize(400, 200);
    const int room = grid.contentsRect().width() - grid.verticalScrollBar()->sizeHint().width();
    const auto total = [&] {
        int sum = 0;
        for (int c = 0; c < grid.Cols(); ++c)
            sum += grid.columnWidth(c);
        return sum;
    };
    const QString wide = "A caption much wider than its column";
    const auto reset = [&] {
        for (int c = 0; c < 3; ++c)
            grid.setColumnWidth(c, 100);
        grid.setColumnWidth(3, 0);
    };
    reset();
    grid.SetTextMatrix(1, 0, wide);
    grid.SetTextMatrix(1, 1, "b");
    grid.SetTextMatrix(1, 2, "b");
    grid.SetTextMatrix(1, 3, "hidden");
    ASSERT_EQ(CutCells(grid).size(), 1);
    grid.FitColsToText();
    EXPECT_EQ(CutCells(grid), QStringList());
    EXPECT_EQ(grid.columnWidth(3), 0);  // hidden stays hidden
    const int need = grid.columnWidth(0);
    EXPECT_EQ(need, grid.CellTextWidth(wide));
    ASSERT_GT(need + 200, room);
    // The widening overfilled the grid: the other columns gave it back, as far as they could.
    EXPECT_EQ(total(), std::max(room, need + 2 * grid.CellTextWidth("b")));
    EXPECT_GE(grid.columnWidth(1), grid.CellTextWidth("b"));
    EXPECT_NEAR(grid.columnWidth(1), grid.columnWidth(2), 1);  // in proportion to their spare

    // Widths the layout gave and no text needs more than stand, wider than the grid or not.
    reset();
    grid.SetTextMatrix(1, 0, "a");
    grid.setColumnWidth(2, 500);
    grid.FitColsToText();
    EXPECT_EQ(grid.columnWidth(0), 100);
    EXPECT_EQ(grid.columnWidth(2), 500);

    // A merged heading wider than its columns together widens them; the columns' own texts
    // still fit.
    reset();
    grid.SetTextMatrix(0, 1, wide);
    grid.SetTextMatrix(0, 2, wide);
    grid.SetMergeRow(0, true);
    ASSERT_EQ(grid.columnSpan(0, 1), 2);
    ASSERT_EQ(CutCells(grid).size(), 1);
    grid.FitColsToText();
    EXPECT_EQ(CutCells(grid), QStringList());
    EXPECT_EQ(grid.columnWidth(1) + grid.columnWidth(2), grid.CellTextWidth(wide));

    // Too narrow for all its texts: every text whole, the grid scrolls to show them.
    reset();
    grid.SetTextMatrix(1, 0, wide);
    grid.SetTextMatrix(1, 1, wide);
    grid.SetTextMatrix(1, 2, wide);
    grid.FitColsToText();
    EXPECT_EQ(CutCells(grid), QStringList());
    EXPECT_FALSE(CellsOutOfView(grid).isEmpty());
}

class GridEditing : public ::testing::Test {
  protected:
    void SetUp() override {
        grid.SetCols(3);
        grid.SetRows(4);
        grid.SetTextMatrix(1, 1, "10");
        grid.show();
        grid.SetRow(1);
        grid.SetCol(1);
    }
    QLineEdit* Editor() { return qobject_cast<QLineEdit*>(grid.indexWidget(grid.currentIndex())); }

    FlexGrid grid;
};

TEST_F(GridEditing, ValidateRefusalKeepsTheEditorOpenAndStoresNothing) {
    grid.EditCell();
    EXPECT_FALSE(grid.Editing());  // display grids are read-only
    grid.SetEditable(true);
    QStringList events;
    grid.BeforeEdit = [&](int r, int c, bool& cancel) {
        events << QString("before %1,%2").arg(r).arg(c);
        cancel = r == 2;
    };
    grid.ValidateEdit = [&](int, int, bool& cancel) {
        events << "validate " + grid.EditText();
        cancel = grid.EditText() == "bad";
        grid.SetEditText(grid.EditText() + ".0");
    };
    grid.AfterEdit = [&](int r, int c) { events << QString("after %1,%2").arg(r).arg(c); };

    grid.EditCell();
    ASSERT_NE(Editor(), nullptr);
    Editor()->setText("bad");
    SendKey(Editor(), Qt::Key_Return);
    EXPECT_TRUE(grid.Editing());
    EXPECT_EQ(grid.TextMatrix(1, 1), "10");
    EXPECT_EQ(Editor()->text(), "bad.0");  // the event's edit text goes back into the editor
    Editor()->setText("12");
    SendKey(Editor(), Qt::Key_Return);
    EXPECT_FALSE(grid.Editing());
    EXPECT_EQ(grid.TextMatrix(1, 1), "12.0");

    // A refused before-edit opens nothing; Escape stores nothing and raises no after-edit.
    grid.SetRow(2);
    grid.EditCell();
    EXPECT_FALSE(grid.Editing());
    grid.SetRow(3);
    grid.EditCell();
    Editor()->setText("x");
    SendKey(Editor(), Qt::Key_Escape);
    EXPECT_EQ(grid.TextMatrix(3, 1), "");
    EXPECT_EQ(events, (QStringList{"before 1,1", "validate bad", "validate 12", "after 1,1",
                                   "before 2,1", "before 3,1"}));
}

TEST_F(GridEditing, DropDownListsKeysCheckBoxesAndDeferredRebuilds) {
    grid.SetEditable(true);
    grid.BeforeEdit = [&](int, int c, bool&) { grid.SetComboList(c == 1 ? "Off|On" : ""); };
    grid.EditCell();
    auto* combo = qobject_cast<QComboBox*>(grid.indexWidget(grid.currentIndex()));
    ASSERT_NE(combo, nullptr);
    combo->setCurrentIndex(1);
    SendKey(combo, Qt::Key_Return);
    EXPECT_EQ(grid.TextMatrix(1, 1), "On");

    // Keys typed into the editor: a dropped key never arrives, a changed one arrives changed.
    grid.SetCol(2);
    grid.KeyPressEdit = [](int, int, int& key) {
        key = key == '!' ? 0 : QChar(key).toUpper().unicode();
    };
    grid.EditCell();
    ASSERT_NE(Editor(), nullptr);
    for (const char* typed : {"a", "!", "b"})
        SendKey(Editor(), 0, typed);
    EXPECT_EQ(Editor()->text(), "AB");
    // A rebuild asked for inside the event runs once the edit has ended.
    grid.ValidateEdit = [&](int, int, bool&) {
        grid.Defer([&] { grid.SetRows(2); });
        EXPECT_EQ(grid.Rows(), 4);
    };
    SendKey(Editor(), Qt::Key_Return);
    EXPECT_EQ(grid.TextMatrix(1, 2), "AB");
    EXPECT_EQ(grid.Rows(), 4);
    QCoreApplication::processEvents();
    EXPECT_EQ(grid.Rows(), 2);

    // A check box ticks on the space bar, unless before-edit refuses it.
    grid.SetCol(1);
    grid.SetCellChecked(FlexGrid::Unchecked);
    int after = 0;
    bool refuse = true;
    grid.BeforeEdit = [&](int, int, bool& cancel) { cancel = refuse; };
    grid.AfterEdit = [&](int r, int c) { after += r * 10 + c; };
    SendKey(&grid, Qt::Key_Space, " ");
    EXPECT_EQ(grid.CellChecked(), FlexGrid::Unchecked);
    refuse = false;
    SendKey(&grid, Qt::Key_Space, " ");
    EXPECT_EQ(grid.CellChecked(), FlexGrid::Checked);
    EXPECT_EQ(after, 11);
    EXPECT_FALSE(grid.Editing());  // a check box cell opens no text editor
}

}  // namespace
}  // namespace qv::test

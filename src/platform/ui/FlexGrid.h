// The grid control: a table of text cells addressed by row and column from 0, whose first
// FixedRows rows and FixedCols columns are headings drawn as such (the heading rows stay in view
// while the data rows scroll), with column widths in twips
// and a format string that sets the column headings. A current cell (Row, Col) carries the
// cell colours and check box; a selection runs from it to RowSel. Rows marked mergeable join
// neighbours of equal text. An editable grid raises before-edit, change-edit, validate-edit
// (which can keep the editor open) and after-edit events; every grid raises mouse-up and
// selection events.
// Tab and Shift+Tab move the keyboard focus to the next control, the arrow keys between cells;
// the keys enter a grid without a current cell at its first cell. The Menu key and Shift+F10 are
// a right press and release on the current cell, so that the grid's pop-up menu opens there.
#pragma once

#include <QFontMetricsF>
#include <QPointer>
#include <QString>
#include <QTableView>
#include <QTableWidget>
#include <QVector>
#include <cstdint>
#include <functional>
#include <initializer_list>

namespace qv::ui {

class FlexGridDelegate;

class FlexGrid : public QTableWidget {
  public:
    // Check box states of a cell.
    enum CheckSetting : int { NoCheckbox = 0, Checked = 1, Unchecked = 2 };
    // Column alignment settings: left, centre or right, each at the top, centre or bottom.
    enum AlignSetting : int {
        AlignLeftTop = 0,
        AlignLeftCenter = 1,
        AlignLeftBottom = 2,
        AlignCenterTop = 3,
        AlignCenterCenter = 4,
        AlignCenterBottom = 5,
        AlignRightTop = 6,
        AlignRightCenter = 7,
        AlignRightBottom = 8,
        AlignGeneral = 9,  // left, centred vertically
    };
    // Grid-wide merge setting; any setting but MergeNever joins the marked rows' equal cells.
    enum MergeSetting : int { MergeNever = 0, MergeFree = 1, MergeRestrictRows = 2 };
    // When the selection is painted.
    enum HighLightSetting : int { HighLightNever = 0, HighLightAlways = 1, HighLightWithFocus = 2 };

    explicit FlexGrid(QWidget* parent = nullptr);
    ~FlexGrid() override;

    int Rows() const { return rowCount(); }
    void SetRows(int rows);
    int Cols() const { return columnCount(); }
    void SetCols(int cols);
    int FixedRows() const { return fixedRows_; }
    void SetFixedRows(int rows);
    int FixedCols() const { return fixedCols_; }
    void SetFixedCols(int cols);

    // Empties every cell: text, colours, check box; drops the rows' merge marks and the
    // columns' alignments. The row and column counts and column widths stay.
    void Clear();

    // The text of a cell; a cell outside the grid reads as "" and cannot be written.
    QString TextMatrix(int row, int col) const;
    void SetTextMatrix(int row, int col, const QString& text);

    // "a|b|c": one column per entry, the entries as the texts of the first fixed row; a leading
    // "<", "^" or ">" aligns the column left, centre or right. Text after ";" gives the texts of
    // the first fixed column, row by row.
    QString FormatString() const { return formatString_; }
    void SetFormatString(const QString& format);

    // Column width in twips; a column outside the grid is ignored.
    double ColWidth(int col) const;
    void SetColWidth(int col, double twips);
    // Columns 0, 1, ... take these fractions of the grid's width, rounded to whole twips
    // (halves to even); the other columns keep their widths.
    void SetColWidths(std::initializer_list<double> fractions);
    // The width in pixels a cell needs to show this text whole: its advance in the grid's font,
    // the item view's text margin on either side and the grid line.
    int CellTextWidth(const QString& text) const;
    // The width in twips a column needs to show the text of each of its cells whole, with the
    // cells' margins; cells merged with a neighbour are left out, their text spreading over the
    // merge.
    double ColTextWidth(int col) const;
    // No text shows cut: every shown column is made at least as wide as its texts need (a
    // merged cell's need spread over the columns it spans; a column of width 0 stays hidden),
    // then, while the columns are wider than the grid shows, the columns wider than their
    // texts give back their spare room in proportion to it, up to what the widening took.
    // Beyond that the grid scrolls.
    void FitColsToText();
    // Alignment of a column's cells below the fixed rows (AlignSetting).
    int ColAlignment(int col) const;
    void SetColAlignment(int col, int setting);

    // ---- Current cell and selection ----
    // The row of the current cell; -1 when there is none. SetRow and SetCol move the current
    // cell (a row or column outside the grid is ignored) and end the selection there, as the
    // grid's cursor does, but never scroll the view: a fill that sets cells through the current
    // cell leaves the grid shown where it was, now or when it is next shown.
    int Row() const;
    void SetRow(int row);
    void SetCol(int col);
    // The other end of the selection; with the current cell it spans the selected cells.
    int RowSel() const;
    void SetRowSel(int row);
    int ColSel() const;
    // Whole rows selected (true) or single cells (false).
    bool SelectionByRow() const { return byRow_; }
    void SetSelectionByRow(bool byRow);
    int HighLight() const { return highLight_; }
    void SetHighLight(int setting);
    // The first row shown below the fixed rows; setting it scrolls.
    int TopRow() const;
    void SetTopRow(int row);

    // ---- Cells of the current cell ----
    // Colours as 0x00BBGGRR; 0 means the cell has no colour of its own and shows the grid's.
    int32_t CellBackColor() const { return CellBackColor(currentRow(), currentColumn()); }
    void SetCellBackColor(int32_t color) { SetCellBackColor(currentRow(), currentColumn(), color); }
    // The background colour of any cell, the current cell staying where it is (a cell outside
    // the grid reads 0 and cannot be written): for fills that colour thousands of cells.
    int32_t CellBackColor(int row, int col) const;
    void SetCellBackColor(int row, int col, int32_t color);
    // CheckSetting of the current cell's check box, and of any cell's, the current cell staying
    // where it is.
    int CellChecked() const { return CellChecked(currentRow(), currentColumn()); }
    void SetCellChecked(int setting) { SetCellChecked(currentRow(), currentColumn(), setting); }
    int CellChecked(int row, int col) const;
    void SetCellChecked(int row, int col, int setting);

    // Grid-wide colours (read): the data cells' and the fixed cells' background.
    int32_t BackColor() const;
    int32_t BackColorFixed() const;

    // ---- Merging ----
    int MergeCells() const { return mergeCells_; }
    void SetMergeCells(int setting);
    bool MergeRow(int row) const;
    void SetMergeRow(int row, bool merge);

    // ---- Editing ----
    // A display grid is read-only; an editable one edits its data cells on a double click,
    // F2 or typing, and ticks check boxes on a click or the space bar.
    bool Editable() const { return editable_; }
    void SetEditable(bool editable);
    // The drop-down list of the next editor: "a|b|c" offers these items; empty edits text.
    // Set it in the before-edit event.
    QString ComboList() const { return comboList_; }
    void SetComboList(const QString& list) { comboList_ = list; }
    // The text being edited: the editor's text, and in the validate-edit event the text that
    // will be stored when the event accepts it.
    QString EditText() const;
    // Setting it is no change of the user's: it raises no change-edit event.
    void SetEditText(const QString& text);
    // In the change-edit event: the editor's text just before the change.
    QString EditTextBefore() const { return editBefore_; }
    // Puts the text editor's cursor at this place in its text.
    void SetEditSelStart(int position);
    // The length of the text editor's selection (0 without one).
    int EditSelLength() const;
    // Opens the editor on the current cell (after the before-edit event).
    void EditCell();
    // True while an editor is open.
    bool Editing() const { return editor_ != nullptr; }
    // Takes the open entry as Enter takes it: through the validate-edit event, then the editor
    // closes. False when the event refuses it: the editor stays open, with the keyboard focus.
    // True when no editor is open.
    bool CommitEdit();
    // The same for every grid within a widget (the widget itself included), stopping at the
    // first refusal; the grid that refused, nullptr when none did.
    static FlexGrid* CommitEdits(const QWidget& within);

    // Runs an action once the grid's event in progress has returned, at once when none is.
    // Handlers that rebuild the grid from inside its own event go through here, so that the
    // editor's cell is not destroyed under it.
    void Defer(std::function<void()> action);

    // Repaints the grid now.
    void Refresh();

    // ---- Events ----
    // Setting Cancel refuses to open the editor (or to tick the check box).
    std::function<void(int Row, int Col, bool& Cancel)> BeforeEdit;
    // The text editor's text changed other than through the grid (typed, deleted, pasted, put in
    // by an input method or by the editor's own setter): EditTextBefore is what it was, EditText
    // what it is. The opening text and SetEditText raise none, so a handler may correct the text.
    std::function<void(int Row, int Col)> ChangeEdit;
    // Setting Cancel stores nothing and keeps the editor open.
    std::function<void(int Row, int Col, bool& Cancel)> ValidateEdit;
    // After an edit was stored or a check box ticked or cleared.
    std::function<void(int Row, int Col)> AfterEdit;
    // A printable character typed into the editor (8 for backspace); set to 0 to drop it. The
    // editing keys (Delete, the arrows) never reach it.
    std::function<void(int Row, int Col, int& KeyAscii)> KeyPressEdit;
    // A mouse button released, in twips from the grid's top-left corner, the button and the
    // shift keys as MouseCodes.h gives them.
    std::function<void(int Button, int Shift, double X, double Y)> MouseUp;
    // The selection changed.
    std::function<void()> SelChange;

    // The view that keeps the heading rows in view while the data rows are scrolled; shown
    // only then, over the top of the grid.
    const QTableView* FrozenRows() const { return frozen_; }

    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;

  protected:
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    friend class FlexGridDelegate;
    // Counts the grid's events in progress, for Defer.
    class EventScope {
      public:
        explicit EventScope(FlexGrid& grid) : grid_(grid) { ++grid_.eventDepth_; }
        ~EventScope() { --grid_.eventDepth_; }
        EventScope(const EventScope&) = delete;
        EventScope& operator=(const EventScope&) = delete;

      private:
        FlexGrid& grid_;
    };

    QTableWidgetItem* Cell(int row, int col);
    QTableWidgetItem* NewCell(int row, int col, const QString& text);
    void StyleFixedCells();
    void StyleCell(QTableWidgetItem* cell, int row, int col);
    void ApplyAlignment(QTableWidgetItem* cell, int row, int col);
    void Remerge(int row);
    void RemergeAll();
    void Select();
    // The selected range that holds the current cell (the cell alone when none does).
    QTableWidgetSelectionRange CurrentRange() const;
    // Selects from the current cell to (rowSel, colSel).
    void SelectTo(int rowSel, int colSel);
    bool IsFixed(int row, int col) const { return row < fixedRows_ || col < fixedCols_; }
    void PointerEvent(QMouseEvent* event, const std::function<void(int, int, double, double)>& f);
    // Raises a mouse event at a point of the viewport.
    void PointerEvent(int buttons, Qt::KeyboardModifiers modifiers, const QPointF& at,
                      const std::function<void(int, int, double, double)>& f);
    // Makes a cell current without scrolling to it.
    void MoveCurrent(int row, int col);
    // The heading rows' view: its spans, its place and whether it shows.
    void MakeFrozenRows();
    void SyncFrozenSpans();
    void PlaceFrozenRows();
    int FrozenHeight() const;

    // Edit steps, run by the delegate.
    // Asks the before-edit event; false when it refuses.
    bool AllowEdit(int row, int col);
    bool OpenEdit(int row, int col);
    bool AcceptEdit(QWidget* editor, const QModelIndex& index);
    void ToggleCheck(int row, int col);
    bool TypeIntoEditor(QWidget* editor, QKeyEvent* event);
    // Follows each change of the text editor's text, raising the change-edit event for those
    // the grid did not make.
    void EditorTextChanged(const QWidget* editor);
    // Sets the editor's text as the grid's own change.
    void PutEditorText(QWidget* editor, const QString& text);
    // Tab or Shift+Tab in the editor: the entry is taken as by Enter and the focus moves on.
    void TabOutOfEditor(bool forward);

    FlexGridDelegate* delegate_ = nullptr;
    QTableView* frozen_ = nullptr;
    int fixedRows_ = 1;
    int fixedCols_ = 0;
    int styledRows_ = 0;  // heading counts when the cells were last styled
    int styledCols_ = 0;
    QString formatString_;
    QVector<int> colAlign_;  // -1: not set
    QVector<bool> mergeRows_;
    int mergeCells_ = MergeNever;
    bool byRow_ = false;
    int highLight_ = HighLightWithFocus;
    bool editable_ = false;
    QString comboList_;
    // The edit in progress: its editor and cell, the text being validated, and what the last
    // commit decided (a refusal keeps the editor open at the next close).
    QPointer<QWidget> editor_;
    int editRow_ = -1;
    int editCol_ = -1;
    QString editText_;
    // The editor's text as last followed, and before the change being raised.
    QString editShown_;
    QString editBefore_;
    // The grid is setting the editor's text, or a change-edit event is in progress: a change
    // then raises no event.
    bool puttingText_ = false;
    bool changing_ = false;
    bool validating_ = false;
    bool refused_ = false;
    bool committed_ = false;
    int eventDepth_ = 0;
    // Measures the cells' texts when they changed since the last time.
    void MeasureTexts() const;
    // The margins and grid line around a cell's text, in pixels, and a text's width with them.
    int CellTextFrame() const;
    static int CellTextWidth(const QString& text, const QFontMetricsF& metrics, int frame);
    // A merged cell's text: the columns it spans and the width in pixels it needs.
    struct SpanNeed {
        int first, count, width;
    };
    // The width each column's texts need, in pixels, and those of the merged cells; empty
    // until measured after a change.
    mutable QVector<int> textWidths_;
    mutable QVector<SpanNeed> spanWidths_;
    mutable QFont measuredFont_;
};

}  // namespace qv::ui

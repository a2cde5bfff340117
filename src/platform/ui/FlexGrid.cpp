// The grid control on QTableWidget, with an item delegate that runs the edit events.
#include "FlexGrid.h"

#include "KeyCodes.h"
#include "KeyboardMenu.h"
#include "MouseCodes.h"
#include "Twips.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFontMetricsF>
#include <QHash>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QStringList>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <utility>

namespace qv::ui {

namespace {

// A cell's own background colour, kept beside the brush so that 0 ("none") reads back as 0.
constexpr int kOwnBackRole = Qt::UserRole + 1;

Qt::Alignment AlignmentOf(int setting) {
    static const Qt::Alignment horizontal[] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight};
    static const Qt::Alignment vertical[] = {Qt::AlignTop, Qt::AlignVCenter, Qt::AlignBottom};
    if (setting < 0 || setting > 8) return Qt::AlignLeft | Qt::AlignVCenter;
    return horizontal[setting / 3] | vertical[setting % 3];
}

QString EditorText(const QWidget* editor) {
    if (const auto* line = qobject_cast<const QLineEdit*>(editor)) return line->text();
    if (const auto* combo = qobject_cast<const QComboBox*>(editor)) return combo->currentText();
    return QString();
}

void SetEditorText(QWidget* editor, const QString& text) {
    if (auto* line = qobject_cast<QLineEdit*>(editor)) line->setText(text);
    if (auto* combo = qobject_cast<QComboBox*>(editor))
        combo->setCurrentIndex(combo->findText(text));
}

}  // namespace

// Opens the editors, stores accepted edits, ticks check boxes and hides the selection when
// the grid's highlight setting says so.
class FlexGridDelegate : public QStyledItemDelegate {
  public:
    explicit FlexGridDelegate(FlexGrid& grid) : QStyledItemDelegate(&grid), grid_(grid) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        if (index.data(Qt::CheckStateRole).isValid()) return nullptr;  // ticked, not typed
        if (!grid_.OpenEdit(index.row(), index.column())) return nullptr;
        QWidget* editor;
        if (!grid_.comboList_.isEmpty()) {
            auto* combo = new QComboBox(parent);
            combo->addItems(grid_.comboList_.split(u'|'));
            editor = combo;
        } else {
            editor = QStyledItemDelegate::createEditor(parent, option, index);
        }
        grid_.editor_ = editor;
        grid_.editShown_ = EditorText(editor);
        if (auto* line = qobject_cast<QLineEdit*>(editor))
            connect(line, &QLineEdit::textChanged, &grid_,
                    [this, line] { grid_.EditorTextChanged(line); });
        return editor;
    }

    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        grid_.PutEditorText(editor, index.data(Qt::DisplayRole).toString());
        if (auto* combo = qobject_cast<QComboBox*>(editor); combo && combo->currentIndex() < 0)
            combo->setEditText(index.data(Qt::DisplayRole).toString());
    }

    void setModelData(QWidget* editor, QAbstractItemModel*,
                      const QModelIndex& index) const override {
        grid_.AcceptEdit(editor, index);
    }

    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override {
        const bool checkable = index.data(Qt::CheckStateRole).isValid() && grid_.editable_ &&
                               !grid_.IsFixed(index.row(), index.column());
        if (!checkable) return QStyledItemDelegate::editorEvent(event, model, option, index);
        switch (event->type()) {
            case QEvent::MouseButtonRelease: {
                const auto* mouse = static_cast<QMouseEvent*>(event);
                if (mouse->button() != Qt::LeftButton ||
                    !option.rect.contains(mouse->position().toPoint()))
                    return false;
                grid_.ToggleCheck(index.row(), index.column());
                return true;
            }
            case QEvent::MouseButtonDblClick:
                return true;
            case QEvent::KeyPress: {
                const int key = static_cast<QKeyEvent*>(event)->key();
                if (key != Qt::Key_Space && key != Qt::Key_Select) return false;
                grid_.ToggleCheck(index.row(), index.column());
                return true;
            }
            default:
                return false;
        }
    }

    bool eventFilter(QObject* object, QEvent* event) override {
        if (event->type() == QEvent::KeyPress && object == grid_.editor_) {
            auto* key = static_cast<QKeyEvent*>(event);
            // Tab leaves the grid from the editor too, rather than opening the next cell's.
            const bool tab = key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab;
            if (tab && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
                grid_.TabOutOfEditor(key->key() == Qt::Key_Tab &&
                                     !(key->modifiers() & Qt::ShiftModifier));
                return true;
            }
            if (grid_.TypeIntoEditor(grid_.editor_, key)) return true;
        }
        return QStyledItemDelegate::eventFilter(object, event);
    }

  protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        const bool show = grid_.highLight_ == FlexGrid::HighLightAlways ||
                          (grid_.highLight_ == FlexGrid::HighLightWithFocus && grid_.hasFocus());
        if (!show) option->state &= ~QStyle::State_Selected;
    }

  private:
    FlexGrid& grid_;
};

FlexGrid::FlexGrid(QWidget* parent) : QTableWidget(1, 1, parent) {
    horizontalHeader()->hide();
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(ToPixelsY(255));
    delegate_ = new FlexGridDelegate(*this);
    setItemDelegate(delegate_);
    setEditTriggers(NoEditTriggers);
    // A keyboard user leaves a grid with Tab as any other control; the arrows move the cell.
    setTabKeyNavigation(false);
    StyleFixedCells();
    MakeFrozenRows();
    connect(this, &QTableWidget::itemSelectionChanged, this, [this] {
        if (!SelChange) return;
        EventScope scope(*this);
        SelChange();
    });
    // The text widths are measured again after any change of the cells.
    const auto changed = [this] { textWidths_.clear(); };
    connect(model(), &QAbstractItemModel::dataChanged, this, changed);
    connect(model(), &QAbstractItemModel::rowsInserted, this, changed);
    connect(model(), &QAbstractItemModel::rowsRemoved, this, changed);
    connect(model(), &QAbstractItemModel::columnsInserted, this, changed);
    connect(model(), &QAbstractItemModel::columnsRemoved, this, changed);
    connect(model(), &QAbstractItemModel::modelReset, this, changed);
}

FlexGrid::~FlexGrid() {
    // The model goes with the grid's children, after the grid's own members: it must find
    // nothing of the grid listening.
    disconnect(model(), nullptr, this, nullptr);
    // The heading rows' view goes before the model it shows, and is no longer the grid's while
    // it is taken down (its viewport's last events still pass the grid's filter).
    delete std::exchange(frozen_, nullptr);
}

void FlexGrid::SetRows(int rows) {
    setRowCount(std::max(0, rows));
    mergeRows_.resize(rowCount());
    StyleFixedCells();
    PlaceFrozenRows();
}

void FlexGrid::SetCols(int cols) {
    setColumnCount(std::max(0, cols));
    StyleFixedCells();
    RemergeAll();
}

void FlexGrid::SetFixedRows(int rows) {
    fixedRows_ = std::max(0, rows);
    if (rowCount() < fixedRows_) SetRows(fixedRows_);
    StyleFixedCells();
    SyncFrozenSpans();
    PlaceFrozenRows();
}

void FlexGrid::SetFixedCols(int cols) {
    fixedCols_ = std::max(0, cols);
    if (columnCount() < fixedCols_) setColumnCount(fixedCols_);
    StyleFixedCells();
}

void FlexGrid::Clear() {
    clearContents();
    clearSpans();
    frozen_->clearSpans();
    mergeRows_.fill(false);
    // A column's alignment belongs to what filled it: the next fill sets its own or none.
    colAlign_.clear();
    textWidths_.clear();
    StyleFixedCells();
}

QString FlexGrid::TextMatrix(int row, int col) const {
    const QTableWidgetItem* cell = item(row, col);
    return cell ? cell->text() : QString();
}

void FlexGrid::SetTextMatrix(int row, int col, const QString& text) {
    if (row < 0 || col < 0 || row >= rowCount() || col >= columnCount()) return;
    if (QTableWidgetItem* cell = item(row, col))
        cell->setText(text);
    else
        NewCell(row, col, text);
    if (MergeRow(row)) Remerge(row);
}

void FlexGrid::SetFormatString(const QString& format) {
    formatString_ = format;
    const qsizetype semicolon = format.indexOf(u';');
    const QString columnPart = semicolon < 0 ? format : format.left(semicolon);
    const QString rowPart = semicolon < 0 ? QString() : format.mid(semicolon + 1);

    const QStringList columns = columnPart.split(u'|');
    if (!columnPart.isEmpty()) {
        SetCols(static_cast<int>(columns.size()));
        if (Rows() < 1) SetRows(1);
        for (int c = 0; c < columns.size(); ++c) {
            QString text = columns[c];
            Qt::Alignment align = Qt::AlignLeft;
            if (!text.isEmpty() && QStringLiteral("<^>").contains(text[0])) {
                align = text[0] == u'^' ? Qt::AlignHCenter
                                        : (text[0] == u'>' ? Qt::AlignRight : Qt::AlignLeft);
                text.remove(0, 1);
            }
            if (QTableWidgetItem* cell = Cell(0, c)) {
                cell->setText(text);
                cell->setTextAlignment(align | Qt::AlignVCenter);
            }
            resizeColumnToContents(c);
        }
    }
    if (!rowPart.isEmpty()) {
        const QStringList rows = rowPart.split(u'|');
        if (Rows() < rows.size()) SetRows(static_cast<int>(rows.size()));
        if (Cols() < 1) SetCols(1);
        for (int r = 0; r < rows.size(); ++r)
            if (!rows[r].isEmpty() || r > 0) SetTextMatrix(r, 0, rows[r]);
    }
}

double FlexGrid::ColWidth(int col) const {
    if (col < 0 || col >= columnCount()) return 0;
    return columnWidth(col) * TwipsPerPixelX();
}

void FlexGrid::SetColWidth(int col, double twips) {
    if (col < 0 || col >= columnCount()) return;
    setColumnWidth(col, std::max(0, ToPixelsX(twips)));
}

void FlexGrid::SetColWidths(std::initializer_list<double> fractions) {
    const double width = Width(this);
    int col = 0;
    for (double f : fractions)
        SetColWidth(col++, std::nearbyint(width * f));
}

int FlexGrid::CellTextWidth(const QString& text) const {
    return CellTextWidth(text, QFontMetricsF(font()), CellTextFrame());
}

int FlexGrid::CellTextFrame() const {
    // The view draws a cell's text within a margin on either side, left of the grid line.
    const int margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
    return 2 * margin + (showGrid() ? 1 : 0);
}

int FlexGrid::CellTextWidth(const QString& text, const QFontMetricsF& metrics, int frame) {
    // The view elides a text whose advance, in fractions of a pixel, is wider than its room.
    return static_cast<int>(std::ceil(metrics.horizontalAdvance(text))) + frame;
}

void FlexGrid::MeasureTexts() const {
    if (textWidths_.size() == columnCount() && measuredFont_ == font()) return;
    // Measured once per change of the cells. A log's table holds thousands of them, and
    // shaping each text is what costs: texts are measured once per shape. Where the font's
    // ten digits are equally wide (tabular figures, which fonts do not kern), texts that
    // differ only in their digits are equally wide, so dates and readings share a few shapes.
    const QFontMetricsF metrics(font());
    const int frame = CellTextFrame();
    bool tabular = true;
    for (char16_t d = u'1'; d <= u'9'; ++d)
        tabular = tabular && metrics.horizontalAdvance(QChar(d)) == metrics.horizontalAdvance(u'0');
    QHash<QString, int> measured;
    const auto widthOf = [&](QString text) {
        if (tabular)
            for (QChar& ch : text)
                if (ch > u'0' && ch <= u'9') ch = u'0';
        auto it = measured.constFind(text);
        if (it == measured.constEnd())
            it = measured.insert(text, CellTextWidth(text, metrics, frame));
        return *it;
    };
    const int cols = columnCount();
    QVector<int> widths(cols, 0);
    QVector<SpanNeed> spans;
    for (int r = 0; r < rowCount(); ++r)
        for (int c = 0; c < cols;) {
            const int span = std::clamp(columnSpan(r, c), 1, cols - c);
            const QTableWidgetItem* cell = item(r, c);
            if (cell && !cell->text().isEmpty()) {
                const int width = widthOf(cell->text());
                if (span == 1)
                    widths[c] = std::max(widths[c], width);
                else
                    spans.push_back({c, span, width});
            }
            c += span;
        }
    textWidths_ = std::move(widths);
    spanWidths_ = std::move(spans);
    measuredFont_ = font();
}

double FlexGrid::ColTextWidth(int col) const {
    if (col < 0 || col >= columnCount()) return 0;
    MeasureTexts();
    return textWidths_[col] * TwipsPerPixelX();
}

void FlexGrid::FitColsToText() {
    const int cols = columnCount();
    if (cols == 0) return;
    MeasureTexts();
    QVector<int> width(cols), need(cols);
    for (int c = 0; c < cols; ++c) {
        width[c] = isColumnHidden(c) ? 0 : columnWidth(c);
        need[c] = width[c] == 0 ? 0 : textWidths_[c];
    }
    // A merged cell's text needs its shown columns together: what theirs leave short is
    // shared out among them.
    for (const SpanNeed& span : spanWidths_) {
        int shown = 0, has = 0;
        for (int c = span.first; c < span.first + span.count; ++c)
            if (width[c] > 0) {
                ++shown;
                has += need[c];
            }
        if (shown == 0 || has >= span.width) continue;
        int left = span.width - has;
        for (int c = span.first; c < span.first + span.count; ++c)
            if (width[c] > 0) {
                const int share = (left + shown - 1) / shown;
                --shown;
                need[c] += share;
                left -= share;
            }
    }
    int total = 0, grown = 0, spare = 0;
    for (int c = 0; c < cols; ++c) {
        grown += std::max(0, need[c] - width[c]);
        width[c] = std::max(width[c], need[c]);
        total += width[c];
        spare += width[c] - need[c];
    }
    // The room the grid shows its columns in, less a vertical scroll bar, whose coming with
    // more rows must then cut nothing. Only what the texts took is given back: the widths the
    // layout gave stand where no text needs more.
    const int bar = verticalScrollBarPolicy() == Qt::ScrollBarAlwaysOff
                        ? 0
                        : verticalScrollBar()->sizeHint().width();
    const int excess = std::min(grown, total - (contentsRect().width() - bar));
    if (excess > 0 && spare > 0) {
        const int taken = std::min(excess, spare);
        int left = taken;
        for (int c = 0; c < cols && left > 0; ++c) {
            const int own = width[c] - need[c];
            const int give = std::min({left, own, (taken * own + spare - 1) / spare});
            width[c] -= give;
            left -= give;
        }
    }
    for (int c = 0; c < cols; ++c)
        if (!isColumnHidden(c) && columnWidth(c) != width[c]) setColumnWidth(c, width[c]);
}

int FlexGrid::ColAlignment(int col) const {
    const int setting = col >= 0 && col < colAlign_.size() ? colAlign_[col] : -1;
    return setting < 0 ? AlignGeneral : setting;
}

void FlexGrid::SetColAlignment(int col, int setting) {
    if (col < 0 || col >= columnCount()) return;
    if (colAlign_.size() <= col) colAlign_.resize(col + 1, -1);
    colAlign_[col] = setting;
    for (int r = fixedRows_; r < rowCount(); ++r)
        if (QTableWidgetItem* cell = item(r, col)) ApplyAlignment(cell, r, col);
}

// ---- Current cell and selection ----

int FlexGrid::Row() const {
    return currentRow();
}

void FlexGrid::SetRow(int row) {
    if (row < 0 || row >= rowCount()) return;
    MoveCurrent(row, std::max(currentColumn(), 0));
    Select();
}

void FlexGrid::SetCol(int col) {
    if (col < 0 || col >= columnCount()) return;
    MoveCurrent(std::max(currentRow(), 0), col);
    Select();
}

void FlexGrid::MoveCurrent(int row, int col) {
    // The view follows a current cell the user moves; one set from code it does not follow,
    // and a hidden grid keeps no scroll for its next showing either.
    const bool follow = hasAutoScroll();
    setAutoScroll(false);
    setCurrentCell(row, col, QItemSelectionModel::NoUpdate);
    setAutoScroll(follow);
}

QTableWidgetSelectionRange FlexGrid::CurrentRange() const {
    const int r = currentRow();
    const int c = currentColumn();
    for (const QTableWidgetSelectionRange& range : selectedRanges())
        if (range.topRow() <= r && r <= range.bottomRow() && range.leftColumn() <= c &&
            c <= range.rightColumn())
            return range;
    return QTableWidgetSelectionRange(r, c, r, c);
}

int FlexGrid::RowSel() const {
    const QTableWidgetSelectionRange range = CurrentRange();
    return range.topRow() == currentRow() ? range.bottomRow() : range.topRow();
}

void FlexGrid::SetRowSel(int row) {
    if (row < 0 || row >= rowCount()) return;
    SelectTo(row, ColSel());
}

int FlexGrid::ColSel() const {
    const QTableWidgetSelectionRange range = CurrentRange();
    return range.leftColumn() == currentColumn() ? range.rightColumn() : range.leftColumn();
}

void FlexGrid::SelectTo(int rowSel, int colSel) {
    const int r = currentRow();
    const int c = currentColumn();
    if (r < 0 || c < 0) return;
    QItemSelection selection(model()->index(std::min(r, rowSel), std::min(c, colSel)),
                             model()->index(std::max(r, rowSel), std::max(c, colSel)));
    selectionModel()->select(
        selection, QItemSelectionModel::ClearAndSelect |
                       (byRow_ ? QItemSelectionModel::Rows : QItemSelectionModel::NoUpdate));
}

void FlexGrid::SetSelectionByRow(bool byRow) {
    byRow_ = byRow;
    setSelectionBehavior(byRow ? SelectRows : SelectItems);
}

void FlexGrid::SetHighLight(int setting) {
    highLight_ = setting;
    viewport()->update();
}

// Scrolled by whole rows: the rows scrolled out lie above the heading rows, whose view covers
// as many rows at the top as there are heading rows.
int FlexGrid::TopRow() const {
    const int value = verticalScrollBar()->value();
    return std::clamp(value > 0 ? value + fixedRows_ : std::min(fixedRows_, rowCount() - 1), 0,
                      std::max(0, rowCount() - 1));
}

void FlexGrid::SetTopRow(int row) {
    if (rowCount() == 0) return;
    updateGeometries();
    verticalScrollBar()->setValue(std::clamp(row - fixedRows_, 0, rowCount() - 1));
}

void FlexGrid::scrollTo(const QModelIndex& index, ScrollHint hint) {
    QTableWidget::scrollTo(index, hint);
    // A data row brought into view must not lie under the heading rows.
    const int value = verticalScrollBar()->value();
    if (index.isValid() && value > 0 && index.row() >= fixedRows_ &&
        index.row() < value + fixedRows_)
        verticalScrollBar()->setValue(std::max(0, index.row() - fixedRows_));
}

void FlexGrid::Select() {
    const QModelIndex current = currentIndex();
    if (!current.isValid()) return;
    selectionModel()->select(
        current, QItemSelectionModel::ClearAndSelect |
                     (byRow_ ? QItemSelectionModel::Rows : QItemSelectionModel::NoUpdate));
}

// ---- Cells of the current cell ----

int32_t FlexGrid::CellBackColor(int row, int col) const {
    const QTableWidgetItem* cell = item(row, col);
    return cell ? cell->data(kOwnBackRole).toInt() : 0;
}

void FlexGrid::SetCellBackColor(int row, int col, int32_t color) {
    QTableWidgetItem* cell = Cell(row, col);
    if (!cell) return;
    cell->setData(kOwnBackRole, color == 0 ? QVariant() : QVariant(color));
    StyleCell(cell, row, col);
}

int FlexGrid::CellChecked(int row, int col) const {
    const QTableWidgetItem* cell = item(row, col);
    if (!cell || !cell->data(Qt::CheckStateRole).isValid()) return NoCheckbox;
    return cell->checkState() == Qt::Checked ? Checked : Unchecked;
}

void FlexGrid::SetCellChecked(int row, int col, int setting) {
    QTableWidgetItem* cell = Cell(row, col);
    if (!cell) return;
    if (setting == Checked || setting == Unchecked)
        cell->setCheckState(setting == Checked ? Qt::Checked : Qt::Unchecked);
    else
        cell->setData(Qt::CheckStateRole, QVariant());
}

int32_t FlexGrid::BackColor() const {
    return LongFromColor(palette().base().color());
}

int32_t FlexGrid::BackColorFixed() const {
    return LongFromColor(palette().button().color());
}

// ---- Merging ----

void FlexGrid::SetMergeCells(int setting) {
    mergeCells_ = setting;
    RemergeAll();
}

bool FlexGrid::MergeRow(int row) const {
    return mergeCells_ != MergeNever && row >= 0 && row < mergeRows_.size() && mergeRows_[row];
}

void FlexGrid::SetMergeRow(int row, bool merge) {
    if (row < 0 || row >= rowCount()) return;
    if (mergeRows_.size() < rowCount()) mergeRows_.resize(rowCount());
    mergeRows_[row] = merge;
    Remerge(row);
}

void FlexGrid::Remerge(int row) {
    if (row < 0 || row >= rowCount()) return;
    textWidths_.clear();  // merged cells are measured apart
    const int cols = columnCount();
    for (int c = 0; c < cols; ++c)
        if (columnSpan(row, c) > 1) setSpan(row, c, 1, 1);
    if (MergeRow(row)) {
        int start = 0;
        for (int c = 1; c <= cols; ++c) {
            if (c < cols && TextMatrix(row, c) == TextMatrix(row, start)) continue;
            if (c - start > 1) setSpan(row, start, 1, c - start);
            start = c;
        }
    }
    if (row < fixedRows_) SyncFrozenSpans();
}

void FlexGrid::RemergeAll() {
    for (int r = 0; r < mergeRows_.size(); ++r)
        if (mergeRows_[r]) Remerge(r);
}

// ---- Editing ----

void FlexGrid::SetEditable(bool editable) {
    editable_ = editable;
    setEditTriggers(editable ? DoubleClicked | EditKeyPressed | AnyKeyPressed : NoEditTriggers);
}

QString FlexGrid::EditText() const {
    if (editor_ && !validating_) return EditorText(editor_);
    return editText_;
}

void FlexGrid::SetEditText(const QString& text) {
    editText_ = text;
    if (editor_ && !validating_) PutEditorText(editor_, text);
}

void FlexGrid::SetEditSelStart(int position) {
    if (auto* line = qobject_cast<QLineEdit*>(editor_.data())) line->setCursorPosition(position);
}

int FlexGrid::EditSelLength() const {
    const auto* line = qobject_cast<const QLineEdit*>(editor_.data());
    return line ? static_cast<int>(line->selectedText().size()) : 0;
}

void FlexGrid::PutEditorText(QWidget* editor, const QString& text) {
    const QScopedValueRollback putting(puttingText_, true);
    SetEditorText(editor, text);
}

void FlexGrid::EditorTextChanged(const QWidget* editor) {
    if (editor != editor_) return;
    // Each change is judged against the text just before it, the grid's own changes included,
    // so that a handler's correction is what the next change starts from.
    const QString before = std::exchange(editShown_, EditorText(editor));
    if (puttingText_ || changing_ || !ChangeEdit || before == editShown_) return;
    editBefore_ = before;
    const QScopedValueRollback changing(changing_, true);
    EventScope scope(*this);
    ChangeEdit(editRow_, editCol_);
}

void FlexGrid::EditCell() {
    if (editable_ && currentIndex().isValid()) edit(currentIndex());
}

bool FlexGrid::AllowEdit(int row, int col) {
    bool cancel = false;
    if (BeforeEdit) {
        EventScope scope(*this);
        BeforeEdit(row, col, cancel);
    }
    return !cancel;
}

bool FlexGrid::OpenEdit(int row, int col) {
    if (!editable_ || IsFixed(row, col) || !AllowEdit(row, col)) return false;
    editRow_ = row;
    editCol_ = col;
    refused_ = false;
    committed_ = false;
    editText_ = TextMatrix(row, col);
    return true;
}

bool FlexGrid::AcceptEdit(QWidget* editor, const QModelIndex& index) {
    editText_ = EditorText(editor);
    bool cancel = false;
    if (ValidateEdit) {
        EventScope scope(*this);
        validating_ = true;
        ValidateEdit(editRow_, editCol_, cancel);
        validating_ = false;
    }
    if (cancel) {
        refused_ = true;
        if (editor_ == editor) PutEditorText(editor, editText_);
        return false;
    }
    committed_ = true;
    SetTextMatrix(index.row(), index.column(), editText_);
    return true;
}

void FlexGrid::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
    if (editor == editor_ && refused_) {
        refused_ = false;  // the editor stays open with the refused text
        return;
    }
    QTableWidget::closeEditor(editor, hint);
    if (editor != editor_) return;
    const bool committed = committed_;
    const int row = editRow_;
    const int col = editCol_;
    editor_ = nullptr;
    committed_ = false;
    editRow_ = editCol_ = -1;
    if (committed && AfterEdit) {
        EventScope scope(*this);
        AfterEdit(row, col);
    }
}

bool FlexGrid::CommitEdit() {
    QWidget* editor = editor_;
    if (!editor) return true;
    // The delegate's commit, as Enter runs it: a refusal marks the edit refused.
    commitData(editor);
    if (refused_) {
        refused_ = false;
        editor->setFocus(Qt::OtherFocusReason);
        return false;
    }
    closeEditor(editor, QAbstractItemDelegate::NoHint);
    return true;
}

FlexGrid* FlexGrid::CommitEdits(const QWidget& within) {
    // The grid declares no meta-object of its own: it is told apart by its C++ type.
    QList<QWidget*> widgets = within.findChildren<QWidget*>();
    widgets.prepend(const_cast<QWidget*>(&within));
    for (QWidget* widget : widgets)
        if (auto* grid = dynamic_cast<FlexGrid*>(widget); grid && !grid->CommitEdit()) return grid;
    return nullptr;
}

void FlexGrid::TabOutOfEditor(bool forward) {
    if (!CommitEdit()) return;
    focusNextPrevChild(forward);
}

void FlexGrid::ToggleCheck(int row, int col) {
    if (!AllowEdit(row, col)) return;
    QTableWidgetItem* cell = Cell(row, col);
    if (!cell) return;
    cell->setCheckState(cell->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
    if (AfterEdit) {
        EventScope scope(*this);
        AfterEdit(row, col);
    }
}

bool FlexGrid::TypeIntoEditor(QWidget* editor, QKeyEvent* event) {
    if (!KeyPressEdit) return false;
    int key = event->key() == Qt::Key_Backspace ? int(vbKeyBack) : TypedCharacter(*event);
    if (key == 0) return false;
    const int typed = key;
    {
        EventScope scope(*this);
        KeyPressEdit(editRow_, editCol_, key);
    }
    if (key == typed) return false;
    if (key != 0)
        if (auto* line = qobject_cast<QLineEdit*>(editor)) {
            if (key == 8)
                line->backspace();
            else
                line->insert(QString(QChar(key)));
        }
    return true;
}

void FlexGrid::Defer(std::function<void()> action) {
    if (eventDepth_ == 0 && !editor_) {
        action();
        return;
    }
    QTimer::singleShot(0, this, std::move(action));
}

void FlexGrid::Refresh() {
    viewport()->repaint();
}

// ---- Events of the control ----

void FlexGrid::PointerEvent(QMouseEvent* event,
                            const std::function<void(int, int, double, double)>& f) {
    PointerEvent(ButtonsOf(event->button()), event->modifiers(), event->position(), f);
}

void FlexGrid::PointerEvent(int buttons, Qt::KeyboardModifiers modifiers, const QPointF& at,
                            const std::function<void(int, int, double, double)>& f) {
    if (!f) return;
    const QPointF twips = TwipsAt(*this, at);
    EventScope scope(*this);
    f(buttons, ShiftOf(modifiers), twips.x(), twips.y());
}

void FlexGrid::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::RightButton) {
        QTableWidget::mousePressEvent(event);
        return;
    }
    // A right press opens pop-up menus that act on the current row: it makes the data cell
    // under it current and selected, whatever keys are held, so that the highlight shows what
    // the menu acts on. Elsewhere (a heading cell, empty space) it changes nothing.
    const QModelIndex index = indexAt(event->position().toPoint());
    if (!index.isValid() || IsFixed(index.row(), index.column())) return;
    setCurrentCell(index.row(), index.column(), QItemSelectionModel::NoUpdate);
    Select();
}

void FlexGrid::mouseReleaseEvent(QMouseEvent* event) {
    QTableWidget::mouseReleaseEvent(event);
    PointerEvent(event, MouseUp);
}

void FlexGrid::keyPressEvent(QKeyEvent* event) {
    if (AsksForMenu(*event)) {
        SendMenuRequest(*this, *event);
        return;
    }
    QTableWidget::keyPressEvent(event);
}

void FlexGrid::focusInEvent(QFocusEvent* event) {
    // Without a current cell the arrows would start from nowhere: the keys enter at the top-left
    // cell, which selects nothing and leaves the view where it is.
    if (event->reason() != Qt::MouseFocusReason && !currentIndex().isValid() && rowCount() > 0 &&
        columnCount() > 0)
        MoveCurrent(0, 0);
    QTableWidget::focusInEvent(event);
}

void FlexGrid::contextMenuEvent(QContextMenuEvent* event) {
    // A right click opens the menu through its release; the mouse's own request adds nothing.
    const QModelIndex current = currentIndex();
    if (event->reason() == QContextMenuEvent::Mouse || !current.isValid()) {
        event->ignore();
        return;
    }
    // A right press and release on the middle of the current cell, brought into view: a data
    // cell is selected as a right press selects it.
    scrollTo(current);
    if (!IsFixed(current.row(), current.column())) Select();
    const QPoint at = visualRect(current).center();
    const MenuPlaceScope place(viewport()->mapToGlobal(at));
    PointerEvent(RightButton, event->modifiers(), at, MouseUp);
    event->accept();
}

// ---- Cells ----

QTableWidgetItem* FlexGrid::Cell(int row, int col) {
    if (row < 0 || col < 0 || row >= rowCount() || col >= columnCount()) return nullptr;
    QTableWidgetItem* cell = item(row, col);
    return cell ? cell : NewCell(row, col, QString());
}

QTableWidgetItem* FlexGrid::NewCell(int row, int col, const QString& text) {
    // Complete before it joins the table, so that the table announces one change.
    auto* cell = new QTableWidgetItem(text);
    StyleCell(cell, row, col);
    ApplyAlignment(cell, row, col);
    setItem(row, col, cell);
    return cell;
}

void FlexGrid::StyleCell(QTableWidgetItem* cell, int row, int col) {
    const bool fixed = IsFixed(row, col);
    // Only what changes is written: every write of a cell in the table is announced.
    const Qt::ItemFlags flags =
        fixed ? Qt::ItemIsEnabled : Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
    if (cell->flags() != flags) cell->setFlags(flags);
    const QVariant own = cell->data(kOwnBackRole);
    if (own.isValid()) {
        cell->setBackground(ColorFromLong(own.toInt()));
    } else if (fixed) {
        if (cell->background() != palette().button()) cell->setBackground(palette().button());
    } else if (cell->data(Qt::BackgroundRole).isValid()) {
        cell->setBackground(QBrush());
    }
}

void FlexGrid::ApplyAlignment(QTableWidgetItem* cell, int row, int col) {
    if (row < fixedRows_) return;
    if (col < colAlign_.size() && colAlign_[col] >= 0)
        cell->setTextAlignment(AlignmentOf(colAlign_[col]));
}

void FlexGrid::StyleFixedCells() {
    // Only the heading rows and columns, now or before, can change their look.
    const int rows = std::min(rowCount(), std::max(fixedRows_, styledRows_));
    const int cols = std::min(columnCount(), std::max(fixedCols_, styledCols_));
    // A heading cell made here is styled as it is made.
    auto style = [this](int r, int c) {
        if (QTableWidgetItem* cell = item(r, c))
            StyleCell(cell, r, c);
        else if (IsFixed(r, c))
            NewCell(r, c, QString());
    };
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columnCount(); ++c)
            style(r, c);
    for (int r = rows; r < rowCount(); ++r)
        for (int c = 0; c < cols; ++c)
            style(r, c);
    styledRows_ = fixedRows_;
    styledCols_ = fixedCols_;
}

// ---- Heading rows kept in view ----

void FlexGrid::MakeFrozenRows() {
    // A second view of the same cells, laid over the top of the grid while it is scrolled.
    frozen_ = new QTableView(this);
    frozen_->setModel(model());
    frozen_->horizontalHeader()->hide();
    frozen_->verticalHeader()->hide();
    frozen_->verticalHeader()->setDefaultSectionSize(verticalHeader()->defaultSectionSize());
    frozen_->setFocusPolicy(Qt::NoFocus);
    frozen_->setFrameShape(QFrame::NoFrame);
    frozen_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    frozen_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    frozen_->setEditTriggers(NoEditTriggers);
    frozen_->setSelectionMode(NoSelection);
    frozen_->setHorizontalScrollMode(horizontalScrollMode());
    frozen_->viewport()->installEventFilter(this);
    frozen_->hide();
    connect(horizontalHeader(), &QHeaderView::sectionResized, frozen_,
            [this](int col, int, int size) { frozen_->setColumnWidth(col, size); });
    connect(verticalHeader(), &QHeaderView::sectionResized, frozen_,
            [this](int row, int, int size) {
                if (row < fixedRows_) {
                    frozen_->setRowHeight(row, size);
                    PlaceFrozenRows();
                }
            });
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, frozen_->horizontalScrollBar(),
            &QScrollBar::setValue);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, frozen_, [this] { PlaceFrozenRows(); });
}

void FlexGrid::SyncFrozenSpans() {
    frozen_->clearSpans();
    const int rows = std::min(fixedRows_, rowCount());
    // Merges join cells of one row only: each span starts where the walk meets it.
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columnCount(); c += std::max(1, columnSpan(r, c)))
            if (columnSpan(r, c) > 1) frozen_->setSpan(r, c, 1, columnSpan(r, c));
}

int FlexGrid::FrozenHeight() const {
    int height = 0;
    for (int r = 0; r < std::min(fixedRows_, rowCount()); ++r)
        height += rowHeight(r);
    return height;
}

void FlexGrid::PlaceFrozenRows() {
    // At the top the heading rows are the grid's own; scrolled, they are shown over it.
    const bool show = fixedRows_ > 0 && rowCount() > fixedRows_ && verticalScrollBar()->value() > 0;
    if (!show) {
        frozen_->hide();
        return;
    }
    const QRect area = viewport()->geometry();
    frozen_->setGeometry(area.x(), area.y(), area.width(), std::min(FrozenHeight(), area.height()));
    for (int c = 0; c < columnCount(); ++c)
        if (frozen_->columnWidth(c) != columnWidth(c)) frozen_->setColumnWidth(c, columnWidth(c));
    for (int r = 0; r < std::min(fixedRows_, rowCount()); ++r)
        if (frozen_->rowHeight(r) != rowHeight(r)) frozen_->setRowHeight(r, rowHeight(r));
    frozen_->horizontalScrollBar()->setValue(horizontalScrollBar()->value());
    frozen_->show();
    frozen_->raise();
}

void FlexGrid::resizeEvent(QResizeEvent* event) {
    QTableWidget::resizeEvent(event);
    PlaceFrozenRows();
}

bool FlexGrid::eventFilter(QObject* watched, QEvent* event) {
    if (frozen_ && watched == frozen_->viewport()) {
        // The heading rows shown over the grid are the grid's: its mouse-up event, its wheel;
        // presses and double clicks on them do nothing.
        switch (event->type()) {
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonDblClick:
                return true;
            case QEvent::MouseButtonRelease:
                PointerEvent(static_cast<QMouseEvent*>(event), MouseUp);
                return true;
            case QEvent::Wheel:
                QCoreApplication::sendEvent(viewport(), event);
                return true;
            default:
                break;
        }
    }
    return QTableWidget::eventFilter(watched, event);
}

}  // namespace qv::ui

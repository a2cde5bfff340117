// The grid control on QTableWidget.
#include "FlexGrid.h"

#include "Twips.h"

#include <QHeaderView>
#include <QStringList>
#include <cmath>

namespace qv::ui {

FlexGrid::FlexGrid(QWidget* parent) : QTableWidget(1, 1, parent) {
    horizontalHeader()->hide();
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(ToPixelsY(255));
    StyleFixedCells();
}

void FlexGrid::SetRows(int rows) {
    setRowCount(std::max(0, rows));
    StyleFixedCells();
}

void FlexGrid::SetCols(int cols) {
    setColumnCount(std::max(0, cols));
    StyleFixedCells();
}

void FlexGrid::SetFixedRows(int rows) {
    fixedRows_ = std::max(0, rows);
    if (rowCount() < fixedRows_) setRowCount(fixedRows_);
    StyleFixedCells();
}

void FlexGrid::SetFixedCols(int cols) {
    fixedCols_ = std::max(0, cols);
    if (columnCount() < fixedCols_) setColumnCount(fixedCols_);
    StyleFixedCells();
}

QString FlexGrid::TextMatrix(int row, int col) const {
    const QTableWidgetItem* cell = item(row, col);
    return cell ? cell->text() : QString();
}

void FlexGrid::SetTextMatrix(int row, int col, const QString& text) {
    if (QTableWidgetItem* cell = Cell(row, col)) cell->setText(text);
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

void FlexGrid::Refresh() {
    viewport()->repaint();
}

QTableWidgetItem* FlexGrid::Cell(int row, int col) {
    if (row < 0 || col < 0 || row >= rowCount() || col >= columnCount()) return nullptr;
    QTableWidgetItem* cell = item(row, col);
    if (!cell) {
        cell = new QTableWidgetItem;
        setItem(row, col, cell);
        if (row < fixedRows_ || col < fixedCols_) {
            cell->setFlags(Qt::ItemIsEnabled);
            cell->setBackground(palette().button());
        }
    }
    return cell;
}

void FlexGrid::StyleFixedCells() {
    // Only the heading rows and columns, now or before, can change their look.
    const int rows = std::min(rowCount(), std::max(fixedRows_, styledRows_));
    const int cols = std::min(columnCount(), std::max(fixedCols_, styledCols_));
    auto style = [this](int r, int c) {
        const bool fixed = r < fixedRows_ || c < fixedCols_;
        QTableWidgetItem* cell = item(r, c);
        if (!cell && !fixed) return;
        cell = Cell(r, c);
        cell->setFlags(fixed ? Qt::ItemIsEnabled
                             : Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable);
        cell->setBackground(fixed ? palette().button() : palette().base());
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

}  // namespace qv::ui

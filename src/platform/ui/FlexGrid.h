// The grid control: a table of text cells addressed by row and column from 0, whose first
// FixedRows rows and FixedCols columns are headings drawn as such, with column widths in twips
// and a format string that sets the column headings.
#pragma once

#include <QString>
#include <QTableWidget>
#include <initializer_list>

namespace qv::ui {

class FlexGrid : public QTableWidget {
  public:
    explicit FlexGrid(QWidget* parent = nullptr);

    int Rows() const { return rowCount(); }
    void SetRows(int rows);
    int Cols() const { return columnCount(); }
    void SetCols(int cols);
    int FixedRows() const { return fixedRows_; }
    void SetFixedRows(int rows);
    int FixedCols() const { return fixedCols_; }
    void SetFixedCols(int cols);

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

    // Repaints the grid now.
    void Refresh();

  private:
    QTableWidgetItem* Cell(int row, int col);
    void StyleFixedCells();

    int fixedRows_ = 1;
    int fixedCols_ = 0;
    int styledRows_ = 0;  // heading counts when the cells were last styled
    int styledCols_ = 0;
    QString formatString_;
};

}  // namespace qv::ui

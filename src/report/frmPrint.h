// The print form: every printed report of the program. A caller hands it the record to print
// and its kind (and, for the table reports, the texts of the grid the report prints), then calls
// GoPrinter, which asks for a printer and prints header, summary and body as one document. The
// same page routines draw on the printer or on the form's own surface (the preview). Use a fresh
// form for every job: nothing of one job may carry over into the next.
#pragma once

#include "CanvasWidget.h"
#include "DrawTarget.h"
#include "TextTable.h"
#include "uclVtmGraph.h"

#include <QPushButton>
#include <QStringList>
#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QPrinter;

namespace qv {

class clsAlarm;
class clsAlarmEvent;
class clsHeader;
class clsHistory;
class clsInterval;
class clsPowerEvent;
class clsTroubleEvent;

class frmPrint : public QWidget {
  public:
    explicit frmPrint(QWidget* parent = nullptr);
    ~frmPrint() override;

    // ---- What to print ----
    // 1 interval trend, 2 alarm trend, 3 calibration history, 4 last-calibration list,
    // 5 alarm events, 6 trouble events, 7 power events.
    int32_t DataType() const { return dataType_; }
    void SetDataType(int32_t v) { dataType_ = v; }
    // True: a trend (DataType 1 or 2) prints as a graph; ignored for the other kinds.
    bool PrintType() const { return printType_; }
    void SetPrintType(bool v) { printType_ = v; }
    // The log's header key; for DataType 4 the calibration-history log of the instrument.
    int32_t SeqNo() const { return seqNo_; }
    void SetSeqNo(int32_t v) { seqNo_ = v; }
    // The record objects, shared with the caller (never copied).
    std::shared_ptr<clsInterval> IntervalData() const { return intervalData_; }
    void SetIntervalData(std::shared_ptr<clsInterval> v) { intervalData_ = std::move(v); }
    std::shared_ptr<clsAlarm> AlarmData() const { return alarmData_; }
    void SetAlarmData(std::shared_ptr<clsAlarm> v) { alarmData_ = std::move(v); }
    std::shared_ptr<clsHistory> HistoryData() const { return historyData_; }
    void SetHistoryData(std::shared_ptr<clsHistory> v) { historyData_ = std::move(v); }
    std::shared_ptr<clsAlarmEvent> AlarmEventData() const { return alarmEventData_; }
    void SetAlarmEventData(std::shared_ptr<clsAlarmEvent> v) { alarmEventData_ = std::move(v); }
    std::shared_ptr<clsTroubleEvent> TroubleData() const { return troubleData_; }
    void SetTroubleData(std::shared_ptr<clsTroubleEvent> v) { troubleData_ = std::move(v); }
    std::shared_ptr<clsPowerEvent> PowerData() const { return powerData_; }
    void SetPowerData(std::shared_ptr<clsPowerEvent> v) { powerData_ = std::move(v); }
    // The texts of the grid a table report prints, as the caller's page shows them: for a
    // trend table the data view's grid (row 0 the header, column 1 the date and time, columns
    // 2 to 5 the gas values), for the last-calibration list the calibration history page's.
    const std::optional<ui::TextTable>& TableData() const { return tableData_; }
    void SetTableData(ui::TextTable v) { tableData_ = std::move(v); }

    // ---- The print job ----
    // Prints without a preview: loads the graph of a trend printed as a graph, then runs the
    // print job.
    void GoPrinter();
    // The print job: asks for a printer, prints the report as one document, and unloads the
    // form. Cancel is silent; a report with nothing to print or a failure gives a message.
    void cmdPrint_Click();
    // The line that opens every page: title, kind and the date and time of printing.
    void PrintPageHeader(ui::DrawTarget& target);

    // The surface a job draws on for the printer chosen and set up; tests replace it.
    using TargetMaker = std::function<std::shared_ptr<ui::DrawTarget>(QPrinter&)>;
    void SetTargetMaker(TargetMaker maker) { makeTarget_ = std::move(maker); }

    // ---- Page routines (each draws from the target's print position) ----
    // One row of cells at the columns of ColumnX, then down one line pitch.
    void PrintRow(ui::DrawTarget& target, const QStringList& cells);
    // The Property/Value block of the log header of a kind with a record (every kind but the
    // last-calibration list).
    void PrintSummary(ui::DrawTarget& target, const clsHeader& header);
    void PrintTrendTable(ui::DrawTarget& target);
    void PrintEventList(ui::DrawTarget& target);
    void PrintCalHistory(ui::DrawTarget& target);
    void PrintLastCalList(ui::DrawTarget& target);
    // Loads the trend into vtmPrint, and plots one alarm-trend sample with its status word,
    // a status code at the level of its series it stands for.
    void SetupTrendGraph();
    void PlotPrintSample(int series, int index, float value);

    // ---- The preview ----
    void Form_Load();
    void Form_Activate();
    void Form_Resize();
    void Form_Unload();
    // What the preview shows: header, summary and body on one surface, without page breaks.
    void DrawPreview(ui::DrawTarget& target);

    // Left edges of table columns 0 to 10 in the target's twips.
    std::array<double, 11> ColumnX{};

    ui::CanvasWidget* picForm = nullptr;  // the form's own surface
    uclVtmGraph* vtmPrint = nullptr;
    QPushButton* cmdPrint = nullptr;

  protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    // True when the kind has what its report needs (its record, or the grid's texts).
    bool HasSomethingToPrint() const;
    // The header of the record of the kind; nullptr for a kind without one or when the
    // record was not given.
    const clsHeader* RecordHeader() const;
    bool IsTrend() const { return dataType_ == 1 || dataType_ == 2; }
    // The report on the printer's surface or the form's: header, summary and body. Needs
    // HasSomethingToPrint.
    void PrintReport(ui::DrawTarget& target);
    void PrintGraph(ui::DrawTarget& target, double left, double top, double width, double height);
    // ColumnX from fractions of the target's width.
    void SetColumns(ui::DrawTarget& target, std::initializer_list<double> fractions);
    // Widens ColumnX for the rows of a table: a column whose widest text would reach the next
    // column moves the following ones right, and a table that then runs past the right edge
    // is set in a smaller font (not below kSmallestTableFont).
    void FitColumns(ui::DrawTarget& target, const std::vector<QStringList>& rows);
    static constexpr double kSmallestTableFont = 5.0;
    // The least room between two cells of a row: two blanks.
    static double CellGap(ui::DrawTarget& target);
    void BlankRow(ui::DrawTarget& target) { PrintRow(target, {QString()}); }
    // The thin rule under a column header row, and the thick one that closes a block.
    void HeaderRule(ui::DrawTarget& target);
    void ClosingRule(ui::DrawTarget& target);
    // Prints `count` items with the page flow of the printed tables: on a printer, after an
    // item other than the last that left the page more than 95 % full, a new page with the
    // page header and, a tenth of the page width from the top, the column header row and its
    // rule: `header`, or what `headerFor` gives for the item the new page goes on with.
    void PrintPagedRows(ui::DrawTarget& target, int count, const QStringList& header,
                        const std::function<void(int)>& item);
    void PrintPagedRows(ui::DrawTarget& target, int count,
                        const std::function<QStringList(int)>& headerFor,
                        const std::function<void(int)>& item);
    double FormFontSize() const;

    int32_t dataType_ = 0;
    bool printType_ = false;
    int32_t seqNo_ = 0;
    std::shared_ptr<clsInterval> intervalData_;
    std::shared_ptr<clsAlarm> alarmData_;
    std::shared_ptr<clsHistory> historyData_;
    std::shared_ptr<clsAlarmEvent> alarmEventData_;
    std::shared_ptr<clsTroubleEvent> troubleData_;
    std::shared_ptr<clsPowerEvent> powerData_;
    std::optional<ui::TextTable> tableData_;

    TargetMaker makeTarget_;
    // The printer current when the form was loaded, made current again when it unloads.
    QString savedPrinter_;
    bool redrawAllowed_ = false;
    // Whether the printer of the job kept portrait orientation.
    bool portrait_ = false;
};

// The calibration history page's Print: the list of instruments as that page shows it, in
// landscape, on a fresh print form.
void PrintLastCalibrationList(int32_t SeqNo, const ui::TextTable& list);

}  // namespace qv

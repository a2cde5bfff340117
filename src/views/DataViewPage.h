// The data view page: one stored log as a table with an optional summary, or as a trend graph
// with its gas, event and cursor check boxes and zoom list, and the print, copy, export and
// summary buttons. It reaches the main window's state through its host.
#pragma once

#include "DataViewHost.h"
#include "FlexGrid.h"
#include "PageFrame.h"
#include "uclVtmGraph.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <array>
#include <functional>
#include <memory>

class QMimeData;

namespace qv {

class clsHeader;
class clsInterval;
class clsRecordSet;

class DataViewPage : public ui::PageFrame {
  public:
    explicit DataViewPage(QWidget* parent = nullptr);
    ~DataViewPage() override;
    void SetCaptions() override;
    void LayoutPage() override;
    // The table, or the graph when it is chosen.
    QWidget* MainControl() const override;

    // Connects the page to its window; called once, before any procedure below runs.
    void Bind(const DataViewHost& host);

    // ---- Set-up (a failure passes to the caller with the page left empty) ----
    // Loads the current log into its record object and builds the table, the summary and, for
    // a trend with enough samples, the graph; neither switches pages nor lays out.
    void ShowDataView();
    // The stored-data page's "Detail": builds the view and shows this page, or says that no log
    // is chosen.
    void cmdDetail_Click();
    // The largest number of plottable samples (readings and OVER) over the gases 1 to 4 that
    // the log's header enables; 999 when it enables none. One gas whose sensor failed for the
    // whole log keeps nobody from the graph of the others.
    static int CountValidSamples(const clsInterval& record);

    // ---- Table and summary ----
    // Fills the summary grid for the current kind and then the table from the loaded record.
    void ShowDataList();
    void ShowLogSummary(const clsHeader& header);

    // ---- Graph ----
    // Draws the loaded interval or alarm trend; other kinds leave the graph empty.
    void ShowTrendGraph();
    // Plots one alarm-trend sample of a series: a reading as it is (in gas 1's second unit when
    // `convert`), a status code as the level it stands for, with its short word as the flag.
    void PlotTrendSample(int32_t kind, int series, int index, float value, bool convert = false);

    // ---- Controls (user actions; a failure passes to the caller) ----
    // 0 table, 1 graph.
    void optBrowse_Click(int Index);
    // 0 to 3 a gas, 4 the events, 5 the cursor.
    void chkBrowse_Click(int Index);
    void chkEvent_Click();
    void cmbBrowse_Click();
    // A right button released on the table or the summary of a trend pops up the unit menu.
    void vfgBrowse_MouseUp(int Button, int Shift, double X, double Y);
    void vfgSummary_MouseUp(int Button, int Shift, double X, double Y);

    // ---- Commands (user actions; a failure passes to the caller, Cancel is silent) ----
    // 0 prints the log on show, 1 copies it to the clipboard, 2 saves it to a file, 3 shows or
    // hides the summary. Table chosen: the export text; Graph chosen: the graph's picture.
    void cmdBrowse_Click(int Index);
    // Puts what `build` makes on the clipboard; when building fails the clipboard keeps what
    // it held.
    static void ReplaceClipboard(const std::function<std::unique_ptr<QMimeData>()>& build);

    // 0 table, 1 graph.
    std::array<QRadioButton*, 2> optBrowse{};
    QCheckBox* chkEvent = nullptr;
    ui::FlexGrid* vfgSummary = nullptr;
    ui::FlexGrid* vfgBrowse = nullptr;
    uclVtmGraph* vtmGraph = nullptr;
    // 0 to 3 gases 1 to 4, 4 events, 5 cursor.
    std::array<QCheckBox*, 6> chkBrowse{};
    QLabel* lblTitle1 = nullptr;
    QComboBox* cmbBrowse = nullptr;
    // 0 print, 1 to clipboard, 2 export, 3 summary.
    std::array<QPushButton*, 4> cmdBrowse{};

  private:
    // Runs a user action; a failure becomes a message box, never an exception out of a slot.
    void Handle(const std::function<void()>& action);
    bool Ticked(int index) const;
    // Chooses "Table" and disables "Graph"; the view switches when the choice changed.
    void ForceTable();
    // The record object of the current kind; nullptr for a kind the page does not show.
    clsRecordSet* CurrentRecord() const;
    // Loads the current log into the record object of its kind.
    void LoadCurrentRecord();
    // Fills the zoom list for a trend of `dataCount` samples at its first entry, zoom 1.
    void FillZoomList(int dataCount);
    // Empties the table, the summary and the graph: what a failed set-up leaves.
    void EmptyView();
    void ShowDataViewSteps();
    void PopupUnitsOn(int Button);

    // The table of each kind.
    void ShowIntervalTable(const clsInterval& record);
    void ShowAlarmTable();
    void ShowHistoryTable();
    void ShowEventTable();

    void ShowIntervalGraph(const clsInterval& record);
    void ShowAlarmGraph();

    // The commands of cmdBrowse.
    bool GraphChosen() const { return optBrowse[1]->isChecked(); }
    void PrintLog();
    void CopyLog();
    // False when the user cancelled the save dialog.
    bool ExportLog();
    // The export text of the log on show with that separator.
    QString SampleText(const QString& separator) const;
    // The graph's picture as the bytes of a bitmap file.
    QByteArray GraphBitmap();

    std::unique_ptr<DataViewHost> host_;
};

}  // namespace qv

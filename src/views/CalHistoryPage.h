// The calibration history page: the latest calibration of every instrument the database knows,
// in one of three layouts chosen by option buttons, with overdue and due-soon calibrations and
// old downloads coloured; a pop-up menu on the grid prints or, behind the password, deletes the
// latest calibration of one instrument.
#pragma once

#include "CalHistoryHost.h"
#include "FlexGrid.h"
#include "PageFrame.h"

#include <QAction>
#include <QMenu>
#include <QRadioButton>
#include <QVariant>
#include <array>
#include <memory>
#include <optional>
#include <vector>

namespace qv {

class CalHistoryPage : public ui::PageFrame {
  public:
    explicit CalHistoryPage(QWidget* parent = nullptr);
    ~CalHistoryPage() override;
    void SetCaptions() override;
    void LayoutPage() override;
    QWidget* MainControl() const override { return vfgHistory; }

    // Connects the page to its window; called once, before any handler runs.
    void Bind(const CalHistoryHost& host);

    // Fills the grid from the database in the chosen layout and lays the window out. A
    // database failure is reported and leaves the grid empty (never half filled).
    void ShowCalHistory();

    // ---- Commands ----
    // A layout chosen (0 need calibration, 1 calibration date, 2 calibration record).
    void optHistory_Click(int Index);
    // A right button released over the grid in layouts 0 and 1 pops up the menu.
    void vfgHistory_MouseUp(int Button, int Shift, double X, double Y);
    // Keeps the selection to the current row.
    void vfgHistory_SelChange();
    // 0 print, 1 the separator, 2 delete; they act on the current row.
    void mnuHistDel_Click(int Index);

    // 0 need calibration, 1 calibration date, 2 calibration record.
    std::array<QRadioButton*, 3> optHistory{};
    ui::FlexGrid* vfgHistory = nullptr;
    // The grid's pop-up menu: 0 "Print", 1 "-", 2 "Delete". Print and its separator are
    // left out while the window offers no printing.
    QMenu* mnuHistDels = nullptr;
    std::array<QAction*, 3> mnuHistDel{};

  private:
    // The identity of a cLatestHist row exactly as stored (a Null stays Null).
    struct Identity {
        QVariant serial, user, station;
    };
    // The layout chosen, -1 when no button is on.
    int SelectedLayout() const;
    // Empties the grid for a layout: its columns, the header row only, its display settings.
    void PrepareGrid(int layout);
    // The same where a failure must leave a consistent page: never fails.
    void EmptyGrid(int layout);
    void FillFromDatabase(int layout);
    // Column widths that show every text whole.
    void FitColumnsToText();
    // The stored identity of a data row of the grid, nothing for the header or an empty grid.
    std::optional<Identity> CurrentIdentity() const;
    void PrintRow(const Identity& id);
    void DeleteRow(int row, const Identity& id);

    std::unique_ptr<CalHistoryHost> host_;
    // The identity behind each grid row (index = row); the header row has none.
    std::vector<std::optional<Identity>> rowIdentity_;
    bool filling_ = false;
};

}  // namespace qv

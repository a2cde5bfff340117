// The instrument information page: its controls, captions and layout, and its fill.
#include "InstrumentPage.h"

#include "Dates.h"
#include "GridCells.h"
#include "Twips.h"
#include "clsInstrument.h"
#include "modCalDue.h"
#include "modGasChecks.h"
#include "modGlobals.h"
#include "modMessage.h"
#include "modModel.h"
#include "modViewSupport.h"
#include "uclQvif.h"

#include <QScopeGuard>

namespace qv {

using ui::Height;
using ui::Keep;
using ui::Left;
using ui::Move;
using ui::Top;
using ui::Width;

namespace {

constexpr int32_t kFailColor = ui::RGB(255, 0, 0);

}  // namespace

InstrumentPage::InstrumentPage(QWidget* parent) : PageFrame(parent) {
    fraInst = new QGroupBox(this);
    constexpr std::array<int, 4> names{0, 1, 2, 6};
    constexpr std::array<int, 4> values{3, 4, 5, 7};
    for (auto& l : lblInst)
        l = new QLabel(fraInst);
    for (size_t row = 0; row < names.size(); ++row) {
        Move(lblInst[names[row]], 120, 300 + 600.0 * row, 3000, 255);
        Move(lblInst[values[row]], 240, 570 + 600.0 * row, 2400, 255);
    }
    vfgInst = new ui::FlexGrid(this);
    vfgInstSensor = new ui::FlexGrid(this);
    // Display grids: no cell is ever chosen.
    vfgInst->SetHighLight(ui::FlexGrid::HighLightNever);
    vfgInstSensor->SetHighLight(ui::FlexGrid::HighLightNever);
}

InstrumentPage::~InstrumentPage() = default;

void InstrumentPage::Bind(const SettingsHost& host) {
    host_ = std::make_unique<SettingsHost>(host);
}

void InstrumentPage::SetCaptions() {
    setTitle(GetMessage(5051));
    fraInst->setTitle(GetMessage(5052));
    lblInst[0]->setText(GetMessage(5053));
    lblInst[1]->setText(GetMessage(5054));
    lblInst[2]->setText(GetMessage(5055));
    lblInst[6]->setText(GetMessage(5056));
}

void InstrumentPage::LayoutPage() {
    const double pw = Width(this);
    const double ph = Height(this);
    Move(fraInst, 120, ui::ContentTop(this), pw * 0.3, ph * 0.45);
    for (int i : {0, 1, 2, 6})
        Move(lblInst[i], Keep, Keep, Width(fraInst) - 240);
    const double right = Left(fraInst) + Width(fraInst);
    // The grid's top stays 120 twips below the frame's (360 beside a frame at 240), wherever
    // the page's caption moves the frame, so the two stay level with each other.
    Move(vfgInst, right + 120, Top(fraInst) + 120, pw - right - 240, Height(fraInst) - 120);
    const double below = Top(fraInst) + Height(fraInst);
    Move(vfgInstSensor, 120, below + 120, pw - 240, ph - below - 360);

    const QString language = GetMessage(101);
    const int cols = vfgInst->Cols();
    if (language == QLatin1String("EN")) {
        if (cols == 5) vfgInst->SetColWidths({0.15, 0.38, 0.11, 0.11, 0.1});
        if (cols == 6) vfgInst->SetColWidths({0.13, 0.38, 0.08, 0.08, 0.1, 0.08});
    } else if (language == QLatin1String("JP")) {
        if (cols == 5) vfgInst->SetColWidths({0.15, 0.3, 0.15, 0.15, 0.1});
        if (cols == 6) vfgInst->SetColWidths({0.13, 0.3, 0.11, 0.11, 0.12, 0.08});
    }
    if (vfgInstSensor->Cols() == 6) vfgInstSensor->SetColWidths({0.25, 0.12, 0.13, 0.13, 0.13});
    // The shares are the starting point: a text that they would cut ("期限切れ") widens its
    // column, taking room from where it is to spare.
    vfgInst->FitColsToText();
    vfgInstSensor->FitColsToText();
}

InstrumentPage::Shown InstrumentPage::Which() const {
    const SettingsHost& h = *host_;
    if (h.ShowLogInstrument) return Shown::StoredLog;
    // A power-off puts the link back to its start-up status: whatever the object still holds
    // belongs to no connected instrument.
    return SettingsPresent(h) ? Shown::Connected : Shown::None;
}

void InstrumentPage::ShowInstrumentInfo() {
    // Refilled out of sight; the page keeps its visibility.
    setUpdatesEnabled(false);
    const auto done = qScopeGuard([this] { setUpdatesEnabled(true); });
    const Shown which = Which();
    setTitle(GetMessage(which == Shown::None ? 5057 : which == Shown::StoredLog ? 5058 : 5059));
    lblInst[6]->setVisible(ServiceMode);
    lblInst[7]->setVisible(ServiceMode);
    if (which == Shown::None) {
        for (int i : {3, 4, 5, 7})
            lblInst[static_cast<size_t>(i)]->clear();
    } else {
        const clsInstrument& in =
            which == Shown::StoredLog ? *host_->LogInstrument : *host_->CurInstrument;
        lblInst[3]->setText(in.SerialNo());
        lblInst[4]->setText(in.StationID());
        lblInst[5]->setText(in.UserId());
        lblInst[7]->setText(QString::number(in.RomNumber()).rightJustified(5, u'0'));
    }
    FillCalibrations(which);
    vfgInst->Refresh();
    FillSensors(which);
    // New texts on a page in view; a hidden page is fitted by the layout that shows it.
    if (ui::IsShown(this)) {
        vfgInst->FitColsToText();
        vfgInstSensor->FitColsToText();
    }
}

void InstrumentPage::FillCalibrations(Shown which) {
    ui::FlexGrid& grid = *vfgInst;
    QVariantList captions{GetMessage(5631), GetMessage(5632), GetMessage(5633), GetMessage(5634),
                          GetMessage(5635)};
    if (which != Shown::StoredLog) captions << GetMessage(5636);
    PrepareGasGrid(grid, which == Shown::StoredLog ? 5 : 6, 5626, captions);
    for (int g = 0; g < kGases; ++g) {
        const int row = g + 2;
        if (which == Shown::None) {
            const clsInstrument& def = *DefaultInstrument();
            FillGridRow(grid, row, 0, false,
                        {GetGasCaption(&def, g), QString(), kDashes, kDashes, kDashes, QString()});
        } else if (which == Shown::StoredLog) {
            const clsInstrument& in = *host_->LogInstrument;
            const QString caption = GetGasCaption(&in, g);
            if (in.GasEnabled(g))
                FillGridRow(grid, row, 0, false,
                            {caption, FormatValidDate(in.CalibDate(g)), in.CalibBeforeForm(g),
                             in.CalibAfterForm(g), LevelText(in, g, GasLevel::AutoCal)});
            else
                FillGridRow(grid, row, 0, true, {caption, kDashes});
        } else {
            FillConnectedCalibration(g);
        }
    }
}

void InstrumentPage::FillConnectedCalibration(int g) {
    ui::FlexGrid& grid = *vfgInst;
    const SettingsHost& h = *host_;
    const clsInstrument& in = *h.CurInstrument;
    const int row = g + 2;
    const QDateTime calDate = in.CalibDate(g);
    const QString dateText = FormatValidDate(calDate);
    const QString autoCalText =
        ServiceMode ? FactorySpanText(in, g) : LevelText(in, g, GasLevel::AutoCal);
    const QString caption = GetGasCaption(&in, g);
    const QVariantList normal{caption, dateText, in.CalibBeforeForm(g), in.CalibAfterForm(g),
                              autoCalText};
    if (OperationMode == OpSpanCalibration && h.SpanSelected[static_cast<size_t>(g)]) {
        // A span renews the calibration date: one not stamped within the last two hours (or
        // stamped ahead of the computer's clock) did not take.
        const QDateTime now = rt::Now();
        if (calDate > now.addSecs(-2 * 3600) && calDate <= now) {
            FillGridRow(grid, row, 0, false, normal);
        } else {
            for (int col = 1; col <= 5; ++col)
                grid.SetCellBackColor(row, col, kFailColor);
            // Nothing holds a reading from before the failed span: the cell says so.
            FillGridRow(grid, row, 0, false,
                        {caption, dateText, kDashes, QStringLiteral("FAIL"), autoCalText});
        }
    } else if (OperationMode == OpSpanCalibration || in.GasEnabled(g)) {
        FillGridRow(grid, row, 0, false, normal);
    } else {
        FillGridRow(grid, row, 0, true, {caption, kDashes});
    }
    if (dateText.isEmpty() || !in.GasEnabled(g)) return;
    const int32_t limit = in.CalLimit();
    switch (GetCalDueState(calDate, limit)) {
        case CalOverdue:
            grid.SetTextMatrix(row, 5, GetMessage(5637));
            grid.SetCellBackColor(row, 5, CalOverdueColor);
            break;
        case CalDueSoon:
            grid.SetTextMatrix(row, 5,
                               GetMessage(5638, {QString::number(CalDaysLeft(calDate, limit))}));
            grid.SetCellBackColor(row, 5, CalDueSoonColor);
            break;
        default:
            grid.SetTextMatrix(row, 5, QString::number(CalDaysLeft(calDate, limit)));
            grid.SetCellBackColor(row, 5, 0);
            break;
    }
}

void InstrumentPage::FillSensors(Shown which) {
    ui::FlexGrid& grid = *vfgInstSensor;
    PrepareGasGrid(grid, 6, 5639,
                   {GetMessage(5640), GetMessage(5641), GetMessage(5642), GetMessage(5643),
                    GetMessage(5644), GetMessage(5645)});
    for (int g = 0; g < kGases; ++g) {
        const int row = g + 2;
        if (which == Shown::None) {
            const clsInstrument& def = *DefaultInstrument();
            FillGridRow(grid, row, 0, true, {GetGasCaption(&def, g), QString(), kDashes});
            SetCheckBox(grid, row, 1, false);
            continue;
        }
        const clsInstrument& in =
            which == Shown::StoredLog ? *host_->LogInstrument : *host_->CurInstrument;
        // Each level as the instrument holds it, its sensor on or off.
        FillGridRow(grid, row, 0, false,
                    {GetGasCaption(&in, g), QString(), LevelText(in, g, GasLevel::Warning),
                     LevelText(in, g, GasLevel::Alarm), LevelText(in, g, GasLevel::Stel),
                     LevelText(in, g, GasLevel::Twa)});
        SetCheckBox(grid, row, 1, in.GasEnabled(g));
    }
    grid.Refresh();
}

}  // namespace qv

// The calibration panel of the option page: its grid of gases with their span selection,
// span-gas concentrations and live readings, and zero and span calibration with their reports.
#include "Dates.h"
#include "DownloadPage.h"
#include "GridCells.h"
#include "LinkGuard.h"
#include "OptionPage.h"
#include "Runtime.h"
#include "UserDialogs.h"
#include "clsInstrument.h"
#include "frmUpload.h"
#include "modGasChecks.h"
#include "modGlobals.h"
#include "modMessage.h"
#include "modModel.h"
#include "uclQvif.h"

namespace qv {

namespace {

constexpr int32_t kDisabledColor = ui::RGB(192, 192, 192);

// The panel while a calibration runs: its buttons disabled, the operation state set, the
// progress dialog shown and the live readings stopped; all given back at its end, whatever
// became of the calibration.
class CalibrationRun {
  public:
    CalibrationRun(SettingsHost& host, const std::array<QPushButton*, 3>& buttons, int16_t mode,
                   int caption)
        : host_(host), buttons_(buttons) {
        Enable(false);
        OperationMode = mode;
        frmUpload* progress = host_.Upload();
        progress->setWindowTitle(GetMessage(caption));
        progress->show();
        host_.link.SetRunDensty(false);
    }
    ~CalibrationRun() {
        Finish();
        host_.link.SetRunDensty(true);
        OperationMode = OpIdle;
    }
    CalibrationRun(const CalibrationRun&) = delete;
    CalibrationRun& operator=(const CalibrationRun&) = delete;
    // The buttons back and the progress dialog gone, before a report is shown.
    void Finish() {
        Enable(true);
        host_.UnloadUpload();
    }

  private:
    void Enable(bool on) {
        for (QPushButton* b : buttons_)
            b->setEnabled(on);
    }
    SettingsHost& host_;
    const std::array<QPushButton*, 3>& buttons_;
};

}  // namespace

void OptionPage::ShowCalibrationGrid() {
    ui::FlexGrid& grid = *vfgCal;
    const SettingsHost& h = *host_;
    const clsInstrument& in = *h.CurInstrument;
    const bool known = SettingsPresent(h);
    const clsInstrument& names = known ? in : *DefaultInstrument();
    grid.Clear();
    grid.SetCols(4);
    grid.SetRows(1 + kGases);
    grid.SetFixedRows(1);
    grid.SetFixedCols(1);
    grid.SetFormatString(GetMessage(ServiceMode ? 5666 : 5656));
    for (int c = 0; c < kGases; ++c)
        grid.SetTextMatrix(c + 1, 0, names.GasName(c));
    for (int r = 1; r <= kGases; ++r) {
        // Every enabled channel starts selected for a span.
        const bool enabled = in.GasEnabled(r - 1);
        SetCheckBox(grid, r, 1, enabled);
        grid.SetCellBackColor(r, 1, enabled ? 0 : kDisabledColor);
        if (ServiceMode) {
            grid.SetTextMatrix(r, 2, FactorySpanText(in, r - 1));
            grid.SetCellBackColor(r, 2, kFactoryColor);
        } else {
            grid.SetTextMatrix(r, 2, known ? StoredText(Column::AutoCal, r - 1) : kDashes);
        }
    }
    grid.SetColWidths({0.18, 0.18, 0.3});
    grid.Refresh();
}

void OptionPage::ShowCalReadings() {
    const SettingsHost& h = *host_;
    for (int c = 0; c < kGases; ++c)
        vfgCal->SetTextMatrix(c + 1, 3,
                              FormatGasValue(h.NowReadings[static_cast<size_t>(c)],
                                             h.CurInstrument->GasPoint(c), false));
    vfgCal->Refresh();
}

void OptionPage::LoadAutoCalValues() {
    const clsInstrument& in = *host_->CurInstrument;
    const clsInstrument& defaults = *DefaultInstrument();
    for (int c = 0; c < kGases; ++c) {
        float& value = FactAutoCal[static_cast<size_t>(c)];
        if (value != -1) continue;
        value = in.AutoCalib(c) != -1 ? in.AutoCalib(c) : defaults.AutoCalib(c);
    }
}

void OptionPage::ShowCalibrationPanel(bool open) {
    fraOption[1]->setVisible(!open);
    for (QPushButton* b : cmdOption)
        b->setVisible(!open);
    if (host_->EnablePageButtons) host_->EnablePageButtons(!open);
    fraOption[2]->setVisible(open);
    Form_Resize();
}

void OptionPage::vfgCal_BeforeEdit(int Row, int Col, bool& Cancel) {
    // The readings column is the instrument's.
    if (Col == 3 || host_->FillingGrid) Cancel = true;
}

void OptionPage::vfgCal_AfterEdit(int Row, int Col) {
    if (Col != 1) return;
    // A disabled channel can never stay selected.
    if (!host_->CurInstrument->GasEnabled(Row - 1)) SetTicked(*vfgCal, Row, 1, false);
}

void OptionPage::vfgCal_ValidateEdit(int Row, int Col, bool& Cancel) {
    const int c = Row - 1;
    if (Col != 2 || c < 0 || c >= kGases) return;
    bool& filling = host_->FillingGrid;
    filling = true;
    // In service mode the panel edits the factory value, otherwise the instrument's.
    const Column column = ServiceMode ? Column::Factory : Column::AutoCal;
    if (column == Column::Factory) KeepFactoryValues(*vfgCal);
    const int mirrorCol = ServiceMode ? 7 : 5;
    const QString text = vfgCal->EditText();
    if (rt::Trim(text).isEmpty()) {
        StoreOptionEntry(column, c, text);
        vfgOption->SetTextMatrix(Row + 1, mirrorCol, kDashes);
        vfgCal->SetEditText(kDashes);
        SetTicked(*vfgCal, Row, 1, false);
        filling = false;
        return;
    }
    if (rt::IsNumeric(text)) {
        Cancel = !StoreOptionEntry(column, c, text);
    } else if (text.contains(QStringLiteral("--"))) {
        // Here "--" stands for a concentration of 0, not for none.
        if (ServiceMode)
            FactAutoCal[static_cast<size_t>(c)] = 0;
        else
            host_->CurInstrument->SetAutoCalib(c, 0);
    } else {
        Cancel = true;
    }
    // Refused or not, the editor and the settings grid show what is stored.
    const QString shown = StoredText(column, c);
    vfgCal->SetEditText(shown);
    vfgOption->SetTextMatrix(Row + 1, mirrorCol, shown);
    filling = false;
}

void OptionPage::cmdCal_Click(int Index) {
    if (Index >= 0 && Index < static_cast<int>(cmdCal.size()) &&
        !CommitEntries(cmdCal[static_cast<size_t>(Index)]->text()))
        return;
    switch (Index) {
        case 0:
            RunZero();
            break;
        case 1:
            RunSpan();
            break;
        case 2:
            ExitCalibration();
            break;
        default:
            break;
    }
}

QString OptionPage::CalibrationReport(bool span) const {
    const SettingsHost& h = *host_;
    const clsInstrument& in = *h.CurInstrument;
    QString report;
    for (int c = 0; c < kGases; ++c) {
        if (span && !h.SpanSelected[static_cast<size_t>(c)]) continue;
        const bool passed = span ? h.link.SpanStatus(c) : h.link.ZeroStatus(c);
        // A failed channel shows the last reading taken before the calibration started.
        report += passed ? in.GasName(c) + QStringLiteral("  ") + GetMessage(5354)
                         : in.GasName(c) + u'(' +
                               FormatGasValue(h.NowReadings[static_cast<size_t>(c)], in.GasPoint(c),
                                              false) +
                               QStringLiteral(") Failed");
        report += QStringLiteral("\r\n");
    }
    return report;
}

void OptionPage::RunZero() {
    SettingsHost& h = *host_;
    LinkGuard::Claim claim(h.link.Guard());
    if (!claim) return;
    CalibrationRun run(h, cmdCal, OpZeroCalibration, 6002);
    // Every channel, whatever is selected.
    const bool ok = h.link.ZeroCal(QStringLiteral("11111"));
    run.Finish();
    if (ok) {
        Dialogs().MsgBox(CalibrationReport(false), vbInformation, GetMessage(5355));
    } else {
        h.AddLogLine(GetMessage(5413), LogColor::Failure);
        h.link.AddLog(GetMessage(5516, {GeneralDate(rt::Now())}));
    }
}

bool OptionPage::SpanConcentrationsValid() {
    const SettingsHost& h = *host_;
    const clsInstrument& in = *h.CurInstrument;
    QStringList refused;
    for (int c = 0; c < kGases; ++c) {
        if (!h.SpanSelected[static_cast<size_t>(c)]) continue;
        const float v = in.AutoCalib(c);
        // A concentration that its five-character field would change is never sent either.
        if (v >= 0 && v <= in.GasFullScale(c) && IsOverWarnLevel(in, c, v) &&
            ValueField(v, in.GasPoint(c)))
            continue;
        refused << GetGasCaption(&in, c) + QStringLiteral("  ") + GetMessage(5654) + u' ' +
                       rt::Trim(StoredText(Column::AutoCal, c));
    }
    if (refused.isEmpty()) return true;
    Dialogs().MsgBox(refused.join(QStringLiteral("\r\n")), vbInformation, GetMessage(5346));
    return false;
}

void OptionPage::RunSpan() {
    SettingsHost& h = *host_;
    const clsInstrument& in = *h.CurInstrument;
    LinkGuard::Claim claim(h.link.Guard());
    if (!claim) return;
    QString mask;
    for (int c = 0; c < kGases; ++c) {
        bool& selected = h.SpanSelected[static_cast<size_t>(c)];
        selected = IsTicked(*vfgCal, c + 1, 1) && in.GasEnabled(c);
        mask += selected ? u'1' : u'0';
    }
    if (mask == QStringLiteral("00000")) {
        Dialogs().MsgBox(GetMessage(5345), vbInformation, GetMessage(5346));
        OperationMode = OpIdle;
        return;
    }
    // A channel without a usable concentration is never sent as one.
    if (!SpanConcentrationsValid()) {
        OperationMode = OpIdle;
        return;
    }
    QString gasFlag = mask;
    for (int c = 0; c < kGases; ++c)
        gasFlag += u',' + (h.SpanSelected[static_cast<size_t>(c)]
                               ? *ValueField(in.AutoCalib(c), in.GasPoint(c))
                               : QStringLiteral("*****"));

    CalibrationRun run(h, cmdCal, OpSpanCalibration, 6003);
    h.link.AddLog(GetMessage(5515, {GeneralDate(rt::Now())}));
    const bool ok = h.link.SpanCal(gasFlag);
    if (!ok) {
        h.AddLogLine(GetMessage(5413), LogColor::Failure);
        return;
    }
    const QString report = CalibrationReport(true);
    run.Finish();
    Dialogs().MsgBox(report, vbInformation, GetMessage(5355));
}

void OptionPage::LeaveCalibration() {
    if (!fraOption[2]->isHidden()) ExitCalibration();
}

void OptionPage::ExitCalibration() {
    SettingsHost& h = *host_;
    // Readings and pump are the link's: not while another operation holds it.
    LinkGuard::Claim claim(h.link.Guard());
    if (!claim) return;
    h.link.SetRunDensty(false);
    h.link.SetPump(false);
    ShowCalibrationPanel(false);
}

}  // namespace qv

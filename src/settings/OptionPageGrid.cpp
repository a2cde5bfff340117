// The option page's fill and its settings grid: which cells may be edited, the checking,
// rounding and storing of an entered level or span-gas concentration, and, in service mode,
// switching a sensor on (with a gas chosen from the catalogue) or off.
#include "GridCells.h"
#include "OptionPage.h"
#include "Questions.h"
#include "Runtime.h"
#include "Twips.h"
#include "UserAction.h"
#include "UserDialogs.h"
#include "clsInstrument.h"
#include "frmGasSel.h"
#include "modGasChecks.h"
#include "modGlobals.h"
#include "modMessage.h"
#include "modModel.h"
#include "modViewSupport.h"
#include "uclQvif.h"

#include <QScopeGuard>

namespace qv {

namespace {

constexpr int32_t kOrderColor = ui::RGB(255, 0, 0);
const QStringList kIntervals{"10", "20", "30", "60", "180", "300", "600"};

}  // namespace

OptionPage::Column OptionPage::ColumnOf(int Col) const {
    static constexpr std::array<Column, 8> service{Column::None,    Column::Enable, Column::Warning,
                                                   Column::Alarm,   Column::Stel,   Column::Twa,
                                                   Column::AutoCal, Column::Factory};
    static constexpr std::array<Column, 6> normal{Column::None, Column::Warning, Column::Alarm,
                                                  Column::Stel, Column::Twa,     Column::AutoCal};
    if (Col < 0) return Column::None;
    if (ServiceMode) return Col < 8 ? service[static_cast<size_t>(Col)] : Column::None;
    return Col < 6 ? normal[static_cast<size_t>(Col)] : Column::None;
}

int32_t OptionPage::LockedColor() const {
    return vfgOption->BackColorFixed();
}

void OptionPage::ShowOptionGrid() {
    SettingsHost& h = *host_;
    // Refilled out of sight; the page keeps its visibility (and its focus, which leaving an
    // identity field would turn into an edit).
    setUpdatesEnabled(false);
    h.FillingGrid = true;
    const auto done = qScopeGuard([&] {
        h.FillingGrid = false;
        setUpdatesEnabled(true);
    });
    cmdOptionDisp[5]->setVisible(ServiceMode);
    cmdOptionDisp[6]->setVisible(ServiceMode);
    const bool present = SettingsPresent(h);
    if (!present) {
        for (QPushButton* b : cmdOption)
            b->setEnabled(false);
        for (QLineEdit* t : txtOption)
            t->clear();
        cmdOptionDisp[5]->setEnabled(false);
        ShowInterval(300);
    } else {
        const bool connected = h.link.Connected();
        for (QPushButton* b : cmdOption)
            b->setEnabled(connected);
        cmdOptionDisp[5]->setEnabled(true);
        cmdOptionDisp[6]->setEnabled(true);
        const clsInstrument& in = *h.CurInstrument;
        txtOption[0]->setText(in.SerialNo());
        txtOption[1]->setText(in.StationID());
        txtOption[2]->setText(in.UserId());
        ShowInterval(in.Intervals());
    }
    FillOptionRows(present);
    vfgOption->Refresh();
    ShowCalibrationGrid();
}

void OptionPage::ShowInterval(int16_t seconds) {
    cmbInterval->clear();
    cmbInterval->addItems(kIntervals);
    const QString text = QString::number(seconds);
    qsizetype index = kIntervals.indexOf(text);
    if (index < 0) {
        // The instrument's own interval is shown as it is; only choosing another one changes it.
        index = 0;
        while (index < kIntervals.size() && kIntervals[index].toInt() < seconds)
            ++index;
        cmbInterval->insertItem(static_cast<int>(index), text);
    }
    cmbInterval->setCurrentIndex(static_cast<int>(index));
}

void OptionPage::FillOptionRows(bool present) {
    ui::FlexGrid& grid = *vfgOption;
    const clsInstrument& in = *host_->CurInstrument;
    const clsInstrument& defaults = *DefaultInstrument();
    QVariantList titles{GetMessage(5648)};
    if (ServiceMode) titles << GetMessage(5649);
    for (int id : {5650, 5651, 5652, 5653, 5654})
        titles << GetMessage(id);
    if (ServiceMode) titles << GetMessage(5665);
    PrepareGasGrid(grid, ServiceMode ? 8 : 6, 5647, titles);
    if (ServiceMode) LoadAutoCalValues();

    const int levelCol = ServiceMode ? 2 : 1;
    for (int g = 0; g < kGases; ++g) {
        const int row = g + 2;
        QVariantList values{present ? GetGasCaption(&in, g) : GetGasCaption(&defaults, g)};
        if (ServiceMode) values << QString();
        for (const Column column : kValueColumns)
            values << (present ? StoredText(column, g) : kDashes);
        if (ServiceMode) values << StoredText(Column::Factory, g);
        FillGridRow(grid, row, 0, false, values);
        if (ServiceMode) SetCheckBox(grid, row, 1, present && in.GasEnabled(g));
    }
    // Gases 1 and 2 have no STEL and TWA levels.
    for (int row : {2, 3})
        for (int col : {levelCol + 2, levelCol + 3})
            grid.SetCellBackColor(row, col, LockedColor());
    if (ServiceMode) {
        for (int g = 0; g < kGases; ++g) {
            if (GasLocked[static_cast<size_t>(g)]) grid.SetCellBackColor(g + 2, 1, LockedColor());
            grid.SetCellBackColor(g + 2, 7, kFactoryColor);
        }
    }
    if (!present) return;
    for (int g = 0; g < kGases; ++g)
        if (!IsAlarmOrderValid(in, g)) {
            grid.SetCellBackColor(g + 2, levelCol, kOrderColor);
            grid.SetCellBackColor(g + 2, levelCol + 1, kOrderColor);
        }
}

void OptionPage::vfgOption_BeforeEdit(int Row, int Col, bool& Cancel) {
    if (host_->FillingGrid || Row < 2 || vfgOption->CellBackColor(Row, Col) == LockedColor())
        Cancel = true;
}

QString OptionPage::StoredText(Column column, int gas) const {
    const clsInstrument& in = *host_->CurInstrument;
    switch (column) {
        // A channel's values as the instrument holds them, its sensor on or off, or, once
        // changed, in its sensor's decimal places: what is shown is what an upload writes.
        case Column::Warning:
            return LevelText(in, gas, GasLevel::Warning);
        case Column::Alarm:
            return LevelText(in, gas, GasLevel::Alarm);
        case Column::Stel:
            return LevelText(in, gas, GasLevel::Stel);
        case Column::Twa:
            return LevelText(in, gas, GasLevel::Twa);
        case Column::AutoCal:
            return LevelText(in, gas, GasLevel::AutoCal);
        case Column::Factory:
            return FactorySpanText(in, gas);
        default:
            return QString();
    }
}

bool OptionPage::StoreOptionEntry(Column column, int gas, const QString& text) {
    clsInstrument& in = *host_->CurInstrument;
    const auto store = [&](float v) {
        switch (column) {
            case Column::Warning:
                return in.SetWarning(gas, v);
            case Column::Alarm:
                return in.SetAlarm(gas, v);
            case Column::Stel:
                return in.SetStel(gas, v);
            case Column::Twa:
                return in.SetTwa(gas, v);
            case Column::AutoCal:
                return in.SetAutoCalib(gas, v);
            case Column::Factory:
                FactAutoCal[static_cast<size_t>(gas)] = v;
                return;
            default:
                return;
        }
    };
    if (rt::Trim(text).isEmpty()) {
        store(-1);
        return true;
    }
    if (rt::IsNumeric(text)) {
        const float v = static_cast<float>(rt::ToDouble(text));
        if (!(v >= 0 && v <= in.GasFullScale(gas))) return false;
        const bool level = column != Column::AutoCal && column != Column::Factory;
        if (level && v == 0) {
            store(-1);
            return true;
        }
        if (!level && !IsOverWarnLevel(in, gas, v)) return false;
        // Rounding needs a resolution step and a multiple within the 16-bit range; an entry
        // for a channel without them (no instrument read) is refused rather than stored raw.
        const std::optional<float> rounded = RoundTextToStep(text, in.GasDesit(gas));
        if (!rounded) return false;
        // Only an entry of 0 switches a level off: one that rounds to 0 would silence an alarm.
        if (level && *rounded == 0) return false;
        store(*rounded);
        return true;
    }
    if (!text.contains(QStringLiteral("--"))) return false;
    store(-1);
    return true;
}

void OptionPage::vfgOption_ValidateEdit(int Row, int Col, bool& Cancel) {
    bool& filling = host_->FillingGrid;
    if (filling) return;
    const Column column = ColumnOf(Col);
    const int gas = Row - 2;
    if (column == Column::None || column == Column::Enable || gas < 0 || gas >= kGases) return;
    if (column == Column::Factory) KeepFactoryValues(*vfgOption);
    filling = true;
    if (StoreOptionEntry(column, gas, vfgOption->EditText())) {
        const QString text = StoredText(column, gas);
        vfgOption->SetEditText(text);
        if (column == Column::Factory || (column == Column::AutoCal && !ServiceMode))
            vfgCal->SetTextMatrix(gas + 1, 2, text);
        // The whole page again (order marks included), once the edit has ended.
        vfgOption->Defer([this] { ui::RunUserAction([this] { ShowOptionGrid(); }); });
    } else {
        Cancel = true;
    }
    filling = false;
}

void OptionPage::KeepFactoryValues(ui::FlexGrid& grid) {
    // A program setting, not the instrument's: kept in the settings file once the edit has
    // ended (a value refused changes nothing, and nothing is written for it).
    grid.Defer([this] {
        ui::RunUserAction([this] {
            if (host_->SettingsChanged) host_->SettingsChanged();
        });
    });
}

void OptionPage::vfgOption_AfterEdit(int Row, int Col) {
    bool& filling = host_->FillingGrid;
    if (!ServiceMode || filling) return;
    const int gas = Row - 2;
    if (Col != 1 || gas < 0 || gas >= kGases) return;
    filling = true;
    clsInstrument& in = *host_->CurInstrument;
    // Only a sensor whose tick now differs is switched: the others keep their change flags as
    // they were, so a dialog cancelled or answered No writes no gas list.
    const auto takeTicks = [&] {
        for (int g = 0; g < kGases; ++g)
            if (const bool ticked = IsTicked(*vfgOption, g + 2, 1); ticked != in.GasEnabled(g))
                in.SetGasEnabled(g, ticked);
    };
    if (GasLocked[static_cast<size_t>(gas)]) {
        Dialogs().MsgBox(GetMessage(5331), vbInformation | vbOKOnly, GetMessage(5332));
        SetTicked(*vfgOption, Row, 1, true);
    } else if (IsTicked(*vfgOption, Row, 1)) {
        frmGasSel dialog(window());
        dialog.SetGasNo(gas);
        Dialogs().ShowModal(dialog);
        if (dialog.Flags() && dialog.SelNum() >= 0) {
            SetGasDefaults(in, gas, dialog.SelNum());
            FillGridRow(*vfgOption, Row, 0, false, {GetGasCaption(&in, gas)});
            QVariantList values;
            for (const Column column : kValueColumns)
                values << StoredText(column, gas);
            // The factory span too: it is shown in the new sensor's places.
            values << StoredText(Column::Factory, gas);
            FillGridRow(*vfgOption, Row, 2, false, values);
        } else {
            SetTicked(*vfgOption, Row, 1, false);
        }
        takeTicks();
    } else if (Ask(Question::DisableSensor)) {
        takeTicks();
    } else {
        SetTicked(*vfgOption, Row, 1, true);
    }
    // A gas that is off cannot stay selected for a span.
    for (int g = 0; g < kGases; ++g)
        if (!IsTicked(*vfgOption, g + 2, 1) || !in.GasEnabled(g))
            SetTicked(*vfgCal, g + 1, 1, false);
    filling = false;
}

}  // namespace qv

// The property pane of a node or a stored log, and the unit menu of gas 1.
#include "AppError.h"
#include "BrowserKinds.h"
#include "BrowserPage.h"
#include "Database.h"
#include "Dates.h"
#include "RowGas.h"
#include "Runtime.h"
#include "Twips.h"
#include "clsHeader.h"
#include "modDatabase.h"
#include "modGasCommon.h"
#include "modGlobals.h"
#include "modKeys.h"
#include "modMessage.h"
#include "modModel.h"
#include "modViewSupport.h"

#include <QScopeGuard>

namespace qv {

namespace {

const QString kNone = QStringLiteral("-----");

// The header key in a record key's value part; 0 when it is no number a key can hold.
int32_t KeyNumber(const QString& value) {
    if (!rt::IsNumeric(value)) return 0;
    try {
        return rt::CLng(value);
    } catch (const AppError&) {
        return 0;
    }
}

QString ShortDate(const QDateTime& date) {
    return rt::FormatDate(date, QStringLiteral("mm/dd hh:nn:ss"));
}

QString WhenText(const DbRow& row) {
    const QDateTime date = row.toDate(QStringLiteral("Dates"), QDateTime());
    return date.isValid() ? GeneralDate(date) : QString();
}

}  // namespace

class BrowserPage::PaneDatabase {
  public:
    Database& Get() {
        if (!db_) db_.emplace(DatabasePath);
        return *db_;
    }
    // The stored header with that key; a missing database file leaves it empty, as the header's
    // own load does.
    void LoadHeader(clsHeader& h, int32_t seqNo) {
        if (FileExists(DatabasePath)) h.ReLoad(seqNo, Get());
    }

  private:
    std::optional<Database> db_;
};

void BrowserPage::ClearPane() {
    ui::FlexGrid& g = *vfgLog;
    g.Clear();
    g.SetCols(2);
    g.SetRows(2);
    FillGridRow(g, 0, 0, false, {GetMessage(5105), GetMessage(5106)});
    paneKey_.clear();
}

void BrowserPage::SetButtons(std::optional<bool> detail, std::optional<bool> instrument) {
    if (detail) cmdDetail->setEnabled(*detail);
    if (instrument) cmdLogInst->setEnabled(*instrument);
}

void BrowserPage::ShowLogProperty(const QString& key) {
    ClearPane();
    paneKey_ = key;
    // The pane is repainted and the page laid out however the fill ends.
    const auto end = qScopeGuard([this] {
        vfgLog->Refresh();
        Form_Resize();
    });
    const QString value = DropLastTwo(key);
    const QChar letter = KeyLetter(key);
    PaneDatabase db;
    if (IsGroupingLetter(letter) || KindOfCategory(letter))
        ShowFolderProperty();
    else if (letter == u'G' || letter == u'K')
        ShowTrendProperty(value, letter == u'K', db);
    else if (letter == u'H')
        ShowHistoryProperty(value, db);
    else if (letter == u'V' || letter == u'W' || letter == u'P')
        ShowEventProperty(value, letter, db);
}

void BrowserPage::ShowFolderProperty() {
    ui::FlexGrid& g = *vfgLog;
    g.SetCols(2);
    g.SetRows(2);
    FillGridRow(g, 0, 0, false, {GetMessage(5604), GetMessage(5605)});
    FillGridRow(g, 1, 0, false, {GetMessage(5622), GetMessage(5623)});
    SetButtons(false, false);
}

void BrowserPage::ShowTrendProperty(const QString& value, bool alarm, PaneDatabase& db) {
    ui::FlexGrid& g = *vfgLog;
    // The gas values and marks at the alarm moment of an alarm trend.
    std::array<float, 6> alarmValues{};
    std::array<bool, 6> alarmFlags{};
    if (alarm && rt::IsNumeric(value))
        MarkAlarmGases(KeyNumber(value), db.Get(), alarmValues, alarmFlags);
    g.SetCols(5);
    g.SetRows(alarm ? 13 : 14);
    g.SetMergeCells(ui::FlexGrid::MergeRestrictRows);
    const QString valueTitle = GetMessage(5605);
    FillGridRow(g, 0, 0, false, {GetMessage(5604), valueTitle, valueTitle, valueTitle, valueTitle});
    g.SetMergeRow(0, true);

    clsHeader h;
    db.LoadHeader(h, KeyNumber(value));
    if (h.Names().isEmpty()) return;

    const QVariantList facts[] = {
        {GetMessage(5606), h.Names()},
        {GetMessage(alarm ? 5630 : 5607), GeneralDate(h.Dates())},
        {GetMessage(5608), h.SerialNo()},
        {GetMessage(5609), h.StationID()},
        {GetMessage(5610), h.UserId()},
        {GetMessage(5611), static_cast<int>(h.DCount())},
        {GetMessage(5612), h.Intervals()},
    };
    for (int r = 1; r <= 7; ++r)
        FillGridRow(g, r, 0, true, facts[r - 1]);

    UnitGasName = h.GasName(0);
    UnitNames[0] = h.GasUnit(0);
    UnitNames[1] = h.GasUnit(4);

    // Gas 1 shows channel 4's caption and levels in its second unit, its own statistics and
    // alarm-moment value converted.
    const int columnGas[4] = {ShownChannel(0), 1, 2, 3};
    QVariantList captions{QString()};
    for (int gas : columnGas)
        captions << GetGasCaption(&h, gas);
    FillGridRow(g, 8, 0, false, captions);

    for (int col = 1; col <= 4; ++col) {
        const int gas = columnGas[col - 1];
        const int i = col - 1;
        const bool conv = col == 1 && ConvEnable;
        if (!alarm) {
            const bool valid = h.GasMax(gas) != -1.0f;
            auto cell = [&](const QString& text) { return valid ? text : kNone; };
            // Gas 1 in its second unit keeps that unit's decimal places.
            g.SetTextMatrix(9, col, cell(conv ? SecondUnitForm(h, h.GasAvr(0)) : h.GasAvrForm(i)));
            g.SetTextMatrix(10, col, cell(conv ? SecondUnitForm(h, h.GasMax(0)) : h.GasMaxForm(i)));
            g.SetTextMatrix(11, col, cell(ShortDate(h.GasMaxDate(i))));
            g.SetTextMatrix(12, col, col == 2 ? cell(h.GasMinForm(1, false)) : kNone);
            g.SetTextMatrix(13, col, col == 2 ? cell(ShortDate(h.GasMinDate(1))) : kNone);
        } else {
            const bool enabled = h.GasEnable(gas);
            g.SetTextMatrix(9, col, enabled ? h.GasFullForm(gas, false) : kNone);
            g.SetTextMatrix(10, col, enabled ? h.WarnForm(gas, false) : kNone);
            g.SetTextMatrix(11, col, enabled ? h.AlarmForm(gas, false) : kNone);
            g.SetTextMatrix(
                12, col,
                FormatGasValue(alarmValues[static_cast<size_t>(i)], h.GasPoint(gas), conv));
        }
    }
    const int titles[] = {5613, 5614, 5663, 5615, 5664};
    const int alarmTitles[] = {5617, 5618, 5619, 5605};
    if (alarm)
        for (int r = 9; r <= 12; ++r)
            g.SetTextMatrix(r, 0, GetMessage(alarmTitles[r - 9]));
    else
        for (int r = 9; r <= 13; ++r)
            g.SetTextMatrix(r, 0, GetMessage(titles[r - 9]));

    // The cells are coloured where they are: the pane's current cell, and so its view, stays.
    for (int col = 1; col <= 4; ++col) {
        g.SetColAlignment(col, ui::FlexGrid::AlignLeftCenter);
        g.SetCellBackColor(8, col, ui::RGB(224, 224, 224));
        // A gas in a status at the alarm moment is marked; its status holds in either unit.
        if (alarm && alarmFlags[static_cast<size_t>(col - 1)])
            g.SetCellBackColor(12, col, ui::RGB(255, 0, 0));
    }
    for (int r = 1; r <= 7; ++r)
        g.SetMergeRow(r, true);
    SetButtons(true, true);
}

void BrowserPage::ShowHistoryProperty(const QString& value, PaneDatabase& db) {
    ui::FlexGrid& g = *vfgLog;
    g.SetCols(4);
    g.SetRows(2);
    g.SetMergeCells(ui::FlexGrid::MergeRestrictRows);
    FillGridRow(g, 0, 0, false, {"DateTime", "Gas", "Before", "After"});
    clsHeader h;
    db.LoadHeader(h, KeyNumber(value));
    const int32_t relNo = h.Names().isEmpty() ? 0 : h.SeqNo();
    const auto rows = db.Get().query(
        QStringLiteral("Select * From cHistory Where RelNo = ? Order By Dates DESC;"), {relNo});
    if (rows.empty()) return;
    const int n = static_cast<int>(rows.size());
    g.SetRows(n <= 2 ? 4 * n + 1 : 11);
    if (n > 2) FillGridRow(g, 10, 0, false, {"...", "Total", n, "Datas"});
    for (int k = 0; k < std::min(n, 2); ++k) {
        const DbRow& row = rows[static_cast<size_t>(k)];
        for (int gas = 0; gas < 4; ++gas) {
            // The gas this calibration was stored with, which a swapped sensor makes another
            // than the header's.
            const RowGas stored = HistoryRowGas(row, gas, HeaderGas(h, gas));
            auto reading = [&](const char* field) {
                const QString column = QStringLiteral("Gas%1%2").arg(gas + 1).arg(field);
                return stored.Form(static_cast<float>(row.toDouble(column, GasNoData)));
            };
            FillGridRow(g, 4 * k + 1 + gas, 0, false,
                        {gas == 0 ? WhenText(row) : QString(), stored.Name, reading("Before"),
                         reading("After")});
        }
    }
    SetButtons(true, false);
}

void BrowserPage::ShowEventProperty(const QString& value, QChar letter, PaneDatabase& db) {
    ui::FlexGrid& g = *vfgLog;
    const bool power = letter == u'P';
    const bool trouble = letter == u'W';
    g.SetCols(power ? 2 : 3);
    g.SetRows(2);
    g.SetMergeCells(ui::FlexGrid::MergeRestrictRows);
    if (power)
        FillGridRow(g, 0, 0, false, {"DateTime", "Power"});
    else
        FillGridRow(g, 0, 0, false, {"DateTime", trouble ? "Sensor/System" : "Gas", "Event"});

    clsHeader h;
    db.LoadHeader(h, KeyNumber(value));
    const bool loaded = !h.Names().isEmpty();
    const int32_t relNo = loaded ? h.SeqNo() : 0;
    // The names an event row without one of its own stands under.
    std::array<RowGas, 6> sources;
    if (loaded) {
        for (int i = 0; i < 5; ++i)
            sources[static_cast<size_t>(i)] = HeaderGas(h, i);
        if (trouble) sources[4] = RowGas{QStringLiteral("System"), QString(), 0};
    }
    const QString& table = KindOfRecord(letter)->tables.front();
    const auto rows = db.Get().query(QStringLiteral("Select * From ") + table +
                                         QStringLiteral(" Where RelNo = ? Order By Dates DESC;"),
                                     {relNo});
    if (rows.empty()) return;
    const int n = static_cast<int>(rows.size());
    const int shown = n <= 10 ? n : 8;
    g.SetRows(n <= 10 ? n + 1 : 11);
    if (n > 10) {
        if (power)
            FillGridRow(g, 10, 0, false, {"...", QStringLiteral("Total %1 Datas").arg(n)});
        else
            FillGridRow(g, 10, 0, false, {"...", "Total", QStringLiteral("%1 Datas").arg(n)});
    }
    for (int r = 0; r < shown; ++r) {
        const DbRow& row = rows[static_cast<size_t>(r)];
        QVariantList cells{WhenText(row)};
        if (power) {
            cells << (row.toBool(QStringLiteral("Power_Type"), false) ? "ON" : "OFF");
        } else {
            // Each event under the name it was stored with; a gas number outside the table
            // names nothing of the header's.
            const qint64 gasNo = row.toLong(QStringLiteral("GasNo"), -1);
            cells << EventRowGas(row, gasNo >= 0 && gasNo < 6 ? sources[static_cast<size_t>(gasNo)]
                                                              : RowGas{})
                         .Name;
            cells << GetStatusWord(
                static_cast<int32_t>(row.toLong(QStringLiteral("Alarm_Type"), 0)));
        }
        FillGridRow(g, r + 1, 0, false, cells);
    }
    SetButtons(true, false);
}

void BrowserPage::vfgLog_MouseUp(int Button, int, double, double) {
    if (Button != ui::RightButton) return;
    if (host_->CurDataType != TypeInterval && host_->CurDataType != TypeAlarmTrend) return;
    PopupUnits(QStringLiteral("0"));
}

void BrowserPage::PopupUnits(const QString& Tag) {
    mnuUnit->setText(UnitGasName);
    unitname[0]->setText(UnitNames[0]);
    unitname[1]->setText(UnitNames[1]);
    unitname[0]->setChecked(!ConvEnable);
    unitname[1]->setChecked(ConvEnable);
    mnuUnits->menuAction()->setData(Tag);
    QAction* chosen = ui::KeyedItemView::PopupMenu(*mnuUnits);
    for (int i = 0; i < 2; ++i)
        if (chosen == unitname[static_cast<size_t>(i)]) unitname_Click(i);
}

void BrowserPage::unitname_Click(int Index) {
    if (Index == 0 || Index == 1) {
        unitname[0]->setChecked(Index == 0);
        unitname[1]->setChecked(Index == 1);
        ConvEnable = Index == 1;
        // Kept for every later view and for the next start, also past a power-off.
        if (host_->SettingsChanged) host_->SettingsChanged();
    }
    const QString tag = mnuUnits->menuAction()->data().toString();
    if (rt::IsNumeric(tag) && rt::ToDouble(tag) != 0) {
        host_->ShowDataView();
        return;
    }
    // Without a selected list item there is nothing to show again.
    const QString selected = lvwLog->SelectedKey();
    if (!selected.isEmpty()) ShowLogProperty(selected);
}

}  // namespace qv

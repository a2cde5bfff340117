// The table of the data view page: every sample or event of the loaded log, one row each, with
// the summary grid filled first. Interval samples and events are merged in time order.
#include "DataViewPage.h"

#include "Dates.h"
#include "Twips.h"
#include "clsAlarm.h"
#include "clsAlarmEvent.h"
#include "clsHistory.h"
#include "clsInterval.h"
#include "clsPowerEvent.h"
#include "clsTroubleEvent.h"
#include "modGasCommon.h"
#include "modGlobals.h"
#include "modMessage.h"
#include "modModel.h"
#include "modViewSupport.h"

#include <algorithm>
#include <vector>

namespace qv {

namespace {

constexpr int32_t kNowCalibColor = ui::RGB(192, 255, 192);
constexpr int32_t kAlarmMomentColor = ui::RGB(255, 0, 0);
constexpr int32_t kBeforeColor = ui::RGB(240, 240, 240);
constexpr int32_t kAfterColor = ui::RGB(255, 255, 255);
// The row the alarm trend's table scrolls to, so that the alarm moment is in view.
constexpr int kAlarmTopRow = 350;

}  // namespace

void DataViewPage::ShowDataList() {
    ui::FlexGrid& summary = *vfgSummary;
    const int32_t kind = host_->CurDataType;
    const clsRecordSet* record = CurrentRecord();
    summary.Clear();
    if (!record) {
        summary.SetCols(1);
        summary.SetRows(1);
        summary.hide();
        vfgBrowse->Refresh();
        return;
    }
    // Every log is shown from its first row, whatever the one before was scrolled to; the
    // alarm trend then scrolls to its alarm moment itself.
    vfgBrowse->SetTopRow(vfgBrowse->FixedRows());
    const bool trend = kind == TypeInterval || kind == TypeAlarmTrend;
    summary.SetCols(trend ? 5 : 2);
    summary.SetRows(kind == TypeInterval ? 14 : (kind == TypeAlarmTrend ? 12 : 6));
    summary.SetMergeCells(ui::FlexGrid::MergeRestrictRows);
    ShowLogSummary(record->GasInfo());

    switch (kind) {
        case TypeInterval:
            ShowIntervalTable(*host_->CurInterval);
            break;
        case TypeAlarmTrend:
            ShowAlarmTable();
            break;
        case TypeCalHistory:
            ShowHistoryTable();
            break;
        default:
            ShowEventTable();
            break;
    }
    // The new texts are shown whole also when no layout pass follows (a unit changed).
    vfgBrowse->FitColsToText();
    summary.FitColsToText();
}

void DataViewPage::ShowIntervalTable(const clsInterval& r) {
    ui::FlexGrid& g = *vfgBrowse;
    g.Clear();
    g.SetCols(6);
    g.SetRows(1);
    // Seven captions for six columns: the second unit's own caption is not shown.
    FillGridRow(
        g, 0, 0, false,
        {GetMessage(5620), GetMessage(5621), GetGasCaption(&r, ShownChannel(0)),
         GetGasCaption(&r, 1), GetGasCaption(&r, 2), GetGasCaption(&r, 3), GetGasCaption(&r, 4)});
    const std::vector<IntervalRow> rows = IntervalRowsInTimeOrder(r, chkEvent->isChecked());
    g.SetRows(static_cast<int>(rows.size()) + 1);
    GasValueTexts texts(r.GasInfo());
    const auto sample = [&](int gas, int i, bool conv) -> const QString& {
        return texts.Text(r.GasValue(gas, i).toFloat(), gas, conv);
    };
    const auto event = [&](int gas, int k, bool conv) -> const QString& {
        return texts.Text(r.GasEvent(gas, k).toFloat(), gas, conv);
    };

    for (size_t n = 0; n < rows.size(); ++n) {
        const IntervalRow& row = rows[n];
        const int gridRow = static_cast<int>(n) + 1;
        g.SetTextMatrix(gridRow, 0, QString::number(gridRow));
        if (row.event < 0) {
            const int s = row.sample;
            g.SetTextMatrix(gridRow, 1, GeneralDate(r.DateTimes(s)));
            bool nowCalib = false;
            for (int gas = 0; gas < 4; ++gas) {
                g.SetTextMatrix(gridRow, gas + 2, sample(gas, s, ConvEnable && gas == 0));
                nowCalib = nowCalib || r.GasNowCalib(gas, s);
            }
            if (nowCalib) g.SetCellBackColor(gridRow, 1, kNowCalibColor);
            continue;
        }

        const int k = row.event;
        const int s = row.sample;
        g.SetTextMatrix(gridRow, 1, GeneralDate(r.EventDateTimes(k)));
        const float whole = r.GasEvent(4, k).toFloat();
        if (whole < 0 && whole != static_cast<float>(GasNoData)) {
            // A code of the whole instrument stands in every gas column.
            QString text = event(4, k, false);
            if (s >= 0) text += u'(' + sample(4, s, false) + u')';
            for (int col = 2; col <= 5; ++col) {
                g.SetTextMatrix(gridRow, col, text);
                g.SetCellBackColor(
                    gridRow, col,
                    GetEventColor(static_cast<int32_t>(whole), g.CellBackColor(gridRow, col)));
            }
            continue;
        }
        for (int gas = 0; gas < 4; ++gas) {
            const int col = gas + 2;
            const bool conv = ConvEnable && gas == 0;
            const float code = r.GasEvent(gas, k).toFloat();
            if (!(code < static_cast<float>(GasNoData))) {
                g.SetTextMatrix(gridRow, col, s >= 0 ? sample(gas, s, conv) : event(gas, k, conv));
                continue;
            }
            // A status code: its word, cut to four letters beside the sample of its moment.
            g.SetTextMatrix(gridRow, col,
                            s >= 0
                                ? event(gas, k, false).left(4) + u'(' + sample(gas, s, conv) + u')'
                                : event(gas, k, conv));
            g.SetCellBackColor(
                gridRow, col,
                GetEventColor(static_cast<int32_t>(code), g.CellBackColor(gridRow, col)));
        }
    }
    g.Refresh();
}

void DataViewPage::ShowAlarmTable() {
    const clsAlarm& r = *host_->CurAlarm;
    ui::FlexGrid& g = *vfgBrowse;
    g.Clear();
    g.SetCols(6);
    const int count = r.DataCount();
    g.SetRows(count + 1);
    FillGridRow(
        g, 0, 0, false,
        {GetMessage(5620), GetMessage(5621), GetGasCaption(&r, ShownChannel(0)),
         GetGasCaption(&r, 1), GetGasCaption(&r, 2), GetGasCaption(&r, 3), GetGasCaption(&r, 4)});
    GasValueTexts texts(r.GasInfo());
    for (int i = 0; i < count; ++i) {
        const QString gas1 = texts.Text(r.Value(0, i), 0, ConvEnable);
        FillGridRow(
            g, i + 1, 0, false,
            {i + 1, r.DateTimes(i), gas1, r.ValueForm(1, i), r.ValueForm(2, i), r.ValueForm(3, i)});
    }
    const int momentRow = AlarmMomentRow + 1;
    if (g.Rows() > momentRow)
        for (int col = 1; col <= 5; ++col)
            g.SetCellBackColor(momentRow, col, kAlarmMomentColor);
    g.SetTopRow(kAlarmTopRow);
    g.Refresh();
}

void DataViewPage::ShowHistoryTable() {
    const clsHistory& r = *host_->CurHistory;
    ui::FlexGrid& g = *vfgBrowse;
    g.Clear();
    g.SetCols(8);
    // The heading row takes the first calibration's captions; a calibration stored with other
    // gases (a sensor swapped) gets a captions row of its own above it.
    enum class Kind { Captions, Before, After };
    std::vector<std::pair<Kind, QVariantList>> rows;
    const QString before = GetMessage(5633);
    const QString after = GetMessage(5634);
    WalkHistory(
        r,
        [&](const QStringList& captions) {
            QVariantList row{GetMessage(5620), GetMessage(5621), QString()};
            for (const QString& caption : captions)
                row << caption;
            rows.emplace_back(Kind::Captions, row);
        },
        [&](int i) {
            QVariantList beforeRow{i + 1, r.Dates(i), before};
            QVariantList afterRow{QString(), QString(), after};
            for (int gas = 0; gas < 5; ++gas) {
                beforeRow << r.BeforeForm(gas, i);
                afterRow << r.AfterForm(gas, i);
            }
            rows.emplace_back(Kind::Before, beforeRow);
            rows.emplace_back(Kind::After, afterRow);
        });
    g.SetRows(static_cast<int>(rows.size()));
    for (int row = 0; row < g.Rows(); ++row)
        FillGridRow(g, row, 0, false, rows[static_cast<size_t>(row)].second);
    for (int col = 3; col < g.Cols(); ++col)
        g.SetColAlignment(col, ui::FlexGrid::AlignRightCenter);
    // Each date: a grey "Before" row over a white "After" row; captions rows as the heading.
    for (int row = 1; row < g.Rows(); ++row) {
        const Kind kind = rows[static_cast<size_t>(row)].first;
        const int32_t color = kind == Kind::Before  ? kBeforeColor
                              : kind == Kind::After ? kAfterColor
                                                    : g.BackColorFixed();
        for (int col = kind == Kind::Captions ? 0 : 1; col < g.Cols(); ++col)
            g.SetCellBackColor(row, col, color);
    }
    g.Refresh();
}

void DataViewPage::ShowEventTable() {
    const int32_t kind = host_->CurDataType;
    ui::FlexGrid& g = *vfgBrowse;
    g.Clear();
    QVariantList header;
    int count = 0;
    std::function<QVariantList(int)> rowOf;
    if (kind == TypePowerEvents) {
        const clsPowerEvent& r = *host_->CurPowerEvent;
        header = {QStringLiteral("DateTime"), QStringLiteral("Power")};
        count = r.DataCount();
        rowOf = [&r](int i) -> QVariantList {
            return {r.Dates(i), r.Flags(i) ? QStringLiteral("ON") : QStringLiteral("OFF")};
        };
    } else {
        // Each event under the name of the gas it was stored with.
        const bool trouble = kind == TypeTroubleEvents;
        const MonthlyEventLog& r =
            trouble ? static_cast<const MonthlyEventLog&>(*host_->CurTroubleEvent)
                    : *host_->CurAlarmEvent;
        header = {QStringLiteral("DateTime"),
                  trouble ? QStringLiteral("Sensor/System") : QStringLiteral("Gas"),
                  QStringLiteral("Event")};
        count = r.DataCount();
        rowOf = [&r](int i) -> QVariantList {
            return {r.Dates(i), r.Gas(i).Name, GetStatusWord(r.Events(i))};
        };
    }
    g.SetCols(static_cast<int>(header.size()));
    g.SetRows(std::max(count, 0) + 1);
    g.SetMergeCells(ui::FlexGrid::MergeRestrictRows);
    FillGridRow(g, 0, 0, false, header);
    for (int i = 0; i < count; ++i)
        FillGridRow(g, i + 1, 0, false, rowOf(i));
    g.Refresh();
}

}  // namespace qv

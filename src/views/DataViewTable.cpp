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

#include <QHash>
#include <algorithm>
#include <bit>
#include <limits>
#include <optional>
#include <vector>

namespace qv {

namespace {

constexpr int32_t kNowCalibColor = ui::RGB(192, 255, 192);
constexpr int32_t kAlarmMomentColor = ui::RGB(255, 0, 0);
constexpr int32_t kBeforeColor = ui::RGB(240, 240, 240);
constexpr int32_t kAfterColor = ui::RGB(255, 255, 255);
// The row the alarm trend's table scrolls to, so that the alarm moment is in view.
constexpr int kAlarmTopRow = 350;

template <class Record>
Record& Made(std::shared_ptr<Record>& record) {
    if (!record) record = std::make_shared<Record>();
    return *record;
}

// A date as a number that orders as the dates do; an invalid date before every other.
qint64 DateKey(const QDateTime& date) {
    return date.isValid() ? date.toMSecsSinceEpoch() : std::numeric_limits<qint64>::min();
}

// A value of gas 1 in its second unit, with the decimal places of that unit.
QString Gas1InSecondUnit(float value, const clsHeader& header) {
    return FormatGasValue(value, header.GasPoint(4), true);
}

// The display texts of a log's gas values and codes (gas 1 in its second unit with that unit's
// decimal places), each distinct value formatted once: a log repeats its readings thousands of
// times over.
class ValueTexts {
  public:
    explicit ValueTexts(const clsHeader& header) : header_(header) {}
    const QString& Text(float value, int gas, bool conv) {
        const int16_t points = header_.GasPoint(conv ? 4 : gas);
        const quint64 key = static_cast<quint64>(std::bit_cast<quint32>(value)) |
                            (static_cast<quint64>(static_cast<quint16>(points)) << 32) |
                            (static_cast<quint64>(conv) << 48);
        auto it = texts_.constFind(key);
        if (it == texts_.constEnd()) it = texts_.insert(key, FormatGasValue(value, points, conv));
        return *it;
    }
    const QString& Sample(const clsInterval& r, int gas, int i, bool conv) {
        return Text(r.GasValue(gas, i).toFloat(), gas, conv);
    }
    const QString& Event(const clsInterval& r, int gas, int k, bool conv) {
        return Text(r.GasEvent(gas, k).toFloat(), gas, conv);
    }

  private:
    const clsHeader& header_;
    QHash<quint64, QString> texts_;
};

// One row of the interval table: an event (with the sample of its moment, when there is one)
// or a sample alone.
struct IntervalRow {
    int event = -1;
    int sample = -1;
};

// The rows of an interval trend in time order, walked from one month before the earlier of the
// first sample's and the first event's date. From each moment the next is the earliest sample
// or event strictly after it, the event on a tie; a sample of the same moment goes into the
// event's row. Among records of equal time the first counts and the others are passed over.
// Dates count from 1998/01/01 (exclusive) to 2199/01/01. Nothing when no first date counts.
std::optional<std::vector<IntervalRow>> MergeIntervalRows(const clsInterval& r, bool eventOnly) {
    const qint64 floor = DateKey(rt::MakeDate(1998, 1, 1));
    const qint64 ceiling = DateKey(rt::MakeDate(2199, 1, 1));
    const QDateTime firstSample = r.DateTimes(0);
    const QDateTime firstEvent = r.EventDateTimes(0);
    const bool sampleCounts = DateKey(firstSample) > floor;
    const bool eventCounts = DateKey(firstEvent) > floor;
    if (!sampleCounts && !eventCounts) return std::nullopt;
    QDateTime from = !eventCounts                                  ? firstSample
                     : !sampleCounts                               ? firstEvent
                     : DateKey(firstSample) <= DateKey(firstEvent) ? firstSample
                                                                   : firstEvent;
    qint64 start = DateKey(from.addMonths(-1));

    // Each kind in time order (equal times keep their order), walked by one pointer each.
    struct Timed {
        qint64 key;
        int index;
    };
    const auto ordered = [](int count, const auto& dateOf) {
        std::vector<Timed> v;
        v.reserve(static_cast<size_t>(count));
        for (int i = 0; i < count; ++i)
            v.push_back({DateKey(dateOf(i)), i});
        std::stable_sort(v.begin(), v.end(),
                         [](const Timed& a, const Timed& b) { return a.key < b.key; });
        return v;
    };
    const std::vector<Timed> samples =
        ordered(r.DataCount(), [&](int i) { return r.DateTimes(i); });
    const std::vector<Timed> events =
        ordered(r.EventCount(), [&](int k) { return r.EventDateTimes(k); });

    std::vector<IntervalRow> rows;
    rows.reserve(samples.size() + events.size());
    size_t p = 0;
    size_t q = 0;
    while (start > floor && start < ceiling) {
        while (p < samples.size() && samples[p].key <= start)
            ++p;
        while (q < events.size() && events[q].key <= start)
            ++q;
        const bool sampleNext = p < samples.size() && samples[p].key > floor;
        const bool eventNext = q < events.size() && events[q].key > floor;
        if (!sampleNext && !eventNext) break;
        if (eventNext && (!sampleNext || samples[p].key >= events[q].key)) {
            const bool match = p < samples.size() && samples[p].key == events[q].key;
            rows.push_back({events[q].index, match ? samples[p].index : -1});
            start = events[q].key;
        } else {
            if (!eventOnly) rows.push_back({-1, samples[p].index});
            start = samples[p].key;
        }
    }
    return rows;
}

}  // namespace

void DataViewPage::ShowDataList() {
    ui::FlexGrid& summary = *vfgSummary;
    const int32_t kind = host_->CurDataType;
    const clsRecordSet* record = nullptr;
    switch (kind) {
        case TypeInterval:
            record = &Made(host_->CurInterval);
            break;
        case TypeAlarmTrend:
            record = &Made(host_->CurAlarm);
            break;
        case TypeCalHistory:
            record = &Made(host_->CurHistory);
            break;
        case TypeAlarmEvents:
            record = &Made(host_->CurAlarmEvent);
            break;
        case TypeTroubleEvents:
            record = &Made(host_->CurTroubleEvent);
            break;
        case TypePowerEvents:
            record = &Made(host_->CurPowerEvent);
            break;
        default:
            break;
    }
    summary.Clear();
    if (!record) {
        summary.SetCols(1);
        summary.SetRows(1);
        summary.hide();
        vfgBrowse->Refresh();
        return;
    }
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
}

void DataViewPage::ShowIntervalTable(const clsInterval& r) {
    ui::FlexGrid& g = *vfgBrowse;
    g.Clear();
    g.SetCols(6);
    g.SetRows(1);
    // Seven captions for six columns: the second unit's own caption is not shown.
    FillGridRow(
        g, 0, 0, false,
        {GetMessage(5620), GetMessage(5621), GetGasCaption(&r, ConvEnable ? 4 : 0),
         GetGasCaption(&r, 1), GetGasCaption(&r, 2), GetGasCaption(&r, 3), GetGasCaption(&r, 4)});
    const auto rows = MergeIntervalRows(r, chkEvent->isChecked());
    if (!rows) return;
    g.SetRows(static_cast<int>(rows->size()) + 1);
    ValueTexts texts(r.GasInfo());

    for (size_t n = 0; n < rows->size(); ++n) {
        const IntervalRow& row = (*rows)[n];
        const int gridRow = static_cast<int>(n) + 1;
        g.SetTextMatrix(gridRow, 0, QString::number(gridRow));
        if (row.event < 0) {
            const int s = row.sample;
            g.SetTextMatrix(gridRow, 1, GeneralDate(r.DateTimes(s)));
            bool nowCalib = false;
            for (int gas = 0; gas < 4; ++gas) {
                g.SetTextMatrix(gridRow, gas + 2, texts.Sample(r, gas, s, ConvEnable && gas == 0));
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
            QString text = texts.Event(r, 4, k, false);
            if (s >= 0) text += u'(' + texts.Sample(r, 4, s, false) + u')';
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
                g.SetTextMatrix(
                    gridRow, col,
                    s >= 0 ? texts.Sample(r, gas, s, conv) : texts.Event(r, gas, k, conv));
                continue;
            }
            // A status code: its word, cut to four letters beside the sample of its moment.
            g.SetTextMatrix(gridRow, col,
                            s >= 0 ? texts.Event(r, gas, k, false).left(4) + u'(' +
                                         texts.Sample(r, gas, s, conv) + u')'
                                   : texts.Event(r, gas, k, conv));
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
        {GetMessage(5620), GetMessage(5621), GetGasCaption(&r, ConvEnable ? 4 : 0),
         GetGasCaption(&r, 1), GetGasCaption(&r, 2), GetGasCaption(&r, 3), GetGasCaption(&r, 4)});
    for (int i = 0; i < count; ++i) {
        const QString gas1 =
            ConvEnable ? Gas1InSecondUnit(r.Value(0, i), r.GasInfo()) : r.ValueForm(0, i);
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
    const int count = r.DataCount();
    g.SetRows(2 * count + 1);
    QVariantList header{GetMessage(5620), GetMessage(5621), QString()};
    for (int gas = 0; gas < 5; ++gas)
        header << GetGasCaption(&r, gas);
    FillGridRow(g, 0, 0, false, header);
    const QString before = GetMessage(5633);
    const QString after = GetMessage(5634);
    for (int i = 0; i < count; ++i) {
        QVariantList beforeRow{i + 1, r.Dates(i), before};
        QVariantList afterRow{QString(), QString(), after};
        for (int gas = 0; gas < 5; ++gas) {
            beforeRow << r.BeforeForm(gas, i);
            afterRow << r.AfterForm(gas, i);
        }
        FillGridRow(g, 2 * i + 1, 0, false, beforeRow);
        FillGridRow(g, 2 * i + 2, 0, false, afterRow);
    }
    for (int col = 3; col < g.Cols(); ++col)
        g.SetColAlignment(col, ui::FlexGrid::AlignRightCenter);
    // Each date: a grey "Before" row over a white "After" row.
    for (int row = 1; row < g.Rows(); ++row)
        for (int col = 1; col < g.Cols(); ++col)
            g.SetCellBackColor(row, col, row % 2 == 1 ? kBeforeColor : kAfterColor);
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
    } else if (kind == TypeTroubleEvents) {
        const clsTroubleEvent& r = *host_->CurTroubleEvent;
        header = {QStringLiteral("DateTime"), QStringLiteral("Sensor/System"),
                  QStringLiteral("Event")};
        count = r.DataCount();
        rowOf = [&r](int i) -> QVariantList {
            return {r.Dates(i), r.GetGasName(r.GasNo(i)), GetStatusWord(r.Events(i))};
        };
    } else {
        const clsAlarmEvent& r = *host_->CurAlarmEvent;
        header = {QStringLiteral("DateTime"), QStringLiteral("Gas"), QStringLiteral("Event")};
        count = r.DataCount();
        rowOf = [&r](int i) -> QVariantList {
            return {r.Dates(i), r.GasInfo().GasName(r.GasNo(i)), GetStatusWord(r.Events(i))};
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

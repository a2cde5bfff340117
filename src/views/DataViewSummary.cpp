// The summary grid of the data view page: the header of the log on show, with per-gas
// statistics for an interval trend and per-gas levels for an alarm trend. Every figure is the
// header's own, as stored with the log.
#include "DataViewPage.h"

#include "Dates.h"
#include "Twips.h"
#include "clsHeader.h"
#include "modGasCommon.h"
#include "modGlobals.h"
#include "modMessage.h"
#include "modModel.h"
#include "modViewSupport.h"

#include <array>

namespace qv {

namespace {

const QString kNone = QStringLiteral("-----");
constexpr int32_t kCaptionColor = ui::RGB(224, 224, 224);
constexpr int kCaptionRow = 8;

QString ShortDate(const QDateTime& date) {
    return rt::FormatDate(date, QStringLiteral("mm/dd hh:nn:ss"));
}

}  // namespace

void DataViewPage::ShowLogSummary(const clsHeader& header) {
    ui::FlexGrid& g = *vfgSummary;
    // A channel whose stored maximum is "no data" shows no figures, whatever else is stored.
    std::array<bool, 5> hasData{};
    for (int c = 0; c < 5; ++c)
        hasData[static_cast<size_t>(c)] = header.GasMax(c) != static_cast<float>(GasNoData);
    const auto shown = [&](int channel, const QString& text) {
        return hasData[static_cast<size_t>(channel)] ? text : kNone;
    };

    FillGridRow(g, 0, 0, true, {GetMessage(5604), GetMessage(5605)});
    FillGridRow(g, 1, 0, true, {GetMessage(5606), header.Names()});
    const int32_t kind = header.Types();
    const bool interval = kind == TypeInterval;
    const bool alarm = kind == TypeAlarmTrend;
    if (interval || alarm) {
        const QVariantList facts[] = {
            {GetMessage(interval ? 5607 : 5630), header.Dates()},
            {GetMessage(5608), header.SerialNo()},
            {GetMessage(5609), header.StationID()},
            {GetMessage(5610), header.UserId()},
            {GetMessage(5611), static_cast<int>(header.DCount())},
            {GetMessage(5612), header.Intervals()},
        };
        for (int r = 2; r <= 7; ++r)
            FillGridRow(g, r, 0, true, facts[r - 2]);
        UnitGasName = header.GasName(0);
        UnitNames[0] = header.GasUnit(0);
        UnitNames[1] = header.GasUnit(4);

        // Column 1 is gas 1, in its second unit (channel 4) when that is chosen.
        const int first = ShownChannel(0);
        FillGridRow(
            g, kCaptionRow, 0, false,
            {QString(), GetGasCaption(&header, first), GetGasCaption(&header, 1),
             GetGasCaption(&header, 2), GetGasCaption(&header, 3), GetGasCaption(&header, 4)});
        if (interval) {
            // Gas 1 in its second unit: its own statistics converted, with that unit's decimal
            // places, shown as far as channel 4 has data.
            const auto average = [&](int c) {
                return ConvEnable && c == 4 ? SecondUnitForm(header, header.GasAvr(0))
                                            : header.GasAvrForm(c);
            };
            const auto maximum = [&](int c) {
                return ConvEnable && c == 4 ? SecondUnitForm(header, header.GasMax(0))
                                            : header.GasMaxForm(c);
            };
            QVariantList avg{GetMessage(5613)}, max{GetMessage(5614)}, maxDate{GetMessage(5663)};
            QVariantList min{GetMessage(5615)}, minDate{GetMessage(5664)};
            for (int col = 1; col <= 4; ++col) {
                const int c = col == 1 ? first : col - 1;
                const int own = c == 4 ? 0 : c;  // whose date the column shows
                avg << shown(c, average(c));
                max << shown(c, maximum(c));
                maxDate << shown(c, ShortDate(header.GasMaxDate(own)));
                // The minimum is kept for the second gas only (the oxygen channel).
                min << (col == 2 ? shown(1, header.GasMinForm(1)) : kNone);
                minDate << (col == 2 ? shown(1, ShortDate(header.GasMinDate(1))) : kNone);
            }
            FillGridRow(g, 9, 0, false, avg);
            FillGridRow(g, 10, 0, false, max);
            FillGridRow(g, 11, 0, false, maxDate);
            FillGridRow(g, 12, 0, false, min);
            FillGridRow(g, 13, 0, false, minDate);
        } else {
            // The second unit's own stored levels, not gas 1's converted.
            QVariantList full{GetMessage(5617)}, warn{GetMessage(5618)}, alarmRow{GetMessage(5619)};
            for (int col = 1; col <= 4; ++col) {
                const int c = col == 1 ? first : col - 1;
                full << shown(c, header.GasFullForm(c));
                warn << shown(c, header.WarnForm(c));
                alarmRow << shown(c, header.AlarmForm(c));
            }
            FillGridRow(g, 9, 0, false, full);
            FillGridRow(g, 10, 0, false, warn);
            FillGridRow(g, 11, 0, false, alarmRow);
        }
        // Coloured where they are: the grid's current cell, and so its view, stays.
        for (int col = 1; col < g.Cols(); ++col) {
            g.SetColAlignment(col, ui::FlexGrid::AlignLeftCenter);
            g.SetCellBackColor(kCaptionRow, col, kCaptionColor);
        }
        // The facts repeated across the gas columns show as one wide cell.
        for (int r = 0; r <= kCaptionRow; ++r)
            g.SetMergeRow(r, true);
        return;
    }
    if (kind == TypeCalHistory || kind == TypeAlarmEvents || kind == TypeTroubleEvents ||
        kind == TypePowerEvents) {
        const QVariantList facts[] = {
            {GetMessage(5607), header.Dates()},
            {GetMessage(5608), header.SerialNo()},
            {GetMessage(5609), header.StationID()},
            {GetMessage(5610), header.UserId()},
        };
        for (int r = 2; r <= 5; ++r)
            FillGridRow(g, r, 0, true, facts[r - 2]);
        g.SetColAlignment(1, ui::FlexGrid::AlignLeftCenter);
    }
}

}  // namespace qv

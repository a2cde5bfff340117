// The print form's page routines: the row printer and page flow of the printed tables, the
// summary block, the trend tables, the event lists, the calibration history and the
// last-calibration list.
#include "Dates.h"
#include "clsAlarmEvent.h"
#include "clsHistory.h"
#include "clsPowerEvent.h"
#include "clsTroubleEvent.h"
#include "frmPrint.h"
#include "modGasCommon.h"
#include "modGlobals.h"
#include "modMessage.h"
#include "modModel.h"
#include "modViewSupport.h"

#include <optional>
#include <vector>

namespace qv {

namespace {

const QString kNone = QStringLiteral("-----");

QString M(int id) {
    return GetMessage(id);
}

QString TimeOnly(const QDateTime& date) {
    return rt::FormatDate(date, QStringLiteral("hh:nn:ss"));
}

}  // namespace

// ---- Rows and page flow -----------------------------------------------------------------------

void frmPrint::SetColumns(ui::DrawTarget& target, std::initializer_list<double> fractions) {
    size_t k = 0;
    for (double fraction : fractions)
        ColumnX[k++] = fraction * target.ScaleWidth();
}

void frmPrint::PrintRow(ui::DrawTarget& target, const QStringList& cells) {
    const double pitch = 1.1 * target.TextHeight(QStringLiteral("W"));
    target.SetCurrentX(ColumnX[0]);
    const qsizetype count = std::min<qsizetype>(cells.size(), ColumnX.size());
    // A cell wider than its column pushes the next one right rather than running into it.
    std::optional<double> end;
    std::optional<double> gap;
    for (qsizetype k = 0; k < count; ++k) {
        double x = ColumnX[static_cast<size_t>(k)];
        if (end && !cells[k].isEmpty()) {
            if (!gap) gap = CellGap(target);
            x = std::max(x, *end + *gap);
        }
        target.SetCurrentX(x);
        target.Print(cells[k], ui::PrintEnd::SameLine);
        if (!cells[k].isEmpty()) end = target.CurrentX();
    }
    target.SetCurrentY(target.CurrentY() + pitch);
}

double frmPrint::CellGap(ui::DrawTarget& target) {
    return target.TextWidth(QStringLiteral("  "));
}

void frmPrint::FitColumns(ui::DrawTarget& target, const std::vector<QStringList>& rows) {
    const std::array<double, 11> columns = ColumnX;
    size_t used = 0;
    for (const QStringList& row : rows)
        used = std::max(used, std::min<size_t>(static_cast<size_t>(row.size()), columns.size()));
    if (used == 0) return;
    const auto measure = [&] {
        std::array<double, 11> widest{};
        for (const QStringList& row : rows)
            for (size_t k = 0; k < used && k < static_cast<size_t>(row.size()); ++k)
                if (!row[static_cast<qsizetype>(k)].isEmpty())
                    widest[k] =
                        std::max(widest[k], target.TextWidth(row[static_cast<qsizetype>(k)]));
        return widest;
    };
    // The columns for texts `scale` times as wide as measured; gives the table's right edge.
    std::array<double, 11> widest = measure();
    double gap = CellGap(target);
    const auto layOut = [&](double scale) {
        ColumnX = columns;
        for (size_t k = 1; k < used; ++k)
            if (widest[k - 1] > 0)
                ColumnX[k] = std::max(columns[k], ColumnX[k - 1] + scale * (widest[k - 1] + gap));
        return ColumnX[used - 1] + scale * widest[used - 1];
    };
    const double room = target.ScaleWidth();
    if (layOut(1) <= room) return;
    // Too wide: the largest font that fits, found on the widths measured (text widths grow
    // with the font's size), then measured again in that font.
    const double size = target.Font().pointSizeF();
    if (size <= kSmallestTableFont) return;
    double low = kSmallestTableFont / size, high = 1;
    for (int step = 0; step < 20; ++step) {
        const double mid = (low + high) / 2;
        (layOut(mid) <= room ? low : high) = mid;
    }
    for (double scale = low;; scale *= 0.97) {
        QFont font = target.Font();
        font.setPointSizeF(std::max(kSmallestTableFont, size * scale));
        target.SetFont(font);
        widest = measure();
        gap = CellGap(target);
        if (layOut(1) <= room || font.pointSizeF() <= kSmallestTableFont) return;
    }
}

void frmPrint::HeaderRule(ui::DrawTarget& target) {
    target.SetDrawWidth(1);
    target.SetCurrentX(0);
    const double y = target.CurrentY() + 30;
    target.Line(0, y, target.ScaleWidth(), y, 0);
}

void frmPrint::ClosingRule(ui::DrawTarget& target) {
    target.SetDrawWidth(4);
    target.SetCurrentX(0);
    const double y = target.CurrentY() + 30;
    target.Line(0, y, target.ScaleWidth(), y, 0);
    target.SetDrawWidth(1);
}

void frmPrint::PrintPagedRows(ui::DrawTarget& target, int count, const QStringList& header,
                              const std::function<void(int)>& item) {
    PrintPagedRows(
        target, count, [&header](int) { return header; }, item);
}

void frmPrint::PrintPagedRows(ui::DrawTarget& target, int count,
                              const std::function<QStringList(int)>& headerFor,
                              const std::function<void(int)>& item) {
    for (int i = 0; i < count; ++i) {
        item(i);
        if (!target.IsPrinter() || i >= count - 1 ||
            target.CurrentY() <= 0.95 * target.ScaleHeight())
            continue;
        target.NewPage();
        // The table goes on in its own font, whatever the page header leaves.
        const QFont font = target.Font();
        PrintPageHeader(target);
        target.SetFont(font);
        target.SetCurrentY(0.1 * target.ScaleWidth());
        PrintRow(target, headerFor(i + 1));
        HeaderRule(target);
    }
}

// ---- Summary block ----------------------------------------------------------------------------

void frmPrint::PrintSummary(ui::DrawTarget& target, const clsHeader& header) {
    const clsHeader& h = header;
    SetColumns(target, {0, 0.18, 0.36, 0.54, 0.72});
    target.SetForeColor(0);
    target.SetCurrentY(target.ScaleHeight() / 20);
    PrintRow(target, {M(5604), QString(), M(5605)});
    HeaderRule(target);
    BlankRow(target);
    const auto property = [&](int id, const QString& value) {
        PrintRow(target, {M(id), QString(), value});
    };
    property(5606, h.Names());
    property(dataType_ == TypeAlarmTrend ? 5630 : 5607, GeneralDate(h.Dates()));
    property(5608, h.SerialNo());
    property(5609, h.StationID());
    property(5610, h.UserId());
    if (IsTrend()) {
        property(5611, QString::number(h.DCount()));
        property(5612, QString::number(h.Intervals()));
        HeaderRule(target);
        BlankRow(target);

        // Gas 1 shows in its second unit as channel 4 while the conversion is on.
        const int first = ShownChannel(0);
        PrintRow(target, {QString(), GetGasCaption(&h, first), GetGasCaption(&h, 1),
                          GetGasCaption(&h, 2), GetGasCaption(&h, 3)});
        using Form = QString (clsHeader::*)(int, bool) const;
        // Channels 2 and 3 only when enabled; channel 1 always.
        const auto gasCells = [&](const QString& firstCell, const std::function<QString(int)>& of) {
            return QStringList{firstCell, of(1), h.GasEnable(2) ? of(2) : kNone,
                               h.GasEnable(3) ? of(3) : kNone};
        };
        if (dataType_ == TypeInterval) {
            using Value = float (clsHeader::*)(int) const;
            // Gas 1 in its second unit keeps that unit's decimal places.
            const auto statistics = [&](int id, Form form, Value value) {
                const QString firstCell = !h.GasEnable(first) ? kNone
                                          : ConvEnable        ? SecondUnitForm(h, (h.*value)(0))
                                                              : (h.*form)(0, false);
                PrintRow(target, QStringList{M(id)} + gasCells(firstCell, [&](int g) {
                                     return (h.*form)(g, false);
                                 }));
            };
            statistics(5613, &clsHeader::GasAvrForm, &clsHeader::GasAvr);
            statistics(5614, &clsHeader::GasMaxForm, &clsHeader::GasMax);
            PrintRow(target, QStringList{M(5663)} + gasCells(TimeOnly(h.GasMaxDate(0)), [&](int g) {
                                 return TimeOnly(h.GasMaxDate(g));
                             }));
            PrintRow(target, {M(5615), kNone, h.GasMinForm(1), kNone, kNone});
            PrintRow(target, {M(5664), kNone, TimeOnly(h.GasMinDate(1)), kNone, kNone});
        } else {
            const auto level = [&](int id, Form form) {
                PrintRow(target, QStringList{M(id)} + gasCells((h.*form)(first, false), [&](int g) {
                                     return (h.*form)(g, false);
                                 }));
            };
            level(5617, &clsHeader::GasFullForm);
            level(5618, &clsHeader::WarnForm);
            level(5619, &clsHeader::AlarmForm);
        }
    }
    ClosingRule(target);
    BlankRow(target);
}

// ---- Trend tables -----------------------------------------------------------------------------

void frmPrint::PrintTrendTable(ui::DrawTarget& target) {
    SetColumns(target, {0, 0.05, 0.4, 0.55, 0.7, 0.85, 0.99});
    target.SetForeColor(0);
    BlankRow(target);
    BlankRow(target);
    if (!IsTrend() || !tableData_) return;
    const ui::TextTable& grid = *tableData_;
    QStringList header{M(5620), M(5621)};
    for (int c = 2; c <= 5; ++c)
        header << grid.TextMatrix(0, c);
    PrintRow(target, header);
    HeaderRule(target);
    // The preview shows the first rows only; the printer prints them all.
    int rows = std::max(grid.Rows() - 1, 0);
    if (!target.IsPrinter()) rows = std::min(rows, 30);
    PrintPagedRows(target, rows, header, [&](int i) {
        QStringList cells{QString::number(i + 1)};
        for (int c = 1; c <= 5; ++c)
            cells << grid.TextMatrix(i + 1, c);
        PrintRow(target, cells);
        // The alarm moment, which the graph marks "Alarm", is underlined.
        if (dataType_ == TypeAlarmTrend && i == AlarmMomentRow) {
            target.SetCurrentX(0);
            target.Line(0, target.CurrentY(), target.ScaleWidth(), target.CurrentY(), 0);
        }
    });
}

// ---- Event lists ------------------------------------------------------------------------------

void frmPrint::PrintEventList(ui::DrawTarget& target) {
    SetColumns(target, {0, 0.1, 0.4, 0.55, 0.7, 0.85, 0.99});
    target.SetForeColor(0);
    BlankRow(target);
    BlankRow(target);

    // The column titles and the cells of event i of each kind.
    QStringList header{M(5620), M(5621)};
    int count = 0;
    std::function<QStringList(int)> cells;
    const auto numbered = [](int i, const QDateTime& date) {
        return QStringList{QString::number(i + 1), GeneralDate(date)};
    };
    const bool alarms = dataType_ == TypeAlarmEvents && alarmEventData_;
    if (alarms || (dataType_ == TypeTroubleEvents && troubleData_)) {
        // Each event under the name of the gas or sensor it was stored with.
        const MonthlyEventLog& d =
            alarms ? static_cast<const MonthlyEventLog&>(*alarmEventData_) : *troubleData_;
        if (alarms)
            header << M(5631) << M(5643);
        else
            header << QStringLiteral("Sensor/System") << QStringLiteral("Event");
        count = d.DataCount();
        cells = [&](int i) {
            return numbered(i, d.Dates(i)) << d.Gas(i).Name << GetStatusWord(d.Events(i));
        };
    } else if (dataType_ == TypePowerEvents && powerData_) {
        const clsPowerEvent& d = *powerData_;
        header << QStringLiteral("Power");
        count = d.DataCount();
        cells = [&](int i) {
            return numbered(i, d.Dates(i))
                   << (d.Flags(i) ? QStringLiteral("ON") : QStringLiteral("OFF"));
        };
    } else {
        return;
    }
    PrintRow(target, header);
    HeaderRule(target);
    PrintPagedRows(target, count, header, [&](int i) { PrintRow(target, cells(i)); });
}

// ---- Calibration history ----------------------------------------------------------------------

void frmPrint::PrintCalHistory(ui::DrawTarget& target) {
    // The rows of the record the caller loaded (newest calibration first), as its summary is.
    if (!historyData_) return;
    const clsHistory& history = *historyData_;
    SetColumns(target, {0, 0.06, 0.24, 0.33, 0.46, 0.59, 0.72, 0.85});
    // The rows in print order: a column header row over the first calibration and over each
    // calibration stored with other gases than the one before, then the "Before" and "After"
    // rows of each calibration. Each calibration's first row, and the header it stands under.
    std::vector<QStringList> rows;
    std::vector<std::pair<size_t, size_t>> calibrations;
    size_t captionsRow = 0;
    WalkHistory(
        history,
        [&](const QStringList& captions) {
            captionsRow = rows.size();
            rows.push_back(QStringList{M(5620), M(5621), QString()} + captions);
        },
        [&](int i) {
            QStringList before{QString::number(i + 1), GeneralDate(history.Dates(i)), M(5633)};
            QStringList after{QString(), QString(), M(5634)};
            for (int g = 0; g < 5; ++g) {
                before << history.BeforeForm(g, i);
                after << history.AfterForm(g, i);
            }
            calibrations.emplace_back(rows.size(), captionsRow);
            rows.push_back(std::move(before));
            rows.push_back(std::move(after));
        });
    FitColumns(target, rows);
    size_t headed = 0;  // the header row printed last
    const auto header = [&](size_t row) {
        PrintRow(target, rows[row]);
        HeaderRule(target);
        headed = row;
    };
    header(0);
    // Both rows of one calibration stay on one page: the page test follows the "After" row; a
    // new page repeats the header of the calibration it goes on with.
    PrintPagedRows(
        target, history.DataCount(),
        [&](int next) { return rows[headed = calibrations[static_cast<size_t>(next)].second]; },
        [&](int i) {
            const auto [first, own] = calibrations[static_cast<size_t>(i)];
            if (own != headed) header(own);
            PrintRow(target, rows[first]);
            PrintRow(target, rows[first + 1]);
        });
    ClosingRule(target);
}

// ---- Last-calibration list --------------------------------------------------------------------

void frmPrint::PrintLastCalList(ui::DrawTarget& target) {
    // A printer that kept portrait gets the list in a smaller font.
    if (target.IsPrinter() && portrait_) {
        QFont font = target.Font();
        font.setPointSizeF(FormFontSize() * 0.85);
        target.SetFont(font);
    }
    SetColumns(target, {0, 0.05, 0.15, 0.25, 0.35, 0.47, 0.59, 0.71, 0.83});
    target.SetForeColor(0);
    target.SetCurrentY(target.ScaleHeight() / 20);
    HeaderRule(target);
    BlankRow(target);
    static const ui::TextTable noTable;
    const ui::TextTable& grid = tableData_ ? *tableData_ : noTable;
    // Only the first nine columns of the page's grid are printed.
    std::vector<QStringList> rows;
    for (int r = 0; r < grid.Rows(); ++r) {
        QStringList cells;
        for (int c = 0; c <= 8; ++c)
            cells << grid.TextMatrix(r, c);
        rows.push_back(std::move(cells));
    }
    FitColumns(target, rows);
    const QStringList header = rows.empty() ? QStringList() : rows.front();
    PrintPagedRows(target, grid.Rows(), header,
                   [&](int r) { PrintRow(target, rows[static_cast<size_t>(r)]); });
    ClosingRule(target);
}

}  // namespace qv

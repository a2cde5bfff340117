// The calibration history page: its controls, captions and layout, the grid filled from the
// latest calibrations in three layouts, and its commands (layout choice, one-row selection,
// pop-up menu, print and delete).
#include "CalHistoryPage.h"

#include "AppError.h"
#include "Database.h"
#include "MouseCodes.h"
#include "Questions.h"
#include "RowGas.h"
#include "Twips.h"
#include "UserAction.h"
#include "UserDialogs.h"
#include "modCalDue.h"
#include "modGasCommon.h"
#include "modGlobals.h"
#include "modKeys.h"
#include "modMessage.h"
#include "modViewSupport.h"

#include <QHeaderView>
#include <QScrollBar>
#include <algorithm>

namespace qv {

using ui::Height;
using ui::Left;
using ui::Move;
using ui::Top;
using ui::Width;

namespace {

constexpr int kGases = 5;
// A last download older than this many days is coloured.
constexpr int32_t kDownloadLimitDays = 91;
constexpr int32_t kOldDownloadColor = ui::RGB(255, 64, 224);

// What sets one layout apart before any record is read.
struct LayoutSettings {
    int colsBeforeQuery;
    bool oneRowPerInstrument;  // whole-row selection with a lasting highlight
};
constexpr std::array<LayoutSettings, 3> kLayouts{{{10, true}, {9, true}, {9, false}}};

// One cLatestHist row as the page reads it; a Null shows as an empty cell.
struct LatestCal {
    QVariant serial, user, station;
    QDateTime writeDates;  // invalid when Null or unreadable
    int32_t calLimit = 0;  // a missing interval counts as 0 days: every calibration shows due
    struct Gas {
        RowGas gas;  // as the row stored it; a Null name shows as an empty one
        QDateTime calDate;
        QVariant before, after, autoCal;
    };
    std::array<Gas, kGases> gas;
};

LatestCal ReadRecord(const DbRow& row) {
    LatestCal r;
    r.serial = row.value(QStringLiteral("SerialNo"));
    r.user = row.value(QStringLiteral("UserID"));
    r.station = row.value(QStringLiteral("StationID"));
    r.writeDates = row.toDate(QStringLiteral("WriteDates"), QDateTime());
    r.calLimit = ClampedTo<int32_t>(row.toLong(QStringLiteral("CalLimit"), 0));
    for (int g = 0; g < kGases; ++g) {
        const QString prefix = QStringLiteral("Gas%1").arg(g + 1);
        LatestCal::Gas& gas = r.gas[static_cast<size_t>(g)];
        gas.gas = HistoryRowGas(row, g, RowGas{});
        gas.calDate = row.toDate(prefix + QStringLiteral("CalDate"), QDateTime());
        gas.before = row.value(prefix + QStringLiteral("Before"));
        gas.after = row.value(prefix + QStringLiteral("After"));
        gas.autoCal = row.value(prefix + QStringLiteral("AutoCal"));
    }
    return r;
}

// An identity as the page shows it: an empty one as "*", the form in which it is stored.
QString IdentityText(const QVariant& v) {
    return v.isNull() ? QString() : TrimOrStar(v.toString());
}

QString ValueText(const QVariant& v, int16_t points) {
    return v.isNull() ? QString() : FormatGasValue(static_cast<float>(v.toDouble()), points, false);
}

// One grid row to write: its texts, the colours of some of its cells, the record behind it.
struct PlannedRow {
    QVariantList values;
    std::vector<std::pair<int, int32_t>> colors;  // column, colour
    const LatestCal* record = nullptr;
};

// Layouts 0 and 1: one row per record; layout 0 keeps only records with a gas coloured due.
void PlanInstrumentRows(int layout, const std::vector<LatestCal>& records,
                        std::vector<PlannedRow>& rows) {
    for (size_t p = 0; p < records.size(); ++p) {
        const LatestCal& r = records[p];
        PlannedRow row;
        row.record = &r;
        row.values << static_cast<qlonglong>(p + 1) << IdentityText(r.serial)
                   << IdentityText(r.user) << IdentityText(r.station);
        for (int g = 0; g < kGases; ++g) {
            const QDateTime& calDate = r.gas[static_cast<size_t>(g)].calDate;
            row.values << FormatValidDate(calDate);
            if (const int32_t color = GetCalDueColor(calDate, r.calLimit); color > 0)
                row.colors.emplace_back(4 + g, color);
        }
        if (layout == 0 && row.colors.empty()) continue;
        row.values << FormatValidDate(r.writeDates);
        if (GetCalDueColor(r.writeDates, kDownloadLimitDays) > 0)
            row.colors.emplace_back(9, kOldDownloadColor);
        rows.push_back(std::move(row));
    }
}

// Layout 2: five rows per record, one per gas; the identity on the first only.
void PlanGasRows(const std::vector<LatestCal>& records, std::vector<PlannedRow>& rows) {
    for (size_t p = 0; p < records.size(); ++p) {
        const LatestCal& r = records[p];
        for (int g = 0; g < kGases; ++g) {
            const LatestCal::Gas& gas = r.gas[static_cast<size_t>(g)];
            PlannedRow row;
            row.record = &r;
            if (g == 0)
                row.values << static_cast<qlonglong>(p + 1) << IdentityText(r.serial)
                           << IdentityText(r.user) << IdentityText(r.station);
            else
                row.values << QString() << QString() << QString() << QString();
            const int16_t points = gas.gas.Points;
            row.values << gas.gas.Name << ValueText(gas.before, points)
                       << ValueText(gas.after, points) << ValueText(gas.autoCal, points)
                       << GetCalDueText(gas.calDate, r.calLimit);
            if (const int32_t color = GetCalDueColor(gas.calDate, r.calLimit); color > 0)
                row.colors.emplace_back(8, color);
            rows.push_back(std::move(row));
        }
    }
}

// The title of each channel's column in layouts 0 and 1: the gas name its rows were stored with.
// Instruments with other gases on a channel share a column (another sensor, or one swapped): its
// title then names every gas it covers, in the order of the rows (the latest download first),
// rather than one gas over the dates of another.
QStringList ChannelTitles(const std::vector<LatestCal>& records,
                          const std::vector<PlannedRow>& rows) {
    QStringList titles;
    for (size_t g = 0; g < kGases; ++g) {
        // No gas named among the rows shown: the latest download's text.
        QString title = records.front().gas[g].gas.Name;
        QStringList names;
        for (const PlannedRow& row : rows) {
            const QString& name = row.record->gas[g].gas.Name;
            if (name.trimmed().isEmpty() || names.contains(name.trimmed())) continue;
            if (names.isEmpty()) title = name;
            names << name.trimmed();
        }
        titles << (names.size() > 1 ? names.join(u'/') : title);
    }
    return titles;
}

void Report(const std::optional<QString>& failure) {
    if (failure) Dialogs().MsgBox(*failure, vbCritical);
}

// Compares a stored identity case-blind; Null matches Null.
const QString kIdentityMatch = QStringLiteral(
    "SerialNo Is ? Collate NoCase And UserID Is ? Collate NoCase And StationID Is ? Collate "
    "NoCase");

}  // namespace

CalHistoryPage::CalHistoryPage(QWidget* parent) : PageFrame(parent) {
    for (size_t i = 0; i < optHistory.size(); ++i) {
        QRadioButton* o = new QRadioButton(this);
        optHistory[i] = o;
        Move(o, 60, 240, 1800, 255);
        // Ticking a button from code chooses the layout too; the handler guards the start-up.
        connect(o, &QRadioButton::toggled, this, ui::AsUserAction([this, i](bool checked) {
                    if (checked) optHistory_Click(static_cast<int>(i));
                }));
    }
    vfgHistory = new ui::FlexGrid(this);
    // The column after those the layout sizes (the due or last-download column) takes the rest
    // where its texts leave room (FitColumnsToText).
    vfgHistory->horizontalHeader()->setStretchLastSection(true);
    vfgHistory->MouseUp = ui::AsUserAction([this](int Button, int Shift, double X, double Y) {
        vfgHistory_MouseUp(Button, Shift, X, Y);
    });
    vfgHistory->SelChange = ui::AsUserAction([this] { vfgHistory_SelChange(); });

    mnuHistDels = new QMenu(this);
    mnuHistDel[0] = mnuHistDels->addAction(GetMessage(9008));
    mnuHistDel[1] = mnuHistDels->addSeparator();
    mnuHistDel[2] = mnuHistDels->addAction(GetMessage(9007));
    for (size_t i = 0; i < mnuHistDel.size(); ++i)
        mnuHistDel[i]->setData(static_cast<int>(i));
}

CalHistoryPage::~CalHistoryPage() = default;

void CalHistoryPage::Bind(const CalHistoryHost& host) {
    host_ = std::make_unique<CalHistoryHost>(host);
    if (!host_->PrintLastCalibration) {
        mnuHistDels->removeAction(mnuHistDel[0]);
        mnuHistDels->removeAction(mnuHistDel[1]);
    }
}

void CalHistoryPage::SetCaptions() {
    setTitle(GetMessage(5254));
    optHistory[0]->setText(GetMessage(5251));
    optHistory[1]->setText(GetMessage(5252));
    optHistory[2]->setText(GetMessage(5253));
}

void CalHistoryPage::LayoutPage() {
    const double pw = Width(this);
    const double ph = Height(this);
    const double optionWidth = pw / (static_cast<double>(optHistory.size()) + 1);
    const double rowTop = ui::ContentTop(this);
    Move(optHistory[0], 60, rowTop, optionWidth);
    for (size_t i = 1; i < optHistory.size(); ++i)
        Move(optHistory[i], Left(optHistory[i - 1]) + Width(optHistory[i - 1]) + 120, rowTop,
             optionWidth);
    const double optionBottom = Top(optHistory[0]) + Height(optHistory[0]);
    Move(vfgHistory, 60, optionBottom + 60, pw - 120, ph - optionBottom - 120);

    if (optHistory[0]->isChecked() || optHistory[1]->isChecked())
        vfgHistory->SetColWidths({0.06, 0.1, 0.1, 0.1, 0.1, 0.1, 0.1, 0.1, 0.1});
    else if (optHistory[2]->isChecked())
        vfgHistory->SetColWidths({0.06, 0.1, 0.1, 0.1, 0.08, 0.12, 0.12, 0.12});
    FitColumnsToText();
}

void CalHistoryPage::FitColumnsToText() {
    // No text may show cut, and the last column takes the rest of the grid while that leaves
    // it room for its own texts; otherwise it keeps their width and the grid scrolls.
    ui::FlexGrid& grid = *vfgHistory;
    const int last = grid.Cols() - 1;
    if (last < 0) return;
    QHeaderView& header = *grid.horizontalHeader();
    header.setStretchLastSection(false);
    grid.FitColsToText();
    int used = 0;
    for (int c = 0; c < last; ++c)
        used += grid.columnWidth(c);
    // Room as if the vertical scroll bar were shown, so that its coming cuts nothing.
    const int room =
        grid.width() - 2 * grid.frameWidth() - grid.verticalScrollBar()->sizeHint().width();
    header.setStretchLastSection(room - used >= ui::ToPixelsX(grid.ColTextWidth(last)));
}

// ---- The grid ----

int CalHistoryPage::SelectedLayout() const {
    for (size_t i = 0; i < optHistory.size(); ++i)
        if (optHistory[i]->isChecked()) return static_cast<int>(i);
    return -1;
}

void CalHistoryPage::EmptyGrid(int layout) {
    const bool filling = filling_;
    filling_ = true;
    if (FailureOf([&] { PrepareGrid(layout); })) {
        vfgHistory->SetRows(1);
        rowIdentity_.assign(1, std::nullopt);
    }
    filling_ = filling;
}

void CalHistoryPage::PrepareGrid(int layout) {
    const LayoutSettings& s = kLayouts[static_cast<size_t>(layout)];
    ui::FlexGrid& grid = *vfgHistory;
    grid.Clear();
    grid.SetCols(s.colsBeforeQuery);
    grid.SetRows(1);
    grid.SetSelectionByRow(s.oneRowPerInstrument);
    grid.SetHighLight(s.oneRowPerInstrument ? ui::FlexGrid::HighLightAlways
                                            : ui::FlexGrid::HighLightNever);
    if (layout == 2) grid.SetFormatString(GetMessage(5662));
    rowIdentity_.assign(1, std::nullopt);
}

void CalHistoryPage::ShowCalHistory() {
    const int layout = SelectedLayout();
    if (layout >= 0) {
        filling_ = true;
        const auto failure = FailureOf([&] {
            PrepareGrid(layout);
            FillFromDatabase(layout);
        });
        // Nothing half filled stays on show.
        if (failure) EmptyGrid(layout);
        filling_ = false;
        Report(failure);
    }
    ui::RunUserAction([&] {
        vfgHistory->Refresh();
        Form_Resize();
    });
}

void CalHistoryPage::FillFromDatabase(int layout) {
    // Every record is read and every row worked out before the grid changes, so a failure
    // midway leaves nothing behind.
    std::vector<LatestCal> records;
    {
        Database db(DatabasePath);
        for (const DbRow& row : db.query(
                 QStringLiteral("Select * From cLatestHist Order By WriteDates DESC, SeqNo DESC;")))
            records.push_back(ReadRecord(row));
    }
    if (records.empty()) {
        Dialogs().MsgBox(GetMessage(5352), vbCritical + vbOKOnly, GetMessage(5353));
        return;
    }
    QString header;
    std::vector<PlannedRow> rows;
    if (layout == 2) {
        header = GetMessage(5662);
        PlanGasRows(records, rows);
    } else {
        PlanInstrumentRows(layout, records, rows);
        header = GetMessage(5661, ChannelTitles(records, rows));
    }

    ui::FlexGrid& grid = *vfgHistory;
    grid.SetFormatString(header);
    const int count = static_cast<int>(rows.size());
    grid.SetRows(count + 1);
    rowIdentity_.assign(static_cast<size_t>(count) + 1, std::nullopt);
    for (int i = 0; i < count; ++i) {
        const PlannedRow& row = rows[static_cast<size_t>(i)];
        FillGridRow(grid, i + 1, 0, false, row.values);
        for (const auto& [col, color] : row.colors)
            grid.SetCellBackColor(i + 1, col, color);
        rowIdentity_[static_cast<size_t>(i) + 1] =
            Identity{row.record->serial, row.record->user, row.record->station};
    }
    // No row is current until the user picks one: a highlight would hide the colours of its
    // row, and the menu must never act on a row the user did not choose.
    grid.setCurrentCell(-1, -1);
    grid.clearSelection();
}

// ---- Commands ----

void CalHistoryPage::optHistory_Click(int Index) {
    if (!host_ || host_->FirstActivate) return;
    ShowCalHistory();
}

void CalHistoryPage::vfgHistory_SelChange() {
    if (filling_ || !host_ || host_->InHistorySelChange) return;
    host_->InHistorySelChange = true;
    const auto failure = FailureOf([&] { vfgHistory->SetRowSel(vfgHistory->Row()); });
    host_->InHistorySelChange = false;
    Report(failure);
}

void CalHistoryPage::vfgHistory_MouseUp(int Button, int Shift, double X, double Y) {
    ui::RunUserAction([&] {
        if (Button != ui::RightButton) return;
        // Only where every row is one instrument.
        if (!optHistory[0]->isChecked() && !optHistory[1]->isChecked()) return;
        const QPoint at = vfgHistory->mapToGlobal(QPoint(ui::ToPixelsX(X), ui::ToPixelsY(Y)));
        if (QAction* chosen = Dialogs().PopupMenu(*mnuHistDels, at))
            mnuHistDel_Click(chosen->data().toInt());
    });
}

void CalHistoryPage::mnuHistDel_Click(int Index) {
    ui::RunUserAction([&] {
        const int row = vfgHistory->Row();
        const std::optional<Identity> id = CurrentIdentity();
        if (!id || !host_) return;
        if (Index == 0)
            PrintRow(*id);
        else if (Index == 2)
            DeleteRow(row, *id);
    });
}

std::optional<CalHistoryPage::Identity> CalHistoryPage::CurrentIdentity() const {
    const int row = vfgHistory->Row();
    if (row <= 0 || row >= static_cast<int>(rowIdentity_.size())) return std::nullopt;
    return rowIdentity_[static_cast<size_t>(row)];
}

void CalHistoryPage::PrintRow(const Identity& id) {
    if (!host_->PrintLastCalibration) return;
    int32_t seqNo = 0;
    {
        Database db(DatabasePath);
        const QVariant key =
            db.scalar(QStringLiteral("Select SeqNo From Log_head Where ") + kIdentityMatch +
                          QStringLiteral(" And Types=? Order By SeqNo;"),
                      {id.serial, id.user, id.station, TypeCalHistory});
        if (!key.isNull()) seqNo = ClampedTo<int32_t>(key.toLongLong());
    }
    host_->PrintLastCalibration(seqNo, ui::GridTexts(*vfgHistory));
}

void CalHistoryPage::DeleteRow(int row, const Identity& id) {
    PasswordOK = false;
    if (host_->ShowPassword) host_->ShowPassword();
    if (!PasswordOK) return;
    if (!Ask(Question::DeleteCalHistory, {vfgHistory->TextMatrix(row, 1)})) return;
    const auto failure = FailureOf([&] {
        Database db(DatabasePath);
        db.execute(
            QStringLiteral("Delete From cLatestHist Where ") + kIdentityMatch + QStringLiteral(";"),
            {id.serial, id.user, id.station});
    });
    if (failure) {
        // What is stored is unknown now: the page shows nothing rather than stale rows.
        EmptyGrid(std::max(SelectedLayout(), 0));
        Report(failure);
        return;
    }
    ShowCalHistory();
}

}  // namespace qv

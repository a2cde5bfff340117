// Controls, captions, layout and event wiring of the data view page; its set-up from the stored
// log chosen and the handlers of its option, check box and zoom controls.
#include "DataViewPage.h"

#include "MouseCodes.h"
#include "Runtime.h"
#include "Twips.h"
#include "UserAction.h"
#include "UserDialogs.h"
#include "clsAlarm.h"
#include "clsAlarmEvent.h"
#include "clsHistory.h"
#include "clsInstrument.h"
#include "clsInterval.h"
#include "clsPowerEvent.h"
#include "clsTroubleEvent.h"
#include "modGlobals.h"
#include "modMessage.h"
#include "modModel.h"

#include <QScopeGuard>
#include <QSignalBlocker>
#include <algorithm>

namespace qv {

using ui::Height;
using ui::IsShown;
using ui::Left;
using ui::Move;
using ui::Top;
using ui::Width;

namespace {

// Fewer plottable samples than this and a trend opens as a table only.
constexpr int kGraphMinimum = 5;

// The caption message of each kind of stored log; 0 for a kind the page does not show.
int KindMessage(int32_t kind) {
    switch (kind) {
        case TypeInterval:
            return 5624;
        case TypeAlarmTrend:
            return 5625;
        case TypeCalHistory:
            return 5626;
        case TypeAlarmEvents:
            return 5627;
        case TypeTroubleEvents:
            return 5628;
        case TypePowerEvents:
            return 5629;
        default:
            return 0;
    }
}

void SayNothingChosen() {
    Dialogs().MsgBox(GetMessage(5301), vbOKOnly | vbInformation, GetMessage(5302));
}

}  // namespace

DataViewPage::DataViewPage(QWidget* parent) : PageFrame(parent) {
    for (size_t i = 0; i < optBrowse.size(); ++i) {
        QRadioButton* o = new QRadioButton(this);
        optBrowse[i] = o;
        Move(o, 120, 240, 1200, 255);
        // The view follows the user's choice; code that chooses runs the switch itself.
        connect(o, &QRadioButton::clicked, this, [this, i, o] {
            Handle([&] {
                if (o->isChecked()) optBrowse_Click(static_cast<int>(i));
            });
        });
    }
    optBrowse[0]->setChecked(true);
    chkEvent = new QCheckBox(this);
    Move(chkEvent, 2800, 240, 1800, 330);
    connect(chkEvent, &QCheckBox::clicked, this, [this] { Handle([&] { chkEvent_Click(); }); });
    vfgSummary = new ui::FlexGrid(this);
    vfgSummary->hide();
    vfgBrowse = new ui::FlexGrid(this);
    vfgSummary->MouseUp = [this](int button, int shift, double x, double y) {
        Handle([&] { vfgSummary_MouseUp(button, shift, x, y); });
    };
    vfgBrowse->MouseUp = [this](int button, int shift, double x, double y) {
        Handle([&] { vfgBrowse_MouseUp(button, shift, x, y); });
    };
    vtmGraph = new uclVtmGraph(this);
    vtmGraph->hide();
    for (size_t i = 0; i < chkBrowse.size(); ++i) {
        QCheckBox* c = new QCheckBox(this);
        chkBrowse[i] = c;
        Move(c, 120, 240, 1500, 255);
        connect(c, &QCheckBox::clicked, this,
                [this, i] { Handle([&] { chkBrowse_Click(static_cast<int>(i)); }); });
    }
    chkBrowse[4]->setChecked(true);
    lblTitle1 = new QLabel(this);
    Move(lblTitle1, 120, 240, 800, 255);
    cmbBrowse = new QComboBox(this);
    Move(cmbBrowse, 1160, 240, 1200, 315);
    // A choice of the user's; filling the list from code raises nothing.
    connect(cmbBrowse, &QComboBox::activated, this, [this] { Handle([&] { cmbBrowse_Click(); }); });
    for (size_t i = 0; i < cmdBrowse.size(); ++i) {
        cmdBrowse[i] = new QPushButton(this);
        connect(cmdBrowse[i], &QPushButton::clicked, this,
                [this, i] { Handle([&] { cmdBrowse_Click(static_cast<int>(i)); }); });
    }
}

DataViewPage::~DataViewPage() = default;

void DataViewPage::Bind(const DataViewHost& host) {
    host_ = std::make_unique<DataViewHost>(host);
}

QWidget* DataViewPage::MainControl() const {
    if (GraphChosen()) return vtmGraph->picGraph;
    return vfgBrowse;
}

void DataViewPage::Handle(const std::function<void()>& action) {
    if (host_) ui::RunUserAction(action);
}

void DataViewPage::SetCaptions() {
    const clsInstrument& defaults = *DefaultInstrument();
    setTitle(GetMessage(5151));
    optBrowse[0]->setText(GetMessage(5152));
    optBrowse[1]->setText(GetMessage(5153));
    for (int i = 0; i < 4; ++i)
        chkBrowse[static_cast<size_t>(i)]->setText(defaults.GasName(i));
    chkBrowse[4]->setText(GetMessage(5154));
    chkBrowse[5]->setText(GetMessage(5155));
    lblTitle1->setText(GetMessage(5156));
    cmdBrowse[0]->setText(GetMessage(5161));
    cmdBrowse[1]->setText(GetMessage(5157));
    cmdBrowse[2]->setText(GetMessage(5158));
    cmdBrowse[3]->setText(GetMessage(5159));
    chkEvent->setText(GetMessage(5160));
}

void DataViewPage::LayoutPage() {
    const double pw = Width(this);
    const double ph = Height(this);
    const bool table = optBrowse[0]->isChecked();
    const bool graph = optBrowse[1]->isChecked();
    vfgBrowse->setVisible(table);
    vtmGraph->setVisible(graph);
    // In graph view the gas boxes keep the visibility the graph view gave them.
    if (!graph)
        for (QCheckBox* box : chkBrowse)
            box->setVisible(false);
    lblTitle1->setVisible(graph);
    cmbBrowse->setVisible(graph);
    chkEvent->setVisible(table);

    // The options are as wide as their captions, leaving the rest of the row to the buttons.
    const auto captionWidth = [](const QWidget* w) {
        return w->sizeHint().width() * ui::TwipsPerPixelX();
    };
    const double rowTop = ui::ContentTop(this);
    Move(optBrowse[0], 120, rowTop, captionWidth(optBrowse[0]));
    Move(optBrowse[1], Left(optBrowse[0]) + Width(optBrowse[0]) + 120, rowTop,
         captionWidth(optBrowse[1]));
    Move(chkEvent, Left(optBrowse[1]) + Width(optBrowse[1]) + 120, rowTop, captionWidth(chkEvent));

    // The command buttons share the room beside the options, each at least as wide as its
    // caption needs; where the page is too narrow for that they take a row of their own.
    const double eventRight = Left(chkEvent) + Width(chkEvent);
    double needed = 0;
    for (const QPushButton* b : cmdBrowse)
        needed = std::max(needed, captionWidth(b));
    const double buttons = static_cast<double>(cmdBrowse.size());
    double buttonLeft = eventRight + 120;
    double buttonTop = rowTop;
    double buttonWidth = (pw - eventRight - 120) / (buttons * 1.1);
    if (buttonWidth < needed) {
        buttonWidth = needed;
        if (buttonLeft + buttons * (needed + 120) > pw) {
            buttonLeft = 120;
            buttonTop = Top(optBrowse[0]) + Height(optBrowse[0]) + 120;
            buttonWidth = std::max(needed, (pw - 120 - buttons * 120) / buttons);
        }
    }
    Move(cmdBrowse[0], buttonLeft, buttonTop, buttonWidth, Height(chkEvent));
    for (size_t i = 1; i < cmdBrowse.size(); ++i) {
        const QPushButton* before = cmdBrowse[i - 1];
        Move(cmdBrowse[i], Left(before) + Width(before) + 120, buttonTop, Width(before),
             Height(before));
    }
    // Below the options, or below the buttons' own row.
    const double controlsBottom = buttonTop > rowTop ? buttonTop + Height(cmdBrowse[0])
                                                     : Top(optBrowse[0]) + Height(optBrowse[0]);
    const double topRow = controlsBottom + 120;
    double gridHeight = 0;
    if (IsShown(vfgSummary)) {
        Move(vfgSummary, 120, topRow, pw - 240, ph * 0.3);
        const double summaryBottom = Top(vfgSummary) + Height(vfgSummary);
        gridHeight = ph - summaryBottom - 240;
        Move(vfgBrowse, 120, summaryBottom + 120, pw - 240, gridHeight);
    } else {
        gridHeight = ph - controlsBottom - 240;
        Move(vfgBrowse, 120, topRow, pw - 240, gridHeight);
    }
    // The graph leaves two rows under it for the gas boxes, the zoom title and the zoom list.
    Move(vtmGraph, 120, Top(vfgBrowse), Width(vfgBrowse), gridHeight - 680);
    const std::array<double, 4> gasLeft{120, pw / 4, pw / 2, pw * 3 / 4};
    const double gasTop = Top(vtmGraph) + Height(vtmGraph) + 120;
    for (size_t i = 0; i < gasLeft.size(); ++i)
        Move(chkBrowse[i], gasLeft[i], gasTop);
    Move(lblTitle1, 120, Top(chkBrowse[0]) + Height(chkBrowse[0]));
    Move(cmbBrowse, Left(lblTitle1) + Width(lblTitle1) + 240, Top(lblTitle1));
    Move(chkBrowse[4], pw / 2, Top(lblTitle1));
    Move(chkBrowse[5], pw * 3 / 4, Top(lblTitle1));

    switch (vfgBrowse->Cols()) {
        case 2:
            vfgBrowse->SetColWidths({0.4});
            break;
        case 3:
            vfgBrowse->SetColWidths({0.2, 0.4});
            break;
        case 4:
            vfgBrowse->SetColWidths({0.1, 0.3, 0.28});
            break;
        case 5:
            vfgBrowse->SetColWidths({0.1, 0.3, 0.2, 0.2});
            break;
        case 6:
            vfgBrowse->SetColWidths({0.1, 0.3, 0.13, 0.13, 0.13});
            break;
        case 7:
            vfgBrowse->SetColWidths({0.1, 0.25, 0.12, 0.12, 0.12, 0.12});
            break;
        case 8:
            vfgBrowse->SetColWidths({0.1, 0.25, 0.1, 0.1, 0.1, 0.1, 0.1});
            break;
        default:
            break;
    }
    if (IsShown(vfgSummary) && vfgSummary->Cols() > 3)
        vfgSummary->SetColWidths({0.25, 0.18, 0.18, 0.18});
    // No caption or value shows cut.
    vfgBrowse->FitColsToText();
    vfgSummary->FitColsToText();
}

// ---- Set-up ----------------------------------------------------------------------------------

bool DataViewPage::Ticked(int index) const {
    return chkBrowse[static_cast<size_t>(index)]->isChecked();
}

void DataViewPage::ShowDataView() {
    FillHidden([this] {
        try {
            ShowDataViewSteps();
        } catch (...) {
            // Nothing of the log shown before may stay beside a half-built view.
            EmptyView();
            throw;
        }
    });
}

void DataViewPage::ShowDataViewSteps() {
    const clsInstrument* instrument = host_->CurInstrument.get();
    for (int i = 0; i < 4; ++i)
        chkBrowse[static_cast<size_t>(i)]->setChecked(instrument && instrument->GasEnabled(i));

    const int32_t kind = host_->CurDataType;
    if (kind == 0) {
        setTitle(GetMessage(5151));
        ForceTable();
        for (QPushButton* b : cmdBrowse)
            b->setEnabled(false);
        chkEvent->setEnabled(false);
        SayNothingChosen();
        return;
    }
    const int message = KindMessage(kind);
    if (message == 0) return;
    setTitle(GetMessage(5151) + u'(' + GetMessage(message) + u')');
    for (QPushButton* b : cmdBrowse)
        b->setEnabled(true);
    chkEvent->setEnabled(kind == TypeInterval || kind == TypeAlarmTrend);
    LoadCurrentRecord();

    int plottable = 0;
    int dataCount = 0;
    if (kind == TypeInterval) {
        plottable = CountValidSamples(*host_->CurInterval);
        dataCount = host_->CurInterval->DataCount();
    } else if (kind == TypeAlarmTrend) {
        plottable = dataCount = host_->CurAlarm->DataCount();
    }
    if (plottable < kGraphMinimum) {
        ForceTable();
        // The graph of the log shown before is not kept behind the disabled option.
        vtmGraph->Clear();
        vtmGraph->Refresh();
        ShowDataList();
        return;
    }
    optBrowse[1]->setEnabled(true);
    FillZoomList(dataCount);
    ShowDataList();
    ShowTrendGraph();
}

clsRecordSet* DataViewPage::CurrentRecord() const {
    switch (host_->CurDataType) {
        case TypeInterval:
            return host_->CurInterval.get();
        case TypeAlarmTrend:
            return host_->CurAlarm.get();
        case TypeCalHistory:
            return host_->CurHistory.get();
        case TypeAlarmEvents:
            return host_->CurAlarmEvent.get();
        case TypeTroubleEvents:
            return host_->CurTroubleEvent.get();
        case TypePowerEvents:
            return host_->CurPowerEvent.get();
        default:
            return nullptr;
    }
}

void DataViewPage::LoadCurrentRecord() {
    clsRecordSet* record = CurrentRecord();
    if (!record) return;
    record->ClearDatas();
    record->SetSeqNo(host_->CurSeqNo);
    record->ReLoad();
}

void DataViewPage::ForceTable() {
    const bool wasGraph = optBrowse[1]->isChecked();
    optBrowse[0]->setChecked(true);
    optBrowse[1]->setEnabled(false);
    if (wasGraph) optBrowse_Click(0);
}

void DataViewPage::FillZoomList(int dataCount) {
    {
        const QSignalBlocker block(cmbBrowse);
        cmbBrowse->clear();
        const struct {
            int above;
            const char* text;
        } entries[] = {{-1, "1"},   {30, "3"},   {50, "5"},  {100, "10"},
                       {200, "20"}, {300, "30"}, {500, "50"}};
        for (const auto& e : entries)
            if (dataCount > e.above) cmbBrowse->addItem(QString::fromLatin1(e.text));
        cmbBrowse->setCurrentIndex(0);
    }
    // Zoom 1 is the graph's once it is drawn anew; the graph shown now is the log before.
}

void DataViewPage::EmptyView() {
    vfgBrowse->Clear();
    vfgBrowse->SetRows(1);
    vfgSummary->Clear();
    vfgSummary->SetRows(1);
    vfgSummary->hide();
    vtmGraph->Clear();
    vtmGraph->Refresh();
}

int DataViewPage::CountValidSamples(const clsInterval& record) {
    std::array<int, 4> counts{};
    const int n = record.DataCount();
    for (int i = 0; i < n; ++i)
        for (int g = 0; g < 4; ++g) {
            const QVariant v = record.GasValue(g, i);
            if (!v.isValid()) continue;
            const float value = v.toFloat();
            if (value >= 0 || value == static_cast<float>(GasOver))
                ++counts[static_cast<size_t>(g)];
        }
    int largest = -1;
    for (int g = 0; g < 4; ++g)
        if (record.GasInfo().GasEnable(g))
            largest = std::max(largest, counts[static_cast<size_t>(g)]);
    return largest < 0 ? 999 : largest;
}

void DataViewPage::cmdDetail_Click() {
    if (host_->CurDataType == 0) {
        SayNothingChosen();
        return;
    }
    ShowDataView();
    if (!optBrowse[0]->isChecked() && !optBrowse[1]->isChecked()) optBrowse[0]->setChecked(true);
    host_->ShowPage(3);
}

// ---- Controls --------------------------------------------------------------------------------

void DataViewPage::optBrowse_Click(int Index) {
    if (Index == 0) {
        vtmGraph->hide();
        vfgBrowse->show();
    } else if (Index == 1) {
        vtmGraph->show();
        vfgBrowse->hide();
        ShowTrendGraph();
        vtmGraph->picGraph->setFocus();
    }
    Form_Resize();
}

void DataViewPage::chkBrowse_Click(int Index) {
    uclVtmGraph& graph = *vtmGraph;
    const bool ticked = Ticked(Index);
    if (Index >= 0 && Index <= 3) {
        graph.SetSampleVisible(Index, ticked);
        graph.SetEventVisible(Index, ticked && Ticked(4));
    } else if (Index == 4) {
        // Every series' marks follow the box, also those of a gas whose own box is clear.
        for (int s = 0; s < graph.SampleDataCount(); ++s)
            graph.SetEventVisible(s, ticked);
        graph.SetEventVisible(1000, ticked);
    } else if (Index == 5) {
        graph.SetCursorVisible(ticked);
    }
    if (IsShown(&graph)) {
        graph.Refresh();
        graph.picGraph->setFocus();
    }
}

void DataViewPage::chkEvent_Click() {
    ShowDataList();
}

void DataViewPage::cmbBrowse_Click() {
    // An emptied list has no choice.
    const QString chosen = cmbBrowse->currentText();
    if (!rt::IsNumeric(chosen)) return;
    vtmGraph->SetZoom(rt::CInt(chosen));
    if (IsShown(vtmGraph)) {
        vtmGraph->Refresh();
        vtmGraph->picGraph->setFocus();
    }
}

void DataViewPage::PopupUnitsOn(int Button) {
    if (Button != ui::RightButton) return;
    if (host_->CurDataType != TypeInterval && host_->CurDataType != TypeAlarmTrend) return;
    host_->PopupUnits(QStringLiteral("1"));
}

void DataViewPage::vfgBrowse_MouseUp(int Button, int, double, double) {
    PopupUnitsOn(Button);
}

void DataViewPage::vfgSummary_MouseUp(int Button, int, double, double) {
    PopupUnitsOn(Button);
}

}  // namespace qv

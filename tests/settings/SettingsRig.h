// Test rig of the settings pages on their own: both pages bound to a host whose link is the link
// control on the instrument simulator (its waits on the test's clock), with scripted dialogs, a
// status log, a progress dialog and page buttons of its own; and helpers that type into grids.
#pragma once

#include "InstrumentPage.h"
#include "LinkGuard.h"
#include "OptionPage.h"
#include "ScriptedDialogs.h"
#include "SimLinkRig.h"
#include "Twips.h"
#include "frmUpload.h"
#include "modMessage.h"
#include "modModel.h"

#include <QKeyEvent>
#include <QLineEdit>

namespace qv::test {

struct SettingsRig {
    SimLinkRig sim;
    ScriptedDialogs dialogs;
    std::shared_ptr<clsInstrument>& CurInstrument = sim.instrument;
    std::shared_ptr<clsInstrument> LogInstrument = std::make_shared<clsInstrument>();
    bool ShowLogInstrument = false, FillingGrid = false, CalibMode = false, pageButtons = true;
    // Times the pages asked for their changed settings to be kept.
    int settingsChanged = 0;
    std::array<float, 6> NowReadings{};
    std::array<bool, 6> SpanSelected{};
    QStringList log;
    // The series recoloured at once, with their colours.
    std::vector<std::pair<int, int32_t>> graphColors;
    std::unique_ptr<frmUpload> upload;
    QWidget window;
    InstrumentPage* info = new InstrumentPage(&window);
    OptionPage* option = new OptionPage(&window);

    explicit SettingsRig(sim::Content content = sim::DefaultContent()) : sim(std::move(content)) {
        SetCatalogueLanguage(CatalogueLanguage::English);
        for (int g = 0; g < 5; ++g) {
            DefaultInstrument()->SetGasName(g, QStringList{"CH4", "OXY", "H2S", "CO ", "CH4"}[g]);
            DefaultInstrument()->SetGasUnit(g, g == 1 ? "%" : "ppm");
        }
        GasLocked[1] = true;
        FactAutoCal.fill(-1);
        // Gas 5's slot of the catalogue: HC, CH4 and SO2. The rig's own, not the built-in one
        // (which the window tests use): a third gas, in other decimal places than the two built
        // in, gives the gas selection a full line and a new sensor places of its own.
        const GasDefinition hc{true, "HC ", false, "%LEL", 100, 1, 0, 10, 50, -1, -1, 20, false};
        const GasDefinition so2{true, "SO2", false, "ppm", 20, 0.5f, 1, 2, 5, -1, -1, 20, true};
        GasTable[4] = {hc, hc, so2};
        GasTable[4][1].Name = "CH4";
        GasTable[4][1].TailZero = true;
        const auto addLog = [this](const QString& text, int32_t color) {
            log << text + QString::number(color);
        };
        const auto loadUpload = [this] {
            if (!upload) upload = std::make_unique<frmUpload>([] {}, &window);
            return upload.get();
        };
        const auto unload = [this] { upload.reset(); };
        const auto pageButtonsTo = [this](bool on) { pageButtons = on; };
        const auto graphColor = [this](int series, int32_t color) {
            graphColors.emplace_back(series, color);
        };
        const SettingsHost host{*sim.link,     CurInstrument,
                                LogInstrument, ShowLogInstrument,
                                FillingGrid,   CalibMode,
                                NowReadings,   SpanSelected,
                                addLog,        loadUpload,
                                unload,        pageButtonsTo,
                                graphColor,    [this] { ++settingsChanged; }};
        info->Bind(host);
        option->Bind(host);
        info->SetCaptions();
        option->SetCaptions();
        // The window's handling of live readings.
        QObject::connect(sim.link.get(), &uclQvif::Densty, &window,
                         [this](float v0, float v1, float v2, float v3, float v4) {
                             NowReadings = {v0, v1, v2, v3, v4};
                             if (CalibMode) option->ShowCalReadings();
                         });
    }
    ~SettingsRig() { FollowSystemLanguage(); }

    // Connects and reads the instrument's settings, as the download page's instrument step does.
    void ReadInstrument() {
        ASSERT_TRUE(sim.Connect());
        ASSERT_TRUE(sim.link->GetInstrument(CurInstrument));
        ASSERT_TRUE(sim.link->GetLatestHistory(CurInstrument));
        CurInstrument->SetCommFlags(true);
        sim.sim.ClearReceived();
        info->ShowInstrumentInfo();
        option->ShowOptionGrid();
    }
};

// Typing into a grid cell's editor and pressing Return: no editor opened, the entry refused (the
// editor stays open, and is closed with Escape), or stored.
enum class Entry { NoEditor, Refused, Stored };

inline void Key(QWidget* target, int key, const QString& text = {}) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(target, &press);
    // The commit is posted, and the redraw it asks for is posted in turn.
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

// Opens a cell's editor and types the text into it, leaving it open; nullptr when none opens.
inline QLineEdit* Begin(ui::FlexGrid& grid, int row, int col, const QString& text) {
    grid.SetRow(row);
    grid.SetCol(col);
    grid.EditCell();
    auto* editor = qobject_cast<QLineEdit*>(grid.indexWidget(grid.currentIndex()));
    if (editor) editor->setText(text);
    return editor;
}

inline Entry Type(ui::FlexGrid& grid, int row, int col, const QString& text) {
    QLineEdit* editor = Begin(grid, row, col, text);
    if (!editor) return Entry::NoEditor;
    Key(editor, Qt::Key_Return);
    if (!grid.Editing()) return Entry::Stored;
    Key(editor, Qt::Key_Escape);
    return Entry::Refused;
}

// The space bar on a cell's check box, through the grid's own events.
inline void Tick(ui::FlexGrid& grid, int row, int col) {
    grid.SetRow(row);
    grid.SetCol(col);
    Key(&grid, Qt::Key_Space, QStringLiteral(" "));
}

inline bool Ticked(const ui::FlexGrid& grid, int row, int col) {
    const QTableWidgetItem* cell = grid.item(row, col);
    return cell && cell->checkState() == Qt::Checked;
}

inline int32_t ColorAt(ui::FlexGrid& grid, int row, int col) {
    grid.SetRow(row);
    grid.SetCol(col);
    return grid.CellBackColor();
}

}  // namespace qv::test

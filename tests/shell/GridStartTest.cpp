// Every grid the pages fill is shown from its top-left corner and is entered by the keys at its
// first cell, however the fill coloured, ticked or marked its cells: on every page, for every
// kind of stored log, in English and in Japanese, at the size of a 1024x768 screen. The alarm
// trend's table alone is scrolled, down to its alarm moment, by rule.
#include "SimulatedWindow.h"

#include <QApplication>
#include <QScrollBar>
#include <iostream>

namespace qv::test {
namespace {

// The first row the alarm trend's table shows.
constexpr int kAlarmTopRow = 350;

class GridStart : public SimulatedWindow {
  protected:
    void SetUp() override {
        ShellTest::SetUp();
        ASSERT_NO_FATAL_FAILURE(LoadWindow());
        main_->Form_Activate();
        ASSERT_NO_FATAL_FAILURE(ConnectAndRead());
        main_->activateWindow();
        ASSERT_TRUE(WaitFor([&] { return main_->isActiveWindow(); }, 5000));
    }

    // The grid as the fill left it, once the window has been laid out and shown: at its
    // top-left corner (or at `topRow`), no cell current but the first; then Tab enters it at
    // its first cell without moving the view.
    void ExpectAtStart(ui::FlexGrid& grid, const QString& name, int topRow = -1) {
        SCOPED_TRACE(name.toStdString());
        grid.clearFocus();
        main_->Form_Resize();
        QCoreApplication::processEvents();
        ASSERT_TRUE(grid.isVisible());
        names_ << name;
        const auto expectStart = [&](const char* when) {
            EXPECT_EQ(grid.horizontalScrollBar()->value(), 0) << when;
            if (topRow < 0)
                EXPECT_EQ(grid.verticalScrollBar()->value(), 0) << when;
            else
                EXPECT_EQ(grid.TopRow(), topRow) << when;
        };
        expectStart("filled");
        EXPECT_LE(grid.currentRow(), 0);
        EXPECT_LE(grid.currentColumn(), 0);
        // Off the grid and back, as Shift+Tab and Tab go.
        main_->cmdInst[0]->setFocus(Qt::BacktabFocusReason);
        grid.setFocus(Qt::TabFocusReason);
        QCoreApplication::processEvents();
        EXPECT_EQ(QApplication::focusWidget(), &grid);
        EXPECT_EQ(grid.currentRow(), 0);
        EXPECT_EQ(grid.currentColumn(), 0);
        expectStart("entered");
        main_->cmdInst[0]->setFocus(Qt::BacktabFocusReason);
    }

    QStringList names_;
};

TEST_F(GridStart, EveryGridOpensAtItsFirstRowAndColumn) {
    frmMain& main = *main_;
    const FixtureLogs& l = fixture_->logs();
    BrowserPage& browser = *main.pageBrowser;
    DataViewPage& view = *main.pageDataView;
    InstrumentPage& instrument = *main.pageInstrument;
    CalHistoryPage& history = *main.pageCalHistory;
    OptionPage& option = *main.pageOption;
    // A 1024x768 screen's room, and the smallest window, where the grids scroll most.
    const QSize least = main.minimumSize();
    for (const auto& [language, size] : std::vector<std::pair<CatalogueLanguage, QSize>>{
             {CatalogueLanguage::English, {1024, 700}},
             {CatalogueLanguage::Japanese, {1024, 700}},
             {CatalogueLanguage::English, least},
             {CatalogueLanguage::Japanese, least}}) {
        SetCatalogueLanguage(language);
        main.SetCaptions();
        main.resize(size);
        const QString lang = (language == CatalogueLanguage::Japanese ? " ja " : " en ") +
                             QString::number(size.width()) + 'x' + QString::number(size.height());

        main.cmdInst_Click(1);
        ExpectAtStart(*instrument.vfgInst, "instrument calibrations" + lang);
        ExpectAtStart(*instrument.vfgInstSensor, "instrument sensors" + lang);

        // The stored-data pane of every kind, each picked in the list as a click picks it (the
        // service mode lists power events).
        ServiceMode = true;
        main.LogTreeChanged = true;
        main.cmdInst_Click(2);
        const std::vector<std::pair<QString, QString>> panes{
            {"05/24 I", "05/24 M"},
            {"05/24 I", QString::number(l.intervalA0514) + " G"},
            {"05/24 A", QString::number(l.alarmA) + " K"},
            {"----- D", QString::number(l.historyA) + " H"},
            {"05/24 E", QString::number(l.alarmEventsA) + " V"},
            {"05/24 B", QString::number(l.troubleA) + " W"},
            {"----- R", QString::number(l.powerA) + " P"}};
        for (const auto& [node, key] : panes) {
            browser.tvwLog_NodeClick(node);
            if (!browser.lvwLog->Contains(key)) {
                // A folder is listed by its parent.
                browser.tvwLog_NodeClick(browser.tvwLog->ParentKey(key));
                ASSERT_TRUE(browser.lvwLog->Contains(key)) << key.toStdString();
            }
            browser.lvwLog->SetSelectedKey(key);
            browser.lvwLog_ItemClick(key);
            ExpectAtStart(*browser.vfgLog, "pane " + key + lang);
        }
        ServiceMode = false;
        // The instrument of a stored trend.
        const QString trend = panes[1].second;
        browser.tvwLog_NodeClick("05/24 I");
        browser.lvwLog->SetSelectedKey(trend);
        browser.lvwLog_ItemClick(trend);
        browser.cmdLogInst->click();
        ExpectAtStart(*instrument.vfgInst, "instrument of a log" + lang);
        ExpectAtStart(*instrument.vfgInstSensor, "sensors of a log" + lang);

        // The data view of every kind: its table and its summary.
        for (const auto& [kind, type, seqNo] : OneLogOfEachKind(l)) {
            main.CurDataType = type;
            main.CurSeqNo = seqNo;
            view.cmdDetail_Click();
            view.optBrowse[0]->click();
            const int top = type == TypeAlarmTrend ? kAlarmTopRow : -1;
            ExpectAtStart(*view.vfgBrowse, "table " + kind + lang, top);
            view.cmdBrowse[3]->click();
            ExpectAtStart(*view.vfgSummary, "summary " + kind + lang);
            view.cmdBrowse[3]->click();
        }

        // The last calibrations in each layout.
        main.cmdInst_Click(3);
        for (size_t layout = 0; layout < history.optHistory.size(); ++layout) {
            history.optHistory[layout]->click();
            ASSERT_GT(history.vfgHistory->Rows(), 1);
            ExpectAtStart(*history.vfgHistory,
                          "last calibrations " + QString::number(layout) + lang);
        }

        // The settings, in both modes (service mode ticks its check boxes), and the
        // calibration panel.
        main.cmdInst_Click(4);
        ExpectAtStart(*option.vfgOption, "settings" + lang);
        ServiceMode = true;
        option.ShowOptionGrid();
        ExpectAtStart(*option.vfgOption, "service settings" + lang);
        ServiceMode = false;
        option.ShowOptionGrid();
        option.ShowCalibrationPanel(true);
        ExpectAtStart(*option.vfgCal, "calibration" + lang);
        option.ShowCalibrationPanel(false);
    }
    // The grids walked, for the record.
    std::cout << names_.join(", ").toStdString() << '\n';
}

}  // namespace
}  // namespace qv::test

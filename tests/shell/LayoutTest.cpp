// The main window's proportional layout, its minimum size, and the page menu.
#include "ShellFixture.h"

#include "AppPaths.h"
#include "modGlobals.h"
#include "modMessage.h"
#include "modSettings.h"

#include <QApplication>
#include <cmath>

namespace qv::test {
namespace {

using ui::Height;
using ui::Left;
using ui::Top;
using ui::Width;

class Layout : public ShellTest {
  protected:
    void SetUp() override {
        ShellTest::SetUp();
        main_ = StartMain();
        main_->resize(ui::ToPixelsX(12000), ui::ToPixelsY(8000));
        main_->Form_Resize();
    }
    void TearDown() override {
        main_.reset();
        ShellTest::TearDown();
    }
    // Shows one page the way the data view and stored-data procedures do.
    void ShowOnly(ui::PageFrame* page) {
        for (ui::PageFrame* p : main_->fraMenu)
            p->hide();
        page->show();
        main_->Form_Resize();
    }
    std::unique_ptr<frmMain> main_;
};

TEST_F(Layout, PagesBesideTheButtonColumn) {
    const double sw = Width(main_.get());
    const double sh = Height(main_.get());
    const double menu = sw * 0.12;
    for (ui::PageFrame* page : main_->fraMenu) {
        EXPECT_NEAR(Left(page), 0, Px());
        EXPECT_NEAR(Top(page), 120, Px());
        EXPECT_NEAR(Width(page), sw - menu - 240, Px());
        EXPECT_NEAR(Height(page), sh - 180, Px());
    }
    EXPECT_NEAR(Left(main_->cmdInst[0]), sw - menu - 120, Px());
    EXPECT_NEAR(Top(main_->cmdInst[0]), 180, Px());
    // Six buttons end 60 twips above the bottom edge.
    const QPushButton* last = main_->cmdInst[5];
    EXPECT_NEAR(Top(last) + Height(last), sh - 60, 6 * Px());
    EXPECT_NEAR(Top(main_->cmdInst[3]), Top(main_->cmdInst[2]) + Height(main_->cmdInst[2]) + 120,
                Px());
}

TEST_F(Layout, MinimumSizeAndMinimisedWindow) {
    main_->resize(50, 50);
    main_->Form_Resize();
    EXPECT_GE(Width(main_.get()), 8000 - Px());
    EXPECT_GE(Height(main_.get()), 5000 - Px());
    // Only the short side is raised.
    main_->resize(ui::ToPixelsX(12000), 50);
    main_->Form_Resize();
    EXPECT_NEAR(Width(main_.get()), 12000, Px());
    EXPECT_NEAR(Height(main_.get()), 5000, Px());

    main_->setWindowState(Qt::WindowMinimized);
    const QRect before = main_->pageDownload->geometry();
    main_->pageDownload->setGeometry(1, 2, 30, 40);
    main_->Form_Resize();
    EXPECT_EQ(main_->pageDownload->geometry(), QRect(1, 2, 30, 40));
    main_->setWindowState(Qt::WindowNoState);
    main_->Form_Resize();
    EXPECT_EQ(main_->pageDownload->geometry().topLeft(), before.topLeft());
}

TEST_F(Layout, DownloadPageStacksItsButtonsByServiceMode) {
    DownloadPage& page = *main_->pageDownload;
    const double pw = Width(&page);
    const double ph = Height(&page);
    EXPECT_NEAR(Width(page.rtbLog), pw * 0.6, Px());
    EXPECT_NEAR(Height(page.rtbLog), ph * 0.55, Px());
    EXPECT_NEAR(Left(page.shpStatus[2]), Width(page.fraDown[0]) / 2, Px());
    EXPECT_NEAR(Left(page.lblStatus[1]), Left(page.shpStatus[1]) + Width(page.shpStatus[1]) + 60,
                Px());
    EXPECT_NEAR(Top(page.fraDown[3]) + Height(page.fraDown[3]), ph - 120, 2 * Px());

    const double h = Height(page.fraDown[2]);
    EXPECT_TRUE(page.cmdDown[6]->isHidden());
    EXPECT_NEAR(Height(page.cmdDown[0]), (h - 900) / 9, Px());
    EXPECT_NEAR(Top(page.cmdDown[7]), Top(page.cmdDown[5]) + Height(page.cmdDown[5]) + 120, Px());

    ServiceMode = true;
    main_->Form_Resize();
    EXPECT_FALSE(page.cmdDown[6]->isHidden());
    EXPECT_NEAR(Height(page.cmdDown[0]), (h - 1080) / 10, Px());
    EXPECT_NEAR(Top(page.cmdDown[6]), Top(page.cmdDown[5]) + Height(page.cmdDown[5]) + 120, Px());
    EXPECT_NEAR(Top(page.cmdDown[7]), Top(page.cmdDown[6]) + Height(page.cmdDown[6]) + 120, Px());
}

TEST_F(Layout, ATinyPageGetsNoNegativeSizes) {
    DownloadPage& page = *main_->pageDownload;
    page.resize(ui::ToPixelsX(900), ui::ToPixelsY(900));
    page.LayoutPage();
    for (const QWidget* w : page.findChildren<QWidget*>()) {
        EXPECT_GE(w->width(), 0);
        EXPECT_GE(w->height(), 0);
    }
    EXPECT_EQ(page.cmdDown[0]->height(), 0);
    // Empty buttons still step down the frame in order.
    EXPECT_NEAR(Top(page.cmdDown[8]), 240 + 7 * 120, Px());
    main_->pageOption->resize(ui::ToPixelsX(600), ui::ToPixelsY(600));
    main_->pageOption->LayoutPage();
    EXPECT_EQ(main_->pageOption->vfgOption->height(), 0);
}

TEST_F(Layout, GridColumnsFollowTheirCount) {
    BrowserPage& browser = *main_->pageBrowser;
    browser.vfgLog->SetCols(3);
    browser.vfgLog->SetColWidth(2, 999);
    ShowOnly(&browser);
    const double gridWidth = Width(browser.vfgLog);
    EXPECT_NEAR(browser.vfgLog->ColWidth(0), std::nearbyint(gridWidth * 0.4), Px());
    EXPECT_NEAR(browser.vfgLog->ColWidth(1), std::nearbyint(gridWidth * 0.25), Px());
    EXPECT_NEAR(browser.vfgLog->ColWidth(2), 999, Px());  // not listed: kept
    browser.vfgLog->SetCols(6);
    browser.vfgLog->SetColWidth(0, 1500);
    main_->Form_Resize();
    EXPECT_NEAR(browser.vfgLog->ColWidth(0), 1500, Px());  // no rule for 6 columns
    EXPECT_NEAR(Top(browser.cmdDetail) + Height(browser.cmdDetail), Height(&browser) - 120,
                2 * Px());

    InstrumentPage& inst = *main_->pageInstrument;
    inst.vfgInst->SetCols(5);
    ShowOnly(&inst);
    EXPECT_NEAR(inst.vfgInst->ColWidth(1), std::nearbyint(Width(inst.vfgInst) * 0.38), Px());
    SetCatalogueLanguage(CatalogueLanguage::Japanese);
    main_->Form_Resize();
    EXPECT_NEAR(inst.vfgInst->ColWidth(1), std::nearbyint(Width(inst.vfgInst) * 0.3), Px());

    OptionPage& option = *main_->pageOption;
    option.vfgOption->SetCols(8);
    ServiceMode = true;
    ShowOnly(&option);
    EXPECT_NEAR(option.vfgOption->ColWidth(7), std::nearbyint(Width(option.vfgOption) * 0.15),
                Px());
    SetCatalogueLanguage(CatalogueLanguage::English);
    main_->Form_Resize();
    EXPECT_NEAR(option.vfgOption->ColWidth(7), std::nearbyint(Width(option.vfgOption) * 0.12),
                Px());
    ServiceMode = false;
    main_->Form_Resize();
    EXPECT_NEAR(option.vfgOption->ColWidth(0), std::nearbyint(Width(option.vfgOption) * 0.16),
                Px());

    CalHistoryPage& history = *main_->pageCalHistory;
    history.vfgHistory->SetCols(9);
    history.optHistory[2]->setChecked(true);
    ShowOnly(&history);
    EXPECT_NEAR(history.vfgHistory->ColWidth(4), std::nearbyint(Width(history.vfgHistory) * 0.08),
                Px());
    EXPECT_NEAR(Width(history.optHistory[1]), Width(&history) / 4, Px());
}

TEST_F(Layout, DataViewInTableAndGraphView) {
    DataViewPage& view = *main_->pageDataView;
    view.vfgBrowse->SetCols(8);
    view.vfgSummary->SetCols(5);
    view.chkBrowse[0]->setVisible(true);
    ShowOnly(&view);
    const double pw = Width(&view);
    const double ph = Height(&view);
    // Table view without the summary: the grid sits under the option buttons.
    EXPECT_TRUE(view.vtmGraph->isHidden());
    EXPECT_TRUE(view.chkBrowse[0]->isHidden());
    EXPECT_TRUE(view.cmbBrowse->isHidden());
    EXPECT_FALSE(view.chkEvent->isHidden());
    const double topRow = Top(view.optBrowse[0]) + Height(view.optBrowse[0]) + 120;
    EXPECT_NEAR(Top(view.vfgBrowse), topRow, Px());
    EXPECT_NEAR(view.vfgBrowse->ColWidth(6), std::nearbyint(Width(view.vfgBrowse) * 0.1), Px());
    const double cmdWidth = (pw - Left(view.chkEvent) - Width(view.chkEvent) - 120) / 4.4;
    EXPECT_NEAR(Width(view.cmdBrowse[3]), cmdWidth, Px());

    // With the summary, the grid moves under it.
    view.vfgSummary->show();
    main_->Form_Resize();
    EXPECT_NEAR(Height(view.vfgSummary), ph * 0.3, Px());
    EXPECT_NEAR(Top(view.vfgBrowse), Top(view.vfgSummary) + Height(view.vfgSummary) + 120, Px());
    EXPECT_NEAR(view.vfgSummary->ColWidth(0), std::nearbyint(Width(view.vfgSummary) * 0.25), Px());

    // Graph view: the graph stops 680 twips above the grid's bottom; the gas boxes keep their
    // own visibility.
    view.optBrowse[1]->setChecked(true);
    view.chkBrowse[2]->show();
    main_->Form_Resize();
    EXPECT_TRUE(view.vfgBrowse->isHidden());
    EXPECT_FALSE(view.vtmGraph->isHidden());
    EXPECT_TRUE(view.chkEvent->isHidden());
    EXPECT_FALSE(view.chkBrowse[2]->isHidden());
    EXPECT_TRUE(view.chkBrowse[0]->isHidden());
    EXPECT_NEAR(Height(view.vtmGraph), Height(view.vfgBrowse) - 680, 2 * Px());
    EXPECT_NEAR(Top(view.chkBrowse[1]), Top(view.vtmGraph) + Height(view.vtmGraph) + 120, Px());
    EXPECT_NEAR(Left(view.chkBrowse[3]), pw * 3 / 4, Px());
    EXPECT_NEAR(Top(view.chkBrowse[5]), Top(view.lblTitle1), Px());
}

TEST_F(Layout, OptionPageWithTheCalibrationPanel) {
    OptionPage& option = *main_->pageOption;
    ShowOnly(&option);
    EXPECT_NEAR(Left(option.cmdOption[1]),
                Left(option.cmdOption[0]) + Width(option.cmdOption[0]) + 120, Px());
    EXPECT_NEAR(Width(option.cmdOption[2]), Width(option.fraOption[1]) / 3.2, Px());

    option.fraOption[1]->hide();
    option.fraOption[2]->show();
    main_->Form_Resize();
    const double grid = Width(option.vfgCal);
    EXPECT_NEAR(Height(option.fraOption[2]), Height(option.fraOption[0]), Px());
    EXPECT_NEAR(Left(option.cmdCal[1]), grid - grid * 0.666, Px());
    EXPECT_NEAR(Left(option.cmdCal[2]), grid - grid * 0.333 - 120, Px());
    EXPECT_NEAR(option.vfgCal->ColWidth(2), std::nearbyint(grid * 0.3), Px());
}

using Pages = Layout;

TEST_F(Pages, MenuButtonsShowTheirPages) {
    const std::array<int, 5> pageOf{0, 1, 2, 4, 5};
    for (int button : {3, 4, 2, 1, 0}) {
        main_->cmdInst_Click(button);
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(main_->fraMenu[i]->isHidden(), i != pageOf[button]) << button << " " << i;
    }
    // The stored-data page gives its grouping boxes back after the rebuild.
    main_->cmdInst_Click(2);
    for (QCheckBox* box : main_->pageBrowser->chkLog)
        EXPECT_TRUE(box->isEnabled());
    EXPECT_TRUE(main_->uclQV4170.Enabled());
    // Out of range: nothing changes; activation lays out again without changing the page.
    main_->cmdInst_Click(6);
    main_->cmdInst_Click(-1);
    main_->Form_Activate();
    EXPECT_FALSE(main_->pageBrowser->isHidden());
    EXPECT_TRUE(main_->pageDownload->isHidden());

    const int ticks = main_->TickCount;
    main_->tmrInter_Timer();
    EXPECT_EQ(main_->TickCount, ticks + 1);

    // A reset request brings back the download page.
    main_->FirstActivate = true;
    main_->Form_Activate();
    EXPECT_FALSE(main_->pageDownload->isHidden());
    EXPECT_TRUE(main_->pageBrowser->isHidden());
}

TEST_F(Pages, ExitUnloadsTheWindow) {
    main_->show();
    main_->cmdInst_Click(5);
    EXPECT_FALSE(main_->isVisible());
    EXPECT_FALSE(main_->Lock().Held());
    EXPECT_TRUE(QFile::exists(SettingsFilePath()));
}

}  // namespace
}  // namespace qv::test

// The main window's proportional layout, its minimum size, and the page menu.
#include "ShellFixture.h"
#include "TextFit.h"

#include <QImage>

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

TEST_F(Layout, PagesBesideTheButtonColumnAboveAMinimumSize) {
    const double sw = Width(main_.get());
    const double sh = Height(main_.get());
    const double menu = sw * 0.12;
    for (ui::PageFrame* page : main_->fraMenu) {
        EXPECT_NEAR(Left(page), 0, Px());
        EXPECT_NEAR(Top(page), 120, Px());
        EXPECT_NEAR(Width(page), sw - menu - 240, Px());
        EXPECT_NEAR(Height(page), sh - 180, Px());
    }
    // Every page button shows its whole caption, on two lines where one is too narrow.
    for (const QPushButton* button : main_->cmdInst) {
        const QStringList lines = button->text().split(u'\n');
        EXPECT_EQ(lines.join(u' '), button->property("caption").toString());
        EXPECT_EQ(CutCaptions(*button), QStringList());
    }
    EXPECT_EQ(main_->cmdInst[1]->text(), "Instrument\nInformation");
    EXPECT_NEAR(Left(main_->cmdInst[0]), sw - menu - 120, Px());
    EXPECT_NEAR(Top(main_->cmdInst[0]), 180, Px());
    // Six buttons end 60 twips above the bottom edge.
    const QPushButton* last = main_->cmdInst[5];
    EXPECT_NEAR(Top(last) + Height(last), sh - 60, 6 * Px());

    // A minimum size, and a minimised window is left alone.
    main_->resize(50, 50);
    main_->Form_Resize();
    EXPECT_GE(Width(main_.get()), 12300 - Px());
    EXPECT_GE(Height(main_.get()), 6750 - Px());
    // Only the short side is raised.
    main_->resize(ui::ToPixelsX(13000), 50);
    main_->Form_Resize();
    EXPECT_NEAR(Width(main_.get()), 13000, Px());
    EXPECT_NEAR(Height(main_.get()), 6750, Px());

    main_->setWindowState(Qt::WindowMinimized);
    const QRect before = main_->pageDownload->geometry();
    main_->pageDownload->setGeometry(1, 2, 30, 40);
    main_->Form_Resize();
    EXPECT_EQ(main_->pageDownload->geometry(), QRect(1, 2, 30, 40));
    main_->setWindowState(Qt::WindowNoState);
    main_->Form_Resize();
    EXPECT_EQ(main_->pageDownload->geometry().topLeft(), before.topLeft());
}

TEST_F(Layout, DownloadPageStacksItsButtonsByServiceModeWithoutNegativeSizes) {
    DownloadPage& page = *main_->pageDownload;
    const double h = Height(page.fraDown[2]);
    EXPECT_TRUE(page.cmdDown[6]->isHidden());
    EXPECT_NEAR(Height(page.cmdDown[0]), (h - 900) / 9, Px());
    EXPECT_NEAR(Top(page.cmdDown[7]), Top(page.cmdDown[5]) + Height(page.cmdDown[5]) + 120, Px());

    ServiceMode = true;
    main_->Form_Resize();
    EXPECT_FALSE(page.cmdDown[6]->isHidden());
    EXPECT_NEAR(Height(page.cmdDown[0]), (h - 1080) / 10, Px());
    EXPECT_NEAR(Top(page.cmdDown[7]), Top(page.cmdDown[6]) + Height(page.cmdDown[6]) + 120, Px());

    // A tiny page: empty buttons still step down the frame in order.
    ServiceMode = false;
    page.resize(ui::ToPixelsX(900), ui::ToPixelsY(900));
    page.LayoutPage();
    for (const QWidget* w : page.findChildren<QWidget*>()) {
        EXPECT_GE(w->width(), 0);
        EXPECT_GE(w->height(), 0);
    }
    EXPECT_EQ(page.cmdDown[0]->height(), 0);
    // The first below the frame's caption.
    EXPECT_NEAR(Top(page.cmdDown[8]), ui::ContentTop(page.fraDown[2]) + 7 * 120, Px());
    main_->pageOption->resize(ui::ToPixelsX(600), ui::ToPixelsY(600));
    main_->pageOption->LayoutPage();
    EXPECT_EQ(main_->pageOption->vfgOption->height(), 0);
}

TEST_F(Layout, GridColumnsFollowTheirCountAndLanguage) {
    BrowserPage& browser = *main_->pageBrowser;
    browser.vfgLog->SetCols(3);
    browser.vfgLog->SetColWidth(2, 999);
    ShowOnly(&browser);
    EXPECT_NEAR(browser.vfgLog->ColWidth(0), std::nearbyint(Width(browser.vfgLog) * 0.4), Px());
    EXPECT_NEAR(browser.vfgLog->ColWidth(2), 999, Px());  // not listed: kept
    browser.vfgLog->SetCols(6);
    browser.vfgLog->SetColWidth(0, 1500);
    main_->Form_Resize();
    EXPECT_NEAR(browser.vfgLog->ColWidth(0), 1500, Px());  // no rule for 6 columns

    InstrumentPage& inst = *main_->pageInstrument;
    inst.vfgInst->SetCols(5);
    ShowOnly(&inst);
    EXPECT_NEAR(inst.vfgInst->ColWidth(1), std::nearbyint(Width(inst.vfgInst) * 0.38), Px());
    SetCatalogueLanguage(CatalogueLanguage::Japanese);
    main_->Form_Resize();
    EXPECT_NEAR(inst.vfgInst->ColWidth(1), std::nearbyint(Width(inst.vfgInst) * 0.3), Px());
}

TEST_F(Layout, DataViewInTableAndGraphView) {
    DataViewPage& view = *main_->pageDataView;
    view.vfgBrowse->SetCols(8);
    view.chkBrowse[0]->setVisible(true);
    ShowOnly(&view);
    // Table view without the summary: the grid sits under the option buttons.
    EXPECT_TRUE(view.vtmGraph->isHidden());
    EXPECT_TRUE(view.chkBrowse[0]->isHidden());
    EXPECT_TRUE(view.cmbBrowse->isHidden());
    EXPECT_FALSE(view.chkEvent->isHidden());
    EXPECT_NEAR(Top(view.vfgBrowse), Top(view.optBrowse[0]) + Height(view.optBrowse[0]) + 120,
                Px());

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
}

// Sets the captions in a language and goes through every page and view of each page.
template <class Check>
void EveryPage(frmMain& main, Check check) {
    const auto show = [&](ui::PageFrame* page, const char* name) {
        for (ui::PageFrame* p : main.fraMenu)
            p->hide();
        page->show();
        main.Form_Resize();
        check(page, name);
    };
    show(main.pageDownload, "download");
    show(main.pageInstrument, "instrument");
    show(main.pageBrowser, "stored data");
    DataViewPage& view = *main.pageDataView;
    view.optBrowse[0]->setChecked(true);
    view.vfgSummary->hide();
    show(&view, "table");
    view.vfgSummary->show();
    show(&view, "table and summary");
    view.optBrowse[1]->setChecked(true);
    show(&view, "graph");
    view.optBrowse[0]->setChecked(true);
    view.vfgSummary->hide();
    for (QRadioButton* layout : main.pageCalHistory->optHistory) {
        layout->setChecked(true);
        show(main.pageCalHistory, "last calibration");
    }
    OptionPage& option = *main.pageOption;
    show(&option, "set");
    option.ShowCalibrationPanel(true);
    check(&option, "calibration");
    option.ShowCalibrationPanel(false);
}

// "Serial Port" ran under the Connect lamp at the smallest size the window took.
TEST_F(Layout, NothingOverlapsAtTheSmallestSize) {
    for (const CatalogueLanguage language :
         {CatalogueLanguage::English, CatalogueLanguage::Japanese})
        for (const bool service : {false, true}) {
            SetCatalogueLanguage(language);
            ServiceMode = service;
            main_->SetCaptions();
            main_->resize(50, 50);
            main_->Form_Resize();
            EveryPage(*main_, [&](ui::PageFrame*, const char* name) {
                EXPECT_EQ(Overlaps(main_.get()), QStringList())
                    << name << (service ? " service mode " : " ")
                    << (language == CatalogueLanguage::Japanese ? "ja" : "en");
            });
        }
}

// A page's caption is drawn clear of the window's left edge, where the first glyph of a
// Japanese caption lost its left part; at the designed size it and the page buttons' captions
// are whole.
TEST_F(Layout, PageCaptionsStandClearOfTheWindowEdge) {
    main_->show();
    for (const CatalogueLanguage language :
         {CatalogueLanguage::English, CatalogueLanguage::Japanese}) {
        SetCatalogueLanguage(language);
        main_->SetCaptions();
        EveryPage(*main_, [&](ui::PageFrame* page, const char* name) {
            const QFontMetrics metrics(page->font());
            const QImage band = main_->grab(QRect(0, page->y(), 3, metrics.height() + 2)).toImage();
            int darkest = 255;
            for (int y = 0; y < band.height(); ++y)
                for (int x = 0; x < band.width(); ++x)
                    darkest = std::min(darkest, qGray(band.pixel(x, y)));
            EXPECT_GT(darkest, 200) << name << " " << page->title().toStdString();
            EXPECT_LT(metrics.horizontalAdvance(page->title()) + 4 * metrics.averageCharWidth(),
                      page->width())
                << name;
        });
        for (const QPushButton* button : main_->cmdInst)
            EXPECT_EQ(CutCaptions(*button), QStringList());
    }
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

    // A reset request brings back the download page.
    main_->FirstActivate = true;
    main_->Form_Activate();
    EXPECT_FALSE(main_->pageDownload->isHidden());
    EXPECT_TRUE(main_->pageBrowser->isHidden());
}

}  // namespace
}  // namespace qv::test

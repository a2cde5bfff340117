// Every page and view of the window, and the program's own dialogs, in English and in Japanese,
// in normal and in service mode: at the window's first size on a 1366x768 screen, at 15000x10000
// twips and at the smallest size the window allows, no caption, button text, frame title or grid
// cell shows cut and no controls are drawn over each other or over a frame's caption. Each is
// grabbed to sweep-<page>-<lang>.png under the build folder.
#include "PrinterList.h"
#include "SimulatedWindow.h"
#include "TextFit.h"
#include "frmFsDialog.h"
#include "frmGasSel.h"
#include "frmOpen.h"
#include "frmPassword.h"
#include "frmSetPrinter.h"
#include "frmUpload.h"
#include "modGlobals.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <tuple>

namespace qv::test {
namespace {

struct WindowSize {
    const char* name;   // file name suffix
    int width, height;  // pixels
};
// frmMain's first size on a 1366x768 screen (80 % of its width, 60 % of its height), and the
// size the other screenshot tests use.
constexpr WindowSize kFirstRun{"", 1093, 461};
const WindowSize kLarge{"-large", ui::ToPixelsX(15000), ui::ToPixelsY(10000)};

class Sweep : public SimulatedWindow,
              public ::testing::WithParamInterface<std::tuple<CatalogueLanguage, bool>> {
  protected:
    void SetUp() override {
        ShellTest::SetUp();
        language_ = std::get<0>(GetParam());
        ServiceMode = std::get<1>(GetParam());
        SetCatalogueLanguage(language_);
        ASSERT_NO_FATAL_FAILURE(LoadWindow());
        main_->Form_Activate();
        ASSERT_NO_FATAL_FAILURE(ConnectAndRead());
    }

    QString Suffix() const {
        return QString(language_ == CatalogueLanguage::Japanese ? "ja" : "en") +
               (ServiceMode ? "-service" : "");
    }
    // Lays the window out, checks what shows of `window` and grabs it.
    void Check(QWidget& window, const QString& page, const WindowSize& size = kFirstRun) {
        if (&window == main_.get()) main_->Form_Resize();
        QCoreApplication::processEvents();
        const QString name = "sweep-" + page + '-' + Suffix() + size.name;
        EXPECT_EQ(CutTexts(window), QStringList()) << name.toStdString();
        EXPECT_EQ(Overlaps(&window), QStringList()) << name.toStdString();
        QDir().mkpath(QStringLiteral(QV_SCREENSHOT_DIR));
        const QString path = QStringLiteral(QV_SCREENSHOT_DIR) + u'/' + name + ".png";
        EXPECT_TRUE(window.grab().save(path, "PNG")) << path.toStdString();
    }

    // Every page and view of the main window at one size.
    void Pages(const WindowSize& size) {
        frmMain& main = *main_;
        main.resize(size.width, size.height);
        const auto check = [&](const QString& page, const QWidget* shown) {
            Check(main, page, size);
            EXPECT_TRUE(shown->isVisible()) << page.toStdString();
        };

        main.cmdInst_Click(0);
        check("download", main.pageDownload);
        main.cmdInst_Click(1);
        check("instrument", main.pageInstrument);

        // The stored-data page: the tree, a month's list and the pane of each kind of log.
        const FixtureLogs& l = fixture_->logs();
        BrowserPage& browser = *main.pageBrowser;
        main.cmdInst_Click(2);
        browser.tvwLog_NodeClick("05/24 I");
        check("browser", browser.lvwLog);
        const std::vector<std::pair<QString, QString>> panes{
            {"folder", "05/24 M"},
            {"interval", QString::number(l.intervalA0514) + " G"},
            {"alarm", QString::number(l.alarmA) + " K"},
            {"history", QString::number(l.historyA) + " H"},
            {"alarmevents", QString::number(l.alarmEventsA) + " V"},
            {"trouble", QString::number(l.troubleA) + " W"},
            {"power", QString::number(l.powerA) + " P"}};
        for (const auto& [kind, key] : panes) {
            browser.ShowLogProperty(key);
            check("browser-" + kind, browser.vfgLog);
        }
        // The instrument of a stored trend.
        const QString trend = panes[1].second;
        browser.lvwLog->SetSelectedKey(trend);
        browser.lvwLog_ItemClick(trend);
        browser.cmdLogInst->click();
        check("instrument-log", main.pageInstrument);

        // The data view of each kind: table, table with summary, and a trend's graph.
        DataViewPage& view = *main.pageDataView;
        for (const auto& [kind, type, seqNo] : OneLogOfEachKind(l)) {
            main.CurDataType = type;
            main.CurSeqNo = seqNo;
            view.cmdDetail_Click();
            view.optBrowse[0]->click();
            check("table-" + kind, view.vfgBrowse);
            view.cmdBrowse[3]->click();
            check("summary-" + kind, view.vfgSummary);
            view.cmdBrowse[3]->click();
            if (type != TypeInterval && type != TypeAlarmTrend) continue;
            view.optBrowse[1]->click();
            check("graph-" + kind, view.vtmGraph);
        }
        view.optBrowse[0]->click();

        // The last calibrations in each layout.
        CalHistoryPage& history = *main.pageCalHistory;
        for (int layout = 0; layout < 3; ++layout) {
            main.cmdInst_Click(3);
            history.optHistory[static_cast<size_t>(layout)]->setChecked(true);
            history.ShowCalHistory();
            EXPECT_GT(history.vfgHistory->Rows(), 1);
            check("calhistory" + QString::number(layout), history.vfgHistory);
        }

        // The Set page with its grid, and the calibration panel with live readings.
        OptionPage& option = *main.pageOption;
        main.cmdInst_Click(4);
        // The clocks show once the page's timer has read them.
        EXPECT_TRUE(WaitFor([&] { return !option.lblOption[6]->text().isEmpty(); }, 3000));
        check("set", option.vfgOption);
        option.ShowCalibrationGrid();
        option.ShowCalibrationPanel(true);
        main.CalibMode = true;
        main.uclQV4170.SetRunDensty(true);
        EXPECT_TRUE(WaitFor([&] { return !option.vfgCal->TextMatrix(2, 3).isEmpty(); }, 10000));
        check("calibration", option.vfgCal);
        main.uclQV4170.SetRunDensty(false);
        main.CalibMode = false;
        option.ShowCalibrationPanel(false);
    }

    // The program's own dialogs, each at the size it gives itself.
    void Dialogs() {
        frmFsDialog factory(main_.get());
        factory.SetInstrument(main_->CurInstrument);
        factory.Form_Load();
        factory.show();
        Check(factory, "factory");
        factory.hide();

        for (int slot = 0; slot < 5; ++slot) {
            frmGasSel gases(main_.get());
            gases.SetGasNo(slot);
            gases.show();
            Check(gases, "gassel" + QString::number(slot));
        }

        frmPassword password(main_.get());
        password.Form_Load();
        password.show();
        Check(password, "password");

        ui::FixedPrinterList printers{{"Office", "Lab"}, "Lab"};
        frmSetPrinter printer(main_.get());
        printer.Form_Load();
        printer.show();
        Check(printer, "printers");

        for (const int mode :
             {OpSingleDownload, OpZeroCalibration, OpSpanCalibration, OpCompleteDownload, OpIdle}) {
            OperationMode = mode;
            frmUpload progress([] {}, main_.get());
            progress.Form_Load();
            progress.show();
            Check(progress, "progress" + QString::number(mode));
            if (!progress.cmdUpload->isHidden()) {
                progress.cmdUpload->click();
                Check(progress, "progress" + QString::number(mode) + "-cancelled");
            }
            progress.amnUpload->Stop();
        }
        OperationMode = OpIdle;

        frmOpen splash({});
        splash.Form_Load();
        splash.Form_Activate();
        Check(splash, "splash");
    }

    CatalogueLanguage language_ = CatalogueLanguage::English;
};

TEST_P(Sweep, EveryPageAndDialogShowsItsTextsWhole) {
    Pages(kFirstRun);
    Pages(kLarge);
    // Nothing is cut at the smallest size the window allows either.
    const QSize least = main_->minimumSize();
    Pages({"-smallest", least.width(), least.height()});
    Dialogs();
}

INSTANTIATE_TEST_SUITE_P(
    , Sweep,
    ::testing::Combine(::testing::Values(CatalogueLanguage::English, CatalogueLanguage::Japanese),
                       ::testing::Bool()),
    [](const ::testing::TestParamInfo<Sweep::ParamType>& info) {
        return std::string(std::get<0>(info.param) == CatalogueLanguage::Japanese ? "Japanese"
                                                                                  : "English") +
               (std::get<1>(info.param) ? "Service" : "");
    });

}  // namespace
}  // namespace qv::test

// The stored-data page on the main window: opened on the shared fixture in both catalogues and
// grabbed to PNG under the build folder, a log deleted behind the real password dialog, and the
// logs of a download from the instrument simulator shown after the page is opened.
#include "Database.h"
#include "FixtureDatabase.h"
#include "InstrumentSimulator.h"
#include "ShellFixture.h"
#include "TextFit.h"
#include "clsInterval.h"
#include "frmPassword.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <tuple>

namespace qv::test {
namespace {

class BrowserWindow : public ShellTest {
  protected:
    void TearDown() override {
        if (main) main->Form_Unload();
        main.reset();
        ShellTest::TearDown();
    }

    // Starts the main window on the database in `folder`, or on its own folder when empty.
    void Start(const QString& folder, const QStringList& ports = {}) {
        QDir().mkpath(ProgramFolder());
        WriteSettings(folder.isEmpty() ? QStringList{}
                                       : QStringList{"DataLocation\t'" + folder + "'"});
        main = MakeMain(ports);
        ASSERT_TRUE(main->Form_Load()) << dialogs_->messages().join('|').toStdString();
        main->resize(ui::ToPixelsX(15000), ui::ToPixelsY(10000));
        main->show();
        main->Form_Activate();
    }
    BrowserPage& Page() { return *main->pageBrowser; }
    QStringList Children(const QString& key) {
        QStringList texts;
        for (const QString& child : Page().tvwLog->ChildKeys(key))
            texts << Page().tvwLog->Text(child);
        return texts;
    }
    void Grab(const QString& name) {
        QCoreApplication::processEvents();
        QDir().mkpath(QStringLiteral(QV_SCREENSHOT_DIR));
        const QString path = QStringLiteral(QV_SCREENSHOT_DIR) + u'/' + name;
        QFile::remove(path);
        ASSERT_TRUE(main->grab().save(path, "PNG")) << path.toStdString();
        EXPECT_EQ(QImage(path).size(), main->size() * main->devicePixelRatio());
    }

    std::unique_ptr<frmMain> main;
};

TEST_F(BrowserWindow, ThePageInBothCataloguesWithScreenshots) {
    for (const auto language : {CatalogueLanguage::English, CatalogueLanguage::Japanese}) {
        SetCatalogueLanguage(language);
        FixtureDatabase fixture;
        Start(QFileInfo(fixture.path()).absolutePath());
        main->cmdInst_Click(2);
        EXPECT_TRUE(main->pageBrowser->isVisible());
        EXPECT_EQ(Page().tvwLog->Text("0 #"), GetMessage(5107));
        EXPECT_EQ(Children("0 #"), (QStringList{"-----", "05/24", "06/24", "12/23"}));
        EXPECT_EQ(Children("05/24 M").value(0), GetMessage(5624));
        Page().tvwLog->SetSelectedKey("05/24 I");
        Page().tvwLog_NodeClick("05/24 I");
        const QString log = QString::number(fixture.logs().intervalA0514) + " G";
        Page().lvwLog->SetSelectedKey(log);
        Page().lvwLog_ItemClick(log);
        EXPECT_EQ(main->CurSeqNo, fixture.logs().intervalA0514);
        EXPECT_EQ(Page().vfgLog->TextMatrix(1, 1), "Tank 'A' run");
        Grab(language == CatalogueLanguage::English ? "browser-en.png" : "browser-ja.png");

        // No text of the pane is cut, for any kind of log: at the size of the screenshot
        // every cell is in view; at the window's first size the pane may scroll.
        const FixtureLogs& l = fixture.logs();
        for (const auto& [width, height, inView] :
             {std::tuple{15000, 10000, true}, std::tuple{12000, 8000, false}}) {
            main->resize(ui::ToPixelsX(width), ui::ToPixelsY(height));
            for (const QString& key :
                 {log, QString::number(l.intervalA0614) + " G", QString::number(l.alarmA) + " K",
                  QString::number(l.historyA) + " H", QString::number(l.alarmEventsA) + " V",
                  QString::number(l.troubleA) + " W", QString::number(l.powerA) + " P",
                  QString("05/24 M")}) {
                Page().ShowLogProperty(key);
                EXPECT_EQ(CutCells(*Page().vfgLog), QStringList())
                    << width << " " << key.toStdString();
                if (inView) {
                    EXPECT_EQ(CellsOutOfView(*Page().vfgLog), QStringList())
                        << width << " " << key.toStdString();
                }
            }
        }
        main->resize(ui::ToPixelsX(15000), ui::ToPixelsY(10000));
        Page().ShowLogProperty(log);

        // Detail loads the log and opens the data view page.
        Page().cmdDetail->click();
        EXPECT_TRUE(main->pageDataView->isVisible());
        EXPECT_EQ(main->CurInterval->DataCount(), 100);
        main->Form_Unload();
        main.reset();
    }
}

TEST_F(BrowserWindow, DeletingBehindThePasswordDialog) {
    FixtureDatabase fixture;
    Start(QFileInfo(fixture.path()).absolutePath());
    main->cmdInst_Click(2);
    Page().tvwLog_NodeClick("06/24 I");
    const QString log = QString::number(fixture.logs().intervalA0614) + " G";
    ASSERT_EQ(Page().lvwLog->Keys(), QStringList{log});
    // A wrong password is refused by the dialog; the right one in any case is taken.
    for (const QString& typed : QStringList{"wrong", UserPassword.toUpper()}) {
        dialogs_->AnswerModal([typed](QDialog& dialog) {
            auto& password = static_cast<frmPassword&>(dialog);
            password.txtPass->setText(typed);
            password.cmdPass[0]->click();
            return QDialog::Accepted;
        });
        dialogs_->AnswerMsgBox(typed == "wrong" ? vbOK : vbYes);
        Page().mnuDelete->setData(log);
        Page().mnuDelete_Click();
        EXPECT_EQ(Page().lvwLog->Keys().isEmpty(), typed != "wrong");
    }
    EXPECT_EQ(dialogs_->messages(),
              (QStringList{GetMessage(7101), GetMessage(5327, {"iv02083000"})}));
    EXPECT_EQ(fixture.count("Interval_Data Where RelNo = " +
                            QString::number(fixture.logs().intervalA0614)),
              0);
}

TEST_F(BrowserWindow, StartingRemovesGasRowsLeftByDeletedLogs) {
    FixtureDatabase fixture;
    const long long kept = fixture.count("Gas_List");
    {
        Database db(fixture.path());
        // A log deleted without its gas rows, whose key the next log would be handed again.
        db.execute("Delete From Log_head Where SeqNo = ?", {fixture.logs().powerB});
        db.execute("Delete From Power_Event Where RelNo = ?", {fixture.logs().powerB});
    }
    Start(QFileInfo(fixture.path()).absolutePath());
    EXPECT_EQ(fixture.count("Gas_List"), kept - 5);
    EXPECT_EQ(fixture.count("Gas_List Where RelNo = " + QString::number(fixture.logs().powerB)), 0);
}

TEST_F(BrowserWindow, ADownloadFromTheInstrumentShowsOnThePage) {
    sim::InstrumentSimulator sim;
    QString error;
    ASSERT_TRUE(sim.Start(&error)) << error.toStdString();
    Start(QString(), {sim.Path()});
    ASSERT_TRUE(WaitFor([&] { return main->uclQV4170.Connected(); }));
    main->pageDownload->cmdDown_Click(0);
    ASSERT_TRUE(main->LogTreeChanged);

    Page().chkLog[0]->setChecked(true);
    main->cmdInst_Click(2);
    EXPECT_EQ(Children("0 #"), QStringList{"SN1234567890"});
    const QStringList folders = Children("SN1234567890 S");
    ASSERT_FALSE(folders.isEmpty());
    // The interval trends of the download, listed under their category.
    QString category;
    for (const QString& folder : Page().tvwLog->ChildKeys("SN1234567890 S"))
        for (const QString& child : Page().tvwLog->ChildKeys(folder))
            if (child.endsWith(" I") && category.isEmpty()) category = child;
    ASSERT_FALSE(category.isEmpty());
    Page().tvwLog_NodeClick(category);
    ASSERT_GT(Page().lvwLog->Count(), 0);
    EXPECT_EQ(main->CurDataType, 1);
    EXPECT_EQ(Page().vfgLog->TextMatrix(3, 1), "SN1234567890");
    EXPECT_TRUE(Page().cmdDetail->isEnabled());
}

// A download while the page is on show: its logs are listed at once, without the page being
// opened again.
TEST_F(BrowserWindow, ADownloadWhileThePageIsShownIsListedAtOnce) {
    sim::InstrumentSimulator sim;
    QString error;
    ASSERT_TRUE(sim.Start(&error)) << error.toStdString();
    Start(QString(), {sim.Path()});
    ASSERT_TRUE(WaitFor([&] { return main->uclQV4170.Connected(); }));
    main->cmdInst_Click(2);
    ASSERT_TRUE(Children("0 #").isEmpty());
    main->pageDownload->cmdDown_Click(0);
    EXPECT_TRUE(Page().isVisible());
    EXPECT_FALSE(Children("0 #").isEmpty());
}

}  // namespace
}  // namespace qv::test

// The settings pages on the main window against the simulator: after the instrument is read the
// Set page shows its settings, the calibration panel its live readings, and a zero calibration
// runs to its report while the download commands wait; the pages grabbed in both languages, with
// no cell text cut.
#include "AppPaths.h"
#include "SettingsWindow.h"
#include "TextFit.h"
#include "clsInstrument.h"

#include <QDir>
#include <QFile>
#include <QImage>

namespace qv::test {
namespace {

// Grabs a window to a PNG under the build folder.
void Shoot(QWidget& window, const QString& name) {
    QDir().mkpath(QStringLiteral(QV_SCREENSHOT_DIR));
    const QString path = QStringLiteral(QV_SCREENSHOT_DIR "/") + name;
    ASSERT_TRUE(window.grab().save(path, "PNG")) << path.toStdString();
    EXPECT_FALSE(QImage(path).isNull());
}

TEST_F(SettingsWindow, TheSetPageShowsTheInstrumentAndAZeroCalibrationRunsToItsReport) {
    StartRead();
    OptionPage& page = *main->pageOption;
    main->cmdInst_Click(4);
    EXPECT_EQ(page.txtOption[0]->text(), "SN1234567890");
    EXPECT_EQ(page.cmbInterval->currentText(), "60");
    EXPECT_EQ(page.vfgOption->TextMatrix(3, 1), " 19.5");
    EXPECT_TRUE(page.cmdOption[0]->isEnabled());
    EXPECT_TRUE(WaitFor([&] { return !page.lblOption[6]->text().isEmpty(); }, 3000));
    Shoot(*main, QStringLiteral("settings-set-en.png"));

    // The panel as the calibration command opens it: live readings and pump on.
    page.ShowCalibrationGrid();
    page.ShowCalibrationPanel(true);
    main->CalibMode = true;
    main->uclQV4170.SetRunDensty(true);
    EXPECT_FALSE(main->cmdInst[1]->isEnabled());
    ASSERT_TRUE(WaitFor([&] { return page.vfgCal->TextMatrix(2, 3) == " 20.9"; }, 10000));
    Shoot(*main, QStringLiteral("settings-calibration-en.png"));

    // While the zero runs, a download command starts nothing.
    QObject::connect(&sim, &sim::InstrumentSimulator::RequestReceived, main.get(),
                     [this](const QString& p) {
                         if (p.startsWith("SZ,C,")) main->pageDownload->cmdDown_Click(2);
                     });
    sim.SetCalibrationPolls(2);
    page.cmdCal[0]->click();
    EXPECT_EQ(sim.ZeroCalibration().channels, "11111");
    EXPECT_EQ(sim.CountReceived("DR,R,"), 0);
    EXPECT_TRUE(
        dialogs_->messages().contains("CH4  Adjustment Complete.\r\nOXY  Adjustment "
                                      "Complete.\r\nH2S  Adjustment Complete.\r\nCO  "
                                      "Adjustment Complete.\r\nHC  Adjustment Complete.\r\n"))
        << dialogs_->messages().join(u'|').toStdString();
    EXPECT_TRUE(sim.Refused().isEmpty()) << sim.Refused().join(u'|').toStdString();

    page.cmdCal[2]->click();
    EXPECT_TRUE(main->cmdInst[1]->isEnabled());
    main->cmdInst_Click(1);
    EXPECT_EQ(main->pageInstrument->title(), GetMessage(5059));
    Shoot(*main, QStringLiteral("settings-instrument-en.png"));
    EXPECT_EQ(CutCells(*main->pageInstrument->vfgInst), QStringList{});
    EXPECT_EQ(CutCells(*main->pageInstrument->vfgInstSensor), QStringList{});
}

// Closing the window (its close box, Alt+F4, a signal) leaves an open calibration panel as its
// Exit Calibration button does: the instrument's pump goes off before the unload, also when a
// zero runs and that button is disabled.
TEST_F(SettingsWindow, ClosingDuringAZeroCalibrationSwitchesThePumpOff) {
    StartRead();
    OptionPage& page = *main->pageOption;
    main->cmdInst_Click(4);
    page.cmdOption_Click(2);
    ASSERT_TRUE(sim.content().pumpOn);
    sim.SetCalibrationPolls(-1);
    bool exitEnabled = true;
    QObject::connect(&sim, &sim::InstrumentSimulator::RequestReceived, main.get(),
                     [&](const QString& p) {
                         if (!p.startsWith("SZ,C,") || !exitEnabled) return;
                         exitEnabled = page.cmdCal[2]->isEnabled();
                         main->close();
                     });
    page.cmdCal[0]->click();
    EXPECT_FALSE(exitEnabled);
    ASSERT_TRUE(WaitFor([&] { return !main->isVisible(); }, 5000));
    EXPECT_EQ(sim.CountReceived("BP,W,0"), 1);
    EXPECT_FALSE(sim.content().pumpOn);
    EXPECT_FALSE(main->Lock().Held());
    EXPECT_TRUE(main->pageDownload->rtbLog->toPlainText().contains(GetMessage(5413)));
}

TEST_F(SettingsWindow, ClosingWithTheCalibrationPanelOpenSwitchesThePumpOff) {
    StartRead();
    main->cmdInst_Click(4);
    main->pageOption->cmdOption_Click(2);
    ASSERT_TRUE(sim.content().pumpOn);
    EXPECT_TRUE(main->close());
    // The window did not wait for the answer; the instrument takes the command all the same.
    EXPECT_TRUE(WaitFor([&] { return !sim.content().pumpOn; }, 5000));
    EXPECT_EQ(sim.CountReceived("BP,W,0"), 1);
    EXPECT_FALSE(main->Lock().Held());
}

// Service mode: an edited alarm level goes to the instrument and comes back with the next reading
// of its settings; the EEP-ROM dump writes its file.
TEST_F(SettingsWindow, AnUploadedLevelIsReadBackAndTheDumpWritesItsFile) {
    ServiceMode = true;
    StartRead();
    OptionPage& page = *main->pageOption;
    main->cmdInst_Click(4);
    ASSERT_EQ(Type(*page.vfgOption, 4, 3, "10.3"), Entry::Stored);  // gas 3's alarm
    dialogs_->AnswerMsgBox(vbYes);
    page.cmdOption[0]->click();
    EXPECT_TRUE(dialogs_->messages().contains(GetMessage(5311)))
        << dialogs_->messages().join(u'|').toStdString();
    EXPECT_TRUE(sim.Refused().isEmpty()) << sim.Refused().join(u'|').toStdString();

    main->CurInstrument->SetAlarm(2, 20);  // forgotten: only the instrument's value counts
    main->pageDownload->cmdDown[1]->click();
    EXPECT_FLOAT_EQ(main->CurInstrument->Alarm(2), 10.5f);
    main->cmdInst_Click(4);
    EXPECT_EQ(page.vfgOption->TextMatrix(4, 3), " 10.5");

    const QString dump = ProgramFile(QStringLiteral("Dump.dat"));
    QFile::remove(dump);
    ASSERT_TRUE(page.cmdOptionDisp[5]->isVisible());
    dialogs_->AnswerMsgBox(vbYes);
    page.cmdOptionDisp[5]->click();
    QFile file(dump);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains("000000 "));
    EXPECT_TRUE(main->pageDownload->rtbLog->toPlainText().contains(GetMessage(5446)));
}

// The Set page is left only with its open entry taken: a refused one keeps the page.
TEST_F(SettingsWindow, APageSwitchTakesTheOpenEntryFirst) {
    StartRead();
    OptionPage& page = *main->pageOption;
    main->cmdInst_Click(4);
    QLineEdit* editor = Begin(*page.vfgOption, 5, 2, "600");  // beyond CO's full scale
    ASSERT_NE(editor, nullptr);
    dialogs_->clear();
    main->cmdInst[0]->click();
    EXPECT_EQ(dialogs_->messages(), QStringList{GetMessage(9200)});
    EXPECT_TRUE(page.isVisible());
    EXPECT_FALSE(main->pageDownload->isVisible());
    EXPECT_TRUE(page.vfgOption->Editing());

    editor->setText("60");
    main->cmdInst[0]->click();
    EXPECT_TRUE(main->pageDownload->isVisible());
    EXPECT_FLOAT_EQ(main->CurInstrument->Alarm(3), 60);
    EXPECT_TRUE(main->CurInstrument->Change_Alarm(3));
}

TEST_F(SettingsWindow, JapaneseServicePages) {
    SetCatalogueLanguage(CatalogueLanguage::Japanese);
    ServiceMode = true;
    StartRead();
    main->cmdInst_Click(4);
    EXPECT_EQ(main->pageOption->vfgOption->TextMatrix(1, 7),
              RawMessage(5665, CatalogueLanguage::Japanese));
    Shoot(*main, QStringLiteral("settings-set-ja.png"));
    main->cmdInst_Click(1);
    EXPECT_EQ(main->pageInstrument->title(), RawMessage(5059, CatalogueLanguage::Japanese));
    Shoot(*main, QStringLiteral("settings-instrument-ja.png"));
    EXPECT_EQ(CutCells(*main->pageInstrument->vfgInst), QStringList{});
    EXPECT_EQ(CutCells(*main->pageInstrument->vfgInstSensor), QStringList{});
}

}  // namespace
}  // namespace qv::test

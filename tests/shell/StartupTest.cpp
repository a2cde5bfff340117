// Start-up defaults, captions, the main window's load and unload, the database check, the lock
// file and the serial log rotation.
#include "ShellFixture.h"

#include "AppPaths.h"
#include "Database.h"
#include "LockFile.h"
#include "clsIntervals.h"
#include "modDatabase.h"
#include "modGlobals.h"
#include "modMessage.h"
#include "modModel.h"
#include "modSettings.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>

#include <unistd.h>

namespace qv::test {
namespace {

using StartupDefaults = ShellTest;

TEST_F(StartupDefaults, FirstCallGivesEverySettingItsBuiltInValue) {
    auto main = MakeMain();
    main->SetDefaults();
    EXPECT_EQ(DataLocation, ProgramFolder());
    EXPECT_EQ(GraphColor[0], 0xFFFF);
    EXPECT_EQ(GraphColor[1], 0xFF8000);
    EXPECT_EQ(GraphColor[2], 0x404080);
    EXPECT_EQ(GraphColor[3], 0xFF);
    EXPECT_EQ(GraphColor[4], 0xFF0080);
    EXPECT_EQ(AppFont.Size, 9);
    EXPECT_FLOAT_EQ(ConvFactor, 0.05f);
    EXPECT_EQ(UnitNames[0], "%LEL");
    EXPECT_EQ(UnitNames[1], "VOL%");
    EXPECT_EQ(CommPortNo, 4);
    EXPECT_EQ(SqlDateFormat, QStringLiteral("mm\"/\"dd\"/\"yy hh\":\"nn\":\"ss"));
    EXPECT_EQ(SqlDateFormat.size(), 25);
    EXPECT_EQ(CalibRange[0], 50);
    EXPECT_EQ(CalibRange[1], 12);
    EXPECT_EQ(CalibRange[2], 25);
    EXPECT_EQ(CalibRange[3], 50);
    for (int mask = 0; mask <= 32; ++mask)
        EXPECT_EQ(GasComb[mask], (mask & 3) == 3 && mask < 32) << mask;
    const clsInstrument& inst = *DefaultInstrument();
    EXPECT_EQ(inst.GasName(0), "CH4");
    EXPECT_EQ(inst.GasName(3), "CO ");
    EXPECT_EQ(inst.GasUnit(4), "vol%");
    EXPECT_FLOAT_EQ(inst.Warning(1), 19.5f);
    EXPECT_FLOAT_EQ(inst.Stel(2), 15);
    EXPECT_EQ(inst.GasPoint(1), 1);
    EXPECT_FLOAT_EQ(inst.GasFullScale(3), 500);
    EXPECT_TRUE(GasLocked[1]);
    EXPECT_FALSE(GasLocked[0]);
    EXPECT_FLOAT_EQ(FactAutoCal[3], 100);
    EXPECT_EQ(UserPassword, "qzt");
    EXPECT_EQ(PrtWidth[0], 4);
    EXPECT_EQ(PrtWidth[1], 1);
    EXPECT_EQ(CalSpanOffWait, 45);
    EXPECT_EQ(CalSpanOnWait, 90);
    EXPECT_EQ(CalUnitOnWait, 45);
    EXPECT_EQ(main->IntervalList->Instruments(), main->CurInstrument);
    EXPECT_TRUE(main->tmrInter->isActive());
    EXPECT_EQ(main->tmrInter->interval(), 100);
    EXPECT_EQ(main->LampRed[0], ui::RGB(254, 0, 0));

    // The controls are at rest.
    const DownloadPage& page = *main->pageDownload;
    EXPECT_EQ(page.shpStatus[0]->BackColor(), ui::RGB(0, 255, 0));
    EXPECT_EQ(page.shpStatus[1]->BorderColor(), ui::RGB(128, 128, 128));
    EXPECT_TRUE(page.shpStatus[2]->isHidden());
    EXPECT_TRUE(page.lblStatus[9]->isHidden());
    for (QPushButton* button : page.cmdDown)
        EXPECT_FALSE(button->isEnabled());
    EXPECT_FALSE(main->pageOption->cmdOption[0]->isEnabled());
    EXPECT_TRUE(main->pageCalHistory->optHistory[0]->isChecked());
    EXPECT_TRUE(main->pageOption->cmdOptionDisp[0]->text().endsWith("(9)"));
    EXPECT_EQ(ui::BackColor(main->pageOption->cmdOptionDisp[4]), 0xFF);
    EXPECT_TRUE(main->LogTreeChanged);
    EXPECT_TRUE(main->InAutoLoadClick);
}

TEST_F(StartupDefaults, ValuesAlreadyPresentAreKept) {
    ConvFactor = 0.2f;
    ConvEnable = true;
    UnitNames[0] = "A";
    PrtWidth = {1, 100, 0};
    UserPassword = "secret";
    CommPortNo = 7;
    auto main = MakeMain();
    DefaultInstrument()->SetGasFullScale(2, 20);
    DefaultInstrument()->SetGasName(2, "SO2");
    main->SetDefaults();
    EXPECT_FLOAT_EQ(ConvFactor, 0.2f);
    EXPECT_TRUE(ConvEnable);
    EXPECT_EQ(UnitNames[0], "A");
    EXPECT_EQ(PrtWidth[0], 1);
    EXPECT_EQ(PrtWidth[1], 100);
    EXPECT_EQ(UserPassword, "secret");
    EXPECT_EQ(CommPortNo, 7);
    EXPECT_EQ(DefaultInstrument()->GasName(2), "SO2");
    EXPECT_EQ(DefaultInstrument()->GasName(3), "CO ");

    PrtWidth = {0.5f, 100.5f, 0};
    GraphColor[0] = 1;
    main->SetDefaults();
    EXPECT_EQ(PrtWidth[0], 4);
    EXPECT_EQ(PrtWidth[1], 1);
    EXPECT_EQ(GraphColor[0], 0xFFFF);  // reset every time

    // Without a password the Japanese catalogue chooses its own.
    UserPassword.clear();
    SetCatalogueLanguage(CatalogueLanguage::Japanese);
    main->SetDefaults();
    EXPECT_EQ(UserPassword, "Wolde");
}

TEST_F(StartupDefaults, RemovalBoxFollowsAutomaticDownload) {
    auto main = MakeMain();
    QCheckBox* load = main->pageDownload->chkAutoLoad[0];
    QCheckBox* removal = main->pageDownload->chkAutoLoad[1];
    AutoLoad = false;
    AutoRemoveData = true;
    main->SetDefaults();
    EXPECT_FALSE(load->isChecked());
    EXPECT_TRUE(removal->isChecked());
    EXPECT_FALSE(removal->isEnabled());
    // With automatic download on, the removal box keeps its enabled state.
    AutoLoad = true;
    main->SetDefaults();
    EXPECT_TRUE(load->isChecked());
    EXPECT_FALSE(removal->isEnabled());
}

using Captions = ShellTest;

TEST_F(Captions, EnglishCatalogue) {
    auto main = MakeMain();
    main->SetDefaults();
    main->SetCaptions();
    EXPECT_EQ(main->windowTitle(), "QV-4170 Station Utility [P.No.73141]");
    const QStringList menu{"Download", "Instrument Information", "Data", "Last Calibration", "Set",
                           "Exit"};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(main->cmdInst[i]->text(), menu[i]);
    const DownloadPage& down = *main->pageDownload;
    EXPECT_EQ(down.cmdDown[4]->text(), "Alarm Events");
    EXPECT_EQ(down.cmdDown[6]->text(), "Power Events");
    EXPECT_EQ(down.cmdDown[7]->text(), "Clear Data");
    EXPECT_EQ(down.cmdDown[8]->text(), "Power Off");
    EXPECT_EQ(down.lblStatus[2]->text(), "Serial No.(12 Characters)");
    EXPECT_EQ(main->pageBrowser->chkLog[1]->text(), "Station ID");
    EXPECT_EQ(main->pageBrowser->chkLog[2]->text(), "User ID");
    EXPECT_TRUE(main->pageBrowser->cmdLogInst->isHidden());
    // Gas names come as they are, trailing blank included.
    EXPECT_EQ(main->pageDataView->chkBrowse[3]->text(), "CO ");
    const OptionPage& option = *main->pageOption;
    EXPECT_EQ(option.cmdOptionDisp[1]->text(), "Graph Color - CH4");
    EXPECT_EQ(option.cmdOptionDisp[4]->text(), "Graph Color - CO ");
    EXPECT_EQ(option.cmdOptionDisp[6]->text(), "Factory Setting");
    EXPECT_EQ(option.fraOption[2]->title(), "Calibration");
    EXPECT_EQ(option.vfgCal->Cols(), 3);
    EXPECT_EQ(option.vfgCal->TextMatrix(0, 2), "Current Reading");
    EXPECT_EQ(main->pageCalHistory->optHistory[1]->text(), "Calibraion Date");
}

TEST_F(Captions, JapaneseCatalogue) {
    SetCatalogueLanguage(CatalogueLanguage::Japanese);
    auto main = MakeMain();
    main->SetDefaults();
    main->SetCaptions();
    const auto ja = [](int id) { return RawMessage(id, CatalogueLanguage::Japanese); };
    EXPECT_EQ(main->windowTitle(), ja(5001) + " [P.No.73140]");
    EXPECT_EQ(main->cmdInst[3]->text(), ja(5009));
    EXPECT_EQ(main->pageDownload->title(), ja(5002));
    EXPECT_EQ(main->pageOption->cmdCal[2]->text(), ja(5220));
    EXPECT_EQ(main->pageOption->cmdOptionDisp[1]->text(), GetMessage(5204, {"CH4"}));
    EXPECT_NE(main->cmdInst[3]->text(), "Last Calibration");
}

using Startup = ShellTest;

TEST_F(Startup, CreatesDatabaseTakesLockAndShutsDownCleanly) {
    auto main = MakeMain();
    ASSERT_TRUE(main->Form_Load());
    EXPECT_TRUE(dialogs_->asked().empty());
    EXPECT_EQ(DatabasePath, ProgramFolder() + "/QV4170.mdb");
    Database db(DatabasePath);
    EXPECT_EQ(db.scalar("Select Count(*) From Log_head").toInt(), 0);
    const QString lock = ProgramFolder() + "/QV4170.LCK";
    EXPECT_EQ(ReadText(lock), ComputerName() + "\r\n" + UserName() + "\r\n");
    EXPECT_TRUE(main->Lock().Held());
    EXPECT_EQ(main->windowTitle(), "QV-4170 Station Utility [P.No.73141]");
    EXPECT_FALSE(main->pageOption->fraOption[1]->isHidden());
    EXPECT_TRUE(main->pageOption->fraOption[2]->isHidden());
    EXPECT_TRUE(main->FirstActivate);
    EXPECT_EQ(AtCommandVersion, 2056);
    EXPECT_EQ(GasTable[1][0].Name, "OXY");
    EXPECT_FLOAT_EQ(GasTable[1][0].Alarm, 18);
    EXPECT_FALSE(GasTable[4][0].TailZero);  // "HC "
    EXPECT_EQ(GasTable[3][3].Name, "Cl2");
    EXPECT_FALSE(GasTable[5][0].Enabled);
    // No converter: the infrared path, with the port opened.
    EXPECT_FALSE(main->uclQV4170.SerialComm());

    main->Form_Activate();
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(main->fraMenu[i]->isHidden(), i != 0) << i;
    EXPECT_EQ(main->pageDownload->shpStatus[0]->BackColor(), main->LampGreen[0]);
    EXPECT_EQ(main->pageDownload->shpStatus[1]->BackColor(), main->LampGray[0]);
    EXPECT_FALSE(main->FirstActivate);
    EXPECT_TRUE(ReadText(programFile("SerialLog.log")).startsWith("Serial Port Standby. Date = "));

    main->cmdInst_Click(5);
    EXPECT_FALSE(QFile::exists(lock));
    EXPECT_TRUE(ReadText(SettingsFilePath()).contains("Execute Count\t1"));
}

TEST_F(Startup, PortOfTheOneConverterElseTheInfraredPath) {
    auto main = MakeMain({"/nonexistent/ttyUSB7"});
    ASSERT_TRUE(main->Form_Load());
    EXPECT_NE(CommPortNo, 0);
    EXPECT_TRUE(main->uclQV4170.SerialComm());
    EXPECT_EQ(main->uclQV4170.CommPort(), CommPortNo);
    EXPECT_EQ(main->uclQV4170.Settings(), "921600,n,8,1");
    EXPECT_TRUE(dialogs_->asked().empty());
    main->Form_Unload();
    main.reset();

    ResetGlobals();
    main = MakeMain({"/nonexistent/a", "/nonexistent/b"});
    ASSERT_TRUE(main->Form_Load());
    EXPECT_EQ(CommPortNo, 0);
    EXPECT_FALSE(main->uclQV4170.SerialComm());
    ASSERT_EQ(dialogs_->messages(), QStringList{"More than one USB Serial Converter is connected"});
    EXPECT_EQ(dialogs_->asked()[0].title, "module finder error");
    EXPECT_EQ(dialogs_->asked()[0].style, vbCritical);
}

TEST_F(Startup, SettingsFileShapesTheWindow) {
    WriteSettings({"Execute Count\t4", "Size Values\t0\t9000\t6000",
                   "Auto Load Mode\tFalse\tTrue\tTrue", "Data Select\tFalse\tTrue\tFalse",
                   "Font\t'Serif'\t11\tFalse\tTrue\tFalse"});
    auto main = MakeMain();
    ASSERT_TRUE(main->Form_Load());
    EXPECT_NEAR(ui::Width(main.get()), 9000, Px());
    EXPECT_NEAR(ui::Height(main.get()), 6000, Px());
    const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
    EXPECT_EQ(main->x(), (screen.width() - main->width()) / 2);
    EXPECT_TRUE(main->pageDownload->chkAutoLoad[0]->isChecked());
    EXPECT_TRUE(main->pageDownload->chkAutoLoad[1]->isEnabled());
    EXPECT_TRUE(main->pageBrowser->chkLog[1]->isChecked());
    EXPECT_FALSE(main->pageBrowser->chkLog[0]->isChecked());
    const QFont font = main->pageDownload->cmdDown[0]->font();
    EXPECT_EQ(font.family(), "Serif");
    EXPECT_DOUBLE_EQ(font.pointSizeF(), 11);
    EXPECT_TRUE(font.italic());
    EXPECT_FALSE(font.bold());
    EXPECT_TRUE(main->pageDownload->font().bold());  // page frames are bold

    // The second run of the program sizes the window from the screen.
    main->Form_Unload();
    main.reset();
    ResetGlobals();
    WriteSettings({"Execute Count\t1", "Size Values\t0\t9000\t6000"});
    main = MakeMain();
    ASSERT_TRUE(main->Form_Load());
    const double screenWidth = screen.width() * Px();
    const double screenHeight = screen.height() * Px();
    EXPECT_NEAR(ui::Width(main.get()), std::max(8000.0, screenWidth * 0.8), Px());
    EXPECT_NEAR(ui::Height(main.get()), std::max(5000.0, screenHeight * 0.6), Px());
}

TEST_F(Startup, DataLocationFromTheSettingsFile) {
    QTemporaryDir data;
    WriteSettings({"DataLocation\t" + data.path() + "/"});
    auto main = MakeMain();
    ASSERT_TRUE(main->Form_Load());
    EXPECT_EQ(DatabasePath, data.path() + "/QV4170.mdb");
    EXPECT_TRUE(QFile::exists(data.path() + "/QV4170.LCK"));
    EXPECT_FALSE(QFile::exists(ProgramFolder() + "/QV4170.mdb"));
}

using StartupFailure = ShellTest;

TEST_F(StartupFailure, ForeignFileOfTheDatabaseNameIsLeftAlone) {
    for (const QByteArray& content : {QByteArray("Standard Jet DB, not ours"), QByteArray()}) {
        const QString path = ProgramFolder() + "/QV4170.mdb";
        WriteText(path, content);
        dialogs_->clear();
        auto main = MakeMain();
        EXPECT_FALSE(main->Form_Load());
        ASSERT_EQ(dialogs_->messages().size(), 1);
        EXPECT_EQ(dialogs_->messages()[0],
                  ProgramFolder() + " is to confirm that you can access it.");
        EXPECT_EQ(ReadText(path).toUtf8(), content);
        EXPECT_FALSE(QFile::exists(ProgramFolder() + "/QV4170.LCK"));
        main.reset();
        EXPECT_FALSE(QFile::exists(SettingsFilePath()));
        QFile::remove(path);
    }
}

TEST_F(StartupFailure, MissingOrUnwritableDataFolder) {
    QTemporaryDir data;
    const QString missing = data.path() + "/gone";
    WriteSettings({"DataLocation\t" + missing});
    auto main = MakeMain();
    EXPECT_FALSE(main->Form_Load());
    EXPECT_EQ(dialogs_->messages(),
              QStringList{missing + " is to confirm that you can access it."});
    EXPECT_FALSE(QFileInfo::exists(missing));

    // A lock file that cannot be created is the same failure, not another copy's lock.
    ResetGlobals();
    dialogs_->clear();
    WriteSettings({"DataLocation\t" + data.path()});
    ASSERT_TRUE(QDir(data.path()).mkdir("QV4170.LCK"));
    main = MakeMain();
    EXPECT_FALSE(main->Form_Load());
    EXPECT_EQ(dialogs_->messages(),
              QStringList{data.path() + " is to confirm that you can access it."});
    EXPECT_TRUE(QFileInfo(data.path() + "/QV4170.LCK").isDir());
}

TEST_F(StartupFailure, ReadOnlyDataFolder) {
    if (geteuid() == 0) GTEST_SKIP() << "permissions do not bind the super-user";
    QTemporaryDir data;
    MakeDatabase(data.path() + "/QV4170.mdb");
    QFile::setPermissions(data.path(), QFile::ReadOwner | QFile::ExeOwner);
    WriteSettings({"DataLocation\t" + data.path()});
    auto main = MakeMain();
    EXPECT_FALSE(main->Form_Load());
    EXPECT_EQ(dialogs_->messages(),
              QStringList{data.path() + " is to confirm that you can access it."});
    QFile::setPermissions(data.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

using Lock = ShellTest;

TEST_F(Lock, SecondCopyIsTurnedAwayAndTheFirstKeepsItsLock) {
    auto first = MakeMain();
    ASSERT_TRUE(first->Form_Load());
    const QString lock = LockFilePath(DatabasePath);
    EXPECT_EQ(lock, ProgramFolder() + "/QV4170.LCK");
    WriteText(lock, "pc-7\r\nmiyu\r\n");  // what another copy would have written

    auto second = MakeMain();
    EXPECT_FALSE(second->Form_Load());
    EXPECT_EQ(dialogs_->messages(), QStringList{"A data base is being used for miyu on pc-7."});
    EXPECT_EQ(ReadText(lock), "pc-7\r\nmiyu\r\n");
    EXPECT_TRUE(first->Lock().Held());
    second.reset();
    EXPECT_TRUE(QFile::exists(lock));

    first->Form_Unload();
    EXPECT_FALSE(QFile::exists(lock));
    LockFile again;
    EXPECT_EQ(again.Take(lock, "a", "b"), LockFile::Result::Taken);
}

TEST_F(Lock, FileLeftByACrashedRunDoesNotBlock) {
    WriteText(ProgramFolder() + "/QV4170.LCK", "old-pc\r\nsomeone\r\nmore text\r\n");
    auto main = MakeMain();
    ASSERT_TRUE(main->Form_Load());
    EXPECT_TRUE(dialogs_->asked().empty());
    EXPECT_EQ(LockFile::ReadHolder(ProgramFolder() + "/QV4170.LCK"),
              (QStringList{ComputerName(), UserName()}));
    EXPECT_EQ(ReadText(ProgramFolder() + "/QV4170.LCK"),
              ComputerName() + "\r\n" + UserName() + "\r\n");
}

TEST_F(Lock, HolderNamesOfAnUnreadableFileAreEmpty) {
    EXPECT_EQ(LockFile::ReadHolder(ProgramFolder() + "/none.LCK"), (QStringList{"", ""}));
    EXPECT_EQ(LockFilePath("/data/QV4170.mdb"), "/data/QV4170.LCK");
    LockFile lock;
    lock.Release();  // nothing held: nothing happens
    EXPECT_FALSE(lock.Held());
}

using SerialLogs = ShellTest;

TEST_F(SerialLogs, RotationKeepsNineOlderLogs) {
    WriteSettings({"Serial Log File\tON"});
    WriteText(programFile("SerialLog.log"), "current");
    for (int n = 1; n <= 9; ++n)
        WriteText(programFile(QString("SerialLog%1.log").arg(n)), QByteArray::number(n));
    auto main = MakeMain();
    ASSERT_TRUE(main->Form_Load());
    EXPECT_FALSE(QFile::exists(programFile("SerialLog.log")));
    EXPECT_EQ(ReadText(programFile("SerialLog1.log")), "current");
    EXPECT_EQ(ReadText(programFile("SerialLog2.log")), "1");
    EXPECT_EQ(ReadText(programFile("SerialLog9.log")), "8");
    EXPECT_FALSE(QFile::exists(programFile("SerialLog10.log")));
}

TEST_F(SerialLogs, WithTheSettingOffOnlyTheLastLogGoes) {
    WriteText(programFile("SerialLog.log"), "current");
    WriteText(programFile("SerialLog1.log"), "older");
    auto main = MakeMain();
    ASSERT_TRUE(main->Form_Load());
    EXPECT_FALSE(QFile::exists(programFile("SerialLog.log")));
    EXPECT_EQ(ReadText(programFile("SerialLog1.log")), "older");
}

TEST_F(SerialLogs, ALogThatCannotBeDeletedDoesNotHoldTheStartUp) {
    ASSERT_TRUE(QDir(ProgramFolder()).mkpath("SerialLog.log/inside"));
    auto main = MakeMain();
    QElapsedTimer timer;
    timer.start();
    EXPECT_TRUE(main->Form_Load());
    EXPECT_LT(timer.elapsed(), 10000);
    EXPECT_TRUE(main->Lock().Held());
}

using Shutdown = ShellTest;

TEST_F(Shutdown, KeepsTheOptionPagesFontAndColours) {
    auto main = StartMain();
    QFont font("Serif");
    font.setPointSizeF(12);
    font.setBold(true);
    main->pageOption->cmdOptionDisp[0]->setFont(font);
    ui::SetBackColor(main->pageOption->cmdOptionDisp[2], ui::RGB(1, 2, 3));
    main->resize(ui::ToPixelsX(9600), ui::ToPixelsY(6000));
    main->pageBrowser->chkLog[2]->setChecked(true);
    main->Form_Unload();
    EXPECT_FALSE(main->Lock().Held());

    ResetGlobals();
    MainForm() = MainFormSettings{};
    LoadSettings();
    EXPECT_EQ(AppFont.Name, "Serif");
    EXPECT_EQ(AppFont.Size, 12);
    EXPECT_TRUE(AppFont.Bold);
    EXPECT_EQ(GraphColor[1], ui::RGB(1, 2, 3));
    EXPECT_EQ(GraphColor[0], 0xFFFF);
    EXPECT_NEAR(MainForm().Width, 9600, Px());
    EXPECT_NEAR(MainForm().Height, 6000, Px());
    EXPECT_EQ(MainForm().WindowState, 0);
    EXPECT_EQ(MainForm().chkLog[2], 1);
}

TEST_F(Shutdown, ASettingsFileThatCannotBeWrittenIsReportedAndTheLockStillGoes) {
    auto main = StartMain();
    ASSERT_TRUE(QDir(ProgramFolder()).mkpath("QV4170.ini/inside"));
    main->Form_Unload();
    EXPECT_EQ(dialogs_->messages().size(), 1);
    EXPECT_EQ(dialogs_->asked().back().style & vbCritical, vbCritical);
    EXPECT_FALSE(QFile::exists(ProgramFolder() + "/QV4170.LCK"));
    main->Form_Unload();  // a second unload does nothing
    EXPECT_EQ(dialogs_->messages().size(), 1);
}

}  // namespace
}  // namespace qv::test

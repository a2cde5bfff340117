// Start-up defaults, the main window's load and unload, the database check, the lock file and
// the serial log rotation.
#include "ShellFixture.h"

#include "Database.h"
#include "LockFile.h"
#include "ScriptedPorts.h"
#include "clsIntervals.h"
#include "modDatabase.h"
#include "modSettings.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScopeGuard>
#include <QScreen>
#include <QTextBlock>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace qv::test {
namespace {

using StartupDefaults = ShellTest;

TEST_F(StartupDefaults, MissingValuesAreFilledPresentOnesKeptControlsAtRest) {
    auto main = MakeMain();
    main->SetDefaults();
    EXPECT_EQ(DataLocation, ProgramFolder());
    EXPECT_FLOAT_EQ(ConvFactor, 0.05f);
    EXPECT_EQ(CommPortNo, 4);
    EXPECT_EQ(UserPassword, "qzt");
    for (int mask = 0; mask <= 32; ++mask)
        EXPECT_EQ(GasComb[mask], (mask & 3) == 3 && mask < 32) << mask;
    EXPECT_EQ(main->IntervalList->Instruments(), main->CurInstrument);
    // The controls are at rest: nothing to click before an instrument connects.
    for (QPushButton* button : main->pageDownload->cmdDown)
        EXPECT_FALSE(button->isEnabled());
    EXPECT_FALSE(main->pageOption->cmdOption[0]->isEnabled());
    EXPECT_TRUE(main->InAutoLoadClick);
    // Without a font name in the settings the button names the font in use.
    EXPECT_EQ(main->pageOption->cmdOptionDisp[0]->text(), QApplication::font().family() + "(9)");

    ConvFactor = 0.2f;
    UserPassword = "secret";
    CommPortNo = 7;
    DefaultInstrument()->SetGasFullScale(2, 20);
    DefaultInstrument()->SetGasName(2, "SO2");
    PrtWidth = {0.5f, 100.5f, 0};
    GraphColor[0] = 1;
    main->SetDefaults();
    EXPECT_FLOAT_EQ(ConvFactor, 0.2f);
    EXPECT_EQ(UserPassword, "secret");
    EXPECT_EQ(CommPortNo, 7);
    EXPECT_EQ(DefaultInstrument()->GasName(2), "SO2");
    EXPECT_EQ(PrtWidth[0], 4);  // out of range: back to the default
    EXPECT_EQ(PrtWidth[1], 1);
    EXPECT_EQ(GraphColor[0], 0xFFFF);  // reset every time

    // Without a password the Japanese catalogue chooses its own.
    UserPassword.clear();
    SetCatalogueLanguage(CatalogueLanguage::Japanese);
    main->SetDefaults();
    EXPECT_EQ(UserPassword, "Wolde");

    // The removal box is disabled without automatic download, and keeps its state with it.
    QCheckBox* load = main->pageDownload->chkAutoLoad[0];
    QCheckBox* removal = main->pageDownload->chkAutoLoad[1];
    AutoLoad = false;
    AutoRemoveData = true;
    main->SetDefaults();
    EXPECT_FALSE(load->isChecked());
    EXPECT_TRUE(removal->isChecked());
    EXPECT_FALSE(removal->isEnabled());
    AutoLoad = true;
    main->SetDefaults();
    EXPECT_TRUE(load->isChecked());
    EXPECT_FALSE(removal->isEnabled());
}

using Startup = ShellTest;

TEST_F(Startup, CreatesDatabaseTakesLockAndShutsDownCleanly) {
    // Without a converter the stored port number is opened: here a device that is not there.
    ClearPortNumbers();
    ASSERT_EQ(PortNumberFor(ProgramFolder() + "/no-port"), 1);
    auto main = MakeMain();
    ASSERT_TRUE(main->Form_Load());
    EXPECT_TRUE(dialogs_->asked().empty());
    EXPECT_EQ(DatabasePath, ProgramFolder() + "/QV4170.mdb");
    EXPECT_EQ(Database(DatabasePath).scalar("Select Count(*) From Log_head").toInt(), 0);
    // The check that the file can be written leaves nothing behind.
    EXPECT_EQ(Database(DatabasePath)
                  .scalar("Select Count(*) From sqlite_master Where name='WriteProbe'")
                  .toInt(),
              0);
    const QString lock = ProgramFolder() + "/QV4170.LCK";
    EXPECT_EQ(LockFilePath(DatabasePath), lock);
    EXPECT_EQ(ReadText(lock), ComputerName() + "\r\n" + UserName() + "\r\n");
    EXPECT_TRUE(main->Lock().Held());
    EXPECT_TRUE(main->pageOption->fraOption[2]->isHidden());  // calibration: service mode only
    EXPECT_FALSE(main->uclQV4170.SerialComm());               // no converter: the infrared path

    main->Form_Activate();
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(main->fraMenu[i]->isHidden(), i != 0) << i;
    EXPECT_EQ(main->pageDownload->shpStatus[1]->BackColor(), main->LampGray[0]);
    EXPECT_FALSE(main->FirstActivate);
    // The port was opened before the serial log was switched on: its cause still heads the log.
    const QStringList log = ReadText(programFile("SerialLog.log")).split("\r\n");
    ASSERT_GE(log.size(), 2);
    EXPECT_TRUE(log[0].startsWith("Port COM1 (" + ProgramFolder() + "/no-port) cannot be opened"))
        << log[0].toStdString();
    EXPECT_TRUE(log[1].startsWith("Serial Port Standby. Date = "));
    EXPECT_EQ(main->pageDownload->shpStatus[0]->BackColor(), main->LampRed[0]);
    ClearPortNumbers();

    main->show();
    main->cmdInst_Click(5);  // Exit
    EXPECT_FALSE(main->isVisible());
    EXPECT_FALSE(QFile::exists(lock));
    EXPECT_TRUE(ReadText(SettingsFilePath()).contains("Execute Count\t1"));
}

TEST_F(Startup, PortOfTheOneConverterElseTheInfraredPath) {
    auto main = MakeMain({"/nonexistent/ttyUSB7"});
    ASSERT_TRUE(main->Form_Load());
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
    EXPECT_EQ(dialogs_->asked()[0].style, vbCritical);
}

// Two converters and none named: the window says so and falls back to its stored port, which
// is neither converter however the lookup numbered them.
TEST_F(Startup, WithTwoConvertersNoConverterIsOpenedUnasked) {
    ClearPortNumbers();  // as a program starts: no device numbered yet
    auto owned = std::make_unique<ScriptedSerialPort>();
    ScriptedSerialPort* serial = owned.get();
    auto link =
        std::make_unique<uclQvif>(std::move(owned), std::make_unique<ScriptedInfraredPort>());
    link->UseManualTimers(true);
    const QStringList converters{"/dev/ttyUSB0", "/dev/ttyUSB1"};
    auto main =
        std::make_unique<frmMain>(std::move(link), std::make_unique<ListPortFinder>(converters));
    dialogs_->AnswerMsgBox(vbOK);
    ASSERT_TRUE(main->Form_Load());
    EXPECT_EQ(dialogs_->messages(), QStringList{GetMessage(20014)});
    EXPECT_TRUE(serial->IsOpen());
    EXPECT_EQ(serial->DevicePath(), "/dev/ttyS0");
    for (const QString& converter : converters)
        EXPECT_NE(PortPath(PortNumberFor(converter)), serial->DevicePath());
    main->Form_Unload();
}

TEST_F(Startup, SettingsFileShapesTheWindowAndPlacesTheData) {
    QTemporaryDir data;
    WriteSettings({"Execute Count\t4", "Size Values\t0\t13200\t7000",
                   "Auto Load Mode\tFalse\tTrue\tTrue", "Data Select\tFalse\tTrue\tFalse",
                   "Font\t'Serif'\t11\tFalse\tTrue\tFalse", "DataLocation\t" + data.path() + "/"});
    auto main = MakeMain();
    ASSERT_TRUE(main->Form_Load());
    EXPECT_EQ(DatabasePath, data.path() + "/QV4170.mdb");
    EXPECT_TRUE(QFile::exists(data.path() + "/QV4170.LCK"));
    EXPECT_FALSE(QFile::exists(ProgramFolder() + "/QV4170.mdb"));
    EXPECT_NEAR(ui::Width(main.get()), 13200, Px());
    EXPECT_NEAR(ui::Height(main.get()), 7000, Px());
    const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
    EXPECT_EQ(main->x(), (screen.width() - main->width()) / 2);
    EXPECT_TRUE(main->pageDownload->chkAutoLoad[0]->isChecked());
    EXPECT_TRUE(main->pageDownload->chkAutoLoad[1]->isEnabled());
    EXPECT_TRUE(main->pageBrowser->chkLog[1]->isChecked());
    EXPECT_FALSE(main->pageBrowser->chkLog[0]->isChecked());
    const QFont font = main->pageDownload->cmdDown[0]->font();
    EXPECT_EQ(font.family(), "Serif");
    EXPECT_TRUE(font.italic());
    EXPECT_TRUE(main->pageDownload->font().bold());  // page frames are bold

    // The second run of the program sizes the window from the screen.
    main->Form_Unload();
    main.reset();
    ResetGlobals();
    WriteSettings({"Execute Count\t1", "Size Values\t0\t13200\t7000"});
    main = MakeMain();
    ASSERT_TRUE(main->Form_Load());
    // Never below the smallest size at which nothing overlaps.
    EXPECT_NEAR(ui::Width(main.get()), std::max(12300.0, screen.width() * Px() * 0.8), Px());
    EXPECT_NEAR(ui::Height(main.get()), std::max(6750.0, screen.height() * Px() * 0.6), Px());
}

// A settings file edited by hand, with lines the reader cannot use before the ones that place
// the data and switch the automatic mode on: those still take effect, the unusable lines are
// named once in the status log and the serial log, and closing keeps the technician's lines as
// written.
TEST_F(Startup, LinesOfTheSettingsFileThatCannotBeUsedAreNamedAndTheRestTakesEffect) {
    QTemporaryDir data;
    const QStringList lines{"Execute Count\t4", "LIMITDAYS\t40000", "IrCOMM Num\tfour",
                            "Auto Load Mode\tFalse \tTrue \tFalse ",
                            "DataLocation\t" + data.path() + " "};
    WriteSettings(lines);
    auto main = StartMain();
    EXPECT_EQ(DatabasePath, data.path() + "/QV4170.mdb");
    EXPECT_TRUE(QFile::exists(DatabasePath));
    EXPECT_TRUE(AutoLoad);
    EXPECT_TRUE(main->pageDownload->chkAutoLoad[0]->isChecked());
    EXPECT_FALSE(main->pageDownload->chkAutoLoad[1]->isChecked());
    const QString status = main->pageDownload->rtbLog->toPlainText();
    const QString serial = ReadText(programFile("SerialLog.log"));
    for (int number : {2, 3}) {
        const QString named =
            GetMessage(9310, {SettingsFilePath(), QString::number(number), lines[number - 1]});
        EXPECT_EQ(status.count(named), 1) << status.toStdString();
        EXPECT_EQ(serial.count(named), 1) << serial.toStdString();
    }
    EXPECT_EQ(status.count(SettingsFilePath()), 2);

    main->Form_Unload();
    const QStringList written = ReadText(programFile("QV4170.ini")).split("\r\n");
    EXPECT_EQ(written.mid(1, lines.size() - 1), lines.mid(1));
}

using StartupFailure = ShellTest;

QByteArray ReadBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

TEST_F(StartupFailure, ADamagedOrForeignDatabaseFileIsNamedAndLeftAlone) {
    const QString path = ProgramFolder() + "/QV4170.mdb";
    MakeDatabase(path);
    {
        Database db(path);
        Database::Transaction tx(db);
        for (int i = 1; i <= 300; ++i)
            db.execute("Insert Into Power_Event(SeqNo,RelNo,Dates) Values (?,?,?)",
                       {i, 1, QString(200, u'x')});
        tx.commit();
    }
    const QByteArray whole = ReadBytes(path);
    Database(path).execute("Drop Table cHistory");
    const QByteArray withoutTable = ReadBytes(path);

    for (const QByteArray& content : {QByteArray("Standard Jet DB, not ours"), QByteArray(),
                                      whole.left(whole.size() / 2), withoutTable}) {
        WriteText(path, content);
        dialogs_->clear();
        auto main = MakeMain();
        EXPECT_FALSE(main->Form_Load());
        EXPECT_EQ(dialogs_->messages(),
                  QStringList{path + " is damaged or is not a database of this program.\r\nThe "
                                     "file has not been changed."});
        EXPECT_EQ(ReadBytes(path), content);
        EXPECT_FALSE(QFile::exists(ProgramFolder() + "/QV4170.LCK"));
        main.reset();
        EXPECT_FALSE(QFile::exists(SettingsFilePath()));
    }
}

// Another program (a database browser, a backup) holds the file: the user learns which file
// and what to do, in the catalogue's language.
TEST_F(StartupFailure, ADatabaseFileHeldByAnotherProgramIsNamed) {
    SetCatalogueLanguage(CatalogueLanguage::Japanese);
    const QString path = ProgramFolder() + "/QV4170.mdb";
    MakeDatabase(path);
    Database holder(path);
    Database::Transaction held(holder);
    auto main = MakeMain();
    EXPECT_FALSE(main->Form_Load());
    EXPECT_EQ(dialogs_->messages(), QStringList{GetMessage(9002, {path})});
    EXPECT_TRUE(dialogs_->messages()[0].startsWith(
        RawMessage(9002, CatalogueLanguage::Japanese).section("~1", 0, 0) + path));
    EXPECT_FALSE(QFile::exists(ProgramFolder() + "/QV4170.LCK"));
}

TEST_F(StartupFailure, MissingUnwritableOrReadOnlyDataFolder) {
    QTemporaryDir data;
    const auto refused = [&](const QString& folder) {
        ResetGlobals();
        dialogs_->clear();
        WriteSettings({"DataLocation\t" + folder});
        auto main = MakeMain();
        EXPECT_FALSE(main->Form_Load());
        EXPECT_EQ(dialogs_->messages(),
                  QStringList{folder + " is to confirm that you can access it."});
    };
    const QString missing = data.path() + "/gone";
    refused(missing);
    EXPECT_FALSE(QFileInfo::exists(missing));

    // A lock file that cannot be created is the same failure, not another copy's lock.
    ASSERT_TRUE(QDir(data.path()).mkdir("QV4170.LCK"));
    refused(data.path());
    EXPECT_TRUE(QFileInfo(data.path() + "/QV4170.LCK").isDir());

    if (geteuid() == 0) return;  // permissions do not bind the super-user
    QTemporaryDir readOnly;
    MakeDatabase(readOnly.path() + "/QV4170.mdb");
    QFile::setPermissions(readOnly.path(), QFile::ReadOwner | QFile::ExeOwner);
    refused(readOnly.path());
    QFile::setPermissions(readOnly.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

// A database file that can be read but not written is refused at start-up, not at the first
// download (where automatic mode would still switch the instrument off).
TEST_F(StartupFailure, ADatabaseFileThatCannotBeWrittenIsRefused) {
    const QString path = ProgramFolder() + "/QV4170.mdb";
    MakeDatabase(path);
    // The super-user is bound by the immutable flag only, others by the file's permissions.
    const auto setFlag = [&](bool on) {
        const int fd = ::open(path.toLocal8Bit().constData(), O_RDONLY);
        int flags = 0;
        if (fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
            flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
            ::ioctl(fd, FS_IOC_SETFLAGS, &flags);
        }
        if (fd >= 0) ::close(fd);
    };
    const auto restore = qScopeGuard([&] {
        setFlag(false);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    });
    QFile::setPermissions(path, QFile::ReadOwner);
    if (geteuid() == 0) setFlag(true);
    if (QFile(path).open(QIODevice::ReadWrite)) GTEST_SKIP() << "the file stays writable here";
    auto main = MakeMain();
    EXPECT_FALSE(main->Form_Load());
    EXPECT_EQ(dialogs_->messages(),
              QStringList{ProgramFolder() + " is to confirm that you can access it."});
    EXPECT_FALSE(QFile::exists(ProgramFolder() + "/QV4170.LCK"));
}

using Lock = ShellTest;

// The first copy is storing (its write transaction open) when the second starts: the second names
// the first at once, without waiting for the database.
TEST_F(Lock, SecondCopyIsTurnedAwayAndTheFirstKeepsItsLock) {
    EXPECT_EQ(LockFile::ReadHolder(ProgramFolder() + "/QV4170.LCK"), (QStringList{"", ""}));
    auto first = MakeMain();
    ASSERT_TRUE(first->Form_Load());
    const QString lock = LockFilePath(DatabasePath);
    WriteText(lock, "pc-7\r\nmiyu\r\n");  // what another copy would have written
    auto storing = std::make_unique<Database>(DatabasePath);
    auto store = std::make_unique<Database::Transaction>(*storing);

    auto second = MakeMain();
    QElapsedTimer started;
    started.start();
    EXPECT_FALSE(second->Form_Load());
    EXPECT_LT(started.elapsed(), 1000);
    EXPECT_EQ(dialogs_->messages(), QStringList{"A data base is being used for miyu on pc-7."});
    store.reset();
    storing.reset();
    EXPECT_EQ(ReadText(lock), "pc-7\r\nmiyu\r\n");
    EXPECT_TRUE(first->Lock().Held());
    second.reset();
    EXPECT_TRUE(QFile::exists(lock));

    first->Form_Unload();
    EXPECT_FALSE(QFile::exists(lock));
    LockFile again;
    EXPECT_EQ(again.Take(lock, "a", "b"), LockFile::Result::Taken);
}

using SerialLogs = ShellTest;

TEST_F(SerialLogs, RotationKeepsNineOlderLogsOnlyWhenSwitchedOnAndNeverHoldsTheStartUp) {
    WriteSettings({"Serial Log File\tON"});
    WriteText(programFile("SerialLog.log"), "current");
    for (int n = 1; n <= 9; ++n)
        WriteText(programFile(QString("SerialLog%1.log").arg(n)), QByteArray::number(n));
    auto main = MakeMain();
    ASSERT_TRUE(main->Form_Load());
    // What SerialLog.log holds now is this run's own (the port's cause, written at log start).
    EXPECT_FALSE(ReadText(programFile("SerialLog.log")).contains("current"));
    EXPECT_EQ(ReadText(programFile("SerialLog1.log")), "current");
    EXPECT_EQ(ReadText(programFile("SerialLog2.log")), "1");
    EXPECT_EQ(ReadText(programFile("SerialLog9.log")), "8");
    EXPECT_FALSE(QFile::exists(programFile("SerialLog10.log")));
    main->Form_Unload();

    // Switched off, only the last log goes.
    ResetGlobals();
    QFile::remove(SettingsFilePath());
    WriteText(programFile("SerialLog.log"), "later");
    main = MakeMain();
    ASSERT_TRUE(main->Form_Load());
    EXPECT_FALSE(ReadText(programFile("SerialLog.log")).contains("later"));
    EXPECT_EQ(ReadText(programFile("SerialLog1.log")), "current");
    main->Form_Unload();

    // A log that cannot be deleted does not hold the start-up.
    ResetGlobals();
    QFile::remove(programFile("SerialLog.log"));
    ASSERT_TRUE(QDir(ProgramFolder()).mkpath("SerialLog.log/inside"));
    main = MakeMain();
    QElapsedTimer timer;
    timer.start();
    EXPECT_TRUE(main->Form_Load());
    EXPECT_LT(timer.elapsed(), 10000);
    EXPECT_TRUE(main->Lock().Held());
    // Nor its lines: the status log says so once, in red, and the program goes on.
    main->Form_Activate();
    const QString told = "The serial log " + programFile("SerialLog.log") + " cannot be written: ";
    EXPECT_EQ(main->pageDownload->rtbLog->toPlainText().count(told), 1)
        << main->pageDownload->rtbLog->toPlainText().toStdString();
    QTextBlock block = main->pageDownload->rtbLog->document()->begin();
    while (block.isValid() && !block.text().startsWith(told))
        block = block.next();
    ASSERT_TRUE(block.isValid());
    EXPECT_EQ(block.begin().fragment().charFormat().foreground().color(), QColor(255, 0, 0));
}

using Shutdown = ShellTest;

TEST_F(Shutdown, KeepsTheOptionPagesFontAndColours) {
    auto main = StartMain();
    QFont font("Serif");
    font.setPointSizeF(12);
    font.setBold(true);
    main->pageOption->cmdOptionDisp[0]->setFont(font);
    ui::SetBackColor(main->pageOption->cmdOptionDisp[2], ui::RGB(1, 2, 3));
    main->resize(ui::ToPixelsX(13200), ui::ToPixelsY(7000));
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
    EXPECT_NEAR(MainForm().Width, 13200, Px());
    EXPECT_NEAR(MainForm().Height, 7000, Px());
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

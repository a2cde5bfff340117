// The option page's commands against the simulated instrument: an edited level uploaded and read
// back, the refusals that send nothing, the clock set, the calibration panel with its pump, the
// EEP-ROM dump, and every failure (silence, bad checksums, the far end gone, an unwritable file)
// reported as failed with the progress dialog gone. Then the font, colour and factory buttons.
#include "AppPaths.h"
#include "Dates.h"
#include "Runtime.h"
#include "SettingsRig.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>

namespace qv::test {
namespace {

bool Logged(const SettingsRig& rig, int message, int32_t color) {
    return rig.log.contains(GetMessage(message) + QString::number(color));
}

// The instrument's settings as a second reading of them finds them.
std::shared_ptr<clsInstrument> ReadBack(SettingsRig& rig) {
    auto again = std::make_shared<clsInstrument>();
    EXPECT_TRUE(rig.sim.link->GetInstrument(again));
    return again;
}

// A command that asks first, answered Yes.
void Confirmed(SettingsRig& rig, QPushButton* button) {
    rig.dialogs.AnswerMsgBox(vbYes);
    button->click();
}

TEST(OptionCommands, AnEditedLevelIsUploadedReadBackAndShown) {
    SettingsRig rig;
    rig.ReadInstrument();
    ui::FlexGrid& grid = *rig.option->vfgOption;
    ASSERT_EQ(Type(grid, 4, 2, "10.3"), Entry::Stored);  // gas 3's alarm, step 0.5

    Confirmed(rig, rig.option->cmdOption[0]);
    EXPECT_EQ(rig.dialogs.messages(), (QStringList{GetMessage(5309), GetMessage(5311)}));
    EXPECT_TRUE(Logged(rig, 5428, ui::RGB(0, 192, 0)));
    EXPECT_TRUE(Logged(rig, 5429, ui::RGB(0, 192, 0)));
    EXPECT_FALSE(rig.upload) << "the progress dialog stays open";
    EXPECT_TRUE(rig.sim.sim.Refused().isEmpty()) << rig.sim.sim.Refused().join(u'|').toStdString();
    EXPECT_FLOAT_EQ(ReadBack(rig)->Alarm(2), 10.5f);
    EXPECT_EQ(grid.TextMatrix(4, 2), " 10.5");

    // Nothing edited: still asked, still sent (nothing), still complete.
    rig.dialogs.clear();
    Confirmed(rig, rig.option->cmdOption[0]);
    EXPECT_EQ(rig.dialogs.messages().value(1), GetMessage(5311));
    // No: nothing at all.
    rig.dialogs.clear();
    rig.sim.sim.ClearReceived();
    rig.dialogs.AnswerMsgBox(vbNo);
    rig.option->cmdOption[0]->click();
    EXPECT_EQ(rig.dialogs.messages(), QStringList{GetMessage(5309)});
    EXPECT_TRUE(rig.sim.Requests().isEmpty());
}

TEST(OptionCommands, UpdateRefusesSettingsItCannotSendAndSendsNothing) {
    SettingsRig rig;
    rig.ReadInstrument();
    clsInstrument& in = *rig.CurInstrument;
    const auto refusal = [&rig] {
        rig.dialogs.clear();
        rig.sim.sim.ClearReceived();
        rig.option->cmdOption[0]->click();
        EXPECT_TRUE(rig.sim.Requests().isEmpty());
        EXPECT_FALSE(rig.upload);
        return rig.dialogs.messages().join(u'|');
    };
    // Gas 4's alarm below its warning level; the same on gas 5 is no reason to refuse.
    ASSERT_EQ(Type(*rig.option->vfgOption, 5, 2, "5"), Entry::Stored);
    EXPECT_EQ(refusal(), GetMessage(5361));
    EXPECT_TRUE(in.Change_Alarm(3)) << "the edit is kept for its correction";
    ASSERT_EQ(Type(*rig.option->vfgOption, 5, 2, "200"), Entry::Stored);

    // Only gas 5 has a sensor.
    for (int c = 0; c < 4; ++c)
        in.SetGasEnabled(c, false);
    EXPECT_EQ(refusal(), GetMessage(5365));
    for (int c = 0; c < 4; ++c)
        in.SetGasEnabled(c, true);

    // An unlisted sensor combination, in service mode only.
    GasComb.fill(false);
    ServiceMode = true;
    EXPECT_EQ(refusal(), GetMessage(5369));
}

TEST(OptionCommands, TheClockIsSetAndShownOnlyWhenTheInstrumentTookIt) {
    SettingsRig rig;
    rig.sim.sim.SetClock(QDateTime(QDate(2009, 3, 1), QTime(8, 0), Qt::UTC));
    rig.ReadInstrument();
    clsInstrument& in = *rig.CurInstrument;
    ASSERT_NE(in.SysDateOffset(), rt::ZeroDate());

    Confirmed(rig, rig.option->cmdOption[1]);
    const QDateTime now = rt::Now();
    const QDateTime clock = rig.sim.sim.Clock();
    EXPECT_LE(
        std::abs(QDateTime(clock.date(), clock.time()).secsTo(QDateTime(now.date(), now.time()))),
        5);
    EXPECT_EQ(in.SysDateOffset(), rt::ZeroDate());
    EXPECT_EQ(rig.dialogs.messages().value(1), GetMessage(5311));
    EXPECT_FALSE(rig.upload);
}

// Each way a transfer can fail: the box says so with the reason when one is known, the status
// line is red, nothing claims completion, the progress dialog is gone, and what the page shows
// is not changed as if it had worked.
TEST(OptionCommands, FailedTransfersAreReportedAsFailed) {
    const struct {
        const char* name;
        std::function<void(SettingsRig&)> fault;
    } faults[] = {
        {"silence", [](SettingsRig& r) { r.sim.SilenceAt(QString()); }},
        {"bad checksums", [](SettingsRig& r) { r.sim.sim.InjectBadChecksum(1000); }},
        {"far end gone", [](SettingsRig& r) { r.sim.sim.CloseFarEnd(); }},
    };
    for (const auto& f : faults) {
        for (int command : {0, 1}) {
            SCOPED_TRACE(std::string(f.name) + (command == 0 ? " upload" : " clock"));
            SettingsRig rig;
            rig.ReadInstrument();
            clsInstrument& in = *rig.CurInstrument;
            in.SetSysDateOffset(rt::AddSeconds(rt::ZeroDate(), 600));
            ASSERT_EQ(Type(*rig.option->vfgOption, 4, 2, "10.3"), Entry::Stored);
            f.fault(rig);
            Confirmed(rig, rig.option->cmdOption[command]);
            const QStringList boxes = rig.dialogs.messages();
            ASSERT_EQ(boxes.size(), 2) << boxes.join(u'|').toStdString();
            EXPECT_TRUE(boxes[1].startsWith(GetMessage(5373))) << boxes[1].toStdString();
            EXPECT_TRUE(Logged(rig, 5463, ui::RGB(255, 0, 0)));
            EXPECT_FALSE(Logged(rig, 5429, ui::RGB(0, 192, 0)));
            EXPECT_FALSE(rig.upload);
            EXPECT_EQ(in.SysDateOffset(), rt::AddSeconds(rt::ZeroDate(), 600));
            if (command == 0) {
                EXPECT_TRUE(in.Change_Alarm(2)) << "kept for another attempt";
            }
        }
    }
}

TEST(OptionCommands, ACancelledUploadIsSaidInTheStatusLogOnly) {
    SettingsRig rig;
    rig.ReadInstrument();
    ASSERT_EQ(Type(*rig.option->vfgOption, 4, 2, "10.3"), Entry::Stored);
    // The progress dialog's Cancel, pressed while the first setting is on its way.
    rig.sim.OnRequest(QString(), [&rig] { rig.sim.link->SetCancel(true); });
    Confirmed(rig, rig.option->cmdOption[0]);
    EXPECT_EQ(rig.dialogs.messages(), QStringList{GetMessage(5309)});
    EXPECT_TRUE(Logged(rig, 5462, ui::RGB(255, 0, 0)));
    EXPECT_FALSE(Logged(rig, 5429, ui::RGB(0, 192, 0)));
    EXPECT_FALSE(rig.upload);
}

// Update, Date/Time Set and Calibration need the instrument: they go when it goes.
TEST(OptionCommands, TheInstrumentCommandsGoWithTheInstrument) {
    SettingsRig rig;
    rig.ReadInstrument();
    for (QPushButton* b : rig.option->cmdOption)
        EXPECT_TRUE(b->isEnabled()) << b->text().toStdString();
    rig.sim.sim.CloseFarEnd();
    QElapsedTimer waited;
    waited.start();
    while (rig.sim.link->Connected() && waited.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    ASSERT_FALSE(rig.sim.link->Connected());
    for (QPushButton* b : rig.option->cmdOption)
        EXPECT_FALSE(b->isEnabled()) << b->text().toStdString();
    rig.option->cmdOption[1]->click();
    rig.option->cmdOption[2]->click();
    EXPECT_TRUE(rig.dialogs.asked().empty());
    EXPECT_FALSE(rig.CalibMode);
    rig.option->ShowOptionGrid();
    for (QPushButton* b : rig.option->cmdOption)
        EXPECT_FALSE(b->isEnabled()) << b->text().toStdString();
}

TEST(OptionCommands, TheCalibrationPanelRunsReadingsAndPumpUntilItsExit) {
    SettingsRig rig;
    rig.sim.sim.content().pumpOn = false;
    rig.ReadInstrument();
    rig.option->cmdOption[2]->click();
    EXPECT_TRUE(rig.CalibMode);
    EXPECT_TRUE(rig.sim.link->RunDensty());
    EXPECT_TRUE(rig.sim.sim.content().pumpOn);
    EXPECT_FALSE(rig.pageButtons);
    EXPECT_TRUE(rig.option->fraOption[2]->isVisibleTo(&rig.window));
    EXPECT_FALSE(rig.option->cmdOption[0]->isVisibleTo(&rig.window));
    // The font and maintenance frame stays.
    EXPECT_TRUE(rig.option->fraOption[0]->isVisibleTo(&rig.window));

    // No dump while the live readings run.
    Confirmed(rig, rig.option->cmdOptionDisp[5]);
    EXPECT_EQ(rig.dialogs.messages(), QStringList{GetMessage(5367)});
    EXPECT_EQ(rig.sim.Requests("EP").size(), 0);

    rig.option->cmdCal[2]->click();
    EXPECT_FALSE(rig.sim.link->RunDensty());
    EXPECT_FALSE(rig.sim.sim.content().pumpOn);
    EXPECT_TRUE(rig.pageButtons);
    EXPECT_TRUE(rig.option->cmdOption[0]->isVisibleTo(&rig.window));
}

QStringList DumpRows() {
    QFile f(ProgramFile(QStringLiteral("Dump.dat")));
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QString::fromLatin1(f.readAll()).split(QStringLiteral("\r\n"));
}

TEST(MaintenanceCommands, TheDumpWritesTheInstrumentsMemoryOrSaysWhyNot) {
    SettingsRig rig;
    QByteArray rom(256, '\0');
    for (int i = 0; i < rom.size(); ++i)
        rom[i] = static_cast<char>(255 - i);
    rig.sim.sim.content().eeprom = rom;
    rig.ReadInstrument();
    QFile::remove(ProgramFile(QStringLiteral("Dump.dat")));
    Confirmed(rig, rig.option->cmdOptionDisp[5]);
    const QStringList rows = DumpRows();
    ASSERT_GT(rows.size(), 21);
    EXPECT_TRUE(rows[6].startsWith(QStringLiteral("000000 FF FE FD FC"))) << rows[6].toStdString();
    EXPECT_TRUE(rows[21].startsWith(QStringLiteral("0000F0 0F 0E"))) << rows[21].toStdString();
    const QString dump = ProgramFile(QStringLiteral("Dump.dat"));
    EXPECT_TRUE(Logged(rig, 5445, ui::RGB(128, 32, 0)));
    EXPECT_TRUE(Logged(rig, 5446, ui::RGB(128, 32, 0)));
    // The status log names the file written.
    EXPECT_EQ(rig.log.last(), GetMessage(9040, {dump}) + QString::number(ui::RGB(128, 32, 0)));
    EXPECT_FALSE(rig.upload);

    // The instrument falls silent: a failure, not "Finished".
    rig.log.clear();
    rig.dialogs.clear();
    rig.sim.SilenceAt(QStringLiteral("EP,R"));
    Confirmed(rig, rig.option->cmdOptionDisp[5]);
    EXPECT_EQ(rig.dialogs.messages().value(1), GetMessage(5464));
    EXPECT_TRUE(Logged(rig, 5464, ui::RGB(255, 0, 0)));
    EXPECT_FALSE(Logged(rig, 5446, ui::RGB(128, 32, 0)));
    const QString red = QString::number(ui::RGB(255, 0, 0));
    EXPECT_EQ(rig.log.last(), GetMessage(9041, {dump, GetMessage(9042)}) + red);
    EXPECT_EQ(DumpRows(), rows);  // the list before stays
    EXPECT_FALSE(rig.upload);

    // Cancelled from the progress dialog.
    rig.log.clear();
    rig.sim.OnRequest(QStringLiteral("EP,R"), [&rig] { rig.sim.link->SetCancel(true); });
    Confirmed(rig, rig.option->cmdOptionDisp[5]);
    EXPECT_EQ(rig.log.last(), GetMessage(9041, {dump, GetMessage(9043)}) + red);

    // A file that cannot be written: the reason is shown, the dialog goes.
    rig.dialogs.clear();
    rig.log.clear();
    rig.sim.OnRequest(QStringLiteral("none"), [] {});  // the hooks go
    QFile::remove(dump);
    ASSERT_TRUE(QDir().mkpath(dump));
    Confirmed(rig, rig.option->cmdOptionDisp[5]);
    const QString box = rig.dialogs.messages().value(1);
    EXPECT_TRUE(box.startsWith(GetMessage(5464))) << box.toStdString();
    EXPECT_TRUE(box.contains(QStringLiteral("Dump.dat"))) << box.toStdString();
    const QString cause = box.section(QStringLiteral("\r\n"), 1);
    ASSERT_TRUE(cause.startsWith(dump + ": ")) << cause.toStdString();
    EXPECT_EQ(rig.log.last(), GetMessage(9041, {dump, cause.mid(dump.size() + 2)}) + red);
    EXPECT_FALSE(rig.upload);
    QDir(dump).removeRecursively();

    // Refused while another operation holds the link.
    rig.dialogs.clear();
    {
        LinkGuard::Claim other(rig.sim.link->Guard());
        rig.option->cmdOptionDisp[5]->click();
        rig.option->cmdOption[0]->click();
    }
    EXPECT_EQ(rig.dialogs.messages(), (QStringList{GetMessage(5367), GetMessage(5367)}));
}

TEST(DisplayCommands, FontColoursAndFactorySettings) {
    SettingsRig rig;
    AppFont.Name = QStringLiteral("Sans");
    AppFont.Size = 9;
    QPushButton* font = rig.option->cmdOptionDisp[0];
    QFont chosen(QStringLiteral("Arial"));
    chosen.setPointSizeF(10.5);
    chosen.setItalic(true);
    rig.dialogs.AnswerFont(chosen);
    font->click();
    EXPECT_EQ(font->text(), "Arial(10.5)");
    EXPECT_TRUE(font->font().italic());
    // The choice is the program's font from now on, and is to be kept.
    EXPECT_EQ(AppFont.Name, "Arial");
    EXPECT_DOUBLE_EQ(AppFont.Size, 10.5);
    EXPECT_TRUE(AppFont.Italic);
    EXPECT_EQ(rig.settingsChanged, 1);
    // Cancelled: nothing changes, the button a font other than the setting's included, and
    // nothing is to be kept.
    font->setText("Serif(8)");
    rig.dialogs.AnswerFont(std::nullopt);
    font->click();
    EXPECT_EQ(rig.dialogs.asked().back().text, "Arial");
    EXPECT_EQ(font->text(), "Serif(8)");
    EXPECT_TRUE(font->font().italic());
    EXPECT_EQ(AppFont.Name, "Arial");
    EXPECT_DOUBLE_EQ(AppFont.Size, 10.5);
    EXPECT_EQ(rig.settingsChanged, 1);

    // Gas 1's button recolours series 0 at once; a cancelled choice keeps gas 4's colour.
    ui::SetBackColor(rig.option->cmdOptionDisp[4], ui::RGB(9, 9, 9));
    rig.dialogs.AnswerColor(ui::RGB(1, 2, 3));
    rig.option->cmdOptionDisp[1]->click();
    rig.dialogs.AnswerColor(std::nullopt);
    rig.option->cmdOptionDisp[4]->click();
    EXPECT_EQ(rig.graphColors,
              (std::vector<std::pair<int, int32_t>>{{0, ui::RGB(1, 2, 3)}, {3, ui::RGB(9, 9, 9)}}));
    EXPECT_EQ(ui::BackColor(rig.option->cmdOptionDisp[1]), ui::RGB(1, 2, 3));
    // Every graph built from now on takes the colour, and it is to be kept.
    EXPECT_EQ(GraphColor[0], ui::RGB(1, 2, 3));
    EXPECT_EQ(GraphColor[3], ui::RGB(9, 9, 9));
    EXPECT_EQ(rig.settingsChanged, 3);

    // The factory dialog edits the settings on show; the grid shows what it left, sent or not.
    ServiceMode = true;
    rig.ReadInstrument();
    rig.dialogs.AnswerModal([&rig](QDialog&) {
        rig.CurInstrument->SetAlarm(2, 12);
        return 0;
    });
    rig.option->cmdOptionDisp[6]->click();
    EXPECT_EQ(rig.option->vfgOption->TextMatrix(4, 3), " 12.0");  // service mode: column 3
    EXPECT_TRUE(rig.sim.Requests().isEmpty());
}

}  // namespace
}  // namespace qv::test

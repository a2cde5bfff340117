// What the instrument receives from the settings page and its dialogs, compared with what it
// reported and what the user typed: identity texts with characters the keyboard filter refuses,
// a sensor selection cancelled or confirmed, and an upload whose write is never answered, with
// what the user and the serial log are told of the settings it left behind.
#include "SettingsRig.h"
#include "frmFsDialog.h"
#include "frmGasSel.h"

namespace qv::test {
namespace {

void Press(QWidget* target, int key, const QString& text) {
    QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(target, &event);
}

// The focus leaves an identity field, as a click elsewhere takes it.
void Leave(QWidget* field) {
    QFocusEvent out(QEvent::FocusOut, Qt::MouseFocusReason);
    QCoreApplication::sendEvent(field, &out);
}

// The next gas selection: the first gas picked, then OK (0) or Cancel (1).
void PickFirstGas(SettingsRig& rig, int button) {
    rig.dialogs.AnswerModal([button](QDialog& d) {
        auto& sel = static_cast<frmGasSel&>(d);
        sel.optGasList[0]->click();
        sel.cmdGasSel[static_cast<size_t>(button)]->click();
        return button == 0 ? 1 : 0;
    });
}

// Update, confirmed with Yes.
void Update(SettingsRig& rig) {
    rig.dialogs.AnswerMsgBox(vbYes);
    rig.option->cmdOption[0]->click();
}

TEST(IdentityTexts, CharactersAsReadStayWhenTheUserAddsToThem) {
    SettingsRig rig;
    QMap<QString, QString>& reads = rig.sim.sim.content().reads;
    reads["XS"] = "(a)[b]{c} ";
    reads["XZ"] = "u_s.r#1   ";
    reads["HN"] = "(d)-[e]     ";
    rig.ReadInstrument();
    OptionPage& page = *rig.option;
    QLineEdit* station = page.txtOption[1];
    QLineEdit* user = page.txtOption[2];
    ASSERT_EQ(station->text(), "(a)[b]{c}");
    ASSERT_EQ(user->text(), "u_s.r#1");

    // Typed at the end of the station: the field keeps what was read and takes the key.
    station->end(false);
    Press(station, Qt::Key_X, "X");
    EXPECT_EQ(station->text(), "(a)[b]{c}X");
    Press(station, Qt::Key_Y, "Y");  // an eleventh character
    EXPECT_EQ(station->text(), "(a)[b]{c}X");
    // Into the middle of the user: a key outside the set goes, a paste loses only its own
    // characters outside the set.
    user->setCursorPosition(3);
    Press(user, Qt::Key_Underscore, "_");
    EXPECT_EQ(user->text(), "u_s.r#1");
    user->insert("Q_R");
    EXPECT_EQ(user->text(), "u_sQR.r#1");
    EXPECT_EQ(user->cursorPosition(), 5);
    Leave(station);
    Leave(user);

    // The dummy serial of the factory dialog: a typed key is taken, a paste's "_" is refused
    // with the editor left open on what remains, then committed.
    rig.dialogs.AnswerModal([&](QDialog& d) {
        ui::FlexGrid& grid = *static_cast<frmFsDialog&>(d).vfgDatas;
        QLineEdit* editor = Begin(grid, 1, 1, grid.TextMatrix(1, 1));
        EXPECT_NE(editor, nullptr);
        if (!editor) return 0;
        EXPECT_EQ(editor->text(), "(d)-[e]");
        editor->end(false);
        Key(editor, Qt::Key_F, "F");
        editor->insert("_G");
        Key(editor, Qt::Key_Return);
        EXPECT_TRUE(grid.Editing());
        EXPECT_EQ(editor->text(), "(d)-[e]FG");
        Key(editor, Qt::Key_Return);
        EXPECT_FALSE(grid.Editing());
        static_cast<frmFsDialog&>(d).cmdOK->click();
        return d.result();
    });
    page.cmdOptionDisp_Click(6);

    // The serial number nobody touched is not written; each edited text goes as shown.
    Update(rig);
    EXPECT_EQ(rig.dialogs.messages().value(1), GetMessage(5311));
    EXPECT_EQ(rig.sim.Requests(),
              (QStringList{"XZ,W,u_sQR.r#1 ", "XS,W,(a)[b]{c}X", "HN,W,(d)-[e]FG   ", "DW,W,"}));
    EXPECT_TRUE(rig.sim.sim.Refused().isEmpty()) << rig.sim.sim.Refused().join(u'|').toStdString();
    auto back = std::make_shared<clsInstrument>();
    ASSERT_TRUE(rig.sim.link->GetInstrument(back));
    EXPECT_EQ(back->StationID(), "(a)[b]{c}X");
    EXPECT_EQ(back->UserId(), "u_sQR.r#1");
    EXPECT_EQ(back->DummySerial(), "(d)-[e]FG");
    EXPECT_EQ(back->SerialNo(), rig.CurInstrument->SerialNo());
}

// Service mode, gas 4's sensor switched off: ticking its Enable box and cancelling the gas
// selection leaves every setting and the grid as they were; an OK switches that sensor alone.
TEST(GasSelection, ACancelledSelectionWritesNoGasList) {
    SettingsRig rig;
    ServiceMode = true;
    GasComb.fill(true);
    // The built-in catalogue: gas 4's slot holds gases in other decimal places (CO, H2S, SO2,
    // Cl2), and its sensor is switched off.
    FillBuiltInGasTable();
    QStringList gases = rig.sim.sim.content().reads["GJ"].split(u',');
    ASSERT_EQ(gases.size(), 5);
    gases[3] = QString(18, u'*');
    // Full scales in the decimal places of their resolution, the form a written list has.
    gases[1] = "OXY  40.0  0.1VOL%";
    gases[2] = "H2S 100.0  0.5ppm ";
    rig.sim.sim.content().reads["GJ"] = gases.join(u',');
    rig.ReadInstrument();
    const clsInstrument& in = *rig.CurInstrument;
    ui::FlexGrid& grid = *rig.option->vfgOption;
    ASSERT_FALSE(in.GasEnabled(3));
    const auto flagged = [&in] {
        QString mask;
        for (int g = 0; g < 5; ++g)
            mask += in.Change_GasEnable(g) ? u'1' : u'0';
        return mask;
    };
    const auto shown = [&grid] {
        QStringList cells;
        for (int row = 2; row <= 6; ++row)
            for (int col = 0; col < grid.Cols(); ++col)
                cells << grid.TextMatrix(row, col) + (Ticked(grid, row, col) ? "[x]" : "");
        return cells;
    };
    ASSERT_EQ(flagged(), "00000");
    const QStringList before = shown();

    PickFirstGas(rig, 1);
    Tick(grid, 5, 1);
    EXPECT_EQ(flagged(), "00000");
    EXPECT_FALSE(in.GasEnabled(3));
    EXPECT_EQ(shown(), before);
    // Unticking gas 3 and answering No changes nothing either.
    rig.dialogs.AnswerMsgBox(vbNo);
    Tick(grid, 4, 1);
    EXPECT_EQ(flagged(), "00000");
    EXPECT_EQ(shown(), before);
    Update(rig);
    EXPECT_EQ(rig.sim.Requests(), QStringList{"DW,W,"});

    // OK with the gas picked: only gas 4 is switched, the others go as read.
    rig.dialogs.clear();
    rig.sim.sim.ClearReceived();
    PickFirstGas(rig, 0);
    Tick(grid, 5, 1);
    EXPECT_EQ(flagged(), "00010");
    Update(rig);
    EXPECT_EQ(rig.dialogs.messages().value(1), GetMessage(5311));
    const QStringList lists = rig.sim.Requests("GJ,W,");
    ASSERT_EQ(lists.size(), 1);
    QStringList expected = gases;
    expected[3] = "CO    500    1ppm ";
    EXPECT_EQ(lists[0], "GJ,W,11111," + expected.join(u','));
    EXPECT_TRUE(rig.sim.sim.Refused().isEmpty()) << rig.sim.sim.Refused().join(u'|').toStdString();
}

// Station, gas 1's warning level and the LCD contrast edited; the instrument never answers the
// level's write. The user and the serial log learn which settings it took and which not.
TEST(FailedUpload, TheMessageNamesWhatWasWrittenAndWhatWasNot) {
    SettingsRig rig;
    rig.ReadInstrument();
    OptionPage& page = *rig.option;
    page.txtOption[1]->setText("DOCK");
    Leave(page.txtOption[1]);
    ASSERT_EQ(Type(*page.vfgOption, 2, 1, "11"), Entry::Stored);
    rig.dialogs.AnswerModal([](QDialog& d) {
        auto& fs = static_cast<frmFsDialog&>(d);
        EXPECT_EQ(Type(*fs.vfgDatas, 13, 1, "10"), Entry::Stored);
        fs.cmdOK->click();
        return d.result();
    });
    page.cmdOptionDisp_Click(6);
    rig.sim.SilenceAt("A1,W,");
    rig.dialogs.clear();
    Update(rig);

    const QStringList sent = rig.sim.Requests();
    EXPECT_EQ(sent.mid(0, 2), (QStringList{"XS,W,DOCK      ", "UL,W,0A"}));
    EXPECT_EQ(sent.mid(2), QStringList(31, "A1,W,   11, 19.5, 10.0,   25,   10"));
    EXPECT_EQ(rig.sim.sim.SettingsCommits(), 0);
    const QString written = GetMessage(9400, {"Station ID, LCD Contrast"});
    const QString unanswered = GetMessage(9401, {"Warning level of gas 1"});
    const QString unsent = GetMessage(9402, {"Closing command of the upload"});
    ASSERT_EQ(rig.dialogs.messages().size(), 2);
    EXPECT_EQ(rig.dialogs.messages()[1],
              GetMessage(5373) + "\r\n" + written + "\r\n" + unanswered + "\r\n" + unsent);
    EXPECT_TRUE(rig.log.contains(written + QString::number(ui::RGB(255, 0, 0))));
    const QString serial = ReadSerialLog();
    for (const QString& line :
         {GetMessage(9400, {"Station ID"}), GetMessage(9400, {"LCD Contrast"}), unanswered, unsent})
        EXPECT_EQ(serial.count(line + "\r\n"), 1) << line.toStdString();
    EXPECT_LT(serial.indexOf(unsent), serial.indexOf("---Instrument Upload Failed---"));
    // The edits stay for another attempt; the instrument holds what it answered.
    EXPECT_TRUE(rig.CurInstrument->Change_Warn(0));
    EXPECT_EQ(rig.sim.sim.content().reads.value("XS"), "DOCK      ");
    EXPECT_EQ(rig.sim.sim.content().reads.value("UL"), "0A");

    // Cancelled during the first write: said in the status log, with what was left.
    rig.sim.sim.ClearFaults();
    rig.dialogs.clear();
    rig.log.clear();
    rig.sim.OnRequest(QString(), [&rig] { rig.sim.link->SetCancel(true); });
    Update(rig);
    EXPECT_EQ(rig.dialogs.messages(), QStringList{GetMessage(5309)});
    const int32_t red = ui::RGB(255, 0, 0);
    EXPECT_TRUE(rig.log.contains(GetMessage(9400, {GetMessage(9403)}) + QString::number(red)))
        << rig.log.join(u'|').toStdString();
    EXPECT_TRUE(rig.log.contains(GetMessage(9401, {"Station ID"}) + QString::number(red)));
    EXPECT_TRUE(rig.log.contains(
        GetMessage(9402, {"LCD Contrast, Warning level of gas 1, Closing command of the upload"}) +
        QString::number(red)));
}

}  // namespace
}  // namespace qv::test

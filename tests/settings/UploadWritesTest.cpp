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

}  // namespace
}  // namespace qv::test

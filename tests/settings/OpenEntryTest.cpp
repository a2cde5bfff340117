// An entry still open in a grid when a command runs: the command takes it as Enter takes it, so
// that what goes to the instrument is what the page shows. A refused entry stops every command
// of the page with its editor open and the reason told, and nothing is sent.
#include "SettingsRig.h"
#include "frmFsDialog.h"

namespace qv::test {
namespace {

TEST(OpenEntries, NoCommandRunsPastARefusedEntry) {
    SettingsRig rig;
    rig.ReadInstrument();
    OptionPage& page = *rig.option;
    const clsInstrument& in = *rig.CurInstrument;
    struct Command {
        QPushButton* button;
        ui::FlexGrid* grid;
        int row, col;
        QString typed;
        // What the editor shows after the refusal: the settings grid keeps the entry, the
        // calibration grid shows the stored value again.
        QString shown;
    };
    // Gas 4 (CO) has a full scale of 500; OXY takes no span gas above its warning level.
    const Command settings[] = {{page.cmdOption[0], page.vfgOption, 5, 2, "600", "600"},
                                {page.cmdOption[1], page.vfgOption, 3, 5, "20.9", "20.9"},
                                {page.cmdOption[2], page.vfgOption, 5, 2, "600", "600"}};
    const Command panel[] = {{page.cmdCal[0], page.vfgCal, 4, 2, "abc", "  100"},
                             {page.cmdCal[1], page.vfgCal, 4, 2, "600", "  100"},
                             {page.cmdCal[2], page.vfgCal, 2, 2, "20.9", " 12.0"}};
    const auto refuse = [&](const Command& c) {
        SCOPED_TRACE(c.button->text().toStdString());
        rig.dialogs.clear();
        rig.sim.sim.ClearReceived();
        QLineEdit* editor = Begin(*c.grid, c.row, c.col, c.typed);
        ASSERT_NE(editor, nullptr);
        c.button->click();
        EXPECT_EQ(rig.dialogs.messages(), QStringList{GetMessage(9200)});
        EXPECT_TRUE(c.grid->Editing());
        EXPECT_EQ(editor->text(), c.shown);
        EXPECT_TRUE(rig.sim.Requests().isEmpty()) << rig.sim.Requests().join(u'|').toStdString();
        EXPECT_FALSE(rig.upload);
        Key(editor, Qt::Key_Escape);
        EXPECT_FALSE(c.grid->Editing());
    };
    for (const Command& c : settings)
        refuse(c);
    EXPECT_FLOAT_EQ(in.Alarm(3), 50);
    EXPECT_FLOAT_EQ(in.AutoCalib(1), 12);
    EXPECT_FALSE(rig.CalibMode) << "the panel opened";

    page.cmdOption[2]->click();
    ASSERT_TRUE(rig.CalibMode);
    for (const Command& c : panel)
        refuse(c);
    EXPECT_TRUE(page.fraOption[2]->isVisibleTo(&rig.window)) << "the panel was left";
    EXPECT_EQ(rig.sim.sim.ZeroCalibration().channels, QString());
}

TEST(OpenEntries, AnAcceptedEntryIsWhatTheCommandSends) {
    SettingsRig rig;
    rig.ReadInstrument();
    OptionPage& page = *rig.option;
    const clsInstrument& in = *rig.CurInstrument;
    ASSERT_NE(Begin(*page.vfgOption, 5, 2, "60"), nullptr);
    rig.dialogs.AnswerMsgBox(vbYes);
    page.cmdOption[0]->click();
    EXPECT_EQ(rig.dialogs.messages(), (QStringList{GetMessage(5309), GetMessage(5311)}));
    EXPECT_EQ(rig.sim.Requests("A2,W,"), QStringList{"A2,W,   50, 18.0, 30.0,   60,   50"});
    EXPECT_FALSE(page.vfgOption->Editing());

    // A span concentration still being typed is the one calibrated with.
    page.cmdOption[2]->click();
    ASSERT_NE(Begin(*page.vfgCal, 1, 2, "25"), nullptr);
    page.cmdCal[1]->click();
    EXPECT_FLOAT_EQ(in.AutoCalib(0), 25);
    EXPECT_EQ(rig.sim.sim.SpanCalibration().concentrations.value(0), "   25");
}

// The factory settings are read from the dialog's grid as it shows them.
TEST(OpenEntries, TheFactoryDialogTakesItsOpenEntryOnOk) {
    SettingsRig rig;
    rig.ReadInstrument();
    frmFsDialog dialog(&rig.window);
    dialog.SetInstrument(rig.CurInstrument);
    rig.dialogs.AnswerModal([&](QDialog&) {
        // The dummy serial number takes at most twelve characters.
        QLineEdit* editor = Begin(*dialog.vfgDatas, 1, 1, "TOO-LONG-SERIAL");
        EXPECT_NE(editor, nullptr);
        dialog.cmdOK->click();
        EXPECT_TRUE(dialog.vfgDatas->Editing());
        EXPECT_EQ(rig.dialogs.messages(), QStringList{GetMessage(9200)});
        if (editor) editor->setText("NEW-SERIAL");
        dialog.cmdOK->click();
        return dialog.result();
    });
    EXPECT_EQ(dialog.ShowModal(), QDialog::Accepted);
    EXPECT_EQ(rig.CurInstrument->DummySerial(), "NEW-SERIAL");
    EXPECT_TRUE(rig.CurInstrument->Change_DummySerial());
}

}  // namespace
}  // namespace qv::test

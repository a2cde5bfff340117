// The factory-setting dialog driven through its grid while the scripted dialogs service shows
// it: rows filled from a settings object, the checks of each row kind, the read-back that
// copies and flags only what changed (tail zero and the oxygen pattern included), Cancel and
// the close box; no text cut, at its first size or any other; screenshots in both catalogue
// languages under the build folder. The dummy serial as read from the simulator, edited and
// uploaded.
#include "ScriptedDialogs.h"
#include "SettingsRig.h"
#include "TestSupport.h"
#include "TextFit.h"
#include "frmFsDialog.h"
#include "modGlobals.h"
#include "modMessage.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QLineEdit>
#include <QMap>
#include <tuple>
#include <utility>
#include <vector>

namespace qv::test {
namespace {

using ui::FlexGrid;

// The raised change flags by name, the per-gas ones with their gas.
QStringList RaisedFlags(const clsInstrument& i) {
    QStringList out;
#define QV_F(Name) \
    if (i.Change_##Name()) out << #Name;
#define QV_C(Name) \
    if (i.Change_##Name(g)) out << QString(#Name "(%1)").arg(g);
    // clang-format off
    QV_F(UserID) QV_F(StationID) QV_F(SerialNo) QV_F(DummySerial) QV_F(HCMode) QV_F(AlarmMode)
    QV_F(Interval) QV_F(DispID) QV_F(CalLimit) QV_F(DispCalLimit) QV_F(CalCheck) QV_F(LunchBreak)
    QV_F(AlarmSilence) QV_F(Confermation) QV_F(LogOverWrite) QV_F(LcdBackLight)
    QV_F(LcdContrast) QV_F(FlowAdjust) QV_F(FlowCheck) QV_F(AlarmO2)
    for (int g = 0; g < 5; ++g) {
        QV_C(GasPoint) QV_C(GasEnable) QV_C(Warn) QV_C(Alarm) QV_C(Stel) QV_C(Twa) QV_C(AutoCal)
        QV_C(Zero)
    }
    // clang-format on
#undef QV_F
#undef QV_C
    return out;
}

class FsDialog : public ::testing::Test {
  protected:
    void SetUp() override {
        SetCatalogueLanguage(CatalogueLanguage::English);
        AtCommandVersion = 2056;
        QDir().mkpath(QV_SCREENSHOT_DIR);
        auto& i = *inst;
        i.SetRomNumber(3000);  // takes the oxygen alarm pattern
        i.SetDummySerial("DS-1");
        i.SetHcMode(1);
        i.SetCalLimit(180);
        i.SetIntervals(60);
        i.SetLcdContrast(8);
        i.SetDispID(true);
        i.SetCalCheck(1);
        i.SetZero(2, 1);
        i.ClearChangeFlags();
        dialog.SetInstrument(inst);
    }

    // Shows the dialog and runs the script while it is on screen; the dialog's result.
    int Show(const std::function<void()>& script) {
        dialogs.AnswerModal([&](QDialog& d) {
            d.show();
            script();
            return d.result();
        });
        return dialog.ShowModal();
    }
    FlexGrid& grid() { return *dialog.vfgDatas; }
    QWidget* Editor() { return grid().indexWidget(grid().currentIndex()); }
    void Go(int row) {
        grid().SetRow(row);
        grid().SetCol(1);
    }
    // Puts a text (or list item) into a cell's editor and presses Return; true when the edit
    // was taken. A refused editor is closed with Escape.
    bool Edit(int row, const QString& text) {
        Go(row);
        grid().EditCell();
        if (auto* line = qobject_cast<QLineEdit*>(Editor())) line->setText(text);
        if (auto* combo = qobject_cast<QComboBox*>(Editor()))
            combo->setCurrentIndex(combo->findText(text));
        SendKey(Editor(), Qt::Key_Return);
        if (!grid().Editing()) return true;
        SendKey(Editor(), Qt::Key_Escape);
        return false;
    }
    void Tick(int row) {
        Go(row);
        SendKey(&grid(), Qt::Key_Space, " ");
    }

    ScriptedDialogs dialogs;
    std::shared_ptr<clsInstrument> inst = std::make_shared<clsInstrument>();
    frmFsDialog dialog;
};

TEST_F(FsDialog, RowsShowTheInstrumentByKind) {
    inst->SetChange_Zero(1, true);  // the caller's own flag stays the caller's
    Show([&] {
        ASSERT_EQ(grid().Rows(), 22);
        QStringList values, lists;
        for (int row = 1; row < 22; ++row) {
            Go(row);
            values << (grid().CellChecked() == FlexGrid::Checked ? "[x]" : "") +
                          grid().TextMatrix(row, 1);
            lists << grid().TextMatrix(row, 2);
        }
        EXPECT_EQ(
            values.join(','),
            "DS-1,LEL,Return,H-L,180,60,Off,Off,Off,Off,0,0,8,[x],,Dont Used,Off,Off,On,Off,Off");
        EXPECT_EQ(lists.mid(1, 6).join(','),
                  "Auto|LEL|vol,Return|Hold,H-L|L-LL,,10|20|30|60|180|300|600,Off|On");
        EXPECT_EQ(lists[15] + ',' + lists[20], "Used|Dont Used|None,Off|On");
        EXPECT_EQ(grid().TextMatrix(21, 0), "Tail Zero(Gas5)");
        EXPECT_EQ(grid().ColWidth(2), 0);
        EXPECT_TRUE(dialog.grab().save(QV_SCREENSHOT_DIR "/fsdialog-en.png", "PNG"));
        EXPECT_EQ(CutCells(grid()), QStringList{});
    });
    EXPECT_EQ(dialogs.asked().at(0).text, "QV-4170 Factory Setting");
}

TEST_F(FsDialog, EachRowKindChecksItsEntry) {
    const std::vector<std::tuple<int, QString, bool>> entries{
        {5, "99999", false},  // far out of range: refused, never an overflow
        {5, "1e999", false},         {5, "&H10", false}, {5, "1,5", false},   {5, "0", false},
        {5, "255.5", false},  // halves go to the even neighbour, 256
        {5, "254.5", true},          {5, " 1 ", true},   {5, "", true},       {11, "61", false},
        {11, "-0.4", true},          {12, "256", false}, {13, "16", false},   {13, "15", true},
        {1, "ABCDEFGHIJKLM", false}, {1, "AB#1", false}, {1, "AB-1 *z", true}};
    Show([&] {
        for (const auto& [row, text, taken] : entries) {
            SCOPED_TRACE(QString("row %1 \"%2\"").arg(row).arg(text).toStdString());
            const QString before = grid().TextMatrix(row, 1);
            EXPECT_EQ(Edit(row, text), taken);
            EXPECT_EQ(grid().TextMatrix(row, 1), taken ? text : before);
        }
    });
}

TEST_F(FsDialog, TheDummySerialTakesIdentityKeysAndBackspace) {
    Show([&] {
        Go(1);
        grid().EditCell();
        auto* line = qobject_cast<QLineEdit*>(Editor());
        ASSERT_NE(line, nullptr);
        line->setText("ABCDEFGHIJKL");
        line->end(false);
        SendKey(line, Qt::Key_M, "M");  // a thirteenth character
        SendKey(line, Qt::Key_Comma, ",");
        EXPECT_EQ(line->text(), "ABCDEFGHIJKL");
        line->cursorBackward(true);  // typed over a selection, a key leaves the length as it was
        SendKey(line, Qt::Key_M, "M");
        EXPECT_EQ(line->text(), "ABCDEFGHIJKM");
        SendKey(line, Qt::Key_Backspace, "\b");
        SendKey(line, Qt::Key_Backspace, "\b");
        SendKey(line, Qt::Key_9, "9");
        EXPECT_EQ(line->text(), "ABCDEFGHIJ9");
        SendKey(line, Qt::Key_Escape);
    });
}

TEST_F(FsDialog, OkCopiesAndFlagsOnlyWhatChanged) {
    inst->SetHcMode(3);      // outside the list: an empty cell, left alone
    inst->SetIntervals(45);  // not in the list: shown as it is, and left alone
    inst->ClearChangeFlags();
    inst->SetWarning(0, 5);  // an earlier edit of the caller's, still to be uploaded
    const int result = Show([&] {
        EXPECT_EQ(grid().TextMatrix(2, 1) + '|' + grid().TextMatrix(6, 1), "|45");
        EXPECT_TRUE(Edit(5, "90"));
        EXPECT_TRUE(Edit(19, "Off"));  // tail zero of gas 3
        EXPECT_TRUE(Edit(13, ""));     // an emptied number keeps its value
        Tick(15);
        // The same values again: nothing to send.
        for (auto [row, text] : {std::pair{3, "Return"}, {11, "0.0"}, {1, " DS-1"}})
            EXPECT_TRUE(Edit(row, text));
        dialog.cmdOK->click();
    });
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_EQ(std::tuple(inst->CalLimit(), inst->Zero(2), inst->DispCalLimit(), inst->HcMode(),
                         inst->Intervals(), inst->LcdContrast()),
              std::tuple(90, 0, true, 3, 45, 8));
    EXPECT_EQ(RaisedFlags(*inst).join(','), "CalLimit,DispCalLimit,Warn(0),Zero(2)");

    // The next showing starts from the object as it is now, with nothing flagged from before.
    inst->ClearChangeFlags();
    inst->SetChange_Zero(2, false);
    Show([&] {
        EXPECT_EQ(grid().TextMatrix(5, 1) + grid().TextMatrix(19, 1), "90Off");
        dialog.cmdOK->click();
    });
    EXPECT_EQ(RaisedFlags(*inst), QStringList{});
}

// An interval the list lacks is shown and offered as it is; only choosing another changes it.
TEST_F(FsDialog, AnIntervalOffTheListChangesOnlyWhenAnotherIsChosen) {
    inst->SetIntervals(120);
    inst->ClearChangeFlags();
    Show([&] {
        EXPECT_EQ(grid().TextMatrix(6, 1), "120");
        EXPECT_EQ(grid().TextMatrix(6, 2), "10|20|30|60|120|180|300|600");
        dialog.cmdOK->click();
    });
    EXPECT_EQ(inst->Intervals(), 120);
    EXPECT_EQ(RaisedFlags(*inst), QStringList{});
    Show([&] {
        EXPECT_TRUE(Edit(6, "180"));
        dialog.cmdOK->click();
    });
    EXPECT_EQ(inst->Intervals(), 180);
    EXPECT_EQ(RaisedFlags(*inst), QStringList{"Interval"});
}

// Resized, the grid and buttons follow the window; it never gets small enough to cut a text.
TEST_F(FsDialog, TheDialogLaysOutAgainWhenResized) {
    Show([&] {
        const QSize first = dialog.size();
        const QSize gridFirst = grid().size();
        const int valueWidth = grid().columnWidth(1);
        const int cancelMargin = dialog.width() - dialog.cmdCancel->geometry().right();
        dialog.resize(first + QSize(200, 150));
        QCoreApplication::processEvents();
        EXPECT_EQ(grid().size(), gridFirst + QSize(200, 150));
        EXPECT_GT(grid().columnWidth(1), valueWidth);
        EXPECT_EQ(dialog.width() - dialog.cmdCancel->geometry().right(), cancelMargin);
        EXPECT_GT(dialog.cmdOK->y(), grid().geometry().bottom());
        EXPECT_EQ(CutCells(grid()), QStringList{});
        dialog.resize(100, 100);
        QCoreApplication::processEvents();
        EXPECT_EQ(CutCells(grid()), QStringList{});
        EXPECT_GT(dialog.cmdOK->y(), grid().geometry().bottom());
    });
}

TEST_F(FsDialog, OxygenPatternNeedsANewerProgram) {
    for (const int rom : {2056, 2057}) {
        SCOPED_TRACE(rom);
        inst->SetRomNumber(rom);
        inst->SetLcdContrast(8);
        inst->ClearChangeFlags();
        dialogs.clear();
        const int result = Show([&] {
            EXPECT_TRUE(Edit(4, "L-LL"));
            EXPECT_TRUE(Edit(13, "15"));
            dialog.cmdOK->click();
        });
        EXPECT_EQ(result, QDialog::Accepted);
        const bool taken = rom > AtCommandVersion;
        EXPECT_EQ(std::tuple(inst->AlarmO2(), inst->LcdContrast()), std::tuple(taken ? 1 : 0, 15));
        EXPECT_EQ(RaisedFlags(*inst).join(','), taken ? "LcdContrast,AlarmO2" : "LcdContrast");
        // The refusal is said once, and the dialog still closes.
        EXPECT_EQ(dialogs.messages(), taken ? QStringList() : QStringList{GetMessage(8001)});
        EXPECT_EQ(dialogs.asked().back().title, taken ? "" : GetMessage(8002));
    }
}

TEST_F(FsDialog, CancelAndTheCloseBoxLeaveTheInstrumentAlone) {
    inst->SetChange_Zero(4, true);
    const QStringList flags = RaisedFlags(*inst);
    SetCatalogueLanguage(CatalogueLanguage::Japanese);
    for (const bool closeBox : {false, true}) {
        const int result = Show([&] {
            if (closeBox) {
                EXPECT_TRUE(dialog.grab().save(QV_SCREENSHOT_DIR "/fsdialog-ja.png"));
                EXPECT_EQ(CutCells(grid()), QStringList{});
            }
            EXPECT_TRUE(Edit(5, "7"));
            EXPECT_TRUE(Edit(19, "Off"));
            Tick(14);
            closeBox ? void(dialog.close()) : dialog.cmdCancel->click();
            EXPECT_FALSE(dialog.isVisible());
        });
        EXPECT_EQ(result, QDialog::Rejected);
        EXPECT_EQ(std::tuple(inst->CalLimit(), inst->Zero(2), inst->DispID()),
                  std::tuple(180, 1, true));
        EXPECT_EQ(RaisedFlags(*inst), flags);
    }
}

// Plays keys into an editor: '<' Home, '>' End, '{' Left, '\b' Backspace, any other character
// typed; text between '|' marks is pasted.
void Play(QLineEdit& editor, const QString& script) {
    const QMap<QChar, int> keys{{u'<', Qt::Key_Home},
                                {u'>', Qt::Key_End},
                                {u'{', Qt::Key_Left},
                                {u'\b', Qt::Key_Backspace}};
    const QStringList parts = script.split(u'|');
    for (qsizetype i = 0; i < parts.size(); ++i) {
        if (i % 2) editor.insert(parts[i]);
        for (const QChar c : i % 2 ? QString() : parts[i])
            Key(&editor, keys.value(c, c.toUpper().unicode()), keys.contains(c) ? "" : QString(c));
    }
}

// The dummy serial read with characters that cannot be typed, edited at several places in one
// session: every character read stays; a paste loses only its characters outside the identity
// set, and the editor stays open once on what is left. The upload writes what OK left.
TEST(FsDialogSerial, ReadCharactersStayWhereverOneSessionEdits) {
    for (const auto& [script, committed] :
         std::vector<std::pair<QString, QString>>{{"", "(d)-[e]"},  // not edited: not written
                                                  {"<F>G", "F(d)-[e]G"},
                                                  {">{{{{\b<2", "2(d-[e]"},
                                                  {">Z{{{{{|_K|L", "(d)KL-[e]Z"}}) {
        SCOPED_TRACE(script.toStdString());
        SettingsRig rig;
        rig.sim.sim.content().reads["HN"] = "(d)-[e]     ";
        rig.ReadInstrument();
        rig.dialogs.AnswerModal([&](QDialog& d) {
            FlexGrid& grid = *static_cast<frmFsDialog&>(d).vfgDatas;
            QLineEdit* editor = Begin(grid, 1, 1, grid.TextMatrix(1, 1));
            EXPECT_NE(editor, nullptr);
            if (!editor) return 0;
            Play(*editor, script);
            Key(editor, Qt::Key_Return);
            EXPECT_EQ(grid.Editing(), script.contains(u'|'));
            if (grid.Editing()) {
                EXPECT_EQ(editor->text(), committed);
                Key(editor, Qt::Key_Return);
            }
            EXPECT_EQ(grid.TextMatrix(1, 1), committed);
            static_cast<frmFsDialog&>(d).cmdOK->click();
            return d.result();
        });
        rig.option->cmdOptionDisp_Click(6);
        rig.dialogs.AnswerMsgBox(vbYes);
        rig.option->cmdOption[0]->click();
        EXPECT_EQ(
            rig.sim.Requests("HN,"),
            script.isEmpty() ? QStringList{} : QStringList{"HN,W," + committed.leftJustified(12)});
        auto back = std::make_shared<clsInstrument>();
        ASSERT_TRUE(rig.sim.link->GetInstrument(back));
        EXPECT_EQ(back->DummySerial(), committed);
    }
}

// Shift with a cursor key, as a selection is made from the keyboard.
void Select(QLineEdit& editor, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::ShiftModifier);
    QCoreApplication::sendEvent(&editor, &press);
}

// Only typed characters meet the dummy serial's filter: Delete, sent as X11 and Wayland send it
// (with the text "\x7f"), the cursor keys and a selection edit as in any text field. A paste cut
// to the typing set holds the editor open only in its own session: left with Escape and opened
// again, one Return commits the next entry. The upload writes what the edits left.
TEST(FsDialogSerial, EditingKeysEditAndOnlyTypedCharactersAreFiltered) {
    SettingsRig rig;
    rig.sim.sim.content().reads["HN"] = "ABCDEF      ";
    rig.ReadInstrument();
    rig.dialogs.AnswerModal([&](QDialog& d) {
        FlexGrid& grid = *static_cast<frmFsDialog&>(d).vfgDatas;
        const auto open = [&grid] { return Begin(grid, 1, 1, grid.TextMatrix(1, 1)); };
        QLineEdit* editor = open();
        EXPECT_NE(editor, nullptr);
        if (!editor) return 0;
        Key(editor, Qt::Key_Home);
        Key(editor, Qt::Key_Delete, "\x7f");
        Key(editor, Qt::Key_Return);
        EXPECT_FALSE(grid.Editing());
        EXPECT_EQ(grid.TextMatrix(1, 1), "BCDEF");

        editor = open();
        Key(editor, Qt::Key_End);
        Key(editor, Qt::Key_Left);
        Select(*editor, Qt::Key_Left);
        Select(*editor, Qt::Key_Left);
        EXPECT_EQ(editor->selectedText(), "DE");
        Key(editor, Qt::Key_Delete, "\x7f");
        EXPECT_EQ(editor->text(), "BCF");
        editor->insert("_");  // cut at once, and left without a Return
        EXPECT_EQ(editor->text(), "BCF");
        Key(editor, Qt::Key_Escape);
        EXPECT_EQ(grid.TextMatrix(1, 1), "BCDEF");

        editor = open();
        Key(editor, Qt::Key_End);
        Key(editor, Qt::Key_G, "G");
        Key(editor, Qt::Key_Return);
        EXPECT_FALSE(grid.Editing());
        EXPECT_EQ(grid.TextMatrix(1, 1), "BCDEFG");
        static_cast<frmFsDialog&>(d).cmdOK->click();
        return d.result();
    });
    rig.option->cmdOptionDisp_Click(6);
    rig.dialogs.AnswerMsgBox(vbYes);
    rig.option->cmdOption[0]->click();
    EXPECT_EQ(rig.sim.Requests("HN,"), QStringList{"HN,W,BCDEFG      "});
    auto back = std::make_shared<clsInstrument>();
    ASSERT_TRUE(rig.sim.link->GetInstrument(back));
    EXPECT_EQ(back->DummySerial(), "BCDEFG");
}

}  // namespace
}  // namespace qv::test

// The option page against the simulated instrument: what each grid entry stores or refuses, the
// order marks, the edit flags an untouched page leaves alone, the identity fields, interval and
// clocks, and sensor changes in service mode reaching the instrument.
#include "Dates.h"
#include "SettingsRig.h"
#include "TextFit.h"
#include "frmGasSel.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QRadioButton>
#include <QScopeGuard>

namespace qv::test {
namespace {

TEST(OptionGrid, EntriesAreCheckedRoundedAndStored) {
    SettingsRig rig;
    rig.ReadInstrument();
    clsInstrument& in = *rig.CurInstrument;
    ui::FlexGrid& grid = *rig.option->vfgOption;
    EXPECT_TRUE(rig.option->cmdOption[0]->isEnabled());

    // Columns 1 warning, 2 alarm, 3 STEL, 5 span gas; rows 2 to 6 gases 1 to 5.
    float (clsInstrument::*const level[])(int)
        const = {nullptr, &clsInstrument::Warning,  &clsInstrument::Alarm, &clsInstrument::Stel,
                 nullptr, &clsInstrument::AutoCalib};
    const struct {
        int gas, col;
        const char* text;
        Entry result;
        float stored;
        const char* shown;
    } entries[] = {
        {2, 2, "10.3", Entry::Stored, 10.5f, " 10.5"},   // resolution 0.5
        {2, 2, "10.25", Entry::Stored, 10.0f, " 10.0"},  // 20.5 steps: half to even
        {0, 1, "0", Entry::Stored, -1, "-----"},         // 0 turns the level off
        {0, 1, "  7 ", Entry::Stored, 7, "    7"},
        {0, 1, "--", Entry::Stored, -1, "-----"},
        {2, 3, "", Entry::Stored, -1, "-----"},
        {0, 1, "101", Entry::Refused, -1, "-----"},  // above the full scale
        {0, 1, "-5", Entry::Refused, -1, "-----"},
        {0, 1, "1e2", Entry::Refused, -1, "-----"},  // plain decimals only
        {0, 1, "1,5", Entry::Refused, -1, "-----"},
        {0, 3, "5", Entry::NoEditor, -1, "-----"},   // gases 1 and 2 have no STEL
        {3, 5, "20", Entry::Refused, 100, "  100"},  // below the warning level
        {3, 5, "30", Entry::Stored, 30, "   30"},
        {1, 5, "20.9", Entry::Refused, 12, " 12.0"},  // oxygen: above its alarm level
        {1, 5, "0", Entry::Stored, 0, "  0.0"},
        // Typed halves go to the even step, by their digits.
        {1, 1, "19.45", Entry::Stored, 19.4f, " 19.4"},
        {1, 1, "19.55", Entry::Stored, 19.6f, " 19.6"},
        // Only 0 switches a level off: an entry below one step is no level.
        {1, 2, "0.05", Entry::Refused, 18.0f, " 18.0"},
        {2, 2, "0.2", Entry::Refused, 10.0f, " 10.0"},
        {0, 2, ".5", Entry::Refused, 50, "   50"},
        {0, 2, ".6", Entry::Stored, 1, "    1"},
    };
    for (const auto& e : entries) {
        SCOPED_TRACE(
            QStringLiteral("%1,%2 \"%3\"").arg(e.gas).arg(e.col).arg(e.text).toStdString());
        EXPECT_EQ(Type(grid, e.gas + 2, e.col, e.text), e.result);
        EXPECT_FLOAT_EQ((in.*level[e.col])(e.gas), e.stored);
        EXPECT_EQ(grid.TextMatrix(e.gas + 2, e.col), e.shown);
    }
    EXPECT_EQ(rig.option->vfgCal->TextMatrix(4, 2), "   30");  // mirrored
    // A step that cannot round the entry within range refuses it rather than storing it raw.
    in.SetGasDesit(3, 0.001f);
    EXPECT_EQ(Type(grid, 5, 1, "50"), Entry::Refused);

    // Alarm below warning: both cells red.
    EXPECT_EQ(Type(grid, 5, 2, "5"), Entry::Stored);
    EXPECT_EQ(ColorAt(grid, 5, 1), ui::RGB(255, 0, 0));
    EXPECT_EQ(ColorAt(grid, 5, 2), ui::RGB(255, 0, 0));
    EXPECT_EQ(ColorAt(grid, 3, 2), 0);  // oxygen 19.5 / 18.0 alarms falling
    EXPECT_FALSE(in.Change_Twa(3) || in.Change_Interval() || in.Change_UserID());
}

TEST(OptionFields, IntervalIdentityAndClocks) {
    SettingsRig rig;
    rig.sim.sim.content().reads["XP"] = "0078";  // 120 s: not in the list
    rig.ReadInstrument();
    clsInstrument& in = *rig.CurInstrument;
    QComboBox* list = rig.option->cmbInterval;
    EXPECT_EQ(list->currentText(), "120");
    EXPECT_FALSE(in.Change_Interval());
    list->setCurrentIndex(list->findText("180"));
    emit list->activated(list->currentIndex());
    EXPECT_EQ(in.Intervals(), 180);
    EXPECT_TRUE(in.Change_Interval());

    QLineEdit* station = rig.option->txtOption[1];
    station->setText("DOCK");
    for (const auto& [key, taken] :
         {std::pair{'a', true}, {'-', true}, {'_', false}, {'\b', true}, {',', false}}) {
        int ascii = key;
        rig.option->txtOption_KeyPress(1, ascii);
        EXPECT_EQ(ascii != 0, taken) << key;
    }
    EXPECT_EQ(in.StationID(), "DOCK");  // the text before the key
    station->setText("0123456789");
    int eleventh = 'X';
    rig.option->txtOption_KeyPress(1, eleventh);
    EXPECT_EQ(eleventh, 0);
    // Pasted text keeps only what could be typed: no comma ever reaches a frame.
    station->clear();
    station->insert("AB,C_D-e*0123456");
    EXPECT_EQ(station->text(), "ABCD-e*012");
    // The upload's commit takes the fields that differ from the settings, and only those.
    in.ClearChangeFlags();
    rig.option->txtOption[2]->setText("  ");
    rig.option->CommitIdentityFields();
    EXPECT_EQ(in.StationID(), "ABCD-e*012");
    EXPECT_EQ(in.UserId(), "*");
    EXPECT_FALSE(in.Change_SerialNo());

    // The instrument's clock as read ten minutes behind, running on.
    in.SetSysDateOffset(rt::AddSeconds(rt::ZeroDate(), 600));
    rig.option->ShowClocks();
    EXPECT_EQ(rig.option->lblOption[6]->text(), GeneralDate(rt::AddSeconds(rt::Now(), -600)));
}

// The instrument's clock is shown only as read with the settings on show: never while the
// instrument is connected but not read, nor once those settings are no longer shown.
TEST(OptionFields, AnInstrumentClockNotReadStaysEmpty) {
    SettingsRig rig;
    OptionPage& page = *rig.option;
    const auto second = [&] {
        page.lblOption[5]->setProperty("Tag", QString());  // as a new second does
        page.ShowClocks();
        EXPECT_EQ(page.lblOption[5]->text(), GeneralDate(rt::Now()));
        return page.lblOption[6]->text();
    };
    ASSERT_TRUE(rig.sim.Connect());
    ASSERT_NE(rig.sim.link->Status(), StatusInitial);
    EXPECT_EQ(second(), "");

    rig.ReadInstrument();
    rig.CurInstrument->SetSysDateOffset(rt::AddSeconds(rt::ZeroDate(), 600));
    EXPECT_EQ(second(), GeneralDate(rt::AddSeconds(rt::Now(), -600)));
    // Connected anew: the clock read belongs to the connection before.
    rig.CurInstrument->SetCommFlags(false);
    EXPECT_EQ(second(), "");
    rig.CurInstrument->SetCommFlags(true);
    EXPECT_NE(second(), "");
    // The instrument gone (the link back at its start-up state).
    rig.sim.link->SetStatus(StatusInitial);
    page.ShowClocks();
    EXPECT_EQ(page.lblOption[6]->text(), "");
}

// The identity fields with the keyboard alone: typed characters are filtered, editing keys and
// the clipboard work, and a paste is cut to what could have been typed.
TEST(OptionFields, EditingKeysCorrectTheIdentityFields) {
    SettingsRig rig;
    rig.ReadInstrument();
    QLineEdit* serial = rig.option->txtOption[0];
    const auto press = [serial](int key, const QString& text,
                                Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QKeyEvent event(QEvent::KeyPress, key, modifiers, text);
        QCoreApplication::sendEvent(serial, &event);
    };
    ASSERT_EQ(serial->text(), "SN1234567890");  // full
    serial->setCursorPosition(0);
    press(Qt::Key_Delete, "\x7f");
    EXPECT_EQ(serial->text(), "N1234567890");
    serial->end(false);
    press(Qt::Key_Backspace, "\b");
    EXPECT_EQ(serial->text(), "N123456789");
    // In a full field a typed character replaces a selection, and only then goes in.
    serial->setText("SN1234567890");
    press(Qt::Key_A, "A");
    press(Qt::Key_Underscore, "_");
    EXPECT_EQ(serial->text(), "SN1234567890");
    serial->setSelection(2, 4);
    press(Qt::Key_X, "X");
    EXPECT_EQ(serial->text(), "SNX567890");

    press(Qt::Key_A, "\x01", Qt::ControlModifier);
    EXPECT_EQ(serial->selectedText(), "SNX567890");
    press(Qt::Key_C, "\x03", Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "SNX567890");
    press(Qt::Key_X, "\x18", Qt::ControlModifier);
    EXPECT_TRUE(serial->text().isEmpty());
    QGuiApplication::clipboard()->setText("ab_c,DEF-1234567890");
    press(Qt::Key_V, "\x16", Qt::ControlModifier);
    EXPECT_EQ(serial->text(), "abcDEF-12345");
    rig.option->txtOption_Validate(0);
    EXPECT_EQ(rig.CurInstrument->SerialNo(), "abcDEF-12345");
}

// Service mode: a sensor taken out after a question, put in from the catalogue (OK only once a
// gas is picked), the change uploaded; a fixed sensor stays.
TEST(OptionGrid, ServiceModeSensorChangesReachTheInstrument) {
    SettingsRig rig;
    ServiceMode = true;
    rig.ReadInstrument();
    ui::FlexGrid& grid = *rig.option->vfgOption;
    clsInstrument& in = *rig.CurInstrument;
    EXPECT_EQ(grid.TextMatrix(6, 7), "   10");  // the factory value taken from the instrument

    rig.dialogs.AnswerMsgBox(vbNo);
    Tick(grid, 6, 1);
    EXPECT_TRUE(in.GasEnabled(4));
    rig.dialogs.AnswerMsgBox(vbYes);
    Tick(grid, 6, 1);
    EXPECT_FALSE(in.GasEnabled(4));
    EXPECT_FALSE(Ticked(*rig.option->vfgCal, 5, 1));

    bool okBeforePick = true;
    rig.dialogs.AnswerModal([&](QDialog& d) {
        auto& sel = static_cast<frmGasSel&>(d);
        okBeforePick = sel.cmdGasSel[0]->isEnabled();
        EXPECT_EQ(sel.OptionsPerLine(), 3);
        sel.cmdGasSel_Click(0);  // nothing picked: no OK
        sel.cmdGasSel_Click(1);
        return 0;
    });
    Tick(grid, 6, 1);
    EXPECT_FALSE(okBeforePick);
    EXPECT_FALSE(Ticked(grid, 6, 1));
    rig.dialogs.AnswerModal([](QDialog& d) {
        auto& sel = static_cast<frmGasSel&>(d);
        sel.optGasList[2]->click();
        sel.cmdGasSel[0]->click();
        return 1;
    });
    Tick(grid, 6, 1);
    EXPECT_EQ(grid.TextMatrix(6, 0), "SO2(ppm)");
    EXPECT_EQ(grid.TextMatrix(6, 2), "  2.0");
    Tick(grid, 3, 1);  // the oxygen sensor's cell refuses the click
    EXPECT_TRUE(Ticked(grid, 3, 1));

    // The new sensor's settings and tail zero go out with the next upload.
    ASSERT_TRUE(rig.sim.link->SetInstrument(rig.CurInstrument));
    const QStringList sent = rig.sim.Requests();
    EXPECT_TRUE(sent.contains("UZ,W,00001")) << sent.join(u'|').toStdString();
    EXPECT_EQ(sent.filter("GJ,W,11111,").value(0).right(18), "SO2  20.0  0.5ppm ");
    EXPECT_TRUE(rig.sim.sim.Refused().isEmpty()) << rig.sim.sim.Refused().join(u'|').toStdString();
}

// The Set page's grids show their headings and values whole on the page of the window at its
// smallest, in both languages, with service mode's extra columns and the calibration panel.
TEST(OptionGrid, HeadingsAndValuesAreWholeInTheSmallestWindow) {
    SettingsRig rig;
    ServiceMode = true;
    const auto normal = qScopeGuard([] { ServiceMode = false; });
    rig.ReadInstrument();
    // The page of a window of 11500 by 5000 twips, less the button column and the margins.
    rig.option->resize(ui::ToPixelsX(11500 * 0.88 - 240), ui::ToPixelsY(5000 - 180));
    for (const CatalogueLanguage language :
         {CatalogueLanguage::English, CatalogueLanguage::Japanese}) {
        SetCatalogueLanguage(language);
        rig.option->SetCaptions();
        rig.option->ShowOptionGrid();
        rig.option->LayoutPage();
        EXPECT_EQ(CutCells(*rig.option->vfgOption), QStringList());
        rig.option->ShowCalibrationGrid();
        rig.option->ShowCalibrationPanel(true);
        rig.option->LayoutPage();
        EXPECT_EQ(CutCells(*rig.option->vfgCal), QStringList());
        rig.option->ShowCalibrationPanel(false);
    }
}

}  // namespace
}  // namespace qv::test

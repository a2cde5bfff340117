// Settings that travel together in one write go back as the instrument sent them when nobody
// changed them: the tail-zero digit of each gas, and each gas's entry of the gas list with its
// blanks and decimal places.
#include "SettingsRig.h"
#include "frmFsDialog.h"

#include <QComboBox>
#include <QScopeGuard>

namespace qv::test {
namespace {

constexpr int kTailZeroGas1 = 17;

// The sensor combinations the start-up allows: every one with gases 1 and 2.
void AllowStartUpCombinations() {
    for (size_t mask = 3; mask < 32; mask += 4)
        GasComb[mask] = true;
}

// Picks an item of a list row of the factory-setting dialog's grid.
void Pick(ui::FlexGrid& grid, int row, const QString& item) {
    grid.SetRow(row);
    grid.SetCol(1);
    grid.EditCell();
    auto* combo = qobject_cast<QComboBox*>(grid.indexWidget(grid.currentIndex()));
    ASSERT_NE(combo, nullptr);
    combo->setCurrentIndex(combo->findText(item));
    Key(combo, Qt::Key_Return);
    EXPECT_FALSE(grid.Editing());
}

TEST(AsRead, TailZeroDigitsNobodyChangedGoBackAsRead) {
    sim::Content content = sim::DefaultContent();
    content.reads["UZ"] = "10210";
    SettingsRig rig(content);
    ServiceMode = true;
    const auto normal = qScopeGuard([] { ServiceMode = false; });
    AllowStartUpCombinations();
    rig.ReadInstrument();
    EXPECT_EQ(rig.CurInstrument->Zero(2), 2);

    QStringList shown;
    rig.dialogs.AnswerModal([&](QDialog& d) {
        auto& dialog = static_cast<frmFsDialog&>(d);
        d.show();
        ui::FlexGrid& grid = *dialog.vfgDatas;
        for (int gas = 0; gas < 5; ++gas)
            shown << grid.TextMatrix(kTailZeroGas1 + gas, 1);
        Pick(grid, kTailZeroGas1, "Off");
        dialog.cmdOK->click();
        return d.result();
    });
    rig.option->cmdOptionDisp[6]->click();
    // A digit the list has no item for shows none, and stays as it was.
    EXPECT_EQ(shown, (QStringList{"On", "Off", "", "On", "Off"}));

    rig.dialogs.AnswerMsgBox(vbYes);
    rig.option->cmdOption[0]->click();
    EXPECT_EQ(rig.dialogs.messages().last(), GetMessage(5311));
    EXPECT_EQ(rig.sim.Requests(), (QStringList{"UZ,W,00210", "DW,W,"}));
    EXPECT_EQ(rig.sim.sim.content().reads["UZ"], "00210");
}

// Names and units with their blanks, numbers in places that the resolution would not give
// (a full scale of 100.0 with a resolution of 0.05 cannot be written in two places at all): a
// sensor nobody changed goes back in the entry it was read in when another sensor is switched
// off.
TEST(AsRead, GasListEntriesNobodyChangedGoBackAsRead) {
    sim::Content content = sim::DefaultContent();
    const QStringList entries{"CH4   100    1%LEL", "OXY  40.0  0.1 %  ", "H2S 100.0 0.05ppm ",
                              " CO   500    1 ppm", "HC    100    1%LEL"};
    content.reads["GJ"] = entries.join(u',');
    SettingsRig rig(content);
    ServiceMode = true;
    const auto normal = qScopeGuard([] { ServiceMode = false; });
    AllowStartUpCombinations();
    rig.ReadInstrument();
    ASSERT_EQ(rig.CurInstrument->GasPoint(2), 2);

    rig.dialogs.AnswerMsgBox(vbYes);
    Tick(*rig.option->vfgOption, 6, 1);  // gas 5's sensor out
    ASSERT_FALSE(rig.CurInstrument->GasEnabled(4));
    rig.dialogs.AnswerMsgBox(vbYes);
    rig.option->cmdOption[0]->click();
    EXPECT_EQ(rig.dialogs.messages().last(), GetMessage(5311));
    QStringList expected = entries;
    expected[4] = QString(18, u'*');
    EXPECT_EQ(rig.sim.Requests("GJ,W,"), QStringList{"GJ,W,11110," + expected.join(u',')});
    EXPECT_TRUE(rig.sim.sim.Refused().isEmpty()) << rig.sim.sim.Refused().join(u'|').toStdString();
}

}  // namespace
}  // namespace qv::test

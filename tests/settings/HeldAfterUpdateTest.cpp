// After every Update the instrument holds what the page shows: each Update is judged against what
// the instrument took in the one before, not against the first read, and after a failed one only
// what was answered counts as held (the order of a gas's levels included). Checked by reading the
// instrument back after each Update and comparing the page before and after.
#include "Runtime.h"
#include "SettingsWindow.h"
#include "frmGasSel.h"
#include "modGasChecks.h"

#include <QScopeGuard>

namespace qv::test {
namespace {

// The writes the instrument received since the last clear.
QStringList Writes(const sim::InstrumentSimulator& sim) {
    QStringList out;
    for (const QString& r : sim.Received())
        if (r.mid(2, 3) == u",W,") out << r;
    return out;
}

// The five gases' settings of an instrument as the option page shows them: sensor on or off,
// its gas, its levels and span concentration in their places, and the tail-zero digit.
QStringList Settings(const clsInstrument& in) {
    QStringList out;
    for (int g = 0; g < 5; ++g) {
        QString gas = in.GasEnabled(g)
                          ? rt::Trim(in.GasName(g)) + u'(' + rt::Trim(in.GasUnit(g)) + u')'
                          : QStringLiteral("off");
        for (const GasLevel kind :
             {GasLevel::Warning, GasLevel::Alarm, GasLevel::Stel, GasLevel::Twa, GasLevel::AutoCal})
            gas += u'|' + LevelText(in, g, kind);
        out << gas + u'|' + QString::number(in.Zero(g));
    }
    return out;
}

// The next gas selection picks the catalogue's entry `choice`, then OK.
void Pick(ScriptedDialogs& dialogs, int choice) {
    dialogs.AnswerModal([choice](QDialog& d) {
        auto& sel = static_cast<frmGasSel&>(d);
        sel.optGasList[static_cast<size_t>(choice)]->click();
        sel.cmdGasSel[0]->click();
        return 1;
    });
}

// A sensor switched off (Yes), or switched on with the catalogue's entry `choice`.
void SensorOff(ScriptedDialogs& dialogs, ui::FlexGrid& grid, int gas) {
    dialogs.AnswerMsgBox(vbYes);
    Tick(grid, gas + 2, 1);
}
void SensorOn(ScriptedDialogs& dialogs, ui::FlexGrid& grid, int gas, int choice) {
    Pick(dialogs, choice);
    Tick(grid, gas + 2, 1);
}

const QString kOff(18, u'*');
const QString kH2s = QStringLiteral("H2S 100.0  0.5ppm ");
const QString kCo = QStringLiteral("CO    500    1ppm ");

class HeldAfterUpdate : public SettingsWindow {
  protected:
    void SetUp() override {
        SettingsWindow::SetUp();
        ServiceMode = true;
        read_ = sim.content().reads;
        StartRead();
        main->cmdInst_Click(4);
    }
    ui::FlexGrid& Grid() { return *main->pageOption->vfgOption; }

    // Update, confirmed; the writes it made, after "Upload Complete." was checked. The
    // instrument is then read back into an object of its own: it holds what the page shows.
    // (A read into the page's own object would hide what the page makes of the Update before.)
    QStringList UpdateAndReadBack() {
        sim.ClearReceived();
        dialogs_->clear();
        dialogs_->AnswerMsgBox(vbYes);
        main->pageOption->cmdOption[0]->click();
        EXPECT_EQ(dialogs_->messages().value(1), GetMessage(5311));
        EXPECT_TRUE(sim.Refused().isEmpty()) << sim.Refused().join(u'|').toStdString();
        const QStringList writes = Writes(sim);
        auto back = std::make_shared<clsInstrument>();
        EXPECT_TRUE(main->uclQV4170.GetInstrument(back));
        main->uclQV4170.SetInstrumentObject(main->CurInstrument);
        EXPECT_EQ(Settings(*back), Settings(*main->CurInstrument));
        return writes;
    }
    QString GasList(const QString& mask, const QMap<int, QString>& entries) const {
        QStringList fields = read_.value("GJ").split(u',');
        for (auto it = entries.begin(); it != entries.end(); ++it)
            fields[it.key()] = it.value();
        return "GJ,W," + mask + u',' + fields.join(u',');
    }
    QString Held(const QString& code) { return sim.content().reads.value(code); }

    QMap<QString, QString> read_;
};

// Gas 3 (H2S) off by one Update and on again with the same gas by the next; then swapped to CO
// and back to H2S across two more. Every gas list reaches the instrument.
TEST_F(HeldAfterUpdate, ASensorSwitchedAndSwitchedBackAcrossUpdatesIsWrittenEachTime) {
    SensorOff(*dialogs_, Grid(), 2);
    QStringList writes = UpdateAndReadBack();
    EXPECT_EQ(writes, (QStringList{GasList("11011", {{2, kOff}}), "DW,W,"}));
    EXPECT_EQ(Held("GJ").section(u',', 2, 2), kOff);

    SensorOn(*dialogs_, Grid(), 2, 0);
    writes = UpdateAndReadBack();
    EXPECT_EQ(writes.value(0), GasList("11111", {{2, kH2s}}));
    EXPECT_EQ(Held("GJ").section(u',', 2, 2), kH2s);

    SensorOff(*dialogs_, Grid(), 2);
    SensorOn(*dialogs_, Grid(), 2, 1);
    writes = UpdateAndReadBack();
    ASSERT_EQ(writes.value(0), GasList("11111", {{2, kCo}}));
    EXPECT_EQ(Held("GJ").section(u',', 2, 2), kCo);

    SensorOff(*dialogs_, Grid(), 2);
    SensorOn(*dialogs_, Grid(), 2, 0);
    writes = UpdateAndReadBack();
    EXPECT_EQ(writes.value(0), GasList("11111", {{2, kH2s}}));
    EXPECT_EQ(Held("GJ").section(u',', 2, 2), kH2s);
    // The levels that went with it are H2S's, in its places.
    EXPECT_EQ(Held("A1").section(u',', 2, 2), " 10.0");
}

// A level typed equal to the one read, after the channel's sensor changed, goes in the new
// sensor's places; a level changed and changed back goes each time, and so does a tail-zero
// digit.
TEST_F(HeldAfterUpdate, ALevelIsWrittenInThePlacesOfTheSensorItBelongsTo) {
    ASSERT_EQ(read_.value("A1").section(u',', 3, 3), "   25");  // gas 4, CO
    SensorOff(*dialogs_, Grid(), 3);
    SensorOn(*dialogs_, Grid(), 3, 1);  // H2S, one place
    // The factory span, in H2S's places as soon as the sensor is picked.
    EXPECT_EQ(Grid().TextMatrix(5, 7), "100.0");
    ASSERT_EQ(Type(Grid(), 5, 2, "25"), Entry::Stored);
    EXPECT_EQ(Grid().TextMatrix(5, 2), " 25.0");
    EXPECT_EQ(Grid().TextMatrix(5, 7), "100.0");
    QStringList writes = UpdateAndReadBack();
    EXPECT_EQ(writes.filter("A1,W,"), QStringList{"A1,W,   10, 19.5, 10.0, 25.0,   10"});
    EXPECT_EQ(writes.filter("UZ,W,"), QStringList{"UZ,W,00010"});

    ASSERT_EQ(Type(Grid(), 2, 2, "12"), Entry::Stored);
    writes = UpdateAndReadBack();
    EXPECT_EQ(writes.filter("A1,W,"), QStringList{"A1,W,   12, 19.5, 10.0, 25.0,   10"});
    ASSERT_EQ(Type(Grid(), 2, 2, "10"), Entry::Stored);
    writes = UpdateAndReadBack();
    EXPECT_EQ(writes.filter("A1,W,"), QStringList{"A1,W,   10, 19.5, 10.0, 25.0,   10"});
    EXPECT_EQ(Held("A1"), "   10, 19.5, 10.0, 25.0,   10");
}

// Update on the rig, confirmed when asked; the messages shown.
QStringList Update(SettingsRig& rig) {
    rig.sim.sim.ClearReceived();
    rig.dialogs.clear();
    rig.dialogs.AnswerMsgBox(vbYes);
    rig.option->cmdOption[0]->click();
    return rig.dialogs.messages();
}

// The instrument read back into an object of its own, the page's left as the page made it.
std::shared_ptr<clsInstrument> ReadBack(SettingsRig& rig) {
    auto back = std::make_shared<clsInstrument>();
    EXPECT_TRUE(rig.sim.link->GetInstrument(back));
    rig.sim.link->SetInstrumentObject(rig.CurInstrument);
    return back;
}

// The instrument takes the gas list with gas 3 off, but its answer never arrives: the upload
// fails, and the instrument may hold either list. Gas 3 put back as it was first read is then
// written, and only then is the upload complete.
TEST(UnansweredWrite, TheSettingIsWrittenByTheNextUpdate) {
    SettingsRig rig;  // its waits on the test's clock, so the 31 tries take no time
    FillBuiltInGasTable();
    ServiceMode = true;
    const auto normal = qScopeGuard([] { ServiceMode = false; });
    for (int mask : {3, 7, 11, 15, 19, 23, 27, 31})
        GasComb[static_cast<size_t>(mask)] = true;
    rig.ReadInstrument();
    ui::FlexGrid& grid = *rig.option->vfgOption;
    const QString read = rig.sim.sim.content().reads.value("GJ");

    SensorOff(rig.dialogs, grid, 2);
    rig.sim.OnRequest("GJ,W,", [&rig] { rig.sim.sim.InjectBadChecksum(); });
    EXPECT_TRUE(Update(rig).value(1).startsWith(GetMessage(5373)));
    EXPECT_EQ(rig.sim.Requests("GJ,W,").size(), 31);
    ASSERT_EQ(rig.sim.sim.content().reads.value("GJ").section(u',', 2, 2), kOff);

    rig.sim.OnRequest("GJ,W,", [] {});
    SensorOn(rig.dialogs, grid, 2, 0);
    QStringList fields = read.split(u',');
    fields[2] = kH2s;
    EXPECT_EQ(Update(rig).value(1), GetMessage(5311));
    EXPECT_EQ(rig.sim.Requests("GJ,W,"), QStringList{"GJ,W,11111," + fields.join(u',')});
    EXPECT_EQ(Settings(*ReadBack(rig)), Settings(*rig.CurInstrument));
}

// Gas 4 swapped from CO to H2S and its alarm typed 50, CO's value as read; the instrument takes
// the gas list, then never answers the warning write. The levels stay CO's as read until they
// are written: the next Update writes them in H2S's places.
TEST(UnansweredWrite, ASwappedSensorsLevelsGoInItsPlacesAfterItsGasListWasTaken) {
    SettingsRig rig;
    FillBuiltInGasTable();
    ServiceMode = true;
    const auto normal = qScopeGuard([] { ServiceMode = false; });
    GasComb.fill(true);
    rig.ReadInstrument();
    ui::FlexGrid& grid = *rig.option->vfgOption;
    ASSERT_EQ(rig.sim.sim.content().reads.value("A2").section(u',', 3, 3), "   50");
    SensorOff(rig.dialogs, grid, 3);
    SensorOn(rig.dialogs, grid, 3, 1);
    ASSERT_EQ(Type(grid, 5, 3, "50"), Entry::Stored);
    rig.sim.SilenceAt("A1,W,");
    EXPECT_TRUE(Update(rig).value(1).startsWith(GetMessage(5373)));
    ASSERT_EQ(rig.sim.Requests("GJ,W,").size(), 1);
    ASSERT_TRUE(rig.sim.Requests("A2,W,").isEmpty());

    rig.sim.sim.ClearFaults();
    EXPECT_EQ(Update(rig).value(1), GetMessage(5311));
    EXPECT_EQ(rig.sim.Requests("A2,W,"), QStringList{"A2,W,   50, 18.0, 30.0, 50.0,   50"});
    EXPECT_TRUE(rig.sim.sim.Refused().isEmpty()) << rig.sim.sim.Refused().join(u'|').toStdString();
    EXPECT_EQ(Settings(*ReadBack(rig)), Settings(*rig.CurInstrument));
}

// An instrument that holds gas 3 (H2S) with its warning 10 above its alarm 5, read on the
// built-in catalogue: each Update judges the order of a gas's levels only where they differ
// from what the instrument took in the Updates before.
std::unique_ptr<SettingsRig> OutOfOrder(bool service = false) {
    sim::Content content = sim::DefaultContent();
    content.reads["A2"] = "   50, 18.0,  5.0,   50,   50";
    auto rig = std::make_unique<SettingsRig>(content);
    FillBuiltInGasTable();
    ServiceMode = service;
    GasComb.fill(true);
    rig->ReadInstrument();
    return rig;
}

// Gas 3's warning set to 4 by one Update, then typed back to 10: a change from what the
// instrument now holds, refused for its order with nothing written. So too when the answer to
// the write was lost: the instrument took it, and may hold either value.
TEST(LevelOrderAfterUpdate, ALevelTypedBackIsAChangeFromWhatTheInstrumentTook) {
    for (const bool lost : {false, true}) {
        SCOPED_TRACE(lost ? "answer lost" : "answered");
        const std::unique_ptr<SettingsRig> rig = OutOfOrder();
        ui::FlexGrid& grid = *rig->option->vfgOption;
        ASSERT_EQ(Type(grid, 4, 1, "4"), Entry::Stored);
        if (lost) rig->sim.OnRequest("A1,W,", [&sim = rig->sim.sim] { sim.InjectBadChecksum(); });
        const QString ended = Update(*rig).value(1);
        EXPECT_TRUE(lost ? ended.startsWith(GetMessage(5373)) : ended == GetMessage(5311));
        rig->sim.OnRequest("A1,W,", [] {});
        EXPECT_EQ(ReadBack(*rig)->Warning(2), 4);

        ASSERT_EQ(Type(grid, 4, 1, "10"), Entry::Stored);
        EXPECT_EQ(Update(*rig), QStringList{GetMessage(5361)});
        EXPECT_TRUE(rig->sim.Requests().isEmpty());
    }
}

// Service mode: only gas 3 switched off. Switching a sensor off is no change of its gas: its
// levels stay the instrument's own, the Update is taken and every level stays as read.
TEST(LevelOrderAfterUpdate, ASensorSwitchedOffKeepsItsLevelsAsRead) {
    const auto normal = qScopeGuard([] { ServiceMode = false; });
    const std::unique_ptr<SettingsRig> rig = OutOfOrder(true);
    const QMap<QString, QString> read = rig->sim.sim.content().reads;
    SensorOff(rig->dialogs, *rig->option->vfgOption, 2);
    EXPECT_EQ(Update(*rig).value(1), GetMessage(5311));
    const QStringList sent = rig->sim.Requests();
    EXPECT_EQ(sent.size(), 2);
    EXPECT_TRUE(sent.value(0).startsWith("GJ,W,11011,"));
    const std::shared_ptr<clsInstrument> back = ReadBack(*rig);
    for (const char* code : {"A1", "A2", "AS", "AW", "SA"})
        EXPECT_EQ(rig->sim.sim.content().reads.value(code), read.value(code)) << code;
    EXPECT_EQ(Settings(*back), Settings(*rig->CurInstrument));
}

// Gas 1's warning and gas 3's alarm changed; the instrument never answers the warning write, so
// the alarm's is never sent. Gas 3's alarm put back to what the instrument still holds is its
// own again: the next Update is not refused, and the instrument then holds what the page shows.
TEST(LevelOrderAfterUpdate, AWriteNeverSentIsNotTakenAsHeld) {
    const std::unique_ptr<SettingsRig> rig = OutOfOrder();
    ui::FlexGrid& grid = *rig->option->vfgOption;
    ASSERT_EQ(Type(grid, 2, 1, "12"), Entry::Stored);
    ASSERT_EQ(Type(grid, 4, 2, "12"), Entry::Stored);
    rig->sim.SilenceAt("A1,W,");
    EXPECT_TRUE(Update(*rig).value(1).startsWith(GetMessage(5373)));
    ASSERT_TRUE(rig->sim.Requests("A2,W,").isEmpty());

    rig->sim.sim.ClearFaults();
    ASSERT_EQ(Type(grid, 4, 2, "5"), Entry::Stored);
    EXPECT_EQ(Update(*rig).value(1), GetMessage(5311));
    EXPECT_EQ(rig->sim.Requests("A2,W,"), QStringList{"A2,W,   50, 18.0,  5.0,   50,   50"});
    EXPECT_EQ(Settings(*ReadBack(*rig)), Settings(*rig->CurInstrument));
}

}  // namespace
}  // namespace qv::test

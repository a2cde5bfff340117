// The main window on the simulator's device, connected and with the instrument read, as the
// settings pages meet it: its built-in gas catalogue, and the views refreshed after the read.
#pragma once

#include "InstrumentSimulator.h"
#include "SettingsRig.h"
#include "ShellFixture.h"

#include <QTextEdit>

namespace qv::test {

class SettingsWindow : public ShellTest {
  protected:
    void TearDown() override {
        main.reset();
        ShellTest::TearDown();
    }
    // The window on the simulator's device, connected, with the instrument read.
    void StartRead() {
        QString error;
        ASSERT_TRUE(sim.Start(&error)) << error.toStdString();
        const QString device = home_.filePath(QStringLiteral("instrument"));
        ASSERT_TRUE(sim.MakeLink(device, &error)) << error.toStdString();
        main = std::make_unique<frmMain>(nullptr,
                                         std::make_unique<ListPortFinder>(QStringList{device}));
        ASSERT_TRUE(main->Form_Load());
        main->resize(ui::ToPixelsX(15000), ui::ToPixelsY(10000));
        main->show();
        main->Form_Activate();
        QTextEdit* log = main->pageDownload->rtbLog;
        ASSERT_TRUE(WaitFor([&] { return log->toPlainText().contains(GetMessage(5432)); }));
        main->pageDownload->cmdDown[1]->click();
        ASSERT_TRUE(main->CurInstrument->CommFlags());
    }

    sim::InstrumentSimulator sim;
    std::unique_ptr<frmMain> main;
};

}  // namespace qv::test

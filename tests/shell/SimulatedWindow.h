// A main window loaded on the shared fixture database, with the instrument simulator answering
// on the one converter the window finds: the rig of the tests that walk every page.
#pragma once

#include "FixtureDatabase.h"
#include "InstrumentSimulator.h"
#include "ShellFixture.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QTextEdit>
#include <QWindow>

namespace qv::test {

class SimulatedWindow : public ShellTest {
  protected:
    void TearDown() override {
        if (main_) main_->Form_Unload();
        main_.reset();
        fixture_.reset();
        ShellTest::TearDown();
    }

    // Loads the window on the fixture's logs and shows it (call through ASSERT_NO_FATAL_FAILURE).
    void LoadWindow() {
        fixture_ = std::make_unique<FixtureDatabase>();
        LoadWindowWith({"DataLocation\t'" + QFileInfo(fixture_->path()).absolutePath() + "'"});
    }
    // Loads the window with these lines as its settings file (without a DataLocation line, on a
    // new database in the program folder) and shows it.
    void LoadWindowWith(const QStringList& settings) {
        QDir().mkpath(ProgramFolder());
        WriteSettings(settings);
        QString device;
        ASSERT_NO_FATAL_FAILURE(StartSimulator(sim_, &device));
        main_ = MakeMain({device});
        ASSERT_TRUE(main_->Form_Load()) << dialogs_->messages().join(u'|').toStdString();
        main_->show();
    }
    // Loads the window and makes it the active one, as the keys reach only that (call through
    // ASSERT_NO_FATAL_FAILURE).
    void LoadActiveWindow() {
        ASSERT_NO_FATAL_FAILURE(LoadWindow());
        main_->activateWindow();
        ASSERT_TRUE(WaitFor([&] { return main_->isActiveWindow(); }, 5000));
    }
    // A key as the user types it: to the window, which hands it to the control with the focus.
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QKeyEvent press(QEvent::KeyPress, key, modifiers);
        QKeyEvent release(QEvent::KeyRelease, key, modifiers);
        QCoreApplication::sendEvent(main_->windowHandle(), &press);
        QCoreApplication::sendEvent(main_->windowHandle(), &release);
    }
    // Waits for the instrument and reads its information, as a user's first download does.
    void ConnectAndRead() {
        QTextEdit* log = main_->pageDownload->rtbLog;
        ASSERT_TRUE(WaitFor([&] { return log->toPlainText().contains(GetMessage(5432)); }));
        main_->pageDownload->cmdDown[1]->click();
        ASSERT_TRUE(main_->CurInstrument->CommFlags());
    }

    std::unique_ptr<FixtureDatabase> fixture_;
    sim::InstrumentSimulator sim_;
    std::unique_ptr<frmMain> main_;
};

}  // namespace qv::test

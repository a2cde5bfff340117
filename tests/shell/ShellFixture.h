// Shared set-up of the window tests: a private program folder, fresh globals and defaults, the
// English catalogue, scripted dialogs, port numbers that name no device, and a main window on a
// port lookup that finds nothing.
#pragma once

#include "AppPaths.h"
#include "PortFinder.h"
#include "ScriptedDialogs.h"
#include "Twips.h"
#include "frmMain.h"
#include "modGlobals.h"
#include "modMessage.h"
#include "modModel.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <memory>

namespace qv::test {

inline QString ReadText(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return QStringLiteral("<missing>");
    return QString::fromUtf8(file.readAll());
}
inline void WriteText(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    file.write(bytes);
}

class ShellTest : public ::testing::Test {
  protected:
    void SetUp() override {
        oldHome_ = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", home_.path().toLocal8Bit());
        ResetGlobals();
        DefaultInstrument()->ClearDatas();
        MainForm() = MainFormSettings{};
        SetCatalogueLanguage(CatalogueLanguage::English);
        dialogs_ = std::make_unique<ScriptedDialogs>();
        // Port numbers name devices that do not exist, so that no window test opens a serial
        // device of the machine (tests running side by side would contend for its lock).
        ClearPortNumbers();
        for (int n = 1; n <= 16; ++n)
            PortNumberFor(home_.filePath(QStringLiteral("no-device-%1").arg(n)));
    }
    void TearDown() override {
        ClearPortNumbers();
        dialogs_.reset();
        FollowSystemLanguage();
        ResetGlobals();
        qputenv("XDG_DATA_HOME", oldHome_);
    }

    // A main window whose converter lookup reports these device paths.
    static std::unique_ptr<frmMain> MakeMain(const QStringList& converters = {}) {
        return std::make_unique<frmMain>(nullptr, std::make_unique<ListPortFinder>(converters));
    }
    // Loads a main window and runs its first activation; fails the test when the load fails.
    std::unique_ptr<frmMain> StartMain() {
        auto main = MakeMain();
        EXPECT_TRUE(main->Form_Load()) << dialogs_->messages().join(u'|').toStdString();
        main->Form_Activate();
        return main;
    }
    static void WriteSettings(const QStringList& lines) {
        WriteText(programFile(QStringLiteral("QV4170.ini")),
                  (lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8());
    }
    static QString programFile(const QString& name) { return ProgramFile(name); }
    // Starts a simulator and sets *device to the link to its pseudo-terminal in the test's home.
    // Through a link that goes with the device, a window that looks for its port again never
    // finds another test's pseudo-terminal under the number this one had. Call through
    // ASSERT_NO_FATAL_FAILURE.
    template <class Simulator>
    void StartSimulator(Simulator& sim, QString* device) {
        QString error;
        ASSERT_TRUE(sim.Start(&error)) << error.toStdString();
        *device = home_.filePath(QStringLiteral("instrument"));
        ASSERT_TRUE(sim.MakeLink(*device, &error)) << error.toStdString();
    }

    QTemporaryDir home_;
    QByteArray oldHome_;
    std::unique_ptr<ScriptedDialogs> dialogs_;
};

// Twips of a control, for comparisons with a tolerance of one pixel per rounding.
inline double Px() {
    return ui::TwipsPerPixelX();
}

// Runs the event loop until the condition holds or the time is up.
template <class Cond>
bool WaitFor(Cond cond, int ms = 30000) {
    QElapsedTimer waited;
    waited.start();
    while (!cond()) {
        if (waited.elapsed() > ms) return false;
        QEventLoop loop;
        QTimer::singleShot(5, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

}  // namespace qv::test

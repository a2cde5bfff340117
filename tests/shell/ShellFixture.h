// Shared set-up of the window tests: a private program folder, fresh globals and defaults, the
// English catalogue, scripted dialogs, and a main window on a port lookup that finds nothing.
#pragma once

#include "PortFinder.h"
#include "ScriptedDialogs.h"
#include "Twips.h"
#include "frmMain.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <memory>

namespace qv::test {

class ShellTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // A main window whose converter lookup reports these device paths.
    std::unique_ptr<frmMain> MakeMain(const QStringList& converters = {});
    // Loads a main window and runs its first activation; fails the test when the load fails.
    std::unique_ptr<frmMain> StartMain();
    // Writes the settings file with these lines.
    void WriteSettings(const QStringList& lines);
    QString programFile(const QString& name) const;
    static QString ReadText(const QString& path);
    static void WriteText(const QString& path, const QByteArray& bytes);

    QTemporaryDir home_;
    QByteArray oldHome_;
    std::unique_ptr<ScriptedDialogs> dialogs_;
};

// Twips of a control, for comparisons with a tolerance of one pixel per rounding.
inline double Px() {
    return ui::TwipsPerPixelX();
}

}  // namespace qv::test

// Test entry point: a headless Qt application and a private program folder for every run.
#include "ScriptedDialogs.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdlib>
#include <map>

int main(int argc, char** argv) {
    // Test discovery runs this program at build time without the test environment.
    if (!std::getenv("QT_QPA_PLATFORM") && !std::getenv("DISPLAY"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // Keep the tests away from the user's own settings, logs and database.
    QTemporaryDir home;
    setenv("XDG_DATA_HOME", home.path().toLocal8Bit().constData(), 1);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("qv4170"));
    ::testing::InitGoogleTest(&argc, argv);
    // A question a test did not script fails that test: an answer made up for it would let a
    // new question with a destructive default pass unseen.
    qv::ScriptedDialogs::OnUnscripted([](const qv::ScriptedDialogs::Asked& asked) {
        using Kind = qv::ScriptedDialogs::Kind;
        static const std::map<Kind, const char*> kinds{{Kind::MsgBox, "message box"},
                                                       {Kind::OpenFile, "open dialog"},
                                                       {Kind::SaveFile, "save dialog"},
                                                       {Kind::Font, "font dialog"},
                                                       {Kind::Color, "colour dialog"},
                                                       {Kind::Menu, "menu"},
                                                       {Kind::Modal, "form"}};
        ADD_FAILURE() << "a " << kinds.at(asked.kind) << " nobody scripted: \""
                      << asked.text.toStdString() << "\" (" << asked.title.toStdString() << ")";
    });
    return RUN_ALL_TESTS();
}

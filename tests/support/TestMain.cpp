// Test entry point: a headless Qt application and a private program folder for every run.
#include <gtest/gtest.h>

#include <QApplication>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdlib>

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
    return RUN_ALL_TESTS();
}

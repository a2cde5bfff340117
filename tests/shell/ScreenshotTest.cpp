// The window in both catalogues, its captions checked and grabbed to PNG under the build
// folder; the trend graph zoomed with its cursor at the edge, in both catalogues; the system
// locale choosing the catalogue, checked in a child run of this program with
// LANG set; and the program itself started twice, the first run killed and its lock left behind.
#include "ShellFixture.h"

#include "FixtureDatabase.h"
#include "LockFile.h"
#include "QtTranslations.h"
#include "frmOpen.h"
#include "frmPassword.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QKeyEvent>
#include <QMessageBox>
#include <QProcess>
#include <QScrollBar>

namespace qv::test {
namespace {

QString Screenshot(const QString& name) {
    QDir().mkpath(QStringLiteral(QV_SCREENSHOT_DIR));
    return QStringLiteral(QV_SCREENSHOT_DIR) + u'/' + name;
}

// Grabs a window and checks the file is a picture of its size.
void Grab(QWidget& window, const QString& name) {
    const QString path = Screenshot(name);
    QFile::remove(path);
    ASSERT_TRUE(window.grab().save(path, "PNG")) << path.toStdString();
    const QImage image(path);
    EXPECT_EQ(image.size(), window.size() * window.devicePixelRatio());
}

class Screens : public ShellTest {
  protected:
    std::unique_ptr<frmMain> ShowMain() {
        auto main = StartMain();
        main->resize(ui::ToPixelsX(15000), ui::ToPixelsY(10000));
        main->show();
        main->Form_Resize();
        QCoreApplication::processEvents();
        return main;
    }
};

TEST_F(Screens, EnglishWindow) {
    auto main = ShowMain();
    EXPECT_EQ(main->windowTitle(), "QV-4170 Station Utility [P.No.73141]");
    EXPECT_EQ(main->cmdInst[3]->text(), "Last Calibration");
    EXPECT_EQ(main->pageDownload->cmdDown[0]->text(), "Complete Download");
    // Gas names come as they are, trailing blank included.
    EXPECT_EQ(main->pageDataView->chkBrowse[3]->text(), "CO ");
    EXPECT_EQ(main->pageOption->cmdOptionDisp[4]->text(), "Graph Color - CO ");
    Grab(*main, "main-en.png");
    main->cmdInst_Click(4);
    Grab(*main, "set-en.png");
    frmPassword password;
    password.show();
    Grab(password, "password-en.png");
    frmOpen splash({});
    splash.Form_Load();
    splash.Form_Activate();
    Grab(splash, "splash-en.png");
}

TEST_F(Screens, JapaneseWindow) {
    SetCatalogueLanguage(CatalogueLanguage::Japanese);
    ServiceMode = true;
    auto main = ShowMain();
    const auto ja = [](int id) { return RawMessage(id, CatalogueLanguage::Japanese); };
    EXPECT_EQ(main->windowTitle(), ja(5001) + " [P.No.73140]");
    EXPECT_EQ(main->cmdInst[3]->text(), ja(5009));
    EXPECT_NE(main->cmdInst[3]->text(), "Last Calibration");
    EXPECT_EQ(main->pageDownload->cmdDown[6]->text(), ja(5045));
    EXPECT_FALSE(main->pageDownload->cmdDown[6]->isHidden());
    EXPECT_EQ(main->pageOption->cmdOptionDisp[1]->text(), GetMessage(5204, {"CH4"}));
    Grab(*main, "main-ja.png");
    frmPassword password;
    password.show();
    Grab(password, "password-ja.png");
}

TEST_F(Screens, TrendGraphsWithTheCursorAtTheEdgeInBothCatalogues) {
    FixtureDatabase fixture;
    QDir().mkpath(ProgramFolder());
    WriteSettings({"DataLocation\t'" + QFileInfo(fixture.path()).absolutePath() + "'"});
    for (const auto language : {CatalogueLanguage::English, CatalogueLanguage::Japanese}) {
        const QString suffix = language == CatalogueLanguage::English ? "-en" : "-ja";
        SetCatalogueLanguage(language);
        auto main = StartMain();
        // The first size of the window on a 1366x768 screen.
        main->resize(1093, 461);
        main->show();
        DataViewPage& view = *main->pageDataView;
        uclVtmGraph& graph = *view.vtmGraph;
        const auto open = [&](int32_t kind, int32_t seqNo) {
            main->CurDataType = kind;
            main->CurSeqNo = seqNo;
            view.cmdDetail_Click();
            view.optBrowse[1]->click();
            if (!view.chkBrowse[5]->isChecked()) view.chkBrowse[5]->click();  // "Cursor"
            main->Form_Resize();
            QCoreApplication::processEvents();
            graph.picGraph->setFocus();
        };
        const auto key = [&](int times) {
            for (int i = 0; i < times; ++i) {
                QKeyEvent press(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
                QApplication::sendEvent(graph.picGraph, &press);
            }
        };
        // The read-out stands inside the frame.
        const auto readOutInFrame = [&] {
            const QRect box = graph.lblMsg->geometry();
            const QRectF frame(QPointF(graph.xPos(graph.MinX()), graph.yPos(graph.MaxY())),
                               QPointF(graph.xPos(graph.MaxX()), graph.yPos(graph.MinY())));
            return QRectF(frame.left() / Px(), frame.top() / Px(), frame.width() / Px(),
                          frame.height() / Px())
                .contains(QRectF(box));
        };

        // An interval trend zoomed in, the cursor moved five samples past the window's edge.
        open(TypeInterval, fixture.logs().intervalA0514);
        view.cmbBrowse->setCurrentIndex(1);
        view.cmbBrowse_Click();
        ASSERT_GT(graph.Zoom(), 1);
        const int window = graph.SampleCount() / graph.Zoom();
        key(window + 5);
        QCoreApplication::processEvents();
        EXPECT_GT(graph.hslWidth->value(), 0);
        EXPECT_TRUE(readOutInFrame());
        Grab(*main, "graph-zoom-cursor" + suffix + ".png");

        // An alarm trend with its "Alarm" mark, the cursor on its last sample.
        open(TypeAlarmTrend, fixture.logs().alarmA);
        key(graph.SampleCount());
        QCoreApplication::processEvents();
        EXPECT_TRUE(readOutInFrame());
        Grab(*main, "graph-alarm-cursor" + suffix + ".png");
        main->Form_Unload();
    }
}

// Runs in the child only: the catalogue follows the locale the environment names.
TEST(ShellLocaleChild, CatalogueFollowsTheSystemLocale) {
    const QByteArray expected = qgetenv("QV_SHELL_CHILD");
    if (expected.isEmpty()) GTEST_SKIP() << "runs in a child with LANG set";
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", home.path().toLocal8Bit());
    ResetGlobals();
    FollowSystemLanguage();
    const bool japanese = expected == "ja";
    ASSERT_EQ(CurrentLanguage(),
              japanese ? CatalogueLanguage::Japanese : CatalogueLanguage::English);
    ScriptedDialogs dialogs;
    frmMain main(nullptr, std::make_unique<ListPortFinder>());
    ASSERT_TRUE(main.Form_Load());
    main.Form_Activate();
    main.resize(ui::ToPixelsX(15000), ui::ToPixelsY(10000));
    main.show();
    main.Form_Resize();
    QCoreApplication::processEvents();
    const CatalogueLanguage language =
        japanese ? CatalogueLanguage::Japanese : CatalogueLanguage::English;
    EXPECT_EQ(main.windowTitle(),
              RawMessage(5001, language) + (japanese ? " [P.No.73140]" : " [P.No.73141]"));
    EXPECT_EQ(main.cmdInst[5]->text(), RawMessage(5007, language));
    // Qt's standard buttons speak the catalogue's language.
    EXPECT_EQ(InstallQtTranslations(), japanese);
    QMessageBox box;
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(box.button(QMessageBox::Yes)->text() == "&Yes", !japanese)
        << box.button(QMessageBox::Yes)->text().toStdString();
    Grab(main, QStringLiteral("main-locale-%1.png").arg(QString::fromLatin1(expected)));
    main.Form_Unload();
}

TEST(ShellLocale, LangPicksTheCatalogue) {
    for (const QString lang : {"ja_JP.UTF-8", "en_US.UTF-8"}) {
        const QString code = lang.left(2);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"LC_ALL", "LC_MESSAGES", "LC_NUMERIC", "LANGUAGE"})
            env.remove(name);
        env.insert("LANG", lang);
        env.insert("QV_SHELL_CHILD", code);
        env.insert("QT_QPA_PLATFORM", "offscreen");
        QProcess child;
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(QCoreApplication::applicationFilePath(), {"--gtest_filter=ShellLocaleChild.*"});
        ASSERT_TRUE(child.waitForFinished(60000));
        const QString output = QString::fromLocal8Bit(child.readAll());
        EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
        EXPECT_TRUE(output.contains("[  PASSED  ] 1 test")) << output.toStdString();
        EXPECT_TRUE(QFileInfo(Screenshot("main-locale-" + code + ".png")).size() > 0);
    }
}

TEST(Program, StartsAndSurvivesTheLockOfACrashedRun) {
    QTemporaryDir home;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_DATA_HOME", home.path());
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.remove("QV4170_PORT");
    const QString folder = home.path() + "/qv4170";
    for (int run = 0; run < 2; ++run) {
        QProcess program;
        program.setProcessEnvironment(env);
        program.start(QStringLiteral(QV_PROGRAM), {});
        ASSERT_TRUE(program.waitForStarted());
        // The main window's first activation writes this line after the splash.
        EXPECT_TRUE(WaitFor(
            [&] { return ReadText(folder + "/SerialLog.log").contains("Serial Port Standby"); },
            20000))
            << "run " << run;
        EXPECT_TRUE(QFile::exists(folder + "/QV4170.mdb"));
        const QString lock = folder + "/QV4170.LCK";
        const QString ours = ComputerName() + "\r\n" + UserName() + "\r\n";
        EXPECT_TRUE(WaitFor([&] { return ReadText(lock) == ours; }, 1000)) << "run " << run;
        EXPECT_EQ(program.state(), QProcess::Running);
        program.kill();  // a crash: the lock file stays behind
        program.waitForFinished();
        EXPECT_TRUE(QFile::exists(lock));
        QFile::remove(folder + "/SerialLog.log");
        WriteText(lock, "old-pc\r\nsomeone\r\nmore text\r\n");  // as another user's crash left it
    }
}

}  // namespace
}  // namespace qv::test

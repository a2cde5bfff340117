// The window tests' shared set-up.
#include "ShellFixture.h"

#include "AppPaths.h"
#include "Dates.h"
#include "modGlobals.h"
#include "modMessage.h"
#include "modModel.h"

#include <cstdlib>

namespace qv::test {

void ShellTest::SetUp() {
    oldHome_ = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", home_.path().toLocal8Bit());
    ResetGlobals();
    DefaultInstrument()->ClearDatas();
    MainForm() = MainFormSettings{};
    SetCatalogueLanguage(CatalogueLanguage::English);
    dialogs_ = std::make_unique<ScriptedDialogs>();
}

void ShellTest::TearDown() {
    dialogs_.reset();
    FollowSystemLanguage();
    ResetGlobals();
    qputenv("XDG_DATA_HOME", oldHome_);
}

std::unique_ptr<frmMain> ShellTest::MakeMain(const QStringList& converters) {
    return std::make_unique<frmMain>(nullptr, std::make_unique<ListPortFinder>(converters));
}

std::unique_ptr<frmMain> ShellTest::StartMain() {
    auto main = MakeMain();
    EXPECT_TRUE(main->Form_Load()) << dialogs_->messages().join(u'|').toStdString();
    main->Form_Activate();
    return main;
}

void ShellTest::WriteSettings(const QStringList& lines) {
    WriteText(programFile(QStringLiteral("QV4170.ini")),
              (lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8());
}

QString ShellTest::programFile(const QString& name) const {
    return ProgramFile(name);
}

QString ShellTest::ReadText(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return QStringLiteral("<missing>");
    return QString::fromUtf8(file.readAll());
}

void ShellTest::WriteText(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    file.write(bytes);
}

}  // namespace qv::test

// The start-up window with its service-mode switch and timed hand-over, and the password
// dialog.
#include "ShellFixture.h"

#include "TextFit.h"
#include "frmOpen.h"
#include "frmPassword.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTimer>

namespace qv::test {
namespace {

class Splash : public ShellTest {
  protected:
    std::unique_ptr<frmOpen> MakeSplash(const QStringList& arguments) {
        return std::make_unique<frmOpen>(arguments, [this] { return MakeMain(); });
    }
};

TEST_F(Splash, ServiceModeSwitchOnTheCommandLine) {
    const std::vector<std::pair<QStringList, bool>> cases{
        {{}, false},          {{"-K"}, true},       {{"-k"}, true},
        {{"abc-kxyz"}, true}, {{"-x", "K"}, false}, {{"x", "-", "k"}, false},
    };
    for (const auto& [arguments, expected] : cases) {
        auto splash = MakeSplash(arguments);
        splash->Form_Load();
        EXPECT_EQ(ServiceMode, expected) << arguments.join(' ').toStdString();
        EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    }
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(Splash, FifthTickHandsOverToTheMainWindow) {
    auto splash = MakeSplash({});
    splash->Form_Load();
    splash->Form_Activate();
    EXPECT_EQ(splash->lblVersion->text(), "P.No.73141");
    EXPECT_TRUE(splash->tmrTimer->isActive());
    for (int i = 0; i < 4; ++i)
        splash->tmrTimer_Timer();
    EXPECT_EQ(splash->MainWindow(), nullptr);
    // A double click before the fifth tick only pauses.
    splash->fraOpen_DblClick();
    EXPECT_EQ(dialogs_->messages(), QStringList{"Pause!!"});
    EXPECT_EQ(splash->MainWindow(), nullptr);

    splash->tmrTimer_Timer();
    frmMain* main = splash->MainWindow();
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(main->isVisible());
    EXPECT_FALSE(main->FirstActivate);
    EXPECT_FALSE(main->pageDownload->isHidden());
    EXPECT_FALSE(splash->isVisible());
    EXPECT_FALSE(splash->tmrTimer->isActive());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    main->close();
    EXPECT_FALSE(main->Lock().Held());
}

// The splash names no operating system, and no text stands over the picture or runs out of
// the window, in either language.
TEST_F(Splash, TextsBesideThePictureAndWhole) {
    for (const CatalogueLanguage language :
         {CatalogueLanguage::English, CatalogueLanguage::Japanese}) {
        SetCatalogueLanguage(language);
        auto splash = MakeSplash({});
        splash->Form_Load();
        splash->Form_Activate();
        splash->show();
        for (const QLabel* label : splash->findChildren<QLabel*>()) {
            EXPECT_FALSE(label->text().contains("Windows", Qt::CaseInsensitive));
            if (label == splash->imgPellorin) continue;
            const QRect ink = InkRect(label);
            EXPECT_FALSE(ink.intersects(splash->imgPellorin->geometry()))
                << label->text().toStdString();
            EXPECT_TRUE(splash->fraOpen->rect().contains(ink)) << label->text().toStdString();
            EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width())
                << label->text().toStdString();
        }
        for (const QFrame* line : splash->linBorder)
            EXPECT_FALSE(line->geometry().intersects(splash->imgPellorin->geometry()));
        EXPECT_LE(splash->lblTitle->geometry().right(), splash->lblTM->geometry().left());
    }
}

TEST_F(Splash, JapanesePartNumberAndAFailedStartUp) {
    SetCatalogueLanguage(CatalogueLanguage::Japanese);
    WriteText(ProgramFolder() + "/QV4170.mdb", "foreign");
    auto splash = MakeSplash({});
    splash->Form_Load();
    splash->Form_Activate();
    EXPECT_EQ(splash->lblVersion->text(), "P.No.73140");
    for (int i = 0; i < 5; ++i)
        splash->tmrTimer_Timer();
    EXPECT_TRUE(splash->StartupFailed());
    EXPECT_EQ(splash->MainWindow(), nullptr);
    EXPECT_EQ(dialogs_->messages(),
              QStringList{GetMessage(9001, {ProgramFolder() + "/QV4170.mdb"})});
    // The program was asked to end with no event loop running: the request would end every
    // loop the later tests of this run start at once. A short run of the application's loop
    // spends it.
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    QCoreApplication::exec();
}

class Password : public ShellTest {
  protected:
    void SetUp() override {
        ShellTest::SetUp();
        UserPassword = "qzt";
        dialog_ = std::make_unique<frmPassword>();
    }
    void Type(const QString& text) { dialog_->txtPass->setText(text); }
    // Keys typed into the dialog, to the control with its focus.
    void TypeKeys(const QString& text) {
        for (const QChar c : text) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QCoreApplication::sendEvent(dialog_->focusWidget(), &press);
        }
    }
    QString Step() const { return dialog_->cmdPass[1]->text(); }
    std::unique_ptr<frmPassword> dialog_;
};

// Nobody can delete stored data without the password: the README names the default of each
// language, as a first start sets it.
TEST_F(Password, TheReadmeNamesTheDefaultOfEachLanguage) {
    const QString readme = ReadText(QStringLiteral(QV_SOURCE_DIR "/../README.md"));
    for (const auto language : {CatalogueLanguage::English, CatalogueLanguage::Japanese}) {
        SetCatalogueLanguage(language);
        UserPassword.clear();
        MakeMain()->SetDefaults();
        ASSERT_FALSE(UserPassword.isEmpty());
        EXPECT_TRUE(readme.contains('`' + UserPassword + '`')) << UserPassword.toStdString();
    }
}

TEST_F(Password, ContinueComparesWithoutRegardToCase) {
    EXPECT_EQ(dialog_->txtPass->echoMode(), QLineEdit::Password);
    dialog_->show();
    Type("wrong");
    dialog_->cmdPass[0]->setFocus();
    dialog_->cmdPass_Click(0);
    ASSERT_EQ(dialog_->result(), 0);
    EXPECT_EQ(dialogs_->messages(), QStringList{"Incorrect Password Entered"});
    EXPECT_EQ(dialogs_->asked()[0].style, vbCritical);
    EXPECT_EQ(dialog_->txtPass->text(), "wrong");
    EXPECT_FALSE(PasswordOK);

    // The password typed again replaces the wrong one.
    TypeKeys("QzT");
    EXPECT_EQ(dialog_->txtPass->text(), "QzT");
    dialog_->cmdPass_Click(0);
    EXPECT_TRUE(PasswordOK);
    EXPECT_EQ(dialog_->result(), QDialog::Accepted);

    // An empty entry closes without a word and without the flag.
    PasswordOK = false;
    frmPassword empty;
    empty.cmdPass_Click(0);
    EXPECT_EQ(empty.result(), QDialog::Rejected);
    EXPECT_FALSE(PasswordOK);
    EXPECT_EQ(dialogs_->messages().size(), 1);

    // Shown through the dialogs service.
    dialogs_->AnswerModal([](QDialog& shown) {
        auto& dialog = dynamic_cast<frmPassword&>(shown);
        dialog.txtPass->setText("QZT");
        dialog.cmdPass_Click(0);
        return dialog.result();
    });
    frmPassword::ShowModal();
    EXPECT_TRUE(PasswordOK);
    dialog_->show();
    dialog_->resize(2, 100);  // narrower than the gap between the buttons: no failure
    EXPECT_GE(dialog_->cmdPass[0]->width(), 0);
}

TEST_F(Password, ChangeInThreeStepsAndAConfirmationThatDiffersChangesNothing) {
    dialog_->cmdPass_Click(1);
    EXPECT_EQ(Step(), "Current password");
    dialog_->show();
    Type("bad");
    dialog_->cmdPass[1]->setFocus();
    dialog_->cmdPass_Click(1);
    EXPECT_EQ(Step(), "Current password");
    EXPECT_EQ(dialog_->txtPass->text(), "bad");  // no word, entry kept
    TypeKeys("QZT");                             // and replaced by the next typing
    EXPECT_EQ(dialog_->txtPass->text(), "QZT");
    dialog_->cmdPass_Click(1);
    EXPECT_EQ(Step(), "New Password");
    EXPECT_EQ(dialog_->txtPass->text(), "");
    dialog_->cmdPass_Click(1);  // a new password is never empty
    EXPECT_EQ(Step(), "New Password");
    Type("Pw9");
    dialog_->cmdPass_Click(1);
    EXPECT_EQ(Step(), "Confirm New Password");
    // Continue still knows only the password in use.
    Type("Pw9");
    dialog_->cmdPass_Click(0);
    EXPECT_EQ(dialogs_->messages().last(), "Incorrect Password Entered");
    EXPECT_FALSE(PasswordOK);
    dialog_->cmdPass_Click(1);
    EXPECT_EQ(dialogs_->messages().last(), "Change new password.");
    EXPECT_EQ(dialogs_->asked().back().style, vbInformation);
    EXPECT_EQ(UserPassword, "Pw9");
    EXPECT_EQ(Step(), "Change Password");

    dialog_->cmdPass_Click(1);
    for (const char* entry : {"pw9", "NEW"}) {
        Type(entry);
        dialog_->cmdPass_Click(1);
    }
    Type("New");  // the case counts here
    dialog_->cmdPass_Click(1);
    EXPECT_EQ(dialogs_->messages().last(), "Not Changed password.");
    EXPECT_EQ(dialogs_->asked().back().style, vbCritical);
    EXPECT_EQ(UserPassword, "Pw9");
    dialog_->cmdPass_Click(1);  // at rest again: asks for the current password
    EXPECT_EQ(dialog_->txtPass->text(), "");
    EXPECT_EQ(Step(), "Current password");
}

// In both languages and at every step of a password change, the controls stand a margin in
// from every edge, the dialog ends a margin below its buttons, and no text shows cut.
TEST_F(Password, MarginsRoundTheControlsAndNoEmptyStrip) {
    for (const CatalogueLanguage language :
         {CatalogueLanguage::English, CatalogueLanguage::Japanese}) {
        SetCatalogueLanguage(language);
        UserPassword = "qzt";
        frmPassword dialog;
        dialog.show();
        const int margin = ui::ToPixelsX(120);
        for (const char* entry : {"", "qzt", "new", ""}) {
            QCoreApplication::processEvents();
            const QString step = dialog.cmdPass[1]->text();
            SCOPED_TRACE(step.toStdString());
            const QRect inner =
                dialog.rect().adjusted(margin - 1, margin - 1, 1 - margin, 1 - margin);
            for (const QWidget* control :
                 {static_cast<QWidget*>(dialog.lblPass), static_cast<QWidget*>(dialog.txtPass),
                  static_cast<QWidget*>(dialog.cmdPass[0]),
                  static_cast<QWidget*>(dialog.cmdPass[1])})
                EXPECT_TRUE(inner.contains(control->geometry())) << Describe(control).toStdString();
            EXPECT_NEAR(dialog.height() - dialog.cmdPass[0]->geometry().bottom() - 1, margin, 1);
            EXPECT_EQ(CutTexts(dialog), QStringList());
            dialog.txtPass->setText(entry);
            dialog.cmdPass_Click(1);
        }
    }
}

}  // namespace
}  // namespace qv::test

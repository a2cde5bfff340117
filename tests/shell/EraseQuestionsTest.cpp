// Every question asked before the instrument is erased or stored data is deleted offers No as
// its default button, so that Enter never erases; and the real message box honours it.
#include "ShellFixture.h"

#include "Database.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>

namespace qv::test {
namespace {

using EraseQuestions = ShellTest;

// Presses Enter in the message box that the real service shows.
int EnterOnRealBox(int style) {
    QtUserDialogs real;
    QString defaultText;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        if (box->defaultButton()) defaultText = box->defaultButton()->text();
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(box, &enter);
    });
    return real.MsgBox(QStringLiteral("Erase?"), style, QStringLiteral("T"));
}

TEST_F(EraseQuestions, TheRealMessageBoxTakesTheSecondButtonAsDefault) {
    EXPECT_EQ(EnterOnRealBox(vbYesNo | vbQuestion | vbDefaultButton2), vbNo);
    EXPECT_EQ(EnterOnRealBox(vbYesNo | vbQuestion), vbYes);
}

TEST_F(EraseQuestions, AskWithNoAsTheDefault) {
    auto main = StartMain();
    const auto askedWithNoDefault = [&](int id, const QStringList& args = {}) {
        for (const auto& a : dialogs_->asked())
            if (a.kind == ScriptedDialogs::Kind::MsgBox && a.text == GetMessage(id, args))
                return (a.style & 0x300) == vbDefaultButton2 && (a.style & 7) == vbYesNo;
        ADD_FAILURE() << "message " << id << " was not asked";
        return false;
    };
    const auto withPassword = [&] {
        dialogs_->AnswerModal([](QDialog&) {
            PasswordOK = true;
            return QDialog::Accepted;
        });
    };

    // Erasing the instrument's data, by the button and after an automatic download.
    dialogs_->AnswerMsgBox(vbNo);
    main->pageDownload->cmdDown_Click(7);
    EXPECT_TRUE(askedWithNoDefault(5343));
    main->pageDownload->chkAutoLoad[0]->setChecked(true);
    dialogs_->AnswerMsgBox(vbNo);
    main->pageDownload->chkAutoLoad[1]->setChecked(true);
    EXPECT_TRUE(askedWithNoDefault(5333));
    EXPECT_FALSE(AutoRemoveData);

    // Deleting the whole database, a folder, one log.
    BrowserPage& browser = *main->pageBrowser;
    for (const char* tag : {"#", "SN1 S", "7 G"}) {
        withPassword();
        dialogs_->AnswerMsgBox(vbNo);
        browser.mnuDelete->setData(QString::fromLatin1(tag));
        browser.mnuDelete_Click();
    }
    EXPECT_TRUE(askedWithNoDefault(5317));
    EXPECT_TRUE(askedWithNoDefault(5339));
    EXPECT_TRUE(askedWithNoDefault(5327, {""}));

    // Deleting a calibration history.
    Database(DatabasePath)
        .execute(
            "Insert Into cLatestHist (SeqNo,SerialNo,StationID,UserID,CalLimit) Values "
            "(1,'SN1','ST','U',180)");
    main->cmdInst_Click(3);
    main->pageCalHistory->optHistory[1]->setChecked(true);
    ASSERT_GE(main->pageCalHistory->vfgHistory->Rows(), 2);
    main->pageCalHistory->vfgHistory->SetRow(1);
    withPassword();
    dialogs_->AnswerMsgBox(vbNo);
    main->pageCalHistory->mnuHistDel_Click(2);
    EXPECT_TRUE(askedWithNoDefault(5357, {"SN1"}));
    EXPECT_EQ(Database(DatabasePath).scalar("Select Count(*) From cLatestHist").toInt(), 1);
}

}  // namespace
}  // namespace qv::test

// Every question the program can ask, with the answer Enter gives: No before stored data, the
// instrument's data or a file is destroyed or replaced. The list is the program's one list,
// every site asks through it, and the source asks no question another way.
#include "ShellFixture.h"

#include "Database.h"
#include "GridCells.h"
#include "PrinterChoice.h"
#include "PrinterList.h"
#include "Questions.h"
#include "SourceText.h"
#include "frmPrint.h"
#include "frmSetPrinter.h"

#include <QApplication>
#include <QFileDialog>
#include <QKeyEvent>
#include <QMessageBox>
#include <QRegularExpression>

namespace qv::test {
namespace {

using Questions = ShellTest;
using Q = Question;

// Asks through the real message box and presses Enter in it; the answer Enter gave, and the
// button the box marked as its default.
int EnterOnRealBox(Question question, QMessageBox::StandardButton* marked) {
    QtUserDialogs real;
    UserDialogs* scripted = InstalledDialogs();
    SetDialogs(&real);
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        *marked = box->standardButton(box->defaultButton());
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(box, &enter);
    });
    const bool yes = Ask(question);
    SetDialogs(scripted);
    return yes ? vbYes : vbNo;
}

TEST_F(Questions, EveryQuestionAndTheAnswerEnterGives) {
    const struct {
        Question question;
        int text, title, buttons, enter;
    } expected[] = {
        // Stored data, the instrument's data or a file goes: No.
        {Q::ReplaceFile, 5307, 5308, vbYesNo, vbNo},
        {Q::DeleteAllData, 5317, 5318, vbYesNo, vbNo},
        {Q::DeleteFolderData, 5339, 5340, vbYesNo, vbNo},
        {Q::DeleteLog, 5327, 5328, vbYesNo, vbNo},
        {Q::DeleteCalHistory, 5357, 5358, vbYesNo, vbNo},
        {Q::ClearInstrumentData, 5343, 5344, vbYesNo, vbNo},
        {Q::RemoveDataAfterDownload, 5333, 5334, vbYesNo, vbNo},
        {Q::DumpToFile, 9019, 9020, vbYesNo, vbNo},
        // Nothing stored is lost: Yes.
        {Q::AutoLoadOn, 5303, 5304, vbYesNo, vbYes},
        {Q::AutoLoadOff, 5305, 5306, vbYesNo, vbYes},
        {Q::PowerOff, 5347, 5348, vbYesNo, vbYes},
        {Q::UploadSettings, 5309, 5310, vbYesNo, vbYes},
        {Q::DisableSensor, 5335, 5336, vbYesNo, vbYes},
    };
    const std::vector<QuestionEntry>& list = qv::Questions();
    ASSERT_EQ(list.size(), std::size(expected));
    for (size_t i = 0; i < list.size(); ++i) {
        const QuestionEntry& entry = list[i];
        const auto& e = expected[i];
        SCOPED_TRACE(e.text);
        EXPECT_EQ(entry.question, e.question);
        EXPECT_EQ(entry.text, e.text);
        EXPECT_EQ(entry.title, e.title);
        EXPECT_EQ(entry.style & 7, e.buttons);
        EXPECT_EQ(&EntryOf(e.question), &entry);
        for (const auto language : {CatalogueLanguage::English, CatalogueLanguage::Japanese})
            EXPECT_TRUE(HasMessage(e.text, language) && HasMessage(e.title, language));
        // The real message box marks the default and takes it on Enter.
        QMessageBox::StandardButton marked = QMessageBox::NoButton;
        EXPECT_EQ(EnterOnRealBox(e.question, &marked), e.enter);
        EXPECT_EQ(marked, e.enter == vbNo ? QMessageBox::No : QMessageBox::Yes);
    }
}

TEST_F(Questions, NoneIsAskedAnotherWay) {
    // Message box buttons that ask, and the default button that a site would choose itself.
    static const QRegularExpression asking(
        QStringLiteral("\\bvb(YesNo|YesNoCancel|OKCancel|RetryCancel|AbortRetryIgnore|"
                       "DefaultButton[0-9])\\b"));
    // The service and the list themselves.
    const QStringList own{"UserDialogs", "ScriptedDialogs", "Questions"};
    QStringList found;
    int files = 0;
    for (const auto& [name, source] : SourceFiles(QStringLiteral(QV_SOURCE_DIR))) {
        if (own.contains(QFileInfo(name).completeBaseName())) continue;
        ++files;
        for (const auto& [line, call] : Calls(source, QStringLiteral("MsgBox")))
            if (call.contains(asking)) found << QString("%1:%2 %3").arg(name).arg(line).arg(call);
        // Qt's own boxes and file dialogs ask without the list.
        for (const char* own : {"QMessageBox", "QFileDialog", "QInputDialog"})
            if (source.contains(QLatin1String(own))) found << name + " uses " + own;
    }
    EXPECT_GT(files, 50);
    EXPECT_EQ(found, QStringList()) << found.join("\n").toStdString();

    // The save dialog never asks about the file it is given: the program's question does.
    QTemporaryDir dir;
    const QString existing = dir.filePath("log.csv");
    WriteText(existing, "old");
    QtUserDialogs real;
    FileDialogRequest request;
    request.Filter = GetMessage(5701);
    request.InitDir = dir.path();
    request.FileName = existing;
    QStringList boxes;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        // A question of the dialog's own would come up while accept() runs.
        QTimer::singleShot(0, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                boxes << box->text();
                box->reject();
            }
        });
        QMetaObject::invokeMethod(dialog, "accept");
        if (dialog->isVisible()) dialog->reject();  // the question refused the file
    });
    const FileDialogResult chosen = real.SaveFile(request);
    EXPECT_TRUE(chosen.Accepted);
    EXPECT_EQ(chosen.FileName, existing);
    EXPECT_EQ(boxes, QStringList());
}

// Each question asked where the program asks it, in the running window: every question of the
// list has a site here, and each site asks with the list's buttons, default and title.
TEST_F(Questions, EachSiteAsksItsQuestionFromTheList) {
    auto main = StartMain();
    const auto withPassword = [&] {
        dialogs_->AnswerModal([](QDialog&) {
            PasswordOK = true;
            return QDialog::Accepted;
        });
    };
    const auto deleteStored = [&](const char* tag) {
        withPassword();
        main->pageBrowser->mnuDelete->setData(QString::fromLatin1(tag));
        main->pageBrowser->mnuDelete_Click();
    };
    QTemporaryDir dir;
    const QString existing = dir.filePath("kept.pdf");
    WriteText(existing, "kept");

    struct Site {
        const char* name;
        Question question;
        QStringList args;
        std::function<void()> ask;
    };
    const std::vector<Site> sites{
        {"export over a file",
         Q::ReplaceFile,
         {},
         [&] {
             dialogs_->AnswerFile({true, existing, 1});
             main->pageDataView->cmdBrowse[2]->click();
         }},
        {"PDF over a file",
         Q::ReplaceFile,
         {},
         [&] {
             frmPrint form;
             form.SetDataType(TypeLastCalibration);
             form.SetTableData({{{"SerialNo"}, {"SN1"}}});
             ChoosePrinterEntry(*dialogs_, ui::PdfEntryName());
             dialogs_->AnswerFile({true, existing, 1});
             form.cmdPrint_Click();
         }},
        {"delete all", Q::DeleteAllData, {}, [&] { deleteStored("#"); }},
        {"delete a folder", Q::DeleteFolderData, {}, [&] { deleteStored("SN1 S"); }},
        {"delete a log", Q::DeleteLog, {""}, [&] { deleteStored("7 G"); }},
        {"delete a calibration history",
         Q::DeleteCalHistory,
         {"SN1"},
         [&] {
             Database(DatabasePath)
                 .execute(
                     "Insert Into cLatestHist (SeqNo,SerialNo,StationID,UserID,CalLimit) Values "
                     "(1,'SN1','ST','U',180)");
             main->cmdInst_Click(3);
             main->pageCalHistory->optHistory[1]->setChecked(true);
             ASSERT_GE(main->pageCalHistory->vfgHistory->Rows(), 2);
             main->pageCalHistory->vfgHistory->SetRow(1);
             withPassword();
             main->pageCalHistory->mnuHistDel_Click(2);
         }},
        {"clear the instrument",
         Q::ClearInstrumentData,
         {},
         [&] { main->pageDownload->cmdDown_Click(7); }},
        {"power off", Q::PowerOff, {}, [&] { main->pageDownload->cmdDown_Click(8); }},
        {"automatic load on",
         Q::AutoLoadOn,
         {},
         [&] { main->pageDownload->chkAutoLoad[0]->setChecked(true); }},
        {"automatic removal",
         Q::RemoveDataAfterDownload,
         {},
         [&] {
             main->pageDownload->chkAutoLoad[0]->setChecked(true);
             main->pageDownload->chkAutoLoad[1]->setChecked(true);
         }},
        {"automatic load off",
         Q::AutoLoadOff,
         {},
         [&] { main->pageDownload->chkAutoLoad[0]->setChecked(false); }},
        {"upload",
         Q::UploadSettings,
         {},
         [&] {
             main->CurInstrument->SetGasEnabled(0, true);
             main->pageOption->cmdOption_Click(0);
         }},
        {"clock set", Q::UploadSettings, {}, [&] { main->pageOption->cmdOption_Click(1); }},
        {"EEP-ROM dump", Q::DumpToFile, {}, [&] { main->pageOption->cmdOptionDisp_Click(5); }},
        {"sensor off",
         Q::DisableSensor,
         {},
         [&] {
             ServiceMode = true;
             main->cmdInst_Click(4);
             ui::FlexGrid& grid = *main->pageOption->vfgOption;
             SetTicked(grid, 4, 1, false);
             main->pageOption->vfgOption_AfterEdit(4, 1);
             ServiceMode = false;
         }},
    };
    std::set<Question> asked;
    for (const Site& site : sites) {
        SCOPED_TRACE(site.name);
        const QuestionEntry& entry = EntryOf(site.question);
        dialogs_->clear();
        // An answer the list's default: what Enter gives.
        dialogs_->AnswerMsgBox(entry.defaultAnswer);
        site.ask();
        const auto& boxes = dialogs_->asked();
        const auto box = std::find_if(boxes.begin(), boxes.end(), [](const auto& a) {
            return a.kind == ScriptedDialogs::Kind::MsgBox;
        });
        ASSERT_NE(box, boxes.end());
        EXPECT_EQ(box->text, GetMessage(entry.text, site.args));
        EXPECT_EQ(box->title, GetMessage(entry.title));
        EXPECT_EQ(box->style, AskStyle(entry));
        asked.insert(site.question);
    }
    // Nothing was destroyed on the default answers.
    EXPECT_EQ(ReadText(existing), "kept");
    EXPECT_FALSE(AutoRemoveData);
    EXPECT_EQ(Database(DatabasePath).scalar("Select Count(*) From cLatestHist").toInt(), 1);
    for (const QuestionEntry& entry : qv::Questions())
        EXPECT_TRUE(asked.count(entry.question)) << "no site asks message " << entry.text;
}

}  // namespace
}  // namespace qv::test

// The data view page's commands: a save replaces its file whole or not at all after one
// overwrite question, Cancel is silent, the names proposed; the clipboard; printing to the PDF
// entry; the summary button.
#include "DataViewRig.h"
#include "PrinterChoice.h"
#include "PrinterList.h"
#include "ShellFixture.h"
#include "modExport.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMimeData>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <sys/resource.h>
#include <csignal>

namespace qv::test {
namespace {

// Scripted dialogs that also keep every save request.
struct SaveRequests : ScriptedDialogs {
    std::vector<FileDialogRequest> saves;
    FileDialogResult SaveFile(const FileDialogRequest& request) override {
        saves.push_back(request);
        return ScriptedDialogs::SaveFile(request);
    }
};

class DataViewCommands : public DataViewRig {
  protected:
    void SetUp() override {
        DataViewRig::SetUp();
        NoteSavedFile({});            // as at the start of a run
        graph().SetDrawObj(nullptr);  // the graph draws its own picture, as on screen
        Open(1, logs().intervalA0514);
    }
    void TearDown() override {
        NoteSavedFile({});
        DataViewRig::TearDown();
    }
    // Print chooses the PDF entry; its file dialog answers `pdf` (cancelled for none).
    void PrintToPdf(const QString& pdf) {
        ChoosePrinterEntry(ask, ui::PdfEntryName());
        // No file: the file dialog is cancelled.
        ask.AnswerFile(pdf.isEmpty() ? FileDialogResult{} : FileDialogResult{true, pdf, 1});
        Click(0);
    }
    void Click(int index) { page.cmdBrowse[static_cast<size_t>(index)]->click(); }
    QImage Picture() { return graph().Picture().convertToFormat(QImage::Format_RGB32); }

    SaveRequests ask;  // in place of the rig's dialogs
    QTemporaryDir dir;
};

TEST_F(DataViewCommands, ASaveReplacesTheFileWholeOrNotAtAllAfterOneQuestion) {
    const QString path = dir.filePath("log.csv"), tab = MakeSampleText(*CurInterval, "\t");
    const QString comma = MakeSampleText(*CurInterval, ",");
    WriteText(path, "old");
    const struct {
        int filter, answer;  // filter 0: the dialog cancelled
        QString saved;
    } cases[] = {{2, vbNo, "old"},
                 {0, vbYes, "old"},
                 {2, vbYes, tab + "\r\n"},
                 {1, vbYes, comma + "\r\n"},
                 {3, vbYes, comma + "\r\n"}};
    for (const auto& c : cases) {
        ask.clear();
        ExportFileName.clear();
        ask.AnswerFile(c.filter > 0 ? FileDialogResult{true, path, c.filter} : FileDialogResult{});
        if (c.filter > 0) ask.AnswerMsgBox(c.answer);
        Click(2);
        EXPECT_EQ(ReadText(path), c.saved) << c.filter;
        EXPECT_EQ(ask.messages(), c.filter ? QStringList{GetMessage(5307)} : QStringList());
        EXPECT_EQ(ExportFileName, c.answer == vbYes && c.filter ? path : QString()) << c.filter;
    }
    // Enter keeps the old file.
    EXPECT_EQ(ask.asked().back().style, vbYesNo | vbQuestion | vbDefaultButton2);

    // A write cut short by the file size limit: the user is told, the old file stays whole.
    rlimit limit{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &limit), 0);
    rlimit small = limit;
    small.rlim_cur = 1000;
    const auto oldSignal = std::signal(SIGXFSZ, SIG_IGN);
    ExportFileName = "kept";
    ask.AnswerFile({true, path, 2});
    ask.AnswerMsgBox(vbYes);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    Click(2);
    setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, oldSignal);
    EXPECT_TRUE(ask.messages().back().startsWith("Cannot write " + path));
    EXPECT_EQ(ReadText(path), comma + "\r\n");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"log.csv"});
    EXPECT_EQ(ExportFileName, "kept");
}

TEST_F(DataViewCommands, TheNameProposedFollowsTheLastSaveAndTheViewChosen) {
    ui::FixedPrinterList printers{{"Office"}, "Office"};
    AppFont.Name = "DejaVu Sans";
    // The first PDF and the first export start in the home folder, never in the program's
    // hidden folder or wherever the program was started.
    PrintToPdf(dir.filePath("first.pdf"));
    NoteSavedFile({});
    ask.AnswerFile({true, dir.filePath("run.txt"), 3});
    Click(2);
    page.optBrowse[1]->click();
    ask.AnswerFile({true, dir.filePath("run.bmp"), 1});
    Click(2);
    page.optBrowse[0]->click();
    // A PDF goes to the folder of the last export; an export after it, to the PDF's folder.
    QTemporaryDir other;
    PrintToPdf(other.filePath("report.pdf"));
    ask.AnswerFile({});  // cancelled
    Click(2);
    PrintToPdf(QString());
    ASSERT_EQ(ask.saves.size(), 6);
    EXPECT_EQ(ask.saves[0].FileName, QDir::home().filePath("Sample.pdf"));
    EXPECT_EQ(ask.saves[0].InitDir, QDir::homePath());
    EXPECT_EQ(ask.saves[1].FileName, QDir::home().filePath("Sample.csv"));
    EXPECT_EQ(ask.saves[1].InitDir, QDir::homePath());
    EXPECT_EQ(ask.saves[2].FileName, dir.filePath("run.bmp"));
    EXPECT_EQ(ask.saves[2].Filter, GetMessage(5712));
    EXPECT_EQ(ask.saves[3].FileName, dir.filePath("Sample.pdf"));
    EXPECT_EQ(ask.saves[3].InitDir, dir.path());
    EXPECT_EQ(ask.saves[4].FileName, other.filePath("run.csv"));
    EXPECT_EQ(ask.saves[4].Filter, GetMessage(5701));
    EXPECT_EQ(ask.saves[5].FileName, other.filePath("Sample.pdf"));
    EXPECT_TRUE(ask.messages().isEmpty()) << ask.messages().join('|').toStdString();
    EXPECT_EQ(QImage(dir.filePath("run.bmp"), "BMP").convertToFormat(QImage::Format_RGB32),
              Picture());
    EXPECT_TRUE(QFile::exists(other.filePath("report.pdf")));
}

TEST_F(DataViewCommands, TheSaveDialogShowsEachFilterOnceAndAddsTheSuffixOfTheOneChosen) {
    EXPECT_EQ(QtFilters(GetMessage(5701)),
              (QStringList{"Comma csv (*.csv)", "Tab csv (*.csv)", "Text Comma (*.txt)"}));
    EXPECT_EQ(QtFilters(GetMessage(5712)), QStringList{"Bitmap bmp (*.bmp)"});
    EXPECT_EQ(QtFilters("Text|*.txt;*.log|All (*.*)|*.*"),
              (QStringList{"Text (*.txt *.log)", "All (*.*)"}));

    // The program's own save dialog, answered with a name typed without a suffix.
    QtUserDialogs real;
    const auto save = [&](const QString& filter, int index, const QString& typed,
                          const QString& defaultExt = {}) {
        FileDialogRequest request;
        request.Filter = filter;
        request.FilterIndex = index;
        request.InitDir = dir.path();
        request.FileName = dir.filePath("Sample.csv");
        request.DefaultExt = defaultExt;
        QStringList shown;
        QString folder;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            shown = dialog->nameFilters();
            folder = dialog->directory().absolutePath();
            dialog->selectFile(typed);
            QMetaObject::invokeMethod(dialog, "accept");  // as the Save button does
        });
        const FileDialogResult result = real.SaveFile(request);
        EXPECT_EQ(folder, dir.path());
        EXPECT_EQ(shown, QtFilters(filter));
        EXPECT_TRUE(result.Accepted);
        EXPECT_EQ(result.FilterIndex, index);
        return result.FileName;
    };
    EXPECT_EQ(save(GetMessage(5701), 1, "run"), dir.filePath("run.csv"));
    EXPECT_EQ(save(GetMessage(5701), 3, "run"), dir.filePath("run.txt"));
    EXPECT_EQ(save(GetMessage(5701), 3, "run.dat"), dir.filePath("run.dat"));
    EXPECT_EQ(save("All (*.*)|*.*", 1, "run"), dir.filePath("run"));
    EXPECT_EQ(save("All (*.*)|*.*", 1, "run", "pdf"), dir.filePath("run.pdf"));
}

TEST_F(DataViewCommands, CopyAndSummary) {
    QClipboard& clipboard = *QGuiApplication::clipboard();
    Click(1);
    EXPECT_EQ(clipboard.text(), MakeSampleText(*CurInterval, "\t"));
    page.optBrowse[1]->click();
    Click(1);
    EXPECT_FALSE(clipboard.mimeData()->hasText());
    EXPECT_EQ(clipboard.image().convertToFormat(QImage::Format_RGB32), Picture());
    // Building the new content fails: the user's clipboard stays as it was.
    clipboard.setText("the user's own");
    EXPECT_THROW(DataViewPage::ReplaceClipboard([]() -> std::unique_ptr<QMimeData> {
                     throw AppError(ErrInvalidCall, "failed");
                 }),
                 AppError);
    EXPECT_EQ(clipboard.text(), "the user's own");

    page.optBrowse[0]->click();
    for (const bool hidden : {false, true}) {
        Click(3);
        EXPECT_EQ(summary().isHidden(), hidden);
    }
    EXPECT_TRUE(ask.messages().isEmpty());
}

TEST_F(DataViewCommands, PrintGivesTheLogOnShowToThePrintForm) {
    ui::FixedPrinterList printers{{"Office"}, "Office"};
    AppFont.Name = "DejaVu Sans";  // digits of a CJK font do not come back out of a PDF
    PrintToPdf(dir.filePath("log.pdf"));
    EXPECT_TRUE(ask.messages().isEmpty()) << ask.messages().join('|').toStdString();
    QProcess text;
    text.start("pdftotext", {"-layout", dir.filePath("log.pdf"), "-"});
    ASSERT_TRUE(text.waitForFinished(30000));
    const QString printed = QString::fromUtf8(text.readAllStandardOutput()).simplified();
    EXPECT_TRUE(printed.contains("(Interval Trend)")) << printed.toStdString();
    EXPECT_TRUE(printed.contains("1 " + table().TextMatrix(1, 1))) << printed.toStdString();
}

}  // namespace
}  // namespace qv::test

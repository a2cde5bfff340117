// The texts of the program's own dialogs, pop-up menus and failures come from the catalogue:
// in Japanese, none of them is left in English.
#include "ShellFixture.h"

#include "AppError.h"
#include "AtomicFile.h"
#include "PrinterList.h"
#include "PrinterTarget.h"
#include "frmFsDialog.h"
#include "frmGasSel.h"
#include "frmOpen.h"
#include "frmPassword.h"
#include "frmPrint.h"
#include "frmSetPrinter.h"

#include <QPrinter>

namespace qv::test {
namespace {

class JapaneseTexts : public ShellTest {
  protected:
    void SetUp() override {
        ShellTest::SetUp();
        SetCatalogueLanguage(CatalogueLanguage::Japanese);
    }
    static QString Ja(int id) { return RawMessage(id, CatalogueLanguage::Japanese); }
    static QString Failure(const std::function<void()>& action) {
        try {
            action();
        } catch (const AppError& e) {
            return e.text();
        }
        return QStringLiteral("<no failure>");
    }
};

TEST_F(JapaneseTexts, OwnDialogsAndPopupMenus) {
    const QString ok = Ja(9012), cancel = Ja(9013);
    EXPECT_NE(cancel, "Cancel");
    frmPassword password;
    EXPECT_EQ(password.windowTitle(), Ja(9009));
    frmSetPrinter printers;
    EXPECT_EQ(printers.windowTitle(), Ja(9010));
    EXPECT_EQ(printers.cmdOK->text(), ok);
    EXPECT_EQ(printers.cmdCan->text(), cancel);
    EXPECT_EQ(printers.cmbList->findText("Print to PDF file"), -1);
    frmGasSel gases;
    EXPECT_EQ(gases.windowTitle(), Ja(9015));
    EXPECT_EQ(gases.fraGasSel->title(), Ja(9016));
    EXPECT_EQ(gases.cmdGasSel[0]->text(), ok);
    EXPECT_EQ(gases.cmdGasSel[1]->text(), cancel);
    frmFsDialog factory;
    EXPECT_EQ(factory.windowTitle(), Ja(9018));
    EXPECT_EQ(factory.cmdOK->text(), ok);
    EXPECT_EQ(factory.cmdCancel->text(), cancel);
    frmPrint preview;
    EXPECT_EQ(preview.windowTitle(), Ja(9014));
    EXPECT_EQ(preview.cmdPrint->text(), Ja(9008));

    auto main = StartMain();
    EXPECT_EQ(main->pageBrowser->mnuDelete->text(), Ja(9007));
    EXPECT_EQ(main->pageCalHistory->mnuHistDel[0]->text(), Ja(9008));
    EXPECT_EQ(main->pageCalHistory->mnuHistDel[2]->text(), Ja(9007));
    EXPECT_EQ(main->pageOption->cmdOptionDisp[6]->text(), Ja(9017));
    // The PDF entry can never take a print queue's name: it holds a blank in both languages.
    EXPECT_EQ(ui::PdfEntryName(), Ja(9011));
    EXPECT_TRUE(ui::PdfEntryName().contains(u' '));
    SetCatalogueLanguage(CatalogueLanguage::English);
    EXPECT_EQ(ui::PdfEntryName(), "Print to PDF file");
}

TEST_F(JapaneseTexts, MessagesAndFailures) {
    frmPrint empty;
    empty.cmdPrint_Click();
    frmOpen splash({}, [] { return MakeMain(); });
    EXPECT_EQ(splash.lblNotice->text(), Ja(9027));
    splash.fraOpen_DblClick();
    EXPECT_EQ(dialogs_->messages(), (QStringList{Ja(9004), Ja(9021)}));
    EXPECT_EQ(dialogs_->asked().back().title, Ja(9022));

    const QString missing = home_.filePath("gone/file.csv");
    EXPECT_TRUE(Failure([&] {
                    WriteTextAtomically(missing, "x");
                }).startsWith(QString(Ja(9003)).section("~2", 0, 0).replace("~1", missing)));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(home_.filePath("gone/page.pdf"));
    ui::PrinterTarget refused(printer);
    EXPECT_EQ(Failure([&] { refused.Print(QStringLiteral("never")); }),
              GetMessage(9023, {home_.filePath("gone/page.pdf")}));
}

}  // namespace
}  // namespace qv::test

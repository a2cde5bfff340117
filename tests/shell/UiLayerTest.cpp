// Our window-side layers: the grid control, twips geometry and colours, the scripted dialogs.
#include "FlexGrid.h"
#include "ScriptedDialogs.h"
#include "Twips.h"

#include <gtest/gtest.h>

#include <QDialog>
#include <QMenu>
#include <QWidget>

namespace qv::test {
namespace {

TEST(FlexGrid, FormatStringSetsColumnsAndHeadings) {
    ui::FlexGrid grid;
    grid.SetRows(4);
    grid.SetFormatString("<Gas|^Enable|>Current Reading");
    EXPECT_EQ(grid.Cols(), 3);
    EXPECT_EQ(grid.Rows(), 4);
    EXPECT_EQ(grid.TextMatrix(0, 0), "Gas");
    EXPECT_EQ(grid.TextMatrix(0, 2), "Current Reading");
    EXPECT_TRUE(grid.item(0, 2)->textAlignment() & Qt::AlignRight);
    EXPECT_EQ(grid.FormatString(), "<Gas|^Enable|>Current Reading");
    // Headings are not editable, data cells are.
    grid.SetTextMatrix(1, 1, "x");
    EXPECT_FALSE(grid.item(0, 1)->flags() & Qt::ItemIsEditable);
    EXPECT_TRUE(grid.item(1, 1)->flags() & Qt::ItemIsEditable);
    // Cells outside the grid read empty and are not created.
    grid.SetTextMatrix(9, 9, "lost");
    EXPECT_EQ(grid.TextMatrix(9, 9), "");
    EXPECT_EQ(grid.Rows(), 4);

    grid.SetFormatString("|A|B;|r1|r2");
    EXPECT_EQ(grid.Cols(), 3);
    EXPECT_EQ(grid.TextMatrix(2, 0), "r2");
    grid.SetFixedCols(1);
    EXPECT_FALSE(grid.item(2, 0)->flags() & Qt::ItemIsEditable);
    grid.SetFixedCols(0);
    EXPECT_TRUE(grid.item(2, 0)->flags() & Qt::ItemIsEditable);
}

TEST(FlexGrid, ColumnWidthsInTwips) {
    ui::FlexGrid grid;
    grid.SetCols(4);
    grid.resize(ui::ToPixelsX(6000), 100);
    grid.SetColWidth(1, 1500);
    EXPECT_NEAR(grid.ColWidth(1), 1500, ui::TwipsPerPixelX());
    grid.SetColWidth(7, 1500);  // no such column: ignored
    EXPECT_EQ(grid.ColWidth(7), 0);
    grid.SetColWidths({0.5, 0.25});
    EXPECT_NEAR(grid.ColWidth(0), 3000, ui::TwipsPerPixelX());
    EXPECT_NEAR(grid.ColWidth(1), 1500, ui::TwipsPerPixelX());
    grid.SetColWidth(2, -100);
    EXPECT_EQ(grid.columnWidth(2), 0);
}

TEST(Twips, GeometryAndColours) {
    EXPECT_DOUBLE_EQ(ui::TwipsPerPixelX(), 15);  // offscreen: 96 dpi
    QWidget parent;
    QWidget child(&parent);
    ui::Move(&child, 150, 300, 1500, 750);
    EXPECT_EQ(child.geometry(), QRect(10, 20, 100, 50));
    ui::Move(&child, ui::Keep, 600, -30);
    EXPECT_EQ(child.geometry(), QRect(10, 40, 0, 50));
    EXPECT_DOUBLE_EQ(ui::Top(&child), 600);
    child.hide();
    parent.hide();
    EXPECT_FALSE(ui::IsShown(&child));
    child.show();
    EXPECT_TRUE(ui::IsShown(&child));  // shown although its parent is hidden

    EXPECT_EQ(ui::RGB(255, 128, 0), 0x0080FF);
    EXPECT_EQ(ui::ColorFromLong(0x0080FF), QColor(255, 128, 0));
    EXPECT_EQ(ui::LongFromColor(QColor(1, 2, 3)), 0x030201);
    ui::SetBackColor(&child, 0xFF8000);
    EXPECT_EQ(ui::BackColor(&child), 0xFF8000);
    EXPECT_EQ(child.palette().color(QPalette::Button), QColor(0, 128, 255));
}

TEST(ScriptedDialogs, AnswersInOrderAndRecordsQuestions) {
    UserDialogs* before = InstalledDialogs();
    {
        ScriptedDialogs dialogs;
        EXPECT_EQ(&Dialogs(), &dialogs);
        dialogs.AnswerMsgBox(vbNo);
        EXPECT_EQ(Dialogs().MsgBox("Sure?", vbYesNo | vbQuestion, "T"), vbNo);
        dialogs.AnswerColor(0x123456);
        EXPECT_EQ(Dialogs().ChooseColor(0), 0x123456);
        QMenu menu;
        QAction* del = menu.addAction("Delete");
        dialogs.AnswerMenu("Delete");
        EXPECT_EQ(Dialogs().PopupMenu(menu, {3, 4}), del);
        EXPECT_TRUE(dialogs.unscripted().empty());
        // An untitled menu is known by its entries, and where it was to open is kept.
        EXPECT_EQ(dialogs.asked()[2].text, "Delete");
        EXPECT_EQ(dialogs.asked()[2].place, QPoint(3, 4));

        // Without an answer: a box that only tells is answered OK; every question is reported
        // and takes the answer that changes nothing.
        QStringList reported;
        const auto failing = ScriptedDialogs::OnUnscripted(
            [&](const ScriptedDialogs::Asked& a) { reported << a.text; });
        EXPECT_EQ(Dialogs().MsgBox("Done.", vbInformation), vbOK);
        EXPECT_EQ(Dialogs().MsgBox("Again?", vbYesNo), vbNo);
        EXPECT_EQ(Dialogs().MsgBox("Keep?", vbYesNoCancel | vbDefaultButton1), vbCancel);
        EXPECT_EQ(Dialogs().MsgBox("Go on?", vbOKCancel), vbCancel);
        EXPECT_EQ(Dialogs().MsgBox("Stop?", vbAbortRetryIgnore), vbAbort);
        EXPECT_FALSE(Dialogs().SaveFile({"Export", "CSV|*.csv", 1, "Sample.csv", {}, {}}).Accepted);
        EXPECT_EQ(Dialogs().ChooseColor(0), std::nullopt);
        menu.setTitle("Log");
        EXPECT_EQ(Dialogs().PopupMenu(menu, {}), nullptr);
        QDialog form;
        form.setWindowTitle("Password");
        EXPECT_EQ(Dialogs().ShowModal(form), QDialog::Rejected);
        ScriptedDialogs::OnUnscripted(failing);
        EXPECT_EQ(reported, (QStringList{"Again?", "Keep?", "Go on?", "Stop?", "Export", "0", "Log",
                                         "Password"}));
        EXPECT_EQ(dialogs.unscripted().size(), 8u);
        EXPECT_EQ(dialogs.messages(),
                  (QStringList{"Sure?", "Done.", "Again?", "Keep?", "Go on?", "Stop?"}));
        EXPECT_EQ(dialogs.asked()[0].title, "T");
    }
    EXPECT_EQ(InstalledDialogs(), before);
    EXPECT_EQ(QtFilters("Text (*.txt)|*.txt|All|*.*"), (QStringList{"Text (*.txt)", "All (*.*)"}));
}

// While a close is pending nobody is asked, whatever service is installed: every box is told
// instead and takes the answer that changes nothing.
TEST(ScriptedDialogs, NobodyIsAskedWhileACloseIsPending) {
    ScriptedDialogs dialogs;
    dialogs.AnswerMsgBox(vbYes);
    QStringList told;
    SetClosePending([&](const QString& prompt, int style, const QString& title) {
        told << title + u'|' + prompt + u'|' + QString::number(style & 0x70);
    });
    EXPECT_TRUE(ClosePending());
    EXPECT_EQ(Dialogs().MsgBox("Done.", vbInformation, "Upload"), vbOK);
    EXPECT_EQ(Dialogs().MsgBox("Erase?", vbYesNo | vbQuestion), vbNo);
    EXPECT_EQ(Dialogs().MsgBox("Keep?", vbYesNoCancel | vbDefaultButton1), vbCancel);
    EXPECT_EQ(Dialogs().MsgBox("Go on?", vbOKCancel), vbCancel);
    EXPECT_EQ(Dialogs().MsgBox("Again?", vbRetryCancel), vbCancel);
    EXPECT_EQ(Dialogs().MsgBox("Stop?", vbAbortRetryIgnore), vbAbort);
    EXPECT_EQ(told.size(), 6);
    EXPECT_EQ(told.value(0), "Upload|Done.|" + QString::number(vbInformation));
    EXPECT_FALSE(Dialogs().SaveFile({"Export", "CSV|*.csv", 1, "Sample.csv", {}, {}}).Accepted);
    EXPECT_FALSE(Dialogs().OpenFile({"Open", "CSV|*.csv", 1, {}, {}, {}}).Accepted);
    EXPECT_EQ(Dialogs().ChooseFont(QFont()), std::nullopt);
    EXPECT_EQ(Dialogs().ChooseColor(0), std::nullopt);
    QMenu menu;
    menu.addAction("Delete");
    EXPECT_EQ(Dialogs().PopupMenu(menu, {}), nullptr);
    QDialog form;
    EXPECT_EQ(Dialogs().ShowModal(form), QDialog::Rejected);
    EXPECT_TRUE(dialogs.asked().empty());

    SetClosePending(nullptr);
    EXPECT_FALSE(ClosePending());
    EXPECT_EQ(Dialogs().MsgBox("Erase?", vbYesNo), vbYes);
}

}  // namespace
}  // namespace qv::test

// The window worked with the keys alone. Every pop-up menu opens from the keyboard: the Menu key
// (the keyboard context-menu event the window system delivers) and Shift+F10 open, on the
// current item of the tree, the list and every grid with a menu, the menu a right press on that
// item opens, placed at the item, and its entries act on that item. A font dialog left with
// Escape changes nothing. Checked in the real window, the keys moving the current item as a
// user's do.
#include "SimulatedWindow.h"
#include "frmPassword.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QRegularExpression>
#include <QWindow>

namespace qv::test {
namespace {

const QString kPassword = QStringLiteral("Qv7");

class KeyboardOnly : public SimulatedWindow {
  protected:
    void SetUp() override {
        ShellTest::SetUp();
        ASSERT_NO_FATAL_FAILURE(LoadActiveWindow());
        main_->Form_Activate();
        UserPassword = kPassword;
    }

    // The Menu key: the window system hands the window a keyboard context-menu event.
    void MenuKey() {
        const QPoint at(5, 5);
        QContextMenuEvent menu(QContextMenuEvent::Keyboard, at, main_->mapToGlobal(at));
        QCoreApplication::sendEvent(main_->windowHandle(), &menu);
    }
    // Either way of asking for the menu.
    void AskForMenu(bool shiftF10) {
        if (shiftF10)
            Key(Qt::Key_F10, Qt::ShiftModifier);
        else
            MenuKey();
    }
    // Tab onto a control, as the keys reach it.
    static void TabTo(QWidget* control) {
        control->setFocus(Qt::TabFocusReason);
        ASSERT_EQ(QApplication::focusWidget(), control);
    }
    // The keys move the current item of the tree or list onto `key`: from the first item down,
    // and into a collapsed node that holds it.
    void WalkTo(ui::KeyedItemView& view, const QString& key) {
        QTreeWidgetItem* target = view.Item(key);
        ASSERT_NE(target, nullptr) << key.toStdString();
        Key(Qt::Key_Home);
        for (int i = 0; i < 200 && view.currentItem() != target; ++i) {
            QTreeWidgetItem* current = view.currentItem();
            bool holds = false;
            for (const QTreeWidgetItem* up = target->parent(); up; up = up->parent())
                holds = holds || up == current;
            Key(current && holds && !current->isExpanded() ? Qt::Key_Right : Qt::Key_Down);
        }
        ASSERT_EQ(view.currentItem(), target) << key.toStdString();
    }
    // The menu asked last: its entries, and that it opened on this rectangle of a viewport.
    void ExpectMenuAt(const QString& entries, const QWidget& viewport, const QRect& item) {
        ASSERT_FALSE(dialogs_->asked().empty());
        const ScriptedDialogs::Asked& asked = dialogs_->asked().back();
        EXPECT_EQ(asked.kind, ScriptedDialogs::Kind::Menu);
        EXPECT_EQ(asked.text, entries);
        EXPECT_TRUE(item.contains(viewport.mapFromGlobal(asked.place)))
            << asked.place.x() << "," << asked.place.y();
    }
    size_t MenusAsked() const {
        size_t n = 0;
        for (const ScriptedDialogs::Asked& asked : dialogs_->asked())
            n += asked.kind == ScriptedDialogs::Kind::Menu;
        return n;
    }
    // The password typed into the real dialog and taken with Enter.
    void AnswerPasswordByKeys() {
        dialogs_->AnswerModal([](QDialog& shown) {
            auto& dialog = dynamic_cast<frmPassword&>(shown);
            dialog.show();
            for (const QChar c : kPassword) {
                QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
                QCoreApplication::sendEvent(dialog.txtPass, &press);
            }
            QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
            QCoreApplication::sendEvent(dialog.txtPass, &enter);
            return dialog.result();
        });
    }
    // The question asked last, which must default to No.
    void ExpectQuestion(const QString& prompt) {
        ASSERT_FALSE(dialogs_->asked().empty());
        const ScriptedDialogs::Asked& asked = dialogs_->asked().back();
        EXPECT_EQ(asked.text, prompt);
        EXPECT_EQ(asked.style & 7, vbYesNo);
        EXPECT_EQ(asked.style & vbDefaultButton2, vbDefaultButton2);
    }
    long long Scalar(const QString& sql, const QVariantList& params) const {
        Database db(DatabasePath);
        return db.scalar(sql, params).toLongLong();
    }
    static QRect CellRect(const ui::FlexGrid& grid) { return grid.visualRect(grid.currentIndex()); }
    static QString Log(int32_t seqNo, char letter) {
        return QString::number(seqNo) + ' ' + QChar::fromLatin1(letter);
    }
    QString UnitEntries() const { return UnitGasName + '|' + UnitNames[0] + '|' + UnitNames[1]; }
};

TEST_F(KeyboardOnly, EveryMenuOpensOnTheCurrentItem) {
    ASSERT_NO_FATAL_FAILURE(ConnectAndRead());
    // The progress window of that download was the active one.
    main_->activateWindow();
    ASSERT_TRUE(WaitFor([&] { return main_->isActiveWindow(); }, 5000));
    frmMain& main = *main_;
    BrowserPage& browser = *main.pageBrowser;
    const FixtureLogs& logs = fixture_->logs();

    for (const bool shiftF10 : {false, true}) {
        SCOPED_TRACE(shiftF10 ? "Shift+F10" : "Menu key");
        // The tree: the delete menu of the node walked to, which is selected and listed.
        main.cmdInst_Click(2);
        ui::KeyedTree& tree = *browser.tvwLog;
        ASSERT_NO_FATAL_FAILURE(TabTo(&tree));
        const QString folder = QStringLiteral("06/24 M");
        ASSERT_NO_FATAL_FAILURE(WalkTo(tree, folder));
        dialogs_->AnswerMenu("");
        AskForMenu(shiftF10);
        ExpectMenuAt("Delete", *tree.viewport(), tree.visualItemRect(tree.Item(folder)));
        EXPECT_EQ(browser.mnuDelete->data().toString(), folder);
        EXPECT_EQ(tree.SelectedKey(), folder);
        EXPECT_EQ(browser.lvwLog->Keys(), QStringList{"06/24 I"});

        // The list: the delete menu of the log walked to, whose pane shows.
        ASSERT_NO_FATAL_FAILURE(WalkTo(tree, "05/24 I"));
        ui::KeyedList& list = *browser.lvwLog;
        ASSERT_NO_FATAL_FAILURE(TabTo(&list));
        const QString trend = Log(logs.intervalB, 'G');
        ASSERT_NO_FATAL_FAILURE(WalkTo(list, trend));
        dialogs_->AnswerMenu("");
        AskForMenu(shiftF10);
        ExpectMenuAt("Delete", *list.viewport(), list.visualItemRect(list.Item(trend)));
        EXPECT_EQ(browser.mnuDelete->data().toString(), trend);
        EXPECT_EQ(list.SelectedKey(), trend);
        EXPECT_EQ(main.CurSeqNo, logs.intervalB);

        // The property grid of a trend: the unit menu of gas 1, on the cell walked to.
        ui::FlexGrid& pane = *browser.vfgLog;
        ASSERT_NO_FATAL_FAILURE(TabTo(&pane));
        Key(Qt::Key_Down);
        Key(Qt::Key_Right);
        ASSERT_EQ(pane.Row(), 1);
        dialogs_->AnswerMenu("");
        AskForMenu(shiftF10);
        ExpectMenuAt(UnitEntries(), *pane.viewport(), CellRect(pane));
        // An event log has no unit to choose: no menu.
        ASSERT_NO_FATAL_FAILURE(TabTo(&tree));
        ASSERT_NO_FATAL_FAILURE(WalkTo(tree, "05/24 E"));
        ASSERT_NO_FATAL_FAILURE(TabTo(&list));
        ASSERT_NO_FATAL_FAILURE(WalkTo(list, Log(logs.alarmEventsA, 'V')));
        ASSERT_NO_FATAL_FAILURE(TabTo(&pane));
        const size_t menus = MenusAsked();
        AskForMenu(shiftF10);
        EXPECT_EQ(MenusAsked(), menus);

        // The data view of a trend: the unit menu on its table and on its summary.
        ASSERT_NO_FATAL_FAILURE(TabTo(&tree));
        ASSERT_NO_FATAL_FAILURE(WalkTo(tree, "05/24 A"));
        ASSERT_NO_FATAL_FAILURE(TabTo(&list));
        ASSERT_NO_FATAL_FAILURE(WalkTo(list, Log(logs.alarmA, 'K')));
        ASSERT_NO_FATAL_FAILURE(TabTo(browser.cmdDetail));
        Key(Qt::Key_Space);
        ASSERT_TRUE(main.pageDataView->isVisible());
        DataViewPage& view = *main.pageDataView;
        view.optBrowse[0]->click();
        view.cmdBrowse[3]->click();
        for (ui::FlexGrid* grid : {view.vfgBrowse, view.vfgSummary}) {
            ASSERT_TRUE(grid->isVisible());
            ASSERT_NO_FATAL_FAILURE(TabTo(grid));
            Key(Qt::Key_Down);
            Key(Qt::Key_Down);
            dialogs_->AnswerMenu("");
            AskForMenu(shiftF10);
            ExpectMenuAt(UnitEntries(), *grid->viewport(), CellRect(*grid));
        }
        view.cmdBrowse[3]->click();

        // The last calibrations: print and delete of the row walked to, where a row is one
        // instrument; none in the layout of every calibration.
        main.cmdInst_Click(3);
        CalHistoryPage& history = *main.pageCalHistory;
        ui::FlexGrid& rows = *history.vfgHistory;
        for (const size_t layout : {0, 1, 2}) {
            ASSERT_NO_FATAL_FAILURE(TabTo(history.optHistory[layout]));
            Key(Qt::Key_Space);
            ASSERT_TRUE(history.optHistory[layout]->isChecked());
            ASSERT_GT(rows.Rows(), 1);
            ASSERT_NO_FATAL_FAILURE(TabTo(&rows));
            Key(Qt::Key_Down);
            ASSERT_EQ(rows.Row(), 1);
            const size_t before = MenusAsked();
            if (layout < 2) dialogs_->AnswerMenu("");
            AskForMenu(shiftF10);
            if (layout < 2) {
                ExpectMenuAt("Print||Delete", *rows.viewport(), CellRect(rows));
                EXPECT_EQ(rows.selectionModel()->selectedRows().size(), 1);
            } else {
                EXPECT_EQ(MenusAsked(), before);
            }
        }
    }
    EXPECT_TRUE(dialogs_->unscripted().empty());
}

// A log and a folder deleted with the keys alone: the menu, the password typed into its dialog
// and taken with Enter, and the question, which defaults to No.
TEST_F(KeyboardOnly, DeletesALogAndAFolder) {
    frmMain& main = *main_;
    BrowserPage& browser = *main.pageBrowser;
    const FixtureLogs& logs = fixture_->logs();
    main.cmdInst_Click(2);
    const long long headers = fixture_->count("Log_head");

    ui::KeyedTree& tree = *browser.tvwLog;
    ui::KeyedList& list = *browser.lvwLog;
    ASSERT_NO_FATAL_FAILURE(TabTo(&tree));
    ASSERT_NO_FATAL_FAILURE(WalkTo(tree, "05/24 I"));
    ASSERT_NO_FATAL_FAILURE(TabTo(&list));
    const QString log = Log(logs.intervalB, 'G');
    ASSERT_NO_FATAL_FAILURE(WalkTo(list, log));
    // Answered No: nothing goes.
    dialogs_->AnswerMenu("Delete");
    AnswerPasswordByKeys();
    dialogs_->AnswerMsgBox(vbNo);
    MenuKey();
    ExpectQuestion(GetMessage(5327, {"tank b"}));
    EXPECT_TRUE(list.Contains(log));
    dialogs_->AnswerMenu("Delete");
    AnswerPasswordByKeys();
    dialogs_->AnswerMsgBox(vbYes);
    Key(Qt::Key_F10, Qt::ShiftModifier);
    ExpectQuestion(GetMessage(5327, {"tank b"}));
    EXPECT_FALSE(list.Contains(log));
    EXPECT_EQ(fixture_->count("Log_head"), headers - 1);
    EXPECT_EQ(Scalar("Select Count(*) From Interval_Data Where RelNo = ?", {logs.intervalB}), 0);
    EXPECT_EQ(QApplication::focusWidget(), &list);

    // A month's folder from the tree: its logs go, and the tree is built again without it.
    ASSERT_NO_FATAL_FAILURE(TabTo(&tree));
    ASSERT_NO_FATAL_FAILURE(WalkTo(tree, "06/24 M"));
    dialogs_->AnswerMenu("Delete");
    AnswerPasswordByKeys();
    dialogs_->AnswerMsgBox(vbYes);
    MenuKey();
    ExpectQuestion(GetMessage(5339));
    EXPECT_FALSE(tree.Contains("06/24 M"));
    EXPECT_EQ(Scalar("Select Count(*) From Log_head Where SeqNo = ?", {logs.intervalA0614}), 0);
    EXPECT_EQ(fixture_->count("Log_head"), headers - 2);
    EXPECT_TRUE(dialogs_->unscripted().empty());
}

// Gas 1's unit switched from the keys, on the stored-data pane and on the data view, each grid
// shown again in the unit chosen; the choice is kept in the settings file.
TEST_F(KeyboardOnly, SwitchesTheUnitOfGas1) {
    frmMain& main = *main_;
    BrowserPage& browser = *main.pageBrowser;
    const FixtureLogs& logs = fixture_->logs();
    main.cmdInst_Click(2);
    ASSERT_NO_FATAL_FAILURE(TabTo(browser.tvwLog));
    ASSERT_NO_FATAL_FAILURE(WalkTo(*browser.tvwLog, "05/24 I"));
    ASSERT_NO_FATAL_FAILURE(TabTo(browser.lvwLog));
    ASSERT_NO_FATAL_FAILURE(WalkTo(*browser.lvwLog, Log(logs.intervalA0514, 'G')));
    ui::FlexGrid& pane = *browser.vfgLog;
    const QString own = pane.TextMatrix(8, 1);
    ASSERT_FALSE(ConvEnable);

    ASSERT_NO_FATAL_FAILURE(TabTo(&pane));
    dialogs_->AnswerMenu(UnitNames[1]);
    MenuKey();
    EXPECT_TRUE(ConvEnable);
    const QString second = pane.TextMatrix(8, 1);
    EXPECT_NE(second, own);
    EXPECT_TRUE(second.contains(UnitNames[1])) << second.toStdString();
    EXPECT_TRUE(ReadText(programFile("QV4170.ini"))
                    .contains(QRegularExpression("Conv Param\t[^\t]*\tTrue")));

    // On the data view the table is built again in gas 1's own unit.
    ASSERT_NO_FATAL_FAILURE(TabTo(browser.cmdDetail));
    Key(Qt::Key_Space);
    DataViewPage& view = *main.pageDataView;
    ASSERT_TRUE(view.isVisible());
    view.optBrowse[0]->click();
    ui::FlexGrid& table = *view.vfgBrowse;
    EXPECT_EQ(table.TextMatrix(0, 2), second);
    ASSERT_NO_FATAL_FAILURE(TabTo(&table));
    dialogs_->AnswerMenu(UnitNames[0]);
    Key(Qt::Key_F10, Qt::ShiftModifier);
    EXPECT_FALSE(ConvEnable);
    EXPECT_EQ(table.TextMatrix(0, 2), own);
    EXPECT_TRUE(dialogs_->unscripted().empty());
}

// The font dialog cancelled (Escape): the button keeps its text and the settings file is not
// written.
TEST_F(KeyboardOnly, EscapeInTheFontDialogChangesNothing) {
    frmMain& main = *main_;
    main.cmdInst_Click(4);
    main.SettingsChanged();
    const QString file = ReadText(programFile("QV4170.ini"));
    QPushButton* font = main.pageOption->cmdOptionDisp[0];
    const QString caption = font->text();
    const QFont shown = font->font();
    ASSERT_NO_FATAL_FAILURE(TabTo(font));
    dialogs_->AnswerFont(std::nullopt);
    Key(Qt::Key_Space);
    ASSERT_EQ(dialogs_->asked().back().kind, ScriptedDialogs::Kind::Font);
    EXPECT_EQ(font->text(), caption);
    EXPECT_EQ(font->font(), shown);
    EXPECT_EQ(ReadText(programFile("QV4170.ini")), file);
}

}  // namespace
}  // namespace qv::test

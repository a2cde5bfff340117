// The keyboard follows the page on show: every way onto every page (page buttons by mouse and
// by keyboard, the stored-data page's entries to the data view and to the instrument page, the
// reset to the download page after a power-off) leaves the focus on that page's main control,
// never on a page button or a control of a hidden page; a download command run from the
// keyboard gives the keys back to its button. Checked in the real window with a connected
// instrument.
#include "OptionPage.h"
#include "SimulatedWindow.h"
#include "TextFit.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScrollBar>
#include <QWindow>
#include <optional>
#include <set>

namespace qv::test {
namespace {

class Focus : public SimulatedWindow {
  protected:
    void SetUp() override {
        ShellTest::SetUp();
        ASSERT_NO_FATAL_FAILURE(LoadActiveWindow());
    }

    // A left click in the middle of a control, or at a point of it; twice for a double click.
    static void Click(QWidget* w, bool twice = false, std::optional<QPoint> point = {}) {
        const QPoint at = point.value_or(w->rect().center());
        const QPointF global = w->mapToGlobal(QPointF(at));
        const auto send = [&](QEvent::Type type, Qt::MouseButtons buttons) {
            QMouseEvent e(type, QPointF(at), global, Qt::LeftButton, buttons, Qt::NoModifier);
            QApplication::sendEvent(w, &e);
        };
        send(QEvent::MouseButtonPress, Qt::LeftButton);
        send(QEvent::MouseButtonRelease, Qt::NoButton);
        if (!twice) return;
        send(QEvent::MouseButtonDblClick, Qt::LeftButton);
        send(QEvent::MouseButtonRelease, Qt::NoButton);
    }
    // The one page on show.
    ui::PageFrame* Shown() const {
        ui::PageFrame* shown = nullptr;
        for (ui::PageFrame* page : main_->fraMenu)
            if (page->isVisible()) {
                EXPECT_EQ(shown, nullptr) << "two pages on show";
                shown = page;
            }
        return shown;
    }
    // The stored-data page with the logs of May 2024 in its list, one of them selected.
    void OpenMayLogs(int32_t seqNo) {
        main_->cmdInst_Click(2);
        BrowserPage& browser = *main_->pageBrowser;
        browser.tvwLog_NodeClick("05/24 I");
        const QString key = QString::number(seqNo) + " G";
        ASSERT_TRUE(browser.lvwLog->Contains(key));
        browser.lvwLog->SetSelectedKey(key);
        browser.lvwLog_ItemClick(key);
        browser.ClickedLogKey = key;
    }
};

TEST_F(Focus, EveryWayOntoEveryPageLeavesTheKeysOnItsMainControl) {
    frmMain& main = *main_;
    main.Form_Activate();
    // Before an instrument is there the commands are off: the status log takes the keys.
    EXPECT_EQ(QApplication::focusWidget(), main.pageDownload->rtbLog);
    ASSERT_NO_FATAL_FAILURE(ConnectAndRead());
    // The progress window of that download was the active one.
    main.activateWindow();
    ASSERT_TRUE(WaitFor([&] { return main.isActiveWindow(); }, 5000));
    const int32_t trend = fixture_->logs().intervalA0514;
    DataViewPage& view = *main.pageDataView;
    BrowserPage& browser = *main.pageBrowser;

    struct Way {
        QString name;
        size_t page;
        std::function<void()> go;
        // Where the keys are then, when not on the page's main control.
        QWidget* keys = nullptr;
    };
    std::vector<Way> ways;
    for (size_t button = 0; button < 5; ++button) {
        constexpr std::array<size_t, 5> kPageOfButton{0, 1, 2, 4, 5};
        QPushButton* b = main.cmdInst[button];
        ways.push_back({"mouse on " + b->text(), kPageOfButton[button], [b] { Click(b); }});
        ways.push_back({"Space on " + b->text(), kPageOfButton[button], [this, b] {
                            b->setFocus();
                            Key(Qt::Key_Space);
                        }});
    }
    ways.push_back({"double click in the stored-data list", 3, [&] {
                        OpenMayLogs(trend);
                        view.optBrowse[0]->setChecked(true);
                        ui::KeyedList& list = *browser.lvwLog;
                        const QRect item = list.visualItemRect(list.Item(list.SelectedKey()));
                        Click(list.viewport(), true, item.center());
                    }});
    ways.push_back({"View Data with the graph chosen", 3, [&] {
                        OpenMayLogs(trend);
                        view.optBrowse[1]->setChecked(true);
                        Click(browser.cmdDetail);
                    }});
    ways.push_back({"View Data with the table chosen", 3, [&] {
                        OpenMayLogs(trend);
                        view.optBrowse[0]->setChecked(true);
                        Click(browser.cmdDetail);
                    }});
    ways.push_back({"the unit menu on the data view", 3, [&] {
                        // The view is built again in the other unit where it is on show.
                        view.vfgBrowse->setFocus();
                        browser.mnuUnits->menuAction()->setData("1");
                        browser.unitname_Click(1);
                    }});
    ways.push_back({"the instrument of a stored trend", 1, [&] {
                        OpenMayLogs(trend);
                        ASSERT_TRUE(browser.cmdLogInst->isEnabled());
                        Click(browser.cmdLogInst);
                    }});
    QPushButton* instrument = main.pageDownload->cmdDown[1];
    ways.push_back({"a download command from the keyboard", 0,
                    [&] {
                        main.cmdInst_Click(0);
                        instrument->setFocus();
                        Key(Qt::Key_Space);
                        // Its progress window was the active one.
                        main.activateWindow();
                        ASSERT_TRUE(WaitFor([&] { return main.isActiveWindow(); }, 5000));
                    },
                    instrument});
    ways.push_back({"power-off", 0, [&] {
                        main.pageDownload->cmdDown[0]->setFocus();
                        dialogs_->AnswerMsgBox(vbYes);
                        main.pageDownload->cmdDown_Click(8);
                    }});

    std::set<size_t> reached;
    for (const Way& way : ways) {
        SCOPED_TRACE(way.name.toStdString());
        way.go();
        QCoreApplication::processEvents();
        ui::PageFrame* page = Shown();
        ASSERT_EQ(page, main.fraMenu[way.page]);
        reached.insert(way.page);
        QWidget* focus = QApplication::focusWidget();
        ASSERT_NE(focus, nullptr);
        EXPECT_EQ(focus, way.keys ? way.keys : page->MainControl())
            << Describe(focus).toStdString();
        EXPECT_TRUE(focus->isVisible());
        for (QPushButton* button : main.cmdInst)
            EXPECT_NE(focus, button);
        // Paging goes to the page's control and never switches pages.
        Key(Qt::Key_PageDown);
        EXPECT_EQ(Shown(), page);
        EXPECT_EQ(QApplication::focusWidget(), focus);
    }
    for (size_t page = 0; page < main.fraMenu.size(); ++page)
        EXPECT_TRUE(reached.count(page)) << "no way onto page " << page;
}

// Tab and Shift+Tab from each page's main control go round the window's controls and come back,
// reaching every enabled command of the page on the way (no grid keeps the keys, an open
// editor included); in either language.
TEST_F(Focus, TabReachesEveryCommandOfEveryPage) {
    frmMain& main = *main_;
    main.Form_Activate();
    ASSERT_NO_FATAL_FAILURE(ConnectAndRead());
    main.activateWindow();
    ASSERT_TRUE(WaitFor([&] { return main.isActiveWindow(); }, 5000));
    OptionPage& option = *main.pageOption;
    ui::FlexGrid& settings = *option.vfgOption;
    const int32_t trend = fixture_->logs().intervalA0514;
    // An entry typed into gas 4's alarm cell, the editor keeping the keys.
    const auto typeAlarm = [&](const QString& text) {
        if (!settings.Editing()) {
            settings.SetRow(5);
            settings.SetCol(2);
            settings.setFocus();
            Key(Qt::Key_F2);
        }
        auto* editor = qobject_cast<QLineEdit*>(settings.indexWidget(settings.currentIndex()));
        ASSERT_NE(editor, nullptr);
        editor->setFocus();
        editor->setText(text);
    };
    struct State {
        const char* name;
        size_t page;
        std::function<void()> go;
        // The walk starts in an open editor of the page's main control.
        bool editing = false;
    };
    const std::vector<State> states = {
        {"download", 0, [&] { main.cmdInst_Click(0); }},
        {"instrument", 1, [&] { main.cmdInst_Click(1); }},
        {"stored data", 2, [&] { OpenMayLogs(trend); }},
        {"data view", 3, [&] { main.pageDataView->cmdDetail_Click(); }},
        {"last calibration", 4, [&] { main.cmdInst_Click(3); }},
        {"settings", 5, [&] { main.cmdInst_Click(4); }},
        {"a settings cell in edit", 5,
         [&] {
             // Tab takes the entry as Enter does: a refused one keeps the keys.
             typeAlarm("600");
             Key(Qt::Key_Tab);

             EXPECT_TRUE(settings.Editing());
             typeAlarm("60");
         },
         true},
        {"calibration panel", 5, [&] { option.cmdOption[2]->click(); }},
    };
    // The controls the keys visit from the focus until they are back on `home`.
    const auto walk = [&](QWidget* home, Qt::KeyboardModifiers modifiers) {
        std::set<QWidget*> seen{home};
        for (int i = 0; i < 200; ++i) {
            Key(Qt::Key_Tab, modifiers);
            QWidget* focus = QApplication::focusWidget();
            if (!focus || focus == home) return seen;
            seen.insert(focus);
        }
        ADD_FAILURE() << "the keys stay in " << Describe(QApplication::focusWidget()).toStdString();
        return seen;
    };
    for (const CatalogueLanguage language :
         {CatalogueLanguage::English, CatalogueLanguage::Japanese}) {
        SetCatalogueLanguage(language);
        main.SetCaptions();
        for (const State& state : states) {
            SCOPED_TRACE(std::string(state.name) +
                         (language == CatalogueLanguage::Japanese ? " ja" : " en"));
            for (const Qt::KeyboardModifiers modifiers : {Qt::NoModifier, Qt::ShiftModifier}) {
                state.go();
                QCoreApplication::processEvents();
                ui::PageFrame* page = main.fraMenu[state.page];
                ASSERT_EQ(Shown(), page);
                QWidget* home = page->MainControl();
                if (!state.editing) home->setFocus();
                ASSERT_TRUE(home->isAncestorOf(QApplication::focusWidget()) ||
                            QApplication::focusWidget() == home)
                    << Describe(QApplication::focusWidget()).toStdString();
                const std::set<QWidget*> seen = walk(home, modifiers);
                EXPECT_EQ(Shown(), page);
                QList<QPushButton*> commands = page->findChildren<QPushButton*>();
                for (QPushButton* button : main.cmdInst)
                    commands << button;
                for (QPushButton* button : commands) {
                    if (!button->isVisible() || !button->isEnabled()) continue;
                    EXPECT_TRUE(seen.count(button)) << (modifiers ? "Shift+Tab" : "Tab")
                                                    << " misses " << button->text().toStdString();
                }
                if (state.editing) {
                    EXPECT_FALSE(settings.Editing());
                    EXPECT_FLOAT_EQ(main.CurInstrument->Alarm(3), 60);
                }
            }
        }
        option.cmdCal[2]->click();
    }
}

// A command button with the focus takes either Enter key as it takes Space, once however long
// the key is held.
TEST_F(Focus, EnterClicksTheFocusedButton) {
    main_->Form_Activate();
    QPushButton* data = main_->cmdInst[2];
    int clicks = 0;
    QObject::connect(data, &QPushButton::clicked, [&] { ++clicks; });
    for (const auto modifiers : {Qt::NoModifier, Qt::KeypadModifier}) {
        data->setFocus();
        Key(modifiers ? Qt::Key_Enter : Qt::Key_Return, modifiers);
    }
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(Shown(), main_->fraMenu[2]);
    data->setFocus();
    QKeyEvent held(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QString(), true);
    QCoreApplication::sendEvent(main_->windowHandle(), &held);
    EXPECT_EQ(clicks, 2);
}

// The reported case: a log opened by a double click is paged through with the keyboard, and
// Space does not take the user to the download page.
TEST_F(Focus, AnOpenedLogIsPagedWithTheKeyboard) {
    main_->Form_Activate();
    OpenMayLogs(fixture_->logs().intervalA0514);
    ui::KeyedList& list = *main_->pageBrowser->lvwLog;
    Click(list.viewport(), true, list.visualItemRect(list.Item(list.SelectedKey())).center());
    ui::FlexGrid& table = *main_->pageDataView->vfgBrowse;
    ASSERT_TRUE(table.isVisible());
    QScrollBar& rows = *table.verticalScrollBar();
    ASSERT_GT(rows.maximum(), 0);
    EXPECT_EQ(rows.value(), 0);
    Key(Qt::Key_PageDown);
    EXPECT_GT(rows.value(), 0);
    Key(Qt::Key_Space);
    EXPECT_TRUE(main_->pageDataView->isVisible());
    EXPECT_FALSE(main_->pageDownload->isVisible());
}

}  // namespace
}  // namespace qv::test

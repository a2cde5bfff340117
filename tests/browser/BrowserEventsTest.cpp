// Clicks on the tree, the list, the grouping boxes and the buttons; deleting stored data.
#include "BrowserKinds.h"
#include "BrowserRig.h"
#include "modKeys.h"
#include "modModel.h"

namespace qv::test {
namespace {

using BrowserEvents = BrowserRig;

TEST_F(BrowserEvents, ClicksChooseTheCurrentLog) {
    Open();
    const QString category = Path({"05/24", "Interval Trend"});
    page.tvwLog->SetSelectedKey(category);
    Press(*page.tvwLog, category, Qt::LeftButton);
    const QString first = page.lvwLog->Keys().front();
    EXPECT_EQ(CurDataType, 1);
    EXPECT_EQ(CurSeqNo, logs().intervalD);
    EXPECT_EQ(first, Key(logs().intervalD, 'G'));
    EXPECT_TRUE(page.tvwLog->isEnabled());

    // A left click on a log makes it current and opens its data view on a double click.
    const QString other = Key(logs().intervalB, 'G');
    Press(*page.lvwLog, other, Qt::LeftButton);
    EXPECT_EQ(CurSeqNo, logs().intervalB);
    EXPECT_EQ(page.ClickedLogKey, other);
    EXPECT_EQ(page.lvwLog->DropHighlight(), "");
    page.lvwLog_DblClick();
    EXPECT_EQ(calls, QStringList{"open data view"});  // which loads the current log
    EXPECT_EQ(CurDataType, 1);

    // A folder item shows its properties, keeps the current log, and opens on a double click.
    page.ShowLogList("0 #");
    CurDataType = 1;
    CurSeqNo = logs().intervalB;
    Press(*page.lvwLog, "05/24 M", Qt::LeftButton);
    EXPECT_EQ(CurSeqNo, logs().intervalB);
    EXPECT_EQ(page.vfgLog->TextMatrix(1, 1), "Folder");
    page.lvwLog_DblClick();
    EXPECT_EQ(page.lvwLog->Keys().front(), "05/24 I");
    EXPECT_TRUE(page.tvwLog->Expanded("0 #"));
    EXPECT_EQ(CurDataType, 0);

    // A key of a tree rebuilt meanwhile does nothing.
    page.ClickedLogKey = "gone M";
    page.lvwLog_DblClick();
    EXPECT_EQ(page.lvwLog->Keys().front(), "05/24 I");
}

TEST_F(BrowserEvents, TheTreeIsWalkedWithTheKeyboard) {
    Open();
    QWidget& window = *page.window();
    page.tvwLog->setFocus();
    page.tvwLog->setCurrentItem(page.tvwLog->Item("0 #"));
    auto key = [&](Qt::Key k) {
        QKeyEvent press(QEvent::KeyPress, k, Qt::NoModifier);
        QCoreApplication::sendEvent(window.focusWidget(), &press);
    };
    key(Qt::Key_Down);
    EXPECT_EQ(page.tvwLog->SelectedKey(), Path({"-----"}));
    EXPECT_EQ(ListTexts(), QStringList{"Calibration History"});
    key(Qt::Key_Down);
    EXPECT_EQ(page.tvwLog->SelectedKey(), Path({"05/24"}));
    EXPECT_EQ(ListTexts().value(0), "Interval Trend");
    key(Qt::Key_Right);  // expands
    key(Qt::Key_Down);
    EXPECT_EQ(page.tvwLog->SelectedKey(), Path({"05/24", "Interval Trend"}));
    EXPECT_EQ(CurDataType, 1);
    EXPECT_EQ(window.focusWidget(), page.tvwLog);
    EXPECT_TRUE(page.tvwLog->isEnabled());

    // A click on a grouping box leaves the focus on the box.
    page.chkLog[0]->setFocus();
    page.chkLog[0]->click();
    EXPECT_EQ(window.focusWidget(), page.chkLog[0]);
}

TEST_F(BrowserEvents, SortingGroupingAndTheButtons) {
    Open();
    page.ShowLogList("0 #");
    EXPECT_FALSE(page.lvwLog->Sorted());
    page.lvwLog_ColumnClick(2);
    EXPECT_TRUE(page.lvwLog->Sorted());
    EXPECT_EQ(page.lvwLog->SortOrder(), 0);
    page.lvwLog_ColumnClick(1);
    EXPECT_EQ(page.lvwLog->SortOrder(), 1);
    EXPECT_EQ(ListTexts().front(), "12/23");

    // Ticking a grouping box rebuilds the tree and lists the root; the grouping is kept.
    page.chkLog[2]->click();
    EXPECT_EQ(MainForm().chkLog[2], 1);
    EXPECT_EQ(SettingsChanged, 1);
    EXPECT_EQ(page.tvwLog->SelectedKey(), "0 #");
    EXPECT_EQ(page.lvwLog->ColumnText(0), "User ID");
    EXPECT_TRUE(page.chkLog[0]->isEnabled());

    // Detail without a log, the instrument of an event log: messages, no page.
    CurDataType = 0;
    page.cmdDetail_Click();
    EXPECT_EQ(LastMessage(), GetMessage(5301));
    page.tvwLog_NodeClick(Path({"Alice", "05/24", "Alarm Events"}));
    page.cmdLogInst_Click();
    EXPECT_EQ(LastMessage(), GetMessage(5359));
    EXPECT_TRUE(calls.isEmpty());

    // The instrument stored with a trend, shown on the instrument page.
    page.tvwLog_NodeClick(Path({"Alice", "05/24", "Alarm Trend"}));
    page.cmdLogInst_Click();
    EXPECT_EQ(calls, (QStringList{"instrument [log]", "page 1"}));
    EXPECT_FALSE(ShowLogInstrument);
    ASSERT_TRUE(LogInstrument);
    EXPECT_EQ(LogInstrument->SerialNo(), "SN1001");
    EXPECT_EQ(LogInstrument->GasName(2), "H2S");

    // A folder item chosen after a trend: the trend is still current, but not selected.
    page.ShowLogList(Path({"Alice"}));
    CurDataType = 2;
    page.cmdLogInst_Click();
    EXPECT_EQ(LastMessage(), GetMessage(5359));
}

// Opening the page after a download or a delete elsewhere rebuilds the tree and shows the list
// and the pane afresh: what is still stored stays chosen, what went is no longer offered.
TEST_F(BrowserEvents, ARebuildShowsTheListAndThePaneAfresh) {
    Open();
    Press(*page.tvwLog, Path({"05/24", "Interval Trend"}), Qt::LeftButton);
    const QString chosen = Key(logs().intervalB, 'G');
    Press(*page.lvwLog, chosen, Qt::LeftButton);
    const QStringList name = PaneRow(1);
    const auto drop = [](int32_t seqNo) {
        Database db(DatabasePath);
        db.execute("Delete From Interval_Data Where RelNo = ?", {seqNo});
        db.execute("Delete From Gas_List Where RelNo = ?", {seqNo});
        db.execute("Delete From Log_head Where SeqNo = ?", {seqNo});
    };
    const int32_t added = AddMendedLog("added", "SN1001", "ST-1", "Alice", "05/24");
    drop(logs().intervalD);
    LogTreeChanged = true;
    page.MakeLogTree();
    EXPECT_TRUE(page.lvwLog->Contains(Key(added, 'G')));
    EXPECT_FALSE(page.lvwLog->Contains(Key(logs().intervalD, 'G')));
    EXPECT_EQ(page.lvwLog->SelectedKey(), chosen);
    EXPECT_EQ(CurDataType, 1);
    EXPECT_EQ(CurSeqNo, logs().intervalB);
    EXPECT_EQ(PaneRow(1), name);

    // The chosen log gone as well: nothing is chosen and the pane names nothing.
    drop(logs().intervalB);
    LogTreeChanged = true;
    page.MakeLogTree();
    EXPECT_FALSE(page.lvwLog->Contains(chosen));
    EXPECT_EQ(CurDataType, 0);
    EXPECT_EQ(CurSeqNo, 0);
    EXPECT_EQ(page.vfgLog->Rows(), 2);
    EXPECT_FALSE(page.cmdDetail->isEnabled());
}

// Logs stored while the page is on show are shown at once, with the nodes opened, the node and
// item chosen, the log on show and its pane kept; a hidden page waits until it is opened.
TEST_F(BrowserEvents, LogsStoredWhileThePageIsShownAreShownAtOnce) {
    Open();
    const QString folder = Path({"05/24"});
    page.tvwLog->SetExpanded(folder, true);
    const QString category = Path({"05/24", "Interval Trend"});
    Press(*page.tvwLog, category, Qt::LeftButton);
    const QString chosen = Key(logs().intervalB, 'G');
    Press(*page.lvwLog, chosen, Qt::LeftButton);
    const QStringList pane = PaneRow(1);
    const int32_t added = AddMendedLog("added", "SN1001", "ST-1", "Alice", "05/24");
    AddMendedLog("july", "SN1001", "ST-1", "Alice", "07/24");
    LogTreeChanged = true;  // as every download step sets it
    page.StoredDataChanged();
    EXPECT_FALSE(LogTreeChanged);
    EXPECT_TRUE(Children("0 #").contains("07/24"));
    EXPECT_TRUE(page.tvwLog->Expanded(folder));
    EXPECT_EQ(page.tvwLog->SelectedKey(), category);
    EXPECT_TRUE(page.lvwLog->Contains(Key(added, 'G')));
    EXPECT_EQ(page.lvwLog->SelectedKey(), chosen);
    EXPECT_EQ(CurSeqNo, logs().intervalB);
    EXPECT_EQ(PaneRow(1), pane);

    page.hide();
    AddMendedLog("august", "SN1001", "ST-1", "Alice", "08/24");
    page.StoredDataChanged();
    EXPECT_TRUE(LogTreeChanged);
    EXPECT_FALSE(Children("0 #").contains("08/24"));
    page.show();
    page.MakeLogTree();
    EXPECT_TRUE(Children("0 #").contains("08/24"));
}

class BrowserDelete : public BrowserRig {
  protected:
    // Chooses Delete on the key's menu and answers the confirmation, when one is asked.
    void Delete(const QString& key, std::optional<int> answer = vbYes) {
        dialogs.AnswerMenu("Delete");
        if (answer) dialogs.AnswerMsgBox(*answer);
        if (page.lvwLog->Contains(key))
            Press(*page.lvwLog, key, Qt::RightButton);
        else
            Press(*page.tvwLog, key, Qt::RightButton);
    }
    QStringList Headers() const {
        QStringList names;
        for (const DbRow& r :
             Database(DatabasePath).query("Select Names From Log_head Order By SeqNo"))
            names << r.toText("Names", "");
        return names;
    }
    long long Rows(const char* table, int32_t relNo) const {
        return Database(DatabasePath)
            .scalar(QString("Select Count(*) From %1 Where RelNo = ?").arg(table), {relNo})
            .toLongLong();
    }
    // A log added as AddMendedLog adds it, stored whole: its header, gas rows and samples.
    bool StoredWhole(int32_t log) const {
        return Database(DatabasePath)
                       .scalar("Select Count(*) From Log_head Where SeqNo = ?", {log})
                       .toInt() == 1 &&
               Rows("Gas_List", log) == 5 && Rows("Interval_Data", log) == 2;
    }
    // Takes a log out as another tool would.
    void Drop(int32_t log) const {
        Database db(DatabasePath);
        for (const char* table : {"Interval_Data", "Gas_List"})
            db.execute(QString("Delete From %1 Where RelNo = ?").arg(table), {log});
        db.execute("Delete From Log_head Where SeqNo = ?", {log});
    }
    // The log is listed under the Interval Trend node of this folder, pressed in the tree.
    bool ListedUnder(const QString& folder, int32_t log) {
        const QString category = Child(folder, GetMessage(5624));
        if (category.isEmpty()) return false;
        Press(*page.tvwLog, category, Qt::LeftButton);
        return page.lvwLog->Contains(Key(log, 'G'));
    }
};

// A message box that runs something while its question is open, as a download may store while
// the user reads it.
class StoringWhileAsked : public ScriptedDialogs {
  public:
    std::function<void()> whileAsked;
    int MsgBox(const QString& prompt, int style, const QString& title) override {
        if ((style & 7) == vbYesNo && whileAsked) std::exchange(whileAsked, nullptr)();
        return ScriptedDialogs::MsgBox(prompt, style, title);
    }
};

TEST_F(BrowserDelete, NothingGoesWithoutThePasswordAndAYes) {
    Open();
    passwordAccepted = false;
    Delete("0 #", std::nullopt);
    EXPECT_EQ(calls, QStringList{"password"});
    EXPECT_EQ(Count("Log_head"), 16);
    EXPECT_TRUE(dialogs.messages().isEmpty());  // only the menu was shown
    passwordAccepted = true;
    Delete("0 #", vbNo);
    EXPECT_EQ(dialogs.messages(), QStringList{GetMessage(5317)});
    EXPECT_EQ(Count("Log_head"), 16);
}

TEST_F(BrowserDelete, EverythingLeavesTheLatestCalibrations) {
    Open();
    page.tvwLog_NodeClick(Path({"05/24", "Alarm Trend"}));
    const long long latest = Count("cLatestHist");
    Delete("0 #");
    for (const char* table :
         {"Log_head", "Gas_List", "Interval_Data", "Interval_Event", "Alarm_Data", "cHistory",
          "Alarm_Event", "Trouble_Event", "Power_Event"})
        EXPECT_EQ(Count(table), 0) << table;
    EXPECT_EQ(Count("cLatestHist"), latest);
    EXPECT_TRUE(Children("0 #").isEmpty());
    EXPECT_EQ(page.tvwLog->SelectedKey(), "0 #");
    EXPECT_EQ(CurDataType, 0);
    EXPECT_EQ(page.vfgLog->Rows(), 2);
    EXPECT_FALSE(page.cmdDetail->isEnabled());
}

TEST_F(BrowserDelete, ABranchTakesOnlyItsOwnLogs) {
    const FixtureLogs& l = logs();
    const struct {
        bool station;
        QStringList path;
        QList<int32_t> gone;
    } cases[] = {
        // A quote in the station is a value, not SQL.
        {true, {"x' Or ''='"}, {l.intervalC, l.historyC, l.alarmEventsC}},
        {false,
         {"05/24", "Interval Trend"},
         {l.intervalA0514, l.intervalB, l.intervalD, l.intervalE, l.intervalF}},
        {false, {"06/24"}, {l.intervalA0614}},
    };
    for (const auto& c : cases) {
        const QStringList before = Headers();
        Open(false, c.station, false);
        Delete(Path(c.path));
        EXPECT_EQ(Count("Log_head"), before.size() - c.gone.size())
            << c.path.join('/').toStdString();
        for (int32_t log : c.gone)
            for (const char* table : {"Gas_List", "Interval_Data", "cHistory", "Alarm_Event"})
                EXPECT_EQ(Rows(table, log), 0) << log << table;
        EXPECT_EQ(Count("Gas_List"), Count("Log_head") * 5);
        EXPECT_EQ(LastMessage(), GetMessage(5339));
        EXPECT_EQ(page.tvwLog->SelectedKey(), "0 #");
    }
    EXPECT_EQ(Rows("Interval_Data", l.intervalA0614), 0);
    EXPECT_EQ(Rows("Alarm_Data", l.alarmA), 731);
    EXPECT_EQ(Rows("Alarm_Event", l.alarmEventsA), 12);
}

TEST_F(BrowserDelete, ANodeDeletesWhatItLists) {
    const QVariant null;
    const QList<int32_t> star{AddMendedLog("null", null, "ST-1", "Alice", "05/24"),
                              AddMendedLog("empty", "", "ST-1", "Alice", "05/24"),
                              AddMendedLog("blanks", "  ", "ST-1", "Alice", null),
                              logs().intervalD};
    const int32_t upper = AddMendedLog("upper", "\u00c4B1", "ST-1", "Alice", "05/24");
    const int32_t lower = AddMendedLog("lower", "\u00e4b1", "ST-1", "Alice", "05/24");
    const long long before = Count("Log_head");
    Open(true, false, false);
    Delete(Path({"*"}));
    EXPECT_EQ(LastMessage(), GetMessage(5339));
    EXPECT_EQ(Count("Log_head"), before - star.size());
    for (int32_t log : star)
        EXPECT_EQ(Rows("Interval_Data", log), 0) << log;

    // Each spelling of a letter outside ASCII is its own node.
    for (const QString& key : page.tvwLog->ChildKeys("0 #"))
        if (page.tvwLog->Text(key) == "\u00e4b1") Delete(key);
    EXPECT_EQ(Count("Log_head"), before - star.size() - 1);
    EXPECT_EQ(Rows("Interval_Data", lower), 0);
    EXPECT_EQ(Rows("Interval_Data", upper), 2);
}

TEST_F(BrowserDelete, OneLogLeavesTheListAndNothingNamesIt) {
    Open();
    page.tvwLog_NodeClick(Path({"05/24", "Alarm Trend"}));
    const QString alarm = Key(logs().alarmA, 'K');
    const QString shortAlarm = Key(logs().alarmShortA, 'K');
    Press(*page.lvwLog, alarm, Qt::LeftButton);
    ASSERT_EQ(CurSeqNo, logs().alarmA);
    Delete(alarm);
    EXPECT_EQ(LastMessage(), GetMessage(5327, {"al14120000"}));
    EXPECT_EQ(Rows("Alarm_Data", logs().alarmA), 0);
    EXPECT_EQ(Count("Log_head"), 15);
    EXPECT_EQ(page.lvwLog->Keys(), QStringList{shortAlarm});
    // The log that took its place is the one chosen.
    EXPECT_EQ(CurSeqNo, logs().alarmShortA);
    EXPECT_FALSE(LogTreeChanged);
    EXPECT_EQ(Rows("Gas_List", logs().alarmA), 0);
    // The last one gone, nothing is chosen.
    Delete(shortAlarm);
    EXPECT_TRUE(page.lvwLog->Keys().isEmpty());
    EXPECT_EQ(CurDataType, 0);
    EXPECT_EQ(CurSeqNo, 0);
    EXPECT_EQ(page.vfgLog->Rows(), 2);
    EXPECT_FALSE(page.cmdDetail->isEnabled());

    // The newest log deleted, its key is handed out again: the new log reads its own gases.
    const int32_t newest = Database(DatabasePath).scalar("Select Max(SeqNo) From Log_head").toInt();
    ASSERT_EQ(newest, logs().powerB);
    ServiceMode = true;
    Open();
    page.ShowLogList(Path({"-----", "Power Events"}));
    Delete(Key(newest, 'P'));
    EXPECT_EQ(Rows("Power_Event", newest), 0);
    int32_t again = 0;
    {
        FixtureBuilder builder(DatabasePath);
        again = builder.AddInterval(FixtureDatabase::A(), "again",
                                    QDateTime(QDate(2024, 5, 30), QTime(8, 0)), 2);
    }
    EXPECT_EQ(again, newest);
    EXPECT_EQ(Rows("Gas_List", again), 5);
}

TEST_F(BrowserDelete, ALogAlreadyGoneIsReportedAndTheListKept) {
    Open();
    page.tvwLog_NodeClick(Path({"05/24", "Alarm Trend"}));
    const QString alarm = Key(logs().alarmA, 'K');
    Press(*page.lvwLog, alarm, Qt::LeftButton);
    const QStringList listed = page.lvwLog->Keys();
    const QStringList pane = PaneRow(1);
    // Changed meanwhile by another tool: no header of this kind under the key any more.
    Database(DatabasePath)
        .execute("Update Log_head Set Types = 1 Where SeqNo = ?", {logs().alarmA});
    dialogs.AnswerMenu("Delete");
    dialogs.AnswerMsgBox(vbYes);
    dialogs.AnswerMsgBox(vbOK);
    Press(*page.lvwLog, alarm, Qt::RightButton);
    EXPECT_EQ(LastMessage(), GetMessage(9300, {"al14120000"}));
    EXPECT_EQ(dialogs.asked().back().title, GetMessage(5328));
    EXPECT_EQ(page.lvwLog->Keys(), listed);
    EXPECT_EQ(PaneRow(1), pane);
    EXPECT_EQ(CurSeqNo, logs().alarmA);
    EXPECT_EQ(Count("Log_head"), 16);
    EXPECT_EQ(Rows("Alarm_Data", logs().alarmA), 731);
}

// Two branches whose values run together into one text: "45" over "6" and "4" over "56", or
// station "ST12" over user "X" and "ST1" over "2X". A list shown before a download adds the
// second branch still names the first after the page is opened again: a double click lists its
// months, a delete takes its log only.
TEST_F(BrowserDelete, AnItemShownBeforeADownloadNamesTheSameLogsAfterIt) {
    const struct {
        bool serial, station, user;
        QStringList kept, added;  // serial, station, user of the log shown and the one added
    } cases[] = {
        {true, true, false, {"45", "6", "Bob"}, {"4", "56", "Bob"}},
        {false, true, true, {"SN9", "ST12", "X"}, {"SN9", "ST1", "2X"}},
    };
    for (const auto& c : cases) {
        for (const bool deleting : {false, true}) {
            const std::string trace = c.kept.join('/').toStdString() + (deleting ? " delete" : "");
            const int32_t kept = AddMendedLog("kept", c.kept[0], c.kept[1], c.kept[2], "05/24");
            Open(c.serial, c.station, c.user);
            // The first grouping level shown, and in the list the level below it.
            const int shown = c.serial ? 0 : 1;
            Press(*page.tvwLog, Path({c.kept[shown]}), Qt::LeftButton);
            ASSERT_FALSE(ListKey(c.kept[shown + 1]).isEmpty()) << trace;

            // A download adds the other branch; the window opens the page again.
            const int32_t added =
                AddMendedLog("added", c.added[0], c.added[1], c.added[2], "07/24");
            LogTreeChanged = true;
            page.MakeLogTree();
            page.RefreshLogBrowser();
            const QString item = ListKey(c.kept[shown + 1]);
            ASSERT_FALSE(item.isEmpty()) << trace;

            if (deleting) {
                Delete(item);
                EXPECT_EQ(LastMessage(), GetMessage(5339)) << trace;
                EXPECT_EQ(Rows("Interval_Data", kept), 0) << trace;
                EXPECT_EQ(Rows("Interval_Data", added), 2) << trace;
            } else {
                DoubleClick(*page.lvwLog, item);
                EXPECT_EQ(ListTexts(), QStringList{"05/24"}) << trace;
                Database db(DatabasePath);
                for (int32_t log : {kept, added})
                    for (const char* table : {"Interval_Data", "Gas_List", "Log_head"})
                        db.execute(
                            QString("Delete From %1 Where %2 = ?")
                                .arg(table, table == QString("Log_head") ? "SeqNo" : "RelNo"),
                            {log});
            }
        }
    }
}

// A folder of the instrument's logs shown, then a download stores another log in it without the
// page being drawn again: Delete on the folder's node, on its item in the parent's list or on the
// category listed, answered Yes, takes nothing. The page is drawn again with the new log and the
// user told; no question is asked. Every grouping of the tree.
TEST_F(BrowserDelete, ALogStoredSinceTheBranchWasShownStaysAndIsShown) {
    enum Route { FolderNode, FolderItem, CategoryNode };
    for (int grouping = 0; grouping < 8; ++grouping) {
        const bool serial = grouping & 1, station = grouping & 2, user = grouping & 4;
        QStringList path;
        if (serial) path << "SN1001";
        if (station) path << "ST-1";
        if (user) path << "Alice";
        path << "05/24";
        for (const Route route : {FolderNode, FolderItem, CategoryNode}) {
            const std::string trace =
                path.join('/').toStdString() + " route " + std::to_string(static_cast<int>(route));
            Open(serial, station, user);
            const QString folder = Path(path);
            ASSERT_FALSE(folder.isEmpty()) << trace;
            const QString category = Child(folder, GetMessage(5624));
            const QString listed = route == FolderItem   ? page.tvwLog->ParentKey(folder)
                                   : route == FolderNode ? folder
                                                         : category;
            const QString pressed = route == CategoryNode ? category : folder;
            Press(*page.tvwLog, listed, Qt::LeftButton);
            ASSERT_EQ(page.lvwLog->Contains(pressed), route == FolderItem) << trace;
            const QStringList before = page.lvwLog->Keys();
            const long long headers = Count("Log_head");
            const int32_t added = AddMendedLog("added", "SN1001", "ST-1", "Alice", "05/24");

            dialogs.clear();
            Delete(pressed);
            EXPECT_EQ(dialogs.messages(),
                      QStringList{GetMessage(9301, {page.tvwLog->Text(pressed)})})
                << trace;
            EXPECT_EQ(Count("Log_head"), headers + 1) << trace;
            EXPECT_TRUE(StoredWhole(added)) << trace;
            // The list is shown again for the node it showed, now with the new log.
            EXPECT_EQ(page.tvwLog->SelectedKey(), listed) << trace;
            if (route == CategoryNode)
                EXPECT_EQ(page.lvwLog->Keys(), QStringList{Key(added, 'G')} + before) << trace;
            else
                EXPECT_EQ(page.lvwLog->Keys(), before) << trace;
            EXPECT_TRUE(ListedUnder(folder, added)) << trace;
            Drop(added);
        }
    }

    // Once shown, the new log goes with its folder.
    Open();
    const QString folder = Path({"05/24"});
    Press(*page.tvwLog, folder, Qt::LeftButton);
    const int32_t added = AddMendedLog("added", "SN1001", "ST-1", "Alice", "05/24");
    Delete(folder);
    ASSERT_TRUE(StoredWhole(added));
    dialogs.clear();
    Delete(folder);
    EXPECT_EQ(dialogs.messages(), QStringList{GetMessage(5339)});
    EXPECT_EQ(Rows("Gas_List", added), 0);
    EXPECT_EQ(Rows("Interval_Data", logs().intervalA0514), 0);
    EXPECT_FALSE(Children("0 #").contains("05/24"));
}

// A download that stores while the delete waits for the password or its question: the page
// goes on with what it showed and is drawn again once the command has ended. A log stored
// before the question stops the delete; one stored while it is open stays, and so does
// everything when the whole stored data was to go.
TEST_F(BrowserDelete, ALogStoredWhileTheDeleteWaitsStays) {
    Open();
    const QString folder = Path({"05/24"});
    Press(*page.tvwLog, folder, Qt::LeftButton);
    const QStringList listed = ListTexts();
    const long long headers = Count("Log_head");
    const auto store = [this](const QString& name, int32_t& log) {
        return [this, name, &log] {
            log = AddMendedLog(name, "SN1001", "ST-1", "Alice", "05/24");
            LogTreeChanged = true;
            page.StoredDataChanged();
            // Not drawn meanwhile.
            EXPECT_TRUE(LogTreeChanged);
        };
    };
    int32_t first = 0;
    whilePassword = store("first", first);
    Delete(folder);
    EXPECT_EQ(dialogs.messages(), QStringList{GetMessage(9301, {"05/24"})});
    EXPECT_EQ(Count("Log_head"), headers + 1);
    EXPECT_TRUE(StoredWhole(first));
    EXPECT_FALSE(LogTreeChanged);
    EXPECT_EQ(ListTexts(), listed);
    EXPECT_TRUE(ListedUnder(folder, first));

    // The folder's logs as the question shows them go; the one stored meanwhile is shown after.
    StoringWhileAsked asking;
    int32_t second = 0;
    asking.whileAsked = store("second", second);
    Press(*page.tvwLog, folder, Qt::LeftButton);
    asking.AnswerMenu("Delete");
    asking.AnswerMsgBox(vbYes);
    Press(*page.tvwLog, folder, Qt::RightButton);
    EXPECT_EQ(asking.messages(), QStringList{GetMessage(5339)});
    for (const int32_t log : {first, logs().intervalA0514, logs().alarmA, logs().troubleA})
        EXPECT_EQ(Rows("Gas_List", log), 0) << log;
    EXPECT_TRUE(StoredWhole(second));
    EXPECT_FALSE(LogTreeChanged);
    ASSERT_TRUE(Children("0 #").contains("05/24"));
    EXPECT_TRUE(ListedUnder(Path({"05/24"}), second));

    // Everything was to go: nothing goes.
    const long long left = Count("Log_head");
    int32_t third = 0;
    asking.whileAsked = store("third", third);
    asking.AnswerMenu("Delete");
    asking.AnswerMsgBox(vbYes);
    Press(*page.tvwLog, "0 #", Qt::RightButton);
    EXPECT_EQ(asking.messages(), (QStringList{GetMessage(5339), GetMessage(5317),
                                              GetMessage(9301, {"QV-4170 Data"})}));
    EXPECT_EQ(Count("Log_head"), left + 1);
    EXPECT_TRUE(StoredWhole(third));
    EXPECT_TRUE(ListedUnder(Path({"05/24"}), third));
}

// A list item whose node the tree no longer holds names no logs: its delete is refused as a
// log already gone is, and nothing goes.
TEST_F(BrowserDelete, AnItemWhoseNodeIsGoneIsRefused) {
    Open(true, false, false);
    page.tvwLog_NodeClick("0 #");
    const QString serial = ListKey("SN2002");
    ASSERT_FALSE(serial.isEmpty());
    const long long before = Count("Log_head");
    page.chkLog[0]->setChecked(false);
    LogTreeChanged = true;
    page.tvwLog->ClearItems();
    dialogs.AnswerMenu("Delete");
    dialogs.AnswerMsgBox(vbYes);
    dialogs.AnswerMsgBox(vbOK);
    Press(*page.lvwLog, serial, Qt::RightButton);
    EXPECT_EQ(LastMessage(), GetMessage(9300, {"SN2002"}));
    EXPECT_EQ(Count("Log_head"), before);
}

// After a delete the row the list highlights is the one whose properties the pane shows, and
// the keyboard walks on from it.
TEST_F(BrowserDelete, TheHighlightedRowIsTheOneShown) {
    const auto key = [this](Qt::Key k) {
        QKeyEvent press(QEvent::KeyPress, k, Qt::NoModifier);
        QCoreApplication::sendEvent(page.window()->focusWidget(), &press);
    };
    // The selected row, checked against the pane, the Detail button and the current log.
    const auto shown = [this]() -> QString {
        const QString selected = page.lvwLog->SelectedKey();
        const bool log = KindOfRecord(KeyLetter(selected)) != nullptr;
        EXPECT_EQ(page.vfgLog->TextMatrix(1, 1), log ? page.lvwLog->Text(selected) : "Folder");
        EXPECT_EQ(page.cmdDetail->isEnabled(), log);
        EXPECT_EQ(CurSeqNo, log ? GetLeadingNumber(selected) : 0);
        EXPECT_EQ(ui::KeyedItemView::KeyOf(page.lvwLog->currentItem()), selected);
        return selected;
    };
    Open();
    page.tvwLog_NodeClick(Path({"05/24", "Interval Trend"}));
    const QStringList logs{Key(this->logs().intervalD, 'G'), Key(this->logs().intervalE, 'G'),
                           Key(this->logs().intervalF, 'G'), Key(this->logs().intervalA0514, 'G'),
                           Key(this->logs().intervalB, 'G')};
    ASSERT_EQ(page.lvwLog->Keys(), logs);

    // A row chosen with the mouse: the next one takes its place.
    Press(*page.lvwLog, logs[1], Qt::LeftButton);
    Delete(logs[1]);
    EXPECT_EQ(shown(), logs[2]);
    page.lvwLog->setFocus();
    key(Qt::Key_Down);
    EXPECT_EQ(shown(), logs[3]);

    // A row reached with the keyboard; the last row deleted, the one before takes its place.
    key(Qt::Key_Down);
    ASSERT_EQ(shown(), logs[4]);
    Delete(logs[4]);
    EXPECT_EQ(shown(), logs[3]);
    key(Qt::Key_Up);
    EXPECT_EQ(shown(), logs[2]);

    // The first row as the list selects it, without a click.
    page.tvwLog_NodeClick(Path({"05/24", "Interval Trend"}));
    Delete(logs[0]);
    EXPECT_EQ(shown(), logs[2]);
    EXPECT_EQ(page.lvwLog->Keys(), (QStringList{logs[2], logs[3]}));

    // A node deleted from the list, and one from the tree: the root's first child is shown.
    page.tvwLog_NodeClick(Path({"05/24"}));
    Delete("05/24 A");
    EXPECT_EQ(page.tvwLog->SelectedKey(), "0 #");
    EXPECT_EQ(shown(), page.lvwLog->Keys().front());
    key(Qt::Key_Down);
    EXPECT_EQ(shown(), page.lvwLog->Keys().value(1));
    Delete(Path({"05/24", "Interval Trend"}));
    EXPECT_EQ(shown(), page.lvwLog->Keys().front());
    EXPECT_EQ(CurDataType, 0);
}

TEST_F(BrowserDelete, AFailureRollsBackWithAMessage) {
    Open();
    Database(DatabasePath).execute("Alter Table Power_Event Rename To Power_Kept");
    Delete("0 #");
    EXPECT_EQ(dialogs.asked().back().style, vbCritical);
    EXPECT_EQ(Count("Log_head"), 16);
    EXPECT_EQ(Count("Interval_Data"), 100 + 50 + 20 + 20 + 10 + 10 + 10);
    EXPECT_TRUE(page.chkLog[0]->isEnabled());
}

}  // namespace
}  // namespace qv::test

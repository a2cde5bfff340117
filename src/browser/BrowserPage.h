// The stored-data page: the tree of stored logs by serial number, station, user, month folder
// and kind, with its grouping check boxes; the list of the logs under a node; the property grid
// of a log; the detail and instrument buttons; the delete menu behind the password and the unit
// menu of gas 1. It reaches the main window's state through its host.
#pragma once

#include "BrowserHost.h"
#include "FlexGrid.h"
#include "FocusKeeper.h"
#include "KeyedList.h"
#include "KeyedTree.h"
#include "MouseCodes.h"
#include "PageFrame.h"

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QMenu>
#include <QPushButton>
#include <QSet>
#include <QVariantList>
#include <array>
#include <memory>
#include <optional>

namespace qv {

class Database;

// The condition that selects the log headers under a tree node, its values bound in order.
struct LogWhere {
    QString sql;  // empty for the root: every header
    QVariantList params;
    // " Where " and the condition, or "" for the root.
    QString Clause() const;
};

class BrowserPage : public ui::PageFrame {
  public:
    explicit BrowserPage(QWidget* parent = nullptr);
    ~BrowserPage() override;
    void SetCaptions() override;
    void LayoutPage() override;
    // The list of stored logs, or the tree while the list holds nothing to choose.
    QWidget* MainControl() const override;

    // Connects the page to its window; called once, before any procedure below runs.
    void Bind(const BrowserHost& host);

    // ---- Tree and list ----
    // Rebuilds the tree from the database when LogTreeChanged is set, then clears the flag and
    // shows the list and the pane afresh; repaints the tree in any case. A failure is reported;
    // the flag stays set.
    void MakeLogTree();
    // The condition of the tree node under `key`; nothing for a key the tree does not hold.
    std::optional<LogWhere> MakeLogWhere(const QString& key) const;
    // Fills the list for a tree node: its children for a grouping node, its logs for a category.
    void ShowLogList(const QString& key);
    // Repaints the tree, the list and the property grid with the page hidden meanwhile.
    void RefreshLogBrowser();
    // Logs were stored in the database (a download). While the page is on show its tree and
    // list are built afresh, at once or, while one of its commands waits for the user, as soon
    // as that command has ended; a hidden page is built afresh when it is opened.
    void StoredDataChanged();

    // ---- Property pane ----
    void ShowLogProperty(const QString& key);

    // ---- Events ----
    void tvwLog_NodeClick(const QString& key);
    void tvwLog_MouseDown(int Button, int Shift, double x, double y);
    void lvwLog_ItemClick(const QString& key);
    void lvwLog_MouseDown(int Button, int Shift, double x, double y);
    void lvwLog_DblClick();
    void lvwLog_ColumnClick(int column);
    void chkLog_Click(int Index);
    // Opens the data view of the current log, or says that none is chosen.
    void cmdDetail_Click();
    // Shows the instrument settings stored with the selected trend.
    void cmdLogInst_Click();
    // Deletes the stored data named by the delete menu's tag, behind the password.
    void mnuDelete_Click();
    // The unit menu of gas 1: opened on the property grid (Tag "0") or a data-view grid ("1").
    void vfgLog_MouseUp(int Button, int Shift, double X, double Y);
    void PopupUnits(const QString& Tag);
    void unitname_Click(int Index);

    ui::KeyedTree* tvwLog = nullptr;
    QGroupBox* fraLog = nullptr;
    // Grouping by serial number, station, user.
    std::array<QCheckBox*, 3> chkLog{};
    ui::KeyedList* lvwLog = nullptr;
    ui::FlexGrid* vfgLog = nullptr;
    QPushButton* cmdDetail = nullptr;
    QPushButton* cmdLogInst = nullptr;
    // Pop-up menus: delete (the key to delete in mnuDelete's data) and the unit of gas 1 (the
    // grid that opened it in mnuUnits' menu action's data).
    QMenu* mnuDeletes = nullptr;
    QAction* mnuDelete = nullptr;
    QMenu* mnuUnits = nullptr;
    QAction* mnuUnit = nullptr;
    std::array<QAction*, 2> unitname{};

    // The key under the last mouse press that was not a right press.
    QString ClickedLogKey;

  private:
    // MakeLogTree's work; a failure passes to the caller.
    void BuildLogTree();
    // After a rebuild: the list is filled again for its node, and the item selected, the log
    // chosen and the pane's item stay so while the list still holds them; otherwise nothing is
    // chosen and the pane names nothing.
    void RelistAfterRebuild();
    // Runs a user action; a failure becomes a message box, never an exception out of a slot.
    void Handle(const std::function<void()>& action);
    // Builds the tree and the list again from the database, keeping the node and item chosen,
    // the log on show and the nodes opened where they are still stored.
    void ShowAfresh();
    bool Checked(int index) const;
    void SetBoxesEnabled(bool enabled);
    // Sets LogTreeChanged and rebuilds the tree with the grouping boxes disabled meanwhile.
    void RebuildTree();

    // Property pane kinds. A log's pane reads the database through one connection, opened at
    // its first read.
    class PaneDatabase;
    void ShowFolderProperty();
    void ShowTrendProperty(const QString& value, bool alarm, PaneDatabase& db);
    void ShowHistoryProperty(const QString& value, PaneDatabase& db);
    void ShowEventProperty(const QString& value, QChar letter, PaneDatabase& db);
    // The pane's heading rows; the pane then names nothing.
    void ClearPane();
    // The heading rows repainted, with both buttons disabled.
    void EmptyPane();
    void SetButtons(std::optional<bool> detail, std::optional<bool> instrument);

    // A mouse press on the tree or the list: the delete menu on the right button, else the key
    // pressed is kept for a double click.
    void PressOn(ui::KeyedItemView& view, int Button, double x, double y);
    // After a delete: the current log, the pane and the buttons name nothing; the tree is
    // rebuilt and its root clicked when a whole branch went.
    void ForgetCurrentLog();
    void RebuildAfterDelete();
    void DeleteAll(const QString& tag);
    void DeleteBranch(const QString& tag);
    void DeleteRecord(const QString& tag, QChar letter);
    // The SeqNos of the headers under a condition.
    static QList<int32_t> LogsUnder(Database& db, const LogWhere& where);
    // The logs under a condition, or nothing when one of them was stored since the page showed
    // what it holds.
    std::optional<QList<int32_t>> ShownLogsUnder(const LogWhere& where) const;
    // A delete refused because the item holds logs it did not show: the page is built afresh
    // and the user told that nothing was deleted.
    void RefuseUnshown(const QString& text, int title);
    // The message that the item with this text names nothing stored: nothing was deleted.
    void ReportNotFound(const QString& text);

    std::unique_ptr<BrowserHost> host_;
    // The key the pane was last filled for.
    QString paneKey_;
    // The tree key the list was last filled for.
    QString listKey_;
    // The logs the page has shown: those stored when the tree was last built and those a list
    // showed since. A delete takes no other.
    QSet<int32_t> shownLogs_;
    // User actions running (a command waiting in a dialog counts), and whether logs were stored
    // meanwhile.
    int acting_ = 0;
    bool afreshPending_ = false;
};

}  // namespace qv

// Deleting stored data behind the password: everything, a branch of the tree, or one log.
#include "BrowserKinds.h"
#include "BrowserPage.h"
#include "Database.h"
#include "Questions.h"
#include "UserDialogs.h"
#include "modGlobals.h"
#include "modKeys.h"
#include "modMessage.h"

#include <algorithm>

namespace qv {

void BrowserPage::mnuDelete_Click() {
    PasswordOK = false;
    host_->ShowPassword();
    if (!PasswordOK) return;
    const QString tag = mnuDelete->data().toString();
    if (tag.isEmpty()) return;
    const QChar letter = KeyLetter(tag);
    if (letter == u'#') {
        DeleteAll(tag);
    } else if (IsGroupingLetter(letter) || KindOfCategory(letter)) {
        DeleteBranch(tag);
    } else if (KindOfRecord(letter)) {
        DeleteRecord(tag, letter);
    }
}

void BrowserPage::DeleteAll(const QString& tag) {
    const QString text = tvwLog->Text(tag);
    const std::optional<QList<int32_t>> shown = ShownLogsUnder(LogWhere{});
    if (!shown) {
        RefuseUnshown(text, 5318);
        return;
    }
    if (!Ask(Question::DeleteAllData)) return;
    bool storedSince = false;
    {
        Database db(DatabasePath);
        Database::Transaction tx(db);
        // A log stored while the question was open was never shown: then nothing goes.
        const QList<int32_t> now = LogsUnder(db, LogWhere{});
        storedSince =
            std::any_of(now.begin(), now.end(), [&](int32_t log) { return !shown->contains(log); });
        if (!storedSince) {
            for (const QString& table : ChildTables())
                db.execute(QStringLiteral("Delete From ") + table + u';');
            db.execute(QStringLiteral("Delete From Log_head;"));
            tx.commit();
        }
    }
    if (storedSince)
        RefuseUnshown(text, 5318);
    else
        RebuildAfterDelete();
}

void BrowserPage::DeleteBranch(const QString& tag) {
    const QString text = lvwLog->Contains(tag) ? lvwLog->Text(tag) : tvwLog->Text(tag);
    // The logs are those the pressed item's key names, taken as the question is asked; an item
    // whose node the tree no longer holds names none, and nothing goes.
    const std::optional<LogWhere> where = MakeLogWhere(tag);
    std::optional<QList<int32_t>> logs;
    if (where) {
        logs = ShownLogsUnder(*where);
        if (!logs) {
            RefuseUnshown(text, 5340);
            return;
        }
    }
    if (!Ask(Question::DeleteFolderData)) return;
    if (!logs) {
        ReportNotFound(text);
        return;
    }
    {
        Database db(DatabasePath);
        Database::Transaction tx(db);
        // Exactly the logs asked about, their rows first, all or nothing: one stored since the
        // question was asked stays.
        for (const int32_t log : *logs) {
            for (const QString& table : ChildTables())
                db.execute(
                    QStringLiteral("Delete From ") + table + QStringLiteral(" Where RelNo = ?;"),
                    {log});
            db.execute(QStringLiteral("Delete From Log_head Where SeqNo = ?;"), {log});
        }
        tx.commit();
    }
    RebuildAfterDelete();
}

QList<int32_t> BrowserPage::LogsUnder(Database& db, const LogWhere& where) {
    QList<int32_t> logs;
    for (const DbRow& row : db.query(
             QStringLiteral("Select SeqNo From Log_Head") + where.Clause() + u';', where.params))
        logs << static_cast<int32_t>(row.toLong(QStringLiteral("SeqNo"), 0));
    return logs;
}

std::optional<QList<int32_t>> BrowserPage::ShownLogsUnder(const LogWhere& where) const {
    Database db(DatabasePath);
    QList<int32_t> logs = LogsUnder(db, where);
    for (const int32_t log : logs)
        if (!shownLogs_.contains(log)) return std::nullopt;
    return logs;
}

void BrowserPage::RefuseUnshown(const QString& text, int title) {
    // The user sees what the branch holds now before being told that nothing went.
    ShowAfresh();
    Dialogs().MsgBox(GetMessage(9301, {text}), vbOKOnly | vbExclamation, GetMessage(title));
}

void BrowserPage::DeleteRecord(const QString& tag, QChar letter) {
    const LogKind& kind = *KindOfRecord(letter);
    if (!Ask(Question::DeleteLog, {lvwLog->Text(tag)})) return;
    const int32_t seqNo = GetLeadingNumber(tag);
    bool found = false;
    {
        Database db(DatabasePath);
        Database::Transaction tx(db);
        // Only a header of the kind the key names takes rows with it.
        found =
            db.scalar(
                  QStringLiteral("Select Count(*) From Log_head Where Types = ? And SeqNo = ?;"),
                  {kind.types, seqNo})
                .toLongLong() > 0;
        if (found) {
            for (const QString& table : ChildTables(kind))
                db.execute(
                    QStringLiteral("Delete From ") + table + QStringLiteral(" Where RelNo = ?;"),
                    {seqNo});
            db.execute(QStringLiteral("Delete From Log_head Where Types = ? And SeqNo = ?;"),
                       {kind.types, seqNo});
        }
        tx.commit();
    }
    if (!found) {
        ReportNotFound(lvwLog->Text(tag));
        return;
    }
    shownLogs_.remove(seqNo);
    const QString next = lvwLog->RemoveItem(tag);
    lvwLog->Refresh();
    if (host_->CurDataType == kind.types && host_->CurSeqNo == seqNo) {
        host_->CurDataType = 0;
        host_->CurSeqNo = 0;
    }
    // The row that took the deleted one's place is shown as a click on it would show it.
    if (!next.isEmpty())
        lvwLog_ItemClick(next);
    else if (paneKey_.compare(tag, Qt::CaseInsensitive) == 0)
        EmptyPane();
}

void BrowserPage::ReportNotFound(const QString& text) {
    // Nothing went: the list and the pane stay as they are, and the user is told.
    Dialogs().MsgBox(GetMessage(9300, {text}), vbOKOnly | vbExclamation, GetMessage(5328));
}

void BrowserPage::ForgetCurrentLog() {
    host_->CurDataType = 0;
    host_->CurSeqNo = 0;
    EmptyPane();
}

void BrowserPage::EmptyPane() {
    ClearPane();
    SetButtons(false, false);
    vfgLog->Refresh();
}

void BrowserPage::RebuildAfterDelete() {
    ForgetCurrentLog();
    RebuildTree();
    tvwLog->SetSelectedKey(tvwLog->RootKey());
    tvwLog_NodeClick(tvwLog->RootKey());
}

}  // namespace qv

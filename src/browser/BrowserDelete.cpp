// Deleting stored data behind the password: everything, a branch of the tree, or one log.
#include "BrowserKinds.h"
#include "BrowserPage.h"
#include "Database.h"
#include "Questions.h"
#include "UserDialogs.h"
#include "modGlobals.h"
#include "modKeys.h"
#include "modMessage.h"

namespace qv {

void BrowserPage::mnuDelete_Click() {
    PasswordOK = false;
    host_->ShowPassword();
    if (!PasswordOK) return;
    const QString tag = mnuDelete->data().toString();
    if (tag.isEmpty()) return;
    const QChar letter = KeyLetter(tag);
    if (letter == u'#') {
        if (!Ask(Question::DeleteAllData)) return;
        {
            Database db(DatabasePath);
            Database::Transaction tx(db);
            for (const QString& table : ChildTables())
                db.execute(QStringLiteral("Delete From ") + table + u';');
            db.execute(QStringLiteral("Delete From Log_head;"));
            tx.commit();
        }
        RebuildAfterDelete();
    } else if (IsGroupingLetter(letter) || KindOfCategory(letter)) {
        DeleteBranch(tag);
    } else if (KindOfRecord(letter)) {
        DeleteRecord(tag, letter);
    }
}

void BrowserPage::DeleteBranch(const QString& tag) {
    if (!Ask(Question::DeleteFolderData)) return;
    // The logs are those the pressed item's key names; an item whose node the tree no longer
    // holds names none, and nothing goes.
    const std::optional<LogWhere> where = MakeLogWhere(tag);
    if (!where) {
        ReportNotFound(lvwLog->Contains(tag) ? lvwLog->Text(tag) : tvwLog->Text(tag));
        return;
    }
    {
        Database db(DatabasePath);
        Database::Transaction tx(db);
        // The logs' rows first, then their headers, all or nothing.
        for (const QString& table : ChildTables())
            db.execute(QStringLiteral("Delete From ") + table +
                           QStringLiteral(" Where RelNo In (Select SeqNo From Log_Head") +
                           where->Clause() + QStringLiteral(");"),
                       where->params);
        db.execute(QStringLiteral("Delete From Log_head") + where->Clause() + u';', where->params);
        tx.commit();
    }
    RebuildAfterDelete();
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

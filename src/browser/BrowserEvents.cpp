// What the clicks on the tree, the list, the grouping boxes and the page's buttons do.
#include "BrowserKinds.h"
#include "BrowserPage.h"
#include "UserDialogs.h"
#include "clsInstrument.h"
#include "modGlobals.h"
#include "modKeys.h"
#include "modMessage.h"
#include "modModel.h"

#include <QScopeGuard>

namespace qv {

namespace {

// Fills the list with the tree disabled meanwhile; enables it again however the fill ends.
void ShowLogListWithTreeDisabled(BrowserPage& page, const QString& key) {
    const ui::FocusKeeper focus(page);
    page.tvwLog->setEnabled(false);
    const auto enable = qScopeGuard([&page] { page.tvwLog->setEnabled(true); });
    page.ShowLogList(key);
}

}  // namespace

void BrowserPage::tvwLog_NodeClick(const QString& key) {
    ShowLogListWithTreeDisabled(*this, key);
    if (lvwLog->Count() == 0) return;
    const QString first = lvwLog->Keys().front();
    ShowLogProperty(first);
    if (const LogKind* kind = KindOfRecord(KeyLetter(first))) {
        host_->CurDataType = kind->types;
        host_->CurSeqNo = GetLeadingNumber(first);
    }
}

void BrowserPage::tvwLog_MouseDown(int Button, int, double x, double y) {
    PressOn(*tvwLog, Button, x, y);
}

void BrowserPage::lvwLog_MouseDown(int Button, int, double x, double y) {
    PressOn(*lvwLog, Button, x, y);
}

void BrowserPage::PressOn(ui::KeyedItemView& view, int Button, double x, double y) {
    const QString hit = view.HitTest(x, y);
    if (hit.isEmpty()) return;
    if (Button == ui::RightButton) {
        mnuDelete->setData(hit);
        if (ui::KeyedItemView::PopupMenu(*mnuDeletes) == mnuDelete) mnuDelete_Click();
    } else {
        ClickedLogKey = hit;
    }
}

void BrowserPage::lvwLog_ItemClick(const QString& key) {
    ShowLogProperty(key);
    lvwLog->SetDropHighlight(QString());
    if (const LogKind* kind = KindOfRecord(KeyLetter(key))) {
        host_->CurDataType = kind->types;
        host_->CurSeqNo = GetLeadingNumber(key);
    }
}

void BrowserPage::lvwLog_DblClick() {
    if (ClickedLogKey.isEmpty()) return;
    const QChar letter = KeyLetter(ClickedLogKey);
    if (IsGroupingLetter(letter) || KindOfCategory(letter)) {
        // A key of a tree that has been rebuilt since names nothing.
        if (!tvwLog->Contains(ClickedLogKey)) return;
        tvwLog->SetExpanded(tvwLog->ParentKey(ClickedLogKey), true);
        ShowLogListWithTreeDisabled(*this, ClickedLogKey);
        if (lvwLog->Count() > 0) ShowLogProperty(lvwLog->Keys().front());
        return;
    }
    if (host_->CurDataType != 0 && host_->CurSeqNo != 0) cmdDetail_Click();
}

void BrowserPage::lvwLog_ColumnClick(int) {
    if (lvwLog->Sorted()) {
        lvwLog->SetSortOrder(lvwLog->SortOrder() == 0 ? 1 : 0);
    } else {
        lvwLog->SetSortOrder(0);
        lvwLog->SetSorted(true);
    }
    lvwLog->Refresh();
}

void BrowserPage::chkLog_Click(int) {
    // The grouping is a setting of its own, kept for the next start.
    for (size_t i = 0; i < chkLog.size(); ++i)
        MainForm().chkLog[i] = chkLog[i]->isChecked() ? 1 : 0;
    if (host_->SettingsChanged) host_->SettingsChanged();
    RebuildTree();
    if (tvwLog->SelectedKey().isEmpty()) tvwLog->SetSelectedKey(tvwLog->RootKey());
    tvwLog_NodeClick(tvwLog->SelectedKey());
}

void BrowserPage::cmdDetail_Click() {
    if (host_->CurDataType == 0) {
        Dialogs().MsgBox(GetMessage(5301), vbOKOnly | vbInformation, GetMessage(5302));
        return;
    }
    // The data view loads the current log itself.
    host_->OpenDataView();
}

void BrowserPage::cmdLogInst_Click() {
    const QString selected = lvwLog->SelectedKey();
    const QChar letter = KeyLetter(selected);
    if (selected.isEmpty() || (letter != u'K' && letter != u'G') || host_->CurDataType == 0) {
        Dialogs().MsgBox(GetMessage(5359), vbOKOnly | vbInformation, GetMessage(5360));
        return;
    }
    if (!host_->LogInstrument) host_->LogInstrument = std::make_shared<clsInstrument>();
    host_->LogInstrument->LoadDatabase(host_->CurSeqNo);
    host_->ShowLogInstrument = true;
    const auto shown = qScopeGuard([this] { host_->ShowLogInstrument = false; });
    host_->ShowInstrumentInfo();
    host_->ShowPage(1);
}

}  // namespace qv

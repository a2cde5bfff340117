// The option page's identity fields, interval list and clocks: typed, pasted and committed
// identity texts, the interval the user chooses, and the computer's and instrument's clocks.
#include "Dates.h"
#include "OptionPage.h"
#include "Runtime.h"
#include "Twips.h"
#include "clsInstrument.h"
#include "modKeys.h"
#include "modMessage.h"
#include "uclQvif.h"

#include <QApplication>

namespace qv {

namespace {

// The longest text of each identity field: serial number, station, user.
constexpr std::array<int, 3> kLongest{12, 10, 10};

QString Identity(const clsInstrument& in, int index) {
    switch (index) {
        case 0:
            return in.SerialNo();
        case 1:
            return in.StationID();
        default:
            return in.UserId();
    }
}

void StoreIdentity(clsInstrument& in, int index, const QString& text) {
    switch (index) {
        case 0:
            return in.SetSerialNo(text);
        case 1:
            return in.SetStationID(text);
        default:
            return in.SetUserId(text);
    }
}

}  // namespace

void OptionPage::txtOption_KeyPress(int Index, int& KeyAscii) {
    if (Index < 0 || Index > 2) return;
    const QLineEdit* box = txtOption[static_cast<size_t>(Index)];
    // Backspace always passes, so that a typing error can be taken back.
    if (KeyAscii == 8) return;
    // A selection goes when the character replaces it: the text without it must have room.
    const qsizetype kept = box->text().size() - box->selectedText().size();
    if (IdKeyTaken(KeyAscii, kept, kLongest[static_cast<size_t>(Index)])) {
        StoreIdentity(*host_->CurInstrument, Index, box->text());
        return;
    }
    KeyAscii = 0;
    QApplication::beep();
}

void OptionPage::txtOption_Validate(int Index) {
    if (Index < 0 || Index > 2) return;
    StoreIdentity(*host_->CurInstrument, Index, txtOption[static_cast<size_t>(Index)]->text());
}

void OptionPage::txtOption_Change(int Index) {
    if (Index < 0 || Index > 2) return;
    const auto i = static_cast<size_t>(Index);
    QLineEdit* box = txtOption[i];
    const QString text = box->text();
    // The text before the change, whether the change has been followed yet or not.
    const QString before = fieldText_[i] == text ? fieldBefore_[i] : fieldText_[i];
    const IdEdit kept = KeepIdEdit(before, text, kLongest[i]);
    if (kept.text == text) return;
    // A comma or any other character outside the identity set never reaches the instrument;
    // what the instrument reported stays as it reported it.
    box->setText(kept.text);
    box->setCursorPosition(static_cast<int>(kept.cursor));
    QApplication::beep();
}

void OptionPage::CommitIdentityFields() {
    clsInstrument& in = *host_->CurInstrument;
    for (int i = 0; i < 3; ++i) {
        const QString text = txtOption[static_cast<size_t>(i)]->text();
        if (TrimOrStar(text) != Identity(in, i)) StoreIdentity(in, i, text);
    }
}

void OptionPage::cmbInterval_Click() {
    host_->CurInstrument->SetIntervals(rt::CInt(cmbInterval->currentText()));
}

void OptionPage::ShowClocks() {
    if (!host_ || !ui::IsShown(this)) return;
    const QDateTime now = rt::Now();
    const QString nowText = GeneralDate(now);
    if (host_->link.Status() == StatusInitial) {
        lblOption[5]->setText(nowText);
        lblOption[6]->clear();
        return;
    }
    // Once a second: the instrument's clock as read, advanced by the time passed since.
    QLabel* pc = lblOption[5];
    if (pc->property("Tag").toString() == nowText) return;
    pc->setProperty("Tag", nowText);
    pc->setText(nowText);
    // A clock not read, or read with settings the page no longer shows, stays empty: the
    // computer's time in its place would pass for the instrument's.
    if (!SettingsPresent(*host_) || host_->CurInstrument->SysDate() == rt::ZeroDate()) {
        lblOption[6]->clear();
        return;
    }
    const qint64 offset = rt::ZeroDate().secsTo(host_->CurInstrument->SysDateOffset());
    lblOption[6]->setText(GeneralDate(rt::AddSeconds(now, -offset)));
}

}  // namespace qv

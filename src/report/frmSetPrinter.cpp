// The printer selection dialog.
#include "frmSetPrinter.h"

#include "PrinterList.h"
#include "Twips.h"
#include "UserAction.h"
#include "UserDialogs.h"
#include "modMessage.h"

namespace qv {

frmSetPrinter::frmSetPrinter(QWidget* parent) : QDialog(parent) {
    setWindowTitle(GetMessage(9010));
    cmbList = new QComboBox(this);
    cmdOK = new QPushButton(GetMessage(9012), this);
    cmdCan = new QPushButton(GetMessage(9013), this);
    ui::Move(cmbList, 120, 120, 4200, 315);
    ui::Move(cmdOK, 1080, 600, 1200, 375);
    ui::Move(cmdCan, 2520, 600, 1200, 375);
    setFixedSize(ui::ToPixelsX(4440), ui::ToPixelsY(1140));
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, ui::AsUserAction([this] { cmdOK_Click(); }));
    connect(cmdCan, &QPushButton::clicked, this, ui::AsUserAction([this] { cmdCan_Click(); }));
}

namespace {

template <class Answer>
auto RunDialog(QWidget* parent, Answer answer) {
    frmSetPrinter dialog(parent);
    dialog.Form_Load();
    Dialogs().ShowModal(dialog);
    return answer(dialog);
}

}  // namespace

int frmSetPrinter::Choose(QWidget* parent) {
    return RunDialog(parent, [](const frmSetPrinter& d) { return d.SelNo(); });
}

std::optional<QString> frmSetPrinter::ChooseEntry(QWidget* parent) {
    return RunDialog(parent, [](const frmSetPrinter& d) { return d.SelectedEntry(); });
}

std::optional<QString> frmSetPrinter::SelectedEntry() const {
    if (selNo_ < 0 || selNo_ >= choices_.size()) return std::nullopt;
    return choices_[selNo_];
}

void frmSetPrinter::Form_Load() {
    cmbList->clear();
    choices_ = ui::PrinterChoices();
    const QString current = ui::CurrentPrinter();
    int found = -1;
    for (int i = 0; i < choices_.size(); ++i) {
        cmbList->addItem(choices_[i]);
        if (choices_[i] == current) found = i;  // the last match wins
    }
    // The PDF entry is always there, so the list is never empty.
    cmbList->setCurrentIndex(found >= 0 ? found : 0);
}

void frmSetPrinter::cmdOK_Click() {
    selNo_ = cmbList->currentIndex();
    accept();
}

void frmSetPrinter::cmdCan_Click() {
    selNo_ = -1;
    reject();
}

}  // namespace qv

// The gas selection dialog: its candidates, layout and buttons.
#include "frmGasSel.h"

#include "Twips.h"
#include "UserAction.h"
#include "modGasCommon.h"
#include "modGlobals.h"
#include "modMessage.h"

#include <QResizeEvent>
#include <algorithm>
#include <array>

namespace qv {

namespace {

// Design sizes in twips.
constexpr double kInnerWidth = 6690;
constexpr double kInnerHeight = 2100;
constexpr double kOptionWidth = 1455;
constexpr double kOptionHeight = 375;
constexpr double kButtonHeight = 375;
// Below these the layout is drawn scaled down rather than cut off.
constexpr double kMinWidth = 3000;
constexpr double kMinHeight = 2500;

}  // namespace

frmGasSel::frmGasSel(QWidget* parent) : QDialog(parent) {
    setWindowTitle(GetMessage(9015));
    fraGasSel = new QGroupBox(GetMessage(9016), this);
    for (size_t i = 0; i < optGasList.size(); ++i) {
        optGasList[i] = new QRadioButton(fraGasSel);
        connect(optGasList[i], &QRadioButton::toggled, this, ui::AsUserAction([this](bool on) {
                    if (on) optGasList_Click();
                }));
    }
    cmdGasSel[0] = new QPushButton(GetMessage(9012), this);
    cmdGasSel[1] = new QPushButton(GetMessage(9013), this);
    for (size_t i = 0; i < cmdGasSel.size(); ++i)
        connect(cmdGasSel[i], &QPushButton::clicked, this,
                ui::AsUserAction([this, i] { cmdGasSel_Click(static_cast<int>(i)); }));
    // The design layout, which the first resize replaces; an option that falls outside the
    // positions computed keeps it.
    ui::Move(fraGasSel, 0, 0, 6495, 1335);
    constexpr std::array<double, 4> lefts{120, 1560, 2760, 4080};
    for (size_t i = 0; i < optGasList.size(); ++i)
        ui::Move(optGasList[i], lefts[i % 4], i < 4 ? 240 : 720, kOptionWidth, kOptionHeight);
    for (size_t i = 0; i < cmdGasSel.size(); ++i)
        ui::Move(cmdGasSel[i], 120 + 1800.0 * static_cast<double>(i), 1560, 1575, kButtonHeight);
    // Nothing picked yet: OK would name no gas.
    cmdGasSel[0]->setEnabled(false);
    resize(ui::ToPixelsX(kInnerWidth), ui::ToPixelsY(kInnerHeight));
    ListCandidates();
}

void frmGasSel::SetGasNo(int gasNo) {
    gasNo_ = gasNo;
    ListCandidates();
}

void frmGasSel::ListCandidates() {
    int count = 0;
    const bool slot = gasNo_ >= 0 && gasNo_ <= 5;
    for (size_t n = 0; n < optGasList.size(); ++n) {
        QRadioButton* option = optGasList[n];
        const GasDefinition* gas = slot ? &GasTable[static_cast<size_t>(gasNo_)][n] : nullptr;
        option->setVisible(gas && gas->Enabled);
        if (!gas || !gas->Enabled) continue;
        option->setText(FormatNameUnit(gas->Name, gas->Unit));
        ++count;
    }
    if (count <= 4) {
        optionsPerLine_ = count;
        optionLines_ = 1;
    } else {
        optionsPerLine_ = (count + 1) / 2;
        optionLines_ = 2;
    }
    Form_Resize();
}

void frmGasSel::optGasList_Click() {
    for (size_t n = 0; n < optGasList.size(); ++n)
        if (optGasList[n]->isChecked()) selNum_ = static_cast<int>(n);
    cmdGasSel[0]->setEnabled(selNum_ >= 0);
}

void frmGasSel::cmdGasSel_Click(int Index) {
    if (Index == 0 && selNum_ < 0) return;
    flags_ = Index == 0;
    if (flags_)
        accept();
    else
        reject();
}

void frmGasSel::Form_Resize() {
    if (isMinimized()) return;
    // A window smaller than the layout shows all of it, scaled down.
    const double innerWidth = ui::Width(this);
    const double innerHeight = ui::Height(this);
    const double width = std::max(innerWidth, kMinWidth);
    const double height = std::max(innerHeight, kMinHeight);
    const double sx = innerWidth / width;
    const double sy = innerHeight / height;
    const auto place = [sx, sy](QWidget* w, double left, double top, double wide, double high) {
        ui::Move(w, left * sx, top * sy, wide * sx, high * sy);
    };
    const double frameWidth = width;
    const double frameHeight = height - kButtonHeight - 360;
    place(fraGasSel, 0, 0, frameWidth, frameHeight);
    const double n = static_cast<double>(cmdGasSel.size());
    for (size_t i = 0; i < cmdGasSel.size(); ++i)
        place(cmdGasSel[i], width / n * static_cast<double>(i), frameHeight + 180, width / n - 60,
              kButtonHeight);
    // The options inside the frame are placed in the frame's own coordinates, the first line
    // below the frame's caption.
    const double firstLine = std::max(240.0, ui::ContentTop(fraGasSel, 0) / sy);
    for (int w = 0; w < optionLines_; ++w)
        for (int j = 0; j < optionsPerLine_; ++j) {
            const int index = w * optionsPerLine_ + j;
            if (index >= static_cast<int>(optGasList.size())) continue;
            place(optGasList[static_cast<size_t>(index)],
                  frameWidth / (optionsPerLine_ + 0.1) * j + 60, frameHeight / 3 * w + firstLine,
                  kOptionWidth, kOptionHeight);
        }
}

void frmGasSel::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    Form_Resize();
}

}  // namespace qv

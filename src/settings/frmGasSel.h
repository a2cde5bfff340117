// The gas selection dialog: which catalogue gas sits in one sensor slot. It lists the enabled
// alternatives 0 to 7 of the slot's catalogue row as option buttons and tells its caller whether
// it was closed with OK and which alternative was picked; OK is offered only once one is.
#pragma once

#include <QDialog>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <array>

namespace qv {

class frmGasSel : public QDialog {
  public:
    // Loaded afresh: Flags False, SelNum -1, the candidates of slot 0 listed.
    explicit frmGasSel(QWidget* parent = nullptr);

    int GasNo() const { return gasNo_; }
    // Stores the slot (channel 0 to 5) and lists its candidates.
    void SetGasNo(int gasNo);
    // True when the dialog was closed with OK.
    bool Flags() const { return flags_; }
    // The alternative picked, -1 until one is.
    int SelNum() const { return selNum_; }
    int OptionsPerLine() const { return optionsPerLine_; }
    int OptionLines() const { return optionLines_; }

    void optGasList_Click();
    // 0 OK, 1 Cancel; either closes the dialog.
    void cmdGasSel_Click(int Index);
    void Form_Resize();

    QGroupBox* fraGasSel = nullptr;
    std::array<QRadioButton*, 8> optGasList{};
    std::array<QPushButton*, 2> cmdGasSel{};

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    void ListCandidates();

    int gasNo_ = 0;
    bool flags_ = false;
    int selNum_ = -1;
    int optionsPerLine_ = 0;
    int optionLines_ = 1;
};

}  // namespace qv

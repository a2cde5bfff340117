// The printer selection dialog: the printers of the system and the PDF entry in a drop-down
// list with the current printer preselected; the chosen index comes back through SelNo.
#pragma once

#include <QComboBox>
#include <QDialog>
#include <QPushButton>

namespace qv {

class frmSetPrinter : public QDialog {
  public:
    explicit frmSetPrinter(QWidget* parent = nullptr);

    // Index into the printer choices, -1 after Cancel or when the window was closed.
    int SelNo() const { return selNo_; }

    // Shows a fresh dialog modally (through the dialogs service) and gives its answer.
    static int Choose(QWidget* parent = nullptr);

    void Form_Load();
    void cmdOK_Click();
    void cmdCan_Click();

    QComboBox* cmbList = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCan = nullptr;

  private:
    // Closing the window by its close box or Escape is a Cancel: no earlier answer is reused.
    int selNo_ = -1;
};

}  // namespace qv

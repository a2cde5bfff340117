// The printer selection dialog: the printers of the system and the PDF entry in a drop-down
// list with the current printer preselected; the chosen index comes back through SelNo, the
// chosen entry of the list shown through SelectedEntry.
#pragma once

#include <QComboBox>
#include <QDialog>
#include <QPushButton>
#include <QStringList>
#include <optional>

namespace qv {

class frmSetPrinter : public QDialog {
  public:
    explicit frmSetPrinter(QWidget* parent = nullptr);

    // Index into the printer choices, -1 after Cancel or when the window was closed.
    int SelNo() const { return selNo_; }
    // The entry chosen, as the list showed it; nothing after Cancel.
    std::optional<QString> SelectedEntry() const;

    // Show a fresh dialog modally (through the dialogs service) and give its answer: the index,
    // or the entry chosen.
    static int Choose(QWidget* parent = nullptr);
    static std::optional<QString> ChooseEntry(QWidget* parent = nullptr);

    void Form_Load();
    void cmdOK_Click();
    void cmdCan_Click();

    QComboBox* cmbList = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCan = nullptr;

  private:
    // Closing the window by its close box or Escape is a Cancel: no earlier answer is reused.
    int selNo_ = -1;
    // The choices the list shows: an entry is taken from them, not from a list asked again.
    QStringList choices_;
};

}  // namespace qv

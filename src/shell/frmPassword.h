// The password dialog that guards the deletion of stored data: Continue accepts the user
// password (any case) and sets PasswordOK; the second button changes the password in three
// steps, named by its caption.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <array>
#include <functional>

namespace qv {

class frmPassword : public QDialog {
  public:
    // Loads the dialog at rest; `passwordChanged` runs when a new password has been confirmed
    // and taken, so that it is kept.
    explicit frmPassword(QWidget* parent = nullptr,
                         std::function<void()> passwordChanged = nullptr);

    // Shows a fresh dialog modally through the dialogs service; `passwordChanged` runs when a
    // new password has been confirmed and taken.
    static void ShowModal(QWidget* parent = nullptr,
                          std::function<void()> passwordChanged = nullptr);

    void Form_Load();
    void Form_Resize();
    void cmdPass_Click(int Index);

    QLabel* lblPass = nullptr;
    QLineEdit* txtPass = nullptr;
    std::array<QPushButton*, 2> cmdPass{};

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    // A password refused stays in the entry, selected with the focus on it, so that the next
    // typing replaces it instead of adding to it.
    void RetypeEntry();
    // Widens the dialog so that every caption and prompt of every step shows whole.
    void FitWidthToTexts();

    QString NewPassword;
    std::function<void()> passwordChanged_;
};

}  // namespace qv

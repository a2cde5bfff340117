// The progress dialog shown while a long link operation runs: an animation, a line naming the
// operation, and for downloads a Cancel button that ends the running transfer.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <functional>

namespace qv {

// A file flying from one folder to the other, in a loop while it plays.
class FileMoveAnimation : public QWidget {
  public:
    static constexpr int Frames = 12;

    explicit FileMoveAnimation(QWidget* parent = nullptr);
    void Play();
    void Stop();
    // Shows one frame, 0 to Frames - 1.
    void ShowFrame(int frame);
    bool Playing() const { return timer_.isActive(); }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QTimer timer_;
    int frame_ = 0;
};

class frmUpload : public QDialog {
  public:
    // cancelTransfer ends the link's running transfer (sets the link control's Cancel).
    explicit frmUpload(std::function<void()> cancelTransfer, QWidget* parent = nullptr);

    // Size, position, texts by the operation running, Canceled cleared, animation, fonts.
    void Form_Load();
    // Keeps the fixed size and places the controls.
    void Form_Resize();
    void cmdUpload_Click();
    void tmrInter_Timer();

    bool Canceled() const { return canceled_; }
    void SetCanceled(bool v) { canceled_ = v; }

    QLabel* lblUpload = nullptr;
    QPushButton* cmdUpload = nullptr;
    FileMoveAnimation* amnUpload = nullptr;
    QTimer* tmrInter = nullptr;

    // The dialog stays while its operation runs: neither Escape nor the window's close box
    // takes it away.
    void reject() override {}

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    // The size in twips that the window must have.
    QSizeF WantedSize() const;

    std::function<void()> cancelTransfer_;
    bool canceled_ = false;
    bool inResize_ = false;
};

}  // namespace qv

// The start-up window: a splash with the product title, part number and maker line that sets
// the service mode from the command line, waits five ticks of its timer, then loads and shows
// the main window and closes.
#pragma once

#include "frmMain.h"

#include <QFrame>
#include <QLabel>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>

namespace qv {

class frmOpen : public QWidget {
  public:
    // `arguments` are the command line's arguments after the program name. `makeMain` creates
    // the main window (the machine's ports unless a test gives another).
    explicit frmOpen(QStringList arguments,
                     std::function<std::unique_ptr<frmMain>()> makeMain = nullptr);
    ~frmOpen() override;

    void Form_Load();
    void Form_Activate();
    void tmrTimer_Timer();
    void fraOpen_DblClick();

    // The main window once shown; nullptr before, and after a start-up that ended the program.
    frmMain* MainWindow() const { return main_.get(); }
    // True once the main window's start-up ended the program.
    bool StartupFailed() const { return failed_; }
    // Ends the program as the main window's close box does: from here on no dialog waits for
    // the user (frmMain::StopAsking), open menus and dialogs are dismissed (a question so
    // dismissed is not answered Yes), then the main window closes, which cancels a running
    // transfer first and runs the unload. While the main window loads, a dialog of its load is
    // dismissed as well and the window is unloaded as soon as its load is done; before that
    // nothing is held and the program ends at once.
    void EndProgram();

    int16_t SplashTicks = 0;
    QTimer* tmrTimer = nullptr;
    QFrame* fraOpen = nullptr;
    QLabel* imgPellorin = nullptr;
    QLabel* lblTitle = nullptr;
    QLabel* lblTM = nullptr;
    QLabel* lblPCs = nullptr;
    std::array<QFrame*, 2> linBorder{};
    QLabel* lblVersion = nullptr;
    QLabel* lblNotice = nullptr;
    QLabel* lblCompany = nullptr;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void LayoutSplash();
    // Loads and shows the main window, then closes the splash.
    void ShowMain();

    QStringList arguments_;
    std::function<std::unique_ptr<frmMain>()> makeMain_;
    std::unique_ptr<frmMain> main_;
    bool pausing_ = false;
    bool done_ = false;
    bool failed_ = false;
    bool waitCursor_ = false;
    bool mainShown_ = false;
    bool endRequested_ = false;
};

}  // namespace qv

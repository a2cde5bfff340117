// The one service through which the program asks the user: message boxes with numeric button
// and icon codes (vbYesNo, vbQuestion ...), file, font and colour dialogs, pop-up menus and
// other modal forms. Tests install a scripted service, so no test waits on a modal
// window.
#pragma once

#include <QFont>
#include <QPoint>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

class QAction;
class QDialog;
class QMenu;
class QWidget;

namespace qv {

// Buttons, icon and default button of a message box, summed as the callers pass them.
enum MsgBoxStyle : int {
    vbOKOnly = 0,
    vbOKCancel = 1,
    vbAbortRetryIgnore = 2,
    vbYesNoCancel = 3,
    vbYesNo = 4,
    vbRetryCancel = 5,
    vbCritical = 16,
    vbQuestion = 32,
    vbExclamation = 48,
    vbInformation = 64,
    vbDefaultButton1 = 0,
    vbDefaultButton2 = 256,
    vbDefaultButton3 = 512,
};

// The button the user pressed.
enum MsgBoxResult : int {
    vbOK = 1,
    vbCancel = 2,
    vbAbort = 3,
    vbRetry = 4,
    vbIgnore = 5,
    vbYes = 6,
    vbNo = 7,
};

// A file dialog: the filter in the form "Text (*.txt)|*.txt|All (*.*)|*.*", the 1-based index
// of the filter offered first, and the name proposed. A save dialog never asks about an
// existing file: the caller asks with the program's own question (MayReplaceFile), whose
// default is No. A name saved without a suffix takes that of the filter chosen ("*.txt":
// "txt"), or DefaultExt for a filter without one.
struct FileDialogRequest {
    QString Title;
    QString Filter;
    int FilterIndex = 1;
    QString FileName;
    QString InitDir;
    QString DefaultExt;
};

struct FileDialogResult {
    bool Accepted = false;
    QString FileName;
    int FilterIndex = 1;
};

class UserDialogs {
  public:
    virtual ~UserDialogs() = default;
    // The button pressed; an empty title gives the program's title.
    virtual int MsgBox(const QString& prompt, int style = vbOKOnly, const QString& title = {}) = 0;
    virtual FileDialogResult OpenFile(const FileDialogRequest& request) = 0;
    virtual FileDialogResult SaveFile(const FileDialogRequest& request) = 0;
    // The font chosen, nothing when cancelled.
    virtual std::optional<QFont> ChooseFont(const QFont& initial) = 0;
    // The colour chosen (0x00BBGGRR), nothing when cancelled.
    virtual std::optional<int32_t> ChooseColor(int32_t initial) = 0;
    // The item chosen from a pop-up menu, nullptr when dismissed.
    virtual QAction* PopupMenu(QMenu& menu, const QPoint& globalPos) = 0;
    // Shows one of the program's own forms modally and returns its result code.
    virtual int ShowModal(QDialog& dialog) = 0;
};

// The real dialogs on Qt.
class QtUserDialogs : public UserDialogs {
  public:
    int MsgBox(const QString& prompt, int style, const QString& title) override;
    FileDialogResult OpenFile(const FileDialogRequest& request) override;
    FileDialogResult SaveFile(const FileDialogRequest& request) override;
    std::optional<QFont> ChooseFont(const QFont& initial) override;
    std::optional<int32_t> ChooseColor(int32_t initial) override;
    QAction* PopupMenu(QMenu& menu, const QPoint& globalPos) override;
    int ShowModal(QDialog& dialog) override;
};

// The service in use: the Qt one unless another was installed.
UserDialogs& Dialogs();
// Installs a service (the caller keeps it alive); nullptr goes back to the Qt one.
void SetDialogs(UserDialogs* service);
// The service installed with SetDialogs, nullptr while the Qt one is in use.
UserDialogs* InstalledDialogs();

// While a close of the program is pending nobody may be there to answer, so no dialog waits: a
// message box is not shown but handed to `tell` (prompt, style, title) and takes its safe answer
// (OK, No, Cancel or Abort; never Yes or Retry), file, font and colour dialogs count as
// cancelled, menus as dismissed, forms as rejected. Whatever service is installed is not asked.
// An empty function ends it.
using UnaskedTeller = std::function<void(const QString& prompt, int style, const QString& title)>;
void SetClosePending(UnaskedTeller tell);
bool ClosePending();

// The answer to a box that changes nothing: OK where it is the only button, else No, Cancel or
// Abort; never Yes, Retry or Ignore.
int SafeAnswer(int style);

// The title of message boxes that name none.
QString ProgramTitle();

// "Text (*.txt)|*.txt|All|*.*" as Qt's filter list "Text (*.txt);;All (*.*)": the patterns
// are added to a label that does not end with them already.
QStringList QtFilters(const QString& filter);

}  // namespace qv

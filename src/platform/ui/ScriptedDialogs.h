// A dialogs service for tests: answers from queues filled beforehand and records every question
// asked, so a test can drive a window that asks the user without any modal wait.
#pragma once

#include "UserDialogs.h"

#include <QStringList>
#include <deque>
#include <functional>
#include <vector>

namespace qv {

class ScriptedDialogs : public UserDialogs {
  public:
    enum class Kind { MsgBox, OpenFile, SaveFile, Font, Color, Menu, Modal };
    // One question as it was asked.
    struct Asked {
        Kind kind;
        QString text;    // prompt, file dialog title, the dialog's window title, or a menu's
                         // title (untitled: its entries joined by "|", a separator empty)
        QString title;   // message box title as passed (empty: the program's title)
        int style = 0;   // message box style; filter index of a file dialog
        QPoint place{};  // where a menu was to open (global)
    };

    // Installs itself as the service in use; the destructor puts the previous one back.
    ScriptedDialogs();
    ~ScriptedDialogs() override;
    ScriptedDialogs(const ScriptedDialogs&) = delete;
    ScriptedDialogs& operator=(const ScriptedDialogs&) = delete;

    // Answers, used in the order given. A box with the one button OK needs none: it tells and
    // is answered OK. Any other box, dialog or menu without an answer is a question nobody
    // scripted: it is kept in unscripted(), handed to the handler of OnUnscripted, and takes the
    // answer that changes nothing (SafeAnswer for a box; a dialog cancelled, a menu dismissed).
    void AnswerMsgBox(int result) { msgBoxes_.push_back(result); }
    void AnswerFile(FileDialogResult result) { files_.push_back(std::move(result)); }
    void AnswerFont(std::optional<QFont> font) { fonts_.push_back(std::move(font)); }
    void AnswerColor(std::optional<int32_t> color) { colors_.push_back(color); }
    // The item of that text is chosen; an empty text dismisses the menu.
    void AnswerMenu(const QString& itemText) { menus_.push_back(itemText); }
    // Runs while the dialog would be shown (it may click its buttons); returns the result code.
    void AnswerModal(std::function<int(QDialog&)> script) { modals_.push_back(std::move(script)); }

    const std::vector<Asked>& asked() const { return asked_; }
    // The questions met without an answer scripted for them.
    const std::vector<Asked>& unscripted() const { return unscripted_; }
    // What every scripted service does with a question met without an answer (the test programs
    // fail the test that met it); an empty function does nothing more than keep it. Returns the
    // handler it replaces.
    using UnscriptedHandler = std::function<void(const Asked&)>;
    static UnscriptedHandler OnUnscripted(UnscriptedHandler handler);
    // The prompts of the message boxes shown, in order.
    QStringList messages() const;
    void clear() { asked_.clear(); }

    int MsgBox(const QString& prompt, int style, const QString& title) override;
    FileDialogResult OpenFile(const FileDialogRequest& request) override;
    FileDialogResult SaveFile(const FileDialogRequest& request) override;
    std::optional<QFont> ChooseFont(const QFont& initial) override;
    std::optional<int32_t> ChooseColor(int32_t initial) override;
    QAction* PopupMenu(QMenu& menu, const QPoint& globalPos) override;
    int ShowModal(QDialog& dialog) override;

  private:
    // Records a question; one without an answer scripted for it is reported.
    void Ask(Asked asked, bool scripted);

    UserDialogs* previous_;
    std::vector<Asked> asked_;
    std::vector<Asked> unscripted_;
    std::deque<int> msgBoxes_;
    std::deque<FileDialogResult> files_;
    std::deque<std::optional<QFont>> fonts_;
    std::deque<std::optional<int32_t>> colors_;
    std::deque<QString> menus_;
    std::deque<std::function<int(QDialog&)>> modals_;
};

}  // namespace qv

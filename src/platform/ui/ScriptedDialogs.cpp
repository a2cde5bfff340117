// The scripted dialogs service.
#include "ScriptedDialogs.h"

#include <QAction>
#include <QDialog>
#include <QMenu>

namespace qv {

namespace {

template <class T>
std::optional<T> Take(std::deque<T>& queue) {
    if (queue.empty()) return std::nullopt;
    T value = std::move(queue.front());
    queue.pop_front();
    return value;
}

int FirstButton(int style) {
    switch (style & 7) {
        case vbAbortRetryIgnore:
            return vbAbort;
        case vbYesNoCancel:
        case vbYesNo:
            return vbYes;
        case vbRetryCancel:
            return vbRetry;
        default:
            return vbOK;
    }
}

}  // namespace

ScriptedDialogs::ScriptedDialogs() : previous_(InstalledDialogs()) {
    SetDialogs(this);
}

ScriptedDialogs::~ScriptedDialogs() {
    SetDialogs(previous_);
}

QStringList ScriptedDialogs::messages() const {
    QStringList out;
    for (const Asked& a : asked_)
        if (a.kind == Kind::MsgBox) out << a.text;
    return out;
}

int ScriptedDialogs::MsgBox(const QString& prompt, int style, const QString& title) {
    asked_.push_back({Kind::MsgBox, prompt, title, style});
    return Take(msgBoxes_).value_or(FirstButton(style));
}

FileDialogResult ScriptedDialogs::OpenFile(const FileDialogRequest& request) {
    asked_.push_back({Kind::OpenFile, request.Title, QString(), request.FilterIndex});
    return Take(files_).value_or(FileDialogResult{});
}

FileDialogResult ScriptedDialogs::SaveFile(const FileDialogRequest& request) {
    asked_.push_back({Kind::SaveFile, request.Title, QString(), request.FilterIndex});
    return Take(files_).value_or(FileDialogResult{});
}

std::optional<QFont> ScriptedDialogs::ChooseFont(const QFont& initial) {
    asked_.push_back({Kind::Font, initial.family(), QString(), 0});
    return Take(fonts_).value_or(std::nullopt);
}

std::optional<int32_t> ScriptedDialogs::ChooseColor(int32_t initial) {
    asked_.push_back({Kind::Color, QString::number(initial), QString(), 0});
    return Take(colors_).value_or(std::nullopt);
}

QAction* ScriptedDialogs::PopupMenu(QMenu& menu, const QPoint&) {
    asked_.push_back({Kind::Menu, menu.title(), QString(), 0});
    const QString choice = Take(menus_).value_or(QString());
    if (choice.isEmpty()) return nullptr;
    for (QAction* action : menu.actions())
        if (action->text() == choice) return action;
    return nullptr;
}

int ScriptedDialogs::ShowModal(QDialog& dialog) {
    asked_.push_back({Kind::Modal, dialog.windowTitle(), QString(), 0});
    auto script = Take(modals_);
    return script ? (*script)(dialog) : QDialog::Rejected;
}

}  // namespace qv

// The scripted dialogs service.
#include "ScriptedDialogs.h"

#include <QAction>
#include <QDialog>
#include <QMenu>
#include <utility>

namespace qv {

namespace {

template <class T>
std::optional<T> Take(std::deque<T>& queue) {
    if (queue.empty()) return std::nullopt;
    T value = std::move(queue.front());
    queue.pop_front();
    return value;
}

ScriptedDialogs::UnscriptedHandler unscriptedHandler;

}  // namespace

ScriptedDialogs::ScriptedDialogs() : previous_(InstalledDialogs()) {
    SetDialogs(this);
}

ScriptedDialogs::~ScriptedDialogs() {
    SetDialogs(previous_);
}

ScriptedDialogs::UnscriptedHandler ScriptedDialogs::OnUnscripted(UnscriptedHandler handler) {
    return std::exchange(unscriptedHandler, std::move(handler));
}

QStringList ScriptedDialogs::messages() const {
    QStringList out;
    for (const Asked& a : asked_)
        if (a.kind == Kind::MsgBox) out << a.text;
    return out;
}

void ScriptedDialogs::Ask(Asked asked, bool scripted) {
    asked_.push_back(std::move(asked));
    if (scripted) return;
    unscripted_.push_back(asked_.back());
    if (unscriptedHandler) unscriptedHandler(asked_.back());
}

int ScriptedDialogs::MsgBox(const QString& prompt, int style, const QString& title) {
    // A box with the one button OK tells; it asks nothing.
    Ask({Kind::MsgBox, prompt, title, style}, !msgBoxes_.empty() || (style & 7) == vbOKOnly);
    return Take(msgBoxes_).value_or(SafeAnswer(style));
}

FileDialogResult ScriptedDialogs::OpenFile(const FileDialogRequest& request) {
    Ask({Kind::OpenFile, request.Title, QString(), request.FilterIndex}, !files_.empty());
    return Take(files_).value_or(FileDialogResult{});
}

FileDialogResult ScriptedDialogs::SaveFile(const FileDialogRequest& request) {
    Ask({Kind::SaveFile, request.Title, QString(), request.FilterIndex}, !files_.empty());
    return Take(files_).value_or(FileDialogResult{});
}

std::optional<QFont> ScriptedDialogs::ChooseFont(const QFont& initial) {
    Ask({Kind::Font, initial.family(), QString(), 0}, !fonts_.empty());
    return Take(fonts_).value_or(std::nullopt);
}

std::optional<int32_t> ScriptedDialogs::ChooseColor(int32_t initial) {
    Ask({Kind::Color, QString::number(initial), QString(), 0}, !colors_.empty());
    return Take(colors_).value_or(std::nullopt);
}

QAction* ScriptedDialogs::PopupMenu(QMenu& menu, const QPoint& globalPos) {
    QStringList entries;
    for (const QAction* action : menu.actions())
        entries << action->text();
    const QString name = menu.title().isEmpty() ? entries.join(u'|') : menu.title();
    Ask({Kind::Menu, name, QString(), 0, globalPos}, !menus_.empty());
    const QString choice = Take(menus_).value_or(QString());
    if (choice.isEmpty()) return nullptr;
    for (QAction* action : menu.actions())
        if (action->text() == choice) return action;
    return nullptr;
}

int ScriptedDialogs::ShowModal(QDialog& dialog) {
    Ask({Kind::Modal, dialog.windowTitle(), QString(), 0}, !modals_.empty());
    auto script = Take(modals_);
    return script ? (*script)(dialog) : QDialog::Rejected;
}

}  // namespace qv

// The Qt implementation of the dialogs service and the service in use.
#include "UserDialogs.h"

#include "Twips.h"

#include <QAction>
#include <QApplication>
#include <QColorDialog>
#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QMenu>
#include <QMessageBox>
#include <QRegularExpression>

namespace qv {

namespace {

UserDialogs* installed = nullptr;

struct ButtonSet {
    QMessageBox::StandardButtons buttons;
    std::vector<QMessageBox::StandardButton> order;
};

ButtonSet ButtonsOf(int style) {
    using B = QMessageBox;
    switch (style & 7) {
        case vbOKCancel:
            return {B::Ok | B::Cancel, {B::Ok, B::Cancel}};
        case vbAbortRetryIgnore:
            return {B::Abort | B::Retry | B::Ignore, {B::Abort, B::Retry, B::Ignore}};
        case vbYesNoCancel:
            return {B::Yes | B::No | B::Cancel, {B::Yes, B::No, B::Cancel}};
        case vbYesNo:
            return {B::Yes | B::No, {B::Yes, B::No}};
        case vbRetryCancel:
            return {B::Retry | B::Cancel, {B::Retry, B::Cancel}};
        default:
            return {B::Ok, {B::Ok}};
    }
}

int ResultOf(QMessageBox::StandardButton button) {
    switch (button) {
        case QMessageBox::Ok:
            return vbOK;
        case QMessageBox::Abort:
            return vbAbort;
        case QMessageBox::Retry:
            return vbRetry;
        case QMessageBox::Ignore:
            return vbIgnore;
        case QMessageBox::Yes:
            return vbYes;
        case QMessageBox::No:
            return vbNo;
        default:
            return vbCancel;
    }
}

QMessageBox::Icon IconOf(int style) {
    switch (style & 0x70) {
        case vbCritical:
            return QMessageBox::Critical;
        case vbQuestion:
            return QMessageBox::Question;
        case vbExclamation:
            return QMessageBox::Warning;
        case vbInformation:
            return QMessageBox::Information;
        default:
            return QMessageBox::NoIcon;
    }
}

// The patterns of each entry of a filter, in the filter's order.
QStringList FilterPatterns(const QString& filter) {
    QStringList out;
    const QStringList parts = filter.split(u'|');
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        out << QString(parts[i + 1]).replace(u';', u' ').trimmed();
    return out;
}

// The suffix of a filter's first pattern when it names one ("*.csv": "csv"); none for "*.*".
QString PatternSuffix(const QString& patterns) {
    static const QRegularExpression plain(QStringLiteral("^\\*\\.([A-Za-z0-9_]+)$"));
    const QRegularExpressionMatch match = plain.match(patterns.section(u' ', 0, 0));
    return match.hasMatch() ? match.captured(1) : QString();
}

FileDialogResult RunFileDialog(const FileDialogRequest& request, QFileDialog::AcceptMode mode) {
    QFileDialog dialog(QApplication::activeWindow(), request.Title, request.InitDir);
    dialog.setAcceptMode(mode);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                       : QFileDialog::AnyFile);
    const QStringList filters = QtFilters(request.Filter);
    const QStringList patterns = FilterPatterns(request.Filter);
    const auto suffixOf = [&](qsizetype index) {
        const QString suffix =
            index >= 0 && index < patterns.size() ? PatternSuffix(patterns[index]) : QString();
        return suffix.isEmpty() ? request.DefaultExt : suffix;
    };
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        const int index = std::clamp(request.FilterIndex, 1, static_cast<int>(filters.size()));
        dialog.selectNameFilter(filters[index - 1]);
    }
    if (mode == QFileDialog::AcceptSave) {
        // A name typed without a suffix takes the suffix of the filter chosen, before the
        // dialog looks for a file of that name to ask about.
        const auto followFilter = [&] {
            dialog.setDefaultSuffix(suffixOf(filters.indexOf(dialog.selectedNameFilter())));
        };
        followFilter();
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, followFilter);
    } else if (!request.DefaultExt.isEmpty()) {
        dialog.setDefaultSuffix(request.DefaultExt);
    }
    if (!request.FileName.isEmpty()) dialog.selectFile(request.FileName);
    FileDialogResult result;
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return result;
    result.Accepted = true;
    const qsizetype chosen = filters.indexOf(dialog.selectedNameFilter());
    result.FilterIndex = chosen >= 0 ? static_cast<int>(chosen) + 1 : 1;
    result.FileName = dialog.selectedFiles().front();
    // A dialog of the desktop may leave the suffix out.
    if (mode == QFileDialog::AcceptSave && QFileInfo(result.FileName).suffix().isEmpty() &&
        !result.FileName.endsWith(u'/')) {
        const QString suffix = suffixOf(chosen);
        if (!suffix.isEmpty()) {
            if (!result.FileName.endsWith(u'.')) result.FileName += u'.';
            result.FileName += suffix;
        }
    }
    return result;
}

}  // namespace

QString ProgramTitle() {
    return QStringLiteral("QV4170");
}

QStringList QtFilters(const QString& filter) {
    QStringList out;
    const QStringList parts = filter.split(u'|');
    const QStringList patterns = FilterPatterns(filter);
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        // A label that already ends with its patterns in parentheses is a Qt filter as it is.
        const QString label = parts[i].trimmed();
        const QString bracketed = u'(' + patterns[i / 2] + u')';
        out << (label.endsWith(bracketed) ? label : label + u' ' + bracketed);
    }
    return out;
}

int QtUserDialogs::MsgBox(const QString& prompt, int style, const QString& title) {
    const ButtonSet set = ButtonsOf(style);
    QMessageBox box(IconOf(style), title.isEmpty() ? ProgramTitle() : title, prompt, set.buttons,
                    QApplication::activeWindow());
    const size_t defaultIndex = static_cast<size_t>((style >> 8) & 3);
    if (defaultIndex < set.order.size()) box.setDefaultButton(set.order[defaultIndex]);
    return ResultOf(static_cast<QMessageBox::StandardButton>(box.exec()));
}

FileDialogResult QtUserDialogs::OpenFile(const FileDialogRequest& request) {
    return RunFileDialog(request, QFileDialog::AcceptOpen);
}

FileDialogResult QtUserDialogs::SaveFile(const FileDialogRequest& request) {
    return RunFileDialog(request, QFileDialog::AcceptSave);
}

std::optional<QFont> QtUserDialogs::ChooseFont(const QFont& initial) {
    bool ok = false;
    const QFont font = QFontDialog::getFont(&ok, initial, QApplication::activeWindow());
    if (!ok) return std::nullopt;
    return font;
}

std::optional<int32_t> QtUserDialogs::ChooseColor(int32_t initial) {
    const QColor color =
        QColorDialog::getColor(ui::ColorFromLong(initial), QApplication::activeWindow());
    if (!color.isValid()) return std::nullopt;
    return ui::LongFromColor(color);
}

QAction* QtUserDialogs::PopupMenu(QMenu& menu, const QPoint& globalPos) {
    return menu.exec(globalPos);
}

int QtUserDialogs::ShowModal(QDialog& dialog) {
    return dialog.exec();
}

namespace {

UnaskedTeller unaskedTeller;

// The service while a close is pending: nothing is shown, nothing waits.
class ClosingDialogs final : public UserDialogs {
  public:
    int MsgBox(const QString& prompt, int style, const QString& title) override {
        unaskedTeller(prompt, style, title);
        return SafeAnswer(style);
    }
    FileDialogResult OpenFile(const FileDialogRequest&) override { return {}; }
    FileDialogResult SaveFile(const FileDialogRequest&) override { return {}; }
    std::optional<QFont> ChooseFont(const QFont&) override { return std::nullopt; }
    std::optional<int32_t> ChooseColor(int32_t) override { return std::nullopt; }
    QAction* PopupMenu(QMenu&, const QPoint&) override { return nullptr; }
    int ShowModal(QDialog&) override { return QDialog::Rejected; }
};

}  // namespace

int SafeAnswer(int style) {
    switch (style & 7) {
        case vbOKOnly:
            return vbOK;
        case vbAbortRetryIgnore:
            return vbAbort;
        case vbYesNo:
            return vbNo;
        default:
            return vbCancel;
    }
}

UserDialogs& Dialogs() {
    static QtUserDialogs qtDialogs;
    static ClosingDialogs closingDialogs;
    if (unaskedTeller) return closingDialogs;
    return installed ? *installed : qtDialogs;
}

void SetClosePending(UnaskedTeller tell) {
    unaskedTeller = std::move(tell);
}

bool ClosePending() {
    return static_cast<bool>(unaskedTeller);
}

void SetDialogs(UserDialogs* service) {
    installed = service;
}

UserDialogs* InstalledDialogs() {
    return installed;
}

}  // namespace qv

// Gives a control the program font, from any font description that has the fields of the
// settings file's font (Name, Size, Bold, Italic, Underline, Strikethrough).
#pragma once

#include <QApplication>
#include <QFont>
#include <QWidget>

namespace qv::ui {

// Every attribute is set explicitly, so a frame made bold afterwards does not pass its
// boldness on to the controls inside it.
template <class FontDescription>
QFont MakeFont(const FontDescription& source) {
    QFont font;
    font.setFamily(source.Name.isEmpty() ? QApplication::font().family() : source.Name);
    font.setPointSizeF(source.Size > 0 ? source.Size : QApplication::font().pointSizeF());
    font.setBold(source.Bold);
    font.setItalic(source.Italic);
    font.setUnderline(source.Underline);
    font.setStrikeOut(source.Strikethrough);
    return font;
}

template <class FontDescription>
void CopyFont(QWidget* control, const FontDescription& source) {
    control->setFont(MakeFont(source));
}

// The reverse, as the settings file keeps a font: name, size, bold, italic and underline.
template <class FontDescription>
void TakeFont(FontDescription& target, const QFont& font) {
    target.Name = font.family();
    target.Size = font.pointSizeF();
    target.Bold = font.bold();
    target.Italic = font.italic();
    target.Underline = font.underline();
}

}  // namespace qv::ui

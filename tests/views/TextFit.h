// Finding texts that show cut: grid cells whose text, in the grid's font and with the cell's
// margins, is wider than the columns the cell spans, and shown captions of buttons, check boxes,
// option buttons and labels wider than their controls; and a window test at the window's
// default size in a chosen catalogue.
#pragma once

#include "FlexGrid.h"
#include "ShellFixture.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStringList>
#include <QStyle>

namespace qv::test {

// The cells of a grid whose text does not fit the columns it spans.
inline QStringList CutCells(const ui::FlexGrid& grid) {
    const QFontMetrics metrics(grid.font());
    const int margins =
        2 * (grid.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &grid) + 1);
    QStringList cut;
    for (int r = 0; r < grid.Rows(); ++r)
        for (int c = 0; c < grid.Cols(); ++c) {
            const QString text = grid.TextMatrix(r, c);
            if (text.isEmpty() || grid.isColumnHidden(c)) continue;
            // A merged cell is its merge's first cell, as wide as the columns it spans.
            const QRect rect = grid.visualRect(grid.model()->index(r, c));
            if (rect.left() != grid.columnViewportPosition(c)) continue;
            const int width = rect.width();
            const int needed = metrics.horizontalAdvance(text) + margins;
            if (needed > width)
                cut << QStringLiteral("(%1,%2) \"%3\" %4 > %5")
                           .arg(r)
                           .arg(c)
                           .arg(text)
                           .arg(needed)
                           .arg(width);
        }
    return cut;
}

// The page's title and its shown buttons, check boxes, option buttons and labels whose caption
// is cut.
inline QStringList CutCaptions(const QWidget& page) {
    QStringList cut;
    const auto check = [&](const QWidget* w, const QString& text, int needed) {
        if (!text.isEmpty() && w->isVisibleTo(&page) && needed > w->width())
            cut << QStringLiteral("\"%1\" %2 > %3").arg(text).arg(needed).arg(w->width());
    };
    for (const QAbstractButton* b : page.findChildren<QAbstractButton*>()) {
        const QFontMetrics metrics(b->font());
        if (qobject_cast<const QPushButton*>(b)) {
            const int margin = b->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, b);
            check(b, b->text(), metrics.horizontalAdvance(b->text()) + 2 * margin);
        } else if (qobject_cast<const QCheckBox*>(b) || qobject_cast<const QRadioButton*>(b)) {
            check(b, b->text(), b->sizeHint().width());
        }
    }
    if (const auto* frame = qobject_cast<const QGroupBox*>(&page))
        check(frame, frame->title(),
              QFontMetrics(frame->font()).horizontalAdvance(frame->title()) + 16);
    for (const QLabel* l : page.findChildren<QLabel*>())
        if (l->parentWidget() == &page)
            check(l, l->text(), QFontMetrics(l->font()).horizontalAdvance(l->text()));
    return cut;
}

class TextFit : public ShellTest {
  protected:
    // The window as a first start opens it, in the given catalogue.
    std::unique_ptr<frmMain> Start(CatalogueLanguage language) {
        SetCatalogueLanguage(language);
        auto main = StartMain();
        main->show();
        main->Form_Resize();
        QCoreApplication::processEvents();
        return main;
    }
    static const char* Name(CatalogueLanguage language) {
        return language == CatalogueLanguage::Japanese ? "Japanese" : "English";
    }
};

}  // namespace qv::test

// Cut texts and overlapping controls of a laid-out window, measured as Qt's style draws them.
#include "TextFit.h"

#include "FlexGrid.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QFontMetricsF>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionGroupBox>
#include <QStyleOptionViewItem>
#include <algorithm>
#include <cmath>

namespace qv::test {

namespace {

// Runs `f(row, col, text, width)` for every shown cell with a text, a merge once at its first
// column with the width of the columns it spans (hidden ones counting nothing).
template <class F>
void ForEachShownText(const ui::FlexGrid& g, F f) {
    for (int r = 0; r < g.Rows(); ++r)
        for (int c = 0, span = 1; c < g.Cols(); c += span) {
            span = std::clamp(g.columnSpan(r, c), 1, g.Cols() - c);
            int width = 0;
            for (int k = c; k < c + span; ++k)
                if (!g.isColumnHidden(k)) width += g.columnWidth(k);
            const QString text = g.TextMatrix(r, c);
            if (!text.isEmpty() && width > 0) f(r, c, text, width);
        }
}

// The room the view leaves a cell's text: the cell less the grid line, its check box and the
// text margin on either side, as the style lays out an item.
double TextRoom(const ui::FlexGrid& g, int row, int col, int width) {
    const int line = g.showGrid() ? 1 : 0;
    QStyleOptionViewItem option;
    option.initFrom(&g);
    option.rect = QRect(0, 0, width - line, g.rowHeight(row) - line);
    option.font = g.font();
    option.fontMetrics = QFontMetrics(g.font());
    option.text = g.TextMatrix(row, col);
    option.features = QStyleOptionViewItem::HasDisplay;
    if (const QTableWidgetItem* cell = g.item(row, col);
        cell && cell->data(Qt::CheckStateRole).isValid())
        option.features |= QStyleOptionViewItem::HasCheckIndicator;
    const QRect text = g.style()->subElementRect(QStyle::SE_ItemViewItemText, &option, &g);
    const int margin = g.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &g) + 1;
    return text.width() - 2 * margin;
}

QString Quoted(const QString& text) {
    return u'\'' + QString(text).replace(u'\n', u' ') + u'\'';
}

}  // namespace

QStringList CutCells(const ui::FlexGrid& g) {
    const QFontMetricsF metrics(g.font());
    QStringList cut;
    ForEachShownText(g, [&](int r, int c, const QString& text, int width) {
        const double needs = metrics.horizontalAdvance(text);
        const double room = TextRoom(g, r, c, width);
        if (needs > room)
            cut << QStringLiteral("%1,%2 %3 needs %4 of %5")
                       .arg(r)
                       .arg(c)
                       .arg(Quoted(text))
                       .arg(needs)
                       .arg(room);
    });
    return cut;
}

QStringList CellsOutOfView(const ui::FlexGrid& g) {
    QStringList out;
    const int shown = g.viewport()->width();
    ForEachShownText(g, [&](int r, int c, const QString& text, int width) {
        const int right = g.columnViewportPosition(c) + width;
        if (right > shown)
            out << QStringLiteral("%1,%2 %3 ends at %4 of %5")
                       .arg(r)
                       .arg(c)
                       .arg(Quoted(text))
                       .arg(right)
                       .arg(shown);
    });
    return out;
}

QStringList CutCaptions(const QWidget& root) {
    QStringList cut;
    QList<const QWidget*> tree{&root};
    for (const QWidget* w : root.findChildren<QWidget*>())
        if (w->isVisibleTo(&root)) tree << w;
    const auto report = [&](const QWidget* w, const QString& needs, const QString& has) {
        cut << Describe(w) + " needs " + needs + " of " + has;
    };
    for (const QWidget* w : tree) {
        // A control reaching out of its parent is cut there.
        if (w != &root && !w->isWindow() && !InkRect(w).isEmpty() &&
            !w->parentWidget()->rect().contains(InkRect(w)))
            cut << Describe(w) + " reaches out of " + Describe(w->parentWidget());
        if (const auto* b = qobject_cast<const QPushButton*>(w); b && !b->text().isEmpty()) {
            // The text's lines, with the button's margin on either side clear of the frame.
            const QSizeF text = QFontMetricsF(b->font()).size(Qt::TextShowMnemonic, b->text());
            const int margin = b->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, b);
            const int frame = b->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, b);
            const int width = static_cast<int>(std::ceil(text.width())) + 2 * margin;
            if (width >= b->width())
                report(b, QString::number(width) + " + 1", QString::number(b->width()));
            if (b->text().contains(u'\n') && text.height() > b->height() - 2 * frame)
                report(b, QString::number(text.height()) + " high",
                       QString::number(b->height() - 2 * frame));
        } else if ((qobject_cast<const QCheckBox*>(w) || qobject_cast<const QRadioButton*>(w)) &&
                   !static_cast<const QAbstractButton*>(w)->text().isEmpty()) {
            if (w->sizeHint().width() > w->width())
                report(w, QString::number(w->sizeHint().width()), QString::number(w->width()));
        } else if (const auto* l = qobject_cast<const QLabel*>(w);
                   l && !l->text().isEmpty() && l->pixmap().isNull()) {
            const QRect room = l->contentsRect();
            const int flags =
                static_cast<int>(l->alignment()) | (l->wordWrap() ? Qt::TextWordWrap : 0);
            const QRectF text = QFontMetricsF(l->font()).boundingRect(room, flags, l->text());
            if (text.left() < room.left() || text.right() > room.right() + 1)
                report(l, QString::number(text.width()), QString::number(room.width()));
            // A second line that the label has no height for.
            if (text.height() > 1.5 * QFontMetricsF(l->font()).height() &&
                text.height() > room.height())
                report(l, QString::number(text.height()) + " high", QString::number(room.height()));
        }
        if (const auto* g = qobject_cast<const QGroupBox*>(w); g && !g->title().isEmpty()) {
            // The title, clear of the frame's corners by 8 pixels on either side.
            const int width = static_cast<int>(std::ceil(
                                  QFontMetricsF(g->font()).horizontalAdvance(g->title()))) +
                              16;
            if (width > g->width()) report(g, QString::number(width), QString::number(g->width()));
        }
    }
    return cut;
}

QStringList CutTexts(const QWidget& root) {
    QStringList cut = CutCaptions(root);
    QList<const ui::FlexGrid*> grids;
    if (const auto* g = dynamic_cast<const ui::FlexGrid*>(&root)) grids << g;
    for (const QWidget* w : root.findChildren<QWidget*>())
        if (const auto* g = dynamic_cast<const ui::FlexGrid*>(w); g && g->isVisibleTo(&root))
            grids << g;
    for (const ui::FlexGrid* g : grids)
        for (const QString& cell : CutCells(*g))
            cut << "grid " + g->objectName() + " " + cell;
    return cut;
}

QRect InkRect(const QWidget* w) {
    const QRect g = w->geometry();
    if (const auto* label = qobject_cast<const QLabel*>(w);
        label && label->pixmap().isNull() && !label->text().isEmpty()) {
        const int flags =
            static_cast<int>(label->alignment()) | (label->wordWrap() ? Qt::TextWordWrap : 0);
        const QRect text =
            label->fontMetrics().boundingRect(label->contentsRect(), flags, label->text());
        return text.intersected(label->rect()).translated(g.topLeft());
    }
    if (qobject_cast<const QCheckBox*>(w) || qobject_cast<const QRadioButton*>(w))
        return QRect(g.topLeft(), QSize(std::min(w->sizeHint().width(), g.width()), g.height()));
    return g;
}

QString Describe(const QWidget* w) {
    QString text;
    if (const auto* b = qobject_cast<const QAbstractButton*>(w)) text = b->text();
    if (const auto* l = qobject_cast<const QLabel*>(w)) text = l->text();
    if (const auto* g = qobject_cast<const QGroupBox*>(w)) text = g->title();
    return QString::fromLatin1(w->metaObject()->className()) + ' ' + Quoted(text);
}

QRect CaptionArea(const QGroupBox& frame) {
    if (frame.title().isEmpty()) return QRect();
    QStyleOptionGroupBox option;
    option.initFrom(&frame);
    option.text = frame.title();
    option.textAlignment = frame.alignment();
    option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
    const QRect label = frame.style()->subControlRect(QStyle::CC_GroupBox, &option,
                                                      QStyle::SC_GroupBoxLabel, &frame);
    const int bottom = std::max(label.bottom() + 1, frame.contentsRect().top());
    return QRect(0, 0, frame.width(), bottom);
}

QStringList Overlaps(const QWidget* container) {
    QStringList found;
    QList<const QWidget*> shown;
    for (const QObject* o : container->children()) {
        const auto* w = qobject_cast<const QWidget*>(o);
        if (!w || w->isWindow() || w->isHidden()) continue;
        if (InkRect(w).isEmpty()) continue;
        shown << w;
    }
    for (qsizetype i = 0; i < shown.size(); ++i)
        for (qsizetype j = i + 1; j < shown.size(); ++j)
            if (InkRect(shown[i]).intersects(InkRect(shown[j])))
                found << Describe(shown[i]) + " x " + Describe(shown[j]);
    if (const auto* g = qobject_cast<const QGroupBox*>(container)) {
        const QRect caption = CaptionArea(*g);
        for (const QWidget* w : shown)
            if (InkRect(w).intersects(caption))
                found << Describe(w) + " x caption of " + Describe(g);
    }
    for (const QWidget* w : shown)
        if (qobject_cast<const QGroupBox*>(w)) found << Overlaps(w);
    return found;
}

}  // namespace qv::test

// Checks of a laid-out window that a user would see as faults: controls drawn over each other,
// and captions too wide for their control.
#pragma once

#include <QAbstractButton>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStringList>
#include <QStyle>
#include <QStyleOptionGroupBox>
#include <QWidget>

namespace qv::test {

// What a user sees of a control, in its parent's coordinates: a label's text, a check box's
// or option button's box and text, the whole of any other control.
inline QRect InkRect(const QWidget* w) {
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

inline QString Describe(const QWidget* w) {
    QString text;
    if (const auto* b = qobject_cast<const QAbstractButton*>(w)) text = b->text();
    if (const auto* l = qobject_cast<const QLabel*>(w)) text = l->text();
    if (const auto* g = qobject_cast<const QGroupBox*>(w)) text = g->title();
    return QString::fromLatin1(w->metaObject()->className()) + " '" + text.replace(u'\n', u' ') +
           "'";
}

// Every pair of shown sibling controls whose visible parts cross, looking into the window's
// frames (group boxes) but not into the inner parts of grids, lists or the graph.
inline QStringList Overlaps(const QWidget* container) {
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
    for (const QWidget* w : shown)
        if (qobject_cast<const QGroupBox*>(w)) found << Overlaps(w);
    return found;
}

}  // namespace qv::test

// A page's keyboard focus.
#include "PageFrame.h"

#include <QPointer>
#include <QScopeGuard>

namespace qv::ui {

bool CanTakeFocus(const QWidget& page, const QWidget* control) {
    return control && page.isAncestorOf(control) && control->isVisibleTo(&page) &&
           control->isEnabled() && (control->focusPolicy() & Qt::TabFocus);
}

void PageFrame::TakeFocus() {
    QWidget* target = MainControl();
    if (!CanTakeFocus(*this, target)) {
        target = nullptr;
        for (QWidget* w = nextInFocusChain(); w && w != this; w = w->nextInFocusChain())
            if (CanTakeFocus(*this, w)) {
                target = w;
                break;
            }
    }
    if (target) target->setFocus(Qt::OtherFocusReason);
}

void PageFrame::FillHidden(const std::function<void()>& fill) {
    QWidget* focus = window()->focusWidget();
    const QPointer<QWidget> held = focus && isAncestorOf(focus) ? focus : nullptr;
    const auto restore = qScopeGuard([this, held, shown = !isHidden()] {
        setVisible(shown);
        if (!shown || !held) return;
        if (CanTakeFocus(*this, held))
            held->setFocus(Qt::OtherFocusReason);
        else
            TakeFocus();
    });
    setVisible(false);
    fill();
}

}  // namespace qv::ui

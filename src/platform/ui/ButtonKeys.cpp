// The Enter key of a focused push button, as an event filter of the application.
#include "ButtonKeys.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QPushButton>

namespace qv::ui {

namespace {

class EnterFilter : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return false;
        auto* button = qobject_cast<QPushButton*>(watched);
        if (!button) return false;
        const auto* key = static_cast<const QKeyEvent*>(event);
        if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) return false;
        if ((key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) return false;
        // A dialog's buttons click on Enter themselves.
        if (button->autoDefault() || button->isDefault()) return false;
        // Space clicks once however long it is held; so does Enter.
        if (!key->isAutoRepeat() && button->isEnabled()) button->click();
        return true;
    }
};

}  // namespace

void EnterClicksButtons() {
    // Goes with the application; a later application gets its own.
    static QPointer<EnterFilter> installed;
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || installed) return;
    installed = new EnterFilter(app);
    app->installEventFilter(installed);
}

}  // namespace qv::ui

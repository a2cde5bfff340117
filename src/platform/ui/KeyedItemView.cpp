// Keys, images, tags and mouse events of the keyed tree and list.
#include "KeyedItemView.h"

#include "KeyboardMenu.h"
#include "MouseCodes.h"
#include "Twips.h"

#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>

namespace qv::ui {

namespace {

constexpr int kKeyRole = Qt::UserRole + 1;
constexpr int kTagRole = Qt::UserRole + 2;

}  // namespace

KeyedItemView::KeyedItemView(QWidget* parent) : QTreeWidget(parent) {
    connect(this, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item, int) {
        if (ItemClick && item) ItemClick(KeyOf(item));
    });
}

QString KeyedItemView::KeyOf(const QTreeWidgetItem* item) {
    return item ? item->data(0, kKeyRole).toString() : QString();
}

QString KeyedItemView::Text(const QString& key) const {
    const QTreeWidgetItem* item = Item(key);
    return item ? item->text(0) : QString();
}

void KeyedItemView::SetText(const QString& key, const QString& text) {
    if (QTreeWidgetItem* item = Item(key)) item->setText(0, text);
}

QVariant KeyedItemView::Tag(const QString& key) const {
    const QTreeWidgetItem* item = Item(key);
    return item ? item->data(0, kTagRole) : QVariant();
}

void KeyedItemView::SetTag(const QString& key, const QVariant& tag) {
    if (QTreeWidgetItem* item = Item(key)) item->setData(0, kTagRole, tag);
}

void KeyedItemView::ClearItems() {
    items_.clear();
    clear();
}

QString KeyedItemView::SelectedKey() const {
    const QList<QTreeWidgetItem*> selected = selectedItems();
    return selected.isEmpty() ? QString() : KeyOf(selected.front());
}

void KeyedItemView::SetSelectedKey(const QString& key) {
    QTreeWidgetItem* item = Item(key);
    if (!item) {
        clearSelection();
        return;
    }
    // Current as well, so that the keyboard walks on from the row shown selected; the view is
    // not scrolled to it.
    const bool scroll = hasAutoScroll();
    setAutoScroll(false);
    selectionModel()->setCurrentIndex(
        indexFromItem(item), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    setAutoScroll(scroll);
}

QString KeyedItemView::HitTest(double x, double y) const {
    const QPoint at = QPoint(ToPixelsX(x), ToPixelsY(y)) - viewport()->geometry().topLeft();
    return KeyOf(itemAt(at));
}

QAction* KeyedItemView::PopupMenu(QMenu& menu) {
    return ui::PopupMenu(menu);
}

void KeyedItemView::Refresh() {
    viewport()->update();
}

bool KeyedItemView::Register(QTreeWidgetItem* item, const QString& key) {
    if (Contains(key)) return false;
    item->setData(0, kKeyRole, key);
    items_.insert(Fold(key), item);
    return true;
}

void KeyedItemView::Unregister(const QString& key) {
    items_.remove(Fold(key));
}

void KeyedItemView::mousePressEvent(QMouseEvent* event) {
    // A right press opens a menu on the item under it: the item is selected and clicked first,
    // so that the menu names what the user sees selected.
    if (event->button() == Qt::RightButton) SelectForMenu(itemAt(event->position().toPoint()));
    if (MouseDown) {
        const QPointF at = TwipsAt(*this, *event);
        MouseDown(ButtonsOf(event->button()), ShiftOf(event->modifiers()), at.x(), at.y());
    }
    // No drag or selection by the right button beyond that.
    if (event->button() != Qt::RightButton) QTreeWidget::mousePressEvent(event);
}

void KeyedItemView::SelectForMenu(QTreeWidgetItem* item) {
    if (!item) return;
    const bool alone = item->isSelected() && selectedItems().size() == 1;
    // The current item the keys ask for may stand unselected, as the Ctrl key leaves it.
    if (!alone)
        setCurrentItem(item, 0, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    else if (currentItem() != item)
        setCurrentItem(item, 0, QItemSelectionModel::NoUpdate);
    if (!alone && ItemClick) ItemClick(KeyOf(item));
}

void KeyedItemView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::RightButton) QTreeWidget::mouseReleaseEvent(event);
}

void KeyedItemView::mouseDoubleClickEvent(QMouseEvent* event) {
    QTreeWidget::mouseDoubleClickEvent(event);
    if (DblClick) DblClick();
}

void KeyedItemView::keyPressEvent(QKeyEvent* event) {
    if (AsksForMenu(*event)) {
        SendMenuRequest(*this, *event);
        return;
    }
    const QTreeWidgetItem* before = currentItem();
    QTreeWidget::keyPressEvent(event);
    if (ItemClick && currentItem() && currentItem() != before) ItemClick(KeyOf(currentItem()));
}

void KeyedItemView::contextMenuEvent(QContextMenuEvent* event) {
    // A right press opens the menu itself; the mouse's own request adds nothing.
    if (event->reason() == QContextMenuEvent::Mouse) {
        event->ignore();
        return;
    }
    QTreeWidgetItem* item = currentItem();
    if (!item) {
        event->ignore();
        return;
    }
    // A right press on the middle of the item's text cell, brought into view.
    SelectForMenu(item);
    scrollToItem(item);
    const QPoint at = visualRect(indexFromItem(item, 0)).center();
    const MenuPlaceScope place(viewport()->mapToGlobal(at));
    if (MouseDown) {
        const QPointF twips = TwipsAt(*this, QPointF(at));
        MouseDown(RightButton, ShiftOf(event->modifiers()), twips.x(), twips.y());
    }
    event->accept();
}

}  // namespace qv::ui

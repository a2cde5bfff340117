// The keyed report list on QTreeWidget.
#include "KeyedList.h"

#include "Twips.h"

#include <QHeaderView>

namespace qv::ui {

namespace {

// Sorts on the text of the sort column without regard to case.
class ListItem : public QTreeWidgetItem {
  public:
    using QTreeWidgetItem::QTreeWidgetItem;
    bool operator<(const QTreeWidgetItem& other) const override {
        const int column = treeWidget() ? treeWidget()->sortColumn() : 0;
        return text(column).compare(other.text(column), Qt::CaseInsensitive) < 0;
    }
};

}  // namespace

KeyedList::KeyedList(QWidget* parent) : KeyedItemView(parent) {
    // No column until one is added: the view's own first column would show the heading "1".
    setColumnCount(0);
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    header()->setSectionsClickable(true);
    header()->setStretchLastSection(false);  // the columns keep the widths given
    connect(header(), &QHeaderView::sectionClicked, this, [this](int column) {
        if (ColumnClick) ColumnClick(column);
    });
}

void KeyedList::ClearColumns() {
    columnKeys_.clear();
    setColumnCount(0);
}

void KeyedList::AddColumn(const QString& key, const QString& text, double widthTwips) {
    columnKeys_ << key;
    const int index = ColumnCount() - 1;
    setColumnCount(ColumnCount());
    headerItem()->setText(index, text);
    header()->resizeSection(index, std::max(0, ToPixelsX(widthTwips)));
}

QString KeyedList::ColumnText(int index) const {
    return index >= 0 && index < ColumnCount() ? headerItem()->text(index) : QString();
}

void KeyedList::SetColumnText(int index, const QString& text) {
    if (index >= 0 && index < ColumnCount()) headerItem()->setText(index, text);
}

QTreeWidgetItem* KeyedList::AddItem(const QString& key, const QString& text, const QString& icon,
                                    const QString& smallIcon, const QStringList& subItems) {
    if (Contains(key)) return nullptr;
    auto* item = new ListItem(QStringList{text} + subItems.mid(0, std::max(0, ColumnCount() - 1)));
    item->setIcon(0, Image(smallIcon.isEmpty() ? icon : smallIcon));
    Register(item, key);
    addTopLevelItem(item);
    if (sorted_) Sort();
    return item;
}

QString KeyedList::SubItem(const QString& key, int index) const {
    const QTreeWidgetItem* item = Item(key);
    return item ? item->text(index) : QString();
}

void KeyedList::SetSubItem(const QString& key, int index, const QString& text) {
    if (QTreeWidgetItem* item = Item(key); item && index >= 1 && index < ColumnCount())
        item->setText(index, text);
}

void KeyedList::ClearItems() {
    dropHighlight_.clear();
    KeyedItemView::ClearItems();
}

QString KeyedList::RemoveItem(const QString& key) {
    QTreeWidgetItem* item = Item(key);
    if (!item) return {};
    const bool wasSelected = item->isSelected();
    const int row = indexOfTopLevelItem(item);
    const QString selected = SelectedKey();
    if (dropHighlight_.compare(key, Qt::CaseInsensitive) == 0) dropHighlight_.clear();
    Unregister(key);
    delete item;
    // The view moves its current row, and with it the selection, on its own terms; the list
    // decides which row is selected, so that no row stays highlighted that nobody shows.
    if (!wasSelected) {
        SetSelectedKey(selected);
        return {};
    }
    QTreeWidgetItem* next = topLevelItem(std::min(row, Count() - 1));
    setCurrentItem(next);
    if (!next) clearSelection();
    return KeyOf(next);
}

QStringList KeyedList::Keys() const {
    QStringList keys;
    for (int i = 0; i < topLevelItemCount(); ++i)
        keys << KeyOf(topLevelItem(i));
    return keys;
}

void KeyedList::SetSorted(bool sorted) {
    sorted_ = sorted;
    header()->setSortIndicatorShown(sorted);
    if (sorted) Sort();
}

void KeyedList::SetSortKey(int column) {
    sortKey_ = std::max(0, column);
    if (sorted_) Sort();
}

void KeyedList::SetSortOrder(int order) {
    sortOrder_ = order == 1 ? 1 : 0;
    if (sorted_) Sort();
}

void KeyedList::Sort() {
    const Qt::SortOrder order = sortOrder_ == 1 ? Qt::DescendingOrder : Qt::AscendingOrder;
    header()->setSortIndicator(sortKey_, order);  // the items compare on this column
    sortItems(sortKey_, order);
}

void KeyedList::SetDropHighlight(const QString& key) {
    if (QTreeWidgetItem* old = Item(dropHighlight_))
        for (int c = 0; c < columnCount(); ++c)
            old->setBackground(c, QBrush());
    dropHighlight_.clear();
    QTreeWidgetItem* item = Item(key);
    if (!item) return;
    dropHighlight_ = key;
    QColor mark = palette().highlight().color();
    mark.setAlpha(60);
    for (int c = 0; c < columnCount(); ++c)
        item->setBackground(c, mark);
}

}  // namespace qv::ui

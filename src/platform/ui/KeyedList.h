// A report list of keyed items: columns with a key, a heading and a width in twips; items with
// a key, a text, a picture and sub-item texts; sorting on one column, either way, without
// regard to case; and a drop-highlight item.
#pragma once

#include "KeyedItemView.h"

#include <QStringList>

namespace qv::ui {

class KeyedList : public KeyedItemView {
  public:
    explicit KeyedList(QWidget* parent = nullptr);

    // ---- Columns ----
    void ClearColumns();
    void AddColumn(const QString& key, const QString& text, double widthTwips);
    int ColumnCount() const { return static_cast<int>(columnKeys_.size()); }
    QString ColumnText(int index) const;
    void SetColumnText(int index, const QString& text);

    // ---- Items ----
    // Adds an item at the end (in sort order while the list is sorted), with the sub-item texts
    // of columns 1, 2 ...; nullptr when the key is in use. `icon` is the picture of the
    // large-icon views, `smallIcon` the one shown here.
    QTreeWidgetItem* AddItem(const QString& key, const QString& text, const QString& icon,
                             const QString& smallIcon, const QStringList& subItems = {});
    // Sub-item texts by column index from 1.
    QString SubItem(const QString& key, int index) const;
    void SetSubItem(const QString& key, int index, const QString& text);
    // Removes an item. When it was the selected one, the item after it (the one before it at
    // the end) becomes selected and current in its place, and its key is returned, so that the
    // caller shows what the list highlights; "" when nothing took its place.
    QString RemoveItem(const QString& key);
    void ClearItems() override;
    int Count() const { return topLevelItemCount(); }
    // The keys in the order shown.
    QStringList Keys() const;

    // ---- Sorting: SortOrder 0 ascending, 1 descending ----
    bool Sorted() const { return sorted_; }
    void SetSorted(bool sorted);
    int SortKey() const { return sortKey_; }
    void SetSortKey(int column);
    int SortOrder() const { return sortOrder_; }
    void SetSortOrder(int order);

    // The item marked as the target of the last action ("" for none).
    QString DropHighlight() const { return dropHighlight_; }
    void SetDropHighlight(const QString& key);

    // A click on a column heading.
    std::function<void(int column)> ColumnClick;

  private:
    void Sort();

    QStringList columnKeys_;
    bool sorted_ = false;
    int sortKey_ = 0;
    int sortOrder_ = 0;
    QString dropHighlight_;
};

}  // namespace qv::ui

// What the keyed tree and the keyed list share: items found by a text key (compared without
// regard to case), pictures taken by name from an image list, a tag per item, and the
// control's mouse and click events with the button, the shift keys and twips, as the stored-data
// page handles them. A right press on an item selects and clicks it before its mouse event; the
// Menu key and Shift+F10 are a right press on the current item, and the menu opens at it.
#pragma once

#include <QHash>
#include <QIcon>
#include <QString>
#include <QTreeWidget>
#include <QVariant>
#include <functional>

class QMenu;
class QAction;

namespace qv::ui {

class KeyedItemView : public QTreeWidget {
  public:
    explicit KeyedItemView(QWidget* parent = nullptr);
    ~KeyedItemView() override = default;

    // The image list: pictures by name.
    void SetImage(const QString& name, const QIcon& icon) { images_.insert(name, icon); }
    QIcon Image(const QString& name) const { return images_.value(name); }

    bool Contains(const QString& key) const { return items_.contains(Fold(key)); }
    // The item under a key, nullptr when there is none.
    QTreeWidgetItem* Item(const QString& key) const { return items_.value(Fold(key)); }
    // The key of an item ("" for nullptr).
    static QString KeyOf(const QTreeWidgetItem* item);
    QString Text(const QString& key) const;
    void SetText(const QString& key, const QString& text);
    QVariant Tag(const QString& key) const;
    void SetTag(const QString& key, const QVariant& tag);
    // Removes every item.
    virtual void ClearItems();

    // The selected item's key, "" when none.
    QString SelectedKey() const;
    // Selects the item and makes it current, without an ItemClick; "" clears the selection.
    void SetSelectedKey(const QString& key);
    // The key of the item at a point (twips from the control's top-left), "" for none.
    QString HitTest(double x, double y) const;
    // Shows a pop-up menu through the dialogs service, at the mouse or at the item the keyboard
    // asked it for; the entry chosen or nullptr.
    static QAction* PopupMenu(QMenu& menu);
    // Repaints the control.
    void Refresh();

    // A left click on an item, a right press on one not selected, or the keyboard moving to one.
    std::function<void(const QString& key)> ItemClick;
    // Any mouse press, in twips from the control's top-left (codes of MouseCodes.h).
    std::function<void(int Button, int Shift, double X, double Y)> MouseDown;
    // A double click anywhere on the control.
    std::function<void()> DblClick;

  protected:
    // Gives an item its key; false (and nothing registered) when the key is in use.
    bool Register(QTreeWidgetItem* item, const QString& key);
    void Unregister(const QString& key);

    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    // Makes the item current and selected; clicks it when it was not the one selected.
    void SelectForMenu(QTreeWidgetItem* item);
    static QString Fold(const QString& key) { return key.toCaseFolded(); }

    QHash<QString, QIcon> images_;
    QHash<QString, QTreeWidgetItem*> items_;
};

}  // namespace qv::ui

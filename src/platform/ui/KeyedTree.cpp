// The keyed tree on QTreeWidget.
#include "KeyedTree.h"

namespace qv::ui {

namespace {
constexpr int kIconSize = 16;
}

KeyedTree::KeyedTree(QWidget* parent) : KeyedItemView(parent) {
    setHeaderHidden(true);
    setColumnCount(1);
    setUniformRowHeights(true);
}

QTreeWidgetItem* KeyedTree::AddNode(const QString& parentKey, const QString& key,
                                    const QString& text, const QString& image,
                                    const QString& selectedImage) {
    QTreeWidgetItem* parent = parentKey.isEmpty() ? nullptr : Item(parentKey);
    if ((!parentKey.isEmpty() && !parent) || Contains(key)) return nullptr;
    auto* node = new QTreeWidgetItem(QStringList{text});
    node->setIcon(0, NodeIcon(image, selectedImage));
    Register(node, key);
    if (parent)
        parent->addChild(node);
    else
        addTopLevelItem(node);
    return node;
}

QString KeyedTree::ParentKey(const QString& key) const {
    const QTreeWidgetItem* node = Item(key);
    return node ? KeyOf(node->parent()) : QString();
}

QStringList KeyedTree::ChildKeys(const QString& key) const {
    QStringList keys;
    if (const QTreeWidgetItem* node = Item(key))
        for (int i = 0; i < node->childCount(); ++i)
            keys << KeyOf(node->child(i));
    return keys;
}

QString KeyedTree::RootKey() const {
    return topLevelItemCount() > 0 ? KeyOf(topLevelItem(0)) : QString();
}

bool KeyedTree::Expanded(const QString& key) const {
    const QTreeWidgetItem* node = Item(key);
    return node && node->isExpanded();
}

void KeyedTree::SetExpanded(const QString& key, bool expanded) {
    if (QTreeWidgetItem* node = Item(key)) node->setExpanded(expanded);
}

QIcon KeyedTree::NodeIcon(const QString& image, const QString& selectedImage) {
    const QString name = image + u'|' + selectedImage;
    auto found = icons_.constFind(name);
    if (found != icons_.constEnd()) return *found;
    QIcon icon;
    icon.addPixmap(Image(image).pixmap(kIconSize), QIcon::Normal);
    icon.addPixmap(Image(selectedImage).pixmap(kIconSize), QIcon::Selected);
    icons_.insert(name, icon);
    return icon;
}

}  // namespace qv::ui

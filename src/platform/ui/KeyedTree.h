// A tree of keyed nodes: each node has a text key, a text, a picture and a picture shown while
// it is selected, and is added as the last child of the node under another key.
#pragma once

#include "KeyedItemView.h"

#include <QStringList>

namespace qv::ui {

class KeyedTree : public KeyedItemView {
  public:
    explicit KeyedTree(QWidget* parent = nullptr);

    // Adds a node as the last child of the node under parentKey ("" adds a top-level node),
    // with the images of those names. nullptr when the key is in use or the parent missing.
    QTreeWidgetItem* AddNode(const QString& parentKey, const QString& key, const QString& text,
                             const QString& image, const QString& selectedImage);
    // The key of a node's parent ("" for a top-level node or a missing key).
    QString ParentKey(const QString& key) const;
    // The keys of a node's children, first to last.
    QStringList ChildKeys(const QString& key) const;
    // The first top-level node's key ("" for an empty tree).
    QString RootKey() const;
    bool Expanded(const QString& key) const;
    void SetExpanded(const QString& key, bool expanded);

  private:
    QIcon NodeIcon(const QString& image, const QString& selectedImage);
    QHash<QString, QIcon> icons_;  // by "image|selected image"
};

}  // namespace qv::ui

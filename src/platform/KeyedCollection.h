// A keyed collection: items in insertion order, positions counted from 1, keys
// compared without regard to case. Items are shared pointers, so a looked-up item stays valid
// while a caller holds it.
#pragma once

#include "AppError.h"

#include <QString>
#include <memory>
#include <vector>

namespace qv {

template <class T>
class KeyedCollection {
  public:
    using Ptr = std::shared_ptr<T>;
    struct Entry {
        QString key;
        Ptr item;
    };

    // Adds under a key (empty: no key). A key that is held already raises error 457.
    void add(Ptr item, const QString& key = QString()) {
        if (!key.isEmpty() && find(key) >= 0)
            throw AppError(ErrKeyExists, QStringLiteral("Key is already associated: ") + key);
        entries_.push_back({key, std::move(item)});
    }
    // The item at a position from 1, or nullptr.
    Ptr item(int position) const {
        if (position < 1 || position > count()) return nullptr;
        return entries_[static_cast<size_t>(position - 1)].item;
    }
    // The item under a key, or nullptr.
    Ptr item(const QString& key) const {
        const int i = find(key);
        return i < 0 ? nullptr : entries_[static_cast<size_t>(i)].item;
    }
    bool contains(const QString& key) const { return find(key) >= 0; }
    // Removes by key; a missing key raises error 5.
    void remove(const QString& key) {
        const int i = find(key);
        if (i < 0) throw AppError(ErrInvalidCall, QStringLiteral("No item under the key ") + key);
        entries_.erase(entries_.begin() + i);
    }
    // Removes by position from 1; out of range raises error 9.
    void remove(int position) {
        if (position < 1 || position > count())
            throw AppError(ErrSubscript, QStringLiteral("Subscript out of range"));
        entries_.erase(entries_.begin() + (position - 1));
    }
    void clear() { entries_.clear(); }
    int count() const { return static_cast<int>(entries_.size()); }

    // Walks the items in order (For Each).
    class const_iterator {
      public:
        explicit const_iterator(typename std::vector<Entry>::const_iterator it) : it_(it) {}
        const Ptr& operator*() const { return it_->item; }
        const_iterator& operator++() {
            ++it_;
            return *this;
        }
        bool operator!=(const const_iterator& o) const { return it_ != o.it_; }

      private:
        typename std::vector<Entry>::const_iterator it_;
    };
    const_iterator begin() const { return const_iterator(entries_.begin()); }
    const_iterator end() const { return const_iterator(entries_.end()); }

  private:
    int find(const QString& key) const {
        if (key.isEmpty()) return -1;
        for (size_t i = 0; i < entries_.size(); ++i)
            if (entries_[i].key.compare(key, Qt::CaseInsensitive) == 0) return static_cast<int>(i);
        return -1;
    }

    std::vector<Entry> entries_;
};

}  // namespace qv

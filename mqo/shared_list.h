#pragma once
// A growable list with value semantics whose storage is shared between copies
// until one of them is changed. Copying a document or an object is therefore
// cheap, and changing a copy never changes the list it was copied from.
// Single-threaded by design, like the rest of the viewer.

#include <cstddef>
#include <memory>
#include <vector>

#include "base/huge_pages.h"

template <class T>
class SharedList {
  // A large list is filled right away by the reader: huge pages make that
  // much cheaper (see huge_pages.h).
  using Items = std::vector<T, ListAllocator<T>>;

 public:
  int size() const { return items_ ? static_cast<int>(items_->size()) : 0; }
  bool empty() const { return size() == 0; }
  const T& operator[](int i) const { return (*items_)[static_cast<std::size_t>(i)]; }
  const T* begin() const { return items_ ? items_->data() : nullptr; }
  const T* end() const { return items_ ? items_->data() + items_->size() : nullptr; }

  void push_back(const T& value) { Own().push_back(value); }
  // Writable access to element i; the storage is unshared first.
  T& Mutable(int i) { return Own()[static_cast<std::size_t>(i)]; }
  T& back() { return Own().back(); }
  void reserve(std::size_t n) { Own().reserve(n); }
  std::size_t capacity() const { return items_ ? items_->capacity() : 0; }
  void shrink_to_fit() {
    if (items_) Own().shrink_to_fit();
  }
  void clear() { items_.reset(); }
  // True when this list and other use the same storage (for tests and benchmarks).
  bool SharesStorageWith(const SharedList& other) const { return items_ && items_ == other.items_; }

 private:
  Items& Own() {
    if (!items_)
      items_ = std::make_shared<Items>();
    else if (items_.use_count() > 1)
      items_ = std::make_shared<Items>(*items_);
    return *items_;
  }

  std::shared_ptr<Items> items_;
};

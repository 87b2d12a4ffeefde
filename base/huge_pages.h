#pragma once
// Huge pages for large buffers, where the kernel offers them on request only.
// On this kind of machine a fresh 4 KiB page costs microseconds to fault in:
// filling a million-face list through them cost a quarter of a whole load,
// and a 4 MiB texture block 12 ms against 0.4 ms with 2 MiB pages.

#include <cstddef>
#include <new>

// Blocks of kHugeBlockBytes and more, mapped on a huge-page boundary and
// advised; FreeHugeBlock takes the same byte count. Null when mapping fails.
constexpr std::size_t kHugeBlockBytes = std::size_t{2} << 20;
void* AllocateHugeBlock(std::size_t bytes);
void FreeHugeBlock(void* block, std::size_t bytes);

// The same for the lists of a document, which are reserved and then filled
// from start to end, often by far less than a whole huge page at their end:
// only the whole huge pages of the request are advised, the rest stays in
// small pages, so a list takes no more memory than it fills. A freed block
// goes straight back to the system.
void* AllocateListBlock(std::size_t bytes);
void FreeListBlock(void* block, std::size_t bytes);

// Large buffers in blocks of one of the two kinds, small ones from the heap
// as usual. HugePageAllocator is for buffers that are written once from start
// to end, like the texels of a texture; ListAllocator for the document's
// lists.
template <typename T, void* (*Allocate)(std::size_t), void (*Free)(void*, std::size_t)>
struct BlockAllocator {
  using value_type = T;
  template <typename U>
  struct rebind {
    using other = BlockAllocator<U, Allocate, Free>;
  };
  BlockAllocator() = default;
  template <typename U>
  BlockAllocator(const BlockAllocator<U, Allocate, Free>&) {}

  T* allocate(std::size_t n) {
    if (n > static_cast<std::size_t>(-1) / sizeof(T)) throw std::bad_array_new_length();
    const std::size_t bytes = n * sizeof(T);
    if (bytes < kHugeBlockBytes) return static_cast<T*>(::operator new(bytes));
    void* block = Allocate(bytes);
    if (!block) throw std::bad_alloc();
    return static_cast<T*>(block);
  }
  void deallocate(T* p, std::size_t n) {
    if (n * sizeof(T) < kHugeBlockBytes)
      ::operator delete(p);
    else
      Free(p, n * sizeof(T));
  }
  template <typename U>
  bool operator==(const BlockAllocator<U, Allocate, Free>&) const { return true; }
};

template <typename T>
using HugePageAllocator = BlockAllocator<T, AllocateHugeBlock, FreeHugeBlock>;
template <typename T>
using ListAllocator = BlockAllocator<T, AllocateListBlock, FreeListBlock>;

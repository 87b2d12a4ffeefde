#pragma once
// Huge pages for large buffers, where the kernel offers them on request only.
// On this kind of machine a fresh 4 KiB page costs microseconds to fault in:
// filling a million-face list through them cost a quarter of a whole load,
// and a 4 MiB texture block 12 ms against 0.4 ms with 2 MiB pages.

#include <cstddef>
#include <new>

// Advises the whole huge pages inside [data, data + bytes). Only advice:
// nothing changes when the kernel declines.
void AdviseHugePages(void* data, std::size_t bytes);

// Blocks of kHugeBlockBytes and more, mapped on a huge-page boundary and
// advised; FreeHugeBlock takes the same byte count. Null when mapping fails.
constexpr std::size_t kHugeBlockBytes = std::size_t{2} << 20;
void* AllocateHugeBlock(std::size_t bytes);
void FreeHugeBlock(void* block, std::size_t bytes);

// For buffers that are written once from start to end, like the texels of a
// texture: large ones get their own huge-page block, small ones come from
// the heap as usual.
template <typename T>
struct HugePageAllocator {
  using value_type = T;
  HugePageAllocator() = default;
  template <typename U>
  HugePageAllocator(const HugePageAllocator<U>&) {}

  T* allocate(std::size_t n) {
    if (n > static_cast<std::size_t>(-1) / sizeof(T)) throw std::bad_array_new_length();
    const std::size_t bytes = n * sizeof(T);
    if (bytes < kHugeBlockBytes) return static_cast<T*>(::operator new(bytes));
    void* block = AllocateHugeBlock(bytes);
    if (!block) throw std::bad_alloc();
    return static_cast<T*>(block);
  }
  void deallocate(T* p, std::size_t n) {
    if (n * sizeof(T) < kHugeBlockBytes)
      ::operator delete(p);
    else
      FreeHugeBlock(p, n * sizeof(T));
  }
  template <typename U>
  bool operator==(const HugePageAllocator<U>&) const { return true; }
};

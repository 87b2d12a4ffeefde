#include "base/huge_pages.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <mutex>

namespace {

constexpr std::uintptr_t kHugePage = std::uintptr_t{2} << 20;

std::size_t RoundUpToHugePage(std::size_t bytes) { return (bytes + kHugePage - 1) & ~(kHugePage - 1); }

// A few freed blocks are kept for the next request of the same length: the
// texels of one texture are freed just before the next texture's picture is
// decoded, and a kept block needs no fault at all.
struct KeptBlocks {
  static constexpr int kMaxKept = 4;
  static constexpr std::size_t kMaxKeptBytes = std::size_t{64} << 20;
  std::mutex lock;
  void* data[kMaxKept] = {};
  std::size_t length[kMaxKept] = {};
  int count = 0;
  std::size_t bytes = 0;

  void* Take(std::size_t wanted) {
    std::lock_guard<std::mutex> guard(lock);
    for (int i = 0; i < count; ++i) {
      if (length[i] != wanted) continue;
      void* block = data[i];
      bytes -= length[i];
      --count;
      data[i] = data[count];
      length[i] = length[count];
      return block;
    }
    return nullptr;
  }
  bool Keep(void* block, std::size_t blockLength) {
    std::lock_guard<std::mutex> guard(lock);
    if (count == kMaxKept || bytes + blockLength > kMaxKeptBytes) return false;
    data[count] = block;
    length[count] = blockLength;
    ++count;
    bytes += blockLength;
    return true;
  }
};

KeptBlocks& Kept() {
  static KeptBlocks kept;
  return kept;
}

// length bytes mapped on a huge-page boundary, length a multiple of the page
// size; advised huge from the start for advised bytes. Null on failure.
void* MapAligned(std::size_t length, std::size_t advised) {
  // Map one huge page more than needed and give back the ends that stick out
  // of the aligned part.
  void* mapped = mmap(nullptr, length + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapped == MAP_FAILED) return nullptr;
  const std::uintptr_t start = reinterpret_cast<std::uintptr_t>(mapped);
  const std::uintptr_t aligned = (start + kHugePage - 1) & ~(kHugePage - 1);
  if (aligned > start) munmap(mapped, aligned - start);
  const std::uintptr_t tail = aligned + length;
  const std::uintptr_t mappedEnd = start + length + kHugePage;
  if (mappedEnd > tail) munmap(reinterpret_cast<void*>(tail), mappedEnd - tail);
#ifdef MADV_HUGEPAGE
  if (advised > 0) madvise(reinterpret_cast<void*>(aligned), advised, MADV_HUGEPAGE);
#endif
  return reinterpret_cast<void*>(aligned);
}

std::size_t RoundUpToPage(std::size_t bytes) {
  static const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
  return (bytes + page - 1) / page * page;
}

}  // namespace

void* AllocateHugeBlock(std::size_t bytes) {
  const std::size_t length = RoundUpToHugePage(bytes);
  if (length < bytes) return nullptr;
  if (void* kept = Kept().Take(length)) return kept;
  return MapAligned(length, length);
}

void FreeHugeBlock(void* block, std::size_t bytes) {
  if (!block) return;
  const std::size_t length = RoundUpToHugePage(bytes);
  if (!Kept().Keep(block, length)) munmap(block, length);
}

void* AllocateListBlock(std::size_t bytes) {
  const std::size_t length = RoundUpToPage(bytes);
  if (length < bytes) return nullptr;
  return MapAligned(length, bytes & ~(kHugePage - 1));
}

void FreeListBlock(void* block, std::size_t bytes) {
  if (block) munmap(block, RoundUpToPage(bytes));
}

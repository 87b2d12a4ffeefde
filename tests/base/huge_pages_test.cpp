#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "base/huge_pages.h"

namespace {

constexpr std::uintptr_t kHugePage = std::uintptr_t{2} << 20;

TEST(HugeBlocks, AreAlignedWritableAndReusedOnlyForTheSameLength) {
  const std::size_t bytes = (std::size_t{3} << 20) + 5;  // rounds up to 4 MiB
  unsigned char* block = static_cast<unsigned char*>(AllocateHugeBlock(bytes));
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(block) % kHugePage, 0u);
  std::memset(block, 0xAB, bytes);  // every byte of the request is ours
  FreeHugeBlock(block, bytes);

  // A kept block comes back for a request of the same rounded length...
  void* again = AllocateHugeBlock(std::size_t{4} << 20);
  EXPECT_EQ(again, block);
  // ...and never for another length.
  void* other = AllocateHugeBlock(std::size_t{6} << 20);
  ASSERT_NE(other, nullptr);
  EXPECT_NE(other, again);
  FreeHugeBlock(again, std::size_t{4} << 20);
  FreeHugeBlock(other, std::size_t{6} << 20);
  FreeHugeBlock(nullptr, 0);
}

TEST(HugeBlocks, KeepOnlyAFewAndGiveTheRestBack) {
  // More blocks than are kept: all must still be usable and freed cleanly.
  std::vector<void*> blocks;
  for (int i = 0; i < 10; ++i) {
    blocks.push_back(AllocateHugeBlock(kHugePage));
    ASSERT_NE(blocks.back(), nullptr);
    static_cast<unsigned char*>(blocks.back())[kHugePage - 1] = 1;
  }
  for (void* b : blocks) FreeHugeBlock(b, kHugePage);
}

TEST(HugePageAllocator, VectorsGrowAcrossTheThresholdKeepingTheirContents) {
  std::vector<unsigned char, HugePageAllocator<unsigned char>> v(1000, 7);
  v.resize(kHugeBlockBytes * 2 + 3, 9);  // moves from the heap into a huge block
  EXPECT_EQ(v[999], 7);
  EXPECT_EQ(v[1000], 9);
  EXPECT_EQ(v.back(), 9);
  v.resize(10);
  v.shrink_to_fit();  // and back onto the heap
  EXPECT_EQ(v[9], 7);
  std::vector<int, HugePageAllocator<int>> ints(kHugeBlockBytes / sizeof(int), 1);
  EXPECT_EQ(ints.back(), 1);
}

TEST(ListBlocks, AreAlignedAndHoldEveryByteOfAnUnevenRequest) {
  // Mapped to the page after the request, not to the next huge page.
  for (std::size_t bytes : {kHugeBlockBytes, (std::size_t{5} << 20) + 12345}) {
    unsigned char* block = static_cast<unsigned char*>(AllocateListBlock(bytes));
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(block) % kHugePage, 0u);
    std::memset(block, 0x5A, bytes);
    EXPECT_EQ(block[bytes - 1], 0x5A);
    FreeListBlock(block, bytes);
  }
  std::vector<double, ListAllocator<double>> list(10, 1.5);
  list.reserve(kHugeBlockBytes / sizeof(double) + 1);  // from the heap into a list block
  EXPECT_EQ(list[9], 1.5);
}

}  // namespace

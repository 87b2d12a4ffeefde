#include <gtest/gtest.h>

#include <memory>

#include "image/bmp_manager.h"
#include "image/pixel_order.h"
#include "image/tga_manager.h"
#include "image_test_support.h"

namespace {

Bytes Noise(size_t n, unsigned seed) {
  Bytes b(n);
  for (unsigned char& c : b) {
    seed = seed * 1103515245u + 12345u;
    c = static_cast<unsigned char>(seed >> 16);
  }
  return b;
}

// The stored pixel (x, y) of rows `stride` bytes apart, as red, green, blue.
Bytes StoredRgb(const Bytes& stored, size_t stride, int step, int x, int y) {
  const unsigned char* p = stored.data() + y * stride + static_cast<size_t>(x) * step;
  return {p[2], p[1], p[0]};
}

TEST(BgrToRgb, MatchesSingleByteMovesForEveryWidthAndStep) {
  for (int step : {3, 4}) {
    for (int width = 0; width <= 40; ++width) {
      // Buffers of exactly the stated sizes, so AddressSanitizer sees any
      // access past them.
      const Bytes source = Noise(static_cast<size_t>(width) * step, width * 7 + step);
      std::unique_ptr<unsigned char[]> src(new unsigned char[source.size() + (width == 0)]);
      std::copy(source.begin(), source.end(), src.get());
      std::unique_ptr<unsigned char[]> dst(new unsigned char[3 * width + (width == 0)]);
      BgrToRgb(src.get(), dst.get(), width, step);
      for (int x = 0; x < width; ++x)
        ASSERT_EQ(Row(dst.get() + 3 * x, 3), StoredRgb(source, 0, step, x, 0)) << "width " << width << " step " << step;
    }
  }
}

// Pictures of several read blocks: every pixel must land in its place, in
// both row orders, and a file one byte short must still fail.
// 1001 x 700 pixels: the colour plane is large enough to be one huge-page block.
TEST(LargePictures, TgaSpanningManyBlocksKeepsEveryPixel) {
  constexpr int kWidth = 1001, kHeight = 700;
  for (int depth : {24, 32}) {
    for (int descriptor : {0, 0x20}) {
      const int step = depth / 8;
      const size_t stride = static_cast<size_t>(kWidth) * step;
      const Bytes stored = Noise(stride * kHeight, depth + descriptor);
      StreamReader<CTgaManager> image;
      ASSERT_EQ(image.LoadBytes(Tga(2, kWidth, kHeight, depth, stored, descriptor)), 0);
      for (int i = 0; i < kHeight; ++i) {
        const int y = descriptor ? i : kHeight - 1 - i;
        for (int x = 0; x < kWidth; ++x) {
          ASSERT_EQ(Row(image.m_rgbRows[y] + 3 * x, 3), StoredRgb(stored, stride, step, x, i));
          if (depth == 32) ASSERT_EQ(image.m_alphaRows[y][x], stored[i * stride + 4 * x + 3]);
        }
      }
      Bytes shortFile = Tga(2, kWidth, kHeight, depth, stored, descriptor);
      shortFile.pop_back();
      StreamReader<CTgaManager> cut;
      testing::internal::CaptureStdout();
      EXPECT_EQ(cut.LoadBytes(shortFile), -1);
      EXPECT_EQ(testing::internal::GetCapturedStdout(), "Can't read tga file\n");
    }
  }
}

TEST(LargePictures, BmpSpanningManyBlocksKeepsEveryPixel) {
  constexpr int kWidth = 1001, kHeight = 300;
  for (int bits : {24, 32}) {
    for (int height : {kHeight, -kHeight}) {
      const int step = bits / 8;
      const size_t stride = (static_cast<size_t>(kWidth) * step + 3) / 4 * 4;
      Bytes stored = Noise(stride * kHeight, bits + (height < 0));
      // The last row's padding may be missing from the file.
      stored.resize(stored.size() - (stride - static_cast<size_t>(kWidth) * step));
      StreamReader<CBMPManager> image;
      ASSERT_EQ(image.LoadBytes(Bmp(BmpShape(kWidth, height, bits), stored)), 0);
      for (int i = 0; i < kHeight; ++i) {
        const int y = height < 0 ? i : kHeight - 1 - i;
        for (int x = 0; x < kWidth; ++x)
          ASSERT_EQ(Row(image.m_rgbRows[y] + 3 * x, 3), StoredRgb(stored, stride, step, x, i));
      }
      stored.pop_back();
      StreamReader<CBMPManager> cut;
      testing::internal::CaptureStdout();
      EXPECT_EQ(cut.LoadBytes(Bmp(BmpShape(kWidth, height, bits), stored)), -1);
      EXPECT_EQ(testing::internal::GetCapturedStdout(), "Can't read bmp file\n");
    }
  }
}

}  // namespace

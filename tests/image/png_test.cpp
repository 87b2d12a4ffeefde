#include <gtest/gtest.h>
#include <zlib.h>

#include "image/png_manager.h"
#include "image_test_support.h"

namespace {

using PngReader = StreamReader<CPngManager>;

Bytes Plane(unsigned char** rows, int width, int height) {
  Bytes b;
  for (int y = 0; y < height; ++y) b.insert(b.end(), rows[y], rows[y] + width);
  return b;
}

TEST(PngReader, GreyWithoutAlphaFillsTheSingleChannelPlane) {
  PngReader grey, bits, deep;
  ASSERT_EQ(grey.LoadBytes(Png({3, 2, PNG_COLOR_TYPE_GRAY}, Iota(6, 10))), 0);
  EXPECT_EQ(grey.m_planeKind, 2);
  EXPECT_EQ(grey.m_rgbRows, nullptr);
  EXPECT_EQ(Plane(grey.m_alphaRows, 3, 2), Iota(6, 10));

  ASSERT_EQ(bits.LoadBytes(Png({4, 1, PNG_COLOR_TYPE_GRAY, 2}, {0b00011011})), 0);
  EXPECT_EQ(Plane(bits.m_alphaRows, 4, 1), (Bytes{0, 85, 170, 255}));

  ASSERT_EQ(deep.LoadBytes(Png({2, 1, PNG_COLOR_TYPE_GRAY, 16}, {0xFF, 0xFF, 0x80, 0x00})), 0);
  EXPECT_EQ(Plane(deep.m_alphaRows, 2, 1), (Bytes{255, 128}));
}

TEST(PngReader, ColourFillsTheColourPlane) {
  PngReader rgb, deep, palette;
  ASSERT_EQ(rgb.LoadBytes(Png({2, 2, PNG_COLOR_TYPE_RGB}, Iota(12))), 0);
  EXPECT_EQ(rgb.m_planeKind, 1);
  EXPECT_EQ(rgb.m_alphaRows, nullptr);
  EXPECT_EQ(Plane(rgb.m_rgbRows, 6, 2), Iota(12));

  ASSERT_EQ(deep.LoadBytes(Png({1, 1, PNG_COLOR_TYPE_RGB, 16}, {0, 0, 0xFF, 0xFF, 0x40, 0x00})), 0);
  EXPECT_EQ(Plane(deep.m_rgbRows, 3, 1), (Bytes{0, 255, 64}));

  PngShape indexed{3, 1, PNG_COLOR_TYPE_PALETTE, 4};
  indexed.palette = {1, 2, 3, 4, 5, 6, 7, 8, 9};
  ASSERT_EQ(palette.LoadBytes(Png(indexed, {0x21, 0x00})), 0);
  EXPECT_EQ(palette.m_alphaRows, nullptr);
  EXPECT_EQ(Plane(palette.m_rgbRows, 9, 1), (Bytes{7, 8, 9, 4, 5, 6, 1, 2, 3}));
}

TEST(PngReader, AlphaGoesToTheSingleChannelPlane) {
  PngReader rgba, greyAlpha, palette, keyed;
  ASSERT_EQ(rgba.LoadBytes(Png({2, 1, PNG_COLOR_TYPE_RGBA}, {1, 2, 3, 4, 5, 6, 7, 8})), 0);
  EXPECT_EQ(rgba.m_planeKind, 1);
  EXPECT_EQ(Plane(rgba.m_rgbRows, 6, 1), (Bytes{1, 2, 3, 5, 6, 7}));
  EXPECT_EQ(Plane(rgba.m_alphaRows, 2, 1), (Bytes{4, 8}));

  ASSERT_EQ(greyAlpha.LoadBytes(Png({2, 1, PNG_COLOR_TYPE_GRAY_ALPHA}, {10, 20, 30, 40})), 0);
  EXPECT_EQ(Plane(greyAlpha.m_rgbRows, 6, 1), (Bytes{10, 10, 10, 30, 30, 30}));
  EXPECT_EQ(Plane(greyAlpha.m_alphaRows, 2, 1), (Bytes{20, 40}));

  PngShape indexed{2, 1, PNG_COLOR_TYPE_PALETTE};
  indexed.palette = {1, 2, 3, 4, 5, 6};
  indexed.transparency = {77};
  ASSERT_EQ(palette.LoadBytes(Png(indexed, {0, 1})), 0);
  EXPECT_EQ(Plane(palette.m_rgbRows, 6, 1), (Bytes{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(Plane(palette.m_alphaRows, 2, 1), (Bytes{77, 255}));

  PngShape key{2, 1, PNG_COLOR_TYPE_GRAY};
  key.transparency = {0, 9};
  ASSERT_EQ(keyed.LoadBytes(Png(key, {9, 10})), 0);
  EXPECT_EQ(Plane(keyed.m_rgbRows, 6, 1), (Bytes{9, 9, 9, 10, 10, 10}));
  EXPECT_EQ(Plane(keyed.m_alphaRows, 2, 1), (Bytes{0, 255}));
}

TEST(PngReader, InterlacedPicturesComeOutWhole) {
  PngShape shape{9, 7, PNG_COLOR_TYPE_RGBA};
  shape.interlaced = true;
  const Bytes samples = Iota(9 * 7 * 4);
  PngReader image;
  ASSERT_EQ(image.LoadBytes(Png(shape, samples)), 0);
  for (int y = 0; y < 7; ++y)
    for (int x = 0; x < 9; ++x) {
      const unsigned char* p = &samples[4 * (9 * y + x)];
      ASSERT_EQ(Row(image.m_rgbRows[y] + 3 * x, 3), Bytes(p, p + 3)) << x << "," << y;
      ASSERT_EQ(image.m_alphaRows[y][x], p[3]);
    }
  shape.colorType = PNG_COLOR_TYPE_RGB;
  PngReader rgb;
  ASSERT_EQ(rgb.LoadBytes(Png(shape, Iota(9 * 7 * 3))), 0);
  EXPECT_EQ(Plane(rgb.m_rgbRows, 27, 7), Iota(9 * 7 * 3));
}

TEST(PngReader, BrokenFilesFailWithTheReadMessage) {
  const Bytes good = Png({5, 4, PNG_COLOR_TYPE_RGBA}, Iota(80));
  std::vector<Bytes> broken{{'n', 'o', 't', ' ', 'p', 'n', 'g'}};
  for (size_t n = 0; n + 12 < good.size(); ++n) broken.emplace_back(good.begin(), good.begin() + n);  // before IEND
  Bytes badCrc = good;
  badCrc[good.size() - 20] ^= 0xFF;  // inside the image data
  broken.push_back(badCrc);
  // 60000 x 60000 announced by a file of a hundred bytes; the header's CRC is redone.
  Bytes huge = Png({1, 1, PNG_COLOR_TYPE_RGB}, {1, 2, 3});
  huge[18] = huge[22] = 0xEA;
  huge[19] = huge[23] = 0x60;
  const unsigned long crc = crc32(0, huge.data() + 12, 17);
  for (int i = 0; i < 4; ++i) huge[29 + i] = static_cast<unsigned char>(crc >> (24 - 8 * i));
  broken.push_back(huge);

  for (const Bytes& file : broken) {
    PngReader image;
    testing::internal::CaptureStdout();
    EXPECT_EQ(image.LoadBytes(file), -1) << file.size();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Can't read png file\n");
    if (&file == &broken.back()) EXPECT_EQ(image.m_rgbRows, nullptr) << "planes allocated for the huge picture";
  }
}

void AppendChunk(Bytes& file, const char* type, const Bytes& data, unsigned long claimedLength) {
  for (int i = 0; i < 4; ++i) file.push_back(static_cast<unsigned char>(claimedLength >> (24 - 8 * i)));
  Bytes body(type, type + 4);
  body.insert(body.end(), data.begin(), data.end());
  const unsigned long crc = crc32(0, body.data(), static_cast<uInt>(body.size()));
  file.insert(file.end(), body.begin(), body.end());
  for (int i = 0; i < 4; ++i) file.push_back(static_cast<unsigned char>(crc >> (24 - 8 * i)));
}

// A small file may not make the reader allocate far more than it holds: a
// 44-byte file claiming a 2 GiB text chunk, and an 8 KB 1-bit palette picture
// of 8192 x 8192 that expands to 200 MB of colour rows.
TEST(PngReader, CostStaysInProportionToTheFile) {
  const Bytes signature{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  auto header = [](unsigned side, unsigned char depth, unsigned char type) {
    Bytes h;
    for (int k = 0; k < 2; ++k)
      for (int i = 0; i < 4; ++i) h.push_back(static_cast<unsigned char>(side >> (24 - 8 * i)));
    h.insert(h.end(), {depth, type, 0, 0, 0});
    return h;
  };
  Bytes text = signature;
  AppendChunk(text, "IHDR", header(1, 8, 2), 13);
  text.insert(text.end(), {0x7F, 0xFF, 0xFF, 0xFF, 't', 'E', 'X', 't', 'a', 'b', 'c'});
  ASSERT_EQ(text.size(), 44u);

  Bytes palette = signature;
  AppendChunk(palette, "IHDR", header(8192, 1, 3), 13);
  AppendChunk(palette, "PLTE", {10, 20, 30}, 3);
  Bytes rows((8192 / 8 + 1) * 8192), packed(compressBound(static_cast<uLong>(rows.size())));
  uLongf packedSize = static_cast<uLongf>(packed.size());
  ASSERT_EQ(compress2(packed.data(), &packedSize, rows.data(), static_cast<uLong>(rows.size()), 9), Z_OK);
  packed.resize(packedSize);
  AppendChunk(palette, "IDAT", packed, packedSize);
  AppendChunk(palette, "IEND", {}, 0);

  for (const Bytes* file : {&text, &palette}) {
    PngReader image;
    testing::internal::CaptureStdout();
    EXPECT_EQ(image.LoadBytes(*file), -1) << file->size();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Can't read png file\n");
    EXPECT_EQ(image.m_rgbRows, nullptr);
  }
}

TEST(PngReader, MissingFile) {
  CPngManager image;
  testing::internal::CaptureStdout();
  EXPECT_EQ(image.Load("/nonexistent/a.png"), -1);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "Can't open png file.\n");
}

}  // namespace

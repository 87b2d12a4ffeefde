#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "image/dds_manager.h"
#include "image/texture_dispatch.h"
#include "image_test_support.h"

namespace {

using DdsReader = StreamReader<CDdsManager>;

constexpr unsigned kFourCcFormat = 0x4, kRgbFormat = 0x40, kAlphaPixels = 0x1;

// The magic, the 124-byte header and the data. masks: red, green, blue, alpha.
Bytes Dds(int width, int height, unsigned formatFlags, const char* fourCc, int bits, const unsigned (&masks)[4],
          const Bytes& data) {
  Bytes b{'D', 'D', 'S', ' '};
  PutLe(b, 124, 4);
  PutLe(b, 0x1007, 4);  // caps, height, width, pixel format
  PutLe(b, static_cast<unsigned>(height), 4);
  PutLe(b, static_cast<unsigned>(width), 4);
  b.insert(b.end(), 4 * 14, 0);  // pitch, depth, mip levels, reserved
  PutLe(b, 32, 4);
  PutLe(b, formatFlags, 4);
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<unsigned char>(fourCc[i]));
  PutLe(b, static_cast<unsigned>(bits), 4);
  for (unsigned mask : masks) PutLe(b, mask, 4);
  PutLe(b, 0x1000, 4);  // a texture
  b.insert(b.end(), 4 * 4, 0);
  b.insert(b.end(), data.begin(), data.end());
  return b;
}

Bytes Compressed(int width, int height, const char* fourCc, const Bytes& blocks) {
  return Dds(width, height, kFourCcFormat, fourCc, 0, {0, 0, 0, 0}, blocks);
}

// A DXT1 colour block: pure red (index 0) and pure blue (index 1), rows of
// 2-bit indices from the top, leftmost pixel in the low bits.
Bytes RedBlueBlock(unsigned rowIndices) {
  Bytes b;
  PutLe(b, 0xF800, 2);
  PutLe(b, 0x001F, 2);
  PutLe(b, rowIndices * 0x01010101u, 4);
  return b;
}

TEST(DdsReader, Dxt1BlocksDecodeIntoTheColourPlaneCutToThePicture) {
  // 5 x 5: four blocks, of which the picture keeps one column and one row of
  // the right and bottom ones.
  Bytes blocks;
  for (unsigned indices : {0x00u, 0x55u, 0x44u, 0x11u}) {
    const Bytes block = RedBlueBlock(indices);
    blocks.insert(blocks.end(), block.begin(), block.end());
  }
  DdsReader image;
  ASSERT_EQ(image.LoadBytes(Compressed(5, 5, "DXT1", blocks)), 0);
  EXPECT_EQ(image.m_planeKind, 1);
  EXPECT_EQ(image.m_alphaRows, nullptr);
  EXPECT_EQ(Row(image.m_rgbRows[0], 15), (Bytes{255, 0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0, 0, 255}));
  EXPECT_EQ(Row(image.m_rgbRows[4], 15), (Bytes{255, 0, 0, 0, 0, 255, 255, 0, 0, 0, 0, 255, 0, 0, 255}));
}

TEST(DdsReader, Dxt5AlphaAndTransparentDxt1FillTheSingleChannelPlane) {
  Bytes block{200, 50};  // alpha 200 (index 0) and 50 (index 1), 3-bit indices
  PutLe(block, 0x249249249249ull ^ 0x000000000001ull, 6);  // all index 1 but the first pixel
  const Bytes colour = RedBlueBlock(0x55);
  block.insert(block.end(), colour.begin(), colour.end());
  DdsReader image;
  ASSERT_EQ(image.LoadBytes(Compressed(2, 1, "DXT5", block)), 0);
  EXPECT_EQ(Row(image.m_rgbRows[0], 6), (Bytes{0, 0, 255, 0, 0, 255}));
  ASSERT_NE(image.m_alphaRows, nullptr);
  EXPECT_EQ(Row(image.m_alphaRows[0], 2), (Bytes{200, 50}));
  // The first colour not above the second: index 3 is transparent black.
  Bytes cutout;
  PutLe(cutout, 0x001F, 2);
  PutLe(cutout, 0xF800, 2);
  PutLe(cutout, 0x0C, 4);
  DdsReader dxt1;
  ASSERT_EQ(dxt1.LoadBytes(Compressed(2, 1, "DXT1", cutout)), 0);
  EXPECT_EQ(Row(dxt1.m_rgbRows[0], 6), (Bytes{0, 0, 255, 0, 0, 0}));
  ASSERT_NE(dxt1.m_alphaRows, nullptr);
  EXPECT_EQ(Row(dxt1.m_alphaRows[0], 2), (Bytes{255, 0}));
}

TEST(DdsReader, UncompressedPixelsFollowTheirMasks) {
  // Stored blue, green, red, alpha; rows from the top.
  DdsReader bgra;
  ASSERT_EQ(bgra.LoadBytes(Dds(2, 2, kRgbFormat | kAlphaPixels, "\0\0\0\0", 32,
                              {0xFF0000, 0xFF00, 0xFF, 0xFF000000u}, Iota(16))),
            0);
  EXPECT_EQ(Row(bgra.m_rgbRows[0], 6), (Bytes{3, 2, 1, 7, 6, 5}));
  EXPECT_EQ(Row(bgra.m_rgbRows[1], 6), (Bytes{11, 10, 9, 15, 14, 13}));
  EXPECT_EQ(Row(bgra.m_alphaRows[1], 2), (Bytes{12, 16}));
  // Without the alpha flag the fourth byte is padding; 24-bit in RGB order.
  DdsReader padded, rgb;
  ASSERT_EQ(padded.LoadBytes(Dds(1, 1, kRgbFormat, "\0\0\0\0", 32, {0xFF, 0xFF00, 0xFF0000, 0xFF000000u}, Iota(4))),
            0);
  EXPECT_EQ(padded.m_alphaRows, nullptr);
  EXPECT_EQ(Row(padded.m_rgbRows[0], 3), (Bytes{1, 2, 3}));
  ASSERT_EQ(rgb.LoadBytes(Dds(1, 1, kRgbFormat, "\0\0\0\0", 24, {0xFF, 0xFF00, 0xFF0000, 0}, Iota(3))), 0);
  EXPECT_EQ(Row(rgb.m_rgbRows[0], 3), (Bytes{1, 2, 3}));
}

TEST(DdsReader, RefusesWhatItCannotReadAndEveryShortFile) {
  const Bytes dxt1 = Compressed(8, 4, "DXT1", Iota(16));
  Bytes badMagic = dxt1, badSize = dxt1;
  badMagic[3] = 'X';
  badSize[4] = 100;
  const std::pair<Bytes, const char*> refused[] = {
      {badMagic, "does not start with"},
      {badSize, "sizes 100 and 32"},
      {Compressed(4, 4, "DX10", Iota(20)), "extended ('DX10') header"},
      {Compressed(4, 4, "ATI2", Iota(16)), "'ATI2' is not DXT1"},
      {Dds(1, 1, kRgbFormat, "\0\0\0\0", 16, {0xF800, 0x7E0, 0x1F, 0}, Iota(2)), "neither DXT blocks"},
      {Dds(1, 1, kRgbFormat, "\0\0\0\0", 32, {0x3FF, 0xFFC00, 0x3FF00000, 0}, Iota(4)), "masks are not each one byte"},
      {Compressed(0, 4, "DXT1", Iota(8)), "0 x 4 pixels"},
      {Compressed(70000, 4, "DXT1", Iota(8)), "70000 x 4 pixels"},
      // 65535 x 65535 DXT5 claims 4 GiB from a file of a few bytes.
      {Compressed(65535, 65535, "DXT5", Iota(16)), "needs 4294967296 bytes"}};
  for (const auto& [file, why] : refused) {
    DdsReader image;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    EXPECT_EQ(image.LoadBytes(file), -1) << why;
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Can't read dds file\n");
    EXPECT_NE(testing::internal::GetCapturedStderr().find(why), std::string::npos) << why;
    EXPECT_EQ(image.m_rgbRows, nullptr);
  }
  for (size_t n = 0; n < dxt1.size(); ++n) {
    DdsReader image;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    EXPECT_EQ(image.LoadBytes(Bytes(dxt1.begin(), dxt1.begin() + n)), -1) << n;
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Can't read dds file\n");
  }
}

// A .dds texture is "not supported", as it always was, until newer formats
// are asked for; then the dispatch reads it, ahead on a thread too.
class DdsDispatch : public InTempDir {
 protected:
  void TearDown() override {
    SetNewerTextureFormats(false);
    InTempDir::TearDown();
  }
};

TEST_F(DdsDispatch, ReadOnlyWithNewerTextureFormats) {
  WriteBytes("Texture/wall.dds", Compressed(4, 4, "DXT1", RedBlueBlock(0)));
  WriteBytes("Texture/WALL.DDS", Compressed(4, 4, "DXT1", RedBlueBlock(0)));
  Material off;
  std::snprintf(off.textureName, sizeof off.textureName, "wall.dds");
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  EXPECT_EQ(off.LoadTexture(), 0);
  int kind = 0;
  EXPECT_EQ(DecodeTextureQuietly("wall.dds", kind), nullptr);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "This file type is not supported! wall.dds\n");
  EXPECT_NE(testing::internal::GetCapturedStderr().find("does not end in .bmp, .jpg, .jpeg, .tga or .png ("),
            std::string::npos);

  SetNewerTextureFormats(true);
  for (const char* name : {"wall.dds", "WALL.DDS"}) {
    Material on;
    std::snprintf(on.textureName, sizeof on.textureName, "%s", name);
    testing::internal::CaptureStdout();
    EXPECT_EQ(on.LoadTexture(), 1) << name;
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(on.textureKind, 2);
    unsigned char pixel[3] = {};
    ASSERT_EQ(on.textureImage->GetPixel(3, 3, pixel), 1);
    EXPECT_EQ(pixel[0], 255);
  }
  std::unique_ptr<CImageManager> ahead(DecodeTextureQuietly("wall.dds", kind));
  EXPECT_NE(ahead, nullptr);
}

}  // namespace

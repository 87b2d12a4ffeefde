#include <gtest/gtest.h>

#include <memory>

#include "image/tga_manager.h"
#include "image_test_support.h"

namespace {

using Tga32 = StreamReader<CTgaManager>;

TEST(TgaReader, TrueColourRowsComeBottomUpAsRedGreenBlue) {
  Tga32 image;
  ASSERT_EQ(image.LoadBytes(Tga(2, 2, 2, 24, Iota(12))), 0);
  EXPECT_EQ(image.m_planeKind, 1);
  EXPECT_EQ(image.m_alphaRows, nullptr);
  EXPECT_EQ(Row(image.m_rgbRows[1], 6), (Bytes{3, 2, 1, 6, 5, 4}));
  EXPECT_EQ(Row(image.m_rgbRows[0], 6), (Bytes{9, 8, 7, 12, 11, 10}));
}

TEST(TgaReader, GreyFillsOnlyTheSingleChannelPlane) {
  Tga32 image;
  ASSERT_EQ(image.LoadBytes(Tga(3, 2, 1, 8, {0, 200})), 0);
  EXPECT_EQ(image.m_planeKind, 2);
  EXPECT_EQ(image.m_rgbRows, nullptr);
  EXPECT_EQ(Row(image.m_alphaRows[0], 2), (Bytes{0, 200}));
}

TEST(TgaReader, HonoursIdFieldColourMapTopDownAnd32Bit) {
  Tga32 image;
  const Bytes pixels{1, 2, 3, 40, 4, 5, 6, 50, 7, 8, 9, 60, 10, 11, 12, 70};
  ASSERT_EQ(image.LoadBytes(Tga(2, 2, 2, 32, pixels, 0x20, {'i', 'd'}, 3)), 0);
  EXPECT_EQ(image.m_planeKind, 1);
  EXPECT_EQ(Row(image.m_rgbRows[0], 6), (Bytes{3, 2, 1, 6, 5, 4}));
  EXPECT_EQ(Row(image.m_rgbRows[1], 6), (Bytes{9, 8, 7, 12, 11, 10}));
  EXPECT_EQ(Row(image.m_alphaRows[0], 2), (Bytes{40, 50}));
  EXPECT_EQ(Row(image.m_alphaRows[1], 2), (Bytes{60, 70}));
}

TEST(TgaReader, EmptyPictureLoads) {
  Tga32 wide, tall;
  EXPECT_EQ(wide.LoadBytes(Tga(2, 5, 0, 24, {})), 0);
  EXPECT_EQ(tall.LoadBytes(Tga(3, 0, 7, 8, {})), 0);
  EXPECT_EQ(tall.m_height, 7);
}

TEST(TgaReader, RefusesOtherKindsKeepingTheHeaderSize) {
  const Bytes refused[] = {Tga(10, 2, 2, 24, Iota(12)), Tga(1, 2, 2, 8, Iota(4)), Tga(2, 2, 2, 16, Iota(8)),
                           Tga(3, 2, 2, 24, Iota(12)), Tga(0, 2, 2, 24, Iota(12))};
  for (const Bytes& file : refused) {
    Tga32 image;
    testing::internal::CaptureStdout();
    EXPECT_EQ(image.LoadBytes(file), -1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Can't read tga file\n");
    EXPECT_EQ(image.m_width, 2);
    EXPECT_EQ(image.m_rgbRows, nullptr);
    EXPECT_EQ(image.m_alphaRows, nullptr);
  }
}

TEST(TgaReader, EveryTruncatedFileFails) {
  const Bytes files[] = {Tga(2, 3, 2, 24, Iota(18)), Tga(2, 2, 2, 32, Iota(16), 0x20, {'x'}, 2),
                         Tga(3, 3, 3, 8, Iota(9))};
  for (const Bytes& file : files) {
    for (size_t n = 1; n < file.size(); ++n) {
      Tga32 image;
      testing::internal::CaptureStdout();
      EXPECT_EQ(image.LoadBytes(Bytes(file.begin(), file.begin() + n)), -1) << n;
      EXPECT_EQ(testing::internal::GetCapturedStdout(), "Can't read tga file\n");
    }
  }
}

TEST(TgaReader, HugeAnnouncedSizeInATinyFileAllocatesNothing) {
  Tga32 image;
  testing::internal::CaptureStdout();
  EXPECT_EQ(image.LoadBytes(Tga(2, 65535, 65535, 32, Iota(12))), -1);
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(image.m_rgbRows, nullptr);
}

// The thumbnailer's bounds on pixels hold for every reader: per picture,
// and over all planes alive at once, which a destroyed picture gives back.
TEST(TgaReader, PixelLimitsPerPictureAndInAll) {
  CImageManager::SetPixelLimits(100, 150);
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  auto first = std::make_unique<Tga32>();
  Tga32 tooLarge, second, third;
  EXPECT_EQ(tooLarge.LoadBytes(Tga(2, 11, 10, 24, Bytes(330))), -1);
  EXPECT_EQ(first->LoadBytes(Tga(2, 10, 10, 24, Bytes(300))), 0);
  EXPECT_EQ(second.LoadBytes(Tga(2, 10, 10, 24, Bytes(300))), -1);
  first.reset();
  EXPECT_EQ(third.LoadBytes(Tga(2, 10, 10, 24, Bytes(300))), 0);
  testing::internal::GetCapturedStdout();
  const std::string diagnostics = testing::internal::GetCapturedStderr();
  CImageManager::SetPixelLimits(0, 0);
  EXPECT_NE(diagnostics.find("11 x 10 pixels, more than the 100"), std::string::npos) << diagnostics;
  EXPECT_NE(diagnostics.find("10 x 10 pixels, beyond the 150"), std::string::npos) << diagnostics;
}

TEST(TgaReader, MissingFile) {
  CTgaManager image;
  testing::internal::CaptureStdout();
  EXPECT_EQ(image.Load("/nonexistent/a.tga"), -1);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "Can't open file\n");
  EXPECT_STREQ(image.m_fileName, "");
}

}  // namespace

#include <gtest/gtest.h>

#include "image/bmp_manager.h"
#include "image_test_support.h"

namespace {

using Bmp24 = StreamReader<CBMPManager>;

int LoadQuietly(Bmp24& image, const Bytes& file, std::string* said = nullptr) {
  testing::internal::CaptureStdout();
  const int result = image.LoadBytes(file);
  const std::string out = testing::internal::GetCapturedStdout();
  if (said) *said = out;
  return result;
}

TEST(BmpReader, RowsComeBottomUpAsRedGreenBlue) {
  Bmp24 image;
  Bytes file = Bmp({4, 2}, Iota(24));
  file[0] = 'X';  // the signature is not checked
  ASSERT_EQ(image.LoadBytes(file), 0);
  EXPECT_EQ(image.m_planeKind, 1);
  EXPECT_EQ(Row(image.m_rgbRows[1], 12), (Bytes{3, 2, 1, 6, 5, 4, 9, 8, 7, 12, 11, 10}));
  EXPECT_EQ(Row(image.m_rgbRows[0], 12), (Bytes{15, 14, 13, 18, 17, 16, 21, 20, 19, 24, 23, 22}));
}

TEST(BmpReader, SkipsRowPaddingAndHonoursOffsetAndTopDown) {
  // 1 x 2 pixels: 3 bytes of data and 1 of padding a row.
  const Bytes rows{1, 2, 3, 0, 4, 5, 6, 0};
  BmpShape shape{1, -2};
  shape.infoSize = 124;
  shape.gap = 7;
  Bmp24 image;
  ASSERT_EQ(image.LoadBytes(Bmp(shape, rows)), 0);
  EXPECT_EQ(Row(image.m_rgbRows[0], 3), (Bytes{3, 2, 1}));
  EXPECT_EQ(Row(image.m_rgbRows[1], 3), (Bytes{6, 5, 4}));

  // The last row's padding may be missing from the file.
  Bmp24 unpadded;
  ASSERT_EQ(unpadded.LoadBytes(Bmp({1, 2}, {1, 2, 3, 0, 4, 5, 6})), 0);
  EXPECT_EQ(Row(unpadded.m_rgbRows[0], 3), (Bytes{6, 5, 4}));
}

TEST(BmpReader, Reads32BitAndPalettePictures) {
  Bmp24 full;
  ASSERT_EQ(full.LoadBytes(Bmp({2, 1, 32}, {1, 2, 3, 99, 4, 5, 6, 99})), 0);
  EXPECT_EQ(Row(full.m_rgbRows[0], 6), (Bytes{3, 2, 1, 6, 5, 4}));

  BmpShape mono{10, 1, 1};
  mono.palette = {0, 0, 0, 0, 255, 128, 64, 0};
  Bmp24 one;
  ASSERT_EQ(one.LoadBytes(Bmp(mono, {0b10100000, 0b01000000, 0, 0})), 0);
  Bytes want;
  for (int bit : {1, 0, 1, 0, 0, 0, 0, 0, 0, 1}) {
    const Bytes pixel = bit ? Bytes{64, 128, 255} : Bytes{0, 0, 0};
    want.insert(want.end(), pixel.begin(), pixel.end());
  }
  EXPECT_EQ(Row(one.m_rgbRows[0], 30), want);

  BmpShape nibbles{3, 1, 4};
  nibbles.palette = {1, 2, 3, 0, 4, 5, 6, 0, 7, 8, 9, 0};
  Bmp24 four;
  ASSERT_EQ(four.LoadBytes(Bmp(nibbles, {0x21, 0xF0, 0, 0})), 0);
  // Index 15 is past the three colours and comes out black.
  EXPECT_EQ(Row(four.m_rgbRows[0], 9), (Bytes{9, 8, 7, 6, 5, 4, 0, 0, 0}));

  BmpShape bytes{2, 2, 8};
  bytes.palette = Bytes(256 * 4, 0);
  bytes.palette[4 * 200] = 10;
  bytes.palette[4 * 7 + 2] = 70;
  Bmp24 eight;
  ASSERT_EQ(eight.LoadBytes(Bmp(bytes, {200, 7, 0, 0, 7, 7, 0, 0})), 0);
  EXPECT_EQ(Row(eight.m_rgbRows[1], 6), (Bytes{0, 0, 10, 70, 0, 0}));
}

TEST(BmpReader, RefusesWhatItCannotRead) {
  BmpShape rle{4, 1, 8};
  rle.compression = 1;
  rle.palette = Bytes(8, 0);
  BmpShape sixteen{4, 1, 16};
  BmpShape negativeWidth{-4, 1};
  BmpShape core{4, 1};
  core.infoSize = 12;  // would need its own layout
  const Bytes refused[] = {Bmp(rle, Bytes(4, 0)), Bmp(sixteen, Bytes(8, 0)), Bmp(negativeWidth, Bytes(12, 0)),
                           Bmp({4, static_cast<int>(0x80000000u)}, Bytes(12, 0)),
                           Bmp({1 << 30, 1 << 30}, Bytes(64, 0)), Bmp({1, 1 << 30}, Bytes(64, 0)),
                           Bmp({0, 0x7FFFFFFF}, {}), Bmp({0x31000000, 0}, {})};
  for (const Bytes& file : refused) {
    Bmp24 image;
    std::string said;
    EXPECT_EQ(LoadQuietly(image, file, &said), -1);
    EXPECT_EQ(said, "Can't read bmp file\n");
    EXPECT_EQ(image.m_rgbRows, nullptr);
  }
}

TEST(BmpReader, EveryTruncatedFileFails) {
  BmpShape palette{3, 2, 8};
  palette.palette = Iota(16);
  // With the final row's padding, which is optional.
  const std::pair<Bytes, size_t> files[] = {{Bmp({3, 2}, Iota(24)), 3}, {Bmp(palette, Iota(8)), 1}};
  for (const auto& [file, padding] : files) {
    for (size_t n = 1; n < file.size() - padding; ++n) {
      Bmp24 image;
      EXPECT_EQ(LoadQuietly(image, Bytes(file.begin(), file.begin() + n)), -1) << n;
    }
  }
}

TEST(BmpReader, MissingFile) {
  CBMPManager image;
  testing::internal::CaptureStdout();
  EXPECT_EQ(image.Load("/nonexistent/a.bmp"), -1);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "Can't open file\n");
  EXPECT_EQ(image.m_planeKind, 1);
}

}  // namespace

#include <gtest/gtest.h>

#include "image/jpeg_manager.h"
#include "image_test_support.h"

namespace {

// The library's own output, row after row, for comparison.
Bytes DecodeWithLibrary(const std::string& path, int* components) {
  FILE* fp = std::fopen(path.c_str(), "rb");
  jpeg_decompress_struct d;
  jpeg_error_mgr err;
  d.err = jpeg_std_error(&err);
  jpeg_create_decompress(&d);
  jpeg_stdio_src(&d, fp);
  jpeg_read_header(&d, TRUE);
  jpeg_start_decompress(&d);
  *components = d.output_components;
  Bytes out(static_cast<size_t>(d.output_width) * d.output_height * d.output_components);
  while (d.output_scanline < d.output_height) {
    JSAMPROW row = out.data() + static_cast<size_t>(d.output_scanline) * d.output_width * d.output_components;
    jpeg_read_scanlines(&d, &row, 1);
  }
  jpeg_finish_decompress(&d);
  jpeg_destroy_decompress(&d);
  std::fclose(fp);
  return out;
}

Bytes Gradient(int w, int h, int components) {
  Bytes b;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      for (int c = 0; c < components; ++c) b.push_back(static_cast<unsigned char>(x * 30 + y * 50 + c * 70));
  return b;
}

Bytes Plane(const CImageManager& image) {
  Bytes b;
  for (int y = 0; y < image.m_height; ++y) {
    const Bytes row = Row(image.m_rgbRows[y], image.m_width * 3);
    b.insert(b.end(), row.begin(), row.end());
  }
  return b;
}

class JpegReader : public InTempDir {};

TEST_F(JpegReader, BaselineAndProgressiveGiveTheLibrarysSamples) {
  for (bool progressive : {false, true}) {
    WriteJpeg("p.jpg", {8, 4, 3, JCS_RGB, progressive}, Gradient(8, 4, 3));
    CJpegManager image;
    ASSERT_EQ(image.Load("p.jpg"), 1);
    EXPECT_EQ(image.m_planeKind, 1);
    EXPECT_EQ(image.m_width, 8);
    EXPECT_EQ(image.m_height, 4);
    EXPECT_STREQ(image.m_fileName, "p.jpg");
    int components = 0;
    EXPECT_EQ(Plane(image), DecodeWithLibrary("p.jpg", &components));
    EXPECT_EQ(components, 3);
  }
}

TEST_F(JpegReader, GreyIsExpandedToEqualRedGreenBlue) {
  WriteJpeg("g.jpg", {5, 3, 1, JCS_GRAYSCALE}, Gradient(5, 3, 1));
  CJpegManager image;
  ASSERT_EQ(image.Load("g.jpg"), 1);
  int components = 0;
  const Bytes grey = DecodeWithLibrary("g.jpg", &components);
  ASSERT_EQ(components, 1);
  Bytes want;
  for (unsigned char v : grey) want.insert(want.end(), {v, v, v});
  EXPECT_EQ(Plane(image), want);
}

TEST_F(JpegReader, AdobeCmykIsConvertedToRgb) {
  // Stored inverted, as Adobe's tools write it: 255 is no ink.
  const Bytes inks{255, 255, 255, 255, 0, 255, 255, 255, 255, 255, 255, 0, 255, 0, 255, 128};
  Bytes picture;  // one flat 8 x 8 block per ink, so that compression keeps them apart
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 32; ++x) picture.insert(picture.end(), inks.begin() + 4 * (x / 8), inks.begin() + 4 * (x / 8) + 4);
  WriteJpeg("c.jpg", {32, 8, 4, JCS_CMYK}, picture);
  CJpegManager image;
  ASSERT_EQ(image.Load("c.jpg"), 1);
  const Bytes want{255, 255, 255, 0, 255, 255, 0, 0, 0, 128, 0, 128};
  for (int block = 0; block < 4; ++block)
    for (int c = 0; c < 3; ++c) EXPECT_NEAR(image.m_rgbRows[4][3 * (8 * block + 4) + c], want[3 * block + c], 4) << block;
}

TEST_F(JpegReader, RefusesASizeTheFileCannotHold) {
  // 60000 x 60000, and 4729 x 4729: under the old fixed allowance of 64 MiB,
  // each material naming such a file cost over 200 MB.
  for (int side : {60000, 4729}) {
    WriteJpeg("big.jpg", {8, 8, 1, JCS_GRAYSCALE}, Gradient(8, 8, 1));
    Bytes file = ReadBytes("big.jpg");
    for (size_t i = 0; i + 8 < file.size(); ++i) {
      if (file[i] == 0xFF && file[i + 1] == 0xC0) {
        file[i + 5] = file[i + 7] = static_cast<unsigned char>(side >> 8);
        file[i + 6] = file[i + 8] = static_cast<unsigned char>(side);
      }
    }
    WriteBytes("big.jpg", file);
    CJpegManager image;
    testing::internal::CaptureStdout();
    EXPECT_EQ(image.Load("big.jpg"), -1) << side;
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Can't read jpeg file\n");
    EXPECT_EQ(image.m_rgbRows, nullptr);
  }
}

TEST_F(JpegReader, MissingFile) {
  CJpegManager image;
  testing::internal::CaptureStdout();
  EXPECT_EQ(image.Load("none.jpg"), -1);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "Can't open jpeg file.\n");
  EXPECT_EQ(image.m_planeKind, 0);
}

// Every scan walks the whole picture again: a file of thousands of repeated
// scans cost time in proportion to its length squared. Refused, like any
// file the reader cannot take.
TEST_F(JpegReader, RefusesAFileOfManyScans) {
  WriteJpeg("scans.jpg", {512, 512, 1, JCS_GRAYSCALE, true}, Bytes(512 * 512, 90));
  Bytes file = ReadBytes("scans.jpg");
  size_t lastScan = file.size();
  for (size_t i = 0; i + 1 < file.size(); ++i)
    if (file[i] == 0xFF && file[i + 1] == 0xDA) lastScan = i;
  ASSERT_LT(lastScan, file.size() - 2);
  const Bytes scan(file.begin() + lastScan, file.end() - 2);  // up to the end-of-image marker
  for (int i = 0; i < 3000; ++i) file.insert(file.end() - 2, scan.begin(), scan.end());
  WriteBytes("scans.jpg", file);
  CJpegManager image;
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  EXPECT_EQ(image.Load("scans.jpg"), -1);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "Can't read jpeg file\n");
  EXPECT_NE(testing::internal::GetCapturedStderr().find("scans.jpg: refused: "), std::string::npos);
}

// The thumbnailer's settings: a fatal error fails the load (the library's
// message on stderr naming the file), and large pictures come scaled down.
TEST_F(JpegReader, ThumbnailerSettingsFailFatalErrorsAndScaleDown) {
  struct Settings {
    Settings() {
      CJpegManager::SetFatalErrorsFail(true);
      CJpegManager::SetLargestSide(16);
    }
    ~Settings() {
      CJpegManager::SetFatalErrorsFail(false);
      CJpegManager::SetLargestSide(0);
    }
  } settings;
  WriteJpeg("big.jpg", {64, 40, 3, JCS_RGB}, Bytes(64 * 40 * 3, 200));
  const Bytes whole = ReadBytes("big.jpg");
  WriteBytes("cut.jpg", Bytes(whole.begin(), whole.begin() + 200));
  WriteBytes("empty.jpg", {});
  for (const char* name : {"empty.jpg", "cut.jpg"}) {
    CJpegManager image;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    EXPECT_EQ(image.Load(name), -1) << name;
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Can't read jpeg file\n");
    EXPECT_NE(testing::internal::GetCapturedStderr().find(std::string(name) + ": "), std::string::npos) << name;
  }
  CJpegManager image;
  ASSERT_EQ(image.Load("big.jpg"), 1);
  EXPECT_EQ(image.m_width, 16);  // 64 / 4
  EXPECT_EQ(image.m_height, 10);
  EXPECT_NEAR(image.m_rgbRows[9][3 * 15], 200, 3);
}

TEST_F(JpegReader, NotAJpegEndsTheProgramWithTheLibrarysMessage) {
  WriteBytes("text.jpg", {'h', 'e', 'l', 'l', 'o'});
  CJpegManager image;
  EXPECT_EXIT(image.Load("text.jpg"), testing::ExitedWithCode(1), "Not a JPEG file");
}

}  // namespace

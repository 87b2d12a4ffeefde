// Every texture of the real models decodes to the same samples as an
// independent decoder (ImageMagick's convert).
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "image/jpeg_manager.h"
#include "image/png_manager.h"
#include "image_test_support.h"

namespace {

const char kConvert[] = "/usr/bin/convert";

Bytes Convert(const std::string& path, const std::string& options) {
  const std::string command = std::string(kConvert) + " '" + path + "' " + options + " 2>/dev/null";
  Bytes out;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return out;
  unsigned char buffer[65536];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.insert(out.end(), buffer, buffer + n);
  pclose(pipe);
  return out;
}

Bytes Plane(unsigned char** rows, int rowBytes, int height) {
  Bytes b;
  for (int y = 0; y < height; ++y) b.insert(b.end(), rows[y], rows[y] + rowBytes);
  return b;
}

TEST(Corpus, EveryTextureMatchesAnIndependentDecoder) {
  if (!std::filesystem::is_directory(CORPUS_DIR)) GTEST_SKIP() << "no corpus at " << CORPUS_DIR;
  ASSERT_TRUE(std::filesystem::exists(kConvert));
  int compared = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(CORPUS_DIR)) {
    const std::string path = entry.path().string();
    const std::string ext = entry.path().extension().string();
    std::unique_ptr<CImageManager> image;
    if (ext == ".jpg" || ext == ".jpeg" || ext == ".JPG" || ext == ".JPEG") image = std::make_unique<CJpegManager>();
    if (ext == ".png" || ext == ".PNG") image = std::make_unique<CPngManager>();
    if (!image) continue;
    SCOPED_TRACE(path);
    ASSERT_NE(image->Load(path.c_str()), -1);
    const int w = image->m_width, h = image->m_height;
    if (image->m_rgbRows) {
      EXPECT_EQ(Plane(image->m_rgbRows, 3 * w, h), Convert(path, "-depth 8 rgb:-"));
      if (image->m_alphaRows) EXPECT_EQ(Plane(image->m_alphaRows, w, h), Convert(path, "-depth 8 -alpha extract gray:-"));
    } else {
      EXPECT_EQ(Plane(image->m_alphaRows, w, h), Convert(path, "-depth 8 gray:-"));
    }
    ++compared;
  }
  EXPECT_GT(compared, 10);
}

}  // namespace

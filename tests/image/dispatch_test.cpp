#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <memory>
#include <string>
#include <vector>

#include "image/bmp_manager.h"
#include "image/jpeg_manager.h"
#include "image/png_manager.h"
#include "image/texture_dispatch.h"
#include "image/tga_manager.h"
#include "image_test_support.h"

namespace {

// Smallest valid files of each format, 1 x 1 pixel.
const Bytes kTga = Tga(2, 1, 1, 24, {1, 2, 3});
const Bytes kGreyTga = Tga(3, 1, 1, 8, {9});
const Bytes kBmp = Bmp({1, 1}, {1, 2, 3, 0});
Material WithTexture(const std::string& name) {
  Material m;
  std::snprintf(m.textureName, sizeof m.textureName, "%s", name.c_str());
  return m;
}

std::string LoadTextureSaying(Material& m, int* result) {
  testing::internal::CaptureStdout();
  *result = m.LoadTexture();
  return testing::internal::GetCapturedStdout();
}

class Dispatch : public InTempDir {};

TEST_F(Dispatch, ExtensionTablePicksTheReader) {
  struct Case {
    const char* name;
    const Bytes* file;
    int kind;
    bool (*isReader)(CImageManager*);
  };
  auto bmp = [](CImageManager* i) { return dynamic_cast<CBMPManager*>(i) != nullptr; };
  auto jpeg = [](CImageManager* i) { return dynamic_cast<CJpegManager*>(i) != nullptr; };
  auto tga = [](CImageManager* i) { return dynamic_cast<CTgaManager*>(i) != nullptr; };
  auto png = [](CImageManager* i) { return dynamic_cast<CPngManager*>(i) != nullptr; };
  const Case cases[] = {{"a.bmp", &kBmp, 1, bmp},  {"a.BMP", &kBmp, 1, bmp},   {"photo.bmp.bmp", &kBmp, 1, bmp},
                        {"a.jpg", nullptr, 2, jpeg}, {"a.jpeg", nullptr, 2, jpeg}, {"a.JPG", nullptr, 2, jpeg},
                        {"a.JPEG", nullptr, 2, jpeg}, {"a.tga", &kTga, 2, tga},    {"a.TGA", &kTga, 2, tga},
                        {"a.png", nullptr, 2, png},   {"a.PNG", nullptr, 2, png}};
  for (const Case& c : cases) {
    if (c.file)
      WriteBytes(std::string("Texture/") + c.name, *c.file);
    else if (c.kind == 2 && c.isReader == jpeg)
      WriteJpeg(std::string("Texture/") + c.name, {1, 1, 1, JCS_GRAYSCALE}, {128});
    else
      WriteBytes(std::string("Texture/") + c.name, Png({1, 1, PNG_COLOR_TYPE_GRAY}, {5}));
    Material m = WithTexture(c.name);
    int result = 0;
    EXPECT_EQ(LoadTextureSaying(m, &result), "") << c.name;
    EXPECT_EQ(result, 1) << c.name;
    EXPECT_EQ(m.textureLoaded, 1);
    EXPECT_EQ(m.textureKind, c.kind) << c.name;
    EXPECT_TRUE(c.isReader(m.textureImage.get())) << c.name;
    EXPECT_EQ(m.textureImage->m_fileName, std::string("Texture/") + c.name);
  }
}

TEST_F(Dispatch, UnsupportedAndEmptyNamesChangeNothing) {
  for (const char* name : {"a.Jpg", "a.TGa", "bmp", "wall", "a.gif", ""}) {
    WriteBytes(std::string("Texture/x") + name, kTga);
    Material m = WithTexture(name);
    int result = 1;
    const std::string said = LoadTextureSaying(m, &result);
    EXPECT_EQ(said, *name ? std::string("This file type is not supported! ") + name + "\n" : "");
    EXPECT_EQ(result, 0);
    EXPECT_EQ(m.textureKind, 0);
    EXPECT_EQ(m.textureImage, nullptr);
  }
}

TEST_F(Dispatch, FailedLoadDropsTheReaderButKeepsTheKind) {
  WriteBytes("Texture/rle.tga", Tga(10, 1, 1, 24, {1, 2, 3}));
  const std::pair<const char*, const char*> cases[] = {{"gone.bmp", "Can't open file\n"},
                                                       {"gone.jpg", "Can't open jpeg file.\n"},
                                                       {"gone.png", "Can't open png file.\n"},
                                                       {"rle.tga", "Can't read tga file\n"}};
  for (const auto& [name, message] : cases) {
    Material m = WithTexture(name);
    int result = 1;
    EXPECT_EQ(LoadTextureSaying(m, &result), message);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(m.textureImage, nullptr);
    EXPECT_EQ(m.textureLoaded, 0);
    EXPECT_EQ(m.textureKind, name[5] == 'b' ? 1 : 2);
  }
}

// Read ahead on a thread of its own, a picture is decoded without a word, or
// not at all: one that LoadTexture would say anything about (not found, not
// readable, damaged enough for a warning) or end the program on gives
// nothing, and LoadTexture, reading it later, still says it all.
TEST_F(Dispatch, QuietDecodeSaysNothingAndTakesOnlyCleanPictures) {
  std::filesystem::create_directory("Texture");
  WriteJpeg("Texture/good.jpg", {2, 1, 3, JCS_RGB}, {10, 20, 30, 40, 50, 60});
  // Cut inside its scan: the library warns and still gives the picture.
  WriteJpeg("Texture/whole.jpg", {64, 40, 3, JCS_RGB}, Iota(64 * 40 * 3));
  const Bytes whole = ReadBytes("Texture/whole.jpg");
  WriteBytes("Texture/cut.jpg", Bytes(whole.begin(), whole.end() - 100));
  WriteBytes("Texture/text.jpg", {'h', 'e', 'l', 'l', 'o'});
  WriteBytes("Texture/rle.tga", Tga(10, 1, 1, 24, {1, 2, 3}));
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  int kind = 0;
  std::unique_ptr<CImageManager> good(DecodeTextureQuietly("good.jpg", kind));
  for (const char* name : {"cut.jpg", "text.jpg", "rle.tga", "gone.png", "picture.gif", ""}) {
    int unchanged = 7;
    EXPECT_EQ(DecodeTextureQuietly(name, unchanged), nullptr) << name;
    EXPECT_EQ(unchanged, 7) << name;
  }
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  ASSERT_NE(good, nullptr);
  EXPECT_EQ(kind, 2);
  Material m = WithTexture("good.jpg");
  ASSERT_EQ(m.LoadTexture(), 1);
  for (int x = 0; x < 2; ++x) {
    unsigned char quiet[3] = {}, loud[3] = {};
    ASSERT_EQ(good->GetPixel(x, 0, quiet), 1);
    ASSERT_EQ(m.textureImage->GetPixel(x, 0, loud), 1);
    EXPECT_EQ(std::vector<int>(quiet, quiet + 3), std::vector<int>(loud, loud + 3)) << x;
  }
  // The thread speaks again once its quiet ends.
  Material cut = WithTexture("cut.jpg");
  testing::internal::CaptureStderr();
  EXPECT_EQ(cut.LoadTexture(), 1);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("Premature end of JPEG file"), std::string::npos);
}

// A pipe without a writer used to block the viewer for good, and a folder
// named like a JPEG ended it with the library's message.
TEST_F(Dispatch, OnlyRegularFilesAreOpened) {
  std::filesystem::create_directory("Texture");
  ASSERT_EQ(mkfifo("Texture/pipe.tga", 0600), 0);
  ASSERT_EQ(mkdir("Texture/dir.jpg", 0700), 0);
  for (const auto& [name, message] : {std::pair{"pipe.tga", "Can't open file\n"}, {"dir.jpg", "Can't open jpeg file.\n"}}) {
    Material m = WithTexture(name);
    int result = 1;
    EXPECT_EQ(LoadTextureSaying(m, &result), message);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(m.textureImage, nullptr);
  }
}

TEST_F(Dispatch, PathTooLongFailsWithTheOpenMessage) {
  // 255 bytes of name make a 263-byte path, past the 259 there is room for.
  const std::string name = std::string(251, 'n') + ".bmp";
  WriteBytes(std::string(251, 'n') + ".bmp", kBmp);
  Material m = WithTexture(name);
  int result = 1;
  EXPECT_EQ(LoadTextureSaying(m, &result), "Can't open file\n");
  EXPECT_EQ(result, 0);
  EXPECT_EQ(m.textureKind, 1);
  EXPECT_EQ(m.textureImage, nullptr);
}

TEST_F(Dispatch, AlphaPlaneLeavesTheKindAlone) {
  WriteBytes("Texture/a.tga", kGreyTga);
  Material m;
  std::strcpy(m.alphaPlaneName, "a.tga");
  EXPECT_EQ(m.LoadAlphaPlane(), 1);
  EXPECT_EQ(m.alphaLoaded, 1);
  EXPECT_EQ(m.textureKind, 0);
  ASSERT_NE(m.alphaImage, nullptr);
  EXPECT_EQ(m.alphaImage->m_planeKind, 2);
  EXPECT_EQ(m.alphaImage->m_alphaRows[0][0], 9);

  std::strcpy(m.alphaPlaneName, "gone.tga");
  Material missing;
  std::strcpy(missing.alphaPlaneName, "gone.tga");
  testing::internal::CaptureStdout();
  EXPECT_EQ(missing.LoadAlphaPlane(), 0);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "Can't open file\n");
  EXPECT_EQ(missing.alphaImage, nullptr);
}

TEST_F(Dispatch, GetPixelStaysInsideThePicture) {
  WriteBytes("Texture/p.tga", Tga(2, 2, 1, 24, Iota(6)));
  Material m = WithTexture("p.tga");
  ASSERT_EQ(m.LoadTexture(), 1);
  ASSERT_EQ(m.LoadTexture(), 1);  // the leak checker catches a first image left behind
  unsigned char out[3] = {7, 7, 7};
  const CImageManager& image = *m.textureImage;
  EXPECT_EQ(image.GetPixel(1, 0, out), 1);
  EXPECT_EQ(Row(out, 3), (Bytes{6, 5, 4}));
  for (auto [x, y] : {std::pair{2, 0}, {0, 1}, {-1, 0}, {0, -1}}) {
    unsigned char keep[3] = {7, 7, 7};
    EXPECT_EQ(image.GetPixel(x, y, keep), 0);
    EXPECT_EQ(Row(keep, 3), (Bytes{7, 7, 7}));
  }
  CTgaManager grey;
  unsigned char keep[3] = {7, 7, 7};
  EXPECT_EQ(grey.GetPixel(0, 0, keep), 0);
}

// Memory that runs out while a texture is decoded is said as such, not as a
// file that could not be decoded. The address space is bounded in a child
// process, a little above what it already has, so that the picture's plane
// cannot be had.
TEST_F(Dispatch, TextureWithoutMemoryIsSaidToBeSo) {
  WriteBytes("Texture/big.tga", Tga(2, 1024, 1024, 24, Bytes(1024 * 1024 * 3, 7)));
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (!std::freopen("said.txt", "w", stderr)) _exit(2);
    std::ifstream status("/proc/self/status");
    std::string line;
    unsigned long long kib = 0;
    while (std::getline(status, line))
      if (line.rfind("VmSize:", 0) == 0) kib = std::stoull(line.substr(7));
    const rlimit bound{(kib << 10) + (1 << 20), (kib << 10) + (1 << 20)};
    if (kib == 0 || setrlimit(RLIMIT_AS, &bound) != 0) _exit(2);
    Material m = WithTexture("big.tga");
    const int loaded = m.LoadTexture();
    std::fflush(stderr);
    _exit(loaded);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  std::ifstream in("said.txt");
  std::stringstream said;
  said << in.rdbuf();
  EXPECT_NE(said.str().find("texture not read: out of memory for its 1024 x 1024 pixels"), std::string::npos) << said.str();
  EXPECT_EQ(said.str().find("could not be decoded"), std::string::npos) << said.str();
}

}  // namespace

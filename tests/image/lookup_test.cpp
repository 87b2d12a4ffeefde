#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "image/image_manager.h"
#include "image/texture_lookup.h"
#include "image_test_support.h"

namespace {

class Lookup : public InTempDir {
 protected:
  static void Touch(const std::string& path) { WriteBytes(path, Tga(3, 1, 1, 8, {42})); }
};

TEST_F(Lookup, NameAsWrittenInTheTextureFolderComesFirst) {
  Touch("Texture/a.tga");
  Touch("a.tga");
  EXPECT_EQ(FindTextureFile("a.tga"), "Texture/a.tga");
  EXPECT_EQ(FindTextureFile("b.tga"), "");
  EXPECT_EQ(FindTextureFile(""), "");
}

TEST_F(Lookup, WindowsNamesFindTheirFiles) {
  Touch("Texture/sub/in-folder.tga");
  Touch("beside.tga");
  Touch("Texture/Mixed/Case.TGA");
  Touch("lower/case.tga");
  Touch("check.png");
  Touch("shared/up.tga");
  EXPECT_EQ(FindTextureFile("sub\\in-folder.tga"), "Texture/sub/in-folder.tga");
  EXPECT_EQ(FindTextureFile("beside.tga"), "beside.tga");
  EXPECT_EQ(FindTextureFile("MIXED\\case.tga"), "Texture/Mixed/Case.TGA");
  EXPECT_EQ(FindTextureFile("TEXTURE/Mixed/CASE.tga"), "Texture/Mixed/Case.TGA");
  EXPECT_EQ(FindTextureFile("Lower\\Case.tga"), "lower/case.tga");
  EXPECT_EQ(FindTextureFile("C:\\Users\\someone\\img\\cube\\check.png"), "check.png");
  EXPECT_EQ(FindTextureFile("c:check.png"), "check.png");
  std::filesystem::create_directory("model");
  std::filesystem::current_path("model");
  EXPECT_EQ(FindTextureFile("..\\shared\\up.tga"), "../shared/up.tga");
}

TEST_F(Lookup, LastComponentPrefersTheTextureFolder) {
  Touch("Texture/check.png");
  Touch("check.png");
  EXPECT_EQ(FindTextureFile("D:\\models\\check.png"), "Texture/check.png");
}

TEST_F(Lookup, ArchiveEntriesComeFirstAndAreNeverLeft) {
  Touch("check.tga");
  Touch("outside.tga");
  // The entry a name refers to is read from the archive's stream, never
  // from a file.
  const Bytes picture = Tga(3, 1, 1, 8, {7});
  PackedTextures packed;
  packed.names = {"Texture/CHECK.TGA", "../outside.tga"};
  packed.archive = "/models/m.mqoz";
  packed.open = [&picture](const std::string&, std::string&) {
    return fmemopen(const_cast<unsigned char*>(picture.data()), picture.size(), "rb");
  };
  SetPackedTextures(packed);
  EXPECT_EQ(FindPackedTexture("C:\\img\\check.tga"), "Texture/CHECK.TGA");
  // No entry is taken by a name that leaves the archive's root, whatever
  // the archive calls its entries; only the model's own folder may be left.
  EXPECT_EQ(FindPackedTexture("..\\outside.tga"), "");
  EXPECT_EQ(FindTextureFile("..\\outside.tga"), "outside.tga");
  Material m;
  std::strcpy(m.textureName, "check.tga");
  EXPECT_EQ(m.LoadTexture(), 1);
  EXPECT_STREQ(m.textureImage->m_fileName, "/models/m.mqoz/Texture/CHECK.TGA");
  EXPECT_EQ(m.textureImage->m_alphaRows[0][0], 7);
  SetPackedTextures({});
  EXPECT_EQ(FindPackedTexture("check.tga"), "");
}

TEST_F(Lookup, DirectoriesAreNotTextures) {
  std::filesystem::create_directories("Texture/dir.tga");
  std::filesystem::create_directories("dir.tga");
  EXPECT_EQ(FindTextureFile("dir.tga"), "");
}

TEST_F(Lookup, ShiftJisNamesMatchTheirUtf8Files) {
  // U+8868 is 0x95 0x5C in CP932: its second byte is a backslash, which must
  // not split the name.
  const std::string sjisTable = "\x95\x5C";
  const std::string utf8Table = "\xE8\xA1\xA8";
  Touch(utf8Table + ".tga");
  EXPECT_EQ(FindTextureFile((sjisTable + ".tga").c_str()), utf8Table + ".tga");
  // Files unpacked without conversion keep their Shift-JIS bytes.
  Touch(sjisTable + "3.tga");
  EXPECT_EQ(FindTextureFile(("C:\\dir\\" + sjisTable + "3.tga").c_str()), sjisTable + "3.tga");
  // 0x83 0x41 and 0x83 0x61 are two different characters, not two cases of one.
  Touch("\x83\x61.tga");
  EXPECT_EQ(FindTextureFile("\x83\x41.tga"), "");
  // A Shift-JIS folder ("テクスチャ") with a Shift-JIS file inside.
  const std::string sjisFolder = "\x83\x65\x83\x4E\x83\x58\x83\x60\x83\x83";
  const std::string utf8Folder = "\xE3\x83\x86\xE3\x82\xAF\xE3\x82\xB9\xE3\x83\x81\xE3\x83\xA3";
  Touch(utf8Folder + "/" + utf8Table + "2.TGA");
  EXPECT_EQ(FindTextureFile((sjisFolder + "\\" + sjisTable + "2.tga").c_str()), utf8Folder + "/" + utf8Table + "2.TGA");
  // Names already in UTF-8 split at every backslash.
  Touch("Texture/" + utf8Folder + "/x.tga");
  EXPECT_EQ(FindTextureFile((utf8Folder + "\\x.tga").c_str()), "Texture/" + utf8Folder + "/x.tga");
}

TEST_F(Lookup, DispatchLoadsTheFoundFileAndReportsAMissingOneOnce) {
  Touch("check.tga");
  Material m;
  std::strcpy(m.textureName, "C:\\Users\\someone\\check.tga");
  EXPECT_EQ(m.LoadTexture(), 1);
  EXPECT_STREQ(m.textureImage->m_fileName, "check.tga");

  Material missing;
  std::strcpy(missing.textureName, "C:\\Users\\someone\\gone.tga");
  testing::internal::CaptureStdout();
  EXPECT_EQ(missing.LoadTexture(), 0);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "Can't open file\n");
}

}  // namespace

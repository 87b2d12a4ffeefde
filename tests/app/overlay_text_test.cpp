// The texts of the overlays and of --help without a window: the language
// the locale asks for, the one list of keys that --help, the README and the
// manual page give, and the information on a model from its counts.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "app/command_line.h"
#include "app/key_list.h"
#include "app/language.h"
#include "app/model_info.h"
#include "model/model_loading.h"

namespace {

std::string FileText(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

TEST(OverlayText, LanguageFollowsTheLocaleForMessages) {
  EXPECT_EQ(LanguageOf(nullptr, nullptr, nullptr), Language::kEnglish);
  EXPECT_EQ(LanguageOf(nullptr, nullptr, "ja_JP.UTF-8"), Language::kJapanese);
  EXPECT_EQ(LanguageOf(nullptr, "ja_JP.eucJP", "en_GB.UTF-8"), Language::kJapanese);
  // LC_ALL comes first, and one set but empty counts as not set.
  EXPECT_EQ(LanguageOf("C", "ja_JP.UTF-8", "ja_JP.UTF-8"), Language::kEnglish);
  EXPECT_EQ(LanguageOf("", "", "ja"), Language::kJapanese);
  EXPECT_EQ(LanguageOf("", "de_DE.UTF-8", "ja_JP.UTF-8"), Language::kEnglish);
}

// A key the viewer handles but a user cannot find is as good as missing.
TEST(OverlayText, EveryKeyIsInHelpReadmeAndManualPage) {
  const std::string help = UsageText();
  const std::string readme = FileText(SOURCE_DIR "/README.md");
  const std::string manual = FileText(SOURCE_DIR "/data/lumenspin.1.in");
  ASSERT_FALSE(readme.empty());
  ASSERT_FALSE(manual.empty());
  const std::string screenEnglish = KeyListForScreen(Language::kEnglish) + "\n";
  const std::string screenJapanese = KeyListForScreen(Language::kJapanese);
  for (const KeyListEntry& entry : ModelledKeys()) {
    const std::string keys = entry.keys, english = entry.english;
    const std::size_t at = help.find("\n  " + keys + "  ");
    EXPECT_TRUE(at != std::string::npos && help.substr(at, help.find('\n', at + 1) - at).ends_with(english))
        << keys << " is not in --help";
    EXPECT_NE(readme.find("| " + keys + " | " + english), std::string::npos) << keys << " is not in the README";
    EXPECT_NE(manual.find(".B \"" + keys + "\"\n" + english), std::string::npos) << keys << " is not in the manual";
    EXPECT_NE(screenEnglish.find(keys + "\t" + english + "\n"), std::string::npos) << keys;
    EXPECT_NE(screenJapanese.find(std::string("\t") + entry.japanese), std::string::npos) << keys;
  }
  EXPECT_TRUE(screenJapanese.starts_with("キー操作\n"));
}

TEST(OverlayText, InformationFromCounts) {
  ModelInfo info;
  info.name = "車.mqo";
  info.objects = 3;
  info.hiddenObjects = 1;
  info.faces = 1234567;
  info.vertices = 999;
  info.fileFaces = 1000;
  info.fileVertices = 1001;
  info.materials = 4;
  info.texturesFound = 2;
  info.texturesMissing = 1;
  EXPECT_EQ(ModelInfoText(info, Language::kEnglish),
            "車.mqo\nObjects\t3 (1 hidden)\nFaces\t1,234,567 drawn (1,000 in the file)\n"
            "Vertices\t999 drawn (1,001 in the file)\nMaterials\t4\nTextures\t2 found, 1 missing");
  const std::string japanese = ModelInfoText(info, Language::kJapanese);
  EXPECT_TRUE(japanese.starts_with("車.mqo\nオブジェクト\t3（非表示 1）\n面\t1,234,567")) << japanese;
}

// Materials sharing a picture count it once; a hidden object is counted
// among the objects and apart.
TEST(OverlayText, CountsOfTheModelShown) {
  const std::string path = ::testing::TempDir() + "overlay-info.mqo";
  FILE* f = std::fopen(path.c_str(), "w");
  ASSERT_NE(f, nullptr);
  std::fputs("Metasequoia Document\nFormat Text Ver 1.0\n\nMaterial 3 {\n"
             "\t\"a\" col(1 1 1 1) tex(\"wood.png\")\n\t\"b\" col(1 1 1 1) tex(\"wood.png\")\n"
             "\t\"c\" col(1 1 1 1) tex(\"stone.png\")\n}\n"
             "Object \"shown\" {\n\tvertex 3 {\n\t\t0 0 0\n\t\t1 0 0\n\t\t0 1 0\n\t}\n"
             "\tface 1 {\n\t\t3 V(0 1 2) M(0)\n\t}\n}\n"
             "Object \"hidden\" {\n\tvisible 0\n\tvertex 2 {\n\t\t0 0 0\n\t\t1 0 0\n\t}\n"
             "\tface 1 {\n\t\t2 V(0 1) M(2)\n\t}\n}\nEof\n",
             f);
  std::fclose(f);
  ASSERT_EQ(LoadModel(path.c_str()), 0);
  g_materialImages[1].textureLoaded = 1;  // wood.png, through its second material
  const ModelInfo info = ShownModelInfo();
  EXPECT_EQ(info.objects, 2);
  EXPECT_EQ(info.hiddenObjects, 1);
  EXPECT_EQ(info.fileFaces, 2);
  EXPECT_EQ(info.fileVertices, 5);
  EXPECT_EQ(info.materials, 3);
  EXPECT_EQ(info.texturesFound, 1);
  EXPECT_EQ(info.texturesMissing, 1);
  ReleaseModel();
  std::remove(path.c_str());
}

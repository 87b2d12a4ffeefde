#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "image/texture_lookup.h"
#include "image/texture_tree.h"
#include "image_test_support.h"

namespace {

namespace fs = std::filesystem;

// A mod's layout: the model in assets/mod/models/, its pictures in
// assets/mod/textures/<kind>/, an item icon of the same name beside them.
class TreeSearch : public InTempDir {
 protected:
  void SetUp() override {
    InTempDir::SetUp();
    for (const char* path : {"assets/mod/textures/items/speaker.png", "assets/mod/textures/machine/speaker.png",
                             "assets/mod/textures/train/322X00/322x00_F.PNG", "elsewhere/textures/train/322X00/322X00_f.png",
                             "elsewhere/textures/far.tga", "assets/mod/textures/block/sub/wood.tga"})
      Touch(path);
    fs::create_directories("assets/mod/models");
    fs::current_path("assets/mod/models");
  }
  void TearDown() override {
    SetTextureTreeSearch(false);
    ResetTextureTree();
    InTempDir::TearDown();
  }
  static void Touch(const std::string& path) {
    fs::create_directories(fs::path(path).parent_path());
    WriteBytes(path, Tga(3, 1, 1, 8, {42}));
  }
  std::string Under(const std::string& path) const { return (fs::canonical(dir_) / path).string(); }
};

TEST_F(TreeSearch, DefaultLookupFindsNothingNew) {
  EXPECT_EQ(FindTextureFile("wood.tga"), "");
  EXPECT_EQ(FindTextureInTree("wood.tga"), "");
}

TEST_F(TreeSearch, BareNameFoundUpAndDownTheTree) {
  SetTextureTreeSearch(true);
  EXPECT_EQ(FindTextureInTree("WOOD.tga"), Under("assets/mod/textures/block/sub/wood.tga"));
  EXPECT_EQ(FindTextureInTree("absent.png"), "");
}

TEST_F(TreeSearch, LongestTailChoosesBetweenNamesakes) {
  SetTextureTreeSearch(true);
  EXPECT_EQ(FindTextureInTree("machine\\speaker.png"), Under("assets/mod/textures/machine/speaker.png"));
  EXPECT_EQ(FindTextureInTree("../textures/Items/speaker.png"), Under("assets/mod/textures/items/speaker.png"));
}

TEST_F(TreeSearch, AbsoluteWindowsPathFindsItsTailNearestTheModel) {
  SetTextureTreeSearch(true);
  // Both copies end in train\322X00\; the one in the model's own mod is nearer.
  EXPECT_EQ(FindTextureInTree("C:\\Users\\a\\assets\\minecraft\\textures\\train\\322X00\\322X00_f.png"),
            Under("assets/mod/textures/train/322X00/322x00_F.PNG"));
}

TEST_F(TreeSearch, FolderLinksAreNotEnteredFileLinksAreFiles) {
  fs::create_directory_symlink(Under("elsewhere"), Under("assets/linked"));
  fs::create_symlink(Under("elsewhere/textures/far.tga"), Under("assets/mod/linked.png"));
  SetTextureTreeSearch(true);
  // Through the link the copy would share two folders with the name.
  EXPECT_EQ(FindTextureInTree("linked\\textures\\far.tga"), Under("elsewhere/textures/far.tga"));
  EXPECT_EQ(FindTextureInTree("linked.png"), Under("assets/mod/linked.png"));
}

}  // namespace

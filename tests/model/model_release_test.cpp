// Two models read in turn in one process, as the viewer does when it opens
// another file: the first one's reader, tables, images, textures and list
// are let go, and nothing of it shows in the second. Needs a display (Xvfb);
// the sanitizers catch what is freed twice or never.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "gl_feedback.h"
#include "model/textures_ahead.h"
#include "model_fixture.h"
#include "render/display_list.h"
#include "render/material_textures.h"

namespace {

// A document of `objects` objects with one triangle each, all of one
// material textured by `texture`.
std::string Document(int objects, const std::string& texture) {
  std::string text =
      "Metasequoia Document\r\nFormat Text Ver 1.0\r\n\r\nMaterial 1 {\r\n"
      "\t\"m\" col(1.000 1.000 1.000 1.000) dif(0.800) amb(0.600) emi(0.000) spc(0.000) power(5.00) tex(\"" +
      texture + "\")\r\n}\r\n";
  for (int i = 0; i < objects; ++i)
    text += "Object \"o" + std::to_string(i) +
            "\" {\r\n\tvertex 3 {\r\n\t\t0 0 0\r\n\t\t10 0 0\r\n\t\t0 10 0\r\n\t}\r\n"
            "\tface 1 {\r\n\t\t3 V(0 1 2) M(0) UV(0 0 1 0 0 1)\r\n\t}\r\n}\r\n";
  return text + "Eof\r\n";
}

// The one texel of material 0's texture.
std::vector<int> TextureColour() {
  unsigned char rgba[4] = {};
  glBindTexture(GL_TEXTURE_2D, g_textureIds[0]);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
  glBindTexture(GL_TEXTURE_2D, 0);
  return {rgba[0], rgba[1], rgba[2], rgba[3]};
}

TEST(ModelRelease, ASecondModelReplacesTheFirstWhole) {
  EnsureWindow();
  ResetModel();
  const std::string folder = EnterScratchFolder();
  ASSERT_TRUE(WriteBytes("Texture/red.tga", Tga(2, 1, 1, std::string("\xff\x00\x00", 3))));
  ASSERT_TRUE(WriteBytes("Texture/blue.tga", Tga(2, 1, 1, std::string("\x00\x00\xff", 3))));
  ASSERT_TRUE(WriteBytes("first.mqo", Document(3, "red.tga")));
  ASSERT_TRUE(WriteBytes("second.mqo", Document(1, "blue.tga")));

  // The first model shown, with its texture and list.
  ASSERT_EQ(LoadModel("first.mqo"), 0);
  StartTexturesAhead();
  LoadMaterialTextures();
  BuildDisplayList();
  EXPECT_EQ(g_objectCount, 3);
  EXPECT_EQ(TextureColour(), (std::vector<int>{255, 0, 0, 255}));
  EXPECT_EQ(RunListInFeedback().size(), 3u);

  ReleaseModelDrawing();
  ReleaseModel();
  EXPECT_EQ(g_loader, nullptr);
  EXPECT_EQ(g_objectCount + g_materialCount, 0);
  EXPECT_TRUE(g_objects[2].faces.empty());
  EXPECT_EQ(g_materialImages[0].textureImage, nullptr);
  EXPECT_EQ(g_textureIds[0], 0u);
  EXPECT_FALSE(glIsList(1));

  // Pictures decoded ahead for a model let go before its textures were made
  // are dropped with it, not given to the next one.
  ASSERT_EQ(LoadModel("first.mqo"), 0);
  StartTexturesAhead();
  ASSERT_EQ(LoadModel("second.mqo"), 0);  // releases the first itself
  LoadMaterialTextures();
  BuildDisplayList();
  EXPECT_EQ(g_objectCount, 1);
  EXPECT_STREQ(g_materials[0].textureName, "blue.tga");
  EXPECT_EQ(TextureColour(), (std::vector<int>{0, 0, 255, 255}));
  EXPECT_EQ(RunListInFeedback().size(), 1u);

  ReleaseModelDrawing();
  ResetModel();
  std::system(("rm -rf '" + folder + "'").c_str());
}

}  // namespace

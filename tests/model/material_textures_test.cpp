// Textures made from the materials' pictures, read back from OpenGL.
// Needs a display (Xvfb). The pictures are written into a scratch folder's
// Texture folder, where the image readers look for them.

#include "render/material_textures.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "render/display_list.h"
#include "model/textures_ahead.h"
#include "model_fixture.h"

namespace {

class MaterialTextures : public ::testing::Test {
 protected:
  void SetUp() override {
    EnsureWindow();
    ResetModel();
    folder_ = EnterScratchFolder();
  }
  void TearDown() override {
    ResetModel();
    std::system(("rm -rf '" + folder_ + "'").c_str());
  }
  void Picture(const std::string& name, const std::string& bytes) {
    ASSERT_TRUE(WriteBytes(folder_ + "/Texture/" + name, bytes));
  }
  // Runs the texture builder over the materials and returns what it printed.
  std::string Load(const std::vector<MaterialMQO>& materials) {
    DocumentMQO document;
    for (const MaterialMQO& m : materials) AddMaterial(document, m);
    InstallDocument(document);
    testing::internal::CaptureStdout();
    LoadMaterialTextures();
    std::fflush(stdout);
    return testing::internal::GetCapturedStdout();
  }

  std::string folder_;
};

struct Texture {
  int width = 0, height = 0;
  std::vector<unsigned char> rgba;
  std::vector<int> Texel(int row, int column) const {
    const unsigned char* p = &rgba[(row * width + column) * 4];
    return {p[0], p[1], p[2], p[3]};
  }
};

Texture ReadBack(GLuint name) {
  Texture t;
  glBindTexture(GL_TEXTURE_2D, name);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &t.width);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &t.height);
  t.rgba.resize(static_cast<size_t>(t.width) * t.height * 4);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, t.rgba.data());
  glBindTexture(GL_TEXTURE_2D, 0);
  return t;
}

// The 2 x 2 picture P: P(0,0) red, P(1,0) green, P(0,1) blue, P(1,1) grey.
const std::string kSquare("\xff\x00\x00" "\x00\xff\x00" "\x00\x00\xff" "\x80\x80\x80", 12);

TEST_F(MaterialTextures, SquarePictureUploadsTransposed) {
  Picture("square.tga", Tga(2, 2, 2, kSquare));
  EXPECT_EQ(Load({NamedMaterial("a", "square.tga")}), "");
  ASSERT_NE(g_textureIds[0], 0u);
  EXPECT_EQ(g_materialImages[0].textureLoaded, 1);
  const Texture t = ReadBack(g_textureIds[0]);
  ASSERT_EQ(t.width, 2);
  ASSERT_EQ(t.height, 2);
  EXPECT_EQ(t.Texel(0, 0), (std::vector<int>{255, 0, 0, 255}));      // P(0, 0)
  EXPECT_EQ(t.Texel(0, 1), (std::vector<int>{0, 0, 255, 255}));      // P(0, 1)
  EXPECT_EQ(t.Texel(1, 0), (std::vector<int>{0, 255, 0, 255}));      // P(1, 0)
  EXPECT_EQ(t.Texel(1, 1), (std::vector<int>{128, 128, 128, 255}));  // P(1, 1)

  // Sampling state of the texture object and what the builder leaves behind.
  glBindTexture(GL_TEXTURE_2D, g_textureIds[0]);
  GLint value = 0;
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &value);
  EXPECT_EQ(value, GL_REPEAT);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &value);
  EXPECT_EQ(value, GL_REPEAT);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &value);
  EXPECT_EQ(value, GL_LINEAR);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &value);
  EXPECT_EQ(value, GL_LINEAR);
  glBindTexture(GL_TEXTURE_2D, 0);
  glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &value);
  EXPECT_EQ(value, GL_MODULATE);
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &value);
  EXPECT_EQ(value, 1);
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
}

TEST_F(MaterialTextures, GreyAlphaPlaneGivesTheAlphaBytesTransposed) {
  Picture("square.tga", Tga(2, 2, 2, kSquare));
  Picture("alpha.tga", Tga(3, 2, 2, std::string("\x10\x20\x30\x40", 4)));  // A(0,0) A(1,0) / A(0,1) A(1,1)
  Load({NamedMaterial("a", "square.tga", "alpha.tga")});
  EXPECT_EQ(g_materialImages[0].alphaLoaded, 1);
  const Texture t = ReadBack(g_textureIds[0]);
  EXPECT_EQ(t.Texel(0, 0)[3], 0x10);
  EXPECT_EQ(t.Texel(0, 1)[3], 0x30);
  EXPECT_EQ(t.Texel(1, 0)[3], 0x20);
  EXPECT_EQ(t.Texel(1, 1)[3], 0x40);
}

TEST_F(MaterialTextures, WidePictureGivesATallTexture) {
  // 3 wide, 2 high; red holds the column, green the row.
  std::string pixels;
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) pixels += {static_cast<char>(x * 100), static_cast<char>(y * 100), '\x07'};
  Picture("wide.bmp.tga", Tga(2, 3, 2, pixels));
  Load({NamedMaterial("a", "wide.bmp.tga")});
  const Texture t = ReadBack(g_textureIds[0]);
  ASSERT_EQ(t.width, 2);
  ASSERT_EQ(t.height, 3);
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 2; ++c) EXPECT_EQ(t.Texel(r, c), (std::vector<int>{r * 100, c * 100, 7, 255}));
}

TEST_F(MaterialTextures, EveryTexturedMaterialGetsItsOwnTextureObject) {
  Picture("square.tga", Tga(2, 2, 2, kSquare));
  const std::string printed =
      Load({NamedMaterial("a", "square.tga"), NamedMaterial("plain"), NamedMaterial("b", "square.tga"),
            NamedMaterial("missing", "nowhere.tga"), NamedMaterial("alpha only", "", "square.tga"),
            NamedMaterial("odd", "picture.gif")});
  EXPECT_NE(g_textureIds[0], 0u);
  EXPECT_NE(g_textureIds[2], 0u);
  EXPECT_NE(g_textureIds[0], g_textureIds[2]);
  EXPECT_EQ(ReadBack(g_textureIds[2]).Texel(0, 1), (std::vector<int>{0, 0, 255, 255}));
  for (int i : {1, 3, 4, 5}) {
    EXPECT_EQ(g_textureIds[i], 0u) << i;
    EXPECT_EQ(g_materialImages[i].textureLoaded, 0) << i;
  }
  EXPECT_EQ(g_materialImages[4].alphaLoaded, 0);  // never loaded without a texture
  EXPECT_EQ(g_materialImages[4].alphaImage, nullptr);
  EXPECT_NE(printed.find("This file type is not supported! picture.gif\n"), std::string::npos) << printed;

  // The list draws the missing texture's faces untextured: nothing is bound.
  ObjectMQO object;
  object.AddVertex({0, 0, 0, 0});
  object.AddVertex({1, 0, 0, 0});
  object.AddVertex({0, 1, 0, 0});
  object.AddFace(Face({0, 1, 2}, 3));
  g_objects[0] = object;
  g_objectCount = 1;
  glBindTexture(GL_TEXTURE_2D, 0);
  BuildDisplayList();
  glCallList(1);
  GLint bound = -1;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(bound, 0);
}

// Decoded ahead on a thread while the window opens, or read in place, the
// materials get the same textures, and the same words are said about them,
// when LoadMaterialTextures runs and not before.
TEST_F(MaterialTextures, DecodedAheadAsReadInPlace) {
  Picture("square.tga", Tga(2, 2, 2, kSquare));
  Picture("cut.tga", Tga(2, 2, 2, kSquare).substr(0, 24));  // ends inside its pixels
  // 32 bits: its own alpha (opaque red, clear green) goes into the texels.
  std::string leaf(18, '\0');
  leaf[2] = 2, leaf[12] = 2, leaf[14] = 1, leaf[16] = 32, leaf[17] = 8;
  Picture("leaf.tga", leaf + std::string("\x00\x00\xff\xff" "\x00\xff\x00\x00", 8));
  const std::vector<MaterialMQO> materials = {
      NamedMaterial("a", "square.tga"),     NamedMaterial("missing", "nowhere.tga"), NamedMaterial("plain"),
      NamedMaterial("damaged", "cut.tga"),  NamedMaterial("odd", "picture.gif"),     NamedMaterial("b", "square.tga"),
      NamedMaterial("leaf", "leaf.tga"),    NamedMaterial("planed", "square.tga", "leaf.tga")};
  struct Outcome {
    std::string said;
    std::vector<std::vector<unsigned char>> texels;
    std::vector<int> loaded, kinds;
    bool operator==(const Outcome&) const = default;
  };
  const auto run = [&](bool ahead) {
    DocumentMQO document;
    for (const MaterialMQO& m : materials) AddMaterial(document, m);
    InstallDocument(document);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    if (ahead) StartTexturesAhead();
    Outcome o;
    o.said = testing::internal::GetCapturedStdout() + testing::internal::GetCapturedStderr();
    EXPECT_EQ(o.said, "") << "said before LoadMaterialTextures";
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    LoadMaterialTextures();
    std::fflush(stdout);
    o.said = testing::internal::GetCapturedStdout() + testing::internal::GetCapturedStderr();
    for (size_t i = 0; i < materials.size(); ++i) {
      o.texels.push_back(g_textureIds[i] ? ReadBack(g_textureIds[i]).rgba : std::vector<unsigned char>{});
      o.loaded.push_back(g_materialImages[i].textureLoaded);
      o.kinds.push_back(g_materialImages[i].textureKind);
    }
    return o;
  };
  const Outcome inPlace = run(false);
  const Outcome ahead = run(true);
  EXPECT_EQ(ahead.said, inPlace.said);
  EXPECT_NE(inPlace.said.find("nowhere.tga"), std::string::npos) << inPlace.said;
  EXPECT_NE(inPlace.said.find("Can't read tga file"), std::string::npos) << inPlace.said;
  EXPECT_TRUE(ahead == inPlace);
  EXPECT_EQ(ahead.loaded, (std::vector<int>{1, 0, 0, 0, 0, 1, 1, 1}));
}

TEST_F(MaterialTextures, OnlyTheFirst256MaterialsAreLookedAt) {
  Picture("square.tga", Tga(2, 2, 2, kSquare));
  std::vector<MaterialMQO> materials(300, NamedMaterial("m"));
  materials[0] = NamedMaterial("first", "square.tga");
  materials[255] = NamedMaterial("last", "square.tga");
  materials[299] = NamedMaterial("beyond", "square.tga");
  EXPECT_EQ(Load(materials), "This program can't load over 256 materials\n");
  EXPECT_NE(g_textureIds[0], 0u);
  EXPECT_NE(g_textureIds[255], 0u);
  for (int i = 1; i < 255; ++i) ASSERT_EQ(g_textureIds[i], 0u) << i;
}

TEST_F(MaterialTextures, NoMaterialsNoTextures) {
  EXPECT_EQ(Load({}), "");
  for (unsigned int id : g_textureIds) ASSERT_EQ(id, 0u);
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));

  ResetModel();  // and no reader at all
  LoadMaterialTextures();
  for (unsigned int id : g_textureIds) ASSERT_EQ(id, 0u);
}

TEST_F(MaterialTextures, TextureWithItsOwnAlphaChannelCutsOutLikeAnAlphaPlane) {
  // A 32-bit TGA, 2 x 1: an opaque red pixel and a clear green one.
  std::string tga(18, '\0');
  tga[2] = 2;
  tga[12] = 2;
  tga[14] = 1;
  tga[16] = 32;
  tga[17] = 8;  // eight alpha bits, rows bottom-up
  tga += std::string("\x00\x00\xff\xff" "\x00\xff\x00\x00", 8);  // blue, green, red, alpha
  Picture("leaf.tga", tga);
  Load({NamedMaterial("leaf", "leaf.tga")});
  const Texture t = ReadBack(g_textureIds[0]);
  ASSERT_EQ(t.height, 2);
  EXPECT_EQ(t.Texel(0, 0), (std::vector<int>{255, 0, 0, 255}));
  EXPECT_EQ(t.Texel(1, 0), (std::vector<int>{0, 255, 0, 0}));

  // Such a material turns the alpha test on around its faces.
  ObjectMQO object;
  for (int k = 0; k < 3; ++k) object.AddVertex({static_cast<float>(k), static_cast<float>(k * k), 0, 0});
  object.AddFace(Face({0, 1, 2}, 0));
  g_objects[0] = object;
  g_objectCount = 1;
  BuildDisplayList();
  glAlphaFunc(GL_ALWAYS, 0);
  glCallList(1);
  GLint function = 0;
  glGetIntegerv(GL_ALPHA_TEST_FUNC, &function);
  EXPECT_EQ(function, GL_GREATER);
}

TEST_F(MaterialTextures, AlphaPlaneThatDoesNotLoadLeavesTheTextureOpaque) {
  Picture("square.tga", Tga(2, 2, 2, kSquare));
  Picture("colour.tga", Tga(2, 1, 1, std::string("\x01\x02\x03", 3)));  // no single-channel plane
  const std::string printed = Load({NamedMaterial("a", "square.tga", "gone.tga"), NamedMaterial("b", "square.tga", "colour.tga")});
  EXPECT_EQ(g_materialImages[0].alphaLoaded, 0);
  EXPECT_EQ(g_materialImages[1].alphaLoaded, 1);
  for (int i : {0, 1}) {
    const Texture t = ReadBack(g_textureIds[i]);
    for (size_t k = 3; k < t.rgba.size(); k += 4) EXPECT_EQ(t.rgba[k], 255) << i;
  }
  EXPECT_FALSE(printed.empty());  // the reader said why gone.tga failed
}

}  // namespace

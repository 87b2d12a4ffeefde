// Display list 1 as OpenGL sees it: polygons in feedback mode, the material
// state it leaves, the alpha test around it. Needs a display (Xvfb).

#include "render/display_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <utility>

#include "gl_feedback.h"
#include "model_fixture.h"

namespace {

class DisplayList : public ::testing::Test {
 protected:
  void SetUp() override {
    EnsureWindow();
    ResetModel();
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
  }
  void TearDown() override { ResetModel(); }
};

ObjectMQO Square(float half, std::initializer_list<FaceMQO> faces) {
  ObjectMQO object;
  object.AddVertex({-half, -half, 0, 0});
  object.AddVertex({half, -half, 0, 0});
  object.AddVertex({half, half, 0, 0});
  object.AddVertex({-half, half, 0, 0});
  for (const FaceMQO& face : faces) object.AddFace(face);
  return object;
}

// The distinct corner positions of the polygons, in model coordinates.
std::set<std::pair<int, int>> Corners(const std::vector<FeedbackPolygon>& polygons) {
  std::set<std::pair<int, int>> corners;
  for (const FeedbackPolygon& polygon : polygons)
    for (const FeedbackVertex& v : polygon)
      corners.insert({static_cast<int>(std::lround(v.x - 32)), static_cast<int>(std::lround(v.y - 32))});
  return corners;
}

double Area(const FeedbackPolygon& polygon) {
  double twice = 0;
  for (size_t k = 0; k < polygon.size(); ++k) {
    const FeedbackVertex& a = polygon[k];
    const FeedbackVertex& b = polygon[(k + 1) % polygon.size()];
    twice += a.x * b.y - b.x * a.y;
  }
  return std::fabs(twice) / 2;
}

// Triangles of non-zero area: Mesa reports polygons of fewer than three
// corners as degenerate triangles, which draw nothing.
int Triangles(const std::vector<FeedbackPolygon>& polygons) {
  int triangles = 0;
  for (const FeedbackPolygon& polygon : polygons)
    if (Area(polygon) > 1e-3) triangles += std::max(0, static_cast<int>(polygon.size()) - 2);
  return triangles;
}

std::vector<float> MaterialValue(GLenum face, GLenum parameter) {
  std::vector<float> value(4, -1.0f);
  glGetMaterialfv(face, parameter, value.data());
  return value;
}

GLuint MakeTexture() {
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  const unsigned char white[4] = {255, 255, 255, 255};
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, white);
  glBindTexture(GL_TEXTURE_2D, 0);
  return name;
}

TEST_F(DisplayList, TexturedFaceBindsItsTextureAndSendsItsCoordinatesSwapped) {
  FaceMQO face = Face({0, 1, 2, 3}, 2);
  const float uv[4][2] = {{0.25f, 0.75f}, {1, 0.5f}, {0.125f, 0}, {0, 1}};
  std::copy(&uv[0][0], &uv[0][0] + 8, &face.uv[0][0]);
  ObjectMQO object = Square(10, {face});
  object.scale[0] = object.scale[1] = object.scale[2] = 3;  // never applied
  object.translation[0] = 7;
  DocumentMQO document;
  AddObject(document, object);
  for (int i = 0; i < 3; ++i) AddMaterial(document, NamedMaterial("m"));
  InstallDocument(document);
  g_materialImages[2].textureLoaded = 1;
  g_textureIds[2] = MakeTexture();

  BuildDisplayList();
  const std::vector<FeedbackPolygon> polygons = RunListInFeedback();
  ASSERT_EQ(Triangles(polygons), 2);
  EXPECT_EQ(Corners(polygons), (std::set<std::pair<int, int>>{{-10, -10}, {10, -10}, {10, 10}, {-10, 10}}));
  // s is the corner's v, t its u.
  for (const FeedbackPolygon& polygon : polygons)
    for (const FeedbackVertex& v : polygon) {
      const int corner = v.x < 32 ? (v.y < 32 ? 0 : 3) : (v.y < 32 ? 1 : 2);
      EXPECT_FLOAT_EQ(v.s, uv[corner][1]) << "corner " << corner;
      EXPECT_FLOAT_EQ(v.t, uv[corner][0]) << "corner " << corner;
    }

  glCallList(1);
  GLint bound = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(static_cast<GLuint>(bound), g_textureIds[2]);
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
}

TEST_F(DisplayList, MaterialColoursAreTheColourScaledByEachFactor) {
  MaterialMQO m = NamedMaterial("orange");
  const float colour[4] = {1, 0.5f, 0, 1};
  std::copy(colour, colour + 4, m.color);
  m.diffuse = 0.8f;
  m.ambient = 0.5f;
  m.specular = 0.25f;
  m.emissive = 0.1f;
  m.power = 12;
  DocumentMQO document;
  AddMaterial(document, m);
  AddObject(document, Square(10, {Face({0, 1, 2}, 0)}));
  InstallDocument(document);

  BuildDisplayList();
  glCallList(1);
  for (GLenum side : {GL_FRONT, GL_BACK}) {
    EXPECT_EQ(MaterialValue(side, GL_DIFFUSE), (std::vector<float>{0.8f, 0.4f, 0, 0.8f}));
    EXPECT_EQ(MaterialValue(side, GL_AMBIENT), (std::vector<float>{0.5f, 0.25f, 0, 0.5f}));
    EXPECT_EQ(MaterialValue(side, GL_SPECULAR), (std::vector<float>{0.25f, 0.125f, 0, 0.25f}));
    EXPECT_EQ(MaterialValue(side, GL_EMISSION), (std::vector<float>{0.1f, 0.05f, 0, 0.1f}));
    EXPECT_FLOAT_EQ(MaterialValue(side, GL_SHININESS)[0], 12);
  }
}

TEST_F(DisplayList, FacesWithoutUsableMaterialGetThePlainConstantsEveryTime) {
  // Material 280 lies past the 256-slot table: drawn as a face without material.
  DocumentMQO document;
  for (int i = 0; i < 300; ++i) {
    MaterialMQO m = NamedMaterial("m");
    m.color[0] = m.color[1] = m.color[2] = m.color[3] = 1;
    m.diffuse = 0.5f;
    m.power = 20;
    AddMaterial(document, m);
  }
  AddObject(document, Square(10, {Face({0, 1, 2}, 0), Face({0, 2, 3}, -1), Face({0, 1, 3}, 1), Face({1, 2, 3}, 280)}));
  InstallDocument(document);

  BuildDisplayList();
  EXPECT_EQ(Triangles(RunListInFeedback()), 4);
  glCallList(1);
  EXPECT_EQ(MaterialValue(GL_FRONT, GL_AMBIENT), (std::vector<float>{51.0f, 51.0f, 51.0f, 51.0f}));
  EXPECT_EQ(MaterialValue(GL_FRONT, GL_DIFFUSE), (std::vector<float>{76.5f, 76.5f, 76.5f, 76.5f}));
  EXPECT_EQ(MaterialValue(GL_BACK, GL_SPECULAR), (std::vector<float>{63.75f, 63.75f, 63.75f, 63.75f}));
  EXPECT_EQ(MaterialValue(GL_BACK, GL_EMISSION), (std::vector<float>{0, 0, 0, 0}));
  EXPECT_FLOAT_EQ(MaterialValue(GL_FRONT, GL_SHININESS)[0], 5.0f);

  // The same material twice in a row is set again for the second face.
  g_objects[0].faces.Mutable(3).material = 0;
  BuildDisplayList();
  glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 99);
  glCallList(1);
  EXPECT_EQ(MaterialValue(GL_FRONT, GL_DIFFUSE), (std::vector<float>{0.5f, 0.5f, 0.5f, 0.5f}));
  EXPECT_FLOAT_EQ(MaterialValue(GL_FRONT, GL_SHININESS)[0], 20);
}

TEST_F(DisplayList, FaceNamingAVertexItsObjectLacksIsLeftOutWhole) {
  MaterialMQO red = NamedMaterial("red");
  red.color[0] = red.color[3] = 1;
  red.diffuse = 1;
  DocumentMQO document;
  AddMaterial(document, red);
  AddObject(document, Square(10, {Face({0, 1, 2}, 0), Face({0, 1, 4}, -1), Face({-1, 2, 3}, -1),
                                  Face({0, 2, 3, 2000000000}, -1)}));
  InstallDocument(document);

  BuildDisplayList();
  const std::vector<FeedbackPolygon> polygons = RunListInFeedback();
  EXPECT_EQ(Triangles(polygons), 1);
  EXPECT_EQ(Corners(polygons), (std::set<std::pair<int, int>>{{-10, -10}, {10, -10}, {10, 10}}));
  // The faces left out set no material either.
  glCallList(1);
  EXPECT_EQ(MaterialValue(GL_FRONT, GL_DIFFUSE), (std::vector<float>{1, 0, 0, 1}));
}

TEST_F(DisplayList, CornerCountNeverReachesPastFourCorners) {
  ObjectMQO object = Square(10, {});
  object.AddVertex({0, 30, 0, 0});
  FaceMQO face = Face({0, 1, 2, 3});
  face.numVertices = 9;  // not something the reader makes, but never read past the arrays
  object.AddFace(face);
  DocumentMQO document;
  AddObject(document, object);
  InstallDocument(document);

  BuildDisplayList();
  const std::vector<FeedbackPolygon> polygons = RunListInFeedback();
  EXPECT_EQ(Triangles(polygons), 2);
  EXPECT_EQ(Corners(polygons).count({0, 30}), 0u);
}

TEST_F(DisplayList, FiveCornerFaceFromAFileDrawsItsFirstFourCorners) {
  char path[] = "/tmp/five-corners-XXXXXX";
  const int fd = mkstemp(path);
  ASSERT_GE(fd, 0);
  close(fd);
  ASSERT_TRUE(WriteBytes(path,
                         "Metasequoia Document\r\nFormat Text Ver 1.0\r\n"
                         "Object \"five\" {\r\n\tvertex 5 {\r\n\t\t-10 -10 0\r\n\t\t10 -10 0\r\n"
                         "\t\t10 10 0\r\n\t\t-10 10 0\r\n\t\t0 30 0\r\n\t}\r\n"
                         "\tface 1 {\r\n\t\t5 V(0 1 2 3 4)\r\n\t}\r\n}\r\n"));
  testing::internal::CaptureStdout();
  ASSERT_EQ(LoadModel(path), 0);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  std::remove(path);

  BuildDisplayList();
  const std::vector<FeedbackPolygon> polygons = RunListInFeedback();
  EXPECT_EQ(Triangles(polygons), 2);
  EXPECT_EQ(Corners(polygons), (std::set<std::pair<int, int>>{{-10, -10}, {10, -10}, {10, 10}, {-10, 10}}));
}

TEST_F(DisplayList, ShortFacesAndEmptySlotsDrawNothing) {
  DocumentMQO document;
  AddObject(document, Square(10, {Face({}), Face({0}), Face({0, 1})}));
  AddObject(document, Square(10, {Face({0, 1, 2})}));
  AddObject(document, Square(10, {Face({0, 1, 2})}));
  InstallDocument(document);
  BuildDisplayList();
  EXPECT_EQ(Triangles(RunListInFeedback()), 2);

  // After a reader error the document reports objects but the slots are empty.
  InstallDocument(document, /*fillTables=*/false);
  BuildDisplayList();
  ASSERT_TRUE(glIsList(1));
  EXPECT_TRUE(RunListInFeedback().empty());

  ResetModel();  // no reader at all
  BuildDisplayList();
  EXPECT_TRUE(RunListInFeedback().empty());
}

// Faces of one material in a row set it once, so that the list keeps them
// in one draw; each face still shows its own material, also one whose
// material comes back after another's.
TEST_F(DisplayList, RunsOfOneMaterialKeepEachFacesColour) {
  DocumentMQO document;
  for (int channel : {0, 1}) {
    MaterialMQO m = NamedMaterial(channel == 0 ? "red" : "green");
    m.color[channel] = m.color[3] = 1;
    m.ambient = m.diffuse = m.specular = 0;
    m.emissive = 1;  // lit, the face shows the colour alone
    AddMaterial(document, m);
  }
  AddObject(document, Square(10, {Face({0, 1, 2}, 0), Face({0, 2, 3}, 0), Face({0, 1, 3}, 1), Face({1, 2, 3}, 0)}));
  InstallDocument(document);

  BuildDisplayList();
  glEnable(GL_LIGHTING);
  const std::vector<FeedbackPolygon> polygons = RunListInFeedback();
  glDisable(GL_LIGHTING);
  ASSERT_EQ(polygons.size(), 4u);
  const int expectedGreen[] = {0, 0, 1, 0};
  for (size_t i = 0; i < polygons.size(); ++i) {
    EXPECT_FLOAT_EQ(polygons[i][0].colour[0], 1.0f - expectedGreen[i]) << i;
    EXPECT_FLOAT_EQ(polygons[i][0].colour[1], static_cast<float>(expectedGreen[i])) << i;
  }
}

TEST_F(DisplayList, FacesOfFewerThanThreeCornersStillSetTheirMaterial) {
  MaterialMQO red = NamedMaterial("red"), green = NamedMaterial("green");
  red.color[0] = red.color[3] = green.color[1] = green.color[3] = 1;
  red.diffuse = green.diffuse = 1;
  DocumentMQO document;
  AddMaterial(document, red);
  AddMaterial(document, NamedMaterial("textured", "t.tga"));
  AddMaterial(document, green);
  AddObject(document, Square(10, {Face({0, 1, 2}, 0), Face({0, 1}, 1), Face({}, 2)}));
  InstallDocument(document);
  g_materialImages[1].textureLoaded = 1;
  g_textureIds[1] = MakeTexture();

  BuildDisplayList();
  glBindTexture(GL_TEXTURE_2D, 0);
  glCallList(1);
  GLint bound = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(static_cast<GLuint>(bound), g_textureIds[1]);
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
  EXPECT_EQ(MaterialValue(GL_FRONT, GL_DIFFUSE), (std::vector<float>{0, 1, 0, 1}));
}

// Draws list 1 lit over a cleared depth buffer and tells which of the given
// window columns of the middle row it drew.
std::vector<bool> DrawnAlongMiddleRow(std::initializer_list<int> columns) {
  SetFeedbackProjection();
  glClearDepth(1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glEnable(GL_DEPTH_TEST);
  glEnable(GL_LIGHTING);
  glEnable(GL_LIGHT0);
  glCallList(1);
  glDisable(GL_LIGHTING);
  glDisable(GL_DEPTH_TEST);
  glFinish();
  std::vector<bool> drawn;
  for (int x : columns) {
    float depth = 1;
    glReadPixels(x, 32, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
    drawn.push_back(depth < 1);
  }
  return drawn;
}

// Three squares side by side: a dark material, an emissive textured one and
// an emissive one whose alpha plane is just below one half on its left and
// above it on its right. Only that plane cuts, and only where it is <= 0.5.
TEST_F(DisplayList, AlphaTestCutsOnlyWhereAnAlphaPlaneIsAtMostOneHalf) {
  MaterialMQO dark = NamedMaterial("dark"), glow = NamedMaterial("glow", "t.tga"),
              cut = NamedMaterial("cut", "c.tga", "a.tga");
  for (MaterialMQO* m : {&dark, &glow, &cut}) std::fill(m->color, m->color + 4, 1.0f);
  dark.diffuse = 0.3f;
  glow.emissive = cut.emissive = 1;
  DocumentMQO document;
  AddMaterial(document, dark);
  AddMaterial(document, glow);
  AddMaterial(document, cut);
  ObjectMQO object;
  for (int square = 0; square < 3; ++square) {
    const float left = -30 + 20 * square;
    for (float x : {left, left + 18})
      for (float y : {-8.0f, 8.0f}) object.AddVertex({x, y, 0, 0});
    const int first = 4 * square;
    FaceMQO face = Face({first, first + 2, first + 3, first + 1}, square);
    face.uv[1][1] = face.uv[2][1] = 1;  // s runs across the square
    object.AddFace(face);
  }
  AddObject(document, object);
  InstallDocument(document);
  g_materialImages[1].textureLoaded = g_materialImages[2].textureLoaded = g_materialImages[2].alphaLoaded = 1;
  g_textureIds[1] = MakeTexture();
  glGenTextures(1, &g_textureIds[2]);
  glBindTexture(GL_TEXTURE_2D, g_textureIds[2]);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  const unsigned char texels[8] = {255, 255, 255, 127, 255, 255, 255, 129};
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 2, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels);
  glBindTexture(GL_TEXTURE_2D, 0);

  BuildDisplayList();
  // Window columns: the dark square, the glowing one, the plane's two halves.
  EXPECT_EQ(DrawnAlongMiddleRow({11, 31, 46, 58}), (std::vector<bool>{true, true, false, true}));
  // The list turns the test off again behind itself.
  EXPECT_FALSE(glIsEnabled(GL_ALPHA_TEST));
  GLint function = 0;
  GLfloat reference = 0;
  glGetIntegerv(GL_ALPHA_TEST_FUNC, &function);
  glGetFloatv(GL_ALPHA_TEST_REF, &reference);
  EXPECT_EQ(function, GL_GREATER);
  EXPECT_FLOAT_EQ(reference, 0.5f);

  // Compiling the list leaves the current state as it was.
  glAlphaFunc(GL_ALWAYS, 0);
  BuildDisplayList();
  glGetIntegerv(GL_ALPHA_TEST_FUNC, &function);
  EXPECT_EQ(function, GL_ALWAYS);
}

}  // namespace

// A concave face of many corners in a Ver 1.1 document, read with newer
// formats on, draws exactly the pixels of the same outline made of quads in
// a Ver 1.0 document. Needs a display (Xvfb).

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "model/display_list.h"
#include "model_fixture.h"

namespace {

constexpr int kSize = 128;

using Points = std::vector<std::pair<double, double>>;

// A document of one object with the given vertices and face lines. The
// corners sit a quarter pixel off the pixel grid, so that no pixel centre
// lies on an edge and the pictures depend on the covered area alone.
std::string Document(const char* version, const Points& points, const std::string& faces) {
  std::string text = std::string("Metasequoia Document\nFormat Text Ver ") + version + "\nObject \"o\" {\n vertex " +
                     std::to_string(points.size()) + " {\n";
  for (auto [x, y] : points) text += std::to_string(x * 6 - 24.125) + " " + std::to_string(y * 6 - 24.125) + " 0\n";
  return text + " }\n face 1 {\n" + faces + " }\n}\n";
}

std::string FaceLine(std::initializer_list<int> corners) {
  std::string line = std::to_string(corners.size()) + " V(";
  for (int i : corners) line += std::to_string(i) + " ";
  return line + ")\n";
}

// Which pixels the model covers, drawn flat in white on black.
std::vector<bool> Drawn(const std::string& text) {
  ResetModel();
  FILE* fp = std::tmpfile();
  std::fwrite(text.data(), 1, text.size(), fp);
  std::rewind(fp);
  g_newerFormats = true;
  testing::internal::CaptureStdout();
  const int result = LoadModelFromStream(fp);
  testing::internal::GetCapturedStdout();
  g_newerFormats = false;
  std::fclose(fp);
  EXPECT_EQ(result, 0);
  BuildDisplayList();
  glViewport(0, 0, kSize, kSize);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(-32, 32, -32, 32, -100, 100);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glDisable(GL_LIGHTING);
  glDisable(GL_DEPTH_TEST);
  glColor3f(1, 1, 1);
  glClearColor(0, 0, 0, 0);
  glClear(GL_COLOR_BUFFER_BIT);
  glCallList(1);
  glFinish();
  std::vector<unsigned char> red(kSize * kSize);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, kSize, kSize, GL_RED, GL_UNSIGNED_BYTE, red.data());
  std::vector<bool> mask(red.size());
  for (std::size_t i = 0; i < red.size(); ++i) mask[i] = red[i] > 127;
  return mask;
}

int Count(const std::vector<bool>& mask) {
  int n = 0;
  for (bool b : mask) n += b;
  return n;
}

TEST(SplitFaces, ConcaveOutlinesDrawTheAreaOfTheirQuads) {
  EnsureWindow(kSize);
  struct Shape {
    const char* name;
    Points points;
    std::string outline;  // one face line of all the corners
    std::string quads;    // the same area in quads
    std::string fan;      // triangles from corner 0: wrong for these outlines
  };
  const Shape shapes[] = {
      {"L from a corner that does not see the whole L",
       {{8, 0}, {8, 4}, {4, 4}, {4, 8}, {0, 8}, {0, 0}},
       FaceLine({0, 1, 2, 3, 4, 5}),
       FaceLine({5, 0, 1, 2}) + FaceLine({5, 2, 3, 4}),
       FaceLine({0, 1, 2}) + FaceLine({0, 2, 3}) + FaceLine({0, 3, 4}) + FaceLine({0, 4, 5})},
      {"comb of three teeth",
       {{0, 0}, {7, 0}, {7, 3}, {6, 3}, {6, 1}, {5, 1}, {5, 3}, {4, 3}, {4, 1}, {3, 1}, {3, 3}, {2, 3}, {2, 1},
        {1, 1}, {1, 3}, {0, 3}, {7, 1}, {0, 1}},  // the last two for the quads only
       FaceLine({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 0}),
       FaceLine({0, 1, 16, 17}) + FaceLine({4, 16, 2, 3}) + FaceLine({8, 5, 6, 7}) + FaceLine({12, 9, 10, 11}) +
           FaceLine({17, 13, 14, 15}),
       ""},
      {"ring joined to its hole by a bridge",
       {{0, 0}, {8, 0}, {8, 8}, {0, 8}, {2, 2}, {2, 6}, {6, 6}, {6, 2}},
       FaceLine({0, 1, 2, 3, 0, 4, 5, 6, 7, 4}),
       FaceLine({0, 1, 7, 4}) + FaceLine({1, 2, 6, 7}) + FaceLine({2, 3, 5, 6}) + FaceLine({3, 0, 4, 5}),
       ""},
  };
  for (const Shape& s : shapes) {
    SCOPED_TRACE(s.name);
    const std::vector<bool> quads = Drawn(Document("1.0", s.points, s.quads));
    ASSERT_GT(Count(quads), 1000);
    const std::vector<bool> split = Drawn(Document("1.1", s.points, s.outline));
    EXPECT_EQ(Count(split), Count(quads));
    EXPECT_TRUE(split == quads);
    // The picture tells a wrong split apart: a Ver 1.0 document keeps the
    // first four corners, and the fan from corner 0 spills out of the L.
    EXPECT_FALSE(Drawn(Document("1.0", s.points, s.outline)) == quads);
    if (!s.fan.empty()) EXPECT_FALSE(Drawn(Document("1.0", s.points, s.fan)) == quads);
  }
  ResetModel();
}

}  // namespace

// A concave face of many corners in a Ver 1.1 document, read with newer
// formats on, draws exactly the pixels of the same outline made of quads in
// a Ver 1.0 document (a fan from corner 0, or the first four corners, would
// not). Needs a display (Xvfb).

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "gl_feedback.h"
#include "render/display_list.h"
#include "model_fixture.h"

namespace {

using Points = std::vector<std::pair<double, double>>;

// A document of one object with the given vertices and face lines. No
// corner lies on the lines through pixel centres, so no pixel centre lies
// on an edge and the pictures depend on the covered area alone.
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

// The model drawn flat in white on black, one byte a pixel.
std::vector<unsigned char> Drawn(const std::string& text) {
  ResetModel();
  FILE* fp = std::tmpfile();
  std::fwrite(text.data(), 1, text.size(), fp);
  std::rewind(fp);
  g_newerFormats = true;
  testing::internal::CaptureStdout();
  EXPECT_EQ(LoadModelFromStream(fp), 0);
  testing::internal::GetCapturedStdout();
  g_newerFormats = false;
  std::fclose(fp);
  BuildDisplayList();
  SetFeedbackProjection();
  glDisable(GL_LIGHTING);
  glColor3f(1, 1, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  glCallList(1);
  std::vector<unsigned char> red(64 * 64);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, 64, 64, GL_RED, GL_UNSIGNED_BYTE, red.data());
  return red;
}

TEST(SplitFaces, ConcaveOutlinesDrawTheAreaOfTheirQuads) {
  EnsureWindow();
  struct Shape {
    const char* name;
    Points points;
    std::string outline;  // one face line of all the corners
    std::string quads;    // the same area in quads
  };
  const Shape shapes[] = {
      {"L from a corner that does not see the whole L",
       {{8, 0}, {8, 4}, {4, 4}, {4, 8}, {0, 8}, {0, 0}},
       FaceLine({0, 1, 2, 3, 4, 5}),
       FaceLine({5, 0, 1, 2}) + FaceLine({5, 2, 3, 4})},
      {"comb of three teeth",
       {{0, 0}, {7, 0}, {7, 3}, {6, 3}, {6, 1}, {5, 1}, {5, 3}, {4, 3}, {4, 1}, {3, 1}, {3, 3}, {2, 3}, {2, 1},
        {1, 1}, {1, 3}, {0, 3}, {7, 1}, {0, 1}},  // the last two for the quads only
       FaceLine({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 0}),
       FaceLine({0, 1, 16, 17}) + FaceLine({4, 16, 2, 3}) + FaceLine({8, 5, 6, 7}) + FaceLine({12, 9, 10, 11}) +
           FaceLine({17, 13, 14, 15})},
      {"ring joined to its hole by a bridge",
       {{0, 0}, {8, 0}, {8, 8}, {0, 8}, {2, 2}, {2, 6}, {6, 6}, {6, 2}},
       FaceLine({0, 1, 2, 3, 0, 4, 5, 6, 7, 4}),
       FaceLine({0, 1, 7, 4}) + FaceLine({1, 2, 6, 7}) + FaceLine({2, 3, 5, 6}) + FaceLine({3, 0, 4, 5})},
  };
  for (const Shape& s : shapes) {
    SCOPED_TRACE(s.name);
    const std::vector<unsigned char> quads = Drawn(Document("1.0", s.points, s.quads));
    ASSERT_GT(std::count(quads.begin(), quads.end(), 255), 500);
    EXPECT_TRUE(Drawn(Document("1.1", s.points, s.outline)) == quads);
  }
  ResetModel();
}

}  // namespace

// The thumbnail's pixels from what OpenGL read back, and its framing.
#include <gtest/gtest.h>

#include <vector>

#include "thumbnailer/thumbnail_picture.h"
#include "thumbnailer/thumbnail_view.h"

namespace {

// A 1 x 2 thumbnail drawn at twice the side: read rows run bottom-up, and a
// pixel's colour is the mean of its drawn samples only, its alpha their share.
TEST(ResolveThumbnail, TopRowFirstStraightAlphaFromDrawnSamples) {
  constexpr int kSide = 2, kFactor = 2, kWide = kSide * kFactor;
  std::vector<unsigned char> rgba(kWide * kWide * 4, 0);
  std::vector<float> depth(kWide * kWide, 1.0f);
  auto draw = [&](int x, int y, unsigned char r, unsigned char g) {
    const int at = y * kWide + x;
    rgba[4 * at] = r;
    rgba[4 * at + 1] = g;
    rgba[4 * at + 3] = 77;  // a material's own alpha: not the picture's
    depth[at] = 0.5f;
  };
  // Read rows 0-1 are the picture's bottom row: one drawn sample of pixel (0, 1).
  draw(0, 0, 200, 0);
  // Read rows 2-3, the top row: two drawn samples of pixel (1, 0).
  draw(2, 2, 100, 10);
  draw(3, 3, 50, 30);

  const std::vector<unsigned char> out = ResolveThumbnail(rgba.data(), depth.data(), kSide, kFactor);
  ASSERT_EQ(out.size(), 16u);
  auto pixel = [&](int x, int y) { return std::vector<int>(&out[(y * kSide + x) * 4], &out[(y * kSide + x) * 4 + 4]); };
  EXPECT_EQ(pixel(0, 0), (std::vector<int>{0, 0, 0, 0}));
  EXPECT_EQ(pixel(1, 0), (std::vector<int>{75, 20, 0, 128}));
  EXPECT_EQ(pixel(0, 1), (std::vector<int>{200, 0, 0, 64}));
  EXPECT_EQ(pixel(1, 1), (std::vector<int>{0, 0, 0, 0}));
}

ObjectMQO Object(std::initializer_list<VertexMQO> vertices, std::initializer_list<FaceMQO> faces) {
  ObjectMQO object;
  for (const VertexMQO& v : vertices) object.AddVertex(v);
  for (const FaceMQO& f : faces) object.AddFace(f);
  return object;
}

FaceMQO Face(int corners, int a, int b, int c) { return FaceMQO{corners, -1, {}, {a, b, c, 0}, {}}; }

// Only what the display list draws is framed: a two-corner face draws
// nothing, and a face naming a vertex that does not exist is left out.
TEST(FitThumbnailView, FramesOnlyDrawnFaces) {
  ThumbnailView view;
  const ObjectMQO edgeOnly = Object({{0, 0, 0}, {1, 0, 0}}, {Face(2, 0, 1, 0)});
  EXPECT_FALSE(FitThumbnailView(&edgeOnly, 1, view));

  const ObjectMQO small = Object({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {Face(3, 0, 1, 2)});
  const ObjectMQO strayFar = Object({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1e6f, 1e6f, 0}},
                                    {Face(3, 0, 1, 2), Face(3, 0, 1, 3), Face(3, 0, 1, 7)});
  ThumbnailView a, b;
  ASSERT_TRUE(FitThumbnailView(&small, 1, a));
  ASSERT_TRUE(FitThumbnailView(&strayFar, 1, b));
  EXPECT_NE(a.modelFrame[0], b.modelFrame[0]);  // the far vertex of a drawn face counts

  const ObjectMQO badIndex = Object({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1e6f, 1e6f, 0}},
                                    {Face(3, 0, 1, 2), Face(3, 3, 1, 9)});
  ThumbnailView c;
  ASSERT_TRUE(FitThumbnailView(&badIndex, 1, c));
  for (int i = 0; i < 16; ++i) EXPECT_DOUBLE_EQ(a.modelFrame[i], c.modelFrame[i]) << i;
}

}  // namespace

// Splitting outlines into triangles: concave outlines in every plane and
// either winding are covered exactly, each triangle turning as the outline
// does; broken outlines end quickly with valid corners; the work grows
// about as the corners do.
#include <gtest/gtest.h>

#include <cmath>
#include <utility>
#include <vector>

#include "mqo/polygon_splitter.h"

namespace {

using Outline2 = std::vector<std::pair<double, double>>;

struct Vec {
  double x, y, z;
};

Vec Cross(Vec a, Vec b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
// In double, where the difference of two floats is exact.
Vec Minus(const VertexMQO& a, const VertexMQO& b) {
  return {static_cast<double>(a.x) - b.x, static_cast<double>(a.y) - b.y, static_cast<double>(a.z) - b.z};
}
double Dot(Vec a, Vec b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

// Places 2D corners in the plane origin + u * e1 + v * e2.
std::vector<VertexMQO> Place(const Outline2& outline, Vec origin, Vec e1, Vec e2) {
  std::vector<VertexMQO> corners;
  for (auto [u, v] : outline)
    corners.push_back({static_cast<float>(origin.x + u * e1.x + v * e2.x),
                       static_cast<float>(origin.y + u * e1.y + v * e2.y),
                       static_cast<float>(origin.z + u * e1.z + v * e2.z), 0});
  return corners;
}

// Each triangle faces the way the outline does, and together they have its
// area: so none reaches outside it, none overlaps another, none is missing.
void ExpectExactCover(const std::vector<VertexMQO>& c) {
  const int n = static_cast<int>(c.size());
  Vec normal{0, 0, 0};  // twice the outline's vector area
  for (int i = 0; i < n; ++i) {
    const Vec t = Cross(Minus(c[i], c[0]), Minus(c[(i + 1) % n], c[0]));
    normal = {normal.x + t.x, normal.y + t.y, normal.z + t.z};
  }
  const double area = std::sqrt(Dot(normal, normal));
  PolygonSplitter splitter;
  const std::vector<int>& pieces = splitter.Split(c.data(), n);
  ASSERT_EQ(pieces.size(), 3u * (n - 2));
  double sum = 0;
  for (std::size_t i = 0; i < pieces.size(); i += 3) {
    const Vec t = Cross(Minus(c[pieces[i + 1]], c[pieces[i]]), Minus(c[pieces[i + 2]], c[pieces[i]]));
    EXPECT_GT(Dot(t, normal), 0) << "triangle " << i / 3 << " turns the other way or is empty";
    sum += std::sqrt(Dot(t, t));
  }
  EXPECT_NEAR(sum, area, area * 1e-5);
}

TEST(PolygonSplitter, CoversConcaveOutlinesInAnyPlaneAndWinding) {
  const Outline2 shapes[] = {
      // An L starting at a corner from which a fan would leave the L.
      {{2, 0}, {2, 1}, {1, 1}, {1, 2}, {0, 2}, {0, 0}},
      // A comb of three teeth.
      {{0, 0}, {7, 0}, {7, 3}, {6, 3}, {6, 1}, {5, 1}, {5, 3}, {4, 3}, {4, 1}, {3, 1}, {3, 3}, {2, 3}, {2, 1},
       {1, 1}, {1, 3}, {0, 3}},
      // A ring: the outer square, a bridge to the hole and round it back.
      {{0, 0}, {4, 0}, {4, 4}, {0, 4}, {0, 0}, {1, 1}, {1, 3}, {3, 3}, {3, 1}, {1, 1}},
      // A square with corners in the middle of its sides.
      {{0, 0}, {1, 0}, {2, 0}, {2, 1}, {2, 2}, {1, 2}, {0, 2}, {0, 1}},
  };
  const Vec planes[][3] = {
      {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}},            // x y
      {{5, 0, 0}, {0, 0, 1}, {0, 1, 0}},            // z y, facing -x
      {{0, -3, 0}, {1, 0, 0}, {0, 0, 1}},           // x z
      {{100, 200, -50}, {0.6, 0.8, 0.1}, {-0.3, 0.2, 0.9}},  // tilted, far from the origin
  };
  for (const Outline2& shape : shapes)
    for (const auto& plane : planes)
      for (bool reversed : {false, true}) {
        Outline2 outline = shape;
        if (reversed) outline.assign(shape.rbegin(), shape.rend());
        SCOPED_TRACE(testing::Message() << shape.size() << " corners, plane " << (&plane - planes) << ", reversed "
                                        << reversed);
        ExpectExactCover(Place(outline, plane[0], plane[1], plane[2]));
      }
  // Corner 0 turns right by a hair. Its neighbours taken relative to it in
  // float round so that it turns left, and cutting it off gave a sliver
  // facing the other way.
  ExpectExactCover({{1.13599598f, 2.00143194f, 0, 0}, {41.1629944f, 42.0284309f, 0, 0}, {-30, 50, 0, 0},
                    {-38.8910027f, -38.0255699f, 0, 0}});
}

TEST(PolygonSplitter, BrokenOutlinesEndWithValidCorners) {
  // One point; one line; a pentagram drawn in one stroke; points scattered
  // at random, nearly every corner reflex and crossed.
  std::vector<std::vector<VertexMQO>> outlines(4);
  outlines[0].assign(50, VertexMQO{1, 2, 3, 0});
  unsigned seed = 12345;
  for (int i = 0; i < 3000; ++i) {
    seed = seed * 1103515245 + 12345;
    if (i < 40) outlines[1].push_back({static_cast<float>(i % 7), 0, 0, 0});
    outlines[3].push_back({static_cast<float>(seed >> 20 & 255), static_cast<float>(seed >> 8 & 255), 0, 0});
  }
  outlines[2] = Place({{0, 3}, {1.8, -2.4}, {-2.8, 0.9}, {2.8, 0.9}, {-1.8, -2.4}}, {0, 0, 0}, {1, 0, 0}, {0, 1, 0});
  PolygonSplitter splitter;
  for (const auto& c : outlines) {
    const int n = static_cast<int>(c.size());
    const std::vector<int>& pieces = splitter.Split(c.data(), n);
    EXPECT_EQ(pieces.size() % 3, 0u);
    EXPECT_GE(pieces.size(), 3u);
    EXPECT_LE(pieces.size(), 3u * (n - 2));
    for (int corner : pieces) ASSERT_TRUE(corner >= 0 && corner < n);
  }
  EXPECT_TRUE(splitter.Split(outlines[0].data(), 2).empty());
}

// A comb, a walk round ten points (most corners repeated, the outline
// folding and crossing everywhere) and points scattered at random: four
// times the corners cost at most six times the work, where a split whose
// ear tests look at every reflex corner, or whose rounds start over after
// each cut, does sixteen times. The comb is simple and still covered.
TEST(PolygonSplitter, WorkGrowsAboutAsTheCorners) {
  using Make = std::vector<VertexMQO> (*)(int n);
  const Make makers[] = {
      [](int n) {
        std::vector<VertexMQO> c = {{0, 0, 0, 0}, {n / 2.0f - 1, 0, 0, 0}};
        for (int t = n / 4 - 1; t >= 0; --t) {
          c.push_back({2.0f * t + 1, 3, 0, 0});
          c.push_back({2.0f * t, 3, 0, 0});
          if (t > 0) c.insert(c.end(), {{2.0f * t, 1, 0, 0}, {2.0f * t - 1, 1, 0, 0}});
        }
        return c;
      },
      [](int n) {
        std::vector<VertexMQO> c;
        unsigned seed = 99;
        for (int i = 0; i < n; ++i) {
          seed = seed * 1103515245 + 12345;
          const int k = static_cast<int>(seed >> 16) % 10;
          c.push_back({static_cast<float>(k * 37 % 11), static_cast<float>(k * k % 13), 0, 0});
        }
        return c;
      },
      [](int n) {
        std::vector<VertexMQO> c;
        unsigned seed = 7;
        for (int i = 0; i < n; ++i) {
          seed = seed * 1103515245 + 12345;
          c.push_back({static_cast<float>(seed >> 20 & 4095), static_cast<float>(seed >> 8 & 4095), 0, 0});
        }
        return c;
      },
  };
  PolygonSplitter splitter;
  for (int m = 0; m < 3; ++m) {
    long long steps[2];
    for (int k : {0, 1}) {
      const std::vector<VertexMQO> c = makers[m](4000 << 2 * k);
      splitter.Split(c.data(), static_cast<int>(c.size()));
      steps[k] = splitter.Steps();
    }
    EXPECT_LT(steps[1], 6 * steps[0]) << "outline " << m;
  }
  ExpectExactCover(makers[0](16000));
}

}  // namespace

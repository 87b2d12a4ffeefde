// The model as modelled, worked out without OpenGL.
#include "model/drawn_model.h"
#include "model/subdivision.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

ObjectMQO Strip(int mirror, float mirrorDistance) {
  ObjectMQO o;
  for (const VertexMQO& v : {VertexMQO{0.01f, 0, 0}, VertexMQO{1, 0, 0}, VertexMQO{1, 1, 0}, VertexMQO{0.01f, 1, 0}})
    o.AddVertex(v);
  FaceMQO f;
  f.numVertices = 4;
  for (int k = 0; k < 4; ++k) f.vertexIndex[k] = k;
  o.AddFace(f);
  o.mirror = mirror;
  o.mirrorDistance = mirrorDistance;
  return o;
}

// Joined halves: the open edge that lies within mirror_dis of the plane
// gets a face to its image, wound as the face it borders; separate halves
// and an edge out of reach get none.
TEST(DrawnModel, JoinedHalvesGetAFaceAcrossThePlane) {
  const DrawnObject joined = PrepareDrawnObject(Strip(2, 0.02f));
  ASSERT_EQ(joined.geometry.faces.size(), 3);
  ASSERT_EQ(joined.geometry.vertices.size(), 8);
  const FaceMQO bridge = joined.geometry.faces[2];
  ASSERT_EQ(bridge.numVertices, 4);
  float xs[4];
  for (int k = 0; k < 4; ++k) xs[k] = joined.geometry.vertices[bridge.vertexIndex[k]].x;
  // Corner 3 to 0 of the strip (x = 0.01) runs back along the bridge, then
  // its image at x = -0.01.
  EXPECT_EQ(bridge.vertexIndex[0], 0);
  EXPECT_EQ(bridge.vertexIndex[1], 3);
  EXPECT_FLOAT_EQ(xs[2], -0.01f);
  EXPECT_FLOAT_EQ(xs[3], -0.01f);
  // The bridge faces the way the strip does: their normals agree.
  EXPECT_NEAR(joined.normals[4 * 2][2], joined.normals[0][2], 1e-6);

  EXPECT_EQ(PrepareDrawnObject(Strip(1, 0.02f)).geometry.faces.size(), 2);
  EXPECT_EQ(PrepareDrawnObject(Strip(2, 0.001f)).geometry.faces.size(), 2);
  EXPECT_EQ(PrepareDrawnObject(Strip(0, 0.02f)).geometry.faces.size(), 1);
  // Without mirror_dis (or with one that is not finite) every open edge is
  // joined to its image, however far from the plane: the strip, 1 wide, is
  // joined across its far edge too, and along both long ones.
  for (float unwritten : {NAN, INFINITY}) EXPECT_EQ(PrepareDrawnObject(Strip(2, unwritten)).geometry.faces.size(), 6);
}

// What an object will be drawn as is bounded before it is made, for the
// memory budget: never below what the preparation then makes, and exact
// for a plain mirror and one joined edge.
TEST(DrawnModel, MostDrawnBoundsThePreparedGeometry) {
  EXPECT_EQ(MostDrawn(Strip(2, 0.02f)).faces, 3);
  EXPECT_EQ(MostDrawn(Strip(1, 0.02f)).faces, 2);
  for (int mirror : {1, 2})
    for (int axes : {1, 3, 7, 8 | 7})
      for (float distance : {0.02f, 2.0f, NAN}) {
        ObjectMQO o = Strip(mirror, distance);
        o.mirrorAxis = axes;
        const DrawnObject drawn = PrepareDrawnObject(o);
        const DrawnSize most = MostDrawn(o);
        EXPECT_GE(most.faces, static_cast<long long>(drawn.geometry.faces.size())) << mirror << axes << distance;
        EXPECT_GE(most.vertices, static_cast<long long>(drawn.geometry.vertices.size())) << mirror << axes << distance;
      }
}

// A 2-unit cube about the origin, each face in its own material and mapped
// onto the whole texture, as a curved surface refined `segment` times.
ObjectMQO PatchCube(int segment) {
  ObjectMQO o;
  for (int i = 0; i < 8; ++i) o.AddVertex(VertexMQO{i & 1 ? 1.f : -1.f, i & 2 ? 1.f : -1.f, i & 4 ? 1.f : -1.f});
  const int sides[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4}, {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
  const float uv[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
  for (int m = 0; m < 6; ++m) {
    FaceMQO f;
    f.numVertices = 4;
    f.material = m;
    for (int k = 0; k < 4; ++k) {
      f.vertexIndex[k] = sides[m][k];
      std::copy(uv[k], uv[k] + 2, f.uv[k]);
    }
    o.AddFace(f);
  }
  FaceMQO line;  // a rail along one edge, left as it is
  line.numVertices = 2;
  line.vertexIndex[1] = 1;
  o.AddFace(line);
  o.patch = 3;
  o.segment = segment;
  return o;
}

// Refined, the cube comes out round and inside its cage (so framing the
// cage frames it whole); each refined face keeps its side's material, and
// each side's refined UVs tile the texture once.
TEST(DrawnModel, CurvedSurfaceIsRefinedRoundKeepingMaterialsAndUVs) {
  const ObjectMQO cage = PatchCube(3);
  const DrawnObject drawn = PrepareDrawnObject(cage);
  const ObjectMQO& g = drawn.geometry;
  ASSERT_EQ(g.faces.size(), 6 * 64 + 1);
  EXPECT_GE(MostDrawn(cage).faces, g.faces.size());
  EXPECT_GE(MostDrawn(cage).vertices, g.vertices.size());
  float nearest = 10, farthest = 0;
  for (int i = 0; i < g.vertices.size() - 2; ++i) {  // the rail's two corners are the cage's
    const VertexMQO& v = g.vertices[i];
    EXPECT_LE(std::max({std::abs(v.x), std::abs(v.y), std::abs(v.z)}), 1.0f);
    const float r = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    nearest = std::min(nearest, r), farthest = std::max(farthest, r);
  }
  // Corner to side centre, a cube's surface spans a ratio of sqrt(3).
  EXPECT_LT(farthest / nearest, 1.15f);
  double uvArea[6] = {};
  for (int i = 0; i < 6 * 64; ++i) {
    const FaceMQO& f = g.faces[i];
    ASSERT_EQ(f.numVertices, 4);
    ASSERT_GE(f.material, 0);
    ASSERT_LT(f.material, 6);
    for (int k = 0; k < 4; ++k)
      uvArea[f.material] += 0.5 * (f.uv[k][0] * f.uv[(k + 1) % 4][1] - f.uv[(k + 1) % 4][0] * f.uv[k][1]);
  }
  for (double area : uvArea) EXPECT_NEAR(std::abs(area), 1.0, 1e-4);
  const FaceMQO rail = g.faces[6 * 64];
  ASSERT_EQ(rail.numVertices, 2);
  EXPECT_EQ(g.vertices[rail.vertexIndex[0]].x, -1.0f);
  EXPECT_EQ(g.vertices[rail.vertexIndex[1]].x, 1.0f);
  // A "segment" beyond the cap costs no more than the cap.
  EXPECT_EQ(MostDrawn(PatchCube(1000)).faces, MostDrawn(PatchCube(kMostSubdivisionLevels)).faces);
}

// A cage the refiner cannot take (a face that repeats a corner) is drawn as
// it is.
TEST(DrawnModel, MalformedCageIsDrawnAsItIs) {
  ObjectMQO cage = PatchCube(2);
  FaceMQO bent = cage.faces[0];
  bent.vertexIndex[3] = bent.vertexIndex[2];
  cage.AddFace(bent);
  const DrawnObject drawn = PrepareDrawnObject(cage);
  EXPECT_TRUE(drawn.geometry.faces.SharesStorageWith(cage.faces));
  EXPECT_TRUE(drawn.geometry.vertices.SharesStorageWith(cage.vertices));
  EXPECT_EQ(drawn.normals.size(), 4u * cage.faces.size());
}

}  // namespace

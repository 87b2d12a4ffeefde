// The model as modelled, worked out without OpenGL.
#include "model/drawn_model.h"

#include <gtest/gtest.h>

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

}  // namespace

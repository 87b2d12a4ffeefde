// The thumbnailer's measure of a document against its address-space bound.
#include <gtest/gtest.h>

#include <string>

#include "thumbnailer/resource_limits.h"

namespace {

// Mesa crashed when an allocation failed while it drew: documents are
// measured against the address-space bound first, over all objects, in
// counts that an int would not hold.
TEST(WithinDrawingBudget, CountsEveryObjectsFacesAndVertices) {
  ObjectMQO objects[2];
  objects[0].numFaces = 600;
  objects[1].numFaces = 400;
  objects[1].numVertices = 500;
  const long long cost = 1000 * kBytesPerDrawnFace + 500 * kBytesPerDrawnVertex;
  std::string reason;
  EXPECT_TRUE(WithinDrawingBudget(objects, 2, cost, reason));
  EXPECT_FALSE(WithinDrawingBudget(objects, 2, cost - 1, reason));
  EXPECT_NE(reason.find("1000 faces and 500 vertices"), std::string::npos) << reason;
  // Mirrored across three planes, an object is drawn eight times over.
  objects[1].mirror = 1;
  objects[1].mirrorAxis = 7;
  EXPECT_FALSE(WithinDrawingBudget(objects, 2, 3800 * kBytesPerDrawnFace + 4000 * kBytesPerDrawnVertex - 1, reason));
  EXPECT_NE(reason.find("out of memory"), std::string::npos) << reason;
  EXPECT_TRUE(WithinDrawingBudget(objects, 2, 3800 * kBytesPerDrawnFace + 4000 * kBytesPerDrawnVertex, reason));
  objects[1].mirror = 0;
  objects[0].numFaces = objects[1].numFaces = 2000000000;
  EXPECT_FALSE(WithinDrawingBudget(objects, 2, DrawingBudget(), reason));
  // Without a lower bound set by the caller, over 10 million faces fit.
  EXPECT_EQ(DrawingBudget(), (static_cast<long long>(kAddressSpaceBytes) - kProgramBytes) / 2);
  EXPECT_GT(DrawingBudget() / kBytesPerDrawnFace, 10000000);
}

}  // namespace

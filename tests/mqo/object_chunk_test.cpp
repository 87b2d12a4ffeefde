// Object chunks: attributes, vertex lists, weights, faces with their groups,
// and binary vertices.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include "mqo_text.h"

namespace {

const ObjectMQO& OnlyObject(const LoadResult& r) {
  EXPECT_EQ(r.document.numObjects, 1);
  static const ObjectMQO kEmpty;
  return r.document.numObjects > 0 ? r.document.objects[0] : kEmpty;
}

// The faces made from the given face lines.
LoadResult Faces(const std::string& lines) { return LoadObjectBody("\tface 1 {\n" + lines + "\t}\n"); }

std::string FloatBytes(float x, float y, float z) {
  std::string out;
  for (float f : {x, y, z}) {
    std::uint32_t bits;
    std::memcpy(&bits, &f, 4);
    for (int i = 0; i < 4; ++i) out += static_cast<char>(bits >> (8 * i) & 0xFF);
  }
  return out;
}

TEST(Objects, ReadsAttributesAndIgnoresTheRest) {
  const LoadResult r = LoadBody(
      "Object \"o\" {\n\tdepth 0\n\tscale 2\n\trotation 1 2 3\n\ttranslation 4 5 6 7\n\tvisible 0\n"
      "\tmirror 1\n\tlathe_seg 3\n\tcolor 0.898 0.498 0.698\n\tunknown 2 {\n\t\tvertex 1 {\n\t\t}\n\t}\n}\n"
      "Object \"plain\" {\n}\n");
  ASSERT_EQ(r.code, 0);
  ASSERT_EQ(r.document.numObjects, 2);
  const ObjectMQO& o = r.document.objects[0];
  EXPECT_EQ(o.scale[0], 2.0f);
  EXPECT_EQ(o.scale[1], 0.0f);
  EXPECT_EQ(o.rotation[2], 3.0f);
  EXPECT_EQ(o.translation[0], 4.0f);
  EXPECT_EQ(o.numVertices, 0);
  EXPECT_EQ(r.document.objects[1].scale[0], 0.0f);
}

TEST(Objects, VertexListIsAsLongAsItsLines) {
  const LoadResult r = LoadBody(
      "Object \"o\" {\n\tVERTEX 3 {\n\t\t1 2 3\n\n\t\t4 5\n\t\t6 7 8 9\n\t\t-1.5 2e1 .25\r\n\t\t0 0 0\n\t\t1 1 1\n\t}\n}\n");
  const ObjectMQO& o = OnlyObject(r);
  ASSERT_EQ(o.numVertices, 5);
  ASSERT_EQ(o.vertices.size(), 5);
  EXPECT_EQ(o.vertices[1].x, 6.0f);
  EXPECT_EQ(o.vertices[1].z, 8.0f);
  EXPECT_EQ(o.vertices[2].y, 20.0f);
  EXPECT_EQ(o.vertices[2].z, 0.25f);
}

TEST(Objects, OverstatedCountsReserveNoMoreThanTheFileCanHold) {
  const LoadResult r = LoadBody("Object \"o\" {\n\tvertex 2000000000 {\n\t\t1 2 3\n\t}\n"
                                "\tface 2000000000 {\n\t\t3 V(0 0 0)\n\t}\n}\n");
  const ObjectMQO& o = OnlyObject(r);
  EXPECT_EQ(o.numVertices, 1);
  EXPECT_LT(o.vertices.capacity(), 64u);
  EXPECT_LT(o.faces.capacity(), 64u);
}

TEST(Objects, WeightListsSetExistingVerticesOnly) {
  const LoadResult r = LoadObjectBody(
      "\tvertexattr {\n\t\tcolor {\n\t\t\t0 4294967295\n\t\t}\n\t\tweit {\n\t\t\t1 0.5\n\t\t\t9 1.0\n"
      "\t\t\t-1 1.0\n\t\t\t2\n\t\t}\n\t\tother 1 {\n\t\t\tx\n\t\t}\n\t}\n");
  const ObjectMQO& o = OnlyObject(r);
  EXPECT_EQ(o.vertices[1].weight, 0.5f);
  EXPECT_EQ(o.vertices[2].weight, 0.0f);
}

TEST(Objects, SubChunkLinesWithoutBraceMakeTheObjectMalformed) {
  EXPECT_EQ(LoadObjectBody("\tvertex 3 x\n").code, -1);
  EXPECT_EQ(LoadObjectBody("\tface 3\n").code, -1);
  EXPECT_EQ(LoadObjectBody("\tvertexattr x\n").code, -1);
  EXPECT_EQ(LoadObjectBody("\tBVertex 3 (\n").code, -1);
  // With only two tokens vertex and BVertex are unknown lines.
  EXPECT_EQ(LoadObjectBody("\tvertex {\n\t\t1 2 3\n\t}\n").code, 0);
}

TEST(Faces, TakesUpToFourCornersAndTheOptionalGroups) {
  const LoadResult r = Faces(
      "\t\t3 V(0 1 2) M(1) UV(0 0.5 1 0 1 1) COL(4294967295 2 3)\n\t\t5 V(0 1 2 3 4)\n"
      "\t\t2 V(2 3) UV(0.1 0.2 0.3 0.4)\n\t\t0 V()\n");
  const ObjectMQO& o = OnlyObject(r);
  ASSERT_EQ(o.numFaces, 4);
  const FaceMQO& f = o.faces[0];
  EXPECT_EQ(f.numVertices, 3);
  EXPECT_EQ(f.vertexIndex[2], 2);
  EXPECT_EQ(f.material, 1);
  EXPECT_EQ(f.uv[0][1], 0.5f);
  EXPECT_EQ(f.uv[2][0], 1.0f);
  EXPECT_EQ(f.vertexColor[0], -1);  // atoi's wrap of 4294967295
  EXPECT_EQ(f.vertexColor[2], 3);
  EXPECT_EQ(o.faces[1].numVertices, 4);
  EXPECT_EQ(o.faces[1].vertexIndex[3], 3);
  EXPECT_EQ(o.faces[1].material, -1);
  EXPECT_EQ(o.faces[2].uv[1][1], 0.4f);
  EXPECT_EQ(o.faces[3].numVertices, 0);
}

TEST(Faces, MalformedGroupsKeepTheFaceAndStopTheLine) {
  const LoadResult r = Faces(
      "\t\t3 V(0 1 2) M(7)\n"                      // no such material
      "\t\t3 V(0 1 2) UV(0 0 1 0 1 1) M(0)\n"      // M after UV is not read
      "\t\t3 V(0 1 2) M(0 UV(0 0 1 0 1 1)\n"       // M without its bracket
      "\t\t3 V(0 1 2) M(2) UV(0 0 1 1)\n"          // UV too short
      "\t\t3 V(0 1 2) M(2) COL(1 2)\n"             // COL too short
      "\t\t3 V(0 1 2) X(1) M(1)\n"                 // unknown group ends the line
      "\t\t3 V(0 1 2 3)\n"                         // brackets not in place: ignored
      "\t\t-1 V ( )\n");                           // ignored
  const ObjectMQO& o = OnlyObject(r);
  ASSERT_EQ(o.numFaces, 6);
  EXPECT_EQ(o.faces[0].material, -1);
  EXPECT_EQ(o.faces[1].material, -1);
  EXPECT_EQ(o.faces[1].uv[1][0], 1.0f);
  EXPECT_EQ(o.faces[2].material, -1);
  EXPECT_EQ(o.faces[2].uv[1][0], 0.0f);
  EXPECT_EQ(o.faces[3].material, 2);
  EXPECT_EQ(o.faces[3].uv[2][0], 0.0f);
  EXPECT_EQ(o.faces[4].vertexColor[0], 0);
  EXPECT_EQ(o.faces[5].material, -1);
}

TEST(Faces, MalformedFaceLinesFailTheWholeRead) {
  EXPECT_EQ(Faces("\t\t3 V(0 1 2\n").code, -1);
  EXPECT_EQ(Faces("\t\t3 X(0 1 2)\n").code, -1);
  EXPECT_EQ(Faces("\t\tV(0 1 2)\n").code, -1);
  EXPECT_EQ(Faces("\t\t2147483647 V(0 1 2)\n").code, -1);
  EXPECT_EQ(Faces("\t\t2147483647 V(0 1 2) UV(0 0)\n").code, -1);
  EXPECT_EQ(Faces("\t\t-2147483648 V(0 1 2) UV(0 0)\n").code, 0);
  EXPECT_EQ(LoadObjectBody("\tface 1 {\n\t\t3 V(0 1 2)\n").code, -2);
}

// The same object body in a Ver 1.0 and a Ver 1.1 document, read with
// newer formats on: an L of six vertices and three materials.
std::string NewerDocument(const char* version, const std::string& faceLines) {
  return std::string("Metasequoia Document\nFormat Text Ver ") + version +
         "\nMaterial 3 {\n\"a\"\n\"b\"\n\"c\"\n}\nObject \"o\" {\n uid 1\n normal_weight 1\n"
         " vertex 6 {\n  2 0 0\n  2 1 0\n  1 1 0\n  1 2 0\n  0 2 0\n  0 0 0\n }\n"
         " vertexattr {\n  uid {\n   11\n  }\n }\n face 9 {\n" + faceLines + " }\n}\nEof\n";
}

TEST(NewerFaces, PiecesKeepMaterialUvColourAndOnlyVer11IsSplit) {
  const std::string lines =
      "  6 V(0 1 2 3 4 5) M(1) UID(7) UV(0 0.5 1 1.5 2 2.5 3 3.5 4 4.5 5 5.5) CRS(0 1) COL(100 101 102 103 104 105)\n"
      "  4 V(0 1 2 5) COL(1 2 3 4) N(0 0 0 0) M(2)\n"  // groups in another order
      "  5 V(0 1 2 3 9)\n"                             // vertex 9 does not exist
      "  2 V(4 5)\n";
  const LoadResult r = LoadNewer(NewerDocument("1.1", lines));
  ASSERT_EQ(r.code, 0);
  const ObjectMQO& o = OnlyObject(r);
  ASSERT_EQ(o.numFaces, 4 + 3);
  for (int i = 0; i < 4; ++i) {
    const FaceMQO& f = o.faces[i];
    ASSERT_EQ(f.numVertices, 3);
    EXPECT_EQ(f.material, 1);
    for (int k = 0; k < 3; ++k) {
      const int v = f.vertexIndex[k];
      EXPECT_EQ(f.uv[k][0], v);
      EXPECT_EQ(f.uv[k][1], v + 0.5f);
      EXPECT_EQ(f.vertexColor[k], 100 + v);
    }
  }
  EXPECT_EQ(o.faces[4].material, 2);
  EXPECT_EQ(o.faces[4].vertexColor[3], 4);
  EXPECT_EQ(o.faces[5].numVertices, 4);
  EXPECT_EQ(o.faces[5].vertexIndex[3], 3);
  EXPECT_EQ(o.faces[6].numVertices, 2);

  // A Ver 1.0 document reads as it always has, newer formats on or off.
  const std::string older = NewerDocument("1.0", lines);
  const LoadResult plain = LoadBytes(older);
  EXPECT_EQ(plain.document.objects[0].numFaces, 4);
  EXPECT_EQ(ReadingDifference(ReadBytes(older, 0, Stream::kMemory), ReadBytes(older, 0, Stream::kMemory, true)),
            "");
}

TEST(NewerFaces, CornersAreBoundedByTheLineNotByItsCount) {
  // No allocation may follow the announced count (the test runs with a
  // 64 MiB limit on any one allocation).
  EXPECT_EQ(LoadNewer(NewerDocument("1.1", "  1000000000 V(0 1 2 3 4)\n")).code, -1);
  EXPECT_EQ(LoadNewer(NewerDocument("1.1", "  -5 V(0 1 2 3 4)\n")).code, 0);
  // A circle of 1500 corners, about the most whose line fits one 8190-byte read.
  std::string text = "Metasequoia Document\nFormat Text Ver 1.1\nObject \"c\" {\n vertex 1 {\n", line = "1500 V(";
  for (int i = 0; i < 1500; ++i) {
    text += std::to_string(std::cos(i * M_PI / 750)) + " " + std::to_string(std::sin(i * M_PI / 750)) + " 0\n";
    line += " " + std::to_string(i);
  }
  const LoadResult r = LoadNewer(text + " }\n face 1 {\n" + line + ")\n }\n}\n");
  ASSERT_EQ(r.code, 0);
  EXPECT_EQ(OnlyObject(r).numFaces, 1498);
}

TEST(BinaryVertices, ReadsLittleEndianFloatsRightBehindTheVectorLine) {
  const std::string data = FloatBytes(1.5f, -2.0f, 3.25f) + FloatBytes(0.0f, 1e30f, -0.0f);
  const LoadResult r = LoadBody("Object \"b\" {\n\tBVertex 2 {\n\t\tVector 2 [24]\r\n" + data +
                                "\t\tweit 2 {\n\t\t\t1 0.75\n\t\t\t5 1\n\t\t}\n"
                                "\t\tcolor 2 {\n\t\t\t0 255\n\t\t}\n\t\tother [3]\nxyz\t}\n"
                                "\tface 1 {\n\t\t3 V(0 1 0)\n\t}\n}\n");
  ASSERT_EQ(r.code, 0);
  const ObjectMQO& o = OnlyObject(r);
  ASSERT_EQ(o.numVertices, 2);
  EXPECT_EQ(o.vertices[0].x, 1.5f);
  EXPECT_EQ(o.vertices[0].y, -2.0f);
  EXPECT_EQ(o.vertices[0].z, 3.25f);
  EXPECT_EQ(o.vertices[1].y, 1e30f);
  EXPECT_EQ(o.vertices[1].weight, 0.75f);
  EXPECT_EQ(o.numFaces, 1);
}

TEST(BinaryVertices, ShortOrMalformedDataFails) {
  const std::string twelve = FloatBytes(1, 2, 3);
  for (Stream kind : {Stream::kMemory, Stream::kFile}) {
    EXPECT_EQ(LoadBody("Object {\n BVertex 1 {\n  Vector 2 [24]\n" + twelve, kind).code, -2);
    // A count far beyond the file must neither allocate for it nor read on.
    EXPECT_EQ(LoadBody("Object {\n BVertex 1 {\n  Vector 2000000000 [24]\n" + twelve, kind).code, -2);
  }
  EXPECT_EQ(LoadBody("Object {\n BVertex 1 {\n  Vector 1 ( 24 )\n" + twelve + " }\n}\n").code, -1);
  EXPECT_EQ(LoadBody("Object {\n BVertex 1 {\n  Vector 0 [0]\n  Vector -5 [0]\n }\n}\n").code, 0);
  EXPECT_EQ(LoadBody("Object {\n BVertex 1 {\n  weit {\n   0 1\n").code, -2);
}

}  // namespace

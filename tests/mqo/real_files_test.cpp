// Whole files as real tools write them: the stored fixture and the models of
// the shared corpus.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "mqo_text.h"

namespace {

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

TEST(RealShapes, CrLfShiftJisDocumentWithTwoObjects) {
  const LoadResult r = LoadBytes(ReadFile(TEST_DATA_DIR "/mqo/crlf-sjis-two-objects.mqo"));
  ASSERT_EQ(r.code, 0);
  const DocumentMQO& d = r.document;
  EXPECT_FLOAT_EQ(d.scene.pos[2], 1500.0f);
  EXPECT_FLOAT_EQ(d.scene.head, -0.5236f);
  EXPECT_FLOAT_EQ(d.scene.ambient[1], 0.25f);
  ASSERT_EQ(d.numMaterials, 2);
  EXPECT_STREQ(d.materials[0].name, "\x83\x7B\x81\x5B\x83\x7D\x83\x5D");
  EXPECT_STREQ(d.materials[0].textureName, "\x83\x7B\x81\x5B\x83\x7D\x83\x5D.bmp");
  EXPECT_FLOAT_EQ(d.materials[0].color[2], 0.25f);
  EXPECT_STREQ(d.materials[1].alphaPlaneName, "glass_a.tga");
  EXPECT_FLOAT_EQ(d.materials[1].power, 30.0f);
  ASSERT_EQ(d.numObjects, 2);
  const ObjectMQO& first = d.objects[0];
  EXPECT_STREQ(first.name, "\x8E\x7B\x83\x5B\x83\x5D");
  EXPECT_FLOAT_EQ(first.scale[2], 3.0f);
  EXPECT_FLOAT_EQ(first.rotation[1], 90.0f);
  ASSERT_EQ(first.numVertices, 4);
  EXPECT_FLOAT_EQ(first.vertices[3].z, -100.0f);
  ASSERT_EQ(first.numFaces, 2);
  EXPECT_EQ(first.faces[1].material, 1);
  EXPECT_FLOAT_EQ(first.faces[1].uv[3][1], 1.0f);
  EXPECT_EQ(first.faces[1].vertexColor[1], static_cast<int>(4278190335u));
  const ObjectMQO& crate = d.objects[1];
  ASSERT_EQ(crate.numVertices, 3);
  EXPECT_EQ(crate.vertices[2].z, 9.0f);
  EXPECT_EQ(crate.vertices[2].weight, 0.5f);
  EXPECT_EQ(crate.numFaces, 1);
}

TEST(RealShapes, EveryTruncationFailsCleanly) {
  // Each prefix in its own exact-size buffer: no cut may read past it.
  const std::string whole = ReadFile(TEST_DATA_DIR "/mqo/crlf-sjis-two-objects.mqo");
  for (std::size_t n = 0; n < whole.size(); ++n) {
    const int code = LoadBytes(whole.substr(0, n)).code;
    EXPECT_LE(code, 0);
    EXPECT_GE(code, -4);
  }
}

// Independent count of what a document announces: the numbers on its
// "vertex N {", "Vector N [...]" and "face N {" lines, which real tools write
// truthfully, and
// the faces that its face lines make once those of n > 4 corners are split
// into n - 2 triangles.
void AnnouncedCounts(const std::string& text, long& vertices, long& faces, int& objects, long* splitFaces = nullptr) {
  std::istringstream in(text);
  std::string line;
  vertices = faces = objects = 0;
  if (splitFaces) *splitFaces = 0;
  while (std::getline(in, line)) {
    std::istringstream words(line);
    std::string keyword, brace;
    long n = 0;
    words >> keyword;
    if (keyword == "Object") ++objects;
    if ((keyword == "vertex" || keyword == "face") && words >> n >> brace && brace == "{")
      (keyword == "vertex" ? vertices : faces) += n;
    if (keyword == "Vector" && words >> n) vertices += n;  // binary vertices
    std::istringstream face(line);
    if (splitFaces && face >> n >> brace && brace.rfind("V(", 0) == 0) *splitFaces += n > 4 ? n - 2 : 1;
  }
}

long CountFaces(const DocumentMQO& document, long& vertices) {
  long faces = 0;
  vertices = 0;
  for (const ObjectMQO& o : document.objects) {
    vertices += o.numVertices;
    faces += o.numFaces;
  }
  return faces;
}

TEST(Corpus, EveryModelLoadsAsItsHeaderCallsFor) {
  if (!std::filesystem::is_directory(CORPUS_DIR)) GTEST_SKIP() << "no corpus at " << CORPUS_DIR;
  int files = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(CORPUS_DIR)) {
    if (entry.path().extension() != ".mqo") continue;
    ++files;
    const std::string text = ReadFile(entry.path());
    const LoadResult r = LoadBytes(text);
    SCOPED_TRACE(entry.path().string());
    // Only the 1.0 text format is read; 1.1 files stop at their second line.
    if (text.find("Format Text Ver 1.0") != std::string::npos) {
      ASSERT_EQ(r.code, 0);
      long vertices, faces;
      int objects;
      AnnouncedCounts(text, vertices, faces, objects);
      long readVertices = 0;
      const long readFaces = CountFaces(r.document, readVertices);
      EXPECT_EQ(r.document.numObjects, objects);
      EXPECT_EQ(readVertices, vertices);
      EXPECT_EQ(readFaces, faces);
      EXPECT_GT(r.document.numMaterials, 0);
    } else {
      EXPECT_EQ(r.code, -4);
    }
  }
  EXPECT_GT(files, 10);
}

TEST(Corpus, NewerFormatsReadEveryVer11ModelWithItsLargeFacesSplit) {
  if (!std::filesystem::is_directory(CORPUS_DIR)) GTEST_SKIP() << "no corpus at " << CORPUS_DIR;
  int files = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(CORPUS_DIR)) {
    if (entry.path().extension() != ".mqo") continue;
    const std::string text = ReadFile(entry.path());
    if (text.find("Format Text Ver 1.1") == std::string::npos) continue;
    ++files;
    SCOPED_TRACE(entry.path().string());
    const LoadResult r = LoadNewer(text);
    ASSERT_EQ(r.code, 0);
    long vertices, faces, splitFaces;
    int objects;
    AnnouncedCounts(text, vertices, faces, objects, &splitFaces);
    long readVertices = 0;
    const long readFaces = CountFaces(r.document, readVertices);
    EXPECT_EQ(r.document.numObjects, objects);
    EXPECT_EQ(readVertices, vertices);
    // Every large face of these models is a simple outline: n - 2 triangles.
    EXPECT_EQ(readFaces, splitFaces);
    for (const ObjectMQO& o : r.document.objects)
      for (const FaceMQO& f : o.faces) ASSERT_LE(f.numVertices, 4);
  }
  EXPECT_GE(files, 11);
}

}  // namespace

// An archive's document read through its stream gives what the file gives,
// also where the reader steps back and seeks past binary data, far beyond
// the part of the entry the stream keeps.

#include <gtest/gtest.h>
#include <unistd.h>
#include <zip.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "model/archive.h"
#include "mqo/loader.h"

namespace {

// About 700 KB: the BVertex block lies past the stream's 128 KiB window.
std::string Document() {
  std::string text = "Metasequoia Document\nFormat Text Ver 1.0\nObject \"o\" {\n\tvertex 30000 {\n";
  for (int i = 0; i < 30000; ++i) text += "\t\t" + std::to_string(i) + ".125 -1.5 " + std::to_string(i % 7) + "\n";
  const float data[6] = {1.5f, -2.0f, 3.25f, 4.0f, 5.0f, -6.5f};
  text += "\t}\n\tBVertex 2 {\n\t\tVector 2 [24]\n" + std::string(reinterpret_cast<const char*>(data), 24);
  text += "\t}\n\tface 2 {\n\t\t3 V(0 1 30001) M(0)\n\t\t3 V(30000 1 2)\n\t}\n}\nEof\n";
  return text;
}

DocumentMQO Read(FILE* fp) {
  LoaderMQO loader(DocumentMQO{}, fp);
  EXPECT_EQ(loader.Load(), 0);
  return loader.GetDocument();
}

TEST(EntryStream, ReadsAndSeeksAsTheFileItHolds) {
  const std::string text = Document();
  char folder[] = "/tmp/entry-stream-XXXXXX";
  ASSERT_TRUE(mkdtemp(folder));
  const std::string document = std::string(folder) + "/m.mqo", archivePath = std::string(folder) + "/m.mqoz";
  FILE* out = std::fopen(document.c_str(), "wb");
  ASSERT_EQ(std::fwrite(text.data(), 1, text.size(), out), text.size());
  std::fclose(out);
  zip_t* zip = zip_open(archivePath.c_str(), ZIP_CREATE | ZIP_TRUNCATE, nullptr);
  ASSERT_TRUE(zip);
  ASSERT_GE(zip_file_add(zip, "m.mqo", zip_source_file(zip, document.c_str(), 0, -1), 0), 0);
  ASSERT_EQ(zip_close(zip), 0);

  FILE* file = std::fopen(document.c_str(), "rb");
  const DocumentMQO expected = Read(file);
  std::fclose(file);
  ModelArchive archive(archivePath.c_str());
  std::string reason;
  FILE* stream = archive.OpenDocument(reason);
  ASSERT_TRUE(stream) << reason;
  const DocumentMQO got = Read(stream);
  ASSERT_EQ(got.numObjects, 1);
  const ObjectMQO &a = expected.objects[0], &b = got.objects[0];
  ASSERT_EQ(b.numVertices, 30002);
  EXPECT_EQ(b.vertices[30001].z, -6.5f);
  EXPECT_EQ(std::memcmp(a.vertices.begin(), b.vertices.begin(), sizeof(VertexMQO) * a.numVertices), 0);
  ASSERT_EQ(b.numFaces, 2);
  EXPECT_EQ(b.faces[1].vertexIndex[0], 30000);

  // The end is the size the entry declares; from there, back to the start.
  EXPECT_EQ(std::fseek(stream, 0, SEEK_END), 0);
  EXPECT_EQ(std::ftell(stream), static_cast<long>(text.size()));
  char head[21] = {};
  EXPECT_EQ(std::fseek(stream, 0, SEEK_SET), 0);
  EXPECT_EQ(std::fread(head, 1, 20, stream), 20u);
  EXPECT_STREQ(head, "Metasequoia Document");
  EXPECT_FALSE(std::ferror(stream));
  std::fclose(stream);
  std::remove(document.c_str());
  std::remove(archivePath.c_str());
  rmdir(folder);
}

}  // namespace

// Reading in blocks against reading line by line: the same result code, the
// same document bit for bit and the same stream position, for real files,
// generated documents and the line shapes where block reading could slip.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "mqo_generator.h"
#include "mqo_text.h"

namespace {

using namespace std::string_literals;

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

// Blocks end at multiples of the block size. Blanks after the first header
// word shift the body by 0 to size - 1 bytes, so that a block ends before
// every byte of the body: inside every number, keyword and line end, with
// the line before it complete and the line after it cut.
void ExpectSameAtEveryBlockEnd(const std::string& body) {
  for (std::size_t block : {1, 16, 61})
    for (std::size_t shift = 0; shift < block; ++shift)
      for (Stream kind : {Stream::kMemory, Stream::kFile}) {
        const std::string bytes = "Metasequoia " + std::string(shift, ' ') + "Document\nFormat Text Ver 1.0\n" + body;
        ASSERT_EQ(BlockReadingDifference(bytes, block, kind), "") << "block " << block << " shift " << shift;
      }
}

TEST(BlockReading, StoredAndRealFiles) {
  const std::filesystem::path folders[] = {TEST_DATA_DIR "/mqo", TEST_DATA_DIR "/../../fuzz/seeds", CORPUS_DIR};
  int files = 0;
  for (const auto& folder : folders) {
    if (!std::filesystem::is_directory(folder)) continue;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
      if (!entry.is_regular_file() || entry.path().extension() == ".png" || entry.path().extension() == ".jpg")
        continue;
      ++files;
      const std::string bytes = ReadFile(entry.path());
      SCOPED_TRACE(entry.path().string());
      for (std::size_t block : {1, 4096, 1 << 20}) EXPECT_EQ(BlockReadingDifference(bytes, block), "");
      EXPECT_EQ(BlockReadingDifference(bytes, 8191, Stream::kFile), "");
      // With newer formats on as well; and on a Ver 1.0 document that changes nothing.
      EXPECT_EQ(BlockReadingDifference(bytes, 4096, Stream::kMemory, true), "");
      const Reading plain = ReadBytes(bytes, 0, Stream::kMemory);
      if (plain.code != -4) EXPECT_EQ(ReadingDifference(plain, ReadBytes(bytes, 0, Stream::kMemory, true)), "");
    }
  }
  EXPECT_GT(files, 10);
}

TEST(BlockReading, GeneratedDocumentsOfManyBlocks) {
  for (int shape = 0; shape < 4; ++shape) {
    MqoGeneratorOptions o;
    o.vertices = o.faces = 3000;
    o.objects = 2;
    o.crlf = shape % 2 == 0;
    o.gridMesh = shape == 1;
    o.binaryVertices = shape == 2;
    o.uvGroups = o.materialGroups = shape != 3;
    char* text = nullptr;
    std::size_t size = 0;
    FILE* out = open_memstream(&text, &size);
    ASSERT_TRUE(WriteMqoDocument(out, o));
    std::fclose(out);
    const std::string bytes(text, size);
    std::free(text);
    for (std::size_t block : {4093, 65536})
      for (Stream kind : {Stream::kMemory, Stream::kFile})
        EXPECT_EQ(BlockReadingDifference(bytes, block, kind), "") << "shape " << shape << " block " << block;
  }
}

TEST(BlockReading, LineEndsAndLinesThatStraddleBlocks) {
  const std::string object = "Material 2 {\n\"a\"\n\"b\"\n}\nObject \"o\" {\n";
  // Lone CR, CR LF and LF ends; text after a CR; a NUL inside a line; a
  // number glued to the next token; groups out of order; every group.
  const std::string body = object +
                           " vertex 5 {\r\n  1.5 -2 3e1\r\n 4 5 6\r7 8 9\n\t10 11\x00 12\n 1 2 3-4\n}\n"
                           " face 4 {\r\n 3 V(0 1 2) M(1) UV(0 0 1 0 1 1)\r\n 4 v( 0 1 2 3 )m(2)\n"
                           " 3 V(0 1 2) UV(0 0 1 0 1 1) M(1)\n 3 V(0 1 2) COL(1 2 3)\n 2 V(0 1)\r\n"
                           " 4 V(0 1 2 3) M(0) UV(0 0 1 0 1 1 0 1) Col(4294967295 1 2 -3)\n }\n}\r\n"s;
  const LoadResult r = LoadBody(body);
  ASSERT_EQ(r.code, 0);
  EXPECT_EQ(r.document.objects[0].numFaces, 6);
  ExpectSameAtEveryBlockEnd(body);
  // The last line without a line feed, inside and outside a chunk.
  ExpectSameAtEveryBlockEnd(object + " vertex 1 {\n 1 2 3");
  ExpectSameAtEveryBlockEnd(object + " vertex 1 {\n 1 2 3\n }\n}");
  // Only CRs: fgets hands out 8190-byte pieces of one long line.
  std::string crOnly = "Metasequoia Document\rFormat Text Ver 1.0\r";
  while (crOnly.size() < 20000) crOnly += "Object \"o\" {\r vertex 1 {\r 1 2 3\r }\r}\r";
  for (std::size_t block : {1000, 8189, 8190, 8191, 1 << 20}) EXPECT_EQ(BlockReadingDifference(crOnly, block), "");
}

TEST(BlockReading, LinesLongerThanOneFgetsCall) {
  // Vertex and face lines around the 8190-byte limit of one fgets call, so
  // that the rest of a line is read as a line of its own, and longer than
  // the block.
  const std::string head = kHeader + std::string("Object \"o\" {\n vertex 9 {\n");
  for (std::size_t length : {8188, 8189, 8190, 8191, 8192, 20000}) {
    const std::string pad(length - 8, ' ');
    const std::string bytes = head + "1 2" + pad + "3\n 4 5 6\n }\n face 1 {\n3 V(0 1 2)" + pad + "\n }\n}\n";
    for (std::size_t block : {7, 4096, 8191, 1 << 20})
      EXPECT_EQ(BlockReadingDifference(bytes, block), "") << "length " << length << " block " << block;
  }
}

TEST(BlockReading, BinaryDataReadAfterBufferedText) {
  // A skipped block and BVertex data holding line feeds, CRs and braces,
  // with text lines on both sides; then the same data cut short.
  std::string data(24, '\0');
  data[0] = '\n';
  data[5] = '\r';
  data[13] = '}';
  const std::string body = std::string("Blob [6]\n") + data.substr(0, 6) + "Thumbnail {\n data [5]\n" +
                            data.substr(0, 5) + "\n}\nObject \"o\" {\n BVertex 1 {\n  Vector 2 [24]\n" + data +
                            "  weit {\n 0 0.5\n }\n }\n face 1 {\n 3 V(0 1 1)\n }\n}\n";
  ExpectSameAtEveryBlockEnd(body);
  for (std::size_t cut = body.size() - 60; cut < body.size(); cut += 6)
    ExpectSameAtEveryBlockEnd(body.substr(0, cut));
}

// A block the buffer holds is skipped in it: a document of many small
// skips is read from its stream once, not a buffer's worth for each skip
// (8 MB of such lines took 46 times as long as plain ones).
TEST(BlockReading, SkippedBlocksAreNotReadAgain) {
  std::string text = "Metasequoia Document\nFormat Text Ver 1.0\nBlobs {\n";
  for (int i = 0; i < 20000; ++i) text += "b [ 0 ]\n";
  text += "}\nEof\n";
  struct Counted {
    const std::string* bytes;
    long at = 0;
    long long read = 0;
  } counted{&text};
  cookie_io_functions_t io{};
  io.read = [](void* c, char* out, size_t size) -> ssize_t {
    Counted& f = *static_cast<Counted*>(c);
    const size_t n = std::min(size, f.bytes->size() - static_cast<size_t>(f.at));
    std::memcpy(out, f.bytes->data() + f.at, n);
    f.at += n;
    f.read += n;
    return static_cast<ssize_t>(n);
  };
  io.seek = [](void* c, off64_t* offset, int whence) -> int {
    Counted& f = *static_cast<Counted*>(c);
    const long base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? f.at : static_cast<long>(f.bytes->size());
    f.at = base + static_cast<long>(*offset);
    *offset = f.at;
    return 0;
  };
  FILE* fp = fopencookie(&counted, "rb", io);
  ASSERT_NE(fp, nullptr);
  LoaderMQO loader(DocumentMQO(), fp);
  EXPECT_EQ(loader.Load(), 0);
  std::fclose(fp);
  EXPECT_LT(counted.read, 3 * static_cast<long long>(text.size()));
}

}  // namespace

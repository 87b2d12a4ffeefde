// The Thumbnail chunk's picture: kept only when asked for, taken from the
// lines of text as the thumbnailer always took it, and never a change to how
// the document reads.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "mqo_text.h"

namespace {

TEST(ThumbnailChunk, TakenOnlyWhenWholeAndNeverChangesTheReading) {
  // Digits pair up across whitespace: 0a 0b 0c 10 2f ff.
  const auto chunk = [](const std::string& header, const std::string& digits = "\t0a0B0c 1 0\n2 f f f") {
    return header + "\n" + digits + "\n}\n";
  };
  const std::string good = chunk("Thumbnail 2 1 24 rgb raw {");
  const std::string material = "Material 1 {\n\"m\"\n}\n";
  const std::vector<unsigned char> picture = {0x0a, 0x0b, 0x0c, 0x10, 0x2f, 0xff}, none;
  const struct Case {
    const char* what;
    std::string body;
    std::vector<unsigned char> rgb;
  } cases[] = {
      {"well formed", good + material, picture},
      {"inside another chunk", "BackImage {\n" + good + "}\n", picture},
      {"after a material", material + good, none},
      {"after a line beginning with Material", "MaterialEx2 {\n}\n" + good, none},
      {"not at the line's start", " " + good, none},
      {"its line begun by skipped binary bytes", "Blob [4]\nab\nc" + good, none},
      {"past the searched MiB", std::string(1 << 20, 'x') + "\n" + good, none},
      {"32 bits", chunk("Thumbnail 2 1 32 rgb raw {"), none},
      {"too wide", chunk("Thumbnail 1025 1 24 rgb raw {"), none},
      {"a byte short", chunk("Thumbnail 2 1 24 rgb raw {", "0a0b0c102f"), none},
      {"a digit over", chunk("Thumbnail 2 1 24 rgb raw {", "0a0b0c102fff0"), none},
      {"a stray character", chunk("Thumbnail 2 1 24 rgb raw {", "0a0b0c102f,ff"), none},
      {"a nested chunk", chunk("Thumbnail 2 1 24 rgb raw {", "0a0b0c {\n102fff\n}"), none},
      {"the file ending inside", "Thumbnail 2 1 24 rgb raw {\n0a0b0c102fff\n", none},
  };
  for (const Case& c : cases) {
    const std::string bytes = kHeader + c.body;
    const Reading kept = ReadBytes(bytes, 0, Stream::kMemory, false, true);
    for (std::size_t block : {1, 64 << 10})
      EXPECT_EQ(ReadingDifference(kept, ReadBytes(bytes, block, Stream::kMemory, false, true)), "") << c.what;
    const ThumbnailMQO& t = kept.document.thumbnail;
    EXPECT_EQ(std::vector<unsigned char>(t.rgb.begin(), t.rgb.end()), c.rgb) << c.what;
    EXPECT_EQ(t.width * t.height, c.rgb.empty() ? 0 : 2) << c.what;
    // Not kept, the same code, document and stream position, without the picture.
    Reading passed = ReadBytes(bytes, 0, Stream::kMemory);
    EXPECT_TRUE(passed.document.thumbnail.rgb.empty()) << c.what;
    passed.document.thumbnail = t;
    EXPECT_EQ(ReadingDifference(passed, kept), "") << c.what;
  }
}

}  // namespace

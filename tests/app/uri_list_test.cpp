#include "app/uri_list.h"

#include <gtest/gtest.h>

namespace {

TEST(PercentDecode, DecodesEitherCaseAndRefusesBrokenOrNulEscapes) {
  std::string out;
  ASSERT_TRUE(PercentDecode("/models/a%20b%2fc%E3%83%A2.mqo", out));
  EXPECT_EQ(out, "/models/a b/c\xE3\x83\xA2.mqo");
  for (const char* broken : {"a%", "a%2", "a%2g", "a%g2", "%00x", "100%"}) {
    EXPECT_FALSE(PercentDecode(broken, out)) << broken;
  }
}

TEST(LocalFilePath, TakesOnlyFilesOfThisHost) {
  std::string path;
  ASSERT_TRUE(LocalFilePath("file:///home/u/two%20words.mqo", "box", path));
  EXPECT_EQ(path, "/home/u/two words.mqo");
  ASSERT_TRUE(LocalFilePath("FILE://localhost/a.mqo", "box", path));
  EXPECT_EQ(path, "/a.mqo");
  ASSERT_TRUE(LocalFilePath("file://box/b.mqo#part", "box", path));
  EXPECT_EQ(path, "/b.mqo");
  for (const char* other : {"file://elsewhere/a.mqo", "http://box/a.mqo", "file:a.mqo", "file://box", "file:///a%0"}) {
    EXPECT_FALSE(LocalFilePath(other, "box", path)) << other;
  }
  EXPECT_FALSE(LocalFilePath("file://x/a.mqo", "", path));
}

TEST(UriListItems, SkipsCommentsAndBlankLinesWhateverTheLineEnds) {
  const std::string text = std::string("# from a file manager\r\nfile:///a.mqo\r\n\r\nfile:///b.mqo\nfile:///c.mqo") +
                           '\0';
  const std::vector<std::string> items = UriListItems(text);
  ASSERT_EQ(items.size(), 3u);
  EXPECT_EQ(items[0], "file:///a.mqo");
  EXPECT_EQ(items[1], "file:///b.mqo");
  EXPECT_EQ(items[2], "file:///c.mqo");
  EXPECT_TRUE(UriListItems("").empty());
}

}  // namespace

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "mqo/string_separator.h"

namespace {

std::vector<std::string> Tokens(const StringSeparator& s) {
  std::vector<std::string> out;
  for (int i = 0; i < s.count; ++i) out.emplace_back(s.GetToken(i));
  return out;
}

std::vector<std::string> Split(const std::string& line) {
  // The line in a buffer of exactly its size, so that ASan sees a read past it.
  std::unique_ptr<char[]> exact(new char[line.size() + 1]);
  std::memcpy(exact.get(), line.c_str(), line.size() + 1);
  StringSeparator s;
  const int n = s.Separate(exact.get());
  EXPECT_EQ(n, s.count);
  return Tokens(s);
}

using V = std::vector<std::string>;

TEST(Separate, SplitsByTheFormatsPunctuationBlanksAndQuotes) {
  EXPECT_EQ(Split("Metasequoia Document"), (V{"Metasequoia", "Document"}));
  EXPECT_EQ(Split("col(1.000 1.000 1.000 1.000) dif(0.800)"),
            (V{"col", "(", "1.000", "1.000", "1.000", "1.000", ")", "dif", "(", "0.800", ")"}));
  EXPECT_EQ(Split("tex(\"my (tex) {a}[b],c=d;e:f.bmp\")"),
            (V{"tex", "(", "my (tex) {a}[b],c=d;e:f.bmp", ")"}));
  EXPECT_EQ(Split("Vector 8 [96]"), (V{"Vector", "8", "[", "96", "]"}));
  EXPECT_EQ(Split("a=b,c"), (V{"a", "=", "b", ",", "c"}));
  EXPECT_EQ(Split("x\"y z\"w"), (V{"x", "y z", "w"}));
  EXPECT_EQ(Split("\"\""), (V{""}));
  EXPECT_EQ(Split("\""), V{});
  EXPECT_EQ(Split(" \t \t"), V{});
  EXPECT_EQ(Split(""), V{});
  EXPECT_EQ(Split("  \tScene  {  \t"), (V{"Scene", "{"}));
  EXPECT_EQ(Split("name \"unterminated (x"), (V{"name", "unterminated (x"}));
}

TEST(Separate, LineEndsStopTheScan) {
  EXPECT_EQ(Split("a b\r\n"), (V{"a", "b"}));
  EXPECT_EQ(Split("a\rignored text\n"), V{"a"});
  EXPECT_EQ(Split("a\nb"), V{"a"});
  EXPECT_EQ(Split("\"open quote\r\n"), V{"open quote"});
}

TEST(Separate, NeverSplitsShiftJisPairs) {
  // Second bytes equal to [ ] { } and to a quote or blank stay in the pair.
  const std::string name = "\x83\x7B\x81\x5B\x83\x7D\x83\x5D";
  EXPECT_EQ(Split(name + "(x)"), (V{name, "(", "x", ")"}));
  EXPECT_EQ(Split("\"" + name + " a\""), V{name + " a"});
  EXPECT_EQ(Split("a\x81\"b c"), (V{"a\x81\"b", "c"}));
  EXPECT_EQ(Split("\x81\x20x"), V{"\x81\x20x"});
  // Bytes above 0x80 that are not lead bytes are plain characters.
  EXPECT_EQ(Split("\xA0\xDF(\xFD)"), (V{"\xA0\xDF", "(", "\xFD", ")"}));
}

TEST(Separate, LeadByteAtTheEndStaysInsideTheLine) {
  EXPECT_EQ(Split("ab\x82"), V{"ab\x82"});
  EXPECT_EQ(Split("\x82"), V{"\x82"});
  EXPECT_EQ(Split("\"q\x9F"), V{"q\x9F"});
  // A lead byte right before the line feed takes the line feed as its pair.
  EXPECT_EQ(Split("a\x82\n"), V{"a\x82\n"});
}

TEST(Separate, KeepsSlotsAndReusesThemWithoutReallocating) {
  StringSeparator s;
  s.Separate("aaaa bbbb cccc");
  EXPECT_EQ(s.capacity, 3);
  const char* first = s.tokens[0];
  s.Separate("x");
  EXPECT_EQ(s.count, 1);
  EXPECT_EQ(s.capacity, 3);
  EXPECT_STREQ(s.tokens[2], "cccc");  // earlier, longer line's slot stays
  EXPECT_EQ(s.tokens[0], first);      // a shorter token reuses the slot
  s.Separate("1 2 3 4 5");
  EXPECT_EQ(s.capacity, 5);
  EXPECT_TRUE(s.SetToken(7, "late"));
  EXPECT_EQ(s.capacity, 8);
  EXPECT_EQ(s.tokens[6], nullptr);
  EXPECT_STREQ(s.tokens[7], "late");
}

TEST(Queries, CompareIgnoringAsciiCaseAndStayInRange) {
  StringSeparator s;
  s.Separate("SCENE { 1.5e2 abc -7");
  EXPECT_TRUE(s.IsKeyword("Scene", 2));
  EXPECT_TRUE(s.IsKeyword("scene", 5));
  EXPECT_FALSE(s.IsKeyword("Scene", 6));
  EXPECT_FALSE(s.IsKeyword("Scen", 1));
  EXPECT_TRUE(s.IsToken(1, "{"));
  EXPECT_FALSE(s.IsToken(5, "{"));
  EXPECT_FALSE(s.IsToken(-1, "{"));
  EXPECT_EQ(s.GetDouble(2), 150.0);
  EXPECT_EQ(s.GetInt(3), 0);
  EXPECT_EQ(s.GetInt(4), -7);
  EXPECT_EQ(s.GetInt(5), 0);
  EXPECT_EQ(s.GetDouble(9), 0.0);
  EXPECT_EQ(s.GetFloat(2), 150.0f);
  // Bytes outside ASCII compare exactly: 0xC1 is not the capital of 0xE1.
  s.Separate("\xC1");
  EXPECT_FALSE(s.IsToken(0, "\xE1"));
  s.Separate("");
  EXPECT_FALSE(s.IsKeyword("}", 1));
  EXPECT_FALSE(s.IsKeyword("\xC1", 0));  // slot 0 still holds the earlier line's token
  s.Separate("} trailing");
  EXPECT_TRUE(s.IsKeyword("}", 1));
}

TEST(Numbers, ConvertExactlyAsAtoiAndAtof) {
  const char* texts[] = {
      "0", "-0", "1", "-1", "42", "007", "1.5", "-1.5", ".5", "-.5", "5.", "1e3", "1E-3", "1.5e2", "1e", "1e+",
      "1e+5x", "2.5e-3f", "+3", " 7", "\t-8", "+.25", "0x1A", "0X1p4", "-0x10", "0x", "inf", "-inf", "INFINITY",
      "nan", "NaN(123)", "abc", "", "-", "+", ".", "-.", "e5", "1.000", "0.500", "-50.0000", "4294967295",
      "4294967296", "2147483647", "2147483648", "-2147483648", "-2147483649", "99999999999999999999",
      "-99999999999999999999", "123456789012345678", "1234567890123456789", "1e308", "1e309", "-1e309",
      "2.2250738585072011e-308", "4.9e-324", "1e-330", "1e-400", "0.1000000000000000055511151231257827",
      "3.14159265358979323846264338327950288", "9007199254740993", "179769313486231580793728971405301e276",
      "12abc", "1,5", "1:2", "00x1", "1.7976931348623157e308", "0.000000000000000000000000000001",
      "123456.789e-2", "1_000", "٣"};
  for (const char* t : texts) {
    StringSeparator s;
    s.SetToken(0, t);
    s.count = 1;
    EXPECT_EQ(s.GetInt(0), std::atoi(t)) << t;
    const double want = std::atof(t);
    const double got = s.GetDouble(0);
    if (want != want)
      EXPECT_NE(got, got) << t;
    else
      EXPECT_EQ(std::memcmp(&got, &want, sizeof got), 0) << t << " " << got << " " << want;
  }
}

TEST(Numbers, RandomDecimalsMatchAtofBitForBit) {
  std::srand(12345);
  char text[64];
  for (int i = 0; i < 200000; ++i) {
    const int digits = 1 + std::rand() % 20;
    int n = 0;
    if (std::rand() % 2) text[n++] = '-';
    const int point = std::rand() % (digits + 1);
    for (int d = 0; d < digits; ++d) {
      if (d == point) text[n++] = '.';
      text[n++] = static_cast<char>('0' + std::rand() % 10);
    }
    if (std::rand() % 4 == 0) n += std::snprintf(text + n, 8, "e%d", std::rand() % 640 - 320);
    text[n] = '\0';
    StringSeparator s;
    s.SetToken(0, text);
    s.count = 1;
    const double want = std::atof(text), got = s.GetDouble(0);
    ASSERT_EQ(std::memcmp(&got, &want, sizeof got), 0) << text;
    ASSERT_EQ(s.GetInt(0), std::atoi(text)) << text;
  }
}

// A temporary file holding bytes, rewound for reading.
FILE* FileWith(const std::string& bytes) {
  FILE* f = std::tmpfile();
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::rewind(f);
  return f;
}

template <class Reader>
std::vector<V> ReadAll(const std::string& bytes) {
  FILE* f = FileWith(bytes);
  Reader reader(f);
  std::vector<V> lines;
  while (reader.ReadLine() >= 0) lines.push_back(Tokens(reader));
  EXPECT_EQ(reader.count, -1);
  EXPECT_EQ(reader.ReadLine(), -1);  // stays at the end
  EXPECT_FALSE(reader.IsKeyword("a", 0));
  EXPECT_FALSE(reader.IsToken(0, "a"));
  EXPECT_EQ(reader.GetInt(0), 0);
  std::fclose(f);
  return lines;
}

TEST(FileStringSeparator, CrLfAndCrLfLineEndsGiveTheSameLines) {
  const std::vector<V> want = {{"a", "b"}, {}, {"c"}, {"d"}};
  EXPECT_EQ(ReadAll<FileStringSeparator>("a b\n\nc\nd"), want);
  EXPECT_EQ(ReadAll<FileStringSeparator>("a b\r\rc\rd\r"), want);
  EXPECT_EQ(ReadAll<FileStringSeparator>("a b\r\n\r\nc\r\nd\r\n"), want);
}

TEST(FileStringSeparator, ReadsLongLinesWholeAndPairsAcrossLineFeeds) {
  const std::string word(100000, 'x');
  EXPECT_EQ(ReadAll<FileStringSeparator>(word + " y\nz"), (std::vector<V>{{word, "y"}, {"z"}}));
  // The trail byte of a pair is read whatever it is, even a line feed.
  EXPECT_EQ(ReadAll<FileStringSeparator>("a\x82\nb\nc"), (std::vector<V>{{"a\x82\nb"}, {"c"}}));
  EXPECT_EQ(ReadAll<FileStringSeparator>("a\x82"), (std::vector<V>{{"a\x82"}}));
}

TEST(AsciiFileString, DeliversLongLinesInPiecesOf8190Bytes) {
  const std::string line(10000, 'q');
  const auto lines = ReadAll<AsciiFileString>(line + "\nnext");
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], V{line.substr(0, 8190)});
  EXPECT_EQ(lines[1], V{line.substr(8190)});
  EXPECT_EQ(lines[2], V{"next"});
}

TEST(AsciiFileString, IgnoresTextAfterALoneCarriageReturn) {
  EXPECT_EQ(ReadAll<AsciiFileString>("a\rhidden\nb\r\nc"), (std::vector<V>{{"a"}, {"b"}, {"c"}}));
  // A pair cut by the 8190-byte limit stays inside the piece.
  const auto lines = ReadAll<AsciiFileString>(std::string(8189, 'a') + "\x82\x40" + "b\n");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0][0].size(), 8190u);
}

}  // namespace

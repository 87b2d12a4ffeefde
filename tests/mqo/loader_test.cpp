// Header checks, the top-level chunk walk, skipping, the Scene chunk and the
// result codes.
#include <gtest/gtest.h>

#include <string>

#include "mqo_text.h"

namespace {

TEST(Header, AcceptsOnlyTheTwoHeaderLines) {
  struct Case {
    const char* text;
    int code;
  } cases[] = {
      {"", -3},
      {"\nMetasequoia Document\nFormat Text Ver 1.0\n", -3},
      {"Metasequoia\nFormat Text Ver 1.0\n", -3},
      {"Metasequoia Documents\nFormat Text Ver 1.0\n", -3},
      {"Metasequoia Document\n", -4},
      {"Metasequoia Document\n\nFormat Text Ver 1.0\n", -4},
      {"Metasequoia Document\nFormat Text Ver\n", -4},
      {"Metasequoia Document\nFormat Text Ver 1.1\n", -4},
      {"Metasequoia Document\nFormat Text Ver 2.0\n", -4},
      {"Metasequoia Document\nFormat Binary Ver 1.0\n", -4},
      {"Metasequoia Document\nFormat Text Ver 1.0\n", 0},
      {"Metasequoia Document\nFormat Text Ver 1.0", 0},
      {"metasequoia document extra\r\nFORMAT TEXT VER 1 x\r\n", 0},
      {"Metasequoia Document\nFormat Text Ver 1.000\n", 0},
  };
  for (const Case& c : cases) {
    const LoadResult r = LoadBytes(c.text);
    EXPECT_EQ(r.code, c.code) << c.text;
    EXPECT_EQ(r.document.numObjects + r.document.numMaterials, 0);
  }
}

TEST(ChunkWalk, ReadsPastEofLinesAndEndsAtTheFilesEnd) {
  const LoadResult r = LoadBody("Eof\nObject \"late\" {\n}\nEof\n");
  EXPECT_EQ(r.code, 0);
  ASSERT_EQ(r.document.numObjects, 1);
  EXPECT_STREQ(r.document.objects[0].name, "late");
}

TEST(ChunkWalk, SkipsUnknownChunksWithNestingAndBinaryBlocks) {
  // The 12-byte block holds a line feed, braces and a bracketed size: none
  // of it may be read as text.
  const std::string block = "}\n{ [3]\n\x01\x02\x03{";
  ASSERT_EQ(block.size(), 12u);
  const LoadResult r = LoadBody("Thumbnail 4 4 24 {\n\tlevel1 {\n\t\tlevel2 {\n\t\t\tx }\n\t\t}\n\t}\n"
                                "\tdata [12]\n" + block + "\n}\n"
                                "Blob [12]\n" + block + "Object \"after\" {\n}\n"
                                "Scene\n{\n\tpos 1 2 3\n}\n");
  EXPECT_EQ(r.code, 0);
  ASSERT_EQ(r.document.numObjects, 1);
  EXPECT_STREQ(r.document.objects[0].name, "after");
  // "Scene" alone is an unknown line; the "{" after it opens a skipped chunk.
  EXPECT_EQ(r.document.scene.pos[0], 0);
}

TEST(ChunkWalk, BinaryBlockAtTheVeryEndIsSkipped) {
  EXPECT_EQ(LoadBody("Blob [4]\nabcd", Stream::kFile).code, 0);
  EXPECT_EQ(LoadBody("Blob [0]\n").code, 0);
}

TEST(ChunkWalk, BadBinaryBlockSizesFail) {
  for (Stream kind : {Stream::kMemory, Stream::kFile}) {
    EXPECT_EQ(LoadBody("Blob [5]\nabcd", kind).code, -1);
    EXPECT_EQ(LoadBody("Blob [2147483647]\nabcd", kind).code, -1);
    EXPECT_EQ(LoadBody("Blob [-4]\nabcd\n", kind).code, -1);
    EXPECT_EQ(LoadBody("Skipped {\n data [9]\n1234\n}\n", kind).code, -1);
  }
}

TEST(ChunkWalk, BinaryBlockSizesConvertAsNumbersDo) {
  struct Case {
    const char* size;
    const char* block;
  } cases[] = {{"+4", "abcd"}, {"4abc", "abcd"}, {"4.0", "abcd"}, {"0x10", ""}, {"x", ""},
               {"4294967300", "abcd"}};
  for (const Case& c : cases) {
    const LoadResult r =
        LoadBody(std::string("Blob [") + c.size + "]\n" + c.block + "Object \"after\" {\n}\n", Stream::kFile);
    EXPECT_EQ(r.code, 0) << c.size;
    ASSERT_EQ(r.document.numObjects, 1) << c.size;
    EXPECT_STREQ(r.document.objects[0].name, "after");
  }
}

TEST(ChunkWalk, ChunkLinesWithoutBraceFail) {
  EXPECT_EQ(LoadBody("Scene 1\n").code, -1);
  EXPECT_EQ(LoadBody("Material 1\n\"m\"\n").code, -1);
  EXPECT_EQ(LoadBody("Object \"o\"\n").code, -1);
  EXPECT_EQ(LoadBody("scene {\n}\nMATERIAL 0 {\n}\nobject {\n}\n").code, 0);
}

TEST(ChunkWalk, EndOfFileInsideAChunkGivesMinusTwo) {
  EXPECT_EQ(LoadBody("Unknown {\n inner {\n }\n").code, -2);
  EXPECT_EQ(LoadBody("Scene {\n pos 1 2 3\n").code, -2);
  EXPECT_EQ(LoadBody("Material 1 {\n").code, -2);
  EXPECT_EQ(LoadBody("Object \"o\" {\n").code, -2);
}

TEST(ChunkWalk, ObjectNamesComeFromTokenOneAndAreCutAt255Bytes) {
  // 254 ASCII bytes and then a two-byte character: cutting at 255 bytes would
  // leave half of it, so the cut falls before it.
  const std::string longName = std::string(254, 'n') + "\x83\x7B" + "tail";
  const LoadResult r = LoadBody("Object {\n}\nObject \"" + longName + "\" {\n}\n" +
                                "Object \"" + std::string(300, 'm') + "\" {\n}\n");
  ASSERT_EQ(r.code, 0);
  ASSERT_EQ(r.document.numObjects, 3);
  EXPECT_STREQ(r.document.objects[0].name, "");
  EXPECT_EQ(std::string(r.document.objects[1].name), std::string(254, 'n'));
  EXPECT_EQ(std::string(r.document.objects[2].name), std::string(255, 'm'));
}

TEST(Scene, ReadsSettingsAndSkipsSubChunks) {
  const LoadResult r = LoadBody(
      "Scene {\n\tpos 0.0000 1.5 1500.0000\n\tlookat 4 5 6\n\thead -0.5236\n\tpich 0.3491\n"
      "\tdirlights 1 {\n\t\tlight {\n\t\t\tdir 0.408 0.408 0.816\n\t\t}\n\t}\n"
      "\tamb 0.250 0.5 0.75\n\tpos 9 9\n\tortho 0\n}\n");
  ASSERT_EQ(r.code, 0);
  const SceneMQO& s = r.document.scene;
  EXPECT_FLOAT_EQ(s.pos[1], 1.5f);
  EXPECT_FLOAT_EQ(s.pos[2], 1500.0f);  // "pos 9 9" has too few values
  EXPECT_FLOAT_EQ(s.lookat[2], 6.0f);
  EXPECT_FLOAT_EQ(s.head, -0.5236f);
  EXPECT_FLOAT_EQ(s.pitch, 0.3491f);
  EXPECT_FLOAT_EQ(s.ambient[0], 0.25f);
  EXPECT_FLOAT_EQ(s.ambient[2], 0.75f);
}

TEST(Scene, OneAngleGivenResetsTheOthers) {
  const LoadResult r = LoadBody("Scene {\n head 0.5\n}\n");
  ASSERT_EQ(r.code, 0);
  EXPECT_EQ(r.document.scene.head, 0.5f);
  EXPECT_EQ(r.document.scene.pitch, 0.0f);
  EXPECT_EQ(r.document.scene.bank, 0.0f);
}

TEST(Results, WhatWasReadBeforeAFailureStays) {
  const LoadResult r = LoadBody("Material 1 {\n\"kept\"\n}\nObject \"done\" {\n}\nObject \"cut\" {\n vertex 1 {\n");
  EXPECT_EQ(r.code, -2);
  EXPECT_EQ(r.document.numMaterials, 1);
  ASSERT_EQ(r.document.numObjects, 1);  // the object being read is dropped
  EXPECT_STREQ(r.document.objects[0].name, "done");
}

TEST(Results, CopiesShareStorageButNeverChangeTheReader) {
  const std::string body = "Object \"o\" {\n vertex 2 {\n 1 2 3\n 4 5 6\n }\n}\n";
  std::vector<char> bytes;
  const std::string text = kHeader + body;
  bytes.assign(text.begin(), text.end());
  FILE* f = fmemopen(bytes.data(), bytes.size(), "rb");
  LoaderMQO loader(DocumentMQO{}, f);
  ASSERT_EQ(loader.Load(), 0);
  std::fclose(f);
  DocumentMQO copy = loader.GetDocument();
  EXPECT_TRUE(copy.objects.SharesStorageWith(loader.document.objects));
  ObjectMQO object = copy.GetObject(0);
  EXPECT_TRUE(object.vertices.SharesStorageWith(loader.document.objects[0].vertices));
  object.vertices.Mutable(0).x = 100;
  object.AddVertex(VertexMQO{});
  copy.objects.Mutable(0).name[0] = 'X';
  EXPECT_EQ(loader.document.objects[0].vertices[0].x, 1.0f);
  EXPECT_EQ(loader.document.objects[0].numVertices, 2);
  EXPECT_STREQ(loader.GetDocument().objects[0].name, "o");
}

}  // namespace

namespace {

std::string Document(const std::string& version, const std::string& codePageLine, const std::string& names) {
  return "Metasequoia Document\r\nFormat Text Ver " + version + "\r\n" + codePageLine + names;
}

TEST(NewerVersions, EveryLaterMinorVersionIsReadOnlyWhenAsked) {
  for (const char* version : {"1.1", "1.2", "1.3"}) {
    EXPECT_EQ(LoadBytes(Document(version, "", "")).code, -4) << version;
    EXPECT_EQ(LoadNewer(Document(version, "", "")).code, 0) << version;
  }
  EXPECT_EQ(LoadNewer(Document("2.0", "", "")).code, -4);
  EXPECT_EQ(LoadNewer(Document("0.9", "", "")).code, -4);
}

// UTF-8 names hold bytes that CP932 takes for lead bytes: "あ" is E3 81 82,
// and the 82 right before the quote would swallow it.
TEST(CodePages, Utf8NamesEndingOnLeadLikeBytesReadWhole) {
  const std::string names =
      "Material 2 {\r\n\t\"\xE3\x81\x82\" tex(\"\xE3\x83\x86\xE3\x82\xAF.png\")\r\n\t\"m(1)\" col(1 1 1 1)\r\n}\r\n"
      "Object \"\xE3\x82\xAA\xE3\x83\x96\" {\r\n\tvertex 3 {\r\n\t\t0 0 0\r\n\t\t1 0 0\r\n\t\t0 1 0\r\n\t}\r\n"
      "\tface 1 {\r\n\t\t3 V(0 1 2) M(1)\r\n\t}\r\n}\r\nEof\r\n";
  const LoadResult r = LoadNewer(Document("1.2", "CodePage utf8\r\n", names));
  ASSERT_EQ(r.code, 0);
  ASSERT_EQ(r.document.numMaterials, 2);
  EXPECT_STREQ(r.document.materials[0].name, "\xE3\x81\x82");
  EXPECT_STREQ(r.document.materials[0].textureName, "\xE3\x83\x86\xE3\x82\xAF.png");
  EXPECT_STREQ(r.document.materials[1].name, "m(1)");
  ASSERT_EQ(r.document.numObjects, 1);
  EXPECT_STREQ(r.document.objects[0].name, "\xE3\x82\xAA\xE3\x83\x96");
  EXPECT_EQ(r.document.objects[0].faces[0].material, 1);
  EXPECT_TRUE(r.document.namesUtf8);
  // A name cut at 255 bytes ends on a whole UTF-8 character.
  std::string longName;
  while (longName.size() < 300) longName += "\xE3\x81\x82";
  const LoadResult cut = LoadNewer(Document("1.2", "CodePage utf8\r\n", "Object \"" + longName + "\" {\r\n}\r\n"));
  ASSERT_EQ(cut.document.numObjects, 1);
  EXPECT_EQ(std::string(cut.document.objects[0].name), longName.substr(0, 255));
}

// Korean names in CP949: "가" is B0 A1, "나" B3 AA, "한" C7 D1. The writer
// cut the object's name after the lead byte B1 of a character.
TEST(CodePages, Cp949NamesBecomeUtf8AndACutCharacterEndsAtItsQuote) {
  const std::string names = "Material 1 {\r\n\t\"\xB0\xA1\" tex(\"\xB0\xA1\xB3\xAA.png\")\r\n}\r\n"
                            "Object \"\xC7\xD1\xB1\" {\r\n\tvisible 15\r\n}\r\n";
  const LoadResult r = LoadNewer(Document("1.1", "CodePage 949\r\n", names));
  ASSERT_EQ(r.code, 0);
  ASSERT_EQ(r.document.numMaterials, 1);
  EXPECT_STREQ(r.document.materials[0].name, "\xEA\xB0\x80");
  EXPECT_STREQ(r.document.materials[0].textureName, "\xEA\xB0\x80\xEB\x82\x98.png");
  ASSERT_EQ(r.document.numObjects, 1);
  EXPECT_STREQ(r.document.objects[0].name, "\xED\x95\x9C\xB1");
  EXPECT_TRUE(r.document.namesUtf8);
  // 120 characters of two bytes grow to 360 in UTF-8: the name is cut
  // before its extension, which it keeps.
  std::string hangul, converted;
  for (int i = 0; i < 120; ++i) hangul += "\xB0\xA1", converted += "\xEA\xB0\x80";
  const LoadResult longName = LoadNewer(Document("1.1", "CodePage 949\r\n", "Material 1 {\r\n\t\"m\" tex(\"" + hangul + ".png\")\r\n}\r\n"));
  ASSERT_EQ(longName.document.numMaterials, 1);
  EXPECT_EQ(std::string(longName.document.materials[0].textureName), converted.substr(0, 249) + ".png");
  // Without newer reading the line is unknown and the names keep their bytes.
  const LoadResult old = LoadBytes(Document("1.0", "CodePage 949\r\n", "Material 1 {\r\n\t\"\xB0\xA1\"\r\n}\r\n"));
  ASSERT_EQ(old.document.numMaterials, 1);
  EXPECT_STREQ(old.document.materials[0].name, "\xB0\xA1");
  EXPECT_FALSE(old.document.namesUtf8);
}

}  // namespace

// LoadModel over real files read by the real reader.

#include "model/model_loading.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "model_fixture.h"

namespace {

const std::string kHeader = "Metasequoia Document\r\nFormat Text Ver 1.0\r\n\r\n";

std::string ObjectText(int i) {
  return "Object \"obj" + std::to_string(i) +
         "\" {\r\n\tvertex 3 {\r\n\t\t0 0 0\r\n\t\t1 0 0\r\n\t\t0 1 0\r\n\t}\r\n"
         "\tface 1 {\r\n\t\t3 V(0 1 2)\r\n\t}\r\n}\r\n";
}

std::string MaterialsText(int count) {
  std::string s = "Material " + std::to_string(count) + " {\r\n";
  for (int i = 0; i < count; ++i) s += "\t\"m" + std::to_string(i) + "\" col(1 1 1 1) dif(0.5)\r\n";
  return s + "}\r\n";
}

class ModelLoading : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetModel();
    char pattern[] = "/tmp/model-loading-XXXXXX";
    const int fd = mkstemp(pattern);
    ASSERT_GE(fd, 0);
    close(fd);
    path_ = pattern;
  }
  void TearDown() override {
    ResetModel();
    std::remove(path_.c_str());
  }
  // Writes the document, loads it and returns what was printed.
  std::string Load(const std::string& text, int* result = nullptr) {
    EXPECT_TRUE(WriteBytes(path_, text));
    testing::internal::CaptureStdout();
    const int r = LoadModel(path_.c_str());
    std::fflush(stdout);
    if (result) *result = r;
    return testing::internal::GetCapturedStdout();
  }
  static bool TablesEmpty() {
    for (int i = 0; i < kMaxModelSlots; ++i)
      if (g_objects[i].numFaces || g_objects[i].numVertices || g_objects[i].name[0] || g_materials[i].name[0])
        return false;
    return true;
  }

  std::string path_;
};

TEST_F(ModelLoading, UnopenablePathWaitsForEnterAndFails) {
  // Feed standard input one line so that the wait for Enter returns.
  const int savedStdin = dup(0);
  ASSERT_TRUE(WriteBytes(path_, "\n"));
  ASSERT_TRUE(std::freopen(path_.c_str(), "r", stdin));
  testing::internal::CaptureStdout();
  const int result = LoadModel("/nonexistent/folder/model.mqo");
  std::fflush(stdout);
  const std::string printed = testing::internal::GetCapturedStdout();
  const int next = std::getchar();
  dup2(savedStdin, 0);
  close(savedStdin);
  clearerr(stdin);

  EXPECT_EQ(result, -1);
  EXPECT_EQ(printed, "Can't open mqo file. [enter]\n");
  EXPECT_EQ(next, EOF);  // the one character was taken
  EXPECT_EQ(g_loader, nullptr);
}

TEST_F(ModelLoading, ReaderFailuresPrintTheirMessageAndCopyNothing) {
  const struct {
    std::string text, message;
  } cases[] = {
      {"Metasequoia Documen\r\nFormat Text Ver 1.0\r\n" + MaterialsText(2), "Header Error\n"},
      {"", "Header Error\n"},
      {"Metasequoia Document\r\nFormat Text Ver 1.1\r\n" + MaterialsText(2), "Format Error\n"},
      {kHeader + MaterialsText(2) + ObjectText(0) + "Object \"bad\"\r\n", "Error\n"},
      {kHeader + MaterialsText(2) + "Object \"x\" {\r\n\tface 1 {\r\n\t\t3 X(0 1 2)\r\n\t}\r\n}\r\n", "Error\n"},
      {kHeader + ("Material 2 {\r\n\t\"a\"\r\n"), "EOF\n"},
  };
  for (const auto& c : cases) {
    ResetModel();
    int result = 99;
    EXPECT_EQ(Load(c.text, &result), c.message) << c.text;
    EXPECT_EQ(result, 0);
    EXPECT_NE(g_loader, nullptr);
    EXPECT_TRUE(TablesEmpty()) << c.text;
  }
}

TEST_F(ModelLoading, ADocumentPastTheMemoryBudgetIsOutOfMemoryNotMalformed) {
  std::string text = kHeader + "Object \"o\" {\r\n\tvertex 3 {\r\n\t\t0 0 0\r\n\t\t1 0 0\r\n\t\t0 1 0\r\n\t}\r\n"
                     "\tface 4000 {\r\n";
  for (int i = 0; i < 4000; ++i) text += "\t\t3 V(0 1 2)\r\n";
  text += "\t}\r\n}\r\n";
  ASSERT_TRUE(WriteBytes(path_, text));
  g_memoryBudget = MemoryBudget{1 << 20, 512, 32};  // room for 2047 faces beside the 3 vertices
  int result = 0;
  std::string reason;
  testing::internal::CaptureStdout();
  EXPECT_TRUE(ReadModelFile(path_.c_str(), true, result, reason));
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "Error\n");
  g_memoryBudget = MemoryBudget{};
  EXPECT_EQ(result, kOutOfMemory);
  EXPECT_EQ(g_loader->KeptFaces(), 2047);
  EXPECT_NE(reason.find("out of memory: more than 2047 faces and 3 vertices"), std::string::npos) << reason;
  EXPECT_TRUE(TablesEmpty());
}

// A later 1.x version is named as the file writes it, not rounded.
TEST_F(ModelLoading, ALaterVersionIsNamedAsWritten) {
  ASSERT_TRUE(WriteBytes(path_, "Metasequoia Document\r\nFormat Text Ver 1.9999999\r\nEof\r\n"));
  g_newerFormats = true;
  testing::internal::CaptureStderr();
  EXPECT_EQ(LoadModel(path_.c_str()), 0);
  const std::string said = testing::internal::GetCapturedStderr();
  g_newerFormats = false;
  EXPECT_NE(said.find("declares \"Format Text Ver 1.9999999\""), std::string::npos) << said;
}

TEST_F(ModelLoading, EndOfFileInsideTheThirdObjectCopiesNothing) {
  std::string text = kHeader + MaterialsText(1) + ObjectText(0) + ObjectText(1) + ObjectText(2);
  text.resize(text.size() - 20);  // inside the third object's face list
  EXPECT_EQ(Load(text), "EOF\n");
  ASSERT_NE(g_loader, nullptr);
  const DocumentMQO document = g_loader->GetDocument();
  EXPECT_EQ(document.numObjects, 2);  // the reader kept the two complete ones
  EXPECT_EQ(document.numMaterials, 1);
  EXPECT_TRUE(TablesEmpty());
}

TEST_F(ModelLoading, SuccessFillsTheSlotsInFileOrderAndPrintsNothing) {
  // A Shift-JIS material name and a CRLF file, as Windows tools write them.
  const std::string text = kHeader + "Material 2 {\r\n\t\"\x90\xd4\" col(1 0 0 1)\r\n\t\"b\" tex(\"t.bmp\")\r\n}\r\n" +
                           ObjectText(0) + ObjectText(1) + "Eof\r\n";
  int result = 99;
  EXPECT_EQ(Load(text, &result), "");
  EXPECT_EQ(result, 0);
  EXPECT_STREQ(g_materials[0].name, "\x90\xd4");
  EXPECT_FLOAT_EQ(g_materials[0].color[0], 1);
  EXPECT_STREQ(g_materials[1].textureName, "t.bmp");
  EXPECT_STREQ(g_objects[0].name, "obj0");
  EXPECT_STREQ(g_objects[1].name, "obj1");
  EXPECT_EQ(g_objects[1].numVertices, 3);
  EXPECT_EQ(g_objects[1].numFaces, 1);
  EXPECT_EQ(g_objects[2].numFaces, 0);
  EXPECT_EQ(g_materials[2].name[0], '\0');
}

TEST_F(ModelLoading, OnlyTheFirst256MaterialsAndObjectsAreCopied) {
  std::string text = kHeader + MaterialsText(300);
  EXPECT_EQ(Load(text), "");  // the texture builder reports the materials
  EXPECT_STREQ(g_materials[0].name, "m0");
  EXPECT_STREQ(g_materials[255].name, "m255");
  EXPECT_EQ(g_loader->GetDocument().numMaterials, 300);

  ResetModel();
  text = kHeader;
  for (int i = 0; i < 300; ++i) text += ObjectText(i);
  EXPECT_EQ(Load(text), "This program can't load over 256 objects\n");
  EXPECT_STREQ(g_objects[255].name, "obj255");
  EXPECT_EQ(g_loader->GetDocument().numObjects, 300);
}

TEST_F(ModelLoading, TheTablesAreCopiesOfTheDocument) {
  Load(kHeader + MaterialsText(1) + ObjectText(0));
  g_objects[0].vertices.Mutable(1).x = 42;
  g_objects[0].faces.Mutable(0).material = 0;
  g_materials[0].name[0] = 'X';
  const DocumentMQO document = g_loader->GetDocument();
  EXPECT_FLOAT_EQ(document.objects[0].vertices[1].x, 1);
  EXPECT_EQ(document.objects[0].faces[0].material, -1);
  EXPECT_STREQ(document.materials[0].name, "m0");
}

}  // namespace

// Another model read in place of one shown: a file the reader refuses, or
// one that cannot be opened, leaves the model shown as it was.
TEST_F(ModelLoading, AModelThatCannotBeReadLeavesTheOneShown) {
  ASSERT_TRUE(WriteBytes(path_, kHeader + ObjectText(0) + ObjectText(1) + "Eof\r\n"));
  int result = 0;
  std::string reason;
  ASSERT_TRUE(ReadModelFile(path_.c_str(), true, result, reason, true));
  ASSERT_EQ(result, 0);
  const LoaderMQO* shown = g_loader;
  ASSERT_TRUE(WriteBytes(path_, "Metasequoia Document\r\nFormat Text Ver 9.0\r\nEof\r\n"));
  testing::internal::CaptureStdout();
  EXPECT_TRUE(ReadModelFile(path_.c_str(), true, result, reason, true));
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "Format Error\n");
  EXPECT_NE(result, 0);
  EXPECT_NE(reason.find("Ver 9.0"), std::string::npos) << reason;
  EXPECT_FALSE(ReadModelFile((path_ + "-missing").c_str(), true, result, reason, true));
  EXPECT_EQ(g_loader, shown);
  EXPECT_EQ(g_objectCount, 2);
  EXPECT_STREQ(g_objects[1].name, "obj1");
}

// h shows the objects the document hides and hides them again; a document
// whose every object is hidden was shown whole, and h leaves it so.
TEST_F(ModelLoading, HiddenObjectsAreShownOnDemandAndHiddenAgain) {
  std::string hidden = ObjectText(1);
  hidden.insert(hidden.find("\tvertex"), "\tvisible 0\r\n");
  Load(kHeader + ObjectText(0) + hidden + "Eof\r\n");
  ASSERT_EQ(g_objectCount, 2);
  EXPECT_EQ(SetHiddenObjectsShown(true), 1);
  EXPECT_TRUE(IsDrawnObject(g_objects[0]) && IsDrawnObject(g_objects[1]));
  EXPECT_EQ(SetHiddenObjectsShown(false), 1);
  EXPECT_TRUE(IsDrawnObject(g_objects[0]) && !IsDrawnObject(g_objects[1]));

  Load(kHeader + hidden + "Eof\r\n");
  testing::internal::CaptureStderr();
  EXPECT_TRUE(ShowHiddenObjectsWhenAllHidden(path_.c_str()));
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(SetHiddenObjectsShown(false), 0);
  EXPECT_TRUE(IsDrawnObject(g_objects[0]));
}

// The start-up helpers that need no window: the model argument among the
// window library's options, the 260-byte path, the default extension and
// the console's encoding.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <numbers>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/console_text.h"
#include "app/file_chooser.h"
#include "app/model_switch.h"
#include "app/screenshot.h"
#include "app/startup.h"
#include "image/image_manager.h"
#include "image/tga_manager.h"
#include "model/model_loading.h"
#include "render/display_list.h"

namespace {

int FindIn(std::vector<std::string> args) {
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  return FindModelArgument(static_cast<int>(args.size()), argv.data());
}

TEST(CommandLine, SkipsWindowOptionsAndTheirValues) {
  EXPECT_EQ(FindIn({"lumenspin"}), 0);
  EXPECT_EQ(FindIn({"lumenspin", "model.mqo"}), 1);
  EXPECT_EQ(FindIn({"lumenspin", "-display", ":3", "model.mqo"}), 3);
  EXPECT_EQ(FindIn({"lumenspin", "-geometry", "640x480+0+0", "-sync", "-iconic", "a.mqo", "b.mqo"}), 5);
  EXPECT_EQ(FindIn({"lumenspin", "-direct", "-indirect", "-gldebug"}), 0);
  // A value that looks like a file is still the option's value.
  EXPECT_EQ(FindIn({"lumenspin", "-display", "model.mqo"}), 0);
  // An option without its value at the end must not read past argv.
  EXPECT_EQ(FindIn({"lumenspin", "-geometry"}), 0);
  // Anything the window library does not know is the model, dash or not.
  EXPECT_EQ(FindIn({"lumenspin", "-x.mqo"}), 1);
}

TEST(CommandLine, NewerIsTakenOutBeforeTheWindowLibrary) {
  std::vector<std::string> args{"lumenspin", "--newer", "-display", "--newer", "m.mqoz", "--newer"};
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  int argc = static_cast<int>(args.size());
  EXPECT_TRUE(TakeNewerOption(argc, argv.data()));
  // The display named "--newer" stays the option's value.
  ASSERT_EQ(argc, 4);
  EXPECT_STREQ(argv[1], "-display");
  EXPECT_STREQ(argv[2], "--newer");
  EXPECT_STREQ(argv[3], "m.mqoz");
  EXPECT_EQ(argv[4], nullptr);
  EXPECT_FALSE(TakeNewerOption(argc, argv.data()));
  EXPECT_EQ(argc, 4);
}

TEST(ModelPath, AbsoluteAndWithinTheBuffer) {
  char buffer[kMaxPath];
  ASSERT_TRUE(MakeAbsolutePath("/models/cube.mqo", buffer));
  EXPECT_STREQ(buffer, "/models/cube.mqo");

  ASSERT_TRUE(MakeAbsolutePath("sub/cube.mqo", buffer));
  const std::string cwd = std::filesystem::current_path().string();
  EXPECT_EQ(std::string(buffer), (cwd == "/" ? "" : cwd) + "/sub/cube.mqo");

  // 259 bytes and the NUL fit; one more byte is refused, never cut.
  const std::string longest = "/" + std::string(258, 'a');
  ASSERT_TRUE(MakeAbsolutePath(longest, buffer));
  EXPECT_EQ(std::string(buffer), longest);
  std::memset(buffer, 'z', sizeof buffer);
  EXPECT_FALSE(MakeAbsolutePath(longest + "b", buffer));
  EXPECT_EQ(buffer[0], 'z');
  EXPECT_FALSE(MakeAbsolutePath(std::string(5000, 'r'), buffer));
}

TEST(ModelPath, FolderOfAFile) {
  EXPECT_EQ(FolderOf("/models/cube.mqo"), "/models");
  EXPECT_EQ(FolderOf("/cube.mqo"), "/");
  EXPECT_EQ(FolderOf("/a/b/"), "/a/b");
}

TEST(ModelPath, DefaultExtensionOnlyForMissingNamesWithoutOne) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                    ("lumenspin-ext-" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  const std::string plain = (dir / "plain").string();
  EXPECT_EQ(WithDefaultExtension(plain), plain + ".mqo");
  EXPECT_EQ(WithDefaultExtension(plain + ".txt"), plain + ".txt");
  std::FILE* f = std::fopen(plain.c_str(), "w");
  ASSERT_NE(f, nullptr);
  std::fclose(f);
  EXPECT_EQ(WithDefaultExtension(plain), plain);  // an existing file is taken as it is
  EXPECT_EQ(WithDefaultExtension(dir.string() + "/"), dir.string() + "/");
  std::filesystem::remove_all(dir);
}

// The budget counts the model as it will be drawn: a document that the
// reader's budget takes, mirrored across three planes into eight times its
// faces, must not be drawn past it (it had aborted the viewer, or taken
// three times what it was charged).
TEST(ModelBudget, MirroredCopiesAreCountedBeforeTheyAreMade) {
  const std::string path = std::filesystem::temp_directory_path() / "mirrored-budget.mqo";
  FILE* fp = std::fopen(path.c_str(), "wb");
  ASSERT_NE(fp, nullptr);
  std::fputs("Metasequoia Document\nFormat Text Ver 1.0\n\nObject \"half\" {\n\tmirror 1\n\tmirror_axis 7\n"
             "\tvertex 3 {\n\t\t1 1 1\n\t\t2 1 1\n\t\t1 2 1\n\t}\n\tface 1 {\n\t\t3 V(0 1 2)\n\t}\n}\nEof\n",
             fp);
  std::fclose(fp);
  g_memoryBudget = MemoryBudget{300, 100, 0};  // three faces
  for (bool asModelled : {false, true}) {
    g_asModelled = asModelled;
    ASSERT_EQ(LoadModel(path.c_str()), 0);
    ASSERT_EQ(g_objectCount, 1);
    testing::internal::CaptureStderr();
    CountModelAgainstBudget(path.c_str());
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(g_objectCount, asModelled ? 0 : 1);
    EXPECT_EQ(said.find("out of memory") != std::string::npos, asModelled) << said;
  }
  // The textures get what the model leaves of the budget: (300 - 100) / 12
  // pixels, so a 5 x 5 picture is refused before its planes are made.
  g_asModelled = false;
  ASSERT_EQ(LoadModel(path.c_str()), 0);
  CountModelAgainstBudget(path.c_str());
  const std::string picture = path + ".tga";
  fp = std::fopen(picture.c_str(), "wb");
  ASSERT_NE(fp, nullptr);
  const unsigned char header[18] = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 5, 0, 5, 0, 24, 0};
  std::fwrite(header, 1, sizeof header, fp);
  for (int i = 0; i < 75; ++i) std::fputc(i, fp);
  std::fclose(fp);
  testing::internal::CaptureStderr();
  EXPECT_EQ(CTgaManager().Load(picture.c_str()), -1);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("all pictures together"), std::string::npos);
  std::filesystem::remove(picture);
  ReleaseModel();
  g_asModelled = false;
  g_memoryBudget = MemoryBudget{};
  CImageManager::SetPixelLimits(0, 0);
  std::filesystem::remove(path);
}

// As modelled, a window narrower than the first widens the view so that
// what the first showed across still fits across: at 400 x 800 the model
// had been cut at both sides.
TEST(Reshape, ANarrowWindowKeepsTheModelWhole) {
  const auto across = [](double aspect) {
    return std::tan(FieldOfViewFor(aspect) / 2 * std::numbers::pi / 180) * aspect;
  };
  EXPECT_DOUBLE_EQ(FieldOfViewFor(800.0 / 600.0), 30.0);
  EXPECT_DOUBLE_EQ(FieldOfViewFor(2.0), 30.0);
  EXPECT_NEAR(across(0.5), across(800.0 / 600.0), 1e-12);
  EXPECT_NEAR(across(1.0), across(800.0 / 600.0), 1e-12);
  EXPECT_DOUBLE_EQ(FieldOfViewFor(0.0), 30.0);
}

// A screenshot never goes over a file that is there: the next free name
// takes it, and the file keeps its bytes.
TEST(Screenshot, NeverOverAFile) {
  const std::string folder = std::filesystem::temp_directory_path() / "screenshot-test";
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  const std::time_t when = 1700000000;
  const std::string taken = folder + "/" + ScreenshotName("/models/ship.mqo", when);
  FILE* fp = std::fopen(taken.c_str(), "wb");
  ASSERT_NE(fp, nullptr);
  std::fputs("mine", fp);
  std::fclose(fp);
  const std::vector<unsigned char> pixel = {1, 2, 3, 255};
  std::string path, reason;
  ASSERT_TRUE(SaveScreenshot(folder, "/models/ship.mqo", when, pixel, 1, 1, path, reason)) << reason;
  EXPECT_EQ(path, folder + "/" + ScreenshotName("/models/ship.mqo", when, 2));
  EXPECT_EQ(std::filesystem::file_size(taken), 4u);
  EXPECT_GT(std::filesystem::file_size(path), 8u);
  EXPECT_EQ(ScreenshotName("/models/ship.mqo", when).rfind("ship-20", 0), 0u);
  std::filesystem::remove_all(folder);
}

// The folder's models in byte order of their names, any letter case of
// the extensions, wrapping round both ways; other files are passed over.
TEST(ModelSwitch, NeighboursInNameOrderWrapRound) {
  const std::string folder = std::filesystem::temp_directory_path() / "neighbour-test";
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  for (const char* name : {"b.MQOZ", "a.mqo", "c.mqo", "notes.txt", "d.mqo.bak"})
    std::fclose(std::fopen((folder + "/" + name).c_str(), "wb"));
  EXPECT_EQ(NeighbourModel(folder + "/a.mqo", 1), folder + "/b.MQOZ");
  EXPECT_EQ(NeighbourModel(folder + "/c.mqo", 1), folder + "/a.mqo");
  EXPECT_EQ(NeighbourModel(folder + "/a.mqo", -1), folder + "/c.mqo");
  EXPECT_EQ(NeighbourModel(folder + "/gone/x.mqo", 1), "");
  std::filesystem::remove_all(folder);
}

TEST(Reshape, AspectRatioOfAMinimisedWindow) {
  EXPECT_DOUBLE_EQ(AspectRatio(1000, 500), 2.0);
  EXPECT_DOUBLE_EQ(AspectRatio(800, 600), 800.0 / 600.0);  // not integer division
  EXPECT_DOUBLE_EQ(AspectRatio(0, 500), 1.0);
  EXPECT_DOUBLE_EQ(AspectRatio(640, 0), 1.0);
}

TEST(ConsoleText, Cp932Codesets) {
  for (const char* name : {"SHIFT_JIS", "Shift_JIS", "SJIS", "CP932", "cp932", "WINDOWS-31J"}) {
    EXPECT_TRUE(IsCp932Codeset(name)) << name;
  }
  for (const char* name : {"UTF-8", "ANSI_X3.4-1968", "EUC-JP", "", static_cast<const char*>(nullptr)}) {
    EXPECT_FALSE(IsCp932Codeset(name)) << (name ? name : "null");
  }
}

TEST(ConsoleText, ConvertsToCp932Bytes) {
  EXPECT_EQ(ToConsoleBytes("a: 拡大\n", true), "a: \x8A\x67\x91\xE5\n");
  EXPECT_EQ(ToConsoleBytes("s, ←: 左移動\n", true), "s, \x81\xA9: \x8D\xB6\x88\xDA\x93\xAE\n");
  EXPECT_EQ(ToConsoleBytes("ESC:終了\n", false), "ESC:終了\n");
  EXPECT_EQ(ToConsoleBytes("Can't open mqo file. [enter]\n", true), "Can't open mqo file. [enter]\n");
  EXPECT_EQ(ToConsoleBytes("", true), "");
  // A character CP932 lacks leaves the text as it was rather than cutting it.
  EXPECT_EQ(ToConsoleBytes("x \xF0\x9F\x98\x80 y", true), "x \xF0\x9F\x98\x80 y");
}

}  // namespace

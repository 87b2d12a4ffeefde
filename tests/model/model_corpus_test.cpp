// Every real .mqo file of the shared corpus goes through loading, textures
// and the display list in a real Mesa context without a fault, and loads
// with the result its header calls for. Needs a display (Xvfb).

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "gl_feedback.h"
#include "render/display_list.h"
#include "model_fixture.h"

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> CorpusModels() {
  std::vector<fs::path> models;
  std::error_code error;
  for (fs::recursive_directory_iterator it(CORPUS_DIR, error), end; !error && it != end; it.increment(error))
    if (it->is_regular_file() && it->path().extension() == ".mqo") models.push_back(it->path());
  std::sort(models.begin(), models.end());
  return models;
}

// The version on the file's second line, as the header names it.
std::string Version(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::string first, second;
  std::getline(in, first);
  std::getline(in, second);
  const size_t ver = second.find("Ver ");
  if (ver == std::string::npos) return "";
  std::string version = second.substr(ver + 4);
  while (!version.empty() && (version.back() == '\r' || version.back() == ' ')) version.pop_back();
  return version;
}

TEST(Corpus, EveryRealModelLoadsAndCompiles) {
  const std::vector<fs::path> models = CorpusModels();
  if (models.empty()) GTEST_SKIP() << "no corpus at " << CORPUS_DIR;
  EnsureWindow();
  char home[4096];
  ASSERT_TRUE(getcwd(home, sizeof home));
  for (const fs::path& model : models) {
    SCOPED_TRACE(model.string());
    ResetModel();
    // The viewer works from the model's folder, where it looks for textures.
    ASSERT_EQ(chdir(model.parent_path().c_str()), 0);
    testing::internal::CaptureStdout();
    const int result = LoadModel(model.c_str());
    LoadMaterialTextures();
    std::fflush(stdout);
    const std::string printed = testing::internal::GetCapturedStdout();
    BuildDisplayList();
    const std::vector<FeedbackPolygon> polygons = RunListInFeedback();
    ASSERT_EQ(chdir(home), 0);

    EXPECT_EQ(result, 0);
    ASSERT_NE(g_loader, nullptr);
    const DocumentMQO document = g_loader->GetDocument();
    if (Version(model) == "1.0") {
      EXPECT_EQ(printed.find("Error\n"), std::string::npos) << printed;
      EXPECT_EQ(printed.find("EOF\n"), std::string::npos) << printed;
      EXPECT_GT(document.numObjects, 0);
      for (int i = 0; i < std::min(document.numObjects, kMaxModelSlots); ++i)
        EXPECT_EQ(g_objects[i].numFaces, document.objects[i].numFaces);
      EXPECT_FALSE(polygons.empty());
    } else {
      // Only version 1.0 documents are read; the others open as an empty model.
      EXPECT_EQ(printed.rfind("Format Error\n", 0), 0u) << printed;
      EXPECT_EQ(g_objects[0].numFaces, 0);
      EXPECT_TRUE(polygons.empty());
    }
  }
  ResetModel();
}

}  // namespace
